// The resource family's background group: queries of the background table, and backgrounds made,
// replaced, copied, deleted and saved while the game runs. Six names take one more argument under
// the older headers (the preload flag, last); their routines tell the two forms apart by the count.
#include <vector>

#include "background/Background_Table.h"
#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_Capture.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Surface.h"
#include "platform/Platform_Bitmap.h"

namespace {

CBackground* Existing(const ScriptValue& index)
{
    return Background_Data(Arg_Int(index));
}

// The older form's preload flag: the argument after the `count` the newer form takes.
bool Preload(int32_t argc, int32_t count, const ScriptValue* args)
{
    return argc > count && Arg_FlagAbove(args[count]);
}

// ---- getters ----

template <typename Get> void AnswerField(ScriptValue* result, const ScriptValue& index, Get get)
{
    const CBackground* background = Existing(index);
    Result_Real(result, background != nullptr ? double(get(*background)) : -1.0);
}

#define BACKGROUND_GETTER(Routine, expression)                                                                \
    void Routine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)                    \
    {                                                                                                          \
        AnswerField(result, args[0], [](const CBackground& b) { return expression; });                        \
    }
BACKGROUND_GETTER(Builtin_BackgroundGetWidth, b.GetWidth())
BACKGROUND_GETTER(Builtin_BackgroundGetHeight, b.GetHeight())
BACKGROUND_GETTER(Builtin_BackgroundGetTransparent, b.GetTransparent())
BACKGROUND_GETTER(Builtin_BackgroundGetSmooth, b.GetSmooth())
BACKGROUND_GETTER(Builtin_BackgroundGetPreload, b.GetPreload())
#undef BACKGROUND_GETTER

void Builtin_BackgroundGetName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, Background_Name(Arg_Int(args[0])));
}

void Builtin_BackgroundExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Background_Exists(Arg_Int(args[0])));
}

void Builtin_BackgroundSetAlphaFromBackground(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CBackground* target = Existing(args[0]);
    const CBackground* source = Existing(args[1]);
    if (target != nullptr && source != nullptr) target->SetAlphaFromBackground(source);
}

// ---- new pictures ----

void Builtin_BackgroundCreateColor(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    int32_t index = Background_AddEmpty();
    Result_Real(result, index);
    Background_Data(index)->CreateColour(Arg_Int(args[0]), Arg_Int(args[1]), uint32_t(Arg_Int(args[2])),
                                         Preload(argc, 3, args));
}

void Builtin_BackgroundCreateGradient(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    int32_t index = Background_AddEmpty();
    Result_Real(result, index);
    Background_Data(index)->CreateGradient(Arg_Int(args[0]), Arg_Int(args[1]), uint32_t(Arg_Int(args[2])),
                                           uint32_t(Arg_Int(args[3])), Arg_Int(args[4]), Preload(argc, 5, args));
}

// (x, y, w, h at `a`, then removeback, smooth [, preload]); the surface, when there is one, just
// before. The newer form keeps the grab's alpha exactly when the background is not removed.
void CreateFromGrab(ScriptValue* result, const ScriptValue* a, int32_t rest, bool fromSurface)
{
    int32_t index = Background_AddEmpty();
    Result_Real(result, index);
    bool older = rest == 3;
    bool removeBackground = Arg_FlagAbove(a[4]);
    IBitmap* image =
        fromSurface ? Surface_CreateBitmap(Arg_Int(a[-1]), Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]), Arg_Int(a[3]))
                    : GR_Screen_CreateBitmap(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]), Arg_Int(a[3]));
    if (image == nullptr) return;
    Background_Data(index)->CreateFromImage(image, removeBackground, Arg_FlagAbove(a[5]),
                                            older && Arg_FlagAbove(a[6]), !older && !removeBackground);
    delete image;
}

void Builtin_BackgroundCreateFromScreen(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    CreateFromGrab(result, args, argc - 4, false);
}

void Builtin_BackgroundCreateFromSurface(ScriptValue* result, CInstance*, CInstance*, int32_t argc,
                                         ScriptValue* args)
{
    CreateFromGrab(result, args + 1, argc - 5, true);
}

// ---- files ----

void Builtin_BackgroundAdd(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, Background_Add(Arg_Text(args[0]), Arg_Flag(args[1]), Arg_Flag(args[2]), Preload(argc, 3, args)));
}

void Builtin_BackgroundAddAlpha(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Background_AddAlpha(Arg_Text(args[0]), Arg_FlagAbove(args[1])));
}

bool ReplaceTargetExists(const ScriptValue& index)
{
    if (Existing(index) != nullptr) return true;
    Error_Show_Action("Trying to replace non-existing background.", false);
    return false;
}

void Builtin_BackgroundReplace(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (!ReplaceTargetExists(args[0])) return;
    Result_Bool(result, Background_Replace(Arg_Int(args[0]), Arg_Text(args[1]), Arg_Flag(args[2]), Arg_Flag(args[3]),
                                           Preload(argc, 4, args)));
}

void Builtin_BackgroundReplaceAlpha(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!ReplaceTargetExists(args[0])) return;
    Result_Bool(result, Background_ReplaceAlpha(Arg_Int(args[0]), Arg_Text(args[1]), Arg_FlagAbove(args[2])));
}

void Builtin_BackgroundUnsupported(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    MainConsole->Output("unsupported function\n");
    Result_Real(result, -1.0);
}

// ---- copies and deletion ----

void Builtin_BackgroundDelete(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Existing(args[0]) == nullptr) {
        Error_Show_Action("Trying to delete non-existing background.", false);
        return;
    }
    Result_Bool(result, Background_Delete(Arg_Int(args[0])));
}

void Builtin_BackgroundDuplicate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Existing(args[0]) == nullptr) {
        Error_Show_Action("Trying to duplicate non-existing background.", false);
        return;
    }
    Result_Real(result, Background_Duplicate(Arg_Int(args[0])));
}

void Builtin_BackgroundAssign(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!Background_Assign(Arg_Int(args[0]), Arg_Int(args[1]))) Error_Show_Action("Error assigning a background.", false);
}

// ---- saving ----

void Builtin_BackgroundSave(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const CBackground* background = Existing(args[0]);
    if (background == nullptr) {
        Error_Show_Action("Trying to save non-existing background bitmap.", false);
        return;
    }
    const char* name = Arg_Text(args[1]);
    if (name == nullptr || name[0] == '\0') {
        Error_Show_Action("Trying to save background bitmap to empty image file name.", false);
        return;
    }
    const CBitmap32* bitmap = background->GetBitmap();
    if (bitmap == nullptr || !bitmap->IsValid()) {
        MainConsole->Output("background_save() failed - no bitmap data available\n");
        return;
    }
    uint32_t* data = nullptr;
    uint32_t bytes = 0;
    bitmap->GetPixelBuffer(&bytes, &data);
    // Pictures hold blue, green, red, alpha; the PNG writer takes red, green, blue, alpha. A stored
    // size below 1 (a colour of width 0) names no picture the writer accepts, and it says so.
    GR_Pixels_SavePng(name, data, bytes / 4, background->GetWidth(), background->GetHeight());
}

constexpr int32_t NOT_OLDER = FUNCTION_NOT_REGISTERED;

const FunctionRow BACKGROUND_ROWS[] = {
    {"background_name", Builtin_BackgroundGetName, 1},
    {"background_exists", Builtin_BackgroundExists, 1},
    {"background_get_name", Builtin_BackgroundGetName, 1},
    {"background_get_width", Builtin_BackgroundGetWidth, 1},
    {"background_get_height", Builtin_BackgroundGetHeight, 1},
    {"background_get_transparent", Builtin_BackgroundGetTransparent, 1},
    {"background_get_smooth", Builtin_BackgroundGetSmooth, 1},
    {"background_get_preload", Builtin_BackgroundGetPreload, 1},
    {"background_set_alpha_from_background", Builtin_BackgroundSetAlphaFromBackground, 2},
    {"background_create_color", Builtin_BackgroundCreateColor, 3, 4},
    {"background_replace", Builtin_BackgroundReplace, 4, 5},
    {"background_create_from_screen", Builtin_BackgroundCreateFromScreen, 6, 7},
    {"background_create_from_surface", Builtin_BackgroundCreateFromSurface, 7, 8},
    {"background_create_gradient", Builtin_BackgroundCreateGradient, 5, 6},
    {"background_add", Builtin_BackgroundAdd, 3, 4},
    {"background_add_alpha", Builtin_BackgroundAddAlpha, FUNCTION_NOT_REGISTERED, 2},
    {"background_replace_alpha", Builtin_BackgroundReplaceAlpha, FUNCTION_NOT_REGISTERED, 3},
    {"background_add_background", Builtin_BackgroundUnsupported, 1, NOT_OLDER},
    {"background_replace_background", Builtin_BackgroundUnsupported, 2, NOT_OLDER},
    {"background_delete", Builtin_BackgroundDelete, 1},
    {"background_duplicate", Builtin_BackgroundDuplicate, 1},
    {"background_assign", Builtin_BackgroundAssign, 2},
    {"background_save", Builtin_BackgroundSave, 2},
};

} // namespace

void Function_ResourceBackgrounds_Register()
{
    Function_AddRows(BACKGROUND_ROWS);
}
