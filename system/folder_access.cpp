#include "folder_access.h"

#include <aclapi.h>
#include <sddl.h>
#include <string.h>

#include "access_rules.h"

enum { kTokenUserSize = 128 };  // the account and a SID of the longest kind

namespace {

// The running account as the system writes an owner out ("O:" and then
// an alias such as LA, or the SID), so that it compares with a folder's.
char* DescribeSelf()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return NULL;
    }
    DWORD user[kTokenUserSize / sizeof(DWORD)];
    DWORD size = 0;
    bool read = GetTokenInformation(token, TokenUser, user, sizeof user, &size) != 0;
    CloseHandle(token);
    SECURITY_DESCRIPTOR own;
    char* text = NULL;
    if (read && InitializeSecurityDescriptor(&own, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorOwner(&own, ((TOKEN_USER*)user)->User.Sid, FALSE)) {
        ConvertSecurityDescriptorToStringSecurityDescriptorA(
            &own, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION, &text, NULL);
    }
    return text;
}

}  // namespace

void* MakeProtectedFolderDescriptor()
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            PROTECTED_FOLDER_SDDL, SDDL_REVISION_1, &descriptor, NULL)) {
        return NULL;
    }
    return descriptor;
}

bool CreateProtectedFolder(const char* folder)
{
    // Without its list the folder is not made at all: a moment with the
    // inherited one would be enough to plant a file.
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, MakeProtectedFolderDescriptor(), FALSE};
    if (attributes.lpSecurityDescriptor == NULL) {
        return false;
    }
    bool made = CreateDirectoryA(folder, &attributes) != 0;
    LocalFree(attributes.lpSecurityDescriptor);
    return made;
}

bool IsKeptFromUsers(void* folder, bool filesToo)
{
    const SECURITY_INFORMATION asked = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    char* text = NULL;
    char* self = DescribeSelf();
    bool kept = self != NULL && strncmp(self, "O:", 2) == 0 &&
                GetSecurityInfo(folder, SE_FILE_OBJECT, asked, NULL, NULL, NULL, NULL,
                                &descriptor) == ERROR_SUCCESS &&
                ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                                     asked, &text, NULL) &&
                KeptFromUsers(text, self + 2, filesToo);
    LocalFree(text);
    LocalFree(descriptor);
    LocalFree(self);
    return kept;
}
