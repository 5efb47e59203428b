#include "path_helpers.h"

#include <string.h>

namespace {

// Appends text at *len; false when it would not fit with its terminator.
bool Append(char* out, size_t outSize, size_t* len, const char* text)
{
    size_t n = strlen(text);
    if (n >= outSize - *len) {
        return false;
    }
    memcpy(out + *len, text, n + 1);
    *len += n;
    return true;
}

bool AppendSeparator(char* out, size_t outSize, size_t* len)
{
    if (*len > 0 && out[*len - 1] == '\\') {
        return true;
    }
    return Append(out, outSize, len, "\\");
}

bool Refuse(char* out, size_t outSize)
{
    if (outSize > 0) {
        out[0] = '\0';
    }
    return false;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

}  // namespace

bool CopyText(char* out, size_t outSize, const char* text)
{
    size_t len = 0;
    if (outSize == 0) {
        return false;
    }
    out[0] = '\0';
    return Append(out, outSize, &len, text) || Refuse(out, outSize);
}

bool AppendText(char* out, size_t outSize, const char* text)
{
    size_t len = strlen(out);
    return len < outSize && Append(out, outSize, &len, text);
}

bool JoinPath(char* out, size_t outSize, const char* folder, const char* name, bool quote)
{
    size_t len = 0;
    if (outSize == 0) {
        return false;
    }
    out[0] = '\0';
    // An empty folder slot means the system gave no usable folder: joined,
    // it would name the root of the current drive instead.
    if (folder[0] == '\0') {
        return false;
    }
    bool ok = (!quote || Append(out, outSize, &len, "\"")) &&
              Append(out, outSize, &len, folder) && AppendSeparator(out, outSize, &len) &&
              Append(out, outSize, &len, name) &&
              (!quote || Append(out, outSize, &len, "\""));
    return ok || Refuse(out, outSize);
}

bool MakeShortcutPath(char* out, size_t outSize, const char* folder, const char* middle,
                      const char* caption)
{
    size_t len = 0;
    if (outSize == 0) {
        return false;
    }
    out[0] = '\0';
    if (folder[0] == '\0') {
        return false;
    }
    bool ok = Append(out, outSize, &len, folder) && AppendSeparator(out, outSize, &len) &&
              Append(out, outSize, &len, middle) && AppendSeparator(out, outSize, &len) &&
              Append(out, outSize, &len, caption) && Append(out, outSize, &len, ".lnk");
    return ok || Refuse(out, outSize);
}

void NormaliseFolderCase(char* text)
{
    if (text[0] == '\0') {
        return;
    }
    text[0] = UpperAscii(text[0]);
    for (char* p = text + 1; *p != '\0'; ++p) {
        if (*p == ' ' || *p == '\\') {
            // The character after a separator is raised and then passed
            // over: neither lowered nor taken as a separator itself.
            ++p;
            if (*p == '\0') {
                break;
            }
            *p = UpperAscii(*p);
        } else {
            *p = LowerAscii(*p);
        }
    }
}

const char* FindExtension(const char* name)
{
    return strrchr(name, '.');
}

bool StartsWithIgnoringCase(const char* text, const char* prefix)
{
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (*text == '\0' || LowerAscii(*text) != LowerAscii(*prefix)) {
            return false;
        }
    }
    return true;
}

bool SameTextIgnoringCase(const char* a, const char* b)
{
    return StartsWithIgnoringCase(a, b) && a[strlen(b)] == '\0';
}

bool SameFolder(const char* a, const char* b)
{
    for (; *a != '\0' && LowerAscii(*a) == LowerAscii(*b); ++a, ++b) {
    }
    // What is left of either may only be one trailing backslash.
    bool aDone = *a == '\0' || (a[0] == '\\' && a[1] == '\0');
    bool bDone = *b == '\0' || (b[0] == '\\' && b[1] == '\0');
    return aDone && bDone;
}
