// LZHUF payload decoder. The tree keeps its nodes sorted by frequency so
// that an update only swaps a node with the last one of equal frequency; the
// ring starts space-filled so that a stream may open with a match.
#include "lzhuf_decoder.h"

#include <string.h>

DecoderState g_decoder;

// Each prefix length from 3 to 8 bits codes this many upper-bits values, in
// order; a value whose prefix is n bits long owns 2^(8 - n) first bytes.
const unsigned char kValuesOfLength[] = {1, 3, 8, 12, 24, 16};

enum {
    kRingMask = kRingSize - 1,
    kFirstMatchSymbol = 256,
    // symbol - kLengthBias is the match length (256 -> 3)
    kLengthBias = kFirstMatchSymbol - kMatchThreshold - 1,
};

// -1 once the packed bytes are used up.
static int NextInputByte(DecoderState& d)
{
    if (d.inputLeft == 0)
        return -1;
    d.inputLeft--;
    return *d.input++;
}

// Tops the bit buffer up to at least 9 valid bits; past the end of the input
// the missing bytes count as zeros.
static inline void RefillBits(DecoderState& d)
{
    while (d.bitCount <= 8) {
        int b = NextInputByte(d);
        if (b < 0)
            b = 0;
        d.bitBuffer = (uint16_t)(d.bitBuffer | (b << (8 - d.bitCount)));
        d.bitCount = (uint16_t)(d.bitCount + 8);
    }
}

static inline unsigned ReadBit(DecoderState& d)
{
    RefillBits(d);
    unsigned bit = d.bitBuffer >> 15;
    d.bitBuffer = (uint16_t)(d.bitBuffer << 1);
    d.bitCount--;
    return bit;
}

static inline unsigned ReadByte(DecoderState& d)
{
    RefillBits(d);
    unsigned byte = d.bitBuffer >> 8;
    d.bitBuffer = (uint16_t)(d.bitBuffer << 8);
    d.bitCount = (uint16_t)(d.bitCount - 8);
    return byte;
}

static void InitTree(DecoderState& d)
{
    for (int s = 0; s < kSymbolCount; s++) {
        d.freq[s] = 1;
        d.child[s] = (uint16_t)(s + kTreeNodes);
        d.parent[s + kTreeNodes] = (uint16_t)s;
    }
    for (int i = 0, j = kSymbolCount; j <= kRootNode; i += 2, j++) {
        d.freq[j] = (uint16_t)(d.freq[i] + d.freq[i + 1]);
        d.child[j] = (uint16_t)i;
        d.parent[i] = d.parent[i + 1] = (uint16_t)j;
    }
    d.freq[kTreeNodes] = 0xFFFF;
    d.parent[kRootNode] = 0;
}

// Halves every leaf frequency and builds the tree again from the leaves, so
// that old statistics fade and no frequency can overflow.
static void RebuildTree(DecoderState& d)
{
    d.treeRebuilds++;

    int leaf = 0;
    for (int n = 0; n < kTreeNodes; n++) {
        if (d.child[n] >= kTreeNodes) {
            d.freq[leaf] = (uint16_t)((d.freq[n] + 1) / 2);
            d.child[leaf] = d.child[n];
            leaf++;
        }
    }

    // Each new node goes after all nodes of equal frequency, which keeps the
    // table sorted; the pairs it joins always lie below the insertion place.
    for (int i = 0, j = kSymbolCount; j < kTreeNodes; i += 2, j++) {
        unsigned f = (unsigned)d.freq[i] + d.freq[i + 1];
        int k = j - 1;
        while (f < d.freq[k])
            k--;
        k++;
        size_t moved = (size_t)(j - k) * sizeof(uint16_t);
        memmove(&d.freq[k + 1], &d.freq[k], moved);
        memmove(&d.child[k + 1], &d.child[k], moved);
        d.freq[k] = (uint16_t)f;
        d.child[k] = (uint16_t)i;
    }

    for (int n = 0; n < kTreeNodes; n++) {
        unsigned k = d.child[n];
        d.parent[k] = (uint16_t)n;
        if (k < kTreeNodes)
            d.parent[k + 1] = (uint16_t)n;
    }
}

static void UpdateTree(DecoderState& d, unsigned symbol)
{
    if (d.freq[kRootNode] == kRebuildLimit)
        RebuildTree(d);

    unsigned c = d.parent[symbol + kTreeNodes];
    do {
        unsigned k = ++d.freq[c];
        // The table was sorted before the increment, so the nodes that k now
        // exceeds all hold k - 1; the last of them changes place with c. The
        // sentinel above the root ends the scan.
        if (k > d.freq[c + 1]) {
            unsigned l = c + 1;
            while (k > d.freq[l + 1])
                l++;
            d.freq[c] = d.freq[l];
            d.freq[l] = (uint16_t)k;

            unsigned i = d.child[c];
            d.parent[i] = (uint16_t)l;
            if (i < kTreeNodes)
                d.parent[i + 1] = (uint16_t)l;

            unsigned j = d.child[l];
            d.child[l] = (uint16_t)i;
            d.parent[j] = (uint16_t)c;
            if (j < kTreeNodes)
                d.parent[j + 1] = (uint16_t)c;
            d.child[c] = (uint16_t)j;

            c = l;
        }
        c = d.parent[c];
    } while (c != 0);
}

static unsigned DecodeSymbol(DecoderState& d)
{
    unsigned c = d.child[kRootNode];
    while (c < kTreeNodes)
        c = d.child[c + ReadBit(d)];
    c -= kTreeNodes;
    UpdateTree(d, c);
    return c;
}

OffsetPrefix ReadOffsetPrefix(unsigned firstByte)
{
    unsigned upper = 0;
    unsigned first = 0;  // the first byte of the current length's run
    unsigned length = 3;
    for (; length < 8; length++) {
        unsigned shift = 8 - length;
        unsigned end = first + (kValuesOfLength[length - 3] << shift);
        if (firstByte < end)
            break;
        upper += kValuesOfLength[length - 3];
        first = end;
    }
    return {upper + ((firstByte - first) >> (8 - length)), length};
}

static unsigned DecodeOffset(DecoderState& d)
{
    unsigned i = ReadByte(d);
    OffsetPrefix prefix = ReadOffsetPrefix(i);
    unsigned extra = prefix.length - 2u;
    while (extra-- != 0)
        i = (i << 1) + ReadBit(d);
    return (prefix.upper << 6) | (i & 0x3F);
}

static void DecodeStream(DecoderState& d, HWND__* page)
{
    // Positions kRingStart and up keep what the last payload left there:
    // an encoder never refers to them before it has written them.
    memset(d.ring, ' ', kRingStart);
    unsigned r = kRingStart;

    // The sink lowers outputLeft. Testing it after every byte of a match as
    // well keeps a stream that overshoots from writing past the file.
    while (d.outputLeft != 0) {
        unsigned c = DecodeSymbol(d);
        if (c < kFirstMatchSymbol) {
            PutOutputByte(page, (unsigned char)c);
            d.ring[r] = (unsigned char)c;
            r = (r + 1) & kRingMask;
            continue;
        }
        unsigned length = c - kLengthBias;
        unsigned from = r - DecodeOffset(d) - 1;
        do {
            unsigned char b = d.ring[from & kRingMask];
            PutOutputByte(page, b);
            d.ring[r] = b;
            r = (r + 1) & kRingMask;
            from++;
        } while (--length != 0 && d.outputLeft != 0);
    }
    d.writePos = (uint16_t)r;
}

// Every part of the decoder works on the state it is handed, so that all
// of it is reached from one register: GCC would otherwise put the
// global's fixed address into each access, one relocation apiece in the
// setup. Hence also no specialising this function for its one caller.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((noipa))
#endif
static void DecodeWith(DecoderState& d, HWND__* page)
{
    EmptyOutputBuffer();
    d.bitBuffer = 0;
    d.bitCount = 0;
    InitTree(d);
    DecodeStream(d, page);
    FlushOutput(page);
}

void DecodePayload(HWND__* page)
{
    DecodeWith(g_decoder, page);
}
