// Entry point: start-up, the welcome page, the backdrop and the message
// loop. The wizard itself runs from the backdrop's start timer.
#include <windows.h>

#include "command_line.h"
#include "common_controls.h"
#include "dll_search.h"
#include "earlier_install.h"
#include "install_state.h"
#include "one_setup.h"
#include "payload_check.h"
#include "page_services.h"
#include "registry_records.h"
#include "shell_ids.h"
#include "shell_start.h"
#include "unattended.h"
#include "wizard.h"

enum { kExitCode = kExitInteractive };  // the same whatever happened

int RunWizard(int showCommand)
{
    HINSTANCE instance = g_setup.state.instance;
    // Before the first write: a damaged download installs nothing.
    if (!PayloadIntact()) {
        ShowPageBox(NULL, DAMAGED_SETUP_TEXT, MB_OK | MB_ICONERROR);
        return kExitCode;
    }
    SetShellUnloadFlag();
    // A second start shows the first one instead of a second wizard, or
    // says why it cannot.
    if (!ClaimOnlySetup()) {
        if (!BringOtherSetupForward()) {
            ShowPageBox(NULL, NO_SETUP_WINDOW_TEXT, MB_OK | MB_ICONWARNING);
        }
        return kExitCode;
    }
    if (!MeetEarlierInstallation()) {
        return kExitCode;
    }

    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_WELCOME), NULL, WelcomeProc, 0) != 1) {
        return kExitCode;
    }

    HWND backdrop = CreateWindowExA(WS_EX_TOPMOST, BACKDROP_CLASS, INSTALLER_NAME,
                                    WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU, 0, 0,
                                    g_setup.state.screenWidth, g_setup.state.screenHeight, NULL,
                                    NULL, instance, NULL);
    g_setup.state.backdrop = backdrop;
    if (backdrop == NULL) {
        return kExitCode;
    }
    MarkSetupWindow(backdrop);
    ShowWindow(backdrop, showCommand);
    UpdateWindow(backdrop);

    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, NULL, 0, 0);
        if (got == 0 || got == -1) {
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return kExitCode;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    RestrictDllSearch();
    StartSetupRecord();
    g_setup.state.instance = instance;
    // Read once: every later layout uses these two values.
    g_setup.state.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    g_setup.state.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RegisterWindowClasses();
    // The shortcut dialog's template names the progress bar class.
    InitCommonControlsLibrary();

    // Without arguments, the wizard as it always was.
    const char* arguments = SkipProgramName(GetCommandLineA());
    if (*arguments == '\0') {
        return RunWizard(showCommand);
    }
    return RunCommandLine(arguments, showCommand);
}

// The program's entry, in place of the C runtime's start-up code, which it
// does not need: no constructors, no command line, no runtime state. Saves
// that code in every copy of the installer.
extern "C" void WINAPI VantorStartup()
{
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), show));
}
