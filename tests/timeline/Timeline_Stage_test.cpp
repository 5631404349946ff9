// The frame's time-line stage over loaded time lines: moments performed at their steps with their
// trace lines, in both code forms, and moments that clear themselves or delete their own time line
// while they run (what they removed is freed only when the stage ends).
#include "../TestSupport_Builtins.h"
#include "../run/RunFrameTestSupport.h"
#include "path/Path_Table.h"
#include "timeline/Timeline_Table.h"

using namespace frametest;

namespace {

gamebuild::TimeLineDesc Line(const std::string& name, std::vector<std::pair<int32_t, std::string>> moments)
{
    gamebuild::TimeLineDesc line;
    line.name = name;
    for (auto& [time, source] : moments) {
        gamebuild::MomentDesc moment;
        moment.time = time;
        moment.code.source = source;
        line.moments.push_back(moment);
    }
    return line;
}

class TimeLineStage : public FrameTest, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins(); // before the test functions, so that the families register
        FrameTest::SetUp();
        TimeLine_Reset();
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        TimeLine_Reset();
    }
    bool PlayWithTimeLines(gamebuild::GameDesc game)
    {
        game.compiledCode = GetParam();
        if (!Load(game)) return false;
        EXPECT_TRUE(TimeLine_Prepare()) << g_ErrorLast;
        EXPECT_TRUE(Object_Prepare()) << g_ErrorLast;
        Room_Prepare();
        Run_Start();
        return true;
    }
};

TEST_P(TimeLineStage, AMomentThatClearsItselfOrDeletesItsTimeLineEndsThePass)
{
    gamebuild::GameDesc game = OneRoomGame(
        {ObjectWith("obj_runner", {{0, 0, "timeline_index = tl_main; timeline_running = true;"}})}, {Placed(0)});
    game.timeLines = {
        Line("tl_main", {{0, "test_note(\"m0\");"},
                         {2, "test_note(\"m2\");"},
                         {3, "timeline_moment_clear(tl_main, 3); test_note(\"m3\", timeline_position);"},
                         {5, "timeline_delete(tl_main); test_note(\"m5\", timeline_exists(1));"},
                         {5, "test_note(\"never\");"}}),
        Line("tl_after", {{5, "test_note(\"never\");"}, {6, "test_note(\"after6\");"}}),
    };
    ASSERT_TRUE(PlayWithTimeLines(game)) << m_Log.Text();
    TakeNotes();
    Tick(7);
    EXPECT_EQ((std::vector<std::string>{"100001 m0", "100001 m2", "100001 m3 4", "100001 m5 0", "100001 after6"}),
              TakeNotes())
        << m_Log.Text();
    EXPECT_EQ(1, TimeLine_Count());
    EXPECT_STREQ("tl_after", TimeLine_Name(0));
    std::vector<std::string> moments;
    for (const std::string& line : Trace())
        if (line.find(" 100000 ") != std::string::npos) moments.push_back(line);
    EXPECT_EQ((std::vector<std::string>{"100001 obj_runner 100000 0", "100001 obj_runner 100000 2",
                                        "100001 obj_runner 100000 3", "100001 obj_runner 100000 5",
                                        "100001 obj_runner 100000 6"}),
              moments);
}

INSTANTIATE_TEST_SUITE_P(CodeForms, TimeLineStage, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Compiled" : "Source"; });

} // namespace
