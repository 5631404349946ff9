// Remote-debugger and debug-form services of start-up and the main loop, before those issues land.
#pragma once

struct CDebugForm;

void Debugger_InitRemoteInterface();
void Debugger_SendUpdate();
void DebugForm_Show(CDebugForm* form, bool show);
