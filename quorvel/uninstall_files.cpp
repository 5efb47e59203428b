// The file side of a removal: only what the setup made, each by its exact
// name. Nothing is deleted by pattern or recursively, and nothing is
// reached through a reparse point, which could lead anywhere on the disk.
#include "uninstaller.h"

#include <shlobj.h>
#include <string.h>

#include "path_helpers.h"
#include "removal_rules.h"
#include "uninstall_texts.h"

static void ReadShellFolder(int csidl, char* out)
{
    if (FAILED(SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, out))) {
        out[0] = '\0';
    }
}

void FindSystemFolders()
{
    Removal& r = g_removal;
    UINT n = GetWindowsDirectoryA(r.windowsFolder, sizeof r.windowsFolder);
    if (n == 0 || n >= sizeof r.windowsFolder) {
        r.windowsFolder[0] = '\0';
    }
    n = GetSystemDirectoryA(r.systemFolder, sizeof r.systemFolder);
    if (n == 0 || n >= sizeof r.systemFolder) {
        r.systemFolder[0] = '\0';
    }
    ReadShellFolder(CSIDL_PROGRAMS, r.programsFolder);
    ReadShellFolder(CSIDL_SENDTO, r.sendToFolder);
    r.programPathSafe = r.windowsFolder[0] != '\0' && r.systemFolder[0] != '\0' &&
                        IsRemovableProgramFolder(r.programPath, r.windowsFolder, r.systemFolder);
}

static void AddLeft(const char* text, const char* suffix)
{
    AddEndItem(g_removal.endText, sizeof g_removal.endText, &g_removal.endItems, text, suffix);
}

// A plain folder: it exists, and neither it nor a folder above it is a
// reparse point that would carry the removal elsewhere.
static bool IsPlainFolderChain(const char* folder)
{
    char path[MAX_PATH];
    if (!CopyText(path, sizeof path, folder)) {
        return false;
    }
    for (;;) {
        DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            return false;
        }
        char parent[MAX_PATH];
        if (!ParentFolder(path, parent, sizeof parent) || SameFolder(parent, path)) {
            return true;
        }
        CopyText(path, sizeof path, parent);
    }
}

static bool IsInUse(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_USER_MAPPED_FILE;
}

bool RemoveOwnFile(const char* path)
{
    for (;;) {
        DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return true;  // already gone
        }
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
            return true;  // not what the setup made: left to its owner
        }
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        }
        if (DeleteFileA(path)) {
            return true;
        }
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return true;
        }
        if (g_removal.silent || !IsInUse(error)) {
            if (MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) {
                g_removal.restartNeeded = true;
                AddLeft(path, LEFT_AT_RESTART);
            } else {
                g_removal.failed = true;
                AddLeft(path, LEFT_FAILED);
            }
            return true;
        }
        char text[MAX_PATH + sizeof IN_USE_TEXT];
        CopyText(text, sizeof text, path);
        AppendText(text, sizeof text, IN_USE_TEXT);
        if (AskUser(text, MB_RETRYCANCEL | MB_DEFBUTTON1, IDCANCEL) != IDRETRY) {
            g_removal.cancelled = true;
            return false;
        }
    }
}

bool SameFile(const char* a, const char* b)
{
    BY_HANDLE_FILE_INFORMATION info[2];
    const char* paths[2] = {a, b};
    for (int i = 0; i < 2; i++) {
        HANDLE file = CreateFileA(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        BOOL ok = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!ok) {
            return false;
        }
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// Data files of the user's in the folder (top level only), by name.
static int FindDataFiles(const char* folder, char names[kMaxDataFiles][kDataNameSize])
{
    char pattern[MAX_PATH];
    if (!JoinPath(pattern, sizeof pattern, folder, "*", false)) {
        return 0;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int count = 0;
    do {
        bool plainFile =
            !(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
        if (plainFile && count < kMaxDataFiles &&
            HasPreservedExtension(found.cFileName, kPreserved, PRODUCT_PRESERVED_COUNT)) {
            CopyText(names[count++], kDataNameSize, found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// Asks once whether to keep the data files; answers true to keep them.
static bool KeepDataFiles(char names[kMaxDataFiles][kDataNameSize], int count)
{
    // Room for the eight names listed and the closing question.
    char text[sizeof DATA_QUESTION_START + MAX_PATH + (kEndItemLimit + 1) * (kDataNameSize + 2) +
              sizeof DATA_QUESTION_END];
    CopyText(text, sizeof text, DATA_QUESTION_START);
    AppendText(text, sizeof text, g_removal.programPath);
    AppendText(text, sizeof text, DATA_QUESTION_HOLDS);
    int items = 0;
    for (int i = 0; i < count; i++) {
        AddEndItem(text, sizeof text, &items, names[i], "");
    }
    FinishEndItems(text, sizeof text, items);
    AppendText(text, sizeof text, DATA_QUESTION_END);
    return AskUser(text, MB_YESNO | MB_DEFBUTTON1, IDYES) == IDYES;
}

// Whether the folder still holds anything but the kept data files.
static bool HoldsOtherFiles(const char* folder)
{
    char pattern[MAX_PATH];
    if (!JoinPath(pattern, sizeof pattern, folder, "*", false)) {
        return true;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool other = false;
    do {
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) {
            continue;
        }
        bool kept = false;
        for (int i = 0; i < g_removal.keptCount && !kept; i++) {
            kept = SameTextIgnoringCase(found.cFileName, g_removal.kept[i]);
        }
        other = other || !kept;
    } while (!other && FindNextFileA(search, &found));
    FindClose(search);
    return other;
}

// Removes the folder if empty; else, when it holds files of the user's,
// names it in the end box. With files waiting for the restart, the folder
// waits too.
static void RemoveFolderIfEmpty(const char* folder)
{
    if (RemoveDirectoryA(folder) || GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if (HoldsOtherFiles(folder) && !g_removal.restartNeeded) {
        AddLeft(folder, LEFT_USER_FILES);
    }
    if (g_removal.restartNeeded) {
        MoveFileExA(folder, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

bool RemoveProgramFiles()
{
    Removal& r = g_removal;
    if (r.programPathSafe && GetFileAttributesA(r.programPath) == INVALID_FILE_ATTRIBUTES) {
        return true;  // already gone: nothing to do there
    }
    if (!r.programPathSafe || !IsPlainFolderChain(r.programPath)) {
        AddLeft(r.programPath[0] ? r.programPath : "\"\"", LEFT_UNSAFE);
        return true;
    }
    for (int i = 0; i < PRODUCT_INSTALLED_COUNT; i++) {
        char path[MAX_PATH];
        if (!(kEntries[i].flags & kIntoWindowsFolder) &&
            JoinPath(path, sizeof path, r.programPath, kEntries[i].target, false) &&
            !RemoveOwnFile(path)) {
            return false;
        }
    }
    char names[kMaxDataFiles][kDataNameSize];
    int count = FindDataFiles(r.programPath, names);
    bool keep = count > 0 && KeepDataFiles(names, count);
    for (int i = 0; i < count; i++) {
        char path[MAX_PATH];
        if (!JoinPath(path, sizeof path, r.programPath, names[i], false)) {
            continue;
        }
        if (keep) {
            CopyText(r.kept[r.keptCount++], kDataNameSize, names[i]);
            AddLeft(path, LEFT_DATA);
        } else if (!RemoveOwnFile(path)) {
            return false;
        }
    }
    RemoveFolderIfEmpty(r.programPath);
    char parent[MAX_PATH];
    if (ParentFolder(r.programPath, parent, sizeof parent) &&
        LastComponentIs(parent, PRODUCT_PUBLISHER) && IsPlainFolderChain(parent)) {
        RemoveDirectoryA(parent);  // only if empty: a user's files there stay
        if (r.restartNeeded) {
            MoveFileExA(parent, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
    }
    return true;
}

bool RemoveWindowsFiles(const char* runningPath)
{
    Removal& r = g_removal;
    if (r.windowsFolder[0] == '\0') {
        return true;
    }
    for (int i = 0; i < PRODUCT_INSTALLED_COUNT; i++) {
        char path[MAX_PATH];
        if (!(kEntries[i].flags & kIntoWindowsFolder) ||
            !JoinPath(path, sizeof path, r.windowsFolder, kEntries[i].target, false)) {
            continue;
        }
        // The running uninstaller goes last, through its copy in the temp
        // folder, once this process has ended.
        if (SameFile(path, runningPath)) {
            continue;
        }
        if (!RemoveOwnFile(path)) {
            return false;
        }
    }
    return true;
}

bool RemoveLinks()
{
    Removal& r = g_removal;
    char link[MAX_PATH];
    if (r.sendToFolder[0] != '\0' &&
        MakeShortcutPath(link, sizeof link, r.sendToFolder, "", kEntries[kMainProgramEntry].caption) &&
        !RemoveOwnFile(link)) {
        return false;
    }
    if (r.programsFolder[0] == '\0') {
        return true;
    }
    if (!IsPlainGroupName(r.groupName)) {
        AddLeft(r.groupName[0] ? r.groupName : "\"\"", LEFT_UNSAFE);
        return true;
    }
    char group[MAX_PATH];
    if (!JoinPath(group, sizeof group, r.programsFolder, r.groupName, false) ||
        !IsPlainFolderChain(group)) {
        return true;  // no such group folder (or not a plain one): nothing to remove
    }
    for (int i = 0; i < PRODUCT_SHORTCUT_COUNT && i < PRODUCT_INSTALLED_COUNT; i++) {
        if (MakeShortcutPath(link, sizeof link, r.programsFolder, r.groupName, kEntries[i].caption) &&
            !RemoveOwnFile(link)) {
            return false;
        }
    }
    RemoveFolderIfEmpty(group);
    return true;
}
