// paint-resources OUTDIR DESCRIPTION: paints the setup program's bitmaps and
// icons with the names and captions of a product description and writes
// them as BMP and ICO files. The output is the same on every run, so the
// files committed in resources/ can be checked against a fresh run.

#include <cstdio>
#include <string>
#include <vector>

#include "description.h"
#include "paint_pictures.h"
#include "pixel_fonts.h"

// Filled once from the description before any picture is painted.
PictureTexts g_texts;

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
  constexpr int kTitleRoom = kBannerWidth - 2 * kEmblemRadius - kEmblemGap - 8;
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
