#include "physics/Physics_Joint.h"

#include <box2d/b2_body.h>
#include <box2d/b2_distance_joint.h>
#include <box2d/b2_gear_joint.h>
#include <box2d/b2_prismatic_joint.h>
#include <box2d/b2_pulley_joint.h>
#include <box2d/b2_revolute_joint.h>
#include <box2d/b2_world.h>

#include <cfloat>
#include <vector>

#include "physics/Physics_Check.h"
#include "physics/Physics_World.h"

namespace {

std::vector<CPhysicsJoint*> g_Joints;
int32_t g_JointIdCounter = 0;

constexpr float RADIANS_PER_DEGREE = PHYSICS_PI / 180.0f;

void WakeBodies(b2Joint* joint)
{
    joint->GetBodyA()->SetAwake(true);
    joint->GetBodyB()->SetAwake(true);
}

bool IsGearOver(b2Joint* gear, const b2Joint* joint)
{
    if (gear->GetType() != e_gearJoint) return false;
    auto* g = static_cast<b2GearJoint*>(gear);
    return g->GetJoint1() == joint || g->GetJoint2() == joint;
}

// A joint creator's answer when a check failed (the failure is reported).
int32_t FailedJoint(const char* check)
{
    Physics_Fail(check);
    return -1;
}

template <typename T> T* As(b2Joint* joint, b2JointType type)
{
    return joint->GetType() == type ? static_cast<T*>(joint) : nullptr;
}

} // namespace

CPhysicsJoint* PhysicsJoint_Find(int32_t id)
{
    for (CPhysicsJoint* record : g_Joints)
        if (record->m_Id == id) return record;
    return nullptr;
}

CPhysicsJoint* PhysicsJoint_Add(CPhysicsWorld* world, b2Joint* joint)
{
    auto* record = new CPhysicsJoint();
    record->m_pJoint = joint;
    record->m_pWorld = world;
    record->m_Id = ++g_JointIdCounter;
    joint->GetUserData().pointer = static_cast<uintptr_t>(record->m_Id);
    g_Joints.push_back(record);
    return record;
}

// Gears hold the joints they link: they go first, or they would point at freed memory.
bool PhysicsJoint_Delete(int32_t id)
{
    CPhysicsJoint* record = PhysicsJoint_Find(id);
    if (record == nullptr) return false;
    std::vector<int32_t> gears;
    for (CPhysicsJoint* other : g_Joints)
        if (other != record && IsGearOver(other->m_pJoint, record->m_pJoint)) gears.push_back(other->m_Id);
    for (int32_t gear : gears) PhysicsJoint_Delete(gear);
    for (size_t i = 0; i < g_Joints.size(); ++i)
        if (g_Joints[i] == record) g_Joints.erase(g_Joints.begin() + static_cast<std::ptrdiff_t>(i));
    b2World* world = record->m_pWorld->m_pWorld;
    for (b2Joint* rope : record->m_pRopes)
        if (rope != nullptr) world->DestroyJoint(rope);
    world->DestroyJoint(record->m_pJoint);
    delete record;
    return true;
}

void PhysicsJoint_ForgetWorld(const CPhysicsWorld* world)
{
    std::vector<CPhysicsJoint*> kept;
    for (CPhysicsJoint* record : g_Joints) {
        if (record->m_pWorld == world) delete record;
        else kept.push_back(record);
    }
    g_Joints.swap(kept);
}

int32_t PhysicsJoint_Count() { return static_cast<int32_t>(g_Joints.size()); }

bool PhysicsJoint_GearReadsThrough(const b2Body* body)
{
    for (CPhysicsJoint* record : g_Joints) {
        auto* gear = As<b2GearJoint>(record->m_pJoint, e_gearJoint);
        if (gear != nullptr && (gear->GetJoint1()->GetBodyA() == body || gear->GetJoint2()->GetBodyA() == body))
            return true;
    }
    return false;
}

void PhysicsJoint_ResetIds()
{
    for (CPhysicsJoint* record : g_Joints) delete record;
    g_Joints.clear();
    g_JointIdCounter = 0;
}

// ---- creation ----

// Two distinct bodies of this world; the library ends the process otherwise.
bool CPhysicsWorld::CheckPair(CPhysicsObject* a, CPhysicsObject* b)
{
    if (a->m_pWorld != this || b->m_pWorld != this) return Physics_Fail("body->GetWorld() == world");
    if (a->m_pBody == b->m_pBody) return Physics_Fail("def->bodyA != def->bodyB");
    return true;
}

int32_t CPhysicsWorld::AddJoint(b2Joint* joint)
{
    WakeBodies(joint);
    return PhysicsJoint_Add(this, joint)->m_Id;
}

int32_t CPhysicsWorld::CreateDistanceJoint(CPhysicsObject* a, CPhysicsObject* b, float ax, float ay, float bx,
                                           float by, bool collide)
{
    if (!CheckPair(a, b)) return -1;
    if (!Physics_CheckFinite2(ax, ay, "anchorA.IsValid()") || !Physics_CheckFinite2(bx, by, "anchorB.IsValid()"))
        return -1;
    b2DistanceJointDef def;
    def.Initialize(a->m_pBody, b->m_pBody, b2Vec2(ax, ay), b2Vec2(bx, by));
    def.collideConnected = collide;
    return AddJoint(m_pWorld->CreateJoint(&def));
}

int32_t CPhysicsWorld::CreateRevoluteJoint(CPhysicsObject* a, CPhysicsObject* b, float x, float y, float lower,
                                           float upper, bool limit, float maxTorque, float speed, bool motor,
                                           bool collide)
{
    if (!CheckPair(a, b)) return -1;
    if (!Physics_CheckFinite2(x, y, "anchor.IsValid()") || !Physics_CheckFinite2(lower, upper, "b2IsValid(angle)") ||
        !Physics_CheckFinite2(maxTorque, speed, "b2IsValid(torque)"))
        return -1;
    b2RevoluteJointDef def;
    def.Initialize(a->m_pBody, b->m_pBody, b2Vec2(x, y));
    def.lowerAngle = lower;
    def.upperAngle = upper;
    def.enableLimit = limit;
    def.maxMotorTorque = maxTorque;
    def.motorSpeed = speed;
    def.enableMotor = motor;
    def.collideConnected = collide;
    return AddJoint(m_pWorld->CreateJoint(&def));
}

int32_t CPhysicsWorld::CreatePrismaticJoint(CPhysicsObject* a, CPhysicsObject* b, float x, float y, float axisX,
                                            float axisY, float lower, float upper, bool limit, float maxForce,
                                            float speed, bool motor, bool collide)
{
    if (!CheckPair(a, b)) return -1;
    if (!Physics_CheckFinite2(x, y, "anchor.IsValid()") || !Physics_CheckFinite2(axisX, axisY, "axis.IsValid()") ||
        !Physics_CheckFinite2(lower, upper, "b2IsValid(translation)") ||
        !Physics_CheckFinite2(maxForce, speed, "b2IsValid(force)"))
        return -1;
    if (lower > upper) return FailedJoint("def->lowerTranslation <= def->upperTranslation");
    b2PrismaticJointDef def;
    def.Initialize(a->m_pBody, b->m_pBody, b2Vec2(x, y), b2Vec2(axisX, axisY));
    def.lowerTranslation = lower;
    def.upperTranslation = upper;
    def.enableLimit = limit;
    def.maxMotorForce = maxForce;
    def.motorSpeed = speed;
    def.enableMotor = motor;
    def.collideConnected = collide;
    return AddJoint(m_pWorld->CreateJoint(&def));
}

int32_t CPhysicsWorld::CreatePulleyJoint(CPhysicsObject* a, CPhysicsObject* b, float groundAX, float groundAY,
                                         float groundBX, float groundBY, float localAX, float localAY, float localBX,
                                         float localBY, float ratio, float maxLengthA, float maxLengthB, bool collide)
{
    if (!CheckPair(a, b)) return -1;
    if (!Physics_CheckFinite2(groundAX, groundAY, "groundAnchorA.IsValid()") ||
        !Physics_CheckFinite2(groundBX, groundBY, "groundAnchorB.IsValid()") ||
        !Physics_CheckFinite2(localAX, localAY, "anchorA.IsValid()") ||
        !Physics_CheckFinite2(localBX, localBY, "anchorB.IsValid()") ||
        !Physics_CheckFinite2(maxLengthA, maxLengthB, "b2IsValid(maxLength)"))
        return -1;
    if (!(ratio > b2_epsilon) || !std::isfinite(ratio)) return FailedJoint("ratio > b2_epsilon");
    b2Vec2 groundA(groundAX, groundAY);
    b2Vec2 groundB(groundBX, groundBY);
    b2Vec2 anchorA = a->m_pBody->GetWorldPoint(b2Vec2(localAX, localAY));
    b2Vec2 anchorB = b->m_pBody->GetWorldPoint(b2Vec2(localBX, localBY));
    b2PulleyJointDef def;
    def.Initialize(a->m_pBody, b->m_pBody, groundA, groundB, anchorA, anchorB, ratio);
    def.collideConnected = collide;
    int32_t id = AddJoint(m_pWorld->CreateJoint(&def));
    CPhysicsJoint* record = PhysicsJoint_Find(id);
    record->m_MaxLengthA = maxLengthA;
    record->m_MaxLengthB = maxLengthB;
    record->m_pRopes[0] = CreateRope(a->m_pBody, groundA, anchorA, maxLengthA);
    record->m_pRopes[1] = CreateRope(b->m_pBody, groundB, anchorB, maxLengthB);
    return id;
}

// Only a maximum length: the library keeps its minimum at its linear slop, with no spring, so the
// rope goes slack below the maximum. A maximum at or below the slop holds the body at the anchor.
b2Joint* CPhysicsWorld::CreateRope(b2Body* body, const b2Vec2& ground, const b2Vec2& anchor, float maxLength)
{
    b2DistanceJointDef def;
    def.Initialize(Ground(), body, ground, anchor);
    def.minLength = 0.0f;
    def.maxLength = maxLength;
    def.stiffness = 0.0f;
    def.damping = 0.0f;
    return m_pWorld->CreateJoint(&def);
}

int32_t CPhysicsWorld::CreateGearJoint(CPhysicsObject* a, CPhysicsObject* b, int32_t joint1, int32_t joint2,
                                       float ratio)
{
    CPhysicsJoint* first = PhysicsJoint_Find(joint1);
    CPhysicsJoint* second = PhysicsJoint_Find(joint2);
    if (first == nullptr || second == nullptr) return -1;
    auto linkable = [](const b2Joint* joint) {
        return joint->GetType() == e_revoluteJoint || joint->GetType() == e_prismaticJoint;
    };
    if (!linkable(first->m_pJoint) || !linkable(second->m_pJoint)) return -1;
    if (!CheckPair(a, b)) return -1;
    if (first->m_pWorld != this || second->m_pWorld != this) return FailedJoint("joint->GetWorld() == world");
    if (!Physics_CheckFinite(ratio, "b2IsValid(ratio)")) return -1;
    // The gear turns the second body of each joint (a revolute joint made wheel-first has the
    // ground there), and the library needs it dynamic.
    if (first->m_pJoint->GetBodyB()->GetType() != b2_dynamicBody) return FailedJoint("m_bodyA->m_type == b2_dynamicBody");
    if (second->m_pJoint->GetBodyB()->GetType() != b2_dynamicBody)
        return FailedJoint("m_bodyB->m_type == b2_dynamicBody");
    // See CPhysicsObject::SetActive.
    if (!first->m_pJoint->GetBodyA()->IsEnabled() || !second->m_pJoint->GetBodyA()->IsEnabled())
        return FailedJoint("joint->GetBodyA()->IsEnabled()");
    b2GearJointDef def;
    def.bodyA = a->m_pBody;
    def.bodyB = b->m_pBody;
    def.joint1 = first->m_pJoint;
    def.joint2 = second->m_pJoint;
    def.ratio = ratio;
    def.collideConnected = false;
    return AddJoint(m_pWorld->CreateJoint(&def));
}

bool CPhysicsWorld::DeleteJoint(int32_t id)
{
    return PhysicsJoint_Delete(id);
}

// ---- motor and values ----

void CPhysicsJoint::EnableMotor(bool on)
{
    if (auto* revolute = As<b2RevoluteJoint>(m_pJoint, e_revoluteJoint)) {
        WakeBodies(m_pJoint);
        revolute->EnableMotor(on);
    } else if (auto* prismatic = As<b2PrismaticJoint>(m_pJoint, e_prismaticJoint)) {
        WakeBodies(m_pJoint);
        prismatic->EnableMotor(on);
    }
}

float CPhysicsJoint::GetValue(int32_t selector) const
{
    b2Joint* joint = m_pJoint;
    auto* revolute = As<b2RevoluteJoint>(joint, e_revoluteJoint);
    auto* prismatic = As<b2PrismaticJoint>(joint, e_prismaticJoint);
    auto* distance = As<b2DistanceJoint>(joint, e_distanceJoint);
    auto* pulley = As<b2PulleyJoint>(joint, e_pulleyJoint);
    float inverseStep = static_cast<float>(m_pWorld->m_UpdateSpeed);
    switch (selector) {
    case PHY_JOINT_ANCHOR_1_X: return joint->GetAnchorA().x;
    case PHY_JOINT_ANCHOR_1_Y: return joint->GetAnchorA().y;
    case PHY_JOINT_ANCHOR_2_X: return joint->GetAnchorB().x;
    case PHY_JOINT_ANCHOR_2_Y: return joint->GetAnchorB().y;
    case PHY_JOINT_REACTION_FORCE_X: return joint->GetReactionForce(inverseStep).x;
    case PHY_JOINT_REACTION_FORCE_Y: return joint->GetReactionForce(inverseStep).y;
    case PHY_JOINT_REACTION_TORQUE: return joint->GetReactionTorque(inverseStep);
    case PHY_JOINT_MOTOR_SPEED:
        return revolute != nullptr ? revolute->GetMotorSpeed() : prismatic != nullptr ? prismatic->GetMotorSpeed() : 0.0f;
    case PHY_JOINT_ANGLE: return revolute != nullptr ? revolute->GetJointAngle() : 0.0f;
    // The accumulated motor impulse, as the library gave it before its getters took a step.
    case PHY_JOINT_MOTOR_TORQUE: return revolute != nullptr ? revolute->GetMotorTorque(1.0f) : 0.0f;
    case PHY_JOINT_TRANSLATION: return prismatic != nullptr ? prismatic->GetJointTranslation() : 0.0f;
    case PHY_JOINT_SPEED: return prismatic != nullptr ? prismatic->GetJointSpeed() : 0.0f;
    case PHY_JOINT_MOTOR_FORCE: return prismatic != nullptr ? prismatic->GetMotorForce(1.0f) : 0.0f;
    case PHY_JOINT_LENGTH_1:
        return distance != nullptr ? distance->GetLength() : pulley != nullptr ? pulley->GetCurrentLengthA() : 0.0f;
    case PHY_JOINT_LENGTH_2: return pulley != nullptr ? pulley->GetCurrentLengthB() : 0.0f;
    case PHY_JOINT_DAMPING_RATIO: return distance != nullptr ? m_DampingRatio : 0.0f;
    case PHY_JOINT_FREQUENCY: return distance != nullptr ? m_Frequency : 0.0f;
    case PHY_JOINT_LOWER_ANGLE: return revolute != nullptr ? revolute->GetLowerLimit() / RADIANS_PER_DEGREE : 0.0f;
    case PHY_JOINT_UPPER_ANGLE: return revolute != nullptr ? revolute->GetUpperLimit() / RADIANS_PER_DEGREE : 0.0f;
    case PHY_JOINT_LIMIT_ENABLED: return revolute != nullptr && revolute->IsLimitEnabled() ? 1.0f : 0.0f;
    default: return 0.0f;
    }
}

// A spring when the frequency is above 0, else rigid at the joint's length.
void CPhysicsJoint::ApplySpring()
{
    auto* distance = static_cast<b2DistanceJoint*>(m_pJoint);
    float length = distance->GetLength();
    if (m_Frequency > 0.0f) {
        float stiffness;
        float damping;
        b2LinearStiffness(stiffness, damping, m_Frequency, m_DampingRatio, m_pJoint->GetBodyA(), m_pJoint->GetBodyB());
        distance->SetMinLength(0.0f);
        distance->SetMaxLength(FLT_MAX);
        distance->SetStiffness(stiffness);
        distance->SetDamping(damping);
    } else {
        distance->SetMaxLength(FLT_MAX);
        distance->SetMinLength(length);
        distance->SetMaxLength(length);
        distance->SetStiffness(0.0f);
        distance->SetDamping(0.0f);
    }
}

void CPhysicsJoint::SetValue(int32_t selector, float value)
{
    auto* revolute = As<b2RevoluteJoint>(m_pJoint, e_revoluteJoint);
    auto* prismatic = As<b2PrismaticJoint>(m_pJoint, e_prismaticJoint);
    auto* distance = As<b2DistanceJoint>(m_pJoint, e_distanceJoint);
    if (selector < PHY_JOINT_MOTOR_SPEED || selector > PHY_JOINT_LIMIT_ENABLED) return;
    if (!Physics_CheckFinite(value, "b2IsValid(value)")) return;
    switch (selector) {
    case PHY_JOINT_MOTOR_SPEED:
        if (revolute == nullptr && prismatic == nullptr) return;
        WakeBodies(m_pJoint);
        if (revolute != nullptr) revolute->SetMotorSpeed(value);
        else prismatic->SetMotorSpeed(value);
        return;
    case PHY_JOINT_MAX_MOTOR_TORQUE:
        if (revolute != nullptr) revolute->SetMaxMotorTorque(value);
        return;
    case PHY_JOINT_MAX_MOTOR_FORCE:
        if (prismatic != nullptr) prismatic->SetMaxMotorForce(value);
        return;
    case PHY_JOINT_LENGTH_1:
        if (distance == nullptr) return;
        distance->SetMaxLength(FLT_MAX);
        distance->SetLength(value);
        ApplySpring();
        return;
    case PHY_JOINT_DAMPING_RATIO:
    case PHY_JOINT_FREQUENCY:
        if (distance == nullptr) return;
        if (value < 0.0f) {
            Physics_Fail("b2IsValid(value) && value >= 0.0f");
            return;
        }
        (selector == PHY_JOINT_FREQUENCY ? m_Frequency : m_DampingRatio) = value;
        ApplySpring();
        return;
    case PHY_JOINT_LOWER_ANGLE:
    case PHY_JOINT_UPPER_ANGLE: {
        if (revolute == nullptr) return;
        float angle = value * RADIANS_PER_DEGREE;
        float lower = selector == PHY_JOINT_LOWER_ANGLE ? angle : revolute->GetLowerLimit();
        float upper = selector == PHY_JOINT_UPPER_ANGLE ? angle : revolute->GetUpperLimit();
        if (lower > upper) {
            Physics_Fail("lower <= upper");
            return;
        }
        revolute->SetLimits(lower, upper);
        return;
    }
    case PHY_JOINT_LIMIT_ENABLED:
        if (revolute != nullptr) revolute->EnableLimit(value > 0.5f);
        return;
    default: return;
    }
}
