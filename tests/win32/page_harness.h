// What the wizard page tests share: the backdrop's loans without a
// backdrop, a message pump, and a recorder that answers message boxes
// without ever taking a page for one.
#ifndef VANTOR_PAGE_HARNESS_H
#define VANTOR_PAGE_HARNESS_H

#include <windows.h>

#include <string>
#include <vector>

#include "backdrop.h"
#include "install_state.h"
#include "page_ids.h"
#include "shell_ids.h"
#include "test_support.h"

namespace page_harness {

// The shared answerer, under the names these tests use.
using Box = BoxSeen;
using BoxRecorder = BoxAnswerer;

inline HICON WarningIcon() { return LoadIconA(NULL, IDI_WARNING); }
inline HICON ErrorIcon() { return LoadIconA(NULL, IDI_ERROR); }

// Handles whatever arrives for the given time, as a modal loop would.
inline void FlushMessages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// What the backdrop lends the pages, read as the backdrop reads it.
inline void LendBackdropResources()
{
    g_setup.state.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    g_setup.state.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    g_backdrop.imageList = (HIMAGELIST)SHGetFileInfoA(
        "C:\\", 0, &g_backdrop.fileInfo, sizeof g_backdrop.fileInfo, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    g_backdrop.colours[kSelectedText] = GetSysColor(COLOR_HIGHLIGHTTEXT);
    g_backdrop.colours[kSelectedBack] = GetSysColor(COLOR_HIGHLIGHT);
    g_backdrop.colours[kItemText] = GetSysColor(COLOR_WINDOWTEXT);
    g_backdrop.colours[kItemBack] = GetSysColor(COLOR_WINDOW);
}

inline void Click(HWND page, int id)
{
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(page, id));
}

inline std::string ItemText(HWND page, int id)
{
    char text[1024];
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

inline std::string WindowText(HWND window)
{
    char text[1024];
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The left edge of the first pixel of the colour in a row of the DC, or -1.
inline int FirstColumnOf(HDC dc, int y, int width, COLORREF colour)
{
    for (int x = 0; x < width; ++x) {
        if (GetPixel(dc, x, y) == colour) {
            return x;
        }
    }
    return -1;
}

// A value under HKEY_LOCAL_MACHINE\<key>, removed again with its key.
inline void SetMachineText(const char* key, const char* name, const std::string& value)
{
    HKEY handle;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle, NULL) ==
        ERROR_SUCCESS) {
        RegSetValueExA(handle, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
        RegCloseKey(handle);
    }
}

}  // namespace page_harness

#endif
