// The snapshot tool: drive C: and the registry trees that matter, listed
// into one of two static slots, sorted by path and compared entry by entry.
#include "e2e_snapshot.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "e2e_driver.h"

namespace {

enum {
    // A fresh 32-bit prefix holds about 27000 entries, a 64-bit one, with
    // its Wow6432Node, well over 65000.
    kMaxEntries = 1 << 18,
    kPoolSize = 32 << 20,
    kMaxValueData = 1 << 20,
    kMaxValueName = 16384,  // the registry's own limit on value names
    kPathSize = 1024,
    kShownChars = 60,
    kLineSize = 1400,
};

enum EntryKind { kFolderEntry, kFileEntry, kKeyEntry, kValueEntry };
const char* const kKindNames[] = {"folder", "file", "key", "value"};

struct Entry {
    DWORD path;   // offset of the path in the pool
    DWORD shown;  // offset of a value's data as text
    int kind;
    DWORD attributes;  // file attributes, or the value's type
    ULONGLONG size;
    FILETIME written;  // files only: a folder's time follows its contents
    ULONGLONG hash;    // values only
};

struct Snapshot {
    Entry entries[kMaxEntries];
    int count;
    char pool[kPoolSize];
    DWORD used;
    bool overflow;
};

struct SnapshotState {
    Snapshot slots[2];
    BYTE data[kMaxValueData];
    char valueName[kMaxValueName];
    const Snapshot* sorting;  // the slot qsort is ordering
};
SnapshotState g_snap;

// Nothing is skipped: snapshots around a run that changes nothing (a
// program with a window started and ended, a screenshot, wineboot -r; the
// scenario snapshot-noop) agree in full in fresh 32-bit and 64-bit Wine 8
// prefixes, temp folder and registry included, so no folder or key needs
// leaving out. A Wine that starts writing somewhere of its own shows up
// there first.

struct RegistryRoot {
    HKEY root;
    const char* rootName;
    const char* path;
    REGSAM view;
};
// HKLM\Software in the 64-bit view, so that a 64-bit prefix shows its
// Wow6432Node too (a 32-bit prefix ignores the flag); Session Manager for
// PendingFileRenameOperations.
const RegistryRoot kRoots[] = {
    {HKEY_LOCAL_MACHINE, "HKLM", "Software", KEY_WOW64_64KEY},
    {HKEY_LOCAL_MACHINE, "HKLM", "System\\CurrentControlSet\\Control\\Session Manager",
     KEY_WOW64_64KEY},
    {HKEY_CURRENT_USER, "HKCU", "Software", KEY_WOW64_64KEY},
};

int CompareNoCase(const char* a, const char* b)
{
    for (;; a++, b++) {
        int x = (unsigned char)*a;
        int y = (unsigned char)*b;
        x = x >= 'A' && x <= 'Z' ? x + 32 : x;
        y = y >= 'A' && y <= 'Z' ? y + 32 : y;
        if (x != y || x == 0) {
            return x - y;
        }
    }
}

DWORD Keep(Snapshot* s, const char* text)
{
    size_t n = strlen(text) + 1;
    if (s->used + n > sizeof s->pool) {
        s->overflow = true;
        return 0;  // offset 0 always holds the empty text
    }
    memcpy(s->pool + s->used, text, n);
    DWORD at = s->used;
    s->used += (DWORD)n;
    return at;
}

Entry* AddEntry(Snapshot* s, int kind, const char* path)
{
    if (s->count >= kMaxEntries) {
        s->overflow = true;
        return NULL;
    }
    Entry* e = &s->entries[s->count++];
    memset(e, 0, sizeof *e);
    e->kind = kind;
    e->path = Keep(s, path);
    return e;
}

void ListFolder(Snapshot* s, const char* folder)
{
    char pattern[kPathSize];
    snprintf(pattern, sizeof pattern, "%s\\*", folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) {
            continue;
        }
        char path[kPathSize];
        snprintf(path, sizeof path, "%s\\%s", folder, found.cFileName);
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        Entry* e = AddEntry(s, isFolder ? kFolderEntry : kFileEntry, path);
        if (e == NULL) {
            break;
        }
        e->attributes = found.dwFileAttributes;
        if (!isFolder) {
            e->size = ((ULONGLONG)found.nFileSizeHigh << 32) | found.nFileSizeLow;
            e->written = found.ftLastWriteTime;
        } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            // A junction is listed, never followed: what it points to is
            // listed where it lies.
            ListFolder(s, path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

ULONGLONG Fnv1a(const BYTE* data, DWORD size)
{
    ULONGLONG h = 14695981039346656037ull;
    for (DWORD i = 0; i < size; i++) {
        h = (h ^ data[i]) * 1099511628211ull;
    }
    return h;
}

// A value's data as one short line: strings with their NULs as "|", a
// DWORD in hex, anything else as its first bytes in hex.
void ShowData(DWORD type, const BYTE* data, DWORD size, char* text, int capacity)
{
    int n = 0;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        text[n++] = '"';
        for (DWORD i = 0; i < size && n < kShownChars && n + 5 < capacity; i++) {
            BYTE c = data[i];
            text[n++] = c == 0 ? '|' : (c < 32 || c > 126 ? '.' : (char)c);
        }
        text[n++] = '"';
    } else if (type == REG_DWORD && size == 4) {
        n = snprintf(text, capacity, "0x%08lx", *(const DWORD*)data);
    } else {
        for (DWORD i = 0; i < size && i < 24 && n + 4 < capacity; i++) {
            n += snprintf(text + n, capacity - n, "%02x", data[i]);
        }
    }
    snprintf(text + n, capacity - n, "%s", n >= kShownChars ? "..." : "");
}

void ListValues(Snapshot* s, HKEY key, const char* keyPath)
{
    for (DWORD i = 0;; i++) {
        DWORD nameSize = sizeof g_snap.valueName;
        DWORD size = sizeof g_snap.data;
        DWORD type = 0;
        LONG result = RegEnumValueA(key, i, g_snap.valueName, &nameSize, NULL, &type,
                                    g_snap.data, &size);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) {
            break;
        }
        char path[kPathSize];
        snprintf(path, sizeof path, "%s : %s", keyPath,
                 g_snap.valueName[0] ? g_snap.valueName : "(default)");
        Entry* e = AddEntry(s, kValueEntry, path);
        if (e == NULL) {
            return;
        }
        e->attributes = type;
        e->size = size;
        char shown[kShownChars + 16] = "(too large to read)";
        if (result == ERROR_SUCCESS) {
            e->hash = Fnv1a(g_snap.data, size);
            ShowData(type, g_snap.data, size, shown, sizeof shown);
        }
        e->shown = Keep(s, shown);
    }
}

void ListKey(Snapshot* s, HKEY root, REGSAM view, const char* subkey, const char* shownPath)
{
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return;
    }
    AddEntry(s, kKeyEntry, shownPath);
    ListValues(s, key, shownPath);
    for (DWORD i = 0;; i++) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) {
            break;
        }
        char childKey[kPathSize];
        char childShown[kPathSize];
        snprintf(childKey, sizeof childKey, "%s\\%s", subkey, name);
        snprintf(childShown, sizeof childShown, "%s\\%s", shownPath, name);
        ListKey(s, root, view, childKey, childShown);
    }
    RegCloseKey(key);
}

int CompareEntries(const void* a, const void* b)
{
    const Entry* x = (const Entry*)a;
    const Entry* y = (const Entry*)b;
    int c = CompareNoCase(g_snap.sorting->pool + x->path, g_snap.sorting->pool + y->path);
    return c != 0 ? c : x->kind - y->kind;
}

typedef BOOL(WINAPI* RedirectionSwitch)(PVOID*);

// A 32-bit program in a 64-bit prefix sees syswow64 where system32 is;
// the snapshot wants the disk as it is.
void SwitchRedirection(bool off, PVOID* old)
{
    RedirectionSwitch fn = (RedirectionSwitch)(void*)GetProcAddress(
        GetModuleHandleA("kernel32.dll"),
        off ? "Wow64DisableWow64FsRedirection" : "Wow64RevertWow64FsRedirection");
    if (fn != NULL) {
        fn(old);
    }
}

const char* PathOf(const Snapshot* s, const Entry* e)
{
    return s->pool + e->path;
}

void Describe(const Snapshot* s, const Entry* e, char* text, int capacity)
{
    if (e->kind == kValueEntry) {
        snprintf(text, capacity, "type %lu, %llu bytes, %s", (unsigned long)e->attributes,
                 e->size, s->pool + e->shown);
    } else if (e->kind == kFileEntry) {
        SYSTEMTIME t;
        FileTimeToSystemTime(&e->written, &t);
        snprintf(text, capacity, "%llu bytes, attributes 0x%lx, written %04u-%02u-%02u %02u:%02u:%02u",
                 e->size, (unsigned long)e->attributes, t.wYear, t.wMonth, t.wDay, t.wHour,
                 t.wMinute, t.wSecond);
    } else if (e->kind == kFolderEntry) {
        snprintf(text, capacity, "attributes 0x%lx", (unsigned long)e->attributes);
    } else {
        text[0] = '\0';
    }
}

bool SameEntry(const Entry* a, const Entry* b)
{
    return a->attributes == b->attributes && a->size == b->size && a->hash == b->hash &&
           CompareFileTime(&a->written, &b->written) == 0;
}

struct Matching {
    const Allowance* allowed;
    int count;
    bool matched[kMaxAllowances];
    int failures;
};

// One difference: allowed (logged with the reason) or a failure.
void Report(Matching* m, char change, const char* path, int kind, const char* detail)
{
    char line[kLineSize];
    snprintf(line, sizeof line, "%c %s", change, path);
    for (int i = 0; i < m->count; i++) {
        if (MatchPattern(m->allowed[i].pattern, line)) {
            m->matched[i] = true;
            Log("  expected: %c %s %s%s%s%s: %s", change, kKindNames[kind], path,
                *detail ? " (" : "", detail, *detail ? ")" : "", m->allowed[i].why);
            return;
        }
    }
    Fail("unexpected difference: %c %s %s%s%s%s", change, kKindNames[kind], path,
         *detail ? " (" : "", detail, *detail ? ")" : "");
    m->failures++;
}

}  // namespace

bool MatchPattern(const char* pattern, const char* text)
{
    // Glob with one backtracking point, the last "*" seen; "?" is any one
    // character.
    const char* star = NULL;
    const char* resume = NULL;
    while (*text) {
        char p = *pattern;
        char t = *text;
        p = p >= 'A' && p <= 'Z' ? p + 32 : p;
        t = t >= 'A' && t <= 'Z' ? t + 32 : t;
        if (*pattern == '*') {
            star = ++pattern;
            resume = text;
        } else if (*pattern && (p == t || *pattern == '?')) {
            pattern++;
            text++;
        } else if (star != NULL) {
            pattern = star;
            text = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        pattern++;
    }
    return *pattern == '\0';
}

bool TakeSnapshot(int slot)
{
    Snapshot* s = &g_snap.slots[slot & 1];
    s->count = 0;
    s->used = 0;
    s->overflow = false;
    Keep(s, "");
    DWORD start = GetTickCount();
    PVOID old = NULL;
    SwitchRedirection(true, &old);
    ListFolder(s, "C:");
    SwitchRedirection(false, &old);
    int files = s->count;
    for (size_t i = 0; i < sizeof kRoots / sizeof kRoots[0]; i++) {
        char shown[kPathSize];
        snprintf(shown, sizeof shown, "%s\\%s", kRoots[i].rootName, kRoots[i].path);
        ListKey(s, kRoots[i].root, kRoots[i].view, kRoots[i].path, shown);
    }
    g_snap.sorting = s;
    qsort(s->entries, s->count, sizeof s->entries[0], CompareEntries);
    Log("snapshot %s: %d files and folders, %d keys and values, %lu ms",
        slot == kBefore ? "before" : "after", files, s->count - files,
        (unsigned long)(GetTickCount() - start));
    return Check(!s->overflow, "the snapshot fits its buffers (%d entries, %lu bytes of text)",
                 s->count, (unsigned long)s->used);
}

int CheckDifferences(const char* what, const Allowance* allowed, int count)
{
    const Snapshot* a = &g_snap.slots[kBefore];
    const Snapshot* b = &g_snap.slots[kAfter];
    Matching m;
    memset(&m, 0, sizeof m);
    m.allowed = allowed;
    m.count = count < kMaxAllowances ? count : kMaxAllowances;
    Log("differences %s:", what);
    int i = 0;
    int j = 0;
    int differences = 0;
    char detail[kLineSize];
    char before[kLineSize / 2];
    while (i < a->count || j < b->count) {
        int c = i >= a->count   ? 1
                : j >= b->count ? -1
                                : CompareNoCase(PathOf(a, &a->entries[i]), PathOf(b, &b->entries[j]));
        if (c == 0) {
            c = a->entries[i].kind - b->entries[j].kind;
        }
        if (c < 0) {
            Describe(a, &a->entries[i], detail, sizeof detail);
            Report(&m, '-', PathOf(a, &a->entries[i]), a->entries[i].kind, detail);
            i++;
            differences++;
        } else if (c > 0) {
            Describe(b, &b->entries[j], detail, sizeof detail);
            Report(&m, '+', PathOf(b, &b->entries[j]), b->entries[j].kind, detail);
            j++;
            differences++;
        } else {
            if (!SameEntry(&a->entries[i], &b->entries[j])) {
                Describe(a, &a->entries[i], before, sizeof before);
                size_t n = strlen(before);
                snprintf(before + n, sizeof before - n, " -> ");
                Describe(b, &b->entries[j], detail, sizeof detail);
                char both[kLineSize];
                snprintf(both, sizeof both, "%s%s", before, detail);
                Report(&m, '~', PathOf(b, &b->entries[j]), b->entries[j].kind, both);
                differences++;
            }
            i++;
            j++;
        }
    }
    if (differences == 0) {
        Log("  none");
    }
    for (int k = 0; k < m.count; k++) {
        if (allowed[k].required && !m.matched[k]) {
            Fail("expected difference missing: %s (%s)", allowed[k].pattern, allowed[k].why);
            m.failures++;
        }
    }
    Check(m.failures == 0, "%s: %d difference(s), each one expected, none missing", what,
          differences);
    return m.failures;
}
