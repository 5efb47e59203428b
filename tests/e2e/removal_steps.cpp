// Whole steps of the removal scenarios: an installation, an interactive
// removal with its boxes, the snapshot checks before and after a restart,
// and the installed ledger driven as its user.
#include <windows.h>
#include <shlobj.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"

namespace {

enum { kRestartWait = 60000 };

bool Listed(const char* const* lines, const char* line)
{
    for (; lines != NULL && *lines != NULL; lines++) {
        if (strcmp(*lines, line) == 0) {
            return true;
        }
    }
    return false;
}

void DataBoxText(const char* const* names, char* text, int size)
{
    int n = snprintf(text, size, DATA_HEAD, g_walk.destination);
    for (int i = 0; names != NULL && names[i] != NULL && n < size; i++) {
        n += snprintf(text + n, size - n, "%s%s", i > 0 ? "\r\n" : "", names[i]);
    }
    if (n < size) {
        snprintf(text + n, size - n, DATA_TAIL);
    }
}

// The folders the uninstaller's temp copies were made in so far.
int EraserFolders()
{
    char temp[MAX_PATH];
    char pattern[MAX_PATH];
    EraserFolderPattern(temp, sizeof temp, pattern, sizeof pattern);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    int count = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    return count;
}

// The uninstaller the setup puts into the Windows folder.
void WindowsCopy(char* path, int size)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    JoinPath(path, size, windows, UNINSTALLER_NAME);
}

int g_erasersBefore;  // at the start of the running removal

// The end box stands: the uninstaller has not yet started the copy that
// deletes it, which must wait for nothing but the uninstaller's exit.
void CheckNoEraserYet()
{
    char path[MAX_PATH];
    WindowsCopy(path, sizeof path);
    int erasers = EraserFolders();
    Check(erasers == g_erasersBefore,
          "while the end box stands, no temp copy of the uninstaller is made (%d folders, %d "
          "before)",
          erasers, g_erasersBefore);
    Check(PathExists(path), "while the end box stands, %s is still there", path);
}

}  // namespace

const char* SoftwareRoot()
{
    BOOL wow = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow);
    return wow ? "HKLM\\Software\\Wow6432Node\\" : "HKLM\\Software\\";
}

int RemovalOutcome()
{
    StopRemoval();
    return Finish();
}

bool InstallProduct(bool timed)
{
    Walk walk = {NULL, NULL, false, timed};
    if (!WalkThrough(&walk)) {
        return false;
    }
    CheckInstalled();  // its failures count, but the scenario can go on
    return true;
}

bool KeepUninstallerCopy(char* path, int size)
{
    char command[MAX_PATH];
    CreateDirectoryA(SCRATCH_FOLDER, NULL);
    snprintf(path, size, "%s\\%s", SCRATCH_FOLDER, UNINSTALLER_NAME);
    return Check(ReadUninstallCommand(command, sizeof command) &&
                     CopyFileA(command, path, FALSE),
                 "kept a copy of the installed uninstaller as %s", path);
}

void CheckEndText(const char* text, const char* const* required, const char* const* optional,
                  bool complete)
{
    const char* head = complete ? REMOVED_TEXT : NOT_COMPLETE_TEXT;
    size_t n = strlen(head);
    if (!Check(strncmp(text, head, n) == 0, "the end box says \"%s\"", head)) {
        Log("  it says \"%s\"", Printable(text));
        return;
    }
    const char* rest = text + n;
    bool expectLines = required != NULL && required[0] != NULL;
    if (*rest == '\0') {
        Check(!expectLines, "the end box lists nothing as left in place");
        return;
    }
    size_t m = strlen(LEFT_IN_PLACE);
    if (!Check(strncmp(rest, LEFT_IN_PLACE, m) == 0, "the end box goes on with \"%s\"",
               Printable(LEFT_IN_PLACE))) {
        return;
    }
    bool seen[kMaxLeftLines + 1] = {};
    for (rest += m; rest[0] == '\r' && rest[1] == '\n';) {
        rest += 2;
        const char* end = strstr(rest, "\r\n");
        size_t length = end != NULL ? (size_t)(end - rest) : strlen(rest);
        char line[512];
        snprintf(line, sizeof line, "%.*s", (int)(length < sizeof line ? length : sizeof line - 1),
                 rest);
        rest += length;
        bool known = false;
        for (int i = 0; required != NULL && required[i] != NULL && i < kMaxLeftLines; i++) {
            if (strcmp(required[i], line) == 0) {
                seen[i] = known = true;
            }
        }
        if (known) {
            Log("  left in place, as expected: %s", line);
        } else if (Listed(optional, line)) {
            Log("  left in place, as it may be: %s", line);
        } else {
            Fail("the end box lists \"%s\", which it should not", line);
        }
    }
    Check(*rest == '\0', "the end box has nothing after its lines (\"%s\")", Printable(rest));
    for (int i = 0; required != NULL && required[i] != NULL && i < kMaxLeftLines; i++) {
        Check(seen[i], "the end box lists \"%s\"", required[i]);
    }
}

HWND StartAndConfirm(bool shot)
{
    char command[MAX_PATH];
    if (!Check(ReadUninstallCommand(command, sizeof command), "read the uninstall command") ||
        !StartRemoval(command)) {
        return NULL;
    }
    g_erasersBefore = EraserFolders();
    HWND window = RemovalWindow();
    Box box;
    if (window == NULL || !WaitRemovalBox(window, &box)) {
        return NULL;
    }
    CheckRemovalBox(&box, CONFIRM_TEXT, IDYES);
    Check(GetDlgItem(box.window, IDNO) != NULL, "the confirmation offers No too");
    if (shot) {
        Shot("uninstall-confirm");
    }
    return AnswerRemovalBox(&box, IDYES) ? window : NULL;
}

bool FinishRemoval(HWND window, const RemovalAnswers* answers)
{
    Box box;
    if (answers->dataNames != NULL) {
        if (!WaitRemovalBox(window, &box)) {
            return false;
        }
        char text[1024];
        DataBoxText(answers->dataNames, text, sizeof text);
        CheckRemovalBox(&box, text, IDYES);
        if (answers->shots) {
            Shot("uninstall-data");
        }
        if (!AnswerRemovalBox(&box, answers->keepData ? IDYES : IDNO)) {
            return false;
        }
    }
    if (!WaitRemovalBox(window, &box)) {
        return false;
    }
    CheckEndText(box.text, answers->leftLines, answers->optionalLines, !answers->notComplete);
    if (answers->shots) {
        Shot("uninstall-end");
    }
    CheckNoEraserYet();
    DWORD code = answers->notComplete     ? kRemovalFailed
                 : answers->restartNeeded ? kRemovedRestartNeeded
                                          : kRemoved;
    if (!AnswerRemovalBox(&box, IDOK) || !ExpectRemovalExit(code)) {
        return false;
    }
    if (answers->notComplete) {
        CheckEntryKept();
    } else {
        ExpectWindowsCopyGone();
    }
    return true;
}

bool SetEntryText(const char* name, const char* value, DWORD type)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    LONG result =
        RegSetValueExA(key, name, 0, type, (const BYTE*)value, (DWORD)strlen(value) + 1);
    RegCloseKey(key);
    return Check(result == ERROR_SUCCESS, "the uninstall entry's \"%s\" now reads \"%s\" (type %lu)",
                 name, value, (unsigned long)type);
}

bool SetProgramPath(const char* value, DWORD type)
{
    return SetEntryText(PROGRAM_PATH_VALUE, value, type);
}

void CheckEntryKept()
{
    char command[MAX_PATH];
    Check(RegKeyExists(UNINSTALL_KEY), "the uninstall entry stays");
    Check(ReadUninstallCommand(command, sizeof command) && PathExists(command),
          "the uninstall command %s is still there", command);
}

bool RemoveProduct(const RemovalAnswers* answers)
{
    HWND window = StartAndConfirm(answers->shots);
    return window != NULL && FinishRemoval(window, answers);
}

bool RunRemovalQuietly(const char* command, DWORD expectedCode)
{
    if (!StartRemoval(command)) {
        return false;
    }
    HWND seen = NULL;
    DWORD start = GetTickCount();
    while (RemovalRunning() && GetTickCount() - start < kLongWait && seen == NULL) {
        seen = AnyRemovalWindow();
        Sleep(kPollInterval / 4);
    }
    FailShownWindow(seen, "the silent removal");
    if (!ExpectRemovalExit(expectedCode)) {
        return false;
    }
    Log("timing: silent removal %lu ms", (unsigned long)RemovalTime());
    if (expectedCode == kRemoved || expectedCode == kRemovedRestartNeeded) {
        ExpectWindowsCopyGone();
    }
    return true;
}

bool RunSilently(DWORD expectedCode, const char* arguments)
{
    char registered[MAX_PATH];
    static char command[kCommandLineSize];
    if (!Check(ReadUninstallCommand(registered, sizeof registered), "read the uninstall command")) {
        return false;
    }
    snprintf(command, sizeof command, "%s %s", registered, arguments);
    return RunRemovalQuietly(command, expectedCode);
}

void CheckInstallationDifferences(const char* what)
{
    TakeSnapshot(kAfter);
    AllowanceList list;
    list.count = 0;
    AllowProduct(&list, '+', kAllParts);
    AllowStandard(&list, false);
    CheckDifferences(what, list.items, list.count);
}

void ExpectWindowsCopyGone()
{
    char path[MAX_PATH];
    WindowsCopy(path, sizeof path);
    DWORD start = GetTickCount();
    while (PathExists(path) && GetTickCount() - start < kWindowsCopyWait) {
        Sleep(kPollInterval);
    }
    Check(!PathExists(path), "%s is gone %lu ms after the exit", path,
          (unsigned long)(GetTickCount() - start));
}

void Allow(AllowanceList* list, bool required, const char* why, const char* format, ...)
{
    if (list->count >= kMaxAllowances) {
        Fail("too many allowances for one check");
        return;
    }
    char* pattern = list->patterns[list->count];
    va_list args;
    va_start(args, format);
    vsnprintf(pattern, kPatternSize, format, args);
    va_end(args);
    Allowance* a = &list->items[list->count++];
    a->pattern = pattern;
    a->why = why;
    a->required = required;
}

void AllowProgramFolders(AllowanceList* list, bool required, const char* why)
{
    Allow(list, required, why, "+ %s", BaseFolder());
    Allow(list, required, why, "+ %s", g_walk.destination);
}

void AllowKeptData(AllowanceList* list, const char* path)
{
    const char* why = "kept: the user's data";
    AllowProgramFolders(list, true, why);
    Allow(list, true, why, "+ %s", path);
}

void AllowStandard(AllowanceList* list, bool beforeRestart)
{
    // The setup sets the shell's AlwaysUnloadDll at every start; it is a
    // machine-wide setting that other programs may rely on, so the removal
    // leaves it on purpose.
    Allow(list, false, "the shell setting the setup writes and the removal keeps",
          "+ %sMicrosoft\\Windows\\CurrentVersion\\explorer\\AlwaysUnloadDll*", SoftwareRoot());
    if (!beforeRestart) {
        return;
    }
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    Allow(list, true, "the uninstaller's temp copy, deleted at the next restart",
          "+ %s%s????????\\" UNINSTALLER_NAME, temp, EraserPrefix());
    Allow(list, true, "the temp copy's folder, deleted at the next restart",
          "+ %s%s????????", temp, EraserPrefix());
    Allow(list, true, "the deletions marked for the restart",
          "+ " SESSION_MANAGER_KEY " : " PENDING_RENAMES);
}

bool RestartPrefix()
{
    char command[] = "wineboot.exe -r";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    Log("restart: %s", command);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        Fail("cannot start %s (error %lu)", command, GetLastError());
        return false;
    }
    bool ended = WaitForSingleObject(process.hProcess, kRestartWait) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return Check(ended && code == 0, "the restart ended (exit code %lu)", (unsigned long)code);
}

void CheckAfterRemoval(const AllowanceList* also, const AllowanceList* untilRestart)
{
    for (int restarted = 0; restarted < 2; restarted++) {
        if (restarted && !RestartPrefix()) {
            return;
        }
        AllowanceList list;
        list.count = 0;
        AllowStandard(&list, !restarted);
        for (int phase = restarted; phase < 2; phase++) {
            const AllowanceList* from = phase == 0 ? untilRestart : also;
            for (int i = 0; from != NULL && i < from->count; i++) {
                Allow(&list, from->items[i].required, from->items[i].why, "%s",
                      from->items[i].pattern);
            }
        }
        TakeSnapshot(kAfter);
        CheckDifferences(restarted ? "after a restart" : "after the removal, before a restart",
                         list.items, list.count);
    }
}

bool LaunchLedger(PROCESS_INFORMATION* process)
{
    char program[MAX_PATH + 2];
    snprintf(program, sizeof program, "\"%s\\%s\"", g_walk.destination,
             kFiles[kMainProgram].name);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(NULL, program, NULL, NULL, FALSE, 0, NULL, g_walk.destination, &startup,
                        process)) {
        Fail("cannot start %s (error %lu)", program, GetLastError());
        return false;
    }
    return true;
}

HWND StartLedger(PROCESS_INFORMATION* process)
{
    if (!LaunchLedger(process)) {
        return NULL;
    }
    HWND w = NULL;
    DWORD pid = process->dwProcessId;
    if (WaitUntil([&] { return (w = ProcessWindow(pid, LEDGER_CLASS_NAME)) != NULL; })) {
        Log("the ledger runs as process %lu, window %p", (unsigned long)pid, (void*)w);
        return w;
    }
    Fail("the ledger's window (class \"%s\") never showed", LEDGER_CLASS_NAME);
    TerminateProcess(process->hProcess, 1);
    CloseHandle(process->hProcess);
    CloseHandle(process->hThread);
    return NULL;
}

int LedgerCount(HWND window)
{
    return (int)Ask(GetDlgItem(window, kLedgerList), LB_GETCOUNT, 0, 0);
}

void CloseLedger(HWND window, PROCESS_INFORMATION* process)
{
    Log("close the ledger");
    PostMessageA(window, WM_CLOSE, 0, 0);
    Check(WaitForSingleObject(process->hProcess, kWaitLimit) == WAIT_OBJECT_0, "the ledger ended");
    CloseHandle(process->hProcess);
    CloseHandle(process->hThread);
}

void AllowProduct(AllowanceList* list, char change, int parts)
{
    const char* why = change == '+' ? "installed" : "removed";
    char windows[MAX_PATH];
    char programs[MAX_PATH];
    char sendTo[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    LinkFolders(programs, sendTo);
    if (parts & kProgramFolder) {
        Allow(list, true, why, "%c %s", change, BaseFolder());
        Allow(list, true, why, "%c %s", change, g_walk.destination);
    }
    for (int i = 0; i < kFileCount; i++) {
        if (parts & ((kFiles[i].flags & kInWindowsFolder) ? kWindowsFile : kProgramFiles)) {
            Allow(list, true, why, "%c %s\\%s", change,
                  (kFiles[i].flags & kInWindowsFolder) ? windows : g_walk.destination, kFiles[i].name);
        }
    }
    if (parts & kLinks) {
        Allow(list, true, why, "%c %s\\%s", change, programs, g_walk.group);
        for (int i = 0; i < kShortcutCount; i++) {
            Allow(list, true, why, "%c %s\\%s\\%s.lnk", change, programs, g_walk.group,
                  kFiles[i].caption);
        }
        char link[MAX_PATH];
        CaptionLink(link, sizeof link, sendTo, kMainProgram);
        if (sendTo[0] != '\0') {
            Allow(list, true, why, "%c %s", change, link);
        }
    }
    if ((parts & kRecords) == 0) {
        return;
    }
    // The keys below the Software key, and the values in them.
    const char* root = SoftwareRoot();
    const char* vendor = VENDOR_KEY + kSoftwareLength;
    const char* version = VERSION_KEY + kSoftwareLength;
    const char* entry = UNINSTALL_KEY + kSoftwareLength;
    Allow(list, true, why, "%c %s%s", change, root, vendor);
    Allow(list, true, why, "%c %s%s : %s", change, root, vendor, PRODUCT_NAME);
    Allow(list, true, why, "%c %s%s\\Programs", change, root, vendor);
    Allow(list, true, why, "%c %s%s\\Programs\\%s", change, root, vendor, PRODUCT_NAME);
    Allow(list, true, why, "%c %s%s", change, root, version);
    Allow(list, true, why, "%c %s%s : Program Version", change, root, version);
    Allow(list, true, why, "%c %s%s", change, root, entry);
    static const char* const kEntryValues[] = {
        "DisplayName",     "DisplayVersion", "UninstallString", "Program Path", "Program Group",
        "Publisher",       "HelpLink",       "DisplayIcon",     "InstallLocation", "EstimatedSize",
        "InstallDate",     "URLInfoAbout",   "NoModify",        "NoRepair",
        "QuietUninstallString", "VersionMajor", "VersionMinor", "Contact", "Comments",
        "Links For All Users",
    };
    for (size_t i = 0; i < sizeof kEntryValues / sizeof kEntryValues[0]; i++) {
        Allow(list, true, why, "%c %s%s : %s", change, root, entry, kEntryValues[i]);
    }
    // Only where the setup made a folder of the program folder's path.
    Allow(list, false, why, "%c %s%s : Created Folder", change, root, entry);
}

void AddLine(Lines* lines, const char* format, const char* path)
{
    if (lines->count < kMaxLeftLines) {
        snprintf(lines->text[lines->count], kLineSize, format, path);
        lines->list[lines->count] = lines->text[lines->count];
        lines->list[++lines->count] = NULL;
    }
}

void ProgramFile(char* path, int size, const char* name)
{
    JoinPath(path, size, g_walk.destination, name);
}

void PlantFile(const char* path)
{
    Check(WriteTextFile(path, path), "planted %s", path);
}

void CheckPlanted(const char* path)
{
    const BYTE* data = NULL;
    DWORD size = 0;
    Check(ReadWholeFile(path, 0, &data, &size) && size == strlen(path) &&
              memcmp(data, path, size) == 0,
          "%s is untouched", path);
}
