// paint-resources OUTDIR DESCRIPTION: paints the setup program's bitmaps and
// icons with the names and captions of a product description and writes
// them as BMP and ICO files. The output is the same on every run, so the
// files committed in resources/ can be checked against a fresh run.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "description.h"
#include "paint_canvas.h"
#include "pixel_fonts.h"

namespace {

// What the pictures say, from the description: the banner's title and
// slogan, the name up the start menu's band, the product's group and the
// captions of its shortcuts.
struct {
  std::string title, slogan, band, group;
  std::vector<std::string> captions;
} g_texts;

// ---------------------------------------------------------------------------
// Banner band: 202 banner, 203 strip, 204 line.

constexpr int kBannerWidth = 334;
constexpr int kBannerHeight = 58;
constexpr int kStripWidth = 20;
constexpr int kLineWidth = 10;

constexpr uint32_t kLineBlue = Rgb(40, 104, 255);
constexpr uint32_t kLineDark = Rgb(0, 0, 24);
constexpr uint32_t kTitleShadow = Rgb(0, 0, 32);
constexpr uint32_t kSloganColour = Rgb(168, 192, 255);
constexpr uint32_t kRuleColour = Rgb(96, 128, 232);
constexpr uint32_t kEmblemRing = Rgb(216, 228, 255);

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

// The publisher's emblem: the sun rising behind two moorland hills, inside
// a light ring. Coordinates are eighths of a pixel, relative to the centre.
uint32_t EmblemScene(int sx, int sy) {
  constexpr int kOuter = 22 * 8, kInner = 20 * 8;
  int64_t d2 = int64_t(sx) * sx + int64_t(sy) * sy;
  if (d2 > int64_t(kOuter) * kOuter) return kNoColour;
  if (d2 > int64_t(kInner) * kInner) return kEmblemRing;
  auto inside = [&](int cx, int cy, int r) {
    int64_t dx = sx - cx * 8, dy = sy - cy * 8;
    return dx * dx + dy * dy <= int64_t(r * 8) * (r * 8);
  };
  if (inside(16, 46, 36)) return Rgb(40, 96, 64);      // near hill, heather in shade
  if (inside(-14, 38, 33)) return Rgb(112, 72, 136);   // far hill, heather in bloom
  if (inside(4, 5, 9)) return Rgb(255, 236, 150);      // sun
  if (inside(4, 5, 12)) return Rgb(255, 200, 96);      // its glow
  // Dawn sky in flat bands, warm at the horizon.
  static const uint32_t kSky[] = {Rgb(56, 72, 176), Rgb(88, 88, 184), Rgb(144, 104, 176),
                                  Rgb(208, 120, 144), Rgb(248, 160, 112)};
  int band = (sy + 20 * 8) / (5 * 8);
  if (band < 0) band = 0;
  if (band > 4) band = 4;
  return kSky[band];
}

Canvas PaintBanner() {
  Canvas canvas = PaintStripes(kBannerWidth);
  const char* kName = g_texts.title.c_str();
  const char* kSlogan = g_texts.slogan.c_str();
  constexpr int kEmblemRadius = 22;
  constexpr int kGap = 12;

  Coverage title = SmoothLargeText(kTitleFont, kName);
  int title_ink = title.width - 4;
  int block = 2 * kEmblemRadius + kGap + title_ink;
  int left = (kBannerWidth - block) / 2;
  int cx = left + kEmblemRadius, cy = 29;
  PaintSampled(canvas, cx - kEmblemRadius - 1, cy - kEmblemRadius - 1, 2 * kEmblemRadius + 2,
               2 * kEmblemRadius + 2,
               [cx, cy](int sx, int sy) { return EmblemScene(sx - cx * 8, sy - cy * 8); });

  int text_left = cx + kEmblemRadius + kGap;
  int title_top = 10;
  // The coverage starts two pixels before the ink; the shadow falls two
  // pixels below and right of the lettering.
  int cover_x = text_left - 2, cover_y = title_top - 2;
  PaintCoverage(canvas, title, cover_x + 2, cover_y + 2, TitleShadowRow);
  PaintCoverage(canvas, title, cover_x, cover_y, TitleInkRow);

  FillRect(canvas, text_left, title_top + 21, title_ink, 1, kRuleColour);
  int slogan_width = TextWidth(kTextFont, kSlogan);
  int slogan_left = text_left + title_ink - slogan_width;
  // The slogan ends under the title's end; a longer one would leave the banner.
  if (slogan_left < 2) {
    std::fprintf(stderr, "paint-resources: slogan: '%s' does not fit under the banner's title\n",
                 kSlogan);
    std::exit(2);
  }
  DrawText(canvas, kTextFont, slogan_left + 1, title_top + 25, kSlogan, kTitleShadow);
  DrawText(canvas, kTextFont, slogan_left, title_top + 24, kSlogan, kSloganColour);
  return canvas;
}

// The line under the banner: bright blue over near-black, one colour a row.
Canvas PaintLine() {
  Canvas canvas = MakeCanvas(kLineWidth, 2, kLineBlue);
  FillRect(canvas, 0, 1, kLineWidth, 1, kLineDark);
  return canvas;
}

// ---------------------------------------------------------------------------
// Shared by the two 120 x 168 side pictures.

constexpr int kSideWidth = 120;
constexpr int kSideHeight = 168;

const std::vector<ArtKey> kArtKey = {
    {'K', kBlack},  {'M', kMaroon}, {'g', kGreen},   {'O', kOlive},  {'N', kNavy},   {'P', kPurple},
    {'T', kTeal},   {'S', kSilver}, {'G', kGrey},    {'R', kRed},    {'L', kLime},   {'Y', kYellow},
    {'B', kBlue},   {'F', kFuchsia}, {'A', kAqua},   {'W', kWhite},
};

// ---------------------------------------------------------------------------
// 201: the opened start menu with the product's program group.

using Art = std::vector<std::string>;

// Menu pictures, seven pixels square, one character a pixel (see kArtKey).
const Art kFolderIcon = {
    ".......",
    ".OOO...",
    "OYWYOOO",
    "OYYYYYO",
    "OYYYYYO",
    "OYYYYYO",
    "OOOOOOO",
};

const Art kProgramsIcon = {
    ".OOO...",
    "OYYYOOO",
    "OYNNNNN",
    "OYNWWWN",
    "OYNWWWN",
    "OONNNNN",
    ".......",
};

const Art kDocumentsIcon = {
    "KKKKK..",
    "KWWWKK.",
    "KWGGWWK",
    "KWWWWWK",
    "KWGGGWK",
    "KWWWWWK",
    "KKKKKKK",
};

const Art kSettingsIcon = {
    ".......",
    "KKKKKKK",
    "KSSSSSK",
    "KRSgSBK",
    "KSSSSSK",
    "KKKKKKK",
    ".......",
};

const Art kFindIcon = {
    ".KKK...",
    "KAWAK..",
    "KWAAK..",
    "KAAAK..",
    ".KKKKK.",
    "....KKK",
    ".....KK",
};

const Art kHelpIcon = {
    ".KKKKK.",
    "KBYYYBK",
    "KBBBYBK",
    "KBBYBBK",
    "KBBBBBK",
    "KBBYBBK",
    ".KKKKK.",
};

const Art kRunIcon = {
    "KKKKKKK",
    "KNNNNNK",
    "KWWWWWK",
    "KWKKWWK",
    "KWWWWWK",
    "KKKKKKK",
    ".......",
};

const Art kShutDownIcon = {
    "KKKKKK.",
    "KNNNNK.",
    "KNBNNK.",
    "KNNNNK.",
    "KKKKKK.",
    "..KK...",
    ".KKKK..",
};

const Art kAppIcon = {
    "KKKKKKK",
    "KNNNNNK",
    "KWWWWWK",
    "KWWWWWK",
    "KWWWWWK",
    "KKKKKKK",
    ".......",
};

const Art kPaperIcon = {
    "KKKK...",
    "KWWKK..",
    "KWWWWK.",
    "KWGGWK.",
    "KWWWWK.",
    "KWGGWK.",
    "KKKKKK.",
};

const Art kCalcIcon = {
    ".KKKKK.",
    ".KgggK.",
    ".KKKKK.",
    ".KWKWK.",
    ".KKKKK.",
    ".KWKWK.",
    ".KKKKK.",
};

const Art kUninstallIcon = {
    "KKKKKK.",
    "KWWWWK.",
    "KWRWRK.",
    "KWWRWK.",
    "KWRWRK.",
    "KWWWWK.",
    "KKKKKK.",
};

const Art kUpdateIcon = {
    "...g...",
    "..gLg..",
    ".gLLLg.",
    "ggLLLgg",
    "..gLg..",
    "..gLg..",
    "..ggg..",
};

const Art kLedgerIcon = {
    "KKKKKK.",
    "KggggKK",
    "KgYYgKW",
    "KggggKW",
    "KggggKW",
    "KggggKW",
    "KKKKKKK",
};

const Art kReadMeIcon = {
    "KKKK...",
    "KWWKK..",
    "KWWWWK.",
    "KWKKWK.",
    "KWWWWK.",
    "KWKKWK.",
    "KKKKKK.",
};

const Art kStartLogo = {
    "..YYY..",
    ".YYYYY.",
    "gggYYYY",
    "ggggggg",
    "KKKKKKK",
};

const Art kPointer = {
    "K......",
    "KK.....",
    "KWK....",
    "KWWK...",
    "KWWWK..",
    "KWWWWK.",
    "KWWWWWK",
    "KWWWKKK",
    "KWKWK..",
    "KK.KWK.",
    "K..KWK.",
    "....K..",
};

const Art kSubmenuArrow = {
    "#..",
    "##.",
    "###",
    "##.",
    "#..",
};

struct MenuItem {
  const char* text;
  const Art* icon;
  bool submenu;
};

constexpr int kItemHeight = 9;
constexpr int kSeparatorHeight = 4;

// Layout of one menu: items stacked from the top, an optional separator
// before the last item, and a side band at the left of the main menu.
struct MenuLayout {
  int x;
  int y;
  int width;
  int height;
  int band;            // width of the side band, 0 for none
  bool separator;      // a rule before the last item
};

// Bevel, band, icon column, the widest text (with room for the cascade
// arrow where there is one), bevel.
int MenuWidth(const std::vector<MenuItem>& items, int band) {
  int widest = 0;
  for (const MenuItem& item : items) {
    int w = TextWidth(kMenuFont, item.text) + (item.submenu ? 8 : 2);
    if (w > widest) widest = w;
  }
  return 2 + band + 10 + widest + 2;
}

int MenuHeight(const std::vector<MenuItem>& items, bool separator) {
  return 2 + int(items.size()) * kItemHeight + (separator ? kSeparatorHeight : 0) + 2;
}

int ItemTop(const MenuLayout& menu, int index, int count) {
  int top = menu.y + 2 + index * kItemHeight;
  if (menu.separator && index == count - 1) top += kSeparatorHeight;
  return top;
}

void DrawMenu(Canvas& canvas, const MenuLayout& menu, const std::vector<MenuItem>& items,
              int highlighted) {
  FillRect(canvas, menu.x, menu.y, menu.width, menu.height, kSilver);
  DrawBevel(canvas, menu.x, menu.y, menu.width, menu.height, true);
  int left = menu.x + 2 + menu.band;
  int right = menu.x + menu.width - 2;
  int count = int(items.size());
  for (int i = 0; i < count; ++i) {
    int top = ItemTop(menu, i, count);
    uint32_t ink = kBlack;
    if (i == highlighted) {
      FillRect(canvas, left, top, right - left, kItemHeight, kNavy);
      ink = kWhite;
    }
    DrawArt(canvas, left + 1, top + 1, *items[i].icon, kArtKey);
    DrawText(canvas, kMenuFont, left + 10, top + 2, items[i].text, ink);
    if (items[i].submenu) DrawArt(canvas, right - 5, top + 2, kSubmenuArrow, {{'#', ink}});
  }
  if (menu.separator) {
    int y = ItemTop(menu, count - 1, count) - kSeparatorHeight + 2;
    FillRect(canvas, left + 1, y, right - left - 2, 1, kGrey);
    FillRect(canvas, left + 1, y + 1, right - left - 2, 1, kWhite);
  }
}

// The main menu's side band: navy darkening to black towards the top, with
// the publisher's name reading upwards.
void DrawSideBand(Canvas& canvas, const MenuLayout& menu) {
  int x = menu.x + 2, top = menu.y + 2, height = menu.height - 4;
  FillRect(canvas, x, top, menu.band, height, kNavy);
  for (int row = 0; row < height / 3; ++row)
    for (int col = 0; col < menu.band; ++col)
      if (row < height / 6 || (row + col) % 2 == 0) PutPixel(canvas, x + col, top + row, kBlack);
  if (TextWidth(kMenuFont, g_texts.band.c_str()) > height - 4) {
    std::fprintf(stderr, "paint-resources: sideband: '%s' is longer than the menu's %d pixels\n",
                 g_texts.band.c_str(), height - 4);
    std::exit(2);
  }
  DrawTextUp(canvas, kMenuFont, x + 2, top + height - 3, g_texts.band.c_str(), kSilver);
}

Canvas PaintStartMenu() {
  Canvas canvas = MakeCanvas(kSideWidth, kSideHeight, kTeal);

  // Taskbar along the bottom, with the pressed Start button and the clock.
  constexpr int kTaskbarTop = 150;
  FillRect(canvas, 0, kTaskbarTop, kSideWidth, kSideHeight - kTaskbarTop, kSilver);
  FillRect(canvas, 0, kTaskbarTop + 1, kSideWidth, 1, kWhite);
  FillRect(canvas, 2, kTaskbarTop + 3, 37, 13, kSilver);
  DrawBevel(canvas, 2, kTaskbarTop + 3, 37, 13, false);
  DrawArt(canvas, 6, kTaskbarTop + 7, kStartLogo, kArtKey);
  DrawText(canvas, kMenuFont, 15, kTaskbarTop + 7, "Start", kBlack);
  DrawText(canvas, kMenuFont, 16, kTaskbarTop + 7, "Start", kBlack);
  FillRect(canvas, 96, kTaskbarTop + 3, 22, 13, kSilver);
  FillRect(canvas, 96, kTaskbarTop + 3, 22, 1, kGrey);
  FillRect(canvas, 96, kTaskbarTop + 3, 1, 13, kGrey);
  FillRect(canvas, 96, kTaskbarTop + 15, 22, 1, kWhite);
  FillRect(canvas, 117, kTaskbarTop + 3, 1, 13, kWhite);
  DrawText(canvas, kMenuFont, 107 - TextWidth(kMenuFont, "3:02") / 2, kTaskbarTop + 7, "3:02",
           kBlack);

  const std::vector<MenuItem> main_items = {
      {"Programs", &kProgramsIcon, true}, {"Documents", &kDocumentsIcon, true},
      {"Settings", &kSettingsIcon, true}, {"Find", &kFindIcon, true},
      {"Help", &kHelpIcon, false},        {"Run...", &kRunIcon, false},
      {"Shut Down...", &kShutDownIcon, false}};
  const std::vector<MenuItem> program_items = {
      {"Games", &kFolderIcon, true},     {g_texts.group.c_str(), &kFolderIcon, true},
      {"StartUp", &kFolderIcon, true},   {"Calculator", &kCalcIcon, false},
      {"Calendar", &kAppIcon, false},    {"Clock", &kAppIcon, false},
      {"Explorer", &kAppIcon, false},    {"Mail", &kAppIcon, false},
      {"Notepad", &kPaperIcon, false},   {"Paint", &kAppIcon, false},
      {"Player", &kAppIcon, false},      {"Terminal", &kAppIcon, false},
      {"Volume", &kAppIcon, false},      {"Write", &kPaperIcon, false}};
  // The shortcuts' icons by the roles of their entries.
  const Art* const kRoleIcons[] = {&kUninstallIcon, &kUpdateIcon, &kLedgerIcon, &kHelpIcon,
                                   &kReadMeIcon};
  std::vector<MenuItem> group_items;
  for (size_t i = 0; i < g_texts.captions.size(); ++i) {
    group_items.push_back({g_texts.captions[i].c_str(), i < 5 ? kRoleIcons[i] : &kPaperIcon, false});
  }

  // The main menu stands on the taskbar. The Programs cascade opens to its
  // right, overlapping it a little as cascades do, and is pushed up to fit
  // above the taskbar; the group's cascade finds no room on the right and
  // opens to the left, above the main menu.
  MenuLayout main_menu{1, 0, MenuWidth(main_items, 9), MenuHeight(main_items, true), 9, true};
  main_menu.y = kTaskbarTop - main_menu.height;
  MenuLayout programs{0, 0, MenuWidth(program_items, 0), MenuHeight(program_items, false), 0,
                      false};
  programs.x = main_menu.x + main_menu.width - 3;
  programs.y = kTaskbarTop - programs.height;
  MenuLayout group{0, 0, MenuWidth(group_items, 0), MenuHeight(group_items, false), 0, false};
  group.x = programs.x + 3 - group.width;
  group.y = ItemTop(programs, 1, int(program_items.size())) - 2;

  DrawMenu(canvas, main_menu, main_items, 0);
  DrawSideBand(canvas, main_menu);
  DrawMenu(canvas, programs, program_items, 1);
  DrawMenu(canvas, group, group_items, 2);
  // The pointer rests on the main program, or the last item of fewer.
  int pointed = std::min(2, int(group_items.size()) - 1);
  int pointer_top = ItemTop(group, pointed, int(group_items.size())) + 4;
  DrawArt(canvas, group.x + group.width - 8, pointer_top, kPointer, kArtKey);

  // Longer item texts would push a menu off the picture or over another.
  if (programs.x + programs.width > kSideWidth || programs.y < 0 ||
      group.y + group.height > main_menu.y || group.x < 2) {
    std::fprintf(stderr, "paint-resources: the start menu does not fit its picture: shorten the "
                         "product's name or its shortcut captions\n");
    std::exit(2);
  }
  return canvas;
}

// ---------------------------------------------------------------------------
// 200: a desktop computer with diskettes and compact discs.

// A 3.5-inch diskette, 22 x 23, in the given body colour.
void DrawDiskette(Canvas& canvas, int x, int y, uint32_t body, uint32_t label_ink) {
  FillPolygon(canvas, {{x, y}, {x + 20, y}, {x + 22, y + 2}, {x + 22, y + 23}, {x, y + 23}}, body);
  DrawLine(canvas, x, y, x + 20, y, kBlack);
  DrawLine(canvas, x + 20, y, x + 21, y + 1, kBlack);
  DrawLine(canvas, x + 21, y + 1, x + 21, y + 22, kBlack);
  DrawLine(canvas, x, y + 22, x + 21, y + 22, kBlack);
  DrawLine(canvas, x, y, x, y + 22, kBlack);
  // Metal shutter with its window.
  FillRect(canvas, x + 5, y, 12, 8, kSilver);
  FrameRect(canvas, x + 5, y, 12, 8, kGrey);
  FillRect(canvas, x + 12, y + 2, 3, 5, kBlack);
  FillRect(canvas, x + 6, y + 1, 1, 6, kWhite);
  // Label.
  FillRect(canvas, x + 3, y + 11, 16, 11, kWhite);
  FillRect(canvas, x + 3, y + 11, 16, 2, label_ink);
  for (int line = 0; line < 3; ++line)
    FillRect(canvas, x + 5, y + 15 + 2 * line, 10 - 3 * line, 1, kGrey);
}

// A compact disc seen from above: silver with a rainbow sheen and the hole.
void DrawDisc(Canvas& canvas, int cx, int cy, int radius, uint32_t ground) {
  int d = 2 * radius + 1;
  FillEllipse(canvas, cx - radius, cy - radius, d, d, kGrey);
  FillEllipse(canvas, cx - radius + 1, cy - radius + 1, d - 2, d - 2, kSilver);
  // Light from the top left falls across the disc as a bow tie along the
  // diagonal: white in its middle, split into colours at its sides.
  for (int y = cy - radius + 1; y <= cy + radius - 1; ++y)
    for (int x = cx - radius + 1; x <= cx + radius - 1; ++x) {
      int dx = x - cx, dy = y - cy;
      int r2 = dx * dx + dy * dy;
      if (r2 >= (radius - 1) * (radius - 1) || r2 < 64) continue;
      int along = dx + dy < 0 ? -(dx + dy) : dx + dy;
      int across = dy - dx;
      int off = across < 0 ? -across : across;
      if (off * 3 < along)
        PutPixel(canvas, x, y, kWhite);
      else if (off * 3 < along * 2 && r2 > (radius - 6) * (radius - 6))
        PutPixel(canvas, x, y, across > 0 ? kAqua : kFuchsia);
    }
  FrameEllipse(canvas, cx - radius, cy - radius, d, d, kGrey);
  FillEllipse(canvas, cx - 6, cy - 6, 13, 13, kWhite);
  FrameEllipse(canvas, cx - 6, cy - 6, 13, 13, kGrey);
  FillEllipse(canvas, cx - 3, cy - 3, 7, 7, kGrey);
  FillEllipse(canvas, cx - 2, cy - 2, 5, 5, ground);
}

void DrawShadow(Canvas& canvas, int x, int y, int width, int height) {
  for (int row = y; row < y + height; ++row)
    for (int col = x; col < x + width; ++col)
      if ((row + col) % 2 == 0 && GetPixel(canvas, col, row) == kTeal)
        PutPixel(canvas, col, row, kBlack);
}

Canvas PaintComputer() {
  Canvas canvas = MakeCanvas(kSideWidth, kSideHeight, kTeal);

  // System unit, lying flat, with the monitor standing on it.
  constexpr int kCaseX = 8, kCaseY = 88, kCaseW = 104, kCaseH = 30;
  DrawShadow(canvas, kCaseX + 4, kCaseY + 4, kCaseW, kCaseH);
  FillRect(canvas, kCaseX, kCaseY, kCaseW, kCaseH, kSilver);
  DrawBevel(canvas, kCaseX, kCaseY, kCaseW, kCaseH, true);
  FillRect(canvas, kCaseX + 2, kCaseY + 2, kCaseW - 4, 3, kWhite);
  FillRect(canvas, kCaseX + 2, kCaseY + 5, kCaseW - 4, 1, kGrey);
  // CD-ROM drive: tray, slot, button and light.
  FrameRect(canvas, 15, 94, 44, 9, kGrey);
  FillRect(canvas, 16, 95, 43, 1, kWhite);
  FillRect(canvas, 18, 98, 30, 1, kBlack);
  FillRect(canvas, 51, 99, 5, 2, kGrey);
  PutPixel(canvas, 18, 100, kLime);
  // Diskette drive.
  FrameRect(canvas, 15, 105, 44, 9, kGrey);
  FillRect(canvas, 16, 106, 43, 1, kWhite);
  FillRect(canvas, 23, 108, 26, 2, kBlack);
  FillRect(canvas, 50, 110, 4, 2, kGrey);
  PutPixel(canvas, 18, 111, kYellow);
  // Vents, lights and the power switch.
  for (int x = 64; x < 86; x += 3) FillRect(canvas, x, 96, 1, 16, kGrey);
  PutPixel(canvas, 91, 97, kLime);
  PutPixel(canvas, 95, 97, kRed);
  FillRect(canvas, 90, 101, 9, 9, kSilver);
  DrawBevel(canvas, 90, 101, 9, 9, true);
  FillRect(canvas, 102, 96, 5, 16, kGrey);
  FillRect(canvas, 103, 97, 3, 14, kSilver);

  // Stand.
  FillRect(canvas, 44, 84, 32, 4, kGrey);
  FillRect(canvas, 46, 84, 28, 1, kSilver);
  FillRect(canvas, 52, 80, 16, 4, kGrey);

  // Monitor: casing, sunken bezel, the screen showing a setup in progress.
  constexpr int kMonX = 14, kMonY = 6, kMonW = 92, kMonH = 76;
  DrawShadow(canvas, kMonX + 4, kMonY + 4, kMonW, kMonH - 2);
  FillRect(canvas, kMonX, kMonY, kMonW, kMonH, kSilver);
  DrawBevel(canvas, kMonX, kMonY, kMonW, kMonH, true);
  constexpr int kScrX = 22, kScrY = 13, kScrW = 76, kScrH = 56;
  DrawBevel(canvas, kScrX - 2, kScrY - 2, kScrW + 4, kScrH + 4, false);
  FillRect(canvas, kScrX, kScrY, kScrW, kScrH, kNavy);
  for (int y = kScrY + kScrH / 2; y < kScrY + kScrH; ++y)
    for (int x = kScrX; x < kScrX + kScrW; ++x)
      if (y >= kScrY + kScrH * 3 / 4 || (x + y) % 2 == 0) PutPixel(canvas, x, y, kBlue);
  // Little setup window on the screen, with a progress bar.
  FillRect(canvas, 36, 29, 48, 26, kSilver);
  DrawBevel(canvas, 36, 29, 48, 26, true);
  FillRect(canvas, 38, 31, 44, 4, kNavy);
  FillRect(canvas, 79, 32, 2, 2, kSilver);
  FillRect(canvas, 40, 38, 30, 1, kBlack);
  FillRect(canvas, 40, 41, 22, 1, kBlack);
  FillRect(canvas, 40, 45, 40, 6, kWhite);
  FrameRect(canvas, 40, 45, 40, 6, kGrey);
  FillRect(canvas, 41, 46, 26, 4, kNavy);
  // Glare in the top left corner of the glass.
  DrawLine(canvas, kScrX + 2, kScrY + 8, kScrX + 8, kScrY + 2, kGrey);
  DrawLine(canvas, kScrX + 2, kScrY + 12, kScrX + 12, kScrY + 2, kGrey);
  // Bezel below the screen: badge, buttons, power light.
  FillRect(canvas, kScrX, 73, 14, 3, kGrey);
  FillRect(canvas, 78, 73, 3, 3, kGrey);
  FillRect(canvas, 84, 73, 3, 3, kGrey);
  FillRect(canvas, 91, 74, 3, 2, kLime);

  // Media on the desk in front.
  DrawShadow(canvas, 72 + 3, 124 + 3, 22, 23);
  DrawDiskette(canvas, 72, 124, kNavy, kRed);
  DrawShadow(canvas, 84 + 3, 136 + 3, 22, 23);
  DrawDiskette(canvas, 84, 136, kBlack, kBlue);
  DrawShadow(canvas, 64 + 3, 142 + 3, 22, 23);
  DrawDiskette(canvas, 64, 142, kMaroon, kLime);
  DrawDisc(canvas, 24, 138, 16, kTeal);
  DrawDisc(canvas, 42, 148, 16, kTeal);
  return canvas;
}

// ---------------------------------------------------------------------------
// 100: the setup program's icon. 101: the shortcut dialog's icon.

// ---------------------------------------------------------------------------
// 100: the setup program's icon, an open carton with a compact disc going in.
// 101: the shortcut dialog's icon, a document with a shortcut arrow.

void OutlinePolygon(Canvas& canvas, const std::vector<Point>& corners, uint32_t colour) {
  for (size_t i = 0; i < corners.size(); ++i) {
    const Point& a = corners[i];
    const Point& b = corners[(i + 1) % corners.size()];
    DrawLine(canvas, a.x, a.y, b.x, b.y, colour);
  }
}

Canvas PaintSetupIcon32() {
  Canvas icon = MakeTransparentCanvas(32, 32);
  // Corners of the carton's rim (left, back, right, front) and the height
  // of its faces.
  const Point l{1, 14}, b{16, 8}, r{30, 14}, f{15, 20};
  const int d = 11;
  // Inside of the carton, the far walls in shade; drawn before the disc,
  // which stands in front of them.
  FillPolygon(icon, {l, b, r, f}, kMaroon);
  FillPolygon(icon, {l, b, {b.x, b.y + 2}, {l.x, l.y + 2}}, kBlack);
  DrawLine(icon, l.x, l.y, b.x, b.y, kBlack);
  DrawLine(icon, b.x, b.y, r.x, r.y, kBlack);
  // The disc, upright, its lower part already inside.
  const int cx = 16, cy = 9, rad = 8;
  FillEllipse(icon, cx - rad, cy - rad, 2 * rad + 1, 2 * rad + 1, kSilver);
  for (int y = cy - rad; y <= cy + rad; ++y)
    for (int x = cx - rad; x <= cx + rad; ++x) {
      int dx = x - cx, dy = y - cy;
      if (dx * dx + dy * dy > (rad - 1) * (rad - 1)) continue;
      int along = dx + dy < 0 ? -(dx + dy) : dx + dy;
      int across = dy - dx < 0 ? dx - dy : dy - dx;
      if (across * 2 < along)
        PutPixel(icon, x, y, kWhite);
      else if (across < along && dx * dx + dy * dy > (rad - 3) * (rad - 3))
        PutPixel(icon, x, y, dy > dx ? kAqua : kFuchsia);
    }
  FrameEllipse(icon, cx - rad, cy - rad, 2 * rad + 1, 2 * rad + 1, kGrey);
  FillEllipse(icon, cx - 3, cy - 3, 7, 7, kGrey);
  FillEllipse(icon, cx - 1, cy - 1, 3, 3, kBlack);
  // Front faces: cardboard lit on the left, in shade on the right.
  std::vector<Point> left_face = {l, f, {f.x, f.y + d}, {l.x, l.y + d}};
  std::vector<Point> right_face = {f, r, {r.x, r.y + d}, {f.x, f.y + d}};
  FillPolygon(icon, left_face, kOlive);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < f.x; ++x)
      if ((x + y) % 2 == 0 && GetPixel(icon, x, y) == kOlive) PutPixel(icon, x, y, kYellow);
  FillPolygon(icon, right_face, kOlive);
  OutlinePolygon(icon, left_face, kBlack);
  OutlinePolygon(icon, right_face, kBlack);
  DrawLine(icon, l.x + 1, l.y + 1, f.x - 1, f.y, kWhite);
  return icon;
}

// At 16 x 16 the same carton is drawn pixel by pixel: shapes computed at
// this size come out ragged.
Canvas PaintSetupIcon16() {
  Canvas icon = MakeTransparentCanvas(16, 16);
  const Art kCarton = {
      ".....GGGGGG.....",
      "....GWWSSSSG....",
      "...GSWWWSSSFG...",
      "...GSSWGGSSFG...",
      "...GSSGKKGSSG...",
      "...GASGKKGWSG...",
      "..KGAASGGSWWGK..",
      "KKMMGASSSSWGMMKK",
      "KOKKMGGGGGGMKKOK",
      "KYOYKKMMMMKKOOOK",
      "KOYOYOKKKKOOOOOK",
      "KYOYOYOYOOOOOOOK",
      "KKYOYOYOOOOOOOKK",
      "..KKOYOYOOOOKK..",
      "....KKYOOOKK....",
      "......KKKK......",
  };
  DrawArt(icon, 0, 0, kCarton, kArtKey);
  return icon;
}

Canvas PaintShortcutIcon() {
  Canvas icon = MakeTransparentCanvas(32, 32);
  // The document, its corner folded down.
  FillPolygon(icon, {{8, 1}, {22, 1}, {28, 7}, {28, 31}, {8, 31}}, kWhite);
  OutlinePolygon(icon, {{8, 1}, {22, 1}, {27, 6}, {27, 30}, {8, 30}}, kBlack);
  FillPolygon(icon, {{22, 1}, {22, 7}, {28, 7}}, kSilver);
  DrawLine(icon, 22, 1, 22, 6, kBlack);
  DrawLine(icon, 22, 6, 27, 6, kBlack);
  for (int y = 10; y <= 26; y += 3) FillRect(icon, 11, y, y % 2 ? 12 : 14, 1, kGrey);
  FillRect(icon, 11, 4, 8, 2, kNavy);
  // The shortcut mark: a white tile with a black arrow turning up and right.
  const Art kShortcutTile = {
      "KKKKKKKKKKKK",
      "KWWWWWWWWWWK",
      "KWWWWKKKKKWK",
      "KWWWWWKKKKWK",
      "KWWWWKKKKKWK",
      "KWWWKKKWKKWK",
      "KWWKKKWWWKWK",
      "KWWKKWWWWWWK",
      "KWKKWWWWWWWK",
      "KWKKWWWWWWWK",
      "KWWWWWWWWWWK",
      "KKKKKKKKKKKK",
  };
  DrawArt(icon, 2, 19, kShortcutTile, kArtKey);
  // A spark: something new is being made.
  const Art kSpark = {"...Y...", "...Y...", "..YWY..", "YYWWWYY", "..YWY..", "...Y...", "...Y..."};
  DrawArt(icon, 0, 2, kSpark, kArtKey);
  return icon;
}

}  // namespace

// Texts the fonts cannot draw or the pictures cannot hold, by field.
bool CheckTexts(const Description& d) {
  struct Need {
    const char* field;
    const std::string& text;
    const PixelFont& font;
    int room;  // pixels
  };
  // The banner's title and emblem share its width. PaintBanner checks the
  // slogan under the title, DrawSideBand the name along the main menu.
  constexpr int kTitleRoom = kBannerWidth - 2 * 22 - 12 - 8;
  const Need needs[] = {
      {"banner", g_texts.title, kTitleFont, kTitleRoom},
      {"slogan", g_texts.slogan, kTextFont, kTitleRoom},
      {"sideband", g_texts.band, kMenuFont, kSideHeight},
      {"name", g_texts.group, kMenuFont, kSideWidth},
  };
  bool ok = true;
  for (const Need& need : needs) {
    if (need.text.empty() || !CanDraw(need.font, need.text.c_str())) {
      std::fprintf(stderr, "%s: %s: '%s' is empty or has letters the picture font lacks\n",
                   d.path.c_str(), need.field, need.text.c_str());
      ok = false;
    } else if (TextWidth(need.font, need.text.c_str()) > need.room) {
      std::fprintf(stderr, "%s: %s: '%s' is %d pixels wide; the picture has room for %d\n",
                   d.path.c_str(), need.field, need.text.c_str(),
                   TextWidth(need.font, need.text.c_str()), need.room);
      ok = false;
    }
  }
  if (g_texts.captions.empty()) {
    std::fprintf(stderr, "%s: shortcuts: the start menu shows the product's shortcuts; there are none\n",
                 d.path.c_str());
    ok = false;
  }
  for (const std::string& caption : g_texts.captions) {
    if (!CanDraw(kMenuFont, caption.c_str())) {
      std::fprintf(stderr, "%s: caption: '%s' has letters the picture font lacks\n",
                   d.path.c_str(), caption.c_str());
      ok = false;
    }
  }
  return ok;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: paint-resources OUTDIR DESCRIPTION\n");
    return 2;
  }
  std::string dir = argv[1];
  Description d;
  d.path = argv[2];
  if (!ReadDescription(&d) || ProblemCount() != 0) return 1;
  g_texts.title = d.banner;
  g_texts.slogan = d.slogan;
  g_texts.band = d.sideband;
  g_texts.group = d.name;
  for (long i = 0; i < d.shortcuts && i < long(d.entries.size()); ++i) {
    g_texts.captions.push_back(d.entries[size_t(i)].caption);
  }
  if (!CheckTexts(d)) return 1;

  Canvas banner = PaintBanner();
  Canvas strip = PaintStripes(kStripWidth);
  Canvas line = PaintLine();
  // One colour table for the band's three bitmaps: the backdrop realises
  // the banner's palette and draws all three with it.
  std::vector<uint32_t> band_palette =
      CollectPalette({&banner, &strip}, {kBlack, kWhite, kLineBlue, kLineDark}, 256);
  if (band_palette.empty()) return 1;
  const std::vector<uint32_t> line_palette = {kLineDark, kLineBlue, StripeColour(0),
                                              StripeColour(kBannerHeight - 1), kWhite};

  Canvas start_menu = PaintStartMenu();
  Canvas computer = PaintComputer();
  Canvas setup_large = PaintSetupIcon32();
  Canvas setup_small = PaintSetupIcon16();
  Canvas shortcut = PaintShortcutIcon();

  struct Output {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Output> outputs = {
      {"banner.bmp", EncodeBmp(banner, 8, band_palette, 0)},
      {"strip.bmp", EncodeBmp(strip, 8, band_palette, 0)},
      {"line.bmp", EncodeBmp(line, 8, line_palette, uint32_t(line_palette.size()))},
      {"startmenu.bmp", EncodeBmp(start_menu, 4, VgaPalette(), 0)},
      {"computer.bmp", EncodeBmp(computer, 4, VgaPalette(), 0)},
      {"setup.ico", EncodeIco({&setup_large, &setup_small})},
      {"shortcut.ico", EncodeIco({&shortcut})},
  };
  for (const Output& output : outputs) {
    if (output.bytes.empty()) return 1;
    if (!WriteBytes(dir + "/" + output.name, output.bytes)) return 1;
  }
  return 0;
}
