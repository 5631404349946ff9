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

// Saved games and highscores are built (Run_SaveGame.h, Run_Highscore.h); included here for this
// header's users.
#include "run/Run_Highscore.h"
#include "run/Run_SaveGame.h"
