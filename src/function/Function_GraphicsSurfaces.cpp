// The Graphic family's last group: surfaces made, freed and queried, set as the drawing target,
// drawn in the draw_surface* forms, read a pixel at a time, copied into one another and saved as
// PNG files through the save area. Every routine that takes a surface refuses an index that names
// none with "Trying to use non-existing surface.".
#include <cmath>

#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Capture.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Texture.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Class.h"
#include "run/Run_Game.h"

namespace {

constexpr uint32_t WHITE = 0xFFFFFFu;

// The surface an argument names, or -1 after reporting that it names none.
int32_t UsedSurface(const ScriptValue& value)
{
    int32_t index = Arg_Int(value);
    if (Surface_Exists(index)) return index;
    Error_Show_Action("Trying to use non-existing surface.", false);
    return -1;
}

#define F(i) Arg_Float(args[i])
#define C(i) uint32_t(Arg_Int(args[i]))

// A size of 0 or less answers -1 like a texture that cannot be made: 0 may name a live surface.
void Builtin_SurfaceCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Arg_Real(args[0]) <= 0.0 || Arg_Real(args[1]) <= 0.0) {
        Error_Show_Action("Invalid surface dimensions", false);
        Result_Real(result, -1.0);
        return;
    }
    Result_Real(result, Surface_Create(Arg_Int(args[0]), Arg_Int(args[1])));
}

void Builtin_SurfaceFree(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Surface_Free(Arg_Int(args[0]));
}

void Builtin_SurfaceExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Surface_Exists(Arg_Int(args[0])));
}

void Builtin_SurfaceGetWidth(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Surface_GetWidth(Arg_Int(args[0])));
}

void Builtin_SurfaceGetHeight(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Surface_GetHeight(Arg_Int(args[0])));
}

void Builtin_SurfaceGetTexture(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Surface_GetTexture(Arg_Int(args[0])));
}

void Builtin_SurfaceSetTarget(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Surface_SetTarget(Arg_Int(args[0])));
}

void Builtin_SurfaceResetTarget(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, Surface_ResetTarget());
}

// ---- drawing ----

void Builtin_DrawSurface(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t s = UsedSurface(args[0]);
    if (s >= 0) GR_Surface_Draw(s, std::floor(F(1)), std::floor(F(2)));
}

void Builtin_DrawSurfaceExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t s = UsedSurface(args[0]);
    if (s >= 0) GR_Surface_DrawExt(s, F(1), F(2), F(3), F(4), F(5), C(6), F(7));
}

void Builtin_DrawSurfaceStretched(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t s = UsedSurface(args[0]);
    if (s >= 0) GR_Surface_DrawStretched(s, F(1), F(2), F(3), F(4), WHITE, GR_Draw_Get_Alpha());
}

void Builtin_DrawSurfaceStretchedExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t s = UsedSurface(args[0]);
    if (s >= 0) GR_Surface_DrawStretched(s, F(1), F(2), F(3), F(4), C(5), F(6));
}

void Builtin_DrawSurfacePart(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t s = UsedSurface(args[0]);
    if (s >= 0)
        GR_Surface_DrawPart(s, F(1), F(2), F(3), F(4), F(5), F(6), 1.0f, 1.0f, WHITE, GR_Draw_Get_Alpha());
}

void Builtin_DrawSurfacePartExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t s = UsedSurface(args[0]);
    if (s >= 0) GR_Surface_DrawPart(s, F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), C(9), F(10));
}

void Builtin_DrawSurfaceGeneral(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t s = UsedSurface(args[0]);
    if (s >= 0)
        GR_Surface_DrawGeneral(s, F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), C(10), C(11), C(12),
                               C(13), F(14));
}

// Tiled both ways over the current room's whole area, whatever the view.
void TileOverRoom(int32_t s, float x, float y, float xScale, float yScale, uint32_t colour, float alpha)
{
    CRoom* room = Run_CurrentRoom();
    float width = room != nullptr ? float(room->m_Width) : 0.0f;
    float height = room != nullptr ? float(room->m_Height) : 0.0f;
    GR_Surface_DrawTiled(s, x, y, xScale, yScale, true, true, 0.0f, 0.0f, width, height, colour, alpha);
}

void Builtin_DrawSurfaceTiled(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t s = UsedSurface(args[0]);
    if (s >= 0) TileOverRoom(s, F(1), F(2), 1.0f, 1.0f, WHITE, GR_Draw_Get_Alpha());
}

void Builtin_DrawSurfaceTiledExt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t s = UsedSurface(args[0]);
    if (s >= 0) TileOverRoom(s, F(1), F(2), F(3), F(4), C(5), F(6));
}

// ---- pixels, saving and copying ----

// The pixel is stored blue, green, red, alpha; the colour has red in the low byte, no alpha.
void Builtin_SurfaceGetpixel(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t s = UsedSurface(args[0]);
    if (s < 0) return;
    DeviceTexture* texture = Texture_GetHandle(Surface_GetTexture(s));
    uint8_t* pixel = texture != nullptr ? GR_Surface_ReadPixels(texture, Arg_IntViaFloat(args[1]),
                                                                Arg_IntViaFloat(args[2]), 1, 1)
                                        : nullptr;
    if (pixel == nullptr) return;
    Result_Real(result, uint32_t(pixel[2]) | uint32_t(pixel[1]) << 8 | uint32_t(pixel[0]) << 16);
    MemoryManager::Free(pixel);
}

// The surface to save and its file name, after the two refusals; -1 when one was reported.
int32_t SurfaceToSave(const ScriptValue* args, const char** name)
{
    int32_t s = UsedSurface(args[0]);
    if (s < 0) return -1;
    *name = Arg_Text(args[1]);
    if (*name != nullptr && (*name)[0] != '\0') return s;
    Error_Show_Action("Trying to save surface to empty image file name.", false);
    return -1;
}

void Builtin_SurfaceSave(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = nullptr;
    int32_t s = SurfaceToSave(args, &name);
    if (s >= 0)
        GR_Surface_SavePng(Surface_GetTexture(s), name, 0, 0, Surface_GetWidth(s), Surface_GetHeight(s));
}

void Builtin_SurfaceSavePart(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = nullptr;
    int32_t s = SurfaceToSave(args, &name);
    if (s >= 0)
        GR_Surface_SavePng(Surface_GetTexture(s), name, Arg_IntViaFloat(args[2]), Arg_IntViaFloat(args[3]),
                           Arg_IntViaFloat(args[4]), Arg_IntViaFloat(args[5]));
}

// Destination (argument 0) checked before source (argument 3); the source rectangle goes to (x, y).
void CopyRegion(const ScriptValue* args, int32_t xs, int32_t ys, int32_t ws, int32_t hs)
{
    int32_t destination = UsedSurface(args[0]);
    if (destination < 0) return;
    int32_t source = UsedSurface(args[3]);
    if (source < 0) return;
    GR_Surface_CopyRegion(Texture_GetHandle(Surface_GetTexture(destination)), Arg_Int(args[1]),
                          Arg_Int(args[2]), Texture_GetHandle(Surface_GetTexture(source)), xs, ys, ws, hs);
}

void Builtin_SurfaceCopy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t source = Arg_Int(args[3]);
    CopyRegion(args, 0, 0, Surface_GetWidth(source), Surface_GetHeight(source));
}

void Builtin_SurfaceCopyPart(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CopyRegion(args, Arg_Int(args[4]), Arg_Int(args[5]), Arg_Int(args[6]), Arg_Int(args[7]));
}

#undef F
#undef C

const FunctionRow SURFACE_ROWS[] = {
    {"surface_create", Builtin_SurfaceCreate, 2},
    {"surface_free", Builtin_SurfaceFree, 1},
    {"surface_exists", Builtin_SurfaceExists, 1},
    {"surface_get_width", Builtin_SurfaceGetWidth, 1},
    {"surface_get_height", Builtin_SurfaceGetHeight, 1},
    {"surface_get_texture", Builtin_SurfaceGetTexture, 1},
    {"surface_set_target", Builtin_SurfaceSetTarget, 1},
    {"surface_reset_target", Builtin_SurfaceResetTarget, 0},
    {"draw_surface", Builtin_DrawSurface, 3},
    {"draw_surface_ext", Builtin_DrawSurfaceExt, 8},
    {"draw_surface_stretched", Builtin_DrawSurfaceStretched, 5},
    {"draw_surface_stretched_ext", Builtin_DrawSurfaceStretchedExt, 7},
    {"draw_surface_part", Builtin_DrawSurfacePart, 7},
    {"draw_surface_part_ext", Builtin_DrawSurfacePartExt, 11},
    {"draw_surface_general", Builtin_DrawSurfaceGeneral, 15},
    {"draw_surface_tiled", Builtin_DrawSurfaceTiled, 3},
    {"draw_surface_tiled_ext", Builtin_DrawSurfaceTiledExt, 7},
    {"surface_save", Builtin_SurfaceSave, 2},
    {"surface_save_part", Builtin_SurfaceSavePart, 6},
    {"surface_getpixel", Builtin_SurfaceGetpixel, 3},
    {"surface_copy", Builtin_SurfaceCopy, 4},
    {"surface_copy_part", Builtin_SurfaceCopyPart, 8},
};

} // namespace

void Function_GraphicsSurfaces_Register()
{
    Function_AddRows(SURFACE_ROWS);
}
