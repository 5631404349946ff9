#include <cmath>

#include "Graphics_DrawCapture.h"
#include "graphics/Graphics_TextureDraw.h"

using capture::Drawn;
using capture::Draws;
using capture::DrawTest;

namespace {

constexpr float TEXEL = 1.0f / 64.0f; // the textures here live on 64 x 64 device textures

class TextureDraw : public DrawTest {
  protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        m_Texture = Texture_CreateEmpty(32, 32, false);
        ASSERT_GE(m_Texture, 0);
    }
    // A frame of 20 x 20 whose non-empty 10 x 8 part lies at (4, 6) in it and at (8, 16) on the page.
    TPageEntry Entry() const { return TPageEntry{8, 16, 10, 8, 4, 6, 10, 8, 20, 20, int16_t(m_Texture)}; }
    const void* DeviceObject() const { return Texture_GetHandle(m_Texture)->texture; }

    int32_t m_Texture = -1;
};

void ExpectCorner(const TexturedVertex& v, float x, float y, float u, float vv)
{
    EXPECT_FLOAT_EQ(x, v.x);
    EXPECT_FLOAT_EQ(y, v.y);
    EXPECT_FLOAT_EQ(u, v.u);
    EXPECT_FLOAT_EQ(vv, v.v);
}

TEST_F(TextureDraw, PageEntryIsDrawnAtItsCropOffsetWithThePageRectangle)
{
    GR_3D_Start(true);
    GR_3D_SetDepth(5.0f);
    GR_Draw_SetAlpha(0.5);
    TPageEntry e = Entry();
    ASSERT_TRUE(GR_TPage_Draw(&e, 100, 50));
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(1u, d.size());
    EXPECT_EQ(D3DPT_TRIANGLELIST, d[0].type);
    EXPECT_EQ(DeviceObject(), d[0].texture);
    ASSERT_EQ(6u, d[0].v.size());
    ExpectCorner(d[0].v[0], 104, 56, 8 * TEXEL, 16 * TEXEL);
    ExpectCorner(d[0].v[1], 114, 56, 18 * TEXEL, 16 * TEXEL);
    ExpectCorner(d[0].v[2], 114, 64, 18 * TEXEL, 24 * TEXEL);
    ExpectCorner(d[0].v[4], 104, 64, 8 * TEXEL, 24 * TEXEL);
    EXPECT_FLOAT_EQ(d[0].v[2].x, d[0].v[3].x);
    EXPECT_FLOAT_EQ(d[0].v[0].y, d[0].v[5].y);
    for (const TexturedVertex& v : d[0].v) {
        EXPECT_EQ(0x7FFFFFFFu, v.colour); // white with the drawing alpha
        EXPECT_EQ(5.0f, v.z);
    }
}

TEST_F(TextureDraw, CropSizeZeroDrawsOnePixelAndIsWrittenBack)
{
    TPageEntry e = Entry();
    e.cropWidth = 0;
    e.cropHeight = 0;
    ASSERT_TRUE(GR_TPage_Draw(&e, 0, 0));
    EXPECT_EQ(1, e.cropWidth);
    EXPECT_EQ(1, e.cropHeight);
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(1u, d.size());
    EXPECT_FLOAT_EQ(1.0f, d[0].v[2].x - d[0].v[0].x);
    EXPECT_FLOAT_EQ(1.0f, d[0].v[2].y - d[0].v[0].y);
}

TEST_F(TextureDraw, TinyTurnsAreIgnoredAndPositiveTurnsGoAnticlockwise)
{
    TPageEntry e = Entry();
    e.xOffset = 0;
    e.yOffset = 0;
    for (double angle : {0.0, 0.0005, -0.0005}) {
        ASSERT_TRUE(GR_TPage_DrawExt(&e, 0, 0, 100, 100, 1, 1, angle, 0xFFFFFF, 1.0));
        std::vector<Drawn> d = Draws();
        EXPECT_EQ(110.0f, d[0].v[1].x) << angle;
        EXPECT_EQ(100.0f, d[0].v[1].y) << angle;
    }
    ASSERT_TRUE(GR_TPage_DrawExt(&e, 0, 0, 100, 100, 1, 1, 0.002, 0xFFFFFF, 1.0));
    EXPECT_NE(100.0f, Draws()[0].v[1].y);
    // A quarter turn: the top edge, which ran right, runs up the screen.
    ASSERT_TRUE(GR_TPage_DrawExt(&e, 0, 0, 100, 100, 2, 1, std::acos(0.0), 0xFFFFFF, 1.0));
    std::vector<Drawn> d = Draws();
    EXPECT_NEAR(100.0, d[0].v[1].x, 1e-4);
    EXPECT_NEAR(80.0, d[0].v[1].y, 1e-4);
    EXPECT_NEAR(108.0, d[0].v[2].x, 1e-4); // the bottom edge lies to the right
}

TEST_F(TextureDraw, ScaledEntryKeepsItsOriginInPlace)
{
    TPageEntry e = Entry();
    ASSERT_TRUE(GR_TPage_DrawExt(&e, 10, 10, 200, 100, 2, -1, 0.0, 0x0000FF, 1.0));
    std::vector<Drawn> d = Draws();
    // left = (4 - 10) x 2, top = (6 - 10) x -1.
    ExpectCorner(d[0].v[0], 188, 104, 8 * TEXEL, 16 * TEXEL);
    ExpectCorner(d[0].v[2], 208, 96, 18 * TEXEL, 24 * TEXEL);
    EXPECT_EQ(0xFFFF0000u, d[0].v[0].colour);
}

TEST_F(TextureDraw, NothingIsDrawnWithoutAValidTexture)
{
    TPageEntry e = Entry();
    EXPECT_FALSE(GR_TPage_Draw(nullptr, 0, 0));
    for (int16_t texture : {int16_t(-1), int16_t(99)}) {
        e.texture = texture;
        EXPECT_FALSE(GR_TPage_Draw(&e, 0, 0));
        EXPECT_FALSE(GR_TPage_DrawExt(&e, 0, 0, 0, 0, 1, 1, 0, 0, 1));
        EXPECT_FALSE(GR_TPage_DrawTiled(&e, 0, 0, 0, 0, 1, 1, true, true, 0, 0, 100, 100, 0, 1));
    }
    e = Entry();
    Texture_Free(m_Texture);
    EXPECT_FALSE(GR_TPage_DrawPart(&e, 0, 0, 5, 5, 0, 0, 1, 1, 0, 0, 1));
    EXPECT_FALSE(GR_Texture_Draw(m_Texture, 0, 0));
    EXPECT_FALSE(GR_Texture_DrawTiled(m_Texture, 0, 0, 0, 0, 1, 1, true, true, 0, 0, 9, 9, 0, 1));
    EXPECT_TRUE(Draws().empty());
}

TEST_F(TextureDraw, PartsOfAFrameMapOntoTheCroppedPicture)
{
    TPageEntry e = Entry();
    // The whole frame: only the cropped part is drawn, where it lies in the frame.
    ASSERT_TRUE(GR_TPage_DrawPart(&e, 0, 0, 20, 20, 100, 50, 1, 1, 0, 0xFFFFFF, 1));
    std::vector<Drawn> d = Draws();
    ExpectCorner(d[0].v[0], 104, 56, 8 * TEXEL, 16 * TEXEL);
    ExpectCorner(d[0].v[2], 114, 64, 18 * TEXEL, 24 * TEXEL);

    // A rectangle inside the cropped part.
    ASSERT_TRUE(GR_TPage_DrawPart(&e, 6, 8, 4, 3, 100, 50, 2, 1, 0, 0xFFFFFF, 1));
    d = Draws();
    ExpectCorner(d[0].v[0], 100, 50, 10 * TEXEL, 18 * TEXEL);
    ExpectCorner(d[0].v[2], 108, 53, 14 * TEXEL, 21 * TEXEL);

    // One reaching past the crop's right edge stops at it instead of showing the page beyond.
    ASSERT_TRUE(GR_TPage_DrawPart(&e, 10, 6, 10, 8, 0, 0, 1, 1, 0, 0xFFFFFF, 1));
    d = Draws();
    ExpectCorner(d[0].v[2], 4, 8, 18 * TEXEL, 24 * TEXEL);

    // A rectangle wholly in the empty border draws nothing.
    EXPECT_FALSE(GR_TPage_DrawPart(&e, 0, 0, 3, 20, 0, 0, 1, 1, 0, 0xFFFFFF, 1));
    EXPECT_FALSE(GR_TPage_DrawPart(&e, 0, 14, 20, 6, 0, 0, 1, 1, 0, 0xFFFFFF, 1));
    EXPECT_TRUE(Draws().empty());
}

TEST_F(TextureDraw, PageHeldAtAnotherSizeScalesTheSourceRectangle)
{
    TPageEntry e = Entry();
    e.width = 20; // the page holds the picture at twice its drawn size
    e.height = 16;
    ASSERT_TRUE(GR_TPage_DrawPart(&e, 6, 8, 4, 3, 0, 0, 1, 1, 0, 0xFFFFFF, 1));
    std::vector<Drawn> d = Draws();
    ExpectCorner(d[0].v[0], 0, 0, 12 * TEXEL, 20 * TEXEL);
    ExpectCorner(d[0].v[2], 4, 3, 20 * TEXEL, 26 * TEXEL);
}

TEST_F(TextureDraw, GeneralDrawColoursEachCornerAndIgnoresSmallerTurns)
{
    TPageEntry e = Entry();
    ASSERT_TRUE(
        GR_TPage_DrawGeneral(&e, 4, 6, 10, 8, 0, 0, 1, 1, 0.005, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 1));
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(6u, d[0].v.size());
    const uint32_t expect[6] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF0000FFu, 0xFFFFFFFFu, 0xFFFF0000u};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(expect[i], d[0].v[i].colour) << "vertex " << i;
    EXPECT_EQ(10.0f, d[0].v[1].x); // 0.005 is below this form's threshold
    EXPECT_EQ(0.0f, d[0].v[1].y);
    // The part form turns at 0.005.
    ASSERT_TRUE(GR_TPage_DrawPart(&e, 4, 6, 10, 8, 0, 0, 1, 1, 0.005, 0, 1));
    EXPECT_NE(0.0f, Draws()[0].v[1].y);
}

TEST_F(TextureDraw, TilesBelowOnePixelDrawNothing)
{
    EXPECT_FALSE(
        GR_Texture_DrawTiled(m_Texture, 0, 0, 0, 0, 1.0f / 64.0f, 1, true, true, 0, 0, 100, 100, 0, 1));
    TPageEntry e = Entry();
    EXPECT_FALSE(GR_TPage_DrawTiled(&e, 0, 0, 0, 0, 0.04f, 1, true, true, 0, 0, 100, 100, 0, 1));
    EXPECT_FALSE(GR_TPage_DrawTiled(&e, 0, 0, 0, 0, -1, 1, true, true, 0, 0, 100, 100, 0, 1));
    EXPECT_TRUE(Draws().empty());
}

TEST_F(TextureDraw, TexturesTileOverTheClipFromTheFirstEdgeBeforeIt)
{
    // 32-pixel tiles from x = 10, y = 5 over (0, 0, 100, 70): columns -22, 10, 42, 74 and rows
    // -27, 5, 37, 69, each tile moved left by the origin.
    ASSERT_TRUE(GR_Texture_DrawTiled(m_Texture, 2, 0, 10, 5, 1, 1, true, true, 0, 0, 100, 70, 0xFFFFFF, 0.5));
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(16u, d.size());
    EXPECT_EQ(D3DPT_TRIANGLEFAN, d[0].type);
    ExpectCorner(d[0].v[0], -24, -27, 0, 0);
    ExpectCorner(d[0].v[2], 8, 5, 32 * TEXEL, 32 * TEXEL);
    EXPECT_EQ(-24.0f, d[3].v[0].x);
    EXPECT_EQ(69.0f, d[3].v[0].y);
    EXPECT_EQ(72.0f, d[15].v[0].x);
    EXPECT_EQ(69.0f, d[15].v[0].y);
    EXPECT_EQ(0x80FFFFFFu, d[0].v[0].colour); // the tiled form rounds its alpha

    // Across only: one row at y.
    ASSERT_TRUE(GR_Texture_DrawTiled(m_Texture, 0, 0, 10, 5, 1, 1, true, false, 0, 0, 100, 70, 0, 1));
    d = Draws();
    ASSERT_EQ(4u, d.size());
    EXPECT_EQ(5.0f, d[0].v[0].y);
}

TEST_F(TextureDraw, PageEntriesTileFromOneFrameFurtherBack)
{
    TPageEntry e{0, 0, 32, 32, 0, 0, 32, 32, 32, 32, int16_t(m_Texture)};
    ASSERT_TRUE(GR_TPage_DrawTiled(&e, 0, 0, 10, 5, 1, 1, true, false, 0, 0, 100, 70, 0xFFFFFF, 1));
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(1u, d.size()); // page tiles are lists, so they share a batch
    ASSERT_EQ(30u, d[0].v.size());
    const float columns[5] = {-54, -22, 10, 42, 74};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(columns[i], d[0].v[6 * i].x);
        EXPECT_EQ(5.0f, d[0].v[6 * i].y);
    }
    EXPECT_EQ(32 * TEXEL, d[0].v[2].u);
}

TEST_F(TextureDraw, FarClipsTileAsQuicklyAsNearOnesAndEndlessOnesNotAtAll)
{
    ASSERT_TRUE(GR_Texture_DrawTiled(m_Texture, 0, 0, 10, 0, 1, 1, true, false, 1e9f, 0, 64, 10, 0, 1));
    EXPECT_EQ(3u, Draws().size());
    TPageEntry e{0, 0, 32, 32, 0, 0, 32, 32, 32, 32, int16_t(m_Texture)};
    ASSERT_TRUE(GR_TPage_DrawTiled(&e, 0, 0, 10, 0, 1, 1, true, false, -1000, 0, 10, 10, 0, 1));
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(12u, d[0].v.size());
    EXPECT_EQ(-1046.0f, d[0].v[0].x);
    EXPECT_EQ(-1014.0f, d[0].v[6].x);
    const float endless = INFINITY;
    EXPECT_FALSE(GR_Texture_DrawTiled(m_Texture, 0, 0, 0, 0, 1, 1, true, true, 0, 0, endless, 10, 0, 1));
    EXPECT_FALSE(GR_TPage_DrawTiled(&e, 0, 0, 0, 0, 1, 1, true, true, -endless, 0, 10, 10, 0, 1));
    EXPECT_FALSE(GR_TPage_DrawTiled(&e, 0, 0, NAN, 0, 1, 1, true, true, 0, 0, 10, 10, 0, 1));
    EXPECT_TRUE(Draws().empty());
}

TEST_F(TextureDraw, EmptyTextureIsDrawnAsAnEightPixelSquare)
{
    DeviceTexture* device = GR_Texture_Create(16, 16, 1, false, TEXTURE_FORMAT_A8R8G8B8);
    int32_t index = Texture_Wrap(device, 0, 0);
    ASSERT_TRUE(GR_Texture_DrawExt(index, 0, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1));
    EXPECT_EQ(8, Texture_Get(index)->width);
    EXPECT_EQ(0.125f, Texture_Get(index)->reciprocalWidth);
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(4u, d[0].v.size());
    ExpectCorner(d[0].v[2], 18, 18, 1, 1);
}

TEST_F(TextureDraw, TexturePartsAndStretchesUseTheWholeRecord)
{
    ASSERT_TRUE(GR_Texture_DrawPart(m_Texture, 4, 8, 16, 8, 50, 60, 2, 1, 0, 0xFFFFFF, 1));
    std::vector<Drawn> d = Draws();
    ExpectCorner(d[0].v[0], 50, 60, 4 * TEXEL, 8 * TEXEL);
    ExpectCorner(d[0].v[2], 82, 68, 20 * TEXEL, 16 * TEXEL);
    ASSERT_TRUE(GR_Texture_DrawStretched(m_Texture, 0, 0, 100, 10, 0xFFFFFF, 1));
    d = Draws();
    ExpectCorner(d[0].v[2], 100, 10, 0.5f, 0.5f); // 32 of 64 texels
    ASSERT_TRUE(GR_Texture_Draw(m_Texture, 1, 2));
    d = Draws();
    ASSERT_EQ(6u, d[0].v.size());
    ExpectCorner(d[0].v[2], 33, 34, 0.5f, 0.5f);
}

} // namespace
