// Particle types, systems and their elements, and the simple effects, over a fresh particle layer
// and generator per test.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "base/Base_Random.h"
#include "particle/Particle_Effect.h"
#include "particle/Particle_Elements.h"
#include "particle/Particle_System.h"

namespace {

class ParticleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Particle_Init();
        Random_Seed(1);
        s = ParticleSystem_Create();
    }
    void TearDown() override { Particle_Init(); }
    // A type of fixed life that does not move.
    static int32_t StillType(int32_t life)
    {
        int32_t type = ParticleType_Create();
        ParticleType_SetLife(type, life, life);
        return type;
    }
    static const Particle& At(int32_t system, int32_t index) { return ParticleSystem_Get(system)->Live()[index]; }
    int32_t Count() const { return ParticleSystem_ParticleCount(s); }
    // One particle of the type at (x, y), then one update.
    const Particle& OneStep(float x, float y, int32_t type)
    {
        ParticleSystem_ClearParticles(s);
        ParticleSystem_CreateParticles(s, x, y, type, 1);
        ParticleSystem_Update(s);
        return At(s, 0);
    }
    int32_t s = -1;
};

TEST_F(ParticleTest, TypeSlotsAreReusedAndClearKeepsTheLastThreeColours)
{
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2}),
              (std::vector<int32_t>{ParticleType_Create(), ParticleType_Create(), ParticleType_Create()}));
    ParticleType_Destroy(1);
    EXPECT_FALSE(ParticleType_Exists(1));
    EXPECT_EQ(1, ParticleType_Create());
    for (int32_t bad : {-1, 3, 1000}) ParticleType_SetLife(bad, 1, 1); // ignored, no crash
    const int32_t rgb[6] = {1, 2, 3, 4, 5, 6};
    ParticleType_SetColorRgb(1, rgb);
    ParticleType_Clear(1);
    const ParticleType* type = ParticleType_Get(1);
    EXPECT_EQ((std::vector<int32_t>{PT_COLOUR_ONE, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 4, 5, 6}),
              (std::vector<int32_t>{type->colourMode, type->colour[0], type->colour[1], type->colour[2], type->colour[3], type->colour[4], type->colour[5]}));
    // A destroyed slot handed out again keeps them too.
    ParticleType_Destroy(1);
    EXPECT_EQ(1, ParticleType_Create());
    EXPECT_EQ(5, ParticleType_Get(1)->colour[4]);
}

TEST_F(ParticleTest, AlphaColourAndRandomOverTheLife)
{
    int32_t t = ParticleType_Create();
    const ParticleType& type = *ParticleType_Get(t);
    ParticleType_SetAlpha2(t, 1.0f, 0.0f);
    Particle p;
    struct { int32_t age, life; float alpha; } alphas[] = {{0, 100, 1}, {25, 100, 0.75f}, {100, 100, 0}, {3, 0, 0.5f}};
    for (const auto& c : alphas) {
        p.age = c.age;
        p.life = c.life;
        EXPECT_FLOAT_EQ(c.alpha, Particle_Alpha(type, p)) << c.age << "/" << c.life;
    }
    // Two colours clamp at the end; three pass through the middle one.
    struct { int32_t colours, age; uint32_t colour; } colours[] = {{2, 0, 0}, {2, 5, 0x000080}, {2, 20, 0x0000FF}, {3, 5, 0x00FF00}, {3, 10, 0xFF0000}};
    p.life = 10;
    for (const auto& c : colours) {
        if (c.colours == 2) ParticleType_SetColor2(t, 0x000000, 0x0000FF);
        else ParticleType_SetColor3(t, 0x0000FF, 0x00FF00, 0xFF0000);
        p.age = c.age;
        EXPECT_EQ(c.colour, Particle_Colour(type, p)) << c.colours << " at " << c.age;
    }
    // A reversed range gives the minimum; gaussian heaps in the middle, inverse gaussian at the ends.
    for (int32_t distribution : {0, 1, 2, 7}) EXPECT_EQ(5.0f, Particle_Random(5.0f, 3.0f, distribution));
    int middle[3] = {};
    for (int32_t d : {PS_DISTR_GAUSSIAN, PS_DISTR_INVGAUSSIAN})
        for (int i = 0; i < 20000; ++i) middle[d] += std::fabs(Particle_Random(0.0f, 10.0f, d) - 5.0f) < 1.0f;
    EXPECT_GT(middle[PS_DISTR_GAUSSIAN], 2 * middle[PS_DISTR_INVGAUSSIAN]);
}

TEST_F(ParticleTest, DeathsStepsAndStreamsAreAgedInThePassThatMadeThem)
{
    int32_t child = StillType(3), parent = StillType(1);
    ParticleType_SetDeath(parent, 2, child);
    EXPECT_EQ(child, OneStep(10, 20, parent).type);
    ASSERT_EQ(2, Count());
    EXPECT_EQ(1, At(s, 0).age); // born in the pass, aged in it
    // Survivors keep their order.
    ParticleSystem_ClearParticles(s);
    int32_t shortLived = StillType(1), longLived = StillType(9);
    for (int32_t t : {longLived, shortLived, longLived, shortLived, longLived}) ParticleSystem_CreateParticles(s, float(Count()), 0, t, 1);
    ParticleSystem_Update(s);
    ASSERT_EQ(3, Count());
    EXPECT_EQ(4.0f, At(s, 2).x);
    // A stream of five with life ten holds fifty; a negative stream or step number is a chance.
    ParticleSystem_ClearParticles(s);
    int32_t e = ParticleEmitter_Create(s);
    ParticleEmitter_SetRegion(s, e, 0, 10, 0, 10, PS_SHAPE_RECTANGLE, PS_DISTR_LINEAR);
    ParticleEmitter_SetStream(s, e, StillType(10), 5);
    for (int i = 0; i < 30; ++i) ParticleSystem_Update(s);
    EXPECT_EQ(50, Count());
    ParticleEmitter_SetStream(s, e, StillType(100000), -10);
    ParticleSystem_ClearParticles(s);
    for (int i = 0; i < 2000; ++i) ParticleSystem_Update(s);
    EXPECT_NEAR(200, Count(), 45);
}

// Runs of the dead at the front, in the middle and at the end leave the survivors in their order.
TEST_F(ParticleTest, RemovalKeepsTheOrderOfSurvivorsWhateverTheRunsOfDead)
{
    int32_t dies = StillType(1), lives = StillType(9);
    for (const char* pattern : {"DDDLLL", "LLLDDD", "LDLDLD", "DLLDDLLLD", "DDDD", "LLLL", "L", "D"}) {
        ParticleSystem_ClearParticles(s);
        std::vector<float> survivors;
        for (const char* c = pattern; *c != 0; ++c) {
            float x = float(c - pattern);
            ParticleSystem_CreateParticles(s, x, 0, *c == 'L' ? lives : dies, 1);
            if (*c == 'L') survivors.push_back(x);
        }
        ParticleSystem_Update(s);
        ASSERT_EQ(int32_t(survivors.size()), Count()) << pattern;
        for (int32_t i = 0; i < Count(); ++i) EXPECT_EQ(survivors[size_t(i)], At(s, i).x) << pattern;
    }
}

// Over many steps with particles created between them, the live ones are those a plain list keeps
// (each dies at its life's last step, the others keep their order), whether the dead are at the
// front (the start moves on), among the living or all of them, and whether the array slides back or
// grows to make room; the live records stay inside the array.
TEST_F(ParticleTest, StreamsLeaveTheirDeadBehindAndSlideBackForRoom)
{
    struct Case {
        const char* name;
        std::vector<int32_t> lives; // of the particles made, in turn
        int32_t perStep, madeSteps, steps;
    };
    const Case cases[] = {
        {"steady stream", {6}, 7, 60, 60},     {"mixed lives", {3, 8, 1, 5, 2}, 5, 40, 45},
        {"dying out", {1, 2, 3, 4}, 20, 1, 6}, {"long and short", {40, 1}, 30, 50, 50},
        {"one at a time", {2}, 1, 30, 35},
    };
    std::vector<int32_t> typeOfLife(41, -1);
    for (const Case& c : cases) {
        ParticleSystem_ClearParticles(s);
        std::vector<std::pair<float, int32_t>> model; // x, steps left
        int32_t made = 0;
        for (int32_t step = 0; step < c.steps; ++step) {
            for (int32_t k = 0; step < c.madeSteps && k < c.perStep; ++k, ++made) {
                int32_t life = c.lives[size_t(made) % c.lives.size()];
                if (typeOfLife[size_t(life)] < 0) typeOfLife[size_t(life)] = StillType(life);
                ParticleSystem_CreateParticles(s, float(made), 0, typeOfLife[size_t(life)], 1);
                model.push_back({float(made), life});
            }
            ParticleSystem_Update(s);
            std::vector<std::pair<float, int32_t>> left;
            for (auto [x, stepsLeft] : model)
                if (stepsLeft > 1) left.push_back({x, stepsLeft - 1});
            model = left;
            const ParticleSystem* record = ParticleSystem_Get(s);
            ASSERT_EQ(int32_t(model.size()), record->count) << c.name << " step " << step;
            ASSERT_LE(size_t(record->first) + size_t(record->count), record->particles.size()) << c.name;
            for (int32_t i = 0; i < record->count; ++i)
                ASSERT_EQ(model[size_t(i)].first, At(s, i).x) << c.name << " step " << step << " index " << i;
        }
    }
}

// A burst of a type that does not exist creates nothing and says so once for each particle asked for.
TEST_F(ParticleTest, BurstOfAMissingTypeLogsEachParticle)
{
    int32_t e = ParticleEmitter_Create(s);
    ParticleEmitter_SetRegion(s, e, 0, 10, 0, 10, PS_SHAPE_RECTANGLE, PS_DISTR_LINEAR);
    testsupport::ConsoleCapture capture;
    ParticleEmitter_Burst(s, e, 99, 3);
    EXPECT_EQ(0, Count());
    std::string line = "part_particles_create :: particle type does not exist!\n";
    EXPECT_EQ(line + line + line, capture.console.text);
    ParticleEmitter_Burst(s, e, StillType(5), 3);
    EXPECT_EQ(3, Count());
}

TEST_F(ParticleTest, MotionGravityAttractorsAndDeflectors)
{
    int32_t t = StillType(100);
    ParticleType_SetGravity(t, 2, 270);
    const Particle& fallen = OneStep(0, 0, t);
    EXPECT_EQ((std::vector<float>{270, 2, 0, 2}), (std::vector<float>{fallen.direction, fallen.speed, std::round(fallen.x), std::round(fallen.y)}));
    // A linear attractor has no pull at its distance nor at zero; additive, the pull stays in the
    // speed, and out of reach it is a zero vector that keeps the direction.
    int32_t still = StillType(1000);
    ParticleType_SetDirection(still, 33, 33, 0, 0);
    int32_t a = ParticleAttractor_Create(s);
    ParticleAttractor_SetPosition(s, a, 10, 0);
    ParticleAttractor_SetForce(s, a, 4, 10, PS_FORCE_LINEAR, false);
    for (auto [x, moved] : {std::pair{0.0f, 0.0f}, {10.0f, 0.0f}, {5.0f, 2.0f}})
        EXPECT_FLOAT_EQ(moved, OneStep(x, 0, still).x - x) << x;
    ParticleAttractor_SetForce(s, a, 4, 10, PS_FORCE_CONSTANT, true);
    EXPECT_EQ((std::vector<float>{4, 0}), (std::vector<float>{OneStep(5, 0, still).speed, At(s, 0).direction}));
    EXPECT_EQ((std::vector<float>{0, 33}), (std::vector<float>{OneStep(-500, 0, still).speed, At(s, 0).direction}));
    ParticleAttractor_Destroy(s, a);
    // 9 -> 11 into a horizontal deflector: mirrored back to 7, heading 180.
    int32_t mover = StillType(100);
    ParticleType_SetSpeed(mover, 2, 2, 0, 0);
    int32_t d = ParticleDeflector_Create(s);
    ParticleDeflector_SetRegion(s, d, 10, 20, 0, 10);
    ParticleDeflector_SetKind(s, d, PS_DEFLECT_HORIZONTAL);
    const Particle& bounced = OneStep(9, 5, mover);
    EXPECT_EQ((std::vector<float>{7, 180, 2}), (std::vector<float>{bounced.x, bounced.direction, bounced.speed}));
}

TEST_F(ParticleTest, ElementListsEmittersChangersAndDestroyers)
{
    EXPECT_EQ((std::vector<int32_t>{-1, 0, 1}), (std::vector<int32_t>{ParticleEmitter_Create(s + 1), ParticleDeflector_Create(s),
                                                                   ParticleDeflector_Create(s)}));
    // Emitter shapes: a point region puts every particle on the point, a line on its diagonal, a
    // diamond and an ellipse within their bounds.
    int32_t still = StillType(1000);
    struct { float x0, x1, y0, y1; int32_t shape, distribution; } regions[] = {
        {7, 7, 9, 9, PS_SHAPE_ELLIPSE, PS_DISTR_GAUSSIAN}, {0, 10, 0, 20, PS_SHAPE_LINE, PS_DISTR_LINEAR},
        {0, 10, 0, 10, PS_SHAPE_DIAMOND, PS_DISTR_LINEAR}, {0, 100, 0, 100, PS_SHAPE_ELLIPSE, PS_DISTR_INVGAUSSIAN}};
    for (const auto& r : regions) {
        ParticleSystem_ClearParticles(s);
        int32_t e = ParticleEmitter_Create(s);
        ParticleEmitter_SetRegion(s, e, r.x0, r.x1, r.y0, r.y1, r.shape, r.distribution);
        ParticleEmitter_Burst(s, e, still, 200);
        ASSERT_EQ(200, Count());
        for (int32_t i = 0; i < 200; ++i) {
            float x = At(s, i).x, y = At(s, i).y, cx = (r.x0 + r.x1) / 2, cy = (r.y0 + r.y1) / 2;
            if (r.shape == PS_SHAPE_LINE) EXPECT_NEAR(2.0f * x, y, 1e-4);
            else if (r.shape == PS_SHAPE_DIAMOND) EXPECT_LE(std::fabs(x - cx) + std::fabs(y - cy), 5.001f);
            else EXPECT_LE(std::hypot(x - cx, y - cy), (r.x1 - r.x0) / 2 + 0.01f) << x << "," << y;
        }
    }
    // Changers by kind; a changer to a missing type changes nothing.
    int32_t from = StillType(50), to = StillType(500);
    ParticleType_SetColor1(from, 0x111111);
    ParticleType_SetColor1(to, 0x222222);
    ParticleType_SetDirection(to, 45, 45, 0, 0);
    ParticleType_SetSize(to, 3, 3, 0, 0);
    int32_t c = ParticleChanger_Create(s);
    ParticleChanger_SetRegion(s, c, 0, 10, 0, 10, PS_SHAPE_RECTANGLE);
    struct { int32_t kind, to, type, age; uint32_t colour; float direction, size; int32_t life; } changes[] = {
        {PS_CHANGE_MOTION, to, to, 1, 0x111111, 45, 1, 50}, {PS_CHANGE_SHAPE, to, to, 1, 0x222222, 0, 3, 50},
        {PS_CHANGE_ALL, to, to, 0, 0x222222, 45, 3, 500},  {PS_CHANGE_ALL, 99, from, 1, 0x111111, 0, 1, 50}};
    for (const auto& k : changes) {
        ParticleChanger_SetKind(s, c, k.kind);
        ParticleChanger_SetTypes(s, c, from, k.to);
        const Particle& p = OneStep(5, 5, from);
        EXPECT_EQ((std::vector<double>{double(k.type), double(k.age), double(k.colour), k.direction, k.size, double(k.life)}),
                  (std::vector<double>{double(p.type), double(p.age), double(p.colour), p.direction, p.size, double(p.life)}))
            << k.kind << " to " << k.to;
    }
    ParticleChanger_DestroyAll(s);
    // Destroyers of each shape over a 0..10 box: the centre, a corner, an edge midpoint inside the diamond.
    struct { int32_t shape, survivors; } destroyers[] = {
        {PS_SHAPE_RECTANGLE, 0}, {PS_SHAPE_ELLIPSE, 1}, {PS_SHAPE_DIAMOND, 1}, {PS_SHAPE_LINE, 3}};
    for (const auto& k : destroyers) {
        ParticleSystem_ClearParticles(s);
        ParticleDestroyer_DestroyAll(s);
        ParticleDestroyer_SetRegion(s, ParticleDestroyer_Create(s), 0, 10, 0, 10, k.shape);
        for (auto [x, y] : {std::pair{5.0f, 5.0f}, {9.5f, 9.5f}, {5.0f, 0.5f}}) ParticleSystem_CreateParticles(s, x, y, still, 1);
        ParticleSystem_Update(s);
        EXPECT_EQ(k.survivors, Count()) << k.shape;
    }
}

TEST_F(ParticleTest, SystemsDepthsUpdatesAndTheirMessages)
{
    int32_t a = s, b = ParticleSystem_Create(), c = ParticleSystem_Create();
    ParticleSystem_SetDepth(a, 10);
    ParticleSystem_SetDepth(b, -5);
    ParticleSystem_SetDepth(c, 50);
    ParticleSystem_SetAutomaticDraw(c, false); // not drawn: no depth
    EXPECT_EQ(10.0, ParticleSystem_MaxDepth());
    EXPECT_EQ(-5.0, ParticleSystem_NextDepthBelow(10));
    EXPECT_EQ(-1000000000.0, ParticleSystem_NextDepthBelow(-5));
    int32_t once = StillType(1);
    testsupport::ConsoleCapture capture;
    ParticleSystem_CreateParticles(a, 0, 0, once + 1, 3);
    ParticleSystem_CreateParticles(c + 1, 0, 0, once, 3);
    EXPECT_EQ("part_particles_create :: particle type does not exist!\n"
              "part_particles_create :: particle system does not exist!\n",
              capture.console.text);
    ParticleSystem_CreateParticlesColor(a, 0, 0, once, 0x123456, 2);
    EXPECT_EQ(0x123456u, At(a, 1).colour);
    // A self-feeding type is born and dies in the same pass forever: stopped at the limit of one pass.
    capture.console.text.clear();
    int32_t t = StillType(1);
    ParticleType_SetDeath(t, 1, t);
    OneStep(0, 0, t);
    EXPECT_EQ(0, Count());
    EXPECT_EQ("part_system_update :: more than 1000000 particles created in one step, the rest are not created\n",
              capture.console.text);
}

TEST_F(ParticleTest, EffectKindsSizesSystemsAndTimeScale)
{
    struct { int32_t speed, fps; float scale; } scales[] = {{30, 30, 1}, {20, 60, 1}, {60, 60, 0.5f}, {60, 40, 0.75f}, {90, 60, 0.5f}};
    for (const auto& c : scales) EXPECT_FLOAT_EQ(c.scale, Effect_ScaleFor(c.speed, c.fps)) << c.speed << " at " << c.fps;
    EXPECT_EQ(1.0f, Effect_Scale()); // without a room the speed counts as 30
    // Rain ignores the point and falls from above the room; at sixty it lives twice as long.
    Effect_CreateIn(EffectSetting{0.5f, 200, 480}, true, EF_RAIN, 5000, 5000, 2, 0);
    int32_t below = Effect_BelowSystem();
    ASSERT_EQ(9, ParticleSystem_ParticleCount(below));
    const Particle& drop = At(below, 8);
    EXPECT_TRUE(drop.x >= 0 && drop.x < 240 && drop.y >= -30 && drop.y < -10 && drop.life == 192) << drop.x << "," << drop.y << " " << drop.life;
    EXPECT_EQ(100000.0f, ParticleSystem_Get(below)->depth);
    EXPECT_EQ(-100000.0f, ParticleSystem_Get(Effect_AboveSystem())->depth);
    Effect_Clear();
    struct { int32_t kind, size, count; } cases[] = {
        {EF_EXPLOSION, 0, 21}, {EF_FIREWORK, 2, 250}, {EF_FIREWORK, 7, 150}, {EF_SMOKE, 1, 11},
        {EF_SNOW, 1, 3},       {EF_STAR, 0, 1},       {EF_CLOUD, 2, 1},      {12, 1, 0}, {-1, 1, 0}};
    for (const auto& c : cases) {
        bool above = c.kind % 2 == 0;
        Effect_CreateIn(EffectSetting{}, !above, c.kind, 50, 50, c.size, 0x00FF00);
        EXPECT_EQ(c.count, ParticleSystem_ParticleCount(above ? Effect_AboveSystem() : Effect_BelowSystem())) << c.kind << " size " << c.size;
        EXPECT_EQ(0, ParticleSystem_ParticleCount(above ? Effect_BelowSystem() : Effect_AboveSystem()));
        Effect_Clear();
    }
}

} // namespace

namespace {

// Every field a step changes, bit for bit (the kept cosine and sine aside).
std::vector<uint32_t> StateOf(int32_t system)
{
    std::vector<uint32_t> state;
    const ParticleSystem* record = ParticleSystem_Get(system);
    for (int32_t i = 0; i < record->count; ++i) {
        const Particle& p = record->Live()[i];
        for (float f : {p.x, p.y, p.xPrevious, p.yPrevious, p.speed, p.direction, p.angle, p.alpha, p.size})
            state.push_back(std::bit_cast<uint32_t>(f));
        for (int32_t n : {p.type, p.age, p.life, int32_t(p.colour), p.seed}) state.push_back(uint32_t(n));
    }
    return state;
}

// Two types streamed together, so runs of one age hold both; the second fades through three colours
// and turns under gravity, with wiggles when asked.
void MixedStream(int32_t system, bool wiggles)
{
    int32_t a = ParticleType_Create(), b = ParticleType_Create();
    ParticleType_SetLife(a, 10, 10);
    ParticleType_SetSpeed(a, 1, 3, 0, 0);
    ParticleType_SetDirection(a, 0, 360, 0, 0);
    ParticleType_SetColor2(a, 0xFFFFFF, 0x0000FF);
    ParticleType_SetAlpha2(a, 1, 0);
    ParticleType_SetLife(b, 10, 10);
    ParticleType_SetSpeed(b, 0, 2, 0.05f, wiggles ? 0.5f : 0);
    ParticleType_SetDirection(b, 0, 90, 3, wiggles ? 10 : 0);
    ParticleType_SetGravity(b, 0.3f, 270);
    ParticleType_SetColor3(b, 0x00FF00, 0xFF0000, 0x000000);
    ParticleType_SetAlpha3(b, 0, 1, 0);
    for (int32_t type : {a, b}) {
        int32_t e = ParticleEmitter_Create(system);
        ParticleEmitter_SetRegion(system, e, 0, 40, 0, 40, PS_SHAPE_RECTANGLE, PS_DISTR_LINEAR);
        ParticleEmitter_SetStream(system, e, type, 5);
    }
}

} // namespace

// The update keeps a step's cosine and sine on the particle and works out a fade once per run of one
// type, age and life: with deflectors turning particles, a changer swapping their type and wiggles,
// each step must match the same step with nothing kept, and each colour and alpha its own reckoning.
TEST_F(ParticleTest, KeptTrigonometryAndFadesMatchAFreshReckoning)
{
    struct Case {
        const char* name;
        bool wiggles, deflector, changer;
    };
    for (const Case& c : {Case{"plain", false, false, false}, Case{"wiggles", true, false, false},
                          Case{"deflected", false, true, false}, Case{"changed", false, false, true},
                          Case{"all", true, true, true}}) {
        std::vector<std::vector<uint32_t>> runs[2];
        for (int run = 0; run < 2; ++run) {
            Particle_Init();
            Random_Seed(7);
            int32_t sys = ParticleSystem_Create();
            MixedStream(sys, c.wiggles);
            if (c.deflector) {
                int32_t d = ParticleDeflector_Create(sys);
                ParticleDeflector_SetRegion(sys, d, 20, 60, -60, 20);
                ParticleDeflector_SetFriction(sys, d, 0.1f);
            }
            if (c.changer) {
                int32_t ch = ParticleChanger_Create(sys);
                ParticleChanger_SetRegion(sys, ch, -40, 30, -40, 30, PS_SHAPE_RECTANGLE);
                ParticleChanger_SetTypes(sys, ch, 0, 1);
            }
            ParticleSystem* record = ParticleSystem_Get(sys);
            for (int32_t step = 0; step < 25; ++step) {
                if (run == 1)
                    for (int32_t i = 0; i < record->count; ++i) record->Live()[i].trigKept = 0;
                ParticleSystem_Update(sys);
                runs[run].push_back(StateOf(sys));
                for (int32_t i = 0; i < record->count; ++i) {
                    const Particle& p = record->Live()[i];
                    const ParticleType& t = *ParticleType_Record(p.type);
                    ASSERT_EQ(Particle_Colour(t, p), p.colour) << c.name << " step " << step << " particle " << i;
                    ASSERT_EQ(std::bit_cast<uint32_t>(Particle_Alpha(t, p)), std::bit_cast<uint32_t>(p.alpha))
                        << c.name << " step " << step << " particle " << i;
                }
            }
            EXPECT_GT(record->count, 50) << c.name;
        }
        for (size_t step = 0; step < runs[0].size(); ++step)
            ASSERT_EQ(runs[1][step], runs[0][step]) << c.name << " step " << step;
    }
}

// Without deflectors, changers and destroyers a block's particles take their appearance as soon as
// they have moved, in the same walk; with one of them (here one over no ground, which acts on
// nothing) the passes run one after another. Both must give the same particles and draw the same
// random numbers, step after step.
TEST_F(ParticleTest, MotionAndAppearanceInOneWalkMatchTheSeparatePasses)
{
    const char* elements[] = {"deflector", "changer", "destroyer"};
    for (bool wiggles : {false, true}) {
        for (const char* element : elements) {
            Particle_Init();
            int32_t one = ParticleSystem_Create(), separate = ParticleSystem_Create();
            MixedStream(one, wiggles);
            ParticleSystem_Get(separate)->emitters = ParticleSystem_Get(one)->emitters;
            if (element == elements[0]) ParticleDeflector_Create(separate);
            if (element == elements[1]) ParticleChanger_Create(separate);
            if (element == elements[2]) ParticleDestroyer_Create(separate);
            for (int32_t step = 0; step < 25; ++step) {
                Random_Seed(100 + step);
                ParticleSystem_Update(one);
                uint32_t afterOne = Random_Next();
                Random_Seed(100 + step);
                ParticleSystem_Update(separate);
                ASSERT_EQ(afterOne, Random_Next()) << element << " step " << step;
                ASSERT_EQ(StateOf(one), StateOf(separate)) << element << " wiggles " << wiggles << " step " << step;
            }
            EXPECT_GT(ParticleSystem_ParticleCount(one), 50) << element;
        }
    }
}

// The life pass done within the motion's walk (no type spawns) must age and kill as the pass on its own
// does (forced here by a spawning type that has no particles): both runs step alike, to the bit.
TEST_F(ParticleTest, LifeWithinTheRemovalMatchesTheLifePassOnItsOwn)
{
    for (bool wiggles : {false, true}) {
        std::vector<std::vector<uint32_t>> runs[2];
        uint32_t randomAfter[2] = {0, 0};
        for (int run = 0; run < 2; ++run) {
            Particle_Init();
            Random_Seed(11);
            int32_t sys = ParticleSystem_Create();
            MixedStream(sys, wiggles);
            // Lives of 1 to 12 steps, so deaths fall inside the runs of survivors too.
            int32_t varied = ParticleType_Create();
            ParticleType_SetLife(varied, 1, 12);
            ParticleType_SetSpeed(varied, 0, 1, 0, 0);
            int32_t e = ParticleEmitter_Create(sys);
            ParticleEmitter_SetRegion(sys, e, 0, 40, 0, 40, PS_SHAPE_RECTANGLE, PS_DISTR_LINEAR);
            ParticleEmitter_SetStream(sys, e, varied, 7);
            if (run == 1) ParticleType_SetStep(ParticleType_Create(), 1, varied);
            for (int32_t step = 0; step < 30; ++step) {
                ParticleSystem_Update(sys);
                runs[run].push_back(StateOf(sys));
            }
            randomAfter[run] = Random_Next();
        }
        ASSERT_EQ(runs[0].size(), runs[1].size());
        for (size_t step = 0; step < runs[0].size(); ++step)
            ASSERT_EQ(runs[1][step], runs[0][step]) << "wiggles " << wiggles << " step " << step;
        EXPECT_EQ(randomAfter[1], randomAfter[0]);
        EXPECT_GT(runs[0].back().size(), 64u * 14u) << "more than one block of particles";
    }
}

// Particles move a block at a time: a system of many (several blocks and a ragged end, with and
// without an attractor, gravity turning some and not others) steps each particle as a system of that
// particle alone does.
TEST_F(ParticleTest, ParticlesInBlocksMoveAsEachAlone)
{
    for (bool attracted : {false, true}) {
        Particle_Init();
        Random_Seed(5);
        int32_t falls = ParticleType_Create(), drifts = ParticleType_Create();
        for (int32_t t : {falls, drifts}) {
            ParticleType_SetLife(t, 50, 50);
            ParticleType_SetSpeed(t, 0, 3, -0.01f, 0);
            ParticleType_SetDirection(t, 0, 360, 1, 0);
        }
        ParticleType_SetGravity(falls, 0.2f, 260);
        auto makeSystem = [&] {
            int32_t sys = ParticleSystem_Create();
            if (attracted) {
                int32_t a = ParticleAttractor_Create(sys);
                ParticleAttractor_SetPosition(sys, a, 30, 30);
                ParticleAttractor_SetForce(sys, a, 0.4f, 100, PS_FORCE_LINEAR, false);
            }
            return sys;
        };
        int32_t many = makeSystem();
        for (int32_t i = 0; i < 150; ++i)
            ParticleSystem_CreateParticles(many, float(i % 13) * 5, float(i % 7) * 9, i % 3 == 0 ? drifts : falls, 1);
        // Straight up and down (a vector with no x) and still particles take the routine's special cases.
        ParticleSystem* record = ParticleSystem_Get(many);
        record->Live()[3].direction = 90;
        record->Live()[70].speed = 0;
        std::vector<int32_t> alone;
        for (int32_t i = 0; i < record->count; ++i) {
            alone.push_back(makeSystem());
            ParticleSystem* single = ParticleSystem_Get(alone.back());
            single->particles = {ParticleSystem_Get(many)->Live()[i]};
            single->count = 1;
        }
        for (int32_t step = 0; step < 20; ++step) {
            ParticleSystem_Update(many);
            for (int32_t sys : alone) ParticleSystem_Update(sys);
            std::vector<uint32_t> each;
            for (int32_t sys : alone) {
                std::vector<uint32_t> one = StateOf(sys);
                each.insert(each.end(), one.begin(), one.end());
            }
            ASSERT_EQ(StateOf(many), each) << "attracted " << attracted << " step " << step;
        }
    }
}
