#include "earlier_install.h"

#include <windows.h>

#include "folder_access.h"
#include "install_state.h"
#include "number_text.h"
#include "page_services.h"
#include "registry_records.h"
#include "run_log.h"

enum { kInstalledVersionSize = 32 };  // longer is no version this setup wrote

bool MeetEarlierInstallation()
{
    InstallState& state = g_setup.state;
    state.allUsers = state.allUsers || RunsAsLocalSystem() || ReadPreviousScope();
    if (state.allUsers) {
        LogLine("Links for all users: none in SendTo");
    }
    const ProductManifest& manifest = g_setup.manifest;
    char buffer[kInstalledVersionSize];
    const char* installed = ReadInstalledVersion(buffer, sizeof buffer);
    if (installed == NULL || !IsNewerVersion(installed, manifest.version)) {
        return true;
    }
    if (state.allowDowngrade) {
        LogLine("Replacing the newer %s", installed);
        return true;
    }
    // No by default: an older version may not read what the newer wrote.
    return ShowFormattedBox(NULL, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, DOWNGRADE_FORMAT,
                            manifest.productName, installed, manifest.version) == IDYES;
}
