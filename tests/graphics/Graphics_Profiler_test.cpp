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
    void TearDown() override
    {
        Profiler_Clear();
        g_DebugOverlayFlags = 0;
    }
};

TEST_F(Profiler, BarsNestUpToTheirLimitAndUnmatchedClosesAreIgnored)
{
    Profiler_Begin(0xFF, "outer"); // starts the frame, which opens "Total" first
    ASSERT_EQ(2, g_Profiler.count);
    EXPECT_STREQ("Total", g_Profiler.bars[0].name);
    EXPECT_EQ(PROFILER_TOTAL_COLOUR, g_Profiler.bars[0].colour);
    EXPECT_EQ(2, g_Profiler.depth);
    while (g_Profiler.count < PROFILER_MAX_BARS)
        Profiler_Begin(0xFF00, "filler");
    int32_t depth = g_Profiler.depth;

    Profiler_Begin(0xFF0000, "the 1025th"); // ignored, and so is its close
    EXPECT_EQ(PROFILER_MAX_BARS, g_Profiler.count);
    EXPECT_STREQ("filler", g_Profiler.bars[PROFILER_MAX_BARS - 1].name);
    Profiler_End();
    EXPECT_EQ(depth, g_Profiler.depth);

    for (int32_t i = 0; i < depth + 3; ++i)
        Profiler_End(); // three more than are open
    EXPECT_EQ(0, g_Profiler.depth);
    Profiler_StartFrame();
    EXPECT_EQ(1, g_Profiler.count);
    EXPECT_EQ(1, g_Profiler.depth);
    Profiler_Begin(1, "fresh");
    Profiler_End();
    EXPECT_GE(g_Profiler.bars[1].end, g_Profiler.bars[1].start);
    EXPECT_EQ(1, g_Profiler.depth); // "Total" still open
}

TEST_F(Profiler, FrameRatesAndTheStatisticsAfterTheFirstHundredFrames)
{
    const std::pair<int64_t, int32_t> rates[] = {
        {16667, 60}, {0, 1000000}, {-5, 1000000}, {1, 1000000}, {3, 333333}, {1000000, 1}, {2000001, 0}, {33333, 30},
    };
    for (auto [microseconds, rate] : rates)
        EXPECT_EQ(rate, Profiler_FrameRate(microseconds)) << microseconds;

    for (int32_t i = 0; i < 100; ++i)
        Profiler_CountFrame(i % 2 == 0 ? 5 : 500);
    EXPECT_EQ(2147483647, g_FrameStatistics.minFps);
    EXPECT_EQ(-2147483647 - 1, g_FrameStatistics.maxFps);
    EXPECT_EQ(30, g_FrameStatistics.avgFps);
    EXPECT_EQ(100, g_FrameStatistics.frames);

    struct Step {
        int32_t rate, min, max, avg;
    };
    for (Step s : {Step{60, 60, 60, 45}, Step{20, 20, 60, 32}, Step{90, 20, 90, 61}}) {
        Profiler_CountFrame(s.rate);
        EXPECT_EQ(s.min, g_FrameStatistics.minFps) << s.rate;
        EXPECT_EQ(s.max, g_FrameStatistics.maxFps) << s.rate;
        EXPECT_EQ(s.avg, g_FrameStatistics.avgFps) << s.rate;
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
    EXPECT_DOUBLE_EQ(0.25, g_FrameTimer.seconds);
    EXPECT_DOUBLE_EQ(250.0, g_FrameTimer.milliseconds);
    Profiler_TimerTick(1000 + 1250000);
    EXPECT_EQ(5, g_FrameTimer.fps);
    EXPECT_EQ(250000, g_FrameTimer.accumulator);
    EXPECT_EQ(0, g_FrameTimer.counted);
}

// Points of the 640 x 480 window at the centre of grid cell (x, y) of 10 x 10.
struct Click {
    int32_t x, y;
};
Click CellCentre(int32_t x, int32_t y)
{
    return Click{x * 64 + 32, y * 48 + 24};
}

TEST_F(Profiler, HiddenSequencesShowThePanelAndOfferTheFrameRateSwitch)
{
    const std::vector<Click> panel = {CellCentre(0, 0), CellCentre(9, 0), CellCentre(9, 9), CellCentre(0, 9),
                                      CellCentre(0, 0), CellCentre(5, 5), CellCentre(0, 0)};
    const std::vector<Click> offer = {CellCentre(9, 9), CellCentre(0, 9), CellCentre(9, 9), CellCentre(0, 9),
                                      CellCentre(5, 5), CellCentre(9, 0), CellCentre(0, 0), CellCentre(5, 5)};
    const Click close = {600, 88}, outsideClose = {600, 96}, fpsSwitch = {40, 18};
    struct Case {
        const char* name;
        std::vector<Click> clicks;
        int32_t flagsBefore, flagsAfter;
    };
    std::vector<Click> wrongThenRight = {CellCentre(0, 0), CellCentre(9, 0), CellCentre(4, 4)};
    wrongThenRight.insert(wrongThenRight.end(), panel.begin(), panel.end());
    std::vector<Click> shortOfOne(panel.begin(), panel.end() - 1);
    std::vector<Click> offerAndSwitch = offer;
    offerAndSwitch.push_back(fpsSwitch);
    const Case cases[] = {
        {"the panel's sequence shows the panel", panel, 0, OVERLAY_PANEL},
        {"one release short shows nothing", shortOfOne, 0, 0},
        {"a wrong cell restarts the sequence", wrongThenRight, 0, OVERLAY_PANEL},
        {"the panel's sequence keeps the frame rate", panel, OVERLAY_FRAME_RATE, OVERLAY_FRAME_RATE | OVERLAY_PANEL},
        {"CLOSE hides the panel and the switch", {close}, OVERLAY_PANEL | OVERLAY_SWITCH_OFFERED | 2, 2},
        {"just below CLOSE is not CLOSE", {outsideClose}, OVERLAY_PANEL, OVERLAY_PANEL},
        {"the second sequence offers the switch", offer, OVERLAY_PANEL, OVERLAY_PANEL | OVERLAY_SWITCH_OFFERED},
        {"the offered switch toggles the frame rate", offerAndSwitch, OVERLAY_PANEL,
         OVERLAY_PANEL | OVERLAY_SWITCH_OFFERED | OVERLAY_FRAME_RATE},
        {"the switch does nothing before it is offered", {fpsSwitch}, OVERLAY_PANEL, OVERLAY_PANEL},
        {"a hidden panel ignores CLOSE", {close}, OVERLAY_FRAME_RATE, OVERLAY_FRAME_RATE},
    };
    for (const Case& c : cases) {
        Profiler_Clear();
        g_DebugOverlayFlags = c.flagsBefore;
        for (Click click : c.clicks)
            Profiler_OverlayRelease(click.x, click.y);
        EXPECT_EQ(c.flagsAfter, g_DebugOverlayFlags) << c.name;
    }
}

TEST_F(Profiler, CentredTextIsMeasuredByItsGlyphs)
{
    // Spaces have no glyph width; the other characters their ink width.
    EXPECT_EQ(0, Debug_TextGlyphWidth("   "));
    EXPECT_EQ(Debug_TextGlyphWidth("AB"), Debug_TextGlyphWidth("A B"));
    EXPECT_GT(Debug_TextGlyphWidth("W"), Debug_TextGlyphWidth("i"));
    EXPECT_EQ(0, Debug_TextGlyphWidth("\x90\xFF")); // codes past 136 have no glyph
}

} // namespace
