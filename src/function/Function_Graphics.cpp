// The Graphic family's registrar. Its names interleave the areas, so each run of names is one group
// registered at its place: display, window and screen saving; draw state, colours and clearing;
// shapes and primitives; sprite_get_texture; background_get_texture; textures; fonts and text;
// draw_self and the sprite drawing; background drawing; tiles; surfaces. Groups not written yet
// stand in Function_Placeholders.cpp.
#include "function/Function_Families.h"

void Function_Graphics_Init()
{
    Function_GraphicsDisplay_Register();
    Function_GraphicsDrawState_Register();
    Function_GraphicsShapes_Register();
    Function_GraphicsSpriteTexture_Register();
    Function_GraphicsBackgroundTexture_Register();
    Function_GraphicsTextures_Register();
    Function_GraphicsText_Register();
    Function_GraphicsSpriteDraw_Register();
    Function_GraphicsBackgroundDraw_Register();
    Function_GraphicsTiles_Register();
    Function_GraphicsSurfaces_Register();
}
