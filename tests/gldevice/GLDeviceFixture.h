// A device on a hidden main window of the offscreen video driver, made for each test (each test
// runs in a process of its own), with helpers that draw through the batch and read pixels back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_VertexFormat.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Window.h"

namespace gltest {

struct Pixel {
    uint8_t b, g, r, a;
};

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

    // Pixels of the frame being drawn (the screen texture), rows top first.
    std::vector<Pixel> ReadScreen(int32_t x, int32_t y, int32_t w, int32_t h)
    {
        uint8_t* block = GR_Screen_ReadPixels(Width(), Height(), x, y, w, h);
        std::vector<Pixel> out;
        if (block == nullptr) return out;
        out.resize(size_t(w) * size_t(h));
        std::memcpy(out.data(), block, out.size() * 4);
        MemoryManager::Free(block);
        return out;
    }

    Pixel ScreenPixel(int32_t x, int32_t y)
    {
        std::vector<Pixel> p = ReadScreen(x, y, 1, 1);
        return p.empty() ? Pixel{0, 0, 0, 0} : p[0];
    }

    // An untextured rectangle through the batch (two triangles, 16-byte vertices, ARGB colour).
    static void FillRect(float left, float top, float right, float bottom, uint32_t argb)
    {
        struct V {
            float x, y, z;
            uint32_t c;
        };
        auto* v = static_cast<V*>(Graphics::AllocVerts(4, nullptr, 16, 6));
        v[0] = {left, top, 0, argb};
        v[1] = {right, top, 0, argb};
        v[2] = {right, bottom, 0, argb};
        v[3] = {right, bottom, 0, argb};
        v[4] = {left, bottom, 0, argb};
        v[5] = {left, top, 0, argb};
    }

    // A textured rectangle through the batch (24-byte vertices).
    static void DrawTexture(DeviceTexture* texture, float left, float top, float right, float bottom,
                            float u0, float v0, float u1, float v1, uint32_t argb = 0xFFFFFFFFu)
    {
        struct V {
            float x, y, z;
            uint32_t c;
            float u, v;
        };
        auto* v = static_cast<V*>(Graphics::AllocVerts(4, texture, 24, 6));
        v[0] = {left, top, 0, argb, u0, v0};
        v[1] = {right, top, 0, argb, u1, v0};
        v[2] = {right, bottom, 0, argb, u1, v1};
        v[3] = {right, bottom, 0, argb, u1, v1};
        v[4] = {left, bottom, 0, argb, u0, v1};
        v[5] = {left, top, 0, argb, u0, v0};
    }
};

inline uint32_t Argb(const Pixel& p)
{
    return uint32_t(p.a) << 24 | uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b;
}

} // namespace gltest
