// Device-independent bitmaps kept as private copies in movable memory: the
// backdrop's banner band and the palette taken from it.
#ifndef VANTOR_DIB_H
#define VANTOR_DIB_H

#include <windows.h>

// A movable copy of the bitmap resource, or null when it is missing or
// cannot be copied.
HGLOBAL LoadDibResource(WORD id);

// Entries of the colour table: the colours-used field when set, else what
// the depth implies (none for 16 bits and more).
unsigned DibColorCount(const BITMAPINFOHEADER* header);

// Pixel rows: after the header (of its stated size) and the colour table.
const BYTE* DibBits(const BITMAPINFOHEADER* header);

// A palette of the bitmap's colour table, or null when it has none.
HPALETTE CreateDibPalette(HGLOBAL block);

// Draw the bitmap in its own size, or stretched to the rectangle; 1, or 0
// when the block cannot be used. The palette may be null.
int DrawDib(HDC dc, int x, int y, HGLOBAL block, HPALETTE palette);
int StretchDib(HDC dc, int x, int y, int width, int height, HGLOBAL block, HPALETTE palette);

#endif
