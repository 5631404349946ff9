// PLACEHOLDER until particle systems exist: only the slot tables are kept; see the header.
#include "particle/Particle_TablePlaceholders.h"

#include <cstddef>
#include <vector>

namespace {

// In-use flags of one slot table: the first free slot, else a new one at the end.
struct Slots {
    std::vector<bool> used;
    int32_t Take()
    {
        for (std::size_t i = 0; i < used.size(); ++i) {
            if (used[i]) continue;
            used[i] = true;
            return static_cast<int32_t>(i);
        }
        used.push_back(true);
        return static_cast<int32_t>(used.size()) - 1;
    }
    bool Has(int32_t i) const { return i >= 0 && static_cast<std::size_t>(i) < used.size() && used[i]; }
    void Free(int32_t i)
    {
        if (Has(i)) used[i] = false;
    }
};

Slots g_Types;
Slots g_Systems;
std::vector<Slots> g_Emitters; // per system slot

Slots* EmittersOf(int32_t system)
{
    return g_Systems.Has(system) ? &g_Emitters[system] : nullptr;
}

} // namespace

int32_t ParticleType_Create()
{
    return g_Types.Take();
}
bool ParticleType_Exists(int32_t type)
{
    return g_Types.Has(type);
}
// PLACEHOLDER until particle types exist: the settings are not kept.
void ParticleType_SetShape(int32_t, int32_t) {}
void ParticleType_SetSprite(int32_t, int32_t, bool, bool, bool) {}
void ParticleType_SetSize(int32_t, float, float, float, float) {}
void ParticleType_SetLife(int32_t, float, float) {}
void ParticleType_SetSpeed(int32_t, float, float, float, float) {}
void ParticleType_SetDirection(int32_t, float, float, float, float) {}
void ParticleType_SetGravity(int32_t, float, float) {}
void ParticleType_SetStep(int32_t, int32_t, int32_t) {}
void ParticleType_SetDeath(int32_t, int32_t, int32_t) {}
void ParticleType_SetColor2(int32_t, uint32_t, uint32_t) {}
void ParticleType_SetColorMix(int32_t, uint32_t, uint32_t) {}
void ParticleType_SetAlpha2(int32_t, float, float) {}

int32_t ParticleSystem_Create()
{
    int32_t system = g_Systems.Take();
    if (static_cast<std::size_t>(system) >= g_Emitters.size()) g_Emitters.resize(system + 1);
    g_Emitters[system] = Slots();
    return system;
}
bool ParticleSystem_Exists(int32_t system)
{
    return g_Systems.Has(system);
}
void ParticleSystem_Destroy(int32_t system)
{
    ParticleSystem_Clear(system);
    g_Systems.Free(system);
}
void ParticleSystem_Clear(int32_t system)
{
    if (Slots* emitters = EmittersOf(system)) *emitters = Slots();
}
// PLACEHOLDER until particle systems exist: there are no particles to remove.
void ParticleSystem_ClearParticles(int32_t) {}
// PLACEHOLDER until particle systems exist: nothing is drawn, so the depth is not kept.
void ParticleSystem_SetDepth(int32_t, float) {}

int32_t ParticleEmitter_Create(int32_t system)
{
    Slots* emitters = EmittersOf(system);
    return emitters != nullptr ? emitters->Take() : -1;
}
bool ParticleEmitter_Exists(int32_t system, int32_t emitter)
{
    Slots* emitters = EmittersOf(system);
    return emitters != nullptr && emitters->Has(emitter);
}
void ParticleEmitter_Destroy(int32_t system, int32_t emitter)
{
    if (Slots* emitters = EmittersOf(system)) emitters->Free(emitter);
}
// PLACEHOLDER until emitters exist: no region is kept and no particle is made.
void ParticleEmitter_SetRegion(int32_t, int32_t, float, float, float, float, int32_t, int32_t) {}
void ParticleEmitter_Burst(int32_t, int32_t, int32_t, int32_t) {}
void ParticleEmitter_SetStream(int32_t, int32_t, int32_t, int32_t) {}

// PLACEHOLDER until effects exist: no effect particle is made.
void Effect_Create(bool, int32_t, float, float, int32_t, uint32_t) {}
