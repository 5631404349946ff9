// The ordinary case of the particles' arctangent (Particle_Angle.h) over N lanes at once, for the
// block's four lanes and the wide step's eight: inlined where it is used, so that the wide step keeps
// its lanes in registers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace particle_lanes {

// Interval anchors: atan(0.5), atan(1), atan(1.5), atan(inf), high and low parts.
constexpr float ATAN_HI[4] = {4.6364760399e-01f, 7.8539812565e-01f, 9.8279368877e-01f, 1.5707962513e+00f};
constexpr float ATAN_LO[4] = {5.0121582440e-09f, 3.7748947079e-08f, 3.4473217170e-08f, 7.5497894159e-08f};
// The series' coefficients, the odd terms from 0 and the even ones from 1.
constexpr float COEFFICIENTS[11] = {3.3333334327e-01f,  -2.0000000298e-01f, 1.4285714924e-01f, -1.1111110449e-01f,
                                    9.0908870101e-02f,  -7.6918758452e-02f, 6.6610731184e-02f, -5.8335702866e-02f,
                                    4.9768779427e-02f,  -3.6531571299e-02f, 1.6285819933e-02f};
constexpr float PI = 3.1415927410e+00f;
constexpr float PI_LOW = -8.7422776573e-08f;

// N lanes of floats and of 32-bit integers (the compiler's vector types: their operators work lane
// by lane with the scalar operations' rounding, and a comparison gives -1 or 0 in each lane).
template <int N> struct Lanes {
    typedef float F __attribute__((vector_size(4 * N)));
    typedef int32_t I __attribute__((vector_size(4 * N)));
};

// Whether no lane of a mask is set.
template <typename I> [[gnu::always_inline]] inline bool NoneSet(const I& mask)
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

} // namespace particle_lanes
