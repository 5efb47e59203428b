#ifndef VANTOR_LICENSE_PAGE_H
#define VANTOR_LICENSE_PAGE_H

#include <windows.h>

INT_PTR CALLBACK LicenseProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
