// Paths: the interpolated list (straight and smoothed), places along it, the edits, the line strip
// drawing queues, and the path table read from a path chunk written out word by word.
#include <gtest/gtest.h>

#include <bit>

#include "../gamefile/GameFileTestSupport.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "code/Code_Error.h"
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

const std::vector<PathPoint> SQUARE = {{0, 0, 100}, {100, 0, 100}, {100, 100, 100}, {0, 100, 100}};

TEST(PathGeometry, LengthsPlacesSmoothingAndEdits)
{
    CPath path;
    path.SetFromFile(0, false, 4, {{0, 0, 100}, {30, 40, 50}});
    EXPECT_EQ((std::vector<std::string>{"15,20,75", "30,40,50", "0,0,100"}),
              (std::vector<std::string>{Place(path, 0.5f), Place(path, 1.5f), Place(path, -0.2f)}));
    path.SetClosed(true); // three points: back to the start
    EXPECT_EQ(std::make_tuple(size_t(3), 100.0f, std::string("0,0,100")),
              std::make_tuple(path.Interpolated().size(), path.GetLength(), Place(path, 1.0f)));
    // Smoothed: four corners of 15 points each (every leg is longer than 4 pixels down to depth 4),
    // then the first point again; the middle of the curve round the corner (100, 0).
    path.SetFromFile(1, true, 4, SQUARE);
    const std::vector<PathInterpolated>& list = path.Interpolated();
    ASSERT_EQ(61u, list.size());
    EXPECT_EQ(std::make_pair(list.front().x, list.front().y), std::make_pair(list.back().x, list.back().y));
    EXPECT_EQ(std::make_pair(87.5f, 12.5f), std::make_pair(list[7].x, list[7].y));
    // The depth is clamped; the file's value is stored as it is. No points: no length, and places
    // at the first point.
    struct { bool closed; int32_t precision; size_t points; } cases[] = {{false, 0, 2}, {true, 1000, 125}, {true, -5, 0}};
    for (const auto& c : cases) {
        path.SetFromFile(1, c.closed, c.precision, SQUARE);
        EXPECT_EQ(std::make_pair(c.points, c.precision), std::make_pair(path.Interpolated().size(), path.GetPrecision()));
    }
    EXPECT_EQ(std::make_pair(0.0f, std::string("0,0,100")), std::make_pair(path.GetLength(), Place(path, 0.5f)));

    // Edits keep their bounds: an insert at the count appends, one below 0 does nothing; a path
    // appended to itself doubles.
    path.Clear();
    path.AddPoint(1, 2, 3);
    path.InsertPoint(1, 4, 5, 6);
    path.InsertPoint(-1, 7, 8, 9);
    ASSERT_EQ(2, path.GetNumber());
    EXPECT_EQ(std::make_pair(4.0f, 1.0f), std::make_pair(path.GetPoint(1).x, path.GetPoint(5).speed));
    path.Append(&path);
    EXPECT_EQ(std::make_pair(4, 1.0f), std::make_pair(path.GetNumber(), path.GetPoint(2).x));
    // Turned and flipped about the centre (5, 0).
    path.SetFromFile(0, false, 4, {{0, 0, 1}, {10, 0, 1}});
    path.Rotate(90);
    EXPECT_NEAR(-5.0, path.GetPoint(1).y, 1e-5);
    path.Flip();
    EXPECT_NEAR(-5.0, path.GetPoint(0).y, 1e-5);
}

// A strip of a vertex per four pixels, steps rounded half to even, up to 1001 (offsets are read back
// on the OpenGL device).
using PathDraw = capture::DrawTest;

TEST_F(PathDraw, StripsHaveAVertexPerFourPixelsUpTo1001)
{
    CPath path;
    struct { float length; size_t vertices; } cases[] = {{2, 0}, {6, 3}, {10, 3}, {100, 26}, {40000, 1001}};
    for (const auto& c : cases) {
        path.SetFromFile(0, false, 4, {{0, 0, 100}, {c.length, 0, 100}});
        path.Draw(0, 0, true);
        std::vector<capture::Drawn> drawn = capture::Draws();
        EXPECT_EQ(c.vertices, drawn.empty() ? 0 : drawn[0].Count()) << c.length;
        EXPECT_TRUE(drawn.size() == (c.vertices != 0) && (drawn.empty() || drawn[0].type == D3DPT_LINESTRIP)) << c.length;
    }
}

// Three slots, the middle one empty: an open straight path of two points (x, y, speed as f32),
// and a closed one of kind 7, precision 40 and no points; then the names.
const uint32_t RECORD = 16, ODD = RECORD + 44, NAMES = ODD + 20;
std::vector<uint8_t> HandWrittenChunk()
{
    auto f = [](float value) { return std::bit_cast<uint32_t>(value); };
    std::vector<uint8_t> bytes = Words({3, RECORD, 0, ODD, NAMES, 0, 0, 4, 2, f(0), f(0), f(100), f(30), f(40), f(50),
                                        NAMES + 8, 7, 1, 40, 0});
    for (char c : std::string("pth_leg\0pth_odd\0", 16)) bytes.push_back(uint8_t(c));
    return bytes;
}

bool Load(GameFile& file, const std::vector<uint8_t>& bytes)
{
    Path_Reset();
    LoadInto(file, bytes);
    return Path_Load(file, 0, RECORD);
}

// Slots with a hole and the stored fields; instances following a path read it through the table
// (places along it are played end to end);
// run-time additions never reuse slots (duplicates and deletions are played end to end).
TEST(PathTable, HandWrittenRecordsFillTheTableAndAdditionsAppend)
{
    GameFile file;
    ASSERT_TRUE(Load(file, HandWrittenChunk()));
    EXPECT_EQ((std::vector<std::string>{"3", "0", "<undefined>", "pth_leg", "2"}),
              (std::vector<std::string>{std::to_string(Path_Count()), std::to_string(Path_Exists(1)), Path_Name(1), Path_Name(0),
                                        std::to_string(Path_Find("pth_odd"))}));
    EXPECT_EQ((std::vector<int32_t>{7, 1, 40, 0, 0, 0, 4, 2}),
              (std::vector<int32_t>{Path_Data(2)->GetKind(), Path_Data(2)->GetClosed(), Path_Data(2)->GetPrecision(),
                                    Path_Data(2)->GetNumber(), Path_Data(0)->GetKind(), Path_Data(0)->GetClosed(),
                                    Path_Data(0)->GetPrecision(), Path_Data(0)->GetNumber()}));
    float length = 0;
    EXPECT_TRUE(Instance_Paths()->Length(0, &length) && length == 50.0f && !Instance_Paths()->Length(1, &length));

    g_GameOptions.showErrors = false;
    EXPECT_EQ(3, Path_Add());
    EXPECT_STREQ("__newpath3", Path_Name(3));
    EXPECT_TRUE(Path_Delete(0));
    EXPECT_EQ(4, Path_Add());
    EXPECT_FALSE(Path_Assign(2, 2));
    EXPECT_NE(std::string::npos, g_ErrorLast.find("ERROR: Can not assign a path to itself!"));
    EXPECT_TRUE(Path_Assign(1, 2)); // fills the hole; its name stays empty
    EXPECT_EQ(std::make_pair(std::string(""), 1), std::make_pair(std::string(Path_Name(1)), int(Path_Data(1)->GetClosed())));
    EXPECT_FALSE(Path_Assign(9, 2) || Path_Assign(1, 0));
    Path_Reset(); // the program empties its tables at shut-down; a test does it itself
}

TEST(PathTable, MalformedRecordsAreRefusedWithALogLine)
{
    GameFile file;
    CapturedLog log;
    const std::vector<uint8_t> good = HandWrittenChunk();
    auto size = uint32_t(good.size());
    // Each line names the path, where its record lies, and what lies outside the file.
    const EntryRefusal path("PATH", "path 0", RECORD, size), cut("PATH", "path 0", size - 8, size);
    struct { size_t at; uint32_t value; std::string line; } cases[] = {
        {4, size - 8, cut.Past("its record", size - 8, 20)}, // a record cut off by the end
        {RECORD, size + 100, path.Outside("its name", size + 100)},
        {RECORD + 16, 0x7FFFFFFFu, path.Past("its list of 2147483647 points", RECORD + 20, 25769803764)},
        {RECORD + 16, 0xFFFFFFFFu, path.Past("its list of -1 points", RECORD + 20, 51539607540)},
        {0, 0x40000000u, "PATH: the count table at file offset 0: the pointer list of its 1073741824 entries at file "
                         "offset 4 (4294967296 bytes) runs past the end of its chunk (* bytes at file offset 0)"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, c.at, c.value);
        log.Clear();
        EXPECT_FALSE(Load(file, bytes)) << c.line;
        EXPECT_TRUE(testsupport::HasLine(log.Text(), c.line)) << c.line << "\n" << log.Text();
    }
}

} // namespace
