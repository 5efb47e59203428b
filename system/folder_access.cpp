#include "folder_access.h"

#include <aclapi.h>
#include <sddl.h>

#include "access_rules.h"

enum { kTokenUserSize = 128 };  // the account and a SID of the longest kind

namespace {

// The running account's SID as text, as the system writes an owner that
// has no alias of its own.
char* DescribeSelf()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return NULL;
    }
    DWORD user[kTokenUserSize / sizeof(DWORD)];
    DWORD size = 0;
    char* text = NULL;
    if (GetTokenInformation(token, TokenUser, user, sizeof user, &size)) {
        ConvertSidToStringSidA(((TOKEN_USER*)user)->User.Sid, &text);
    }
    CloseHandle(token);
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
    bool kept = self != NULL &&
                GetSecurityInfo(folder, SE_FILE_OBJECT, asked, NULL, NULL, NULL, NULL,
                                &descriptor) == ERROR_SUCCESS &&
                ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                                     asked, &text, NULL) &&
                KeptFromUsers(text, self, filesToo);
    LocalFree(text);
    LocalFree(descriptor);
    LocalFree(self);
    return kept;
}

bool RunsAsLocalSystem()
{
    char* self = DescribeSelf();
    bool system = IsLocalSystem(self);
    LocalFree(self);
    return system;
}
