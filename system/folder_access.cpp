#include "folder_access.h"

#include <windows.h>
#include <sddl.h>

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
