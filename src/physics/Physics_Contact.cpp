#include "physics/Physics_Contact.h"

#include <box2d/b2_body.h>
#include <box2d/b2_contact.h>
#include <box2d/b2_fixture.h>

#include <cmath>

#include "base/Base_Console.h"
#include "graphics/Graphics_Draw.h"
#include "physics/Physics_World.h"

// ---- the contact stack ----

namespace {

bool SamePair(const PhysicsContact& record, const b2Fixture* a, const b2Fixture* b)
{
    return (record.fixtureA == a && record.fixtureB == b) || (record.fixtureA == b && record.fixtureB == a);
}

} // namespace

void PhysicsContactStack::Record(b2Contact* contact)
{
    b2Fixture* a = contact->GetFixtureA();
    b2Fixture* b = contact->GetFixtureB();
    b2WorldManifold world = {};
    const b2Manifold* local = contact->GetManifold();
    world.Initialize(local, a->GetBody()->GetTransform(), a->GetShape()->m_radius, b->GetBody()->GetTransform(),
                     b->GetShape()->m_radius);
    for (PhysicsContact& record : m_Records) {
        if (!SamePair(record, a, b)) continue;
        if (record.manifoldCount >= PHYSICS_CONTACT_MANIFOLDS) {
            MainConsole->Output("WARNING: Too many manifolds in collision\n");
            return;
        }
        record.local[record.manifoldCount] = *local;
        record.world[record.manifoldCount] = world;
        ++record.manifoldCount;
        return;
    }
    if (m_Records.size() == m_Records.capacity()) m_Records.reserve(m_Records.size() + PHYSICS_CONTACT_GROWTH);
    PhysicsContact& record = m_Records.emplace_back();
    record.manifoldCount = 1;
    record.fixtureA = a;
    record.fixtureB = b;
    record.local[0] = *local;
    record.world[0] = world;
}

bool PhysicsContactStack::Pop(PhysicsContact* out)
{
    if (m_Records.empty()) return false;
    *out = m_Records.back();
    m_Records.pop_back();
    return true;
}

void PhysicsContactStack::ForgetBody(const b2Body* body)
{
    for (size_t i = m_Records.size(); i-- > 0;) {
        const PhysicsContact& record = m_Records[i];
        if (record.fixtureA->GetBody() == body || record.fixtureB->GetBody() == body)
            m_Records.erase(m_Records.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

// ---- listener and filter ----

// Sensors are never solved, so they are heard only when they begin to touch.
void CKirranContactListener::BeginContact(b2Contact* contact)
{
    if (contact->GetFixtureA()->IsSensor() || contact->GetFixtureB()->IsSensor()) m_pWorld->m_Contacts.Record(contact);
}

void CKirranContactListener::PostSolve(b2Contact* contact, const b2ContactImpulse*)
{
    m_pWorld->m_Contacts.Record(contact);
}

bool CPhysicsContactFilter::ShouldCollide(b2Fixture* fixtureA, b2Fixture* fixtureB)
{
    const PhysicsFilter* a = m_pWorld->Filter(fixtureA);
    const PhysicsFilter* b = m_pWorld->Filter(fixtureB);
    if (a == nullptr || b == nullptr) return false;
    if (a->group == b->group && a->group != 0) return a->group > 0;
    return (a->mask & b->category) != 0 && (b->mask & a->category) != 0;
}

// ---- debug drawing ----

namespace {

struct DebugFlag {
    int32_t script;
    uint32_t library;
};

const DebugFlag DEBUG_FLAGS[] = {
    {1, b2Draw::e_shapeBit},        {2, b2Draw::e_jointBit}, {4, b2Draw::e_centerOfMassBit},
    {8, b2Draw::e_aabbBit},         {64, b2Draw::e_pairBit},
};

constexpr float TRANSFORM_AXIS = 0.4f; // metres
constexpr uint32_t TRANSFORM_FIRST = 255;
constexpr uint32_t TRANSFORM_SECOND = 0xFF0000;

uint32_t Component(float value)
{
    return static_cast<uint32_t>(static_cast<int64_t>(std::lround(value * 256.0f))) & 0xFFu;
}

} // namespace

uint32_t Physics_DebugFlags(int32_t scriptFlags)
{
    uint32_t flags = 0;
    for (const DebugFlag& flag : DEBUG_FLAGS)
        if ((scriptFlags & flag.script) != 0) flags |= flag.library;
    return flags;
}

uint32_t Physics_DebugColour(const b2Color& colour)
{
    return Component(colour.r) | Component(colour.g) << 8 | Component(colour.b) << 16;
}

void CPhysicsDebugRender::DrawPolygon(const b2Vec2* vertices, int32 count, const b2Color& colour)
{
    GR_Draw_Set_Colour(Physics_DebugColour(colour));
    float s = m_pWorld->m_Scale;
    for (int32 i = 0; i < count; ++i) {
        const b2Vec2& a = vertices[i];
        const b2Vec2& b = vertices[(i + 1) % count];
        GR_Draw_Line(a.x / s, a.y / s, b.x / s, b.y / s);
    }
}

void CPhysicsDebugRender::DrawSolidPolygon(const b2Vec2* vertices, int32 count, const b2Color& colour)
{
    GR_Draw_Set_Colour(Physics_DebugColour(colour));
    float s = m_pWorld->m_Scale;
    for (int32 i = 1; i + 1 < count; ++i)
        GR_Draw_Triangle(vertices[0].x / s, vertices[0].y / s, vertices[i].x / s, vertices[i].y / s,
                         vertices[i + 1].x / s, vertices[i + 1].y / s, 0);
}

void CPhysicsDebugRender::Ellipse(const b2Vec2& centre, float radius, const b2Color& colour, int32_t outline)
{
    GR_Draw_Set_Colour(Physics_DebugColour(colour));
    float s = m_pWorld->m_Scale;
    GR_Draw_Ellipse((centre.x - radius) / s, (centre.y - radius) / s, (centre.x + radius) / s,
                    (centre.y + radius) / s, outline);
}

void CPhysicsDebugRender::DrawCircle(const b2Vec2& centre, float radius, const b2Color& colour)
{
    Ellipse(centre, radius, colour, 1);
}

void CPhysicsDebugRender::DrawSolidCircle(const b2Vec2& centre, float radius, const b2Vec2&, const b2Color& colour)
{
    Ellipse(centre, radius, colour, 0);
}

void CPhysicsDebugRender::DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& colour)
{
    GR_Draw_Set_Colour(Physics_DebugColour(colour));
    float s = m_pWorld->m_Scale;
    GR_Draw_Line(p1.x / s, p1.y / s, p2.x / s, p2.y / s);
}

void CPhysicsDebugRender::DrawTransform(const b2Transform& xf)
{
    float s = m_pWorld->m_Scale;
    b2Vec2 first = xf.p + TRANSFORM_AXIS * xf.q.GetXAxis();
    b2Vec2 second = xf.p + TRANSFORM_AXIS * xf.q.GetYAxis();
    GR_Draw_Set_Colour(TRANSFORM_FIRST);
    GR_Draw_Line(xf.p.x / s, xf.p.y / s, first.x / s, first.y / s);
    GR_Draw_Set_Colour(TRANSFORM_SECOND);
    GR_Draw_Line(xf.p.x / s, xf.p.y / s, second.x / s, second.y / s);
}

// A square of the point's size in pixels.
void CPhysicsDebugRender::DrawPoint(const b2Vec2& p, float size, const b2Color& colour)
{
    GR_Draw_Set_Colour(Physics_DebugColour(colour));
    float s = m_pWorld->m_Scale;
    float half = size * 0.5f;
    GR_Draw_Rectangle(p.x / s - half, p.y / s - half, p.x / s + half, p.y / s + half, 0);
}
