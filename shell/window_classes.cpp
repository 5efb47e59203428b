// The program's two window classes.
#include "shell_start.h"

#include "backdrop.h"
#include "install_state.h"
#include "shell_ids.h"

enum { kSystemDialogClass = 32770 };

namespace {

HICON LoadSmallIcon(HINSTANCE instance)
{
    return (HICON)LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETUP), IMAGE_ICON, 16, 16,
                             LR_DEFAULTCOLOR);
}

}  // namespace

void RegisterWindowClasses()
{
    HINSTANCE instance = g_setup.state.instance;

    // The welcome page has no owner to take icons from, so its class
    // carries them; everything else stays as the system dialog class has it.
    WNDCLASSEXA dialog;
    dialog.cbSize = sizeof dialog;
    if (GetClassInfoExA(NULL, MAKEINTATOM(kSystemDialogClass), &dialog)) {
        dialog.lpfnWndProc = DefDlgProcA;
        dialog.cbWndExtra = DLGWINDOWEXTRA;
        dialog.hInstance = instance;
        dialog.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
        dialog.hIconSm = LoadSmallIcon(instance);
        dialog.lpszClassName = WELCOME_CLASS;
        RegisterClassExA(&dialog);
    }

    WNDCLASSEXA backdrop = {};
    backdrop.cbSize = sizeof backdrop;
    backdrop.style = CS_BYTEALIGNWINDOW;
    backdrop.lpfnWndProc = BackdropProc;
    backdrop.hInstance = instance;
    backdrop.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    backdrop.hIconSm = LoadSmallIcon(instance);
    backdrop.hCursor = LoadCursorA(NULL, IDC_ARROW);
    backdrop.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    backdrop.lpszClassName = BACKDROP_CLASS;
    RegisterClassExA(&backdrop);
}
