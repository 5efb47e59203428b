// Helpers shared by the tests that run under Wine.
#ifndef VANTOR_TEST_SUPPORT_H
#define VANTOR_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "install_state.h"
#include "product_identity.h"

// The notice that ends every aborted installation, with the product's
// support address.
#define ABORT_NOTICE_TEXT                                                  \
    "Installation Aborted!\r\n\r\nIf you need assistance you can email\r\n" \
    "support at - " PRODUCT_SUPPORT_ADDRESS "!"

// The setup program's module, loaded as data: its resources (payload,
// licence, templates, pictures) are what the tests use.
HMODULE SetupModule();

// What the last message box showed, as a user would have seen it.
struct BoxSeen {
    int count;
    std::string caption;
    std::string text;
    HICON icon;
};

// Answers every message box of this thread with the given button and
// records them all; seen is the last. Stops when it goes out of scope.
// kPressEnter presses whichever button is the box's default.
const int kPressEnter = -1;
struct BoxAnswerer {
    explicit BoxAnswerer(int button = IDOK);
    ~BoxAnswerer();
    int button() const;
    BoxSeen seen;
    std::vector<BoxSeen> boxes;
    // Called with each box as seen, before it is answered: a test can
    // change the world the way a user would while the box is up.
    void (*onBox)(const BoxSeen& box) = nullptr;
};

// A message box is a dialog with a text static of id 0xFFFF; the pages
// have such statics too, so a dialog with a page's own control is none.
bool IsMessageBox(HWND window);

// A window with the extraction page's value controls 400 to 406.
HWND CreateProgressWindow();

// A fresh empty folder C:\vantor-tests\<name>, and its removal.
std::string MakeTestFolder(const char* name);
void RemoveTree(const std::string& path);

bool ReadWholeFile(const std::string& path, std::string* contents);
// Whether path is a plain file with no other name.
bool HasOneName(const char* path);
bool WriteWholeFile(const std::string& path, const std::string& contents);

// Gives Everyone full control of the folder, as a user's own folder under
// a drive's root may; Wine keeps it as the host's o+w.
bool LetEveryoneChange(const std::string& folder);

// Removes the vendor key and the uninstall entry of the product.
void ClearProductRegistry();
// The product's record of an installation in folder, as the setup leaves
// it: the vendor key naming the folder, and an uninstall entry.
void RecordInstallation(const std::string& folder);

// The install state as the program starts.
void ResetInstallState();



// The install state exactly as the program started with it, kept by
// RememberInitialState right after StartSetupRecord.
void RememberInitialState();
const InstallState& InitialInstallState();
// A 32-bit memory surface filled with one colour, white unless given.
struct Canvas {
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : w(width), h(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(NULL);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
        old = SelectObject(dc, bitmap);
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
    int count(COLORREF colour, int left, int top, int right, int bottom) const
    {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += at(x, y) == colour;
        return n;
    }
    bool AllWhite() const { return count(RGB(255, 255, 255), 0, 0, w, h) == w * h; }
    int w, h;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    void* bits;  // the rows, top first, a DWORD a pixel
};

#endif
