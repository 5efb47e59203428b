// Encoder against decoder: every stream the packer writes, at every parse,
// must decode to its input exactly, within the ring the decoder really has;
// the default level must never be larger than the lazy parse.
#include <gtest/gtest.h>

#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "lzhuf_decoder.h"
#include "lzhuf_encoder.h"
#include "match_finder.h"
#include "memory_sink.h"

namespace {

typedef std::vector<unsigned char> Bytes;

const char kLicenceDir[] = "/usr/share/common-licenses";
const char kWindowsDir[] = "/usr/lib/i386-linux-gnu/wine/i386-windows";

Bytes ReadFile(const std::string& path)
{
    Bytes data;
    int error;
    ReadFileBytes(path.c_str(), &data, &error);
    return data;
}

// Regular files of a folder whose names end in one of the suffixes (or
// all, for none) and whose size lies within [minSize, maxSize], by name.
std::vector<std::string> FilesIn(const char* dir, std::vector<std::string> suffixes,
                                 size_t minSize, size_t maxSize, size_t most)
{
    std::vector<std::string> names;
    DIR* d = opendir(dir);
    if (!d)
        return names;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        bool wanted = suffixes.empty();
        for (const std::string& s : suffixes)
            wanted = wanted || (name.size() > s.size() &&
                                name.compare(name.size() - s.size(), s.size(), s) == 0);
        if (!wanted || name[0] == '.')
            continue;
        FILE* f = fopen((std::string(dir) + "/" + name).c_str(), "rb");
        if (!f)
            continue;
        fseek(f, 0, SEEK_END);
        long size = ftell(f);
        fclose(f);
        if (size >= (long)minSize && size <= (long)maxSize)
            names.push_back(std::string(dir) + "/" + name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    if (names.size() > most)
        names.resize(most);
    return names;
}

Bytes RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes data(n);
    for (unsigned char& b : data)
        b = (unsigned char)rng();
    return data;
}

// Words from a small vocabulary: many matches of every length and offset.
Bytes TextLike(size_t n, unsigned seed)
{
    static const char* const words[] = {"the ", "licence ", "program ", "of ", "Software ",
                                        "distribute\r\n", "copy ", "and ", "a ", "you "};
    std::mt19937 rng(seed);
    Bytes data;
    while (data.size() < n) {
        const char* w = words[rng() % 10];
        data.insert(data.end(), w, w + strlen(w));
    }
    data.resize(n);
    return data;
}

// How many bytes the last decode's symbols account for, read from the
// decoder's leaf frequencies (valid while the tree has not been rebuilt):
// more than the unpacked size means the stream ran past its end and the
// decoder had to cut the last match.
size_t SymbolBytesOfLastDecode()
{
    size_t total = 0;
    for (int s = 0; s < kSymbolCount; s++) {
        size_t uses = g_decoder.freq[g_decoder.parent[s + kTreeNodes]] - 1u;
        total += uses * (s < 256 ? 1 : (size_t)(s - 256 + kMatchThreshold + 1));
    }
    return total;
}

// Packs, then unpacks with the ring's never-written positions filled with
// junk: a match that reached into them would bring the junk out.
void ExpectRoundTrip(const Bytes& data, LzhufParse parse, const std::string& what,
                     LzhufEncodeStats* statsOut = nullptr)
{
    SCOPED_TRACE(what + ", " + std::to_string(data.size()) + " bytes, parse " +
                 std::to_string((int)parse));
    Bytes packed, out;
    LzhufEncodeStats stats;
    ASSERT_TRUE(EncodeLzhuf(data.data(), data.size(), &packed, parse, &stats));
    if (statsOut)
        *statsOut = stats;
    memset(g_decoder.ring + kRingStart, 0xA5, kRingSize - kRingStart);
    ASSERT_TRUE(DecodeToMemory(packed.data(), packed.size(), (uint32_t)data.size(), &out));
    ASSERT_TRUE(out == data) << "first difference at byte "
                             << std::mismatch(out.begin(), out.end(), data.begin()).first -
                                    out.begin();
    EXPECT_EQ(g_decoder.inputLeft, 0u) << "the stream has bytes the decoder never needs";
    if (stats.treeRebuilds == 0) {
        EXPECT_EQ(SymbolBytesOfLastDecode(), data.size()) << "a match runs past the end";
    }
}

TEST(LzhufRoundTrip, EncoderWritesTheKnownStreams)
{
    struct {
        const char* text;
        Bytes stream;
    } const cases[] = {
        {"abc", {0xF6, 0xFB, 0xBD, 0xE0}},
        {"          ", {0x93, 0x00, 0x00}},
        {"ababab", {0xF6, 0xFB, 0xA3, 0x40, 0x20}},
        {"xxxx", {0x04, 0x8C, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        Bytes packed;
        ASSERT_TRUE(EncodeLzhuf((const unsigned char*)c.text, strlen(c.text), &packed));
        EXPECT_TRUE(packed == c.stream) << '"' << c.text << '"';
    }
}

TEST(LzhufRoundTrip, EmptyInputGivesEmptyStream)
{
    Bytes packed = {1, 2, 3};
    EXPECT_TRUE(EncodeLzhuf(nullptr, 0, &packed));
    EXPECT_TRUE(packed.empty());
}

// Every parse on its own: the default level may hide a faulty priced
// stream behind the lazy one, so the priced parse is checked by itself.
class EveryParse : public ::testing::TestWithParam<LzhufParse> {};

std::string ParseName(const ::testing::TestParamInfo<LzhufParse>& info)
{
    static const char* const names[] = {"Greedy", "Lazy", "Priced", "Best"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(LzhufRoundTrip, EveryParse,
                         ::testing::Values(kParseGreedy, kParseLazy, kParsePriced, kParseBest),
                         ParseName);

// Sizes around the 60 bytes that fill the ring's tail before it wraps, the
// ring size and its neighbours, and the packer's segment of 1 << 18 input
// bytes, across which the parses carry their last match.
TEST_P(EveryParse, SizesAroundTheRingBoundaries)
{
    for (size_t n : {1, 2, 3, 59, 60, 61, 1023, 1024, 1025, 4095, 4096, 4097, 8193}) {
        ExpectRoundTrip(RandomBytes(n, (unsigned)n), GetParam(), "random");
        ExpectRoundTrip(TextLike(n, (unsigned)n), GetParam(), "text-like");
    }
    for (size_t n : {(1 << 18) - 1, 1 << 18, (1 << 18) + 1, (1 << 18) + 61})
        ExpectRoundTrip(TextLike(n, (unsigned)n), GetParam(), "text-like");
}

// Long single-byte runs: matches of the longest length at offset 0 and,
// for spaces, matches into the space-filled start of the ring.
TEST_P(EveryParse, UniformInputs)
{
    for (size_t n : {5, 64, 4036, 4100, 100000}) {
        ExpectRoundTrip(Bytes(n, 0x00), GetParam(), "zeros");
        ExpectRoundTrip(Bytes(n, ' '), GetParam(), "spaces");
        ExpectRoundTrip(Bytes(n, 0xA5), GetParam(), "junk byte");
    }
    // Longest matches at offset 0 (9-bit offset code), whose length symbol
    // soon has a code of a bit or two.
    const size_t n = 100000;
    Bytes packed;
    ASSERT_TRUE(EncodeLzhuf(Bytes(n, ' ').data(), n, &packed, GetParam()));
    EXPECT_LE(packed.size(), n / kLongestMatch * 11 / 8 + 16);
}

TEST_P(EveryParse, LargeInputs)
{
    Bytes text = TextLike(300000, 5);
    ExpectRoundTrip(text, GetParam(), "text-like");
    Bytes mixed = RandomBytes(300000, 9);
    // Copies of earlier stretches at every distance up to beyond the ring.
    std::mt19937 rng(1);
    for (size_t at = 5000; at + 100 < mixed.size(); at += 97) {
        size_t distance = 1 + rng() % 5000;
        memmove(&mixed[at], &mixed[at - distance], rng() % 70);
    }
    LzhufEncodeStats stats;
    ExpectRoundTrip(mixed, GetParam(), "random with repeats", &stats);
    EXPECT_GE(stats.treeRebuilds, 9u) << "too few rebuilds to test them";
}

TEST_P(EveryParse, LicenceTexts)
{
    std::vector<std::string> files = FilesIn(kLicenceDir, {}, 1, 1 << 20, 20);
    if (files.empty())
        GTEST_SKIP() << kLicenceDir << " holds no texts";
    for (const std::string& f : files)
        ExpectRoundTrip(ReadFile(f), GetParam(), f);
}

TEST_P(EveryParse, WindowsExecutables)
{
    std::vector<std::string> files =
        FilesIn(kWindowsDir, {".exe", ".dll"}, 40000, 600000, 6);
    if (files.empty())
        GTEST_SKIP() << kWindowsDir << " holds no executables";
    for (const std::string& f : files)
        ExpectRoundTrip(ReadFile(f), GetParam(), f);
}

TEST(LzhufRoundTrip, TwoPayloadsInARowDecodeIndependently)
{
    Bytes a = TextLike(20000, 1), b = RandomBytes(3000, 2), packedA, packedB, out;
    ASSERT_TRUE(EncodeLzhuf(a.data(), a.size(), &packedA));
    ASSERT_TRUE(EncodeLzhuf(b.data(), b.size(), &packedB));
    for (int round = 0; round < 2; round++) {
        ASSERT_TRUE(DecodeToMemory(packedA.data(), packedA.size(), (uint32_t)a.size(), &out));
        EXPECT_TRUE(out == a);
        ASSERT_TRUE(DecodeToMemory(packedB.data(), packedB.size(), (uint32_t)b.size(), &out));
        EXPECT_TRUE(out == b);
    }
}

// Greedy parse by brute force: the longest match at each position, over
// the whole window (ring spaces included); returns literals and matches.
std::pair<size_t, size_t> BruteForceGreedyCounts(const Bytes& data)
{
    Bytes text(kRingStart, ' ');
    text.insert(text.end(), data.begin(), data.end());
    size_t literals = 0, matches = 0;
    for (size_t p = kRingStart; p < text.size();) {
        size_t limit = std::min<size_t>(kLongestMatch, text.size() - p);
        size_t best = 0;
        size_t oldest = p > (size_t)kRingSize ? p - kRingSize : 0;
        for (size_t from = oldest; from < p && best < limit; from++) {
            size_t len = 0;
            while (len < limit && text[from + len] == text[p + len])
                len++;
            best = std::max(best, len);
        }
        if (best > (size_t)kMatchThreshold) {
            matches++;
            p += best;
        } else {
            literals++;
            p++;
        }
    }
    return {literals, matches};
}

// The match finder's lengths are exact: a greedy parse with them takes the
// same steps as an exhaustive search.
TEST(LzhufRoundTrip, GreedyParseUsesTheLongestMatches)
{
    std::vector<Bytes> inputs = {TextLike(12000, 3), Bytes(9000, 0)};
    Bytes mixed = RandomBytes(12000, 4);
    for (size_t at = 4200; at + 64 < mixed.size(); at += 50)
        memcpy(&mixed[at], &mixed[at - 4200 + (at % 300)], 40);
    inputs.push_back(mixed);
    std::vector<std::string> texts = FilesIn(kLicenceDir, {}, 1, 1 << 20, 1);
    if (!texts.empty()) {
        Bytes t = ReadFile(texts[0]);
        t.resize(std::min<size_t>(t.size(), 12000));
        inputs.push_back(t);
    }
    for (const Bytes& in : inputs) {
        Bytes packed;
        LzhufEncodeStats stats;
        ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &packed, kParseGreedy, &stats));
        std::pair<size_t, size_t> expected = BruteForceGreedyCounts(in);
        EXPECT_EQ(stats.literals, expected.first) << in.size() << " bytes";
        EXPECT_EQ(stats.matches, expected.second) << in.size() << " bytes";
    }
}

// The default level keeps the smaller of the priced and the lazy stream,
// so it is never above lazy; the priced parse must be what wins in total,
// and lazy must still beat greedy, or the default would not pay.
void ExpectDefaultBeatsLazy(const std::vector<std::string>& files)
{
    size_t bestTotal = 0, pricedTotal = 0, lazyTotal = 0, greedyTotal = 0;
    for (const std::string& f : files) {
        Bytes in = ReadFile(f), best, priced, lazy, greedy;
        ASSERT_FALSE(in.empty()) << f;
        ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &best));
        ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &priced, kParsePriced));
        ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &lazy, kParseLazy));
        ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &greedy, kParseGreedy));
        EXPECT_LE(best.size(), lazy.size()) << f;
        EXPECT_EQ(best.size(), std::min(priced.size(), lazy.size())) << f;
        bestTotal += best.size();
        pricedTotal += priced.size();
        lazyTotal += lazy.size();
        greedyTotal += greedy.size();
    }
    EXPECT_LT(pricedTotal, lazyTotal);
    EXPECT_LT(bestTotal, lazyTotal);
    EXPECT_LT(lazyTotal, greedyTotal);
}

// The demo product's payload files: the texts from the sources, the
// programs from the Windows build tree when it has been built.
TEST(LzhufRoundTrip, DefaultNeverLargerThanLazyOnTheProductsPayloads)
{
    std::vector<std::string> files;
    for (const char* name : {"Quorvel.hlp", "Read Me.txt", "Order.txt", "RegInfo.txt"})
        files.push_back(std::string(VANTOR_SOURCE_DIR "/products/quorvel/") + name);
    std::vector<std::string> programs =
        FilesIn(VANTOR_SOURCE_DIR "/build/win32/product-files", {".exe"}, 1, 1 << 24, 10);
    files.insert(files.end(), programs.begin(), programs.end());
    ExpectDefaultBeatsLazy(files);
}

TEST(LzhufRoundTrip, DefaultNeverLargerThanLazyOnSampleFiles)
{
    std::vector<std::string> files = FilesIn(kLicenceDir, {}, 1, 1 << 20, 6);
    std::vector<std::string> exes = FilesIn(kWindowsDir, {".exe", ".dll"}, 40000, 300000, 3);
    files.insert(files.end(), exes.begin(), exes.end());
    if (files.empty())
        GTEST_SKIP() << "no sample files on this machine";
    ExpectDefaultBeatsLazy(files);
}

// The finder's positions are its own, counted within each piece, so an
// input beyond 2 GiB is searched like its start (signed 32-bit positions
// once left such inputs without a single match). The input is a mapping
// that only the touched pages occupy.
TEST(LzhufRoundTrip, MatchesBeyondTwoGigabytesAreFound)
{
    const size_t n = (size_t)3 << 30, at = n - 40000;
    void* map = mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                     -1, 0);
    if (map == MAP_FAILED)
        GTEST_SKIP() << "cannot map 3 GiB of address space";
    unsigned char* big = (unsigned char*)map;
    Bytes sample = TextLike(30000, 12);
    memcpy(big + at, sample.data(), sample.size());

    // Far from the start the ring holds the text before; both must see
    // the same matches once the sample is more than a ring into itself.
    const size_t from = 8000, to = 20000;
    std::vector<MatchChoices> far(to - from), near(to - from);
    FindMatchChoices(big, n, at + from, at + to, true, far.data());
    FindMatchChoices(sample.data(), sample.size(), from, to, true, near.data());
    size_t matched = 0;
    for (size_t i = 0; i < far.size(); i++) {
        ASSERT_EQ(far[i].count, near[i].count) << "position " << from + i;
        for (unsigned k = 0; k < far[i].count; k++) {
            EXPECT_EQ(far[i].length[k], near[i].length[k]) << "position " << from + i;
            EXPECT_EQ(far[i].offset[k], near[i].offset[k]) << "position " << from + i;
        }
        matched += far[i].count > 0;
    }
    EXPECT_GT(matched, far.size() / 2);
    munmap(map, n);
}

// Builds must be reproducible: the same input gives the same stream, with
// other work in between, across match-finder pieces, segments and parse
// threads.
TEST(LzhufRoundTrip, OutputIsDeterministic)
{
    Bytes in = TextLike(300000, 8), first, second;
    in.insert(in.end(), 50000, 0);
    ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &first));
    Bytes other = RandomBytes(70000, 1);
    ASSERT_TRUE(EncodeLzhuf(other.data(), other.size(), &second));
    ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &second));
    EXPECT_TRUE(first == second);
}

}  // namespace
