// The 3D family's own names: 3D mode and its render states, primitives, shapes, the projection,
// the world transform and its stack, lights, and models. Coordinates, normals, angles, sizes,
// repeats and alpha are floats; indices, kinds, colours and steps rounded; flags true at 0.5.
#include <cmath>

#include "base/Base_Console.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_3DDraw.h"
#include "graphics/Graphics_RenderState.h"
#include "support/Support_SaveArea.h"

namespace {

#define F(i) Arg_Float(args[i])
#define I(i) Arg_Int(args[i])
#define C(i) uint32_t(Arg_Int(args[i]))
#define FLAG(i) Arg_Flag(args[i])
#define BOX(i) Box3D{F(i), F(i + 1), F(i + 2), F(i + 3), F(i + 4), F(i + 5)}
// The routine signatures by what they use: arguments only, the result only, neither, or both.
#define ACTION(name) void name(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
#define QUERY(name) void name(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
#define CALL(name) void name(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
#define ROUTINE(name) void name(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)

// ---- mode and render states ----

QUERY(Builtin_D3DStart)
{
    Result_Bool(result, GR_3D_Start(true));
}

QUERY(Builtin_D3DEnd)
{
    Result_Bool(result, GR_3D_Start(false));
}

ACTION(Builtin_D3DSetPerspective)
{
    GR_3D_SetPerspective(FLAG(0));
}

ACTION(Builtin_D3DSetHidden)
{
    GR_3D_SetHidden(FLAG(0));
}

ACTION(Builtin_D3DSetDepth)
{
    GR_3D_SetDepth(F(0));
}

ACTION(Builtin_D3DSetLighting)
{
    GR_3D_SetLighting(FLAG(0));
}

ACTION(Builtin_D3DSetShading)
{
    GR_3D_SetShading(FLAG(0));
}

// Start and end are kept as their low 16 bits, so 70000 starts at 4464.
ACTION(Builtin_D3DSetFog)
{
    GR_3D_SetFog(FLAG(0), C(1), uint16_t(Arg_Trunc(args[2])), uint16_t(Arg_Trunc(args[3])));
}

ACTION(Builtin_D3DSetCulling)
{
    GR_3D_SetCulling(FLAG(0));
}

ACTION(Builtin_D3DSetZWriteEnable)
{
    GR_3D_SetZWriteEnable(FLAG(0));
}

// ---- primitives ----

ACTION(Builtin_D3DPrimitiveBegin)
{
    GR_3D_PrimitiveBegin(I(0), -1);
}

ACTION(Builtin_D3DPrimitiveBeginTexture)
{
    GR_3D_PrimitiveBegin(I(0), I(1));
}

CALL(Builtin_D3DPrimitiveEnd)
{
    GR_3D_PrimitiveEnd();
}

ACTION(Builtin_D3DVertex)
{
    GR_3D_Vertex(F(0), F(1), F(2));
}

ACTION(Builtin_D3DVertexColor)
{
    GR_3D_VertexColour(F(0), F(1), F(2), C(3), F(4));
}

ACTION(Builtin_D3DVertexTexture)
{
    GR_3D_VertexTexture(F(0), F(1), F(2), F(3), F(4));
}

ACTION(Builtin_D3DVertexTextureColor)
{
    GR_3D_VertexTextureColour(F(0), F(1), F(2), F(3), F(4), C(5), F(6));
}

ACTION(Builtin_D3DVertexNormal)
{
    GR_3D_VertexNormal(F(0), F(1), F(2), F(3), F(4), F(5));
}

ACTION(Builtin_D3DVertexNormalColor)
{
    GR_3D_VertexNormalColour(F(0), F(1), F(2), F(3), F(4), F(5), C(6), F(7));
}

ACTION(Builtin_D3DVertexNormalTexture)
{
    GR_3D_VertexNormalTexture(F(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7));
}

ACTION(Builtin_D3DVertexNormalTextureColor)
{
    GR_3D_VertexNormalTextureColour(F(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), C(8), F(9));
}

// ---- shapes ----

ACTION(Builtin_D3DDrawBlock)
{
    GR_3D_DrawBlock(BOX(0), I(6), F(7), F(8));
}

ACTION(Builtin_D3DDrawCylinder)
{
    GR_3D_DrawCylinder(BOX(0), I(6), F(7), F(8), FLAG(9), I(10));
}

ACTION(Builtin_D3DDrawCone)
{
    GR_3D_DrawCone(BOX(0), I(6), F(7), F(8), FLAG(9), I(10));
}

ACTION(Builtin_D3DDrawEllipsoid)
{
    GR_3D_DrawEllipsoid(BOX(0), I(6), F(7), F(8), I(9));
}

ACTION(Builtin_D3DDrawWall)
{
    GR_3D_DrawWall(BOX(0), I(6), F(7), F(8));
}

ACTION(Builtin_D3DDrawFloor)
{
    GR_3D_DrawFloor(BOX(0), I(6), F(7), F(8));
}

// ---- projection ----

ACTION(Builtin_D3DSetProjection)
{
    GR_3D_SetProjection(F(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8));
}

ACTION(Builtin_D3DSetProjectionExt)
{
    GR_3D_SetProjectionExt(F(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), F(10), F(11), F(12));
}

ACTION(Builtin_D3DSetProjectionOrtho)
{
    GR_3D_SetProjectionOrtho(F(0), F(1), F(2), F(3), F(4));
}

ACTION(Builtin_D3DSetProjectionPerspective)
{
    GR_3D_SetProjectionPerspective(F(0), F(1), F(2), F(3), F(4));
}

// ---- world transform ----

CALL(Builtin_D3DTransformSetIdentity)
{
    GR_3D_TransformSetIdentity();
}

ACTION(Builtin_D3DTransformSetTranslation)
{
    GR_3D_TransformSetTranslation(F(0), F(1), F(2));
}

ACTION(Builtin_D3DTransformSetScaling)
{
    GR_3D_TransformSetScaling(F(0), F(1), F(2));
}

ACTION(Builtin_D3DTransformSetRotationX)
{
    GR_3D_TransformSetRotationX(F(0));
}

ACTION(Builtin_D3DTransformSetRotationY)
{
    GR_3D_TransformSetRotationY(F(0));
}

ACTION(Builtin_D3DTransformSetRotationZ)
{
    GR_3D_TransformSetRotationZ(F(0));
}

ACTION(Builtin_D3DTransformSetRotationAxis)
{
    GR_3D_TransformSetRotationAxis(F(0), F(1), F(2), F(3));
}

ACTION(Builtin_D3DTransformAddTranslation)
{
    GR_3D_TransformAddTranslation(F(0), F(1), F(2));
}

ACTION(Builtin_D3DTransformAddScaling)
{
    GR_3D_TransformAddScaling(F(0), F(1), F(2));
}

ACTION(Builtin_D3DTransformAddRotationX)
{
    GR_3D_TransformAddRotationX(F(0));
}

ACTION(Builtin_D3DTransformAddRotationY)
{
    GR_3D_TransformAddRotationY(F(0));
}

ACTION(Builtin_D3DTransformAddRotationZ)
{
    GR_3D_TransformAddRotationZ(F(0));
}

ACTION(Builtin_D3DTransformAddRotationAxis)
{
    GR_3D_TransformAddRotationAxis(F(0), F(1), F(2), F(3));
}

// ---- transform stack ----

CALL(Builtin_D3DTransformStackClear)
{
    GR_3D_TransformStackClear();
}

QUERY(Builtin_D3DTransformStackEmpty)
{
    Result_Bool(result, GR_3D_TransformStackEmpty());
}

QUERY(Builtin_D3DTransformStackPush)
{
    Result_Bool(result, GR_3D_TransformStackPush());
}

QUERY(Builtin_D3DTransformStackPop)
{
    Result_Bool(result, GR_3D_TransformStackPop());
}

QUERY(Builtin_D3DTransformStackTop)
{
    Result_Bool(result, GR_3D_TransformStackTop());
}

QUERY(Builtin_D3DTransformStackDiscard)
{
    Result_Bool(result, GR_3D_TransformStackDiscard());
}

// ---- lights ----

// A string does nothing; the colour is truncated.
ACTION(Builtin_D3DLightDefineAmbient)
{
    if (!Arg_IsReal(args[0])) return;
    GR_3D_LightDefineAmbient(uint32_t(Arg_Trunc(args[0])));
}

// The direction is made unit length in float; a zero or non-finite one gives (0, 0, 0), which
// lights nothing, rather than a division by zero.
ACTION(Builtin_D3DLightDefineDirection)
{
    float dx = F(1), dy = F(2), dz = F(3);
    float length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (length > 0.0f && std::isfinite(length))
        dx /= length, dy /= length, dz /= length;
    else
        dx = dy = dz = 0.0f;
    GR_3D_LightDefineDirection(Arg_Trunc(args[0]), dx, dy, dz, C(4));
}

ACTION(Builtin_D3DLightDefinePoint)
{
    GR_3D_LightDefinePoint(I(0), F(1), F(2), F(3), F(4), C(5));
}

ACTION(Builtin_D3DLightEnable)
{
    GR_3D_LightEnable(I(0), FLAG(1));
}

// ---- models ----

QUERY(Builtin_D3DModelCreate)
{
    Result_Real(result, GR_3D_ModelCreate());
}

ACTION(Builtin_D3DModelDestroy)
{
    GR_3D_ModelDestroy(I(0));
}

ACTION(Builtin_D3DModelClear)
{
    GR_3D_ModelClear(I(0));
}

// 1 when the file exists (save area first, then the game's folder) and holds a model, 0 when it is
// missing or holds none, -1 for arguments of the wrong kinds.
ROUTINE(Builtin_D3DModelLoad)
{
    Result_Real(result, -1);
    const char* name = Arg_Text(args[1]);
    if (!Arg_IsReal(args[0]) || name == nullptr) return;
    if (!LoadSave_FileExistsSaveArea(name) && !LoadSave_FileExistsBundle(name)) {
        Result_Real(result, 0);
        MainConsole->Output("d3d_model_load - unable to find file %s\n", name);
        return;
    }
    Result_Bool(result, GR_3D_ModelLoad(I(0), name));
}

// Answers -1 whether or not the model was written.
ROUTINE(Builtin_D3DModelSave)
{
    Result_Real(result, -1);
    const char* name = Arg_Text(args[1]);
    if (!Arg_IsReal(args[0]) || name == nullptr) return;
    GR_3D_ModelSave(I(0), name);
}

ACTION(Builtin_D3DModelDraw)
{
    GR_3D_ModelDraw(I(0), F(1), F(2), F(3), I(4));
}

ACTION(Builtin_D3DModelPrimitiveBegin)
{
    GR_3D_ModelPrimitiveBegin(I(0), I(1));
}

ACTION(Builtin_D3DModelPrimitiveEnd)
{
    GR_3D_ModelPrimitiveEnd(I(0));
}

ACTION(Builtin_D3DModelVertex)
{
    GR_3D_ModelVertex(I(0), F(1), F(2), F(3));
}

ACTION(Builtin_D3DModelVertexColor)
{
    GR_3D_ModelVertexColour(I(0), F(1), F(2), F(3), I(4), F(5));
}

ACTION(Builtin_D3DModelVertexTexture)
{
    GR_3D_ModelVertexTexture(I(0), F(1), F(2), F(3), F(4), F(5));
}

ACTION(Builtin_D3DModelVertexTextureColor)
{
    GR_3D_ModelVertexTextureColour(I(0), F(1), F(2), F(3), F(4), F(5), I(6), F(7));
}

ACTION(Builtin_D3DModelVertexNormal)
{
    GR_3D_ModelVertexNormal(I(0), F(1), F(2), F(3), F(4), F(5), F(6));
}

ACTION(Builtin_D3DModelVertexNormalColor)
{
    GR_3D_ModelVertexNormalColour(I(0), F(1), F(2), F(3), F(4), F(5), F(6), I(7), F(8));
}

ACTION(Builtin_D3DModelVertexNormalTexture)
{
    GR_3D_ModelVertexNormalTexture(I(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8));
}

ACTION(Builtin_D3DModelVertexNormalTextureColor)
{
    GR_3D_ModelVertexNormalTextureColour(I(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), I(9), F(10));
}

ACTION(Builtin_D3DModelBlock)
{
    GR_3D_ModelBlock(I(0), BOX(1), F(7), F(8));
}

ACTION(Builtin_D3DModelCylinder)
{
    GR_3D_ModelCylinder(I(0), BOX(1), F(7), F(8), FLAG(9), I(10));
}

ACTION(Builtin_D3DModelCone)
{
    GR_3D_ModelCone(I(0), BOX(1), F(7), F(8), FLAG(9), I(10));
}

ACTION(Builtin_D3DModelEllipsoid)
{
    GR_3D_ModelEllipsoid(I(0), BOX(1), F(7), F(8), I(9));
}

ACTION(Builtin_D3DModelWall)
{
    GR_3D_ModelWall(I(0), BOX(1), F(7), F(8));
}

ACTION(Builtin_D3DModelFloor)
{
    GR_3D_ModelFloor(I(0), BOX(1), F(7), F(8));
}

const FunctionRow D3D_ROWS[] = {
    {"d3d_start", Builtin_D3DStart, 0},
    {"d3d_end", Builtin_D3DEnd, 0},
    {"d3d_set_perspective", Builtin_D3DSetPerspective, 1},
    {"d3d_set_hidden", Builtin_D3DSetHidden, 1},
    {"d3d_set_depth", Builtin_D3DSetDepth, 1},
    {"d3d_set_lighting", Builtin_D3DSetLighting, 1},
    {"d3d_set_shading", Builtin_D3DSetShading, 1},
    {"d3d_set_fog", Builtin_D3DSetFog, 4},
    {"d3d_set_culling", Builtin_D3DSetCulling, 1},
    {"d3d_set_zwriteenable", Builtin_D3DSetZWriteEnable, 1},
    {"d3d_primitive_begin", Builtin_D3DPrimitiveBegin, 1},
    {"d3d_primitive_begin_texture", Builtin_D3DPrimitiveBeginTexture, 2},
    {"d3d_primitive_end", Builtin_D3DPrimitiveEnd, 0},
    {"d3d_vertex", Builtin_D3DVertex, 3},
    {"d3d_vertex_color", Builtin_D3DVertexColor, 5},
    {"d3d_vertex_texture", Builtin_D3DVertexTexture, 5},
    {"d3d_vertex_texture_color", Builtin_D3DVertexTextureColor, 7},
    {"d3d_vertex_normal", Builtin_D3DVertexNormal, 6},
    {"d3d_vertex_normal_color", Builtin_D3DVertexNormalColor, 8},
    {"d3d_vertex_normal_texture", Builtin_D3DVertexNormalTexture, 8},
    {"d3d_vertex_normal_texture_color", Builtin_D3DVertexNormalTextureColor, 10},
    {"d3d_draw_block", Builtin_D3DDrawBlock, 9},
    {"d3d_draw_cylinder", Builtin_D3DDrawCylinder, 11},
    {"d3d_draw_cone", Builtin_D3DDrawCone, 11},
    {"d3d_draw_ellipsoid", Builtin_D3DDrawEllipsoid, 10},
    {"d3d_draw_wall", Builtin_D3DDrawWall, 9},
    {"d3d_draw_floor", Builtin_D3DDrawFloor, 9},
    {"d3d_set_projection", Builtin_D3DSetProjection, 9},
    {"d3d_set_projection_ext", Builtin_D3DSetProjectionExt, 13},
    {"d3d_set_projection_ortho", Builtin_D3DSetProjectionOrtho, 5},
    {"d3d_set_projection_perspective", Builtin_D3DSetProjectionPerspective, 5},
    {"d3d_transform_set_identity", Builtin_D3DTransformSetIdentity, 0},
    {"d3d_transform_set_translation", Builtin_D3DTransformSetTranslation, 3},
    {"d3d_transform_set_scaling", Builtin_D3DTransformSetScaling, 3},
    {"d3d_transform_set_rotation_x", Builtin_D3DTransformSetRotationX, 1},
    {"d3d_transform_set_rotation_y", Builtin_D3DTransformSetRotationY, 1},
    {"d3d_transform_set_rotation_z", Builtin_D3DTransformSetRotationZ, 1},
    {"d3d_transform_set_rotation_axis", Builtin_D3DTransformSetRotationAxis, 4},
    {"d3d_transform_add_translation", Builtin_D3DTransformAddTranslation, 3},
    {"d3d_transform_add_scaling", Builtin_D3DTransformAddScaling, 3},
    {"d3d_transform_add_rotation_x", Builtin_D3DTransformAddRotationX, 1},
    {"d3d_transform_add_rotation_y", Builtin_D3DTransformAddRotationY, 1},
    {"d3d_transform_add_rotation_z", Builtin_D3DTransformAddRotationZ, 1},
    {"d3d_transform_add_rotation_axis", Builtin_D3DTransformAddRotationAxis, 4},
    {"d3d_transform_stack_clear", Builtin_D3DTransformStackClear, 0},
    {"d3d_transform_stack_empty", Builtin_D3DTransformStackEmpty, 0},
    {"d3d_transform_stack_push", Builtin_D3DTransformStackPush, 0},
    {"d3d_transform_stack_pop", Builtin_D3DTransformStackPop, 0},
    {"d3d_transform_stack_top", Builtin_D3DTransformStackTop, 0},
    {"d3d_transform_stack_discard", Builtin_D3DTransformStackDiscard, 0},
    {"d3d_light_define_ambient", Builtin_D3DLightDefineAmbient, 1},
    {"d3d_light_define_direction", Builtin_D3DLightDefineDirection, 5},
    {"d3d_light_define_point", Builtin_D3DLightDefinePoint, 6},
    {"d3d_light_enable", Builtin_D3DLightEnable, 2},
    {"d3d_model_create", Builtin_D3DModelCreate, 0},
    {"d3d_model_destroy", Builtin_D3DModelDestroy, 1},
    {"d3d_model_clear", Builtin_D3DModelClear, 1},
    {"d3d_model_load", Builtin_D3DModelLoad, 2},
    {"d3d_model_save", Builtin_D3DModelSave, 2},
    {"d3d_model_draw", Builtin_D3DModelDraw, 5},
    {"d3d_model_primitive_begin", Builtin_D3DModelPrimitiveBegin, 2},
    {"d3d_model_primitive_end", Builtin_D3DModelPrimitiveEnd, 1},
    {"d3d_model_vertex", Builtin_D3DModelVertex, 4},
    {"d3d_model_vertex_color", Builtin_D3DModelVertexColor, 6},
    {"d3d_model_vertex_texture", Builtin_D3DModelVertexTexture, 6},
    {"d3d_model_vertex_texture_color", Builtin_D3DModelVertexTextureColor, 8},
    {"d3d_model_vertex_normal", Builtin_D3DModelVertexNormal, 7},
    {"d3d_model_vertex_normal_color", Builtin_D3DModelVertexNormalColor, 9},
    {"d3d_model_vertex_normal_texture", Builtin_D3DModelVertexNormalTexture, 9},
    {"d3d_model_vertex_normal_texture_color", Builtin_D3DModelVertexNormalTextureColor, 11},
    {"d3d_model_block", Builtin_D3DModelBlock, 9},
    {"d3d_model_cylinder", Builtin_D3DModelCylinder, 11},
    {"d3d_model_cone", Builtin_D3DModelCone, 11},
    {"d3d_model_ellipsoid", Builtin_D3DModelEllipsoid, 10},
    {"d3d_model_wall", Builtin_D3DModelWall, 9},
    {"d3d_model_floor", Builtin_D3DModelFloor, 9},
};

#undef F
#undef I
#undef C
#undef FLAG
#undef BOX
#undef ROUTINE
#undef ACTION
#undef QUERY
#undef CALL

} // namespace

void Function_D3DScene_Register()
{
    Function_AddRows(D3D_ROWS);
}
