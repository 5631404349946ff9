#include <filesystem>
#include <fstream>
#include <iterator>

#include <SDL.h>

#include "GLDeviceFixture.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_DevicePlaceholders.h"
#include "graphics/Graphics_Window.h"
#include "graphics/Graphics_DisplayModes.h"
#include "graphics/Graphics_Image.h"
#include "platform/Platform_Bitmap.h"

using namespace gltest;

namespace {

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() /
            (std::string("kelvaro_gldevice_") + name + "_" + std::to_string(getpid()) + ".png"))
        .string();
}

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgra;
    uint32_t At(int32_t x, int32_t y) const
    {
        const uint8_t* p = bgra.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
        return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
};

Picture LoadPicture(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Picture picture;
    uint8_t* pixels =
        GR_Image_LoadPNG(file.data(), int32_t(file.size()), &picture.width, &picture.height, false);
    if (pixels != nullptr)
        picture.bgra.assign(pixels, pixels + size_t(picture.width) * size_t(picture.height) * 4);
    GR_Image_FreePNG();
    return picture;
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
    const char* steps[] = {
        "Create D3D9 interface\n",
        "Enumerate Adapters\n",
        "Selected Resolution: 1024x768\n",
        "Get Current Desktop Display Mode\n",
        "Prepare to create device\n",
        "Creating D3D device - ARGB=32bit, D24S8, SwapEffect=Copy, Hardware vertex processing\n",
        "Creating screen render target\n",
        "Get Device Caps\n",
        "Graphics initialisation end...\n"};
    size_t at = 0;
    for (const char* step : steps) {
        size_t found = log.find(step, at);
        ASSERT_NE(std::string::npos, found) << "missing or out of order: " << step << "in\n" << log;
        at = found + std::strlen(step);
    }
    // The offscreen display is 1024 x 768: a larger request is cut to it.
    int32_t w = 0;
    int32_t h = 0;
    GR_GetScreenSize(&w, &h);
    EXPECT_EQ(1024, w);
    EXPECT_EQ(768, h);
    EXPECT_EQ(1024, DeviceTexture_Width(g_D3D.screenTexture));
    EXPECT_NE(0u, g_D3D.multisampleMask & 4u); // llvmpipe offers 4 samples
    GR_D3D_Shutdown();
    MainWindow_Destroy();
}

class Capture : public DeviceTest {
  protected:
    void SetUp() override
    {
        m_Path = TempPath(::testing::UnitTest::GetInstance()->current_test_info()->name());
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
    std::string m_Path;
};

TEST_F(Capture, PresentedPictureIsWrittenAsPng)
{
    GR_Window_SetColour(0x0000FF); // red outside the picture (none here: no letterbox)
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFF00FF00u, 1.0f, 0, 1);
    FillRect(10, 20, 30, 40, 0xFF0000FFu);
    ASSERT_TRUE(GR_EndFrame(true));
    Picture picture = LoadPicture(m_Path);
    ASSERT_EQ(640, picture.width);
    ASSERT_EQ(480, picture.height);
    EXPECT_EQ(0xFF00FF00u, picture.At(0, 0));
    EXPECT_EQ(0xFF0000FFu, picture.At(10, 20));
    EXPECT_EQ(0xFF0000FFu, picture.At(29, 39));
    EXPECT_EQ(0xFF00FF00u, picture.At(30, 39));
    EXPECT_EQ(1, g_D3D.presentedFrames);
}

// A 2:1 game in full screen on the 1024 x 768 display, keeping its aspect: bars above and below.
class Letterbox : public Capture {
  protected:
    int32_t Width() const override { return 800; }
    int32_t Height() const override { return 400; }
    uint32_t Flags() const override { return D3D_FLAG_FULLSCREEN | D3D_FLAG_KEEP_ASPECT; }
};

TEST_F(Letterbox, PictureIsPlacedBetweenBarsOfTheWindowColour)
{
    GR_Window_SetColour(0x0000FF);
    EXPECT_EQ(1024, g_D3D.backBufferWidth);
    EXPECT_EQ(768, g_D3D.backBufferHeight);
    EXPECT_EQ(800, DeviceTexture_Width(g_D3D.screenTexture));
    int32_t x = -1;
    int32_t y = -1;
    GR_D3D_GetLetterboxOffset(&x, &y);
    EXPECT_EQ(0, x);
    EXPECT_EQ(128, y);
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFF00FF00u, 1.0f, 0, 1);
    ASSERT_TRUE(GR_EndFrame(true));
    Picture picture = LoadPicture(m_Path);
    ASSERT_EQ(1024, picture.width);
    ASSERT_EQ(768, picture.height);
    EXPECT_EQ(0xFFFF0000u, picture.At(512, 127));
    EXPECT_EQ(0xFF00FF00u, picture.At(512, 129));
    EXPECT_EQ(0xFF00FF00u, picture.At(0, 638));
    EXPECT_EQ(0xFFFF0000u, picture.At(512, 641));
}

TEST(LetterboxRect, WideBackBufferGetsBarsLeftAndRight)
{
    LetterboxRect r = GR_D3D_LetterboxRect(1920, 1080, 640, 480, true);
    EXPECT_FLOAT_EQ(240.0f, r.left);
    EXPECT_FLOAT_EQ(1680.0f, r.right);
    EXPECT_FLOAT_EQ(0.0f, r.top);
    EXPECT_FLOAT_EQ(1080.0f, r.bottom);
    LetterboxRect whole = GR_D3D_LetterboxRect(1920, 1080, 640, 480, false);
    EXPECT_FLOAT_EQ(1920.0f, whole.right);
    int32_t x = 0;
    int32_t y = 0;
    GR_D3D_CentredWindowPosition(1920, 1080, 640, 480, &x, &y);
    EXPECT_EQ(640, x);
    EXPECT_EQ(300, y);
}

class Reset : public DeviceTest {};

TEST_F(Reset, RecreatesTheScreenTextureAtThePendingSizeAndDrawsAgain)
{
    DeviceTexture* before = g_D3D.screenTexture;
    ASSERT_NE(nullptr, before);
    g_D3D.pendingWidth = 320;
    g_D3D.pendingHeight = 240;
    std::string log;
    {
        LogCapture capture;
        ASSERT_TRUE(GR_Reset());
        log = capture.Text();
    }
    for (const char* line :
         {"Free all surfaces\n", "Graphics::Reset()\n", "--Reset Begin\n", "Free Screen Texture\n",
          "Execute Reset()\n", "WindowedMode: Setup window prefs\n", "Recreate screen texture\n",
          "--Reset End\n", "Graphics::Clear()\n", "D3D Settings Init\n"})
        EXPECT_NE(std::string::npos, log.find(line)) << line;
    ASSERT_NE(nullptr, g_D3D.screenTexture);
    EXPECT_EQ(320, DeviceTexture_Width(g_D3D.screenTexture));
    EXPECT_EQ(240, DeviceTexture_Height(g_D3D.screenTexture));
    EXPECT_EQ(320, GR_Window_GetWidth());
    EXPECT_EQ(320, g_D3D.backBufferWidth);
    EXPECT_EQ(-1, g_D3D.pendingWidth);
    int32_t w = 0;
    int32_t h = 0;
    GR_GetScreenSize(&w, &h);
    EXPECT_EQ(320, w);

    // The states were sent again: blending and the fill reach the new screen texture.
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFF000000u, 1.0f, 0, 1);
    FillRect(0, 0, 4, 4, 0x80FFFFFFu);
    Graphics::Flush();
    std::vector<Pixel> p = ReadScreen(0, 0, 1, 1);
    ASSERT_EQ(1u, p.size());
    EXPECT_NEAR(0x80, p[0].r, 1);
}

TEST_F(Reset, AWindowSizeRequestBecomesTheSizeOfTheWindow)
{
    struct Case {
        int32_t width, height; // asked for
        int32_t expectWidth, expectHeight;
    };
    const Case cases[] = {
        {320, 200, 320, 200},
        {800, 600, 800, 600},
        {0, 100, 800, 600},  // an empty size keeps the window as it is
        {-5, -5, 800, 600},
    };
    EXPECT_FALSE(GR_D3D_TakeWindowRequests()); // nothing asked yet
    for (const Case& c : cases) {
        GR_Window_SetSize(c.width, c.height);
        ASSERT_TRUE(GR_D3D_TakeWindowRequests());
        EXPECT_FALSE(GR_D3D_TakeWindowRequests()); // taken once
        ASSERT_TRUE(GR_Reset());
        int32_t w = 0;
        int32_t h = 0;
        SDL_GetWindowSize(static_cast<SDL_Window*>(DeviceWindow_Main()), &w, &h);
        EXPECT_EQ(c.expectWidth, w) << c.width << " x " << c.height;
        EXPECT_EQ(c.expectHeight, h) << c.width << " x " << c.height;
        EXPECT_EQ(c.expectWidth, GR_Window_GetWidth());
        EXPECT_EQ(c.expectWidth, DeviceTexture_Width(g_D3D.screenTexture));
    }
}

TEST_F(Reset, MultisamplingIsTakenAtTheResetAndStillDrawsExactly)
{
    Display_SetMultisample(4);
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(4, g_D3D.parameters.multiSampleType);
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFF000000u, 1.0f, 0, 1);
    FillRect(10, 10, 20, 20, 0xFF0000FFu);
    Graphics::Flush();
    EXPECT_EQ(0xFF0000FFu, Argb(ScreenPixel(10, 10)));
    EXPECT_EQ(0xFF000000u, Argb(ScreenPixel(9, 10)));
    EXPECT_EQ(0xFF000000u, Argb(ScreenPixel(20, 19)));
    // Sixteen samples are more than the device offers: the reset falls back to none first.
    Display_SetMultisample(16);
    GR_EndFrame(false);
    ASSERT_TRUE(GR_Reset());
    EXPECT_EQ(0, g_D3D.parameters.multiSampleType);
}

class ScreenReadBack : public DeviceTest {};

TEST_F(ScreenReadBack, BitmapsAndPixelsComeFromTheFrame)
{
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(0xFF102030u, 1.0f, 0, 1);
    FillRect(0, 0, 5, 5, 0xFFAABBCCu);
    Graphics::Flush();
    EXPECT_EQ(0xCCBBAAu, GR_Draw_GetPixel(4, 4)); // BGR: red in the low byte
    EXPECT_EQ(0x102030u, GR_Draw_GetPixel(5, 5));

    IBitmap* bitmap = GR_Screen_CreateBitmap(-10, -10, 20, 20);
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(20, bitmap->GetWidth());
    uint8_t* row = nullptr;
    int32_t stride = 0;
    bitmap->GetScanline(4, &row, &stride);
    ASSERT_NE(nullptr, row);
    uint32_t inside;
    uint32_t outside;
    std::memcpy(&inside, row + 4 * 4, 4);
    std::memcpy(&outside, row + 5 * 4, 4);
    EXPECT_EQ(0xFFAABBCCu, inside);
    EXPECT_EQ(0xFF302010u, outside);
    delete bitmap;
    EXPECT_EQ(nullptr, GR_Screen_CreateBitmap(700, 0, 20, 20));

    // Near the corner only what lies inside comes back.
    uint8_t* corner = GR_Screen_ReadPixels(640, 480, 630, 478, 13, 5);
    ASSERT_NE(nullptr, corner);
    EXPECT_EQ(10u * 2u * 4u, MemoryManager::GetSize(corner));
    MemoryManager::Free(corner);
}

} // namespace
