// Parts of the graphics layer with no device: the window layer (caption, colour, requests, cursors,
// view slots and point conversions), the profiler's bars, rates and hidden sequences, and the
// recorder's lists.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "../TestSupport_Console.h"
#include "app/App_CommandLine.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_Profiler.h"
#include "graphics/Graphics_Recorder.h"
#include "graphics/Graphics_Window.h"
#include "run/Run_Window.h"

using std::make_tuple;

namespace {

class Window : public testing::Test {
  protected:
    void SetUp() override
    {
        GR_Window_SetWindowSize(640, 480);
        GR_Window_Init();
        Profiler_Clear();
        g_DebugOverlayFlags = 0;
    }
    void TearDown() override { SetUp(); }

    static WindowMetrics Metrics(int32_t clientWidth, int32_t clientHeight, int32_t bx = 0, int32_t by = 0)
    {
        WindowMetrics m;
        m.windowWidth = 640;
        m.windowHeight = 480;
        m.clientWidth = clientWidth;
        m.clientHeight = clientHeight;
        m.borderX = bx;
        m.borderY = by;
        return m;
    }
    static auto ToRoom(const WindowMetrics& m, int32_t x, int32_t y)
    {
        int32_t rx = -12345, ry = -12345;
        GR_Window_WindowToRoomWith(m, x, y, &rx, &ry);
        return make_tuple(rx, ry);
    }
    static auto ToWindow(int32_t slot, double x, double y)
    {
        int32_t wx = -12345, wy = -12345;
        GR_Window_RoomToWindow(slot, x, y, &wx, &wy);
        return make_tuple(wx, wy);
    }
};

TEST_F(Window, CursorConstantsPickTheirShapeAndOthersOnlyStoreTheConstant)
{
    // The ends of the table, a hidden cursor, shapes shared by several constants; outside the table the
    // constant is kept and the shape before it stays.
    const int32_t cases[][2] = {{0, 0},   {-1, -1},  {-5, -1}, {-3, 2}, {-13, 11},
                                {-18, 11}, {-22, 14}, {5, 14},  {1, 14}, {-23, 14}};
    for (const auto& c : cases) {
        GR_Window_SetCursor(c[0]);
        EXPECT_EQ(make_tuple(c[1], c[0]), make_tuple(g_WindowCursorIndex, GR_Window_GetCursor())) << c[0];
    }
}

TEST_F(Window, SlotsAreCountedOnceAndOutOfRangeSlotsIgnored)
{
    for (int32_t slot : {3, 3, 31, 32, -1}) GR_Window_SetViewMapping(slot, 0, 0, 10, 10, 0, 0, 10, 10, 0);
    EXPECT_EQ(2, GR_Window_ViewSlotsInUse());
    for (int32_t slot : {3, 3, 40}) GR_Window_ClearViewMapping(slot);
    EXPECT_EQ(1, GR_Window_ViewSlotsInUse());
    EXPECT_EQ(nullptr, GR_Window_GetViewSlot(32));
}

TEST_F(Window, RoomPointsBecomeWindowPointsThroughAUsableSlotOnly)
{
    // A view turned by 90 degrees: the middle of the port's right edge shows the middle of the room
    // rectangle's bottom, and back again.
    GR_Window_SetViewMapping(0, 0, 0, 200, 200, 100, 100, 200, 200, 90);
    int32_t rx = 0, ry = 0;
    ASSERT_TRUE(GR_Window_ThroughSlot(Metrics(640, 480), 0, 200, 100, &rx, &ry));
    EXPECT_EQ(make_tuple(200, 300), make_tuple(rx, ry));
    EXPECT_EQ(make_tuple(200, 100), ToWindow(0, rx, ry));

    GR_Window_SetViewMapping(2, 100, 50, 320, 240, 1000, 2000, 160, 120, 0);
    GR_Window_SetViewMapping(4, 0, 0, 10, 10, 0, 0, 0, 10, 0); // zero-wide room
    const std::tuple<int32_t, double, double, int32_t, int32_t> cases[] = {
        {2, 1080, 2060, 260, 170}, {3, 10.6, 20.2, 11, 20}, {99, 1.0, 2.0, 1, 2}, {4, 7.0, 8.0, 7, 8}};
    for (const auto& [slot, x, y, wx, wy] : cases) EXPECT_EQ(make_tuple(wx, wy), ToWindow(slot, x, y)) << slot;
}

TEST_F(Window, WithoutViewsAPointLandsOnWhatTheWholeWindowShows)
{
    // A room of 640x1200 without views squeezed into a window cut to 768 rows; its own size shown;
    // letterboxed; a window twice the game's size; and a room with a view, which the shown size
    // does not touch.
    struct Case {
        const char* what;
        int32_t window[2], client[2], border, shown[2], point[2], room[2];
        bool view;
    };
    const Case cases[] = {
        {"squeezed", {640, 768}, {640, 768}, 0, {640, 1200}, {100, 700}, {100, 1093}, false},
        {"squeezed, bottom row", {640, 768}, {640, 768}, 0, {640, 1200}, {639, 767}, {639, 1198}, false},
        {"the window's size", {640, 768}, {640, 768}, 0, {0, 0}, {100, 700}, {100, 700}, false},
        {"letterboxed", {640, 768}, {800, 768}, 80, {640, 1200}, {400, 384}, {320, 600}, false},
        {"twice the size", {640, 480}, {1280, 960}, 0, {640, 480}, {100, 50}, {50, 25}, false},
        {"a view", {640, 768}, {640, 768}, 0, {640, 1200}, {100, 700}, {100, 700}, true},
    };
    for (const Case& c : cases) {
        GR_Window_ResetViewMappings();
        if (c.view) GR_Window_SetViewMapping(0, 0, 0, 640, 768, 0, 0, 640, 768, 0);
        WindowMetrics m = Metrics(c.client[0], c.client[1], c.border);
        m.windowWidth = c.window[0];
        m.windowHeight = c.window[1];
        m.shownWidth = c.shown[0];
        m.shownHeight = c.shown[1];
        EXPECT_EQ(make_tuple(c.room[0], c.room[1]), ToRoom(m, c.point[0], c.point[1])) << c.what;
    }
}

int g_Registrations = 0;

// A room of one view whose port is 320 x 240, registered as the room drawing would.
void RegisterOneView()
{
    ++g_Registrations;
    GR_Window_SetViewMapping(0, 0, 0, 320, 240, 0, 0, 640, 480, 0);
    GR_Window_SetDisplayScale(GR_Window_GetWidth() / 320.0, GR_Window_GetHeight() / 240.0);
}

// The source registers at the first read after it is set, and again only once what it registers from
// has changed: the point read then follows the new window size, and nothing else costs a registration.
TEST_F(Window, MappingSourceRegistersAgainOnlyAfterAChange)
{
    struct Step {
        const char* what;
        void (*act)();
        int registrations;
        double scaleX;
    };
    const Step steps[] = {
        {"first read", [] {}, 1, 2.0},
        {"read again", [] {}, 1, 2.0},
        {"the window's size set as it is", [] { GR_Window_SetWindowSize(640, 480); }, 1, 2.0},
        {"the window's size changed", [] { GR_Window_SetWindowSize(960, 480); }, 2, 3.0},
        {"a view changed", [] { GR_Window_MappingChanged(); }, 3, 3.0},
        {"the source set again", [] { GR_Window_SetMappingSource(RegisterOneView); }, 4, 3.0},
        {"the room drawn: no source", [] { GR_Window_SetMappingSource(nullptr); }, 4, 3.0},
        {"no source, the window changed", [] { GR_Window_SetWindowSize(640, 480); }, 4, 3.0},
    };
    g_Registrations = 0;
    GR_Window_SetMappingSource(RegisterOneView);
    for (const Step& step : steps) {
        step.act();
        GR_Window_CurrentMetrics();
        WindowMetrics m = GR_Window_CurrentMetrics();
        EXPECT_EQ(make_tuple(step.registrations, step.scaleX), make_tuple(g_Registrations, m.scaleX)) << step.what;
    }
    GR_Window_SetMappingSource(nullptr);
}

// ---- the profiler ----

TEST_F(Window, ProfilerBarsNestUpToTheirLimitAndUnmatchedClosesAreIgnored)
{
    Profiler_Begin(0xFF, "outer"); // starts the frame, which opens "Total" first
    ASSERT_EQ(2, g_Profiler.count);
    EXPECT_STREQ("Total", g_Profiler.bars[0].name);
    while (g_Profiler.count < PROFILER_MAX_BARS) Profiler_Begin(0xFF00, "filler");
    int32_t depth = g_Profiler.depth;
    Profiler_Begin(0xFF0000, "the 1025th"); // ignored, and so is its close
    Profiler_End();
    EXPECT_EQ(make_tuple(PROFILER_MAX_BARS, depth), make_tuple(g_Profiler.count, g_Profiler.depth));
    EXPECT_STREQ("filler", g_Profiler.bars[PROFILER_MAX_BARS - 1].name);
    for (int32_t i = 0; i < depth + 3; ++i) Profiler_End(); // three more than are open
    EXPECT_EQ(0, g_Profiler.depth);
    Profiler_StartFrame();
    Profiler_Begin(1, "fresh");
    Profiler_End();
    EXPECT_EQ(make_tuple(2, 1), make_tuple(g_Profiler.count, g_Profiler.depth)); // "Total" still open
}

TEST_F(Window, ProfilerFrameRatesStatisticsTimerAndTheShutDownLines)
{
    const std::pair<int64_t, int32_t> rates[] = {{16667, 60}, {-5, 1000000}, {2000001, 0}};
    for (auto [microseconds, rate] : rates) EXPECT_EQ(rate, Profiler_FrameRate(microseconds)) << microseconds;

    // No frame ran: the start values are no figures worth a line.
    testsupport::LogCapture none;
    Profiler_WriteStatistics();
    EXPECT_EQ("", none.Text());

    for (int32_t i = 0; i < 100; ++i) Profiler_CountFrame(i % 2 == 0 ? 5 : 500);
    auto stats = [] { return make_tuple(g_FrameStatistics.minFps, g_FrameStatistics.maxFps, g_FrameStatistics.avgFps); };
    EXPECT_EQ(make_tuple(2147483647, -2147483647 - 1, 30), stats());
    // The warm-up frames leave the start values, which are no more figures than none.
    Profiler_WriteStatistics();
    EXPECT_EQ("", none.Text());
    // Rate, then minimum, maximum and average after it.
    const int32_t steps[][4] = {{60, 60, 60, 45}, {90, 60, 90, 67}, {20, 20, 90, 43}};
    for (const auto& s : steps) {
        Profiler_CountFrame(s[0]);
        EXPECT_EQ(make_tuple(s[1], s[2], s[3]), stats()) << s[0];
    }
    testsupport::LogCapture log;
    Profiler_WriteStatistics();
    std::string dashes(63, '-');
    EXPECT_EQ(dashes + "\nminFPS, maxFPS, avgFPS\n20, 90, 43\n" + dashes + "\n", log.Text());

    // The timer counts the frames of each whole second: exactly one second is not past it.
    Profiler_TimerStart(1000);
    for (int32_t i = 1; i <= 4; ++i) Profiler_TimerTick(1000 + 250000 * i);
    EXPECT_EQ(make_tuple(0, 250.0), make_tuple(g_FrameTimer.fps, g_FrameTimer.milliseconds));
    Profiler_TimerTick(1000 + 1250000);
    EXPECT_EQ(make_tuple(5, int64_t(250000)), make_tuple(g_FrameTimer.fps, int64_t(g_FrameTimer.accumulator)));
}

TEST_F(Window, HiddenSequencesShowThePanelAndOfferTheFrameRateSwitch)
{
    // Grid cells of 10 x 10 over 640 x 480, and the points released at (their centres).
    using Points = std::vector<std::pair<int32_t, int32_t>>;
    auto cells = [](Points list) {
        for (auto& [x, y] : list) x = x * 64 + 32, y = y * 48 + 24;
        return list;
    };
    Points panel = cells({{0, 0}, {9, 0}, {9, 9}, {0, 9}, {0, 0}, {5, 5}, {0, 0}});
    Points offer = cells({{9, 9}, {0, 9}, {9, 9}, {0, 9}, {5, 5}, {9, 0}, {0, 0}, {5, 5}});
    Points wrongFirst = cells({{0, 0}, {9, 0}, {4, 4}});
    wrongFirst.insert(wrongFirst.end(), panel.begin(), panel.end());
    Points offerAndSwitch = offer;
    offerAndSwitch.push_back({40, 18});
    const int32_t P = OVERLAY_PANEL, S = OVERLAY_SWITCH_OFFERED, F = OVERLAY_FRAME_RATE;
    const std::tuple<const char*, Points, int32_t, int32_t> cases[] = {
        {"one release short", {panel.begin(), panel.end() - 1}, 0, 0},
        {"a wrong cell restarts the sequence", wrongFirst, 0, P},
        {"CLOSE hides the panel and the switch", {{600, 88}}, P | S | F, F},
        {"just below CLOSE", {{600, 96}}, P, P},
        {"CLOSE while the panel is hidden", {{600, 88}}, F, F},
        {"the second sequence offers the switch", offer, P, P | S},
        {"the offered switch toggles the frame rate", offerAndSwitch, P, P | S | F},
        {"the switch before it is offered", {{40, 18}}, P, P},
    };
    for (const auto& [name, points, before, after] : cases) {
        Profiler_Clear();
        g_DebugOverlayFlags = before;
        for (auto [x, y] : points) Profiler_OverlayRelease(x, y);
        EXPECT_EQ(after, g_DebugOverlayFlags) << name;
    }
}

// ---- the recorder ----

// Vertices told apart by x (their index), all of one colour.
std::vector<RecorderVertex> Numbered(int32_t count, uint32_t colour = 0xFF102030u)
{
    std::vector<RecorderVertex> v(size_t(count), RecorderVertex{});
    for (int32_t i = 0; i < count; ++i) v[size_t(i)].x = float(i), v[size_t(i)].colour = colour;
    return v;
}

std::vector<int32_t> Order(const RecorderList& list)
{
    std::vector<int32_t> order;
    for (int32_t i = 0; i < list.count; ++i) order.push_back(int32_t(list.vertices[i].x));
    return order;
}

TEST(Recorder, EachPrimitiveTypeLandsInItsListAsLists)
{
    const std::tuple<int32_t, int32_t, int32_t, std::vector<int32_t>> cases[] = {
        {D3DPT_TRIANGLESTRIP, 5, RECORDER_TRIANGLES, {0, 1, 2, 3, 2, 1, 2, 3, 4}}, // the middle one reversed
        {D3DPT_TRIANGLEFAN, 4, RECORDER_TRIANGLES, {0, 1, 2, 0, 2, 3}},
        {D3DPT_TRIANGLELIST, 3, RECORDER_TRIANGLES, {0, 1, 2}},
        {D3DPT_LINESTRIP, 4, RECORDER_LINES, {0, 1, 1, 2, 2, 3}},
        {D3DPT_LINELIST, 4, RECORDER_LINES, {0, 1, 2, 3}},
        {D3DPT_POINTLIST, 2, RECORDER_POINTS, {0, 1}},
        {9, 3, RECORDER_POINTS, {0, 1, 2}}, // any other type: points
        {D3DPT_TRIANGLESTRIP, 2, RECORDER_TRIANGLES, {}},
        {D3DPT_LINESTRIP, 1, RECORDER_LINES, {}},
    };
    for (const auto& [type, count, list, order] : cases) {
        GraphicsRecorder* recorder = GraphicsRecorder_Create(-1, 0);
        std::vector<RecorderVertex> v = Numbered(count);
        GraphicsRecorder_AddPrimitive(recorder, type, count, v.data());
        int32_t total = 0;
        for (const RecorderList& l : recorder->lists) total += l.count;
        EXPECT_EQ(order, Order(recorder->lists[list])) << type << " x " << count;
        EXPECT_EQ(int32_t(order.size()), total) << type << " x " << count;
        GraphicsRecorder_Destroy(recorder);
    }
}

} // namespace
