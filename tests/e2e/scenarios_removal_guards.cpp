// Removal scenarios where the program path does not lead where it should:
// a tampered Program Path (another name of a system folder, a drive that is
// not there), links in the program folder named like one of the product's
// files or like a file the cleaning deletes, and one put in the program
// folder's place while a box stands.
// Nothing there may be touched, and where the product's files may still be
// somewhere, the removal is not complete.
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

#define BAIT_FOLDER "C:\\e2e-bait"
#define LINK_REQUEST "C:\\e2e-link-request"

// A removal that leaves the program folder untouched leaves the links to
// its files too; only the group's link into the Windows folder goes.
void AllowUninstallLinkGone(AllowanceList* list)
{
    char programs[MAX_PATH];
    SpecialFolder(CSIDL_PROGRAMS, programs);
    Allow(list, true, "removed", "- %s\\%s\\%s.lnk", programs, g_walk.group, kFiles[0].caption);
}

// Installs, plants the bait, points the uninstall entry at stored and
// removes: the end box names stored as no program folder, the bait stays,
// and since the product's files may be anywhere, the removal is not
// complete and the entry stays.
bool RemoveTampered(const char* stored, const char* const* bait)
{
    if (!InstallProduct()) {
        return false;
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
    answers.notComplete = true;
    bool removed = RemoveProduct(&answers);
    for (int i = 0; bait[i] != NULL; i++) {
        CheckPlanted(bait[i]);
    }
    if (!removed) {
        return false;
    }
    // The link to the uninstaller goes; the program folder and the links to
    // its files, the bait, the uninstaller and the records stay as they were.
    AllowanceList list;
    list.count = 0;
    AllowStandard(&list, false);
    AllowUninstallLinkGone(&list);
    TakeSnapshot(kAfter);
    CheckDifferences("after a removal from a folder that is none", list.items, list.count);
    return true;
}

int TamperedPath(const char* stored, const char* const* bait)
{
    RemoveTampered(stored, bait);
    return RemovalOutcome();
}

// The program folder a tampered removal left, cleared by hand so that the
// next installation starts as the first did.
void ClearProgramFolder()
{
    for (int i = 0; i < kFileCount; i++) {
        char path[MAX_PATH];
        if (!(kFiles[i].flags & kInWindowsFolder)) {
            ProgramFile(path, sizeof path, kFiles[i].name);
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path);
        }
    }
    Check(RemoveDirectoryA(g_walk.destination) && RemoveDirectoryA(BaseFolder()),
          "cleared %s for the next installation", g_walk.destination);
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
// host helper (host-link-requests.sh) makes a Unix symbolic link on
// request; Wine shows one to a folder with FILE_ATTRIBUTE_REPARSE_POINT,
// one to a file as a plain file.
bool RequestHostLink(const char* link, const char* target)
{
    char request[MAX_PATH * 2];
    snprintf(request, sizeof request, "%s\n%s\n", link, target);
    if (!HandToHost(LINK_REQUEST, request)) {
        DeleteFileA(LINK_REQUEST);
    }
    DWORD attributes = GetFileAttributesA(link);
    Log("the host made a link: attributes 0x%lx", (unsigned long)attributes);
    return attributes != INVALID_FILE_ATTRIBUTES;
}

// The program folder put aside and a link to the bait put in its place
// while the data box stands: answered No, the uninstaller must check the
// folder again before it deletes the data file, and then touch nothing
// more there.
void SwapWhileDataBoxStands(const char* const* bait)
{
    Log("a link in the program folder's place while the data box stands");
    // A folder of its own: Wine cannot take the first link away.
    Walk walk = {"C:\\" PRODUCT " Swap", NULL, false, false};
    if (!WalkThrough(&walk)) {
        return;
    }
    CheckInstalled();
    char data[MAX_PATH];
    char aside[MAX_PATH];
    char asideData[MAX_PATH];
    ProgramFile(data, sizeof data, LEDGER_FILE);
    PlantFile(data);
    snprintf(aside, sizeof aside, "%s-aside", g_walk.destination);
    JoinPath(asideData, sizeof asideData, aside, LEDGER_FILE);
    Box box;
    HWND window = StartAndConfirm(false);
    if (window == NULL || !WaitRemovalBox(window, &box) ||
        !Check(GetDlgItem(box.window, IDNO) != NULL, "the data box stands") ||
        !Check(MoveFileA(g_walk.destination, aside) != 0, "put the program folder aside") ||
        !RequestHostLink(g_walk.destination, BAIT_FOLDER) || !AnswerRemovalBox(&box, IDNO)) {
        return;
    }
    Lines lines = {};
    AddLine(&lines, UNSAFE_FOLDER_LINE, g_walk.destination);
    if (WaitRemovalBox(window, &box)) {
        CheckEndText(box.text, lines.list, NULL, false);
        AnswerRemovalBox(&box, IDOK);
        ExpectRemovalExit(kRemovalFailed);
        CheckEntryKept();
    }
    for (int i = 0; bait[i] != NULL; i++) {
        CheckPlanted(bait[i]);
    }
    // The data file answered No went aside with its folder, out of reach.
    Check(PathExists(asideData), "%s is still there", asideData);
}

}  // namespace

int TamperedRoot()
{
    static char bait[3][MAX_PATH];
    JoinPath(bait[0], MAX_PATH, "C:", kFiles[kMainProgram].name);
    JoinPath(bait[1], MAX_PATH, "C:", kFiles[kReadMe].name);
    JoinPath(bait[2], MAX_PATH, "C:", LEDGER_FILE);
    const char* const kBait[] = {bait[0], bait[1], bait[2], NULL};
    if (!RemoveTampered("C:\\", kBait)) {
        return RemovalOutcome();
    }
    // A program folder on a drive that is not there is not gone: its files
    // come back with the drive, so the entry stays for another removal, and
    // the folder of the same name on drive C: is not touched either.
    ClearProgramFolder();
    if (!InstallProduct()) {
        return RemovalOutcome();
    }
    char stored[MAX_PATH];
    snprintf(stored, sizeof stored, "Q%s", g_walk.destination + 1);
    if (GetFileAttributesA("Q:\\") != INVALID_FILE_ATTRIBUTES) {
        Fail("drive Q: is there; the scenario needs a drive letter that is not");
        return RemovalOutcome();
    }
    SetProgramPath(stored);
    TakeSnapshot(kBefore);
    if (RunSilently(kRemovalFailed)) {
        CheckEntryKept();
        AllowanceList list;
        list.count = 0;
        AllowStandard(&list, false);
        AllowUninstallLinkGone(&list);
        TakeSnapshot(kAfter);
        CheckDifferences("after a removal from a drive that is not there", list.items,
                         list.count);
    }
    return RemovalOutcome();
}

int TamperedWindows()
{
    // The Windows folder by its name; by names Windows trims to it; through
    // drive W:, which the scenario's host helper maps to drive C: as SUBST
    // would; and on a 64-bit Windows the 32-bit system folder and the
    // 64-bit one as a 32-bit program reaches it.
    const char* const kNames[] = {kFiles[kReadMe].name, kFiles[kFileCount - 1].name, LEDGER_FILE};
    char windows[MAX_PATH];
    char wow64[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    UINT wow = GetSystemWow64DirectoryA(wow64, sizeof wow64);
    struct Form {
        char stored[MAX_PATH];
        const char* real;
    } forms[6];
    bool wide = wow > 0 && wow < sizeof wow64;
    int count = 0;
    snprintf(forms[count].stored, MAX_PATH, "%s", windows);
    forms[count++].real = windows;
    // Each form costs an installation; the other names of the Windows
    // folder are the same on a 64-bit Windows, so they run in 32 bits only.
    if (!wide) {
        snprintf(forms[count].stored, MAX_PATH, "%s.", windows);
        forms[count++].real = windows;
        snprintf(forms[count].stored, MAX_PATH, "%s\\\\", windows);
        forms[count++].real = windows;
        snprintf(forms[count].stored, MAX_PATH, "W%s", windows + 1);
        forms[count++].real = windows;
        Check(PathExists(forms[count - 1].stored), "%s is the Windows folder through drive W:",
              forms[count - 1].stored);
    } else {
        snprintf(forms[count].stored, MAX_PATH, "%s", wow64);
        forms[count++].real = wow64;
        snprintf(forms[count].stored, MAX_PATH, "%s\\Sysnative", windows);
        forms[count].real = forms[count].stored;
        count += PathExists(forms[count].stored) ? 1 : 0;
    }
    for (int f = 0; f < count; f++) {
        static char bait[3][MAX_PATH];
        for (int i = 0; i < 3; i++) {
            JoinPath(bait[i], MAX_PATH, forms[f].real, kNames[i]);
        }
        const char* const list[] = {bait[0], bait[1], bait[2], NULL};
        if (f > 0) {
            ClearProgramFolder();
        }
        if (!RemoveTampered(forms[f].stored, list)) {
            break;
        }
        for (int i = 0; i < 3; i++) {
            DeleteFileA(bait[i]);
        }
    }
    return RemovalOutcome();
}

int TamperedRelative()
{
    // The uninstaller starts in C:\ and lives in the Windows folder: a
    // relative program path, the product's name, must lead to neither.
    char windows[MAX_PATH];
    static char bait[6][MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    JoinPath(bait[0], MAX_PATH, windows, PRODUCT_NAME);
    CreateDirectoryA("C:\\" PRODUCT_NAME, NULL);
    CreateDirectoryA(bait[0], NULL);
    JoinPath(bait[1], MAX_PATH, bait[0], kFiles[kMainProgram].name);
    JoinPath(bait[2], MAX_PATH, bait[0], kFiles[kReadMe].name);
    JoinPath(bait[3], MAX_PATH, "C:\\" PRODUCT_NAME, kFiles[kMainProgram].name);
    JoinPath(bait[4], MAX_PATH, "C:\\" PRODUCT_NAME, kFiles[kReadMe].name);
    JoinPath(bait[5], MAX_PATH, "C:\\" PRODUCT_NAME, LEDGER_FILE);
    const char* const list[] = {bait[3], bait[4], bait[5], bait[1], bait[2], NULL};
    return TamperedPath(PRODUCT_NAME, list);
}

int RemoveJunction()
{
    if (!InstallProduct()) {
        return RemovalOutcome();
    }
    static char program[MAX_PATH];
    JoinPath(program, MAX_PATH, BAIT_FOLDER, kFiles[kMainProgram].name);
    const char* const kBait[] = {program, BAIT_FOLDER "\\keep.txt", BAIT_FOLDER "\\" LEDGER_FILE,
                                 NULL};
    CreateDirectoryA(BAIT_FOLDER, NULL);
    for (int i = 0; kBait[i] != NULL; i++) {
        PlantFile(kBait[i]);
    }
    char link[MAX_PATH];
    char through[MAX_PATH];
    ProgramFile(link, sizeof link, kFiles[3].name);  // the help file's name
    JoinPath(through, sizeof through, link, "keep.txt");
    Check(DeleteFileA(link) != 0, "deleted the installed %s", link);
    if (!MakeJunction(link, L"" BAIT_FOLDER) && !RequestHostLink(link, BAIT_FOLDER)) {
        Fail("cannot make a link at %s", link);
        return RemovalOutcome();
    }
    Check(PathExists(through), "the link leads to the bait: %s", through);
    TakeSnapshot(kBefore);

    // The folder stays if the link stays; either way nothing is followed.
    Lines optional = {};
    AddLine(&optional, KEPT_FOLDER_LINE, g_walk.destination);
    AddLine(&optional, KEPT_FOLDER_LINE, BaseFolder());
    RemovalAnswers answers = {};
    answers.optionalLines = optional.list;
    bool removed = RemoveProduct(&answers);
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
        if (!(kFiles[i].flags & kInWindowsFolder) && i != 3) {
            Allow(&also, true, "removed", "- %s\\%s", g_walk.destination, kFiles[i].name);
        }
    }
    // The snapshot sees the bait twice, through the link too, since Wine's
    // Unix link is listed as a folder.
    Allow(&also, false, "the link itself, removed without following it", "- %s*", link);
    Allow(&also, false, "the program folder, empty without the link", "- %s",
          g_walk.destination);
    Allow(&also, false, "the publisher's folder, empty without the program folder", "- %s",
          BaseFolder());
    CheckAfterRemoval(&also, NULL);
    SwapWhileDataBoxStands(kBait);
    return RemovalOutcome();
}

int LinkedFiles()
{
    if (!InstallProduct()) {
        return RemovalOutcome();
    }
    // A name only a reinstallation's cleaning deletes, and one the removal
    // deletes, each a link to a file of someone else's.
    const char* const kBait[] = {BAIT_FOLDER "\\a.ini", BAIT_FOLDER "\\b.ini"};
    char links[2][MAX_PATH];
    ProgramFile(links[0], MAX_PATH, "notes.txt");
    ProgramFile(links[1], MAX_PATH, kFiles[kReadMe].name);
    Check(DeleteFileA(links[1]) != 0, "deleted the installed %s", links[1]);
    CreateDirectoryA(BAIT_FOLDER, NULL);
    for (int i = 0; i < 2; i++) {
        PlantFile(kBait[i]);
        if (!RequestHostLink(links[i], kBait[i])) {
            Fail("cannot make a link at %s", links[i]);
            return RemovalOutcome();
        }
    }
    // The cleaning stops at the first link it meets, before anything is
    // written; the removal names what it could not remove and keeps the
    // entry for another try.
    Check(StartSetup("/S") && ExpectSetupExit(kWaitLimit, 1),
          "a reinstallation stops at a link with exit code 1");
    RunSilently(1);
    CheckEntryKept();
    for (const char* bait : kBait) {
        CheckPlanted(bait);
    }
    return RemovalOutcome();
}
