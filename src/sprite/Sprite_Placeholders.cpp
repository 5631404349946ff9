#include "sprite/Sprite_Placeholders.h"

// PLACEHOLDER for the sprites issue: no sprite needs a texture.
void Sprite_InitTextures() {}

// PLACEHOLDER for the sprites issue: the sprite table is empty.
void Sprite_Shutdown() {}

// PLACEHOLDER for the sprites issue: no sprite has any name.
int32_t Sprite_Find(const char*)
{
    return -1;
}
