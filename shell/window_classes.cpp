// The program's two window classes.
#include "shell_start.h"

#include "backdrop.h"
#include "install_state.h"
#include "page_services.h"
#include "shell_ids.h"

enum { kSystemDialogClass = 32770 };

void RegisterWindowClasses()
{
    HINSTANCE instance = g_setup.state.instance;
    // Both classes carry the same two icons.
    HICON icon = LoadSetupIcon(IDI_SETUP, 0);
    HICON smallIcon = LoadSetupIcon(IDI_SETUP, kSmallIconSize);

    // The welcome page has no owner to take icons from, so its class
    // carries them; everything else stays as the system dialog class has it.
    WNDCLASSEXA dialog;
    dialog.cbSize = sizeof dialog;
    if (GetClassInfoExA(NULL, MAKEINTATOM(kSystemDialogClass), &dialog)) {
        dialog.lpfnWndProc = DefDlgProcA;
        dialog.cbWndExtra = DLGWINDOWEXTRA;
        dialog.hInstance = instance;
        dialog.hIcon = icon;
        dialog.hIconSm = smallIcon;
        dialog.lpszClassName = WELCOME_CLASS;
        RegisterClassExA(&dialog);
    }

    WNDCLASSEXA backdrop = {};
    backdrop.cbSize = sizeof backdrop;
    backdrop.style = CS_BYTEALIGNWINDOW;
    backdrop.lpfnWndProc = BackdropProc;
    backdrop.hInstance = instance;
    backdrop.hIcon = icon;
    backdrop.hIconSm = smallIcon;
    backdrop.hCursor = LoadCursorA(NULL, IDC_ARROW);
    backdrop.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    backdrop.lpszClassName = BACKDROP_CLASS;
    RegisterClassExA(&backdrop);
}
