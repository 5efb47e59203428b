// Removals that cannot be complete: a file of the product's stays, or the
// uninstall entry does not say where the files are. Each case installs,
// tampers, removes with /S (some interactively, for the end box's words)
// and demands exit code 1, the entry kept and what was not ours
// untouched; then undoes the tampering, and the next removal completes.
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_scenarios.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"

namespace {

#define HOST_REQUEST "C:\\e2e-host-request"
#define FOREIGN_FOLDER "C:\\e2e-foreign"
#define FOREIGN_FILE FOREIGN_FOLDER "\\precious.ini"

// Asks the scenario's host helper (host-remove-not-removed.sh) to act on
// paths of drive C:, and waits until it has.
bool AskHost(const char* verb, const char* first, const char* second = "")
{
    char request[MAX_PATH * 3];
    snprintf(request, sizeof request, "%s\n%s\n%s\n", verb, first, second);
    if (!WriteTextFile(HOST_REQUEST, request)) {
        return false;
    }
    DWORD start = GetTickCount();
    while (PathExists(HOST_REQUEST) && GetTickCount() - start < kWaitLimit) {
        Sleep(kPollInterval);
    }
    return Check(!PathExists(HOST_REQUEST), "the host did: %s %s %s", verb, first, second);
}

void GroupFolder(char* path, int size)
{
    char programs[MAX_PATH];
    SpecialFolder(CSIDL_PROGRAMS, programs);
    JoinPath(path, size, programs, g_walk.group);
}

void Aside(char* aside, int size, const char* folder)
{
    snprintf(aside, size, "%s-aside", folder);
}

// The folder moved aside and a host link to it put in its place.
bool LinkInPlace(const char* folder)
{
    char aside[MAX_PATH];
    Aside(aside, sizeof aside, folder);
    return Check(MoveFileA(folder, aside) != 0, "moved %s aside", folder) &&
           AskHost("symlink", folder, aside);
}

void UnlinkInPlace(const char* folder)
{
    char aside[MAX_PATH];
    Aside(aside, sizeof aside, folder);
    AskHost("remove", folder);
    Check(MoveFileA(aside, folder) != 0, "moved %s back", folder);
}

// Every program file of the product, in the folder, as the setup wrote it.
void CheckProgramFiles(const char* folder)
{
    for (int i = 0; i < kFileCount; i++) {
        char path[MAX_PATH];
        char reference[MAX_PATH];
        if (!(kFiles[i].flags & kInWindowsFolder)) {
            JoinPath(path, sizeof path, folder, kFiles[i].name);
            snprintf(reference, sizeof reference, REFERENCE_FOLDER "%s", kFiles[i].name);
            CheckSameFile(path, reference);
        }
    }
}

// A product file the cases put something else under: the last one of the
// program folder's.
void TakenName(char* path, int size)
{
    ProgramFile(path, size, kFiles[kFileCount - 1].name);
}

// --- The cases.

bool FolderLink()
{
    return LinkInPlace(g_walk.destination);
}

void CheckFolderLink()
{
    char aside[MAX_PATH];
    Aside(aside, sizeof aside, g_walk.destination);
    CheckProgramFiles(aside);
}

void UndoFolderLink()
{
    UnlinkInPlace(g_walk.destination);
}

bool PathTooLong()
{
    char value[MAX_PATH + 64];
    int n = snprintf(value, sizeof value, "%s\\", g_walk.destination);
    memset(value + n, 'x', sizeof value - n - 1);
    value[sizeof value - 1] = '\0';
    return SetProgramPath(value);
}

bool PathExpandable()
{
    return SetProgramPath(g_walk.destination, REG_EXPAND_SZ);
}

void CheckProgramFolder()
{
    CheckProgramFiles(g_walk.destination);
}

void UndoPath()
{
    SetProgramPath(g_walk.destination);
}

bool GroupLink()
{
    char group[MAX_PATH];
    GroupFolder(group, sizeof group);
    return LinkInPlace(group);
}

void CheckGroupLink()
{
    char group[MAX_PATH];
    char aside[MAX_PATH];
    GroupFolder(group, sizeof group);
    Aside(aside, sizeof aside, group);
    for (int i = 0; i < kShortcutCount; i++) {
        char link[MAX_PATH];
        CaptionLink(link, sizeof link, aside, i);
        Check(PathExists(link), "the link %s is untouched", link);
    }
}

void UndoGroupLink()
{
    char group[MAX_PATH];
    GroupFolder(group, sizeof group);
    UnlinkInPlace(group);
}

// A read-only file of someone else's, hard-linked under one of our names:
// clearing the mark for our name would clear it for theirs.
bool SharedReadOnly()
{
    char name[MAX_PATH];
    TakenName(name, sizeof name);
    CreateDirectoryA(FOREIGN_FOLDER, NULL);
    PlantFile(FOREIGN_FILE);
    if (!Check(SetFileAttributesA(FOREIGN_FILE, FILE_ATTRIBUTE_READONLY) != 0,
               "%s made read-only", FOREIGN_FILE) ||
        !Check(DeleteFileA(name) != 0, "deleted the installed %s", name) ||
        !AskHost("hardlink", name, FOREIGN_FILE)) {
        return false;
    }
    // What the uninstaller relies on: Wine counts the host's names.
    HANDLE file = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    BY_HANDLE_FILE_INFORMATION info = {};
    bool read = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return Check(read && info.nNumberOfLinks == 2 && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY),
                 "%s is a read-only file with %lu names", name, (unsigned long)info.nNumberOfLinks);
}

void CheckSharedReadOnly()
{
    char name[MAX_PATH];
    TakenName(name, sizeof name);
    CheckPlanted(FOREIGN_FILE);
    // Our name stays too, still the foreign file's other name.
    const BYTE* data = NULL;
    DWORD size = 0;
    Check(ReadWholeFile(name, 0, &data, &size) && size == strlen(FOREIGN_FILE) &&
              memcmp(data, FOREIGN_FILE, size) == 0,
          "%s still holds what %s holds", name, FOREIGN_FILE);
    DWORD attributes = GetFileAttributesA(FOREIGN_FILE);
    Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY),
          "%s is still read-only (attributes 0x%lx)", FOREIGN_FILE, (unsigned long)attributes);
}

void UndoSharedReadOnly()
{
    char name[MAX_PATH];
    TakenName(name, sizeof name);
    AskHost("remove", name);
    CheckPlanted(FOREIGN_FILE);
}

// A file whose deletion Wine reports done although the name stays.
bool Undeletable()
{
    char name[MAX_PATH];
    TakenName(name, sizeof name);
    return AskHost("lock", name);
}

void CheckUndeletable()
{
    char name[MAX_PATH];
    char reference[MAX_PATH];
    TakenName(name, sizeof name);
    snprintf(reference, sizeof reference, REFERENCE_FOLDER "%s", kFiles[kFileCount - 1].name);
    CheckSameFile(name, reference);
}

void UndoUndeletable()
{
    char name[MAX_PATH];
    TakenName(name, sizeof name);
    AskHost("unlock", name);
}

struct LeftCase {
    const char* what;
    bool (*tamper)();
    void (*check)();  // what was not the uninstaller's to touch
    void (*undo)();
    bool interactive;
    const char* line;  // the end box's line that says what stayed
    bool linePath;     // it names the file the case took
};

const LeftCase kCases[] = {
    {"the program folder replaced by a link to it", FolderLink, CheckFolderLink, UndoFolderLink,
     false, NULL, false},
    {"a Program Path too long for the uninstaller", PathTooLong, CheckProgramFolder, UndoPath,
     true, UNREADABLE_PATH_LINE, false},
    {"a Program Path of type REG_EXPAND_SZ", PathExpandable, CheckProgramFolder, UndoPath, false,
     NULL, false},
    {"the group folder replaced by a link to it", GroupLink, CheckGroupLink, UndoGroupLink, false,
     NULL, false},
    {"a read-only foreign file hard-linked under our name", SharedReadOnly, CheckSharedReadOnly,
     UndoSharedReadOnly, true, SHARED_LINE, true},
    {"a file that stays although its deletion succeeds", Undeletable, CheckUndeletable,
     UndoUndeletable, false, NULL, false},
};

// The interactive removal's end box: not complete, with the case's line;
// the program folder, which then holds a file, may be named too.
void RemoveInteractively(const LeftCase& c)
{
    char taken[MAX_PATH];
    TakenName(taken, sizeof taken);
    Lines required = {};
    Lines optional = {};
    AddLine(&required, c.line, c.linePath ? taken : "");
    AddLine(&optional, KEPT_FOLDER_LINE, g_walk.destination);
    RemovalAnswers answers = {};
    answers.leftLines = required.list;
    answers.optionalLines = optional.list;
    answers.notComplete = true;
    RemoveQuorvel(&answers);
}

void RunCase(const LeftCase& c)
{
    Log("case: %s", c.what);
    if (!InstallQuorvel() || !c.tamper()) {
        Fail("could not set up: %s", c.what);
        return;
    }
    if (c.interactive) {
        RemoveInteractively(c);
    } else {
        RunSilently(kRemovalFailed);
    }
    CheckEntryKept();
    c.check();
    c.undo();
    // The entry that stayed does its work once the way is clear again.
    Log("the removal again, with %s undone", c.what);
    if (RunSilently(kRemoved)) {
        Check(!RegKeyExists(UNINSTALL_KEY), "the uninstall entry is gone");
        Check(!PathExists(g_walk.destination), "%s is gone", g_walk.destination);
    }
}

}  // namespace

int RemoveNotRemoved()
{
    for (size_t i = 0; i < sizeof kCases / sizeof kCases[0]; i++) {
        RunCase(kCases[i]);
        StopRemoval();
    }
    return RemovalOutcome();
}
