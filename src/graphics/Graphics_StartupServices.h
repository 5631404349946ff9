// Window, display, texture and text services of the graphics area that start-up, the main window
// and shut-down call.
#pragma once

#include <cstdint>

// The drawing defaults and the texture table, which start-up, shut-down and the texture chunk call.
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"

// The window layer and the surfaces.
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Window.h"

// Display modes: the current colour depth (-1 when unknown) and a change of the display settings.
int32_t Display_GetColourDepth();
bool Display_SetAll(int32_t width, int32_t height, int32_t frequency, int32_t depth);

// The shader (src/function/Function_Shader.cpp) and vertex-format families of built-in functions.
void Shader_RegisterFunctions();
void VertexFormat_RegisterFunctions();

// The room transitions' settings are built; included here for this header's users.
#include "graphics/Graphics_Transition.h"
