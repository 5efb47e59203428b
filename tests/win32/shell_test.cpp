// Start-up, page services, the welcome page and the chain links, with the
// setup program's own templates.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "install_state.h"
#include "page_ids.h"
#include "page_services.h"
#include "registry_records.h"
#include "shell_ids.h"
#include "shell_start.h"
#include "shell_texts.h"
#include "test_support.h"
#include "wizard.h"

namespace {

std::string WindowText(HWND window)
{
    char text[1024];
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string CurrentYear()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char year[16];
    wsprintfA(year, "%d", (int)now.wYear);
    return year;
}

void UseScreen(int width, int height)
{
    g_setup.state.screenWidth = width;
    g_setup.state.screenHeight = height;
}

// Registers the program's classes once, as the entry point does.
void RegisterOnce()
{
    static bool done = false;
    if (!done) {
        RegisterWindowClasses();
        done = true;
    }
}

// Commands posted to the page as soon as it is initialised, so that a modal
// run of it can be driven to its end.
struct PostedCommand {
    WORD id;
    WORD code;
};
const PostedCommand* s_commands;
int s_commandCount;
DLGPROC s_pageProc;

INT_PTR CALLBACK PostCommandsAfterInit(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = s_pageProc(page, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        for (int i = 0; i < s_commandCount; ++i) {
            PostMessageA(page, WM_COMMAND, MAKEWPARAM(s_commands[i].id, s_commands[i].code), 0);
        }
    }
    return result;
}

template <int N>
INT_PTR RunModal(WORD dialogId, DLGPROC proc, const PostedCommand (&commands)[N])
{
    s_commands = commands;
    s_commandCount = N;
    s_pageProc = proc;
    return DialogBoxParamA(g_setup.state.instance, MAKEINTRESOURCEA(dialogId), NULL,
                           PostCommandsAfterInit, 0);
}

// A stand-in backdrop: a plain window whose destruction the chain decides.
HWND CreateStandInBackdrop()
{
    HWND window = CreateWindowExA(0, "STATIC", "backdrop", WS_POPUP, 0, 0, 200, 200, NULL, NULL,
                                  NULL, NULL);
    g_setup.state.backdrop = window;
    return window;
}

// Runs from the licence page's modal loop.
void CALLBACK RefuseTheLicence(HWND, UINT, UINT_PTR, DWORD)
{
    HWND page = FindWindowA(MAKEINTATOM(32770), PRODUCT_NAME " License Agreement");
    if (page != NULL) {
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    }
}

}  // namespace

TEST(CenteredOrigin, BesideThePanelOrOnTheWholeScreen)
{
    UseScreen(1024, 768);
    POINT page = CenteredOrigin(300, 200, true);
    EXPECT_EQ(437, page.x);
    EXPECT_EQ(284, page.y);
    POINT welcome = CenteredOrigin(300, 200, false);
    EXPECT_EQ(362, welcome.x);
    EXPECT_EQ(284, welcome.y);
}

TEST(CenteredOrigin, APageWiderThanItsAreaTruncatesTowardZero)
{
    UseScreen(640, 480);
    // (640 - 795 + 150) / 2 = -5 / 2
    EXPECT_EQ(-2, CenteredOrigin(795, 100, true).x);
    EXPECT_EQ(-1, CenteredOrigin(100, 483, false).y);
}

TEST(PauseElapsed, LastsItsFullDurationAcrossTheTickWrap)
{
    const DWORD start = 0xFFFFFF00u;
    EXPECT_FALSE(PauseElapsed(start, 0xFFFFFFF0u, 500));
    EXPECT_FALSE(PauseElapsed(start, 0x000000F3u, 500));  // 499 ms after the wrap
    EXPECT_TRUE(PauseElapsed(start, 0x000000F4u, 500));
    EXPECT_TRUE(PauseElapsed(start, 0x00000400u, 500));
}

TEST(FormatPageText, APercentInTheProductNameIsShownAsItStands)
{
    char saved[kProductNameSize];
    memcpy(saved, g_setup.manifest.productName, sizeof saved);
    strcpy(g_setup.manifest.productName, "50%s %d Off");

    HWND window = CreateWindowExA(0, "STATIC", "%s Setup", WS_POPUP, 0, 0, 100, 100, NULL, NULL,
                                  NULL, NULL);
    HWND text = CreateWindowExA(0, "STATIC", "Install %s now.", WS_CHILD, 0, 0, 50, 20, window,
                                (HMENU)IDC_PAGE_TEXT, NULL, NULL);
    FormatPageText(window, true);
    EXPECT_EQ("50%s %d Off Setup", WindowText(window));
    EXPECT_EQ("Install %s now.", WindowText(text));
    FormatPageText(window, false);
    EXPECT_EQ("Install 50%s %d Off now.", WindowText(text));
    DestroyWindow(window);

    memcpy(g_setup.manifest.productName, saved, sizeof saved);
}

TEST(WelcomePage, ShowsTheYearAndTheProductCentredOnTheScreen)
{
    RegisterOnce();
    UseScreen(1024, 768);
    HWND page = CreateDialogParamA(g_setup.state.instance, MAKEINTRESOURCEA(IDD_WELCOME), NULL,
                                   WelcomeProc, 0);
    ASSERT_NE(nullptr, page);

    std::string heading = WindowText(GetDlgItem(page, IDC_WELCOME_HEADING));
    EXPECT_NE(std::string::npos, heading.find("-" + CurrentYear() + " ")) << heading;
    EXPECT_EQ(std::string::npos, heading.find('%')) << heading;
    std::string lead = WindowText(GetDlgItem(page, IDC_PAGE_TEXT));
    EXPECT_EQ(0u, lead.find("This program will install " PRODUCT_NAME " to your computer."));
    EXPECT_EQ(INSTALLER_NAME, WindowText(page));

    RECT r;
    GetWindowRect(page, &r);
    EXPECT_EQ((1024 - (r.right - r.left)) / 2, r.left);
    EXPECT_EQ((768 - (r.bottom - r.top)) / 2, r.top);
    DestroyWindow(page);
}

TEST(WelcomePage, AHeadingThatWouldNotFitKeepsItsTemplateText)
{
    RegisterOnce();
    HWND page = CreateDialogParamA(g_setup.state.instance, MAKEINTRESOURCEA(IDD_WELCOME), NULL,
                                   WelcomeProc, 0);
    ASSERT_NE(nullptr, page);
    HWND heading = GetDlgItem(page, IDC_WELCOME_HEADING);

    // 95 characters and a four-digit year: 99, the most that fits.
    std::string fits = std::string(93, 'x') + "%d";
    SetWindowTextA(heading, fits.c_str());
    SendMessageA(page, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(std::string(93, 'x') + CurrentYear(), WindowText(heading));

    std::string tooLong = std::string(97, 'x') + "%d";
    SetWindowTextA(heading, tooLong.c_str());
    SendMessageA(page, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(tooLong, WindowText(heading));
    DestroyWindow(page);
}

TEST(WelcomePage, OnlyTheLeadTextIsDarkBlueOnTheButtonFace)
{
    RegisterOnce();
    HWND page = CreateDialogParamA(g_setup.state.instance, MAKEINTRESOURCEA(IDD_WELCOME), NULL,
                                   WelcomeProc, 0);
    ASSERT_NE(nullptr, page);
    HDC dc = CreateCompatibleDC(NULL);

    LRESULT brush = SendMessageA(page, WM_CTLCOLORSTATIC, (WPARAM)dc,
                                 (LPARAM)GetDlgItem(page, IDC_PAGE_TEXT));
    EXPECT_EQ((LRESULT)GetSysColorBrush(COLOR_BTNFACE), brush);
    EXPECT_EQ(RGB(0, 0, 128), GetTextColor(dc));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetBkColor(dc));

    SetTextColor(dc, RGB(1, 2, 3));
    EXPECT_EQ(FALSE, WelcomeProc(page, WM_CTLCOLORSTATIC, (WPARAM)dc,
                                 (LPARAM)GetDlgItem(page, IDC_WELCOME_HEADING)));
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(dc));
    DeleteDC(dc);
    DestroyWindow(page);
}

TEST(WelcomePage, EndsOnClicksOnlyWithTheControlAsResult)
{
    RegisterOnce();
    const PostedCommand cont[] = {{IDOK, BN_SETFOCUS}, {IDCANCEL, BN_KILLFOCUS}, {IDOK, 0}};
    EXPECT_EQ(1, RunModal(IDD_WELCOME, WelcomeProc, cont));
    const PostedCommand cancel[] = {{IDCANCEL, 0}};
    EXPECT_EQ(2, RunModal(IDD_WELCOME, WelcomeProc, cancel));
}

TEST(ReadMeCommand, QuotesThePathWithoutDoublingARootBackslash)
{
    char command[kReadMeCommandSize];
    ASSERT_TRUE(BuildReadMeCommand(command, "C:\\", "Read Me.txt"));
    EXPECT_STREQ("Notepad.exe \"C:\\Read Me.txt\"", command);
    ASSERT_TRUE(BuildReadMeCommand(command, "C:\\Brindlemoor\\Quorvel", "Read Me.txt"));
    EXPECT_STREQ("Notepad.exe \"C:\\Brindlemoor\\Quorvel\\Read Me.txt\"", command);
}

TEST(ReadMeCommand, APathOrCommandThatWouldNotFitIsRefused)
{
    char command[kReadMeCommandSize];
    memset(command, 'z', sizeof command);
    // Quoted path: 1 + 240 + 1 + 11 + 1 = 254 characters; the command 266.
    std::string folder = "C:\\" + std::string(237, 'f');
    EXPECT_FALSE(BuildReadMeCommand(command, folder.c_str(), "Read Me.txt"));
    EXPECT_STREQ("", command);
    // A path that does not fit its own 256 bytes.
    std::string huge = "C:\\" + std::string(600, 'f');
    memset(command, 'z', sizeof command);
    EXPECT_FALSE(BuildReadMeCommand(command, huge.c_str(), "Read Me.txt"));
    EXPECT_STREQ("", command);
    // The longest that fits: 12 + 1 + 233 + 1 + 11 + 1 = 259 characters.
    std::string longest = "C:\\" + std::string(230, 'f');
    ASSERT_TRUE(BuildReadMeCommand(command, longest.c_str(), "Read Me.txt"));
    EXPECT_EQ(259u, strlen(command));
}

TEST(ReadMeView, WhatNothingCanOpenIsNamedInABoxOverTheRestoredBackdrop)
{
    HWND backdrop = CreateWindowExA(0, "STATIC", "backdrop", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                    0, 200, 200, NULL, NULL, NULL, NULL);
    char saved[kFolderSlotSize];
    memcpy(saved, g_setup.state.destinationFolder, sizeof saved);
    // Too long for Notepad's command and for the shell: the box still
    // names the whole path.
    std::string folder = "C:\\" + std::string(250, 'f');
    strcpy(g_setup.state.destinationFolder, folder.c_str());

    bool inFront;
    {
        BoxAnswerer answer(IDOK);
        inFront = ViewReadMe(backdrop);
        ASSERT_EQ(1, answer.seen.count);
        EXPECT_EQ(INSTALLER_NAME, answer.seen.caption);
        EXPECT_EQ("The Read Me file could not be opened.\r\n\r\nYou will find it at\r\n" +
                      folder + "\\Read Me.txt",
                  answer.seen.text);
        EXPECT_EQ(LoadIconA(NULL, IDI_WARNING), answer.seen.icon);
    }
    EXPECT_FALSE(inFront);
    EXPECT_FALSE(IsIconic(backdrop));
    EXPECT_TRUE(IsWindowVisible(backdrop));
    EXPECT_TRUE(IsWindowEnabled(backdrop));

    memcpy(g_setup.state.destinationFolder, saved, sizeof saved);
    DestroyWindow(backdrop);
}

TEST(Chain, RefusingTheLicenceSetsStepOneAndDestroysTheBackdrop)
{
    UseScreen(1024, 768);
    HWND backdrop = CreateStandInBackdrop();
    UINT_PTR timer = SetTimer(NULL, 0, 100, RefuseTheLicence);
    RunLicensePage(backdrop);
    KillTimer(NULL, timer);
    EXPECT_EQ((uint32_t)kStepLicense, g_setup.state.stepMask);
    EXPECT_FALSE(IsWindow(backdrop));
}

TEST(Chain, APageThatCannotBeCreatedCountsAsAnAbort)
{
    HINSTANCE saved = g_setup.state.instance;
    g_setup.state.instance = GetModuleHandleA(NULL);  // has no templates
    HWND backdrop = CreateStandInBackdrop();
    RunGroupPage(backdrop);
    EXPECT_EQ((uint32_t)kStepGroup, g_setup.state.stepMask);
    EXPECT_FALSE(IsWindow(backdrop));
    backdrop = CreateStandInBackdrop();
    RunLocationPage(backdrop);
    EXPECT_EQ((uint32_t)kStepLocation, g_setup.state.stepMask);
    EXPECT_FALSE(IsWindow(backdrop));
    g_setup.state.instance = saved;
}

TEST(Chain, TheFinishAsksThenSaysGoodbyeAndEnds)
{
    HWND backdrop = CreateStandInBackdrop();
    {
        BoxAnswerer answer(IDNO);
        FinishInstall(backdrop);
        EXPECT_EQ(2, answer.seen.count);
        EXPECT_EQ(INSTALLER_NAME, answer.seen.caption);
        EXPECT_EQ(std::string(FAREWELL_TEXT), answer.seen.text);
    }
    // No only skips the read-me: the step goes straight to "Finished".
    EXPECT_EQ((uint32_t)kStepFinished, g_setup.state.stepMask);
    EXPECT_FALSE(IsWindow(backdrop));
    ClearProductRegistry();
}
