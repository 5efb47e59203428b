// The publisher's texts come from the description into the setup's dialogs
// and messages; the build refuses texts that do not fit where they go.
#include "generator_fixture.h"

namespace {

TEST_F(ManifestGenerator, WritesThePublisherTextsWithTheirLineBreaks)
{
    std::string messages;
    ASSERT_EQ(Generate(Description("", SixEntries()), &messages), 0) << messages;
    std::string identity = Read("out/product_identity.h");
    // The heading's lines end in a line feed, the visit notice's in CR LF,
    // as the dialogs' static controls have always shown them.
    EXPECT_NE(identity.find("#define WELCOME_RIGHTS_TEXT \"Copyright (C) 1996-%d Brindlemoor.\\n"
                            "Written by Tamsin Orrow.\""),
              std::string::npos) << identity;
    EXPECT_NE(identity.find("#define VISIT_NOTICE_TEXT \"For more great software utilities\\r\\n"
                            "be sure to visit us at\\r\\nhttp://www.brindlemoor.com/\""),
              std::string::npos) << identity;
    EXPECT_NE(identity.find("#define PRODUCT_SUPPORT_ADDRESS \"support@brindlemoor.com\""),
              std::string::npos);
    EXPECT_NE(identity.find("#define PUBLISHER_HOME_PAGE \"http://www.brindlemoor.com/\""),
              std::string::npos);
    EXPECT_NE(identity.find("#define PRODUCT_COPYRIGHT \"Copyright (C) 2006 Brindlemoor\""),
              std::string::npos);
    EXPECT_NE(identity.find("#define PRODUCT_UNINSTALLER_FILE \"A.exe\""), std::string::npos);
    // A quote in a text stays a quote in the literal.
    ASSERT_EQ(Generate(Description("copyright (C) the \"Moor\"\n", SixEntries()), &messages), 0)
        << messages;
    EXPECT_NE(Read("out/product_identity.h").find("\"(C) the \\042Moor\\042\""), std::string::npos);
}

// Lines are measured in the page's font as the page draws them: 'x', 's',
// 'v' and the year's digits are 6 pixels; the heading is 200 wide, the
// visit notice 285 inside its sunken edge.
TEST_F(ManifestGenerator, HeadingLinesUpToTheBoxWidthFitAndOneMoreDoesNot)
{
    std::string fits = "rights " + std::string(29, 'x') + "%d | " + std::string(33, 's') + "\n";
    std::string messages;
    EXPECT_EQ(Generate(Description(fits, SixEntries()), &messages), 0) << messages;
    ExpectRefused(Description("rights " + std::string(30, 'x') + "%d\n", SixEntries()),
                  "is 204 pixels wide in the pages' font with a four-digit year; the welcome page's "
                  "heading is 200 pixels wide: shorten it by 4 pixels");
    ExpectRefused(Description("rights %d | " + std::string(34, 's') + "\n", SixEntries()), "rights");
    ExpectRefused(Description("rights A %d | B | C\n", SixEntries()), "rights");
    // Narrow letters fit the pixels but not the page's 100-byte buffer.
    ExpectRefused(Description("rights " + std::string(48, 'l') + "%d | " + std::string(48, 'l') + "\n",
                              SixEntries()),
                  "rights: is 101 characters as the page keeps it");
}

TEST_F(ManifestGenerator, RefusesAHeadingWhoseYearPlaceholderIsWrong)
{
    // The heading is a format: anything but one %d would misplace the year
    // or read an argument that is not there.
    ExpectRefused(Description("rights Copyright Brindlemoor\n", SixEntries()), "rights");
    ExpectRefused(Description("rights (C) %d-%d Brindlemoor\n", SixEntries()), "rights");
    ExpectRefused(Description("rights (C) %s Brindlemoor\n", SixEntries()), "rights");
    ExpectRefused(Description("rights (C) %d Brindlemoor 100%\n", SixEntries()), "rights");
}

TEST_F(ManifestGenerator, RefusesAVisitNoticeBeyondItsThreeLines)
{
    std::string messages;
    std::string fits = "visit " + std::string(47, 'v') + " | b | c\n";
    EXPECT_EQ(Generate(Description(fits, SixEntries()), &messages), 0) << messages;
    ExpectRefused(Description("visit a | b | c | d\n", SixEntries()), "visit");
    ExpectRefused(Description("visit " + std::string(48, 'v') + "\n", SixEntries()),
                  "visit: '" + std::string(48, 'v') + "' is 288 pixels wide");
    ExpectRefused(Description("visit a | | c\n", SixEntries()), "visit");
}

TEST_F(ManifestGenerator, RefusesAddressesThatAreNotAddresses)
{
    ExpectRefused(Description("support support.brindlemoor.com\n", SixEntries()), "support");
    ExpectRefused(Description("support a@b@c\n", SixEntries()), "support");
    ExpectRefused(Description("support help @example.com\n", SixEntries()), "support");
    ExpectRefused(Description("support " + std::string(50, 's') + "@example.com\n", SixEntries()),
                  "support");
    ExpectRefused(Description("homepage www.brindlemoor.com\n", SixEntries()), "homepage");
    ExpectRefused(Description("homepage http://" + std::string(50, 'h') + ".com/\n", SixEntries()),
                  "homepage");
    ExpectRefused(Description("copyright " + std::string(80, 'c') + "\n", SixEntries()), "copyright");
}

TEST_F(ManifestGenerator, RefusesADescriptionWithoutThePublisherTexts)
{
    // A product's setup must not fall back on another publisher's words.
    std::string bare = "name Ashgrove\nversion 1.0\ntagline Tidy\npublisher Fenwick\n"
                       "webpage http://fenwick.example/\ntimestamp 2001-02-03 04:05:06.000\n"
                       "preserve .DAT\n";
    for (const char* field : {"support", "homepage", "rights", "visit", "copyright"}) {
        ExpectRefused(bare + SixEntries(), field);
    }
}

}  // namespace
