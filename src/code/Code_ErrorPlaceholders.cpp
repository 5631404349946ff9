// PLACEHOLDERS: each definition here stands in until the area it belongs to is built.
#include "code/Code_ErrorPlaceholders.h"

#include "code/Code_Error.h"

// Until shaders are loaded: no shader is being compiled.
const char* g_CurrentShaderName = nullptr;
uint8_t g_CurrentShaderIsFragment = 0;

// Until time lines are loaded: none is.
const char* TimeLine_Name(int32_t) { return "<undefined>"; }

// Issue "Text built-ins over UTF-8": complete, as the source-line lookup needs it; that issue keeps
// one definition of it beside its other text helpers.
int32_t UTF8_Length(const char* text)
{
    int32_t count = 0;
    for (const char* at = text; at != nullptr && *at != '\0'; ++at)
        if ((static_cast<unsigned char>(*at) & 0xC0) != 0x80) ++count;
    return count;
}

// Until the remote debugger exists: never evaluating.
uint8_t Debug_EvaluatingExpression = 0;

// Until the debug form exists: no form ever opens, so there is nothing to refresh.
void DebugForm_UpdateStats(CDebugForm*) {}
