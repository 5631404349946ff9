// Two groups of the Graphic family: the drawing state with the colour arithmetic and the target
// clears (draw_getpixel to draw_clear_alpha), and the texture queries and sampler switches
// (texture_*). The state itself lives in the drawing layer; these routines only convert.
#include "code/Code_Value.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "run/Run_Globals.h"
#include "support/Support_Hash.h"

namespace {

uint32_t ColourViaFloat(const ScriptValue& value)
{
    return uint32_t(Arg_IntViaFloat(value));
}

// The room point through the view being drawn, then that pixel of the screen.
void Builtin_DrawGetpixel(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t x = 0, y = 0;
    GR_Window_RoomToWindow(g_CurrentView, Arg_Float(args[0]), Arg_Float(args[1]), &x, &y);
    Result_Real(result, GR_Draw_GetPixel(x, y));
}

void Builtin_DrawSetColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Set_Colour(uint32_t(Arg_Int(args[0])));
}

void Builtin_DrawSetAlpha(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_SetAlpha(Arg_Float(args[0]));
}

void Builtin_DrawGetColor(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Draw_GetColour() & 0xFFFFFFu);
}

void Builtin_DrawGetAlpha(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Draw_GetAlphaByte() / 255.0);
}

// ---- colours ----

// make_color and make_color_rgb: no clamping, so a component above 255 spills into the next.
void Builtin_MakeColorRgb(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    uint32_t red = uint32_t(Arg_Trunc(args[0])), green = uint32_t(Arg_Trunc(args[1]));
    uint32_t blue = uint32_t(Arg_Trunc(args[2]));
    Result_Real(result, int32_t((blue * 256u + green) * 256u + red));
}

void Builtin_MakeColorHsv(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const uint8_t hsv[3] = {uint8_t(Arg_Int(args[0])), uint8_t(Arg_Int(args[1])), uint8_t(Arg_Int(args[2]))};
    Result_Real(result, uint32_t(Colour_FromHSV(hsv)));
}

// The remainders keep the colour's sign, as integer division does.
void Builtin_ColorGetRed(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Arg_Int(args[0]) % 256);
}

void Builtin_ColorGetGreen(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Arg_Int(args[0]) / 256 % 256);
}

void Builtin_ColorGetBlue(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Arg_Int(args[0]) / 65536 % 256);
}

// One byte (0 hue, 1 saturation, 2 value) of the colour converted to HSV.
void HsvByte(ScriptValue* result, const ScriptValue& colour, int32_t which)
{
    uint8_t hsv[3] = {0, 0, 0};
    Colour_ToHSV(Arg_Int(colour), hsv);
    Result_Real(result, hsv[which]);
}

void Builtin_ColorGetHue(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    HsvByte(result, args[0], 0);
}

void Builtin_ColorGetSaturation(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    HsvByte(result, args[0], 1);
}

void Builtin_ColorGetValue(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    HsvByte(result, args[0], 2);
}

void Builtin_MergeColor(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t merged = Colour_Merge(Arg_IntViaFloat(args[0]), Arg_IntViaFloat(args[1]), Arg_Float(args[2]));
    Result_Real(result, uint32_t(merged));
}

// ---- blending, colour writes and alpha testing ----

void Builtin_DrawSetBlendMode(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_SetBlendMode(Arg_IntViaFloat(args[0]));
}

void Builtin_DrawSetBlendModeExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_SetBlendModeExt(ColourViaFloat(args[0]), ColourViaFloat(args[1]));
}

void Builtin_DrawSetColorWriteEnable(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_SetColourWriteEnable(Arg_FlagAbove(args[0]), Arg_FlagAbove(args[1]), Arg_FlagAbove(args[2]),
                                 Arg_FlagAbove(args[3]));
}

void Builtin_DrawSetAlphaTest(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_SetAlphaTest(Arg_FlagAbove(args[0]));
}

void Builtin_DrawSetAlphaTestRefValue(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_SetAlphaTestRef(uint32_t(Arg_Int(args[0])));
}

void Builtin_DrawGetAlphaTest(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, GR_Draw_GetAlphaTest());
}

void Builtin_DrawGetAlphaTestRefValue(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GR_Draw_GetAlphaTestRef());
}

// ---- clearing ----

// Fully opaque: a cleared surface drawn later must show its colour.
void Builtin_DrawClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_ClearAlpha(ColourViaFloat(args[0]), 1.0);
}

void Builtin_DrawClearAlpha(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_ClearAlpha(ColourViaFloat(args[0]), Arg_Float(args[1]));
}

// ---- textures ----

void Builtin_TextureExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Texture_Exists(Arg_IntViaFloat(args[0])));
}

void Builtin_TextureSetInterpolation(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Texture_SetInterpolation(Arg_FlagViaFloat(args[0]));
}

void Builtin_TextureSetBlending(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Texture_SetBlending(Arg_FlagViaFloat(args[0]));
}

void Builtin_TextureSetRepeat(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Texture_SetRepeat(Arg_FlagViaFloat(args[0]));
}

void Builtin_TextureGetWidth(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Texture_GetUsedWidth(Arg_Int(args[0])));
}

void Builtin_TextureGetHeight(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Texture_GetUsedHeight(Arg_Int(args[0])));
}

void Builtin_TexturePreload(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Texture_Preload(Arg_IntViaFloat(args[0]));
}

void Builtin_TextureSetPriority(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Texture_SetPriority(Arg_IntViaFloat(args[0]), uint32_t(Arg_IntViaFloat(args[1])));
}

const FunctionRow DRAW_STATE_ROWS[] = {
    {"draw_getpixel", Builtin_DrawGetpixel, 2},
    {"draw_set_color", Builtin_DrawSetColor, 1},
    {"draw_set_alpha", Builtin_DrawSetAlpha, 1},
    {"draw_get_color", Builtin_DrawGetColor, 0},
    {"draw_get_alpha", Builtin_DrawGetAlpha, 0},
    {"make_color", Builtin_MakeColorRgb, 3},
    {"make_color_rgb", Builtin_MakeColorRgb, 3},
    {"make_color_hsv", Builtin_MakeColorHsv, 3},
    {"color_get_red", Builtin_ColorGetRed, 1},
    {"color_get_green", Builtin_ColorGetGreen, 1},
    {"color_get_blue", Builtin_ColorGetBlue, 1},
    {"color_get_hue", Builtin_ColorGetHue, 1},
    {"color_get_saturation", Builtin_ColorGetSaturation, 1},
    {"color_get_value", Builtin_ColorGetValue, 1},
    {"merge_color", Builtin_MergeColor, 3},
    {"draw_set_blend_mode", Builtin_DrawSetBlendMode, 1},
    {"draw_set_blend_mode_ext", Builtin_DrawSetBlendModeExt, 2},
    {"draw_set_color_write_enable", Builtin_DrawSetColorWriteEnable, 4},
    {"draw_set_alpha_test", Builtin_DrawSetAlphaTest, 1},
    {"draw_set_alpha_test_ref_value", Builtin_DrawSetAlphaTestRefValue, 1},
    {"draw_get_alpha_test", Builtin_DrawGetAlphaTest, 0},
    {"draw_get_alpha_test_ref_value", Builtin_DrawGetAlphaTestRefValue, 0},
    {"draw_clear", Builtin_DrawClear, 1},
    {"draw_clear_alpha", Builtin_DrawClearAlpha, 2},
};

const FunctionRow TEXTURE_ROWS[] = {
    {"texture_exists", Builtin_TextureExists, 1},
    {"texture_set_interpolation", Builtin_TextureSetInterpolation, 1},
    {"texture_set_blending", Builtin_TextureSetBlending, 1},
    {"texture_set_repeat", Builtin_TextureSetRepeat, 1},
    {"texture_get_width", Builtin_TextureGetWidth, 1},
    {"texture_get_height", Builtin_TextureGetHeight, 1},
    {"texture_preload", Builtin_TexturePreload, 1},
    {"texture_set_priority", Builtin_TextureSetPriority, 2},
};

} // namespace

void Function_GraphicsDrawState_Register()
{
    Function_AddRows(DRAW_STATE_ROWS);
}

void Function_GraphicsTextures_Register()
{
    Function_AddRows(TEXTURE_ROWS);
}
