#include "particle/Particle_Wide.h"

#include <cstddef>
#include <immintrin.h>

#include "particle/Particle_AngleLanes.h"
#include "particle/Particle_Trig.h"
#include "particle/Particle_TrigLanes.h"

namespace {

// The record is read and written sixteen bytes at a time, four fields each.
static_assert(sizeof(Particle) == 80 && alignof(Particle) == 4);
static_assert(offsetof(Particle, type) == 4 && offsetof(Particle, age) == 8 && offsetof(Particle, life) == 12);
static_assert(offsetof(Particle, x) == 16 && offsetof(Particle, y) == 20 && offsetof(Particle, xPrevious) == 24 &&
              offsetof(Particle, yPrevious) == 28);
static_assert(offsetof(Particle, speed) == 32 && offsetof(Particle, direction) == 36 &&
              offsetof(Particle, angle) == 40 && offsetof(Particle, colour) == 44);
static_assert(offsetof(Particle, alpha) == 48 && offsetof(Particle, size) == 52 &&
              offsetof(Particle, frameOffset) == 56 && offsetof(Particle, seed) == 60);
static_assert(offsetof(Particle, trigKept) == 64 && offsetof(Particle, trigDirection) == 68 &&
              offsetof(Particle, trigCos) == 72 && offsetof(Particle, trigSin) == 76);

// The sine and cosine of the wide step are the fused form's, so it is built for fused multiply-add
// too; its own multiplications and additions stay separate, as the build never contracts them
// (-ffp-contract=off).
#define WIDE __attribute__((target("avx2,fma")))
#define WIDE_STEP [[gnu::always_inline]] inline WIDE

// Four fields of eight records as four columns of eight lanes: lanes 0 to 3 hold records 0 to 3,
// lanes 4 to 7 records 4 to 7. Transposing the columns again gives the rows back.
struct Columns {
    __m256 c[4];
};

WIDE_STEP Columns Transpose(__m256 r0, __m256 r1, __m256 r2, __m256 r3)
{
    __m256 t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpackhi_ps(r0, r1);
    __m256 t2 = _mm256_unpacklo_ps(r2, r3), t3 = _mm256_unpackhi_ps(r2, r3);
    return {{_mm256_shuffle_ps(t0, t2, 0x44), _mm256_shuffle_ps(t0, t2, 0xEE), _mm256_shuffle_ps(t1, t3, 0x44),
             _mm256_shuffle_ps(t1, t3, 0xEE)}};
}

// The sixteen bytes at `offset` of a record.
WIDE_STEP const float* At(const Particle* eight, int32_t record, size_t offset)
{
    return reinterpret_cast<const float*>(reinterpret_cast<const char*>(eight + record) + offset);
}

WIDE_STEP float* At(Particle* eight, int32_t record, size_t offset)
{
    return reinterpret_cast<float*>(reinterpret_cast<char*>(eight + record) + offset);
}

// Records k and k + 4 as the low and high halves of a row.
WIDE_STEP __m256 Row(const Particle* eight, int32_t k, size_t offset)
{
    return _mm256_set_m128(_mm_loadu_ps(At(eight, k + 4, offset)), _mm_loadu_ps(At(eight, k, offset)));
}

WIDE_STEP void PutRow(Particle* eight, int32_t k, size_t offset, __m256 row)
{
    _mm_storeu_ps(At(eight, k, offset), _mm256_castps256_ps128(row));
    _mm_storeu_ps(At(eight, k + 4, offset), _mm256_extractf128_ps(row, 1));
}

// The rows are written out one by one: a loop over them would keep them on the stack.
WIDE_STEP Columns Load(const Particle* eight, size_t offset)
{
    return Transpose(Row(eight, 0, offset), Row(eight, 1, offset), Row(eight, 2, offset), Row(eight, 3, offset));
}

WIDE_STEP void Store(Particle* eight, size_t offset, const Columns& columns)
{
    Columns rows = Transpose(columns.c[0], columns.c[1], columns.c[2], columns.c[3]);
    PutRow(eight, 0, offset, rows.c[0]);
    PutRow(eight, 1, offset, rows.c[1]);
    PutRow(eight, 2, offset, rows.c[2]);
    PutRow(eight, 3, offset, rows.c[3]);
}

WIDE_STEP __m256i Ints(__m256 lanes)
{
    return _mm256_castps_si256(lanes);
}

WIDE_STEP __m256 Floats(__m256i lanes)
{
    return _mm256_castsi256_ps(lanes);
}

WIDE_STEP bool All(__m256i mask)
{
    return _mm256_movemask_ps(Floats(mask)) == 0xFF;
}

WIDE_STEP __m256 Broadcast(float value)
{
    return _mm256_set1_ps(value);
}

// Lanes whose floats are the same bits.
WIDE_STEP __m256i SameBits(__m256 a, __m256 b)
{
    return _mm256_cmpeq_epi32(Ints(a), Ints(b));
}

// The low byte of each lane's word (a flag stored in the record's first byte of the four) is set.
WIDE_STEP __m256i FlagSet(__m256 words)
{
    __m256i low = _mm256_and_si256(Ints(words), _mm256_set1_epi32(0xFF));
    return _mm256_xor_si256(_mm256_cmpeq_epi32(low, _mm256_setzero_si256()), _mm256_set1_epi32(-1));
}

// fmax(value, 0) as the one-at-a-time step takes it: value when above 0, else +0 (NaN and -0 too).
WIDE_STEP __m256 AtLeastZero(__m256 value)
{
    return _mm256_and_ps(_mm256_cmp_ps(value, _mm256_setzero_ps(), _CMP_GT_OQ), value);
}

WIDE_STEP __m256 Negated(__m256 value)
{
    return _mm256_xor_ps(value, Broadcast(-0.0f));
}

WIDE_STEP __m256 Radians(__m256 degrees)
{
    return _mm256_div_ps(_mm256_mul_ps(degrees, Broadcast(PARTICLE_PI)), Broadcast(180.0f));
}

// Sine and cosine of eight angles, four at a time; false when the fused form is not the library's or
// a lane is not of the short cases.
WIDE_STEP bool SinCos(const ParticleWideRun& run, __m256 radians, __m256* sine, __m256* cosine)
{
    if (!run.fourTrig) return false;
    alignas(32) float in[8], s[8], c[8];
    _mm256_store_ps(in, radians);
    if (!particle_lanes::FourFused(in, s, c) || !particle_lanes::FourFused(in + 4, s + 4, c + 4)) return false;
    *sine = _mm256_load_ps(s);
    *cosine = _mm256_load_ps(c);
    return true;
}

// atan2(y, x) of eight lanes; false when a lane is not of the ordinary case.
WIDE_STEP bool Atan2(__m256 y, __m256 x, __m256* angle)
{
    alignas(32) float ys[8], xs[8], out[8];
    _mm256_store_ps(ys, y);
    _mm256_store_ps(xs, x);
    if (!particle_lanes::Ordinary<8>(ys, xs, out)) return false;
    *angle = _mm256_load_ps(out);
    return true;
}

// The state of eight particles between loading and storing, a column per field.
struct Lanes {
    Columns head;   // alive (low byte), type, age, life
    Columns place;  // x, y, previous x, previous y
    Columns motion; // speed, direction, angle, colour
    Columns looks;  // alpha, size, frame offset, seed
    Columns trig;   // kept (low byte), direction, cosine, sine
};

enum : int32_t { HEAD = 0, PLACE = 16, MOTION = 32, LOOKS = 48, TRIG = 64 };

// Ages the lanes when the walk does the life pass; false when one of them is of another type, not
// alive, dies now, or (with the appearance) has no age or life that the fades' rules take as grown.
WIDE_STEP bool Age(Lanes& l, const ParticleWideRun& run)
{
    __m256i age = Ints(l.head.c[2]), life = Ints(l.head.c[3]);
    __m256i ok = _mm256_and_si256(_mm256_cmpeq_epi32(Ints(l.head.c[1]), _mm256_set1_epi32(run.typeIndex)),
                                  FlagSet(l.head.c[0]));
    if (run.ages) {
        age = _mm256_add_epi32(age, _mm256_set1_epi32(1));
        ok = _mm256_and_si256(ok, _mm256_cmpgt_epi32(life, age));
    }
    if (run.appearance) {
        __m256i zero = _mm256_setzero_si256();
        ok = _mm256_and_si256(ok, _mm256_and_si256(_mm256_cmpgt_epi32(age, zero), _mm256_cmpgt_epi32(life, zero)));
    }
    l.head.c[2] = Floats(age);
    return All(ok);
}

// The motion of the step: the type's increments, the motion vector of gravity turned back into a
// speed and a direction, then the move along the step's direction, whose sine and cosine the
// particles keep.
WIDE_STEP bool Move(Lanes& l, const ParticleWideRun& run)
{
    const ParticleType& t = *run.type;
    __m256 x = l.place.c[0], y = l.place.c[1];
    __m256 speed = AtLeastZero(_mm256_add_ps(l.motion.c[0], Broadcast(t.speedIncrement)));
    __m256 direction = _mm256_add_ps(l.motion.c[1], Broadcast(t.directionIncrement));
    __m256 turned = _mm256_add_ps(l.motion.c[2], Broadcast(t.orientationIncrement));
    __m256i kept = FlagSet(l.trig.c[0]);
    __m256 keptDirection = l.trig.c[1], cosine = l.trig.c[2], sine = l.trig.c[3];
    if (run.gravity) {
        if (!All(_mm256_and_si256(kept, SameBits(keptDirection, direction))) &&
            !SinCos(run, Radians(direction), &sine, &cosine))
            return false;
        kept = _mm256_set1_epi32(-1);
        keptDirection = direction;
        __m256 vx = _mm256_add_ps(_mm256_mul_ps(cosine, speed), Broadcast(run.gravityX));
        __m256 vy = _mm256_add_ps(_mm256_mul_ps(Negated(sine), speed), Broadcast(run.gravityY));
        __m256 angle;
        if (!Atan2(vy, vx, &angle)) return false;
        // Neither part is 0 in the ordinary case, so the direction is the angle's.
        speed = _mm256_sqrt_ps(_mm256_add_ps(_mm256_mul_ps(vx, vx), _mm256_mul_ps(vy, vy)));
        __m256 d = _mm256_div_ps(_mm256_mul_ps(angle, Broadcast(180.0f)), Broadcast(PARTICLE_PI));
        __m256 positive = _mm256_cmp_ps(d, _mm256_setzero_ps(), _CMP_GT_OQ);
        direction = _mm256_blendv_ps(Negated(d), _mm256_sub_ps(Broadcast(360.0f), d), positive);
        // Within (0, 360) the wrap takes away nothing and is skipped, as one at a time.
        __m256 inRange = _mm256_and_ps(_mm256_cmp_ps(direction, _mm256_setzero_ps(), _CMP_GT_OQ),
                                       _mm256_cmp_ps(direction, Broadcast(360.0f), _CMP_LT_OQ));
        __m256 turns = _mm256_floor_ps(_mm256_div_ps(direction, Broadcast(360.0f)));
        __m256 wrapped = _mm256_sub_ps(direction, _mm256_mul_ps(turns, Broadcast(360.0f)));
        direction = _mm256_blendv_ps(wrapped, direction, inRange);
    }
    if (!All(_mm256_and_si256(kept, SameBits(keptDirection, direction))) &&
        !SinCos(run, Radians(direction), &sine, &cosine))
        return false;
    l.place.c[2] = x;
    l.place.c[3] = y;
    l.place.c[0] = _mm256_add_ps(x, _mm256_add_ps(_mm256_mul_ps(cosine, speed), _mm256_setzero_ps()));
    l.place.c[1] = _mm256_add_ps(y, _mm256_add_ps(_mm256_mul_ps(Negated(sine), speed), _mm256_setzero_ps()));
    l.motion.c[0] = speed;
    l.motion.c[1] = direction;
    l.motion.c[2] = turned;
    __m256i keptWord = _mm256_or_si256(_mm256_andnot_si256(_mm256_set1_epi32(0xFF), Ints(l.trig.c[0])),
                                       _mm256_set1_epi32(1));
    l.trig = {{Floats(keptWord), direction, cosine, sine}};
    return true;
}

// The colours of a fading type: one look-up when the eight share their age and life, as particles
// born together do, else one each.
WIDE_STEP __m256 FadeColours(const Lanes& l, const ParticleType& t, ParticleFade& fade)
{
    __m256i age = Ints(l.head.c[2]), life = Ints(l.head.c[3]);
    int32_t firstAge = _mm256_extract_epi32(age, 0), firstLife = _mm256_extract_epi32(life, 0);
    __m256i same = _mm256_and_si256(_mm256_cmpeq_epi32(age, _mm256_set1_epi32(firstAge)),
                                    _mm256_cmpeq_epi32(life, _mm256_set1_epi32(firstLife)));
    if (All(same)) {
        fade.For(t, firstAge, firstLife);
        return Floats(_mm256_set1_epi32(int32_t(fade.colour)));
    }
    alignas(32) int32_t ages[8], lives[8], colours[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(ages), age);
    _mm256_store_si256(reinterpret_cast<__m256i*>(lives), life);
    for (int32_t j = 0; j < 8; ++j) {
        fade.For(t, ages[j], lives[j]);
        colours[j] = int32_t(fade.colour);
    }
    return _mm256_load_ps(reinterpret_cast<const float*>(colours));
}

// Size and alpha for the new age (lanes of a grown age and a life above 0).
WIDE_STEP void Appear(Lanes& l, const ParticleType& t)
{
    l.looks.c[1] = AtLeastZero(_mm256_add_ps(l.looks.c[1], Broadcast(t.sizeIncrement)));
    __m256i age = Ints(l.head.c[2]);
    __m256 f = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_add_epi32(age, age)), _mm256_cvtepi32_ps(Ints(l.head.c[3])));
    __m256 one = Broadcast(1.0f), middle = Broadcast(t.alphaMiddle);
    __m256 rising = _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(one, f), Broadcast(t.alphaStart)),
                                  _mm256_mul_ps(f, middle));
    __m256 falling = _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(Broadcast(2.0f), f), middle),
                                   _mm256_mul_ps(_mm256_sub_ps(f, one), Broadcast(t.alphaEnd)));
    l.looks.c[0] = _mm256_blendv_ps(falling, rising, _mm256_cmp_ps(f, one, _CMP_LT_OQ));
}

WIDE bool Step(Particle* eight, const ParticleWideRun& run)
{
    Lanes l;
    l.head = Load(eight, HEAD);
    if (!Age(l, run)) return false;
    l.place = Load(eight, PLACE);
    l.motion = Load(eight, MOTION);
    l.trig = Load(eight, TRIG);
    if (!Move(l, run)) return false;
    if (run.fade != nullptr) l.motion.c[3] = FadeColours(l, *run.type, *run.fade);
    Store(eight, HEAD, l.head);
    Store(eight, PLACE, l.place);
    Store(eight, MOTION, l.motion);
    Store(eight, TRIG, l.trig);
    if (run.appearance) {
        l.looks = Load(eight, LOOKS);
        Appear(l, *run.type);
        Store(eight, LOOKS, l.looks);
    }
    return true;
}

bool g_WideStepOn = true;

} // namespace

void ParticleFade::Refresh(const ParticleType& t, int32_t particleAge, int32_t particleLife)
{
    Particle p;
    p.age = particleAge;
    p.life = particleLife;
    Refresh(t, p);
}

bool Particle_WideStepAvailable()
{
    static const bool processor = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return processor && g_WideStepOn;
}

void Particle_SetWideStep(bool on)
{
    g_WideStepOn = on;
}

bool Particle_WideStepTakes(const ParticleType& type)
{
    return type.speedWiggle == 0.0f && type.directionWiggle == 0.0f;
}

bool Particle_WideStep(Particle* eight, const ParticleWideRun& run)
{
    return Step(eight, run);
}
