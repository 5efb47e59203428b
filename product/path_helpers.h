// String helpers that build the paths every part of the installer uses.
// Each writer takes the size of its output and refuses (answers false and
// leaves an empty string) when the result would not fit, so that a path is
// never cut silently into another path.
#ifndef VANTOR_PATH_HELPERS_H
#define VANTOR_PATH_HELPERS_H

#include <stddef.h>

// The path writers also refuse an empty folder, which would otherwise
// become the root of the current drive.

// folder + "\" (unless the folder already ends in one) + name, optionally
// enclosed in double quotes.
bool JoinPath(char* out, size_t outSize, const char* folder, const char* name, bool quote);

// folder\middle\caption.lnk, a separator only where the text before it does
// not already end in one; an empty middle adds nothing.
bool MakeShortcutPath(char* out, size_t outSize, const char* folder, const char* middle,
                      const char* caption);

// Capitalises the first letter of each component and word and lowers the
// rest, in place: C:\PROGRAM FILES becomes C:\Program Files.
void NormaliseFolderCase(char* text);

// The last "." of the name and what follows, or null when there is none.
const char* FindExtension(const char* name);

// ASCII-only comparison that ignores the case of A to Z.
bool SameTextIgnoringCase(const char* a, const char* b);

// Whether text begins with prefix, ignoring the case of A to Z.
bool StartsWithIgnoringCase(const char* text, const char* prefix);

// Two folder paths naming the same folder: letter case and one trailing
// backslash aside, the same text.
bool SameFolder(const char* a, const char* b);

// Copies text if it fits; else answers false and leaves out empty.
bool CopyText(char* out, size_t outSize, const char* text);

// Appends text to the string in out if it fits; else answers false and
// leaves out as it was.
bool AppendText(char* out, size_t outSize, const char* text);

#endif
