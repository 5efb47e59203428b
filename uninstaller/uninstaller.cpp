// Vantor's uninstaller, installed into the Windows folder and registered as
// the product's uninstall command. It removes what the setup made, keeps
// the user's data when asked to, and leaves the machine as it found it.
//
//   (uninstaller)       asks, removes, and says what it left in place
//   (uninstaller) /S    removes without a window and keeps data files
//   /LOG=file           with either, a log of what it removed and left
//   /LOG                the same, in the temp folder
//
// With /S anywhere, anything else ends the run at once with the refused
// code, shows nothing and changes nothing; without it, the run is the
// interactive one without a log.
#include "uninstaller.h"

#include <string.h>

#include "dll_search.h"
#include "command_line.h"
#include "path_helpers.h"
#include "removal_rules.h"
#include "run_log.h"
#include "uninstall_texts.h"

Removal g_removal;

// The switches: /S, /LOG=file or a bare /LOG (the temp folder's), in any
// order and letter case; other setup systems' names for an unattended run
// mean /S, there being no other quiet mode, and /NORESTART and the like
// are taken and ignored. Without /S, anything else makes the run the
// interactive one, without a log, as before. With /S nobody may be there
// to answer: anything else refuses the command line (false, with the
// argument in refused), and a log named anywhere in it is kept for the
// refusal. A log is asked for when *logged, in log or, empty, in the temp
// folder.
static bool ReadSwitches(const char* arguments, char log[MAX_PATH], bool* logged,
                         char refused[MAX_PATH + sizeof LOG_SWITCH])
{
    Removal& r = g_removal;
    log[0] = '\0';
    *logged = false;
    r.silent = AsksUnattended(arguments);
    bool silentSeen = false;
    const char* next = arguments;
    for (;;) {
        while (*next == ' ' || *next == '\t') {
            next++;
        }
        if (*next == '\0') {
            return true;
        }
        bool tooLong = false;
        next = ReadArgument(next, refused, MAX_PATH + sizeof LOG_SWITCH, &tooLong);
        bool whole = next != NULL && !tooLong;
        RunMode mode = kInteractive;
        if (whole && ReadModeSwitch(refused, &mode) && (mode == kInteractive || !silentSeen)) {
            silentSeen = silentSeen || mode != kInteractive;
        } else if (whole && !*logged && SameTextIgnoringCase(refused, LOG_IN_TEMP_SWITCH)) {
            *logged = true;
        } else if (whole && !*logged && StartsWithIgnoringCase(refused, LOG_SWITCH) &&
                   refused[sizeof LOG_SWITCH - 1] != '\0' &&
                   CopyText(log, MAX_PATH, refused + sizeof LOG_SWITCH - 1)) {
            *logged = true;
        } else if (!r.silent) {
            log[0] = '\0';
            *logged = false;
            return true;
        } else {
            *logged = FindLog(arguments, log, MAX_PATH);
            return false;
        }
    }
}

// The log asked for, begun; false, with a box unless silent, when it
// cannot be made: then nothing is removed.
static bool BeginLog(const char* log, bool logged)
{
    if (!logged) {
        return true;
    }
    if (!(log[0] != '\0' ? OpenRunLog(log) : OpenTempRunLog(kProductName, "removal"))) {
        char text[sizeof LOG_REFUSED_TEXT + MAX_PATH];
        CopyText(text, sizeof text, LOG_REFUSED_TEXT);
        AppendText(text, sizeof text, log[0] != '\0' ? log : "%TEMP%");
        AskUser(text, MB_OK, IDOK);
        return false;
    }
    LogLine("%s", kStatusReadyText);
    LogRunHeader();
    return true;
}

// Files, links and records, in that order: a Cancel on a file in use stops
// before the records go, so the user can run the removal again.
static int Remove(const char* runningPath)
{
    Removal& r = g_removal;
    if (!RemoveProgramFiles() || !RemoveLinks() || !RemoveWindowsFiles(runningPath)) {
        return kRemovalCancelled;
    }
    if (r.failed) {
        return kRemovalFailed;  // the entry stays, for another try
    }
    RemoveRecords();
    LogLine("removed the uninstall entry and the product's registry values");
    return r.restartNeeded ? kRestartNeeded : kRemoved;
}

static int RunRemoval(HINSTANCE instance, const char* running)
{
    Removal& r = g_removal;
    if (!r.silent) {
        CreateRemovalWindow(instance);
    }
    if (!ReadUninstallEntry()) {
        AskUser(kNotInstalledText, MB_OK, IDOK);
        return kNotInstalled;
    }
    if (AskUser(kConfirmText, MB_YESNO | MB_DEFBUTTON1, IDYES) != IDYES) {
        return kRemovalCancelled;
    }
    SetRemovalStatus(kStatusText);
    FindSystemFolders();
    LogLine("program folder: %s; group: %s", r.programPath, r.groupName);
    int result = Remove(running);
    if (result == kRemovalCancelled && r.cancelled) {
        AskUser(kStoppedText, MB_OK, IDOK);
        return result;
    }
    bool complete = result != kRemovalFailed;
    SetRemovalStatus(complete ? kRemovedText : kNotCompleteStatus);
    FinishEndItems(r.endText, sizeof r.endText, r.endItems);
    char text[kProductTextSize + sizeof LEFT_HEADING + kEndTextSize];
    ComposeEndText(text, sizeof text, complete, r.endText, r.endItems);
    AskUser(text, MB_OK, IDOK);
    return result;
}

// The installed uninstaller leaves its own file to a copy that deletes it
// once this process has ended. The copy starts as the very last step, after
// every box, so that its wait covers nothing but this process's exit.
static int EraseRunningUninstaller(int result, const char* running)
{
    if (result != kRemoved && result != kRestartNeeded) {
        return result;  // the entry stays, and it names this file
    }
    Removal& r = g_removal;
    char path[MAX_PATH];
    if (r.windowsFolder[0] == '\0' ||
        !JoinPath(path, sizeof path, r.windowsFolder, kEntries[kUninstallerEntry].target, false) ||
        !SameFile(path, running) || StartEraser(running)) {
        return result;
    }
    // No copy could start: the file goes at the restart instead; failing
    // that it stays, with no entry left to name it.
    return MoveFileExA(running, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) ? kRestartNeeded
                                                                   : kRemovalFailed;
}

static int EndRun(int result)
{
    LogLine("Exit code %d", result);
    CloseRunLog();
    return result;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    const char* arguments = SkipProgramName(GetCommandLineA());
    if (StartsWithIgnoringCase(arguments, ERASE_SWITCH " ")) {
        FindSystemFolders();
        return RunEraser(arguments + sizeof ERASE_SWITCH);
    }
    char log[MAX_PATH];
    bool logged;
    char refused[MAX_PATH + sizeof LOG_SWITCH];
    if (!ReadSwitches(arguments, log, &logged, refused)) {
        // Silent, so BeginLog shows nothing when the log cannot be made.
        BeginLog(log, logged);
        LogLine("Refused: %s: besides /S only /LOG=file is taken, each once, with its "
                "quotes closed and a path that fits",
                refused);
        return EndRun(kRemovalRefused);
    }
    if (!BeginLog(log, logged)) {
        return kRemovalFailed;
    }
    char running[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, running, sizeof running);
    if (n == 0 || n >= sizeof running) {
        running[0] = '\0';
    }
    int result = RunRemoval(instance, running);
    CloseRemovalWindow();
    return EndRun(EraseRunningUninstaller(result, running));
}
