// The start-menu picture (201): the opened start menu of the 1990s shell,
// its Programs cascade and the product's program group with the product's
// shortcuts, the publisher's name up the main menu's side band.

#include <algorithm>
#include <vector>

#include "paint_pictures.h"
#include "pixel_fonts.h"

// The key of the menu art below and of the icons' art.
const std::vector<ArtKey> kArtKey = {
    {'K', kBlack},  {'M', kMaroon}, {'g', kGreen},   {'O', kOlive},  {'N', kNavy},   {'P', kPurple},
    {'T', kTeal},   {'S', kSilver}, {'G', kGrey},    {'R', kRed},    {'L', kLime},   {'Y', kYellow},
    {'B', kBlue},   {'F', kFuchsia}, {'A', kAqua},   {'W', kWhite},
};

namespace {

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
  DrawTextUp(canvas, kMenuFont, x + 2, top + height - 3, g_texts.band.c_str(), kSilver);
}

// The three menus' items: the main menu's, the Programs cascade's with the
// product's group, and the group's with its shortcuts.
struct StartMenuItems {
  std::vector<MenuItem> main, programs, group;
};

StartMenuItems MenuItems(const PictureTexts& texts) {
  StartMenuItems items;
  items.main = {{"Programs", &kProgramsIcon, true}, {"Documents", &kDocumentsIcon, true},
                {"Settings", &kSettingsIcon, true}, {"Find", &kFindIcon, true},
                {"Help", &kHelpIcon, false},        {"Run...", &kRunIcon, false},
                {"Shut Down...", &kShutDownIcon, false}};
  items.programs = {
      {"Games", &kFolderIcon, true},     {texts.group.c_str(), &kFolderIcon, true},
      {"StartUp", &kFolderIcon, true},   {"Calculator", &kCalcIcon, false},
      {"Calendar", &kAppIcon, false},    {"Clock", &kAppIcon, false},
      {"Explorer", &kAppIcon, false},    {"Mail", &kAppIcon, false},
      {"Notepad", &kPaperIcon, false},   {"Paint", &kAppIcon, false},
      {"Player", &kAppIcon, false},      {"Terminal", &kAppIcon, false},
      {"Volume", &kAppIcon, false},      {"Write", &kPaperIcon, false}};
  // The shortcuts' icons by the roles of their entries.
  const Art* const kRoleIcons[] = {&kUninstallIcon, &kUpdateIcon, &kLedgerIcon, &kHelpIcon,
                                   &kReadMeIcon};
  for (size_t i = 0; i < texts.captions.size(); ++i) {
    items.group.push_back({texts.captions[i].c_str(), i < 5 ? kRoleIcons[i] : &kPaperIcon, false});
  }
  return items;
}

}  // namespace

// The main menu stands on the taskbar. The Programs cascade opens to its
// right, overlapping it a little as cascades do, and is pushed up to fit
// above the taskbar; the group's cascade finds no room on the right and
// opens to the left, above the main menu.
StartMenuLayout LayOutStartMenu(const PictureTexts& texts) {
  StartMenuItems items = MenuItems(texts);
  StartMenuLayout layout;
  MenuLayout& main_menu = layout.main;
  main_menu = {1, 0, MenuWidth(items.main, 9), MenuHeight(items.main, true), 9, true};
  main_menu.y = kTaskbarTop - main_menu.height;
  MenuLayout& programs = layout.programs;
  programs = {0, 0, MenuWidth(items.programs, 0), MenuHeight(items.programs, false), 0, false};
  programs.x = main_menu.x + main_menu.width - 3;
  programs.y = kTaskbarTop - programs.height;
  MenuLayout& group = layout.group;
  group = {0, 0, MenuWidth(items.group, 0), MenuHeight(items.group, false), 0, false};
  group.x = programs.x + 3 - group.width;
  group.y = ItemTop(programs, 1, int(items.programs.size())) - 2;
  // The band's name reads upwards inside the main menu's bevel.
  layout.bandRoom = main_menu.height - 4 - 4;
  return layout;
}

Canvas PaintStartMenu() {
  Canvas canvas = MakeCanvas(kSideWidth, kSideHeight, kTeal);

  // Taskbar along the bottom, with the pressed Start button and the clock.
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

  StartMenuItems items = MenuItems(g_texts);
  StartMenuLayout layout = LayOutStartMenu(g_texts);
  DrawMenu(canvas, layout.main, items.main, 0);
  DrawSideBand(canvas, layout.main);
  DrawMenu(canvas, layout.programs, items.programs, 1);
  DrawMenu(canvas, layout.group, items.group, 2);
  // The pointer rests on the main program, or the last item of fewer.
  int pointed = std::min(2, int(items.group.size()) - 1);
  int pointer_top = ItemTop(layout.group, pointed, int(items.group.size())) + 4;
  DrawArt(canvas, layout.group.x + layout.group.width - 8, pointer_top, kPointer, kArtKey);
  return canvas;
}
