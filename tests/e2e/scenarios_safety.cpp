// Scenarios of the setup's safety: DLLs planted beside it, group names that
// Windows would rewrite or refuses, a reinstall over a program in use; and
// the checks of the platform variants a complete installation also runs in
// (another time zone, a 64-bit Windows).
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "e2e_driver.h"
#include "e2e_scenarios.h"
#include "e2e_screen.h"
#include "e2e_system.h"
#include "e2e_walk.h"
#include "page_ids.h"

#define TRAILING_GROUP_TEXT "A group name may not end with a space or a dot."
#define CONTROL_GROUP_TEXT "A group name may not contain control characters."
#define DEVICE_GROUP_TEXT \
    "A group name may not be a device name:\r\nCON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9."
#define IN_USE_FORMAT                                                                   \
    "The file\r\n%s\r\nis in use and cannot be replaced.\r\n\r\nPlease close the program " \
    "that uses it, then choose Retry."

#define DOWNLOADS "C:\\Downloads"
#define MARKERS "C:\\planted-markers"
#define PLANTED_BUILD "T:\\planted.dll"
#define SETUP_OVERRIDES_KEY "Software\\Wine\\AppDefaults\\" PRODUCT_OUTPUT_FILE "\\DllOverrides"
#define DOWNLOADED_SETUP DOWNLOADS "\\" PRODUCT_OUTPUT_FILE
#define NATIVE_FIRST "native,builtin"
#define WORK_FOLDER "C:\\Work"
#define PLANTED_PROGRAM "T:\\planted-program.exe"

// DLLs that Windows looks for in a program's own folder before its system
// folder, as far as a setup like this one may come to load them.
//
// Left out: names that Wine itself loads from the program's folder where
// the program has no say, and that Windows takes from its system folder.
// Planted, each of them ran; the loader trace (WINEDEBUG=+loaddll) shows
// why:
// - version: a static import of Wine's own system DLLs, loaded between
//   advapi32 and user32, before the program's first instruction:
//     0114:trace:loaddll:build_module Loaded L"C:\\Downloads\\version.dll" at 641C0000: native
// - imm32: loaded by user32's start-up, right after shell32, also before
//   the program runs:
//     0114:trace:loaddll:build_module Loaded L"C:\\Downloads\\imm32.dll" at 01550000: native
// - msimg32: delay-imported by Wine's uxtheme; Wine's delay-load helper
//   searches the program's folder although the setup restricted the search
//   (uxtheme and comctl32 themselves come from the system folder):
//     0110:trace:loaddll:build_module Loaded L"C:\\windows\\system32\\comctl32.dll" at 67BC0000: builtin
//     0110:trace:loaddll:build_module Loaded L"C:\\Downloads\\msimg32.dll" at 641C0000: native
//     0110:err:module:DelayLoadFailureHook failed to delay load msimg32.dll.TransparentBlt
const char* const kPlantedNames[] = {
    "comctl32", "uxtheme", "dwmapi",   "cryptbase", "profapi",  "propsys",  "winmm",
    "riched20", "riched32", "msftedit", "oleacc",   "userenv",  "wtsapi32", "netapi32",
    "mpr",      "dbghelp", "sspicli",  "cryptsp",   "rsaenh",   "bcrypt",   "wininet",
    "urlmon",   "iertutil", "dnsapi",  "iphlpapi",  "secur32",  "ntmarta",  "apphelp",
    "winspool.drv",
};

namespace {

bool CopyInto(const char* from, const char* folder, const char* name)
{
    char to[MAX_PATH];
    JoinPath(to, sizeof to, folder, name);
    return CopyFileA(from, to, FALSE) != 0;
}

// The file name of a planted copy: the name itself when it has an
// extension, else name.dll.
void PlantedFile(const char* name, char* file, size_t size)
{
    snprintf(file, size, strchr(name, '.') ? "%s" : "%s.dll", name);
}

// Each marker left names the DLL that ran; answers how many there were.
int ReportMarkers()
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(MARKERS "\\*", &found);
    int count = 0;
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            char path[MAX_PATH];
            const BYTE* data = NULL;
            DWORD size = 0;
            JoinPath(path, sizeof path, MARKERS, found.cFileName);
            char loader[MAX_PATH] = "?";
            if (ReadWholeFile(path, 0, &data, &size) && size < sizeof loader) {
                memcpy(loader, data, size);
                loader[size] = '\0';
            }
            Log("the planted %s ran in %s", found.cFileName, loader);
            ++count;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// The planted copy really leaves its marker when something loads it: the
// driver loads one under a name no program asks for.
bool PlantedDllWorks()
{
    if (!Check(CopyInto(PLANTED_BUILD, DOWNLOADS, "planted-control.dll"),
               "copied the planted DLL from " PLANTED_BUILD)) {
        return false;
    }
    HMODULE control = LoadLibraryA(DOWNLOADS "\\planted-control.dll");
    if (control != NULL) {
        FreeLibrary(control);
    }
    bool marked = PathExists(MARKERS "\\planted-control.dll");
    DeleteFileA(MARKERS "\\planted-control.dll");
    DeleteFileA(DOWNLOADS "\\planted-control.dll");
    return Check(control != NULL && marked, "a loaded planted DLL leaves its marker");
}

}  // namespace

int PlantedDlls()
{
    CreateDirectoryA(DOWNLOADS, NULL);
    if (!PlantedDllWorks() ||
        !Check(CopyInto("T:\\" PRODUCT_OUTPUT_FILE, DOWNLOADS, PRODUCT_OUTPUT_FILE),
               "the setup in " DOWNLOADS)) {
        return Finish();
    }
    // Wine loads a DLL beside the program only when told to prefer native
    // ones; Windows does so for every DLL that is no known DLL. The loader
    // reads WINEDLLOVERRIDES from the Unix environment only, which a Windows
    // program cannot hand to its child, so the overrides go to the
    // registry, for the setup alone.
    HKEY overrides;
    if (!Check(RegCreateKeyExA(HKEY_CURRENT_USER, SETUP_OVERRIDES_KEY, 0, NULL, 0, KEY_ALL_ACCESS,
                               NULL, &overrides, NULL) == ERROR_SUCCESS,
               "created HKCU\\" SETUP_OVERRIDES_KEY)) {
        return Finish();
    }
    for (size_t i = 0; i < sizeof kPlantedNames / sizeof kPlantedNames[0]; i++) {
        char file[MAX_PATH];
        PlantedFile(kPlantedNames[i], file, sizeof file);
        Check(CopyInto(PLANTED_BUILD, DOWNLOADS, file), "planted %s\\%s", DOWNLOADS, file);
        RegSetValueExA(overrides, kPlantedNames[i], 0, REG_SZ, (const BYTE*)NATIVE_FIRST,
                       sizeof NATIVE_FIRST);
    }
    RegCloseKey(overrides);
    SetSetupProgram(DOWNLOADED_SETUP);

    Walk walk = {NULL, NULL, false, false};
    if (WalkThrough(&walk)) {
        CheckInstalled();
    }
    Check(ReportMarkers() == 0, "no DLL planted beside the setup ran");
    RegDeleteKeyA(HKEY_CURRENT_USER, SETUP_OVERRIDES_KEY);
    return Finish();
}

// Windows searches a program started by bare name beside the starting
// program and in its current folder before the system folder; Wine does so
// too for Notepad.exe, as the control run shows.
int PlantedNotepad()
{
    CreateDirectoryA(DOWNLOADS, NULL);
    CreateDirectoryA(WORK_FOLDER, NULL);
    bool planted = Check(CopyInto("T:\\" PRODUCT_OUTPUT_FILE, DOWNLOADS, PRODUCT_OUTPUT_FILE),
                         "the setup in " DOWNLOADS) &&
                   Check(CopyInto(PLANTED_PROGRAM, DOWNLOADS, "Notepad.exe"),
                         "Notepad.exe planted beside the setup") &&
                   Check(CopyInto(PLANTED_PROGRAM, WORK_FOLDER, "Notepad.exe"),
                         "Notepad.exe planted in the setup's current folder");
    char own[MAX_PATH];
    GetCurrentDirectoryA(sizeof own, own);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION control;
    char command[] = "Notepad.exe";
    if (planted && SetCurrentDirectoryA(WORK_FOLDER) &&
        Check(CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &control),
              "started Notepad.exe by bare name in " WORK_FOLDER)) {
        WaitForSingleObject(control.hProcess, kWaitLimit);
        CloseHandle(control.hProcess);
        CloseHandle(control.hThread);
        planted = Check(ReportMarkers() > 0, "the planted Notepad.exe runs when searched for");
        DeleteFileA(MARKERS "\\Notepad.exe");
    }
    SetCurrentDirectoryA(own);
    if (planted) {
        SetSetupProgram(DOWNLOADED_SETUP);
        SetSetupFolder(WORK_FOLDER);
        Walk walk = {NULL, NULL, true, false};
        WalkThrough(&walk);
        Check(ReportMarkers() == 0, "no Notepad.exe planted beside the setup or in its folder ran");
    }
    return Finish();
}

int GroupNames()
{
    HWND page = ToGroup();
    if (page == NULL) {
        return Finish();
    }
    const struct {
        const char* typed;
        const char* text;
    } refused[] = {
        {"Tools ", TRAILING_GROUP_TEXT}, {"Tools.", TRAILING_GROUP_TEXT},
        {"...", TRAILING_GROUP_TEXT},    {"Tab\there", CONTROL_GROUP_TEXT},
        {"CON", DEVICE_GROUP_TEXT},      {"nul.txt", DEVICE_GROUP_TEXT},
        {"com1", DEVICE_GROUP_TEXT},     {"LPT9", DEVICE_GROUP_TEXT},
    };
    for (size_t i = 0; i < sizeof refused / sizeof refused[0]; i++) {
        ExpectGroupRefusal(page, refused[i].typed, refused[i].text);
    }
    CheckNoShortcuts("Tools");
    // A name that only begins with the product's is an ordinary group.
    snprintf(g_walk.group, sizeof g_walk.group, "%s", PRODUCT_NAME " Tools");
    SetItemText(page, IDC_GROUP_LIST, g_walk.group);
    Click(page, IDC_GROUP_CONTINUE);
    if (ShortcutDialog(page) && WaitGone(page, kWaitLimit) && FinishSteps(false)) {
        CheckInstalled();
        char programs[MAX_PATH];
        char folder[MAX_PATH];
        SpecialFolder(CSIDL_PROGRAMS, programs);
        JoinPath(folder, sizeof folder, programs, PRODUCT);
        Check(!PathExists(folder), "no group folder %s besides the one typed", folder);
    }
    return Finish();
}

// The second run finds the main program held open without sharing, as a
// running program holds its file: it asks, touches nothing, and goes on
// once the file is free.
int LockedReinstall()
{
    Walk first = {NULL, NULL, false, false};
    if (!WalkThrough(&first)) {
        return Finish();
    }
    char program[MAX_PATH];
    char stale[MAX_PATH];
    JoinPath(program, sizeof program, g_walk.destination, kFiles[kMainProgram].name);
    JoinPath(stale, sizeof stale, g_walk.destination, "stale.txt");
    WriteTextFile(stale, "left by the first run");
    HANDLE held = CreateFileA(program, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (!Check(held != INVALID_HANDLE_VALUE, "holding %s open without sharing", program)) {
        return Finish();
    }
    char question[1024];
    snprintf(question, sizeof question, IN_USE_FORMAT, program);

    Log("second run");
    HWND page = ToLocation();
    HWND extraction = NULL;
    if (page != NULL) {
        Click(page, IDOK);
        extraction = WaitPage(EXTRACTION_CAPTION, g_walk.backdrop);
    }
    Box box;
    if (extraction != NULL && WaitBox(extraction, &box)) {
        CheckBox(&box, question, "warning");
        Shot("target-in-use");
        Check(PathExists(stale), "nothing is cleaned while the question is up");
        AnswerBox(&box, IDRETRY);
        // Still held: the same question again.
        if (WaitBox(extraction, &box)) {
            CheckBox(&box, question, "warning");
            CloseHandle(held);
            held = INVALID_HANDLE_VALUE;
            Log("closed %s", program);
            AnswerBox(&box, IDRETRY);
            HWND group = ExtractionPage(true) ? GroupPage() : NULL;
            if (group != NULL) {
                Click(group, IDC_GROUP_CONTINUE);
                if (ShortcutDialog(group) && WaitGone(group, kWaitLimit) && FinishSteps(false)) {
                    Check(!PathExists(stale), "%s is cleaned away after the retry", stale);
                    CheckInstalled();
                }
            }
        }
    }
    if (held != INVALID_HANDLE_VALUE) {
        CloseHandle(held);
    }
    return Finish();
}

void CheckPlatformVariant()
{
    char value[64];
    if (GetEnvironmentVariableA("TZ", value, sizeof value) > 0 &&
        strcmp(value, "Asia/Kolkata") == 0) {
        TIME_ZONE_INFORMATION zone;
        GetTimeZoneInformation(&zone);
        Check(zone.Bias == -330, "the installation ran at UTC+5:30 (bias %ld minutes)", zone.Bias);
        // The description's local time, five and a half hours earlier in UTC.
        SYSTEMTIME local = PRODUCT_FILE_TIME;
        FILETIME stamp;
        ULARGE_INTEGER want;
        SystemTimeToFileTime(&local, &stamp);
        want.LowPart = stamp.dwLowDateTime;
        want.HighPart = stamp.dwHighDateTime;
        want.QuadPart -= 330ULL * 60 * 10000000;
        ExpectedFileTime(&stamp);
        SYSTEMTIME utc;
        FileTimeToSystemTime(&stamp, &utc);
        Check(stamp.dwLowDateTime == want.LowPart && stamp.dwHighDateTime == want.HighPart,
              "the files' time is the description's less 5:30 (%04u-%02u-%02u %02u:%02u UTC)",
              utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute);
    }
    if (GetEnvironmentVariableA("VANTOR_WINEARCH", value, sizeof value) > 0 &&
        strcmp(value, "win64") == 0) {
        BOOL wow64 = FALSE;
        IsWow64Process(GetCurrentProcess(), &wow64);
        Check(wow64 != FALSE, "the driver runs under WOW64 in a 64-bit Windows");
        // The records were read in the 32-bit view, where the setup sees
        // them; in the 64-bit view they lie under WOW6432Node.
        char key[MAX_PATH];
        snprintf(key, sizeof key, "Software\\WOW6432Node\\%s", VENDOR_KEY + kSoftwareLength);
        CheckRegString(key, PRODUCT, g_walk.destination, KEY_WOW64_64KEY);
        snprintf(key, sizeof key, "Software\\WOW6432Node\\%s", VERSION_KEY + kSoftwareLength);
        CheckRegString(key, "Program Version", PRODUCT_VERSION, KEY_WOW64_64KEY);
        snprintf(key, sizeof key, "Software\\WOW6432Node\\%s", UNINSTALL_KEY + kSoftwareLength);
        CheckRegString(key, "DisplayName", PRODUCT, KEY_WOW64_64KEY);
        Check(!RegKeyExists(VENDOR_KEY, KEY_WOW64_64KEY),
              "no vendor key in the 64-bit view's own Software");
    }
}
