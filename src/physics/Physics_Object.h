// An instance's rigid body. Reads and writes are in the library's units (metres, seconds) with
// angles in degrees; the built-in variables and functions convert from pixels.
#pragma once

#include <cstdint>

class b2Body;
class CPhysicsWorld;

constexpr float PHYSICS_PI = 3.1415927410125732f;

class CPhysicsObject {
public:
    CPhysicsObject(CPhysicsWorld* world, b2Body* body, int32_t slot) : m_pWorld(world), m_pBody(body), m_Slot(slot) {}

    // Deletes the body's joints (gears over them first) and destroys the body in its own world.
    void Destroy();

    float GetMass() const;
    float GetInertia() const; // about the centre of mass
    void GetLocalCentre(float* x, float* y) const;
    void GetWorldCentre(float* x, float* y) const;
    float GetRotation() const;
    void SetRotation(float degrees);
    float GetAngularVelocity() const; // degrees per second
    void SetAngularVelocity(float degrees);
    void GetPosition(float* x, float* y) const;
    void SetPosition(float x, float y);
    void GetLinearVelocity(float* x, float* y) const;
    void SetLinearVelocity(float x, float y);
    bool IsDynamic() const;
    bool IsKinematic() const;
    bool IsAwake() const;
    bool IsBullet() const;
    void SetBullet(bool on);
    bool IsFixedRotation() const;
    void SetFixedRotation(bool on);
    void ResetMassData();
    bool IsActive() const;
    void SetActive(bool on);

    void ApplyForce(float px, float py, float fx, float fy);
    void ApplyImpulse(float px, float py, float ix, float iy);
    void ApplyLocalForce(float px, float py, float fx, float fy);
    void ApplyLocalImpulse(float px, float py, float ix, float iy);
    void ApplyTorque(float torque);
    void SetMassProperties(float mass, float centreX, float centreY, float inertia);
    // Outlines the fixtures and joints in room pixels (world units times the inverse scale).
    void DrawDebug(float inverseScale) const;

    CPhysicsWorld* m_pWorld; // the world that holds the body
    b2Body* m_pBody;
    int32_t m_Slot; // collision-category slot, -1 for none
};
