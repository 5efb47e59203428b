// The destination folder page: proposes a folder, lets the user browse the
// fixed drives and their folders in an owner-drawn list, or type a path,
// and on Continue checks the path and stores it as the destination.
#include "location_page.h"

#include <shlobj.h>
#include <string.h>

#include "backdrop.h"
#include "common_controls.h"
#include "install_state.h"
#include "location_checks.h"
#include "location_rules.h"
#include "page_ids.h"
#include "page_services.h"
#include "path_checks.h"
#include "path_helpers.h"
#include "shell_ids.h"

#define PATH_INVALID_TEXT "Path Invalid!\r\n\r\n"
#define OTHERS_FILES_FORMAT                                                            \
    "The folder\r\n%s\r\nalready holds files or folders that %s did not install. If you " \
    "install %s here, installing it again later deletes those files.\r\n\r\nDo you want " \
    "to install %s into this folder anyway?"

enum {
    kDriveStringsSize = 128,
    kIndentStep = 8,     // pixels per indent level
    kIconOffset = 1,     // the icon's distance from the item's left edge
    kTextLead = 18,      // text rectangle, from the icon's left edge
    kTextOrigin = 20,
    kTextTrail = 23,
};

const COLORREF kPageTextColour = RGB(0, 0, 128);

namespace {

// Lives as long as the program; every fill overwrites it.
struct LocationPageState {
    BOOL driveMode;
    short currentItem;  // the item that stands for the current location
    char computerText[kComputerTextSize];
    short computerIcon;  // -1 when the shell did not name the computer
    short indent[kFolderListLimit];
};

LocationPageState s_page;

void ReadComputerItem(HWND page)
{
    s_page.computerText[0] = '\0';
    s_page.computerIcon = -1;
    LPITEMIDLIST computer = NULL;
    if (FAILED(SHGetSpecialFolderLocation(page, CSIDL_DRIVES, &computer)) || computer == NULL) {
        return;
    }
    const SHFILEINFOA& info = g_backdrop.fileInfo;
    if (ReadShellInfo((LPCSTR)computer, 0, SHGFI_PIDL | SHGFI_DISPLAYNAME)) {
        // A display name longer than the item text is cut, not refused:
        // the computer item stays usable whatever the shell calls it.
        lstrcpynA(s_page.computerText, info.szDisplayName, sizeof s_page.computerText);
        s_page.computerIcon = (short)info.iIcon;
    }
    ILFree(computer);
}

// Adds an item in the list's own sort order; false when the list refuses it.
bool AddItem(HWND list, const char* text, FolderItemKind kind)
{
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
    if (index < 0) {
        return false;
    }
    SendMessageA(list, LB_SETITEMDATA, (WPARAM)index, kind);
    return true;
}

void InsertItem(HWND list, int index, const char* text, FolderItemKind kind)
{
    SendMessageA(list, LB_INSERTSTRING, (WPARAM)index, (LPARAM)text);
    SendMessageA(list, LB_SETITEMDATA, (WPARAM)index, kind);
}

// Selects the item that stands for the current location, indents every
// item from first on by level, and shows the list again.
void EndFill(HWND list, int current, int first, short level)
{
    SendMessageA(list, LB_SETCURSEL, (WPARAM)current, 0);
    s_page.currentItem = (short)current;
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = first; i < count && i < kFolderListLimit; ++i) {
        s_page.indent[i] = level;
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
}

// The text of a list item; false for no item or one too long for a slot.
bool ReadItemText(HWND list, int index, char text[kFolderSlotSize])
{
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (length < 0 || length >= kFolderSlotSize) {
        return false;
    }
    SendMessageA(list, LB_GETTEXT, (WPARAM)index, (LPARAM)text);
    return true;
}

// Yes to share a folder with files that are not the product's; No, the
// default, keeps the page open.
bool AgreeToSharedFolder(HWND page, const char* folder)
{
    if (!HoldsOthersFiles(folder)) {
        return true;
    }
    const char* name = g_setup.manifest.productName;
    return ShowFormattedBox(page, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, OTHERS_FILES_FORMAT,
                            folder, name, name, name) == IDYES;
}

void FillDriveList(HWND page)
{
    HWND list = GetDlgItem(page, IDC_FOLDER_LIST);
    char roots[kDriveStringsSize] = {};
    // The size given leaves room for the empty string that ends the list.
    DWORD length = GetLogicalDriveStringsA(sizeof roots - 1, roots);
    if (length > 0 && length < sizeof roots - 1) {
        for (char* root = roots; *root != '\0'; root += strlen(root) + 1) {
            if (root[0] >= 'a' && root[0] <= 'z') {
                root[0] = (char)(root[0] - 'a' + 'A');
            }
            if (GetDriveTypeA(root) == DRIVE_FIXED &&
                SendMessageA(list, LB_GETCOUNT, 0, 0) < kFolderListLimit - 1) {
                AddItem(list, root, kDriveItem);
            }
        }
    }
    InsertItem(list, 0, s_page.computerText, kComputerItem);

    // The search begins after item 0 and wraps round to it, so the computer
    // is found last; in drive mode the destination holds its text.
    LRESULT found = SendMessageA(list, LB_FINDSTRINGEXACT, 0,
                                 (LPARAM)g_setup.state.destinationFolder);
    s_page.indent[0] = 0;
    EndFill(list, found < 0 ? 0 : (int)found, 1, 1);
}

void FillFolderList(HWND page, const char* path)
{
    HWND list = GetDlgItem(page, IDC_FOLDER_LIST);
    size_t ends[kFolderListLimit - 1];
    int links = SplitFolderChain(path, ends, kFolderListLimit - 1);
    // The computer and the chain go above the subfolders; the subfolders
    // get the room that is left of the indent table.
    int room = kFolderListLimit - 1 - links;

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstIn(path, "*.*", &found);
    if (search != INVALID_HANDLE_VALUE) {
        int added = 0;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || found.cFileName[0] == '.') {
                continue;
            }
            if (added >= room) {
                break;
            }
            // A subfolder whose path could not be a destination is not
            // offered.
            char item[kFolderSlotSize];
            if (JoinPath(item, sizeof item, path, found.cFileName, false) &&
                AddItem(list, item, kFolderItem)) {
                ++added;
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }

    InsertItem(list, 0, s_page.computerText, kComputerItem);
    s_page.indent[0] = 0;
    char text[MAX_PATH];
    for (int k = 1; k <= links; ++k) {
        lstrcpynA(text, path, (int)ends[k - 1] + 1);
        InsertItem(list, k, text, k == 1 ? kDriveItem : kFolderItem);
        s_page.indent[k] = (short)k;
    }

    EndFill(list, links, links + 1, (short)(links + 1));
}

// Every change of the list goes through here. The path is at most 255
// characters: the list only holds texts that fit the destination slot.
void OpenLocation(HWND page, const char* path, BOOL driveMode)
{
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    InstallState& state = g_setup.state;
    CopyText(state.destinationFolder, sizeof state.destinationFolder, path);
    SetDlgItemTextA(page, IDC_FOLDER_EDIT, state.destinationFolder);
    HWND list = GetDlgItem(page, IDC_FOLDER_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    s_page.driveMode = driveMode;
    if (driveMode) {
        FillDriveList(page);
    } else {
        FillFolderList(page, state.destinationFolder);
    }
}

void SetDefaultFolder(HWND page)
{
    ReadComputerItem(page);
    char folder[kFolderSlotSize];
    ProposedFolder(folder);
    // Case-sensitive on purpose: only a folder that is already exactly the
    // proposal leaves the page as it is, typing included.
    if (strcmp(folder, g_setup.state.destinationFolder) != 0) {
        OpenLocation(page, folder, FALSE);
    }
}

void InitLocationPage(HWND page)
{
    PreparePage(page, true);
    SendDlgItemMessageA(page, IDC_FOLDER_EDIT, EM_LIMITTEXT, kTypedPathSize - 1, 0);
    SetDefaultFolder(page);
}

void OpenListItem(HWND page)
{
    HWND list = GetDlgItem(page, IDC_FOLDER_LIST);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    char text[kFolderSlotSize];
    if (index < 0 || !ReadItemText(list, (int)index, text)) {
        return;
    }
    if (index == 0) {
        if (!s_page.driveMode) {
            OpenLocation(page, s_page.computerText, TRUE);
        }
    } else if (s_page.driveMode || index != s_page.currentItem) {
        OpenLocation(page, text, FALSE);
    }
}

// 1 when the typed folder is accepted and stored, -1 after a warning.
int CheckLocation(HWND page)
{
    // Read with room beyond a slot, so that a longer path is refused
    // rather than cut into another folder.
    char typed[kTypedPathSize];
    GetDlgItemTextA(page, IDC_FOLDER_EDIT, typed, sizeof typed);
    char destination[kFolderSlotSize];
    LocationVerdict verdict = ChooseDestination(destination, typed);
    if (verdict != kLocationAccepted) {
        ShowFormattedBox(page, MB_OK | MB_ICONWARNING, RefusalFormat(verdict), PATH_INVALID_TEXT,
                         RefusedLevel());
        return -1;
    }
    if (!HasRoomForFiles(page, destination) || !AgreeToSharedFolder(page, destination)) {
        return -1;
    }
    OpenLocation(page, destination, FALSE);
    return 1;
}

INT_PTR OnLocationCommand(HWND page, WORD id, WORD code)
{
    if (id == IDOK && code == BN_CLICKED) {
        if (CheckLocation(page) == 1) {
            EndDialog(page, 1);
        } else {
            SetFocus(GetDlgItem(page, IDC_FOLDER_EDIT));
        }
    } else if (id == IDCANCEL && code == BN_CLICKED) {
        AbortPage(page, NULL);
    } else if (id == IDC_FOLDER_LIST && code == LBN_DBLCLK) {
        OpenListItem(page);
    } else if (id == IDC_RESET_FOLDER && code == BN_CLICKED) {
        SetDefaultFolder(page);
    } else {
        return 1;
    }
    return 0;
}

}  // namespace

HBRUSH ColorPageText(HDC dc, HWND control)
{
    if (GetDlgCtrlID(control) != IDC_PAGE_TEXT) {
        return NULL;
    }
    return ColorStaticText(dc, kPageTextColour, COLOR_BTNFACE);
}

void DrawListRow(const DRAWITEMSTRUCT* item, int x, const char* text, int icon)
{
    HDC dc = item->hDC;
    int y = item->rcItem.top;
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    if (icon >= 0) {
        DrawImageListIcon(g_backdrop.imageList, icon, dc, x, y,
                          selected ? ILD_SELECTED : ILD_NORMAL);
    }
    SetTextColor(dc, g_backdrop.colours[selected ? kSelectedText : kItemText]);
    SetBkColor(dc, g_backdrop.colours[selected ? kSelectedBack : kItemBack]);
    int length = lstrlenA(text);
    SIZE extent;
    GetTextExtentPointA(dc, text, length, &extent);
    RECT box = {x + kTextLead, item->rcItem.top, x + kTextTrail + extent.cx, item->rcItem.bottom};
    ExtTextOutA(dc, x + kTextOrigin, y + 1, ETO_OPAQUE | ETO_CLIPPED, &box, text, length, NULL);
    if (item->itemState & ODS_FOCUS) {
        DrawFocusRect(dc, &box);
    }
}

int DrawFolderItem(const DRAWITEMSTRUCT* item)
{
    // An empty list that has the focus asks for a row with no item.
    char text[kFolderSlotSize];
    if (item->itemID == (UINT)-1 || !ReadItemText(item->hwndItem, (int)item->itemID, text)) {
        return 1;
    }
    int level = item->itemID < kFolderListLimit ? s_page.indent[item->itemID] : 0;
    int x = item->rcItem.left + level * kIndentStep + kIconOffset;

    if (item->itemData == kComputerItem) {
        DrawListRow(item, x, text, s_page.computerIcon);
        return 1;
    }
    // Drives and folders are drawn as the shell names them; names and icons
    // are asked for at every draw, not kept per item.
    const SHFILEINFOA& info = g_backdrop.fileInfo;
    UINT flags = SHGFI_DISPLAYNAME;
    if (item->itemData == kFolderItem && (int)item->itemID == s_page.currentItem) {
        flags |= SHGFI_OPENICON;
    }
    if (!ReadShellInfo(text, 0, flags) &&
        // A folder that does not exist yet: the generic folder icon and
        // its last component as the name.
        !ReadShellInfo(text, FILE_ATTRIBUTE_DIRECTORY, flags | SHGFI_USEFILEATTRIBUTES)) {
        DrawListRow(item, x, text, -1);
        return 1;
    }
    DrawListRow(item, x, info.szDisplayName, info.iIcon);
    return 1;
}

INT_PTR CALLBACK LocationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitLocationPage(page);
        return TRUE;
    case WM_COMMAND:
        return OnLocationCommand(page, LOWORD(wParam), HIWORD(wParam));
    case WM_DRAWITEM:
        return DrawFolderItem((const DRAWITEMSTRUCT*)lParam);
    case WM_CTLCOLORSTATIC:
        return (INT_PTR)ColorPageText((HDC)wParam, (HWND)lParam);
    }
    return FALSE;
}
