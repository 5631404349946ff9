// Rooms drawn on a device and probed at chosen pixels: the background colour, draw events in depth
// order, the GUI layer, views that follow and views side by side, the window colour around them, and
// window points converted back to room points through the views just drawn.
#include "GLRoomFixture.h"

using namespace glroom;
using roomtest::Placed;
using roomtest::Room;

namespace {

// Colours as game code writes them (ARGB in decimal).
const std::string CODE_RED = "4294901760";
const std::string CODE_GREEN = "4278255360";
const std::string CODE_BLUE = "4278190335";
const std::string CODE_YELLOW = "4294967040";

std::string SquareAround(const std::string& colour)
{
    return "test_rect(x - 5, y - 5, x + 5, y + 5, " + colour + ");";
}

TEST_F(RoomScene, BackgroundColourDrawEventsByDepthAndTheGuiOnTop)
{
    gamebuild::GameDesc game;
    game.objects = {Drawer("obj_front", 0, "test_rect(30, 30, 80, 80, " + CODE_BLUE + ");",
                           "test_rect(35, 35, 45, 45, " + CODE_YELLOW + ");"),
                    Drawer("obj_back", 10, "test_rect(10, 10, 60, 60, " + CODE_GREEN + ");")};
    gamebuild::RoomDesc room = Room("room", {Placed(0), Placed(1)}); // the front one placed first
    room.colour = 0x0000FF;                                          // red, low byte
    game.rooms = {room};
    game.header.roomOrder = {0};
    PlayAndDraw(game);

    EXPECT_EQ(GREEN, At(20, 20));
    EXPECT_EQ(BLUE, At(50, 50)); // the smaller depth over the greater
    EXPECT_EQ(BLUE, At(70, 70));
    EXPECT_EQ(YELLOW, At(40, 40)); // the GUI pass after everything
    EXPECT_EQ(RED, At(200, 200));
    EXPECT_EQ(RED, At(639, 479));
}

TEST_F(RoomScene, ViewFollowsAnInstanceAndStopsAtTheRoomEdge)
{
    gamebuild::GameDesc game;
    game.objects = {Drawer("obj_player", 0, SquareAround(CODE_GREEN))};
    gamebuild::RoomDesc room = Room("room", {Placed(0, 1990, 240)});
    room.width = 2000;
    room.colour = 0x0000FF;
    room.enableViews = true;
    gamebuild::RoomViewDesc view;
    view.visible = 1;
    view.object = 0;
    room.views = {view};
    game.rooms = {room};
    game.header.roomOrder = {0};
    PlayAndDraw(game);

    EXPECT_EQ(1360, Run_CurrentRoom()->m_Views[0].xview);
    EXPECT_EQ(GREEN, At(630, 240));
    EXPECT_EQ(RED, At(620, 240));
    EXPECT_EQ(RED, At(100, 240));
}

TEST_F(RoomScene, TwoViewsSideBySideWithTheWindowColourAroundThem)
{
    gamebuild::GameDesc game;
    game.objects = {Drawer("obj_red", 0, SquareAround(CODE_RED)),
                    Drawer("obj_green", 0, SquareAround(CODE_GREEN))};
    gamebuild::RoomDesc room = Room("room", {Placed(0, 100, 100), Placed(1, 1100, 100)});
    room.width = 2000;
    room.colour = 0xFF0000; // blue, high byte
    room.enableViews = true;
    gamebuild::RoomViewDesc left;
    left.visible = 1;
    left.wview = 320;
    left.wport = 320;
    gamebuild::RoomViewDesc right = left;
    right.xview = 1000;
    right.hview = 240;
    right.xport = 320;
    right.hport = 240;
    room.views = {left, right};
    game.rooms = {room};
    game.header.roomOrder = {0};
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    GR_Window_SetColour(0x00FFFF); // yellow
    DrawFrame();

    EXPECT_EQ(RED, At(100, 100));
    EXPECT_EQ(GREEN, At(420, 100));
    EXPECT_EQ(BLUE, At(200, 300));
    EXPECT_EQ(BLUE, At(500, 200));
    EXPECT_EQ(YELLOW, At(500, 400)); // below the right port nothing is drawn

    int32_t x = 0;
    int32_t y = 0;
    GR_Window_WindowToRoom(420, 100, &x, &y);
    EXPECT_EQ(1100, x);
    EXPECT_EQ(100, y);
    GR_Window_WindowToRoom(100, 300, &x, &y);
    EXPECT_EQ(100, x);
    EXPECT_EQ(300, y);
}

TEST_F(RoomScene, OverlappingViewsDrawInOrderAndConvertThroughTheHigherOne)
{
    gamebuild::GameDesc game;
    game.objects = {Drawer("obj_green", 0, SquareAround(CODE_GREEN))};
    gamebuild::RoomDesc room = Room("room", {Placed(0, 1040, 40)});
    room.width = 2000;
    room.colour = 0xFF0000;
    room.enableViews = true;
    gamebuild::RoomViewDesc whole;
    whole.visible = 1;
    gamebuild::RoomViewDesc zoom; // room 1000..1160 x 0..120 twice as large in the top-left quarter
    zoom.visible = 1;
    zoom.xview = 1000;
    zoom.wview = 160;
    zoom.hview = 120;
    zoom.wport = 320;
    zoom.hport = 240;
    zoom.hborder = 0;
    room.views = {whole, zoom};
    game.rooms = {room};
    game.header.roomOrder = {0};
    PlayAndDraw(game);

    EXPECT_EQ(GREEN, At(80, 80));
    EXPECT_EQ(GREEN, At(71, 71)); // the square is drawn at twice its size
    EXPECT_EQ(BLUE, At(100, 100));

    int32_t x = 0;
    int32_t y = 0;
    GR_Window_WindowToRoom(80, 80, &x, &y);
    EXPECT_EQ(1040, x);
    EXPECT_EQ(40, y);
    GR_Window_WindowToRoom(400, 300, &x, &y);
    EXPECT_EQ(400, x);
    EXPECT_EQ(300, y);
}

} // namespace
