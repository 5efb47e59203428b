// What the setup leaves on the system, read back independently of the
// setup's own code: files and their times, registry values with their stored
// lengths, shell links, processes.
#ifndef VANTOR_E2E_SYSTEM_H
#define VANTOR_E2E_SYSTEM_H

#include <windows.h>

enum {
    kMaxWholeFile = 1 << 20,  // a text the driver reads whole: a read-me, a log
};

bool PathExists(const char* path);
bool IsFolder(const char* path);
// Reads a whole file of at most kMaxWholeFile bytes into the driver's
// buffer number 0 or 1.
bool ReadWholeFile(const char* path, int slot, const BYTE** data, DWORD* size);
// Creates or replaces a file with the bytes, or with the text.
bool WriteWholeFile(const char* path, const void* data, DWORD size);
bool WriteTextFile(const char* path, const char* text);
// Makes the folder (if missing) and gives Everyone full control of it, as
// a user's own folder under a drive's root may; Wine keeps that as the
// host's o+w, and reports it back as Everyone: modify.
bool MakeFolderOthersMayChange(const char* folder);
// Hands a request to the scenario's host helper in the file at path, which
// the helper removes once it has acted; false when it has not within the
// wait limit. The file appears whole (written under another name, then
// renamed): a helper polling for it never reads half a request.
bool HandToHost(const char* path, const char* request);

// Compares the two files piece by piece: a product file of any size.
void CheckSameFile(const char* installed, const char* reference);
// Creation, last-access and last-write time; read before the contents, so
// that reading cannot move the access time.
void CheckFileTimes(const char* path, const FILETIME* expected);

// A REG_SZ value under HKEY_LOCAL_MACHINE with its stored length (the NUL
// counted); a NULL value name is the default value.
// The view is the registry view to read (KEY_WOW64_64KEY for the 64-bit
// one); 0 is the driver's own.
void CheckRegString(const char* key, const char* valueName, const char* expected,
                    REGSAM view = 0);
// A REG_DWORD value under HKEY_LOCAL_MACHINE.
void CheckRegNumber(const char* key, const char* valueName, DWORD expected);
bool RegKeyExists(const char* key, REGSAM view = 0);
void DeleteRegKey(const char* key);

// Reads a shell link through IShellLinkA and compares its target, working
// folder and description.
void CheckLink(const char* linkPath, const char* target, const char* folder,
               const char* description);

// Saves a shell link to target at linkPath.
bool WriteLink(const char* linkPath, const char* target);

// The first running child process of the given process: its id and exe
// name; 0 when there is none.
DWORD FindChildProcess(DWORD parent, char* exeName, int size);

// The folder-name case rule the setup applies to the system's folders, for
// the expected values of paths in the Windows, Programs and SendTo folders.
void NormaliseFolderCase(char* text);

bool SpecialFolder(int csidl, char* path);

#endif
