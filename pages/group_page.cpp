// The program group page: the user picks or types the folder under the
// Start menu's Programs folder that gets the shortcuts; Continue runs the
// shortcut progress dialog on top of the page.
#include "group_page.h"

#include "backdrop.h"
#include "folder_chain.h"
#include "install_state.h"
#include "location_page.h"
#include "location_rules.h"
#include "page_ids.h"
#include "page_services.h"
#include "path_checks.h"
#include "path_helpers.h"
#include "shortcuts.h"

#define NO_START_MENU_TEXT "Unable to locate the Start Menu!"
#define EMPTY_GROUP_TEXT "Group may not be empty!"
#define LONG_GROUP_FORMAT "%sbe longer than 40 characters."
#define BAD_GROUP_CHARACTER_FORMAT "%scontain any of these characters:\r\n\\ / : * ? \" < > |"
#define DOT_GROUP_FORMAT "%sbe . or .."
#define TRAILING_GROUP_FORMAT "%send with a space or a dot."
#define CONTROL_GROUP_FORMAT "%scontain control characters."
#define DEVICE_GROUP_FORMAT \
    "%sbe a device name:\r\nCON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9."
#define LINKED_GROUP_TEXT "The group's folder may not be reached through a link or a junction."
#define NO_SHORTCUTS_TEXT "Unable To Create Shortcuts!"

enum {
    kShortcutDelay = 250,
    kClosingPause = 500,  // the finished progress dialog's page stays a moment
    kGroupIconOffset = 1,
};

namespace {

struct GroupPageState {
    bool accepted;  // Continue took the name; Reset Group no longer applies
};

GroupPageState s_group;

// False when the Programs folder cannot be searched.
bool ListGroups(HWND page)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstIn(g_setup.state.programsFolder, "*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != '.') {
            SendDlgItemMessageA(page, IDC_GROUP_LIST, CB_ADDSTRING, 0, (LPARAM)found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

void SetDefaultGroup(HWND page)
{
    char* group = g_setup.state.groupName;
    CopyText(group, kGroupNameSize, g_setup.manifest.productName);
    // -1 when no folder has that name, which leaves nothing selected.
    LRESULT index = SendDlgItemMessageA(page, IDC_GROUP_LIST, CB_FINDSTRINGEXACT, (WPARAM)-1,
                                        (LPARAM)group);
    SendDlgItemMessageA(page, IDC_GROUP_LIST, CB_SETCURSEL, (WPARAM)index, 0);
    SetDlgItemTextA(page, IDC_GROUP_LIST, group);
}

void InitGroupPage(HWND page)
{
    s_group.accepted = false;
    PreparePage(page, true);
    if (!ListGroups(page)) {
        AbortPage(page, NO_START_MENU_TEXT);
        return;
    }
    SendDlgItemMessageA(page, IDC_GROUP_LIST, CB_LIMITTEXT, kGroupNameLimit, 0);
    SetDefaultGroup(page);
}

// The warning for a refused name, or null for a name that can be one folder.
// Most start with GROUP_NAME_HEAD, which takes their "%s".
const char* RefusalText(GroupVerdict verdict)
{
    switch (verdict) {
    case kGroupAccepted:
        break;
    case kGroupEmpty:
        return EMPTY_GROUP_TEXT;
    case kGroupTooLong:
        return LONG_GROUP_FORMAT;
    case kGroupBadCharacter:
        return BAD_GROUP_CHARACTER_FORMAT;
    case kGroupDotName:
        return DOT_GROUP_FORMAT;
    case kGroupTrailingSpaceOrDot:
        return TRAILING_GROUP_FORMAT;
    case kGroupControlCharacter:
        return CONTROL_GROUP_FORMAT;
    case kGroupDeviceName:
        return DEVICE_GROUP_FORMAT;
    }
    return NULL;
}

}  // namespace

const char* GroupRefusal(const char* name)
{
    const char* refusal = RefusalText(CheckGroupName(name));
    char folder[MAX_PATH];
    // The links would land wherever the link's maker pointed it.
    if (refusal == NULL &&
        JoinPath(folder, sizeof folder, g_setup.state.programsFolder, name, false) &&
        CheckFolderChain(folder) == kChainLinked) {
        refusal = LINKED_GROUP_TEXT;
    }
    return refusal;
}

namespace {

void AcceptGroup(HWND page)
{
    // Room beyond the 40 characters: a long folder name chosen from the
    // list is refused rather than cut into another group.
    char typed[kTypedGroupSize];
    GetDlgItemTextA(page, IDC_GROUP_LIST, typed, sizeof typed);
    const char* refusal = GroupRefusal(typed);
    if (refusal != NULL) {
        ShowFormattedBox(page, MB_OK | MB_ICONWARNING, refusal, GROUP_NAME_HEAD);
        return;
    }
    // From here the group is fixed: the pauses below let the page handle
    // clicks, and the records must name the group the links went into.
    s_group.accepted = true;
    CopyText(g_setup.state.groupName, kGroupNameSize, typed);

    SetStepMask(kStepShortcuts);
    EnableWindow(GetDlgItem(page, IDC_GROUP_CONTINUE), FALSE);
    INT_PTR result = DialogBoxParamA(g_setup.state.instance, MAKEINTRESOURCEA(IDD_SHORTCUTS), page,
                                     ShortcutDialogProc, 0);
    if (result == 1) {
        PumpMessages(page, kClosingPause);
        EndDialog(page, 1);
        return;
    }
    AbortPage(page, NO_SHORTCUTS_TEXT);
}

int DrawGroupItem(const DRAWITEMSTRUCT* item)
{
    // An empty list that has the focus asks for a row with no item.
    if (item->itemID == (UINT)-1) {
        return 1;
    }
    HWND combo = item->hwndItem;
    char name[MAX_PATH];
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, item->itemID, 0);
    if (length < 0 || length >= (LRESULT)sizeof name) {
        return 1;
    }
    SendMessageA(combo, CB_GETLBTEXT, item->itemID, (LPARAM)name);

    int icon = -1;
    char path[MAX_PATH];
    if (JoinPath(path, sizeof path, g_setup.state.programsFolder, name, false) &&
        ReadShellInfo(path, 0, 0)) {
        icon = g_backdrop.fileInfo.iIcon;
    }
    // The folder's own name is drawn, not the shell's display name.
    DrawListRow(item, item->rcItem.left + kGroupIconOffset, name, icon);
    return 1;
}

INT_PTR OnGroupCommand(HWND page, WORD id, WORD code)
{
    if (code != BN_CLICKED) {
        return 1;
    }
    switch (id) {
    case IDCANCEL:
        // Once Continue is accepted the links are made and the finish must
        // follow: an abort in the closing pause would leave them unrecorded.
        if (!s_group.accepted) {
            AbortPage(page, NULL);
        }
        return 0;
    case IDC_GROUP_CONTINUE:
        AcceptGroup(page);
        return 0;
    case IDC_RESET_GROUP:
        if (!s_group.accepted) {
            SetDefaultGroup(page);
        }
        return 0;
    }
    return 1;
}

void InitShortcutDialog(HWND dialog)
{
    PreparePage(dialog, false);
    SetTimer(dialog, IDT_SHORTCUTS_START, kShortcutDelay, NULL);
}

void OnShortcutTimer(HWND dialog, UINT_PTR timer)
{
    // Only the dialog's own starter runs the work, and only once.
    if (timer != IDT_SHORTCUTS_START) {
        return;
    }
    KillTimer(dialog, timer);
    EndDialog(dialog, CreateShortcuts(dialog) ? 1 : 2);
}

}  // namespace

INT_PTR CALLBACK GroupPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitGroupPage(page);
        return TRUE;
    case WM_COMMAND:
        return OnGroupCommand(page, LOWORD(wParam), HIWORD(wParam));
    case WM_DRAWITEM:
        return DrawGroupItem((const DRAWITEMSTRUCT*)lParam);
    case WM_CTLCOLORSTATIC:
        return (INT_PTR)ColorPageText((HDC)wParam, (HWND)lParam);
    }
    return FALSE;
}

INT_PTR CALLBACK ShortcutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitShortcutDialog(dialog);
        return TRUE;
    case WM_TIMER:
        OnShortcutTimer(dialog, wParam);
        return FALSE;
    }
    return FALSE;
}
