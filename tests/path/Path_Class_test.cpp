// Paths: the interpolated list (straight and smoothed), places along it, the edits, and the line
// strip drawing queues.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../graphics/Graphics_DrawCapture.h"
#include "path/Path_Class.h"

namespace {

void Fill(CPath& path, int32_t kind, bool closed, int32_t precision, const std::vector<PathPoint>& points)
{
    path.SetFromFile(kind, closed, precision, points);
}

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

TEST(PathGeometry, StraightPathsHaveTheirLengthAndPlaces)
{
    CPath path;
    Fill(path, 0, false, 4, LEG);
    EXPECT_EQ(50.0f, path.GetLength());
    EXPECT_EQ(50.0f, path.Interpolated().back().l);
    EXPECT_EQ("15,20,75", Place(path, 0.5f));
    EXPECT_EQ("30,40,50", Place(path, 1.5f));
    EXPECT_EQ("0,0,100", Place(path, -0.2f));
    path.SetClosed(true);
    ASSERT_EQ(3u, path.Interpolated().size());
    EXPECT_EQ(100.0f, path.GetLength());
    EXPECT_EQ("0,0,100", Place(path, 1.0f));
}

TEST(PathGeometry, SmoothingMakesCurvesAtTheCornersUpToTheClampedDepth)
{
    CPath path;
    Fill(path, 1, true, 4, SQUARE);
    // Four corners of 15 points each (every leg is longer than 4 pixels down to depth 4), then the
    // first point again.
    const std::vector<PathInterpolated>& list = path.Interpolated();
    ASSERT_EQ(61u, list.size());
    EXPECT_EQ(list.front().x, list.back().x);
    EXPECT_EQ(list.front().y, list.back().y);
    EXPECT_EQ(87.5f, list[7].x); // the middle of the curve round the corner (100, 0)
    EXPECT_EQ(12.5f, list[7].y);

    struct Case {
        bool closed;
        int32_t precision;
        size_t points;
    } cases[] = {{false, 0, 2}, {true, 0, 0}, {true, -5, 0}, {true, 1000, 125}, {true, 8, 125}};
    for (const Case& c : cases) {
        Fill(path, 1, c.closed, c.precision, SQUARE);
        EXPECT_EQ(c.points, path.Interpolated().size()) << c.precision;
        EXPECT_EQ(c.precision, path.GetPrecision()); // the file's value as stored
    }
    Fill(path, 1, true, 0, SQUARE);
    EXPECT_EQ(0.0f, path.GetLength());
    EXPECT_EQ("0,0,100", Place(path, 0.5f));
    // An open path of two points gets no curve at all.
    Fill(path, 1, false, 4, LEG);
    EXPECT_EQ(2u, path.Interpolated().size());
}

TEST(PathGeometry, EditsKeepTheirBoundsAndRebuild)
{
    CPath path;
    struct Case {
        int32_t set;
        int32_t kind, precision;
    } cases[] = {{5, 0, 5}, {-1, 0, 0}, {1, 1, 1}, {12, 0, 8}, {-3, 0, 0}};
    for (const Case& c : cases) {
        path.SetKind(c.set);
        path.SetPrecision(c.set);
        EXPECT_EQ(c.kind, path.GetKind()) << c.set;
        EXPECT_EQ(c.precision, path.GetPrecision()) << c.set;
    }
    path.SetKind(0);
    path.AddPoint(1, 2, 3);
    path.InsertPoint(1, 4, 5, 6);  // at the count: appended
    path.InsertPoint(3, 7, 8, 9);  // past the count: nothing
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

    Fill(path, 0, false, 4, {{0, 0, 1}, {10, 0, 1}});
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
    struct Case {
        float length;
        size_t vertices;
    } cases[] = {{2, 0}, {6, 3}, {10, 3}, {100, 26}, {40000, 1001}}; // steps rounded half to even
    for (const Case& c : cases) {
        Fill(path, 0, false, 4, {{0, 0, 100}, {c.length, 0, 100}});
        path.Draw(0, 0, true);
        std::vector<capture::Drawn> drawn = capture::Draws();
        ASSERT_EQ(c.vertices == 0 ? 0u : 1u, drawn.size()) << c.length;
        if (drawn.empty()) continue;
        EXPECT_EQ(D3DPT_LINESTRIP, drawn[0].type);
        EXPECT_EQ(c.vertices, drawn[0].Count()) << c.length;
    }
    // Moved so that it starts at the place given, or where it lies.
    Fill(path, 0, false, 4, {{10, 20, 100}, {110, 20, 100}});
    struct Start { bool absolute; float x, y; } starts[] = {{false, 50, 60}, {true, 60, 80}};
    for (const Start& s : starts) {
        path.Draw(50, 60, s.absolute);
        std::vector<capture::Drawn> drawn = capture::Draws();
        ASSERT_EQ(1u, drawn.size());
        EXPECT_NEAR(s.x, drawn[0].v[0].x, 0.6) << s.absolute;
        EXPECT_NEAR(s.y, drawn[0].v[0].y, 0.6) << s.absolute;
    }
}

} // namespace
