// What every planted file does when it runs: it leaves a marker named after
// itself in C:\planted-markers holding the path of the program it ran in, so
// the driver can tell that it ran and where.
#ifndef VANTOR_PLANTED_MARKER_H
#define VANTOR_PLANTED_MARKER_H

#include <windows.h>

#define MARKER_FOLDER "C:\\planted-markers\\"

static inline void LeaveMarker(HMODULE self)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    const char* name = module + length;
    while (name > module && name[-1] != '\\') {
        --name;
    }
    char marker[MAX_PATH + sizeof MARKER_FOLDER];
    lstrcpynA(marker, MARKER_FOLDER, sizeof marker);
    lstrcpynA(marker + sizeof MARKER_FOLDER - 1, name, MAX_PATH);
    CreateDirectoryA(MARKER_FOLDER, NULL);
    HANDLE file =
        CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        length = GetModuleFileNameA(NULL, module, MAX_PATH);
        DWORD written;
        WriteFile(file, module, length, &written, NULL);
        CloseHandle(file);
    }
}

#endif
