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
    EXPECT_EQ(Text(0), "0");
    EXPECT_EQ(Text(7), "7");
    EXPECT_EQ(Text(999), "999");
    EXPECT_EQ(Text(1000), "1,000");
    EXPECT_EQ(Text(100000), "100,000");
    EXPECT_EQ(Text(376832), "376,832");
    EXPECT_EQ(Text(1000000), "1,000,000");
    EXPECT_EQ(Text(560554), "560,554");
    EXPECT_EQ(Text(4294967295u), "4,294,967,295");
}

}  // namespace
