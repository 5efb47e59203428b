// The wizard's pages one by one: each waited for, checked as it must look
// and act, and shot.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_walk.h"
#include "page_ids.h"
#include "shell_ids.h"

// --- Steps of a walk ---------------------------------------------------------

HWND WelcomePage()
{
    g_walk.width = GetSystemMetrics(SM_CXSCREEN);
    g_walk.height = GetSystemMetrics(SM_CYSCREEN);
    Log("screen %d x %d", g_walk.width, g_walk.height);
    if (!StartSetup()) {
        return NULL;
    }
    HWND page = WaitWindow("InstallDlg", PRODUCT_INSTALLER_NAME, NULL, kWaitLimit);
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
    char heading[kItemSize];
    snprintf(heading, sizeof heading, WELCOME_RIGHTS_TEXT, (int)now.wYear);
    Check(strcmp(text, heading) == 0 && strchr(text, '%') == NULL,
          "welcome heading is the publisher's with the year %u: \"%s\"", now.wYear,
          Printable(text));
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
    HWND backdrop = WaitWindow("InstallApp", PRODUCT_INSTALLER_NAME, NULL, kWaitLimit);
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
static void CheckItemIcons(HWND page, int count, int links)
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
        JoinPath(targets[i], MAX_PATH, (kFiles[i].flags & kInWindowsFolder) ? windows : destination,
                 kFiles[i].name);
    }
}

static DWORD NumberIn(const char* text)
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
static RECT BarRect(HWND page)
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
    // The pass starts 250 ms after the page opens, sooner than a whole
    // screenshot is taken on a busy machine: the bar alone is watched from
    // the moment the page is found until it is first drawn.
    RECT bar = BarRect(page);
    int filled = 0;
    int emptyText = 0;
    WaitUntil([&] {
        if (CaptureArea(bar) || CaptureScreen()) {
            filled = CountColour(bar.left, bar.top, bar.right, bar.bottom, kBarFill);
            emptyText = CountColour(bar.left, bar.top, bar.right, bar.bottom, kBarEmptyText);
        }
        return filled != 0 || emptyText != 0;
    }, kPollInterval / 4);
    Check(filled == 0 && emptyText > 0, "the percent bar starts empty, its text dark blue");
    ShotAndStep("extraction-start", 4);
    char notice[kItemSize];
    ItemText(page, IDC_VISIT_NOTICE, notice, sizeof notice);
    Check(strcmp(notice, VISIT_NOTICE_TEXT) == 0, "the visit notice is the publisher's: \"%s\"",
          Printable(notice));

    char targets[kFileCount][MAX_PATH];
    ExpectedTargets(g_walk.destination, targets);
    DWORD expectedTotal = 0;
    for (int i = 0; i < kFileCount; i++) {
        expectedTotal += ReferenceSize(i);
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
            // The bar is judged as drawn, never half-way through a paint (in
            // a capture that the next one of the bar agrees with), and once
            // the screen shows it part-filled: it can lag behind the counters.
            for (DWORD reached = GetTickCount(); GetTickCount() - reached < kWaitLimit;
                 Sleep(kPollInterval / 4)) {
                if (SettleArea(bar) &&
                    CountColour(bar.left, bar.top, bar.right, bar.bottom, kBarFill) > 0 &&
                    CountColour(bar.left, bar.top, bar.right, bar.bottom,
                                GetSysColor(COLOR_BTNFACE)) > 0) {
                    break;
                }
            }
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
            // The counters first: the page closes a second after the end,
            // and a screenshot on a busy machine can take half of that.
            char count[16];
            snprintf(count, sizeof count, "%d", kFileCount);
            char files[kItemSize];
            ItemText(page, IDC_TOTAL_FILES, files, sizeof files);
            ItemText(page, IDC_CURRENT_FILE, text, sizeof text);
            // The screen can show the full bar a while after the counters
            // reach the total: the bar alone is watched until it does.
            bool full = false;
            for (DWORD reached = GetTickCount(); !full && GetTickCount() - reached < kWaitLimit;
                 Sleep(kPollInterval / 4)) {
                full = (CaptureArea(bar) || CaptureScreen()) &&
                       CountColour(bar.left, bar.top, bar.right, bar.bottom,
                                   GetSysColor(COLOR_BTNFACE)) == 0 &&
                       CountColour(bar.left, bar.top, bar.right, bar.bottom, kWhite) > 0;
            }
            Check(full, "at the end the bar is full with its text in white");
            ShotAndStep("extraction-end", 4);
            Check(strcmp(done, total) == 0 && strcmp(total, totalText) == 0,
                  "\"Current Size\" %s equals \"Total Size\" %s (%s expected)", done, total,
                  totalText);
            Check(strcmp(files, count) == 0, "\"Total Files\" reads %s (\"%s\")", count, files);
            Check(strcmp(text, count) == 0, "\"Current File\" reads %s (\"%s\")", count, text);
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

// The photo of the shortcut dialog with the work half done.
static DWORD WINAPI ShortcutsPhoto(void*)
{
    ShotAndStep("shortcuts", 16);
    return 0;
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
    HANDLE photo = NULL;
    DWORD start = GetTickCount();
    while (IsWindow(dialog) && IsWindowVisible(dialog) && GetTickCount() - start < kLongWait) {
        char text[64];
        if (ItemText(dialog, IDC_SHORTCUT_CAPTION, text, sizeof text) && text[0] != '\0' &&
            (count == 0 || strcmp(captions[count - 1], text) != 0) && count < kShortcutCount + 4) {
            snprintf(captions[count++], 64, "%s", text);
            Log("creating shortcut \"%s\"", text);
            // Taken beside the watch: on a busy machine a screenshot takes
            // longer than a caption stays, which must not go unseen.
            if (count == 3) {
                photo = CreateThread(NULL, 0, ShortcutsPhoto, NULL, 0, NULL);
                Check(photo != NULL, "the shortcut dialog's photo started");
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
    if (photo != NULL) {
        WaitForSingleObject(photo, INFINITE);
        CloseHandle(photo);
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
