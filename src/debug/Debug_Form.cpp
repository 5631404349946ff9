// PLACEHOLDER until the debug form exists: the form is never created, so the console never calls
// DebugForm_Output. The real form replaces this file.
#include "debug/Debug_Form.h"

CDebugForm* g_pDebugForm = nullptr;

void DebugForm_Output(const char* /*line*/) {}
