// Box, radius and masks of sprites that keep their pictures, and the frames they are made of.
#include <gtest/gtest.h>

#include "SpriteTestSupport.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_TexturePage.h"
#include "platform/Platform_Bitmap.h"

using spritetest::MakeMaskSprite;
using spritetest::MakePictureSprite;

namespace {

std::vector<std::string> Square(int32_t side, char c)
{
    return std::vector<std::string>(size_t(side), std::string(size_t(side), c));
}

int32_t MaskAt(const CSprite& s, int32_t mask, int32_t x, int32_t y)
{
    return s.GetMask(mask)[y * s.GetWidth() + x];
}

TEST(SpriteMasks, ShapesFillTheBox)
{
    CSprite s;
    MakePictureSprite(s, Square(32, '.'));
    s.SetCollisionMask(true, 1, SpriteBox{5, 5, 6, 6}, 1, 0);
    EXPECT_EQ(0, s.GetBBoxLeft());
    EXPECT_EQ(31, s.GetBBoxBottom());
    EXPECT_EQ(1, MaskAt(s, 0, 0, 0));
    EXPECT_EQ(1, MaskAt(s, 0, 31, 31));
    // A manual box 0,0,9,9: centre (4, 4), half-axes 4.5.
    struct Case {
        int32_t kind, x, y, solid;
    } cases[] = {
        {2, 0, 4, 1}, {2, 9, 4, 0}, {2, 0, 0, 0}, {2, 4, 8, 1}, {2, 10, 4, 0},
        {3, 0, 4, 1}, {3, 1, 1, 0}, {3, 4, 0, 1}, {7, 4, 4, 0},
    };
    for (const Case& c : cases) {
        s.SetCollisionMask(true, 2, SpriteBox{0, 0, 9, 9}, c.kind, 0);
        EXPECT_EQ(9, s.GetBBoxRight());
        EXPECT_EQ(c.solid, MaskAt(s, 0, c.x, c.y)) << "kind " << c.kind << " at " << c.x << "," << c.y;
    }
    // A manual box past the frame is clipped to it.
    s.SetCollisionMask(true, 2, SpriteBox{-5, -5, 40, 40}, 1, 0);
    EXPECT_EQ(1, MaskAt(s, 0, 31, 0));
}

TEST(SpriteMasks, PreciseMaskFollowsAlphaAndTolerance)
{
    CSprite s;
    MakePictureSprite(s, {"#+..", "#+..", "..+.", "...."}, 2);
    ASSERT_EQ(2, s.GetFrameCount());
    ASSERT_EQ(2, s.GetWidth());
    struct Case {
        bool separate;
        int32_t tolerance;
        int32_t frame, x, y, solid;
    } cases[] = {
        {true, 255, 0, 1, 0, 1},       // alpha 1 is above any tolerance below 2^24
        {true, 16777215, 0, 1, 1, 1},
        {true, -1, 0, 0, 0, 0},        // as unsigned, nothing exceeds it
        {true, 0, 1, 0, 0, 0},         // frame 1 alone: its own pixels only
        {true, 0, 1, 0, 2, 1},
        {false, 0, 1, 0, 0, 1},        // merged: frame 1 also holds mask 0
    };
    for (const Case& c : cases) {
        s.SetCollisionMask(c.separate, 0, SpriteBox{}, 0, c.tolerance);
        ASSERT_EQ(2, s.GetMaskCount());
        EXPECT_EQ(c.solid, MaskAt(s, c.frame, c.x, c.y)) << "tolerance " << c.tolerance << " frame " << c.frame;
    }
}

TEST(SpriteMasks, BoxRadiusAndAlphaMasksOfPictures)
{
    CSprite s;
    MakePictureSprite(s, {"......", "..#...", "...#..", "......"}, 1, 1, 1);
    EXPECT_EQ((SpriteBox{2, 1, 3, 2}.left), s.GetBBoxLeft());
    EXPECT_EQ(1, s.GetBBoxTop());
    EXPECT_EQ(3, s.GetBBoxRight());
    EXPECT_EQ(2, s.GetBBoxBottom());
    EXPECT_EQ(6, s.GetRadius()); // from (1, 1) to (6, 4): sqrt(34) rounded up
    ASSERT_EQ(1, s.GetMaskCount());
    EXPECT_EQ(1, MaskAt(s, 0, 3, 2));
    EXPECT_EQ(0, MaskAt(s, 0, 2, 2));
    // A manual box is kept by the mode change only when the mode is manual.
    s.SetBoundingBox(SpriteBox{0, 0, 1, 1});
    EXPECT_EQ(2, s.GetBBoxLeft());
    s.SetBoundingBoxMode(-1);
    EXPECT_EQ(0, s.GetBBoxMode());
    s.SetBoundingBoxMode(1);
    EXPECT_EQ(5, s.GetBBoxRight());
    s.SetBoundingBoxMode(2);
    s.SetBoundingBox(SpriteBox{0, 0, 1, 1});
    EXPECT_EQ(1, s.GetBBoxRight());
    // Off and on again: the masks go and come back from the alpha.
    s.SetPrecise(false);
    EXPECT_EQ(0, s.GetMaskCount());
    s.SetPrecise(true);
    EXPECT_EQ(1, s.GetMaskCount());
}

TEST(SpriteMasks, FileSpritesGetNoShapeMasks)
{
    CSprite s;
    MakeMaskSprite(s, 2, {{"#."}});
    s.SetCollisionMask(true, 1, SpriteBox{}, 1, 0);
    EXPECT_EQ(0, s.GetMaskCount());
    EXPECT_TRUE(s.CollidePoint(0, InstanceBox{0, 0, 1, 0}, 0, 0, 1, 1, 0, 1, 0)); // boxes decide
}

TEST(SpriteFrames, StripsFramesTexturesAndHandles)
{
    CSprite strip;
    MakePictureSprite(strip, Square(100, '#'), 3);
    EXPECT_EQ(33, strip.GetWidth());
    EXPECT_EQ(3, strip.GetFrameCount());
    CSprite none;
    MakePictureSprite(none, Square(10, '#'), 0);
    EXPECT_EQ(1, none.GetFrameCount());
    EXPECT_EQ(10, none.GetWidth());
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
}

TEST(SpriteFrames, AddedFramesTakeTheFrameSize)
{
    CSprite s;
    MakePictureSprite(s, Square(4, '.'));
    std::vector<uint32_t> big = spritetest::Picture(Square(8, '#'));
    BitmapLoader* loader = BitmapLoader_Create(big.data(), 8, 8);
    IBitmap* image = loader->GetFrame(0);
    s.AddFrameFromBitmap(image, false, false, true);
    EXPECT_EQ(2, s.GetFrameCount());
    ASSERT_NE(nullptr, s.GetBitmap(1));
    EXPECT_EQ(4, s.GetBitmap(1)->GetWidth());
    EXPECT_EQ(0, s.GetBBoxLeft()); // the new frame is opaque everywhere
    EXPECT_EQ(3, s.GetBBoxRight());
    // Merging a sprite into itself doubles its frames; assigning copies without sharing.
    s.Merge(&s);
    EXPECT_EQ(4, s.GetFrameCount());
    CSprite copy;
    copy.Assign(&s);
    EXPECT_EQ(4, copy.GetFrameCount());
    EXPECT_NE(s.GetBitmap(0), copy.GetBitmap(0));
    EXPECT_EQ(4, copy.GetMaskCount());
    delete image;
    delete loader;
}

} // namespace
