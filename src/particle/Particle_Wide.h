// The update's step for eight particles at once, on processors with AVX2 and fused multiply-add:
// the particles' records are turned into eight-lane columns, stepped lane by lane with the very
// operations, in the very order, of the one-at-a-time step (no fused multiply-add where it has none,
// no reassociation), and turned back. It takes only the common case (one type without wiggles, no
// attractors, none dying, every angle of the ordinary cases of the particles' own arctangent, sine
// and cosine) and leaves the rest, untouched, to the one-at-a-time step.
#pragma once

#include <cstdint>

#include "particle/Particle_Type.h"

constexpr int32_t PARTICLE_WIDE_LANES = 8;

// The colour and alpha of a fading type (two or three colours) for a grown particle's age and life, kept
// for the next particle: both depend on nothing else, and particles born together come in runs of one
// age and life.
struct ParticleFade {
    const ParticleType* type = nullptr;
    int32_t age = 0, life = 0;
    uint32_t colour = 0;
    float alpha = 0.0f;
    bool Holds(const ParticleType& t, int32_t particleAge, int32_t particleLife) const
    {
        return type == &t && age == particleAge && life == particleLife;
    }
    // Brought to a particle's age and life; the second form makes a record of them when needed.
    void For(const ParticleType& t, const Particle& p)
    {
        if (!Holds(t, p.age, p.life)) Refresh(t, p);
    }
    void For(const ParticleType& t, int32_t particleAge, int32_t particleLife)
    {
        if (!Holds(t, particleAge, particleLife)) Refresh(t, particleAge, particleLife);
    }
    void Refresh(const ParticleType& t, const Particle& p)
    {
        *this = {&t, p.age, p.life, Particle_Colour(t, p), Particle_Alpha(t, p)};
    }
    void Refresh(const ParticleType& t, int32_t particleAge, int32_t particleLife);
};

// What the wide step needs of a run of particles of one type, worked out once per run.
struct ParticleWideRun {
    int32_t typeIndex = -1;
    const ParticleType* type = nullptr;
    // The type's gravity as a motion vector, and whether it has any.
    bool gravity = false;
    float gravityX = 0.0f, gravityY = 0.0f;
    // The sine and cosine may be worked out four at a time (Particle_SinCosFourAvailable).
    bool fourTrig = false;
    // The life pass is done in the walk: each particle is aged first.
    bool ages = false;
    // The appearance is taken in the walk: size, alpha and, for a fading type, the colour from `fade`.
    bool appearance = false;
    ParticleFade* fade = nullptr;
};

// Whether the update uses the wide step: the processor runs it (AVX2 and fused multiply-add) and it
// is not switched off (the tests switch it off to compare the update with the one-at-a-time step).
bool Particle_WideStepAvailable();
void Particle_SetWideStep(bool on);
// Whether a type's particles can take the wide step at all (no wiggles).
bool Particle_WideStepTakes(const ParticleType& type);
// Steps the eight particles from `eight` (all of run.typeIndex) as the one-at-a-time step would:
// true when done; false, with nothing changed, when one of them is not of the common case.
bool Particle_WideStep(Particle* eight, const ParticleWideRun& run);
