// vantor-driver: runs the setup unattended in the current Wine prefix,
// acts as its user in one named scenario, checks what the setup shows and
// leaves behind, and saves screenshots of what it saw.
//
//   vantor-driver SCENARIO [SCREENSHOT_FOLDER]
//   vantor-driver list
//
// Exit code 0: every check passed; 1: a check failed; 77: a page the
// scenario needs is not built yet (the page never appeared and the setup
// showed nothing in its place).
#include <windows.h>
#include <objbase.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_scenarios.h"

namespace {

struct ScenarioEntry {
    const char* name;
    Scenario run;
    const char* what;
};

const ScenarioEntry kScenarios[] = {
    {"welcome-cancel", WelcomeCancel,
     "Cancel on the welcome page ends quietly; AlwaysUnloadDll is set"},
    {"welcome-escape", WelcomeEscape, "Escape on the welcome page ends quietly"},
    {"second-setup", SecondSetup, "a second setup brings the first forward, or says it finds none"},
    {"licence-disagree", LicenceDisagree,
     "backdrop and licence page as they must look; I Disagree ends quietly"},
    {"licence-escape", LicenceEscape, "Escape on the licence page ends quietly"},
    {"licence-resize", LicenceResize, "the licence page's controls follow its frame"},
    {"folder-cancel", FolderCancel, "the proposed folder; Cancel shows the abort notice"},
    {"folder-browse", FolderBrowse, "drive mode, a drive, a subfolder, an ancestor, Reset Folder"},
    {"folder-bad-input", FolderBadInput,
     "refused paths; C:\\Apps\\ completed; Escape on the group page"},
    {"group-input", GroupInput, "empty and invalid group names, the 40-character limit, Escape"},
    {"unwritable-folder", UnwritableFolder, "a destination through a file is refused on its page"},
    {"complete-install", CompleteInstall, "the whole installation with the proposals, read-me No"},
    {"readme-yes", ReadMeYes, "the read-me in Notepad; the minimised backdrop answers and stays"},
    {"readme-no", ReadMeNo, "a typed group; No starts no process"},
    {"readme-elsewhere", ReadMeElsewhere,
     "no Notepad: a box, then WordPad; a Notepad that hands the file on leaves it uncovered"},
    {"reinstall", Reinstall, "a second run proposes the first folder and keeps data files"},
    {"planted-dlls", PlantedDlls, "DLLs planted beside the setup never run"},
    {"planted-notepad", PlantedNotepad,
     "a Notepad.exe planted beside the setup or in its current folder never runs"},
    {"group-names", GroupNames, "group names Windows rewrites or refuses; one after the product"},
    {"locked-reinstall", LockedReinstall, "a reinstall waits for a program in use, then retries"},
    {"snapshot-noop", SnapshotNoop, "snapshots around a run that changes nothing agree"},
    {"install-snapshot", InstallSnapshot, "an installation adds exactly its files, links, records"},
    {"install-remove", InstallRemove, "install, remove with Yes: nothing differs after a restart"},
    {"remove-twice", RemoveTwice,
     "/ERASE by hand and a second removal: not installed, nothing changes"},
    {"remove-silent", SilentRemove, "/S removes without any window"},
    {"remove-silent-in-use", SilentInUse,
     "/S with the ledger running, or with the folder held: exit code 3010, it goes at the restart"},
    {"remove-in-use", RemoveInUse, "the ledger running: Cancel keeps the entry, Retry completes"},
    {"remove-user-files", RemoveUserFiles, "the user's files, folder and link are kept"},
    {"remove-shared-group", RemoveSharedGroup,
     "another product's links in a shared group stay; the held folder waits for the restart"},
    {"remove-many-data", RemoveManyData,
     "twelve long-named data files: 8 named, then \"and N more\", in both boxes"},
    {"tampered-root", TamperedRoot,
     "a Program Path of C:\\ touches nothing there; one on a missing drive keeps the entry"},
    {"tampered-windows", TamperedWindows,
     "a Program Path of the Windows folder, by any of its names, touches nothing"},
    {"tampered-relative", TamperedRelative, "a relative Program Path touches nothing"},
    {"linked-files", LinkedFiles,
     "links at file names in the program folder: the cleaning and the removal leave their "
     "targets alone"},
    {"remove-junction", RemoveJunction,
     "a link in the program folder, or in its place after a box, is not followed"},
    {"remove-not-removed", RemoveNotRemoved,
     "a product file stays or cannot be found: exit code 1, the entry kept, nothing foreign touched"},
    {"ledger-data", LedgerData, "ledger entries survive a reinstall; kept or not at removal"},
    {"silent-install", SilentInstall, "/S without a window, then the quiet removal: as before"},
    {"deploy-refused", DeployRefused, "refused command lines end with 2 and change nothing"},
    {"deploy-values", DeployValues, "/DIR, /GROUP and /LOG with blanks; then the same again"},
    {"deploy-in-use", DeployInUse, "/S over a program in use ends with 3, untouched"},
    {"deploy-running", DeployRunning,
     "/S while a setup shows its welcome page ends with 1618; with its name taken first, with 0"},
    {"deploy-passive", DeployPassive, "/PASSIVE shows the progress and nothing that waits"},
    {"deploy-help", DeployHelp, "/? lists the switches and codes and installs nothing"},
    {"deploy-aliases", DeployAliases,
     "other setup systems' switches taken as ours, a refusal logged before /LOG=, a bare /LOG"},
    {"tiny-drive", TinyDrive,
     "drives of their own: too little room ends with 5; a mounted folder is refused; with "
     "room, installed and removed"},
    {"deploy-all-users", DeployAllUsers,
     "/S /ALLUSERS: links in the common Programs folder, kept by a reinstall, removed by the record"},
    {"deploy-downgrade", DeployDowngrade,
     "a newer version installed: 6 unattended, No by default asked, replaced with /ALLOWDOWNGRADE"},
    {"damaged-setup", DamagedSetup,
     "a flipped byte in the payload: the setup says so, with a box or in the log, and writes nothing"},
    {"refusals", Refusals,
     "a log through a link, and with /S what they do not take: both programs refuse, no window"},
};

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    const int count = sizeof kScenarios / sizeof kScenarios[0];
    if (argc < 2 || strcmp(argv[1], "list") == 0) {
        printf("usage: vantor-driver SCENARIO [SCREENSHOT_FOLDER]\n");
        for (int i = 0; i < count; i++) {
            printf("  %-18s %s\n", kScenarios[i].name, kScenarios[i].what);
        }
        return argc < 2 ? 2 : 0;
    }
    for (int i = 0; i < count; i++) {
        if (strcmp(argv[1], kScenarios[i].name) == 0) {
            if (argc > 2) {
                SetShotFolder(argv[2]);
            }
            CoInitialize(NULL);
            Log("scenario %s: %s", kScenarios[i].name, kScenarios[i].what);
            int result = kScenarios[i].run();
            CoUninitialize();
            return result;
        }
    }
    printf("unknown scenario \"%s\"; try: vantor-driver list\n", argv[1]);
    return 2;
}