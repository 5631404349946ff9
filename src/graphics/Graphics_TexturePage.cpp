#include "graphics/Graphics_TexturePage.h"

#include <cstddef>
#include <unordered_map>
#include <vector>

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
