// The build refuses a product description that breaks the manifest's
// limits, naming the field; a good one gives a consistent manifest.
#include "generator_fixture.h"

namespace {

TEST_F(ManifestGenerator, WritesSizesFromTheFilesAndTheResourceLines)
{
    std::string messages;
    ASSERT_EQ(Generate(Description("", SixEntries()), &messages), 0) << messages;
    std::string inc = Read("out/manifest_data.inc");
    EXPECT_NE(inc.find("{\"A.exe\", 0x12, \"AAA\", \"Alpha\", 5000u, 1200u}"), std::string::npos) << inc;
    EXPECT_NE(inc.find("{\"B.txt\", 0x11, \"BBB\", \"Read Me\", 7u, 2u}"), std::string::npos) << inc;
    EXPECT_NE(inc.find("{2006, 12, 0, 24, 3, 2, 0, 0}"), std::string::npos) << inc;
    std::string rc = Read("out/payload.rc");
    EXPECT_NE(rc.find("AAA RCDATA \"payload/AAA.lz\""), std::string::npos) << rc;
    EXPECT_NE(rc.find("BBB RCDATA \"payload/BBB.lz\""), std::string::npos) << rc;
    std::string identity = Read("out/product_identity.h");
    EXPECT_NE(identity.find("#define PRODUCT_TABLE_SIZE 6"), std::string::npos) << identity;
    // The setup's version record takes these.
    EXPECT_NE(identity.find("#define PRODUCT_VERSION_MAJOR 3\n"), std::string::npos) << identity;
    EXPECT_NE(identity.find("#define PRODUCT_VERSION_MINOR 2\n"), std::string::npos) << identity;
    EXPECT_NE(identity.find("#define PRODUCT_COPYRIGHT \"Copyright (C) 2006 Brindlemoor\""),
              std::string::npos)
        << identity;

    // A changed file gives a changed manifest on the next run.
    Write("b.txt", "hello again\r\n");
    ASSERT_EQ(Generate(Description("", SixEntries()), &messages), 0) << messages;
    EXPECT_NE(Read("out/manifest_data.inc").find("13u, 2u}"), std::string::npos);
}

// A signing build signs a ready-made program as a copy and packs that: the
// manifest must carry the signed copy's size, not the original's.
TEST_F(ManifestGenerator, TakesTheSizeOfTheSignedCopyOfAReadyMadeProgram)
{
    mkdir((dir_ + "/signed").c_str(), 0777);
    Write("signed/B.exe", std::string(5000, 'a') + std::string(1496, 's'));
    std::string table = Table("entry | B.exe | 0x11 | BBB | Read Me | a.exe\n");
    std::string messages;
    ASSERT_EQ(Generate(Description("", table), &messages), 0) << messages;
    std::string inc = Read("out/manifest_data.inc");
    EXPECT_NE(inc.find("\"Read Me\", 6496u, 2u}"), std::string::npos) << inc;
    // The uninstaller is built, never a ready-made copy.
    Write("signed/A.exe", "stale");
    ASSERT_EQ(Generate(Description("", table), &messages), 0) << messages;
    EXPECT_NE(Read("out/manifest_data.inc").find("\"Alpha\", 5000u, 1200u}"), std::string::npos);
}

TEST_F(ManifestGenerator, RefusesCountsAboveTheEntries)
{
    ExpectRefused(Description("installed 7\n", SixEntries()), "installed");
    ExpectRefused(Description("shortcuts 7\n", SixEntries()), "shortcuts");
    ExpectRefused(Description("installed 1 of 6\nshortcuts 2\n", SixEntries()), "shortcuts");
}

TEST_F(ManifestGenerator, RefusesATableWithoutThePlacesReadByPosition)
{
    // Four entries: the read-me's place, 4, is missing.
    std::string four = "entry | A.exe | 0x12 | AAA | Alpha | @uninstaller\n"
                       "entry | B.txt | 0x11 | BBB | Read Me | b.txt\n"
                       "entry | C.txt | 0x11 | CCC | C | b.txt\n"
                       "entry | D.txt | 0x11 | DDD | D | b.txt\n";
    ExpectRefused(Description("", four), "entry: 4 entries; the setup needs at least 5");
    ExpectRefused(Description("shortcuts 0\n", "entry | A.exe | 0x12 | AAA | A | @uninstaller\n"),
                  "entry: 1 entries");
    std::string messages;
    EXPECT_EQ(Generate(Description("", four + "entry | E.txt | 0x11 | EEE | E | b.txt\n"), &messages), 0)
        << messages;
}

TEST_F(ManifestGenerator, RefusesCountsBelowZero)
{
    // A negative count would otherwise read as "all entries" or as none.
    ExpectRefused(Description("installed -1 of 6\nshortcuts 0\n", SixEntries()), "installed: -1 is outside 0");
    ExpectRefused(Description("installed -32768\nshortcuts 0\n", SixEntries()), "installed");
    ExpectRefused(Description("shortcuts -1\n", SixEntries()), "shortcuts: -1 is below 0");
    // The bounds themselves are fine, with a start menu of the product's
    // own: the painted one shows one to five shortcuts.
    std::string messages;
    std::string own = "picture startmenu pictures/startmenu.bmp\n";
    EXPECT_EQ(Generate(Description(own + "installed 0 of 6\nshortcuts 0\n", SixEntries()), &messages), 0)
        << messages;
    EXPECT_NE(Read("out/manifest_data.inc").find("    0,\n    0,\n}"), std::string::npos)
        << Read("out/manifest_data.inc");
    EXPECT_EQ(Generate(Description(own + "installed 6\nshortcuts 6\n", SixEntries()), &messages), 0)
        << messages;
}

TEST_F(ManifestGenerator, RefusesTextsLongerThanTheirFields)
{
    ExpectRefused(Description("name ABCDEFGHIJKLMNOPQRST\n", SixEntries()), "name");
    ExpectRefused(Description("version 1234567890\n", SixEntries()), "version");
    ExpectRefused(Description("publisher ABCDEFGHIJKLMNOPQRST\n", SixEntries()), "publisher");
    ExpectRefused(Description("", Table("entry | ABCDEFGHIJKLMNOPQRSTUVWXY.exe | 0x11 | BBB | A | a.exe\n")),
                  "target");
    ExpectRefused(Description("", Table("entry | B.exe | 0x11 | AAAAAAAAAAAAAAAAA | A | a.exe\n")),
                  "resource");
    ExpectRefused(Description("", Table("entry | B.exe | 0x11 | BBB | ABCDEFGHIJKLMNOPQRST | a.exe\n")),
                  "caption");
}

TEST_F(ManifestGenerator, RefusesATitleTaglineOrWebPageThatDoesNotFit)
{
    // 19 + 9 = 28 characters: "name vversion" would overflow its 30-byte title.
    ExpectRefused(Description("name ABCDEFGHIJKLMNOPQRS\nversion 123456789\n", SixEntries()),
                  "name and version");
    ExpectRefused(Description("tagline " + std::string(51, 't') + "\n", SixEntries()), "tagline");
    ExpectRefused(Description("webpage http://" + std::string(53, 'w') + "\n", SixEntries()), "webpage");
    ExpectRefused(Description("webpage www.brindlemoor.com\n", SixEntries()), "webpage");
}

TEST_F(ManifestGenerator, RefusesDuplicateOrUnusableResourceNames)
{
    ExpectRefused(Description("", Table("entry | B.exe | 0x11 | BBB | A | a.exe\n"
                                        "entry | D.exe | 0x11 | BBB | B | b.txt\n")),
                  "duplicate resource name");
    // HELP would stop the resource compiler; HELPFILE is fine.
    ExpectRefused(Description("", Table("entry | B.exe | 0x11 | HELP | A | a.exe\n")),
                  "word of the resource script");
    ExpectRefused(Description("", Table("entry | B.exe | 0x11 | bbb | A | a.exe\n")), "resource");
}

TEST_F(ManifestGenerator, RefusesABadTimeStamp)
{
    ExpectRefused(Description("timestamp 2007-02-29 03:02:00.000\n", SixEntries()), "timestamp");
    ExpectRefused(Description("timestamp 24.12.2006\n", SixEntries()), "timestamp");
    ExpectRefused(Description("weekday 7\n", SixEntries()), "weekday");
}

}  // namespace

// The product's own programs are built before they can be packed: their
// identity comes from the same description without the files, and must
// agree with the setup's.
TEST_F(ManifestGenerator, IdentityAloneNeedsNoFilesAndMatchesTheFullRun)
{
    std::string messages;
    std::string description = Description("", SixEntries());
    ASSERT_EQ(Generate(description, &messages), 0) << messages;
    std::string full = Read("out/product_identity.h");

    std::string cmd = std::string(VANTOR_MANIFEST_PATH) + " --identity " + dir_ + "/product.txt " +
                      dir_ + " " + dir_ + " " + dir_ + "/identity 2>&1";
    // The files are not needed, the uninstaller's icon (the setup's) is.
    std::remove((dir_ + "/uninstaller/A.exe").c_str());
    std::remove((dir_ + "/b.txt").c_str());
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::string alone = Read("identity/product_identity.h");
    EXPECT_EQ(alone, full);
    EXPECT_EQ(Read("identity/uninstaller.ico"), Painted("setup.ico"));
    EXPECT_NE(alone.find("#define PRODUCT_VENDOR_KEY \"Software\\\\Brindlemoor\""), std::string::npos)
        << alone;
    EXPECT_NE(alone.find("#define PRODUCT_PRESERVED_EXTENSIONS \".KEY\", \".DAT\", \".PRD\", \".PRA\""),
              std::string::npos) << alone;
    EXPECT_NE(alone.find("{\"B.txt\", 0x11, \"Read Me\"},"), std::string::npos) << alone;
    // What the identity form refuses, it refuses like the full one.
    Write("product.txt", Description("preserve DAT\n", SixEntries()));
    EXPECT_NE(std::system(cmd.c_str()), 0);
}

TEST_F(ManifestGenerator, RefusesPreservedExtensionsThatAreNotPlain)
{
    ExpectRefused(Description("preserve\n", SixEntries()), "preserve");
    ExpectRefused(Description("preserve .DAT DAT\n", SixEntries()), "preserve");
    ExpectRefused(Description("preserve .DAT .dat\n", SixEntries()), "listed twice");
    ExpectRefused(Description("preserve .D*T\n", SixEntries()), "preserve");
    ExpectRefused(Description("preserve .ABCDEFGHI\n", SixEntries()), "preserve");
    ExpectRefused(Description("preserve .A .B .C .D .E .F .G .H .I\n", SixEntries()), "preserve");
}
