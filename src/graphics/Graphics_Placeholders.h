// Window, display, texture and text services of the graphics area that start-up, the main window
// and shut-down call before those issues land.
#pragma once

#include <cstdint>

// The window layer.
void GR_Window_SetCaption(const char* text);
const char* GR_Window_GetCaption();
void GR_Window_SetFullscreen(bool on);
bool GR_Window_GetFullscreen();
void GR_Window_ResetViewMappings();

// Display modes: the current colour depth (-1 when unknown) and a change of the display settings.
int32_t Display_GetColourDepth();
bool Display_SetAll(int32_t width, int32_t height, int32_t frequency, int32_t depth);

// Drawing defaults, texture table and default font.
void GR_Draw_InitCirclePrecision();
void Texture_FreeAll();
void GR_Text_FreeDefaultFont();

// The shader and vertex-format families of built-in functions.
void Shader_RegisterFunctions();
void VertexFormat_RegisterFunctions();
