#include "graphics/Graphics_Placeholders.h"

// PLACEHOLDER until text is drawn: no default font exists.
void GR_Text_FreeDefaultFont() {}

// PLACEHOLDER until shaders are loaded: registers no functions.
void Shader_RegisterFunctions() {}

