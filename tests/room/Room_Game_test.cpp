// A builder-made game played through the main loop that moves to a room that does not exist.
// Persistent rooms and instances are played end to end (persistent-depth, saved-games).
#include "RoomTestSupport.h"

#include "code/Code_Constants.h"
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

namespace {

// A restart keeps the global variables and the globalvar declarations: the game starts again from
// its first room with the values the scripts left, and a name declared globalvar still reads the
// global list, never the instance's own variable (the code is not compiled again, and compiling is
// what declared it).
TEST_F(PlayedGameTest, ARestartKeepsGlobalVariablesAndGlobalvarNames)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc counter = Object("obj_counter");
    counter.events = {Event(CREATE, 0, "globalvar gv; gv += 1; global.total += 10; test_note(gv, global.total, self.gv);")};
    game.objects = {counter};
    game.rooms = {Room("room_only", {Placed(0)})};
    game.header.roomOrder = {0};
    if (Constant_Find("global") == nullptr) Constant_Init();
    ASSERT_TRUE(Play(game));
    EXPECT_EQ(Lines{"100001 1 10 0"}, TakeNotes());
    for (const char* expected : {"100001 2 20 0", "100001 3 30 0"}) {
        g_RunRequest = RUN_REQUEST_RESTART;
        Tick();
        EXPECT_EQ(Lines{expected}, TakeNotes());
    }
}

} // namespace
