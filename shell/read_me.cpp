// The read-me at the finish: Notepad by its full path, with the backdrop
// minimised while it runs.
#include "wizard.h"

#include "install_state.h"
#include "path_helpers.h"
#include "shell_start.h"
#include "shell_texts.h"

enum {
    kFormatScratch = 1025,  // wsprintfA never writes more than 1024 bytes
};

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
        DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
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
