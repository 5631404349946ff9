// Texture pages built by the game builder and loaded through the game file's chunks onto an OpenGL
// device, then page-entry draws, textured primitives, paths and script vertex buffers read back pixel
// by pixel (plain shapes are probed by the graphics-drawing game).
#include <cmath>

#include "../TestSupport_Builtins.h"
#include "../gldevice/GLDeviceFixture.h"
#include "buffer/Buffer_Vertex.h"
#include "code/Code_Error.h"
#include "gamebuild/GameBuild_Game.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Textures.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_TextureDraw.h"
#include "graphics/Graphics_TexturePage.h"
#include "path/Path_Class.h"
#include "run/Run_Globals.h"

using namespace gltest;
using std::make_tuple;
using testsupport::CallReal;

namespace {

constexpr uint32_t CLEAR = 0x00000000u; // the clear leaves alpha 0

// 16 x 16 with a clear border of 2 around four 6 x 6 quarters: red, green / blue, white.
gamebuild::PictureDesc Quarters()
{
    gamebuild::PictureDesc p{"quarters", 16, 16, std::vector<uint32_t>(256, 0)};
    for (int32_t y = 2; y < 14; ++y)
        for (int32_t x = 2; x < 14; ++x) p.pixels[size_t(y * 16 + x)] = y < 8 ? (x < 8 ? RED : GREEN) : (x < 8 ? BLUE : WHITE);
    return p;
}

// 4 x 2: a red column, then yellow.
gamebuild::PictureDesc Bar()
{
    gamebuild::PictureDesc p{"bar", 4, 2, std::vector<uint32_t>(8, YELLOW)};
    p.pixels[0] = p.pixels[4] = RED;
    return p;
}

// 8 x 8: red on the left, green on the right.
gamebuild::PictureDesc Halves()
{
    gamebuild::PictureDesc p{"halves", 8, 8, std::vector<uint32_t>(64, GREEN)};
    for (size_t i = 0; i < 64; ++i)
        if (i % 8 < 4) p.pixels[i] = RED;
    return p;
}

class Scene : public DeviceTest {
  protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        testsupport::RegisterBuiltins();
        VertexFormat_FreeAll();
        VertexBuilder_DeleteAll();
        g_GameOptions.showErrors = false;
        gamebuild::GameDesc game;
        game.textures.pageSize = 64;
        game.textures.pictures = {Quarters(), Bar(), Halves()};
        // A record naming a texture the chunk does not have.
        game.textures.extraEntries.push_back(gamebuild::PageEntryDesc{0, 0, 4, 4, 0, 0, 4, 4, 4, 4, 5});
        std::vector<uint8_t> bytes;
        std::string errors;
        ASSERT_TRUE(gamebuild::BuildGame(game, bytes, errors)) << errors;
        ASSERT_TRUE(g_GameFile.CopyFrom(bytes.data(), bytes.size()));
        LogCapture log;
        LoadGameCode(g_GameFile);
        ASSERT_TRUE(LoadGameChunks(g_GameFile)) << log.Text();
        m_Log = log.Text();
        ASSERT_EQ(4, TexturePage_Count());
        GR_Texture_SetInterpolation(false);
        ASSERT_TRUE(GR_StartFrame());
        GR_Draw_Clear(0);
        GR_Draw_SetAlpha(1.0);
    }
    void TearDown() override
    {
        VertexBuilder_DeleteAll();
        VertexFormat_FreeAll();
        if (g_D3D.sceneDepth != 0) GR_EndFrame(false);
        Texture_FreeAll();
        TexturePage_Clear();
        GameHeader_Clear(); // its texts lie in the file
        g_GameFile.Release();
        DeviceTest::TearDown();
    }
    std::string m_Log;
};

TEST_F(Scene, PagesLoadIntoTexturesAndRecordsNameThem)
{
    TPageEntry* quarters = TexturePage_Get(0);
    ASSERT_NE(nullptr, quarters);
    EXPECT_EQ(make_tuple(TextureChunk_Id(0), 2, 12, 16, 64),
              make_tuple(quarters->texture, quarters->xOffset, quarters->cropWidth, quarters->frameWidth,
                         Texture_Get(quarters->texture)->width));
    // Handles go to scripts and come back as the same record; past the table, or outside it, none.
    EXPECT_EQ(quarters, TPage_FromHandle(TPAGE_HANDLE_BASE));
    EXPECT_EQ(TPAGE_HANDLE_BASE + 3, TPage_Handle(TexturePage_Get(3)));
    EXPECT_EQ(nullptr, TPage_FromHandle(TPAGE_HANDLE_BASE + 4));
    EXPECT_EQ(make_tuple(-1, -1), make_tuple(TPage_Handle(quarters + 4), TPage_Handle(nullptr)));

    // A record with an unknown texture is logged and draws nothing, even once a texture with the
    // number from the file exists.
    EXPECT_NE(std::string::npos, m_Log.find("what!!!!\n"));
    TPageEntry* bad = TexturePage_Get(3);
    ASSERT_NE(nullptr, bad);
    while (Texture_Count() <= 5) ASSERT_GE(Texture_CreateEmpty(8, 8, false), 0);
    EXPECT_FALSE(GR_TPage_Draw(bad, 320, 10) || GR_TPage_DrawExt(bad, 0, 0, 320, 10, 2, 2, 0, 0xFFFFFF, 1));
    Graphics::Flush();
    EXPECT_EQ(CLEAR, At(322, 12));
}

TEST_F(Scene, EntriesPrimitivesAndPathsCoverTheirPixels)
{
    TPageEntry* quarters = TexturePage_Get(0);
    ASSERT_TRUE(GR_TPage_Draw(quarters, 10, 10));
    // A quarter turn about the frame's centre: the red quarter goes from top-left to bottom-left.
    ASSERT_TRUE(GR_TPage_DrawExt(quarters, 8, 8, 60, 30, 1, 1, std::acos(0.0), 0xFFFFFF, 1));
    ASSERT_TRUE(GR_TPage_DrawTiled(TexturePage_Get(1), 0, 0, 100, 50, 1, 1, true, false, 100, 50, 20, 2, 0xFFFFFF, 1));
    ASSERT_TRUE(GR_TPage_DrawPart(quarters, 8, 2, 8, 6, 150, 10, 1, 1, 0, 0xFFFFFF, 1));
    ASSERT_TRUE(GR_TPage_DrawPart(quarters, 8, 2, 20, 6, 150, 30, 1, 1, 0, 0xFFFFFF, 1));
    ASSERT_TRUE(GR_TPage_DrawExt(quarters, 0, 0, 170, 10, 2, 2, 0, 0x0000FF, 1)); // tinted red

    // A primitive textured by a page entry's handle: u and v run over the frame's picture.
    GR_Draw_Set_Colour(0xFFFFFF);
    GR_Draw_PrimitiveBegin(D3DPT_TRIANGLELIST, TPage_Handle(quarters));
    const float corners[6][4] = {{270, 10, 0, 0}, {282, 10, 1, 0}, {282, 22, 1, 1},
                                 {282, 22, 1, 1}, {270, 22, 0, 1}, {270, 10, 0, 0}};
    for (const auto& c : corners) GR_Draw_VertexTexture(c[0], c[1], c[2], c[3]);
    GR_Draw_PrimitiveEnd();
    // An L-shaped path drawn where it lies, and moved to start at (300, 100): a line along a pixel edge
    // fills the row above it and the column left of it.
    GR_Draw_Set_Colour(0x00FF00);
    CPath path;
    path.SetFromFile(0, false, 4, {{20, 220, 100}, {120, 220, 100}, {120, 280, 100}});
    path.Draw(0, 0, true);
    path.Draw(300, 100, false);
    Graphics::Flush();

    ExpectProbes({
        // plain: the crop at its offset, nothing of the clear border
        {12, 12, RED}, {17, 17, RED}, {18, 12, GREEN}, {23, 12, GREEN}, {12, 23, BLUE}, {23, 23, WHITE},
        {11, 12, CLEAR}, {24, 12, CLEAR}, {12, 24, CLEAR},
        // rotated
        {56, 32, RED}, {56, 26, GREEN}, {63, 32, BLUE}, {63, 26, WHITE}, {53, 32, CLEAR}, {66, 26, CLEAR},
        // tiled across, one frame further back than the clip's start
        {92, 50, RED}, {93, 51, YELLOW}, {100, 50, RED}, {101, 50, YELLOW}, {104, 51, RED}, {119, 51, YELLOW},
        {91, 50, CLEAR}, {120, 50, CLEAR}, {100, 52, CLEAR},
        // the green quarter alone, also when asked for more than the frame holds
        {150, 10, GREEN}, {155, 15, GREEN}, {156, 10, CLEAR}, {150, 16, CLEAR}, {150, 30, GREEN}, {155, 35, GREEN},
        {156, 30, CLEAR}, {160, 30, CLEAR},
        // scaled twice and tinted: white turns red, green turns black
        {174, 14, RED}, {197, 37, RED}, {186, 14, BLACK}, {173, 14, CLEAR},
        // the primitive textured through the handle
        {270, 10, RED}, {281, 10, GREEN}, {270, 21, BLUE}, {281, 21, WHITE}, {282, 15, CLEAR}});
    for (const Probe& p : std::vector<Probe>{{70, 219, 1}, {119, 250, 1}, {70, 250, 0}, {350, 99, 1}, {399, 130, 1},
                                             {350, 130, 0}})
        EXPECT_EQ(p.argb != 0 ? GREEN : 0u, At(p.x, p.y) & GREEN) << "path at " << p.x << ", " << p.y;
}

// A format made the way scripts make it: a 2D position, a colour and, when asked, a texture coordinate.
double MakeFormat(bool textured)
{
    CallReal("vertex_format_begin", {});
    CallReal("vertex_format_add_position", {});
    CallReal("vertex_format_add_colour", {});
    if (textured) CallReal("vertex_format_add_textcoord", {});
    return CallReal("vertex_format_end", {});
}

TEST_F(Scene, ScriptVertexBuffersDrawColouredOrTexturedThroughAHandleAnIndexOrNothing)
{
    // A red and a green triangle in a buffer that starts at the minimum size.
    double triangles = CallReal("vertex_create_buffer_ext", {10});
    CallReal("vertex_begin", {triangles, MakeFormat(false)});
    const float corners[2][3][2] = {{{10, 10}, {50, 10}, {10, 50}}, {{100, 10}, {140, 10}, {100, 50}}};
    for (int32_t t = 0; t < 2; ++t)
        for (const auto& p : corners[t]) {
            CallReal("vertex_position", {triangles, p[0], p[1]});
            CallReal("vertex_colour", {triangles, t == 0 ? 0x0000FF : 0x00FF00, 1});
        }
    CallReal("vertex_end", {triangles});
    // Each submit of a custom format is a draw call of its own: the batch continues only when the
    // vertex size equals its stride, which a format handle never does.
    g_BatchStatistics.drawCalls = 0;
    CallReal("vertex_submit", {triangles, 4, -1});
    CallReal("vertex_submit", {triangles, 4, -1});
    Graphics::Flush();
    EXPECT_EQ(2, g_BatchStatistics.drawCalls);
    ExpectProbes({{15, 15, RED}, {45, 45, CLEAR}, {105, 15, GREEN}}); // nothing beyond the hypotenuse

    // Squares of side 32 as strips over the halves picture; a value naming no entry is untextured,
    // never an address.
    TPageEntry* entry = TexturePage_Get(2);
    ASSERT_NE(nullptr, entry);
    float u0 = entry->x / 64.0f, v0 = entry->y / 64.0f, u1 = (entry->x + 8) / 64.0f, v1 = (entry->y + 8) / 64.0f;
    double format = MakeFormat(true);
    const std::tuple<int32_t, uint32_t, uint32_t> cases[] = {
        {TPage_Handle(entry), RED, GREEN}, {entry->texture, RED, GREEN}, {-1, WHITE, WHITE}, {TPAGE_HANDLE_BASE + 7, WHITE, WHITE}};
    float x = 10;
    for (const auto& [texture, left, right] : cases) {
        double b = CallReal("vertex_create_buffer", {});
        CallReal("vertex_begin", {b, format});
        const float square[4][4] = {{x, 100, u0, v0}, {x + 32, 100, u1, v0}, {x, 132, u0, v1}, {x + 32, 132, u1, v1}};
        for (const auto& c : square) {
            CallReal("vertex_texcoord", {b, c[2], c[3]});
            CallReal("vertex_colour", {b, 0xFFFFFF, 1});
            CallReal("vertex_position", {b, c[0], c[1]});
        }
        CallReal("vertex_end", {b});
        CallReal("vertex_submit", {b, 5, texture});
        Graphics::Flush();
        ExpectProbes({{int32_t(x) + 4, 110, left}, {int32_t(x) + 28, 110, right}}, std::to_string(texture));
        x += 50;
    }
    EXPECT_EQ("", g_ErrorLast);
}

// A buffer ended with a small format and begun again with a large one is refused until it ends,
// and once ended it submits in the new format: many vertices in either format never write past the
// batch's room (the sanitizer build reports that overrun).
TEST_F(Scene, ASubmitBetweenANewBeginAndItsEndIsRefused)
{
    CallReal("vertex_format_begin", {});
    CallReal("vertex_format_add_position", {});
    double small = CallReal("vertex_format_end", {}); // 8 bytes a vertex
    CallReal("vertex_format_begin", {});
    for (const char* element : {"vertex_format_add_position_3d", "vertex_format_add_colour",
                                "vertex_format_add_normal", "vertex_format_add_textcoord"})
        CallReal(element, {});
    double large = CallReal("vertex_format_end", {}); // 36 bytes a vertex
    constexpr int32_t VERTICES = 20000;
    double b = CallReal("vertex_create_buffer", {});
    CallReal("vertex_begin", {b, small});
    for (int32_t i = 0; i < VERTICES; ++i) CallReal("vertex_position", {b, 1, 1});
    CallReal("vertex_end", {b});
    CallReal("vertex_begin", {b, large});
    auto writeLarge = [b](float x, float y) {
        CallReal("vertex_position_3d", {b, x, y, 0});
        CallReal("vertex_colour", {b, 0x00FF00, 1});
        CallReal("vertex_normal", {b, 0, 0, 1});
        CallReal("vertex_texcoord", {b, 0, 0});
    };
    for (int32_t i = 0; i < VERTICES; ++i) writeLarge(0, 0);
    g_ErrorLast.clear();
    EXPECT_EQ(-1, CallReal("vertex_submit", {b, 4, -1}));
    Graphics::Flush();
    EXPECT_TRUE(g_ErrorQuitting);
    EXPECT_NE(std::string::npos, g_ErrorLast.find("vertex_submit: Must finish with vertex_end() before submitting."))
        << g_ErrorLast;
    g_ErrorQuitting = false; // the game would end here; the test goes on
    g_RunRequest = RUN_REQUEST_NONE;

    // Ended, the same buffer draws a green triangle laid out in the large format.
    g_ErrorLast.clear();
    CallReal("vertex_begin", {b, large});
    for (const auto& [x, y] : {std::pair{300.0f, 300.0f}, {340.0f, 300.0f}, {300.0f, 340.0f}}) writeLarge(x, y);
    CallReal("vertex_end", {b});
    CallReal("vertex_submit", {b, 4, -1});
    Graphics::Flush();
    EXPECT_EQ("", g_ErrorLast);
    ExpectProbes({{305, 305, GREEN}, {335, 335, CLEAR}});
}

} // namespace
