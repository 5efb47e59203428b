// Quorvel's updater. There is no newer release to fetch, so it never goes
// on line: it confirms the installed version and ends.
#include "dll_search.h"
#include "product_identity.h"
#include "product_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    ShowProductMessage(NULL, PRODUCT_NAME " Update",
        "Your copy of " PRODUCT_NAME " " PRODUCT_VERSION " is up to date.\r\n\r\n"
        "There is no newer version of " PRODUCT_NAME " to install.",
        MB_OK);
    return 0;
}
