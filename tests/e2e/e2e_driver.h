// The end-to-end driver's machinery: its log and checks, the setup process
// it starts, and acting on the setup's windows as a user would.
#ifndef VANTOR_E2E_DRIVER_H
#define VANTOR_E2E_DRIVER_H

#include <windows.h>

enum {
    kExitPassed = 0,
    kExitFailed = 1,
    kExitNotAvailable = 77,  // a page the scenario needs is not built yet
    kWaitLimit = 15000,      // ms for any window to come or go
    kPollInterval = 20,
    kTextSize = 8192,  // the licence text is about 5 KB
    kCommandLineSize = 32768,  // the most CreateProcess takes
};

// --- Log and checks (driver_run.cpp). Every line is stamped with the ms
// since the start.
void Log(const char* format, ...);
// Logs "ok" or "FAIL" with the description; answers ok.
bool Check(bool ok, const char* format, ...);
void Fail(const char* format, ...);
// The scenario cannot go on because a page is missing from the build.
void NotAvailable(const char* format, ...);
bool HasFailed();
// The driver's exit code: failure beats "not available" beats success.
int Outcome();
DWORD Elapsed();
// The text with CR and LF spelled out, for one-line log entries; the result
// lives until the fourth call after.
const char* Printable(const char* text);

// --- The setup process (driver_run.cpp).
// The setup the build put beside the driver, named by the product's
// description; false when its path does not fit.
bool SetupBesideDriver(char* path, size_t size);
// The setup to start from now on, by full path; by default the one beside
// the driver. Its folder is the setup's current folder, unless a current
// folder is set too.
void SetSetupProgram(const char* path);
void SetSetupFolder(const char* folder);
// With arguments, they follow the quoted program path.
bool StartSetup(const char* arguments = NULL);
DWORD SetupProcessId();
bool SetupRunning();
// Waits for the setup to end and checks its exit code (1 unless told).
bool ExpectSetupExit(DWORD timeout, DWORD expected = 1);
// Ends a setup left running by a failed scenario.
void StopSetup();

// --- Windows of the setup, top-level and visible (driver_windows.cpp).
#define ANY_OWNER ((HWND)(LONG_PTR)-1)
HWND FindSetupWindow(const char* className, const char* caption, HWND owner);
// Any visible top-level window of the setup, or NULL.
HWND AnySetupWindow();
HWND WaitWindow(const char* className, const char* caption, HWND owner, DWORD timeout);
// A wizard page owned by the owner. When it never comes and the setup shows
// nothing else (it ended quietly or shows only its backdrop), the page is
// taken as not built yet; any other window in its place is a failure.
HWND WaitPage(const char* caption, HWND owner);
bool WaitGone(HWND window, DWORD timeout);
// A visible top-level window of the class that the process owns, or NULL.
HWND ProcessWindow(DWORD processId, const char* className);
// Polls until done answers true or kWaitLimit has passed; answers done's
// last answer.
template <typename Done>
bool WaitUntil(Done done, DWORD interval = kPollInterval)
{
    for (DWORD start = GetTickCount(); !done(); Sleep(interval)) {
        if (GetTickCount() - start >= kWaitLimit) {
            return done();
        }
    }
    return true;
}
void LogSetupWindows();
// Fails the check that a run (named by what) showed no window, naming the
// window's class and caption; nothing when seen is null.
void FailShownWindow(HWND seen, const char* what);
// Rectangles of every visible setup window but the given one, so that
// pixel checks can skip what lies on top of the backdrop.
int CoveringRects(HWND except, RECT* rects, int capacity);

// --- Acting on controls (driver_controls.cpp).
void Click(HWND page, int id);
void DoubleClickListItem(HWND page, int listId, int index);
// Posts a key press to the control that has the focus in the page's thread.
void PressKey(HWND page, UINT virtualKey);
HWND FocusOf(HWND page);
bool ItemText(HWND page, int id, char* text, int size);
bool WindowText(HWND window, char* text, int size);
bool SetItemText(HWND page, int id, const char* text);
// A control's rectangle in the page's client coordinates.
RECT ItemRect(HWND page, int id);
RECT OuterRect(HWND window);
LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- Message boxes (driver_boxes.cpp).
struct Box {
    HWND window;
    char caption[128];
    char text[1024];
    const char* icon;  // "error", "question", "warning", "information" or "none"
};
bool IsMessageBox(HWND window);
bool WaitBox(HWND owner, Box* box);
// Any message box of the setup, whoever owns it.
HWND FindAnyBox();
// Checks the installer's name as caption, text and icon of a box.
void CheckBox(const Box* box, const char* text, const char* icon);
// Presses the button and waits for the box to close.
bool AnswerBox(const Box* box, int button);
// Starts the setup, which must show the box before anything else: its text
// and icon, and the answer the one Enter presses; then the setup ends
// with 1. The shot, if named, is taken of the box.
void AnswerSetupBox(const char* arguments, const char* text, const char* icon, int answer,
                    const char* shot);

// --- Screenshots into the folder named on the command line (driver_boxes.cpp).
void SetShotFolder(const char* folder);
// Captures the whole screen, saves it as "NN-name.png" and keeps the
// capture for pixel checks. Without a folder it only captures.
bool Shot(const char* name);

#endif
