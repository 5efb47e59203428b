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

enum Phase { kTamper, kCheck, kUndo };

// Asks the scenario's host helper (host-remove-not-removed.sh) to act on
// paths of drive C:, and waits until it has.
bool AskHost(const char* verb, const char* first, const char* second = "")
{
    char request[MAX_PATH * 3];
    snprintf(request, sizeof request, "%s\n%s\n%s\n", verb, first, second);
    return Check(HandToHost(HOST_REQUEST, request), "the host did: %s %s %s", verb, first, second);
}

// The folder moved aside and a host link to it put in its place; undone,
// the link goes and the folder comes back. The check: the folder aside
// holds every one of the names.
bool SwapForLink(Phase phase, const char* folder, const char* const* names)
{
    char aside[MAX_PATH];
    char path[MAX_PATH];
    snprintf(aside, sizeof aside, "%s-aside", folder);
    if (phase == kTamper) {
        return Check(MoveFileA(folder, aside) != 0, "moved %s aside", folder) &&
               AskHost("symlink", folder, aside);
    }
    if (phase == kUndo) {
        return AskHost("remove", folder) && Check(MoveFileA(aside, folder) != 0, "moved %s back", folder);
    }
    for (int i = 0; names[i] != NULL; i++) {
        JoinPath(path, sizeof path, aside, names[i]);
        Check(PathExists(path), "%s is untouched", path);
    }
    return true;
}

void ProgramNames(const char* names[kFileCount + 1])
{
    int n = 0;
    for (int i = 0; i < kFileCount; i++) {
        if (!(kFiles[i].flags & kInWindowsFolder)) {
            names[n++] = kFiles[i].name;
        }
    }
    names[n] = NULL;
}

// Every program file of the product, in the program folder, as the setup
// wrote it.
void CheckProgramFiles()
{
    const char* names[kFileCount + 1];
    ProgramNames(names);
    for (int i = 0; names[i] != NULL; i++) {
        char path[MAX_PATH];
        char reference[MAX_PATH];
        ProgramFile(path, sizeof path, names[i]);
        snprintf(reference, sizeof reference, REFERENCE_FOLDER "%s", names[i]);
        CheckSameFile(path, reference);
    }
}

// --- The cases, each one procedure for its three phases. The name the
// last two take is the program folder's last file.

bool FolderLink(Phase phase)
{
    const char* names[kFileCount + 1];
    ProgramNames(names);
    return SwapForLink(phase, g_walk.destination, names);
}

bool GroupLink(Phase phase)
{
    char programs[MAX_PATH];
    char group[MAX_PATH];
    char links[kShortcutCount][MAX_PATH];
    const char* names[kShortcutCount + 1];
    SpecialFolder(CSIDL_PROGRAMS, programs);
    JoinPath(group, sizeof group, programs, g_walk.group);
    for (int i = 0; i < kShortcutCount; i++) {
        snprintf(links[i], MAX_PATH, "%s.lnk", kFiles[i].caption);
        names[i] = links[i];
    }
    names[kShortcutCount] = NULL;
    return SwapForLink(phase, group, names);
}

bool PathTooLong(Phase phase)
{
    char value[MAX_PATH + 64];
    int n = snprintf(value, sizeof value, "%s\\", g_walk.destination);
    memset(value + n, 'x', sizeof value - n - 1);
    value[sizeof value - 1] = '\0';
    return phase == kCheck ? (CheckProgramFiles(), true)
                           : SetProgramPath(phase == kTamper ? value : g_walk.destination);
}

bool PathExpandable(Phase phase)
{
    return phase == kCheck ? (CheckProgramFiles(), true)
                           : SetProgramPath(g_walk.destination,
                                            phase == kTamper ? REG_EXPAND_SZ : REG_SZ);
}

// A read-only file of someone else's, hard-linked under one of our names:
// clearing the mark for our name would clear it for theirs.
bool SharedReadOnly(Phase phase)
{
    char name[MAX_PATH];
    ProgramFile(name, sizeof name, kFiles[kFileCount - 1].name);
    if (phase == kUndo) {
        return AskHost("remove", name);
    }
    if (phase == kTamper) {
        CreateDirectoryA(FOREIGN_FOLDER, NULL);
        PlantFile(FOREIGN_FILE);
        if (!SetFileAttributesA(FOREIGN_FILE, FILE_ATTRIBUTE_READONLY) || !DeleteFileA(name) ||
            !AskHost("hardlink", name, FOREIGN_FILE)) {
            return false;
        }
    }
    // What the uninstaller relies on: Wine counts the host's names. Both
    // names stay, with the foreign content and the read-only mark.
    HANDLE file = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    BY_HANDLE_FILE_INFORMATION info = {};
    bool read = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    CheckPlanted(FOREIGN_FILE);
    return Check(read && info.nNumberOfLinks == 2 &&
                     (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY),
                 "%s is a read-only file with %lu names", name,
                 (unsigned long)info.nNumberOfLinks);
}

// A file whose deletion Wine reports done although the name stays.
bool Undeletable(Phase phase)
{
    char name[MAX_PATH];
    char reference[MAX_PATH];
    ProgramFile(name, sizeof name, kFiles[kFileCount - 1].name);
    snprintf(reference, sizeof reference, REFERENCE_FOLDER "%s", kFiles[kFileCount - 1].name);
    return phase == kCheck ? (CheckSameFile(name, reference), true)
                           : AskHost(phase == kTamper ? "lock" : "unlock", name);
}

// A read-only file whose mark cannot be cleared: its deletion is refused
// with access denied, which is not a file in use, so it does not wait for
// the restart (exit code 3010) but is named as not removed.
bool LockedReadOnly(Phase phase)
{
    char name[MAX_PATH];
    ProgramFile(name, sizeof name, kFiles[kFileCount - 1].name);
    if (phase == kTamper &&
        !Check(SetFileAttributesA(name, FILE_ATTRIBUTE_READONLY) != 0, "made %s read-only", name)) {
        return false;
    }
    bool done = Undeletable(phase);  // locked, checked untouched, unlocked
    return phase == kUndo ? done && SetFileAttributesA(name, FILE_ATTRIBUTE_NORMAL) : done;
}

struct LeftCase {
    const char* what;
    bool (*run)(Phase phase);
    const char* line;  // interactive: the end box's line that says what stayed
    bool linePath;     // it names the file the case took
};

const LeftCase kCases[] = {
    {"the program folder replaced by a link to it", FolderLink, NULL, false},
    {"a Program Path too long for the uninstaller", PathTooLong, UNREADABLE_PATH_LINE, false},
    {"a Program Path of type REG_EXPAND_SZ", PathExpandable, NULL, false},
    {"the group folder replaced by a link to it", GroupLink, NULL, false},
    {"a read-only foreign file hard-linked under our name", SharedReadOnly, SHARED_LINE, true},
    {"a file that stays although its deletion succeeds", Undeletable, NULL, false},
    {"a read-only file whose mark cannot be cleared", LockedReadOnly, FAILED_LINE, true},
    {"a read-only file whose mark cannot be cleared, silently", LockedReadOnly, NULL, false},
};

// The interactive removal's end box: not complete, with the case's line;
// the program folder, which then holds a file, may be named too.
void RemoveInteractively(const LeftCase& c)
{
    char taken[MAX_PATH];
    ProgramFile(taken, sizeof taken, kFiles[kFileCount - 1].name);
    Lines required = {};
    Lines optional = {};
    AddLine(&required, c.line, c.linePath ? taken : "");
    AddLine(&optional, KEPT_FOLDER_LINE, g_walk.destination);
    RemovalAnswers answers = {};
    answers.leftLines = required.list;
    answers.optionalLines = optional.list;
    answers.notComplete = true;
    RemoveProduct(&answers);
}

void RunCase(const LeftCase& c)
{
    Log("case: %s", c.what);
    if (!InstallProduct() || !c.run(kTamper)) {
        Fail("could not set up: %s", c.what);
        return;
    }
    if (c.line != NULL) {
        RemoveInteractively(c);
    } else {
        RunSilently(kRemovalFailed);
    }
    CheckEntryKept();
    c.run(kCheck);
    c.run(kUndo);
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
