// The full-screen backdrop behind the wizard pages, and what it lends them.
#ifndef VANTOR_BACKDROP_H
#define VANTOR_BACKDROP_H

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

enum {
    kTitleSize = 30,     // "%s v%s"
    kSubtitleSize = 61,  // "%s - %s"
    kColourCount = 15,
    kStartTimer = 100,
    kStartDelay = 250,
};

// Colour table entries; the title and subtitle layers must stay in order.
enum {
    kTitleTop = 0, kTitleShadowNear = 1, kTitleShadowMiddle = 2, kTitleShadowFar = 3,
    kSubtitleBottom = 4, kSubtitleMiddle = 5, kSubtitleTop = 6,
    kSelectedText = 7, kSelectedBack = 8, kItemText = 9, kItemBack = 10,
    kCurrentStep = 11, kOtherStep = 12, kPanelFill = 13, kRuleColour = 14,
};

struct BackdropState {
    char title[kTitleSize];
    char subtitle[kSubtitleSize];
    LOGFONTA titleFont;
    LOGFONTA subtitleFont;
    LOGFONTA stepFont;
    COLORREF colours[kColourCount];
    HIMAGELIST imageList;     // the shell's small icons, lent to the pages
    SHFILEINFOA fileInfo;     // scratch record the pages reuse
    HGLOBAL banner;
    HGLOBAL strip;
    HGLOBAL line;
    HPALETTE palette;
    bool keepIconic;  // the read-me's window must stay uncovered
};

extern BackdropState g_backdrop;

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The shell's small icon of a path (or of an item list, with SHGFI_PIDL)
// and whatever more the flags ask, into the lent information record; the
// shell's answer, the system image list when it succeeds.
DWORD_PTR ReadShellInfo(const char* path, DWORD attributes, UINT flags);

// Stores the step and repaints the step list at once.
void SetStepMask(DWORD value);

#endif
