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

bool SetDisposition(HANDLE file, void* disposition, ULONG size, int kind)
{
    SetInformationFile call = (SetInformationFile)(void*)GetProcAddress(
        GetModuleHandleA("ntdll.dll"), "NtSetInformationFile");
    IoStatusBlock status;
    return call != NULL && call(file, &status, disposition, size, kind) >= 0;
}

// Opens the name itself, never what a link leads to. Without delete sharing
// nobody can delete or rename the name while the handle is open, so it
// keeps naming the file looked at.
HANDLE OpenName(const char* path, DWORD access)
{
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
}

bool IsPlainFile(const BY_HANDLE_FILE_INFORMATION& info)
{
    return !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// Deletes the open name: a read-only file loses its mark first when the
// name is its only one; with other names, only a system that deletes a
// read-only name as it is can do it.
bool DeleteName(HANDLE file, const char* path, const BY_HANDLE_FILE_INFORMATION& info)
{
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
        return DeleteOpenFile(file);
    }
    if (info.nNumberOfLinks == 1) {
        // The name is held to this very file, so the path changes it alone.
        return SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) && DeleteOpenFile(file);
    }
    ULONG flags = kDispositionDelete | kDispositionPosixSemantics | kDispositionIgnoreReadOnly;
    return SetDisposition(file, &flags, sizeof flags, kFileDispositionInformationEx);
}

}  // namespace

bool RemoveFileName(const char* path)
{
    HANDLE file = OpenName(path, GENERIC_READ | DELETE);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION info;
    bool deleted = GetFileInformationByHandle(file, &info) && IsPlainFile(info) &&
                   DeleteName(file, path, info);
    // The name goes when the last handle to it is closed.
    CloseHandle(file);
    return deleted && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
}

HANDLE CreateNewFile(const char* path)
{
    return CreateFileA(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ, NULL, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
}

bool DeleteOpenFile(HANDLE file)
{
    BOOLEAN remove = TRUE;
    return SetDisposition(file, &remove, sizeof remove, kFileDispositionInformation);
}
