// Game shaders on the OpenGL device: a pass-through shader draws what the generated programs draw,
// pixel for pixel, and a uniform reaches the fragment program; shaders in the authoring tools' form
// compile on the driver, and a translated program the driver refuses (constants that are read and
// overlap among them) is a failed compile.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

#include "GLDeviceFixture.h"
#include "code/Code_Error.h"
#include "graphics/Graphics_Shader.h"
#include "run/Run_Globals.h"

using namespace gltest;

namespace {

class Shaders : public DeviceTest {
  protected:
    void TearDown() override
    {
        Shader_FreeAll();
        DeviceTest::TearDown();
    }
};

const char* const PASS_VERTEX = R"(
float4x4 kv_Matrices[5];
struct VI { float4 pos : POSITION; float4 col : COLOR0; float2 uv : TEXCOORD0; };
struct VO { float4 pos : POSITION; float4 col : COLOR0; float2 uv : TEXCOORD0; };
VO main(VI i) { VO o; o.pos = mul(kv_Matrices[4], float4(i.pos.xyz, 1.0)); o.col = i.col; o.uv = i.uv; return o; }
)";

const char* const PASS_FRAGMENT = R"(
sampler2D kv_BaseTexture;
float4 tint;
float4 main(float4 col : COLOR0, float2 uv : TEXCOORD0) : COLOR0 { return tex2D(kv_BaseTexture, uv) * col * tint; }
)";

CShader* MakeShader(int32_t kind)
{
    const char* sources[8] = {nullptr, nullptr, nullptr, nullptr, PASS_VERTEX, PASS_FRAGMENT, nullptr, nullptr};
    CShader* shader = Shader_Create("sh_pass", kind, sources);
    EXPECT_TRUE(Shader_Compile(shader));
    return shader;
}

// A 4 x 4 texture of distinct texels; texel i is (i * 16, 255 - i * 16, i * 5).
DeviceTexture* GradientTexture()
{
    std::vector<uint32_t> texels(16);
    for (uint32_t i = 0; i < 16; ++i) texels[i] = 0xFF000000u | (i * 16u) << 16 | (255u - i * 16u) << 8 | (i * 5u);
    DeviceTextureInfo info;
    return GR_Texture_CreateFromPixels(texels.data(), 4, 4, &info);
}

// A 4 x 4 texture drawn 3:1 with filtering, so a half-pixel error in either program shows.
std::vector<Pixel> DrawScaled(DeviceTexture* texture, float left, uint32_t colour)
{
    DrawTexture(texture, left, 40, left + 12, 52, 0, 0, 4.0f / 64, 4.0f / 64, colour);
    Graphics::Flush();
    return ReadScreen(int32_t(left), 40, 12, 12);
}

TEST_F(Shaders, PassThroughMatchesTheGeneratedProgramsAndTintChangesPixels)
{
    DeviceTexture* texture = GradientTexture();
    ASSERT_NE(nullptr, texture);
    CShader* shader = MakeShader(0);
    ASSERT_NE(nullptr, shader->program);
    ASSERT_NE(nullptr, shader->program->device);

    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(BLACK, 1.0f, 0, 1);
    GR_Texture_SetInterpolation(true);
    const uint32_t colour = 0xFFC0A080u;
    std::vector<Pixel> fixed = DrawScaled(texture, 100, colour);
    ASSERT_NE(BLACK, Argb(fixed[0]));

    Shader_SetPending(shader);
    Shader_ApplyCurrent();
    int32_t tint = Shader_GetUniform(shader, "tint");
    ASSERT_GE(tint, 0);
    ASSERT_TRUE(Shader_SetUniformF(tint, 4, 1, 1, 1, 1));
    std::vector<Pixel> shaded = DrawScaled(texture, 200, colour);
    ASSERT_EQ(fixed.size(), shaded.size());
    for (size_t i = 0; i < fixed.size(); ++i) EXPECT_EQ(Argb(fixed[i]), Argb(shaded[i])) << "pixel " << i;

    // Half the red, none of the green: texel 15 (240, 15, 75) at its centre becomes (120, 0, 75).
    ASSERT_TRUE(Shader_SetUniformF(tint, 4, 0.5f, 0, 1, 1));
    const float centre = 3.5f / 64;
    DrawTexture(texture, 320, 40, 321, 41, centre, centre, centre, centre, 0xFFFFFFFFu);
    Graphics::Flush();
    EXPECT_EQ(0xFF78004Bu, At(320, 40));

}

// A shader of an end-to-end game: the shaders game's pass-through pair in the authoring tools' form,
// or the shader views game's ones under another prefix.
std::string GameShader(const char* file, const char* game = "shaders")
{
    std::ifstream in(std::string(KELVARO_SOURCE_DIR) + "/tests/e2e/games/" + game + "/" + file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// Every constant gets a register of its own; where that differs from the block's natural packing
// (scalars a register apart) the cross compiler writes explicit offsets, and with them an #extension
// line. The fragment constants' registers match the natural packing.
TEST_F(Shaders, ToolsFormShadersCompileOnTheDriverAndDrawAsTheGeneratedPrograms)
{
    const std::string vertex = GameShader("pass_vertex.hlsl"), fragment = GameShader("pass_fragment.hlsl");
    const std::string registered =
        Replaced(fragment, "uniform float4 kv_AlphaTestRef;", "uniform float4 kv_AlphaTestRef : register(c3);");
    struct Case {
        const char* what;
        std::string vertex, fragment;
        bool vertexExtension, fragmentExtension;
    } cases[] = {{"matrices at c4", vertex, fragment, true, false},
                 {"a fragment constant at c3, past a free register", vertex, registered, true, true}};
    DeviceTexture* texture = GradientTexture();
    ASSERT_NE(nullptr, texture);
    ASSERT_TRUE(GR_StartFrame());
    GR_Texture_SetInterpolation(true);
    const uint32_t colour = 0xFFC0A080u;
    for (const Case& c : cases) {
        ShaderTranslation translation;
        ASSERT_TRUE(ShaderTranslate(c.vertex.c_str(), c.fragment.c_str(), translation)) << translation.log;
        EXPECT_EQ(c.vertexExtension, translation.vertexSource.find("\n#extension") != std::string::npos) << c.what;
        EXPECT_EQ(c.fragmentExtension, translation.fragmentSource.find("\n#extension") != std::string::npos) << c.what;

        GR_D3D_Clear(BLACK, 1.0f, 0, 1);
        std::vector<Pixel> fixed = DrawScaled(texture, 100, colour);
        const char* sources[8] = {nullptr, nullptr, nullptr, nullptr, c.vertex.c_str(), c.fragment.c_str(), nullptr, nullptr};
        CShader* shader = Shader_Create("sh_tools", 3, sources);
        ASSERT_TRUE(Shader_Compile(shader)) << c.what;
        ASSERT_NE(nullptr, shader->program->device) << c.what;
        Shader_SetPending(shader);
        Shader_ApplyCurrent();
        std::vector<Pixel> shaded = DrawScaled(texture, 200, colour);
        Shader_SetPending(nullptr);
        Shader_ApplyCurrent();
        ASSERT_EQ(fixed.size(), shaded.size());
        for (size_t i = 0; i < fixed.size(); ++i) EXPECT_EQ(Argb(fixed[i]), Argb(shaded[i])) << c.what << ", pixel " << i;
        Shader_FreeAll();
    }
}

// Texts that translate but that the driver refuses: the compile fails as a translation failure
// does, fatally, naming the shader and the stage, and leaves no program.
TEST_F(Shaders, ProgramsTheDriverRefusesAreFailedCompiles)
{
    const std::string vertex = GameShader("pass_vertex.hlsl"), fragment = GameShader("pass_fragment.hlsl");
    struct Case {
        const char* what;
        std::string vertex, fragment;
        const char* log, *header;
    } cases[] = {
        {"a vertex constant over the matrices",
         Replaced(vertex, "uniform float4 dx_ViewAdjust;", "uniform float4 dx_ViewAdjust : register(c4);"), fragment,
         "Error in vertex shader \"sh_refused\":\n\n ", "FATAL ERROR in Vertex Shader compilation\n\nShaderName: sh_refused"},
        {"two fragment constants at one register", vertex,
         Replaced(Replaced(fragment, "uniform float4 kv_FogColour;", "uniform float4 kv_FogColour : register(c2);"),
                  "uniform float4 kv_AlphaTestRef;", "uniform float4 kv_AlphaTestRef : register(c2);"),
         "Error in fragment shader \"sh_refused\"\n\n ", "FATAL ERROR in Fragment Shader compilation\n\nShaderName: sh_refused"},
        // A header constant that the body does read keeps its register, over the body's.
        {"the header's matrices read over the body's constants",
         Replaced(GameShader("header_vertex.hlsl"), "mul(_kv_Matrices[4],", "mul(kv_Matrices[4],"),
         GameShader("header_fragment.hlsl"), "Error in vertex shader \"sh_refused\":\n\n ",
         "FATAL ERROR in Vertex Shader compilation\n\nShaderName: sh_refused"},
        // Each stage compiles; the link finds the varying's types differ, and counts as the fragment
        // stage.
        {"a varying of another type in each stage", vertex,
         Replaced(Replaced(fragment, "float2 texcoord : TEXCOORD1;", "float4 texcoord : TEXCOORD1;"),
                  "v_vTexcoord = input.texcoord;", "v_vTexcoord = input.texcoord.xy;"),
         "Error in fragment shader \"sh_refused\"\n\n ", "FATAL ERROR in Fragment Shader compilation\n\nShaderName: sh_refused"},
    };
    for (const Case& c : cases) {
        ShaderTranslation translation;
        ASSERT_TRUE(ShaderTranslate(c.vertex.c_str(), c.fragment.c_str(), translation)) << c.what;
        LogCapture log;
        g_ErrorQuitting = false;
        g_ErrorLast.clear();
        const char* sources[8] = {nullptr, nullptr, nullptr, nullptr, c.vertex.c_str(), c.fragment.c_str(), nullptr, nullptr};
        CShader* shader = Shader_Create("sh_refused", 3, sources);
        EXPECT_FALSE(Shader_Compile(shader)) << c.what;
        EXPECT_EQ(nullptr, shader->program) << c.what;
        EXPECT_NE(std::string::npos, log.Text().find(c.log)) << c.what << "\n" << log.Text();
        EXPECT_NE(std::string::npos, g_ErrorLast.find(c.header)) << c.what << "\n" << g_ErrorLast;
        EXPECT_TRUE(g_ErrorQuitting) << c.what;
        Shader_FreeAll();
    }
    g_ErrorQuitting = false;
    g_RunRequest = 0;
}

// The tools' form with the bound matrices declared after other constants and inside the light
// arrays' natural registers, and a fragment tint bound inside the alpha reference's: every constant
// sits where the shaders' target puts it, the driver takes both stages, the picture is the
// generated programs', and writes through the uniform table reach the constants the programs read.
TEST_F(Shaders, BoundConstantsAmongOthersLandAtTheirRegistersAndTakeWrites)
{
    std::string vertex = GameShader("pass_vertex.hlsl"), fragment = GameShader("pass_fragment.hlsl");
    vertex = Replaced(vertex, "uniform float4x4 kv_Matrices[5] : register(c4);\n", "");
    vertex = Replaced(vertex, "uniform float4 dx_ViewAdjust;",
                      "uniform float4x4 kv_Matrices[5] : register(c4);\nuniform float4 dx_ViewAdjust;");
    vertex = Replaced(vertex, "kv_LightColour[7].rgb", "kv_LightColour[0].rgb");
    fragment = Replaced(fragment, "uniform float4 kv_FogColour;",
                        "uniform float4 kv_FogColour;\nuniform float4 kv_Tint : register(c1);");
    fragment = Replaced(fragment, "texture2D(kv_BaseTexture, v_vTexcoord);", "texture2D(kv_BaseTexture, v_vTexcoord) * kv_Tint;");
    const char* sources[8] = {nullptr, nullptr, nullptr, nullptr, vertex.c_str(), fragment.c_str(), nullptr, nullptr};
    CShader* shader = Shader_Create("sh_bound", 3, sources);
    ASSERT_TRUE(Shader_Compile(shader)) << g_ErrorLast;
    ASSERT_NE(nullptr, shader->program->device);
    struct Register {
        const char* name;
        int32_t first, count;
    } registers[] = {{"kv_LightingEnabled", 0, 1}, {"kv_FogEnabled", 1, 1}, {"kv_FogStart", 2, 1},
                     {"kv_FogRange", 3, 1},        {"kv_Matrices", 4, 20},  {"kv_LightDirection", 24, 8},
                     {"kv_LightColour", 32, 8},    {"dx_ViewAdjust", 40, 1}, {"kv_AlphaTestEnabled", 0, 1},
                     {"kv_AlphaTestRef", 2, 1},    {"kv_FogColour", 3, 1},  {"kv_Tint", 1, 1}};
    for (const Register& r : registers) {
        int32_t index = Shader_GetUniform(shader, r.name);
        ASSERT_GE(index, 0) << r.name;
        EXPECT_EQ(r.first, shader->program->uniforms[size_t(index)].registerIndex) << r.name;
        EXPECT_EQ(r.count, shader->program->uniforms[size_t(index)].registerCount) << r.name;
    }

    DeviceTexture* texture = GradientTexture();
    ASSERT_NE(nullptr, texture);
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(BLACK, 1.0f, 0, 1);
    GR_Texture_SetInterpolation(true);
    const uint32_t colour = 0xFFC0A080u;
    std::vector<Pixel> fixed = DrawScaled(texture, 100, colour);
    Shader_SetPending(shader);
    Shader_ApplyCurrent();
    ASSERT_TRUE(Shader_SetUniformF(Shader_GetUniform(shader, "kv_Tint"), 4, 1, 1, 1, 1));
    std::vector<Pixel> shaded = DrawScaled(texture, 200, colour);
    ASSERT_EQ(fixed.size(), shaded.size());
    for (size_t i = 0; i < fixed.size(); ++i) EXPECT_EQ(Argb(fixed[i]), Argb(shaded[i])) << "pixel " << i;

    // Texel 15 (240, 15, 75) at its centre, drawn white: the tint halves the red and takes the
    // green; then the vertex fog term takes the rest of the red through four vertex constants.
    const float centre = 3.5f / 64;
    struct Write {
        const char* name;
        float x, y, z, w;
    };
    struct Step {
        std::vector<Write> writes;
        uint32_t expected;
    } steps[] = {
        {{{"kv_Tint", 0.5f, 0, 1, 1}}, 0xFF78004Bu},
        {{{"kv_FogEnabled", 1, 0, 0, 0}, {"kv_FogStart", 1, 0, 0, 0}, {"kv_FogRange", 1, 0, 0, 0},
          {"kv_LightColour", -1, 0, 0, 0}},
         0xFF00004Bu},
    };
    int32_t x = 320;
    for (const Step& step : steps) {
        for (const Write& w : step.writes)
            ASSERT_TRUE(Shader_SetUniformF(Shader_GetUniform(shader, w.name), 4, w.x, w.y, w.z, w.w)) << w.name;
        DrawTexture(texture, float(x), 40, float(x + 1), 41, centre, centre, centre, centre, 0xFFFFFFFFu);
        Graphics::Flush();
        EXPECT_EQ(step.expected, At(x, 40)) << "at " << x;
        x += 10;
    }
    Shader_SetPending(nullptr);
    Shader_ApplyCurrent();
}

// Pass-through shaders in each form the matrices' layout follows from, as kinds 1 and 2 and as kinds
// that take the matrices as they are: under a view turned 30 degrees and doubled, each draws the
// filtered gradient on the pixels the generated programs draw it on, within 1 per channel.
TEST_F(Shaders, EveryFormDrawsUnderATurnedScaledView)
{
    const std::string tools = GameShader("tools_vertex.hlsl", "shaderviews");
    const std::string vector = GameShader("vector_vertex.hlsl", "shaderviews");
    const std::string fragment = GameShader("tools_fragment.hlsl", "shaderviews");
    const std::tuple<const char*, std::string, std::vector<int32_t>> cases[] = {
        {"the tools' form, matrix first", tools, {0, 1, 2, 3}},
        {"vector first", vector, {1, 2}},
        {"row_major, matrix first", Replaced(tools, "uniform float4x4 _zq_", "uniform row_major float4x4 _zq_"), {1, 2}},
        {"row_major, vector first", Replaced(vector, "float4x4 ab_", "row_major float4x4 ab_"), {1, 2, 3}}};
    DeviceTexture* texture = GradientTexture();
    ASSERT_NE(nullptr, texture);
    ASSERT_TRUE(GR_StartFrame());
    GR_Texture_SetInterpolation(true);
    GR_SetViewport(0, 0, 640, 480);
    GR_SetViewProjection(0, 0, 320, 240, 30.0);
    auto draw = [&]() {
        GR_D3D_Clear(BLACK, 1.0f, 0, 1);
        DrawTexture(texture, 130, 100, 178, 124, 0, 0, 4.0f / 64, 4.0f / 64, 0xFFC0A080u);
        Graphics::Flush();
        return ReadScreen(220, 140, 200, 200);
    };
    std::vector<Pixel> fixed = draw();
    EXPECT_GT(std::count_if(fixed.begin(), fixed.end(), [](const Pixel& p) { return Argb(p) != BLACK; }), 3000);
    for (const auto& [what, vertex, kinds] : cases)
        for (int32_t kind : kinds) {
            const char* sources[8] = {nullptr, nullptr, nullptr, nullptr, vertex.c_str(), fragment.c_str(), nullptr, nullptr};
            CShader* shader = Shader_Create("sh_views", kind, sources);
            ASSERT_TRUE(Shader_Compile(shader)) << what << "\n" << g_ErrorLast;
            Shader_SetPending(shader);
            Shader_ApplyCurrent();
            std::vector<Pixel> shaded = draw();
            ASSERT_EQ(fixed.size(), shaded.size());
            int differ = 0;
            for (size_t i = 0; i < fixed.size(); ++i)
                differ += std::max({std::abs(fixed[i].r - shaded[i].r), std::abs(fixed[i].g - shaded[i].g),
                                    std::abs(fixed[i].b - shaded[i].b)}) > 1;
            EXPECT_EQ(0, differ) << what << ", kind " << kind;
            Shader_FreeAll();
        }
}

} // namespace
