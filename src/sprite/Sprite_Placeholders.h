// What the sprite table needs of the HTTP requests, before they exist.
#pragma once

#include <cstdint>

// Starts loading the image at an http or https address into the sprite of that slot (its image-
// loaded event follows when the data arrives).
void Sprite_StartUrlLoad(int32_t index, const char* url, int32_t frames, bool precise, bool removeBackground,
                         bool smooth, bool preload, int32_t xorigin, int32_t yorigin);
