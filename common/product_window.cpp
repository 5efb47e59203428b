#include "product_window.h"

int ShowProductMessage(HWND owner, const char* caption, const char* text, UINT buttons)
{
    // MB_USERICON shows the program's icon instead of a stock symbol, so
    // the box is recognisably the product's even without its main window.
    MSGBOXPARAMSA box;
    ZeroMemory(&box, sizeof box);
    box.cbSize = sizeof box;
    box.hwndOwner = owner;
    box.hInstance = GetModuleHandleA(NULL);
    box.lpszText = text;
    box.lpszCaption = caption;
    box.dwStyle = buttons | MB_USERICON;
    box.lpszIcon = MAKEINTRESOURCEA(PROGRAM_ICON);
    return MessageBoxIndirectA(&box);
}

HICON LoadProductIcon(int size)
{
    return (HICON)LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(PROGRAM_ICON),
                             IMAGE_ICON, size, size, LR_SHARED);
}

bool RegisterProductClass(HINSTANCE instance, WNDPROC procedure, const char* name,
                          const char* menu)
{
    WNDCLASSEXA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadProductIcon(32);
    windowClass.hIconSm = LoadProductIcon(16);
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = menu;
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0;
}
