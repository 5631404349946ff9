#include "run/Run_MainLoop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/Platform_TestSwitches.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Globals.h"
#include "run/Run_Placeholders.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

namespace {

// A clock that moves one microsecond per reading, and by the whole amount when slept on.
int64_t g_FakeNow = 0;
int64_t g_FakeStep = 1;
std::vector<int64_t> g_Sleeps;

int64_t FakeNow()
{
    g_FakeNow += g_FakeStep;
    return g_FakeNow;
}

void FakeSleep(int64_t milliseconds)
{
    g_Sleeps.push_back(milliseconds);
    g_FakeNow += milliseconds * 1000;
}

const TimingClock FAKE_CLOCK = {FakeNow, FakeSleep};

class FakeClockTest : public testing::Test {
  protected:
    void SetUp() override
    {
        unsetenv("KELVARO_MAX_FRAMES");
        unsetenv("KELVARO_NO_WAIT");
        TestSwitches_Reload();
        g_FakeNow = 1000000000;
        g_FakeStep = 1;
        g_Sleeps.clear();
        Timing_SetClock(&FAKE_CLOCK);
        Timing_Init();
    }
    void TearDown() override
    {
        Timing_SetClock(nullptr);
        unsetenv("KELVARO_MAX_FRAMES");
        unsetenv("KELVARO_NO_WAIT");
        TestSwitches_Reload();
        g_RunState = 0;
        g_Paused = 0;
        Run_EndGame();
        RoomTables_Reset();
        g_RunRequest = RUN_REQUEST_NONE;
    }

    // A running game, as start-up leaves it: four rooms in order, each at 60 frames per second.
    static void StartRunning()
    {
        Run_InitGlobals();
        RoomTables_Reset();
        for (int32_t i = 0; i < 4; ++i) Room_Get(Room_Add())->m_Speed = 60;
        const int32_t order[] = {0, 1, 2, 3};
        Room_LoadOrder(order, 4);
        Run_Start();
        g_Sleeps.clear();
    }
};

} // namespace

TEST(FrameWaitTest, RestOfThePeriodBetweenZeroAndOneSecond)
{
    EXPECT_EQ(23333, Run_FrameWait(30, 10000));
    EXPECT_EQ(33333, Run_FrameWait(30, 0));
    EXPECT_EQ(16666, Run_FrameWait(60, 0));
    EXPECT_EQ(0, Run_FrameWait(30, 40000));  // the frame took longer than its period
    EXPECT_EQ(1000000, Run_FrameWait(1, 0)); // room speed 1: a whole second, never more
    EXPECT_EQ(1, Run_FrameWait(1000000, 0));
    EXPECT_EQ(0, Run_FrameWait(3000000, 0));
}

TEST(FrameWaitTest, RoomSpeedZeroOrLessBecomesOneInTheRoom)
{
    int32_t speed = 0;
    EXPECT_EQ(1, Run_CorrectRoomSpeed(&speed));
    EXPECT_EQ(1, speed);
    speed = -30;
    EXPECT_EQ(1, Run_CorrectRoomSpeed(&speed));
    EXPECT_EQ(1, speed);
    speed = 30;
    EXPECT_EQ(30, Run_CorrectRoomSpeed(&speed));
    EXPECT_EQ(60, Run_CorrectRoomSpeed(nullptr));
}

TEST_F(FakeClockTest, WaitSleepsWholeMillisecondsThenSpinsToTheEnd)
{
    int64_t start = Timing_Time();
    Timing_Wait(23333);
    ASSERT_EQ(1u, g_Sleeps.size());
    EXPECT_EQ(22, g_Sleeps[0]);
    int64_t end = Timing_Time();
    EXPECT_GE(end - start, 23333);
    EXPECT_LE(end - start, 23333 + 3);
}

TEST_F(FakeClockTest, ShortWaitOnlySpins)
{
    int64_t start = Timing_Time();
    Timing_Wait(1500);
    EXPECT_TRUE(g_Sleeps.empty());
    EXPECT_GE(Timing_Time() - start, 1500);
}

TEST_F(FakeClockTest, NothingForZeroOrLessAndAtMostThreeSeconds)
{
    int64_t start = Timing_Time();
    Timing_Wait(0);
    Timing_Wait(-5000);
    EXPECT_TRUE(g_Sleeps.empty());
    EXPECT_LE(Timing_Time() - start, 2);

    Timing_Wait(10000000);
    ASSERT_EQ(1u, g_Sleeps.size());
    EXPECT_EQ(2999, g_Sleeps[0]);
    EXPECT_LE(Timing_Time() - start, 3000000 + 5);
}

TEST_F(FakeClockTest, ClockGoingBackEndsTheWait)
{
    g_FakeStep = -1;
    Timing_Wait(1500); // would spin for ever if the backward clock were not noticed
    EXPECT_TRUE(g_Sleeps.empty());
}

TEST_F(FakeClockTest, AGameWithoutARoomPlaysNoFrame)
{
    Run_InitGlobals();
    RoomTables_Reset();
    Run_Start();
    EXPECT_EQ(RUN_REQUEST_END, g_RunRequest);
    int32_t frames = g_RoomFrameCounter;
    Run_MainLoopTick();
    EXPECT_EQ(0, g_RunState);
    EXPECT_EQ(frames, g_RoomFrameCounter);
}

TEST_F(FakeClockTest, TickWaitsForTheFrameAtTheRoomSpeed)
{
    StartRunning();
    EXPECT_EQ(60, Run_MainLoopTick());
    ASSERT_EQ(1u, g_Sleeps.size());
    EXPECT_EQ(15, g_Sleeps[0]); // about 16,666 microseconds: 15 whole milliseconds, then the spin
    EXPECT_EQ(1, g_RunState);
}

TEST_F(FakeClockTest, LateFrameStartsTheNextAtOnce)
{
    StartRunning();
    Run_MainLoopTick();
    g_Sleeps.clear();
    g_FakeNow += 50000; // the frame took three periods
    Run_MainLoopTick();
    EXPECT_TRUE(g_Sleeps.empty());
    // The target is now the late tick's start, so the next frame waits a whole period again.
    Run_MainLoopTick();
    ASSERT_EQ(1u, g_Sleeps.size());
    EXPECT_EQ(15, g_Sleeps[0]);
}

TEST_F(FakeClockTest, FrameRateChangesWhenTheTargetCrossesAWholeSecond)
{
    StartRunning();
    for (int i = 0; i < 60; ++i)
        Run_MainLoopTick();
    EXPECT_EQ(0, Run_GetFrameRate());
    Run_MainLoopTick();
    EXPECT_EQ(60, Run_GetFrameRate());
}

TEST_F(FakeClockTest, DeltaTimeIsTheTimeBetweenFrameStarts)
{
    StartRunning();
    Run_MainLoopTick();
    Run_MainLoopTick();
    EXPECT_GE(Run_GetDeltaTime(), 16666);
    EXPECT_LE(Run_GetDeltaTime(), 16666 + 10);
}

TEST_F(FakeClockTest, PausedTicksCountFramesButRunNone)
{
    StartRunning();
    int32_t frames = g_RoomFrameCounter;
    Run_SetPaused();
    for (int i = 0; i < 61; ++i)
        Run_MainLoopTick();
    EXPECT_EQ(frames, g_RoomFrameCounter);
    EXPECT_EQ(60, Run_GetFrameRate());
    EXPECT_EQ(61u, g_Sleeps.size());

    Run_StepPaused();
    EXPECT_EQ(frames + 1, g_RoomFrameCounter);
}

TEST_F(FakeClockTest, EndRequestsStopTheLoop)
{
    for (int32_t request : {RUN_REQUEST_END, RUN_REQUEST_FATAL}) {
        StartRunning();
        g_RunRequest = request;
        Run_MainLoopTick();
        EXPECT_EQ(0, g_RunState) << request;
    }
}

TEST_F(FakeClockTest, RestartRequestStartsTheGameAgain)
{
    StartRunning();
    g_Score = 7;
    g_Lives = 2;
    g_RunRequest = RUN_REQUEST_RESTART;
    Run_MainLoopTick();
    EXPECT_EQ(1, g_RunState);
    EXPECT_EQ(0, g_Score);
    EXPECT_EQ(-1, g_Lives);
    EXPECT_EQ(RUN_REQUEST_NONE, g_RunRequest);
}

TEST_F(FakeClockTest, RoomRequestChangesTheRoom)
{
    StartRunning();
    g_RunRequest = 3;
    Run_MainLoopTick();
    EXPECT_EQ(1, g_RunState);
    EXPECT_EQ(3, g_CurrentRoomIndex);
    EXPECT_EQ(RUN_REQUEST_NONE, g_RunRequest);
}

TEST_F(FakeClockTest, MaxFramesEndsTheGameAfterThatManyFrames)
{
    setenv("KELVARO_MAX_FRAMES", "3", 1);
    TestSwitches_Reload();
    StartRunning();
    Run_MainLoopTick();
    Run_MainLoopTick();
    EXPECT_EQ(1, g_RunState);
    Run_MainLoopTick();
    EXPECT_EQ(0, g_RunState);
    EXPECT_EQ(3, Run_FramesRun());
}

TEST_F(FakeClockTest, NoWaitSkipsTheSleepButTheClockKeepsThePace)
{
    setenv("KELVARO_NO_WAIT", "1", 1);
    TestSwitches_Reload();
    StartRunning();
    for (int i = 0; i < 61; ++i)
        Run_MainLoopTick();
    EXPECT_TRUE(g_Sleeps.empty());
    EXPECT_EQ(60, Run_GetFrameRate());
    EXPECT_GE(Run_GetDeltaTime(), 16666);
    EXPECT_LE(Run_GetDeltaTime(), 16666 + 10);
}

TEST_F(FakeClockTest, QuitCommandStopsTheLoopAndThePause)
{
    StartRunning();
    Run_SetPaused();
    Run_QuitGame();
    EXPECT_EQ(0, g_RunState);
    EXPECT_EQ(0, g_Paused);
}
