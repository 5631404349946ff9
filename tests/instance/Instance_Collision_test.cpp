#include <gtest/gtest.h>

#include "Instance_TestSupport.h"

namespace {

// Sprite 0: a plain 10 x 10 box. Sprite 1: the same, precise, with only its middle 4 x 4 solid.
class InstanceCollision : public InstanceTest {
protected:
    void SetUp() override
    {
        InstanceTest::SetUp();
        sprites.Add(0, {0, 0, 9, 9}, 0, 0);
        TestSprite& holed = sprites.Add(1, {0, 0, 9, 9}, 0, 0, 1, /*precise*/ 1);
        holed.width = 10;
        holed.mask.assign(100, 0);
        for (int32_t y = 3; y <= 6; ++y)
            for (int32_t x = 3; x <= 6; ++x) holed.mask[static_cast<size_t>(y * 10 + x)] = 1;
    }
    // An instance showing `sprite` with its box at 10..19 x 10..19.
    CInstance* At10(int32_t sprite, int32_t id = 100001)
    {
        CInstance* instance = Make(10, 10, id);
        instance->SetSpriteIndex(sprite);
        return instance;
    }
    TestSprites sprites;
};

TEST_F(InstanceCollision, PointCoversTheBoxUpToButNotIncludingItsFarEdges)
{
    CInstance* instance = At10(0);
    EXPECT_TRUE(instance->CollisionPoint(19.9f, 19.9f, 0));
    EXPECT_TRUE(instance->CollisionPoint(10.0f, 10.0f, 1));
    EXPECT_FALSE(instance->CollisionPoint(20.0f, 10.0f, 0));
    EXPECT_FALSE(instance->CollisionPoint(9.9f, 10.0f, 0));
    EXPECT_FALSE(instance->CollisionPoint(15.0f, 20.0f, 0));
    EXPECT_TRUE(sprites.asked.empty()); // a sprite without precise checking is never asked
}

TEST_F(InstanceCollision, RectangleEdgesAndCornerOrder)
{
    CInstance* instance = At10(0);
    EXPECT_TRUE(instance->CollisionRectangle(0, 0, 10, 10, 0));
    EXPECT_TRUE(instance->CollisionRectangle(10, 10, 0, 0, 0)); // corners in any order
    EXPECT_FALSE(instance->CollisionRectangle(20, 10, 30, 15, 0));
    EXPECT_FALSE(instance->CollisionRectangle(0, 0, 9.99f, 30, 0));
    EXPECT_TRUE(instance->CollisionRectangle(19.5f, 19.5f, 40, 40, 0));
}

TEST_F(InstanceCollision, MarkedInstancesAndSelfNeverCollide)
{
    CInstance* instance = At10(0);
    CInstance* other = At10(0, 100002);
    EXPECT_FALSE(instance->CollisionInstance(instance, 0));
    EXPECT_TRUE(instance->CollisionInstance(other, 0));
    other->i_marked = 1;
    EXPECT_FALSE(instance->CollisionInstance(other, 0));
    EXPECT_FALSE(other->CollisionInstance(instance, 0));
    EXPECT_FALSE(other->CollisionPoint(15, 15, 0));
    EXPECT_FALSE(other->CollisionRectangle(0, 0, 30, 30, 0));
    EXPECT_FALSE(other->CollisionEllipse(0, 0, 30, 30, 0));
    EXPECT_FALSE(other->CollisionLine(0, 15, 30, 15, 0));
}

TEST_F(InstanceCollision, WithoutAShapeOnlyTheRoughShapesHitThePoint)
{
    CInstance* bare = Make(10.5f, 20.7f, 100001); // box: the single point (10, 20)
    EXPECT_FALSE(bare->CollisionPoint(10.5f, 20.5f, 0));
    EXPECT_TRUE(bare->CollisionRectangle(5, 15, 15, 25, 0));
    EXPECT_TRUE(bare->CollisionRectangle(5, 15, 15, 25, 1)); // i_precise is 0: the box answers
    EXPECT_TRUE(bare->CollisionEllipse(0, 10, 20, 30, 0));
    EXPECT_TRUE(bare->CollisionLine(0, 20.5f, 20, 20.5f, 0));
    EXPECT_FALSE(bare->CollisionRectangle(11, 15, 15, 25, 0));

    CInstance* solid = Make(5, 15, 100002);
    solid->SetSpriteIndex(0); // box 5..14 x 15..24 covers the point
    EXPECT_FALSE(solid->CollisionInstance(bare, 0));
    EXPECT_FALSE(bare->CollisionInstance(solid, 0));

    // A sprite without frames cannot collide either.
    sprites.Add(5, {0, 0, 9, 9}, 0, 0, /*frames*/ 0);
    solid->SetSpriteIndex(5);
    EXPECT_FALSE(solid->CollisionPoint(6, 16, 0));
}

TEST_F(InstanceCollision, PreciseRectangleAsksTheMaskWithRoundedCorners)
{
    CInstance* instance = At10(1);
    instance->i_imageindex = 2.7f;
    // The transparent corner: a hit without precise checking, a miss with it.
    EXPECT_TRUE(instance->CollisionRectangle(10, 10, 11, 11, 0));
    EXPECT_TRUE(instance->CollisionRectangle(10, 10, 11, 11, 2)); // only 1 asks for precision
    EXPECT_TRUE(sprites.asked.empty());
    EXPECT_FALSE(instance->CollisionRectangle(10, 10, 11, 11, 1));
    EXPECT_TRUE(instance->CollisionRectangle(12.5f, 12.4f, 14, 14, 1));

    ASSERT_EQ(sprites.asked.size(), 2u);
    const TestSprites::Question& last = sprites.asked[1];
    EXPECT_EQ(last.kind, 'r');
    EXPECT_EQ(last.at.sprite, 1);
    EXPECT_EQ(last.at.frame, 2);
    EXPECT_EQ(last.at.x, 10);
    EXPECT_EQ(last.at.box.right, 19);
    EXPECT_EQ(last.args.left, 12); // 12.5 rounds to even
    EXPECT_EQ(last.args.top, 12);
    EXPECT_EQ(last.args.right, 14);
}

TEST_F(InstanceCollision, PointAsksTheSpritesFlagAndTheShapesAskTheInstances)
{
    CInstance* instance = At10(1);
    instance->GetBoundingBox(); // i_precise copied as 1
    EXPECT_FALSE(instance->CollisionPoint(10.2f, 10.2f, 1));
    EXPECT_TRUE(instance->CollisionPoint(14.5f, 13.5f, 1)); // both round to the even 14
    EXPECT_EQ(sprites.asked.back().args.left, 14);
    EXPECT_EQ(sprites.asked.back().args.top, 14);

    // The sprite stops wanting precision while the box is not recomputed.
    sprites.sprites[1].shape.precise = 0;
    sprites.asked.clear();
    EXPECT_TRUE(instance->CollisionPoint(10.2f, 10.2f, 1));
    EXPECT_TRUE(sprites.asked.empty());
    EXPECT_FALSE(instance->CollisionRectangle(10, 10, 11, 11, 1));
    EXPECT_EQ(sprites.asked.size(), 1u);
}

TEST_F(InstanceCollision, EllipseOfZeroWidthIsTheRectangleTest)
{
    CInstance* plain = At10(0);
    CInstance* holed = At10(1, 100002);
    for (CInstance* instance : {plain, holed}) {
        for (float y1 : {0.0f, 12.0f, 19.9f, 20.0f}) {
            for (float x : {9.6f, 10.0f, 13.2f, 19.3f, 20.0f}) {
                for (int32_t precise : {0, 1}) {
                    EXPECT_EQ(instance->CollisionEllipse(x, y1, x + 0.1f, y1 + 8, precise),
                              instance->CollisionRectangle(x, y1, x + 0.1f, y1 + 8, precise))
                        << x << " " << y1 << " " << precise;
                    EXPECT_EQ(instance->CollisionEllipse(y1, x, y1 + 8, x, precise),
                              instance->CollisionRectangle(y1, x, y1 + 8, x, precise));
                }
            }
        }
    }
}

TEST_F(InstanceCollision, EllipseTestsTheBoxCornersWhenItsCentreIsBeside)
{
    CInstance* instance = At10(0);
    // Bounding rectangles overlap at the box's top-left corner, the ellipse itself does not.
    EXPECT_TRUE(instance->CollisionRectangle(0, 0, 11, 11, 0));
    EXPECT_FALSE(instance->CollisionEllipse(0, 0, 11, 11, 0));
    EXPECT_TRUE(instance->CollisionEllipse(0, 0, 12, 12, 0));
    // The far corners count too.
    EXPECT_TRUE(instance->CollisionEllipse(17, 17, 30, 30, 0));
    EXPECT_FALSE(instance->CollisionEllipse(19, 19, 30, 30, 0));
    // A centre within the box's columns always overlaps.
    EXPECT_TRUE(instance->CollisionEllipse(12, 0, 16, 10.5f, 0));

    CInstance* holed = At10(1, 100002);
    EXPECT_FALSE(holed->CollisionEllipse(8, 8, 12.4f, 12.4f, 1));
    EXPECT_EQ(sprites.asked.back().kind, 'e');
    EXPECT_EQ(sprites.asked.back().args.right, 12);
    EXPECT_TRUE(holed->CollisionEllipse(8, 8, 16, 16, 1));
}

TEST_F(InstanceCollision, PointInEllipseIncludesTheRimAndHandlesThinEllipses)
{
    EXPECT_TRUE(PointInEllipse({0, 0, 10, 10}, 5, 0));
    EXPECT_TRUE(PointInEllipse({0, 0, 10, 10}, 5, 5));
    EXPECT_FALSE(PointInEllipse({0, 0, 10, 10}, 0, 0));
    EXPECT_FALSE(PointInEllipse({0, 0, 10, 10}, 9, 9));
    // Half-width 0: a vertical line through the centre column.
    EXPECT_TRUE(PointInEllipse({4, 0, 5, 10}, 4, 5));
    EXPECT_FALSE(PointInEllipse({4, 0, 5, 10}, 5, 5));
    // Extreme rectangles do not overflow.
    EXPECT_FALSE(PointInEllipse({INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN}, 0, 0));
    EXPECT_TRUE(PointInEllipse({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 0, 0));
}

TEST_F(InstanceCollision, LineIsClippedToTheBoxColumns)
{
    CInstance* instance = At10(0);
    EXPECT_TRUE(instance->CollisionLine(0, 15, 100, 15, 0));
    EXPECT_TRUE(instance->CollisionLine(100, 15, 0, 15, 0));
    EXPECT_FALSE(instance->CollisionLine(0, 0, 100, 5, 0));
    EXPECT_TRUE(instance->CollisionLine(15, 0, 15, 100, 0));
    EXPECT_TRUE(instance->CollisionLine(0, 25, 25, 0, 0));
    EXPECT_FALSE(instance->CollisionLine(0, 21, 30, 19.9f, 0)); // passes just below the box
    EXPECT_FALSE(instance->CollisionLine(20, 0, 40, 20, 0));

    CInstance* holed = At10(1, 100002);
    EXPECT_TRUE(holed->CollisionLine(100, 15, 0, 15, 1));
    const TestSprites::Question& asked = sprites.asked.back();
    EXPECT_EQ(asked.kind, 'l');
    EXPECT_EQ(asked.args.left, 10);
    EXPECT_EQ(asked.args.top, 15);
    EXPECT_EQ(asked.args.right, 20);
    EXPECT_EQ(asked.args.bottom, 15);
    EXPECT_FALSE(holed->CollisionLine(0, 10.5f, 100, 10.5f, 1));
}

TEST_F(InstanceCollision, InstancesCollideWhenTheirBoxesShareAPixel)
{
    CInstance* first = At10(0);
    CInstance* beside = Make(20, 10, 100002);
    beside->SetSpriteIndex(0);
    EXPECT_FALSE(first->CollisionInstance(beside, 0));
    beside->SetPosition(19, 19);
    EXPECT_TRUE(first->CollisionInstance(beside, 0));
    EXPECT_TRUE(first->CollisionInstance(beside, 1)); // neither sprite wants precision
    EXPECT_TRUE(sprites.asked.empty());

    // One precise sprite is enough to ask the masks.
    beside->SetSpriteIndex(1);
    sprites.spriteAnswer = false;
    EXPECT_FALSE(first->CollisionInstance(beside, 1));
    ASSERT_EQ(sprites.asked.size(), 1u);
    EXPECT_EQ(sprites.asked[0].kind, 's');
    EXPECT_EQ(sprites.asked[0].at.sprite, 0);
    EXPECT_EQ(sprites.asked[0].args.left, 1); // the second sprite
    EXPECT_EQ(sprites.asked[0].args.right, 19);
    EXPECT_TRUE(first->CollisionInstance(beside, 0));
}

} // namespace
