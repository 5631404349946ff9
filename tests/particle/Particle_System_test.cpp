#include <cmath>

#include "../TestSupport_Console.h"
#include "ParticleTestSupport.h"

namespace {

using particletest::ParticleTest;

TEST_F(ParticleTest, ALifeOfOneDiesAtTheFirstUpdateAndSpawnsAreAgedInTheSamePass)
{
    int32_t s = ParticleSystem_Create();
    int32_t child = StillType(3);
    int32_t parent = StillType(1);
    ParticleType_SetDeath(parent, 2, child);
    ParticleSystem_CreateParticles(s, 10, 20, parent, 1);
    ParticleSystem_Update(s);
    ASSERT_EQ(ParticleSystem_ParticleCount(s), 2);
    EXPECT_EQ(At(s, 0).type, child);
    EXPECT_EQ(At(s, 0).age, 1); // born in the pass, aged in it
    EXPECT_EQ(At(s, 0).x, 10.0f);
    // Step particles likewise: a life-2 type stepping a life-1 child leaves only itself.
    int32_t stepper = StillType(5);
    ParticleType_SetStep(stepper, 1, StillType(1));
    ParticleSystem_ClearParticles(s);
    ParticleSystem_CreateParticles(s, 0, 0, stepper, 1);
    ParticleSystem_Update(s);
    EXPECT_EQ(ParticleSystem_ParticleCount(s), 1);
}

TEST_F(ParticleTest, NegativeStepNumberIsAChance)
{
    int32_t s = ParticleSystem_Create();
    int32_t t = StillType(100000);
    ParticleType_SetStep(t, -4, StillType(100000));
    ParticleSystem_CreateParticles(s, 0, 0, t, 100);
    for (int i = 0; i < 40; ++i) ParticleSystem_Update(s);
    // 100 particles x 40 steps / 4, give or take.
    EXPECT_NEAR(ParticleSystem_ParticleCount(s) - 100, 1000, 120);
}

TEST_F(ParticleTest, DirectionIsKeptWhenThereIsNoMotion)
{
    int32_t s = ParticleSystem_Create();
    int32_t t = StillType(100);
    ParticleType_SetDirection(t, 33, 33, 0, 0);
    ParticleSystem_CreateParticles(s, 5, 5, t, 1);
    ParticleSystem_Update(s);
    EXPECT_EQ(At(s, 0).direction, 33.0f);
    // An attractor whose pull does not reach: the vector is zero, the direction stays.
    int32_t a = ParticleAttractor_Create(s);
    ParticleAttractor_SetPosition(s, a, 500, 500);
    ParticleAttractor_SetForce(s, a, 1, 10, PS_FORCE_CONSTANT, true);
    ParticleSystem_Update(s);
    EXPECT_EQ(At(s, 0).direction, 33.0f);
    EXPECT_EQ(At(s, 0).speed, 0.0f);
}

TEST_F(ParticleTest, GravityTurnsTheMotionIntoADirectionAndSpeed)
{
    int32_t s = ParticleSystem_Create();
    int32_t t = StillType(100);
    ParticleType_SetGravity(t, 2, 270);
    ParticleSystem_CreateParticles(s, 0, 0, t, 1);
    ParticleSystem_Update(s);
    EXPECT_FLOAT_EQ(At(s, 0).direction, 270.0f);
    EXPECT_FLOAT_EQ(At(s, 0).speed, 2.0f);
    EXPECT_NEAR(At(s, 0).y, 2.0f, 1e-5);
    EXPECT_NEAR(At(s, 0).x, 0.0f, 1e-5);
}

TEST_F(ParticleTest, AStreamOfFiveWithLifeTenHoldsFifty)
{
    int32_t s = ParticleSystem_Create();
    int32_t t = StillType(10);
    int32_t e = ParticleEmitter_Create(s);
    ParticleEmitter_SetRegion(s, e, 0, 10, 0, 10, PS_SHAPE_RECTANGLE, PS_DISTR_LINEAR);
    ParticleEmitter_SetStream(s, e, t, 5);
    for (int i = 0; i < 30; ++i) ParticleSystem_Update(s);
    EXPECT_EQ(ParticleSystem_ParticleCount(s), 50);
}

TEST_F(ParticleTest, RemovalKeepsTheOrderOfTheSurvivors)
{
    int32_t s = ParticleSystem_Create();
    int32_t shortLived = StillType(1), longLived = StillType(9);
    for (int32_t t : {longLived, shortLived, longLived, shortLived}) ParticleSystem_CreateParticles(s, float(t), 0, t, 1);
    ParticleSystem_CreateParticles(s, 99, 0, longLived, 1);
    ParticleSystem_Update(s);
    ASSERT_EQ(ParticleSystem_ParticleCount(s), 3);
    EXPECT_EQ(At(s, 2).x, 99.0f);
}

TEST_F(ParticleTest, DepthsOfAutomaticallyDrawnSystems)
{
    EXPECT_EQ(ParticleSystem_MaxDepth(), -1000000000.0);
    int32_t a = ParticleSystem_Create(), b = ParticleSystem_Create(), c = ParticleSystem_Create();
    ParticleSystem_SetDepth(a, 10);
    ParticleSystem_SetDepth(b, -5);
    ParticleSystem_SetDepth(c, 50);
    ParticleSystem_SetAutomaticDraw(c, false);
    EXPECT_EQ(ParticleSystem_MaxDepth(), 10.0);
    EXPECT_EQ(ParticleSystem_NextDepthBelow(10), -5.0);
    EXPECT_EQ(ParticleSystem_NextDepthBelow(-5), -1000000000.0);
    ParticleSystem_Destroy(a);
    EXPECT_EQ(ParticleSystem_MaxDepth(), -5.0);
    EXPECT_EQ(ParticleSystem_Create(), a); // the freed slot, cleared
    EXPECT_EQ(ParticleSystem_Get(a)->depth, 0.0f);
}

TEST_F(ParticleTest, CreatingInAMissingSystemOrOfAMissingTypeLogs)
{
    testsupport::ConsoleCapture capture;
    int32_t t = StillType(5);
    int32_t s = ParticleSystem_Create();
    ParticleSystem_CreateParticles(s, 0, 0, t + 1, 3);
    ParticleSystem_CreateParticles(s + 1, 0, 0, t, 3);
    ParticleSystem_CreateParticles(s, 0, 0, t, 0);
    EXPECT_EQ(capture.console.text, "part_particles_create :: particle type does not exist!\n"
                                    "part_particles_create :: particle system does not exist!\n");
    EXPECT_EQ(ParticleSystem_ParticleCount(s), 0);
    ParticleSystem_CreateParticlesColor(s, 0, 0, t, 0x123456, 2);
    EXPECT_EQ(At(s, 1).colour, 0x123456u);
}

TEST_F(ParticleTest, ASelfFeedingTypeStopsAtTheCreationLimitOfOnePass)
{
    testsupport::ConsoleCapture capture;
    int32_t s = ParticleSystem_Create();
    int32_t t = StillType(1);
    ParticleType_SetDeath(t, 1, t); // each death is born and dies in the same pass, forever
    ParticleSystem_CreateParticles(s, 0, 0, t, 1);
    ParticleSystem_Update(s);
    EXPECT_EQ(ParticleSystem_ParticleCount(s), 0);
    EXPECT_EQ(capture.console.text, "part_system_update :: more than 1000000 particles created in one step, the "
                                    "rest are not created\n");
    // A finite chain is untouched: 1 -> 2 -> 4 in one pass, all dying but the last four.
    int32_t last = StillType(5), middle = StillType(1), first = StillType(1);
    ParticleType_SetDeath(first, 2, middle);
    ParticleType_SetDeath(middle, 2, last);
    ParticleSystem_CreateParticles(s, 0, 0, first, 1);
    ParticleSystem_Update(s);
    EXPECT_EQ(ParticleSystem_ParticleCount(s), 4);
}

TEST_F(ParticleTest, AutomaticUpdateSkipsSystemsThatAreOff)
{
    int32_t on = ParticleSystem_Create(), off = ParticleSystem_Create();
    int32_t t = StillType(1);
    ParticleSystem_CreateParticles(on, 0, 0, t, 1);
    ParticleSystem_CreateParticles(off, 0, 0, t, 1);
    ParticleSystem_SetAutomaticUpdate(off, false);
    ParticleSystem_UpdateAll();
    EXPECT_EQ(ParticleSystem_ParticleCount(on), 0);
    EXPECT_EQ(ParticleSystem_ParticleCount(off), 1);
}

} // namespace
