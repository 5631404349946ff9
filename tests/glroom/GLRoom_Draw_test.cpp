// Rooms drawn on a device and probed at chosen pixels: the background colour, draw events in depth
// order, the GUI layer, views that follow and views side by side, the window colour around them,
// window points converted back to room points through the views just drawn, and virtual keys.
#include <set>

#include "GLRoomFixture.h"
#include "background/Background_Table.h"
#include "run/Run_Globals.h"
#include "io/IO_VirtualKey.h"

using namespace glroom;
using roomtest::Placed;
using std::make_tuple;

namespace {

// Colours as game code writes them (ARGB in decimal); room and window colours have red in the low byte.
const std::string CODE_RED = "4294901760", CODE_GREEN = "4278255360", CODE_BLUE = "4278190335",
                  CODE_YELLOW = "4294967040";

std::string SquareAround(const std::string& colour) { return "test_rect(x - 5, y - 5, x + 5, y + 5, " + colour + ");"; }

gamebuild::RoomViewDesc View(int32_t xview, int32_t wview, int32_t hview, int32_t xport, int32_t wport, int32_t hport)
{
    gamebuild::RoomViewDesc view;
    view.visible = 1;
    view.xview = xview, view.wview = wview, view.hview = hview;
    view.xport = xport, view.wport = wport, view.hport = hport;
    return view;
}

TEST_F(RoomScene, BackgroundColourDrawEventsByDepthAndTheGuiOnTop)
{
    // The front one is placed first.
    PlayAndDraw({Drawer("obj_front", 0, "test_rect(30, 30, 80, 80, " + CODE_BLUE + ");",
                        "test_rect(35, 35, 45, 45, " + CODE_YELLOW + ");"),
                 Drawer("obj_back", 10, "test_rect(10, 10, 60, 60, " + CODE_GREEN + ");")},
                Room({Placed(0), Placed(1)}, 0x0000FF));
    // The smaller depth over the greater, the GUI pass after everything.
    ExpectProbes({{20, 20, GREEN}, {50, 50, BLUE}, {70, 70, BLUE}, {40, 40, YELLOW}, {200, 200, RED}, {639, 479, RED}});

    // Visible virtual keys are white rectangles in window pixels, scaled from the GUI size; hidden
    // ones and a GUI size of 0 draw nothing.
    *IO_VirtualKey_Get(0) =
        IOVirtualKey{IO_VIRTUAL_KEY_IN_USE | IO_VIRTUAL_KEY_VISIBLE, 0, 100, 100, 150, 150, 50, 50, 0, 0, 32, 0};
    *IO_VirtualKey_Get(1) = IOVirtualKey{IO_VIRTUAL_KEY_IN_USE, 1, 300, 300, 350, 350, 50, 50, 0, 0, 33, 0};
    g_GUIWidth = 320; // half the window: the key covers window pixels 200 to 299
    g_GUIHeight = 240;
    IO_VirtualKey_DrawAll();
    // Key 1 is in use but hidden.
    ExpectProbes({{210, 210, WHITE}, {299, 299, WHITE}, {301, 301, RED}, {120, 120, RED}, {320, 320, RED}});
    g_GUIWidth = 0; // no scale: nothing drawn, nothing divided by zero
    IO_VirtualKey_Get(0)->x = 0;
    IO_VirtualKey_DrawAll();
    EXPECT_EQ(GREEN, At(10, 10));
    g_GUIWidth = g_GUIHeight = -1;
    IO_VirtualKey_DeleteAll();
}

TEST_F(RoomScene, ViewFollowsAnInstanceAndStopsAtTheRoomEdge)
{
    gamebuild::RoomViewDesc view = View(0, 640, 480, 0, 640, 480);
    view.object = 0;
    PlayAndDraw({Drawer("obj_player", 0, SquareAround(CODE_GREEN))},
                Room({Placed(0, 1990, 240)}, 0x0000FF, 2000, {view}));
    EXPECT_EQ(1360, Run_CurrentRoom()->m_Views[0].xview);
    ExpectProbes({{630, 240, GREEN}, {620, 240, RED}, {100, 240, RED}});
}

TEST_F(RoomScene, TwoViewsSideBySideWithTheWindowColourAroundThem)
{
    PlayAndDraw({Drawer("obj_red", 0, SquareAround(CODE_RED)), Drawer("obj_green", 0, SquareAround(CODE_GREEN))},
                Room({Placed(0, 100, 100), Placed(1, 1100, 100)}, 0xFF0000, 2000,
                     {View(0, 320, 480, 0, 320, 480), View(1000, 320, 240, 320, 320, 240)}),
                0x00FFFF);
    // Below the right port nothing is drawn: the window's yellow.
    ExpectProbes({{100, 100, RED}, {420, 100, GREEN}, {200, 300, BLUE}, {500, 200, BLUE}, {500, 400, YELLOW}});
    EXPECT_EQ(make_tuple(1100, 100), ToRoom(420, 100));
    EXPECT_EQ(make_tuple(100, 300), ToRoom(100, 300));
}

TEST_F(RoomScene, OverlappingViewsDrawInOrderAndConvertThroughTheHigherOne)
{
    // Room 1000..1160 x 0..120 twice as large in the top-left quarter over the whole room.
    gamebuild::RoomViewDesc zoom = View(1000, 160, 120, 0, 320, 240);
    zoom.hborder = 0;
    PlayAndDraw({Drawer("obj_green", 0, SquareAround(CODE_GREEN))},
                Room({Placed(0, 1040, 40)}, 0xFF0000, 2000, {View(0, 640, 480, 0, 640, 480), zoom}));
    ExpectProbes({{80, 80, GREEN}, {71, 71, GREEN}, {100, 100, BLUE}}); // the square drawn at twice its size
    EXPECT_EQ(make_tuple(1040, 40), ToRoom(80, 80));
    EXPECT_EQ(make_tuple(400, 300), ToRoom(400, 300));
}

} // namespace

// A tiled layer over a huge room seen whole through a small port (64 x 48 pixels, beside a view
// of the full window): leaving out the tiles that hold no pixel centre changes no pixel against
// queuing every tile.
TEST_F(RoomScene, TiledLayersOfHugeRoomsDrawTheSamePixelsAsEveryTile)
{
    constexpr int32_t WIDTH = 8000, HEIGHT = 6000; // 500 x 375 tiles for 129 x 97 pixel centres
    gamebuild::GameDesc game;
    gamebuild::BackgroundDesc tile;
    tile.name = "bg_cells";
    tile.hasPicture = true;
    tile.picture = {"", 16, 16, std::vector<uint32_t>(256), false};
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) tile.picture.pixels[y * 16 + x] = 0xFF000040u | x << 20 | y << 12;
    game.backgrounds = {tile};
    gamebuild::RoomDesc room = roomtest::Room("room_huge");
    room.width = WIDTH;
    room.height = HEIGHT;
    room.enableViews = 3;
    gamebuild::RoomBackgroundDesc layer;
    layer.visible = 1;
    layer.background = 0;
    room.backgrounds = {layer};
    gamebuild::RoomViewDesc window, whole;
    window.visible = whole.visible = 1;
    whole.wview = WIDTH;
    whole.hview = HEIGHT;
    whole.wport = 64;
    whole.hport = 48;
    room.views = {window, whole};
    game.rooms = {room};
    game.header.roomOrder = {0};
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    DrawFrame();
    std::vector<Pixel> culled = ReadScreen(0, 0, 64, 48);
    // The same layer again, every tile queued, under the transforms the room drew the port with.
    g_CurrentView = 1;
    GR_SetViewport(0, 0, 64, 48);
    GR_SetViewProjection(0, 0, WIDTH, HEIGHT, 0.0);
    Background_Data(0)->DrawTiled(0, 0, 1, 1, true, true, 0, 0, float(WIDTH), float(HEIGHT), 0xFFFFFF, 1);
    Graphics::Flush();
    g_CurrentView = 0;
    std::vector<Pixel> every = ReadScreen(0, 0, 64, 48);
    ASSERT_EQ(every.size(), culled.size());
    size_t differing = 0, kinds = 0;
    std::set<uint32_t> seen;
    for (size_t i = 0; i < every.size(); ++i) {
        differing += Argb(every[i]) != Argb(culled[i]) ? 1 : 0;
        seen.insert(Argb(every[i]));
    }
    kinds = seen.size();
    EXPECT_EQ(0u, differing);
    EXPECT_GT(kinds, 16u); // the port shows many cells of the tile, not one colour
}
