#include "location_checks.h"

#include <string.h>

#include "file_names.h"
#include "folder_access.h"
#include "folder_chain.h"
#include "install_pass.h"
#include "number_text.h"
#include "page_services.h"
#include "path_checks.h"
#include "path_helpers.h"

#define EMPTY_PATH_FORMAT "%sPath may not be empty!"
#define NO_DRIVE_FORMAT "%sMissing : or \\ in drive."
#define ROOT_DRIVE_FORMAT "%sPath may not be a root drive..."
#define LONG_PATH_FORMAT "%sPath is too long."
#define BAD_DRIVE_FORMAT "%sThe drive must be a letter from A to Z."
#define BAD_NAME_FORMAT                                                                 \
    "%sA folder name may not be empty, . or .., contain / : * ? \" < > | or end with a " \
    "space or a dot."
#define DEVICE_NAME_FORMAT \
    "%sA folder name may not be a device name:\r\nCON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9."
#define LINKED_PATH_FORMAT "%sThe path leads through a link, a junction or a file."
#define OPEN_TO_USERS_FORMAT                                                                 \
    "%sThe folder\r\n%s\r\ncan be changed by users other than administrators, who could " \
    "then replace the programs installed there.\r\n\r\nPlease choose another folder."
#define NO_DISK_FORMAT "%sThere is no fixed or removable disk %s."
#define NO_SPACE_FORMAT \
    "There is not enough space on drive %s.\r\nNeeded: %s bytes\r\nFree: %s bytes"

namespace {

char s_refusedLevel[kFolderSlotSize];

// Whether a level of the destination that is there already is kept from
// users; the first that is not goes into s_refusedLevel. The pass asks
// again of the levels it holds.
bool IsLevelKeptFromUsers(const char* level, bool last)
{
    HANDLE folder = OpenFileName(level, READ_CONTROL);
    bool kept = folder != INVALID_HANDLE_VALUE && IsKeptFromUsers(folder, last);
    if (folder != INVALID_HANDLE_VALUE) {
        CloseHandle(folder);
    }
    if (!kept) {
        CopyText(s_refusedLevel, sizeof s_refusedLevel, level);
    }
    return kept;
}

// The longest name of a file that goes into the destination folder.
size_t LongestDestinationName()
{
    size_t longest = 0;
    for (int i = 0; i < InstalledEntryCount(); ++i) {
        const PayloadEntry& entry = g_setup.manifest.files[i];
        size_t length = strlen(entry.targetName);
        if (!(entry.flags & kIntoWindowsFolder) && length > longest) {
            longest = length;
        }
    }
    return longest;
}

}  // namespace

LocationVerdict ChooseDestination(char out[kFolderSlotSize], const char* typed)
{
    LocationVerdict verdict =
        MakeDestination(out, kFolderSlotSize, typed, g_setup.manifest.productName);
    if (verdict != kLocationAccepted) {
        return verdict;
    }
    // Every file's path must fit, or the pass would stop halfway, after the
    // uninstaller and the folders were written; so must the drive be there.
    size_t length = strlen(out);
    size_t separator = out[length - 1] == '\\' ? 0 : 1;
    char root[4] = {out[0], ':', '\\', '\0'};
    UINT type = GetDriveTypeA(root);
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) {
        root[2] = '\0';
        CopyText(s_refusedLevel, sizeof s_refusedLevel, root);
        verdict = kLocationNoDisk;
    } else if (length + separator + LongestDestinationName() >= kPathBufferSize) {
        verdict = kLocationTooLong;
    } else {
        // Whoever made a link would choose where the files go; a file on
        // the way would stop the pass at its first file.
        FolderChainState chain = CheckFolderChain(out, IsLevelKeptFromUsers);
        if (chain == kChainLinked || chain == kChainBlocked) {
            verdict = kLocationLinked;
        } else if (chain == kChainRefused) {
            verdict = kLocationOpenToUsers;
        }
    }
    if (verdict != kLocationAccepted) {
        out[0] = '\0';
    }
    return verdict;
}

const char* RefusalFormat(LocationVerdict verdict)
{
    switch (verdict) {
    case kLocationAccepted:
        break;
    case kLocationEmpty:
        return EMPTY_PATH_FORMAT;
    case kLocationNoDrive:
        return NO_DRIVE_FORMAT;
    case kLocationRootDrive:
        return ROOT_DRIVE_FORMAT;
    case kLocationTooLong:
        return LONG_PATH_FORMAT;
    case kLocationBadDrive:
        return BAD_DRIVE_FORMAT;
    case kLocationBadName:
        return BAD_NAME_FORMAT;
    case kLocationDeviceName:
        return DEVICE_NAME_FORMAT;
    case kLocationLinked:
        return LINKED_PATH_FORMAT;
    case kLocationOpenToUsers:
        return OPEN_TO_USERS_FORMAT;
    case kLocationNoDisk:
        return NO_DISK_FORMAT;
    }
    return NULL;
}

bool HasRoomForFiles(HWND owner, const char* destination)
{
    // Not the Windows folder slot: the page asks before it is filled.
    char windows[MAX_PATH];
    windows[0] = '\0';
    GetWindowsDirectoryA(windows, sizeof windows);
    // A volume mounted below a drive's root is refused as a link, so each
    // folder's volume is its drive's.
    for (int v = 0; v < 2; ++v) {
        char root[4] = {v == 0 ? destination[0] : windows[0], ':', '\\', '\0'};
        // A file replaced frees its size, but counting it as new is safe.
        uint32_t needed = 0;
        for (int i = 0; i < InstalledEntryCount(); ++i) {
            const PayloadEntry& entry = g_setup.manifest.files[i];
            const char* folder = (entry.flags & kIntoWindowsFolder) ? windows : destination;
            if ((folder[0] | 0x20) == (root[0] | 0x20)) {  // drive letters in either case
                needed += entry.unpackedSize;
            }
        }
        ULARGE_INTEGER room;
        if (GetDiskFreeSpaceExA(root, &room, NULL, NULL) && room.QuadPart < needed) {
            char neededText[kNumberTextSize];
            char roomText[kNumberTextSize];
            FormatThousands(needed, neededText);
            FormatThousands((uint32_t)room.QuadPart, roomText);
            root[2] = '\0';
            ShowFormattedBox(owner, MB_OK | MB_ICONWARNING, NO_SPACE_FORMAT, root, neededText,
                             roomText);
            return false;
        }
    }
    return true;
}

const char* RefusedLevel()
{
    return s_refusedLevel;
}

bool HoldsOthersFiles(const char* folder)
{
    if (!IsFolderPath(folder) || HoldsEarlierInstallation(folder)) {
        return false;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstIn(folder, "*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool others = false;
    do {
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder ? strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0
                     : IsDeletableFile(found.cFileName)) {
            others = true;
        }
    } while (!others && FindNextFileA(search, &found));
    FindClose(search);
    return others;
}
