// A small pseudo-random source of 32-bit words for the tests that compare the particles' own maths
// with the C library over many inputs (xorshift; the same seed gives the same words everywhere).
#pragma once

#include <cstdint>

struct TestWords {
    uint64_t state;
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return uint32_t(state >> 11);
    }
};
