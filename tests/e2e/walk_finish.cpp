// The checks of what an installation leaves behind, whole walks and the
// endings a scenario expects.
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

// The fixed pauses from the welcome page's Continue to the farewell; the bar
// pauses follow from the file sizes: one report per 1024-byte block and one
// for each file's last partial block, a 10 ms pause whenever the
// half-percent value changes.
void PrintTiming()
{
    DWORD sizes[kFileCount];
    DWORD total = 0;
    for (int i = 0; i < kFileCount; i++) {
        sizes[i] = ReferenceSize(i);
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
    CaptionLink(link, sizeof link, sendTo, kMainProgram);
    Check(!PathExists(link), "no SendTo link %s", link);
}

// What deployment tools read in the uninstall entry beside the setup's own
// values.
static void CheckDeploymentValues(const char* uninstaller)
{
    char text[MAX_PATH + 8];
    JoinPath(text, sizeof text, g_walk.destination, kFiles[kMainProgram].name);
    strcat(text, ",0");
    CheckRegString(UNINSTALL_KEY, "DisplayIcon", text);
    CheckRegString(UNINSTALL_KEY, "InstallLocation", g_walk.destination);
    CheckRegString(UNINSTALL_KEY, "URLInfoAbout", HELP_LINK);
    snprintf(text, sizeof text, "\"%s\" /S", uninstaller);
    CheckRegString(UNINSTALL_KEY, "QuietUninstallString", text);
    CheckRegNumber(UNINSTALL_KEY, "VersionMajor", PRODUCT_VERSION_MAJOR);
    CheckRegNumber(UNINSTALL_KEY, "VersionMinor", PRODUCT_VERSION_MINOR);
    CheckRegString(UNINSTALL_KEY, "Contact", PRODUCT_SUPPORT_ADDRESS);
    CheckRegString(UNINSTALL_KEY, "Comments", PRODUCT_TAGLINE);
    CheckRegString(UNINSTALL_KEY, "Links For All Users", g_walk.allUsers ? "1" : "0");
    // The size of what was installed, from the build's copies.
    unsigned long long total = 0;
    for (int i = 0; i < kFileCount; i++) {
        total += ReferenceSize(i);
    }
    CheckRegNumber(UNINSTALL_KEY, "EstimatedSize", (DWORD)((total + 1023) / 1024));
    CheckRegNumber(UNINSTALL_KEY, "NoModify", 1);
    CheckRegNumber(UNINSTALL_KEY, "NoRepair", 1);
    SYSTEMTIME today;
    GetLocalTime(&today);
    snprintf(text, sizeof text, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    CheckRegString(UNINSTALL_KEY, "InstallDate", text);
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
    LinkFolders(programs, sendTo);
    char groupFolder[MAX_PATH];
    JoinPath(groupFolder, sizeof groupFolder, programs, g_walk.group);
    int links = 0;
    for (int i = 0; i < kShortcutCount; i++) {
        char name[64];
        char link[MAX_PATH];
        snprintf(name, sizeof name, "%s.lnk", kFiles[i].caption);
        JoinPath(link, sizeof link, groupFolder, name);
        const char* folder = (kFiles[i].flags & kLinkToDestination) ? g_walk.destination : windows;
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
    if (g_walk.allUsers) {
        // Nothing in the running user's own folders.
        SpecialFolder(CSIDL_PROGRAMS, programs);
        JoinPath(groupFolder, sizeof groupFolder, programs, g_walk.group);
        Check(!PathExists(groupFolder), "no group %s of this user", groupFolder);
        SpecialFolder(CSIDL_SENDTO, sendTo);
        CaptionLink(link, sizeof link, sendTo, kMainProgram);
        Check(!PathExists(link), "no SendTo link %s", link);
    } else {
        CaptionLink(link, sizeof link, sendTo, kMainProgram);
        JoinPath(target, sizeof target, g_walk.destination, kFiles[kMainProgram].name);
        CheckLink(link, target, g_walk.destination, kFiles[kMainProgram].caption);
        CaptionLink(link, sizeof link, sendTo, kUpdater);
        Check(!PathExists(link), "the stale %s is gone", link);
    }

    char uninstall[MAX_PATH];
    JoinPath(uninstall, sizeof uninstall, windows, kFiles[0].name);
    CheckRegString(VENDOR_KEY, PRODUCT, g_walk.destination);
    CheckRegString(VERSION_KEY, "Program Version", PRODUCT_VERSION);
    CheckRegString(UNINSTALL_KEY, "DisplayName", PRODUCT);
    CheckRegString(UNINSTALL_KEY, "DisplayVersion", "v" PRODUCT_VERSION);
    CheckRegString(UNINSTALL_KEY, "UninstallString", uninstall);
    CheckRegString(UNINSTALL_KEY, "Program Path", g_walk.destination);
    CheckRegString(UNINSTALL_KEY, "Program Group", g_walk.group);
    CheckRegString(UNINSTALL_KEY, "Publisher", PRODUCT_PUBLISHER);
    CheckRegString(UNINSTALL_KEY, "HelpLink", HELP_LINK);
    CheckDeploymentValues(uninstall);
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

// A leftover link to an earlier updater, which the finish must remove.
void PlantStaleUpdaterLink()
{
    char sendTo[MAX_PATH];
    char link[MAX_PATH];
    char target[MAX_PATH];
    SpecialFolder(CSIDL_SENDTO, sendTo);
    CaptionLink(link, sizeof link, sendTo, kUpdater);
    JoinPath(target, sizeof target, "C:\\Old " PRODUCT_NAME, kFiles[kUpdater].name);
    Check(WriteLink(link, target), "planted the stale %s", link);
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
    // The page puts it there once the box has returned, which on a busy
    // machine can take longer than the moment above.
    HWND field = GetDlgItem(page, IDC_FOLDER_EDIT);
    Check(WaitUntil([=] { return FocusOf(page) == field; }), "the focus is back in the folder field");
}
