// The window layer without a window: caption, colour, requests, cursor constants, the view slots and
// the conversions between window and room points.
#include <gtest/gtest.h>

#include <cstring>

#include "graphics/Graphics_Window.h"
#include "run/Run_Window.h"

namespace {

class Window : public testing::Test {
  protected:
    void SetUp() override
    {
        GR_Window_SetWindowSize(640, 480);
        GR_Window_Init();
    }
    void TearDown() override { GR_Window_Init(); }

    static WindowMetrics Metrics(int32_t clientWidth, int32_t clientHeight, int32_t bx = 0, int32_t by = 0)
    {
        WindowMetrics m;
        m.windowWidth = 640;
        m.windowHeight = 480;
        m.clientWidth = clientWidth;
        m.clientHeight = clientHeight;
        m.borderX = bx;
        m.borderY = by;
        return m;
    }

    static void Convert(const WindowMetrics& m, int32_t x, int32_t y, int32_t expectedX, int32_t expectedY)
    {
        int32_t rx = -12345;
        int32_t ry = -12345;
        GR_Window_WindowToRoomWith(m, x, y, &rx, &ry);
        EXPECT_EQ(expectedX, rx) << "from " << x << "," << y;
        EXPECT_EQ(expectedY, ry) << "from " << x << "," << y;
    }
};

TEST_F(Window, CaptionColourAndRequestsAreKept)
{
    GR_Window_SetCaption("Level one");
    EXPECT_STREQ("Level one", GR_Window_GetCaption());
    GR_Window_SetCaption(nullptr);
    EXPECT_STREQ("", GR_Window_GetCaption());

    GR_Window_SetColour(0xAB123456u);
    EXPECT_EQ(0x123456u, GR_Window_GetColour());

    EXPECT_FALSE(g_WindowRequests.update);
    GR_Window_SetFullscreen(true);
    EXPECT_TRUE(GR_Window_GetFullscreen());
    EXPECT_TRUE(g_WindowRequests.update);
    EXPECT_FALSE(g_WindowRequests.size);
    GR_Window_SetSize(800, 600);
    EXPECT_TRUE(g_WindowRequests.size);
    EXPECT_EQ(800, g_WindowRequests.width);
    EXPECT_EQ(600, g_WindowRequests.height);
}

TEST_F(Window, CursorConstantsPickTheirShapeAndOthersOnlyStoreTheConstant)
{
    const struct {
        int32_t constant;
        int32_t index;
    } cases[] = {{0, 0},    {-2, 0},   {-1, -1},  {-5, -1},  {-3, 2},   {-4, 3},   {-9, 7},   {-10, 8},
                 {-12, 10}, {-21, 10}, {-13, 11}, {-15, 11}, {-18, 11}, {-19, 12}, {-20, 13}, {-22, 14}};
    for (const auto& c : cases) {
        GR_Window_SetCursor(c.constant);
        EXPECT_EQ(c.index, g_WindowCursorIndex) << c.constant;
        EXPECT_EQ(c.constant, GR_Window_GetCursor());
    }
    GR_Window_SetCursor(-3);
    for (int32_t other : {5, 1, -23}) {
        GR_Window_SetCursor(other);
        EXPECT_EQ(other, GR_Window_GetCursor());
        EXPECT_EQ(2, g_WindowCursorIndex) << other;
    }
}

TEST_F(Window, SlotsAreCountedOnceAndOutOfRangeSlotsIgnored)
{
    GR_Window_SetViewMapping(3, 0, 0, 10, 10, 0, 0, 10, 10, 0);
    GR_Window_SetViewMapping(3, 0, 0, 20, 20, 0, 0, 20, 20, 0);
    GR_Window_SetViewMapping(31, 0, 0, 10, 10, 0, 0, 10, 10, 0);
    GR_Window_SetViewMapping(32, 0, 0, 10, 10, 0, 0, 10, 10, 0);
    GR_Window_SetViewMapping(-1, 0, 0, 10, 10, 0, 0, 10, 10, 0);
    EXPECT_EQ(2, GR_Window_ViewSlotsInUse());
    EXPECT_FLOAT_EQ(20, GR_Window_GetViewSlot(3)->portWidth);
    GR_Window_ClearViewMapping(3);
    GR_Window_ClearViewMapping(3);
    GR_Window_ClearViewMapping(40);
    EXPECT_EQ(1, GR_Window_ViewSlotsInUse());
    GR_Window_ResetViewMappings();
    EXPECT_EQ(0, GR_Window_ViewSlotsInUse());
    EXPECT_EQ(nullptr, GR_Window_GetViewSlot(32));
}

TEST_F(Window, WithoutViewsTheClientAreaScalesToTheGameSize)
{
    Convert(Metrics(1280, 960), 100, 50, 50, 25);
    Convert(Metrics(640, 480), 100, 50, 100, 50);
    Convert(Metrics(1280, 960), 3, 3, 1, 1); // cut, not rounded
    // Letterboxed: bars of 160 each side of a 960 x 480 client around the 640 x 480 picture.
    Convert(Metrics(960, 480, 160, 0), 160, 10, 0, 10);
    Convert(Metrics(960, 480, 160, 0), 480, 240, 320, 240);
    // A client area all borders leaves the point unscaled rather than dividing by zero.
    Convert(Metrics(100, 100, 50, 50), 70, 60, 20, 10);
}

TEST_F(Window, OverlappingViewsConvertThroughTheHigherSlot)
{
    // Slot 0 shows room 0..640 in the whole window; slot 1 room 1000..1160 x 2000..2120 in the
    // top-left quarter.
    GR_Window_SetViewMapping(0, 0, 0, 640, 480, 0, 0, 640, 480, 0);
    GR_Window_SetViewMapping(1, 0, 0, 320, 240, 1000, 2000, 160, 120, 0);
    WindowMetrics m = Metrics(640, 480);
    Convert(m, 100, 60, 1050, 2030);
    Convert(m, 400, 300, 400, 300); // outside slot 1's room rectangle: slot 0
    // A point in no slot's room stands as slot 0 converted it.
    GR_Window_ClearViewMapping(0);
    GR_Window_SetViewMapping(2, 0, 0, 640, 480, 5000, 5000, 640, 480, 0);
    GR_Window_ClearViewMapping(2);
    Convert(m, 400, 300, 1200, 2150);
    // A slot with a zero-sized port is passed over.
    GR_Window_SetViewMapping(5, 0, 0, 0, 240, 0, 0, 100, 100, 0);
    Convert(m, 100, 60, 1050, 2030);
}

TEST_F(Window, DisplayScaleAndTurnedViews)
{
    WindowMetrics m = Metrics(640, 480);
    m.scaleX = 2.0;
    m.scaleY = 2.0;
    GR_Window_SetViewMapping(0, 0, 0, 320, 240, 0, 0, 320, 240, 0);
    Convert(m, 100, 60, 50, 30);

    // A view turned by 90 degrees: the middle of the port's right edge shows the middle of the
    // room rectangle's bottom.
    GR_Window_ResetViewMappings();
    GR_Window_SetViewMapping(0, 0, 0, 200, 200, 100, 100, 200, 200, 90);
    m = Metrics(640, 480);
    int32_t rx = 0;
    int32_t ry = 0;
    ASSERT_TRUE(GR_Window_ThroughSlot(m, 0, 200, 100, &rx, &ry));
    EXPECT_EQ(200, rx);
    EXPECT_EQ(300, ry);
    // And back again.
    int32_t wx = 0;
    int32_t wy = 0;
    GR_Window_RoomToWindow(0, rx, ry, &wx, &wy);
    EXPECT_EQ(200, wx);
    EXPECT_EQ(100, wy);
}

TEST_F(Window, RoomToWindowMapsThroughAUsableSlotOnly)
{
    GR_Window_SetViewMapping(2, 100, 50, 320, 240, 1000, 2000, 160, 120, 0);
    int32_t x = 0;
    int32_t y = 0;
    GR_Window_RoomToWindow(2, 1080, 2060, &x, &y);
    EXPECT_EQ(260, x);
    EXPECT_EQ(170, y);
    GR_Window_RoomToWindow(3, 10.6, 20.2, &x, &y); // not in use
    EXPECT_EQ(11, x);
    EXPECT_EQ(20, y);
    GR_Window_RoomToWindow(99, 1.0, 2.0, &x, &y);
    EXPECT_EQ(1, x);
    GR_Window_SetViewMapping(4, 0, 0, 10, 10, 0, 0, 0, 10, 0); // zero-wide room
    GR_Window_RoomToWindow(4, 7.0, 8.0, &x, &y);
    EXPECT_EQ(7, x);
    EXPECT_EQ(8, y);
}

TEST_F(Window, MouseOfDevicesBeyondFiveIsZero)
{
    EXPECT_EQ(0, GR_Window_GetMouseX(6));
    EXPECT_EQ(0, GR_Window_GetMouseY(-1));
}

} // namespace
