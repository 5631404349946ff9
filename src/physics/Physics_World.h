// A room's physics world over the physics library: the library's world, the contact stack that one
// frame's steps fill, 32 collision categories, and the step of one frame that moves the room's
// instances with their bodies and raises their collision events. Lengths in the world are metres:
// pixels times the scale; a body's angle is the instance's image_angle negated, in radians.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "physics/Physics_Contact.h"
#include "physics/Physics_Object.h"

class b2Body;
class b2Fixture;
class b2Joint;
class b2World;
class CInstance;
class CPhysicsFixture;

constexpr int32_t PHYSICS_CATEGORY_SLOTS = 32;
constexpr int32_t PHYSICS_DEFAULT_ITERATIONS = 10;

struct PhysicsCategorySlot {
    int32_t object = -1; // -1: free
    uint32_t category = 0;
    uint32_t mask = 0;
};

// The 32-bit filter of one library fixture.
struct PhysicsFilter {
    uint32_t category = 0;
    uint32_t mask = 0;
    int32_t group = 0;
};

class CPhysicsWorld {
public:
    CPhysicsWorld(float scale, int32_t updateSpeed);
    ~CPhysicsWorld();
    CPhysicsWorld(const CPhysicsWorld&) = delete;
    CPhysicsWorld& operator=(const CPhysicsWorld&) = delete;
    // A world with another's scale, update speed, iterations and gravity; no bodies or categories.
    static CPhysicsWorld* CreateFromRoom(const CPhysicsWorld& source);

    void SetGravity(float x, float y);
    // One frame: path followers, the steps, write-back and collision events.
    void Update(int32_t roomSpeed, bool anyPath);
    // Gives the instance a body (when it has none) and attaches the fixture. False when nothing was
    // bound (the reason is reported).
    bool BindFixture(CPhysicsFixture* fixture, CInstance* instance);
    bool TestOverlap(CInstance* instance, CInstance* other, float x, float y, float angle);
    void DrawDebug(int32_t flags);

    int32_t GetCollisionPointCount(CInstance* instance);
    bool GetCollisionPoint(CInstance* instance, int32_t index, float* x, float* y);
    bool GetCollisionNormal(CInstance* instance, int32_t index, float* x, float* y);

    // Joints between two bodies of this world, answering the new id or -1 (a reported check failed).
    int32_t CreateDistanceJoint(CPhysicsObject* a, CPhysicsObject* b, float ax, float ay, float bx, float by,
                                bool collide);
    int32_t CreateRevoluteJoint(CPhysicsObject* a, CPhysicsObject* b, float x, float y, float lower, float upper,
                                bool limit, float maxTorque, float speed, bool motor, bool collide);
    int32_t CreatePrismaticJoint(CPhysicsObject* a, CPhysicsObject* b, float x, float y, float axisX, float axisY,
                                 float lower, float upper, bool limit, float maxForce, float speed, bool motor,
                                 bool collide);
    int32_t CreatePulleyJoint(CPhysicsObject* a, CPhysicsObject* b, float groundAX, float groundAY, float groundBX,
                              float groundBY, float localAX, float localAY, float localBX, float localBY, float ratio,
                              float maxLengthA, float maxLengthB, bool collide);
    int32_t CreateGearJoint(CPhysicsObject* a, CPhysicsObject* b, int32_t joint1, int32_t joint2, float ratio);
    bool DeleteJoint(int32_t id);

    // The slot of the object's category (computed and assigned when needed), -1 for none.
    int32_t CategorySlot(int32_t object);
    int32_t FindSlot(int32_t object) const;
    const PhysicsCategorySlot& Slot(int32_t index) const { return m_Categories[index]; }

    // Bookkeeping for the library's callbacks.
    const PhysicsFilter* Filter(const b2Fixture* fixture) const;
    // Forgets a body's fixtures and contacts before the library destroys it.
    void ForgetBody(b2Body* body);

    b2World* m_pWorld;
    PhysicsContactStack m_Contacts;
    PhysicsContact* m_pCurrentContact = nullptr;
    int32_t m_UpdateSpeed;
    int32_t m_Iterations = PHYSICS_DEFAULT_ITERATIONS;
    float m_Scale;
    bool m_Paused = false;

private:
    void Step(int32_t roomSpeed);
    void MovePathInstances();
    void WriteBack();
    void PerformCollisions();
    bool ContactOf(CInstance* instance, int32_t index, const b2WorldManifold** manifold, int32_t* point);
    int32_t AssignSlot(int32_t representative);
    void Refilter();
    void SetFilter(b2Fixture* fixture, uint32_t category, uint32_t mask);
    b2Body* MakeBody(CPhysicsFixture* fixture, CInstance* instance);
    int32_t AddJoint(b2Joint* joint);
    b2Joint* CreateRope(b2Body* body, const b2Vec2& ground, const b2Vec2& anchor, float maxLength);
    // A static body without fixtures at the origin, made when first needed, that the ropes of
    // pulleys hang from. It belongs to no instance.
    b2Body* Ground();
    bool CheckPair(CPhysicsObject* a, CPhysicsObject* b);

    CKirranContactListener m_Listener;
    CPhysicsContactFilter m_ContactFilter;
    CPhysicsDebugRender m_DebugRender;
    PhysicsCategorySlot m_Categories[PHYSICS_CATEGORY_SLOTS];
    b2Body* m_pGround = nullptr;
    std::unordered_map<const b2Fixture*, PhysicsFilter> m_Filters;
};

// The instance whose body it is (the body's user data), or null.
CInstance* Physics_BodyInstance(const b2Body* body);

// Installs the physics layer's error-report hook ("-debug", and "Debug" in options.ini). The
// library in use ends the process on a failed check instead of calling a hook, so every value is
// checked before it reaches the library and this has nothing left to install.
void Physics_InstallErrorHook();
