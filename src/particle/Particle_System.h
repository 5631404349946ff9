// Particle systems: the live particles of one system and the emitters, attractors, destroyers,
// deflectors and changers acting on them, in one global table indexed from 0. Each frame, after the
// end step, every system updating itself advances one step; the room draws every system drawing
// itself among the instances at its depth.
#pragma once

#include <cstdint>
#include <vector>

#include "particle/Particle_Type.h"

// Region shapes of emitters, destroyers and changers.
enum : int32_t { PS_SHAPE_RECTANGLE = 0, PS_SHAPE_ELLIPSE = 1, PS_SHAPE_DIAMOND = 2, PS_SHAPE_LINE = 3 };
enum : int32_t { PS_FORCE_CONSTANT = 0, PS_FORCE_LINEAR = 1, PS_FORCE_QUADRATIC = 2 };
enum : int32_t { PS_DEFLECT_VERTICAL = 0, PS_DEFLECT_HORIZONTAL = 1 };
enum : int32_t { PS_CHANGE_ALL = 0, PS_CHANGE_SHAPE = 1, PS_CHANGE_MOTION = 2 };

// What ParticleSystem_MaxDepth and ParticleSystem_NextDepthBelow answer when no system is left.
constexpr double PARTICLE_NO_DEPTH = -1000000000.0;

// One pass of the life step creates at most this many death and step particles: a type whose
// spawns lead back to itself would otherwise create without end inside the pass.
constexpr int32_t PARTICLE_PASS_CREATION_LIMIT = 1000000;

struct ParticleRegion {
    float xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

struct ParticleEmitter {
    uint8_t inUse = 0;
    int32_t number = 0;
    ParticleRegion region;
    int32_t distribution = PS_DISTR_LINEAR;
    int32_t shape = PS_SHAPE_RECTANGLE;
    int32_t type = 0;
};

struct ParticleAttractor {
    uint8_t inUse = 0;
    float x = 0, y = 0, force = 0, distance = 0;
    int32_t kind = PS_FORCE_CONSTANT;
    uint8_t additive = 1;
};

struct ParticleDestroyer {
    uint8_t inUse = 0;
    ParticleRegion region;
    int32_t shape = PS_SHAPE_RECTANGLE;
};

struct ParticleDeflector {
    uint8_t inUse = 0;
    ParticleRegion region;
    int32_t kind = PS_DEFLECT_VERTICAL;
    float friction = 0;
};

struct ParticleChanger {
    uint8_t inUse = 0;
    ParticleRegion region;
    int32_t shape = PS_SHAPE_RECTANGLE;
    int32_t fromType = -1;
    int32_t toType = -1;
    int32_t kind = PS_CHANGE_ALL;
};

// The particles live in one array: `count` records from `first` are the live ones, in birth order.
// The dead at the front are left behind by moving `first` on, which moves nothing; the live ones
// slide back to the start of the array when it needs room at the end.
struct ParticleSystem {
    uint8_t inUse = 0;
    std::vector<Particle> particles;
    int32_t first = 0;
    int32_t count = 0;
    Particle* Live() { return particles.data() + first; }
    const Particle* Live() const { return particles.data() + first; }
    std::vector<ParticleEmitter> emitters;
    std::vector<ParticleAttractor> attractors;
    std::vector<ParticleDestroyer> destroyers;
    std::vector<ParticleDeflector> deflectors;
    std::vector<ParticleChanger> changers;
    uint8_t oldToNew = 1;
    float depth = 0;
    float x = 0, y = 0;
    uint8_t automaticUpdate = 1;
    uint8_t automaticDraw = 1;
};

int32_t ParticleSystem_Create();
void ParticleSystem_Destroy(int32_t index);
bool ParticleSystem_Exists(int32_t index);
void ParticleSystem_Clear(int32_t index);
// The record of a system in use, or null.
ParticleSystem* ParticleSystem_Get(int32_t index);

void ParticleSystem_SetDrawOrder(int32_t index, bool oldToNew);
void ParticleSystem_SetDepth(int32_t index, float depth);
void ParticleSystem_SetPosition(int32_t index, float x, float y);
void ParticleSystem_SetAutomaticUpdate(int32_t index, bool automatic);
void ParticleSystem_SetAutomaticDraw(int32_t index, bool automatic);

void ParticleSystem_CreateParticles(int32_t index, float x, float y, int32_t type, int32_t number);
void ParticleSystem_CreateParticlesColor(int32_t index, float x, float y, int32_t type, uint32_t colour,
                                         int32_t number);
void ParticleSystem_ClearParticles(int32_t index);
int32_t ParticleSystem_ParticleCount(int32_t index);

// One step: life, motion, deflectors, changers, destroyers, appearance, emitters.
void ParticleSystem_Update(int32_t index);
// Every system in use whose automatic update is on, in index order (each frame, after the end step).
void ParticleSystem_UpdateAll();
void ParticleSystem_Draw(int32_t index);

// The systems drawn automatically, by depth: the greatest depth, the greatest depth below a given
// one (both PARTICLE_NO_DEPTH when there is none), and the drawing of every such system within 0.01
// of a depth.
double ParticleSystem_MaxDepth();
double ParticleSystem_NextDepthBelow(double depth);
void ParticleSystem_DrawAtDepth(double depth);

// Start-up and exit: both tables emptied and freed.
void Particle_Init();
void Particle_Shutdown();
// Makes the 14 shape textures at start-up, from the pictures the build drew: making them when a
// shape was first drawn stalled that frame.
void Particle_CreateShapeTextures();
// Frees the 14 shape textures; each is decoded again from the program's embedded images on its
// shape's next draw.
void Particle_FreeShapeImages();

// Appends n particles of an existing type at (x, y); the new ones are the last n.
void ParticleSystem_AddParticles(ParticleSystem* system, float x, float y, int32_t typeIndex,
                                 const ParticleType& type, int32_t n);
// Room for `extra` more particles after the live ones: the live ones slide to the start of the array
// when the dead left behind at the front make room enough, else the array grows, with half as much
// again (up to PARTICLE_SPARE_SLOTS) to spare, so that a steady stream slides only now and then.
void ParticleSystem_Reserve(ParticleSystem* system, int32_t extra);
constexpr int32_t PARTICLE_SPARE_SLOTS = 16384;
