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
    // A level is a reparse point or a file, or cannot be looked at; or the
    // path is not a drive path (X:\...) that fits MAX_PATH.
    kChainLinked,
};

FolderChainState CheckFolderChain(const char* folder);

#endif
