// Drawing surface, primitives and file writers of the picture generator.
// Everything is integer arithmetic so that every run gives the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Colours are 0xRRGGBB.
constexpr uint32_t Rgb(int r, int g, int b) {
  return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// The sixteen colours of the standard VGA palette, in the order Windows
// uses for 16-colour bitmaps and icons.
constexpr uint32_t kBlack = Rgb(0, 0, 0);
constexpr uint32_t kMaroon = Rgb(128, 0, 0);
constexpr uint32_t kGreen = Rgb(0, 128, 0);
constexpr uint32_t kOlive = Rgb(128, 128, 0);
constexpr uint32_t kNavy = Rgb(0, 0, 128);
constexpr uint32_t kPurple = Rgb(128, 0, 128);
constexpr uint32_t kTeal = Rgb(0, 128, 128);
constexpr uint32_t kSilver = Rgb(192, 192, 192);
constexpr uint32_t kGrey = Rgb(128, 128, 128);
constexpr uint32_t kRed = Rgb(255, 0, 0);
constexpr uint32_t kLime = Rgb(0, 255, 0);
constexpr uint32_t kYellow = Rgb(255, 255, 0);
constexpr uint32_t kBlue = Rgb(0, 0, 255);
constexpr uint32_t kFuchsia = Rgb(255, 0, 255);
constexpr uint32_t kAqua = Rgb(0, 255, 255);
constexpr uint32_t kWhite = Rgb(255, 255, 255);

const std::vector<uint32_t>& VgaPalette();

// A picture being painted, row 0 at the top. Pixels that were never painted
// or were erased are transparent; only icons care.
struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  std::vector<uint8_t> opaque;
};

Canvas MakeCanvas(int width, int height, uint32_t fill);
Canvas MakeTransparentCanvas(int width, int height);
uint32_t GetPixel(const Canvas& canvas, int x, int y);
void PutPixel(Canvas& canvas, int x, int y, uint32_t colour);
void FillRect(Canvas& canvas, int x, int y, int width, int height, uint32_t colour);
void FrameRect(Canvas& canvas, int x, int y, int width, int height, uint32_t colour);
void DrawLine(Canvas& canvas, int x0, int y0, int x1, int y1, uint32_t colour);
// Ellipse inscribed in the rectangle; a pixel belongs to it when its centre does.
void FillEllipse(Canvas& canvas, int x, int y, int width, int height, uint32_t colour);
void FrameEllipse(Canvas& canvas, int x, int y, int width, int height, uint32_t colour);
// Polygon with corners on pixel corners; pixel centres inside are filled.
struct Point {
  int x;
  int y;
};
void FillPolygon(Canvas& canvas, const std::vector<Point>& corners, uint32_t colour);
// Raised (or sunken) 3D edge two pixels wide, the way the 1990s shell drew
// buttons and menus.
void DrawBevel(Canvas& canvas, int x, int y, int width, int height, bool raised);

// a mixed with b: quarters of b out of four.
uint32_t MixQuarters(uint32_t a, uint32_t b, int quarters);

// Pixel art: one character a pixel, looked up in the key ("K" black, ...);
// characters absent from the key are left alone.
struct ArtKey {
  char symbol;
  uint32_t colour;
};
void DrawArt(Canvas& canvas, int x, int y, const std::vector<std::string>& rows,
             const std::vector<ArtKey>& key);

// Anti-aliased painting for the 256-colour pictures: the scene answers, for a
// sample point in eighths of a pixel, its colour or kNoColour to keep what is
// there. Each pixel takes 4 x 4 samples and becomes its two commonest
// colours mixed in quarters, which keeps the number of distinct colours low.
constexpr uint32_t kNoColour = 0xFF000000u;
void PaintSampled(Canvas& canvas, int x, int y, int width, int height,
                  const std::function<uint32_t(int, int)>& scene);

// Colour table of an 8-bit picture: the given colours first, then every other
// colour of the canvases in the order first met, padded with black to size
// entries. Empty when the canvases hold more colours than fit.
std::vector<uint32_t> CollectPalette(const std::vector<const Canvas*>& canvases,
                                     const std::vector<uint32_t>& first, size_t size);

// Whole BMP file: file header, 40-byte info header, colour table, rows bottom
// first padded to 4 bytes. bits is 4 or 8; every pixel must be in the table.
// colours_used goes into biClrUsed (0 means the full table for the depth).
// Empty on a pixel whose colour is not in the table.
std::vector<uint8_t> EncodeBmp(const Canvas& canvas, int bits, const std::vector<uint32_t>& palette,
                               uint32_t colours_used);
// Whole ICO file of 16-colour images with AND masks, in the order given.
std::vector<uint8_t> EncodeIco(const std::vector<const Canvas*>& images);

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
