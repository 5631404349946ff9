// The frame's walks over the room's list pass by a list in which nothing moves, nothing is drawn
// and nothing was destroyed. Each case lets the lists go quiet, then changes one thing from a
// script and checks that the walk it concerns sees the change.
#include "RunFrameTestSupport.h"
#include "app/App_CommandLine.h"

using namespace frametest;

namespace {

struct QuietCase {
    const char* name;
    const char* change;    // run by the controller in frame 2
    const char* later;     // run by the controller in frame 4
    std::vector<float> xs; // x of each obj_q instance after frame 5, in list order (placed at 100)
    int32_t drawn;         // draw events obj_q instances (or what they became) got
};

std::vector<QuietCase> QuietCases()
{
    return {
        {"NothingChanges", "", "", {100.0f}, 0},
        {"HSpeed", "obj_q.hspeed = 3;", "", {112.0f}, 0},
        {"Speed", "obj_q.speed = 3;", "", {112.0f}, 0},
        {"Direction", "obj_q.speed = 3; obj_q.direction = 180;", "", {88.0f}, 0},
        {"MotionSet", "with (obj_q) motion_set(0, 3);", "", {112.0f}, 0},
        {"MotionAdd", "with (obj_q) motion_add(0, 3);", "", {112.0f}, 0},
        {"Gravity", "obj_q.gravity_direction = 0; obj_q.gravity = 1;", "", {110.0f}, 0},
        // Friction slows a moving instance from the next frame on: 3, 3, 2, 1.
        {"FrictionAfterSpeed", "obj_q.hspeed = 3;", "obj_q.friction = 1;", {109.0f}, 0},
        {"PathStart", "with (obj_q) path_start(0, 3, 0, false);", "", {112.0f}, 0},
        {"CreatedMoving", "var i; i = instance_create(0, 100, obj_q); i.hspeed = 3;", "", {100.0f, 12.0f}, 0},
        // One made still leaves the list without movers until a speed is set.
        {"CreatedStillThenMoving", "instance_create(0, 100, obj_q);", "obj_q.hspeed = 3;", {106.0f, 6.0f}, 0},
        {"Visible", "obj_q.visible = true;", "", {100.0f}, 4},
        // The instance takes over the visibility of its new object.
        {"ChangedToAVisibleObject", "with (obj_q) instance_change(obj_v, false);", "", {}, 4},
        {"Destroyed", "with (obj_q) instance_destroy();", "", {}, 0},
        {"DestroyedLater", "", "with (obj_q) instance_destroy();", {}, 0},
        // Changed, then deactivated before the walks: they find nothing until it comes back.
        {"ReactivatedMoving",
         "obj_q.hspeed = 3; instance_deactivate_object(obj_q);",
         "instance_activate_object(obj_q);",
         {106.0f},
         0},
        {"ReactivatedVisible",
         "obj_q.visible = true; instance_deactivate_object(obj_q);",
         "instance_activate_object(obj_q);",
         {100.0f},
         2},
    };
}

// Each case on the bytecode interpreter (1) and on the tree executor (0).
class QuietListTest : public FrameTest, public testing::WithParamInterface<std::tuple<QuietCase, uint8_t>> {
  protected:
    void TearDown() override
    {
        g_UseBytecode = m_Executor;
        FrameTest::TearDown();
    }
    uint8_t m_Executor = g_UseBytecode;
};

} // namespace

TEST_P(QuietListTest, AChangeAfterTheListsWentQuietReachesItsWalk)
{
    const QuietCase& c = std::get<0>(GetParam());
    g_UseBytecode = std::get<1>(GetParam());
    AddSquareSprite();
    TestPaths paths;
    paths.paths[0] = TestPath{{0.0f, 100.0f}, {0.0f, 0.0f}, 100.0f};
    gamebuild::ObjectDesc controller = ObjectWith(
        "obj_c",
        {{0, 0, "t = 0;"},
         {3, 0, std::string("t += 1; if (t == 2) {") + c.change + "} if (t == 4) {" + c.later + "}"}});
    controller.visible = false;
    gamebuild::ObjectDesc quiet = ObjectWith("obj_q", {{8, 0, "test_note(\"drawn\");"}}, 0);
    quiet.visible = false;
    gamebuild::ObjectDesc shown = ObjectWith("obj_v", {{8, 0, "test_note(\"drawn\");"}}, 0);
    ASSERT_TRUE(Play(OneRoomGame({controller, quiet, shown}, {Placed(0), Placed(1, 100, 100)})))
        << m_Log.Text();
    TakeNotes();
    Tick(5);
    std::vector<float> xs;
    for (CInstance* i = Run_CurrentRoom()->m_Active.m_pHead; i != nullptr; i = i->m_pNext)
        if (i->GetObjectIndex() == 1) xs.push_back(i->i_x);
    EXPECT_EQ(c.xs, xs);
    EXPECT_EQ(static_cast<size_t>(c.drawn), TakeNotes().size());
}

INSTANTIATE_TEST_SUITE_P(Changes, QuietListTest,
                         testing::Combine(testing::ValuesIn(QuietCases()),
                                          testing::Values(uint8_t{1}, uint8_t{0})),
                         [](const testing::TestParamInfo<QuietListTest::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) != 0 ? "" : "_tree");
                         });

// The motion pass passes by an instance it found still until something that moves it is set. Each
// game plays with that skipping and with the full pass, which works on every instance every frame;
// every instance's place, speed and direction agree after each frame.
namespace {

struct StillCase {
    const char* name;
    const char* create;   // obj_m's create event
    const char* change;   // run by the controller in frame 2
    const char* later;    // run by the controller in frame 4
    const char* pathEnd;  // obj_m's end-of-path event
};

std::vector<StillCase> StillCases()
{
    return {
        {"StillAndMovingMixed", "if (id mod 2 == 0) hspeed = 2;", "", "", ""},
        {"SpeedToZeroAndBack", "speed = 2;", "obj_m.speed = 0;", "obj_m.speed = 3;", ""},
        {"StillThenSpeed", "", "obj_m.vspeed = -1;", "obj_m.vspeed = 0;", ""},
        {"GravityOnly", "", "obj_m.gravity = 0.5;", "", ""},
        {"FrictionOnly", "", "obj_m.friction = 0.5;", "obj_m.hspeed = 4;", ""},
        {"Path", "", "with (obj_m) path_start(0, 40, 0, false);", "", ""},
        // The first to reach its path's end sets the speed of every other, before and after it in the
        // list, in the middle of the pass.
        {"MovedByAnotherInstancesEventMidPass",
         "",
         "with (100003) path_start(0, 50, 0, false);",
         "",
         "with (obj_m) if (id != 100003) hspeed = 5;"},
        {"DeactivatedAndReactivated",
         "",
         "obj_m.hspeed = 2; instance_deactivate_object(obj_m);",
         "instance_activate_object(obj_m); obj_m.gravity = 1;",
         ""},
        {"ReactivatedStill", "hspeed = 1;", "obj_m.hspeed = 0; instance_deactivate_object(obj_m);",
         "instance_activate_object(obj_m);", ""},
        {"CreatedDuringTheStep",
         "",
         "var i; i = instance_create(30, 30, obj_m); i.hspeed = 1; instance_create(60, 60, obj_m);",
         "obj_m.vspeed = 2;",
         ""},
    };
}

// Each instance's x, y, speed and direction, one line a frame, in list order.
std::string MotionState()
{
    std::string line;
    for (CInstance* i = Run_CurrentRoom()->m_Active.m_pHead; i != nullptr; i = i->m_pNext)
        line += std::to_string(i->GetId()) + ":" + std::to_string(i->i_x) + "," + std::to_string(i->i_y) + "," +
                std::to_string(i->i_speed) + "," + std::to_string(i->i_direction) + " ";
    return line;
}

class StillPassTest : public FrameTest, public testing::WithParamInterface<StillCase> {
  protected:
    void TearDown() override
    {
        g_FrameFullPasses = false;
        FrameTest::TearDown();
    }

    std::vector<std::string> PlayFrames(const StillCase& c, bool full)
    {
        g_FrameFullPasses = full;
        TestPaths paths;
        paths.paths[0] = TestPath{{0.0f, 100.0f}, {0.0f, 0.0f}, 100.0f};
        gamebuild::ObjectDesc controller = ObjectWith(
            "obj_c", {{0, 0, "t = 0;"},
                      {3, 0, std::string("t += 1; if (t == 2) {") + c.change + "} if (t == 4) {" + c.later + "}"}});
        gamebuild::ObjectDesc mover = ObjectWith("obj_m", {{0, 0, c.create}, {7, 8, c.pathEnd}}, 0);
        std::vector<std::string> states;
        if (!Play(OneRoomGame({controller, mover},
                              {Placed(0), Placed(1, 100, 100), Placed(1, 200, 100), Placed(1, 300, 100)}))) {
            ADD_FAILURE() << m_Log.Text();
            return states;
        }
        for (int32_t frame = 0; frame < 7; ++frame) {
            Tick();
            states.push_back(MotionState());
        }
        return states;
    }
};

} // namespace

TEST_P(StillPassTest, SkippingStillInstancesMovesAsTheFullPass)
{
    AddSquareSprite();
    std::vector<std::string> full = PlayFrames(GetParam(), true);
    // The second game starts afresh, as the next test would.
    FrameTest::TearDown();
    FrameTest::SetUp();
    std::vector<std::string> skipping = PlayFrames(GetParam(), false);
    ASSERT_EQ(full.size(), 7u);
    EXPECT_EQ(full, skipping);
    // Something moved: the case tests a pass with work in it.
    EXPECT_NE(full.front(), full.back());
}

INSTANTIATE_TEST_SUITE_P(Motion, StillPassTest, testing::ValuesIn(StillCases()),
                         [](const testing::TestParamInfo<StillCase>& info) { return std::string(info.param.name); });
