#include "font/Font_Placeholders.h"

// PLACEHOLDER until fonts are loaded: no font needs a texture.
void Font_InitTextures() {}

// PLACEHOLDER until fonts are loaded: the font table is empty.
void Font_Shutdown() {}

// PLACEHOLDER until fonts are loaded: no font has any name.
int32_t Font_Find(const char*)
{
    return -1;
}
