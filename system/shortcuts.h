// The product's shell shortcuts: one per leading payload entry in the
// program group, one for the main program in SendTo.
#ifndef VANTOR_SHORTCUTS_H
#define VANTOR_SHORTCUTS_H

#include <windows.h>

// 1 when the work ran (whatever happened to single links), 0 when the
// component runtime could not be initialised.
int CreateShortcuts(HWND dialog);

void MakeLink(const char* target, const char* workingFolder, const char* linkFile,
              const char* description);

// Deletes the link file only when it is a shell link to a file named
// targetName (letter case aside): a file of that name kept by someone else
// for another program stays.
void RemoveStaleLink(const char* linkFile, const char* targetName);

#endif
