// The banner band across the top of the setup's backdrop: the banner (202)
// with the publisher's emblem (or a neutral one), the product's title and
// slogan; the strip (203) of its striped background, stretched over the
// rest of the window's width; the line (204) under both.

#include <vector>

#include "paint_pictures.h"
#include "pixel_fonts.h"

namespace {

constexpr int kLineWidth = 10;

constexpr uint32_t kTitleShadow = Rgb(0, 0, 32);
constexpr uint32_t kSloganColour = Rgb(168, 192, 255);
constexpr uint32_t kRuleColour = Rgb(96, 128, 232);
constexpr uint32_t kEmblemRing = Rgb(216, 228, 255);

// One round of Scale2x on a 0/1 mask: corners between two agreeing
// neighbours take their value, which rounds off staircases.
std::vector<uint8_t> Scale2x(const std::vector<uint8_t>& mask, int width, int height) {
  auto at = [&](int x, int y) -> uint8_t {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return mask[size_t(y) * width + x];
  };
  std::vector<uint8_t> out(size_t(width) * height * 4, 0);
  int out_width = width * 2;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t p = at(x, y), a = at(x, y - 1), b = at(x + 1, y), c = at(x - 1, y), d = at(x, y + 1);
      uint8_t e0 = (c == a && c != d && a != b) ? a : p;
      uint8_t e1 = (a == b && a != c && b != d) ? b : p;
      uint8_t e2 = (d == c && d != b && c != a) ? c : p;
      uint8_t e3 = (b == d && b != a && d != c) ? d : p;
      out[size_t(2 * y) * out_width + 2 * x] = e0;
      out[size_t(2 * y) * out_width + 2 * x + 1] = e1;
      out[size_t(2 * y + 1) * out_width + 2 * x] = e2;
      out[size_t(2 * y + 1) * out_width + 2 * x + 1] = e3;
    }
  return out;
}

// Text at twice the font's size with smoothed edges: two rounds of Scale2x
// make it four times as large, and each 2 x 2 block of that becomes one
// pixel covered 0 to 4 quarters. A one-pixel margin of the small mask
// leaves room for the rounding; the result starts two pixels before the ink.
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> quarters;
};

Coverage SmoothLargeText(const PixelFont& font, const char* text) {
  int ink_width = 0;
  std::vector<uint8_t> ink = TextMask(font, text, &ink_width);
  int width = ink_width + 2, height = font.rows + 2;
  std::vector<uint8_t> padded(size_t(width) * height, 0);
  for (int y = 0; y < font.rows; ++y)
    for (int x = 0; x < ink_width; ++x)
      padded[size_t(y + 1) * width + x + 1] = ink[size_t(y) * ink_width + x];
  std::vector<uint8_t> four = Scale2x(Scale2x(padded, width, height), width * 2, height * 2);
  Coverage coverage;
  coverage.width = width * 2;
  coverage.height = height * 2;
  coverage.quarters.assign(size_t(coverage.width) * coverage.height, 0);
  int four_width = width * 4;
  for (int y = 0; y < coverage.height; ++y)
    for (int x = 0; x < coverage.width; ++x) {
      const uint8_t* top = &four[size_t(2 * y) * four_width + 2 * x];
      const uint8_t* bottom = top + four_width;
      coverage.quarters[size_t(y) * coverage.width + x] =
          uint8_t(top[0] + top[1] + bottom[0] + bottom[1]);
    }
  return coverage;
}

// Lays coverage over the canvas at (x, y); the ink's colour may vary by row.
void PaintCoverage(Canvas& canvas, const Coverage& coverage, int x, int y,
                   uint32_t (*colour_of_row)(int)) {
  for (int row = 0; row < coverage.height; ++row)
    for (int col = 0; col < coverage.width; ++col) {
      int q = coverage.quarters[size_t(row) * coverage.width + col];
      if (q == 0) continue;
      uint32_t behind = GetPixel(canvas, x + col, y + row);
      if (behind == kNoColour) continue;
      PutPixel(canvas, x + col, y + row, MixQuarters(behind, colour_of_row(row), q));
    }
}

uint32_t TitleShadowRow(int) { return kTitleShadow; }

// Lettering lit from above: white at the top, cooling to pale blue.
uint32_t TitleInkRow(int row) {
  if (row < 9) return kWhite;
  if (row < 15) return Rgb(224, 232, 255);
  return Rgb(184, 204, 255);
}

// The emblem's disc, in eighths of a pixel from its centre.
constexpr int kEmblemOuter = kEmblemRadius * 8;
constexpr int kEmblemInner = (kEmblemRadius - 2) * 8;

bool InEmblem(int sx, int sy) {
  return int64_t(sx) * sx + int64_t(sy) * sy <= int64_t(kEmblemOuter) * kEmblemOuter;
}

// The neutral emblem of a product that brings none: a light ring round a
// disc that deepens downwards in flat bands; the title's first letter goes
// on it.
uint32_t NeutralEmblem(int sx, int sy) {
  if (!InEmblem(sx, sy)) return kNoColour;
  if (int64_t(sx) * sx + int64_t(sy) * sy > int64_t(kEmblemInner) * kEmblemInner) return kEmblemRing;
  static const uint32_t kDisc[] = {Rgb(80, 128, 240), Rgb(64, 108, 224), Rgb(48, 88, 200), Rgb(32, 68, 172)};
  int band = (sy + kEmblemInner) * 4 / (2 * kEmblemInner);
  return kDisc[band < 0 ? 0 : band > 3 ? 3 : band];
}

// The publisher's emblem, cut round: its corners are the banner's.
uint32_t BroughtEmblem(const Canvas& emblem, int sx, int sy) {
  if (!InEmblem(sx, sy)) return kNoColour;
  return GetPixel(emblem, (sx + kEmblemOuter) / 8, (sy + kEmblemOuter) / 8);
}

}  // namespace

// Background of banner and strip: one colour a row, so the strip can be
// stretched sideways and still meet the banner without a seam. Six bands
// darken downwards; every second row is a shade deeper.
uint32_t StripeColour(int y) {
  int band = y * 6 / kBannerHeight;
  int r = 16 - band * 3;
  int g = 36 - band * 5;
  int b = 132 - band * 14;
  if (y % 2) {
    r = r * 3 / 4;
    g = g * 3 / 4;
    b = b * 3 / 4;
  }
  return Rgb(r, g, b);
}

Canvas PaintStripes(int width) {
  Canvas canvas = MakeCanvas(width, kBannerHeight, kBlack);
  for (int y = 0; y < kBannerHeight; ++y) FillRect(canvas, 0, y, width, 1, StripeColour(y));
  return canvas;
}

BannerLayout LayOutBanner(const PictureTexts& texts) {
  BannerLayout layout;
  // The lettering is drawn at twice the font's size (SmoothLargeText).
  layout.titleInk = 2 * TextWidth(kTitleFont, texts.title.c_str());
  int block = 2 * kEmblemRadius + kEmblemGap + layout.titleInk;
  layout.emblemX = (kBannerWidth - block) / 2 + kEmblemRadius;
  layout.textLeft = layout.emblemX + kEmblemRadius + kEmblemGap;
  // The slogan ends under the title's end.
  layout.sloganLeft = layout.textLeft + layout.titleInk - TextWidth(kTextFont, texts.slogan.c_str());
  return layout;
}

Canvas PaintBanner(const Canvas* emblem) {
  Canvas canvas = PaintStripes(kBannerWidth);
  const char* kSlogan = g_texts.slogan.c_str();
  BannerLayout layout = LayOutBanner(g_texts);

  Coverage title = SmoothLargeText(kTitleFont, g_texts.title.c_str());
  int cx = layout.emblemX, cy = 29;
  PaintSampled(canvas, cx - kEmblemRadius - 1, cy - kEmblemRadius - 1, 2 * kEmblemRadius + 2,
               2 * kEmblemRadius + 2, [cx, cy, emblem](int sx, int sy) {
                 return emblem ? BroughtEmblem(*emblem, sx - cx * 8, sy - cy * 8)
                               : NeutralEmblem(sx - cx * 8, sy - cy * 8);
               });
  if (!emblem) {
    // The letter's coverage starts two pixels before its ink, like the title's.
    std::string initial = g_texts.title.substr(0, 1);
    Coverage letter = SmoothLargeText(kTitleFont, initial.c_str());
    int x = cx - TextWidth(kTitleFont, initial.c_str()) - 2, y = cy - kTitleFont.rows - 2;
    PaintCoverage(canvas, letter, x + 1, y + 1, TitleShadowRow);
    PaintCoverage(canvas, letter, x, y, TitleInkRow);
  }

  int text_left = layout.textLeft;
  int title_top = 10;
  // The coverage starts two pixels before the ink; the shadow falls two
  // pixels below and right of the lettering.
  int cover_x = text_left - 2, cover_y = title_top - 2;
  PaintCoverage(canvas, title, cover_x + 2, cover_y + 2, TitleShadowRow);
  PaintCoverage(canvas, title, cover_x, cover_y, TitleInkRow);

  FillRect(canvas, text_left, title_top + 21, layout.titleInk, 1, kRuleColour);
  DrawText(canvas, kTextFont, layout.sloganLeft + 1, title_top + 25, kSlogan, kTitleShadow);
  DrawText(canvas, kTextFont, layout.sloganLeft, title_top + 24, kSlogan, kSloganColour);
  return canvas;
}

// The line under the banner: bright blue over near-black, one colour a row.
Canvas PaintLine() {
  Canvas canvas = MakeCanvas(kLineWidth, 2, kLineBlue);
  FillRect(canvas, 0, 1, kLineWidth, 1, kLineDark);
  return canvas;
}
