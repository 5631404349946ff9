// The Graphic family's two sprite groups: sprite_get_texture, and draw_self with the draw_sprite*
// routines. The sprite index of draw_sprite* is truncated; a sub-image is floored and a negative one
// stands for the self instance's current frame.
#include <cmath>

#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Draw.h"
#include "instance/Instance_Class.h"
#include "room/Room_Class.h"
#include "run/Run_Game.h"
#include "sprite/Sprite_Table.h"

namespace {

constexpr uint32_t WHITE = 0xFFFFFFu;

// The floored sub-image; a negative one is the self instance's frame.
int32_t SubImage(const ScriptValue& value, CInstance* self)
{
    double frame = std::floor(double(Arg_Float(value)));
    if (frame < 0.0) return self != nullptr ? Numbers_TruncToInt32(std::floor(double(self->i_imageindex))) : 0;
    return Numbers_TruncToInt32(frame);
}

CSprite* SpriteToDraw(int32_t index)
{
    if (Sprite_Exists(index)) return Sprite_Get(index);
    Error_Show_Action("Trying to draw non-existing sprite.", false);
    return nullptr;
}

float DrawAlpha()
{
    return GR_Draw_Get_Alpha();
}

uint32_t Colour(const ScriptValue& value)
{
    return uint32_t(Arg_Int(value));
}

#define F(i) Arg_Float(args[i])

void Builtin_DrawSprite(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* s = SpriteToDraw(Arg_Trunc(args[0]))) s->DrawSimple(SubImage(args[1], self), F(2), F(3));
}

void Builtin_DrawSpriteExt(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* s = SpriteToDraw(Arg_Trunc(args[0])))
        s->Draw(SubImage(args[1], self), F(2), F(3), F(4), F(5), F(6), Colour(args[7]), F(8));
}

void Builtin_DrawSpritePart(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* s = SpriteToDraw(Arg_Trunc(args[0])))
        s->DrawPart(SubImage(args[1], self), F(2), F(3), F(4), F(5), F(6), F(7), 1.0f, 1.0f, WHITE, DrawAlpha());
}

void Builtin_DrawSpritePartExt(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* s = SpriteToDraw(Arg_Trunc(args[0])))
        s->DrawPart(SubImage(args[1], self), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), Colour(args[10]),
                    F(11));
}

void Builtin_DrawSpriteGeneral(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* s = SpriteToDraw(Arg_Trunc(args[0])))
        s->DrawGeneral(SubImage(args[1], self), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), F(10),
                       Colour(args[11]), Colour(args[12]), Colour(args[13]), Colour(args[14]), F(15));
}

void Builtin_DrawSpriteStretched(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* s = SpriteToDraw(Arg_Trunc(args[0])))
        s->DrawStretched(SubImage(args[1], self), F(2), F(3), F(4), F(5), WHITE, DrawAlpha());
}

void Builtin_DrawSpriteStretchedExt(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* s = SpriteToDraw(Arg_Trunc(args[0])))
        s->DrawStretched(SubImage(args[1], self), F(2), F(3), F(4), F(5), Colour(args[6]), F(7));
}

// The room's whole area, whatever the view.
void TileOverRoom(CSprite* s, int32_t frame, float x, float y, float xscale, float yscale, uint32_t colour,
                  float alpha)
{
    CRoom* room = Run_CurrentRoom();
    float width = room != nullptr ? float(room->m_Width) : 0.0f;
    float height = room != nullptr ? float(room->m_Height) : 0.0f;
    s->DrawTiled(frame, x, y, xscale, yscale, true, true, 0.0f, 0.0f, width, height, colour, alpha);
}

void Builtin_DrawSpriteTiled(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* s = SpriteToDraw(Arg_Trunc(args[0])))
        TileOverRoom(s, SubImage(args[1], self), F(2), F(3), 1.0f, 1.0f, WHITE, DrawAlpha());
}

void Builtin_DrawSpriteTiledExt(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* s = SpriteToDraw(Arg_Trunc(args[0])))
        TileOverRoom(s, SubImage(args[1], self), F(2), F(3), F(4), F(5), Colour(args[6]), F(7));
}

void Builtin_DrawSpritePos(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CSprite* s = SpriteToDraw(Arg_Trunc(args[0])))
        s->DrawPos(Arg_Trunc(args[1]), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), 0xFFFFFFFFu, F(10));
}

#undef F

void Builtin_DrawSelf(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self == nullptr) return;
    CSprite* s = SpriteToDraw(self->i_spriteindex);
    if (s == nullptr) return;
    s->Draw(Numbers_TruncToInt32(std::floor(double(self->i_imageindex))), self->i_x, self->i_y,
            self->i_imagescalex, self->i_imagescaley, self->i_imageangle, self->i_imageblend, self->i_imagealpha);
}

void Builtin_SpriteGetTexture(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = Arg_Int(args[0]);
    if (!Sprite_Exists(index)) {
        Error_Show_Action("Trying to get texture from non-existing sprite.", false);
        return;
    }
    Result_Real(result, Sprite_Get(index)->GetTexture(SubImage(args[1], self)));
}

const FunctionRow SPRITE_TEXTURE_ROWS[] = {
    {"sprite_get_texture", Builtin_SpriteGetTexture, 2},
};

const FunctionRow SPRITE_DRAW_ROWS[] = {
    {"draw_self", Builtin_DrawSelf, 0},
    {"draw_sprite", Builtin_DrawSprite, 4},
    {"draw_sprite_ext", Builtin_DrawSpriteExt, 9},
    {"draw_sprite_pos", Builtin_DrawSpritePos, 11},
    {"draw_sprite_stretched", Builtin_DrawSpriteStretched, 6},
    {"draw_sprite_stretched_ext", Builtin_DrawSpriteStretchedExt, 8},
    {"draw_sprite_part", Builtin_DrawSpritePart, 8},
    {"draw_sprite_part_ext", Builtin_DrawSpritePartExt, 12},
    {"draw_sprite_general", Builtin_DrawSpriteGeneral, 16},
    {"draw_sprite_tiled", Builtin_DrawSpriteTiled, 4},
    {"draw_sprite_tiled_ext", Builtin_DrawSpriteTiledExt, 8},
};

} // namespace

void Function_GraphicsSpriteTexture_Register()
{
    Function_AddRows(SPRITE_TEXTURE_ROWS);
}

void Function_GraphicsSpriteDraw_Register()
{
    Function_AddRows(SPRITE_DRAW_ROWS);
}
