// The Graphic family's first group: the display modes, draw_enable_drawevent, the game window
// (caption, cursor, colour, place, size, the mouse in window and room coordinates) and saving the
// screen as PNG. Every change of the display mode resets the device afterwards, which frees every
// surface; window size and full-screen changes reset it at the start of the next frame.
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_Capture.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DisplayModes.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Window.h"
#include "run/Run_Commands.h"
#include "run/Run_Globals.h"

namespace {

#define I(i) Arg_Int(args[i])

// ---- display ----

void Builtin_DisplayGetWidth(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Display_GetWidth());
}

void Builtin_DisplayGetHeight(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Display_GetHeight());
}

void Builtin_DisplayGetColordepth(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Display_GetColourDepth());
}

void Builtin_DisplayGetFrequency(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Display_GetFrequency());
}

void Builtin_DisplayGetOrientation(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

// The answer of a display change, then the device reset that follows it whatever the answer. The
// window requests of the step are taken first: a full-screen switch asked for in the same step is
// one the change and the reset both see, instead of a window that becomes full screen next frame.
template <class Change> void DisplayChange(ScriptValue* result, Change change)
{
    GR_D3D_TakeWindowRequests();
    Result_Bool(result, change());
    GR_Reset();
}

void Builtin_DisplaySetSize(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DisplayChange(result, [&] { return Display_SetSize(I(0), I(1)); });
}

void Builtin_DisplaySetColordepth(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DisplayChange(result, [&] { return Display_SetColourDepth(I(0)); });
}

void Builtin_DisplaySetFrequency(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DisplayChange(result, [&] { return Display_SetFrequency(I(0)); });
}

void Builtin_DisplaySetAll(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DisplayChange(result, [&] { return Display_SetAll(I(0), I(1), I(2), I(3)); });
}

void Builtin_DisplayTestAll(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Display_TestAll(I(0), I(1), I(2), I(3)));
}

// Registered with the sample count only: vertical sync stays as it is.
void Builtin_DisplayReset(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Display_SetMultisample(Arg_Trunc(args[0]) & 0xFF);
    g_DeviceResetPending = 1;
}

void Builtin_DisplayMouseGetX(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Display_MouseGetX());
}

void Builtin_DisplayMouseGetY(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Display_MouseGetY());
}

void Builtin_DisplayMouseSet(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Display_MouseSet(I(0), I(1));
}

void Builtin_DrawEnableDrawevent(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc != 1) {
        Error_Show_Action("Illegal argument count", false);
        return;
    }
    if (Arg_IsString(args[0])) {
        Error_Show_Action("Illegal argument type", false);
        return;
    }
    g_DrawEventEnabled = Arg_Flag(args[0]) ? 1 : 0;
}

// ---- window ----

// The settings the window keeps fixed: setting them does nothing and reading them gives 0.
void Builtin_WindowIgnored(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

void Builtin_WindowGetVisible(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, 1.0);
}

void Builtin_WindowSetFullscreen(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Window_SetFullscreen(Arg_Flag(args[0]));
}

void Builtin_WindowGetFullscreen(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, GR_Window_GetFullscreen());
}

void Builtin_WindowSetCaption(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Window_SetCaption(Arg_Text(args[0]));
}

void Builtin_WindowGetCaption(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Text(result, GR_Window_GetCaption());
}

void Builtin_WindowSetCursor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t kind = I(0);
    GR_Window_SetCursor(kind);
    g_GameOptions.CursorShown = kind == CURSOR_CONSTANT_NONE ? 0 : 1;
}

void Builtin_WindowGetCursor(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Window_GetCursor());
}

void Builtin_WindowSetColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Window_SetColour(uint32_t(I(0)));
}

void Builtin_WindowGetColor(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Window_GetColour() & 0xFFFFFFu);
}

void Builtin_WindowSetPosition(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Window_SetPosition(I(0), I(1));
}

void Builtin_WindowSetSize(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Window_SetSize(I(0), I(1));
}

void Builtin_WindowSetRectangle(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Window_SetRectangle(I(0), I(1), I(2), I(3));
}

void Builtin_WindowCenter(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    GR_Window_Center();
}

void Builtin_WindowGetX(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Window_GetX());
}

void Builtin_WindowGetY(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Window_GetY());
}

void Builtin_WindowGetWidth(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Window_GetClientWidth());
}

void Builtin_WindowGetHeight(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Window_GetClientHeight());
}

void Builtin_WindowMouseGetX(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Window_MouseGetX());
}

void Builtin_WindowMouseGetY(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Window_MouseGetY());
}

void Builtin_WindowMouseSet(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Window_MouseSet(I(0), I(1));
}

void Builtin_WindowViewMouseGetX(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, GR_Window_ViewMouseGetX(I(0)));
}

void Builtin_WindowViewMouseGetY(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, GR_Window_ViewMouseGetY(I(0)));
}

void Builtin_WindowViewsMouseGetX(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Window_GetMouseX(0));
}

void Builtin_WindowViewsMouseGetY(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Window_GetMouseY(0));
}

// ---- screen capture ----

void Builtin_ScreenSave(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Run_SaveScreenToPng(Arg_Text(args[0]));
}

// One side of the rectangle clipped to [0, limit): a negative start shortens the length.
void ClipSide(int64_t limit, int64_t* start, int64_t* length)
{
    if (*start < 0) {
        *length += *start;
        *start = 0;
    }
    if (*start + *length > limit) *length = limit - *start;
}

void Builtin_ScreenSavePart(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = Arg_Text(args[0]);
    if (name == nullptr || name[0] == '\0') {
        Error_Show_Action("Trying to save screen to empty image file name.", false);
        return;
    }
    int64_t x = I(1), y = I(2), w = I(3), h = I(4);
    ClipSide(GR_Window_GetWidth(), &x, &w);
    ClipSide(GR_Window_GetHeight(), &y, &h);
    if (w >= 1 && h >= 1) GR_Screen_SavePng(name, int32_t(x), int32_t(y), int32_t(w), int32_t(h));
}

#undef I

const FunctionRow DISPLAY_ROWS[] = {
    {"display_get_width", Builtin_DisplayGetWidth, 0},
    {"display_get_height", Builtin_DisplayGetHeight, 0},
    {"display_get_colordepth", Builtin_DisplayGetColordepth, 0},
    {"display_get_frequency", Builtin_DisplayGetFrequency, 0},
    {"display_get_orientation", Builtin_DisplayGetOrientation, 0},
    {"display_set_size", Builtin_DisplaySetSize, 2},
    {"display_set_colordepth", Builtin_DisplaySetColordepth, 1},
    {"display_set_frequency", Builtin_DisplaySetFrequency, 1},
    {"display_set_all", Builtin_DisplaySetAll, 4},
    {"display_test_all", Builtin_DisplayTestAll, 4},
    {"display_reset", Builtin_DisplayReset, 1},
    {"display_mouse_get_x", Builtin_DisplayMouseGetX, 0},
    {"display_mouse_get_y", Builtin_DisplayMouseGetY, 0},
    {"display_mouse_set", Builtin_DisplayMouseSet, 2},
    {"draw_enable_drawevent", Builtin_DrawEnableDrawevent, 1},
    {"window_set_visible", Builtin_WindowIgnored, 1},
    {"window_get_visible", Builtin_WindowGetVisible, 0},
    {"window_set_fullscreen", Builtin_WindowSetFullscreen, 1},
    {"window_get_fullscreen", Builtin_WindowGetFullscreen, 0},
    {"window_set_showborder", Builtin_WindowIgnored, 1},
    {"window_get_showborder", Builtin_WindowIgnored, 0},
    {"window_set_showicons", Builtin_WindowIgnored, 1},
    {"window_get_showicons", Builtin_WindowIgnored, 0},
    {"window_set_stayontop", Builtin_WindowIgnored, 1},
    {"window_get_stayontop", Builtin_WindowIgnored, 0},
    {"window_set_sizeable", Builtin_WindowIgnored, 1},
    {"window_get_sizeable", Builtin_WindowIgnored, 0},
    {"window_set_caption", Builtin_WindowSetCaption, 1},
    {"window_get_caption", Builtin_WindowGetCaption, 0},
    {"window_set_cursor", Builtin_WindowSetCursor, 1},
    {"window_get_cursor", Builtin_WindowGetCursor, 0},
    {"window_set_color", Builtin_WindowSetColor, 1},
    {"window_get_color", Builtin_WindowGetColor, 0},
    {"window_set_position", Builtin_WindowSetPosition, 2},
    {"window_set_size", Builtin_WindowSetSize, 2},
    {"window_set_rectangle", Builtin_WindowSetRectangle, 4},
    {"window_center", Builtin_WindowCenter, 0},
    {"window_default", Builtin_WindowIgnored, 0},
    {"window_get_x", Builtin_WindowGetX, 0},
    {"window_get_y", Builtin_WindowGetY, 0},
    {"window_get_width", Builtin_WindowGetWidth, 0},
    {"window_get_height", Builtin_WindowGetHeight, 0},
    {"window_mouse_get_x", Builtin_WindowMouseGetX, 0},
    {"window_mouse_get_y", Builtin_WindowMouseGetY, 0},
    {"window_mouse_set", Builtin_WindowMouseSet, 2},
    {"window_view_mouse_get_x", Builtin_WindowViewMouseGetX, 1},
    {"window_view_mouse_get_y", Builtin_WindowViewMouseGetY, 1},
    {"window_view_mouse_set", Builtin_WindowIgnored, 3},
    {"window_views_mouse_get_x", Builtin_WindowViewsMouseGetX, 0},
    {"window_views_mouse_get_y", Builtin_WindowViewsMouseGetY, 0},
    {"window_views_mouse_set", Builtin_WindowIgnored, 2},
    {"screen_save", Builtin_ScreenSave, 1},
    {"screen_save_part", Builtin_ScreenSavePart, 5},
};

} // namespace

void Function_GraphicsDisplay_Register()
{
    Function_AddRows(DISPLAY_ROWS);
}
