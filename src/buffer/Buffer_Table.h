// The buffer table: scripts, saved games, sockets and the debugger name buffers by the index of a
// slot. A new buffer takes the lowest empty slot; the table grows to 32 slots, then doubles, and never
// shrinks or empties while the game runs.
#pragma once

#include <cstdint>

class IBuffer;

// A Buffer_Fast for kind 3, else a Buffer_Standard; its index.
int32_t Buffer_Create(int32_t size, int32_t kind, int32_t alignment);
// A fixed buffer (alignment 1) over the given memory, freed with the buffer only when owned.
int32_t Buffer_Wrap(uint8_t* memory, int32_t size, bool owns);
// Puts a buffer made elsewhere into the lowest empty slot; the table owns it from then on.
int32_t Buffer_Add(IBuffer* buffer);
// Null for an index outside the table or an empty slot.
IBuffer* Buffer_Get(int32_t index);
// Destroys the buffer of a slot and empties it; other indices are ignored.
void Buffer_Delete(int32_t index);
int32_t Buffer_SlotCount();
// Destroys every buffer and drops the slots (tests).
void Buffer_DeleteAll();
