// The uninstaller's deletion of one name: a file with other names keeps
// its marks and content, a file in use gets its marks back. What Wine reports gone while it stays is a host's doing:
// the scenario remove-not-removed makes it.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "uninstaller.h"

namespace {

const DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

DWORD Marks(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? attributes : attributes & kMarks;
}

struct NameCase {
    const char* what;
    DWORD marks;       // of the file, before
    bool otherName;    // a hard link elsewhere
    NameDeletion expected;
};

const NameCase kCases[] = {
    {"plain", 0, false, kNameGone},
    {"read-only", FILE_ATTRIBUTE_READONLY, false, kNameGone},
    {"hidden and system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false, kNameGone},
    {"another name", 0, true, kNameGone},
    {"hidden, another name", FILE_ATTRIBUTE_HIDDEN, true, kNameGone},
    {"read-only, another name", FILE_ATTRIBUTE_READONLY, true, kNameShared},
};

TEST(NameDeletion, ClearsMarksOnlyOfAFileWithOneName)
{
    std::string folder = MakeTestFolder("name-deletion");
    for (const NameCase& c : kCases) {
        SCOPED_TRACE(c.what);
        std::string ours = folder + "\\Order.txt";
        std::string theirs = folder + "\\precious.ini";
        ASSERT_TRUE(WriteWholeFile(theirs, c.what));
        if (c.otherName) {
            ASSERT_TRUE(CreateHardLinkA(ours.c_str(), theirs.c_str(), NULL));
        } else {
            ASSERT_TRUE(MoveFileA(theirs.c_str(), ours.c_str()));
        }
        if (c.marks != 0) {
            ASSERT_TRUE(SetFileAttributesA(ours.c_str(), c.marks));
        }
        NameState state;
        EXPECT_EQ(c.expected, DeleteOwnName(ours.c_str(), &state));
        EXPECT_EQ(c.expected == kNameGone, GetFileAttributesA(ours.c_str()) == INVALID_FILE_ATTRIBUTES);
        if (c.otherName) {
            // The other name keeps the content and every mark it had.
            std::string content;
            EXPECT_TRUE(ReadWholeFile(theirs, &content));
            EXPECT_EQ(c.what, content);
            EXPECT_EQ(c.marks, Marks(theirs));
            SetFileAttributesA(theirs.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(theirs.c_str());
        }
        DeleteFileA(ours.c_str());
    }
    RemoveTree(folder);
}

TEST(NameDeletion, AFileInUseFailsAndGetsItsMarksBack)
{
    std::string folder = MakeTestFolder("name-deletion");
    std::string path = folder + "\\Quorvel.exe";
    ASSERT_TRUE(WriteWholeFile(path, "in use"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    // Held open for reading without delete sharing, as a running program is.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    NameState state;
    EXPECT_EQ(kNameFailed, DeleteOwnName(path.c_str(), &state));
    EXPECT_EQ(ERROR_SHARING_VIOLATION, state.error);
    EXPECT_EQ(0u, Marks(path)) << "cleared, for a deletion at the restart";
    RestoreOwnAttributes(path.c_str(), &state);
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_READONLY, Marks(path));
    CloseHandle(held);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveTree(folder);
}

}  // namespace
