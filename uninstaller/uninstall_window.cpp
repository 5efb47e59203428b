// The uninstaller's one window: it shows what is going on and owns every
// box, so that no box can open behind another window of the program.
#include "uninstaller.h"

#include "product_window.h"
#include "run_log.h"
#include "uninstall_texts.h"

enum {
    kWindowWidth = 420,
    kWindowHeight = 110,
    kStatusId = 100,
    kMargin = 16,
};

static LRESULT CALLBACK RemovalWindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam)
{
    // Closing it would leave a removal half done: the boxes decide.
    if (message == WM_CLOSE) {
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool CreateRemovalWindow(HINSTANCE instance)
{
    if (!RegisterProductClass(instance, RemovalWindowProc, kUninstallClass, NULL)) {
        return false;
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame = {0, 0, kWindowWidth, kWindowHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = CreateWindowExA(0, kUninstallClass, kUninstallCaption, style, x, y, width,
                                  height, NULL, NULL, instance, NULL);
    if (window == NULL) {
        return false;
    }
    HWND status = CreateWindowExA(0, "STATIC", kStatusReadyText, WS_CHILD | WS_VISIBLE | SS_LEFT,
                                  kMargin, kMargin, kWindowWidth - 2 * kMargin,
                                  kWindowHeight - 2 * kMargin, window,
                                  (HMENU)(INT_PTR)kStatusId, instance, NULL);
    SendMessageA(status, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    g_removal.window = window;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return true;
}

void SetRemovalStatus(const char* text)
{
    if (g_removal.window != NULL) {
        SetDlgItemTextA(g_removal.window, kStatusId, text);
        UpdateWindow(g_removal.window);
    }
}

void CloseRemovalWindow()
{
    if (g_removal.window != NULL) {
        DestroyWindow(g_removal.window);
        g_removal.window = NULL;
    }
}

int AskUser(const char* text, UINT buttons, int fallback)
{
    LogLine("Box: %s", text);
    if (g_removal.silent) {
        LogAnswer(fallback, false);
        return fallback;
    }
    // Without its window (creation failed) the box still asks, unowned.
    int answer = ShowProductMessage(g_removal.window, kProductName, text, buttons);
    if (g_removal.window != NULL) {
        UpdateWindow(g_removal.window);
    }
    LogAnswer(answer, true);
    return answer;
}
