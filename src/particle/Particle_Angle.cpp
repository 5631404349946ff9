#include "particle/Particle_Angle.h"

#include <bit>
#include <cmath>
#include <emmintrin.h>

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

__m128 Select(__m128 mask, __m128 yes, __m128 no)
{
    return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no));
}

__m128 Lookup(const float table[4], __m128i id)
{
    alignas(16) int32_t ids[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(ids), id);
    return _mm_setr_ps(table[ids[0]], table[ids[1]], table[ids[2]], table[ids[3]]);
}

__m128i Magnitude(__m128 value)
{
    return _mm_and_si128(_mm_castps_si128(value), _mm_set1_epi32(0x7fffffff));
}

// Whether each lane is of the ordinary case the block works out four at a time: both finite and not
// zero, x not 1, and |y / x| of a size the series itself handles (not below 2^-29, not from 2^25), so
// that none of the routine's special answers applies. All four lanes ordinary gives 15.
int32_t OrdinaryLanes(__m128 y, __m128 x, __m128 t)
{
    __m128i ix = Magnitude(x), iy = Magnitude(y), it = _mm_castps_si128(t);
    __m128i zero = _mm_setzero_si128();
    // The exponents' difference beyond 60 either way takes the routine's shortcuts.
    __m128i k = _mm_srai_epi32(_mm_sub_epi32(iy, ix), 23);
    __m128i kOut = _mm_or_si128(_mm_cmpgt_epi32(k, _mm_set1_epi32(60)), _mm_cmplt_epi32(k, _mm_set1_epi32(-60)));
    __m128i special = _mm_or_si128(_mm_cmpeq_epi32(ix, zero), _mm_cmpeq_epi32(iy, zero));
    special = _mm_or_si128(special, _mm_cmpgt_epi32(ix, _mm_set1_epi32(0x7f7fffff)));
    special = _mm_or_si128(special, _mm_cmpgt_epi32(iy, _mm_set1_epi32(0x7f7fffff)));
    special = _mm_or_si128(special, _mm_cmpeq_epi32(_mm_castps_si128(x), _mm_set1_epi32(0x3f800000)));
    special = _mm_or_si128(special, kOut);
    special = _mm_or_si128(special, _mm_cmplt_epi32(it, _mm_set1_epi32(0x31000000)));
    special = _mm_or_si128(special, _mm_cmpgt_epi32(it, _mm_set1_epi32(0x4bffffff)));
    return 15 & ~_mm_movemask_ps(_mm_castsi128_ps(special));
}

// Four ordinary lanes: each lane performs the scalar routine's operations on its own interval's
// numerator and denominator, chosen before the one division (the interval below 7/16 divides by 1,
// which changes nothing). False, with nothing stored, when a lane is not ordinary.
bool FourOrdinary(const float* ys, const float* xs, float* out)
{
    const __m128 signBit = _mm_set1_ps(-0.0f);
    __m128 y = _mm_loadu_ps(ys), x = _mm_loadu_ps(xs);
    __m128 t = _mm_andnot_ps(signBit, _mm_div_ps(y, x));
    if (OrdinaryLanes(y, x, t) != 15) return false;
    __m128i bits = _mm_castps_si128(t);
    __m128 in0 = _mm_castsi128_ps(_mm_cmplt_epi32(bits, _mm_set1_epi32(0x3f300000)));
    __m128 in1 = _mm_castsi128_ps(_mm_cmplt_epi32(bits, _mm_set1_epi32(0x3f980000)));
    __m128 in2 = _mm_castsi128_ps(_mm_cmplt_epi32(bits, _mm_set1_epi32(0x401c0000)));
    __m128 small = _mm_castsi128_ps(_mm_cmplt_epi32(bits, _mm_set1_epi32(0x3ee00000)));
    const __m128 one = _mm_set1_ps(1.0f), two = _mm_set1_ps(2.0f), half3 = _mm_set1_ps(1.5f);
    __m128 num = Select(in2, _mm_sub_ps(t, half3), _mm_set1_ps(-1.0f));
    __m128 den = Select(in2, _mm_add_ps(one, _mm_mul_ps(half3, t)), t);
    num = Select(in1, _mm_sub_ps(t, one), num);
    den = Select(in1, _mm_add_ps(t, one), den);
    num = Select(in0, _mm_sub_ps(_mm_mul_ps(two, t), one), num);
    den = Select(in0, _mm_add_ps(two, t), den);
    num = Select(small, t, num);
    den = Select(small, one, den);
    __m128 r = _mm_div_ps(num, den);
    const float* a = COEFFICIENTS;
    auto c = [](float v) { return _mm_set1_ps(v); };
    __m128 z = _mm_mul_ps(r, r);
    __m128 w = _mm_mul_ps(z, z);
    __m128 s1 = _mm_add_ps(c(a[8]), _mm_mul_ps(w, c(a[10])));
    s1 = _mm_add_ps(c(a[6]), _mm_mul_ps(w, s1));
    s1 = _mm_add_ps(c(a[4]), _mm_mul_ps(w, s1));
    s1 = _mm_add_ps(c(a[2]), _mm_mul_ps(w, s1));
    s1 = _mm_mul_ps(z, _mm_add_ps(c(a[0]), _mm_mul_ps(w, s1)));
    __m128 s2 = _mm_add_ps(c(a[7]), _mm_mul_ps(w, c(a[9])));
    s2 = _mm_add_ps(c(a[5]), _mm_mul_ps(w, s2));
    s2 = _mm_add_ps(c(a[3]), _mm_mul_ps(w, s2));
    s2 = _mm_mul_ps(w, _mm_add_ps(c(a[1]), _mm_mul_ps(w, s2)));
    __m128 series = _mm_mul_ps(r, _mm_add_ps(s1, s2));
    __m128 nearZero = _mm_sub_ps(r, series);
    // The interval's index: 0 to 3 by how many bounds |y / x| reaches (small lanes take 0 and are
    // replaced below).
    __m128i id = _mm_add_epi32(_mm_set1_epi32(3), _mm_add_epi32(_mm_castps_si128(in0),
                                                                  _mm_add_epi32(_mm_castps_si128(in1),
                                                                                _mm_castps_si128(in2))));
    id = _mm_andnot_si128(_mm_castps_si128(small), id);
    __m128 anchored = _mm_sub_ps(Lookup(ATAN_HI, id), _mm_sub_ps(_mm_sub_ps(series, Lookup(ATAN_LO, id)), r));
    __m128 angle = Select(small, nearZero, anchored);
    // The quadrant: y negative flips the sign; x negative takes pi - (z - lo) or (z - lo) - pi.
    __m128 yNegative = _mm_castsi128_ps(_mm_srai_epi32(_mm_castps_si128(y), 31));
    __m128 xNegative = _mm_castsi128_ps(_mm_srai_epi32(_mm_castps_si128(x), 31));
    __m128 lowered = _mm_sub_ps(angle, c(PI_LOW));
    __m128 left = Select(yNegative, _mm_sub_ps(lowered, c(PI)), _mm_sub_ps(c(PI), lowered));
    __m128 right = _mm_xor_ps(angle, _mm_and_ps(yNegative, signBit));
    _mm_storeu_ps(out, Select(xNegative, left, right));
    return true;
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

void Particle_Atan2Block(const float* y, const float* x, float* out, int32_t n)
{
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        if (FourOrdinary(y + i, x + i, out + i)) continue;
        for (int32_t j = i; j < i + 4; ++j) out[j] = Particle_Atan2(y[j], x[j]);
    }
    for (; i < n; ++i) out[i] = Particle_Atan2(y[i], x[i]);
}
