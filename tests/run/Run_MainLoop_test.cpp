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

TEST(FrameWaitTest, RestOfThePeriodBetweenZeroAndOneSecondAndRoomSpeedsOfAtLeastOne)
{
    const struct {
        int32_t speed, taken, wait;
    } waits[] = {{30, 10000, 23333}, {30, 40000, 0}, // the second frame took longer than its period
                 {1, 0, 1000000}, // room speed 1: a whole second, never more
                 {1000000, 0, 1}, {3000000, 0, 0}};
    for (const auto& w : waits) EXPECT_EQ(w.wait, Run_FrameWait(w.speed, w.taken)) << w.speed << " " << w.taken;
    for (auto [given, kept] : {std::pair{-30, 1}, {30, 30}}) {
        int32_t speed = given;
        EXPECT_EQ(kept, Run_CorrectRoomSpeed(&speed));
        EXPECT_EQ(kept, speed);
    }
}

TEST_F(FakeClockTest, WaitSleepsWholeMillisecondsThenSpinsForAtMostThreeSeconds)
{
    int64_t start = Timing_Time();
    Timing_Wait(23333);
    EXPECT_EQ(std::vector<int64_t>{22}, g_Sleeps);
    EXPECT_GE(Timing_Time() - start, 23333);
    // Nothing for zero or less.
    g_Sleeps.clear();
    start = Timing_Time();
    Timing_Wait(0);
    Timing_Wait(-5000);
    EXPECT_LE(Timing_Time() - start, 2);
    EXPECT_TRUE(g_Sleeps.empty());
    Timing_Wait(10000000);
    EXPECT_EQ(std::vector<int64_t>{2999}, g_Sleeps);
    EXPECT_LE(Timing_Time() - start, 3000000 + 5);
    // A clock going back ends the wait: it would spin for ever otherwise.
    g_Sleeps.clear();
    g_FakeStep = -1;
    Timing_Wait(1500);
    EXPECT_TRUE(g_Sleeps.empty());
}

TEST_F(FakeClockTest, TicksWaitForTheFrameAtTheRoomSpeedAndCountTheRate)
{
    StartRunning();
    EXPECT_EQ(60, Run_MainLoopTick());
    EXPECT_EQ(std::vector<int64_t>{15}, g_Sleeps); // about 16,666 microseconds: 15 whole milliseconds, then a spin
    // The frame rate changes when the target crosses a whole second.
    for (int i = 1; i < 60; ++i) Run_MainLoopTick();
    EXPECT_EQ(0, Run_GetFrameRate());
    Run_MainLoopTick();
    EXPECT_EQ(60, Run_GetFrameRate());
    // A late frame starts the next at once; that one is the target, so the next waits a whole period.
    g_Sleeps.clear();
    g_FakeNow += 50000;
    Run_MainLoopTick();
    EXPECT_TRUE(g_Sleeps.empty());
    Run_MainLoopTick();
    EXPECT_EQ(std::vector<int64_t>{15}, g_Sleeps);
    EXPECT_GE(Run_GetDeltaTime(), 16666);
}

TEST_F(FakeClockTest, PausedTicksCountFramesButRunNoneUntilStepped)
{
    StartRunning();
    int32_t frames = g_RoomFrameCounter;
    Run_SetPaused();
    for (int i = 0; i < 61; ++i) Run_MainLoopTick();
    EXPECT_EQ(frames, g_RoomFrameCounter);
    EXPECT_EQ(60, Run_GetFrameRate());
    Run_StepPaused();
    EXPECT_EQ(frames + 1, g_RoomFrameCounter);
    Run_QuitGame(); // stops the loop and the pause
    EXPECT_EQ(0, g_RunState);
}

TEST_F(FakeClockTest, RequestsEndRestartOrChangeTheRoom)
{
    for (int32_t request : {int32_t(RUN_REQUEST_END), int32_t(RUN_REQUEST_FATAL), int32_t(RUN_REQUEST_RESTART), 3}) {
        StartRunning();
        g_Score = 7;
        g_Lives = 2;
        g_RunRequest = request;
        Run_MainLoopTick();
        bool ends = request == RUN_REQUEST_END || request == RUN_REQUEST_FATAL;
        EXPECT_EQ(ends ? 0 : 1, g_RunState) << request;
        if (ends) continue;
        EXPECT_EQ(RUN_REQUEST_NONE, g_RunRequest);
        EXPECT_EQ(request == 3 ? 3 : 0, g_CurrentRoomIndex);
        // A restart starts the game again with the score and lives of a new game.
        EXPECT_EQ((request == 3 ? std::pair{7, 2} : std::pair{0, -1}), std::pair(g_Score, g_Lives));
    }
}
