// The rules behind the folder and group pages that need no Windows: what a
// typed destination must look like and where the product name goes, how a
// folder path splits into the chain the folder list shows, and which group
// names can be one folder under the Programs folder.
#ifndef VANTOR_LOCATION_RULES_H
#define VANTOR_LOCATION_RULES_H

#include <stddef.h>

enum {
    kFolderListLimit = 500,   // folder list items, one indent entry each
    kComputerTextSize = 128,  // the computer's display name: 127 characters
    kTypedPathSize = 260,     // the folder edit accepts 259 characters
    kTypedGroupSize = 260,    // a list item copied into the group field may be longer than 40
    kGroupNameLimit = 40,
};

// What an item of the folder list stands for (its item data).
enum FolderItemKind {
    kComputerItem = 1,
    kDriveItem = 2,
    kFolderItem = 4,
};

enum LocationVerdict {
    kLocationAccepted,
    kLocationEmpty,
    kLocationNoDrive,    // second character not ":" or third not "\"
    kLocationRootDrive,  // nothing after the drive root
    kLocationTooLong,    // the destination it names would not fit its slot
    kLocationBadDrive,   // the drive is not a letter A to Z
    // A folder name Windows refuses or rewrites: empty (a doubled
    // backslash), "." or "..", ending in a dot or a space, or holding one
    // of / : * ? " < > | or a control character. One backslash may end
    // the path.
    kLocationBadName,
    // A folder name Windows takes for a device, whatever its extension:
    // CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9.
    kLocationDeviceName,
    // Decided by the file system, never by MakeDestination: a level of the
    // path is a junction, a symbolic link or a file.
    kLocationLinked,
    // Also the file system's: a level that is there already can be changed
    // by users other than administrators (or its list cannot be read).
    kLocationOpenToUsers,
    // The system's: the drive is not there, or is no fixed or removable
    // disk (a network share, a CD, a RAM disk).
    kLocationNoDisk,
};

enum GroupVerdict {
    kGroupAccepted,
    kGroupEmpty,
    kGroupTooLong,
    kGroupBadCharacter,  // one of \ / : * ? " < > |
    kGroupDotName,       // "." or ".."
    // Names that Windows rewrites or refuses as a folder name, so that the
    // folder made would not be the group the links and records name.
    kGroupTrailingSpaceOrDot,  // dropped from a folder name: "Tools " makes "Tools"
    kGroupControlCharacter,    // characters 1 to 31
    kGroupDeviceName,          // CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, any extension
};

// Whether name occurs anywhere in text, the letters A to Z compared without
// regard to case.
bool ContainsProductName(const char* text, const char* name);

// Checks typed text; when it is accepted, out (outSize bytes) holds the
// destination it names: the text itself when it already names the product,
// else the text joined with the product name. Otherwise out is empty.
// Every destination accepted is one the uninstaller will also remove.
LocationVerdict MakeDestination(char* out, size_t outSize, const char* text, const char* name);

// The chain of ancestors the folder list shows for a path, from the drive
// root down: link k (from 0) is the first ends[k] characters of the path.
// The first link keeps the backslash after the first component (C:\); the
// others have none (C:\Apps). Answers the number of links, at most maxLinks.
int SplitFolderChain(const char* path, size_t ends[], int maxLinks);

// Whether the name can be one folder directly under the Programs folder.
GroupVerdict CheckGroupName(const char* name);

#endif
