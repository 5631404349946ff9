// Font services of start-up and shut-down, standing in until fonts are loaded.
#pragma once

#include <cstdint>

void Font_InitTextures();
void Font_Shutdown();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Font_Find(const char* name);
