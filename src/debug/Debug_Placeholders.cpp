#include "debug/Debug_Placeholders.h"

#include "run/Run_Globals.h"

// PLACEHOLDER until the remote debugger exists: a debugger that was never started has nothing to update.
void Debugger_InitRemoteInterface() {}

// PLACEHOLDER until the remote debugger exists: no debugger is attached.
void Debugger_SendUpdate() {}

// PLACEHOLDER until the debug form exists: no form is ever made.
void DebugForm_Show(CDebugForm* /*form*/, bool /*show*/) {}

// PLACEHOLDER until the debug form exists: no form can be made yet.
CDebugForm* DebugForm_Create() { return nullptr; }

// PLACEHOLDER until the debug form exists: no form exists to close.
void DebugForm_SaveAndClose(CDebugForm* /*form*/) {}

// PLACEHOLDER until the debug form exists: no form exists to delete.
void DebugForm_Delete(CDebugForm* /*form*/) {}

// PLACEHOLDER until the remote debugger exists: requests are taken off the connection and skipped,
// as unknown commands are.
void Debugger_HandleCommand(qzSocket* /*connection*/, const uint8_t* /*request*/, uint32_t /*length*/) {}

// PLACEHOLDER until the remote debugger exists: sets the paused flag; there is no step state yet to reset.
int32_t Debugger_SetPaused(bool paused)
{
    g_Paused = paused ? 1 : 0;
    return 0;
}
