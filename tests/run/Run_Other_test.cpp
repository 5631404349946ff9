// Which instance `other` names while game code runs: the instance collided with in a collision
// event, the caller inside a with block and in a created instance's create event, and the instance
// itself in keyboard and mouse events. Each game is played with source text run as bytecode, with
// the game's code compiled into the file, and with the tree-walking executor.
#include "RunFrameTestSupport.h"

#include <algorithm>

#include "app/App_CommandLine.h"
#include "io/IO_Main.h"
#include "variable/Variable_Names.h"

using namespace frametest;

namespace {

enum class CodeForm { SourceBytecode, CompiledBytecode, SourceTree };

class OtherTest : public FrameTest, public testing::WithParamInterface<CodeForm> {
  protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        m_SavedExecutor = g_UseBytecode;
        g_UseBytecode = GetParam() == CodeForm::SourceTree ? 0 : 1;
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        g_UseBytecode = m_SavedExecutor;
    }

    bool PlayIn(gamebuild::GameDesc game)
    {
        game.compiledCode = GetParam() == CodeForm::CompiledBytecode;
        return Play(game);
    }

    uint8_t m_SavedExecutor = 1;
};

std::string FormName(const testing::TestParamInfo<CodeForm>& info)
{
    switch (info.param) {
    case CodeForm::SourceBytecode:
        return "SourceBytecode";
    case CodeForm::CompiledBytecode:
        return "CompiledBytecode";
    case CodeForm::SourceTree:
        return "SourceTree";
    }
    return "Unknown";
}

} // namespace

TEST_P(OtherTest, ACollisionEventSeesTheInstanceCollidedWith)
{
    AddSquareSprite();
    // Both solid: they are back at their previous places when the events run, so the wall sees the
    // mover where it started.
    gamebuild::ObjectDesc mover = ObjectWith(
        "obj_mover",
        {{0, 0, "hspeed = 20; tag = 3;"},
         {4, 1, "test_note(other.x, other.y, other.tag, other.id, other.object_index, other.hspeed);"}},
        0, true);
    gamebuild::ObjectDesc wall = ObjectWith(
        "obj_wall",
        {{0, 0, "tag = 7;"}, {4, 0, "test_note(other.x, other.y, other.tag, other.id, other.hspeed);"}}, 0,
        true);
    ASSERT_TRUE(PlayIn(OneRoomGame({mover, wall}, {Placed(0, 4, 2), Placed(1, 36, 7)}))) << m_Log.Text();
    TakeNotes();

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 36 7 7 100002 1 0", "100002 4 2 3 100001 20"}), TakeNotes())
        << m_Log.Text();
}

TEST_P(OtherTest, EachSideOfANonSolidCollisionSeesTheOtherWhereMotionPutIt)
{
    AddSquareSprite();
    // The mover writes the wall's variables, in plain and compound assignments and a test.
    gamebuild::ObjectDesc mover = ObjectWith("obj_mover",
                                             {{0, 0, "hspeed = 20; hits = 5;"},
                                              {4, 1,
                                               "test_note(other.x, other.id); other.seen = x; "
                                               "other.hits += 1; if (other.hits > 0) other.hits *= 10;"}},
                                             0);
    gamebuild::ObjectDesc wall =
        ObjectWith("obj_wall",
                   {{0, 0, "hits = 0;"}, {4, 0, "test_note(other.x, other.id, seen, hits, other.hits);"}}, 0);
    ASSERT_TRUE(PlayIn(OneRoomGame({mover, wall}, {Placed(0, 0, 0), Placed(1, 32, 0)}))) << m_Log.Text();
    TakeNotes();

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 32 100002", "100002 20 100001 20 10 5"}), TakeNotes())
        << m_Log.Text();
}

TEST_P(OtherTest, InheritedCollisionHandlersSeeTheInstanceCollidedWith)
{
    AddSquareSprite();
    // The mover's handler sits in its parent and names the wall's parent.
    gamebuild::ObjectDesc moverParent =
        ObjectWith("obj_mover_parent", {{4, 1, "test_note(other.x, other.object_index, other.tag);"}});
    gamebuild::ObjectDesc wallParent = ObjectWith("obj_wall_parent", {});
    gamebuild::ObjectDesc mover = ObjectWith("obj_mover", {{0, 0, "hspeed = 20;"}}, 0);
    mover.parent = 0;
    gamebuild::ObjectDesc wall = ObjectWith("obj_wall", {{0, 0, "tag = 9;"}}, 0);
    wall.parent = 1;
    ASSERT_TRUE(
        PlayIn(OneRoomGame({moverParent, wallParent, mover, wall}, {Placed(2, 0, 0), Placed(3, 32, 0)})))
        << m_Log.Text();
    TakeNotes();

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 32 3 9"}), TakeNotes()) << m_Log.Text();
}

TEST_P(OtherTest, AScriptCalledFromACollisionEventSeesTheSameOther)
{
    AddSquareSprite();
    gamebuild::GameDesc game;
    gamebuild::ScriptDesc script;
    script.name = "scr_report";
    script.code.source = "test_note(other.x, other.y, argument0); with (other) test_note(x, other.id);";
    game.scripts = {script};
    gamebuild::ObjectDesc mover =
        ObjectWith("obj_mover", {{0, 0, "hspeed = 20;"}, {4, 1, "scr_report(other.x + 1);"}}, 0, true);
    gamebuild::ObjectDesc wall = ObjectWith("obj_wall", {}, 0, true);
    game.objects = {mover, wall};
    game.rooms = {Room("room_first", {Placed(0, 0, 0), Placed(1, 32, 4)})};
    game.header.roomOrder = {0};
    ASSERT_TRUE(PlayIn(game)) << m_Log.Text();
    TakeNotes();

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 32 4 33", "100002 32 100001"}), TakeNotes()) << m_Log.Text();
}

TEST_P(OtherTest, AWithBlockMakesTheCallerOtherAndRestoresBothAfterIt)
{
    // Three members: the interpreter runs the block from the last back to the first, the tree
    // executor in list order. The break leaves the second block after one run; after each block
    // self and other are the event's own again.
    gamebuild::ObjectDesc caller =
        ObjectWith("obj_caller",
                   {{0, 0, "tag = 77;"},
                    {3, 0,
                     "with (obj_member) { test_note(other.id, other.tag); with (other) test_note(other.id); }"
                     "with (obj_member) { tag = other.id; break; }"
                     "test_note(other.id);"
                     "with (other) test_note(other.id);"}});
    gamebuild::ObjectDesc member = ObjectWith("obj_member", {{0, 0, "tag = 0;"}});
    ASSERT_TRUE(PlayIn(OneRoomGame({caller, member}, {Placed(0), Placed(1), Placed(1), Placed(1)})))
        << m_Log.Text();
    TakeNotes();

    Tick();
    std::vector<int32_t> order = {100004, 100003, 100002};
    if (GetParam() == CodeForm::SourceTree) order = {100002, 100003, 100004};
    std::vector<std::string> expected;
    for (int32_t member : order) {
        expected.push_back(std::to_string(member) + " 100001 77");
        expected.push_back("100001 " + std::to_string(member));
    }
    expected.insert(expected.end(), {"100001 100001", "100001 100001"});
    EXPECT_EQ(expected, TakeNotes()) << m_Log.Text();
    int32_t tag = Code_Variable_Find("tag");
    for (int32_t member : order) {
        ScriptValue stored = {VALUE_REAL, 0, -1.0};
        ASSERT_TRUE(Variable_GetValue(member, tag, -1, &stored));
        EXPECT_EQ(member == order.front() ? 100001.0 : 0.0, stored.real) << member;
    }
}

TEST_P(OtherTest, ACreatedInstanceIsItsOwnOtherInItsCreateEventAndCreationCode)
{
    // Created by the room and then by a step event of another instance: the creator is not other.
    // The room's own creation code runs for a stand-in instance with id 0.
    gamebuild::ObjectDesc spawner = ObjectWith(
        "obj_spawner", {{3, 0, "if (made == 0) { made = 1; test_create(1, 40, 50); test_note(other.id); }"}});
    gamebuild::ObjectDesc made = ObjectWith("obj_made", {{0, 0, "test_note(other.id, other.x, other.y);"}});
    gamebuild::GameDesc game =
        OneRoomGame({spawner, made}, {Placed(0), Placed(1, 5, 6, "test_note(\"code\", other.id, other.x);")});
    game.rooms[0].hasCode = true;
    game.rooms[0].code.source = "test_note(\"room\", other.id);";
    ASSERT_TRUE(PlayIn(game)) << m_Log.Text();
    std::vector<std::string> atStart = TakeNotes();
    EXPECT_NE(atStart.end(), std::find(atStart.begin(), atStart.end(), "100002 100002 5 6")) << m_Log.Text();
    EXPECT_NE(atStart.end(), std::find(atStart.begin(), atStart.end(), "100002 code 100002 5"));
    EXPECT_NE(atStart.end(), std::find(atStart.begin(), atStart.end(), "0 room 0"));
    EXPECT_EQ(3u, atStart.size());

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100003 100003 40 50", "100001 100001"}), TakeNotes())
        << m_Log.Text();
}

TEST_P(OtherTest, KeyboardAndMouseEventsAreTheirOwnOther)
{
    constexpr int32_t KEY_SPACE = 32;
    gamebuild::ObjectDesc target =
        ObjectWith("obj_target", {{5, KEY_SPACE, "test_note(\"key\", other.id);"},
                                  {9, KEY_SPACE, "test_note(\"press\", other.id);"},
                                  {6, 50, "test_note(\"global mouse\", other.id);"}});
    // The global mouse events reach every instance wherever the mouse is.
    ASSERT_TRUE(PlayIn(OneRoomGame({target}, {Placed(0, 0, 0), Placed(0, 100, 100)}))) << m_Log.Text();
    TakeNotes();

    IO_OnKeyDown(KEY_SPACE, 0, false);
    IO_OnMouseDown(1, 0, 0);
    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 key 100001", "100002 key 100002", "100001 press 100001",
                                        "100002 press 100002", "100001 global mouse 100001",
                                        "100002 global mouse 100002"}),
              TakeNotes())
        << m_Log.Text();
}

TEST_P(OtherTest, TwoInstancesOfOneObjectSeeEachOtherAndNeverThemselves)
{
    AddSquareSprite();
    gamebuild::ObjectDesc ball = ObjectWith("obj_ball", {{4, 0, "test_note(other.id, other.x);"}}, 0);
    ASSERT_TRUE(PlayIn(OneRoomGame({ball}, {Placed(0, 0, 0), Placed(0, 8, 0)}))) << m_Log.Text();
    TakeNotes();

    Tick();
    // The pair (ball, ball) meets each instance of the list against each other one.
    EXPECT_EQ((std::vector<std::string>{"100001 100002 8", "100002 100001 0", "100002 100001 0",
                                        "100001 100002 8"}),
              TakeNotes())
        << m_Log.Text();
}

INSTANTIATE_TEST_SUITE_P(CodeForms, OtherTest,
                         testing::Values(CodeForm::SourceBytecode, CodeForm::CompiledBytecode,
                                         CodeForm::SourceTree),
                         FormName);
