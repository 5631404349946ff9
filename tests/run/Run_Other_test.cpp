// Which instance `other` names while game code runs: the instance collided with in a collision
// event (also in a script it calls), a created instance itself in its create event and creation
// code, and the instance itself in keyboard and mouse events. Each game is played with source text run as bytecode, with
// the game's code compiled into the file, and with the tree-walking executor.
#include "RunFrameTestSupport.h"

#include <algorithm>
#include <tuple>

#include "app/App_CommandLine.h"
#include "io/IO_Main.h"

using namespace frametest;

namespace {

enum class CodeForm { SourceBytecode, CompiledBytecode, SourceTree };

struct OtherCase {
    const char* name;
    std::vector<gamebuild::ObjectDesc> objects; // sprite 0 is a 16 x 16 box
    std::vector<gamebuild::RoomInstanceDesc> placed;
    std::string script; // the source of scr_report, when not empty
    std::vector<std::string> expected;
};

const std::vector<OtherCase>& OtherCases()
{
    static const std::vector<OtherCase> cases = {
        // Both solid: back at their previous places when the events run.
        {"SolidCollision",
         {ObjectWith("obj_mover",
                     {{0, 0, "hspeed = 20; tag = 3;"},
                      {4, 1, "test_note(other.x, other.y, other.tag, other.id, other.object_index, other.hspeed);"}},
                     0, true),
          ObjectWith("obj_wall",
                     {{0, 0, "tag = 7;"}, {4, 0, "test_note(other.x, other.y, other.tag, other.id, other.hspeed);"}}, 0,
                     true)},
         {Placed(0, 4, 2), Placed(1, 36, 7)},
         "",
         {"100001 36 7 7 100002 1 0", "100002 4 2 3 100001 20"}},
        {"ScriptCalledFromACollision",
         {ObjectWith("obj_mover", {{0, 0, "hspeed = 20;"}, {4, 1, "scr_report(other.x + 1);"}}, 0, true),
          ObjectWith("obj_wall", {}, 0, true)},
         {Placed(0, 0, 0), Placed(1, 32, 4)},
         "test_note(other.x, other.y, argument0); with (other) test_note(x, other.id);",
         {"100001 32 4 33", "100002 32 100001"}},
        // Space and the left button are down: keyboard and global mouse events reach every instance.
        {"InputEventsAreTheirOwnOther",
         {ObjectWith("obj_target", {{5, 32, "test_note(\"key\", other.id);"}, {9, 32, "test_note(\"press\", other.id);"},
                                    {6, 50, "test_note(\"mouse\", other.id);"}})},
         {Placed(0, 0, 0), Placed(0, 100, 100)},
         "",
         {"100001 key 100001", "100002 key 100002", "100001 press 100001", "100002 press 100002",
          "100001 mouse 100001", "100002 mouse 100002"}},
    };
    return cases;
}

template <typename Param> class OtherTestOf : public FrameTest, public testing::WithParamInterface<Param> {
  protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        m_SavedExecutor = g_UseBytecode;
        g_UseBytecode = Form() == CodeForm::SourceTree ? 0 : 1;
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        g_UseBytecode = m_SavedExecutor;
    }
    virtual CodeForm Form() const = 0;

    bool PlayIn(gamebuild::GameDesc game)
    {
        game.compiledCode = Form() == CodeForm::CompiledBytecode;
        return Play(game);
    }

    uint8_t m_SavedExecutor = 1;
};

class OtherCaseTest : public OtherTestOf<std::tuple<size_t, CodeForm>> {
  protected:
    CodeForm Form() const override { return std::get<1>(GetParam()); }
};

class OtherTest : public OtherTestOf<CodeForm> {
  protected:
    CodeForm Form() const override { return GetParam(); }
};

const char* FormName(CodeForm form)
{
    return form == CodeForm::SourceBytecode ? "SourceBytecode"
                                            : form == CodeForm::CompiledBytecode ? "CompiledBytecode" : "SourceTree";
}

const auto FORMS = testing::Values(CodeForm::SourceBytecode, CodeForm::CompiledBytecode, CodeForm::SourceTree);

} // namespace

TEST_P(OtherCaseTest, OtherNamesTheInstanceTheEventIsAbout)
{
    const OtherCase& c = OtherCases()[std::get<0>(GetParam())];
    AddSquareSprite();
    gamebuild::GameDesc game = OneRoomGame(c.objects, c.placed);
    if (!c.script.empty()) {
        game.scripts.resize(1);
        game.scripts[0].name = "scr_report";
        game.scripts[0].code.source = c.script;
    }
    ASSERT_TRUE(PlayIn(game)) << m_Log.Text();
    TakeNotes();
    IO_OnKeyDown(32, 0, false);
    IO_OnMouseDown(1, 500, 500);
    Tick();
    EXPECT_EQ(c.expected, TakeNotes()) << m_Log.Text();
}

INSTANTIATE_TEST_SUITE_P(Games, OtherCaseTest,
                         testing::Combine(testing::Range(size_t{0}, OtherCases().size()), FORMS),
                         [](const testing::TestParamInfo<std::tuple<size_t, CodeForm>>& info) {
                             return std::string(OtherCases()[std::get<0>(info.param)].name) + "_" +
                                    FormName(std::get<1>(info.param));
                         });

TEST_P(OtherTest, ACreatedInstanceIsItsOwnOtherInItsCreateEventAndCreationCode)
{
    // Created by the room and then by another instance's step: the creator is not other. The room's
    // own creation code runs for a stand-in instance with id 0.
    gamebuild::ObjectDesc spawner = ObjectWith(
        "obj_spawner", {{3, 0, "if (made == 0) { made = 1; test_create(1, 40, 50); test_note(other.id); }"}});
    gamebuild::ObjectDesc made = ObjectWith("obj_made", {{0, 0, "test_note(other.id, other.x, other.y);"}});
    gamebuild::GameDesc game =
        OneRoomGame({spawner, made}, {Placed(0), Placed(1, 5, 6, "test_note(\"code\", other.id, other.x);")});
    game.rooms[0].hasCode = true;
    game.rooms[0].code.source = "test_note(\"room\", other.id);";
    ASSERT_TRUE(PlayIn(game)) << m_Log.Text();
    std::vector<std::string> atStart = TakeNotes();
    std::sort(atStart.begin(), atStart.end());
    EXPECT_EQ((std::vector<std::string>{"0 room 0", "100002 100002 5 6", "100002 code 100002 5"}), atStart);

    Tick();
    EXPECT_EQ((std::vector<std::string>{"100003 100003 40 50", "100001 100001"}), TakeNotes()) << m_Log.Text();
}

INSTANTIATE_TEST_SUITE_P(CodeForms, OtherTest, FORMS,
                         [](const testing::TestParamInfo<CodeForm>& info) { return FormName(info.param); });
