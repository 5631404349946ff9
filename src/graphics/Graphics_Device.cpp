#include "graphics/Graphics_Device.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Base_Console.h"
#include "base/Base_Maths.h"
#include "gamefile/GameFile_Header.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceServices.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_DisplayModes.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Image.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform_MessageBox.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"
#include "run/Run_Window.h"

D3DDeviceGlobals g_D3D;

namespace {

D3DInterfaceFactory g_Factory = nullptr;
bool g_Captured = false;

constexpr int32_t SCREEN_FORMAT_CODE = 6;

// The start cannot go on. The process ends here, where no shut-down runs: what the tables that the
// exit does not walk hold is freed first. A player who started the game from a terminal reads why
// last there, as for the other failed starts.
[[noreturn]] void FailAndExit(const char* text)
{
    GR_ShowError(text);
    std::fprintf(stderr, "%s\n", text);
    GR_D3D_FreeAdapters();
    std::exit(EXIT_CODE_NOT_STARTED);
}

int32_t RoundToInt(float value)
{
    return int32_t(std::lround(value));
}

// The screen's render target when it holds the whole finished picture at the back buffer's size:
// the present shows it from there, and the back buffer, which only the present reads, is not
// filled with a copy first. Set at the end of a scene, taken by the frame's end.
D3DSurface* g_PictureInScreen = nullptr;

void FreeScreenTexture()
{
    g_PictureInScreen = nullptr; // its surface goes with the texture
    if (g_D3D.screenTexture == nullptr) return;
    GR_Texture_Free(g_D3D.screenTexture);
    g_D3D.screenTexture = nullptr;
}

void ReadMultisampleSupport(int32_t format)
{
    g_D3D.multisampleMask = 0;
    for (int32_t samples = 2; samples <= 16; samples *= 2) {
        if (g_D3D.d3d->CheckDeviceMultiSampleType(g_D3D.adapter, format, true, samples) == D3D_OK)
            g_D3D.multisampleMask |= uint32_t(samples);
    }
}

bool CreateDevice(uint32_t behaviour)
{
    return g_D3D.d3d->CreateDevice(g_D3D.adapter, g_D3D.window, behaviour, &g_D3D.parameters,
                                   &g_D3D.device) == D3D_OK;
}

// Writes the picture about to be presented, once, when the test switch names this frame.
void CaptureIfAsked()
{
    const TestSwitches& switches = TestSwitches_Get();
    if (g_Captured || switches.captureFrame < 0 || Run_FramesRun() != switches.captureFrame) return;
    g_Captured = true;
    D3DSurface* back = nullptr;
    D3DSurface* copy = nullptr;
    int32_t width = g_D3D.backBufferWidth;
    int32_t height = g_D3D.backBufferHeight;
    D3DLockedRect locked;
    if (g_PictureInScreen != nullptr) {
        back = g_PictureInScreen;
        back->AddRef();
    }
    if ((back != nullptr || g_D3D.device->GetBackBuffer(&back) == D3D_OK) &&
        g_D3D.device->CreateRenderTarget(width, height, D3DFMT_A8R8G8B8, 0, true, &copy) == D3D_OK &&
        g_D3D.device->StretchRect(back, nullptr, copy, nullptr, D3DTEXF_POINT) == D3D_OK &&
        copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
        if (!GR_Image_WritePNGToPath(switches.captureFile.c_str(), locked.bits, width, height, true, true))
            MainConsole->Output("Capture of frame %lld could not be written\n",
                                static_cast<long long>(Run_FramesRun()));
        copy->UnlockRect();
    }
    if (copy != nullptr) copy->Release();
    if (back != nullptr) back->Release();
}

// Copies a surface of the back buffer's size there in one pass.
bool CopyToBackBuffer(D3DSurface* source)
{
    D3DSurface* back = nullptr;
    if (g_D3D.device->GetBackBuffer(&back) != D3D_OK) return false;
    bool copied = g_D3D.device->StretchRect(source, nullptr, back, nullptr, D3DTEXF_POINT) == D3D_OK;
    back->Release();
    return copied;
}

// A picture that fills the back buffer at its own size needs no stretching: the screen's render
// target holds it as the back buffer would, so it is kept there for the present (which copies it
// when the device cannot show it from there). No clear and no quad are needed, and the texture
// never has to receive the drawing first; each of those passes costs a software renderer a wait
// for the whole frame. False when the picture is placed otherwise.
bool KeepPictureInScreen(const LetterboxRect& r, int32_t w, int32_t h)
{
    DeviceTexture* screen = g_D3D.screenTexture;
    bool whole = r.left == 0.0f && r.top == 0.0f && r.right == float(w) && r.bottom == float(h);
    if (!whole || DeviceTexture_Width(screen) != w || DeviceTexture_Height(screen) != h ||
        screen->renderTarget == nullptr || g_D3D.parameters.multiSampleType != 0)
        return false;
    g_PictureInScreen = screen->renderTarget;
    return true;
}

// The screen texture stretched onto the back buffer, letterboxed when the aspect is kept.
void DrawScreenTexture()
{
    int32_t w = g_D3D.backBufferWidth;
    int32_t h = g_D3D.backBufferHeight;
    Graphics::Flush();
    bool interpolation = GR_Texture_GetInterpolation();
    int32_t windowWidth = GR_Window_GetWidth();
    int32_t windowHeight = GR_Window_GetHeight();
    GR_Window_SetWindowSize(w, h);
    GR_D3D_PushWindowOrtho();
    GR_D3D_SetRenderState(RS_ALPHA_BLEND, 0);
    GR_Texture_SetInterpolation(g_D3D.screenInterpolation);

    D3DMatrix view = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, float(-(w / 2)), float(-(h / 2)), 16000.0f, 1}};
    GR_D3D_SetTransform(MATRIX_VIEW, &view);
    Matrix ortho;
    Matrix::Ortho(ortho, double(w), -double(h), 1.0, 32000.0);
    D3DMatrix projection;
    std::memcpy(projection.m, ortho.m, sizeof(projection.m));
    projection.m[12] -= 1.0f / float(windowWidth);
    projection.m[13] += 1.0f / float(windowHeight);
    g_D3D.device->SetTransform(D3DTS_PROJECTION, &projection);
    LetterboxRect r = GR_D3D_LetterboxRect(w, h, windowWidth, windowHeight, g_D3D.keepAspect);
    if (!KeepPictureInScreen(r, w, h)) {
        GR_D3D_Clear(0xFF000000u | GR_Window_GetColour(), 1.0f, 0,
                     D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
        GR_D3D_DrawTexturedQuad(g_D3D.screenTexture, r.left, r.top, r.right, r.bottom, 0.0f, 0.0f, 1.0f,
                                1.0f, 0xFFFFFFFFu);
    }
    g_D3D.picture = D3DRect{RoundToInt(r.left), 0, RoundToInt(r.right), h};
    g_D3D.letterboxX = RoundToInt(r.left);
    g_D3D.letterboxY = 0;
    ++g_D3D.presentedFrames;
    Graphics::Flush();
    GR_Texture_SetInterpolation(interpolation);
    GR_D3D_PopWindowOrtho();
    GR_D3D_SetRenderState(RS_ALPHA_BLEND, 1);
    GR_Window_SetWindowSize(windowWidth, windowHeight);
}

// The game window's mode and size as last placed. A reset that keeps both (a game setting its own
// size every step) places nothing again: the window, and what stands beside it, stay where the
// player put them.
struct WindowShape {
    bool fullscreen = false;
    int32_t width = -1;
    int32_t height = -1;
    bool operator==(const WindowShape&) const = default;
};
WindowShape g_PlacedShape;

WindowShape CurrentShape()
{
    return WindowShape{g_D3D.fullscreen, GR_Window_GetWidth(), GR_Window_GetHeight()};
}

void ApplyWindowedPlacement(bool reshaped)
{
    MainConsole->Output("WindowedMode: Setup window prefs\n");
    if (g_D3D.pendingWidth != -1) GR_Window_SetWindowSize(g_D3D.pendingWidth, g_D3D.pendingHeight);
    int32_t clientWidth = GR_Window_GetWidth();
    int32_t clientHeight = GR_Window_GetHeight();
    g_D3D.clientWidth = clientWidth;
    g_D3D.clientHeight = clientHeight;
    g_D3D.backBufferWidth = clientWidth;
    g_D3D.backBufferHeight = clientHeight;
    int32_t outerWidth = clientWidth;
    int32_t outerHeight = clientHeight;
    DeviceWindow_AdjustSize(g_D3D.windowStyle, &outerWidth, &outerHeight);
    int32_t x = 0;
    int32_t y = 0;
    if (g_D3D.keepWindowPosition)
        DeviceWindow_GetPosition(&x, &y);
    else
        GR_D3D_CentredWindowPosition(Display_GetWidth(), Display_GetHeight(), clientWidth, clientHeight, &x,
                                     &y);
    if (reshaped) DeviceWindow_Place(x, y, outerWidth, outerHeight);
    g_D3D.keepWindowPosition = false;
}

// A reset puts the device back to its defaults: the kept transforms are sent again.
void ResendTransforms()
{
    static const int32_t KINDS[] = {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_WORLD};
    for (int32_t i = MATRIX_VIEW; i <= MATRIX_WORLD; ++i)
        g_D3D.device->SetTransform(KINDS[i], &g_D3DMatrices[i]);
}

} // namespace

D3DDevice* GR_D3D_Device()
{
    return g_D3D.device;
}

void GR_D3D_SetInterfaceFactory(D3DInterfaceFactory factory)
{
    g_Factory = factory;
}

void GR_ShowError(const char* text)
{
    Platform_ShowMessageBox(text, "Kelvaro", MESSAGEBOX_ICON_INFORMATION);
}

bool GR_D3D_Init(void* window, int32_t width, int32_t height, uint32_t flags)
{
    g_D3D.window = window;
    // No desktop-composition library to load here: the plain interface, textures in the managed pool.
    g_D3D.extended = false;
    MainConsole->Output("Create D3D9 interface\n");
    g_D3D.d3d = g_Factory != nullptr ? g_Factory() : Direct3D_CreateGL();
    if (g_D3D.d3d == nullptr) {
        GR_ShowError("Failed to create Direct3D 9 device");
        return false;
    }
    g_D3D.texturePool = D3DPOOL_MANAGED;
    g_D3D.vsync = (flags & D3D_FLAG_VSYNC) != 0;
    g_D3D.screenInterpolation = (flags & D3D_FLAG_INTERPOLATE) != 0;
    g_RenderSettings.textureInterpolation = g_D3D.screenInterpolation;
    uint32_t behaviour = D3DCREATE_FPU_PRESERVE |
                         ((flags & D3D_FLAG_SOFTWARE_VERTEX) != 0 ? D3DCREATE_SOFTWARE_VERTEXPROCESSING
                                                                  : D3DCREATE_HARDWARE_VERTEXPROCESSING);
    g_D3D.keepAspect = (flags & D3D_FLAG_KEEP_ASPECT) != 0;

    MainConsole->Output("Enumerate Adapters\n");
    GR_D3D_EnumerateAdapters();
    const DisplayModeRecord* mode = GR_D3D_FindMode(width, height);
    // Without a usable mode the device still goes on the first adapter.
    g_D3D.adapter = mode != nullptr ? mode->adapter : 0;
    g_D3D.fullscreen = (flags & D3D_FLAG_FULLSCREEN) != 0;
    int32_t sizeWidth = width;
    int32_t sizeHeight = height;
    if (g_D3D.fullscreen && !g_Adapters.empty()) {
        sizeWidth = g_Adapters.front()->desktopWidth;
        sizeHeight = g_Adapters.front()->desktopHeight;
    }
    MainConsole->Output("Selected Resolution: %dx%d\n", sizeWidth, sizeHeight);

    MainConsole->Output("Get Current Desktop Display Mode\n");
    D3DDisplayMode desktop;
    if (g_D3D.d3d->GetAdapterDisplayMode(g_D3D.adapter, &desktop) != D3D_OK) {
        GR_ShowError("Failed to retrieve display mode.");
        return false;
    }

    MainConsole->Output("Prepare to create device\n");
    D3DPresentParameters& p = g_D3D.parameters;
    p = D3DPresentParameters{};
    p.backBufferWidth = sizeWidth;
    p.backBufferHeight = sizeHeight;
    p.backBufferFormat = D3DFMT_A8R8G8B8;
    p.backBufferCount = 1;
    p.multiSampleType = 0;
    p.swapEffect = D3DSWAPEFFECT_COPY;
    p.deviceWindow = window;
    p.windowed = !g_D3D.fullscreen;
    p.enableAutoDepthStencil = true;
    p.autoDepthStencilFormat = D3DFMT_D24S8;
    p.presentationInterval = g_D3D.vsync ? D3DPRESENT_INTERVAL_DEFAULT : D3DPRESENT_INTERVAL_IMMEDIATE;
    g_D3D.multiSample = 0;
    g_D3D.swapEffect = D3DSWAPEFFECT_COPY;

    MainConsole->Output(
        "Creating D3D device - ARGB=32bit, D24S8, SwapEffect=Copy, Hardware vertex processing\n");
    if (!CreateDevice(behaviour)) {
        p.autoDepthStencilFormat = D3DFMT_D16;
        p.swapEffect = D3DSWAPEFFECT_DISCARD;
        MainConsole->Output(
            "Creating D3D device - ARGB=32bit, D16, SwapEffect=Discard, Software Vertex Processing\n");
        if (!CreateDevice(D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE))
            FailAndExit(
                "Failed to create Direct3D Screen requirements and that your drivers are up-to-date. If your "
                "graphics card has little memory, try switching your computer to a lower resolution.");
    }
    GR_D3D_ClearShadows();

    MainConsole->Output("Creating screen render target\n");
    GR_Window_SetWindowSize(width, height);
    g_PlacedShape = CurrentShape();
    g_D3D.backBufferWidth = sizeWidth;
    g_D3D.backBufferHeight = sizeHeight;
    FreeScreenTexture();
    g_D3D.screenTexture = GR_Texture_Create(width, height, 1, true, SCREEN_FORMAT_CODE);
    if (g_D3D.screenTexture == nullptr) {
        char text[1024];
        std::snprintf(text, sizeof(text),
                      "Unable to create a screen that is %d x %d - please ensure settings are correct",
                      sizeWidth, sizeHeight);
        FailAndExit(text);
    }

    MainConsole->Output("Get Device Caps\n");
    g_D3D.device->GetDeviceCaps(&g_D3D.caps);
    ReadMultisampleSupport(desktop.format);
    g_D3D.pendingWidth = -1;
    g_D3D.pendingHeight = -1;
    MainConsole->Output("Graphics initialisation end...\n");
    return true;
}

bool GR_D3D_Reset()
{
    MainConsole->Output("--Reset Begin\n");
    MainConsole->Output("Restore Target\n");
    GR_Surface_PopAllTargets();
    if (g_D3D.device == nullptr) return false;
    MainConsole->Output("Check Display Mode\n");
    D3DDisplayMode mode;
    if (g_D3D.d3d->GetAdapterDisplayMode(0, &mode) != D3D_OK) return false;
    if (g_D3D.d3d->CheckDeviceMultiSampleType(0, mode.format, true, g_D3D.multiSample) != D3D_OK) {
        g_D3D.multiSample = 0;
        g_D3D.swapEffect = D3DSWAPEFFECT_COPY;
    }
    D3DPresentParameters& p = g_D3D.parameters;
    p.presentationInterval = g_D3D.vsync ? D3DPRESENT_INTERVAL_DEFAULT : D3DPRESENT_INTERVAL_IMMEDIATE;

    MainConsole->Output("Free Screen Texture\n");
    bool hadScreen = g_D3D.screenTexture != nullptr;
    int32_t screenWidth = hadScreen ? DeviceTexture_Width(g_D3D.screenTexture) : g_D3D.backBufferWidth;
    int32_t screenHeight = hadScreen ? DeviceTexture_Height(g_D3D.screenTexture) : g_D3D.backBufferHeight;
    FreeScreenTexture();

    MainConsole->Output("Toggle Fullscreen/windowed mode settings\n");
    bool pending = g_D3D.pendingWidth != -1;
    int32_t width = pending ? g_D3D.pendingWidth : screenWidth;
    int32_t height = pending ? g_D3D.pendingHeight : screenHeight;
    int32_t backWidth = width;
    int32_t backHeight = height;
    if (g_D3D.fullscreen) {
        p.windowed = false;
        g_D3D.windowStyle = D3D_STYLE_FULLSCREEN;
        if (Display_GetWidth() > 0) {
            backWidth = Display_GetWidth();
            backHeight = Display_GetHeight();
        }
    } else {
        Display_RestoreDesktopMode();
        p.windowed = true;
        g_D3D.windowStyle =
            (g_GameHeader.infoFlags & D3D_WINDOW_RESIZABLE_FLAG) != 0 ? D3D_STYLE_RESIZABLE : D3D_STYLE_FIXED;
    }
    DeviceWindow_SetStyle(g_D3D.windowStyle);

    p.multiSampleType = g_D3D.multiSample;
    p.swapEffect = g_D3D.swapEffect;
    p.backBufferWidth = backWidth;
    p.backBufferHeight = backHeight;
    MainConsole->Output("Execute Reset()\n");
    D3DResult result = g_D3D.device->Reset(&p);
    if (result != D3D_OK) {
        MainConsole->Output("Reset() Failed: %X\n", uint32_t(result));
        g_D3D.swapEffect = p.swapEffect = D3DSWAPEFFECT_DISCARD;
        g_D3D.multiSample = p.multiSampleType = 0;
        MainConsole->Output("Change SWAP+Multisample type effect, try Reset() again\n");
        if (g_D3D.device->Reset(&p) != D3D_OK) return false;
    }
    GR_D3D_ClearShadows();
    ResendTransforms();
    g_D3D.backBufferWidth = backWidth;
    g_D3D.backBufferHeight = backHeight;

    if (pending) {
        GR_Window_SetWindowSize(g_D3D.pendingWidth, g_D3D.pendingHeight);
        GR_SetScreenSize(g_D3D.pendingWidth, g_D3D.pendingHeight);
    }
    bool reshaped = CurrentShape() != g_PlacedShape;
    if (!g_D3D.fullscreen)
        ApplyWindowedPlacement(reshaped);
    else if (pending)
        GR_Window_SetWindowSize(g_D3D.pendingWidth, g_D3D.pendingHeight);
    g_PlacedShape = CurrentShape();
    if (reshaped) ++g_D3D.windowPlacements;

    if (hadScreen) {
        MainConsole->Output("Recreate screen texture\n");
        g_D3D.screenTexture = GR_Texture_Create(width, height, 1, true, SCREEN_FORMAT_CODE);
        if (g_D3D.sceneDepth > 0 && g_D3D.screenTexture != nullptr) {
            GR_Surface_PushTarget();
            GR_Surface_SetTarget(0, g_D3D.screenTexture);
        }
    }
    GR_D3D_Clear(0, 1.0f, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    g_D3D.pendingWidth = -1;
    g_D3D.pendingHeight = -1;
    MainConsole->Output("--Reset End\n");
    GR_ApplyDefaults();
    return true;
}

bool GR_D3D_BeginScene()
{
    D3DDevice* device = g_D3D.device;
    if (device == nullptr || g_D3D.sceneDepth != 0) return false;
    D3DResult level = device->TestCooperativeLevel();
    if (level == D3DERR_DEVICELOST || level == D3DERR_DEVICENOTRESET) GR_Reset();
    device->BeginScene();
    GR_Surface_PopAllTargets();
    GR_Surface_PushTarget();
    GR_Surface_SetTarget(0, g_D3D.screenTexture);
    DeviceWindow_GetClientSize(&g_D3D.clientWidth, &g_D3D.clientHeight);
    Profiler_StartFrame();
    g_D3D.sceneDepth = 1;
    return true;
}

bool GR_D3D_EndScene()
{
    D3DDevice* device = g_D3D.device;
    if (device == nullptr || g_D3D.sceneDepth != 1) return false;
    Graphics::Flush();
    Profiler_DrawOverlay();
    Profiler_UpdateTimer();
    g_D3D.sceneDepth = 0;
    Graphics::Flush();
    if (GR_Surface_TargetDepth() != 1) {
        // The saved targets no longer lead back to the back buffer: let them go and draw there.
        GR_Surface_DropAllTargets();
        D3DSurface* back = nullptr;
        if (device->GetBackBuffer(&back) == D3D_OK) {
            device->SetRenderTarget(0, back);
            back->Release();
        }
    }
    GR_Surface_PopTarget();
    if (g_D3D.screenTexture != nullptr) DrawScreenTexture();
    Graphics::Flush();
    Graphics::EndFrame();
    device->EndScene();
    GR_Surface_PopAllTargets();
    return true;
}

bool GR_D3D_Present(bool later)
{
    D3DDevice* device = g_D3D.device;
    if (device == nullptr) return false;
    GR_D3D_ShowWindowOnce();
    CaptureIfAsked();
    D3DSurface* picture = g_PictureInScreen;
    g_PictureInScreen = nullptr;
    if (picture != nullptr) {
        D3DResult shown = later ? device->PresentLater(picture) : device->PresentFrom(picture);
        if (shown != D3DERR_INVALIDCALL) return shown == D3D_OK;
        CopyToBackBuffer(picture);
    }
    return (later ? device->PresentLater(nullptr) : device->Present()) == D3D_OK;
}

void GR_D3D_FinishPresent()
{
    if (g_D3D.device != nullptr) g_D3D.device->FinishPresent();
}

void GR_D3D_SettlePicture()
{
    if (g_PictureInScreen == nullptr || g_D3D.device == nullptr) return;
    CopyToBackBuffer(g_PictureInScreen);
    g_PictureInScreen = nullptr;
}

bool GR_D3D_ShowWindowOnce()
{
    if (!g_D3D.showWindow) return false;
    for (int32_t i = 0; i < 10; ++i) {
        MainWindow_Show();
        ProcessMessages();
    }
    g_D3D.showWindow = false;
    // Until its first frame the window would show what lay under it, all the while a dialog of the
    // start-up waits.
    if (g_D3D.device != nullptr) g_D3D.device->PresentColour(GR_SwapRedBlue(0xFF000000u | GR_Window_GetColour()));
    return true;
}

bool GR_D3D_TakeWindowRequests()
{
    if (!g_WindowRequests.update) return false;
    // A size a script gives is checked here: the screen texture cannot be made empty or negative.
    if (g_WindowRequests.size && g_WindowRequests.width >= 1 && g_WindowRequests.height >= 1) {
        g_D3D.pendingWidth = g_WindowRequests.width;
        g_D3D.pendingHeight = g_WindowRequests.height;
    }
    g_D3D.fullscreen = GR_Window_GetFullscreen();
    g_WindowRequests = WindowRequests();
    return true;
}

bool GR_D3D_ApplyPendingReset()
{
    // A modal window stops the frames: the picture the last one left waiting is what stays behind it.
    GR_D3D_FinishPresent();
    bool shown = GR_D3D_ShowWindowOnce();
    if (!g_D3D.fullscreen) return shown;
    g_D3D.fullscreen = false;
    bool sceneOpen = g_D3D.sceneDepth > 0;
    if (sceneOpen) GR_EndFrame(false);
    bool reset = GR_D3D_Reset();
    if (sceneOpen) return GR_StartFrame();
    return reset;
}

void GR_D3D_SetViewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (g_D3D.device == nullptr) return;
    D3DViewport viewport = {x, y, width, height, 0.0f, 1.0f};
    g_D3D.device->SetViewport(&viewport);
}

LetterboxRect GR_D3D_LetterboxRect(int32_t backWidth, int32_t backHeight, int32_t windowWidth,
                                   int32_t windowHeight, bool keepAspect)
{
    float w = float(backWidth);
    float h = float(backHeight);
    LetterboxRect whole = {0.0f, 0.0f, w, h};
    if (!keepAspect || windowWidth <= 0 || windowHeight <= 0) return whole;
    float r = float(windowWidth) / float(windowHeight);
    float widthAtHeight = w / r;
    if (h > widthAtHeight) {
        float top = (h - (1.0f / r) * w) * 0.5f;
        return LetterboxRect{0.0f, top, w, top + (1.0f / r) * w};
    }
    if (widthAtHeight > h) {
        float left = (w - h * r) * 0.5f;
        return LetterboxRect{left, 0.0f, left + h * r, h};
    }
    return whole;
}

void GR_D3D_GetLetterboxOffset(int32_t* x, int32_t* y)
{
    *x = 0;
    *y = 0;
    int32_t windowWidth = GR_Window_GetWidth();
    int32_t windowHeight = GR_Window_GetHeight();
    if (!g_D3D.keepAspect || windowWidth <= 0 || windowHeight <= 0) return;
    float r = float(windowWidth) / float(windowHeight);
    float w = float(g_D3D.backBufferWidth);
    float h = float(g_D3D.backBufferHeight);
    if (h > w / r)
        *y = RoundToInt((h - (float(windowHeight) / float(windowWidth)) * w) * 0.5f);
    else
        *x = RoundToInt((w - h * r) * 0.5f);
}

void GR_D3D_CentredWindowPosition(int32_t displayWidth, int32_t displayHeight, int32_t clientWidth,
                                  int32_t clientHeight, int32_t* x, int32_t* y)
{
    *x = (displayWidth - clientWidth) / 2;
    *y = (displayHeight - clientHeight) / 2;
}

void Display_SetMultisample(int32_t samples)
{
    bool supported = samples == 2 || samples == 4 || samples == 8 || samples == 16;
    g_D3D.multiSample = supported ? samples : 0;
    g_D3D.swapEffect = supported ? D3DSWAPEFFECT_DISCARD : D3DSWAPEFFECT_COPY;
}

void Display_SetVSync(bool on)
{
    g_D3D.vsync = on;
}

void GR_ShutdownDisplay()
{
    FreeScreenTexture();
    Profiler_WriteStatistics();
}

void GR_D3D_Shutdown()
{
    Display_RestoreDesktopMode();
    GR_Surface_PopAllTargets();
    GR_Surface_DropAllTargets();
    Profiler_ReleaseDebugFont();
    FreeScreenTexture();
    Graphics::FreeBuffers();
    if (g_D3D.device != nullptr) g_D3D.device->Release();
    g_D3D.device = nullptr;
    if (g_D3D.d3d != nullptr) g_D3D.d3d->Release();
    g_D3D.d3d = nullptr;
    GR_D3D_FreeAdapters();
    GR_Texture_ForgetStages();
    g_D3D = D3DDeviceGlobals{};
    g_Captured = false;
}
