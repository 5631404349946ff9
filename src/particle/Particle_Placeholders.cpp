#include "particle/Particle_Placeholders.h"

// PLACEHOLDER for the particle systems issue: the tables start empty.
void Particle_Init() {}

// PLACEHOLDER for the particle types issue: no shape textures without a device.
void Particle_LoadShapeImages() {}

// PLACEHOLDER for the particle systems issue: nothing to free.
void Particle_Shutdown() {}

// PLACEHOLDER for the effects issue: the effect systems hold no particles yet.
void Effect_Clear() {}
