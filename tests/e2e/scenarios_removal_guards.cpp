// Removal scenarios where the program path does not lead where it should:
// a tampered Program Path, and a link in the program folder named like one
// of the product's files. Nothing there may be touched.
#include <windows.h>
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

}  // namespace

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
        if (!(kFiles[i].flags & kInWindowsFolder) && i != 3) {
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
