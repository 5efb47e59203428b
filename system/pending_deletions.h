// Deletions the system will carry out at its next start. A removal that
// found a file in use leaves its deletion pending; a reinstall that writes
// the file anew must cancel it, or the restart takes the new file away.
#ifndef VANTOR_PENDING_DELETIONS_H
#define VANTOR_PENDING_DELETIONS_H

#define SESSION_MANAGER_KEY "SYSTEM\\CurrentControlSet\\Control\\Session Manager"
#define PENDING_RENAMES_VALUE "PendingFileRenameOperations"
// Newer Windows keeps a second list beside the first.
#define PENDING_RENAMES2_VALUE "PendingFileRenameOperations2"

// The longest list read, far beyond what other programs leave: a longer
// one is not edited, and the file it may delete is not installed.
enum { kPendingListLimit = 4 * 1024 * 1024 };

// Cancels every pending deletion of the file at path (a full path); pending
// renames and other files' deletions stay as they are. False, with a log
// line and the system's error code set, when a list may still move or
// delete the file: it is too long, cannot be read or written back, or does
// not parse and names the file.
bool CancelPendingDeletion(const char* path);

#endif
