// LZHUF encoder for the payload packer: writes the headerless stream that
// the setup program's decoder reads (same adaptive tree, offset code, ring).
#ifndef VANTOR_LZHUF_ENCODER_H
#define VANTOR_LZHUF_ENCODER_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

enum LzhufParse {
    kParseGreedy,  // always the longest match at the current position
    kParseLazy,    // a literal first when the next position has a longer match
    kParsePriced,  // the cheapest path by the adaptive code's prices
    kParseBest,    // priced and lazy both; keeps the smaller stream
};

// The packer's levels, as the publisher picks them.
enum {
    kLevelFast = 1,  // lazy
    kLevelBest = 9,  // best, the default
};

struct LzhufEncodeStats {
    size_t literals;
    size_t matches;
    uint32_t treeRebuilds;
    LzhufParse chosen;   // which parse the written stream used
};

// Packs n bytes into *out (replaced). False only when n does not fit the
// 32-bit unpacked size of a payload entry.
bool EncodeLzhuf(const unsigned char* in, size_t n, std::vector<unsigned char>* out,
                 LzhufParse parse = kParseBest, LzhufEncodeStats* stats = nullptr);

#endif
