// Removal scenarios around what the user or the system put in the way:
// Quorvel still running, files of the user's own, a tampered program path,
// a link in the program folder, and the ledger's data file.
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>
#include <winioctl.h>

#include "e2e_scenarios.h"
#include "e2e_system.h"
#include "e2e_uninstall.h"
#include "e2e_walk.h"

namespace {

enum { kLineSize = 512 };

#define BAIT_FOLDER "C:\\e2e-bait"
#define LINK_REQUEST "C:\\e2e-link-request"

// Left-in-place lines for the end box, built at run time.
struct Lines {
    char text[kMaxLeftLines][kLineSize];
    const char* list[kMaxLeftLines + 1];
    int count;
};

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

void GroupFolder(char* path, int size)
{
    char programs[MAX_PATH];
    SpecialFolder(CSIDL_PROGRAMS, programs);
    JoinPath(path, size, programs, g_walk.group);
}

bool SetProgramPath(const char* value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    LONG result = RegSetValueExA(key, PROGRAM_PATH_VALUE, 0, REG_SZ, (const BYTE*)value,
                                 (DWORD)strlen(value) + 1);
    RegCloseKey(key);
    Log("the uninstall entry's \"%s\" now reads \"%s\"", PROGRAM_PATH_VALUE, value);
    return result == ERROR_SUCCESS;
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

// After the confirmation: the in-use box for Quorvel's program file.
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

int TamperedPath(const char* stored, const char* const* bait)
{
    if (!InstallQuorvel()) {
        return RemovalOutcome();
    }
    for (int i = 0; bait[i] != NULL; i++) {
        PlantFile(bait[i]);
    }
    SetProgramPath(stored);
    TakeSnapshot(kBefore);
    Lines lines = {};
    AddLine(&lines, UNSAFE_FOLDER_LINE, stored);
    RemovalAnswers answers = {};
    answers.leftLines = lines.list;
    bool removed = RemoveQuorvel(&answers);
    for (int i = 0; bait[i] != NULL; i++) {
        CheckPlanted(bait[i]);
    }
    if (!removed) {
        return RemovalOutcome();
    }
    // Links and records go; the program folder and the bait stay as they were.
    AllowanceList also;
    also.count = 0;
    AllowProduct(&also, '-', kWindowsFile | kLinks | kRecords);
    CheckAfterRemoval(&also, NULL);
    return RemovalOutcome();
}

struct MountPointBuffer {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
    WCHAR names[MAX_PATH * 2];
};

// A directory junction at link pointing to target; false where the file
// system does not make reparse points.
bool MakeJunction(const char* link, const WCHAR* target)
{
    if (!CreateDirectoryA(link, NULL)) {
        return false;
    }
    HANDLE folder = CreateFileA(link, GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    MountPointBuffer m = {};
    WCHAR substitute[MAX_PATH];
    int n = wsprintfW(substitute, L"\\??\\%s", target);
    int p = lstrlenW(target);
    m.tag = IO_REPARSE_TAG_MOUNT_POINT;
    m.substituteLength = (WORD)(n * sizeof(WCHAR));
    m.printOffset = (WORD)((n + 1) * sizeof(WCHAR));
    m.printLength = (WORD)(p * sizeof(WCHAR));
    lstrcpynW(m.names, substitute, n + 1);
    lstrcpynW(m.names + n + 1, target, p + 1);
    m.dataLength = (WORD)(8 + (n + p + 2) * sizeof(WCHAR));
    DWORD done = 0;
    bool made = folder != INVALID_HANDLE_VALUE &&
                DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, &m, 8 + m.dataLength, NULL, 0,
                                &done, NULL);
    DWORD error = GetLastError();
    if (folder != INVALID_HANDLE_VALUE) {
        CloseHandle(folder);
    }
    if (!made) {
        Log("no junction: FSCTL_SET_REPARSE_POINT fails with error %lu", (unsigned long)error);
        RemoveDirectoryA(link);
    }
    return made;
}

// Wine 8 cannot make the link itself: FSCTL_SET_REPARSE_POINT fails with
// ERROR_NOT_SUPPORTED, CreateSymbolicLinkA answers TRUE and makes nothing,
// and moving a Unix link moves the folder it points to. So the scenario's
// host helper (host-remove-junction.sh) makes a Unix symbolic link on
// request; Wine shows it as a folder with FILE_ATTRIBUTE_REPARSE_POINT.
bool RequestHostLink(const char* link)
{
    char request[MAX_PATH * 2];
    snprintf(request, sizeof request, "%s\n%s\n", link, BAIT_FOLDER);
    if (!WriteTextFile(LINK_REQUEST, request)) {
        return false;
    }
    DWORD start = GetTickCount();
    while (PathExists(LINK_REQUEST) && GetTickCount() - start < kWaitLimit) {
        Sleep(kPollInterval);
    }
    DeleteFileA(LINK_REQUEST);
    DWORD attributes = GetFileAttributesA(link);
    Log("the host made a link: attributes 0x%lx", (unsigned long)attributes);
    return attributes != INVALID_FILE_ATTRIBUTES;
}

// Another installation over the ledger: the data file survives and
// Quorvel shows its entries again.
bool InstallOverLedger(const char* data, int entries)
{
    Log("an installation over the ledger");
    PROCESS_INFORMATION quorvel;
    HWND ledger = InstallQuorvel() ? StartQuorvel(&quorvel) : NULL;
    if (ledger == NULL) {
        return false;
    }
    Check(PathExists(data), "%s survived", data);
    Check(LedgerCount(ledger) == entries, "Quorvel shows its %d entries again (%d)", entries,
          LedgerCount(ledger));
    CloseQuorvel(ledger, &quorvel);
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
    AddLine(&optional, KEPT_FOLDER_LINE, "C:\\Brindlemoor");
    RemovalAnswers answers = {};
    answers.dataNames = kLedger;
    answers.keepData = keep;
    answers.leftLines = keep ? kept.list : NULL;
    answers.optionalLines = keep ? optional.list : NULL;
    if (!RemoveQuorvel(&answers)) {
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

}  // namespace

int RemoveInUse()
{
    TakeSnapshot(kBefore);
    PROCESS_INFORMATION quorvel;
    HWND ledger = InstallQuorvel() ? StartQuorvel(&quorvel) : NULL;
    if (ledger == NULL) {
        return RemovalOutcome();
    }
    // Wine, like Windows, refuses to delete the file of a running program
    // (DeleteFileA fails with ERROR_ACCESS_DENIED), so the running Quorvel
    // itself holds its file in use.
    Box box;
    HWND window = StartAndConfirm(false);
    if (window != NULL && ExpectInUseBox(window, &box) && AnswerRemovalBox(&box, IDCANCEL) &&
        WaitRemovalBox(window, &box)) {
        CheckRemovalBox(&box, STOPPED_TEXT, IDOK);
        AnswerRemovalBox(&box, IDOK);
    }
    ExpectRemovalExit(kRemovalCancelled);
    Check(RegKeyExists(UNINSTALL_KEY), "the uninstall entry stays after Cancel");
    // The second phase must not take the Windows folder's uninstaller away
    // from a stopped removal: the entry still names it.
    Sleep(kWindowsCopyWait);
    char command[MAX_PATH];
    Check(ReadUninstallCommand(command, sizeof command) && PathExists(command),
          "the uninstall command %s is still there", command);

    Log("a new removal; Quorvel ends while the in-use box stands, then Retry");
    window = StartAndConfirm(false);
    if (window != NULL && ExpectInUseBox(window, &box)) {
        CloseQuorvel(ledger, &quorvel);
        ledger = NULL;
        RemovalAnswers answers = {};
        char data[MAX_PATH];
        ProgramFile(data, sizeof data, LEDGER_FILE);
        static const char* const kLedger[] = {LEDGER_FILE, NULL};
        if (PathExists(data)) {  // Quorvel keeps its ledger on closing
            answers.dataNames = kLedger;
        }
        if (AnswerRemovalBox(&box, IDRETRY) && FinishRemoval(window, &answers)) {
            CheckAfterRemoval(NULL, NULL);
        }
    }
    if (ledger != NULL) {
        CloseQuorvel(ledger, &quorvel);
    }
    return RemovalOutcome();
}

int RemoveUserFiles()
{
    TakeSnapshot(kBefore);
    if (!InstallQuorvel()) {
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
    JoinPath(link, sizeof link, group, "My Quorvel.lnk");
    JoinPath(installedLink, sizeof installedLink, group, "Quorvel.lnk");
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
    AddLine(&optional, KEPT_FOLDER_LINE, "C:\\Brindlemoor");
    RemovalAnswers answers = {};
    answers.leftLines = required.list;
    answers.optionalLines = optional.list;
    if (!RemoveQuorvel(&answers)) {
        return RemovalOutcome();
    }
    AllowanceList also;
    also.count = 0;
    const char* why = "the user's own, kept";
    Allow(&also, true, why, "+ C:\\Brindlemoor");
    Allow(&also, true, why, "+ %s", g_walk.destination);
    Allow(&also, true, why, "+ %s", notes);
    Allow(&also, true, why, "+ %s", exports);
    Allow(&also, true, why, "+ %s", sheet);
    Allow(&also, true, why, "+ %s", group);
    Allow(&also, true, why, "+ %s", link);
    CheckAfterRemoval(&also, NULL);
    return RemovalOutcome();
}

int TamperedRoot()
{
    static const char* const kBait[] = {"C:\\Quorvel.exe", "C:\\Read Me.txt", "C:\\Ledger.dat",
                                        NULL};
    return TamperedPath("C:\\", kBait);
}

int TamperedWindows()
{
    char windows[MAX_PATH];
    static char bait[3][MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    JoinPath(bait[0], MAX_PATH, windows, "Read Me.txt");
    JoinPath(bait[1], MAX_PATH, windows, "Order.txt");
    JoinPath(bait[2], MAX_PATH, windows, "Ledger.dat");
    const char* const list[] = {bait[0], bait[1], bait[2], NULL};
    return TamperedPath(windows, list);
}

int TamperedRelative()
{
    // The uninstaller starts in C:\ and lives in the Windows folder: a
    // relative "Quorvel" must lead to neither.
    char windows[MAX_PATH];
    static char bait[4][MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    snprintf(bait[0], MAX_PATH, "%s\\Quorvel", windows);
    CreateDirectoryA("C:\\Quorvel", NULL);
    CreateDirectoryA(bait[0], NULL);
    snprintf(bait[1], MAX_PATH, "%s\\Quorvel\\Quorvel.exe", windows);
    snprintf(bait[2], MAX_PATH, "%s\\Quorvel\\Read Me.txt", windows);
    const char* const list[] = {"C:\\Quorvel\\Quorvel.exe", "C:\\Quorvel\\Read Me.txt",
                                "C:\\Quorvel\\Ledger.dat", bait[1], bait[2], NULL};
    return TamperedPath("Quorvel", list);
}

int RemoveJunction()
{
    if (!InstallQuorvel()) {
        return RemovalOutcome();
    }
    static const char* const kBait[] = {BAIT_FOLDER "\\Quorvel.exe", BAIT_FOLDER "\\keep.txt",
                                        BAIT_FOLDER "\\Ledger.dat", NULL};
    CreateDirectoryA(BAIT_FOLDER, NULL);
    for (int i = 0; kBait[i] != NULL; i++) {
        PlantFile(kBait[i]);
    }
    char link[MAX_PATH];
    char through[MAX_PATH];
    ProgramFile(link, sizeof link, kFiles[3].name);  // the help file's name
    JoinPath(through, sizeof through, link, "keep.txt");
    Check(DeleteFileA(link) != 0, "deleted the installed %s", link);
    if (!MakeJunction(link, L"" BAIT_FOLDER) && !RequestHostLink(link)) {
        Fail("cannot make a link at %s", link);
        return RemovalOutcome();
    }
    Check(PathExists(through), "the link leads to the bait: %s", through);
    TakeSnapshot(kBefore);

    // The folder stays if the link stays; either way nothing is followed.
    Lines optional = {};
    AddLine(&optional, KEPT_FOLDER_LINE, g_walk.destination);
    AddLine(&optional, KEPT_FOLDER_LINE, "C:\\Brindlemoor");
    RemovalAnswers answers = {};
    answers.optionalLines = optional.list;
    bool removed = RemoveQuorvel(&answers);
    for (int i = 0; kBait[i] != NULL; i++) {
        CheckPlanted(kBait[i]);
    }
    if (!removed) {
        return RemovalOutcome();
    }
    AllowanceList also;
    also.count = 0;
    AllowProduct(&also, '-', kWindowsFile | kLinks | kRecords);
    for (int i = 0; i < kFileCount; i++) {
        if (!kFiles[i].inWindowsFolder && i != 3) {
            Allow(&also, true, "removed", "- %s\\%s", g_walk.destination, kFiles[i].name);
        }
    }
    // The snapshot sees the bait twice, through the link too, since Wine's
    // Unix link is listed as a folder.
    Allow(&also, false, "the link itself, removed without following it", "- %s*", link);
    Allow(&also, false, "the program folder, empty without the link", "- %s",
          g_walk.destination);
    Allow(&also, false, "the publisher's folder, empty without the program folder",
          "- C:\\Brindlemoor");
    CheckAfterRemoval(&also, NULL);
    return RemovalOutcome();
}

int LedgerData()
{
    TakeSnapshot(kBefore);
    PROCESS_INFORMATION quorvel;
    HWND ledger = InstallQuorvel() ? StartQuorvel(&quorvel) : NULL;
    if (ledger == NULL) {
        return RemovalOutcome();
    }
    static const char* const kEntries[][2] = {{"Opening balance", "120.00"},
                                              {"Stamps", "-4.35"}};
    int shown = LedgerCount(ledger);
    for (int i = 0; i < 2; i++) {
        SetItemText(ledger, kLedgerDescription, kEntries[i][0]);
        SetItemText(ledger, kLedgerAmount, kEntries[i][1]);
        Click(ledger, kLedgerAdd);
    }
    Sleep(300);
    int entries = LedgerCount(ledger);
    Check(entries == shown + 2, "Quorvel shows the two entries typed in (%d, %d before)", entries,
          shown);
    CloseQuorvel(ledger, &quorvel);
    char data[MAX_PATH];
    ProgramFile(data, sizeof data, LEDGER_FILE);
    if (!PathExists(data)) {
        NotAvailable("Quorvel keeps no %s in its folder yet: the ledger's data file is not built",
                     data);
        return RemovalOutcome();
    }
    for (int keep = 1; keep >= 0; keep--) {
        if (!InstallOverLedger(data, entries) || !RemoveWithLedger(data, keep != 0)) {
            break;
        }
    }
    return RemovalOutcome();
}
