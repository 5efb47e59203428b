// The program group page and its shortcut progress dialog.
#ifndef VANTOR_GROUP_PAGE_H
#define VANTOR_GROUP_PAGE_H

#include <windows.h>

INT_PTR CALLBACK GroupPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ShortcutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The words most refusals of a group name start with, kept once.
#define GROUP_NAME_HEAD "A group name may not "

// The warning for a group name the page refuses (the rules of a name, or a
// folder reached through a link), or null; the Programs slot must be filled.
// A format: GROUP_NAME_HEAD fills its "%s", where it has one.
const char* GroupRefusal(const char* name);

#endif
