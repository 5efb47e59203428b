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

namespace {

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// What Windows would refuse or rewrite in one folder name of length
// characters, in the order the group page reports it; kGroupAccepted when
// the folder made bears exactly that name.
GroupVerdict FolderNameFault(const char* name, size_t length)
{
    // A separator would reach into another folder and the others cannot
    // be in a file name at all.
    static const char kRefused[] = "\\/:*?\"<>|";
    if (length == 0) {
        return kGroupEmpty;
    }
    bool control = false;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = (unsigned char)name[i];
        if (memchr(kRefused, c, sizeof kRefused - 1) != NULL) {
            return kGroupBadCharacter;
        }
        control = control || c < 0x20;
    }
    if (name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.'))) {
        return kGroupDotName;
    }
    if (control) {
        return kGroupControlCharacter;
    }
    // This also takes names made only of dots, such as "...".
    char last = name[length - 1];
    if (last == ' ' || last == '.') {
        return kGroupTrailingSpaceOrDot;
    }
    return kGroupAccepted;
}

// Every folder name after the drive's root of an X:\ path, where one
// backslash may end the path.
bool HasPlainFolderNames(const char* path)
{
    const char* name = path + 3;
    do {
        size_t length = strcspn(name, "\\");
        if (FolderNameFault(name, length) != kGroupAccepted) {
            return false;
        }
        name += length;
        if (*name == '\\') {
            ++name;
        }
    } while (*name != '\0');
    return true;
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

// Whether a folder name after the drive's root of an X:\ path is a device.
bool HasDeviceName(const char* path)
{
    const char* name = path + 3;
    while (*name != '\0') {
        size_t length = strcspn(name, "\\");
        char component[kTypedPathSize];
        if (length < sizeof component) {
            memcpy(component, name, length);
            component[length] = '\0';
            if (IsDeviceName(component)) {
                return true;
            }
        }
        name += length;
        if (*name == '\\') {
            ++name;
        }
    }
    return false;
}

}  // namespace

LocationVerdict MakeDestination(char* out, size_t outSize, const char* text, const char* name)
{
    out[0] = '\0';
    if (text[0] == '\0') {
        return kLocationEmpty;
    }
    if (text[1] != ':' || text[2] != '\\') {
        return kLocationNoDrive;
    }
    if (text[3] == '\0') {
        return kLocationRootDrive;
    }
    if (!IsDriveLetter(text[0])) {
        return kLocationBadDrive;
    }
    bool fits = ContainsProductName(text, name) ? CopyText(out, outSize, text)
                                                : JoinPath(out, outSize, text, name, false);
    if (!fits) {
        return kLocationTooLong;
    }
    // Windows would resolve ".." or drop a trailing dot, and so make, and
    // at a reinstall clean, another folder than the one typed.
    if (!HasPlainFolderNames(out)) {
        out[0] = '\0';
        return kLocationBadName;
    }
    // The group page's rule, for every folder of the path: the pass would
    // fail at the first file, writing to a device instead.
    if (HasDeviceName(out)) {
        out[0] = '\0';
        return kLocationDeviceName;
    }
    return kLocationAccepted;
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
    GroupVerdict fault = FolderNameFault(name, length);
    if (fault != kGroupAccepted) {
        return fault;
    }
    return IsDeviceName(name) ? kGroupDeviceName : kGroupAccepted;
}
