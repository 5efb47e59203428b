#include "one_setup.h"

#include "install_state.h"

#define SETUP_NAME_FORMAT "Vantor setup of %s"
#define SESSIONS_PREFIX "Global\\"

enum { kNameSize = sizeof SESSIONS_PREFIX + sizeof SETUP_NAME_FORMAT + kProductNameSize };

namespace {

// The name both the guard and the window mark go by.
void SetupName(char name[kNameSize], bool global)
{
    wsprintfA(name, global ? SESSIONS_PREFIX SETUP_NAME_FORMAT : SETUP_NAME_FORMAT,
              g_setup.manifest.productName);
}

BOOL CALLBACK FindMarked(HWND window, LPARAM found)
{
    char name[kNameSize];
    SetupName(name, false);
    if (GetPropA(window, name) == NULL) {
        return TRUE;
    }
    *(HWND*)found = window;
    return FALSE;
}

}  // namespace

bool ClaimOnlySetup()
{
    char name[kNameSize];
    SetupName(name, true);
    // Global: another administrator's session installs into the same
    // folders. Never closed: the system lets go when the process ends.
    HANDLE guard = CreateMutexA(NULL, FALSE, name);
    DWORD error = GetLastError();
    // Denied means it exists, made by a setup under another account.
    return guard != NULL ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}

void MarkSetupWindow(HWND window)
{
    char name[kNameSize];
    SetupName(name, false);
    SetPropA(window, name, (HANDLE)1);
}

void UnmarkSetupWindow(HWND window)
{
    char name[kNameSize];
    SetupName(name, false);
    RemovePropA(window, name);
}

bool BringOtherSetupForward()
{
    HWND first = NULL;
    EnumWindows(FindMarked, (LPARAM)&first);
    if (first == NULL) {
        return false;
    }
    if (IsIconic(first)) {
        ShowWindow(first, SW_RESTORE);
    }
    // The page or box open over the backdrop is what waits for the user.
    SetForegroundWindow(GetLastActivePopup(first));
    return true;
}
