// The setup's headers packed after linking: an image laid out as the
// linker lays it out loses its DOS program and one block, with every
// section's bytes where its header says; anything that holds a file offset
// this would break, or that is not such an image, is refused untouched.
#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <vector>

#include "pe_headers.h"

namespace {

using Image = std::vector<unsigned char>;

const size_t kPe = 0x80, kOptional = kPe + 24, kTable = kOptional + 224;
const size_t kDirectories = kOptional + 96;
const unsigned kBlock = 512;

void Put32(std::vector<unsigned char>& b, size_t at, unsigned v)
{
    memcpy(&b[at], &v, 4);
}

unsigned Get32(const std::vector<unsigned char>& b, size_t at)
{
    unsigned v;
    memcpy(&v, &b[at], 4);
    return v;
}

// As the linker writes the setup: DOS header and program, PE headers at
// 0x80, headers padded to two blocks, a code section of one block, a
// zeroed one without file data, and a data section of two blocks.
std::vector<unsigned char> LinkerImage()
{
    std::vector<unsigned char> b(2 * kBlock, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3c, kPe);
    memset(&b[0x40], 0xcc, kPe - 0x40);  // the DOS program
    memcpy(&b[kPe], "PE\0\0", 4);
    b[kPe + 4] = 0x4c;
    b[kPe + 5] = 0x01;
    b[kPe + 6] = 3;    // sections
    b[kPe + 20] = 224; // optional header size
    b[kOptional] = 0x0b;
    b[kOptional + 1] = 0x01;
    Put32(b, kOptional + 36, kBlock);
    Put32(b, kOptional + 60, 2 * kBlock);
    Put32(b, kOptional + 64, 0x1234);
    Put32(b, kOptional + 92, 16);
    Put32(b, kOptional + 96 + 8, 0x3000);  // imports, by address
    const unsigned raw[3][2] = {{kBlock, 2 * kBlock}, {0, 0}, {2 * kBlock, 3 * kBlock}};
    for (int s = 0; s < 3; ++s) {
        Put32(b, kTable + 40 * s + 16, raw[s][0]);
        Put32(b, kTable + 40 * s + 20, raw[s][1]);
    }
    for (unsigned i = 0; i < 3 * kBlock; ++i)
        b.push_back((unsigned char)(i * 7 + 1));
    return b;
}

TEST(PeHeaders, LinkerLayoutLosesOneBlockAndKeepsEverySection)
{
    std::vector<unsigned char> old = LinkerImage();
    std::vector<unsigned char> image = old;
    std::string why;
    ASSERT_EQ(PackPeHeaders(&image, &why), kPeChanged) << why;
    ASSERT_EQ(image.size(), old.size() - kBlock);
    EXPECT_EQ(Get32(image, 0x3c), 0x40u);
    EXPECT_EQ(memcmp(&image[0x40], "PE\0\0", 4), 0);
    const size_t optional = 0x40 + 24, table = optional + 224;
    EXPECT_EQ(Get32(image, optional + 60), kBlock);
    EXPECT_EQ(Get32(image, optional + 96 + 8), 0x3000u);
    for (int s = 0; s < 3; ++s) {
        unsigned size = Get32(image, table + 40 * s + 16);
        unsigned before = Get32(old, kTable + 40 * s + 20);
        unsigned after = Get32(image, table + 40 * s + 20);
        EXPECT_EQ(after, before == 0 ? 0 : before - kBlock) << "section " << s;
        if (size != 0)
            EXPECT_EQ(memcmp(&image[after], &old[before], size), 0) << "section " << s;
    }
    // The folded 16-bit sum of the whole file, the checksum field counted
    // as zero, plus the length.
    unsigned stored = Get32(image, optional + 64);
    Put32(image, optional + 64, 0);
    unsigned long long sum = 0;
    for (size_t i = 0; i < image.size(); i += 2)
        sum += image[i] | image[i + 1] << 8;
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    EXPECT_EQ(stored, sum + image.size());
    EXPECT_NE(stored, 0x1234u);

    std::vector<unsigned char> again = image;
    Put32(again, optional + 64, stored);
    image = again;
    EXPECT_EQ(PackPeHeaders(&again, &why), kPeKept);
    EXPECT_EQ(again, image);
}

TEST(PeHeaders, WhatHoldsFileOffsetsOrIsNoImageIsRefusedUntouched)
{
    const struct {
        const char* name;
        std::function<void(Image&)> spoil;
    } cases[] = {
        {"no MZ", [](Image& b) { b[0] = 'X'; }},
        {"DOS header pointing past the end", [](Image& b) { Put32(b, 0x3c, 0x7fffffff); }},
        {"64-bit image", [](Image& b) { b[kOptional + 1] = 0x02; }},
        {"signed", [](Image& b) { Put32(b, kDirectories + 8 * 4 + 4, 8); }},
        {"debug data", [](Image& b) { Put32(b, kDirectories + 8 * 6 + 4, 28); }},
        {"bound imports", [](Image& b) { Put32(b, kDirectories + 8 * 11 + 4, 8); }},
        {"symbol table", [](Image& b) { Put32(b, kPe + 12, 0x900); }},
        {"bytes after the sections", [](Image& b) { b[kTable + 3 * 40 + 1] = 1; }},
        {"section in the headers", [](Image& b) { Put32(b, kTable + 20, 0x100); }},
        {"section past the end", [](Image& b) { Put32(b, kTable + 16, 0x10000); }},
        {"headers in part blocks", [](Image& b) { Put32(b, kOptional + 60, 700); }},
    };
    for (const auto& c : cases) {
        std::vector<unsigned char> image = LinkerImage();
        c.spoil(image);
        std::vector<unsigned char> before = image;
        std::string why;
        EXPECT_EQ(PackPeHeaders(&image, &why), kPeRefused) << c.name;
        EXPECT_FALSE(why.empty()) << c.name;
        EXPECT_EQ(image, before) << c.name;
    }
}

}  // namespace
