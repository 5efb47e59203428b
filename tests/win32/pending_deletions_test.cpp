// Deletions left pending for the next start, as a removal leaves them for
// a file in use: a reinstall that writes the file anew cancels them, and
// nothing else in the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "install_pass.h"
#include "pass_fixture.h"
#include "pending_deletions.h"
#include "shortcuts.h"

namespace {

// The list as text, each name followed by "|", or "-" when there is none.
std::string PendingList(const WCHAR* value = L"" PENDING_RENAMES_VALUE)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "-";
    }
    static WCHAR list[kPendingListLimit / sizeof(WCHAR) + 1024];
    DWORD size = sizeof list;
    LONG result = RegQueryValueExW(key, value, NULL, NULL, (BYTE*)list, &size);
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

// Stores a list given as PendingList shows it; an empty text deletes it.
bool WritePendingList(const WCHAR* value, const std::string& text)
{
    std::wstring list(text.begin(), text.end());
    std::replace(list.begin(), list.end(), L'|', L'\0');
    return (text.empty() ? RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"" SESSION_MANAGER_KEY, value)
                         : RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"" SESSION_MANAGER_KEY, value,
                                           REG_MULTI_SZ, list.data(),
                                           (DWORD)(list.size() * sizeof(WCHAR)))) ==
           ERROR_SUCCESS;
}

// Whether the list deletes path: its name and an empty new name.
bool Deletes(const std::string& list, const std::string& path)
{
    return list.find("\\??\\" + path + "||") != std::string::npos;
}

bool MarkForDeletion(const std::string& path)
{
    return MoveFileExA(path.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

class PendingDeletion : public PassFixture {};

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

// Newer Windows keeps a second list; the file's deletion goes from either,
// even behind 90 KB of other deletions, and the rest stays as it was.
TEST_F(PendingDeletion, EachListLosesTheFilesDeletionAndKeepsTheRest)
{
    std::string file = root_ + "\\Quorvel.exe";
    std::string ahead = "\\??\\C:\\Other\\" + std::string(45 * 1024, 'x') + "||";
    std::string kept = "\\??\\" + root_ + "\\Other.dat||";
    for (const WCHAR* value : {L"" PENDING_RENAMES_VALUE, L"" PENDING_RENAMES2_VALUE}) {
        ASSERT_TRUE(WritePendingList(value, ahead + "\\??\\" + file + "||" + kept + "|"));
        EXPECT_TRUE(CancelPendingDeletion(file.c_str()));
        EXPECT_TRUE(PendingList(value) == ahead + kept + "|") << "not the rest as it was";
        ASSERT_TRUE(WritePendingList(value, ""));
    }
}

// A list past the limit stays as it is, and the pass stops at its first file.
TEST_F(PendingDeletion, AListPastTheLimitStopsThePass)
{
    std::string list = "\\??\\C:\\" + std::string(kPendingListLimit / 2, 'x') + "|||";
    ASSERT_TRUE(WritePendingList(L"" PENDING_RENAMES_VALUE, list));
    SetDestination(root_ + "\\Dest");
    BoxAnswerer boxes(IDOK);
    EXPECT_EQ(InstallFiles(page_), -1);
    EXPECT_EQ(boxes.seen.text, DELETION_PENDING_TEXT);
    EXPECT_TRUE(PendingList() == list) << "the list changed";
    ASSERT_TRUE(WritePendingList(L"" PENDING_RENAMES_VALUE, ""));
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
    // The program's deletion in other letters, as a removal may have
    // spelled its folder.
    std::string program = top_ + "\\Dest\\Quorvel.exe";
    CharUpperA(&program[0]);
    for (const std::string& path : {program, top_ + "\\Win\\Qorvunst.exe", top_ + "\\other.txt"}) {
        ASSERT_TRUE(MarkForDeletion(path)) << path;
    }
    ResetProgress();
    ASSERT_EQ(InstallFiles(page_), 1);
    std::string list = PendingList();
    EXPECT_FALSE(Deletes(list, program)) << list;
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
