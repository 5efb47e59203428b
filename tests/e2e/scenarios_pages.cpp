// Scenarios of the folder and group pages: browsing, refused input,
// cancelling.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_scenarios.h"
#include "e2e_walk.h"
#include "page_ids.h"
#include "shell_ids.h"

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
    // Windows would resolve these to another folder than the one typed.
    const char* const aliases[] = {"C:\\" PRODUCT "\\..\\Windows", "C:\\" PRODUCT "\\..",
                                   "C:\\\\" PRODUCT, "C:\\" PRODUCT ".", "C:\\Apps/" PRODUCT};
    for (const char* typed : aliases) {
        ExpectRefusal(page, typed,
                      "A folder name may not be empty, . or .., contain / : * ? \" < > | or end "
                      "with a space or a dot.");
    }
    ExpectRefusal(page, "1:\\" PRODUCT, "The drive must be a letter from A to Z.");
    ExpectRefusal(page, "Q:\\" PRODUCT,
                  "There is no fixed or removable disk Q:.");
    // A folder a user made beforehand, which others may change.
    Check(MakeFolderOthersMayChange("C:\\Open"), "everyone may change C:\\Open");
    ExpectRefusal(page, "C:\\Open",
                  "The folder\r\nC:\\Open\r\ncan be changed by users other than "
                  "administrators, who could then replace the programs installed there.\r\n\r\n"
                  "Please choose another folder.");
    char longPath[260];
    strcpy(longPath, "C:\\");
    memset(longPath + 3, 'a', 256);
    longPath[259] = '\0';
    ExpectRefusal(page, longPath, "Path is too long.");
    Shot("folder-refused");

    // A trailing backslash still gets the product name appended; the
    // extraction shows where the files go.
    snprintf(g_walk.destination, sizeof g_walk.destination, "C:\\Apps\\" PRODUCT);
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
        Check(strcmp(box.caption, PRODUCT_INSTALLER_NAME) == 0 &&
                  strcmp(box.icon, "warning") == 0 && box.text[0] != '\0',
              "\"%s\" is refused with a warning box captioned \"" PRODUCT_INSTALLER_NAME "\"",
              typed);
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
    // Queued behind the characters, a selection no typing makes: once the
    // field shows it, it has taken every character, however busy the
    // machine.
    const LRESULT marker = MAKELRESULT(1, 2);
    PostMessageA(edit, EM_SETSEL, 1, 2);
    WaitUntil([&] { return Ask(edit, EM_GETSEL, 0, 0) == marker; });
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
