// What the world hears of touching fixtures during one frame's steps, and the library callbacks it
// hears it through: the contact listener, the 32-bit collision filter, and the debug renderer.
#pragma once

#include <box2d/b2_collision.h>
#include <box2d/b2_draw.h>
#include <box2d/b2_world_callbacks.h>
#include <cstdint>
#include <vector>

class CPhysicsWorld;
class b2Fixture;

constexpr int32_t PHYSICS_CONTACT_MANIFOLDS = 8;
constexpr int32_t PHYSICS_CONTACT_GROWTH = 10;

// One pair of fixtures that touched during the frame: a manifold per sub-step it touched in.
struct PhysicsContact {
    int32_t manifoldCount = 0;
    b2Fixture* fixtureA = nullptr;
    b2Fixture* fixtureB = nullptr;
    b2Manifold local[PHYSICS_CONTACT_MANIFOLDS];
    b2WorldManifold world[PHYSICS_CONTACT_MANIFOLDS];
};

class PhysicsContactStack {
public:
    PhysicsContactStack() { m_Records.reserve(PHYSICS_CONTACT_GROWTH); }
    // Adds the contact's manifolds to the record of its pair, or pushes a new record.
    void Record(b2Contact* contact);
    bool Pop(PhysicsContact* out);
    // Drops the records of a body's fixtures (the body is being destroyed).
    void ForgetBody(const b2Body* body);
    int32_t Count() const { return static_cast<int32_t>(m_Records.size()); }
    const PhysicsContact& At(int32_t index) const { return m_Records[static_cast<size_t>(index)]; }

private:
    std::vector<PhysicsContact> m_Records;
};

class CKirranContactListener : public b2ContactListener {
public:
    explicit CKirranContactListener(CPhysicsWorld* world) : m_pWorld(world) {}
    void BeginContact(b2Contact* contact) override;
    void PostSolve(b2Contact* contact, const b2ContactImpulse* impulse) override;

private:
    CPhysicsWorld* m_pWorld;
};

// The library's filter rule on the 32-bit category, mask and group kept per fixture by the world.
class CPhysicsContactFilter : public b2ContactFilter {
public:
    explicit CPhysicsContactFilter(CPhysicsWorld* world) : m_pWorld(world) {}
    bool ShouldCollide(b2Fixture* fixtureA, b2Fixture* fixtureB) override;

private:
    CPhysicsWorld* m_pWorld;
};

class CPhysicsDebugRender : public b2Draw {
public:
    explicit CPhysicsDebugRender(CPhysicsWorld* world) : m_pWorld(world) {}
    void DrawPolygon(const b2Vec2* vertices, int32 count, const b2Color& colour) override;
    void DrawSolidPolygon(const b2Vec2* vertices, int32 count, const b2Color& colour) override;
    void DrawCircle(const b2Vec2& centre, float radius, const b2Color& colour) override;
    void DrawSolidCircle(const b2Vec2& centre, float radius, const b2Vec2& axis, const b2Color& colour) override;
    void DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& colour) override;
    void DrawTransform(const b2Transform& xf) override;
    void DrawPoint(const b2Vec2& p, float size, const b2Color& colour) override;

private:
    void Ellipse(const b2Vec2& centre, float radius, const b2Color& colour, int32_t outline);
    CPhysicsWorld* m_pWorld;
};

// The library's debug flags for the script's: 1 shapes, 2 joints, 4 centres of mass, 8 bounding
// boxes, 64 broad-phase pairs; other bits map to nothing.
uint32_t Physics_DebugFlags(int32_t scriptFlags);
// The drawing colour of a library colour: each component times 256, rounded, low 8 bits (BGR).
uint32_t Physics_DebugColour(const b2Color& colour);
