// The driver's log, the setup process, and acting on its windows from the
// outside, as a user would: commands posted as the controls send them, keys
// posted to the focused control, message boxes read and answered.
#include "e2e_driver.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

#include "e2e_screen.h"

namespace {

enum {
    kMessageTimeout = 5000,  // a setup busy with a file still answers within this
    kMaxPages = 32,
    kLineSize = 2048,
};

struct DriverState {
    DWORD startTick;
    int failures;
    bool notAvailable;
    bool started;
    PROCESS_INFORMATION setup;
    char shotFolder[MAX_PATH];
    int shotNumber;
    char program[MAX_PATH];  // the setup to start; empty: Vantor.exe beside the driver
    HWND pages[kMaxPages];  // windows known as pages, never taken for boxes
    int pageCount;
};
DriverState g_driver;

void LogLine(const char* tag, const char* format, va_list args)
{
    char line[kLineSize];
    vsnprintf(line, sizeof line, format, args);
    line[sizeof line - 1] = '\0';
    printf("[%6lu ms] %s%s\n", (unsigned long)Elapsed(), tag, line);
    fflush(stdout);
}

bool SameText(const char* a, const char* b)
{
    return b == NULL || strcmp(a, b) == 0;
}

bool IsKnownPage(HWND window)
{
    for (int i = 0; i < g_driver.pageCount; i++) {
        if (g_driver.pages[i] == window) {
            return true;
        }
    }
    return false;
}

void RememberPage(HWND window)
{
    if (!IsKnownPage(window) && g_driver.pageCount < kMaxPages) {
        g_driver.pages[g_driver.pageCount++] = window;
    }
}

bool IsSetupWindow(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return g_driver.started && pid == g_driver.setup.dwProcessId && IsWindowVisible(window);
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
    char name[64];
    char caption[256];
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, caption, sizeof caption);
    if (!SameText(name, s->className) || !SameText(caption, s->caption)) {
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

HWND Find(const char* className, const char* caption, HWND owner, bool boxesOnly)
{
    Search s = {className, caption, owner, boxesOnly, NULL};
    EnumWindows(SearchProc, (LPARAM)&s);
    return s.found;
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
        char name[64];
        char caption[256];
        GetClassNameA(window, name, sizeof name);
        GetWindowTextA(window, caption, sizeof caption);
        // EnumWindows goes from the top of the z-order down.
        Log("  setup window %p class \"%s\" caption \"%s\" owner %p at (%ld, %ld) %ld x %ld%s",
            (void*)window, name, caption, (void*)GetWindow(window, GW_OWNER), r.left, r.top,
            r.right - r.left, r.bottom - r.top,
            (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? " topmost" : "");
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

BOOL CALLBACK IconControlProc(HWND child, LPARAM param)
{
    LONG style = GetWindowLongA(child, GWL_STYLE);
    char name[32];
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(child)) {
        *(HWND*)param = child;
        return FALSE;
    }
    return TRUE;
}

// Which of the system's message box icons the box shows: each candidate is
// drawn on black and on white, and its opaque pixels are compared with the
// screen.
const char* ClassifyIcon(HWND box)
{
    HWND iconControl = NULL;
    EnumChildWindows(box, IconControlProc, (LPARAM)&iconControl);
    if (iconControl == NULL) {
        return "none";
    }
    RECT r;
    GetWindowRect(iconControl, &r);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    if (w <= 0 || h <= 0 || w > kMaxIconSide || h > kMaxIconSide || !CaptureScreen()) {
        return "unknown";
    }
    static const struct {
        LPCSTR id;
        const char* name;
    } kIcons[] = {{IDI_HAND, "error"},
                  {IDI_QUESTION, "question"},
                  {IDI_EXCLAMATION, "warning"},
                  {IDI_ASTERISK, "information"}};
    const char* best = "unknown";
    int bestScore = 0;
    // Drawn over black and over white: where the two agree the icon is
    // opaque, and only those pixels are compared with the screen.
    static COLORREF onBlack[kMaxIconSide * kMaxIconSide];
    static COLORREF onWhite[kMaxIconSide * kMaxIconSide];
    for (size_t i = 0; i < sizeof kIcons / sizeof kIcons[0]; i++) {
        HICON icon = LoadIconA(NULL, kIcons[i].id);
        int opaque = 0;
        int same = 0;
        if (RenderIcon(icon, w, h, RGB(0, 0, 0), onBlack) &&
            RenderIcon(icon, w, h, RGB(255, 255, 255), onWhite)) {
            for (int y = 0; y < h; y++) {
                for (int x = 0; x < w; x++) {
                    COLORREF c = onBlack[y * w + x];
                    if (c != onWhite[y * w + x]) {
                        continue;
                    }
                    opaque++;
                    if (ScreenPixel(r.left + x, r.top + y) == c) {
                        same++;
                    }
                }
            }
        }
        int score = opaque > 0 ? same * 100 / opaque : 0;
        if (score > bestScore) {
            bestScore = score;
            best = kIcons[i].name;
        }
    }
    return bestScore >= 80 ? best : "unknown";
}

}  // namespace

DWORD Elapsed()
{
    if (g_driver.startTick == 0) {  // the first log line starts the clock
        g_driver.startTick = GetTickCount();
    }
    return GetTickCount() - g_driver.startTick;
}

const char* Printable(const char* text)
{
    static char buffers[4][2048];
    static int next;
    char* shown = buffers[next++ % 4];
    size_t n = 0;
    for (const char* p = text; *p && n + 3 < sizeof buffers[0]; p++) {
        if (*p == '\r' || *p == '\n') {
            shown[n++] = '\\';
            shown[n++] = *p == '\r' ? 'r' : 'n';
        } else {
            shown[n++] = *p;
        }
    }
    shown[n] = '\0';
    return shown;
}

void Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogLine("", format, args);
    va_end(args);
}

bool Check(bool ok, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogLine(ok ? "ok   " : "FAIL ", format, args);
    va_end(args);
    if (!ok) {
        g_driver.failures++;
    }
    return ok;
}

void Fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogLine("FAIL ", format, args);
    va_end(args);
    g_driver.failures++;
}

void NotAvailable(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogLine("NOT AVAILABLE YET ", format, args);
    va_end(args);
    g_driver.notAvailable = true;
}

bool HasFailed()
{
    return g_driver.failures > 0;
}

int Outcome()
{
    if (g_driver.failures > 0) {
        Log("result: %d check(s) failed", g_driver.failures);
        return kExitFailed;
    }
    if (g_driver.notAvailable) {
        Log("result: skipped, a page it needs is not built yet");
        return kExitNotAvailable;
    }
    Log("result: passed");
    return kExitPassed;
}

void SetSetupProgram(const char* path)
{
    snprintf(g_driver.program, sizeof g_driver.program, "%s", path);
}

bool StartSetup()
{
    char path[MAX_PATH];
    DWORD n = g_driver.program[0] != '\0'
                  ? (DWORD)snprintf(path, sizeof path, "%s", g_driver.program)
                  : GetModuleFileNameA(NULL, path, sizeof path);
    char* slash = n > 0 && n < sizeof path ? strrchr(path, '\\') : NULL;
    if (slash == NULL || (size_t)(slash + 1 - path) + sizeof "Vantor.exe" > sizeof path) {
        Fail("cannot tell the driver's own folder");
        return false;
    }
    if (g_driver.program[0] == '\0') {
        strcpy(slash + 1, "Vantor.exe");
    }
    char command[MAX_PATH + 2];
    snprintf(command, sizeof command, "\"%s\"", path);
    *slash = '\0';
    if (g_driver.started) {  // a second run in one scenario
        CloseHandle(g_driver.setup.hProcess);
        CloseHandle(g_driver.setup.hThread);
        g_driver.started = false;
        g_driver.pageCount = 0;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, path, &startup,
                        &g_driver.setup)) {
        Fail("cannot start %s (error %lu)", command, GetLastError());
        return false;
    }
    g_driver.started = true;
    Log("started %s as process %lu", command, g_driver.setup.dwProcessId);
    return true;
}

DWORD SetupProcessId()
{
    return g_driver.started ? g_driver.setup.dwProcessId : 0;
}

bool SetupRunning()
{
    return g_driver.started && WaitForSingleObject(g_driver.setup.hProcess, 0) == WAIT_TIMEOUT;
}

bool ExpectSetupExit(DWORD timeout)
{
    if (!g_driver.started) {
        return false;
    }
    if (WaitForSingleObject(g_driver.setup.hProcess, timeout) != WAIT_OBJECT_0) {
        Fail("the setup did not end within %lu ms", (unsigned long)timeout);
        LogSetupWindows();
        return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(g_driver.setup.hProcess, &code);
    return Check(code == 1, "the setup ended with exit code %lu (expected 1)", (unsigned long)code);
}

void StopSetup()
{
    if (!SetupRunning()) {
        return;
    }
    Fail("the setup is still running at the end of the scenario; ending it");
    LogSetupWindows();
    // Notepad, if the read-me was opened, goes too.
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32 entry;
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more;
             more = Process32Next(snapshot, &entry)) {
            if (entry.th32ParentProcessID == g_driver.setup.dwProcessId) {
                HANDLE child = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
                if (child != NULL) {
                    TerminateProcess(child, 1);
                    CloseHandle(child);
                }
            }
        }
        CloseHandle(snapshot);
    }
    TerminateProcess(g_driver.setup.hProcess, 1);
    WaitForSingleObject(g_driver.setup.hProcess, kWaitLimit);
}

HWND FindSetupWindow(const char* className, const char* caption, HWND owner)
{
    return Find(className, caption, owner, false);
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
        DWORD code = 0;
        GetExitCodeProcess(g_driver.setup.hProcess, &code);
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

bool IsMessageBox(HWND window)
{
    char name[64];
    GetClassNameA(window, name, sizeof name);
    return strcmp(name, "#32770") == 0 && !IsKnownPage(window);
}

HWND FindAnyBox()
{
    return Find("#32770", NULL, ANY_OWNER, true);
}

bool WaitBox(HWND owner, Box* box)
{
    memset(box, 0, sizeof *box);
    DWORD start = GetTickCount();
    HWND found = NULL;
    for (;;) {
        bool running = SetupRunning();
        found = Find("#32770", NULL, owner, true);
        if (found != NULL || !running || GetTickCount() - start >= kWaitLimit) {
            break;
        }
        Sleep(kPollInterval);
    }
    if (found == NULL) {
        Fail("waited %lu ms for a message box owned by %p; %s",
             (unsigned long)(GetTickCount() - start), (void*)owner,
             SetupRunning() ? "the setup shows:" : "the setup has ended");
        LogSetupWindows();
        return false;
    }
    box->window = found;
    GetWindowTextA(found, box->caption, sizeof box->caption);
    // Current Wine gives the text control 0xFFFF, older ones 100.
    HWND text = GetDlgItem(found, 0xFFFF);
    if (text == NULL) {
        text = GetDlgItem(found, 100);
    }
    WindowText(text, box->text, sizeof box->text);
    // The icon is read off the screen, so give the box (and a window
    // restored behind it) time to paint.
    for (int tries = 0; tries < 10; tries++) {
        Sleep(100);
        box->icon = ClassifyIcon(found);
        if (strcmp(box->icon, "unknown") != 0) {
            break;
        }
    }
    Log("message box %p caption \"%s\" icon %s text \"%s\"", (void*)found, box->caption, box->icon,
        Printable(box->text));
    return true;
}

void CheckBox(const Box* box, const char* text, const char* icon)
{
    // A box that the system stacks below another window, or that the
    // screen does not show, has an unreadable icon.
    RECT r = OuterRect(box->window);
    POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    HWND atCentre = WindowFromPoint(centre);
    bool onTop = atCentre == box->window || IsChild(box->window, atCentre);
    if (!onTop || strcmp(box->icon, "unknown") == 0) {
        Log("  the box %s on top at its centre; stacking, top first:", onTop ? "is" : "is not");
        LogSetupWindows();
    }
    Check(strcmp(box->caption, "Vantor") == 0, "box caption is \"Vantor\" (\"%s\")", box->caption);
    Check(strcmp(box->text, text) == 0, "box text is exact");
    Check(strcmp(box->icon, icon) == 0, "box icon is %s (%s)", icon, box->icon);
}

bool AnswerBox(const Box* box, int button)
{
    HWND control = GetDlgItem(box->window, button);
    if (!Check(control != NULL, "the box has button %d", button)) {
        return false;
    }
    char text[64] = "";
    GetWindowTextA(control, text, sizeof text);
    Log("press box button %d \"%s\"", button, text);
    PostMessageA(box->window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)control);
    return Check(WaitGone(box->window, kWaitLimit), "the box closed");
}

void SetShotFolder(const char* folder)
{
    snprintf(g_driver.shotFolder, sizeof g_driver.shotFolder, "%s", folder);
}

bool Shot(const char* name)
{
    if (!CaptureScreen()) {
        Fail("cannot capture the screen");
        return false;
    }
    if (g_driver.shotFolder[0] == '\0') {
        return true;
    }
    char path[MAX_PATH + 64];
    size_t n = strlen(g_driver.shotFolder);
    const char* separator = n > 0 && g_driver.shotFolder[n - 1] == '\\' ? "" : "\\";
    snprintf(path, sizeof path, "%s%s%02d-%s.png", g_driver.shotFolder, separator,
             ++g_driver.shotNumber, name);
    if (!WritePng(path)) {
        Fail("cannot write the screenshot %s", path);
        return false;
    }
    Log("screenshot %s", path);
    return true;
}
