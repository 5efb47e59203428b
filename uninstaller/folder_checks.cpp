// Which folders the removal may touch, asked of the file system: the text
// rule (removal_rules.cpp) cannot see links, aliases or missing drives.
#include "uninstaller.h"

#include "folder_chain.h"
#include "path_helpers.h"
#include "removal_rules.h"

bool IsPlainFolderChain(const char* folder)
{
    return CheckFolderChain(folder) == kChainPlain;
}

// Volume serial number and file index: what a file or folder is, whatever
// name leads to it.
static bool FileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* info)
{
    // Backup semantics let a folder be opened too.
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BOOL ok = GetFileInformationByHandle(file, info);
    CloseHandle(file);
    return ok != 0;
}

static bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool SameFile(const char* a, const char* b)
{
    BY_HANDLE_FILE_INFORMATION first, second;
    return FileIdentity(a, &first) && FileIdentity(b, &second) && SameIdentity(first, second);
}

typedef UINT(WINAPI* SystemWow64DirectoryProc)(LPSTR, UINT);

// The 32-bit system folder of a 64-bit Windows; empty elsewhere. Windows
// before XP lacks the function.
static void FindWow64Folder(char* out, UINT size)
{
    out[0] = '\0';
    SystemWow64DirectoryProc find = (SystemWow64DirectoryProc)(void*)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "GetSystemWow64DirectoryA");
    UINT n = find != NULL ? find(out, size) : 0;
    if (n == 0 || n >= size) {
        out[0] = '\0';
    }
}

// A folder or system folder whose identity cannot be read could be any:
// the answer is then yes.
bool IsSystemFolderAlias(const char* folder)
{
    Removal& r = g_removal;
    char wow64[MAX_PATH];
    char native[MAX_PATH];
    FindWow64Folder(wow64, sizeof wow64);
    // The 64-bit system folder, which a 32-bit program reaches only so.
    if (!JoinPath(native, sizeof native, r.windowsFolder, "Sysnative", false) ||
        GetFileAttributesA(native) == INVALID_FILE_ATTRIBUTES) {
        native[0] = '\0';
    }
    const char* const systemFolders[] = {r.windowsFolder, r.systemFolder, wow64, native};
    BY_HANDLE_FILE_INFORMATION target, system;
    if (!FileIdentity(folder, &target)) {
        return true;
    }
    for (size_t i = 0; i < sizeof systemFolders / sizeof systemFolders[0]; i++) {
        if (systemFolders[i][0] != '\0' &&
            (!FileIdentity(systemFolders[i], &system) || SameIdentity(target, system))) {
            return true;
        }
    }
    return false;
}

bool IsAlreadyGone(const char* folder, DWORD error)
{
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return false;
    }
    const char root[] = {folder[0], ':', '\\', '\0'};
    DWORD attributes = GetFileAttributesA(root);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
