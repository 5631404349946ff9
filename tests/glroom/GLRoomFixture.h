// Builder-made games started on a device of a hidden window (offscreen video driver): a frame is
// opened, the room drawn, and pixels of the screen texture read back. Draw events draw through
// test_rect(x1, y1, x2, y2, argb), a filled rectangle queued in the batch.
#pragma once

#include "../gldevice/GLDeviceFixture.h"
#include "../room/RoomTestSupport.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Window.h"
#include "room/Room_Draw.h"
#include "variable/Variable_BuiltIn.h"

namespace glroom {

using namespace gltest;

inline void Rect(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc < 5) return;
    auto argb = static_cast<uint32_t>(static_cast<int64_t>(args[4].real));
    FillRect(float(args[0].real), float(args[1].real), float(args[2].real), float(args[3].real), argb);
}

// A game played on a device. Views, sizes and objects come from each test's description.
class RoomScene : public roomtest::PlayedGameTest {
  protected:
    void SetUp() override
    {
        roomtest::PlayedGameTest::SetUp();
        static bool registered = false;
        if (!registered) Function_Add("test_rect", Rect, 5);
        registered = true;
        // Draw events read the instance's position.
        if (Variable_BuiltIn_Find("x") < 0) Variable_BuiltIn_Init();
        GR_RenderState_Init();
        GR_Window_SetWindowSize(640, 480);
        GR_Window_Init();
        ASSERT_TRUE(CreateMainWindow(640, 480));
        ASSERT_TRUE(GR_InitDevice(640, 480, 0));
        ASSERT_NE(nullptr, GR_D3D_Device());
    }
    void TearDown() override
    {
        if (g_D3D.sceneDepth != 0) GR_EndFrame(false);
        Surface_FreeAll();
        Surface_ClearTable();
        roomtest::PlayedGameTest::TearDown();
        Texture_FreeAll();
        GR_D3D_Shutdown();
        MainWindow_Destroy();
        GR_Window_ResetViewMappings();
    }

    // Starts a game of the objects and the one room, opens a frame and draws the room once.
    void PlayAndDraw(std::vector<gamebuild::ObjectDesc> objects, const gamebuild::RoomDesc& room,
                     uint32_t windowColour = 0)
    {
        gamebuild::GameDesc game;
        game.objects = std::move(objects);
        game.rooms = {room};
        game.header.roomOrder = {0};
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        ASSERT_NE(nullptr, Run_CurrentRoom());
        GR_Window_SetColour(windowColour);
        DrawFrame();
    }
    static void DrawFrame()
    {
        if (g_D3D.sceneDepth == 0) {
            ASSERT_TRUE(GR_StartFrame());
        }
        Room_Draw();
        Graphics::Flush();
    }
    static gamebuild::ObjectDesc Drawer(const std::string& name, int32_t depth, const std::string& draw,
                                        const std::string& gui = "")
    {
        gamebuild::ObjectDesc object = roomtest::Object(name, depth);
        object.events = {roomtest::Event(8, 0, draw)};
        if (!gui.empty()) object.events.push_back(roomtest::Event(8, 64, gui));
        return object;
    }
    // A room of the given width and colour, its views on when any are given.
    static gamebuild::RoomDesc Room(std::vector<gamebuild::RoomInstanceDesc> placed, uint32_t colour,
                                    int32_t width = 640, std::vector<gamebuild::RoomViewDesc> views = {})
    {
        gamebuild::RoomDesc room = roomtest::Room("room", std::move(placed));
        room.colour = colour;
        room.width = width;
        room.enableViews = !views.empty();
        room.views = std::move(views);
        return room;
    }
    static auto ToRoom(int32_t x, int32_t y)
    {
        int32_t rx = 0, ry = 0;
        GR_Window_WindowToRoom(x, y, &rx, &ry);
        return std::make_tuple(rx, ry);
    }
};

} // namespace glroom
