// Run-layer routines of other issues, standing in until they land. Each keeps the bookkeeping the
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
#include "support/Support_Placeholders.h"

// PLACEHOLDER for the saved games issue: nothing can be queued yet, so nothing is applied.
bool Run_ApplyQueuedLoad()
{
    return false;
}

// PLACEHOLDER for the highscores issue: no table to clear.
void Score_Clear() {}

// PLACEHOLDER for the highscores issue: nothing is read.
bool Score_Load()
{
    return false;
}

// PLACEHOLDER for the highscores issue: nothing changed, nothing to save.
void Score_Save() {}
