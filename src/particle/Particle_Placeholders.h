// Particle services of start-up and shut-down, before the particles issues land.
#pragma once

void Particle_Init();
void Particle_LoadShapeImages();
void Particle_Shutdown();
