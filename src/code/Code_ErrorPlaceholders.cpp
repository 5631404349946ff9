// PLACEHOLDERS: each definition here stands in until the area it belongs to is built.
#include "code/Code_ErrorPlaceholders.h"

#include "code/Code_Error.h"

// Until shaders are loaded: no shader is being compiled.
const char* g_CurrentShaderName = nullptr;
uint8_t g_CurrentShaderIsFragment = 0;

