#include "background/Background_Placeholders.h"

// PLACEHOLDER for the backgrounds issue: no background needs a texture.
void Background_InitTextures() {}

// PLACEHOLDER for the backgrounds issue: the background table is empty.
void Background_Clear() {}

// PLACEHOLDER for the backgrounds issue: no background has any name.
int32_t Background_Find(const char*)
{
    return -1;
}
