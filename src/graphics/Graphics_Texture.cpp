#include "graphics/Graphics_Texture.h"

#include <vector>

#include "base/Base_Console.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_StartupServices.h"

namespace {

std::vector<TextureRecord*> g_Textures;

bool Valid(int32_t index)
{
    return index >= 0 && index < int32_t(g_Textures.size()) && g_Textures[size_t(index)]->inUse != 0;
}

float Reciprocal(int32_t size)
{
    return size > 0 ? 1.0f / float(size) : 0.0f;
}

// Puts a made device texture into a slot; the null of a failed creation takes none.
int32_t Record(DeviceTexture* texture, int32_t width, int32_t height, int32_t realWidth, int32_t realHeight)
{
    if (texture == nullptr) return -1;
    int32_t index = Texture_AllocSlot();
    TextureRecord* r = g_Textures[size_t(index)];
    r->texture = texture;
    r->width = uint16_t(width);
    r->height = uint16_t(height);
    r->reciprocalWidth = Reciprocal(realWidth);
    r->reciprocalHeight = Reciprocal(realHeight);
    r->inUse = 1;
    r->pageFlag = 0;
    return index;
}

// Textures from page or file data take the size the device reports for the picture.
int32_t RecordFromData(const uint8_t* data, int32_t size, int32_t formatCode)
{
    DeviceTextureInfo info;
    DeviceTexture* texture = GR_Texture_CreateFromData(data, size, &info, formatCode);
    return Record(texture, info.width, info.height, info.width, info.height);
}

} // namespace

int32_t Texture_Count()
{
    return int32_t(g_Textures.size());
}

TextureRecord* Texture_Get(int32_t index)
{
    return Valid(index) ? g_Textures[size_t(index)] : nullptr;
}

int32_t Texture_AllocSlot()
{
    for (size_t i = 0; i < g_Textures.size(); ++i) {
        if (g_Textures[i]->inUse == 0) return int32_t(i);
    }
    g_Textures.push_back(new TextureRecord());
    return int32_t(g_Textures.size()) - 1;
}

int32_t Texture_CreateEmpty(int32_t width, int32_t height, bool renderTarget)
{
    DeviceTexture* texture = GR_Texture_Create(width, height, 1, renderTarget, TEXTURE_FORMAT_A8R8G8B8);
    if (texture == nullptr) return -1;
    return Record(texture, width, height, DeviceTexture_Width(texture), DeviceTexture_Height(texture));
}

int32_t Texture_CreateFromFileData(const uint8_t* data, int32_t size)
{
    return RecordFromData(data, size, TEXTURE_FORMAT_UNKNOWN);
}

int32_t Texture_Wrap(DeviceTexture* texture, int32_t width, int32_t height)
{
    return Record(texture, width, height, width, height);
}

int32_t Texture_CreateFromPixels(int32_t width, int32_t height, const uint8_t* data, int32_t size)
{
    DeviceTextureInfo info;
    DeviceTexture* texture = nullptr;
    if (int64_t(size) == int64_t(width) * int64_t(height) * 4)
        texture = GR_Texture_CreateFromPixels(data, width, height, &info);
    else
        texture = GR_Texture_CreateFromData(data, size, &info, TEXTURE_FORMAT_UNKNOWN);
    return Record(texture, width, height, info.width, info.height);
}

int32_t Texture_CreateFromBlob(const uint8_t* data, int32_t size, int32_t formatCode, int32_t flag)
{
    int32_t index = RecordFromData(data, size, formatCode);
    if (index >= 0) g_Textures[size_t(index)]->pageFlag = uint8_t(flag & 1);
    return index;
}

int32_t Texture_CreateFromBitmap(const CBitmap32* bitmap)
{
    if (bitmap == nullptr || !bitmap->IsValid()) return -1;
    uint32_t bytes = 0;
    uint32_t* pixels = nullptr;
    bitmap->GetPixelBuffer(&bytes, &pixels);
    int32_t width = bitmap->GetWidth();
    int32_t height = bitmap->GetHeight();
    return Texture_CreateFromPixels(width, height, reinterpret_cast<const uint8_t*>(pixels),
                                    width * height * 4);
}

int32_t Texture_CreateFromTBitmap(IBitmap* bitmap, bool removeBackground, bool smooth)
{
    if (bitmap == nullptr) return -1;
    CBitmap32 picture(bitmap, removeBackground, smooth);
    return Texture_CreateFromBitmap(&picture);
}

int32_t Texture_CreateFromAlphaMap(int32_t width, int32_t height, const uint8_t* map)
{
    if (map == nullptr || width <= 0 || height <= 0) return -1;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0x00FFFFFFu | uint32_t(map[i]) << 24;
    int32_t index = Texture_CreateEmpty(width, height, false);
    if (index < 0) return -1;
    if (!GR_Texture_Upload(g_Textures[size_t(index)]->texture, 0, width, height, pixels.data())) {
        Texture_Free(index);
        return -1;
    }
    return index;
}

void Texture_Upload(int32_t index, const void* pixels)
{
    TextureRecord* r = Texture_Get(index);
    if (r != nullptr) GR_Texture_Upload(r->texture, 0, r->width, r->height, pixels);
}

void Texture_Free(int32_t index)
{
    TextureRecord* r = Texture_Get(index);
    if (r == nullptr) return;
    GR_Texture_Free(r->texture);
    r->texture = nullptr;
    r->inUse = 0;
}

void Texture_FreeAll()
{
    for (size_t i = 0; i < g_Textures.size(); ++i)
        Texture_Free(int32_t(i));
    Texture_ResetTable();
}

void Texture_ResetTable()
{
    for (TextureRecord* r : g_Textures)
        delete r;
    g_Textures.clear();
    g_Textures.shrink_to_fit();
}

bool Texture_Exists(int32_t index)
{
    return Valid(index);
}

float Texture_GetUsedWidth(int32_t index)
{
    TextureRecord* r = Texture_Get(index);
    return r != nullptr ? float(r->width) * r->reciprocalWidth : 1.0f;
}

float Texture_GetUsedHeight(int32_t index)
{
    TextureRecord* r = Texture_Get(index);
    return r != nullptr ? float(r->height) * r->reciprocalHeight : 1.0f;
}

void Texture_Preload(int32_t index)
{
    TextureRecord* r = Texture_Get(index);
    if (r != nullptr) GR_Texture_PreLoad(r->texture);
}

void Texture_SetPriority(int32_t index, uint32_t priority)
{
    TextureRecord* r = Texture_Get(index);
    if (r != nullptr) GR_Texture_SetPriority(r->texture, priority);
}

DeviceTexture* Texture_GetHandle(int32_t index)
{
    TextureRecord* r = Texture_Get(index);
    return r != nullptr ? r->texture : nullptr;
}

void Texture_SetStage(int32_t index)
{
    GR_Texture_SetStage(g_BatchTextureStage, Texture_GetHandle(index));
}

void GR_Draw_TextureFlush()
{
    // OpenGL keeps no per-texture residency for the device to give up, so only the surfaces are
    // left. Each is freed as surface_free frees it: forgetting the slots alone would leak their
    // render targets and could leave a forgotten surface as the drawing target.
    Surface_FreeAll();
}

uint32_t GR_VertexColourFromByte(uint32_t colour, uint32_t alphaByte)
{
    return (alphaByte & 0xFFu) << 24 | (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
}

uint32_t GR_MakeVertexColour(uint32_t colour, double alpha)
{
    double scaled = alpha * 255.0;
    uint32_t byte = 0;
    if (scaled >= 255.0)
        byte = 255;
    else if (scaled > 0.0)
        byte = uint32_t(scaled);
    return GR_VertexColourFromByte(colour, byte);
}
