// Device textures: creation from sizes, pixels and texture-page data, upload, binding to a stage,
// and the stack of render targets.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/Base_Console.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_BatchTextureFile.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceApi.h"
#include "platform/Platform_MemoryManager.h"

DeviceTexture* g_DeviceTextures = nullptr;

namespace {

struct SavedTarget {
    D3DSurface* target;
    D3DSurface* depth;
};
SavedTarget g_TargetStack[RENDER_TARGET_STACK_SIZE];
int32_t g_TargetDepth = 0;

// What each stage has bound, to count texture switches.
DeviceTexture* g_StageTextures[D3D_SAMPLER_COUNT] = {};

constexpr int32_t RESOURCE_TYPE_TEXTURE = 3;

uint32_t PackSize(int32_t width, int32_t height, int32_t levels)
{
    return uint32_t(width - 1) | (uint32_t(height - 1) << 13) | (uint32_t(levels - 1) << 26);
}

int32_t FormatBytes(int32_t formatCode)
{
    return formatCode == TEXTURE_FORMAT_A4R4G4B4 ? 2 : 4;
}

void Link(DeviceTexture* texture)
{
    texture->next = g_DeviceTextures;
    g_DeviceTextures = texture;
}

void Unlink(DeviceTexture* texture)
{
    for (DeviceTexture** link = &g_DeviceTextures; *link != nullptr; link = &(*link)->next) {
        if (*link == texture) {
            *link = texture->next;
            return;
        }
    }
}

void AllocateSystemCopy(DeviceTexture* texture, int32_t width, int32_t height)
{
    texture->systemBlock = MEM_ALLOC(size_t(width) * size_t(height) * 4 + 16, true);
    uintptr_t address = reinterpret_cast<uintptr_t>(texture->systemBlock);
    texture->systemPixels = reinterpret_cast<uint8_t*>((address + 15) & ~uintptr_t(15));
}

// Releases everything a texture holds; it stays allocated.
void ReleaseParts(DeviceTexture* texture)
{
    if (texture->depthStencil != nullptr) texture->depthStencil->Release();
    if (texture->renderTarget != nullptr) texture->renderTarget->Release();
    if (texture->texture != nullptr) texture->texture->Release();
    MemoryManager::Free(texture->systemBlock);
    texture->depthStencil = nullptr;
    texture->renderTarget = nullptr;
    texture->texture = nullptr;
    texture->systemBlock = nullptr;
    texture->systemPixels = nullptr;
}

void FillInfo(DeviceTextureInfo* info, int32_t width, int32_t height, int32_t bits, int32_t formatCode)
{
    if (info == nullptr) return;
    *info = DeviceTextureInfo{width, height, bits, 0, formatCode, -1, formatCode};
}

// A "RAW " block of the texture chunk; its sizes come from the file and are checked first.
DeviceTexture* CreateFromRaw(const uint8_t* data, int32_t length, DeviceTextureInfo* info)
{
    TextureRawBlock block;
    if (!TextureRaw_Decode(data, size_t(length), &block)) {
        MainConsole->Output("Texture block refused: not a whole block of a known kind\n");
        return nullptr;
    }
    int32_t formatCode = block.kind == 0 ? TEXTURE_FORMAT_A8R8G8B8 : TEXTURE_FORMAT_A4R4G4B4;
    DeviceTexture* texture = GR_Texture_Create(block.width, block.height, 1, false, formatCode);
    if (texture == nullptr) return nullptr;
    GR_Texture_Upload(texture, 0, block.width, block.height, block.pixels.data());
    FillInfo(info, DeviceTexture_Width(texture), DeviceTexture_Height(texture), block.kind == 0 ? 32 : 16,
             formatCode);
    return texture;
}

int32_t NextPowerOfTwo(int32_t side)
{
    int32_t p = 1;
    while (p < side && p < (1 << 30))
        p <<= 1;
    return p;
}

// The loader of image files: the texture takes the picture's size rounded up to powers of two,
// the picture stretched onto it.
DeviceTexture* CreateFromFile(const uint8_t* data, int32_t length, DeviceTextureInfo* info,
                              int32_t formatCode)
{
    D3DDevice* device = GR_D3D_Device();
    TextureFileImage image;
    if (device == nullptr || !TextureFile_Decode(data, size_t(length), &image)) {
        MainConsole->Output("Texture data could not be decoded\n");
        return nullptr;
    }
    bool compressed = image.format != D3DFMT_A8R8G8B8 && image.format != D3DFMT_X8R8G8B8;
    int32_t width = compressed ? image.width : NextPowerOfTwo(image.width);
    int32_t height = compressed ? image.height : NextPowerOfTwo(image.height);
    int32_t format = compressed ? image.format : D3DFMT_A8R8G8B8;
    if (!compressed && width != image.width)
        image.pixels = TextureFile_Stretch(image.pixels, image.width, image.height, width, image.height);
    if (!compressed && height != image.height)
        image.pixels = TextureFile_Stretch(image.pixels, width, image.height, width, height);
    if (!compressed && formatCode == TEXTURE_FORMAT_DXT1) {
        // One bit of alpha is all a DXT1 texture keeps.
        for (size_t i = 3; i < image.pixels.size(); i += 4)
            image.pixels[i] = image.pixels[i] >= 128 ? 255 : 0;
    }
    D3DTexture* created = nullptr;
    D3DResult result = device->CreateTexture(width, height, 1, 0, format, g_D3D.texturePool, &created);
    if (result != D3D_OK) {
        MainConsole->Output("CreateTexture failed - %08x\n", uint32_t(result));
        return nullptr;
    }
    D3DLockedRect locked;
    if (created->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
        int32_t rows = D3D_FormatRows(format, height);
        int32_t pitch = D3D_FormatPitch(format, width);
        for (int32_t row = 0; row < rows; ++row)
            std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(row) * size_t(locked.pitch),
                        image.pixels.data() + size_t(row) * size_t(pitch), size_t(pitch));
        created->UnlockRect(0);
    }
    auto* texture = new DeviceTexture();
    texture->formatCode = compressed ? formatCode : TEXTURE_FORMAT_A8R8G8B8;
    texture->packedSize = PackSize(width, height, 1);
    texture->texture = created;
    created->GetSurfaceLevel(0, &texture->renderTarget);
    Link(texture);
    if (info != nullptr) {
        *info = DeviceTextureInfo{image.width,           image.height,    1, image.levels, image.format,
                                  RESOURCE_TYPE_TEXTURE, image.fileFormat};
    }
    return texture;
}

} // namespace

int32_t Texture_DeviceFormat(int32_t formatCode)
{
    static const int32_t FORMATS[] = {-1,           D3DFMT_DXT1, D3DFMT_DXT2,     D3DFMT_DXT3,
                                      D3DFMT_DXT4,  D3DFMT_DXT5, D3DFMT_A8R8G8B8, D3DFMT_D32,
                                      D3DFMT_D24S8, D3DFMT_R16F, D3DFMT_R32F,     D3DFMT_A4R4G4B4};
    return formatCode >= 0 && formatCode <= 11 ? FORMATS[formatCode] : formatCode;
}

int32_t Texture_RoundSide(int32_t side)
{
    int32_t rounded = TEXTURE_MIN_SIDE;
    while (rounded < side && rounded < TEXTURE_MAX_SIDE)
        rounded <<= 1;
    return rounded;
}

DeviceTexture* GR_Texture_Create(int32_t width, int32_t height, int32_t levels, bool renderTarget,
                                 int32_t formatCode)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || width <= 0 || height <= 0) return nullptr;
    if (renderTarget) {
        // The packed size holds 13 bits a side.
        if (width > TEXTURE_MAX_TARGET_SIDE || height > TEXTURE_MAX_TARGET_SIDE) {
            MainConsole->Output("CreateTexture failed - %d x %d is too large for a render target\n", width,
                                height);
            return nullptr;
        }
    } else {
        width = Texture_RoundSide(width);
        height = Texture_RoundSide(height);
    }
    levels = std::max(levels, 1);
    int32_t format = Texture_DeviceFormat(formatCode);
    auto* texture = new DeviceTexture();
    texture->formatCode = formatCode;
    texture->packedSize = PackSize(width, height, std::min(levels, 64));
    AllocateSystemCopy(texture, width, height);

    D3DResult result;
    if (renderTarget) {
        int32_t samples = g_D3D.parameters.multiSampleType;
        result = device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                                       &texture->texture);
        if (result == D3D_OK)
            result =
                device->CreateRenderTarget(width, height, format, samples, false, &texture->renderTarget);
        if (result == D3D_OK)
            result = device->CreateDepthStencilSurface(width, height, g_D3D.parameters.autoDepthStencilFormat,
                                                       samples, true, &texture->depthStencil);
    } else {
        result = device->CreateTexture(width, height, 1, 0, format, g_D3D.texturePool, &texture->texture);
    }
    if (result != D3D_OK) {
        MainConsole->Output("CreateTexture failed - %08x\n", uint32_t(result));
        ReleaseParts(texture);
        delete texture;
        return nullptr;
    }
    if (texture->renderTarget == nullptr) texture->texture->GetSurfaceLevel(0, &texture->renderTarget);
    texture->flags = 0;
    Link(texture);
    return texture;
}

DeviceTexture* GR_Texture_CreateFromPixels(const void* pixels, int32_t width, int32_t height,
                                           DeviceTextureInfo* info)
{
    if (pixels == nullptr || width <= 0 || height <= 0) return nullptr;
    int32_t realWidth = Texture_RoundSide(width);
    int32_t realHeight = Texture_RoundSide(height);
    if (info != nullptr)
        *info = DeviceTextureInfo{
            realWidth, realHeight, 32, 0, TEXTURE_FORMAT_A8R8G8B8, -1, TEXTURE_FORMAT_A8R8G8B8};
    DeviceTexture* texture = GR_Texture_Create(width, height, 1, false, TEXTURE_FORMAT_A8R8G8B8);
    if (texture != nullptr) GR_Texture_Upload(texture, 0, width, height, pixels);
    return texture;
}

DeviceTexture* GR_Texture_CreateFromData(const void* data, int32_t length, DeviceTextureInfo* info,
                                         int32_t formatCode)
{
    if (info != nullptr) *info = DeviceTextureInfo{};
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (bytes == nullptr || length <= 0) return nullptr;
    if (TextureRaw_IsBlock(bytes, size_t(length))) return CreateFromRaw(bytes, length, info);
    return CreateFromFile(bytes, length, info, formatCode);
}

bool GR_Texture_Upload(DeviceTexture* texture, int32_t level, int32_t width, int32_t height,
                       const void* pixels)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || texture == nullptr || texture->texture == nullptr || pixels == nullptr ||
        level < 0)
        return false;
    int32_t realWidth = DeviceTexture_Width(texture);
    int32_t realHeight = DeviceTexture_Height(texture);
    int32_t bytesPerPixel = FormatBytes(texture->formatCode);
    if (texture->systemPixels == nullptr) AllocateSystemCopy(texture, realWidth, realHeight);
    // A picture larger than the texture keeps only the part that fits: every row, 16-bit ones too,
    // goes to its place at the texture's real width.
    int32_t copyWidth = std::min(width, realWidth);
    int32_t copyHeight = std::min(height, realHeight);
    const auto* source = static_cast<const uint8_t*>(pixels);
    for (int32_t row = 0; row < copyHeight; ++row)
        std::memcpy(texture->systemPixels + size_t(row) * size_t(realWidth) * size_t(bytesPerPixel),
                    source + size_t(row) * size_t(width) * size_t(bytesPerPixel),
                    size_t(copyWidth) * size_t(bytesPerPixel));

    D3DSurfaceDesc desc;
    texture->texture->GetLevelDesc(0, &desc);
    if (D3D_FormatPitch(desc.format, 4) != 4 * bytesPerPixel || D3D_FormatRows(desc.format, 4) != 4) {
        MainConsole->Output("Texture upload refused: the texture does not hold %d-byte pixels\n",
                            bytesPerPixel);
        return false;
    }
    D3DTexture* staging = nullptr;
    if (device->CreateTexture(realWidth, realHeight, 1, 0, desc.format, D3DPOOL_SYSTEMMEM, &staging) !=
        D3D_OK) {
        MainConsole->Output("Failed CreateTexture on SystemMem\n");
        return false;
    }
    D3DLockedRect locked;
    if (staging->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
        int32_t rows = realHeight >> level;
        size_t rowBytes = size_t(realWidth >> level) * size_t(bytesPerPixel);
        for (int32_t row = 0; row < rows; ++row)
            std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(row) * size_t(locked.pitch),
                        texture->systemPixels + size_t(row) * rowBytes, rowBytes);
        staging->UnlockRect(0);
    }
    texture->texture->AddDirtyRect(nullptr);
    D3DResult result = device->UpdateTexture(staging, texture->texture);
    staging->Release();
    return result == D3D_OK;
}

void GR_Texture_SetStage(int32_t stage, DeviceTexture* texture)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || stage < 0 || stage >= D3D_SAMPLER_COUNT) return;
    if (texture != nullptr && texture->texture == nullptr)
        texture = nullptr; // the batch's "no texture" value
    if (texture != nullptr && (texture->flags & DEVICE_TEXTURE_TARGET_NEWER) != 0) {
        // Drawing made on the target reaches the texture before it is read.
        D3DSurface* level = nullptr;
        if (texture->texture->GetSurfaceLevel(0, &level) == D3D_OK) {
            device->StretchRect(texture->renderTarget, nullptr, level, nullptr, D3DTEXF_LINEAR);
            level->Release();
        }
        texture->flags &= ~DEVICE_TEXTURE_TARGET_NEWER;
    }
    if (g_StageTextures[stage] != texture) ++g_BatchStatistics.textureSwitches;
    g_StageTextures[stage] = texture;
    device->SetTexture(stage, texture != nullptr ? texture->texture : nullptr);
}

void GR_Texture_SetBlendOps(bool on)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr) return;
    if (on) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    } else {
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    }
}

void GR_Texture_Free(DeviceTexture* texture)
{
    if (texture == nullptr) return;
    Graphics::ForgetTexture(texture);
    // A stage that still shows it lets go, so a new texture at the same address is bound again.
    for (int32_t stage = 0; stage < D3D_SAMPLER_COUNT; ++stage) {
        if (g_StageTextures[stage] != texture) continue;
        g_StageTextures[stage] = nullptr;
        if (GR_D3D_Device() != nullptr) GR_D3D_Device()->SetTexture(stage, nullptr);
    }
    ReleaseParts(texture);
    Unlink(texture);
    delete texture;
}

void GR_Texture_ForgetStages()
{
    for (DeviceTexture*& texture : g_StageTextures)
        texture = nullptr;
}

void GR_Texture_PreLoad(DeviceTexture* texture)
{
    if (texture != nullptr && texture->texture != nullptr) texture->texture->PreLoad();
}

void GR_Texture_SetPriority(DeviceTexture* texture, uint32_t priority)
{
    if (texture != nullptr && texture->texture != nullptr) texture->texture->SetPriority(priority);
}

// ---- render targets ----

bool GR_Surface_PushTarget()
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr) return false;
    if (g_TargetDepth >= RENDER_TARGET_STACK_SIZE) {
        MainConsole->Output("Render target stack is full: the target is not saved\n");
        return false;
    }
    SavedTarget saved = {nullptr, nullptr};
    device->GetRenderTarget(0, &saved.target);
    device->GetDepthStencilSurface(&saved.depth);
    g_TargetStack[g_TargetDepth++] = saved;
    return true;
}

bool GR_Surface_PopTarget()
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || g_TargetDepth == 0) return false;
    Graphics::Flush();
    SavedTarget saved = g_TargetStack[--g_TargetDepth];
    bool ok = saved.target == nullptr || device->SetRenderTarget(0, saved.target) == D3D_OK;
    ok = device->SetDepthStencilSurface(saved.depth) == D3D_OK && ok;
    if (saved.target != nullptr) saved.target->Release();
    if (saved.depth != nullptr) saved.depth->Release();
    return ok;
}

void GR_Surface_PopAllTargets()
{
    while (g_TargetDepth > 0)
        GR_Surface_PopTarget();
}

void GR_Surface_DropAllTargets()
{
    while (g_TargetDepth > 0) {
        SavedTarget saved = g_TargetStack[--g_TargetDepth];
        if (saved.target != nullptr) saved.target->Release();
        if (saved.depth != nullptr) saved.depth->Release();
    }
}

int32_t GR_Surface_TargetDepth()
{
    return g_TargetDepth;
}

bool GR_Surface_SetTarget(int32_t index, DeviceTexture* texture)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || index != 0 || texture == nullptr || texture->renderTarget == nullptr)
        return false;
    Graphics::Flush();
    bool ok = device->SetRenderTarget(0, texture->renderTarget) == D3D_OK;
    device->SetDepthStencilSurface(texture->depthStencil);
    texture->flags |= DEVICE_TEXTURE_TARGET_NEWER;
    return ok;
}
