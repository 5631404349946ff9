// PLACEHOLDERS for routines of other issues that the device layer calls (Graphics_DeviceServices.h):
// each does what the system does before that part exists. The issue named on each replaces it.
#include "graphics/Graphics_DevicePlaceholders.h"

#include "gamefile/GameFile_Options.h"

#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"

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
