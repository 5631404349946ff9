// The pixel tests: which mask, which mapping, and what counts as inside the frame.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "SpriteTestSupport.h"

using spritetest::Box;
using spritetest::MakeMaskSprite;

namespace {

// 4 x 4, solid only in its lower right quarter.
const std::vector<std::string> CORNER = {"....", "....", "..##", "..##"};
const std::vector<std::string> SOLID = {"####", "####", "####", "####"};
const std::vector<std::string> DOT = {"#...", "....", "....", "...."};

TEST(SpriteCollide, SpriteAgainstSpriteNeedsSolidPixelsOfBoth)
{
    CSprite corner, dot, plain;
    MakeMaskSprite(corner, 1, {CORNER});
    MakeMaskSprite(dot, 1, {DOT});
    plain.Clear();
    plain.SetFileFrames({0});
    plain.SetFileFields(4, 4, SpriteBox{0, 0, 3, 3}, true, false, true, 0, true, 0, 0); // no masks: solid
    struct Case {
        CSprite* other;
        int32_t x2, y2;
        float xscale2;
        float angle2;
        bool hit;
    } cases[] = {
        {&dot, 2, 2, 1.0f, 0.0f, true},    // the dot lands on the solid quarter
        {&dot, 1, 1, 1.0f, 0.0f, false},   // boxes overlap, the dot on an empty pixel
        {&dot, 3, 0, 1.0f, 0.0f, false},
        {&plain, 3, 3, 1.0f, 0.0f, true},  // a sprite without masks is solid over its frame
        {&plain, -2, -2, 1.0f, 0.0f, false},
        {&dot, 2, 2, 0.0f, 0.0f, false},   // a scale of 0 maps every pixel outside the frame
        {&dot, 2, 2, std::numeric_limits<float>::quiet_NaN(), 0.0f, false},
        {&plain, 2, 2, 1.0f, 0.00005f, true},
    };
    for (const Case& c : cases) {
        InstanceBox box2 = Box(c.x2, c.y2, c.x2 + 3, c.y2 + 3);
        EXPECT_EQ(c.hit, corner.CollideSprite(0, Box(0, 0, 3, 3), 0, 0, 1, 1, 0, c.other, 0, box2, c.x2, c.y2,
                                              c.xscale2, 1, c.angle2))
            << "other at " << c.x2 << "," << c.y2 << " scale " << c.xscale2;
    }
}

TEST(SpriteCollide, PairMappingTruncatesTowardZero)
{
    // Scaled by 2 about an origin at its left edge, the room pixel left of the position maps to
    // u = -0.5, which truncates to column 0: solid. The point test floors it to -1: outside.
    CSprite wide, one;
    MakeMaskSprite(wide, 1, {{"#..."}});
    MakeMaskSprite(one, 1, {{"#"}});
    EXPECT_TRUE(wide.CollideSprite(0, Box(-1, 0, 7, 0), 0, 0, 2, 1, 0, &one, 0, Box(-1, 0, -1, 0), -1, 0, 1, 1, 0));
    EXPECT_FALSE(wide.CollidePoint(0, Box(-1, 0, 7, 0), 0, 0, 2, 1, 0, -1, 0));
}

TEST(SpriteCollide, MaskOfAFrameWrapsByTheMaskCount)
{
    CSprite three, single;
    MakeMaskSprite(three, 3, {{"#."}, {".#"}, {"##"}});
    MakeMaskSprite(single, 5, {{"#."}});
    struct Case {
        CSprite* sprite;
        int32_t frame;
        int32_t px;
        bool hit;
    } cases[] = {
        {&three, 0, 1, false}, {&three, 1, 1, true}, {&three, -1, 0, true}, {&three, 4, 0, false},
        {&single, 4, 0, true}, {&single, 3, 1, false}, {&single, -7, 0, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.hit, c.sprite->CollidePoint(c.frame, Box(0, 0, 1, 0), 0, 0, 1, 1, 0, c.px, 0))
            << "frame " << c.frame << " pixel " << c.px;
}

TEST(SpriteCollide, PointIsMappedThroughOriginScaleAndTurn)
{
    CSprite s;
    MakeMaskSprite(s, 1, {CORNER}, 2, 2);
    struct Case {
        int32_t px, py;
        float xscale, yscale, angle;
        bool hit;
    } cases[] = {
        {10, 10, 1, 1, 0, true},          // the origin's own pixel (2, 2)
        {9, 9, 1, 1, 0, false},           // (1, 1): empty
        {12, 10, 1, 1, 0, false},         // column 4: past the frame
        {7, 10, 1, 1, 0, false},          // column -1 after flooring
        {13, 13, 2, 2, 0, true},          // (3.5, 3.5) floors to (3, 3)
        {10, 10, 0, 1, 0, false},         // scale 0: outside
        {11, 10, 1, 1, 180, false},       // turned half round, (3, 2) comes from the empty left
        {9, 10, 1, 1, 180, true},
        {9, 10, 1, 1, 0.00005f, false},   // below 0.0001 degrees: no turn
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.hit, s.CollidePoint(0, Box(0, 0, 20, 20), 10, 10, c.xscale, c.yscale, c.angle, c.px, c.py))
            << c.px << "," << c.py << " angle " << c.angle;
}

TEST(SpriteCollide, ShapesAgainstTheMask)
{
    CSprite s, empty, bare;
    MakeMaskSprite(s, 1, {CORNER});
    empty.Clear();
    empty.SetMasks({{1}});
    bare.Clear();
    InstanceBox box = Box(0, 0, 3, 3);
    // Rectangles.
    EXPECT_TRUE(s.CollideRectangle(0, box, 0, 0, 1, 1, 0, Box(3, 3, 9, 9)));
    EXPECT_FALSE(s.CollideRectangle(0, box, 0, 0, 1, 1, 0, Box(0, 0, 1, 3)));
    EXPECT_FALSE(s.CollideRectangle(0, box, 0, 0, 1, 1, 0, Box(5, 5, 9, 9)));
    // Ellipses: (0,0)-(4,4) has centre (2, 2) and half-axes 2 and reaches the solid quarter;
    // (0,0)-(3,3) has centre (1, 1) and half-axes 1 (whole-number halves) and does not.
    EXPECT_TRUE(s.CollideEllipse(0, box, 0, 0, 1, 1, 0, Box(0, 0, 4, 4)));
    EXPECT_FALSE(s.CollideEllipse(0, box, 0, 0, 1, 1, 0, Box(0, 0, 3, 3)));
    // Lines: a horizontal one is a rectangle; a steep one walks rows.
    EXPECT_TRUE(s.CollideLine(0, box, 0, 0, 1, 1, 0, 0, 3, 9, 3));
    EXPECT_FALSE(s.CollideLine(0, box, 0, 0, 1, 1, 0, 0, 1, 9, 1));
    EXPECT_TRUE(s.CollideLine(0, box, 0, 0, 1, 1, 0, 2, 0, 3, 100));
    EXPECT_FALSE(s.CollideLine(0, box, 0, 0, 1, 1, 0, 0, 0, 1, 100));
    EXPECT_TRUE(s.CollideLine(0, box, 0, 0, 1, 1, 0, 0, 2, 9, 3)); // shallow: walks columns
    // No masks: every shape hits; masks but no frames: none does.
    EXPECT_TRUE(bare.CollidePoint(0, box, 0, 0, 1, 1, 0, 50, 50));
    EXPECT_FALSE(empty.CollidePoint(0, box, 0, 0, 1, 1, 0, 0, 0));
    EXPECT_FALSE(empty.CollideRectangle(0, box, 0, 0, 1, 1, 0, box));
    EXPECT_FALSE(bare.CollideSprite(0, box, 0, 0, 1, 1, 0, &s, 0, box, 0, 0, 1, 1, 0));
}

} // namespace
