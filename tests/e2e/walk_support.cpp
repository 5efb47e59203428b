// Small helpers of the walks: timing of the driver's own waits, expected
// values, paths and the setup's image.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_walk.h"
#include "page_ids.h"
#include "shell_ids.h"

WalkState g_walk;

int Finish()
{
    StopSetup();
    return Outcome();
}

void PageShown()
{
    g_walk.shownTick = GetTickCount();
}

void Acting()
{
    g_walk.driverTime += GetTickCount() - g_walk.shownTick;
}

const char* BaseFolder()
{
    static char base[MAX_PATH];
    const char* token = PROGRAM_FILES_FOLDER_TOKEN;
    size_t length = strlen(token);
    char programFiles[MAX_PATH];
    if (base[0] != '\0') {
        return base;
    }
    if (strncmp(PRODUCT_DEFAULT_BASE_FOLDER, token, length) == 0 &&
        SpecialFolder(CSIDL_PROGRAM_FILES, programFiles)) {
        snprintf(base, sizeof base, "%s%s", programFiles, PRODUCT_DEFAULT_BASE_FOLDER + length);
    } else {
        snprintf(base, sizeof base, "%s", PRODUCT_DEFAULT_BASE_FOLDER);
    }
    return base;
}

const char* DefaultFolder()
{
    static char folder[MAX_PATH];
    if (folder[0] == '\0') {
        JoinPath(folder, sizeof folder, BaseFolder(), PRODUCT_NAME);
    }
    return folder;
}

void ExpectedFileTime(FILETIME* utc)
{
    SYSTEMTIME local = PRODUCT_FILE_TIME;
    FILETIME localTime;
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, utc);
}

void CaptionLink(char* out, size_t size, const char* folder, int entry)
{
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%s.lnk", kFiles[entry].caption);
    JoinPath(out, size, folder, name);
}

void LinkFolders(char* programs, char* sendTo)
{
    SpecialFolder(g_walk.allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, programs);
    sendTo[0] = '\0';
    if (!g_walk.allUsers) {
        SpecialFolder(CSIDL_SENDTO, sendTo);
    }
}

void ThousandsText(DWORD value, char* text, int size)
{
    char digits[32];
    int n = 0;
    do {
        if (n > 0 && n % 4 == 3) {
            digits[n++] = ',';
        }
        digits[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0 && n < 30);
    int i = 0;
    for (; i < n && i < size - 1; i++) {
        text[i] = digits[n - 1 - i];
    }
    text[i] = '\0';
}

void JoinPath(char* out, size_t size, const char* folder, const char* name)
{
    size_t n = strlen(folder);
    snprintf(out, size, "%s%s%s", folder, n > 0 && folder[n - 1] == '\\' ? "" : "\\", name);
}

DWORD ReferenceSize(int entry)
{
    char reference[MAX_PATH];
    snprintf(reference, sizeof reference, REFERENCE_FOLDER "%s", kFiles[entry].name);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(reference, GetFileExInfoStandard, &data) || data.nFileSizeHigh != 0) {
        Fail("no reference copy %s", reference);
        return 0;
    }
    return data.nFileSizeLow;
}

// Polls a control until its text is the expected one.
bool WaitItemText(HWND page, int id, const char* expected, DWORD timeout)
{
    char text[kItemSize];
    DWORD start = GetTickCount();
    for (;;) {
        ItemText(page, id, text, sizeof text);
        if (strcmp(text, expected) == 0) {
            return true;
        }
        if (GetTickCount() - start >= timeout) {
            Fail("control %d reads \"%s\", expected \"%s\"", id, text, expected);
            return false;
        }
        Sleep(kPollInterval);
    }
}

void CheckBesidePanel(HWND page, const char* what)
{
    RECT r = OuterRect(page);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    int x = (g_walk.width - w + kPanelWidth) / 2;
    int y = (g_walk.height - h) / 2;
    Check(r.left == x && r.top == y,
          "%s centred beside the panel: at (%ld, %ld), expected (%d, %d)", what, r.left, r.top, x,
          y);
}

bool OpenSetupImage()
{
    if (g_walk.setupImage != NULL) {
        return true;
    }
    char path[MAX_PATH];
    if (!SetupBesideDriver(path, sizeof path)) {
        return false;
    }
    g_walk.setupImage = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    return g_walk.setupImage != NULL;
}
