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

void Put32(Image& b, size_t at, unsigned v)
{
    memcpy(&b[at], &v, 4);
}

unsigned Get32(const Image& b, size_t at)
{
    unsigned v;
    memcpy(&v, &b[at], 4);
    return v;
}

// As the linker writes the setup: DOS header and program, PE headers at
// 0x80, headers padded to two blocks, a code section of one block, a
// zeroed one without file data, and a data section of two blocks.
Image LinkerImage()
{
    Image b(2 * kBlock, 0);
    memset(&b[0x40], 0xcc, kPe - 0x40);  // the DOS program
    const struct {
        size_t at;
        unsigned value;
    } fields[] = {
        {0, 'M' | 'Z' << 8}, {0x3c, kPe}, {kPe, 'P' | 'E' << 8},
        {kPe + 4, 0x14c | 3 << 16},  // i386, three sections
        {kPe + 20, 224}, {kOptional, 0x10b}, {kOptional + 36, kBlock},
        {kOptional + 60, 2 * kBlock}, {kOptional + 64, 0x1234}, {kOptional + 92, 16},
        {kDirectories + 8, 0x3000},  // imports, by address
        {kTable + 16, kBlock}, {kTable + 20, 2 * kBlock},
        {kTable + 80 + 16, 2 * kBlock}, {kTable + 80 + 20, 3 * kBlock},
    };
    for (const auto& field : fields)
        Put32(b, field.at, field.value);
    for (unsigned i = 0; i < 3 * kBlock; ++i)
        b.push_back((unsigned char)(i * 7 + 1));
    return b;
}

TEST(PeHeaders, LinkerLayoutLosesOneBlockAndKeepsEverySection)
{
    Image old = LinkerImage();
    Image image = old;
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
    // Recomputed: the Windows tests hold it against the system's own sum.
    EXPECT_NE(Get32(image, optional + 64), 0x1234u);

    Image again = image;
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
        Image image = LinkerImage();
        c.spoil(image);
        Image before = image;
        std::string why;
        EXPECT_EQ(PackPeHeaders(&image, &why), kPeRefused) << c.name;
        EXPECT_FALSE(why.empty()) << c.name;
        EXPECT_EQ(image, before) << c.name;
    }
}

}  // namespace
