// The licence page from the setup program's own template and licence text.
#include <gtest/gtest.h>

#include <string>

#include "install_state.h"
#include "license_page.h"
#include "page_ids.h"
#include "test_support.h"

namespace {

RECT ClientRectOf(HWND page, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(page, id), &r);
    MapWindowPoints(NULL, page, (POINT*)&r, 2);
    return r;
}

std::string LicenseResource()
{
    HINSTANCE module = g_setup.state.instance;
    HRSRC found = FindResourceA(module, LICENSE_RESOURCE, RT_RCDATA);
    if (found == NULL) {
        return "";
    }
    const char* bytes = (const char*)LockResource(LoadResource(module, found));
    return std::string(bytes, SizeofResource(module, found));
}

void Resize(HWND page, int dx, int dy)
{
    RECT r;
    GetWindowRect(page, &r);
    SetWindowPos(page, NULL, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

class LicensePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_setup.state.screenWidth = 1024;
        g_setup.state.screenHeight = 768;
        page = CreateDialogParamA(g_setup.state.instance, MAKEINTRESOURCEA(IDD_LICENSE), NULL,
                                  LicenseProc, 0);
        ASSERT_NE(nullptr, page);
    }
    void TearDown() override
    {
        if (page != NULL) {
            DestroyWindow(page);
        }
    }
    HWND page = NULL;
};

// Messages posted as soon as the page is initialised, for modal runs.
const MSG* s_posts;
int s_postCount;

INT_PTR CALLBACK PostAfterInit(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = LicenseProc(page, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        for (int i = 0; i < s_postCount; ++i) {
            HWND target = s_posts[i].hwnd ? GetDlgItem(page, (int)(INT_PTR)s_posts[i].hwnd) : page;
            PostMessageA(target, s_posts[i].message, s_posts[i].wParam, s_posts[i].lParam);
        }
    }
    return result;
}

// hwnd of each message: null for the page, else the id of its control.
template <int N>
INT_PTR RunModal(const MSG (&posts)[N])
{
    s_posts = posts;
    s_postCount = N;
    return DialogBoxParamA(g_setup.state.instance, MAKEINTRESOURCEA(IDD_LICENSE), NULL,
                           PostAfterInit, 0);
}

}  // namespace

TEST_F(LicensePage, ShowsTheWholeLicenceAndNothingMore)
{
    std::string expected = LicenseResource();
    ASSERT_FALSE(expected.empty());
    HWND text = GetDlgItem(page, IDC_LICENSE_TEXT);
    int length = GetWindowTextLengthA(text);
    ASSERT_EQ((int)expected.size(), length);
    std::string shown(length + 1, '\0');
    GetWindowTextA(text, &shown[0], length + 1);
    shown.resize(length);
    EXPECT_EQ(expected, shown);
}

TEST_F(LicensePage, CaptionNamesTheProductAndThePageSitsBesideThePanel)
{
    char caption[100];
    GetWindowTextA(page, caption, sizeof caption);
    EXPECT_STREQ(PRODUCT_NAME " License Agreement", caption);
    EXPECT_NE(0, SendMessageA(page, WM_GETICON, ICON_SMALL, 0));
    RECT r;
    GetWindowRect(page, &r);
    EXPECT_EQ((1024 - (r.right - r.left) + 150) / 2, r.left);
    EXPECT_EQ((768 - (r.bottom - r.top)) / 2, r.top);
}

TEST_F(LicensePage, TheTextFollowsTheFrameAndTheButtonsItsCorner)
{
    RECT text = ClientRectOf(page, IDC_LICENSE_TEXT);
    RECT agree = ClientRectOf(page, IDOK);
    RECT disagree = ClientRectOf(page, IDCANCEL);

    Resize(page, 40, 30);
    RECT grown = ClientRectOf(page, IDC_LICENSE_TEXT);
    EXPECT_EQ(text.left, grown.left);
    EXPECT_EQ(text.top, grown.top);
    EXPECT_EQ(text.right + 40, grown.right);
    EXPECT_EQ(text.bottom + 30, grown.bottom);
    RECT movedAgree = ClientRectOf(page, IDOK);
    RECT movedDisagree = ClientRectOf(page, IDCANCEL);
    EXPECT_EQ(agree.left + 40, movedAgree.left);
    EXPECT_EQ(agree.top + 30, movedAgree.top);
    EXPECT_EQ(agree.right - agree.left, movedAgree.right - movedAgree.left);
    EXPECT_EQ(disagree.left + 40, movedDisagree.left);
    EXPECT_EQ(disagree.bottom + 30, movedDisagree.bottom);

    Resize(page, -40, -30);
    RECT restored[] = {ClientRectOf(page, IDC_LICENSE_TEXT), ClientRectOf(page, IDOK),
                       ClientRectOf(page, IDCANCEL)};
    EXPECT_TRUE(EqualRect(&text, &restored[0]));
    EXPECT_TRUE(EqualRect(&agree, &restored[1]));
    EXPECT_TRUE(EqualRect(&disagree, &restored[2]));
}

TEST_F(LicensePage, TheTextControlNeverEndsThePage)
{
    HWND text = GetDlgItem(page, IDC_LICENSE_TEXT);
    const WORD codes[] = {0, EN_CHANGE, EN_SETFOCUS, EN_VSCROLL};
    for (WORD code : codes) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_LICENSE_TEXT, code), (LPARAM)text);
        EXPECT_TRUE(IsWindowVisible(page)) << "notification " << code;
    }
    // Typing changes the text and nothing else.
    SendMessageA(text, WM_CHAR, 'Q', 0);
    EXPECT_TRUE(IsWindowVisible(page));
    // A button's notification other than a click does not end it either.
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDOK, BN_SETFOCUS), 0);
    EXPECT_TRUE(IsWindowVisible(page));
    // A click does: a modeless dialog is hidden when it ends.
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindowVisible(page));
}

TEST(LicensePageModal, AgreeEndsWithOneAndDisagreeWithTwo)
{
    const MSG agree[] = {{NULL, WM_COMMAND, MAKEWPARAM(IDC_LICENSE_TEXT, EN_CHANGE), 0, 0, {}},
                         {NULL, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_SETFOCUS), 0, 0, {}},
                         {NULL, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0, 0, {}}};
    EXPECT_EQ(1, RunModal(agree));
    const MSG disagree[] = {{NULL, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0, 0, {}}};
    EXPECT_EQ(2, RunModal(disagree));
}

TEST(LicensePageModal, TheEscapeKeyRefuses)
{
    // The focus is on "I Agree"; the dialog manager turns Escape into 2.
    const MSG escape[] = {{(HWND)(INT_PTR)IDOK, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {}}};
    EXPECT_EQ(2, RunModal(escape));
}
