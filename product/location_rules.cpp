#include "location_rules.h"

#include <string.h>

#include "path_helpers.h"

bool ContainsProductName(const char* text, const char* name)
{
    for (; *text != '\0'; ++text) {
        if (StartsWithIgnoringCase(text, name)) {
            return true;
        }
    }
    return false;
}

LocationVerdict MakeDestination(char* out, size_t outSize, const char* text, const char* name)
{
    out[0] = '\0';
    if (text[0] == '\0') {
        return kLocationEmpty;
    }
    // Only the drive's ":" and "\" are checked, not the letter before them.
    if (text[1] != ':' || text[2] != '\\') {
        return kLocationNoDrive;
    }
    if (text[3] == '\0') {
        return kLocationRootDrive;
    }
    bool fits = ContainsProductName(text, name) ? CopyText(out, outSize, text)
                                                : JoinPath(out, outSize, text, name, false);
    return fits ? kLocationAccepted : kLocationTooLong;
}

int SplitFolderChain(const char* path, size_t ends[], int maxLinks)
{
    int links = 0;
    size_t start = 0;
    while (path[start] != '\0' && links < maxLinks) {
        size_t end = start;
        while (path[end] != '\0' && path[end] != '\\') {
            ++end;
        }
        if (links == 0) {
            // The drive root is listed with its backslash: C:\ names the
            // root, C: the drive's current folder.
            ends[links++] = path[end] == '\\' ? end + 1 : end;
        } else if (end > start) {
            ends[links++] = end;
        }
        start = path[end] == '\\' ? end + 1 : end;
    }
    return links;
}

GroupVerdict CheckGroupName(const char* name)
{
    size_t length = strlen(name);
    if (length == 0) {
        return kGroupEmpty;
    }
    if (length > kGroupNameLimit) {
        return kGroupTooLong;
    }
    // The name becomes one path component: a separator would reach into
    // another folder and the others cannot be in a file name at all.
    if (strpbrk(name, "\\/:*?\"<>|") != NULL) {
        return kGroupBadCharacter;
    }
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) {
        return kGroupDotName;
    }
    return kGroupAccepted;
}
