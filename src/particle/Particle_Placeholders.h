// Particle services of start-up and shut-down, before the particles issues land.
#pragma once

void Particle_Init();
void Particle_LoadShapeImages();
void Particle_Shutdown();
// Removes all particles of the two effect systems (a room starts).
void Effect_Clear();
