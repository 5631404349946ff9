// Surfaces on a device: the drawing target and its saved viewport, drawing into a surface and
// drawing it back, a view drawn into a surface, read-backs, and the device reset that frees them all
// (the table's slots and targets without a device are the surface built-ins' tests).
#include <cstring>

#include "../TestSupport_Builtins.h"
#include "GLRoomFixture.h"
#include "graphics/Graphics_Draw.h"
#include "platform/Platform_Bitmap.h"

using namespace glroom;
using std::make_tuple;

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
    // The blue, green, red and alpha bytes of a surface's pixel, read through a bitmap.
    static std::vector<uint8_t> SurfacePixel(int32_t surface, int32_t x, int32_t y)
    {
        IBitmap* bitmap = Surface_CreateBitmap(surface, 0, 0, x + 1, y + 1);
        if (bitmap == nullptr) return {};
        uint8_t* row = nullptr;
        int32_t stride = 0;
        bitmap->GetScanline(y, &row, &stride);
        std::vector<uint8_t> out;
        if (row != nullptr) out.assign(row + 4 * x, row + 4 * x + 4);
        bitmap->Unlock();
        delete bitmap;
        return out;
    }
};

TEST_F(Surfaces, TargetsSaveTheScreenViewportOnceAndGiveItBack)
{
    int32_t s = Surface_Create(64, 32);
    ASSERT_TRUE(Surface_SetTarget(s));
    EXPECT_EQ((std::vector<int32_t>{0, 0, 64, 32}), Viewport());
    EXPECT_TRUE(Surface_SetTarget(s));
    ASSERT_TRUE(Surface_ResetTarget());
    EXPECT_EQ((std::vector<int32_t>{0, 0, 640, 480}), Viewport());
    EXPECT_EQ(640, g_RenderSettings.view[2]);
    // Returning to the screen with no surface set leaves the frame's target in place.
    EXPECT_FALSE(Surface_ResetTarget());
    EXPECT_EQ(1, GR_Surface_TargetDepth());
    // The texture flush leaves the screen the target with its viewport.
    ASSERT_TRUE(Surface_SetTarget(s));
    GR_Draw_TextureFlush();
    EXPECT_EQ(make_tuple(-1, 1), make_tuple(Surface_CurrentTarget(), GR_Surface_TargetDepth()));
    EXPECT_EQ((std::vector<int32_t>{0, 0, 640, 480}), Viewport());
}

TEST_F(Surfaces, SurfacesAreDrawnIntoAndBackOntoTheScreen)
{
    GR_Texture_SetInterpolation(false);
    int32_t a = Surface_Create(16, 16), b = Surface_Create(16, 16), s = Surface_Create(20, 10);
    EXPECT_EQ(3, Surface_Count());
    ASSERT_TRUE(Surface_SetTarget(b));
    GR_Draw_ClearAlpha(0x00FF00, 1.0);
    ASSERT_TRUE(Surface_SetTarget(s));
    GR_Draw_ClearAlpha(0x00FF00, 1.0); // green, then a red corner
    FillRect(0, 0, 5, 5, RED);
    ASSERT_TRUE(Surface_ResetTarget());
    EXPECT_EQ(1, GR_Surface_TargetDepth());
    EXPECT_EQ((std::vector<int32_t>{0, 0, 640, 480}), Viewport());
    GR_Draw_ClearAlpha(0xFF0000, 1.0); // the screen blue; what is drawn now reaches it, not a surface
    FillRect(500, 100, 510, 110, RED);
    GR_Surface_Draw(s, 100, 100);
    GR_Surface_DrawStretched(s, 200, 100, 40, 20, 0xFFFFFF, 1.0);
    GR_Surface_DrawStretched(s, 300, 100, 0, 20, 0xFFFFFF, 1.0); // no width: nothing
    GR_Surface_DrawPart(s, 5, 0, 10, 5, 400, 100, 1, 1, 0xFFFFFF, 1.0);
    GR_Surface_Draw(s + 1, 0, 0); // no such surface: nothing
    Graphics::Flush();
    // Twice the size when stretched.
    ExpectProbes({{505, 105, RED}, {102, 102, RED}, {110, 102, GREEN}, {119, 109, GREEN}, {120, 110, BLUE},
                  {208, 108, RED}, {212, 108, GREEN}, {301, 101, BLUE}, {400, 100, GREEN}, {411, 100, BLUE},
                  {1, 1, BLUE}});
    EXPECT_EQ((std::vector<uint8_t>{0, 255, 0, 255}), SurfacePixel(b, 3, 3));
    EXPECT_EQ(nullptr, Surface_CreateBitmap(s + 7, 0, 0, 4, 4));
    EXPECT_EQ(nullptr, Surface_CreateBitmap(a, 0, 0, 0, 4));

    // A device reset frees every surface; the slots are there to be reused.
    int32_t texture = Surface_GetTexture(b);
    GR_EndFrame(false);
    ASSERT_TRUE(GR_Reset());
    EXPECT_FALSE(Surface_Exists(a) || Surface_Exists(b) || Texture_Exists(texture));
    EXPECT_EQ(a, Surface_Create(8, 8));
}

TEST_F(Surfaces, AViewWithASurfaceIsDrawnIntoIt)
{
    gamebuild::GameDesc game;
    game.objects = {Drawer("obj", 0, "test_rect(0, 0, 10, 10, 4294901760);")};
    game.rooms = {Room({roomtest::Placed(0)}, 0xFF0000, 640, {gamebuild::RoomViewDesc{.visible = 1}})}; // blue
    game.header.roomOrder = {0};
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    int32_t s = Surface_Create(640, 480);
    Run_CurrentRoom()->m_Views[0].surface = s;
    GR_Window_SetColour(0x00FF00);
    DrawFrame();
    EXPECT_EQ(make_tuple(GREEN, -1), make_tuple(At(5, 5), Surface_CurrentTarget())); // the window colour only
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 255, 255}), SurfacePixel(s, 5, 5));   // red
    EXPECT_EQ((std::vector<uint8_t>{255, 0, 0, 255}), SurfacePixel(s, 15, 5));  // blue
}

// A rectangle reaching past a surface, or starting left of or above it, gives a bitmap of the size
// asked for: what lies on the surface in its place, the rest transparent black. The sprite and
// background built-ins grab through the same copy.
TEST_F(Surfaces, ABitmapOfARectangleOffTheSurfaceKeepsItsSizeAndIsClearOutside)
{
    GR_Texture_SetInterpolation(false);
    int32_t s = Surface_Create(16, 16);
    ASSERT_TRUE(Surface_SetTarget(s));
    GR_Draw_ClearAlpha(0x00FF00, 1.0); // green with a red corner of 5 x 5
    FillRect(0, 0, 5, 5, RED);
    ASSERT_TRUE(Surface_ResetTarget());
    using Probe = std::tuple<int32_t, int32_t, uint32_t>;
    const struct {
        int32_t x, y, width, height;
        std::vector<Probe> probes;
    } cases[] = {
        {0, 0, 200, 200, {{2, 2, RED}, {15, 15, GREEN}, {16, 0, 0}, {0, 16, 0}, {199, 199, 0}}},
        {-4, -4, 8, 8, {{0, 0, 0}, {3, 7, 0}, {4, 4, RED}, {7, 7, RED}}},
        {12, -2, 8, 8, {{0, 1, 0}, {0, 2, GREEN}, {3, 7, GREEN}, {4, 2, 0}}},
        {20, 20, 4, 4, {{0, 0, 0}, {3, 3, 0}}},
        {-100, 0, 50, 50, {{49, 0, 0}}},
    };
    for (const auto& c : cases) {
        std::string where = std::to_string(c.x) + "," + std::to_string(c.y);
        IBitmap* bitmap = Surface_CreateBitmap(s, c.x, c.y, c.width, c.height);
        ASSERT_NE(nullptr, bitmap) << where;
        EXPECT_EQ(make_tuple(c.width, c.height), make_tuple(bitmap->GetWidth(), bitmap->GetHeight())) << where;
        for (const auto& [px, py, argb] : c.probes) {
            uint8_t* row = nullptr;
            int32_t stride = 0;
            bitmap->GetScanline(py, &row, &stride);
            uint32_t pixel = 1;
            if (row != nullptr) std::memcpy(&pixel, row + 4 * px, 4);
            EXPECT_EQ(argb, pixel) << where << " at " << px << "," << py;
        }
        bitmap->Unlock();
        delete bitmap;
    }

    // The room tests' own functions fill the table first, so the families are added here.
    int32_t id = -1;
    if (!Code_Function_Find("sprite_create_from_surface", &id)) RegisterAllFunctionFamilies();
    double sprite = testsupport::CallReal("sprite_create_from_surface", {s, 0, 0, 200, 200, 0, 0, 0, 0});
    testsupport::CallReal("sprite_add_from_surface", {sprite, s, -30, -30, 200, 200, 0, 0});
    double background = testsupport::CallReal("background_create_from_surface", {s, 10, 10, 200, 200, 0, 0});
    EXPECT_EQ((std::vector<double>{200, 2, 200}),
              (std::vector<double>{testsupport::CallReal("sprite_get_width", {sprite}),
                                   testsupport::CallReal("sprite_get_number", {sprite}),
                                   testsupport::CallReal("background_get_width", {background})}));
}

} // namespace
