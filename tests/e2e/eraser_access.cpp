// The access list of the folder the uninstaller's temp copy runs from, read
// back as the system keeps it. The temp folder is the user's: were its list
// inherited, the user could put another program in the copy's place before
// it starts with administrator rights.
#include <windows.h>
#include <sddl.h>
#include <stdio.h>
#include <string.h>

#include "e2e_uninstall.h"

// Protected; SYSTEM and Administrators full control, Users read and run.
#define EXPECTED_LIST "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"

const char* EraserPrefix()
{
    static char prefix[MAX_PATH];
    if (prefix[0] == '\0') {
        snprintf(prefix, sizeof prefix, "%s", UNINSTALLER_NAME);
        char* dot = strrchr(prefix, '.');
        if (dot != NULL) {
            *dot = '\0';
        }
        strcat(prefix, "-");
    }
    return prefix;
}

void EraserFolderPattern(char* temp, int tempSize, char* pattern, int patternSize)
{
    GetTempPathA(tempSize, temp);
    snprintf(pattern, patternSize, "%s%s*", temp, EraserPrefix());
}

void CheckEraserFolderAccess()
{
    char temp[MAX_PATH];
    char pattern[MAX_PATH];
    EraserFolderPattern(temp, sizeof temp, pattern, sizeof pattern);
    // Wine keeps no list a folder is made with and gives back its own.
    bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != NULL;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    int folders = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        static BYTE descriptor[4096];
        char folder[MAX_PATH];
        char* list = NULL;
        DWORD size = 0;
        snprintf(folder, sizeof folder, "%s%s", temp, found.cFileName);
        folders++;
        bool read = GetFileSecurityA(folder, DACL_SECURITY_INFORMATION, descriptor,
                                     sizeof descriptor, &size) &&
                    ConvertSecurityDescriptorToStringSecurityDescriptorA(
                        descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &list, NULL);
        if (Check(read, "read back the access list of %s: %s", folder, read ? list : "")) {
            if (wine) {
                Log("Wine keeps no access list of a folder: only read back");
            } else {
                Check(strcmp(list, EXPECTED_LIST) == 0, "it is " EXPECTED_LIST);
            }
        }
        LocalFree(list);
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    Check(folders > 0, "the uninstaller's temp copy has a folder of its own (%d)", folders);
}
