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
#include "path_checks.h"
#include "path_helpers.h"
#include "registry_records.h"
#include "shell_start.h"
#include "shell_texts.h"

enum {
    kQuestionSize = 512,
    kFormatScratch = 1025,  // wsprintfA never writes more than 1024 bytes
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
    if (MessageBoxA(backdrop, question, INSTALLER_NAME, MB_ICONQUESTION | MB_YESNO) == IDYES) {
        ViewReadMe(backdrop);
    }
    SetStepMask(kStepFinished);
    MessageBoxA(backdrop, FAREWELL_TEXT, INSTALLER_NAME, MB_ICONINFORMATION | MB_OK);
    DestroyWindow(backdrop);
}

bool BuildReadMeCommand(char command[kReadMeCommandSize], const char* folder, const char* fileName)
{
    char path[kReadMePathSize];
    char scratch[kFormatScratch];
    command[0] = '\0';
    if (!JoinPath(path, sizeof path, folder, fileName, true)) {
        return false;
    }
    wsprintfA(scratch, README_COMMAND_FORMAT, path);
    return CopyText(command, kReadMeCommandSize, scratch);
}

bool FindNotepad(char path[MAX_PATH])
{
    // Started by bare name, the search would look beside the setup (a
    // downloads folder) and in its current folder first, where anyone may
    // have put a Notepad.exe to run with the setup's rights.
    char folder[MAX_PATH];
    for (int i = 0; i < 2; ++i) {
        UINT length = i == 0 ? GetSystemDirectoryA(folder, sizeof folder)
                             : GetWindowsDirectoryA(folder, sizeof folder);
        if (length == 0 || length >= sizeof folder ||
            !JoinPath(path, MAX_PATH, folder, NOTEPAD_FILE, false)) {
            continue;
        }
        if (IsFilePath(path)) {
            return true;
        }
    }
    path[0] = '\0';
    return false;
}

void ViewReadMe(HWND backdrop)
{
    // Minimised while Notepad runs: the backdrop is topmost and would
    // cover it, and no message is handled until Notepad ends.
    ShowWindow(backdrop, SW_MINIMIZE);
    const char* folder = g_setup.state.destinationFolder;
    char command[kReadMeCommandSize];
    char notepad[MAX_PATH];
    if (FindNotepad(notepad) &&
        BuildReadMeCommand(command, folder, g_setup.manifest.files[kReadMeEntry].targetName)) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process;
        if (CreateProcessA(notepad, command, NULL, NULL, FALSE, 0, NULL, folder, &startup,
                           &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }
    ShowWindow(backdrop, SW_RESTORE);
    // Let the activation that Notepad's end hands back happen now (sent
    // messages and window-system events; nothing posted is taken). Under
    // Wine it would otherwise arrive inside the farewell's modal loop and
    // lift the backdrop over the box.
    MSG pending;
    PeekMessageA(&pending, NULL, 0, 0, PM_NOREMOVE);
}
