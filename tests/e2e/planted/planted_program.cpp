// A program as an attacker would plant it where a setup might search for
// one by bare name (beside the setup, in its current folder): started, it
// leaves its marker and ends at once. It imports only kernel32.
#include "planted_marker.h"

extern "C" void WINAPI PlantedStart()
{
    LeaveMarker(NULL);
    ExitProcess(0);
}
