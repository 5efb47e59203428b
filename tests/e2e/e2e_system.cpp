// Reading back files, times, registry values and links the setup made.
#include "e2e_system.h"

#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

#include "e2e_driver.h"

namespace {

BYTE g_files[2][kMaxWholeFile];

void TimeText(const FILETIME* t, char* text, int size)
{
    SYSTEMTIME s;
    if (FileTimeToSystemTime(t, &s)) {
        snprintf(text, size, "%04u-%02u-%02u %02u:%02u:%02u.%03u UTC", s.wYear, s.wMonth, s.wDay,
                 s.wHour, s.wMinute, s.wSecond, s.wMilliseconds);
    } else {
        snprintf(text, size, "0x%08lx%08lx", t->dwHighDateTime, t->dwLowDateTime);
    }
}

bool SameTime(const FILETIME* a, const FILETIME* b)
{
    return a->dwLowDateTime == b->dwLowDateTime && a->dwHighDateTime == b->dwHighDateTime;
}

}  // namespace

bool PathExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const char* path)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ReadWholeFile(const char* path, int slot, const BYTE** data, DWORD* size)
{
    *data = g_files[slot & 1];
    *size = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD high = 0;
    DWORD length = GetFileSize(file, &high);
    bool ok = high == 0 && length <= kMaxWholeFile &&
              ReadFile(file, g_files[slot & 1], length, size, NULL) && *size == length;
    CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const char* path, const void* data, DWORD size)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD done = 0;
    bool ok = WriteFile(file, data, size, &done, NULL) && done == size;
    CloseHandle(file);
    return ok;
}

bool WriteTextFile(const char* path, const char* text)
{
    return WriteWholeFile(path, text, (DWORD)strlen(text));
}

bool MakeFolderOthersMayChange(const char* folder)
{
    CreateDirectoryA(folder, NULL);
    PSECURITY_DESCRIPTOR everyone = NULL;
    bool set = ConvertStringSecurityDescriptorToSecurityDescriptorA(
                   "D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &everyone, NULL) &&
               SetFileSecurityA(folder, DACL_SECURITY_INFORMATION, everyone);
    LocalFree(everyone);
    return set;
}

bool HandToHost(const char* path, const char* request)
{
    char part[MAX_PATH];
    if (snprintf(part, sizeof part, "%s.part", path) >= (int)sizeof part ||
        !WriteTextFile(part, request) || !MoveFileExA(part, path, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(part);
        return false;
    }
    return WaitUntil([path] { return !PathExists(path); });
}

void CheckSameFile(const char* installed, const char* reference)
{
    const char* paths[2] = {installed, reference};
    HANDLE files[2];
    DWORD sizes[2] = {0, 0};
    for (int i = 0; i < 2; i++) {
        files[i] =
            CreateFileA(paths[i], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        DWORD high = 0;
        if (files[i] != INVALID_HANDLE_VALUE) {
            sizes[i] = GetFileSize(files[i], &high);
        }
        // A payload entry's sizes are 32-bit: a larger file is no product file.
        Check(files[i] != INVALID_HANDLE_VALUE && high == 0, "read %s", paths[i]);
    }
    DWORD at = 0;
    bool same = true;
    bool read = files[0] != INVALID_HANDLE_VALUE && files[1] != INVALID_HANDLE_VALUE;
    while (read && same) {
        DWORD got[2] = {0, 0};
        for (int i = 0; i < 2; i++) {
            read = read && ReadFile(files[i], g_files[i], kMaxWholeFile, &got[i], NULL);
        }
        DWORD piece = got[0] < got[1] ? got[0] : got[1];
        DWORD i = 0;
        while (i < piece && g_files[0][i] == g_files[1][i]) {
            i++;
        }
        at += i;
        same = i == piece && got[0] == got[1];
        if (got[0] == 0) {
            break;
        }
    }
    Check(read, "read both files to their ends");
    Check(same && sizes[0] == sizes[1],
          "%s is byte-identical to the product's file (%lu bytes; %lu expected; first "
          "difference at %lu)",
          installed, (unsigned long)sizes[0], (unsigned long)sizes[1], (unsigned long)at);
    for (int i = 0; i < 2; i++) {
        if (files[i] != INVALID_HANDLE_VALUE) {
            CloseHandle(files[i]);
        }
    }
}

void CheckFileTimes(const char* path, const FILETIME* expected)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!Check(GetFileAttributesExA(path, GetFileExInfoStandard, &data) != 0,
               "read the times of %s", path)) {
        return;
    }
    char want[64];
    char created[64];
    char accessed[64];
    char written[64];
    TimeText(expected, want, sizeof want);
    TimeText(&data.ftCreationTime, created, sizeof created);
    TimeText(&data.ftLastAccessTime, accessed, sizeof accessed);
    TimeText(&data.ftLastWriteTime, written, sizeof written);
    Check(SameTime(&data.ftLastWriteTime, expected), "%s written %s (expected %s)", path, written,
          want);
    Check(SameTime(&data.ftLastAccessTime, expected), "%s accessed %s (expected %s)", path,
          accessed, want);
    Check(SameTime(&data.ftCreationTime, expected), "%s created %s (expected %s)", path, created,
          want);
}

void CheckRegString(const char* key, const char* valueName, const char* expected, REGSAM view)
{
    const char* shownName = valueName ? valueName : "(default)";
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &handle) != ERROR_SUCCESS) {
        Fail("registry key HKLM\\%s is missing (value %s expected \"%s\")", key, shownName,
             expected);
        return;
    }
    char data[1024];
    DWORD type = 0;
    DWORD size = sizeof data - 1;
    LONG result = RegQueryValueExA(handle, valueName, NULL, &type, (BYTE*)data, &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS) {
        Fail("registry value HKLM\\%s [%s] is missing (expected \"%s\")", key, shownName, expected);
        return;
    }
    data[size] = '\0';
    DWORD want = (DWORD)strlen(expected) + 1;
    Check(type == REG_SZ && size == want && memcmp(data, expected, want) == 0,
          "registry HKLM\\%s [%s] = \"%s\" (type %lu, %lu bytes stored; expected REG_SZ \"%s\", "
          "%lu bytes)",
          key, shownName, data, (unsigned long)type, (unsigned long)size, expected,
          (unsigned long)want);
}

void CheckRegNumber(const char* key, const char* valueName, DWORD expected)
{
    HKEY handle;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle);
    if (result == ERROR_SUCCESS) {
        result = RegQueryValueExA(handle, valueName, NULL, &type, (BYTE*)&value, &size);
        RegCloseKey(handle);
    }
    Check(result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value == expected,
          "registry HKLM\\%s [%s] = %lu (type %lu; expected REG_DWORD %lu)", key, valueName,
          (unsigned long)value, (unsigned long)type, (unsigned long)expected);
}

bool RegKeyExists(const char* key, REGSAM view)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

void DeleteRegKey(const char* key)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
}

void CheckLink(const char* linkPath, const char* target, const char* folder,
               const char* description)
{
    if (!Check(PathExists(linkPath), "link %s exists", linkPath)) {
        return;
    }
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link))) {
        Fail("cannot create a shell link object to read %s", linkPath);
        return;
    }
    IPersistFile* file = NULL;
    WCHAR wide[MAX_PATH];
    bool loaded = SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)) &&
                  MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH) > 0 &&
                  SUCCEEDED(file->Load(wide, STGM_READ));
    if (Check(loaded, "loaded link %s", linkPath)) {
        char gotTarget[MAX_PATH] = "";
        char gotFolder[MAX_PATH] = "";
        char gotDescription[MAX_PATH] = "";
        link->GetPath(gotTarget, MAX_PATH, NULL, SLGP_RAWPATH);
        link->GetWorkingDirectory(gotFolder, MAX_PATH);
        link->GetDescription(gotDescription, MAX_PATH);
        // Paths are compared as the file system does, without regard to case.
        Check(lstrcmpiA(gotTarget, target) == 0, "  target \"%s\" (expected \"%s\")", gotTarget,
              target);
        Check(lstrcmpiA(gotFolder, folder) == 0, "  working folder \"%s\" (expected \"%s\")",
              gotFolder, folder);
        Check(strcmp(gotDescription, description) == 0, "  description \"%s\" (expected \"%s\")",
              gotDescription, description);
    }
    if (file != NULL) {
        file->Release();
    }
    link->Release();
}

bool WriteLink(const char* linkPath, const char* target)
{
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link))) {
        return false;
    }
    IPersistFile* file = NULL;
    WCHAR wide[MAX_PATH];
    bool saved = SUCCEEDED(link->SetPath(target)) &&
                 SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)) &&
                 MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH) > 0 &&
                 SUCCEEDED(file->Save(wide, TRUE));
    if (file != NULL) {
        file->Release();
    }
    link->Release();
    return saved;
}

DWORD FindChildProcess(DWORD parent, char* exeName, int size)
{
    exeName[0] = '\0';
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD found = 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more && found == 0;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent) {
            found = entry.th32ProcessID;
            snprintf(exeName, size, "%s", entry.szExeFile);
        }
    }
    CloseHandle(snapshot);
    return found;
}

void NormaliseFolderCase(char* text)
{
    if (text[0] >= 'a' && text[0] <= 'z') {
        text[0] -= 'a' - 'A';
    }
    if (text[0] == '\0') {
        return;
    }
    for (char* p = text + 1; *p; p++) {
        if (*p == ' ' || *p == '\\') {
            p++;
            if (*p >= 'a' && *p <= 'z') {
                *p -= 'a' - 'A';
            }
            if (*p == '\0') {
                break;
            }
        } else if (*p >= 'A' && *p <= 'Z') {
            *p += 'a' - 'A';
        }
    }
}

bool SpecialFolder(int csidl, char* path)
{
    path[0] = '\0';
    return SHGetSpecialFolderPathA(NULL, path, csidl, FALSE) != 0;
}
