// The profiler overlay on a device: the bar row and the outlined frame-rate text over the picture,
// the panel shown by its mouse sequence and closed by "CLOSE" through the input seams, and the
// digits of the debug font.
#include <unistd.h>

#include <filesystem>

#include "GLDeviceFixture.h"
#include "app/App_CommandLine.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_Profiler.h"
#include "graphics/Graphics_Window.h"
#include "io/IO_Main.h"
#include "platform/Platform_EmbeddedImages.h"

using namespace gltest;

namespace {

constexpr uint32_t GREY = 0xFF808080u;
constexpr uint32_t WHITE = 0xFFFFFFFFu;

class Overlay : public DeviceTest {
  protected:
    void SetUp() override
    {
        EmbeddedImage_SetTable(EmbeddedImage_BuiltInTable());
        GR_Window_SetWindowSize(640, 480);
        DeviceTest::SetUp();
        Profiler_Clear();
        Profiler_InitDevice(); // the overlay font again, after the clear
        ASSERT_NE(nullptr, Profiler_OverlayTexture());
        g_DebugOverlayFlags = 0;
        GR_Texture_SetInterpolation(false);
        IO_Clear();
        IO_StartStep(); // the first update takes the raw state from the step's
    }
    void TearDown() override
    {
        g_DebugOverlayFlags = 0;
        Profiler_ReleaseDebugFont();
        DeviceTest::TearDown();
    }

    // A grey frame with `draw` inside it, ended without presenting.
    template <typename Draw>
    void GreyFrame(Draw draw)
    {
        ASSERT_TRUE(GR_StartFrame());
        GR_SetViewport(0, 0, 640, 480);
        GR_SetViewProjection(0, 0, 640, 480, 0);
        FillRect(0, 0, 640, 480, GREY);
        draw();
        ASSERT_TRUE(GR_EndFrame(false));
    }
    void GreyFrame()
    {
        GreyFrame([] {});
    }

    uint32_t At(int32_t x, int32_t y) { return Argb(ScreenPixel(x, y)); }

    // How many pixels of the rectangle have exactly this colour.
    int32_t Count(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t argb)
    {
        int32_t n = 0;
        for (const Pixel& p : ReadScreen(x, y, w, h))
            n += Argb(p) == argb ? 1 : 0;
        return n;
    }

    static void ReleaseAt(int32_t x, int32_t y)
    {
        IO_RawMouseX = x;
        IO_RawMouseY = y;
        IO_OnMouseUp(1, x, y);
        IO_StartStep();
    }
};

TEST_F(Overlay, FrameRateShowsTheBarRowAndOutlinedText)
{
    g_DebugOverlayFlags = OVERLAY_FRAME_RATE;
    GreyFrame([] {
        // A green bar over the second quarter of the width (a quarter is 16,666.666 microseconds).
        Profiler_Begin(0xFF00FF00u, "Work");
        Profiler_End();
        g_Profiler.bars[1].start = g_Profiler.frameStart + 16667;
        g_Profiler.bars[1].end = g_Profiler.frameStart + 33333;
    });
    EXPECT_EQ(0xFF00FF00u, At(240, 15));
    EXPECT_EQ(0xFF00FF00u, At(240, 10));
    EXPECT_EQ(0xFF00FF00u, At(240, 19));
    EXPECT_EQ(GREY, At(240, 21));
    // "Total" from the frame's start, in its own colour (red 0x80), over the white quarter.
    EXPECT_EQ(0xFF800000u, At(0, 15));
    double totalEnd = double(g_Profiler.bars[0].end - g_Profiler.frameStart) / PROFILER_SCALE * 640;
    if (totalEnd < 150) {
        EXPECT_EQ(WHITE, At(155, 15));
    }
    // The text at (0, 0): white glyphs with black outlines, nothing far to the right of it.
    EXPECT_GT(Count(0, 0, 200, 10, WHITE), 10);
    EXPECT_GT(Count(0, 0, 200, 10, 0xFF000000u), 10);
    EXPECT_EQ(0, Count(300, 0, 300, 10, WHITE));

    // Hidden, nothing of it is drawn.
    g_DebugOverlayFlags = 0;
    GreyFrame();
    EXPECT_EQ(GREY, At(240, 15));
    EXPECT_EQ(0, Count(0, 0, 200, 10, WHITE));
}

TEST_F(Overlay, ThePanelOpensByItsSequenceAndClosesByClose)
{
    const int32_t cells[7][2] = {{0, 0}, {9, 0}, {9, 9}, {0, 9}, {0, 0}, {5, 5}, {0, 0}};
    for (const auto& cell : cells) {
        EXPECT_EQ(0, g_DebugOverlayFlags & OVERLAY_PANEL);
        ReleaseAt(cell[0] * 64 + 32, cell[1] * 48 + 24);
        GreyFrame();
    }
    EXPECT_EQ(OVERLAY_PANEL, g_DebugOverlayFlags);
    // Translucent black across the top 100 rows, the version and "CLOSE" in white on it.
    Pixel panel = ScreenPixel(320, 95);
    EXPECT_LT(panel.r, 0x60);
    EXPECT_EQ(GREY, At(320, 101));
    EXPECT_GT(Count(560, 80, 60, 12, WHITE), 5);
    EXPECT_GT(Count(100, 40, 440, 12, WHITE), 20);

    ReleaseAt(600, 88);
    GreyFrame();
    EXPECT_EQ(0, g_DebugOverlayFlags);
    EXPECT_EQ(GREY, At(320, 95));
}

TEST_F(Overlay, DigitsComeFromTheDebugFontWhenItIsThere)
{
    auto drawNumbers = [] {
        Debug_DrawNumber(10, 100, 1, 1205);
        Debug_DrawNumber(10, 200, 2, 7);
        Debug_DrawDigit(10, 300, 1, 10); // no such digit
    };
    EXPECT_EQ(nullptr, Profiler_DebugFontTexture()); // no "font.png" in the test's folder
    GreyFrame(drawNumbers);
    EXPECT_EQ(GREY, At(14, 105));

    // A white font: each digit a white 8 x 11 block.
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("kelvaro_font_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    std::vector<uint32_t> white(256 * 16, 0xFFFFFFFFu);
    ASSERT_TRUE(GR_Image_WritePNGToPath("font.png", white.data(), 256, 16, true, false));
    Profiler_LoadDebugFont();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(folder);
    ASSERT_NE(nullptr, Profiler_DebugFontTexture());

    GreyFrame(drawNumbers);
    struct Probe {
        int32_t x, y;
        uint32_t colour;
        const char* what;
    };
    const Probe probes[] = {
        {14, 105, WHITE, "first of four digits"},    {18, 105, GREY, "the gap after a digit"},
        {23, 105, WHITE, "second digit, 9 further"}, {41, 105, WHITE, "fourth digit"},
        {50, 105, GREY, "no fifth digit"},           {14, 111, GREY, "11 rows high"},
        {24, 220, WHITE, "7 at scale 2: 16 x 22"},   {30, 205, GREY, "a single digit, no leading zeros"},
        {14, 305, GREY, "digit 10 draws nothing"},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(p.colour, At(p.x, p.y)) << p.what;
}

} // namespace
