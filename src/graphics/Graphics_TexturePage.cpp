#include "graphics/Graphics_TexturePage.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Texture.h"
#include "platform/Platform_Bitmap.h"
#include "platform/Platform_MemoryManager.h"

namespace {

std::vector<TPageEntry*> g_OwnEntries; // by handle - TPAGE_OWN_HANDLE_BASE; null once released
std::unordered_map<const TPageEntry*, int32_t> g_OwnHandles;

} // namespace

void TPage_RegisterOwn(TPageEntry* entry)
{
    if (entry == nullptr || g_OwnHandles.count(entry) != 0) return;
    if (g_OwnEntries.size() >= size_t(INT32_MAX - TPAGE_OWN_HANDLE_BASE)) return;
    g_OwnHandles.emplace(entry, TPAGE_OWN_HANDLE_BASE + int32_t(g_OwnEntries.size()));
    g_OwnEntries.push_back(entry);
}

void TPage_ReleaseOwn(TPageEntry* entry)
{
    auto found = g_OwnHandles.find(entry);
    if (found == g_OwnHandles.end()) return;
    g_OwnEntries[size_t(found->second - TPAGE_OWN_HANDLE_BASE)] = nullptr;
    g_OwnHandles.erase(found);
}

int32_t TPage_Handle(const TPageEntry* entry)
{
    if (entry == nullptr) return -1;
    auto own = g_OwnHandles.find(entry);
    if (own != g_OwnHandles.end()) return own->second;
    TPageEntry* first = TexturePage_Get(0);
    if (first == nullptr) return -1;
    uintptr_t offset = reinterpret_cast<uintptr_t>(entry) - reinterpret_cast<uintptr_t>(first);
    uintptr_t index = offset / sizeof(TPageEntry);
    if (offset % sizeof(TPageEntry) != 0 || index >= uintptr_t(TexturePage_Count())) return -1;
    return TPAGE_HANDLE_BASE + int32_t(index);
}

TPageEntry* TPage_FromHandle(int32_t handle)
{
    if (handle >= TPAGE_OWN_HANDLE_BASE) {
        size_t slot = size_t(handle - TPAGE_OWN_HANDLE_BASE);
        return slot < g_OwnEntries.size() ? g_OwnEntries[slot] : nullptr;
    }
    if (handle < TPAGE_HANDLE_BASE) return nullptr;
    return TexturePage_Get(handle - TPAGE_HANDLE_BASE);
}

void TPage_FixCropSize(TPageEntry* entry)
{
    if (entry->cropWidth == 0) entry->cropWidth = 1;
    if (entry->cropHeight == 0) entry->cropHeight = 1;
}

CBitmap32* TPage_ReadPicture(const TPageEntry& entry)
{
    DeviceTexture* texture = Texture_GetHandle(entry.texture);
    if (texture == nullptr || entry.frameWidth <= 0 || entry.frameHeight <= 0) return nullptr;
    // The read-back would be cut to the page, and the rows below are as wide as the entry.
    if (entry.x < 0 || entry.y < 0 || entry.x + entry.width > DeviceTexture_Width(texture) ||
        entry.y + entry.height > DeviceTexture_Height(texture))
        return nullptr;
    uint8_t* pixels = GR_Surface_ReadPixels(texture, entry.x, entry.y, entry.width, entry.height);
    if (pixels == nullptr) return nullptr;
    TBitmap* image = TBitmap_Create();
    image->SetPixelFormat(BITMAP_FORMAT_32BIT);
    image->SetWidth(entry.frameWidth);
    image->SetHeight(entry.frameHeight);
    int32_t columns = std::min<int32_t>(entry.width, entry.frameWidth - entry.xOffset);
    for (int32_t row = 0; row < entry.height && columns > 0 && entry.xOffset >= 0; ++row) {
        uint8_t* line = nullptr;
        int32_t stride = 0;
        image->GetScanline(entry.yOffset + row, &line, &stride);
        if (line == nullptr) continue;
        std::memcpy(line + size_t(entry.xOffset) * 4, pixels + size_t(row) * size_t(entry.width) * 4,
                    size_t(columns) * 4);
    }
    MemoryManager::Free(pixels);
    auto* picture = new CBitmap32();
    picture->ConstructFromTBitmap(image, false, false, true);
    delete image;
    return picture;
}
