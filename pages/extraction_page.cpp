// The extraction page: fills the folder slots the later steps need, runs
// the installation pass from a one-shot timer and shows its progress in a
// two-colour percent bar. It has no buttons and cannot be cancelled.
#include "extraction_page.h"

#include <shlobj.h>

#include "install_pass.h"
#include "install_state.h"
#include "page_ids.h"
#include "page_services.h"
#include "path_helpers.h"
#include "run_log.h"

enum {
    kStartDelay = 250,
    kFinalPause = 1000,  // the full bar and final counters stay in view
    kBarUnits = 200,     // half-percent units of a full bar
    kPercentTextSize = 8,
};

const COLORREF kValueColour = RGB(0, 0, 128);
const COLORREF kBarColour = RGB(0, 0, 128);
const COLORREF kBarTextColour = RGB(255, 255, 255);
const COLORREF kGroundTextColour = RGB(0, 0, 64);

namespace {

struct PercentBar {
    HWND window;
    WNDPROC previous;
};

PercentBar s_bar;

// A shell folder whose name the code page cannot express and that has no
// short name: the links could not be made, so nothing is written at all.
bool s_folderUnusable;

// The bar's whole client area, split at the bar value; the percentage is
// white over the bar and dark blue over the ground, cut at the split.
void DrawPercentBar(HDC dc, const RECT& client)
{
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    int value = g_setup.state.barValue;
    if (value > kBarUnits) {
        value = kBarUnits;
    }
    int split = client.left + (client.right - client.left) * value / kBarUnits;
    RECT filled = {client.left, client.top, split, client.bottom};
    RECT ground = {split, client.top, client.right, client.bottom};

    char text[kPercentTextSize];
    int length = wsprintfA(text, "%d%%", value / 2);
    SIZE extent;
    GetTextExtentPointA(dc, text, length, &extent);
    int x = client.left + (client.right - extent.cx) / 2;
    int y = client.top + (client.bottom - extent.cy) / 2;

    SetTextColor(dc, kGroundTextColour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    ExtTextOutA(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &ground, text, length, NULL);
    SetTextColor(dc, kBarTextColour);
    SetBkColor(dc, kBarColour);
    ExtTextOutA(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &filled, text, length, NULL);
    SelectObject(dc, oldFont);
}

void PaintPercentBar(HWND bar)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(bar, &paint);
    RECT client;
    GetClientRect(bar, &client);
    DrawPercentBar(dc, client);
    EndPaint(bar, &paint);
}

LRESULT CALLBACK PercentBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintPercentBar(bar);
        return 0;
    case WM_PRINTCLIENT: {
        // The same picture into a given device context (printing, capture).
        RECT client;
        GetClientRect(bar, &client);
        DrawPercentBar((HDC)wParam, client);
        return 0;
    }
    case WM_ERASEBKGND:
        // The painting covers the whole client area.
        return 1;
    }
    return CallWindowProcA(s_bar.previous, bar, message, wParam, lParam);
}

// The path in the code page of the program's strings; false when one of
// its characters has no equivalent there (a best fit would name another
// folder).
bool ToCodePage(const WCHAR* path, char* out, int size)
{
    BOOL lost = FALSE;
    // UTF-8 expresses every path, and takes neither the flag nor the report.
    bool utf8 = GetACP() == CP_UTF8;
    return WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, path, -1, out, size,
                               NULL, utf8 ? NULL : &lost) > 0 &&
           !lost;
}

}  // namespace

bool PathInCodePage(const WCHAR* path, char* out, int size)
{
    WCHAR shortPath[MAX_PATH];
    DWORD length = 0;
    if (ToCodePage(path, out, size) ||
        ((length = GetShortPathNameW(path, shortPath, MAX_PATH)) > 0 && length < MAX_PATH &&
         ToCodePage(shortPath, out, size))) {
        return true;
    }
    out[0] = '\0';
    return false;
}

bool ReadSpecialFolder(HWND page, int folderId, char slot[kFolderSlotSize])
{
    WCHAR wide[MAX_PATH] = L"";
    LPITEMIDLIST folder = NULL;
    if (SUCCEEDED(SHGetSpecialFolderLocation(page, folderId, &folder)) && folder != NULL) {
        if (!SHGetPathFromIDListW(folder, wide)) {
            wide[0] = L'\0';
        }
        ILFree(folder);
    }
    char path[MAX_PATH];
    bool usable = wide[0] == L'\0' || PathInCodePage(wide, path, sizeof path);
    CopyText(slot, kFolderSlotSize, usable && wide[0] != L'\0' ? path : "");
    NormaliseFolderCase(slot);
    return usable;
}

void FillFolderSlots(HWND page)
{
    InstallState& state = g_setup.state;
    UINT length = GetWindowsDirectoryA(state.windowsFolder, kFolderSlotSize);
    // A longer folder leaves the slot empty, so that the pass fails at the
    // first file meant for it instead of writing somewhere else.
    if (length == 0 || length >= kFolderSlotSize) {
        state.windowsFolder[0] = '\0';
    }
    NormaliseFolderCase(state.windowsFolder);
    bool programs = ReadSpecialFolder(page, state.allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS,
                                      state.programsFolder);
    // The SendTo folder is each user's own: links for all users have none.
    state.sendToFolder[0] = '\0';
    bool sendTo = state.allUsers || ReadSpecialFolder(page, CSIDL_SENDTO, state.sendToFolder);
    s_folderUnusable = !programs || !sendTo;
    LogLine("Windows folder: %s", state.windowsFolder);
    LogLine("Programs folder: %s", state.programsFolder);
    LogLine("SendTo folder: %s", state.sendToFolder);
}

bool FolderSlotUnusable()
{
    return s_folderUnusable;
}

namespace {

void InitExtractionPage(HWND page)
{
    PreparePage(page, false);
    s_bar.window = GetDlgItem(page, IDC_PERCENT_BAR);
    s_bar.previous =
        (WNDPROC)(LONG_PTR)SetWindowLongA(s_bar.window, GWL_WNDPROC, (LONG)(LONG_PTR)PercentBarProc);
    // An unattended run filled them before it chose the group.
    if (!IsUnattendedRun()) {
        FillFolderSlots(page);
    }
    SetTimer(page, IDT_EXTRACTION_START, kStartDelay, NULL);
}

void OnExtractionTimer(HWND page, UINT_PTR timer)
{
    // Only the page's own starter runs the pass, and only once.
    if (timer != IDT_EXTRACTION_START) {
        return;
    }
    KillTimer(page, timer);
    if (s_folderUnusable) {
        ShowFormattedBox(page, MB_OK | MB_ICONERROR, "%s" ABORTING_LINE, UNUSABLE_FOLDER_LINE);
        AbortPage(page, NULL);
        return;
    }
    if (InstallFiles(page) == -1) {
        AbortPage(page, NULL);
        return;
    }
    PumpMessages(page, kFinalPause);
    EndDialog(page, 1);
}

HBRUSH ColorExtractionText(HDC dc, HWND control)
{
    switch (GetDlgCtrlID(control)) {
    case IDC_VISIT_NOTICE:
        return ColorStaticText(dc, kValueColour, COLOR_WINDOW);
    case IDC_NO_ID:
        return NULL;
    }
    return ColorStaticText(dc, kValueColour, COLOR_BTNFACE);
}

}  // namespace

INT_PTR CALLBACK ExtractionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitExtractionPage(page);
        return TRUE;
    case WM_TIMER:
        OnExtractionTimer(page, wParam);
        return FALSE;
    case WM_CTLCOLORSTATIC:
        return (INT_PTR)ColorExtractionText((HDC)wParam, (HWND)lParam);
    case WM_DESTROY:
        SetWindowLongA(s_bar.window, GWL_WNDPROC, (LONG)(LONG_PTR)s_bar.previous);
        return TRUE;
    }
    return FALSE;
}
