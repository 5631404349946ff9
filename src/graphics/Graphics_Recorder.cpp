#include "graphics/Graphics_Recorder.h"

#include <cstring>

#include "base/Base_Maths.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Texture.h"
#include "platform/Platform_MemoryManager.h"

namespace {

// Appends `count` vertices taken from `source` at the given indices.
void AppendIndexed(RecorderList* list, const RecorderVertex* source, const int32_t* indices, int32_t count)
{
    int32_t at = list->count;
    GraphicsRecorder_Grow(list, count);
    for (int32_t i = 0; i < count; ++i)
        list->vertices[at + i] = source[indices[i]];
}

void Append(RecorderList* list, const RecorderVertex* source, int32_t count)
{
    if (count <= 0) return;
    int32_t at = list->count;
    GraphicsRecorder_Grow(list, count);
    std::memcpy(list->vertices + at, source, size_t(count) * sizeof(RecorderVertex));
}

void ReleaseBuffer(RecorderList* list)
{
    if (list->buffer != nullptr) list->buffer->Release();
    list->buffer = nullptr;
}

// The static buffer of a list, built on first use from the list cut to its count.
D3DVertexBuffer* Buffer(RecorderList* list)
{
    if (list->buffer != nullptr) return list->buffer;
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || list->count <= 0) return nullptr;
    GraphicsRecorder_Grow(list, -1);
    uint32_t bytes = uint32_t(list->count) * RECORDER_VERTEX_SIZE;
    if (device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, RECORDER_FORMAT, g_D3D.texturePool, &list->buffer) !=
        D3D_OK)
        return list->buffer = nullptr;
    void* data = nullptr;
    if (list->buffer->Lock(0, bytes, &data, 0) != D3D_OK || data == nullptr) {
        ReleaseBuffer(list);
        return nullptr;
    }
    std::memcpy(data, list->vertices, bytes);
    list->buffer->Unlock();
    return list->buffer;
}

struct ListDraw {
    int32_t type;
    int32_t perPrimitive;
};
const ListDraw LIST_DRAWS[RECORDER_LISTS] = {{D3DPT_TRIANGLELIST, 3}, {D3DPT_LINELIST, 2}, {D3DPT_POINTLIST, 1}};

} // namespace

GraphicsRecorder* GraphicsRecorder_Create(int32_t texture, uint32_t marker)
{
    auto* recorder = new GraphicsRecorder();
    recorder->texture = texture;
    recorder->marker = marker;
    return recorder;
}

void GraphicsRecorder_Destroy(GraphicsRecorder* recorder)
{
    if (recorder == nullptr) return;
    GraphicsRecorder_ReleaseBuffers(recorder);
    for (RecorderList& list : recorder->lists)
        MemoryManager::Free(list.vertices);
    delete recorder;
}

void GraphicsRecorder_Grow(RecorderList* list, int32_t more)
{
    if (more == -1) {
        if (list->vertices == nullptr || list->capacity == list->count) return;
        auto* exact = static_cast<RecorderVertex*>(MEM_ALLOC(size_t(list->count) * sizeof(RecorderVertex), false));
        std::memcpy(exact, list->vertices, size_t(list->count) * sizeof(RecorderVertex));
        MemoryManager::Free(list->vertices);
        list->vertices = exact;
        list->capacity = list->count;
        return;
    }
    if (more <= 0) return;
    if (list->count + more > list->capacity) {
        int64_t capacity = list->capacity == 0 ? more : list->capacity;
        while (list->count + more > capacity)
            capacity *= 2;
        auto* grown = static_cast<RecorderVertex*>(MEM_ALLOC(size_t(capacity) * sizeof(RecorderVertex), false));
        if (list->count > 0) std::memcpy(grown, list->vertices, size_t(list->count) * sizeof(RecorderVertex));
        MemoryManager::Free(list->vertices);
        list->vertices = grown;
        list->capacity = int32_t(capacity);
    }
    list->count += more;
}

void GraphicsRecorder_AddPrimitive(GraphicsRecorder* recorder, int32_t type, int32_t count,
                                   const RecorderVertex* v)
{
    if (recorder == nullptr || v == nullptr || count <= 0) return;
    RecorderList* triangles = &recorder->lists[RECORDER_TRIANGLES];
    RecorderList* lines = &recorder->lists[RECORDER_LINES];
    switch (type) {
    case D3DPT_LINELIST: Append(lines, v, count); return;
    case D3DPT_LINESTRIP:
        for (int32_t i = 0; i + 1 < count; ++i) {
            const int32_t pair[2] = {i, i + 1};
            AppendIndexed(lines, v, pair, 2);
        }
        return;
    case D3DPT_TRIANGLELIST: Append(triangles, v, count); return;
    case D3DPT_TRIANGLESTRIP:
        // Odd triangles are reversed so that all keep the same winding.
        for (int32_t i = 0; i + 2 < count; ++i) {
            const int32_t even[3] = {i, i + 1, i + 2}, odd[3] = {i + 2, i + 1, i};
            AppendIndexed(triangles, v, i % 2 == 0 ? even : odd, 3);
        }
        return;
    case D3DPT_TRIANGLEFAN:
        for (int32_t i = 0; i + 2 < count; ++i) {
            const int32_t fan[3] = {0, i + 1, i + 2};
            AppendIndexed(triangles, v, fan, 3);
        }
        return;
    default: Append(&recorder->lists[RECORDER_POINTS], v, count); return;
    }
}

void GraphicsRecorder_Draw(GraphicsRecorder* recorder, float x, float y, float z)
{
    D3DDevice* device = GR_D3D_Device();
    if (recorder == nullptr || device == nullptr) return;
    Graphics::Flush();
    D3DMatrix world;
    GR_D3D_GetTransform(MATRIX_WORLD, &world);
    // Moved in its own space before the world transform: translation x world.
    Matrix moved, translation, current;
    Matrix::Identity(translation);
    translation.m[12] = x, translation.m[13] = y, translation.m[14] = z;
    std::memcpy(current.m, world.m, sizeof current.m);
    Matrix::Multiply(moved, translation, current);
    D3DMatrix movedWorld;
    std::memcpy(movedWorld.m, moved.m, sizeof movedWorld.m);
    GR_D3D_SetTransform(MATRIX_WORLD, &movedWorld);
    bool repeat = GR_Texture_GetRepeat();
    GR_Texture_SetRepeat(true);
    GR_Texture_SetStage(g_BatchTextureStage, Texture_GetHandle(recorder->texture));
    GR_RenderStateCache_Flush();
    for (int32_t k = 0; k < RECORDER_LISTS; ++k) {
        RecorderList* list = &recorder->lists[k];
        D3DVertexBuffer* buffer = list->vertices != nullptr ? Buffer(list) : nullptr;
        int32_t primitives = list->count / LIST_DRAWS[k].perPrimitive;
        if (buffer == nullptr || primitives <= 0) continue;
        device->SetStreamSource(0, buffer, 0, RECORDER_VERTEX_SIZE);
        device->SetFVF(RECORDER_FORMAT);
        device->DrawPrimitive(LIST_DRAWS[k].type, 0, uint32_t(primitives));
    }
    Graphics::ForgetBatch();
    GR_Texture_SetRepeat(repeat);
    GR_D3D_SetTransform(MATRIX_WORLD, &world);
}

void GraphicsRecorder_Recolour(GraphicsRecorder* recorder, uint32_t colour)
{
    if (recorder == nullptr || (recorder->marker & 1u) != 0) return;
    uint32_t recoloured = colour & ~1u;
    for (RecorderList& list : recorder->lists)
        for (int32_t i = 0; i < list.count; ++i)
            if (list.vertices[i].colour == recorder->marker) list.vertices[i].colour = recoloured;
    GraphicsRecorder_ReleaseBuffers(recorder);
    recorder->marker = recoloured;
}

void GraphicsRecorder_ReleaseBuffers(GraphicsRecorder* recorder)
{
    if (recorder == nullptr) return;
    for (RecorderList& list : recorder->lists)
        ReleaseBuffer(&list);
}
