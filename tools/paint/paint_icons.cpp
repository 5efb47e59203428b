// The icons: 100, the setup program's icon when the product's main program
// has none, at 32 x 32 and 16 x 16; 101, the shortcut dialog's icon, a
// document with a shortcut arrow.

#include <vector>

#include "paint_pictures.h"

namespace {

void OutlinePolygon(Canvas& canvas, const std::vector<Point>& corners, uint32_t colour) {
  for (size_t i = 0; i < corners.size(); ++i) {
    const Point& a = corners[i];
    const Point& b = corners[(i + 1) % corners.size()];
    DrawLine(canvas, a.x, a.y, b.x, b.y, colour);
  }
}

}  // namespace

// The setup's icon of a product whose main program brings none: an arrow
// going down into an open tray, nothing of any publisher's.
Canvas PaintSetupIcon32() {
  Canvas icon = MakeTransparentCanvas(32, 32);
  // The tray: its inside in shade, then the arrow, then the front wall.
  FillPolygon(icon, {{2, 17}, {30, 17}, {30, 31}, {2, 31}}, kGrey);
  std::vector<Point> arrow = {{13, 1}, {19, 1}, {19, 12}, {25, 12}, {16, 22}, {7, 12}, {13, 12}};
  FillPolygon(icon, arrow, kBlue);
  OutlinePolygon(icon, arrow, kNavy);
  DrawLine(icon, 14, 2, 14, 12, kAqua);
  std::vector<Point> front = {{2, 21}, {30, 21}, {30, 31}, {2, 31}};
  FillPolygon(icon, front, kSilver);
  OutlinePolygon(icon, {{2, 17}, {29, 17}, {29, 30}, {2, 30}}, kBlack);
  OutlinePolygon(icon, {{2, 21}, {29, 21}, {29, 30}, {2, 30}}, kBlack);
  DrawLine(icon, 3, 22, 28, 22, kWhite);
  DrawLine(icon, 3, 22, 3, 29, kWhite);
  return icon;
}

// At 16 x 16 the same tray is drawn pixel by pixel: shapes computed at this
// size come out ragged.
Canvas PaintSetupIcon16() {
  Canvas icon = MakeTransparentCanvas(16, 16);
  const Art kTray = {
      "......NNNN......",
      "......NABN......",
      "......NABN......",
      "......NABN......",
      "...NNNNABNNNN...",
      "...NBBBBBBBBN...",
      "....NBBBBBBN....",
      ".....NBBBBN.....",
      "KKKKKKNBBNKKKKKK",
      "KGGGGGGNNGGGGGGK",
      "KKKKKKKKKKKKKKKK",
      "KWWWWWWWWWWWWWSK",
      "KWSSSSSSSSSSSSSK",
      "KWSSSSSSSSSSSSSK",
      "KWSSSSSSSSSSSSSK",
      "KKKKKKKKKKKKKKKK",
  };
  DrawArt(icon, 0, 0, kTray, kArtKey);
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
