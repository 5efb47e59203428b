#include "dll_search.h"

#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

typedef BOOL(WINAPI* SetDefaultDllDirectoriesProc)(DWORD);

void RestrictDllSearch()
{
    // Windows 8 and later, and Windows 7 with its 2011 update, know the
    // call; older systems still drop the program's folder from the search
    // for an empty directory. kernel32 is always loaded: no search here.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesProc restrict =
        kernel ? (SetDefaultDllDirectoriesProc)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories")
               : NULL;
    if (restrict == NULL || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SetDllDirectoryA("");
    }
}
