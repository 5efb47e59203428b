// The file side of a removal: only what the setup made, each by its exact
// name. Nothing is deleted by pattern or recursively, and nothing is
// reached through a reparse point, which could lead anywhere on the disk.
#include "uninstaller.h"

#include <shlobj.h>
#include <string.h>

#include "path_helpers.h"
#include "removal_rules.h"
#include "run_log.h"
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
    // Where the setup made the links, whoever runs the removal.
    ReadShellFolder(r.allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, r.programsFolder);
    r.sendToFolder[0] = '\0';
    if (!r.allUsers) {
        ReadShellFolder(CSIDL_SENDTO, r.sendToFolder);
    }
    r.programPathSafe = r.windowsFolder[0] != '\0' && r.systemFolder[0] != '\0' &&
                        IsRemovableProgramFolder(r.programPath, r.windowsFolder, r.systemFolder);
}

void AddLeft(const char* text, const char* suffix)
{
    Removal& r = g_removal;
    LogLine("left in place: %s%s", text, suffix);
    AddEndItem(r.endText, sizeof r.endText, &r.endItems, text, suffix);
    // Kept apart, so that a folder is not named as the user's for them; a
    // path past the list's end only makes that naming err towards telling.
    if (r.leftCount < kMaxLeftPaths && CopyText(r.left[r.leftCount], MAX_PATH, text)) {
        r.leftCount++;
    }
}

// What cannot go now because something holds it goes at the restart, and
// says so; anything else, or a name the restart refuses, is named as not
// removed, and the removal has failed. True when marked.
static bool LeaveInPlace(const char* path, bool inUse)
{
    if (inUse && MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        g_removal.restartNeeded = true;
        AddLeft(path, LEFT_AT_RESTART);
        return true;
    }
    g_removal.failed = true;
    AddLeft(path, LEFT_FAILED);
    return false;
}

// Deletes one file of ours. With a folder, its chain is checked again
// before every attempt: a box may have stood since the last check, long
// enough to put a link in the folder's place.
StepOutcome DeleteOwnFile(const char* path, const char* folder)
{
    for (;;) {
        if (folder != NULL && !IsPlainFolderChain(folder)) {
            return kFolderChanged;
        }
        NameState state;
        switch (DeleteOwnName(path, &state)) {
        case kNameGone:
            LogLine("removed %s", path);
            return kStepDone;
        case kNameNotOurs:  // left to its owner
            LogLine("not the product's, left to its owner: %s", path);
            return kStepDone;
        case kNameShared:
            g_removal.failed = true;
            AddLeft(path, LEFT_SHARED);
            return kStepDone;
        case kNameStillThere:
            g_removal.failed = true;
            AddLeft(path, LEFT_STILL_THERE);
            return kStepDone;
        case kNameFailed:
            LogError(path, state.error);
            break;
        }
        // Marked for the restart, the file keeps its cleared attributes: the
        // deletion at the restart refuses a read-only file. A file that
        // stays, for now or for good, gets back what it had.
        bool inUse = IsNameInUse(path, state.error);
        bool ask = !g_removal.silent && inUse;
        if (!ask && LeaveInPlace(path, inUse)) {
            return kStepDone;
        }
        RestoreOwnAttributes(path, &state);
        if (!ask) {
            return kStepDone;
        }
        char text[MAX_PATH + kProductTextSize];
        CopyText(text, sizeof text, path);
        AppendText(text, sizeof text, kInUseText);
        if (AskUser(text, MB_RETRYCANCEL | MB_DEFBUTTON1, IDCANCEL) != IDRETRY) {
            g_removal.cancelled = true;
            return kStepCancelled;
        }
    }
}

bool RemoveOwnFile(const char* path)
{
    return DeleteOwnFile(path, NULL) != kStepCancelled;
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
            HasPreservedExtension(found.cFileName, kPreserved, kPreservedCount)) {
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

// Whether the folder holds anything, or anything the end box does not
// name already (kept data, files of ours that stay). A folder that cannot
// be listed is neither known to be empty nor known to hold files of the
// user's.
static bool HoldsFiles(const char* folder, bool exceptNamed)
{
    char pattern[MAX_PATH];
    if (!JoinPath(pattern, sizeof pattern, folder, "*", false)) {
        return true;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return !exceptNamed;
    }
    bool other = false;
    do {
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) {
            continue;
        }
        char path[MAX_PATH];
        bool named = false;
        bool joined = exceptNamed && JoinPath(path, sizeof path, folder, found.cFileName, false);
        for (int i = 0; joined && i < g_removal.leftCount && !named; i++) {
            named = SameTextIgnoringCase(path, g_removal.left[i]);
        }
        other = other || !named;
    } while (!other && FindNextFileA(search, &found));
    FindClose(search);
    return other;
}

// Removes an empty folder. One that is empty and still cannot go (another
// process has it as its working folder) goes at the restart. False when the
// folder holds something.
static bool RemoveEmptyFolder(const char* folder)
{
    if (RemoveDirectoryA(folder)) {
        return true;
    }
    DWORD error = GetLastError();
    if (GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    if (HoldsFiles(folder, false)) {
        return false;
    }
    LeaveInPlace(folder, IsNameInUse(folder, error));
    return true;
}

// With files waiting for the restart, the folder waits too; when it holds
// the user's files as well, it is named for them all the same.
void RemoveFolderIfEmpty(const char* folder)
{
    if (RemoveEmptyFolder(folder)) {
        return;
    }
    if (HoldsFiles(folder, true)) {
        AddLeft(folder, LEFT_USER_FILES);
    }
    if (g_removal.restartNeeded) {
        MoveFileExA(folder, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

// The folder's files by name, then the folder if it is left empty. Any
// box may stand long, so the folder is checked again after one.
static StepOutcome RemoveProgramFolder()
{
    Removal& r = g_removal;
    for (int i = 0; i < kInstalledCount; i++) {
        char path[MAX_PATH];
        if ((kEntries[i].flags & kIntoWindowsFolder) ||
            !JoinPath(path, sizeof path, r.programPath, kEntries[i].target, false)) {
            continue;
        }
        StepOutcome outcome = DeleteOwnFile(path, r.programPath);
        if (outcome != kStepDone) {
            return outcome;
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
            AddLeft(path, LEFT_DATA);
            continue;
        }
        StepOutcome outcome = DeleteOwnFile(path, r.programPath);
        if (outcome != kStepDone) {
            return outcome;
        }
    }
    if (!IsPlainFolderChain(r.programPath)) {
        return kFolderChanged;
    }
    RemoveFolderIfEmpty(r.programPath);
    // Then, deepest first, the folders above it that the setup made, and
    // the publisher's, which setups before the record made too. Only while
    // empty: a user's files there stay, unnamed.
    char levels[2][MAX_PATH];
    const char* below = r.programPath;
    for (int i = 0; ParentFolder(below, levels[i & 1], MAX_PATH); i++) {
        const char* parent = levels[i & 1];
        if (!(IsWithinFolder(parent, r.createdFolder) ||
              (i == 0 && LastComponentIs(parent, kProductPublisher))) ||
            !IsPlainFolderChain(parent)) {
            break;
        }
        if (!RemoveEmptyFolder(parent)) {
            if (r.restartNeeded) {
                MoveFileExA(parent, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
            }
            break;
        }
        below = parent;
    }
    return kStepDone;
}

// Files of ours may be there still, or anywhere.
void LeaveUnsafe(const char* folder)
{
    g_removal.failed = true;
    AddLeft(folder[0] ? folder : "\"\"", LEFT_UNSAFE);
}

bool RemoveProgramFiles()
{
    Removal& r = g_removal;
    r.programFolderKept = true;  // until the folder is known to be ours
    if (!r.programPathRead) {
        r.failed = true;  // the files are somewhere, but where is not known
        AddLeft(PROGRAM_FOLDER_ITEM, LEFT_UNREADABLE);
        return true;
    }
    if (!r.programPathSafe) {
        LeaveUnsafe(r.programPath);
        return true;
    }
    if (GetFileAttributesA(r.programPath) == INVALID_FILE_ATTRIBUTES) {
        if (!IsAlreadyGone(r.programPath, GetLastError())) {
            r.failed = true;  // the uninstall entry stays for another try
            AddLeft(r.programPath, LEFT_FAILED);
        } else {
            r.programFolderKept = false;
        }
        return true;
    }
    if (!IsPlainFolderChain(r.programPath) || IsSystemFolderAlias(r.programPath)) {
        LeaveUnsafe(r.programPath);
        return true;
    }
    StepOutcome outcome = RemoveProgramFolder();
    r.programFolderKept = outcome == kFolderChanged;
    if (outcome == kFolderChanged) {
        LeaveUnsafe(r.programPath);
    }
    return outcome != kStepCancelled;
}

bool RemoveWindowsFiles(const char* runningPath)
{
    Removal& r = g_removal;
    if (r.windowsFolder[0] == '\0') {
        return true;
    }
    for (int i = 0; i < kInstalledCount; i++) {
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
