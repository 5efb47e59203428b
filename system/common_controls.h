// The common controls library, taken from the system folder at run time
// (never imported: a copy beside the setup would be loaded instead).
#ifndef VANTOR_COMMON_CONTROLS_H
#define VANTOR_COMMON_CONTROLS_H

#include <windows.h>
#include <commctrl.h>

// Loads the library and registers the progress bar class that the
// shortcut dialog's template names; false when either fails.
bool InitCommonControlsLibrary();

// ImageList_Draw of the library; nothing is drawn without it.
void DrawImageListIcon(HIMAGELIST list, int icon, HDC dc, int x, int y, UINT style);

#endif
