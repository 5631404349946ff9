// Physics services that start-up calls before the physics world exists.
#pragma once

// Installs the physics layer's error-report callback ("-debug", and "Debug" in options.ini).
void Physics_InstallErrorHook();

#include <cstdint>

class CInstance;

// PLACEHOLDER until physics runs: an instance's body. No body is made yet; destroying one has
// nothing to destroy (the caller frees its memory).
class CPhysicsObject {
public:
    void Destroy();

    // PLACEHOLDER until physics runs: what the phy_* built-in variables read and change of a
    // body, in world units and degrees. Until bodies simulate, the body keeps what it is given.
    float GetMass() const;
    float GetInertia() const; // about the centre of mass
    void GetLocalCentre(float* x, float* y) const;
    void GetWorldCentre(float* x, float* y) const;
    float GetRotation() const;
    void SetRotation(float degrees);
    float GetAngularVelocity() const;
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

    float m_Mass = 0.0f;
    float m_Inertia = 0.0f;
    float m_CentreX = 0.0f; // local centre of mass
    float m_CentreY = 0.0f;
    float m_X = 0.0f;
    float m_Y = 0.0f;
    float m_Rotation = 0.0f;
    float m_AngularVelocity = 0.0f;
    float m_VelocityX = 0.0f;
    float m_VelocityY = 0.0f;
    bool m_Dynamic = true;
    bool m_Kinematic = false;
    bool m_Awake = true;
    bool m_Bullet = false;
    bool m_FixedRotation = false;
    bool m_Active = true;
};

// PLACEHOLDER until physics runs: a room's physics world, made with the pixel-to-metre scale and
// the room speed and then given the gravity; a copied room copies it. Until the physics layer lands
// it only keeps those settings.
class CPhysicsWorld {
public:
    CPhysicsWorld(float scale, int32_t roomSpeed);
    void SetGravity(float x, float y);
    // PLACEHOLDER until physics runs: one room step of the world (room speed, any instance on a
    // path). Until the world simulates, a step only counts.
    void Update(int32_t roomSpeed, bool anyPath);
    int32_t m_StepsTaken = 0;
    // A world with the same settings as another room's.
    static CPhysicsWorld* CreateFromRoom(const CPhysicsWorld& source);
    // PLACEHOLDER until physics runs: the contact points and normals of the instance's current
    // collision, in room units. No world simulates yet, so there are none.
    int32_t GetCollisionPointCount(CInstance* instance);
    bool GetCollisionPoint(CInstance* instance, int32_t index, float* x, float* y);
    bool GetCollisionNormal(CInstance* instance, int32_t index, float* x, float* y);

    float m_Scale;
    int32_t m_RoomSpeed;
    float m_GravityX = 0.0f;
    float m_GravityY = 0.0f;
};
