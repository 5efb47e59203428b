#include "pending_deletions.h"

#include <windows.h>

#include "pending_renames.h"

enum {
    kListUnits = 32768,  // 64 KB; a longer list is left as it is
};

namespace {

// The system's own case rule for one unit, as far as the user interface
// offers it.
uint16_t FoldUnitToUpper(uint16_t unit)
{
    return (uint16_t)(ULONG_PTR)CharUpperW((LPWSTR)(ULONG_PTR)unit);
}

void CancelIn(HKEY key, const WCHAR* value, const WCHAR* target, size_t targetUnits)
{
    static uint16_t list[kListUnits];
    DWORD type = 0;
    DWORD size = sizeof list;
    if (RegQueryValueExW(key, value, NULL, &type, (BYTE*)list, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ) {
        return;
    }
    size_t bytes = size;
    size_t pairsLeft = 0;
    if (DropPendingDeletions(list, &bytes, (const uint16_t*)target, targetUnits, FoldUnitToUpper,
                             &pairsLeft) <= 0) {
        return;
    }
    // The system deletes the value once it has done all it holds.
    if (pairsLeft == 0) {
        RegDeleteValueW(key, value);
    } else {
        RegSetValueExW(key, value, 0, REG_MULTI_SZ, (const BYTE*)list, (DWORD)bytes);
    }
}

}  // namespace

void CancelPendingDeletion(const char* path)
{
    WCHAR target[MAX_PATH];
    int units = MultiByteToWideChar(CP_ACP, 0, path, -1, target, MAX_PATH);
    HKEY key;
    if (units <= 1 || RegOpenKeyExA(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, 0,
                                    KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    // The first list's name is the second's without its last character;
    // the setup carries the name once.
    WCHAR value[] = L"" PENDING_RENAMES2_VALUE;
    static_assert(sizeof PENDING_RENAMES2_VALUE == sizeof PENDING_RENAMES_VALUE + 1, "one more");
    CancelIn(key, value, target, (size_t)units - 1);
    value[sizeof PENDING_RENAMES_VALUE - 1] = L'\0';
    CancelIn(key, value, target, (size_t)units - 1);
    RegCloseKey(key);
}
