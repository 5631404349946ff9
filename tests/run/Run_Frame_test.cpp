// The stages of one frame, played in real games through the main loop: the order of the stages,
// which instances a stage reaches, early ends on a run request, alarms and solid collisions.
#include "RunFrameTestSupport.h"

#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Tables.h"
#include "http/Http_Request.h"
#include "io/IO_Main.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

using namespace frametest;

namespace {

constexpr int32_t KEY_A = 65;

std::vector<std::string> Lines(const std::string& who, std::vector<std::string> events)
{
    for (std::string& e : events)
        e = who + " " + e;
    return events;
}

} // namespace

TEST_F(FrameTest, EventsRunInTheStageOrderFrameAfterFrame)
{
    // Placed outside the room without a sprite: the outside test goes by position. Without a sprite
    // the frame count is 0, so the animation end comes every frame.
    gamebuild::ObjectDesc a = ObjectWith("obj_a", {{0, 0, "alarm[0] = 1;"},
                                                   {3, 1, ""},
                                                   {2, 0, ""},
                                                   {5, KEY_A, ""},
                                                   {9, KEY_A, ""},
                                                   {5, 1, ""},
                                                   {9, 1, ""},
                                                   {10, 0, ""},
                                                   {10, KEY_A, ""},
                                                   {3, 0, ""},
                                                   {7, 0, ""},
                                                   {7, 7, ""},
                                                   {3, 2, ""}});
    ASSERT_TRUE(Play(OneRoomGame({a}, {Placed(0, -50, 10)}))) << m_Log.Text();
    EXPECT_EQ(Lines("100001 obj_a", {"0 0"}), NewTrace());

    IO_OnKeyDown(KEY_A, 0, false);
    Tick();
    EXPECT_EQ(Lines("100001 obj_a",
                    {"7 7", "3 1", "2 0", "5 65", "9 65", "5 1", "9 1", "10 0", "3 0", "7 0", "3 2"}),
              NewTrace());

    // Held: no press, and the alarm (now 0) is lowered to -1 without an event.
    Tick();
    EXPECT_EQ(Lines("100001 obj_a", {"7 7", "3 1", "5 65", "5 1", "10 0", "3 0", "7 0", "3 2"}), NewTrace());

    IO_OnKeyUp(KEY_A, 0);
    Tick();
    EXPECT_EQ(Lines("100001 obj_a", {"7 7", "3 1", "10 65", "3 0", "7 0", "3 2"}), NewTrace());
    EXPECT_EQ(3, g_RoomFrameCounter);
}

TEST_F(FrameTest, AnInstanceCreatedDuringAStageGetsItsEventsFromTheNextStage)
{
    gamebuild::ObjectDesc spawner = ObjectWith(
        "obj_spawner", {{0, 0, "made = 0;"}, {3, 1, "if (made == 0) { made = 1; test_create(1, 0, 0); }"}});
    gamebuild::ObjectDesc child = ObjectWith("obj_child", {{0, 0, ""}, {3, 1, ""}, {3, 0, ""}, {3, 2, ""}});
    ASSERT_TRUE(Play(OneRoomGame({spawner, child}, {Placed(0)}))) << m_Log.Text();
    NewTrace();

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 obj_spawner 3 1", "100002 obj_child 0 0",
                                        "100002 obj_child 3 0", "100002 obj_child 3 2"}),
              NewTrace());
    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 obj_spawner 3 1", "100002 obj_child 3 1",
                                        "100002 obj_child 3 0", "100002 obj_child 3 2"}),
              NewTrace());
}

TEST_F(FrameTest, AnInstanceDestroyedDuringAStageGetsNoLaterEventAndIsGoneAtTheFrameEnd)
{
    gamebuild::ObjectDesc killer =
        ObjectWith("obj_killer", {{3, 0, "test_destroy_object(1); test_destroy_object(1);"}});
    gamebuild::ObjectDesc victim = ObjectWith("obj_victim", {{1, 0, ""}, {3, 0, ""}, {3, 2, ""}});
    ASSERT_TRUE(Play(OneRoomGame({killer, victim}, {Placed(0), Placed(1)}))) << m_Log.Text();
    NewTrace();

    Tick();
    // Destroyed twice, its destroy event runs once; its own step (later in the same stage) and the
    // end step do not run.
    EXPECT_EQ((std::vector<std::string>{"100001 obj_killer 3 0", "100002 obj_victim 1 0"}), NewTrace());
    EXPECT_EQ(nullptr, Instance_FindById(100002));
    EXPECT_EQ(1, Run_CurrentRoom()->m_Active.m_Count);
}

TEST_F(FrameTest, ARoomChangeInTheBeginStepEndsTheFrameBeforeTheAlarms)
{
    gamebuild::ObjectDesc leaver = ObjectWith(
        "obj_leaver", {{0, 0, "alarm[0] = 1;"}, {3, 1, "test_goto(1);"}, {2, 0, ""}, {3, 0, ""}, {3, 2, ""}});
    gamebuild::ObjectDesc other = ObjectWith("obj_other", {{0, 0, ""}, {3, 1, ""}});
    gamebuild::GameDesc game = OneRoomGame({leaver, other}, {Placed(0)});
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

TEST_F(FrameTest, AlarmsCountDownOnlyWhereTheObjectHandlesThem)
{
    gamebuild::ObjectDesc handled = ObjectWith("obj_handled", {{0, 0, "alarm[0] = 1; alarm[3] = 5;"},
                                                               {2, 0, "test_note(\"ring\", alarm[0]);"},
                                                               {3, 2, "test_note(alarm[0], alarm[3]);"}});
    gamebuild::ObjectDesc plain =
        ObjectWith("obj_plain", {{0, 0, "alarm[0] = 2;"}, {3, 2, "test_note(alarm[0]);"}});
    ASSERT_TRUE(Play(OneRoomGame({handled, plain}, {Placed(0), Placed(1)}))) << m_Log.Text();
    TakeNotes();

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 ring 0", "100001 0 5", "100002 2"}), TakeNotes());
    Tick(2);
    EXPECT_EQ((std::vector<std::string>{"100001 -1 5", "100002 2", "100001 -1 5", "100002 2"}), TakeNotes());
}

TEST_F(FrameTest, TwoSolidInstancesThatStillCollideGoBackToTheirPreviousPlaces)
{
    AddSquareSprite();
    gamebuild::ObjectDesc mover =
        ObjectWith("obj_mover", {{0, 0, "hspeed = 20;"}, {4, 1, "test_note(\"hit\", x);"}}, 0, true);
    gamebuild::ObjectDesc wall = ObjectWith("obj_wall", {{4, 0, "test_note(\"hit back\", x);"}}, 0, true);
    ASSERT_TRUE(Play(OneRoomGame({mover, wall}, {Placed(0, 0, 0), Placed(1, 32, 0)}))) << m_Log.Text();
    TakeNotes();

    Tick();
    // Moved to 20, the boxes meet; both are put back before the events, then moved again by their
    // speeds, still meet, and are put back once more.
    EXPECT_EQ((std::vector<std::string>{"100001 hit 0", "100002 hit back 32"}), TakeNotes());
    EXPECT_EQ(0.0f, Instance_FindById(100001)->i_x);
    EXPECT_EQ(32.0f, Instance_FindById(100002)->i_x);
}

TEST_F(FrameTest, ANonSolidCollisionLeavesBothWhereMotionPutThem)
{
    AddSquareSprite();
    gamebuild::ObjectDesc mover =
        ObjectWith("obj_mover", {{0, 0, "hspeed = 20;"}, {4, 1, "test_note(x);"}}, 0);
    gamebuild::ObjectDesc wall = ObjectWith("obj_wall", {}, 0);
    ASSERT_TRUE(Play(OneRoomGame({mover, wall}, {Placed(0, 0, 0), Placed(1, 32, 0)}))) << m_Log.Text();
    TakeNotes();

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 20"}), TakeNotes());
    EXPECT_EQ(20.0f, Instance_FindById(100001)->i_x);
}

TEST_F(FrameTest, ADepthChangeIsAppliedBetweenStages)
{
    gamebuild::ObjectDesc first = ObjectWith("obj_first", {{3, 1, "depth = 100;"}, {3, 0, ""}});
    gamebuild::ObjectDesc second = ObjectWith("obj_second", {});
    ASSERT_TRUE(Play(OneRoomGame({first, second}, {Placed(0), Placed(1)}))) << m_Log.Text();
    CInstanceList& list = Run_CurrentRoom()->m_Active;
    ASSERT_EQ(Instance_FindById(100001), list.m_pHead);

    Tick();
    EXPECT_EQ(Instance_FindById(100002), list.m_pHead);
    EXPECT_EQ(Instance_FindById(100001), list.m_pTail) << "sorted to its new depth";
    EXPECT_EQ(0, g_InstanceDepthChanges.count);
}

TEST_F(FrameTest, MouseButtonsRaiseLocalEventsUnderTheMouseAndGlobalEventsEverywhere)
{
    AddSquareSprite();
    gamebuild::ObjectDesc target = ObjectWith(
        "obj_target", {{6, 0, ""}, {6, 50, ""}, {6, 4, ""}, {6, 12, ""}, {6, 53, ""}, {6, 3, ""}}, 0);
    // The mouse sits at (0, 0) of the room: only the instance placed there is under it.
    ASSERT_TRUE(Play(OneRoomGame({target}, {Placed(0, 0, 0), Placed(0, 100, 100)}))) << m_Log.Text();
    NewTrace();

    IO_OnMouseDown(1, 0, 0);
    Tick();
    EXPECT_EQ(
        (std::vector<std::string>{"100001 obj_target 6 0", "100001 obj_target 6 50", "100002 obj_target 6 50",
                                  "100001 obj_target 6 4", "100001 obj_target 6 12", "100002 obj_target 6 12",
                                  "100001 obj_target 6 53", "100002 obj_target 6 53"}),
        NewTrace());
    IO_OnMouseUp(1, 0, 0);
    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 obj_target 6 3"}), NewTrace());
}

namespace {

// Joystick 0 pushed left with buttons 1 and 3 down; joystick 1 fails to read.
bool FakeJoystick(int32_t joystick, RunJoystickState* out)
{
    if (joystick != 0) return false;
    *out = {1000, 32767, 0x5};
    return true;
}

struct JoystickReaderFor {
    explicit JoystickReaderFor(RunJoystickReader reader) { Run_SetJoystickReader(reader); }
    ~JoystickReaderFor() { Run_SetJoystickReader(nullptr); }
};

} // namespace

TEST_F(FrameTest, JoystickStatesRaiseTheirEventsAndAFailedReadRaisesNone)
{
    JoystickReaderFor reader(FakeJoystick);
    gamebuild::ObjectDesc pad = ObjectWith(
        "obj_pad",
        {{6, 16, ""}, {6, 17, ""}, {6, 18, ""}, {6, 21, ""}, {6, 22, ""}, {6, 23, ""}, {6, 31, ""}});
    ASSERT_TRUE(Play(OneRoomGame({pad}, {Placed(0)}))) << m_Log.Text();
    NewTrace();

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 obj_pad 6 16", "100001 obj_pad 6 21", "100001 obj_pad 6 23"}),
              NewTrace());
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

TEST_F(FrameTest, BoundaryEventsTellOutsideFromCrossingTheEdge)
{
    AddSquareSprite();
    gamebuild::ObjectDesc edge =
        ObjectWith("obj_edge", {{7, 0, "test_note(\"outside\");"}, {7, 1, "test_note(\"edge\");"}}, 0);
    // Room 640 wide: one crosses the right edge, one lies wholly beyond it, one is inside.
    ASSERT_TRUE(Play(OneRoomGame({edge}, {Placed(0, 630, 0), Placed(0, 700, 0), Placed(0, 100, 100)})))
        << m_Log.Text();
    TakeNotes();

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100002 outside", "100001 edge", "100002 edge"}), TakeNotes());
}

TEST_F(FrameTest, TheAnimationEndComesWhenTheImageIndexPassesTheFrameCount)
{
    m_Sprites.Add(0, {0, 0, 15, 15}, 0, 0, 2);
    gamebuild::ObjectDesc anim = ObjectWith("obj_anim", {{7, 7, "test_note(image_index);"}}, 0);
    ASSERT_TRUE(Play(OneRoomGame({anim}, {Placed(0)}))) << m_Log.Text();
    TakeNotes();

    Tick();
    EXPECT_TRUE(TakeNotes().empty()) << "image_index 1 of 2 frames";
    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 0"}), TakeNotes());
}

namespace {

// A finished request whose completion makes map 5 and asks for the HTTP event (62).
struct FakeRequest : HTTP_REQ_CONTEXT {
    explicit FakeRequest(int32_t* deleted) : HTTP_REQ_CONTEXT(nullptr, 0, nullptr, nullptr, nullptr), m_Deleted(deleted) {}
    ~FakeRequest() override { ++*m_Deleted; }
    int32_t* m_Deleted;
};

int32_t CompleteWithMap(HTTP_REQ_CONTEXT*, void* user, int32_t* mapId)
{
    *mapId = 5;
    return *static_cast<int32_t*>(user);
}

int32_t g_CleanedUp = 0;
void CleanUp(HTTP_REQ_CONTEXT*)
{
    ++g_CleanedUp;
}

} // namespace

TEST_F(FrameTest, AFinishedRequestRaisesItsAsynchronousEventWithItsMap)
{
    gamebuild::ObjectDesc web =
        ObjectWith("obj_web", {{7, 62, "test_note(async_load);"}, {7, 66, "test_note(66);"}});
    ASSERT_TRUE(Play(OneRoomGame({web}, {Placed(0)}))) << m_Log.Text();
    TakeNotes();

    int32_t deleted = 0, http = 62, iap = 66;
    ASSERT_EQ(nullptr, g_pHttpRequests);
    // Each record joins the head of the list: finished, waiting, refused.
    auto* refused = new FakeRequest(&deleted); // 66 is not among the raised subtypes
    refused->m_State = HTTP_STATE_FINISHED;
    refused->m_pCompletion = CompleteWithMap;
    refused->m_pUser = &iap;
    auto* waiting = new FakeRequest(&deleted); // active but not finished: stays
    auto* finished = new FakeRequest(&deleted);
    finished->m_State = HTTP_STATE_FINISHED;
    finished->m_pCompletion = CompleteWithMap;
    finished->m_pCleanup = CleanUp;
    finished->m_pUser = &http;
    g_CleanedUp = 0;

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 5"}), TakeNotes());
    EXPECT_EQ(2, deleted);
    EXPECT_EQ(1, g_CleanedUp);
    EXPECT_EQ(-1, async_load);
    ASSERT_EQ(waiting, g_pHttpRequests);
    EXPECT_EQ(nullptr, waiting->m_pNext);
    g_pHttpRequests = nullptr;
    delete waiting;
}

namespace {

// A completion that fills a real map, as the HTTP layer does, and notes what the event read.
int32_t CompleteWithRealMap(HTTP_REQ_CONTEXT*, void*, int32_t* mapId)
{
    *mapId = DS_MapCreate(2, "status", 0.0, static_cast<const char*>(nullptr), "result", 0.0, "body");
    return 62;
}

} // namespace

TEST_F(FrameTest, TheMapOfAnAsynchronousEventIsGoneAfterTheEventAndItsIndexIsReused)
{
    gamebuild::ObjectDesc web = ObjectWith("obj_web", {{7, 62, "test_note(async_load);"}});
    ASSERT_TRUE(Play(OneRoomGame({web}, {Placed(0)}))) << m_Log.Text();
    TakeNotes();
    int32_t deleted = 0;
    ASSERT_EQ(nullptr, g_pHttpRequests);
    auto* finished = new FakeRequest(&deleted);
    finished->m_State = HTTP_STATE_FINISHED;
    finished->m_pCompletion = CompleteWithRealMap;
    int32_t expected = DS_NewMap(); // the lowest free index, handed back at once
    CDS_Map_Destroy(expected);

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 " + std::to_string(expected)}), TakeNotes());
    EXPECT_EQ(nullptr, g_DSMaps.Get(expected));
    EXPECT_EQ(-1, async_load);
    int32_t next = DS_NewMap();
    EXPECT_EQ(expected, next);
    CDS_Map_Destroy(next);
}

TEST_F(FrameTest, ADepthChangeOfAnInstanceOutsideTheRoomListLeavesTheListAlone)
{
    gamebuild::ObjectDesc plain = ObjectWith("obj_plain", {});
    ASSERT_TRUE(Play(OneRoomGame({plain}, {Placed(0)}))) << m_Log.Text();
    CInstanceList& list = Run_CurrentRoom()->m_Active;
    CInstance* stray = new CInstance(0, 0, 150000, 0, false);
    g_InstanceDepthChanges.Add(stray);
    g_InstanceDepthChanges.Add(list.m_pHead);

    Run_UpdateInstanceLists();
    EXPECT_EQ(1, list.m_Count);
    EXPECT_EQ(list.m_pHead, list.m_pTail);
    EXPECT_EQ(nullptr, stray->m_pNext);
    EXPECT_EQ(0, g_InstanceDepthChanges.count);
    delete stray;
}
