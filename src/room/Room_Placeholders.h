// Room services that game preparation and shut-down call before the rooms issues land.
#pragma once

#include <cstdint>

// Compiles every room's creation code; false after the failure was reported.
bool Room_Prepare();
// Empties the room table and clears the current room (shut-down).
void RoomTables_Free();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Room_Find(const char* name);
