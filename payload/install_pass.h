// The file installation pass: prepares the destination folder and writes
// every payload entry, decoded, with the manifest's time stamp.
#ifndef VANTOR_INSTALL_PASS_H
#define VANTOR_INSTALL_PASS_H

#include <windows.h>

enum {
    kOutputBufferSize = 1024,
    kPathBufferSize = 260,
    kEntryPause = 500,
};

// The pass's error boxes: what failed, then the line every one ends with,
// which the program stores once.
#define ABORTING_LINE "\r\nInstallation will now be aborted."
#define CREATE_FAILED_LINE "Unable to create destination file!"
#define WRITE_FAILED_LINE "Unable to write destination file!"
#define FOLDER_CHANGED_LINE \
    "The destination folder leads through a link, or was moved while in use!"
#define LINKED_FILE_LINE "A file in the destination folder is a link to another place!"
#define OPEN_FOLDER_LINE \
    "The destination folder, or one above it, can be changed by users other than " \
    "administrators!"
#define DELETION_PENDING_LINE \
    "Unable to cancel the deletion of a destination file at the next restart!"
#define CREATE_FAILED_TEXT CREATE_FAILED_LINE ABORTING_LINE
#define WRITE_FAILED_TEXT WRITE_FAILED_LINE ABORTING_LINE
#define FOLDER_CHANGED_TEXT FOLDER_CHANGED_LINE ABORTING_LINE
#define OPEN_FOLDER_TEXT OPEN_FOLDER_LINE ABORTING_LINE
#define DELETION_PENDING_TEXT DELETION_PENDING_LINE ABORTING_LINE

// 1 when every entry is handled; -1 after the error box.
int InstallFiles(HWND page);

// The number of payload entries the pass handles: the manifest's count,
// none when it is 0 or less, at most the table's size.
int InstalledEntryCount();

// The entry's target in the destination or the Windows folder; false (and
// an empty path) when it does not fit or the folder slot is empty.
bool MakeTargetPath(char target[kPathBufferSize], int entry);

bool PathExists(const char* path);
bool ShouldWriteFile(const char* path, int entry);
// Deletes the deletable files at the top of a held folder, never entering
// a subfolder; false when it cannot be listed or no longer leads to the
// folder held, and, with kNameLeadsElsewhere as the last error, at a name
// that is a link.
bool CleanFolder(const char* folder);
bool IsDeletableFile(const char* name);

// Whether the folder or a folder above it is a junction or a symbolic link,
// or cannot be looked at; true also for a path that does not fit.
bool IsReachedThroughLink(const char* folder);

// Whether an existing destination folder holds an earlier installation,
// the only kind of folder the pass cleans: the folder the product's record
// names, with its uninstall entry there.
bool HoldsEarlierInstallation(const char* folder);

#endif
