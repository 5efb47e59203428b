// Scenarios of the unattended command line: /S installs without a window
// and is removed again by the registered quiet command; refused command
// lines change nothing, and the uninstaller refuses as the setup does; a
// file in use, a setup already running, /PASSIVE and /? each end as their
// exit code says; so do drives of their own, with too little room or enough.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_scenarios.h"
#include "e2e_snapshot.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"
#include "one_setup.h"

namespace {

enum {
    kInstalled = 0,
    kRefused = 2,
    kInUse = 3,
    kNoSpace = 5,
    kRunning = 1618,
    kLogSize = 64 * 1024,
};

// Outside drive C:, so that the snapshots do not see it.
#define LOG_PATH "S:\\deploy log.txt"
// Folders a user made before the installation: one that others may change,
// and one that holds a file of the main program's name beside their own.
#define OPEN_FOLDER "C:\\Open"
#define LOOKALIKE_BASE "C:\\Data"
#define LOOKALIKE LOOKALIKE_BASE "\\" PRODUCT
#define REFUSAL_LOG "S:\\refused.log"
// Made by the host before the driver starts (host-refusals.sh): the first
// folder is a link to the second, and file.log in the third is a link to
// other.log in the second.
#define LINKED_LOGS "C:\\Users\\Public\\logs"
#define PROTECTED "C:\\protected"
#define PLAIN_LOGS "C:\\Users\\Public\\plain"
#define MISSING_DRIVE_FOLDER "Q:\\Apps"
// Made by the host (host-tiny-drive.sh): drives that are file systems of
// their own, H: too small for the product, I: with room and a folder
// below its root that mounts another.
#define SMALL_DRIVE "H:\\"
#define ROOMY_DRIVE "I:\\"
#define MOUNTED_FOLDER ROOMY_DRIVE "Mounted"

// Runs the setup with the arguments to its end, watching every moment that
// it shows no window when quiet is set; its exit code is checked and the
// time it took logged.
bool RunSetup(const char* arguments, DWORD expected, bool quiet)
{
    DWORD start = GetTickCount();
    if (!StartSetup(arguments)) {
        return false;
    }
    HWND seen = NULL;
    while (SetupRunning() && GetTickCount() - start < kLongWait) {
        if (quiet && seen == NULL) {
            seen = AnySetupWindow();
        }
        Sleep(kPollInterval / 4);
    }
    DWORD took = GetTickCount() - start;
    FailShownWindow(seen, arguments);
    bool ended = ExpectSetupExit(kWaitLimit, expected);
    Log("the setup with %s took %lu ms", arguments, (unsigned long)took);
    return ended;
}

// Nothing differs from the kBefore snapshot.
void CheckUnchanged(const char* what)
{
    TakeSnapshot(kAfter);
    CheckDifferences(what, NULL, 0);
}

bool ReadLog(const char* path, char* text, int size)
{
    text[0] = '\0';
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return Check(false, "the log %s is there", path);
    }
    DWORD read = 0;
    ReadFile(file, text, (DWORD)size - 1, &read, NULL);
    CloseHandle(file);
    text[read] = '\0';
    return true;
}

void ExpectLogLines(const char* path, const char* const* lines, int count)
{
    static char text[kLogSize];
    if (!ReadLog(path, text, sizeof text)) {
        return;
    }
    for (int i = 0; i < count; i++) {
        Check(strstr(text, lines[i]) != NULL, "the log holds \"%s\"", Printable(lines[i]));
    }
    Check(strstr(text, "\r\n") != NULL && strstr(text, "\n\n") == NULL &&
              strstr(text, "\r\r") == NULL,
          "the log's lines end with CR LF");
}

void ExpectInstalledAt(const char* destination, const char* group)
{
    snprintf(g_walk.destination, sizeof g_walk.destination, "%s", destination);
    snprintf(g_walk.group, sizeof g_walk.group, "%s", group);
    CheckInstalled();
}

// The removal the package manager would run, as it is registered; then
// the machine as it was before the installation.
void RemoveAsRegistered()
{
    char quiet[MAX_PATH + 16] = "";
    HKEY key;
    DWORD bytes = sizeof quiet - 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "QuietUninstallString", NULL, NULL, (BYTE*)quiet, &bytes);
        RegCloseKey(key);
    }
    if (Check(quiet[0] == '"', "the quiet removal command is registered: %s", quiet) &&
        RunRemovalQuietly(quiet, kRemoved)) {
        CheckAfterRemoval(NULL, NULL);
    }
}


}  // namespace

int SilentInstall()
{
    TakeSnapshot(kBefore);
    DWORD start = GetTickCount();
    if (!RunSetup("/S", kInstalled, true)) {
        return RemovalOutcome();
    }
    Log("timing: silent installation took %lu ms", (unsigned long)(GetTickCount() - start));
    // The machine as an interactive installation leaves it (install-snapshot
    // demands the same list of it): every difference the product makes and
    // no other. Taken first: the checks after it read the files.
    snprintf(g_walk.destination, sizeof g_walk.destination, "%s", DEFAULT_FOLDER);
    snprintf(g_walk.group, sizeof g_walk.group, "%s", PRODUCT);
    CheckInstallationDifferences("after the silent installation");
    ExpectInstalledAt(DEFAULT_FOLDER, PRODUCT);
    RemoveAsRegistered();
    return RemovalOutcome();
}

int DeployRefused()
{
    static const char* const kLines[] = {
        "/S /X",
        "/S /DIR=Apps",
        "/S /DIR=C:\\",
        "/S /DIR=C:\\Apps.",
        "/S \"/DIR=C:\\Ap|ps\"",
        "/S /GROUP=CON",
        "/S /GROUP=",
        "/S /DIR=",
        "/S /LOG=",
        "/S /LOG=C:\\missing\\setup.log",
        "/PASSIVE /S",
        "/DIR=C:\\Apps /PASSIVE /LOG=C:\\missing\\setup.log",
        "/S /DIR=" OPEN_FOLDER,
        "/S /DIR=" LOOKALIKE_BASE,
        "/S /DIR=" MISSING_DRIVE_FOLDER,
    };
    Check(MakeFolderOthersMayChange(OPEN_FOLDER), "everyone may change %s", OPEN_FOLDER);
    char program[MAX_PATH];
    snprintf(program, sizeof program, LOOKALIKE "\\%s", kFiles[kMainProgram].name);
    Check(CreateDirectoryA(LOOKALIKE_BASE, NULL) && CreateDirectoryA(LOOKALIKE, NULL) &&
              WriteTextFile(program, "not the product") &&
              WriteTextFile(LOOKALIKE "\\notes.txt", "theirs"),
          "made %s with a lone %s", LOOKALIKE, program);
    TakeSnapshot(kBefore);
    for (const char* line : kLines) {
        RunSetup(line, kRefused, true);
        CheckUnchanged(line);
    }
    // The log says why, naming the folder.
    const struct {
        const char* line;
        const char* logged;
    } kExplained[] = {
        {"/S /DIR=" OPEN_FOLDER " \"/LOG=" LOG_PATH "\"",
         OPEN_FOLDER "  can be changed by users other than administrators"},
        {"/S /DIR=" LOOKALIKE_BASE " \"/LOG=" LOG_PATH "\"",
         LOOKALIKE " holds files that are not the product's"},
        {"/S /DIR=" MISSING_DRIVE_FOLDER " \"/LOG=" LOG_PATH "\"",
         "The drive Q: does not exist or is not a fixed or removable disk."},
    };
    for (const auto& explained : kExplained) {
        RunSetup(explained.line, kRefused, true);
        ExpectLogLines(LOG_PATH, &explained.logged, 1);
    }
    // With someone there, a warning names the argument; the code stays 1.
    Box box;
    if (StartSetup("/DIR=C:\\Apps /X") && WaitBox(NULL, &box)) {
        CheckBox(&box,
                 "The command line was refused at\r\n/X\r\n\r\n"
                 "This is not a switch of this setup.",
                 "warning");
        AnswerBox(&box, IDOK);
    }
    ExpectSetupExit(kWaitLimit, 1);
    CheckUnchanged("an interactive refusal");
    StopSetup();
    return Outcome();
}

int DeployValues()
{
    TakeSnapshot(kBefore);
    if (!RunSetup("/s /dir=\"C:\\My Apps\" /Group=\"My Tools\" /Log=\"" LOG_PATH "\"", kInstalled,
                  true)) {
        return Outcome();
    }
    ExpectInstalledAt("C:\\My Apps\\" PRODUCT, "My Tools");
    static const char* const kLines[] = {
        " /s /dir=\"C:\\My Apps\"",
        "Command line: ",
        "; account ",
        "; time zone ",
        " bytes, version " PRODUCT_VERSION "; Windows ",
        "Registry value HKLM\\" UNINSTALL_KEY ": NoModify, REG_DWORD = 1\r\n",
        "Destination: C:\\My Apps\\" PRODUCT "\r\n",
        "Program group: My Tools\r\n",
        "Created C:\\My Apps\\" PRODUCT "\r\n",
        "Wrote C:\\My Apps\\" PRODUCT "\\",
        "Link ",
        ": InstallLocation, REG_SZ = C:\\My Apps\\" PRODUCT "\r\n",
        "Exit code 0\r\n",
    };
    ExpectLogLines(LOG_PATH, kLines, sizeof kLines / sizeof kLines[0]);

    // Without /DIR and /GROUP, the earlier installation's again.
    if (RunSetup("/S", kInstalled, true)) {
        ExpectInstalledAt("C:\\My Apps\\" PRODUCT, "My Tools");
    }
    // The removal takes the folder the first run made above the program
    // folder too: the machine is as it was.
    if (RunSilently(kRemoved)) {
        CheckAfterRemoval(NULL, NULL);
    }
    return RemovalOutcome();
}

int DeployInUse()
{
    if (!RunSetup("/S", kInstalled, true)) {
        return RemovalOutcome();
    }
    strcpy(g_walk.destination, DEFAULT_FOLDER);
    PROCESS_INFORMATION ledgerProcess;
    HWND ledger = StartLedger(&ledgerProcess);
    if (ledger == NULL) {
        return RemovalOutcome();
    }
    TakeSnapshot(kBefore);
    RunSetup("/S /LOG=\"" LOG_PATH "\"", kInUse, true);
    CheckUnchanged("a file in use: the installation untouched");
    CloseLedger(ledger, &ledgerProcess);
    static const char* const kLines[] = {"is in use and cannot be replaced", "Exit code 3\r\n"};
    ExpectLogLines(LOG_PATH, kLines, 2);
    return RemovalOutcome();
}

int DeployRunning()
{
    if (WelcomePage() == NULL) {
        StopSetup();
        return Outcome();
    }
    PROCESS_INFORMATION first = {};
    first.hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, SetupProcessId());
    TakeSnapshot(kBefore);
    RunSetup("/S", kRunning, true);
    CheckUnchanged("a second setup while the first shows its welcome page");
    if (first.hProcess != NULL) {
        TerminateProcess(first.hProcess, 1);
        WaitForSingleObject(first.hProcess, kWaitLimit);
        CloseHandle(first.hProcess);
    }
    char name[MAX_PATH];
    snprintf(name, sizeof name, SESSIONS_PREFIX SETUP_NAME_FORMAT, PRODUCT);
    HANDLE taken = CreateMutexA(NULL, FALSE, name);
    Check(taken != NULL && GetLastError() == ERROR_SUCCESS, "the name taken first, with no owner");
    RunSetup("/S", kInstalled, true);
    return Outcome();
}

int DeployPassive()
{
    if (!StartSetup("/PASSIVE")) {
        return Outcome();
    }
    HWND page = WaitWindow(NULL, EXTRACTION_CAPTION, NULL, kWaitLimit);
    Check(page != NULL, "the extraction page shows, owned by no window");
    // Only the two progress windows may show, and nothing that waits.
    bool shortcuts = false;
    DWORD start = GetTickCount();
    while (SetupRunning() && GetTickCount() - start < kLongWait) {
        HWND shown = AnySetupWindow();
        char caption[256] = "";
        if (shown != NULL) {
            GetWindowTextA(shown, caption, sizeof caption);
        }
        if (shown != NULL && strcmp(caption, EXTRACTION_CAPTION) != 0 &&
            strcmp(caption, SHORTCUTS_CAPTION) != 0) {
            Fail("a window other than the progress shows: \"%s\"", caption);
            break;
        }
        shortcuts = shortcuts || strcmp(caption, SHORTCUTS_CAPTION) == 0;
        Sleep(kPollInterval);
    }
    Check(shortcuts, "the shortcut dialog showed");
    if (ExpectSetupExit(kWaitLimit, kInstalled)) {
        ExpectInstalledAt(DEFAULT_FOLDER, PRODUCT);
    }
    StopSetup();
    return Outcome();
}

int DeployHelp()
{
    TakeSnapshot(kBefore);
    if (!StartSetup("/?")) {
        return Outcome();
    }
    Box box;
    if (WaitBox(NULL, &box)) {
        Check(strcmp(box.caption, PRODUCT_INSTALLER_NAME) == 0,
              "the box is captioned " PRODUCT_INSTALLER_NAME);
        Check(strcmp(box.icon, "information") == 0, "it has the information icon");
        static const char* const kNamed[] = {"/S\t", "/PASSIVE\t", "/DIR=", "/GROUP=", "/LOG=",
                                             "/?\t", "/VERYSILENT ", "/QB\t", "/NORESTART ",
                                             "0\t", "1\t", "2\t", "3\t", "1618\t"};
        for (const char* named : kNamed) {
            Check(strstr(box.text, named) != NULL, "it lists %s", Printable(named));
        }
        AnswerBox(&box, IDOK);
    }
    ExpectSetupExit(kWaitLimit, kInstalled);
    // Silent, the list goes to the log and nothing shows.
    RunSetup("/S /? /LOG=\"" LOG_PATH "\"", kInstalled, true);
    static const char* const kLines[] = {"/PASSIVE\t", "Exit code 0\r\n"};
    ExpectLogLines(LOG_PATH, kLines, 2);
    CheckUnchanged("the list of switches installs nothing");
    StopSetup();
    return Outcome();
}

int Refusals()
{
    PlantFile(PROTECTED "\\deploy.log");
    PlantFile(PROTECTED "\\other.log");
    if (!Check(PathExists(LINKED_LOGS "\\deploy.log") && PathExists(PLAIN_LOGS "\\file.log"),
               "the host's links lead into " PROTECTED) ||
        !RunSetup("/S", kInstalled, true)) {
        return RemovalOutcome();
    }
    // A value of 400 characters, and an argument that makes the command
    // line as long as Windows takes, with the log after it.
    static char longLog[512] = "/S /LOG=S:\\";
    static char longLine[32000] = "/S ";
    memset(longLog + strlen(longLog), 'x', 400);
    memset(longLine + strlen(longLine), 'x', sizeof longLine - 64);
    strcat(longLine, " /LOG=" REFUSAL_LOG);
    // The setup ends each with 2; a log the uninstaller cannot make stops
    // it with 1 as ever.
    const struct {
        const char* arguments;
        DWORD removalCode;
        bool logged;  // the refusal is in REFUSAL_LOG
    } kCases[] = {
        {"/S /LOG=" LINKED_LOGS "\\deploy.log", kRemovalFailed, false},
        {"/S /LOG=" LINKED_LOGS "\\new.log", kRemovalFailed, false},
        {"/S /LOG=" PLAIN_LOGS "\\file.log", kRemovalFailed, false},
        {"/X /S /LOG=" REFUSAL_LOG, kRemovalRefused, true},
        {"/S /S", kRemovalRefused, false},
        {"/S /LOG=" REFUSAL_LOG " /LOG=S:\\second.log", kRemovalRefused, true},
        {"/S \"/X", kRemovalRefused, false},
        {longLog, kRemovalRefused, false},
        {longLine, kRemovalRefused, true},
    };
    static const char* const kSetupLines[] = {"Refused: ", "Exit code 2\r\n"};
    static const char* const kRemovalLines[] = {"Refused: ", "Exit code 5\r\n"};
    TakeSnapshot(kBefore);
    for (const auto& c : kCases) {
        DeleteFileA(REFUSAL_LOG);
        RunSetup(c.arguments, kRefused, true);
        if (c.logged) {
            ExpectLogLines(REFUSAL_LOG, kSetupLines, 2);
        }
        DeleteFileA(REFUSAL_LOG);
        RunSilently(c.removalCode, c.arguments);
        if (c.logged) {
            ExpectLogLines(REFUSAL_LOG, kRemovalLines, 2);
        }
    }
    // Without /S an unknown switch makes the removal the interactive one.
    char command[MAX_PATH + 8];
    HWND window = ReadUninstallCommand(command, MAX_PATH) && StartRemoval(strcat(command, " /X"))
                      ? RemovalWindow()
                      : NULL;
    Box box;
    if (window != NULL && WaitRemovalBox(window, &box)) {
        CheckRemovalBox(&box, CONFIRM_TEXT, IDYES);
        AnswerRemovalBox(&box, IDNO);
        ExpectRemovalExit(kRemovalCancelled);
    }
    CheckUnchanged("refused command lines");
    CheckPlanted(PROTECTED "\\deploy.log");
    CheckPlanted(PROTECTED "\\other.log");
    return RemovalOutcome();
}

namespace {

// The newest log in the temp folder whose name starts with what: its
// lines checked, then it is deleted, so that snapshots do not see it.
void ExpectTempLog(const char* what, const char* const* lines, int count)
{
    char pattern[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, pattern);
    snprintf(pattern + length, sizeof pattern - length, "%s *.log", what);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (!Check(search != INVALID_HANDLE_VALUE, "a log %s is in the temp folder", pattern)) {
        return;
    }
    FindClose(search);
    snprintf(pattern + length, sizeof pattern - length, "%s", found.cFileName);
    ExpectLogLines(pattern, lines, count);
    DeleteFileA(pattern);
}

}  // namespace

int DeployAliases()
{
    // Other setup systems' switches, as deployment tools add them: the
    // silent ones show nothing, the passive ones only the progress.
    const struct {
        const char* arguments;
        DWORD code;
        bool quiet;
    } kCases[] = {
        {"/VERYSILENT /NORESTART", kInstalled, true},
        {"/quiet /SUPPRESSMSGBOXES", kInstalled, true},
        {"/QN", kInstalled, true},
        {"/SILENT /NORESTART", kInstalled, false},
        {"/qb", kInstalled, false},
        {"/S /NORESTART /VERYSILENT", kRefused, true},
        {"/NORESTART /X /QN /LOG=" REFUSAL_LOG, kRefused, true},
        {"/S /LOG", kInstalled, true},
    };
    TakeSnapshot(kBefore);
    for (const auto& c : kCases) {
        RunSetup(c.arguments, c.code, c.quiet);
    }
    ExpectInstalledAt(DEFAULT_FOLDER, PRODUCT);
    // The refusal before /LOG= is in it; the bare /LOG's went to %TEMP%.
    static const char* const kRefusal[] = {"Refused: /X: ", "Command line: ", "Exit code 2\r\n"};
    ExpectLogLines(REFUSAL_LOG, kRefusal, 3);
    static const char* const kInstall[] = {"; time zone ", "Exit code 0\r\n"};
    ExpectTempLog(PRODUCT " setup", kInstall, 2);

    // The uninstaller takes them as /S; its log has the setup's shape.
    if (RunSilently(kRemoved, "/VERYSILENT /NORESTART /LOG")) {
        static const char* const kRemoval[] = {
            "; account ", "Registry key HKLM\\" UNINSTALL_KEY " deleted", "Exit code 0\r\n"};
        ExpectTempLog(PRODUCT " removal", kRemoval, 3);
        CheckAfterRemoval(NULL, NULL);
    }
    return RemovalOutcome();
}

int TinyDrive()
{
    // What the destination's files need, on a drive with less room.
    DWORD needed = 0;
    for (int i = 0; i < kFileCount; i++) {
        char reference[MAX_PATH];
        snprintf(reference, sizeof reference, REFERENCE_FOLDER "%s", kFiles[i].name);
        DWORD size = 0;
        needed += !(kFiles[i].flags & kInWindowsFolder) && FileSize(reference, &size) ? size : 0;
    }
    ULARGE_INTEGER room = {};
    GetDiskFreeSpaceExA(SMALL_DRIVE, &room, NULL, NULL);
    char neededText[32], roomText[32], logged[256];
    ThousandsText(needed, neededText, sizeof neededText);
    ThousandsText(room.LowPart, roomText, sizeof roomText);
    snprintf(logged, sizeof logged,
             "There is not enough space on drive H:.  Needed: %s bytes  Free: %s bytes",
             neededText, roomText);
    TakeSnapshot(kBefore);
    RunSetup("/S /DIR=" SMALL_DRIVE "Apps \"/LOG=" LOG_PATH "\"", kNoSpace, true);
    CheckUnchanged("too little room");
    const char* const lines[] = {logged, "Exit code 5\r\n", "The path leads through a link"};
    ExpectLogLines(LOG_PATH, lines, 2);
    Check(!PathExists(SMALL_DRIVE "Apps"), "nothing was made on " SMALL_DRIVE);

    // A drive's root is no link; a folder that mounts a volume below it is.
    RunSetup("/S /DIR=" MOUNTED_FOLDER " \"/LOG=" LOG_PATH "\"", kRefused, true);
    ExpectLogLines(LOG_PATH, lines + 2, 1);
    if (RunSetup("/S /DIR=" ROOMY_DRIVE "Apps", kInstalled, true)) {
        ExpectInstalledAt(ROOMY_DRIVE "Apps\\" PRODUCT, PRODUCT);
        RemoveAsRegistered();
    }
    return RemovalOutcome();
}
