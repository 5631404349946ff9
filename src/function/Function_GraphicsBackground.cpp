// The Graphic family's two background groups: background_get_texture, and the draw_background*
// routines. The background index is rounded; a background has no sub-image and no origin.
#include "background/Background_Table.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Draw.h"
#include "room/Room_Class.h"
#include "run/Run_Game.h"

namespace {

constexpr uint32_t WHITE = 0xFFFFFFu;

CBackground* BackgroundToDraw(const ScriptValue& index)
{
    CBackground* background = Background_Data(Arg_Int(index));
    if (background == nullptr) Error_Show_Action("Trying to draw non-existing background.", false);
    return background;
}

uint32_t Colour(const ScriptValue& value)
{
    return uint32_t(Arg_Int(value));
}

#define F(i) Arg_Float(args[i])

void Builtin_DrawBackground(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CBackground* b = BackgroundToDraw(args[0])) b->Draw(F(1), F(2));
}

void Builtin_DrawBackgroundExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CBackground* b = BackgroundToDraw(args[0])) b->DrawExt(F(1), F(2), F(3), F(4), F(5), Colour(args[6]), F(7));
}

void Builtin_DrawBackgroundStretched(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CBackground* b = BackgroundToDraw(args[0])) b->DrawStretched(F(1), F(2), F(3), F(4), WHITE, GR_Draw_Get_Alpha());
}

void Builtin_DrawBackgroundStretchedExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CBackground* b = BackgroundToDraw(args[0])) b->DrawStretched(F(1), F(2), F(3), F(4), Colour(args[5]), F(6));
}

void Builtin_DrawBackgroundPart(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CBackground* b = BackgroundToDraw(args[0]))
        b->DrawPart(F(1), F(2), F(3), F(4), F(5), F(6), 1.0f, 1.0f, WHITE, GR_Draw_Get_Alpha());
}

void Builtin_DrawBackgroundPartExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CBackground* b = BackgroundToDraw(args[0]))
        b->DrawPart(F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), Colour(args[9]), F(10));
}

void Builtin_DrawBackgroundGeneral(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CBackground* b = BackgroundToDraw(args[0]))
        b->DrawGeneral(F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), Colour(args[10]), Colour(args[11]),
                       Colour(args[12]), Colour(args[13]), F(14));
}

// Both ways over the room's whole area, whatever the view.
void TileOverRoom(CBackground* b, float x, float y, float xscale, float yscale, uint32_t colour, float alpha)
{
    CRoom* room = Run_CurrentRoom();
    float width = room != nullptr ? float(room->m_Width) : 0.0f;
    float height = room != nullptr ? float(room->m_Height) : 0.0f;
    b->DrawTiled(x, y, xscale, yscale, true, true, 0.0f, 0.0f, width, height, colour, alpha);
}

void Builtin_DrawBackgroundTiled(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CBackground* b = BackgroundToDraw(args[0])) TileOverRoom(b, F(1), F(2), 1.0f, 1.0f, WHITE, GR_Draw_Get_Alpha());
}

void Builtin_DrawBackgroundTiledExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CBackground* b = BackgroundToDraw(args[0])) TileOverRoom(b, F(1), F(2), F(3), F(4), Colour(args[5]), F(6));
}

#undef F

void Builtin_BackgroundGetTexture(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const CBackground* background = Background_Data(Arg_Int(args[0]));
    if (background == nullptr) {
        Error_Show_Action("Trying to get texture from non-existing background.", false);
        return;
    }
    Result_Real(result, background->GetTexture());
}

const FunctionRow BACKGROUND_TEXTURE_ROWS[] = {
    {"background_get_texture", Builtin_BackgroundGetTexture, 1},
};

const FunctionRow BACKGROUND_DRAW_ROWS[] = {
    {"draw_background", Builtin_DrawBackground, 3},
    {"draw_background_ext", Builtin_DrawBackgroundExt, 8},
    {"draw_background_stretched", Builtin_DrawBackgroundStretched, 5},
    {"draw_background_stretched_ext", Builtin_DrawBackgroundStretchedExt, 7},
    {"draw_background_part", Builtin_DrawBackgroundPart, 7},
    {"draw_background_part_ext", Builtin_DrawBackgroundPartExt, 11},
    {"draw_background_general", Builtin_DrawBackgroundGeneral, 15},
    {"draw_background_tiled", Builtin_DrawBackgroundTiled, 3},
    {"draw_background_tiled_ext", Builtin_DrawBackgroundTiledExt, 7},
};

} // namespace

void Function_GraphicsBackgroundTexture_Register()
{
    Function_AddRows(BACKGROUND_TEXTURE_ROWS);
}

void Function_GraphicsBackgroundDraw_Register()
{
    Function_AddRows(BACKGROUND_DRAW_ROWS);
}
