// The device of the main window: its creation, the screen texture every frame is drawn into, the
// frame's scene, the copy of the screen texture to the back buffer (scaled, optionally letterboxed),
// presentation, resets when the window mode, size, multisampling or vertical sync change, and
// shut-down. One device per process.
#pragma once

#include <cstdint>

#include "graphics/Graphics_DeviceApi.h"

struct DeviceTexture;

// Creation flags (the header's info flags).
enum : uint32_t {
    D3D_FLAG_FULLSCREEN = 1,
    D3D_FLAG_VSYNC = 2,
    D3D_FLAG_SOFTWARE_VERTEX = 4,
    D3D_FLAG_INTERPOLATE = 8,
    D3D_FLAG_KEEP_ASPECT = 16,
};

// The header's option flag that gives a windowed game a sizing border.
constexpr uint32_t D3D_WINDOW_RESIZABLE_FLAG = 64;

// Window styles the reset sets: full screen, windowed with a sizing border, windowed fixed.
enum : uint32_t {
    D3D_STYLE_FULLSCREEN = 0x90000000u,
    D3D_STYLE_RESIZABLE = 0x10CF0000u,
    D3D_STYLE_FIXED = 0x10CA0000u,
};

struct D3DDeviceGlobals {
    D3DInterface* d3d = nullptr;
    bool extended = false;
    D3DDevice* device = nullptr;
    void* window = nullptr;
    D3DPresentParameters parameters;
    D3DCaps caps;
    int32_t adapter = 0;
    int32_t texturePool = D3DPOOL_MANAGED;
    int32_t multiSample = 0; // requested samples: 0, 2, 4, 8 or 16
    int32_t swapEffect = D3DSWAPEFFECT_COPY;
    uint32_t multisampleMask = 0; // bit n: n samples supported
    bool vsync = false;
    bool screenInterpolation = false;
    bool keepAspect = false;
    bool fullscreen = false;
    int32_t sceneDepth = 0;
    DeviceTexture* screenTexture = nullptr;
    int32_t backBufferWidth = 0;
    int32_t backBufferHeight = 0;
    int32_t pendingWidth = -1; // -1, -1: no pending window size
    int32_t pendingHeight = -1;
    bool keepWindowPosition = false;
    bool showWindow = true;
    int32_t letterboxX = 0;
    int32_t letterboxY = 0;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    D3DRect picture = {0, 0, 0, 0}; // where the picture lies in the back buffer
    int64_t presentedFrames = 0;
    int64_t presentTime = 0; // microseconds the last presentation took
    uint32_t windowStyle = 0;
    // Resets that changed the window's size or mode (and so placed it anew): what stands beside it
    // (the debug form) is placed again when this moves.
    uint32_t windowPlacements = 0;
};
extern D3DDeviceGlobals g_D3D;

// The device, or null before creation and after shut-down.
D3DDevice* GR_D3D_Device();

// Where the interface comes from: the OpenGL one unless tests put another in its place.
using D3DInterfaceFactory = D3DInterface* (*)();
void GR_D3D_SetInterfaceFactory(D3DInterfaceFactory factory);

bool GR_D3D_Init(void* window, int32_t width, int32_t height, uint32_t flags);
bool GR_D3D_Reset();
bool GR_D3D_BeginScene();
bool GR_D3D_EndScene();
// `later`: the copy to the window may wait until the device is next used or GR_D3D_FinishPresent,
// so that the driver finishes the frame's drawing while the game goes on with the next.
bool GR_D3D_Present(bool later = false);
// Shows at once a picture a later present left waiting: before the game waits, sleeps or stops.
void GR_D3D_FinishPresent();
// A frame that ends without a present leaves the back buffer holding its picture, as one that
// presents would have had it.
void GR_D3D_SettlePicture();
// Before every modal window (boxes, dialogs, the error form): shows the last frame's picture and the
// window, and leaves full screen.
bool GR_D3D_ApplyPendingReset();
// Takes over the window layer's requests (Graphics_Window.h): a size of at least 1 x 1 becomes the
// pending size, and the full-screen flag the device's. True when the device must be reset for them;
// the reset then places the window.
bool GR_D3D_TakeWindowRequests();
bool GR_D3D_ShowWindowOnce();
void GR_D3D_SetViewport(int32_t x, int32_t y, int32_t width, int32_t height);
void GR_D3D_GetLetterboxOffset(int32_t* x, int32_t* y);
void Display_SetMultisample(int32_t samples);
void Display_SetVSync(bool on);
void GR_D3D_Shutdown();
// Shut-down of the display: frees the screen texture and writes the frame statistics.
void GR_ShutdownDisplay();
void GR_ShowError(const char* text);

// The picture's rectangle in a W x H back buffer for a game of windowWidth x windowHeight: the
// whole buffer, or with keep-aspect the letterboxed part (floats as the presentation uses them).
struct LetterboxRect {
    float left;
    float top;
    float right;
    float bottom;
};
LetterboxRect GR_D3D_LetterboxRect(int32_t backWidth, int32_t backHeight, int32_t windowWidth,
                                   int32_t windowHeight, bool keepAspect);

// The outer top-left corner of a windowed reset without the keep-position flag: centred on the
// display by the client size (integer division).
void GR_D3D_CentredWindowPosition(int32_t displayWidth, int32_t displayHeight, int32_t clientWidth,
                                  int32_t clientHeight, int32_t* x, int32_t* y);

// The window-space pass of the overlay and of the screen copy, and a texture drawn stretched onto a
// rectangle outside the batch.
void GR_D3D_PushWindowOrtho();
void GR_D3D_PopWindowOrtho();
void GR_D3D_DrawTexturedQuad(DeviceTexture* texture, float left, float top, float right, float bottom,
                             float textureLeft, float textureTop, float textureRight, float textureBottom,
                             uint32_t colour);

// The main window as the device's platform half sees it (graphics/sdl/).
void* DeviceWindow_Main();
bool DeviceWindow_GetClientSize(int32_t* width, int32_t* height);
void DeviceWindow_SetStyle(uint32_t style);
// Grows a client size to the outer size of a window of that style.
void DeviceWindow_AdjustSize(uint32_t style, int32_t* width, int32_t* height);
void DeviceWindow_GetPosition(int32_t* x, int32_t* y);
// Places the window's outer rectangle (not topmost).
void DeviceWindow_Place(int32_t x, int32_t y, int32_t outerWidth, int32_t outerHeight);
