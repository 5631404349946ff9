// The vertices the 2D layer queued, read back from the recording device's buffers after a flush:
// one record per draw call with its primitive type, texture and vertices.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Graphics_FakeDevice.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Recorder.h"
#include "graphics/Graphics_Texture.h"

namespace capture {

struct Drawn {
    int32_t type = 0;
    uint32_t fvf = 0;
    const void* texture = nullptr; // the device's texture object on stage 0
    std::vector<TexturedVertex> v; // 24-byte layout
    std::vector<ColouredVertex> c; // 16-byte layout
    std::vector<RecorderVertex> lit; // 36-byte layout (3D vertices with normals)
    size_t Count() const { return fvf == 0x42 ? c.size() : v.size(); }
};

// The vertices of a draw's bytes in the layout of that stride.
template <typename Vertex>
void Read(std::vector<Vertex>& into, const std::vector<uint8_t>& bytes)
{
    into.resize(bytes.size() / sizeof(Vertex));
    std::memcpy(static_cast<void*>(into.data()), bytes.data(), into.size() * sizeof(Vertex));
}

// Flushes and reads every draw recorded since the log was last cleared.
inline std::vector<Drawn> Draws()
{
    Graphics::Flush();
    std::vector<Drawn> out;
    for (const fake::Draw& d : fake::Recorded().draws) {
        Drawn drawn;
        drawn.type = d.type;
        drawn.fvf = d.fvf;
        drawn.texture = d.texture;
        if (d.stride == 24)
            Read(drawn.v, d.bytes);
        else if (d.stride == 36)
            Read(drawn.lit, d.bytes);
        else
            Read(drawn.c, d.bytes);
        out.push_back(drawn);
    }
    fake::Recorded().draws.clear();
    return out;
}

// A device of its own with the drawing state at its start values.
class DrawTest : public fake::DeviceTest {
  protected:
    void SetUp() override
    {
        fake::DeviceTest::SetUp();
        GR_3D_Start(false);
        g_DrawDepth = 0.0f;
        g_DrawOffsetX = 0.0f;
        g_DrawOffsetY = 0.0f;
        GR_Draw_SetAlpha(1.0);
        GR_Draw_Set_Colour(0);
        GR_Draw_InitCirclePrecision();
        fake::Recorded().draws.clear();
    }
    // The start values again, for tests that run after these in the same process.
    void TearDown() override
    {
        GR_3D_Start(false);
        g_DrawDepth = 0.0f;
        Texture_FreeAll();
        fake::DeviceTest::TearDown();
        g_BatchStatistics = BatchStatistics{};
    }
};

} // namespace capture
