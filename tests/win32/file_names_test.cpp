// Names that are hard links to somebody else's file, in the pass's targets
// and in the folder it cleans: the other name keeps its contents and its
// attributes, whatever the pass does with its own.
#include <gtest/gtest.h>

#include <string>

#include "file_names.h"
#include "install_pass.h"
#include "pass_fixture.h"

namespace {

const char kCreateFailed[] =
    "Unable to create destination file!\r\nInstallation will now be aborted.";

class HardLinkedName : public PassFixture {
protected:
    // A file of someone else's, with a second name at name.
    void LinkPrecious(const std::string& name, bool readOnly)
    {
        precious_ = root_ + "\\precious.ini";
        ASSERT_TRUE(WriteWholeFile(precious_, "precious"));
        ASSERT_TRUE(CreateHardLinkA(name.c_str(), precious_.c_str(), NULL)) << GetLastError();
        ASSERT_FALSE(HasOneName(name.c_str()));
        if (readOnly) {
            ASSERT_TRUE(SetFileAttributesA(precious_.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        attributes_ = GetFileAttributesA(precious_.c_str());
    }
    void ExpectPreciousKept()
    {
        std::string contents;
        ASSERT_TRUE(ReadWholeFile(precious_, &contents));
        EXPECT_EQ(contents, "precious");
        EXPECT_EQ(GetFileAttributesA(precious_.c_str()), attributes_);
    }
    std::string precious_;
    DWORD attributes_;
};

TEST_F(HardLinkedName, ATargetLosesItsNameAndNeverWritesIntoTheOtherOne)
{
    std::string target = windows_ + "\\" + g_setup.manifest.files[0].targetName;
    std::string original;
    ASSERT_TRUE(ReadWholeFile(std::string("product-files\\") + g_setup.manifest.files[0].targetName,
                              &original));
    SetDestination(root_ + "\\Dest");
    Limit(1);
    for (bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "writable");
        ResetProgress();
        ASSERT_NO_FATAL_FAILURE(LinkPrecious(target, readOnly));
        BoxAnswerer boxes(IDOK);
        int result = InstallFiles(page_);
        ExpectPreciousKept();
        if (result == 1) {
            // The name alone went; a new file took it.
            std::string installed;
            ASSERT_TRUE(ReadWholeFile(target, &installed));
            EXPECT_TRUE(installed == original);
            EXPECT_TRUE(HasOneName(target.c_str()));
            EXPECT_EQ(boxes.seen.count, 0) << boxes.seen.text;
        } else {
            // A read-only file's name cannot go without clearing the mark
            // that its other name shares (Wine deletes no such name alone).
            EXPECT_TRUE(readOnly);
            EXPECT_EQ(result, -1);
            EXPECT_EQ(boxes.seen.text, kCreateFailed);
        }
        SetFileAttributesA(precious_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(precious_.c_str());
        DeleteFileA(target.c_str());
    }
}

TEST_F(HardLinkedName, TheCleaningNeverClearsTheMarkOfAFileWithOtherNames)
{
    std::string dest = root_ + "\\Earlier";
    PlantEarlier(dest);
    ASSERT_NO_FATAL_FAILURE(LinkPrecious(dest + "\\linked.txt", true));
    SetDestination(dest);
    Limit(2);
    BoxAnswerer boxes(IDOK);
    EXPECT_EQ(InstallFiles(page_), 1);
    ExpectPreciousKept();
    EXPECT_FALSE(Exists(dest + "\\bait.txt")) << "cleaned all the same";
}

// A handle leads to the path it was opened by, however the path spells
// it; never to another file's.
TEST_F(HardLinkedName, AHandleLeadsOnlyToThePathItWasOpenedBy)
{
    std::string file = root_ + "\\Long Folder Name\\Some File.txt";
    std::string other = root_ + "\\other.txt";
    CreateDirectoryA((root_ + "\\Long Folder Name").c_str(), NULL);
    ASSERT_TRUE(WriteWholeFile(file, "x"));
    ASSERT_TRUE(WriteWholeFile(other, "y"));
    char shortName[MAX_PATH];
    DWORD shortLength = GetShortPathNameA(file.c_str(), shortName, sizeof shortName);
    ASSERT_TRUE(shortLength > 0 && shortLength < sizeof shortName);
    std::string upper = file;
    CharUpperA(&upper[0]);
    HANDLE handle = OpenFileName(file.c_str(), GENERIC_READ);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    for (const std::string& same : {file, upper, std::string(shortName)}) {
        EXPECT_TRUE(HandleLeadsTo(handle, same.c_str())) << same;
    }
    EXPECT_FALSE(HandleLeadsTo(handle, other.c_str()));
    EXPECT_FALSE(HandleLeadsTo(handle, (root_ + "\\missing.txt").c_str()));
    CloseHandle(handle);
}

}  // namespace
