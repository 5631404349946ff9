// Particle types: the recipes particles are born from and change by each step. One global table,
// indexed from 0, shared by every particle system, the emitters, the changers and the effects. A
// slot, once made, is kept until the program ends; destroying a type only marks its slot free.
#pragma once

#include <cstdint>

enum : int32_t {
    PT_SHAPE_PIXEL = 0,
    PT_SHAPE_DISK = 1,
    PT_SHAPE_SQUARE = 2,
    PT_SHAPE_LINE = 3,
    PT_SHAPE_STAR = 4,
    PT_SHAPE_CIRCLE = 5,
    PT_SHAPE_RING = 6,
    PT_SHAPE_SPHERE = 7,
    PT_SHAPE_FLARE = 8,
    PT_SHAPE_SPARK = 9,
    PT_SHAPE_EXPLOSION = 10,
    PT_SHAPE_CLOUD = 11,
    PT_SHAPE_SMOKE = 12,
    PT_SHAPE_SNOW = 13,
    PT_SHAPE_COUNT = 14,
};

// Colour modes: one colour, two, three over the life, RGB ranges, HSV ranges, a random mix of two.
enum : int32_t {
    PT_COLOUR_ONE = 0,
    PT_COLOUR_TWO = 1,
    PT_COLOUR_THREE = 2,
    PT_COLOUR_RGB = 3,
    PT_COLOUR_HSV = 4,
    PT_COLOUR_MIX = 5,
};

// Distributions of Particle_Random.
enum : int32_t { PS_DISTR_LINEAR = 0, PS_DISTR_GAUSSIAN = 1, PS_DISTR_INVGAUSSIAN = 2 };

// Degrees to radians in single precision.
constexpr float PARTICLE_PI = 3.1415927410125732f;

struct ParticleType {
    uint8_t inUse = 0;
    int32_t sprite = -1;
    uint8_t animate = 1;
    uint8_t stretch = 0;
    uint8_t randomFrame = 0;
    int32_t shape = PT_SHAPE_PIXEL;
    float sizeMin = 1, sizeMax = 1, sizeIncrement = 0, sizeWiggle = 0;
    float xScale = 1, yScale = 1;
    int32_t lifeMin = 100, lifeMax = 100;
    int32_t deathType = 0, deathNumber = 0, stepType = 0, stepNumber = 0;
    float speedMin = 0, speedMax = 0, speedIncrement = 0, speedWiggle = 0;
    float directionMin = 0, directionMax = 0, directionIncrement = 0, directionWiggle = 0;
    float gravityAmount = 0, gravityDirection = 270;
    float orientationMin = 0, orientationMax = 0, orientationIncrement = 0, orientationWiggle = 0;
    uint8_t relative = 0;
    int32_t colourMode = PT_COLOUR_ONE;
    int32_t colour[6] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0, 0, 0};
    float alphaStart = 1, alphaMiddle = 1, alphaEnd = 1;
    uint8_t additive = 0;
};

// One particle; fields as a system stores them.
struct Particle {
    uint8_t alive = 0;
    int32_t type = 0;
    int32_t age = 0;
    int32_t life = 0;
    float x = 0, y = 0, xPrevious = 0, yPrevious = 0;
    float speed = 0, direction = 0, angle = 0;
    uint32_t colour = 0;
    float alpha = 0, size = 0;
    int32_t frameOffset = 0;
    int32_t seed = 0;
    // Cosine and sine of the direction of the last step, and that direction: the next step's motion
    // vector takes them again while the direction is bit for bit the same.
    uint8_t trigKept = 0;
    float trigDirection = 0, trigCos = 1, trigSin = 0;
};

int32_t ParticleType_Create();
void ParticleType_Destroy(int32_t index);
bool ParticleType_Exists(int32_t index);
void ParticleType_Clear(int32_t index);
// The record of a type in use, or null.
ParticleType* ParticleType_Get(int32_t index);
// The record of a slot, in use or freed (particles of a destroyed type go on with its defaults), or
// null for an index outside the table.
ParticleType* ParticleType_Record(int32_t index);
// Slots in the table, free ones included.
int32_t ParticleType_Count();

void ParticleType_SetShape(int32_t index, int32_t shape);
void ParticleType_SetSprite(int32_t index, int32_t sprite, bool animate, bool stretch, bool random);
void ParticleType_SetSize(int32_t index, float minimum, float maximum, float increment, float wiggle);
void ParticleType_SetScale(int32_t index, float horizontal, float vertical);
void ParticleType_SetLife(int32_t index, int32_t minimum, int32_t maximum);
void ParticleType_SetStep(int32_t index, int32_t number, int32_t type);
void ParticleType_SetDeath(int32_t index, int32_t number, int32_t type);
void ParticleType_SetSpeed(int32_t index, float minimum, float maximum, float increment, float wiggle);
void ParticleType_SetDirection(int32_t index, float minimum, float maximum, float increment, float wiggle);
void ParticleType_SetOrientation(int32_t index, float minimum, float maximum, float increment, float wiggle,
                                 bool relative);
void ParticleType_SetGravity(int32_t index, float amount, float direction);
void ParticleType_SetColor1(int32_t index, int32_t c1);
void ParticleType_SetColor2(int32_t index, int32_t c1, int32_t c2);
void ParticleType_SetColor3(int32_t index, int32_t c1, int32_t c2, int32_t c3);
void ParticleType_SetColorRgb(int32_t index, const int32_t values[6]);
void ParticleType_SetColorHsv(int32_t index, const int32_t values[6]);
void ParticleType_SetColorMix(int32_t index, int32_t c1, int32_t c2);
void ParticleType_SetAlpha1(int32_t index, float alpha);
void ParticleType_SetAlpha2(int32_t index, float start, float end);
void ParticleType_SetAlpha3(int32_t index, float start, float middle, float end);
void ParticleType_SetBlend(int32_t index, bool additive);

// A random value between minimum and maximum by distribution, in single precision.
float Particle_Random(float minimum, float maximum, int32_t distribution);
// A particle of the type born at (x, y): random speed, direction, angle, life, colour, size.
Particle Particle_Born(const ParticleType& type, int32_t typeIndex, float x, float y);
// The colour for the particle's age (at birth, and each step).
uint32_t Particle_Colour(const ParticleType& type, const Particle& particle);
// The alpha for the particle's age.
float Particle_Alpha(const ParticleType& type, const Particle& particle);

// Frees every type record and empties the table.
void ParticleType_FreeAll();
