// Visible virtual keys drawn over the frame: white rectangles in window pixels, scaled from the GUI
// size; hidden ones and a GUI size of 0 draw nothing.
#include "GLRoomFixture.h"
#include "io/IO_VirtualKey.h"

using namespace glroom;

namespace {

TEST_F(RoomScene, VisibleVirtualKeysAreWhiteRectanglesOverTheFrame)
{
    gamebuild::GameDesc game;
    gamebuild::RoomDesc room = roomtest::Room("room", {});
    room.colour = 0x0000FF; // red, low byte
    game.rooms = {room};
    game.header.roomOrder = {0};
    PlayAndDraw(game);
    *IO_VirtualKey_Get(0) = IOVirtualKey{IO_VIRTUAL_KEY_IN_USE | IO_VIRTUAL_KEY_VISIBLE, 0, 100, 100, 150, 150, 50, 50,
                                         0, 0, 32, 0};
    *IO_VirtualKey_Get(1) = IOVirtualKey{IO_VIRTUAL_KEY_IN_USE, 1, 300, 300, 350, 350, 50, 50, 0, 0, 33, 0};
    g_GUIWidth = 320; // half the window: the key covers window pixels 200 to 299
    g_GUIHeight = 240;
    IO_VirtualKey_DrawAll();
    EXPECT_EQ(WHITE, At(210, 210));
    EXPECT_EQ(WHITE, At(299, 299));
    EXPECT_EQ(RED, At(301, 301));
    EXPECT_EQ(RED, At(120, 120));
    EXPECT_EQ(RED, At(320, 320)); // in use but hidden

    g_GUIWidth = 0; // no scale: nothing drawn, nothing divided by zero
    IO_VirtualKey_Get(0)->x = 0;
    IO_VirtualKey_DrawAll();
    EXPECT_EQ(RED, At(10, 10));
    g_GUIWidth = g_GUIHeight = -1;
    IO_VirtualKey_DeleteAll();
}

} // namespace
