// Texture pages built by the game builder, loaded through the game file's chunks onto an OpenGL
// device, and a scene of page-entry draws, shapes and primitives read back pixel by pixel.
#include <cmath>

#include "../gldevice/GLDeviceFixture.h"
#include "gamebuild/GameBuild_Game.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Textures.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TextureDraw.h"

using namespace gltest;

namespace {

constexpr uint32_t RED = 0xFFFF0000u; // ARGB
constexpr uint32_t GREEN = 0xFF00FF00u;
constexpr uint32_t BLUE = 0xFF0000FFu;
constexpr uint32_t WHITE = 0xFFFFFFFFu;
constexpr uint32_t YELLOW = 0xFFFFFF00u;
constexpr uint32_t BLACK = 0xFF000000u;
constexpr uint32_t CLEAR = 0x00000000u; // the clear leaves alpha 0

// 16 x 16 with a clear border of 2 around four 6 x 6 quarters: red, green / blue, white.
gamebuild::PictureDesc Quarters()
{
    gamebuild::PictureDesc p{"quarters", 16, 16, std::vector<uint32_t>(256, 0)};
    for (int32_t y = 2; y < 14; ++y)
        for (int32_t x = 2; x < 14; ++x)
            p.pixels[size_t(y * 16 + x)] = y < 8 ? (x < 8 ? RED : GREEN) : (x < 8 ? BLUE : WHITE);
    return p;
}

// 4 x 2: a red column, then yellow.
gamebuild::PictureDesc Bar()
{
    gamebuild::PictureDesc p{"bar", 4, 2, std::vector<uint32_t>(8, YELLOW)};
    p.pixels[0] = RED;
    p.pixels[4] = RED;
    return p;
}

class Scene : public DeviceTest {
  protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        gamebuild::GameDesc game;
        game.textures.pageSize = 64;
        game.textures.pictures = {Quarters(), Bar()};
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
        ASSERT_EQ(3, TexturePage_Count());
        GR_Texture_SetInterpolation(false);
        ASSERT_TRUE(GR_StartFrame());
        GR_Draw_Clear(0);
        GR_Draw_SetAlpha(1.0);
    }
    void TearDown() override
    {
        if (g_D3D.sceneDepth != 0) GR_EndFrame(false);
        Texture_FreeAll();
        TexturePage_Clear();
        GameHeader_Clear(); // its texts lie in the file
        g_GameFile.Release();
        DeviceTest::TearDown();
    }
    uint32_t At(int32_t x, int32_t y) { return Argb(ScreenPixel(x, y)); }

    std::string m_Log;
};

TEST_F(Scene, PagesLoadIntoTexturesAndRecordsNameThem)
{
    TPageEntry* quarters = TexturePage_Get(0);
    ASSERT_NE(nullptr, quarters);
    EXPECT_TRUE(Texture_Exists(quarters->texture));
    EXPECT_EQ(TextureChunk_Id(0), quarters->texture);
    EXPECT_EQ(2, quarters->xOffset);
    EXPECT_EQ(12, quarters->cropWidth);
    EXPECT_EQ(16, quarters->frameWidth);
    EXPECT_EQ(64, Texture_Get(quarters->texture)->width);

    // Handles go to scripts and come back as the same record.
    EXPECT_EQ(TPAGE_HANDLE_BASE, TPage_Handle(quarters));
    EXPECT_EQ(quarters, TPage_FromHandle(TPage_Handle(quarters)));
    EXPECT_EQ(TPAGE_HANDLE_BASE + 2, TPage_Handle(TexturePage_Get(2)));
    EXPECT_EQ(nullptr, TPage_FromHandle(TPAGE_HANDLE_BASE + 3));
    EXPECT_EQ(-1, TPage_Handle(quarters + 3));
}

TEST_F(Scene, RecordWithAnUnknownTextureIsLoggedAndDrawsNothing)
{
    EXPECT_NE(std::string::npos, m_Log.find("what!!!!\n"));
    TPageEntry* bad = TexturePage_Get(2);
    ASSERT_NE(nullptr, bad);
    // Even once a texture with the number from the file exists, the record shows none.
    while (Texture_Count() <= 5)
        ASSERT_GE(Texture_CreateEmpty(8, 8, false), 0);
    EXPECT_FALSE(GR_TPage_Draw(bad, 320, 10));
    EXPECT_FALSE(GR_TPage_DrawExt(bad, 0, 0, 320, 10, 2, 2, 0, 0xFFFFFF, 1));
    Graphics::Flush();
    EXPECT_EQ(CLEAR, At(320, 10));
    EXPECT_EQ(CLEAR, At(322, 12));
}

TEST_F(Scene, EntriesDrawnPlainRotatedTiledAndInPart)
{
    TPageEntry* quarters = TexturePage_Get(0);
    TPageEntry* bar = TexturePage_Get(1);

    ASSERT_TRUE(GR_TPage_Draw(quarters, 10, 10));
    // A quarter turn about the frame's centre: the red quarter goes from top-left to bottom-left.
    ASSERT_TRUE(GR_TPage_DrawExt(quarters, 8, 8, 60, 30, 1, 1, std::acos(0.0), 0xFFFFFF, 1));
    ASSERT_TRUE(GR_TPage_DrawTiled(bar, 0, 0, 100, 50, 1, 1, true, false, 100, 50, 20, 2, 0xFFFFFF, 1));
    ASSERT_TRUE(GR_TPage_DrawPart(quarters, 8, 2, 8, 6, 150, 10, 1, 1, 0, 0xFFFFFF, 1));
    ASSERT_TRUE(GR_TPage_DrawPart(quarters, 8, 2, 20, 6, 150, 30, 1, 1, 0, 0xFFFFFF, 1));
    ASSERT_TRUE(GR_TPage_DrawExt(quarters, 0, 0, 170, 10, 2, 2, 0, 0x0000FF, 1)); // tinted red

    struct Probe {
        int32_t x, y;
        uint32_t argb;
    };
    const Probe probes[] = {
        // plain: the crop at its offset, nothing of the clear border
        {12, 12, RED},
        {17, 17, RED},
        {18, 12, GREEN},
        {23, 12, GREEN},
        {12, 23, BLUE},
        {23, 23, WHITE},
        {11, 12, CLEAR},
        {24, 12, CLEAR},
        {12, 24, CLEAR},
        // rotated
        {56, 32, RED},
        {56, 26, GREEN},
        {63, 32, BLUE},
        {63, 26, WHITE},
        {53, 32, CLEAR},
        {66, 26, CLEAR},
        // tiled across, one frame further back than the clip's start
        {92, 50, RED},
        {93, 51, YELLOW},
        {100, 50, RED},
        {101, 50, YELLOW},
        {104, 51, RED},
        {119, 51, YELLOW},
        {91, 50, CLEAR},
        {120, 50, CLEAR},
        {100, 52, CLEAR},
        // the green quarter alone, also when asked for more than the frame holds
        {150, 10, GREEN},
        {155, 15, GREEN},
        {156, 10, CLEAR},
        {150, 16, CLEAR},
        {150, 30, GREEN},
        {155, 35, GREEN},
        {156, 30, CLEAR},
        {160, 30, CLEAR},
        // scaled twice and tinted: white turns red, green turns black
        {174, 14, RED},
        {197, 37, RED},
        {186, 14, BLACK},
        {173, 14, CLEAR},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(p.argb, At(p.x, p.y)) << "at " << p.x << ", " << p.y;
}

TEST_F(Scene, ShapesAndPrimitivesCoverTheirPixels)
{
    GR_Draw_Set_Colour(0x0000FF);
    GR_Draw_Rectangle(200, 10, 210, 20, 0);
    GR_Draw_Set_Colour(0x00FF00);
    GR_Draw_Circle(230, 15, 5, 0);
    GR_Draw_Set_Colour(0xFF0000);
    GR_Draw_PrimitiveBegin(D3DPT_TRIANGLEFAN, -1);
    GR_Draw_Vertex(250, 10);
    GR_Draw_Vertex(260, 10);
    GR_Draw_Vertex(260, 20);
    GR_Draw_Vertex(250, 20);
    GR_Draw_PrimitiveEnd();
    // A primitive textured by a page entry's handle: u and v run over the frame's picture.
    GR_Draw_Set_Colour(0xFFFFFF);
    GR_Draw_PrimitiveBegin(D3DPT_TRIANGLELIST, TPage_Handle(TexturePage_Get(0)));
    const float corners[6][4] = {{270, 10, 0, 0}, {282, 10, 1, 0}, {282, 22, 1, 1},
                                 {282, 22, 1, 1}, {270, 22, 0, 1}, {270, 10, 0, 0}};
    for (const auto& c : corners)
        GR_Draw_VertexTexture(c[0], c[1], c[2], c[3]);
    GR_Draw_PrimitiveEnd();
    GR_Draw_SetAlpha(0.5);
    GR_Draw_Rectangle(300, 10, 304, 14, 0);
    GR_Draw_SetAlpha(1.0);

    struct Probe {
        int32_t x, y;
        uint32_t argb;
    };
    const Probe probes[] = {
        {200, 10, RED},   {209, 19, RED},   {210, 10, CLEAR}, {199, 10, CLEAR},
        {200, 20, CLEAR}, {230, 15, GREEN}, {227, 13, GREEN}, {230, 22, CLEAR},
        {250, 10, BLUE},  {259, 19, BLUE},  {260, 15, CLEAR}, {270, 10, RED},
        {281, 10, GREEN}, {270, 21, BLUE},  {281, 21, WHITE}, {282, 15, CLEAR},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(p.argb, At(p.x, p.y)) << "at " << p.x << ", " << p.y;
    Pixel half = ScreenPixel(301, 11);
    EXPECT_NEAR(127, half.r, 1);
    EXPECT_NEAR(127, half.b, 1);
}

} // namespace
