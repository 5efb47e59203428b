// Removal scenarios around what the user has: the ledger still running, files
// and a link of the user's own, and the ledger's data file.
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_scenarios.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"

namespace {

void GroupFolder(char* path, int size)
{
    char programs[MAX_PATH];
    SpecialFolder(CSIDL_PROGRAMS, programs);
    JoinPath(path, size, programs, g_walk.group);
}

// After the confirmation: the in-use box for the ledger's program file.
bool ExpectInUseBox(HWND window, Box* box)
{
    char program[MAX_PATH];
    char text[kLineSize * 2];
    ProgramFile(program, sizeof program, kFiles[kMainProgram].name);
    snprintf(text, sizeof text, "%s" IN_USE_TAIL, program);
    if (!WaitRemovalBox(window, box)) {
        return false;
    }
    CheckRemovalBox(box, text, 0);
    return Check(GetDlgItem(box->window, IDRETRY) && GetDlgItem(box->window, IDCANCEL),
                 "the box offers Retry and Cancel");
}

// Another installation over the ledger: the data file survives and
// The ledger shows its entries again.
bool InstallOverLedger(const char* data, int entries)
{
    Log("an installation over the ledger");
    PROCESS_INFORMATION ledgerProcess;
    HWND ledger = InstallProduct() ? StartLedger(&ledgerProcess) : NULL;
    if (ledger == NULL) {
        return false;
    }
    Check(PathExists(data), "%s survived", data);
    Check(LedgerCount(ledger) == entries, "the ledger shows its %d entries again (%d)", entries,
          LedgerCount(ledger));
    CloseLedger(ledger, &ledgerProcess);
    return true;
}

// Kept, only the data file and the folders holding it differ from before
// the first installation; not kept, nothing does.
bool RemoveWithLedger(const char* data, bool keep)
{
    Log("removal, %s the data file", keep ? "keeping" : "not keeping");
    static const char* const kLedger[] = {LEDGER_FILE, NULL};
    Lines kept = {};
    Lines optional = {};
    AddLine(&kept, KEPT_DATA_LINE, data);
    AddLine(&optional, KEPT_FOLDER_LINE, g_walk.destination);
    AddLine(&optional, KEPT_FOLDER_LINE, BaseFolder());
    RemovalAnswers answers = {};
    answers.dataNames = kLedger;
    answers.keepData = keep;
    answers.leftLines = keep ? kept.list : NULL;
    answers.optionalLines = keep ? optional.list : NULL;
    if (!RemoveProduct(&answers)) {
        return false;
    }
    AllowanceList also;
    also.count = 0;
    if (keep) {
        AllowKeptData(&also, data);
    }
    CheckAfterRemoval(&also, NULL);
    return true;
}

int LedgerWindows()
{
    int count = 0;
    for (HWND w = NULL; (w = FindWindowExA(NULL, w, LEDGER_CLASS_NAME, NULL)) != NULL;) {
        count++;
    }
    return count;
}

// A second start only brings the first ledger, minimised, back to the
// front, and ends: two would each save their own ledger over the other's.
void StartSecondLedger(HWND first, int entries)
{
    Log("a second start of the ledger");
    ShowWindow(first, SW_MINIMIZE);
    Check(IsIconic(first), "the first ledger is minimised");
    PROCESS_INFORMATION second;
    if (!LaunchLedger(&second)) {
        return;
    }
    DWORD code = STILL_ACTIVE;
    bool ended = WaitForSingleObject(second.hProcess, kWaitLimit) == WAIT_OBJECT_0;
    GetExitCodeProcess(second.hProcess, &code);
    Check(ended && code == 0, "the second ledger ended by itself (exit code %lu)",
          (unsigned long)code);
    Check(LedgerWindows() == 1, "one ledger window (%d)", LedgerWindows());
    if (!ended) {
        TerminateProcess(second.hProcess, 1);
    }
    CloseHandle(second.hProcess);
    CloseHandle(second.hThread);
    Check(WaitUntil([first] { return !IsIconic(first) && GetForegroundWindow() == first; }),
          "the first ledger is restored and in front");
    Check(LedgerCount(first) == entries, "the first still shows its %d entries (%d)", entries,
          LedgerCount(first));
}

}  // namespace

int RemoveInUse()
{
    TakeSnapshot(kBefore);
    PROCESS_INFORMATION ledgerProcess;
    HWND ledger = InstallProduct() ? StartLedger(&ledgerProcess) : NULL;
    if (ledger == NULL) {
        return RemovalOutcome();
    }
    // Wine, like Windows, refuses to delete the file of a running program
    // (DeleteFileA fails with ERROR_ACCESS_DENIED), so the running ledger
    // itself holds its file in use. Made read-only, it must stay so after
    // Cancel: the uninstaller clears the attribute only to delete the file.
    char program[MAX_PATH];
    ProgramFile(program, sizeof program, kFiles[kMainProgram].name);
    Check(SetFileAttributesA(program, FILE_ATTRIBUTE_READONLY) != 0, "made %s read-only", program);
    Box box;
    HWND window = StartAndConfirm(false);
    if (window != NULL && ExpectInUseBox(window, &box) && AnswerRemovalBox(&box, IDCANCEL) &&
        WaitRemovalBox(window, &box)) {
        CheckRemovalBox(&box, STOPPED_TEXT, IDOK);
        AnswerRemovalBox(&box, IDOK);
    }
    ExpectRemovalExit(kRemovalCancelled);
    Check(RegKeyExists(UNINSTALL_KEY), "the uninstall entry stays after Cancel");
    DWORD attributes = GetFileAttributesA(program);
    Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY),
          "%s is still read-only after Cancel (attributes 0x%lx)", program,
          (unsigned long)attributes);
    // The second phase must not take the Windows folder's uninstaller away
    // from a stopped removal: the entry still names it.
    Sleep(kWindowsCopyWait);
    char command[MAX_PATH];
    Check(ReadUninstallCommand(command, sizeof command) && PathExists(command),
          "the uninstall command %s is still there", command);

    Log("a new removal; the ledger ends while the in-use box stands, then Retry");
    window = StartAndConfirm(false);
    if (window != NULL && ExpectInUseBox(window, &box)) {
        CloseLedger(ledger, &ledgerProcess);
        ledger = NULL;
        RemovalAnswers answers = {};
        char data[MAX_PATH];
        ProgramFile(data, sizeof data, LEDGER_FILE);
        static const char* const kLedger[] = {LEDGER_FILE, NULL};
        if (PathExists(data)) {  // the ledger keeps its file on closing
            answers.dataNames = kLedger;
        }
        if (AnswerRemovalBox(&box, IDRETRY) && FinishRemoval(window, &answers)) {
            CheckAfterRemoval(NULL, NULL);
        }
    }
    if (ledger != NULL) {
        CloseLedger(ledger, &ledgerProcess);
    }
    return RemovalOutcome();
}

int RemoveUserFiles()
{
    TakeSnapshot(kBefore);
    if (!InstallProduct()) {
        return RemovalOutcome();
    }
    char notes[MAX_PATH];
    char exports[MAX_PATH];
    char sheet[MAX_PATH];
    char group[MAX_PATH];
    char link[MAX_PATH];
    char installedLink[MAX_PATH];
    ProgramFile(notes, sizeof notes, "My Notes.txt");
    ProgramFile(exports, sizeof exports, "Exports");
    JoinPath(sheet, sizeof sheet, exports, "March.csv");
    GroupFolder(group, sizeof group);
    JoinPath(link, sizeof link, group, "My own.lnk");
    CaptionLink(installedLink, sizeof installedLink, group, kMainProgram);
    PlantFile(notes);
    Check(CreateDirectoryA(exports, NULL) != 0, "made the folder %s", exports);
    PlantFile(sheet);
    Check(CopyFileA(installedLink, link, TRUE) != 0, "made the user's own link %s", link);

    // The program folder is named; the group folder and the publisher's
    // folder, kept for the same reason, may be named too.
    Lines required = {};
    Lines optional = {};
    AddLine(&required, KEPT_FOLDER_LINE, g_walk.destination);
    AddLine(&optional, KEPT_FOLDER_LINE, group);
    AddLine(&optional, KEPT_FOLDER_LINE, BaseFolder());
    RemovalAnswers answers = {};
    answers.leftLines = required.list;
    answers.optionalLines = optional.list;
    if (!RemoveProduct(&answers)) {
        return RemovalOutcome();
    }
    AllowanceList also;
    also.count = 0;
    const char* why = "the user's own, kept";
    AllowProgramFolders(&also, true, why);
    Allow(&also, true, why, "+ %s", notes);
    Allow(&also, true, why, "+ %s", exports);
    Allow(&also, true, why, "+ %s", sheet);
    Allow(&also, true, why, "+ %s", group);
    Allow(&also, true, why, "+ %s", link);
    CheckAfterRemoval(&also, NULL);
    return RemovalOutcome();
}

int LedgerData()
{
    TakeSnapshot(kBefore);
    PROCESS_INFORMATION ledgerProcess;
    HWND ledger = InstallProduct() ? StartLedger(&ledgerProcess) : NULL;
    if (ledger == NULL) {
        return RemovalOutcome();
    }
    static const char* const kEntries[][2] = {{"Opening balance", "120.00"},
                                              {"Stamps", "-4.35"}};
    int shown = LedgerCount(ledger);
    int entries = shown;
    for (int i = 0; i < 2; i++) {
        SetItemText(ledger, kLedgerDescription, kEntries[i][0]);
        SetItemText(ledger, kLedgerAmount, kEntries[i][1]);
        Click(ledger, kLedgerAdd);
        // The click is posted: the next entry's text may go in only once
        // The ledger has taken this one.
        WaitUntil([&] { return (entries = LedgerCount(ledger)) != shown + i; });
    }
    Check(entries == shown + 2, "the ledger shows the two entries typed in (%d, %d before)",
          entries, shown);
    StartSecondLedger(ledger, entries);
    CloseLedger(ledger, &ledgerProcess);
    char data[MAX_PATH];
    ProgramFile(data, sizeof data, LEDGER_FILE);
    if (!PathExists(data)) {
        NotAvailable("the ledger keeps no %s in its folder yet: its data file is not built", data);
        return RemovalOutcome();
    }
    for (int keep = 1; keep >= 0; keep--) {
        if (!InstallOverLedger(data, entries) || !RemoveWithLedger(data, keep != 0)) {
            break;
        }
    }
    return RemovalOutcome();
}

namespace {

enum { kManyData = 12, kMaxSplit = 16 };

// The "\r\n"-separated lines of text, up to capacity.
int SplitLines(const char* text, char lines[][kLineSize], int capacity)
{
    int count = 0;
    while (*text != '\0' && count < capacity) {
        const char* end = strstr(text, "\r\n");
        size_t length = end != NULL ? (size_t)(end - text) : strlen(text);
        snprintf(lines[count++], kLineSize, "%.*s",
                 (int)(length < kLineSize ? length : kLineSize - 1), text);
        text += length + (end != NULL ? 2 : 0);
    }
    return count;
}

// A box's list: at most kMaxLeftLines items, each one of the known (and
// each once), then "and N more" with N from least to most.
void CheckLongList(const char* what, const char* list, const char* const* known, int least,
                   int most)
{
    static char lines[kMaxSplit][kLineSize];
    int count = SplitLines(list, lines, kMaxSplit);
    int items = 0;
    unsigned seen = 0;
    int more = -1;
    for (int i = 0; i < count; i++) {
        int k = 0;
        while (known[k] != NULL && strcmp(known[k], lines[i]) != 0) {
            k++;
        }
        if (known[k] != NULL && !(seen & (1u << k))) {
            seen |= 1u << k;
            items++;
        } else if (i == count - 1 && sscanf(lines[i], "and %d more", &more) == 1) {
            char exact[32];
            snprintf(exact, sizeof exact, "and %d more", more);
            Check(strcmp(exact, lines[i]) == 0, "%s: the last line reads \"%s\"", what, lines[i]);
        } else {
            Fail("%s lists \"%s\", which it should not (or twice)", what, lines[i]);
        }
    }
    Check(items == kMaxLeftLines, "%s names %d items (%d)", what, kMaxLeftLines, items);
    Check(more >= least && more <= most, "%s ends with \"and N more\", N from %d to %d (%d)",
          what, least, most, more);
}

}  // namespace

int RemoveManyData()
{
    TakeSnapshot(kBefore);
    if (!InstallProduct()) {
        return RemovalOutcome();
    }
    static const char* const kExtensions[] = {".DAT", ".KEY", ".prd", ".Pra"};
    static char names[kManyData][kLineSize];
    static char paths[kManyData][MAX_PATH];
    static char keptLines[kManyData + 3][kLineSize];
    const char* nameList[kManyData + 1] = {};
    const char* keptList[kManyData + 3] = {};
    for (int i = 0; i < kManyData; i++) {
        snprintf(names[i], kLineSize, "Accounts of the year %d, kept by the bookkeeping office%s",
                 1995 + i, kExtensions[i % 4]);
        ProgramFile(paths[i], MAX_PATH, names[i]);
        PlantFile(paths[i]);
        nameList[i] = names[i];
        snprintf(keptLines[i], kLineSize, KEPT_DATA_LINE, paths[i]);
        keptList[i] = keptLines[i];
    }
    // The kept files' folders may be named too.
    snprintf(keptLines[kManyData], kLineSize, KEPT_FOLDER_LINE, g_walk.destination);
    snprintf(keptLines[kManyData + 1], kLineSize, KEPT_FOLDER_LINE, BaseFolder());
    keptList[kManyData] = keptLines[kManyData];
    keptList[kManyData + 1] = keptLines[kManyData + 1];

    Box box;
    HWND window = StartAndConfirm(false);
    if (window == NULL || !WaitRemovalBox(window, &box)) {
        return RemovalOutcome();
    }
    char head[kLineSize];
    snprintf(head, sizeof head, DATA_HEAD, g_walk.destination);
    size_t n = strlen(head);
    size_t t = strlen(DATA_TAIL);
    size_t length = strlen(box.text);
    if (Check(length > n + t && strncmp(box.text, head, n) == 0 &&
                  strcmp(box.text + length - t, DATA_TAIL) == 0,
              "the data box has its head and its question")) {
        box.text[length - t] = '\0';
        CheckLongList("the data box", box.text + n, nameList, kManyData - kMaxLeftLines,
                      kManyData - kMaxLeftLines);
    }
    if (!AnswerRemovalBox(&box, IDYES) || !WaitRemovalBox(window, &box)) {
        return RemovalOutcome();
    }
    char start[kLineSize];
    snprintf(start, sizeof start, "%s%s\r\n", REMOVED_TEXT, LEFT_IN_PLACE);
    if (Check(strncmp(box.text, start, strlen(start)) == 0, "the end box lists what it left")) {
        CheckLongList("the end box", box.text + strlen(start), keptList,
                      kManyData - kMaxLeftLines, kManyData + 2 - kMaxLeftLines);
    }
    if (!AnswerRemovalBox(&box, IDOK) || !ExpectRemovalExit(kRemoved)) {
        return RemovalOutcome();
    }
    ExpectWindowsCopyGone();
    AllowanceList kept;
    kept.count = 0;
    AllowKeptData(&kept, paths[0]);
    for (int i = 1; i < kManyData; i++) {
        Allow(&kept, true, "kept: the user's data", "+ %s", paths[i]);
    }
    CheckAfterRemoval(&kept, NULL);
    return RemovalOutcome();
}
