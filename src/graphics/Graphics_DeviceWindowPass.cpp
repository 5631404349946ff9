// The window-space pass (drawing in the window's own pixels, used by the overlay and by the copy of
// the screen texture to the back buffer) and a textured quad drawn outside the batch.
#include <cstring>

#include "base/Base_Maths.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceServices.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_RenderState.h"

namespace {

struct WindowPassState {
    D3DMatrix view;
    D3DMatrix projection;
    float drawOffsetX; // set with the projection, so kept with it
    float drawOffsetY;
    bool depth;
    bool lighting;
    bool fog;
    uint32_t cull;
};
WindowPassState g_Saved;

struct QuadVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 24, "the quad uses the 24-byte layout");

D3DMatrix Translation(float x, float y, float z)
{
    return D3DMatrix{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}};
}

// Puts a kept matrix back as it was: its half-pixel offset is already in it.
void RestoreTransform(int32_t index, const D3DMatrix& matrix)
{
    static const int32_t KINDS[] = {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_WORLD};
    g_D3DMatrices[index] = matrix;
    if (GR_D3D_Device() != nullptr) GR_D3D_Device()->SetTransform(KINDS[index], &matrix);
    // The products follow through an unchanged world.
    D3DMatrix world = g_D3DMatrices[MATRIX_WORLD];
    GR_D3D_SetTransform(MATRIX_WORLD, &world);
}

} // namespace

void GR_D3D_PushWindowOrtho()
{
    g_Saved = WindowPassState{g_D3DMatrices[MATRIX_VIEW],
                              g_D3DMatrices[MATRIX_PROJECTION],
                              g_DrawOffsetX,
                              g_DrawOffsetY,
                              g_D3DDepthFlag,
                              g_D3DLightingFlag,
                              g_D3DFogFlag,
                              g_D3DCullValue};
    int32_t w = GR_Window_GetWidth();
    int32_t h = GR_Window_GetHeight();
    if (w <= 0 || h <= 0) return;
    D3DMatrix view = Translation(float(-(w / 2)) - 1.0f / float(w), 1.0f / float(h) - float(h / 2), 16000.0f);
    GR_D3D_SetTransform(MATRIX_VIEW, &view);
    Matrix ortho;
    Matrix::Ortho(ortho, double(w), -double(h), 1.0, 32000.0);
    D3DMatrix projection;
    std::memcpy(projection.m, ortho.m, sizeof(projection.m));
    GR_D3D_SetTransform(MATRIX_PROJECTION, &projection);
    GR_D3D_SetRenderState(RS_CULL_MODE, 0);
    GR_D3D_SetRenderState(RS_DEPTH_TEST, 0);
    GR_D3D_SetRenderState(RS_LIGHTING, 0);
    GR_D3D_SetRenderState(RS_FOG, 0);
    D3DMatrix identity = Translation(0.0f, 0.0f, 0.0f);
    GR_D3D_SetTransform(MATRIX_WORLD, &identity);
    GR_D3D_SetRenderState(RS_ALPHA_BLEND, 1);
    GR_Texture_SetStage(g_BatchTextureStage, Profiler_DebugFontTexture());
}

void GR_D3D_PopWindowOrtho()
{
    GR_Texture_SetStage(g_BatchTextureStage, nullptr);
    GR_D3D_SetRenderState(RS_ALPHA_BLEND, 1);
    GR_D3D_SetRenderState(RS_CULL_MODE, g_Saved.cull);
    GR_D3D_SetRenderState(RS_DEPTH_TEST, g_Saved.depth ? 1 : 0);
    GR_D3D_SetRenderState(RS_LIGHTING, g_Saved.lighting ? 1 : 0);
    GR_D3D_SetRenderState(RS_FOG, g_Saved.fog ? 1 : 0);
    RestoreTransform(MATRIX_PROJECTION, g_Saved.projection);
    g_DrawOffsetX = g_Saved.drawOffsetX;
    g_DrawOffsetY = g_Saved.drawOffsetY;
    RestoreTransform(MATRIX_VIEW, g_Saved.view);
    // The pass ends every presented frame: the script's interpolation choice outlives it, as the
    // present's own save and restore of the flag mean it to.
    bool interpolation = GR_Texture_GetInterpolation();
    GR_ApplyDefaults();
    GR_Texture_SetInterpolation(interpolation);
}

void GR_D3D_DrawTexturedQuad(DeviceTexture* texture, float left, float top, float right, float bottom,
                             float textureLeft, float textureTop, float textureRight, float textureBottom,
                             uint32_t colour)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr) return;
    Graphics::Flush(); // the settings made for the quad reach the device first
    GR_Texture_SetStage(0, texture);
    const QuadVertex quad[4] = {
        {left, top, 0.0f, colour, textureLeft, textureTop},
        {right, top, 0.0f, colour, textureRight, textureTop},
        {right, bottom, 0.0f, colour, textureRight, textureBottom},
        {left, bottom, 0.0f, colour, textureLeft, textureBottom},
    };
    device->SetFVF(0x142);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(QuadVertex));
}
