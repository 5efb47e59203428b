// A reinstall over files that are in use or carry stubborn attributes, and
// a target whose folder slot is empty: the pass replaces everything or
// touches nothing.
#include <gtest/gtest.h>

#include <string.h>

#include "install_pass.h"
#include "install_state.h"
#include "replace_check.h"
#include "test_support.h"

namespace {

const char kCreateFailed[] =
    "Unable to create destination file!\r\nInstallation will now be aborted.";

HANDLE s_held = INVALID_HANDLE_VALUE;

// Held open without sharing, as a running program's file may be.
HANDLE HoldWithoutSharing(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
}

void CloseHeld(const BoxSeen& box)
{
    // The user closes the program after the first question.
    if (box.count == 1 && s_held != INVALID_HANDLE_VALUE) {
        CloseHandle(s_held);
        s_held = INVALID_HANDLE_VALUE;
    }
}

class ReplaceCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = g_setup.manifest;
        ResetInstallState();
        root_ = MakeTestFolder("replace");
        windows_ = root_ + "\\Win";
        dest_ = root_ + "\\Dest";
        CreateDirectoryA(windows_.c_str(), NULL);
        strcpy(g_setup.state.windowsFolder, windows_.c_str());
        strcpy(g_setup.state.destinationFolder, dest_.c_str());
        page_ = CreateProgressWindow();
    }
    void TearDown() override
    {
        if (s_held != INVALID_HANDLE_VALUE) {
            CloseHandle(s_held);
            s_held = INVALID_HANDLE_VALUE;
        }
        DestroyWindow(page_);
        g_setup.manifest = saved_;
        RemoveTree(root_);
        ResetInstallState();
    }
    // An earlier installation of the first three entries, with a stale file
    // the cleaning would remove, and one of its files held by "a program".
    void InstallEarlierHolding(const std::string& held)
    {
        g_setup.manifest.entryCount = 3;
        ASSERT_EQ(InstallFiles(page_), 1);
        RecordInstallation(dest_);
        ASSERT_TRUE(WriteWholeFile(dest_ + "\\stale.txt", "stale"));
        ASSERT_TRUE(WriteWholeFile(windows_ + "\\Qorvunst.exe", "older"));
        g_setup.state.progressTotal = 0;
        g_setup.state.progressDone = 0;
        s_held = HoldWithoutSharing(held);
        ASSERT_NE(s_held, INVALID_HANDLE_VALUE);
    }
    bool Exists(const std::string& path)
    {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::string Expected(const std::string& path)
    {
        char text[1100];
        wsprintfA(text, TARGET_IN_USE_FORMAT, path.c_str());
        return text;
    }

    ProductManifest saved_;
    std::string root_, windows_, dest_;
    HWND page_;
};

TEST_F(ReplaceCheck, CancelWhileATargetIsInUseTouchesNothing)
{
    std::string program = dest_ + "\\Quorvel.exe";
    ASSERT_NO_FATAL_FAILURE(InstallEarlierHolding(program));
    EXPECT_FALSE(CanReplace(program.c_str()));

    BoxAnswerer boxes(IDCANCEL);
    EXPECT_EQ(InstallFiles(page_), -1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.seen.caption, "Vantor");
    EXPECT_EQ(boxes.seen.text, Expected(program));
    EXPECT_EQ(boxes.seen.icon, LoadIconA(NULL, IDI_WARNING));
    // Neither cleaned nor written: the earlier files are as they were.
    EXPECT_TRUE(Exists(dest_ + "\\stale.txt"));
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(windows_ + "\\Qorvunst.exe", &contents));
    EXPECT_EQ(contents, "older");
    EXPECT_EQ(g_setup.state.progressTotal, 0u);
}

TEST_F(ReplaceCheck, RetryAfterTheProgramIsClosedInstallsEverything)
{
    std::string program = dest_ + "\\Quorvel.exe";
    ASSERT_NO_FATAL_FAILURE(InstallEarlierHolding(program));

    BoxAnswerer boxes(IDRETRY);
    boxes.onBox = CloseHeld;
    EXPECT_EQ(InstallFiles(page_), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u) << "one question, then the retry finds the file free";
    EXPECT_EQ(boxes.seen.text, Expected(program));
    EXPECT_FALSE(Exists(dest_ + "\\stale.txt"));
    std::string installed, original;
    ASSERT_TRUE(ReadWholeFile(windows_ + "\\Qorvunst.exe", &installed));
    ASSERT_TRUE(ReadWholeFile("product-files\\Qorvunst.exe", &original));
    EXPECT_TRUE(installed == original);
}

TEST_F(ReplaceCheck, RetryAsksAgainWhileTheFileIsStillInUse)
{
    std::string uninstaller = windows_ + "\\Qorvunst.exe";
    ASSERT_NO_FATAL_FAILURE(InstallEarlierHolding(uninstaller));
    // Two retries find the file still held; it is let go at the third box.
    BoxAnswerer boxes(IDRETRY);
    boxes.onBox = [](const BoxSeen& box) {
        if (box.count == 3 && s_held != INVALID_HANDLE_VALUE) {
            CloseHandle(s_held);
            s_held = INVALID_HANDLE_VALUE;
        }
    };
    EXPECT_EQ(InstallFiles(page_), 1);
    EXPECT_EQ(boxes.boxes.size(), 3u);
    for (const BoxSeen& box : boxes.boxes) {
        EXPECT_EQ(box.text, Expected(uninstaller));
    }
}

TEST_F(ReplaceCheck, AFreeOrMissingFileCanBeReplaced)
{
    std::string path = root_ + "\\free.txt";
    EXPECT_TRUE(CanReplace(path.c_str()));
    ASSERT_TRUE(WriteWholeFile(path, "x"));
    EXPECT_TRUE(CanReplace(path.c_str()));
    // Others reading it with sharing still hold it open.
    HANDLE shared = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(shared, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CanReplace(path.c_str()));
    CloseHandle(shared);
    // A read-only file is the pass's to replace, not in use.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(CanReplace(path.c_str()));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Creating over a read-only, hidden or system file fails; the setup's own
// files are replaced whatever attributes they were given.
TEST_F(ReplaceCheck, ReplacesFilesWithStubbornAttributes)
{
    std::string uninstaller = windows_ + "\\Qorvunst.exe";
    std::string original;
    ASSERT_TRUE(ReadWholeFile("product-files\\Qorvunst.exe", &original));
    g_setup.manifest.entryCount = 1;
    const DWORD attributes[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN,
                                FILE_ATTRIBUTE_SYSTEM};
    for (DWORD attribute : attributes) {
        SCOPED_TRACE(attribute);
        SetFileAttributesA(uninstaller.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteWholeFile(uninstaller, "older"));
        ASSERT_TRUE(SetFileAttributesA(uninstaller.c_str(), attribute));
        ASSERT_TRUE(GetFileAttributesA(uninstaller.c_str()) & attribute)
            << "this file system keeps no such attribute";
        g_setup.state.progressTotal = 0;
        g_setup.state.progressDone = 0;
        BoxAnswerer boxes(IDOK);
        EXPECT_EQ(InstallFiles(page_), 1);
        EXPECT_EQ(boxes.boxes.size(), 0u) << boxes.seen.text;
        std::string installed;
        ASSERT_TRUE(ReadWholeFile(uninstaller, &installed));
        EXPECT_TRUE(installed == original);
        EXPECT_FALSE(GetFileAttributesA(uninstaller.c_str()) & attribute);
    }
}

TEST_F(ReplaceCheck, AnEmptyFolderSlotFailsLikeAFileThatCannotBeCreated)
{
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    SetCurrentDirectoryA(root_.c_str());
    std::string atRoot = root_.substr(0, 2) + "\\Qorvunst.exe";
    g_setup.state.windowsFolder[0] = '\0';
    g_setup.manifest.entryCount = 3;
    BoxAnswerer boxes(IDOK);
    int result = InstallFiles(page_);
    SetCurrentDirectoryA(current);
    EXPECT_EQ(result, -1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.seen.text, kCreateFailed);
    EXPECT_EQ(boxes.seen.icon, LoadIconA(NULL, IDI_HAND));
    EXPECT_FALSE(Exists(atRoot)) << "written at the drive's root";
    // It fails at its own turn, the first: nothing after it is written.
    EXPECT_FALSE(Exists(dest_ + "\\Pembrix.exe"));
}

}  // namespace
