// What the driver's own sources (driver_*.cpp) share with one another and
// the scenarios do not use: each piece of state stays in the file that owns
// it, and the others reach it through these.
#ifndef VANTOR_E2E_DRIVER_INTERNAL_H
#define VANTOR_E2E_DRIVER_INTERNAL_H

#include <windows.h>

// The setup's exit code once it has ended; 0 before it was started
// (driver_run.cpp).
DWORD SetupExitCode();

// --- Pages remembered by WaitPage (driver_windows.cpp).
bool IsKnownPage(HWND window);
// A new setup process: the old handles may come back on other windows.
void ForgetPages();
// The first visible top-level window of the setup that matches; a NULL class
// or caption matches any, and boxesOnly skips what is not a message box.
HWND Find(const char* className, const char* caption, HWND owner, bool boxesOnly);

#endif
