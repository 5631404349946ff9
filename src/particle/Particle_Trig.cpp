#include "particle/Particle_Trig.h"

#include <bit>
#include <cmath>
#include <initializer_list>

#include "particle/Particle_TrigLanes.h"

namespace {

using namespace particle_lanes;

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

// The four-at-a-time case called from code built for any processor.
__attribute__((target("avx2,fma"))) bool FourFusedCalled(const float* radians, float* sine, float* cosine)
{
    return FourFused(radians, sine, cosine);
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

bool Particle_SinCosFourAvailable()
{
    return TheForm() == Form::Fused && HasAvx2AndFma();
}

bool Particle_SinCosFour(const float* radians, float* sine, float* cosine)
{
    return Particle_SinCosFourAvailable() && FourFusedCalled(radians, sine, cosine);
}

void Particle_SinCosBlock(const float* radians, float* sine, float* cosine, int32_t n)
{
    int32_t i = 0;
    if (TheForm() == Form::Fused && HasAvx2AndFma()) {
        for (; i + 4 <= n; i += 4) {
            if (FourFusedCalled(radians + i, sine + i, cosine + i)) continue;
            for (int32_t j = i; j < i + 4; ++j)
                Particle_SinCos(radians[j], sine + j, cosine + j);
        }
    }
    for (; i < n; ++i)
        Particle_SinCos(radians[i], sine + i, cosine + i);
}
