// The Game family's instance routines on a played room: creating, copying, changing, destroying,
// counting and finding instances, and deactivating and activating them.
#include "Function_GameTestSupport.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_Names.h"

using namespace gametest;

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
             ObjectWith("obj_knight", {{0, 0, "test_note(\"knight\");"}, {3, 0, ""}}, 0), squire},
            {Placed(0, 0, 0, "hp = 7;"), Placed(0, 100, 0), Placed(2, 200, 0), Placed(1, 300, 0)});
        pawn = ById(100001);
        m_Log.Clear();
    }

    static double VariableOf(CInstance* instance, const char* name)
    {
        ScriptValue value = {VALUE_REAL, 0, -99.0};
        Variable_GetValue_Direct(instance, Code_Variable_Find(name), 0, &value);
        return value.real;
    }

    CInstance* pawn = nullptr;
};

TEST_F(GameInstances, CreateMakesTheInstanceOrReportsOnceAndAnswersMinusOne)
{
    struct Case {
        std::vector<testsupport::TestArg> args;
        bool made;
        const char* error;
    } cases[] = {
        {{10, 20, 0}, true, nullptr},
        {{1.9, 2, 2.9}, true, nullptr}, // the object truncated
        {{0, 0, 7}, false, "Creating instance for non-existing object: 7"},
        {{"a", 0, 0}, false, "instance_create( ) error: Illegal type"},
        {{0, 0, "0"}, false, "instance_create( ) error: Illegal type"},
    };
    for (const Case& c : cases) {
        m_Log.Clear();
        int32_t before = Run_InstanceNumber(TARGET_ALL);
        double id = Call("instance_create", c.args);
        EXPECT_EQ(c.made ? before + 1 : before, Run_InstanceNumber(TARGET_ALL));
        if (c.made) {
            ASSERT_NE(nullptr, ById(static_cast<int32_t>(id)));
            EXPECT_EQ(static_cast<float>(c.args[0].real), ById(static_cast<int32_t>(id))->i_x);
        } else {
            EXPECT_EQ(-1, id);
            EXPECT_EQ(1u, m_Log.Count(c.error)) << m_Log.Text();
        }
    }
    EXPECT_EQ((std::vector<std::string>{"100005 create", "100006 create"}), TakeNotes());
}

TEST_F(GameInstances, CopyTakesEverythingButItsIdAndRunsCreateOnlyWhenAsked)
{
    pawn->SetPosition(30.5f, 40.0f);
    struct Case {
        double perform;
        bool created;
    } cases[] = {{0, false}, {1, true}, {0.4999999999, true} /* 0.5 as a single real */, {0.49, false}};
    for (const Case& c : cases) {
        auto id = static_cast<int32_t>(Call("instance_copy", {c.perform}, pawn));
        CInstance* copy = ById(id);
        ASSERT_NE(nullptr, copy);
        EXPECT_NE(pawn->GetId(), id);
        EXPECT_EQ(copy, Instance_FindById(copy->GetId()));
        EXPECT_EQ(30.5f, copy->i_x);
        EXPECT_EQ(7.0, VariableOf(copy, "hp"));
        std::vector<std::string> expected;
        if (c.created) expected.push_back(std::to_string(id) + " create");
        EXPECT_EQ(expected, TakeNotes()) << c.perform;
    }
    EXPECT_EQ(7, Run_InstanceNumber(0));
}

TEST_F(GameInstances, DestroyTwicePerformsOneDestroyEvent)
{
    Call("instance_destroy", {}, pawn);
    Call("instance_destroy", {}, pawn);
    EXPECT_EQ((std::vector<std::string>{"100001 destroy"}), TakeNotes());
    EXPECT_EQ(0, Call("instance_exists", {100001}));
}

TEST_F(GameInstances, CountsFindsAndTestsFollowTheTarget)
{
    CInstance* knight = ById(100004);
    struct Case {
        const char* routine;
        std::vector<testsupport::TestArg> args;
        CInstance* self;
        double expected;
    } cases[] = {
        {"instance_number", {0}, nullptr, 3},
        {"instance_number", {2}, nullptr, 1},
        {"instance_number", {-3}, nullptr, 4},
        {"instance_number", {-1}, pawn, 1},
        {"instance_number", {-2}, pawn, 0},
        {"instance_number", {7}, nullptr, 0},
        {"instance_number", {100002}, nullptr, 1},
        {"instance_exists", {0.9}, nullptr, 1},
        {"instance_exists", {-1}, nullptr, 0},
        {"instance_exists", {-5}, nullptr, 0},
        {"instance_exists", {100009}, nullptr, 0},
        {"instance_find", {0, 2}, nullptr, 100003},
        {"instance_find", {0, 3}, nullptr, -4},
        {"instance_find", {-3, 3}, nullptr, 100004},
        {"instance_find", {100002, 0}, nullptr, 100002},
        {"instance_find", {100002, 1}, nullptr, -4},
        {"instance_find", {-1, 0}, pawn, -4},
        {"instance_nearest", {190, 0, 0}, nullptr, 100003},
        {"instance_furthest", {0, 0, 0}, nullptr, 100003},
        {"instance_nearest", {0, 0, -1}, pawn, -4},
        {"instance_nearest", {0, 0, 100001}, nullptr, -4},
        {"instance_position", {105, 5, -3}, nullptr, 100002},
        {"instance_position", {5, 5, -1}, pawn, -4},
        {"position_meeting", {5, 5, -1}, pawn, 1},
        {"position_meeting", {5, 5, -2}, pawn, 0},
        {"position_empty", {50, 50}, nullptr, 1},
        {"position_empty", {305, 5}, nullptr, 0},
        {"instance_place", {290, 0, -3}, pawn, 100004},
        {"instance_place", {290, 0, 0}, pawn, -4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Call(c.routine, c.args, c.self)) << c.routine << " " << c.args[0].real;
    EXPECT_EQ(0.0f, pawn->i_x) << "instance_place puts self back";

    // Changed in this event: counted under its new object before the lists catch up.
    Call("instance_change", {1, 1}, pawn);
    EXPECT_EQ((std::vector<std::string>{"100001 destroy", "100001 knight"}), TakeNotes());
    EXPECT_EQ(2, Call("instance_number", {1}));
    Call("instance_change", {9, 0}, knight);
    EXPECT_TRUE(m_Log.Has("Asking to change into non-existing object: 9"));
}

TEST_F(GameInstances, PositionRoutinesDestroyAndChangeWhatCoversThePoint)
{
    Call("position_change", {105, 5, 1, 0}, pawn);
    EXPECT_EQ(1, ById(100002)->GetObjectIndex());
    EXPECT_TRUE(TakeNotes().empty()) << "no events without the flag";
    Call("position_destroy", {5, 5});
    EXPECT_EQ((std::vector<std::string>{"100001 destroy"}), TakeNotes());
    Call("instance_sprite", {5}, pawn);
    EXPECT_TRUE(m_Log.Has("Setting instance to non-existing sprite: 5"));
}

TEST_F(GameInstances, DeactivationHidesAtOnceAndTheListsFollowAtTheUpdate)
{
    CInstance* squire = ById(100003);
    Call("instance_deactivate_object", {2});
    EXPECT_EQ(0, Call("instance_exists", {2}));
    EXPECT_EQ(2, Call("instance_number", {0}));
    Call("instance_activate_object", {2});
    Call("instance_deactivate_object", {-4});
    Call("instance_activate_object", {-4});
    Run_UpdateInstanceLists();
    EXPECT_FALSE(squire->IsDeactivated()) << "deactivated and activated in one step";
    EXPECT_EQ(3, Call("instance_number", {0}));

    Call("instance_deactivate_all", {1}, pawn);
    EXPECT_EQ(1, Call("instance_number", {-3}));
    EXPECT_EQ(100001, Call("instance_find", {-3, 0}));
    Run_UpdateInstanceLists();
    EXPECT_EQ(3, Run_CurrentRoom()->m_Deactivated.m_Count);
    Call("instance_activate_object", {0}); // pawns and the squire, by descent
    EXPECT_TRUE(ById(100004)->IsDeactivated());
    EXPECT_FALSE(squire->IsDeactivated());
    Call("instance_activate_all", {});
    Run_UpdateInstanceLists();
    EXPECT_EQ(0, Run_CurrentRoom()->m_Deactivated.m_Count);
    EXPECT_EQ(4, Call("instance_number", {-3}));
}

TEST_F(GameInstances, RegionsTestTheBoxOrTheBarePosition)
{
    // A sprite-less pawn at (150, 50): only its position counts.
    auto bare = static_cast<int32_t>(Call("instance_create", {150, 50, 0}));
    ById(bare)->SetSpriteIndex(-1);
    struct Case {
        std::vector<testsupport::TestArg> region; // left, top, width, height, inside
        std::vector<int32_t> deactivated;
    } cases[] = {
        {{0, 0, 149, 100, 0}, {100003, 100004, bare}}, // wholly outside go; 100002 touches at 100..115
        {{0, 0, 150, 100, 0}, {100003, 100004}},       // the bare position on the edge is inside
        {{150, 0, 100, 100, 0}, {100002, 100004}},     // and on the left edge
        {{110, 0, 100, 100, 1}, {100002, 100003, bare}}, {{-100, 500, 50, 50, 1}, {}},
    };
    for (const Case& c : cases) {
        std::vector<testsupport::TestArg> args = c.region;
        args.push_back(1); // not me
        Call("instance_deactivate_region", args, pawn);
        std::vector<int32_t> found;
        for (int32_t id : {100001, 100002, 100003, 100004, bare})
            if (ById(id)->IsDeactivated()) found.push_back(id);
        EXPECT_EQ(c.deactivated, found) << c.region[0].real << " " << c.region[2].real;
        std::vector<testsupport::TestArg> activate(c.region.begin(), c.region.end());
        Call("instance_activate_region", activate);
        for (int32_t id : {100001, 100002, 100003, 100004, bare})
            EXPECT_FALSE(ById(id)->IsDeactivated()) << id;
    }
    Call("instance_deactivate_region", {1000, 1000, 1, 1, 0, 0}, pawn);
    EXPECT_TRUE(pawn->IsDeactivated()) << "without not-me the caller goes too";
}

TEST_F(GameInstances, ADeactivatedInstanceGetsNoStepEventsUntilActivated)
{
    auto id = static_cast<int32_t>(Call("instance_create", {400, 0, 1}));
    TakeNotes();
    (void)NewTrace();
    Call("instance_deactivate_object", {id});
    Tick(2);
    for (const std::string& line : NewTrace())
        EXPECT_EQ(std::string::npos, line.find(std::to_string(id))) << line;
    Call("instance_activate_object", {id});
    Tick(2);
    size_t steps = 0;
    for (const std::string& line : NewTrace())
        if (line.find(std::to_string(id) + " obj_knight 3 0") != std::string::npos) ++steps;
    EXPECT_GE(steps, 1u);
}
