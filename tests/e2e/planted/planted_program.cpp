// A program as an attacker would plant it where a setup might search for
// one by bare name (beside the setup, in its current folder): started, it
// leaves a marker file named after itself and ends at once, so the driver
// can tell that it ran. It imports only kernel32.
#include <windows.h>

#define MARKER_FOLDER "C:\\planted-markers\\"

extern "C" void WINAPI PlantedStart()
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, module, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        // The whole path stands in the marker, its name (less the folders)
        // names the marker.
        const char* name = module + length;
        while (name > module && name[-1] != '\\') {
            --name;
        }
        char marker[MAX_PATH + sizeof MARKER_FOLDER];
        lstrcpynA(marker, MARKER_FOLDER, sizeof marker);
        lstrcpynA(marker + sizeof MARKER_FOLDER - 1, name, MAX_PATH);
        CreateDirectoryA(MARKER_FOLDER, NULL);
        HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written;
            WriteFile(file, module, length, &written, NULL);
            CloseHandle(file);
        }
    }
    ExitProcess(0);
}
