#include "graphics/Graphics_Placeholders.h"

// PLACEHOLDER until shaders are loaded: registers no functions.
void Shader_RegisterFunctions() {}

