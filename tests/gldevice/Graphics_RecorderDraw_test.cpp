// Recordings drawn on a device: one recording at two places in a frame, its buffers built once and
// rebuilt after recolouring, and a recording whose texture was freed drawing untextured.
#include <functional>

#include "GLDeviceFixture.h"
#include "graphics/Graphics_Recorder.h"
#include "graphics/Graphics_Texture.h"

using namespace gltest;

namespace {

constexpr uint32_t GREY = 0xFF808080u, RED = 0xFFFF0000u, GREEN = 0xFF00FF00u, WHITE = 0xFFFFFFFFu;

class RecorderDraw : public DeviceTest {
  protected:
    // A 20 x 20 square at the origin as a strip, in one colour, texture coordinates 0 to 1.
    static GraphicsRecorder* Square(int32_t texture, uint32_t colour)
    {
        GraphicsRecorder* recorder = GraphicsRecorder_Create(texture, colour);
        RecorderVertex v[4] = {{0, 0, 0, 0, 0, -1, colour, 0, 0}, {20, 0, 0, 0, 0, -1, colour, 1, 0},
                               {0, 20, 0, 0, 0, -1, colour, 0, 1}, {20, 20, 0, 0, 0, -1, colour, 1, 1}};
        GraphicsRecorder_AddPrimitive(recorder, D3DPT_TRIANGLESTRIP, 4, v);
        return recorder;
    }
    // A grey frame with `draw` in it, left open for reading.
    void Frame(const std::function<void()>& draw)
    {
        if (g_D3D.sceneDepth != 0) GR_EndFrame(false);
        ASSERT_TRUE(GR_StartFrame());
        GR_SetViewProjection(0, 0, 640, 480, 0);
        FillRect(0, 0, 640, 480, GREY);
        draw();
        Graphics::Flush();
    }
    uint32_t At(int32_t x, int32_t y) { return Argb(ScreenPixel(x, y)); }
};

TEST_F(RecorderDraw, OneRecordingDrawnAtTwoPlacesInAFrame)
{
    GraphicsRecorder* recorder = Square(-1, RED);
    Frame([&] {
        GraphicsRecorder_Draw(recorder, 100, 100, 0);
        FillRect(200, 100, 210, 110, GREEN); // the batch goes on between the two draws
        GraphicsRecorder_Draw(recorder, 300, 200, 0);
    });
    EXPECT_EQ((std::vector<uint32_t>{RED, RED, GREEN, GREY, GREY}),
              (std::vector<uint32_t>{At(110, 110), At(310, 210), At(205, 105), At(10, 10), At(125, 110)}));
    const RecorderList& triangles = recorder->lists[RECORDER_TRIANGLES];
    ASSERT_NE(nullptr, triangles.buffer); // built at the first draw, from the list cut to its count
    EXPECT_EQ(triangles.count, triangles.capacity);
    EXPECT_FALSE(GR_Texture_GetRepeat()); // restored

    // Recolouring lets the buffers go; the next draw builds them again in the new colour.
    GraphicsRecorder_Recolour(recorder, GREEN | 1u);
    EXPECT_EQ(nullptr, triangles.buffer);
    Frame([&] { GraphicsRecorder_Draw(recorder, 100, 100, 0); });
    EXPECT_EQ(GREEN, At(110, 110));
    GraphicsRecorder_Destroy(recorder);
}

TEST_F(RecorderDraw, ARecordingWhoseTextureWasFreedDrawsUntextured)
{
    // As large as the device texture, so that coordinates 0 to 1 cover only these pixels.
    std::vector<uint32_t> green(64 * 64, GREEN);
    int32_t texture = Texture_CreateFromPixels(64, 64, reinterpret_cast<uint8_t*>(green.data()), 64 * 64 * 4);
    ASSERT_GE(texture, 0);
    GraphicsRecorder* recorder = Square(texture, WHITE);
    Frame([&] { GraphicsRecorder_Draw(recorder, 100, 100, 0); });
    EXPECT_EQ(GREEN, At(105, 105));
    Texture_Free(texture);
    Frame([&] { GraphicsRecorder_Draw(recorder, 100, 100, 0); });
    EXPECT_EQ(WHITE, At(105, 105));
    GraphicsRecorder_Destroy(recorder);
}

} // namespace
