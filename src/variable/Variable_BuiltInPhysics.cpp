// The phy_* built-in variables: the physics body of the instance the code runs for. Each fails when
// the instance has no body; those that convert between pixels and world units (positions,
// velocities, the centre of mass, contact points) also fail when the current room has no physics
// world. Positions and velocities are divided by the world's scale when read and multiplied by it
// when written.
#include "instance/Instance_Class.h"
#include "physics/Physics_World.h"
#include "room/Room_Class.h"
#include "run/Run_Game.h"
#include "variable/Variable_BuiltInFamilies.h"

using namespace builtin;

namespace {

CPhysicsObject* Body(CInstance* instance)
{
    return instance != nullptr ? instance->m_pPhysicsObject : nullptr;
}

CPhysicsWorld* World()
{
    CRoom* room = Run_CurrentRoom();
    return room != nullptr ? room->m_pPhysicsWorld : nullptr;
}

// The body and the world, for the variables that need the world's scale.
bool BodyInWorld(CInstance* instance, CPhysicsObject** body, CPhysicsWorld** world)
{
    *body = Body(instance);
    *world = World();
    return *body != nullptr && *world != nullptr;
}

double Scale(const CPhysicsWorld* world)
{
    return static_cast<double>(world->m_Scale);
}

// Steps per second of the current room: velocities per second become per step.
double RoomSpeed()
{
    CRoom* room = Run_CurrentRoom();
    return room != nullptr ? static_cast<double>(room->m_Speed) : 1.0;
}

enum Axis { AXIS_X, AXIS_Y };

double Pick(float x, float y, Axis axis)
{
    return static_cast<double>(axis == AXIS_X ? x : y);
}

bool GetPosition(CInstance* instance, ScriptValue* out, Axis axis)
{
    CPhysicsObject* body;
    CPhysicsWorld* world;
    if (!BodyInWorld(instance, &body, &world)) return false;
    float x, y;
    body->GetPosition(&x, &y);
    return Real(out, Pick(x, y, axis) / Scale(world));
}

bool SetPosition(CInstance* instance, const ScriptValue* value, Axis axis)
{
    CPhysicsObject* body;
    CPhysicsWorld* world;
    if (!BodyInWorld(instance, &body, &world)) return false;
    float x, y;
    body->GetPosition(&x, &y);
    float moved = Float(value->real * Scale(world));
    body->SetPosition(axis == AXIS_X ? moved : x, axis == AXIS_Y ? moved : y);
    return true;
}

// The linear velocity in room units per second, or per step when `perStep`.
bool GetVelocity(CInstance* instance, ScriptValue* out, Axis axis, bool perStep)
{
    CPhysicsObject* body;
    CPhysicsWorld* world;
    if (!BodyInWorld(instance, &body, &world)) return false;
    float x, y;
    body->GetLinearVelocity(&x, &y);
    double velocity = Pick(x, y, axis) / Scale(world);
    return Real(out, perStep ? velocity / RoomSpeed() : velocity);
}

bool SetVelocity(CInstance* instance, const ScriptValue* value, Axis axis, bool perStep)
{
    CPhysicsObject* body;
    CPhysicsWorld* world;
    if (!BodyInWorld(instance, &body, &world)) return false;
    float x, y;
    body->GetLinearVelocity(&x, &y);
    double velocity = value->real * Scale(world);
    if (perStep) velocity *= RoomSpeed();
    float changed = Float(velocity);
    body->SetLinearVelocity(axis == AXIS_X ? changed : x, axis == AXIS_Y ? changed : y);
    return true;
}

bool GetCentre(CInstance* instance, ScriptValue* out, Axis axis)
{
    CPhysicsObject* body;
    CPhysicsWorld* world;
    if (!BodyInWorld(instance, &body, &world)) return false;
    float x, y;
    body->GetWorldCentre(&x, &y);
    return Real(out, Pick(x, y, axis) / Scale(world));
}

// The contact point or normal of the given index of the instance's current collision.
bool GetContact(CInstance* instance, int32_t index, ScriptValue* out, Axis axis, bool normal)
{
    CPhysicsObject* body;
    CPhysicsWorld* world;
    if (!BodyInWorld(instance, &body, &world)) return false;
    float x, y;
    bool found = normal ? world->GetCollisionNormal(instance, index, &x, &y)
                        : world->GetCollisionPoint(instance, index, &x, &y);
    if (!found) return false;
    return Real(out, Pick(x, y, axis));
}

bool GetFlag(CInstance* instance, ScriptValue* out, bool (CPhysicsObject::*flag)() const)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    return Real(out, (body->*flag)() ? 1.0 : 0.0);
}

} // namespace

bool GV_PhyMass(CInstance* instance, int32_t, ScriptValue* out)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    return Real(out, body->GetMass());
}

// About the body's origin: the inertia about the centre of mass moved by the parallel-axis rule.
bool GV_PhyInertia(CInstance* instance, int32_t, ScriptValue* out)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    float cx, cy;
    body->GetLocalCentre(&cx, &cy);
    double squared = static_cast<double>(cx) * cx + static_cast<double>(cy) * cy;
    return Real(out,
                static_cast<double>(body->GetInertia()) + static_cast<double>(body->GetMass()) * squared);
}

bool GV_PhyRotation(CInstance* instance, int32_t, ScriptValue* out)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    return Real(out, body->GetRotation());
}

bool SV_PhyRotation(CInstance* instance, int32_t, const ScriptValue* value)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    body->SetRotation(Float(value));
    return true;
}

bool GV_PhyAngularVelocity(CInstance* instance, int32_t, ScriptValue* out)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    return Real(out, body->GetAngularVelocity());
}

bool SV_PhyAngularVelocity(CInstance* instance, int32_t, const ScriptValue* value)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    body->SetAngularVelocity(Float(value));
    return true;
}

bool GV_PhyPositionX(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetPosition(instance, out, AXIS_X);
}
bool SV_PhyPositionX(CInstance* instance, int32_t, const ScriptValue* value)
{
    return SetPosition(instance, value, AXIS_X);
}
bool GV_PhyPositionY(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetPosition(instance, out, AXIS_Y);
}
bool SV_PhyPositionY(CInstance* instance, int32_t, const ScriptValue* value)
{
    return SetPosition(instance, value, AXIS_Y);
}

bool GV_PhyLinearVelocityX(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetVelocity(instance, out, AXIS_X, false);
}
bool SV_PhyLinearVelocityX(CInstance* instance, int32_t, const ScriptValue* value)
{
    return SetVelocity(instance, value, AXIS_X, false);
}
bool GV_PhyLinearVelocityY(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetVelocity(instance, out, AXIS_Y, false);
}
bool SV_PhyLinearVelocityY(CInstance* instance, int32_t, const ScriptValue* value)
{
    return SetVelocity(instance, value, AXIS_Y, false);
}
bool GV_PhySpeedX(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetVelocity(instance, out, AXIS_X, true);
}
bool SV_PhySpeedX(CInstance* instance, int32_t, const ScriptValue* value)
{
    return SetVelocity(instance, value, AXIS_X, true);
}
bool GV_PhySpeedY(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetVelocity(instance, out, AXIS_Y, true);
}
bool SV_PhySpeedY(CInstance* instance, int32_t, const ScriptValue* value)
{
    return SetVelocity(instance, value, AXIS_Y, true);
}

bool GV_PhyBullet(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetFlag(instance, out, &CPhysicsObject::IsBullet);
}

bool SV_PhyBullet(CInstance* instance, int32_t, const ScriptValue* value)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    body->SetBullet(FlagAboveHalf(value));
    return true;
}

bool GV_PhyFixedRotation(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetFlag(instance, out, &CPhysicsObject::IsFixedRotation);
}

bool SV_PhyFixedRotation(CInstance* instance, int32_t, const ScriptValue* value)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    body->SetFixedRotation(FlagAboveHalf(value));
    body->ResetMassData();
    return true;
}

bool GV_PhyActive(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetFlag(instance, out, &CPhysicsObject::IsActive);
}

bool SV_PhyActive(CInstance* instance, int32_t, const ScriptValue* value)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    body->SetActive(FlagAboveHalf(value));
    return true;
}

bool GV_PhyComX(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetCentre(instance, out, AXIS_X);
}
bool GV_PhyComY(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetCentre(instance, out, AXIS_Y);
}
bool GV_PhyDynamic(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetFlag(instance, out, &CPhysicsObject::IsDynamic);
}
bool GV_PhyKinematic(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetFlag(instance, out, &CPhysicsObject::IsKinematic);
}

bool GV_PhySleeping(CInstance* instance, int32_t, ScriptValue* out)
{
    CPhysicsObject* body = Body(instance);
    if (body == nullptr) return false;
    return Real(out, body->IsAwake() ? 0.0 : 1.0);
}

bool GV_PhyCollisionPoints(CInstance* instance, int32_t, ScriptValue* out)
{
    CPhysicsObject* body;
    CPhysicsWorld* world;
    if (!BodyInWorld(instance, &body, &world)) return false;
    return Real(out, world->GetCollisionPointCount(instance));
}

bool GV_PhyCollisionX(CInstance* instance, int32_t index, ScriptValue* out)
{
    return GetContact(instance, index, out, AXIS_X, false);
}
bool GV_PhyCollisionY(CInstance* instance, int32_t index, ScriptValue* out)
{
    return GetContact(instance, index, out, AXIS_Y, false);
}
bool GV_PhyColNormalX(CInstance* instance, int32_t index, ScriptValue* out)
{
    return GetContact(instance, index, out, AXIS_X, true);
}
bool GV_PhyColNormalY(CInstance* instance, int32_t index, ScriptValue* out)
{
    return GetContact(instance, index, out, AXIS_Y, true);
}
