#include "file_names.h"

#include <string.h>

namespace {

// Deletion by handle goes through the native call: the Win32 one arrived
// only with later Windows versions. The structures are the native ones.
enum {
    kFileDispositionInformation = 13,
    kFileDispositionInformationEx = 64,
    kDispositionDelete = 0x01,
    kDispositionPosixSemantics = 0x02,
    kDispositionIgnoreReadOnly = 0x10,
};

struct IoStatusBlock {
    LONG_PTR status;
    ULONG_PTR information;
};

typedef DWORD(WINAPI* FinalPathName)(HANDLE, LPSTR, DWORD, DWORD);
typedef LONG(WINAPI* SetInformationFile)(HANDLE, IoStatusBlock*, void*, ULONG, int);
typedef ULONG(WINAPI* StatusToError)(LONG);

// ERROR_SUCCESS, or the native call's failure as the Win32 error it means.
DWORD SetDisposition(HANDLE file, void* disposition, ULONG size, int kind)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    SetInformationFile call =
        (SetInformationFile)(void*)GetProcAddress(ntdll, "NtSetInformationFile");
    StatusToError toError = (StatusToError)(void*)GetProcAddress(ntdll, "RtlNtStatusToDosError");
    if (call == NULL || toError == NULL) {
        return ERROR_INVALID_FUNCTION;
    }
    IoStatusBlock status;
    LONG result = call(file, &status, disposition, size, kind);
    return result >= 0 ? ERROR_SUCCESS : toError(result);
}

// Why a name opened may not be deleted through its handle: a folder, or a
// name that leads elsewhere; ERROR_SUCCESS for a plain file of its own path.
DWORD ReasonToLeave(HANDLE file, const char* path, const BY_HANDLE_FILE_INFORMATION& info)
{
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return ERROR_ACCESS_DENIED;
    }
    return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !HandleLeadsTo(file, path)
               ? (DWORD)kNameLeadsElsewhere
               : ERROR_SUCCESS;
}

// Deletes the open name: a read-only file loses its mark first when the
// name is its only one; with other names, only a system that deletes a
// read-only name as it is can do it. ERROR_SUCCESS or why not.
DWORD DeleteName(HANDLE file, const char* path, const BY_HANDLE_FILE_INFORMATION& info)
{
    BOOLEAN remove = TRUE;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
        return SetDisposition(file, &remove, sizeof remove, kFileDispositionInformation);
    }
    if (info.nNumberOfLinks == 1) {
        // The name is held to this very file, so the path changes it alone.
        return SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL)
                   ? SetDisposition(file, &remove, sizeof remove, kFileDispositionInformation)
                   : GetLastError();
    }
    ULONG flags = kDispositionDelete | kDispositionPosixSemantics | kDispositionIgnoreReadOnly;
    return SetDisposition(file, &flags, sizeof flags, kFileDispositionInformationEx);
}

}  // namespace

bool IsMissingError(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool HandleLeadsTo(HANDLE file, const char* path)
{
    FinalPathName call = (FinalPathName)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                              "GetFinalPathNameByHandleA");
    if (call == NULL) {
        return true;  // a system without file links: the attributes tell
    }
    char final[MAX_PATH + 8];
    char named[MAX_PATH];
    DWORD length = call(file, final, sizeof final, 0);
    if (length == 0 || length >= sizeof final) {
        return false;
    }
    // "\\?\C:\..." as "C:\...", and "\\?\UNC\server\..." as "\\server\...".
    const char* shown = final;
    if (strncmp(final, "\\\\?\\UNC\\", 8) == 0) {
        final[6] = '\\';
        shown = final + 6;
    } else if (strncmp(final, "\\\\?\\", 4) == 0) {
        shown = final + 4;
    }
    DWORD longLength = GetLongPathNameA(path, named, sizeof named);
    return lstrcmpiA(shown, longLength > 0 && longLength < sizeof named ? named : path) == 0;
}

HANDLE OpenFileName(const char* path, DWORD access)
{
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
}

bool RemoveFileName(const char* path)
{
    HANDLE file = OpenFileName(path, GENERIC_READ | DELETE);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return IsMissingError(error);
    }
    BY_HANDLE_FILE_INFORMATION info;
    DWORD error = !GetFileInformationByHandle(file, &info) ? GetLastError()
                                                           : ReasonToLeave(file, path, info);
    if (error == ERROR_SUCCESS) {
        error = DeleteName(file, path, info);
    }
    // The name goes when the last handle to it is closed.
    CloseHandle(file);
    // A file still open elsewhere with delete sharing goes when its last
    // handle closes; meanwhile it cannot be looked at, which is gone enough.
    if (error == ERROR_SUCCESS && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        error = ERROR_FILE_EXISTS;
    }
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

HANDLE CreateNewFile(const char* path)
{
    return CreateFileA(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ, NULL, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
}

bool DeleteOpenFile(HANDLE file)
{
    BOOLEAN remove = TRUE;
    DWORD error = SetDisposition(file, &remove, sizeof remove, kFileDispositionInformation);
    SetLastError(error);
    return error == ERROR_SUCCESS;
}
