#include "particle/Particle_Placeholders.h"

// PLACEHOLDER for the particle systems issue: the tables start empty.
void Particle_Init() {}

// PLACEHOLDER for the particle types issue: no shape textures without a device.
void Particle_LoadShapeImages() {}

// PLACEHOLDER for the particle systems issue: nothing to free.
void Particle_Shutdown() {}

// PLACEHOLDER for the effects issue: the effect systems hold no particles yet.
void Effect_Clear() {}

// PLACEHOLDER for the particles issue: no particle system exists.
void ParticleSystem_UpdateAll() {}

// PLACEHOLDER for the particle systems issue: no system exists.
double ParticleSystem_MaxDepth() { return -1e9; }
// PLACEHOLDER for the particle systems issue.
void ParticleSystem_DrawAtDepth(double) {}
// PLACEHOLDER for the particle systems issue.
double ParticleSystem_NextDepthBelow(double) { return -1e9; }
