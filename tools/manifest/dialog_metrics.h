// How wide the setup's windows draw the description's texts: the advance
// of each Windows-1252 character in the pages' font ("MS Sans Serif" 8,
// which Wine draws with its Liberation Sans, some glyphs wider than their
// advance), in the title bars' bold font
// and in the stock system font of the backdrop's label, and the boxes and
// title bars those texts go into. A Windows test measures the real fonts
// and dialogs against these, so the build's checks can never pass a text
// the page would clip.
#ifndef VANTOR_TOOLS_DIALOG_METRICS_H
#define VANTOR_TOOLS_DIALOG_METRICS_H

#include <string>

// Advances in pixels of the characters 0x20 to 0xFF, sixteen a row.
constexpr int kFirstMeasured = 0x20;
constexpr int kMeasuredCount = 0x100 - kFirstMeasured;

struct FontWidths {
    const char* name;
    int lineHeight;  // pixels from one line of text to the next
    unsigned char advance[kMeasuredCount];
    // Characters drawn a pixel wider than measured, once a pixel: Wine
    // draws some of Liberation Sans's hinted glyphs wider than their
    // advance, while the static controls break lines by the advance.
    const char* wider;
};

constexpr FontWidths kDialogFont = {"the pages' font", 12, {
    3, 3, 4, 6, 6, 10, 7, 2, 4, 4, 4, 6, 3, 4, 3, 3,
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 6, 6, 6, 6,
    11, 7, 7, 8, 8, 7, 7, 9, 8, 3, 6, 7, 6, 9, 8, 9,
    7, 9, 8, 7, 7, 8, 7, 10, 7, 7, 7, 3, 3, 3, 5, 6,
    4, 6, 6, 6, 6, 6, 3, 6, 6, 2, 2, 6, 2, 9, 6, 6,
    6, 6, 4, 6, 3, 6, 6, 8, 6, 6, 6, 4, 3, 4, 6, 4,
    6, 4, 2, 6, 4, 11, 6, 6, 4, 11, 7, 4, 11, 4, 7, 4,
    4, 2, 2, 4, 4, 4, 6, 11, 4, 11, 6, 4, 10, 4, 6, 7,
    3, 4, 6, 6, 6, 6, 3, 6, 4, 8, 4, 6, 6, 4, 8, 6,
    4, 6, 4, 4, 4, 6, 6, 3, 4, 4, 4, 6, 9, 9, 9, 7,
    7, 7, 7, 7, 7, 7, 11, 8, 7, 7, 7, 7, 3, 3, 3, 3,
    8, 8, 9, 9, 9, 9, 9, 6, 9, 8, 8, 8, 8, 7, 7, 7,
    6, 6, 6, 6, 6, 6, 10, 6, 6, 6, 6, 6, 3, 3, 3, 3,
    6, 6, 6, 6, 6, 6, 6, 6, 7, 6, 6, 6, 6, 6, 6, 6,
}, "AVYfww\x9f\xa2\xa4\xba\xbd\xbe\xc0\xc1\xc2\xc3\xc4\xc5\xdd"};

constexpr FontWidths kSystemFont = {"the backdrop's system font", 16, {
    4, 4, 6, 7, 7, 10, 8, 3, 4, 4, 4, 7, 4, 4, 4, 4,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 4, 4, 7, 7, 7, 7,
    11, 8, 8, 8, 8, 7, 7, 9, 8, 4, 7, 8, 7, 10, 8, 9,
    7, 9, 8, 7, 7, 8, 7, 11, 7, 7, 7, 4, 4, 4, 7, 7,
    4, 7, 7, 7, 7, 7, 4, 7, 7, 4, 4, 7, 4, 10, 7, 7,
    7, 7, 4, 7, 4, 7, 7, 9, 7, 7, 6, 4, 4, 4, 7, 4,
    7, 4, 4, 7, 6, 11, 7, 7, 4, 11, 7, 4, 11, 4, 7, 4,
    4, 4, 4, 6, 6, 4, 7, 11, 4, 11, 7, 4, 11, 4, 6, 7,
    4, 4, 7, 7, 7, 7, 4, 7, 4, 8, 4, 7, 7, 4, 8, 7,
    5, 7, 4, 4, 4, 7, 7, 4, 4, 4, 4, 7, 10, 10, 10, 7,
    8, 8, 8, 8, 8, 8, 11, 8, 7, 7, 7, 7, 4, 4, 4, 4,
    8, 8, 9, 9, 9, 9, 9, 7, 9, 8, 8, 8, 8, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 10, 7, 7, 7, 7, 7, 4, 4, 4, 4,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
}, ""};

constexpr FontWidths kCaptionFont = {"the title bars' bold font", 12, {
    3, 4, 5, 6, 6, 10, 8, 3, 4, 4, 4, 6, 3, 4, 3, 3,
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 4, 4, 6, 6, 6, 7,
    11, 8, 8, 8, 8, 7, 7, 9, 8, 3, 6, 8, 7, 9, 8, 9,
    7, 9, 8, 7, 7, 8, 7, 10, 7, 7, 7, 4, 3, 4, 6, 6,
    4, 6, 7, 6, 7, 6, 4, 7, 7, 3, 3, 6, 3, 10, 7, 7,
    7, 7, 4, 6, 4, 7, 6, 9, 6, 6, 6, 4, 3, 4, 6, 4,
    6, 4, 3, 6, 6, 11, 6, 6, 4, 11, 7, 4, 11, 4, 7, 4,
    4, 3, 3, 6, 6, 4, 6, 11, 4, 11, 6, 4, 10, 4, 6, 7,
    3, 4, 6, 6, 6, 6, 3, 6, 4, 8, 4, 6, 6, 4, 8, 6,
    4, 6, 4, 4, 4, 6, 6, 3, 4, 4, 4, 6, 9, 9, 9, 7,
    8, 8, 8, 8, 8, 8, 11, 8, 7, 7, 7, 7, 3, 3, 3, 3,
    8, 8, 9, 9, 9, 9, 9, 6, 9, 8, 8, 8, 8, 7, 7, 7,
    6, 6, 6, 6, 6, 6, 10, 6, 6, 6, 6, 6, 3, 3, 3, 3,
    7, 7, 7, 7, 7, 7, 7, 6, 7, 7, 7, 7, 7, 6, 7, 6,
}, ""};

// Dialog units of the pages' templates: 4 across and 8 down are these
// many pixels with the pages' font.
constexpr int kDialogBaseX = 6, kDialogBaseY = 12;

// A static control of a template that shows a description's text, as its
// template sizes it. format is the template's text where the page puts
// the product's name into it, else empty.
struct TextBox {
    const char* where;
    int width, height;        // dialog units
    int edge;                 // pixels of border on each side (SS_SUNKEN)
    bool centred;
    const char* format;
};

constexpr TextBox kHeadingBox = {"the welcome page's heading", 133, 20, 0, false, ""};
constexpr TextBox kWelcomeBox = {
    "the welcome page's text", 147, 35, 0, true,
    "This program will install %s to your computer. It is strongly recommended that you quit "
    "all running programs before you continue."};
constexpr TextBox kLocationBox = {
    "the folder page's text", 134, 17, 0, true,
    "The program files for %s will be installed to the following folder:"};
constexpr TextBox kGroupBox = {
    "the group page's text", 136, 17, 0, true,
    "Shortcuts for %s will be created and placed in the following group:"};
constexpr TextBox kVisitBox = {"the extraction page's notice", 191, 28, 1, true, ""};
constexpr TextBox kShortcutBox = {"the shortcut dialog", 95, 8, 0, false, ""};

// The title bar of a template, which cuts its caption off at its end.
// format is the template's caption, where the page puts the product's
// name; the welcome page's is the installer's name.
struct TitleBar {
    const char* where;
    int width;  // the template's, in dialog units
    const char* format;
};

constexpr TitleBar kWelcomeTitle = {"the welcome page's title bar", 168, ""};
constexpr TitleBar kPageTitles[] = {
    {"the licence page's title bar", 300, "%s License Agreement"},
    {"the folder page's title bar", 289, "%s Program Location"},
    {"the extraction page's title bar", 289, "Installing %s Program Files"},
    {"the group page's title bar", 289, "%s Program Group"},
    {"the shortcut dialog's title bar", 200, "Creating %s Shortcuts"},
};

// The system keeps a small icon's place at the left of a title bar, even
// where the pages, which have no system menu, show none.
constexpr int kTitleIconRoom = 18;

// The backdrop draws "NAME:" in its system font from x 10 of its 150-pixel
// left panel.
constexpr int kLabelRoom = 150 - 10;

// Dialog units to pixels as the dialog manager rounds a control's size.
constexpr int DialogPixels(int units, int base, int per)
{
    return (2 * units * base + per) / (2 * per);
}

constexpr int BoxWidth(const TextBox& box)
{
    return DialogPixels(box.width, kDialogBaseX, 4) - 2 * box.edge;
}

constexpr int BoxHeight(const TextBox& box)
{
    return DialogPixels(box.height, kDialogBaseY, 8) - 2 * box.edge;
}

constexpr int BoxLines(const TextBox& box)
{
    return BoxHeight(box) / kDialogFont.lineHeight;
}

// A title bar's room for its caption: the client area's width, the
// template's as the dialog manager rounds it, less the icon's place.
constexpr int TitleRoom(const TitleBar& bar)
{
    return DialogPixels(bar.width, kDialogBaseX, 4) - kTitleIconRoom;
}

inline int TextPixels(const FontWidths& font, const std::string& text)
{
    int width = 0;
    for (unsigned char c : text) {
        width += c >= kFirstMeasured ? font.advance[c - kFirstMeasured] : 0;
    }
    return width;
}

// As drawn: wider than the advances by the characters the font draws wider.
inline int DrawnPixels(const FontWidths& font, const std::string& text)
{
    int width = TextPixels(font, text);
    for (unsigned char c : text) {
        for (const char* w = font.wider; *w != '\0'; ++w) width += (unsigned char)*w == c;
    }
    return width;
}

#endif
