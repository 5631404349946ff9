// Effects: ready-made bursts (explosion, ring, ellipse, firework, smoke, rising smoke, star, spark,
// flare, cloud, rain, snow) in two particle systems of their own, one below the instances (depth
// 100000) and one above (-100000), with particle types re-parameterised at every call.
#pragma once

#include <cstdint>

enum : int32_t {
    EF_EXPLOSION = 0,
    EF_RING = 1,
    EF_ELLIPSE = 2,
    EF_FIREWORK = 3,
    EF_SMOKE = 4,
    EF_SMOKEUP = 5,
    EF_STAR = 6,
    EF_SPARK = 7,
    EF_FLARE = 8,
    EF_CLOUD = 9,
    EF_RAIN = 10,
    EF_SNOW = 11,
    EF_KIND_COUNT = 12,
};

constexpr float EFFECT_DEPTH_BELOW = 100000.0f;
constexpr float EFFECT_DEPTH_ABOVE = -100000.0f;

// The time scale: 1 unless the room speed and the measured frame rate both exceed 30, so that
// effects look alike at any room speed. Effect_Scale reads the current room (speed 30 without one)
// and the measured frame rate.
float Effect_ScaleFor(int32_t roomSpeed, int32_t frameRate);
float Effect_Scale();

// What an effect depends on beyond its arguments: the time scale and the room's size.
struct EffectSetting {
    float scale = 1.0f;
    int32_t roomWidth = 640;
    int32_t roomHeight = 480;
};
// The setting of the current room and frame rate.
EffectSetting Effect_CurrentSetting();

void Effect_Create(bool below, int32_t kind, double x, float y, int32_t size, uint32_t colour);
void Effect_CreateIn(const EffectSetting& setting, bool below, int32_t kind, double x, float y, int32_t size,
                     uint32_t colour);
// Removes the particles of both effect systems (every room start, effect_clear).
void Effect_Clear();
// Forgets the effect systems and types (the tables were emptied).
void Effect_Forget();
// The effect systems' indices (-1 before the first effect).
int32_t Effect_BelowSystem();
int32_t Effect_AboveSystem();
