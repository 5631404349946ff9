// The Game family's table, and its room, game-state, transition and sleep routines.
#include "Function_GameTestSupport.h"
#include "Function_TestCases.h"
#include "graphics/Graphics_Transition.h"
#include "run/Run_SaveGame.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

using namespace gametest;

namespace {

// Each look at the fake clock takes a microsecond; sleeping moves it on.
int64_t g_FakeNow = 0;
int64_t FakeNow() { return ++g_FakeNow; }
void FakeSleep(int64_t milliseconds) { g_FakeNow += milliseconds * 1000; }

} // namespace

TEST(GameFamily, RegistersItsNamesInOrderWithFixedCounts)
{
    functiontest::ExpectRegisteredRun(
        "move_random:2 place_free:2 place_empty:2 place_meeting:3 place_snapped:2 move_snap:2 "
        "move_towards_point:3 move_contact:1 move_contact_solid:2 move_contact_all:2 move_outside_solid:2 "
        "move_outside_all:2 move_bounce:1 move_bounce_solid:1 move_bounce_all:1 move_wrap:3 motion_set:2 "
        "motion_add:2 distance_to_point:2 distance_to_object:1 path_start:4 path_end:0 mp_* linear_step:4 "
        "linear_path:5 linear_step_object:4 linear_path_object:5 potential_settings:4 potential_step:4 "
        "potential_path:6 potential_step_object:4 potential_path_object:6 grid_create:6 grid_destroy:1 "
        "grid_clear_all:1 grid_clear_cell:3 grid_clear_rectangle:5 grid_add_cell:3 grid_add_rectangle:5 "
        "grid_add_instances:3 grid_path:7 grid_draw:1 collision_* point:5 rectangle:7 circle:6 ellipse:7 line:7 "
        "instance_* find:2 exists:1 number:1 position:3 nearest:3 furthest:3 place:3 create:3 copy:1 change:2 "
        "destroy:0 sprite:1 * position_empty:2 position_meeting:3 position_destroy:2 position_change:4 "
        "instance_* deactivate_all:1 deactivate_object:1 deactivate_region:6 activate_all:0 activate_object:1 "
        "activate_region:5 room_* goto:1 goto_previous:0 goto_next:0 previous:1 next:1 restart:0 game_* end:0 "
        "restart:0 load:1 save:1 save_buffer:1 load_buffer:1 * transition_define:2 transition_exists:1 sleep:1");
    EXPECT_EQ(functiontest::RoutineOf("move_bounce"), functiontest::RoutineOf("move_bounce_solid"));
}

class GameRooms : public GameFamilyTest {
  protected:
    // Rooms 0, 1 and 2 in that order; the game starts in room 0.
    void SetUp() override
    {
        GameFamilyTest::SetUp();
        PlayRooms({Object("obj_any")}, {}, 2);
    }
    void ClearRequest() { g_RunRequest = RUN_REQUEST_NONE; g_ErrorQuitting = false; g_ErrorLast.clear(); }
};

TEST_F(GameRooms, NeighboursOfRoomsAnswerMinusOneAtTheEndsAndForNoRoom)
{
    struct Case {
        const char* routine;
        double room;
        double expected;
    } cases[] = {{"room_next", 0, 1},     {"room_next", 0.5, 1},    {"room_next", 2, -1},     {"room_next", -5, -1},
                 {"room_previous", 2, 1}, {"room_previous", 0, -1}, {"room_previous", 9, -1}, {"room_next", 3, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Call(c.routine, {c.room})) << c.routine << " " << c.room;
    EXPECT_TRUE(g_ErrorLast.empty()) << g_ErrorLast;
}

TEST_F(GameRooms, MovesLeaveRunRequestsAndImpossibleMovesAreFatal)
{
    struct Case {
        const char* routine;
        std::vector<testsupport::TestArg> args;
        int32_t startRoom;
        int32_t request;
        const char* error; // "" none
    } cases[] = {
        // clang-format off
        {"room_goto", {2}, 0, 2, ""}, {"room_goto", {99}, 0, RUN_REQUEST_FATAL, "Unexisting room number: 99"},
        {"room_goto_next", {}, 1, 2, ""},
        {"room_goto_next", {}, 2, RUN_REQUEST_FATAL, "Moving to next room after the last room."},
        {"room_goto_previous", {}, 0, RUN_REQUEST_FATAL, "Moving to previous room before the first room."},
        {"room_goto_previous", {}, 2, 1, ""}, {"room_restart", {}, 1, 1, ""},
        {"game_end", {}, 0, RUN_REQUEST_END, ""}, {"game_restart", {}, 0, RUN_REQUEST_RESTART, ""},
        // clang-format on
    };
    for (const Case& c : cases) {
        if (g_CurrentRoomIndex != c.startRoom) {
            g_RunRequest = c.startRoom;
            Tick();
        }
        ASSERT_EQ(c.startRoom, g_CurrentRoomIndex);
        ClearRequest();
        g_TransitionKind = 7;
        Call(c.routine, c.args);
        EXPECT_EQ(c.request, g_RunRequest) << c.routine;
        EXPECT_NE(std::string::npos, g_ErrorLast.find(c.error)) << c.routine << ": " << g_ErrorLast;
        if (c.request >= 0) {
            EXPECT_EQ(0, g_TransitionKind) << c.routine; // every room change clears it
        }
        ClearRequest();
    }
}

TEST_F(GameRooms, SavingAndLoadingAnswerMinusOneAndActOnlyOnTheirOwnKind)
{
    struct Case {
        const char* routine;
        testsupport::TestArg arg;
        bool warned; // a buffer load that reached the buffer table
    } cases[] = {{"game_save", 3, false},          {"game_save", "slot.sav", false}, {"game_load", 3, false},
                 {"game_load", "slot.sav", false}, {"game_save_buffer", "3", false}, {"game_save_buffer", 3, false},
                 {"game_load_buffer", "3", false}, {"game_load_buffer", 3, true}};
    for (const Case& c : cases) {
        m_Log.Clear();
        // A queued file load would turn the buffer load away before it looks for the buffer.
        Run_ClearQueuedLoad();
        EXPECT_EQ(-1, Call(c.routine, {c.arg})) << c.routine;
        EXPECT_EQ(c.warned, m_Log.Has("WARNING: No buffer available for 3")) << c.routine;
    }
    EXPECT_EQ(RUN_REQUEST_NONE, g_RunRequest);
}

TEST(GameFamily, TransitionKindsAndDefinitions)
{
    testsupport::RegisterBuiltins();
    CapturedLog log;
    for (auto [kind, exists] :
         {std::pair{0.0, 0.0}, {1.0, 1.0}, {21.0, 1.0}, {22.0, 0.0}, {20.6, 1.0}, {-3.0, 0.0}}) {
        log.Clear();
        EXPECT_EQ(exists, Call("transition_exists", {kind})) << kind;
        EXPECT_EQ(exists == 0, log.Has("TransFunctionExists()")) << kind;
    }
    int32_t target = -1;
    ASSERT_TRUE(Code_Function_Find("instance_create", &target));
    struct Define {
        double kind;
        testsupport::TestArg name;
        double expected;
        int32_t tableLength;
    } defines[] = {
        // clang-format off
        {30, "instance_create", 1, 1030}, {5000, "instance_create", 1, 6000}, {40, "no_such_script", 0, 6000},
        {41, 12, 0, 6000}, {0, "instance_create", 1, 6000}, {1000000, "instance_create", 1, 6000},
        // clang-format on
    };
    for (const Define& d : defines) {
        EXPECT_EQ(d.expected, Call("transition_define", {d.kind, d.name})) << d.kind;
        EXPECT_EQ(d.tableLength, GR_Transition_DefinedCount()) << d.kind;
    }
    EXPECT_EQ(target, GR_Transition_DefinedFunction(5000));
    EXPECT_STREQ("instance_create", GR_Transition_DefinedName(30));
    EXPECT_EQ(-1, GR_Transition_DefinedFunction(40));
    EXPECT_EQ(nullptr, GR_Transition_DefinedName(41));
    GR_Transition_Free();
    EXPECT_EQ(0, GR_Transition_DefinedCount());
}

TEST(GameFamily, SleepWaitsRoundedMicrosecondsUpToThreeSeconds)
{
    testsupport::RegisterBuiltins();
    const TimingClock fake = {FakeNow, FakeSleep};
    Timing_SetClock(&fake);
    Timing_Init();
    struct Case {
        double milliseconds;
        int64_t waitedAtLeast, waitedAtMost; // microseconds of the fake clock
    } cases[] = {{0.0004, 0, 2}, {-5, 0, 2}, {2.5, 2500, 2510}, {10000, 3000000, 3000010}};
    for (const Case& c : cases) {
        int64_t before = g_FakeNow;
        Call("sleep", {c.milliseconds});
        EXPECT_GE(g_FakeNow - before, c.waitedAtLeast) << c.milliseconds;
        EXPECT_LE(g_FakeNow - before, c.waitedAtMost) << c.milliseconds;
    }
    Timing_SetClock(nullptr);
}
