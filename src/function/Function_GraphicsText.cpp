// The Graphic family's font and text group: the text state setters, the measuring routines and the
// draw_text* routines. A drawn value that is not a string shows as a number: a whole number as
// itself, any other with two decimals, after narrowing to single precision.
#include <string>

#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Text.h"

namespace {

constexpr int32_t DEFAULT_SEPARATION = -1;
constexpr int32_t NO_WRAP = -1;

// Separations, widths and colours: narrowed to single precision, then rounded half to even.
int32_t Rounded(const ScriptValue& value)
{
    return Numbers_RoundToInt32(double(Arg_Float(value)));
}

uint32_t Colour(const ScriptValue& value)
{
    return uint32_t(Rounded(value));
}

// The text a draw_text* routine shows; false for a string without text, which draws nothing.
bool DrawnText(const ScriptValue& value, std::string& text)
{
    if (Arg_IsString(value)) {
        const char* own = Arg_Text(value);
        if (own == nullptr) return false;
        text = own;
        return true;
    }
    text = Numbers_RealToText(double(Numbers_ToFloat(value.real)));
    return true;
}

// The measuring routines take a string's text as it is; anything else measures as no text.
const char* MeasuredText(const ScriptValue& value)
{
    return Arg_IsString(value) ? Arg_Text(value) : nullptr;
}

#define F(i) Arg_Float(args[i])

void Draw(const ScriptValue* args, int32_t separation, int32_t width)
{
    std::string text;
    if (DrawnText(args[2], text)) GR_Text_Draw(F(0), F(1), text.c_str(), separation, width);
}

void DrawTransformed(const ScriptValue* args, int32_t separation, int32_t width, int32_t at)
{
    std::string text;
    if (DrawnText(args[2], text))
        GR_Text_DrawTransformed(F(0), F(1), text.c_str(), separation, width, F(at), F(at + 1), F(at + 2));
}

void DrawColour(const ScriptValue* args, int32_t separation, int32_t width, int32_t at)
{
    std::string text;
    if (DrawnText(args[2], text))
        GR_Text_DrawColour(F(0), F(1), text.c_str(), separation, width, Colour(args[at]), Colour(args[at + 1]),
                           Colour(args[at + 2]), Colour(args[at + 3]), F(at + 4));
}

void DrawTransformedColour(const ScriptValue* args, int32_t separation, int32_t width, int32_t at)
{
    std::string text;
    if (DrawnText(args[2], text))
        GR_Text_DrawTransformedColour(F(0), F(1), text.c_str(), separation, width, F(at), F(at + 1), F(at + 2),
                                      Colour(args[at + 3]), Colour(args[at + 4]), Colour(args[at + 5]),
                                      Colour(args[at + 6]), F(at + 7));
}

#undef F

void Builtin_DrawText(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Draw(args, DEFAULT_SEPARATION, NO_WRAP);
}

void Builtin_DrawTextExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Draw(args, Rounded(args[3]), Rounded(args[4]));
}

void Builtin_DrawTextTransformed(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DrawTransformed(args, DEFAULT_SEPARATION, NO_WRAP, 3);
}

void Builtin_DrawTextExtTransformed(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DrawTransformed(args, Rounded(args[3]), Rounded(args[4]), 5);
}

void Builtin_DrawTextColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DrawColour(args, DEFAULT_SEPARATION, NO_WRAP, 3);
}

void Builtin_DrawTextExtColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DrawColour(args, Rounded(args[3]), Rounded(args[4]), 5);
}

void Builtin_DrawTextTransformedColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DrawTransformedColour(args, DEFAULT_SEPARATION, NO_WRAP, 3);
}

void Builtin_DrawTextExtTransformedColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DrawTransformedColour(args, Rounded(args[3]), Rounded(args[4]), 5);
}

void Builtin_StringWidth(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, GR_Text_StringWidth(MeasuredText(args[0]), DEFAULT_SEPARATION, NO_WRAP));
}

void Builtin_StringHeight(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, GR_Text_StringHeight(MeasuredText(args[0]), DEFAULT_SEPARATION, NO_WRAP));
}

void Builtin_StringWidthExt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, GR_Text_StringWidth(MeasuredText(args[0]), Rounded(args[1]), Rounded(args[2])));
}

void Builtin_StringHeightExt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, GR_Text_StringHeight(MeasuredText(args[0]), Rounded(args[1]), Rounded(args[2])));
}

void Builtin_DrawSetFont(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Text_SetFont(Arg_Int(args[0]));
}

void Builtin_DrawSetHalign(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Text_SetHAlign(Arg_Int(args[0]));
}

void Builtin_DrawSetValign(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Text_SetVAlign(Arg_Int(args[0]));
}

const FunctionRow TEXT_ROWS[] = {
    {"draw_set_font", Builtin_DrawSetFont, 1},
    {"draw_set_halign", Builtin_DrawSetHalign, 1},
    {"draw_set_valign", Builtin_DrawSetValign, 1},
    {"string_width", Builtin_StringWidth, 1},
    {"string_height", Builtin_StringHeight, 1},
    {"string_width_ext", Builtin_StringWidthExt, 3},
    {"string_height_ext", Builtin_StringHeightExt, 3},
    {"draw_text", Builtin_DrawText, 3},
    {"draw_text_ext", Builtin_DrawTextExt, 5},
    {"draw_text_transformed", Builtin_DrawTextTransformed, 6},
    {"draw_text_ext_transformed", Builtin_DrawTextExtTransformed, 8},
    {"draw_text_color", Builtin_DrawTextColor, 8},
    {"draw_text_transformed_color", Builtin_DrawTextTransformedColor, 11},
    {"draw_text_ext_color", Builtin_DrawTextExtColor, 10},
    {"draw_text_ext_transformed_color", Builtin_DrawTextExtTransformedColor, 13},
};

} // namespace

void Function_GraphicsText_Register()
{
    Function_AddRows(TEXT_ROWS);
}
