// A program as an attacker would plant it where a setup might search for
// one by bare name (beside the setup, in its current folder): started, it
// leaves its marker and ends at once. Given a file after its name, it hands
// it to WordPad first, as Windows 11's Notepad hands its file on. It
// imports only kernel32.
#include "planted_marker.h"

#define WORDPAD "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe"

static STARTUPINFOA s_startup;  // zeroed: there is no runtime here to clear one

extern "C" void WINAPI PlantedStart()
{
    LeaveMarker(NULL);
    s_startup.cb = sizeof s_startup;
    // WordPad skips the program's name on the command line itself.
    char command[2 * MAX_PATH];
    lstrcpynA(command, GetCommandLineA(), sizeof command);
    PROCESS_INFORMATION process;
    for (const char* c = command; *c != '\0'; ++c) {
        if (*c == ' ' && CreateProcessA(WORDPAD, command, NULL, NULL, FALSE, 0, NULL, NULL,
                                        &s_startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            break;
        }
    }
    ExitProcess(0);
}
