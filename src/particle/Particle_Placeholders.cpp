#include "particle/Particle_Placeholders.h"

// PLACEHOLDER until particle systems exist: the tables start empty.
void Particle_Init() {}

// PLACEHOLDER until particle types exist: no shape textures without a device.
void Particle_LoadShapeImages() {}

// PLACEHOLDER until particle systems exist: nothing to free.
void Particle_Shutdown() {}

// PLACEHOLDER until effects exist: the effect systems hold no particles yet.
void Effect_Clear() {}

// PLACEHOLDER until particle systems exist: no particle system exists.
void ParticleSystem_UpdateAll() {}

// PLACEHOLDER until particle systems exist: no system exists.
double ParticleSystem_MaxDepth() { return -1e9; }
// PLACEHOLDER until particle systems exist.
void ParticleSystem_DrawAtDepth(double) {}
// PLACEHOLDER until particle systems exist.
double ParticleSystem_NextDepthBelow(double) { return -1e9; }
