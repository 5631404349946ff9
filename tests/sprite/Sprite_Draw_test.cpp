// Frame choice, culling by the radius and drawing failures, read from the quads a sprite queues.
#include <gtest/gtest.h>

#include "../TestSupport_Console.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "SpriteTestSupport.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Surface.h"
#include "room/Room_Draw.h"

using capture::Draws;

namespace {

class SpriteDraw : public capture::DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        g_RoomDrawRect = RoomDrawRect{0, 0, 640, 480};
        g_CustomProjection = false;
    }
    void TearDown() override
    {
        m_Sprite.Clear();
        g_CustomProjection = false;
        DrawTest::TearDown();
    }
    CSprite m_Sprite;
};

TEST_F(SpriteDraw, FramesFarOutsideTheViewAreSkippedUnlessTheGameProjectsOrDrawsOnASurface)
{
    // 40 x 1 about its left end: radius 41 (40.01 rounded up).
    spritetest::MakePictureSprite(m_Sprite, {std::string(40, '#')});
    ASSERT_EQ(41, m_Sprite.GetRadius());
    struct { float x, xscale, yscale; bool custom; size_t drawn; } cases[] = {
        {-50, 1, 1, false, 0}, {-50, 2, 1, false, 1}, {-50, 1, -2, false, 1}, {-41, 1, 1, false, 1},
        {-50, 1, 1, true, 1},  {700, 1, 1, false, 0},
    };
    for (const auto& c : cases) {
        g_CustomProjection = c.custom;
        m_Sprite.Draw(0, c.x, 10, c.xscale, c.yscale, 0, 0xFFFFFF, 1);
        EXPECT_EQ(c.drawn, Draws().size()) << "x " << c.x << " scale " << c.xscale << "," << c.yscale;
    }
    g_CustomProjection = false;
    m_Sprite.DrawSimple(0, -50, 10);
    EXPECT_EQ(0u, Draws().size());
    m_Sprite.DrawGeneral(0, 0, 0, 40, 1, -50, 10, 2, 1, 0, 0, 0, 0, 0, 1);
    EXPECT_EQ(1u, Draws().size());
    // A surface target, and a projection of the game's own, set the flag that stops the culling.
    int32_t surface = Surface_Create(64, 64);
    ASSERT_TRUE(Surface_SetTarget(surface));
    m_Sprite.DrawSimple(0, -100, -100);
    EXPECT_EQ(1u, Draws().size());
    ASSERT_TRUE(Surface_ResetTarget());
    EXPECT_FALSE(g_CustomProjection);
    GR_3D_SetProjectionOrtho(0, 0, 640, 480, 0);
    m_Sprite.Draw(0, -100, -100, 1, 1, 0, 0xFFFFFF, 1);
    EXPECT_EQ(1u, Draws().size());
    Surface_Free(surface);
    Surface_ClearTable();
}

TEST_F(SpriteDraw, FramesWrapStretchesOfNoSizeDrawNothingAndMissingFramesAreLogged)
{
    spritetest::MakePictureSprite(m_Sprite, {"#.#.#."}, 3);
    m_Sprite.DrawSimple(7, 10, 10);
    m_Sprite.DrawSimple(1, 10, 10);
    m_Sprite.DrawSimple(-1, 10, 10);
    // Frames 7 and 1 share frame 1's texture in one batch; frame -1 is frame 2, another texture.
    std::vector<capture::Drawn> d = Draws();
    ASSERT_EQ(2u, d.size());
    EXPECT_EQ(12u, d[0].v.size());
    EXPECT_NE(d[0].texture, d[1].texture);
    testsupport::ConsoleCapture log;
    m_Sprite.DrawStretched(0, 10, 10, 0, 5, 0xFFFFFF, 1);
    EXPECT_EQ(0u, Draws().size());
    m_Sprite.DrawStretched(0, 10, 10, 8, 5, 0xFFFFFF, 1);
    d = Draws();
    ASSERT_EQ(1u, d.size());
    EXPECT_FLOAT_EQ(18.0f, d[0].v[1].x); // 8 wide from x = 10
    EXPECT_EQ("", log.console.text);

    spritetest::MakeMaskSprite(m_Sprite, 1, {{"#"}});
    m_Sprite.SetNameAndIndex("spr_lost", 0);
    m_Sprite.DrawSimple(0, 10, 10);
    EXPECT_EQ("Error attempting to draw sprite spr_lost\n", log.console.text);
    log.console.text.clear();
    m_Sprite.DrawPos(0, 0, 0, 1, 0, 1, 1, 0, 1, 0xFFFFFFFF, 1); // without an entry: nothing, silently
    EXPECT_EQ("", log.console.text);
}

} // namespace
