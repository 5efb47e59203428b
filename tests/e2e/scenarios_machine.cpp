// Scenarios of installations for the whole machine: links every user sees,
// kept by a reinstall without the switch and removed from where they were
// made; and a newer version already installed, which only an explicit
// switch replaces.
#include <windows.h>
#include <stdio.h>

#include "e2e_deploy.h"
#include "e2e_driver.h"
#include "e2e_scenarios.h"
#include "e2e_snapshot.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"

int DeployAllUsers()
{
    TakeSnapshot(kBefore);
    g_walk.allUsers = true;
    if (!RunSetup("/S /ALLUSERS \"/LOG=" LOG_PATH "\"", kInstalled, true)) {
        return RemovalOutcome();
    }
    static const char* const kLines[] = {"Links for all users: none in SendTo\r\n",
                                         "SendTo folder: \r\n", "Exit code 0\r\n"};
    ExpectLogLines(LOG_PATH, kLines, 3);
    // Again without the switch: the record keeps the links where they are.
    RunSetup("/S \"/LOG=" LOG_PATH "\"", kInstalled, true);
    ExpectLogLines(LOG_PATH, kLines, 3);
    // Wine keeps one user per prefix: the removal runs as the same one, and
    // finds the links by the record, not by whoever runs it.
    CheckProposedInstallationRemoved("after the installation for all users");
    return RemovalOutcome();
}

int DeployDowngrade()
{
    if (!RunSetup("/S", kInstalled, true)) {
        return RemovalOutcome();
    }
    // As a newer setup of the product would have left its record.
    char newer[32];
    snprintf(newer, sizeof newer, "v%d.0", PRODUCT_VERSION_MAJOR + 1);
    SetEntryText("DisplayVersion", newer);
    TakeSnapshot(kBefore);
    RunSetup("/S \"/LOG=" LOG_PATH "\"", kDowngrade, true);
    CheckUnchanged("the newer version refused unattended");
    char question[256];
    snprintf(question, sizeof question,
             "%s %s is installed, newer than this setup's %s.\r\n\r\n"
             "Replace it with the older version?",
             PRODUCT, newer + 1, PRODUCT_VERSION);
    // The log keeps each box on one line, its breaks made blanks.
    char boxLine[300];
    snprintf(boxLine, sizeof boxLine, "Box: %s %s is installed, newer than this setup's %s.    "
             "Replace it with the older version?\r\n", PRODUCT, newer + 1, PRODUCT_VERSION);
    const char* const lines[] = {boxLine, "Answer without a window: No\r\n", "Exit code 6\r\n"};
    ExpectLogLines(LOG_PATH, lines, 3);

    // Asked before anything, No by default: the machine stays as it is.
    Box box;
    if (StartSetup() && WaitBox(NULL, &box)) {
        CheckBox(&box, question, "warning");
        // Wine's boxes answer DM_GETDEFID with IDOK; the buttons' styles
        // say which one Enter presses.
        LONG no = GetWindowLongA(GetDlgItem(box.window, IDNO), GWL_STYLE) & BS_TYPEMASK;
        LONG yes = GetWindowLongA(GetDlgItem(box.window, IDYES), GWL_STYLE) & BS_TYPEMASK;
        Check(no == BS_DEFPUSHBUTTON && yes != BS_DEFPUSHBUTTON, "No is the default button");
        Shot("downgrade-question");
        AnswerBox(&box, IDNO);
    }
    ExpectSetupExit(kWaitLimit, 1);
    CheckUnchanged("the newer version kept by the user");

    // Asked for on the command line, the older version goes over it.
    RunSetup("/S /ALLOWDOWNGRADE \"/LOG=" LOG_PATH "\"", kInstalled, true);
    char replaced[64];
    snprintf(replaced, sizeof replaced, "Replacing the newer %s\r\n", newer + 1);
    const char* const allowed[] = {replaced, "Exit code 0\r\n"};
    ExpectLogLines(LOG_PATH, allowed, 2);
    CheckRegString(UNINSTALL_KEY, "DisplayVersion", "v" PRODUCT_VERSION);
    if (RunSilently(kRemoved)) {
        CheckNothingRecorded();
    }
    return RemovalOutcome();
}
