// Screen capture, a small PNG writer (deflate with the fixed Huffman codes
// over a hashed LZ77 search, which shrinks flat screen areas well), and the
// setup program's bitmap resources unpacked for pixel comparisons.
#include "e2e_screen.h"

#include <stdint.h>
#include <string.h>

namespace {

enum {
    kRowBytes = 1 + kMaxScreenWidth * 3,  // filter byte, then RGB
    kRawSize = kMaxScreenHeight * kRowBytes,
    kDeflatedSize = kRawSize / 8 * 9 + 4096,  // fixed codes: at most 9 bits a byte
    kWindowSize = 32768,
    kHashSize = 1 << 16,
    kChainTries = 16,
    kMinMatch = 3,
    kMaxMatch = 258,
};

DWORD g_pixels[kMaxScreenWidth * kMaxScreenHeight];  // 0x00RRGGBB
int g_width;
int g_height;

uint8_t g_raw[kRawSize];
uint8_t g_deflated[kDeflatedSize];
int g_head[kHashSize];
int g_prev[kWindowSize];

struct BitWriter {
    uint8_t* out;
    size_t size;
    size_t capacity;
    uint32_t buffer;
    int count;
    bool overflow;
};
BitWriter g_bits;

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                    33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void PutBits(uint32_t value, int count)
{
    g_bits.buffer |= value << g_bits.count;
    g_bits.count += count;
    while (g_bits.count >= 8) {
        if (g_bits.size < g_bits.capacity) {
            g_bits.out[g_bits.size++] = (uint8_t)(g_bits.buffer & 0xFF);
        } else {
            g_bits.overflow = true;
        }
        g_bits.buffer >>= 8;
        g_bits.count -= 8;
    }
}

// Huffman codes go out most significant bit first.
void PutCode(uint32_t code, int length)
{
    uint32_t reversed = 0;
    for (int i = 0; i < length; i++) {
        reversed = (reversed << 1) | ((code >> i) & 1);
    }
    PutBits(reversed, length);
}

void PutSymbol(int symbol)
{
    if (symbol < 144) {
        PutCode(0x30 + symbol, 8);
    } else if (symbol < 256) {
        PutCode(0x190 + symbol - 144, 9);
    } else if (symbol < 280) {
        PutCode(symbol - 256, 7);
    } else {
        PutCode(0xC0 + symbol - 280, 8);
    }
}

void PutMatch(int length, int distance)
{
    int li = 28;
    if (length < kMaxMatch) {
        li = 27;
        while (kLengthBase[li] > length) {
            li--;
        }
    }
    PutSymbol(257 + li);
    PutBits(length - kLengthBase[li], kLengthExtra[li]);
    int di = 29;
    while (kDistanceBase[di] > distance) {
        di--;
    }
    PutCode(di, 5);
    PutBits(distance - kDistanceBase[di], kDistanceExtra[di]);
}

uint32_t Hash3(const uint8_t* p)
{
    uint32_t v = ((uint32_t)p[0] << 16) | ((uint32_t)p[1] << 8) | p[2];
    return (v * 2654435761u) >> 16;
}

void InsertHash(const uint8_t* data, int pos)
{
    uint32_t h = Hash3(data + pos);
    g_prev[pos & (kWindowSize - 1)] = g_head[h];
    g_head[h] = pos;
}

// One final block with the fixed codes; false when the output did not fit.
bool Deflate(const uint8_t* data, int size, uint8_t* out, size_t capacity, size_t* written)
{
    memset(&g_bits, 0, sizeof g_bits);
    g_bits.out = out;
    g_bits.capacity = capacity;
    for (int i = 0; i < kHashSize; i++) {
        g_head[i] = -1;
    }
    PutBits(1, 1);  // final block
    PutBits(1, 2);  // fixed Huffman codes
    int pos = 0;
    while (pos < size) {
        int best = 0;
        int bestDistance = 0;
        if (pos + kMinMatch <= size) {
            int limit = size - pos < kMaxMatch ? size - pos : kMaxMatch;
            int candidate = g_head[Hash3(data + pos)];
            for (int tries = 0; tries < kChainTries && candidate >= 0 && candidate < pos &&
                                pos - candidate <= kWindowSize;
                 tries++) {
                int length = 0;
                while (length < limit && data[candidate + length] == data[pos + length]) {
                    length++;
                }
                if (length > best) {
                    best = length;
                    bestDistance = pos - candidate;
                    if (length == limit) {
                        break;
                    }
                }
                candidate = g_prev[candidate & (kWindowSize - 1)];
            }
            InsertHash(data, pos);
        }
        if (best >= kMinMatch) {
            PutMatch(best, bestDistance);
            for (int i = pos + 1; i < pos + best && i + kMinMatch <= size; i++) {
                InsertHash(data, i);
            }
            pos += best;
        } else {
            PutSymbol(data[pos]);
            pos++;
        }
    }
    PutSymbol(256);
    PutBits(0, 7);  // flush the last partial byte
    *written = g_bits.size;
    return !g_bits.overflow;
}

uint32_t g_crcTable[256];

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size)
{
    if (g_crcTable[1] == 0) {
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = n;
            for (int k = 0; k < 8; k++) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            g_crcTable[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < size; i++) {
        crc = g_crcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size)
{
    uint32_t a = 1;
    uint32_t b = 0;
    while (size > 0) {
        size_t chunk = size < 5552 ? size : 5552;  // keeps b below 2^32
        for (size_t i = 0; i < chunk; i++) {
            a += data[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
        data += chunk;
        size -= chunk;
    }
    return (b << 16) | a;
}

void PutBigEndian(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)(v >> 24);
    p[1] = (uint8_t)(v >> 16);
    p[2] = (uint8_t)(v >> 8);
    p[3] = (uint8_t)v;
}

bool WriteAll(HANDLE file, const void* data, DWORD size)
{
    DWORD done = 0;
    return WriteFile(file, data, size, &done, NULL) && done == size;
}

bool WriteChunk(HANDLE file, const char type[4], const uint8_t* data, uint32_t size)
{
    uint8_t head[8];
    PutBigEndian(head, size);
    memcpy(head + 4, type, 4);
    uint32_t crc = Crc32(Crc32(0, head + 4, 4), data, size);
    uint8_t tail[4];
    PutBigEndian(tail, crc);
    return WriteAll(file, head, 8) && (size == 0 || WriteAll(file, data, size)) &&
           WriteAll(file, tail, 4);
}

}  // namespace

// A 32-bit DIB section, top row first.
static HBITMAP CreateTopDownDib(HDC screen, int width, int height, void** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(screen, &info, DIB_RGB_COLORS, bits, NULL, 0);
}

bool RenderIcon(HICON icon, int w, int h, COLORREF background, COLORREF* pixels)
{
    if (icon == NULL || w <= 0 || h <= 0 || w > kMaxIconSide || h > kMaxIconSide) {
        return false;
    }
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    void* bits = NULL;
    HBITMAP map = CreateTopDownDib(screen, w, h, &bits);
    bool ok = map != NULL && bits != NULL;
    if (ok) {
        HGDIOBJ old = SelectObject(dc, map);
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = {0, 0, w, h};
        FillRect(dc, &all, brush);
        DrawIconEx(dc, 0, 0, icon, w, h, 0, NULL, DI_NORMAL);
        GdiFlush();
        for (int i = 0; i < w * h; i++) {
            DWORD v = ((const DWORD*)bits)[i];
            pixels[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        }
        SelectObject(dc, old);
        DeleteObject(brush);
        DeleteObject(map);
    }
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
    return ok;
}

namespace {

// The area [left, right) x [top, bottom) of the screen into the pixel
// buffer; the area lies on a screen of width x height.
bool CaptureInto(int width, int height, int left, int top, int right, int bottom)
{
    if (width <= 0 || height <= 0 || width > kMaxScreenWidth || height > kMaxScreenHeight ||
        left < 0 || top < 0 || right > width || bottom > height || left >= right || top >= bottom) {
        return false;
    }
    int w = right - left;
    int h = bottom - top;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = NULL;
    HBITMAP bitmap = CreateTopDownDib(screen, w, h, &bits);
    bool ok = false;
    if (bitmap != NULL && bits != NULL) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, screen, left, top, SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        if (ok) {
            const DWORD* source = (const DWORD*)bits;
            for (int y = 0; y < h; y++) {
                for (int x = 0; x < w; x++) {
                    g_pixels[(top + y) * width + left + x] = source[y * w + x] & 0xFFFFFF;
                }
            }
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

}  // namespace

bool CaptureScreen()
{
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    if (!CaptureInto(width, height, 0, 0, width, height)) {
        return false;
    }
    g_width = width;
    g_height = height;
    return true;
}

bool CaptureArea(const RECT& area)
{
    // Pixels outside the area must come from a whole capture of this screen.
    if (g_width != GetSystemMetrics(SM_CXSCREEN) || g_height != GetSystemMetrics(SM_CYSCREEN)) {
        return false;
    }
    return CaptureInto(g_width, g_height, area.left, area.top, area.right, area.bottom);
}

bool SettleArea(const RECT& area)
{
    enum { kMaxSettlePixels = 65536, kMaxSettleTries = 10 };
    static DWORD before[kMaxSettlePixels];
    int w = area.right - area.left;
    int h = area.bottom - area.top;
    if (w <= 0 || h <= 0 || w * h > kMaxSettlePixels || area.left < 0 || area.top < 0 ||
        area.right > g_width || area.bottom > g_height) {
        return false;
    }
    for (int tries = 0; tries < kMaxSettleTries; tries++) {
        for (int y = 0; y < h; y++) {
            memcpy(before + y * w, g_pixels + (area.top + y) * g_width + area.left, w * sizeof(DWORD));
        }
        if (!CaptureArea(area)) {
            return false;
        }
        bool same = true;
        for (int y = 0; same && y < h; y++) {
            same = memcmp(before + y * w, g_pixels + (area.top + y) * g_width + area.left,
                          w * sizeof(DWORD)) == 0;
        }
        if (same) {
            return true;
        }
    }
    return false;
}

int CapturedWidth()
{
    return g_width;
}

int CapturedHeight()
{
    return g_height;
}

COLORREF ScreenPixel(int x, int y)
{
    if (x < 0 || y < 0 || x >= g_width || y >= g_height) {
        return CLR_INVALID;
    }
    DWORD v = g_pixels[y * g_width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int CountColour(int left, int top, int right, int bottom, COLORREF colour)
{
    int count = 0;
    for (int y = top; y < bottom; y++) {
        for (int x = left; x < right; x++) {
            if (ScreenPixel(x, y) == colour) {
                count++;
            }
        }
    }
    return count;
}

bool WritePng(const char* path)
{
    if (g_width <= 0 || g_height <= 0) {
        return false;
    }
    int rowBytes = 1 + g_width * 3;
    for (int y = 0; y < g_height; y++) {
        uint8_t* row = g_raw + (size_t)y * rowBytes;
        row[0] = 0;  // no filter: the matcher finds the repeats itself
        for (int x = 0; x < g_width; x++) {
            DWORD v = g_pixels[y * g_width + x];
            row[1 + 3 * x] = (uint8_t)(v >> 16);
            row[2 + 3 * x] = (uint8_t)(v >> 8);
            row[3 + 3 * x] = (uint8_t)v;
        }
    }
    int rawSize = rowBytes * g_height;
    // zlib stream: header, deflate data, Adler-32 of the raw bytes.
    g_deflated[0] = 0x78;
    g_deflated[1] = 0x01;
    size_t deflated = 0;
    if (!Deflate(g_raw, rawSize, g_deflated + 2, sizeof g_deflated - 6, &deflated)) {
        return false;
    }
    PutBigEndian(g_deflated + 2 + deflated, Adler32(g_raw, rawSize));
    uint32_t zlibSize = (uint32_t)(deflated + 6);

    uint8_t header[13];
    PutBigEndian(header, g_width);
    PutBigEndian(header + 4, g_height);
    header[8] = 8;   // bits per channel
    header[9] = 2;   // truecolour
    header[10] = 0;  // deflate
    header[11] = 0;  // adaptive filtering
    header[12] = 0;  // not interlaced
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = WriteAll(file, kSignature, 8) && WriteChunk(file, "IHDR", header, 13) &&
              WriteChunk(file, "IDAT", g_deflated, zlibSize) && WriteChunk(file, "IEND", NULL, 0);
    CloseHandle(file);
    return ok;
}

bool LoadDibPicture(HMODULE module, int id, DibPicture* picture)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), (LPCSTR)RT_BITMAP);
    if (found == NULL) {
        return false;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const uint8_t* data = loaded ? (const uint8_t*)LockResource(loaded) : NULL;
    DWORD size = SizeofResource(module, found);
    if (data == NULL || size < sizeof(BITMAPINFOHEADER)) {
        return false;
    }
    BITMAPINFOHEADER header;
    memcpy(&header, data, sizeof header);
    int width = header.biWidth;
    int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    int bpp = header.biBitCount;
    if (width <= 0 || height <= 0 || width > kMaxDibWidth || height > kMaxDibHeight ||
        (bpp != 4 && bpp != 8 && bpp != 24) || header.biCompression != BI_RGB) {
        return false;
    }
    DWORD colours = header.biClrUsed != 0 ? header.biClrUsed : (bpp <= 8 ? 1u << bpp : 0);
    DWORD stride = ((DWORD)width * bpp + 31) / 32 * 4;
    DWORD bitsOffset = header.biSize + colours * 4;
    if (bitsOffset > size || stride * height > size - bitsOffset) {
        return false;
    }
    const uint8_t* table = data + header.biSize;
    const uint8_t* bits = data + bitsOffset;
    for (int y = 0; y < height; y++) {
        int sourceRow = header.biHeight > 0 ? height - 1 - y : y;
        const uint8_t* row = bits + stride * sourceRow;
        for (int x = 0; x < width; x++) {
            COLORREF c;
            if (bpp == 24) {
                c = RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
            } else {
                DWORD index = bpp == 8 ? row[x] : (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
                if (index >= colours) {
                    return false;
                }
                const uint8_t* q = table + 4 * index;
                c = RGB(q[2], q[1], q[0]);
            }
            picture->pixels[y * width + x] = c;
        }
    }
    picture->width = width;
    picture->height = height;
    picture->bitsPerPixel = bpp;
    return true;
}

COLORREF DibPixel(const DibPicture* picture, int x, int y)
{
    if (x < 0 || y < 0 || x >= picture->width || y >= picture->height) {
        return CLR_INVALID;
    }
    return picture->pixels[y * picture->width + x];
}
