#include "held_folder.h"

#include <windows.h>
#include <string.h>

#include "file_names.h"
#include "folder_access.h"
#include "folder_chain.h"
#include "install_state.h"
#include "made_list.h"
#include "path_helpers.h"

enum {
    kMostLevels = kFolderSlotSize / 2,  // "X:\a\b\..." has no more
};

namespace {

struct HeldChain {
    HANDLE levels[kMostLevels];
    int count;
    BY_HANDLE_FILE_INFORMATION deepest;
};

HeldChain s_held;

// Read access takes part in sharing (attribute-only access does not), and
// the name's handle, without delete sharing, keeps the folder from being
// renamed.
HANDLE OpenFolder(const char* folder)
{
    return OpenFileName(folder, GENERIC_READ);
}

FolderHold Examine(HANDLE folder, BY_HANDLE_FILE_INFORMATION* info)
{
    if (!GetFileInformationByHandle(folder, info)) {
        return kFolderUnusable;
    }
    if (info->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        return kFolderLinked;
    }
    return (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? kFolderHeld : kFolderUnusable;
}

// The deepest level is the destination itself, whose list its files take.
FolderHold HoldLevel(const char* level, bool deepest)
{
    HANDLE folder = OpenFolder(level);
    bool made = false;
    if (folder == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (!IsMissingError(error)) {
            return kFolderUnusable;
        }
        // Made with its list, then held at once: nobody gets it in between
        // but a user who could already write where it was made.
        if (!CreateProtectedFolder(level) ||
            (folder = OpenFolder(level)) == INVALID_HANDLE_VALUE) {
            return kFolderUnusable;
        }
        made = true;
        NoteMade(level, kMadeLevel);
    }
    s_held.levels[s_held.count++] = folder;
    FolderHold held = Examine(folder, &s_held.deepest);
    // Wine opens what a link leads to even when asked for the link itself;
    // the name, held in place now, still shows what it is.
    DWORD attributes = GetFileAttributesA(level);
    if (held == kFolderHeld &&
        (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
        return kFolderLinked;
    }
    // Checked on the handle held, so it is the list of the folder written.
    if (held == kFolderHeld && !made && !IsKeptFromUsers(folder, deepest)) {
        return kFolderOpenToUsers;
    }
    return held;
}

}  // namespace

FolderHold CreateFolderChain(const char* folder)
{
    ReleaseFolderChain();
    char work[kFolderSlotSize];
    // Only drive-rooted paths (C:\...) that fit are made and held.
    if (!CopyText(work, sizeof work, folder) || work[0] == '\0' || work[1] != ':' ||
        work[2] != '\\') {
        return kFolderUnusable;
    }
    size_t length = strlen(work);
    if (length > 3 && work[length - 1] == '\\') {
        work[--length] = '\0';
    }
    // A drive's root cannot be renamed, so it is not held; it is looked at
    // as every chain's first level is.
    char root[4] = {work[0], ':', '\\', '\0'};
    FolderChainState rootState = CheckFolderChain(root);
    if (rootState == kChainLinked) {
        return kFolderLinked;
    }
    if (rootState != kChainPlain) {
        return kFolderUnusable;
    }
    // From the top down, so that no level is made or entered below one
    // that is not a plain folder.
    for (size_t end = 4; end <= length; ++end) {
        if (end < length && work[end] != '\\') {
            continue;
        }
        if (work[end - 1] == '\\') {
            return kFolderUnusable;  // an empty name
        }
        work[end] = '\0';
        FolderHold held =
            s_held.count < kMostLevels ? HoldLevel(work, end == length) : kFolderUnusable;
        if (held != kFolderHeld) {
            return held;
        }
        if (end < length) {
            work[end] = '\\';
        }
    }
    return s_held.count > 0 ? kFolderHeld : kFolderUnusable;
}

bool LeadsToHeldFolder(const char* folder)
{
    if (s_held.count == 0) {
        return false;
    }
    HANDLE found = OpenFolder(folder);
    if (found == INVALID_HANDLE_VALUE) {
        return false;
    }
    // The same folder reached through a link still takes the writes where
    // the pass means them to go; only another folder is a change.
    BY_HANDLE_FILE_INFORMATION info;
    bool same = Examine(found, &info) == kFolderHeld &&
                info.dwVolumeSerialNumber == s_held.deepest.dwVolumeSerialNumber &&
                info.nFileIndexHigh == s_held.deepest.nFileIndexHigh &&
                info.nFileIndexLow == s_held.deepest.nFileIndexLow;
    CloseHandle(found);
    return same;
}

void ReleaseFolderChain()
{
    while (s_held.count > 0) {
        CloseHandle(s_held.levels[--s_held.count]);
    }
}
