// The texts the painted pictures carry, checked against the room the
// painters' own layouts give them. The painter and the generator both
// check through here, so they refuse the same texts in the same words,
// each naming the description's line and by how many pixels it is over.
#include "description.h"
#include "paint_pictures.h"
#include "pixel_fonts.h"

// Filled once from the description before any picture is painted.
PictureTexts g_texts;

namespace {

// Pixels kept clear inside a picture's edges: the banner's lettering and
// emblem keep 4 a side, the slogan and the group's menu 2.
constexpr int kBannerMargin = 4;
constexpr int kMargin = 2;

std::string Pixels(int n) { return std::to_string(n) + (n == 1 ? " pixel" : " pixels"); }

// The characters a font draws, for the message that names one it lacks.
std::string Repertoire(const PixelFont& font) {
  std::string all;
  for (int i = 0; i < font.count; ++i) all += font.glyphs[i].ch;
  return all;
}

// False, with the problem reported, when the font lacks a character.
bool Drawable(const Description& d, int line, const char* field, const std::string& text,
              const PixelFont& font, const char* where) {
  if (text.empty()) {
    Fail(d, line, field, std::string("must not be empty: ") + where + " shows it");
    return false;
  }
  for (char c : text) {
    if (c != ' ' && !CanDraw(font, std::string(1, c).c_str())) {
      Fail(d, line, field,
           Quote(text) + ": " + where + " has no letter " + Quote(std::string(1, c)) + "; it draws " +
               Repertoire(font) + " and blanks");
      return false;
    }
  }
  return true;
}

void Over(const Description& d, int line, const char* field, const std::string& text, int over,
          const std::string& what) {
  if (over > 0) Fail(d, line, field, Quote(text) + " " + what + " by " + Pixels(over));
}

void CheckBannerTexts(const Description& d, const PictureTexts& texts) {
  bool title = Drawable(d, d.bannerLine, "banner", texts.title, kTitleFont, "the banner's lettering");
  bool slogan = Drawable(d, d.sloganLine, "slogan", texts.slogan, kTextFont, "the banner's slogan");
  if (!title || !slogan) return;
  BannerLayout layout = LayOutBanner(texts);
  // The emblem and the lettering stand centred in the banner.
  int block = 2 * kEmblemRadius + kEmblemGap + layout.titleInk;
  Over(d, d.bannerLine, "banner", texts.title, block - (kBannerWidth - 2 * kBannerMargin),
       "with the emblem beside it is wider than the " + std::to_string(kBannerWidth) +
           "-pixel banner");
  if (block <= kBannerWidth - 2 * kBannerMargin) {
    Over(d, d.sloganLine, "slogan", texts.slogan, kMargin - layout.sloganLeft,
         "must end under the banner's title and is longer than the room left of it");
  }
}

void CheckStartMenuTexts(const Description& d, const PictureTexts& texts) {
  bool band = Drawable(d, d.sidebandLine, "sideband", texts.band, kMenuFont, "the start menu's side band");
  bool group = Drawable(d, d.nameLine, "name", texts.group, kMenuFont, "the start menu");
  bool captions = true;
  for (size_t i = 0; i < texts.captions.size(); ++i) {
    captions = Drawable(d, d.entries[i].line, "caption", texts.captions[i], kMenuFont, "the start menu") &&
               captions;
  }
  if (texts.captions.empty()) {
    Fail(d, d.shortcutsLine, "shortcuts", "the start menu shows the product's shortcuts; there are none");
    captions = false;
  }
  if (!band || !group || !captions) return;
  StartMenuLayout layout = LayOutStartMenu(texts);
  Over(d, d.sidebandLine, "sideband", texts.band, TextWidth(kMenuFont, texts.band.c_str()) - layout.bandRoom,
       "is longer than the start menu's side band");
  Over(d, d.nameLine, "name", texts.group, layout.programs.x + layout.programs.width - kSideWidth,
       "makes the start menu's Programs menu wider than the " + std::to_string(kSideWidth) +
           "-pixel picture");
  // The group's menu opens to the left: the widest caption sets its width.
  size_t widest = 0;
  for (size_t i = 0; i < texts.captions.size(); ++i) {
    if (TextWidth(kMenuFont, texts.captions[i].c_str()) > TextWidth(kMenuFont, texts.captions[widest].c_str())) {
      widest = i;
    }
  }
  Over(d, d.entries[widest].line, "caption", texts.captions[widest], kMargin - layout.group.x,
       "makes the start menu's group too wide for the picture");
  Over(d, d.shortcutsLine, "shortcuts", std::to_string(texts.captions.size()) + " shortcuts",
       layout.group.y + layout.group.height - layout.main.y,
       "make the start menu's group taller than the room above its main menu");
}

}  // namespace

PictureTexts TextsOf(const Description& d) {
  PictureTexts texts;
  texts.title = d.banner;
  texts.slogan = d.slogan;
  texts.band = d.sideband;
  texts.group = d.name;
  for (long i = 0; i < d.shortcuts && i < long(d.entries.size()); ++i) {
    texts.captions.push_back(d.entries[size_t(i)].caption);
  }
  return texts;
}

void CheckPictureTexts(const Description& d, bool banner, bool startMenu) {
  PictureTexts texts = TextsOf(d);
  if (banner) CheckBannerTexts(d, texts);
  if (startMenu) CheckStartMenuTexts(d, texts);
}
