// The shader family: selecting a shader, finding its uniforms and samplers, writing uniforms, and
// the texture stages and texel sizes shaders read.
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_StartupServices.h"
#include "graphics/Graphics_Shader.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TexturePage.h"

namespace {

constexpr int32_t SHADER_STAGE_LAST = 8;

void ApplyWhenDirty()
{
    if (Shader_IsDirty()) Shader_ApplyCurrent();
}

// Reports and answers false unless every argument is a real.
bool AllReals(int32_t argc, const ScriptValue* args)
{
    for (int32_t i = 0; i < argc; ++i) {
        if (Arg_IsReal(args[i])) continue;
        Error_Show_Action("Illegal argument type", false);
        return false;
    }
    return true;
}

// The device texture a texture index or a page-entry handle names; null for anything else.
DeviceTexture* TextureOf(int32_t id)
{
    if (Texture_Exists(id)) return Texture_GetHandle(id);
    const TPageEntry* entry = TPage_FromHandle(id);
    return entry != nullptr && Texture_Exists(entry->texture) ? Texture_GetHandle(entry->texture) : nullptr;
}

void Builtin_ShaderSet(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (argc != 1) return Error_Show_Action("shader_set: Illegal argument count", false);
    if (!AllReals(argc, args)) return;
    int32_t index = Arg_Int(args[0]);
    if (index == -1) Shader_SetPending(nullptr);
    else if (Shader_Exists(index)) Shader_SetPending(Shader_Get(index));
    else return Error_Show_Action("Illegal shader handle", false);
    ApplyWhenDirty();
}

void Builtin_ShaderReset(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue*)
{
    Result_Real(result, -1);
    if (argc != 0) return Error_Show_Action("shader_set: Illegal argument count", false);
    Graphics::Flush();
    Shader_SetPending(nullptr);
    ApplyWhenDirty();
}

// shader_get_uniform and shader_get_sampler_index: (shader, name).
template <int32_t (*Find)(const CShader*, const char*)>
void LookUp(ScriptValue* result, int32_t argc, ScriptValue* args, const char* countMessage)
{
    Result_Real(result, -1);
    if (argc != 2) return Error_Show_Action(countMessage, false);
    if (!Arg_IsReal(args[0]) || !Arg_IsString(args[1])) return Error_Show_Action("Illegal argument type", false);
    int32_t index = Arg_Int(args[0]);
    if (!Shader_Exists(index)) return Error_Show_Action("Illegal shader handle", false);
    Result_Real(result, Find(Shader_Get(index), Arg_Text(args[1])));
}

void Builtin_ShaderGetUniform(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    LookUp<Shader_GetUniform>(result, argc, args, "shader_get_uniform: Illegal argument count");
}

void Builtin_ShaderGetSamplerIndex(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    LookUp<Shader_GetSamplerIndex>(result, argc, args, "shader_get_sampler_index: Illegal argument count");
}

// (uniform, value1 ... value4): false after reporting a wrong count or kind.
bool UniformArguments(int32_t argc, ScriptValue* args, const char* countMessage)
{
    if (argc < 2 || argc > 5) {
        Error_Show_Action(countMessage, false);
        return false;
    }
    if (!AllReals(argc, args)) return false;
    ApplyWhenDirty();
    return true;
}

void Builtin_ShaderSetUniformI(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (!UniformArguments(argc, args, "shader_set_uniform_i: Illegal argument count")) return;
    auto value = [&](int32_t i) { return i < argc ? Arg_Int(args[i]) : 0; };
    Shader_SetUniformI(Arg_Int(args[0]), argc - 1, value(1), value(2), value(3), value(4));
}

void Builtin_ShaderSetUniformF(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (!UniformArguments(argc, args, "shader_set_uniform_f: Illegal argument count")) return;
    auto value = [&](int32_t i) { return i < argc ? Arg_Float(args[i]) : 0.0f; };
    Shader_SetUniformF(Arg_Int(args[0]), argc - 1, value(1), value(2), value(3), value(4));
}

void Builtin_ShaderSetUniformMatrix(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (argc != 1) return Error_Show_Action("shader_set_uniform_matrix: Illegal argument count", false);
    if (!AllReals(argc, args)) return;
    ApplyWhenDirty();
    // Without a current shader there is nowhere to write: nothing happens.
    Shader_WriteWorldMatrix();
}

void Builtin_TextureSetStage(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (argc != 2) return Error_Show_Action("shader_set_texture: Illegal argument count", false);
    if (!AllReals(argc, args)) return;
    int32_t stage = Arg_Int(args[0]);
    if (stage < 0 || stage > SHADER_STAGE_LAST) return;
    Graphics::Flush();
    int32_t texture = Arg_Int(args[1]);
    if (texture == -1) GR_Texture_SetStage(stage, nullptr);
    else if (DeviceTexture* handle = TextureOf(texture)) GR_Texture_SetStage(stage, handle);
}

// 1 / the device texture's width or height; 1 for -1 or anything that names no texture.
template <int32_t (*Size)(const DeviceTexture*)>
void TexelSize(ScriptValue* result, ScriptValue* args)
{
    Result_Real(result, 1);
    DeviceTexture* texture = TextureOf(Arg_Int(args[0]));
    if (texture != nullptr) Result_Real(result, 1.0 / double(Size(texture)));
}

void Builtin_TextureGetTexelWidth(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    TexelSize<DeviceTexture_Width>(result, args);
}

void Builtin_TextureGetTexelHeight(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    TexelSize<DeviceTexture_Height>(result, args);
}

const FunctionRow SHADER_ROWS[] = {
    {"shader_set", Builtin_ShaderSet, 1},
    {"shader_reset", Builtin_ShaderReset, 0},
    {"shader_get_uniform", Builtin_ShaderGetUniform, 2},
    {"shader_get_sampler_index", Builtin_ShaderGetSamplerIndex, 2},
    {"shader_set_uniform_i", Builtin_ShaderSetUniformI, FUNCTION_ARGS_ANY},
    {"shader_set_uniform_f", Builtin_ShaderSetUniformF, FUNCTION_ARGS_ANY},
    {"shader_set_uniform_matrix", Builtin_ShaderSetUniformMatrix, 1},
    {"texture_set_stage", Builtin_TextureSetStage, 2},
    {"texture_get_texel_width", Builtin_TextureGetTexelWidth, 1},
    {"texture_get_texel_height", Builtin_TextureGetTexelHeight, 1},
};

} // namespace

void Shader_RegisterFunctions()
{
    Function_AddRows(SHADER_ROWS);
}
