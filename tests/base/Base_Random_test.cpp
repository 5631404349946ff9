#include "base/Base_Random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

TEST(Random, SeedAndNextFollowTheGeneratorExactly)
{
    // Worked out by hand: 2531011 >> 16 = 38; (38 * 214013 + 2531011) >> 16 = 162; and so on.
    EXPECT_EQ(Random_Seed(0), 0u);
    EXPECT_EQ((std::vector<uint32_t>{38, 162, 567, 1890}),
              std::vector<uint32_t>(g_RandomState, g_RandomState + 4));
    EXPECT_EQ(Random_Next(), 0x27C5F82Du);
    Random_Seed(12345);
    EXPECT_EQ(Random_Next(), 0xD240F5C2u);

    // The product wraps in 32 bits: 0xFFFFFFFF * 214013 + 2531011 = 2317998 (mod 2^32).
    Random_Seed(0xFFFFFFFFu);
    EXPECT_EQ(std::pair(35u, 0xFFFFFFFFu), std::pair(g_RandomState[0], Random_GetSeed()));
}

TEST(Random, DerivedDrawsStayInTheirRanges)
{
    Random_Seed(99);
    bool seen[6] = {};
    for (int i = 0; i < 2000; ++i) {
        uint32_t v = Random_Int(-6);
        ASSERT_LT(v, 6u);
        seen[v] = true;
        double r = Random_Real(10.0);
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 10.0);
        ASSERT_LE(Random_Next31(), 0x7FFFFFFFu);
        ASSERT_LT(Random_Int(std::numeric_limits<int32_t>::min()), 0x80000000u);
    }
    for (bool s : seen) EXPECT_TRUE(s);
    EXPECT_EQ(Random_Int(0), 0u); // instead of dividing by zero
}

} // namespace
