// Window, display, texture and text services of the graphics area that start-up, the main window
// and shut-down call before those issues land.
#pragma once

#include <cstdint>

// The drawing defaults and the texture table, which start-up, shut-down and the texture chunk call.
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"

// The window layer.
void GR_Window_SetCaption(const char* text);
const char* GR_Window_GetCaption();
void GR_Window_SetFullscreen(bool on);
bool GR_Window_GetFullscreen();
void GR_Window_ResetViewMappings();
// The window cursor by its constant (0 and -2 the arrow, -1 and -5 none, and so on).
void GR_Window_SetCursor(int32_t constant);

// Display modes: the current colour depth (-1 when unknown) and a change of the display settings.
int32_t Display_GetColourDepth();
bool Display_SetAll(int32_t width, int32_t height, int32_t frequency, int32_t depth);

// The default font.
void GR_Text_FreeDefaultFont();

// Surfaces: every slot of the surface table marked not in use, its texture kept (the texture
// flush of the texture table).
void Surface_MarkAllUnused();

// The shader and vertex-format families of built-in functions.
void Shader_RegisterFunctions();
void VertexFormat_RegisterFunctions();

// The mouse of device 0 to 5 in room coordinates through the views; 0 for any other device.
int32_t GR_Window_GetMouseX(int32_t device);
int32_t GR_Window_GetMouseY(int32_t device);

// The number of steps a room transition takes (80 at start; values below 1 are stored as 1).
int32_t GR_Transition_GetSteps();
void GR_Transition_SetSteps(int32_t steps);
