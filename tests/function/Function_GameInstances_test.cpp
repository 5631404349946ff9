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
    for (auto [args, error] : std::vector<std::pair<std::vector<testsupport::TestArg>, const char*>>{
             {{10, 20, 0}, nullptr}, {{0, 0, 7}, "Creating instance for non-existing object: 7"},
             {{"a", 0, 0}, "instance_create( ) error: Illegal type"}}) {
        m_Log.Clear();
        int32_t before = Run_InstanceNumber(TARGET_ALL);
        double id = Call("instance_create", args);
        EXPECT_EQ(before + (error == nullptr), Run_InstanceNumber(TARGET_ALL));
        EXPECT_EQ(error == nullptr ? g_InstanceIdCounter : -1, id);
        EXPECT_EQ(error != nullptr, m_Log.Count(error != nullptr ? error : "ERROR") == 1) << m_Log.Text();
    }
    EXPECT_EQ((std::vector<std::string>{"100005 create"}), TakeNotes());
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
    struct Case {
        const char* routine;
        std::vector<testsupport::TestArg> args;
        CInstance* self;
        double expected;
    } cases[] = {
        // clang-format off
        {"instance_number", {0}, nullptr, 3}, {"instance_number", {-1}, pawn, 1}, {"instance_exists", {-1}, nullptr, 0},
        {"instance_find", {100002, 0}, nullptr, 100002}, {"instance_find", {100002, 1}, nullptr, -4},
        {"instance_find", {-3, 3}, nullptr, 100004}, {"instance_nearest", {0, 0, -1}, pawn, -4},
        {"instance_position", {5, 5, -1}, pawn, -4}, {"position_meeting", {5, 5, -1}, pawn, 1},
        {"position_empty", {50, 50}, nullptr, 1}, {"instance_place", {290, 0, -3}, pawn, 100004},
        // clang-format on
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Call(c.routine, c.args, c.self)) << c.routine << " " << c.args[0].real;
    EXPECT_EQ(0.0f, pawn->i_x) << "instance_place puts self back";

    // Changed in this event: counted under its new object before the lists catch up.
    Call("instance_change", {1, 1}, pawn);
    EXPECT_EQ((std::vector<std::string>{"100001 destroy", "100001 knight"}), TakeNotes());
    EXPECT_EQ(2, Call("instance_number", {1}));
}

TEST_F(GameInstances, DeactivationHidesAtOnceAndTheListsFollowAtTheUpdate)
{
    Call("instance_deactivate_object", {2});
    EXPECT_EQ(0, Call("instance_exists", {2}));
    EXPECT_EQ(2, Call("instance_number", {0}));
    Call("instance_activate_object", {2});
    Call("instance_deactivate_object", {-4});
    Run_UpdateInstanceLists();
    EXPECT_EQ(3, Call("instance_number", {0})) << "deactivated and activated in one step";

    Call("instance_deactivate_all", {1}, pawn);
    EXPECT_EQ(100001, Call("instance_find", {-3, 0}));
    EXPECT_EQ(-4, Call("instance_find", {-3, 1}));
    Run_UpdateInstanceLists();
    EXPECT_EQ(3, Run_CurrentRoom()->m_Deactivated.m_Count);
    Call("instance_activate_object", {-4});
    Call("instance_activate_object", {0}); // pawns and the squire, by descent
    EXPECT_EQ((std::vector<int32_t>{100004}), Deactivated({100002, 100003, 100004}));
    Call("instance_activate_all", {});
    Run_UpdateInstanceLists();
    EXPECT_EQ(4, Call("instance_number", {-3}));
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
        {{150, 0, 100, 100, 0}, {100002, 100004}},     // and on the left edge
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
}
