// One setup of a product at a time: two would clean and write the same
// folder together. The name is the product's, so setups of other products
// run beside it.
#ifndef VANTOR_ONE_SETUP_H
#define VANTOR_ONE_SETUP_H

#include <windows.h>

// Claims the product's one place, held until the process ends; false when
// another setup of the product holds it.
bool ClaimOnlySetup();

// Marks a window of this setup as the one a second start brings forward,
// and takes the mark off before the window goes.
void MarkSetupWindow(HWND window);
void UnmarkSetupWindow(HWND window);

// Restores the other setup's marked window, and the box or page open over
// it, and brings them to the front; false when it shows none.
bool BringOtherSetupForward();

#endif
