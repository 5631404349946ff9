#include "font/Font_Placeholders.h"

// PLACEHOLDER for the fonts issue: no font needs a texture.
void Font_InitTextures() {}

// PLACEHOLDER for the fonts issue: the font table is empty.
void Font_Shutdown() {}

// PLACEHOLDER for the fonts issue: no font has any name.
int32_t Font_Find(const char*)
{
    return -1;
}
