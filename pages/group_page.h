// The program group page and its shortcut progress dialog.
#ifndef VANTOR_GROUP_PAGE_H
#define VANTOR_GROUP_PAGE_H

#include <windows.h>

INT_PTR CALLBACK GroupPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ShortcutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
