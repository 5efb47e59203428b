// Everything the installer reads from or writes to the registry.
#ifndef VANTOR_REGISTRY_RECORDS_H
#define VANTOR_REGISTRY_RECORDS_H

enum {
    kKeyBufferSize = 256,
    kPreviousFolderSize = 260,
    kGroupValueBufferSize = 41,  // as the group slot: 40 characters
};

#define SHELL_UNLOAD_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\AlwaysUnloadDll"
#define UNINSTALL_LIST_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
// Values of the uninstall entry that the product's uninstaller reads back.
#define PROGRAM_PATH_VALUE "Program Path"
#define DISPLAY_VERSION_VALUE "DisplayVersion"  // "v" and the version
#define PROGRAM_GROUP_VALUE "Program Group"
// The shallowest folder of the program folder's path that the setup made;
// the removal takes the empty ones away.
#define CREATED_FOLDER_VALUE "Created Folder"
// "1" when the links were made for all users (the common Programs folder
// and no SendTo link), else "0".
#define ALL_USERS_VALUE "Links For All Users"
// What the uninstaller takes to remove the product without a window.
#define QUIET_UNINSTALL_SWITCH "/S"

// Sets the shell's AlwaysUnloadDll default value; first thing at every start.
void SetShellUnloadFlag();

// The install folder an earlier installation stored: true and the folder
// (at most 255 characters, terminated) in the buffer, else false.
bool ReadPreviousFolder(char buffer[kPreviousFolderSize]);

// Whether the product's uninstall entry is there.
bool HasUninstallEntry();

// The program group the earlier installation's uninstall entry names:
// true and the name (terminated) in the buffer, else false.
bool ReadPreviousGroup(char buffer[kGroupValueBufferSize]);

// Whether the earlier installation's links are for all users.
bool ReadPreviousScope();

// The version of the earlier installation, as its uninstall entry names
// it: a text in the buffer, or null.
const char* ReadInstalledVersion(char* buffer, unsigned long size);

// Vendor key, version key, uninstall entry, and removal of a stale updater
// shortcut from the SendTo folder.
void WriteRegistryRecords();

#endif
