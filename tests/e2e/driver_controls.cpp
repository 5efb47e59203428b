// Acting on the setup's controls from the outside, as a user would:
// commands posted as the controls send them, keys posted to the focused
// control, texts read and typed, and where controls lie.
#include "e2e_driver.h"

namespace {

enum {
    kMessageTimeout = 5000,  // a setup busy with a file still answers within this
};

}  // namespace

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kMessageTimeout,
                             &result)) {
        Fail("message 0x%x to window %p got no answer within %d ms", message, (void*)window,
             kMessageTimeout);
        return -1;
    }
    return (LRESULT)result;
}

bool WindowText(HWND window, char* text, int size)
{
    text[0] = '\0';
    DWORD_PTR result = 0;
    if (window == NULL || !SendMessageTimeoutA(window, WM_GETTEXT, size, (LPARAM)text, SMTO_NORMAL,
                                               kMessageTimeout, &result)) {
        return false;
    }
    text[size - 1] = '\0';
    return true;
}

bool ItemText(HWND page, int id, char* text, int size)
{
    return WindowText(GetDlgItem(page, id), text, size);
}

bool SetItemText(HWND page, int id, const char* text)
{
    HWND control = GetDlgItem(page, id);
    DWORD_PTR result = 0;
    Log("type \"%s\" into control %d", text, id);
    return control != NULL && SendMessageTimeoutA(control, WM_SETTEXT, 0, (LPARAM)text, SMTO_NORMAL,
                                                  kMessageTimeout, &result);
}

void Click(HWND page, int id)
{
    HWND control = GetDlgItem(page, id);
    char text[64] = "";
    GetWindowTextA(control, text, sizeof text);
    Log("click control %d \"%s\"", id, text);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)control);
}

void DoubleClickListItem(HWND page, int listId, int index)
{
    HWND list = GetDlgItem(page, listId);
    Ask(list, LB_SETCURSEL, index, 0);
    Log("double-click item %d of list %d", index, listId);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(listId, LBN_DBLCLK), (LPARAM)list);
}

HWND FocusOf(HWND page)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(page, NULL), &info) && info.hwndFocus != NULL) {
        return info.hwndFocus;
    }
    return page;
}

void PressKey(HWND page, UINT virtualKey)
{
    HWND focus = FocusOf(page);
    UINT scan = MapVirtualKeyA(virtualKey, 0);
    char name[32] = "";
    GetClassNameA(focus, name, sizeof name);
    Log("press key 0x%02x on the focused %s %d", virtualKey, name, GetDlgCtrlID(focus));
    PostMessageA(focus, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(focus, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

RECT ItemRect(HWND page, int id)
{
    RECT r = {0, 0, 0, 0};
    HWND control = GetDlgItem(page, id);
    if (control != NULL) {
        GetWindowRect(control, &r);
        MapWindowPoints(NULL, page, (POINT*)&r, 2);
    }
    return r;
}

RECT OuterRect(HWND window)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}
