#include "single_instance.h"

#include "main_program.h"

static void BringFirstForward()
{
    for (DWORD waited = 0; waited < FIRST_WINDOW_WAIT; waited += FIRST_WINDOW_PAUSE) {
        HWND first = FindWindowA(LEDGER_CLASS, NULL);
        if (first != NULL) {
            if (IsIconic(first))
                ShowWindow(first, SW_RESTORE);
            // A box the first one has open, a question about the file
            // perhaps, is what the user has to answer: it comes forward.
            SetForegroundWindow(GetLastActivePopup(first));
            return;
        }
        Sleep(FIRST_WINDOW_PAUSE);
    }
}

bool ClaimOnlyInstance()
{
    // Never closed: the system releases the name when the process ends,
    // however it ends.
    HANDLE guard = CreateMutexA(NULL, FALSE, LEDGER_MUTEX);
    DWORD error = GetLastError();
    // Denied means it exists, made by another user running Quorvel here.
    bool another = guard != NULL ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    if (!another)
        return true;  // a name that cannot be had for another reason guards nothing
    if (guard != NULL)
        CloseHandle(guard);
    BringFirstForward();
    return false;
}
