// Run-layer routines that the main loop, start-up and shut-down call, built elsewhere: the
// frame's stages, game start and end with room switching, and the highscores.
#pragma once

#include <cstdint>

// Game start, end and room switching are built (Run_Game.h); included here for this header's users.
#include "run/Run_Game.h"

// The stages of one frame and the run-layer commands are built; included here for this header's
// users.
#include "run/Run_Commands.h"
#include "run/Run_Frame.h"

// Applies the saved-game load queued for the start of this frame; true when one was applied.
bool Run_ApplyQueuedLoad();

// Saved games: saving the running game to a file in the save area or into a buffer (true when the
// buffer exists), and queueing a load from a file or a buffer for the start of the next frame
// (true when the buffer's load was queued).
void Run_SaveGame(const char* fileName);
void Run_LoadGame(const char* fileName);
bool Run_SaveGameBuffer(int32_t buffer);
bool Run_LoadGameBuffer(int32_t buffer);

// Highscores: the table cleared at start-up, loaded with the "HighScore.." family, saved at shut-down.
void Score_Clear();
bool Score_Load();
void Score_Save();
