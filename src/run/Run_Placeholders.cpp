// Run-layer routines of other issues, standing in until they land. Each keeps the bookkeeping the
// main loop relies on (a started room clears the run request) and nothing more.
#include "run/Run_Placeholders.h"

#include <string>

#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "io/IO_Placeholders.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Table.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"
#include "support/Support_Placeholders.h"

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

// PLACEHOLDER for the run-layer commands issue: the room move as that issue specifies it.
void Run_GotoRoom(int32_t room)
{
    g_RunRequest = room;
    g_TransitionKind = 0;
    if (Room_Exists(room)) return;
    std::string message = "Unexisting room number: " + std::to_string(room);
    Error_Show_Action(message.c_str(), true);
    g_RunRequest = RUN_REQUEST_FATAL;
}
