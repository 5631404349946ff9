// The CD actions, the cursor, web page, screen mode, snapshot and effect actions, and the drawing
// actions of draw events.
#include <cmath>

#include "background/Background_Class.h"
#include "background/Background_Table.h"
#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "function/Function_Action.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Text.h"
#include "graphics/Graphics_Window.h"
#include "instance/Instance_Class.h"
#include "particle/Particle_Effect.h"
#include "particle/Particle_Elements.h"
#include "particle/Particle_System.h"
#include "particle/Particle_Type.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Class.h"
#include "run/Run_Commands.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "sound/Sound_CD.h"
#include "sprite/Sprite_Table.h"
#include "support/Support_File.h"

namespace {

constexpr int32_t SCREEN_WINDOWED = 1, SCREEN_FULL = 2;
constexpr int32_t TEXT_DEFAULT = -1; // separation and width
constexpr uint32_t WHITE = 0xFFFFFF;

int32_t Outline(const ScriptValue& value)
{
    return Arg_Flag(value) ? 1 : 0;
}

// ---- CD (no drive here: the CD layer answers and does nothing) -----------------------------------

void Builtin_ActionCdPlay(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CD_Play(Arg_Int(args[0]), Arg_Int(args[1]));
}

void Builtin_ActionCdStop(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    CD_Stop();
}

void Builtin_ActionCdPause(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    CD_Pause();
}

void Builtin_ActionCdResume(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    CD_Resume();
}

void Builtin_ActionCdPresent(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, CD_Present());
}

void Builtin_ActionCdPlaying(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, CD_Playing());
}

// ---- other ---------------------------------------------------------------------------------------

void Builtin_ActionSetCursor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    g_CursorSprite = Arg_Int(args[0]);
    GR_Window_SetCursor(Arg_Flag(args[1]) ? CURSOR_CONSTANT_DEFAULT : CURSOR_CONSTANT_NONE);
}

void Builtin_ActionWebpage(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    char* here = File_GetCurrentDirectory();
    bool opened = Shell_Execute(Arg_TextOrEmpty(args[0]), "", here);
    MemoryManager::Free(here);
    if (!opened) Error_Show_Action("Failed to open the webpage.", false);
}

// 1 windowed, 2 full screen, any other value switches.
void Builtin_ActionFullscreen(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t mode = Arg_Int(args[0]);
    bool full = mode == SCREEN_FULL || (mode != SCREEN_WINDOWED && !GR_Window_GetFullscreen());
    GR_Window_SetFullscreen(full);
}

void Builtin_ActionSnapshot(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Run_SaveScreenToPng(Arg_TextOrEmpty(args[0]));
}

// Below the instances when the sixth argument is below 0.5.
void Builtin_ActionEffect(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Effect_Create(!Arg_Flag(args[5]), Arg_Int(args[0]), Action_X(self, args[1]), Action_Y(self, args[2]),
                  Arg_Int(args[3]), Action_Colour(args[4]));
}

// ---- drawing -------------------------------------------------------------------------------------

// A negative subimage draws self's current image; the subimage is rounded down.
void Builtin_ActionDrawSprite(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    CSprite* sprite = Sprite_Get(Arg_Int(args[0]));
    if (sprite == nullptr) {
        Error_Show_Action("Trying to draw a non-existing sprite.", false);
        return;
    }
    double subimage = Arg_Real(args[3]);
    if (subimage < 0.0) subimage = self != nullptr ? self->i_imageindex : 0.0;
    auto frame = static_cast<int32_t>(std::floor(subimage));
    sprite->Draw(frame, Arg_Float(args[1]), Arg_Float(args[2]), 1.0f, 1.0f, 0.0f, WHITE, 1.0f);
}

// Tiled, the background repeats both ways over the room.
void Builtin_ActionDrawBackground(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CBackground* background = Background_Data(Arg_Int(args[0]));
    if (background == nullptr) {
        Error_Show_Action("Trying to draw a non-existing background.", false);
        return;
    }
    CRoom* room = Run_CurrentRoom();
    auto width = static_cast<float>(room != nullptr ? room->m_Width : 0);
    auto height = static_cast<float>(room != nullptr ? room->m_Height : 0);
    bool tiled = Arg_Flag(args[3]);
    background->DrawTiled(Arg_Float(args[1]), Arg_Float(args[2]), 1.0f, 1.0f, tiled, tiled, 0.0f, 0.0f, width,
                          height, WHITE, 1.0f);
}

void Builtin_ActionDrawText(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Text_Draw(Arg_Float(args[1]), Arg_Float(args[2]), Arg_TextOrEmpty(args[0]), TEXT_DEFAULT,
                 TEXT_DEFAULT);
}

void Builtin_ActionDrawTextTransformed(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Text_DrawTransformed(Arg_Float(args[1]), Arg_Float(args[2]), Arg_TextOrEmpty(args[0]), TEXT_DEFAULT,
                            TEXT_DEFAULT, Arg_Float(args[3]), Arg_Float(args[4]), Arg_Float(args[5]));
}

void Builtin_ActionDrawRectangle(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Rectangle(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                      Outline(args[4]));
}

void Builtin_ActionDrawGradientHor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    uint32_t left = Action_Colour(args[4]), right = Action_Colour(args[5]);
    GR_Draw_RectangleColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                            left, right, right, left, 0);
}

void Builtin_ActionDrawGradientVert(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    uint32_t top = Action_Colour(args[4]), bottom = Action_Colour(args[5]);
    GR_Draw_RectangleColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                            top, top, bottom, bottom, 0);
}

void Builtin_ActionDrawEllipse(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Ellipse(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                    Outline(args[4]));
}

void Builtin_ActionDrawEllipseGradient(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_EllipseColour(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                          Action_Colour(args[4]), Action_Colour(args[5]), 0);
}

void Builtin_ActionDrawLine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Line(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]));
}

void Builtin_ActionDrawArrow(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Arrow(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                  Arg_Float(args[4]));
}

void Builtin_ActionColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Set_Colour(Action_Colour(args[0]));
}

void Builtin_ActionFont(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Text_SetFont(Arg_Int(args[0]));
    GR_Text_SetHAlign(Arg_Int(args[1]));
}

const FunctionRow ACTION_DRAW_ROWS[] = {
    {"action_cd_play", Builtin_ActionCdPlay, 2},
    {"action_cd_stop", Builtin_ActionCdStop, 0},
    {"action_cd_pause", Builtin_ActionCdPause, 0},
    {"action_cd_resume", Builtin_ActionCdResume, 0},
    {"action_cd_present", Builtin_ActionCdPresent, 0},
    {"action_cd_playing", Builtin_ActionCdPlaying, 0},
    {"action_set_cursor", Builtin_ActionSetCursor, 2},
    {"action_webpage", Builtin_ActionWebpage, 1},
    {"action_fullscreen", Builtin_ActionFullscreen, 1},
    {"action_snapshot", Builtin_ActionSnapshot, 1},
    {"action_effect", Builtin_ActionEffect, 6},
    {"action_draw_font", Builtin_ActionPathOld, 1},
    {"action_draw_font_old", Builtin_ActionPathOld, 6},
    {"action_fill_color", Builtin_ActionPathOld, 1},
    {"action_line_color", Builtin_ActionPathOld, 1},
    {"action_draw_sprite", Builtin_ActionDrawSprite, 4},
    {"action_draw_background", Builtin_ActionDrawBackground, 4},
    {"action_draw_text", Builtin_ActionDrawText, 3},
    {"action_draw_text_transformed", Builtin_ActionDrawTextTransformed, 6},
    {"action_draw_rectangle", Builtin_ActionDrawRectangle, 5},
    {"action_draw_gradient_hor", Builtin_ActionDrawGradientHor, 6},
    {"action_draw_gradient_vert", Builtin_ActionDrawGradientVert, 6},
    {"action_draw_ellipse", Builtin_ActionDrawEllipse, 5},
    {"action_draw_ellipse_gradient", Builtin_ActionDrawEllipseGradient, 6},
    {"action_draw_line", Builtin_ActionDrawLine, 4},
    {"action_draw_arrow", Builtin_ActionDrawArrow, 5},
    {"action_color", Builtin_ActionColor, 1},
    {"action_font", Builtin_ActionFont, 2},
};

} // namespace

void Function_ActionDraw_Register()
{
    Function_AddRows(ACTION_DRAW_ROWS);
}
