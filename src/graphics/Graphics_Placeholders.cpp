#include "graphics/Graphics_Placeholders.h"

#include <string>

#include "io/IO_Placeholders.h"
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

// PLACEHOLDER for the window-and-cursor issue: only the arrow (0, -2) and no cursor (-1, -5) are
// shown, through the window's cursor table; any other constant changes nothing yet.
void GR_Window_SetCursor(int32_t constant)
{
    if (constant == 0 || constant == -2) MainWindow_SetCursor(0);
    else if (constant == -1 || constant == -5) MainWindow_SetCursor(-1);
}

// PLACEHOLDER for the surfaces issue: no surfaces exist, so none is marked unused.
void Surface_MarkAllUnused() {}

// PLACEHOLDER for the text-drawing issue: no default font exists.
void GR_Text_FreeDefaultFont() {}

// PLACEHOLDER for the shaders issue: registers no functions.
void Shader_RegisterFunctions() {}

// PLACEHOLDER for the window-and-view-coordinates issue: no view mapping is registered, so the room
// point is the window point; only device 0 has a position yet.
int32_t GR_Window_GetMouseX(int32_t device)
{
    return device == 0 ? IO_RawMouseX : 0;
}

// PLACEHOLDER for the window-and-view-coordinates issue.
int32_t GR_Window_GetMouseY(int32_t device)
{
    return device == 0 ? IO_RawMouseY : 0;
}

namespace {
int32_t g_TransitionSteps = 80;
} // namespace

// PLACEHOLDER for the room-transitions issue: the steps setting as that issue keeps it.
int32_t GR_Transition_GetSteps()
{
    return g_TransitionSteps;
}

// PLACEHOLDER for the room-transitions issue.
void GR_Transition_SetSteps(int32_t steps)
{
    g_TransitionSteps = steps >= 1 ? steps : 1;
}
