// Message boxes of the setup, read and answered (their icon is read off the
// screen), and screenshots into the folder named on the command line.
#include "e2e_driver.h"

#include <stdio.h>
#include <string.h>

#include "e2e_driver_internal.h"
#include "e2e_screen.h"
#include "product_identity.h"

namespace {

struct ShotState {
    char folder[MAX_PATH];
    int number;
};
ShotState g_shots;

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
    Check(strcmp(box->caption, PRODUCT_INSTALLER_NAME) == 0,
          "box caption is \"" PRODUCT_INSTALLER_NAME "\" (\"%s\")", box->caption);
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

void AnswerSetupBox(const char* arguments, const char* text, const char* icon, int answer,
                    const char* shot)
{
    Box box;
    if (StartSetup(arguments) && WaitBox(NULL, &box)) {
        CheckBox(&box, text, icon);
        // Wine's boxes answer DM_GETDEFID with IDOK; the buttons' styles
        // say which one Enter presses.
        const int kButtons[] = {IDOK, IDCANCEL, IDYES, IDNO};
        for (int id : kButtons) {
            LONG style = GetWindowLongA(GetDlgItem(box.window, id), GWL_STYLE) & BS_TYPEMASK;
            Check((style == BS_DEFPUSHBUTTON) == (id == answer), "button %d is %sthe default", id,
                  id == answer ? "" : "not ");
        }
        if (shot != NULL) {
            Shot(shot);
        }
        AnswerBox(&box, answer);
    }
    ExpectSetupExit(kWaitLimit, 1);
}

void SetShotFolder(const char* folder)
{
    snprintf(g_shots.folder, sizeof g_shots.folder, "%s", folder);
}

bool Shot(const char* name)
{
    if (!CaptureScreen()) {
        Fail("cannot capture the screen");
        return false;
    }
    if (g_shots.folder[0] == '\0') {
        return true;
    }
    char path[MAX_PATH + 64];
    size_t n = strlen(g_shots.folder);
    const char* separator = n > 0 && g_shots.folder[n - 1] == '\\' ? "" : "\\";
    snprintf(path, sizeof path, "%s%s%02d-%s.png", g_shots.folder, separator,
             ++g_shots.number, name);
    if (!WritePng(path)) {
        Fail("cannot write the screenshot %s", path);
        return false;
    }
    Log("screenshot %s", path);
    return true;
}
