// The "3D.." family's registrar. Its 3D names come first (Function_D3DScene_Register); its last
// rows are three 2D names of the drawing state: alpha blending switched on or off (under two names)
// and the texture flush.
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Texture.h"

namespace {

// The argument truncated, so 0.7 switches blending off.
void Builtin_DrawEnableAlphablend(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc != 1) {
        Error_Show_Action("Illegal argument count", false);
        return;
    }
    if (Arg_IsString(args[0])) {
        Error_Show_Action("Illegal argument type: true/false expected", false);
        return;
    }
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, uint32_t(Arg_Trunc(args[0])));
}

// Frees every surface too (see GR_Draw_TextureFlush).
void Builtin_DrawTextureFlush(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Graphics::Flush();
    GR_Draw_TextureFlush();
}

const FunctionRow D3D_2D_ROWS[] = {
    {"Wexo_EnableAlphaBlend", Builtin_DrawEnableAlphablend, 1},
    {"draw_enable_alphablend", Builtin_DrawEnableAlphablend, 1},
    {"draw_texture_flush", Builtin_DrawTextureFlush, 0},
};

} // namespace

void InitD3DFunctions()
{
    Function_D3DScene_Register();
    Function_AddRows(D3D_2D_ROWS);
}
