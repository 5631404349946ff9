#include "physics/Physics_World.h"

#include <box2d/b2_body.h>
#include <box2d/b2_collision.h>
#include <box2d/b2_fixture.h>
#include <box2d/b2_world.h>

#include <cmath>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "instance/Instance_Class.h"
#include "object/Object_Lists.h"
#include "object/Object_Table.h"
#include "object/Object_Class.h"
#include "physics/Physics_Check.h"
#include "physics/Physics_Fixture.h"
#include "physics/Physics_Joint.h"
#include "room/Room_Class.h"
#include "run/Run_Event.h"
#include "run/Run_Frame.h"
#include "run/Run_Game.h"

namespace {

constexpr int32_t OTHER_END_OF_PATH = 8;
constexpr float DEFAULT_GRAVITY_Y = 10.0f;
constexpr float RADIANS_PER_DEGREE = PHYSICS_PI / 180.0f;

// The other objects of every collision pair that holds the object, in table order, repeats kept.
std::vector<int32_t> Partners(int32_t object)
{
    std::vector<int32_t> partners;
    for (int32_t i = 0; i < g_CollisionPairCount; ++i) {
        const CollisionPair& pair = g_CollisionPairs[i];
        int32_t partner = pair.lower == object ? pair.higher : pair.higher == object ? pair.lower : -2;
        if (partner == -2) continue;
        if (partner != -1) partners.push_back(partner);
    }
    return partners;
}

// Objects whose collisions are all inherited share their ancestor's slot.
int32_t Representative(int32_t object, size_t ownCount)
{
    int32_t current = object;
    for (;;) {
        CObject* data = Object_Data(current);
        int32_t parent = data != nullptr ? data->m_ParentIndex : -1;
        if (parent == current || Object_Data(parent) == nullptr) return current;
        if (Partners(parent).size() != ownCount) return current;
        current = parent;
    }
}

} // namespace

CInstance* Physics_BodyInstance(const b2Body* body)
{
    return reinterpret_cast<CInstance*>(const_cast<b2Body*>(body)->GetUserData().pointer);
}

void Physics_InstallErrorHook() {}

CPhysicsWorld::CPhysicsWorld(float scale, int32_t updateSpeed)
    : m_pWorld(new b2World(b2Vec2(0.0f, DEFAULT_GRAVITY_Y))), m_UpdateSpeed(updateSpeed), m_Scale(scale),
      m_Listener(this), m_ContactFilter(this), m_DebugRender(this)
{
    m_pWorld->SetAllowSleeping(true);
    m_pWorld->SetContactListener(&m_Listener);
    m_pWorld->SetContactFilter(&m_ContactFilter);
    m_pWorld->SetDebugDraw(&m_DebugRender);
}

// Every body and joint record of this world lets go of it, whichever room is current: the library
// frees the bodies and joints with its world.
CPhysicsWorld::~CPhysicsWorld()
{
    m_pWorld->SetContactListener(nullptr);
    PhysicsJoint_ForgetWorld(this);
    for (b2Body* body = m_pWorld->GetBodyList(); body != nullptr; body = body->GetNext()) {
        CInstance* instance = Physics_BodyInstance(body);
        if (instance == nullptr || instance->m_pPhysicsObject == nullptr) continue;
        if (instance->m_pPhysicsObject->m_pBody != body) continue;
        delete instance->m_pPhysicsObject;
        instance->m_pPhysicsObject = nullptr;
    }
    delete m_pWorld;
}

CPhysicsWorld* CPhysicsWorld::CreateFromRoom(const CPhysicsWorld& source)
{
    auto* world = new CPhysicsWorld(source.m_Scale, source.m_UpdateSpeed);
    world->m_Iterations = source.m_Iterations;
    world->m_pWorld->SetGravity(source.m_pWorld->GetGravity());
    return world;
}

void CPhysicsWorld::SetGravity(float x, float y)
{
    if (!Physics_CheckFinite2(x, y, "gravity.IsValid()")) return;
    m_pWorld->SetGravity(b2Vec2(x, y));
    if (x == 0.0f && y == 0.0f) return;
    for (b2Body* body = m_pWorld->GetBodyList(); body != nullptr; body = body->GetNext())
        if (body->GetType() == b2_dynamicBody && !body->IsAwake()) body->SetAwake(true);
}

void CPhysicsWorld::Update(int32_t roomSpeed, bool anyPath)
{
    if (roomSpeed < 1) return;
    if (anyPath) MovePathInstances();
    if (m_Paused) return;
    Step(roomSpeed);
    m_pWorld->ClearForces();
    WriteBack();
    PerformCollisions();
}

void CPhysicsWorld::MovePathInstances()
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    for (CInstance* instance = room->m_Active.m_pHead; instance != nullptr;) {
        CInstance* next = instance->m_pNext;
        if (instance->i_pathindex >= 0) {
            if (instance->PathStep()) Perform_Event(instance, instance, EVENT_OTHER, OTHER_END_OF_PATH);
            CPhysicsObject* body = instance->m_pPhysicsObject;
            if (body != nullptr && !body->IsDynamic()) body->SetPosition(instance->i_x * m_Scale, instance->i_y * m_Scale);
        }
        instance = next;
    }
}

// u / r steps of 1/u seconds, the last one cut to the fraction left.
void CPhysicsWorld::Step(int32_t roomSpeed)
{
    if (m_UpdateSpeed < 1) return;
    float step = 1.0f / static_cast<float>(m_UpdateSpeed);
    int32_t iterations = m_Iterations > 0 ? m_Iterations : 1;
    for (double s = static_cast<double>(m_UpdateSpeed) / roomSpeed; s > 0.0; s -= 1.0) {
        float length = s > 1.0 ? step : static_cast<float>(s) * step;
        m_pWorld->Step(length, iterations, iterations);
    }
}

void CPhysicsWorld::WriteBack()
{
    for (b2Body* body = m_pWorld->GetBodyList(); body != nullptr; body = body->GetNext()) {
        CInstance* instance = Physics_BodyInstance(body);
        if (instance == nullptr) continue;
        b2Vec2 position = body->GetPosition();
        instance->i_x = position.x / m_Scale;
        instance->i_y = position.y / m_Scale;
        instance->SetImageAngle(-body->GetAngle() / RADIANS_PER_DEGREE);
        instance->MarkBoxDirty();
    }
}

// Newest first; A's event before B's.
void CPhysicsWorld::PerformCollisions()
{
    PhysicsContact contact;
    while (m_Contacts.Pop(&contact)) {
        m_pCurrentContact = &contact;
        CInstance* a = Physics_BodyInstance(contact.fixtureA->GetBody());
        CInstance* b = Physics_BodyInstance(contact.fixtureB->GetBody());
        if (a != nullptr && b != nullptr) {
            Perform_Event(a, b, EVENT_COLLISION, b->GetObjectIndex());
            // A's event may have destroyed B's body (the stack then no longer names it).
            if (m_pCurrentContact != nullptr) Perform_Event(b, a, EVENT_COLLISION, a->GetObjectIndex());
        }
        m_pCurrentContact = nullptr;
    }
}

void CPhysicsWorld::ForgetBody(b2Body* body)
{
    m_Contacts.ForgetBody(body);
    if (m_pCurrentContact != nullptr && (m_pCurrentContact->fixtureA->GetBody() == body ||
                                         m_pCurrentContact->fixtureB->GetBody() == body))
        m_pCurrentContact = nullptr;
    for (b2Fixture* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext())
        m_Filters.erase(fixture);
}

const PhysicsFilter* CPhysicsWorld::Filter(const b2Fixture* fixture) const
{
    auto found = m_Filters.find(fixture);
    return found != m_Filters.end() ? &found->second : nullptr;
}

// ---- categories ----

int32_t CPhysicsWorld::FindSlot(int32_t object) const
{
    for (int32_t i = 0; i < PHYSICS_CATEGORY_SLOTS; ++i)
        if (m_Categories[i].object == object) return i;
    return -1;
}

int32_t CPhysicsWorld::AssignSlot(int32_t representative)
{
    int32_t slot = FindSlot(representative);
    if (slot >= 0) return slot;
    slot = FindSlot(-1);
    if (slot < 0) {
        std::string text = std::string("Unable to assign a collision category for object ") +
                           Object_Name(representative) +
                           ".\nConsider using parenting to reduce collision overheads where possible.";
        Error_Show_Action(text.c_str(), false);
        return -1;
    }
    m_Categories[slot] = {representative, 1u << slot, 0u};
    return slot;
}

int32_t CPhysicsWorld::CategorySlot(int32_t object)
{
    std::vector<int32_t> partners = Partners(object);
    if (partners.empty()) return -1;
    int32_t slot = AssignSlot(Representative(object, partners.size()));
    if (slot < 0) return -1;
    for (int32_t partner : partners) {
        for (PhysicsCategorySlot& other : m_Categories) {
            if (other.object != partner) continue;
            m_Categories[slot].mask |= other.category;
            other.mask |= m_Categories[slot].category;
        }
    }
    return slot;
}

void CPhysicsWorld::SetFilter(b2Fixture* fixture, uint32_t category, uint32_t mask)
{
    PhysicsFilter& filter = m_Filters[fixture];
    if (filter.category == category && filter.mask == mask) return;
    filter.category = category;
    filter.mask = mask;
    fixture->Refilter();
}

// Masks that grew reach the bodies bound earlier.
void CPhysicsWorld::Refilter()
{
    for (b2Body* body = m_pWorld->GetBodyList(); body != nullptr; body = body->GetNext()) {
        CInstance* instance = Physics_BodyInstance(body);
        if (instance == nullptr || instance->m_pPhysicsObject == nullptr) continue;
        int32_t slot = instance->m_pPhysicsObject->m_Slot;
        if (slot < 0) continue;
        for (b2Fixture* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext())
            SetFilter(fixture, m_Categories[slot].category, m_Categories[slot].mask);
    }
}

// ---- binding ----

namespace {

// Material values the library would choke on. Dampings below 0 are clamped.
bool CheckMaterial(CPhysicsFixture* fixture)
{
    b2FixtureDef& def = fixture->m_Def;
    if (!Physics_CheckFinite(def.friction, "b2IsValid(friction)")) return false;
    if (!Physics_CheckFinite(def.restitution, "b2IsValid(restitution)")) return false;
    if (!std::isfinite(def.density) || def.density < 0.0f) return Physics_Fail("b2IsValid(density) && density >= 0.0f");
    if (!Physics_CheckFinite2(fixture->m_LinearDamping, fixture->m_AngularDamping, "b2IsValid(damping)")) return false;
    if (fixture->m_LinearDamping < 0.0f) {
        Physics_Fail("bd->linearDamping >= 0.0f");
        fixture->m_LinearDamping = 0.0f;
    }
    if (fixture->m_AngularDamping < 0.0f) {
        Physics_Fail("bd->angularDamping >= 0.0f");
        fixture->m_AngularDamping = 0.0f;
    }
    return true;
}

} // namespace

b2Body* CPhysicsWorld::MakeBody(CPhysicsFixture* fixture, CInstance* instance)
{
    b2BodyDef def;
    def.type = fixture->m_Def.density > 0.0f ? b2_dynamicBody : fixture->m_Kinematic ? b2_kinematicBody : b2_staticBody;
    def.position.Set(instance->i_x * m_Scale, instance->i_y * m_Scale);
    def.angle = -instance->i_imageangle * RADIANS_PER_DEGREE;
    if (!Physics_CheckFinite2(def.position.x, def.position.y, "bd->position.IsValid()")) return nullptr;
    if (!Physics_CheckFinite(def.angle, "b2IsValid(bd->angle)")) return nullptr;
    def.linearDamping = fixture->m_LinearDamping;
    def.angularDamping = fixture->m_AngularDamping;
    def.allowSleep = true;
    def.awake = fixture->m_Awake;
    def.enabled = true;
    def.userData.pointer = reinterpret_cast<uintptr_t>(instance);
    return m_pWorld->CreateBody(&def);
}

bool CPhysicsWorld::BindFixture(CPhysicsFixture* fixture, CInstance* instance)
{
    CObject* object = Object_Data(instance->GetObjectIndex());
    if (!fixture->FinishShape(object != nullptr ? object->GetName() : "<undefined>")) return false;
    if (!CheckMaterial(fixture)) return false;
    CPhysicsObject* physics = instance->m_pPhysicsObject;
    if (physics != nullptr && physics->m_pWorld != this) return Physics_Fail("body->GetWorld() == world");
    // The body's mass is recomputed with the new fixture; a new body is dynamic with a density.
    b2Body* existing = physics != nullptr ? physics->m_pBody : nullptr;
    if (fixture->m_Def.density > 0.0f &&
        !Physics_CheckMass(existing, existing != nullptr && existing->IsFixedRotation(), fixture->Shape(),
                           fixture->m_Def.density))
        return false;
    int32_t slot = CategorySlot(instance->GetObjectIndex());
    b2FixtureDef def = fixture->m_Def;
    def.shape = fixture->Shape();
    def.filter = b2Filter();
    if (physics == nullptr) {
        b2Body* body = MakeBody(fixture, instance);
        if (body == nullptr) return false;
        physics = new CPhysicsObject(this, body, slot);
        instance->m_pPhysicsObject = physics;
    }
    b2Fixture* made = physics->m_pBody->CreateFixture(&def);
    PhysicsFilter& filter = m_Filters[made];
    filter.group = fixture->m_Group;
    if (slot >= 0) {
        filter.category = m_Categories[slot].category;
        filter.mask = m_Categories[slot].mask;
    }
    made->Refilter();
    Refilter();
    return true;
}

b2Body* CPhysicsWorld::Ground()
{
    if (m_pGround == nullptr) {
        b2BodyDef def;
        def.type = b2_staticBody;
        m_pGround = m_pWorld->CreateBody(&def);
    }
    return m_pGround;
}

// ---- overlap, contacts ----

bool CPhysicsWorld::TestOverlap(CInstance* instance, CInstance* other, float x, float y, float angle)
{
    if (instance->m_pPhysicsObject == nullptr || other->m_pPhysicsObject == nullptr) return false;
    if (!Physics_CheckFinite2(x, y, "position.IsValid()") || !Physics_CheckFinite(angle, "b2IsValid(angle)"))
        return false;
    b2Transform placed(b2Vec2(x, y), b2Rot(angle));
    const b2Body* otherBody = other->m_pPhysicsObject->m_pBody;
    for (const b2Fixture* a = instance->m_pPhysicsObject->m_pBody->GetFixtureList(); a != nullptr; a = a->GetNext())
        for (const b2Fixture* b = otherBody->GetFixtureList(); b != nullptr; b = b->GetNext())
            if (b2TestOverlap(a->GetShape(), 0, b->GetShape(), 0, placed, otherBody->GetTransform())) return true;
    return false;
}

// The manifold of the current contact that holds point `index` of the instance's collision.
bool CPhysicsWorld::ContactOf(CInstance* instance, int32_t index, const b2WorldManifold** manifold, int32_t* point)
{
    const PhysicsContact* contact = m_pCurrentContact;
    if (contact == nullptr || index < 0) return false;
    if (Physics_BodyInstance(contact->fixtureA->GetBody()) != instance &&
        Physics_BodyInstance(contact->fixtureB->GetBody()) != instance)
        return false;
    int32_t first = 0;
    for (int32_t m = 0; m < contact->manifoldCount; ++m) {
        int32_t count = contact->local[m].pointCount;
        if (index < first + count) {
            *manifold = &contact->world[m];
            *point = index - first;
            return true;
        }
        first += count;
    }
    return false;
}

int32_t CPhysicsWorld::GetCollisionPointCount(CInstance* instance)
{
    const PhysicsContact* contact = m_pCurrentContact;
    if (contact == nullptr) return 0;
    if (Physics_BodyInstance(contact->fixtureA->GetBody()) != instance &&
        Physics_BodyInstance(contact->fixtureB->GetBody()) != instance)
        return 0;
    int32_t count = 0;
    for (int32_t m = 0; m < contact->manifoldCount; ++m) count += contact->local[m].pointCount;
    return count;
}

bool CPhysicsWorld::GetCollisionPoint(CInstance* instance, int32_t index, float* x, float* y)
{
    const b2WorldManifold* manifold;
    int32_t point;
    if (!ContactOf(instance, index, &manifold, &point)) return false;
    *x = manifold->points[point].x / m_Scale;
    *y = manifold->points[point].y / m_Scale;
    return true;
}

bool CPhysicsWorld::GetCollisionNormal(CInstance* instance, int32_t index, float* x, float* y)
{
    const b2WorldManifold* manifold;
    int32_t point;
    if (!ContactOf(instance, index, &manifold, &point)) return false;
    *x = manifold->normal.x;
    *y = manifold->normal.y;
    return true;
}

void CPhysicsWorld::DrawDebug(int32_t flags)
{
    m_DebugRender.SetFlags(Physics_DebugFlags(flags));
    m_pWorld->DebugDraw();
    m_DebugRender.SetFlags(0);
}
