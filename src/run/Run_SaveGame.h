// Saved games: the whole running game (run-layer globals, global variables, every run-time room
// with its instances, the virtual keys) written into a buffer, and read back at the start of the
// next frame. A saved game is untrusted: it is read whole into staged state, checked, and applied
// only when every part of it is valid.
#pragma once

#include <cstdint>

constexpr int32_t SAVEGAME_VERSION = 851;

// Applies the saved-game load queued for the start of this frame; true when one was applied.
bool Run_ApplyQueuedLoad();

// Saving the running game into a save-area file, or into a buffer at its write position (true
// when the buffer exists and the whole game was written).
void Run_SaveGame(const char* fileName);
bool Run_SaveGameBuffer(int32_t buffer);
// Queueing a load for the start of the next frame, from a file of the save area (else of the game's
// folder) or from a buffer, read from its read position (true when queued).
void Run_LoadGame(const char* fileName);
bool Run_LoadGameBuffer(int32_t buffer);
// Forgets a queued load (shut-down and tests).
void Run_ClearQueuedLoad();
