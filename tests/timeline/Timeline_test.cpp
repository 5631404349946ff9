// Time lines: a time-line chunk written out word by word with a hole and malformed records, finding
// and clearing its moments, and the frame's stage performing moments that clear themselves or
// delete their own time line while they run (what they removed is freed only when the stage ends;
// the trace lines of moments are played end to end).
#include "../TestSupport_Builtins.h"
#include "../gamefile/GameFileTestSupport.h"
#include "../run/RunFrameTestSupport.h"
#include "timeline/Timeline_Table.h"

using namespace frametest;

namespace {

// Three slots, the middle one empty: a time line of two moments (time, event offset; no event
// here), and one without moments; then the names.
const uint32_t RECORD = 16, NAMES = RECORD + 32;
std::vector<uint8_t> HandWrittenChunk()
{
    std::vector<uint8_t> bytes = Words({3, RECORD, 0, RECORD + 24, NAMES, 2, 0, 0, 30, 0, NAMES + 5, 0});
    for (char c : std::string("tl_a\0tl_b\0", 10)) bytes.push_back(uint8_t(c));
    return bytes;
}

TEST(TimeLineTable, HandWrittenRecordsTheirMomentsAndMalformedOnes)
{
    GameFile file;
    CapturedLog log;
    const std::vector<uint8_t> good = HandWrittenChunk();
    LoadInto(file, good);
    ASSERT_TRUE(TimeLine_Load(file, 0, RECORD)) << log.Text();
    EXPECT_EQ((std::vector<std::string>{"3", "<undefined>", "tl_a", "2"}),
              (std::vector<std::string>{std::to_string(TimeLine_Count()), TimeLine_Name(1), TimeLine_Name(0), std::to_string(TimeLine_Find("tl_b"))}));
    CTimeLine *line = TimeLine_Get(0), *empty = TimeLine_Get(2);
    EXPECT_EQ((std::vector<int32_t>{2, 0, 30, 0}),
              (std::vector<int32_t>{line->GetMomentCount(), line->GetMoment(0), line->GetMoment(1), empty->GetMomentCount()}));
    EXPECT_EQ(nullptr, line->GetEvent(1)); // an event offset of 0: no event
    // Moments found at or after, and at or before, a position; none in a time line without moments.
    struct { CTimeLine* line; double position; int32_t after, before; } finds[] = {
        {line, 5, 1, 0}, {line, 30, 1, 1}, {line, 31, 2, 1}, {line, -1, 0, -1}, {empty, 5, 0, -1}};
    for (const auto& c : finds)
        EXPECT_EQ(std::make_pair(c.after, c.before), std::make_pair(c.line->FindMomentAtOrAfter(c.position), c.line->FindMomentAtOrBefore(c.position)))
            << c.position;
    line->ClearMoment(15);
    line->ClearMoment(0);
    EXPECT_EQ((std::vector<int32_t>{1, 30, 0}), (std::vector<int32_t>{line->GetMomentCount(), line->GetMoment(0), line->GetMoment(1)}));
    EXPECT_EQ(-1, TimeLine_Add());
    auto size = uint32_t(good.size());
    // Each line names the time line, where its record lies, and what lies outside the file.
    const EntryRefusal timeLine("TMLN", "time line 0", RECORD, size), cut("TMLN", "time line 0", size - 4, size);
    struct { size_t at; uint32_t value; std::string line; } cases[] = {
        {4, size - 4, cut.Past("its record", size - 4, 8)},
        {RECORD, size + 100, timeLine.Outside("its name", size + 100)},
        {RECORD + 4, 0x20000000u, timeLine.Past("its list of 536870912 moments", RECORD + 8, 4294967296)},
        {RECORD + 12, size - 6, timeLine.Past("its event", size - 6, 12)},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, c.at, c.value);
        LoadInto(file, bytes);
        log.Clear();
        EXPECT_FALSE(TimeLine_Load(file, 0, RECORD)) << c.line;
        EXPECT_TRUE(testsupport::HasLine(log.Text(), c.line)) << c.line << "\n" << log.Text();
    }
    TimeLine_Reset();
}

gamebuild::TimeLineDesc Line(const std::string& name, std::vector<std::pair<int32_t, std::string>> moments)
{
    gamebuild::TimeLineDesc line;
    line.name = name;
    for (auto& [time, source] : moments) line.moments.push_back({time, {source, "", false}});
    return line;
}

class TimeLineStage : public FrameTest, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins(); // before the test functions, so that the families register
        FrameTest::SetUp();
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
    EXPECT_TRUE(TimeLine_Prepare() && Object_Prepare()) << g_ErrorLast;
    Room_Prepare();
    Run_Start();
    TakeNotes();
    Tick(7);
    EXPECT_EQ((std::vector<std::string>{"100001 m0", "100001 m2", "100001 m3 4", "100001 m5 0", "100001 after6"}), TakeNotes())
        << m_Log.Text();
    EXPECT_EQ(std::make_pair(1, std::string("tl_after")), std::make_pair(TimeLine_Count(), std::string(TimeLine_Name(0))));
    TimeLine_Reset();
}

INSTANTIATE_TEST_SUITE_P(CodeForms, TimeLineStage, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Compiled" : "Source"; });

} // namespace
