// The Particle family, called by script name.
#include "Function_TestCases.h"
#include "base/Base_Random.h"
#include "particle/Particle_Effect.h"
#include "particle/Particle_System.h"

namespace {

using functiontest::Reals;
using testsupport::CallReal;

TEST(ParticleFamily, RegistersItsMembersInOrder)
{
    functiontest::ExpectRegisteredRun(
        "part_type_* create:0 destroy:1 exists:1 clear:1 ~ effect_* create_above:5 clear:0");
    EXPECT_EQ(functiontest::RoutineOf("part_type_color"), functiontest::RoutineOf("part_type_color3"));
    EXPECT_EQ(functiontest::RoutineOf("part_type_alpha"), functiontest::RoutineOf("part_type_alpha3"));
}

class ParticleBuiltinTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        Particle_Init();
        Random_Seed(1);
    }
    void TearDown() override { Particle_Init(); }
};

TEST_F(ParticleBuiltinTest, SystemsElementsCountsAndEffects)
{
    int32_t s = int32_t(CallReal("part_system_create", {}));
    int32_t t = int32_t(CallReal("part_type_create", {}));
    EXPECT_EQ(CallReal("part_emitter_create", {s + 5}), -1.0);
    int32_t e = int32_t(CallReal("part_emitter_create", {s}));
    CallReal("part_emitter_region", {s, e, 0, 10, 0, 10, 1, 0});
    CallReal("part_emitter_burst", {s, e, t, 7});
    CallReal("part_particles_create_color", {s, 3, 4, t, 0xFF, 2});
    EXPECT_EQ(Reals(9, 1), Reals(CallReal("part_particles_count", {s}), CallReal("part_emitter_exists", {s, e})));
    CallReal("part_particles_clear", {s});
    EXPECT_EQ(Reals(0, 0), Reals(CallReal("part_particles_count", {s}), CallReal("part_particles_count", {s + 1})));
    // Effects above and below go to systems of their own.
    CallReal("effect_create_above", {EF_STAR, 10, 10, 1, 0xFF});
    CallReal("effect_create_below", {EF_STAR, 10, 10, 1, 0xFF});
    EXPECT_NE(Effect_AboveSystem(), Effect_BelowSystem());
    EXPECT_EQ(Reals(1, 1), Reals(ParticleSystem_ParticleCount(Effect_AboveSystem()),
                                 ParticleSystem_ParticleCount(Effect_BelowSystem())));
    CallReal("effect_clear", {});
    EXPECT_EQ(ParticleSystem_ParticleCount(Effect_AboveSystem()) + ParticleSystem_ParticleCount(Effect_BelowSystem()), 0);
}

} // namespace
