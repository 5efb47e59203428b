// Match finding for the packer: for each input position the matches worth
// pricing, found within the ring the decoder really has.
#ifndef VANTOR_MATCH_FINDER_H
#define VANTOR_MATCH_FINDER_H

#include <stddef.h>
#include <stdint.h>

enum {
    // One match per offset-code length (9 to 14 bits) is all a price can
    // tell apart: a longer match at a farther offset of the same code
    // length beats every shorter one.
    kMaxMatchChoices = 6,
};

// Matches at one position, lengths and offsets both rising; the last is
// the longest, at the nearest offset found for that length. Lengths are
// kMatchThreshold + 1 or more; offsets are distance - 1.
struct MatchChoices {
    uint8_t count;
    uint8_t length[kMaxMatchChoices];
    uint16_t offset[kMaxMatchChoices];
};

// Fills choices[0 .. to - from) for the input positions [from, to) of
// in[0 .. n), counted from the first input byte; before it the decoder's
// ring holds spaces. With allChoices false only the longest match is kept.
// Spreads the work over the cores; the result depends on nothing but the
// arguments.
void FindMatchChoices(const unsigned char* in, size_t n, size_t from, size_t to,
                      bool allChoices, MatchChoices* choices);

#endif
