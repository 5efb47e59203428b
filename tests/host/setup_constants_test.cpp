// The constants a publisher sets beside the manifest, and the texts that
// must fit the boxes and panel the setup shows them in.
#include "generator_fixture.h"

namespace {

// Each line stands in the generated identity header.
void ExpectDefines(const std::string& identity, std::initializer_list<std::string> lines)
{
    for (const std::string& line : lines) {
        EXPECT_NE(identity.find("#define " + line + "\n"), std::string::npos)
            << line << " in\n" << identity;
    }
}

// What a product that sets nothing gets: a setup named after the product,
// in every box and in the assembly name Windows knows its programs by.
TEST_F(ManifestGenerator, WritesTheSetupsConstantsOrDefaultsNamedAfterTheProduct)
{
    struct Default {
        std::string overrides, installer, assembly;
    };
    const std::string own_menu = "picture startmenu pictures/startmenu.bmp\n";
    const Default defaults[] = {
        {"", "Quorvel Setup", "Brindlemoor.Quorvel.Setup"},
        // Only letters and digits of ASCII go into the assembly's name.
        {own_menu + "name Caf\xC3\xA9 Nord\npublisher Ashcombe Labs\n", "Caf\\351 Nord Setup", "AshcombeLabs.CafNord.Setup"},
        // The backdrop's label has no room for "Setup" after this name.
        {own_menu + "name Ashcombe Charts\n", "Ashcombe Charts", "Brindlemoor.AshcombeCharts.Setup"},
    };
    std::string messages;
    for (const Default& d : defaults) {
        SCOPED_TRACE(d.overrides);
        ASSERT_EQ(Generate(Description(d.overrides, SixEntries()), &messages), 0) << messages;
        ExpectDefines(Read("out/product_identity.h"), {"PRODUCT_INSTALLER_NAME \"" + d.installer + "\""});
        EXPECT_NE(Read("out/application.manifest").find("<assemblyIdentity type=\"win32\" name=\"" + d.assembly + "\" "),
                  std::string::npos);
    }
    ExpectDefines(Read("out/product_identity.h"),
                  {"PRODUCT_OUTPUT_FILE \"Setup.exe\"", "PRODUCT_DEFAULT_BASE_FOLDER \"C:\\\\Brindlemoor\""});

    Write("remove.ico", Painted("setup.ico") + "");
    ASSERT_EQ(Generate(Description("installer Ashcombe Setup\noutput Ashcombe Setup.exe\n"
                                   "base {ProgramFiles}\\Ashcombe Labs\npicture uninstaller remove.ico\n"
                                   "rights (C) %d Smith & Sons\n",
                                   SixEntries()), &messages), 0) << messages;
    // A single "&" would mark a shortcut key in the page's static text.
    ExpectDefines(Read("out/product_identity.h"),
                  {"PRODUCT_INSTALLER_NAME \"Ashcombe Setup\"", "PRODUCT_OUTPUT_FILE \"Ashcombe Setup.exe\"",
                   "PRODUCT_DEFAULT_BASE_FOLDER \"{ProgramFiles}\\\\Ashcombe Labs\"",
                   "WELCOME_RIGHTS_TEXT \"(C) %d Smith && Sons\""});
    EXPECT_NE(Read("out/application.manifest").find("<description>Ashcombe Setup.exe, the setup of Quorvel"
                                                     "</description>"),
              std::string::npos);
    EXPECT_EQ(Read("out/uninstaller.ico"), Painted("setup.ico"));
}

TEST_F(ManifestGenerator, RefusesConstantsTheSetupCouldNotUse)
{
    struct Refusal {
        std::string overrides, message;
    };
    const std::string long_base = "base C:\\" + std::string(250, 'b') + "\n";
    const Refusal refusals[] = {
        {"output Setup\n", "output: 'Setup' must be a plain file name ending in .exe"},
        {"output my/Setup.exe\n", "output: 'my/Setup.exe' must be a plain file name"},
        {"base Brindlemoor\n", "base: 'Brindlemoor' must start with a drive such as C:\\ or with {ProgramFiles}"},
        {"base {ProgramFiles}Ashcombe\n", "base: '{ProgramFiles}Ashcombe': a backslash must follow {ProgramFiles}"},
        {"base {Windows}\\Ashcombe\n", "base: '{Windows}\\Ashcombe': the only folder in braces is {ProgramFiles}"},
        {"base C:\\Tools.\n", "base: 'C:\\Tools.' holds a folder name Windows refuses or rewrites"},
        {"base C:\\CON\\Tools\n", "base: 'C:\\CON\\Tools' holds a device name"},
        {long_base, "makes a destination too long"},
        // Without a base line the folder is made of the publisher's name.
        {"publisher Brindlemoor Ltd.\n", "publisher: 'C:\\Brindlemoor Ltd.' (the default base folder, made "
                                         "of the publisher) holds a folder name"},
        {"name Tools.\n", "name: 'Tools.' ends in a space or a dot"},
        {"installer " + std::string(19, 'W') + "\n",
         "installer: '" + std::string(19, 'W') + ":' is 213 pixels wide in the backdrop's system font; the "
         "backdrop's left panel has room for 140 pixels: shorten it by 73 pixels"},
    };
    for (const Refusal& r : refusals) ExpectRefused(Description(r.overrides, SixEntries()), r.message);
}

// The page texts the product's name goes into wrap at blanks and show two
// to four lines, the pages' captions one line of their title bars; a
// shortcut's caption is one line of the shortcut dialog.
TEST_F(ManifestGenerator, RefusesANameOrCaptionTheirBoxesWouldClip)
{
    const std::string own_menu = "picture startmenu pictures/startmenu.bmp\n";
    std::string messages;
    EXPECT_EQ(Generate(Description(own_menu + "name Ashcombe Charts\n", SixEntries()), &messages), 0)
        << messages;
    // The page cuts off what falls below the box's last line.
    for (const char* page : {"folder page's text takes 3 lines, and its box shows 2: 'folder:' (30 pixels)",
                             "group page's text takes 3 lines, and its box shows 2: 'group:' (31 pixels)"}) {
        ExpectRefused(Description(own_menu + "name Ashcombe Labs Notes\n", SixEntries()),
                      "name: with 'Ashcombe Labs Notes', the " + std::string(page) +
                          " would be cut off; shorten the name");
    }
    // A title bar cuts its caption off at its end.
    ExpectRefused(Description(own_menu + "name " + std::string(19, 'W') + "\n", SixEntries()),
                  "name: 'Creating " + std::string(19, 'W') + " Shortcuts' is 293 pixels wide in the title bars' "
                  "bold font; the shortcut dialog's title bar has room for 282 pixels: shorten it by 11 pixels");
    // 'W' is 10 pixels, 'i' 2; the dialog's caption box is 143 pixels wide.
    EXPECT_EQ(Generate(Description(own_menu, Table("entry | B.txt | 0x11 | BBB | " + std::string(19, 'i') +
                                                   " | b.txt\n")), &messages), 0) << messages;
    ExpectRefused(Description(own_menu + "shortcuts 2\n",
                              Table("entry | B.txt | 0x11 | BBB | " + std::string(15, 'W') + " | b.txt\n")),
                  "caption: '" + std::string(15, 'W') + "' is 150 pixels wide in the pages' font; the "
                  "shortcut dialog has room for 143 pixels: shorten it by 7 pixels");
}

// Before anything is built, what the build makes is not there yet: the
// check passes it by and refuses all the rest.
TEST_F(ManifestGenerator, ChecksBeforeTheBuildWithoutWhatTheBuildMakes)
{
    for (const char* built : {"uninstaller/A.exe", "payload/AAA.lz", "pictures/banner.bmp"}) {
        std::remove((dir_ + "/" + built).c_str());
    }
    std::string messages;
    EXPECT_EQ(Generate(Description("", SixEntries()), &messages, "--check"), 0) << messages;
    ExpectRefused(Description("", Table("entry | N.txt | 0x11 | BBB | N | nowhere.txt\n")),
                  "source: 'nowhere.txt' does not exist", "--check");
    ExpectRefused(Description("name ABCDEFGHIJKLMNOPQRST\n", SixEntries()), "name", "--check");
}

}  // namespace
