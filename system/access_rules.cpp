#include "access_rules.h"

#include <string.h>

namespace {

// The accounts trusted besides self, as the text names them: the aliases
// of Administrators and SYSTEM (the system never spells those out),
// TrustedInstaller, which has no alias, and
// the placeholders that stand for the folder's owner (CREATOR OWNER on an
// entry passed on, OWNER RIGHTS), whose owner is checked on its own.
const char* const kTrusted[] = {
    "BA", "SY", "CO", "OW", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
};

// The names the text gives to rights that change nothing: generic read
// and execute, read control, file read and execute, and the directory
// names of reading, listing, traversing and attribute rights. Any other
// name includes a right that does.
const char kHarmlessAliases[] = "GRGXRCFRFXCCSWRPWPLOCR";

// Whether the field [start, end) is exactly text.
bool FieldIs(const char* start, const char* end, const char* text)
{
    size_t length = strlen(text);
    return (size_t)(end - start) == length && memcmp(start, text, length) == 0;
}

bool IsTrusted(const char* start, const char* end, const char* self)
{
    if (FieldIs(start, end, self)) {
        return true;
    }
    for (const char* trusted : kTrusted) {
        if (FieldIs(start, end, trusted)) {
            return true;
        }
    }
    return false;
}

// Whether the two-letter name occurs in [start, end), a field of such
// names one after another.
bool HasName(const char* start, const char* end, const char* name)
{
    for (const char* at = start; at + 1 < end; at += 2) {
        if (at[0] == name[0] && at[1] == name[1]) {
            return true;
        }
    }
    return false;
}

// The rights field: a number in hexadecimal, or aliases one after another;
// all rights for a name that is not known to change nothing.
unsigned long ReadRights(const char* start, const char* end)
{
    if (end - start > 2 && start[0] == '0' && (start[1] == 'x' || start[1] == 'X')) {
        unsigned long rights = 0;
        for (const char* digit = start + 2; digit < end; ++digit) {
            char c = *digit;
            int value = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (value < 0) {
                return ~0ul;
            }
            rights = rights << 4 | (unsigned long)value;
        }
        return rights;
    }
    // A name cut short meets the field's end, which no name holds.
    for (const char* alias = start; alias < end; alias += 2) {
        if (!HasName(kHarmlessAliases, kHarmlessAliases + sizeof kHarmlessAliases - 1, alias)) {
            return ~0ul;
        }
    }
    return 0;
}

// One entry "type;inheritance;rights;object;inherited object;account",
// without its parentheses: whether it lets someone untrusted change the
// folder (or, with filesToo, the files made in it).
bool LetsOthersChange(const char* entry, const char* end, const char* self, bool filesToo)
{
    const char* fields[7];
    int count = 0;
    fields[count++] = entry;
    for (const char* at = entry; at < end && count < 7; ++at) {
        if (*at == ';') {
            fields[count++] = at + 1;
        }
    }
    if (count < 6) {
        return true;  // not an entry as the system writes one
    }
    const char* typeEnd = fields[1] - 1;
    // Entries that deny take rights away: they never give any.
    if (fields[0] == typeEnd || fields[0][0] == 'D' ||
        (typeEnd - fields[0] > 1 && fields[0][1] == 'D')) {
        return false;
    }
    const char* flagsEnd = fields[2] - 1;
    bool passedOnOnly = HasName(fields[1], flagsEnd, "IO");
    if (passedOnOnly && !(filesToo && HasName(fields[1], flagsEnd, "OI"))) {
        return false;
    }
    const char* accountEnd = count > 6 ? fields[6] - 1 : end;
    return (ReadRights(fields[2], fields[3] - 1) & kChangingRights) != 0 &&
           !IsTrusted(fields[5], accountEnd, self);
}

// The end of a section's value: the character before the next section's
// letter and colon, which no account or flag holds.
const char* SectionEnd(const char* value)
{
    while (*value != '\0' && value[1] != ':') {
        ++value;
    }
    return value;
}

}  // namespace

bool KeptFromUsers(const char* descriptor, const char* self, bool filesToo)
{
    if (strncmp(descriptor, "O:", 2) != 0) {
        return false;
    }
    const char* owner = descriptor + 2;
    const char* ownerEnd = SectionEnd(owner);
    if (!IsTrusted(owner, ownerEnd, self) || strncmp(ownerEnd, "D:", 2) != 0) {
        return false;  // no list at all lets everyone in
    }
    // The list's flags (P, AI, AR), then its entries; "NO_ACCESS_CONTROL",
    // the list that lets everyone in, reads as neither.
    const char* at = ownerEnd + 2;
    while (*at >= 'A' && *at <= 'Z') {
        ++at;
    }
    while (*at == '(') {
        const char* close = strchr(at, ')');
        if (close == NULL || LetsOthersChange(at + 1, close, self, filesToo)) {
            return false;
        }
        at = close + 1;
    }
    return *at == '\0' || at[1] == ':';
}

bool IsLocalSystem(const char* self)
{
    return self != NULL && strcmp(self, "S-1-5-18") == 0;
}
