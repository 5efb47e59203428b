// Quorvel's updater. There is no newer release to fetch, so it never goes
// on line: it confirms the installed version and ends.
#include "dll_search.h"
#include "product_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    ShowProductMessage(NULL, QUORVEL_NAME " Update",
        "Your copy of " QUORVEL_TITLE " is up to date.\r\n\r\n"
        "There is no newer version of " QUORVEL_NAME " to install.",
        MB_OK);
    return 0;
}
