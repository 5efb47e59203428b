// The licence page: the licence text in a resizable dialog, accepted with
// "I Agree" (1) or refused with "I Disagree" (2).
#include "license_page.h"

#include <string.h>

#include "install_state.h"
#include "page_ids.h"
#include "page_services.h"

enum {
    // The licence is stored without a terminator; the copy adds one. A text
    // too long for it is not shown rather than shown in part.
    kLicenseTextSize = 32768,
};

namespace {

struct LicensePageState {
    int lastWidth;   // client size the controls were last laid out for
    int lastHeight;
};

LicensePageState s_page;
char s_licenseText[kLicenseTextSize];

void ShowLicenseText(HWND page)
{
    DWORD size = 0;
    const void* bytes = LockProgramResource(LICENSE_RESOURCE, RT_RCDATA, &size);
    if (bytes == NULL || size >= sizeof s_licenseText) {
        return;
    }
    memcpy(s_licenseText, bytes, size);
    s_licenseText[size] = '\0';
    SendDlgItemMessageA(page, IDC_LICENSE_TEXT, WM_SETTEXT, 0, (LPARAM)s_licenseText);
}

// The control's rectangle in the page's client coordinates; false when
// the page has no such control (yet).
bool ControlRect(HWND page, int id, HWND* control, RECT* r)
{
    *control = GetDlgItem(page, id);
    if (*control == NULL || !GetWindowRect(*control, r)) {
        return false;
    }
    MapWindowPoints(NULL, page, (POINT*)r, 2);
    return true;
}

// The text grows with the page from its fixed top-left corner; the buttons
// keep their distance to the bottom-right corner.
void FollowSize(HWND page, int width, int height)
{
    int dx = width - s_page.lastWidth;
    int dy = height - s_page.lastHeight;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    HWND control;
    RECT r;
    if (ControlRect(page, IDC_LICENSE_TEXT, &control, &r)) {
        SetWindowPos(control, NULL, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                     flags | SWP_NOMOVE);
    }
    const int buttons[] = {IDOK, IDCANCEL};
    for (int id : buttons) {
        if (ControlRect(page, id, &control, &r)) {
            SetWindowPos(control, NULL, r.left + dx, r.top + dy, 0, 0, flags | SWP_NOSIZE);
        }
    }
    s_page.lastWidth = width;
    s_page.lastHeight = height;
}

void InitPage(HWND page)
{
    PreparePage(page, false);
    // Centring keeps the size, so this is the size the template laid out.
    RECT client;
    GetClientRect(page, &client);
    s_page.lastWidth = client.right;
    s_page.lastHeight = client.bottom;
    ShowLicenseText(page);
}

}  // namespace

INT_PTR CALLBACK LicenseProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitPage(page);
        // The focus goes to "I Agree", the first tab stop.
        return TRUE;
    case WM_SIZE:
        FollowSize(page, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id != IDOK && id != IDCANCEL) {
            // The text control's notifications among them.
            return TRUE;
        }
        if (HIWORD(wParam) == 0) {
            EndDialog(page, id);
        }
        return FALSE;
    }
    }
    return FALSE;
}
