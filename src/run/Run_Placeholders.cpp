// Run-layer routines of other issues, standing in until they land. Each keeps the bookkeeping the
// main loop relies on (a started room clears the run request) and nothing more.
#include "run/Run_Placeholders.h"

#include "base/Base_Console.h"
#include "io/IO_Placeholders.h"
#include "platform/Platform_MemoryManager.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"
#include "support/Support_Placeholders.h"

int32_t g_CurrentRoomIndex = -1;

// PLACEHOLDER for the game start and room switching issue: no room is ever made.
int32_t* Run_CurrentRoomSpeed()
{
    return nullptr;
}

// PLACEHOLDER for the game start and room switching issue: resets the game values and starts the
// first room in order (index 0 until the room table exists).
void StartGame()
{
    MainConsole->Output("StartGame()\n");
    Timing_Init();
    g_Score = 0;
    g_Lives = -1;
    g_CursorSprite = -1;
    g_RoomFrameCounter = 0;
    g_TransitionKind = 0;
    Run_StartRoom(0, true);
    MainConsole->Output("StartGame() - DONE\n");
    MemoryManager::DumpUsage();
}

// PLACEHOLDER for the game start and room switching issue: ends the current room.
void Run_EndGame()
{
    Run_EndRoom(true);
}

// PLACEHOLDER for the game start and room switching issue: takes the room index and clears the
// request and the input, as a started room does.
void Run_StartRoom(int32_t roomIndex, bool /*firstRoom*/)
{
    g_RunRequest = RUN_REQUEST_NONE;
    IO_Clear();
    g_CurrentRoomIndex = roomIndex;
}

// PLACEHOLDER for the game start and room switching issue: there is no room state to end.
void Run_EndRoom(bool /*gameEnd*/) {}

// PLACEHOLDER for the game start and room switching issue: nothing is ever carried.
void Run_FreeCarriedInstances() {}

// PLACEHOLDER for the frame stages issue: the frame's first steps (delta time, input) and its last
// (the room frame counter); no events run.
void Run_DoFrame()
{
    Run_UpdateDeltaTime();
    IO_StartStep();
    ++g_RoomFrameCounter;
}

// PLACEHOLDER for the frame stages issue: the change lists do not exist yet.
void Run_EmptyChangeLists() {}

// PLACEHOLDER for the highscores issue: no table to clear.
void Score_Clear() {}

// PLACEHOLDER for the highscores issue: nothing is read.
bool Score_Load()
{
    return false;
}

// PLACEHOLDER for the highscores issue: nothing changed, nothing to save.
void Score_Save() {}
