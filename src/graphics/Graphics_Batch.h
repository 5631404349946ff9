// The vertex batch every primitive is written into, the pool of vertex buffers behind it, the
// device texture (texture pages, surfaces, the screen texture) and the stack of render targets.
#pragma once

#include <cstdint>

class D3DTexture;
class D3DSurface;
class D3DVertexBuffer;

// Format codes of device textures: 0 unknown, 1-5 DXT1-DXT5, 6 A8R8G8B8, 7 D32, 8 D24S8, 9 R16F,
// 10 R32F, 11 A4R4G4B4; any other value is passed to the device as it stands.
enum : int32_t {
    TEXTURE_FORMAT_UNKNOWN = 0,
    TEXTURE_FORMAT_DXT1 = 1,
    TEXTURE_FORMAT_DXT5 = 5,
    TEXTURE_FORMAT_A8R8G8B8 = 6,
    TEXTURE_FORMAT_A4R4G4B4 = 11,
};

// The device format of a format code (code 0 gives -1, "as in the file").
int32_t Texture_DeviceFormat(int32_t formatCode);

// Ordinary textures are rounded up to powers of two within these bounds.
constexpr int32_t TEXTURE_MIN_SIDE = 64;
constexpr int32_t TEXTURE_MAX_SIDE = 4096;
// A render target keeps its size, which the packed size's 13-bit fields must be able to hold.
constexpr int32_t TEXTURE_MAX_TARGET_SIDE = 8192;

enum : uint32_t { DEVICE_TEXTURE_TARGET_NEWER = 1 };

struct DeviceTexture {
    int32_t formatCode = 0;
    uint32_t packedSize = 0; // bits 0-12 width - 1, 13-25 height - 1, 26-31 levels - 1
    uint32_t flags = 0;
    D3DTexture* texture = nullptr;
    D3DSurface* renderTarget = nullptr; // a separate surface for a render target, else level 0
    D3DSurface* depthStencil = nullptr;
    void* systemBlock = nullptr;     // memory manager: width x height x 4 + 16 bytes
    uint8_t* systemPixels = nullptr; // 16-byte aligned inside the block
    DeviceTexture* next = nullptr;
};

inline int32_t DeviceTexture_Width(const DeviceTexture* t)
{
    return int32_t(t->packedSize & 0x1FFFu) + 1;
}
inline int32_t DeviceTexture_Height(const DeviceTexture* t)
{
    return int32_t((t->packedSize >> 13) & 0x1FFFu) + 1;
}
inline int32_t DeviceTexture_Levels(const DeviceTexture* t)
{
    return int32_t(t->packedSize >> 26) + 1;
}

// The head of the list of every device texture (newest first).
extern DeviceTexture* g_DeviceTextures;

// What a texture creator reports: seven 32-bit fields.
struct DeviceTextureInfo {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t levels = 0;
    int32_t formatCode = 0;
    int32_t resourceType = 0;
    int32_t imageFormat = 0;
};

// A side rounded up to a power of two from 64 to 4096.
int32_t Texture_RoundSide(int32_t side);

DeviceTexture* GR_Texture_Create(int32_t width, int32_t height, int32_t levels, bool renderTarget,
                                 int32_t formatCode);
// 32-bit pixels (rows top first) in an ordinary texture of the rounded size.
DeviceTexture* GR_Texture_CreateFromPixels(const void* pixels, int32_t width, int32_t height,
                                           DeviceTextureInfo* info);
// Texture-page data: a "RAW " block or an image file in memory; null when it cannot be made.
DeviceTexture* GR_Texture_CreateFromData(const void* data, int32_t length, DeviceTextureInfo* info,
                                         int32_t formatCode);
bool GR_Texture_Upload(DeviceTexture* texture, int32_t level, int32_t width, int32_t height,
                       const void* pixels);
void GR_Texture_SetStage(int32_t stage, DeviceTexture* texture);
void GR_Texture_SetBlendOps(bool on);
void GR_Texture_Free(DeviceTexture* texture);
// Forgets what every stage was last given (the device went away).
void GR_Texture_ForgetStages();
void GR_Texture_PreLoad(DeviceTexture* texture);
void GR_Texture_SetPriority(DeviceTexture* texture, uint32_t priority);

// Render targets: at most 8 saved (target, depth-stencil) pairs.
constexpr int32_t RENDER_TARGET_STACK_SIZE = 8;
bool GR_Surface_PushTarget();
bool GR_Surface_PopTarget();
void GR_Surface_PopAllTargets();
// Empties the stack without restoring anything (the references are released).
void GR_Surface_DropAllTargets();
int32_t GR_Surface_TargetDepth();
bool GR_Surface_SetTarget(int32_t index, DeviceTexture* texture);

// ---- the vertex batch ----

// Fixed vertex layouts by vertex size.
enum : int32_t {
    VERTEX_SIZE_COLOURED = 16, // 0x42: x, y, z, colour
    VERTEX_SIZE_TEXTURED = 24, // 0x142: x, y, z, colour, u, v
    VERTEX_SIZE_LIT = 36,      // 0x152: x, y, z, nx, ny, nz, colour, u, v
};
constexpr int32_t VERTEX_BUFFER_MIN_CAPACITY = 16384;
// The most vertices one request may ask for (even, so that pieces of strips keep their winding): a
// longer draw goes to the batch in several requests, and no request makes an unbounded buffer.
constexpr int32_t VERTEX_REQUEST_MAX = 1 << 18;
// The bytes of pooled buffers past which a request that finds no free room rewinds a buffer of its
// layout (its next lock discards) instead of adding one, so that one frame's many vertices reuse
// memory rather than growing the pool for good.
constexpr uint64_t VERTEX_POOL_BUDGET = uint64_t(128) << 20;
// A buffer waits this many frames after its last use before it is handed out again.
constexpr int64_t VERTEX_BUFFER_REST_FRAMES = 3;

enum : uint32_t {
    VERTEX_BUFFER_LOCKED = 1,
    VERTEX_BUFFER_DYNAMIC = 2,
    VERTEX_BUFFER_USED = 4,
};

struct VertexBufferRecord {
    VertexBufferRecord* previous = nullptr;
    VertexBufferRecord* next = nullptr;
    uint32_t flags = 0;
    D3DVertexBuffer* buffer = nullptr;
    int32_t layout = 0; // fixed-function format code or vertex-format handle
    int32_t stride = 0;
    int32_t first = 0; // first vertex of the open batch
    int32_t used = 0;
    int32_t capacity = 0;
    uint8_t* locked = nullptr;
    int64_t frameStamp = 0;
};

// The pool, oldest first.
extern VertexBufferRecord* g_VertexBuffers;

struct BatchStatistics {
    int32_t trianglesThisFrame = 0;
    int32_t drawCalls = 0;
    int32_t textureSwitches = 0;
    int32_t largestBatch = 0;
    // The counts of the frame before the current one, kept when a frame starts.
    int32_t lastTextureSwitches = 0;
    int32_t lastDrawCalls = 0;
};
extern BatchStatistics g_BatchStatistics;

// The stage the batch texture is bound to (a shader's base-texture sampler; 0 without a shader).
extern int32_t g_BatchTextureStage;
extern int64_t g_BatchFrameCounter;

namespace Graphics {

// Room for `count` vertices of primitive type 1..6 with a texture (or none) and a vertex size of
// 16, 24 or 36, a fixed-function format code or a vertex-format handle. Null, with the open batch
// left as it is, for a count below 0 or above VERTEX_REQUEST_MAX.
void* AllocVerts(int32_t type, DeviceTexture* texture, int32_t size, int32_t count);
// Copies `count` vertices into the batch in requests of at most VERTEX_REQUEST_MAX: whole primitives
// of a list, and strips and fans repeating the vertices (a fan also its centre) that the next piece
// goes on from, so that the pieces draw what the whole would.
void AddVerts(int32_t type, DeviceTexture* texture, int32_t size, const void* vertices, int64_t count);
// Gives back unused vertices of the last request.
void ReturnVerts(int32_t count);
// Submits the open batch and applies the pending render states.
void Flush();
// End of frame for the buffers (unlock, stamp, next frame).
void EndFrame();
// Forgets the open batch's layout and type, so the next request starts a new batch.
void ForgetBatch();
// A texture being freed stops being the open batch's texture (the batch then draws without one).
void ForgetTexture(DeviceTexture* texture);
// Releases every pooled buffer (shut-down and tests).
void FreeBuffers();

} // namespace Graphics

// The stride of a layout: a fixed-function format code or a vertex-format handle.
int32_t Batch_LayoutStride(int32_t layout);
