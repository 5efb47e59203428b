// Bitmap fonts of the picture generator: our own glyphs, so the pictures do
// not depend on the fonts of the machine that makes them.
#pragma once

#include <cstdint>
#include <vector>

#include "paint_canvas.h"

// Rows of '#' (ink) and '.' (paper); the width of the first row is the
// glyph's width. Rows past the font's height are unused.
struct Glyph {
  char ch;
  const char* rows[9];
};

struct PixelFont {
  const Glyph* glyphs;
  int count;
  int rows;   // height of every glyph, descenders included
  int gap;    // paper between two glyphs
  int space;  // width of ' '
};

extern const PixelFont kMenuFont;   // 3 x 5 with one descender row: menu items
extern const PixelFont kTextFont;   // 5 x 7 with two descender rows: the slogan
extern const PixelFont kTitleFont;  // bold 7 x 9 capitals: the publisher's name

// True when the font has a glyph for every character of the text.
bool CanDraw(const PixelFont& font, const char* text);
int TextWidth(const PixelFont& font, const char* text);
// Ink of a whole line, TextWidth x rows, 1 where ink.
std::vector<uint8_t> TextMask(const PixelFont& font, const char* text, int* width);
void DrawText(Canvas& canvas, const PixelFont& font, int x, int top, const char* text,
              uint32_t colour);
// The same text turned a quarter left, reading upwards: the tops of the
// letters face column left, and the first letter starts at row bottom.
void DrawTextUp(Canvas& canvas, const PixelFont& font, int left, int bottom, const char* text,
                uint32_t colour);
