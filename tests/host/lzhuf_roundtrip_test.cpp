// Encoder against decoder: every stream the packer writes must decode to
// its input exactly, within the ring the decoder really has, and be no
// larger than a plain greedy parse.
#include <gtest/gtest.h>

#include <dirent.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "lzhuf_decoder.h"
#include "lzhuf_encoder.h"
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
void ExpectRoundTrip(const Bytes& data, LzhufParse parse, const std::string& what)
{
    SCOPED_TRACE(what + ", " + std::to_string(data.size()) + " bytes, parse " +
                 std::to_string((int)parse));
    Bytes packed, out;
    LzhufEncodeStats stats;
    ASSERT_TRUE(EncodeLzhuf(data.data(), data.size(), &packed, parse, &stats));
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

// Sizes around the 60 bytes that fill the ring's tail before it wraps, the
// ring size and its neighbours.
TEST(LzhufRoundTrip, SizesAroundTheRingBoundaries)
{
    for (size_t n : {1, 2, 3, 59, 60, 61, 1023, 1024, 1025, 4095, 4096, 4097, 8193}) {
        for (LzhufParse parse : {kParseSmallest, kParseGreedy, kParseLazy}) {
            ExpectRoundTrip(RandomBytes(n, (unsigned)n), parse, "random");
            ExpectRoundTrip(TextLike(n, (unsigned)n), parse, "text-like");
        }
    }
}

// Long single-byte runs: matches of the longest length at offset 0 and,
// for spaces, matches into the space-filled start of the ring.
TEST(LzhufRoundTrip, UniformInputs)
{
    for (size_t n : {5, 64, 4036, 4100, 100000}) {
        ExpectRoundTrip(Bytes(n, 0x00), kParseSmallest, "zeros");
        ExpectRoundTrip(Bytes(n, ' '), kParseSmallest, "spaces");
        ExpectRoundTrip(Bytes(n, 0xA5), kParseSmallest, "junk byte");
    }
    // Longest matches at offset 0 (9-bit offset code), whose length symbol
    // soon has a code of a bit or two.
    const size_t n = 100000;
    Bytes packed;
    ASSERT_TRUE(EncodeLzhuf(Bytes(n, ' ').data(), n, &packed));
    EXPECT_LE(packed.size(), n / kLongestMatch * 11 / 8 + 16);
}

TEST(LzhufRoundTrip, LargeInputs)
{
    Bytes text = TextLike(300000, 5);
    ExpectRoundTrip(text, kParseSmallest, "text-like");
    Bytes mixed = RandomBytes(300000, 9);
    // Copies of earlier stretches at every distance up to beyond the ring.
    std::mt19937 rng(1);
    for (size_t at = 5000; at + 100 < mixed.size(); at += 97) {
        size_t distance = 1 + rng() % 5000;
        memmove(&mixed[at], &mixed[at - distance], rng() % 70);
    }
    ExpectRoundTrip(mixed, kParseSmallest, "random with repeats");
}

TEST(LzhufRoundTrip, LicenceTexts)
{
    std::vector<std::string> files = FilesIn(kLicenceDir, {}, 1, 1 << 20, 20);
    if (files.empty())
        GTEST_SKIP() << kLicenceDir << " holds no texts";
    for (const std::string& f : files)
        ExpectRoundTrip(ReadFile(f), kParseSmallest, f);
}

TEST(LzhufRoundTrip, WindowsExecutables)
{
    std::vector<std::string> files =
        FilesIn(kWindowsDir, {".exe", ".dll"}, 40000, 600000, 6);
    if (files.empty())
        GTEST_SKIP() << kWindowsDir << " holds no executables";
    for (const std::string& f : files)
        ExpectRoundTrip(ReadFile(f), kParseSmallest, f);
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

// The packer's default keeps whichever parse is smaller, so it can never
// lose to greedy; lazy matching should win on real data.
TEST(LzhufRoundTrip, NeverLargerThanGreedy)
{
    std::vector<std::string> files = FilesIn(kLicenceDir, {}, 1, 1 << 20, 6);
    std::vector<std::string> exes = FilesIn(kWindowsDir, {".exe", ".dll"}, 40000, 300000, 3);
    files.insert(files.end(), exes.begin(), exes.end());
    if (files.empty())
        GTEST_SKIP() << "no sample files on this machine";
    size_t smallestTotal = 0, greedyTotal = 0;
    for (const std::string& f : files) {
        Bytes in = ReadFile(f), smallest, greedy, lazy;
        ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &smallest, kParseSmallest));
        ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &greedy, kParseGreedy));
        ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &lazy, kParseLazy));
        EXPECT_LE(smallest.size(), greedy.size()) << f;
        EXPECT_EQ(smallest.size(), std::min(greedy.size(), lazy.size())) << f;
        smallestTotal += smallest.size();
        greedyTotal += greedy.size();
    }
    EXPECT_LT(smallestTotal, greedyTotal);
}

// Builds must be reproducible: the same input gives the same stream, with
// other work in between, across match-finder pieces and parse threads.
TEST(LzhufRoundTrip, OutputIsDeterministic)
{
    Bytes in = TextLike(200000, 8), first, second;
    in.insert(in.end(), 50000, 0);
    ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &first));
    Bytes other = RandomBytes(70000, 1);
    ASSERT_TRUE(EncodeLzhuf(other.data(), other.size(), &second));
    ASSERT_TRUE(EncodeLzhuf(in.data(), in.size(), &second));
    EXPECT_TRUE(first == second);
}

}  // namespace
