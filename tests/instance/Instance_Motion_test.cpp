#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Instance_TestSupport.h"

namespace {

using InstanceMotion = InstanceTest;

TEST_F(InstanceMotion, FrictionStopsAtZeroAndGravityAccumulatesAlongItsDirection)
{
    CInstance* instance = Make(0, 0, 100001);
    instance->SetDirection(45.0f);
    instance->SetSpeed(0.3f);
    instance->i_friction = 0.5f;
    instance->ApplyFrictionGravity();
    EXPECT_EQ(Fields(instance->i_speed, instance->i_hspeed, instance->i_vspeed), Fields(0, 0, 0));
    // A negative speed is slowed toward 0 from below, and stops there.
    instance->SetSpeed(-2.0f);
    instance->i_friction = 2.5f;
    instance->ApplyFrictionGravity();
    EXPECT_EQ(instance->i_speed, 0.0f);

    CInstance* falling = Make(0, 0, 100002);
    falling->i_gravity = 0.5f;
    for (int i = 0; i < 3; ++i) falling->ApplyFrictionGravity();
    EXPECT_FLOAT_EQ(falling->i_vspeed, 1.5f);
    EXPECT_EQ(Fields(falling->i_direction, falling->i_speed), Fields(270, 1.5));
    // Gravity to the right on an instance moving up turns it.
    CInstance* thrown = Make(0, 0, 100003);
    thrown->SetVSpeed(-2.0f);
    thrown->i_gravity = 2.0f;
    thrown->i_gravitydir = 0.0f;
    thrown->ApplyFrictionGravity();
    EXPECT_EQ(Fields(thrown->i_hspeed, thrown->i_direction), Fields(2, 45));
}

// ---- paths ---------------------------------------------------------------------------------------

class InstancePath : public InstanceTest {
protected:
    void SetUp() override
    {
        InstanceTest::SetUp();
        paths.paths[0] = {{0.0f, 100.0f}, {0.0f, 0.0f}};        // 100 pixels to the right
        paths.paths[1] = {{5.0f}, {5.0f}};                       // a single point: length 0
        paths.paths[2] = {{0.0f, 100.0f}, {0.0f, 0.0f}, 50.0f}; // the same at half speed
    }
    TestPaths paths;
};

constexpr float X = std::numeric_limits<float>::quiet_NaN(); // not looked at

// One step of an instance at (10, 20) started on a path relative to itself; NaN fields are not
// checked, and a tolerance of 0 means float equality.
struct PathCase {
    const char* name;
    int32_t path, end;
    float orientation, scale, startSpeed, position, speed; // position and speed set after the start
    bool ended;
    float pos, x, y, direction, index, pathspeed, xstart, ystart, tolerance;
};

const PathCase PATH_CASES[] = {
    {"step", 0, 0, 0, 1, 4, X, X, false, 0.04f, 14, 20, 0, 0, 4, X, X, 0},
    {"turned", 0, 0, 90, 1, 4, X, X, false, X, 10, 16, 90, X, X, X, X, 1e-5f},
    {"slower path", 2, 0, 0, 1, 4, X, X, false, X, 12, X, X, X, X, X, X, 0},
    {"standing on the start", 0, 0, 0, 1, 0, X, X, false, 0, X, X, X, 0, X, X, X, 0},
    {"stop", 0, 0, 0, 1, 4, 0.98f, X, true, 1, 110, X, X, -1, X, X, X, 0},
    {"restart", 0, 1, 0, 1, 4, 0.98f, X, true, 0.02f, X, X, X, 0, X, X, X, 1e-6f},
    {"continue", 0, 2, 0, 1, 4, 0.98f, X, true, X, 112, X, X, X, X, 110, 20, 1e-4f},
    {"continue backwards", 0, 2, 0, 1, 4, 0.02f, -4, true, 0.98f, X, X, X, X, X, -90, X, 1e-6f},
    {"reverse", 0, 3, 0, 1, 4, 0.98f, X, true, 0.98f, X, X, X, 0, -4, X, X, 1e-6f},
    {"reverse at the start", 0, 3, 0, 1, 4, 0.02f, -4, true, 0.02f, X, X, X, 0, 4, X, X, 1e-6f},
    {"unknown end action stops", 0, 9, 0, 1, 4, 0.99f, X, true, 1, X, X, X, -1, X, X, X, 0},
};

TEST_F(InstancePath, AStepMovesAlongTheTurnedAndScaledPathAndActsAtItsEnds)
{
    for (const PathCase& c : PATH_CASES) {
        SCOPED_TRACE(c.name);
        CInstance* instance = Make(10, 20, 100001);
        instance->PathStart(c.path, c.startSpeed, c.scale, c.orientation, true, c.end);
        if (!std::isnan(c.position)) instance->i_pathposition = c.position;
        if (!std::isnan(c.speed)) instance->i_pathspeed = c.speed;
        EXPECT_EQ(instance->PathStep(), c.ended);
        const float expected[] = {c.pos, c.x, c.y, c.direction, c.index, c.pathspeed, c.xstart, c.ystart};
        const float actual[] = {instance->i_pathposition, instance->i_x, instance->i_y,
                                instance->i_direction, static_cast<float>(instance->i_pathindex),
                                instance->i_pathspeed, instance->i_pathxstart, instance->i_pathystart};
        for (size_t i = 0; i < std::size(expected); ++i) {
            if (std::isnan(expected[i])) continue;
            if (c.tolerance == 0) {
                EXPECT_FLOAT_EQ(actual[i], expected[i]) << "field " << i;
            } else {
                EXPECT_NEAR(actual[i], expected[i], c.tolerance) << "field " << i;
            }
        }
        // The direction shows the travel while every speed stays 0.
        EXPECT_EQ(Fields(instance->i_speed, instance->i_hspeed, instance->i_vspeed), Fields(0, 0, 0));
        if (instance->i_pathindex < 0) {
            EXPECT_FALSE(instance->PathStep()) << "no path any more";
        }
    }
}

} // namespace
