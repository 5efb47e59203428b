// The destination folder and every folder above it, held open from the
// check until the pass ends. Without delete sharing none of them can be
// renamed or replaced by Windows programs while the pass writes and
// deletes by path; a swap made behind Windows' back (from another system
// sharing the disk) is caught by comparing the folder a path leads to with
// the one held, before every deletion and around every file made.
#ifndef VANTOR_HELD_FOLDER_H
#define VANTOR_HELD_FOLDER_H

enum FolderHold {
    kFolderHeld,
    kFolderLinked,    // a level is a junction or a link: never written through
    kFolderUnusable,  // a level is a file or cannot be made or opened
    // A level that was there already can be changed by users other than
    // administrators: whoever can would choose what the links start.
    kFolderOpenToUsers,
};

// Opens each level of a drive-rooted folder below the drive's root, in
// order, creating a missing one first with the protected access list and
// opening it right after; one that was there must be kept from users.
// Holds them all until ReleaseFolderChain.
FolderHold CreateFolderChain(const char* folder);

// Whether folder still leads to the deepest folder held, itself no link.
bool LeadsToHeldFolder(const char* folder);

// Closes every held level; nothing is held afterwards.
void ReleaseFolderChain();

#endif
