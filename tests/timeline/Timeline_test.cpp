// Time lines: finding and clearing moments, the time-line chunk with a hole, malformed chunks, a
// moment that does not compile, and the frame's stage performing moments that clear themselves or
// delete their own time line while they run (what they removed is freed only when the stage ends).
#include "../TestSupport_Builtins.h"
#include "../gamefile/GameFileTestSupport.h"
#include "../run/RunFrameTestSupport.h"
#include "timeline/Timeline_Table.h"

using namespace frametest;

namespace {

TEST(TimeLineMoments, FindsAndClearsByTime)
{
    CTimeLine line;
    EXPECT_EQ(0, line.FindMomentAtOrAfter(5));
    EXPECT_EQ(-1, line.FindMomentAtOrBefore(5));
    for (int32_t time : {0, 10, 20}) line.AddMoment(time, nullptr);
    struct { double position; int32_t after, before; } cases[] = {{5, 1, 0}, {20, 2, 2}, {21, 3, 2}, {-1, 0, -1}, {25, 3, 2}, {0, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.after, line.FindMomentAtOrAfter(c.position)) << c.position;
        EXPECT_EQ(c.before, line.FindMomentAtOrBefore(c.position)) << c.position;
    }
    line.ClearMoment(15);
    EXPECT_EQ(3, line.GetMomentCount());
    line.ClearMoment(10);
    ASSERT_EQ(2, line.GetMomentCount());
    EXPECT_EQ(20, line.GetMoment(1));
    EXPECT_EQ(0, line.GetMoment(2));
    EXPECT_EQ(nullptr, line.GetEvent(-1));
    EXPECT_EQ(-1, TimeLine_Add());
}

gamebuild::TimeLineDesc Line(const std::string& name, std::vector<std::pair<int32_t, std::string>> moments)
{
    gamebuild::TimeLineDesc line;
    line.name = name;
    for (auto& [time, source] : moments) line.moments.push_back({time, {source, "", false}});
    return line;
}

class TimeLineTable : public testing::Test {
protected:
    void SetUp() override
    {
        TimeLine_Reset();
        g_GameOptions.showErrors = false;
        g_ErrorLast.clear();
    }
    void TearDown() override
    {
        TimeLine_Reset();
        g_RunRequest = RUN_REQUEST_NONE;
        g_ErrorQuitting = false;
    }
    bool Load(const std::string& code)
    {
        gamebuild::GameDesc game;
        game.timeLines = {Line("tl_a", {{0, code}, {30, "y = 2;"}}), {}, Line("tl_b", {})};
        game.timeLines[1].present = false;
        m_Bytes = BuildBytes(game);
        return LoadBothPasses(m_File, m_Bytes);
    }
    std::vector<uint8_t> m_Bytes;
    GameFile m_File;
    CapturedLog m_Log;
};

TEST_F(TimeLineTable, MalformedRecordsAreRefusedWithALogLineAndBadMomentsStopPreparation)
{
    ASSERT_TRUE(Load("x = ;")) << m_Log.Text();
    EXPECT_EQ(3, TimeLine_Count());
    EXPECT_STREQ("<undefined>", TimeLine_Name(1)); // a hole
    EXPECT_EQ(2, TimeLine_Find("tl_b"));
    EXPECT_FALSE(TimeLine_Prepare());
    EXPECT_NE(std::string::npos, g_ErrorLast.find("COMPILATION ERROR in code action")) << g_ErrorLast;
    const std::vector<uint8_t> good = m_Bytes;
    size_t chunk = FindChunk(good, "TMLN") + 8;
    uint32_t record = ReadWord(good, chunk + 4);
    auto size = uint32_t(good.size());
    struct { size_t at; uint32_t value; const char* line; } cases[] = {
        {chunk, 0x40000000u, "Malformed Chunk TMLN"},
        {chunk + 4, size - 4, "time line 0 runs past the end"},
        {record, size + 100, "time line 0 has a name outside the file"},
        {record + 4, 0x20000000u, "time line 0 has more moments than the file holds"},
        {record + 4, 0xFFFFFFFFu, "time line 0 has more moments than the file holds"},
        {record + 12, size - 6, "time line 0 has a moment whose event lies outside the file"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, c.at, c.value);
        m_Log.Clear();
        EXPECT_FALSE(LoadBothPasses(m_File, bytes)) << c.line;
        EXPECT_TRUE(m_Log.Has(c.line)) << m_Log.Text();
    }
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
    game.compiledCode = GetParam();
    ASSERT_TRUE(Load(game)) << m_Log.Text();
    EXPECT_TRUE(TimeLine_Prepare()) << g_ErrorLast;
    EXPECT_TRUE(Object_Prepare()) << g_ErrorLast;
    Room_Prepare();
    Run_Start();
    TakeNotes();
    Tick(7);
    EXPECT_EQ((std::vector<std::string>{"100001 m0", "100001 m2", "100001 m3 4", "100001 m5 0", "100001 after6"}), TakeNotes())
        << m_Log.Text();
    EXPECT_EQ(1, TimeLine_Count());
    EXPECT_STREQ("tl_after", TimeLine_Name(0));
    std::vector<std::string> moments;
    for (const std::string& line : Trace())
        if (line.find(" 100000 ") != std::string::npos) moments.push_back(line);
    EXPECT_EQ((std::vector<std::string>{"100001 obj_runner 100000 0", "100001 obj_runner 100000 2", "100001 obj_runner 100000 3",
                                        "100001 obj_runner 100000 5", "100001 obj_runner 100000 6"}),
              moments);
}

INSTANTIATE_TEST_SUITE_P(CodeForms, TimeLineStage, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Compiled" : "Source"; });

} // namespace
