#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "path_helpers.h"

namespace {

std::string Join(const char* folder, const char* name, bool quote = false, size_t size = 260)
{
    char out[300];
    if (!JoinPath(out, size, folder, name, quote)) {
        EXPECT_STREQ(out, "") << "a refused join must leave an empty string";
        return "<refused>";
    }
    return out;
}

std::string Normalised(const char* text)
{
    char buffer[300];
    snprintf(buffer, sizeof buffer, "%s", text);
    NormaliseFolderCase(buffer);
    return buffer;
}

TEST(PathJoin, AddsOneSeparatorOnlyWhereMissing)
{
    EXPECT_EQ(Join("C:\\Brindlemoor", "Quorvel"), "C:\\Brindlemoor\\Quorvel");
    EXPECT_EQ(Join("C:\\", "x"), "C:\\x");
    EXPECT_EQ(Join("C:\\Dir\\", "x"), "C:\\Dir\\x");
    // A name that begins with a backslash is copied unchanged.
    EXPECT_EQ(Join("C:\\Dir", "\\x"), "C:\\Dir\\\\x");
}

TEST(PathJoin, QuotesEncloseTheWholePath)
{
    EXPECT_EQ(Join("C:\\Dir", "Read Me.txt", true), "\"C:\\Dir\\Read Me.txt\"");
    EXPECT_EQ(Join("C:\\", "Read Me.txt", true), "\"C:\\Read Me.txt\"");
}

// An empty folder slot stands for a folder the system could not give; it
// must never turn into a path at the root of the current drive.
TEST(PathJoin, RefusesAnEmptyFolder)
{
    EXPECT_EQ(Join("", "Qorvunst.exe"), "<refused>");
    EXPECT_EQ(Join("", "Read Me.txt", true), "<refused>");
    EXPECT_EQ(Join("", "\\x"), "<refused>");
    char out[260] = "stale";
    EXPECT_FALSE(MakeShortcutPath(out, sizeof out, "", "", "Update"));
    EXPECT_STREQ(out, "");
    strcpy(out, "stale");
    EXPECT_FALSE(MakeShortcutPath(out, sizeof out, "", "Group", "Quorvel"));
    EXPECT_STREQ(out, "");
    // Only the folder must be there: an empty middle still adds nothing.
    ASSERT_TRUE(MakeShortcutPath(out, sizeof out, "C:\\S", "", "Update"));
    EXPECT_STREQ(out, "C:\\S\\Update.lnk");
}

TEST(PathJoin, RefusesWhatDoesNotFitInsteadOfCutting)
{
    // "C:\ab" + NUL is 6 bytes.
    EXPECT_EQ(Join("C:", "ab", false, 6), "C:\\ab");
    EXPECT_EQ(Join("C:", "abc", false, 6), "<refused>");
    EXPECT_EQ(Join("C:", "ab", true, 8), "\"C:\\ab\"");
    EXPECT_EQ(Join("C:", "ab", true, 7), "<refused>");
    std::string folder(255, 'a');
    EXPECT_EQ(Join(folder.c_str(), "Quorvel.exe"), "<refused>");
    std::string fits(260 - 1 - 12, 'a');
    EXPECT_EQ(Join(fits.c_str(), "Quorvel.exe").size(), 259u);
}

TEST(AppendText, AppendsWholeOrLeavesTheTextAsItWas)
{
    char out[8] = "ab";
    EXPECT_TRUE(AppendText(out, sizeof out, "cdefg"));
    EXPECT_STREQ(out, "abcdefg");
    EXPECT_FALSE(AppendText(out, sizeof out, "h"));
    EXPECT_STREQ(out, "abcdefg");
    char small[3] = "ab";
    EXPECT_TRUE(AppendText(small, sizeof small, ""));
    EXPECT_FALSE(AppendText(small, sizeof small, "c"));
    EXPECT_STREQ(small, "ab");
}

TEST(ShortcutPath, JoinsFolderMiddleAndCaption)
{
    char out[260];
    ASSERT_TRUE(MakeShortcutPath(out, sizeof out, "C:\\P", "G", "Help"));
    EXPECT_STREQ(out, "C:\\P\\G\\Help.lnk");
    ASSERT_TRUE(MakeShortcutPath(out, sizeof out, "C:\\S", "", "Quorvel"));
    EXPECT_STREQ(out, "C:\\S\\Quorvel.lnk");
    ASSERT_TRUE(MakeShortcutPath(out, sizeof out, "C:\\P\\", "G\\", "x"));
    EXPECT_STREQ(out, "C:\\P\\G\\x.lnk");
    EXPECT_FALSE(MakeShortcutPath(out, 12, "C:\\P", "G", "Help"));
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(MakeShortcutPath(out, 16, "C:\\P", "G", "Help"));
}

TEST(FolderCase, FollowsTheWordRules)
{
    EXPECT_EQ(Normalised("C:\\WINDOWS"), "C:\\Windows");
    EXPECT_EQ(Normalised("C:\\PROGRAM FILES"), "C:\\Program Files");
    EXPECT_EQ(Normalised("c:\\documents and settings\\all users\\start menu\\programs"),
              "C:\\Documents And Settings\\All Users\\Start Menu\\Programs");
    EXPECT_EQ(Normalised("C:\\WINDOWS\\SendTo"), "C:\\Windows\\Sendto");
    EXPECT_EQ(Normalised("C:\\MY-DIR"), "C:\\My-dir");
}

TEST(FolderCase, PassesOverTheCharacterAfterASeparator)
{
    EXPECT_EQ(Normalised(" abc"), " abc");
    EXPECT_EQ(Normalised("a  b"), "A  b");
    EXPECT_EQ(Normalised("x\\ y"), "X\\ y");
    EXPECT_EQ(Normalised("a\\"), "A\\");
    EXPECT_EQ(Normalised(""), "");
    // Bytes above 127 are never changed.
    EXPECT_EQ(Normalised("C:\\\xC4RGER \xE9T\xC9"), "C:\\\xC4rger \xE9t\xC9");
}

TEST(Extension, IsTheLastDotAndWhatFollows)
{
    EXPECT_STREQ(FindExtension("a.b.c"), ".c");
    EXPECT_STREQ(FindExtension("name."), ".");
    EXPECT_STREQ(FindExtension(".cache"), ".cache");
    EXPECT_EQ(FindExtension("Notes"), nullptr);
}

TEST(FolderComparison, IgnoresCaseAndOneTrailingBackslash)
{
    EXPECT_TRUE(SameFolder("C:\\Apps\\Quorvel", "c:\\apps\\QUORVEL"));
    EXPECT_TRUE(SameFolder("C:\\Apps\\Quorvel\\", "C:\\Apps\\Quorvel"));
    EXPECT_FALSE(SameFolder("C:\\Apps\\Quorvel", "C:\\Apps\\Quorvel2"));
    EXPECT_FALSE(SameFolder("C:\\Apps", "C:\\Apps\\Quorvel"));
    EXPECT_FALSE(SameFolder("C:\\Apps\\\\", "C:\\Apps"));
    EXPECT_TRUE(SameTextIgnoringCase(".Key", ".KEY"));
    EXPECT_FALSE(SameTextIgnoringCase(".KE", ".KEY"));
}

}  // namespace
