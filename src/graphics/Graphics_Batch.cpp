#include "graphics/Graphics_Batch.h"

#include <algorithm>
#include <cstring>

#include "code/Code_Error.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_VertexFormat.h"

VertexBufferRecord* g_VertexBuffers = nullptr;
BatchStatistics g_BatchStatistics;
int32_t g_BatchTextureStage = 0;
int64_t g_BatchFrameCounter = 0;

namespace {

VertexBufferRecord* g_LastBuffer = nullptr; // the pool's tail

// A texture value that no texture has: the batch holds it when no batch is open.
DeviceTexture g_NoTexture;

int32_t g_Type = -1;
DeviceTexture* g_Texture = &g_NoTexture;
int32_t g_Stride = 0;
VertexBufferRecord* g_Current = nullptr;
uint64_t g_PoolBytes = 0; // the lengths of every pooled buffer

bool IsStripOrFan(int32_t type)
{
    return type == D3DPT_LINESTRIP || type == D3DPT_TRIANGLESTRIP || type == D3DPT_TRIANGLEFAN;
}

int32_t LayoutOfSize(int32_t size)
{
    switch (size) {
    case VERTEX_SIZE_COLOURED:
        return 0x42;
    case VERTEX_SIZE_TEXTURED:
        return 0x142;
    case VERTEX_SIZE_LIT:
        return 0x152;
    default:
        return size;
    }
}

bool IsFormatHandle(int32_t layout)
{
    return (layout & VERTEX_FORMAT_HANDLE_BIT) != 0;
}

bool Lock(VertexBufferRecord* record)
{
    if ((record->flags & VERTEX_BUFFER_LOCKED) != 0) return true;
    record->first = record->used;
    uint32_t flags = 0;
    if ((record->flags & VERTEX_BUFFER_USED) == 0) {
        // The first lock of a frame may throw the old contents away.
        record->flags |= VERTEX_BUFFER_USED;
        if ((record->flags & VERTEX_BUFFER_DYNAMIC) != 0) flags = D3DLOCK_DISCARD;
    }
    uint32_t offset = uint32_t(record->used) * uint32_t(record->stride);
    uint32_t size = uint32_t(record->capacity - record->used) * uint32_t(record->stride);
    void* data = nullptr;
    if (size == 0 || record->buffer->Lock(offset, size, &data, flags) != D3D_OK) return false;
    record->locked = static_cast<uint8_t*>(data);
    record->flags |= VERTEX_BUFFER_LOCKED;
    return true;
}

void Unlock(VertexBufferRecord* record)
{
    if ((record->flags & VERTEX_BUFFER_LOCKED) == 0) return;
    record->buffer->Unlock();
    record->flags &= ~VERTEX_BUFFER_LOCKED;
    record->locked = nullptr;
}

VertexBufferRecord* CreateBuffer(int32_t layout, int32_t stride, int32_t count)
{
    D3DDevice* device = GR_D3D_Device();
    int32_t capacity = std::max(count, VERTEX_BUFFER_MIN_CAPACITY);
    // Within 32 bits: requests are bounded and a stride is at most 32 elements of 16 bytes.
    uint64_t length = uint64_t(capacity) * uint64_t(stride);
    uint32_t fvf = IsFormatHandle(layout) ? 0 : uint32_t(layout);
    D3DVertexBuffer* buffer = nullptr;
    uint32_t flags = VERTEX_BUFFER_DYNAMIC;
    if (device == nullptr || device->CreateVertexBuffer(uint32_t(length), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                                        fvf, D3DPOOL_SYSTEMMEM, &buffer) != D3D_OK) {
        flags = 0;
        if (device == nullptr || device->CreateVertexBuffer(uint32_t(length), D3DUSAGE_WRITEONLY, fvf,
                                                            D3DPOOL_DEFAULT, &buffer) != D3D_OK)
            Error_ShowAndExit("Fatel Error: Can not create vertex buffer", -1);
    }
    g_PoolBytes += length;
    auto* record = new VertexBufferRecord();
    record->flags = flags;
    record->buffer = buffer;
    record->layout = layout;
    record->stride = stride;
    record->capacity = capacity;
    // A new buffer serves the frame it is made in; the rest rule applies after its first frame.
    record->frameStamp = g_BatchFrameCounter - VERTEX_BUFFER_REST_FRAMES - 1;
    record->previous = g_LastBuffer;
    if (g_LastBuffer != nullptr)
        g_LastBuffer->next = record;
    else
        g_VertexBuffers = record;
    g_LastBuffer = record;
    return record;
}

// A buffer of the layout able to hold the request, started again from its beginning: its next lock
// discards, so the device keeps what earlier draws read from it while the batch writes anew.
VertexBufferRecord* Rewind(int32_t layout, int32_t count)
{
    for (VertexBufferRecord* r = g_VertexBuffers; r != nullptr; r = r->next) {
        if (r->layout != layout || r->capacity < count) continue;
        Unlock(r);
        r->used = 0;
        r->first = 0;
        r->flags &= ~VERTEX_BUFFER_USED;
        return r;
    }
    return nullptr;
}

// Out of line: inlined into AllocVerts, it cost the path that continues the batch a spilled register.
[[gnu::noinline]] VertexBufferRecord* FindBuffer(int32_t layout, int32_t stride, int32_t count)
{
    for (VertexBufferRecord* r = g_VertexBuffers; r != nullptr; r = r->next) {
        if (r->layout == layout && r->capacity - r->used >= count &&
            r->frameStamp + VERTEX_BUFFER_REST_FRAMES < g_BatchFrameCounter)
            return r;
    }
    uint64_t length = uint64_t(std::max(count, VERTEX_BUFFER_MIN_CAPACITY)) * uint64_t(stride);
    if (g_PoolBytes + length > VERTEX_POOL_BUDGET) {
        if (VertexBufferRecord* r = Rewind(layout, count)) return r;
    }
    return CreateBuffer(layout, stride, count);
}

int32_t PrimitiveCount(int32_t type, int32_t vertices)
{
    switch (type) {
    case D3DPT_POINTLIST:
        return vertices;
    case D3DPT_LINELIST:
        return vertices / 2;
    case D3DPT_LINESTRIP:
        return vertices - 1;
    case D3DPT_TRIANGLELIST:
        return vertices / 3;
    default:
        return vertices - 2;
    }
}

void Submit()
{
    VertexBufferRecord* record = g_Current;
    D3DDevice* device = GR_D3D_Device();
    if (record == nullptr || device == nullptr) return;
    int32_t vertices = record->used - record->first;
    int32_t primitives = PrimitiveCount(g_Type, vertices);
    if (g_Type >= D3DPT_TRIANGLELIST && primitives > 0) g_BatchStatistics.trianglesThisFrame += primitives;
    if (primitives < 1) return;
    Unlock(record);
    if (IsFormatHandle(record->layout)) {
        VertexFormat* format = VertexFormat_Get(record->layout);
        device->SetFVF(0);
        device->SetVertexDeclaration(format != nullptr ? format->declaration : nullptr);
    } else {
        device->SetFVF(uint32_t(record->layout));
    }
    device->SetStreamSource(0, record->buffer, uint32_t(record->first) * uint32_t(record->stride),
                            uint32_t(record->stride));
    device->DrawPrimitive(g_Type, 0, uint32_t(primitives));
    ++g_BatchStatistics.drawCalls;
}

} // namespace

int32_t Batch_LayoutStride(int32_t layout)
{
    if (IsFormatHandle(layout)) {
        VertexFormat* format = VertexFormat_Get(layout);
        return format != nullptr ? format->stride : 0;
    }
    return int32_t(D3D_FVFStride(uint32_t(layout)));
}

namespace Graphics {

void* AllocVerts(int32_t type, DeviceTexture* texture, int32_t size, int32_t count)
{
    VertexBufferRecord* record = g_Current;
    // Unsigned, so that neither a negative count nor a huge one continues the batch.
    bool continues = record != nullptr && type == g_Type && texture == g_Texture && size == g_Stride &&
                     !IsStripOrFan(type) && uint32_t(count) <= uint32_t(record->capacity - record->used) &&
                     (record->flags & VERTEX_BUFFER_LOCKED) != 0 && !GR_RenderStateCache_Pending();
    if (!continues) {
        if (uint32_t(count) > uint32_t(VERTEX_REQUEST_MAX)) return nullptr; // a negative count too
        Flush();
        g_Type = type;
        g_Texture = texture;
        int32_t layout = LayoutOfSize(size);
        g_Stride = Batch_LayoutStride(layout);
        if (g_Stride <= 0) {
            g_Type = -1;
            return nullptr;
        }
        record = FindBuffer(layout, g_Stride, count);
        g_Current = record;
        if (!Lock(record)) {
            g_Type = -1;
            return nullptr;
        }
    }
    uint8_t* vertices = record->locked + size_t(record->used - record->first) * size_t(record->stride);
    record->used += count;
    return vertices;
}

void AddVerts(int32_t type, DeviceTexture* texture, int32_t size, const void* vertices, int64_t count)
{
    size_t stride = size_t(std::max(Batch_LayoutStride(LayoutOfSize(size)), 0));
    if (stride == 0 || vertices == nullptr) return;
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    bool fan = type == D3DPT_TRIANGLEFAN;
    int64_t overlap = type == D3DPT_TRIANGLESTRIP ? 2 : type == D3DPT_LINESTRIP || fan ? 1 : 0;
    int64_t piece = type == D3DPT_TRIANGLELIST ? VERTEX_REQUEST_MAX / 3 * 3 : VERTEX_REQUEST_MAX;
    for (int64_t start = 0; start < count;) {
        int64_t centre = fan && start > 0 ? 1 : 0;
        int64_t n = std::min(count - start, piece - centre);
        auto* room = static_cast<uint8_t*>(AllocVerts(type, texture, size, int32_t(centre + n)));
        if (room == nullptr) return;
        if (centre != 0) std::memcpy(room, bytes, stride);
        std::memcpy(room + size_t(centre) * stride, bytes + size_t(start) * stride, size_t(n) * stride);
        if (start + n == count) break;
        start += n - overlap;
    }
}

void ReturnVerts(int32_t count)
{
    if (g_Current == nullptr || count <= 0) return;
    g_Current->used = std::max(g_Current->first, g_Current->used - count);
}

void Flush()
{
    if (g_Type == -1) {
        GR_RenderStateCache_Flush();
        return;
    }
    if (g_Current != nullptr)
        g_BatchStatistics.largestBatch =
            std::max(g_BatchStatistics.largestBatch, g_Current->used - g_Current->first);
    GR_Texture_SetStage(g_BatchTextureStage, g_Texture);
    Submit();
    ForgetBatch();
    GR_RenderStateCache_Flush();
}

void ForgetBatch()
{
    g_Type = -1;
    g_Texture = &g_NoTexture;
    g_Stride = 0;
}

void ForgetTexture(DeviceTexture* texture)
{
    if (g_Texture == texture) g_Texture = nullptr;
}

void EndFrame()
{
    g_BatchStatistics.trianglesThisFrame = 0;
    for (VertexBufferRecord* r = g_VertexBuffers; r != nullptr; r = r->next) {
        Unlock(r);
        if ((r->flags & VERTEX_BUFFER_USED) == 0) continue;
        r->used = 0;
        r->first = 0;
        r->frameStamp = g_BatchFrameCounter;
        r->flags &= ~VERTEX_BUFFER_USED;
    }
    ++g_BatchFrameCounter;
    g_Current = nullptr;
    g_Type = -1;
}

void FreeBuffers()
{
    VertexBufferRecord* r = g_VertexBuffers;
    while (r != nullptr) {
        VertexBufferRecord* next = r->next;
        Unlock(r);
        if (r->buffer != nullptr) r->buffer->Release();
        delete r;
        r = next;
    }
    g_VertexBuffers = nullptr;
    g_LastBuffer = nullptr;
    g_Current = nullptr;
    g_PoolBytes = 0;
    ForgetBatch();
}

} // namespace Graphics
