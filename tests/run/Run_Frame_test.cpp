// The stages of one frame, played in real games through the main loop: which instances the mouse
// and boundary events reach, depth changes between stages, pauses, and rooms with a physics world. The
// order of the stages is played end to end (frame-stages).
#include "RunFrameTestSupport.h"
#include "sprite/Sprite_Table.h"

#include <functional>

using namespace frametest;

namespace {

// One frame of a case: the input given before it, then the trace (or notes) it leaves.
struct FrameStep {
    std::function<void()> input;
    std::vector<std::string> expected;
};

struct FrameCase {
    const char* name;
    int32_t spriteFrames; // 0: no sprite 0; else a 16 x 16 box with its origin at the top left
    bool trace;           // compare the event trace rather than the notes
    std::vector<gamebuild::ObjectDesc> objects;
    std::vector<gamebuild::RoomInstanceDesc> placed;
    std::vector<FrameStep> steps;
};

// Joystick 0 pushed left with buttons 1 and 3 down; joystick 1 fails to read.
bool FakeJoystick(int32_t joystick, RunJoystickState* out)
{
    if (joystick != 0) return false;
    *out = {1000, 32767, 0x5};
    return true;
}

std::vector<FrameCase> FrameCases()
{
    auto none = [] {};
    return {
        // The mouse sits at (0, 0): local events only for the instance there, global ones for both.
        {"MouseEventsLocalUnderTheMouseGlobalEverywhere", 1, true,
         {ObjectWith("obj_t", {{6, 0, ""}, {6, 50, ""}, {6, 4, ""}, {6, 12, ""}, {6, 53, ""}, {6, 3, ""}}, 0)},
         {Placed(0, 0, 0), Placed(0, 100, 100)},
         {{[] { IO_OnMouseDown(1, 0, 0); },
           {"100001 obj_t 6 0", "100001 obj_t 6 50", "100002 obj_t 6 50", "100001 obj_t 6 4", "100001 obj_t 6 12",
            "100002 obj_t 6 12", "100001 obj_t 6 53", "100002 obj_t 6 53"}},
          {[] { IO_OnMouseUp(1, 0, 0); }, {"100001 obj_t 6 3"}}}},
        {"JoystickStatesRaiseEventsAndAFailedReadNone", 0, true,
         {ObjectWith("obj_pad", {{6, 16, ""}, {6, 17, ""}, {6, 21, ""}, {6, 22, ""}, {6, 23, ""}, {6, 31, ""}})},
         {Placed(0)},
         {{none, {"100001 obj_pad 6 16", "100001 obj_pad 6 21", "100001 obj_pad 6 23"}}}},
        // Room 640 wide: one crosses the right edge, one lies wholly beyond it, one is inside.
        {"BoundaryEventsTellOutsideFromTheEdge", 1, false,
         {ObjectWith("obj_edge", {{7, 0, "test_note(\"outside\");"}, {7, 1, "test_note(\"edge\");"}}, 0)},
         {Placed(0, 630, 0), Placed(0, 700, 0), Placed(0, 100, 100)},
         {{none, {"100002 outside", "100001 edge", "100002 edge"}}}},
    };
}

class FrameCaseTest : public FrameTest, public testing::WithParamInterface<FrameCase> {};

} // namespace

TEST_P(FrameCaseTest, EachFrameRaisesTheExpectedEventsInOrder)
{
    const FrameCase& c = GetParam();
    if (c.spriteFrames > 0) m_Sprites.Add(0, {0, 0, 15, 15}, 0, 0, c.spriteFrames);
    Run_SetJoystickReader(FakeJoystick);
    IO_RawMouseX = 0; // the mouse at (0, 0) of the room
    IO_RawMouseY = 0;
    ASSERT_TRUE(Play(OneRoomGame(c.objects, c.placed))) << m_Log.Text();
    NewTrace();
    TakeNotes();
    for (size_t i = 0; i < c.steps.size(); ++i) {
        c.steps[i].input();
        Tick();
        EXPECT_EQ(c.steps[i].expected, c.trace ? NewTrace() : TakeNotes()) << "frame " << i + 1;
    }
    Run_SetJoystickReader(nullptr);
    EXPECT_EQ(static_cast<int32_t>(c.steps.size()), g_RoomFrameCounter);
    for (CInstance* i = Run_CurrentRoom()->m_Active.m_pHead; i != nullptr; i = i->m_pNext)
        EXPECT_FALSE(i->IsMarked()) << "a destroyed instance is gone at the frame's end";
}

INSTANTIATE_TEST_SUITE_P(Games, FrameCaseTest, testing::ValuesIn(FrameCases()),
                         [](const testing::TestParamInfo<FrameCase>& info) { return info.param.name; });

TEST_F(FrameTest, DepthChangesAreAppliedBetweenStagesOnlyToTheListHoldingTheInstance)
{
    gamebuild::ObjectDesc first = ObjectWith("obj_first", {{3, 1, "depth = 100;"}, {3, 0, ""}});
    ASSERT_TRUE(Play(OneRoomGame({first, ObjectWith("obj_second", {})}, {Placed(0), Placed(1)}))) << m_Log.Text();
    CInstanceList& list = Run_CurrentRoom()->m_Active;
    Tick();
    EXPECT_EQ((std::vector<int32_t>{100002, 100001}), ListIds(list)) << "sorted to its new depth";
    EXPECT_EQ(0, g_InstanceDepthChanges.count);

    // An instance no list holds is skipped; the list is left whole.
    CInstance* stray = new CInstance(0, 0, 150000, 0, false);
    g_InstanceDepthChanges.Add(stray);
    g_InstanceDepthChanges.Add(list.m_pHead);
    Run_UpdateInstanceLists();
    EXPECT_EQ((std::vector<int32_t>{100002, 100001}), ListIds(list));
    EXPECT_EQ(nullptr, stray->m_pNext);
    EXPECT_EQ(0, g_InstanceDepthChanges.count);
    delete stray;
}

// Paused, ticks keep the pace (the frame rate counts them) but run no frame until one is stepped.
TEST_F(FrameTest, PausedTicksCountTheRateButRunNoFrameUntilStepped)
{
    ASSERT_TRUE(Play(OneRoomGame({ObjectWith("obj", {{3, 0, ""}})}, {Placed(0)}))) << m_Log.Text();
    int32_t frames = g_RoomFrameCounter;
    Run_SetPaused();
    Tick(Run_CurrentRoom()->m_Speed + 1);
    EXPECT_EQ(frames, g_RoomFrameCounter);
    EXPECT_EQ(Run_CurrentRoom()->m_Speed, Run_GetFrameRate());
    Run_StepPaused();
    EXPECT_EQ(frames + 1, g_RoomFrameCounter);
    Run_QuitGame(); // stops the loop and the pause
    EXPECT_EQ(std::make_pair(0, 0), std::make_pair(int(g_RunState), int(g_Paused)));
}

TEST_F(FrameTest, ARoomWithAPhysicsWorldMovesNoInstanceAndRaisesNoCollision)
{
    AddSquareSprite();
    gamebuild::ObjectDesc mover = ObjectWith("obj_mover", {{0, 0, "hspeed = 20;"}, {4, 0, ""}}, 0);
    ASSERT_TRUE(Play(OneRoomGame({mover}, {Placed(0, 0, 0), Placed(0, 8, 0)}))) << m_Log.Text();
    CRoom* room = Run_CurrentRoom();
    room->m_pPhysicsWorld = new CPhysicsWorld(0.1f, room->m_Speed);
    CPhysicsFixture* ball = PhysicsFixture_Create();
    ball->SetCircleShape(0.5f);
    ball->m_Def.density = 1.0f;
    ASSERT_TRUE(room->m_pPhysicsWorld->BindFixture(ball, Instance_FindById(100002)));
    NewTrace();

    Tick();
    EXPECT_EQ(std::vector<std::string>{}, NewTrace());
    EXPECT_EQ(0.0f, Instance_FindById(100001)->i_x);
    EXPECT_GT(Instance_FindById(100002)->i_y, 0.0f) << "the world stepped: the body fell";
    PhysicsFixture_DeleteAll();
}

// The animation pass looks a sprite's frame count up once for neighbours showing it; an
// animation-end event that gives that sprite more frames is seen by the instances after it.
TEST_F(FrameTest, AnimationEndThatChangesASpritesFramesIsSeenByTheInstancesAfterIt)
{
    Instance_SetSprites(nullptr); // the game's own sprite table, which sprite_assign changes
    struct SpritesEmptied {
        ~SpritesEmptied() { Sprite_Reset(); } // the game's sprites go with the test
    } emptied;
    auto strip = [](const char* name, int32_t frames) {
        gamebuild::SpriteDesc sprite;
        sprite.name = name;
        for (int32_t f = 0; f < frames; ++f)
            sprite.frames.push_back(gamebuild::PictureDesc{name, 4, 4, std::vector<uint32_t>(16, ~0u)});
        return sprite;
    };
    gamebuild::ObjectDesc shown = ObjectWith("obj_shown", {{7, 7, "test_note(\"end\"); sprite_assign(0, 1);"}}, 0);
    gamebuild::GameDesc game = OneRoomGame({shown}, {Placed(0), Placed(0), Placed(0)});
    game.sprites = {strip("spr_one", 1), strip("spr_three", 3)};
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    TakeNotes();
    std::vector<std::vector<std::string>> expected = {{"100001 end"}, {}, {"100002 end", "100003 end"}};
    for (size_t frame = 0; frame < expected.size(); ++frame) {
        Tick();
        EXPECT_EQ(expected[frame], TakeNotes()) << "frame " << frame + 1;
    }
}

// The image index is cut to a whole frame before it is held against the frame count: past the last
// frame by a fraction still wraps and raises animation end; negative and out-of-range indices do not,
// and one below a whole frame is still that frame.
// With an object handling animation end (true) and without: a game whose objects handle none wraps
// the same indices without raising anything.
class ImageIndexTest : public FrameTest, public testing::WithParamInterface<bool> {};

TEST_P(ImageIndexTest, ImageIndexIsCutToAWholeFrameAgainstTheFrameCount)
{
    const bool handled = GetParam();
    struct IndexCase {
        const char* start; // image_index and image_speed set at creation
        int32_t sprite;    // -1: none, so no frames
        bool ends;         // animation end is raised
        const char* shown; // image_index at the begin step
    };
    const IndexCase cases[] = {
        {"image_index = 1; image_speed = 1;", 0, false, "2"},
        {"image_index = 2.75; image_speed = 0.25;", 0, true, "0"},
        {"image_index = 2.5; image_speed = 1;", 0, true, "0.5"},
        {"image_index = 2.5; image_speed = 0.25;", 0, false, "2.75"},
        {"image_index = -0.5; image_speed = 0;", 0, false, "-0.5"},
        {"image_index = 0; image_speed = -1;", 0, false, "-1"},
        {"image_index = 3000000000; image_speed = 0;", 0, false, "3e+09"},
        {"image_index = 2147483520; image_speed = 0;", 0, true, "2.14748e+09"},
        {"image_index = -0.5; image_speed = 0;", -1, true, "-0.5"},
        {"image_index = -1; image_speed = 0;", -1, false, "-1"},
    };
    Instance_SetSprites(nullptr);
    struct SpritesEmptied {
        ~SpritesEmptied() { Sprite_Reset(); }
    } emptied;
    gamebuild::SpriteDesc strip;
    strip.name = "spr_three";
    for (int32_t f = 0; f < 3; ++f)
        strip.frames.push_back(gamebuild::PictureDesc{"spr_three", 4, 4, std::vector<uint32_t>(16, ~0u)});
    // One object and instance per case: the animation pass raises the ends in room order, the
    // begin step then shows every index.
    std::vector<gamebuild::ObjectDesc> objects;
    std::vector<gamebuild::RoomInstanceDesc> placed;
    std::vector<std::string> ends, shown;
    for (const IndexCase& c : cases) {
        std::string id = std::to_string(100001 + objects.size());
        if (c.ends && handled) ends.push_back(id + " end");
        shown.push_back(id + " " + c.shown);
        placed.push_back(Placed(static_cast<int32_t>(objects.size())));
        std::vector<Handler> events = {{0, 0, c.start}, {3, 1, "test_note(image_index);"}};
        if (handled) events.push_back({7, 7, "test_note(\"end\");"});
        objects.push_back(ObjectWith("obj_" + id, events, c.sprite));
    }
    gamebuild::GameDesc game = OneRoomGame(objects, placed);
    game.sprites = {strip};
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    TakeNotes();
    Tick();
    ends.insert(ends.end(), shown.begin(), shown.end());
    EXPECT_EQ(ends, TakeNotes());
}

INSTANTIATE_TEST_SUITE_P(AnimationEnd, ImageIndexTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Handled" : "NotHandled"; });

// The step walk finds an object's handler once, and again after code in the walk changed events:
// the first mover to step through its parent's handler takes the parent away, and the movers after it
// step by what they now have (nothing).
TEST_F(FrameTest, HandlersChangedDuringTheWalkReachTheInstancesAfterIt)
{
    gamebuild::ObjectDesc base = ObjectWith("obj_base", {{3, 0, "test_note(\"base \" + object_get_name(object_index)); "
                                                                "if (id == 100001) object_set_parent(obj_mover, -1);"}});
    gamebuild::ObjectDesc mover = ObjectWith("obj_mover", {});
    mover.parent = 0;
    ASSERT_TRUE(Play(OneRoomGame({base, mover}, {Placed(1), Placed(1), Placed(1)}))) << m_Log.Text();
    TakeNotes();
    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 base obj_mover"}), TakeNotes());
}
