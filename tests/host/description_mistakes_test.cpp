// Each mistake a publisher made in a description of their own is refused
// before anything is built, naming the line and field and what to do; the
// painter refuses its texts in the generator's very words.
#include "generator_fixture.h"

#include <sys/stat.h>

namespace {

// The last line of the description that starts with text (a later key
// replaces an earlier one), counted from 1.
int LineOf(const std::string& description, const std::string& text)
{
    std::stringstream lines(description);
    std::string line;
    int found = 0;
    for (int n = 1; std::getline(lines, line); ++n) {
        if (line.compare(0, text.size(), text) == 0) found = n;
    }
    return found;
}

// A bitmap of 8 bits, every pixel index 0, with the colour table given.
std::string Bitmap8(int width, int height, uint32_t (*colour)(int index))
{
    const int stride = (width + 3) / 4 * 4;
    std::string b(14 + 40 + 1024 + size_t(stride) * height, '\0');
    auto put32 = [&b](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 14 + 40 + 1024);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1;
    b[28] = 8;
    for (int i = 0; i < 256; ++i) {
        b[54 + 4 * i] = char(colour(i) & 0xFF);
        b[55 + 4 * i] = char((colour(i) >> 8) & 0xFF);
        b[56 + 4 * i] = char(colour(i) >> 16);
    }
    return b;
}

uint32_t Grey(int index) { return uint32_t(index) * 0x010101; }
uint32_t Odd(int) { return 0x010203; }

TEST_F(ManifestGenerator, RefusesEachMistakeOfThePublishersTableByLineAndField)
{
    Write("grey.bmp", Bitmap8(334, 58, Grey));
    Write("odd.bmp", Bitmap8(20, 58, Odd));
    // The six entries and a seventh of the given target and flags, the
    // read-me's target renamed if one is given.
    auto seven_as = [](const std::string& target, const std::string& flags, const std::string& readMe = "B.txt") {
        return Table("entry | " + readMe + " | 0x11 | BBB | Read Me | b.txt\n") + "entry | " + target + " | " +
               flags + " | GGG | - | b.txt\n";
    };
    std::string seven = seven_as("G.txt", "0x11");
    std::string eight = seven + "entry | H.txt | 0x11 | HHH | - | b.txt\n";
    for (const char* resource : {"GGG", "HHH"}) Write(std::string("payload/") + resource + ".lz", "pp");
    struct Mistake {
        const char* row;
        std::string overrides, entries, field;
        std::string message;
    };
    const Mistake mistakes[] = {
        {"uninstaller renamed, its source left as before", "",
         "entry | Ashrm.exe | 0x12 | UINST | Remove | @quorvel/Qorvunst.exe\n" + SixEntries().substr(SixEntries().find('\n') + 1),
         "entry | Ashrm.exe", "source: entry 0 is the uninstaller, Vantor's own program built for this "
                              "product: write @uninstaller as its source instead of '@quorvel/Qorvunst.exe'"},
        {"main program renamed, its built source left", "",
         Table("entry | Upd.exe | 0x11 | UPD | Update | b.txt\nentry | Ash.exe | 0x11 | PROG | Ash | @quorvel/Quorvel.exe\n"),
         "entry | Ash.exe", "source: '@quorvel/Quorvel.exe' is not the program the build makes for this "
                            "entry, which it names after the target 'Ash.exe': write @quorvel/Ash.exe"},
        {"an eighth entry, installed 7 unchanged", "installed 7\n", eight, "installed",
         "installed: 7 of the 8 entries: 'H.txt' (line " + std::to_string(LineOf(Description("installed 7\n", eight), "entry | H.txt")) +
             ") would be packed and never installed. Write \"installed 8\""},
        {"the count of entries stated, and wrong", "installed 7 of 7\n", eight, "installed",
         "installed: says of 7 entries, but the description lists 8; count them again"},
        {"a banner with a grey colour table", "picture banner grey.bmp\n", SixEntries(), "picture banner",
         "picture banner (" + dir_ + "/grey.bmp): its colour table is the backdrop's palette, with "
         "which the strip is drawn too, but it lacks RGB(16, 36, 132) of the strip at (0, 0)"},
        {"a strip in colours the painted banner lacks", "picture strip odd.bmp\n", SixEntries(), "picture strip",
         "picture strip (" + dir_ + "/odd.bmp): is drawn with the backdrop's palette, the painted banner's "
         "colour table, which lacks RGB(1, 2, 3) of the strip at (0, 0)"},
        {"a welcome heading line too wide", "rights Copyright (C) 2009-%d Ashcombe Laboratories Ltd.\n",
         SixEntries(), "rights",
         "rights: 'Copyright (C) 2009-%d Ashcombe Laboratories Ltd.' is 262 pixels wide in the pages' "
         "font with a four-digit year; the welcome page's heading is 200 pixels wide: shorten it by 62"},
        {"a listed file that does not exist", "", Table("entry | N.txt | 0x11 | BBB | N | nowhere.txt\n"),
         "entry | N.txt", "source: 'nowhere.txt' does not exist (looked for " + dir_ + "/nowhere.txt)"},
        {"a listed file that is a folder", "", Table("entry | N.txt | 0x11 | BBB | N | payload\n"),
         "entry | N.txt", "source: 'payload' is not a file"},
        {"a version of three numbers", "version 2.3.1\n", SixEntries(), "version",
         "version: '2.3.1' is not major.minor such as 3.02"},
        {"a download address that is not the web's", "download ftp://brindlemoor.com/Vantor.exe\n", SixEntries(),
         "download", "download: 'ftp://brindlemoor.com/Vantor.exe' must be the address the package manager "
                     "downloads the setup from: http:// or https:// and the rest, without blanks"},
        {"a download address with a blank", "download https://brindlemoor.com/Quorvel Setup.exe\n", SixEntries(),
         "download", "download: 'https://brindlemoor.com/Quorvel Setup.exe' must be the address"},
        {"a download address of the scheme alone", "download https://\n", SixEntries(), "download",
         "download: 'https://' must be the address"},
        {"a name of one letter", "name Q\n", SixEntries(), "name",
         "name: 'Q' is one character; the package manager's manifest needs at least 2"},
        {"two targets that differ only in case", "", seven_as("GUIDE.TXT", "0x11", "Guide.txt"),
         "entry | GUIDE.TXT",
         "target: 'GUIDE.TXT' differs only in case from the target 'Guide.txt' of line " +
             std::to_string(LineOf(Description("", seven_as("GUIDE.TXT", "0x11", "Guide.txt")), "entry | Guide.txt")) +
             ", and Windows takes both for one file: give each entry a name of its own"},
        {"the same target twice", "", seven_as("C.txt", "0x11"), "entry | C.txt | 0x11 | GGG",
         "target: 'C.txt' is also the target of line " +
             std::to_string(LineOf(Description("", SixEntries()), "entry | C.txt"))},
        {"a device name with an extension", "", seven_as("CON.txt", "0x01"), "entry | CON.txt",
         "target: 'CON.txt' is a device name Windows reserves, whatever follows a dot: CON, PRN, AUX, "
         "NUL, COM1 to COM9, LPT1 to LPT9; the setup cannot install a file under that name"},
        {"a device name alone, in small letters", "", seven_as("nul", "0x01"), "entry | nul",
         "target: 'nul' is a device name Windows reserves"},
        {"a numbered device name", "", seven_as("COM1.log", "0x01"), "entry | COM1.log",
         "target: 'COM1.log' is a device name Windows reserves"},
        {"a target ending in a dot", "", seven_as("Notes.", "0x01"), "entry | Notes.",
         "target: 'Notes.' ends in a space or a dot, which Windows drops from a file or folder name"},
        {"a name whose line the font draws past the group page's box", "name Swallows\n", SixEntries(), "name",
         "name: with 'Swallows', the group page's text draws its line 'Shortcuts for Swallows will be "
         "created and' 7 pixels past its box, which cuts it off; shorten the name"},
        {"a drive-relative base", "base C:\n", SixEntries(), "base",
         "base: 'C:' is the drive's current folder, not a folder on it: write C:\\ and a folder, such as "
         "C:\\Brindlemoor"},
        {"a data file always written", "", seven_as("Ledger.dat", "0x11"), "entry | Ledger.dat",
         "flags: 0x10 writes 'Ledger.dat' again at every reinstall, over the copy the user edited, "
         "though .DAT is a preserved data file: write 0x01 instead, so the setup writes it only where it "
         "is missing"},
    };
    for (const Mistake& m : mistakes) {
        std::string description = Description(m.overrides, m.entries);
        std::string where = ":" + std::to_string(LineOf(description, m.field)) + ": ";
        SCOPED_TRACE(m.row);
        ExpectRefused(description, where + m.message);
    }
    // Made explicit, the eighth entry is carried uninstalled.
    std::string messages;
    ASSERT_EQ(Generate(Description("installed 7 of 8\n", eight), &messages), 0) << messages;
    EXPECT_NE(Read("out/manifest_data.inc").find("    7,\n    1,\n}"), std::string::npos);
}

// The pictures the build paints for the product are the only painted ones
// bound; their texts must fit, and the painter says so in the same words.
TEST_F(ManifestGenerator, PainterAndGeneratorRefuseAPaintedTextAlikeByItsPixels)
{
    std::string description = Description("name Ashcombe Charts\n", SixEntries());
    std::string messages;
    EXPECT_NE(Generate(description, &messages), 0);
    std::string line = ":" + std::to_string(LineOf(description, "name")) + ": name: 'Ashcombe Charts' makes the start menu's Programs menu wider than "
                       "the 120-pixel picture by ";
    size_t at = messages.find(line);
    ASSERT_NE(at, std::string::npos) << messages;
    std::string said = messages.substr(at, messages.find('\n', at) - at);
    EXPECT_NE(said.find(" pixels"), std::string::npos) << said;

    mkdir((dir_ + "/painted").c_str(), 0777);
    std::string paint = std::string(VANTOR_PAINT_PATH) + " " + dir_ + "/painted " + dir_ + "/product.txt 2>&1";
    FILE* pipe = popen(paint.c_str(), "r");
    char buf[512];
    std::string painter;
    while (fgets(buf, sizeof buf, pipe)) painter += buf;
    EXPECT_NE(pclose(pipe), 0);
    EXPECT_NE(painter.find(said + "\n"), std::string::npos) << painter;

    // With a start menu of its own the name is fine; without the pictures
    // the build paints, nothing stale stands in for them.
    EXPECT_EQ(Generate(Description("name Ashcombe Charts\npicture startmenu pictures/startmenu.bmp\n",
                                   SixEntries()), &messages), 0) << messages;
    std::remove((dir_ + "/pictures/banner.bmp").c_str());
    ExpectRefused(Description("", SixEntries()),
                  "picture banner (" + dir_ + "/pictures/banner.bmp): cannot be read: the build paints it");
}

TEST_F(ManifestGenerator, ConvertsUtf8TextsAndTheLicenceToTheSetupsCodePage)
{
    Write("terms.txt", "\xEF\xBB\xBFLicence \xE2\x80\x94 caf\xC3\xA9\n\fLine two\n");
    std::string description = Description("# comments may hold \xE2\x86\x92 anything\n"
                                          "tagline Caf\xC3\xA9 \xE2\x80\x94 \xC2\xABtr\xC3\xA8s\xC2\xBB bien\n"
                                          "licence terms.txt\n",
                                          Table("entry | B.txt | 0x11 | BBB | R\xC3\xA9sum\xC3\xA9 | empty.txt\n"));
    std::string messages;
    ASSERT_EQ(Generate(description, &messages), 0) << messages;
    // é 0xE9, — 0x97, « 0xAB, è 0xE8, » 0xBB in Windows-1252; an empty
    // file is a product file like any other.
    std::string inc = Read("out/manifest_data.inc");
    EXPECT_NE(inc.find("\"Caf\\351 \\227 \\253tr\\350s\\273 bien\""), std::string::npos) << inc;
    EXPECT_NE(inc.find("\"R\\351sum\\351\", 0u, 2u}"), std::string::npos) << inc;
    EXPECT_EQ(Read("out/license.txt"), "Licence \x97 caf\xE9\r\nLine two\r\n");
    // What run.sh shows is UTF-8 again.
    EXPECT_NE(Read("out/manifest.txt").find("Caf\xC3\xA9 \xE2\x80\x94"), std::string::npos);

    struct Refusal {
        std::string overrides, message;
    };
    Write("snow.txt", "one\r\ntwo\r\nthree \xE2\x98\x83\r\n");
    Write("bell.txt", "one\r\ntwo \x07\r\n");
    Write("wide.txt", std::string("\xFF\xFE" "L\0", 4));
    const Refusal refusals[] = {
        {"tagline Arrow \xE2\x86\x92 here\n", "tagline: '\xE2\x86\x92' (U+2192) is not in Windows-1252"},
        {"publisher Caf\xE9\n", "publisher: byte 0xE9 is not UTF-8; save the file as UTF-8"},
        {"licence snow.txt\n", "licence: snow.txt line 3: '\xE2\x98\x83' (U+2603) is not in Windows-1252"},
        {"licence wide.txt\n", "licence: wide.txt line 1: is UTF-16; save it as UTF-8"},
        {"licence bell.txt\n", "licence: bell.txt line 2: holds the control character 0x07"},
        // A refused text is quoted in UTF-8, as it was written.
        {"rights (C) %d \xC3\x89" "ditions Ashcombe Laboratoires R\xC3\xA9unies\n",
         "rights: '(C) %d \xC3\x89" "ditions Ashcombe Laboratoires R\xC3\xA9unies' is "},
    };
    for (const Refusal& r : refusals) ExpectRefused(Description(r.overrides, SixEntries()), r.message);
}

}  // namespace
