// paint-resources OUTDIR DESCRIPTION: paints the setup program's bitmaps and
// icons with the names and captions of a product description and writes
// them as BMP and ICO files, all but those the description brings of its
// own. The output is the same on every run, so the files committed in
// resources/ can be checked against a fresh run.

#include <cstdio>
#include <string>
#include <vector>

#include "description.h"
#include "paint_pictures.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: paint-resources OUTDIR DESCRIPTION\n");
    return 2;
  }
  std::string dir = argv[1];
  Description d;
  d.path = argv[2];
  // The emblem's path is relative to the description's folder.
  size_t slash = d.path.find_last_of('/');
  d.sourceRoot = slash == std::string::npos ? "." : d.path.substr(0, slash);
  if (!ReadDescription(&d) || ProblemCount() != 0) return 1;
  // Only what the product does not bring is painted, so only those texts
  // need to fit.
  auto painted = [&d](const char* name) { return d.pictures.count(name) == 0; };
  CheckPictureTexts(d, painted("banner"), painted("startmenu"));
  if (ProblemCount() != 0) return 1;
  g_texts = TextsOf(d);

  // The publisher's emblem goes into the painted banner; without one, a
  // neutral emblem.
  Canvas emblem;
  if (d.pictures.count("emblem")) {
    if (!ReadEmblem(d, &emblem.width, &emblem.height, &emblem.pixels)) return 1;
    emblem.opaque.assign(emblem.pixels.size(), 1);
  }
  Canvas banner = MakeCanvas(1, 1, kBlack);
  if (painted("banner")) banner = PaintBanner(emblem.width ? &emblem : nullptr);
  Canvas strip = PaintStripes(kStripWidth);
  Canvas line = PaintLine();
  // One colour table for the band's three bitmaps: the backdrop realises
  // the banner's palette and draws all three with it.
  std::vector<const Canvas*> band = {&strip};
  if (painted("banner")) band.insert(band.begin(), &banner);
  std::vector<uint32_t> band_palette = CollectPalette(band, {kBlack, kWhite, kLineBlue, kLineDark}, 256);
  if (band_palette.empty()) {
    std::fprintf(stderr, "%s: the painted banner, with its emblem, needs more than 256 colours: "
                 "give the emblem fewer colours\n", d.path.c_str());
    return 1;
  }
  const std::vector<uint32_t> line_palette = {kLineDark, kLineBlue, StripeColour(0),
                                              StripeColour(kBannerHeight - 1), kWhite};

  struct Output {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Output> outputs;
  if (painted("banner")) outputs.push_back({"banner.bmp", EncodeBmp(banner, 8, band_palette, 0)});
  if (painted("strip")) outputs.push_back({"strip.bmp", EncodeBmp(strip, 8, band_palette, 0)});
  if (painted("line")) {
    outputs.push_back({"line.bmp", EncodeBmp(line, 8, line_palette, uint32_t(line_palette.size()))});
  }
  if (painted("startmenu")) {
    outputs.push_back({"startmenu.bmp", EncodeBmp(PaintStartMenu(), 4, VgaPalette(), 0)});
  }
  if (painted("computer")) {
    outputs.push_back({"computer.bmp", EncodeBmp(PaintComputer(), 4, VgaPalette(), 0)});
  }
  if (painted("setup")) {
    Canvas large = PaintSetupIcon32(), small = PaintSetupIcon16();
    outputs.push_back({"setup.ico", EncodeIco({&large, &small})});
  }
  if (painted("shortcut")) {
    Canvas shortcut = PaintShortcutIcon();
    outputs.push_back({"shortcut.ico", EncodeIco({&shortcut})});
  }
  for (const Output& output : outputs) {
    if (output.bytes.empty() || !WriteBytes(dir + "/" + output.name, output.bytes)) return 1;
  }
  return 0;
}
