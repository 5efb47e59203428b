// The pictures the setup draws, painted or the publisher's own, checked
// against what the backdrop and the pages need of them: size, an indexed
// depth (the backdrop builds its palette from the banner's colour table)
// with every pixel in the table, the band's colours in that palette, the
// key colour the backdrop floods, and the icon sizes the windows load.
#include "description.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <utility>

namespace {

using Bytes = std::vector<uint8_t>;

// Width or height 0 takes any value: the strip and the line are stretched.
struct BitmapNeed {
    const char* name;
    int width, height;
    bool keyed;  // the backdrop floods the key colour from (1, 1)
    int band;    // place in the banner band, drawn with one palette; -1 none
    bool part;   // painted into another picture, never a file of its own
};
const BitmapNeed kBitmaps[] = {
    {"computer", 120, 168, false, -1, false}, {"startmenu", 120, 168, true, -1, false},
    {"banner", 334, 58, false, 0, false},     {"strip", 0, 58, false, 1, false},
    {"line", 0, 2, false, 2, false},          {"emblem", 44, 44, false, -1, true},
};
const uint32_t kKeyColour = 0x008080;  // RGB(0, 128, 128)

struct IconNeed {
    const char* name;
    int sizes[2];  // 0 where the icon needs only one
};
// The uninstaller's windows load its icon at the same sizes as the setup's.
const IconNeed kIcons[] = {{"setup", {32, 16}}, {"shortcut", {32, 0}}, {"uninstaller", {32, 16}}};

const size_t kInfoHeader = 40;

uint32_t U16(const Bytes& b, size_t at) { return b[at] | (uint32_t(b[at + 1]) << 8); }
uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }

struct Checked {
    const Description& d;
    int line;
    std::string field;  // "picture NAME (path)"
    bool Problem(const std::string& what) {
        Fail(d, line, field.c_str(), what);
        return false;
    }
};

// A device-independent bitmap at an offset: the header the setup's DIB code
// reads (40 bytes, uncompressed, indexed, rows bottom first), its colour
// table and its rows, all inside the file.
struct Dib {
    int width = 0, height = 0, bits = 0, colours = 0;
    size_t table = 0, rows = 0, stride = 0;
};

bool ReadDib(Checked& c, const Bytes& b, size_t at, int heightFactor, Dib* dib) {
    if (at + kInfoHeader > b.size() || U32(b, at) != kInfoHeader) {
        return c.Problem("does not start with a 40-byte BITMAPINFOHEADER");
    }
    dib->width = int(U32(b, at + 4));
    int stored = int(U32(b, at + 8));
    dib->bits = int(U16(b, at + 14));
    if (U16(b, at + 12) != 1 || U32(b, at + 16) != 0) return c.Problem("is compressed or has more than one plane");
    if (stored <= 0 || dib->width <= 0) return c.Problem("has no rows or is stored top row first");
    // Icons may also be true colour; the bitmaps need the colour table the
    // backdrop builds its palette from.
    bool indexed = dib->bits == 1 || dib->bits == 4 || dib->bits == 8;
    bool trueColour = heightFactor == 2 && (dib->bits == 24 || dib->bits == 32);
    if (!indexed && !trueColour) {
        return c.Problem("has " + std::to_string(dib->bits) + " bits a pixel; the setup needs 1, 4 or 8 " +
                         (heightFactor == 2 ? "with a colour table, or 24 or 32" : "with a colour table"));
    }
    dib->height = stored / heightFactor;
    uint32_t used = U32(b, at + 32);
    dib->colours = trueColour ? 0 : used ? int(used) : 1 << dib->bits;
    if (indexed && dib->colours > 1 << dib->bits) return c.Problem("has more colours in its table than its depth holds");
    dib->table = at + kInfoHeader;
    dib->rows = dib->table + 4 * size_t(dib->colours);
    dib->stride = size_t((dib->width * dib->bits + 31) / 32 * 4);
    // An icon's image is followed by its 1-bit mask of the same size.
    size_t maskStride = heightFactor == 2 ? size_t((dib->width + 31) / 32 * 4) : 0;
    if (dib->rows + (dib->stride + maskStride) * size_t(dib->height) > b.size()) {
        return c.Problem("is cut short");
    }
    return true;
}

uint32_t PixelColour(const Bytes& b, const Dib& dib, int x, int topRow) {
    size_t row = dib.rows + dib.stride * size_t(dib.height - 1 - topRow);
    int bit = x * dib.bits;
    int index = (b[row + size_t(bit / 8)] >> (8 - dib.bits - bit % 8)) & ((1 << dib.bits) - 1);
    if (index >= dib.colours) return 0xFFFFFFFF;
    size_t at = dib.table + 4 * size_t(index);
    return (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 1]) << 8) | b[at];
}

// The backdrop floods the key colour connected to (1, 1) with its panel
// colour: the corner must be the key, and key pixels the flood cannot reach
// would stay as teal specks on the panel.
bool CheckKey(Checked& c, const Bytes& b, const Dib& dib) {
    if (PixelColour(b, dib, 1, 1) != kKeyColour) {
        return c.Problem("pixel (1, 1) must be the key colour RGB(0, 128, 128), the background "
                         "the backdrop fills with its panel colour");
    }
    std::vector<uint8_t> reached(size_t(dib.width) * size_t(dib.height), 0);
    std::vector<std::pair<int, int>> pending = {{1, 1}};
    while (!pending.empty()) {
        std::pair<int, int> p = pending.back();
        pending.pop_back();
        int x = p.first, y = p.second;
        if (x < 0 || y < 0 || x >= dib.width || y >= dib.height) continue;
        size_t at = size_t(y) * size_t(dib.width) + size_t(x);
        if (reached[at] || PixelColour(b, dib, x, y) != kKeyColour) continue;
        reached[at] = 1;
        pending.insert(pending.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
    for (int y = 0; y < dib.height; ++y) {
        for (int x = 0; x < dib.width; ++x) {
            if (!reached[size_t(y) * size_t(dib.width) + size_t(x)] &&
                PixelColour(b, dib, x, y) == kKeyColour) {
                return c.Problem("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                 ") has the key colour but is cut off from the corner; it "
                                 "would stay teal on the backdrop");
            }
        }
    }
    return true;
}

std::string ColourText(uint32_t rgb) {
    return "RGB(" + std::to_string(rgb >> 16) + ", " + std::to_string((rgb >> 8) & 0xFF) + ", " +
           std::to_string(rgb & 0xFF) + ")";
}

// Every pixel must index the colour table: Windows draws any other index
// black.
bool CheckIndices(Checked& c, const Bytes& b, const Dib& dib) {
    for (int y = 0; y < dib.height; ++y) {
        for (int x = 0; x < dib.width; ++x) {
            if (PixelColour(b, dib, x, y) == 0xFFFFFFFF) {
                return c.Problem("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                 ") uses a colour beyond its " + std::to_string(dib.colours) +
                                 "-colour table; Windows would draw it black");
            }
        }
    }
    return true;
}

// A bitmap of the banner band, read and checked, for the palette check.
struct BandBitmap {
    const char* name;
    Checked checked;
    Bytes bytes;
    Dib dib;
    bool ok;
};

bool CheckBitmap(Checked& c, const Bytes& b, const BitmapNeed& need, Dib* dib) {
    if (b.size() < 14 + kInfoHeader || b[0] != 'B' || b[1] != 'M') {
        return c.Problem("is not a BMP file");
    }
    if (!ReadDib(c, b, 14, 1, dib)) return false;
    if ((need.width && dib->width != need.width) || dib->height != need.height) {
        std::string wanted = need.width ? std::to_string(need.width) : std::string("any width");
        return c.Problem("is " + std::to_string(dib->width) + " x " + std::to_string(dib->height) +
                         " pixels; it must be " + wanted + " x " + std::to_string(need.height));
    }
    if (!CheckIndices(c, b, *dib)) return false;
    return !need.keyed || CheckKey(c, b, *dib);
}

// The backdrop realises the banner's colour table as its palette and draws
// the strip and the line with it too: on a screen of 256 colours any colour
// of theirs missing from the table comes out as its nearest one there. The
// publisher's own picture is blamed, the banner when both are.
void CheckBandPalette(BandBitmap& banner, BandBitmap& other) {
    std::vector<uint32_t> palette;
    for (int i = 0; i < banner.dib.colours; ++i) {
        size_t at = banner.dib.table + 4 * size_t(i);
        const Bytes& b = banner.bytes;
        palette.push_back((uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 1]) << 8) | b[at]);
    }
    std::string name = other.name;
    for (int y = 0; y < other.dib.height; ++y) {
        for (int x = 0; x < other.dib.width; ++x) {
            uint32_t colour = PixelColour(other.bytes, other.dib, x, y);
            bool found = false;
            for (uint32_t entry : palette) found = found || entry == colour;
            if (found) continue;
            std::string lack = ColourText(colour) + " of the " + name + " at (" + std::to_string(x) + ", " +
                               std::to_string(y) + ")";
            if (banner.checked.line != 0 || other.checked.line == 0) {
                banner.checked.Problem("its colour table is the backdrop's palette, with which the " + name +
                                       " is drawn too, but it lacks " + lack +
                                       ": give the banner every colour of the strip and the line, or "
                                       "bring a strip and a line in the banner's colours");
            } else {
                other.checked.Problem("is drawn with the backdrop's palette, the painted banner's colour "
                                      "table, which lacks " + lack + ": use the banner's colours, or "
                                      "bring a banner whose table holds yours");
            }
            return;
        }
    }
}

void CheckIcon(Checked& c, const Bytes& b, const IconNeed& need) {
    if (b.size() < 6 || U16(b, 0) != 0 || U16(b, 2) != 1) {
        c.Problem("is not an ICO file");
        return;
    }
    uint32_t count = U16(b, 4);
    for (int size : need.sizes) {
        if (size == 0) continue;
        bool found = false;
        for (uint32_t i = 0; i < count && !found; ++i) {
            size_t entry = 6 + 16 * size_t(i);
            if (entry + 16 > b.size()) {
                c.Problem("has a directory longer than the file");
                return;
            }
            if (b[entry] != size || b[entry + 1] != size) continue;
            found = true;
            Dib dib;
            if (!ReadDib(c, b, U32(b, entry + 12), 2, &dib)) return;
            if (dib.width != size || dib.height != size) {
                c.Problem("its " + std::to_string(size) + " x " + std::to_string(size) +
                          " entry holds a " + std::to_string(dib.width) + " x " +
                          std::to_string(dib.height) + " image");
                return;
            }
        }
        if (!found) {
            c.Problem("has no " + std::to_string(size) + " x " + std::to_string(size) +
                      " image; the setup's windows load that size");
        }
    }
}

bool ReadBytes(const std::string& path, Bytes* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The file a picture comes from: the description's own, else the one the
// build makes for this product in BUILD_ROOT/pictures; the uninstaller
// takes the setup's icon when it has none of its own. *line is 0 for a
// painted picture; *built tells whether the build makes the file.
std::string PicturePath(const Description& d, const std::string& name, int* line, bool* built) {
    auto own = d.pictures.find(name);
    if (own != d.pictures.end()) {
        *line = own->second.line;
        *built = IsBuilt(own->second.source);
        return SourcePath(d, own->second.source);
    }
    if (name == "uninstaller") return PicturePath(d, "setup", line, built);
    *line = 0;
    *built = true;
    // The main program's icon, else the painted one (see the build).
    if (name == "setup") return d.buildRoot + "/pictures/product.ico";
    const char* extension = name == "shortcut" ? ".ico" : ".bmp";
    return d.buildRoot + "/pictures/" + name + extension;
}

// Resolves one picture and reads it; refuses a file it cannot read. What
// the build makes is not there before the build: the check then passes.
bool Resolve(Description* d, const std::string& name, CheckStage stage, Bytes* bytes, Checked* c) {
    int line = 0;
    bool built = false;
    std::string path = PicturePath(*d, name, &line, &built);
    d->picturePaths[name] = path;
    c->line = line;
    c->field = "picture " + name + " (" + path + ")";
    if (path.find('"') != std::string::npos) return c->Problem("the path may not hold a double quote");
    if (stage == kBeforeBuild && built) return false;
    if (!ReadBytes(path, bytes)) {
        return c->Problem(line ? "cannot be read" : "cannot be read: the build paints it there for a product "
                                                    "that brings none; was it painted?");
    }
    return true;
}

void CheckIconNamed(Description* d, const IconNeed& need, CheckStage stage) {
    Bytes bytes;
    Checked c{*d, 0, std::string()};
    if (Resolve(d, need.name, stage, &bytes, &c)) CheckIcon(c, bytes, need);
}

}  // namespace

void CheckPictures(Description* d, CheckStage stage) {
    for (const auto& named : d->pictures) {
        bool known = false;
        for (const BitmapNeed& need : kBitmaps) known = known || named.first == need.name;
        for (const IconNeed& need : kIcons) known = known || named.first == need.name;
        if (!known) {
            Fail(*d, named.second.line, "picture",
                 "'" + named.first + "' is none of computer, startmenu, banner, emblem, strip, "
                 "line, setup, shortcut, uninstaller");
        }
    }
    auto emblem = d->pictures.find("emblem");
    if (emblem != d->pictures.end() && d->pictures.count("banner")) {
        Fail(*d, emblem->second.line, "picture",
             "the emblem is painted into the banner the build makes, and this folder brings its own "
             "banner: leave out one of the two");
    }
    // The painted pictures carry the description's texts: they must fit
    // before the painter is asked to draw them.
    CheckPictureTexts(*d, d->pictures.count("banner") == 0, d->pictures.count("startmenu") == 0);
    BandBitmap band[3] = {{"banner", {*d, 0, ""}, {}, {}, false},
                          {"strip", {*d, 0, ""}, {}, {}, false},
                          {"line", {*d, 0, ""}, {}, {}, false}};
    for (const BitmapNeed& need : kBitmaps) {
        BandBitmap other = {need.name, {*d, 0, ""}, {}, {}, false};
        BandBitmap& read = need.band >= 0 ? band[need.band] : other;
        if (need.part && !d->pictures.count(need.name)) continue;
        if (Resolve(d, need.name, stage, &read.bytes, &read.checked)) {
            read.ok = CheckBitmap(read.checked, read.bytes, need, &read.dib);
        }
    }
    for (BandBitmap* other : {&band[1], &band[2]}) {
        if (band[0].ok && other->ok) CheckBandPalette(band[0], *other);
    }
    for (const IconNeed& need : kIcons) CheckIconNamed(d, need, stage);
}

bool ReadEmblem(const Description& d, int* width, int* height, std::vector<uint32_t>* pixels) {
    Bytes bytes;
    Checked c{d, 0, "picture emblem"};
    Dib dib;
    auto own = d.pictures.find("emblem");
    if (own == d.pictures.end()) return false;
    c.line = own->second.line;
    std::string path = SourcePath(d, own->second.source);
    if (!ReadBytes(path, &bytes)) return c.Problem(path + " cannot be read");
    const BitmapNeed* need = kBitmaps;
    while (std::string(need->name) != "emblem") ++need;
    if (!CheckBitmap(c, bytes, *need, &dib)) return false;
    *width = dib.width;
    *height = dib.height;
    pixels->clear();
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x) pixels->push_back(PixelColour(bytes, dib, x, y));
    return true;
}

void CheckUninstallerIcon(Description* d, CheckStage stage) {
    CheckIconNamed(d, kIcons[2], stage);
}
