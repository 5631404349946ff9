// The path table: the path chunk as the builder writes it, malformed chunks, and the table's
// additions, copies, assignments and deletions.
#include <gtest/gtest.h>

#include "../gamefile/GameFileTestSupport.h"
#include "code/Code_Error.h"
#include "gamefile/GameFile_Options.h"
#include "instance/Instance_Resources.h"
#include "path/Path_Table.h"

namespace {

gamebuild::GameDesc ThreePaths()
{
    gamebuild::GameDesc game;
    game.paths.resize(3);
    game.paths[0].name = "pth_leg";
    game.paths[0].closed = false;
    game.paths[0].points = {{0, 0, 100}, {30, 40, 50}};
    game.paths[1].present = false;
    game.paths[2].name = "pth_odd";
    game.paths[2].kind = 7;
    game.paths[2].precision = 40;
    return game;
}

class PathTable : public testing::Test {
protected:
    void SetUp() override
    {
        Path_Reset();
        g_GameOptions.showErrors = false;
        g_ErrorLast.clear();
    }
    void TearDown() override { Path_Reset(); }
    bool Load(const std::vector<uint8_t>& bytes) { return LoadBothPasses(m_File, bytes); }

    GameFile m_File;
    CapturedLog m_Log;
};

TEST_F(PathTable, TheChunkFillsTheTableWithHolesAndStoredFields)
{
    ASSERT_TRUE(Load(BuildBytes(ThreePaths()))) << m_Log.Text();
    EXPECT_EQ(3, Path_Count());
    EXPECT_EQ(50.0f, Path_Data(0)->GetLength());
    EXPECT_FALSE(Path_Exists(1));
    EXPECT_STREQ("<undefined>", Path_Name(1));
    EXPECT_EQ(2, Path_Find("pth_odd"));
    EXPECT_EQ(7, Path_Data(2)->GetKind());
    EXPECT_EQ(40, Path_Data(2)->GetPrecision());
    // Instances following a path read it through the table.
    float length = 0, x = 0, y = 0, speed = 0;
    ASSERT_TRUE(Instance_Paths()->Length(0, &length));
    EXPECT_EQ(50.0f, length);
    Instance_Paths()->PositionAt(0, 0.5f, &x, &y, &speed);
    EXPECT_EQ((std::vector<float>{15, 20, 75}), (std::vector<float>{x, y, speed}));
    EXPECT_FALSE(Instance_Paths()->Length(1, &length));

    EXPECT_EQ(3, Path_Add());
    EXPECT_STREQ("__newpath3", Path_Name(3));
    EXPECT_EQ(4, Path_Duplicate(0));
    EXPECT_EQ(50.0f, Path_Data(4)->GetLength());
    EXPECT_EQ(-1, Path_Duplicate(1));
    EXPECT_TRUE(Path_Delete(0));
    EXPECT_FALSE(Path_Delete(0));
    EXPECT_EQ(5, Path_Add()); // slots are not reused
    EXPECT_EQ(6, Path_Count());

    EXPECT_FALSE(Path_Assign(2, 2));
    EXPECT_NE(std::string::npos, g_ErrorLast.find("ERROR: Can not assign a path to itself!"));
    EXPECT_TRUE(Path_Assign(1, 4)); // fills the hole; its name stays empty
    EXPECT_STREQ("", Path_Name(1));
    EXPECT_EQ(50.0f, Path_Data(1)->GetLength());
    EXPECT_FALSE(Path_Assign(9, 4));
    EXPECT_FALSE(Path_Assign(1, 0));
}

TEST_F(PathTable, MalformedRecordsAreRefusedWithALogLine)
{
    std::vector<uint8_t> good = BuildBytes(ThreePaths());
    size_t chunk = FindChunk(good, "PATH") + 8;
    uint32_t record = ReadWord(good, chunk + 4);
    auto size = uint32_t(good.size());
    struct Case { size_t at; uint32_t value; const char* line; } cases[] = {
        {chunk, 0x40000000u, "Malformed Chunk PATH"},             // the count table runs past the chunk
        {chunk + 4, size - 8, "path 0 runs past the end"},         // a record cut off by the end
        {record, size + 100, "path 0 has a name outside the file"},
        {record + 16, 0x7FFFFFFFu, "path 0 has more points than the file holds"},
        {record + 16, 0xFFFFFFFFu, "path 0 has more points than the file holds"},
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
