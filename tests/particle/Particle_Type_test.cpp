#include <cmath>

#include "ParticleTestSupport.h"

namespace {

using particletest::ParticleTest;

TEST_F(ParticleTest, SlotsAreReusedFirstFreeFirstAndBadIndicesIgnored)
{
    EXPECT_EQ(ParticleType_Create(), 0);
    EXPECT_EQ(ParticleType_Create(), 1);
    EXPECT_EQ(ParticleType_Create(), 2);
    ParticleType_Destroy(1);
    EXPECT_FALSE(ParticleType_Exists(1));
    EXPECT_EQ(ParticleType_Create(), 1);
    EXPECT_EQ(ParticleType_Create(), 3);
    for (int32_t bad : {-1, 4, 1000}) {
        EXPECT_FALSE(ParticleType_Exists(bad));
        ParticleType_SetLife(bad, 1, 1); // ignored, no crash
    }
}

TEST_F(ParticleTest, ClearKeepsTheLastThreeColoursAndBlendWhileANewSlotHasThemZero)
{
    int32_t t = ParticleType_Create();
    const int32_t rgb[6] = {1, 2, 3, 4, 5, 6};
    ParticleType_SetColorRgb(t, rgb);
    ParticleType_SetBlend(t, true);
    ParticleType_SetSprite(t, 3, false, true, true);
    ParticleType_Clear(t);
    const ParticleType* type = ParticleType_Get(t);
    EXPECT_EQ(type->colourMode, PT_COLOUR_ONE);
    EXPECT_EQ(type->colour[0], 0xFFFFFF);
    EXPECT_EQ(type->colour[2], 0xFFFFFF);
    EXPECT_EQ(type->colour[3], 4);
    EXPECT_EQ(type->colour[5], 6);
    EXPECT_EQ(type->additive, 1);
    EXPECT_EQ(type->sprite, -1);
    EXPECT_EQ(type->animate, 1);
    EXPECT_EQ(type->gravityDirection, 270.0f);
    // A destroyed slot handed out again keeps them too; a brand-new slot starts at 0.
    ParticleType_Destroy(t);
    EXPECT_EQ(ParticleType_Create(), t);
    EXPECT_EQ(ParticleType_Get(t)->colour[4], 5);
    const ParticleType* fresh = ParticleType_Get(ParticleType_Create());
    EXPECT_EQ(fresh->colour[3], 0);
    EXPECT_EQ(fresh->additive, 0);
}

TEST_F(ParticleTest, ShapeDropsTheSpriteAndSpriteKeepsTheShape)
{
    int32_t t = ParticleType_Create();
    ParticleType_SetShape(t, PT_SHAPE_STAR);
    ParticleType_SetSprite(t, 2, true, false, false);
    EXPECT_EQ(ParticleType_Get(t)->shape, PT_SHAPE_STAR);
    EXPECT_EQ(ParticleType_Get(t)->sprite, 2);
    ParticleType_SetShape(t, PT_SHAPE_DISK);
    EXPECT_EQ(ParticleType_Get(t)->sprite, -1);
}

TEST_F(ParticleTest, AlphaTwoIsLinearThroughTheMeanMiddle)
{
    int32_t t = ParticleType_Create();
    ParticleType_SetAlpha2(t, 1.0f, 0.0f);
    const ParticleType& type = *ParticleType_Get(t);
    EXPECT_FLOAT_EQ(type.alphaMiddle, 0.5f);
    struct {
        int32_t age, life;
        float alpha;
    } cases[] = {{0, 100, 1.0f}, {25, 100, 0.75f}, {50, 100, 0.5f}, {75, 100, 0.25f}, {100, 100, 0.0f}, {3, 0, 0.5f}};
    for (const auto& c : cases) {
        Particle p;
        p.age = c.age;
        p.life = c.life;
        EXPECT_FLOAT_EQ(Particle_Alpha(type, p), c.alpha) << c.age << "/" << c.life;
    }
}

TEST_F(ParticleTest, RandomOfAnEmptyOrReversedRangeIsTheMinimum)
{
    for (int32_t distribution : {0, 1, 2, 7}) {
        EXPECT_EQ(Particle_Random(5.0f, 5.0f, distribution), 5.0f);
        EXPECT_EQ(Particle_Random(5.0f, 3.0f, distribution), 5.0f);
    }
}

TEST_F(ParticleTest, DistributionsHaveTheirShapes)
{
    // Ten bins over 0..10: linear flat, gaussian heaped in the middle, inverse gaussian at the ends.
    auto histogram = [](int32_t distribution) {
        std::vector<int> bins(10, 0);
        for (int i = 0; i < 20000; ++i) {
            float v = Particle_Random(0.0f, 10.0f, distribution);
            EXPECT_TRUE(v >= 0.0f && v <= 10.0f) << v;
            ++bins[size_t(std::min(9, int(v)))];
        }
        return bins;
    };
    std::vector<int> linear = histogram(PS_DISTR_LINEAR);
    for (int count : linear) EXPECT_NEAR(count, 2000, 250);
    std::vector<int> gaussian = histogram(PS_DISTR_GAUSSIAN);
    EXPECT_GT(gaussian[4] + gaussian[5], 6 * (gaussian[0] + gaussian[9]));
    std::vector<int> inverse = histogram(PS_DISTR_INVGAUSSIAN);
    EXPECT_GT(inverse[0] + inverse[9], 6 * (inverse[4] + inverse[5]));
}

TEST_F(ParticleTest, ColourModesAtBirthAndOverTheLife)
{
    int32_t t = ParticleType_Create();
    ParticleType_SetColor2(t, 0x000000, 0x0000FF);
    Particle p = Particle_Born(*ParticleType_Get(t), t, 0, 0);
    p.life = 10;
    EXPECT_EQ(p.colour, 0x000000u);
    p.age = 5;
    EXPECT_EQ(Particle_Colour(*ParticleType_Get(t), p), 0x000080u);
    p.age = 20; // clamped at the end colour
    EXPECT_EQ(Particle_Colour(*ParticleType_Get(t), p), 0x0000FFu);

    ParticleType_SetColor3(t, 0x0000FF, 0x00FF00, 0xFF0000);
    p.age = 5;
    EXPECT_EQ(Particle_Colour(*ParticleType_Get(t), p), 0x00FF00u);
    p.age = 10;
    EXPECT_EQ(Particle_Colour(*ParticleType_Get(t), p), 0xFF0000u);

    // RGB ranges: each particle its own colour, kept for its whole life.
    const int32_t rgb[6] = {0, 255, 0, 255, 0, 255};
    ParticleType_SetColorRgb(t, rgb);
    Particle a = Particle_Born(*ParticleType_Get(t), t, 0, 0);
    Particle b = Particle_Born(*ParticleType_Get(t), t, 0, 0);
    EXPECT_NE(a.colour, b.colour);
    a.life = 10;
    a.age = 7;
    EXPECT_EQ(Particle_Colour(*ParticleType_Get(t), a), a.colour);
}

} // namespace
