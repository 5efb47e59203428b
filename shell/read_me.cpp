// The read-me at the finish: Notepad by its full path, else the program
// Windows opens the file with, else a box that says where the file is.
#include "wizard.h"

#include <objbase.h>
#include <shellapi.h>

#include "backdrop.h"
#include "install_state.h"
#include "page_services.h"
#include "path_checks.h"
#include "path_helpers.h"
#include "shell_start.h"
#include "shell_texts.h"

enum {
    kFormatScratch = 1024,  // what ShowFormattedBox holds
    kFullPathSize = kFolderSlotSize + kTargetNameSize,  // always holds folder\name
    kViewerLook = 200,    // ms between looks for the viewer's first window
    kHandOffWait = 3000,  // ms for the window of the program the file went to
};

static_assert(sizeof(READ_ME_UNOPENED_FORMAT) + kFullPathSize <= kFormatScratch,
              "read-me box");

namespace {

struct ViewerWatch {
    DWORD processId;
    bool shown;
};

BOOL CALLBACK NoteViewerWindow(HWND window, LPARAM param)
{
    ViewerWatch* watch = (ViewerWatch*)param;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != watch->processId || !IsWindowVisible(window)) {
        return TRUE;
    }
    watch->shown = true;
    return FALSE;
}

// False on WM_QUIT, which goes back to the queue for the loop that owns it.
bool DispatchQueued()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

// Waits up to the time for the process (none: for the time alone),
// handling the thread's messages meanwhile so that Windows never takes the
// setup for hung. False once the process has ended or WM_QUIT came.
bool WaitStep(HANDLE process, DWORD milliseconds)
{
    DWORD count = process != NULL ? 1 : 0;
    DWORD woke = MsgWaitForMultipleObjects(count, &process, FALSE, milliseconds, QS_ALLINPUT);
    if (woke == WAIT_TIMEOUT) {
        return true;
    }
    return woke == WAIT_OBJECT_0 + count && DispatchQueued();
}

// Until the viewer ends. The backdrop, the only window left, is disabled
// and refuses to open or close meanwhile, so nothing acts on what comes.
// Answers whether the viewer ever showed a window of its own.
bool WaitForViewer(HANDLE process)
{
    ViewerWatch watch = {GetProcessId(process), false};
    do {
        if (!watch.shown) {
            EnumWindows(NoteViewerWindow, (LPARAM)&watch);
        }
    } while (WaitStep(process, watch.shown ? INFINITE : (DWORD)kViewerLook));
    return watch.shown;
}

// The process of the window now in front when it is another program's
// that came there since; INVALID_HANDLE_VALUE when it cannot be waited on.
HANDLE NewFrontProcess(HWND before)
{
    HWND front = GetForegroundWindow();
    DWORD owner = 0;
    GetWindowThreadProcessId(front, &owner);
    if (front == NULL || front == before || owner == GetCurrentProcessId()) {
        return NULL;
    }
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, owner);
    return process != NULL ? process : INVALID_HANDLE_VALUE;
}

// The program the file was handed to shows it in its own time: the
// farewell waits until a window of another program has come to the front
// and that program waits for input, so that the box comes up over it; a
// few seconds at the most.
void AwaitHandedWindow(HWND before)
{
    DWORD start = GetTickCount();
    HANDLE shower = NULL;
    do {
        if (shower == NULL) {
            shower = NewFrontProcess(before);
        }
        if (shower == INVALID_HANDLE_VALUE) {
            return;
        }
        if (shower != NULL && WaitForInputIdle(shower, 0) != WAIT_TIMEOUT) {
            break;
        }
    } while (!PauseElapsed(start, GetTickCount(), kHandOffWait) &&
             WaitStep(NULL, kViewerLook));
    if (shower != NULL) {
        CloseHandle(shower);
    }
}

HANDLE StartNotepad(const char* folder, const char* fileName)
{
    char command[kReadMeCommandSize];
    char notepad[MAX_PATH];
    if (!FindNotepad(notepad) || !BuildReadMeCommand(command, folder, fileName)) {
        return NULL;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(notepad, command, NULL, NULL, FALSE, 0, NULL, folder, &startup,
                        &process)) {
        return NULL;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

// The association is the choice of the machine or its user; the path is
// the installed file's, and the program starts in the destination, as
// Notepad does. DLLs the shell loads come from the system folder only
// (set at the start). No box of the shell's own: ours names the file.
bool OpenAssociated(HWND owner, const char* path, const char* folder, HANDLE* process)
{
    *process = NULL;
    if (lstrlenA(path) >= MAX_PATH) {
        return false;
    }
    // The shell may hand the file to a COM handler.
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpVerb = "open";
    info.lpFile = path;
    info.lpDirectory = folder;
    info.nShow = SW_SHOWNORMAL;
    bool opened = ShellExecuteExA(&info) != FALSE;
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    if (opened) {
        *process = info.hProcess;  // none when the file went to a running program
    }
    return opened;
}

}  // namespace

bool BuildReadMeCommand(char command[kReadMeCommandSize], const char* folder, const char* fileName)
{
    char path[kReadMePathSize];
    command[0] = '\0';
    if (!JoinPath(path, sizeof path, folder, fileName, true)) {
        return false;
    }
    if (!CopyText(command, kReadMeCommandSize, README_COMMAND_PREFIX) ||
        !AppendText(command, kReadMeCommandSize, path)) {
        command[0] = '\0';
        return false;
    }
    return true;
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

bool ViewReadMe(HWND backdrop)
{
    const char* folder = g_setup.state.destinationFolder;
    const char* fileName = g_setup.manifest.files[kReadMeEntry].targetName;
    char path[kFullPathSize];
    JoinPath(path, sizeof path, folder, fileName, false);

    // Minimised while the viewer runs: the backdrop is topmost and would
    // cover it.
    g_backdrop.keepIconic = true;
    ShowWindow(backdrop, SW_MINIMIZE);
    EnableWindow(backdrop, FALSE);
    HWND before = GetForegroundWindow();
    HANDLE viewer = StartNotepad(folder, fileName);
    bool opened = viewer != NULL || OpenAssociated(backdrop, path, folder, &viewer);
    bool shown = false;
    if (viewer != NULL) {
        shown = WaitForViewer(viewer);
        CloseHandle(viewer);
    }
    EnableWindow(backdrop, TRUE);
    // A viewer that ended without a window of its own (Windows 11's
    // Notepad), or none to wait for, handed the file to another program,
    // whose window the backdrop must not cover: it stays an icon to the end.
    if (opened && !shown) {
        AwaitHandedWindow(before);
        return true;
    }
    g_backdrop.keepIconic = false;
    ShowWindow(backdrop, SW_RESTORE);
    // Let the activation that the viewer's end hands back happen now (sent
    // messages and window-system events; nothing posted is taken). Under
    // Wine it would otherwise arrive inside the next box's modal loop and
    // lift the backdrop over the box.
    MSG pending;
    PeekMessageA(&pending, NULL, 0, 0, PM_NOREMOVE);
    if (!opened) {
        ShowFormattedBox(backdrop, MB_OK | MB_ICONWARNING, READ_ME_UNOPENED_FORMAT, path);
    }
    return false;
}
