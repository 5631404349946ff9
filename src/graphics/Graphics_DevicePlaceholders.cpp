// PLACEHOLDERS for routines of other issues that the device layer calls (Graphics_DeviceServices.h):
// each does what the system does before that part exists. The issue named on each replaces it.
#include "graphics/Graphics_DevicePlaceholders.h"

#include "gamefile/GameFile_Options.h"

#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"

// PLACEHOLDER for the rooms issue: no current room, so the default views stand.
void Room_CurrentViewForDevice(DeviceRoomView* view)
{
    *view = DeviceRoomView{};
}

namespace {
int32_t g_PlaceholderWindowWidth = 640;
int32_t g_PlaceholderWindowHeight = 480;
} // namespace

// PLACEHOLDER for the window-and-cursor issue: the size the game draws at, kept here.
int32_t GR_Window_GetWidth()
{
    return g_PlaceholderWindowWidth;
}

// PLACEHOLDER for the window-and-cursor issue.
int32_t GR_Window_GetHeight()
{
    return g_PlaceholderWindowHeight;
}

// PLACEHOLDER for the window-and-cursor issue.
void GR_Window_SetWindowSize(int32_t width, int32_t height)
{
    g_PlaceholderWindowWidth = width;
    g_PlaceholderWindowHeight = height;
}

// PLACEHOLDER for the window-and-cursor issue: the game options' window colour.
uint32_t GR_Window_GetColour()
{
    return g_GameOptions.windowColour & 0xFFFFFFu;
}

// PLACEHOLDER for the surfaces issue: no surfaces exist.
void Surface_FreeAll() {}

// PLACEHOLDER for the profiler issue: no timer to start and no "font.png" loaded.
void Profiler_InitDevice() {}

// PLACEHOLDER for the profiler issue: the frame's counters start again.
void Profiler_StartFrame()
{
    g_BatchStatistics.textureSwitches = 0;
    g_BatchStatistics.drawCalls = 0;
}

// PLACEHOLDER for the profiler issue: the overlay is hidden at start.
void Profiler_DrawOverlay() {}

// PLACEHOLDER for the profiler issue: no frame timer.
void Profiler_UpdateTimer() {}

// PLACEHOLDER for the profiler issue: no debug font texture.
DeviceTexture* Profiler_DebugFontTexture()
{
    return nullptr;
}

// PLACEHOLDER for the profiler issue: no debug font texture to release.
void Profiler_ReleaseDebugFont() {}

// PLACEHOLDER for the profiler issue: no statistics kept.
void Profiler_WriteStatistics() {}
