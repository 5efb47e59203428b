// The backdrop checked pixel by pixel against what it must draw.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_walk.h"
#include "page_ids.h"
#include "shell_ids.h"

// --- Backdrop pixels -------------------------------------------------------

static RECT g_covering[kMaxCovering];
static int g_coveringCount;

static bool Covered(int x, int y)
{
    POINT p = {x, y};
    for (int i = 0; i < g_coveringCount; i++) {
        if (PtInRect(&g_covering[i], p)) {
            return true;
        }
    }
    return false;
}

// Number of uncovered pixels in the rectangle whose colour is not in the
// allowed set, logging the first one.
int Mismatches(const char* what, int left, int top, int right, int bottom, int step,
               const COLORREF* allowed, int allowedCount, int* compared)
{
    int bad = 0;
    for (int y = top; y < bottom; y += step) {
        for (int x = left; x < right; x += step) {
            if (Covered(x, y)) {
                continue;
            }
            (*compared)++;
            COLORREF c = ScreenPixel(x, y);
            bool ok = false;
            for (int i = 0; i < allowedCount && !ok; i++) {
                ok = c == allowed[i];
            }
            if (!ok) {
                if (bad == 0) {
                    Log("  %s: pixel (%d, %d) is RGB(%d, %d, %d)", what, x, y, GetRValue(c),
                        GetGValue(c), GetBValue(c));
                }
                bad++;
            }
        }
    }
    return bad;
}

// Colours of one row of a picture, for stretched bitmaps.
static int RowColours(const DibPicture* picture, int y, COLORREF* colours, int capacity)
{
    int n = 0;
    for (int x = 0; x < picture->width; x++) {
        COLORREF c = DibPixel(picture, x, y);
        bool known = false;
        for (int i = 0; i < n && !known; i++) {
            known = colours[i] == c;
        }
        if (!known && n < capacity) {
            colours[n++] = c;
        }
    }
    return n;
}

static DibPicture g_picture;

// Pixels of step k's caption in the last capture, in the highlight colour
// and in the other one.
static void StepPixels(int k, int* current, int* other)
{
    int top = kStepTop + k * kStepPitch;
    *current = CountColour(10, top, kPanelWidth, top + 16, kCurrentStepColour);
    *other = CountColour(10, top, kPanelWidth, top + 16, kOtherStepColour);
}

// Whether the last capture shows every step caption in one colour, the
// given steps highlighted.
static bool ShowsSteps(DWORD steps)
{
    for (int k = 0; k < kStepCount; k++) {
        int current = 0;
        int other = 0;
        StepPixels(k, &current, &other);
        if ((current > 0) == (other > 0) || (current > 0) != (((steps >> k) & 1) != 0)) {
            return false;
        }
    }
    return true;
}

// Checks the last capture against how the backdrop must look and answers which
// step captions it shows highlighted.
DWORD CheckBackdropPixels(DWORD expectedStep)
{
    const int W = g_walk.width;
    const int H = g_walk.height;
    g_coveringCount = CoveringRects(g_walk.backdrop, g_covering, kMaxCovering);
    int compared = 0;

    // Left panel, away from the label, the step list and the picture.
    int bad = 0;
    for (int y = 62; y < H; y += 5) {
        for (int x = 0; x < kPanelWidth; x += 5) {
            bool label = y >= 95 && y < 118;
            bool steps = y >= kStepTop - 2 && y < kStepTop + kStepCount * kStepPitch + 2;
            bool picture = x >= 16 && x < 136 && y >= H - 180 && y < H - 12;
            if (label || steps || picture || Covered(x, y)) {
                continue;
            }
            compared++;
            if (ScreenPixel(x, y) != kPanelColour) {
                if (bad++ == 0) {
                    COLORREF c = ScreenPixel(x, y);
                    Log("  panel: pixel (%d, %d) is RGB(%d, %d, %d)", x, y, GetRValue(c),
                        GetGValue(c), GetBValue(c));
                }
            }
        }
    }
    Check(bad == 0 && compared > 100,
          "left panel is RGB(0, 24, 96) left of x 150 below y 58 (%d of %d sampled pixels differ)",
          bad, compared);

    // Rules at y 63, 67, ... with white between them.
    compared = 0;
    bad = Mismatches("rule at y 63", 152, 63, W, 64, 3, &kRuleColour, 1, &compared) +
          Mismatches("rule at y 67", 152, 67, W, 68, 3, &kRuleColour, 1, &compared);
    int white = Mismatches("white between rules", 152, 65, W, 66, 3, &kWhite, 1, &compared) +
                Mismatches("white between rules", 152, 69, W, 70, 3, &kWhite, 1, &compared);
    Check(bad == 0 && white == 0 && compared > 100,
          "rules at y 63 and 67 in RGB(248, 248, 255), white at y 65 and 69 (%d + %d of %d "
          "pixels differ)",
          bad, white, compared);

    // Banner at its own size at x W - 334.
    if (OpenSetupImage() && LoadDibPicture(g_walk.setupImage, IDB_BANNER, &g_picture)) {
        compared = 0;
        bad = 0;
        for (int y = 0; y < g_picture.height; y++) {
            for (int x = 0; x < g_picture.width; x++) {
                int sx = W - kBannerWidth + x;
                if (Covered(sx, y)) {
                    continue;
                }
                compared++;
                if (ScreenPixel(sx, y) != DibPixel(&g_picture, x, y) && bad++ == 0) {
                    Log("  banner: pixel (%d, %d) differs from the bitmap", sx, y);
                }
            }
        }
        Check(bad == 0 && compared > 0,
              "banner (bitmap %d, %d x %d) drawn at x %d (%d of %d pixels "
              "differ)",
              IDB_BANNER, g_picture.width, g_picture.height, W - kBannerWidth, bad, compared);
    } else {
        Fail("cannot read the banner bitmap %d from " PRODUCT_OUTPUT_FILE, IDB_BANNER);
    }

    // The strip stretched left of the banner: each row keeps its colours.
    if (LoadDibPicture(g_walk.setupImage, IDB_BANNER_STRIP, &g_picture)) {
        compared = 0;
        bad = 0;
        for (int y = 0; y < kBannerHeight && y < g_picture.height; y++) {
            COLORREF colours[64];
            int n = RowColours(&g_picture, y, colours, 64);
            bad += Mismatches("strip", W - kBannerWidth - 40, y, W - kBannerWidth, y + 1, 1,
                              colours, n, &compared);
        }
        Check(bad == 0 && compared > 0,
              "banner strip stretched left of the banner (%d of %d differ)", bad, compared);
    }

    // The line under the banner band, from x 150 to the right edge.
    if (LoadDibPicture(g_walk.setupImage, IDB_BANNER_LINE, &g_picture)) {
        compared = 0;
        bad = 0;
        for (int y = 0; y < 2 && y < g_picture.height; y++) {
            COLORREF colours[16];
            int n = RowColours(&g_picture, y, colours, 16);
            bad += Mismatches("line", kPanelWidth, kBannerHeight + y, W, kBannerHeight + y + 1, 7,
                              colours, n, &compared);
        }
        Check(bad == 0 && compared > 0,
              "line bitmap stretched at y 58..59 from x 150 (%d of %d differ)", bad, compared);
    }

    // The picture at (16, H - 180), its key colour around the corner
    // replaced by the panel colour.
    if (LoadDibPicture(g_walk.setupImage, IDB_START_MENU, &g_picture)) {
        compared = 0;
        bad = 0;
        for (int y = 0; y < g_picture.height; y++) {
            for (int x = 0; x < g_picture.width; x++) {
                int sx = 16 + x;
                int sy = H - 180 + y;
                if (Covered(sx, sy)) {
                    continue;
                }
                compared++;
                COLORREF want = DibPixel(&g_picture, x, y);
                COLORREF got = ScreenPixel(sx, sy);
                bool ok =
                    want == kPictureKey ? (got == kPanelColour || got == kPictureKey) : got == want;
                if (!ok && bad++ == 0) {
                    Log("  picture: pixel (%d, %d) differs from the bitmap", sx, sy);
                }
            }
        }
        bool corner =
            DibPixel(&g_picture, 1, 1) != kPictureKey || ScreenPixel(17, H - 179) == kPanelColour;
        Check(bad == 0 && corner && compared > 0,
              "start menu picture at (16, %d), key colour around the corner filled with the "
              "panel colour (%d of %d differ)",
              H - 180, bad, compared);
    }

    Check(CountColour(8, 95, kPanelWidth, 118, kLabelColour) > 0,
          "label \"" PRODUCT_INSTALLER_NAME ":\" in RGB(175, 175, 255) at (10, 100)");
    Check(CountColour(0, 0, W - kBannerWidth, kBannerHeight, kTitleColour) > 0,
          "title's top layer in RGB(128, 160, 255) in the banner band");
    Check(CountColour(W / 3, H - 120, W, H, kSubtitleColour) > 0,
          "subtitle's top layer in RGB(0, 0, 255) at the bottom right");

    DWORD seen = 0;
    char shown[256] = "";
    for (int k = 0; k < kStepCount; k++) {
        int top = kStepTop + k * kStepPitch;
        int current = 0;
        int other = 0;
        StepPixels(k, &current, &other);
        if (current > 0) {
            seen |= 1u << k;
            strncat(shown, kStepNames[k], sizeof shown - strlen(shown) - 1);
        }
        if (current == 0 && other == 0) {
            Fail("no caption drawn for step \"%s\" at y %d", kStepNames[k], top);
        }
        if (current > 0 && other > 0) {
            Fail("step \"%s\" drawn in both step colours", kStepNames[k]);
        }
    }
    Check(seen == expectedStep, "step list highlights only \"%s\" (shows: \"%s\", mask %lu)",
          expectedStep ? kStepNames[__builtin_ctz(expectedStep)] : "(none)", shown,
          (unsigned long)seen);
    return seen;
}

void ShotAndStep(const char* name, DWORD step)
{
    Sleep(80);  // a page just shown finishes painting its controls
    // The backdrop repaints its step list as the page changes, and on a busy
    // machine the screen can show that a while later: the list alone is
    // watched until it shows the step, then the whole screen is taken.
    RECT list = {10, kStepTop, kPanelWidth, kStepTop + (kStepCount - 1) * kStepPitch + 16};
    WaitUntil([&] { return !(CaptureArea(list) || CaptureScreen()) || ShowsSteps(step); });
    if (Shot(name)) {
        CheckBackdropPixels(step);
    }
}
