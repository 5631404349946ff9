// The profiler overlay on a device: the panel shown by its mouse sequence and closed by "CLOSE"
// through the input seams, and the digits of the debug font "font.png".
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "GLDeviceFixture.h"
#include "app/App_CommandLine.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_Profiler.h"
#include "graphics/Graphics_Window.h"
#include "io/IO_Main.h"
#include "platform/Platform_EmbeddedImages.h"

using namespace gltest;

namespace {

constexpr uint32_t GREY = 0xFF808080u, WHITE = 0xFFFFFFFFu;

class Overlay : public DeviceTest {
  protected:
    void SetUp() override
    {
        EmbeddedImage_SetTable(EmbeddedImage_BuiltInTable()); // the overlay font
        GR_Window_SetWindowSize(640, 480);
        DeviceTest::SetUp();
        g_DebugOverlayFlags = 0;
        IO_Clear();
        IO_StartStep(); // the first update takes the raw state from the step's
    }
    void TearDown() override
    {
        g_DebugOverlayFlags = 0;
        DeviceTest::TearDown();
    }
    // A grey frame with `draw` in it, ended without presenting.
    void GreyFrame(const std::function<void()>& draw = [] {})
    {
        ASSERT_TRUE(GR_StartFrame());
        GR_SetViewProjection(0, 0, 640, 480, 0);
        FillRect(0, 0, 640, 480, GREY);
        draw();
        ASSERT_TRUE(GR_EndFrame(false));
    }
    uint32_t At(int32_t x, int32_t y) { return Argb(ScreenPixel(x, y)); }
    int32_t CountWhite(int32_t x, int32_t y, int32_t w, int32_t h)
    {
        int32_t n = 0;
        for (const Pixel& p : ReadScreen(x, y, w, h))
            n += Argb(p) == WHITE ? 1 : 0;
        return n;
    }
};

TEST_F(Overlay, ThePanelOpensByItsSequenceAndClosesByClose)
{
    const int32_t cells[7][2] = {{0, 0}, {9, 0}, {9, 9}, {0, 9}, {0, 0}, {5, 5}, {0, 0}};
    for (const auto& cell : cells) {
        EXPECT_EQ(0, g_DebugOverlayFlags);
        IO_RawMouseX = cell[0] * 64 + 32, IO_RawMouseY = cell[1] * 48 + 24;
        IO_OnMouseUp(1, IO_RawMouseX, IO_RawMouseY);
        IO_StartStep();
        GreyFrame();
    }
    EXPECT_EQ(OVERLAY_PANEL, g_DebugOverlayFlags);
    // Translucent black over the top 100 rows, the version line and "CLOSE" in white on it.
    EXPECT_LT(ScreenPixel(320, 95).r, 0x60);
    EXPECT_EQ(GREY, At(320, 101));
    EXPECT_GT(CountWhite(560, 80, 60, 12), 5);
    EXPECT_GT(CountWhite(100, 40, 440, 12), 20);

    IO_RawMouseX = 600, IO_RawMouseY = 88;
    IO_OnMouseUp(1, 600, 88);
    IO_StartStep();
    GreyFrame();
    EXPECT_EQ(0, g_DebugOverlayFlags);
    EXPECT_EQ(GREY, At(320, 95));
}

TEST_F(Overlay, DigitsComeFromTheDebugFontWhenItIsThere)
{
    auto numbers = [] {
        Debug_DrawNumber(10, 100, 1, 1205);
        Debug_DrawNumber(10, 200, 2, 7);
        Debug_DrawDigit(10, 300, 1, 10); // no such digit
    };
    EXPECT_EQ(nullptr, Profiler_DebugFontTexture()); // no "font.png" in the test's folder
    GreyFrame(numbers);
    EXPECT_EQ(GREY, At(14, 105));

    // A white font: each digit a white block of 8 x 11 pixels at scale 1.
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / ("kelvaro_font_" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::path previous = fs::current_path();
    fs::current_path(folder);
    std::vector<uint32_t> white(256 * 16, WHITE);
    ASSERT_TRUE(GR_Image_WritePNGToPath("font.png", white.data(), 256, 16, true, false));
    Profiler_LoadDebugFont();
    fs::current_path(previous);
    fs::remove_all(folder);
    ASSERT_NE(nullptr, Profiler_DebugFontTexture());
    GreyFrame(numbers);
    // First digit, the gap after it, second and fourth 9 pixels apart, no fifth, 11 rows high; 7 at
    // scale 2 alone (no leading zeros); digit 10 nothing.
    const int32_t probes[][3] = {{14, 105, 1}, {18, 105, 0}, {23, 105, 1}, {41, 105, 1}, {50, 105, 0},
                                 {14, 111, 0}, {24, 220, 1}, {30, 205, 0}, {14, 305, 0}};
    for (const auto& p : probes)
        EXPECT_EQ(p[2] != 0 ? WHITE : GREY, At(p[0], p[1])) << p[0] << ", " << p[1];
}

} // namespace
