// The pixel tests (which mask, which mapping, what counts as inside the frame), and the box, radius,
// masks and frames of sprites that keep their pictures.
#include <gtest/gtest.h>

#include <limits>

#include "SpriteTestSupport.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_TexturePage.h"
#include "platform/Platform_Bitmap.h"

using spritetest::MakeMaskSprite;
using spritetest::MakePictureSprite;

namespace {

const std::vector<std::string> CORNER = {"....", "....", "..##", "..##"}; // solid lower right quarter
const InstanceBox BOX{0, 0, 3, 3};

int32_t MaskAt(const CSprite& s, int32_t mask, int32_t x, int32_t y) { return s.GetMask(mask)[y * s.GetWidth() + x]; }

std::vector<std::string> Square(int32_t side, char c) { return {size_t(side), std::string(size_t(side), c)}; }

TEST(SpriteCollide, SpriteAgainstSpriteNeedsSolidPixelsOfBoth)
{
    CSprite corner, dot, plain, wide, one;
    MakeMaskSprite(corner, 1, {CORNER});
    MakeMaskSprite(dot, 1, {{"#...", "....", "....", "...."}});
    plain.SetFileFrames({0});
    plain.SetFileFields(4, 4, SpriteBox{0, 0, 3, 3}, true, false, true, 0, true, 0, 0); // no masks: solid
    const float NaN = std::numeric_limits<float>::quiet_NaN();
    struct { CSprite* other; int32_t x2, y2; float xscale2, angle2; bool hit; } cases[] = {
        {&dot, 2, 2, 1, 0, true}, {&dot, 1, 1, 1, 0, false}, {&dot, 3, 0, 1, 0, false}, // dot on an empty pixel
        {&plain, 3, 3, 1, 0, true}, {&plain, -2, -2, 1, 0, false}, {&plain, 2, 2, 1, 0.00005f, true},
        {&dot, 2, 2, 0, 0, false}, {&dot, 2, 2, NaN, 0, false}, // such scales map every pixel outside
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.hit, corner.CollideSprite(0, BOX, 0, 0, 1, 1, 0, c.other, 0, InstanceBox{c.x2, c.y2, c.x2 + 3, c.y2 + 3},
                                              c.x2, c.y2, c.xscale2, 1, c.angle2))
            << c.x2 << "," << c.y2 << " scale " << c.xscale2;
    // Scaled by 2 about its left edge, the room pixel left of the position maps to u = -0.5: the pair
    // test truncates it to column 0 (solid), the point test floors it to -1 (outside).
    MakeMaskSprite(wide, 1, {{"#..."}});
    MakeMaskSprite(one, 1, {{"#"}});
    EXPECT_TRUE(wide.CollideSprite(0, {-1, 0, 7, 0}, 0, 0, 2, 1, 0, &one, 0, {-1, 0, -1, 0}, -1, 0, 1, 1, 0));
    EXPECT_FALSE(wide.CollidePoint(0, {-1, 0, 7, 0}, 0, 0, 2, 1, 0, -1, 0));
}

TEST(SpriteCollide, PointsMapThroughOriginScaleAndTurnOntoTheFramesMask)
{
    CSprite s, three, single;
    MakeMaskSprite(s, 1, {CORNER}, 2, 2);
    MakeMaskSprite(three, 3, {{"#."}, {".#"}, {"##"}});
    MakeMaskSprite(single, 5, {{"#."}});
    struct { CSprite* sprite; int32_t frame, px, py; float xscale, yscale, angle; bool hit; } cases[] = {
        // s placed at (10, 10) with its origin (2, 2).
        {&s, 0, 10, 10, 1, 1, 0, true}, {&s, 0, 9, 9, 1, 1, 0, false},
        {&s, 0, 12, 10, 1, 1, 0, false}, {&s, 0, 7, 10, 1, 1, 0, false},     // column 4; -1 after flooring
        {&s, 0, 13, 13, 2, 2, 0, true}, {&s, 0, 10, 10, 0, 1, 0, false},     // (3.5, 3.5) floors to (3, 3)
        {&s, 0, 11, 10, 1, 1, 180, false}, {&s, 0, 9, 10, 1, 1, 180, true}, // turned half round
        {&s, 0, 9, 10, 1, 1, 0.00005f, false},                             // below 0.0001 degrees: no turn
        // At (0, 0): a frame's mask wraps by the mask count.
        {&three, 0, 1, 0, 1, 1, 0, false}, {&three, 1, 1, 0, 1, 1, 0, true}, {&three, -1, 0, 0, 1, 1, 0, true},
        {&three, 4, 0, 0, 1, 1, 0, false}, {&single, 4, 0, 0, 1, 1, 0, true}, {&single, 3, 1, 0, 1, 1, 0, false},
        {&single, -7, 0, 0, 1, 1, 0, true},
    };
    for (const auto& c : cases) {
        bool placed = c.sprite == &s;
        InstanceBox box = placed ? InstanceBox{0, 0, 20, 20} : InstanceBox{0, 0, 1, 0};
        EXPECT_EQ(c.hit, c.sprite->CollidePoint(c.frame, box, placed ? 10 : 0, placed ? 10 : 0, c.xscale, c.yscale,
                                                c.angle, c.px, c.py))
            << &c - cases;
    }
}

TEST(SpriteCollide, ShapesAgainstTheMask)
{
    CSprite s, empty, bare;
    MakeMaskSprite(s, 1, {CORNER});
    empty.SetMasks({{1}});
    EXPECT_TRUE(s.CollideRectangle(0, BOX, 0, 0, 1, 1, 0, {3, 3, 9, 9}));
    EXPECT_FALSE(s.CollideRectangle(0, BOX, 0, 0, 1, 1, 0, {0, 0, 1, 3}));
    EXPECT_FALSE(s.CollideRectangle(0, BOX, 0, 0, 1, 1, 0, {5, 5, 9, 9}));
    // (0,0)-(4,4): centre (2, 2), half-axes 2, reaches the quarter; (0,0)-(3,3): whole-number halves 1.
    EXPECT_TRUE(s.CollideEllipse(0, BOX, 0, 0, 1, 1, 0, {0, 0, 4, 4}));
    EXPECT_FALSE(s.CollideEllipse(0, BOX, 0, 0, 1, 1, 0, {0, 0, 3, 3}));
    // Lines: a horizontal one is a rectangle; a steep one walks rows, a shallow one columns.
    EXPECT_TRUE(s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 0, 3, 9, 3));
    EXPECT_FALSE(s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 0, 1, 9, 1));
    EXPECT_TRUE(s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 2, 0, 3, 100));
    EXPECT_FALSE(s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 0, 0, 1, 100));
    EXPECT_TRUE(s.CollideLine(0, BOX, 0, 0, 1, 1, 0, 0, 2, 9, 3));
    // No masks: every shape hits; masks but no frames: none does.
    EXPECT_TRUE(bare.CollidePoint(0, BOX, 0, 0, 1, 1, 0, 50, 50));
    EXPECT_FALSE(empty.CollidePoint(0, BOX, 0, 0, 1, 1, 0, 0, 0));
    EXPECT_FALSE(empty.CollideRectangle(0, BOX, 0, 0, 1, 1, 0, BOX));
    EXPECT_FALSE(bare.CollideSprite(0, BOX, 0, 0, 1, 1, 0, &s, 0, BOX, 0, 0, 1, 1, 0));
}

TEST(SpriteMasks, ShapesFillTheBoxPreciseOnesFollowAlphaAndFileSpritesGetNone)
{
    CSprite s, alpha, file;
    MakePictureSprite(s, Square(32, '.'));
    s.SetCollisionMask(true, 1, SpriteBox{5, 5, 6, 6}, 1, 0); // automatic: the whole frame
    EXPECT_EQ(31, s.GetBBoxBottom());
    EXPECT_EQ(1, MaskAt(s, 0, 31, 31));
    // A manual box 0,0,9,9: centre (4, 4), half-axes 4.5; kind 7 is no shape.
    struct { int32_t kind, x, y, solid; } shapes[] = {
        {2, 0, 4, 1}, {2, 9, 4, 0}, {2, 0, 0, 0}, {2, 4, 8, 1}, {2, 10, 4, 0},
        {3, 0, 4, 1}, {3, 1, 1, 0}, {3, 4, 0, 1}, {7, 4, 4, 0},
    };
    for (const auto& c : shapes) {
        s.SetCollisionMask(true, 2, SpriteBox{0, 0, 9, 9}, c.kind, 0);
        EXPECT_EQ(9, s.GetBBoxRight());
        EXPECT_EQ(c.solid, MaskAt(s, 0, c.x, c.y)) << "kind " << c.kind << " at " << c.x << "," << c.y;
    }
    s.SetCollisionMask(true, 2, SpriteBox{-5, -5, 40, 40}, 1, 0); // clipped to the frame
    EXPECT_EQ(1, MaskAt(s, 0, 31, 0));

    MakePictureSprite(alpha, {"#+..", "#+..", "..+.", "...."}, 2);
    struct { bool separate; int32_t tolerance, frame, x, y, solid; } precise[] = {
        {true, 255, 0, 1, 0, 1}, {true, 16777215, 0, 1, 1, 1}, // alpha 1 is above any tolerance below 2^24
        {true, -1, 0, 0, 0, 0},                                 // as unsigned, nothing exceeds it
        {true, 0, 1, 0, 0, 0}, {true, 0, 1, 0, 2, 1},           // frame 1 alone: its own pixels only
        {false, 0, 1, 0, 0, 1},                                 // merged: frame 1 also holds mask 0
    };
    for (const auto& c : precise) {
        alpha.SetCollisionMask(c.separate, 0, SpriteBox{}, 0, c.tolerance);
        ASSERT_EQ(2, alpha.GetMaskCount());
        EXPECT_EQ(c.solid, MaskAt(alpha, c.frame, c.x, c.y)) << "tolerance " << c.tolerance << " frame " << c.frame;
    }

    MakeMaskSprite(file, 2, {{"#."}});
    file.SetCollisionMask(true, 1, SpriteBox{}, 1, 0);
    EXPECT_EQ(0, file.GetMaskCount());
    EXPECT_TRUE(file.CollidePoint(0, {0, 0, 1, 0}, 0, 0, 1, 1, 0, 1, 0)); // boxes decide
}

TEST(SpriteMasks, BoxRadiusAndAlphaMasksOfPictures)
{
    CSprite s;
    MakePictureSprite(s, {"......", "..#...", "...#..", "......"}, 1, 1, 1);
    EXPECT_EQ((std::vector<int32_t>{2, 1, 3, 2}),
              (std::vector<int32_t>{s.GetBBoxLeft(), s.GetBBoxTop(), s.GetBBoxRight(), s.GetBBoxBottom()}));
    EXPECT_EQ(6, s.GetRadius()); // from (1, 1) to (6, 4): sqrt(34) rounded up
    EXPECT_EQ(1, MaskAt(s, 0, 3, 2));
    EXPECT_EQ(0, MaskAt(s, 0, 2, 2));
    // A manual box is kept only when the mode is manual.
    s.SetBoundingBox(SpriteBox{0, 0, 1, 1});
    EXPECT_EQ(2, s.GetBBoxLeft());
    s.SetBoundingBoxMode(-1);
    EXPECT_EQ(0, s.GetBBoxMode());
    s.SetBoundingBoxMode(1);
    EXPECT_EQ(5, s.GetBBoxRight());
    s.SetBoundingBoxMode(2);
    s.SetBoundingBox(SpriteBox{0, 0, 1, 1});
    EXPECT_EQ(1, s.GetBBoxRight());
    s.SetPrecise(false);
    EXPECT_EQ(0, s.GetMaskCount());
    s.SetPrecise(true); // the masks come back from the alpha
    EXPECT_EQ(1, s.GetMaskCount());
}

TEST(SpriteFrames, StripsHandlesAddedFramesAndCopies)
{
    CSprite strip, none, s, copy;
    MakePictureSprite(strip, Square(100, '#'), 3);
    EXPECT_EQ(33, strip.GetWidth());
    MakePictureSprite(none, Square(10, '#'), 0);
    EXPECT_EQ(1, none.GetFrameCount());
    // Own entries: one handle per frame, frames taken modulo the count.
    int32_t first = strip.GetTexture(1);
    EXPECT_GE(first, TPAGE_OWN_HANDLE_BASE);
    EXPECT_EQ(first, strip.GetTexture(7));
    EXPECT_EQ(strip.GetTexture(2), strip.GetTexture(-1));
    EXPECT_NE(strip.GetTexture(0), strip.GetTexture(2));
    EXPECT_EQ(strip.GetEntry(1), TPage_FromHandle(first));
    strip.Clear();
    EXPECT_EQ(nullptr, TPage_FromHandle(first)); // a freed entry's handle names nothing
    EXPECT_EQ(-1, strip.GetTexture(0));

    MakePictureSprite(s, Square(4, '.'));
    std::vector<uint32_t> big = spritetest::Picture(Square(8, '#'));
    BitmapLoader* loader = BitmapLoader_Create(big.data(), 8, 8);
    IBitmap* image = loader->GetFrame(0);
    s.AddFrameFromBitmap(image, false, false, true);
    ASSERT_EQ(2, s.GetFrameCount());
    EXPECT_EQ(4, s.GetBitmap(1)->GetWidth()); // the frame size, not the picture's
    EXPECT_EQ(0, s.GetBBoxLeft());           // the new frame is opaque everywhere
    s.Merge(&s);
    EXPECT_EQ(4, s.GetFrameCount());
    copy.Assign(&s);
    EXPECT_EQ(4, copy.GetMaskCount());
    EXPECT_NE(s.GetBitmap(0), copy.GetBitmap(0)); // copied, not shared
    delete image;
    delete loader;
}

} // namespace
