// Frame performance: the frame timer read at every end of scene, named and coloured bars that code
// opens and closes during a frame, the frame-rate statistics written to the log at shut-down, and
// the debug overlay (frame rate, bars, and a panel shown by a hidden mouse sequence) drawn over the
// picture in the window's own pixels.
#pragma once

#include <cstdint>

#include "base/Base_Console.h"
#include "graphics/Graphics_DeviceServices.h" // the device-facing half: start, overlay, timer, fonts

struct DeviceTexture;

constexpr int32_t PROFILER_MAX_BARS = 1024;
// Microseconds that fill the window's width.
constexpr double PROFILER_SCALE = 66666.664;
constexpr uint32_t PROFILER_TOTAL_COLOUR = 0xFF000080u;

struct ProfilerBar {
    int64_t start;
    int64_t end;
    uint32_t colour; // red in the low byte
    const char* name;
};

struct ProfilerState {
    ProfilerBar bars[PROFILER_MAX_BARS];
    int32_t count = 0;
    int32_t open[PROFILER_MAX_BARS]; // the open bars, innermost last
    int32_t depth = 0;
    int32_t ignored = 0; // opens beyond the limit, whose closes are ignored too
    int64_t frameStart = 0;
    bool started = false;
};
extern ProfilerState g_Profiler;

struct FrameStatistics {
    int32_t minFps = 2147483647;
    int32_t maxFps = -2147483647 - 1;
    int32_t avgFps = 30;
    int64_t frames = 0;
};
extern FrameStatistics g_FrameStatistics;

// Ticks are microseconds of the monotonic clock.
struct FrameTimer {
    int64_t frequency = 1000000;
    int64_t last = 0;
    double seconds = 0.0;
    double milliseconds = 0.0;
    int64_t accumulator = 0;
    int32_t counted = 0;
    int32_t fps = 0;
};
extern FrameTimer g_FrameTimer;

// Overlay flag bits (g_DebugOverlayFlags).
enum : int32_t {
    OVERLAY_PANEL = 1,
    OVERLAY_FRAME_RATE = 2,
    OVERLAY_SWITCH_OFFERED = 8,
};

void Profiler_Begin(uint32_t colour, const char* name);
void Profiler_End();
// Frame start: no bars, the frame's counters at 0, the bar "Total" opened.
void Profiler_StartFrame();
// The rate of a frame that took this many microseconds (0 counts as 1), rounded.
int32_t Profiler_FrameRate(int64_t microseconds);
// Counts a frame of that rate; the first 100 frames leave the statistics alone.
void Profiler_CountFrame(int32_t rate);
// The frame timer: started at `now`, and advanced to `now` at the end of each scene.
void Profiler_TimerStart(int64_t now);
void Profiler_TimerTick(int64_t now);
// A release of mouse button 1 at a point of the window's own pixels, as the overlay reads it.
void Profiler_OverlayRelease(int32_t x, int32_t y);
// The overlay's font texture (built-in image 15), made when the profiler is reset.
DeviceTexture* Profiler_OverlayTexture();
// Bars, statistics, timer, overlay sequences and the overlay texture back to their start.
void Profiler_Clear();

// Text in the overlay font. `x` = DEBUG_TEXT_CENTRED centres each line within the wrap width (the
// window's width); an outline colour other than 0 draws the outline first. Colours have red in the
// low byte and alpha in the top byte.
constexpr int32_t DEBUG_TEXT_CENTRED = int32_t(0x81234567u);
void Debug_DrawTextF(int32_t x, int32_t y, uint32_t outline, uint32_t colour, const char* format, ...)
    KELVARO_PRINTF(5, 6);
void Debug_DrawTextCentred(int32_t y, int32_t width, uint32_t colour, const char* format, ...)
    KELVARO_PRINTF(4, 5);
// The width the overlay font gives a text (the sum of its glyphs' widths).
int32_t Debug_TextGlyphWidth(const char* text);
// Digits of the debug font ("font.png"): nothing while it is absent.
void Debug_DrawDigit(float x, float y, float scale, int32_t digit);
void Debug_DrawNumber(float x, float y, float scale, int32_t value);
// Loads "font.png" from the current folder (absent: no debug font).
void Profiler_LoadDebugFont();
