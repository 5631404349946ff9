// Joints between the bodies of two instances, known to scripts by id. All records live in one list
// in creation order. Values are read and set by selector (the phy_joint_* constants).
#pragma once

#include <cstdint>

class b2Body;
class b2Joint;
class CPhysicsWorld;

enum PhysicsJointSelector : int32_t {
    PHY_JOINT_ANCHOR_1_X = 0,
    PHY_JOINT_ANCHOR_1_Y = 1,
    PHY_JOINT_ANCHOR_2_X = 2,
    PHY_JOINT_ANCHOR_2_Y = 3,
    PHY_JOINT_REACTION_FORCE_X = 4,
    PHY_JOINT_REACTION_FORCE_Y = 5,
    PHY_JOINT_REACTION_TORQUE = 6,
    PHY_JOINT_MOTOR_SPEED = 7,
    PHY_JOINT_ANGLE = 8,
    PHY_JOINT_MOTOR_TORQUE = 9,
    PHY_JOINT_MAX_MOTOR_TORQUE = 10,
    PHY_JOINT_TRANSLATION = 11,
    PHY_JOINT_SPEED = 12,
    PHY_JOINT_MOTOR_FORCE = 13,
    PHY_JOINT_MAX_MOTOR_FORCE = 14,
    PHY_JOINT_LENGTH_1 = 15,
    PHY_JOINT_LENGTH_2 = 16,
    PHY_JOINT_DAMPING_RATIO = 17,
    PHY_JOINT_FREQUENCY = 18,
    PHY_JOINT_LOWER_ANGLE = 19,
    PHY_JOINT_UPPER_ANGLE = 20,
    PHY_JOINT_LIMIT_ENABLED = 21,
};

class CPhysicsJoint {
public:
    void EnableMotor(bool on);
    float GetValue(int32_t selector) const;
    void SetValue(int32_t selector, float value);

    b2Joint* m_pJoint = nullptr;
    CPhysicsWorld* m_pWorld = nullptr;
    int32_t m_Id = 0;
    // A distance joint's spring as scripts set it (0 Hz: rigid).
    float m_Frequency = 0.0f;
    float m_DampingRatio = 0.0f;
    // A pulley's maximum lengths. The library's pulley has no limits: each side is held by a rope
    // of its own, a distance joint from the ground anchor to the body with only a maximum length,
    // which goes with the pulley.
    float m_MaxLengthA = 0.0f;
    float m_MaxLengthB = 0.0f;
    b2Joint* m_pRopes[2] = {nullptr, nullptr};

private:
    void ApplySpring();
};

CPhysicsJoint* PhysicsJoint_Find(int32_t id);
// Adds a record with the next id (the first is 1; never reused).
CPhysicsJoint* PhysicsJoint_Add(CPhysicsWorld* world, b2Joint* joint);
// Removes and frees the record and destroys its joint (gears over it first, a pulley's ropes with
// it). False when none.
bool PhysicsJoint_Delete(int32_t id);
// Forgets every record of the world without touching the library (the world is being freed).
void PhysicsJoint_ForgetWorld(const CPhysicsWorld* world);
int32_t PhysicsJoint_Count();
// Whether a gear links a joint whose first body this is.
bool PhysicsJoint_GearReadsThrough(const b2Body* body);
// Frees every record and restarts the ids (tests).
void PhysicsJoint_ResetIds();
