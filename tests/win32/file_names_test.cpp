// Names that are hard links to somebody else's file, in the pass's targets
// and in the folder it cleans: the other name keeps its contents and its
// attributes, whatever the pass does with its own.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "file_names.h"
#include "install_pass.h"
#include "pass_fixture.h"
#include "test_support.h"

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

// A name that stays says why: the uninstaller tells a file in use from
// one that cannot go by that reason alone.
TEST(RemoveFileName, ANameThatStaysLeavesTheReason)
{
    std::string folder = MakeTestFolder("file-name-reasons");
    const std::string name = folder + "\\Quorvel.exe";
    enum Hold { kNothing, kFolder, kOpenWithoutDeleteSharing, kRunning };
    const struct {
        const char* what;
        Hold hold;
        DWORD error;  // ERROR_SUCCESS: removed
    } cases[] = {
        {"a plain file", kNothing, ERROR_SUCCESS},
        {"a folder", kFolder, ERROR_ACCESS_DENIED},
        {"open elsewhere without delete sharing", kOpenWithoutDeleteSharing,
         ERROR_SHARING_VIOLATION},
        {"a running program's file", kRunning, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HANDLE open = INVALID_HANDLE_VALUE;
        if (c.hold == kFolder) {
            ASSERT_TRUE(CreateDirectoryA(name.c_str(), NULL));
        } else if (c.hold != kRunning) {
            ASSERT_TRUE(WriteWholeFile(name, c.what));
        }
        if (c.hold == kOpenWithoutDeleteSharing) {
            open = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               0, NULL);
        }
        std::unique_ptr<RunningCopy> program(c.hold == kRunning ? new RunningCopy(name) : NULL);
        ASSERT_TRUE(program == NULL || program->running) << "a running copy of the tests";
        SetLastError(0xDEAD);
        EXPECT_EQ(RemoveFileName(name.c_str()), c.error == ERROR_SUCCESS);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES,
                  c.error == ERROR_SUCCESS);
        program.reset();
        if (open != INVALID_HANDLE_VALUE) {
            CloseHandle(open);
        }
        RemoveTree(folder);
        CreateDirectoryA(folder.c_str(), NULL);
    }
    EXPECT_TRUE(RemoveFileName(name.c_str())) << "a name that is not there is gone";
    RemoveTree(folder);
}

}  // namespace
