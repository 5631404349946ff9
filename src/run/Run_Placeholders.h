// Run-layer routines that the main loop, start-up and shut-down call, built by other issues: the
// frame's stages, game start and end with room switching, and the highscores.
#pragma once

#include <cstdint>

// Game start, end and room switching are built (Run_Game.h); included here for this header's users.
#include "run/Run_Game.h"

// The stages of one frame, and the change lists they apply between stages.
void Run_DoFrame();
void Run_EmptyChangeLists();

// The room move of the run-layer commands: asks for a change to the room (run request = the index,
// transition kind 0); a room that does not exist is a fatal error ("Unexisting room number: ").
void Run_GotoRoom(int32_t room);

// Highscores: the table cleared at start-up, loaded with the "HighScore.." family, saved at shut-down.
void Score_Clear();
bool Score_Load();
void Score_Save();
