// The five kinds of element a particle system owns, each a list of slots: emitters create particles
// in a region, attractors pull or push them, destroyers remove them, deflectors bounce them and
// changers turn particles of one type into another. Every operation ignores a bad system, a bad slot
// or a slot not in use; creating on a bad system answers -1.
#pragma once

#include <cstdint>

#include "particle/Particle_System.h"

int32_t ParticleEmitter_Create(int32_t system);
void ParticleEmitter_Destroy(int32_t system, int32_t emitter);
void ParticleEmitter_DestroyAll(int32_t system);
bool ParticleEmitter_Exists(int32_t system, int32_t emitter);
void ParticleEmitter_Clear(int32_t system, int32_t emitter);
void ParticleEmitter_SetRegion(int32_t system, int32_t emitter, float xMin, float xMax, float yMin, float yMax,
                               int32_t shape, int32_t distribution);
void ParticleEmitter_SetStream(int32_t system, int32_t emitter, int32_t type, int32_t number);
void ParticleEmitter_Burst(int32_t system, int32_t emitter, int32_t type, int32_t number);

int32_t ParticleAttractor_Create(int32_t system);
void ParticleAttractor_Destroy(int32_t system, int32_t attractor);
void ParticleAttractor_DestroyAll(int32_t system);
bool ParticleAttractor_Exists(int32_t system, int32_t attractor);
void ParticleAttractor_Clear(int32_t system, int32_t attractor);
void ParticleAttractor_SetPosition(int32_t system, int32_t attractor, float x, float y);
void ParticleAttractor_SetForce(int32_t system, int32_t attractor, float force, float distance, int32_t kind,
                                bool additive);

int32_t ParticleDestroyer_Create(int32_t system);
void ParticleDestroyer_Destroy(int32_t system, int32_t destroyer);
void ParticleDestroyer_DestroyAll(int32_t system);
bool ParticleDestroyer_Exists(int32_t system, int32_t destroyer);
void ParticleDestroyer_Clear(int32_t system, int32_t destroyer);
void ParticleDestroyer_SetRegion(int32_t system, int32_t destroyer, float xMin, float xMax, float yMin, float yMax,
                                 int32_t shape);

int32_t ParticleDeflector_Create(int32_t system);
void ParticleDeflector_Destroy(int32_t system, int32_t deflector);
void ParticleDeflector_DestroyAll(int32_t system);
bool ParticleDeflector_Exists(int32_t system, int32_t deflector);
void ParticleDeflector_Clear(int32_t system, int32_t deflector);
void ParticleDeflector_SetRegion(int32_t system, int32_t deflector, float xMin, float xMax, float yMin,
                                 float yMax);
void ParticleDeflector_SetKind(int32_t system, int32_t deflector, int32_t kind);
void ParticleDeflector_SetFriction(int32_t system, int32_t deflector, float friction);

int32_t ParticleChanger_Create(int32_t system);
void ParticleChanger_Destroy(int32_t system, int32_t changer);
void ParticleChanger_DestroyAll(int32_t system);
bool ParticleChanger_Exists(int32_t system, int32_t changer);
void ParticleChanger_Clear(int32_t system, int32_t changer);
void ParticleChanger_SetRegion(int32_t system, int32_t changer, float xMin, float xMax, float yMin, float yMax,
                               int32_t shape);
void ParticleChanger_SetTypes(int32_t system, int32_t changer, int32_t from, int32_t to);
void ParticleChanger_SetKind(int32_t system, int32_t changer, int32_t kind);

// The update's element passes (the system's own update calls them in its order).
// The attractors' pull at a position: added to the motion vector (additive) or to the step's offset.
void Particle_ApplyAttractors(const ParticleSystem& system, float x, float y, float* vx, float* vy, float* ox,
                              float* oy);
void Particle_ApplyDeflectors(ParticleSystem& system);
void Particle_ApplyChangers(ParticleSystem& system);
// Marks the particles inside a destroyer dead (the caller removes them).
void Particle_ApplyDestroyers(ParticleSystem& system);
void Particle_RunEmitters(ParticleSystem& system, int32_t systemIndex);
