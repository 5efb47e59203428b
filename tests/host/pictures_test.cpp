// The committed bitmaps and icons, read the way the setup program and the
// resource compiler read them.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadResource(const std::string& name) {
  std::ifstream file(std::string(VANTOR_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t U16(const Bytes& b, size_t at) { return b[at] | (uint32_t(b[at + 1]) << 8); }
uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }

// A device-independent bitmap at an offset of a file: header, colour table
// and the pixel rows, bottom row first.
struct Dib {
  const Bytes* bytes = nullptr;
  size_t header = 0;
  int width = 0;
  int height = 0;  // of the colour image; icons store twice this
  int bits = 0;
  uint32_t colours_used = 0;
  int colours = 0;
  size_t rows_at = 0;
  size_t stride = 0;
};

// Colour count as the backdrop's palette code takes it: biClrUsed when set,
// else the full table for the depth.
int ColourCount(uint32_t colours_used, int bits) {
  if (colours_used != 0) return int(colours_used & 0xFFFF);
  return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
}

Dib ReadDib(const Bytes& bytes, size_t header, bool icon) {
  Dib dib;
  dib.bytes = &bytes;
  dib.header = header;
  dib.width = int(U32(bytes, header + 4));
  dib.height = int(U32(bytes, header + 8)) / (icon ? 2 : 1);
  dib.bits = int(U16(bytes, header + 14));
  dib.colours_used = U32(bytes, header + 32);
  dib.colours = ColourCount(dib.colours_used, dib.bits);
  dib.rows_at = header + U32(bytes, header) + 4 * size_t(dib.colours);
  dib.stride = size_t((dib.width * dib.bits + 31) / 32 * 4);
  return dib;
}

int PixelIndex(const Dib& dib, int x, int top_row) {
  size_t row = dib.rows_at + dib.stride * size_t(dib.height - 1 - top_row);
  uint8_t byte = (*dib.bytes)[row + size_t(x * dib.bits / 8)];
  if (dib.bits == 8) return byte;
  return x % 2 ? byte & 0x0F : byte >> 4;
}

uint32_t TableColour(const Dib& dib, int index) {
  size_t at = dib.header + 40 + 4 * size_t(index);
  const Bytes& b = *dib.bytes;
  return (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 1]) << 8) | b[at];
}

uint32_t PixelColour(const Dib& dib, int x, int top_row) {
  return TableColour(dib, PixelIndex(dib, x, top_row));
}

constexpr uint32_t kKeyColour = 0x008080;

struct ExpectedBitmap {
  const char* file;
  int width;
  int height;
  int bits;
  int colours;
};

const ExpectedBitmap kBitmaps[] = {
    {"banner.bmp", 334, 58, 8, 256},   {"strip.bmp", 20, 58, 8, 256},
    {"line.bmp", 10, 2, 8, 5},         {"startmenu.bmp", 120, 168, 4, 16},
    {"computer.bmp", 120, 168, 4, 16},
};

TEST(Pictures, BitmapFilesHoldTheTabledSizesDepthsAndColourTables) {
  for (const ExpectedBitmap& want : kBitmaps) {
    SCOPED_TRACE(want.file);
    Bytes bytes = ReadResource(want.file);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ('B', bytes[0]);
    EXPECT_EQ('M', bytes[1]);
    EXPECT_EQ(bytes.size(), U32(bytes, 2));
    Dib dib = ReadDib(bytes, 14, false);
    EXPECT_EQ(40u, U32(bytes, 14));
    EXPECT_EQ(want.width, dib.width);
    EXPECT_EQ(want.height, dib.height);  // positive: rows bottom first
    EXPECT_EQ(1u, U16(bytes, 26));
    EXPECT_EQ(want.bits, dib.bits);
    EXPECT_EQ(0u, U32(bytes, 30));  // uncompressed
    EXPECT_EQ(want.colours, dib.colours);
    EXPECT_EQ(dib.rows_at, U32(bytes, 10));
    EXPECT_EQ(dib.rows_at + dib.stride * size_t(dib.height), bytes.size());
  }
}

TEST(Pictures, LineIsBrightBlueOverNearBlackWithFiveColours) {
  Bytes bytes = ReadResource("line.bmp");
  ASSERT_EQ(98u, bytes.size());
  Dib line = ReadDib(bytes, 14, false);
  EXPECT_EQ(5u, line.colours_used);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < line.width; ++x) {
      ASSERT_LT(PixelIndex(line, x, y), 5);
      // One colour a row: the line is stretched sideways across the screen.
      EXPECT_EQ(PixelColour(line, 0, y), PixelColour(line, x, y));
    }
  uint32_t top = PixelColour(line, 0, 0);
  uint32_t bottom = PixelColour(line, 0, 1);
  int top_red = int(top >> 16), top_green = int((top >> 8) & 0xFF), top_blue = int(top & 0xFF);
  EXPECT_GE(top_blue, 224);
  EXPECT_LT(top_red + top_green, top_blue);
  EXPECT_LT(int(bottom >> 16) + int((bottom >> 8) & 0xFF) + int(bottom & 0xFF), 64);
}

TEST(Pictures, StripRepeatsTheBannerBackgroundRowForRow) {
  Bytes banner_bytes = ReadResource("banner.bmp");
  Bytes strip_bytes = ReadResource("strip.bmp");
  ASSERT_GT(banner_bytes.size(), 54u);
  ASSERT_GT(strip_bytes.size(), 54u);
  Dib banner = ReadDib(banner_bytes, 14, false);
  Dib strip = ReadDib(strip_bytes, 14, false);
  ASSERT_EQ(banner.height, strip.height);
  for (int y = 0; y < strip.height; ++y) {
    SCOPED_TRACE(y);
    uint32_t background = PixelColour(strip, 0, y);
    for (int x = 0; x < strip.width; ++x) EXPECT_EQ(background, PixelColour(strip, x, y));
    // The strip is stretched up to the banner's left edge; the right edge
    // is plain background too.
    EXPECT_EQ(background, PixelColour(banner, 0, y));
    EXPECT_EQ(background, PixelColour(banner, banner.width - 1, y));
  }
}

TEST(Pictures, BannerPaletteHoldsTheLineColours) {
  // The backdrop realises the banner's palette and draws the line with it:
  // on a 256-colour screen its colours must be in that palette to come out true.
  Bytes banner_bytes = ReadResource("banner.bmp");
  Bytes line_bytes = ReadResource("line.bmp");
  ASSERT_GT(banner_bytes.size(), 54u);
  ASSERT_GT(line_bytes.size(), 54u);
  Dib banner = ReadDib(banner_bytes, 14, false);
  Dib line = ReadDib(line_bytes, 14, false);
  for (int y = 0; y < 2; ++y) {
    uint32_t wanted = PixelColour(line, 0, y);
    bool found = false;
    for (int i = 0; i < banner.colours && !found; ++i) found = TableColour(banner, i) == wanted;
    EXPECT_TRUE(found) << std::hex << wanted;
  }
}

TEST(Pictures, SidePicturesHaveTheKeyColourAtTheCorner) {
  for (const char* file : {"startmenu.bmp", "computer.bmp"}) {
    SCOPED_TRACE(file);
    Bytes bytes = ReadResource(file);
    ASSERT_GT(bytes.size(), 54u);
    Dib dib = ReadDib(bytes, 14, false);
    EXPECT_EQ(kKeyColour, PixelColour(dib, 1, 1));
  }
}

TEST(Pictures, StartMenuKeyColourIsAllReachedByTheCornerFill) {
  // The backdrop floods the key colour connected to (1, 1) with its panel
  // colour; a teal pixel out of reach would stay as a speck on the panel.
  Bytes bytes = ReadResource("startmenu.bmp");
  ASSERT_GT(bytes.size(), 54u);
  Dib dib = ReadDib(bytes, 14, false);
  std::vector<uint8_t> reached(size_t(dib.width) * dib.height, 0);
  std::vector<std::pair<int, int>> pending = {{1, 1}};
  int filled = 0;
  while (!pending.empty()) {
    auto [x, y] = pending.back();
    pending.pop_back();
    if (x < 0 || y < 0 || x >= dib.width || y >= dib.height) continue;
    if (reached[size_t(y) * dib.width + x] || PixelColour(dib, x, y) != kKeyColour) continue;
    reached[size_t(y) * dib.width + x] = 1;
    ++filled;
    pending.push_back({x + 1, y});
    pending.push_back({x - 1, y});
    pending.push_back({x, y + 1});
    pending.push_back({x, y - 1});
  }
  int key_pixels = 0;
  for (int y = 0; y < dib.height; ++y)
    for (int x = 0; x < dib.width; ++x)
      if (PixelColour(dib, x, y) == kKeyColour) ++key_pixels;
  EXPECT_EQ(key_pixels, filled);
  // The menus themselves take most of the picture.
  EXPECT_LT(filled, dib.width * dib.height / 2);
}

struct ExpectedIcon {
  const char* file;
  std::vector<int> sizes;
};

TEST(Pictures, IconsHoldTheImagesTheDialogsLoad) {
  const ExpectedIcon kIcons[] = {{"setup.ico", {32, 16}}, {"shortcut.ico", {32}}};
  for (const ExpectedIcon& want : kIcons) {
    SCOPED_TRACE(want.file);
    Bytes bytes = ReadResource(want.file);
    ASSERT_GT(bytes.size(), 6u);
    EXPECT_EQ(0u, U16(bytes, 0));
    EXPECT_EQ(1u, U16(bytes, 2));  // icon, not cursor
    ASSERT_EQ(want.sizes.size(), U16(bytes, 4));
    for (size_t i = 0; i < want.sizes.size(); ++i) {
      SCOPED_TRACE(want.sizes[i]);
      size_t entry = 6 + 16 * i;
      int size = want.sizes[i];
      EXPECT_EQ(size, bytes[entry]);
      EXPECT_EQ(size, bytes[entry + 1]);
      EXPECT_EQ(16, bytes[entry + 2]);
      EXPECT_EQ(1u, U16(bytes, entry + 4));
      EXPECT_EQ(4u, U16(bytes, entry + 6));
      uint32_t length = U32(bytes, entry + 8);
      uint32_t offset = U32(bytes, entry + 12);
      ASSERT_LE(size_t(offset) + length, bytes.size());
      Dib image = ReadDib(bytes, offset, true);
      EXPECT_EQ(40u, U32(bytes, offset));
      EXPECT_EQ(size, image.width);
      EXPECT_EQ(size, image.height);
      EXPECT_EQ(4, image.bits);
      EXPECT_EQ(16, image.colours);
      size_t mask_stride = size_t((size + 31) / 32 * 4);
      EXPECT_EQ(40 + 64 + image.stride * size + mask_stride * size, length);
    }
  }
}

TEST(Pictures, IconMasksCutOutTheBackgroundAndLeaveItBlack) {
  for (const char* file : {"setup.ico", "shortcut.ico"}) {
    Bytes bytes = ReadResource(file);
    ASSERT_GT(bytes.size(), 6u);
    for (uint32_t i = 0; i < U16(bytes, 4); ++i) {
      uint32_t offset = U32(bytes, 6 + 16 * i + 12);
      ASSERT_LT(offset, bytes.size());
      Dib image = ReadDib(bytes, offset, true);
      SCOPED_TRACE(std::string(file) + " " + std::to_string(image.width));
      size_t mask_at = image.rows_at + image.stride * size_t(image.height);
      size_t mask_stride = size_t((image.width + 31) / 32 * 4);
      ASSERT_LE(mask_at + mask_stride * size_t(image.height), bytes.size());
      int transparent = 0;
      for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
          size_t byte = mask_at + mask_stride * size_t(image.height - 1 - y) + size_t(x / 8);
          if (!((bytes[byte] >> (7 - x % 8)) & 1)) continue;
          ++transparent;
          // The colour image is XORed onto the screen where the mask is
          // set: anything but black would tint the desktop.
          EXPECT_EQ(0, PixelIndex(image, x, y)) << x << "," << y;
        }
      EXPECT_GT(transparent, 0);
      EXPECT_LT(transparent, image.width * image.height / 2);
    }
  }
}

}  // namespace
