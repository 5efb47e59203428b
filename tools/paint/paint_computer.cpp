// The computer picture (200): a desktop computer showing a setup in
// progress, with diskettes and compact discs on the desk in front.

#include "paint_pictures.h"

namespace {

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

}  // namespace

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
