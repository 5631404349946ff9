#include <cmath>

#include "ParticleTestSupport.h"
#include "particle/Particle_Effect.h"

namespace {

using particletest::ParticleTest;

class ParticleEffectTest : public ParticleTest {
protected:
    void Create(bool below, int32_t kind, double x, float y, int32_t size, uint32_t colour)
    {
        Effect_CreateIn(setting, below, kind, x, y, size, colour);
    }
    EffectSetting setting;
};

TEST_F(ParticleEffectTest, TheTimeScaleFollowsRoomSpeedAndFrameRate)
{
    struct {
        int32_t speed, fps;
        float scale;
    } cases[] = {{30, 30, 1}, {20, 60, 1}, {60, 60, 0.5f}, {60, 20, 1}, {60, 40, 0.75f}, {90, 60, 0.5f}};
    for (const auto& c : cases) EXPECT_FLOAT_EQ(Effect_ScaleFor(c.speed, c.fps), c.scale) << c.speed << " at " << c.fps;
    // Without a room the speed counts as 30.
    EXPECT_EQ(Effect_Scale(), 1.0f);
}

TEST_F(ParticleEffectTest, AtSixtyParticlesMoveHalfAsFarAndLiveTwiceAsLong)
{
    struct {
        int32_t speed;
        float step;
        int32_t life;
    } cases[] = {{30, 7.0f, 96}, {60, 3.5f, 192}};
    for (const auto& c : cases) {
        setting.scale = Effect_ScaleFor(c.speed, c.speed);
        Create(false, EF_RAIN, 0, 0, 0, 0xFF);
        int32_t s = Effect_AboveSystem();
        const Particle first = At(s, 0);
        EXPECT_EQ(first.life, c.life);
        ParticleSystem_Update(s);
        EXPECT_NEAR(std::hypot(At(s, 0).x - first.x, At(s, 0).y - first.y), c.step, 1e-3);
        Effect_Clear();
    }
}

TEST_F(ParticleEffectTest, RainIgnoresThePointAndFallsFromAboveTheRoom)
{
    setting.roomWidth = 200;
    Create(true, EF_RAIN, 5000, 5000, 2, 0);
    int32_t s = Effect_BelowSystem();
    ASSERT_EQ(ParticleSystem_ParticleCount(s), 9);
    for (int32_t i = 0; i < 9; ++i) {
        EXPECT_TRUE(At(s, i).x >= 0 && At(s, i).x < 240) << At(s, i).x;
        EXPECT_TRUE(At(s, i).y >= -30 && At(s, i).y < -10) << At(s, i).y;
    }
    EXPECT_EQ(ParticleSystem_Get(s)->depth, 100000.0f);
    EXPECT_EQ(ParticleSystem_Get(Effect_AboveSystem())->depth, -100000.0f);
}

TEST_F(ParticleEffectTest, KindsSizesAndSystems)
{
    // Particles of each kind and size, in the system the flag picks.
    struct {
        int32_t kind, size, count;
    } cases[] = {{EF_EXPLOSION, 0, 21}, {EF_FIREWORK, 2, 250}, {EF_FIREWORK, 7, 150}, {EF_SMOKE, 1, 11},
                 {EF_SNOW, 1, 3},       {EF_STAR, 0, 1},       {EF_CLOUD, 2, 1},      {12, 1, 0},
                 {-1, 1, 0}};
    for (const auto& c : cases) {
        Create(c.kind % 2 == 0, c.kind, 50, 50, c.size, 0x00FF00);
        EXPECT_EQ(ParticleSystem_ParticleCount(Effect_BelowSystem()) + ParticleSystem_ParticleCount(Effect_AboveSystem()),
                  c.count)
            << c.kind << " size " << c.size;
        EXPECT_EQ(ParticleSystem_ParticleCount(c.kind % 2 == 0 ? Effect_AboveSystem() : Effect_BelowSystem()), 0);
        Effect_Clear();
    }
    // The explosion's last particle is black; the others take the colour.
    Create(false, EF_EXPLOSION, 50, 50, 1, 0x00FF00);
    EXPECT_EQ(At(Effect_AboveSystem(), 0).colour, 0x00FF00u);
    EXPECT_EQ(At(Effect_AboveSystem(), 20).colour, 0u);
}

TEST_F(ParticleEffectTest, TwoSizesInOneStepKeepTheirOwnParameters)
{
    Create(false, EF_RING, 0, 0, 0, 0);
    Create(false, EF_RING, 0, 0, 2, 0);
    int32_t s = Effect_AboveSystem();
    ParticleSystem_Update(s);
    EXPECT_FLOAT_EQ(At(s, 0).size, 0.15f);
    EXPECT_FLOAT_EQ(At(s, 1).size, 0.4f);
    EXPECT_TRUE(At(s, 0).life >= 10 && At(s, 0).life <= 12);
    EXPECT_TRUE(At(s, 1).life >= 18 && At(s, 1).life <= 20);
}

} // namespace
