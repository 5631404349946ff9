// A device on a hidden main window of the offscreen video driver, made for each test, with helpers
// that draw through the batch and read pixels back. The tests run in one process as well as one
// each, so the fixture puts back the drawing state a test before may have changed.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_VertexFormat.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Window.h"

namespace gltest {

constexpr uint32_t RED = 0xFFFF0000u, GREEN = 0xFF00FF00u, BLUE = 0xFF0000FFu, WHITE = 0xFFFFFFFFu,
                   BLACK = 0xFF000000u, YELLOW = 0xFFFFFF00u, GREY = 0xFF808080u; // ARGB

struct Pixel {
    uint8_t b, g, r, a;
};

inline uint32_t Argb(const Pixel& p) { return uint32_t(p.a) << 24 | uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b; }

// Pixels of the frame being drawn (the screen texture) on a screen of the given size, rows top first.
inline std::vector<Pixel> ReadScreen(int32_t x, int32_t y, int32_t w, int32_t h, int32_t screenWidth = 640,
                                     int32_t screenHeight = 480)
{
    uint8_t* block = GR_Screen_ReadPixels(screenWidth, screenHeight, x, y, w, h);
    std::vector<Pixel> out;
    if (block == nullptr) return out;
    out.resize(size_t(w) * size_t(h));
    std::memcpy(out.data(), block, out.size() * 4);
    MemoryManager::Free(block);
    return out;
}

inline Pixel ScreenPixel(int32_t x, int32_t y)
{
    std::vector<Pixel> p = ReadScreen(x, y, 1, 1);
    return p.empty() ? Pixel{0, 0, 0, 0} : p[0];
}

inline uint32_t At(int32_t x, int32_t y) { return Argb(ScreenPixel(x, y)); }

// A point of the screen and the colour expected there.
struct Probe {
    int32_t x, y;
    uint32_t argb;
};

inline void ExpectProbes(const std::vector<Probe>& probes, const std::string& what = "")
{
    for (const Probe& p : probes) EXPECT_EQ(p.argb, At(p.x, p.y)) << what << " at " << p.x << ", " << p.y;
}

// An untextured rectangle through the batch (two triangles, 16-byte vertices, ARGB colour).
inline void FillRect(float left, float top, float right, float bottom, uint32_t argb)
{
    auto* v = static_cast<ColouredVertex*>(Graphics::AllocVerts(4, nullptr, 16, 6));
    const float corners[6][2] = {{left, top}, {right, top}, {right, bottom}, {right, bottom}, {left, bottom}, {left, top}};
    for (int i = 0; i < 6; ++i) v[i] = {corners[i][0], corners[i][1], 0, argb};
}

// A textured rectangle through the batch (24-byte vertices).
inline void DrawTexture(DeviceTexture* texture, float left, float top, float right, float bottom, float u0, float v0,
                        float u1, float v1, uint32_t argb = 0xFFFFFFFFu)
{
    auto* v = static_cast<TexturedVertex*>(Graphics::AllocVerts(4, texture, 24, 6));
    const float corners[6][4] = {{left, top, u0, v0},     {right, top, u1, v0},   {right, bottom, u1, v1},
                                 {right, bottom, u1, v1}, {left, bottom, u0, v1}, {left, top, u0, v0}};
    for (int i = 0; i < 6; ++i) v[i] = {corners[i][0], corners[i][1], 0, argb, corners[i][2], corners[i][3]};
}

using testsupport::LogCapture;

class DeviceTest : public ::testing::Test {
  protected:
    // Window and screen size, and the header's creation flags.
    virtual int32_t Width() const { return 640; }
    virtual int32_t Height() const { return 480; }
    virtual uint32_t Flags() const { return 0; }

    void SetUp() override
    {
        setenv("KELVARO_HEADLESS", "1", 1);
        TestSwitches_Reload();
        GR_3D_Start(false);
        g_CustomProjection = false;
        g_DrawDepth = 0.0f;
        GR_RenderState_Init();
        ASSERT_TRUE(CreateMainWindow(Width(), Height()));
        ASSERT_TRUE(GR_InitDevice(Width(), Height(), Flags()));
        ASSERT_NE(nullptr, GR_D3D_Device());
    }

    void TearDown() override
    {
        if (g_D3D.sceneDepth != 0) GR_EndFrame(false);
        GR_D3D_Shutdown();
        MainWindow_Destroy();
    }
};

} // namespace gltest
