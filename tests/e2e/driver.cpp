// vantor-driver: runs Vantor.exe unattended in the current Wine prefix,
// acts as its user in one named scenario, checks what the setup shows and
// leaves behind, and saves screenshots of what it saw.
//
//   vantor-driver SCENARIO [SCREENSHOT_FOLDER]
//   vantor-driver list
//
// Exit code 0: every check passed; 1: a check failed; 77: a page the
// scenario needs is not built yet (the page never appeared and the setup
// showed nothing in its place).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "page_ids.h"
#include "shell_ids.h"
#include "shell_texts.h"

namespace {

// What the setup must show and do, stated here independently of its code.
#define WELCOME_TEXT                                                                       \
    "This program will install Quorvel to your computer. It is strongly recommended that " \
    "you quit all running programs before you continue."
#define LICENCE_CAPTION "Quorvel License Agreement"
#define LOCATION_CAPTION "Quorvel Program Location"
#define EXTRACTION_CAPTION "Installing Quorvel Program Files"
#define GROUP_CAPTION "Quorvel Program Group"
#define SHORTCUTS_CAPTION "Creating Quorvel Shortcuts"
#define DEFAULT_FOLDER "C:\\Brindlemoor\\Quorvel"
#define PRODUCT "Quorvel"
#define ABORT_TEXT                                                                     \
    "Installation Aborted!\r\n\r\nIf you need assistance you can email\r\nsupport at " \
    "- " SUPPORT_ADDRESS "!"
#define QUESTION_TEXT \
    "Quorvel was successfully installed.\r\n\r\nWould you like to view the Read Me file now?"
#define FAREWELL                                                                      \
    "For other great software utilities be sure to\r\nstop by Brindlemoor home page " \
    "at\r\n" PUBLISHER_HOME_PAGE                                                      \
    "\r\n\r\nIf you have any questions or comments you can\r\n"                       \
    "email support at " SUPPORT_ADDRESS "!"
#define PATH_INVALID "Path Invalid!\r\n\r\n"
#define EXTRACT_FAILED "Unable to create destination file!\r\nInstallation will now be aborted."

#define SHELL_UNLOAD_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\AlwaysUnloadDll"
#define VENDOR_KEY "Software\\Brindlemoor"
#define VERSION_KEY "Software\\Brindlemoor\\Programs\\Quorvel\\Current Version"
#define UNINSTALL_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel"
#define HELP_LINK "http://www.brindlemoor.com/quorvel/"

// Copies of the product's files and the licence text, made by the build.
#define REFERENCE_FOLDER "T:\\product-files\\"
#define LICENCE_REFERENCE "T:\\product-files\\license.txt"

enum {
    kPanelWidth = 150,
    kBannerWidth = 334,
    kBannerHeight = 58,
    kStepCount = 7,
    kStepTop = 120,
    kStepPitch = 18,
    kFileCount = 7,
    kShortcutCount = 5,
    kMaxListItems = 128,
    kItemSize = 300,
    kMaxCovering = 16,
    kLongWait = 60000,  // the whole extraction
};

const COLORREF kPanelColour = RGB(0, 24, 96);
const COLORREF kRuleColour = RGB(248, 248, 255);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kCurrentStepColour = RGB(207, 216, 255);
const COLORREF kOtherStepColour = RGB(111, 136, 255);
const COLORREF kLabelColour = RGB(175, 175, 255);
const COLORREF kTitleColour = RGB(128, 160, 255);
const COLORREF kSubtitleColour = RGB(0, 0, 255);
const COLORREF kPictureKey = RGB(0, 128, 128);
const COLORREF kBarFill = RGB(0, 0, 128);
const COLORREF kBarEmptyText = RGB(0, 0, 64);

const char* const kStepNames[kStepCount] = {
    "- License Agreement",  "- Program Location", "- Installing Files", "- Program Group",
    "- Creating Shortcuts", "- View Read Me",     "- Finished"};

struct ProductFile {
    const char* name;
    bool inWindowsFolder;
    bool linkToDestination;
    const char* caption;
};
const ProductFile kFiles[kFileCount] = {
    {"Qorvunst.exe", true, false, "Uninstall"}, {"Pembrix.exe", false, true, "Update"},
    {"Quorvel.exe", false, true, "Quorvel"},    {"Quorvel.hlp", false, true, "Help"},
    {"Read Me.txt", false, true, "Read Me"},    {"Order.txt", false, true, "-"},
    {"RegInfo.txt", false, true, "-"}};

enum { kMainProgram = 2, kReadMe = 4 };

// How one walk through the wizard goes.
struct Walk {
    const char* folder;  // typed on the folder page; NULL keeps the proposal
    const char* group;   // typed on the group page; NULL keeps the proposal
    bool viewReadMe;
    bool timed;  // print the timing figure
};

// What the walk saw; the checks after it read these.
struct WalkState {
    int width;
    int height;
    HWND backdrop;
    HMODULE setupImage;  // Vantor.exe as data: its bitmaps
    DWORD continueTick;  // welcome page's Continue
    DWORD farewellTick;
    DWORD driverTime;  // time the driver sat on shown pages before acting
    DWORD shownTick;
    char destination[MAX_PATH];
    char group[64];
};
WalkState g_walk;

typedef int (*Scenario)();

int Finish()
{
    StopSetup();
    return Outcome();
}

void PageShown()
{
    g_walk.shownTick = GetTickCount();
}

void Acting()
{
    g_walk.driverTime += GetTickCount() - g_walk.shownTick;
}

void ExpectedFileTime(FILETIME* utc)
{
    SYSTEMTIME local = {2006, 12, 0, 24, 3, 2, 0, 0};
    FILETIME localTime;
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, utc);
}

void ThousandsText(DWORD value, char* text, int size)
{
    char digits[32];
    int n = 0;
    do {
        if (n > 0 && n % 4 == 3) {
            digits[n++] = ',';
        }
        digits[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0 && n < 30);
    int i = 0;
    for (; i < n && i < size - 1; i++) {
        text[i] = digits[n - 1 - i];
    }
    text[i] = '\0';
}

void JoinPath(char* out, size_t size, const char* folder, const char* name)
{
    size_t n = strlen(folder);
    snprintf(out, size, "%s%s%s", folder, n > 0 && folder[n - 1] == '\\' ? "" : "\\", name);
}

bool FileSize(const char* path, DWORD* size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) || data.nFileSizeHigh != 0) {
        return false;
    }
    *size = data.nFileSizeLow;
    return true;
}

// Polls a control until its text is the expected one.
bool WaitItemText(HWND page, int id, const char* expected, DWORD timeout)
{
    char text[kItemSize];
    DWORD start = GetTickCount();
    for (;;) {
        ItemText(page, id, text, sizeof text);
        if (strcmp(text, expected) == 0) {
            return true;
        }
        if (GetTickCount() - start >= timeout) {
            Fail("control %d reads \"%s\", expected \"%s\"", id, text, expected);
            return false;
        }
        Sleep(kPollInterval);
    }
}

void CheckBesidePanel(HWND page, const char* what)
{
    RECT r = OuterRect(page);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    int x = (g_walk.width - w + kPanelWidth) / 2;
    int y = (g_walk.height - h) / 2;
    Check(r.left == x && r.top == y,
          "%s centred beside the panel: at (%ld, %ld), expected (%d, %d)", what, r.left, r.top, x,
          y);
}

bool OpenSetupImage()
{
    if (g_walk.setupImage != NULL) {
        return true;
    }
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    char* slash = n > 0 && n < sizeof path ? strrchr(path, '\\') : NULL;
    if (slash == NULL || (size_t)(slash + 1 - path) + sizeof "Vantor.exe" > sizeof path) {
        return false;
    }
    strcpy(slash + 1, "Vantor.exe");
    g_walk.setupImage = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    return g_walk.setupImage != NULL;
}

// --- Backdrop pixels -------------------------------------------------------

RECT g_covering[kMaxCovering];
int g_coveringCount;

bool Covered(int x, int y)
{
    POINT p = {x, y};
    for (int i = 0; i < g_coveringCount; i++) {
        if (PtInRect(&g_covering[i], p)) {
            return true;
        }
    }
    return false;
}

// Number of uncovered pixels in the rectangle whose colour is not in the
// allowed set, logging the first one.
int Mismatches(const char* what, int left, int top, int right, int bottom, int step,
               const COLORREF* allowed, int allowedCount, int* compared)
{
    int bad = 0;
    for (int y = top; y < bottom; y += step) {
        for (int x = left; x < right; x += step) {
            if (Covered(x, y)) {
                continue;
            }
            (*compared)++;
            COLORREF c = ScreenPixel(x, y);
            bool ok = false;
            for (int i = 0; i < allowedCount && !ok; i++) {
                ok = c == allowed[i];
            }
            if (!ok) {
                if (bad == 0) {
                    Log("  %s: pixel (%d, %d) is RGB(%d, %d, %d)", what, x, y, GetRValue(c),
                        GetGValue(c), GetBValue(c));
                }
                bad++;
            }
        }
    }
    return bad;
}

// Colours of one row of a picture, for stretched bitmaps.
int RowColours(const DibPicture* picture, int y, COLORREF* colours, int capacity)
{
    int n = 0;
    for (int x = 0; x < picture->width; x++) {
        COLORREF c = DibPixel(picture, x, y);
        bool known = false;
        for (int i = 0; i < n && !known; i++) {
            known = colours[i] == c;
        }
        if (!known && n < capacity) {
            colours[n++] = c;
        }
    }
    return n;
}

DibPicture g_picture;

// Checks the last capture against how the backdrop must look and answers which
// step captions it shows highlighted.
DWORD CheckBackdropPixels(DWORD expectedStep)
{
    const int W = g_walk.width;
    const int H = g_walk.height;
    g_coveringCount = CoveringRects(g_walk.backdrop, g_covering, kMaxCovering);
    int compared = 0;

    // Left panel, away from the label, the step list and the picture.
    int bad = 0;
    for (int y = 62; y < H; y += 5) {
        for (int x = 0; x < kPanelWidth; x += 5) {
            bool label = y >= 95 && y < 118;
            bool steps = y >= kStepTop - 2 && y < kStepTop + kStepCount * kStepPitch + 2;
            bool picture = x >= 16 && x < 136 && y >= H - 180 && y < H - 12;
            if (label || steps || picture || Covered(x, y)) {
                continue;
            }
            compared++;
            if (ScreenPixel(x, y) != kPanelColour) {
                if (bad++ == 0) {
                    COLORREF c = ScreenPixel(x, y);
                    Log("  panel: pixel (%d, %d) is RGB(%d, %d, %d)", x, y, GetRValue(c),
                        GetGValue(c), GetBValue(c));
                }
            }
        }
    }
    Check(bad == 0 && compared > 100,
          "left panel is RGB(0, 24, 96) left of x 150 below y 58 (%d of %d sampled pixels differ)",
          bad, compared);

    // Rules at y 63, 67, ... with white between them.
    compared = 0;
    bad = Mismatches("rule at y 63", 152, 63, W, 64, 3, &kRuleColour, 1, &compared) +
          Mismatches("rule at y 67", 152, 67, W, 68, 3, &kRuleColour, 1, &compared);
    int white = Mismatches("white between rules", 152, 65, W, 66, 3, &kWhite, 1, &compared) +
                Mismatches("white between rules", 152, 69, W, 70, 3, &kWhite, 1, &compared);
    Check(bad == 0 && white == 0 && compared > 100,
          "rules at y 63 and 67 in RGB(248, 248, 255), white at y 65 and 69 (%d + %d of %d "
          "pixels differ)",
          bad, white, compared);

    // Banner at its own size at x W - 334.
    if (OpenSetupImage() && LoadDibPicture(g_walk.setupImage, IDB_BANNER, &g_picture)) {
        compared = 0;
        bad = 0;
        for (int y = 0; y < g_picture.height; y++) {
            for (int x = 0; x < g_picture.width; x++) {
                int sx = W - kBannerWidth + x;
                if (Covered(sx, y)) {
                    continue;
                }
                compared++;
                if (ScreenPixel(sx, y) != DibPixel(&g_picture, x, y) && bad++ == 0) {
                    Log("  banner: pixel (%d, %d) differs from the bitmap", sx, y);
                }
            }
        }
        Check(bad == 0 && compared > 0,
              "banner (bitmap %d, %d x %d) drawn at x %d (%d of %d pixels "
              "differ)",
              IDB_BANNER, g_picture.width, g_picture.height, W - kBannerWidth, bad, compared);
    } else {
        Fail("cannot read the banner bitmap %d from Vantor.exe", IDB_BANNER);
    }

    // The strip stretched left of the banner: each row keeps its colours.
    if (LoadDibPicture(g_walk.setupImage, IDB_BANNER_STRIP, &g_picture)) {
        compared = 0;
        bad = 0;
        for (int y = 0; y < kBannerHeight && y < g_picture.height; y++) {
            COLORREF colours[64];
            int n = RowColours(&g_picture, y, colours, 64);
            bad += Mismatches("strip", W - kBannerWidth - 40, y, W - kBannerWidth, y + 1, 1,
                              colours, n, &compared);
        }
        Check(bad == 0 && compared > 0,
              "banner strip stretched left of the banner (%d of %d differ)", bad, compared);
    }

    // The line under the banner band, from x 150 to the right edge.
    if (LoadDibPicture(g_walk.setupImage, IDB_BANNER_LINE, &g_picture)) {
        compared = 0;
        bad = 0;
        for (int y = 0; y < 2 && y < g_picture.height; y++) {
            COLORREF colours[16];
            int n = RowColours(&g_picture, y, colours, 16);
            bad += Mismatches("line", kPanelWidth, kBannerHeight + y, W, kBannerHeight + y + 1, 7,
                              colours, n, &compared);
        }
        Check(bad == 0 && compared > 0,
              "line bitmap stretched at y 58..59 from x 150 (%d of %d differ)", bad, compared);
    }

    // The picture at (16, H - 180), its key colour around the corner
    // replaced by the panel colour.
    if (LoadDibPicture(g_walk.setupImage, IDB_START_MENU, &g_picture)) {
        compared = 0;
        bad = 0;
        for (int y = 0; y < g_picture.height; y++) {
            for (int x = 0; x < g_picture.width; x++) {
                int sx = 16 + x;
                int sy = H - 180 + y;
                if (Covered(sx, sy)) {
                    continue;
                }
                compared++;
                COLORREF want = DibPixel(&g_picture, x, y);
                COLORREF got = ScreenPixel(sx, sy);
                bool ok =
                    want == kPictureKey ? (got == kPanelColour || got == kPictureKey) : got == want;
                if (!ok && bad++ == 0) {
                    Log("  picture: pixel (%d, %d) differs from the bitmap", sx, sy);
                }
            }
        }
        bool corner =
            DibPixel(&g_picture, 1, 1) != kPictureKey || ScreenPixel(17, H - 179) == kPanelColour;
        Check(bad == 0 && corner && compared > 0,
              "start menu picture at (16, %d), key colour around the corner filled with the "
              "panel colour (%d of %d differ)",
              H - 180, bad, compared);
    }

    Check(CountColour(8, 95, kPanelWidth, 118, kLabelColour) > 0,
          "label \"Vantor:\" in RGB(175, 175, 255) at (10, 100)");
    Check(CountColour(0, 0, W - kBannerWidth, kBannerHeight, kTitleColour) > 0,
          "title's top layer in RGB(128, 160, 255) in the banner band");
    Check(CountColour(W / 3, H - 120, W, H, kSubtitleColour) > 0,
          "subtitle's top layer in RGB(0, 0, 255) at the bottom right");

    DWORD seen = 0;
    char shown[256] = "";
    for (int k = 0; k < kStepCount; k++) {
        int top = kStepTop + k * kStepPitch;
        int current = CountColour(10, top, kPanelWidth, top + 16, kCurrentStepColour);
        int other = CountColour(10, top, kPanelWidth, top + 16, kOtherStepColour);
        if (current > 0) {
            seen |= 1u << k;
            strncat(shown, kStepNames[k], sizeof shown - strlen(shown) - 1);
        }
        if (current == 0 && other == 0) {
            Fail("no caption drawn for step \"%s\" at y %d", kStepNames[k], top);
        }
        if (current > 0 && other > 0) {
            Fail("step \"%s\" drawn in both step colours", kStepNames[k]);
        }
    }
    Check(seen == expectedStep, "step list highlights only \"%s\" (shows: \"%s\", mask %lu)",
          expectedStep ? kStepNames[__builtin_ctz(expectedStep)] : "(none)", shown,
          (unsigned long)seen);
    return seen;
}

void ShotAndStep(const char* name, DWORD step)
{
    Sleep(80);  // a page just shown finishes painting its controls
    if (Shot(name)) {
        CheckBackdropPixels(step);
    }
}

// --- Steps of a walk ---------------------------------------------------------

HWND WelcomePage()
{
    g_walk.width = GetSystemMetrics(SM_CXSCREEN);
    g_walk.height = GetSystemMetrics(SM_CYSCREEN);
    Log("screen %d x %d", g_walk.width, g_walk.height);
    if (!StartSetup()) {
        return NULL;
    }
    HWND page = WaitWindow("InstallDlg", "Vantor", NULL, kWaitLimit);
    if (page == NULL) {
        return NULL;
    }
    PageShown();
    RECT r = OuterRect(page);
    int x = (g_walk.width - (r.right - r.left)) / 2;
    int y = (g_walk.height - (r.bottom - r.top)) / 2;
    Check(r.left == x && r.top == y,
          "welcome page centred on the screen: at (%ld, %ld), expected (%d, %d)", r.left, r.top, x,
          y);
    char text[kItemSize];
    ItemText(page, IDC_PAGE_TEXT, text, sizeof text);
    Check(strcmp(text, WELCOME_TEXT) == 0, "welcome text names the product: \"%s\"", text);
    ItemText(page, IDC_WELCOME_HEADING, text, sizeof text);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char year[8];
    snprintf(year, sizeof year, "%u", now.wYear);
    Check(strstr(text, year) != NULL && strchr(text, '%') == NULL,
          "welcome heading carries the year %s: \"%s\"", year, Printable(text));
    Check(FindSetupWindow("InstallApp", NULL, ANY_OWNER) == NULL,
          "no backdrop behind the welcome page");
    Sleep(150);  // the buttons finish painting after the dialog appears
    Shot("welcome");
    // Only the click notification acts.
    Ask(page, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_DOUBLECLICKED),
        (LPARAM)GetDlgItem(page, IDCANCEL));
    Sleep(200);
    Check(IsWindowVisible(page), "a double-click notification from Cancel leaves the page open");
    return page;
}

HWND Backdrop()
{
    HWND backdrop = WaitWindow("InstallApp", "Vantor", NULL, kWaitLimit);
    g_walk.backdrop = backdrop;
    if (backdrop == NULL) {
        return NULL;
    }
    RECT r = OuterRect(backdrop);
    Check(r.left == 0 && r.top == 0 && r.right == g_walk.width && r.bottom == g_walk.height,
          "backdrop is screen-sized at (0, 0): (%ld, %ld) %ld x %ld", r.left, r.top,
          r.right - r.left, r.bottom - r.top);
    LONG ex = GetWindowLongA(backdrop, GWL_EXSTYLE);
    LONG style = GetWindowLongA(backdrop, GWL_STYLE);
    Check((ex & WS_EX_TOPMOST) != 0, "backdrop is topmost");
    Check((style & WS_POPUP) != 0 && (style & WS_CAPTION) == 0,
          "backdrop is a popup without caption");
    Sleep(100);  // its first paint; the start timer gives the chain 250 ms
    Shot("backdrop");
    return backdrop;
}

HWND LicencePage()
{
    HWND page = WaitPage(LICENCE_CAPTION, g_walk.backdrop);
    if (page == NULL) {
        return NULL;
    }
    PageShown();
    CheckBesidePanel(page, "licence page");
    LONG style = GetWindowLongA(page, GWL_STYLE);
    Check((style & WS_THICKFRAME) != 0 && (style & WS_SYSMENU) == 0,
          "licence page has a sizing frame and no system menu");
    Check(FocusOf(page) == GetDlgItem(page, IDOK), "the focus is on \"I Agree\"");
    static char shown[kTextSize];
    HWND text = GetDlgItem(page, IDC_LICENSE_TEXT);
    LRESULT length = Ask(text, WM_GETTEXTLENGTH, 0, 0);
    WindowText(text, shown, sizeof shown);
    const BYTE* licence = NULL;
    DWORD size = 0;
    if (Check(ReadWholeFile(LICENCE_REFERENCE, 1, &licence, &size), "read %s", LICENCE_REFERENCE)) {
        Check(length == (LRESULT)size && memcmp(shown, licence, size) == 0,
              "control 200 holds exactly the licence text (%ld characters, %lu expected)",
              (long)length, (unsigned long)size);
    }
    ShotAndStep("licence", 1);
    return page;
}

struct ListItem {
    char text[kItemSize];
    LRESULT kind;
};
ListItem g_items[kMaxListItems];

int ReadFolderList(HWND page, int* selected)
{
    HWND list = GetDlgItem(page, IDC_FOLDER_LIST);
    int count = (int)Ask(list, LB_GETCOUNT, 0, 0);
    *selected = (int)Ask(list, LB_GETCURSEL, 0, 0);
    if (count < 0) {
        return 0;
    }
    for (int i = 0; i < count && i < kMaxListItems; i++) {
        // Wine hands list texts across processes in UTF-16 whatever was
        // asked for, so ask for that and convert.
        g_items[i].text[0] = '\0';
        WCHAR wide[kItemSize];
        LRESULT length = Ask(list, LB_GETTEXTLEN, i, 0);
        DWORD_PTR answer = 0;
        if (length >= 0 && length < kItemSize &&
            SendMessageTimeoutW(list, LB_GETTEXT, i, (LPARAM)wide, SMTO_NORMAL, 5000, &answer) &&
            (LRESULT)answer == length) {
            wide[length] = 0;
            WideCharToMultiByte(CP_ACP, 0, wide, -1, g_items[i].text, kItemSize, NULL, NULL);
        }
        g_items[i].kind = Ask(list, LB_GETITEMDATA, i, 0);
    }
    return count < kMaxListItems ? count : kMaxListItems;
}

void LogFolderList(int count, int selected)
{
    for (int i = 0; i < count; i++) {
        Log("  list item %d%s kind %ld \"%s\"", i, i == selected ? " (selected)" : "",
            (long)g_items[i].kind, g_items[i].text);
    }
}

void ComputerText(char* text, int size)
{
    text[0] = '\0';
    LPITEMIDLIST pidl = NULL;
    if (SUCCEEDED(SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &pidl))) {
        SHFILEINFOA info = {};
        if (SHGetFileInfoA((LPCSTR)pidl, 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME)) {
            snprintf(text, size, "%s", info.szDisplayName);
        }
        CoTaskMemFree(pidl);
    }
}

// Every visible item has an icon in its 16 x 16 cell, indent x 8 + 1 pixels
// right of the item's left edge; the cell must not be bare background.
void CheckItemIcons(HWND page, int count, int links)
{
    HWND list = GetDlgItem(page, IDC_FOLDER_LIST);
    Ask(list, WM_NULL, 0, 0);
    Sleep(50);
    if (!CaptureScreen()) {
        return;
    }
    RECT client;
    GetClientRect(list, &client);
    COLORREF background = GetSysColor(COLOR_WINDOW);
    int bare = 0;
    int visible = 0;
    for (int i = 0; i < count; i++) {
        RECT item;
        if (Ask(list, LB_GETITEMRECT, i, (LPARAM)&item) == LB_ERR || item.top < 0 ||
            item.bottom > client.bottom) {
            continue;
        }
        MapWindowPoints(list, NULL, (POINT*)&item, 2);
        int indent = i == 0 ? 0 : i <= links ? i : links + 1;
        int x = item.left + indent * 8 + 1;
        int bottom = item.top + 16 < item.bottom ? item.top + 16 : item.bottom;
        int cell = (bottom - item.top) * 16;
        int plain = CountColour(x, item.top, x + 16, bottom, background);
        visible++;
        if (cell - plain < 8) {
            if (bare++ == 0) {
                Log("  no icon drawn for item %d \"%s\" at (%d, %ld)", i, g_items[i].text, x,
                    item.top);
            }
        }
    }
    Check(visible > 0 && bare == 0,
          "an icon is drawn before each of the %d visible items (%d without)", visible, bare);
}

// The list for a folder: the computer, the chain of the folder's
// ancestors down to itself (selected), then its subfolders.
void CheckChainList(HWND page, const char* folder, const char* const* chain, int links)
{
    int selected = -1;
    int count = ReadFolderList(page, &selected);
    LogFolderList(count, selected);
    char computer[128];
    ComputerText(computer, sizeof computer);
    bool ok = count >= 1 + links && strcmp(g_items[0].text, computer) == 0 && g_items[0].kind == 1;
    for (int k = 1; ok && k <= links; k++) {
        ok = lstrcmpiA(g_items[k].text, chain[k - 1]) == 0 && g_items[k].kind == (k == 1 ? 2 : 4);
    }
    Check(ok, "folder list starts with the computer \"%s\" and the chain of %s", computer, folder);
    Check(selected == links, "the current folder (item %d) is selected (%d)", links, selected);
    // The subfolders, as the file system lists them, sorted by the list.
    char pattern[MAX_PATH];
    JoinPath(pattern, sizeof pattern, folder, "*.*");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    int subfolders = 0;
    bool listed = true;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != '.') {
                char full[MAX_PATH];
                JoinPath(full, sizeof full, folder, found.cFileName);
                bool here = false;
                for (int i = links + 1; i < count && !here; i++) {
                    here = lstrcmpiA(g_items[i].text, full) == 0 && g_items[i].kind == 4;
                }
                if (!here) {
                    Log("  subfolder %s is not listed", full);
                    listed = false;
                }
                subfolders++;
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    Check(listed && count == 1 + links + subfolders,
          "every subfolder of %s is listed once (%d listed, %d on disk)", folder, count - 1 - links,
          subfolders);
    bool sorted = true;
    for (int i = links + 2; i < count; i++) {
        sorted = sorted && lstrcmpiA(g_items[i - 1].text, g_items[i].text) <= 0;
    }
    Check(sorted, "subfolders are sorted");
    CheckItemIcons(page, count, links);
}

HWND LocationPage()
{
    HWND page = WaitPage(LOCATION_CAPTION, g_walk.backdrop);
    if (page == NULL) {
        return NULL;
    }
    PageShown();
    CheckBesidePanel(page, "folder page");
    ShotAndStep("location", 2);
    return page;
}

void CheckDefaultLocation(HWND page, const char* proposal)
{
    char text[kItemSize];
    ItemText(page, IDC_FOLDER_EDIT, text, sizeof text);
    Check(strcmp(text, proposal) == 0, "folder page proposes \"%s\" (\"%s\")", proposal, text);
    // The chain of the proposal: its root, then each further component.
    char chain[8][MAX_PATH];
    const char* links[8];
    int n = 0;
    for (const char* p = proposal; *p && n < 8; p++) {
        if (*p == '\\' || p[1] == '\0') {
            int length = (int)(p - proposal) + 1;
            if (n > 0 && *p == '\\') {
                length--;  // listed without a trailing backslash
            }
            if (length > 0 && length < MAX_PATH) {
                memcpy(chain[n], proposal, length);
                chain[n][length] = '\0';
                links[n] = chain[n];
                n++;
            }
        }
    }
    CheckChainList(page, proposal, links, n);
}

void ExpectedTargets(const char* destination, char targets[kFileCount][MAX_PATH])
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    NormaliseFolderCase(windows);
    for (int i = 0; i < kFileCount; i++) {
        JoinPath(targets[i], MAX_PATH, kFiles[i].inWindowsFolder ? windows : destination,
                 kFiles[i].name);
    }
}

DWORD NumberIn(const char* text)
{
    DWORD v = 0;
    for (const char* p = text; *p; p++) {
        if (*p >= '0' && *p <= '9') {
            v = v * 10 + (*p - '0');
        }
    }
    return v;
}

// Client area of the percent bar on the screen.
RECT BarRect(HWND page)
{
    HWND bar = GetDlgItem(page, IDC_PERCENT_BAR);
    RECT r = {0, 0, 0, 0};
    GetClientRect(bar, &r);
    MapWindowPoints(bar, NULL, (POINT*)&r, 2);
    return r;
}

// Watches the extraction to its end: each target shown, the counters, the
// bar at its start, on its way and full.
bool ExtractionPage(bool expectSuccess)
{
    HWND page = WaitPage(EXTRACTION_CAPTION, g_walk.backdrop);
    if (page == NULL) {
        return false;
    }
    CheckBesidePanel(page, "extraction page");
    ShotAndStep("extraction-start", 4);
    RECT bar = BarRect(page);
    Check(CountColour(bar.left, bar.top, bar.right, bar.bottom, kBarFill) == 0 &&
              CountColour(bar.left, bar.top, bar.right, bar.bottom, kBarEmptyText) > 0,
          "the percent bar starts empty, its text dark blue");

    char targets[kFileCount][MAX_PATH];
    ExpectedTargets(g_walk.destination, targets);
    DWORD expectedTotal = 0;
    for (int i = 0; i < kFileCount; i++) {
        char reference[MAX_PATH];
        DWORD size = 0;
        snprintf(reference, sizeof reference, REFERENCE_FOLDER "%s", kFiles[i].name);
        if (!FileSize(reference, &size)) {
            Fail("no reference copy %s", reference);
        }
        expectedTotal += size;
    }
    char totalText[32];
    ThousandsText(expectedTotal, totalText, sizeof totalText);

    char seen[kFileCount + 4][MAX_PATH];
    int seenCount = 0;
    bool middleShot = false;
    bool endShot = false;
    char text[kItemSize];
    char total[32] = "";
    char done[32] = "";
    DWORD start = GetTickCount();
    while (IsWindow(page) && IsWindowVisible(page) && GetTickCount() - start < kLongWait) {
        if (FindAnyBox() != NULL) {
            break;  // an error box: the caller reads it
        }
        if (ItemText(page, IDC_EXTRACTING, text, sizeof text) && text[0] != '\0' &&
            (seenCount == 0 || strcmp(seen[seenCount - 1], text) != 0) &&
            seenCount < kFileCount + 4) {
            snprintf(seen[seenCount++], MAX_PATH, "%s", text);
            char number[32];
            ItemText(page, IDC_CURRENT_FILE, number, sizeof number);
            Log("extracting \"%s\" (file %s)", text, number);
        }
        ItemText(page, IDC_TOTAL_SIZE, total, sizeof total);
        ItemText(page, IDC_CURRENT_SIZE, done, sizeof done);
        DWORD t = NumberIn(total);
        DWORD d = NumberIn(done);
        if (!middleShot && t > 0 && d * 100 / t >= 45 && d < t) {
            middleShot = true;
            Shot("extraction-middle");
            Log("percent bar on its way: %s of %s bytes", done, total);
            // Filled part on the left, empty part on the right, one edge.
            int y = (bar.top + bar.bottom) / 2;
            int lastFill = -1;
            int firstEmpty = bar.right;
            for (int x = bar.left; x < bar.right; x++) {
                COLORREF c = ScreenPixel(x, y);
                if (c == kBarFill && x > lastFill) {
                    lastFill = x;
                }
                if (c == GetSysColor(COLOR_BTNFACE) && x < firstEmpty) {
                    firstEmpty = x;
                }
            }
            Check(lastFill >= bar.left && firstEmpty < bar.right && lastFill < firstEmpty,
                  "mid-way the bar is filled from the left up to x %d and empty from x %d",
                  lastFill, firstEmpty);
            bool split = CountColour(bar.left, bar.top, bar.right, bar.bottom, kWhite) > 0 &&
                         CountColour(bar.left, bar.top, bar.right, bar.bottom, kBarEmptyText) > 0;
            Log("percent text %s at the bar's edge in this capture", split ? "split" : "not split");
        }
        if (!endShot && t > 0 && d == t) {
            endShot = true;
            Sleep(100);
            ShotAndStep("extraction-end", 4);
            int empty =
                CountColour(bar.left, bar.top, bar.right, bar.bottom, GetSysColor(COLOR_BTNFACE));
            Check(empty == 0 && CountColour(bar.left, bar.top, bar.right, bar.bottom, kWhite) > 0,
                  "at the end the bar is full with its text in white");
            Check(strcmp(done, total) == 0 && strcmp(total, totalText) == 0,
                  "\"Current Size\" %s equals \"Total Size\" %s (%s expected)", done, total,
                  totalText);
            ItemText(page, IDC_TOTAL_FILES, text, sizeof text);
            Check(strcmp(text, "7") == 0, "\"Total Files\" reads 7 (\"%s\")", text);
            ItemText(page, IDC_CURRENT_FILE, text, sizeof text);
            Check(strcmp(text, "7") == 0, "\"Current File\" reads 7 (\"%s\")", text);
        }
        Sleep(kPollInterval);
    }
    if (!expectSuccess) {
        return true;
    }
    Check(endShot, "the extraction reached its total (last read %s of %s)", done, total);
    bool order = seenCount == kFileCount;
    for (int i = 0; i < seenCount && i < kFileCount; i++) {
        order = order && strcmp(seen[i], targets[i]) == 0;
        if (i >= seenCount || strcmp(seen[i], targets[i]) != 0) {
            Log("  target %d shown as \"%s\", expected \"%s\"", i + 1, seen[i], targets[i]);
        }
    }
    Check(order, "\"Extracting:\" showed the %d targets in table order (%d seen)", kFileCount,
          seenCount);
    return Check(!IsWindow(page) || !IsWindowVisible(page), "the extraction page closed by itself");
}

void ProgramsSubfolders(const char* programs, int* count)
{
    *count = 0;
    char pattern[MAX_PATH];
    JoinPath(pattern, sizeof pattern, programs, "*");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != '.' &&
            *count < kMaxListItems) {
            snprintf(g_items[*count].text, kItemSize, "%s", found.cFileName);
            (*count)++;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

HWND GroupPage()
{
    HWND page = WaitPage(GROUP_CAPTION, g_walk.backdrop);
    if (page == NULL) {
        return NULL;
    }
    PageShown();
    CheckBesidePanel(page, "group page");
    char text[kItemSize];
    ItemText(page, IDC_GROUP_LIST, text, sizeof text);
    Check(strcmp(text, PRODUCT) == 0, "group field proposes \"%s\" (\"%s\")", PRODUCT, text);
    char programs[MAX_PATH];
    SpecialFolder(CSIDL_PROGRAMS, programs);
    int folders = 0;
    ProgramsSubfolders(programs, &folders);
    HWND combo = GetDlgItem(page, IDC_GROUP_LIST);
    int count = (int)Ask(combo, CB_GETCOUNT, 0, 0);
    bool listed = count == folders;
    for (int i = 0; i < folders; i++) {
        listed = listed && Ask(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)g_items[i].text) >= 0;
    }
    Check(listed, "group list holds the %d folders under %s (%d items)", folders, programs, count);
    LRESULT selected = Ask(combo, CB_GETCURSEL, 0, 0);
    Log("group list selection: %ld", (long)selected);
    ShotAndStep("group", 8);
    return page;
}

bool ShortcutDialog(HWND groupPage)
{
    HWND dialog = WaitPage(SHORTCUTS_CAPTION, groupPage);
    if (dialog == NULL) {
        return false;
    }
    CheckBesidePanel(dialog, "shortcut dialog");
    Check(!IsWindowEnabled(GetDlgItem(groupPage, IDC_GROUP_CONTINUE)),
          "the group page's Continue is disabled while the shortcuts are made");
    HWND progress = GetDlgItem(dialog, IDC_SHORTCUT_PROGRESS);
    LRESULT high = 0;
    char captions[kShortcutCount + 4][64];
    int count = 0;
    LRESULT position = 0;
    DWORD start = GetTickCount();
    while (IsWindow(dialog) && IsWindowVisible(dialog) && GetTickCount() - start < kLongWait) {
        char text[64];
        if (ItemText(dialog, IDC_SHORTCUT_CAPTION, text, sizeof text) && text[0] != '\0' &&
            (count == 0 || strcmp(captions[count - 1], text) != 0) && count < kShortcutCount + 4) {
            snprintf(captions[count++], 64, "%s", text);
            Log("creating shortcut \"%s\"", text);
            if (count == 3) {
                ShotAndStep("shortcuts", 16);  // the work half done
            }
        }
        // The range is set when the work starts, after the dialog's timer.
        DWORD_PTR answer = 0;
        // The bar only moves up; a read while the dialog is being torn
        // down answers 0, so keep the highest one.
        if (count > 0 &&
            SendMessageTimeoutA(progress, PBM_GETPOS, 0, 0, SMTO_NORMAL, 1000, &answer) &&
            (LRESULT)answer > position) {
            position = (LRESULT)answer;
        }
        if (count > 0 &&
            SendMessageTimeoutA(progress, PBM_GETRANGE, FALSE, 0, SMTO_NORMAL, 1000, &answer) &&
            (LRESULT)answer > high) {
            high = (LRESULT)answer;
        }
        Sleep(kPollInterval);
    }
    bool order = count == kShortcutCount;
    for (int i = 0; order && i < kShortcutCount; i++) {
        order = strcmp(captions[i], kFiles[i].caption) == 0;
    }
    Check(order, "the dialog named the %d shortcuts in table order (%d names seen)", kShortcutCount,
          count);
    Check(position == kShortcutCount && high == kShortcutCount,
          "the progress bar ended at %d of %d (range up to %d)", (int)position, kShortcutCount,
          (int)high);
    return true;
}

HWND FindNotepad(DWORD pid)
{
    HWND w = NULL;
    while ((w = FindWindowExA(NULL, w, "Notepad", NULL)) != NULL) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) {
            return w;
        }
    }
    return NULL;
}

void ReadMeInNotepad()
{
    DWORD start = GetTickCount();
    DWORD pid = 0;
    HWND notepad = NULL;
    char exe[MAX_PATH] = "";
    while (GetTickCount() - start < kWaitLimit && notepad == NULL) {
        pid = FindChildProcess(SetupProcessId(), exe, sizeof exe);
        notepad = pid ? FindNotepad(pid) : NULL;
        Sleep(kPollInterval);
    }
    if (!Check(notepad != NULL, "Notepad opened as the setup's child (%s, process %lu)", exe,
               (unsigned long)pid)) {
        return;
    }
    Check(lstrcmpiA(exe, "notepad.exe") == 0, "the child process is notepad.exe (%s)", exe);
    // Notepad names the file once it has read it.
    char caption[256] = "";
    for (start = GetTickCount(); GetTickCount() - start < kWaitLimit; Sleep(kPollInterval)) {
        GetWindowTextA(notepad, caption, sizeof caption);
        if (strstr(caption, "Read Me.txt") != NULL) {
            break;
        }
    }
    Check(strstr(caption, "Read Me.txt") != NULL, "Notepad shows Read Me.txt (\"%s\")", caption);
    static char shown[kTextSize];
    WindowText(FindWindowExA(notepad, NULL, "Edit", NULL), shown, sizeof shown);
    const BYTE* readMe = NULL;
    DWORD size = 0;
    char installed[MAX_PATH];
    JoinPath(installed, sizeof installed, g_walk.destination, kFiles[kReadMe].name);
    if (ReadWholeFile(installed, 1, &readMe, &size)) {
        Check(strlen(shown) == size && memcmp(shown, readMe, size) == 0,
              "Notepad holds the installed read-me (%u characters, %lu expected)",
              (unsigned)strlen(shown), (unsigned long)size);
    }
    Sleep(300);
    Shot("notepad");
    Check(IsIconic(g_walk.backdrop), "the backdrop is minimised while Notepad runs");
    Sleep(500);
    Check(IsIconic(g_walk.backdrop), "the backdrop is still minimised half a second later");
    Log("close Notepad");
    PostMessageA(notepad, WM_CLOSE, 0, 0);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process != NULL) {
        Check(WaitForSingleObject(process, kWaitLimit) == WAIT_OBJECT_0, "Notepad ended");
        CloseHandle(process);
    }
}

// Success question, read-me, farewell.
bool FinishSteps(bool viewReadMe)
{
    Box box;
    if (!WaitBox(g_walk.backdrop, &box)) {
        return false;
    }
    PageShown();
    CheckBox(&box, QUESTION_TEXT, "question");
    Check(GetDlgItem(box.window, IDYES) && GetDlgItem(box.window, IDNO),
          "the question offers Yes and No");
    ShotAndStep("readme-question", 32);
    Acting();
    AnswerBox(&box, viewReadMe ? IDYES : IDNO);
    if (viewReadMe) {
        ReadMeInNotepad();
    }
    if (!WaitBox(g_walk.backdrop, &box)) {
        return false;
    }
    g_walk.farewellTick = GetTickCount();
    PageShown();
    CheckBox(&box, FAREWELL, "information");
    Check(!IsIconic(g_walk.backdrop) && IsWindowVisible(g_walk.backdrop),
          "the backdrop is shown again for the farewell");
    if (!viewReadMe) {
        char exe[MAX_PATH];
        Check(FindChildProcess(SetupProcessId(), exe, sizeof exe) == 0,
              "answering No started no process (%s)", exe[0] ? exe : "none");
    }
    ShotAndStep("farewell", 64);
    Acting();
    AnswerBox(&box, IDOK);
    if (!ExpectSetupExit(kWaitLimit)) {
        return false;
    }
    return Check(!IsWindow(g_walk.backdrop), "the backdrop is gone");
}

// The fixed pauses from the welcome page's Continue to the farewell; the bar
// pauses follow from the file sizes: one report per 1024-byte block and one
// for each file's last partial block, a 10 ms pause whenever the
// half-percent value changes.
void PrintTiming()
{
    DWORD sizes[kFileCount];
    DWORD total = 0;
    for (int i = 0; i < kFileCount; i++) {
        char reference[MAX_PATH];
        snprintf(reference, sizeof reference, REFERENCE_FOLDER "%s", kFiles[i].name);
        sizes[i] = 0;
        FileSize(reference, &sizes[i]);
        total += sizes[i];
    }
    int changes = 0;
    DWORD done = 0;
    DWORD bar = 0;
    for (int i = 0; i < kFileCount; i++) {
        for (DWORD left = sizes[i]; left > 0;) {
            DWORD n = left < 1024 ? left : 1024;
            left -= n;
            done += n;
            DWORD v = total ? (DWORD)((unsigned long long)done * 200 / total) : 0;
            if (v != bar) {
                bar = v;
                changes++;
            }
        }
    }
    const DWORD fixed =
        250 + 250 + kFileCount * 500 + 1000 + 250 + kShortcutCount * 200 + 500 + 500;
    DWORD prescribed = fixed + changes * 10;
    DWORD measured = g_walk.farewellTick - g_walk.continueTick;
    Log("timing: welcome Continue to farewell %lu ms, of which the driver sat %lu ms on pages "
        "before acting; the setup's own %lu ms against %lu ms of prescribed pauses (start timer "
        "250 + extraction timer 250 + %d x 500 per file + %d bar repaints x 10 + 1000 after "
        "extraction + shortcut timer 250 + %d x 200 + 500 SendTo + 500 before the group page "
        "closes)",
        (unsigned long)measured, (unsigned long)g_walk.driverTime,
        (unsigned long)(measured - g_walk.driverTime), (unsigned long)prescribed, kFileCount,
        changes, kShortcutCount);
}

void CheckNothingRecorded()
{
    Check(!RegKeyExists(VENDOR_KEY), "no vendor key HKLM\\%s", VENDOR_KEY);
    Check(!RegKeyExists(UNINSTALL_KEY), "no uninstall entry HKLM\\%s", UNINSTALL_KEY);
}

void CheckNoShortcuts(const char* group)
{
    char programs[MAX_PATH];
    char folder[MAX_PATH];
    char sendTo[MAX_PATH];
    char link[MAX_PATH];
    SpecialFolder(CSIDL_PROGRAMS, programs);
    JoinPath(folder, sizeof folder, programs, group);
    Check(!PathExists(folder), "no program group folder %s", folder);
    SpecialFolder(CSIDL_SENDTO, sendTo);
    JoinPath(link, sizeof link, sendTo, "Quorvel.lnk");
    Check(!PathExists(link), "no SendTo link %s", link);
}

// Files, their times, links and registry records of a finished install.
void CheckInstalled()
{
    char targets[kFileCount][MAX_PATH];
    ExpectedTargets(g_walk.destination, targets);
    FILETIME stamp;
    ExpectedFileTime(&stamp);
    for (int i = 0; i < kFileCount; i++) {
        CheckFileTimes(targets[i], &stamp);  // before reading moves the access time
    }
    for (int i = 0; i < kFileCount; i++) {
        char reference[MAX_PATH];
        snprintf(reference, sizeof reference, REFERENCE_FOLDER "%s", kFiles[i].name);
        CheckSameFile(targets[i], reference);
    }

    char windows[MAX_PATH];
    char programs[MAX_PATH];
    char sendTo[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    NormaliseFolderCase(windows);
    SpecialFolder(CSIDL_PROGRAMS, programs);
    SpecialFolder(CSIDL_SENDTO, sendTo);
    char groupFolder[MAX_PATH];
    JoinPath(groupFolder, sizeof groupFolder, programs, g_walk.group);
    int links = 0;
    for (int i = 0; i < kShortcutCount; i++) {
        char name[64];
        char link[MAX_PATH];
        snprintf(name, sizeof name, "%s.lnk", kFiles[i].caption);
        JoinPath(link, sizeof link, groupFolder, name);
        const char* folder = kFiles[i].linkToDestination ? g_walk.destination : windows;
        char target[MAX_PATH];
        JoinPath(target, sizeof target, folder, kFiles[i].name);
        CheckLink(link, target, folder, kFiles[i].caption);
    }
    char pattern[MAX_PATH];
    JoinPath(pattern, sizeof pattern, groupFolder, "*.lnk");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            links++;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    Check(links == kShortcutCount, "the group folder holds %d links (%d)", kShortcutCount, links);
    char link[MAX_PATH];
    char target[MAX_PATH];
    JoinPath(link, sizeof link, sendTo, "Quorvel.lnk");
    JoinPath(target, sizeof target, g_walk.destination, kFiles[kMainProgram].name);
    CheckLink(link, target, g_walk.destination, kFiles[kMainProgram].caption);
    JoinPath(link, sizeof link, sendTo, "Update.lnk");
    Check(!PathExists(link), "the stale %s is gone", link);

    char uninstall[MAX_PATH];
    JoinPath(uninstall, sizeof uninstall, windows, kFiles[0].name);
    CheckRegString(VENDOR_KEY, PRODUCT, g_walk.destination);
    CheckRegString(VERSION_KEY, "Program Version", "3.02");
    CheckRegString(UNINSTALL_KEY, "DisplayName", PRODUCT);
    CheckRegString(UNINSTALL_KEY, "DisplayVersion", "v3.02");
    CheckRegString(UNINSTALL_KEY, "UninstallString", uninstall);
    CheckRegString(UNINSTALL_KEY, "Program Path", g_walk.destination);
    CheckRegString(UNINSTALL_KEY, "Program Group", g_walk.group);
    CheckRegString(UNINSTALL_KEY, "Publisher", "Brindlemoor");
    CheckRegString(UNINSTALL_KEY, "HelpLink", HELP_LINK);
}

// The folder the setup completes a typed path to.
void CompletedFolder(const char* typed, char* out, size_t size)
{
    size_t n = strlen(PRODUCT);
    for (const char* p = typed; *p; p++) {
        if (strlen(p) >= n && _strnicmp(p, PRODUCT, n) == 0) {
            snprintf(out, size, "%s", typed);
            return;
        }
    }
    JoinPath(out, size, typed, PRODUCT);
}

// A leftover updater link that the finish must remove.
void PlantStaleUpdaterLink()
{
    char sendTo[MAX_PATH];
    char link[MAX_PATH];
    SpecialFolder(CSIDL_SENDTO, sendTo);
    JoinPath(link, sizeof link, sendTo, "Update.lnk");
    WriteTextFile(link, "stale");
}

// Welcome to the farewell, as the walk says.
bool WalkThrough(const Walk* walk)
{
    snprintf(g_walk.destination, sizeof g_walk.destination, "%s", DEFAULT_FOLDER);
    snprintf(g_walk.group, sizeof g_walk.group, "%s", walk->group ? walk->group : PRODUCT);
    HWND page = WelcomePage();
    if (page == NULL) {
        return false;
    }
    Acting();
    g_walk.driverTime = 0;  // the timing starts at Continue
    g_walk.continueTick = GetTickCount();
    Click(page, IDOK);
    if (Backdrop() == NULL || (page = LicencePage()) == NULL) {
        return false;
    }
    Acting();
    Click(page, IDOK);
    if ((page = LocationPage()) == NULL) {
        return false;
    }
    char proposal[kItemSize];
    ItemText(page, IDC_FOLDER_EDIT, proposal, sizeof proposal);
    if (walk->folder != NULL) {
        CompletedFolder(walk->folder, g_walk.destination, sizeof g_walk.destination);
        SetItemText(page, IDC_FOLDER_EDIT, walk->folder);
    } else {
        snprintf(g_walk.destination, sizeof g_walk.destination, "%s", proposal);
    }
    Acting();
    Click(page, IDOK);
    if (!ExtractionPage(true) || (page = GroupPage()) == NULL) {
        return false;
    }
    if (walk->group != NULL) {
        SetItemText(page, IDC_GROUP_LIST, walk->group);
    }
    Acting();
    Click(page, IDC_GROUP_CONTINUE);
    if (!ShortcutDialog(page)) {
        return false;
    }
    Check(WaitGone(page, kWaitLimit), "the group page closed after the shortcuts");
    bool finished = FinishSteps(walk->viewReadMe);
    if (finished && walk->timed) {
        PrintTiming();
    }
    return finished;
}

// Waits for the end while watching that no further window shows up.
void ExpectQuietEnd(HWND known)
{
    DWORD start = GetTickCount();
    bool quiet = true;
    while (SetupRunning() && GetTickCount() - start < kWaitLimit) {
        HWND box = FindAnyBox();
        HWND backdrop = known == NULL ? FindSetupWindow("InstallApp", NULL, ANY_OWNER) : NULL;
        if ((box != NULL && box != known) || backdrop != NULL) {
            char caption[128] = "";
            GetWindowTextA(box ? box : backdrop, caption, sizeof caption);
            Fail("a window \"%s\" appeared on the way out", caption);
            quiet = false;
            break;
        }
        Sleep(kPollInterval / 2);
    }
    ExpectSetupExit(kWaitLimit);
    Check(quiet, "the setup ended without showing anything more");
}

// Any page whose cancel shows the abort notice.
void ExpectAbortNotice(HWND page)
{
    Box box;
    if (WaitBox(page, &box)) {
        CheckBox(&box, ABORT_TEXT, "warning");
        Shot("abort-notice");
        AnswerBox(&box, IDOK);
    }
    ExpectSetupExit(kWaitLimit);
}

// Refused input on the folder page: the warning, and the page stays.
void ExpectRefusal(HWND page, const char* typed, const char* message)
{
    SetItemText(page, IDC_FOLDER_EDIT, typed);
    Click(page, IDOK);
    Box box;
    if (!WaitBox(page, &box)) {
        return;
    }
    char text[512];
    snprintf(text, sizeof text, PATH_INVALID "%s", message);
    CheckBox(&box, text, "warning");
    AnswerBox(&box, IDOK);
    Sleep(100);
    Check(IsWindowVisible(page), "the folder page stays open");
    Check(FocusOf(page) == GetDlgItem(page, IDC_FOLDER_EDIT),
          "the focus is back in the folder field");
}

// --- Scenarios ---------------------------------------------------------------

int WelcomeCancel()
{
    DeleteRegKey(SHELL_UNLOAD_KEY);
    Check(!RegKeyExists(SHELL_UNLOAD_KEY), "no AlwaysUnloadDll key before the start");
    HWND page = WelcomePage();
    if (page == NULL) {
        return Finish();
    }
    Click(page, IDCANCEL);
    ExpectQuietEnd(NULL);
    CheckRegString(SHELL_UNLOAD_KEY, NULL, "1");
    return Finish();
}

HWND ToLicence()
{
    HWND page = WelcomePage();
    if (page == NULL) {
        return NULL;
    }
    Click(page, IDOK);
    if (Backdrop() == NULL) {
        return NULL;
    }
    return LicencePage();
}

int WelcomeEscape()
{
    HWND page = WelcomePage();
    if (page != NULL) {
        PressKey(page, VK_ESCAPE);
        ExpectQuietEnd(NULL);
    }
    return Finish();
}

int LicenceDisagree()
{
    HWND page = ToLicence();
    if (page != NULL) {
        // Notifications of the text control never end the page.
        HWND text = GetDlgItem(page, IDC_LICENSE_TEXT);
        Ask(page, WM_COMMAND, MAKEWPARAM(IDC_LICENSE_TEXT, EN_CHANGE), (LPARAM)text);
        Sleep(200);
        Check(IsWindowVisible(page), "a notification from the text control leaves the page open");
        Click(page, IDCANCEL);
        ExpectQuietEnd(page);
        CheckNothingRecorded();
        Check(!PathExists(DEFAULT_FOLDER), "nothing installed in %s", DEFAULT_FOLDER);
    }
    return Finish();
}

int LicenceEscape()
{
    HWND page = ToLicence();
    if (page != NULL) {
        PressKey(page, VK_ESCAPE);
        ExpectQuietEnd(page);
        CheckNothingRecorded();
    }
    return Finish();
}

bool SameRect(RECT a, RECT b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void LogRect(const char* what, RECT r)
{
    Log("  %s at (%ld, %ld) %ld x %ld", what, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int LicenceResize()
{
    HWND page = ToLicence();
    if (page == NULL) {
        return Finish();
    }
    RECT frame = OuterRect(page);
    RECT text = ItemRect(page, IDC_LICENSE_TEXT);
    RECT agree = ItemRect(page, IDOK);
    RECT disagree = ItemRect(page, IDCANCEL);
    LogRect("text", text);
    LogRect("I Agree", agree);
    LogRect("I Disagree", disagree);
    int w = frame.right - frame.left;
    int h = frame.bottom - frame.top;

    Log("enlarge the page by 40 x 30");
    SetWindowPos(page, NULL, 0, 0, w + 40, h + 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Ask(page, WM_NULL, 0, 0);
    RECT bigText = ItemRect(page, IDC_LICENSE_TEXT);
    RECT bigAgree = ItemRect(page, IDOK);
    RECT bigDisagree = ItemRect(page, IDCANCEL);
    LogRect("text", bigText);
    LogRect("I Agree", bigAgree);
    LogRect("I Disagree", bigDisagree);
    RECT want = text;
    want.right += 40;
    want.bottom += 30;
    Check(SameRect(bigText, want), "the text control grew by 40 x 30 at the same place");
    want = agree;
    OffsetRect(&want, 40, 30);
    Check(SameRect(bigAgree, want), "\"I Agree\" moved by (40, 30)");
    want = disagree;
    OffsetRect(&want, 40, 30);
    Check(SameRect(bigDisagree, want), "\"I Disagree\" moved by (40, 30)");
    Shot("licence-enlarged");

    Log("shrink it back");
    SetWindowPos(page, NULL, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Ask(page, WM_NULL, 0, 0);
    Check(SameRect(ItemRect(page, IDC_LICENSE_TEXT), text) &&
              SameRect(ItemRect(page, IDOK), agree) && SameRect(ItemRect(page, IDCANCEL), disagree),
          "shrinking restores the layout");
    Click(page, IDCANCEL);
    ExpectQuietEnd(page);
    return Finish();
}

HWND ToLocation()
{
    HWND page = ToLicence();
    if (page == NULL) {
        return NULL;
    }
    Click(page, IDOK);
    return LocationPage();
}

int FolderCancel()
{
    HWND page = ToLocation();
    if (page != NULL) {
        CheckDefaultLocation(page, DEFAULT_FOLDER);
        Click(page, IDCANCEL);
        ExpectAbortNotice(page);
        CheckNothingRecorded();
        Check(!PathExists(DEFAULT_FOLDER), "nothing installed in %s", DEFAULT_FOLDER);
    }
    return Finish();
}

int FolderBrowse()
{
    HWND page = ToLocation();
    if (page == NULL) {
        return Finish();
    }
    CheckDefaultLocation(page, DEFAULT_FOLDER);
    char computer[128];
    ComputerText(computer, sizeof computer);

    // The computer: drive mode, only fixed drives, sorted.
    DoubleClickListItem(page, IDC_FOLDER_LIST, 0);
    if (WaitItemText(page, IDC_FOLDER_EDIT, computer, kWaitLimit)) {
        int selected = -1;
        int count = ReadFolderList(page, &selected);
        LogFolderList(count, selected);
        char drives[128];
        DWORD n = GetLogicalDriveStringsA(sizeof drives, drives);
        int fixed = 0;
        bool listed = n > 0 && n < sizeof drives;
        for (const char* d = drives; listed && *d; d += strlen(d) + 1) {
            if (GetDriveTypeA(d) != DRIVE_FIXED) {
                continue;
            }
            fixed++;
            char upper[8];
            snprintf(upper, sizeof upper, "%s", d);
            CharUpperA(upper);
            bool here = false;
            for (int i = 1; i < count && !here; i++) {
                here = strcmp(g_items[i].text, upper) == 0 && g_items[i].kind == 2;
            }
            listed = here;
        }
        bool sorted = true;
        for (int i = 2; i < count; i++) {
            sorted = sorted && lstrcmpiA(g_items[i - 1].text, g_items[i].text) < 0;
        }
        Check(listed && sorted && count == 1 + fixed && g_items[0].kind == 1 && selected == 0,
              "drive mode lists the computer (selected) and the %d fixed drives, sorted", fixed);
        Shot("drive-mode");
        Click(page, IDOK);
        Box box;
        if (WaitBox(page, &box)) {
            CheckBox(&box, PATH_INVALID "Missing : or \\ in drive.", "warning");
            AnswerBox(&box, IDOK);
        }
    }

    // A drive, a subfolder, back to the ancestor.
    int selected = -1;
    int count = ReadFolderList(page, &selected);
    int drive = -1;
    for (int i = 0; i < count; i++) {
        if (strcmp(g_items[i].text, "C:\\") == 0) {
            drive = i;
        }
    }
    if (Check(drive > 0, "C:\\ is listed in drive mode")) {
        DoubleClickListItem(page, IDC_FOLDER_LIST, drive);
        if (WaitItemText(page, IDC_FOLDER_EDIT, "C:\\", kWaitLimit)) {
            const char* chain[] = {"C:\\"};
            CheckChainList(page, "C:\\", chain, 1);
            Shot("drive-c");
        }
    }
    count = ReadFolderList(page, &selected);
    int windows = -1;
    for (int i = 0; i < count; i++) {
        if (lstrcmpiA(g_items[i].text, "C:\\windows") == 0) {
            windows = i;
        }
    }
    if (Check(windows > 1, "C:\\windows is listed under C:\\")) {
        char folder[kItemSize];
        snprintf(folder, sizeof folder, "%s", g_items[windows].text);
        DoubleClickListItem(page, IDC_FOLDER_LIST, windows);
        if (WaitItemText(page, IDC_FOLDER_EDIT, folder, kWaitLimit)) {
            const char* chain[] = {"C:\\", folder};
            CheckChainList(page, folder, chain, 2);
            Shot("subfolder");
        }
        DoubleClickListItem(page, IDC_FOLDER_LIST, 1);
        if (WaitItemText(page, IDC_FOLDER_EDIT, "C:\\", kWaitLimit)) {
            const char* chain[] = {"C:\\"};
            CheckChainList(page, "C:\\", chain, 1);
        }
        // The current folder again: nothing changes.
        int before = ReadFolderList(page, &selected);
        DoubleClickListItem(page, IDC_FOLDER_LIST, 1);
        Ask(page, WM_NULL, 0, 0);
        Sleep(200);
        char text[kItemSize];
        ItemText(page, IDC_FOLDER_EDIT, text, sizeof text);
        int after = ReadFolderList(page, &selected);
        Check(strcmp(text, "C:\\") == 0 && after == before && selected == 1,
              "double-clicking the current folder changes nothing");
    }

    Click(page, IDC_RESET_FOLDER);
    if (WaitItemText(page, IDC_FOLDER_EDIT, DEFAULT_FOLDER, kWaitLimit)) {
        CheckDefaultLocation(page, DEFAULT_FOLDER);
        Shot("reset-folder");
    }
    Click(page, IDCANCEL);
    ExpectAbortNotice(page);
    CheckNothingRecorded();
    return Finish();
}

int FolderBadInput()
{
    HWND page = ToLocation();
    if (page == NULL) {
        return Finish();
    }
    ExpectRefusal(page, "", "Path may not be empty!");
    ExpectRefusal(page, "C:", "Missing : or \\ in drive.");
    ExpectRefusal(page, "C:\\", "Path may not be a root drive...");
    char longPath[260];
    strcpy(longPath, "C:\\");
    memset(longPath + 3, 'a', 256);
    longPath[259] = '\0';
    ExpectRefusal(page, longPath, "Path is too long.");
    Shot("folder-refused");

    // A trailing backslash still gets the product name appended; the
    // extraction shows where the files go.
    snprintf(g_walk.destination, sizeof g_walk.destination, "C:\\Apps\\Quorvel");
    SetItemText(page, IDC_FOLDER_EDIT, "C:\\Apps\\");
    Click(page, IDOK);
    if (ExtractionPage(true)) {
        HWND group = GroupPage();
        if (group != NULL) {
            // The group page has no Cancel button; Escape is its cancel.
            PressKey(group, VK_ESCAPE);
            ExpectAbortNotice(group);
            CheckNothingRecorded();
            CheckNoShortcuts(PRODUCT);
            char installed[MAX_PATH];
            JoinPath(installed, sizeof installed, g_walk.destination, kFiles[kMainProgram].name);
            Check(PathExists(installed), "the files stay installed in %s", g_walk.destination);
        }
    }
    return Finish();
}

HWND ToGroup()
{
    HWND page = ToLocation();
    if (page == NULL) {
        return NULL;
    }
    snprintf(g_walk.destination, sizeof g_walk.destination, "%s", DEFAULT_FOLDER);
    Click(page, IDOK);
    if (!ExtractionPage(true)) {
        return NULL;
    }
    return GroupPage();
}

void ExpectGroupRefusal(HWND page, const char* typed, const char* message)
{
    SetItemText(page, IDC_GROUP_LIST, typed);
    Click(page, IDC_GROUP_CONTINUE);
    Box box;
    if (!WaitBox(page, &box)) {
        return;
    }
    if (message != NULL) {
        CheckBox(&box, message, "warning");
    } else {
        Check(strcmp(box.caption, "Vantor") == 0 && strcmp(box.icon, "warning") == 0 &&
                  box.text[0] != '\0',
              "\"%s\" is refused with a warning box captioned \"Vantor\"", typed);
    }
    Shot("group-refused");
    AnswerBox(&box, IDOK);
    Sleep(100);
    Check(IsWindowVisible(page) && IsWindowEnabled(GetDlgItem(page, IDC_GROUP_CONTINUE)),
          "the group page stays open and ready");
}

int GroupInput()
{
    HWND page = ToGroup();
    if (page == NULL) {
        return Finish();
    }
    ExpectGroupRefusal(page, "", "Group may not be empty!");
    const char* invalid[] = {"a/b", "x:y", "..", "what?"};
    for (size_t i = 0; i < sizeof invalid / sizeof invalid[0]; i++) {
        ExpectGroupRefusal(page, invalid[i], NULL);
    }
    // Typing stops at 40 characters.
    SetItemText(page, IDC_GROUP_LIST, "");
    HWND combo = GetDlgItem(page, IDC_GROUP_LIST);
    HWND edit = FindWindowExA(combo, NULL, "Edit", NULL);
    Log("type 45 characters into the group field");
    for (int i = 0; i < 45; i++) {
        PostMessageA(edit, WM_CHAR, 'g', 1);
    }
    Ask(edit, WM_NULL, 0, 0);
    Sleep(200);
    char text[kItemSize];
    ItemText(page, IDC_GROUP_LIST, text, sizeof text);
    Check(strlen(text) == 40, "the group field took 40 of 45 typed characters (%u)",
          (unsigned)strlen(text));
    Click(page, IDC_RESET_GROUP);
    if (WaitItemText(page, IDC_GROUP_LIST, PRODUCT, kWaitLimit)) {
        Log("Reset Group brought back \"%s\"", PRODUCT);
    }
    PressKey(page, VK_ESCAPE);
    ExpectAbortNotice(page);
    CheckNothingRecorded();
    CheckNoShortcuts(PRODUCT);
    CheckNoShortcuts("a");
    return Finish();
}

int UnwritableFolder()
{
    // A file where the destination's folder should be.
    Check(WriteTextFile("C:\\Blocked", "in the way"), "made the file C:\\Blocked");
    HWND page = ToLocation();
    if (page == NULL) {
        return Finish();
    }
    snprintf(g_walk.destination, sizeof g_walk.destination, "C:\\Blocked\\Quorvel");
    SetItemText(page, IDC_FOLDER_EDIT, "C:\\Blocked");
    Click(page, IDOK);
    if (ExtractionPage(false)) {
        HWND extraction = FindSetupWindow("#32770", EXTRACTION_CAPTION, g_walk.backdrop);
        Box box;
        if (WaitBox(extraction, &box)) {
            CheckBox(&box, EXTRACT_FAILED, "error");
            Shot("extraction-failed");
            AnswerBox(&box, IDOK);
            ExpectAbortNotice(extraction);
        }
    }
    CheckNothingRecorded();
    CheckNoShortcuts(PRODUCT);
    Check(!IsFolder("C:\\Blocked"), "C:\\Blocked is still a file");
    char windows[MAX_PATH];
    char uninstaller[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    JoinPath(uninstaller, sizeof uninstaller, windows, kFiles[0].name);
    Log("the uninstaller, written before the failure, %s",
        PathExists(uninstaller) ? "stays" : "is absent");
    return Finish();
}

int CompleteInstall()
{
    PlantStaleUpdaterLink();
    Walk walk = {NULL, NULL, false, true};
    if (WalkThrough(&walk)) {
        CheckInstalled();
    }
    return Finish();
}

int ReadMeYes()
{
    Walk walk = {NULL, NULL, true, false};
    WalkThrough(&walk);
    return Finish();
}

int ReadMeNo()
{
    Walk walk = {NULL, "My Tools", false, false};
    if (WalkThrough(&walk)) {
        CheckInstalled();
    }
    return Finish();
}

int Reinstall()
{
    // The typed folder names the product in another case: kept unchanged.
    Walk first = {"c:\\quorvel stuff", NULL, false, false};
    if (!WalkThrough(&first)) {
        return Finish();
    }
    Check(strcmp(g_walk.destination, "c:\\quorvel stuff") == 0, "installed into %s",
          g_walk.destination);
    static const char* const kept[] = {"licence.KEY", "state.dat", "user.Prd", "notes.pra"};
    for (size_t i = 0; i < sizeof kept / sizeof kept[0]; i++) {
        char path[MAX_PATH];
        JoinPath(path, sizeof path, g_walk.destination, kept[i]);
        WriteTextFile(path, kept[i]);
    }
    char scratch[MAX_PATH];
    char program[MAX_PATH];
    JoinPath(scratch, sizeof scratch, g_walk.destination, "scratch.txt");
    JoinPath(program, sizeof program, g_walk.destination, kFiles[kMainProgram].name);
    WriteTextFile(scratch, "goes");
    WriteTextFile(program, "damaged");

    Log("second run");
    HWND page = ToLocation();
    if (page == NULL) {
        return Finish();
    }
    CheckDefaultLocation(page, "c:\\quorvel stuff");
    Click(page, IDOK);
    HWND group = ExtractionPage(true) ? GroupPage() : NULL;
    if (group == NULL) {
        return Finish();
    }
    Click(group, IDC_GROUP_CONTINUE);
    if (ShortcutDialog(group) && WaitGone(group, kWaitLimit) && FinishSteps(false)) {
        for (size_t i = 0; i < sizeof kept / sizeof kept[0]; i++) {
            char path[MAX_PATH];
            JoinPath(path, sizeof path, g_walk.destination, kept[i]);
            const BYTE* data = NULL;
            DWORD size = 0;
            Check(ReadWholeFile(path, 0, &data, &size) && size == strlen(kept[i]) &&
                      memcmp(data, kept[i], size) == 0,
                  "the data file %s is kept", path);
        }
        Check(!PathExists(scratch), "%s is cleaned away", scratch);
        CheckInstalled();
    }
    return Finish();
}

struct ScenarioEntry {
    const char* name;
    Scenario run;
    const char* what;
};

const ScenarioEntry kScenarios[] = {
    {"welcome-cancel", WelcomeCancel,
     "Cancel on the welcome page ends quietly; AlwaysUnloadDll is set"},
    {"welcome-escape", WelcomeEscape, "Escape on the welcome page ends quietly"},
    {"licence-disagree", LicenceDisagree,
     "backdrop and licence page as they must look; I Disagree ends quietly"},
    {"licence-escape", LicenceEscape, "Escape on the licence page ends quietly"},
    {"licence-resize", LicenceResize, "the licence page's controls follow its frame"},
    {"folder-cancel", FolderCancel, "the proposed folder; Cancel shows the abort notice"},
    {"folder-browse", FolderBrowse, "drive mode, a drive, a subfolder, an ancestor, Reset Folder"},
    {"folder-bad-input", FolderBadInput,
     "refused paths; C:\\Apps\\ completed; Escape on the group page"},
    {"group-input", GroupInput, "empty and invalid group names, the 40-character limit, Escape"},
    {"unwritable-folder", UnwritableFolder, "a destination that cannot be written aborts"},
    {"complete-install", CompleteInstall, "the whole installation with the proposals, read-me No"},
    {"readme-yes", ReadMeYes, "the read-me opens in Notepad while the backdrop is minimised"},
    {"readme-no", ReadMeNo, "a typed group; No starts no process"},
    {"reinstall", Reinstall, "a second run proposes the first folder and keeps data files"},
};

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    const int count = sizeof kScenarios / sizeof kScenarios[0];
    if (argc < 2 || strcmp(argv[1], "list") == 0) {
        printf("usage: vantor-driver SCENARIO [SCREENSHOT_FOLDER]\n");
        for (int i = 0; i < count; i++) {
            printf("  %-18s %s\n", kScenarios[i].name, kScenarios[i].what);
        }
        return argc < 2 ? 2 : 0;
    }
    for (int i = 0; i < count; i++) {
        if (strcmp(argv[1], kScenarios[i].name) == 0) {
            if (argc > 2) {
                SetShotFolder(argv[2]);
            }
            CoInitialize(NULL);
            Log("scenario %s: %s", kScenarios[i].name, kScenarios[i].what);
            int result = kScenarios[i].run();
            CoUninitialize();
            return result;
        }
    }
    printf("unknown scenario \"%s\"; try: vantor-driver list\n", argv[1]);
    return 2;
}
