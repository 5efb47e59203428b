// The backdrop window and its bitmap routines, painted into memory and on
// the screen.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "backdrop.h"
#include "backdrop_paint.h"
#include "dib.h"
#include "install_state.h"
#include "shell_ids.h"
#include "shell_start.h"
#include "test_support.h"

namespace {

// What a test canvas holds where nothing was drawn.
const COLORREF kUntouched = RGB(1, 2, 3);

const COLORREF kPanel = RGB(0, 24, 96);
const COLORREF kRule = RGB(248, 248, 255);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kCurrent = RGB(207, 216, 255);
const COLORREF kOther = RGB(111, 136, 255);
const COLORREF kLabel = RGB(175, 175, 255);
const COLORREF kKey = RGB(0, 128, 128);

// A bitmap block as a resource holds it: header, colour table, rows.
HGLOBAL MakeDib(WORD bitCount, LONG width, LONG height, DWORD colorsUsed,
                const std::vector<RGBQUAD>& table, const std::vector<BYTE>& rows)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    header.biClrUsed = colorsUsed;
    SIZE_T tableBytes = table.size() * sizeof(RGBQUAD);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof header + tableBytes + rows.size());
    BYTE* p = (BYTE*)GlobalLock(block);
    memcpy(p, &header, sizeof header);
    if (tableBytes) memcpy(p + sizeof header, table.data(), tableBytes);
    if (!rows.empty()) memcpy(p + sizeof header + tableBytes, rows.data(), rows.size());
    GlobalUnlock(block);
    return block;
}

unsigned CountOf(WORD bitCount, DWORD colorsUsed)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biBitCount = bitCount;
    header.biClrUsed = colorsUsed;
    return DibColorCount(&header);
}

// The colour of pixel (x, y), counted from the top, of a block with a
// colour table (1, 4 or 8 bits).
COLORREF PixelOf(HGLOBAL block, int x, int y)
{
    const BITMAPINFOHEADER* header = (const BITMAPINFOHEADER*)GlobalLock(block);
    const RGBQUAD* table = (const RGBQUAD*)((const BYTE*)header + header->biSize);
    int bits = header->biBitCount;
    int stride = (header->biWidth * bits + 31) / 32 * 4;
    BYTE packed = DibBits(header)[(header->biHeight - 1 - y) * stride + x * bits / 8];
    int shift = 8 - bits - (x * bits) % 8;
    BYTE index = (BYTE)((packed >> shift) & ((1 << bits) - 1));
    COLORREF colour = RGB(table[index].rgbRed, table[index].rgbGreen, table[index].rgbBlue);
    GlobalUnlock(block);
    return colour;
}

void RegisterOnce()
{
    static bool done = false;
    if (!done) {
        RegisterWindowClasses();
        done = true;
    }
}

// The real backdrop, created as the entry point creates it, with its
// start timer stopped so that the wizard never starts here.
class Backdrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterOnce();
        g_setup.state.screenWidth = GetSystemMetrics(SM_CXSCREEN);
        g_setup.state.screenHeight = GetSystemMetrics(SM_CYSCREEN);
        g_setup.state.stepMask = 0;
        window = CreateWindowExA(WS_EX_TOPMOST, BACKDROP_CLASS, INSTALLER_NAME,
                                 WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU, 0, 0,
                                 g_setup.state.screenWidth, g_setup.state.screenHeight, NULL, NULL,
                                 g_setup.state.instance, NULL);
        ASSERT_NE(nullptr, window);
        g_setup.state.backdrop = window;
        timerWasArmed = KillTimer(window, kStartTimer);
    }
    void TearDown() override
    {
        if (window != NULL) {
            DestroyWindow(window);
            // The quit message would end the next modal loop of this thread.
            MSG msg;
            quitPosted = PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        }
    }
    HWND window = NULL;
    BOOL timerWasArmed = FALSE;
    BOOL quitPosted = FALSE;
};

// Records the region each paint was asked to cover.
WNDPROC s_backdropProc;
RECT s_painted;
int s_paints;

LRESULT CALLBACK RecordPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        GetUpdateRect(window, &s_painted, FALSE);
        ++s_paints;
    }
    return CallWindowProcA(s_backdropProc, window, message, wParam, lParam);
}

void PumpFor(DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

}  // namespace

TEST(DibColorCount, ColoursUsedWinElseTheDepthDecides)
{
    EXPECT_EQ(2u, CountOf(1, 0));
    EXPECT_EQ(16u, CountOf(4, 0));
    EXPECT_EQ(256u, CountOf(8, 0));
    EXPECT_EQ(0u, CountOf(24, 0));
    EXPECT_EQ(0u, CountOf(16, 0));
    EXPECT_EQ(5u, CountOf(8, 5));
    EXPECT_EQ(3u, CountOf(24, 3));
    EXPECT_EQ(7u, CountOf(4, 0x10007));  // only the low 16 bits count
}

TEST(CreateDibPalette, TakesTheColourTableInOrder)
{
    std::vector<RGBQUAD> table = {{10, 20, 30, 0}, {200, 100, 50, 0}, {1, 2, 3, 0}};
    HGLOBAL block = MakeDib(8, 4, 1, 3, table, {0, 1, 2, 0});
    HPALETTE palette = CreateDibPalette(block);
    ASSERT_NE(nullptr, palette);
    PALETTEENTRY entries[4] = {};
    ASSERT_EQ(3u, GetPaletteEntries(palette, 0, 4, entries));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(table[i].rgbRed, entries[i].peRed) << i;
        EXPECT_EQ(table[i].rgbGreen, entries[i].peGreen) << i;
        EXPECT_EQ(table[i].rgbBlue, entries[i].peBlue) << i;
        EXPECT_EQ(0, entries[i].peFlags) << i;
    }
    DeleteObject(palette);
    GlobalFree(block);
}

TEST(CreateDibPalette, NoneWithoutATableOrWhenTheTableLiesOutsideTheBlock)
{
    HGLOBAL trueColour = MakeDib(24, 1, 1, 0, {}, {1, 2, 3, 0});
    EXPECT_EQ(nullptr, CreateDibPalette(trueColour));
    GlobalFree(trueColour);
    // Claims 256 entries but carries two.
    HGLOBAL cut = MakeDib(8, 1, 1, 0, {{0, 0, 0, 0}, {1, 1, 1, 0}}, {});
    EXPECT_EQ(nullptr, CreateDibPalette(cut));
    GlobalFree(cut);
    EXPECT_EQ(nullptr, CreateDibPalette(NULL));
}

TEST(DrawDib, DrawsInItsOwnSizeBottomRowStored)
{
    // 2 x 2, 24 bits: stored bottom row first, blue green red per pixel.
    HGLOBAL block = MakeDib(24, 2, 2, 0, {},
                            {255, 0, 0, 0, 255, 0, 0, 0,   // bottom: blue, green
                             0, 0, 255, 255, 255, 255, 0, 0});  // top: red, white
    Canvas canvas(20, 20, kUntouched);
    EXPECT_EQ(1, DrawDib(canvas.dc, 5, 7, block, NULL));
    EXPECT_EQ(RGB(255, 0, 0), canvas.at(5, 7));
    EXPECT_EQ(RGB(255, 255, 255), canvas.at(6, 7));
    EXPECT_EQ(RGB(0, 0, 255), canvas.at(5, 8));
    EXPECT_EQ(RGB(0, 255, 0), canvas.at(6, 8));
    EXPECT_EQ(kUntouched, canvas.at(7, 7));
    EXPECT_EQ(kUntouched, canvas.at(5, 9));
    GlobalFree(block);
}

TEST(DrawDib, ABlockThatCannotBeUsedDrawsNothing)
{
    Canvas canvas(8, 8, kUntouched);
    EXPECT_EQ(0, DrawDib(canvas.dc, 0, 0, NULL, NULL));
    EXPECT_EQ(0, StretchDib(canvas.dc, 0, 0, 8, 8, NULL, NULL));
    // Rows missing: 4 x 4 at 24 bits needs 48 bytes, the block has 12.
    HGLOBAL shortBlock = MakeDib(24, 4, 4, 0, {}, std::vector<BYTE>(12, 0));
    EXPECT_EQ(0, DrawDib(canvas.dc, 0, 0, shortBlock, NULL));
    EXPECT_EQ(0, StretchDib(canvas.dc, 0, 0, 8, 8, shortBlock, NULL));
    EXPECT_EQ(64, canvas.count(kUntouched, 0, 0, 8, 8));
    GlobalFree(shortBlock);
}

TEST(StretchDib, CoversTheWholeRectangle)
{
    // 2 x 1, 8 bits with its palette: red, then blue.
    HGLOBAL block = MakeDib(8, 2, 1, 2, {{0, 0, 255, 0}, {255, 0, 0, 0}}, {0, 1, 0, 0});
    HPALETTE palette = CreateDibPalette(block);
    Canvas canvas(30, 10, kUntouched);
    EXPECT_EQ(1, StretchDib(canvas.dc, 5, 2, 20, 4, block, palette));
    EXPECT_EQ(40, canvas.count(RGB(255, 0, 0), 5, 2, 15, 6));
    EXPECT_EQ(40, canvas.count(RGB(0, 0, 255), 15, 2, 25, 6));
    EXPECT_EQ(kUntouched, canvas.at(4, 2));
    EXPECT_EQ(kUntouched, canvas.at(25, 5));
    EXPECT_EQ(kUntouched, canvas.at(10, 6));
    DeleteObject(palette);
    GlobalFree(block);
}

TEST(LoadDibResource, CopiesTheWholeResource)
{
    HGLOBAL banner = LoadDibResource(IDB_BANNER);
    ASSERT_NE(nullptr, banner);
    HINSTANCE module = g_setup.state.instance;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDB_BANNER), RT_BITMAP);
    DWORD size = SizeofResource(module, found);
    ASSERT_EQ(size, GlobalSize(banner));
    const void* original = LockResource(LoadResource(module, found));
    const BITMAPINFOHEADER* copy = (const BITMAPINFOHEADER*)GlobalLock(banner);
    EXPECT_EQ(0, memcmp(original, copy, size));
    EXPECT_EQ(334, copy->biWidth);
    EXPECT_EQ(58, copy->biHeight);
    GlobalUnlock(banner);
    GlobalFree(banner);
    EXPECT_EQ(nullptr, LoadDibResource(999));
}

TEST(BackdropFonts, WidthsFollowTheScreenAndTheTextLengths)
{
    EXPECT_EQ(26, TitleFontWidth(1024, 13));  // 341 / 13
    EXPECT_EQ(16, SubtitleFontWidth(1024, 42));  // t = 63
    EXPECT_EQ(42, SubtitleFontHeight(768));
    EXPECT_EQ(15, SubtitleFontWidth(1024, 45));  // t = 67.5, truncated to 67
    EXPECT_EQ(33, TitleFontWidth(800, 8));  // 266 / 8
    EXPECT_EQ(0, TitleFontWidth(1024, 0));
    EXPECT_EQ(0, SubtitleFontWidth(1024, 0));
}

TEST(BackdropFonts, DescriptionsForTheShippedTexts)
{
    // "Quorvel v3.02" has 13 characters, the subtitle 42.
    FormatBackdropTexts();
    EXPECT_STREQ(PRODUCT_NAME " v" PRODUCT_VERSION, g_backdrop.title);
    EXPECT_EQ(std::string(PRODUCT_NAME " - ") + g_setup.manifest.tagline, g_backdrop.subtitle);
    FillFontDescriptions(1024, 768);
    EXPECT_EQ(1024 / 3 / (LONG)strlen(g_backdrop.title), g_backdrop.titleFont.lfWidth);
    EXPECT_EQ(1024 / (LONG)(strlen(g_backdrop.subtitle) * 3 / 2), g_backdrop.subtitleFont.lfWidth);
    EXPECT_EQ(42, g_backdrop.subtitleFont.lfHeight);
    // Copies of the title font: the subtitle keeps its script family.
    EXPECT_EQ(0x42, g_backdrop.subtitleFont.lfPitchAndFamily);
    EXPECT_EQ(PROOF_QUALITY, g_backdrop.stepFont.lfQuality);
    EXPECT_EQ(0x22, g_backdrop.stepFont.lfPitchAndFamily);
    EXPECT_EQ(0, g_backdrop.stepFont.lfWidth);
}

TEST(BackdropFonts, TextsLongerThanTheirFieldsAreCut)
{
    ProductManifest saved = g_setup.manifest;
    strcpy(g_setup.manifest.productName, "ABCDEFGHIJKLMNOPQRS");  // 19
    strcpy(g_setup.manifest.version, "123456789");             // 9
    memset(g_setup.manifest.tagline, 't', kTaglineSize - 1);
    g_setup.manifest.tagline[kTaglineSize - 1] = '\0';
    FormatBackdropTexts();
    EXPECT_STREQ("ABCDEFGHIJKLMNOPQRS v12345678", g_backdrop.title);
    EXPECT_EQ(60u, strlen(g_backdrop.subtitle));
    EXPECT_EQ(0u, std::string(g_backdrop.subtitle).find("ABCDEFGHIJKLMNOPQRS - ttt"));
    g_setup.manifest = saved;
}

TEST_F(Backdrop, CreationPreparesItsBlocksAndArmsTheStartTimer)
{
    EXPECT_TRUE(timerWasArmed);
    EXPECT_NE(nullptr, g_backdrop.banner);
    EXPECT_NE(nullptr, g_backdrop.strip);
    EXPECT_NE(nullptr, g_backdrop.line);
    // The tests run at a drive root, where Wine has nothing for ".".
    EXPECT_NE(nullptr, g_backdrop.imageList);
    // The banner is the first with a colour table: its palette is used.
    ASSERT_NE(nullptr, g_backdrop.palette);
    WORD entries = 0;
    GetObjectA(g_backdrop.palette, sizeof entries, &entries);
    const BITMAPINFOHEADER* banner = (const BITMAPINFOHEADER*)GlobalLock(g_backdrop.banner);
    EXPECT_EQ(DibColorCount(banner), entries);
    GlobalUnlock(g_backdrop.banner);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), g_backdrop.colours[kSelectedBack]);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), g_backdrop.colours[kItemBack]);
}

TEST_F(Backdrop, DestructionFreesItsBlocksAndEndsTheMessageLoop)
{
    DestroyWindow(window);
    window = NULL;
    EXPECT_EQ(nullptr, g_backdrop.banner);
    EXPECT_EQ(nullptr, g_backdrop.strip);
    EXPECT_EQ(nullptr, g_backdrop.line);
    EXPECT_EQ(nullptr, g_backdrop.palette);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
}

TEST_F(Backdrop, PaintsPanelRulesBannerAndPicture)
{
    const int W = 1024, H = 768;
    Canvas canvas(W, H, kUntouched);
    PaintBackdrop(canvas.dc, W, H);

    EXPECT_EQ(kPanel, canvas.at(10, 300));
    EXPECT_EQ(kPanel, canvas.at(149, H - 1));
    EXPECT_EQ(kRule, canvas.at(500, 63));
    EXPECT_EQ(kRule, canvas.at(W - 1, 67));
    EXPECT_EQ(kWhite, canvas.at(500, 65));
    EXPECT_EQ(kWhite, canvas.at(500, 61));
    EXPECT_EQ(kWhite, canvas.at(150, 65));  // the rules start right of x 151

    // Banner in its own size at the right, line stretched under it.
    EXPECT_EQ(PixelOf(g_backdrop.banner, 0, 0), canvas.at(W - 334, 0));
    EXPECT_EQ(PixelOf(g_backdrop.banner, 333, 57), canvas.at(W - 1, 57));
    EXPECT_EQ(PixelOf(g_backdrop.banner, 100, 30), canvas.at(W - 234, 30));
    EXPECT_EQ(PixelOf(g_backdrop.line, 0, 0), canvas.at(150, 58));
    EXPECT_EQ(PixelOf(g_backdrop.line, 9, 1), canvas.at(W - 1, 59));
    EXPECT_EQ(PixelOf(g_backdrop.strip, 0, 57), canvas.at(0, 57));

    // The picture sits at (16, H - 180); its key-coloured corner area took
    // the panel colour, so its edge does not show against the panel.
    EXPECT_EQ(kPanel, canvas.at(17, H - 179));
    EXPECT_EQ(kPanel, canvas.at(16, H - 180));
    EXPECT_EQ(0, canvas.count(kKey, 16, H - 180, 136, H - 170));
    EXPECT_GT(168 * 120, canvas.count(kPanel, 16, H - 180, 136, H - 12));
}

TEST_F(Backdrop, TitlesLabelAndStepsInTheirColours)
{
    const int W = 1024, H = 768;
    g_setup.state.stepMask = kStepShortcuts;
    Canvas canvas(W, H, kUntouched);
    PaintBackdrop(canvas.dc, W, H);

    EXPECT_GT(canvas.count(g_backdrop.colours[kTitleTop], 0, 0, W - 334, 58), 200);
    EXPECT_GT(canvas.count(g_backdrop.colours[kTitleShadowNear], 0, 0, W - 334, 58), 0);
    EXPECT_GT(canvas.count(g_backdrop.colours[kSubtitleTop], 150, H - 80, W, H), 200);
    EXPECT_GT(canvas.count(kLabel, 10, 100, 150, 118), 10);

    // Rows 120 to 244 hold seven captions 18 pixels apart; only the
    // current one, the fifth, is drawn in the bright colour.
    for (int i = 0; i < 7; ++i) {
        int top = 120 + 18 * i;
        int current = canvas.count(kCurrent, 0, top, 150, top + 18);
        int other = canvas.count(kOther, 0, top, 150, top + 18);
        if (i == 4) {
            EXPECT_GT(current, 20) << "caption " << i;
            EXPECT_EQ(0, other) << "caption " << i;
        } else {
            EXPECT_EQ(0, current) << "caption " << i;
            EXPECT_GT(other, 20) << "caption " << i;
        }
    }

    g_setup.state.stepMask = 0;
    PaintBackdrop(canvas.dc, W, H);
    EXPECT_EQ(0, canvas.count(kCurrent, 0, 120, 150, 244));
}

TEST_F(Backdrop, NoRulesOnAScreenOfAtMost63Rows)
{
    Canvas canvas(400, 63, kUntouched);
    PaintBackdrop(canvas.dc, 400, 63);
    EXPECT_EQ(0, canvas.count(kRule, 150, 60, 400, 63));
    EXPECT_EQ(kWhite, canvas.at(300, 62));
}

TEST_F(Backdrop, SetStepMaskRepaintsOnlyTheStepListAtOnce)
{
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    PumpFor(300);
    s_backdropProc = (WNDPROC)SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)RecordPaints);
    s_paints = 0;

    SetStepMask(kStepGroup);
    EXPECT_EQ((uint32_t)kStepGroup, g_setup.state.stepMask);
    ASSERT_EQ(1, s_paints);
    RECT steps = {0, 120, 150, 244};
    EXPECT_TRUE(EqualRect(&steps, &s_painted))
        << s_painted.left << "," << s_painted.top << "," << s_painted.right << ","
        << s_painted.bottom;
    RECT pending;
    EXPECT_FALSE(GetUpdateRect(window, &pending, FALSE));

    // On the screen: "- Program Group", the fourth caption, is now bright.
    HDC dc = GetDC(window);
    int bright = 0, brightElsewhere = 0;
    for (int y = 120; y < 244; ++y) {
        for (int x = 0; x < 150; ++x) {
            if (GetPixel(dc, x, y) == kCurrent) {
                (y >= 174 && y < 192 ? bright : brightElsewhere)++;
            }
        }
    }
    ReleaseDC(window, dc);
    EXPECT_GT(bright, 20);
    EXPECT_EQ(0, brightElsewhere);
    SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)s_backdropProc);
}
