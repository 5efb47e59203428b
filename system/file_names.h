// Replacing a file by name without writing into whatever the name leads
// to. A name may be one of several hard links to a file of someone else's,
// or a link to another place: the setup never writes into an existing
// file and never changes the attributes of a file with another name. It
// deletes the name (the other names keep their file) and creates a new
// file, which fails if the name was made again in between.
#ifndef VANTOR_FILE_NAMES_H
#define VANTOR_FILE_NAMES_H

#include <windows.h>

// Whether an error of opening a path says that nothing is there.
bool IsMissingError(DWORD error);

// Deletes the file name at path. A read-only mark is cleared only when
// the name is the file's one name. True when no file of that name is left;
// false for a folder, a link or a junction (never followed), a read-only
// file with other names that cannot lose one name alone, or a file held by
// another program. False leaves the reason in GetLastError: the system's
// error, ERROR_ACCESS_DENIED for a folder or a link, or ERROR_FILE_EXISTS
// when the deletion was accepted and yet the name is still there (Wine on
// a volume that refuses it).
bool RemoveFileName(const char* path);

// RemoveFileName for the name at path that file, from OpenFileName with
// GENERIC_READ and DELETE access, holds: checked by the caller, it cannot
// be another file by now. Closes file.
bool RemoveOpenName(HANDLE file, const char* path);

// Opens the name itself (a file or a folder), never what a link there
// leads to, without delete sharing: while the handle is open, nobody can
// delete or rename the name.
HANDLE OpenFileName(const char* path, DWORD access);

// A new file at path, open for writing, deletion and sharing reads;
// INVALID_HANDLE_VALUE when anything already has that name.
HANDLE CreateNewFile(const char* path);

// Deletes the file behind an open handle (opened with DELETE access) when
// it is closed; the name it is reached by may lead elsewhere by now. False
// leaves the system's reason in GetLastError.
bool DeleteOpenFile(HANDLE file);

#endif
