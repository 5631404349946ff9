#include "graphics/Graphics_TexturePage.h"

int32_t TPage_Handle(const TPageEntry* entry)
{
    TPageEntry* first = TexturePage_Get(0);
    if (entry == nullptr || first == nullptr) return -1;
    uintptr_t offset = reinterpret_cast<uintptr_t>(entry) - reinterpret_cast<uintptr_t>(first);
    uintptr_t index = offset / sizeof(TPageEntry);
    if (offset % sizeof(TPageEntry) != 0 || index >= uintptr_t(TexturePage_Count())) return -1;
    return TPAGE_HANDLE_BASE + int32_t(index);
}

TPageEntry* TPage_FromHandle(int32_t handle)
{
    if (handle < TPAGE_HANDLE_BASE) return nullptr;
    return TexturePage_Get(handle - TPAGE_HANDLE_BASE);
}

void TPage_FixCropSize(TPageEntry* entry)
{
    if (entry->cropWidth == 0) entry->cropWidth = 1;
    if (entry->cropHeight == 0) entry->cropHeight = 1;
}
