// The shader family: its rows, its messages, selecting shaders, uniforms, texture stages and texel
// sizes, on the recording device.
#include "../graphics/Graphics_FakeDevice.h"
#include "Function_TestCases.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Shader.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TexturePage.h"

using namespace functiontest;
using testsupport::CallReal;
using testsupport::TestArg;

namespace {

class ShaderFamily : public fake::DeviceTest {
  protected:
    void SetUp() override
    {
        fake::DeviceTest::SetUp();
        testsupport::RegisterBuiltins();
        g_GameOptions.showErrors = false;
        g_ErrorLast.clear();
        const char* sources[8] = {nullptr, nullptr, nullptr, nullptr,
                                  "float4x4 kv_Matrices[5];\n"
                                  "float4 main(float4 p : POSITION) : POSITION { return mul(p, kv_Matrices[4]); }",
                                  "sampler2D kv_BaseTexture : register(s2); float4 tint; float4 _tint;\n"
                                  "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(kv_BaseTexture, uv) * tint * _tint; }",
                                  nullptr, nullptr};
        Shader_Compile(Shader_Create("sh_tint", 1, sources));
    }
    void TearDown() override
    {
        Shader_FreeAll();
        fake::DeviceTest::TearDown();
    }
    // Calls a routine with any count, as the interpreter would for FUNCTION_ARGS_ANY rows.
    static double Call(const char* name, std::vector<ScriptValue> args)
    {
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        RoutineOf(name)(&result, nullptr, nullptr, int32_t(args.size()), args.data());
        return result.real;
    }
    static std::string TakeError()
    {
        std::string last = g_ErrorLast;
        g_ErrorLast.clear();
        return last;
    }
};

ScriptValue Real(double value)
{
    return ScriptValue{VALUE_REAL, 0, value};
}

TEST(ShaderRows, RegisteredInOrder)
{
    ExpectRegisteredRun("shader_set:1 shader_reset:0 shader_get_uniform:2 shader_get_sampler_index:2 "
                        "shader_set_uniform_i:-1 shader_set_uniform_f:-1 shader_set_uniform_matrix:1 "
                        "texture_set_stage:2 texture_get_texel_width:1 texture_get_texel_height:1");
}

TEST_F(ShaderFamily, MessagesAndResults)
{
    ScriptValue text = {VALUE_REAL, 0, 0.0};
    Value_SetText(&text, "tint");
    struct Case {
        const char* name;
        std::vector<ScriptValue> args;
        const char* message; // "" for none
        double result;
    } cases[] = {
        {"shader_set", {}, "shader_set: Illegal argument count", -1},
        {"shader_set", {text}, "Illegal argument type", -1},
        {"shader_set", {Real(5)}, "Illegal shader handle", -1},
        {"shader_set", {Real(-1)}, "", -1},
        {"shader_reset", {Real(0)}, "shader_set: Illegal argument count", -1},
        {"shader_get_uniform", {Real(0)}, "shader_get_uniform: Illegal argument count", -1},
        {"shader_get_uniform", {Real(0), Real(0)}, "Illegal argument type", -1},
        {"shader_get_uniform", {Real(3), text}, "Illegal shader handle", -1},
        {"shader_get_uniform", {Real(0), text}, "", 2}, // "_tint" before "tint"
        {"shader_get_sampler_index", {Real(0)}, "shader_get_sampler_index: Illegal argument count", -1},
        {"shader_get_sampler_index", {text, text}, "Illegal argument type", -1},
        {"shader_get_sampler_index", {Real(-1), text}, "Illegal shader handle", -1},
        {"shader_set_uniform_i", {Real(0)}, "shader_set_uniform_i: Illegal argument count", -1},
        {"shader_set_uniform_i", {Real(0), Real(1), Real(2), Real(3), Real(4), Real(5)},
         "shader_set_uniform_i: Illegal argument count", -1},
        {"shader_set_uniform_i", {Real(0), text}, "Illegal argument type", -1},
        {"shader_set_uniform_f", {Real(0)}, "shader_set_uniform_f: Illegal argument count", -1},
        {"shader_set_uniform_f", {text, Real(1)}, "Illegal argument type", -1},
        {"shader_set_uniform_matrix", {}, "shader_set_uniform_matrix: Illegal argument count", -1},
        {"shader_set_uniform_matrix", {text}, "Illegal argument type", -1},
        {"shader_set_uniform_matrix", {Real(0)}, "", -1}, // no current shader: nothing
        {"texture_set_stage", {Real(0)}, "shader_set_texture: Illegal argument count", -1},
        {"texture_set_stage", {Real(0), text}, "Illegal argument type", -1},
        {"texture_get_texel_width", {Real(-1)}, "", 1},
        {"texture_get_texel_height", {Real(123456)}, "", 1},
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.result, Call(c.name, c.args)) << c.name;
        EXPECT_NE(std::string::npos, TakeError().find(c.message)) << c.name << " " << c.message;
    }
    EXPECT_EQ(nullptr, Shader_Current());
    Value_Free(&text);
}

TEST_F(ShaderFamily, SelectingWritingAndStages)
{
    CShader* shader = Shader_Get(0);
    ASSERT_NE(nullptr, shader->program);
    EXPECT_EQ(2, CallReal("shader_get_sampler_index", {0, "kv_BaseTexture"}));
    CallReal("shader_set", {0});
    EXPECT_EQ(shader, Shader_Current());
    EXPECT_EQ(2, g_BatchTextureStage);
    // The world matrix, transposed for kind 1, lands on the first of the five.
    for (int k = 0; k < 16; ++k) g_D3DMatrices[MATRIX_WORLD].m[k] = float(k);
    CallReal("shader_set_uniform_matrix", {0});
    float first[16];
    std::memcpy(first, shader->program->constants[0].data(), sizeof first);
    EXPECT_EQ(4.0f, first[1]);
    EXPECT_EQ(1.0f, first[4]);
    CallReal("shader_reset", {});
    EXPECT_EQ(nullptr, Shader_Current());
    EXPECT_EQ(0, g_BatchTextureStage);

    // Stages 0 to 8 bind; 9 does nothing. A page entry binds its texture.
    std::vector<uint32_t> pixels(100 * 30, 0xFFFFFFFFu);
    int32_t texture = Texture_CreateFromPixels(100, 30, reinterpret_cast<const uint8_t*>(pixels.data()),
                                               int32_t(pixels.size() * 4));
    ASSERT_TRUE(Texture_Exists(texture));
    TPageEntry entry = {};
    entry.texture = int16_t(texture);
    TPage_RegisterOwn(&entry);
    int32_t page = TPage_Handle(&entry);
    int32_t switches = g_BatchStatistics.textureSwitches;
    CallReal("texture_set_stage", {9, texture});
    EXPECT_EQ(switches, g_BatchStatistics.textureSwitches);
    CallReal("texture_set_stage", {8, page});
    EXPECT_EQ(switches + 1, g_BatchStatistics.textureSwitches);
    CallReal("texture_set_stage", {8, -1});
    EXPECT_EQ(switches + 2, g_BatchStatistics.textureSwitches);
    // The device texture is 128 x 64 (powers of two, at least 64): texel sizes are of that.
    for (int32_t id : {texture, page}) {
        EXPECT_EQ(1.0 / 128, CallReal("texture_get_texel_width", {id}));
        EXPECT_EQ(1.0 / 64, CallReal("texture_get_texel_height", {id}));
    }
    TPage_ReleaseOwn(&entry);
    Texture_FreeAll();
}

} // namespace
