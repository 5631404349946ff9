#include "debug/Debug_Placeholders.h"

// PLACEHOLDER until the debug form exists: no form is ever made.
void DebugForm_Show(CDebugForm* /*form*/, bool /*show*/) {}

// PLACEHOLDER until the debug form exists: no form can be made yet.
CDebugForm* DebugForm_Create() { return nullptr; }

// PLACEHOLDER until the debug form exists: no form exists to close.
void DebugForm_SaveAndClose(CDebugForm* /*form*/) {}

// PLACEHOLDER until the debug form exists: no form exists to delete.
void DebugForm_Delete(CDebugForm* /*form*/) {}
