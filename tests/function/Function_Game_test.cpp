// The Game family on played rooms: its table; its room, game-state, transition and sleep routines;
// creating, copying, changing, destroying, counting, finding, deactivating and activating instances;
// motion, place, distance, path and collision routines with hand-made sprites and paths; and the
// linear and potential-field planners (16 x 16 squares, solid walls), called directly and through the
// mp_ built-ins.
#include <cmath>
#include <limits>

#include "Function_GameTestSupport.h"
#include "Function_TestCases.h"
#include "graphics/Graphics_Transition.h"
#include "motion/Motion_Grid.h"
#include "motion/Motion_Planning.h"
#include "path/Path_Table.h"
#include "run/Run_SaveGame.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_Names.h"

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
        "move_random:2 place_free:2 place_empty:2 place_meeting:3 ~ * transition_exists:1 sleep:1");
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
    void ClearRequest()
    {
        g_RunRequest = RUN_REQUEST_NONE;
        g_ErrorQuitting = false;
        g_ErrorLast.clear();
        g_RunExitCode = EXIT_CODE_ENDED;
    }
};

TEST_F(GameRooms, MovesLeaveRunRequestsAndImpossibleMovesAreFatal)
{
    struct Case {
        const char* routine;
        std::vector<testsupport::TestArg> args;
        int32_t startRoom;
        int32_t request;
        const char* error; // "" none
        int32_t exitCode;  // of the run, should it end now
    } cases[] = {
        // clang-format off
        {"room_goto", {2}, 0, 2, "", EXIT_CODE_ENDED},
        {"room_goto", {99}, 0, RUN_REQUEST_FATAL, "Unexisting room number: 99", EXIT_CODE_FATAL_ERROR},
        {"room_goto_next", {}, 1, 2, "", EXIT_CODE_ENDED},
        {"room_goto_next", {}, 2, RUN_REQUEST_FATAL, "Moving to next room after the last room.", EXIT_CODE_FATAL_ERROR},
        {"room_goto_previous", {}, 0, RUN_REQUEST_FATAL, "Moving to previous room before the first room.",
         EXIT_CODE_FATAL_ERROR},
        {"room_restart", {}, 1, 1, "", EXIT_CODE_ENDED}, {"game_end", {}, 0, RUN_REQUEST_END, "", EXIT_CODE_ENDED},
        {"game_restart", {}, 0, RUN_REQUEST_RESTART, "", EXIT_CODE_ENDED},
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
        EXPECT_EQ(c.exitCode, g_RunExitCode) << c.routine;
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
         {std::pair{0.0, 0.0}, {21.0, 1.0}, {22.0, 0.0}, {20.6, 1.0}}) {
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
        {41, 12, 0, 6000}, {1000000, "instance_create", 1, 6000},
        // clang-format on
    };
    for (const Define& d : defines) {
        EXPECT_EQ(d.expected, Call("transition_define", {d.kind, d.name})) << d.kind;
        EXPECT_EQ(d.tableLength, GR_Transition_DefinedCount()) << d.kind;
    }
    EXPECT_EQ(target, GR_Transition_DefinedFunction(5000));
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
    // Milliseconds asked; the least and most microseconds of the fake clock waited.
    for (auto [milliseconds, least, most] : {std::tuple{0.0004, 0, 2}, {-5.0, 0, 2}, {2.5, 2500, 2510}, {10000.0, 3000000, 3000010}}) {
        int64_t before = g_FakeNow;
        Call("sleep", {milliseconds});
        EXPECT_TRUE(g_FakeNow - before >= least && g_FakeNow - before <= most) << milliseconds << ": " << g_FakeNow - before;
    }
    Timing_SetClock(nullptr);
}

class GameInstances : public GameFamilyTest {
  protected:
    // Objects: 0 obj_pawn (notes its create and destroy events), 1 obj_knight, 2 obj_squire (a child
    // of obj_pawn). Placed: 100001 pawn at (0, 0) with hp 7, 100002 pawn at (100, 0), 100003 squire
    // at (200, 0), 100004 knight at (300, 0). Every one has sprite 0, 16 x 16 from its position.
    void SetUp() override
    {
        GameFamilyTest::SetUp();
        AddSquareSprite();
        gamebuild::ObjectDesc squire = ObjectWith("obj_squire", {}, 0);
        squire.parent = 0;
        PlayRooms(
            {ObjectWith("obj_pawn", {{0, 0, "test_note(\"create\");"}, {1, 0, "test_note(\"destroy\");"}}, 0),
             ObjectWith("obj_knight", {{0, 0, "test_note(\"knight\");"}}, 0), squire},
            {Placed(0, 0, 0, "hp = 7;"), Placed(0, 100, 0), Placed(2, 200, 0), Placed(1, 300, 0)});
        pawn = ById(100001);
        m_Log.Clear();
    }
    std::vector<int32_t> Deactivated(std::vector<int32_t> ids)
    {
        std::vector<int32_t> found;
        for (int32_t id : ids)
            if (ById(id)->IsDeactivated()) found.push_back(id);
        return found;
    }
    CInstance* pawn = nullptr;
};

TEST_F(GameInstances, CreateCopyAndDestroy)
{
    pawn->SetPosition(30.5f, 40.0f);
    // 0.4999999999 is 0.5 as a single real: the create event runs.
    for (auto [perform, created] : {std::pair{0.0, false}, {1.0, true}, {0.4999999999, true}, {0.49, false}}) {
        auto id = static_cast<int32_t>(Call("instance_copy", {perform}, pawn));
        CInstance* copy = ById(id);
        ASSERT_NE(nullptr, copy);
        ScriptValue hp = {VALUE_REAL, 0, 0.0};
        Variable_GetValue_Direct(copy, Code_Variable_Find("hp"), 0, &hp);
        EXPECT_EQ(Reals(7, 30.5f), Reals(hp.real, copy->i_x));
        EXPECT_NE(pawn->GetId(), id);
        std::vector<std::string> notes;
        if (created) notes.push_back(std::to_string(id) + " create");
        EXPECT_EQ(notes, TakeNotes()) << perform;
    }
    pawn->SetDepth(-50); // in front of the others once the lists are brought up to date
    auto front = static_cast<int32_t>(Call("instance_copy", {0}, pawn));
    Run_UpdateInstanceLists();
    EXPECT_EQ(front, Run_CurrentRoom()->m_Active.m_pHead->GetId());
    Call("instance_destroy", {}, pawn);
    Call("instance_destroy", {}, pawn);
    EXPECT_EQ((std::vector<std::string>{"100001 destroy"}), TakeNotes());
    EXPECT_EQ(0, Call("instance_exists", {100001}));
}

TEST_F(GameInstances, CountsFindsAndTestsFollowTheTarget)
{
    functiontest::ExpectCases({{"instance_number", {0}, 3}, {"instance_exists", {-1}, 0}, {"instance_find", {100002, 0}, 100002},
                               {"instance_find", {100002, 1}, -4}, {"instance_find", {-3, 3}, 100004},
                               {"position_empty", {50, 50}, 1}});
    functiontest::ExpectCases({{"instance_number", {-1}, 1}, {"instance_nearest", {0, 0, -1}, -4},
                               {"instance_position", {5, 5, -1}, -4}, {"position_meeting", {5, 5, -1}, 1},
                               {"instance_place", {290, 0, -3}, 100004}},
                              pawn);
    EXPECT_EQ(0.0f, pawn->i_x) << "instance_place puts self back";

    // Changed in this event: counted under its new object before the lists catch up.
    Call("instance_change", {1, 1}, pawn);
    EXPECT_EQ((std::vector<std::string>{"100001 destroy", "100001 knight"}), TakeNotes());
    EXPECT_EQ(2, Call("instance_number", {1}));
}

TEST_F(GameInstances, RegionsTestTheBoxOrTheBarePosition)
{
    auto bare = static_cast<int32_t>(Call("instance_create", {150, 50, 0}));
    ById(bare)->SetSpriteIndex(-1); // only its position counts
    std::vector<int32_t> all = {100001, 100002, 100003, 100004, bare};
    struct Case {
        std::vector<testsupport::TestArg> region; // left, top, width, height, inside
        std::vector<int32_t> deactivated;
    } cases[] = {
        {{0, 0, 149, 100, 0}, {100003, 100004, bare}}, // wholly outside go; 100002 touches at 100..115
        {{0, 0, 150, 100, 0}, {100003, 100004}},       // the bare position on the edge is inside
        {{110, 0, 100, 100, 1}, {100002, 100003, bare}},
    };
    for (const Case& c : cases) {
        std::vector<testsupport::TestArg> args = c.region;
        args.push_back(1); // not me
        Call("instance_deactivate_region", args, pawn);
        EXPECT_EQ(c.deactivated, Deactivated(all)) << c.region[0].real << " " << c.region[2].real;
        Call("instance_activate_region", c.region);
        EXPECT_TRUE(Deactivated(all).empty());
    }
    Call("instance_deactivate_region", {1000, 1000, 1, 1, 0, 0}, pawn);
    EXPECT_TRUE(pawn->IsDeactivated()) << "without not-me the caller goes too";
    Call("instance_deactivate_all", {1}, ById(100002));
    EXPECT_EQ((std::vector<int32_t>{100001, 100003, 100004, bare}), Deactivated(all)) << "all but the caller";
}

using functiontest::Case;

class GameMotion : public GameFamilyTest {
  protected:
    // Objects: 0 obj_mover, 1 obj_wall (solid), 2 obj_ghost, each with sprite 0, 16 x 16 from the
    // position. Sprite 1 is the same with a precise mask whose only solid pixel is its top-left one.
    void PlayWith(std::vector<gamebuild::RoomInstanceDesc> placed, int32_t width = 640)
    {
        AddSquareSprite();
        TestSprite& precise = m_Sprites.Add(1, {0, 0, 15, 15}, 0, 0, 1, 1);
        precise.width = 16;
        precise.mask.assign(256, 0);
        precise.mask[0] = 1;
        PlayRooms({ObjectWith("obj_mover", {}, 0), ObjectWith("obj_wall", {}, 0, true),
                   ObjectWith("obj_ghost", {}, 0)},
                  std::move(placed), 0, width);
        mover = ById(100001);
    }
    void Expect(const std::vector<Case>& cases, CInstance* other = nullptr)
    {
        for (const Case& c : cases)
            EXPECT_EQ(c.expected.real, Call(c.name, c.args, mover, other)) << c.name << " " << c.args[0].real;
    }
    CInstance* mover = nullptr;
    TestPaths m_Paths;
};

TEST_F(GameMotion, MoveRandomStaysInTheRoomOnItsGridOrStaysPut)
{
    PlayWith({Placed(0, 5, 5), Placed(1, 0, 0)});
    CInstance* wall = ById(100002);
    wall->SetImageXScale(50.0f); // covers the room when solid
    wall->SetImageYScale(40.0f);
    // Room width, walled, horizontal snap, the lowest and highest x reached. A room of 15 the box just
    // fills has one place; one of 10 is narrower than the box.
    const float cases[][5] = {{640, 0, 32, 0, 608}, {640, 0, 0, 0, 624}, {640, 1, 0, 5, 5}, {15, 0, 0, 0, 0}, {10, 0, 0, 0, 4}};
    for (const auto& c : cases) {
        Run_CurrentRoom()->m_Width = int32_t(c[0]);
        wall->SetSolid(c[1] != 0);
        mover->SetPosition(5, 5);
        bool stayed = true;
        for (int32_t i = 0; i < 40; ++i) {
            Call("move_random", {c[2], 0}, mover);
            EXPECT_TRUE(mover->i_x >= c[3] && mover->i_x <= c[4]) << c[0] << ": " << mover->i_x;
            EXPECT_EQ(0.0f, c[2] > 0 ? std::fmod(mover->i_x, 32.0f) : 0.0f) << mover->i_x;
            stayed = stayed && mover->i_x == 5.0f && mover->i_y == 5.0f;
        }
        EXPECT_EQ(c[1] != 0, stayed) << c[0];
    }
}

TEST_F(GameMotion, PlaceTestsAndSnapping)
{
    PlayWith({Placed(0, 0, 0), Placed(1, 40, 0), Placed(2, 0, 40)});
    Expect({{"place_free", {30, 0}, 0}, {"place_meeting", {0, 0, -1}, 0} /* self against itself */});
    Expect({{"place_meeting", {0, 30, -2}, 1}}, ById(100003));
    EXPECT_EQ(0.0f, mover->i_y) << "put back";
    // Snaps, x, whether snapped.
    const float snaps[][4] = {{0, 0, 3.7f, 1}, {16, 0, 32.0005f, 1}, {16, 0, 32.01f, 0}, {-16, 0, 3.3f, 1}};
    for (const auto& s : snaps) {
        mover->SetPosition(s[2], 0);
        EXPECT_EQ(s[3], Call("place_snapped", {s[0], s[1]}, mover)) << s[0] << " " << s[2];
    }
    EXPECT_EQ(0, Call("place_free", {30, 0})) << "no self: nothing";
}

TEST_F(GameMotion, CollisionsSearchTheirTargetWithAndWithoutPrecision)
{
    PlayWith({Placed(0, 0, 0), Placed(2, 40, 0), Placed(2, 80, 0)});
    ById(100002)->SetSpriteIndex(1); // precise: only (40, 0) is solid
    Expect({
        // clang-format off
        {"collision_point", {5, 5, -1, 0, 0}, -4}, // no stand-in for self
        {"collision_point", {5, 5, 0, 0, 1}, -4}, {"collision_point", {45, 5, 2, 1, 0}, -4},
        {"collision_rectangle", {44, 4, 100, 10, 2, 1, 0}, 100003},
        {"collision_rectangle", {44, 4, 100, 10, 2, 0, 0}, 100002},
        {"collision_circle", {45, 5, 0, -3, 1, 1}, -4},
        {"collision_line", {20, 8, 200, 8, -3, 0, 1}, 100002}, {"collision_line", {20, 8, 200, 8, -3, 1, 1}, 100003},
        // clang-format on
    });
}

TEST_F(GameMotion, DistancesAreBoxGapsInWholeNumbers)
{
    PlayWith({Placed(0, 0, 0), Placed(2, 60015, 60015), Placed(2, 10, 10)});
    // Gaps of 60,000 each way: the squares overflow 32 bits.
    double far = static_cast<float>(std::sqrt(2.0 * 60000.0 * 60000.0));
    Expect({{"distance_to_object", {2}, 0}, // overlapping boxes
            {"distance_to_object", {100002}, far},
            {"distance_to_object", {-1}, 1000000},
            {"distance_to_object", {7}, 1000000},
            {"distance_to_object", {0}, 1000000}, // only self
            {"distance_to_point", {18, 19}, 5}});
    Expect({{"distance_to_object", {-2}, far}}, ById(100002));
    ById(100003)->SetMarked(1);
    ById(100002)->SetDeactivated(1);
    Expect({{"distance_to_object", {-3}, 1000000}}); // alone among live instances
}

TEST_F(GameMotion, PathsStartAtTheirEndForNegativeSpeedsAndPlannersNeedAPath)
{
    m_Paths.paths[0] = {{10, 110}, {20, 20}};
    PlayWith({Placed(0, 0, 0)});
    // Path, speed, end action, absolute; then the path index, position and x afterwards.
    const float starts[][7] = {{0, -2, 1, 1, 0, 1, 110}, {0, 3, 0, 1, 0, 0, 10}, {0, 3, 0, 0, 0, 0, 50},
                               {5, 3, 0, 1, -1, 0.5f, 50}};
    for (const auto& s : starts) {
        mover->SetPosition(50, 50);
        mover->i_pathposition = 0.5f;
        Call("path_start", {s[0], s[1], s[2], s[3]}, mover);
        EXPECT_EQ(Reals(s[4], s[5], s[6]), Reals(mover->i_pathindex, mover->i_pathposition, mover->i_x)) << s[0] << " " << s[1];
    }
    Call("path_end", {}, mover);
    EXPECT_EQ(-1, mover->i_pathindex);

    Expect({{"mp_linear_path", {3, 10, 10, 2, 0}, 0},
            {"mp_linear_path_object", {3, 10, 10, 2, 1}, 0},
            {"mp_potential_path", {3, 10, 10, 2, 4, 0}, 0},
            {"mp_potential_path_object", {3, 10, 10, 2, 4, 1}, 0},
            {"mp_grid_path", {0, 3, 0, 0, 10, 10, 1}, 0}});
    EXPECT_EQ(5u, m_Log.Count("Trying to assign to a non-existing path.")) << "once per call";
    m_Log.Clear();
    Call("mp_linear_path", {0, 10, 10, 2, 0}, mover);
    EXPECT_FALSE(m_Log.Has("non-existing path")) << "path 0 exists";
}

namespace {

constexpr int32_t OBJ_WALL = 1;
constexpr int32_t OBJ_GHOST = 2;
constexpr float NAN_F = std::numeric_limits<float>::quiet_NaN();
constexpr float INF_F = std::numeric_limits<float>::infinity();

std::string SettingsText()
{
    const MotionSettings& s = MP_Settings();
    return std::to_string(s.maxRotation) + " " + std::to_string(s.rotationStep) + " " +
           std::to_string(s.lookAhead) + " " + std::to_string(s.onTheSpot);
}

} // namespace

class GamePlanning : public GameFamilyTest {
protected:
    // Objects: 0 obj_mover (the first placed), 1 obj_wall (solid), 2 obj_ghost.
    void PlayWith(std::vector<gamebuild::RoomInstanceDesc> placed)
    {
        AddSquareSprite();
        PlayRooms({ObjectWith("obj_mover", {}, 0), ObjectWith("obj_wall", {}, 0, true),
                   ObjectWith("obj_ghost", {}, 0)},
                  std::move(placed));
        mover = ById(100001);
        path = Path_Add();
    }
    void TearDown() override
    {
        MP_PotentialSettings(30, 10, 3, true);
        CGrid_DestroyAll();
        Path_Reset();
        GameFamilyTest::TearDown();
    }
    void Place(float x, float y, float direction)
    {
        mover->SetPosition(x, y);
        mover->SetDirection(direction);
    }
    void ExpectAt(float x, float y, float direction, const std::string& what)
    {
        EXPECT_EQ(x, mover->i_x) << what;
        EXPECT_EQ(y, mover->i_y) << what;
        EXPECT_FLOAT_EQ(direction, mover->i_direction) << what;
    }
    CInstance* mover = nullptr;
    int32_t path = -1;
};

TEST_F(GamePlanning, PathFormsRefuseStepsGoalsAndFactorsThatCannotEnd)
{
    PlayWith({Placed(0, 0, 0)});
    // Goal, step, factor.
    const float cases[][4] = {{100, 0, 0, 2},     {100, 0, -1, 2},    {100, 0, NAN_F, 2}, {NAN_F, 0, 4, 2}, {0, INF_F, 4, 2},
                              {100, 0, INF_F, 2}, {100, 0, 4, NAN_F}, {100, 0, 4, INF_F}, {100, 0, 4, 0.99f}};
    for (const auto& c : cases) {
        std::string what = std::to_string(c[0]) + " " + std::to_string(c[1]) + " " + std::to_string(c[2]) + " " +
                           std::to_string(c[3]);
        Place(5, 5, 10);
        EXPECT_FALSE(c[3] == 2 && MP_LinearPath(mover, path, c[0], c[1], c[2], TARGET_ALL, false)) << what;
        EXPECT_FALSE(MP_PotentialPath(mover, path, c[0], c[1], c[2], c[3], TARGET_ALL, false)) << what;
        ExpectAt(5, 5, 10, what);
    }
    EXPECT_FALSE(MP_PotentialPath(mover, path + 1, 100, 0, 4, 2, TARGET_ALL, false)) << "no path";
}

TEST_F(GamePlanning, PotentialStepsTurnAtMostTheMaximumAndOnTheSpotWhenBoxedIn)
{
    PlayWith({Placed(0, 100, 300)});
    // From direction 0 towards a goal behind: the most allowed turn.
    EXPECT_FALSE(MP_PotentialStep(mover, 0, 300, 4, TARGET_ALL, false));
    ExpectAt(100.0f + 4.0f * std::cos(30.0f * 3.1415927f / 180.0f), 298, 30, "turned");
    for (int32_t dx = -16; dx <= 16; dx += 16)
        for (int32_t dy = -16; dy <= 16; dy += 16)
            if (dx != 0 || dy != 0) Run_CreateInstance(OBJ_WALL, float(400 + dx), float(300 + dy));
    // Boxed in: two steps turn 30 each on the spot, or nothing when that is off; the path form gives
    // up after ceil(360 / 30) + 1 steps in place, leaving the mover as it was.
    MP_PotentialSettings(0, 0, 0, false);
    EXPECT_EQ("1.000000 1.000000 1.000000 0", SettingsText());
    MP_PotentialSettings(0.5f, -3, NAN_F, true);
    EXPECT_EQ("1.000000 1.000000 1.000000 1", SettingsText());
    for (bool spot : {true, false}) {
        MP_PotentialSettings(30, 10, 3, spot);
        Place(400, 300, 10);
        MP_PotentialStep(mover, 600, 300, 4, TARGET_ALL, false);
        EXPECT_FALSE(MP_PotentialStep(mover, 600, 300, 4, TARGET_ALL, false));
        ExpectAt(400, 300, spot ? 70 : 10, "boxed in");
        Place(400, 300, 10);
        EXPECT_FALSE(MP_PotentialPath(mover, path, 600, 300, 4, 100, TARGET_ALL, false));
        ExpectAt(400, 300, 10, "boxed-in path");
        EXPECT_EQ(1 + 13, Path_Data(path)->GetNumber());
    }
}

TEST_F(GamePlanning, TheBuiltInsPassTheirArgumentsOn)
{
    PlayWith({Placed(0, 0, 0), Placed(OBJ_WALL, 40, 0)});
    Call("mp_potential_settings", {45, 0, 5, 0.4});
    EXPECT_EQ("45.000000 1.000000 5.000000 0", SettingsText());
    functiontest::ExpectCases({{"mp_linear_step", {100, 0, 10, 0}, 0}, {"mp_linear_step_object", {10, 10, 20, OBJ_GHOST}, 1},
                               {"mp_linear_path_object", {path, 200, 10, 10, OBJ_WALL}, 0},
                               {"mp_potential_path_object", {path, 10, 200, 10, 1.5, OBJ_WALL}, 1},
                               {"mp_potential_step_object", {10, 200, 400, OBJ_WALL}, 1}},
                              mover);
    ExpectAt(10, 200, 270, "mp_potential_step_object");
    int32_t grid = int32_t(Call("mp_grid_create", {0, 0, 4, 3, 20, 20}));
    Call("mp_grid_add_instances", {grid, OBJ_WALL, 0}); // cell (2, 0)
    Call("mp_grid_add_rectangle", {grid, 0, 40, 20, 59});
    Call("mp_grid_clear_rectangle", {grid, 0, 40, 0, 40});
    Call("mp_grid_add_cell", {grid, 3, 1});
    Call("mp_grid_clear_cell", {grid, 3, 1});
    EXPECT_EQ(1, Call("mp_grid_path", {grid, path, 10, 10, 70, 50, 0}));
    // (0, 0) down, along row 1 to column 2, then row 2.
    const CPath* p = Path_Data(path);
    EXPECT_EQ(Reals(6, 50, 50), Reals(p->GetNumber(), p->GetPoint(4).x, p->GetPoint(4).y));
    Call("mp_grid_clear_all", {grid});
    EXPECT_EQ(4, CGrid_Data(grid)->m_HCells);
    Call("mp_grid_destroy", {grid});
    EXPECT_EQ(nullptr, CGrid_Data(grid));
}
