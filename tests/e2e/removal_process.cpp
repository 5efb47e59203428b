// The uninstaller seen from outside: the process started from the
// registered command and every process it starts (the second phase runs in
// a temp copy), their windows, and the boxes they show.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"

namespace {

enum {
    kMaxTracked = 32,
    kWineBoxIconId = 0x440,  // Wine's message box gives its icon control this id
    kIconMatchPercent = 90,
};

struct RemovalState {
    PROCESS_INFORMATION root;
    bool started;
    DWORD pids[kMaxTracked];
    int pidCount;
    DWORD startTick;
    DWORD endTick;
    DWORD shownTick;
    DWORD driverTime;
    HMODULE image;  // the main program as data: the product's icon
};
RemovalState g_removal;

bool IsTracked(DWORD pid)
{
    for (int i = 0; i < g_removal.pidCount; i++) {
        if (g_removal.pids[i] == pid) {
            return true;
        }
    }
    return false;
}

// Adds every process whose parent is tracked; a child may start a child of
// its own between two looks, so this runs at every poll.
void TrackProcesses()
{
    if (!g_removal.started) {
        return;
    }
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return;
    }
    for (int pass = 0; pass < 4; pass++) {
        bool added = false;
        PROCESSENTRY32 entry;
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more;
             more = Process32Next(snapshot, &entry)) {
            if (IsTracked(entry.th32ParentProcessID) && !IsTracked(entry.th32ProcessID) &&
                g_removal.pidCount < kMaxTracked) {
                g_removal.pids[g_removal.pidCount++] = entry.th32ProcessID;
                Log("the uninstaller started process %lu (%s)",
                    (unsigned long)entry.th32ProcessID, entry.szExeFile);
                added = true;
            }
        }
        if (!added) {
            break;
        }
    }
    CloseHandle(snapshot);
}

bool ProcessAlive(DWORD pid)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == NULL) {
        return false;
    }
    bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return alive;
}

struct WindowSearch {
    const char* className;
    HWND owner;
    bool boxesOnly;
    HWND found;
    int count;  // visible windows of the uninstaller that are not boxes
    bool hiddenToo;
};

BOOL CALLBACK SearchProc(HWND window, LPARAM param)
{
    WindowSearch* s = (WindowSearch*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!IsTracked(pid) || (!IsWindowVisible(window) && !s->hiddenToo)) {
        return TRUE;
    }
    char name[64];
    GetClassNameA(window, name, sizeof name);
    bool box = strcmp(name, "#32770") == 0;
    if (!box) {
        s->count++;
    }
    bool match = (s->className == NULL || strcmp(name, s->className) == 0) &&
                 (s->owner == ANY_OWNER || GetWindow(window, GW_OWNER) == s->owner) &&
                 (!s->boxesOnly || box);
    if (match && s->found == NULL) {
        s->found = window;
    }
    return TRUE;
}

WindowSearch Search(const char* className, HWND owner, bool boxesOnly, bool hiddenToo = false)
{
    TrackProcesses();
    WindowSearch s = {className, owner, boxesOnly, NULL, 0, hiddenToo};
    EnumWindows(SearchProc, (LPARAM)&s);
    return s;
}

BOOL CALLBACK StatusProc(HWND child, LPARAM param)
{
    char name[32];
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0 && IsWindowVisible(child) &&
        GetWindowTextLengthA(child) > 0) {
        *(HWND*)param = child;
        return FALSE;
    }
    return TRUE;
}

bool OpenProductImage()
{
    if (g_removal.image == NULL) {
        g_removal.image =
            LoadLibraryExA(REFERENCE_FOLDER UNINSTALLER_NAME, NULL, LOAD_LIBRARY_AS_DATAFILE);
    }
    return g_removal.image != NULL;
}

// The box's icon against the product's icon drawn over the box's own
// background: a stock icon, or none, does not come near.
int ProductIconMatch(HWND box)
{
    HWND control = GetDlgItem(box, kWineBoxIconId);
    if (control == NULL || !IsWindowVisible(control) || !OpenProductImage()) {
        return 0;
    }
    RECT r = OuterRect(control);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    HICON icon = (HICON)LoadImageA(g_removal.image, MAKEINTRESOURCEA(kProductIconId), IMAGE_ICON,
                                   w, h, 0);
    if (icon == NULL || w <= 0 || h <= 0 || w > kMaxIconSide || h > kMaxIconSide || !CaptureScreen()) {
        return 0;
    }
    COLORREF face = ScreenPixel(r.left - 1, r.top - 1);
    static COLORREF drawn[kMaxIconSide * kMaxIconSide];
    bool rendered = RenderIcon(icon, w, h, face, drawn);
    DestroyIcon(icon);
    int same = 0;
    for (int y = 0; rendered && y < h; y++) {
        for (int x = 0; x < w; x++) {
            if (drawn[y * w + x] == ScreenPixel(r.left + x, r.top + y)) {
                same++;
            }
        }
    }
    return same * 100 / (w * h);
}

}  // namespace

bool ReadUninstallCommand(char* command, int size)
{
    command[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD bytes = (DWORD)size - 1;
    LONG result =
        RegQueryValueExA(key, "UninstallString", NULL, &type, (BYTE*)command, &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) {
        return false;
    }
    command[bytes < (DWORD)size ? bytes : (DWORD)size - 1] = '\0';
    return true;
}

bool StartRemoval(const char* command)
{
    if (g_removal.started) {
        CloseHandle(g_removal.root.hProcess);
        CloseHandle(g_removal.root.hThread);
    }
    g_removal.started = false;
    g_removal.pidCount = 0;
    g_removal.driverTime = 0;
    static char line[kCommandLineSize];
    snprintf(line, sizeof line, "%s", command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    g_removal.startTick = GetTickCount();
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, "C:\\", &startup,
                        &g_removal.root)) {
        Fail("cannot start the uninstall command \"%s\" (error %lu)", command, GetLastError());
        return false;
    }
    g_removal.started = true;
    g_removal.pids[g_removal.pidCount++] = g_removal.root.dwProcessId;
    Log("started the uninstall command \"%s\" as process %lu", command,
        (unsigned long)g_removal.root.dwProcessId);
    return true;
}

bool RemovalRunning()
{
    TrackProcesses();
    for (int i = 0; i < g_removal.pidCount; i++) {
        if (ProcessAlive(g_removal.pids[i])) {
            return true;
        }
    }
    return false;
}

HWND AnyRemovalWindow()
{
    return Search(NULL, ANY_OWNER, false, true).found;
}

HWND RemovalWindow()
{
    DWORD start = GetTickCount();
    WindowSearch s;
    for (;;) {
        s = Search(UNINSTALL_CLASS, ANY_OWNER, false);
        if (s.found != NULL || !RemovalRunning() || GetTickCount() - start >= kWaitLimit) {
            break;
        }
        Sleep(kPollInterval);
    }
    if (!Check(s.found != NULL, "the uninstaller shows its window of class \"%s\"",
               UNINSTALL_CLASS)) {
        return NULL;
    }
    char caption[128];
    GetWindowTextA(s.found, caption, sizeof caption);
    Check(strcmp(caption, UNINSTALL_CAPTION) == 0, "its caption is \"%s\" (\"%s\")",
          UNINSTALL_CAPTION, caption);
    Check(s.count == 1, "it is the uninstaller's one visible top-level window (%d)", s.count);
    RECT r = OuterRect(s.found);
    int sw = GetSystemMetrics(SM_CXSCREEN);
    int sh = GetSystemMetrics(SM_CYSCREEN);
    int dx = (r.left + r.right) / 2 - sw / 2;
    int dy = (r.top + r.bottom) / 2 - sh / 2;
    Check(r.right - r.left <= sw / 2 && r.bottom - r.top <= sh / 2,
          "the window is small: %ld x %ld on a %d x %d screen", r.right - r.left,
          r.bottom - r.top, sw, sh);
    Check(dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2,
          "the window is centred: its centre is off the screen's by (%d, %d)", dx, dy);
    HWND status = NULL;
    EnumChildWindows(s.found, StatusProc, (LPARAM)&status);
    char text[256] = "";
    WindowText(status, text, sizeof text);
    Check(status != NULL && strpbrk(text, "\r\n") == NULL,
          "the window shows a one-line status text (\"%s\")", Printable(text));
    return s.found;
}

bool WaitRemovalBox(HWND owner, Box* box)
{
    memset(box, 0, sizeof *box);
    DWORD start = GetTickCount();
    HWND found = NULL;
    for (;;) {
        found = Search("#32770", owner, true).found;
        if (found != NULL || !RemovalRunning() || GetTickCount() - start >= kLongWait) {
            break;
        }
        Sleep(kPollInterval);
    }
    if (found == NULL) {
        HWND other = Search("#32770", ANY_OWNER, true).found;
        char text[256] = "";
        if (other != NULL) {
            WindowText(GetDlgItem(other, 0xFFFF), text, sizeof text);
        }
        Fail("waited %lu ms for a box owned by the uninstaller's window; %s%s",
             (unsigned long)(GetTickCount() - start),
             other != NULL                ? "a box with another owner shows: "
             : RemovalRunning() ? "none shows"
                                : "the uninstaller has ended",
             Printable(text));
        return false;
    }
    g_removal.shownTick = GetTickCount();
    box->window = found;
    GetWindowTextA(found, box->caption, sizeof box->caption);
    WindowText(GetDlgItem(found, 0xFFFF), box->text, sizeof box->text);
    int match = 0;
    for (int tries = 0; tries < 10 && match < kIconMatchPercent; tries++) {
        Sleep(100);  // the box paints its icon a moment after it shows
        match = ProductIconMatch(found);
    }
    box->icon = match >= kIconMatchPercent ? "product" : "other";
    Log("message box %p caption \"%s\" text \"%s\"", (void*)found, box->caption,
        Printable(box->text));
    Check(strcmp(box->caption, UNINSTALL_BOX_CAPTION) == 0, "box caption is \"%s\" (\"%s\")",
          UNINSTALL_BOX_CAPTION, box->caption);
    Check(match >= kIconMatchPercent, "the box shows the product's icon (%d%% of its pixels)",
          match);
    return true;
}

void CheckRemovalBox(const Box* box, const char* text, int defaultButton)
{
    if (!Check(strcmp(box->text, text) == 0, "box text is exact")) {
        Log("  expected \"%s\"", Printable(text));
    }
    if (defaultButton == 0) {
        return;
    }
    HWND button = GetDlgItem(box->window, defaultButton);
    LONG style = button ? GetWindowLongA(button, GWL_STYLE) : 0;
    Check(button != NULL && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON,
          "button %d is the box's default", defaultButton);
}

bool AnswerRemovalBox(const Box* box, int button)
{
    g_removal.driverTime += GetTickCount() - g_removal.shownTick;
    return AnswerBox(box, button);
}

bool ExpectRemovalExit(DWORD code)
{
    if (!g_removal.started) {
        return false;
    }
    if (WaitForSingleObject(g_removal.root.hProcess, kLongWait) != WAIT_OBJECT_0) {
        Fail("the uninstall command did not end within %d ms", kLongWait);
        return false;
    }
    g_removal.endTick = GetTickCount();
    DWORD got = 0;
    GetExitCodeProcess(g_removal.root.hProcess, &got);
    Log("the uninstall command ended after %lu ms", (unsigned long)RemovalTime());
    return Check(got == code, "the uninstall command's exit code is %lu (expected %lu)",
                 (unsigned long)got, (unsigned long)code);
}

DWORD RemovalTime()
{
    return g_removal.endTick - g_removal.startTick;
}

DWORD RemovalDriverTime()
{
    return g_removal.driverTime;
}

void StopRemoval()
{
    // The uninstaller's temp copy starts as the uninstaller ends and may
    // still be deleting it, so processes that end on their own are fine.
    DWORD start = GetTickCount();
    while (RemovalRunning() && GetTickCount() - start < (DWORD)kWaitLimit) {
        Sleep(kPollInterval);
    }
    if (!RemovalRunning()) {
        return;
    }
    Fail("the uninstaller is still running at the end of the scenario; ending it");
    for (int i = 0; i < g_removal.pidCount; i++) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, g_removal.pids[i]);
        if (process != NULL) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, kWaitLimit);
            CloseHandle(process);
        }
    }
}
