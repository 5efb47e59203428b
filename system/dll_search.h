// Keeps DLLs that a program loads after its start out of its own folder,
// which for a setup or an uninstaller copy is a folder anyone may write to.
#ifndef VANTOR_DLL_SEARCH_H
#define VANTOR_DLL_SEARCH_H

// Limits the DLL search to the system folder. First call of every program.
void RestrictDllSearch();

#endif
