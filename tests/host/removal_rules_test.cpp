// The uninstaller's rules of what it may touch: the registry's values are
// input anyone with the rights could have changed.
#include <gtest/gtest.h>

#include <string>

#include "removal_rules.h"

namespace {

const char* const kWindows = "C:\\windows";
const char* const kSystem = "C:\\windows\\system32";

bool Removable(const char* path) { return IsRemovableProgramFolder(path, kWindows, kSystem); }

TEST(RemovalRules, ProgramFolderMustBeAPlainFolderBelowADriveRoot)
{
    EXPECT_TRUE(Removable("C:\\Brindlemoor\\Quorvel"));
    EXPECT_TRUE(Removable("D:\\Apps\\Quorvel\\"));
    EXPECT_TRUE(Removable("c:\\Quorvel"));

    const char* refused[] = {
        "",          "Quorvel",          "\\Quorvel",           "C:Quorvel",
        "C:\\",      "C:\\\\",           "\\\\server\\share\\Q", "\\\\?\\C:\\Quorvel",
        "C:\\Apps\\..\\windows",          "C:\\Apps\\.\\Q",       "C:\\Apps\\\\Q",
        "C:\\A?\\Q", "C:\\Apps/Q",       "C:\\A:B",             "1:\\Quorvel",
        "C:\\WINDOWS", "C:\\windows\\",  "c:\\Windows\\System32",
    };
    for (const char* path : refused) {
        EXPECT_FALSE(Removable(path)) << path;
    }
}

TEST(RemovalRules, ProgramFolderRefusesNamesWindowsWouldTrim)
{
    // Windows drops a trailing dot or space and collapses doubled
    // backslashes, so each of these opens a folder other than its text says.
    const char* refused[] = {
        "C:\\windows.",          "C:\\windows..",        "C:\\windows ",
        "C:\\windows. .",        "C:\\windows\\\\",       "C:\\windows\\\\\\",
        "C:\\windows\\system32.", "C:\\windows.\\system32", "C:\\windows\\\\system32",
        "C:\\Apps \\Quorvel",    "C:\\Apps\\Quorvel.\\",  "C:\\Brindlemoor\\Quorvel\\\\",
    };
    for (const char* path : refused) {
        EXPECT_FALSE(Removable(path)) << path;
    }
    // Dots and spaces elsewhere in a name are plain.
    const char* accepted[] = {"C:\\Brindlemoor\\Quorvel\\", "C:\\.Quorvel", "C:\\Quorvel 3.02",
                              "C:\\ Apps\\Quorvel", "C:\\Apps\\windows.old"};
    for (const char* path : accepted) {
        EXPECT_TRUE(Removable(path)) << path;
    }
}

TEST(RemovalRules, GroupNameStaysOneFolderBelowPrograms)
{
    EXPECT_TRUE(IsPlainGroupName("Quorvel"));
    EXPECT_TRUE(IsPlainGroupName("Quorvel Tools"));
    EXPECT_TRUE(IsPlainGroupName(std::string(kGroupNameLimit, 'g').c_str()));

    const std::string tooLong(kGroupNameLimit + 1, 'g');
    const char* refused[] = {"", ".", "..", "...", "..\\Startup", "a\\b", "a/b", "Tools ",
                             "Tools.", "C:x", "a\tb", "a*b", tooLong.c_str()};
    for (const char* name : refused) {
        EXPECT_FALSE(IsPlainGroupName(name)) << name;
    }
}

TEST(RemovalRules, ParentLastComponentAndMadeFolders)
{
    char out[64];
    const std::pair<const char*, const char*> parents[] = {
        {"C:\\Brindlemoor\\Quorvel", "C:\\Brindlemoor"}, {"C:\\Brindlemoor\\Quorvel\\", "C:\\Brindlemoor"},
        {"C:\\Brindlemoor", "C:\\"}, {"C:\\", nullptr}, {"Quorvel", nullptr}};
    for (const auto& c : parents) {
        EXPECT_EQ(ParentFolder(c.first, out, sizeof out), c.second != nullptr) << c.first;
        if (c.second != nullptr) EXPECT_STREQ(out, c.second) << c.first;
    }
    char tiny[8];
    EXPECT_FALSE(ParentFolder("C:\\Brindlemoor\\Quorvel", tiny, sizeof tiny));

    EXPECT_TRUE(LastComponentIs("C:\\BRINDLEMOOR", "Brindlemoor"));
    EXPECT_TRUE(LastComponentIs("D:\\x\\Brindlemoor\\", "Brindlemoor"));
    EXPECT_FALSE(LastComponentIs("C:\\Brindlemoors", "Brindlemoor"));
    EXPECT_FALSE(LastComponentIs("C:\\XBrindlemoor", "Brindlemoor"));

    // The folders the setup made: the recorded one and those below it, never
    // a drive's root or a record that names no drive path.
    const struct {
        const char* path;
        const char* created;
        bool within;
    } kWithin[] = {
        {"C:\\Apps\\Brindle", "C:\\Apps", true}, {"c:\\APPS", "C:\\Apps\\", true},
        {"C:\\Apps\\Brindle\\", "C:\\apps\\brindle", true}, {"C:\\Apps2", "C:\\Apps", false},
        {"C:\\Ap", "C:\\Apps", false}, {"C:\\Apps", "C:\\", false},
        {"C:\\Apps", "", false}, {"Apps\\x", "Apps", false},
    };
    for (const auto& c : kWithin) {
        EXPECT_EQ(IsWithinFolder(c.path, c.created), c.within) << c.path << " in " << c.created;
    }
}

TEST(RemovalRules, PreservedExtensionsIgnoreCaseAndNeedTheWholeExtension)
{
    const char* const extensions[] = {".KEY", ".DAT"};
    EXPECT_TRUE(HasPreservedExtension("Ledger.dat", extensions, 2));
    EXPECT_TRUE(HasPreservedExtension("user.Key", extensions, 2));
    EXPECT_FALSE(HasPreservedExtension("old.key.bak", extensions, 2));
    EXPECT_FALSE(HasPreservedExtension("Notes", extensions, 2));
    EXPECT_FALSE(HasPreservedExtension("x.data", extensions, 2));
}

TEST(RemovalRules, EndItemsAreBoundedAndCounted)
{
    char text[128] = "Removed.";
    int items = 0;
    EXPECT_TRUE(AddEndItem(text, sizeof text, &items, "C:\\Q\\Ledger.dat", " (your data)"));
    EXPECT_STREQ(text, "Removed.\r\nC:\\Q\\Ledger.dat (your data)");
    // An item that does not fit leaves the text whole.
    EXPECT_FALSE(AddEndItem(text, sizeof text, &items, std::string(200, 'x').c_str(), ""));
    EXPECT_STREQ(text, "Removed.\r\nC:\\Q\\Ledger.dat (your data)");
    EXPECT_EQ(items, 1);

    char list[1024] = "";
    items = 0;
    for (int i = 0; i < kEndItemLimit + 3; i++) {
        AddEndItem(list, sizeof list, &items, "f", "");
    }
    FinishEndItems(list, sizeof list, items);
    std::string expected;
    for (int i = 0; i < kEndItemLimit; i++) expected += "\r\nf";
    EXPECT_EQ(std::string(list), expected + "\r\nand 3 more");
}

}  // namespace
