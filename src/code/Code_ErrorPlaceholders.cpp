// PLACEHOLDERS: each definition here stands in until the area it belongs to is built.
#include "code/Code_ErrorPlaceholders.h"

#include "code/Code_Error.h"

// Until the remote debugger exists: never evaluating.
uint8_t Debug_EvaluatingExpression = 0;

// Until the debug form exists: no form ever opens, so there is nothing to refresh.
void DebugForm_UpdateStats(CDebugForm*) {}
