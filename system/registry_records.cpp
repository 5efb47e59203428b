#include "registry_records.h"

#include <windows.h>

#include "install_state.h"
#include "made_list.h"
#include "number_text.h"
#include "path_helpers.h"
#include "run_log.h"
#include "shell_texts.h"
#include "shortcuts.h"

namespace {

// The key the values go to, as the log names it; room for what wsprintfA
// writes.
char s_keyPath[kLogLineSize + 1];

// Creates or opens the key path below parent, which is HKEY_LOCAL_MACHINE's
// key above ("" for the hive itself); null on failure.
HKEY CreateKey(HKEY parent, const char* above, const char* path)
{
    char emptyClass[] = "";
    HKEY key;
    DWORD disposition;
    if (RegCreateKeyExA(parent, path, 0, emptyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        NULL, &key, &disposition) != ERROR_SUCCESS) {
        return NULL;
    }
    wsprintfA(s_keyPath, "HKLM\\%s%s%s", above, above[0] ? "\\" : "", path);
    LogLine("Registry key %s", s_keyPath);
    return key;
}

// Hive, key, name, type and data: what an administrator compares with
// the registry.
void LogValueWritten(const char* name, const char* type, const char* value, LONG result)
{
    if (name == NULL) {
        name = "(default)";
    }
    if (result == ERROR_SUCCESS) {
        LogLine("Registry value %s: %s, %s = %s", s_keyPath, name, type, value);
    } else {
        LogError(name, (DWORD)result);  // after the line of its key
    }
}

// REG_SZ with the terminating NUL counted.
void SetText(HKEY key, const char* name, const char* value)
{
    LONG result =
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value, (DWORD)lstrlenA(value) + 1);
    LogValueWritten(name, "REG_SZ", value, result);
}

void SetNumber(HKEY key, const char* name, DWORD value)
{
    char text[16];
    wsprintfA(text, "%lu", (unsigned long)value);
    LONG result = RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value);
    LogValueWritten(name, "REG_DWORD", text, result);
}

// The unpacked sizes of all entries in KB, rounded up.
DWORD EstimatedSize()
{
    const ProductManifest& manifest = g_setup.manifest;
    int count = manifest.entryCount;
    if (count > (int)kPayloadTableSize) {
        count = kPayloadTableSize;
    }
    unsigned long long total = 0;
    for (int i = 0; i < count; ++i) {
        total += manifest.files[i].unpackedSize;
    }
    return (DWORD)((total + 1023) / 1024);
}

// What the list of installed programs shows and what deployment tools read
// beside the setup's own values: the icon, the folder, the size, the date,
// and the command that removes the product without a window. A value
// whose text would not fit is left out rather than cut.
void WriteDeploymentValues(HKEY entry, char buffer[kKeyBufferSize])
{
    const ProductManifest& manifest = g_setup.manifest;
    const InstallState& state = g_setup.state;
    if (JoinPath(buffer, kKeyBufferSize, state.destinationFolder,
                 manifest.files[kMainProgramEntry].targetName, false) &&
        AppendText(buffer, kKeyBufferSize, ",0")) {
        SetText(entry, "DisplayIcon", buffer);
    }
    SetText(entry, "InstallLocation", state.destinationFolder);
    SetNumber(entry, "EstimatedSize", EstimatedSize());
    SYSTEMTIME today;
    GetLocalTime(&today);
    wsprintfA(buffer, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    SetText(entry, "InstallDate", buffer);
    SetText(entry, "URLInfoAbout", manifest.webPage);
    SetNumber(entry, "NoModify", 1);
    SetNumber(entry, "NoRepair", 1);
    uint32_t major, minor;
    ReadVersion(manifest.version, &major, &minor);
    SetNumber(entry, "VersionMajor", major);
    SetNumber(entry, "VersionMinor", minor);
    SetText(entry, "Contact", kSupportAddress);
    SetText(entry, "Comments", manifest.tagline);
    if (JoinPath(buffer, kKeyBufferSize, state.windowsFolder,
                 manifest.files[kUninstallerEntry].targetName, true) &&
        AppendText(buffer, kKeyBufferSize, " " QUIET_UNINSTALL_SWITCH)) {
        SetText(entry, "QuietUninstallString", buffer);
    }
}

// A value of a key under HKEY_LOCAL_MACHINE into the buffer; size holds
// the buffer's size and then the value's, type the value's type.
LONG QueryValue(const char* path, REGSAM access, const char* name, char* buffer, DWORD* size,
                DWORD* type)
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    result = RegQueryValueExA(key, name, NULL, type, (BYTE*)buffer, size);
    RegCloseKey(key);
    return result;
}

// A key under HKEY_LOCAL_MACHINE with one text value.
void WriteKeyText(const char* path, const char* name, const char* value)
{
    HKEY key = CreateKey(HKEY_LOCAL_MACHINE, "", path);
    if (key != NULL) {
        SetText(key, name, value);
        RegCloseKey(key);
    }
}

}  // namespace

void SetShellUnloadFlag()
{
    WriteKeyText(SHELL_UNLOAD_KEY, NULL, "1");
}

bool ReadPreviousFolder(char buffer[kPreviousFolderSize])
{
    DWORD size = kPreviousFolderSize;
    DWORD type = 0;
    if (QueryValue(VENDOR_KEY, KEY_ALL_ACCESS, g_setup.manifest.productName, buffer, &size,
                   &type) != ERROR_SUCCESS) {
        return false;
    }
    // Only a terminated string that fits a folder slot is a folder: the
    // value may have been stored without its NUL or longer than a slot.
    for (DWORD i = 0; i < size && i < kFolderSlotSize; ++i) {
        if (buffer[i] == '\0') {
            return true;
        }
    }
    buffer[0] = '\0';
    return false;
}

static_assert((int)kGroupValueBufferSize == (int)kGroupNameSize, "group buffer");

namespace {

// A terminated text that fits the buffer, else false.
bool ReadText(const char* path, const char* name, char* buffer, DWORD size)
{
    DWORD type = 0;
    DWORD length = size;
    LONG result = QueryValue(path, KEY_READ, name, buffer, &length, &type);
    if (result != ERROR_SUCCESS || type != REG_SZ || length == 0 || buffer[length - 1] != '\0') {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace

bool HasUninstallEntry()
{
    char path[kKeyBufferSize];
    HKEY key;
    if (!JoinPath(path, sizeof path, UNINSTALL_LIST_KEY, g_setup.manifest.productName, false) ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

namespace {

// A text value of the earlier installation's uninstall entry.
bool ReadEntryText(const char* name, char* buffer, DWORD size)
{
    char path[kKeyBufferSize];
    return JoinPath(path, sizeof path, UNINSTALL_LIST_KEY, g_setup.manifest.productName, false) &&
           ReadText(path, name, buffer, size);
}

}  // namespace

bool ReadPreviousGroup(char buffer[kGroupValueBufferSize])
{
    return ReadEntryText(PROGRAM_GROUP_VALUE, buffer, kGroupValueBufferSize);
}

bool ReadPreviousScope()
{
    char value[2];
    return ReadEntryText(ALL_USERS_VALUE, value, sizeof value) && value[0] == '1';
}

const char* ReadInstalledVersion(char* buffer, unsigned long size)
{
    // As the entry shows it: "v" and the version.
    return ReadEntryText(DISPLAY_VERSION_VALUE, buffer, size) && buffer[0] == 'v' ? buffer + 1
                                                                                  : NULL;
}

void WriteRegistryRecords()
{
    const ProductManifest& manifest = g_setup.manifest;
    const InstallState& state = g_setup.state;
    char keyBuffer[kKeyBufferSize];

    WriteKeyText(VENDOR_KEY, manifest.productName, state.destinationFolder);
    WriteKeyText(VERSION_KEY, VERSION_VALUE_NAME, manifest.version);

    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_LIST_KEY, 0, KEY_ALL_ACCESS, &list) ==
        ERROR_SUCCESS) {
        HKEY entry = CreateKey(list, UNINSTALL_LIST_KEY, manifest.productName);
        if (entry != NULL) {
            SetText(entry, "DisplayName", manifest.productName);
            // The version field holds at most 9 characters, so "v%s" fits.
            wsprintfA(keyBuffer, "v%s", manifest.version);
            SetText(entry, DISPLAY_VERSION_VALUE, keyBuffer);
            // A command that would not fit is left out rather than cut.
            if (JoinPath(keyBuffer, sizeof keyBuffer, state.windowsFolder,
                         manifest.files[kUninstallerEntry].targetName, false)) {
                SetText(entry, "UninstallString", keyBuffer);
            }
            SetText(entry, PROGRAM_PATH_VALUE, state.destinationFolder);
            SetText(entry, PROGRAM_GROUP_VALUE, state.groupName);
            // An earlier run's record stays when this one made no folder.
            const char* made = FirstMadeLevel();
            if (made != NULL) {
                SetText(entry, CREATED_FOLDER_VALUE, made);
            }
            SetText(entry, ALL_USERS_VALUE, state.allUsers ? "1" : "0");
            SetText(entry, "Publisher", manifest.publisher);
            SetText(entry, "HelpLink", manifest.webPage);
            WriteDeploymentValues(entry, keyBuffer);
            RegCloseKey(entry);
        }
        RegCloseKey(list);
    }

    // Links for all users have no SendTo folder of theirs.
    if (state.sendToFolder[0] != '\0' &&
        MakeShortcutPath(keyBuffer, sizeof keyBuffer, state.sendToFolder, "",
                         manifest.files[kUpdaterEntry].caption)) {
        RemoveStaleLink(keyBuffer, manifest.files[kUpdaterEntry].targetName);
    }
}
