// The finish of a walk: the success question, the read-me and the
// farewell.
#include <windows.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_walk.h"

#define WORDPAD_CLASS "WORDPADTOP"
#define UNOPENED_TEXT "The Read Me file could not be opened.\r\n\r\nYou will find it at\r\n"

// The program names the file once it has read it.
static void CheckCaption(HWND window, const char* who)
{
    char caption[256] = "";
    bool named = WaitUntil([&] {
        GetWindowTextA(window, caption, sizeof caption);
        return strstr(caption, kFiles[kReadMe].name) != NULL;
    });
    Check(named, "%s shows %s (\"%s\")", who, kFiles[kReadMe].name, caption);
}

// While the read-me's program runs the setup answers, and its backdrop
// stays minimised and open whatever asks it to come back (its taskbar
// button, a second setup) or to close; asked without waiting, since a setup
// that handled no messages would hold the driver.
static void CheckWaitingBackdrop(const char* who)
{
    HWND backdrop = g_walk.backdrop;
    DWORD_PTR answer;
    Check(SendMessageTimeoutA(backdrop, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer) != 0 &&
              !IsWindowEnabled(backdrop),
          "the setup answers messages while %s runs; the backdrop takes no input", who);
    ShowWindowAsync(backdrop, SW_RESTORE);
    PostMessageA(backdrop, WM_CLOSE, 0, 0);
    Sleep(500);
    Check(IsWindow(backdrop) && IsIconic(backdrop), "asked to come back and to close, it stays");
}

static void CloseViewer(HWND window, const char* who)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    Log("close %s", who);
    PostMessageA(window, WM_CLOSE, 0, 0);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process != NULL) {
        Check(WaitForSingleObject(process, kWaitLimit) == WAIT_OBJECT_0, "%s ended", who);
        CloseHandle(process);
    }
}

// The read-me in a program the setup started, as its program and classes
// of window and text control name it.
static void ReadMeInChild(const char* program, const char* windowClass, const char* textClass)
{
    DWORD pid = 0;
    HWND viewer = NULL;
    char exe[MAX_PATH] = "";
    WaitUntil([&] {
        pid = FindChildProcess(SetupProcessId(), exe, sizeof exe);
        viewer = pid ? ProcessWindow(pid, windowClass) : NULL;
        return viewer != NULL;
    });
    if (!Check(viewer != NULL, "%s opened as the setup's child (%s, process %lu)", program, exe,
               (unsigned long)pid)) {
        return;
    }
    Check(lstrcmpiA(exe, program) == 0, "the child process is %s (%s)", program, exe);
    CheckCaption(viewer, program);
    static char shown[kTextSize];
    WindowText(FindWindowExA(viewer, NULL, textClass, NULL), shown, sizeof shown);
    const BYTE* readMe = NULL;
    DWORD size = 0;
    char installed[MAX_PATH];
    JoinPath(installed, sizeof installed, g_walk.destination, kFiles[kReadMe].name);
    if (ReadWholeFile(installed, 1, &readMe, &size)) {
        Check(strlen(shown) == size && memcmp(shown, readMe, size) == 0,
              "%s holds the installed read-me (%u characters, %lu expected)", program,
              (unsigned)strlen(shown), (unsigned long)size);
    }
    Sleep(300);
    Shot(windowClass);
    CheckWaitingBackdrop(program);
    CloseViewer(viewer, program);
}

// After Yes, the read-me as the scenario arranged the system; answers
// WordPad's window when the file was handed to it, open for the farewell.
static HWND ReadMeShown()
{
    Box box;
    char text[sizeof UNOPENED_TEXT + MAX_PATH] = UNOPENED_TEXT;
    switch (g_walk.readMeWay) {
    case kReadMeInNotepad:
        ReadMeInChild("notepad.exe", "Notepad", "Edit");
        return NULL;
    case kReadMeAssociated:
        ReadMeInChild("wordpad.exe", WORDPAD_CLASS, "RichEdit20W");
        return NULL;
    case kReadMeUnopened:
        JoinPath(text + strlen(text), MAX_PATH, g_walk.destination, kFiles[kReadMe].name);
        if (WaitBox(g_walk.backdrop, &box)) {
            CheckBox(&box, text, "warning");
            Shot("readme-unopened");
            AnswerBox(&box, IDOK);
        }
        return NULL;
    case kReadMeHandedOff:
        break;  // WordPad, started by no child of the setup
    }
    HWND wordPad = NULL;
    WaitUntil([&] { return IsWindowVisible(wordPad = FindWindowA(WORDPAD_CLASS, NULL)) != FALSE; });
    CheckCaption(wordPad, "wordpad.exe");
    return wordPad;
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
    HWND handedTo = viewReadMe ? ReadMeShown() : NULL;
    if (!WaitBox(g_walk.backdrop, &box)) {
        return false;
    }
    g_walk.farewellTick = GetTickCount();
    PageShown();
    CheckBox(&box, FAREWELL, "information");
    if (handedTo != NULL) {
        // A point of the read-me's window away from the box shows it.
        RECT shown = OuterRect(handedTo);
        POINT corner = {shown.left + 10, shown.top + 10};
        HWND seen = GetAncestor(WindowFromPoint(corner), GA_ROOT);
        Check(IsIconic(g_walk.backdrop) && seen == handedTo &&
                  (GetWindowLongA(box.window, GWL_EXSTYLE) & WS_EX_TOPMOST),
              "the backdrop stays minimised, the read-me's window uncovered under the farewell");
        Shot("farewell-over-read-me");
    } else {
        Check(!IsIconic(g_walk.backdrop) && IsWindowVisible(g_walk.backdrop),
              "the backdrop is shown again for the farewell");
        ShotAndStep("farewell", 64);
    }
    if (!viewReadMe) {
        char exe[MAX_PATH];
        Check(FindChildProcess(SetupProcessId(), exe, sizeof exe) == 0,
              "answering No started no process (%s)", exe[0] ? exe : "none");
    }
    Acting();
    AnswerBox(&box, IDOK);
    if (!ExpectSetupExit(kWaitLimit)) {
        return false;
    }
    return Check(!IsWindow(g_walk.backdrop), "the backdrop is gone");
}
