// Start-up and finish steps kept apart from the entry point and the chain,
// so that they can be run on their own.
#ifndef VANTOR_SHELL_START_H
#define VANTOR_SHELL_START_H

#include <windows.h>

enum {
    kReadMePathSize = 256,     // the quoted read-me path holds 255 characters
    kReadMeCommandSize = 260,  // the command line holds 259
};

// "InstallDlg" (the system dialog class with the program's icons) and
// "InstallApp" (the backdrop), for the program's instance.
void RegisterWindowClasses();

// "Notepad.exe" and the quoted read-me path in the folder; false and an
// empty command when the path or the command would not fit.
bool BuildReadMeCommand(char command[kReadMeCommandSize], const char* folder, const char* fileName);

// Notepad by its full path: in the system folder, else in the Windows
// folder. False when neither holds it.
bool FindNotepad(char path[MAX_PATH]);

#endif
