#include "particle/Particle_Elements.h"

#include <cmath>

#include "base/Base_Random.h"

namespace {

// The list of one kind of element in a system.
template <typename T> using ListOf = std::vector<T> ParticleSystem::*;

template <typename T> std::vector<T>* ListIn(int32_t system, ListOf<T> list)
{
    ParticleSystem* record = ParticleSystem_Get(system);
    return record != nullptr ? &(record->*list) : nullptr;
}

template <typename T> T* Element(int32_t system, ListOf<T> list, int32_t slot)
{
    std::vector<T>* elements = ListIn(system, list);
    if (elements == nullptr || slot < 0 || slot >= int32_t(elements->size())) return nullptr;
    T* element = &(*elements)[size_t(slot)];
    return element->inUse ? element : nullptr;
}

template <typename T> int32_t CreateElement(int32_t system, ListOf<T> list)
{
    std::vector<T>* elements = ListIn(system, list);
    if (elements == nullptr) return -1;
    size_t slot = 0;
    while (slot < elements->size() && (*elements)[slot].inUse) ++slot;
    if (slot == elements->size()) elements->emplace_back();
    (*elements)[slot] = T();
    (*elements)[slot].inUse = 1;
    return int32_t(slot);
}

template <typename T> void DestroyElement(int32_t system, ListOf<T> list, int32_t slot)
{
    if (T* element = Element(system, list, slot)) element->inUse = 0;
}

template <typename T> void DestroyAllElements(int32_t system, ListOf<T> list)
{
    if (std::vector<T>* elements = ListIn(system, list)) {
        elements->clear();
        elements->shrink_to_fit();
    }
}

template <typename T> void ClearElement(int32_t system, ListOf<T> list, int32_t slot)
{
    if (T* element = Element(system, list, slot)) {
        *element = T();
        element->inUse = 1;
    }
}

bool NonEmpty(const ParticleRegion& r)
{
    return r.xMin < r.xMax && r.yMin < r.yMax;
}

bool Inside(const ParticleRegion& r, float x, float y)
{
    return x >= r.xMin && x <= r.xMax && y >= r.yMin && y <= r.yMax;
}

// Whether a point inside the region's box lies inside its shape, on coordinates normalized to
// -1..1; `otherShapes` answers for shape values other than rectangle, ellipse and diamond.
bool InsideShape(const ParticleRegion& r, int32_t shape, float x, float y, bool otherShapes)
{
    float nx = float(x - (r.xMin + r.xMax) * 0.5f) * 2.0f / (r.xMax - r.xMin);
    float ny = float(y - (r.yMin + r.yMax) * 0.5f) * 2.0f / (r.yMax - r.yMin);
    switch (shape) {
    case PS_SHAPE_RECTANGLE: return true;
    case PS_SHAPE_ELLIPSE: return nx * nx + ny * ny <= 1.0f;
    case PS_SHAPE_DIAMOND: return std::fabs(nx) + std::fabs(ny) <= 1.0f;
    default: return otherShapes;
    }
}

// A point of an emitter's region by its shape and distribution, as fractions of the region.
void EmitterPoint(const ParticleEmitter& e, float* xr, float* yr)
{
    for (;;) {
        *xr = Particle_Random(0.0f, 1.0f, e.distribution);
        *yr = Particle_Random(0.0f, 1.0f, e.distribution);
        // One coordinate uniform: the points gather along the border rather than in the corners.
        if (e.distribution == PS_DISTR_INVGAUSSIAN && e.shape != PS_SHAPE_LINE) {
            if (Random_Real(1.0) < 0.5) *xr = float(Random_Real(1.0));
            else *yr = float(Random_Real(1.0));
        }
        float dx = *xr - 0.5f, dy = *yr - 0.5f;
        if (e.shape == PS_SHAPE_ELLIPSE && dx * dx + dy * dy > 0.25f) continue;
        if (e.shape == PS_SHAPE_DIAMOND && std::fabs(dx) + std::fabs(dy) > 0.5f) continue;
        return;
    }
}

void Burst(int32_t systemIndex, const ParticleEmitter& e, int32_t type, int32_t number)
{
    if (number < 0) {
        if (Random_Int(number) != 0) return;
        number = 1;
    }
    ParticleSystem* system = ParticleSystem_Get(systemIndex);
    if (system == nullptr || number == 0) return;
    ParticleSystem_Reserve(system, number);
    const ParticleRegion& r = e.region;
    // The type is looked up once; a missing one goes the general way, which logs for each particle.
    const ParticleType* record = ParticleType_Get(type);
    for (int32_t made = 0; made < number; ++made) {
        float xr = 0.0f, yr = 0.0f;
        EmitterPoint(e, &xr, &yr);
        float x = r.xMin + (r.xMax - r.xMin) * xr;
        float y = r.yMin + (r.yMax - r.yMin) * (e.shape == PS_SHAPE_LINE ? xr : yr);
        if (record != nullptr) ParticleSystem_AddParticles(system, x, y, type, *record, 1);
        else ParticleSystem_CreateParticles(systemIndex, x, y, type, 1);
    }
}

void Deflect(const ParticleDeflector& d, Particle& p)
{
    if (d.kind == PS_DEFLECT_HORIZONTAL) {
        p.direction = 180.0f - p.direction;
        if (p.direction < 0.0f) p.direction += 360.0f;
        p.x = p.xPrevious - (p.x - p.xPrevious);
    } else {
        p.direction = 360.0f - p.direction;
        p.y = p.yPrevious - (p.y - p.yPrevious);
    }
    p.speed -= d.friction;
    if (p.speed < 0.0f) p.speed = 0.0f;
}

void Change(const ParticleChanger& c, const ParticleType& to, Particle& p)
{
    Particle born = Particle_Born(to, c.toType, p.x, p.y);
    p.type = c.toType;
    switch (c.kind) {
    case PS_CHANGE_ALL: p = born; break;
    case PS_CHANGE_SHAPE:
        p.colour = born.colour;
        p.alpha = born.alpha;
        p.size = born.size;
        p.frameOffset = born.frameOffset;
        p.angle = born.angle;
        break;
    case PS_CHANGE_MOTION:
        p.speed = born.speed;
        p.direction = born.direction;
        break;
    default: break;
    }
}

} // namespace

// ---- emitters ----

int32_t ParticleEmitter_Create(int32_t system)
{
    return CreateElement(system, &ParticleSystem::emitters);
}
void ParticleEmitter_Destroy(int32_t system, int32_t emitter)
{
    DestroyElement(system, &ParticleSystem::emitters, emitter);
}
void ParticleEmitter_DestroyAll(int32_t system)
{
    DestroyAllElements(system, &ParticleSystem::emitters);
}
bool ParticleEmitter_Exists(int32_t system, int32_t emitter)
{
    return Element(system, &ParticleSystem::emitters, emitter) != nullptr;
}
void ParticleEmitter_Clear(int32_t system, int32_t emitter)
{
    ClearElement(system, &ParticleSystem::emitters, emitter);
}

void ParticleEmitter_SetRegion(int32_t system, int32_t emitter, float xMin, float xMax, float yMin, float yMax,
                               int32_t shape, int32_t distribution)
{
    if (ParticleEmitter* e = Element(system, &ParticleSystem::emitters, emitter)) {
        e->region = ParticleRegion{xMin, xMax, yMin, yMax};
        e->shape = shape;
        e->distribution = distribution;
    }
}

void ParticleEmitter_SetStream(int32_t system, int32_t emitter, int32_t type, int32_t number)
{
    if (ParticleEmitter* e = Element(system, &ParticleSystem::emitters, emitter)) {
        e->type = type;
        e->number = number;
    }
}

void ParticleEmitter_Burst(int32_t system, int32_t emitter, int32_t type, int32_t number)
{
    if (ParticleEmitter* e = Element(system, &ParticleSystem::emitters, emitter)) Burst(system, *e, type, number);
}

// ---- attractors ----

int32_t ParticleAttractor_Create(int32_t system)
{
    return CreateElement(system, &ParticleSystem::attractors);
}
void ParticleAttractor_Destroy(int32_t system, int32_t attractor)
{
    DestroyElement(system, &ParticleSystem::attractors, attractor);
}
void ParticleAttractor_DestroyAll(int32_t system)
{
    DestroyAllElements(system, &ParticleSystem::attractors);
}
bool ParticleAttractor_Exists(int32_t system, int32_t attractor)
{
    return Element(system, &ParticleSystem::attractors, attractor) != nullptr;
}
void ParticleAttractor_Clear(int32_t system, int32_t attractor)
{
    ClearElement(system, &ParticleSystem::attractors, attractor);
}

void ParticleAttractor_SetPosition(int32_t system, int32_t attractor, float x, float y)
{
    if (ParticleAttractor* a = Element(system, &ParticleSystem::attractors, attractor)) {
        a->x = x;
        a->y = y;
    }
}

void ParticleAttractor_SetForce(int32_t system, int32_t attractor, float force, float distance, int32_t kind,
                                bool additive)
{
    if (ParticleAttractor* a = Element(system, &ParticleSystem::attractors, attractor)) {
        a->force = force;
        a->distance = distance;
        a->kind = kind;
        a->additive = additive;
    }
}

// ---- destroyers ----

int32_t ParticleDestroyer_Create(int32_t system)
{
    return CreateElement(system, &ParticleSystem::destroyers);
}
void ParticleDestroyer_Destroy(int32_t system, int32_t destroyer)
{
    DestroyElement(system, &ParticleSystem::destroyers, destroyer);
}
void ParticleDestroyer_DestroyAll(int32_t system)
{
    DestroyAllElements(system, &ParticleSystem::destroyers);
}
bool ParticleDestroyer_Exists(int32_t system, int32_t destroyer)
{
    return Element(system, &ParticleSystem::destroyers, destroyer) != nullptr;
}
void ParticleDestroyer_Clear(int32_t system, int32_t destroyer)
{
    ClearElement(system, &ParticleSystem::destroyers, destroyer);
}

void ParticleDestroyer_SetRegion(int32_t system, int32_t destroyer, float xMin, float xMax, float yMin, float yMax,
                                 int32_t shape)
{
    if (ParticleDestroyer* d = Element(system, &ParticleSystem::destroyers, destroyer)) {
        d->region = ParticleRegion{xMin, xMax, yMin, yMax};
        d->shape = shape;
    }
}

// ---- deflectors ----

int32_t ParticleDeflector_Create(int32_t system)
{
    return CreateElement(system, &ParticleSystem::deflectors);
}
void ParticleDeflector_Destroy(int32_t system, int32_t deflector)
{
    DestroyElement(system, &ParticleSystem::deflectors, deflector);
}
void ParticleDeflector_DestroyAll(int32_t system)
{
    DestroyAllElements(system, &ParticleSystem::deflectors);
}
bool ParticleDeflector_Exists(int32_t system, int32_t deflector)
{
    return Element(system, &ParticleSystem::deflectors, deflector) != nullptr;
}
void ParticleDeflector_Clear(int32_t system, int32_t deflector)
{
    ClearElement(system, &ParticleSystem::deflectors, deflector);
}

void ParticleDeflector_SetRegion(int32_t system, int32_t deflector, float xMin, float xMax, float yMin, float yMax)
{
    if (ParticleDeflector* d = Element(system, &ParticleSystem::deflectors, deflector))
        d->region = ParticleRegion{xMin, xMax, yMin, yMax};
}

void ParticleDeflector_SetKind(int32_t system, int32_t deflector, int32_t kind)
{
    if (ParticleDeflector* d = Element(system, &ParticleSystem::deflectors, deflector)) d->kind = kind;
}

void ParticleDeflector_SetFriction(int32_t system, int32_t deflector, float friction)
{
    if (ParticleDeflector* d = Element(system, &ParticleSystem::deflectors, deflector)) d->friction = friction;
}

// ---- changers ----

int32_t ParticleChanger_Create(int32_t system)
{
    return CreateElement(system, &ParticleSystem::changers);
}
void ParticleChanger_Destroy(int32_t system, int32_t changer)
{
    DestroyElement(system, &ParticleSystem::changers, changer);
}
void ParticleChanger_DestroyAll(int32_t system)
{
    DestroyAllElements(system, &ParticleSystem::changers);
}
bool ParticleChanger_Exists(int32_t system, int32_t changer)
{
    return Element(system, &ParticleSystem::changers, changer) != nullptr;
}
void ParticleChanger_Clear(int32_t system, int32_t changer)
{
    ClearElement(system, &ParticleSystem::changers, changer);
}

void ParticleChanger_SetRegion(int32_t system, int32_t changer, float xMin, float xMax, float yMin, float yMax,
                               int32_t shape)
{
    if (ParticleChanger* c = Element(system, &ParticleSystem::changers, changer)) {
        c->region = ParticleRegion{xMin, xMax, yMin, yMax};
        c->shape = shape;
    }
}

void ParticleChanger_SetTypes(int32_t system, int32_t changer, int32_t from, int32_t to)
{
    if (ParticleChanger* c = Element(system, &ParticleSystem::changers, changer)) {
        c->fromType = from;
        c->toType = to;
    }
}

void ParticleChanger_SetKind(int32_t system, int32_t changer, int32_t kind)
{
    if (ParticleChanger* c = Element(system, &ParticleSystem::changers, changer)) c->kind = kind;
}

// ---- the update's passes ----

void Particle_ApplyAttractors(const ParticleSystem& system, float x, float y, float* vx, float* vy, float* ox,
                              float* oy)
{
    for (const ParticleAttractor& a : system.attractors) {
        if (!a.inUse) continue;
        float dx = a.x - x, dy = a.y - y;
        float dist = std::sqrt(dx * dx + dy * dy);
        if (!(dist <= a.distance) || dist == 0.0f || a.force == 0.0f || a.distance == 0.0f) continue;
        float fx = a.force * dx / dist, fy = a.force * dy / dist;
        float falloff = (a.distance - dist) / a.distance;
        if (a.kind == PS_FORCE_LINEAR) fx *= falloff, fy *= falloff;
        if (a.kind == PS_FORCE_QUADRATIC) fx *= falloff * falloff, fy *= falloff * falloff;
        if (a.additive) *vx += fx, *vy += fy;
        else *ox += fx, *oy += fy;
    }
}

void Particle_ApplyDeflectors(ParticleSystem& system)
{
    for (const ParticleDeflector& d : system.deflectors) {
        if (!d.inUse || !NonEmpty(d.region)) continue;
        for (int32_t i = 0; i < system.count; ++i) {
            Particle& p = system.Live()[i];
            if (Inside(d.region, p.x, p.y)) Deflect(d, p);
        }
    }
}

void Particle_ApplyChangers(ParticleSystem& system)
{
    for (const ParticleChanger& c : system.changers) {
        // A to-type without a record would be read outside the table: such a changer changes nothing.
        const ParticleType* to = ParticleType_Record(c.toType);
        if (!c.inUse || !NonEmpty(c.region) || to == nullptr) continue;
        for (int32_t i = 0; i < system.count; ++i) {
            Particle& p = system.Live()[i];
            if (p.type == c.fromType && Inside(c.region, p.x, p.y) && InsideShape(c.region, c.shape, p.x, p.y, true))
                Change(c, *to, p);
        }
    }
}

void Particle_ApplyDestroyers(ParticleSystem& system)
{
    for (const ParticleDestroyer& d : system.destroyers) {
        if (!d.inUse || !NonEmpty(d.region)) continue;
        for (int32_t i = 0; i < system.count; ++i) {
            Particle& p = system.Live()[i];
            if (Inside(d.region, p.x, p.y) && InsideShape(d.region, d.shape, p.x, p.y, false)) p.alive = 0;
        }
    }
}

void Particle_RunEmitters(ParticleSystem& system, int32_t systemIndex)
{
    // Each burst works from a copy of its emitter.
    for (size_t i = 0; i < system.emitters.size(); ++i) {
        ParticleEmitter e = system.emitters[i];
        if (e.inUse && e.number != 0) Burst(systemIndex, e, e.type, e.number);
    }
}
