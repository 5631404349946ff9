// Run-layer routines that the main loop, start-up and shut-down call, built by other issues: the
// frame's stages, game start and end with room switching, and the highscores.
#pragma once

#include <cstdint>

// The current room's index, and its speed as a field the loop may correct (null: no room).
extern int32_t g_CurrentRoomIndex;
int32_t* Run_CurrentRoomSpeed();

// Game start, end and room switching.
void StartGame();
void Run_EndGame();
void Run_StartRoom(int32_t roomIndex, bool firstRoom);
void Run_EndRoom(bool gameEnd);
void Run_FreeCarriedInstances();

// The stages of one frame, and the change lists they apply between stages.
void Run_DoFrame();
void Run_EmptyChangeLists();

// Highscores: the table cleared at start-up, loaded with the "HighScore.." family, saved at shut-down.
void Score_Clear();
bool Score_Load();
void Score_Save();
