// The profiler without a device: bars and their limit, frame rates and statistics, the frame timer,
// the shut-down lines, and the overlay's hidden mouse sequences.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "app/App_CommandLine.h"
#include "graphics/Graphics_Profiler.h"
#include "graphics/Graphics_Window.h"

namespace {

class Profiler : public testing::Test {
  protected:
    void SetUp() override
    {
        Profiler_Clear();
        g_DebugOverlayFlags = 0;
        GR_Window_SetWindowSize(640, 480);
    }
    void TearDown() override { SetUp(); }
};

TEST_F(Profiler, BarsNestUpToTheirLimitAndUnmatchedClosesAreIgnored)
{
    Profiler_Begin(0xFF, "outer"); // starts the frame, which opens "Total" first
    ASSERT_EQ(2, g_Profiler.count);
    EXPECT_STREQ("Total", g_Profiler.bars[0].name);
    while (g_Profiler.count < PROFILER_MAX_BARS)
        Profiler_Begin(0xFF00, "filler");
    int32_t depth = g_Profiler.depth;
    Profiler_Begin(0xFF0000, "the 1025th"); // ignored, and so is its close
    Profiler_End();
    EXPECT_EQ(PROFILER_MAX_BARS, g_Profiler.count);
    EXPECT_STREQ("filler", g_Profiler.bars[PROFILER_MAX_BARS - 1].name);
    EXPECT_EQ(depth, g_Profiler.depth);
    for (int32_t i = 0; i < depth + 3; ++i)
        Profiler_End(); // three more than are open
    EXPECT_EQ(0, g_Profiler.depth);
    Profiler_StartFrame();
    Profiler_Begin(1, "fresh");
    Profiler_End();
    EXPECT_EQ(2, g_Profiler.count);
    EXPECT_EQ(1, g_Profiler.depth); // "Total" still open
}

TEST_F(Profiler, FrameRatesStatisticsAndTheShutDownLines)
{
    const std::pair<int64_t, int32_t> rates[] = {{16667, 60}, {0, 1000000}, {-5, 1000000}, {3, 333333},
                                                 {1000000, 1}, {2000001, 0}, {33333, 30}};
    for (auto [microseconds, rate] : rates)
        EXPECT_EQ(rate, Profiler_FrameRate(microseconds)) << microseconds;

    for (int32_t i = 0; i < 100; ++i)
        Profiler_CountFrame(i % 2 == 0 ? 5 : 500);
    EXPECT_EQ(2147483647, g_FrameStatistics.minFps);
    EXPECT_EQ(-2147483647 - 1, g_FrameStatistics.maxFps);
    EXPECT_EQ(30, g_FrameStatistics.avgFps);
    // Rate, then minimum, maximum and average after it.
    const int32_t steps[][4] = {{60, 60, 60, 45}, {20, 20, 60, 32}, {90, 20, 90, 61}};
    for (const auto& s : steps) {
        Profiler_CountFrame(s[0]);
        EXPECT_EQ((std::vector<int32_t>{s[1], s[2], s[3]}),
                  (std::vector<int32_t>{g_FrameStatistics.minFps, g_FrameStatistics.maxFps, g_FrameStatistics.avgFps}));
    }
    testsupport::LogCapture log;
    Profiler_WriteStatistics();
    std::string dashes(63, '-');
    EXPECT_EQ(dashes + "\nminFPS, maxFPS, avgFPS\n20, 90, 61\n" + dashes + "\n", log.Text());
}

TEST_F(Profiler, TheTimerCountsTheFramesOfEachWholeSecond)
{
    Profiler_TimerStart(1000);
    for (int32_t i = 1; i <= 4; ++i)
        Profiler_TimerTick(1000 + 250000 * i);
    EXPECT_EQ(0, g_FrameTimer.fps); // exactly one second is not past it
    EXPECT_DOUBLE_EQ(250.0, g_FrameTimer.milliseconds);
    Profiler_TimerTick(1000 + 1250000);
    EXPECT_EQ(5, g_FrameTimer.fps);
    EXPECT_EQ(250000, g_FrameTimer.accumulator);
}

TEST_F(Profiler, HiddenSequencesShowThePanelAndOfferTheFrameRateSwitch)
{
    // Grid cells of 10 x 10 over 640 x 480, and the points released at (their centres).
    auto cells = [](std::vector<std::pair<int32_t, int32_t>> list) {
        std::vector<std::pair<int32_t, int32_t>> points;
        for (auto [x, y] : list)
            points.push_back({x * 64 + 32, y * 48 + 24});
        return points;
    };
    auto panel = cells({{0, 0}, {9, 0}, {9, 9}, {0, 9}, {0, 0}, {5, 5}, {0, 0}});
    auto offer = cells({{9, 9}, {0, 9}, {9, 9}, {0, 9}, {5, 5}, {9, 0}, {0, 0}, {5, 5}});
    auto wrongFirst = cells({{0, 0}, {9, 0}, {4, 4}});
    wrongFirst.insert(wrongFirst.end(), panel.begin(), panel.end());
    auto offerAndSwitch = offer;
    offerAndSwitch.push_back({40, 18});
    const int32_t P = OVERLAY_PANEL, S = OVERLAY_SWITCH_OFFERED, F = OVERLAY_FRAME_RATE;
    struct Case {
        const char* name;
        std::vector<std::pair<int32_t, int32_t>> points;
        int32_t before, after;
    };
    const Case cases[] = {
        {"the panel's sequence", panel, 0, P},
        {"one release short", {panel.begin(), panel.end() - 1}, 0, 0},
        {"a wrong cell restarts the sequence", wrongFirst, 0, P},
        {"CLOSE hides the panel and the switch", {{600, 88}}, P | S | F, F},
        {"just below CLOSE", {{600, 96}}, P, P},
        {"the second sequence offers the switch", offer, P, P | S},
        {"the offered switch toggles the frame rate", offerAndSwitch, P, P | S | F},
        {"the switch before it is offered", {{40, 18}}, P, P},
        {"CLOSE while the panel is hidden", {{600, 88}}, F, F},
    };
    for (const Case& c : cases) {
        Profiler_Clear();
        g_DebugOverlayFlags = c.before;
        for (auto [x, y] : c.points)
            Profiler_OverlayRelease(x, y);
        EXPECT_EQ(c.after, g_DebugOverlayFlags) << c.name;
    }
}

} // namespace
