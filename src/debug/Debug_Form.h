// The debug form as the rest of the engine sees it.
#pragma once

struct CDebugForm;

// The open debug form, or null. Placeholder until the debug form is built: no form ever opens.
extern CDebugForm* g_pDebugForm;

// Appends a formatted log line to the form's output list; called only while a form exists.
void DebugForm_Output(const char* line);
