#include "graphics/Graphics_DeviceStates.h"

#include <algorithm>
#include <cstring>

#include "base/Base_Maths.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_DeviceServices.h"
#include "graphics/Graphics_Shader.h"
#include "platform/Platform_Bitmap.h"
#include "platform/Platform_MemoryManager.h"

D3DMatrix g_D3DMatrices[MATRIX_COUNT] = {};
float g_HalfPixelX = 1.0f;
float g_HalfPixelY = 1.0f;
bool g_D3DDepthFlag = false;
bool g_D3DFogFlag = false;
bool g_D3DLightingFlag = false;
uint32_t g_D3DCullValue = 0;

namespace {

uint32_t g_RenderShadow[D3D_RENDER_STATE_COUNT] = {};
uint32_t g_SamplerShadow[D3D_SAMPLER_COUNT][D3D_SAMPLER_STATE_COUNT] = {};
uint32_t g_SavedRenderStates[D3D_RENDER_STATE_COUNT] = {};
DeviceRoomReader g_RoomReader = nullptr;

// The size 640 x 480 stands for the room when there is none.
constexpr int32_t NO_ROOM_WIDTH = 640;
constexpr int32_t NO_ROOM_HEIGHT = 480;

uint32_t FloatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

void MatrixProduct(D3DMatrix& out, const D3DMatrix& a, const D3DMatrix& b)
{
    Matrix result;
    Matrix left;
    Matrix right;
    std::memcpy(left.m, a.m, sizeof(left.m));
    std::memcpy(right.m, b.m, sizeof(right.m));
    Matrix::Multiply(result, left, right);
    std::memcpy(out.m, result.m, sizeof(out.m));
}

// A factor of a view that scales the room: 1 at scale 1, 0 once the scale is 1.01 or more.
float ScaleFactor(int32_t port, int32_t view)
{
    if (port <= 0 || view <= 0) return 1.0f;
    double a = double(std::max(port, view)) / double(std::min(port, view));
    double factor = (0.01 - (a - 1.0)) / 0.01;
    return factor < 0.0 ? 0.0f : float(factor);
}

// The system's values of a blend factor: 2..17 are the device's own numbers, anything else zero.
uint32_t BlendValue(uint32_t value)
{
    return value >= 2 && value <= 17 ? value : D3DBLEND_ZERO;
}

uint32_t FogModeValue(uint32_t value)
{
    return value <= 2 ? value : D3DFOG_LINEAR;
}

// The drawing offset for a projection that has just taken the half-pixel shift (x and y in clip
// units): the same shift back in drawing units, so that points, lines and outlines at whole
// coordinates land on pixel centres. A perspective projection has no single such amount: none.
void SetDrawOffset(const D3DMatrix& projection, float shiftX, float shiftY)
{
    bool orthographic = projection.m[15] != 0.0f && projection.m[3] == 0.0f && projection.m[7] == 0.0f;
    g_DrawOffsetX = orthographic && projection.m[0] != 0.0f ? shiftX / projection.m[0] : 0.0f;
    g_DrawOffsetY = orthographic && projection.m[5] != 0.0f ? -shiftY / projection.m[5] : 0.0f;
}

} // namespace

void GR_D3D_SetRoomReader(DeviceRoomReader reader)
{
    g_RoomReader = reader;
}

void GR_D3D_HalfPixelFactors(const DeviceRoomView& room, float* sx, float* sy, int32_t* width,
                             int32_t* height)
{
    *sx = 1.0f;
    *sy = 1.0f;
    *width = room.hasRoom ? room.width : NO_ROOM_WIDTH;
    *height = room.hasRoom ? room.height : NO_ROOM_HEIGHT;
    if (!room.hasRoom || !room.viewVisible) return;
    *width = room.portWidth;
    *height = room.portHeight;
    *sx = ScaleFactor(room.portWidth, room.viewWidth);
    *sy = ScaleFactor(room.portHeight, room.viewHeight);
}

void GR_D3D_GetTransform(int32_t index, D3DMatrix* matrix)
{
    if (index >= 0 && index < MATRIX_COUNT && matrix != nullptr) *matrix = g_D3DMatrices[index];
}

void GR_D3D_SetTransform(int32_t index, const D3DMatrix* matrix)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || matrix == nullptr || index < MATRIX_VIEW || index > MATRIX_WORLD) return;
    Graphics::Flush();
    D3DMatrix m = *matrix;
    if (index == MATRIX_PROJECTION) {
        DeviceRoomView room;
        if (g_RoomReader != nullptr)
            g_RoomReader(&room);
        else
            Room_CurrentViewForDevice(&room);
        int32_t width = 0;
        int32_t height = 0;
        GR_D3D_HalfPixelFactors(room, &g_HalfPixelX, &g_HalfPixelY, &width, &height);
        // A zero-sized port gives no offset rather than an infinite one.
        float shiftX = width > 0 ? g_HalfPixelX / float(width) : 0.0f;
        float shiftY = height > 0 ? g_HalfPixelY / float(height) : 0.0f;
        m.m[12] -= shiftX;
        m.m[13] += shiftY;
        SetDrawOffset(m, shiftX, shiftY);
    }
    g_D3DMatrices[index] = m;
    MatrixProduct(g_D3DMatrices[MATRIX_WORLD_VIEW], g_D3DMatrices[MATRIX_WORLD], g_D3DMatrices[MATRIX_VIEW]);
    MatrixProduct(g_D3DMatrices[MATRIX_WORLD_VIEW_PROJECTION], g_D3DMatrices[MATRIX_WORLD_VIEW],
                  g_D3DMatrices[MATRIX_PROJECTION]);
    static const int32_t KINDS[] = {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_WORLD};
    device->SetTransform(KINDS[index], &m);
    Shader_WriteMatrices();
}

void GR_D3D_Clear(uint32_t colour, float, uint32_t, uint32_t flags)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || flags == 0) return;
    // Red comes in the low byte; the device wants it in the third.
    device->Clear(flags & 7u, GR_SwapRedBlue(colour), 1.0f, 0);
}

void GR_D3D_SetDeviceRenderState(int32_t state, uint32_t value)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || state < 0 || state >= D3D_RENDER_STATE_COUNT) return;
    if (g_RenderShadow[state] == value) return;
    g_RenderShadow[state] = value;
    device->SetRenderState(state, value);
}

void GR_D3D_SetSamplerState(int32_t stage, int32_t state, uint32_t value)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || stage < 0 || stage >= D3D_SAMPLER_COUNT || state < 0 ||
        state >= D3D_SAMPLER_STATE_COUNT)
        return;
    if (g_SamplerShadow[stage][state] == value) return;
    g_SamplerShadow[stage][state] = value;
    device->SetSamplerState(stage, state, value);
}

void GR_D3D_SetRenderState(int32_t number, uint32_t value)
{
    switch (number) {
    case 1:
        g_D3DDepthFlag = value != 0;
        GR_D3D_SetDeviceRenderState(D3DRS_ZENABLE, value);
        break;
    case 2:
        GR_D3D_SetDeviceRenderState(D3DRS_FILLMODE, value == 1   ? D3DFILL_POINT
                                                    : value == 2 ? D3DFILL_WIREFRAME
                                                                 : D3DFILL_SOLID);
        break;
    case 3:
        GR_D3D_SetDeviceRenderState(D3DRS_SHADEMODE, value == 1 ? D3DSHADE_FLAT : D3DSHADE_GOURAUD);
        break;
    case 4:
        GR_D3D_SetDeviceRenderState(D3DRS_ZWRITEENABLE, value);
        break;
    case 5:
        GR_D3D_SetDeviceRenderState(D3DRS_ALPHATESTENABLE, value);
        break;
    case 6:
        GR_D3D_SetDeviceRenderState(D3DRS_SRCBLEND, BlendValue(value));
        break;
    case 7:
        GR_D3D_SetDeviceRenderState(D3DRS_DESTBLEND, BlendValue(value));
        break;
    case 8:
        g_D3DCullValue = value;
        GR_D3D_SetDeviceRenderState(D3DRS_CULLMODE, value == 1   ? D3DCULL_CW
                                                    : value == 2 ? D3DCULL_CCW
                                                                 : D3DCULL_NONE);
        break;
    case 10:
        GR_D3D_SetDeviceRenderState(D3DRS_ALPHAREF, value);
        break;
    case 11:
        GR_D3D_SetDeviceRenderState(D3DRS_ALPHAFUNC, value >= 1 && value <= 7 ? value : D3DCMP_ALWAYS);
        break;
    case 12:
        GR_D3D_SetDeviceRenderState(D3DRS_ALPHABLENDENABLE, value);
        break;
    case 13:
        g_D3DFogFlag = value != 0;
        GR_D3D_SetDeviceRenderState(D3DRS_FOGENABLE, value);
        break;
    case 15:
        GR_D3D_SetDeviceRenderState(D3DRS_FOGCOLOR, value);
        break;
    case 16:
        GR_D3D_SetDeviceRenderState(D3DRS_FOGTABLEMODE, FogModeValue(value));
        break;
    case 17:
        GR_D3D_SetDeviceRenderState(D3DRS_FOGSTART, value);
        break;
    case 18:
        GR_D3D_SetDeviceRenderState(D3DRS_FOGEND, value);
        break;
    case 20:
        GR_D3D_SetDeviceRenderState(D3DRS_RANGEFOGENABLE, value);
        break;
    case 21:
        g_D3DLightingFlag = value != 0;
        GR_D3D_SetDeviceRenderState(D3DRS_LIGHTING, value);
        break;
    case 23:
        GR_D3D_SetDeviceRenderState(D3DRS_FOGVERTEXMODE, FogModeValue(value));
        break;
    case 24:
        GR_D3D_SetDeviceRenderState(D3DRS_COLORWRITEENABLE, value & 15u);
        break;
    default:
        break;
    }
}

void GR_D3D_SetSamplerSetting(int32_t stage, int32_t kind, uint32_t value)
{
    switch (kind) {
    case 0:
    case 1:
        GR_D3D_SetSamplerState(stage, kind == 0 ? D3DSAMP_MAGFILTER : D3DSAMP_MINFILTER,
                               int32_t(value) > 0 ? D3DTEXF_POINT : D3DTEXF_LINEAR);
        break;
    case 2:
    case 3:
        GR_D3D_SetSamplerState(stage, kind == 2 ? D3DSAMP_ADDRESSU : D3DSAMP_ADDRESSV,
                               value != 0 ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP);
        break;
    default:
        break;
    }
}

void GR_D3D_ApplyDefaultStates()
{
    GR_D3D_SetDeviceRenderState(D3DRS_LIGHTING, 1);
    GR_D3D_SetDeviceRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    GR_D3D_SetDeviceRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    GR_D3D_SetDeviceRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    GR_D3D_SetDeviceRenderState(D3DRS_ZWRITEENABLE, 1);
    GR_D3D_SetDeviceRenderState(D3DRS_ALPHATESTENABLE, 0);
    GR_D3D_SetDeviceRenderState(D3DRS_LASTPIXEL, 1);
    GR_D3D_SetDeviceRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    GR_D3D_SetDeviceRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    GR_D3D_SetDeviceRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    GR_D3D_SetDeviceRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    GR_D3D_SetDeviceRenderState(D3DRS_ALPHAREF, 128);
    GR_D3D_SetDeviceRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
    GR_D3D_SetDeviceRenderState(D3DRS_DITHERENABLE, 1);
    GR_D3D_SetDeviceRenderState(D3DRS_ALPHABLENDENABLE, 0);
    GR_D3D_SetDeviceRenderState(D3DRS_FOGENABLE, 0);
    GR_D3D_SetDeviceRenderState(D3DRS_SPECULARENABLE, 0);
    GR_D3D_SetDeviceRenderState(D3DRS_FOGCOLOR, 0);
    GR_D3D_SetDeviceRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    GR_D3D_SetDeviceRenderState(D3DRS_FOGSTART, FloatBits(0.0f));
    GR_D3D_SetDeviceRenderState(D3DRS_FOGEND, 1); // the raw value 1, not 1.0
    GR_D3D_SetDeviceRenderState(D3DRS_STENCILENABLE, 0);
    GR_D3D_SetDeviceRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    GR_D3D_SetDeviceRenderState(D3DRS_COLORWRITEENABLE, 15);
    GR_D3D_SetDeviceRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
}

void GR_D3D_CaptureRenderStates()
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr) return;
    for (int32_t state = 0; state < D3D_RENDER_STATE_COUNT - 1; ++state)
        device->GetRenderState(state, &g_SavedRenderStates[state]);
}

void GR_D3D_RestoreRenderStates()
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr) return;
    for (int32_t state = 0; state < D3D_RENDER_STATE_COUNT - 1; ++state) {
        device->SetRenderState(state, g_SavedRenderStates[state]);
        g_RenderShadow[state] = g_SavedRenderStates[state];
    }
}

void GR_D3D_ClearShadows()
{
    std::memset(g_RenderShadow, 0, sizeof(g_RenderShadow));
    std::memset(g_SamplerShadow, 0, sizeof(g_SamplerShadow));
}

int32_t GR_D3D_GetFogSupport()
{
    if ((g_D3D.caps.rasterCaps & D3DPRASTERCAPS_FOGTABLE) != 0) return 1;
    if ((g_D3D.caps.rasterCaps & D3DPRASTERCAPS_FOGVERTEX) != 0) return 2;
    return 0;
}

namespace {

// Copies `width` x `height` pixels at (x, y) of a surface into a new block through a lockable
// target of targetWidth x targetHeight.
uint8_t* ReadBack(D3DSurface* source, int32_t x, int32_t y, int32_t width, int32_t height,
                  int32_t targetWidth, int32_t targetHeight)
{
    D3DDevice* device = GR_D3D_Device();
    D3DSurface* target = nullptr;
    if (device->CreateRenderTarget(targetWidth, targetHeight, D3DFMT_A8R8G8B8, 0, true, &target) != D3D_OK)
        return nullptr;
    // Only the part inside the source is copied; the rest of the target stays unread.
    D3DRect from = {x, y, x + width, y + height};
    D3DRect to = {0, 0, width, height};
    uint8_t* block = nullptr;
    D3DLockedRect locked;
    if (device->StretchRect(source, &from, target, &to, D3DTEXF_POINT) == D3D_OK &&
        target->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
        block = static_cast<uint8_t*>(MEM_ALLOC(size_t(width) * size_t(height) * 4, false));
        for (int32_t row = 0; row < height; ++row)
            std::memcpy(block + size_t(row) * size_t(width) * 4,
                        static_cast<const uint8_t*>(locked.bits) + size_t(row) * size_t(locked.pitch),
                        size_t(width) * 4);
        target->UnlockRect();
    }
    target->Release();
    return block;
}

int32_t RoundUpTo8(int32_t value)
{
    return (value + 7) & ~7;
}

} // namespace

uint8_t* GR_Screen_ReadPixels(int32_t screenWidth, int32_t screenHeight, int32_t x, int32_t y, int32_t width,
                              int32_t height)
{
    DeviceTexture* screen = g_D3D.screenTexture;
    if (GR_D3D_Device() == nullptr || screen == nullptr || screen->renderTarget == nullptr) return nullptr;
    Graphics::Flush();
    x = std::max(x, 0);
    y = std::max(y, 0);
    int32_t right = std::min(screenWidth, DeviceTexture_Width(screen));
    int32_t bottom = std::min(screenHeight, DeviceTexture_Height(screen));
    width = std::min(width, right - x);
    height = std::min(height, bottom - y);
    if (width <= 0 || height <= 0) return nullptr;
    return ReadBack(screen->renderTarget, x, y, width, height, RoundUpTo8(width), RoundUpTo8(height));
}

uint8_t* GR_Surface_ReadPixels(DeviceTexture* texture, int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (GR_D3D_Device() == nullptr || texture == nullptr || texture->renderTarget == nullptr) return nullptr;
    Graphics::Flush();
    x = std::max(x, 0);
    y = std::max(y, 0);
    width = std::min(width, DeviceTexture_Width(texture) - x);
    height = std::min(height, DeviceTexture_Height(texture) - y);
    if (width <= 0 || height <= 0) return nullptr;
    return ReadBack(texture->renderTarget, x, y, width, height, width, height);
}

void GR_Surface_CopyRegion(DeviceTexture* destination, int32_t dx, int32_t dy, DeviceTexture* source,
                           int32_t sx, int32_t sy, int32_t width, int32_t height)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || destination == nullptr || source == nullptr ||
        destination->renderTarget == nullptr || source->renderTarget == nullptr)
        return;
    // A destination left of or above the surface copies nothing (tested first: the widths below
    // would overflow for a far negative place).
    if (dx < 0 || dy < 0) return;
    sx = std::max(sx, 0);
    sy = std::max(sy, 0);
    width = std::min({width, DeviceTexture_Width(source) - sx, DeviceTexture_Width(destination) - dx});
    height = std::min({height, DeviceTexture_Height(source) - sy, DeviceTexture_Height(destination) - dy});
    if (width <= 0 || height <= 0) return;
    Graphics::Flush();
    D3DRect from = {sx, sy, sx + width, sy + height};
    D3DRect to = {dx, dy, dx + width, dy + height};
    device->StretchRect(source->renderTarget, &from, destination->renderTarget, &to, D3DTEXF_LINEAR);
    destination->flags |= DEVICE_TEXTURE_TARGET_NEWER;
}

IBitmap* GR_BitmapFromReadBack(uint8_t* pixels, int32_t width, int32_t height)
{
    return GR_BitmapFromReadBack(pixels, width, height, ReadBackPart{0, 0, width, height});
}

IBitmap* GR_BitmapFromReadBack(uint8_t* pixels, int32_t width, int32_t height, const ReadBackPart& part)
{
    TBitmap* bitmap = TBitmap_Create();
    bitmap->SetPixelFormat(BITMAP_FORMAT_32BIT);
    bitmap->SetWidth(width);
    bitmap->SetHeight(height);
    bool fits = part.x >= 0 && part.y >= 0 && part.width > 0 && part.height > 0 && part.width <= width - part.x &&
                part.height <= height - part.y;
    if (pixels != nullptr && fits) {
        size_t rowBytes = size_t(part.width) * 4;
        for (int32_t row = 0; row < part.height; ++row) {
            uint8_t* line = nullptr;
            int32_t stride = 0;
            bitmap->GetScanline(part.y + row, &line, &stride);
            if (line != nullptr) std::memcpy(line + size_t(part.x) * 4, pixels + size_t(row) * rowBytes, rowBytes);
        }
        bitmap->Unlock();
    }
    MemoryManager::Free(pixels);
    return bitmap;
}
