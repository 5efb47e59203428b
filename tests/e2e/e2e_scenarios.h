// The scenarios the driver runs by name, and the ways into the wizard
// that several of them share. Each scenario answers the driver's exit code.
#ifndef VANTOR_E2E_SCENARIOS_H
#define VANTOR_E2E_SCENARIOS_H

#include <windows.h>

typedef int (*Scenario)();

int WelcomeCancel();
HWND ToLicence();
int WelcomeEscape();
int SecondSetup();
int LicenceDisagree();
int LicenceEscape();
int LicenceResize();
HWND ToLocation();
int FolderCancel();
int FolderBrowse();
int FolderBadInput();
HWND ToGroup();
int GroupInput();
int UnwritableFolder();
int CompleteInstall();
int ReadMeYes();
int ReadMeNo();
int ReadMeElsewhere();
int Reinstall();
int PlantedDlls();
int PlantedNotepad();
int GroupNames();
int LockedReinstall();
int SnapshotNoop();
int InstallSnapshot();
int InstallRemove();
int RemoveTwice();
int SilentRemove();
int SilentInUse();
int RemoveInUse();
int RemoveUserFiles();
int RemoveSharedGroup();
int RemoveManyData();
int TamperedRoot();
int TamperedWindows();
int TamperedRelative();
int RemoveJunction();
int LinkedFiles();
int RemoveNotRemoved();
int LedgerData();
int SilentInstall();
int DeployRefused();
int TinyDrive();
int DeployValues();
int DeployInUse();
int DeployRunning();
int DeployPassive();
int DeployHelp();
int DeployAliases();
int Refusals();
int DeployAllUsers();
int DeployDowngrade();
int DamagedSetup();

// Checks of the environment a complete installation ran in, where the run
// asks for one: TZ=Asia/Kolkata, VANTOR_WINEARCH=win64.
void CheckPlatformVariant();

#endif
