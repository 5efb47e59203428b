// The setup program's pictures, one painter a family, and the texts they
// say. main reads the description into g_texts, checks it against the sizes
// below, calls the painters and writes what they return.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "paint_canvas.h"

// What the pictures say, from the description: the banner's title and
// slogan, the name up the start menu's band, the product's group and the
// captions of its shortcuts.
struct PictureTexts {
  std::string title, slogan, band, group;
  std::vector<std::string> captions;
};
extern PictureTexts g_texts;

// Banner band (paint_banner.cpp): 202 banner, 203 strip, 204 line.
constexpr int kBannerWidth = 334;
// The banner's emblem, and the gap between it and the title.
constexpr int kEmblemRadius = 22;
constexpr int kEmblemGap = 12;
constexpr int kBannerHeight = 58;
constexpr int kStripWidth = 20;

constexpr uint32_t kLineBlue = Rgb(40, 104, 255);
constexpr uint32_t kLineDark = Rgb(0, 0, 24);

// Background of banner and strip: one colour a row.
uint32_t StripeColour(int y);
Canvas PaintStripes(int width);
// The emblem is the publisher's 44 x 44 picture, or null for the neutral
// one.
Canvas PaintBanner(const Canvas* emblem);
Canvas PaintLine();

// Where the banner puts its emblem, the title lettering (twice the title
// font's size) and the slogan that ends under it.
struct BannerLayout {
  int titleInk;    // width of the lettering
  int emblemX;     // the emblem's centre
  int textLeft;    // the lettering's left edge
  int sloganLeft;  // below 2, the slogan would leave the banner
};
BannerLayout LayOutBanner(const PictureTexts& texts);

// The two 120 x 168 side pictures: 201 the start menu (paint_start_menu.cpp)
// and 200 the computer (paint_computer.cpp).
constexpr int kSideWidth = 120;
constexpr int kSideHeight = 168;

Canvas PaintStartMenu();
Canvas PaintComputer();

// The start menu's three menus, as the painter draws them and the checks
// measure them: the main menu with the side band, the Programs cascade with
// the product's group, and the group's cascade with its shortcuts.
constexpr int kTaskbarTop = 150;
struct MenuLayout {
  int x;
  int y;
  int width;
  int height;
  int band;            // width of the side band, 0 for none
  bool separator;      // a rule before the last item
};
struct StartMenuLayout {
  MenuLayout main, programs, group;
  int bandRoom;  // pixels the side band's name may take
};
StartMenuLayout LayOutStartMenu(const PictureTexts& texts);

// The description's texts for the pictures.
struct Description;
PictureTexts TextsOf(const Description& d);

// Pixel art of the start menu and the icons, one character a pixel, and the
// key that gives each character one of the sixteen VGA colours.
using Art = std::vector<std::string>;
extern const std::vector<ArtKey> kArtKey;

// 100 the setup program's icon, 32 x 32 and 16 x 16; 101 the shortcut
// dialog's icon (paint_icons.cpp).
Canvas PaintSetupIcon32();
Canvas PaintSetupIcon16();
Canvas PaintShortcutIcon();
