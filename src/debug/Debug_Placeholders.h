// Remote-debugger and debug-form services of start-up and the main loop, standing in until they exist.
#pragma once

#include <cstdint>

struct CDebugForm;

void Debugger_InitRemoteInterface();
void Debugger_SendUpdate();
void DebugForm_Show(CDebugForm* form, bool show);
// The game's start in debug mode: makes the form's record (with its 10 watch entries) and creates
// its dialogs; null when no form could be made.
CDebugForm* DebugForm_Create();
// The game's end: hides the form, resumes a paused game and stores the form's settings.
void DebugForm_SaveAndClose(CDebugForm* form);
// Destroys the form's record.
void DebugForm_Delete(CDebugForm* form);

class qzSocket;

// A debugger request cut from a debugger connection (at least 44 bytes, or the length it announces).
void Debugger_HandleCommand(qzSocket* connection, const uint8_t* request, uint32_t length);
// The Pause and Resume commands' effect; also what a lost debugger connection does.
int32_t Debugger_SetPaused(bool paused);
