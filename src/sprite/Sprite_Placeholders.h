// Sprite services of start-up and shut-down, before the sprites issue lands.
#pragma once

#include <cstdint>

void Sprite_InitTextures();
void Sprite_Shutdown();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Sprite_Find(const char* name);
