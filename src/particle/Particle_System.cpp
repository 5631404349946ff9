#include "particle/Particle_System.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>

#include "base/Base_Console.h"
#include "base/Base_Random.h"
#include "particle/Particle_Angle.h"
#include "particle/Particle_Effect.h"
#include "particle/Particle_Elements.h"
#include "particle/Particle_Trig.h"
#include "particle/Particle_Wide.h"

namespace {

std::vector<std::unique_ptr<ParticleSystem>> g_Systems;

// Creations left in the current life pass; the pass logs once when they run out.
int32_t g_PassCreationsLeft = PARTICLE_PASS_CREATION_LIMIT;
bool g_PassLimitLogged = false;

void ResetSystem(ParticleSystem* system)
{
    uint8_t inUse = system->inUse;
    *system = ParticleSystem();
    system->inUse = inUse;
}

// The type of a creation, or null with the console line for a type that does not exist.
const ParticleType* CreationType(int32_t type)
{
    const ParticleType* record = ParticleType_Get(type);
    if (record == nullptr) MainConsole->Output("part_particles_create :: particle type does not exist!\n");
    return record;
}

ParticleSystem* CreationSystem(int32_t index)
{
    ParticleSystem* system = ParticleSystem_Get(index);
    if (system == nullptr) MainConsole->Output("part_particles_create :: particle system does not exist!\n");
    return system;
}

// Death or step particles: n of them, or for a negative n one with a chance of 1 in -n. Within a
// life pass the creations are counted against the pass's limit.
void Spawn(ParticleSystem* system, int32_t number, int32_t type, float x, float y)
{
    if (number == 0) return;
    if (number < 0) number = int32_t(Random_Real(1.0) * -double(number)) == 0 ? 1 : 0;
    if (number == 0) return;
    const ParticleType* record = CreationType(type);
    if (record == nullptr) return;
    if (number > g_PassCreationsLeft) {
        number = g_PassCreationsLeft;
        if (!g_PassLimitLogged)
            MainConsole->Output("part_system_update :: more than %d particles created in one step, the rest "
                                "are not created\n",
                                PARTICLE_PASS_CREATION_LIMIT);
        g_PassLimitLogged = true;
    }
    g_PassCreationsLeft -= number;
    ParticleSystem_AddParticles(system, x, y, type, *record, number);
}

// The type record of the last particle looked at: particles come in runs of one type, and the table
// does not change within a pass.
struct TypeLookup {
    int32_t index = -1;
    const ParticleType* record = nullptr;
    const ParticleType* Of(int32_t type)
    {
        if (type != index) {
            index = type;
            record = ParticleType_Record(type);
        }
        return record;
    }
};

// fmax(value, 0) as the C library answers it (a NaN or -0 gives +0), without the call.
float AtLeastZero(float value)
{
    return value > 0.0f ? value : 0.0f;
}

// A particle one step older, and dead once its life is over; true when it died now.
bool AgeOneStep(Particle& p)
{
    if (++p.age < p.life) return false;
    p.alive = 0;
    return true;
}

void UpdateLife(ParticleSystem* system)
{
    g_PassCreationsLeft = PARTICLE_PASS_CREATION_LIMIT;
    g_PassLimitLogged = false;
    // The count grows as particles are spawned: those are aged in the same pass.
    TypeLookup lookup;
    for (int32_t i = 0; i < system->count; ++i) {
        Particle& p = system->Live()[i];
        const ParticleType* type = lookup.Of(p.type);
        float x = p.x, y = p.y;
        bool dies = AgeOneStep(p);
        if (type == nullptr) continue;
        // Spawning may move the array: p is not used after it.
        int32_t stepNumber = type->stepNumber, stepType = type->stepType;
        if (dies) Spawn(system, type->deathNumber, type->deathType, x, y);
        else Spawn(system, stepNumber, stepType, x, y);
    }
}

// The triangle wave of a period: from -1 to 1 and back.
float Wave(int64_t phase, int32_t period)
{
    float w = float(phase % period) / float(period / 4);
    if (w > 2.0f) w = 4.0f - w;
    return w - 1.0f;
}

float Radians(float degrees)
{
    return degrees * PARTICLE_PI / 180.0f;
}

// Whether the particle keeps the cosine and sine of this very direction from an earlier step.
bool KeepsTrig(const Particle& p, float direction)
{
    return p.trigKept && std::bit_cast<uint32_t>(p.trigDirection) == std::bit_cast<uint32_t>(direction);
}

void KeepTrig(Particle& p, float direction)
{
    p.trigDirection = direction;
    p.trigKept = 1;
}

// Cosine and sine of a direction in degrees, kept on the particle for the next step.
void DirectionTrig(Particle& p, float direction, float* c, float* s)
{
    if (!KeepsTrig(p, direction)) {
        Particle_SinCos(Radians(direction), &p.trigSin, &p.trigCos);
        KeepTrig(p, direction);
    }
    *c = p.trigCos;
    *s = p.trigSin;
}

// The motion vector turned back into a speed and a direction; `angle` is atan2(vy, vx).
void SetFromVector(Particle& p, float vx, float vy, float angle)
{
    p.speed = std::sqrt(vx * vx + vy * vy);
    if (vx == 0.0f && vy > 0.0f) p.direction = 270.0f;
    else if (vx == 0.0f && vy < 0.0f) p.direction = 90.0f;
    else if (vx != 0.0f || vy != 0.0f) {
        float d = angle * 180.0f / PARTICLE_PI;
        p.direction = d > 0.0f ? 360.0f - d : -d;
    }
    // Within (0, 360) the wrap takes away nothing; zero keeps the full form, which turns -0 into +0.
    if (!(p.direction > 0.0f && p.direction < 360.0f)) p.direction -= std::floor(p.direction / 360.0f) * 360.0f;
}

// A type's gravity as a motion vector (x, y), worked out once per run of particles of one type.
struct Gravity {
    const ParticleType* type = nullptr;
    float x = 0.0f, y = 0.0f;
    void For(const ParticleType& t)
    {
        if (type == &t) return;
        type = &t;
        x = std::cos(Radians(t.gravityDirection)) * t.gravityAmount;
        y = -std::sin(Radians(t.gravityDirection)) * t.gravityAmount;
    }
};

// A step's motion vector, when gravity or attractors make one, and the attractors' own offset.
struct MotionVector {
    bool made = false;
    float vx = 0.0f, vy = 0.0f, ox = 0.0f, oy = 0.0f;
};

// The first half of a particle's step: the type's increments, then the motion vector. The vector is
// written in place, field by field: a record built and copied whole would be read back before its
// parts were stored.
void StartMove(const ParticleSystem& system, const ParticleType& t, Gravity& gravity, Particle& p, MotionVector& v)
{
    p.xPrevious = p.x;
    p.yPrevious = p.y;
    p.speed = AtLeastZero(p.speed + t.speedIncrement);
    p.direction += t.directionIncrement;
    p.angle += t.orientationIncrement;
    v.made = false;
    v.ox = 0.0f;
    v.oy = 0.0f;
    if (t.gravityAmount != 0.0f || !system.attractors.empty()) {
        float c = 0.0f, s = 0.0f;
        DirectionTrig(p, p.direction, &c, &s);
        v.made = true;
        v.vx = c * p.speed;
        v.vy = -s * p.speed;
        if (t.gravityAmount != 0.0f) {
            gravity.For(t);
            v.vx += gravity.x;
            v.vy += gravity.y;
        }
        if (!system.attractors.empty()) Particle_ApplyAttractors(system, p.x, p.y, &v.vx, &v.vy, &v.ox, &v.oy);
    }
}

// The second half begins: speed and direction from the vector (whose angle is given), then the
// step's direction and speed with their wiggles.
float StepDirection(const ParticleType& t, const MotionVector& v, float angle, Particle& p, float* speed)
{
    if (v.made) SetFromVector(p, v.vx, v.vy, angle);
    // A zero wiggle adds a signed zero, which changes neither the speed nor the step taken.
    int64_t age = p.age, seed = p.seed;
    *speed = t.speedWiggle == 0.0f ? p.speed : p.speed + t.speedWiggle * Wave(age + 4 * seed, 20);
    return t.directionWiggle == 0.0f ? p.direction : p.direction + t.directionWiggle * Wave(age + 3 * seed, 24);
}

// The second half ends with the move, by the cosine and sine the particle keeps of that direction.
void Step(const MotionVector& v, float speed, Particle& p)
{
    p.x += p.trigCos * speed + v.ox;
    p.y += -p.trigSin * speed + v.oy;
}

// Only the two- and three-colour fades of a grown particle are a function of its age; the others keep
// the particle's own colour or, at birth, draw one.
bool ColourFollowsAge(const ParticleType& t, const Particle& p)
{
    return p.age != 0 && p.life > 0 && (t.colourMode == PT_COLOUR_TWO || t.colourMode == PT_COLOUR_THREE);
}

// A particle's appearance for its age: size, colour and alpha, looked up by runs of one type.
struct Appearance {
    TypeLookup lookup;
    ParticleFade memo;
    void Of(Particle& p)
    {
        const ParticleType* t = lookup.Of(p.type);
        if (t == nullptr) return;
        p.size = AtLeastZero(p.size + t->sizeIncrement);
        if (!ColourFollowsAge(*t, p)) {
            p.colour = Particle_Colour(*t, p);
            p.alpha = Particle_Alpha(*t, p);
            return;
        }
        memo.For(*t, p);
        p.colour = memo.colour;
        p.alpha = memo.alpha;
    }
};

void UpdateAppearance(ParticleSystem* system)
{
    Appearance appearance;
    Particle* particles = system->Live();
    for (int32_t i = 0; i < system->count; ++i) appearance.Of(particles[i]);
}

// Particles move a block at a time: the vectors of the whole block first, their angles together
// (four at a time), the step directions, the cosines and sines of those not kept from the last step
// (four at a time), then each particle's move. Every particle's own operations stay in their order,
// and nothing one particle does is read by another, so the results are those of one at a time.
constexpr int32_t MOTION_BLOCK = 64;

// What a block of particles holds between the passes over it.
struct MotionBlock {
    const ParticleType* types[MOTION_BLOCK];
    MotionVector vectors[MOTION_BLOCK];
    float xs[MOTION_BLOCK], ys[MOTION_BLOCK], angles[MOTION_BLOCK], speeds[MOTION_BLOCK];
    // The particles whose direction's trig is worked out, and its angle in radians, sine and cosine.
    int32_t trigOf[MOTION_BLOCK];
    float radians[MOTION_BLOCK], sines[MOTION_BLOCK], cosines[MOTION_BLOCK];
};

// The step directions of a block, and the trig of those the particles do not keep.
void StepDirections(Particle* block, int32_t n, MotionBlock& m)
{
    int32_t wanted = 0;
    for (int32_t j = 0; j < n; ++j) {
        if (m.types[j] == nullptr) continue;
        float direction = StepDirection(*m.types[j], m.vectors[j], m.angles[j], block[j], &m.speeds[j]);
        if (KeepsTrig(block[j], direction)) continue;
        KeepTrig(block[j], direction);
        m.trigOf[wanted] = j;
        m.radians[wanted++] = Radians(direction);
    }
    Particle_SinCosBlock(m.radians, m.sines, m.cosines, wanted);
    for (int32_t k = 0; k < wanted; ++k) {
        Particle& p = block[m.trigOf[k]];
        p.trigCos = m.cosines[k];
        p.trigSin = m.sines[k];
    }
}

// The walk of the motion pass. With `dead`, each particle is first aged, the life pass when no type
// spawns: one whose life is over is not moved, and its place is added to `dead` for the removal.
// With `appearance`, the particles take their appearance once moved, when nothing acts on them
// between the two passes. So the array may be walked once for the life, the motion and the
// appearance. Eight particles at a time take the wide step where they can; the others go a block at
// a time, one particle after another.
struct MotionWalk {
    ParticleSystem* system;
    Appearance* appearance;
    std::vector<int32_t>* dead;
    Gravity gravity;
    TypeLookup lookup;
    MotionBlock m;
    bool wideOn = false;
    bool wideTakes = false;
    ParticleWideRun wide;

    MotionWalk(ParticleSystem* s, Appearance* a, std::vector<int32_t>* d) : system(s), appearance(a), dead(d)
    {
        // Attractors act on each particle by its own position: those systems go one at a time.
        wideOn = Particle_WideStepAvailable() && system->attractors.empty();
        wide.fourTrig = Particle_SinCosFourAvailable();
        wide.ages = dead != nullptr;
        wide.appearance = appearance != nullptr;
    }

    // Steps the particles from `from` up to `to` one at a time, a block after another.
    void OneAtATime(int32_t from, int32_t to)
    {
        for (int32_t start = from; start < to; start += MOTION_BLOCK)
            OneBlock(start, std::min(MOTION_BLOCK, to - start));
    }

    void OneBlock(int32_t start, int32_t n)
    {
        Particle* block = system->Live() + start;
        for (int32_t j = 0; j < n; ++j) {
            MotionVector& v = m.vectors[j];
            v.made = false;
            bool dies = dead != nullptr && AgeOneStep(block[j]);
            if (dies) dead->push_back(start + j);
            m.types[j] = dies ? nullptr : lookup.Of(block[j].type);
            if (m.types[j] != nullptr) StartMove(*system, *m.types[j], gravity, block[j], v);
            // Without a vector the angle is not used: a pair the block works out cheaply stands in.
            m.xs[j] = v.made ? v.vx : 2.0f;
            m.ys[j] = v.made ? v.vy : 1.0f;
        }
        Particle_Atan2Block(m.ys, m.xs, m.angles, n);
        StepDirections(block, n, m);
        for (int32_t j = 0; j < n; ++j)
            if (m.types[j] != nullptr) Step(m.vectors[j], m.speeds[j], block[j]);
        if (appearance != nullptr)
            for (int32_t j = 0; j < n; ++j)
                if (block[j].alive) appearance->Of(block[j]);
    }

    // The run of the first particle's type for the wide step.
    void WideRunOf(int32_t typeIndex)
    {
        wide.typeIndex = typeIndex;
        wide.type = ParticleType_Record(typeIndex);
        wideTakes = wide.type != nullptr && Particle_WideStepTakes(*wide.type);
        if (!wideTakes) return;
        wide.gravity = wide.type->gravityAmount != 0.0f;
        if (wide.gravity) gravity.For(*wide.type);
        wide.gravityX = gravity.x;
        wide.gravityY = gravity.y;
        bool fades = wide.type->colourMode == PT_COLOUR_TWO || wide.type->colourMode == PT_COLOUR_THREE;
        wide.fade = appearance != nullptr && fades ? &appearance->memo : nullptr;
    }

    // The eight particles from `start` by the wide step; false, with nothing changed, when it does not
    // take them.
    bool Wide(int32_t start)
    {
        Particle* eight = system->Live() + start;
        if (eight->type != wide.typeIndex) WideRunOf(eight->type);
        return wideTakes && Particle_WideStep(eight, wide);
    }
};

void UpdateMotion(ParticleSystem* system, Appearance* appearance, std::vector<int32_t>* dead)
{
    // Nothing is created in this pass, so the array stays where it is.
    MotionWalk walk(system, appearance, dead);
    int32_t count = system->count, from = 0;
    for (int32_t i = 0; i < count;) {
        bool wide = walk.wideOn && count - i >= PARTICLE_WIDE_LANES && walk.Wide(i);
        // The particles left behind go one at a time, in order, so the dead are listed in order.
        if (wide && from < i) walk.OneAtATime(from, i);
        i = std::min(i + PARTICLE_WIDE_LANES, count);
        if (wide) from = i;
        else if (i - from >= MOTION_BLOCK) {
            walk.OneAtATime(from, i);
            from = i;
        }
    }
    walk.OneAtATime(from, count);
}

// Removes the particles at the listed places (in ascending order), keeping the order of the others.
// The dead at the front are left behind by moving the start on; survivors after them move down a run
// at a time. When the oldest die first, as in a steady stream, nothing is moved at all.
void RemoveListed(ParticleSystem* system, const std::vector<int32_t>& dead)
{
    if (dead.empty()) return;
    int32_t lead = 0;
    while (lead < int32_t(dead.size()) && dead[size_t(lead)] == lead) ++lead;
    if (lead == system->count) {
        system->first = 0;
        system->count = 0;
        return;
    }
    system->first += lead;
    Particle* particles = system->Live();
    int32_t count = system->count - lead;
    int32_t kept = 0, run = 0;
    for (size_t k = size_t(lead); k < dead.size(); ++k) {
        int32_t i = dead[k] - lead;
        if (kept != run) std::copy(particles + run, particles + i, particles + kept);
        kept += i - run;
        run = i + 1;
    }
    if (kept != run) std::copy(particles + run, particles + count, particles + kept);
    system->count = kept + (count - run);
}

// Removes the particles marked dead.
void RemoveDead(ParticleSystem* system)
{
    std::vector<int32_t> dead;
    const Particle* particles = system->Live();
    for (int32_t i = 0; i < system->count; ++i)
        if (!particles[i].alive) dead.push_back(i);
    RemoveListed(system, dead);
}

// Whether a step or a death of any type's particles spawns others: spawning draws random numbers and
// grows the array within the life pass, which then runs on its own.
bool AnyTypeSpawns()
{
    for (int32_t i = 0; i < ParticleType_Count(); ++i) {
        const ParticleType* t = ParticleType_Record(i);
        if (t != nullptr && (t->stepNumber != 0 || t->deathNumber != 0)) return true;
    }
    return false;
}

bool DrawnAutomatically(const std::unique_ptr<ParticleSystem>& system)
{
    return system != nullptr && system->inUse && system->automaticDraw;
}

} // namespace

ParticleSystem* ParticleSystem_Get(int32_t index)
{
    if (index < 0 || index >= int32_t(g_Systems.size())) return nullptr;
    ParticleSystem* system = g_Systems[size_t(index)].get();
    return system != nullptr && system->inUse ? system : nullptr;
}

int32_t ParticleSystem_Create()
{
    size_t slot = 0;
    while (slot < g_Systems.size() && g_Systems[slot] != nullptr && g_Systems[slot]->inUse) ++slot;
    if (slot == g_Systems.size()) g_Systems.push_back(nullptr);
    if (g_Systems[slot] == nullptr) g_Systems[slot] = std::make_unique<ParticleSystem>();
    g_Systems[slot]->inUse = 1;
    ResetSystem(g_Systems[slot].get());
    return int32_t(slot);
}

void ParticleSystem_Destroy(int32_t index)
{
    if (ParticleSystem* system = ParticleSystem_Get(index)) {
        ResetSystem(system);
        system->inUse = 0;
    }
}

bool ParticleSystem_Exists(int32_t index)
{
    return ParticleSystem_Get(index) != nullptr;
}

void ParticleSystem_Clear(int32_t index)
{
    if (ParticleSystem* system = ParticleSystem_Get(index)) ResetSystem(system);
}

void ParticleSystem_SetDrawOrder(int32_t index, bool oldToNew)
{
    if (ParticleSystem* system = ParticleSystem_Get(index)) system->oldToNew = oldToNew;
}

void ParticleSystem_SetDepth(int32_t index, float depth)
{
    if (ParticleSystem* system = ParticleSystem_Get(index)) system->depth = depth;
}

void ParticleSystem_SetPosition(int32_t index, float x, float y)
{
    if (ParticleSystem* system = ParticleSystem_Get(index)) {
        system->x = x;
        system->y = y;
    }
}

void ParticleSystem_SetAutomaticUpdate(int32_t index, bool automatic)
{
    if (ParticleSystem* system = ParticleSystem_Get(index)) system->automaticUpdate = automatic;
}

void ParticleSystem_SetAutomaticDraw(int32_t index, bool automatic)
{
    if (ParticleSystem* system = ParticleSystem_Get(index)) system->automaticDraw = automatic;
}

void ParticleSystem_AddParticles(ParticleSystem* system, float x, float y, int32_t typeIndex,
                                 const ParticleType& type, int32_t n)
{
    for (int32_t i = 0; i < n; ++i) {
        ParticleSystem_Reserve(system, 1);
        system->Live()[system->count] = Particle_Born(type, typeIndex, x, y);
        ++system->count;
    }
}

void ParticleSystem_Reserve(ParticleSystem* system, int32_t extra)
{
    int64_t size = int64_t(system->particles.size());
    if (int64_t(system->first) + system->count + extra <= size) return;
    if (system->first > 0) {
        Particle* live = system->Live();
        std::copy(live, live + system->count, system->particles.data());
        system->first = 0;
    }
    int64_t wanted = int64_t(system->count) + extra;
    if (wanted > size) system->particles.resize(size_t(wanted + std::min<int64_t>(wanted / 2, PARTICLE_SPARE_SLOTS)));
}

void ParticleSystem_CreateParticles(int32_t index, float x, float y, int32_t type, int32_t number)
{
    const ParticleType* record = CreationType(type);
    if (record == nullptr) return;
    ParticleSystem* system = CreationSystem(index);
    if (system == nullptr || number < 1) return;
    ParticleSystem_AddParticles(system, x, y, type, *record, number);
}

void ParticleSystem_CreateParticlesColor(int32_t index, float x, float y, int32_t type, uint32_t colour,
                                         int32_t number)
{
    const ParticleType* record = CreationType(type);
    if (record == nullptr) return;
    ParticleSystem* system = CreationSystem(index);
    if (system == nullptr || number < 1) return;
    ParticleSystem_AddParticles(system, x, y, type, *record, number);
    for (int32_t i = system->count - number; i < system->count; ++i) system->Live()[i].colour = colour;
}

void ParticleSystem_ClearParticles(int32_t index)
{
    if (ParticleSystem* system = ParticleSystem_Get(index)) {
        system->particles.clear();
        system->particles.shrink_to_fit();
        system->first = 0;
        system->count = 0;
    }
}

int32_t ParticleSystem_ParticleCount(int32_t index)
{
    ParticleSystem* system = ParticleSystem_Get(index);
    return system != nullptr ? system->count : 0;
}

void ParticleSystem_Update(int32_t index)
{
    ParticleSystem* system = ParticleSystem_Get(index);
    if (system == nullptr) return;
    bool spawns = AnyTypeSpawns();
    if (spawns) {
        UpdateLife(system);
        RemoveDead(system);
    }
    bool actedOnBetween = !system->deflectors.empty() || !system->changers.empty() || !system->destroyers.empty();
    Appearance appearance;
    std::vector<int32_t> dead;
    UpdateMotion(system, actedOnBetween ? nullptr : &appearance, spawns ? nullptr : &dead);
    RemoveListed(system, dead);
    if (actedOnBetween) {
        if (!system->deflectors.empty()) Particle_ApplyDeflectors(*system);
        if (!system->changers.empty()) Particle_ApplyChangers(*system);
        if (!system->destroyers.empty()) {
            Particle_ApplyDestroyers(*system);
            RemoveDead(system);
        }
        UpdateAppearance(system);
    }
    Particle_RunEmitters(*system, index);
}

void ParticleSystem_UpdateAll()
{
    for (size_t i = 0; i < g_Systems.size(); ++i) {
        ParticleSystem* system = g_Systems[i].get();
        if (system != nullptr && system->inUse && system->automaticUpdate) ParticleSystem_Update(int32_t(i));
    }
}

double ParticleSystem_MaxDepth()
{
    return ParticleSystem_NextDepthBelow(INFINITY);
}

double ParticleSystem_NextDepthBelow(double depth)
{
    double best = PARTICLE_NO_DEPTH;
    for (const auto& system : g_Systems) {
        if (!DrawnAutomatically(system)) continue;
        double d = system->depth;
        if (d < depth && d > best) best = d;
    }
    return best;
}

void ParticleSystem_DrawAtDepth(double depth)
{
    for (size_t i = 0; i < g_Systems.size(); ++i) {
        if (DrawnAutomatically(g_Systems[i]) && std::fabs(double(g_Systems[i]->depth) - depth) < 0.01)
            ParticleSystem_Draw(int32_t(i));
    }
}

void Particle_Init()
{
    g_Systems.clear();
    ParticleType_FreeAll();
    Effect_Forget();
}

void Particle_Shutdown()
{
    Particle_Init();
    Particle_FreeShapeImages();
}
