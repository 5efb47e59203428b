// The list of renames and deletions the system carries out at its next
// start (a multi-string value of pairs: the old name as "\??\C:\path",
// then the new name, empty for a deletion). Kept free of Windows so that
// its parsing is tested on its own.
#ifndef VANTOR_PENDING_RENAMES_H
#define VANTOR_PENDING_RENAMES_H

#include <stddef.h>
#include <stdint.h>

// Maps one UTF-16 unit to the form in which names compare equal.
typedef uint16_t (*FoldUnit)(uint16_t unit);

// Removes, in place, every pair that deletes target (a full path such as
// C:\dir\file, compared after fold) and keeps every other pair and the
// list's end exactly as they were. Returns the number of pairs removed,
// with bytes set to the list's new size and pairsLeft to the pairs it
// keeps; -1, with nothing changed, for a list that does not parse.
int DropPendingDeletions(uint16_t* list, size_t* bytes, const uint16_t* target,
                         size_t targetUnits, FoldUnit fold, size_t* pairsLeft);

// Whether any string of a list that does not parse (each run of units up
// to a NUL or the list's end) names target, as the old or the new name of
// a pair: how the system reads such a list is unknown, so it may move or
// delete the file.
bool MentionsTarget(const uint16_t* list, size_t bytes, const uint16_t* target,
                    size_t targetUnits, FoldUnit fold);

// ASCII letters to capitals, every other unit as it is.
uint16_t FoldAsciiCase(uint16_t unit);

#endif
