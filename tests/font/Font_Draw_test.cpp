// One line of a font drawn into the batch of the recording device: glyph quads, texture coordinates,
// colours and their alpha bytes, the transformed and corner-colour forms, and sprite fonts.
#include <gtest/gtest.h>

#include "../graphics/Graphics_DrawCapture.h"
#include "../sprite/SpriteTestSupport.h"
#include "font/Font_Class.h"
#include "room/Room_Draw.h"
#include "sprite/Sprite_Table.h"
#include "support/Support_Hash.h"

using capture::Drawn;
using capture::Draws;

namespace {

constexpr uint32_t RED = 0x0000FF, BLUE = 0xFF0000;

// 'A' (cell 10, 20, 4 x 6) and 'B' (16, 20, 2 x 6) over a texture of 256 x 128: the default font's
// form of construction, which gives the font an entry over the whole texture.
class FontDraw : public capture::DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        g_RoomDrawRect = RoomDrawRect{0, 0, 640, 480};
        m_Texture = Texture_CreateEmpty(256, 128, false);
        const uint8_t table[] = {10, 20, 4, 6, 16, 20, 2, 6};
        m_Font = new CFontKV(table, 'A', 'B', m_Texture);
    }
    void TearDown() override
    {
        delete m_Font;
        Sprite_Reset();
        DrawTest::TearDown();
    }
    int32_t m_Texture = -1;
    CFontKV* m_Font = nullptr;
};

TEST_F(FontDraw, CellsComeFromTheEntryWidenedByHalfATexelAndMissingCharactersLeaveNoGap)
{
    EXPECT_EQ(10, m_Font->TextWidth(u"AZB")); // Z counts as the first glyph's advance
    EXPECT_EQ(6, m_Font->LineHeight());
    m_Font->DrawText(100, 50, u"AZB", RED, 1.2f);
    std::vector<Drawn> draws = Draws();
    ASSERT_EQ(1u, draws.size());
    const std::vector<TexturedVertex>& v = draws[0].v;
    ASSERT_EQ(18u, v.size());
    EXPECT_EQ((std::vector<float>{99.5f, 49.5f, 9.5f / 256, 19.5f / 128, 104.5f, 56.5f, 14.5f / 256}),
              (std::vector<float>{v[0].x, v[0].y, v[0].u, v[0].v, v[2].x, v[2].y, v[2].u}));
    EXPECT_EQ(0xFFFF0000u, v[0].colour);
    for (int i = 6; i < 12; ++i) EXPECT_EQ(0.0f, v[size_t(i)].x + v[size_t(i)].y + v[size_t(i)].u) << i;
    EXPECT_FLOAT_EQ(103.5f, v[12].x); // B follows A directly: Z did not move the pen
    m_Font->DrawText(0, 0, u"A", RED, 0.999f);
    EXPECT_EQ(254u, Draws()[0].v[0].colour >> 24);
    m_Font->DrawText(0, 0, u"", RED, 1);
    EXPECT_TRUE(Draws().empty());
}

TEST_F(FontDraw, TransformedLinesTurnPastAThousandthOfADegreeAndCornerColoursBlend)
{
    m_Font->DrawTextTransformed(100, 50, u"AZB", 2, 1, 0.0005f, RED, 1);
    std::vector<TexturedVertex> v = Draws()[0].v;
    ASSERT_EQ(18u, v.size());
    EXPECT_FLOAT_EQ(108.5f, v[1].x);  // 4 cells x 2 + 0.5
    EXPECT_FLOAT_EQ(107.5f, v[12].x); // B after an advance of 4 x 2
    m_Font->DrawTextTransformed(100, 50, u"AZB", 1, 1, 90, RED, 1);
    v = Draws()[0].v;
    ASSERT_EQ(12u, v.size()); // Z took no vertices
    // The line runs upward: the top-right corner lies above the top-left, B further up.
    std::vector<float> expected = {99.5f, 49.5f, 45.5f, 106.5f, 45.5f}, got = {v[0].x, v[0].y, v[1].y, v[2].x, v[6].y};
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(expected[i], got[i], 1e-4) << i;
    // A spans 0 to 4 of the line's 6: its right edge is two thirds of the way.
    m_Font->DrawTextColour(0, 0, u"AB", RED, BLUE, BLUE, RED, 1);
    v = Draws()[0].v;
    ASSERT_EQ(12u, v.size());
    EXPECT_EQ((std::vector<uint32_t>{0xFFFF0000u, 0xFF5500AAu, 0xFF5500AAu, 0xFF5500AAu, 0xFF0000FFu}),
              (std::vector<uint32_t>{v[0].colour, v[1].colour, v[2].colour, v[6].colour, v[7].colour}));
}

TEST_F(FontDraw, SpriteFontsDrawFramesAndSkipSpacesAndMissingCharacters)
{
    int32_t sprite = Sprite_AddEmpty();
    spritetest::MakePictureSprite(*Sprite_Get(sprite), {"########"}, 2);
    CFontKV font;
    font.BuildFromSprite(sprite, "xy", false, 1);
    font.DrawText(10, 20, u"x y?x", 0xFFFFFF, 1);
    std::vector<float> lefts;
    for (const Drawn& d : Draws())
        for (size_t i = 0; i < d.Count(); i += d.Count() == 4 ? 4 : 6) lefts.push_back(d.v[i].x);
    ASSERT_EQ(3u, lefts.size());
    // Advances of 5: x, space, y, (? skipped), x.
    for (size_t i = 0; i < 3; ++i) EXPECT_NEAR((std::vector<float>{10, 20, 25})[i], lefts[i], 0.51f) << i;
    Sprite_Delete(sprite);
    font.DrawText(10, 20, u"x", 0xFFFFFF, 1);
    EXPECT_TRUE(Draws().empty());
}

} // namespace
