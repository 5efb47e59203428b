// The encoder's half of the stream format, shared by every parse: the
// adaptive tree kept exactly as the decoder keeps it, the offset code
// inverted from the decoder's tables, and bits written most significant
// first.
#ifndef VANTOR_LZHUF_CODER_H
#define VANTOR_LZHUF_CODER_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "lzhuf_decoder.h"

enum {
    kFirstMatchSymbol = 256,
    kLengthBias = kFirstMatchSymbol - kMatchThreshold - 1,  // symbol - bias = length
    kShortestMatch = kMatchThreshold + 1,
    kOffsetLowBits = 6,  // sent as they are after the prefix
};

struct LzhufTree {
    uint16_t freq[kTreeNodes + 1];
    uint16_t child[kTreeNodes];
    uint16_t parent[kTreeNodes + kSymbolCount];
    uint32_t rebuilds;
};

// One stream being written: its tree, its bits and what it holds so far.
// With no output vector the bits are only counted, for trial runs.
struct CoderRun {
    LzhufTree tree;
    std::vector<unsigned char>* out;
    uint64_t pending;
    unsigned pendingBits;  // below 8 between calls
    uint64_t bits;         // written so far
    size_t literals;
    size_t matches;
};

void StartRun(CoderRun* run, std::vector<unsigned char>* out);
void PutLiteral(CoderRun* run, unsigned char c);
void PutMatch(CoderRun* run, unsigned length, unsigned offset);  // offset = distance - 1
void FinishRun(CoderRun* run);

// Bits of a match offset's code (9 to 14); never falls as the offset grows.
unsigned OffsetBits(unsigned offset);

// What each symbol costs right now: its depth in the tree, in bits.
void SymbolBits(const LzhufTree* tree, unsigned char bits[kSymbolCount]);

#endif
