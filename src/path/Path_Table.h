// The path table: every path of the game by index, those of the game file's path chunk ("PATH") and
// those scripts add. Slots are never reused: deleting empties a slot, adding appends one named
// "__newpath" and its index.
#pragma once

#include <cstdint>

#include "path/Path_Class.h"

class GameFile;

// At program start the table is empty.
void Path_Init();
// Deletes every path and empties the table (before a game file is read).
void Path_Reset();
// The path chunk; false (with a log line) for a record, name or point list outside the file.
bool Path_Load(GameFile& file, uint32_t body, uint32_t length);

int32_t Path_Count();
bool Path_Exists(int32_t index);
// The path of the index; null for a bad index or an empty slot.
CPath* Path_Data(int32_t index);
// "<undefined>" for a bad index or an empty slot; "" for a path without a name.
const char* Path_Name(int32_t index);
// The lowest index of a path of exactly that name, or -1.
int32_t Path_Find(const char* name);

// A new empty path at the end; its index.
int32_t Path_Add();
// A copy of the path at the end; -1 for a bad index or an empty slot.
int32_t Path_Duplicate(int32_t index);
// Copies the source over the target (an empty target slot gets a path, its name unchanged). False
// when the source names no path or the target is out of range; a path assigned to itself is
// reported as an error.
bool Path_Assign(int32_t target, int32_t source);
bool Path_Delete(int32_t index);
