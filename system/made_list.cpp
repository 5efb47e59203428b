#include "made_list.h"

#include <windows.h>

#include "file_names.h"
#include "install_state.h"
#include "path_helpers.h"
#include "run_log.h"

enum {
    // Each payload entry once, and each level of a folder slot's path.
    kMostMade = kPayloadTableSize + kFolderSlotSize / 2,
};

namespace {

struct MadeList {
    char paths[kMostMade][MAX_PATH];
    unsigned char kinds[kMostMade];
    int count;
};

MadeList s_made;

}  // namespace

void NoteMade(const char* path, MadeKind kind)
{
    if (s_made.count < kMostMade &&
        CopyText(s_made.paths[s_made.count], sizeof s_made.paths[0], path)) {
        s_made.kinds[s_made.count++] = (unsigned char)kind;
    }
}

const char* FirstMadeLevel()
{
    for (int i = 0; i < s_made.count; ++i) {
        if (s_made.kinds[i] == kMadeLevel) {
            return s_made.paths[i];
        }
    }
    return NULL;
}

void UndoMade()
{
    while (s_made.count > 0) {
        const char* path = s_made.paths[--s_made.count];
        MadeKind kind = (MadeKind)s_made.kinds[s_made.count];
        if (kind == kReplacedFile) {
            LogLine("Replaced, not given back: %s", path);
        } else if (kind == kMadeFile ? RemoveFileName(path) : RemoveDirectoryA(path) != 0) {
            LogLine("Removed %s", path);
        } else {
            LogError(path, GetLastError());
        }
    }
}
