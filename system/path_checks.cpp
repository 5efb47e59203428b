#include "path_checks.h"

#include "path_helpers.h"

bool IsFolderPath(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFilePath(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HANDLE FindFirstIn(const char* folder, const char* pattern, WIN32_FIND_DATAA* found)
{
    char path[MAX_PATH];
    if (folder[0] == '\0' || !JoinPath(path, sizeof path, folder, pattern, false)) {
        return INVALID_HANDLE_VALUE;
    }
    return FindFirstFileA(path, found);
}
