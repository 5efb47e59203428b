// The welcome page: the first window, shown before the backdrop exists.
#include "wizard.h"
#include "location_page.h"
#include "one_setup.h"
#include "page_services.h"
#include "shell_ids.h"

enum {
    kHeadingSize = 100,  // the heading holds at most 99 characters
};

namespace {

void PutYearInHeading(HWND page)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    // A heading that would not fit keeps its template text.
    FormatWindowText(GetDlgItem(page, IDC_WELCOME_HEADING), kHeadingSize, (int)now.wYear);
}

}  // namespace

INT_PTR CALLBACK WelcomeProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        PutYearInHeading(page);
        // No backdrop yet: centred on the whole screen.
        CenterPage(page, false);
        FormatPageText(page, false);
        MarkSetupWindow(page);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) {
            return TRUE;
        }
        EndDialog(page, LOWORD(wParam));
        return FALSE;
    case WM_DESTROY:
        UnmarkSetupWindow(page);
        return FALSE;
    case WM_CTLCOLORSTATIC:
        // The lead text as every page's explanatory text.
        return (INT_PTR)ColorPageText((HDC)wParam, (HWND)lParam);
    }
    return FALSE;
}
