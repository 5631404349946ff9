// PLACEHOLDERS for routines of other areas that the device layer calls (Graphics_DeviceServices.h):
// each does what the system does before that part exists, and goes when the real one is built.
#include "graphics/Graphics_DevicePlaceholders.h"

#include "gamefile/GameFile_Options.h"

#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"

// PLACEHOLDER until the profiler overlay exists: no timer to start and no "font.png" loaded.
void Profiler_InitDevice() {}

// PLACEHOLDER until the profiler overlay exists: the frame's counters start again.
void Profiler_StartFrame()
{
    g_BatchStatistics.textureSwitches = 0;
    g_BatchStatistics.drawCalls = 0;
}

// PLACEHOLDER until the profiler overlay exists: the overlay is hidden at start.
void Profiler_DrawOverlay() {}

// PLACEHOLDER until the profiler overlay exists: no frame timer.
void Profiler_UpdateTimer() {}

// PLACEHOLDER until the profiler overlay exists: no debug font texture.
DeviceTexture* Profiler_DebugFontTexture()
{
    return nullptr;
}

// PLACEHOLDER until the profiler overlay exists: no debug font texture to release.
void Profiler_ReleaseDebugFont() {}

// PLACEHOLDER until the profiler overlay exists: no statistics kept.
void Profiler_WriteStatistics() {}
