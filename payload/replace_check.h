// Before a reinstall touches anything: every file the pass will replace
// must be free, or the user closes the program that holds it.
#ifndef VANTOR_REPLACE_CHECK_H
#define VANTOR_REPLACE_CHECK_H

#include <windows.h>

#define TARGET_IN_USE_FORMAT                                                     \
    "The file\r\n%s\r\nis in use and cannot be replaced.\r\n\r\nPlease close " \
    "the program that uses it, then choose Retry."
// The line of an unattended run, after the path.
#define IN_USE_LOG_TEXT " is in use and cannot be replaced"

// Whether the file at path, if there is one, could be replaced now: opened
// for writing with no sharing.
bool CanReplace(const char* path);

// Asks with Retry and Cancel about each target in use until all are free;
// false when the user cancels, or at the first one in an unattended run.
bool WaitForReplaceableTargets(HWND page);

#endif
