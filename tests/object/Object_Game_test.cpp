// A builder-made game loaded in both code forms: its objects' events, with parents and scripts,
// performed on instances.
#include <gtest/gtest.h>

#include "ObjectLoadSupport.h"
#include "script/Script_Table.h"

using namespace objecttest;

namespace {

gamebuild::GameDesc SmallWorld(bool compiled)
{
    gamebuild::GameDesc game;
    game.compiledCode = compiled;
    gamebuild::ScriptDesc report;
    report.name = "scr_report";
    report.code.source = "test_record(); return test_arg(0) * 2;";
    game.scripts = {report};

    gamebuild::ObjectDesc base = NamedObject("obj_base");
    base.events = {SourceEvent(0, 0, "test_record();"),
                   SourceEvent(3, 2, "if (scr_report(21) == 42) test_record();"),
                   SourceEvent(4, 2, "test_record();")};
    gamebuild::ObjectDesc player = NamedObject("obj_player", 0);
    player.events = {SourceEvent(3, 0, "test_record(); test_perform(7, 10);"), SourceEvent(7, 10, "test_record();")};
    gamebuild::ObjectDesc wall = NamedObject("obj_wall");
    gamebuild::ObjectDesc brick = NamedObject("obj_brick", 2);
    game.objects = {base, player, wall, brick};
    if (compiled) game.backwardChains = true;
    return game;
}

class GameInBothForms : public LoadedGameTest, public testing::WithParamInterface<bool> {
protected:
    void TearDown() override
    {
        Script_Reset();
        LoadedGameTest::TearDown();
    }
};

TEST_P(GameInBothForms, EventsRunThroughTheParentChainAndCallScripts)
{
    ASSERT_TRUE(Load(SmallWorld(GetParam()))) << m_Log.Text();
    EXPECT_EQ(GetParam(), g_CompiledCode);
    ASSERT_TRUE(Script_Prepare()) << g_ErrorLast;
    ASSERT_TRUE(Object_Prepare()) << g_ErrorLast;
    ObjectLists_Build();
    EXPECT_EQ(2, ObjectLists_Count(0, 0)); // obj_base and obj_player (inherited)
    // obj_base and obj_player with obj_wall, and with obj_brick through its parent obj_wall.
    ASSERT_EQ(4, g_CollisionPairCount);
    EXPECT_EQ(0, g_CollisionPairs[1].lower);
    EXPECT_EQ(3, g_CollisionPairs[1].higher);

    CInstance* player = MakeInstance(1);
    CInstance* brick = MakeInstance(3);
    PerformEvent(player, player, 1, 0, 0); // inherited create
    PerformEvent(player, player, 1, 3, 0); // own step, performing its user event
    PerformEvent(player, player, 1, 3, 2); // inherited end step, calling a script
    PerformEvent(player, brick, 1, 4, 3);  // collision with obj_brick, handled for obj_wall
    PerformEvent(brick, brick, 3, 0, 0);   // obj_brick has no create event
    std::vector<std::string> expected = {
        "0 0 0 100000 100000",  "1 3 0 100000 100000", "1 7 10 100000 100000",
        "0 3 2 100000 100000",  "0 3 2 100000 100000", "0 4 3 100000 100001",
    };
    EXPECT_EQ(expected, Records());
}

INSTANTIATE_TEST_SUITE_P(CodeForms, GameInBothForms, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Compiled" : "Source"; });

} // namespace
