// Where a shell link leads, read to decide whose the link file is: the
// file is only read, and what it names is never looked at (no resolving,
// no search for a target that moved).
#ifndef VANTOR_LINK_TARGET_H
#define VANTOR_LINK_TARGET_H

#include <windows.h>

// The target path the link file holds, as it was saved; false when the
// file cannot be read as a link. The calling thread has initialised the
// component runtime.
bool ReadLinkTarget(const char* linkFile, char target[MAX_PATH]);

#endif
