#include "graphics/Graphics_Placeholders.h"

#include <string>

#include "run/Run_Window.h"

namespace {
std::string g_Caption;
bool g_Fullscreen = false;
} // namespace

// PLACEHOLDER for the window-and-cursor issue: keeps the caption and titles the window.
void GR_Window_SetCaption(const char* text)
{
    g_Caption = text != nullptr ? text : "";
    MainWindow_SetTitle(g_Caption.c_str());
}

// PLACEHOLDER for the window-and-cursor issue.
const char* GR_Window_GetCaption()
{
    return g_Caption.c_str();
}

// PLACEHOLDER for the window-and-cursor issue: the flag is kept; no device applies it yet.
void GR_Window_SetFullscreen(bool on)
{
    g_Fullscreen = on;
}

// PLACEHOLDER for the window-and-cursor issue.
bool GR_Window_GetFullscreen()
{
    return g_Fullscreen;
}

// PLACEHOLDER for the window-and-cursor issue: no view mappings exist yet.
void GR_Window_ResetViewMappings() {}

// PLACEHOLDER for the display-modes issue: a true-colour desktop.
int32_t Display_GetColourDepth()
{
    return 32;
}

// PLACEHOLDER for the display-modes issue: the display is left as it is.
bool Display_SetAll(int32_t /*width*/, int32_t /*height*/, int32_t /*frequency*/, int32_t /*depth*/)
{
    return false;
}

// PLACEHOLDER for the draw-colour-and-primitives issue: no circle precision kept yet.
void GR_Draw_InitCirclePrecision() {}

// PLACEHOLDER for the texture-table issue: no textures exist.
void Texture_FreeAll() {}

// PLACEHOLDER for the text-drawing issue: no default font exists.
void GR_Text_FreeDefaultFont() {}

// PLACEHOLDER for the shaders issue: registers no functions.
void Shader_RegisterFunctions() {}

// PLACEHOLDER for the vertex-formats issue: registers no functions.
void VertexFormat_RegisterFunctions() {}
