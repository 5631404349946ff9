// Texture-page entries as scripts see them. A script never holds an entry's address: it gets a
// handle, a number far above any texture index, checked against the page table whenever it comes
// back, so a stale or made-up value names no entry.
#pragma once

#include <cstdint>

#include "gamefile/GameFile_Textures.h"

class CBitmap32;

constexpr int32_t TPAGE_HANDLE_BASE = 0x40000000;
// Entries that resources build for their own textures take handles from here up, never reused, so
// the handle of a released entry names nothing.
constexpr int32_t TPAGE_OWN_HANDLE_BASE = 0x50000000;

// The handle of an entry of the page table or a registered own entry; -1 for null or any other.
int32_t TPage_Handle(const TPageEntry* entry);
// The entry a handle names, or null.
TPageEntry* TPage_FromHandle(int32_t handle);
// An entry a resource built itself joins the handles until it is released (before it is freed).
void TPage_RegisterOwn(TPageEntry* entry);
void TPage_ReleaseOwn(TPageEntry* entry);
// A crop size of 0 is drawn as 1, and the 1 is written back into the entry.
void TPage_FixCropSize(TPageEntry* entry);
// The entry's picture read back from its page: a new 32-bit bitmap of the whole frame (the size
// before cropping), the page's pixels at the crop offset and clear elsewhere. Null when the page
// cannot be read back.
CBitmap32* TPage_ReadPicture(const TPageEntry& entry);
