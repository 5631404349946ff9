#include "particle/Particle_Type.h"

#include <cmath>
#include <memory>
#include <vector>

#include "base/Base_Numbers.h"
#include "base/Base_Random.h"
#include "support/Support_Hash.h"

namespace {

std::vector<std::unique_ptr<ParticleType>> g_Types;

// The defaults of a type; the last three colour parameters and the blend flag stay as they were.
void ApplyDefaults(ParticleType* type)
{
    ParticleType defaults;
    defaults.inUse = type->inUse;
    for (int i = 3; i < 6; ++i) defaults.colour[i] = type->colour[i];
    defaults.additive = type->additive;
    *type = defaults;
}

// The linear draw between two whole numbers, cut to a whole number.
int32_t WholeDraw(int32_t minimum, int32_t maximum)
{
    // A float near the int32 limits may round past them: the cut keeps the x86 result there.
    return Numbers_TruncToInt32(double(Particle_Random(float(minimum), float(maximum), PS_DISTR_LINEAR)));
}

// x of the gaussian's rejection loop, from -3 to 3.
float GaussianX()
{
    for (;;) {
        auto x = float((Random_Real(1.0) - 0.5) * 6.0);
        auto w = float(std::exp(double(float(x * x * -0.5f))));
        if (double(w) > Random_Real(1.0)) return x;
    }
}

void SetColours(int32_t index, int32_t mode, const int32_t* values, int count)
{
    ParticleType* type = ParticleType_Get(index);
    if (type == nullptr) return;
    type->colourMode = mode;
    for (int i = 0; i < count; ++i) type->colour[i] = values[i];
}

uint32_t BirthColour(const ParticleType& type)
{
    const int32_t* c = type.colour;
    switch (type.colourMode) {
    case PT_COLOUR_RGB:
        return uint32_t(WholeDraw(c[0], c[1]) & 0xFF) | uint32_t(WholeDraw(c[2], c[3]) & 0xFF) << 8 |
               uint32_t(WholeDraw(c[4], c[5]) & 0xFF) << 16;
    case PT_COLOUR_HSV: {
        const uint8_t hsv[3] = {uint8_t(WholeDraw(c[0], c[1])), uint8_t(WholeDraw(c[2], c[3])),
                                uint8_t(WholeDraw(c[4], c[5]))};
        return uint32_t(Colour_FromHSV(hsv));
    }
    case PT_COLOUR_MIX:
        return uint32_t(Colour_Merge(c[0], c[1], float(Random_Real(1.0))));
    default:
        return uint32_t(c[0]);
    }
}

} // namespace

ParticleType* ParticleType_Record(int32_t index)
{
    return index >= 0 && index < int32_t(g_Types.size()) ? g_Types[size_t(index)].get() : nullptr;
}

ParticleType* ParticleType_Get(int32_t index)
{
    ParticleType* type = ParticleType_Record(index);
    return type != nullptr && type->inUse ? type : nullptr;
}

int32_t ParticleType_Count()
{
    return int32_t(g_Types.size());
}

int32_t ParticleType_Create()
{
    size_t slot = 0;
    while (slot < g_Types.size() && g_Types[slot] != nullptr && g_Types[slot]->inUse) ++slot;
    if (slot == g_Types.size()) g_Types.push_back(nullptr);
    if (g_Types[slot] == nullptr) g_Types[slot] = std::make_unique<ParticleType>();
    ParticleType* type = g_Types[slot].get();
    type->inUse = 1;
    ApplyDefaults(type);
    return int32_t(slot);
}

void ParticleType_Destroy(int32_t index)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        ApplyDefaults(type);
        type->inUse = 0;
    }
}

bool ParticleType_Exists(int32_t index)
{
    return ParticleType_Get(index) != nullptr;
}

void ParticleType_Clear(int32_t index)
{
    if (ParticleType* type = ParticleType_Get(index)) ApplyDefaults(type);
}

void ParticleType_FreeAll()
{
    g_Types.clear();
}

void ParticleType_SetShape(int32_t index, int32_t shape)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->shape = shape;
        type->sprite = -1;
    }
}

void ParticleType_SetSprite(int32_t index, int32_t sprite, bool animate, bool stretch, bool random)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->sprite = sprite;
        type->animate = animate;
        type->stretch = stretch;
        type->randomFrame = random;
    }
}

void ParticleType_SetSize(int32_t index, float minimum, float maximum, float increment, float wiggle)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->sizeMin = minimum;
        type->sizeMax = maximum;
        type->sizeIncrement = increment;
        type->sizeWiggle = wiggle;
    }
}

void ParticleType_SetScale(int32_t index, float horizontal, float vertical)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->xScale = horizontal;
        type->yScale = vertical;
    }
}

void ParticleType_SetLife(int32_t index, int32_t minimum, int32_t maximum)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->lifeMin = minimum;
        type->lifeMax = maximum;
    }
}

void ParticleType_SetStep(int32_t index, int32_t number, int32_t spawned)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->stepNumber = number;
        type->stepType = spawned;
    }
}

void ParticleType_SetDeath(int32_t index, int32_t number, int32_t spawned)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->deathNumber = number;
        type->deathType = spawned;
    }
}

void ParticleType_SetSpeed(int32_t index, float minimum, float maximum, float increment, float wiggle)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->speedMin = minimum;
        type->speedMax = maximum;
        type->speedIncrement = increment;
        type->speedWiggle = wiggle;
    }
}

void ParticleType_SetDirection(int32_t index, float minimum, float maximum, float increment, float wiggle)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->directionMin = minimum;
        type->directionMax = maximum;
        type->directionIncrement = increment;
        type->directionWiggle = wiggle;
    }
}

void ParticleType_SetOrientation(int32_t index, float minimum, float maximum, float increment, float wiggle,
                                 bool relative)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->orientationMin = minimum;
        type->orientationMax = maximum;
        type->orientationIncrement = increment;
        type->orientationWiggle = wiggle;
        type->relative = relative;
    }
}

void ParticleType_SetGravity(int32_t index, float amount, float direction)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->gravityAmount = amount;
        type->gravityDirection = direction;
    }
}

void ParticleType_SetColor1(int32_t index, int32_t c1)
{
    SetColours(index, PT_COLOUR_ONE, &c1, 1);
}

void ParticleType_SetColor2(int32_t index, int32_t c1, int32_t c2)
{
    const int32_t values[2] = {c1, c2};
    SetColours(index, PT_COLOUR_TWO, values, 2);
}

void ParticleType_SetColor3(int32_t index, int32_t c1, int32_t c2, int32_t c3)
{
    const int32_t values[3] = {c1, c2, c3};
    SetColours(index, PT_COLOUR_THREE, values, 3);
}

void ParticleType_SetColorRgb(int32_t index, const int32_t values[6])
{
    SetColours(index, PT_COLOUR_RGB, values, 6);
}

void ParticleType_SetColorHsv(int32_t index, const int32_t values[6])
{
    SetColours(index, PT_COLOUR_HSV, values, 6);
}

void ParticleType_SetColorMix(int32_t index, int32_t c1, int32_t c2)
{
    const int32_t values[2] = {c1, c2};
    SetColours(index, PT_COLOUR_MIX, values, 2);
}

void ParticleType_SetAlpha1(int32_t index, float alpha)
{
    ParticleType_SetAlpha3(index, alpha, alpha, alpha);
}

void ParticleType_SetAlpha2(int32_t index, float start, float end)
{
    ParticleType_SetAlpha3(index, start, (start + end) / 2.0f, end);
}

void ParticleType_SetAlpha3(int32_t index, float start, float middle, float end)
{
    if (ParticleType* type = ParticleType_Get(index)) {
        type->alphaStart = start;
        type->alphaMiddle = middle;
        type->alphaEnd = end;
    }
}

void ParticleType_SetBlend(int32_t index, bool additive)
{
    if (ParticleType* type = ParticleType_Get(index)) type->additive = additive;
}

float Particle_Random(float minimum, float maximum, int32_t distribution)
{
    float range = maximum - minimum;
    if (range <= 0.0f) return minimum;
    if (distribution != PS_DISTR_GAUSSIAN && distribution != PS_DISTR_INVGAUSSIAN)
        return float(Random_Real(1.0) * double(range) + double(minimum));
    float x = GaussianX();
    // The inverse folds the two halves outward, so the middle of the gaussian lands at both ends.
    float t = distribution == PS_DISTR_GAUSSIAN ? x + 3.0f : (x >= 0.0f ? x : x + 6.0f);
    return t * 0.1666666716337204f * range + minimum;
}

Particle Particle_Born(const ParticleType& type, int32_t typeIndex, float x, float y)
{
    Particle p;
    p.alive = 1;
    p.type = typeIndex;
    p.x = p.xPrevious = x;
    p.y = p.yPrevious = y;
    p.speed = Particle_Random(type.speedMin, type.speedMax, PS_DISTR_LINEAR);
    p.direction = Particle_Random(type.directionMin, type.directionMax, PS_DISTR_LINEAR);
    p.angle = Particle_Random(type.orientationMin, type.orientationMax, PS_DISTR_LINEAR);
    p.life = WholeDraw(type.lifeMin, type.lifeMax);
    p.colour = Particle_Colour(type, p);
    p.alpha = type.alphaStart;
    p.size = Particle_Random(type.sizeMin, type.sizeMax, PS_DISTR_LINEAR);
    p.frameOffset = type.randomFrame ? int32_t(Random_Int(10000)) : 0;
    p.seed = int32_t(Random_Int(100000));
    return p;
}

uint32_t Particle_Colour(const ParticleType& type, const Particle& particle)
{
    if (particle.age == 0 || particle.life <= 0) return BirthColour(type);
    const int32_t* c = type.colour;
    if (type.colourMode == PT_COLOUR_TWO) {
        float t = std::fmin(float(particle.age) / float(particle.life), 1.0f);
        return uint32_t(Colour_Merge(c[0], c[1], t));
    }
    if (type.colourMode == PT_COLOUR_THREE) {
        float t = std::fmin(2.0f * float(particle.age) / float(particle.life), 2.0f);
        return uint32_t(t < 1.0f ? Colour_Merge(c[0], c[1], t) : Colour_Merge(c[1], c[2], t - 1.0f));
    }
    return particle.colour;
}

float Particle_Alpha(const ParticleType& type, const Particle& particle)
{
    float t = particle.life > 0 ? float(2 * particle.age) / float(particle.life) : 1.0f;
    if (particle.life > 0 && t < 1.0f) return (1.0f - t) * type.alphaStart + t * type.alphaMiddle;
    return (2.0f - t) * type.alphaMiddle + (t - 1.0f) * type.alphaEnd;
}
