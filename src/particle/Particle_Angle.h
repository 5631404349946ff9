// The angle of a motion vector, as the C library of this platform answers atan2f, bit for bit, but
// without three calls per particle and, for a block of particles, four at a time. The library's
// single-precision arctangent is a fixed sequence of float operations (a reduction to one of five
// intervals, an odd and an even polynomial, a quadrant fix), so repeating those operations in the
// same order, lane by lane, gives the same bits; the tests compare both over every branch.
#pragma once

#include <cstdint>

// atan2f(y, x) for every input, special ones included.
float Particle_Atan2(float y, float x);
// out[i] = Particle_Atan2(y[i], x[i]) for i < n.
void Particle_Atan2Block(const float* y, const float* x, float* out, int32_t n);
// The four-at-a-time case alone: out[i] = Particle_Atan2(y[i], x[i]) for i < 4 when all four are of
// the ordinary case (both finite and not zero, x not 1, |y / x| neither tiny nor huge); false, with
// nothing stored, otherwise.
bool Particle_Atan2Four(const float* y, const float* x, float* out);
// The same for eight lanes at once, on a processor with AVX2 (the caller makes sure of it).
bool Particle_Atan2Eight(const float* y, const float* x, float* out);
