// The fixed chain of wizard pages and the finish. Each link calls the next,
// so the whole installation runs inside the backdrop's one timer tick.
#include "wizard.h"

#include "backdrop.h"
#include "extraction_page.h"
#include "group_page.h"
#include "install_state.h"
#include "license_page.h"
#include "location_page.h"
#include "page_ids.h"
#include "registry_records.h"
#include "shell_texts.h"

enum {
    kQuestionSize = 512,
};

// The product name is a manifest field, so the question always fits.
static_assert(sizeof(SUCCESS_QUESTION_FORMAT) + kProductNameSize <= kQuestionSize,
              "success question");

namespace {

typedef void (*ChainLink)(HWND backdrop);

// Anything but 1 (2, or -1 when the dialog cannot be made) ends the run.
void RunPage(HWND backdrop, DWORD step, WORD dialogId, DLGPROC proc, ChainLink next)
{
    SetStepMask(step);
    INT_PTR result =
        DialogBoxParamA(g_setup.state.instance, MAKEINTRESOURCEA(dialogId), backdrop, proc, 0);
    if (result == 1) {
        next(backdrop);
    } else {
        DestroyWindow(backdrop);
    }
}

}  // namespace

void RunLicensePage(HWND backdrop)
{
    RunPage(backdrop, kStepLicense, IDD_LICENSE, LicenseProc, RunLocationPage);
}

void RunLocationPage(HWND backdrop)
{
    RunPage(backdrop, kStepLocation, IDD_LOCATION, LocationPageProc, RunInstallPage);
}

void RunInstallPage(HWND backdrop)
{
    RunPage(backdrop, kStepInstalling, IDD_EXTRACTION, ExtractionPageProc, RunGroupPage);
}

void RunGroupPage(HWND backdrop)
{
    RunPage(backdrop, kStepGroup, IDD_GROUP, GroupPageProc, FinishInstall);
}

void FinishInstall(HWND backdrop)
{
    WriteRegistryRecords();
    SetStepMask(kStepReadMe);
    char question[kQuestionSize];
    wsprintfA(question, SUCCESS_QUESTION_FORMAT, g_setup.manifest.productName);
    bool readMeInFront = false;
    if (MessageBoxA(backdrop, question, INSTALLER_NAME, MB_ICONQUESTION | MB_YESNO) == IDYES) {
        readMeInFront = ViewReadMe(backdrop);
    }
    SetStepMask(kStepFinished);
    // Over the read-me's window, which the minimised backdrop leaves
    // uncovered, even when that window came up after the box.
    MessageBoxA(backdrop, FAREWELL_TEXT, INSTALLER_NAME,
                MB_ICONINFORMATION | MB_OK | (readMeInFront ? MB_TOPMOST : 0));
    DestroyWindow(backdrop);
}
