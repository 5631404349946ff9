// The game as a sequence of rooms: starting it in its first room, changing rooms when the run
// request asks for it (carrying persistent instances, keeping the state of persistent rooms), and
// ending or restarting it. The order of create events, creation code, game start and room start,
// and of room end and game end, is fixed here.
#pragma once

#include <cstdint>
#include <vector>

class CInstanceList;
class CRoom;

// The current room's index (the last room started) and the running room (null outside a room).
extern int32_t g_CurrentRoomIndex;
CRoom* Run_CurrentRoom();
// The running room's speed as a field the main loop may correct; null without a room.
int32_t* Run_CurrentRoomSpeed();
// The running room's active list, the one that searches, steps and `with (all)` walk; null
// without a room.
CInstanceList* Room_CurrentActiveList();
// The run-time room of a room index (kept while the room is persistent), or null.
CRoom* Run_RoomState(int32_t index);

// The size of the run-time room table.
int32_t Run_RoomStateCount();
// A loaded saved game's rooms take the place of every run-time room (destroyed without events);
// `current` (an index holding a room) becomes the current room. Each room comes with its instances
// outside the id hash and their objects' lists: the current room's all join, another room's
// deactivated ones join the hash only, as when that room was left.
void Run_InstallRoomStates(std::vector<CRoom*>& rooms, int32_t current);

// Starts the game in the first room of the room order. A game without rooms, or whose first room
// does not exist, is ended (run request -100) with a message instead.
void StartGame();
// Room end and game end in the current room, then every run-time room is dropped.
void Run_EndGame();
void Run_StartRoom(int32_t roomIndex, bool firstRoom);
void Run_EndRoom(bool gameEnd);
void Run_ChangeRoom(int32_t roomIndex);
// Deletes the persistent instances still waiting to enter a room (shut-down).
void Run_FreeCarriedInstances();
// The number of persistent instances waiting to enter the next room.
int32_t Run_CarriedCount();
// Shut-down: every run-time room is destroyed without events; there is no current room any more.
void Run_FreeRoomStates();
