#include "physics/Physics_Placeholders.h"

// PLACEHOLDER until physics runs: there is no physics layer to hook yet.
void Physics_InstallErrorHook() {}

// PLACEHOLDER until physics runs: no body exists, so there are no joints or fixtures to destroy.
void CPhysicsObject::Destroy() {}

// PLACEHOLDER until physics runs: the world keeps its settings and simulates nothing.
CPhysicsWorld::CPhysicsWorld(float scale, int32_t roomSpeed) : m_Scale(scale), m_RoomSpeed(roomSpeed) {}

// PLACEHOLDER until physics runs.
void CPhysicsWorld::Update(int32_t /*roomSpeed*/, bool /*anyPath*/)
{
    ++m_StepsTaken;
}

void CPhysicsWorld::SetGravity(float x, float y)
{
    m_GravityX = x;
    m_GravityY = y;
}

// PLACEHOLDER until physics runs.
CPhysicsWorld* CPhysicsWorld::CreateFromRoom(const CPhysicsWorld& source)
{
    auto* world = new CPhysicsWorld(source.m_Scale, source.m_RoomSpeed);
    world->SetGravity(source.m_GravityX, source.m_GravityY);
    return world;
}

// PLACEHOLDER until physics runs: a body keeps what it is given; its centre of mass is given in
// body coordinates and lies unturned from its position.
float CPhysicsObject::GetMass() const { return m_Mass; }
float CPhysicsObject::GetInertia() const { return m_Inertia; }
void CPhysicsObject::GetLocalCentre(float* x, float* y) const
{
    *x = m_CentreX;
    *y = m_CentreY;
}
void CPhysicsObject::GetWorldCentre(float* x, float* y) const
{
    *x = m_X + m_CentreX;
    *y = m_Y + m_CentreY;
}
float CPhysicsObject::GetRotation() const { return m_Rotation; }
void CPhysicsObject::SetRotation(float degrees) { m_Rotation = degrees; }
float CPhysicsObject::GetAngularVelocity() const { return m_AngularVelocity; }
void CPhysicsObject::SetAngularVelocity(float degrees) { m_AngularVelocity = degrees; }
void CPhysicsObject::GetPosition(float* x, float* y) const
{
    *x = m_X;
    *y = m_Y;
}
void CPhysicsObject::SetPosition(float x, float y)
{
    m_X = x;
    m_Y = y;
}
void CPhysicsObject::GetLinearVelocity(float* x, float* y) const
{
    *x = m_VelocityX;
    *y = m_VelocityY;
}
void CPhysicsObject::SetLinearVelocity(float x, float y)
{
    m_VelocityX = x;
    m_VelocityY = y;
}
bool CPhysicsObject::IsDynamic() const { return m_Dynamic; }
bool CPhysicsObject::IsKinematic() const { return m_Kinematic; }
bool CPhysicsObject::IsAwake() const { return m_Awake; }
bool CPhysicsObject::IsBullet() const { return m_Bullet; }
void CPhysicsObject::SetBullet(bool on) { m_Bullet = on; }
bool CPhysicsObject::IsFixedRotation() const { return m_FixedRotation; }
void CPhysicsObject::SetFixedRotation(bool on) { m_FixedRotation = on; }
void CPhysicsObject::ResetMassData() {}
bool CPhysicsObject::IsActive() const { return m_Active; }
void CPhysicsObject::SetActive(bool on) { m_Active = on; }

// PLACEHOLDER until physics runs: no world simulates, so no collision has contact points.
int32_t CPhysicsWorld::GetCollisionPointCount(CInstance*) { return 0; }
bool CPhysicsWorld::GetCollisionPoint(CInstance*, int32_t, float*, float*) { return false; }
bool CPhysicsWorld::GetCollisionNormal(CInstance*, int32_t, float*, float*) { return false; }
