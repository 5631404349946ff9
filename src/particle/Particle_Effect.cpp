#include "particle/Particle_Effect.h"

#include "base/Base_Numbers.h"
#include "base/Base_Random.h"
#include "particle/Particle_System.h"
#include "room/Room_Class.h"
#include "run/Run_Game.h"
#include "run/Run_MainLoop.h"

namespace {

int32_t g_BelowSystem = -1;
int32_t g_AboveSystem = -1;
// Two types per kind and size (the explosion uses both), made together on the first effect.
bool g_TypesMade = false;
int32_t g_Types[EF_KIND_COUNT][3][2];

// The scale of this call and the room it plays in.
struct Call {
    int32_t system;
    float s;
    double x;
    float y;
    uint32_t colour;
    int32_t roomWidth;
    int32_t roomHeight;
    // n steps at this scale, rounded.
    int32_t L(float n) const { return Numbers_RoundToInt32(double(n / s)); }
};

void MakeSystem(int32_t* system, float depth)
{
    if (ParticleSystem_Exists(*system)) return;
    *system = ParticleSystem_Create();
    ParticleSystem_SetDepth(*system, depth);
}

void MakeTypes()
{
    if (g_TypesMade) return;
    for (auto& kind : g_Types)
        for (auto& size : kind)
            for (int32_t& type : size) type = ParticleType_Create();
    g_TypesMade = true;
}

void Create(const Call& c, int32_t type, float x, float y, int32_t number)
{
    ParticleSystem_CreateParticlesColor(c.system, x, y, type, c.colour, number);
}

void Explosion(const Call& c, const int32_t types[2], int32_t size)
{
    struct Row {
        float size, sizeIncrement, speed, speedIncrement, lifeMin, lifeMax, secondIncrement;
    };
    static const Row rows[3] = {{0.1f, 0.05f, 2.0f, -0.1f, 10, 15, 0.1f},
                                {0.3f, 0.1f, 4.0f, -0.18f, 12, 17, 0.2f},
                                {0.4f, 0.2f, 7.0f, -0.2f, 15, 20, 0.4f}};
    const Row& r = rows[size];
    int32_t first = types[0], second = types[1];
    for (int32_t t : {first, second}) {
        ParticleType_SetShape(t, PT_SHAPE_EXPLOSION);
        ParticleType_SetOrientation(t, 0.0f, 360.0f, 0.0f, 0.0f, false);
    }
    ParticleType_SetDirection(first, 0.0f, 360.0f, 0.0f, 0.0f);
    ParticleType_SetAlpha2(first, 0.6f, 0.0f);
    ParticleType_SetSize(first, r.size, r.size, r.sizeIncrement * c.s, 0.0f);
    ParticleType_SetSpeed(first, r.speed * c.s, r.speed * c.s, r.speedIncrement * c.s, 0.0f);
    ParticleType_SetLife(first, c.L(r.lifeMin), c.L(r.lifeMax));
    Create(c, first, float(c.x), c.y, 20);
    ParticleType_SetAlpha2(second, 0.8f, 0.0f);
    ParticleType_SetSize(second, r.size, r.size, r.secondIncrement * c.s, 0.0f);
    ParticleType_SetLife(second, c.L(r.lifeMax), c.L(r.lifeMax));
    ParticleSystem_CreateParticlesColor(c.system, float(c.x), c.y, second, 0, 1);
}

// The ring, and the ellipse as a ring squashed to half its height.
void Ring(const Call& c, int32_t type, int32_t size, float yScale, const float increments[3])
{
    static const float lives[3][2] = {{10, 12}, {13, 15}, {18, 20}};
    ParticleType_SetShape(type, PT_SHAPE_RING);
    ParticleType_SetScale(type, 1.0f, yScale);
    ParticleType_SetAlpha2(type, 1.0f, 0.0f);
    ParticleType_SetSize(type, 0.0f, 0.0f, increments[size] * c.s, 0.0f);
    ParticleType_SetLife(type, c.L(lives[size][0]), c.L(lives[size][1]));
    Create(c, type, float(c.x), c.y, 1);
}

void Firework(const Call& c, int32_t type, int32_t size)
{
    struct Row {
        float speedMax, lifeMin, lifeMax, gravity;
        int32_t count;
    };
    static const Row rows[3] = {{3, 15, 25, 0.1f, 75}, {6, 20, 30, 0.15f, 150}, {8, 30, 40, 0.17f, 250}};
    const Row& r = rows[size];
    ParticleType_SetShape(type, PT_SHAPE_FLARE);
    ParticleType_SetSize(type, 0.1f, 0.2f, 0.0f, 0.0f);
    ParticleType_SetDirection(type, 0.0f, 360.0f, 0.0f, 0.0f);
    ParticleType_SetAlpha2(type, 1.0f, 0.4f);
    ParticleType_SetGravity(type, r.gravity * c.s, 270.0f);
    ParticleType_SetSpeed(type, 0.5f * c.s, r.speedMax * c.s, 0.0f, 0.0f);
    ParticleType_SetLife(type, c.L(r.lifeMin), c.L(r.lifeMax));
    Create(c, type, float(c.x), c.y, r.count);
}

// Smoke, and smoke rising straight up at a speed.
void Smoke(const Call& c, int32_t type, int32_t size, bool rising)
{
    struct Row {
        float sizeMin, sizeMax, life;
        int32_t count, spread;
        float speedMin, speedMax;
    };
    static const Row rows[3] = {{0.2f, 0.4f, 25, 6, 5, 3, 4}, {0.4f, 0.7f, 30, 11, 15, 5, 6},
                                {0.4f, 1.0f, 50, 16, 30, 6, 7}};
    const Row& r = rows[size];
    ParticleType_SetShape(type, PT_SHAPE_EXPLOSION);
    ParticleType_SetSize(type, r.sizeMin, r.sizeMax, -0.01f * c.s, 0.0f);
    ParticleType_SetAlpha2(type, 0.4f, 0.0f);
    ParticleType_SetLife(type, c.L(r.life), c.L(r.life));
    if (rising) {
        ParticleType_SetDirection(type, 90.0f, 90.0f, 0.0f, 0.0f);
        ParticleType_SetSpeed(type, r.speedMin * c.s, r.speedMax * c.s, 0.0f, 0.0f);
    }
    for (int32_t i = 0; i < r.count; ++i) {
        double x = c.x - r.spread + Random_Int(2 * r.spread);
        double y = double(c.y) - r.spread + Random_Int(2 * r.spread);
        Create(c, type, float(x), float(y), 1);
    }
}

// Star, spark and flare: one turning particle of a shape, shrinking from a fixed size.
void Star(const Call& c, int32_t type, int32_t size, int32_t shape)
{
    static const float rows[3][3] = {{0.4f, -0.02f, 20}, {0.75f, -0.03f, 25}, {1.2f, -0.04f, 30}};
    ParticleType_SetShape(type, shape);
    ParticleType_SetOrientation(type, 0.0f, 360.0f, 0.0f, 0.0f, false);
    // The maximum lies below every minimum, so each particle gets the minimum.
    ParticleType_SetSize(type, rows[size][0], 0.3f, rows[size][1] * c.s, 0.0f);
    ParticleType_SetLife(type, c.L(rows[size][2]), c.L(rows[size][2]));
    Create(c, type, float(c.x), c.y, 1);
}

void Cloud(const Call& c, int32_t type, int32_t size)
{
    static const float sizes[3] = {2, 4, 8};
    ParticleType_SetShape(type, PT_SHAPE_EXPLOSION);
    ParticleType_SetScale(type, 1.0f, 0.5f);
    ParticleType_SetAlpha3(type, 0.0f, 0.3f, 0.0f);
    ParticleType_SetSize(type, sizes[size], sizes[size], 0.0f, 0.0f);
    ParticleType_SetLife(type, c.L(100), c.L(100));
    Create(c, type, float(c.x), c.y, 1);
}

// Rain and snow ignore the point: they fall from just above the room across 1.2 times its width.
void Rain(const Call& c, int32_t type, int32_t size)
{
    static const int32_t counts[3] = {2, 5, 9};
    ParticleType_SetShape(type, PT_SHAPE_LINE);
    ParticleType_SetSize(type, 0.2f, 0.3f, 0.0f, 0.0f);
    ParticleType_SetOrientation(type, 0.0f, 0.0f, 0.0f, 0.0f, true);
    ParticleType_SetSpeed(type, 7.0f * c.s, 7.0f * c.s, 0.0f, 0.0f);
    ParticleType_SetDirection(type, 260.0f, 260.0f, 0.0f, 0.0f);
    ParticleType_SetAlpha1(type, 0.4f);
    int32_t life = Numbers_RoundToInt32(0.2 * c.roomHeight / c.s);
    ParticleType_SetLife(type, life, life);
    for (int32_t i = 0; i < counts[size]; ++i) {
        double x = Random_Real(1.0) * 1.2 * c.roomWidth;
        double y = Random_Real(20.0) - 30.0;
        Create(c, type, float(x), float(y), 1);
    }
}

void Snow(const Call& c, int32_t type, int32_t size)
{
    static const int32_t counts[3] = {1, 3, 7};
    ParticleType_SetShape(type, PT_SHAPE_SNOW);
    ParticleType_SetSize(type, 0.1f, 0.25f, 0.0f, 0.0f);
    ParticleType_SetAlpha1(type, 0.6f);
    ParticleType_SetOrientation(type, 0.0f, 360.0f, 0.0f, 0.0f, false);
    ParticleType_SetSpeed(type, 2.5f * c.s, 3.0f * c.s, 0.0f, 0.0f);
    ParticleType_SetDirection(type, 240.0f, 300.0f, 0.0f, 20.0f);
    int32_t life = Numbers_RoundToInt32(0.5 * c.roomHeight / c.s);
    ParticleType_SetLife(type, life, life);
    for (int32_t i = 0; i < counts[size]; ++i) {
        double x = Random_Real(1.0) * 1.2 * c.roomWidth - 60.0;
        double y = Random_Real(20.0) - 30.0;
        Create(c, type, float(x), float(y), 1);
    }
}

void CreateKind(const Call& c, int32_t kind, int32_t size)
{
    static const float ringIncrements[3] = {0.15f, 0.25f, 0.4f};
    static const float ellipseIncrements[3] = {0.2f, 0.35f, 0.6f};
    const int32_t* types = g_Types[kind][size];
    switch (kind) {
    case EF_EXPLOSION: Explosion(c, types, size); break;
    case EF_RING: Ring(c, types[0], size, 1.0f, ringIncrements); break;
    case EF_ELLIPSE: Ring(c, types[0], size, 0.5f, ellipseIncrements); break;
    case EF_FIREWORK: Firework(c, types[0], size); break;
    case EF_SMOKE: Smoke(c, types[0], size, false); break;
    case EF_SMOKEUP: Smoke(c, types[0], size, true); break;
    case EF_STAR: Star(c, types[0], size, PT_SHAPE_STAR); break;
    case EF_SPARK: Star(c, types[0], size, PT_SHAPE_SPARK); break;
    case EF_FLARE: Star(c, types[0], size, PT_SHAPE_FLARE); break;
    case EF_CLOUD: Cloud(c, types[0], size); break;
    case EF_RAIN: Rain(c, types[0], size); break;
    case EF_SNOW: Snow(c, types[0], size); break;
    default: break;
    }
}

} // namespace

float Effect_ScaleFor(int32_t roomSpeed, int32_t frameRate)
{
    if (roomSpeed <= 30 || frameRate <= 30) return 1.0f;
    float r = float(roomSpeed) / float(frameRate);
    return r < 1.2f ? 30.0f / float(roomSpeed) : 30.0f / float(frameRate);
}

float Effect_Scale()
{
    CRoom* room = Run_CurrentRoom();
    return Effect_ScaleFor(room != nullptr ? room->m_Speed : 30, Run_GetFrameRate());
}

EffectSetting Effect_CurrentSetting()
{
    EffectSetting setting;
    setting.scale = Effect_Scale();
    if (CRoom* room = Run_CurrentRoom()) {
        setting.roomWidth = room->m_Width;
        setting.roomHeight = room->m_Height;
    }
    return setting;
}

void Effect_Create(bool below, int32_t kind, double x, float y, int32_t size, uint32_t colour)
{
    Effect_CreateIn(Effect_CurrentSetting(), below, kind, x, y, size, colour);
}

void Effect_CreateIn(const EffectSetting& setting, bool below, int32_t kind, double x, float y, int32_t size,
                     uint32_t colour)
{
    MakeSystem(&g_BelowSystem, EFFECT_DEPTH_BELOW);
    MakeSystem(&g_AboveSystem, EFFECT_DEPTH_ABOVE);
    MakeTypes();
    if (kind < 0 || kind >= EF_KIND_COUNT) return;
    Call c{below ? g_BelowSystem : g_AboveSystem, setting.scale, x, y, colour, setting.roomWidth, setting.roomHeight};
    CreateKind(c, kind, size == 0 || size == 2 ? size : 1);
}

void Effect_Clear()
{
    ParticleSystem_ClearParticles(g_BelowSystem);
    ParticleSystem_ClearParticles(g_AboveSystem);
}

void Effect_Forget()
{
    g_BelowSystem = g_AboveSystem = -1;
    g_TypesMade = false;
}

int32_t Effect_BelowSystem()
{
    return g_BelowSystem;
}

int32_t Effect_AboveSystem()
{
    return g_AboveSystem;
}
