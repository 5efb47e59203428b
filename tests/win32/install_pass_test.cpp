// The installation pass against real files, file times and folders.
#include <gtest/gtest.h>

#include <string.h>

#include "extraction_page.h"
#include "folder_access.h"
#include "install_pass.h"
#include "install_state.h"
#include "number_text.h"
#include "pass_fixture.h"
#include "page_ids.h"
#include "registry_records.h"
#include "test_support.h"

namespace {

std::string Text(HWND window, int id)
{
    char text[300];
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

std::string Thousands(uint32_t value)
{
    char text[kNumberTextSize];
    FormatThousands(value, text);
    return text;
}

FILETIME ManifestFileTime()
{
    FILETIME local, utc;
    SystemTimeToFileTime((const SYSTEMTIME*)&g_setup.manifest.fileTime, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// Counts the texts set on one control: one per progress report.
WNDPROC s_oldCounterProc;
int s_textsSet;
LRESULT CALLBACK CountTexts(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT) {
        ++s_textsSet;
    }
    return CallWindowProcA(s_oldCounterProc, window, message, wParam, lParam);
}

class InstallPass : public PassFixture {
protected:
    // The pass over the first count entries stops at a file it cannot
    // make, with the one error box, answered with OK.
    void ExpectCreateFailure(int count, const char* text = CREATE_FAILED_TEXT)
    {
        Limit(count);
        BoxAnswerer boxes(IDOK);
        EXPECT_EQ(InstallFiles(page_), -1);
        EXPECT_EQ(boxes.seen.count, 1);
        EXPECT_EQ(boxes.seen.caption, "Vantor");
        EXPECT_EQ(boxes.seen.text, text);
        EXPECT_EQ(boxes.seen.icon, LoadIconA(NULL, IDI_HAND));
    }
};

TEST_F(InstallPass, WritesEveryEntryExactlyWithTheManifestTime)
{
    SetDestination(root_ + "\\Brindlemoor\\Quorvel");
    BoxAnswerer boxes(IDOK);
    ASSERT_EQ(InstallFiles(page_), 1);
    EXPECT_EQ(boxes.seen.count, 0) << boxes.seen.text;

    const ProductManifest& m = g_setup.manifest;
    FILETIME expected = ManifestFileTime();
    uint32_t total = 0;
    for (int i = 0; i < m.entryCount; ++i) {
        const PayloadEntry& e = m.files[i];
        total += e.unpackedSize;
        std::string folder = (e.flags & kIntoWindowsFolder) ? windows_ : root_ + "\\Brindlemoor\\Quorvel";
        // Times first: reading the file could move its access time.
        HANDLE file = CreateFileA((folder + "\\" + e.targetName).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << e.targetName;
        FILETIME created, accessed, written;
        GetFileTime(file, &created, &accessed, &written);
        CloseHandle(file);
        EXPECT_TRUE(SameTime(created, expected)) << e.targetName;
        EXPECT_TRUE(SameTime(accessed, expected)) << e.targetName;
        EXPECT_TRUE(SameTime(written, expected)) << e.targetName;

        std::string installed, original;
        ASSERT_TRUE(ReadWholeFile(folder + "\\" + e.targetName, &installed)) << e.targetName;
        ASSERT_TRUE(ReadWholeFile(std::string("product-files\\") + e.targetName, &original))
            << e.targetName;
        EXPECT_EQ(installed.size(), e.unpackedSize) << e.targetName;
        EXPECT_TRUE(installed == original) << e.targetName << " differs from the product's file";
    }
    // Only the uninstaller goes to the Windows folder.
    EXPECT_EQ(GetFileAttributesA((root_ + "\\Brindlemoor\\Quorvel\\Qorvunst.exe").c_str()),
              INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(g_setup.state.progressTotal, total);
    EXPECT_EQ(g_setup.state.progressDone, total);
    EXPECT_EQ(g_setup.state.barValue, 200);
    EXPECT_EQ(Text(page_, IDC_TOTAL_SIZE), Thousands(total));
    EXPECT_EQ(Text(page_, IDC_CURRENT_SIZE), Text(page_, IDC_TOTAL_SIZE));
    EXPECT_EQ(Text(page_, IDC_TOTAL_FILES), "7");
    EXPECT_EQ(Text(page_, IDC_CURRENT_FILE), "7");
    EXPECT_EQ(Text(page_, IDC_EXTRACTING), root_ + "\\Brindlemoor\\Quorvel\\RegInfo.txt");
}

TEST_F(InstallPass, FlushWritesNothingAfterAWholeLastBlock)
{
    // The uninstaller is made of whole blocks: one report per block and no
    // flush report; the read-me ends with a rest that the flush reports.
    ASSERT_EQ(g_setup.manifest.files[0].unpackedSize % kOutputBufferSize, 0u);
    ASSERT_NE(g_setup.manifest.files[kReadMeEntry].unpackedSize % kOutputBufferSize, 0u);
    SetDestination(root_ + "\\Dest");
    HWND counter = GetDlgItem(page_, IDC_CURRENT_SIZE);
    s_oldCounterProc = (WNDPROC)SetWindowLongPtrA(counter, GWLP_WNDPROC, (LONG_PTR)CountTexts);
    Limit(1);
    s_textsSet = 0;
    ASSERT_EQ(InstallFiles(page_), 1);
    EXPECT_EQ(s_textsSet, (int)(saved_.files[0].unpackedSize / kOutputBufferSize));

    g_setup.manifest.files[0] = saved_.files[kReadMeEntry];
    g_setup.state.progressTotal = 0;
    g_setup.state.progressDone = 0;
    s_textsSet = 0;
    ASSERT_EQ(InstallFiles(page_), 1);
    EXPECT_EQ(s_textsSet, (int)(saved_.files[kReadMeEntry].unpackedSize / kOutputBufferSize) + 1);
}

TEST_F(InstallPass, CreatesTheFolderChainLevelByLevelAndHoldsIt)
{
    std::string a = root_ + "\\A", b = a + "\\B";
    EXPECT_EQ(CreateFolderChain((b + "\\").c_str()), kFolderHeld);
    for (const std::string& level : {a, b}) {
        DWORD attributes = GetFileAttributesA(level.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << level;
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY) << level;
        // Held: no level can be renamed away while the pass runs.
        EXPECT_FALSE(MoveFileA(level.c_str(), (level + "2").c_str())) << level;
    }
    EXPECT_TRUE(LeadsToHeldFolder(b.c_str()));
    EXPECT_TRUE(LeadsToHeldFolder((b + "\\").c_str()));
    EXPECT_FALSE(LeadsToHeldFolder(a.c_str()));
    // Each level made carries the protected list (which Wine does not keep).
    EXPECT_FALSE(CreateProtectedFolder(a.c_str())) << "made twice";
    // Levels that exist already are fine, and held as well.
    EXPECT_EQ(CreateFolderChain((b + "\\C").c_str()), kFolderHeld);
    EXPECT_TRUE(Exists(b + "\\C"));
    EXPECT_FALSE(MoveFileA(b.c_str(), (b + "2").c_str()));
    ReleaseFolderChain();
    EXPECT_FALSE(LeadsToHeldFolder((b + "\\C").c_str()));
    EXPECT_TRUE(MoveFileA(b.c_str(), (b + "2").c_str()));
    // A level that is a file is no folder to hold, nor is a path that is
    // not a drive's.
    ASSERT_TRUE(WriteWholeFile(root_ + "\\file", "x"));
    EXPECT_EQ(CreateFolderChain((root_ + "\\file\\Quorvel").c_str()), kFolderUnusable);
    EXPECT_FALSE(Exists(root_ + "\\file\\Quorvel"));
    EXPECT_EQ(CreateFolderChain("Relative\\Quorvel"), kFolderUnusable);
    EXPECT_EQ(CreateFolderChain((a + "\\\\Empty").c_str()), kFolderUnusable);
}

TEST_F(InstallPass, CleaningKeepsPreservedDataAndSubfolders)
{
    std::string dest = root_ + "\\Old";
    CreateDirectoryA(dest.c_str(), NULL);
    CreateDirectoryA((dest + "\\sub").c_str(), NULL);
    CreateDirectoryA((dest + "\\.cache").c_str(), NULL);
    for (const char* name : {"Data.DAT", "user.Key", "Notes", "old.key.bak", "locked.txt",
                             "sub\\inner.txt", "sub\\keep.pra", ".cache\\cached.txt"}) {
        ASSERT_TRUE(WriteWholeFile(dest + "\\" + name, "x")) << name;
    }
    SetFileAttributesA((dest + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    // Only a held folder is cleaned.
    EXPECT_FALSE(CleanFolder(dest.c_str()));
    EXPECT_TRUE(Exists(dest + "\\Notes"));
    ASSERT_EQ(CreateFolderChain(dest.c_str()), kFolderHeld);
    EXPECT_TRUE(CleanFolder(dest.c_str()));
    EXPECT_TRUE(Exists(dest + "\\Data.DAT"));
    EXPECT_TRUE(Exists(dest + "\\user.Key"));
    EXPECT_FALSE(Exists(dest + "\\Notes"));
    EXPECT_FALSE(Exists(dest + "\\old.key.bak"));
    EXPECT_FALSE(Exists(dest + "\\locked.txt"));
    // The setup makes no subfolders: what is in one is the user's.
    EXPECT_TRUE(Exists(dest + "\\sub\\inner.txt"));
    EXPECT_TRUE(Exists(dest + "\\sub\\keep.pra"));
    EXPECT_TRUE(Exists(dest + "\\.cache\\cached.txt"));
    EXPECT_FALSE(CleanFolder((root_ + "\\missing").c_str()));
}

TEST_F(InstallPass, PreservedExtensionsIgnoreCase)
{
    EXPECT_FALSE(IsDeletableFile("a.key"));
    EXPECT_FALSE(IsDeletableFile("A.Dat"));
    EXPECT_FALSE(IsDeletableFile("x.PRD"));
    EXPECT_FALSE(IsDeletableFile("y.pRa"));
    EXPECT_TRUE(IsDeletableFile("old.key.bak"));
    EXPECT_TRUE(IsDeletableFile("Notes"));
    EXPECT_TRUE(IsDeletableFile("x.keys"));
    EXPECT_TRUE(IsDeletableFile("key."));
}

TEST_F(InstallPass, CleansOnlyWhereAnEarlierInstallationStands)
{
    // A folder the user typed that merely names the product keeps its files.
    std::string mine = root_ + "\\My Quorvel Notes";
    CreateDirectoryA(mine.c_str(), NULL);
    ASSERT_TRUE(WriteWholeFile(mine + "\\thesis.doc", "mine"));
    SetDestination(mine);
    Limit(1);
    ASSERT_EQ(InstallFiles(page_), 1);
    EXPECT_NE(GetFileAttributesA((mine + "\\thesis.doc").c_str()), INVALID_FILE_ATTRIBUTES);

    // A file of the main program's name alone marks nothing: whatever lies
    // beside it is somebody else's.
    std::string lookalike = root_ + "\\Lookalike";
    CreateDirectoryA(lookalike.c_str(), NULL);
    ASSERT_TRUE(WriteWholeFile(lookalike + "\\Quorvel.exe", "not ours"));
    ASSERT_TRUE(WriteWholeFile(lookalike + "\\notes.txt", "theirs"));
    EXPECT_FALSE(HoldsEarlierInstallation(lookalike.c_str()));
    SetDestination(lookalike);
    ASSERT_EQ(InstallFiles(page_), 1);
    EXPECT_NE(GetFileAttributesA((lookalike + "\\notes.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    // The folder the product's record names is one, in any letter case,
    // while its uninstall entry is there.
    std::string stored = root_ + "\\Stored";
    CreateDirectoryA(stored.c_str(), NULL);
    ASSERT_TRUE(WriteWholeFile(stored + "\\stale.txt", "old"));
    EXPECT_FALSE(HoldsEarlierInstallation(stored.c_str()));
    strcpy(g_setup.state.destinationFolder, stored.c_str());
    strcpy(g_setup.state.sendToFolder, root_.c_str());
    WriteRegistryRecords();
    CharUpperA(g_setup.state.destinationFolder);
    EXPECT_TRUE(HoldsEarlierInstallation(g_setup.state.destinationFolder));
    std::string entry = std::string(UNINSTALL_LIST_KEY "\\") + g_setup.manifest.productName;
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, entry.c_str()), ERROR_SUCCESS);
    EXPECT_FALSE(HoldsEarlierInstallation(g_setup.state.destinationFolder));
    WriteRegistryRecords();
    ASSERT_EQ(InstallFiles(page_), 1);
    EXPECT_EQ(GetFileAttributesA((stored + "\\stale.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(InstallPass, CleaningDoesNotFollowLinksOutOfTheFolder)
{
    std::string outside = root_ + "\\Outside";
    CreateDirectoryA(outside.c_str(), NULL);
    ASSERT_TRUE(WriteWholeFile(outside + "\\precious.txt", "keep"));
    std::string dest = root_ + "\\Linked";
    CreateDirectoryA(dest.c_str(), NULL);
    std::string link = dest + "\\elsewhere";
    // Some Wines answer success and make nothing.
    if (!CreateSymbolicLinkA(link.c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no symbolic links in this prefix (error " << GetLastError() << ")";
    }
    DWORD attributes = GetFileAttributesA(link.c_str());
    ASSERT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT) << std::hex << attributes;
    ASSERT_EQ(CreateFolderChain(dest.c_str()), kFolderHeld);
    EXPECT_TRUE(CleanFolder(dest.c_str()));
    EXPECT_NE(GetFileAttributesA((outside + "\\precious.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    RemoveDirectoryA(link.c_str());
}

TEST_F(InstallPass, LeavesAnExistingFileWithoutTheAlwaysFlag)
{
    std::string dest = root_ + "\\Keep";
    CreateDirectoryA(dest.c_str(), NULL);
    SetDestination(dest);
    // Only the read-me entry, without "always write".
    g_setup.manifest.files[0] = saved_.files[kReadMeEntry];
    g_setup.manifest.files[0].flags = kShortcutInDestination;
    Limit(1);
    std::string path = dest + "\\Read Me.txt";
    ASSERT_TRUE(WriteWholeFile(path, "the user's own notes"));
    FILETIME before;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    GetFileTime(file, NULL, NULL, &before);
    CloseHandle(file);

    EXPECT_FALSE(ShouldWriteFile(path.c_str(), 0));
    ASSERT_EQ(InstallFiles(page_), 1);
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(path, &contents));
    EXPECT_EQ(contents, "the user's own notes");
    FILETIME after;
    file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    GetFileTime(file, NULL, NULL, &after);
    CloseHandle(file);
    EXPECT_TRUE(SameTime(before, after));
    EXPECT_EQ(Text(page_, IDC_EXTRACTING), path);
    EXPECT_EQ(Text(page_, IDC_CURRENT_FILE), "1");
    EXPECT_EQ(g_setup.state.progressDone, g_setup.manifest.files[0].unpackedSize);
    // With the flag set, the file would be replaced.
    g_setup.manifest.files[0].flags |= kAlwaysWrite;
    EXPECT_TRUE(ShouldWriteFile(path.c_str(), 0));
}

TEST_F(InstallPass, OverwritesInTheWindowsFolderWithTheAlwaysFlag)
{
    SetDestination(root_ + "\\Dest");
    std::string uninstaller = windows_ + "\\Qorvunst.exe";
    ASSERT_TRUE(WriteWholeFile(uninstaller, "an older uninstaller"));
    Limit(1);
    ASSERT_EQ(InstallFiles(page_), 1);
    std::string installed, original;
    ASSERT_TRUE(ReadWholeFile(uninstaller, &installed));
    ASSERT_TRUE(ReadWholeFile("product-files\\Qorvunst.exe", &original));
    EXPECT_TRUE(installed == original);
}

TEST_F(InstallPass, NoEntriesStillPreparesTheFolder)
{
    SetDestination(root_ + "\\Empty\\Product");
    Limit(0);
    ASSERT_EQ(InstallFiles(page_), 1);
    EXPECT_NE(GetFileAttributesA((root_ + "\\Empty\\Product").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Text(page_, IDC_TOTAL_SIZE), "0");
    EXPECT_EQ(Text(page_, IDC_TOTAL_FILES), "0");
    EXPECT_EQ(Text(page_, IDC_CURRENT_SIZE), "");
}

TEST_F(InstallPass, RefusesATargetPathThatWouldNotFit)
{
    // 250 characters of folder leave no room for "\Pembrix.exe" in 260 bytes.
    std::string deep = root_ + "\\" + std::string(250 - root_.size() - 1, 'd');
    ASSERT_EQ(deep.size(), 250u);
    SetDestination(deep);
    ExpectCreateFailure(2);
}

TEST_F(InstallPass, ReportsAMissingResourceLikeAFileThatCannotBeCreated)
{
    SetDestination(root_ + "\\Dest");
    strcpy(g_setup.manifest.files[0].resourceName, "NOSUCHRES");
    ExpectCreateFailure(1);
    EXPECT_EQ(GetFileAttributesA((windows_ + "\\Qorvunst.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(InstallPass, ReportsATargetThatCannotBeCreated)
{
    // The destination names a file, not a folder.
    std::string notAFolder = root_ + "\\file";
    ASSERT_TRUE(WriteWholeFile(notAFolder, "x"));
    SetDestination(notAFolder);
    ExpectCreateFailure(2);
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(notAFolder, &contents));
    EXPECT_EQ(contents, "x");
}

TEST_F(InstallPass, StopsAtAFolderThatWasThereAndOthersMayChange)
{
    // Checked on the folders held, whatever the page found before.
    std::string open = root_ + "\\Open";
    CreateDirectoryA(open.c_str(), NULL);
    ASSERT_TRUE(LetEveryoneChange(open));
    for (const std::string& destination : {open, open + "\\Quorvel"}) {
        SCOPED_TRACE(destination);
        SetDestination(destination);
        ExpectCreateFailure(1, OPEN_FOLDER_TEXT);
        std::string program =
            destination + "\\" + g_setup.manifest.files[kMainProgramEntry].targetName;
        EXPECT_FALSE(PathExists(program.c_str()));
    }
}

// Run by the full-disk script with VANTOR_FULL_DRIVE naming a drive that
// maps a small filesystem: the pass must not report a truncated file as
// installed.
TEST(FullDisk, AFailedWriteAbortsAndLeavesNoTruncatedFile)
{
    char drive[8];
    if (GetEnvironmentVariableA("VANTOR_FULL_DRIVE", drive, sizeof drive) == 0) {
        GTEST_SKIP() << "run by the full-disk script only";
    }
    ResetInstallState();
    HWND page = CreateProgressWindow();
    std::string dest = std::string(drive) + "\\Quorvel";
    strcpy(g_setup.state.destinationFolder, dest.c_str());
    strcpy(g_setup.state.windowsFolder, dest.c_str());
    BoxAnswerer boxes(IDOK);
    EXPECT_EQ(InstallFiles(page), -1);
    EXPECT_EQ(boxes.seen.count, 1);
    EXPECT_EQ(boxes.seen.text, "Unable to write destination file!\r\nInstallation will now be aborted.");
    EXPECT_EQ(boxes.seen.icon, LoadIconA(NULL, IDI_HAND));
    // Whatever is on the drive is whole.
    for (int i = 0; i < g_setup.manifest.entryCount; ++i) {
        std::string path = dest + "\\" + g_setup.manifest.files[i].targetName;
        std::string contents;
        if (ReadWholeFile(path, &contents)) {
            EXPECT_EQ(contents.size(), g_setup.manifest.files[i].unpackedSize) << path;
        }
    }
    EXPECT_LT(g_setup.state.progressDone, g_setup.state.progressTotal);
    DestroyWindow(page);
    ResetInstallState();
    RemoveTree(dest);
}

}  // namespace
