#include "debug/Debug_Placeholders.h"

// PLACEHOLDER for the remote debugger issue: does nothing, as specified.
void Debugger_InitRemoteInterface() {}

// PLACEHOLDER for the remote debugger issue: no debugger is attached.
void Debugger_SendUpdate() {}

// PLACEHOLDER for the debug form issue: no form is ever made.
void DebugForm_Show(CDebugForm* /*form*/, bool /*show*/) {}

// PLACEHOLDER for the debug form issue: no form can be made yet.
CDebugForm* DebugForm_Create() { return nullptr; }

// PLACEHOLDER for the debug form issue: no form exists to close.
void DebugForm_SaveAndClose(CDebugForm* /*form*/) {}

// PLACEHOLDER for the debug form issue: no form exists to delete.
void DebugForm_Delete(CDebugForm* /*form*/) {}
