// The vertex batch under load: 100,000 textured quads a frame written through Graphics::AllocVerts,
// flushed, copied to the back buffer and presented on the OpenGL device (headless: the offscreen
// video driver and Mesa's llvmpipe). Prints draw calls and milliseconds per frame, and how much of
// a frame goes to filling the batch.
//     bench_batch [frames] [quads]
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_RenderState.h"
#include "platform/Platform_TestSwitches.h"

namespace {

struct Vertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void WriteQuads(DeviceTexture* texture, int32_t quads, int32_t frame)
{
    for (int32_t i = 0; i < quads; ++i) {
        auto* v = static_cast<Vertex*>(Graphics::AllocVerts(4, texture, 24, 6));
        float x = float((i * 7 + frame) % 620);
        float y = float((i * 13) % 460);
        uint32_t c = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
        v[0] = {x, y, 0, c, 0, 0};
        v[1] = {x + 16, y, 0, c, 0.25f, 0};
        v[2] = {x + 16, y + 16, 0, c, 0.25f, 0.25f};
        v[3] = v[2];
        v[4] = {x, y + 16, 0, c, 0, 0.25f};
        v[5] = v[0];
    }
}

} // namespace

int main(int argc, char** argv)
{
    int32_t frames = argc > 1 ? std::atoi(argv[1]) : 30;
    int32_t quads = argc > 2 ? std::atoi(argv[2]) : 100000;
    setenv("KELVARO_HEADLESS", "1", 0);
    TestSwitches_Reload();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "no video: %s\n", SDL_GetError());
        return 1;
    }
    GR_RenderState_Init();
    if (!GR_InitDevice(640, 480, 0)) {
        std::fprintf(stderr, "no device\n");
        return 1;
    }
    std::vector<uint32_t> pixels(16 * 16, 0xFFFFFFFFu);
    DeviceTextureInfo info;
    DeviceTexture* texture = GR_Texture_CreateFromPixels(pixels.data(), 16, 16, &info);

    double fillTotal = 0;
    double frameTotal = 0;
    int32_t drawCalls = 0;
    for (int32_t frame = -3; frame < frames; ++frame) { // three frames to warm up
        Clock::time_point start = Clock::now();
        GR_StartFrame();
        WriteQuads(texture, quads, frame);
        Clock::time_point filled = Clock::now();
        Graphics::Flush();
        drawCalls = g_BatchStatistics.drawCalls;
        GR_EndFrame(true);
        Clock::time_point end = Clock::now();
        if (frame < 0) continue;
        fillTotal += Milliseconds(filled - start);
        frameTotal += Milliseconds(end - start);
    }
    std::printf("quads per frame      %d\n", quads);
    std::printf("draw calls per frame %d\n", drawCalls);
    std::printf("ms per frame         %.2f\n", frameTotal / frames);
    std::printf("ms filling the batch %.2f\n", fillTotal / frames);
    GR_Texture_Free(texture);
    GR_D3D_Shutdown();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return 0;
}
