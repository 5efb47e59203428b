// What Continue on the folder page asks of a typed destination beyond its
// text: a fixed or removable disk with room for the product's files and
// their paths, no link on the way, no folder on the way that a user may
// change, and the consent of the user before the product joins files that
// are not its own. The same checks serve every way a destination is chosen.
#ifndef VANTOR_LOCATION_CHECKS_H
#define VANTOR_LOCATION_CHECKS_H

#include <windows.h>

#include "install_state.h"
#include "location_rules.h"

// The destination the typed text names, into out; kLocationAccepted, or
// the reason for refusing it (out is then empty).
LocationVerdict ChooseDestination(char out[kFolderSlotSize], const char* typed);

// The warning format for a refused verdict: the first "%s" takes the
// heading, a second the folder RefusedLevel names.
const char* RefusalFormat(LocationVerdict verdict);

// The level of the last destination refused as kLocationOpenToUsers, or
// the drive of one refused as kLocationNoDisk.
const char* RefusedLevel();

// Whether each volume written to, the destination's and the Windows
// folder's, has room for the unpacked files it receives; if not, a warning
// box (a log line unattended) names the drive, what is needed and what is
// free.
bool HasRoomForFiles(HWND owner, const char* destination);

// Whether an existing folder holds files or folders that are neither an
// earlier installation of the product nor its data files: the user's, which
// the setup must not mix its own with unasked.
bool HoldsOthersFiles(const char* folder);

#endif
