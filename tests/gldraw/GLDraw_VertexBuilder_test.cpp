// Script-built vertex buffers submitted to an OpenGL device and read back pixel by pixel: a coloured
// triangle list, and a strip textured through a page-entry handle, a texture index or nothing.
#include "../TestSupport_Builtins.h"
#include "../gldevice/GLDeviceFixture.h"
#include "buffer/Buffer_Vertex.h"
#include "gamebuild/GameBuild_Game.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Textures.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TexturePage.h"

using namespace gltest;
using testsupport::CallReal;

namespace {

constexpr uint32_t RED = 0xFFFF0000u; // ARGB
constexpr uint32_t GREEN = 0xFF00FF00u;
constexpr uint32_t WHITE = 0xFFFFFFFFu;
constexpr uint32_t CLEAR = 0x00000000u;

class VertexSubmit : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        testsupport::RegisterBuiltins();
        VertexFormat_FreeAll();
        VertexBuilder_DeleteAll();
        g_GameOptions.showErrors = false;
        ASSERT_TRUE(GR_StartFrame());
        GR_Draw_Clear(0);
        GR_Texture_SetInterpolation(false);
    }
    void TearDown() override
    {
        VertexBuilder_DeleteAll();
        VertexFormat_FreeAll();
        Texture_FreeAll();
        TexturePage_Clear();
        GameHeader_Clear();
        g_GameFile.Release();
        DeviceTest::TearDown();
    }

    // A format made the way scripts make it: a 2D position, a colour and, when asked, a texture
    // coordinate.
    static double MakeFormat(bool textured)
    {
        CallReal("vertex_format_begin", {});
        CallReal("vertex_format_add_position", {});
        CallReal("vertex_format_add_colour", {});
        if (textured) CallReal("vertex_format_add_textcoord", {});
        return CallReal("vertex_format_end", {});
    }

    // A square at (x, y) of side 32 as a strip, its texture coordinates given by the corners.
    static double TexturedStrip(double format, float x, float y, float u0, float v0, float u1, float v1)
    {
        double b = CallReal("vertex_create_buffer", {});
        CallReal("vertex_begin", {b, format});
        const float corners[4][4] = {{x, y, u0, v0}, {x + 32, y, u1, v0}, {x, y + 32, u0, v1}, {x + 32, y + 32, u1, v1}};
        for (const auto& c : corners) {
            CallReal("vertex_texcoord", {b, c[2], c[3]});
            CallReal("vertex_colour", {b, 0xFFFFFF, 1});
            CallReal("vertex_position", {b, c[0], c[1]});
        }
        CallReal("vertex_end", {b});
        return b;
    }

    // A red and a green triangle in a buffer that starts at the minimum size.
    static double ColouredTriangles()
    {
        double b = CallReal("vertex_create_buffer_ext", {10});
        CallReal("vertex_begin", {b, MakeFormat(false)});
        const float triangles[2][3][2] = {{{10, 10}, {50, 10}, {10, 50}}, {{100, 10}, {140, 10}, {100, 50}}};
        const int32_t colours[2] = {0x0000FF, 0x00FF00}; // red, green
        for (int32_t t = 0; t < 2; ++t) {
            for (const auto& p : triangles[t]) {
                CallReal("vertex_position", {b, p[0], p[1]});
                CallReal("vertex_colour", {b, colours[t], 1});
            }
        }
        CallReal("vertex_end", {b});
        return b;
    }

    uint32_t At(int32_t x, int32_t y) { return Argb(ScreenPixel(x, y)); }
};

TEST_F(VertexSubmit, ColouredTriangleListsDraw)
{
    CallReal("vertex_submit", {ColouredTriangles(), 4, -1});
    Graphics::Flush();
    EXPECT_EQ("", g_ErrorLast);
    EXPECT_EQ(RED, At(15, 15));
    EXPECT_EQ(CLEAR, At(45, 45)); // beyond the hypotenuse
    EXPECT_EQ(GREEN, At(105, 15));
}

TEST_F(VertexSubmit, StripsAreTexturedThroughAPageHandleATextureIndexOrNothing)
{
    // An 8 x 8 picture: red on the left, green on the right.
    gamebuild::PictureDesc picture{"halves", 8, 8, std::vector<uint32_t>(64, GREEN)};
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 4; ++x) picture.pixels[size_t(y * 8 + x)] = RED;
    gamebuild::GameDesc game;
    game.textures.pageSize = 64;
    game.textures.pictures = {picture};
    std::vector<uint8_t> bytes;
    std::string errors;
    ASSERT_TRUE(gamebuild::BuildGame(game, bytes, errors)) << errors;
    ASSERT_TRUE(g_GameFile.CopyFrom(bytes.data(), bytes.size()));
    LoadGameCode(g_GameFile);
    ASSERT_TRUE(LoadGameChunks(g_GameFile));
    TPageEntry* entry = TexturePage_Get(0);
    ASSERT_NE(nullptr, entry);
    float u0 = entry->x / 64.0f, v0 = entry->y / 64.0f, u1 = (entry->x + 8) / 64.0f, v1 = (entry->y + 8) / 64.0f;

    double format = MakeFormat(true);
    struct Case {
        int32_t texture;
        uint32_t left, right;
    };
    const Case cases[] = {
        {TPage_Handle(entry), RED, GREEN},
        {entry->texture, RED, GREEN},
        {-1, WHITE, WHITE},
        {TPAGE_HANDLE_BASE + 7, WHITE, WHITE}, // names no entry: untextured, never an address
    };
    float x = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texture);
        double b = TexturedStrip(format, x, 100, u0, v0, u1, v1);
        CallReal("vertex_submit", {b, 5, c.texture});
        Graphics::Flush();
        EXPECT_EQ(c.left, At(int32_t(x) + 4, 110));
        EXPECT_EQ(c.right, At(int32_t(x) + 28, 110));
        x += 50;
    }
    EXPECT_EQ("", g_ErrorLast);
}

// Enable once the batch merges requests of one custom format as it merges the fixed layouts.
// The batch continues only when the vertex size equals its stride, which a format handle never
// does: each submit of a custom format is a draw call of its own.
TEST_F(VertexSubmit, EachSubmitOfACustomFormatIsADrawCallOfItsOwn)
{
    double b = ColouredTriangles();
    g_BatchStatistics.drawCalls = 0;
    CallReal("vertex_submit", {b, 4, -1});
    CallReal("vertex_submit", {b, 4, -1});
    Graphics::Flush();
    EXPECT_EQ(2, g_BatchStatistics.drawCalls);
}

} // namespace
