// Builder-made games played through the main loop: the order of events when a room starts, room
// changes, persistent rooms and instances, restarts, and games that have no room to start in.
#include "RoomTestSupport.h"

#include "app/App_CommandLine.h"
#include "instance/Instance_List.h"
#include "object/Object_Class.h"

using namespace roomtest;

namespace {

constexpr int32_t CREATE = 0;
constexpr int32_t OTHER = 7;

// Objects whose create, game start, room start, room end and game end events note themselves.
gamebuild::ObjectDesc NotingObject(const std::string& name, int32_t depth, bool persistent = false)
{
    gamebuild::ObjectDesc object = Object(name, depth, persistent);
    object.events = {Event(CREATE, 0, "test_note(\"create\");"), Event(OTHER, 2, "test_note(\"game start\");"),
                     Event(OTHER, 4, "test_note(\"room start\");"), Event(OTHER, 5, "test_note(\"room end\");"),
                     Event(OTHER, 3, "test_note(\"game end\");")};
    return object;
}

struct StartCase {
    bool eventFirst;
    bool compiled;
};

class RoomStartOrder : public PlayedGameTest, public testing::WithParamInterface<StartCase> {};

// Three placed instances: two of depth 0 and one of depth 10 between them. The room is entered from
// its greatest depth down, equal depths from the last placed.
TEST_P(RoomStartOrder, CreateEventsAndCreationCodeThenGameStartRoomCodeAndRoomStart)
{
    gamebuild::GameDesc game;
    game.compiledCode = GetParam().compiled;
    game.options.words[34] = GetParam().eventFirst ? 1 : 0;
    game.objects = {NotingObject("obj_a", 0), NotingObject("obj_b", 10)};
    gamebuild::RoomDesc room = Room("room_first", {Placed(0, 0, 0, "test_note(\"code\");"), Placed(1, 0, 0, "test_note(\"code\");"),
                                                   Placed(0, 0, 0, "test_note(\"code\");")});
    room.hasCode = true;
    room.code.source = "test_note(\"room code\");";
    game.rooms = {room};
    game.header.roomOrder = {0};
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    ASSERT_TRUE(m_Prepared);

    const char* first = GetParam().eventFirst ? "create" : "code";
    const char* second = GetParam().eventFirst ? "code" : "create";
    std::vector<std::string> expected;
    for (const char* id : {"100002", "100003", "100001"}) {
        expected.push_back(std::string(id) + " " + first);
        expected.push_back(std::string(id) + " " + second);
    }
    for (const char* id : {"100001", "100003", "100002"}) expected.push_back(std::string(id) + " game start");
    expected.push_back("0 room code"); // run for a scratch instance of id 0
    for (const char* id : {"100001", "100003", "100002"}) expected.push_back(std::string(id) + " room start");
    EXPECT_EQ(expected, TakeNotes());

    std::vector<std::string> trace = Trace();
    ASSERT_EQ(9u, trace.size());
    EXPECT_EQ("100002 obj_b 0 0", trace[0]);
    EXPECT_EQ("100001 obj_a 0 0", trace[2]);
    EXPECT_EQ("100001 obj_a 7 2", trace[3]);
    EXPECT_EQ("100002 obj_b 7 4", trace[8]);
    for (CInstance* instance = Room_CurrentActiveList()->m_pHead; instance != nullptr; instance = instance->m_pNext)
        EXPECT_EQ(1, instance->m_CreatedMark);

    // Frames run no more room events; the end of the game runs room end, then game end.
    Tick(3);
    EXPECT_TRUE(TakeNotes().empty());
    Run_EndGame();
    EXPECT_EQ((std::vector<std::string>{"100001 room end", "100003 room end", "100002 room end", "100001 game end",
                                         "100003 game end", "100002 game end"}),
              TakeNotes());
    EXPECT_EQ(nullptr, Run_CurrentRoom());
    Run_EndGame(); // a second end finds no room
    EXPECT_TRUE(TakeNotes().empty());
}

INSTANTIATE_TEST_SUITE_P(Options, RoomStartOrder,
                         testing::Values(StartCase{true, false}, StartCase{false, false}, StartCase{true, true},
                                         StartCase{false, true}),
                         [](const testing::TestParamInfo<StartCase>& info) {
                             return std::string(info.param.eventFirst ? "CreateEventFirst" : "CodeFirst") +
                                    (info.param.compiled ? "Compiled" : "Source");
                         });

// Room 0 is persistent and counts its room starts in an instance variable; room 1 is not.
gamebuild::GameDesc TwoRooms(bool firstPersistent)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc counter = Object("obj_counter");
    counter.events = {Event(CREATE, 0, "n = 0; test_note(\"create\");"),
                      Event(OTHER, 4, "n += 1; test_note(\"room start\", n);")};
    gamebuild::ObjectDesc doomed = Object("obj_doomed");
    doomed.events = {Event(CREATE, 0, "test_note(\"doomed create\");"), Event(OTHER, 5, "test_mark();")};
    game.objects = {counter, doomed};
    gamebuild::RoomDesc first = Room("room_keep", {Placed(0), Placed(1)});
    first.persistent = firstPersistent;
    first.hasCode = true;
    first.code.source = "test_note(\"room code\");";
    game.rooms = {first, Room("room_other", {Placed(0)})};
    game.header.roomOrder = {0, 1};
    return game;
}

TEST_F(PlayedGameTest, APersistentRoomKeepsItsStateAndRunsOnlyRoomStartWhenEnteredAgain)
{
    ASSERT_TRUE(Play(TwoRooms(true)));
    EXPECT_EQ((std::vector<std::string>{"100002 doomed create", "100001 create", "0 room code", "100001 room start 1"}),
              TakeNotes());
    CRoom* kept = Run_CurrentRoom();

    g_RunRequest = 1;
    Tick();
    EXPECT_EQ(1, g_CurrentRoomIndex);
    EXPECT_EQ(kept, Run_RoomState(0)); // left, but kept
    EXPECT_EQ(nullptr, Instance_FindById(100001)) << "a left room's instances are not found by id";
    EXPECT_EQ(1, Object_Data(0)->m_Instances.count) << "only room 1's counter";
    EXPECT_EQ((std::vector<std::string>{"100003 create", "100003 room start 1"}), TakeNotes());

    g_RunRequest = 0;
    Tick();
    EXPECT_EQ(kept, Run_CurrentRoom());
    // No create event and no room creation code: only room start, with the variable kept. The
    // instance that destroyed itself at room end stays destroyed.
    EXPECT_EQ((std::vector<std::string>{"100001 room start 2"}), TakeNotes());
    EXPECT_EQ(1, kept->m_Active.m_Count);
    EXPECT_EQ(kept->m_Active.m_pHead, Instance_FindById(100001));
    EXPECT_EQ(nullptr, Instance_FindById(100002));
    EXPECT_EQ(1, Object_Data(0)->m_Instances.count);
    EXPECT_EQ(0, Object_Data(1)->m_Instances.count);
    EXPECT_EQ(nullptr, Run_RoomState(1)) << "room 1 is not persistent";
}

TEST_F(PlayedGameTest, ANonPersistentRoomIsMadeAgainFromItsDefinition)
{
    ASSERT_TRUE(Play(TwoRooms(false)));
    TakeNotes();
    g_RunRequest = 1;
    Tick();
    EXPECT_EQ(nullptr, Run_RoomState(0));
    TakeNotes();
    g_RunRequest = 0;
    Tick();
    // Create events and creation code again; the placed instances take their ids from the file.
    EXPECT_EQ((std::vector<std::string>{"100002 doomed create", "100001 create", "0 room code", "100001 room start 1"}),
              TakeNotes());
    EXPECT_EQ(2, Object_Data(0)->m_Instances.count + Object_Data(1)->m_Instances.count);
}

// A persistent player placed in room 0 (id 100001), a room 1 without it, and a room 2 that places
// an instance with the player's id.
gamebuild::GameDesc PersistentPlayer()
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc player = Object("obj_player", 5, true);
    player.events = {Event(CREATE, 0, "hp = 5; test_note(\"player create\");"),
                     Event(OTHER, 4, "hp += 1; test_note(\"player room start\", hp);"),
                     Event(OTHER, 3, "test_note(\"player game end\");")};
    gamebuild::ObjectDesc wall = Object("obj_wall", 1);
    wall.events = {Event(CREATE, 0, "test_note(\"wall create\");"), Event(OTHER, 2, "test_note(\"wall game start\");")};
    game.objects = {player, wall};
    gamebuild::RoomInstanceDesc samePlayer = Placed(0, 50, 60, "test_note(\"player code\");");
    samePlayer.id = 100001;
    game.rooms = {Room("room_a", {Placed(0, 10, 20, "test_note(\"player code\");"), Placed(1)}),
                  Room("room_b", {Placed(1), Placed(1)}), Room("room_c", {samePlayer})};
    game.header.roomOrder = {0, 1, 2};
    return game;
}

TEST_F(PlayedGameTest, APersistentInstanceKeepsItsIdAndStateAndGetsNoSecondCreateEvent)
{
    ASSERT_TRUE(Play(PersistentPlayer()));
    EXPECT_EQ((std::vector<std::string>{"100001 player code", "100001 player create", "100002 wall create",
                                        "100002 wall game start", "100001 player room start 6"}),
              TakeNotes());

    g_RunRequest = 1;
    Tick();
    // The player takes its carried state and skips its create event; the walls of equal depth are
    // created from the last placed.
    EXPECT_EQ((std::vector<std::string>{"100004 wall create", "100003 wall create", "100001 player room start 7"}),
              TakeNotes());
    CInstance* player = Instance_FindById(100001);
    ASSERT_NE(nullptr, player);
    EXPECT_EQ(10.0f, player->i_x);
    EXPECT_EQ(20.0f, player->i_y);
    EXPECT_EQ(0, player->m_CarriedMark) << "spent on the create event it suppressed";
    EXPECT_EQ(1, g_InstanceDepthChanges.count) << "sorted to its own depth at the next list update";
    EXPECT_EQ(player, g_InstanceDepthChanges.items[0]);
    EXPECT_EQ(1, Object_Data(0)->m_Instances.count);
    EXPECT_EQ(3, Run_CurrentRoom()->m_Active.m_Count);
    g_InstanceDepthChanges.Clear();

    // Room 2 places an instance with the player's id: that instance takes the carried state.
    g_RunRequest = 2;
    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 player room start 8"}), TakeNotes());
    player = Instance_FindById(100001);
    ASSERT_NE(nullptr, player);
    EXPECT_EQ(10.0f, player->i_x) << "the carried position, not the placed one";
    EXPECT_EQ(1, Run_CurrentRoom()->m_Active.m_Count);
    EXPECT_EQ(0, g_InstanceDepthChanges.count);
    EXPECT_EQ(0, Run_CarriedCount());
}

TEST_F(PlayedGameTest, RestartEndsTheRoomAndTheGameThenStartsTheFirstRoomWithThePersistentInstance)
{
    ASSERT_TRUE(Play(PersistentPlayer()));
    g_RunRequest = 1;
    Tick();
    TakeNotes();
    std::vector<std::string> before = Trace();

    g_RunRequest = RUN_REQUEST_RESTART;
    Tick();
    // Room end has no handler here; game end runs in the old room, then game start and room start
    // in the first room, whose placed player takes the carried state (hp 7 + 1).
    EXPECT_EQ((std::vector<std::string>{"100001 player game end", "100002 wall create", "100002 wall game start",
                                        "100001 player room start 8"}),
              TakeNotes());
    EXPECT_EQ(0, g_CurrentRoomIndex);
    std::vector<std::string> trace = Trace();
    std::vector<std::string> after(trace.begin() + static_cast<std::ptrdiff_t>(before.size()), trace.end());
    EXPECT_EQ((std::vector<std::string>{"100001 obj_player 7 3", "100002 obj_wall 0 0", "100002 obj_wall 7 2",
                                        "100001 obj_player 7 4"}),
              after);
    EXPECT_EQ(0, g_Score);
    EXPECT_EQ(-1, g_Lives);
}

TEST_F(PlayedGameTest, TheRoomOrderIsFollowedByTheRunRequests)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc marker = Object("obj_marker");
    marker.events = {Event(OTHER, 4, "test_note(\"in\", which);")};
    game.objects = {marker};
    auto room = [](const std::string& name, int32_t which) {
        return Room(name, {Placed(0, 0, 0, "which = " + std::to_string(which) + ";")});
    };
    game.rooms = {room("room_zero", 0), room("room_one", 1), room("room_two", 2), room("room_extra", 3)};
    game.header.roomOrder = {2, 0, 1};
    ASSERT_TRUE(Play(game));
    EXPECT_EQ(2, g_CurrentRoomIndex);
    EXPECT_EQ(2, Room_First());
    EXPECT_EQ(1, Room_Last());
    EXPECT_EQ(-1, Room_Previous(g_CurrentRoomIndex));

    std::vector<int32_t> visited = {g_CurrentRoomIndex};
    while (Room_Next(g_CurrentRoomIndex) >= 0) {
        g_RunRequest = Room_Next(g_CurrentRoomIndex);
        Tick();
        visited.push_back(g_CurrentRoomIndex);
    }
    EXPECT_EQ((std::vector<int32_t>{2, 0, 1}), visited);
    g_RunRequest = Room_Previous(g_CurrentRoomIndex);
    Tick();
    EXPECT_EQ(0, g_CurrentRoomIndex);
    // A room out of the order is reached by its index.
    g_RunRequest = Room_Find("room_extra");
    Tick();
    EXPECT_EQ(3, g_CurrentRoomIndex);
    EXPECT_EQ(-1, Room_Next(3));
    EXPECT_EQ((std::vector<std::string>{"100003 in 2", "100001 in 0", "100002 in 1", "100001 in 0", "100004 in 3"}),
              TakeNotes());
    EXPECT_EQ(1, g_RunState);
}

TEST_F(PlayedGameTest, ARoomChangeAskedForDuringRoomStartStopsTheEventsButNotTheCreationCode)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc leaver = Object("obj_leaver", 10);
    leaver.events = {Event(CREATE, 0, "test_note(\"leaver create\"); test_goto(1);")};
    gamebuild::ObjectDesc stayer = NotingObject("obj_stayer", 0);
    game.objects = {leaver, stayer};
    gamebuild::RoomDesc first = Room("room_a", {Placed(1, 0, 0, "test_note(\"code\");"), Placed(0)});
    first.hasCode = true;
    first.code.source = "test_note(\"room code\");";
    game.rooms = {first, Room("room_b", {Placed(1)})};
    game.header.roomOrder = {0, 1};
    game.options.words[34] = 1;
    ASSERT_TRUE(Play(game));
    EXPECT_EQ((std::vector<std::string>{"100002 leaver create", "100001 code", "0 room code"}), TakeNotes());
    EXPECT_EQ(1, g_RunRequest);
    EXPECT_EQ(0, g_CurrentRoomIndex);

    int32_t frames = g_RoomFrameCounter;
    Tick();
    EXPECT_EQ(frames, g_RoomFrameCounter) << "the frame stops after its begin step; the room changes at its end";
    EXPECT_EQ(1, g_CurrentRoomIndex);
    EXPECT_EQ((std::vector<std::string>{"100001 room end", "100003 create", "100003 room start"}), TakeNotes());
}

class GameWithoutRoom : public PlayedGameTest {
protected:
    void ExpectEndedCleanly(const char* message)
    {
        EXPECT_TRUE(m_Log.Has(message)) << m_Log.Text();
        EXPECT_FALSE(m_Log.Has("StartGame() - DONE"));
        EXPECT_EQ(RUN_REQUEST_END, g_RunRequest);
        EXPECT_EQ(nullptr, Run_CurrentRoom());
        int32_t frames = g_RoomFrameCounter;
        Tick();
        EXPECT_EQ(0, g_RunState);
        EXPECT_EQ(frames, g_RoomFrameCounter) << "no frame without a current room";
        EXPECT_TRUE(Trace().empty());
        EXPECT_TRUE(TakeNotes().empty());
        Run_EndGame();
    }
};

TEST_F(GameWithoutRoom, AnEmptyRoomOrderEndsTheGameWithAMessage)
{
    gamebuild::GameDesc game;
    game.objects = {NotingObject("obj", 0)};
    game.rooms = {Room("room_unplayed", {Placed(0)})};
    ASSERT_TRUE(Play(game));
    ExpectEndedCleanly("The game has no room to start in.");
}

TEST_F(GameWithoutRoom, AMissingFirstRoomEndsTheGameWithAMessage)
{
    gamebuild::GameDesc game;
    game.objects = {NotingObject("obj", 0)};
    gamebuild::RoomDesc hole;
    hole.present = false;
    game.rooms = {hole, Room("room_later", {Placed(0)})};
    game.header.roomOrder = {0, 1};
    ASSERT_TRUE(Play(game));
    ExpectEndedCleanly("The game's first room (room 0) does not exist.");
}

TEST_F(GameWithoutRoom, ARoomChangeToARoomThatDoesNotExistEndsTheGame)
{
    gamebuild::GameDesc game;
    game.objects = {NotingObject("obj", 0)};
    game.rooms = {Room("room_only", {Placed(0)})};
    game.header.roomOrder = {0};
    ASSERT_TRUE(Play(game));
    TakeNotes();
    size_t traced = Trace().size();
    g_RunRequest = 7;
    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 room end"}), TakeNotes());
    EXPECT_TRUE(m_Log.Has("Unexisting room number: 7"));
    EXPECT_EQ(nullptr, Run_CurrentRoom());
    int32_t frames = g_RoomFrameCounter;
    Tick();
    EXPECT_EQ(0, g_RunState);
    EXPECT_EQ(frames, g_RoomFrameCounter);
    EXPECT_EQ(traced + 1, Trace().size());
}

// Creation code that failed to compile is reported while the game is prepared and never runs, with
// either executor.
class FailedCreationCode : public PlayedGameTest, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        PlayedGameTest::SetUp();
        m_Executor = g_UseBytecode;
        g_UseBytecode = GetParam() ? 1 : 0;
    }
    void TearDown() override
    {
        PlayedGameTest::TearDown();
        g_UseBytecode = m_Executor;
    }
    uint8_t m_Executor = 1;
};

TEST_P(FailedCreationCode, IsNeverRun)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc object = Object("obj");
    object.events = {Event(CREATE, 0, "test_note(\"create\");")};
    game.objects = {object};
    // Room 0: the first instance's code does not compile, so the second's is never compiled either;
    // room 1 compiles and is the last, so preparation answers true.
    game.rooms = {Room("room_bad", {Placed(0, 0, 0, "test_note(\"bad\""), Placed(0, 0, 0, "test_note(\"skipped\");")}),
                  Room("room_good", {Placed(0, 0, 0, "test_note(\"good\");")})};
    game.header.roomOrder = {0, 1};
    ASSERT_TRUE(Play(game));
    EXPECT_TRUE(m_Prepared);
    EXPECT_EQ(1u, m_Log.Count("ERROR!!! :: COMPILATION ERROR in room script\n"));
    std::vector<std::string> inFirstRoom = TakeNotes();
    g_RunRequest = 1;
    Tick();
    EXPECT_EQ(1, g_CurrentRoomIndex);
    // Run, code that never compiled would be reported as such by either executor.
    EXPECT_EQ(0u, m_Log.Count("non-compiled")) << m_Log.Text();
    if (GetParam()) {
        EXPECT_EQ((std::vector<std::string>{"100002 create", "100001 create"}), inFirstRoom);
        EXPECT_EQ((std::vector<std::string>{"100003 good", "100003 create"}), TakeNotes());
    }
}

INSTANTIATE_TEST_SUITE_P(Executors, FailedCreationCode, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Bytecode" : "Tree"; });

} // namespace
