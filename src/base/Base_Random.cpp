#include "base/Base_Random.h"

uint32_t g_RandomState[16];
uint32_t g_RandomIndex = 0;
uint32_t g_RandomSeed = 0;

uint32_t Random_Seed(uint32_t seed)
{
    g_RandomSeed = seed;
    // Each word comes from the previous 15-bit result, not from the full product.
    uint32_t v = seed;
    for (uint32_t& word : g_RandomState) {
        v = ((v * 214013u + 2531011u) >> 16) & 0x7FFFu;
        word = v;
    }
    g_RandomIndex = 0;
    return seed;
}

uint32_t Random_GetSeed() { return g_RandomSeed; }

uint32_t Random_Next()
{
    uint32_t* s = g_RandomState;
    uint32_t i = g_RandomIndex;
    uint32_t a = s[i];
    uint32_t c = s[(i + 13) & 15];
    uint32_t b = a ^ c ^ (a << 16) ^ (c << 15);
    c = s[(i + 9) & 15];
    c ^= c >> 11;
    a = b ^ c;
    s[i] = a;
    uint32_t d = a ^ ((a & 0xFED22169u) << 5);
    i = (i + 15) & 15;
    a = s[i];
    s[i] = a ^ b ^ d ^ (a << 2) ^ (b << 18) ^ (c << 28);
    g_RandomIndex = i;
    return s[i];
}

uint32_t Random_Next31() { return Random_Next() & 0x7FFFFFFFu; }

double Random_Real(double x)
{
    double unit = static_cast<double>(Random_Next()) * 2.3283064365386963e-10;
    return x == 1.0 ? unit : unit * x;
}

uint32_t Random_Int(int32_t n)
{
    uint32_t value = Random_Next();
    // |INT_MIN| is 2^31, which the unsigned negation gives.
    uint32_t modulus = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
    return modulus == 0 ? 0 : value % modulus;
}
