// The resource family's font group: queries of the font table, and fonts added from a system font or
// a sprite, replaced and deleted while the game runs.
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "font/Font_Table.h"
#include "sprite/Sprite_Table.h"

namespace {

const CFontKV* Existing(const ScriptValue& index)
{
    int32_t font = Arg_Int(index);
    return Font_Exists(font) ? Font_Data(font) : nullptr;
}

template <typename Get> void AnswerField(ScriptValue* result, const ScriptValue& index, Get get)
{
    const CFontKV* font = Existing(index);
    Result_Real(result, font != nullptr ? double(get(*font)) : -1.0);
}

#define FONT_GETTER(Routine, expression)                                                                      \
    void Routine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)                    \
    {                                                                                                          \
        AnswerField(result, args[0], [](const CFontKV& f) { return expression; });                            \
    }
FONT_GETTER(Builtin_FontGetSize, f.GetSize())
FONT_GETTER(Builtin_FontGetBold, f.GetBold() ? 1 : 0)
FONT_GETTER(Builtin_FontGetItalic, f.GetItalic() ? 1 : 0)
FONT_GETTER(Builtin_FontGetFirst, f.GetFirst())
FONT_GETTER(Builtin_FontGetLast, f.GetLast())
#undef FONT_GETTER

void Builtin_FontExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Font_Exists(Arg_Int(args[0])));
}

void Builtin_FontGetName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, Font_Name(Arg_Int(args[0])));
}

void Builtin_FontGetFontname(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const CFontKV* font = Existing(args[0]);
    Result_Text(result, font != nullptr ? font->GetFontname() : nullptr);
}

void Builtin_FontAdd(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Font_Add(Arg_TextOrEmpty(args[0]), Arg_Int(args[1]), Arg_Flag(args[2]), Arg_Flag(args[3]),
                                 Arg_Int(args[4]), Arg_Int(args[5])));
}

bool SpriteMissing(const ScriptValue& sprite, const char* message)
{
    if (Sprite_Exists(Arg_Int(sprite))) return false;
    Error_Show_Action(message, false);
    return true;
}

bool FontMissing(const ScriptValue& font, const char* message)
{
    if (Font_Exists(Arg_Int(font))) return false;
    Error_Show_Action(message, false);
    return true;
}

void Builtin_FontAddSprite(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (SpriteMissing(args[0], "Trying to create font from non-existing sprite.")) return;
    Result_Real(result, Font_AddSprite(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Flag(args[2]), Arg_Int(args[3])));
}

void Builtin_FontAddSpriteExt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (SpriteMissing(args[0], "Trying to create font from non-existing sprite.")) return;
    Result_Real(result, Font_AddSpriteExt(Arg_Int(args[0]), Arg_TextOrEmpty(args[1]), Arg_Flag(args[2]),
                                          Arg_Int(args[3])));
}

void Builtin_FontReplace(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (FontMissing(args[0], "Trying to replace non-existing font.")) return;
    Font_Replace(Arg_Int(args[0]), Arg_TextOrEmpty(args[1]), Arg_Int(args[2]), Arg_Flag(args[3]), Arg_Flag(args[4]),
                 Arg_Int(args[5]), Arg_Int(args[6]));
    Result_Real(result, 1.0);
}

void Builtin_FontReplaceSprite(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (FontMissing(args[0], "Trying to replace non-existing font.")) return;
    if (SpriteMissing(args[1], "Trying to replace font from non-existing sprite.")) return;
    Font_ReplaceSprite(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]), Arg_Flag(args[3]), Arg_Int(args[4]));
    Result_Real(result, 1.0);
}

void Builtin_FontReplaceSpriteExt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (FontMissing(args[0], "Trying to replace non-existing font.")) return;
    if (SpriteMissing(args[1], "Trying to replace font from non-existing sprite.")) return;
    Font_ReplaceSpriteExt(Arg_Int(args[0]), Arg_Int(args[1]), Arg_TextOrEmpty(args[2]), Arg_Flag(args[3]),
                          Arg_Int(args[4]));
    Result_Real(result, 1.0);
}

void Builtin_FontDelete(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (FontMissing(args[0], "Trying to delete non-existing font.")) return;
    Font_Delete(Arg_Int(args[0]));
    Result_Real(result, 1.0);
}

const FunctionRow FONT_ROWS[] = {
    {"font_exists", Builtin_FontExists, 1},
    {"font_get_name", Builtin_FontGetName, 1},
    {"font_name", Builtin_FontGetName, 1},
    {"font_get_fontname", Builtin_FontGetFontname, 1},
    {"font_get_size", Builtin_FontGetSize, 1},
    {"font_get_bold", Builtin_FontGetBold, 1},
    {"font_get_italic", Builtin_FontGetItalic, 1},
    {"font_get_first", Builtin_FontGetFirst, 1},
    {"font_get_last", Builtin_FontGetLast, 1},
    {"font_add", Builtin_FontAdd, 6},
    {"font_add_sprite", Builtin_FontAddSprite, 4},
    {"font_add_sprite_ext", Builtin_FontAddSpriteExt, 4},
    {"font_replace", Builtin_FontReplace, 7},
    {"font_replace_sprite", Builtin_FontReplaceSprite, 5},
    {"font_replace_sprite_ext", Builtin_FontReplaceSpriteExt, 5},
    {"font_delete", Builtin_FontDelete, 1},
};

} // namespace

void Function_ResourceFonts_Register()
{
    Function_AddRows(FONT_ROWS);
}
