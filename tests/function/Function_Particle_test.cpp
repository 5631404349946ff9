// The Particle family, called by script name.
#include "Function_TestCases.h"
#include "base/Base_Random.h"
#include "particle/Particle_Effect.h"
#include "particle/Particle_System.h"

namespace {

using testsupport::CallReal;

class ParticleBuiltinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Particle_Init();
        Random_Seed(1);
    }
    void TearDown() override { Particle_Init(); }
};

TEST(ParticleFamily, RegistersItsMembersInOrder)
{
    functiontest::ExpectRegisteredRun(
        "part_type_create 0,part_type_destroy 1,part_type_exists 1,part_type_clear 1,part_type_shape 2,"
        "part_type_sprite 5,part_type_size 5,part_type_scale 3,part_type_life 3,part_type_step 3,part_type_death 3,"
        "part_type_speed 5,part_type_direction 5,part_type_orientation 6,part_type_gravity 3,"
        "part_type_color_mix 3,part_type_color_rgb 7,part_type_color_hsv 7,part_type_color1 2,part_type_color2 3,"
        "part_type_color3 4,part_type_color 4,part_type_alpha1 2,part_type_alpha2 3,part_type_alpha3 4,"
        "part_type_alpha 4,part_type_blend 2,part_system_create 0,part_system_destroy 1,part_system_exists 1,"
        "part_system_clear 1,part_system_draw_order 2,part_system_depth 2,part_system_position 3,"
        "part_system_automatic_update 2,part_system_automatic_draw 2,part_system_update 1,part_system_drawit 1,"
        "part_particles_create 5,part_particles_create_color 6,part_particles_clear 1,part_particles_count 1,"
        "part_emitter_create 1,part_emitter_destroy 2,part_emitter_destroy_all 1,part_emitter_exists 2,"
        "part_emitter_clear 2,part_emitter_region 8,part_emitter_burst 4,part_emitter_stream 4,"
        "part_attractor_create 1,part_attractor_destroy 2,part_attractor_destroy_all 1,part_attractor_exists 2,"
        "part_attractor_clear 2,part_attractor_position 4,part_attractor_force 6,part_destroyer_create 1,"
        "part_destroyer_destroy 2,part_destroyer_destroy_all 1,part_destroyer_exists 2,part_destroyer_clear 2,"
        "part_destroyer_region 7,part_deflector_create 1,part_deflector_destroy 2,part_deflector_destroy_all 1,"
        "part_deflector_exists 2,part_deflector_clear 2,part_deflector_region 6,part_deflector_kind 3,"
        "part_deflector_friction 3,part_changer_create 1,part_changer_destroy 2,part_changer_destroy_all 1,"
        "part_changer_exists 2,part_changer_clear 2,part_changer_region 7,part_changer_kind 3,"
        "part_changer_types 4,effect_create_below 5,effect_create_above 5,effect_clear 0");
    int32_t color = -1, color3 = -1, alpha = -1, alpha3 = -1;
    ASSERT_TRUE(Code_Function_Find("part_type_color", &color) && Code_Function_Find("part_type_color3", &color3));
    ASSERT_TRUE(Code_Function_Find("part_type_alpha", &alpha) && Code_Function_Find("part_type_alpha3", &alpha3));
    EXPECT_EQ(Function_Get(color)->routine, Function_Get(color3)->routine);
    EXPECT_EQ(Function_Get(alpha)->routine, Function_Get(alpha3)->routine);
}

TEST_F(ParticleBuiltinTest, ArgumentsAreRoundedAndFlagsComparedWithAHalf)
{
    int32_t t = int32_t(CallReal("part_type_create", {}));
    CallReal("part_type_life", {t, 10.5, 11.5});
    CallReal("part_type_sprite", {t, 3, 0.5, 0.4, 1});
    CallReal("part_type_alpha", {t, 0.25, 0.5, 0.75});
    CallReal("part_type_color", {t, 1, 2, 3});
    const ParticleType& type = *ParticleType_Get(t);
    EXPECT_EQ(type.lifeMin, 10);
    EXPECT_EQ(type.lifeMax, 12);
    EXPECT_EQ(type.sprite, 3);
    EXPECT_EQ(type.animate, 1);
    EXPECT_EQ(type.stretch, 0);
    EXPECT_EQ(type.randomFrame, 1);
    EXPECT_EQ(type.alphaMiddle, 0.5f);
    EXPECT_EQ(type.colourMode, PT_COLOUR_THREE);
    EXPECT_EQ(type.colour[2], 3);
    EXPECT_EQ(CallReal("part_type_exists", {t}), 1.0);
    EXPECT_EQ(CallReal("part_type_exists", {t + 1}), 0.0);
}

TEST_F(ParticleBuiltinTest, SystemsElementsAndCounts)
{
    int32_t s = int32_t(CallReal("part_system_create", {}));
    int32_t t = int32_t(CallReal("part_type_create", {}));
    EXPECT_EQ(CallReal("part_emitter_create", {s + 5}), -1.0);
    int32_t e = int32_t(CallReal("part_emitter_create", {s}));
    CallReal("part_emitter_region", {s, e, 0, 10, 0, 10, 1, 0});
    CallReal("part_emitter_burst", {s, e, t, 7});
    CallReal("part_particles_create_color", {s, 3, 4, t, 0xFF, 2});
    EXPECT_EQ(CallReal("part_particles_count", {s}), 9.0);
    EXPECT_EQ(CallReal("part_emitter_exists", {s, e}), 1.0);
    CallReal("part_particles_clear", {s});
    EXPECT_EQ(CallReal("part_particles_count", {s}), 0.0);
    EXPECT_EQ(CallReal("part_particles_count", {s + 1}), 0.0);
}

TEST_F(ParticleBuiltinTest, AboveAndBelowUseDifferentSystems)
{
    CallReal("effect_create_above", {EF_STAR, 10, 10, 1, 0xFF});
    CallReal("effect_create_below", {EF_STAR, 10, 10, 1, 0xFF});
    EXPECT_NE(Effect_AboveSystem(), Effect_BelowSystem());
    EXPECT_EQ(ParticleSystem_ParticleCount(Effect_AboveSystem()), 1);
    EXPECT_EQ(ParticleSystem_ParticleCount(Effect_BelowSystem()), 1);
    CallReal("effect_clear", {});
    EXPECT_EQ(ParticleSystem_ParticleCount(Effect_AboveSystem()) + ParticleSystem_ParticleCount(Effect_BelowSystem()), 0);
}

} // namespace
