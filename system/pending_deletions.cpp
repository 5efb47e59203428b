#include "pending_deletions.h"

#include <windows.h>

#include "pending_renames.h"
#include "run_log.h"

namespace {

// The system's own case rule for one unit, as far as the user interface
// offers it.
uint16_t FoldUnitToUpper(uint16_t unit)
{
    return (uint16_t)(ULONG_PTR)CharUpperW((LPWSTR)(ULONG_PTR)unit);
}

// The system's error code when the list may still move or delete the
// file, else ERROR_SUCCESS.
LONG CancelIn(HKEY key, const WCHAR* value, const WCHAR* target, size_t targetUnits)
{
    static uint16_t list[kPendingListLimit / sizeof(uint16_t)];
    DWORD type = 0;
    DWORD size = sizeof list;
    // Past the limit this is ERROR_MORE_DATA.
    LONG result = RegQueryValueExW(key, value, NULL, &type, (BYTE*)list, &size);
    if (result != ERROR_SUCCESS) {
        return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
    }
    size_t bytes = size;
    size_t pairsLeft = 0;
    int dropped = -1;
    if (type == REG_MULTI_SZ) {
        dropped = DropPendingDeletions(list, &bytes, (const uint16_t*)target, targetUnits,
                                       FoldUnitToUpper, &pairsLeft);
    }
    if (dropped < 0) {
        // The system's list, in a form not ours to rewrite: left as it is,
        // which is safe only while it never names the file.
        return MentionsTarget(list, size, (const uint16_t*)target, targetUnits, FoldUnitToUpper)
                   ? ERROR_INVALID_DATA
                   : ERROR_SUCCESS;
    }
    if (dropped == 0) {
        return ERROR_SUCCESS;
    }
    // The system deletes the value once it has done all it holds.
    if (pairsLeft == 0) {
        return RegDeleteValueW(key, value);
    }
    return RegSetValueExW(key, value, 0, REG_MULTI_SZ, (const BYTE*)list, (DWORD)bytes);
}

}  // namespace

bool CancelPendingDeletion(const char* path)
{
    WCHAR target[MAX_PATH];
    int units = MultiByteToWideChar(CP_ACP, 0, path, -1, target, MAX_PATH);
    if (units <= 1) {
        return true;
    }
    // The first list's name is the second's without its last character;
    // the setup carries the name once.
    WCHAR value[] = L"" PENDING_RENAMES2_VALUE;
    static_assert(sizeof PENDING_RENAMES2_VALUE == sizeof PENDING_RENAMES_VALUE + 1, "one more");
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, 0,
                                KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (result == ERROR_SUCCESS) {
        result = CancelIn(key, value, target, (size_t)units - 1);
        value[sizeof PENDING_RENAMES_VALUE - 1] = L'\0';
        if (result == ERROR_SUCCESS) {
            result = CancelIn(key, value, target, (size_t)units - 1);
        }
        RegCloseKey(key);
    }
    // Without the key there is no list.
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    LogLine("Deletion of %s at the next restart not cancelled: error %lu", path,
            (unsigned long)result);
    SetLastError((DWORD)result);
    return false;
}
