// The full-screen backdrop: banner, left panel with the step list, ruled
// white area, title and product line. Its one timer tick runs the wizard.
#include "backdrop.h"

#include <string.h>

#include "backdrop_paint.h"
#include "dib.h"
#include "install_state.h"
#include "one_setup.h"
#include "page_services.h"
#include "path_helpers.h"
#include "shell_ids.h"
#include "wizard.h"

BackdropState g_backdrop;

namespace {

enum {
    kBannerWidth = 334,     // bitmap 202 is drawn in its own size at the right
    kBannerHeight = 58,
    kLineHeight = 2,        // bitmap 204 stretched under the banner
    kWhiteTop = kBannerHeight + kLineHeight,
    kFirstRule = 63,
    kRuleStep = 4,
    kRuleWidth = 2,
    kPictureWidth = 120,
    kPictureHeight = 168,
    kPictureLeft = 16,
    kPictureBottomGap = 180,
    kStepLeft = 10,
    kLabelTop = 100,
    kStepListTop = 120,
    kStepListBottom = 244,
    kStepSpacing = 18,
    kStepCount = 7,
    kFormatScratch = 1025,  // wsprintfA never writes more than 1024 bytes
};

const COLORREF kPictureKey = RGB(0, 128, 128);

// The banner's pictures, loaded together and freed together.
enum { kPictureBlocks = 3 };
HGLOBAL* const kBlocks[kPictureBlocks] = {&g_backdrop.banner, &g_backdrop.strip, &g_backdrop.line};
const COLORREF kLabelColour = RGB(175, 175, 255);

// The steps' captions in the order of their bits (kStepLicense first),
// each ending with its NUL, one below the other from kStepListTop on.
const char kStepCaptions[] =
    "- License Agreement\0"
    "- Program Location\0"
    "- Installing Files\0"
    "- Program Group\0"
    "- Creating Shortcuts\0"
    "- View Read Me\0"
    "- Finished";
static_assert(kStepFinished == 1 << (kStepCount - 1), "one caption for each step bit");

// Entries 0 to 6 and 11 to 14; 7 to 10 come from the system.
const COLORREF kFixedColours[kColourCount] = {
    RGB(128, 160, 255), RGB(40, 50, 80), RGB(30, 37, 60), RGB(22, 28, 45),
    RGB(0, 0, 128), RGB(0, 0, 160), RGB(0, 0, 255),
    0, 0, 0, 0,
    RGB(207, 216, 255), RGB(111, 136, 255), RGB(0, 24, 96), RGB(248, 248, 255),
};

void FormatInto(char* out, int outSize, const char* format, const char* a, const char* b)
{
    char scratch[kFormatScratch];
    wsprintfA(scratch, format, a, b);
    lstrcpynA(out, scratch, outSize);
}

void PaintBanner(HDC dc, int width)
{
    if (g_backdrop.banner == NULL) {
        return;
    }
    StretchDib(dc, 0, 0, width - kBannerWidth, kBannerHeight, g_backdrop.strip, g_backdrop.palette);
    DrawDib(dc, width - kBannerWidth, 0, g_backdrop.banner, g_backdrop.palette);
}

void PaintAreas(HDC dc, int width, int height)
{
    RECT panel = {0, kBannerHeight, kBackdropPanelWidth, height};
    HBRUSH fill = CreateSolidBrush(g_backdrop.colours[kPanelFill]);
    FillRect(dc, &panel, fill);
    DeleteObject(fill);

    RECT white = {kBackdropPanelWidth, kWhiteTop, width, height};
    FillRect(dc, &white, (HBRUSH)GetStockObject(WHITE_BRUSH));

    HPEN pen = CreatePen(PS_INSIDEFRAME, kRuleWidth, g_backdrop.colours[kRuleColour]);
    HPEN previous = (HPEN)SelectObject(dc, pen);
    for (int y = kFirstRule; y < height; y += kRuleStep) {
        MoveToEx(dc, kBackdropPanelWidth + 1, y, NULL);
        LineTo(dc, width, y);
    }
    SelectObject(dc, previous);
    DeleteObject(pen);
}

// Loaded afresh on every paint, so the key colour is always there to fill.
void PaintPicture(HDC dc, int height)
{
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP picture = (HBITMAP)LoadImageA(g_setup.state.instance, MAKEINTRESOURCEA(IDB_START_MENU),
                                          IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
    HBRUSH fill = CreateSolidBrush(g_backdrop.colours[kPanelFill]);
    HGDIOBJ oldBitmap = SelectObject(memory, picture);
    HGDIOBJ oldBrush = SelectObject(memory, fill);
    ExtFloodFill(memory, 1, 1, kPictureKey, FLOODFILLSURFACE);
    BitBlt(dc, kPictureLeft, height - kPictureBottomGap, kPictureWidth, kPictureHeight, memory, 0,
           0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    SelectObject(memory, oldBrush);
    DeleteObject(picture);
    DeleteObject(fill);
    DeleteDC(memory);
}

// Selects the font the description makes; the one it replaces is deleted
// once it is no longer selected.
HFONT SwitchFont(HDC dc, HFONT previous, const LOGFONTA* description)
{
    HFONT font = CreateFontIndirectA(description);
    SelectObject(dc, font);
    if (previous != NULL) {
        DeleteObject(previous);
    }
    return font;
}

// The text in layers of the colours from colour to last, each layer one
// pixel on from the one before: down and right while the colour index
// rises, up and left while it falls.
void DrawLayers(HDC dc, const char* text, int x, int y, int colour, int last)
{
    int length = lstrlenA(text);
    int step = colour < last ? 1 : -1;
    for (;;) {
        SetTextColor(dc, g_backdrop.colours[colour]);
        TextOutA(dc, x, y, text, length);
        if (colour == last) {
            return;
        }
        colour += step;
        x += step;
        y += step;
    }
}

void PaintTexts(HDC dc, int width, int height)
{
    HFONT font = SwitchFont(dc, NULL, &g_backdrop.titleFont);
    // Farthest shadow first; each layer one pixel up and left of the last.
    DrawLayers(dc, g_backdrop.title, 8 + kTitleShadowFar, -6 + kTitleShadowFar, kTitleShadowFar,
               kTitleTop);

    font = SwitchFont(dc, font, &g_backdrop.subtitleFont);
    SIZE extent = {0, 0};
    GetTextExtentPointA(dc, g_backdrop.subtitle, lstrlenA(g_backdrop.subtitle), &extent);
    DrawLayers(dc, g_backdrop.subtitle, width - extent.cx - 32, height - extent.cy - 16,
               kSubtitleBottom, kSubtitleTop);

    font = SwitchFont(dc, font, &g_backdrop.stepFont);
    const char* caption = kStepCaptions;
    for (int step = 0; step < kStepCount; ++step) {
        bool current = (g_setup.state.stepMask & (1u << step)) != 0;
        int length = lstrlenA(caption);
        SetTextColor(dc, g_backdrop.colours[current ? kCurrentStep : kOtherStep]);
        TextOutA(dc, kStepLeft, kStepListTop + step * kStepSpacing, caption, length);
        caption += length + 1;
    }

    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
    SetTextColor(dc, kLabelColour);
    char label[kProductNameSize + 2];  // the installer's name and a colon
    CopyText(label, sizeof label, INSTALLER_NAME);
    AppendText(label, sizeof label, ":");
    TextOutA(dc, kStepLeft, kLabelTop, label, lstrlenA(label));
}

HIMAGELIST SystemImageList(const char* path)
{
    return (HIMAGELIST)ReadShellInfo(path, 0, 0);
}

void CreateBackdrop(HWND window)
{
    g_backdrop.keepIconic = false;
    FormatBackdropTexts();
    g_backdrop.imageList = SystemImageList(".");
    if (g_backdrop.imageList == NULL) {
        // Wine answers nothing for "." when the current folder is a drive
        // root; any folder gives the same list.
        char windows[MAX_PATH];
        UINT length = GetWindowsDirectoryA(windows, sizeof windows);
        if (length > 0 && length < sizeof windows) {
            g_backdrop.imageList = SystemImageList(windows);
        }
    }
    FillFontDescriptions(g_setup.state.screenWidth, g_setup.state.screenHeight);
    FillColourTable();

    // The palette comes from the first block that has a colour table.
    static const WORD kIds[kPictureBlocks] = {IDB_BANNER, IDB_BANNER_STRIP, IDB_BANNER_LINE};
    for (int i = 0; i < kPictureBlocks; ++i) {
        *kBlocks[i] = LoadDibResource(kIds[i]);
        if (*kBlocks[i] != NULL && g_backdrop.palette == NULL) {
            g_backdrop.palette = CreateDibPalette(*kBlocks[i]);
        }
    }
    SetTimer(window, kStartTimer, kStartDelay, NULL);
}

void DestroyBackdrop()
{
    for (HGLOBAL* block : kBlocks) {
        if (*block != NULL) {
            GlobalFree(*block);
            *block = NULL;
        }
    }
    if (g_backdrop.palette != NULL) {
        DeleteObject(g_backdrop.palette);
        g_backdrop.palette = NULL;
    }
    PostQuitMessage(0);
}

}  // namespace

DWORD_PTR ReadShellInfo(const char* path, DWORD attributes, UINT flags)
{
    return SHGetFileInfoA(path, attributes, &g_backdrop.fileInfo, sizeof g_backdrop.fileInfo,
                          flags | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
}

void FormatBackdropTexts()
{
    const ProductManifest& m = g_setup.manifest;
    FormatInto(g_backdrop.title, sizeof g_backdrop.title, "%s v%s", m.productName, m.version);
    FormatInto(g_backdrop.subtitle, sizeof g_backdrop.subtitle, "%s - %s", m.productName,
               m.tagline);
}

LONG TitleFontWidth(int screenWidth, int titleLength)
{
    // Width 0 lets the font mapper choose, the fallback for an empty text.
    return titleLength > 0 ? (screenWidth / 3) / titleLength : 0;
}

LONG SubtitleFontWidth(int screenWidth, int subtitleLength)
{
    int t = subtitleLength * 3 / 2;
    return t > 0 ? screenWidth / t : 0;
}

LONG SubtitleFontHeight(int screenHeight)
{
    return screenHeight / 18;
}

void FillFontDescriptions(int screenWidth, int screenHeight)
{
    LOGFONTA& title = g_backdrop.titleFont;
    memset(&title, 0, sizeof title);
    lstrcpynA(title.lfFaceName, "Comic Sans MS", LF_FACESIZE);
    title.lfHeight = 64;
    title.lfWidth = TitleFontWidth(screenWidth, lstrlenA(g_backdrop.title));
    title.lfWeight = FW_BOLD;
    title.lfCharSet = ANSI_CHARSET;
    title.lfOutPrecision = OUT_CHARACTER_PRECIS;
    title.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    title.lfQuality = PROOF_QUALITY;
    title.lfPitchAndFamily = VARIABLE_PITCH | FF_SCRIPT;

    // The others start as copies, so the subtitle keeps the script family.
    LOGFONTA& subtitle = g_backdrop.subtitleFont;
    subtitle = title;
    lstrcpynA(subtitle.lfFaceName, "Arial", LF_FACESIZE);
    subtitle.lfHeight = SubtitleFontHeight(screenHeight);
    subtitle.lfWidth = SubtitleFontWidth(screenWidth, lstrlenA(g_backdrop.subtitle));
    subtitle.lfWeight = FW_NORMAL;

    LOGFONTA& step = g_backdrop.stepFont;
    step = title;
    lstrcpynA(step.lfFaceName, "Ms Sans Serif", LF_FACESIZE);
    step.lfHeight = -11;
    step.lfWidth = 0;
    step.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
}

void FillColourTable()
{
    memcpy(g_backdrop.colours, kFixedColours, sizeof g_backdrop.colours);
    // Read once: the pages' lists keep these even if the scheme changes.
    g_backdrop.colours[kSelectedText] = GetSysColor(COLOR_HIGHLIGHTTEXT);
    g_backdrop.colours[kSelectedBack] = GetSysColor(COLOR_HIGHLIGHT);
    g_backdrop.colours[kItemText] = GetSysColor(COLOR_WINDOWTEXT);
    g_backdrop.colours[kItemBack] = GetSysColor(COLOR_WINDOW);
}

void PaintBackdrop(HDC dc, int width, int height)
{
    SetBkMode(dc, TRANSPARENT);
    PaintBanner(dc, width);
    if (g_backdrop.line != NULL) {
        StretchDib(dc, kBackdropPanelWidth, kBannerHeight, width - kBackdropPanelWidth, kLineHeight,
                   g_backdrop.line, g_backdrop.palette);
    }
    PaintAreas(dc, width, height);
    PaintPicture(dc, height);
    PaintTexts(dc, width, height);
}

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        CreateBackdrop(window);
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        PaintBackdrop(dc, g_setup.state.screenWidth, g_setup.state.screenHeight);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        // The paint covers every pixel; erasing first would only flicker.
        return 1;
    case WM_QUERYOPEN:
        // Whoever asks (the taskbar, a second setup), the topmost backdrop
        // must not come back over the read-me.
        return g_backdrop.keepIconic ? FALSE : TRUE;
    case WM_CLOSE:
        // The finish is under way; the farewell ends the run.
        if (g_backdrop.keepIconic) {
            return 0;
        }
        break;
    case WM_TIMER:
        // Killed first: the pages' modal loops must not start the chain again.
        KillTimer(window, wParam);
        RunLicensePage(window);
        return 0;
    case WM_DESTROY:
        UnmarkSetupWindow(window);
        DestroyBackdrop();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void SetStepMask(DWORD value)
{
    g_setup.state.stepMask = value;
    static const RECT kSteps = {0, kStepListTop, kBackdropPanelWidth, kStepListBottom};
    InvalidateRect(g_setup.state.backdrop, &kSteps, FALSE);
    UpdateWindow(g_setup.state.backdrop);
}
