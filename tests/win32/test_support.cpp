#include "test_support.h"

#include <sddl.h>

#include <string.h>

#include "install_state.h"
#include "page_ids.h"
#include "registry_records.h"
#include "shell_ids.h"

namespace {

BoxAnswerer* s_answerer;
HHOOK s_hook;
HWND s_lastBox;

BOOL CALLBACK FindIcon(HWND child, LPARAM lParam)
{
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *(HICON*)lParam = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
    }
    return TRUE;
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && s_answerer) {
        HWND box = (HWND)wParam;
        // Wine may activate a box again before the answer reaches it: one
        // box is seen once.
        if (box != s_lastBox && IsMessageBox(box)) {
            s_lastBox = box;
            char text[1024];
            GetWindowTextA(box, text, sizeof text);
            s_answerer->seen.caption = text;
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            s_answerer->seen.text = text;
            s_answerer->seen.icon = NULL;
            EnumChildWindows(box, FindIcon, (LPARAM)&s_answerer->seen.icon);
            ++s_answerer->seen.count;
            s_answerer->boxes.push_back(s_answerer->seen);
            if (s_answerer->onBox != nullptr) {
                s_answerer->onBox(s_answerer->seen);
            }
            // Posted, so that the box has set its default button when the
            // key arrives.
            if (s_answerer->button() == kPressEnter) {
                PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
            } else {
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(s_answerer->button(), BN_CLICKED),
                             (LPARAM)GetDlgItem(box, s_answerer->button()));
            }
        }
    }
    return CallNextHookEx(s_hook, code, wParam, lParam);
}

int s_button;

}  // namespace

bool IsMessageBox(HWND window)
{
    char className[16];
    GetClassNameA(window, className, sizeof className);
    return strcmp(className, "#32770") == 0 && GetDlgItem(window, 0xFFFF) != NULL &&
           GetDlgItem(window, IDC_PAGE_TEXT) == NULL && GetDlgItem(window, IDC_LICENSE_TEXT) == NULL &&
           GetDlgItem(window, IDC_PERCENT_BAR) == NULL &&
           GetDlgItem(window, IDC_SHORTCUT_PROGRESS) == NULL;
}

BoxAnswerer::BoxAnswerer(int button) : seen{0, "", "", NULL}
{
    s_button = button;
    s_answerer = this;
    s_lastBox = NULL;
    s_hook = SetWindowsHookExA(WH_CBT, WatchBoxes, NULL, GetCurrentThreadId());
}

BoxAnswerer::~BoxAnswerer()
{
    UnhookWindowsHookEx(s_hook);
    s_answerer = nullptr;
}

int BoxAnswerer::button() const { return s_button; }

HMODULE SetupModule()
{
    static HMODULE module = LoadLibraryExA(PRODUCT_OUTPUT_FILE, NULL, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

HWND CreateProgressWindow()
{
    HWND window = CreateWindowExA(0, "STATIC", "progress", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                                  NULL, NULL, NULL, NULL);
    for (int id = IDC_EXTRACTING; id <= IDC_VISIT_NOTICE; ++id) {
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, (id - IDC_EXTRACTING) * 20, 380,
                        18, window, (HMENU)(INT_PTR)id, NULL, NULL);
    }
    return window;
}

std::string MakeTestFolder(const char* name)
{
    CreateDirectoryA("C:\\vantor-tests", NULL);
    std::string path = std::string("C:\\vantor-tests\\") + name;
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) {
                continue;
            }
            std::string child = path + "\\" + found.cFileName;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(child);
            } else if (!DeleteFileA(child.c_str())) {
                RemoveDirectoryA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

bool ReadWholeFile(const std::string& path, std::string* contents)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                              NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    contents->clear();
    char buffer[65536];
    DWORD got;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0) {
        contents->append(buffer, got);
    }
    CloseHandle(file);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& contents)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(file, contents.data(), (DWORD)contents.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == contents.size();
}

bool LetEveryoneChange(const std::string& folder)
{
    PSECURITY_DESCRIPTOR everyone = NULL;
    bool set = ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)",
                                                                    SDDL_REVISION_1, &everyone,
                                                                    NULL) &&
               SetFileSecurityA(folder.c_str(), DACL_SECURITY_INFORMATION, everyone);
    LocalFree(everyone);
    return set;
}

void ClearProductRegistry()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, VENDOR_KEY);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, UNINSTALL_LIST_KEY "\\" PRODUCT_NAME);
}

void RecordInstallation(const std::string& folder)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, VENDOR_KEY, 0, NULL, 0, KEY_SET_VALUE, NULL, &key,
                        NULL) == ERROR_SUCCESS) {
        RegSetValueExA(key, PRODUCT_NAME, 0, REG_SZ, (const BYTE*)folder.c_str(),
                       (DWORD)folder.size() + 1);
        RegCloseKey(key);
    }
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_LIST_KEY "\\" PRODUCT_NAME, 0, NULL, 0,
                        KEY_SET_VALUE, NULL, &key, NULL) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
}

void ResetInstallState()
{
    InstallState& state = g_setup.state;
    strcpy(state.destinationFolder, ".");
    strcpy(state.windowsFolder, ".");
    strcpy(state.programsFolder, ".");
    strcpy(state.sendToFolder, ".");
    strcpy(state.groupName, ".");
    state.stepMask = 0;
    state.progressTotal = 0;
    state.progressDone = 0;
    state.barValue = 0;
    state.instance = SetupModule();
}

namespace {
InstallState s_initialState;
}  // namespace

void RememberInitialState()
{
    s_initialState = g_setup.state;
}

const InstallState& InitialInstallState()
{
    return s_initialState;
}

bool HasOneName(const char* path)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                              NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    bool one = GetFileInformationByHandle(file, &info) &&
               !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
               info.nNumberOfLinks == 1;
    CloseHandle(file);
    return one;
}
