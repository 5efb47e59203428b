// The access list of the folder the uninstaller's temp copy runs from,
// read back as the system keeps it. The temp folder is the user's: were
// that folder's list inherited from it, the user could put another program
// in the copy's place before it starts with administrator rights.
#include <windows.h>
#include <sddl.h>
#include <stdio.h>
#include <string.h>

#include "e2e_uninstall.h"

namespace {

// Every right that changes a folder, what is in it, or who may.
const DWORD kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                            FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC |
                            WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// The folder's list, or NULL; released with LocalFree.
PSECURITY_DESCRIPTOR ReadAccessList(const char* folder)
{
    DWORD size = 0;
    GetFileSecurityA(folder, DACL_SECURITY_INFORMATION, NULL, 0, &size);
    PSECURITY_DESCRIPTOR descriptor = size > 0 ? LocalAlloc(LPTR, size) : NULL;
    if (descriptor != NULL &&
        !GetFileSecurityA(folder, DACL_SECURITY_INFORMATION, descriptor, size, &size)) {
        LocalFree(descriptor);
        descriptor = NULL;
    }
    return descriptor;
}

bool IsProtected(PSECURITY_DESCRIPTOR descriptor)
{
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision;
    return GetSecurityDescriptorControl(descriptor, &control, &revision) &&
           (control & SE_DACL_PROTECTED);
}

// Whether this system keeps the list a folder is made with: Wine gives
// every folder a list of its own making, never protected.
bool KeepsAccessLists()
{
    const char* probe = SCRATCH_FOLDER "-access";
    PSECURITY_DESCRIPTOR made = NULL;
    ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;SY)(A;;FA;;;BA)",
                                                         SDDL_REVISION_1, &made, NULL);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, made, FALSE};
    bool kept = false;
    if (made != NULL && CreateDirectoryA(probe, &attributes)) {
        PSECURITY_DESCRIPTOR read = ReadAccessList(probe);
        kept = read != NULL && IsProtected(read);
        LocalFree(read);
        RemoveDirectoryA(probe);
    }
    LocalFree(made);
    return kept;
}

bool IsSid(const void* sid, WELL_KNOWN_SID_TYPE type)
{
    return IsWellKnownSid((PSID)sid, type) != 0;
}

// Protected from what the temp folder passes on, and no entry but
// SYSTEM's and the Administrators' allows a change.
void CheckList(const char* folder, PSECURITY_DESCRIPTOR descriptor)
{
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = NULL;
    Check(IsProtected(descriptor), "%s inherits nothing from the temp folder", folder);
    if (!Check(GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) && present &&
                   list != NULL,
               "%s has an access list", folder)) {
        return;
    }
    for (WORD i = 0; i < list->AceCount; i++) {
        ACE_HEADER* header = NULL;
        if (!GetAce(list, i, (void**)&header) || header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            continue;
        }
        const ACCESS_ALLOWED_ACE* ace = (const ACCESS_ALLOWED_ACE*)header;
        bool trusted = IsSid(&ace->SidStart, WinLocalSystemSid) ||
                       IsSid(&ace->SidStart, WinBuiltinAdministratorsSid);
        Check(trusted || (ace->Mask & kChangeRights) == 0,
              "entry %u of %s allows no change to anyone but SYSTEM and Administrators "
              "(rights 0x%lx)",
              (unsigned)i, folder, (unsigned long)ace->Mask);
    }
}

}  // namespace

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
    bool kept = KeepsAccessLists();
    if (!kept) {
        Log("this system keeps no access list of a folder (Wine): the temp copy's folder is "
            "only read back");
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    int folders = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        char folder[MAX_PATH];
        snprintf(folder, sizeof folder, "%s%s", temp, found.cFileName);
        PSECURITY_DESCRIPTOR descriptor = ReadAccessList(folder);
        folders++;
        if (Check(descriptor != NULL, "read the access list of %s", folder) && kept) {
            CheckList(folder, descriptor);
        }
        LocalFree(descriptor);
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    Check(folders > 0, "the uninstaller's temp copy has a folder of its own (%d)", folders);
}
