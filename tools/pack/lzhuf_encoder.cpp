// The input goes through in segments: matches are found for one segment
// at a time (bounding the memory whatever the input's size), then every
// stream being made takes its steps through that segment.
#include "lzhuf_encoder.h"

#include <string.h>

#include <thread>

#include "lzhuf_coder.h"
#include "match_finder.h"
#include "optimal_parse.h"

namespace {

enum {
    kSegment = 1 << 18,
    // Below this a second thread costs about what it saves.
    kParallelParseFrom = 1 << 14,
};

// Greedy or lazy steps from *pos until *pos reaches until.
void SimpleParse(CoderRun* run, const unsigned char* in, size_t n, const MatchChoices* choices,
                 size_t tableFrom, size_t* pos, size_t until, bool lazy)
{
    size_t t = *pos;
    while (t < until) {
        const MatchChoices& here = choices[t - tableFrom];
        unsigned len = here.count ? here.length[here.count - 1] : 0;
        bool literal = len == 0;
        if (lazy && !literal && t + 1 < n) {
            const MatchChoices& next = choices[t + 1 - tableFrom];
            literal = next.count && next.length[next.count - 1] > len;
        }
        if (literal) {
            PutLiteral(run, in[t]);
            t++;
        } else {
            PutMatch(run, len, here.offset[here.count - 1]);
            t += len;
        }
    }
    *pos = t;
}

struct Candidate {
    LzhufParse parse;
    CoderRun run;
    size_t pos;
};

void Advance(Candidate* c, const unsigned char* in, size_t n, const MatchChoices* choices,
             size_t tableFrom, size_t tableEnd, size_t until)
{
    if (c->parse == kParsePriced)
        PriceParse(&c->run, in, choices, tableFrom, tableEnd, &c->pos, until);
    else
        SimpleParse(&c->run, in, n, choices, tableFrom, &c->pos, until, c->parse == kParseLazy);
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

    // The best level also makes the lazy stream: prices are estimates of
    // an adaptive code, and the priced parse must never lose to lazy.
    std::vector<unsigned char> lazyOut;
    Candidate first, second;
    first.parse = parse == kParseBest ? kParsePriced : parse;
    second.parse = kParseLazy;
    bool two = parse == kParseBest;
    StartRun(&first.run, out);
    StartRun(&second.run, &lazyOut);
    first.pos = second.pos = 0;
    // Room for about nine bits a byte, what incompressible input takes, so
    // that a large stream is never copied into a doubled buffer; pages of
    // the room that stay unwritten cost no memory.
    out->reserve(n + n / 8 + 64);
    if (two)
        lazyOut.reserve(n + n / 8 + 64);
    bool parallel = two && n >= (size_t)kParallelParseFrom && std::thread::hardware_concurrency() > 1;

    size_t tableSize = n < (size_t)(kSegment + kLongestMatch) ? n : kSegment + kLongestMatch;
    std::vector<MatchChoices> choices(tableSize);
    for (size_t from = 0; from < n; from += kSegment) {
        size_t until = n - from > (size_t)kSegment ? from + kSegment : n;
        size_t tableEnd = n - until > (size_t)kLongestMatch ? until + kLongestMatch : n;
        FindMatchChoices(in, n, from, tableEnd, first.parse == kParsePriced, choices.data());
        auto runSecond = [&]() {
            Advance(&second, in, n, choices.data(), from, tableEnd, until);
        };
        if (parallel) {
            std::thread helper(runSecond);
            Advance(&first, in, n, choices.data(), from, tableEnd, until);
            helper.join();
        } else {
            Advance(&first, in, n, choices.data(), from, tableEnd, until);
            if (two)
                runSecond();
        }
    }
    FinishRun(&first.run);
    FinishRun(&second.run);

    // On a tie the lazy stream stays: it is the one earlier packers made.
    Candidate* kept = &first;
    if (two && lazyOut.size() <= out->size()) {
        out->swap(lazyOut);
        kept = &second;
    }
    stats->literals = kept->run.literals;
    stats->matches = kept->run.matches;
    stats->treeRebuilds = kept->run.tree.rebuilds;
    stats->chosen = kept->parse;
    return true;
}
