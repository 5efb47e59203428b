// The build refuses a product description that breaks the manifest's
// limits, naming the field; a good one gives a consistent manifest.
#include "generator_fixture.h"

namespace {

TEST_F(ManifestGenerator, WritesSizesFromTheFilesAndTheResourceLines)
{
    std::string messages;
    ASSERT_EQ(Generate(Description("", TwoEntries()), &messages), 0) << messages;
    std::string inc = Read("out/manifest_data.inc");
    EXPECT_NE(inc.find("{\"A.exe\", 0x12, \"AAA\", \"Alpha\", 5000u, 1200u}"), std::string::npos) << inc;
    EXPECT_NE(inc.find("{\"B.txt\", 0x11, \"BBB\", \"Read Me\", 7u, 2u}"), std::string::npos) << inc;
    EXPECT_NE(inc.find("{2006, 12, 0, 24, 3, 2, 0, 0}"), std::string::npos) << inc;
    std::string rc = Read("out/payload.rc");
    EXPECT_NE(rc.find("AAA RCDATA \"payload/AAA.lz\""), std::string::npos) << rc;
    EXPECT_NE(rc.find("BBB RCDATA \"payload/BBB.lz\""), std::string::npos) << rc;
    EXPECT_NE(Read("out/product_identity.h").find("#define PRODUCT_TABLE_SIZE 2"), std::string::npos);

    // A changed file gives a changed manifest on the next run.
    Write("b.txt", "hello again\r\n");
    ASSERT_EQ(Generate(Description("", TwoEntries()), &messages), 0) << messages;
    EXPECT_NE(Read("out/manifest_data.inc").find("13u, 2u}"), std::string::npos);
}

// A signing build signs a ready-made program as a copy and packs that: the
// manifest must carry the signed copy's size, not the original's.
TEST_F(ManifestGenerator, TakesTheSizeOfTheSignedCopyOfAReadyMadeProgram)
{
    mkdir((dir_ + "/signed").c_str(), 0777);
    Write("signed/A.exe", std::string(5000, 'a') + std::string(1496, 's'));
    std::string messages;
    ASSERT_EQ(Generate(Description("", TwoEntries()), &messages), 0) << messages;
    std::string inc = Read("out/manifest_data.inc");
    EXPECT_NE(inc.find("\"Alpha\", 6496u, 1200u}"), std::string::npos) << inc;
    EXPECT_NE(inc.find("\"Read Me\", 7u, 2u}"), std::string::npos) << inc;
}

TEST_F(ManifestGenerator, RefusesCountsAboveTheEntries)
{
    ExpectRefused(Description("installed 3\n", TwoEntries()), "installed");
    ExpectRefused(Description("shortcuts 3\n", TwoEntries()), "shortcuts");
    ExpectRefused(Description("installed 1\nshortcuts 2\n", TwoEntries()), "shortcuts");
}

TEST_F(ManifestGenerator, RefusesTextsLongerThanTheirFields)
{
    ExpectRefused(Description("name ABCDEFGHIJKLMNOPQRST\n", TwoEntries()), "name");
    ExpectRefused(Description("version 1234567890\n", TwoEntries()), "version");
    ExpectRefused(Description("publisher ABCDEFGHIJKLMNOPQRST\n", TwoEntries()), "publisher");
    ExpectRefused(Description("", "entry | ABCDEFGHIJKLMNOPQRSTUVWXY.exe | 0x11 | AAA | A | a.exe\n"), "target");
    ExpectRefused(Description("", "entry | A.exe | 0x11 | AAAAAAAAAAAAAAAAA | A | a.exe\n"), "resource");
    ExpectRefused(Description("", "entry | A.exe | 0x11 | AAA | ABCDEFGHIJKLMNOPQRST | a.exe\n"), "caption");
}

TEST_F(ManifestGenerator, RefusesATitleTaglineOrWebPageThatDoesNotFit)
{
    // 19 + 9 = 28 characters: "name vversion" would overflow its 30-byte title.
    ExpectRefused(Description("name ABCDEFGHIJKLMNOPQRS\nversion 123456789\n", TwoEntries()),
                  "name and version");
    ExpectRefused(Description("tagline " + std::string(51, 't') + "\n", TwoEntries()), "tagline");
    ExpectRefused(Description("webpage http://" + std::string(53, 'w') + "\n", TwoEntries()), "webpage");
    ExpectRefused(Description("webpage www.brindlemoor.com\n", TwoEntries()), "webpage");
}

TEST_F(ManifestGenerator, RefusesMissingOrEmptyFilesAndDuplicateResources)
{
    ExpectRefused(Description("", "entry | A.exe | 0x11 | AAA | A | nowhere.exe\n"), "source");
    ExpectRefused(Description("installed 1\n", "entry | E.txt | 0x11 | EMPTY | E | empty.txt\n"), "source");
    ExpectRefused(Description("", "entry | A.exe | 0x11 | AAA | A | a.exe\n"
                                  "entry | B.exe | 0x11 | AAA | B | b.txt\n"),
                  "duplicate resource name");
    // HELP would stop the resource compiler; HELPFILE is fine.
    ExpectRefused(Description("", "entry | A.exe | 0x11 | HELP | A | a.exe\n"), "word of the resource script");
    ExpectRefused(Description("", "entry | A.exe | 0x11 | aaa | A | a.exe\n"
                                  "entry | B.txt | 0x11 | BBB | B | b.txt\n"),
                  "resource");
}

TEST_F(ManifestGenerator, RefusesABadTimeStamp)
{
    ExpectRefused(Description("timestamp 2007-02-29 03:02:00.000\n", TwoEntries()), "timestamp");
    ExpectRefused(Description("timestamp 24.12.2006\n", TwoEntries()), "timestamp");
    ExpectRefused(Description("weekday 7\n", TwoEntries()), "weekday");
}

}  // namespace

// The product's own programs are built before they can be packed: their
// identity comes from the same description without the files, and must
// agree with the setup's.
TEST_F(ManifestGenerator, IdentityAloneNeedsNoFilesAndMatchesTheFullRun)
{
    std::string messages;
    std::string description = Description("", TwoEntries());
    ASSERT_EQ(Generate(description, &messages), 0) << messages;
    std::string full = Read("out/product_identity.h");

    std::string cmd = std::string(VANTOR_MANIFEST_PATH) + " --identity " + dir_ + "/product.txt " +
                      dir_ + "/identity 2>&1";
    std::remove((dir_ + "/a.exe").c_str());  // the files are not needed
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::string alone = Read("identity/product_identity.h");
    EXPECT_EQ(alone, full);
    EXPECT_NE(alone.find("#define PRODUCT_VENDOR_KEY \"Software\\\\Brindlemoor\""), std::string::npos)
        << alone;
    EXPECT_NE(alone.find("#define PRODUCT_PRESERVED_EXTENSIONS \".KEY\", \".DAT\", \".PRD\", \".PRA\""),
              std::string::npos) << alone;
    EXPECT_NE(alone.find("{\"B.txt\", 0x11, \"Read Me\"},"), std::string::npos) << alone;
    // What the identity form refuses, it refuses like the full one.
    Write("product.txt", Description("preserve DAT\n", TwoEntries()));
    EXPECT_NE(std::system(cmd.c_str()), 0);
}

TEST_F(ManifestGenerator, RefusesPreservedExtensionsThatAreNotPlain)
{
    ExpectRefused(Description("preserve\n", TwoEntries()), "preserve");
    ExpectRefused(Description("preserve .DAT DAT\n", TwoEntries()), "preserve");
    ExpectRefused(Description("preserve .DAT .dat\n", TwoEntries()), "listed twice");
    ExpectRefused(Description("preserve .D*T\n", TwoEntries()), "preserve");
    ExpectRefused(Description("preserve .ABCDEFGHI\n", TwoEntries()), "preserve");
    ExpectRefused(Description("preserve .A .B .C .D .E .F .G .H .I\n", TwoEntries()), "preserve");
}
