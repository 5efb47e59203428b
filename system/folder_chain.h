// What a folder path leads through, asked of the file system. The setup
// and the uninstaller run with administrator rights, and a junction, a
// symbolic link or a mount point anywhere in a path would carry their
// writes and deletions to a place a user chose: both refuse such a path by
// this one rule.
#ifndef VANTOR_FOLDER_CHAIN_H
#define VANTOR_FOLDER_CHAIN_H

#include <stddef.h>

enum FolderChainState {
    kChainPlain,       // every level, the drive's root included, is a plain folder
    kChainUnfinished,  // plain as far as it exists; the levels after that are missing
    kChainLinked,      // a level is a reparse point: a junction, link or mount point
    // A level is a file or cannot be looked at, or the path is no drive
    // path (X:\...) that fits MAX_PATH: what it leads to is not known.
    kChainBlocked,
    kChainRefused,  // a level the caller's own check turned down
};

// A check the caller adds for each level below the drive's root that is
// there: the level's path, and whether it is the last.
typedef bool (*FolderLevelCheck)(const char* level, bool last);

FolderChainState CheckFolderChain(const char* folder, FolderLevelCheck check = NULL);

#endif
