// Creation, presenting (with the capture switch and letterboxing), resets and read-backs of the
// OpenGL device.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include <SDL.h>
#include <epoxy/gl.h>

#include "GLDeviceFixture.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_DeviceAll.h"
#include "graphics/Graphics_DisplayModes.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform_Bitmap.h"

using namespace gltest;
using std::make_tuple;

namespace {

auto ScreenSize()
{
    int32_t w = 0, h = 0;
    GR_GetScreenSize(&w, &h);
    return make_tuple(w, h);
}

TEST(DeviceCreation, LogsEveryStepAndClampsToTheDisplay)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    TestSwitches_Reload();
    GR_RenderState_Init();
    ASSERT_TRUE(CreateMainWindow(640, 480));
    std::string log;
    {
        LogCapture capture;
        ASSERT_TRUE(GR_InitDevice(5000, 5000, 0));
        log = capture.Text();
    }
    size_t at = 0;
    for (const char* step : {"Create D3D9 interface\n", "Enumerate Adapters\n", "Selected Resolution: 1024x768\n",
                             "Get Current Desktop Display Mode\n", "Prepare to create device\n",
                             "Creating D3D device - ARGB=32bit, D24S8, SwapEffect=Copy, Hardware vertex processing\n",
                             "Creating screen render target\n", "Get Device Caps\n",
                             "Graphics initialisation end...\n"}) {
        size_t found = log.find(step, at);
        ASSERT_NE(std::string::npos, found) << "missing or out of order: " << step << "in\n" << log;
        at = found + std::strlen(step);
    }
    // The offscreen display is 1024 x 768: a larger request is cut to it.
    EXPECT_EQ(make_tuple(1024, 768), ScreenSize());
    EXPECT_EQ(1024, DeviceTexture_Width(g_D3D.screenTexture));
    EXPECT_NE(0u, g_D3D.multisampleMask & 4u); // llvmpipe offers 4 samples
    GR_D3D_Shutdown();
    MainWindow_Destroy();
}

// The picture presented at frame 0 is written to a file of the test's own (the capture switch).
class Capture : public DeviceTest {
  protected:
    void SetUp() override
    {
        m_Path = (std::filesystem::temp_directory_path() /
                  ("kelvaro_gldevice_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) +
                   "_" + std::to_string(getpid()) + ".png"))
                     .string();
        setenv("KELVARO_CAPTURE", ("0:" + m_Path).c_str(), 1);
        DeviceTest::SetUp();
    }
    void TearDown() override
    {
        DeviceTest::TearDown();
        unsetenv("KELVARO_CAPTURE");
        TestSwitches_Reload();
        std::filesystem::remove(m_Path);
    }
    // Presents a green frame with `draw` in it and checks the captured picture's probes.
    void PresentAndExpect(int32_t width, int32_t height, const std::vector<Probe>& probes, void (*draw)() = [] {})
    {
        GR_Window_SetColour(0x0000FF); // red around the picture
        ASSERT_TRUE(GR_StartFrame());
        GR_D3D_Clear(GREEN, 1.0f, 0, 1);
        draw();
        ASSERT_TRUE(GR_EndFrame(true));
        EXPECT_EQ(1, g_D3D.presentedFrames);
        std::ifstream in(m_Path, std::ios::binary);
        std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int32_t w = 0, h = 0;
        const uint8_t* pixels = GR_Image_LoadPNG(file.data(), int32_t(file.size()), &w, &h, false);
        ASSERT_NE(nullptr, pixels);
        ASSERT_EQ(make_tuple(width, height), make_tuple(w, h));
        for (const Probe& p : probes) {
            uint32_t argb;
            std::memcpy(&argb, pixels + (size_t(p.y) * size_t(w) + size_t(p.x)) * 4, 4);
            EXPECT_EQ(p.argb, argb) << p.x << ", " << p.y;
        }
        GR_Image_FreePNG();
    }
    std::string m_Path;
};

// A 2:1 game in full screen on the 1024 x 768 display, keeping its aspect: bars above and below.
class Letterbox : public Capture {
  protected:
    int32_t Width() const override { return 800; }
    int32_t Height() const override { return 400; }
    uint32_t Flags() const override { return D3D_FLAG_FULLSCREEN | D3D_FLAG_KEEP_ASPECT; }
};

TEST_F(Letterbox, PictureIsPlacedBetweenBarsOfTheWindowColour)
{
    EXPECT_EQ(make_tuple(1024, 768, 800), make_tuple(g_D3D.backBufferWidth, g_D3D.backBufferHeight,
                                                     DeviceTexture_Width(g_D3D.screenTexture)));
    int32_t x = -1, y = -1;
    GR_D3D_GetLetterboxOffset(&x, &y);
    EXPECT_EQ(make_tuple(0, 128), make_tuple(x, y));
    PresentAndExpect(1024, 768, {{512, 127, RED}, {512, 129, GREEN}, {0, 638, GREEN}, {512, 641, RED}});

    // A wide back buffer gets bars left and right.
    LetterboxRect r = GR_D3D_LetterboxRect(1920, 1080, 640, 480, true);
    EXPECT_EQ(make_tuple(240.0f, 1680.0f, 0.0f, 1080.0f), make_tuple(r.left, r.right, r.top, r.bottom));
}

class Reset : public DeviceTest {};

TEST_F(Reset, RecreatesTheScreenTextureAtThePendingSizeAndDrawsAgain)
{
    ASSERT_NE(nullptr, g_D3D.screenTexture);
    g_D3D.pendingWidth = 320;
    g_D3D.pendingHeight = 240;
    std::string log;
    {
        LogCapture capture;
        ASSERT_TRUE(GR_Reset());
        log = capture.Text();
    }
    for (const char* line : {"Free all surfaces\n", "Graphics::Reset()\n", "--Reset Begin\n", "Free Screen Texture\n",
                             "Execute Reset()\n", "WindowedMode: Setup window prefs\n", "Recreate screen texture\n",
                             "--Reset End\n", "Graphics::Clear()\n", "D3D Settings Init\n"})
        EXPECT_NE(std::string::npos, log.find(line)) << line;
    ASSERT_NE(nullptr, g_D3D.screenTexture);
    EXPECT_EQ(make_tuple(320, 240, 320, 320, -1),
              make_tuple(DeviceTexture_Width(g_D3D.screenTexture), DeviceTexture_Height(g_D3D.screenTexture),
                         GR_Window_GetWidth(), g_D3D.backBufferWidth, g_D3D.pendingWidth));
    EXPECT_EQ(320, std::get<0>(ScreenSize()));
    // The states were sent again: blending and the fill reach the new screen texture.
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(BLACK, 1.0f, 0, 1);
    FillRect(0, 0, 4, 4, 0x80FFFFFFu);
    Graphics::Flush();
    std::vector<Pixel> p = ReadScreen(0, 0, 1, 1);
    ASSERT_EQ(1u, p.size());
    EXPECT_NEAR(0x80, p[0].r, 1);
}

TEST_F(Reset, AWindowSizeRequestBecomesTheSizeOfTheWindow)
{
    // Asked for, then the size expected: an empty size keeps the window as it is.
    const int32_t cases[][4] = {{320, 200, 320, 200}, {800, 600, 800, 600}, {0, 100, 800, 600}, {-5, -5, 800, 600}};
    EXPECT_FALSE(GR_D3D_TakeWindowRequests()); // nothing asked yet
    for (const auto& c : cases) {
        GR_Window_SetSize(c[0], c[1]);
        ASSERT_TRUE(GR_D3D_TakeWindowRequests());
        EXPECT_FALSE(GR_D3D_TakeWindowRequests()); // taken once
        ASSERT_TRUE(GR_Reset());
        int32_t w = 0, h = 0;
        SDL_GetWindowSize(static_cast<SDL_Window*>(DeviceWindow_Main()), &w, &h);
        EXPECT_EQ(make_tuple(c[2], c[3], c[2], c[2]),
                  make_tuple(w, h, GR_Window_GetWidth(), DeviceTexture_Width(g_D3D.screenTexture)))
            << c[0] << " x " << c[1];
    }
}

TEST_F(Reset, MultisamplingIsTakenAtTheResetAndStillDrawsExactly)
{
    Display_SetMultisample(4);
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(4, g_D3D.parameters.multiSampleType);
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(BLACK, 1.0f, 0, 1);
    FillRect(10, 10, 20, 20, BLUE);
    Graphics::Flush();
    ExpectProbes({{10, 10, BLUE}, {9, 10, BLACK}, {20, 19, BLACK}});
}

TEST_F(Reset, BitmapsAndPixelsComeFromTheFrame)
{
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFF102030u, 1.0f, 0, 1);
    FillRect(0, 0, 5, 5, 0xFFAABBCCu);
    Graphics::Flush();
    EXPECT_EQ(make_tuple(0xCCBBAAu, 0x102030u), make_tuple(GR_Draw_GetPixel(4, 4), GR_Draw_GetPixel(5, 5))); // BGR
    IBitmap* bitmap = GR_Screen_CreateBitmap(-10, -10, 20, 20);
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(20, bitmap->GetWidth());
    uint8_t* row = nullptr;
    int32_t stride = 0;
    bitmap->GetScanline(4, &row, &stride);
    ASSERT_NE(nullptr, row);
    uint32_t inside, outside;
    std::memcpy(&inside, row + 4 * 4, 4);
    std::memcpy(&outside, row + 5 * 4, 4);
    EXPECT_EQ(make_tuple(0xFFAABBCCu, 0xFF302010u), make_tuple(inside, outside));
    delete bitmap;
    EXPECT_EQ(nullptr, GR_Screen_CreateBitmap(700, 0, 20, 20));
    // Near the corner only what lies inside comes back.
    uint8_t* corner = GR_Screen_ReadPixels(640, 480, 630, 478, 13, 5);
    ASSERT_NE(nullptr, corner);
    EXPECT_EQ(10u * 2u * 4u, MemoryManager::GetSize(corner));
    MemoryManager::Free(corner);
}

// The window's own pixel at (x, y) of a 640 x 480 window, counted from the top.
uint32_t WindowAt(int32_t x, int32_t y)
{
    uint8_t bgra[4] = {};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadPixels(x, 479 - y, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    return Argb(Pixel{bgra[0], bgra[1], bgra[2], bgra[3]});
}

class WindowPicture : public DeviceTest {};

// Every depth and stencil the device draws with is a surface of its own: the window is made without
// either, so that the present's copy takes the renderer's fast rectangle path.
TEST_F(WindowPicture, HasNoDepthOrStencilBufferOfItsOwn)
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    for (GLenum attachment : {GL_DEPTH, GL_STENCIL}) {
        GLint type = -1;
        glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE,
                                              &type);
        EXPECT_EQ(GL_NONE, type) << (attachment == GL_DEPTH ? "depth" : "stencil");
    }
}

// With no other picture kept, the present shows the back buffer itself, as exactly.
TEST_F(WindowPicture, ShowsTheBackBufferWhenNoOtherPictureIsGiven)
{
    D3DDevice* device = GR_D3D_Device();
    D3DSurface* back = nullptr;
    ASSERT_EQ(D3D_OK, device->GetBackBuffer(&back));
    ASSERT_EQ(D3D_OK, device->SetRenderTarget(0, back));
    back->Release();
    struct Area {
        D3DViewport where;
        uint32_t colour;
    } areas[] = {{{0, 0, 640, 480, 0.0f, 1.0f}, GREEN},
                 {{0, 0, 10, 10, 0.0f, 1.0f}, RED},
                 {{630, 470, 10, 10, 0.0f, 1.0f}, BLUE},
                 {{0, 479, 640, 1, 0.0f, 1.0f}, YELLOW}};
    for (const Area& a : areas) {
        ASSERT_EQ(D3D_OK, device->SetViewport(&a.where));
        ASSERT_EQ(D3D_OK, device->Clear(D3DCLEAR_TARGET, a.colour, 1.0f, 0));
    }
    ASSERT_EQ(D3D_OK, device->Present());
    const Probe PROBES[] = {{0, 0, RED},      {9, 9, RED},     {10, 10, GREEN},   {630, 470, BLUE},
                            {639, 478, BLUE}, {0, 479, YELLOW}, {639, 479, YELLOW}, {320, 240, GREEN}};
    for (const Probe& p : PROBES)
        EXPECT_EQ(p.argb & 0xFFFFFFu, WindowAt(p.x, p.y) & 0xFFFFFFu) << "window at " << p.x << ", " << p.y;
}

// The present copies the frame to the window whole, top row at the top, to the last pixel.
TEST_F(WindowPicture, IsTheWholeFrameTheRightWayUp)
{
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(BLACK, 1.0f, 0, 1);
    FillRect(0, 0, 10, 10, RED);
    FillRect(630, 470, 640, 480, BLUE);
    FillRect(0, 479, 640, 480, GREEN);
    ASSERT_TRUE(GR_EndFrame(true));
    const Probe PROBES[] = {{0, 0, RED},       {9, 9, RED},       {10, 10, BLACK},
                            {629, 469, BLACK}, {630, 470, BLUE},  {639, 478, BLUE},
                            {0, 479, GREEN},   {639, 479, GREEN}, {320, 240, BLACK}};
    for (const Probe& p : PROBES) {
        EXPECT_EQ(p.argb, WindowAt(p.x, p.y)) << "window at " << p.x << ", " << p.y;
        EXPECT_EQ(p.argb, At(p.x, p.y)) << "screen at " << p.x << ", " << p.y;
    }
}

} // namespace

// The window's pixels, rows top first, as the last present left them.
std::vector<Pixel> ReadWindow(int32_t width, int32_t height)
{
    std::vector<Pixel> rows(size_t(width) * size_t(height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    std::vector<Pixel> topFirst(rows.size());
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(&topFirst[size_t(height - 1 - y) * size_t(width)], &rows[size_t(y) * size_t(width)],
                    size_t(width) * sizeof(Pixel));
    return topFirst;
}

class Window : public DeviceTest {};

struct Spot {
    int32_t x, y;
};

// Each frame's picture reaches the window whole and upright, and what the present changed is set
// again for the next frame: its blending, culling, scissor and viewport.
TEST_F(Window, ShowsEachPictureExactlyAndTheNextFrameDrawsAsBefore)
{
    struct Frame {
        const char* what;
        bool blend;    // the marks are drawn half transparent over the green
        uint32_t mark; // colour of the corner marks and the one-pixel rows
    } frames[] = {{"opaque marks", false, RED},
                  {"blended marks", true, 0x800000FFu},
                  {"blended after blended", true, 0x800000FFu},
                  {"opaque again", false, YELLOW}};
    for (const Frame& f : frames) {
        ASSERT_TRUE(GR_StartFrame());
        GR_D3D_Clear(GREEN, 1.0f, 0, 1);
        GR_RenderStateCache_Set(RS_ALPHA_BLEND, f.blend ? 1 : 0);
        FillRect(0, 0, 3, 2, f.mark);       // top left
        FillRect(637, 478, 640, 480, f.mark); // bottom right
        FillRect(0, 1, 640, 2, f.mark);     // row 1: a flip by one row shows
        FillRect(100, 300, 101, 301, f.mark);
        Graphics::Flush();
        std::vector<Pixel> picture = ReadScreen(0, 0, 640, 480);
        ASSERT_TRUE(GR_EndFrame(true)) << f.what;
        std::vector<Pixel> window = ReadWindow(640, 480);
        ASSERT_EQ(picture.size(), window.size());
        size_t differ = 0, first = 0;
        for (size_t i = 0; i < window.size(); ++i) // the window keeps no alpha of its own
            if ((Argb(window[i]) & 0xFFFFFFu) != (Argb(picture[i]) & 0xFFFFFFu) && differ++ == 0) first = i;
        EXPECT_EQ(0u, differ) << f.what << ": first at " << first % 640 << ", " << first / 640;
        // The marks are where they were drawn, and blended only in the frame that asked for it.
        for (const Spot& p : std::vector<Spot>{{1, 0}, {639, 479}, {320, 1}, {100, 300}}) {
            const Pixel& got = window[size_t(p.y) * 640 + size_t(p.x)];
            if (f.blend)
                EXPECT_TRUE(got.b >= 126 && got.b <= 129 && got.g >= 126 && got.g <= 129 && got.r == 0)
                    << f.what << " at " << p.x << ", " << p.y << ": " << std::hex << Argb(got);
            else
                EXPECT_EQ(f.mark, Argb(got)) << f.what << " at " << p.x << ", " << p.y;
        }
        for (const Spot& p : std::vector<Spot>{{320, 2}, {101, 300}, {3, 0}, {636, 479}})
            EXPECT_EQ(GREEN, Argb(window[size_t(p.y) * 640 + size_t(p.x)])) << f.what << " at " << p.x << ", " << p.y;
    }
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
}

namespace {

// Frame one (green, a red mark in the top-left corner) is presented later over a window showing
// black. The window keeps black until the device is next used on a picture, or the present is
// finished; it then shows frame one exactly, whatever the next frame began to draw.
TEST_F(Window, ShowsALaterPresentAtTheNextUseOfTheDeviceAndNotBefore)
{
    struct Use {
        const char* what;
        void (*act)();
    } uses[] = {
        {"finished", [] { GR_D3D_FinishPresent(); }},
        {"next frame's clear", [] { ASSERT_TRUE(GR_StartFrame()); GR_D3D_Clear(YELLOW, 1.0f, 0, 1); }},
        {"next frame's draw", [] { ASSERT_TRUE(GR_StartFrame()); FillRect(0, 0, 640, 480, YELLOW); Graphics::Flush(); }},
        {"next frame presented at once", [] { ASSERT_TRUE(GR_StartFrame()); ASSERT_TRUE(GR_EndFrame(false)); }},
        {"next frame presented later", [] { ASSERT_TRUE(GR_StartFrame()); ASSERT_TRUE(GR_EndFrame(true, true)); }},
    };
    for (const Use& use : uses) {
        ASSERT_TRUE(GR_StartFrame());
        GR_D3D_Clear(BLACK, 1.0f, 0, 1);
        ASSERT_TRUE(GR_EndFrame(true));
        ASSERT_TRUE(GR_StartFrame());
        GR_D3D_Clear(GREEN, 1.0f, 0, 1);
        FillRect(0, 0, 4, 4, RED);
        ASSERT_TRUE(GR_EndFrame(true, true)) << use.what;
        std::vector<Pixel> before = ReadWindow(640, 480);
        EXPECT_EQ(BLACK & 0xFFFFFFu, Argb(before[0]) & 0xFFFFFFu) << use.what << ": shown too soon";
        use.act();
        std::vector<Pixel> after = ReadWindow(640, 480);
        const Probe PROBES[] = {{0, 0, RED}, {3, 3, RED}, {4, 4, GREEN}, {639, 479, GREEN}};
        for (const Probe& p : PROBES)
            EXPECT_EQ(p.argb & 0xFFFFFFu, Argb(after[size_t(p.y) * 640 + size_t(p.x)]) & 0xFFFFFFu)
                << use.what << " at " << p.x << ", " << p.y;
        if (g_D3D.sceneDepth != 0) {
            ASSERT_TRUE(GR_EndFrame(false));
        }
        GR_D3D_FinishPresent();
    }
}


// The programs and shaders the driver is asked to make while the device is shut down, counted at
// the driver's entry points.
decltype(epoxy_glCreateProgram) g_DriverCreateProgram = nullptr;
decltype(epoxy_glCompileShader) g_DriverCompileShader = nullptr;
int g_DriverCompiles = 0;

GLuint CountedCreateProgram()
{
    ++g_DriverCompiles;
    return g_DriverCreateProgram();
}

void CountedCompileShader(GLuint shader)
{
    ++g_DriverCompiles;
    g_DriverCompileShader(shader);
}

int CompilesOfTheShutDown()
{
    g_DriverCompiles = 0;
    g_DriverCreateProgram = epoxy_glCreateProgram;
    g_DriverCompileShader = epoxy_glCompileShader;
    epoxy_glCreateProgram = CountedCreateProgram;
    epoxy_glCompileShader = CountedCompileShader;
    GR_D3D_Shutdown();
    epoxy_glCreateProgram = g_DriverCreateProgram;
    epoxy_glCompileShader = g_DriverCompileShader;
    return g_DriverCompiles;
}

// The end of a game compiles nothing, whatever it left for the window, even its first frame still
// waiting: a driver short of memory there crashed in its compiler.
TEST_F(Window, IsShutDownWithoutCompilingAProgram)
{
    struct Ending {
        const char* what;
        void (*act)();
    } endings[] = {
        {"nothing presented", [] {}},
        {"the first frame waiting",
         [] {
             ASSERT_TRUE(GR_StartFrame());
             FillRect(0, 0, 4, 4, RED);
             ASSERT_TRUE(GR_EndFrame(true, true));
         }},
        {"a frame shown and the next waiting",
         [] {
             ASSERT_TRUE(GR_StartFrame());
             ASSERT_TRUE(GR_EndFrame(true));
             ASSERT_TRUE(GR_StartFrame());
             ASSERT_TRUE(GR_EndFrame(true, true));
         }},
        {"a frame left open", [] { ASSERT_TRUE(GR_StartFrame()); GR_D3D_Clear(GREEN, 1.0f, 0, 1); }},
    };
    for (const Ending& ending : endings) {
        if (GR_D3D_Device() == nullptr) {
            GR_RenderState_Init();
            ASSERT_TRUE(GR_InitDevice(Width(), Height(), Flags())) << ending.what;
        }
        ending.act();
        if (g_D3D.sceneDepth != 0) GR_EndFrame(false);
        EXPECT_EQ(0, CompilesOfTheShutDown()) << ending.what;
    }
}

} // namespace
