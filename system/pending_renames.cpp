#include "pending_renames.h"

#include <string.h>

namespace {

// Marks the system puts before a name: "!" (replace what is there) and the
// native prefix "\??\".
const uint16_t* SkipNameMarks(const uint16_t* name, const uint16_t* end)
{
    while (name < end && *name == '!') {
        ++name;
    }
    static const uint16_t kNativePrefix[] = {'\\', '?', '?', '\\'};
    if (end - name >= 4 && memcmp(name, kNativePrefix, sizeof kNativePrefix) == 0) {
        name += 4;
    }
    return name;
}

bool NamesTarget(const uint16_t* name, const uint16_t* end, const uint16_t* target,
                 size_t targetUnits, FoldUnit fold)
{
    name = SkipNameMarks(name, end);
    if ((size_t)(end - name) != targetUnits) {
        return false;
    }
    for (size_t i = 0; i < targetUnits; ++i) {
        if (fold(name[i]) != fold(target[i])) {
            return false;
        }
    }
    return true;
}

// The end of the NUL-terminated string at text, or null when none ends
// before limit.
const uint16_t* StringEnd(const uint16_t* text, const uint16_t* limit)
{
    while (text < limit && *text != 0) {
        ++text;
    }
    return text < limit ? text : NULL;
}

}  // namespace

uint16_t FoldAsciiCase(uint16_t unit)
{
    return unit >= 'a' && unit <= 'z' ? (uint16_t)(unit - 'a' + 'A') : unit;
}

int DropPendingDeletions(uint16_t* list, size_t* bytes, const uint16_t* target,
                         size_t targetUnits, FoldUnit fold, size_t* pairsLeft)
{
    if (*bytes % sizeof *list != 0) {
        return -1;  // not UTF-16 text
    }
    const uint16_t* end = list + *bytes / sizeof *list;
    // First pass: the pairs must all be whole, and only NULs may follow
    // them, or the list is not what the system would read.
    const uint16_t* pairs = list;
    while (pairs < end && *pairs != 0) {
        const uint16_t* source = StringEnd(pairs, end);
        const uint16_t* destination = source ? StringEnd(source + 1, end) : NULL;
        if (destination == NULL) {
            return -1;
        }
        pairs = destination + 1;
    }
    for (const uint16_t* rest = pairs; rest < end; ++rest) {
        if (*rest != 0) {
            return -1;
        }
    }
    // Second pass: move the kept pairs forward over the dropped ones.
    int dropped = 0;
    size_t kept = 0;
    uint16_t* write = list;
    const uint16_t* read = list;
    while (read < pairs) {
        const uint16_t* source = StringEnd(read, pairs);
        const uint16_t* destination = StringEnd(source + 1, pairs);
        const uint16_t* next = destination + 1;
        if (destination == source + 1 && NamesTarget(read, source, target, targetUnits, fold)) {
            ++dropped;
        } else {
            memmove(write, read, (size_t)(next - read) * sizeof *read);
            write += next - read;
            ++kept;
        }
        read = next;
    }
    memmove(write, pairs, (size_t)(end - pairs) * sizeof *pairs);
    *bytes = ((size_t)(write - list) + (size_t)(end - pairs)) * sizeof *list;
    *pairsLeft = kept;
    return dropped;
}

bool MentionsTarget(const uint16_t* list, size_t bytes, const uint16_t* target,
                    size_t targetUnits, FoldUnit fold)
{
    const uint16_t* end = list + bytes / sizeof *list;
    for (const uint16_t* name = list; name < end; ++name) {
        const uint16_t* stop = StringEnd(name, end);
        if (stop == NULL) {
            stop = end;
        }
        if (NamesTarget(name, stop, target, targetUnits, fold)) {
            return true;
        }
        name = stop;
    }
    return false;
}
