#include "particle/Particle_Angle.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

// Interval anchors: atan(0.5), atan(1), atan(1.5), atan(inf), high and low parts.
constexpr float ATAN_HI[4] = {4.6364760399e-01f, 7.8539812565e-01f, 9.8279368877e-01f, 1.5707962513e+00f};
constexpr float ATAN_LO[4] = {5.0121582440e-09f, 3.7748947079e-08f, 3.4473217170e-08f, 7.5497894159e-08f};
// The series' coefficients, the odd terms from 0 and the even ones from 1.
constexpr float COEFFICIENTS[11] = {3.3333334327e-01f,  -2.0000000298e-01f, 1.4285714924e-01f, -1.1111110449e-01f,
                                    9.0908870101e-02f,  -7.6918758452e-02f, 6.6610731184e-02f, -5.8335702866e-02f,
                                    4.9768779427e-02f,  -3.6531571299e-02f, 1.6285819933e-02f};
constexpr float PI_OVER_4 = 7.8539818525e-01f;
constexpr float PI_OVER_2 = 1.5707963705e+00f;
constexpr float PI = 3.1415927410e+00f;
constexpr float PI_LOW = -8.7422776573e-08f;
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

// N lanes of floats and of 32-bit integers (the compiler's vector types: their operators work lane
// by lane with the scalar operations' rounding, and a comparison gives -1 or 0 in each lane).
template <int N> struct Lanes {
    typedef float F __attribute__((vector_size(4 * N)));
    typedef int32_t I __attribute__((vector_size(4 * N)));
};

// Whether no lane of a mask is set.
template <typename I> [[gnu::always_inline]] inline bool NoneSet(I mask)
{
    int32_t any = 0;
    for (size_t i = 0; i < sizeof(I) / 4; ++i) any |= mask[i];
    return any == 0;
}

// N ordinary lanes at once: each lane performs the scalar routine's operations on its own interval's
// numerator and denominator, chosen before the one division (the interval below 7/16 divides by 1,
// which changes nothing), and its own anchor. A lane is ordinary when both are finite and not zero, x
// is not 1, and |y / x| is of a size the series itself handles (not below 2^-29, not from 2^25), so
// that none of the routine's special answers applies. False, with nothing stored, when a lane is not
// ordinary.
template <int N> [[gnu::always_inline]] inline bool Ordinary(const float* ys, const float* xs, float* out)
{
    typedef typename Lanes<N>::F F;
    typedef typename Lanes<N>::I I;
    F y, x;
    std::memcpy(&y, ys, sizeof y);
    std::memcpy(&x, xs, sizeof x);
    const I magnitudeBits = I{} + 0x7fffffff;
    I ix = I(x) & magnitudeBits, iy = I(y) & magnitudeBits;
    F t = F(I(y / x) & magnitudeBits);
    I it = I(t);
    // The exponents' difference beyond 60 either way takes the routine's shortcuts.
    I k = (iy - ix) >> 23;
    I special = (k > 60) | (k < -60) | (ix == 0) | (iy == 0) | (ix > 0x7f7fffff) | (iy > 0x7f7fffff);
    special |= (I(x) == 0x3f800000) | (it < 0x31000000) | (it > 0x4bffffff);
    if (!NoneSet(special)) return false;
    I in0 = it < 0x3f300000, in1 = it < 0x3f980000, in2 = it < 0x401c0000, small = it < 0x3ee00000;
    F one = F{} + 1.0f, half3 = F{} + 1.5f;
    F num = in2 ? t - half3 : F{} - 1.0f;
    F den = in2 ? one + half3 * t : t;
    num = in1 ? t - one : num;
    den = in1 ? t + one : den;
    num = in0 ? (F{} + 2.0f) * t - one : num;
    den = in0 ? F{} + 2.0f + t : den;
    num = small ? t : num;
    den = small ? one : den;
    F r = num / den;
    const float* a = COEFFICIENTS;
    F z = r * r;
    F w = z * z;
    F s1 = a[8] + w * a[10];
    s1 = a[6] + w * s1;
    s1 = a[4] + w * s1;
    s1 = a[2] + w * s1;
    s1 = z * (a[0] + w * s1);
    F s2 = a[7] + w * a[9];
    s2 = a[5] + w * s2;
    s2 = a[3] + w * s2;
    s2 = w * (a[1] + w * s2);
    F series = r * (s1 + s2);
    // The interval's anchor (small lanes take the series alone).
    F hi = in0 ? F{} + ATAN_HI[0] : in1 ? F{} + ATAN_HI[1] : in2 ? F{} + ATAN_HI[2] : F{} + ATAN_HI[3];
    F lo = in0 ? F{} + ATAN_LO[0] : in1 ? F{} + ATAN_LO[1] : in2 ? F{} + ATAN_LO[2] : F{} + ATAN_LO[3];
    F angle = small ? r - series : hi - ((series - lo) - r);
    // The quadrant: y negative flips the sign; x negative takes pi - (z - lo) or (z - lo) - pi.
    I yNegative = I(y) >> 31;
    F lowered = angle - PI_LOW;
    F left = yNegative ? lowered - PI : PI - lowered;
    F right = F(I(angle) ^ (yNegative & int32_t(0x80000000u)));
    F result = (I(x) >> 31) ? left : right;
    std::memcpy(out, &result, sizeof result);
    return true;
}

bool FourOrdinary(const float* ys, const float* xs, float* out)
{
    return Ordinary<4>(ys, xs, out);
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
    return FourOrdinary(y, x, out);
}

__attribute__((target("avx2"))) bool Particle_Atan2Eight(const float* y, const float* x, float* out)
{
    return Ordinary<8>(y, x, out);
}

void Particle_Atan2Block(const float* y, const float* x, float* out, int32_t n)
{
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        if (FourOrdinary(y + i, x + i, out + i)) continue;
        for (int32_t j = i; j < i + 4; ++j) out[j] = Particle_Atan2(y[j], x[j]);
    }
    for (; i < n; ++i) out[i] = Particle_Atan2(y[i], x[i]);
}
