// The particles' arctangent against the C library's atan2f: every branch of the routine, the block's
// four-at-a-time path and its fall-back to one at a time, and the eight-at-a-time entry, must give the
// library's bits.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "ParticleTestBits.h"
#include "particle/Particle_Angle.h"

namespace {

uint32_t Bits(float value)
{
    return std::bit_cast<uint32_t>(value);
}

float FromBits(uint32_t bits)
{
    return std::bit_cast<float>(bits);
}

// The library's answer and ours are the same float, or both not a number.
::testing::AssertionResult SameAsLibrary(float y, float x, float ours)
{
    float library = std::atan2(y, x);
    if (Bits(library) == Bits(ours) || (std::isnan(library) && std::isnan(ours)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "atan2(" << y << " [" << std::hex << Bits(y) << "], " << x << " ["
                                         << Bits(x) << "]): library " << Bits(library) << ", ours " << Bits(ours);
}

// The eight-lane entry over the pairs in runs of eight: a run it takes gives the library's bits, one
// it refuses is left as it was (and holds a lane that is not ordinary).
void ExpectEightsAsLibrary(const std::vector<float>& ys, const std::vector<float>& xs)
{
    if (!__builtin_cpu_supports("avx2")) return;
    constexpr float UNTOUCHED = 12345.0f;
    for (size_t i = 0; i + 8 <= ys.size(); i += 8) {
        float eight[8] = {UNTOUCHED, UNTOUCHED, UNTOUCHED, UNTOUCHED, UNTOUCHED, UNTOUCHED, UNTOUCHED, UNTOUCHED};
        bool taken = Particle_Atan2Eight(&ys[i], &xs[i], eight);
        bool four[2] = {false, false};
        float ignored[4];
        for (size_t half = 0; half < 2; ++half)
            four[half] = Particle_Atan2Four(&ys[i + 4 * half], &xs[i + 4 * half], ignored);
        ASSERT_EQ(four[0] && four[1], taken) << "eight from index " << i << " taken as its two fours are";
        for (size_t j = 0; j < 8; ++j) {
            if (taken) ASSERT_TRUE(SameAsLibrary(ys[i + j], xs[i + j], eight[j])) << "eight, index " << i + j;
            else ASSERT_EQ(Bits(UNTOUCHED), Bits(eight[j])) << "refused eight, index " << i + j;
        }
    }
}

// Every entry over the pairs: one at a time, the block in runs of four and a ragged tail, and eights.
void ExpectLibraryBits(const std::vector<float>& ys, const std::vector<float>& xs)
{
    std::vector<float> block(ys.size());
    Particle_Atan2Block(ys.data(), xs.data(), block.data(), int32_t(ys.size()));
    for (size_t i = 0; i < ys.size(); ++i) {
        ASSERT_TRUE(SameAsLibrary(ys[i], xs[i], Particle_Atan2(ys[i], xs[i])));
        ASSERT_TRUE(SameAsLibrary(ys[i], xs[i], block[i])) << "block, index " << i;
    }
    ExpectEightsAsLibrary(ys, xs);
}

// Values at the routine's bounds: the reduction intervals (7/16, 11/16, 19/16, 39/16), the smallest
// ratio with a series (2^-29) and the largest (2^25), zeros, ones, infinities, a NaN, subnormals, and
// the neighbours of each.
std::vector<float> EdgeValues()
{
    const float bounds[] = {0.4375f, 0.6875f, 1.1875f, 2.4375f, 0x1p-29f, 0x1p25f, 1.0f, 2.0f, 0.5f, 1.5f,
                            0x1p60f, 0x1p-60f, 3.0f, 100.0f, 0.001f, 1e-38f, 1e-44f,
                            std::numeric_limits<float>::max()};
    std::vector<float> values = {0.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
    for (float b : bounds) {
        values.push_back(b);
        values.push_back(std::nextafter(b, 0.0f));
        values.push_back(std::nextafter(b, INFINITY));
    }
    size_t n = values.size();
    for (size_t i = 0; i < n; ++i) values.push_back(-values[i]);
    return values;
}

TEST(ParticleAngleTest, EveryPairOfEdgeValuesGivesTheLibrarysBits)
{
    std::vector<float> values = EdgeValues(), ys, xs;
    for (float y : values)
        for (float x : values) {
            ys.push_back(y);
            xs.push_back(x);
        }
    ExpectLibraryBits(ys, xs);
}

// Ratios around each interval bound in every quadrant, four ordinary lanes at a time, and the same
// with one lane that is not ordinary among them.
TEST(ParticleAngleTest, BlocksOfOrdinaryLanesAndMixedBlocks)
{
    std::vector<float> ys, xs;
    const float ratios[] = {0.3f, 0.4375f, 0.5f, 0.6875f, 0.9f, 1.0f, 1.1875f, 2.0f, 2.4375f, 7.0f, 1e6f, 3e7f};
    const float signs[][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (float r : ratios)
        for (const auto& s : signs)
            for (float scale : {1.0f, 0.37f, 5.5f}) {
                ys.push_back(s[0] * r * scale);
                xs.push_back(s[1] * scale);
            }
    size_t ordinary = ys.size();
    for (float odd : {0.0f, -0.0f, 1.0f, INFINITY, std::numeric_limits<float>::quiet_NaN()}) {
        for (size_t i = 0; i < 3; ++i) {
            ys.push_back(ys[i * 5]);
            xs.push_back(xs[i * 5]);
        }
        ys.push_back(0.5f);
        xs.push_back(odd);
    }
    ASSERT_GT(ys.size(), ordinary);
    ExpectLibraryBits(ys, xs);
}

// Pseudo-random pairs: of any bits, and of the sizes particle motion gives (a speed of a few pixels
// plus a small gravity).
TEST(ParticleAngleTest, RandomPairsGiveTheLibrarysBits)
{
    TestWords words{0x9E3779B97F4A7C15ull};
    auto next = [&] { return words.Next(); };
    std::vector<float> ys, xs;
    for (int32_t i = 0; i < 200000; ++i) {
        ys.push_back(FromBits(next()));
        xs.push_back(FromBits(next()));
    }
    for (int32_t i = 0; i < 400000; ++i) {
        float speed = float(next() % 20000) / 10000.0f;
        float angle = float(next() % 36000) / 100.0f * 3.1415927f / 180.0f;
        xs.push_back(std::cos(angle) * speed + float(int32_t(next() % 3) - 1) * 1e-8f);
        ys.push_back(-std::sin(angle) * speed + 0.1f);
    }
    ExpectLibraryBits(ys, xs);
}

// Every 4099th float as the ratio (x of 1 takes the arctangent itself, x of 2 the block's reduction).
TEST(ParticleAngleTest, ASweepOfAllFloatsAsTheRatio)
{
    std::vector<float> ys, xs;
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 4099) {
        float y = FromBits(uint32_t(bits));
        ys.insert(ys.end(), {y, y, y, y});
        xs.insert(xs.end(), {1.0f, 2.0f, -2.0f, 0.75f});
    }
    ExpectLibraryBits(ys, xs);
}

} // namespace
