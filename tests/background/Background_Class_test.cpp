// Pictures made while the game runs and the two ways a background draws, read from the quads it
// queues on the recording device.
#include <gtest/gtest.h>

#include "../TestSupport_Console.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "background/Background_Class.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_Texture.h"

using capture::Draws;

namespace {

class BackgroundDraw : public capture::DrawTest {
protected:
    void TearDown() override
    {
        m_Background.Clear();
        m_Other.Clear();
        DrawTest::TearDown();
    }
    static uint32_t Pixel(const CBackground& b, size_t at)
    {
        uint32_t* pixels = nullptr;
        b.GetBitmap()->GetPixelBuffer(nullptr, &pixels);
        return pixels[at];
    }
    CBackground m_Background;
    CBackground m_Other;
};

TEST_F(BackgroundDraw, AColourOfNoSizeKeepsItsSizeYetDrawsOnePixel)
{
    m_Background.CreateColour(0, 0, 0x0000FF, true);
    EXPECT_EQ(0, m_Background.GetWidth());
    ASSERT_EQ(1, m_Background.GetBitmap()->GetWidth());
    EXPECT_EQ(0xFFFF0000u, Pixel(m_Background, 0)); // red, opaque
    EXPECT_TRUE(Texture_Exists(m_Background.GetTexture()));
    m_Background.Draw(10, 20);
    std::vector<capture::Drawn> d = Draws();
    ASSERT_EQ(1u, d.size());
    EXPECT_FLOAT_EQ(11.0f, d[0].v[1].x);
    // Stretching goes by the stored size, which is 0: nothing.
    m_Background.DrawStretched(0, 0, 8, 8, 0xFFFFFF, 1);
    EXPECT_EQ(0u, Draws().size());
}

TEST_F(BackgroundDraw, AlphaFromAnotherBackgroundNeedsTwoPictures)
{
    m_Other.SetFromFile(0, 4, 4, false, false, false);
    m_Background.CreateColour(2, 1, 0xFFFFFF, false);
    testsupport::ConsoleCapture log;
    m_Background.SetAlphaFromBackground(&m_Other);
    EXPECT_EQ("Both bitmaps need to be duplicated first\n", log.console.text);
    EXPECT_EQ(0xFFFFFFFFu, Pixel(m_Background, 0));
    m_Other.CreateGradient(2, 1, 0x000000, 0xFFFFFF, 0, false);
    m_Background.SetAlphaFromBackground(&m_Other);
    // Alpha becomes the source's grey level: none over black, the grey's over the lighter pixel.
    EXPECT_EQ(0x00FFFFFFu, Pixel(m_Background, 0));
    uint32_t grey = Pixel(m_Other, 1) & 0xFFu;
    EXPECT_GT(grey, 0u);
    EXPECT_EQ(grey << 24 | 0xFFFFFFu, Pixel(m_Background, 1));
}

} // namespace
