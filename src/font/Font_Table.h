// The font table: every font of the game by index with a name for each, those of the game file's
// font chunk and those added while it runs. Deleting leaves a hole; adding appends. The font chunk
// also carries the 256-entry character table that gives sprite fonts their characters.
#pragma once

#include <cstdint>

#include "font/Font_Class.h"

class GameFile;

bool Font_Exists(int32_t index);
// The font, or null.
CFontKV* Font_Data(int32_t index);
// "<undefined>" for a bad index or a hole; null for a font without a name.
const char* Font_Name(int32_t index);
// The lowest index holding a font of exactly that name; -1 when none (name resolution asks it for
// every word).
int32_t Font_Find(const char* name);
int32_t Font_Count();
// Room in the table; it grows by five entries when full.
int32_t Font_Capacity();

// The font chunk; false (with a log line naming it) for a font that does not fit the file.
bool Font_Load(GameFile& file, uint32_t body, uint32_t length);

int32_t Font_Add(const char* name, int32_t size, bool bold, bool italic, int32_t first, int32_t last);
int32_t Font_AddSprite(int32_t sprite, int32_t first, bool proportional, int32_t separation);
int32_t Font_AddSpriteExt(int32_t sprite, const char* map, bool proportional, int32_t separation);
// False when the index is outside the table; a hole in range is filled and keeps no name.
bool Font_Replace(int32_t index, const char* name, int32_t size, bool bold, bool italic, int32_t first,
                  int32_t last);
bool Font_ReplaceSprite(int32_t index, int32_t sprite, int32_t first, bool proportional, int32_t separation);
bool Font_ReplaceSpriteExt(int32_t index, int32_t sprite, const char* map, bool proportional, int32_t separation);
bool Font_Delete(int32_t index);

// Every font's own texture, once the graphics device exists.
void Font_InitTextures();
void Font_FreeTextures();
// Textures, then fonts and names, then the table (before a game file is read, and at exit).
void Font_Clear();
void Font_Shutdown();
