// Texture-page entries as scripts see them. A script never holds an entry's address: it gets a
// handle, a number far above any texture index, checked against the page table whenever it comes
// back, so a stale or made-up value names no entry.
#pragma once

#include <cstdint>

#include "gamefile/GameFile_Textures.h"

constexpr int32_t TPAGE_HANDLE_BASE = 0x40000000;

// The handle of an entry of the page table; -1 for null or an entry outside the table.
int32_t TPage_Handle(const TPageEntry* entry);
// The entry a handle names, or null.
TPageEntry* TPage_FromHandle(int32_t handle);
// A crop size of 0 is drawn as 1, and the 1 is written back into the entry.
void TPage_FixCropSize(TPageEntry* entry);
