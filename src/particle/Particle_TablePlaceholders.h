// The particle types, systems, emitters and effects that the particle actions use, standing in until
// particle systems exist. The slot tables are kept (first free slot, else one more), so that ids and
// existence answer as they will; no particle is ever made, moved or drawn.
#pragma once

#include <cstdint>

int32_t ParticleType_Create();
bool ParticleType_Exists(int32_t type);
void ParticleType_SetShape(int32_t type, int32_t shape);
void ParticleType_SetSprite(int32_t type, int32_t sprite, bool animate, bool stretch, bool random);
void ParticleType_SetSize(int32_t type, float minimum, float maximum, float increment, float wiggle);
void ParticleType_SetLife(int32_t type, float minimum, float maximum);
void ParticleType_SetSpeed(int32_t type, float minimum, float maximum, float increment, float wiggle);
void ParticleType_SetDirection(int32_t type, float minimum, float maximum, float increment, float wiggle);
void ParticleType_SetGravity(int32_t type, float amount, float direction);
void ParticleType_SetStep(int32_t type, int32_t number, int32_t stepType);
void ParticleType_SetDeath(int32_t type, int32_t number, int32_t deathType);
// Mode 1: from the first colour to the second over the life.
void ParticleType_SetColor2(int32_t type, uint32_t colour1, uint32_t colour2);
// Mode 5: a random mix of the two, fixed at birth.
void ParticleType_SetColorMix(int32_t type, uint32_t colour1, uint32_t colour2);
void ParticleType_SetAlpha2(int32_t type, float alpha1, float alpha2);

int32_t ParticleSystem_Create();
bool ParticleSystem_Exists(int32_t system);
void ParticleSystem_Destroy(int32_t system);
// Removes the particles and every element, and resets the settings.
void ParticleSystem_Clear(int32_t system);
void ParticleSystem_ClearParticles(int32_t system);
void ParticleSystem_SetDepth(int32_t system, float depth);

int32_t ParticleEmitter_Create(int32_t system);
bool ParticleEmitter_Exists(int32_t system, int32_t emitter);
void ParticleEmitter_Destroy(int32_t system, int32_t emitter);
void ParticleEmitter_SetRegion(int32_t system, int32_t emitter, float xmin, float xmax, float ymin,
                               float ymax, int32_t shape, int32_t distribution);
void ParticleEmitter_Burst(int32_t system, int32_t emitter, int32_t type, int32_t number);
void ParticleEmitter_SetStream(int32_t system, int32_t emitter, int32_t type, int32_t number);

// An effect of the kind at (x, y) in the system below the instances, or above them.
void Effect_Create(bool below, int32_t kind, float x, float y, int32_t size, uint32_t colour);
