#include "physics/Physics_Object.h"

#include <box2d/b2_body.h>
#include <box2d/b2_circle_shape.h>
#include <box2d/b2_distance_joint.h>
#include <box2d/b2_edge_shape.h>
#include <box2d/b2_fixture.h>
#include <box2d/b2_joint.h>
#include <box2d/b2_polygon_shape.h>
#include <box2d/b2_pulley_joint.h>
#include <box2d/b2_world.h>

#include <vector>

#include "graphics/Graphics_Draw.h"
#include "physics/Physics_Check.h"
#include "physics/Physics_Joint.h"
#include "physics/Physics_World.h"

namespace {

constexpr float RADIANS_PER_DEGREE = PHYSICS_PI / 180.0f;
constexpr float DEBUG_CROSS = 2.0f; // pixels either side of a revolute anchor

} // namespace

void CPhysicsObject::Destroy()
{
    std::vector<int32_t> joints;
    for (b2JointEdge* edge = m_pBody->GetJointList(); edge != nullptr; edge = edge->next) {
        int32_t id = static_cast<int32_t>(edge->joint->GetUserData().pointer);
        if (id > 0) joints.push_back(id);
    }
    for (int32_t id : joints) PhysicsJoint_Delete(id);
    m_pWorld->ForgetBody(m_pBody);
    m_pBody->GetWorld()->DestroyBody(m_pBody);
    m_pBody = nullptr;
}

float CPhysicsObject::GetMass() const { return m_pBody->GetMass(); }

float CPhysicsObject::GetInertia() const
{
    const b2Vec2& centre = m_pBody->GetLocalCenter();
    return m_pBody->GetInertia() - m_pBody->GetMass() * b2Dot(centre, centre);
}

void CPhysicsObject::GetLocalCentre(float* x, float* y) const
{
    *x = m_pBody->GetLocalCenter().x;
    *y = m_pBody->GetLocalCenter().y;
}

void CPhysicsObject::GetWorldCentre(float* x, float* y) const
{
    *x = m_pBody->GetWorldCenter().x;
    *y = m_pBody->GetWorldCenter().y;
}

float CPhysicsObject::GetRotation() const { return m_pBody->GetAngle() / RADIANS_PER_DEGREE; }

void CPhysicsObject::SetRotation(float degrees)
{
    float angle = degrees * RADIANS_PER_DEGREE;
    if (!Physics_CheckFinite(angle, "b2IsValid(angle)")) return;
    m_pBody->SetTransform(m_pBody->GetPosition(), angle);
    m_pBody->SetAwake(true);
}

float CPhysicsObject::GetAngularVelocity() const { return m_pBody->GetAngularVelocity() / RADIANS_PER_DEGREE; }

void CPhysicsObject::SetAngularVelocity(float degrees)
{
    float radians = degrees * RADIANS_PER_DEGREE;
    if (!Physics_CheckFinite(radians, "b2IsValid(w)")) return;
    if (m_pBody->GetType() != b2_staticBody) m_pBody->SetAngularVelocity(radians);
    m_pBody->SetAwake(true);
}

void CPhysicsObject::GetPosition(float* x, float* y) const
{
    *x = m_pBody->GetPosition().x;
    *y = m_pBody->GetPosition().y;
}

void CPhysicsObject::SetPosition(float x, float y)
{
    if (!Physics_CheckFinite2(x, y, "position.IsValid()")) return;
    m_pBody->SetTransform(b2Vec2(x, y), m_pBody->GetAngle());
    m_pBody->SetAwake(true);
}

void CPhysicsObject::GetLinearVelocity(float* x, float* y) const
{
    *x = m_pBody->GetLinearVelocity().x;
    *y = m_pBody->GetLinearVelocity().y;
}

// A static body given a velocity becomes kinematic.
void CPhysicsObject::SetLinearVelocity(float x, float y)
{
    if (!Physics_CheckFinite2(x, y, "v.IsValid()")) return;
    bool moving = x != 0.0f || y != 0.0f;
    if (moving && m_pBody->GetType() == b2_staticBody) m_pBody->SetType(b2_kinematicBody);
    if (m_pBody->GetType() != b2_staticBody) m_pBody->SetLinearVelocity(b2Vec2(x, y));
    m_pBody->SetAwake(true);
}

bool CPhysicsObject::IsDynamic() const { return m_pBody->GetType() == b2_dynamicBody; }
bool CPhysicsObject::IsKinematic() const { return m_pBody->GetType() == b2_kinematicBody; }
bool CPhysicsObject::IsAwake() const { return m_pBody->IsAwake(); }
bool CPhysicsObject::IsBullet() const { return m_pBody->IsBullet(); }
void CPhysicsObject::SetBullet(bool on) { m_pBody->SetBullet(on); }
bool CPhysicsObject::IsFixedRotation() const { return m_pBody->IsFixedRotation(); }
// Freeing the rotation recomputes the mass with the inertia, which may round to nothing: the
// rotation then stays fixed.
void CPhysicsObject::SetFixedRotation(bool on)
{
    if (!on && m_pBody->IsFixedRotation() && !Physics_CheckMass(m_pBody, false)) return;
    m_pBody->SetFixedRotation(on);
}

void CPhysicsObject::ResetMassData()
{
    if (Physics_CheckMass(m_pBody, m_pBody->IsFixedRotation())) m_pBody->ResetMassData();
}
bool CPhysicsObject::IsActive() const { return m_pBody->IsEnabled(); }

// A gear moves the first body of each joint it links along with the joint; the library leaves an
// inactive body out of the step but not the gear, which then reads and writes another body's slot
// of the step's arrays, or past their end. Such a body stays active.
void CPhysicsObject::SetActive(bool on)
{
    if (!on && PhysicsJoint_GearReadsThrough(m_pBody)) {
        Physics_Fail("joint->GetBodyA()->IsEnabled()");
        return;
    }
    m_pBody->SetEnabled(on);
}

void CPhysicsObject::ApplyForce(float px, float py, float fx, float fy)
{
    if (!Physics_CheckFinite2(px, py, "point.IsValid()") || !Physics_CheckFinite2(fx, fy, "force.IsValid()")) return;
    m_pBody->ApplyForce(b2Vec2(fx, fy), b2Vec2(px, py), true);
}

void CPhysicsObject::ApplyImpulse(float px, float py, float ix, float iy)
{
    if (!Physics_CheckFinite2(px, py, "point.IsValid()") || !Physics_CheckFinite2(ix, iy, "impulse.IsValid()"))
        return;
    m_pBody->ApplyLinearImpulse(b2Vec2(ix, iy), b2Vec2(px, py), true);
}

void CPhysicsObject::ApplyLocalForce(float px, float py, float fx, float fy)
{
    if (!Physics_CheckFinite2(px, py, "point.IsValid()") || !Physics_CheckFinite2(fx, fy, "force.IsValid()")) return;
    m_pBody->ApplyForce(m_pBody->GetWorldVector(b2Vec2(fx, fy)), m_pBody->GetWorldPoint(b2Vec2(px, py)), true);
}

void CPhysicsObject::ApplyLocalImpulse(float px, float py, float ix, float iy)
{
    if (!Physics_CheckFinite2(px, py, "point.IsValid()") || !Physics_CheckFinite2(ix, iy, "impulse.IsValid()"))
        return;
    m_pBody->ApplyLinearImpulse(m_pBody->GetWorldVector(b2Vec2(ix, iy)), m_pBody->GetWorldPoint(b2Vec2(px, py)),
                                true);
}

void CPhysicsObject::ApplyTorque(float torque)
{
    if (!Physics_CheckFinite(torque, "b2IsValid(torque)")) return;
    m_pBody->ApplyTorque(torque, true);
}

// The library takes a mass of 0 or less as 1, and needs an inertia left above 0 once moved to the
// centre of mass.
void CPhysicsObject::SetMassProperties(float mass, float centreX, float centreY, float inertia)
{
    if (!Physics_CheckFinite2(mass, inertia, "b2IsValid(massData->mass)")) return;
    if (!Physics_CheckFinite2(centreX, centreY, "massData->center.IsValid()")) return;
    if (m_pBody->GetType() != b2_dynamicBody) return;
    b2MassData data;
    data.mass = mass;
    data.center.Set(centreX, centreY);
    data.I = inertia;
    float used = mass > 0.0f ? mass : 1.0f;
    if (inertia > 0.0f && !m_pBody->IsFixedRotation() && !(inertia - used * b2Dot(data.center, data.center) > 0.0f)) {
        Physics_Fail("m_I > 0.0f");
        return;
    }
    m_pBody->SetMassData(&data);
}

// ---- debug outline ----

namespace {

void Line(const b2Vec2& a, const b2Vec2& b, float inverseScale)
{
    GR_Draw_Line(a.x * inverseScale, a.y * inverseScale, b.x * inverseScale, b.y * inverseScale);
}

void DrawFixture(const b2Body* body, const b2Fixture* fixture, float inverseScale)
{
    const b2Transform& xf = body->GetTransform();
    const b2Shape* shape = fixture->GetShape();
    if (shape->GetType() == b2Shape::e_polygon) {
        const auto* polygon = static_cast<const b2PolygonShape*>(shape);
        for (int32 i = 0; i < polygon->m_count; ++i)
            Line(b2Mul(xf, polygon->m_vertices[i]), b2Mul(xf, polygon->m_vertices[(i + 1) % polygon->m_count]),
                 inverseScale);
    } else if (shape->GetType() == b2Shape::e_circle) {
        float r = shape->m_radius * inverseScale;
        float x = xf.p.x * inverseScale;
        float y = xf.p.y * inverseScale;
        GR_Draw_Ellipse(x - r, y - r, x + r, y + r, 1);
    } else if (shape->GetType() == b2Shape::e_edge) {
        const auto* edge = static_cast<const b2EdgeShape*>(shape);
        Line(b2Mul(xf, edge->m_vertex1), b2Mul(xf, edge->m_vertex2), inverseScale);
    }
}

void DrawJoint(const b2Body* body, b2Joint* joint, float inverseScale)
{
    b2Vec2 a = joint->GetAnchorA();
    switch (joint->GetType()) {
    case e_revoluteJoint: {
        float x = a.x * inverseScale;
        float y = a.y * inverseScale;
        GR_Draw_Line(x - DEBUG_CROSS, y - DEBUG_CROSS, x + DEBUG_CROSS, y + DEBUG_CROSS);
        GR_Draw_Line(x + DEBUG_CROSS, y - DEBUG_CROSS, x - DEBUG_CROSS, y + DEBUG_CROSS);
        break;
    }
    case e_prismaticJoint: Line(a, body->GetPosition(), inverseScale); break;
    case e_distanceJoint: Line(a, joint->GetAnchorB(), inverseScale); break;
    case e_pulleyJoint: {
        auto* pulley = static_cast<b2PulleyJoint*>(joint);
        bool onA = joint->GetBodyA() == body;
        Line(onA ? pulley->GetAnchorA() : pulley->GetAnchorB(),
             onA ? pulley->GetGroundAnchorA() : pulley->GetGroundAnchorB(), inverseScale);
        Line(pulley->GetGroundAnchorA(), pulley->GetGroundAnchorB(), inverseScale);
        break;
    }
    default: break;
    }
}

} // namespace

void CPhysicsObject::DrawDebug(float inverseScale) const
{
    for (const b2Fixture* fixture = m_pBody->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext())
        DrawFixture(m_pBody, fixture, inverseScale);
    // A pulley's ropes (joints without an id) are drawn as the pulley.
    for (b2JointEdge* edge = const_cast<b2Body*>(m_pBody)->GetJointList(); edge != nullptr; edge = edge->next)
        if (edge->joint->GetUserData().pointer != 0) DrawJoint(m_pBody, edge->joint, inverseScale);
}
