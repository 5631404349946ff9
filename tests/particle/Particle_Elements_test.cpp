#include <cmath>

#include "ParticleTestSupport.h"

namespace {

using particletest::ParticleTest;

class ParticleElementsTest : public ParticleTest {
protected:
    void SetUp() override
    {
        ParticleTest::SetUp();
        system = ParticleSystem_Create();
        type = StillType(1000);
    }
    // Bursts n particles from an emitter of the region, shape and distribution.
    void Burst(float xMin, float xMax, float yMin, float yMax, int32_t shape, int32_t distribution, int32_t n)
    {
        int32_t e = ParticleEmitter_Create(system);
        ParticleEmitter_SetRegion(system, e, xMin, xMax, yMin, yMax, shape, distribution);
        ParticleEmitter_Burst(system, e, type, n);
    }
    // The share of particles within `radius` of (50, 50) in a 100 x 100 region.
    double ShareNearCentre(float radius)
    {
        int32_t near = 0, count = ParticleSystem_ParticleCount(system);
        for (int32_t i = 0; i < count; ++i)
            near += std::hypot(At(system, i).x - 50.0f, At(system, i).y - 50.0f) < radius ? 1 : 0;
        return double(near) / count;
    }
    int32_t system = -1;
    int32_t type = -1;
};

TEST_F(ParticleElementsTest, ListsReuseSlotsAndRefuseBadSystems)
{
    EXPECT_EQ(ParticleEmitter_Create(system + 1), -1);
    EXPECT_EQ(ParticleChanger_Create(-1), -1);
    EXPECT_EQ(ParticleDeflector_Create(system), 0);
    EXPECT_EQ(ParticleDeflector_Create(system), 1);
    ParticleDeflector_Destroy(system, 0);
    EXPECT_FALSE(ParticleDeflector_Exists(system, 0));
    EXPECT_EQ(ParticleDeflector_Create(system), 0);
    ParticleDeflector_DestroyAll(system);
    EXPECT_FALSE(ParticleDeflector_Exists(system, 1));
    int32_t a = ParticleAttractor_Create(system);
    ParticleAttractor_SetForce(system, a, 3, 4, PS_FORCE_LINEAR, false);
    ParticleAttractor_Clear(system, a);
    EXPECT_EQ(ParticleSystem_Get(system)->attractors[0].additive, 1);
    EXPECT_EQ(ParticleSystem_Get(system)->changers.size(), 0u);
}

TEST_F(ParticleElementsTest, APointRegionEmitsEveryParticleAtThePoint)
{
    Burst(7, 7, 9, 9, PS_SHAPE_ELLIPSE, PS_DISTR_GAUSSIAN, 20);
    ASSERT_EQ(ParticleSystem_ParticleCount(system), 20);
    for (int32_t i = 0; i < 20; ++i) {
        EXPECT_EQ(At(system, i).x, 7.0f);
        EXPECT_EQ(At(system, i).y, 9.0f);
    }
}

TEST_F(ParticleElementsTest, EllipseDistributionsGatherInTheMiddleOrAtTheEdge)
{
    Burst(0, 100, 0, 100, PS_SHAPE_ELLIPSE, PS_DISTR_GAUSSIAN, 4000);
    for (int32_t i = 0; i < 4000; ++i)
        ASSERT_LE(std::hypot(At(system, i).x - 50.0f, At(system, i).y - 50.0f), 50.01f);
    double gaussian = ShareNearCentre(20);
    ParticleSystem_ClearParticles(system);
    Burst(0, 100, 0, 100, PS_SHAPE_ELLIPSE, PS_DISTR_INVGAUSSIAN, 4000);
    double inverse = ShareNearCentre(20);
    ParticleSystem_ClearParticles(system);
    Burst(0, 100, 0, 100, PS_SHAPE_ELLIPSE, PS_DISTR_LINEAR, 4000);
    double linear = ShareNearCentre(20);
    EXPECT_NEAR(linear, 0.16, 0.03); // the area share of the inner disk
    EXPECT_GT(gaussian, linear + 0.2);
    EXPECT_LT(inverse, linear - 0.08);
}

TEST_F(ParticleElementsTest, LineAndDiamondShapes)
{
    Burst(0, 10, 0, 20, PS_SHAPE_LINE, PS_DISTR_LINEAR, 50);
    for (int32_t i = 0; i < 50; ++i) EXPECT_NEAR(At(system, i).y, 2.0f * At(system, i).x, 1e-4);
    ParticleSystem_ClearParticles(system);
    Burst(0, 10, 0, 10, PS_SHAPE_DIAMOND, PS_DISTR_LINEAR, 200);
    for (int32_t i = 0; i < 200; ++i)
        EXPECT_LE(std::fabs(At(system, i).x - 5.0f) + std::fabs(At(system, i).y - 5.0f), 5.001f);
}

TEST_F(ParticleElementsTest, NegativeStreamIsOneParticleInThatManySteps)
{
    int32_t e = ParticleEmitter_Create(system);
    ParticleType_SetLife(type, 100000, 100000);
    ParticleEmitter_SetStream(system, e, type, -10);
    for (int i = 0; i < 2000; ++i) ParticleSystem_Update(system);
    EXPECT_NEAR(ParticleSystem_ParticleCount(system), 200, 45);
}

TEST_F(ParticleElementsTest, DeflectorsBounceAndFrictionStops)
{
    int32_t t = StillType(100);
    ParticleType_SetSpeed(t, 2, 2, 0, 0);
    ParticleType_SetDirection(t, 0, 0, 0, 0);
    int32_t d = ParticleDeflector_Create(system);
    ParticleDeflector_SetRegion(system, d, 10, 20, 0, 10);
    ParticleDeflector_SetKind(system, d, PS_DEFLECT_HORIZONTAL);
    ParticleSystem_CreateParticles(system, 9, 5, t, 1);
    ParticleSystem_Update(system); // 9 -> 11, inside: mirrored back to 7, heading 180
    EXPECT_FLOAT_EQ(At(system, 0).x, 7.0f);
    EXPECT_FLOAT_EQ(At(system, 0).direction, 180.0f);
    EXPECT_FLOAT_EQ(At(system, 0).speed, 2.0f);
    // Friction above the speed: stopped, and not moved further than the bounce.
    ParticleSystem_ClearParticles(system);
    ParticleDeflector_SetFriction(system, d, 5);
    ParticleSystem_CreateParticles(system, 9, 5, t, 1);
    ParticleSystem_Update(system);
    EXPECT_EQ(At(system, 0).speed, 0.0f);
    ParticleSystem_Update(system);
    EXPECT_FLOAT_EQ(At(system, 0).x, 7.0f);
}

TEST_F(ParticleElementsTest, ChangersByKind)
{
    int32_t from = StillType(50), to = StillType(500);
    ParticleType_SetColor1(from, 0x111111);
    ParticleType_SetColor1(to, 0x222222);
    ParticleType_SetSpeed(to, 0, 0, 0, 0);
    ParticleType_SetDirection(to, 45, 45, 0, 0);
    ParticleType_SetSize(to, 3, 3, 0, 0);
    int32_t c = ParticleChanger_Create(system);
    ParticleChanger_SetRegion(system, c, 0, 10, 0, 10, PS_SHAPE_RECTANGLE);
    ParticleChanger_SetTypes(system, c, from, to);
    struct {
        int32_t kind;
        int32_t age;
        uint32_t colour;
        float direction, size;
        int32_t life;
    } cases[] = {{PS_CHANGE_MOTION, 1, 0x111111, 45, 1, 50},
                 {PS_CHANGE_SHAPE, 1, 0x222222, 0, 3, 50},
                 {PS_CHANGE_ALL, 0, 0x222222, 45, 3, 500}};
    for (const auto& k : cases) {
        ParticleSystem_ClearParticles(system);
        ParticleChanger_SetKind(system, c, k.kind);
        ParticleSystem_CreateParticles(system, 5, 5, from, 1);
        ParticleSystem_Update(system);
        const Particle& p = At(system, 0);
        EXPECT_EQ(p.type, to) << k.kind;
        EXPECT_EQ(p.age, k.age) << k.kind;
        EXPECT_EQ(p.colour, k.colour) << k.kind;
        EXPECT_EQ(p.direction, k.direction) << k.kind;
        EXPECT_EQ(p.size, k.size) << k.kind;
        EXPECT_EQ(p.life, k.life) << k.kind;
    }
}

TEST_F(ParticleElementsTest, AChangerToAMissingTypeChangesNothing)
{
    int32_t c = ParticleChanger_Create(system);
    ParticleChanger_SetRegion(system, c, 0, 10, 0, 10, PS_SHAPE_RECTANGLE);
    ParticleSystem_CreateParticles(system, 5, 5, type, 1);
    for (int32_t to : {-1, 99}) {
        ParticleChanger_SetTypes(system, c, type, to);
        ParticleSystem_Update(system);
        EXPECT_EQ(At(system, 0).type, type) << to;
    }
}

TEST_F(ParticleElementsTest, LinearAttractorHasNoPullAtItsDistanceNorAtZero)
{
    int32_t a = ParticleAttractor_Create(system);
    ParticleAttractor_SetPosition(system, a, 10, 0);
    ParticleAttractor_SetForce(system, a, 4, 10, PS_FORCE_LINEAR, false);
    struct {
        float x, moved;
    } cases[] = {{0, 0}, {10, 0}, {5, 2}};
    for (const auto& k : cases) {
        ParticleSystem_ClearParticles(system);
        ParticleSystem_CreateParticles(system, k.x, 0, type, 1);
        ParticleSystem_Update(system);
        EXPECT_FLOAT_EQ(At(system, 0).x - k.x, k.moved) << k.x;
    }
    // Additive: the pull joins the motion and stays in the speed.
    ParticleAttractor_SetForce(system, a, 4, 10, PS_FORCE_CONSTANT, true);
    ParticleSystem_ClearParticles(system);
    ParticleSystem_CreateParticles(system, 5, 0, type, 1);
    ParticleSystem_Update(system);
    EXPECT_FLOAT_EQ(At(system, 0).speed, 4.0f);
    EXPECT_FLOAT_EQ(At(system, 0).direction, 0.0f);
}

TEST_F(ParticleElementsTest, EachDestroyerShapeKillsItsArea)
{
    // Points in a 0..10 box: the centre, a corner, and an edge midpoint just inside the diamond.
    struct {
        int32_t shape;
        bool centre, corner, edge;
    } cases[] = {{PS_SHAPE_RECTANGLE, true, true, true},
                 {PS_SHAPE_ELLIPSE, true, false, true},
                 {PS_SHAPE_DIAMOND, true, false, true},
                 {PS_SHAPE_LINE, false, false, false}};
    for (const auto& k : cases) {
        ParticleSystem_ClearParticles(system);
        ParticleDestroyer_DestroyAll(system);
        int32_t d = ParticleDestroyer_Create(system);
        ParticleDestroyer_SetRegion(system, d, 0, 10, 0, 10, k.shape);
        ParticleSystem_CreateParticles(system, 5, 5, type, 1);
        ParticleSystem_CreateParticles(system, 9.5f, 9.5f, type, 1);
        ParticleSystem_CreateParticles(system, 5, 0.5f, type, 1);
        ParticleSystem_Update(system);
        int32_t survivors = 3 - int(k.centre) - int(k.corner) - int(k.edge);
        EXPECT_EQ(ParticleSystem_ParticleCount(system), survivors) << k.shape;
    }
}

} // namespace
