// The extraction page: its folder slots, the percent bar's picture, the
// progress it shows, and whole runs of the pass from its timer.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <string.h>

#include <string>

#include "extraction_page.h"
#include "install_pass.h"
#include "page_harness.h"
#include "path_helpers.h"
#include "registry_records.h"
#include "shell_texts.h"

using namespace page_harness;

namespace {

const COLORREF kNavy = RGB(0, 0, 128);
const char kPageCaption[] = "Installing Quorvel Program Files";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string Normalised(std::string path)
{
    NormaliseFolderCase(&path[0]);
    return path;
}

std::string ShellFolder(int id)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, id, NULL, SHGFP_TYPE_CURRENT, path);
    return Normalised(path);
}

struct BarPicture {
    int width;
    int split;          // first column of the top row that is not navy
    bool whiteOverBar;  // some of the text is white left of the split
    bool darkOverGround;
    bool groundIsFace;  // the top row right of the split is the button face
};

BarPicture PaintBar(HWND page, uint16_t value)
{
    g_setup.state.barValue = value;
    HWND bar = GetDlgItem(page, IDC_PERCENT_BAR);
    RECT client;
    GetClientRect(bar, &client);
    Canvas canvas(client.right, client.bottom);
    SendMessageA(bar, WM_PRINTCLIENT, (WPARAM)canvas.dc, PRF_CLIENT);
    BarPicture picture = {client.right, client.right, false, false, true};
    for (int x = 0; x < client.right; ++x) {
        if (GetPixel(canvas.dc, x, 0) != kNavy) {
            picture.split = x;
            break;
        }
    }
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int x = picture.split; x < client.right; ++x) {
        picture.groundIsFace = picture.groundIsFace && GetPixel(canvas.dc, x, 0) == face;
    }
    for (int y = 1; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            COLORREF c = GetPixel(canvas.dc, x, y);
            if (x < picture.split && GetRValue(c) > 200) {
                picture.whiteOverBar = true;
            }
            if (x >= picture.split && c != face && GetRValue(c) < 100 && GetBValue(c) > GetRValue(c)) {
                picture.darkOverGround = true;
            }
        }
    }
    return picture;
}

// Counts the bar's paints, beneath the page's own procedure.
WNDPROC s_barProc;
int s_barPaints;
LRESULT CALLBACK CountBarPaints(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        ++s_barPaints;
    }
    return CallWindowProcA(s_barProc, bar, message, wParam, lParam);
}

// What the page showed just before it went away.
struct LastView {
    bool seen;
    std::string total, current, files, file, extracting;
    int barSplit;
    int barWidth;
};
LastView s_lastView;
HHOOK s_viewHook;
std::string s_windowsFolder;  // where the page's run puts Windows-folder files

LRESULT CALLBACK WatchPage(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = (HWND)wParam;
    if (code == HCBT_ACTIVATE && GetDlgItem(window, IDC_PERCENT_BAR) != NULL) {
        // The page has filled its slots; keep the test's own Windows folder.
        lstrcpyA(g_setup.state.windowsFolder, s_windowsFolder.c_str());
    }
    if (code == HCBT_DESTROYWND && GetDlgItem(window, IDC_PERCENT_BAR) != NULL) {
        s_lastView.seen = true;
        s_lastView.total = ItemText(window, IDC_TOTAL_SIZE);
        s_lastView.current = ItemText(window, IDC_CURRENT_SIZE);
        s_lastView.files = ItemText(window, IDC_TOTAL_FILES);
        s_lastView.file = ItemText(window, IDC_CURRENT_FILE);
        s_lastView.extracting = ItemText(window, IDC_EXTRACTING);
        BarPicture bar = PaintBar(window, g_setup.state.barValue);
        s_lastView.barSplit = bar.split;
        s_lastView.barWidth = bar.width;
    }
    return CallNextHookEx(s_viewHook, code, wParam, lParam);
}

// Tries to end the page the ways a user or another program could.
DWORD WINAPI PressToCancel(void*)
{
    Sleep(700);
    HWND page = FindWindowA("#32770", kPageCaption);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageA(page, WM_CLOSE, 0, 0);
    PostMessageA(page, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

class ExtractionPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = g_setup.manifest;
        ResetInstallState();
        LendBackdropResources();
        ClearProductRegistry();
        root_ = MakeTestFolder("pages-extract");
        s_windowsFolder = root_ + "\\Win";
        CreateDirectoryA(s_windowsFolder.c_str(), NULL);
        lstrcpyA(g_setup.state.destinationFolder, (root_ + "\\Quorvel").c_str());
        s_lastView = LastView();
    }
    void TearDown() override
    {
        if (page_ != NULL) {
            DestroyWindow(page_);
        }
        g_setup.manifest = saved_;
        RemoveTree(root_);
        ClearProductRegistry();
        ResetInstallState();
    }
    // Created but never left to its timer.
    HWND OpenStill()
    {
        page_ = CreateDialogParamA(SetupModule(), MAKEINTRESOURCEA(IDD_EXTRACTION), NULL,
                                   ExtractionPageProc, 0);
        KillTimer(page_, IDT_EXTRACTION_START);
        return page_;
    }
    INT_PTR RunModal()
    {
        s_viewHook = SetWindowsHookExA(WH_CBT, WatchPage, NULL, GetCurrentThreadId());
        INT_PTR result = DialogBoxParamA(SetupModule(), MAKEINTRESOURCEA(IDD_EXTRACTION), NULL,
                                         ExtractionPageProc, 0);
        UnhookWindowsHookEx(s_viewHook);
        return result;
    }
    uint32_t UnpackedTotal(int entries)
    {
        uint32_t total = 0;
        for (int i = 0; i < entries; ++i) {
            total += g_setup.manifest.files[i].unpackedSize;
        }
        return total;
    }

    ProductManifest saved_;
    std::string root_;
    HWND page_ = NULL;
};

TEST_F(ExtractionPage, FillsTheFolderSlotsWhenItOpens)
{
    ASSERT_NE(OpenStill(), (HWND)NULL);
    EXPECT_EQ(WindowText(page_), kPageCaption);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(g_setup.state.windowsFolder, Normalised(windows));
    EXPECT_EQ(g_setup.state.programsFolder, ShellFolder(CSIDL_PROGRAMS));
    EXPECT_EQ(g_setup.state.sendToFolder, ShellFolder(CSIDL_SENDTO));
    EXPECT_STRNE(g_setup.state.programsFolder, "");
    EXPECT_STRNE(g_setup.state.sendToFolder, "");
}

TEST_F(ExtractionPage, LeavesASlotEmptyWhenTheShellFolderIsTooLong)
{
    // A Programs folder of 256 characters: one more than a slot holds.
    std::string deep = root_ + "\\" + std::string(120, 'p');
    CreateDirectoryA(deep.c_str(), NULL);
    deep += "\\" + std::string(255 - deep.size(), 'q');
    ASSERT_EQ(deep.size(), 256u);
    if (!CreateDirectoryA(deep.c_str(), NULL)) {
        GTEST_SKIP() << "no folder of 256 characters here";
    }
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    char saved[MAX_PATH] = "";
    DWORD size = sizeof saved;
    DWORD type = REG_EXPAND_SZ;
    RegQueryValueExA(key, "Programs", NULL, &type, (BYTE*)saved, &size);
    RegSetValueExA(key, "Programs", 0, REG_SZ, (const BYTE*)deep.c_str(), (DWORD)deep.size() + 1);
    bool shellTakesIt = ShellFolder(CSIDL_PROGRAMS) == Normalised(deep);
    OpenStill();
    RegSetValueExA(key, "Programs", 0, type, (const BYTE*)saved, size);
    RegCloseKey(key);
    if (!shellTakesIt) {
        GTEST_SKIP() << "this shell keeps its own Programs folder";
    }
    EXPECT_STREQ(g_setup.state.programsFolder, "");
    EXPECT_EQ(g_setup.state.sendToFolder, ShellFolder(CSIDL_SENDTO));
}

// Sets a shell folder of the user's to a path for the life of the object.
struct ShellFolderRedirect {
    ShellFolderRedirect(const char* name, const std::wstring& path) : name_(name)
    {
        RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_ALL_ACCESS, &key_);
        RegQueryValueExA(key_, name_, NULL, &type_, (BYTE*)saved_, &size_);
        RegSetValueExW(key_, std::wstring(name_, name_ + strlen(name_)).c_str(), 0, REG_SZ,
                       (const BYTE*)path.c_str(), (DWORD)(path.size() + 1) * sizeof(WCHAR));
        WCHAR shell[MAX_PATH] = L"";
        SHGetFolderPathW(NULL, CSIDL_PROGRAMS, NULL, SHGFP_TYPE_CURRENT, shell);
        taken = path == shell;
    }
    ~ShellFolderRedirect()
    {
        RegSetValueExA(key_, name_, 0, type_, (const BYTE*)saved_, size_);
        RegCloseKey(key_);
    }
    bool taken;
    const char* name_;
    HKEY key_ = NULL;
    DWORD type_ = REG_EXPAND_SZ;
    char saved_[MAX_PATH] = "";
    DWORD size_ = sizeof saved_;
};

// Letters of no Western code page: the folder of a user named so.
const wchar_t kForeignName[] = L"\x041C\x0435\x043D\x044E";

// The test folder's removal takes names of the code page only.
void RemoveForeignFolder(const std::wstring& folder)
{
    DeleteFileW((folder + L"\\marker").c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(ExtractionPage, NamesAShellFolderTheCodePageCannotExpressByItsShortName)
{
    std::wstring programs = std::wstring(root_.begin(), root_.end()) + L"\\" + kForeignName;
    RemoveForeignFolder(programs);
    ASSERT_TRUE(CreateDirectoryW(programs.c_str(), NULL));
    HANDLE marker = CreateFileW((programs + L"\\marker").c_str(), GENERIC_WRITE, 0, NULL,
                                CREATE_NEW, 0, NULL);
    ASSERT_NE(marker, INVALID_HANDLE_VALUE);
    CloseHandle(marker);
    ShellFolderRedirect redirect("Programs", programs);
    if (!redirect.taken) {
        GTEST_SKIP() << "this shell keeps its own Programs folder";
    }
    OpenStill();
    std::string slot = g_setup.state.programsFolder;
    ASSERT_NE(slot, "");
    EXPECT_EQ(slot.find('?'), std::string::npos) << slot;
    EXPECT_TRUE(PathExists((slot + "\\marker").c_str())) << slot << " is the same folder";
    BoxRecorder recorder;
    DestroyWindow(page_);
    page_ = NULL;
    EXPECT_EQ(RunModal(), 1) << "the installation goes on";
    EXPECT_EQ(recorder.boxes.size(), 0u);
    RemoveForeignFolder(programs);
}

TEST_F(ExtractionPage, NoPathNamesAForeignFolderWithoutAShortName)
{
    // Not there, so it has no short name either: the case of a disk that
    // keeps none.
    std::wstring missing = std::wstring(root_.begin(), root_.end()) + L"\\" + kForeignName;
    RemoveForeignFolder(missing);
    char path[MAX_PATH] = "x";
    EXPECT_FALSE(PathInCodePage(missing.c_str(), path, sizeof path));
    EXPECT_STREQ(path, "");
    std::wstring plain = std::wstring(root_.begin(), root_.end());
    ASSERT_TRUE(PathInCodePage(plain.c_str(), path, sizeof path));
    EXPECT_EQ(path, root_) << "a path the code page expresses stays as it is, long names too";
}

TEST_F(ExtractionPage, PercentBarSplitsAtItsValue)
{
    OpenStill();
    BarPicture empty = PaintBar(page_, 0);
    EXPECT_EQ(empty.split, 0);
    EXPECT_TRUE(empty.groundIsFace);
    EXPECT_TRUE(empty.darkOverGround) << "0% in dark blue on the ground";

    BarPicture one = PaintBar(page_, 1);
    EXPECT_EQ(one.split, one.width / 200);
    EXPECT_TRUE(one.groundIsFace);

    BarPicture half = PaintBar(page_, 100);
    EXPECT_EQ(half.split, half.width * 100 / 200);
    EXPECT_TRUE(half.groundIsFace);
    EXPECT_TRUE(half.whiteOverBar) << "the centred text is white over the bar";
    EXPECT_TRUE(half.darkOverGround) << "and dark blue beyond it";

    BarPicture almost = PaintBar(page_, 199);
    EXPECT_EQ(almost.split, almost.width * 199 / 200);

    BarPicture full = PaintBar(page_, 200);
    EXPECT_EQ(full.split, full.width);
    EXPECT_TRUE(full.whiteOverBar);
    EXPECT_FALSE(full.darkOverGround);
}

TEST_F(ExtractionPage, PercentBarDoesNotEraseItsBackground)
{
    OpenStill();
    Canvas canvas(50, 10);
    EXPECT_EQ(SendMessageA(GetDlgItem(page_, IDC_PERCENT_BAR), WM_ERASEBKGND,
                           (WPARAM)canvas.dc, 0),
              1);
    EXPECT_TRUE(canvas.AllWhite());
}

TEST_F(ExtractionPage, RepaintsTheBarOnlyWhenItsValueChanges)
{
    OpenStill();
    RedrawWindow(page_, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HWND bar = GetDlgItem(page_, IDC_PERCENT_BAR);
    s_barProc = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)CountBarPaints);
    s_barPaints = 0;

    g_setup.state.progressTotal = 560554;
    AdvanceProgress(page_, 1024);
    EXPECT_EQ(g_setup.state.barValue, 0);
    EXPECT_EQ(ItemText(page_, IDC_CURRENT_SIZE), "1,024");
    EXPECT_EQ(s_barPaints, 0) << "a first report too small for the bar leaves it";
    AdvanceProgress(page_, 2048);
    EXPECT_EQ(g_setup.state.barValue, 1);
    EXPECT_EQ(s_barPaints, 1);
    AdvanceProgress(page_, 1);
    EXPECT_EQ(s_barPaints, 1);
    EXPECT_EQ(ItemText(page_, IDC_CURRENT_SIZE), "3,073");

    // Totals whose done x 200 leaves 32 bits.
    g_setup.state.progressTotal = 21474837;
    g_setup.state.progressDone = 0;
    AdvanceProgress(page_, 21474837);
    EXPECT_EQ(g_setup.state.barValue, 200);
    g_setup.state.progressTotal = 0xFFFFFFFFu;
    g_setup.state.progressDone = 0;
    AdvanceProgress(page_, 0x80000000u);
    EXPECT_EQ(g_setup.state.barValue, 100);
    EXPECT_EQ(ItemText(page_, IDC_CURRENT_SIZE), "2,147,483,648");
    AdvanceProgress(page_, 0x80000000u);
    EXPECT_EQ(g_setup.state.progressDone, 0xFFFFFFFFu) << "clamped to the total";
    EXPECT_EQ(g_setup.state.barValue, 200);
    EXPECT_EQ(ItemText(page_, IDC_CURRENT_SIZE), "4,294,967,295");
    SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)s_barProc);
}

TEST_F(ExtractionPage, RunsThePassFromItsTimerAndIgnoresCancelAndClose)
{
    g_setup.manifest.entryCount = 3;
    BoxRecorder recorder;
    HANDLE presser = CreateThread(NULL, 0, PressToCancel, NULL, 0, NULL);
    EXPECT_EQ(RunModal(), 1);
    WaitForSingleObject(presser, INFINITE);
    CloseHandle(presser);
    EXPECT_EQ(recorder.boxes.size(), 0u);

    ASSERT_TRUE(s_lastView.seen);
    EXPECT_EQ(s_lastView.files, "3");
    EXPECT_EQ(s_lastView.file, "3");
    EXPECT_EQ(s_lastView.current, s_lastView.total);
    EXPECT_EQ(g_setup.state.progressDone, UnpackedTotal(3));
    EXPECT_EQ(g_setup.state.barValue, 200);
    EXPECT_EQ(s_lastView.barSplit, s_lastView.barWidth) << "the bar is full";
    EXPECT_EQ(s_lastView.extracting, std::string(g_setup.state.destinationFolder) + "\\Quorvel.exe");
    EXPECT_TRUE(PathExists((s_windowsFolder + "\\Qorvunst.exe").c_str()));
    EXPECT_TRUE(PathExists((std::string(g_setup.state.destinationFolder) + "\\Pembrix.exe").c_str()));
}

TEST_F(ExtractionPage, WithoutEntriesEndsWithAnEmptyBar)
{
    g_setup.manifest.entryCount = 0;
    EXPECT_EQ(RunModal(), 1);
    ASSERT_TRUE(s_lastView.seen);
    EXPECT_EQ(s_lastView.current, "");
    EXPECT_EQ(s_lastView.total, "0");
    EXPECT_EQ(s_lastView.barSplit, 0);
    EXPECT_EQ(g_setup.state.barValue, 0);
}

TEST_F(ExtractionPage, AFailedPassEndsWithTheAbortNotice)
{
    lstrcpyA(g_setup.state.destinationFolder, "Q:\\no drive\\Quorvel");
    BoxRecorder recorder;
    EXPECT_EQ(RunModal(), 2);
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[0].text, CREATE_FAILED_TEXT);
    EXPECT_EQ(recorder.boxes[0].icon, ErrorIcon());
    EXPECT_EQ(recorder.boxes[1].caption, "Vantor");
    EXPECT_EQ(recorder.boxes[1].text, ABORT_NOTICE_TEXT);
    EXPECT_EQ(recorder.boxes[1].icon, WarningIcon());
}

}  // namespace
