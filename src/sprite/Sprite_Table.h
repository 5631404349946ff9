// The sprite table: every sprite of the game by index, those of the game file's sprite chunk and
// those added while it runs. Slots are never reused: deleting empties a slot, adding appends one.
#pragma once

#include <cstdint>

#include "sprite/Sprite_Class.h"

class GameFile;

bool Sprite_Exists(int32_t index);
CSprite* Sprite_Get(int32_t index);
// "<undefined>" for an invalid index or an empty slot.
const char* Sprite_GetName(int32_t index);
// The lowest index whose sprite has exactly that name; -1 when none.
int32_t Sprite_Find(const char* name);
int32_t Sprite_Count();

void Sprite_Reset();
// The sprite chunk; false (with a log line) for a record that does not fit the file.
bool Sprite_Load(GameFile& file, uint32_t body, uint32_t length);
// Textures and own entries of every sprite that keeps pictures (the graphics have started).
void Sprite_InitTextures();
void Sprite_Shutdown();

int32_t Sprite_AddEmpty();
int32_t Sprite_Add(const char* name, int32_t frames, bool precise, bool removeBackground, bool smooth,
                   bool preload, int32_t xorigin, int32_t yorigin);
int32_t Sprite_AddAlpha(const char* name, int32_t frames, bool precise, bool preload, int32_t xorigin,
                        int32_t yorigin);
bool Sprite_Replace(int32_t index, const char* name, int32_t frames, bool precise, bool removeBackground,
                    bool smooth, bool preload, int32_t xorigin, int32_t yorigin);
bool Sprite_ReplaceAlpha(int32_t index, const char* name, int32_t frames, bool precise, bool preload,
                         int32_t xorigin, int32_t yorigin);
bool Sprite_Delete(int32_t index);
int32_t Sprite_Duplicate(int32_t index);
bool Sprite_Assign(int32_t destination, int32_t source);

// The sprite's own name and index point at its slot again, after a load that cleared the sprite
// (one that arrived from an address).
void Sprite_RebindSlot(int32_t index);

// Every instance that may use the sprite, as its image or as its mask, in any room, recomputes its
// box when next asked.
void Sprite_MarkInstanceBoxesDirty(int32_t index);
