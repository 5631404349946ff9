// The sine and cosine of a particle's direction, as the C library of this platform answers sinf and
// cosf, bit for bit, but without a call per particle and, for a block of particles, four at a time.
// The library's single-precision routine works in double precision: below 2^-12 it answers the angle
// and 1, below 120 it takes away the nearest multiple of pi/2 and evaluates one fixed polynomial
// pair, and only beyond that does it reduce with long integer arithmetic. Repeating the first two
// cases' operations in the same order gives the same bits; the larger angles, infinities and NaNs are
// left to the library. Its build on a processor with fused multiply-add fuses the polynomial's steps,
// so the fused or the separate form is chosen, once, by which one answers as the library does.
#pragma once

#include <cstdint>

// sinf(radians) and cosf(radians) for every input.
void Particle_SinCos(float radians, float* sine, float* cosine);
// sine[i] and cosine[i] of radians[i] for i < n.
void Particle_SinCosBlock(const float* radians, float* sine, float* cosine, int32_t n);
// The four-at-a-time case alone: sine[i] and cosine[i] of radians[i] for i < 4 when the processor
// and the library allow it and all four angles are of the short cases (from 2^-12 up to 120); false,
// with nothing stored, otherwise.
bool Particle_SinCosFour(const float* radians, float* sine, float* cosine);
// Whether the processor and the library allow the four-at-a-time case at all.
bool Particle_SinCosFourAvailable();
