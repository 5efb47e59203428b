// A running program cannot delete its own file, so the installed uninstaller
// leaves that last step to a copy of itself in a new folder under the temp
// folder. The copy waits for the uninstaller to end, deletes it, and has
// itself deleted at the next restart: it is running, and there is no one
// left to delete it sooner.
#include "uninstaller.h"

#include <stdlib.h>
#include <string.h>

#include "folder_access.h"
#include "path_helpers.h"
#include "removal_rules.h"

enum {
    kFolderAttempts = 16,
    kEndWait = 60000,       // ms for the uninstaller to end
    kDeleteWait = 5000,     // ms to let go of its image
    kDeleteInterval = 100,
};

// "Qorvunst-": the uninstaller's name without its extension, and a dash,
// so a user who finds the folder knows whose it is.
static void EraserFolderPrefix(char prefix[kTargetNameSize + 1])
{
    CopyText(prefix, kTargetNameSize, kEntries[kUninstallerEntry].target);
    char* extension = (char*)FindExtension(prefix);
    if (extension != NULL) {
        *extension = '\0';
    }
    AppendText(prefix, kTargetNameSize + 1, "-");
}

// The folder just made, held open without delete sharing so that it
// cannot be renamed away and replaced; checked to be a plain folder still,
// by its handle and by its name (Wine opens what a link leads to even when
// asked for the link itself).
static HANDLE HoldNewFolder(const char* folder)
{
    HANDLE held = CreateFileA(folder, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (held == INVALID_HANDLE_VALUE) {
        return held;
    }
    BY_HANDLE_FILE_INFORMATION info;
    DWORD attributes = GetFileAttributesA(folder);
    if (!GetFileInformationByHandle(held, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        CloseHandle(held);
        return INVALID_HANDLE_VALUE;
    }
    return held;
}

// A folder of our own under the temp folder: made new, so nothing can lie
// in it before the copy does, and with the setup's protected list from its
// first moment, so that only administrators and the system can write into
// it. The temp folder is the user's, who could otherwise put another
// program in the copy's place between its copy and its start. Held until
// the start; the handle goes to the caller.
static HANDLE MakeEraserFolder(char* folder, size_t size)
{
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp) {
        return INVALID_HANDLE_VALUE;
    }
    char prefix[kTargetNameSize + 1];
    EraserFolderPrefix(prefix);
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int i = 0; i < kFolderAttempts; i++) {
        char name[kTargetNameSize + 16];
        wsprintfA(name, "%s%08lX", prefix, (unsigned long)(seed + i * 7919));
        if (JoinPath(folder, size, temp, name, false) && CreateProtectedFolder(folder)) {
            return HoldNewFolder(folder);
        }
    }
    return INVALID_HANDLE_VALUE;
}

// Copies the uninstaller into the held folder and starts the copy with an
// inheritable handle of this process to wait for.
static bool CopyAndStart(const char* path, const char* copy)
{
    if (!CopyFileA(path, copy, TRUE)) {
        return false;
    }
    HANDLE self = NULL;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                         SYNCHRONIZE, TRUE, 0)) {
        DeleteFileA(copy);
        return false;
    }
    char command[MAX_PATH + 32];
    wsprintfA(command, "\"%s\" " ERASE_SWITCH " %lu", copy, (unsigned long)(ULONG_PTR)self);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    // The system folder as its working folder, so that the copy holds no
    // handle on a folder that someone may want to remove.
    BOOL started = CreateProcessA(copy, command, NULL, NULL, TRUE, 0, NULL,
                                  g_removal.systemFolder[0] ? g_removal.systemFolder : NULL,
                                  &startup, &process);
    CloseHandle(self);
    if (!started) {
        DeleteFileA(copy);
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool StartEraser(const char* path)
{
    char folder[MAX_PATH];
    char copy[MAX_PATH];
    HANDLE held = MakeEraserFolder(folder, sizeof folder);
    if (held == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool started =
        JoinPath(copy, sizeof copy, folder, kEntries[kUninstallerEntry].target, false) &&
        CopyAndStart(path, copy);
    // Let go first: the folder cannot be deleted while it is held so.
    CloseHandle(held);
    if (!started) {
        RemoveDirectoryA(folder);
    }
    return started;
}

// The folder this program runs from, when it is one of the eraser's own
// making ("Qorvunst-..."); false anywhere else, the Windows folder included.
static bool RunsFromEraserFolder(char* self, size_t selfSize, char* folder, size_t folderSize)
{
    DWORD n = GetModuleFileNameA(NULL, self, (DWORD)selfSize);
    if (n == 0 || n >= selfSize || !ParentFolder(self, folder, folderSize)) {
        return false;
    }
    const char* name = strrchr(folder, '\\');
    char prefix[kTargetNameSize + 1];
    EraserFolderPrefix(prefix);
    return name != NULL && StartsWithIgnoringCase(name + 1, prefix);
}

int RunEraser(const char* handleText)
{
    char self[MAX_PATH];
    char folder[MAX_PATH];
    // Started by hand as the installed uninstaller (or any other copy), the
    // switch does nothing: only the uninstaller's copy in a folder of its
    // own deletes anything, or has itself deleted at the restart.
    if (!RunsFromEraserFolder(self, sizeof self, folder, sizeof folder)) {
        return kRemoved;
    }
    char* end = NULL;
    unsigned long value = strtoul(handleText, &end, 10);
    HANDLE uninstaller = (HANDLE)(ULONG_PTR)value;
    // The uninstaller starts this copy as its very last step, so the wait
    // is for its exit alone; the limit only guards against a hung one.
    DWORD wait = end != handleText && *end == '\0' && value != 0
                     ? WaitForSingleObject(uninstaller, kEndWait)
                     : WAIT_FAILED;
    bool ended = wait == WAIT_OBJECT_0;
    int result = kRemoved;
    char path[MAX_PATH];
    // Only with the uninstaller's process to wait for, and then only the one
    // file it always names itself.
    bool named = (ended || wait == WAIT_TIMEOUT) && g_removal.windowsFolder[0] != '\0' &&
                 JoinPath(path, sizeof path, g_removal.windowsFolder,
                          kEntries[kUninstallerEntry].target, false);
    if (named && !ended) {
        // Still running after all that time: it cannot go now, but it must
        // not outlive the next restart.
        result = MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) ? kRestartNeeded
                                                                       : kRemovalFailed;
    } else if (named) {
        DWORD start = GetTickCount();
        NameState state;
        NameDeletion done;
        while ((done = DeleteOwnName(path, &state)) == kNameFailed) {
            if (GetTickCount() - start >= kDeleteWait) {
                result = MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) ? kRestartNeeded
                                                                               : kRemovalFailed;
                break;
            }
            Sleep(kDeleteInterval);
        }
        if (done == kNameShared || done == kNameStillThere) {
            result = kRemovalFailed;
        }
    }
    MoveFileExA(self, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(folder, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (ended) {
        CloseHandle(uninstaller);
    }
    return result;
}
