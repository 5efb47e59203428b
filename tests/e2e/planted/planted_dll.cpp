// A DLL as an attacker would plant it beside a downloaded setup: loaded
// into a process it leaves a marker file named after itself, so the driver
// can tell that it ran. One build, copied under many DLL names; it exports
// nothing and imports only kernel32, which is never taken from beside a
// program.
#include <windows.h>

#define MARKER_FOLDER "C:\\planted-markers\\"

extern "C" BOOL WINAPI PlantedMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return TRUE;
    }
    const char* name = module + length;
    while (name > module && name[-1] != '\\') {
        --name;
    }
    char marker[MAX_PATH + sizeof MARKER_FOLDER];
    lstrcpynA(marker, MARKER_FOLDER, sizeof marker);
    lstrcpynA(marker + sizeof MARKER_FOLDER - 1, name, MAX_PATH);
    CreateDirectoryA(MARKER_FOLDER, NULL);
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              NULL);
    if (file != INVALID_HANDLE_VALUE) {
        // Which program loaded it.
        length = GetModuleFileNameA(NULL, module, MAX_PATH);
        DWORD written;
        WriteFile(file, module, length, &written, NULL);
        CloseHandle(file);
    }
    return TRUE;
}
