// Finding the setup's top-level windows and waiting for them: windows by
// class, caption and owner, wizard pages (remembered, so that they are never
// taken for message boxes), and the list of what the setup shows.
#include "e2e_driver.h"

#include <string.h>

#include "e2e_driver_internal.h"

namespace {

enum {
    kMaxPages = 32,
};

struct PageList {
    HWND pages[kMaxPages];  // windows known as pages, never taken for boxes
    int count;
};
PageList g_pages;

bool SameText(const char* a, const char* b)
{
    return b == NULL || strcmp(a, b) == 0;
}

void RememberPage(HWND window)
{
    if (!IsKnownPage(window) && g_pages.count < kMaxPages) {
        g_pages.pages[g_pages.count++] = window;
    }
}

bool IsSetupWindow(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    DWORD setup = SetupProcessId();
    return setup != 0 && pid == setup && IsWindowVisible(window);
}

struct WindowNames {
    char className[64];
    char caption[256];
};

void ReadWindowNames(HWND window, WindowNames* names)
{
    GetClassNameA(window, names->className, sizeof names->className);
    GetWindowTextA(window, names->caption, sizeof names->caption);
}

struct Search {
    const char* className;
    const char* caption;
    HWND owner;
    bool boxesOnly;
    HWND found;
};

BOOL CALLBACK SearchProc(HWND window, LPARAM param)
{
    Search* s = (Search*)param;
    if (!IsSetupWindow(window)) {
        return TRUE;
    }
    WindowNames names;
    ReadWindowNames(window, &names);
    if (!SameText(names.className, s->className) || !SameText(names.caption, s->caption)) {
        return TRUE;
    }
    if (s->owner != ANY_OWNER && GetWindow(window, GW_OWNER) != s->owner) {
        return TRUE;
    }
    if (s->boxesOnly && !IsMessageBox(window)) {
        return TRUE;
    }
    s->found = window;
    return FALSE;
}

struct WindowList {
    HWND except;
    RECT* rects;
    int capacity;
    int count;
    bool log;
};

BOOL CALLBACK ListProc(HWND window, LPARAM param)
{
    WindowList* list = (WindowList*)param;
    if (window == list->except || !IsWindowVisible(window)) {
        return TRUE;
    }
    RECT r;
    GetWindowRect(window, &r);
    if (r.right <= r.left || r.bottom <= r.top) {
        return TRUE;
    }
    if (list->log) {
        if (!IsSetupWindow(window)) {
            return TRUE;
        }
        WindowNames names;
        ReadWindowNames(window, &names);
        // EnumWindows goes from the top of the z-order down.
        Log("  setup window %p class \"%s\" caption \"%s\" owner %p at (%ld, %ld) %ld x %ld%s",
            (void*)window, names.className, names.caption, (void*)GetWindow(window, GW_OWNER),
            r.left, r.top, r.right - r.left, r.bottom - r.top,
            (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? " topmost" : "");
        // A box says why the setup stopped.
        char text[512];
        if (IsMessageBox(window) && GetDlgItemTextA(window, 0xFFFF, text, sizeof text) > 0) {
            Log("    its text: \"%s\"", Printable(text));
        }
    } else if (list->count < list->capacity) {
        list->rects[list->count] = r;
    }
    list->count++;
    return TRUE;
}

BOOL CALLBACK CountProc(HWND window, LPARAM param)
{
    HWND* pair = (HWND*)param;  // the window not to count, then the count
    if (window != pair[0] && IsSetupWindow(window)) {
        pair[1] = (HWND)((LONG_PTR)pair[1] + 1);
    }
    return TRUE;
}

int CountSetupWindowsBut(HWND except)
{
    HWND pair[2] = {except, NULL};
    EnumWindows(CountProc, (LPARAM)pair);
    return (int)(LONG_PTR)pair[1];
}

}  // namespace

bool IsKnownPage(HWND window)
{
    for (int i = 0; i < g_pages.count; i++) {
        if (g_pages.pages[i] == window) {
            return true;
        }
    }
    return false;
}

void ForgetPages()
{
    g_pages.count = 0;
}

HWND Find(const char* className, const char* caption, HWND owner, bool boxesOnly)
{
    Search s = {className, caption, owner, boxesOnly, NULL};
    EnumWindows(SearchProc, (LPARAM)&s);
    return s.found;
}

HWND FindSetupWindow(const char* className, const char* caption, HWND owner)
{
    return Find(className, caption, owner, false);
}

HWND ProcessWindow(DWORD processId, const char* className)
{
    HWND w = NULL;
    while ((w = FindWindowExA(NULL, w, className, NULL)) != NULL) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == processId && IsWindowVisible(w)) {
            return w;
        }
    }
    return NULL;
}

HWND AnySetupWindow()
{
    return Find(NULL, NULL, ANY_OWNER, false);
}

HWND WaitWindow(const char* className, const char* caption, HWND owner, DWORD timeout)
{
    DWORD start = GetTickCount();
    for (;;) {
        bool running = SetupRunning();
        HWND found = Find(className, caption, owner, false);
        if (found != NULL) {
            RECT r = OuterRect(found);
            Log("window %p class \"%s\" caption \"%s\" at (%ld, %ld) %ld x %ld", (void*)found,
                className, caption ? caption : "", r.left, r.top, r.right - r.left,
                r.bottom - r.top);
            return found;
        }
        if (!running || GetTickCount() - start >= timeout) {
            break;
        }
        Sleep(kPollInterval);
    }
    Fail("waited %lu ms for a window of class \"%s\" with caption \"%s\"%s; %s",
         (unsigned long)(GetTickCount() - start), className, caption ? caption : "(any)",
         owner == ANY_OWNER ? "" : " and the expected owner",
         SetupRunning() ? "the setup shows:" : "the setup has ended");
    LogSetupWindows();
    return NULL;
}

HWND WaitPage(const char* caption, HWND owner)
{
    DWORD start = GetTickCount();
    for (;;) {
        bool running = SetupRunning();
        HWND found = Find("#32770", caption, owner, false);
        if (found != NULL) {
            RememberPage(found);
            RECT r = OuterRect(found);
            Log("page %p \"%s\" at (%ld, %ld) %ld x %ld", (void*)found, caption, r.left, r.top,
                r.right - r.left, r.bottom - r.top);
            return found;
        }
        if (!running || GetTickCount() - start >= kWaitLimit) {
            break;
        }
        Sleep(kPollInterval);
    }
    if (!SetupRunning()) {
        DWORD code = SetupExitCode();
        if (code == 1) {
            NotAvailable(
                "page \"%s\" never appeared: the setup ended quietly (exit code 1) "
                "where the page should open",
                caption);
        } else {
            Fail("page \"%s\" never appeared: the setup ended with exit code %lu", caption,
                 (unsigned long)code);
        }
        return NULL;
    }
    if (CountSetupWindowsBut(owner) == 0) {
        NotAvailable("page \"%s\" never appeared within %d ms: the setup shows only its backdrop",
                     caption, kWaitLimit);
        return NULL;
    }
    Fail("page \"%s\" never appeared within %d ms; the setup shows instead:", caption, kWaitLimit);
    LogSetupWindows();
    return NULL;
}

bool WaitGone(HWND window, DWORD timeout)
{
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start >= timeout) {
            return false;
        }
        Sleep(kPollInterval);
    }
    return true;
}

void LogSetupWindows()
{
    WindowList list = {NULL, NULL, 0, 0, true};
    EnumWindows(ListProc, (LPARAM)&list);
    if (list.count == 0) {
        Log("  (no visible window of the setup)");
    }
}

int CoveringRects(HWND except, RECT* rects, int capacity)
{
    WindowList list = {except, rects, capacity, 0, false};
    EnumWindows(ListProc, (LPARAM)&list);
    return list.count < capacity ? list.count : capacity;
}

void FailShownWindow(HWND seen, const char* what)
{
    if (seen == NULL) {
        return;
    }
    char name[64] = "";
    char caption[128] = "";
    GetClassNameA(seen, name, sizeof name);
    GetWindowTextA(seen, caption, sizeof caption);
    Fail("%s showed a window of class \"%s\", caption \"%s\"", what, name, caption);
}
