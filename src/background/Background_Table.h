// The background table: every background of the game by index, those of the game file's background
// chunk and those added while it runs. Slots are never reused: deleting empties a slot, adding
// appends one named "__newbackground" and its index.
#pragma once

#include <cstdint>

#include "background/Background_Class.h"

class GameFile;

bool Background_Exists(int32_t index);
// The background at the index, or null.
CBackground* Background_Data(int32_t index);
// "<undefined>" for an invalid index or an empty slot.
const char* Background_Name(int32_t index);
// The lowest index whose background has exactly that name; -1 when none (name resolution asks it
// for every word).
int32_t Background_Find(const char* name);
int32_t Background_Count();

// Deletes every background before a game file is loaded.
void Background_Reset();
// The background chunk; false (with a log line naming the chunk) for a record that does not fit the
// file.
bool Background_Load(GameFile& file, uint32_t body, uint32_t length);
// The textures of every background that keeps a picture (the graphics have started).
void Background_InitTextures();
// At exit: frees every name and texture, then every background and the table.
void Background_Clear();
void Background_Free();

int32_t Background_AddEmpty();
// A PNG from the save area, else the game's folder; -1 when it is missing or does not decode.
int32_t Background_Add(const char* name, bool removeBackground, bool smooth, bool preload);
int32_t Background_AddAlpha(const char* name, bool preload);
bool Background_Replace(int32_t index, const char* name, bool removeBackground, bool smooth, bool preload);
bool Background_ReplaceAlpha(int32_t index, const char* name, bool preload);
bool Background_Delete(int32_t index);
int32_t Background_Duplicate(int32_t index);
bool Background_Assign(int32_t destination, int32_t source);
