// The parse works in blocks. A block is priced from the tree: each symbol
// costs the mean of its code length now and the length its frequency is
// heading for, since the code keeps adapting while the block is written.
// The cheapest path is found over a little more than the block and written
// up to the first step that ends at or past the block's end, so no match
// is cut short by the block.
//
// A first, trial pass writes nothing; the real pass then prices each block
// from the trial's tree at that block's end, which has already learned the
// block's own symbols. That matters most at the start, where the fresh tree
// prices every symbol alike.
#include "optimal_parse.h"

#include <stdint.h>

#include <vector>

namespace {

enum {
    kBlock = 4096,
    kWindow = kBlock + kLongestMatch,
    kFractionBits = 4,  // prices are in sixteenths of a bit
};

typedef std::vector<uint16_t> PriceList;  // kSymbolCount prices a block

struct Step {
    uint32_t price;   // from the block's start to here
    uint8_t length;   // of the step that ends here: 1 for a literal
    uint16_t offset;
};

// log2(x) in sixteenths, rounded down, by squaring in fixed point: the
// same on every machine, so every build of the setup program is the same.
unsigned Log2Sixteenths(uint32_t x)
{
    unsigned whole = 31 - (unsigned)__builtin_clz(x);
    uint64_t y = ((uint64_t)x << 30) >> whole;  // in [1, 2), 30 fraction bits
    unsigned fraction = 0;
    for (int b = 0; b < kFractionBits; b++) {
        y = (y * y) >> 30;
        fraction <<= 1;
        if (y >= (2ull << 30)) {
            y >>= 1;
            fraction |= 1;
        }
    }
    return (whole << kFractionBits) + fraction;
}

void TreePrices(const LzhufTree* tree, uint16_t* prices)
{
    unsigned char depth[kSymbolCount];
    SymbolBits(tree, depth);
    unsigned root = Log2Sixteenths(tree->freq[kRootNode]);
    for (unsigned s = 0; s < kSymbolCount; s++) {
        unsigned heading = root - Log2Sixteenths(tree->freq[tree->parent[s + kTreeNodes]]);
        prices[s] = (uint16_t)(((depth[s] << kFractionBits) + heading + 1) / 2);
    }
}

// Cheapest steps over the positions [t, t + window).
void FindCheapestPath(const unsigned char* in, const MatchChoices* choices, size_t t,
                      size_t window, const uint16_t* prices, Step* steps)
{
    steps[0].price = 0;
    for (size_t i = 1; i <= window; i++)
        steps[i].price = UINT32_MAX;
    for (size_t i = 0; i < window; i++) {
        uint32_t here = steps[i].price;
        uint32_t v = here + prices[in[t + i]];
        if (v < steps[i + 1].price)
            steps[i + 1] = Step{v, 1, 0};
        const MatchChoices& m = choices[i];
        unsigned length = kShortestMatch;
        // Each choice serves the lengths above the previous one; shorter
        // ones go at the previous, nearer offset.
        for (unsigned k = 0; k < m.count; k++) {
            unsigned top = m.length[k];
            if (top > window - i)
                top = (unsigned)(window - i);
            uint32_t base = here + (OffsetBits(m.offset[k]) << kFractionBits);
            for (; length <= top; length++) {
                v = base + prices[length + kLengthBias];
                if (v < steps[i + length].price)
                    steps[i + length] = Step{v, (uint8_t)length, m.offset[k]};
            }
        }
    }
}

// Writes the path's steps from t until target is reached; answers how far
// they went.
size_t WritePath(CoderRun* run, const unsigned char* in, size_t t, size_t window,
                 size_t target, const Step* steps, std::vector<uint32_t>* ends)
{
    ends->clear();
    for (size_t j = window; j > 0; j -= steps[j].length)
        ends->push_back((uint32_t)j);
    size_t done = 0;
    while (done < target) {
        size_t end = ends->back();
        ends->pop_back();
        const Step& s = steps[end];
        if (s.length == 1)
            PutLiteral(run, in[t + done]);
        else
            PutMatch(run, s.length, s.offset);
        done = end;
    }
    return done;
}

// One pass from *pos to until. Blocks are numbered from 'first'; a block
// with a guide entry is priced by it, others by the run's own tree. With
// 'record', each block's closing prices are kept for the next pass.
void Pass(CoderRun* run, const unsigned char* in, const MatchChoices* choices,
          size_t tableFrom, size_t tableEnd, size_t* pos, size_t until, size_t first,
          const PriceList& guide, PriceList* record)
{
    std::vector<Step> steps(kWindow + 1);
    std::vector<uint32_t> ends;
    uint16_t live[kSymbolCount];
    size_t t = *pos;
    while (t < until) {
        size_t window = (tableEnd - t < (size_t)kWindow ? tableEnd : t + kWindow) - t;
        size_t target = (until - t < (size_t)kBlock ? until : t + kBlock) - t;
        size_t block = (t - first) / kBlock;
        const uint16_t* prices = live;
        if ((block + 1) * kSymbolCount <= guide.size())
            prices = guide.data() + block * kSymbolCount;
        else
            TreePrices(&run->tree, live);
        FindCheapestPath(in, choices + (t - tableFrom), t, window, prices, steps.data());
        t += WritePath(run, in, t, window, target, steps.data(), &ends);
        if (record) {
            // A block number that the overshoot of matches skipped takes
            // the next block's prices rather than none.
            size_t had = record->size();
            record->resize((block + 1) * kSymbolCount);
            uint16_t* closing = record->data() + block * kSymbolCount;
            TreePrices(&run->tree, closing);
            for (size_t k = had; k < block * kSymbolCount; k++)
                (*record)[k] = closing[k % kSymbolCount];
        }
    }
    *pos = t;
}

}  // namespace

void PriceParse(CoderRun* run, const unsigned char* in, const MatchChoices* choices,
                size_t tableFrom, size_t tableEnd, size_t* pos, size_t until)
{
    // The trial's copy of the run counts bits but writes none.
    CoderRun trial = *run;
    trial.out = nullptr;
    size_t trialPos = *pos;
    PriceList none, guide;
    Pass(&trial, in, choices, tableFrom, tableEnd, &trialPos, until, *pos, none, &guide);
    Pass(run, in, choices, tableFrom, tableEnd, pos, until, *pos, guide, nullptr);
}
