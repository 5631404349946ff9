// The render-state cache of the 2D layer and the layer's device entry points: device creation and
// reset, frame start and end, screen size, viewport, the 2D view and projection and the screen
// read-backs. Drawing code never sets a device state directly: a setting only marks its slot dirty,
// and the dirty slots reach the device when the vertex batch is flushed.
#pragma once

#include <cstdint>

class IBitmap;

// Render-state slots (the system's numbers, mapped to device states by GR_D3D_SetRenderState).
enum : int32_t {
    RS_DEPTH_TEST = 1,
    RS_FILL_MODE = 2,
    RS_SHADE_MODE = 3,
    RS_DEPTH_WRITE = 4,
    RS_ALPHA_TEST = 5,
    RS_SOURCE_BLEND = 6,
    RS_DESTINATION_BLEND = 7,
    RS_CULL_MODE = 8,
    RS_ALPHA_REFERENCE = 10,
    RS_ALPHA_FUNCTION = 11,
    RS_ALPHA_BLEND = 12,
    RS_FOG = 13,
    RS_FOG_COLOUR = 15,
    RS_FOG_TABLE_MODE = 16,
    RS_FOG_START = 17,
    RS_FOG_END = 18,
    RS_RANGE_FOG = 20,
    RS_LIGHTING = 21,
    RS_FOG_VERTEX_MODE = 23,
    RS_COLOUR_WRITE = 24,
    RS_SLOT_COUNT = 25,
};
constexpr int32_t SAMPLER_SLOT_COUNT = 32;
// Sampler kinds: the two filters (0 linear, 1 point), the u and v addressing (0 wrap, 1 clamp).
enum : int32_t {
    SAMPLER_MAG_FILTER = 0,
    SAMPLER_MIN_FILTER = 1,
    SAMPLER_ADDRESS_U = 2,
    SAMPLER_ADDRESS_V = 3
};

struct RenderStateCache {
    uint32_t dirty = 0;
    uint32_t applied[RS_SLOT_COUNT] = {};
    uint32_t wanted[RS_SLOT_COUNT] = {};
    uint64_t samplerDirty = 0;
    uint32_t samplerApplied[SAMPLER_SLOT_COUNT] = {};
    uint32_t samplerWanted[SAMPLER_SLOT_COUNT] = {};
};
extern RenderStateCache g_RenderStateCache;

// The settings kept beside the cache.
struct RenderSettings {
    uint32_t sourceBlend = 5;
    uint32_t destinationBlend = 6;
    bool textureInterpolation = true;
    bool textureBlending = true;
    bool perspective = true;
    bool hiddenSurfaces = true;
    bool depthWrite = true;
    bool smoothShading = true;
    bool fog = false;
    uint32_t fogColour = 0; // ARGB
    float fogStart = 0.0f;
    float fogEnd = 1.0f;
    uint32_t colourWriteMask = 15;
    bool alphaTest = false;
    uint32_t alphaTestReference = 0;
    uint32_t alphaTestFunction = 5;
    bool textureRepeat = false;
    bool lighting = false;
    bool culling = false;
    int32_t screenWidth = 640;
    int32_t screenHeight = 480;
    int32_t viewport[4] = {0, 0, 0, 0}; // x, y, width, height; unset until a device takes one
    int32_t view[4] = {0, 0, 0, 0};     // the view rectangle of GR_SetViewProjection
    float viewAngle = 0.0f;
};
extern RenderSettings g_RenderSettings;

// 3D mode (kept by the 3D layer; read here for the projection and hidden surfaces).
extern bool g_3DMode;

// Both the cache and the settings at their start values (program start; tests).
void GR_RenderState_Init();

void GR_RenderStateCache_Set(int32_t slot, uint32_t value);
void GR_RenderStateCache_SetSampler(int32_t stage, int32_t kind, uint32_t value);
// True while a change waits for the next flush.
bool GR_RenderStateCache_Pending();
void GR_RenderStateCache_Flush();
void GR_RenderStateCache_ForceAll();

void GR_Draw_SetBlendModeExt(uint32_t source, uint32_t destination);
void GR_Draw_SetBlendMode(int32_t mode);
void GR_Draw_SetColourWriteEnable(bool red, bool green, bool blue, bool alpha);
void GR_Draw_SetAlphaTest(bool on);
bool GR_Draw_GetAlphaTest();
void GR_Draw_SetAlphaTestRef(uint32_t value);
uint32_t GR_Draw_GetAlphaTestRef();
void GR_Draw_SetAlphaTestFunction(uint32_t value);
void GR_3D_SetPerspective(bool on);
void GR_3D_SetHidden(bool on);
void GR_3D_SetZWriteEnable(bool on);
void GR_3D_SetCulling(bool on);
void GR_3D_SetLighting(bool on);
void GR_3D_SetShading(bool smooth);
void GR_3D_SetFog(bool on, uint32_t colourBGR, double start, double end);
void GR_Texture_SetInterpolation(bool on);
bool GR_Texture_GetInterpolation();
void GR_Texture_SetBlending(bool on);
void GR_Texture_SetRepeat(bool on);
bool GR_Texture_GetRepeat();

// Re-applies every setting to the device ("D3D Settings Init"); texture interpolation goes back
// to the game's option.
void GR_ApplyDefaults();

bool GR_InitDevice(int32_t width, int32_t height, uint32_t flags);
bool GR_Reset();
void GR_SetScreenSize(int32_t width, int32_t height);
void GR_GetScreenSize(int32_t* width, int32_t* height);
void GR_SetViewport(int32_t x, int32_t y, int32_t width, int32_t height);
void GR_SetViewProjection(int32_t x, int32_t y, int32_t width, int32_t height, double angle);
// The pixel centres of the viewport in room units, for tiled draws (Graphics_TextureDraw.h); nothing
// known (counts of 0) unless the transforms in force are the unturned flat ones GR_SetViewProjection
// set, with no world transform. Both pixel-centre conventions are listed: whole and half pixels.
struct TilePixels;
void GR_ViewTilePixels(TilePixels* pixels);
bool GR_StartFrame();
bool GR_EndFrame(bool present, bool later = false); // `later` as GR_D3D_Present's
IBitmap* GR_Screen_CreateBitmap(int32_t x, int32_t y, int32_t width, int32_t height);
uint32_t GR_Draw_GetPixel(int32_t x, int32_t y);
