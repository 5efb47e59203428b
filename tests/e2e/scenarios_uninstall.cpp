// Scenarios of the removal, each proven with snapshots of the whole prefix:
// what an installation adds, a plain removal, a second removal, silent mode.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "e2e_scenarios.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"

namespace {

// In a 64-bit prefix the 32-bit setup's uninstall entry lies under
// Wow6432Node, where the 32-bit uninstaller must look for it, and not in
// the 64-bit view.
void CheckRecordsView()
{
    BOOL wow = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow);
    if (!wow) {
        return;
    }
    static const char* const kViews[] = {
        "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" PRODUCT_NAME,
        UNINSTALL_KEY};
    for (int i = 0; i < 2; i++) {
        HKEY key;
        bool found = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kViews[i], 0, KEY_READ | KEY_WOW64_64KEY,
                                   &key) == ERROR_SUCCESS;
        if (found) {
            RegCloseKey(key);
        }
        Check(found == (i == 0), "the 64-bit view %s HKLM\\%s", found ? "has" : "has no",
              kViews[i]);
    }
}

enum { kPendingSize = 8192 };

// The deletions marked for the restart, as their value's bytes; empty when
// there is no value.
struct Pending {
    DWORD size;
    BYTE bytes[kPendingSize];
};

void ReadPending(Pending* pending)
{
    pending->size = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    DWORD size = sizeof pending->bytes;
    if (RegQueryValueExA(key, PENDING_RENAMES, NULL, NULL, pending->bytes, &size) ==
        ERROR_SUCCESS) {
        pending->size = size;
    }
    RegCloseKey(key);
}

// The installed uninstaller started by hand with the switch its temp copy
// gets: outside a folder of the copy's making it must neither delete
// anything nor mark anything for the restart, itself included; not with a
// number that is no handle, nor with a handle that is already signalled,
// as that of an uninstaller that has ended would be.
void CheckErasePassedByHand()
{
    char command[MAX_PATH];
    if (!Check(ReadUninstallCommand(command, sizeof command), "read the uninstall command")) {
        return;
    }
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE signalled = CreateEventA(&inherit, TRUE, TRUE, NULL);
    char handles[2][16];
    snprintf(handles[0], sizeof handles[0], "123");
    snprintf(handles[1], sizeof handles[1], "%lu", (unsigned long)(ULONG_PTR)signalled);
    static Pending before;
    static Pending after;
    for (int i = 0; i < 2; i++) {
        char line[MAX_PATH + 32];
        snprintf(line, sizeof line, "\"%s\" /ERASE %s", command, handles[i]);
        ReadPending(&before);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process;
        if (!Check(CreateProcessA(NULL, line, NULL, NULL, TRUE, 0, NULL, "C:\\", &startup,
                                  &process) != 0,
                   "started %s", line)) {
            continue;
        }
        bool ended = WaitForSingleObject(process.hProcess, kLongWait) == WAIT_OBJECT_0;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        Check(ended && code == kRemoved, "%s ended with exit code %lu", line,
              (unsigned long)code);
        ReadPending(&after);
        Check(after.size == before.size && memcmp(after.bytes, before.bytes, after.size) == 0,
              "it marked nothing for the restart (%lu bytes of " PENDING_RENAMES
              " before, %lu after)",
              (unsigned long)before.size, (unsigned long)after.size);
        Check(PathExists(command), "%s is still there", command);
    }
    CloseHandle(signalled);
}

}  // namespace

// It is ended, not closed: on closing it stores its settings, which is
// Notepad's doing, not Wine's.
bool StartNotepad(const char* folder, PROCESS_INFORMATION* process)
{
    char command[] = "notepad.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!Check(CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, folder, &startup,
                              process) != 0,
               "started Notepad in %s", folder)) {
        return false;
    }
    WaitForInputIdle(process->hProcess, kWaitLimit);
    return true;
}

void EndNotepad(PROCESS_INFORMATION* process)
{
    TerminateProcess(process->hProcess, 0);
    Check(WaitForSingleObject(process->hProcess, kWaitLimit) == WAIT_OBJECT_0, "Notepad ended");
    CloseHandle(process->hProcess);
    CloseHandle(process->hThread);
}

int SnapshotNoop()
{
    TakeSnapshot(kBefore);
    // A program with a window that starts and ends, the driver's own
    // screenshot, and a restart: what every removal scenario does besides
    // the removal itself.
    PROCESS_INFORMATION process;
    if (StartNotepad("C:\\", &process)) {
        Sleep(1000);
        Shot("notepad");
        EndNotepad(&process);
    }
    RestartPrefix();
    TakeSnapshot(kAfter);
    CheckDifferences("around a run that changes nothing", NULL, 0);
    return RemovalOutcome();
}

int InstallSnapshot()
{
    TakeSnapshot(kBefore);
    if (InstallProduct()) {
        CheckInstallationDifferences("after the installation");
    }
    return RemovalOutcome();
}

int InstallRemove()
{
    TakeSnapshot(kBefore);
    if (InstallProduct(true)) {
        CheckRecordsView();
        RemovalAnswers answers = {};
        answers.shots = true;
        if (RemoveProduct(&answers)) {
            Log("timing: removal %lu ms from starting the uninstall command to its exit, of "
                "which the driver sat %lu ms on the boxes before answering",
                (unsigned long)RemovalTime(), (unsigned long)RemovalDriverTime());
            CheckEraserFolderAccess();
            CheckAfterRemoval(NULL, NULL);
        }
    }
    return RemovalOutcome();
}

int RemoveTwice()
{
    char copy[MAX_PATH];
    RemovalAnswers answers = {};
    if (!InstallProduct()) {
        return RemovalOutcome();
    }
    CheckErasePassedByHand();
    if (!KeepUninstallerCopy(copy, sizeof copy) || !RemoveProduct(&answers)) {
        return RemovalOutcome();
    }
    TakeSnapshot(kBefore);
    Log("second removal, with the copy kept from before the first");
    Box box;
    HWND window = StartRemoval(copy) ? RemovalWindow() : NULL;
    if (window != NULL && WaitRemovalBox(window, &box)) {
        CheckRemovalBox(&box, NOT_INSTALLED_TEXT, IDOK);
        AnswerRemovalBox(&box, IDOK);
        ExpectRemovalExit(kNotInstalled);
    }
    TakeSnapshot(kAfter);
    CheckDifferences("around the second removal", NULL, 0);
    return RemovalOutcome();
}

#define REMOVAL_LOG_FOLDER "C:\\Removal Logs"
#define REMOVAL_LOG REMOVAL_LOG_FOLDER "\\remove.log"

// Each line of the removal's log holds its time, then the text.
static void CheckRemovalLog(const char* const* expected)
{
    const BYTE* data = NULL;
    DWORD size = 0;
    if (!Check(ReadWholeFile(REMOVAL_LOG, 0, &data, &size), "read " REMOVAL_LOG)) {
        return;
    }
    static char text[1 << 16];
    DWORD length = size < sizeof text - 1 ? size : sizeof text - 1;
    memcpy(text, data, length);
    text[length] = '\0';
    Check(length > 24 && text[4] == '-' && text[10] == ' ' && text[19] == '.',
          "the log's first line begins with the time (\"%.24s\")", text);
    for (int i = 0; expected[i] != NULL; i++) {
        Check(strstr(text, expected[i]) != NULL, "the log says \"%s\"", expected[i]);
    }
}

int SilentRemove()
{
    TakeSnapshot(kBefore);
    if (!InstallProduct()) {
        return RemovalOutcome();
    }
    // A log that cannot be made stops the removal before it begins.
    if (RunSilently(kRemovalFailed, "/S /LOG=C:\\missing\\remove.log")) {
        CheckEntryKept();
    }
    // Silent mode keeps data files without asking.
    char data[MAX_PATH];
    JoinPath(data, sizeof data, g_walk.destination, LEDGER_FILE);
    Check(WriteTextFile(data, "the user's ledger"), "made the data file %s", data);
    CreateDirectoryA(REMOVAL_LOG_FOLDER, NULL);
    if (RunSilently(kRemoved, "/S /log=\"" REMOVAL_LOG "\"")) {
        AllowanceList kept;
        kept.count = 0;
        AllowKeptData(&kept, data);
        Allow(&kept, true, "the removal's log", "+ %s", REMOVAL_LOG_FOLDER);
        Allow(&kept, true, "the removal's log", "+ %s", REMOVAL_LOG);
        CheckAfterRemoval(&kept, NULL);
        char removed[MAX_PATH + 16];
        char left[MAX_PATH + 32];
        char program[MAX_PATH];
        JoinPath(program, sizeof program, g_walk.destination, kFiles[kMainProgram].name);
        snprintf(removed, sizeof removed, "removed %s", program);
        snprintf(left, sizeof left, "left in place: %s (your data)", data);
        const char* const expected[] = {removed, left, "Exit code 0", NULL};
        CheckRemovalLog(expected);
    }
    return RemovalOutcome();
}

int SilentInUse()
{
    TakeSnapshot(kBefore);
    PROCESS_INFORMATION ledgerProcess;
    HWND ledger = InstallProduct() ? StartLedger(&ledgerProcess) : NULL;
    if (ledger == NULL) {
        return RemovalOutcome();
    }
    // No one to ask: the file in use is marked for deletion at the restart.
    bool ran = RunSilently(kRemovedRestartNeeded);
    CloseLedger(ledger, &ledgerProcess);
    char program[MAX_PATH];
    JoinPath(program, sizeof program, g_walk.destination, kFiles[kMainProgram].name);
    if (!ran) {
        return RemovalOutcome();
    }
    AllowanceList untilRestart;
    untilRestart.count = 0;
    const char* why = "in use at the removal, deleted at the restart";
    Allow(&untilRestart, true, why, "+ %s", program);
    AllowProgramFolders(&untilRestart, true, why);
    // The emptied folders may stay after the restart; the file may not.
    AllowanceList folders;
    folders.count = 0;
    AllowProgramFolders(&folders, false, "the folders of a file deleted at the restart");
    CheckAfterRemoval(&folders, &untilRestart);

    // The emptied program folder, held as another program's working folder,
    // cannot go either: it goes at the restart, and the exit code says so.
    Log("the program folder is Notepad's working folder");
    RemoveDirectoryA(g_walk.destination);  // left by the restart, if it was
    RemoveDirectoryA(BaseFolder());
    TakeSnapshot(kBefore);
    PROCESS_INFORMATION holder;
    if (!InstallProduct() || !StartNotepad(g_walk.destination, &holder)) {
        return RemovalOutcome();
    }
    ran = RunSilently(kRemovedRestartNeeded);
    Check(PathExists(g_walk.destination) && !PathExists(program),
          "the program folder stays, emptied, while Notepad holds it");
    EndNotepad(&holder);
    if (ran) {
        untilRestart.count = 0;
        AllowProgramFolders(&untilRestart, true, "held at the removal, deleted at the restart");
        CheckAfterRemoval(NULL, &untilRestart);
    }
    return RemovalOutcome();
}
