// What every program of ours shares: its icon and the message box it
// shows. The resource scripts include it too.
#ifndef VANTOR_PRODUCT_WINDOW_H
#define VANTOR_PRODUCT_WINDOW_H

// The first icon of each program, so Explorer and shortcuts show it.
#define PROGRAM_ICON 1

#ifndef RC_INVOKED
#include <windows.h>

// A message box with the program's icon, owned by owner (may be null).
// Returns the button the user chose.
int ShowProductMessage(HWND owner, const char* caption, const char* text, UINT buttons);

// The program's icon at size x size pixels; shared, never destroyed.
HICON LoadProductIcon(int size);

// Registers a main window class of the program: its icons, the arrow,
// the dialog colour behind; menu may be null.
bool RegisterProductClass(HINSTANCE instance, WNDPROC procedure, const char* name,
                          const char* menu);
#endif

#endif
