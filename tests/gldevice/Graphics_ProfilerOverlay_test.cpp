// The profiler overlay on a device: the panel shown by its mouse sequence and closed by "CLOSE"
// through the input seams, and the digits of the debug font "font.png".
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "GLDeviceFixture.h"
#include "app/App_CommandLine.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_Profiler.h"
#include "graphics/Graphics_Recorder.h"
#include "graphics/Graphics_Window.h"
#include "io/IO_Main.h"
#include "platform/Platform_EmbeddedImages.h"

using namespace gltest;

namespace {

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
    // A grey frame with `draw` in it; ended without presenting unless left open for reading.
    void GreyFrame(const std::function<void()>& draw = [] {}, bool end = true)
    {
        if (g_D3D.sceneDepth != 0) GR_EndFrame(false);
        ASSERT_TRUE(GR_StartFrame());
        GR_SetViewProjection(0, 0, 640, 480, 0);
        FillRect(0, 0, 640, 480, GREY);
        draw();
        Graphics::Flush();
        if (end) {
            ASSERT_TRUE(GR_EndFrame(false));
        }
    }
    void Release(int32_t x, int32_t y)
    {
        IO_RawMouseX = x, IO_RawMouseY = y;
        IO_OnMouseUp(1, x, y);
        IO_StartStep();
        GreyFrame();
    }
    static int32_t CountWhite(int32_t x, int32_t y, int32_t w, int32_t h)
    {
        int32_t n = 0;
        for (const Pixel& p : ReadScreen(x, y, w, h)) n += Argb(p) == WHITE ? 1 : 0;
        return n;
    }
};

TEST_F(Overlay, ThePanelOpensByItsSequenceAndClosesByClose)
{
    const int32_t cells[7][2] = {{0, 0}, {9, 0}, {9, 9}, {0, 9}, {0, 0}, {5, 5}, {0, 0}};
    for (const auto& cell : cells) {
        EXPECT_EQ(0, g_DebugOverlayFlags);
        Release(cell[0] * 64 + 32, cell[1] * 48 + 24);
    }
    EXPECT_EQ(OVERLAY_PANEL, g_DebugOverlayFlags);
    // Translucent black over the top 100 rows, the version line and "CLOSE" in white on it.
    EXPECT_LT(ScreenPixel(320, 95).r, 0x60);
    EXPECT_EQ(GREY, At(320, 101));
    EXPECT_GT(CountWhite(560, 80, 60, 12), 5);
    EXPECT_GT(CountWhite(100, 40, 440, 12), 20);
    Release(600, 88);
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
    ExpectProbes({{14, 105, WHITE}, {18, 105, GREY}, {23, 105, WHITE}, {41, 105, WHITE}, {50, 105, GREY},
                  {14, 111, GREY}, {24, 220, WHITE}, {30, 205, GREY}, {14, 305, GREY}});
}

// Recordings drawn on a device: a 20 x 20 square at the origin as a strip, in one colour, texture
// coordinates 0 to 1.
GraphicsRecorder* Square(int32_t texture, uint32_t colour)
{
    GraphicsRecorder* recorder = GraphicsRecorder_Create(texture, colour);
    RecorderVertex v[4] = {{0, 0, 0, 0, 0, -1, colour, 0, 0}, {20, 0, 0, 0, 0, -1, colour, 1, 0},
                           {0, 20, 0, 0, 0, -1, colour, 0, 1}, {20, 20, 0, 0, 0, -1, colour, 1, 1}};
    GraphicsRecorder_AddPrimitive(recorder, D3DPT_TRIANGLESTRIP, 4, v);
    return recorder;
}

TEST_F(Overlay, ARecordingDrawsAtTwoPlacesInAFrameAndAgainAfterRecolouring)
{
    GraphicsRecorder* recorder = Square(-1, RED);
    GreyFrame([&] {
        GraphicsRecorder_Draw(recorder, 100, 100, 0);
        FillRect(200, 100, 210, 110, GREEN); // the batch goes on between the two draws
        GraphicsRecorder_Draw(recorder, 300, 200, 0);
    }, false);
    ExpectProbes({{110, 110, RED}, {310, 210, RED}, {205, 105, GREEN}, {10, 10, GREY}, {125, 110, GREY}});
    const RecorderList& triangles = recorder->lists[RECORDER_TRIANGLES];
    ASSERT_NE(nullptr, triangles.buffer); // built at the first draw, from the list cut to its count
    EXPECT_EQ(triangles.count, triangles.capacity);
    EXPECT_FALSE(GR_Texture_GetRepeat()); // restored
    // Recolouring lets the buffers go; the next draw builds them again in the new colour.
    GraphicsRecorder_Recolour(recorder, GREEN | 1u);
    EXPECT_EQ(nullptr, triangles.buffer);
    GreyFrame([&] { GraphicsRecorder_Draw(recorder, 100, 100, 0); }, false);
    EXPECT_EQ(GREEN, At(110, 110));
    GraphicsRecorder_Destroy(recorder);

    // A recording whose texture was freed draws untextured. The texture is as large as the device
    // texture, so that coordinates 0 to 1 cover only these pixels.
    std::vector<uint32_t> green(64 * 64, GREEN);
    int32_t texture = Texture_CreateFromPixels(64, 64, reinterpret_cast<uint8_t*>(green.data()), 64 * 64 * 4);
    ASSERT_GE(texture, 0);
    recorder = Square(texture, WHITE);
    GreyFrame([&] { GraphicsRecorder_Draw(recorder, 100, 100, 0); }, false);
    EXPECT_EQ(GREEN, At(105, 105));
    Texture_Free(texture);
    GreyFrame([&] { GraphicsRecorder_Draw(recorder, 100, 100, 0); }, false);
    EXPECT_EQ(WHITE, At(105, 105));
    GraphicsRecorder_Destroy(recorder);
}

} // namespace
