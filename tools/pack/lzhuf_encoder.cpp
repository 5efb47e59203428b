// The encoder mirrors the decoder's model step for step: the same adaptive
// tree updated after every symbol, the offset prefix code inverted from the
// decoder's own tables, and a linear view of the ring (kRingStart spaces,
// then the input) in which a match may reach back at most kRingSize bytes
// and never before the spaces.
#include "lzhuf_encoder.h"

#include <string.h>

#include <atomic>
#include <thread>

#include "lzhuf_decoder.h"

namespace {

enum {
    kFirstMatchSymbol = 256,
    kLengthBias = kFirstMatchSymbol - kMatchThreshold - 1,  // symbol - bias = length
    kShortestMatch = kMatchThreshold + 1,
    // Match-finder slots: twice the window, so a position's slot is never
    // reused while it can still be matched.
    kSlotCount = 2 * kRingSize,
    kSlotMask = kSlotCount - 1,
    kNoPosition = -1,
    // Trees are keyed by a hash of the first three bytes, the shortest
    // match; a few thousand live positions spread thinly over this many.
    kHashBits = 14,
    // Text handed to one match-finder thread at a time; each piece repeats
    // kRingSize positions of insertion before it, a few per cent extra.
    kFinderPiece = 1 << 16,
    // Below this a second thread costs about what it saves.
    kParallelParseFrom = 1 << 14,
};

struct Tree {
    uint16_t freq[kTreeNodes + 1];
    uint16_t child[kTreeNodes];
    uint16_t parent[kTreeNodes + kSymbolCount];
    uint32_t rebuilds;
};

void TreeInit(Tree* t)
{
    for (int s = 0; s < kSymbolCount; s++) {
        t->freq[s] = 1;
        t->child[s] = (uint16_t)(s + kTreeNodes);
        t->parent[s + kTreeNodes] = (uint16_t)s;
    }
    for (int i = 0, j = kSymbolCount; j <= kRootNode; i += 2, j++) {
        t->freq[j] = (uint16_t)(t->freq[i] + t->freq[i + 1]);
        t->child[j] = (uint16_t)i;
        t->parent[i] = t->parent[i + 1] = (uint16_t)j;
    }
    t->freq[kTreeNodes] = 0xFFFF;
    t->parent[kRootNode] = 0;
    t->rebuilds = 0;
}

void TreeRebuild(Tree* t)
{
    t->rebuilds++;
    int leaf = 0;
    for (int n = 0; n < kTreeNodes; n++) {
        if (t->child[n] >= kTreeNodes) {
            t->freq[leaf] = (uint16_t)((t->freq[n] + 1) / 2);
            t->child[leaf] = t->child[n];
            leaf++;
        }
    }
    for (int i = 0, j = kSymbolCount; j < kTreeNodes; i += 2, j++) {
        unsigned f = (unsigned)t->freq[i] + t->freq[i + 1];
        int k = j;
        while (k > 0 && t->freq[k - 1] > f) {
            t->freq[k] = t->freq[k - 1];
            t->child[k] = t->child[k - 1];
            k--;
        }
        t->freq[k] = (uint16_t)f;
        t->child[k] = (uint16_t)i;
    }
    for (int n = 0; n < kTreeNodes; n++) {
        unsigned k = t->child[n];
        t->parent[k] = (uint16_t)n;
        if (k < kTreeNodes)
            t->parent[k + 1] = (uint16_t)n;
    }
}

void TreeUpdate(Tree* t, unsigned symbol)
{
    if (t->freq[kRootNode] == kRebuildLimit)
        TreeRebuild(t);
    unsigned c = t->parent[symbol + kTreeNodes];
    do {
        unsigned k = ++t->freq[c];
        if (k > t->freq[c + 1]) {
            unsigned l = c + 1;
            while (k > t->freq[l + 1])
                l++;
            t->freq[c] = t->freq[l];
            t->freq[l] = (uint16_t)k;
            unsigned i = t->child[c];
            unsigned j = t->child[l];
            t->child[c] = (uint16_t)j;
            t->child[l] = (uint16_t)i;
            t->parent[i] = (uint16_t)l;
            if (i < kTreeNodes)
                t->parent[i + 1] = (uint16_t)l;
            t->parent[j] = (uint16_t)c;
            if (j < kTreeNodes)
                t->parent[j + 1] = (uint16_t)c;
            c = l;
        }
        c = t->parent[c];
    } while (c != 0);
}

// Bits go out most significant first, as the decoder reads them.
struct BitWriter {
    std::vector<unsigned char>* out;
    uint64_t pending;
    unsigned pendingBits;  // always below 8 between calls
};

inline void PutBits(BitWriter* w, unsigned count, uint32_t value)
{
    w->pending = (w->pending << count) | value;
    w->pendingBits += count;
    while (w->pendingBits >= 8) {
        w->pendingBits -= 8;
        w->out->push_back((unsigned char)(w->pending >> w->pendingBits));
    }
}

inline void FlushBits(BitWriter* w)
{
    if (w->pendingBits != 0)
        w->out->push_back((unsigned char)(w->pending << (8 - w->pendingBits)));
    w->pendingBits = 0;
}

// The symbol's path from the root, then the tree learns the symbol exactly
// as the decoder's does after reading it.
inline void PutSymbol(BitWriter* w, Tree* t, unsigned symbol)
{
    uint64_t code = 0;
    unsigned depth = 0;
    unsigned node = t->parent[symbol + kTreeNodes];
    while (node != kRootNode) {
        unsigned up = t->parent[node];
        code |= (uint64_t)(node - t->child[up]) << depth;
        depth++;
        node = up;
    }
    // With the root's frequency held to kRebuildLimit the tree is at most
    // about 23 levels deep (Fibonacci bound); longer paths would still fit.
    if (depth > 32) {
        PutBits(w, depth - 32, (uint32_t)(code >> 32));
        depth = 32;
    }
    PutBits(w, depth, (uint32_t)code);
    TreeUpdate(t, symbol);
}

struct OffsetCode {
    unsigned char prefix[64];     // the prefix, left-aligned in a byte
    unsigned char prefixBits[64];
};

// Each upper-six-bits value owns a run of first bytes in the decoding
// tables; the run's first index is its prefix followed by zero bits.
void BuildOffsetCode(OffsetCode* oc)
{
    for (int i = 255; i >= 0; i--) {
        oc->prefix[kOffsetUpperBits[i]] = (unsigned char)i;
        oc->prefixBits[kOffsetUpperBits[i]] = kOffsetCodeLength[i];
    }
}

inline void PutOffset(BitWriter* w, const OffsetCode& oc, unsigned offset)
{
    unsigned upper = offset >> 6;
    unsigned bits = oc.prefixBits[upper];
    PutBits(w, bits, oc.prefix[upper] >> (8 - bits));
    PutBits(w, 6, offset & 0x3F);
}

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

// Longest match at the positions [from, to) of the linear text, by binary
// trees keyed on a hash of the first three bytes, newest position at the
// root and older ones below, so the walk stops at the first node that has
// left the window. The trees start empty and take in the kRingSize
// positions before 'from' first, which makes the lengths exact and the
// result independent of how the text is cut up among threads. Ties go to
// the nearest position, whose offset code is never longer. lengths[t] is 0
// when no match of kShortestMatch or more exists; offsets[t] is distance - 1,
// with t counted from 'start', the first input byte after the spaces.
void FindMatches(const unsigned char* text, size_t total, size_t start, size_t from,
                 size_t to, unsigned char* lengths, uint16_t* offsets)
{
    std::vector<int32_t> head(1u << kHashBits, kNoPosition);
    std::vector<int32_t> below(2 * kSlotCount, kNoPosition);

    // Before start - kLongestMatch every string is kLongestMatch spaces,
    // the same as at that position but farther away: no need to insert them.
    size_t first = from > (size_t)kRingSize ? from - kRingSize : 0;
    if (first + kLongestMatch < start)
        first = start - kLongestMatch;
    for (size_t p = first; p < to; p++) {
        size_t remaining = total - p;
        unsigned limit = remaining < (size_t)kLongestMatch ? (unsigned)remaining : (unsigned)kLongestMatch;
        unsigned best = 0;
        size_t bestDistance = 0;
        if (limit >= (unsigned)kShortestMatch) {
            const unsigned char* key = text + p;
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
                const unsigned char* cand = text + cur;
                int32_t* pair = &below[2 * ((size_t)cur & kSlotMask)];
                unsigned len = CommonPrefix(cand, key, lessLen < moreLen ? lessLen : moreLen, limit);
                if (len > best) {
                    best = len;
                    bestDistance = p - (size_t)cur;
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
        if (p >= from && p >= start) {
            size_t t = p - start;
            lengths[t] = (unsigned char)(best >= (unsigned)kShortestMatch ? best : 0);
            offsets[t] = (uint16_t)(bestDistance - 1);
        }
    }
}

// Cuts the text into fixed pieces (so the result never depends on the
// number of threads) and lets every available core take pieces in turn.
void FindAllMatches(const unsigned char* text, size_t total, size_t start,
                    unsigned char* lengths, uint16_t* offsets)
{
    size_t pieces = (total + kFinderPiece - 1) / kFinderPiece;
    std::atomic<size_t> nextPiece(0);
    auto work = [&]() {
        for (size_t k; (k = nextPiece.fetch_add(1)) < pieces;) {
            size_t from = k * kFinderPiece;
            size_t to = total - from > (size_t)kFinderPiece ? from + kFinderPiece : total;
            FindMatches(text, total, start, from, to, lengths, offsets);
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

void EncodeParse(const unsigned char* in, size_t n, const unsigned char* lengths,
                 const uint16_t* offsets, bool lazy, std::vector<unsigned char>* out,
                 LzhufEncodeStats* stats)
{
    Tree tree;
    OffsetCode oc;
    BuildOffsetCode(&oc);
    TreeInit(&tree);
    out->clear();
    out->reserve(n / 2 + 64);
    BitWriter w = {out, 0, 0};
    size_t literals = 0, matches = 0;

    size_t t = 0;
    while (t < n) {
        unsigned len = lengths[t];
        bool literal = len == 0 || (lazy && t + 1 < n && lengths[t + 1] > len);
        if (literal) {
            PutSymbol(&w, &tree, in[t]);
            literals++;
            t++;
            continue;
        }
        PutSymbol(&w, &tree, len + kLengthBias);
        PutOffset(&w, oc, offsets[t]);
        matches++;
        t += len;
    }
    FlushBits(&w);

    stats->literals = literals;
    stats->matches = matches;
    stats->treeRebuilds = tree.rebuilds;
    stats->chosen = lazy ? kParseLazy : kParseGreedy;
}

}  // namespace

bool EncodeLzhuf(const unsigned char* in, size_t n, std::vector<unsigned char>* out,
                 LzhufParse parse, LzhufEncodeStats* stats)
{
    LzhufEncodeStats local;
    if (!stats)
        stats = &local;
    memset(stats, 0, sizeof *stats);
    stats->chosen = parse;
    out->clear();
    if (n > UINT32_MAX)
        return false;
    if (n == 0)
        return true;

    std::vector<unsigned char> text(kRingStart + n);
    memset(text.data(), ' ', kRingStart);
    memcpy(text.data() + kRingStart, in, n);
    std::vector<unsigned char> lengths(n);
    std::vector<uint16_t> offsets(n);
    FindAllMatches(text.data(), text.size(), kRingStart, lengths.data(), offsets.data());

    if (parse != kParseSmallest) {
        EncodeParse(in, n, lengths.data(), offsets.data(), parse == kParseLazy, out, stats);
        return true;
    }
    // Deferring a match usually pays but not always, as the adaptive codes
    // shift; trying both keeps the result never above the greedy one. The
    // two runs share nothing but the match table, so they may run at once.
    std::vector<unsigned char> lazyOut;
    LzhufEncodeStats lazyStats;
    auto lazyRun = [&]() {
        EncodeParse(in, n, lengths.data(), offsets.data(), true, &lazyOut, &lazyStats);
    };
    if (n >= (size_t)kParallelParseFrom && std::thread::hardware_concurrency() > 1) {
        std::thread lazyThread(lazyRun);
        EncodeParse(in, n, lengths.data(), offsets.data(), false, out, stats);
        lazyThread.join();
    } else {
        EncodeParse(in, n, lengths.data(), offsets.data(), false, out, stats);
        lazyRun();
    }
    if (lazyOut.size() < out->size()) {
        out->swap(lazyOut);
        *stats = lazyStats;
    }
    return true;
}
