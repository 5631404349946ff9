// How draws reach the driver: the depth-stencil surface is attached only while a depth or stencil
// test needs it (or a draw must keep the driver's old path), without losing its contents; quads
// the driver may draw as whole rectangles give the pixels they gave as two triangles; and a batch
// longer than the driver's runs is drawn whole and in order.
#include <epoxy/gl.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "GLDeviceFixture.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_Draw.h"

using namespace gltest;

namespace {

class Routes : public DeviceTest {};

// Whether the framebuffer bound for drawing has a depth(-stencil) surface attached.
bool DepthAttached()
{
    GLint type = GL_NONE;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    return type != GL_NONE;
}

// A 32 x 32 picture of unrelated texels, so that a texel taken from a neighbour shows.
DeviceTexture* NoiseTexture()
{
    std::vector<uint32_t> texels(32 * 32);
    uint32_t seed = 12345u;
    for (uint32_t& t : texels) {
        seed = seed * 1103515245u + 12345u;
        t = 0xFF000000u | (seed >> 8);
    }
    DeviceTextureInfo info;
    return GR_Texture_CreateFromPixels(texels.data(), 32, 32, &info);
}

// A quad of the 32 x 32 picture (on its 64 x 64 texture) at (x, y), `scale` screen pixels a texel
// (negative: mirrored), in one colour or with a gradient.
void DrawPicture(DeviceTexture* texture, float x, float y, float scale, bool gradient)
{
    float size = 32.0f * std::fabs(scale), u0 = scale < 0 ? 0.5f : 0.0f, u1 = scale < 0 ? 0.0f : 0.5f;
    uint32_t far = gradient ? 0xFF808080u : WHITE; // the colour of the bottom right corner
    auto* v = static_cast<TexturedVertex*>(Graphics::AllocVerts(4, texture, 24, 6));
    v[0] = {x, y, 0, WHITE, u0, 0.0f};
    v[1] = {x + size, y, 0, WHITE, u1, 0.0f};
    v[2] = {x + size, y + size, 0, far, u1, 0.5f};
    v[3] = v[2];
    v[4] = {x, y + size, 0, WHITE, u0, 0.5f};
    v[5] = v[0];
    Graphics::Flush();
}

TEST_F(Routes, DepthSurfaceAttachedOnlyWhileTestedAndKeepsItsContents)
{
    DeviceTexture* texture = NoiseTexture();
    ASSERT_NE(nullptr, texture);
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(BLACK, 1.0f, 0, 7);
    // A quad written into the depth surface at the depth of z = 0.
    GR_RenderStateCache_Set(RS_DEPTH_TEST, 1);
    FillRect(10, 10, 20, 20, RED);
    Graphics::Flush();
    EXPECT_TRUE(DepthAttached()) << "depth test";
    // Drawing without tests: the surface goes, for quads and for what the driver keeps to triangles.
    GR_RenderStateCache_Set(RS_DEPTH_TEST, 0);
    const std::vector<std::tuple<const char*, float, bool>> pictures = {
        {"one texel a pixel", 1.0f, false}, {"scaled", 0.5f, false}, {"mirrored", -1.0f, false},
        {"gradient", 1.0f, true}};
    for (const auto& [what, scale, gradient] : pictures) {
        DrawPicture(texture, 100, 100, scale, gradient);
        EXPECT_FALSE(DepthAttached()) << what;
    }
    // A line inside the view goes without; one the driver would clip keeps it, as does the stencil test.
    GR_Draw_Line(0, 0, 50, 40);
    Graphics::Flush();
    EXPECT_FALSE(DepthAttached()) << "line inside";
    GR_Draw_Line(10, 10, 700, 40);
    Graphics::Flush();
    EXPECT_TRUE(DepthAttached()) << "line leaving the view";
    GR_D3D_SetDeviceRenderState(D3DRS_STENCILENABLE, 1);
    FillRect(30, 30, 40, 40, GREEN);
    Graphics::Flush();
    EXPECT_TRUE(DepthAttached()) << "stencil test";
    GR_D3D_SetDeviceRenderState(D3DRS_STENCILENABLE, 0);
    FillRect(300, 300, 310, 310, GREEN);
    Graphics::Flush();
    EXPECT_FALSE(DepthAttached()) << "after the stencil test";
    // The depth written before is still there: the same depth fails "less".
    GR_RenderStateCache_Set(RS_DEPTH_TEST, 1);
    GR_D3D_SetDeviceRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    FillRect(10, 10, 20, 20, BLUE);
    FillRect(60, 10, 70, 20, BLUE);
    Graphics::Flush();
    ExpectProbes({{15, 15, RED}, {65, 15, BLUE}}, "depth kept");
    GR_D3D_SetDeviceRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    GR_RenderStateCache_Set(RS_DEPTH_TEST, 0);
    GR_Texture_Free(texture);
}

// Each quad is drawn where it was, once with the depth test on (the driver's triangles, as every
// draw once was) and once without, and must give the same pixels: at whole, quarter and half
// pixels, one texel a pixel, scaled, enlarged and mirrored, point-filtered and filtered, in one
// colour and with a gradient.
TEST_F(Routes, QuadsGiveTheirTrianglesPixels)
{
    DeviceTexture* texture = NoiseTexture();
    ASSERT_NE(nullptr, texture);
    ASSERT_TRUE(GR_StartFrame());
    const std::pair<float, float> corners[] = {{24, 24}, {30, 40}, {100, 44}, {301, 203}, {517, 77}, {40, 410}};
    int32_t differing = 0, cases = 0;
    for (bool filtered : {false, true})
        for (float scale : {1.0f, 0.5f, 2.0f, -1.0f})
            for (float fraction : {0.0f, 0.25f, 0.5f, 0.75f})
                for (auto [left, top] : corners)
                    for (bool gradient : {false, true}) {
                        float x = left + fraction, y = top + (fraction == 0.25f ? 0.5f : fraction);
                        std::vector<Pixel> before;
                        for (bool depth : {true, false}) {
                            GR_D3D_Clear(GREY, 1.0f, 0, 3);
                            GR_Texture_SetInterpolation(filtered);
                            GR_RenderStateCache_Set(RS_DEPTH_TEST, depth ? 1 : 0);
                            DrawPicture(texture, x, y, scale, gradient);
                            std::vector<Pixel> got = ReadScreen(int32_t(left) - 1, int32_t(top) - 1, 68, 68);
                            if (!depth) {
                                bool same = std::memcmp(before.data(), got.data(), got.size() * 4) == 0;
                                differing += same ? 0 : 1;
                                EXPECT_TRUE(same) << "filtered " << filtered << " scale " << scale << " at " << x
                                                  << ", " << y << " gradient " << gradient;
                            }
                            before = got;
                        }
                        ++cases;
                    }
    EXPECT_EQ(0, differing) << "of " << cases;
    GR_RenderStateCache_Set(RS_DEPTH_TEST, 0);
    GR_Texture_Free(texture);
}

// Blending is left off for a draw only where every fragment has full alpha and the factors keep
// the source as it is, and the vertex colour is left out of the program only where every vertex
// is opaque white: each case is drawn over a gradient with the depth test on (the old path,
// blending and colour as the states say) and without, and must give the same pixels; the case says
// whether the second draw went without blending.
TEST_F(Routes, BlendingAndColourLeftOutOnlyWhereTheyCannotChangeAPixel)
{
    // 32 x 32 opaque texels on a 64 x 64 page (the rest clear), one half transparent at (20, 5)
    // and one clear at (25, 25).
    std::vector<uint32_t> texels(32 * 32);
    uint32_t seed = 777u;
    for (uint32_t& t : texels) {
        seed = seed * 1103515245u + 12345u;
        t = 0xFF000000u | (seed >> 8);
    }
    texels[5 * 32 + 20] = 0x80FFFFFFu;
    texels[25 * 32 + 25] = 0x00FFFFFFu;
    DeviceTextureInfo info;
    DeviceTexture* page = GR_Texture_CreateFromPixels(texels.data(), 32, 32, &info);
    // 128 x 32 opaque texels but a clear one at (64, 5), the first of a row's second word of bits.
    std::vector<uint32_t> wideTexels(128 * 32, 0xFF3070B0u);
    wideTexels[5 * 128 + 64] = 0x00FFFFFFu;
    DeviceTexture* wide = GR_Texture_CreateFromPixels(wideTexels.data(), 128, 32, &info);
    // A target given opaque texels, then drawn into with a half-transparent colour.
    DeviceTexture* target = GR_Texture_Create(32, 32, 1, true, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_TRUE(page != nullptr && wide != nullptr && target != nullptr);
    ASSERT_TRUE(GR_Texture_Upload(target, 0, 32, 32, std::vector<uint32_t>(32 * 32, 0xFF204060u).data()));
    ASSERT_TRUE(GR_StartFrame());
    ASSERT_TRUE(GR_Surface_PushTarget());
    ASSERT_TRUE(GR_Surface_SetTarget(0, target));
    GR_SetViewProjection(0, 0, 32, 32, 0);
    GR_RenderStateCache_Set(RS_DEPTH_TEST, 0);
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
    FillRect(0, 0, 32, 32, 0x40FF0000u);
    ASSERT_TRUE(GR_Surface_PopTarget());
    GR_SetViewProjection(0, 0, 640, 480, 0);
    GR_Texture_SetInterpolation(false);

    struct Case {
        const char* what;
        DeviceTexture* texture; // null: untextured
        int32_t left, top;      // the texels drawn, 16 x 16
        float scale;
        uint32_t colour, destination;
        bool blendOff;
    };
    const Case cases[] = {
        {"opaque texels", page, 0, 0, 1, WHITE, D3DBLEND_INVSRCALPHA, true},
        {"opaque texels tinted", page, 0, 16, 1, 0xFF40C080u, D3DBLEND_INVSRCALPHA, true},
        {"opaque texels all but white", page, 0, 0, 1, 0xFFFFFFFEu, D3DBLEND_INVSRCALPHA, true},
        {"opaque texels over zero", page, 0, 0, 1, WHITE, D3DBLEND_ZERO, true},
        {"a half-transparent texel", page, 16, 0, 1, WHITE, D3DBLEND_INVSRCALPHA, false},
        {"a clear texel", page, 16, 16, 1, WHITE, D3DBLEND_INVSRCALPHA, false},
        {"clear texels beside the picture", page, 24, 24, 1, WHITE, D3DBLEND_INVSRCALPHA, false},
        {"half-transparent colour", page, 0, 0, 1, 0x80FFFFFFu, D3DBLEND_INVSRCALPHA, false},
        {"scaled", page, 0, 0, 2, WHITE, D3DBLEND_INVSRCALPHA, false},
        {"adding", page, 0, 0, 1, WHITE, D3DBLEND_ONE, false},
        {"untextured", nullptr, 0, 0, 1, RED, D3DBLEND_INVSRCALPHA, true},
        {"untextured white", nullptr, 0, 0, 1, WHITE, D3DBLEND_INVSRCALPHA, true},
        {"untextured half transparent", nullptr, 0, 0, 1, 0x80FF0000u, D3DBLEND_INVSRCALPHA, false},
        {"drawn into after its upload", target, 0, 0, 1, WHITE, D3DBLEND_INVSRCALPHA, false},
        {"up to a clear texel", wide, 48, 0, 1, WHITE, D3DBLEND_INVSRCALPHA, true},
        {"across a clear texel", wide, 56, 0, 1, WHITE, D3DBLEND_INVSRCALPHA, false},
        {"from just after a clear texel", wide, 65, 0, 1, WHITE, D3DBLEND_INVSRCALPHA, true},
        {"the last texels of rows", wide, 112, 16, 1, WHITE, D3DBLEND_INVSRCALPHA, true},
    };
    for (const Case& c : cases) {
        std::vector<Pixel> before;
        for (bool depth : {true, false}) {
            GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
            GR_D3D_Clear(GREY, 1.0f, 0, 3);
            for (int32_t row = 0; row < 40; ++row) FillRect(90, float(90 + row), 150, float(91 + row), 0xFF000000u | uint32_t(row * 6) << 8);
            GR_RenderStateCache_Set(RS_DEPTH_TEST, depth ? 1 : 0);
            GR_RenderStateCache_Set(RS_ALPHA_BLEND, 1);
            GR_D3D_SetDeviceRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            GR_D3D_SetDeviceRenderState(D3DRS_DESTBLEND, c.destination);
            float side = 16 * c.scale;
            if (c.texture == nullptr) {
                FillRect(100, 100, 100 + side, 100 + side, c.colour);
            } else {
                float w = float(DeviceTexture_Width(c.texture)), h = float(DeviceTexture_Height(c.texture));
                float u0 = float(c.left) / w, v0 = float(c.top) / h;
                DrawTexture(c.texture, 100, 100, 100 + side, 100 + side, u0, v0, u0 + 16 / w, v0 + 16 / h, c.colour);
            }
            Graphics::Flush();
            std::vector<Pixel> got = ReadScreen(90, 90, 60, 60);
            if (!depth) {
                EXPECT_EQ(c.blendOff, !glIsEnabled(GL_BLEND)) << c.what;
                GLint program = 0;
                glGetIntegerv(GL_CURRENT_PROGRAM, &program);
                EXPECT_EQ(c.colour != WHITE, glGetAttribLocation(GLuint(program), "aColour") >= 0) << c.what;
                EXPECT_EQ(0, std::memcmp(before.data(), got.data(), got.size() * 4)) << c.what;
            }
            before = got;
        }
    }
    GR_RenderStateCache_Set(RS_DEPTH_TEST, 0);
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
    for (DeviceTexture* t : {page, wide, target}) GR_Texture_Free(t);
}

// The route looks at a list's repeated corners only where they repeat their corner exactly: each
// case changes one input of a repeated corner (v[3] repeats v[2], v[5] repeats v[0]) and must give
// the pixels of the depth-tested draw, with blending left off only where every fragment is opaque.
TEST_F(Routes, RepeatedCornersAreJudgedByTheirOwnInputs)
{
    DeviceTexture* texture = NoiseTexture();
    ASSERT_NE(nullptr, texture);
    ASSERT_TRUE(GR_StartFrame());
    GR_Texture_SetInterpolation(false);
    struct Case {
        const char* what;
        int corner; // 3 or 5; 0: none changed
        void (*change)(TexturedVertex&);
        bool blendOff;
    };
    const Case cases[] = {
        {"repeated exactly", 0, nullptr, true},
        {"half-transparent", 5, [](TexturedVertex& v) { v.colour = 0x80FFFFFFu; }, false},
        {"tinted", 3, [](TexturedVertex& v) { v.colour = 0xFFFF8080u; }, false},
        {"a texel further", 3, [](TexturedVertex& v) { v.u += 1.0f / 64; }, false},
        {"half a pixel lower", 5, [](TexturedVertex& v) { v.y += 0.5f; }, false},
        {"beyond the clip volume", 3, [](TexturedVertex& v) { v.x = 5000.0f; }, false},
    };
    for (const Case& c : cases) {
        std::vector<Pixel> before;
        for (bool depth : {true, false}) {
            GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
            GR_D3D_Clear(GREY, 1.0f, 0, 3);
            GR_RenderStateCache_Set(RS_DEPTH_TEST, depth ? 1 : 0);
            GR_RenderStateCache_Set(RS_ALPHA_BLEND, 1);
            auto* v = static_cast<TexturedVertex*>(Graphics::AllocVerts(4, texture, 24, 6));
            v[0] = {100, 100, 0, WHITE, 0.0f, 0.0f};
            v[1] = {116, 100, 0, WHITE, 0.25f, 0.0f};
            v[2] = {116, 116, 0, WHITE, 0.25f, 0.25f};
            v[3] = v[2];
            v[4] = {100, 116, 0, WHITE, 0.0f, 0.25f};
            v[5] = v[0];
            if (c.change != nullptr) c.change(v[c.corner]);
            Graphics::Flush();
            std::vector<Pixel> got = ReadScreen(90, 90, 40, 40);
            if (!depth) {
                EXPECT_EQ(c.blendOff, !glIsEnabled(GL_BLEND)) << c.what;
                EXPECT_EQ(0, std::memcmp(before.data(), got.data(), got.size() * 4)) << c.what;
            }
            before = got;
        }
    }
    GR_RenderStateCache_Set(RS_DEPTH_TEST, 0);
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
    GR_Texture_Free(texture);
}

// Draws that cannot become rectangles (turned quads, quads in a turned view, lines) are judged inside
// the clip volume from the box of their positions: a single vertex of a long batch beyond the
// volume, or not a number, keeps the depth-stencil surface attached; one vertex not white keeps
// the vertex colours; and the pixels are those of the depth-tested draw.
TEST_F(Routes, OneVertexOfALongBatchDecidesItsRoute)
{
    DeviceTexture* texture = NoiseTexture();
    ASSERT_NE(nullptr, texture);
    ASSERT_TRUE(GR_StartFrame());
    constexpr int32_t QUADS = 120, COUNT = QUADS * 6;
    const float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN(), INF = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        double viewAngle;
        int32_t type;    // 4 triangle list, 2 line list
        int32_t changed; // the vertex moved or recoloured, -1 none
        float x, y;      // where it goes (NaN x: it keeps its place)
        uint32_t colour;
        bool attached;
        int32_t tail = 0; // 3: a triangle after the quads, which makes the count odd
    };
    const Case cases[] = {
        {"turned quads inside", 0, 4, -1, 0, 0, WHITE, false},
        {"turned quads, the last vertex far right", 0, 4, COUNT - 1, 5000, 200, WHITE, true},
        {"turned quads, a middle vertex far above", 0, 4, 301, 200, -3000, WHITE, true},
        {"turned quads, a vertex above the view within the driver's band", 0, 4, 301, 200, -900, WHITE, false},
        {"turned quads, a vertex not a number", 0, 4, 7, 100, NOT_A_NUMBER, WHITE, true},
        {"turned quads, a vertex at infinity", 0, 4, 7, -INF, 100, WHITE, true},
        {"turned quads, a vertex not white", 0, 4, 500, NOT_A_NUMBER, 0, 0xFF2040A0u, false},
        {"turned quads and a triangle inside", 0, 4, -1, 0, 0, WHITE, false, 3},
        {"turned quads and a triangle, its last vertex far right", 0, 4, COUNT + 2, 5000, 200, WHITE, true, 3},
        {"turned quads and a triangle, its last vertex not white", 0, 4, COUNT + 2, NOT_A_NUMBER, 0, 0xFF2040A0u,
         false, 3},
        {"turned view inside", 30, 4, -1, 0, 0, WHITE, false},
        {"turned view, a vertex far below", 30, 4, 100, 300, 3000, WHITE, true},
        {"lines inside", 0, 2, -1, 0, 0, WHITE, false},
        {"lines, a vertex left of the view", 0, 2, 55, -700, 10, WHITE, true},
    };
    for (const Case& c : cases) {
        std::vector<Pixel> before;
        for (bool depth : {true, false}) {
            GR_SetViewProjection(0, 0, 640, 480, c.viewAngle);
            GR_D3D_Clear(GREY, 1.0f, 0, 3);
            GR_RenderStateCache_Set(RS_DEPTH_TEST, depth ? 1 : 0);
            auto* v = static_cast<TexturedVertex*>(Graphics::AllocVerts(c.type, texture, 24, COUNT + c.tail));
            for (int32_t q = 0; q < QUADS; ++q) {
                // A 20 x 20 square turned by q degrees about its centre, on a grid of 40.
                float cx = 60.0f + float(q % 12) * 45.0f, cy = 60.0f + float(q / 12) * 36.0f;
                float s = std::sin(float(q) * 0.0174533f) * 14.0f, k = std::cos(float(q) * 0.0174533f) * 14.0f;
                TexturedVertex corners[4] = {{cx - k + s, cy - s - k, 0, WHITE, 0, 0},
                                             {cx + k + s, cy + s - k, 0, WHITE, 0.25f, 0},
                                             {cx + k - s, cy + s + k, 0, WHITE, 0.25f, 0.25f},
                                             {cx - k - s, cy - s + k, 0, WHITE, 0, 0.25f}};
                const int order[6] = {0, 1, 2, 2, 3, 0};
                for (int i = 0; i < 6; ++i) v[q * 6 + i] = corners[order[i]];
            }
            for (int32_t i = 0; i < c.tail; ++i) v[COUNT + i] = v[i];
            if (c.changed >= 0) {
                v[c.changed].colour = c.colour;
                if (!std::isnan(c.x)) v[c.changed].x = c.x, v[c.changed].y = c.y;
            }
            Graphics::Flush();
            bool attached = DepthAttached(); // before the read-back binds its own framebuffer
            std::vector<Pixel> got = ReadScreen(0, 0, 640, 480);
            if (!depth) {
                EXPECT_EQ(c.attached, attached) << c.what;
                EXPECT_EQ(0, std::memcmp(before.data(), got.data(), got.size() * 4)) << c.what;
            }
            before = got;
        }
    }
    GR_SetViewProjection(0, 0, 640, 480, 0);
    GR_RenderStateCache_Set(RS_DEPTH_TEST, 0);
    GR_Texture_Free(texture);
}

// 1,365 small triangles in one batch (4,095 vertices, more than the driver takes in one run):
// each lands, in order, the last few over earlier ones.
TEST_F(Routes, BatchLongerThanARunIsDrawnWholeAndInOrder)
{
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(BLACK, 1.0f, 0, 3);
    GR_RenderStateCache_Set(RS_DEPTH_TEST, 0);
    constexpr int32_t TRIANGLES = 1365, OVERDRAWN = 5;
    auto* v = static_cast<ColouredVertex*>(Graphics::AllocVerts(4, nullptr, 16, TRIANGLES * 3));
    auto corner = [](int32_t i) { return std::pair<float, float>(float(i % 40) * 4.0f, float(i / 40) * 4.0f); };
    for (int32_t i = 0; i < TRIANGLES; ++i) {
        // The last few go over the first few, in another colour.
        auto [x, y] = corner(i < TRIANGLES - OVERDRAWN ? i : i - (TRIANGLES - OVERDRAWN));
        uint32_t colour = i < TRIANGLES - OVERDRAWN ? 0xFF000000u | uint32_t(i + 1) * 0x010203u : WHITE;
        v[3 * i] = {x, y, 0, colour};
        v[3 * i + 1] = {x + 4.0f, y, 0, colour};
        v[3 * i + 2] = {x, y + 4.0f, 0, colour};
    }
    Graphics::Flush();
    std::vector<Pixel> screen = ReadScreen(0, 0, 160, 140);
    ASSERT_EQ(160u * 140u, screen.size());
    int32_t wrong = 0;
    for (int32_t i = 0; i < TRIANGLES - OVERDRAWN; ++i) {
        auto [x, y] = corner(i);
        uint32_t expected = i < OVERDRAWN ? WHITE : 0xFF000000u | uint32_t(i + 1) * 0x010203u;
        uint32_t got = Argb(screen[size_t(y + 1) * 160 + size_t(x + 1)]);
        if (got != expected) ++wrong, ADD_FAILURE() << "triangle " << i << ": " << std::hex << got;
        if (wrong > 10) break;
    }
}

} // namespace
