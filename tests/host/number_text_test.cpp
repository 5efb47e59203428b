#include <gtest/gtest.h>

#include "number_text.h"

namespace {

std::string Text(uint32_t value)
{
    char out[kNumberTextSize];
    FormatThousands(value, out);
    return out;
}

TEST(ThousandsSeparators, GroupThreeDigitsFromTheRight)
{
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "0"},           {7, "7"},           {999, "999"},
        {1000, "1,000"},    {100000, "100,000"}, {376832, "376,832"},
        {1000000, "1,000,000"}, {560554, "560,554"}, {4294967295u, "4,294,967,295"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(c.first), c.second) << c.first;
}

// Versions as the records hold them, read as numbers, and which installed
// ones count as newer than the setup's 3.02.
TEST(Versions, ReadAsNumbersMajorBeforeMinor)
{
    const struct {
        const char* text;
        bool read;
        uint32_t major, minor;
        bool newerThanOurs;
    } cases[] = {
        {"3.02", true, 3, 2, false},    {"3.2", true, 3, 2, false},
        {"3.10", true, 3, 10, true},    {"3.01", true, 3, 1, false},
        {"4", true, 4, 0, true},        {"2.99", true, 2, 99, false},
        {"10.0", true, 10, 0, true},    {"999999999.1", true, 999999999, 1, true},
        {"", false, 0, 0, false},       {"3.", false, 0, 0, false},
        {".5", false, 0, 0, false},     {"v4.0", false, 0, 0, false},
        {"4.0b", false, 0, 0, false},   {"4.0.1", false, 0, 0, false},
        {"1234567890", false, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        uint32_t major = 7, minor = 7;
        EXPECT_EQ(ReadVersion(c.text, &major, &minor), c.read);
        EXPECT_EQ(major, c.major);
        EXPECT_EQ(minor, c.minor);
        EXPECT_EQ(IsNewerVersion(c.text, "3.02"), c.newerThanOurs);
    }
    // Ours unreadable: nothing is newer than it.
    EXPECT_FALSE(IsNewerVersion("9.0", "beta"));
}

}  // namespace
