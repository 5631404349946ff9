// The resource family's sprite group: queries of the sprite table, sprites added, replaced, copied,
// merged, deleted and saved while the game runs, and changes of origin, box, precise flag and masks.
// Nine names take other argument counts under the older headers; their routines tell the two forms
// apart by the count they receive.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_Capture.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Surface.h"
#include "platform/Platform_Bitmap.h"
#include "sprite/Sprite_Table.h"

namespace {

CSprite* Existing(const ScriptValue& index)
{
    int32_t sprite = Arg_Int(index);
    return Sprite_Exists(sprite) ? Sprite_Get(sprite) : nullptr;
}

// ---- getters ----

template <typename Get> void AnswerField(ScriptValue* result, const ScriptValue& index, Get get)
{
    const CSprite* sprite = Existing(index);
    Result_Real(result, sprite != nullptr ? double(get(*sprite)) : -1.0);
}

#define SPRITE_GETTER(Routine, expression)                                                                    \
    void Routine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)                    \
    {                                                                                                          \
        AnswerField(result, args[0], [](const CSprite& s) { return expression; });                            \
    }
SPRITE_GETTER(Builtin_SpriteGetNumber, s.GetFrameCount())
SPRITE_GETTER(Builtin_SpriteGetWidth, s.GetWidth())
SPRITE_GETTER(Builtin_SpriteGetHeight, s.GetHeight())
SPRITE_GETTER(Builtin_SpriteGetTransparent, s.GetTransparent())
SPRITE_GETTER(Builtin_SpriteGetSmooth, s.GetSmooth())
SPRITE_GETTER(Builtin_SpriteGetPreload, s.GetPreload())
SPRITE_GETTER(Builtin_SpriteGetXoffset, s.GetXOrigin())
SPRITE_GETTER(Builtin_SpriteGetYoffset, s.GetYOrigin())
SPRITE_GETTER(Builtin_SpriteGetBboxMode, s.GetBBoxMode())
SPRITE_GETTER(Builtin_SpriteGetBboxLeft, s.GetBBoxLeft())
SPRITE_GETTER(Builtin_SpriteGetBboxRight, s.GetBBoxRight())
SPRITE_GETTER(Builtin_SpriteGetBboxTop, s.GetBBoxTop())
SPRITE_GETTER(Builtin_SpriteGetBboxBottom, s.GetBBoxBottom())
SPRITE_GETTER(Builtin_SpriteGetPrecise, s.GetPrecise())
#undef SPRITE_GETTER

void Builtin_SpriteGetName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, Sprite_GetName(Arg_Int(args[0])));
}

void Builtin_SpriteExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Sprite_Exists(Arg_Int(args[0])));
}

// ---- box, origin, precise flag and masks ----

void Builtin_SpriteCollisionMask(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CSprite* sprite = Existing(args[0]);
    if (sprite == nullptr) {
        Error_Show_Action("Trying to set the collision mask of non-existing sprite.", false);
        return;
    }
    sprite->SetPrecise(true);
    SpriteBox box{Arg_Int(args[3]), Arg_Int(args[4]), Arg_Int(args[5]), Arg_Int(args[6])};
    sprite->SetCollisionMask(Arg_FlagAbove(args[1]), Arg_Int(args[2]), box, Arg_Int(args[7]), Arg_Int(args[8]));
    // The box may have changed with the masks.
    Sprite_MarkInstanceBoxesDirty(Arg_Int(args[0]));
}

void Builtin_SpriteSetOffset(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* sprite = Existing(args[0])) {
        sprite->SetOrigin(Arg_Int(args[1]), Arg_Int(args[2]));
        Sprite_MarkInstanceBoxesDirty(Arg_Int(args[0]));
    }
}

void Builtin_SpriteSetBboxMode(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* sprite = Existing(args[0])) {
        sprite->SetBoundingBoxMode(Arg_Int(args[1]));
        Sprite_MarkInstanceBoxesDirty(Arg_Int(args[0]));
    }
}

void Builtin_SpriteSetBbox(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* sprite = Existing(args[0])) {
        sprite->SetBoundingBox(SpriteBox{Arg_Int(args[1]), Arg_Int(args[2]), Arg_Int(args[3]), Arg_Int(args[4])});
        Sprite_MarkInstanceBoxesDirty(Arg_Int(args[0]));
    }
}

void Builtin_SpriteSetPrecise(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* sprite = Existing(args[0])) {
        sprite->SetPrecise(Arg_Flag(args[1]));
        Sprite_MarkInstanceBoxesDirty(Arg_Int(args[0]));
    }
}

void Builtin_SpriteSetAlphaFromSprite(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CSprite* target = Existing(args[0]);
    CSprite* source = Existing(args[1]);
    if (target != nullptr && source != nullptr) {
        target->SetAlphaFromSprite(source);
        Sprite_MarkInstanceBoxesDirty(Arg_Int(args[0]));
    }
}

void Builtin_NoEffect(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

// ---- sprites from files ----

// The loading arguments after the file name: the newer form (frames, remove background, smooth,
// origin) or the older one (frames, precise, transparent, smooth, preload, origin).
struct FileLoad {
    int32_t frames = 1;
    bool precise = false;
    bool removeBackground = false;
    bool smooth = false;
    bool preload = false;
    int32_t xorigin = 0;
    int32_t yorigin = 0;
};

FileLoad ReadFileLoad(const ScriptValue* a, bool older)
{
    FileLoad load;
    load.frames = Arg_Int(a[0]);
    if (older) {
        load.precise = Arg_Flag(a[1]);
        load.removeBackground = Arg_Flag(a[2]);
        load.smooth = Arg_FlagAbove(a[3]);
        load.preload = Arg_FlagAbove(a[4]);
        a += 2;
    } else {
        load.removeBackground = Arg_Flag(a[1]);
        load.smooth = Arg_FlagAbove(a[2]);
    }
    load.xorigin = Arg_Int(a[3]);
    load.yorigin = Arg_Int(a[4]);
    return load;
}

void Builtin_SpriteAdd(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    FileLoad l = ReadFileLoad(args + 1, argc == 8);
    Result_Real(result, Sprite_Add(Arg_Text(args[0]), l.frames, l.precise, l.removeBackground, l.smooth, l.preload,
                                   l.xorigin, l.yorigin));
}

void Builtin_SpriteReplace(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Existing(args[0]) == nullptr) {
        Error_Show_Action("Trying to replace non-existing sprite.", false);
        return;
    }
    FileLoad l = ReadFileLoad(args + 2, argc == 9);
    Result_Bool(result, Sprite_Replace(Arg_Int(args[0]), Arg_Text(args[1]), l.frames, l.precise, l.removeBackground,
                                       l.smooth, l.preload, l.xorigin, l.yorigin));
}

void Builtin_SpriteAddAlpha(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Sprite_AddAlpha(Arg_Text(args[0]), Arg_Int(args[1]), Arg_Flag(args[2]),
                                        Arg_FlagAbove(args[3]), Arg_Int(args[4]), Arg_Int(args[5])));
}

void Builtin_SpriteReplaceAlpha(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Existing(args[0]) == nullptr) {
        Error_Show_Action("Trying to replace non-existing sprite.", false);
        return;
    }
    Result_Bool(result, Sprite_ReplaceAlpha(Arg_Int(args[0]), Arg_Text(args[1]), Arg_Int(args[2]), Arg_Flag(args[3]),
                                            Arg_FlagAbove(args[4]), Arg_Int(args[5]), Arg_Int(args[6])));
}

void Builtin_SpriteUnsupported(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    MainConsole->Output("unsupported function\n");
    Result_Real(result, -1.0);
}

// ---- sprites from the screen and surfaces ----

// A grabbed rectangle (x, y, w, h at `a`) of the screen, or of the surface named just before it.
IBitmap* Grab(const ScriptValue* a, bool fromSurface)
{
    if (fromSurface)
        return Surface_CreateBitmap(Arg_Int(a[-1]), Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]), Arg_Int(a[3]));
    return GR_Screen_CreateBitmap(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]), Arg_Int(a[3]));
}

// (x, y, w, h, then the newer removeback, smooth, origin or the older precise, transparent, smooth,
// preload, origin). The older screen form drops the picture's alpha, the older surface form keeps it.
void CreateFromGrab(ScriptValue* result, const ScriptValue* a, bool older, bool fromSurface)
{
    int32_t index = Sprite_AddEmpty();
    Result_Real(result, index);
    const ScriptValue* f = a + 4;
    bool precise = older ? Arg_FlagAbove(f[0]) : true;
    bool removeBackground = older ? Arg_FlagAbove(f[1]) : Arg_FlagAbove(f[0]);
    bool smooth = older ? Arg_FlagAbove(f[2]) : Arg_FlagAbove(f[1]);
    bool preload = older ? Arg_FlagAbove(f[3]) : !fromSurface;
    bool keepAlpha = older ? fromSurface : !removeBackground;
    const ScriptValue* origin = older ? f + 4 : f + 2;
    IBitmap* image = Grab(a, fromSurface);
    if (image == nullptr) return;
    Sprite_Get(index)->CreateFromBitmap(image, precise, removeBackground, smooth, preload, Arg_Int(origin[0]),
                                        Arg_Int(origin[1]), keepAlpha);
    Sprite_Get(index)->SetNameAndIndex(Sprite_GetName(index), index);
    delete image;
}

void Builtin_SpriteCreateFromScreen(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    CreateFromGrab(result, args, argc == 10, false);
}

void Builtin_SpriteCreateFromSurface(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    CreateFromGrab(result, args + 1, argc == 11, true);
}

// (sprite, [surface,] x, y, w, h[, removeback, smooth]).
void AddFromGrab(const ScriptValue* args, bool newer, bool fromSurface)
{
    CSprite* sprite = Existing(args[0]);
    if (sprite == nullptr) {
        Error_Show_Action("Trying to add to non-existing sprite.", false);
        return;
    }
    const ScriptValue* rect = args + (fromSurface ? 2 : 1);
    bool removeBackground = newer && Arg_FlagAbove(rect[4]);
    bool smooth = newer && Arg_FlagAbove(rect[5]);
    IBitmap* image = Grab(rect, fromSurface);
    if (image == nullptr) return;
    sprite->AddFrameFromBitmap(image, removeBackground, smooth, !removeBackground);
    delete image;
    Sprite_MarkInstanceBoxesDirty(Arg_Int(args[0]));
}

void Builtin_SpriteAddFromScreen(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    AddFromGrab(args, argc == 7, false);
}

void Builtin_SpriteAddFromSurface(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    AddFromGrab(args, argc == 8, true);
}

// ---- copies, merges, deletion ----

void Builtin_SpriteDelete(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Existing(args[0]) == nullptr) {
        Error_Show_Action("Trying to delete non-existing sprite.", false);
        return;
    }
    Result_Bool(result, Sprite_Delete(Arg_Int(args[0])));
}

void Builtin_SpriteDuplicate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Existing(args[0]) == nullptr) {
        Error_Show_Action("Trying to duplicate non-existing sprite.", false);
        return;
    }
    Result_Real(result, Sprite_Duplicate(Arg_Int(args[0])));
}

void Builtin_SpriteAssign(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!Sprite_Assign(Arg_Int(args[0]), Arg_Int(args[1]))) Error_Show_Action("Error assigning a sprite.", false);
}

void Builtin_SpriteMerge(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CSprite* target = Existing(args[0]);
    if (target == nullptr) {
        Error_Show_Action("Trying to merge to non-existing sprite.", false);
        return;
    }
    CSprite* source = Existing(args[1]);
    if (source == nullptr) {
        Error_Show_Action("Trying to merge from non-existing sprite.", false);
        return;
    }
    target->Merge(source);
    Sprite_MarkInstanceBoxesDirty(Arg_Int(args[0]));
}

// ---- saving ----

// The sprite to save, after the two errors of the saving routines; null when one was reported.
CSprite* SaveTarget(const ScriptValue& index, const char* name)
{
    CSprite* sprite = Existing(index);
    if (sprite == nullptr) {
        Error_Show_Action("Trying to save non-existing sprite bitmap.", false);
        return nullptr;
    }
    if (name == nullptr || name[0] == '\0') {
        Error_Show_Action("Trying to save sprite bitmap to empty image file name.", false);
        return nullptr;
    }
    return sprite;
}

void Builtin_SpriteSave(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = Arg_Text(args[2]);
    CSprite* sprite = SaveTarget(args[0], name);
    if (sprite == nullptr) return;
    const CBitmap32* bitmap = sprite->GetBitmap(Arg_Int(args[1]));
    if (bitmap == nullptr || !bitmap->IsValid()) {
        MainConsole->Output("sprite_save() failed - no bitmap data available\n");
        return;
    }
    uint32_t* data = nullptr;
    uint32_t bytes = 0;
    bitmap->GetPixelBuffer(&bytes, &data);
    GR_Pixels_SavePng(name, data, bytes / 4, bitmap->GetWidth(), bitmap->GetHeight());
}

void Builtin_SpriteSaveStrip(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = Arg_Text(args[1]);
    CSprite* sprite = SaveTarget(args[0], name);
    if (sprite == nullptr || sprite->GetFrameCount() <= 0) return;
    int32_t width = sprite->GetWidth();
    int32_t height = sprite->GetHeight();
    int64_t stripWidth = int64_t(sprite->GetFrameCount()) * width;
    if (!GR_Image_SizeAllowed(stripWidth, height)) return;
    std::vector<uint32_t> strip(size_t(stripWidth) * size_t(height), 0xFF000000u);
    for (int32_t i = 0; i < sprite->GetFrameCount(); ++i) {
        const CBitmap32* bitmap = sprite->GetBitmap(i);
        if (bitmap == nullptr || !bitmap->IsValid()) {
            MainConsole->Output("sprite_save_strip() failed - Missing bitmap data\n");
            return;
        }
        uint32_t* data = nullptr;
        bitmap->GetPixelBuffer(nullptr, &data);
        int32_t columns = std::min(width, bitmap->GetWidth());
        for (int32_t y = 0; y < std::min(height, bitmap->GetHeight()); ++y)
            std::memcpy(&strip[size_t(y) * size_t(stripWidth) + size_t(i) * size_t(width)],
                        data + size_t(y) * size_t(bitmap->GetWidth()), size_t(columns) * 4);
    }
    GR_Pixels_SavePng(name, strip.data(), strip.size(), int32_t(stripWidth), height);
}

constexpr int32_t NOT_OLDER = FUNCTION_NOT_REGISTERED;

const FunctionRow SPRITE_ROWS[] = {
    {"sprite_name", Builtin_SpriteGetName, 1},
    {"sprite_exists", Builtin_SpriteExists, 1},
    {"sprite_get_name", Builtin_SpriteGetName, 1},
    {"sprite_get_number", Builtin_SpriteGetNumber, 1},
    {"sprite_get_width", Builtin_SpriteGetWidth, 1},
    {"sprite_get_height", Builtin_SpriteGetHeight, 1},
    {"sprite_get_transparent", Builtin_SpriteGetTransparent, 1},
    {"sprite_get_smooth", Builtin_SpriteGetSmooth, 1},
    {"sprite_get_preload", Builtin_SpriteGetPreload, 1},
    {"sprite_get_xoffset", Builtin_SpriteGetXoffset, 1},
    {"sprite_get_yoffset", Builtin_SpriteGetYoffset, 1},
    {"sprite_get_bbox_mode", Builtin_SpriteGetBboxMode, 1},
    {"sprite_get_bbox_left", Builtin_SpriteGetBboxLeft, 1},
    {"sprite_get_bbox_right", Builtin_SpriteGetBboxRight, 1},
    {"sprite_get_bbox_top", Builtin_SpriteGetBboxTop, 1},
    {"sprite_get_bbox_bottom", Builtin_SpriteGetBboxBottom, 1},
    {"sprite_get_precise", Builtin_SpriteGetPrecise, 1},
    {"sprite_collision_mask", Builtin_SpriteCollisionMask, 9},
    {"sprite_set_cache_size", Builtin_NoEffect, 2},
    {"sprite_set_cache_size_ext", Builtin_NoEffect, 3},
    {"font_set_cache_size", Builtin_NoEffect, 2},
    {"sprite_get_tpe", Builtin_NoEffect, 2},
    {"sprite_set_offset", Builtin_SpriteSetOffset, 3},
    {"sprite_set_bbox_mode", Builtin_SpriteSetBboxMode, 2},
    {"sprite_set_bbox", Builtin_SpriteSetBbox, 5},
    {"sprite_set_precise", Builtin_SpriteSetPrecise, 2},
    {"sprite_set_alpha_from_sprite", Builtin_SpriteSetAlphaFromSprite, 2},
    {"sprite_add", Builtin_SpriteAdd, 6, 8},
    {"sprite_create_from_screen", Builtin_SpriteCreateFromScreen, 8, 10},
    {"sprite_add_from_screen", Builtin_SpriteAddFromScreen, 7, 5},
    {"sprite_create_from_surface", Builtin_SpriteCreateFromSurface, 9, 11},
    {"sprite_add_from_surface", Builtin_SpriteAddFromSurface, 8, 6},
    {"sprite_replace", Builtin_SpriteReplace, 7, 9},
    {"sprite_add_alpha", Builtin_SpriteAddAlpha, FUNCTION_NOT_REGISTERED, 6},
    {"sprite_replace_alpha", Builtin_SpriteReplaceAlpha, FUNCTION_NOT_REGISTERED, 7},
    {"sprite_add_sprite", Builtin_SpriteUnsupported, 1, NOT_OLDER},
    {"sprite_replace_sprite", Builtin_SpriteUnsupported, 2, NOT_OLDER},
    {"sprite_save_strip", Builtin_SpriteSaveStrip, 2, NOT_OLDER},
    {"sprite_delete", Builtin_SpriteDelete, 1},
    {"sprite_duplicate", Builtin_SpriteDuplicate, 1},
    {"sprite_assign", Builtin_SpriteAssign, 2},
    {"sprite_merge", Builtin_SpriteMerge, 2},
    {"sprite_save", Builtin_SpriteSave, 3},
};

} // namespace

void Function_ResourceSprites_Register()
{
    Function_AddRows(SPRITE_ROWS);
}
