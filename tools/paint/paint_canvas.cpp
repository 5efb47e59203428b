#include "paint_canvas.h"

#include <algorithm>
#include <cstdio>
#include <map>

const std::vector<uint32_t>& VgaPalette() {
  static const std::vector<uint32_t> palette = {kBlack, kMaroon,  kGreen, kOlive, kNavy, kPurple,
                                                kTeal,  kSilver,  kGrey,  kRed,   kLime, kYellow,
                                                kBlue,  kFuchsia, kAqua,  kWhite};
  return palette;
}

Canvas MakeCanvas(int width, int height, uint32_t fill) {
  Canvas canvas;
  canvas.width = width;
  canvas.height = height;
  canvas.pixels.assign(size_t(width) * height, fill);
  canvas.opaque.assign(size_t(width) * height, 1);
  return canvas;
}

Canvas MakeTransparentCanvas(int width, int height) {
  Canvas canvas = MakeCanvas(width, height, kBlack);
  std::fill(canvas.opaque.begin(), canvas.opaque.end(), 0);
  return canvas;
}

uint32_t GetPixel(const Canvas& canvas, int x, int y) {
  if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return kNoColour;
  return canvas.pixels[size_t(y) * canvas.width + x];
}

void PutPixel(Canvas& canvas, int x, int y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
  canvas.pixels[size_t(y) * canvas.width + x] = colour;
  canvas.opaque[size_t(y) * canvas.width + x] = 1;
}

void FillRect(Canvas& canvas, int x, int y, int width, int height, uint32_t colour) {
  for (int row = y; row < y + height; ++row)
    for (int col = x; col < x + width; ++col) PutPixel(canvas, col, row, colour);
}

void FrameRect(Canvas& canvas, int x, int y, int width, int height, uint32_t colour) {
  FillRect(canvas, x, y, width, 1, colour);
  FillRect(canvas, x, y + height - 1, width, 1, colour);
  FillRect(canvas, x, y, 1, height, colour);
  FillRect(canvas, x + width - 1, y, 1, height, colour);
}

void DrawLine(Canvas& canvas, int x0, int y0, int x1, int y1, uint32_t colour) {
  int dx = x1 > x0 ? x1 - x0 : x0 - x1;
  int dy = y1 > y0 ? y0 - y1 : y1 - y0;
  int sx = x0 < x1 ? 1 : -1;
  int sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    PutPixel(canvas, x0, y0, colour);
    if (x0 == x1 && y0 == y1) break;
    int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

// Inside test in doubled coordinates, so that centres of pixels and of
// even- or odd-sized rectangles are all whole numbers.
static bool InEllipse(int x, int y, int width, int height, int px, int py) {
  int64_t dx = 2 * px + 1 - (2 * x + width);
  int64_t dy = 2 * py + 1 - (2 * y + height);
  int64_t w2 = int64_t(width) * width;
  int64_t h2 = int64_t(height) * height;
  return dx * dx * h2 + dy * dy * w2 <= w2 * h2;
}

void FillEllipse(Canvas& canvas, int x, int y, int width, int height, uint32_t colour) {
  for (int py = y; py < y + height; ++py)
    for (int px = x; px < x + width; ++px)
      if (InEllipse(x, y, width, height, px, py)) PutPixel(canvas, px, py, colour);
}

void FrameEllipse(Canvas& canvas, int x, int y, int width, int height, uint32_t colour) {
  for (int py = y; py < y + height; ++py)
    for (int px = x; px < x + width; ++px) {
      if (!InEllipse(x, y, width, height, px, py)) continue;
      bool edge = !InEllipse(x, y, width, height, px - 1, py) ||
                  !InEllipse(x, y, width, height, px + 1, py) ||
                  !InEllipse(x, y, width, height, px, py - 1) ||
                  !InEllipse(x, y, width, height, px, py + 1);
      if (edge) PutPixel(canvas, px, py, colour);
    }
}

static int FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return int(q);
}

void FillPolygon(Canvas& canvas, const std::vector<Point>& corners, uint32_t colour) {
  if (corners.size() < 3) return;
  int top = corners[0].y, bottom = corners[0].y;
  for (const Point& p : corners) {
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  for (int y = top; y < bottom; ++y) {
    // Crossings of the scan line through the pixel centres, doubled.
    std::vector<int> crossings;
    int yc = 2 * y + 1;
    for (size_t i = 0; i < corners.size(); ++i) {
      Point a = corners[i];
      Point b = corners[(i + 1) % corners.size()];
      if (a.y == b.y) continue;
      if (a.y > b.y) std::swap(a, b);
      if (yc < 2 * a.y || yc >= 2 * b.y) continue;
      crossings.push_back(2 * a.x + FloorDiv(int64_t(yc - 2 * a.y) * (b.x - a.x), b.y - a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t i = 0; i + 1 < crossings.size(); i += 2)
      for (int x = FloorDiv(crossings[i], 2) - 1; x <= FloorDiv(crossings[i + 1], 2) + 1; ++x) {
        int xc = 2 * x + 1;
        if (xc >= crossings[i] && xc < crossings[i + 1]) PutPixel(canvas, x, y, colour);
      }
  }
}

void DrawBevel(Canvas& canvas, int x, int y, int width, int height, bool raised) {
  uint32_t outer_light = raised ? kSilver : kGrey;
  uint32_t inner_light = raised ? kWhite : kBlack;
  uint32_t outer_dark = raised ? kBlack : kWhite;
  uint32_t inner_dark = raised ? kGrey : kSilver;
  FillRect(canvas, x, y + height - 1, width, 1, outer_dark);
  FillRect(canvas, x + width - 1, y, 1, height, outer_dark);
  FillRect(canvas, x, y, width - 1, 1, outer_light);
  FillRect(canvas, x, y, 1, height - 1, outer_light);
  FillRect(canvas, x + 1, y + height - 2, width - 2, 1, inner_dark);
  FillRect(canvas, x + width - 2, y + 1, 1, height - 2, inner_dark);
  FillRect(canvas, x + 1, y + 1, width - 3, 1, inner_light);
  FillRect(canvas, x + 1, y + 1, 1, height - 3, inner_light);
}

uint32_t MixQuarters(uint32_t a, uint32_t b, int quarters) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    int ca = int((a >> shift) & 0xFF);
    int cb = int((b >> shift) & 0xFF);
    int c = (ca * (4 - quarters) + cb * quarters + 2) / 4;
    result |= uint32_t(c) << shift;
  }
  return result;
}

void DrawArt(Canvas& canvas, int x, int y, const std::vector<std::string>& rows,
             const std::vector<ArtKey>& key) {
  for (size_t row = 0; row < rows.size(); ++row)
    for (size_t col = 0; col < rows[row].size(); ++col)
      for (const ArtKey& entry : key)
        if (entry.symbol == rows[row][col]) {
          PutPixel(canvas, x + int(col), y + int(row), entry.colour);
          break;
        }
}

void PaintSampled(Canvas& canvas, int x, int y, int width, int height,
                  const std::function<uint32_t(int, int)>& scene) {
  for (int py = y; py < y + height; ++py)
    for (int px = x; px < x + width; ++px) {
      uint32_t behind = GetPixel(canvas, px, py);
      if (behind == kNoColour) continue;
      // Up to 16 distinct colours with their counts, in order first seen.
      uint32_t colours[16];
      int counts[16];
      int distinct = 0;
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
          uint32_t c = scene(px * 8 + 2 * i + 1, py * 8 + 2 * j + 1);
          if (c == kNoColour) c = behind;
          int k = 0;
          while (k < distinct && colours[k] != c) ++k;
          if (k == distinct) {
            colours[distinct] = c;
            counts[distinct++] = 0;
          }
          ++counts[k];
        }
      int first = 0;
      for (int k = 1; k < distinct; ++k)
        if (counts[k] > counts[first]) first = k;
      int second = -1;
      for (int k = 0; k < distinct; ++k)
        if (k != first && (second < 0 || counts[k] > counts[second])) second = k;
      uint32_t colour = colours[first];
      if (second >= 0) {
        int total = counts[first] + counts[second];
        int quarters = (counts[second] * 8 + total) / (2 * total);
        colour = MixQuarters(colours[first], colours[second], quarters);
      }
      PutPixel(canvas, px, py, colour);
    }
}

std::vector<uint32_t> CollectPalette(const std::vector<const Canvas*>& canvases,
                                     const std::vector<uint32_t>& first, size_t size) {
  std::vector<uint32_t> palette = first;
  std::map<uint32_t, bool> seen;
  for (uint32_t c : palette) seen[c] = true;
  for (const Canvas* canvas : canvases)
    for (uint32_t c : canvas->pixels)
      if (!seen[c]) {
        seen[c] = true;
        palette.push_back(c);
      }
  if (palette.size() > size) {
    std::fprintf(stderr, "paint-resources: %zu colours, only %zu fit\n", palette.size(), size);
    return {};
  }
  palette.resize(size, kBlack);
  return palette;
}

static void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

static void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

static uint32_t Stride(int width, int bits) { return uint32_t((width * bits + 31) / 32 * 4); }

static void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits,
                          uint32_t image_size, uint32_t colours_used) {
  Put32(out, 40);
  Put32(out, uint32_t(width));
  Put32(out, uint32_t(height));
  Put16(out, 1);
  Put16(out, uint32_t(bits));
  Put32(out, 0);  // BI_RGB
  Put32(out, image_size);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, colours_used);
  Put32(out, 0);
}

static void PutColourTable(std::vector<uint8_t>& out, const std::vector<uint32_t>& palette) {
  for (uint32_t c : palette) {
    out.push_back(uint8_t(c));
    out.push_back(uint8_t(c >> 8));
    out.push_back(uint8_t(c >> 16));
    out.push_back(0);
  }
}

// Pixel rows bottom first; false when a colour is missing from the table.
static bool PutPixelRows(std::vector<uint8_t>& out, const Canvas& canvas, int bits,
                         const std::vector<uint32_t>& palette) {
  uint32_t stride = Stride(canvas.width, bits);
  for (int y = canvas.height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < canvas.width; ++x) {
      size_t at = size_t(y) * canvas.width + x;
      uint32_t colour = canvas.opaque[at] ? canvas.pixels[at] : kBlack;
      auto found = std::find(palette.begin(), palette.end(), colour);
      if (found == palette.end() || size_t(found - palette.begin()) >= (1u << bits)) {
        std::fprintf(stderr, "paint-resources: colour %06X at (%d,%d) is not in the table\n",
                     colour, x, y);
        return false;
      }
      uint8_t index = uint8_t(found - palette.begin());
      if (bits == 8)
        row[x] = index;
      else
        row[x / 2] |= uint8_t(x % 2 ? index : index << 4);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return true;
}

std::vector<uint8_t> EncodeBmp(const Canvas& canvas, int bits, const std::vector<uint32_t>& palette,
                               uint32_t colours_used) {
  uint32_t image_size = Stride(canvas.width, bits) * uint32_t(canvas.height);
  uint32_t offset = 14 + 40 + 4 * uint32_t(palette.size());
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + image_size);
  Put32(out, 0);
  Put32(out, offset);
  PutInfoHeader(out, canvas.width, canvas.height, bits, image_size, colours_used);
  PutColourTable(out, palette);
  if (!PutPixelRows(out, canvas, bits, palette)) return {};
  return out;
}

std::vector<uint8_t> EncodeIco(const std::vector<const Canvas*>& images) {
  std::vector<std::vector<uint8_t>> bodies;
  for (const Canvas* image : images) {
    uint32_t colour_size = Stride(image->width, 4) * uint32_t(image->height);
    uint32_t mask_size = Stride(image->width, 1) * uint32_t(image->height);
    std::vector<uint8_t> body;
    // An icon image stores the colour rows and the mask rows under one
    // header, so its height counts both.
    PutInfoHeader(body, image->width, image->height * 2, 4, colour_size + mask_size, 0);
    PutColourTable(body, VgaPalette());
    if (!PutPixelRows(body, *image, 4, VgaPalette())) return {};
    uint32_t stride = Stride(image->width, 1);
    for (int y = image->height - 1; y >= 0; --y) {
      std::vector<uint8_t> row(stride, 0);
      for (int x = 0; x < image->width; ++x)
        if (!image->opaque[size_t(y) * image->width + x]) row[x / 8] |= uint8_t(0x80 >> (x % 8));
      body.insert(body.end(), row.begin(), row.end());
    }
    bodies.push_back(body);
  }
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);  // icon, not cursor
  Put16(out, uint32_t(images.size()));
  uint32_t offset = 6 + 16 * uint32_t(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(uint8_t(images[i]->width));
    out.push_back(uint8_t(images[i]->height));
    out.push_back(16);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, uint32_t(bodies[i].size()));
    Put32(out, offset);
    offset += uint32_t(bodies[i].size());
  }
  for (const std::vector<uint8_t>& body : bodies) out.insert(out.end(), body.begin(), body.end());
  return out;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "paint-resources: cannot create %s\n", path.c_str());
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::fprintf(stderr, "paint-resources: cannot write %s\n", path.c_str());
  return ok;
}
