#include "particle/Particle_Trig.h"

#include <bit>
#include <cmath>
#include <immintrin.h>
#include <initializer_list>

namespace {

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

// The routine's steps are inlined into each form's entry, so that the fused form's entry built for
// processors with fused multiply-add performs them as single instructions.
#define TRIG_STEP [[gnu::always_inline]] inline

TRIG_STEP int32_t Top12(float value)
{
    return int32_t((std::bit_cast<uint32_t>(value) >> 20) & 0x7ff);
}

// a * b + c, rounded once or twice as the library's build does it.
struct Fused {
    TRIG_STEP static double Mad(double a, double b, double c) { return std::fma(a, b, c); }
};
struct Separate {
    TRIG_STEP static double Mad(double a, double b, double c) { return a * b + c; }
};

// The polynomial pair on the reduced angle x (x2 its square); the odd quadrants swap the answers and
// quadrants 2 and 3 negate the cosine's.
template <typename Form>
TRIG_STEP void Polynomials(double x, double x2, int32_t quadrant, float* sine, float* cosine)
{
    double x4 = x2 * x2, x3 = x2 * x;
    double c2 = Form::Mad(x2, C4, C3), s1 = Form::Mad(x2, S3, S2);
    double c1 = Form::Mad(x2, C1, C0);
    double x5 = x3 * x2, x6 = x4 * x2;
    double s = Form::Mad(x3, S1, x), c = Form::Mad(x4, C2, c1);
    float sinePart = float(Form::Mad(x5, s1, s));
    double cosineDouble = Form::Mad(x6, c2, c);
    float cosinePart = float((quadrant & 2) != 0 ? -cosineDouble : cosineDouble);
    *sine = (quadrant & 1) != 0 ? cosinePart : sinePart;
    *cosine = (quadrant & 1) != 0 ? sinePart : cosinePart;
}

// The quadrant of an angle below 120: the nearest multiple of pi/2, by the scaled product's top.
TRIG_STEP int32_t Quadrant(double x)
{
    return (int32_t(x * HALF_PI_INVERSE_SCALED) + 0x800000) >> 24;
}

// Sine and cosine of the angles below 120; false, with nothing stored, for the others.
template <typename Form> TRIG_STEP bool Short(float radians, float* sine, float* cosine)
{
    int32_t top = Top12(radians);
    if (top >= TOP_SHORT) return false;
    if (top < TOP_TINY) {
        *sine = radians;
        *cosine = 1.0f;
        return true;
    }
    double x = radians;
    if (top < TOP_UNREDUCED) {
        Polynomials<Form>(x, x * x, 0, sine, cosine);
        return true;
    }
    int32_t n = Quadrant(x);
    double r = Form::Mad(-double(n), HALF_PI, x);
    // Quadrants 1 and 2 take the sine of -r.
    double signedR = ((n ^ (n >> 1)) & 1) != 0 ? -r : r;
    Polynomials<Form>(signedR, r * r, n, sine, cosine);
    return true;
}

enum class Form { Library, Separate, Fused };

void LibrarySinCos(float radians, float* sine, float* cosine)
{
    *sine = std::sin(radians);
    *cosine = std::cos(radians);
}

// Angles on which the fused and the separate form answer differently (the only such angles below
// 120 are a few near multiples of pi/2, from 17 up), and some of each case.
constexpr float PROBES[] = {
    0x1.1475b6p+4f, 0x1.78edb2p+4f, 0x1.05d696p+5f, 0x1.ab6152p+5f, 0x1.019c5p+6f, 0x1.d0f4aap+6f,
    0.0f,           1e-5f,          0.3f,           0.7f,           1.0f,          1.5707964f,
    3.1415927f,     4.712389f,      6.2831855f,     100.0f,
};

template <typename F> bool AnswersAsLibrary()
{
    for (float angle : PROBES) {
        for (float radians : {angle, -angle}) {
            float s = 0, c = 0, ls = 0, lc = 0;
            Short<F>(radians, &s, &c);
            LibrarySinCos(radians, &ls, &lc);
            if (std::bit_cast<uint32_t>(s) != std::bit_cast<uint32_t>(ls) ||
                std::bit_cast<uint32_t>(c) != std::bit_cast<uint32_t>(lc))
                return false;
        }
    }
    return true;
}

Form ChooseForm()
{
    if (AnswersAsLibrary<Fused>()) return Form::Fused;
    if (AnswersAsLibrary<Separate>()) return Form::Separate;
    return Form::Library;
}

Form TheForm()
{
    static const Form form = ChooseForm();
    return form;
}

bool HasAvx2AndFma()
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}

__attribute__((target("fma"))) bool ShortFusedByHardware(float radians, float* sine, float* cosine)
{
    return Short<Fused>(radians, sine, cosine);
}

// A lane mask of four doubles from one of four 32-bit lanes.
__attribute__((target("avx2,fma"))) __m256d WideMask(__m128i lanes)
{
    return _mm256_castsi256_pd(_mm256_cvtepi32_epi64(lanes));
}

// Four angles, all of the short cases, in the fused form; false, with nothing stored, when a lane is
// of another case. Each lane performs the scalar form's operations.
__attribute__((target("avx2,fma"))) bool FourFused(const float* radians, float* sine, float* cosine)
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

} // namespace

void Particle_SinCos(float radians, float* sine, float* cosine)
{
    Form form = TheForm();
    if (form == Form::Fused && HasAvx2AndFma() && ShortFusedByHardware(radians, sine, cosine)) return;
    if (form == Form::Fused && Short<Fused>(radians, sine, cosine)) return;
    if (form == Form::Separate && Short<Separate>(radians, sine, cosine)) return;
    LibrarySinCos(radians, sine, cosine);
}

bool Particle_SinCosFour(const float* radians, float* sine, float* cosine)
{
    return TheForm() == Form::Fused && HasAvx2AndFma() && FourFused(radians, sine, cosine);
}

void Particle_SinCosBlock(const float* radians, float* sine, float* cosine, int32_t n)
{
    int32_t i = 0;
    if (TheForm() == Form::Fused && HasAvx2AndFma()) {
        for (; i + 4 <= n; i += 4) {
            if (FourFused(radians + i, sine + i, cosine + i)) continue;
            for (int32_t j = i; j < i + 4; ++j)
                Particle_SinCos(radians[j], sine + j, cosine + j);
        }
    }
    for (; i < n; ++i)
        Particle_SinCos(radians[i], sine + i, cosine + i);
}
