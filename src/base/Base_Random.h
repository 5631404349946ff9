// The one random-number generator of the system (WELL512). Every script-visible random function and
// every internal random choice draws from it, so a seed set by a script replays the whole sequence.
#pragma once

#include <cstdint>

extern uint32_t g_RandomState[16];
extern uint32_t g_RandomIndex;
// The last seed given, kept so scripts can read it back.
extern uint32_t g_RandomSeed;

// Seeds the generator; returns the seed.
uint32_t Random_Seed(uint32_t seed);
uint32_t Random_GetSeed();

uint32_t Random_Next();
// The next value with its top bit cleared (0 to 2^31 - 1).
uint32_t Random_Next31();
// A real in [0, x).
double Random_Real(double x);
// The next value modulo |n| (unsigned arithmetic); 0 for n == 0.
uint32_t Random_Int(int32_t n);
