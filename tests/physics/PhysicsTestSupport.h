// Physics tests play small games whose room has a physics world (scale 0.1, gravity (0, 10)) and
// whose objects bind a fixture from their physics settings: a 16 x 16 box by default.
#pragma once

#include <box2d/b2_body.h>
#include <box2d/b2_world.h>

#include "../function/Function_GameTestSupport.h"
#include "physics/Physics_Fixture.h"
#include "physics/Physics_Joint.h"
#include "physics/Physics_World.h"

namespace physicstest {

using namespace gametest;

// An object with physics: a 16 x 16 box (density 0: static), or a circle of radius 8.
inline gamebuild::ObjectDesc PhysicsObject(const std::string& name, float density, std::vector<Handler> handlers = {},
                                           bool circle = false)
{
    gamebuild::ObjectDesc object = ObjectWith(name, std::move(handlers), 0);
    object.physics.enabled = 1;
    object.physics.density = density;
    object.physics.linearDamping = 0.0f;
    object.physics.angularDamping = 0.0f;
    object.physics.shape = circle ? 0 : 1;
    if (circle) object.physics.points = {{8, 8}, {8, 8}};
    else object.physics.points = {{0, 0}, {16, 0}, {16, 16}, {0, 16}};
    return object;
}

class PhysicsTest : public GameFamilyTest {
protected:
    void SetUp() override
    {
        GameFamilyTest::SetUp();
        PhysicsFixture_DeleteAll();
        PhysicsJoint_ResetIds();
        AddSquareSprite();
    }
    void TearDown() override
    {
        GameFamilyTest::TearDown();
        PhysicsFixture_DeleteAll();
    }

    void PlayPhysics(std::vector<gamebuild::ObjectDesc> objects, std::vector<gamebuild::RoomInstanceDesc> placed,
                     int32_t speed = 30)
    {
        gamebuild::GameDesc game = OneRoomGame(std::move(objects), std::move(placed));
        game.rooms[0].usesPhysics = true;
        game.rooms[0].speed = speed;
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        ASSERT_NE(nullptr, World());
    }

    static CPhysicsWorld* World() { return Run_CurrentRoom()->m_pPhysicsWorld; }
    static b2Body* Body(int32_t id)
    {
        CInstance* instance = ById(id);
        return instance != nullptr && instance->m_pPhysicsObject != nullptr ? instance->m_pPhysicsObject->m_pBody
                                                                              : nullptr;
    }
};

} // namespace physicstest
