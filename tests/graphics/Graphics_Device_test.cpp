#include "Graphics_FakeDevice.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_DevicePlaceholders.h"
#include "graphics/Graphics_Window.h"

using namespace fake;

namespace {

class SecondCreation : public ::testing::Test {
  protected:
    void SetUp() override
    {
        setenv("KELVARO_HEADLESS", "1", 1);
        TestSwitches_Reload();
        ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO));
        Settings() = Config{};
        Recorded() = Log{};
        GR_RenderState_Init();
        GR_D3D_SetInterfaceFactory(CreateInterface);
    }
    void TearDown() override
    {
        GR_D3D_Shutdown();
        GR_D3D_SetInterfaceFactory(nullptr);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

TEST_F(SecondCreation, FailedHardwareDeviceFallsBackToD16AndSoftwareProcessing)
{
    Settings().failCreateDevice = 1;
    std::string log;
    {
        LogCapture capture;
        ASSERT_TRUE(GR_InitDevice(640, 480, 0));
        log = capture.Text();
    }
    size_t first =
        log.find("Creating D3D device - ARGB=32bit, D24S8, SwapEffect=Copy, Hardware vertex processing\n");
    size_t second =
        log.find("Creating D3D device - ARGB=32bit, D16, SwapEffect=Discard, Software Vertex Processing\n");
    ASSERT_NE(std::string::npos, first);
    ASSERT_NE(std::string::npos, second);
    EXPECT_LT(first, second);
    ASSERT_EQ(2u, Recorded().resets.size());
    EXPECT_EQ(D3DFMT_D24S8, Recorded().resets[0].autoDepthStencilFormat);
    EXPECT_EQ(D3DSWAPEFFECT_COPY, Recorded().resets[0].swapEffect);
    EXPECT_EQ(D3DFMT_D16, Recorded().resets[1].autoDepthStencilFormat);
    EXPECT_EQ(D3DSWAPEFFECT_DISCARD, Recorded().resets[1].swapEffect);
    // The first device creation clears the back buffer and applies the defaults.
    ASSERT_FALSE(Recorded().clears.empty());
    EXPECT_EQ(7u, Recorded().clears[0][0]);
    EXPECT_EQ(D3DBLEND_INVSRCALPHA, Recorded().LastValue(D3DRS_DESTBLEND));
    EXPECT_EQ(D3DPOOL_MANAGED, g_D3D.texturePool);
}

TEST_F(SecondCreation, MissingInterfaceIsReportedAndFails)
{
    Settings().failInterface = true;
    std::string log;
    {
        LogCapture capture;
        EXPECT_FALSE(GR_InitDevice(640, 480, 0));
        log = capture.Text();
    }
    EXPECT_NE(std::string::npos, log.find("Failed to create Direct3D 9 device"));
    EXPECT_EQ(nullptr, GR_D3D_Device());
}

TEST_F(SecondCreation, FlagsChooseVsyncInterpolationAndAspect)
{
    ASSERT_TRUE(GR_InitDevice(640, 480, D3D_FLAG_VSYNC | D3D_FLAG_INTERPOLATE | D3D_FLAG_KEEP_ASPECT));
    EXPECT_EQ(D3DPRESENT_INTERVAL_DEFAULT, Recorded().resets[0].presentationInterval);
    EXPECT_TRUE(GR_Texture_GetInterpolation());
    EXPECT_TRUE(g_D3D.keepAspect);
    EXPECT_EQ(0x6u, g_D3D.multisampleMask); // the fake offers up to 4 samples
    EXPECT_EQ(640, GR_Window_GetWidth());
}

class Device : public DeviceTest {};

TEST_F(Device, MultisampleRequestsWaitForTheReset)
{
    Display_SetMultisample(3);
    EXPECT_EQ(0, g_D3D.multiSample);
    EXPECT_EQ(D3DSWAPEFFECT_COPY, g_D3D.swapEffect);
    Display_SetMultisample(4);
    EXPECT_EQ(4, g_D3D.multiSample);
    EXPECT_EQ(D3DSWAPEFFECT_DISCARD, g_D3D.swapEffect);
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(4, Recorded().resets.back().multiSampleType);
    // More samples than the adapter offers: none, before the first attempt.
    Display_SetMultisample(8);
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(0, Recorded().resets.back().multiSampleType);
    EXPECT_EQ(D3DSWAPEFFECT_COPY, Recorded().resets.back().swapEffect);
    Display_SetVSync(true);
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(D3DPRESENT_INTERVAL_DEFAULT, Recorded().resets.back().presentationInterval);
}

TEST_F(Device, LostDeviceIsResetAtTheStartOfTheFrame)
{
    Settings().cooperativeLevel = D3DERR_DEVICENOTRESET;
    ASSERT_TRUE(GR_StartFrame());
    EXPECT_EQ(1u, Recorded().resets.size());
    EXPECT_EQ(1, g_D3D.sceneDepth);
    EXPECT_FALSE(GR_StartFrame()); // already open
}

TEST_F(Device, EndOfFrameDrawsTheScreenTextureOnTheBackBufferAndPresents)
{
    GR_Window_SetColour(0x0000FF);
    D3DSurface* back = static_cast<fake::Device*>(GR_D3D_Device())->Target();
    ASSERT_TRUE(GR_StartFrame());
    EXPECT_EQ(g_D3D.screenTexture->renderTarget, static_cast<fake::Device*>(GR_D3D_Device())->Target());
    EXPECT_EQ(1, GR_Surface_TargetDepth());
    ASSERT_TRUE(GR_EndFrame(true));
    EXPECT_EQ(back, static_cast<fake::Device*>(GR_D3D_Device())->Target());
    EXPECT_EQ(0, GR_Surface_TargetDepth());
    EXPECT_EQ(1, Recorded().presents);
    ASSERT_EQ(1u, Recorded().draws.size());
    const Draw& quad = Recorded().draws[0];
    EXPECT_TRUE(quad.userPointer);
    EXPECT_EQ(D3DPT_TRIANGLEFAN, quad.type);
    EXPECT_EQ(2u, quad.primitives);
    EXPECT_EQ(0x142u, quad.fvf);
    EXPECT_EQ(g_D3D.screenTexture->texture, quad.texture);
    // The screen texture's target was resolved into the texture before it was drawn.
    ASSERT_EQ(1u, Recorded().stretches.size());
    EXPECT_EQ(g_D3D.screenTexture->renderTarget, Recorded().stretches[0].first);
    ASSERT_FALSE(Recorded().clears.empty());
    EXPECT_EQ((std::vector<uint32_t>{7, 0xFFFF0000u}), Recorded().clears.back());
    EXPECT_EQ(1u, Recorded().LastValue(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(1, g_D3D.presentedFrames);
    EXPECT_EQ(640, GR_Window_GetWidth());
}

TEST_F(Device, FrameLeftOnASurfaceStillEndsOnTheBackBuffer)
{
    D3DSurface* back = static_cast<fake::Device*>(GR_D3D_Device())->Target();
    DeviceTexture* surface = GR_Texture_Create(32, 32, 1, true, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_TRUE(GR_StartFrame());
    ASSERT_TRUE(GR_Surface_PushTarget());
    ASSERT_TRUE(GR_Surface_SetTarget(0, surface));
    ASSERT_TRUE(GR_EndFrame(true));
    EXPECT_EQ(back, static_cast<fake::Device*>(GR_D3D_Device())->Target());
    EXPECT_EQ(0, GR_Surface_TargetDepth());
    EXPECT_EQ(1, Recorded().presents);
    GR_Texture_Free(surface);
}

TEST_F(Device, TargetStackHoldsEightPairsAndRestoresThemInTurn)
{
    auto* device = static_cast<fake::Device*>(GR_D3D_Device());
    D3DSurface* back = device->Target();
    std::vector<DeviceTexture*> surfaces;
    for (int32_t i = 0; i < 8; ++i) {
        surfaces.push_back(GR_Texture_Create(16, 16, 1, true, TEXTURE_FORMAT_A8R8G8B8));
        ASSERT_TRUE(GR_Surface_PushTarget()) << i;
        ASSERT_TRUE(GR_Surface_SetTarget(0, surfaces.back()));
    }
    EXPECT_FALSE(GR_Surface_PushTarget());
    EXPECT_EQ(8, GR_Surface_TargetDepth());
    ASSERT_TRUE(GR_Surface_PopTarget());
    EXPECT_EQ(surfaces[6]->renderTarget, device->Target());
    GR_Surface_PopAllTargets();
    EXPECT_EQ(back, device->Target());
    EXPECT_FALSE(GR_Surface_PopTarget());
    for (DeviceTexture* s : surfaces)
        GR_Texture_Free(s);
}

TEST_F(Device, WindowIsShownOnce)
{
    EXPECT_TRUE(GR_D3D_ShowWindowOnce());
    EXPECT_FALSE(GR_D3D_ShowWindowOnce());
    EXPECT_FALSE(GR_D3D_ApplyPendingReset()); // windowed: nothing to leave
    EXPECT_TRUE(Recorded().resets.empty());
}

class FullScreen : public DeviceTest {
    uint32_t Flags() const override { return D3D_FLAG_FULLSCREEN; }
};

TEST_F(FullScreen, ModalWindowLeavesFullScreenAndReopensTheFrame)
{
    EXPECT_TRUE(g_D3D.fullscreen);
    EXPECT_EQ(1024, g_D3D.backBufferWidth); // the display's size
    ASSERT_TRUE(GR_StartFrame());
    EXPECT_TRUE(GR_D3D_ApplyPendingReset());
    EXPECT_FALSE(g_D3D.fullscreen);
    ASSERT_EQ(1u, Recorded().resets.size());
    EXPECT_TRUE(Recorded().resets[0].windowed);
    EXPECT_EQ(640, Recorded().resets[0].backBufferWidth);
    EXPECT_EQ(1, g_D3D.sceneDepth);
    EXPECT_EQ(0, Recorded().presents); // the frame was ended without presenting
    EXPECT_EQ(D3D_STYLE_FIXED, g_D3D.windowStyle);
}

TEST_F(Device, ResizableHeaderGivesTheSizingStyle)
{
    uint32_t saved = g_GameHeader.infoFlags;
    g_GameHeader.infoFlags = D3D_WINDOW_RESIZABLE_FLAG;
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(D3D_STYLE_RESIZABLE, g_D3D.windowStyle);
    g_GameHeader.infoFlags = saved;
}

} // namespace
