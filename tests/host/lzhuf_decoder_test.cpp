// The payload decoder on hand-made streams: known answers, the offset
// prefixes, the bounds on input and output, and the fresh start per payload.
#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "lzhuf_decoder.h"
#include "lzhuf_encoder.h"
#include "memory_sink.h"

namespace {

typedef std::vector<unsigned char> Bytes;

std::string Decode(const Bytes& packed, uint32_t size, size_t packedSize = SIZE_MAX)
{
    Bytes out;
    EXPECT_TRUE(DecodeToMemory(packed.data(), packedSize == SIZE_MAX ? packed.size() : packedSize,
                               size, &out));
    return std::string(out.begin(), out.end());
}

// Each stream: three literals; one 10-byte match at offset 0 that starts in
// the space-filled ring and runs on over its own output; two literals and a
// 4-byte match at offset 1; one literal and a 3-byte match at offset 0.
TEST(LzhufDecoder, KnownStreams)
{
    EXPECT_EQ(Decode({0xF6, 0xFB, 0xBD, 0xE0}, 3), "abc");
    EXPECT_EQ(g_decoder.inputLeft, 0u) << "every packed byte is read";
    EXPECT_EQ(Decode({0x93, 0x00, 0x00}, 10), std::string(10, ' '));
    EXPECT_EQ(Decode({0xF6, 0xFB, 0xA3, 0x40, 0x20}, 6), "ababab");
    EXPECT_EQ(Decode({0x04, 0x8C, 0x00, 0x00}, 4), "xxxx");
    EXPECT_EQ(g_decoder.inputLeft, 0u);
}

TEST(LzhufDecoder, SinkIsEmptiedBeforeAndFlushedAfter)
{
    unsigned empties = g_memorySink.emptyCalls, flushes = g_memorySink.flushCalls;
    Decode({0xF6, 0xFB, 0xBD, 0xE0}, 3);
    EXPECT_EQ(g_memorySink.emptyCalls, empties + 1);
    EXPECT_EQ(g_memorySink.flushCalls, flushes + 1);
}

TEST(LzhufDecoder, OffsetPrefixesFollowTheTables)
{
    // First byte ranges, the first upper-bits value of each range, and how
    // many first bytes share one value.
    struct Range {
        int first, last, upper, run, length;
    } const ranges[] = {
        {0x00, 0x1F, 0, 32, 3},  {0x20, 0x4F, 1, 16, 4}, {0x50, 0x8F, 4, 8, 5},
        {0x90, 0xBF, 12, 4, 6},  {0xC0, 0xEF, 24, 2, 7}, {0xF0, 0xFF, 48, 1, 8},
    };
    for (const Range& r : ranges) {
        for (int i = r.first; i <= r.last; i++) {
            OffsetPrefix prefix = ReadOffsetPrefix((unsigned)i);
            EXPECT_EQ(prefix.upper, (unsigned)(r.upper + (i - r.first) / r.run)) << "first byte " << i;
            EXPECT_EQ(prefix.length, (unsigned)r.length) << "first byte " << i;
        }
    }
    // A complete prefix code: each of the 64 values owns an aligned run of
    // 2^(8 - length) first bytes, so every byte decodes and none is ambiguous.
    for (int i = 0; i < 256;) {
        OffsetPrefix prefix = ReadOffsetPrefix((unsigned)i);
        int run = 1 << (8 - prefix.length);
        ASSERT_EQ(i % run, 0) << "first byte " << i;
        for (int k = 1; k < run; k++)
            ASSERT_EQ(ReadOffsetPrefix((unsigned)(i + k)).upper, prefix.upper) << "first byte " << i + k;
        i += run;
        if (i < 256) {
            ASSERT_EQ(ReadOffsetPrefix((unsigned)i).upper, prefix.upper + 1);
        }
    }
}

TEST(LzhufDecoder, ZeroSizeReadsNothing)
{
    const unsigned char packed[] = {0xF6, 0xFB, 0xBD, 0xE0};
    Bytes out;
    EXPECT_TRUE(DecodeToMemory(packed, sizeof packed, 0, &out));
    EXPECT_EQ(g_memorySink.count, 0u);
    EXPECT_EQ(g_decoder.inputLeft, sizeof packed) << "no symbol may be read";
}

// A stream that runs past the unpacked size is cut there, in the middle of
// a match, and the sink never sees a byte too many.
TEST(LzhufDecoder, FinalMatchIsCutAtTheUnpackedSize)
{
    EXPECT_EQ(Decode({0x93, 0x00, 0x00}, 4), std::string(4, ' '));
    EXPECT_EQ(g_memorySink.overrun, 0u);
    EXPECT_EQ(Decode({0x04, 0x8C, 0x00, 0x00}, 2), "xx");
    EXPECT_EQ(Decode({0xF6, 0xFB, 0xA3, 0x40, 0x20}, 5), "ababa");
    EXPECT_EQ(g_memorySink.count, 5u);
}

// Past the packed size every bit is 0, whatever lies in memory after it.
TEST(LzhufDecoder, InputEndsAtThePackedSize)
{
    // The ten-space stream's last two bytes are zero, so one byte suffices.
    EXPECT_EQ(Decode({0x93, 0xFF, 0xFF}, 10, 1), std::string(10, ' '));
    EXPECT_EQ(g_decoder.inputLeft, 0u);
    // No input at all still ends after exactly the asked-for bytes.
    Bytes out;
    EXPECT_TRUE(DecodeToMemory(nullptr, 0, 5000, &out));
    EXPECT_EQ(g_memorySink.count, 5000u);
}

// Whatever the bytes, the output count is exact: the adaptive tree and the
// offset code accept any bit string.
TEST(LzhufDecoder, ArbitraryBytesGiveExactlyTheAskedSize)
{
    std::mt19937 rng(7);
    for (uint32_t size : {1u, 2u, 61u, 4097u, 70000u}) {
        Bytes junk(1 + rng() % 3000);
        for (unsigned char& b : junk)
            b = (unsigned char)rng();
        Bytes out;
        EXPECT_TRUE(DecodeToMemory(junk.data(), junk.size(), size, &out)) << size;
        EXPECT_EQ(g_memorySink.overrun, 0u);
    }
}

Bytes RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes data(n);
    for (unsigned char& b : data)
        b = (unsigned char)rng();
    return data;
}

// Incompressible input is one symbol per byte, so the root frequency passes
// the rebuild limit again and again; decoder and encoder must rebuild at
// the same points for the bytes to come out right.
TEST(LzhufDecoder, TreeRebuildsKeepDecodingExact)
{
    Bytes data = RandomBytes(200000, 11);
    Bytes packed, out;
    LzhufEncodeStats stats;
    ASSERT_TRUE(EncodeLzhuf(data.data(), data.size(), &packed, kParsePriced, &stats));
    uint32_t before = g_decoder.treeRebuilds;
    ASSERT_TRUE(DecodeToMemory(packed.data(), packed.size(), (uint32_t)data.size(), &out));
    uint32_t rebuilds = g_decoder.treeRebuilds - before;
    EXPECT_GE(rebuilds, 9u);
    EXPECT_EQ(rebuilds, stats.treeRebuilds);
    EXPECT_TRUE(out == data);
}

TEST(LzhufDecoder, EachPayloadStartsFresh)
{
    // Leaves a worn tree, a bit buffer mid-byte and a ring full of data,
    // including positions 4036 and up.
    Bytes big = RandomBytes(50000, 3), packed, out;
    ASSERT_TRUE(EncodeLzhuf(big.data(), big.size(), &packed));
    ASSERT_TRUE(DecodeToMemory(packed.data(), packed.size(), (uint32_t)big.size(), &out));
    ASSERT_TRUE(out == big);

    // The spaces come from a newly filled ring, the letters from a new tree.
    EXPECT_EQ(Decode({0x93, 0x00, 0x00}, 10), std::string(10, ' '));
    EXPECT_EQ(Decode({0xF6, 0xFB, 0xBD, 0xE0}, 3), "abc");
    ASSERT_TRUE(DecodeToMemory(packed.data(), packed.size(), (uint32_t)big.size(), &out));
    EXPECT_TRUE(out == big) << "the first payload again, after the small ones";
}

}  // namespace
