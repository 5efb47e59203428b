// Deletions left pending for the next start, as a removal leaves them for
// a file in use: a reinstall that writes the file anew cancels them, and
// nothing else in the list.
#include <gtest/gtest.h>

#include <string>

#include "install_pass.h"
#include "pass_fixture.h"
#include "pending_deletions.h"
#include "shortcuts.h"

namespace {

// The list as text, each name followed by "|", or "-" when there is none.
std::string PendingList()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "-";
    }
    WCHAR list[8192];
    DWORD size = sizeof list;
    LONG result = RegQueryValueExW(key, L"" PENDING_RENAMES_VALUE, NULL, NULL, (BYTE*)list, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        return "-";
    }
    std::string text;
    for (DWORD i = 0; i < size / sizeof *list; ++i) {
        text += list[i] == 0 ? '|' : (char)list[i];
    }
    return text;
}

// Whether the list deletes path: its name and an empty new name.
bool Deletes(const std::string& list, const std::string& path)
{
    return list.find("\\??\\" + path + "||") != std::string::npos;
}

// Whether the list renames path to another name.
bool Renames(const std::string& list, const std::string& path)
{
    std::string name = "\\??\\" + path + "|";
    for (size_t at = list.find(name); at != std::string::npos; at = list.find(name, at + 1)) {
        if (at + name.size() < list.size() && list[at + name.size()] != '|') {
            return true;
        }
    }
    return false;
}

bool MarkForDeletion(const std::string& path)
{
    return MoveFileExA(path.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

// Puts the system's list back as it was before each case.
class PendingDeletion : public PassFixture {
protected:
    void SetUp() override
    {
        PassFixture::SetUp();
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, 0, KEY_ALL_ACCESS, &key_);
        size_ = sizeof saved_;
        had_ = RegQueryValueExW(key_, L"" PENDING_RENAMES_VALUE, NULL, NULL, saved_, &size_) ==
               ERROR_SUCCESS;
    }
    void TearDown() override
    {
        if (had_) {
            RegSetValueExW(key_, L"" PENDING_RENAMES_VALUE, 0, REG_MULTI_SZ, saved_, size_);
        } else {
            RegDeleteValueW(key_, L"" PENDING_RENAMES_VALUE);
        }
        RegCloseKey(key_);
        PassFixture::TearDown();
    }
    HKEY key_;
    BYTE saved_[16384];
    DWORD size_;
    bool had_;
};

TEST_F(PendingDeletion, AReinstallCancelsOnlyTheDeletionsOfWhatItWrites)
{
    std::string dest = root_ + "\\Dest";
    SetDestination(dest);
    Limit(3);
    ASSERT_EQ(InstallFiles(page_), 1);
    std::string program = dest + "\\Quorvel.exe";
    std::string uninstaller = windows_ + "\\Qorvunst.exe";
    std::string other = root_ + "\\other.txt", renamed = root_ + "\\renamed.txt";
    ASSERT_TRUE(WriteWholeFile(other, "other"));
    ASSERT_TRUE(MarkForDeletion(program));
    ASSERT_TRUE(MarkForDeletion(uninstaller));
    ASSERT_TRUE(MarkForDeletion(other));
    ASSERT_TRUE(MoveFileExA(other.c_str(), renamed.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT));
    // A rename of the program somewhere else is no deletion of it.
    ASSERT_TRUE(MoveFileExA(program.c_str(), renamed.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT));
    std::string before = PendingList();
    ASSERT_TRUE(Deletes(before, program)) << before;

    ResetProgress();
    ASSERT_EQ(InstallFiles(page_), 1);
    std::string after = PendingList();
    EXPECT_FALSE(Deletes(after, program)) << after;
    EXPECT_FALSE(Deletes(after, uninstaller)) << after;
    EXPECT_TRUE(Deletes(after, other)) << after;
    EXPECT_TRUE(Renames(after, other)) << after;
    EXPECT_TRUE(Renames(after, program)) << after;

    // Cancelled in any letter case; a list left empty goes.
    RegDeleteValueW(key_, L"" PENDING_RENAMES_VALUE);
    ASSERT_TRUE(MarkForDeletion(program));
    CharUpperA(&program[0]);
    CancelPendingDeletion(program.c_str());
    EXPECT_EQ(PendingList(), "-");
}

TEST_F(PendingDeletion, ALinkFileIsWrittenOnlyAfterItsDeletionIsCancelled)
{
    std::string link = root_ + "\\Quorvel.lnk";
    ASSERT_TRUE(WriteWholeFile(link, "old link"));
    ASSERT_TRUE(MarkForDeletion(link));
    CoInitialize(NULL);
    MakeLink((windows_ + "\\Quorvel.exe").c_str(), windows_.c_str(), link.c_str(), "Quorvel");
    CoUninitialize();
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(link, &contents));
    EXPECT_NE(contents, "old link");
    EXPECT_FALSE(Deletes(PendingList(), link));
}

// The restart itself, run by tests/pending_deletion.sh: the first case
// leaves the reinstalled files and the list, the script restarts Wine's
// Windows, and the second case finds what the restart left.
class PendingRestart : public PassFixture {
protected:
    void SetUp() override
    {
        PassFixture::SetUp();
        top_ = HostFolder("VANTOR_PENDING");
        if (top_.empty()) {
            GTEST_SKIP() << "run by the pending-deletion script only";
        }
        SetDestination(top_ + "\\Dest");
        strcpy(g_setup.state.windowsFolder, (top_ + "\\Win").c_str());
        Limit(3);
    }
    std::string top_;
};

TEST_F(PendingRestart, MarkedThenReinstalled)
{
    CreateDirectoryA((top_ + "\\Win").c_str(), NULL);
    ASSERT_EQ(InstallFiles(page_), 1);
    ASSERT_TRUE(WriteWholeFile(top_ + "\\other.txt", "other"));
    for (const char* name : {"\\Dest\\Quorvel.exe", "\\Win\\Qorvunst.exe", "\\other.txt"}) {
        ASSERT_TRUE(MarkForDeletion(top_ + name)) << name;
    }
    ResetProgress();
    ASSERT_EQ(InstallFiles(page_), 1);
    std::string list = PendingList();
    EXPECT_FALSE(Deletes(list, top_ + "\\Dest\\Quorvel.exe")) << list;
    EXPECT_FALSE(Deletes(list, top_ + "\\Win\\Qorvunst.exe")) << list;
    EXPECT_TRUE(Deletes(list, top_ + "\\other.txt")) << list;
}

TEST_F(PendingRestart, TheNewFilesSurviveTheRestart)
{
    EXPECT_FALSE(Exists(top_ + "\\other.txt")) << "the restart did not run the list";
    for (int entry = 0; entry < 3; ++entry) {
        const char* name = g_setup.manifest.files[entry].targetName;
        std::string folder = entry == 0 ? "\\Win\\" : "\\Dest\\";
        std::string installed, original;
        ASSERT_TRUE(ReadWholeFile(top_ + folder + name, &installed)) << name;
        ASSERT_TRUE(ReadWholeFile(std::string("product-files\\") + name, &original));
        EXPECT_TRUE(installed == original) << name;
    }
    RemoveTree(top_);
}

}  // namespace
