// What the three Quorvel programs share: the product's title and icon and
// the message box they all show. The resource scripts include it too.
#ifndef QUORVEL_PRODUCT_WINDOW_H
#define QUORVEL_PRODUCT_WINDOW_H

// The first icon of each program, so Explorer and shortcuts show it.
#define QUORVEL_ICON 1

#ifndef RC_INVOKED
#include <windows.h>

// These come from the product description at configure time, so the
// programs never disagree with what the setup program says it installs.
#if !defined(QUORVEL_NAME) || !defined(QUORVEL_VERSION) || \
    !defined(QUORVEL_TAGLINE) || !defined(QUORVEL_PUBLISHER)
#error "build the Quorvel programs through quorvel/CMakeLists.txt"
#endif

// "Quorvel 3.02", put together by the compiler.
#define QUORVEL_TITLE QUORVEL_NAME " " QUORVEL_VERSION

// A message box with the product's icon, owned by owner (may be null).
// Returns the button the user chose.
int ShowProductMessage(HWND owner, const char* caption, const char* text, UINT buttons);

// The product icon at size x size pixels; shared, never destroyed.
HICON LoadProductIcon(int size);
#endif

#endif
