// The finish of a walk: the success question, the read-me and the
// farewell.
#include <windows.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_walk.h"

static HWND FindNotepad(DWORD pid)
{
    HWND w = NULL;
    while ((w = FindWindowExA(NULL, w, "Notepad", NULL)) != NULL) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) {
            return w;
        }
    }
    return NULL;
}

static void ReadMeInNotepad()
{
    DWORD start = GetTickCount();
    DWORD pid = 0;
    HWND notepad = NULL;
    char exe[MAX_PATH] = "";
    while (GetTickCount() - start < kWaitLimit && notepad == NULL) {
        pid = FindChildProcess(SetupProcessId(), exe, sizeof exe);
        notepad = pid ? FindNotepad(pid) : NULL;
        Sleep(kPollInterval);
    }
    if (!Check(notepad != NULL, "Notepad opened as the setup's child (%s, process %lu)", exe,
               (unsigned long)pid)) {
        return;
    }
    Check(lstrcmpiA(exe, "notepad.exe") == 0, "the child process is notepad.exe (%s)", exe);
    // Notepad names the file once it has read it.
    char caption[256] = "";
    for (start = GetTickCount(); GetTickCount() - start < kWaitLimit; Sleep(kPollInterval)) {
        GetWindowTextA(notepad, caption, sizeof caption);
        if (strstr(caption, kFiles[kReadMe].name) != NULL) {
            break;
        }
    }
    Check(strstr(caption, kFiles[kReadMe].name) != NULL, "Notepad shows %s (\"%s\")",
          kFiles[kReadMe].name, caption);
    static char shown[kTextSize];
    WindowText(FindWindowExA(notepad, NULL, "Edit", NULL), shown, sizeof shown);
    const BYTE* readMe = NULL;
    DWORD size = 0;
    char installed[MAX_PATH];
    JoinPath(installed, sizeof installed, g_walk.destination, kFiles[kReadMe].name);
    if (ReadWholeFile(installed, 1, &readMe, &size)) {
        Check(strlen(shown) == size && memcmp(shown, readMe, size) == 0,
              "Notepad holds the installed read-me (%u characters, %lu expected)",
              (unsigned)strlen(shown), (unsigned long)size);
    }
    Sleep(300);
    Shot("notepad");
    Check(IsIconic(g_walk.backdrop), "the backdrop is minimised while Notepad runs");
    Sleep(500);
    Check(IsIconic(g_walk.backdrop), "the backdrop is still minimised half a second later");
    Log("close Notepad");
    PostMessageA(notepad, WM_CLOSE, 0, 0);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process != NULL) {
        Check(WaitForSingleObject(process, kWaitLimit) == WAIT_OBJECT_0, "Notepad ended");
        CloseHandle(process);
    }
}

// Success question, read-me, farewell.
bool FinishSteps(bool viewReadMe)
{
    Box box;
    if (!WaitBox(g_walk.backdrop, &box)) {
        return false;
    }
    PageShown();
    CheckBox(&box, QUESTION_TEXT, "question");
    Check(GetDlgItem(box.window, IDYES) && GetDlgItem(box.window, IDNO),
          "the question offers Yes and No");
    ShotAndStep("readme-question", 32);
    Acting();
    AnswerBox(&box, viewReadMe ? IDYES : IDNO);
    if (viewReadMe) {
        ReadMeInNotepad();
    }
    if (!WaitBox(g_walk.backdrop, &box)) {
        return false;
    }
    g_walk.farewellTick = GetTickCount();
    PageShown();
    CheckBox(&box, FAREWELL, "information");
    Check(!IsIconic(g_walk.backdrop) && IsWindowVisible(g_walk.backdrop),
          "the backdrop is shown again for the farewell");
    if (!viewReadMe) {
        char exe[MAX_PATH];
        Check(FindChildProcess(SetupProcessId(), exe, sizeof exe) == 0,
              "answering No started no process (%s)", exe[0] ? exe : "none");
    }
    ShotAndStep("farewell", 64);
    Acting();
    AnswerBox(&box, IDOK);
    if (!ExpectSetupExit(kWaitLimit)) {
        return false;
    }
    return Check(!IsWindow(g_walk.backdrop), "the backdrop is gone");
}
