// Game shaders on the OpenGL device: a pass-through shader draws what the generated programs draw,
// pixel for pixel, and a uniform reaches the fragment program.
#include "GLDeviceFixture.h"
#include "graphics/Graphics_Shader.h"

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

// A 4 x 4 texture drawn 3:1 with filtering, so a half-pixel error in either program shows.
std::vector<Pixel> DrawScaled(DeviceTexture* texture, float left, uint32_t colour)
{
    DrawTexture(texture, left, 40, left + 12, 52, 0, 0, 4.0f / 64, 4.0f / 64, colour);
    Graphics::Flush();
    return ReadScreen(int32_t(left), 40, 12, 12);
}

TEST_F(Shaders, PassThroughMatchesTheGeneratedProgramsAndTintChangesPixels)
{
    std::vector<uint32_t> texels(16);
    for (uint32_t i = 0; i < 16; ++i) texels[i] = 0xFF000000u | (i * 16u) << 16 | (255u - i * 16u) << 8 | (i * 5u);
    DeviceTextureInfo info;
    DeviceTexture* texture = GR_Texture_CreateFromPixels(texels.data(), 4, 4, &info);
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

} // namespace
