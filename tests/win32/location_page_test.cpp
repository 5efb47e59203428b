// The destination folder page, created from its template and worked as a
// user would: double clicks on the list, typing and the three buttons.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "install_pass.h"
#include "location_page.h"
#include "location_rules.h"
#include "page_harness.h"
#include "registry_records.h"
#include "shell_texts.h"

using namespace page_harness;

namespace {

const char kDefaultFolder[] = "C:\\Brindlemoor\\Quorvel";
const COLORREF kMarkColour = RGB(1, 2, 3);

struct Item {
    std::string text;
    LRESULT kind;
    bool operator==(const Item& other) const { return text == other.text && kind == other.kind; }
};

std::ostream& operator<<(std::ostream& out, const Item& item)
{
    return out << "{" << item.text << ", " << item.kind << "}";
}

// The shell's name for the computer, asked independently of the page.
std::string ComputerName()
{
    LPITEMIDLIST computer = NULL;
    SHFILEINFOA info = {};
    if (SUCCEEDED(SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &computer))) {
        SHGetFileInfoA((LPCSTR)computer, 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
        ILFree(computer);
    }
    return info.szDisplayName;
}

std::vector<std::string> FixedDrives()
{
    std::vector<std::string> drives;
    char roots[256] = {};
    GetLogicalDriveStringsA(sizeof roots - 1, roots);
    for (char* root = roots; *root != '\0'; root += strlen(root) + 1) {
        if (GetDriveTypeA(root) == DRIVE_FIXED) {
            drives.push_back(root);
        }
    }
    std::sort(drives.begin(), drives.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    return drives;
}

size_t LongestDestinationName()
{
    size_t longest = 0;
    for (int i = 0; i < g_setup.manifest.entryCount; ++i) {
        if (!(g_setup.manifest.files[i].flags & kIntoWindowsFolder)) {
            longest = std::max(longest, strlen(g_setup.manifest.files[i].targetName));
        }
    }
    return longest;
}

void SetPreviousFolder(const std::string& folder)
{
    SetMachineText(VENDOR_KEY, g_setup.manifest.productName, folder);
}

class LocationPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetInstallState();
        LendBackdropResources();
        ClearProductRegistry();
    }
    void TearDown() override
    {
        if (page_ != NULL) {
            DestroyWindow(page_);
        }
        ClearProductRegistry();
        ResetInstallState();
    }
    HWND Open()
    {
        if (page_ != NULL) {
            DestroyWindow(page_);
        }
        page_ = CreateDialogParamA(SetupModule(), MAKEINTRESOURCEA(IDD_LOCATION), NULL,
                                   LocationPageProc, 0);
        return page_;
    }
    HWND List() { return GetDlgItem(page_, IDC_FOLDER_LIST); }
    std::vector<Item> Items()
    {
        std::vector<Item> items;
        int count = (int)SendMessageA(List(), LB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
            char text[MAX_PATH];
            SendMessageA(List(), LB_GETTEXT, i, (LPARAM)text);
            items.push_back({text, SendMessageA(List(), LB_GETITEMDATA, i, 0)});
        }
        return items;
    }
    int Selected() { return (int)SendMessageA(List(), LB_GETCURSEL, 0, 0); }
    int IndexOf(const std::string& text)
    {
        return (int)SendMessageA(List(), LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text.c_str());
    }
    void DoubleClick(int index)
    {
        SendMessageA(List(), LB_SETCURSEL, index, 0);
        SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_FOLDER_LIST, LBN_DBLCLK), (LPARAM)List());
    }
    std::string Edit() { return ItemText(page_, IDC_FOLDER_EDIT); }
    void Type(const std::string& text) { SetDlgItemTextA(page_, IDC_FOLDER_EDIT, text.c_str()); }

    // Draws one row into a fresh canvas, with the item background in a
    // colour of its own so that the text box can be found.
    int TextBoxLeft(int index, UINT state = 0, COLORREF* inside = nullptr)
    {
        Canvas canvas(400, 20);
        COLORREF saved[2] = {g_backdrop.colours[kItemBack], g_backdrop.colours[kSelectedBack]};
        g_backdrop.colours[kItemBack] = kMarkColour;
        g_backdrop.colours[kSelectedBack] = kMarkColour;
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_LISTBOX;
        item.CtlID = IDC_FOLDER_LIST;
        item.itemID = (UINT)index;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = List();
        item.hDC = canvas.dc;
        item.rcItem = {0, 0, 400, 20};
        item.itemData = index >= 0 ? SendMessageA(List(), LB_GETITEMDATA, index, 0) : 0;
        EXPECT_EQ(DrawFolderItem(&item), 1);
        g_backdrop.colours[kItemBack] = saved[0];
        g_backdrop.colours[kSelectedBack] = saved[1];
        if (inside != nullptr) {
            *inside = canvas.AllWhite() ? RGB(255, 255, 255) : kMarkColour;
        }
        return FirstColumnOf(canvas.dc, 10, 400, kMarkColour);
    }

    HWND page_ = NULL;
};

TEST_F(LocationPage, FirstShowingProposesTheDefaultFolderAndItsChain)
{
    ASSERT_NE(Open(), (HWND)NULL);
    EXPECT_EQ(WindowText(page_), "Quorvel Program Location");
    EXPECT_EQ(ItemText(page_, IDC_PAGE_TEXT),
              "The program files for Quorvel will be installed to the following folder:");
    EXPECT_EQ(Edit(), kDefaultFolder);
    EXPECT_STREQ(g_setup.state.destinationFolder, kDefaultFolder);
    EXPECT_EQ(SendDlgItemMessageA(page_, IDC_FOLDER_EDIT, EM_GETLIMITTEXT, 0, 0), 259);
    std::vector<Item> expected = {{ComputerName(), kComputerItem},
                                  {"C:\\", kDriveItem},
                                  {"C:\\Brindlemoor", kFolderItem},
                                  {kDefaultFolder, kFolderItem}};
    EXPECT_EQ(Items(), expected);
    EXPECT_EQ(Selected(), 3);

    // Beside the backdrop's 150-pixel panel.
    RECT r;
    GetWindowRect(page_, &r);
    EXPECT_EQ(r.left, (g_setup.state.screenWidth - (r.right - r.left) + 150) / 2);
    EXPECT_EQ(r.top, (g_setup.state.screenHeight - (r.bottom - r.top)) / 2);
}

TEST_F(LocationPage, IndentsEachLinkOneLevelDeeper)
{
    Open();
    // Text box = item left + level * 8 + 1 + 18.
    EXPECT_EQ(TextBoxLeft(0), 19);
    EXPECT_EQ(TextBoxLeft(1), 27);
    EXPECT_EQ(TextBoxLeft(2), 35);
    EXPECT_EQ(TextBoxLeft(3), 43);
    EXPECT_EQ(TextBoxLeft(3, ODS_SELECTED), 43) << "selected rows use the selection colours";
}

TEST_F(LocationPage, DrawsNothingForARowWithoutItem)
{
    Open();
    COLORREF inside;
    EXPECT_EQ(TextBoxLeft(-1, ODS_FOCUS, &inside), -1);
    EXPECT_EQ(inside, RGB(255, 255, 255));
}

TEST_F(LocationPage, ColoursOnlyTheExplanatoryText)
{
    Open();
    Canvas canvas(4, 4);
    EXPECT_EQ(ColorPageText(canvas.dc, GetDlgItem(page_, IDC_PAGE_TEXT)),
              GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetTextColor(canvas.dc), RGB(0, 0, 128));
    EXPECT_EQ(GetBkColor(canvas.dc), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorPageText(canvas.dc, GetDlgItem(page_, IDC_RESET_FOLDER)), (HBRUSH)NULL);
}

TEST_F(LocationPage, ProposesThePreviousInstallationsFolder)
{
    SetPreviousFolder("C:\\Old Apps\\Quorvel");
    Open();
    EXPECT_EQ(Edit(), "C:\\Old Apps\\Quorvel");
    std::vector<Item> expected = {{ComputerName(), kComputerItem},
                                  {"C:\\", kDriveItem},
                                  {"C:\\Old Apps", kFolderItem},
                                  {"C:\\Old Apps\\Quorvel", kFolderItem}};
    EXPECT_EQ(Items(), expected);

    // A trailing backslash adds no link.
    SetPreviousFolder("C:\\Apps\\");
    ResetInstallState();
    Open();
    expected = {{ComputerName(), kComputerItem}, {"C:\\", kDriveItem}, {"C:\\Apps", kFolderItem}};
    EXPECT_EQ(Items(), expected);
    EXPECT_EQ(Selected(), 2);
    EXPECT_STREQ(g_setup.state.destinationFolder, "C:\\Apps\\");
}

TEST_F(LocationPage, FallsBackToTheDefaultWhenThePreviousFolderCouldNotBeTaken)
{
    // Already naming the product and as long as the longest file's path
    // allows: taken; one character longer, no longer.
    std::string named = "C:\\Quorvel\\" + std::string(247 - LongestDestinationName(), 'q');
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\" + std::string(245, 'p'), kDefaultFolder},  // with the product name, 256 characters
        {named, named},
        {named + "q", kDefaultFolder},
        {"", kDefaultFolder},
        // Stored by an older setup that took it: Continue would refuse it
        // now; or on a drive that is gone.
        {"C:\\Quorvel\\..\\Windows", kDefaultFolder},
        {"Q:\\Old Apps\\Quorvel", kDefaultFolder},
    };
    for (const auto& c : cases) {
        SetPreviousFolder(c.first);
        ResetInstallState();
        Open();
        EXPECT_EQ(Edit(), c.second) << c.first;
    }
}

TEST_F(LocationPage, ResetFolderRestoresTheDefaultOnlyWhenItChanged)
{
    Open();
    DoubleClick(1);
    EXPECT_EQ(Edit(), "C:\\");
    EXPECT_GT(Items().size(), 2u);
    Click(page_, IDC_RESET_FOLDER);
    EXPECT_EQ(Edit(), kDefaultFolder);
    EXPECT_EQ(Items().size(), 4u);
    EXPECT_EQ(Selected(), 3);

    // Destination already the default: typing stays, nothing is refilled.
    Type("D:\\typed");
    SendMessageA(List(), LB_SETCURSEL, 0, 0);
    Click(page_, IDC_RESET_FOLDER);
    EXPECT_EQ(Edit(), "D:\\typed");
    EXPECT_EQ(Selected(), 0);
}

TEST_F(LocationPage, TheComputerSwitchesToTheFixedDrives)
{
    Open();
    std::string computer = ComputerName();
    DoubleClick(0);
    EXPECT_EQ(Edit(), computer);
    EXPECT_EQ(g_setup.state.destinationFolder, computer);
    std::vector<Item> expected = {{computer, kComputerItem}};
    for (const std::string& drive : FixedDrives()) {
        expected.push_back({drive, kDriveItem});
    }
    EXPECT_EQ(Items(), expected);
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(TextBoxLeft(1), 27) << "drives are one level in";

    // The computer again, in drive mode: nothing happens.
    Type("typed");
    DoubleClick(0);
    EXPECT_EQ(Edit(), "typed");
    Type(computer);

    {
        BoxRecorder recorder;
        Click(page_, IDOK);
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.boxes[0].caption, "Vantor");
        EXPECT_EQ(recorder.boxes[0].text, "Path Invalid!\r\n\r\nMissing : or \\ in drive.");
        EXPECT_EQ(recorder.boxes[0].icon, WarningIcon());
    }
    EXPECT_TRUE(IsWindowVisible(page_));
    EXPECT_EQ(GetFocus(), GetDlgItem(page_, IDC_FOLDER_EDIT));

    // A drive opens in folder mode.
    DoubleClick(IndexOf("C:\\"));
    EXPECT_EQ(Edit(), "C:\\");
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(Items()[1], (Item{"C:\\", kDriveItem}));
}

TEST_F(LocationPage, MovesUpToAncestorsAndDownIntoSubfolders)
{
    std::string root = MakeTestFolder("pages-nav");
    std::string apps = root + "\\Apps";
    CreateDirectoryA(apps.c_str(), NULL);
    for (const char* name : {"Beta", "alpha", ".hidden"}) {
        CreateDirectoryA((apps + "\\" + name).c_str(), NULL);
    }
    WriteWholeFile(apps + "\\file.txt", "not a folder");
    SetPreviousFolder(root);
    Open();
    std::vector<Item> expected = {{ComputerName(), kComputerItem},
                                  {"C:\\", kDriveItem},
                                  {"C:\\vantor-tests", kFolderItem},
                                  {root, kFolderItem},
                                  {apps, kFolderItem}};
    EXPECT_EQ(Items(), expected);
    EXPECT_EQ(Selected(), 3);

    DoubleClick(4);
    expected = {{ComputerName(), kComputerItem}, {"C:\\", kDriveItem},
                {"C:\\vantor-tests", kFolderItem}, {root, kFolderItem},
                {apps, kFolderItem},             {apps + "\\alpha", kFolderItem},
                {apps + "\\Beta", kFolderItem}};
    EXPECT_EQ(Items(), expected);
    EXPECT_EQ(Selected(), 4);
    EXPECT_EQ(Edit(), apps);
    EXPECT_EQ(TextBoxLeft(4), 4 * 8 + 19);
    EXPECT_EQ(TextBoxLeft(5), 5 * 8 + 19) << "subfolders one level below the current folder";
    EXPECT_EQ(TextBoxLeft(6), 5 * 8 + 19);

    // The current folder again: nothing happens, typing included.
    Type("typed");
    DoubleClick(4);
    EXPECT_EQ(Edit(), "typed");

    DoubleClick(2);
    EXPECT_EQ(Edit(), "C:\\vantor-tests");
    EXPECT_EQ(Selected(), 2);
    EXPECT_GE(IndexOf(root), 3);
    RemoveTree(root);
}

TEST_F(LocationPage, StopsListingAtFiveHundredItems)
{
    std::string many = MakeTestFolder("pages-many");
    for (int i = 0; i < 520; ++i) {
        char name[16];
        wsprintfA(name, "\\f%03d", i);
        CreateDirectoryA((many + name).c_str(), NULL);
    }
    SetPreviousFolder(many);
    Open();
    EXPECT_EQ(Items().size(), 500u);
    EXPECT_EQ(Selected(), 3);
    EXPECT_EQ(TextBoxLeft(499), 4 * 8 + 19);
    RemoveTree(many);
}

struct ContinueCase {
    const char* typed;
    const char* refusal;      // the box's text, or null when accepted
    const char* destination;  // when accepted
};

TEST_F(LocationPage, ContinueChecksAndStoresTheTypedFolder)
{
    std::string tooLong = "C:\\" + std::string(245, 'a');  // 248 + "\Quorvel" = 256
    // The longest destination leaves room for the longest file's path:
    // "C:\" + n + "\Quorvel" + "\" + name holds 259 characters.
    size_t name = LongestDestinationName();
    std::string longest = "C:\\" + std::string(247 - name, 'a');
    std::string noRoom = "C:\\" + std::string(248 - name, 'a');
    std::string typedMax = "C:\\Quorvel\\" + std::string(248, 'b');  // 259, as the edit allows
    std::string longestJoined = longest + "\\Quorvel";
    const char* const kBadNameText =
        "Path Invalid!\r\n\r\nA folder name may not be empty, . or .., contain / : * ? \" < > | "
        "or end with a space or a dot.";
    const char* const kDeviceText =
        "Path Invalid!\r\n\r\nA folder name may not be a device name:\r\nCON, PRN, AUX, NUL, "
        "COM1 to COM9, LPT1 to LPT9.";
    const ContinueCase cases[] = {
        {"", "Path Invalid!\r\n\r\nPath may not be empty!", nullptr},
        {"C:", "Path Invalid!\r\n\r\nMissing : or \\ in drive.", nullptr},
        {"C:/Apps", "Path Invalid!\r\n\r\nMissing : or \\ in drive.", nullptr},
        {"C:\\", "Path Invalid!\r\n\r\nPath may not be a root drive...", nullptr},
        {typedMax.c_str(), "Path Invalid!\r\n\r\nPath is too long.", nullptr},
        {tooLong.c_str(), "Path Invalid!\r\n\r\nPath is too long.", nullptr},
        {noRoom.c_str(), "Path Invalid!\r\n\r\nPath is too long.", nullptr},
        {"C:\\Quorvel\\..\\Windows", kBadNameText, nullptr},
        {"C:\\Quorvel\\..", kBadNameText, nullptr},
        {"C:\\Apps\\.\\Quorvel", kBadNameText, nullptr},
        {"C:\\\\Quorvel", kBadNameText, nullptr},
        {"C:\\Apps/Quorvel", kBadNameText, nullptr},
        {"C:\\Quorvel.", kBadNameText, nullptr},
        {"1:\\Quorvel", "Path Invalid!\r\n\r\nThe drive must be a letter from A to Z.", nullptr},
        {"C:\\Apps\\LPT1.txt", kDeviceText, nullptr},
        {"c:\\quorvel stuff", nullptr, "c:\\quorvel stuff"},
        {"C:\\Apps", nullptr, "C:\\Apps\\Quorvel"},
        {"C:\\Apps\\", nullptr, "C:\\Apps\\Quorvel"},
        {longest.c_str(), nullptr, longestJoined.c_str()},
    };
    for (const ContinueCase& c : cases) {
        SCOPED_TRACE(c.typed);
        ResetInstallState();
        Open();
        Type(c.typed);
        BoxRecorder recorder;
        Click(page_, IDOK);
        if (c.refusal != nullptr) {
            ASSERT_EQ(recorder.boxes.size(), 1u);
            EXPECT_EQ(recorder.boxes[0].caption, "Vantor");
            EXPECT_EQ(recorder.boxes[0].text, c.refusal);
            EXPECT_EQ(recorder.boxes[0].icon, WarningIcon());
            EXPECT_TRUE(IsWindowVisible(page_)) << "the page stays open";
            EXPECT_EQ(GetFocus(), GetDlgItem(page_, IDC_FOLDER_EDIT));
            EXPECT_STREQ(g_setup.state.destinationFolder, kDefaultFolder);
            EXPECT_EQ(Edit(), c.typed);
        } else {
            EXPECT_EQ(recorder.boxes.size(), 0u);
            EXPECT_FALSE(IsWindowVisible(page_)) << "the page has ended";
            EXPECT_STREQ(g_setup.state.destinationFolder, c.destination);
            EXPECT_EQ(Edit(), c.destination);
            EXPECT_EQ(Items().back().text, c.destination);
        }
    }
}

TEST_F(LocationPage, AsksBeforeSharingAFolderWithFilesThatAreNotTheProducts)
{
    std::string root = MakeTestFolder("pages-shared");
    std::string notes = root + "\\Quorvel Notes";
    std::string data = root + "\\Quorvel Data";
    // Only the product's record marks an earlier installation, not a file
    // of its main program's name.
    std::string lookalike = root + "\\Quorvel Lookalike";
    for (const std::string& folder : {notes, notes + "\\Photos", data, lookalike}) {
        CreateDirectoryA(folder.c_str(), NULL);
    }
    ASSERT_TRUE(WriteWholeFile(notes + "\\thesis.docx", "mine"));
    ASSERT_TRUE(WriteWholeFile(data + "\\Ledger.DAT", "the product's data"));
    const char* program = g_setup.manifest.files[kMainProgramEntry].targetName;
    ASSERT_TRUE(WriteWholeFile(lookalike + "\\" + program, "not the product's"));
    ASSERT_TRUE(WriteWholeFile(lookalike + "\\stray.txt", "old"));
    std::string open = root + "\\Open";
    CreateDirectoryA(open.c_str(), NULL);
    ASSERT_TRUE(LetEveryoneChange(open));
    auto question = [](const std::string& folder) {
        return "The folder\r\n" + folder +
               "\r\nalready holds files or folders that Quorvel did not install. If you "
               "install Quorvel here, installing it again later deletes those files.\r\n\r\n"
               "Do you want to install Quorvel into this folder anyway?";
    };
    const struct {
        std::string typed;
        int answer;
        bool accepted;
        std::string box;  // empty: no box expected
    } cases[] = {
        {notes, kPressEnter, false, question(notes)},  // No is the default
        {notes, IDNO, false, question(notes)},
        {notes, IDYES, true, question(notes)},
        {data, IDOK, true, ""},
        {lookalike, IDNO, false, question(lookalike)},
        // Refused: a file on the way, which would stop the pass at its
        // first file, and a folder that was there and others may change,
        // named with what to do.
        {notes + "\\thesis.docx\\Quorvel", IDOK, false,
         "Path Invalid!\r\n\r\nThe path leads through a link, a junction or a file."},
        {open, IDOK, false,
         "Path Invalid!\r\n\r\nThe folder\r\n" + open +
             "\r\ncan be changed by users other than administrators, who could then replace the "
             "programs installed there.\r\n\r\nPlease choose another folder."},
        // A new folder below it is refused the same way, naming the open one.
        {open + "\\Quorvel", IDOK, false,
         "Path Invalid!\r\n\r\nThe folder\r\n" + open +
             "\r\ncan be changed by users other than administrators, who could then replace the "
             "programs installed there.\r\n\r\nPlease choose another folder."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed + (c.answer == IDYES ? " (Yes)" : ""));
        ResetInstallState();
        Open();
        Type(c.typed);
        BoxRecorder recorder(c.answer);
        Click(page_, IDOK);
        ASSERT_EQ(recorder.boxes.size(), c.box.empty() ? 0u : 1u);
        if (!c.box.empty()) {
            EXPECT_EQ(recorder.boxes[0].text, c.box);
            EXPECT_EQ(recorder.boxes[0].icon, WarningIcon());
        }
        EXPECT_EQ(IsWindowVisible(page_) == FALSE, c.accepted);
        EXPECT_STREQ(g_setup.state.destinationFolder, c.accepted ? c.typed.c_str() : kDefaultFolder);
    }
    EXPECT_TRUE(PathExists((notes + "\\thesis.docx").c_str())) << "asking changes nothing";
    RemoveTree(root);
}

TEST_F(LocationPage, CancelShowsTheAbortNotice)
{
    Open();
    BoxRecorder recorder;
    Click(page_, IDCANCEL);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].caption, "Vantor");
    EXPECT_EQ(recorder.boxes[0].text, ABORT_NOTICE_TEXT);
    EXPECT_EQ(recorder.boxes[0].icon, WarningIcon());
    EXPECT_FALSE(IsWindowVisible(page_));
}

TEST_F(LocationPage, RunsAsAModalPageAndEndsWithOneOnContinue)
{
    // The chain's way of showing it: modal, ended by the page itself.
    struct Driver {
        static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
        {
            KillTimer(NULL, timer);
            HWND page = FindWindowA("#32770", "Quorvel Program Location");
            SetDlgItemTextA(page, IDC_FOLDER_EDIT, "C:\\Modal");
            Click(page, IDOK);
        }
    };
    SetTimer(NULL, 0, 300, Driver::Tick);
    INT_PTR result = DialogBoxParamA(SetupModule(), MAKEINTRESOURCEA(IDD_LOCATION), NULL,
                                     LocationPageProc, 0);
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(g_setup.state.destinationFolder, "C:\\Modal\\Quorvel");
}

}  // namespace
