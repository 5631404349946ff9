#include <cmath>

#include "Graphics_FakeDevice.h"
#include "base/Base_Maths.h"
#include "graphics/Graphics_DisplayModes.h"
#include "platform/Platform_MemoryManager.h"

using namespace fake;

namespace {

class StateCache : public DeviceTest {};

TEST_F(StateCache, StateSetAndSetBackSendsNothing)
{
    GR_Draw_SetBlendMode(1);
    EXPECT_TRUE(GR_RenderStateCache_Pending());
    GR_Draw_SetBlendMode(0);
    EXPECT_FALSE(GR_RenderStateCache_Pending());
    Graphics::Flush();
    EXPECT_FALSE(Recorded().Sent(D3DRS_SRCBLEND));
    EXPECT_FALSE(Recorded().Sent(D3DRS_DESTBLEND));
    GR_Texture_SetRepeat(true);
    GR_Texture_SetRepeat(false);
    Graphics::Flush();
    EXPECT_TRUE(Recorded().samplerStates.empty());
}

TEST_F(StateCache, DirtySlotsReachTheDeviceAtTheFlushAfterTheBatchDrawnBeforeThem)
{
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 16, 3);
    GR_3D_SetCulling(true);
    GR_Draw_SetBlendMode(1); // source alpha stays, the destination factor becomes one
    EXPECT_FALSE(Recorded().Sent(D3DRS_CULLMODE));
    // A request while a change waits starts a new batch: the queued one is drawn with the old states.
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 16, 3);
    ASSERT_EQ(1u, Recorded().draws.size());
    EXPECT_EQ(D3DCULL_CCW, Recorded().LastValue(D3DRS_CULLMODE));
    EXPECT_FALSE(Recorded().Sent(D3DRS_SRCBLEND));
    EXPECT_EQ(D3DBLEND_ONE, Recorded().LastValue(D3DRS_DESTBLEND));
    // Ascending slot order: the destination factor (7) before the cull mode (8).
    ASSERT_EQ(2u, Recorded().renderStates.size());
    EXPECT_EQ(D3DRS_DESTBLEND, Recorded().renderStates[0].first);
    Graphics::Flush();
    EXPECT_EQ(2u, Recorded().draws.size());
}

TEST_F(StateCache, SamplerSlotsOfStageZero)
{
    // Created without the interpolation flag, the stage starts with point filtering.
    EXPECT_FALSE(GR_Texture_GetInterpolation());
    GR_Texture_SetInterpolation(true);
    GR_Texture_SetRepeat(true);
    Graphics::Flush();
    std::vector<std::vector<uint32_t>> want = {{0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
                                               {0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
                                               {0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP},
                                               {0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP}};
    EXPECT_EQ(want, Recorded().samplerStates);
    EXPECT_TRUE(GR_Texture_GetInterpolation());
    EXPECT_TRUE(GR_Texture_GetRepeat());
}

TEST_F(StateCache, TableFogSetsItsSlots)
{
    GR_3D_SetFog(true, 0x0000FF, 10.0, 100.0); // red
    Graphics::Flush();
    EXPECT_EQ(1u, Recorded().LastValue(D3DRS_FOGENABLE));
    EXPECT_EQ(D3DFOG_LINEAR, Recorded().LastValue(D3DRS_FOGTABLEMODE));
    EXPECT_EQ(0xFFFF0000u, Recorded().LastValue(D3DRS_FOGCOLOR));
    float start = 0;
    uint32_t bits = Recorded().LastValue(D3DRS_FOGSTART);
    std::memcpy(&start, &bits, 4);
    EXPECT_FLOAT_EQ(10.0f, start);
    EXPECT_FALSE(Recorded().Sent(D3DRS_RANGEFOGENABLE));
    EXPECT_TRUE(g_RenderSettings.fog);
}

class NoFogDevice : public DeviceTest {
    void Configure(Config& c) override { c.rasterCaps = 0; }
};

TEST_F(NoFogDevice, FogStaysOff)
{
    GR_3D_SetFog(true, 0xFFFFFF, 0.0, 1.0);
    Graphics::Flush();
    EXPECT_FALSE(g_RenderSettings.fog);
    EXPECT_FALSE(Recorded().Sent(D3DRS_FOGENABLE));
    EXPECT_FALSE(GR_RenderStateCache_Pending());
}

TEST_F(StateCache, SystemNumbersMapToDeviceStatesThroughTheShadow)
{
    GR_D3D_SetRenderState(8, 1);
    EXPECT_EQ(D3DCULL_CW, Recorded().LastValue(D3DRS_CULLMODE));
    GR_D3D_SetRenderState(8, 0);
    EXPECT_EQ(D3DCULL_NONE, Recorded().LastValue(D3DRS_CULLMODE));
    size_t sent = Recorded().renderStates.size();
    GR_D3D_SetRenderState(8, 7); // also none: nothing new reaches the device
    EXPECT_EQ(sent, Recorded().renderStates.size());
    GR_D3D_SetRenderState(6, 40);
    EXPECT_EQ(D3DBLEND_ZERO, Recorded().LastValue(D3DRS_SRCBLEND));
    GR_D3D_SetRenderState(2, 2);
    EXPECT_EQ(D3DFILL_WIREFRAME, Recorded().LastValue(D3DRS_FILLMODE));
    GR_D3D_SetRenderState(11, 9);
    EXPECT_EQ(D3DCMP_ALWAYS, Recorded().LastValue(D3DRS_ALPHAFUNC));
    GR_D3D_SetRenderState(16, 7);
    EXPECT_EQ(D3DFOG_LINEAR, Recorded().LastValue(D3DRS_FOGTABLEMODE));
    GR_D3D_SetRenderState(24, 0x13);
    EXPECT_EQ(0x3u, Recorded().LastValue(D3DRS_COLORWRITEENABLE));
    sent = Recorded().renderStates.size();
    GR_D3D_SetRenderState(9, 1);
    GR_D3D_SetRenderState(25, 1);
    EXPECT_EQ(sent, Recorded().renderStates.size());

    GR_D3D_SetSamplerSetting(3, 0, 1);
    GR_D3D_SetSamplerSetting(3, 1, 0);
    GR_D3D_SetSamplerSetting(1, 3, 5);
    GR_D3D_SetSamplerSetting(0, 4, 1);
    std::vector<std::vector<uint32_t>> want = {{3, D3DSAMP_MAGFILTER, D3DTEXF_POINT},
                                               {3, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
                                               {1, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP}};
    EXPECT_EQ(want, Recorded().samplerStates);
}

TEST_F(StateCache, ClearSwapsRedAndBlueAndClearsWholeDepth)
{
    GR_D3D_Clear(0x80112233u, 0.5f, 9, 1);
    GR_D3D_Clear(0x80112233u, 0.5f, 9, 0); // no flags: nothing
    ASSERT_EQ(1u, Recorded().clears.size());
    EXPECT_EQ(1u, Recorded().clears[0][0]);
    EXPECT_EQ(0x80332211u, Recorded().clears[0][1]);
}

TEST_F(StateCache, ResetSendsEveryStateAgain)
{
    GR_Draw_SetBlendMode(1);
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(D3DCULL_NONE, Recorded().LastValue(D3DRS_CULLMODE));
    EXPECT_EQ(D3DBLEND_SRCALPHA, Recorded().LastValue(D3DRS_SRCBLEND));
    EXPECT_EQ(D3DBLEND_ONE, Recorded().LastValue(D3DRS_DESTBLEND));
    EXPECT_EQ(1u, Recorded().LastValue(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(15u, Recorded().LastValue(D3DRS_COLORWRITEENABLE));
    EXPECT_EQ(D3DSHADE_GOURAUD, Recorded().LastValue(D3DRS_SHADEMODE));
    EXPECT_EQ(0u, Recorded().LastValue(D3DRS_ZENABLE));
    EXPECT_FALSE(Recorded().samplerStates.empty());
    EXPECT_FALSE(GR_RenderStateCache_Pending());
}

class FailingReset : public DeviceTest {
    void Configure(Config& c) override { c.resetResults = {D3DERR_INVALIDCALL, D3DERR_INVALIDCALL}; }
};

TEST_F(FailingReset, ReturnsFalseWithoutClearingOrApplyingAnything)
{
    GR_Draw_SetBlendMode(1);
    std::string log;
    {
        LogCapture capture;
        EXPECT_FALSE(GR_Reset());
        log = capture.Text();
    }
    EXPECT_NE(std::string::npos, log.find("Reset() Failed: 8876086C\n"));
    EXPECT_NE(std::string::npos, log.find("Change SWAP+Multisample type effect, try Reset() again\n"));
    EXPECT_EQ(std::string::npos, log.find("Graphics::Clear()"));
    EXPECT_TRUE(Recorded().clears.empty());
    EXPECT_TRUE(Recorded().renderStates.empty());
    EXPECT_TRUE(GR_RenderStateCache_Pending()); // the cache is as it was
    ASSERT_EQ(2u, Recorded().resets.size());
    EXPECT_EQ(D3DSWAPEFFECT_DISCARD, Recorded().resets[1].swapEffect);
    EXPECT_EQ(0, Recorded().resets[1].multiSampleType);
}

TEST(StateCacheWithoutDevice, AlphaTestSwitchIsIgnoredOtherSettingsWait)
{
    GR_RenderState_Init();
    GR_Draw_SetAlphaTest(true);
    EXPECT_FALSE(GR_Draw_GetAlphaTest());
    GR_Draw_SetAlphaTestRef(77);
    EXPECT_EQ(77u, GR_Draw_GetAlphaTestRef());
    EXPECT_EQ(77u, g_RenderStateCache.wanted[RS_ALPHA_REFERENCE]);
    EXPECT_FALSE(GR_StartFrame());
    EXPECT_FALSE(GR_EndFrame(true));
    EXPECT_FALSE(GR_Reset());
    EXPECT_EQ(nullptr, GR_Screen_CreateBitmap(0, 0, 10, 10));
    GR_RenderState_Init();
}

// The projection of a 640 x 480 view with the room a test names.
class Projection : public DeviceTest {
  protected:
    static DeviceRoomView s_Room;
    static void ReadRoom(DeviceRoomView* view) { *view = s_Room; }
    D3DMatrix Project()
    {
        GR_D3D_SetRoomReader(ReadRoom);
        Recorded().projections.clear();
        GR_SetViewProjection(0, 0, 640, 480, 0.0);
        return Recorded().projections.back();
    }
};
DeviceRoomView Projection::s_Room;

TEST_F(Projection, HalfPixelOffsetFollowsTheRoomAndItsView)
{
    Matrix ortho;
    Matrix::Ortho(ortho, 640.0, -480.0, 1.0, 32000.0);
    s_Room = DeviceRoomView{};
    D3DMatrix noRoom = Project();
    EXPECT_FLOAT_EQ(ortho.m[12] - 1.0f / 640.0f, noRoom.m[12]);
    EXPECT_FLOAT_EQ(ortho.m[13] + 1.0f / 480.0f, noRoom.m[13]);

    s_Room = DeviceRoomView{true, 800, 600};
    D3DMatrix room = Project();
    EXPECT_FLOAT_EQ(ortho.m[12] - 1.0f / 800.0f, room.m[12]);

    // A 320 x 240 view shown in a 640 x 480 port scales by 2: no offset at all.
    s_Room = DeviceRoomView{true, 2000, 2000, true, 320, 240, 640, 480};
    D3DMatrix scaled = Project();
    EXPECT_FLOAT_EQ(ortho.m[12], scaled.m[12]);
    EXPECT_FLOAT_EQ(ortho.m[13], scaled.m[13]);
    EXPECT_FLOAT_EQ(0.0f, g_HalfPixelX);

    float sx = 0;
    float sy = 0;
    int32_t w = 0;
    int32_t h = 0;
    GR_D3D_HalfPixelFactors(DeviceRoomView{true, 0, 0, true, 1000, 100, 1005, 100}, &sx, &sy, &w, &h);
    EXPECT_NEAR(0.5f, sx, 1e-4f);
    EXPECT_FLOAT_EQ(1.0f, sy);
    EXPECT_EQ(1005, w);
}

TEST_F(Projection, ScreenSizeIsClampedToTheDisplayAndSetOnce)
{
    Recorded().viewports.clear();
    GR_SetScreenSize(5000, 5000);
    int32_t w = 0;
    int32_t h = 0;
    GR_GetScreenSize(&w, &h);
    EXPECT_EQ(Display_GetWidth(), w);
    EXPECT_EQ(Display_GetHeight(), h);
    ASSERT_EQ(1u, Recorded().viewports.size());
    EXPECT_EQ(w, Recorded().viewports[0].width);
    GR_SetScreenSize(5000, 5000);
    EXPECT_EQ(1u, Recorded().viewports.size());
}

TEST_F(StateCache, ScreenReadBackUsesATargetRoundedToEights)
{
    uint8_t* block = GR_Screen_ReadPixels(640, 480, 2, 3, 13, 5);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(13u * 5u * 4u, MemoryManager::GetSize(block));
    MemoryManager::Free(block);
    ASSERT_EQ(1u, Recorded().renderTargets.size());
    EXPECT_EQ((std::vector<int32_t>{16, 8, 1}), Recorded().renderTargets[0]);
    EXPECT_EQ(nullptr, GR_Screen_ReadPixels(640, 480, 640, 0, 4, 4));
    EXPECT_EQ(nullptr, GR_Screen_CreateBitmap(0, 0, 0, 10));
}

} // namespace
