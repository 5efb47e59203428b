// The program group page and its shortcut progress dialog, over a Programs
// folder of the test's own.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "group_page.h"
#include "install_pass.h"
#include "page_harness.h"
#include "shell_texts.h"

using namespace page_harness;

namespace {

const char kBadCharacterText[] =
    "A group name may not contain any of these characters:\r\n\\ / : * ? \" < > |";
const char kDotNameText[] = "A group name may not be . or ..";
const COLORREF kMarkColour = RGB(1, 2, 3);

// The shortcut dialog as it was just before it closed.
struct DialogView {
    bool seen;
    std::string caption;
    std::string shortcut;
    LRESULT position;
};
DialogView s_dialogView;
HHOOK s_dialogHook;
// A button of the page to click as the shortcut dialog closes.
HWND s_clickOnClose;
int s_clickId;

LRESULT CALLBACK WatchShortcutDialog(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = (HWND)wParam;
    HWND bar = GetDlgItem(window, IDC_SHORTCUT_PROGRESS);
    if (code == HCBT_DESTROYWND && bar != NULL) {
        s_dialogView.seen = true;
        s_dialogView.caption = WindowText(window);
        s_dialogView.shortcut = ItemText(window, IDC_SHORTCUT_CAPTION);
        s_dialogView.position = SendMessageA(bar, PBM_GETPOS, 0, 0);
        if (s_clickOnClose != NULL) {
            // Handled in the page's closing pause, as a user's click would be.
            PostMessageA(s_clickOnClose, WM_COMMAND, MAKEWPARAM(s_clickId, BN_CLICKED),
                         (LPARAM)GetDlgItem(s_clickOnClose, s_clickId));
        }
    }
    return CallNextHookEx(s_dialogHook, code, wParam, lParam);
}

class GroupPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetInstallState();
        LendBackdropResources();
        root_ = MakeTestFolder("pages-group");
        programs_ = root_ + "\\Programs";
        for (const char* folder : {"\\Programs", "\\Dest", "\\Win", "\\SendTo"}) {
            CreateDirectoryA((root_ + folder).c_str(), NULL);
        }
        lstrcpyA(g_setup.state.programsFolder, programs_.c_str());
        lstrcpyA(g_setup.state.destinationFolder, (root_ + "\\Dest").c_str());
        lstrcpyA(g_setup.state.windowsFolder, (root_ + "\\Win").c_str());
        lstrcpyA(g_setup.state.sendToFolder, (root_ + "\\SendTo").c_str());
        s_dialogView = DialogView();
        s_clickOnClose = NULL;
        s_dialogHook = SetWindowsHookExA(WH_CBT, WatchShortcutDialog, NULL, GetCurrentThreadId());
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(s_dialogHook);
        if (page_ != NULL) {
            DestroyWindow(page_);
        }
        RemoveTree(root_);
        ResetInstallState();
    }
    void MakeGroups(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            CreateDirectoryA((programs_ + "\\" + name).c_str(), NULL);
        }
    }
    HWND Open()
    {
        page_ = CreateDialogParamA(SetupModule(), MAKEINTRESOURCEA(IDD_GROUP), NULL, GroupPageProc, 0);
        return page_;
    }
    HWND Combo() { return GetDlgItem(page_, IDC_GROUP_LIST); }
    std::vector<std::string> Groups()
    {
        std::vector<std::string> names;
        int count = (int)SendMessageA(Combo(), CB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
            char name[MAX_PATH];
            SendMessageA(Combo(), CB_GETLBTEXT, i, (LPARAM)name);
            names.push_back(name);
        }
        return names;
    }
    int Selected() { return (int)SendMessageA(Combo(), CB_GETCURSEL, 0, 0); }
    std::string Typed() { return ItemText(page_, IDC_GROUP_LIST); }
    // Continue with a name that must be refused with the text given.
    void ExpectRefused(const char* name, const char* text)
    {
        SCOPED_TRACE(name);
        std::vector<Box> boxes = ContinueWith(name);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Vantor");
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].icon, WarningIcon());
        EXPECT_TRUE(IsWindowVisible(page_));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page_, IDC_GROUP_CONTINUE)));
    }
    // Continue with the given name; the boxes it showed.
    std::vector<Box> ContinueWith(const std::string& name)
    {
        SetDlgItemTextA(page_, IDC_GROUP_LIST, name.c_str());
        BoxRecorder recorder;
        Click(page_, IDC_GROUP_CONTINUE);
        return recorder.boxes;
    }
    bool LinkExists(const std::string& group, const char* caption)
    {
        return PathExists((programs_ + "\\" + group + "\\" + caption + ".lnk").c_str());
    }

    std::string root_;
    std::string programs_;
    HWND page_ = NULL;
};

TEST_F(GroupPage, ListsTheGroupFoldersAndSelectsTheProductsInAnyCase)
{
    MakeGroups({"Accessories", "quorvel", ".hidden"});
    WriteWholeFile(programs_ + "\\Loose.lnk", "a file, not a group");
    ASSERT_NE(Open(), (HWND)NULL);
    EXPECT_EQ(WindowText(page_), "Quorvel Program Group");
    EXPECT_EQ(ItemText(page_, IDC_PAGE_TEXT),
              "Shortcuts for Quorvel will be created and placed in the following group:");
    EXPECT_EQ(Groups(), (std::vector<std::string>{"Accessories", "quorvel"}));
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(Typed(), "Quorvel");
    EXPECT_STREQ(g_setup.state.groupName, "Quorvel");
}

TEST_F(GroupPage, SelectsNothingWithoutAProductFolder)
{
    MakeGroups({"Accessories"});
    Open();
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(Typed(), "Quorvel");
}

TEST_F(GroupPage, ResetGroupBringsBackTheProductName)
{
    MakeGroups({"Accessories", "Quorvel"});
    Open();
    SendMessageA(Combo(), CB_SETCURSEL, 0, 0);
    EXPECT_EQ(Typed(), "Accessories");
    Click(page_, IDC_RESET_GROUP);
    EXPECT_EQ(Typed(), "Quorvel");
    EXPECT_EQ(Selected(), 1);
}

TEST_F(GroupPage, TheFieldTakesFortyCharactersOfTyping)
{
    Open();
    COMBOBOXINFO parts = {};
    parts.cbSize = sizeof parts;
    ASSERT_TRUE(GetComboBoxInfo(Combo(), &parts));
    HWND field = parts.hwndItem;
    SetWindowTextA(field, "");
    for (int i = 0; i < 45; ++i) {
        SendMessageA(field, WM_CHAR, 'g', 1);
    }
    EXPECT_EQ(Typed(), std::string(40, 'g'));
}

TEST_F(GroupPage, RefusesNamesThatCannotBeOneFolder)
{
    Open();
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"", "Group may not be empty!"},
        {"Tools/Quorvel", kBadCharacterText},
        {"..\\Startup", kBadCharacterText},
        {"C:", kBadCharacterText},
        {"What?", kBadCharacterText},
        {"a|b", kBadCharacterText},
        {".", kDotNameText},
        {"..", kDotNameText},
    };
    for (const auto& c : cases) {
        ExpectRefused(c.name, c.text);
    }
    EXPECT_EQ(g_setup.state.stepMask, 0u);
    EXPECT_FALSE(s_dialogView.seen) << "no shortcut dialog for a refused name";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root_ + "\\*").c_str(), &found);
    int entries = 0;
    do {
        ++entries;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(entries, 6) << "nothing made beside the test's own folders";
}

// Names the folder could not carry as typed: the links would go nowhere or
// into another folder than the one the records name.
TEST_F(GroupPage, RefusesNamesWindowsWouldRewriteOrKeepsForDevices)
{
    const char kTrailing[] = "A group name may not end with a space or a dot.";
    const char kControl[] = "A group name may not contain control characters.";
    const char kDevice[] =
        "A group name may not be a device name:\r\nCON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9.";
    Open();
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"Tools ", kTrailing}, {"Tools.", kTrailing}, {"...", kTrailing},  {"a\tb", kControl},
        {"CON", kDevice},      {"prn", kDevice},      {"nul.txt", kDevice}, {"COM1", kDevice},
        {"lpt9", kDevice},     {"Aux .log", kDevice},
    };
    for (const auto& c : cases) {
        ExpectRefused(c.name, c.text);
    }
    EXPECT_EQ(g_setup.state.stepMask, 0u);
    EXPECT_FALSE(s_dialogView.seen);
    EXPECT_STREQ(g_setup.state.groupName, "Quorvel") << "a refused name is never taken";
}

TEST_F(GroupPage, ANameThatBeginsWithTheProductsIsAnOrdinaryGroup)
{
    Open();
    std::vector<Box> boxes = ContinueWith("Quorvel Tools");
    EXPECT_EQ(boxes.size(), 0u);
    EXPECT_STREQ(g_setup.state.groupName, "Quorvel Tools");
    EXPECT_TRUE(LinkExists("Quorvel Tools", "Quorvel"));
    EXPECT_FALSE(PathExists((programs_ + "\\Quorvel").c_str()));
}

// Reset Group or Cancel in the closing pause: the links are made, so the
// records must name their group, and no abort may follow.
TEST_F(GroupPage, ResetGroupAndCancelChangeNothingOnceContinueIsAccepted)
{
    for (int id : {IDC_RESET_GROUP, IDCANCEL}) {
        SCOPED_TRACE(id == IDCANCEL ? "Cancel" : "Reset Group");
        Open();
        s_clickOnClose = page_;
        s_clickId = id;
        std::vector<Box> boxes = ContinueWith("Office Tools");
        EXPECT_EQ(boxes.size(), 0u) << (boxes.empty() ? "" : boxes[0].text);
        ASSERT_TRUE(s_dialogView.seen);
        EXPECT_FALSE(IsWindowVisible(page_)) << "the page has ended";
        EXPECT_STREQ(g_setup.state.groupName, "Office Tools");
        EXPECT_EQ(Typed(), "Office Tools");
        EXPECT_TRUE(LinkExists("Office Tools", "Read Me"));
        DestroyWindow(page_);
        page_ = NULL;
        s_dialogView = DialogView();
    }
}

TEST_F(GroupPage, RefusesALongFolderNameChosenFromTheList)
{
    std::string longName(45, 'L');
    MakeGroups({longName.c_str()});
    Open();
    SendMessageA(Combo(), CB_SETCURSEL, 0, 0);
    BoxRecorder recorder;
    Click(page_, IDC_GROUP_CONTINUE);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "A group name may not be longer than 40 characters.");
    EXPECT_TRUE(IsWindowVisible(page_));
}

TEST_F(GroupPage, ContinueMakesTheShortcutsAndEndsThePage)
{
    MakeGroups({"Accessories"});
    Open();
    std::vector<Box> boxes = ContinueWith("Quorvel Ledger");
    EXPECT_EQ(boxes.size(), 0u);
    EXPECT_FALSE(IsWindowVisible(page_)) << "the page has ended";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page_, IDC_GROUP_CONTINUE)));
    EXPECT_EQ(g_setup.state.stepMask, (uint32_t)kStepShortcuts);
    EXPECT_STREQ(g_setup.state.groupName, "Quorvel Ledger");
    ASSERT_TRUE(s_dialogView.seen);
    EXPECT_EQ(s_dialogView.caption, "Creating Quorvel Shortcuts");
    EXPECT_EQ(s_dialogView.shortcut, "Read Me");
    EXPECT_EQ(s_dialogView.position, 5);
    for (const char* caption : {"Uninstall", "Update", "Quorvel", "Help", "Read Me"}) {
        EXPECT_TRUE(LinkExists("Quorvel Ledger", caption)) << caption;
    }
    EXPECT_TRUE(PathExists((root_ + "\\SendTo\\Quorvel.lnk").c_str()));
}

TEST_F(GroupPage, AnExistingGroupChosenFromTheListIsUsedAsItIs)
{
    MakeGroups({"Accessories"});
    WriteWholeFile(programs_ + "\\Accessories\\Notes.lnk", "kept");
    Open();
    SendMessageA(Combo(), CB_SETCURSEL, 0, 0);
    BoxRecorder recorder;
    Click(page_, IDC_GROUP_CONTINUE);
    EXPECT_EQ(recorder.boxes.size(), 0u);
    EXPECT_STREQ(g_setup.state.groupName, "Accessories");
    EXPECT_TRUE(LinkExists("Accessories", "Quorvel"));
    EXPECT_TRUE(LinkExists("Accessories", "Notes"));
}

TEST_F(GroupPage, AGroupThatCannotBeMadeEndsTheInstallation)
{
    // A file where the group folder should go.
    WriteWholeFile(programs_ + "\\Quorvel", "in the way");
    Open();
    std::vector<Box> boxes = ContinueWith("Quorvel");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Vantor");
    EXPECT_EQ(boxes[0].text, "Unable To Create Shortcuts!");
    EXPECT_EQ(boxes[0].icon, ErrorIcon());
    EXPECT_EQ(boxes[1].text, ABORT_NOTICE_TEXT);
    EXPECT_FALSE(IsWindowVisible(page_));
    EXPECT_FALSE(PathExists((root_ + "\\SendTo\\Quorvel.lnk").c_str()));
}

TEST_F(GroupPage, AMissingStartMenuEndsThePageAtOnce)
{
    for (const char* programs : {"C:\\vantor-tests\\pages-group\\Missing", ""}) {
        SCOPED_TRACE(programs);
        lstrcpyA(g_setup.state.programsFolder, programs);
        BoxRecorder recorder;
        INT_PTR result = DialogBoxParamA(SetupModule(), MAKEINTRESOURCEA(IDD_GROUP), NULL,
                                         GroupPageProc, 0);
        EXPECT_EQ(result, 2);
        ASSERT_EQ(recorder.boxes.size(), 2u);
        EXPECT_EQ(recorder.boxes[0].caption, "Vantor");
        EXPECT_EQ(recorder.boxes[0].text, "Unable to locate the Start Menu!");
        EXPECT_EQ(recorder.boxes[0].icon, ErrorIcon());
        EXPECT_EQ(recorder.boxes[1].text, ABORT_NOTICE_TEXT);
        EXPECT_EQ(recorder.boxes[1].icon, WarningIcon());
    }
}

TEST_F(GroupPage, TheCancelCommandAborts)
{
    Open();
    BoxRecorder recorder;
    Click(page_, IDCANCEL);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, ABORT_NOTICE_TEXT);
    EXPECT_FALSE(IsWindowVisible(page_));
}

TEST_F(GroupPage, DrawsTheFolderNameBesideItsIconAndNothingForNoItem)
{
    MakeGroups({"Accessories"});
    Open();
    g_backdrop.colours[kItemBack] = kMarkColour;
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_COMBOBOX;
    item.CtlID = IDC_GROUP_LIST;
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = Combo();
    item.rcItem = {0, 0, 300, 20};
    {
        Canvas canvas(300, 20);
        item.hDC = canvas.dc;
        item.itemID = 0;
        SendMessageA(page_, WM_DRAWITEM, IDC_GROUP_LIST, (LPARAM)&item);
        EXPECT_EQ(FirstColumnOf(canvas.dc, 10, 300, kMarkColour), 1 + 18);
    }
    {
        Canvas canvas(300, 20);
        item.hDC = canvas.dc;
        item.itemID = (UINT)-1;
        item.itemState = ODS_FOCUS;
        SendMessageA(page_, WM_DRAWITEM, IDC_GROUP_LIST, (LPARAM)&item);
        EXPECT_TRUE(canvas.AllWhite());
    }
    LendBackdropResources();
}

}  // namespace
