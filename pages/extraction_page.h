// The extraction progress page and the progress operations the
// installation pass drives it with.
#ifndef VANTOR_EXTRACTION_PAGE_H
#define VANTOR_EXTRACTION_PAGE_H

#include <windows.h>
#include <stdint.h>

INT_PTR CALLBACK ExtractionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the control's text to the value with thousands separators.
void ShowNumber(HWND page, int controlId, uint32_t value);

// Accounts bytes written or left in place: clamps to the total, repaints the
// percent bar when its half-percent value changes, shows "Current Size".
void AdvanceProgress(HWND page, uint32_t bytes);

// Half-percent units (0 to 200) of done out of total.
uint16_t BarValueFor(uint32_t done, uint32_t total);

// An existing path in the code page of the program's strings: as it is,
// or by its short name when one of its characters has no equivalent there.
// False, and out empty, when neither will do.
bool PathInCodePage(const WCHAR* path, char* out, int size);

#endif
