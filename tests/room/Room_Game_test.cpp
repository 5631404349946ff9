// Builder-made games played through the main loop: room changes, persistent rooms and instances,
// restarts, and a move to a room that does not exist.
#include "RoomTestSupport.h"

#include "instance/Instance_List.h"
#include "object/Object_Class.h"

using namespace roomtest;

namespace {

constexpr int32_t CREATE = 0;
constexpr int32_t OTHER = 7;

using Lines = std::vector<std::string>;

// Objects whose create, game start, room start, room end and game end events note themselves.
gamebuild::ObjectDesc NotingObject(const std::string& name, int32_t depth)
{
    gamebuild::ObjectDesc object = Object(name, depth);
    object.events = {Event(CREATE, 0, "test_note(\"create\");"), Event(OTHER, 2, "test_note(\"game start\");"),
                     Event(OTHER, 4, "test_note(\"room start\");"), Event(OTHER, 5, "test_note(\"room end\");"),
                     Event(OTHER, 3, "test_note(\"game end\");")};
    return object;
}

gamebuild::RoomDesc WithCode(gamebuild::RoomDesc room, const std::string& code)
{
    room.hasCode = true;
    room.code.source = code;
    return room;
}

// Room 0 counts its room starts in an instance variable, and holds an instance that destroys itself
// at room end; room 1 is not persistent.
gamebuild::GameDesc TwoRooms(bool firstPersistent)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc counter = Object("obj_counter");
    counter.events = {Event(CREATE, 0, "n = 0; test_note(\"create\");"),
                      Event(OTHER, 4, "n += 1; test_note(\"room start\", n);")};
    gamebuild::ObjectDesc doomed = Object("obj_doomed");
    doomed.events = {Event(CREATE, 0, "test_note(\"doomed create\");"), Event(OTHER, 5, "test_mark();")};
    game.objects = {counter, doomed};
    gamebuild::RoomDesc first = WithCode(Room("room_keep", {Placed(0), Placed(1)}), "test_note(\"room code\");");
    first.persistent = firstPersistent;
    game.rooms = {first, Room("room_other", {Placed(0)})};
    game.header.roomOrder = {0, 1};
    return game;
}

TEST_F(PlayedGameTest, APersistentRoomKeepsItsStateAndRunsOnlyRoomStartWhenEnteredAgain)
{
    const Lines start = {"100002 doomed create", "100001 create", "0 room code", "100001 room start 1"};
    for (bool persistent : {true, false}) {
        SCOPED_TRACE(persistent ? "persistent" : "not persistent");
        ASSERT_TRUE(Play(TwoRooms(persistent)));
        EXPECT_EQ(start, TakeNotes());
        CRoom* kept = Run_CurrentRoom();
        g_RunRequest = 1;
        Tick();
        EXPECT_EQ(persistent ? kept : nullptr, Run_RoomState(0)); // left, but kept
        EXPECT_EQ(nullptr, Instance_FindById(100001)) << "a left room's instances are not found by id";
        EXPECT_EQ(1, Object_Data(0)->m_Instances.count) << "only room 1's counter";
        EXPECT_EQ((Lines{"100003 create", "100003 room start 1"}), TakeNotes());
        g_RunRequest = 0;
        Tick();
        if (!persistent) {
            // Made again from the definition: create events and creation code, the file's ids.
            EXPECT_EQ(start, TakeNotes());
            EXPECT_EQ(2, Object_Data(0)->m_Instances.count + Object_Data(1)->m_Instances.count);
            break;
        }
        // No create event and no creation code: only room start, with the variable kept; the
        // instance that destroyed itself at room end stays destroyed.
        EXPECT_EQ(kept, Run_CurrentRoom());
        EXPECT_EQ((Lines{"100001 room start 2"}), TakeNotes());
        EXPECT_EQ(std::vector<int32_t>{100001}, ListIds(kept->m_Active));
        EXPECT_EQ(std::make_pair(1, 0), std::make_pair(Object_Data(0)->m_Instances.count, Object_Data(1)->m_Instances.count));
        EXPECT_EQ(nullptr, Run_RoomState(1)) << "room 1 is not persistent";
        TearDown();
        SetUp();
    }
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
    EXPECT_EQ((Lines{"100001 player code", "100001 player create", "100002 wall create", "100002 wall game start",
                     "100001 player room start 6"}),
              TakeNotes());
    g_RunRequest = 1;
    Tick();
    // The player takes its carried state and skips its create event; the walls of equal depth are
    // created from the last placed.
    EXPECT_EQ((Lines{"100004 wall create", "100003 wall create", "100001 player room start 7"}), TakeNotes());
    CInstance* player = Instance_FindById(100001);
    ASSERT_NE(nullptr, player);
    EXPECT_EQ(std::make_pair(10.0f, 20.0f), std::make_pair(player->i_x, player->i_y));
    EXPECT_EQ(0, player->m_CarriedMark) << "spent on the create event it suppressed";
    ASSERT_EQ(1, g_InstanceDepthChanges.count) << "sorted to its own depth at the next list update";
    EXPECT_EQ(player, g_InstanceDepthChanges.items[0]);
    g_InstanceDepthChanges.Clear();

    // Room 2 places an instance with the player's id: that instance takes the carried state.
    g_RunRequest = 2;
    Tick();
    EXPECT_EQ((Lines{"100001 player room start 8"}), TakeNotes());
    player = Instance_FindById(100001);
    ASSERT_NE(nullptr, player);
    EXPECT_EQ(10.0f, player->i_x) << "the carried position, not the placed one";
    EXPECT_EQ(0, Run_CarriedCount());

    // A restart runs game end in the old room, then game start and room start in the first room,
    // whose placed player takes the carried state (hp 8 + 1); room end has no handler here.
    size_t traced = Trace().size();
    g_RunRequest = RUN_REQUEST_RESTART;
    Tick();
    EXPECT_EQ((Lines{"100001 player game end", "100002 wall create", "100002 wall game start",
                     "100001 player room start 9"}),
              TakeNotes());
    EXPECT_EQ(0, g_CurrentRoomIndex);
    Lines trace = Trace();
    EXPECT_EQ((Lines{"100001 obj_player 7 3", "100002 obj_wall 0 0", "100002 obj_wall 7 2", "100001 obj_player 7 4"}),
              Lines(trace.begin() + static_cast<std::ptrdiff_t>(traced), trace.end()));
}

TEST_F(PlayedGameTest, ARoomChangeAskedForDuringRoomStartStopsTheEventsButNotTheCreationCode)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc leaver = Object("obj_leaver", 10);
    leaver.events = {Event(CREATE, 0, "test_note(\"leaver create\"); test_goto(1);")};
    game.objects = {leaver, NotingObject("obj_stayer", 0)};
    game.rooms = {WithCode(Room("room_a", {Placed(1, 0, 0, "test_note(\"code\");"), Placed(0)}), "test_note(\"room code\");"),
                  Room("room_b", {Placed(1)})};
    game.header.roomOrder = {0, 1};
    game.options.words[34] = 1;
    ASSERT_TRUE(Play(game));
    EXPECT_EQ((Lines{"100002 leaver create", "100001 code", "0 room code"}), TakeNotes());
    int32_t frames = g_RoomFrameCounter;
    Tick();
    EXPECT_EQ(frames, g_RoomFrameCounter) << "the frame stops after its begin step; the room changes at its end";
    EXPECT_EQ(1, g_CurrentRoomIndex);
    EXPECT_EQ((Lines{"100001 room end", "100003 create", "100003 room start"}), TakeNotes());
}

// A room change to a room that does not exist ends the game after the room end; no frame follows.
TEST_F(PlayedGameTest, AMoveToAMissingRoomEndsTheGame)
{
    gamebuild::GameDesc game;
    game.objects = {NotingObject("obj", 0)};
    game.rooms = {Room("room_only", {Placed(0)})};
    game.header.roomOrder = {0};
    ASSERT_TRUE(Play(game));
    TakeNotes();
    g_RunRequest = 7;
    Tick();
    EXPECT_TRUE(m_Log.Has("Unexisting room number: 7")) << m_Log.Text();
    int32_t frames = g_RoomFrameCounter;
    Tick();
    EXPECT_EQ(0, g_RunState);
    EXPECT_EQ(frames, g_RoomFrameCounter) << "no frame without a current room";
    EXPECT_EQ(Lines{"100001 room end"}, TakeNotes());
}

} // namespace
