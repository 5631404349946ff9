// Run-layer routines of other areas, standing in until those are built. Each keeps the bookkeeping the
// main loop relies on (a started room clears the run request) and nothing more.
#include "run/Run_Placeholders.h"

#include <string>

#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "io/IO_Main.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Table.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

// PLACEHOLDER until saved games load: nothing can be queued yet, so nothing is applied.
bool Run_ApplyQueuedLoad()
{
    return false;
}

// PLACEHOLDER until saved games exist: nothing is written.
void Run_SaveGame(const char*) {}

// PLACEHOLDER until saved games exist: nothing is read or queued.
void Run_LoadGame(const char*) {}

// PLACEHOLDER until saved games and buffers exist: no buffer exists, so nothing is written.
bool Run_SaveGameBuffer(int32_t)
{
    return false;
}

// PLACEHOLDER until saved games and buffers exist: no buffer exists, which is reported as for a
// missing buffer.
bool Run_LoadGameBuffer(int32_t buffer)
{
    MainConsole->Output("WARNING: No buffer available for %d\n", buffer);
    return false;
}

// PLACEHOLDER until highscores are kept: no table to clear.
void Score_Clear() {}

// PLACEHOLDER until highscores are kept: nothing is read.
bool Score_Load()
{
    return false;
}

// PLACEHOLDER until highscores are kept: nothing changed, nothing to save.
void Score_Save() {}
