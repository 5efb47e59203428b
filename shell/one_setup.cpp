#include "one_setup.h"

#include <aclapi.h>
#include <sddl.h>

#include "install_state.h"
#include "run_log.h"

#define FOREIGN_GUARD_TEXT "A non-administrator holds this setup's name; ignored."

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
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, NULL, FALSE};
    ConvertStringSecurityDescriptorToSecurityDescriptorA(SETUP_GUARD_SDDL, SDDL_REVISION_1,
                                                         &attributes.lpSecurityDescriptor, NULL);
    HANDLE guard = CreateMutexA(&attributes, FALSE, name);
    DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    // Made: this setup's. Neither made nor opened: the name is taken, but
    // not by a setup, whose guard would be open to this administrator.
    if (guard == NULL || error != ERROR_ALREADY_EXISTS) {
        return true;
    }
    PSID owner = NULL;
    PSECURITY_DESCRIPTOR held = NULL;
    bool setups = GetSecurityInfo(guard, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                  NULL, NULL, NULL, &held) == ERROR_SUCCESS &&
                  owner != NULL && IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
    LocalFree(held);
    if (!setups) {
        LogLine(FOREIGN_GUARD_TEXT);
        CloseHandle(guard);
    }
    return !setups;
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
