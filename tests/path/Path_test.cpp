// Paths: the interpolated list (straight and smoothed), places along it, the edits, the line strip
// drawing queues, and the path table read from the path chunk.
#include <gtest/gtest.h>

#include "../gamefile/GameFileTestSupport.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "code/Code_Error.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamefile/GameFile_Options.h"
#include "instance/Instance_Resources.h"
#include "path/Path_Class.h"
#include "path/Path_Table.h"

namespace {

std::string Place(const CPath& path, float position)
{
    float x, y, speed;
    path.GetPositionAt(position, &x, &y, &speed);
    char text[96];
    std::snprintf(text, sizeof text, "%g,%g,%g", x, y, speed);
    return text;
}

const std::vector<PathPoint> LEG = {{0, 0, 100}, {30, 40, 50}};
const std::vector<PathPoint> SQUARE = {{0, 0, 100}, {100, 0, 100}, {100, 100, 100}, {0, 100, 100}};

TEST(PathGeometry, StraightAndSmoothedPathsHaveTheirLengthAndPlaces)
{
    CPath path;
    path.SetFromFile(0, false, 4, LEG);
    EXPECT_EQ(50.0f, path.Interpolated().back().l);
    EXPECT_EQ((std::vector<std::string>{"15,20,75", "30,40,50", "0,0,100"}),
              (std::vector<std::string>{Place(path, 0.5f), Place(path, 1.5f), Place(path, -0.2f)}));
    path.SetClosed(true);
    ASSERT_EQ(3u, path.Interpolated().size());
    EXPECT_EQ(100.0f, path.GetLength());
    EXPECT_EQ("0,0,100", Place(path, 1.0f));
    // Smoothed: four corners of 15 points each (every leg is longer than 4 pixels down to depth 4),
    // then the first point again.
    path.SetFromFile(1, true, 4, SQUARE);
    const std::vector<PathInterpolated>& list = path.Interpolated();
    ASSERT_EQ(61u, list.size());
    EXPECT_EQ(list.front().x, list.back().x);
    EXPECT_EQ(list.front().y, list.back().y);
    EXPECT_EQ(87.5f, list[7].x); // the middle of the curve round the corner (100, 0)
    EXPECT_EQ(12.5f, list[7].y);
    // The depth is clamped; the file's value is stored as it is.
    struct { bool closed; int32_t precision; size_t points; } cases[] = {
        {false, 0, 2}, {true, 0, 0}, {true, -5, 0}, {true, 1000, 125}, {true, 8, 125}};
    for (const auto& c : cases) {
        path.SetFromFile(1, c.closed, c.precision, SQUARE);
        EXPECT_EQ(c.points, path.Interpolated().size()) << c.precision;
        EXPECT_EQ(c.precision, path.GetPrecision());
    }
    path.SetFromFile(1, true, 0, SQUARE);
    EXPECT_EQ(0.0f, path.GetLength());
    EXPECT_EQ("0,0,100", Place(path, 0.5f));
    path.SetFromFile(1, false, 4, LEG); // an open path of two points gets no curve at all
    EXPECT_EQ(2u, path.Interpolated().size());
}

TEST(PathGeometry, EditsKeepTheirBoundsAndRebuild)
{
    CPath path;
    struct { int32_t set, kind, precision; } cases[] = {{5, 0, 5}, {-1, 0, 0}, {1, 1, 1}, {12, 0, 8}, {-3, 0, 0}};
    for (const auto& c : cases) {
        path.SetKind(c.set);
        path.SetPrecision(c.set);
        EXPECT_EQ(c.kind, path.GetKind()) << c.set;
        EXPECT_EQ(c.precision, path.GetPrecision()) << c.set;
    }
    path.SetKind(0);
    path.AddPoint(1, 2, 3);
    path.InsertPoint(1, 4, 5, 6); // at the count: appended
    path.InsertPoint(3, 7, 8, 9); // past the count: nothing
    path.InsertPoint(-1, 7, 8, 9);
    path.ChangePoint(2, 0, 0, 0);
    path.DeletePoint(-1);
    ASSERT_EQ(2, path.GetNumber());
    EXPECT_EQ(4.0f, path.GetPoint(1).x);
    EXPECT_EQ(1.0f, path.GetPoint(5).speed);
    path.Append(&path); // its own points, doubled
    ASSERT_EQ(4, path.GetNumber());
    EXPECT_EQ(1.0f, path.GetPoint(2).x);
    path.Reverse();
    EXPECT_EQ(4.0f, path.GetPoint(0).x);
    path.Clear();
    EXPECT_EQ(0, path.GetNumber());
    EXPECT_EQ(0.0f, path.GetLength());
    path.SetFromFile(0, false, 4, {{0, 0, 1}, {10, 0, 1}});
    path.Rotate(90);
    EXPECT_NEAR(5.0, path.GetPoint(0).x, 1e-5);
    EXPECT_NEAR(5.0, path.GetPoint(0).y, 1e-5);
    EXPECT_NEAR(-5.0, path.GetPoint(1).y, 1e-5);
    path.Flip(); // about the centre (5, 0)
    EXPECT_NEAR(-5.0, path.GetPoint(0).y, 1e-5);
}

class PathDraw : public capture::DrawTest {};

TEST_F(PathDraw, AStripOfAVertexPerFourPixelsUpTo1001)
{
    CPath path;
    // Steps rounded half to even.
    struct { float length; size_t vertices; } cases[] = {{2, 0}, {6, 3}, {10, 3}, {100, 26}, {40000, 1001}};
    for (const auto& c : cases) {
        path.SetFromFile(0, false, 4, {{0, 0, 100}, {c.length, 0, 100}});
        path.Draw(0, 0, true);
        std::vector<capture::Drawn> drawn = capture::Draws();
        ASSERT_EQ(c.vertices == 0 ? 0u : 1u, drawn.size()) << c.length;
        if (drawn.empty()) continue;
        EXPECT_EQ(D3DPT_LINESTRIP, drawn[0].type);
        EXPECT_EQ(c.vertices, drawn[0].Count()) << c.length;
    }
    // Moved so that it starts at the place given, or where it lies.
    path.SetFromFile(0, false, 4, {{10, 20, 100}, {110, 20, 100}});
    for (auto [absolute, x, y] : {std::tuple{false, 50.0f, 60.0f}, {true, 60.0f, 80.0f}}) {
        path.Draw(50, 60, absolute);
        std::vector<capture::Drawn> drawn = capture::Draws();
        ASSERT_EQ(1u, drawn.size());
        EXPECT_NEAR(x, drawn[0].v[0].x, 0.6) << absolute;
        EXPECT_NEAR(y, drawn[0].v[0].y, 0.6) << absolute;
    }
}

class PathTable : public testing::Test {
protected:
    void SetUp() override
    {
        Path_Reset();
        g_GameOptions.showErrors = false;
        g_ErrorLast.clear();
        gamebuild::GameDesc game;
        std::string errors;
        ASSERT_TRUE(gamebuild::ReadManifest(R"({"paths": [{"name": "pth_leg", "closed": false, "points": [[0, 0, 100], [30, 40, 50]]},
            null,
            {"name": "pth_odd", "kind": 7, "precision": 40}]})", ".", game, errors)) << errors;
        m_Bytes = BuildBytes(game);
    }
    void TearDown() override { Path_Reset(); }
    bool Load(const std::vector<uint8_t>& bytes) { return LoadBothPasses(m_File, bytes); }
    std::vector<uint8_t> m_Bytes;
    GameFile m_File;
    CapturedLog m_Log;
};

TEST_F(PathTable, TheChunkFillsTheTableWithHolesAndStoredFields)
{
    ASSERT_TRUE(Load(m_Bytes)) << m_Log.Text();
    EXPECT_EQ(3, Path_Count());
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
    size_t chunk = FindChunk(m_Bytes, "PATH") + 8;
    uint32_t record = ReadWord(m_Bytes, chunk + 4);
    auto size = uint32_t(m_Bytes.size());
    struct { size_t at; uint32_t value; const char* line; } cases[] = {
        {chunk, 0x40000000u, "Malformed Chunk PATH"},     // the count table runs past the chunk
        {chunk + 4, size - 8, "path 0 runs past the end"}, // a record cut off by the end
        {record, size + 100, "path 0 has a name outside the file"},
        {record + 16, 0x7FFFFFFFu, "path 0 has more points than the file holds"},
        {record + 16, 0xFFFFFFFFu, "path 0 has more points than the file holds"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = m_Bytes;
        WriteWord(bytes, c.at, c.value);
        m_Log.Clear();
        EXPECT_FALSE(Load(bytes)) << c.line;
        EXPECT_TRUE(m_Log.Has(c.line)) << m_Log.Text();
    }
}

} // namespace
