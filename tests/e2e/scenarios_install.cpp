// Scenarios of whole installations: complete walks, the read-me, a
// destination that cannot be written, a reinstall over an earlier one.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_scenarios.h"
#include "e2e_walk.h"
#include "page_ids.h"
#include "shell_ids.h"

#define OPEN_WITH_WORDPAD "\"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe\" \"%1\""
#define PLANTED_PROGRAM "T:\\planted-program.exe"
#define SYSTEM_NOTEPAD "C:\\windows\\system32\\notepad.exe"
#define THROUGH_FILE_TEXT \
    "Path Invalid!\r\n\r\nThe path leads through a link, a junction or a file."

// A file where a folder of the destination should be: the pass would fail
// at its first file, after the uninstaller was written, so the page
// refuses it and the installation can go elsewhere or stop there.
int UnwritableFolder()
{
    Check(WriteTextFile("C:\\Blocked", "in the way"), "made the file C:\\Blocked");
    HWND page = ToLocation();
    if (page == NULL) {
        return Finish();
    }
    SetItemText(page, IDC_FOLDER_EDIT, "C:\\Blocked");
    Click(page, IDOK);
    Box box;
    if (WaitBox(page, &box)) {
        CheckBox(&box, THROUGH_FILE_TEXT, "warning");
        Shot("through-a-file");
        AnswerBox(&box, IDOK);
    }
    Check(IsWindowVisible(page), "the folder page stays open");
    Click(page, IDCANCEL);
    ExpectAbortNotice(page);
    CheckNothingRecorded();
    CheckNoShortcuts(PRODUCT);
    Check(!IsFolder("C:\\Blocked"), "C:\\Blocked is still a file");
    char windows[MAX_PATH];
    char uninstaller[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    JoinPath(uninstaller, sizeof uninstaller, windows, kFiles[0].name);
    Check(!PathExists(uninstaller), "nothing was written, the uninstaller neither");
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

static bool SetText(HKEY root, const char* key, const char* name, const char* value)
{
    return Check(RegSetKeyValueA(root, key, name, REG_SZ, value, (DWORD)strlen(value) + 1) ==
                     ERROR_SUCCESS,
                 "%s set to %s", key, value);
}

// Where Windows 11 differs. The host removed Notepad from the system and
// the Windows folder (host-readme-elsewhere.sh), as Windows 11 lets users
// do, while .txt files still name it. Then WordPad opens them. Last, a
// Notepad that hands the file to WordPad and ends at once: the planted
// program, which Wine runs in place of its own Notepad only when told to
// prefer the file on disk (were it Wine's, the backdrop would come back).
int ReadMeElsewhere()
{
    Walk walk = {NULL, NULL, true, false};
    g_walk.readMeWay = kReadMeUnopened;
    if (!SetText(HKEY_CLASSES_ROOT, ".txt", NULL, "txtfile") || !WalkThrough(&walk)) {
        return Finish();
    }
    g_walk.readMeWay = kReadMeAssociated;
    if (!SetText(HKEY_CLASSES_ROOT, "txtfile\\shell\\open\\command", NULL, OPEN_WITH_WORDPAD) ||
        !WalkThrough(&walk)) {
        return Finish();
    }
    g_walk.readMeWay = kReadMeHandedOff;
    if (SetText(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "notepad.exe", "native") &&
        Check(CopyFileA(PLANTED_PROGRAM, SYSTEM_NOTEPAD, TRUE), "planted " SYSTEM_NOTEPAD)) {
        WalkThrough(&walk);
    }
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

// A data file of the user's for each preserved extension, the extension in
// upper, lower and mixed case in turn: they are compared without case.
static void KeptDataFiles(char kept[PRODUCT_PRESERVED_COUNT][32])
{
    static const char* const extensions[] = {PRODUCT_PRESERVED_EXTENSIONS};
    for (int i = 0; i < PRODUCT_PRESERVED_COUNT; i++) {
        char ext[16];
        snprintf(ext, sizeof ext, "%s", extensions[i]);
        for (char* c = ext + 1; *c != '\0'; c++) {
            if (i % 3 == 1 || (i % 3 == 2 && c > ext + 1)) {
                *c = (char)tolower((unsigned char)*c);
            }
        }
        snprintf(kept[i], 32, "data%d%s", i, ext);
    }
}

int Reinstall()
{
    // The typed folder names the product in another case: kept unchanged.
    char typed[MAX_PATH];
    snprintf(typed, sizeof typed, "c:\\%s stuff", PRODUCT);
    CharLowerA(typed);
    Walk first = {typed, NULL, false, false};
    if (!WalkThrough(&first)) {
        return Finish();
    }
    Check(strcmp(g_walk.destination, typed) == 0, "installed into %s", g_walk.destination);
    char kept[PRODUCT_PRESERVED_COUNT][32];
    KeptDataFiles(kept);
    for (size_t i = 0; i < PRODUCT_PRESERVED_COUNT; i++) {
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
    CheckDefaultLocation(page, typed);
    Click(page, IDOK);
    HWND group = ExtractionPage(true) ? GroupPage() : NULL;
    if (group == NULL) {
        return Finish();
    }
    Click(group, IDC_GROUP_CONTINUE);
    if (ShortcutDialog(group) && WaitGone(group, kWaitLimit) && FinishSteps(false)) {
        for (size_t i = 0; i < PRODUCT_PRESERVED_COUNT; i++) {
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
