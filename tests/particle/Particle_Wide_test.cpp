// The update's wide step (eight particles at once) against the update with the wide step switched
// off: for a table of scenes, every particle's every field, the kept sine and cosine included, and
// the random numbers drawn must be the same, step after step. The scenes mix what the wide step takes
// with what it leaves to the one-at-a-time step (wiggles, other types in the same eight, deaths,
// angles of the routines' special cases, elements acting between the passes, spawning types).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/Base_Random.h"
#include "particle/Particle_Elements.h"
#include "particle/Particle_System.h"
#include "particle/Particle_Trig.h"
#include "particle/Particle_Wide.h"

namespace {

// The fields of a particle record, the kept sine and cosine included (alive and kept are bytes).
constexpr float Particle::*FLOAT_FIELDS[] = {&Particle::x,         &Particle::y,     &Particle::xPrevious,
                                             &Particle::yPrevious, &Particle::speed, &Particle::direction,
                                             &Particle::angle,     &Particle::alpha, &Particle::size,
                                             &Particle::trigDirection, &Particle::trigCos, &Particle::trigSin};
constexpr int32_t Particle::*INT_FIELDS[] = {&Particle::type, &Particle::age, &Particle::life, &Particle::frameOffset,
                                             &Particle::seed};

// One record's fields, bit for bit, appended to `out`.
void AppendFields(const Particle& p, std::vector<uint32_t>* out)
{
    for (auto field : FLOAT_FIELDS) out->push_back(std::bit_cast<uint32_t>(p.*field));
    for (auto field : INT_FIELDS) out->push_back(uint32_t(p.*field));
    out->insert(out->end(), {p.colour, p.alive, p.trigKept});
}

std::vector<uint32_t> FullState(int32_t system)
{
    std::vector<uint32_t> state;
    const ParticleSystem* record = ParticleSystem_Get(system);
    for (int32_t i = 0; i < record->count; ++i) AppendFields(record->Live()[i], &state);
    return state;
}

// One streamed type of the scenes.
struct Stream {
    float speedMin, speedMax, speedIncrement, speedWiggle;
    float directionMin, directionMax, directionIncrement, directionWiggle;
    float gravity, gravityDirection;
    int32_t lifeMin, lifeMax;
    int32_t perStep;
};

void AddStream(int32_t system, const Stream& s, int32_t colourMode, int32_t step)
{
    int32_t t = ParticleType_Create();
    ParticleType_SetSpeed(t, s.speedMin, s.speedMax, s.speedIncrement, s.speedWiggle);
    ParticleType_SetDirection(t, s.directionMin, s.directionMax, s.directionIncrement, s.directionWiggle);
    ParticleType_SetGravity(t, s.gravity, s.gravityDirection);
    ParticleType_SetLife(t, s.lifeMin, s.lifeMax);
    ParticleType_SetSize(t, 0.2f, 1.0f, -0.03f, 0);
    ParticleType_SetOrientation(t, 0, 90, 4, 0, false);
    const int32_t ranges[6] = {0, 255, 10, 200, 40, 90};
    switch (colourMode) {
    case PT_COLOUR_TWO: ParticleType_SetColor2(t, 0xFFFFFF, 0x0000FF); break;
    case PT_COLOUR_THREE: ParticleType_SetColor3(t, 0x00FF00, 0xFF0000, 0x000000); break;
    case PT_COLOUR_RGB: ParticleType_SetColorRgb(t, ranges); break;
    case PT_COLOUR_HSV: ParticleType_SetColorHsv(t, ranges); break;
    case PT_COLOUR_MIX: ParticleType_SetColorMix(t, 0x102030, 0xF0E0D0); break;
    default: ParticleType_SetColor1(t, 0x808080); break;
    }
    ParticleType_SetAlpha3(t, 0.1f, 1, 0.3f);
    if (step != 0) ParticleType_SetStep(t, step, t);
    int32_t e = ParticleEmitter_Create(system);
    ParticleEmitter_SetRegion(system, e, -20, 60, 0, 40, PS_SHAPE_RECTANGLE, PS_DISTR_LINEAR);
    ParticleEmitter_SetStream(system, e, t, s.perStep);
}

constexpr Stream FALLING = {0, 2, 0, 0, 0, 360, 0, 0, 0.1f, 270, 40, 40, 16};
constexpr Stream TURNING = {0.5f, 2, -0.04f, 0, 0, 360, 7, 0, 0, 270, 60, 60, 16};
constexpr Stream SPINNING = {1, 2, 0, 0, 0, 360, 450, 0, 0, 270, 60, 60, 8};
constexpr Stream WRAPPING = {0, 0.4f, 0, 0, 340, 380, 0, 0, 0.5f, 10, 30, 30, 16};
constexpr Stream STILL = {0, 0, 0, 0, 0, 0, 0, 0, 0, 270, 25, 25, 8};
constexpr Stream UPRIGHT = {0, 1, 0, 0, 90, 90, 0, 0, 0.2f, 270, 25, 25, 8};
constexpr Stream WIGGLING = {0, 2, 0.01f, 0.5f, 0, 360, 1, 5, 0.1f, 250, 30, 30, 5};
constexpr Stream SHORT_LIVED = {0, 2, 0, 0, 0, 360, 0, 0, 0.3f, 300, 1, 12, 13};

// Elements acting between the motion and the appearance: a deflector turning particles (their kept
// sine and cosine no longer of their direction) and a destroyer; a changer giving particles of the
// first type the second's type and a new motion.
void DeflectAndDestroy(int32_t system)
{
    int32_t deflector = ParticleDeflector_Create(system);
    ParticleDeflector_SetRegion(system, deflector, 30, 80, -80, 20);
    ParticleDeflector_SetFriction(system, deflector, 0.05f);
    ParticleDestroyer_SetRegion(system, ParticleDestroyer_Create(system), -60, -30, -60, 60, PS_SHAPE_RECTANGLE);
}

void ChangeMotion(int32_t system)
{
    int32_t changer = ParticleChanger_Create(system);
    ParticleChanger_SetRegion(system, changer, -20, 20, 0, 30, PS_SHAPE_ELLIPSE);
    ParticleChanger_SetTypes(system, changer, 0, 1);
    ParticleChanger_SetKind(system, changer, PS_CHANGE_MOTION);
}

struct Scene {
    const char* name;
    std::vector<Stream> streams;
    int32_t colourMode;
    void (*elements)(int32_t system);
    bool spawns;
};

const std::vector<Scene>& Scenes()
{
    static const std::vector<Scene> scenes = {
        {"falling, two colours", {FALLING}, PT_COLOUR_TWO, nullptr, false},
        {"turning without gravity, three colours", {TURNING}, PT_COLOUR_THREE, nullptr, false},
        {"spinning past the short angles", {SPINNING, FALLING}, PT_COLOUR_ONE, nullptr, false},
        {"wrapping round 0 and 360", {WRAPPING}, PT_COLOUR_RGB, nullptr, false},
        {"still and upright", {STILL, UPRIGHT, FALLING}, PT_COLOUR_HSV, nullptr, false},
        {"types mixed in the eights", {FALLING, WIGGLING, TURNING}, PT_COLOUR_MIX, nullptr, false},
        {"dying within the eights", {SHORT_LIVED, FALLING}, PT_COLOUR_TWO, nullptr, false},
        {"deflected and destroyed", {FALLING, TURNING}, PT_COLOUR_THREE, DeflectAndDestroy, false},
        {"changed", {FALLING, TURNING}, PT_COLOUR_TWO, ChangeMotion, false},
        {"spawning", {FALLING, SHORT_LIVED}, PT_COLOUR_TWO, nullptr, true},
    };
    return scenes;
}

struct Played {
    std::vector<std::vector<uint32_t>> states;
    uint32_t randomAfter = 0;
};

Played Play(const Scene& scene, bool wide)
{
    Particle_Init();
    Particle_SetWideStep(wide);
    Random_Seed(21);
    int32_t sys = ParticleSystem_Create();
    for (size_t i = 0; i < scene.streams.size(); ++i)
        AddStream(sys, scene.streams[i], scene.colourMode, scene.spawns && i == 0 ? -6 : 0);
    if (scene.elements != nullptr) scene.elements(sys);
    Played run;
    for (int32_t step = 0; step < 45; ++step) {
        ParticleSystem_Update(sys);
        run.states.push_back(FullState(sys));
    }
    run.randomAfter = Random_Next();
    Particle_SetWideStep(true);
    return run;
}

class ParticleWideTest : public ::testing::Test {
  protected:
    void TearDown() override
    {
        Particle_SetWideStep(true);
        Particle_Init();
    }
};

} // namespace

TEST_F(ParticleWideTest, ScenesStepAsWithTheWideStepOff)
{
    for (const Scene& scene : Scenes()) {
        Played wide = Play(scene, true), alone = Play(scene, false);
        ASSERT_EQ(alone.states.size(), wide.states.size());
        for (size_t step = 0; step < wide.states.size(); ++step)
            ASSERT_EQ(alone.states[step], wide.states[step]) << scene.name << ", step " << step;
        EXPECT_EQ(alone.randomAfter, wide.randomAfter) << scene.name;
        EXPECT_GT(wide.states.back().size(), 20u * 100u) << scene.name << ": a hundred particles or more";
    }
}

// The step on its own: eight grown particles of one type under gravity are taken and moved as the
// update moves them; eight with one of another type, one dying or one not alive are refused and left
// as they were, byte for byte.
TEST_F(ParticleWideTest, TakesTheCommonCaseAndLeavesTheRestUntouched)
{
    if (!Particle_WideStepAvailable() || !Particle_SinCosFourAvailable())
        GTEST_SKIP() << "the processor has no AVX2 and fused multiply-add";
    Random_Seed(3);
    int32_t sys = ParticleSystem_Create();
    int32_t t = ParticleType_Create();
    ParticleType_SetSpeed(t, 0.5f, 2, 0, 0);
    ParticleType_SetDirection(t, 10, 350, 0, 0);
    ParticleType_SetGravity(t, 0.2f, 270);
    ParticleType_SetLife(t, 50, 50);
    ParticleSystem_CreateParticles(sys, 10, 20, t, 8);
    ParticleSystem* record = ParticleSystem_Get(sys);
    for (int32_t i = 0; i < 8; ++i) record->Live()[i].age = 5;
    std::vector<Particle> start(record->Live(), record->Live() + 8);

    ParticleWideRun run;
    run.typeIndex = t;
    run.type = ParticleType_Get(t);
    run.gravity = true;
    run.gravityX = std::cos(270.0f * PARTICLE_PI / 180.0f) * 0.2f;
    run.gravityY = -std::sin(270.0f * PARTICLE_PI / 180.0f) * 0.2f;
    run.fourTrig = true;
    run.ages = true;
    struct Refusal {
        const char* name;
        void (*spoil)(Particle&);
    };
    const Refusal refusals[] = {
        {"another type", [](Particle& p) { p.type += 1; }},
        {"dying", [](Particle& p) { p.age = p.life - 1; }},
        {"not alive", [](Particle& p) { p.alive = 0; }},
        {"a direction of 0 (the sine's tiny case)", [](Particle& p) { p.direction = 0; }},
    };
    for (const Refusal& r : refusals) {
        std::vector<Particle> eight = start;
        r.spoil(eight[5]);
        std::vector<unsigned char> before(sizeof(Particle) * 8);
        std::memcpy(before.data(), eight.data(), before.size());
        EXPECT_FALSE(Particle_WideStep(eight.data(), run)) << r.name;
        EXPECT_EQ(0, std::memcmp(before.data(), eight.data(), before.size())) << r.name;
    }

    std::vector<Particle> eight = start;
    ASSERT_TRUE(Particle_WideStep(eight.data(), run));
    Particle_SetWideStep(false);
    ParticleEmitter_DestroyAll(sys);
    ParticleSystem_Update(sys);
    // The update also takes the appearance, which the step was not asked for.
    for (int32_t i = 0; i < 8; ++i) {
        Particle want = record->Live()[i];
        want.colour = eight[size_t(i)].colour;
        want.alpha = eight[size_t(i)].alpha;
        want.size = eight[size_t(i)].size;
        std::vector<uint32_t> wanted, got;
        AppendFields(want, &wanted);
        AppendFields(eight[size_t(i)], &got);
        EXPECT_EQ(wanted, got) << "particle " << i;
    }
}
