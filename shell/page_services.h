// Services every wizard page calls.
#ifndef VANTOR_PAGE_SERVICES_H
#define VANTOR_PAGE_SERVICES_H

#include <windows.h>

enum { kBackdropPanelWidth = 150 };

// Centres the window on the screen, or in the area right of the backdrop's
// left panel.
void CenterPage(HWND window, bool besidePanel);
// Pure arithmetic of CenterPage, for a window of the given outer size.
POINT CenteredOrigin(int width, int height, bool besidePanel);

// Puts the product name into the window's caption (and gives it the small
// icon) or into its control 700.
void FormatPageText(HWND window, bool caption);

// The window's text taken as a format for the arguments, as wsprintfA
// takes one; the result replaces it only when shorter than limit.
void FormatWindowText(HWND window, int limit, ...);

// What every page owned by the backdrop does first: centred beside the
// panel, the product name in its caption and, asked, in its control 700.
void PreparePage(HWND page, bool withText);

enum { kSmallIconSize = 16 };

// One of the program's icons in the given size (0: the system's size).
HICON LoadSetupIcon(WORD iconId, int size);
void SetSmallIcon(HWND window, WORD iconId);

// A static control's text colour on a system colour: the brush for
// WM_CTLCOLORSTATIC to answer.
HBRUSH ColorStaticText(HDC dc, COLORREF text, int background);

// One of the program's resources, read in place: its bytes and their
// number, or null when it is missing.
const void* LockProgramResource(const char* name, const char* type, DWORD* size);

// Dispatches the window's messages until the given time has passed.
void PumpMessages(HWND window, DWORD milliseconds);
// True once a pause begun at start has lasted the given time.
bool PauseElapsed(DWORD start, DWORD now, DWORD milliseconds);

// The abort notice; answers 0.
int ShowAbortNotice(HWND owner);

// How a page gives up the installation: the error box when there is an
// error text, the abort notice, and the page's end with 2.
void AbortPage(HWND page, const char* error);

// How the run was started: the wizard, or unattended with or without
// the progress pages.
enum PageRunMode {
    kPagesInteractive,
    kPagesSilent,
    kPagesPassive,
};
void SetPageRunMode(PageRunMode mode);
bool IsUnattendedRun();
bool IsSilentRun();

// Every box of the pages and the pass goes through here, captioned as the
// setup's boxes. Unattended, nobody can answer: the text goes to the log
// and the answer is the one that loses nothing (Cancel, No, OK).
int ShowPageBox(HWND owner, const char* text, UINT type);

// The same with the text formatted as by wsprintfA (at most 1024 bytes).
int ShowFormattedBox(HWND owner, UINT type, const char* format, ...);

#endif
