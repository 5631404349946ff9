// PLACEHOLDERS: each definition here stands in for an issue that has not landed and is replaced by it.
#include "code/Code_ErrorPlaceholders.h"

#include "code/Code_Error.h"

// Issue "Shaders and the shader chunk": no shader is being compiled.
const char* g_CurrentShaderName = nullptr;
uint8_t g_CurrentShaderIsFragment = 0;

// Issue "Time lines": no time line is loaded.
const char* TimeLine_Name(int32_t) { return "<undefined>"; }

// Issue "Remote debugger": never evaluating.
uint8_t Debug_EvaluatingExpression = 0;

// Issue "Debug form": no form ever opens, so there is nothing to refresh.
void DebugForm_UpdateStats(CDebugForm*) {}
