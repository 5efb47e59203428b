// Scenarios of the unattended command line: /S installs without a window
// and is removed again by the registered quiet command; refused command
// lines change nothing; a file in use, a setup already running, /PASSIVE
// and /? each end as their exit code says.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "e2e_deploy.h"
#include "e2e_driver.h"
#include "e2e_scenarios.h"
#include "e2e_snapshot.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"
#include "one_setup.h"

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

void CheckUnchanged(const char* what)
{
    TakeSnapshot(kAfter);
    CheckDifferences(what, NULL, 0);
}

void ExpectLogLines(const char* path, std::initializer_list<const char*> lines)
{
    static char text[kMaxWholeFile + 1];
    const BYTE* data;
    DWORD size;
    if (!Check(ReadWholeFile(path, 0, &data, &size), "the log %s is there", path)) {
        return;
    }
    memcpy(text, data, size);
    text[size] = '\0';
    for (const char* line : lines) {
        Check(strstr(text, line) != NULL, "the log holds \"%s\"", Printable(line));
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

int SilentInstall()
{
    TakeSnapshot(kBefore);
    DWORD start = GetTickCount();
    if (!RunSetup("/S", kInstalled, true)) {
        return RemovalOutcome();
    }
    Log("timing: silent installation took %lu ms", (unsigned long)(GetTickCount() - start));
    CheckProposedInstallationRemoved("after the silent installation");
    return RemovalOutcome();
}

void CheckProposedInstallationRemoved(const char* what)
{
    // The machine as an interactive installation leaves it (install-snapshot
    // demands the same list of it): every difference the product makes and
    // no other. Taken first: the checks after it read the files.
    snprintf(g_walk.destination, sizeof g_walk.destination, "%s", DEFAULT_FOLDER);
    snprintf(g_walk.group, sizeof g_walk.group, "%s", PRODUCT);
    CheckInstallationDifferences(what);
    ExpectInstalledAt(DEFAULT_FOLDER, PRODUCT);
    RemoveAsRegistered();
}

int DeployRefused()
{
    // Those in the folders the user made are logged, saying why.
    const struct {
        const char* line;
        const char* logged;
    } kCases[] = {
        {"/S /X", NULL}, {"/S /DIR=Apps", NULL}, {"/S /DIR=C:\\", NULL},
        {"/S /DIR=C:\\Apps.", NULL}, {"/S \"/DIR=C:\\Ap|ps\"", NULL}, {"/S /GROUP=CON", NULL},
        {"/S /GROUP=", NULL}, {"/S /DIR=", NULL}, {"/S /LOG=", NULL},
        {"/S /LOG=C:\\missing\\setup.log", NULL}, {"/PASSIVE /S", NULL},
        {"/DIR=C:\\Apps /PASSIVE /LOG=C:\\missing\\setup.log", NULL},
        {"/S /DIR=" OPEN_FOLDER " \"/LOG=" LOG_PATH "\"",
         OPEN_FOLDER "  can be changed by users other than administrators"},
        {"/S /DIR=" LOOKALIKE_BASE " \"/LOG=" LOG_PATH "\"", LOOKALIKE " holds others' files"},
        {"/S /DIR=" MISSING_DRIVE_FOLDER " \"/LOG=" LOG_PATH "\"", "There is no fixed or removable disk Q:."},
    };
    Check(MakeFolderOthersMayChange(OPEN_FOLDER), "everyone may change %s", OPEN_FOLDER);
    char program[MAX_PATH];
    snprintf(program, sizeof program, LOOKALIKE "\\%s", kFiles[kMainProgram].name);
    Check(CreateDirectoryA(LOOKALIKE_BASE, NULL) && CreateDirectoryA(LOOKALIKE, NULL) &&
              WriteTextFile(program, "not the product") &&
              WriteTextFile(LOOKALIKE "\\notes.txt", "theirs"),
          "made %s with a lone %s", LOOKALIKE, program);
    TakeSnapshot(kBefore);
    for (const auto& c : kCases) {
        RunSetup(c.line, kRefused, true);
        CheckUnchanged(c.line);
        if (c.logged != NULL) {
            ExpectLogLines(LOG_PATH, {c.logged});
        }
    }
    // With someone there, a warning names the argument; the code stays 1.
    AnswerSetupBox("/DIR=C:\\Apps /X",
                   "The command line was refused at\r\n/X\r\n\r\nThis is not a switch of this setup.",
                   "warning", IDOK, NULL);
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
    ExpectLogLines(LOG_PATH, {
        " /s /dir=\"C:\\My Apps\"",
        "Command line: ",
        "; account ",
        "; time zone ",
        "Setup of " PRODUCT " v" PRODUCT_VERSION " by " PRODUCT_PUBLISHER " (" PRODUCT_INSTALLER_NAME ")\r\n",
        " bytes; Windows ",
        "Registry value HKLM\\" UNINSTALL_KEY ": NoModify, REG_DWORD = 1\r\n",
        "Destination: C:\\My Apps\\" PRODUCT "\r\n",
        "Program group: My Tools\r\n",
        "Created C:\\My Apps\\" PRODUCT "\r\n",
        "Wrote C:\\My Apps\\" PRODUCT "\\",
        "Link ",
        ": InstallLocation, REG_SZ = C:\\My Apps\\" PRODUCT "\r\n",
        "Exit code 0\r\n",
    });

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
    ExpectLogLines(LOG_PATH, {"is in use and cannot be replaced", "Exit code 3\r\n"});
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
    ExpectLogLines(LOG_PATH, {"/PASSIVE\t", "Exit code 0\r\n"});
    CheckUnchanged("the list of switches installs nothing");
    StopSetup();
    return Outcome();
}
