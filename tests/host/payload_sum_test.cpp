// The payload streams' sum: the setup and the build must agree on it byte
// for byte, whatever the pieces the build reads a file in.
#include <gtest/gtest.h>

#include <string>

#include "payload_sum.h"

namespace {

uint32_t Sum(const std::string& text)
{
    return PayloadSum(0, (const unsigned char*)text.data(), text.size());
}

TEST(PayloadSum, IsTheZipChecksumInAnyPieces)
{
    // The check values the polynomial is published with.
    for (const auto& c : {std::make_pair("", 0u), std::make_pair("123456789", 0xCBF43926u),
                          std::make_pair("The quick brown fox jumps over the lazy dog", 0x414FA339u)}) {
        EXPECT_EQ(Sum(c.first), c.second) << c.first;
    }
    std::string data(70000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = (char)(i * 131 + i / 251);
    const unsigned char* bytes = (const unsigned char*)data.data();
    for (size_t cut : {0ul, 1ul, 4096ul, 65536ul, 69999ul}) {
        EXPECT_EQ(PayloadSum(PayloadSum(0, bytes, cut), bytes + cut, data.size() - cut), Sum(data)) << cut;
    }
    // One flipped bit anywhere is seen.
    std::string flipped = data;
    flipped[40000] ^= 0x10;
    EXPECT_NE(Sum(flipped), Sum(data));
}

}  // namespace
