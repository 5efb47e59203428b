// Binary trees keyed on a hash of the first three bytes, newest position at
// the root and older ones below, so a walk meets ever farther positions and
// stops at the first that has left the window. Each piece of the input is
// searched in a text of its own (the ring's spaces, then the input) that
// starts kRingSize bytes before the piece, so positions stay small whatever
// the input's size and pieces can go to different threads.
#include "match_finder.h"

#include <string.h>

#include <atomic>
#include <thread>
#include <vector>

#include "lzhuf_coder.h"

namespace {

enum {
    // Match-finder slots: twice the window, so a position's slot is never
    // reused while it can still be matched.
    kSlotCount = 2 * kRingSize,
    kSlotMask = kSlotCount - 1,
    kNoPosition = -1,
    // A few thousand live positions spread thinly over this many trees.
    kHashBits = 14,
    // Positions handed to one thread at a time; each piece first inserts
    // the kRingSize positions before it, a few per cent extra.
    kFinderPiece = 1 << 16,
};

// Length of the common prefix of a and b, known to be at least len and
// counted up to limit.
inline unsigned CommonPrefix(const unsigned char* a, const unsigned char* b, unsigned len,
                             unsigned limit)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    while (len + 8 <= limit) {
        uint64_t x, y;
        memcpy(&x, a + len, 8);
        memcpy(&y, b + len, 8);
        if (x != y)
            return len + (unsigned)(__builtin_ctzll(x ^ y) >> 3);
        len += 8;
    }
#endif
    while (len < limit && a[len] == b[len])
        len++;
    return len;
}

// Keeps the choices one per offset-code length: a new, longer match makes
// every kept one with an offset code as long or longer useless.
inline void AddChoice(MatchChoices* c, unsigned length, unsigned offset)
{
    unsigned bits = OffsetBits(offset);
    while (c->count > 0 && OffsetBits(c->offset[c->count - 1]) >= bits)
        c->count--;
    c->length[c->count] = (uint8_t)length;
    c->offset[c->count] = (uint16_t)offset;
    c->count++;
}

void FindPiece(const unsigned char* in, size_t n, size_t from, size_t to, bool allChoices,
               MatchChoices* choices)
{
    // Linear positions: kRingStart spaces, then the input. Before
    // kRingStart - kLongestMatch every string is kLongestMatch spaces, the
    // same as at that position but farther away: no need to insert them.
    size_t linFrom = kRingStart + from;
    size_t linFirst = linFrom > (size_t)kRingSize ? linFrom - kRingSize : 0;
    if (linFirst < (size_t)(kRingStart - kLongestMatch))
        linFirst = kRingStart - kLongestMatch;
    size_t linEnd = kRingStart + (n - to > (size_t)kLongestMatch ? to + kLongestMatch : n);
    std::vector<unsigned char> text(linEnd - linFirst);
    size_t spaces = linFirst < (size_t)kRingStart ? kRingStart - linFirst : 0;
    memset(text.data(), ' ', spaces);
    memcpy(text.data() + spaces, in + (linFirst + spaces - kRingStart), text.size() - spaces);

    std::vector<int32_t> head(1u << kHashBits, kNoPosition);
    std::vector<int32_t> below(2 * kSlotCount, kNoPosition);
    size_t total = text.size(), start = linFrom - linFirst, stop = kRingStart + to - linFirst;
    for (size_t p = 0; p < stop; p++) {
        size_t remaining = total - p;
        unsigned limit = remaining < (size_t)kLongestMatch ? (unsigned)remaining : (unsigned)kLongestMatch;
        MatchChoices c;
        c.count = 0;
        unsigned best = 0;
        size_t bestDistance = 0;
        if (limit >= (unsigned)kShortestMatch) {
            const unsigned char* key = text.data() + p;
            uint32_t first3 = key[0] | (uint32_t)key[1] << 8 | (uint32_t)key[2] << 16;
            unsigned hash = (first3 * 2654435761u) >> (32 - kHashBits);
            int32_t cur = head[hash];
            head[hash] = (int32_t)p;

            int32_t* lessHole = &below[2 * (p & kSlotMask)];
            int32_t* moreHole = lessHole + 1;
            // Every node still to visit lies between the last smaller and
            // the last larger node, so it shares the shorter of their
            // common prefixes with the key.
            unsigned lessLen = 0, moreLen = 0;
            for (;;) {
                if (cur == kNoPosition || p - (size_t)cur > (size_t)kRingSize) {
                    *lessHole = *moreHole = kNoPosition;
                    break;
                }
                const unsigned char* cand = text.data() + cur;
                int32_t* pair = &below[2 * ((size_t)cur & kSlotMask)];
                unsigned len = CommonPrefix(cand, key, lessLen < moreLen ? lessLen : moreLen, limit);
                if (len > best) {
                    best = len;
                    bestDistance = p - (size_t)cur;
                    if (allChoices && len >= (unsigned)kShortestMatch)
                        AddChoice(&c, len, (unsigned)bestDistance - 1);
                }
                if (len == limit) {
                    // The older twin drops out; the new node takes its place.
                    *lessHole = pair[0];
                    *moreHole = pair[1];
                    break;
                }
                if (cand[len] < key[len]) {
                    *lessHole = cur;
                    lessHole = &pair[1];
                    cur = pair[1];
                    lessLen = len;
                } else {
                    *moreHole = cur;
                    moreHole = &pair[0];
                    cur = pair[0];
                    moreLen = len;
                }
            }
        }
        if (p < start)
            continue;
        if (!allChoices && best >= (unsigned)kShortestMatch) {
            c.count = 1;
            c.length[0] = (uint8_t)best;
            c.offset[0] = (uint16_t)(bestDistance - 1);
        }
        choices[p - start] = c;
    }
}

}  // namespace

void FindMatchChoices(const unsigned char* in, size_t n, size_t from, size_t to,
                      bool allChoices, MatchChoices* choices)
{
    if (from >= to)
        return;
    size_t pieces = (to - from + kFinderPiece - 1) / kFinderPiece;
    std::atomic<size_t> nextPiece(0);
    auto work = [&]() {
        for (size_t k; (k = nextPiece.fetch_add(1)) < pieces;) {
            size_t a = from + k * kFinderPiece;
            size_t b = to - a > (size_t)kFinderPiece ? a + kFinderPiece : to;
            FindPiece(in, n, a, b, allChoices, choices + (a - from));
        }
    };
    size_t helpers = std::thread::hardware_concurrency();
    helpers = helpers > 1 ? helpers - 1 : 0;
    if (helpers > pieces - 1)
        helpers = pieces - 1;
    std::vector<std::thread> threads;
    for (size_t i = 0; i < helpers; i++)
        threads.emplace_back(work);
    work();
    for (std::thread& th : threads)
        th.join();
}
