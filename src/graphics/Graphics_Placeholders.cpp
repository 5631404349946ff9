#include "graphics/Graphics_Placeholders.h"

// PLACEHOLDER for the text-drawing issue: no default font exists.
void GR_Text_FreeDefaultFont() {}

// PLACEHOLDER for the shaders issue: registers no functions.
void Shader_RegisterFunctions() {}

