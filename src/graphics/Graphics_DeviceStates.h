// The thin layer under the 2D and 3D drawing code: the transforms and their products, the system's
// own render-state and sampler numbers translated into device states through a shadow that drops
// repeated values, clearing, and read-backs of the screen and of surfaces.
#pragma once

#include <cstdint>

#include "graphics/Graphics_DeviceApi.h"

struct DeviceTexture;
class IBitmap;

enum : int32_t {
    MATRIX_VIEW = 0,
    MATRIX_PROJECTION = 1,
    MATRIX_WORLD = 2,
    MATRIX_WORLD_VIEW = 3,
    MATRIX_WORLD_VIEW_PROJECTION = 4,
    MATRIX_COUNT = 5,
};

extern D3DMatrix g_D3DMatrices[MATRIX_COUNT];
// The half-pixel factors (1 unless a view scales the room).
extern float g_HalfPixelX;
extern float g_HalfPixelY;
// Kept as the states are set (numbers 1, 13 and 21).
extern bool g_D3DDepthFlag;
extern bool g_D3DFogFlag;
extern bool g_D3DLightingFlag;
extern uint32_t g_D3DCullValue;

// The current room as the projection sees it: its size and, when it uses views and its current
// view is visible, that view's view and port sizes.
struct DeviceRoomView {
    bool hasRoom = false;
    int32_t width = 0;
    int32_t height = 0;
    bool viewVisible = false;
    int32_t viewWidth = 0;
    int32_t viewHeight = 0;
    int32_t portWidth = 0;
    int32_t portHeight = 0;
};
using DeviceRoomReader = void (*)(DeviceRoomView* view);
// Tests read rooms of their own; null restores the rooms' reader.
void GR_D3D_SetRoomReader(DeviceRoomReader reader);

// The half-pixel factors and the size they divide by, for a room (or none).
void GR_D3D_HalfPixelFactors(const DeviceRoomView& room, float* sx, float* sy, int32_t* width,
                             int32_t* height);

void GR_D3D_GetTransform(int32_t index, D3DMatrix* matrix);
// A projection takes the half-pixel shift, and sets the drawing offset (Graphics_Draw.h) with it.
void GR_D3D_SetTransform(int32_t index, const D3DMatrix* matrix);
void GR_D3D_Clear(uint32_t colour, float depth, uint32_t stencil, uint32_t flags);

void GR_D3D_SetRenderState(int32_t number, uint32_t value);
void GR_D3D_SetSamplerSetting(int32_t stage, int32_t kind, uint32_t value);
void GR_D3D_ApplyDefaultStates();
void GR_D3D_SetDeviceRenderState(int32_t state, uint32_t value);
void GR_D3D_SetSamplerState(int32_t stage, int32_t state, uint32_t value);
void GR_D3D_CaptureRenderStates();
void GR_D3D_RestoreRenderStates();
// Forgets what the shadows hold, as after a device's creation or reset (the device is at its
// defaults again).
void GR_D3D_ClearShadows();
// 1 table fog, 2 vertex fog, 0 none.
int32_t GR_D3D_GetFogSupport();

// Read-backs: width x height x 4 bytes (memory manager; blue, green, red, alpha; top row first), or
// null.
uint8_t* GR_Screen_ReadPixels(int32_t screenWidth, int32_t screenHeight, int32_t x, int32_t y, int32_t width,
                              int32_t height);
uint8_t* GR_Surface_ReadPixels(DeviceTexture* texture, int32_t x, int32_t y, int32_t width, int32_t height);
// A new 32-bit bitmap of width x height holding a read-back's pixels, which it frees; with no
// pixels the bitmap is left as made.
IBitmap* GR_BitmapFromReadBack(uint8_t* pixels, int32_t width, int32_t height);
// Where a read-back of part of a rectangle lies in it.
struct ReadBackPart {
    int32_t x, y, width, height;
};
// The same with pixels of part.width x part.height put in place at (part.x, part.y); the rest of the
// bitmap is transparent black. A part that does not fit leaves the bitmap as made.
IBitmap* GR_BitmapFromReadBack(uint8_t* pixels, int32_t width, int32_t height, const ReadBackPart& part);
void GR_Surface_CopyRegion(DeviceTexture* destination, int32_t dx, int32_t dy, DeviceTexture* source,
                           int32_t sx, int32_t sy, int32_t width, int32_t height);
