// Drawing a particle system: each particle as a quad of its shape's texture or as a frame of its
// type's sprite, switching additive blending on and off as the types ask.
#include <cmath>

#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TextureDraw.h"
#include "particle/Particle_System.h"
#include "platform/Platform_EmbeddedImages.h"
#include "sprite/Sprite_Table.h"

namespace {

DeviceTexture* g_ShapeTextures[PT_SHAPE_COUNT] = {};

// The folded wave of the drawn angle and size: ((a + k s) mod 16) / 4, folded above 2, minus 1.
float DrawWave(int64_t phase)
{
    float w = float(phase % 16) * 0.25f;
    if (w > 2.0f) w = 4.0f - w;
    return w - 1.0f;
}

void DrawShape(const ParticleSystem& system, const ParticleType& t, const Particle& p, float angle, float size)
{
    DeviceTexture* texture = g_ShapeTextures[t.shape];
    float cx = std::trunc(p.x + system.x), cy = std::trunc(p.y + system.y);
    float rx = 32.0f * t.xScale * size, ry = 32.0f * t.yScale * size;
    const float px[4] = {-rx, rx, rx, -rx};
    const float py[4] = {-ry, -ry, ry, ry};
    float x[4], y[4];
    bool turned = std::fabs(angle) >= 0.01f;
    float radians = angle * PARTICLE_PI / 180.0f;
    float s = turned ? std::sin(radians) : 0.0f, c = turned ? std::cos(radians) : 1.0f;
    for (int i = 0; i < 4; ++i) {
        // Anticlockwise on a screen whose y grows downwards.
        x[i] = cx + c * px[i] + s * py[i];
        y[i] = cy - s * px[i] + c * py[i];
    }
    uint32_t colour = GR_MakeVertexColour(p.colour, p.alpha);
    GR_Texture_DrawCorners(texture, x[0], y[0], x[1], y[1], x[2], y[2], x[3], y[3], 0.0f, 0.0f, 1.0f, 1.0f, colour,
                           colour, colour, colour);
}

// The sprite frame of a particle: fixed, spread over the life, or advancing each step.
int32_t SpriteFrame(const ParticleType& t, const Particle& p, int32_t frames)
{
    if (!t.animate) return p.frameOffset;
    if (t.stretch) return int32_t(int64_t(p.age) * frames / p.life) + p.frameOffset;
    return p.frameOffset + p.age;
}

// Draws one particle, unless it has no life left or nothing to draw with.
void DrawParticle(const ParticleSystem& system, const Particle& p, bool* additiveOn)
{
    const ParticleType* t = ParticleType_Record(p.type);
    if (t == nullptr || p.life <= 0) return;
    CSprite* sprite = Sprite_Exists(t->sprite) ? Sprite_Get(t->sprite) : nullptr;
    if (sprite != nullptr && sprite->GetFrameCount() <= 0) return;
    if (sprite == nullptr && (t->shape < 0 || t->shape >= PT_SHAPE_COUNT)) return;
    int64_t age = p.age, seed = p.seed;
    float angle = p.angle + (t->relative ? p.direction : 0.0f) + t->orientationWiggle * DrawWave(age + 2 * seed);
    float size = p.size + t->sizeWiggle * DrawWave(age + seed);
    if (bool(t->additive) != *additiveOn) {
        *additiveOn = t->additive;
        GR_Draw_SetBlendMode(*additiveOn ? 1 : 0);
    }
    if (sprite != nullptr)
        sprite->Draw(SpriteFrame(*t, p, sprite->GetFrameCount()), p.x + system.x, p.y + system.y, t->xScale * size,
                     t->yScale * size, angle, p.colour, p.alpha);
    else if (g_ShapeTextures[t->shape] != nullptr)
        DrawShape(system, *t, p, angle, size);
}

} // namespace

void ParticleSystem_Draw(int32_t index)
{
    ParticleSystem* system = ParticleSystem_Get(index);
    if (system == nullptr) return;
    bool interpolation = GR_Texture_GetInterpolation();
    bool additiveOn = false;
    int32_t count = system->count;
    for (int32_t n = 0; n < count; ++n) {
        int32_t i = system->oldToNew ? n : count - 1 - n;
        DrawParticle(*system, system->particles[size_t(i)], &additiveOn);
    }
    if (additiveOn) GR_Draw_SetBlendMode(0);
    GR_Texture_SetInterpolation(interpolation);
}

void Particle_LoadShapeImages()
{
    for (int32_t shape = 0; shape < PT_SHAPE_COUNT; ++shape) {
        if (g_ShapeTextures[shape] != nullptr) GR_Texture_Free(g_ShapeTextures[shape]);
        g_ShapeTextures[shape] = EmbeddedImage_Decode(EMBEDDED_IMAGE_FIRST_SHAPE + shape);
    }
}

void Particle_FreeShapeImages()
{
    for (DeviceTexture*& texture : g_ShapeTextures) {
        if (texture != nullptr) GR_Texture_Free(texture);
        texture = nullptr;
    }
}
