// The registry side of a removal: the uninstall entry read at the start, and
// the setup's records removed at the end. A 32-bit program on 64-bit Windows
// sees the same redirected view as the setup, so both meet in one place.
#include "uninstaller.h"

#include <string.h>

#include "path_helpers.h"
#include "run_log.h"

// A REG_SZ value into a buffer of size bytes, terminated whatever the
// registry holds; false when missing, of another type, or too long.
static bool ReadText(HKEY key, const char* name, char* out, DWORD size)
{
    DWORD type = 0;
    DWORD length = size;
    out[0] = '\0';
    if (RegQueryValueExA(key, name, NULL, &type, (BYTE*)out, &length) != ERROR_SUCCESS ||
        type != REG_SZ || length == 0 || length > size) {
        out[0] = '\0';
        return false;
    }
    if (out[length - 1] != '\0') {
        if (length == size) {
            out[0] = '\0';
            return false;
        }
        out[length] = '\0';
    }
    return true;
}

bool ReadUninstallEntry()
{
    HKEY entry;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallEntryKey, 0, KEY_READ, &entry) !=
        ERROR_SUCCESS) {
        return false;
    }
    g_removal.programPathRead =
        ReadText(entry, PROGRAM_PATH_VALUE, g_removal.programPath, sizeof g_removal.programPath);
    ReadText(entry, PROGRAM_GROUP_VALUE, g_removal.groupName, sizeof g_removal.groupName);
    ReadText(entry, CREATED_FOLDER_VALUE, g_removal.createdFolder, sizeof g_removal.createdFolder);
    char scope[2];
    g_removal.allUsers = ReadText(entry, ALL_USERS_VALUE, scope, sizeof scope) && scope[0] == '1';
    RegCloseKey(entry);
    return true;
}

// True when the key has neither values nor subkeys.
static bool IsEmptyKey(const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD subkeys = 1;
    DWORD values = 1;
    LONG status = RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL,
                                   NULL, NULL, NULL);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

static void DeleteValue(const char* path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        if (RegDeleteValueA(key, name) == ERROR_SUCCESS) {
            LogLine("Registry value HKLM\\%s: %s deleted", path, name);
        }
        RegCloseKey(key);
    }
}

// Removes the key at path and then each parent down to stopLength
// characters, as long as each is left empty.
static void RemoveEmptyKeys(char* path, size_t stopLength)
{
    for (;;) {
        if (!IsEmptyKey(path) || RegDeleteKeyA(HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS) {
            return;
        }
        char* slash = strrchr(path, '\\');
        if (slash == NULL || (size_t)(slash - path) < stopLength) {
            return;
        }
        *slash = '\0';
    }
}

void RemoveRecords()
{
    DeleteValue(kRemovalVendorKey, kProductName);
    char key[MAX_PATH];
    if (CopyText(key, sizeof key, kRemovalVersionKey)) {
        DeleteValue(key, VERSION_VALUE_NAME);
        RemoveEmptyKeys(key, strlen(kRemovalVendorKey));
    }
    // The entry is the product's own key: every value in it is the setup's.
    if (RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallEntryKey) == ERROR_SUCCESS) {
        LogLine("Registry key HKLM\\%s deleted, with its values", kUninstallEntryKey);
    }
}
