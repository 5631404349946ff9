// Room transitions played on a device: the old room (red, a yellow bottom-right corner) captured
// by the room's own drawing, the new picture (blue, a green top-left corner) drawn into the target
// the capture left, and each kind's picture probed where its rule puts the two.
#include <cstdlib>

#include "GLRoomFixture.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Transition.h"
#include "run/Run_Globals.h"

using namespace glroom;

namespace {

class Transitions : public RoomScene {
  protected:
    void SetUp() override
    {
        RoomScene::SetUp();
        gamebuild::GameDesc game;
        game.objects = {Drawer("obj_corner", 0, "test_rect(600, 440, 640, 480, 4294967040);")};
        game.rooms = {Room({roomtest::Placed(0)}, 0x0000FF)}; // red, low byte
        game.header.roomOrder = {0};
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        ASSERT_TRUE(GR_StartFrame());
        GR_Texture_SetInterpolation(false);
    }
    void TearDown() override
    {
        GR_Transition_Free();
        RoomScene::TearDown();
    }
    // Captures the room for `kind` and draws the new picture into the new-room surface.
    static void Capture(int32_t kind)
    {
        if (g_D3D.sceneDepth == 0) GR_StartFrame();
        ASSERT_TRUE(GR_Transition_Start(kind));
        ASSERT_EQ(kind, g_TransitionKind);
        GR_Draw_ClearAlpha(0xFF0000, 1.0); // blue, low byte red
        FillRect(0, 0, 40, 40, GREEN);
        Graphics::Flush();
    }
    // Every channel within 3 of the expected colour.
    static bool Near(uint32_t want, uint32_t got)
    {
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(int((want >> shift) & 0xFF) - int((got >> shift) & 0xFF)) > 3) return false;
        return true;
    }
};

TEST_F(Transitions, EachKindDrawsItsRule)
{
    const std::tuple<int32_t, double, std::vector<Probe>> cases[] = {
        {1, 0.0, {{20, 20, RED}, {620, 460, YELLOW}}}, // a reveal at 0: the old room only
        {1, 0.5, {{20, 20, GREEN}, {300, 240, BLUE}, {340, 240, RED}, {620, 460, YELLOW}}},
        {1, 1.0, {{20, 20, GREEN}, {620, 460, BLUE}}}, // at 1: the new picture whole
        {2, 0.5, {{20, 20, RED}, {300, 240, RED}, {340, 240, BLUE}, {620, 460, BLUE}}},
        {3, 0.5, {{20, 20, GREEN}, {320, 230, BLUE}, {320, 250, RED}, {620, 460, YELLOW}}},
        {4, 0.5, {{20, 20, RED}, {320, 230, RED}, {320, 250, BLUE}, {620, 460, BLUE}}},
        {5, 0.5, {{165, 125, BLUE}, {155, 115, RED}, {475, 355, BLUE}, {485, 365, RED}, {20, 20, RED}}},
        {6, 0.5, {{20, 20, BLUE}, {300, 20, BLUE}, {340, 20, RED}, {620, 460, YELLOW}}}, // slides
        {7, 0.5, {{340, 20, GREEN}, {20, 20, RED}, {620, 460, BLUE}}},
        {8, 0.5, {{20, 20, BLUE}, {20, 230, BLUE}, {20, 250, RED}, {620, 460, YELLOW}}},
        {9, 0.5, {{20, 260, GREEN}, {20, 20, RED}, {620, 460, BLUE}}},
        {10, 0.5, {{4, 20, GREEN}, {4, 240, BLUE}, {12, 240, RED}, {620, 460, YELLOW}, {628, 460, BLUE}}}, // bands
        {11, 0.5, {{4, 240, BLUE}, {12, 240, RED}, {628, 240, BLUE}}},
        {12, 0.5, {{240, 3, BLUE}, {240, 9, RED}, {620, 465, YELLOW}, {620, 470, BLUE}}},
        {13, 0.5, {{240, 3, BLUE}, {240, 9, RED}}},
        {14, 0.5, {{20, 20, BLUE}, {340, 20, RED}, {620, 460, RED}, {300, 460, BLUE}}}, // pushes
        {15, 0.5, {{340, 20, GREEN}, {300, 460, YELLOW}, {20, 20, RED}}},
        {16, 0.5, {{20, 20, BLUE}, {620, 460, RED}, {20, 260, RED}}},
        {17, 0.5, {{20, 260, GREEN}, {620, 220, YELLOW}, {20, 20, RED}}},
        {18, 0.5, {{320, 240, BLUE}, {20, 20, RED}, {620, 460, YELLOW}}}, // spins about the centre
        {19, 0.5, {{320, 240, BLUE}, {20, 20, RED}, {620, 460, YELLOW}}},
        {18, 1.0, {{20, 20, GREEN}, {45, 45, BLUE}, {620, 460, BLUE}}}, // upright and unscaled
        {20, 0.5, {{320, 240, 0xFF7F0080u}, {20, 20, 0xFF7F7F00u}}},  // cross-fade
        {21, 0.5, {{320, 240, BLACK}, {20, 20, BLACK}, {620, 460, BLACK}}},
        {21, 0.75, {{320, 240, 0xFF00007Fu}}},
    };
    for (const auto& [kind, f, probes] : cases) {
        Capture(kind);
        ASSERT_TRUE(Surface_ResetTarget());
        GR_Draw_ClearAlpha(0xFFFFFF, 1.0); // white: whatever the step leaves uncovered shows
        GR_Transition_DrawStep(kind, f);
        Graphics::Flush();
        for (const Probe& p : probes)
            EXPECT_TRUE(Near(p.argb, At(p.x, p.y))) << "kind " << kind << " at " << f << ": (" << p.x << ", " << p.y
                                                    << ") is " << std::hex << At(p.x, p.y) << ", not " << p.argb;
    }
}

TEST_F(Transitions, APlayedTransitionPresentsStepsPlusOneFramesAndLogsItsSteps)
{
    for (auto [steps, frames] : {std::pair{80, 81}, std::pair{0, 2}, std::pair{-5, 2}}) {
        GR_Transition_SetSteps(steps);
        Capture(1);
        int64_t before = g_D3D.presentedFrames;
        size_t logStart = m_Log.Text().size();
        EXPECT_FALSE(GR_Transition_Finish());
        EXPECT_EQ(frames, g_D3D.presentedFrames - before) << steps;
        EXPECT_EQ(-1, GR_Transition_OldSurface());
        EXPECT_EQ(-1, GR_Transition_NewSurface());
        ExpectProbes({{20, 20, GREEN}, {620, 460, BLUE}}); // the last frame, f = 1, shows the new picture whole
        std::string expected = "GR_Transition_Finish\nTF: 1\nTF: 2  - " + std::to_string(frames - 1) + "\n";
        for (int32_t i = 0; i < frames; ++i)
            expected += "TF: 2.1\nTF: 2.2\nTransFunctionExists()\nTF: 2.3 -2\nTF: 2.4\n";
        EXPECT_EQ(expected + "TF: 3\nTF: 4\nTF: 5\n", m_Log.Text().substr(logStart));
    }
}

TEST_F(Transitions, KindsOutsideTheBuiltInOnesAndFailedCapturesOnlyEndTheFrame)
{
    const char* ended = "GR_Transition_Finish\nTransFunctionExists()\nFALSE: GR_D3D_Finish_Frame\nreturn FALSE\n";
    for (int32_t kind : {22, 0, -1, 3}) {
        if (g_D3D.sceneDepth == 0) GR_StartFrame();
        // Kind 3 with a screen wider than any render target: the capture fails.
        if (kind == 3) g_RenderSettings.screenWidth = TEXTURE_MAX_TARGET_SIDE + 1;
        size_t logStart = m_Log.Text().size();
        EXPECT_TRUE(GR_Transition_Start(kind));
        g_RenderSettings.screenWidth = 640;
        EXPECT_EQ(kind == 3 ? -1 : kind, g_TransitionKind);
        EXPECT_EQ(-1, GR_Transition_OldSurface());
        EXPECT_EQ(-1, GR_Transition_NewSurface());
        EXPECT_EQ(-1, Surface_CurrentTarget());
        int64_t before = g_D3D.presentedFrames;
        EXPECT_TRUE(GR_Transition_Finish());
        EXPECT_EQ(1, g_D3D.presentedFrames - before);
        // The failed capture logs the device's refusal first.
        std::string log = m_Log.Text().substr(logStart);
        std::string tail = kind == 3 ? log.substr(log.rfind("GR_Transition_Finish")) : log;
        EXPECT_EQ((kind == 3 ? "" : "TransFunctionExists()\n") + std::string(ended), tail) << kind;
    }
}

TEST_F(Transitions, ADeviceResetBetweenStartAndFinishLeavesNothingToDrawOrFree)
{
    Capture(1);
    int32_t old = GR_Transition_OldSurface();
    ASSERT_TRUE(GR_Reset());
    EXPECT_FALSE(Surface_Exists(old));
    // A surface the game makes now takes the freed slot: the transition must leave it alone.
    int32_t mine = Surface_Create(16, 16);
    EXPECT_EQ(std::make_tuple(old, -1), std::make_tuple(mine, GR_Transition_OldSurface()));
    FillRect(0, 0, 640, 480, YELLOW);
    Graphics::Flush();
    EXPECT_FALSE(GR_Transition_Finish());
    EXPECT_TRUE(Surface_Exists(mine));
    EXPECT_EQ(YELLOW, At(20, 20)); // the frames drew none of the lost pictures
}

} // namespace
