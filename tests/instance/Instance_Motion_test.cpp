#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Instance_TestSupport.h"

namespace {

using InstanceMotion = InstanceTest;

TEST_F(InstanceMotion, CartesianAndPolarSpeedsStayConsistentAndDirectionsAreNormalised)
{
    CInstance* instance = Make(0, 0, 100001);
    instance->SetHSpeed(3.0f);
    EXPECT_EQ(Fields(instance->i_direction, instance->i_speed), Fields(0, 3));
    instance->SetVSpeed(-2.0f);
    EXPECT_NEAR(instance->i_direction, 33.690067, 1e-5);
    EXPECT_FLOAT_EQ(instance->i_speed, 3.6055512f);
    // Up at speed 4: cos(90 degrees) leaves -1.7484555e-7, which snaps to 0.
    instance->SetSpeed(4.0f);
    instance->SetDirection(90.0f);
    EXPECT_EQ(Fields(instance->i_hspeed, instance->i_vspeed), Fields(0, -4));
    instance->SetDirection(225.0f);
    EXPECT_FLOAT_EQ(instance->i_hspeed, -2.828427f);

    for (auto [given, kept] : {std::pair{-30.0f, 330.0f}, {720.0f, 0.0f}, {360.0f, 0.0f}, {-1080.5f, 359.5f}}) {
        instance->SetDirection(given);
        EXPECT_EQ(instance->i_direction, kept) << given;
    }
    instance->SetDirection(1e30f); // beyond what a loop of 360 steps could reduce
    EXPECT_GE(instance->i_direction, 0.0f);
    EXPECT_LT(instance->i_direction, 360.0f);
    instance->SetDirection(-std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(instance->i_direction));
}

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

std::vector<double> Box(CInstance* instance)
{
    InstanceBox box = instance->GetBoundingBox();
    return Fields(box.left, box.top, box.right, box.bottom);
}

TEST_F(InstanceMotion, BoundingBoxFollowsOriginScaleRotationAndMask)
{
    TestSprites sprites;
    sprites.Add(0, {0, 0, 31, 31}, 16, 16, 1, /*precise*/ 1);
    CInstance* instance = Make(100, 50, 100001);
    instance->SetSpriteIndex(0);
    const struct {
        float xscale, yscale, angle;
        std::vector<double> box; // left, top, right, bottom
    } placements[] = {
        {1, 1, 0, {84, 34, 115, 65}},
        {-1, 1, 0, {83, 34, 116, 65}}, // mirrored: the computed left 116 and right 83 are swapped
        {1, -2, 0, {84, 17, 115, 82}},
        {1, 1, 45, {77, 28, 121, 72}},
    };
    for (const auto& p : placements) {
        instance->SetImageXScale(p.xscale);
        instance->SetImageYScale(p.yscale);
        instance->SetImageAngle(p.angle);
        EXPECT_EQ(Box(instance), p.box) << p.xscale << " " << p.yscale << " " << p.angle;
    }

    // Without a shape the box is the position's point; a mask wins over the sprite.
    sprites.Add(1, {2, 3, 4, 5}, 0, 0);
    CInstance* other = Make(10.7f, 20.2f, 100002);
    EXPECT_EQ(Box(other), Fields(10, 20, 10, 20));
    other->SetPosition(10.0f, 20.0f);
    other->SetSpriteIndex(0);
    other->SetMaskIndex(1);
    EXPECT_EQ(Box(other), Fields(12, 23, 14, 25));
    // A sprite whose box and origin are extreme still gives a box (no overflow).
    sprites.Add(2, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, INT32_MAX, INT32_MAX);
    other->SetMaskIndex(2);
    InstanceBox box = other->GetBoundingBox();
    EXPECT_LE(box.left, box.right);
    EXPECT_LE(box.top, box.bottom);
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
