// The run-time state of the one installation a run performs. It follows the
// manifest in the program's one static record.
#ifndef VANTOR_INSTALL_STATE_H
#define VANTOR_INSTALL_STATE_H

#include <stdint.h>

#include "product_manifest.h"

struct HWND__;
struct HINSTANCE__;

enum {
    kFolderSlotSize = 256,   // holds 255 characters
    kGroupNameSize = 41,     // holds 40 characters
};

// Step mask values: one bit at a time names the step the backdrop highlights.
enum {
    kStepLicense = 1,
    kStepLocation = 2,
    kStepInstalling = 4,
    kStepGroup = 8,
    kStepShortcuts = 16,
    kStepReadMe = 32,
    kStepFinished = 64,
};

struct InstallState {
    char destinationFolder[kFolderSlotSize];
    char windowsFolder[kFolderSlotSize];
    char programsFolder[kFolderSlotSize];
    char sendToFolder[kFolderSlotSize];
    char groupName[kGroupNameSize];
    HINSTANCE__* instance;
    int32_t screenWidth;
    int32_t screenHeight;
    HWND__* backdrop;
    uint32_t stepMask;
    uint32_t progressTotal;
    uint32_t progressDone;
    uint16_t barValue;
    bool allUsers;        // the program group in the common Programs folder, no SendTo link
    bool allowDowngrade;  // a newer version installed is replaced unasked
};

struct SetupRecord {
    ProductManifest manifest;  // read-only for the whole run
    InstallState state;
};

extern SetupRecord g_setup;

// Fills the record as the program starts with it: the manifest, and "." in
// every folder slot and the group name; first thing at every start.
void StartSetupRecord();

#endif
