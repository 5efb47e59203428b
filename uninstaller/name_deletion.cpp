// Deleting one name of the product's. The uninstaller runs as an
// administrator, and what lies under one of our names may be a user's
// trap: a link, a folder, or a hard link to a file of someone else's whose
// read-only mark must not be cleared. The deletion itself is the setup's
// (file_names.h); what is added here is the marks: cleared beforehand, so
// that a deletion at the restart is not refused, and given back to a file
// that stays.
#include "uninstaller.h"

#include "file_names.h"

static const DWORD kGuarded = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

static bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// Sets the attributes of the file at path, but only while the name still
// leads to the one file checked and that file has no other name. Read
// access makes the handle's sharing count.
static bool SetOwnAttributes(const char* path, const BY_HANDLE_FILE_INFORMATION& checked,
                             DWORD attributes)
{
    HANDLE name = OpenFileName(path, GENERIC_READ);
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
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return kNameNotOurs;
    }
    // A file that cannot be opened (in use without read sharing) is not
    // looked into: it is deleted as it is or not at all.
    HANDLE name = OpenFileName(path, GENERIC_READ);
    bool known = false;
    bool elsewhere = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (name != INVALID_HANDLE_VALUE) {
        known = GetFileInformationByHandle(name, &state->info) != 0;
        elsewhere = elsewhere || (known && ((state->info.dwFileAttributes &
                                             FILE_ATTRIBUTE_REPARSE_POINT) ||
                                            !HandleLeadsTo(name, path)));
        CloseHandle(name);
    }
    // A link is neither deleted nor passed over: what it leads to is not
    // known, and the product is not all gone while it stands.
    if (elsewhere) {
        state->error = kNameLeadsElsewhere;
        return kNameFailed;
    }
    if (known) {
        attributes = state->info.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            return kNameNotOurs;
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) && state->info.nNumberOfLinks > 1) {
            return kNameShared;  // clearing the mark would clear it for every name
        }
        state->attributes = attributes;
        state->cleared = (attributes & kGuarded) && state->info.nNumberOfLinks == 1 &&
                         SetOwnAttributes(path, state->info, FILE_ATTRIBUTE_NORMAL);
    }
    if (RemoveFileName(path)) {
        return kNameGone;
    }
    state->error = GetLastError();
    if (state->error != ERROR_FILE_EXISTS) {
        return kNameFailed;
    }
    state->error = ERROR_SUCCESS;
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

bool IsNameInUse(const char* path, DWORD error)
{
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
        error == ERROR_USER_MAPPED_FILE) {
        return true;
    }
    if (error != ERROR_ACCESS_DENIED) {
        return false;
    }
    // A running program's file refuses its deletion as access denied, and
    // so do an access list and a read-only mark that stays. Of these only
    // the running image also refuses a writer that shares everything; the
    // handle writes nothing.
    HANDLE file = CreateFileA(path, FILE_WRITE_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}
