// The room table: every room of the game by index (an index may hold no room), a name per index,
// and the room order from the header, which the game moves through. Rooms added at run time join
// the table but not the order. Also the rooms' preparation (compiling their creation code) and the
// id counters of instances and tiles.
//
// The chunk reader (ROOM_Load), the order (Room_LoadOrder), the reset and the counters are declared
// in gamefile/GameFile_Services.h, which the loader includes.
#pragma once

#include <cstdint>

#include "gamefile/GameFile_Services.h"

class CRoom;

int32_t Room_Count();
CRoom* Room_Get(int32_t index);
bool Room_Exists(int32_t index);
// The table's name, or "<undefined>" when the index holds no room.
const char* Room_GetName(int32_t index);
// The first index whose room exists and whose name equals the given one exactly, or -1.
int32_t Room_Find(const char* name);

// The room order: its first and last room, and the rooms before and after one (-1 at the ends, or
// for a room that is not in the order).
int32_t Room_OrderCount();
int32_t Room_OrderAt(int32_t position);
int32_t Room_First();
int32_t Room_Last();
int32_t Room_Previous(int32_t room);
int32_t Room_Next(int32_t room);

// A new room with a definition of its own, named "__newroom" and its index; its index.
int32_t Room_Add();
// A copy of the room's running state as a new room; -1 when the source does not exist.
int32_t Room_Duplicate(int32_t source);
// The destination becomes a copy of the source, made from the source's definition; false unless
// both exist.
bool Room_Assign(int32_t destination, int32_t source);
// Whether another room of the table uses the same definition as this record (a duplicate, an
// assigned room or their source).
bool Room_SharesDefinition(const CRoom* room);

// Compiles the creation code of every room and of every instance placed in one (source form).
// False after a room's code failed (reported); otherwise the result of the last compilation.
bool Room_Prepare();
// Fits the window to the current room: to its size, or with views to the extent of the visible
// ports, within the display.
void Room_SetWindowSize();
// The window a room asks for, before the display's limits: the room's size, or with views on the
// box round the visible views' ports.
void Room_WindowSize(const CRoom& room, int32_t& width, int32_t& height);

// Shut-down: no current room, every room destroyed, the order freed.
void RoomTables_Free();
