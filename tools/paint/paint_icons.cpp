// The icons: 100, the setup program's icon, an open carton with a compact
// disc going in, at 32 x 32 and 16 x 16; 101, the shortcut dialog's icon, a
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
