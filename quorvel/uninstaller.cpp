// Quorvel's uninstaller, installed into the Windows folder and registered as
// the product's uninstall command. For now it only says what it would do.
#include "product_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ShowProductMessage(NULL, QUORVEL_NAME " Uninstall",
        "This would remove " QUORVEL_TITLE " from your computer,\r\n"
        "with its program folder, shortcuts and registry entries.\r\n\r\n"
        "Nothing has been removed.",
        MB_OK);
    return 0;
}
