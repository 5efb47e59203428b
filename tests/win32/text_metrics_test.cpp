// The build measures the description's texts with a table of the fonts'
// widths and the boxes' sizes. Here the real fonts and the real templates
// are measured: the table may never be narrower than a character the
// fonts draw, nor a box wider or taller than the page makes it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "../../tools/manifest/dialog_metrics.h"
#include "install_state.h"
#include "page_ids.h"
#include "product_identity.h"
#include "shell_ids.h"
#include "shell_start.h"
#include "test_support.h"

namespace {

INT_PTR CALLBACK QuietPage(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// The characters a description's texts can hold once in Windows-1252.
bool Allowed(int c)
{
    return c != 0x7F && c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D;
}

// How far a character moves what follows it as the font draws it: the
// ink's right edge of "l?l" past that of "ll", drawn into a bitmap.
int DrawnAdvance(HDC dc, char c)
{
    Canvas canvas(64, 32);
    SelectObject(canvas.dc, GetCurrentObject(dc, OBJ_FONT));
    int right[2];
    const char text[2][3] = {{'l', 'l', 0}, {'l', c, 'l'}};
    for (int i = 0; i < 2; ++i) {
        PatBlt(canvas.dc, 0, 0, canvas.w, canvas.h, WHITENESS);
        TextOutA(canvas.dc, 4, 2, text[i], i + 2);
        GdiFlush();
        right[i] = -1;
        for (int y = 0; y < canvas.h; ++y)
            for (int x = right[i] + 1; x < canvas.w; ++x)
                if ((((DWORD*)canvas.bits)[y * canvas.w + x] & 0xFFFFFF) != 0xFFFFFF) right[i] = x;
    }
    return right[1] - right[0];
}

// Every allowed character of the font selected into dc, and a line of
// each row of the table, no wider than the table says, measured and drawn;
// the line height no greater.
void ExpectTableHolds(HDC dc, const FontWidths& table)
{
    TEXTMETRICA metrics;
    ASSERT_TRUE(GetTextMetricsA(dc, &metrics));
    EXPECT_LE(metrics.tmHeight, table.lineHeight) << table.name;
    for (int c = kFirstMeasured; c < 0x100; c += 16) {
        std::string row;
        for (int i = c; i < c + 16; ++i) {
            if (!Allowed(i)) continue;
            char one = (char)i;
            SIZE size;
            ASSERT_TRUE(GetTextExtentPoint32A(dc, &one, 1, &size));
            EXPECT_LE(size.cx, table.advance[i - kFirstMeasured])
                << table.name << ": character 0x" << std::hex << i;
            EXPECT_LE(DrawnAdvance(dc, one), DrawnPixels(table, std::string(1, one)))
                << table.name << ": character 0x" << std::hex << i << " as drawn";
            row += one;
        }
        SIZE size;
        ASSERT_TRUE(GetTextExtentPoint32A(dc, row.c_str(), (int)row.size(), &size));
        EXPECT_LE(size.cx, TextPixels(table, row)) << table.name << ": " << row;
    }
}

// The same for a font selected into the window's device context.
void ExpectFontHolds(HWND window, HGDIOBJ font, const FontWidths& table)
{
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    ExpectTableHolds(dc, table);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
}

struct Placed {
    const TextBox& box;
    int dialog;
    int control;
};

const Placed kPlaced[] = {
    {kHeadingBox, IDD_WELCOME, IDC_WELCOME_HEADING},
    {kWelcomeBox, IDD_WELCOME, IDC_PAGE_TEXT},
    {kLocationBox, IDD_LOCATION, IDC_PAGE_TEXT},
    {kGroupBox, IDD_GROUP, IDC_PAGE_TEXT},
    {kVisitBox, IDD_EXTRACTION, IDC_VISIT_NOTICE},
    {kShortcutBox, IDD_SHORTCUTS, IDC_SHORTCUT_CAPTION},
};

struct Titled {
    const TitleBar& bar;
    int dialog;
};

const Titled kTitled[] = {
    {kWelcomeTitle, IDD_WELCOME},     {kPageTitles[0], IDD_LICENSE}, {kPageTitles[1], IDD_LOCATION},
    {kPageTitles[2], IDD_EXTRACTION}, {kPageTitles[3], IDD_GROUP},   {kPageTitles[4], IDD_SHORTCUTS},
};

// Each page's caption as its template has it, and its title bar no
// narrower than the room the build gives the caption; each of its boxes
// as wide and high as the table says, with the template's text.
TEST(TextMetrics, TheBoxesAndTitleBarsAreAsTheTableSaysAndTheirFontsNoWider)
{
    RegisterWindowClasses();  // the welcome page's own class
    size_t boxes = 0;
    for (const Titled& t : kTitled) {
        SCOPED_TRACE(t.bar.where);
        HWND page = CreateDialogParamA(SetupModule(), MAKEINTRESOURCEA(t.dialog), NULL, QuietPage, 0);
        ASSERT_NE(page, (HWND)NULL);
        TITLEBARINFO info;
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetTitleBarInfo(page, &info));
        EXPECT_GE(info.rcTitleBar.right - info.rcTitleBar.left, TitleRoom(t.bar));
        char text[256];
        GetWindowTextA(page, text, sizeof text);
        EXPECT_STREQ(text, t.bar.format[0] != '\0' ? t.bar.format : PRODUCT_INSTALLER_NAME);
        for (const Placed& placed : kPlaced) {
            if (placed.dialog != t.dialog) continue;
            SCOPED_TRACE(placed.box.where);
            boxes++;
            HWND control = GetDlgItem(page, placed.control);
            ASSERT_NE(control, (HWND)NULL);
            RECT client;
            GetClientRect(control, &client);
            EXPECT_EQ(client.right, BoxWidth(placed.box));
            EXPECT_GE(client.bottom, BoxLines(placed.box) * kDialogFont.lineHeight);
            EXPECT_LT(client.bottom, (BoxLines(placed.box) + 1) * kDialogFont.lineHeight);
            GetWindowTextA(control, text, sizeof text);
            if (placed.box.format[0] != '\0') EXPECT_STREQ(text, placed.box.format);
            ExpectFontHolds(control, (HFONT)SendMessageA(control, WM_GETFONT, 0, 0), kDialogFont);
        }
        DestroyWindow(page);
    }
    EXPECT_EQ(boxes, sizeof kPlaced / sizeof kPlaced[0]) << "a box on a page without a title bar row";
    NONCLIENTMETRICSA metrics;
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    HFONT font = CreateFontIndirectA(&metrics.lfCaptionFont);
    ExpectFontHolds(NULL, font, kCaptionFont);
    DeleteObject(font);
}

TEST(TextMetrics, TheBackdropsSystemFontIsNoWiderThanItsTable)
{
    ExpectFontHolds(NULL, GetStockObject(SYSTEM_FONT), kSystemFont);
}

}  // namespace
