// A DLL as an attacker would plant it beside a downloaded setup: loaded
// into a process it leaves its marker. One build, copied under many DLL
// names; it exports nothing and imports only kernel32, which is never taken
// from beside a program.
#include "planted_marker.h"

extern "C" BOOL WINAPI PlantedMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        LeaveMarker(self);
    }
    return TRUE;
}
