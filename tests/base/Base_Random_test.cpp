#include "base/Base_Random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(Random, SeedFillsTheStateFromTheFifteenBitRecurrence)
{
    EXPECT_EQ(Random_Seed(0), 0u);
    // 2531011 >> 16 = 38; (38 * 214013 + 2531011) >> 16 = 162; and so on.
    EXPECT_EQ(g_RandomState[0], 38u);
    EXPECT_EQ(g_RandomState[1], 162u);
    EXPECT_EQ(g_RandomState[2], 567u);
    EXPECT_EQ(g_RandomState[3], 1890u);
    EXPECT_EQ(g_RandomIndex, 0u);
    for (uint32_t word : g_RandomState) EXPECT_LE(word, 0x7FFFu);

    // The product wraps in 32 bits: 0xFFFFFFFF * 214013 + 2531011 = 2317998 (mod 2^32).
    Random_Seed(0xFFFFFFFFu);
    EXPECT_EQ(g_RandomState[0], 35u);
    EXPECT_EQ(g_RandomState[1], 152u);
    EXPECT_EQ(Random_GetSeed(), 0xFFFFFFFFu);
}

TEST(Random, NextFollowsTheGeneratorExactly)
{
    // Worked out by hand from the algorithm's steps for the state of seed 0 and of seed 12345.
    Random_Seed(0);
    EXPECT_EQ(Random_Next(), 0x27C5F82Du);
    EXPECT_EQ(Random_Next(), 0x15B1730Fu);
    EXPECT_EQ(Random_Next(), 0xB48C6B74u);
    Random_Seed(12345);
    EXPECT_EQ(Random_Next(), 0xD240F5C2u);
    EXPECT_EQ(Random_Next(), 0x6FB53C88u);
}

TEST(Random, ReseedingReplaysTheSequence)
{
    Random_Seed(2101988);
    uint32_t first[40];
    for (uint32_t& value : first) value = Random_Next();
    for (int i = 0; i < 13; ++i) Random_Next();
    Random_Seed(2101988);
    for (uint32_t value : first) EXPECT_EQ(Random_Next(), value);
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
}

TEST(Random, RealIsTheNextValueScaled)
{
    Random_Seed(7);
    uint32_t raw = Random_Next();
    Random_Seed(7);
    EXPECT_EQ(Random_Real(1.0), raw * 2.3283064365386963e-10);
    Random_Seed(7);
    EXPECT_EQ(Random_Real(3.0), raw * 2.3283064365386963e-10 * 3.0);
    // The largest draw still lies below x.
    EXPECT_LT(0xFFFFFFFFu * 2.3283064365386963e-10, 1.0);
}

TEST(Random, IntOfZeroGivesZeroInsteadOfDividing)
{
    Random_Seed(5);
    uint32_t raw = Random_Next();
    Random_Seed(5);
    EXPECT_EQ(Random_Int(0), 0u);
    Random_Seed(5);
    EXPECT_EQ(Random_Int(1000), raw % 1000u);
}

} // namespace
