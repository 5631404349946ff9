#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Instance_TestSupport.h"

namespace {

using InstanceMotion = InstanceTest;

TEST_F(InstanceMotion, CartesianAndPolarSpeedsStayConsistent)
{
    CInstance* instance = Make(0, 0, 100001);
    instance->SetHSpeed(3.0f);
    EXPECT_EQ(instance->i_direction, 0.0f);
    EXPECT_EQ(instance->i_speed, 3.0f);
    instance->SetVSpeed(-2.0f);
    EXPECT_NEAR(instance->i_direction, 33.690067, 1e-5);
    EXPECT_FLOAT_EQ(instance->i_speed, 3.6055512f);

    // Straight down and straight up, with hspeed exactly 0.
    instance->SetHSpeed(0.0f);
    EXPECT_EQ(instance->i_direction, 90.0f);
    instance->SetVSpeed(5.0f);
    EXPECT_EQ(instance->i_direction, 270.0f);
    EXPECT_EQ(instance->i_speed, 5.0f);

    // Up at speed 4: cos(90 degrees) leaves -1.7484555e-7, which snaps to 0.
    instance->SetSpeed(4.0f);
    instance->SetDirection(90.0f);
    EXPECT_EQ(instance->i_hspeed, 0.0f);
    EXPECT_EQ(instance->i_vspeed, -4.0f);
    instance->SetDirection(225.0f);
    EXPECT_FLOAT_EQ(instance->i_hspeed, -2.828427f);
    EXPECT_FLOAT_EQ(instance->i_vspeed, 2.828427f);
    EXPECT_EQ(instance->m_BBoxDirty, 1);
}

TEST_F(InstanceMotion, DirectionIsNormalisedIntoZeroTo360)
{
    CInstance* instance = Make(0, 0, 100001);
    instance->SetDirection(-30.0f);
    EXPECT_EQ(instance->i_direction, 330.0f);
    instance->SetDirection(720.0f);
    EXPECT_EQ(instance->i_direction, 0.0f);
    instance->SetDirection(360.0f);
    EXPECT_EQ(instance->i_direction, 0.0f);
    instance->SetDirection(-1080.5f);
    EXPECT_EQ(instance->i_direction, 359.5f);
    // Angles no loop of 360 steps could reduce are reduced at once.
    instance->SetDirection(1e30f);
    EXPECT_GE(instance->i_direction, 0.0f);
    EXPECT_LT(instance->i_direction, 360.0f);
    instance->SetDirection(-std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(instance->i_direction));
}

TEST_F(InstanceMotion, UnchangedValuesDoNotRecompute)
{
    CInstance* instance = Make(0, 0, 100001);
    instance->SetSpeed(2.0f);
    instance->i_hspeed = 9.0f; // out of step on purpose
    instance->SetSpeed(2.0f);
    EXPECT_EQ(instance->i_hspeed, 9.0f);
    instance->m_BBoxDirty = 0;
    instance->SetPosition(0.0f, 0.0f);
    instance->SetImageXScale(1.0f);
    instance->SetMaskIndex(-1);
    EXPECT_EQ(instance->m_BBoxDirty, 0);
    instance->SetImageAngle(std::numeric_limits<float>::quiet_NaN()); // NaN always differs
    EXPECT_EQ(instance->m_BBoxDirty, 1);
}

TEST_F(InstanceMotion, FrictionStopsAtZeroInsteadOfReversing)
{
    CInstance* instance = Make(0, 0, 100001);
    instance->SetDirection(45.0f);
    instance->SetSpeed(0.3f);
    instance->i_friction = 0.5f;
    instance->ApplyFrictionGravity();
    EXPECT_EQ(instance->i_speed, 0.0f);
    EXPECT_EQ(instance->i_hspeed, 0.0f);
    EXPECT_EQ(instance->i_vspeed, 0.0f);

    // A negative speed is slowed toward 0 from below.
    instance->SetSpeed(-3.0f);
    instance->i_friction = 1.0f;
    instance->ApplyFrictionGravity();
    EXPECT_EQ(instance->i_speed, -2.0f);
    instance->i_friction = 2.5f;
    instance->ApplyFrictionGravity();
    EXPECT_EQ(instance->i_speed, 0.0f);
}

TEST_F(InstanceMotion, GravityAccumulatesAlongItsDirection)
{
    CInstance* instance = Make(0, 0, 100001);
    instance->i_gravity = 0.5f;
    for (int i = 0; i < 3; ++i) instance->ApplyFrictionGravity();
    EXPECT_FLOAT_EQ(instance->i_vspeed, 1.5f);
    EXPECT_NEAR(instance->i_hspeed, 0.0f, 1e-6);
    EXPECT_EQ(instance->i_direction, 270.0f);
    EXPECT_EQ(instance->i_speed, 1.5f);

    // Gravity to the right on an instance moving up turns it.
    CInstance* thrown = Make(0, 0, 100002);
    thrown->SetVSpeed(-2.0f);
    thrown->i_gravity = 2.0f;
    thrown->i_gravitydir = 0.0f;
    thrown->ApplyFrictionGravity();
    EXPECT_EQ(thrown->i_hspeed, 2.0f);
    EXPECT_EQ(thrown->i_direction, 45.0f);
}

TEST_F(InstanceMotion, BoundingBoxFollowsOriginScaleAndRotation)
{
    TestSprites sprites;
    sprites.Add(0, {0, 0, 31, 31}, 16, 16, 1, /*precise*/ 1);
    CInstance* instance = Make(100, 50, 100001);
    instance->SetSpriteIndex(0);
    InstanceBox box = instance->GetBoundingBox();
    EXPECT_EQ(box.left, 84);
    EXPECT_EQ(box.right, 115);
    EXPECT_EQ(box.top, 34);
    EXPECT_EQ(box.bottom, 65);
    EXPECT_EQ(instance->i_precise, 1);

    // Mirrored: the computed left 116 and right 83 are swapped.
    instance->SetImageXScale(-1.0f);
    box = instance->GetBoundingBox();
    EXPECT_EQ(box.left, 83);
    EXPECT_EQ(box.right, 116);
    instance->SetImageXScale(1.0f);
    instance->SetImageYScale(-2.0f);
    box = instance->GetBoundingBox();
    EXPECT_EQ(box.top, 17);
    EXPECT_EQ(box.bottom, 82);
    instance->SetImageYScale(1.0f);

    instance->SetImageAngle(45.0f);
    box = instance->GetBoundingBox();
    EXPECT_EQ(box.left, 77);
    EXPECT_EQ(box.right, 121);
    EXPECT_EQ(box.top, 28);
    EXPECT_EQ(box.bottom, 72);
    instance->SetImageAngle(90.0f);
    box = instance->GetBoundingBox();
    EXPECT_EQ(box.left, 84);
    EXPECT_EQ(box.right, 115);
    EXPECT_EQ(box.top, 35);
    EXPECT_EQ(box.bottom, 66);
}

TEST_F(InstanceMotion, BoundingBoxOfTheMaskWinsAndNoShapeIsAPoint)
{
    TestSprites sprites;
    sprites.Add(0, {0, 0, 31, 31}, 0, 0);
    sprites.Add(1, {2, 3, 4, 5}, 0, 0);
    CInstance* instance = Make(10.7f, 20.2f, 100001);
    InstanceBox box = instance->GetBoundingBox();
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 20);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 20);
    EXPECT_EQ(instance->i_precise, 0);

    instance->SetPosition(10.0f, 20.0f);
    instance->SetSpriteIndex(0);
    instance->SetMaskIndex(1);
    box = instance->GetBoundingBox();
    EXPECT_EQ(box.left, 12);
    EXPECT_EQ(box.top, 23);
    EXPECT_EQ(box.right, 14);
    EXPECT_EQ(box.bottom, 25);

    // A sprite whose box and origin are extreme still gives a box (no overflow).
    sprites.Add(2, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, INT32_MAX, INT32_MAX);
    instance->SetMaskIndex(2);
    box = instance->GetBoundingBox();
    EXPECT_LE(box.left, box.right);
    EXPECT_LE(box.top, box.bottom);
}

TEST_F(InstanceMotion, SpriteChangeResetsAnImageIndexBeyondItsFrames)
{
    TestSprites sprites;
    sprites.Add(0, {0, 0, 1, 1}, 0, 0, /*frames*/ 3);
    CInstance* instance = Make(0, 0, 100001);
    instance->i_imageindex = 2.9f;
    instance->SetSpriteIndex(0);
    EXPECT_EQ(instance->i_imageindex, 2.9f);
    EXPECT_EQ(instance->GetImageNumber(), 3);
    instance->i_imageindex = 3.0f;
    instance->SetSpriteIndex(0);
    EXPECT_EQ(instance->i_imageindex, 0.0f);
    instance->i_imageindex = 1.0f;
    instance->SetSpriteIndex(8); // no such sprite: 0 frames
    EXPECT_EQ(instance->i_imageindex, 0.0f);
    EXPECT_EQ(instance->GetImageNumber(), 0);
}

// ---- paths ---------------------------------------------------------------------------------------

class InstancePath : public InstanceTest {
protected:
    void SetUp() override
    {
        InstanceTest::SetUp();
        paths.paths[0] = {{0.0f, 100.0f}, {0.0f, 0.0f}};          // 100 pixels to the right
        paths.paths[1] = {{5.0f}, {5.0f}};                         // a single point: length 0
        paths.paths[2] = {{0.0f, 100.0f}, {0.0f, 0.0f}, 50.0f};   // the same at half speed
    }
    // An instance at (10, 20) started on a path at speed 4, keeping its position.
    CInstance* Walker(int32_t path, int32_t endAction, float orientation = 0.0f, float scale = 1.0f)
    {
        CInstance* instance = Make(10, 20, 100001);
        instance->PathStart(path, 4.0f, scale, orientation, true, endAction);
        return instance;
    }
    TestPaths paths;
};

TEST_F(InstancePath, StartChecksThePathAndTheScale)
{
    CInstance* instance = Make(10, 20, 100001);
    instance->PathStart(-3, 4.0f, 1.0f, 0.0f, true, 0);
    EXPECT_EQ(instance->i_pathindex, -3);
    instance->PathStart(7, 4.0f, 1.0f, 0.0f, true, 0);
    EXPECT_EQ(instance->i_pathindex, -1);
    instance->PathStart(1, 4.0f, 1.0f, 0.0f, true, 0);
    EXPECT_EQ(instance->i_pathindex, -1);
    instance->PathStart(0, 4.0f, -1.0f, 0.0f, true, 0);
    EXPECT_EQ(instance->i_pathindex, -1);
    EXPECT_EQ(instance->i_pathspeed, 4.0f);

    // Backwards from the end, moved onto the path's end point.
    instance->PathStart(0, -2.0f, 1.0f, 0.0f, false, 3);
    EXPECT_EQ(instance->i_pathindex, 0);
    EXPECT_EQ(instance->i_pathposition, 1.0f);
    EXPECT_EQ(instance->i_pathpositionprevious, 1.0f);
    EXPECT_EQ(instance->i_x, 100.0f);
    EXPECT_EQ(instance->i_y, 0.0f);
    EXPECT_EQ(instance->i_pathxstart, 100.0f);
    EXPECT_EQ(instance->i_pathend, 3);
}

TEST_F(InstancePath, StepMovesAlongTheTurnedAndScaledPath)
{
    CInstance* instance = Walker(0, 0);
    EXPECT_FALSE(instance->PathStep());
    EXPECT_FLOAT_EQ(instance->i_pathposition, 0.04f);
    EXPECT_FLOAT_EQ(instance->i_x, 14.0f);
    EXPECT_EQ(instance->i_y, 20.0f);
    // The direction shows the travel while every speed is 0.
    EXPECT_EQ(instance->i_direction, 0.0f);
    EXPECT_EQ(instance->i_speed, 0.0f);
    EXPECT_EQ(instance->i_hspeed, 0.0f);
    EXPECT_EQ(instance->i_vspeed, 0.0f);

    CInstance* up = Walker(0, 0, 90.0f);
    up->PathStep();
    EXPECT_NEAR(up->i_x, 10.0f, 1e-5);
    EXPECT_FLOAT_EQ(up->i_y, 16.0f);
    EXPECT_EQ(up->i_direction, 90.0f);

    CInstance* large = Walker(0, 0, 0.0f, 2.0f);
    large->PathStep();
    EXPECT_FLOAT_EQ(large->i_pathposition, 0.02f);
    EXPECT_FLOAT_EQ(large->i_x, 14.0f);

    CInstance* slow = Walker(2, 0);
    slow->PathStep();
    EXPECT_FLOAT_EQ(slow->i_x, 12.0f);
}

TEST_F(InstancePath, EndActionsAtTheEndOfThePath)
{
    CInstance* restart = Walker(0, 1);
    restart->i_pathposition = 0.98f;
    EXPECT_TRUE(restart->PathStep());
    EXPECT_NEAR(restart->i_pathposition, 0.02f, 1e-6);
    EXPECT_EQ(restart->i_pathindex, 0);

    CInstance* reverse = Walker(0, 3);
    reverse->i_pathposition = 0.98f;
    EXPECT_TRUE(reverse->PathStep());
    EXPECT_NEAR(reverse->i_pathposition, 0.98f, 1e-6);
    EXPECT_EQ(reverse->i_pathspeed, -4.0f);
    reverse->i_pathposition = 0.02f;
    EXPECT_TRUE(reverse->PathStep()); // -0.02 turns round again
    EXPECT_NEAR(reverse->i_pathposition, 0.02f, 1e-6);
    EXPECT_EQ(reverse->i_pathspeed, 4.0f);

    CInstance* stop = Walker(0, 0);
    stop->i_pathposition = 0.98f;
    EXPECT_TRUE(stop->PathStep());
    EXPECT_EQ(stop->i_pathposition, 1.0f);
    EXPECT_EQ(stop->i_pathindex, -1);
    EXPECT_FLOAT_EQ(stop->i_x, 110.0f);
    EXPECT_FALSE(stop->PathStep()); // no path any more

    CInstance* other = Walker(0, 9);
    other->i_pathposition = 0.99f;
    EXPECT_TRUE(other->PathStep());
    EXPECT_EQ(other->i_pathposition, 1.0f);
    EXPECT_EQ(other->i_pathindex, -1);
}

TEST_F(InstancePath, ContinueMovesTheStartByTheWholePath)
{
    CInstance* straight = Walker(0, 2);
    straight->i_pathposition = 0.98f;
    EXPECT_TRUE(straight->PathStep());
    EXPECT_FLOAT_EQ(straight->i_pathxstart, 110.0f);
    EXPECT_EQ(straight->i_pathystart, 20.0f);
    EXPECT_NEAR(straight->i_x, 112.0f, 1e-4);

    CInstance* turned = Walker(0, 2, 90.0f);
    turned->i_pathposition = 0.98f;
    turned->PathStep();
    EXPECT_NEAR(turned->i_pathxstart, 10.0f, 1e-4);
    EXPECT_FLOAT_EQ(turned->i_pathystart, -80.0f);

    // Backwards past the start: the start moves back.
    CInstance* back = Walker(0, 2);
    back->i_pathspeed = -4.0f;
    back->i_pathposition = 0.02f;
    back->PathStep();
    EXPECT_FLOAT_EQ(back->i_pathxstart, -90.0f);
    EXPECT_NEAR(back->i_pathposition, 0.98f, 1e-6);
}

TEST_F(InstancePath, StandingStillOnAnEndReportsNothing)
{
    CInstance* instance = Make(10, 20, 100001);
    instance->PathStart(0, 0.0f, 1.0f, 0.0f, true, 0);
    EXPECT_FALSE(instance->PathStep());
    EXPECT_EQ(instance->i_pathindex, 0);
    EXPECT_EQ(instance->i_pathposition, 0.0f);
}

} // namespace
