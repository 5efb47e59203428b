// Scenarios of command lines both programs refuse alike, whatever the
// order of the switches, and of other setup systems' switches taken as
// ours, with the logs each writes.
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
        {"/S \"/X", kRemovalRefused, false}, {longLog, kRemovalRefused, false}, {longLine, kRemovalRefused, true},
    };
    TakeSnapshot(kBefore);
    for (const auto& c : kCases) {
        DeleteFileA(REFUSAL_LOG);
        RunSetup(c.arguments, kRefused, true);
        if (c.logged) {
            ExpectLogLines(REFUSAL_LOG, {"Refused: ", "Exit code 2\r\n"});
        }
        DeleteFileA(REFUSAL_LOG);
        RunSilently(c.removalCode, c.arguments);
        if (c.logged) {
            ExpectLogLines(REFUSAL_LOG, {"Refused: ", "Exit code 5\r\n"});
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
void ExpectTempLog(const char* what, std::initializer_list<const char*> lines)
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
    ExpectLogLines(pattern, lines);
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
        {"/VERYSILENT /NORESTART", kInstalled, true}, {"/quiet /SUPPRESSMSGBOXES", kInstalled, true},
        {"/QN", kInstalled, true}, {"/SILENT /NORESTART", kInstalled, false}, {"/qb", kInstalled, false},
        {"/S /NORESTART /VERYSILENT", kRefused, true}, {"/NORESTART /X /QN /LOG=" REFUSAL_LOG, kRefused, true},
        {"/S /LOG", kInstalled, true},
    };
    TakeSnapshot(kBefore);
    for (const auto& c : kCases) {
        RunSetup(c.arguments, c.code, c.quiet);
    }
    ExpectInstalledAt(DEFAULT_FOLDER, PRODUCT);
    // The refusal before /LOG= is in it; the bare /LOG's went to %TEMP%.
    ExpectLogLines(REFUSAL_LOG, {"Refused: /X: ", "Command line: ", "Exit code 2\r\n"});
    ExpectTempLog(PRODUCT " setup", {"; time zone ", "Exit code 0\r\n"});

    // The uninstaller takes them as /S; its log has the setup's shape.
    if (RunSilently(kRemoved, "/VERYSILENT /NORESTART /LOG")) {
        ExpectTempLog(PRODUCT " removal",
                      {"; account ", "Registry key HKLM\\" UNINSTALL_KEY " deleted", "Exit code 0\r\n"});
        CheckAfterRemoval(NULL, NULL);
    }
    return RemovalOutcome();
}
