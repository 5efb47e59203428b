// Where the programs take their DLLs from. An installer usually starts from
// a Downloads folder, and Windows looks for a DLL that is not one of its
// known DLLs in the program's own folder first: a file planted there would
// run with the installer's rights. So the programs import statically only
// known DLLs and load every other one from the system folder.
#ifndef VANTOR_DLL_SEARCH_H
#define VANTOR_DLL_SEARCH_H

#include <windows.h>

// Restricts the DLL search of the whole process to the system folder. The
// first thing every program does, before anything can load a DLL.
void RestrictDllSearch();

// A DLL from the system folder only, or null.
HMODULE LoadSystemLibrary(const char* name);

#endif
