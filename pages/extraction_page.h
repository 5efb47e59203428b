// The extraction progress page and the progress operations the
// installation pass drives it with.
#ifndef VANTOR_EXTRACTION_PAGE_H
#define VANTOR_EXTRACTION_PAGE_H

#include <windows.h>
#include <stdint.h>

#include "install_state.h"

// Shown as the pass's failures are, before the line that ends them all.
#define UNUSABLE_FOLDER_LINE \
    "The Start Menu or the Send To folder has a name this setup cannot use."

INT_PTR CALLBACK ExtractionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the control's text to the value with thousands separators.
void ShowNumber(HWND page, int controlId, uint32_t value);

// Accounts bytes written or left in place: clamps to the total, repaints the
// percent bar when its half-percent value changes, shows "Current Size".
void AdvanceProgress(HWND page, uint32_t bytes);

// Half-percent units (0 to 200) of done out of total; 200 from done = total on.
uint16_t BarValueFor(uint32_t done, uint32_t total);

// The Windows, Programs and SendTo slots of the install state; the page
// (null for none) owns any window the shell shows on the way.
void FillFolderSlots(HWND page);
// After FillFolderSlots: a shell folder no path in the code page names, so
// that the links could not be made and nothing may be written.
bool FolderSlotUnusable();

// A system folder's path (CSIDL_...) into its slot, by its short name when
// its own cannot be expressed; an empty slot when the shell has no such
// folder or its path is longer than a slot holds. Answers false for a
// folder there that no path in the code page names.
bool ReadSpecialFolder(HWND page, int folderId, char slot[kFolderSlotSize]);

// An existing path in the code page of the program's strings: as it is,
// or by its short name when one of its characters has no equivalent there.
// False, and out empty, when neither will do.
bool PathInCodePage(const WCHAR* path, char* out, int size);

#endif
