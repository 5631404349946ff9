// Builder-made games started on a device of a hidden window (offscreen video driver): a frame is
// opened, the room drawn, and pixels of the screen texture read back. Draw events draw through
// test_rect(x1, y1, x2, y2, argb), a filled rectangle queued in the batch.
#pragma once

#include "../gldevice/GLDeviceFixture.h"
#include "../room/RoomTestSupport.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "room/Room_Draw.h"
#include "variable/Variable_BuiltIn.h"

namespace glroom {

// An untextured rectangle through the batch (two triangles, ARGB colour).
inline void FillRect(float left, float top, float right, float bottom, uint32_t argb)
{
    auto* v = static_cast<ColouredVertex*>(Graphics::AllocVerts(4, nullptr, 16, 6));
    v[0] = {left, top, 0, argb};
    v[1] = {right, top, 0, argb};
    v[2] = {right, bottom, 0, argb};
    v[3] = {right, bottom, 0, argb};
    v[4] = {left, bottom, 0, argb};
    v[5] = {left, top, 0, argb};
}

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

    // Starts the game, opens a frame and draws the room once.
    void PlayAndDraw(const gamebuild::GameDesc& game)
    {
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        ASSERT_NE(nullptr, Run_CurrentRoom());
        DrawFrame();
    }

    void DrawFrame()
    {
        if (g_D3D.sceneDepth == 0) {
            ASSERT_TRUE(GR_StartFrame());
        }
        Room_Draw();
        Graphics::Flush();
    }

    uint32_t At(int32_t x, int32_t y)
    {
        uint8_t* block = GR_Screen_ReadPixels(640, 480, x, y, 1, 1);
        if (block == nullptr) return 0;
        uint32_t argb =
            uint32_t(block[3]) << 24 | uint32_t(block[2]) << 16 | uint32_t(block[1]) << 8 | block[0];
        MemoryManager::Free(block);
        return argb;
    }

    static gamebuild::ObjectDesc Drawer(const std::string& name, int32_t depth, const std::string& draw,
                                        const std::string& gui = "")
    {
        gamebuild::ObjectDesc object = roomtest::Object(name, depth);
        object.events = {roomtest::Event(8, 0, draw)};
        if (!gui.empty()) object.events.push_back(roomtest::Event(8, 64, gui));
        return object;
    }
};

constexpr uint32_t RED = 0xFFFF0000u; // ARGB
constexpr uint32_t GREEN = 0xFF00FF00u;
constexpr uint32_t BLUE = 0xFF0000FFu;
constexpr uint32_t YELLOW = 0xFFFFFF00u;
constexpr uint32_t WHITE = 0xFFFFFFFFu;

} // namespace glroom
