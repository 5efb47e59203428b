// Registry records against Wine's real registry.
#include <gtest/gtest.h>

#include <string.h>

#include "install_state.h"
#include "registry_records.h"
#include "shortcuts.h"
#include "test_support.h"

namespace {

// A value's type, stored length and bytes, read back as they lie.
struct Stored {
    DWORD type;
    DWORD length;
    std::string bytes;
};

bool ReadValue(const char* keyPath, const char* name, Stored* out)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    char data[1024];
    out->length = sizeof data;
    LONG result = RegQueryValueExA(key, name, NULL, &out->type, (BYTE*)data, &out->length);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        return false;
    }
    out->bytes.assign(data, out->length);
    return true;
}

// REG_SZ with the text and its terminating NUL.
void ExpectText(const char* keyPath, const char* name, const std::string& text)
{
    Stored value;
    ASSERT_TRUE(ReadValue(keyPath, name, &value)) << keyPath << " " << (name ? name : "(default)");
    EXPECT_EQ(value.type, (DWORD)REG_SZ) << name;
    EXPECT_EQ(value.length, text.size() + 1) << name;
    EXPECT_EQ(value.bytes, text + std::string(1, '\0')) << name;
}

void SetRaw(const char* name, DWORD type, const std::string& bytes)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, VENDOR_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                              NULL),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, (const BYTE*)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(key);
}

const char kEntryKey[] = UNINSTALL_LIST_KEY "\\" PRODUCT_NAME;

class RegistryRecords : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetInstallState();
        ClearProductRegistry();
        sendTo_ = MakeTestFolder("sendto");
        strcpy(g_setup.state.destinationFolder, "D:\\Apps\\Quorvel");
        strcpy(g_setup.state.windowsFolder, "C:\\Windows With Blanks");
        strcpy(g_setup.state.sendToFolder, sendTo_.c_str());
        strcpy(g_setup.state.groupName, "Quorvel Tools");
    }
    void TearDown() override
    {
        RemoveTree(sendTo_);
        ClearProductRegistry();
        ResetInstallState();
    }
    std::string sendTo_;
};

TEST_F(RegistryRecords, WritesEveryValueWithItsTerminatorCounted)
{
    WriteRegistryRecords();
    ExpectText(VENDOR_KEY, "Quorvel", "D:\\Apps\\Quorvel");
    ExpectText(VERSION_KEY, "Program Version", "3.02");
    ExpectText(kEntryKey, "DisplayName", "Quorvel");
    ExpectText(kEntryKey, "DisplayVersion", "v3.02");
    Stored version;
    ASSERT_TRUE(ReadValue(kEntryKey, "DisplayVersion", &version));
    EXPECT_EQ(version.length, 6u);
    // No quotes, even with blanks in the folder.
    ExpectText(kEntryKey, "UninstallString", "C:\\Windows With Blanks\\Qorvunst.exe");
    ExpectText(kEntryKey, "Program Path", "D:\\Apps\\Quorvel");
    ExpectText(kEntryKey, "Program Group", "Quorvel Tools");
    ExpectText(kEntryKey, "Publisher", "Brindlemoor");
    ExpectText(kEntryKey, "HelpLink", g_setup.manifest.webPage);
}

TEST_F(RegistryRecords, TheEntryTellsDeploymentToolsWhatTheyLookFor)
{
    SYSTEMTIME before;
    GetLocalTime(&before);
    WriteRegistryRecords();
    ExpectText(kEntryKey, "DisplayIcon", "D:\\Apps\\Quorvel\\Quorvel.exe,0");
    ExpectText(kEntryKey, "InstallLocation", "D:\\Apps\\Quorvel");
    ExpectText(kEntryKey, "URLInfoAbout", g_setup.manifest.webPage);
    ExpectText(kEntryKey, "QuietUninstallString", "\"C:\\Windows With Blanks\\Qorvunst.exe\" /S");
    uint64_t total = 0;
    for (int i = 0; i < g_setup.manifest.entryCount; ++i) {
        total += g_setup.manifest.files[i].unpackedSize;
    }
    const struct {
        const char* name;
        DWORD value;
    } numbers[] = {{"EstimatedSize", (DWORD)((total + 1023) / 1024)}, {"NoModify", 1}, {"NoRepair", 1}};
    for (const auto& n : numbers) {
        Stored stored;
        ASSERT_TRUE(ReadValue(kEntryKey, n.name, &stored)) << n.name;
        EXPECT_EQ(stored.type, (DWORD)REG_DWORD) << n.name;
        ASSERT_EQ(stored.length, 4u) << n.name;
        DWORD value;
        memcpy(&value, stored.bytes.data(), sizeof value);
        EXPECT_EQ(value, n.value) << n.name;
    }
    EXPECT_GT(total % 1024, 0u) << "the rounding up is exercised";
    // The date as the day began or ended, should midnight pass meanwhile.
    SYSTEMTIME after;
    GetLocalTime(&after);
    char first[16], last[16];
    snprintf(first, sizeof first, "%04u%02u%02u", before.wYear, before.wMonth, before.wDay);
    snprintf(last, sizeof last, "%04u%02u%02u", after.wYear, after.wMonth, after.wDay);
    Stored date;
    ASSERT_TRUE(ReadValue(kEntryKey, "InstallDate", &date));
    std::string stored = date.bytes.substr(0, date.length - 1);
    EXPECT_TRUE(stored == first || stored == last) << stored;
}

TEST_F(RegistryRecords, AReinstallOverwritesTheValues)
{
    WriteRegistryRecords();
    strcpy(g_setup.state.destinationFolder, "E:\\Elsewhere");
    WriteRegistryRecords();
    ExpectText(VENDOR_KEY, "Quorvel", "E:\\Elsewhere");
    ExpectText(kEntryKey, "Program Path", "E:\\Elsewhere");
}

TEST_F(RegistryRecords, PreviousFolderReadsBackWhatWasWritten)
{
    char buffer[kPreviousFolderSize];
    EXPECT_FALSE(ReadPreviousFolder(buffer));
    WriteRegistryRecords();
    ASSERT_TRUE(ReadPreviousFolder(buffer));
    EXPECT_STREQ(buffer, "D:\\Apps\\Quorvel");
}

TEST_F(RegistryRecords, PreviousFolderRefusesWhatIsNoFolderSlot)
{
    char buffer[kPreviousFolderSize];
    std::string longest(255, 'f');
    SetRaw("Quorvel", REG_SZ, longest + std::string(1, '\0'));
    ASSERT_TRUE(ReadPreviousFolder(buffer));
    EXPECT_EQ(strlen(buffer), 255u);

    SetRaw("Quorvel", REG_SZ, longest + "g" + std::string(1, '\0'));
    EXPECT_FALSE(ReadPreviousFolder(buffer));
    // Stored without its terminator.
    SetRaw("Quorvel", REG_BINARY, "C:\\Apps");
    memset(buffer, 'z', sizeof buffer);
    EXPECT_FALSE(ReadPreviousFolder(buffer));
    SetRaw("Quorvel", REG_SZ, std::string(300, 'h') + std::string(1, '\0'));
    EXPECT_FALSE(ReadPreviousFolder(buffer));
}

TEST_F(RegistryRecords, RemovesTheStaleUpdaterShortcutOnly)
{
    // Only a link to a file named as the updater is the stale one; a file
    // of that name kept for another program, or no link at all, stays.
    struct Case {
        const char* target;
        bool removed;
    };
    const Case cases[] = {{"C:\\Old\\Pembrix.exe", true},
                          {"C:\\Old\\PEMBRIX.EXE", true},
                          {"C:\\Tools\\Other.exe", false},
                          {"C:\\Pembrix.exe\\Other.exe", false},
                          {NULL, false}};
    std::string update = sendTo_ + "\\Update.lnk";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target ? c.target : "no link");
        if (c.target != NULL) {
            CoInitialize(NULL);
            MakeLink(c.target, "C:\\Old", update.c_str(), "Update");
            CoUninitialize();
        } else {
            ASSERT_TRUE(WriteWholeFile(update, "stale"));
        }
        ASSERT_TRUE(WriteWholeFile(sendTo_ + "\\Quorvel.lnk", "link"));
        WriteRegistryRecords();
        EXPECT_EQ(GetFileAttributesA(update.c_str()) == INVALID_FILE_ATTRIBUTES, c.removed);
        EXPECT_NE(GetFileAttributesA((sendTo_ + "\\Quorvel.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
        DeleteFileA(update.c_str());
    }
}

TEST_F(RegistryRecords, SkipsAnUninstallStringThatWouldNotFit)
{
    // 250 characters of Windows folder leave no room for "\Qorvunst.exe"
    // in the 256-byte key buffer.
    std::string folder = "C:\\" + std::string(247, 'w');
    strcpy(g_setup.state.windowsFolder, folder.c_str());
    WriteRegistryRecords();
    Stored value;
    EXPECT_FALSE(ReadValue(kEntryKey, "UninstallString", &value));
    ExpectText(kEntryKey, "Program Path", "D:\\Apps\\Quorvel");
}

// An empty slot means the shell gave no usable folder: nothing may then be
// written or deleted at the root of the current drive instead.
TEST_F(RegistryRecords, AnEmptyFolderSlotNamesNothingAtTheDriveRoot)
{
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    SetCurrentDirectoryA(sendTo_.c_str());
    std::string rootLink = sendTo_.substr(0, 2) + "\\Update.lnk";
    ASSERT_TRUE(WriteWholeFile(rootLink, "someone else's"));
    g_setup.state.windowsFolder[0] = '\0';
    g_setup.state.sendToFolder[0] = '\0';
    WriteRegistryRecords();
    SetCurrentDirectoryA(current);

    std::string contents;
    EXPECT_TRUE(ReadWholeFile(rootLink, &contents)) << rootLink << " was deleted";
    DeleteFileA(rootLink.c_str());
    Stored value;
    EXPECT_FALSE(ReadValue(kEntryKey, "UninstallString", &value)) << value.bytes;
    // The rest of the entry is written as always.
    ExpectText(kEntryKey, "DisplayName", "Quorvel");
    ExpectText(kEntryKey, "Program Path", "D:\\Apps\\Quorvel");
}

TEST(ShellUnloadFlag, SetsTheDefaultValue)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SHELL_UNLOAD_KEY);
    SetShellUnloadFlag();
    ExpectText(SHELL_UNLOAD_KEY, NULL, "1");
}

}  // namespace
