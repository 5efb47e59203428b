#include "folder_chain.h"

#include <windows.h>
#include <string.h>

#include "file_names.h"

FolderChainState CheckFolderChain(const char* folder, FolderLevelCheck check)
{
    char level[MAX_PATH];
    size_t length = strlen(folder);
    if (length < 3 || length >= sizeof level || folder[1] != ':' || folder[2] != '\\') {
        return kChainBlocked;
    }
    // From the root down, so that a missing level ends the walk: nothing
    // below it can be a link yet. One trailing backslash names the folder
    // itself.
    size_t end = 3;
    for (;;) {
        memcpy(level, folder, end);
        level[end] = '\0';
        DWORD attributes = GetFileAttributesA(level);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            DWORD error = GetLastError();
            return IsMissingError(error) ? kChainUnfinished : kChainBlocked;
        }
        // Wine shows a drive mapped to a mount of its own as a reparse
        // point; on Windows a volume's root is never a link. A folder that
        // mounts a volume below a root is one, and stays refused.
        char volume[MAX_PATH];
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            !(end == 3 && GetVolumePathNameA(level, volume, sizeof volume) &&
              lstrcmpiA(volume, level) == 0)) {
            return kChainLinked;
        }
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return kChainBlocked;
        }
        size_t start = end == 3 ? end : end + 1;
        if (check != NULL && end > 3 && !check(level, start >= length)) {
            return kChainRefused;
        }
        if (start >= length) {
            break;
        }
        const char* next = strchr(folder + start, '\\');
        end = next != NULL ? (size_t)(next - folder) : length;
        if (end == start) {
            return kChainBlocked;  // an empty name: not a path Windows keeps as typed
        }
    }
    return kChainPlain;
}
