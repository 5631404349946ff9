#include "graphics/Graphics_Profiler.h"

#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceServices.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Texture.h"
#include "io/IO_Main.h"
#include "object/Object_Table.h"
#include "platform/Platform_EmbeddedImages.h"
#include "run/Run_Globals.h"
#include "support/Support_Timing.h"

ProfilerState g_Profiler;
FrameStatistics g_FrameStatistics;
FrameTimer g_FrameTimer;

namespace {

// The program's own version, shown on the overlay panel.
constexpr int32_t VERSION_MAJOR = 1;
constexpr int32_t VERSION_MINOR = 0;
constexpr int32_t VERSION_BUILD = 1;
constexpr const char* VERSION_PLATFORM = "linux-x64";

constexpr int32_t STATISTICS_WARM_UP_FRAMES = 100;
// One frame at 60 frames a second: the white bar under the others.
constexpr int64_t REFERENCE_BAR_MICROSECONDS = 16667;
constexpr uint32_t WHITE = 0xFFFFFFFFu;
constexpr uint32_t BLACK = 0xFF000000u;
constexpr uint32_t PANEL_COLOUR = 0xA0000000u;

DeviceTexture* g_OverlayTexture = nullptr;
DeviceTexture* g_DebugFont = nullptr;

// The hidden sequences: cells of a 10 x 10 grid of the window, packed as x | y << 8 | tolerance << 16.
constexpr uint32_t Cell(uint32_t x, uint32_t y, uint32_t tolerance)
{
    return x | y << 8 | tolerance << 16;
}
const uint32_t PANEL_SEQUENCE[7] = {Cell(0, 0, 1), Cell(9, 0, 1), Cell(9, 9, 1), Cell(0, 9, 1),
                                    Cell(0, 0, 1), Cell(5, 5, 1), Cell(0, 0, 1)};
const uint32_t SWITCH_SEQUENCE[8] = {Cell(9, 9, 1), Cell(0, 9, 1), Cell(9, 9, 1), Cell(0, 9, 1),
                                     Cell(5, 5, 1), Cell(9, 0, 1), Cell(0, 0, 1), Cell(5, 5, 1)};

struct SequenceState {
    int32_t panel = 0;
    int32_t sw = 0;
};
SequenceState g_Sequences;

int64_t Now()
{
    return Timing_Time();
}

int64_t MonotonicMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

bool InCell(uint32_t cell, int32_t gx, int32_t gy)
{
    int32_t cx = int32_t(cell & 0xFF), cy = int32_t((cell >> 8) & 0xFF), tolerance = int32_t(cell >> 16);
    return gx >= cx - tolerance && gx <= cx + tolerance && gy >= cy - tolerance && gy <= cy + tolerance;
}

// Advances a sequence by a release in grid cell (gx, gy); true when it is complete. A wrong cell
// starts it again (counting the release as its first cell when it is that).
bool Advance(const uint32_t* sequence, int32_t length, int32_t* position, int32_t gx, int32_t gy)
{
    if (InCell(sequence[*position], gx, gy))
        ++*position;
    else
        *position = InCell(sequence[0], gx, gy) ? 1 : 0;
    if (*position < length) return false;
    *position = 0;
    return true;
}

bool Inside(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return x >= left && x <= right && y >= top && y <= bottom;
}

// The mouse in the window's own pixels: scaled from the client area to the view's port, the room or
// the screen.
void OverlayMouse(int32_t* x, int32_t* y)
{
    DeviceRoomView room;
    Room_CurrentViewForDevice(&room);
    int32_t w = 0, h = 0;
    GR_GetScreenSize(&w, &h);
    if (room.viewVisible) {
        w = room.portWidth, h = room.portHeight;
    } else if (room.hasRoom) {
        w = room.width, h = room.height;
    }
    *x = IO_MouseX(0);
    *y = IO_MouseY(0);
    if (g_D3D.clientWidth > 0 && g_D3D.clientHeight > 0) {
        *x = int32_t(int64_t(*x) * w / g_D3D.clientWidth);
        *y = int32_t(int64_t(*y) * h / g_D3D.clientHeight);
    }
}

void Quad(TexturedVertex* v, float left, float top, float right, float bottom, float z, uint32_t colour)
{
    v[0] = {left, top, z, colour, 0, 0};
    v[1] = {right, top, z, colour, 0, 0};
    v[2] = {right, bottom, z, colour, 0, 0};
    v[3] = {right, bottom, z, colour, 0, 0};
    v[4] = {left, bottom, z, colour, 0, 0};
    v[5] = {left, top, z, colour, 0, 0};
}

float BarX(int64_t time, float width)
{
    return float(double(time - g_Profiler.frameStart) / PROFILER_SCALE * width);
}

// The white reference bar, then every bar in recording order on the row from y 10 to y 20.
void DrawBars()
{
    float width = float(GR_Window_GetWidth());
    int32_t count = g_Profiler.count + 1;
    auto* v = static_cast<TexturedVertex*>(Graphics::AllocVerts(4, nullptr, 24, 6 * count));
    if (v == nullptr) return;
    int64_t start = g_Profiler.frameStart;
    Quad(v, 0, 10, BarX(start + REFERENCE_BAR_MICROSECONDS, width), 20, 0.5f, WHITE);
    for (int32_t i = 0; i < g_Profiler.count; ++i) {
        const ProfilerBar& bar = g_Profiler.bars[i];
        // Bars are opaque: their colours are 24-bit as the frame's stages give them.
        Quad(v + 6 * (i + 1), BarX(bar.start, width), 10, BarX(bar.end, width), 20, 0.5f,
             GR_VertexColourFromByte(bar.colour, 255));
    }
}

void DrawPanel()
{
    int32_t width = GR_Window_GetWidth();
    auto* v = static_cast<TexturedVertex*>(Graphics::AllocVerts(4, nullptr, 24, 6));
    if (v != nullptr) Quad(v, 0, 0, float(width), 100, 0.6f, PANEL_COLOUR);
    Debug_DrawTextCentred(40, width, WHITE, "Wexo Games Kirran v%d.%d(%d)[%s]%c", VERSION_MAJOR, VERSION_MINOR,
                          VERSION_BUILD, VERSION_PLATFORM, (g_ObjectSpriteMarker & 0x80000000u) != 0 ? '*' : ' ');
    if (g_GameHeader.present)
        Debug_DrawTextCentred(54, width, WHITE, "Game : %s v%d.%d", g_GameHeader.name != nullptr ? g_GameHeader.name : "",
                              g_GameOptions.versionMajor, g_GameOptions.versionMinor);
    Debug_DrawTextF(width - 80, 80, 0, WHITE, "CLOSE");
    if ((g_DebugOverlayFlags & OVERLAY_SWITCH_OFFERED) != 0)
        Debug_DrawTextF(10, 10, 0, WHITE, "%s", (g_DebugOverlayFlags & OVERLAY_FRAME_RATE) != 0 ? "FPS : ON" : "FPS : OFF");
}

void HandleOverlayInput()
{
    if (!IO_Button_Released(1, 0)) return;
    int32_t x = 0, y = 0;
    OverlayMouse(&x, &y);
    Profiler_OverlayRelease(x, y);
}

void FreeTexture(DeviceTexture** texture)
{
    if (*texture != nullptr) GR_Texture_Free(*texture);
    *texture = nullptr;
}

} // namespace

void Profiler_Begin(uint32_t colour, const char* name)
{
    if (!g_Profiler.started) Profiler_StartFrame();
    if (g_Profiler.count >= PROFILER_MAX_BARS) {
        ++g_Profiler.ignored;
        return;
    }
    int64_t now = Now();
    g_Profiler.bars[g_Profiler.count] = ProfilerBar{now, now, colour, name};
    g_Profiler.open[g_Profiler.depth++] = g_Profiler.count++;
}

void Profiler_End()
{
    // The close of an ignored open is ignored with it; a close with nothing open changes nothing.
    if (g_Profiler.ignored > 0) {
        --g_Profiler.ignored;
        return;
    }
    if (g_Profiler.depth <= 0) return;
    g_Profiler.bars[g_Profiler.open[--g_Profiler.depth]].end = Now();
}

void Profiler_StartFrame()
{
    g_Profiler.count = 0;
    g_Profiler.depth = 0;
    g_Profiler.ignored = 0;
    g_Profiler.frameStart = Now();
    g_Profiler.started = true;
    g_BatchStatistics.lastTextureSwitches = g_BatchStatistics.textureSwitches;
    g_BatchStatistics.lastDrawCalls = g_BatchStatistics.drawCalls;
    g_BatchStatistics.textureSwitches = 0;
    g_BatchStatistics.drawCalls = 0;
    Profiler_Begin(PROFILER_TOTAL_COLOUR, "Total");
}

int32_t Profiler_FrameRate(int64_t microseconds)
{
    // A frame measured at 0 microseconds counts as 1.
    if (microseconds < 1) microseconds = 1;
    return int32_t((1000000 + microseconds / 2) / microseconds);
}

void Profiler_CountFrame(int32_t rate)
{
    FrameStatistics& s = g_FrameStatistics;
    if (s.frames >= STATISTICS_WARM_UP_FRAMES) {
        if (rate < s.minFps) s.minFps = rate;
        if (rate > s.maxFps) s.maxFps = rate;
        s.avgFps = int32_t((int64_t(s.avgFps) + rate) / 2);
    }
    ++s.frames;
}

void Profiler_TimerStart(int64_t now)
{
    g_FrameTimer = FrameTimer();
    g_FrameTimer.last = now;
}

void Profiler_TimerTick(int64_t now)
{
    FrameTimer& t = g_FrameTimer;
    int64_t delta = now - t.last;
    t.seconds = double(delta) / double(t.frequency);
    t.milliseconds = 1000.0 / double(t.frequency) * double(delta);
    t.last = now;
    t.accumulator += delta;
    ++t.counted;
    if (t.accumulator > t.frequency) {
        t.accumulator -= t.frequency;
        t.fps = t.counted;
        t.counted = 0;
    }
}

void Profiler_OverlayRelease(int32_t x, int32_t y)
{
    int32_t w = GR_Window_GetWidth(), h = GR_Window_GetHeight();
    if (w <= 0 || h <= 0) return;
    int32_t gx = int32_t(int64_t(x) * 10 / w), gy = int32_t(int64_t(y) * 10 / h);
    int32_t& flags = g_DebugOverlayFlags;
    if ((flags & OVERLAY_PANEL) == 0) {
        if (Advance(PANEL_SEQUENCE, 7, &g_Sequences.panel, gx, gy)) flags |= OVERLAY_PANEL;
        return;
    }
    if (Inside(x, y, w - 80, 81, w - 16, 95)) {
        flags &= ~(OVERLAY_PANEL | OVERLAY_SWITCH_OFFERED);
        g_Sequences = SequenceState();
    } else if ((flags & OVERLAY_SWITCH_OFFERED) != 0) {
        if (Inside(x, y, 11, 11, 73, 25)) flags ^= OVERLAY_FRAME_RATE;
    } else if (Advance(SWITCH_SEQUENCE, 8, &g_Sequences.sw, gx, gy)) {
        flags |= OVERLAY_SWITCH_OFFERED;
    }
}

DeviceTexture* Profiler_OverlayTexture()
{
    return g_OverlayTexture;
}

DeviceTexture* Profiler_DebugFontTexture()
{
    return g_DebugFont;
}

void Profiler_LoadDebugFont()
{
    FreeTexture(&g_DebugFont);
    std::ifstream in("font.png", std::ios::binary);
    if (!in) return;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty() || bytes.size() > size_t(INT32_MAX)) return;
    DeviceTextureInfo info;
    g_DebugFont = GR_Texture_CreateFromData(bytes.data(), int32_t(bytes.size()), &info, 0);
}

void Profiler_ReleaseDebugFont()
{
    FreeTexture(&g_DebugFont);
    FreeTexture(&g_OverlayTexture);
}

void Profiler_Clear()
{
    g_Profiler.count = 0;
    g_Profiler.depth = 0;
    g_Profiler.ignored = 0;
    g_Profiler.started = false;
    g_FrameStatistics = FrameStatistics();
    g_Sequences = SequenceState();
    Profiler_TimerStart(MonotonicMicroseconds());
    FreeTexture(&g_OverlayTexture);
}

void Profiler_InitDevice()
{
    Profiler_TimerStart(MonotonicMicroseconds());
    g_Profiler.count = 0;
    g_Profiler.depth = 0;
    g_Profiler.started = false;
    FreeTexture(&g_OverlayTexture);
    g_OverlayTexture = EmbeddedImage_Decode(EMBEDDED_IMAGE_OVERLAY_FONT);
    Profiler_LoadDebugFont();
}

void Profiler_DrawOverlay()
{
    if (!g_Profiler.started) Profiler_StartFrame();
    Profiler_End(); // "Total"
    int32_t rate = Profiler_FrameRate(Now() - g_Profiler.frameStart);
    Profiler_CountFrame(rate);
    HandleOverlayInput();
    int32_t flags = g_DebugOverlayFlags;
    if ((flags & (OVERLAY_PANEL | OVERLAY_FRAME_RATE)) != 0) {
        GR_D3D_PushWindowOrtho();
        if ((flags & OVERLAY_FRAME_RATE) != 0) {
            if (g_Paused == 0) DrawBars();
            Debug_DrawTextF(0, 0, BLACK, WHITE, "%dfps\t\t(%d)(%d)", rate, g_BatchStatistics.textureSwitches,
                            g_BatchStatistics.drawCalls);
        }
        if ((flags & OVERLAY_PANEL) != 0) DrawPanel();
        Graphics::Flush();
        GR_D3D_PopWindowOrtho();
    }
    g_Profiler.started = false;
}

void Profiler_UpdateTimer()
{
    Profiler_TimerTick(MonotonicMicroseconds());
}

void Profiler_WriteStatistics()
{
    static const char DASHES[] = "---------------------------------------------------------------";
    static_assert(sizeof(DASHES) == 64, "a line of 63 dashes");
    // The figures move only after the warm-up frames; before that they are only their start values,
    // which would read as measurements.
    if (g_FrameStatistics.frames <= STATISTICS_WARM_UP_FRAMES) return;
    MainConsole->Output("%s\n", DASHES);
    MainConsole->Output("minFPS, maxFPS, avgFPS\n");
    MainConsole->Output("%d, %d, %d\n", g_FrameStatistics.minFps, g_FrameStatistics.maxFps, g_FrameStatistics.avgFps);
    MainConsole->Output("%s\n", DASHES);
}
