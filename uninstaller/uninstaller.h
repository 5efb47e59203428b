// Vantor's uninstaller, built for one product: the one record of a removal,
// its results, and the procedures of its files. The product's names,
// entries, extensions and registry keys come from its identity, through
// product_texts.cpp.
#ifndef VANTOR_UNINSTALLER_H
#define VANTOR_UNINSTALLER_H

#include <windows.h>

#include "product_manifest.h"
#include "registry_records.h"

// Exit codes, documented in the README.
enum UninstallResult {
    kRemoved = 0,
    kRemovalFailed = 1,
    kNotInstalled = 2,
    kRemovalCancelled = 3,
    kRestartNeeded = 3010,  // deployment tools' "done; restart to finish"
    kRemovalRefused = 5,  // with /S, an argument it does not take; nothing changed
};

enum {
    kEndTextSize = 4096,  // eight item lines of a full path each, and more
    kMaxDataFiles = 64,
    kDataNameSize = MAX_PATH,
    // Everything the end box can name: data files, the product's files and
    // links, and a few folders.
    kMaxLeftPaths = kMaxDataFiles + 2 * kPayloadTableSize + 8,
};

#define SILENT_SWITCH QUIET_UNINSTALL_SWITCH
#define ERASE_SWITCH "/ERASE"

// The product's table as the setup installs it, without the sizes, and
// its names and keys (product_texts.cpp).
struct ProductEntry {
    const char* target;
    unsigned flags;
    const char* caption;
};
extern const ProductEntry kEntries[kPayloadTableSize];
extern const char* const kPreserved[kPreservedCount];
extern const int kInstalledCount;
extern const int kShortcutCount;
extern const char kProductName[];
extern const char kProductPublisher[];
extern const char kRemovalVendorKey[];
extern const char kRemovalVersionKey[];
extern const char kUninstallEntryKey[];
extern const char kUninstallClass[];
extern const char kUninstallCaption[];

struct Removal {
    bool silent;
    HWND window;  // owner of every box; none when silent
    char windowsFolder[MAX_PATH];
    char systemFolder[MAX_PATH];
    char programsFolder[MAX_PATH];
    char sendToFolder[MAX_PATH];
    char programPath[MAX_PATH];  // as the uninstall entry holds it
    char groupName[MAX_PATH];
    char createdFolder[MAX_PATH];  // the shallowest the setup made; may be empty
    bool programPathRead;  // a REG_SZ value that fits
    bool allUsers;         // the links are in the common Programs folder, none in SendTo
    bool programPathSafe;
    bool programFolderKept;  // not touched (or no longer): its links stay too
    bool cancelled;
    bool failed;
    bool restartNeeded;
    int leftCount;
    char left[kMaxLeftPaths][MAX_PATH];  // what the end box names, as paths
    char endText[kEndTextSize];
    int endItems;
};
extern Removal g_removal;

// --- The window and its boxes (uninstall_window.cpp).
bool CreateRemovalWindow(HINSTANCE instance);
void SetRemovalStatus(const char* text);
void CloseRemovalWindow();
// A box owned by the removal's window; silent, it answers fallback.
int AskUser(const char* text, UINT buttons, int fallback);

// --- The uninstall entry and the records (uninstall_records.cpp).
// True when the uninstall entry exists; reads its folder and group.
bool ReadUninstallEntry();
void RemoveRecords();

// --- Files, folders and links (uninstall_files.cpp).
// Shell folders found as the setup finds them; false when one is missing.
void FindSystemFolders();
// Each returns false when the user cancelled on a file in use.
bool RemoveProgramFiles();
bool RemoveWindowsFiles(const char* runningPath);
// Deletes one file of ours; a file in use asks Retry or Cancel, or when
// silent is marked for deletion at restart. False only on Cancel.
bool RemoveOwnFile(const char* path);
// How the removal of a file in a folder of ours ended: done (deleted,
// marked for the restart or named as not removed), cancelled on the
// in-use box, or stopped because the folder no longer is what was checked.
enum StepOutcome { kStepDone, kStepCancelled, kFolderChanged };
// RemoveOwnFile for a file in folder, whose chain is checked again before
// every attempt.
StepOutcome DeleteOwnFile(const char* path, const char* folder);
// Names what stays in the end box and the log.
void AddLeft(const char* text, const char* suffix);
// Names a folder the removal does not touch (or stopped touching): the
// removal is not complete.
void LeaveUnsafe(const char* folder);
// Removes the folder if empty; else, when it holds anything the end box
// does not name already, names it as holding the user's files.
void RemoveFolderIfEmpty(const char* folder);

// --- The SendTo link and the group's (uninstall_links.cpp).
// Each link goes only when it leads to the file it was made for. False
// when the user cancelled on a link in use.
bool RemoveLinks();

// --- One name of the product's deleted (name_deletion.cpp).
enum NameDeletion {
    kNameGone,        // deleted, or not there to begin with
    kNameNotOurs,     // a folder: not what the setup made
    kNameShared,      // read-only with other names: its mark must stay
    kNameFailed,      // not deleted, for state->error (kNameLeadsElsewhere: a link)
    kNameStillThere,  // the deletion was accepted, yet the name is there
};
struct NameState {
    BY_HANDLE_FILE_INFORMATION info;  // the file as checked
    DWORD attributes;                 // what it had before they were cleared
    bool cleared;
    DWORD error;
};
// Deletes the file at path, clearing a read-only, hidden or system mark
// first only when that file has no other name. A file that stays keeps
// its marks, except after kNameFailed: the caller then decides (a file
// marked for deletion at the restart must stay cleared).
NameDeletion DeleteOwnName(const char* path, NameState* state);
// Gives a file left after kNameFailed back its marks, if it still is the
// file checked.
void RestoreOwnAttributes(const char* path, NameState* state);
// Whether a deletion of path failed with error because something holds
// the file (or folder) now: a sharing or lock violation, a mapping, or the
// access denied of a running program's file. Only such a name is marked
// for the restart: anything else is not known to go then, and is named as
// not removed.
bool IsNameInUse(const char* path, DWORD error);

// --- What the file system says of a folder (folder_checks.cpp).
// Whether two paths name one file or folder (same volume, same file index).
bool SameFile(const char* a, const char* b);
// A plain folder: it exists, and neither it nor a folder above it is a
// reparse point that would carry the removal elsewhere.
bool IsPlainFolderChain(const char* folder);
// Whether the folder is the Windows folder or a system folder (the 32-bit
// one of a 64-bit Windows and Sysnative too) by file identity, under a name
// the text rule cannot know: an 8.3 alias, a SUBST drive.
bool IsSystemFolderAlias(const char* folder);
// Whether a drive path that was not found (error from GetLastError) is
// gone: only when its drive's root is there. A drive not present now (a
// removable disk, a network drive) may come back with the files, and then
// the uninstall entry must still be there.
bool IsAlreadyGone(const char* folder, DWORD error);

// --- The end box's text (end_text.cpp).
// The box's head, the removed or the not-complete sentence, then, when
// itemCount > 0, "Left in place:" and the items (one "\r\n"-led line each),
// in a text of size bytes; what does not fit is left out.
void ComposeEndText(char* text, size_t size, bool complete, const char* items, int itemCount);

// --- Removing the running uninstaller (self_erase.cpp).
// Starts a copy from the temp folder that deletes path once this process
// has ended; false when no copy could be started.
bool StartEraser(const char* path);
// The copy's side: waits for the process behind the handle text, deletes
// the installed uninstaller, and marks itself for deletion at restart.
int RunEraser(const char* handleText);

#endif
