// The backdrop's preparation and painting, apart from its window procedure
// so that they can be run on any device context.
#ifndef VANTOR_BACKDROP_PAINT_H
#define VANTOR_BACKDROP_PAINT_H

#include <windows.h>

// Title and subtitle from the manifest; a text longer than its field is cut.
void FormatBackdropTexts();

// The three font descriptions for a screen of the given size, sized to the
// texts as formatted.
void FillFontDescriptions(int screenWidth, int screenHeight);

// The title font spreads the title over a third of the screen width; the
// subtitle font is narrower, its width computed from 1.5 times its length.
LONG TitleFontWidth(int screenWidth, int titleLength);
LONG SubtitleFontWidth(int screenWidth, int subtitleLength);
LONG SubtitleFontHeight(int screenHeight);

// Fixed colours, then the four list colours of the current system scheme.
void FillColourTable();

// The whole scene, for a screen of the given size.
void PaintBackdrop(HDC dc, int width, int height);

#endif
