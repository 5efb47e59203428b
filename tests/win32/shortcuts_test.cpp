// Shortcut creation into folders of the test's own, each link read back
// through the shell's link object.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlguid.h>
#include <shlobj.h>

#include <string>

#include "file_names.h"
#include "install_pass.h"
#include "page_harness.h"
#include "shortcuts.h"

using namespace page_harness;

namespace {

struct Link {
    bool read;
    std::string target;
    std::string folder;
    std::string description;
};

Link ReadLink(const std::string& path)
{
    Link link = {false, "", "", ""};
    CoInitialize(NULL);
    IShellLinkA* shell = NULL;
    IPersistFile* file = NULL;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&shell))) {
        if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, (void**)&file))) {
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char text[MAX_PATH] = "";
                shell->GetPath(text, sizeof text, NULL, SLGP_RAWPATH);
                link.target = text;
                text[0] = '\0';
                shell->GetWorkingDirectory(text, sizeof text);
                link.folder = text;
                text[0] = '\0';
                shell->GetDescription(text, sizeof text);
                link.description = text;
                link.read = true;
            }
            file->Release();
        }
        shell->Release();
    }
    CoUninitialize();
    return link;
}

INT_PTR CALLBACK InertDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class Shortcuts : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = g_setup.manifest;
        ResetInstallState();
        root_ = MakeTestFolder("pages-links");
        dest_ = root_ + "\\Dest";
        win_ = root_ + "\\Win";
        programs_ = root_ + "\\Programs";
        sendTo_ = root_ + "\\SendTo";
        for (const std::string* folder : {&dest_, &win_, &programs_, &sendTo_}) {
            CreateDirectoryA(folder->c_str(), NULL);
        }
        // The installed files the links point to.
        for (int i = 0; i < g_setup.manifest.entryCount; ++i) {
            const PayloadEntry& entry = g_setup.manifest.files[i];
            const std::string& folder = (entry.flags & kIntoWindowsFolder) ? win_ : dest_;
            WriteWholeFile(folder + "\\" + entry.targetName, "installed");
        }
        Use(dest_, win_, programs_, sendTo_, "Quorvel");
        dialog_ = CreateDialogParamA(SetupModule(), MAKEINTRESOURCEA(IDD_SHORTCUTS), NULL,
                                     InertDialog, 0);
    }
    void TearDown() override
    {
        DestroyWindow(dialog_);
        g_setup.manifest = saved_;
        RemoveTree(root_);
        ResetInstallState();
    }
    void Use(const std::string& dest, const std::string& win, const std::string& programs,
             const std::string& sendTo, const char* group)
    {
        lstrcpyA(g_setup.state.destinationFolder, dest.c_str());
        lstrcpyA(g_setup.state.windowsFolder, win.c_str());
        lstrcpyA(g_setup.state.programsFolder, programs.c_str());
        lstrcpyA(g_setup.state.sendToFolder, sendTo.c_str());
        lstrcpyA(g_setup.state.groupName, group);
    }
    LRESULT BarPosition() { return SendDlgItemMessageA(dialog_, IDC_SHORTCUT_PROGRESS, PBM_GETPOS, 0, 0); }
    LRESULT BarTop() { return SendDlgItemMessageA(dialog_, IDC_SHORTCUT_PROGRESS, PBM_GETRANGE, FALSE, 0); }
    void ExpectLink(const std::string& path, const std::string& folder, const char* file,
                    const char* caption)
    {
        SCOPED_TRACE(path);
        Link link = ReadLink(path);
        ASSERT_TRUE(link.read);
        EXPECT_EQ(link.target, folder + "\\" + file);
        EXPECT_EQ(link.folder, folder);
        EXPECT_EQ(link.description, caption);
    }
    int FilesIn(const std::string& folder)
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return -1;
        }
        int files = 0;
        do {
            files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return files;
    }

    ProductManifest saved_;
    std::string root_, dest_, win_, programs_, sendTo_;
    HWND dialog_;
};

TEST_F(Shortcuts, MakesTheGroupLinksAndOneInSendTo)
{
    EXPECT_EQ(CreateShortcuts(dialog_), 1);
    std::string group = programs_ + "\\Quorvel";
    // The uninstaller lives in the Windows folder; the rest in the destination.
    ExpectLink(group + "\\Uninstall.lnk", win_, "Qorvunst.exe", "Uninstall");
    ExpectLink(group + "\\Update.lnk", dest_, "Pembrix.exe", "Update");
    ExpectLink(group + "\\Quorvel.lnk", dest_, "Quorvel.exe", "Quorvel");
    ExpectLink(group + "\\Help.lnk", dest_, "Quorvel.hlp", "Help");
    ExpectLink(group + "\\Read Me.lnk", dest_, "Read Me.txt", "Read Me");
    ExpectLink(sendTo_ + "\\Quorvel.lnk", dest_, "Quorvel.exe", "Quorvel");
    EXPECT_EQ(FilesIn(group), 5) << "entries beyond the shortcut count get none";
    EXPECT_EQ(FilesIn(sendTo_), 1);
    EXPECT_EQ(BarTop(), 5);
    EXPECT_EQ(BarPosition(), 5);
    EXPECT_EQ(ItemText(dialog_, IDC_SHORTCUT_CAPTION), "Read Me");
}

TEST_F(Shortcuts, FoldersEndingInABackslashGetNoSecondOne)
{
    Use(dest_ + "\\", win_, programs_ + "\\", sendTo_ + "\\", "Quorvel");
    EXPECT_EQ(CreateShortcuts(dialog_), 1);
    Link link = ReadLink(programs_ + "\\Quorvel\\Help.lnk");
    ASSERT_TRUE(link.read);
    EXPECT_EQ(link.target, dest_ + "\\Quorvel.hlp");
    link = ReadLink(sendTo_ + "\\Quorvel.lnk");
    ASSERT_TRUE(link.read);
    EXPECT_EQ(link.target, dest_ + "\\Quorvel.exe");
    EXPECT_EQ(FilesIn(sendTo_), 1);
}

TEST_F(Shortcuts, AnExistingGroupIsUsedAndItsLinksReplaced)
{
    std::string group = programs_ + "\\Quorvel";
    CreateDirectoryA(group.c_str(), NULL);
    WriteWholeFile(group + "\\Other.lnk", "someone else's");
    WriteWholeFile(group + "\\Help.lnk", "stale");
    EXPECT_EQ(CreateShortcuts(dialog_), 1);
    std::string other;
    EXPECT_TRUE(ReadWholeFile(group + "\\Other.lnk", &other));
    EXPECT_EQ(other, "someone else's");
    ExpectLink(group + "\\Help.lnk", dest_, "Quorvel.hlp", "Help");
    EXPECT_EQ(FilesIn(group), 6);
}

TEST_F(Shortcuts, ALinkNameThatIsAnotherFilesNameIsReplacedAlone)
{
    // Help.lnk is a second name of somebody's file; the Quorvel link in
    // SendTo one of a read-only file, which cannot lose a name alone here.
    std::string group = programs_ + "\\Quorvel";
    CreateDirectoryA(group.c_str(), NULL);
    std::string writable = root_ + "\\notes.txt", readOnly = root_ + "\\precious.ini";
    for (const std::string* file : {&writable, &readOnly}) {
        ASSERT_TRUE(WriteWholeFile(*file, "precious"));
    }
    ASSERT_TRUE(CreateHardLinkA((group + "\\Help.lnk").c_str(), writable.c_str(), NULL));
    ASSERT_TRUE(CreateHardLinkA((sendTo_ + "\\Quorvel.lnk").c_str(), readOnly.c_str(), NULL));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    DWORD marks = GetFileAttributesA(readOnly.c_str());
    EXPECT_EQ(CreateShortcuts(dialog_), 1);
    for (const std::string* file : {&writable, &readOnly}) {
        std::string contents;
        ASSERT_TRUE(ReadWholeFile(*file, &contents));
        EXPECT_EQ(contents, "precious") << *file;
    }
    EXPECT_EQ(GetFileAttributesA(readOnly.c_str()), marks);
    ExpectLink(group + "\\Help.lnk", dest_, "Quorvel.hlp", "Help");
    EXPECT_TRUE(HasOneName((group + "\\Help.lnk").c_str()));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Shortcuts, ACountOfZeroStillMakesTheGroupAndTheSendToLink)
{
    g_setup.manifest.shortcutCount = 0;
    EXPECT_EQ(CreateShortcuts(dialog_), 1);
    EXPECT_EQ(FilesIn(programs_ + "\\Quorvel"), 0);
    ExpectLink(sendTo_ + "\\Quorvel.lnk", dest_, "Quorvel.exe", "Quorvel");
    EXPECT_EQ(BarPosition(), 0);
    EXPECT_EQ(ItemText(dialog_, IDC_SHORTCUT_CAPTION), "");
}

TEST_F(Shortcuts, ALinkPathTooLongIsNotMade)
{
    // Programs\Quorvel fits (253 characters), its links do not.
    std::string deep = programs_ + "\\" + std::string(100, 'd');
    CreateDirectoryA(deep.c_str(), NULL);
    deep += "\\" + std::string(245 - deep.size() - 1, 'e');
    ASSERT_EQ(deep.size(), 245u);
    if (!CreateDirectoryA(deep.c_str(), NULL)) {
        GTEST_SKIP() << "no folder of 245 characters here";
    }
    Use(dest_, win_, deep, sendTo_, "Quorvel");
    EXPECT_EQ(CreateShortcuts(dialog_), 1);
    EXPECT_EQ(FilesIn(deep + "\\Quorvel"), 0);
    EXPECT_EQ(FilesIn(deep), 0) << "no link cut into another name";
    EXPECT_EQ(BarPosition(), 5) << "the bar still counts every entry";
    ExpectLink(sendTo_ + "\\Quorvel.lnk", dest_, "Quorvel.exe", "Quorvel");
}

TEST_F(Shortcuts, MakeLinkRefusesOverlongPaths)
{
    CoInitialize(NULL);
    std::string target = dest_ + "\\Quorvel.exe";
    std::string longLink = root_ + "\\" + std::string(260, 'k') + ".lnk";
    MakeLink(target.c_str(), dest_.c_str(), longLink.c_str(), "Quorvel");
    std::string longTarget = dest_ + "\\" + std::string(260, 't');
    MakeLink(longTarget.c_str(), dest_.c_str(), (root_ + "\\target.lnk").c_str(), "Quorvel");
    MakeLink(target.c_str(), longTarget.c_str(), (root_ + "\\folder.lnk").c_str(), "Quorvel");
    MakeLink(target.c_str(), dest_.c_str(), (root_ + "\\fine.lnk").c_str(), "Quorvel");
    CoUninitialize();
    EXPECT_EQ(FilesIn(root_), 1);
    ExpectLink(root_ + "\\fine.lnk", dest_, "Quorvel.exe", "Quorvel");
}

TEST_F(Shortcuts, AGroupFolderThatCannotBeMadeIsAFailure)
{
    WriteWholeFile(programs_ + "\\Quorvel", "a file in the way");
    EXPECT_EQ(CreateShortcuts(dialog_), 0);
    EXPECT_EQ(FilesIn(sendTo_), 0);

    // A group path that would not fit is the same.
    DeleteFileA((programs_ + "\\Quorvel").c_str());
    std::string deep = programs_ + "\\" + std::string(100, 'd');
    CreateDirectoryA(deep.c_str(), NULL);
    deep += "\\" + std::string(240 - deep.size() - 1, 'e');
    CreateDirectoryA(deep.c_str(), NULL);
    Use(dest_, win_, deep, sendTo_, std::string(30, 'G').c_str());
    EXPECT_EQ(CreateShortcuts(dialog_), 0);
    EXPECT_EQ(FilesIn(sendTo_), 0);
}

TEST_F(Shortcuts, WithoutAProgramsFolderOnlyTheGroupLinksAreMissing)
{
    Use(dest_, win_, root_ + "\\Missing", sendTo_, "Quorvel");
    EXPECT_EQ(CreateShortcuts(dialog_), 1);
    EXPECT_EQ(FilesIn(root_ + "\\Missing"), -1);
    EXPECT_EQ(BarPosition(), 5);
    ExpectLink(sendTo_ + "\\Quorvel.lnk", dest_, "Quorvel.exe", "Quorvel");

    // An empty slot never becomes a folder at the root of the drive.
    Use(dest_, win_, "", "", "vantor-pages-group");
    EXPECT_EQ(CreateShortcuts(dialog_), 1);
    EXPECT_FALSE(PathExists("\\vantor-pages-group"));
    EXPECT_FALSE(PathExists("\\Quorvel.lnk"));
}

TEST_F(Shortcuts, FailsWhenTheComponentRuntimeCannotStart)
{
    // A thread already in the other threading model cannot be initialised.
    ASSERT_EQ(CoInitializeEx(NULL, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CreateShortcuts(dialog_), 0);
    // Initialised already in the same model: also refused, and given back.
    CoUninitialize();
    ASSERT_EQ(CoInitialize(NULL), S_OK);
    EXPECT_EQ(CreateShortcuts(dialog_), 0);
    CoUninitialize();
    EXPECT_EQ(CoInitialize(NULL), S_OK) << "no use of the runtime left behind";
    CoUninitialize();

    EXPECT_EQ(FilesIn(programs_), 0);
    EXPECT_FALSE(PathExists((programs_ + "\\Quorvel").c_str()));
    EXPECT_EQ(FilesIn(sendTo_), 0);
    EXPECT_EQ(BarTop(), 100) << "the bar is not touched";
}

}  // namespace
