// Bitmap blocks: copies of RT_BITMAP resources (header, colour table, rows).
#include "dib.h"

#include <string.h>

#include "page_services.h"

enum {
    kPaletteVersion = 0x300,
    kOwnSize = -1,  // drawn one to one: the same call as a stretch, one draw call fewer
};

namespace {

DWORD RowBytes(const BITMAPINFOHEADER* header)
{
    // Rows are padded to whole 32-bit words.
    return ((DWORD)LOWORD(header->biWidth) * header->biBitCount + 31) / 32 * 4;
}

// Locks the block when its header, colour table and rows all lie inside
// it, so that no drawing call reads past the copy; else null, unlocked.
const BITMAPINFOHEADER* LockDib(HGLOBAL block)
{
    if (block == NULL) {
        return NULL;
    }
    SIZE_T size = GlobalSize(block);
    const BITMAPINFOHEADER* header = (const BITMAPINFOHEADER*)GlobalLock(block);
    if (header == NULL) {
        return NULL;
    }
    if (size >= sizeof(BITMAPINFOHEADER) && header->biSize >= sizeof(BITMAPINFOHEADER) &&
        header->biSize <= size) {
        SIZE_T bitsOffset = header->biSize + 4 * (SIZE_T)DibColorCount(header);
        SIZE_T rows = header->biCompression == BI_RGB
                          ? (SIZE_T)RowBytes(header) * LOWORD(header->biHeight)
                          : header->biSizeImage;
        if (bitsOffset <= size && rows <= size - bitsOffset) {
            return header;
        }
    }
    GlobalUnlock(block);
    return NULL;
}

HPALETTE SelectForeground(HDC dc, HPALETTE palette)
{
    if (palette == NULL) {
        return NULL;
    }
    HPALETTE previous = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
    return previous;
}

void RestorePalette(HDC dc, HPALETTE previous)
{
    if (previous != NULL) {
        SelectPalette(dc, previous, TRUE);
        RealizePalette(dc);
    }
}

}  // namespace

HGLOBAL LoadDibResource(WORD id)
{
    DWORD size = 0;
    const void* bytes = LockProgramResource(MAKEINTRESOURCEA(id), RT_BITMAP, &size);
    if (bytes == NULL || size == 0) {
        return NULL;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == NULL) {
        return NULL;
    }
    void* copy = GlobalLock(block);
    if (copy == NULL) {
        GlobalFree(block);
        return NULL;
    }
    memcpy(copy, bytes, size);
    GlobalUnlock(block);
    return block;
}

unsigned DibColorCount(const BITMAPINFOHEADER* header)
{
    if (header->biClrUsed != 0) {
        return LOWORD(header->biClrUsed);
    }
    switch (header->biBitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

const BYTE* DibBits(const BITMAPINFOHEADER* header)
{
    return (const BYTE*)header + header->biSize + 4 * DibColorCount(header);
}

HPALETTE CreateDibPalette(HGLOBAL block)
{
    const BITMAPINFOHEADER* header = LockDib(block);
    if (header == NULL) {
        return NULL;
    }
    unsigned count = DibColorCount(header);
    // The table is read right after a 40-byte header; it must lie in the copy.
    if (count == 0 || sizeof(BITMAPINFOHEADER) + 4 * (SIZE_T)count > GlobalSize(block)) {
        GlobalUnlock(block);
        return NULL;
    }
    HPALETTE palette = NULL;
    HGLOBAL logBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                   sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    LOGPALETTE* logical = logBlock ? (LOGPALETTE*)GlobalLock(logBlock) : NULL;
    if (logical != NULL) {
        const RGBQUAD* table = (const RGBQUAD*)((const BYTE*)header + sizeof(BITMAPINFOHEADER));
        logical->palVersion = kPaletteVersion;
        logical->palNumEntries = (WORD)count;
        for (unsigned i = 0; i < count; ++i) {
            logical->palPalEntry[i].peRed = table[i].rgbRed;
            logical->palPalEntry[i].peGreen = table[i].rgbGreen;
            logical->palPalEntry[i].peBlue = table[i].rgbBlue;
            logical->palPalEntry[i].peFlags = 0;
        }
        palette = CreatePalette(logical);
        GlobalUnlock(logBlock);
    }
    if (logBlock != NULL) {
        GlobalFree(logBlock);
    }
    GlobalUnlock(block);
    return palette;
}

int DrawDib(HDC dc, int x, int y, HGLOBAL block, HPALETTE palette)
{
    return StretchDib(dc, x, y, kOwnSize, kOwnSize, block, palette);
}

int StretchDib(HDC dc, int x, int y, int width, int height, HGLOBAL block, HPALETTE palette)
{
    const BITMAPINFOHEADER* header = LockDib(block);
    if (header == NULL) {
        return 0;
    }
    int ownWidth = LOWORD(header->biWidth);
    int ownHeight = LOWORD(header->biHeight);
    if (width == kOwnSize) {
        width = ownWidth;
        height = ownHeight;
    }
    HPALETTE previous = SelectForeground(dc, palette);
    StretchDIBits(dc, x, y, width, height, 0, 0, ownWidth, ownHeight, DibBits(header),
                  (const BITMAPINFO*)header, DIB_RGB_COLORS, SRCCOPY);
    RestorePalette(dc, previous);
    GlobalUnlock(block);
    return 1;
}
