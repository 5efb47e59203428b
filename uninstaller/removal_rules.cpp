#include "removal_rules.h"

#include <string.h>

#include "path_helpers.h"

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters that cannot stand in a file name; ':' only after the drive.
bool IsForbidden(unsigned char c) { return c < 0x20 || strchr("/*?\"<>|:", c) != NULL; }

// Every component between backslashes from start: not empty (but for the
// one after a single trailing backslash), no forbidden character, and no
// trailing dot or space, which Windows drops: "windows." and "windows "
// both open the Windows folder. That also refuses "." and "..".
bool PlainComponents(const char* start)
{
    const char* p = start;
    for (;;) {
        const char* end = strchr(p, '\\');
        size_t n = end ? (size_t)(end - p) : strlen(p);
        if (n == 0) {
            return end == NULL;  // "C:\Q\" passes, "C:\Q\\" and "C:\A\\Q" do not
        }
        if (p[n - 1] == '.' || p[n - 1] == ' ') {
            return false;
        }
        for (size_t i = 0; i < n; i++) {
            if (IsForbidden((unsigned char)p[i])) {
                return false;
            }
        }
        if (end == NULL) {
            return true;
        }
        p = end + 1;
    }
}

}  // namespace

bool IsRemovableProgramFolder(const char* path, const char* windowsFolder,
                              const char* systemFolder)
{
    if (!IsLetter(path[0]) || path[1] != ':' || path[2] != '\\') {
        return false;  // relative, a share, a device path, or no drive
    }
    const char* below = path + 3;
    if (*below == '\0' || *below == '\\') {
        return false;  // the root itself
    }
    if (!PlainComponents(below)) {
        return false;
    }
    return !SameFolder(path, windowsFolder) && !SameFolder(path, systemFolder);
}

bool IsPlainGroupName(const char* name)
{
    size_t n = strlen(name);
    if (n == 0 || n > kGroupNameLimit) {
        return false;
    }
    bool onlyDots = true;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)name[i];
        if (c == '\\' || IsForbidden(c)) {
            return false;
        }
        onlyDots = onlyDots && c == '.';
    }
    // Windows drops trailing dots and spaces, so "Tools." would name "Tools".
    return !onlyDots && name[n - 1] != '.' && name[n - 1] != ' ';
}

bool ParentFolder(const char* path, char* out, size_t outSize)
{
    size_t n = strlen(path);
    if (n > 0 && path[n - 1] == '\\') {
        n--;
    }
    while (n > 0 && path[n - 1] != '\\') {
        n--;
    }
    if (n == 0) {
        return false;
    }
    // Keep the backslash of a root ("C:\"), drop any other.
    size_t keep = (n == 3 && path[1] == ':') ? n : n - 1;
    if (keep == 0 || keep >= outSize || (n == 3 && strlen(path) <= 3)) {
        return false;
    }
    memcpy(out, path, keep);
    out[keep] = '\0';
    return true;
}

bool IsWithinFolder(const char* path, const char* folder)
{
    size_t n = strlen(folder);
    if (n > 0 && folder[n - 1] == '\\') {
        n--;
    }
    if (n < 4 || folder[1] != ':' || folder[2] != '\\') {
        return false;
    }
    char head[kLongestFolder + 1];
    if (strlen(path) < n || n >= sizeof head) {
        return false;
    }
    memcpy(head, path, n);
    head[n] = '\0';
    return SameFolder(head, folder) && (path[n] == '\0' || path[n] == '\\');
}

bool LastComponentIs(const char* path, const char* name)
{
    size_t n = strlen(path);
    if (n > 0 && path[n - 1] == '\\') {
        n--;
    }
    size_t start = n;
    while (start > 0 && path[start - 1] != '\\') {
        start--;
    }
    size_t m = strlen(name);
    if (n - start != m) {
        return false;
    }
    for (size_t i = 0; i < m; i++) {
        char a = path[start + i], b = name[i];
        if (a >= 'A' && a <= 'Z') a = (char)(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = (char)(b - 'A' + 'a');
        if (a != b) {
            return false;
        }
    }
    return true;
}

bool HasPreservedExtension(const char* name, const char* const* extensions, int count)
{
    const char* extension = FindExtension(name);
    if (extension == NULL) {
        return false;
    }
    for (int i = 0; i < count; i++) {
        if (SameTextIgnoringCase(extension, extensions[i])) {
            return true;
        }
    }
    return false;
}

// Appends the pieces, all or none.
static bool AppendAll(char* out, size_t outSize, const char* const* pieces, int count)
{
    size_t len = strlen(out);
    for (int i = 0; i < count; i++) {
        if (!AppendText(out, outSize, pieces[i])) {
            out[len] = '\0';
            return false;
        }
    }
    return true;
}

bool AddEndItem(char* out, size_t outSize, int* items, const char* text, const char* suffix)
{
    if (*items >= kEndItemLimit) {
        (*items)++;
        return true;
    }
    const char* pieces[] = {"\r\n", text, suffix};
    if (!AppendAll(out, outSize, pieces, 3)) {
        return false;
    }
    (*items)++;
    return true;
}

void FinishEndItems(char* out, size_t outSize, int items)
{
    if (items <= kEndItemLimit) {
        return;
    }
    char digits[12];
    char* p = digits + sizeof digits - 1;
    *p = '\0';
    unsigned n = (unsigned)(items - kEndItemLimit);
    do {
        *--p = (char)('0' + n % 10);
        n /= 10;
    } while (n != 0);
    const char* pieces[] = {"\r\nand ", p, " more"};
    AppendAll(out, outSize, pieces, 3);
}
