#include "background/Background_Placeholders.h"

// PLACEHOLDER until backgrounds are loaded: no background needs a texture.
void Background_InitTextures() {}

// PLACEHOLDER until backgrounds are loaded: the background table is empty.
void Background_Clear() {}

// PLACEHOLDER until backgrounds are loaded: no background has any name.
int32_t Background_Find(const char*)
{
    return -1;
}

// PLACEHOLDER until backgrounds are loaded: no background exists, so none has a size.
int32_t CBackground::GetWidth() const { return 0; }
// PLACEHOLDER until backgrounds are loaded.
int32_t CBackground::GetHeight() const { return 0; }
// PLACEHOLDER until backgrounds are loaded: the background table is empty.
CBackground* Background_Data(int32_t) { return nullptr; }
// PLACEHOLDER until backgrounds are loaded: no background exists, so none is drawn.
void CBackground::DrawPart(float, float, float, float, float, float, float, float, uint32_t, float) {}
// PLACEHOLDER until backgrounds are loaded.
void CBackground::DrawTiled(float, float, float, float, bool, bool, float, float, float, float, uint32_t, float) {}
// PLACEHOLDER until backgrounds are loaded: the background table is empty.
bool Background_Exists(int32_t) { return false; }
// PLACEHOLDER until backgrounds are loaded: no background exists, so none keeps flags.
bool CBackground::GetTransparent() const { return false; }
// PLACEHOLDER until backgrounds are loaded.
bool CBackground::GetSmooth() const { return false; }
// PLACEHOLDER until backgrounds are loaded.
bool CBackground::GetPreload() const { return false; }
// PLACEHOLDER until backgrounds are loaded: no background exists to replace.
bool Background_Replace(int32_t, const char*, bool, bool, bool) { return false; }
