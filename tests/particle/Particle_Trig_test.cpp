// The particles' sine and cosine against the C library's sinf and cosf: every case of the routine
// (tiny angles, unreduced ones, the short reduction, the angles left to the library), the angles on
// which a fused and a separate multiply-add differ, and the block's four-at-a-time path with its
// fall-back to one at a time must all give the library's bits.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "ParticleTestBits.h"
#include "particle/Particle_Trig.h"

namespace {

uint32_t Bits(float value)
{
    return std::bit_cast<uint32_t>(value);
}

bool SameFloat(float a, float b)
{
    return Bits(a) == Bits(b) || (std::isnan(a) && std::isnan(b));
}

::testing::AssertionResult SameAsLibrary(float radians, float sine, float cosine)
{
    float librarySine = std::sin(radians), libraryCosine = std::cos(radians);
    if (SameFloat(librarySine, sine) && SameFloat(libraryCosine, cosine))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "sincos(" << radians << " [" << std::hex << Bits(radians) << "]): library " << Bits(librarySine)
           << " " << Bits(libraryCosine) << ", ours " << Bits(sine) << " " << Bits(cosine);
}

// Both entries over the angles, the block in runs of four and a ragged tail.
void ExpectLibraryBits(const std::vector<float>& angles)
{
    size_t n = angles.size();
    std::vector<float> sines(n), cosines(n);
    Particle_SinCosBlock(angles.data(), sines.data(), cosines.data(), int32_t(n));
    for (size_t i = 0; i < n; ++i) {
        float s = 0, c = 0;
        Particle_SinCos(angles[i], &s, &c);
        ASSERT_TRUE(SameAsLibrary(angles[i], s, c));
        ASSERT_TRUE(SameAsLibrary(angles[i], sines[i], cosines[i])) << "block, index " << i;
    }
}

// The bounds of the cases (2^-12, 0.75, 120, 128), the multiples of pi/2 below 128 where the
// reduction cancels most, angles on which a fused multiply-add answers otherwise than a separate
// one, zeros, subnormals, large angles, infinities and a NaN, with the neighbours of each.
std::vector<float> EdgeAngles()
{
    std::vector<float> bounds = {0x1p-12f,       0.75f,
                                 120.0f,         128.0f,
                                 1e-30f,         1e-44f,
                                 1e10f,          0x1p100f,
                                 0x1.1475b6p+4f, 0x1.78edb2p+4f,
                                 0x1.05d696p+5f, 0x1.019c5p+6f,
                                 0x1.d0f4aap+6f, std::numeric_limits<float>::max()};
    for (int32_t k = 1; k <= 81; ++k)
        bounds.push_back(float(k * 1.5707963267948966));
    std::vector<float> angles = {0.0f, std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN()};
    for (float b : bounds) {
        angles.push_back(b);
        angles.push_back(std::nextafter(b, 0.0f));
        angles.push_back(std::nextafter(b, INFINITY));
    }
    size_t n = angles.size();
    for (size_t i = 0; i < n; ++i)
        angles.push_back(-angles[i]);
    return angles;
}

TEST(ParticleTrigTest, EdgeAnglesGiveTheLibrarysBits)
{
    ExpectLibraryBits(EdgeAngles());
}

// Blocks of four angles of the short cases in every quadrant, then the same blocks with one lane of
// another case among them, at each place of the four.
TEST(ParticleTrigTest, BlocksOfShortLanesAndMixedBlocks)
{
    std::vector<float> angles;
    for (int32_t i = 0; i < 400; ++i)
        angles.push_back(float(i) * 0.31f - 62.0f + 0.001f);
    const float others[] = {0.0f, 1e-6f, 130.0f, -1e9f, INFINITY, std::numeric_limits<float>::quiet_NaN()};
    for (float other : others)
        for (int32_t place = 0; place < 4; ++place)
            for (int32_t lane = 0; lane < 4; ++lane)
                angles.push_back(lane == place ? other : 1.0f + float(lane));
    ExpectLibraryBits(angles);
}

// Pseudo-random angles: of any bits, and the directions particles take (degrees of a full turn and
// beyond, with wiggles, turned into radians as the motion does).
TEST(ParticleTrigTest, RandomAnglesGiveTheLibrarysBits)
{
    TestWords words{0x2545F4914F6CDD1Dull};
    auto next = [&] { return words.Next(); };
    std::vector<float> angles;
    for (int32_t i = 0; i < 200000; ++i)
        angles.push_back(std::bit_cast<float>(next()));
    for (int32_t i = 0; i < 400000; ++i) {
        float degrees = float(int32_t(next() % 1440000) - 360000) / 1000.0f;
        angles.push_back(degrees * 3.1415927410125732f / 180.0f);
    }
    ExpectLibraryBits(angles);
}

// Every 4099th float.
TEST(ParticleTrigTest, ASweepOfAllFloats)
{
    std::vector<float> angles;
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 4099)
        angles.push_back(std::bit_cast<float>(uint32_t(bits)));
    ExpectLibraryBits(angles);
}

} // namespace
