// Scenarios of the removal, each proven with snapshots of the whole prefix:
// what an installation adds, a plain removal, a second removal, silent mode.
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_scenarios.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"

namespace {

int Done()
{
    StopRemoval();
    return Finish();
}

// Everything an installation with the proposals adds.
void AllowInstalled(AllowanceList* list)
{
    const char* why = "installed";
    char windows[MAX_PATH];
    char programs[MAX_PATH];
    char sendTo[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    SpecialFolder(CSIDL_PROGRAMS, programs);
    SpecialFolder(CSIDL_SENDTO, sendTo);
    Allow(list, true, why, "+ C:\\Brindlemoor");
    Allow(list, true, why, "+ %s", g_walk.destination);
    for (int i = 0; i < kFileCount; i++) {
        Allow(list, true, why, "+ %s\\%s", kFiles[i].inWindowsFolder ? windows : g_walk.destination,
              kFiles[i].name);
    }
    Allow(list, true, why, "+ %s\\%s", programs, g_walk.group);
    for (int i = 0; i < kShortcutCount; i++) {
        Allow(list, true, why, "+ %s\\%s\\%s.lnk", programs, g_walk.group, kFiles[i].caption);
    }
    Allow(list, true, why, "+ %s\\Quorvel.lnk", sendTo);
    const char* root = SoftwareRoot();
    Allow(list, true, why, "+ %sBrindlemoor", root);
    Allow(list, true, why, "+ %sBrindlemoor : Quorvel", root);
    Allow(list, true, why, "+ %sBrindlemoor\\Programs", root);
    Allow(list, true, why, "+ %sBrindlemoor\\Programs\\Quorvel", root);
    Allow(list, true, why, "+ %sBrindlemoor\\Programs\\Quorvel\\Current Version", root);
    Allow(list, true, why, "+ %sBrindlemoor\\Programs\\Quorvel\\Current Version : Program Version",
          root);
    static const char* const kValues[] = {"DisplayName", "DisplayVersion", "UninstallString",
                                          "Program Path", "Program Group", "Publisher",
                                          "HelpLink"};
    const char* entry = "Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel";
    Allow(list, true, why, "+ %s%s", root, entry);
    for (size_t i = 0; i < sizeof kValues / sizeof kValues[0]; i++) {
        Allow(list, true, why, "+ %s%s : %s", root, entry, kValues[i]);
    }
}

}  // namespace

int SnapshotNoop()
{
    TakeSnapshot(kBefore);
    // A program with a window that starts and ends, the driver's own
    // screenshot, and a restart: what every removal scenario does besides
    // the removal itself. Notepad is ended, not closed: on closing it
    // stores its settings, which is Notepad's doing, not Wine's.
    char command[] = "notepad.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (Check(CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, "C:\\", &startup,
                             &process) != 0,
              "started Notepad")) {
        WaitForInputIdle(process.hProcess, kWaitLimit);
        Sleep(1000);
        Shot("notepad");
        TerminateProcess(process.hProcess, 0);
        Check(WaitForSingleObject(process.hProcess, kWaitLimit) == WAIT_OBJECT_0, "Notepad ended");
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    RestartPrefix();
    TakeSnapshot(kAfter);
    CheckDifferences("around a run that changes nothing", NULL, 0);
    return Done();
}

int InstallSnapshot()
{
    TakeSnapshot(kBefore);
    if (InstallQuorvel()) {
        TakeSnapshot(kAfter);
        AllowanceList list;
        list.count = 0;
        AllowInstalled(&list);
        AllowStandard(&list, false);
        CheckDifferences("after the installation", list.items, list.count);
    }
    return Done();
}
