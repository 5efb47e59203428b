// The destination folder page; its colour rule and item drawing serve the
// program group page too.
#ifndef VANTOR_LOCATION_PAGE_H
#define VANTOR_LOCATION_PAGE_H

#include <windows.h>

#include "install_state.h"

INT_PTR CALLBACK LocationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Control 700 in dark blue on the button face; null brush for the others.
HBRUSH ColorPageText(HDC dc, HWND control);

// The folder the page proposes: the previous installation's while it is
// still acceptable, else the default (proposed_folder.cpp).
void ProposedFolder(char folder[kFolderSlotSize]);

// The default base folder of the description: base as it stands, or, when
// it starts with PROGRAM_FILES_FOLDER_TOKEN, the machine's 32-bit Program
// Files folder with the rest of base joined. False, and out empty, when
// the result would not fit.
bool ResolveBaseFolder(char out[kFolderSlotSize], const char* base);

int DrawFolderItem(const DRAWITEMSTRUCT* item);

// Draws one list row: icon at x, text beside it, selection and focus; shared
// so that the folder and group lists look alike.
void DrawListRow(const DRAWITEMSTRUCT* item, int x, const char* text, int icon);

#endif
