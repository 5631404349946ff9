// The four-at-a-time case of the particles' sine and cosine (Particle_Trig.h), in the fused form on a
// processor with AVX2 and fused multiply-add, and the constants it shares with the one-at-a-time
// routine: inlined where it is used, so that the wide step keeps its lanes in registers.
#pragma once

#include <cstdint>
#include <immintrin.h>

namespace particle_lanes {

// 2/pi scaled by 2^24, and pi/2: the quadrant is the top of the scaled product, rounded.
constexpr double HALF_PI_INVERSE_SCALED = 0x1.45f306dc9c883p+23;
constexpr double HALF_PI = 0x1.921fb54442d18p+0;
// The polynomials of quadrants 0 and 1; quadrants 2 and 3 negate the cosine's terms, which negates
// its result exactly.
constexpr double C0 = 1.0, C1 = -0x1.ffffffd0c621cp-2, C2 = 0x1.55553e1068f19p-5, C3 = -0x1.6c087e89a359dp-10,
                 C4 = 0x1.99343027bf8c3p-16;
constexpr double S1 = -0x1.555545995a603p-3, S2 = 0x1.1107605230bc4p-7, S3 = -0x1.994eb3774cf24p-13;

// The bounds of the cases, on bits 20 to 30 of the float: below 2^-12, below 0.75 (no reduction),
// below 120 (the short reduction).
constexpr int32_t TOP_TINY = 0x398, TOP_UNREDUCED = 0x3f4, TOP_SHORT = 0x42f;

// A lane mask of four doubles from one of four 32-bit lanes.
[[gnu::always_inline]] inline __attribute__((target("avx2,fma"))) __m256d WideMask(__m128i lanes)
{
    return _mm256_castsi256_pd(_mm256_cvtepi32_epi64(lanes));
}

// Four angles, all of the short cases, in the fused form; false, with nothing stored, when a lane is
// of another case. Each lane performs the scalar form's operations.
[[gnu::always_inline]] inline __attribute__((target("avx2,fma"))) bool FourFused(const float* radians, float* sine,
                                                                                  float* cosine)
{
    __m128 in = _mm_loadu_ps(radians);
    __m128i top = _mm_and_si128(_mm_srli_epi32(_mm_castps_si128(in), 20), _mm_set1_epi32(0x7ff));
    __m128i outside = _mm_or_si128(_mm_cmplt_epi32(top, _mm_set1_epi32(TOP_TINY)),
                                   _mm_cmpgt_epi32(top, _mm_set1_epi32(TOP_SHORT - 1)));
    if (_mm_movemask_epi8(outside) != 0) return false;
    __m128i unreduced = _mm_cmplt_epi32(top, _mm_set1_epi32(TOP_UNREDUCED));
    __m256d x = _mm256_cvtps_pd(in);
    __m128i n = _mm256_cvttpd_epi32(_mm256_mul_pd(x, _mm256_set1_pd(HALF_PI_INVERSE_SCALED)));
    n = _mm_srai_epi32(_mm_add_epi32(n, _mm_set1_epi32(0x800000)), 24);
    // Quadrant 0 leaves the angle as it is (x - 0 * pi/2 is x), as the unreduced case takes it.
    n = _mm_andnot_si128(unreduced, n);
    __m256d r = _mm256_fnmadd_pd(_mm256_cvtepi32_pd(n), _mm256_set1_pd(HALF_PI), x);
    __m128i one = _mm_set1_epi32(1), two = _mm_set1_epi32(2);
    __m128i negate = _mm_cmpeq_epi32(_mm_and_si128(_mm_xor_si128(n, _mm_srai_epi32(n, 1)), one), one);
    __m256d signBit = _mm256_set1_pd(-0.0);
    __m256d xs = _mm256_xor_pd(r, _mm256_and_pd(WideMask(negate), signBit));
    __m256d x2 = _mm256_mul_pd(r, r);
    __m256d x4 = _mm256_mul_pd(x2, x2), x3 = _mm256_mul_pd(x2, xs);
    __m256d c2 = _mm256_fmadd_pd(x2, _mm256_set1_pd(C4), _mm256_set1_pd(C3));
    __m256d s1 = _mm256_fmadd_pd(x2, _mm256_set1_pd(S3), _mm256_set1_pd(S2));
    __m256d c1 = _mm256_fmadd_pd(x2, _mm256_set1_pd(C1), _mm256_set1_pd(C0));
    __m256d x5 = _mm256_mul_pd(x3, x2), x6 = _mm256_mul_pd(x4, x2);
    __m256d s = _mm256_fmadd_pd(x3, _mm256_set1_pd(S1), xs);
    __m256d cc = _mm256_fmadd_pd(x4, _mm256_set1_pd(C2), c1);
    __m256d sineD = _mm256_fmadd_pd(x5, s1, s), cosineD = _mm256_fmadd_pd(x6, c2, cc);
    __m128i flipCosine = _mm_cmpeq_epi32(_mm_and_si128(n, two), two);
    cosineD = _mm256_xor_pd(cosineD, _mm256_and_pd(WideMask(flipCosine), signBit));
    __m128 sinePart = _mm256_cvtpd_ps(sineD), cosinePart = _mm256_cvtpd_ps(cosineD);
    __m128 swap = _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(n, one), one));
    _mm_storeu_ps(sine, _mm_blendv_ps(sinePart, cosinePart, swap));
    _mm_storeu_ps(cosine, _mm_blendv_ps(cosinePart, sinePart, swap));
    return true;
}

} // namespace particle_lanes
