// The tree code mirrors the decoder's step for step, so that after every
// symbol both sides hold the same tree.
#include "lzhuf_coder.h"

#include <string.h>

namespace {

void TreeInit(LzhufTree* t)
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

void TreeRebuild(LzhufTree* t)
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

void TreeUpdate(LzhufTree* t, unsigned symbol)
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
void PutBits(CoderRun* r, unsigned count, uint32_t value)
{
    r->bits += count;
    if (!r->out)
        return;
    r->pending = (r->pending << count) | value;
    r->pendingBits += count;
    while (r->pendingBits >= 8) {
        r->pendingBits -= 8;
        r->out->push_back((unsigned char)(r->pending >> r->pendingBits));
    }
}

// The symbol's path from the root, then the tree learns the symbol exactly
// as the decoder's does after reading it.
void PutSymbol(CoderRun* r, unsigned symbol)
{
    LzhufTree* t = &r->tree;
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
        PutBits(r, depth - 32, (uint32_t)(code >> 32));
        depth = 32;
    }
    PutBits(r, depth, (uint32_t)code);
    TreeUpdate(t, symbol);
}

struct OffsetCode {
    unsigned char prefix[64];      // the prefix, left-aligned in a byte
    unsigned char prefixBits[64];
};

// Each upper-six-bits value owns a run of first bytes in the decoding
// tables; the run's first index is its prefix followed by zero bits.
OffsetCode BuildOffsetCode()
{
    OffsetCode oc;
    for (int i = 255; i >= 0; i--) {
        OffsetPrefix prefix = ReadOffsetPrefix((unsigned)i);
        oc.prefix[prefix.upper] = (unsigned char)i;
        oc.prefixBits[prefix.upper] = (unsigned char)prefix.length;
    }
    return oc;
}

const OffsetCode kOffsetCode = BuildOffsetCode();

}  // namespace

void StartRun(CoderRun* run, std::vector<unsigned char>* out)
{
    memset(run, 0, sizeof *run);
    TreeInit(&run->tree);
    run->out = out;
}

void PutLiteral(CoderRun* run, unsigned char c)
{
    PutSymbol(run, c);
    run->literals++;
}

void PutMatch(CoderRun* run, unsigned length, unsigned offset)
{
    PutSymbol(run, length + kLengthBias);
    unsigned upper = offset >> kOffsetLowBits;
    unsigned bits = kOffsetCode.prefixBits[upper];
    PutBits(run, bits, kOffsetCode.prefix[upper] >> (8 - bits));
    PutBits(run, kOffsetLowBits, offset & ((1u << kOffsetLowBits) - 1));
    run->matches++;
}

void FinishRun(CoderRun* run)
{
    if (run->out && run->pendingBits != 0)
        run->out->push_back((unsigned char)(run->pending << (8 - run->pendingBits)));
    run->pendingBits = 0;
}

unsigned OffsetBits(unsigned offset)
{
    return kOffsetCode.prefixBits[offset >> kOffsetLowBits] + kOffsetLowBits;
}

void SymbolBits(const LzhufTree* tree, unsigned char bits[kSymbolCount])
{
    for (unsigned s = 0; s < kSymbolCount; s++) {
        unsigned depth = 0;
        for (unsigned node = tree->parent[s + kTreeNodes]; node != kRootNode;
             node = tree->parent[node])
            depth++;
        bits[s] = (unsigned char)depth;
    }
}
