// What the scenarios of unattended runs share: their exit codes and logs,
// a run of the setup watched for windows, and the checks of its outcome.
#ifndef VANTOR_E2E_DEPLOY_H
#define VANTOR_E2E_DEPLOY_H

#include <windows.h>
#include <initializer_list>

enum {
    kInstalled = 0,
    kFailed = 1,
    kRefused = 2,
    kInUse = 3,
    kNoSpace = 5,
    kDowngrade = 6,
    kRunning = 1618,
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
bool RunSetup(const char* arguments, DWORD expected, bool quiet);
// Nothing differs from the kBefore snapshot.
void CheckUnchanged(const char* what);
// Each line occurs in the log at path, whose lines end with CR LF.
void ExpectLogLines(const char* path, std::initializer_list<const char*> lines);
void ExpectInstalledAt(const char* destination, const char* group);
// The removal the package manager would run, as it is registered; then
// the machine as it was before the installation.
void RemoveAsRegistered();
// Against the kBefore snapshot, an installation in the proposed folder and
// group, with every difference the product makes and no other; then the
// removal as registered.
void CheckProposedInstallationRemoved(const char* what);

#endif
