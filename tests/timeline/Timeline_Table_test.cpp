// Time lines: finding moments, clearing them, the time-line chunk with a hole, a moment that does
// not compile, and malformed chunks (loading both code forms and deleting are played in
// Timeline_Stage_test.cpp).
#include <gtest/gtest.h>

#include "../gamefile/GameFileTestSupport.h"
#include "code/Code_Error.h"
#include "object/Object_Event.h"
#include "run/Run_Globals.h"
#include "timeline/Timeline_Table.h"

namespace {

TEST(TimeLineMoments, FindsAndClearsByTime)
{
    CTimeLine line;
    EXPECT_EQ(0, line.FindMomentAtOrAfter(5));
    EXPECT_EQ(-1, line.FindMomentAtOrBefore(5));
    for (int32_t time : {0, 10, 20}) line.AddMoment(time, nullptr);
    struct Case {
        double position;
        int32_t after, before;
    } cases[] = {{5, 1, 0}, {20, 2, 2}, {21, 3, 2}, {-1, 0, -1}, {25, 3, 2}, {0, 0, 0}};
    for (const Case& c : cases) {
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

gamebuild::GameDesc TwoTimeLines(const std::string& code = "x = 1;")
{
    gamebuild::GameDesc game;
    game.timeLines.resize(3);
    game.timeLines[0].name = "tl_a";
    game.timeLines[0].moments = {{0, {code, "", false}}, {30, {"y = 2;", "", false}}};
    game.timeLines[1].present = false;
    game.timeLines[2].name = "tl_b";
    return game;
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
    bool Load(const std::vector<uint8_t>& bytes) { return LoadBothPasses(m_File, bytes); }

    GameFile m_File;
    CapturedLog m_Log;
};

TEST_F(TimeLineTable, AMomentThatDoesNotCompileStopsPreparation)
{
    ASSERT_TRUE(Load(BuildBytes(TwoTimeLines("x = ;"))));
    EXPECT_FALSE(TimeLine_Prepare());
    EXPECT_NE(std::string::npos, g_ErrorLast.find("COMPILATION ERROR in code action")) << g_ErrorLast;
}

TEST_F(TimeLineTable, MalformedRecordsAreRefusedWithALogLine)
{
    std::vector<uint8_t> good = BuildBytes(TwoTimeLines());
    ASSERT_TRUE(Load(good)) << m_Log.Text();
    EXPECT_EQ(3, TimeLine_Count());
    EXPECT_STREQ("<undefined>", TimeLine_Name(1)); // a hole
    EXPECT_EQ(2, TimeLine_Find("tl_b"));
    size_t chunk = FindChunk(good, "TMLN") + 8;
    uint32_t record = ReadWord(good, chunk + 4);
    auto size = uint32_t(good.size());
    struct Case { size_t at; uint32_t value; const char* line; } cases[] = {
        {chunk, 0x40000000u, "Malformed Chunk TMLN"},
        {chunk + 4, size - 4, "time line 0 runs past the end"},
        {record, size + 100, "time line 0 has a name outside the file"},
        {record + 4, 0x20000000u, "time line 0 has more moments than the file holds"},
        {record + 4, 0xFFFFFFFFu, "time line 0 has more moments than the file holds"},
        {record + 12, size - 6, "time line 0 has a moment whose event lies outside the file"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, c.at, c.value);
        m_Log.Clear();
        EXPECT_FALSE(Load(bytes)) << c.line;
        EXPECT_TRUE(m_Log.Has(c.line)) << m_Log.Text();
    }
}

} // namespace
