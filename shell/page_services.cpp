// Page services: placement, product-name formatting, icons, the timed
// message pump and the abort notice.
#include "page_services.h"

#include <stdarg.h>

#include "install_state.h"
#include "run_log.h"
#include "shell_ids.h"
#include "shell_texts.h"

enum {
    kTemplateTextRead = 200,  // at most 199 characters are read
    kPageTextShown = 220,     // the formatted text holds at most 219
    kFormatScratch = 1025,  // wsprintfA never writes more than 1024 bytes
};

namespace {

PageRunMode s_runMode;

}  // namespace

void SetPageRunMode(PageRunMode mode)
{
    s_runMode = mode;
}

bool IsUnattendedRun()
{
    return s_runMode != kPagesInteractive;
}

bool IsSilentRun()
{
    return s_runMode == kPagesSilent;
}

POINT CenteredOrigin(int width, int height, bool besidePanel)
{
    POINT origin;
    // Integer division truncates toward zero, also for a page wider than
    // its area: this is the placement the pages were laid out for.
    int room = g_setup.state.screenWidth - width + (besidePanel ? kBackdropPanelWidth : 0);
    origin.x = room / 2;
    origin.y = (g_setup.state.screenHeight - height) / 2;
    return origin;
}

void CenterPage(HWND window, bool besidePanel)
{
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    POINT origin = CenteredOrigin(w, h, besidePanel);
    // As MoveWindow without repainting does it.
    SetWindowPos(window, NULL, origin.x, origin.y, w, h,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void FormatWindowText(HWND window, int limit, ...)
{
    // Empty when there is no such window: the message then reads nothing.
    char format[kTemplateTextRead];
    char text[kFormatScratch];
    format[0] = '\0';
    SendMessageA(window, WM_GETTEXT, sizeof format, (LPARAM)format);
    va_list arguments;
    va_start(arguments, limit);
    int length = wvsprintfA(text, format, arguments);
    va_end(arguments);
    if (length < limit) {
        SendMessageA(window, WM_SETTEXT, 0, (LPARAM)text);
    }
}

void FormatPageText(HWND window, bool caption)
{
    // The name is an argument, never part of the format, so a "%" in it
    // is shown as it stands.
    FormatWindowText(caption ? window : GetDlgItem(window, IDC_PAGE_TEXT), kPageTextShown,
                     g_setup.manifest.productName);
    if (caption) {
        SetSmallIcon(window, IDI_SETUP);
    }
}

HICON LoadSetupIcon(WORD iconId, int size)
{
    // Size 0 is the system's icon size, shared, as LoadIconA loads it.
    return (HICON)LoadImageA(g_setup.state.instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, size,
                             size, size == 0 ? LR_DEFAULTSIZE | LR_SHARED : LR_DEFAULTCOLOR);
}

void PreparePage(HWND page, bool withText)
{
    CenterPage(page, true);
    FormatPageText(page, true);
    if (withText) {
        FormatPageText(page, false);
    }
}

void SetSmallIcon(HWND window, WORD iconId)
{
    SendMessageA(window, WM_SETICON, ICON_SMALL, (LPARAM)LoadSetupIcon(iconId, kSmallIconSize));
}

HBRUSH ColorStaticText(HDC dc, COLORREF text, int background)
{
    SetTextColor(dc, text);
    SetBkColor(dc, GetSysColor(background));
    return GetSysColorBrush(background);
}

const void* LockProgramResource(const char* name, const char* type, DWORD* size)
{
    HINSTANCE instance = g_setup.state.instance;
    HRSRC found = FindResourceA(instance, name, type);
    if (found == NULL) {
        return NULL;
    }
    *size = SizeofResource(instance, found);
    return LockResource(LoadResource(instance, found));
}

bool PauseElapsed(DWORD start, DWORD now, DWORD milliseconds)
{
    // Unsigned difference: correct across the wrap of the tick counter.
    return (DWORD)(now - start) >= milliseconds;
}

void PumpMessages(HWND window, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        // The tick is read before the message is taken, so the message taken
        // in the last pass is still handled.
        DWORD now = GetTickCount();
        MSG msg;
        bool taken = PeekMessageA(&msg, window, 0, 0, PM_REMOVE) != 0;
        if (taken) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // Nobody watches a silent run: only what is pending is handled.
        if (IsSilentRun() ? !taken : PauseElapsed(start, now, milliseconds)) {
            break;
        }
    }
}

int ShowAbortNotice(HWND owner)
{
    ShowFormattedBox(owner, MB_OK | MB_ICONWARNING, ABORT_NOTICE_FORMAT, kSupportAddress);
    return 0;
}

int ShowFormattedBox(HWND owner, UINT type, const char* format, ...)
{
    char text[kFormatScratch];
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(text, format, arguments);
    va_end(arguments);
    return ShowPageBox(owner, text, type);
}

void AbortPage(HWND page, const char* error)
{
    if (error != NULL) {
        ShowPageBox(page, error, MB_OK | MB_ICONERROR);
    }
    ShowAbortNotice(page);
    EndDialog(page, 2);
}

int ShowPageBox(HWND owner, const char* text, UINT type)
{
    LogLine("Box: %s", text);
    int answer = IDOK;
    if (!IsUnattendedRun()) {
        answer = MessageBoxA(owner, text, INSTALLER_NAME, type);
    } else if ((type & MB_TYPEMASK) == MB_YESNO) {
        answer = IDNO;
    } else if ((type & MB_TYPEMASK) != MB_OK) {
        answer = IDCANCEL;  // Retry or OK and Cancel, Yes, No and Cancel
    }
    LogAnswer(answer, !IsUnattendedRun());
    return answer;
}
