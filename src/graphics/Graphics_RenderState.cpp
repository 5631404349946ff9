#include "graphics/Graphics_RenderState.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "base/Base_Console.h"
#include "base/Base_Maths.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceServices.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_DisplayModes.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TextureDraw.h"
#include "platform/Platform_Bitmap.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_MessageBox.h"

namespace {

uint32_t g_FogColourBGR = 0;

uint32_t FloatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

// The values the cache believes the device holds at start.
RenderStateCache StartValues()
{
    RenderStateCache c;
    c.applied[RS_FILL_MODE] = 3;
    c.applied[RS_SHADE_MODE] = 1;
    c.applied[RS_DEPTH_WRITE] = 1;
    c.applied[RS_SOURCE_BLEND] = 5;
    c.applied[RS_DESTINATION_BLEND] = 6;
    c.applied[RS_ALPHA_REFERENCE] = 1;
    c.applied[RS_ALPHA_FUNCTION] = 5;
    c.applied[RS_ALPHA_BLEND] = 1;
    c.applied[RS_FOG_TABLE_MODE] = 1;
    c.applied[RS_FOG_START] = FloatBits(0.0f);
    c.applied[RS_FOG_END] = FloatBits(1.0f);
    c.applied[RS_FOG_VERTEX_MODE] = 3;
    c.applied[RS_COLOUR_WRITE] = 15;
    std::memcpy(c.wanted, c.applied, sizeof(c.applied));
    return c;
}

D3DMatrix ToD3D(const Matrix& m)
{
    D3DMatrix out;
    std::memcpy(out.m, m.m, sizeof(out.m));
    return out;
}

int32_t ClampToDisplay(int32_t value, int32_t display)
{
    return display > 0 ? std::min(value, display) : value;
}

} // namespace

RenderStateCache g_RenderStateCache = StartValues();
RenderSettings g_RenderSettings;

void GR_RenderState_Init()
{
    g_RenderStateCache = StartValues();
    g_RenderSettings = RenderSettings{};
    g_FogColourBGR = 0;
}

void GR_RenderStateCache_Set(int32_t slot, uint32_t value)
{
    RenderStateCache& c = g_RenderStateCache;
    if (slot < 0 || slot >= RS_SLOT_COUNT || c.wanted[slot] == value) return;
    if (c.applied[slot] != value)
        c.dirty |= 1u << slot;
    else
        c.dirty &= ~(1u << slot);
    c.wanted[slot] = value;
}

void GR_RenderStateCache_SetSampler(int32_t stage, int32_t kind, uint32_t value)
{
    RenderStateCache& c = g_RenderStateCache;
    int32_t slot = stage * 4 + kind;
    if (stage < 0 || kind < 0 || kind > 3 || slot >= SAMPLER_SLOT_COUNT || c.samplerWanted[slot] == value)
        return;
    if (c.samplerApplied[slot] != value)
        c.samplerDirty |= uint64_t(1) << slot;
    else
        c.samplerDirty &= ~(uint64_t(1) << slot);
    c.samplerWanted[slot] = value;
}

bool GR_RenderStateCache_Pending()
{
    return g_RenderStateCache.dirty != 0 || g_RenderStateCache.samplerDirty != 0;
}

void GR_RenderStateCache_Flush()
{
    RenderStateCache& c = g_RenderStateCache;
    for (int32_t slot = 0; c.dirty != 0 && slot < RS_SLOT_COUNT; ++slot) {
        if ((c.dirty & (1u << slot)) == 0) continue;
        GR_D3D_SetRenderState(slot, c.wanted[slot]);
        c.applied[slot] = c.wanted[slot];
    }
    c.dirty = 0;
    for (int32_t slot = 0; c.samplerDirty != 0 && slot < SAMPLER_SLOT_COUNT; ++slot) {
        if ((c.samplerDirty & (uint64_t(1) << slot)) == 0) continue;
        GR_D3D_SetSamplerSetting(slot / 4, slot % 4, c.samplerWanted[slot]);
        c.samplerApplied[slot] = c.samplerWanted[slot];
    }
    c.samplerDirty = 0;
}

void GR_RenderStateCache_ForceAll()
{
    static const int32_t SLOTS[] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 15, 16, 17, 18, 20, 21, 23, 24};
    for (int32_t slot : SLOTS)
        g_RenderStateCache.dirty |= 1u << slot;
    g_RenderStateCache.samplerDirty |= (uint64_t(1) << 10) - 1; // sampler slots 0 to 9
    GR_RenderStateCache_Flush();
}

void GR_Draw_SetBlendModeExt(uint32_t source, uint32_t destination)
{
    g_RenderSettings.sourceBlend = source;
    g_RenderSettings.destinationBlend = destination;
    GR_RenderStateCache_Set(RS_SOURCE_BLEND, source);
    GR_RenderStateCache_Set(RS_DESTINATION_BLEND, destination);
}

void GR_Draw_SetBlendMode(int32_t mode)
{
    switch (mode) {
    case 1:
        GR_Draw_SetBlendModeExt(5, 2);
        break; // add
    case 2:
        GR_Draw_SetBlendModeExt(5, 4);
        break; // max
    case 3:
        GR_Draw_SetBlendModeExt(1, 4);
        break; // subtract
    default:
        GR_Draw_SetBlendModeExt(5, 6);
        break;
    }
}

void GR_Draw_SetColourWriteEnable(bool red, bool green, bool blue, bool alpha)
{
    uint32_t mask = (red ? 1u : 0u) | (green ? 2u : 0u) | (blue ? 4u : 0u) | (alpha ? 8u : 0u);
    g_RenderSettings.colourWriteMask = mask;
    GR_RenderStateCache_Set(RS_COLOUR_WRITE, mask);
}

void GR_Draw_SetAlphaTest(bool on)
{
    if (GR_D3D_Device() == nullptr) return;
    g_RenderSettings.alphaTest = on;
    GR_RenderStateCache_Set(RS_ALPHA_TEST, on ? 1 : 0);
}

bool GR_Draw_GetAlphaTest()
{
    return g_RenderSettings.alphaTest;
}

void GR_Draw_SetAlphaTestRef(uint32_t value)
{
    g_RenderSettings.alphaTestReference = value;
    GR_RenderStateCache_Set(RS_ALPHA_REFERENCE, value);
}

uint32_t GR_Draw_GetAlphaTestRef()
{
    return g_RenderSettings.alphaTestReference;
}

void GR_Draw_SetAlphaTestFunction(uint32_t value)
{
    g_RenderSettings.alphaTestFunction = value;
    GR_RenderStateCache_Set(RS_ALPHA_FUNCTION, value);
}

void GR_3D_SetPerspective(bool on)
{
    g_RenderSettings.perspective = on;
}

void GR_3D_SetHidden(bool on)
{
    g_RenderSettings.hiddenSurfaces = on;
    GR_RenderStateCache_Set(RS_DEPTH_TEST, g_3DMode && on ? 1 : 0);
}

void GR_3D_SetZWriteEnable(bool on)
{
    g_RenderSettings.depthWrite = on;
    GR_RenderStateCache_Set(RS_DEPTH_WRITE, on ? 1 : 0);
}

void GR_3D_SetCulling(bool on)
{
    g_RenderSettings.culling = on;
    GR_RenderStateCache_Set(RS_CULL_MODE, on ? 2 : 0);
}

void GR_3D_SetLighting(bool on)
{
    g_RenderSettings.lighting = on;
    GR_RenderStateCache_Set(RS_LIGHTING, on ? 1 : 0);
}

void GR_3D_SetShading(bool smooth)
{
    g_RenderSettings.smoothShading = smooth;
    GR_RenderStateCache_Set(RS_SHADE_MODE, smooth ? 2 : 1);
}

void GR_3D_SetFog(bool on, uint32_t colourBGR, double start, double end)
{
    RenderSettings& s = g_RenderSettings;
    s.fog = on;
    g_FogColourBGR = colourBGR & 0xFFFFFFu;
    s.fogColour = GR_VertexColourFromByte(colourBGR, 0xFFu);
    s.fogStart = float(start);
    s.fogEnd = float(end);
    int32_t support = GR_D3D_GetFogSupport();
    if (support != 1 && support != 2) {
        s.fog = false;
        GR_RenderStateCache_Set(RS_FOG, 0);
        return;
    }
    if (!on) {
        GR_RenderStateCache_Set(RS_FOG, 0);
        return;
    }
    GR_RenderStateCache_Set(RS_FOG, 1);
    if (support == 1) {
        GR_RenderStateCache_Set(RS_FOG_TABLE_MODE, 3);
    } else {
        GR_RenderStateCache_Set(RS_FOG_VERTEX_MODE, 3);
        GR_RenderStateCache_Set(RS_RANGE_FOG, 1);
    }
    GR_RenderStateCache_Set(RS_FOG_COLOUR, s.fogColour);
    GR_RenderStateCache_Set(RS_FOG_START, FloatBits(s.fogStart));
    GR_RenderStateCache_Set(RS_FOG_END, FloatBits(s.fogEnd));
}

void GR_Texture_SetInterpolation(bool on)
{
    g_RenderSettings.textureInterpolation = on;
    GR_RenderStateCache_SetSampler(0, SAMPLER_MAG_FILTER, on ? 0 : 1);
    GR_RenderStateCache_SetSampler(0, SAMPLER_MIN_FILTER, on ? 0 : 1);
}

bool GR_Texture_GetInterpolation()
{
    return g_RenderSettings.textureInterpolation;
}

void GR_Texture_SetBlending(bool on)
{
    g_RenderSettings.textureBlending = on;
    Graphics::Flush();
    GR_Texture_SetBlendOps(on);
}

void GR_Texture_SetRepeat(bool on)
{
    g_RenderSettings.textureRepeat = on;
    GR_RenderStateCache_SetSampler(0, SAMPLER_ADDRESS_U, on ? 0 : 1);
    GR_RenderStateCache_SetSampler(0, SAMPLER_ADDRESS_V, on ? 0 : 1);
}

bool GR_Texture_GetRepeat()
{
    return g_RenderSettings.textureRepeat;
}

void GR_ApplyDefaults()
{
    if (GR_D3D_Device() == nullptr) return;
    const RenderSettings s = g_RenderSettings;
    GR_Texture_SetStage(0, nullptr);
    GR_D3D_ApplyDefaultStates();
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 1);
    GR_3D_SetCulling(s.culling);
    GR_Draw_SetBlendModeExt(s.sourceBlend, s.destinationBlend);
    GR_3D_SetLighting(s.lighting);
    GR_3D_SetShading(s.smoothShading);
    GR_3D_SetHidden(s.hiddenSurfaces);
    GR_3D_SetFog(s.fog, g_FogColourBGR, s.fogStart, s.fogEnd);
    GR_Texture_SetStage(0, nullptr);
    // The game's option (the screen-interpolation creation flag), not the script's last choice.
    GR_Texture_SetInterpolation(g_D3D.screenInterpolation);
    GR_Texture_SetBlending(s.textureBlending);
    GR_Texture_SetRepeat(s.textureRepeat);
    GR_RenderStateCache_Set(RS_COLOUR_WRITE, s.colourWriteMask);
    GR_Draw_SetAlphaTest(s.alphaTest);
    GR_Draw_SetAlphaTestRef(s.alphaTestReference);
    GR_Draw_SetAlphaTestFunction(s.alphaTestFunction);
    GR_RenderStateCache_ForceAll();
}

bool GR_InitDevice(int32_t width, int32_t height, uint32_t flags)
{
    RenderSettings& s = g_RenderSettings;
    s.screenWidth = ClampToDisplay(width, Display_GetWidth());
    s.screenHeight = ClampToDisplay(height, Display_GetHeight());
    int32_t depth = Display_GetColourDepth();
    if (depth != 16 && depth != 32) {
        ShowMessage(
            "This program requires 16-bit (High Color) or 32-bit (Full Color) mode. Please change this in "
            "your display properties and run again.");
        return false;
    }
    if (!GR_D3D_Init(DeviceWindow_Main(), s.screenWidth, s.screenHeight, flags)) return false;
    D3DMatrix identity;
    Matrix m;
    Matrix::Identity(m);
    identity = ToD3D(m);
    GR_D3D_SetTransform(MATRIX_WORLD, &identity);
    Texture_ResetTable();
    GR_ApplyDefaults();
    GR_D3D_Clear(0, 1.0f, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    if (GR_D3D_Device() != nullptr) {
        GR_SetViewport(0, 0, g_D3D.backBufferWidth, g_D3D.backBufferHeight);
        GR_SetViewProjection(0, 0, g_D3D.backBufferWidth, g_D3D.backBufferHeight, 0.0);
        Profiler_InitDevice();
    }
    return true;
}

bool GR_Reset()
{
    MainConsole->Output("Free all surfaces\n");
    Surface_FreeAll();
    MainConsole->Output("Graphics::Reset()\n");
    if (!GR_D3D_Reset()) return false;
    MainConsole->Output("Graphics::Clear()\n");
    GR_D3D_Clear(0, 1.0f, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    MainConsole->Output("D3D Settings Init\n");
    GR_ApplyDefaults();
    return true;
}

void GR_SetScreenSize(int32_t width, int32_t height)
{
    RenderSettings& s = g_RenderSettings;
    width = ClampToDisplay(width, Display_GetWidth());
    height = ClampToDisplay(height, Display_GetHeight());
    if (width == s.screenWidth && height == s.screenHeight) return;
    s.screenWidth = width;
    s.screenHeight = height;
    if (GR_D3D_Device() != nullptr) GR_SetViewport(0, 0, width, height);
    GR_SetViewProjection(0, 0, width, height, 0.0);
}

void GR_GetScreenSize(int32_t* width, int32_t* height)
{
    *width = g_RenderSettings.screenWidth;
    *height = g_RenderSettings.screenHeight;
}

void GR_SetViewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (GR_D3D_Device() == nullptr) return;
    int32_t* v = g_RenderSettings.viewport;
    v[0] = x;
    v[1] = y;
    v[2] = width;
    v[3] = height;
    GR_D3D_SetViewport(x, y, width, height);
}

namespace {
D3DMatrix g_ViewSet[2]; // the view and projection matrices as GR_SetViewProjection left them
} // namespace

void GR_SetViewProjection(int32_t x, int32_t y, int32_t width, int32_t height, double angle)
{
    RenderSettings& s = g_RenderSettings;
    s.view[0] = x;
    s.view[1] = y;
    s.view[2] = width;
    s.view[3] = height;
    s.viewAngle = float(angle);
    float cx = float(x + width / 2.0);
    float cy = float(y + height / 2.0);
    double a = -angle * MATHS_DEGREES_TO_RADIANS;
    Vec3 up = {float(std::sin(a)), float(std::cos(a)), 0.0f};
    Vec3 at = {cx, cy, 0.0f};
    Matrix view;
    Matrix projection;
    if (g_3DMode && s.perspective) {
        Vec3 eye = {cx, cy, float(-width)};
        Matrix::LookAt(view, eye, at, up);
        Matrix::PerspectiveSize(projection, 1.0, double(height) / double(width), 1.0, 32000.0);
    } else {
        Vec3 eye = {cx, cy, -16000.0f};
        Matrix::LookAt(view, eye, at, up);
        Matrix::Ortho(projection, double(width), -double(height), 1.0, 32000.0);
    }
    D3DMatrix v = ToD3D(view);
    D3DMatrix p = ToD3D(projection);
    GR_D3D_SetTransform(MATRIX_VIEW, &v);
    GR_D3D_SetTransform(MATRIX_PROJECTION, &p);
    GR_D3D_GetTransform(MATRIX_VIEW, &g_ViewSet[0]);
    GR_D3D_GetTransform(MATRIX_PROJECTION, &g_ViewSet[1]);
}

void GR_ViewTilePixels(TilePixels* pixels)
{
    *pixels = TilePixels();
    const RenderSettings& s = g_RenderSettings;
    if ((g_3DMode && s.perspective) || s.viewAngle != 0.0f || s.viewport[2] <= 0 || s.viewport[3] <= 0) return;
    D3DMatrix now[3];
    GR_D3D_GetTransform(MATRIX_VIEW, &now[0]);
    GR_D3D_GetTransform(MATRIX_PROJECTION, &now[1]);
    GR_D3D_GetTransform(MATRIX_WORLD, &now[2]);
    Matrix identity;
    Matrix::Identity(identity);
    D3DMatrix plain = ToD3D(identity);
    if (std::memcmp(now, g_ViewSet, sizeof g_ViewSet) != 0 || std::memcmp(&now[2], &plain, sizeof plain) != 0) return;
    // Centres every half pixel, from the viewport's edge on.
    double xPitch = double(s.view[2]) / s.viewport[2];
    double yPitch = double(s.view[3]) / s.viewport[3];
    pixels->across = {s.view[0] - xPitch / 4.0, xPitch / 2.0, 2 * s.viewport[2] + 1};
    pixels->down = {s.view[1] - yPitch / 4.0, yPitch / 2.0, 2 * s.viewport[3] + 1};
}

bool GR_StartFrame()
{
    if (GR_D3D_Device() == nullptr) return false;
    return GR_D3D_BeginScene();
}

bool GR_EndFrame(bool present, bool later)
{
    if (GR_D3D_Device() == nullptr) return false;
    bool ok = GR_D3D_EndScene();
    if (present) {
        auto start = std::chrono::steady_clock::now();
        ok = GR_D3D_Present(later);
        auto taken = std::chrono::steady_clock::now() - start;
        g_D3D.presentTime = std::chrono::duration_cast<std::chrono::microseconds>(taken).count();
    } else {
        GR_D3D_SettlePicture();
    }
    return ok;
}

IBitmap* GR_Screen_CreateBitmap(int32_t x, int32_t y, int32_t width, int32_t height)
{
    x = std::max(x, 0);
    y = std::max(y, 0);
    // The read-back comes from the screen texture, so the rectangle also keeps inside it.
    int32_t limitWidth = g_D3D.backBufferWidth;
    int32_t limitHeight = g_D3D.backBufferHeight;
    if (g_D3D.screenTexture != nullptr) {
        limitWidth = std::min(limitWidth, DeviceTexture_Width(g_D3D.screenTexture));
        limitHeight = std::min(limitHeight, DeviceTexture_Height(g_D3D.screenTexture));
    }
    if (x + width > limitWidth) width = limitWidth - x;
    if (y + height > limitHeight) height = limitHeight - y;
    if (width < 1 || height < 1) return nullptr;
    return GR_BitmapFromReadBack(GR_Screen_ReadPixels(limitWidth, limitHeight, x, y, width, height), width,
                                 height);
}

uint32_t GR_Draw_GetPixel(int32_t x, int32_t y)
{
    if (x < 0 || y < 0) return 0;
    uint8_t* pixel = GR_Screen_ReadPixels(g_D3D.backBufferWidth, g_D3D.backBufferHeight, x, y, 1, 1);
    if (pixel == nullptr) return 0;
    uint32_t colour = uint32_t(pixel[2]) | (uint32_t(pixel[1]) << 8) | (uint32_t(pixel[0]) << 16);
    MemoryManager::Free(pixel);
    return colour;
}
