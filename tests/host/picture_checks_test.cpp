// A publisher's own pictures replace the painted ones; the build refuses
// one the backdrop or the pages cannot draw, naming the file and the fault.
#include "generator_fixture.h"

#include <cstdint>

namespace {

void Put32(std::string* b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) (*b)[at + i] = char((v >> (8 * i)) & 0xFF);
}

// A plain indexed or true-colour BMP, every pixel index 0 (or black).
std::string MakeBmp(int width, int height, int bits)
{
    int colours = bits <= 8 ? 1 << bits : 0;
    size_t stride = size_t((width * bits + 31) / 32 * 4);
    size_t rows = 14 + 40 + 4 * size_t(colours);
    std::string b(rows + stride * size_t(height), '\0');
    b[0] = 'B';
    b[1] = 'M';
    Put32(&b, 2, uint32_t(b.size()));
    Put32(&b, 10, uint32_t(rows));
    Put32(&b, 14, 40);
    Put32(&b, 18, uint32_t(width));
    Put32(&b, 22, uint32_t(height));
    b[26] = 1;
    b[28] = char(bits);
    return b;
}

// The index of a colour in a BMP's table.
int TableIndex(const std::string& bmp, uint32_t rgb)
{
    for (int i = 0; i < 256 && 54 + 4 * size_t(i) + 3 <= bmp.size(); ++i) {
        const unsigned char* e = reinterpret_cast<const unsigned char*>(bmp.data()) + 54 + 4 * i;
        if (((uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0]) == rgb) return i;
    }
    return -1;
}

// Sets one pixel of a 4-bit, bottom-up BMP.
void SetPixel4(std::string* bmp, int width, int height, int x, int y, int index)
{
    size_t stride = size_t((width * 4 + 31) / 32 * 4);
    size_t rows = 54 + 16 * 4;
    size_t at = rows + stride * size_t(height - 1 - y) + size_t(x / 2);
    unsigned char byte = (unsigned char)(*bmp)[at];
    byte = x % 2 ? (byte & 0xF0) | index : (byte & 0x0F) | (index << 4);
    (*bmp)[at] = char(byte);
}

TEST_F(ManifestGenerator, BindsThePublishersOwnPicturesAndLicence)
{
    Write("mine.bmp", Painted("computer.bmp"));
    Write("terms.txt", "Terms.\r\n");
    std::string messages;
    ASSERT_EQ(Generate(Description("picture computer mine.bmp\nlicence terms.txt\n", SixEntries()),
                       &messages), 0) << messages;
    std::string rc = Read("out/setup_files.rc");
    EXPECT_NE(rc.find("200 BITMAP \"" + dir_ + "/mine.bmp\""), std::string::npos) << rc;
    // The rest are those the build painted for this product.
    EXPECT_NE(rc.find("202 BITMAP \"" + dir_ + "/pictures/banner.bmp\""), std::string::npos) << rc;
    EXPECT_NE(rc.find("100 ICON \"" + dir_ + "/pictures/product.ico\""), std::string::npos) << rc;
    // The licence as the page shows it, written beside the script.
    EXPECT_NE(rc.find("LICENSE RCDATA \"" + dir_ + "/out/license.txt\""), std::string::npos) << rc;
    EXPECT_EQ(Read("out/license.txt"), "Terms.\r\n");
}

TEST_F(ManifestGenerator, RefusesPicturesOfTheWrongSizeOrDepth)
{
    Write("wide.bmp", MakeBmp(121, 168, 4));
    ExpectRefused(Description("picture computer wide.bmp\n", SixEntries()),
                  "picture computer (" + dir_ + "/wide.bmp): is 121 x 168 pixels; it must be 120 x 168");
    Write("short.bmp", MakeBmp(20, 57, 8));
    ExpectRefused(Description("picture strip short.bmp\n", SixEntries()), "must be any width x 58");
    Write("deep.bmp", MakeBmp(334, 58, 24));
    ExpectRefused(Description("picture banner deep.bmp\n", SixEntries()), "24 bits a pixel");
    std::string cut = Painted("banner.bmp");
    Write("cut.bmp", cut.substr(0, cut.size() - 1));
    ExpectRefused(Description("picture banner cut.bmp\n", SixEntries()), "cut short");
    Write("text.bmp", "not a picture at all, however long this line may be.......");
    ExpectRefused(Description("picture line text.bmp\n", SixEntries()), "not a BMP file");
    ExpectRefused(Description("picture line nowhere.bmp\n", SixEntries()), "cannot be read");
    ExpectRefused(Description("picture logo pictures/banner.bmp\n", SixEntries()), "'logo'");
}

TEST_F(ManifestGenerator, RefusesAStartMenuTheBackdropCannotFlood)
{
    std::string menu = Painted("startmenu.bmp");
    int key = TableIndex(menu, 0x008080);
    ASSERT_GE(key, 0);
    // The corner is where the flood starts.
    std::string cornered = menu;
    SetPixel4(&cornered, 120, 168, 1, 1, key == 0 ? 1 : 0);
    Write("cornered.bmp", cornered);
    ExpectRefused(Description("picture startmenu cornered.bmp\n", SixEntries()), "pixel (1, 1)");
    // A key pixel inside the taskbar is out of the flood's reach.
    std::string speck = menu;
    SetPixel4(&speck, 120, 168, 60, 160, key);
    Write("speck.bmp", speck);
    ExpectRefused(Description("picture startmenu speck.bmp\n", SixEntries()),
                  "pixel (60, 160) has the key colour but is cut off");
    // The page's computer is not flooded: it may do without the key.
    Write("computer.bmp", cornered);
    std::string messages;
    EXPECT_EQ(Generate(Description("picture computer computer.bmp\n", SixEntries()), &messages), 0)
        << messages;
}

TEST_F(ManifestGenerator, RefusesIconsWithoutTheSizesTheWindowsLoad)
{
    // The setup's icon is loaded at 32 and at 16 pixels; the shortcut
    // dialog's only at 32.
    ExpectRefused(Description("picture setup pictures/shortcut.ico\n", SixEntries()),
                  "has no 16 x 16 image");
    ExpectRefused(Description("picture uninstaller pictures/shortcut.ico\n", SixEntries()),
                  "picture uninstaller (" + dir_ + "/pictures/shortcut.ico): has no 16 x 16 image");
    std::string messages;
    EXPECT_EQ(Generate(Description("picture shortcut pictures/setup.ico\n", SixEntries()),
                       &messages), 0) << messages;
    std::string icon = Painted("setup.ico");
    Write("cut.ico", icon.substr(0, icon.size() - 8));
    ExpectRefused(Description("picture setup cut.ico\n", SixEntries()), "cut short");
    Write("bitmap.ico", Painted("line.bmp"));
    ExpectRefused(Description("picture shortcut bitmap.ico\n", SixEntries()), "not an ICO file");
}

// The painter writes another product's names; what it makes passes the
// checks a publisher's own pictures go through.
TEST_F(ManifestGenerator, PaintsAnotherProductsPicturesThatPassTheChecks)
{
    std::string other = "name Ashgrove\nshortcuts 2\nbanner FENWICK\nslogan Quietly useful\n"
                        "sideband Fenwick\n";
    Write("other.txt", Description(other, SixEntries()));
    std::string paint = std::string(VANTOR_PAINT_PATH) + " " + dir_ + "/painted " + dir_ + "/other.txt";
    mkdir((dir_ + "/painted").c_str(), 0777);
    ASSERT_EQ(std::system(paint.c_str()), 0);
    // The names are in the banner and the start menu; the computer names none.
    EXPECT_NE(Read("painted/banner.bmp"), Painted("banner.bmp"));
    EXPECT_NE(Read("painted/startmenu.bmp"), Painted("startmenu.bmp"));
    EXPECT_EQ(Read("painted/computer.bmp"), Painted("computer.bmp"));
    std::string own;
    for (const char* name : {"computer", "startmenu", "banner", "strip", "line"}) {
        own += std::string("picture ") + name + " painted/" + name + ".bmp\n";
    }
    own += "picture setup painted/setup.ico\npicture shortcut painted/shortcut.ico\n";
    std::string messages;
    EXPECT_EQ(Generate(Description(own, SixEntries()), &messages), 0) << messages;

    // Letters the title font lacks, and a slogan too long for the banner.
    Write("other.txt", Description(other + "banner Fenwick\n", SixEntries()));
    EXPECT_NE(std::system((paint + " 2>/dev/null").c_str()), 0);
    Write("other.txt", Description(other + "slogan " + std::string(60, 's') + "\n", SixEntries()));
    EXPECT_NE(std::system((paint + " 2>/dev/null").c_str()), 0);
}

// A product that brings no emblem and no icon gets neutral ones; the demo's
// look comes from the emblem it brings, which must suit the painted banner.
TEST_F(ManifestGenerator, PaintsANeutralEmblemAndIconUnlessBrought)
{
    mkdir((dir_ + "/painted").c_str(), 0777);
    std::string paint = std::string(VANTOR_PAINT_PATH) + " " + dir_ + "/painted " + dir_ + "/product.txt";
    Write("product.txt", Description("", SixEntries()));
    ASSERT_EQ(std::system(paint.c_str()), 0);
    EXPECT_NE(Read("painted/banner.bmp"), Painted("banner.bmp"));
    EXPECT_NE(Read("painted/setup.ico"), Painted("setup.ico"));
    Write("emblem.bmp", Painted("emblem.bmp"));
    Write("product.txt", Description("picture emblem emblem.bmp\n", SixEntries()));
    ASSERT_EQ(std::system(paint.c_str()), 0);
    EXPECT_EQ(Read("painted/banner.bmp"), Painted("banner.bmp"));

    ExpectRefused(Description("picture emblem pictures/computer.bmp\n", SixEntries()),
                  "is 120 x 168 pixels; it must be 44 x 44");
    ExpectRefused(Description("picture emblem emblem.bmp\npicture banner pictures/banner.bmp\n", SixEntries()),
                  "the emblem is painted into the banner the build makes, and this folder brings its own");
}

}  // namespace
