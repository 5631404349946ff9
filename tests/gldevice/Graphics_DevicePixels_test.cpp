#include "GLDeviceFixture.h"

using namespace gltest;

namespace {

class Pixels : public DeviceTest {};

TEST_F(Pixels, TextureDrawnOneToOneReproducesEveryTexel)
{
    std::vector<uint32_t> texels(16);
    for (uint32_t i = 0; i < 16; ++i)
        texels[i] = 0xFF000000u | (i * 16u) << 16 | (255u - i * 16u) << 8 | (i * 7u + 3u);
    DeviceTextureInfo info;
    DeviceTexture* texture = GR_Texture_CreateFromPixels(texels.data(), 4, 4, &info);
    ASSERT_NE(nullptr, texture);
    EXPECT_EQ(64, DeviceTexture_Width(texture));
    // Filtering on: any half-pixel error would mix neighbouring texels.
    GR_Texture_SetInterpolation(true);
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFF000000u, 1.0f, 0, 1);
    DrawTexture(texture, 100, 50, 104, 54, 0, 0, 4.0f / 64, 4.0f / 64);
    Graphics::Flush();
    std::vector<Pixel> got = ReadScreen(100, 50, 4, 4);
    ASSERT_EQ(16u, got.size());
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(texels[i], Argb(got[i])) << "texel " << i;
    EXPECT_EQ(0xFF000000u, Argb(ScreenPixel(99, 50)));
    EXPECT_EQ(0xFF000000u, Argb(ScreenPixel(104, 53)));
    EXPECT_EQ(0xFF000000u, Argb(ScreenPixel(100, 54)));
    GR_Texture_Free(texture);
}

} // namespace

namespace {

TEST_F(Pixels, ClearWithViewportLeavesPixelsOutsideUntouched)
{
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFFFF0000u, 1.0f, 0, 1); // blue (red in the low byte)
    GR_SetViewport(10, 20, 30, 40);
    GR_D3D_Clear(0xFF0000FFu, 1.0f, 0, 1); // red
    EXPECT_EQ(0xFFFF0000u, Argb(ScreenPixel(10, 20)));
    EXPECT_EQ(0xFFFF0000u, Argb(ScreenPixel(39, 59)));
    EXPECT_EQ(0xFF0000FFu, Argb(ScreenPixel(9, 20)));
    EXPECT_EQ(0xFF0000FFu, Argb(ScreenPixel(40, 20)));
    EXPECT_EQ(0xFF0000FFu, Argb(ScreenPixel(10, 19)));
    EXPECT_EQ(0xFF0000FFu, Argb(ScreenPixel(39, 60)));
}

TEST_F(Pixels, RenderToTextureThenSampleAndReadBack)
{
    DeviceTexture* target = GR_Texture_Create(16, 16, 1, true, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_NE(nullptr, target);
    EXPECT_EQ(16, DeviceTexture_Width(target)); // a render target keeps its size
    ASSERT_TRUE(GR_StartFrame());
    ASSERT_TRUE(GR_Surface_PushTarget());
    ASSERT_TRUE(GR_Surface_SetTarget(0, target));
    GR_SetViewProjection(0, 0, 16, 16, 0);
    GR_D3D_Clear(0xFF000000u, 1.0f, 0, 1);
    FillRect(0, 0, 16, 8, 0xFFFF0000u);  // red top half
    FillRect(0, 8, 16, 16, 0x8000FF00u); // half-transparent green over black
    ASSERT_TRUE(GR_Surface_PopTarget());

    uint8_t* block = GR_Surface_ReadPixels(target, 0, 0, 16, 16);
    ASSERT_NE(nullptr, block);
    const uint8_t topRow[4] = {0x00, 0x00, 0xFF, 0xFF};
    EXPECT_EQ(0, std::memcmp(block, topRow, 4));
    EXPECT_EQ(0, std::memcmp(block + 7 * 16 * 4 + 15 * 4, topRow, 4));
    // Source-alpha blending writes green x 0.5 and alpha 0.5 x 0.5 + 1 x 0.5 over opaque black.
    const uint8_t* bottom = block + 8 * 16 * 4;
    EXPECT_NEAR(0x80, bottom[1], 1);
    EXPECT_EQ(0, bottom[2]);
    EXPECT_NEAR(0xC0, bottom[3], 1);
    MemoryManager::Free(block);

    GR_SetViewProjection(0, 0, 640, 480, 0);
    GR_Texture_SetInterpolation(false);
    GR_D3D_Clear(0xFFFFFFFFu, 1.0f, 0, 1);
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
    DrawTexture(target, 200, 100, 216, 116, 0, 0, 1, 1);
    Graphics::Flush();
    EXPECT_EQ(0xFFFF0000u, Argb(ScreenPixel(200, 100)));
    EXPECT_EQ(0xFFFF0000u, Argb(ScreenPixel(215, 107)));
    Pixel lower = ScreenPixel(207, 108);
    EXPECT_NEAR(0x80, lower.g, 1);
    EXPECT_EQ(0, lower.r);
    EXPECT_EQ(0xFFFFFFFFu, Argb(ScreenPixel(216, 100)));
    GR_Texture_Free(target);
}

// Blend factors with source (200, 100, 50, 128) over destination (40, 80, 160, 192).
struct Colour {
    double r, g, b, a;
};

Colour Factor(uint32_t factor, const Colour& s, const Colour& d)
{
    switch (factor) {
    case 1:
        return {0, 0, 0, 0};
    case 2:
        return {1, 1, 1, 1};
    case 3:
        return s;
    case 4:
        return {1 - s.r, 1 - s.g, 1 - s.b, 1 - s.a};
    case 5:
        return {s.a, s.a, s.a, s.a};
    case 6:
        return {1 - s.a, 1 - s.a, 1 - s.a, 1 - s.a};
    case 7:
        return {d.a, d.a, d.a, d.a};
    case 8:
        return {1 - d.a, 1 - d.a, 1 - d.a, 1 - d.a};
    case 9:
        return d;
    case 10:
        return {1 - d.r, 1 - d.g, 1 - d.b, 1 - d.a};
    default: {
        double f = std::min(s.a, 1 - d.a); // 11: saturated source alpha
        return {f, f, f, 1};
    }
    }
}

class BlendPixels : public DeviceTest {
  protected:
    Pixel Blend(uint32_t source, uint32_t destination)
    {
        GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
        FillRect(0, 0, 8, 8, 0xC02850A0u);
        Graphics::Flush();
        GR_RenderStateCache_Set(RS_ALPHA_BLEND, 1);
        GR_Draw_SetBlendModeExt(source, destination);
        FillRect(0, 0, 8, 8, 0x80C86432u);
        Graphics::Flush();
        return ScreenPixel(4, 4);
    }
};

void ExpectNear(const Colour& want, const Pixel& got, const std::string& what)
{
    auto channel = [](double v) { return std::min(255.0, std::max(0.0, v * 255.0)); };
    EXPECT_NEAR(channel(want.r), got.r, 1.01) << what << " red";
    EXPECT_NEAR(channel(want.g), got.g, 1.01) << what << " green";
    EXPECT_NEAR(channel(want.b), got.b, 1.01) << what << " blue";
    EXPECT_NEAR(channel(want.a), got.a, 1.01) << what << " alpha";
}

TEST_F(BlendPixels, EachFactorAppliesToColourAndAlpha)
{
    const Colour s = {200 / 255.0, 100 / 255.0, 50 / 255.0, 128 / 255.0};
    const Colour d = {40 / 255.0, 80 / 255.0, 160 / 255.0, 192 / 255.0};
    ASSERT_TRUE(GR_StartFrame());
    for (uint32_t f = 1; f <= 11; ++f) {
        Colour fs = Factor(f, s, d);
        ExpectNear({s.r * fs.r, s.g * fs.g, s.b * fs.b, s.a * fs.a}, Blend(f, 1),
                   "source factor " + std::to_string(f));
        if (f == 11) continue; // saturated alpha is a source factor only
        Colour fd = Factor(f, s, d);
        ExpectNear({d.r * fd.r, d.g * fd.g, d.b * fd.b, d.a * fd.a}, Blend(1, f),
                   "destination factor " + std::to_string(f));
    }
    // Both-source-alpha factors decide the destination factor too.
    ExpectNear({s.r * s.a + d.r * (1 - s.a), s.g * s.a + d.g * (1 - s.a), s.b * s.a + d.b * (1 - s.a),
                s.a * s.a + d.a * (1 - s.a)},
               Blend(12, 1), "both source alpha");
    ExpectNear({s.r * (1 - s.a) + d.r * s.a, s.g * (1 - s.a) + d.g * s.a, s.b * (1 - s.a) + d.b * s.a,
                s.a * (1 - s.a) + d.a * s.a},
               Blend(13, 1), "both inverse source alpha");
    // Outside 2..17 the system sends zero.
    ExpectNear({0, 0, 0, 0}, Blend(40, 1), "unknown factor");
}

TEST_F(Pixels, AlphaTestAndColourWriteMask)
{
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFF000000u, 1.0f, 0, 1);
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
    GR_Draw_SetAlphaTest(true);
    GR_Draw_SetAlphaTestRef(100);      // the function stays "greater"
    FillRect(0, 0, 4, 4, 0x64FFFFFFu); // alpha 100: refused
    FillRect(4, 0, 8, 4, 0x65FFFFFFu); // alpha 101: drawn
    Graphics::Flush();
    EXPECT_EQ(0xFF000000u, Argb(ScreenPixel(1, 1)));
    EXPECT_EQ(0x65FFFFFFu, Argb(ScreenPixel(5, 1)));
    GR_Draw_SetAlphaTest(false);
    GR_Draw_SetColourWriteEnable(false, true, true, false);
    FillRect(0, 8, 4, 12, 0x10203040u);
    Graphics::Flush();
    EXPECT_EQ(0xFF003040u, Argb(ScreenPixel(1, 9)));
}

TEST_F(Pixels, CullingFollowsTheWindingOnScreen)
{
    struct V {
        float x, y, z;
        uint32_t c;
    };
    auto triangles = [] {
        auto* v = static_cast<V*>(Graphics::AllocVerts(4, nullptr, 16, 6));
        // Clockwise on screen (right, then down-left), then counter-clockwise.
        v[0] = {10, 10, 0, 0xFFFFFFFFu};
        v[1] = {30, 10, 0, 0xFFFFFFFFu};
        v[2] = {10, 30, 0, 0xFFFFFFFFu};
        v[3] = {50, 10, 0, 0xFFFFFFFFu};
        v[4] = {50, 30, 0, 0xFFFFFFFFu};
        v[5] = {70, 10, 0, 0xFFFFFFFFu};
        Graphics::Flush();
    };
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFF000000u, 1.0f, 0, 1);
    GR_3D_SetCulling(true); // counter-clockwise triangles are culled
    triangles();
    EXPECT_EQ(0xFFFFFFFFu, Argb(ScreenPixel(13, 13)));
    EXPECT_EQ(0xFF000000u, Argb(ScreenPixel(53, 13)));
    GR_D3D_Clear(0xFF000000u, 1.0f, 0, 1);
    GR_RenderStateCache_Set(RS_CULL_MODE, 1); // clockwise ones
    triangles();
    EXPECT_EQ(0xFF000000u, Argb(ScreenPixel(13, 13)));
    EXPECT_EQ(0xFFFFFFFFu, Argb(ScreenPixel(53, 13)));
    GR_D3D_Clear(0xFF000000u, 1.0f, 0, 1);
    GR_3D_SetCulling(false);
    triangles();
    EXPECT_EQ(0xFFFFFFFFu, Argb(ScreenPixel(13, 13)));
    EXPECT_EQ(0xFFFFFFFFu, Argb(ScreenPixel(53, 13)));
}

TEST_F(Pixels, FlatShadingTakesTheFirstVertex)
{
    struct V {
        float x, y, z;
        uint32_t c;
    };
    auto triangle = [] {
        auto* v = static_cast<V*>(Graphics::AllocVerts(4, nullptr, 16, 3));
        v[0] = {0, 0, 0, 0xFFFF0000u};
        v[1] = {64, 0, 0, 0xFF00FF00u};
        v[2] = {0, 64, 0, 0xFF0000FFu};
        Graphics::Flush();
    };
    ASSERT_TRUE(GR_StartFrame());
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
    GR_3D_SetShading(false);
    triangle();
    EXPECT_EQ(0xFFFF0000u, Argb(ScreenPixel(2, 2)));
    EXPECT_EQ(0xFFFF0000u, Argb(ScreenPixel(58, 2)));
    EXPECT_EQ(0xFFFF0000u, Argb(ScreenPixel(2, 58)));
    GR_3D_SetShading(true);
    triangle();
    Pixel nearSecond = ScreenPixel(58, 2);
    EXPECT_GT(nearSecond.g, 200);
    EXPECT_LT(nearSecond.r, 40);
}

TEST_F(Pixels, ImageWiderThanTheLargestTextureKeepsWhatFits)
{
    // 5000 x 10 pixels: the texture is 4096 x 64 and only the first 4096 of each row reach it.
    std::vector<uint32_t> pixels(5000 * 10);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 5000; ++x)
            pixels[size_t(y) * 5000 + size_t(x)] = x < 4096 ? 0xFF00FF00u : 0xFFFF0000u;
    DeviceTextureInfo info;
    DeviceTexture* texture = GR_Texture_CreateFromPixels(pixels.data(), 5000, 10, &info);
    ASSERT_NE(nullptr, texture);
    EXPECT_EQ(4096, info.width);
    EXPECT_EQ(64, info.height);
    ASSERT_TRUE(GR_StartFrame());
    GR_Texture_SetInterpolation(false);
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
    // The texture's last column of row 9, drawn as one pixel.
    DrawTexture(texture, 0, 0, 1, 1, 4095.0f / 4096, 9.0f / 64, 1.0f, 10.0f / 64);
    Graphics::Flush();
    EXPECT_EQ(0xFF00FF00u, Argb(ScreenPixel(0, 0)));
    GR_Texture_Free(texture);
}

} // namespace

namespace {

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(w >> (8 * i)));
    return out;
}

TEST_F(Pixels, SixteenBitAndCompressedTexturesDrawTheirColours)
{
    // A "RAW " block of kind 1: one 16-bit pixel stored with its nibbles reversed (alpha F, red 8,
    // green 4, blue 2 once turned round).
    std::vector<uint8_t> raw = Words({0x20574152u, 1, 1, 1});
    raw.push_back(0x8F);
    raw.push_back(0x24);
    DeviceTexture* sixteen = GR_Texture_CreateFromData(raw.data(), int32_t(raw.size()), nullptr, 0);
    ASSERT_NE(nullptr, sixteen);

    // A DDS file of one DXT1 block: colour 0 pure red, every texel index 0.
    std::vector<uint8_t> dds(128, 0);
    const uint32_t header[] = {0x20534444u, 124, 0x1007, 4, 4};
    std::memcpy(dds.data(), header, sizeof(header));
    const uint32_t format[] = {32, 0x4, 0x31545844u};
    std::memcpy(dds.data() + 76, format, sizeof(format));
    const uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0};
    dds.insert(dds.end(), block, block + 8);
    DeviceTextureInfo info;
    DeviceTexture* compressed = GR_Texture_CreateFromData(dds.data(), int32_t(dds.size()), &info, 0);
    ASSERT_NE(nullptr, compressed);
    EXPECT_EQ(4, info.imageFormat); // DDS
    EXPECT_EQ(int32_t(0x31545844u), info.formatCode);

    ASSERT_TRUE(GR_StartFrame());
    GR_Texture_SetInterpolation(false);
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
    DrawTexture(sixteen, 0, 0, 1, 1, 0, 0, 1.0f / 64, 1.0f / 64);
    DrawTexture(compressed, 2, 0, 6, 4, 0, 0, 1, 1);
    Graphics::Flush();
    EXPECT_EQ(0xFF884422u, Argb(ScreenPixel(0, 0)));
    EXPECT_EQ(0xFFFF0000u, Argb(ScreenPixel(2, 0)));
    EXPECT_EQ(0xFFFF0000u, Argb(ScreenPixel(5, 3)));
    GR_Texture_Free(sixteen);
    GR_Texture_Free(compressed);
}

TEST_F(Pixels, ScriptVertexFormatDrawsThroughItsDeclaration)
{
    VertexFormat_FreeAll();
    auto* format = new VertexFormat();
    VertexFormat_AddElement(format, VERTEX_TYPE_FLOAT3, VERTEX_USAGE_POSITION, 1);
    VertexFormat_AddElement(format, VERTEX_TYPE_COLOUR, VERTEX_USAGE_COLOUR, 2);
    int32_t handle = VertexFormat_Add(format);
    VertexFormat_CreateDeclaration(format);
    ASSERT_NE(nullptr, format->declaration);
    struct V {
        float x, y, z;
        uint32_t c;
    };
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFF000000u, 1.0f, 0, 1);
    auto* v = static_cast<V*>(Graphics::AllocVerts(D3DPT_TRIANGLESTRIP, nullptr, handle, 4));
    ASSERT_NE(nullptr, v);
    v[0] = {10, 10, 0, 0xFF00FF00u};
    v[1] = {20, 10, 0, 0xFF00FF00u};
    v[2] = {10, 20, 0, 0xFF00FF00u};
    v[3] = {20, 20, 0, 0xFF00FF00u};
    Graphics::Flush();
    EXPECT_EQ(0xFF00FF00u, Argb(ScreenPixel(10, 10)));
    EXPECT_EQ(0xFF00FF00u, Argb(ScreenPixel(19, 19)));
    EXPECT_EQ(0xFF000000u, Argb(ScreenPixel(20, 19)));
    VertexFormat_FreeAll();
}

} // namespace
