// One setup of a product at a time: two would clean and write the same
// folder together. The name is the product's, so setups of other products
// run beside it.
#ifndef VANTOR_ONE_SETUP_H
#define VANTOR_ONE_SETUP_H

#include <windows.h>

// The guard: a named object in every session, made with Administrators as
// its owner (which no one else can set) and open to administrators and
// the system alone, so that no other user can hold it past the setup's end.
#define SETUP_NAME_FORMAT "Vantor setup of %s"
#define SESSIONS_PREFIX "Global\\"
#define SETUP_GUARD_SDDL "O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)"

// When the guard is held but the other setup shows no window to bring
// forward.
#define NO_SETUP_WINDOW_TEXT                                                                 \
    "Another setup of this product is running unattended.\r\n\r\n" \
    "Start this setup again once it has ended."

// Claims the product's one place, held until the process ends; false when
// another setup of the product holds it. An object of the name that an
// administrator did not make holds nothing: the setup goes on without.
bool ClaimOnlySetup();

// Marks a window of this setup as the one a second start brings forward,
// and takes the mark off before the window goes.
void MarkSetupWindow(HWND window);
void UnmarkSetupWindow(HWND window);

// Restores the other setup's marked window, and the box or page open over
// it, and brings them to the front; false when it shows none.
bool BringOtherSetupForward();

#endif
