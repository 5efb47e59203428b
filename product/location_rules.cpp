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

namespace {

bool HasControlCharacter(const char* name)
{
    for (; *name != '\0'; ++name) {
        if ((unsigned char)*name < 0x20) {
            return true;
        }
    }
    return false;
}

// Windows takes the part before the first dot, blanks at its end dropped,
// as the device whatever follows: "nul.txt" and "COM1 .log" are devices.
bool IsDeviceName(const char* name)
{
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    static const char* const kNumbered[] = {"COM", "LPT"};
    size_t base = strcspn(name, ".");
    while (base > 0 && name[base - 1] == ' ') {
        --base;
    }
    char stem[5];
    if (base < 3 || base > 4) {
        return false;
    }
    memcpy(stem, name, base);
    stem[base] = '\0';
    if (base == 3) {
        for (const char* device : kDevices) {
            if (SameTextIgnoringCase(stem, device)) {
                return true;
            }
        }
        return false;
    }
    char digit = stem[3];
    stem[3] = '\0';
    for (const char* device : kNumbered) {
        if (SameTextIgnoringCase(stem, device) && digit >= '1' && digit <= '9') {
            return true;
        }
    }
    return false;
}

}  // namespace

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
    if (HasControlCharacter(name)) {
        return kGroupControlCharacter;
    }
    // This also takes names made only of dots, such as "...".
    char last = name[length - 1];
    if (last == ' ' || last == '.') {
        return kGroupTrailingSpaceOrDot;
    }
    if (IsDeviceName(name)) {
        return kGroupDeviceName;
    }
    return kGroupAccepted;
}
