// Deleting one name of the product's. The uninstaller runs as an
// administrator, and what lies under one of our names may be a user's
// trap: a link, a folder, or a hard link to a file of someone else's whose
// read-only mark must not be cleared. And a deletion is only believed once
// the name is really gone: Wine on a read-only volume reports success.
#include "uninstaller.h"

static const DWORD kGuarded = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Opens the name itself, not what a link there leads to. Without delete
// sharing, nobody can rename or replace the name while the handle is open;
// read access makes the share mode count.
static HANDLE OpenName(const char* path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, NULL);
}

static bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// Sets the attributes of the file at path, but only while the name still
// leads to the one file checked and that file has no other name.
static bool SetOwnAttributes(const char* path, const BY_HANDLE_FILE_INFORMATION& checked,
                             DWORD attributes)
{
    HANDLE name = OpenName(path);
    if (name == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION now;
    bool own = GetFileInformationByHandle(name, &now) && SameIdentity(now, checked) &&
               now.nNumberOfLinks == 1;
    bool set = own && SetFileAttributesA(path, attributes);
    CloseHandle(name);
    return set;
}

NameDeletion DeleteOwnName(const char* path, NameState* state)
{
    state->cleared = false;
    state->error = ERROR_SUCCESS;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return kNameGone;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
        return kNameNotOurs;
    }
    // A file that cannot be opened (in use without read sharing) is not
    // looked into: it is deleted as it is or not at all.
    HANDLE name = OpenName(path);
    bool known = false;
    if (name != INVALID_HANDLE_VALUE) {
        known = GetFileInformationByHandle(name, &state->info) != 0;
        CloseHandle(name);
    }
    if (known) {
        attributes = state->info.dwFileAttributes;
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
            return kNameNotOurs;
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) && state->info.nNumberOfLinks > 1) {
            return kNameShared;  // clearing the mark would clear it for every name
        }
        state->attributes = attributes;
        state->cleared = (attributes & kGuarded) && state->info.nNumberOfLinks == 1 &&
                         SetOwnAttributes(path, state->info, FILE_ATTRIBUTE_NORMAL);
    }
    if (!DeleteFileA(path)) {
        state->error = GetLastError();
        bool gone = state->error == ERROR_FILE_NOT_FOUND || state->error == ERROR_PATH_NOT_FOUND;
        return gone ? kNameGone : kNameFailed;
    }
    // A file still open elsewhere with delete sharing goes when the last
    // handle closes; meanwhile it cannot be looked at, which is gone enough.
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        return kNameGone;
    }
    RestoreOwnAttributes(path, state);
    return kNameStillThere;
}

void RestoreOwnAttributes(const char* path, NameState* state)
{
    if (state->cleared) {
        SetOwnAttributes(path, state->info, state->attributes);
        state->cleared = false;
    }
}
