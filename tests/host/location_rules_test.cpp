#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "location_rules.h"

namespace {

struct Checked {
    LocationVerdict verdict;
    std::string destination;
};

Checked Check(const std::string& typed)
{
    char out[256];
    memset(out, 'x', sizeof out);
    LocationVerdict verdict = MakeDestination(out, sizeof out, typed.c_str(), "Quorvel");
    return {verdict, out};
}

std::vector<std::string> Chain(const char* path)
{
    size_t ends[8];
    int links = SplitFolderChain(path, ends, 8);
    std::vector<std::string> texts;
    for (int k = 0; k < links; ++k) {
        texts.push_back(std::string(path, ends[k]));
    }
    return texts;
}

TEST(ProductNameSearch, FindsTheNameAnywhereIgnoringTheCaseOfAsciiLetters)
{
    EXPECT_TRUE(ContainsProductName("c:\\quorvel stuff", "Quorvel"));
    EXPECT_TRUE(ContainsProductName("D:\\Apps\\QUORVEL", "Quorvel"));
    EXPECT_TRUE(ContainsProductName("D:\\xQuorvelx", "Quorvel"));
    EXPECT_TRUE(ContainsProductName("Quorvel", "Quorvel"));
    EXPECT_FALSE(ContainsProductName("D:\\Quorve", "Quorvel"));
    EXPECT_FALSE(ContainsProductName("D:\\Quor vel", "Quorvel"));
    EXPECT_FALSE(ContainsProductName("", "Quorvel"));
    // Only A to Z fold: a byte of 128 and above matches only itself.
    EXPECT_FALSE(ContainsProductName("\xC0", "\xE0"));
    EXPECT_TRUE(ContainsProductName("a[b", "A[B"));
    EXPECT_FALSE(ContainsProductName("a{b", "A[B"));
}

TEST(TypedDestination, RefusesInTheOrderOfItsTests)
{
    EXPECT_EQ(Check("").verdict, kLocationEmpty);
    EXPECT_EQ(Check("C").verdict, kLocationNoDrive);
    EXPECT_EQ(Check("C:").verdict, kLocationNoDrive);
    EXPECT_EQ(Check("C:/Apps").verdict, kLocationNoDrive);
    EXPECT_EQ(Check("\\\\server\\share").verdict, kLocationNoDrive);
    EXPECT_EQ(Check("C:\\").verdict, kLocationRootDrive);
    // The drive's letter comes after the root; "..." only after the length.
    EXPECT_EQ(Check("1:\\").verdict, kLocationRootDrive);
    EXPECT_EQ(Check("1:\\x").verdict, kLocationBadDrive);
    EXPECT_EQ(Check("?:\\..").verdict, kLocationBadDrive);
    EXPECT_EQ(Check("C:\\..\\" + std::string(250, 'a')).verdict, kLocationTooLong);
    EXPECT_EQ(Check("C:\\..\\" + std::string(240, 'a')).verdict, kLocationBadName);
    EXPECT_EQ(Check("C:").destination, "") << "a refusal leaves no destination";
    EXPECT_EQ(Check("C:\\Quorvel\\..").destination, "");
}

// Each of these would make, or at a reinstall clean, another folder than
// the one typed, or none at all.
TEST(TypedDestination, RefusesFolderNamesWindowsRewritesOrRefuses)
{
    const char* const refused[] = {
        "C:\\Quorvel\\..\\Windows", "C:\\Quorvel\\..", "C:\\Apps\\..\\Quorvel",
        "C:\\Quorvel\\.", "C:\\Apps\\.\\Quorvel", "C:\\.", "C:\\...",
        "C:\\\\Quorvel", "C:\\Apps\\\\Quorvel", "C:\\Apps\\\\", "C:\\Quorvel\\\\",
        "C:\\\\", "C:\\Quorvel.", "C:\\Quorvel ", "C:\\Apps.\\Quorvel",
        "C:\\Apps \\", "c:\\quorvel stuff.", "C:\\Apps/Quorvel", "C:\\Quorvel/..",
        "C:\\Apps:x", "C:\\Quorvel\\a*", "C:\\Quorvel\\why?", "C:\\\"Quorvel\"",
        "C:\\<Quorvel>", "C:\\Apps|x", "C:\\Quorvel\\a\tb", "C:\\Quorvel\x1F",
    };
    for (const char* typed : refused) {
        Checked checked = Check(typed);
        EXPECT_EQ(checked.verdict, kLocationBadName) << typed;
        EXPECT_EQ(checked.destination, "") << typed;
    }
}

// The group page's device rule, for every folder of a destination: the
// product name appended may make the device the last folder but one.
TEST(TypedDestination, RefusesDeviceNamesAtEveryLevel)
{
    for (const char* typed : {"C:\\Quorvel\\NUL", "C:\\CON\\Quorvel", "C:\\Apps\\LPT1.txt\\Quorvel",
                              "C:\\com9", "C:\\Apps\\aux .log", "c:\\prn\\"}) {
        Checked checked = Check(typed);
        EXPECT_EQ(checked.verdict, kLocationDeviceName) << typed;
        EXPECT_EQ(checked.destination, "") << typed;
    }
    for (const char* typed : {"C:\\Console", "C:\\COM10", "C:\\LPT0", "C:\\Apps\\nul-x"}) {
        EXPECT_EQ(Check(typed).verdict, kLocationAccepted) << typed;
    }
}

TEST(TypedDestination, TakesNamesWindowsKeepsAsTyped)
{
    // Dots and blanks inside or in front of a name, and one backslash at
    // the end, leave the folder as it was typed.
    const char* const kept[] = {"C:\\ Apps\\Quorvel", "C:\\.Apps\\Quorvel", "C:\\a.b\\Quorvel",
                                "C:\\Quorvel\\", "C:\\Quorvel 2.0 x", "C:\\..Quorvel",
                                "C:\\Quorvel\\%s", "C:\\Quorvel\\\xC4rger"};
    for (const char* typed : kept) {
        Checked checked = Check(typed);
        EXPECT_EQ(checked.verdict, kLocationAccepted) << typed;
        EXPECT_EQ(checked.destination, typed);
    }
}

TEST(TypedDestination, AddsTheProductNameOnlyWhenMissing)
{
    EXPECT_EQ(Check("c:\\quorvel stuff").destination, "c:\\quorvel stuff");
    EXPECT_EQ(Check("C:\\Apps").destination, "C:\\Apps\\Quorvel");
    EXPECT_EQ(Check("C:\\Apps\\").destination, "C:\\Apps\\Quorvel");
    EXPECT_EQ(Check("D:\\Apps").destination, "D:\\Apps\\Quorvel");
    EXPECT_EQ(Check("D:\\Apps").verdict, kLocationAccepted);
}

TEST(TypedDestination, RefusesWhatWouldNotFitItsSlot)
{
    // 247 characters and "\Quorvel" make exactly 255.
    std::string longest = "C:\\" + std::string(244, 'a');
    Checked fits = Check(longest);
    EXPECT_EQ(fits.verdict, kLocationAccepted);
    EXPECT_EQ(fits.destination.size(), 255u);
    Checked over = Check(longest + "a");
    EXPECT_EQ(over.verdict, kLocationTooLong);
    EXPECT_EQ(over.destination, "");
    // Already naming the product: the text itself must fit.
    std::string named = "C:\\Quorvel\\" + std::string(244, 'b');
    EXPECT_EQ(Check(named).verdict, kLocationAccepted);
    EXPECT_EQ(Check(named + "b").verdict, kLocationTooLong);
    EXPECT_EQ(Check("C:\\" + std::string(256, 'c')).verdict, kLocationTooLong);
}

TEST(FolderChain, ListsTheRootWithItsBackslashAndTheRestWithout)
{
    EXPECT_EQ(Chain("C:\\Brindlemoor\\Quorvel"),
              (std::vector<std::string>{"C:\\", "C:\\Brindlemoor", "C:\\Brindlemoor\\Quorvel"}));
    EXPECT_EQ(Chain("C:\\Apps\\"), (std::vector<std::string>{"C:\\", "C:\\Apps"}));
    EXPECT_EQ(Chain("C:\\"), (std::vector<std::string>{"C:\\"}));
    EXPECT_EQ(Chain("C:"), (std::vector<std::string>{"C:"}));
    EXPECT_EQ(Chain(""), (std::vector<std::string>{}));
    // Empty components add no link of their own.
    EXPECT_EQ(Chain("C:\\a\\\\b"), (std::vector<std::string>{"C:\\", "C:\\a", "C:\\a\\\\b"}));
}

TEST(FolderChain, StopsAtTheGivenNumberOfLinks)
{
    size_t ends[3];
    EXPECT_EQ(SplitFolderChain("C:\\a\\b\\c\\d", ends, 3), 3);
    EXPECT_EQ(ends[2], 6u);
}

TEST(GroupName, RefusesWhatCannotBeOneFolder)
{
    EXPECT_EQ(CheckGroupName(""), kGroupEmpty);
    for (const char* bad : {"a\\b", "a/b", "C:", "x*", "why?", "\"q\"", "<", ">", "a|b", "\\"}) {
        EXPECT_EQ(CheckGroupName(bad), kGroupBadCharacter) << bad;
    }
    EXPECT_EQ(CheckGroupName("."), kGroupDotName);
    EXPECT_EQ(CheckGroupName(".."), kGroupDotName);
    EXPECT_EQ(CheckGroupName(std::string(41, 'g').c_str()), kGroupTooLong);
}

// Windows drops a trailing space or dot from a folder name and keeps the
// device names for the devices: the folder made would not be the group.
TEST(GroupName, RefusesNamesWindowsRewritesOrKeepsForDevices)
{
    for (const char* bad : {"Tools ", "Tools.", "...", ". .", "a\tb", "\x1F", "line\r\nbreak"}) {
        GroupVerdict verdict = CheckGroupName(bad);
        EXPECT_TRUE(verdict == kGroupTrailingSpaceOrDot || verdict == kGroupControlCharacter) << bad;
    }
    EXPECT_EQ(CheckGroupName("Tools "), kGroupTrailingSpaceOrDot);
    EXPECT_EQ(CheckGroupName("..."), kGroupTrailingSpaceOrDot);
    EXPECT_EQ(CheckGroupName("a\tb"), kGroupControlCharacter);
    for (const char* device : {"CON", "prn", "Aux", "nul", "COM1", "com9", "LPT1", "lpt9", "nul.txt",
                               "CON.tar.gz", "aux .log", "Com3.lnk"}) {
        EXPECT_EQ(CheckGroupName(device), kGroupDeviceName) << device;
    }
}

TEST(GroupName, TakesEveryOtherNameAsTyped)
{
    // Names that only begin like a device, or the product, are ordinary.
    for (const char* good : {"Quorvel", "Quorvel Tools", ".x", " spaced", "a.b", "Brindlemoor & Co",
                             "\xC4rger", "%s", "CONSOLE", "Nulls", "COM0", "COM10", "LPT", "xnul",
                             "con-tools", "AUXILIARY.txt"}) {
        EXPECT_EQ(CheckGroupName(good), kGroupAccepted) << good;
    }
    EXPECT_EQ(CheckGroupName(std::string(40, 'g').c_str()), kGroupAccepted);
}

}  // namespace
