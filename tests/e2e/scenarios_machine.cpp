// Scenarios of what a setup weighs before it writes anything: links every
// user sees, kept by a reinstall without the switch and removed from where
// they were made; a newer version already installed, which only an
// explicit switch replaces; and a damaged download, which installs nothing.
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
#include "payload_check.h"

int DeployAllUsers()
{
    TakeSnapshot(kBefore);
    g_walk.allUsers = true;
    if (!RunSetup("/S /ALLUSERS \"/LOG=" LOG_PATH "\"", kInstalled, true)) {
        return RemovalOutcome();
    }
    const std::initializer_list<const char*> kLines = {"Links for all users: none in SendTo\r\n",
                                                       "SendTo folder: \r\n", "Exit code 0\r\n"};
    ExpectLogLines(LOG_PATH, kLines);
    // Again without the switch: the record keeps the links where they are.
    RunSetup("/S \"/LOG=" LOG_PATH "\"", kInstalled, true);
    ExpectLogLines(LOG_PATH, kLines);
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
    ExpectLogLines(LOG_PATH, {boxLine, "Answer without a window: No\r\n", "Exit code 6\r\n"});

    // Asked before anything, No by default: the machine stays as it is.
    AnswerSetupBox(NULL, question, "warning", IDNO, "downgrade-question");
    CheckUnchanged("the newer version kept by the user");

    // Asked for on the command line, the older version goes over it.
    RunSetup("/S /ALLOWDOWNGRADE \"/LOG=" LOG_PATH "\"", kInstalled, true);
    char replaced[64];
    snprintf(replaced, sizeof replaced, "Replacing the newer %s\r\n", newer + 1);
    ExpectLogLines(LOG_PATH, {replaced, "Exit code 0\r\n"});
    CheckRegString(UNINSTALL_KEY, "DisplayVersion", "v" PRODUCT_VERSION);
    if (RunSilently(kRemoved)) {
        CheckNothingRecorded();
    }
    return RemovalOutcome();
}

namespace {

#define DAMAGED_COPY "S:\\damaged\\" PRODUCT_OUTPUT_FILE

// A copy of the setup with one byte flipped in the middle of the main
// program's packed stream, as a bad download has it. The stream is found
// in the file by its first bytes, as the resource functions give them.
bool MakeDamagedCopy()
{
    static char file[kMaxWholeFile];
    char setup[MAX_PATH];
    const BYTE* data;
    DWORD size = 0;
    bool read = SetupBesideDriver(setup, sizeof setup) && ReadWholeFile(setup, 0, &data, &size);
    if (read) {
        memcpy(file, data, size);
    }
    HRSRC found = OpenSetupImage() ? FindResourceA(g_walk.setupImage, "PROGRAM", (LPCSTR)RT_RCDATA) : NULL;
    const char* stream = found ? (const char*)LockResource(LoadResource(g_walk.setupImage, found)) : NULL;
    DWORD length = found ? SizeofResource(g_walk.setupImage, found) : 0;
    char* at = NULL;
    for (DWORD i = 0; read && stream != NULL && length > 64 && i + length <= size && !at; i++) {
        at = memcmp(file + i, stream, 64) == 0 ? file + i : NULL;
    }
    if (!Check(at != NULL, "the main program's stream found in %s", setup)) {
        return false;
    }
    at[length / 2] ^= 0x20;
    CreateDirectoryA("S:\\damaged", NULL);
    return Check(WriteWholeFile(DAMAGED_COPY, file, size), "wrote the damaged copy " DAMAGED_COPY);
}

}  // namespace

int DamagedSetup()
{
    if (!MakeDamagedCopy()) {
        return Outcome();
    }
    SetSetupProgram(DAMAGED_COPY);
    // Not even the shell setting every start writes: nothing at all.
    TakeSnapshot(kBefore);
    AnswerSetupBox(NULL, DAMAGED_SETUP_TEXT, "error", IDOK, "damaged");
    CheckUnchanged("the damaged setup, with someone there");
    RunSetup("/S \"/LOG=" LOG_PATH "\"", kFailed, true);
    CheckUnchanged("the damaged setup, unattended");
    ExpectLogLines(LOG_PATH, {"Box: " DAMAGED_SETUP_TEXT "\r\n", "Exit code 1\r\n"});
    return Outcome();
}
