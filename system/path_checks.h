// What a path names, and searches of a folder: the checks the pages, the
// pass and the links share.
#ifndef VANTOR_PATH_CHECKS_H
#define VANTOR_PATH_CHECKS_H

#include <windows.h>

// Something is at path and is a folder; something is there and is not.
bool IsFolderPath(const char* path);
bool IsFilePath(const char* path);

// Starts a search of folder\pattern. INVALID_HANDLE_VALUE when nothing is
// found, when the path does not fit, and for an empty folder, which would
// search the root of the current drive instead.
HANDLE FindFirstIn(const char* folder, const char* pattern, WIN32_FIND_DATAA* found);

#endif
