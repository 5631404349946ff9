// The device layer on the recording device: creation and its fall-backs, frames, targets, display
// modes, the state cache, the vertex batch and device textures.
#include <array>
#include <cstring>
#include <tuple>

#include "../TestSupport_Builtins.h"
#include "Graphics_FakeDevice.h"
#include "Graphics_TestImages.h"
#include "buffer/Buffer_Vertex.h"
#include "code/Code_Function.h"
#include "graphics/Graphics_DeviceAll.h"
#include "graphics/Graphics_DisplayModes.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_VertexFormat.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform_MemoryManager.h"

using namespace fake;
using std::make_tuple;

namespace {

// The device's current render target.
D3DSurface* Target() { return static_cast<fake::Device*>(GR_D3D_Device())->Target(); }

std::string CreationLog(uint32_t flags, bool expected)
{
    LogCapture capture;
    EXPECT_EQ(expected, GR_InitDevice(640, 480, flags));
    return capture.Text();
}

class Creation : public DeviceTest {
    bool Create() const override { return false; }
};

TEST_F(Creation, FailedHardwareDeviceFallsBackToD16AndSoftwareProcessing)
{
    Settings().failCreateDevice = 1;
    std::string log = CreationLog(D3D_FLAG_VSYNC | D3D_FLAG_INTERPOLATE, true);
    size_t first =
        log.find("Creating D3D device - ARGB=32bit, D24S8, SwapEffect=Copy, Hardware vertex processing\n");
    size_t second =
        log.find("Creating D3D device - ARGB=32bit, D16, SwapEffect=Discard, Software Vertex Processing\n");
    ASSERT_NE(std::string::npos, second);
    EXPECT_LT(first, second);
    const auto& r = Recorded().resets;
    ASSERT_EQ(2u, r.size());
    EXPECT_EQ(make_tuple(D3DFMT_D24S8, D3DFMT_D16, D3DSWAPEFFECT_DISCARD, D3DPRESENT_INTERVAL_DEFAULT),
              make_tuple(r[0].autoDepthStencilFormat, r[1].autoDepthStencilFormat, r[1].swapEffect,
                         r[1].presentationInterval));
    // The first device creation clears the back buffer and applies the defaults.
    ASSERT_FALSE(Recorded().clears.empty());
    EXPECT_EQ(D3DBLEND_INVSRCALPHA, Recorded().LastValue(D3DRS_DESTBLEND));
    EXPECT_EQ(make_tuple(true, 0x6u), make_tuple(GR_Texture_GetInterpolation(), g_D3D.multisampleMask));
}

TEST_F(Creation, MissingInterfaceIsReportedAndFails)
{
    Settings().failInterface = true;
    EXPECT_NE(std::string::npos, CreationLog(0, false).find("Failed to create Direct3D 9 device"));
    EXPECT_EQ(nullptr, GR_D3D_Device());
}

class Device : public DeviceTest {};

TEST_F(Device, MultisampleRequestsWaitForTheResetAndLostDevicesAreReset)
{
    Display_SetMultisample(4);
    EXPECT_EQ(make_tuple(4, D3DSWAPEFFECT_DISCARD), make_tuple(g_D3D.multiSample, g_D3D.swapEffect));
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(4, Recorded().resets.back().multiSampleType);
    // More samples than the adapter offers: none, before the first attempt.
    Display_SetMultisample(8);
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(make_tuple(0, D3DSWAPEFFECT_COPY),
              make_tuple(Recorded().resets.back().multiSampleType, Recorded().resets.back().swapEffect));
    Display_SetVSync(true); // taken at the reset too
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(D3DPRESENT_INTERVAL_DEFAULT, Recorded().resets.back().presentationInterval);

    Settings().cooperativeLevel = D3DERR_DEVICENOTRESET;
    ASSERT_TRUE(GR_StartFrame());
    EXPECT_EQ(make_tuple(size_t(4), 1), make_tuple(Recorded().resets.size(), g_D3D.sceneDepth));
    EXPECT_FALSE(GR_StartFrame()); // already open
}

TEST_F(Device, TargetStackHoldsEightPairsAndRestoresThemInTurn)
{
    D3DSurface* back = Target();
    std::vector<DeviceTexture*> surfaces;
    for (int32_t i = 0; i < 8; ++i) {
        surfaces.push_back(GR_Texture_Create(16, 16, 1, true, TEXTURE_FORMAT_A8R8G8B8));
        ASSERT_TRUE(GR_Surface_PushTarget()) << i;
        ASSERT_TRUE(GR_Surface_SetTarget(0, surfaces.back()));
    }
    EXPECT_FALSE(GR_Surface_PushTarget());
    ASSERT_TRUE(GR_Surface_PopTarget());
    EXPECT_EQ(surfaces[6]->renderTarget, Target());
    GR_Surface_PopAllTargets();
    EXPECT_EQ(back, Target());
    EXPECT_FALSE(GR_Surface_PopTarget());
    for (DeviceTexture* s : surfaces) GR_Texture_Free(s);
}

class FullScreen : public DeviceTest {
    uint32_t Flags() const override { return D3D_FLAG_FULLSCREEN; }
};

// How one frame's picture reached the back buffer: whether it was copied there from the screen's
// render target, and how many clears and drawn quads the pass made.
std::tuple<bool, size_t, size_t> PresentPass(bool present = false)
{
    EXPECT_TRUE(GR_StartFrame());
    Recorded().stretches.clear();
    Recorded().clears.clear();
    Recorded().draws.clear();
    EXPECT_TRUE(GR_EndFrame(present));
    D3DSurface* back = nullptr;
    EXPECT_EQ(D3D_OK, GR_D3D_Device()->GetBackBuffer(&back));
    back->Release();
    std::vector<std::pair<const void*, const void*>> copy = {{g_D3D.screenTexture->renderTarget, back}};
    size_t quads = 0;
    for (const Draw& d : Recorded().draws) quads += d.userPointer ? 1 : 0;
    return make_tuple(Recorded().stretches == copy, Recorded().clears.size(), quads);
}

TEST_F(Device, APictureThatFillsTheBackBufferIsCopiedThereWithoutClearOrQuad)
{
    EXPECT_EQ(make_tuple(true, size_t(0), size_t(0)), PresentPass());
    // Stretched to another back-buffer size it is drawn over the window colour again.
    g_D3D.backBufferWidth = 800;
    EXPECT_EQ(make_tuple(false, size_t(1), size_t(1)), PresentPass());
}

// A picture that fills the back buffer is shown from the screen's render target when the device can,
// and copied to the back buffer when it cannot or when the frame is not presented.
TEST_F(Device, APictureThatFillsTheBackBufferIsShownFromWhereItWasDrawn)
{
    struct Case {
        bool present, deviceShowsOthers;
        int32_t backWidth;
        bool copied;
        size_t shownFromScreen;
        int32_t presents;
    };
    const Case cases[] = {
        {true, true, 640, false, 1, 0},   // shown from the screen's target: no copy
        {true, false, 640, true, 0, 1},   // the device refuses: copied, then the back buffer shown
        {false, true, 640, true, 0, 0},   // not presented: the back buffer holds the picture
        {true, true, 800, false, 0, 1},   // letterboxed into the back buffer, shown from there
    };
    for (const Case& c : cases) {
        Settings().presentsOtherSurfaces = c.deviceShowsOthers;
        g_D3D.backBufferWidth = c.backWidth;
        Recorded().presents = 0;
        Recorded().presentedFrom.clear();
        bool copied = std::get<0>(PresentPass(c.present));
        std::vector<const void*> screen(c.shownFromScreen, g_D3D.screenTexture->renderTarget);
        EXPECT_EQ(make_tuple(c.copied, screen, c.presents),
                  make_tuple(copied, Recorded().presentedFrom, Recorded().presents))
            << c.present << c.deviceShowsOthers << c.backWidth;
    }
}

TEST_F(FullScreen, ModalWindowLeavesFullScreenAndReopensTheFrame)
{
    EXPECT_EQ(1024, g_D3D.backBufferWidth); // the display's size
    ASSERT_TRUE(GR_StartFrame());
    EXPECT_TRUE(GR_D3D_ApplyPendingReset());
    EXPECT_FALSE(g_D3D.fullscreen);
    ASSERT_EQ(1u, Recorded().resets.size());
    EXPECT_EQ(make_tuple(true, 640), make_tuple(Recorded().resets[0].windowed, Recorded().resets[0].backBufferWidth));
    EXPECT_EQ(make_tuple(1, 0), make_tuple(g_D3D.sceneDepth, Recorded().presents)); // ended without presenting
}

DisplayModeRecord Mode(int32_t w, int32_t h, int32_t bits, int32_t hz)
{
    return DisplayModeRecord{int16_t(w), int16_t(h), uint8_t(bits), uint8_t(hz), 0, 0};
}

TEST(DisplayModes, ChoiceAndSettings)
{
    // The smallest mode holding the size; larger than every mode, the nearest area, where 32 bits beat
    // 16, then 60 Hz beats 85 Hz.
    const DisplayModeRecord modes[] = {Mode(1024, 768, 32, 60),  Mode(640, 480, 32, 60),  Mode(800, 600, 32, 60),
                                       Mode(1280, 1024, 16, 60), Mode(1280, 1024, 32, 85), Mode(1280, 1024, 32, 60)};
    const std::tuple<int32_t, int32_t, int32_t, const DisplayModeRecord*> cases[] = {
        {3, 700, 500, &modes[2]}, {0, 800, 600, nullptr}, {6, 2000, 2000, &modes[5]}};
    for (auto [count, w, h, chosen] : cases) EXPECT_EQ(chosen, GR_D3D_ChooseMode(modes, count, w, h)) << w;
    DisplaySettings s = Display_MakeSettings(800, -1, 60, 0);
    EXPECT_EQ(uint32_t(DISPLAY_FIELD_WIDTH | DISPLAY_FIELD_FREQUENCY), s.fields);
}

TEST_F(Device, ModesAreTestedAgainstTheDisplays)
{
    EXPECT_TRUE(Display_TestAll(1024, 768, 0, 32));
    EXPECT_FALSE(Display_TestAll(1025, 768, 0, 32));
    // The offscreen display reports no refresh rate: it reads as -1, and no rate is taken as its own.
    EXPECT_EQ(-1, Display_GetFrequency());
    EXPECT_FALSE(Display_SetFrequency(75) || Display_TestAll(0, 0, 75, 0));
}

// A display with several modes whose switches are recorded; whether it may switch at all is set.
class FakeDisplay : public DisplayPlatform {
public:
    std::vector<PlatformDisplayMode> modes = {
        {1024, 768, 32, 60}, {800, 600, 32, 60}, {800, 600, 16, 60}, {800, 600, 32, 75}, {640, 480, 32, 60}};
    PlatformDisplayMode current = modes[0];
    bool canSwitch = true;
    int32_t restores = 0;

    int32_t Count() override { return 1; }
    bool Desktop(int32_t, PlatformDesktop* desktop) override
    {
        desktop->mode = current;
        return true;
    }
    std::vector<PlatformDisplayMode> Modes(int32_t) override { return modes; }
    bool CanSwitchModes() override { return canSwitch; }
    bool SwitchMode(const PlatformDisplayMode& mode) override
    {
        current = mode;
        return true;
    }
    void RestoreMode() override
    {
        current = modes[0];
        ++restores;
    }
    bool MousePosition(int32_t*, int32_t*) override { return false; }
    void MoveMouse(int32_t, int32_t) override {}
};

class ModeSwitch : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        DisplayPlatform_Replace(&m_Display);
    }
    void TearDown() override
    {
        DeviceTest::TearDown();
        DisplayPlatform_Replace(nullptr);
        GR_Window_SetFullscreen(false);
        GR_D3D_TakeWindowRequests();
    }
    // As the next frame takes a script's full-screen request.
    void FullScreen(bool on)
    {
        GR_Window_SetFullscreen(on);
        GR_D3D_TakeWindowRequests();
        GR_Reset();
    }
    std::tuple<int32_t, int32_t, int32_t, int32_t> Current() const
    {
        const PlatformDisplayMode& m = m_Display.current;
        return {m.width, m.height, m.bitsPerPixel, m.refreshRate};
    }
    FakeDisplay m_Display;
};

TEST_F(ModeSwitch, ListedModesAreSwitchedToInFullScreenOnlyAndTheDesktopComesBack)
{
    using testsupport::CallReal;
    // In a window only the mode on screen is accepted.
    EXPECT_EQ((std::vector<double>{0, 1, 1}),
              (std::vector<double>{CallReal("display_set_size", {800, 600}), CallReal("display_set_size", {1024, 768}),
                                   CallReal("display_test_all", {800, 600, 75, 32})}));
    EXPECT_EQ(make_tuple(1024, 768, 32, 60), Current());

    FullScreen(true);
    // Each call answers, switches and resets the device; what a call leaves out is kept from the
    // current mode where the list allows it.
    const std::tuple<const char*, std::vector<testsupport::TestArg>, double, std::tuple<int32_t, int32_t, int32_t, int32_t>>
        steps[] = {
            {"display_set_size", {800, 600}, 1, {800, 600, 32, 60}},
            {"display_set_colordepth", {16}, 1, {800, 600, 16, 60}},
            {"display_set_frequency", {75}, 1, {800, 600, 32, 75}},
            {"display_set_size", {1000, 1000}, 0, {800, 600, 32, 75}},
            {"display_set_all", {640, 480, 0, 32}, 1, {640, 480, 32, 60}},
            {"display_set_frequency", {85}, 0, {640, 480, 32, 60}},
        };
    for (const auto& [name, args, answer, mode] : steps) {
        size_t resets = Recorded().resets.size();
        EXPECT_EQ(answer, CallReal(name, args)) << name;
        EXPECT_EQ(mode, Current()) << name;
        ASSERT_EQ(resets + 1, Recorded().resets.size()) << name;
        EXPECT_EQ(std::get<0>(mode), Recorded().resets.back().backBufferWidth) << name;
    }
    EXPECT_EQ(0, m_Display.restores);
    FullScreen(false);
    EXPECT_EQ(make_tuple(1024, 768, 32, 60, 1), std::tuple_cat(Current(), std::tuple(m_Display.restores)));

    // A display that refuses switches (Wayland) answers as a window does; a switched mode is
    // given back at shut-down too.
    FullScreen(true);
    m_Display.canSwitch = false;
    EXPECT_EQ(0, CallReal("display_set_size", {800, 600}));
    m_Display.canSwitch = true;
    EXPECT_EQ(1, CallReal("display_set_size", {800, 600}));
    GR_D3D_Shutdown();
    EXPECT_EQ(make_tuple(1024, 768, 32, 60, 2), std::tuple_cat(Current(), std::tuple(m_Display.restores)));
}

// A display call in the step that asked for full screen (or for a window) answers for that request,
// and the reset it makes keeps the mode it chose.
TEST_F(ModeSwitch, DisplayCallsSeeTheFullScreenRequestOfTheSameStep)
{
    using testsupport::CallReal;
    const std::tuple<bool, const char*, std::vector<testsupport::TestArg>, double, std::tuple<int32_t, int32_t, int32_t, int32_t>>
        steps[] = { // full screen asked for, call, answer, mode after it
            {true, "display_set_size", {800, 600}, 1, {800, 600, 32, 60}},
            {true, "display_set_colordepth", {16}, 1, {800, 600, 16, 60}}, // no 1024x768 in 16 bits
            {true, "display_set_frequency", {75}, 1, {800, 600, 32, 75}},
            {true, "display_set_all", {640, 480, 0, 32}, 1, {640, 480, 32, 60}},
            {false, "display_set_size", {800, 600}, 0, {1024, 768, 32, 60}},
        };
    for (const auto& [full, name, args, answer, mode] : steps) {
        FullScreen(!full);
        GR_Window_SetFullscreen(full);
        EXPECT_EQ(answer, CallReal(name, args)) << name;
        EXPECT_EQ(mode, Current()) << name;
        EXPECT_EQ(full, g_D3D.fullscreen) << name;
        if (full) {
            EXPECT_EQ(std::get<0>(mode), Recorded().resets.back().backBufferWidth) << name;
        }
    }
}

// A display that reports no refresh rate reads as -1, and no rate is taken as the one asked for.
TEST_F(ModeSwitch, AnUnknownRefreshRateMatchesNoFrequency)
{
    m_Display.modes = {{1024, 768, 32, 0}};
    m_Display.current = m_Display.modes[0];
    FullScreen(true);
    EXPECT_EQ(make_tuple(-1, false, false, true),
              make_tuple(Display_GetFrequency(), Display_SetFrequency(75), Display_TestAll(0, 0, 75, 0),
                         Display_SetAll(1024, 768, 0, 32)));
}

// ---- the state cache ----

class NoFogDevice : public DeviceTest {
    void Configure(Config& c) override { c.rasterCaps = 0; }
};

TEST_F(NoFogDevice, FogStaysOff)
{
    GR_3D_SetFog(true, 0xFFFFFF, 0.0, 1.0);
    Graphics::Flush();
    EXPECT_FALSE(g_RenderSettings.fog || Recorded().Sent(D3DRS_FOGENABLE) || GR_RenderStateCache_Pending());
}

TEST_F(Device, SystemNumbersMapToDeviceStatesThroughTheShadow)
{
    // System number, value, the device state and what it receives (none: nothing new is sent).
    const std::tuple<int32_t, uint32_t, int32_t, int64_t> cases[] = {
        {8, 1, D3DRS_CULLMODE, D3DCULL_CW},           {8, 0, D3DRS_CULLMODE, D3DCULL_NONE},
        {8, 7, D3DRS_CULLMODE, -1},                   {6, 40, D3DRS_SRCBLEND, D3DBLEND_ZERO},
        {2, 2, D3DRS_FILLMODE, D3DFILL_WIREFRAME},    {11, 9, D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
        {16, 7, D3DRS_FOGTABLEMODE, D3DFOG_LINEAR},   {24, 0x13, D3DRS_COLORWRITEENABLE, 0x3},
        {9, 1, D3DRS_CULLMODE, -1},                   {25, 1, D3DRS_CULLMODE, -1}};
    for (auto [number, value, state, sent] : cases) {
        size_t before = Recorded().renderStates.size();
        GR_D3D_SetRenderState(number, value);
        if (sent < 0) EXPECT_EQ(before, Recorded().renderStates.size()) << number << " = " << value;
        else EXPECT_EQ(uint32_t(sent), Recorded().LastValue(state)) << number << " = " << value;
    }
    GR_D3D_SetSamplerSetting(3, 0, 1);
    GR_D3D_SetSamplerSetting(1, 3, 5);
    GR_D3D_SetSamplerSetting(0, 4, 1);
    std::vector<std::vector<uint32_t>> want = {{3, D3DSAMP_MAGFILTER, D3DTEXF_POINT},
                                               {1, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP}};
    EXPECT_EQ(want, Recorded().samplerStates);
    // Clears swap red and blue and clear the whole depth; no flags, nothing.
    GR_D3D_Clear(0x80112233u, 0.5f, 9, 1);
    GR_D3D_Clear(0x80112233u, 0.5f, 9, 0);
    EXPECT_EQ((std::vector<std::vector<uint32_t>>{{1u, 0x80332211u}}), Recorded().clears);
}

// The magnification filter last sent for stage 0: linear or point.
uint32_t StageZeroFilter()
{
    uint32_t filter = 0;
    for (const std::vector<uint32_t>& s : Recorded().samplerStates)
        if (s[0] == 0 && s[1] == D3DSAMP_MAGFILTER) filter = s[2];
    return filter;
}

// A device reset re-applies the game's interpolation option over the script's last choice; the
// window-space pass that ends each presented frame keeps the script's choice.
TEST_F(Creation, ResetReappliesTheGamesInterpolationOption)
{
    for (bool option : {false, true}) {
        ASSERT_TRUE(GR_InitDevice(640, 480, option ? uint32_t(D3D_FLAG_INTERPOLATE) : 0u));
        Recorded() = Log{};
        GR_Texture_SetInterpolation(!option);
        GR_D3D_PushWindowOrtho();
        GR_D3D_PopWindowOrtho();
        Graphics::Flush();
        EXPECT_EQ(!option, GR_Texture_GetInterpolation()) << "option " << option;
        EXPECT_EQ(option ? D3DTEXF_POINT : D3DTEXF_LINEAR, StageZeroFilter()) << "option " << option;
        ASSERT_TRUE(GR_Reset());
        EXPECT_EQ(option, GR_Texture_GetInterpolation()) << "option " << option;
        EXPECT_EQ(option ? D3DTEXF_LINEAR : D3DTEXF_POINT, StageZeroFilter()) << "option " << option;
        GR_D3D_Shutdown();
    }
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
    EXPECT_TRUE(Recorded().clears.empty() && Recorded().renderStates.empty());
    EXPECT_TRUE(GR_RenderStateCache_Pending()); // the cache is as it was
    ASSERT_EQ(2u, Recorded().resets.size());
    EXPECT_EQ(make_tuple(D3DSWAPEFFECT_DISCARD, 0),
              make_tuple(Recorded().resets[1].swapEffect, Recorded().resets[1].multiSampleType));
}

// ---- the batch ----

class Batch : public DeviceTest {
  protected:
    DeviceTexture* MakeTexture()
    {
        return m_Textures.emplace_back(GR_Texture_Create(8, 8, 1, false, TEXTURE_FORMAT_A8R8G8B8));
    }
    void TearDown() override
    {
        for (DeviceTexture* t : m_Textures) GR_Texture_Free(t);
        DeviceTest::TearDown();
    }
    static auto Of(const Draw& d) { return make_tuple(d.type, d.primitives, d.fvf, d.stride, d.texture); }
    std::vector<DeviceTexture*> m_Textures;
};

class StaticBuffers : public Batch {
    void Configure(Config& c) override { c.failDynamicBuffers = true; }
};

TEST_F(StaticBuffers, BufferFallsBackToAWriteOnlyOne)
{
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 3);
    Graphics::Flush();
    EXPECT_EQ((std::vector<uint32_t>{uint32_t(D3DUSAGE_WRITEONLY)}), Recorded().bufferUsages);
    EXPECT_EQ(0u, g_VertexBuffers->flags & VERTEX_BUFFER_DYNAMIC);
}

// Every pooled buffer holds its whole capacity: the device was asked for capacity x stride bytes.
void ExpectBuffersHoldTheirCapacity()
{
    for (VertexBufferRecord* r = g_VertexBuffers; r != nullptr; r = r->next)
        EXPECT_EQ(size_t(r->capacity) * size_t(r->stride), static_cast<fake::Buffer*>(r->buffer)->bytes.size());
}

TEST_F(Batch, RequestsBeyondTheLimitGetNoRoomAndLeaveTheOpenBatchAsItIs)
{
    // 178,956,971 textured vertices are 2^32 + 8 bytes.
    for (int32_t count : {VERTEX_REQUEST_MAX, VERTEX_REQUEST_MAX + 1, 178956971, -1}) {
        bool fits = count == VERTEX_REQUEST_MAX;
        ASSERT_NE(nullptr, Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 6));
        auto* room = static_cast<TexturedVertex*>(Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, count));
        EXPECT_EQ(fits, room != nullptr) << count;
        if (room != nullptr && fits) room[count - 1] = TexturedVertex{1, 2, 3, 4, 5, 6};
        if (room == nullptr) {
            // The six before and six after are one draw.
            ASSERT_NE(nullptr, Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 6));
            Graphics::Flush();
            ASSERT_EQ(1u, Recorded().draws.size()) << count;
            EXPECT_EQ(4u, Recorded().draws[0].primitives) << count;
        }
        ExpectBuffersHoldTheirCapacity();
        Graphics::Flush();
        Graphics::EndFrame();
        Recorded().draws.clear();
    }
}

// Forty requests of the largest size in one frame (240 MiB of vertices): the pool stops at its budget
// and reuses a buffer, each lock of it discarding, and every draw still reads its own vertices.
TEST_F(Batch, AFrameOfManyRequestsReusesItsBuffersPastThePoolBudget)
{
    const int32_t requests = 40, size = VERTEX_REQUEST_MAX / 3 * 3;
    for (int32_t i = 0; i < requests; ++i) {
        auto* v = static_cast<TexturedVertex*>(Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, size));
        ASSERT_NE(nullptr, v);
        v[0].x = v[size - 1].x = float(i);
        Graphics::Flush();
        ASSERT_EQ(1u, Recorded().draws.size());
        std::vector<TexturedVertex> drawn(Recorded().draws[0].bytes.size() / sizeof(TexturedVertex));
        std::memcpy(static_cast<void*>(drawn.data()), Recorded().draws[0].bytes.data(), drawn.size() * sizeof drawn[0]);
        ASSERT_EQ(size_t(size), drawn.size());
        EXPECT_EQ(std::make_pair(float(i), float(i)), std::make_pair(drawn.front().x, drawn.back().x));
        Recorded().draws.clear();
    }
    uint64_t pool = 0;
    size_t locks = 0;
    for (VertexBufferRecord* r = g_VertexBuffers; r != nullptr; r = r->next) {
        pool += uint64_t(r->capacity) * uint64_t(r->stride);
        for (uint32_t flags : static_cast<fake::Buffer*>(r->buffer)->lockFlags) {
            EXPECT_EQ(uint32_t(D3DLOCK_DISCARD), flags);
            ++locks;
        }
    }
    EXPECT_LE(pool, VERTEX_POOL_BUDGET);
    EXPECT_EQ(size_t(requests), locks);
}

// The vertices of a draw, each as its x.
std::vector<float> DrawnXs(const Draw& d)
{
    std::vector<float> xs;
    for (size_t at = 0; at + d.stride <= d.bytes.size(); at += d.stride) {
        float x;
        std::memcpy(&x, d.bytes.data() + at, sizeof x);
        xs.push_back(x);
    }
    return xs;
}

// The primitives a draw of the type makes from its vertices, each as its vertices' x (-1 for none),
// a strip's triangles turned to one winding.
std::vector<std::array<float, 3>> Primitives(int32_t type, const std::vector<float>& x)
{
    std::vector<std::array<float, 3>> out;
    size_t n = x.size();
    for (size_t i = 0; i < n; ++i) {
        if (type == D3DPT_POINTLIST) out.push_back({x[i], -1, -1});
        if (type == D3DPT_LINELIST && i % 2 == 1) out.push_back({x[i - 1], x[i], -1});
        if (type == D3DPT_LINESTRIP && i >= 1) out.push_back({x[i - 1], x[i], -1});
        if (type == D3DPT_TRIANGLELIST && i % 3 == 2) out.push_back({x[i - 2], x[i - 1], x[i]});
        if (type == D3DPT_TRIANGLESTRIP && i >= 2)
            out.push_back(i % 2 == 0 ? std::array<float, 3>{x[i - 2], x[i - 1], x[i]}
                                     : std::array<float, 3>{x[i - 1], x[i - 2], x[i]});
        if (type == D3DPT_TRIANGLEFAN && i >= 2) out.push_back({x[0], x[i - 1], x[i]});
    }
    return out;
}

// The primitives of every draw recorded, in order; each draw within one request's size.
std::vector<std::array<float, 3>> DrawnPrimitives()
{
    std::vector<std::array<float, 3>> all;
    for (const Draw& d : Recorded().draws) {
        std::vector<float> xs = DrawnXs(d);
        EXPECT_LE(xs.size(), size_t(VERTEX_REQUEST_MAX));
        for (const auto& p : Primitives(d.type, xs)) all.push_back(p);
    }
    Recorded().draws.clear();
    return all;
}

std::vector<float> Numbered(int64_t count)
{
    std::vector<float> xs(static_cast<size_t>(count));
    for (size_t i = 0; i < xs.size(); ++i) xs[i] = float(i);
    return xs;
}

TEST_F(Batch, PiecesOfALongPrimitiveDrawWhatTheWholeWould)
{
    for (int64_t count : {int64_t(5), int64_t(VERTEX_REQUEST_MAX) + 1, 2 * int64_t(VERTEX_REQUEST_MAX) + 5}) {
        std::vector<float> xs = Numbered(count);
        std::vector<ColouredVertex> whole(xs.size());
        for (size_t i = 0; i < xs.size(); ++i) whole[i] = ColouredVertex{xs[i], 0, 0, 0xFFFFFFFFu};
        for (int32_t type = D3DPT_POINTLIST; type <= D3DPT_TRIANGLEFAN; ++type) {
            Graphics::AddVerts(type, nullptr, VERTEX_SIZE_COLOURED, whole.data(), count);
            Graphics::Flush();
            EXPECT_TRUE(DrawnPrimitives() == Primitives(type, xs)) << "type " << type << ", " << count << " vertices";
            Graphics::EndFrame();
        }
    }
}

// vertex_submit of a buffer longer than one request: a strip drawn in pieces that go on from each other.
TEST_F(Batch, ASubmittedVertexBufferGoesOutInPieces)
{
    testsupport::RegisterBuiltins();
    auto* format = new VertexFormat();
    VertexFormat_AddElement(format, VERTEX_TYPE_FLOAT2, VERTEX_USAGE_POSITION, 1);
    int32_t handle = VertexFormat_Add(format);
    VertexFormat_CreateDeclaration(format);
    int32_t b = int32_t(testsupport::CallReal("vertex_create_buffer", {}));
    testsupport::CallReal("vertex_begin", {b, handle});
    int32_t id = -1;
    ASSERT_TRUE(Code_Function_Find("vertex_position", &id));
    BuiltinRoutine position = Function_Get(id)->routine;
    const int64_t count = int64_t(VERTEX_REQUEST_MAX) + 3;
    for (int64_t i = 0; i < count; ++i) {
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        ScriptValue args[3] = {{VALUE_REAL, 0, double(b)}, {VALUE_REAL, 0, double(i)}, {VALUE_REAL, 0, 0.0}};
        position(&result, nullptr, nullptr, 3, args);
    }
    testsupport::CallReal("vertex_end", {b});
    testsupport::CallReal("vertex_submit", {b, D3DPT_TRIANGLESTRIP, -1});
    Graphics::Flush();
    EXPECT_EQ(2u, Recorded().draws.size());
    EXPECT_TRUE(DrawnPrimitives() == Primitives(D3DPT_TRIANGLESTRIP, Numbered(count)));
    VertexBuilder_DeleteAll();
    VertexFormat_FreeAll();
}

// ---- device textures ----

std::vector<uint8_t> RawBlock(uint32_t width, uint32_t height, uint32_t kind, const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> block;
    for (uint32_t word : {0x20574152u, width, height, kind})
        for (int i = 0; i < 4; ++i) block.push_back(uint8_t(word >> (8 * i)));
    block.insert(block.end(), pixels.begin(), pixels.end());
    return block;
}

const std::vector<uint8_t>& Bytes(DeviceTexture* t) { return static_cast<fake::Texture*>(t->texture)->bytes; }

DeviceTexture* FromData(const std::vector<uint8_t>& data, DeviceTextureInfo* info = nullptr)
{
    return GR_Texture_CreateFromData(data.data(), int32_t(data.size()), info, 0);
}

TEST_F(Device, OrdinaryTexturesAreRoundedToPowersOfTwoAndTargetsAreNot)
{
    DeviceTexture* t = GR_Texture_Create(100, 33, 1, false, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(make_tuple(128, 64, 1), make_tuple(DeviceTexture_Width(t), DeviceTexture_Height(t), DeviceTexture_Levels(t)));
    GR_Texture_Free(t);
    EXPECT_EQ(make_tuple(4096, g_D3D.screenTexture), make_tuple(Texture_RoundSide(5000), g_DeviceTextures));

    DeviceTexture* target = GR_Texture_Create(100, 33, 1, true, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_NE(nullptr, target);
    EXPECT_EQ((std::vector<int32_t>{100, 33, 0}), Recorded().renderTargets.back());
    // Resolved into the texture when staged, and only once.
    ASSERT_TRUE(GR_Surface_SetTarget(0, target));
    GR_Texture_SetStage(0, target);
    GR_Texture_SetStage(0, target);
    EXPECT_EQ(1u, Recorded().stretches.size());
    GR_Texture_SetStage(0, nullptr);
    GR_Texture_Free(target);
    EXPECT_EQ(nullptr, GR_Texture_Create(8193, 16, 1, true, TEXTURE_FORMAT_A8R8G8B8));
    EXPECT_EQ(nullptr, GR_Texture_Create(0, 16, 1, false, TEXTURE_FORMAT_A8R8G8B8));
}

TEST_F(Device, RawBlocksBecomeTexturesWithTheirChannelsReordered)
{
    std::vector<uint8_t> block = RawBlock(2, 1, 0, {1, 2, 3, 4, 5, 6, 7, 8});
    const std::vector<uint8_t> original = block;
    DeviceTextureInfo info;
    DeviceTexture* t = FromData(block, &info);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(original, block); // the game file is never written
    EXPECT_EQ((std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}), std::vector<uint8_t>(Bytes(t).begin(), Bytes(t).begin() + 8));
    EXPECT_EQ(make_tuple(64, -1, 6), make_tuple(info.width, info.resourceType, info.imageFormat));
    GR_Texture_Free(t);

    // Pictures wider than the largest texture keep what fits.
    std::vector<uint32_t> wide(5000 * 2, 0xFF00FF00u);
    t = GR_Texture_CreateFromPixels(wide.data(), 5000, 2, &info);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(make_tuple(4096, size_t(4096u * 64u * 4u)), make_tuple(info.width, Bytes(t).size()));
    EXPECT_EQ(0xFF, Bytes(t)[4096 * 4 + 4095 * 4 + 3]);
    EXPECT_EQ(0x00, Bytes(t)[4096 * 4 * 2]); // the third row was never written
    GR_Texture_Free(t);
}

TEST_F(Device, MalformedTextureDataIsRefused)
{
    std::vector<uint8_t> kind2 = RawBlock(1, 1, 2, {0, 0, 0, 0});
    const std::vector<uint8_t> png = testimages::MakeRgbaPng(3, 5, std::vector<uint8_t>(3 * 5 * 4, 200));
    const std::vector<uint8_t> cases[] = {kind2,
                                          RawBlock(4, 4, 0, std::vector<uint8_t>(63, 0)), // short
                                          RawBlock(0x7FFFFFFF, 0x7FFFFFFF, 0, {}),
                                          RawBlock(4097, 1, 0, std::vector<uint8_t>(4097 * 4, 0)),
                                          std::vector<uint8_t>(kind2.begin(), kind2.begin() + 10),
                                          {'n', 'o', 'p', 'e', 0, 1, 2},
                                          std::vector<uint8_t>(png.begin(), png.begin() + 40)};
    for (const auto& data : cases) EXPECT_EQ(nullptr, FromData(data)) << data.size();
    EXPECT_EQ(g_D3D.screenTexture, g_DeviceTextures);

    // Image files take the power of two above their size.
    DeviceTextureInfo info;
    DeviceTexture* t = FromData(png, &info);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(make_tuple(4, 8, 3, 5, 3, uint8_t(200)),
              make_tuple(DeviceTexture_Width(t), DeviceTexture_Height(t), info.width, info.height, info.resourceType,
                         Bytes(t)[0]));
    GR_Texture_Free(t);
}

} // namespace
