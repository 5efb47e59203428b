// Drives of their own, as separate disks are: one with too little room,
// a folder that mounts another volume below a drive's root, and one with
// room, where an unattended run that fails halfway takes away what it made
// before one installs.
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

namespace {

#define FILLER ROOMY_DRIVE "filler"

// Takes every byte left on the drive, as another program's file would.
void FillDrive()
{
    static char block[4096];
    HANDLE file = CreateFileA(FILLER, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = sizeof block;
    while (written == sizeof block && WriteFile(file, block, sizeof block, &written, NULL)) {
    }
    CloseHandle(file);
}

// With room at the check, then none halfway through the files (the passive
// run pauses before each): the run ends with 1, takes away the files and
// folders it made, and its log names the file and the error.
void FailHalfway()
{
    char first[MAX_PATH];
    snprintf(first, sizeof first, ROOMY_DRIVE "Apps\\" PRODUCT "\\%s", kFiles[1].name);
    if (!StartSetup("/PASSIVE /DIR=" ROOMY_DRIVE "Apps \"/LOG=" LOG_PATH "\"")) {
        return;
    }
    if (Check(WaitUntil([&] { return PathExists(first); }, 10), "%s is written", first)) {
        FillDrive();
    }
    ExpectSetupExit(kWaitLimit, 1);
    DeleteFileA(FILLER);
    // Only the shell setting every start writes stays.
    TakeSnapshot(kAfter);
    AllowanceList list;
    list.count = 0;
    AllowStandard(&list, false);
    CheckDifferences("a run that failed halfway", list.items, list.count);
    Check(!PathExists(ROOMY_DRIVE "Apps"), "nothing is left on " ROOMY_DRIVE);
    char windowsCopy[MAX_PATH];
    snprintf(windowsCopy, sizeof windowsCopy, "Removed C:\\Windows\\%s\r\n", kFiles[0].name);
    ExpectLogLines(LOG_PATH, {"The installation failed at " ROOMY_DRIVE "Apps\\" PRODUCT "\\", ": error 112: ",
                              windowsCopy, "Removed " ROOMY_DRIVE "Apps\r\n", "Exit code 1\r\n"});
}

}  // namespace

int TinyDrive()
{
    // What the destination's files need, on a drive with less room.
    DWORD needed = 0;
    for (int i = 0; i < kFileCount; i++) {
        needed += kFiles[i].flags & kInWindowsFolder ? 0 : ReferenceSize(i);
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
    ExpectLogLines(LOG_PATH, {logged, "Exit code 5\r\n"});
    Check(!PathExists(SMALL_DRIVE "Apps"), "nothing was made on " SMALL_DRIVE);

    // A drive's root is no link; a folder that mounts a volume below it is.
    RunSetup("/S /DIR=" MOUNTED_FOLDER " \"/LOG=" LOG_PATH "\"", kRefused, true);
    ExpectLogLines(LOG_PATH, {"The path leads through a link"});
    FailHalfway();
    if (RunSetup("/S /DIR=" ROOMY_DRIVE "Apps", kInstalled, true)) {
        ExpectInstalledAt(ROOMY_DRIVE "Apps\\" PRODUCT, PRODUCT);
        RemoveAsRegistered();
    }
    return RemovalOutcome();
}
