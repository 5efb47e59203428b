// Scenarios of the start: the welcome page and the licence page.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_scenarios.h"
#include "e2e_walk.h"
#include "one_setup.h"
#include "page_ids.h"
#include "shell_ids.h"

int WelcomeCancel()
{
    DeleteRegKey(SHELL_UNLOAD_KEY);
    Check(!RegKeyExists(SHELL_UNLOAD_KEY), "no AlwaysUnloadDll key before the start");
    HWND page = WelcomePage();
    if (page == NULL) {
        return Finish();
    }
    Click(page, IDCANCEL);
    ExpectQuietEnd(NULL);
    CheckRegString(SHELL_UNLOAD_KEY, NULL, "1");
    return Finish();
}

HWND ToLicence()
{
    HWND page = WelcomePage();
    if (page == NULL) {
        return NULL;
    }
    Click(page, IDOK);
    if (Backdrop() == NULL) {
        return NULL;
    }
    return LicencePage();
}

int WelcomeEscape()
{
    HWND page = WelcomePage();
    if (page != NULL) {
        PressKey(page, VK_ESCAPE);
        ExpectQuietEnd(NULL);
    }
    return Finish();
}

int LicenceDisagree()
{
    HWND page = ToLicence();
    if (page != NULL) {
        // Notifications of the text control never end the page.
        HWND text = GetDlgItem(page, IDC_LICENSE_TEXT);
        Ask(page, WM_COMMAND, MAKEWPARAM(IDC_LICENSE_TEXT, EN_CHANGE), (LPARAM)text);
        Sleep(200);
        Check(IsWindowVisible(page), "a notification from the text control leaves the page open");
        Click(page, IDCANCEL);
        ExpectQuietEnd(page);
        CheckNothingRecorded();
        Check(!PathExists(DEFAULT_FOLDER), "nothing installed in %s", DEFAULT_FOLDER);
    }
    return Finish();
}

int LicenceEscape()
{
    HWND page = ToLicence();
    if (page != NULL) {
        PressKey(page, VK_ESCAPE);
        ExpectQuietEnd(page);
        CheckNothingRecorded();
    }
    return Finish();
}

static bool SameRect(RECT a, RECT b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static void LogRect(const char* what, RECT r)
{
    Log("  %s at (%ld, %ld) %ld x %ld", what, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int LicenceResize()
{
    HWND page = ToLicence();
    if (page == NULL) {
        return Finish();
    }
    RECT frame = OuterRect(page);
    RECT text = ItemRect(page, IDC_LICENSE_TEXT);
    RECT agree = ItemRect(page, IDOK);
    RECT disagree = ItemRect(page, IDCANCEL);
    LogRect("text", text);
    LogRect("I Agree", agree);
    LogRect("I Disagree", disagree);
    int w = frame.right - frame.left;
    int h = frame.bottom - frame.top;

    Log("enlarge the page by 40 x 30");
    SetWindowPos(page, NULL, 0, 0, w + 40, h + 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Ask(page, WM_NULL, 0, 0);
    RECT bigText = ItemRect(page, IDC_LICENSE_TEXT);
    RECT bigAgree = ItemRect(page, IDOK);
    RECT bigDisagree = ItemRect(page, IDCANCEL);
    LogRect("text", bigText);
    LogRect("I Agree", bigAgree);
    LogRect("I Disagree", bigDisagree);
    RECT want = text;
    want.right += 40;
    want.bottom += 30;
    Check(SameRect(bigText, want), "the text control grew by 40 x 30 at the same place");
    want = agree;
    OffsetRect(&want, 40, 30);
    Check(SameRect(bigAgree, want), "\"I Agree\" moved by (40, 30)");
    want = disagree;
    OffsetRect(&want, 40, 30);
    Check(SameRect(bigDisagree, want), "\"I Disagree\" moved by (40, 30)");
    Shot("licence-enlarged");

    Log("shrink it back");
    SetWindowPos(page, NULL, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Ask(page, WM_NULL, 0, 0);
    Check(SameRect(ItemRect(page, IDC_LICENSE_TEXT), text) &&
              SameRect(ItemRect(page, IDOK), agree) && SameRect(ItemRect(page, IDCANCEL), disagree),
          "shrinking restores the layout");
    Click(page, IDCANCEL);
    ExpectQuietEnd(page);
    return Finish();
}

// Visible top-level windows of a process, counted.
static BOOL CALLBACK CountProcessWindows(HWND window, LPARAM data)
{
    DWORD* search = (DWORD*)data;  // the process id, then the count
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search[0] && IsWindowVisible(window)) {
        ++search[1];
    }
    return TRUE;
}

// A second start while the first setup shows its welcome page ends at
// once, shows nothing of its own, and brings the first one forward; with
// the guard held as a setup holds it but no window of one, it says so.
int SecondSetup()
{
    HWND page = WelcomePage();
    if (page == NULL) {
        return Finish();
    }
    HWND other = CreateWindowExA(0, "STATIC", "in front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 300, 200, NULL, NULL, NULL, NULL);
    SetForegroundWindow(other);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION second;
    char command[] = "\"T:\\" PRODUCT_OUTPUT_FILE "\"";
    if (Check(CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, "T:\\", &startup,
                             &second),
              "started a second setup")) {
        DWORD search[2] = {second.dwProcessId, 0};
        DWORD start = GetTickCount();
        while (WaitForSingleObject(second.hProcess, kPollInterval) == WAIT_TIMEOUT &&
               GetTickCount() - start < kWaitLimit) {
            EnumWindows(CountProcessWindows, (LPARAM)search);
        }
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(second.hProcess, &code);
        Check(code == 1, "the second setup ended with exit code 1 (%lu)", (unsigned long)code);
        Check(search[1] == 0, "the second setup showed no window");
        CloseHandle(second.hProcess);
        CloseHandle(second.hThread);
    }
    // Focus moves through the window system a moment later.
    Check(WaitUntil([page] { return GetForegroundWindow() == page; }),
          "the first setup's welcome page is in front");
    DestroyWindow(other);
    Shot("second-setup");
    Click(page, IDCANCEL);
    ExpectQuietEnd(NULL);
    char name[MAX_PATH];
    snprintf(name, sizeof name, SESSIONS_PREFIX SETUP_NAME_FORMAT, PRODUCT);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, NULL, FALSE};
    ConvertStringSecurityDescriptorToSecurityDescriptorA(SETUP_GUARD_SDDL, SDDL_REVISION_1,
                                                         &attributes.lpSecurityDescriptor, NULL);
    Check(CreateMutexA(&attributes, FALSE, name) != NULL, "the guard held as a setup holds it");
    AnswerSetupBox(NULL, NO_SETUP_WINDOW_TEXT, "warning", IDOK, NULL);
    return Finish();
}
