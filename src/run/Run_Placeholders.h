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

// Highscores: the table cleared at start-up, loaded with the "HighScore.." family, saved at shut-down.
void Score_Clear();
bool Score_Load();
void Score_Save();
