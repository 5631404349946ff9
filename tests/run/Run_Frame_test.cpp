// The stages of one frame, played in real games through the main loop: the order of the stages,
// which instances a stage reaches, early ends on a run request, alarms, collisions, input events
// and the asynchronous events of finished requests.
#include "RunFrameTestSupport.h"

#include <functional>

#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Tables.h"
#include "http/Http_Request.h"

using namespace frametest;

namespace {

constexpr int32_t KEY_A = 65;

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
    const std::string a = "100001 obj_a ";
    return {
        // Placed outside the room without a sprite: outside by position, and the animation ends every
        // frame. Held, a key gives no press, and the alarm (now 0) is lowered without an event.
        {"StageOrder", 0, true,
         {ObjectWith("obj_a", {{0, 0, "alarm[0] = 1;"}, {3, 1, ""}, {2, 0, ""}, {5, KEY_A, ""}, {9, KEY_A, ""},
                               {5, 1, ""}, {9, 1, ""}, {10, 0, ""}, {10, KEY_A, ""}, {3, 0, ""}, {7, 0, ""},
                               {7, 7, ""}, {3, 2, ""}})},
         {Placed(0, -50, 10)},
         {{[] { IO_OnKeyDown(KEY_A, 0, false); },
           {a + "7 7", a + "3 1", a + "2 0", a + "5 65", a + "9 65", a + "5 1", a + "9 1", a + "10 0", a + "3 0",
            a + "7 0", a + "3 2"}},
          {none, {a + "7 7", a + "3 1", a + "5 65", a + "5 1", a + "10 0", a + "3 0", a + "7 0", a + "3 2"}},
          {[] { IO_OnKeyUp(KEY_A, 0); }, {a + "7 7", a + "3 1", a + "10 65", a + "3 0", a + "7 0", a + "3 2"}}}},
        {"CreatedDuringAStageJoinsAtTheNextStage", 0, true,
         {ObjectWith("obj_spawner",
                     {{0, 0, "made = 0;"}, {3, 1, "if (made == 0) { made = 1; test_create(1, 0, 0); }"}}),
          ObjectWith("obj_child", {{0, 0, ""}, {3, 1, ""}, {3, 0, ""}, {3, 2, ""}})},
         {Placed(0)},
         {{none, {"100001 obj_spawner 3 1", "100002 obj_child 0 0", "100002 obj_child 3 0", "100002 obj_child 3 2"}},
          {none,
           {"100001 obj_spawner 3 1", "100002 obj_child 3 1", "100002 obj_child 3 0", "100002 obj_child 3 2"}}}},
        // Destroyed twice, its destroy event runs once; its own later step and end step do not.
        {"DestroyedDuringAStageGetsNoLaterEvent", 0, true,
         {ObjectWith("obj_killer", {{3, 0, "test_destroy_object(1); test_destroy_object(1);"}}),
          ObjectWith("obj_victim", {{1, 0, ""}, {3, 0, ""}, {3, 2, ""}})},
         {Placed(0), Placed(1)},
         {{none, {"100001 obj_killer 3 0", "100002 obj_victim 1 0"}}}},
        {"AlarmsCountDownOnlyWhereHandled", 0, false,
         {ObjectWith("obj_handled", {{0, 0, "alarm[0] = 1; alarm[3] = 5;"},
                                     {2, 0, "test_note(\"ring\", alarm[0]);"},
                                     {3, 2, "test_note(alarm[0], alarm[3]);"}}),
          ObjectWith("obj_plain", {{0, 0, "alarm[0] = 2;"}, {3, 2, "test_note(alarm[0]);"}})},
         {Placed(0), Placed(1)},
         {{none, {"100001 ring 0", "100001 0 5", "100002 2"}}, {none, {"100001 -1 5", "100002 2"}}}},
        // Moved to 20 the boxes meet: both go back before the events, move again, meet, go back again.
        {"SolidCollisionPutsBothBack", 1, false,
         {ObjectWith("obj_mover", {{0, 0, "hspeed = 20;"}, {4, 1, "test_note(\"hit\", x);"}}, 0, true),
          ObjectWith("obj_wall", {{4, 0, "test_note(\"hit back\", x);"}}, 0, true)},
         {Placed(0, 0, 0), Placed(1, 32, 0)},
         {{none, {"100001 hit 0", "100002 hit back 32"}}, {none, {"100001 hit 0", "100002 hit back 32"}}}},
        {"NonSolidCollisionLeavesBothWhereMotionPutThem", 1, false,
         {ObjectWith("obj_mover", {{0, 0, "hspeed = 20;"}, {4, 1, "test_note(x);"}}, 0), ObjectWith("obj_wall", {}, 0)},
         {Placed(0, 0, 0), Placed(1, 32, 0)},
         {{none, {"100001 20"}}}},
        // The mouse sits at (0, 0): local events only for the instance there, global ones for both.
        {"MouseEventsLocalUnderTheMouseGlobalEverywhere", 1, true,
         {ObjectWith("obj_t", {{6, 0, ""}, {6, 50, ""}, {6, 4, ""}, {6, 12, ""}, {6, 53, ""}, {6, 3, ""}}, 0)},
         {Placed(0, 0, 0), Placed(0, 100, 100)},
         {{[] { IO_OnMouseDown(1, 0, 0); },
           {"100001 obj_t 6 0", "100001 obj_t 6 50", "100002 obj_t 6 50", "100001 obj_t 6 4", "100001 obj_t 6 12",
            "100002 obj_t 6 12", "100001 obj_t 6 53", "100002 obj_t 6 53"}},
          {[] { IO_OnMouseUp(1, 0, 0); }, {"100001 obj_t 6 3"}}}},
        {"JoystickStatesRaiseEventsAndAFailedReadNone", 0, true,
         {ObjectWith("obj_pad", {{6, 16, ""}, {6, 17, ""}, {6, 18, ""}, {6, 21, ""}, {6, 22, ""}, {6, 23, ""},
                                 {6, 31, ""}})},
         {Placed(0)},
         {{none, {"100001 obj_pad 6 16", "100001 obj_pad 6 21", "100001 obj_pad 6 23"}}}},
        // Room 640 wide: one crosses the right edge, one lies wholly beyond it, one is inside.
        {"BoundaryEventsTellOutsideFromTheEdge", 1, false,
         {ObjectWith("obj_edge", {{7, 0, "test_note(\"outside\");"}, {7, 1, "test_note(\"edge\");"}}, 0)},
         {Placed(0, 630, 0), Placed(0, 700, 0), Placed(0, 100, 100)},
         {{none, {"100002 outside", "100001 edge", "100002 edge"}}}},
        {"AnimationEndsWhenTheIndexPassesTheFrameCount", 2, false,
         {ObjectWith("obj_anim", {{7, 7, "test_note(image_index);"}}, 0)},
         {Placed(0)},
         {{none, {}}, {none, {"100001 0"}}}},
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

TEST_F(FrameTest, ARoomChangeInTheBeginStepEndsTheFrameBeforeTheAlarms)
{
    gamebuild::ObjectDesc leaver = ObjectWith(
        "obj_leaver", {{0, 0, "alarm[0] = 1;"}, {3, 1, "test_goto(1);"}, {2, 0, ""}, {3, 0, ""}, {3, 2, ""}});
    gamebuild::GameDesc game = OneRoomGame({leaver, ObjectWith("obj_other", {{0, 0, ""}, {3, 1, ""}})}, {Placed(0)});
    game.rooms.push_back(Room("room_second", {Placed(1)}));
    game.header.roomOrder = {0, 1};
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    NewTrace();
    int32_t framesBefore = g_RoomFrameCounter;

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 obj_leaver 3 1", "100002 obj_other 0 0"}), NewTrace());
    EXPECT_EQ(1, g_CurrentRoomIndex);
    EXPECT_EQ(framesBefore, g_RoomFrameCounter) << "the frame ended before its end: not counted";
}

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

namespace {

struct FakeRequest : HTTP_REQ_CONTEXT {
    explicit FakeRequest(int32_t* deleted, HttpCompletion completion = nullptr, void* user = nullptr)
        : HTTP_REQ_CONTEXT(nullptr, 0, nullptr, nullptr, nullptr), m_Deleted(deleted)
    {
        m_pCompletion = completion;
        m_pUser = user;
        if (completion != nullptr) m_State = HTTP_STATE_FINISHED;
    }
    ~FakeRequest() override { ++*m_Deleted; }
    int32_t* m_Deleted;
};

// A completion that fills a real map, as the HTTP layer does, and asks for the event of its user.
int32_t CompleteWithMap(HTTP_REQ_CONTEXT*, void* user, int32_t* mapId)
{
    *mapId = DS_MapCreate(2, "status", 0.0, static_cast<const char*>(nullptr), "result", 0.0, "body");
    return *static_cast<int32_t*>(user);
}

int32_t g_CleanedUp = 0;
void CleanUp(HTTP_REQ_CONTEXT*)
{
    ++g_CleanedUp;
}

} // namespace

TEST_F(FrameTest, FinishedRequestsRaiseTheirEventWithAMapGoneAfterIt)
{
    gamebuild::ObjectDesc web =
        ObjectWith("obj_web", {{7, 62, "test_note(async_load);"}, {7, 66, "test_note(66);"}});
    ASSERT_TRUE(Play(OneRoomGame({web}, {Placed(0)}))) << m_Log.Text();
    TakeNotes();
    ASSERT_EQ(nullptr, g_pHttpRequests);
    int32_t deleted = 0, http = 62, iap = 66;
    // Each record joins the head of the list: finished, waiting, refused (66 is never raised).
    new FakeRequest(&deleted, CompleteWithMap, &iap);
    auto* waiting = new FakeRequest(&deleted);
    auto* finished = new FakeRequest(&deleted, CompleteWithMap, &http);
    finished->m_pCleanup = CleanUp;
    g_CleanedUp = 0;
    int32_t expected = DS_NewMap(); // the lowest free index, handed back at once
    CDS_Map_Destroy(expected);

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 " + std::to_string(expected)}), TakeNotes());
    EXPECT_EQ(2, deleted);
    EXPECT_EQ(1, g_CleanedUp);
    EXPECT_EQ(-1, async_load);
    EXPECT_EQ(nullptr, g_DSMaps.Get(expected)) << "both maps freed";
    int32_t next = DS_NewMap();
    EXPECT_EQ(expected, next);
    CDS_Map_Destroy(next);
    ASSERT_EQ(waiting, g_pHttpRequests);
    EXPECT_EQ(nullptr, waiting->m_pNext);
    g_pHttpRequests = nullptr;
    delete waiting;
}
