#include "particle/Particle_Angle.h"

#include <bit>
#include <cmath>

#include "particle/Particle_AngleLanes.h"

namespace {

using namespace particle_lanes;

constexpr float PI_OVER_4 = 7.8539818525e-01f;
constexpr float PI_OVER_2 = 1.5707963705e+00f;
constexpr float TINY = 1.0e-30f;

int32_t Bits(float value)
{
    return std::bit_cast<int32_t>(value);
}

// The interval of |x| (bits without the sign): -1 below 7/16, then 0 to 3.
int32_t Interval(int32_t magnitude)
{
    if (magnitude < 0x3ee00000) return -1;
    if (magnitude < 0x3f300000) return 0;
    if (magnitude < 0x3f980000) return 1;
    return magnitude < 0x401c0000 ? 2 : 3;
}

float Arctangent(float x)
{
    int32_t hx = Bits(x);
    int32_t ix = hx & 0x7fffffff;
    if (ix >= 0x4c000000) {
        if (ix > 0x7f800000) return x + x;
        return hx > 0 ? ATAN_HI[3] + ATAN_LO[3] : -ATAN_HI[3] - ATAN_LO[3];
    }
    if (ix < 0x31000000) return x;
    int32_t id = Interval(ix);
    if (id >= 0) {
        x = std::fabs(x);
        if (id == 0) x = (2.0f * x - 1.0f) / (2.0f + x);
        else if (id == 1) x = (x - 1.0f) / (x + 1.0f);
        else if (id == 2) x = (x - 1.5f) / (1.0f + 1.5f * x);
        else x = -1.0f / x;
    }
    const float* a = COEFFICIENTS;
    float z = x * x;
    float w = z * z;
    float s1 = z * (a[0] + w * (a[2] + w * (a[4] + w * (a[6] + w * (a[8] + w * a[10])))));
    float s2 = w * (a[1] + w * (a[3] + w * (a[5] + w * (a[7] + w * a[9]))));
    if (id < 0) return x - x * (s1 + s2);
    z = ATAN_HI[id] - ((x * (s1 + s2) - ATAN_LO[id]) - x);
    return hx < 0 ? -z : z;
}

// The quadrant (2 x sign of x + sign of y) applied to the angle of |y / x|.
float InQuadrant(float z, int32_t m)
{
    switch (m) {
    case 0: return z;
    case 1: return std::bit_cast<float>(Bits(z) ^ int32_t(0x80000000u));
    case 2: return PI - (z - PI_LOW);
    default: return (z - PI_LOW) - PI;
    }
}

} // namespace

float Particle_Atan2(float y, float x)
{
    int32_t hx = Bits(x), hy = Bits(y);
    int32_t ix = hx & 0x7fffffff, iy = hy & 0x7fffffff;
    if (ix > 0x7f800000 || iy > 0x7f800000) return x + y;
    if (hx == 0x3f800000) return Arctangent(y);
    int32_t m = ((hy >> 31) & 1) | ((hx >> 30) & 2);
    if (iy == 0) {
        if (m < 2) return y;
        return m == 2 ? PI + TINY : -PI - TINY;
    }
    if (ix == 0) return hy < 0 ? -PI_OVER_2 - TINY : PI_OVER_2 + TINY;
    if (ix == 0x7f800000) {
        if (iy == 0x7f800000) {
            static constexpr float CORNERS[4] = {PI_OVER_4 + TINY, -PI_OVER_4 - TINY, 3.0f * PI_OVER_4 + TINY,
                                                 -3.0f * PI_OVER_4 - TINY};
            return CORNERS[m];
        }
        static constexpr float EDGES[4] = {0.0f, -0.0f, PI + TINY, -PI - TINY};
        return EDGES[m];
    }
    if (iy == 0x7f800000) return hy < 0 ? -PI_OVER_2 - TINY : PI_OVER_2 + TINY;
    int32_t k = (iy - ix) >> 23;
    float z = 0.0f;
    if (k > 60) z = PI_OVER_2 + 0.5f * PI_LOW;
    else if (hx < 0 && k < -60) z = 0.0f;
    else z = Arctangent(std::fabs(y / x));
    return InQuadrant(z, m);
}

bool Particle_Atan2Four(const float* y, const float* x, float* out)
{
    return Ordinary<4>(y, x, out);
}

__attribute__((target("avx2"))) bool Particle_Atan2Eight(const float* y, const float* x, float* out)
{
    return Ordinary<8>(y, x, out);
}

void Particle_Atan2Block(const float* y, const float* x, float* out, int32_t n)
{
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        if (Ordinary<4>(y + i, x + i, out + i)) continue;
        for (int32_t j = i; j < i + 4; ++j) out[j] = Particle_Atan2(y[j], x[j]);
    }
    for (; i < n; ++i) out[i] = Particle_Atan2(y[i], x[i]);
}
