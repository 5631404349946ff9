// Debug-form services of start-up and the main loop, standing in until the form exists; the remote
// debugger's services are declared with it.
#pragma once

#include <cstdint>

struct CDebugForm;

void DebugForm_Show(CDebugForm* form, bool show);
// The game's start in debug mode: makes the form's record (with its 10 watch entries) and creates
// its dialogs; null when no form could be made.
CDebugForm* DebugForm_Create();
// The game's end: hides the form, resumes a paused game and stores the form's settings.
void DebugForm_SaveAndClose(CDebugForm* form);
// Destroys the form's record.
void DebugForm_Delete(CDebugForm* form);

#include "debug/Debug_Remote.h"
