// What the uninstaller may touch, decided from text alone. Free of Windows
// so the host tests every rule; the registry's values are untrusted input.
#ifndef VANTOR_REMOVAL_RULES_H
#define VANTOR_REMOVAL_RULES_H

#include <stddef.h>

enum {
    kGroupNameLimit = 40,  // what the setup's group page accepts
    kEndItemLimit = 8,     // item lines a box lists before "and N more"
    kLongestFolder = 259,  // the longest folder path a removal takes
};

// A folder whose files the removal may delete: an absolute drive path below
// a root ("C:\Brindlemoor\Quorvel"), without "." or ".." components, empty
// components (one trailing backslash aside), components ending in a dot or
// a space, or characters a path cannot hold, and neither the Windows nor the
// system folder by its text. Aliases of those (8.3 names, SUBST drives) are
// for the caller to rule out by file identity.
bool IsRemovableProgramFolder(const char* path, const char* windowsFolder,
                              const char* systemFolder);

// A group name that stays one folder below the Programs folder: no
// separators, not made of dots, no trailing dot or space, no control
// characters, at most 40 characters.
bool IsPlainGroupName(const char* name);

// The folder that holds path's last component; false for a root or a path
// without a backslash, and when out is too small.
bool ParentFolder(const char* path, char* out, size_t outSize);

// Whether path is folder or lies below it, ignoring the case of A to Z and
// a closing backslash; never for a folder that is a drive's root or not a
// drive path at all.
bool IsWithinFolder(const char* path, const char* folder);

// Whether the last component of path is name, ignoring the case of A to Z.
bool LastComponentIs(const char* path, const char* name);

// Whether the file name ends in one of the count extensions (".DAT"),
// ignoring case.
bool HasPreservedExtension(const char* name, const char* const* extensions, int count);

// Appends "\r\n" + text + suffix to a box text of outSize bytes, counting
// items: past kEndItemLimit only the count grows. False when it would not
// fit; the text then stays as it was.
bool AddEndItem(char* out, size_t outSize, int* items, const char* text, const char* suffix);

// Closes a list made by AddEndItem with "\r\nand N more" when items were
// left out of it.
void FinishEndItems(char* out, size_t outSize, int items);

#endif
