// What a folder path leads through, asked of the file system. The setup
// and the uninstaller run with administrator rights, and a junction, a
// symbolic link or a mount point anywhere in a path would carry their
// writes and deletions to a place a user chose: both refuse such a path by
// this one rule.
#ifndef VANTOR_FOLDER_CHAIN_H
#define VANTOR_FOLDER_CHAIN_H

enum FolderChainState {
    kChainPlain,       // every level, the drive's root included, is a plain folder
    kChainUnfinished,  // plain as far as it exists; the levels after that are missing
    kChainLinked,      // a level is a reparse point: a junction, link or mount point
    // A level is a file or cannot be looked at, or the path is no drive
    // path (X:\...) that fits MAX_PATH: what it leads to is not known.
    kChainBlocked,
};

FolderChainState CheckFolderChain(const char* folder);

#endif
