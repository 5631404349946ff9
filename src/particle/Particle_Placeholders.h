// Particle services of start-up and shut-down, standing in until particle systems exist.
#pragma once

void Particle_Init();
void Particle_LoadShapeImages();
void Particle_Shutdown();
// Removes all particles of the two effect systems (a room starts).
void Effect_Clear();

// The particle systems drawn automatically, by depth: the greatest depth (-1e9 for none), the
// drawing of every such system of a depth, and the greatest depth below a given one (-1e9 for none).
double ParticleSystem_MaxDepth();
void ParticleSystem_DrawAtDepth(double depth);
double ParticleSystem_NextDepthBelow(double depth);
// Updates every particle system whose automatic update is on (each frame, after the end step).
void ParticleSystem_UpdateAll();
