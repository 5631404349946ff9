// Surfaces on a device: the table's slots, the drawing target and its saved viewport, drawing into
// a surface and drawing it back, a view drawn into a surface, read-backs, and the device reset that
// frees them all.
#include "GLRoomFixture.h"
#include "graphics/Graphics_Draw.h"
#include "platform/Platform_Bitmap.h"

using namespace glroom;

namespace {

class Surfaces : public RoomScene {
  protected:
    void SetUp() override
    {
        RoomScene::SetUp();
        ASSERT_TRUE(GR_StartFrame());
        GR_SetViewport(0, 0, 640, 480);
        GR_SetViewProjection(0, 0, 640, 480, 0);
    }
    static std::vector<int32_t> Viewport()
    {
        const int32_t* v = g_RenderSettings.viewport;
        return {v[0], v[1], v[2], v[3]};
    }
};

TEST_F(Surfaces, FreedSlotsAreReusedAndReadAsMissing)
{
    EXPECT_EQ(0, Surface_Create(32, 16));
    EXPECT_EQ(1, Surface_Create(8, 8));
    EXPECT_EQ(2, Surface_Create(8, 8));
    EXPECT_EQ(32, Surface_GetWidth(0));
    EXPECT_EQ(16, Surface_GetHeight(0));
    int32_t texture = Surface_GetTexture(1);
    EXPECT_TRUE(Texture_Exists(texture));
    Surface_Free(1);
    EXPECT_FALSE(Surface_Exists(1));
    EXPECT_FALSE(Texture_Exists(texture));
    EXPECT_EQ(-1, Surface_GetWidth(1));
    EXPECT_EQ(-1, Surface_GetHeight(1));
    EXPECT_EQ(-1, Surface_GetTexture(1));
    EXPECT_EQ(-1, Surface_GetWidth(3));
    EXPECT_EQ(-1, Surface_GetWidth(-1));
    EXPECT_EQ(1, Surface_Create(4, 4));
    EXPECT_EQ(3, Surface_Count());
    EXPECT_EQ(3, Surface_Create(4, 4));
    Surface_Free(1);
    Surface_Free(1); // already free: nothing
    EXPECT_TRUE(Surface_Exists(3));
}

TEST_F(Surfaces, SettingTheSameSurfaceTwiceSavesTheScreenViewportOnce)
{
    int32_t s = Surface_Create(64, 32);
    ASSERT_TRUE(Surface_SetTarget(s));
    EXPECT_EQ((std::vector<int32_t>{0, 0, 64, 32}), Viewport());
    EXPECT_TRUE(Surface_SetTarget(s));
    EXPECT_EQ(2, GR_Surface_TargetDepth()); // the frame's screen texture, then the surface
    ASSERT_TRUE(Surface_ResetTarget());
    EXPECT_EQ((std::vector<int32_t>{0, 0, 640, 480}), Viewport());
    EXPECT_EQ(640, g_RenderSettings.view[2]);
    EXPECT_EQ(-1, Surface_CurrentTarget());
    EXPECT_EQ(1, GR_Surface_TargetDepth());

    // Returning to the screen with no surface set leaves the frame's target in place.
    EXPECT_FALSE(Surface_ResetTarget());
    EXPECT_EQ(1, GR_Surface_TargetDepth());
    EXPECT_FALSE(Surface_SetTarget(s + 1));
    EXPECT_FALSE(Surface_SetTarget(-1));
}

TEST_F(Surfaces, SettingAnotherSurfaceReturnsToTheScreenFirst)
{
    int32_t a = Surface_Create(16, 16);
    int32_t b = Surface_Create(16, 16);
    ASSERT_TRUE(Surface_SetTarget(a));
    ASSERT_TRUE(Surface_SetTarget(b));
    EXPECT_EQ(b, Surface_CurrentTarget());
    EXPECT_EQ(2, GR_Surface_TargetDepth()); // surfaces do not nest
    GR_Draw_ClearAlpha(0x00FF00, 1.0);
    ASSERT_TRUE(Surface_ResetTarget());
    EXPECT_EQ(1, GR_Surface_TargetDepth());
    EXPECT_EQ((std::vector<int32_t>{0, 0, 640, 480}), Viewport());

    // What is drawn now reaches the screen, not the surface.
    FillRect(100, 100, 110, 110, RED);
    Graphics::Flush();
    EXPECT_EQ(RED, At(105, 105));
    IBitmap* bitmap = Surface_CreateBitmap(b, 0, 0, 4, 4);
    ASSERT_NE(nullptr, bitmap);
    uint8_t* row = nullptr;
    int32_t stride = 0;
    bitmap->GetScanline(3, &row, &stride);
    ASSERT_NE(nullptr, row);
    EXPECT_EQ((std::vector<uint8_t>{0, 255, 0, 255}), std::vector<uint8_t>(row + 12, row + 16));
    bitmap->Unlock();
    delete bitmap;
    EXPECT_EQ(nullptr, Surface_CreateBitmap(a + 7, 0, 0, 4, 4));
    EXPECT_EQ(nullptr, Surface_CreateBitmap(a, 0, 0, 0, 4));
}

TEST_F(Surfaces, ASurfaceDrawnIntoIsDrawnBackOntoTheScreen)
{
    GR_Texture_SetInterpolation(false);
    int32_t s = Surface_Create(20, 10);
    ASSERT_TRUE(Surface_SetTarget(s));
    GR_Draw_ClearAlpha(0x00FF00, 1.0); // green, then a red corner
    FillRect(0, 0, 5, 5, RED);
    ASSERT_TRUE(Surface_ResetTarget());
    GR_Draw_ClearAlpha(0xFF0000, 1.0); // the screen blue

    GR_Surface_Draw(s, 100, 100);
    GR_Surface_DrawStretched(s, 200, 100, 40, 20, 0xFFFFFF, 1.0);
    GR_Surface_DrawStretched(s, 300, 100, 0, 20, 0xFFFFFF, 1.0); // no width: nothing
    GR_Surface_DrawPart(s, 5, 0, 10, 5, 400, 100, 1, 1, 0xFFFFFF, 1.0);
    GR_Surface_Draw(s + 1, 0, 0); // no such surface: nothing
    Graphics::Flush();

    EXPECT_EQ(RED, At(102, 102));
    EXPECT_EQ(GREEN, At(110, 102));
    EXPECT_EQ(GREEN, At(119, 109));
    EXPECT_EQ(BLUE, At(120, 110));
    EXPECT_EQ(RED, At(208, 108)); // twice the size
    EXPECT_EQ(GREEN, At(212, 108));
    EXPECT_EQ(BLUE, At(301, 101));
    EXPECT_EQ(GREEN, At(400, 100));
    EXPECT_EQ(BLUE, At(411, 100));
    EXPECT_EQ(BLUE, At(1, 1));
}

TEST_F(Surfaces, AViewWithASurfaceIsDrawnIntoIt)
{
    gamebuild::GameDesc game;
    game.objects = {Drawer("obj", 0, "test_rect(0, 0, 10, 10, 4294901760);")};
    gamebuild::RoomDesc room = roomtest::Room("room", {roomtest::Placed(0)});
    room.colour = 0xFF0000; // blue
    room.enableViews = true;
    gamebuild::RoomViewDesc view;
    view.visible = 1;
    room.views = {view};
    game.rooms = {room};
    game.header.roomOrder = {0};
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    int32_t s = Surface_Create(640, 480);
    Run_CurrentRoom()->m_Views[0].surface = s;
    GR_Window_SetColour(0x00FF00);
    DrawFrame();

    EXPECT_EQ(GREEN, At(5, 5)); // the screen shows only the window colour
    EXPECT_EQ(-1, Surface_CurrentTarget());
    IBitmap* bitmap = Surface_CreateBitmap(s, 0, 0, 20, 20);
    ASSERT_NE(nullptr, bitmap);
    uint8_t* row = nullptr;
    int32_t stride = 0;
    bitmap->GetScanline(5, &row, &stride);
    ASSERT_NE(nullptr, row);
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 255, 255}), std::vector<uint8_t>(row + 20, row + 24)); // red
    EXPECT_EQ((std::vector<uint8_t>{255, 0, 0, 255}), std::vector<uint8_t>(row + 60, row + 64)); // blue
    bitmap->Unlock();
    delete bitmap;
}

TEST_F(Surfaces, ADeviceResetFreesEverySurface)
{
    int32_t a = Surface_Create(16, 16);
    int32_t b = Surface_Create(16, 16);
    int32_t texture = Surface_GetTexture(b);
    GR_EndFrame(false);
    ASSERT_TRUE(GR_Reset());
    EXPECT_FALSE(Surface_Exists(a));
    EXPECT_FALSE(Surface_Exists(b));
    EXPECT_FALSE(Texture_Exists(texture));
    EXPECT_EQ(a, Surface_Create(8, 8)); // the slots are there to be reused
}

TEST_F(Surfaces, TheTextureFlushFreesEverySurfaceAndLeavesTheScreenTheTarget)
{
    int32_t s = Surface_Create(16, 16);
    int32_t texture = Surface_GetTexture(s);
    ASSERT_TRUE(Surface_SetTarget(s));
    GR_Draw_TextureFlush();
    EXPECT_FALSE(Surface_Exists(s));
    EXPECT_FALSE(Texture_Exists(texture));
    EXPECT_EQ(-1, Surface_CurrentTarget());
    EXPECT_EQ(1, GR_Surface_TargetDepth()); // only the frame's screen texture
    EXPECT_EQ((std::vector<int32_t>{0, 0, 640, 480}), Viewport());
}

} // namespace
