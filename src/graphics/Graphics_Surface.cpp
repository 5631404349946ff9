#include "graphics/Graphics_Surface.h"

#include <algorithm>
#include <cstring>

#include "base/Base_Maths.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TextureDraw.h"
#include "platform/Platform_Bitmap.h"
#include "platform/Platform_MemoryManager.h"

namespace {

struct SurfaceTable {
    SurfaceRecord* records = nullptr; // memory manager
    int32_t count = 0;
    int32_t capacity = 0;
};
SurfaceTable g_Surfaces;
uint32_t g_SurfaceSerial = 0;

// The target state: the surface drawn into and what the screen had when it became the target.
struct TargetState {
    int32_t current = -1;
    bool active = false;
    int32_t viewport[4] = {0, 0, 0, 0};
    int32_t view[4] = {0, 0, 0, 0};
    float angle = 0.0f;
};
TargetState g_Target;

SurfaceRecord* Live(int32_t index)
{
    if (index < 0 || index >= g_Surfaces.count) return nullptr;
    SurfaceRecord* record = &g_Surfaces.records[index];
    return record->inUse == 1 ? record : nullptr;
}

int32_t TakeSlot()
{
    for (int32_t i = 0; i < g_Surfaces.count; ++i)
        if (g_Surfaces.records[i].inUse != 1) return i;
    if (g_Surfaces.count == g_Surfaces.capacity) {
        int32_t capacity = g_Surfaces.capacity + 1;
        g_Surfaces.records = static_cast<SurfaceRecord*>(
            MEM_REALLOC(g_Surfaces.records, sizeof(SurfaceRecord) * static_cast<size_t>(capacity)));
        g_Surfaces.capacity = capacity;
    }
    g_Surfaces.records[g_Surfaces.count] = SurfaceRecord();
    return g_Surfaces.count++;
}

} // namespace

int32_t Surface_Count()
{
    return g_Surfaces.count;
}

int32_t Surface_Create(int32_t width, int32_t height)
{
    int32_t slot = TakeSlot();
    int32_t texture = Texture_CreateEmpty(width, height, true);
    if (texture < 0) return -1;
    g_Surfaces.records[slot] = SurfaceRecord{texture, width, height, 1, ++g_SurfaceSerial};
    return slot;
}

bool Surface_Exists(int32_t index)
{
    return Live(index) != nullptr;
}

int32_t Surface_GetWidth(int32_t index)
{
    SurfaceRecord* record = Live(index);
    return record != nullptr ? record->width : -1;
}

int32_t Surface_GetHeight(int32_t index)
{
    SurfaceRecord* record = Live(index);
    return record != nullptr ? record->height : -1;
}

int32_t Surface_GetTexture(int32_t index)
{
    SurfaceRecord* record = Live(index);
    return record != nullptr ? record->texture : -1;
}

uint32_t Surface_GetSerial(int32_t index)
{
    SurfaceRecord* record = Live(index);
    return record != nullptr ? record->serial : 0;
}

void Surface_Free(int32_t index)
{
    SurfaceRecord* record = Live(index);
    if (record == nullptr) return;
    Graphics::Flush();
    if (g_Target.active && g_Target.current == index) Surface_ResetTarget();
    Texture_Free(record->texture);
    record->texture = -1;
    record->inUse = 0;
}

void Surface_FreeAll()
{
    for (int32_t i = 0; i < g_Surfaces.count; ++i)
        Surface_Free(i);
}

void Surface_ClearTable()
{
    MemoryManager::Free(g_Surfaces.records);
    g_Surfaces = SurfaceTable();
    g_Target = TargetState();
}

bool Surface_SetTarget(int32_t index)
{
    SurfaceRecord* record = Live(index);
    if (GR_D3D_Device() == nullptr || record == nullptr) return false;
    if (g_Target.active && g_Target.current == index) return true;
    DeviceTexture* texture = Texture_GetHandle(record->texture);
    if (texture == nullptr) return false;
    if (g_Target.active) Surface_ResetTarget();
    const RenderSettings& s = g_RenderSettings;
    std::memcpy(g_Target.viewport, s.viewport, sizeof g_Target.viewport);
    std::memcpy(g_Target.view, s.view, sizeof g_Target.view);
    g_Target.angle = s.viewAngle;
    if (!GR_Surface_PushTarget()) return false;
    if (!GR_Surface_SetTarget(0, texture)) {
        // The pushed target goes back at once, so the screen stays the target.
        GR_Surface_PopTarget();
        return false;
    }
    GR_SetViewProjection(0, 0, record->width, record->height, 0.0);
    GR_SetViewport(0, 0, record->width, record->height);
    g_Target.current = index;
    g_Target.active = true;
    g_CustomProjection = true;
    return true;
}

bool Surface_ResetTarget()
{
    if (GR_D3D_Device() == nullptr) return false;
    // With no surface set, popping would take away the frame's own target.
    if (!g_Target.active) return false;
    Graphics::Flush();
    if (!GR_Surface_PopTarget()) return false;
    GR_SetViewport(g_Target.viewport[0], g_Target.viewport[1], g_Target.viewport[2], g_Target.viewport[3]);
    GR_SetViewProjection(g_Target.view[0], g_Target.view[1], g_Target.view[2], g_Target.view[3],
                         g_Target.angle);
    g_Target.current = -1;
    g_Target.active = false;
    g_CustomProjection = false;
    return true;
}

int32_t Surface_CurrentTarget()
{
    return g_Target.active ? g_Target.current : -1;
}

void GR_Surface_Draw(int32_t index, float x, float y)
{
    if (SurfaceRecord* record = Live(index)) GR_Texture_Draw(record->texture, x, y);
}

void GR_Surface_DrawExt(int32_t index, float x, float y, float xScale, float yScale, double angle,
                        uint32_t colour, double alpha)
{
    if (SurfaceRecord* record = Live(index))
        GR_Texture_DrawExt(record->texture, 0, 0, x, y, xScale, yScale, angle * MATHS_DEGREES_TO_RADIANS,
                           colour, alpha);
}

void GR_Surface_DrawStretched(int32_t index, float x, float y, float width, float height, uint32_t colour,
                              double alpha)
{
    SurfaceRecord* record = Live(index);
    if (record == nullptr || width <= 0 || height <= 0 || record->width <= 0 || record->height <= 0) return;
    GR_Texture_DrawExt(record->texture, 0, 0, x, y, width / float(record->width),
                       height / float(record->height), 0, colour, alpha);
}

void GR_Surface_DrawPart(int32_t index, float left, float top, float width, float height, float x, float y,
                         float xScale, float yScale, uint32_t colour, double alpha)
{
    if (SurfaceRecord* record = Live(index))
        GR_Texture_DrawPart(record->texture, left, top, width, height, x, y, xScale, yScale, 0, colour,
                            alpha);
}

void GR_Surface_DrawGeneral(int32_t index, float left, float top, float width, float height, float x, float y,
                            float xScale, float yScale, double angle, uint32_t colour1, uint32_t colour2,
                            uint32_t colour3, uint32_t colour4, double alpha)
{
    if (SurfaceRecord* record = Live(index))
        GR_Texture_DrawGeneral(record->texture, left, top, width, height, x, y, xScale, yScale,
                               angle * MATHS_DEGREES_TO_RADIANS, colour1, colour2, colour3, colour4, alpha);
}

void GR_Surface_DrawTiled(int32_t index, float x, float y, float xScale, float yScale, bool across, bool down,
                          float clipLeft, float clipTop, float clipWidth, float clipHeight, uint32_t colour,
                          double alpha)
{
    if (SurfaceRecord* record = Live(index))
        GR_Texture_DrawTiled(record->texture, 0, 0, x, y, xScale, yScale, across, down, clipLeft, clipTop,
                             clipWidth, clipHeight, colour, alpha);
}

IBitmap* Surface_CreateBitmap(int32_t index, int32_t x, int32_t y, int32_t width, int32_t height)
{
    SurfaceRecord* record = Live(index);
    if (GR_D3D_Device() == nullptr || record == nullptr) return nullptr;
    DeviceTexture* texture = Texture_GetHandle(record->texture);
    if (texture == nullptr || width < 1 || height < 1) return nullptr;
    Graphics::Flush();
    // Only the part of the rectangle on the surface is read back; the bitmap keeps the size asked
    // for, and what lies off the surface stays transparent black.
    int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    int64_t right = std::min<int64_t>(int64_t(x) + width, DeviceTexture_Width(texture));
    int64_t bottom = std::min<int64_t>(int64_t(y) + height, DeviceTexture_Height(texture));
    if (right <= left || bottom <= top) return GR_BitmapFromReadBack(nullptr, width, height);
    ReadBackPart part{int32_t(left - x), int32_t(top - y), int32_t(right - left), int32_t(bottom - top)};
    uint8_t* pixels = GR_Surface_ReadPixels(texture, int32_t(left), int32_t(top), part.width, part.height);
    return GR_BitmapFromReadBack(pixels, width, height, part);
}
