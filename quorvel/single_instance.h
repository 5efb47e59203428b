// One Quorvel at a time: two would each save their own copy of the whole
// ledger over the other's.
#ifndef QUORVEL_SINGLE_INSTANCE_H
#define QUORVEL_SINGLE_INSTANCE_H

#include <windows.h>

// A second start waits this long, in pauses, for the first one's window,
// which shows a moment after the first has claimed its place.
#define FIRST_WINDOW_WAIT 5000
#define FIRST_WINDOW_PAUSE 100

// Claims the place of the one running Quorvel, held until the process
// ends. False when another Quorvel holds it: that one's window has then
// been restored and brought to the front, and this one should end.
bool ClaimOnlyInstance();

#endif
