#include "file_names.h"

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

bool IsPlainFile(const BY_HANDLE_FILE_INFORMATION& info)
{
    return !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
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
    return RemoveOpenName(file, path);
}

bool RemoveOpenName(HANDLE file, const char* path)
{
    BY_HANDLE_FILE_INFORMATION info;
    DWORD error = !GetFileInformationByHandle(file, &info) ? GetLastError()
                  : !IsPlainFile(info)                     ? (DWORD)ERROR_ACCESS_DENIED
                                                           : DeleteName(file, path, info);
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
