// Screen captures for the end-to-end driver: the whole screen into one
// static pixel buffer, pixel queries over it, PNG files of it, and the
// setup program's own bitmaps to compare it with.
#ifndef VANTOR_E2E_SCREEN_H
#define VANTOR_E2E_SCREEN_H

#include <windows.h>

enum {
    kMaxIconSide = 64,  // what a message box shows at most
    kMaxScreenWidth = 2560,
    kMaxScreenHeight = 1600,
    kMaxDibWidth = 512,  // the setup's bitmaps are at most 334 x 168
    kMaxDibHeight = 256,
};

// Captures the whole screen (GetDC(NULL) + BitBlt into a DIB section).
bool CaptureScreen();
// Captures only the given area of the screen over the last whole capture:
// quick enough to watch a control that changes while a whole capture is
// taken. Only the area is fresh.
bool CaptureArea(const RECT& area);
// Captures the area again until two captures in a row agree, a few times
// at most, so that a control is not judged half-way through its paint;
// false when it never kept still.
bool SettleArea(const RECT& area);
int CapturedWidth();
int CapturedHeight();
// RGB of a captured pixel; CLR_INVALID outside the capture.
COLORREF ScreenPixel(int x, int y);
// Pixels of the given colour in the rectangle [left, right) x [top, bottom).
int CountColour(int left, int top, int right, int bottom, COLORREF colour);

// The icon drawn at w x h (at most kMaxIconSide each) over a solid
// background, as RGB pixels, top row first; false when it cannot be drawn.
bool RenderIcon(HICON icon, int w, int h, COLORREF background, COLORREF* pixels);

// Writes the last capture as a PNG file.
bool WritePng(const char* path);

// A bitmap resource of a module, unpacked to RGB rows, top row first.
struct DibPicture {
    int width;
    int height;
    int bitsPerPixel;
    COLORREF pixels[kMaxDibWidth * kMaxDibHeight];
};
bool LoadDibPicture(HMODULE module, int id, DibPicture* picture);
COLORREF DibPixel(const DibPicture* picture, int x, int y);

#endif
