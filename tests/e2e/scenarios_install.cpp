// Scenarios of whole installations: complete walks, the read-me, a
// destination that cannot be written, a reinstall over an earlier one.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_scenarios.h"
#include "e2e_walk.h"
#include "page_ids.h"
#include "shell_ids.h"

int UnwritableFolder()
{
    // A file where the destination's folder should be.
    Check(WriteTextFile("C:\\Blocked", "in the way"), "made the file C:\\Blocked");
    HWND page = ToLocation();
    if (page == NULL) {
        return Finish();
    }
    snprintf(g_walk.destination, sizeof g_walk.destination, "C:\\Blocked\\Quorvel");
    SetItemText(page, IDC_FOLDER_EDIT, "C:\\Blocked");
    Click(page, IDOK);
    if (ExtractionPage(false)) {
        HWND extraction = FindSetupWindow("#32770", EXTRACTION_CAPTION, g_walk.backdrop);
        Box box;
        if (WaitBox(extraction, &box)) {
            CheckBox(&box, EXTRACT_FAILED, "error");
            Shot("extraction-failed");
            AnswerBox(&box, IDOK);
            ExpectAbortNotice(extraction);
        }
    }
    CheckNothingRecorded();
    CheckNoShortcuts(PRODUCT);
    Check(!IsFolder("C:\\Blocked"), "C:\\Blocked is still a file");
    char windows[MAX_PATH];
    char uninstaller[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    JoinPath(uninstaller, sizeof uninstaller, windows, kFiles[0].name);
    Log("the uninstaller, written before the failure, %s",
        PathExists(uninstaller) ? "stays" : "is absent");
    return Finish();
}

int CompleteInstall()
{
    PlantStaleUpdaterLink();
    Walk walk = {NULL, NULL, false, true};
    if (WalkThrough(&walk)) {
        CheckInstalled();
        CheckPlatformVariant();
    }
    return Finish();
}

int ReadMeYes()
{
    Walk walk = {NULL, NULL, true, false};
    WalkThrough(&walk);
    return Finish();
}

int ReadMeNo()
{
    Walk walk = {NULL, "My Tools", false, false};
    if (WalkThrough(&walk)) {
        CheckInstalled();
    }
    return Finish();
}

int Reinstall()
{
    // The typed folder names the product in another case: kept unchanged.
    Walk first = {"c:\\quorvel stuff", NULL, false, false};
    if (!WalkThrough(&first)) {
        return Finish();
    }
    Check(strcmp(g_walk.destination, "c:\\quorvel stuff") == 0, "installed into %s",
          g_walk.destination);
    static const char* const kept[] = {"licence.KEY", "state.dat", "user.Prd", "notes.pra"};
    for (size_t i = 0; i < sizeof kept / sizeof kept[0]; i++) {
        char path[MAX_PATH];
        JoinPath(path, sizeof path, g_walk.destination, kept[i]);
        WriteTextFile(path, kept[i]);
    }
    char scratch[MAX_PATH];
    char program[MAX_PATH];
    JoinPath(scratch, sizeof scratch, g_walk.destination, "scratch.txt");
    JoinPath(program, sizeof program, g_walk.destination, kFiles[kMainProgram].name);
    WriteTextFile(scratch, "goes");
    WriteTextFile(program, "damaged");

    Log("second run");
    HWND page = ToLocation();
    if (page == NULL) {
        return Finish();
    }
    CheckDefaultLocation(page, "c:\\quorvel stuff");
    Click(page, IDOK);
    HWND group = ExtractionPage(true) ? GroupPage() : NULL;
    if (group == NULL) {
        return Finish();
    }
    Click(group, IDC_GROUP_CONTINUE);
    if (ShortcutDialog(group) && WaitGone(group, kWaitLimit) && FinishSteps(false)) {
        for (size_t i = 0; i < sizeof kept / sizeof kept[0]; i++) {
            char path[MAX_PATH];
            JoinPath(path, sizeof path, g_walk.destination, kept[i]);
            const BYTE* data = NULL;
            DWORD size = 0;
            Check(ReadWholeFile(path, 0, &data, &size) && size == strlen(kept[i]) &&
                      memcmp(data, kept[i], size) == 0,
                  "the data file %s is kept", path);
        }
        Check(!PathExists(scratch), "%s is cleaned away", scratch);
        CheckInstalled();
    }
    return Finish();
}
