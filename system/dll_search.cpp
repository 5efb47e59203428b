#include "dll_search.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

typedef BOOL(WINAPI* SetDefaultDllDirectoriesProc)(DWORD);

void RestrictDllSearch()
{
    // Systems before the call existed (it came with an update of Windows 7)
    // at least take the current folder out of the search.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesProc setDirectories =
        (SetDefaultDllDirectoriesProc)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (setDirectories == NULL || !setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SetDllDirectoryA("");
    }
}

HMODULE LoadSystemLibrary(const char* name)
{
    HMODULE module = LoadLibraryExA(name, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != NULL) {
        return module;
    }
    // Without the search flags the call fails outright: name the file in
    // the system folder instead.
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + (UINT)lstrlenA(name) >= MAX_PATH) {
        return NULL;
    }
    path[length] = '\\';
    lstrcpynA(path + length + 1, name, MAX_PATH - length - 1);
    return LoadLibraryExA(path, NULL, 0);
}
