// Motion grids: the table, cell and rectangle edits (also near the 32-bit limits), the breadth-first
// path search into a path of the path table, and the drawing of a grid on the recording device.
#include <climits>
#include <string>
#include <vector>

#include "../graphics/Graphics_DrawCapture.h"
#include "../instance/Instance_TestSupport.h"
#include "motion/Motion_Grid.h"
#include "path/Path_Table.h"

namespace {

struct Point {
    float x, y;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

std::vector<Point> Points(int32_t path)
{
    std::vector<Point> points;
    const CPath* p = Path_Data(path);
    for (int32_t i = 0; i < p->GetNumber(); ++i) points.push_back({p->GetPoint(i).x, p->GetPoint(i).y});
    return points;
}

std::string Text(const std::vector<Point>& points)
{
    std::string text;
    for (const Point& p : points) text += "(" + std::to_string(int64_t(p.x)) + "," + std::to_string(int64_t(p.y)) + ")";
    return text;
}

// A grid at (0, 0) with cells of 10 x 10, one string per row, '#' forbidden.
int32_t GridOf(const std::vector<std::string>& rows)
{
    int32_t grid = CGrid_Create(0, 0, int32_t(rows[0].size()), int32_t(rows.size()), 10, 10);
    for (size_t v = 0; v < rows.size(); ++v)
        for (size_t h = 0; h < rows[v].size(); ++h)
            if (rows[v][h] == '#') CGrid_AddCell(grid, int32_t(h), int32_t(v));
    return grid;
}

// The grid's cells back as rows, '#' forbidden, '.' free, '?' anything else.
std::vector<std::string> Rows(int32_t index)
{
    const CGrid* grid = CGrid_Data(index);
    std::vector<std::string> rows(size_t(grid->m_VCells), std::string(size_t(grid->m_HCells), '?'));
    for (int32_t h = 0; h < grid->m_HCells; ++h)
        for (int32_t v = 0; v < grid->m_VCells; ++v) {
            int32_t cell = grid->m_pCells[h * grid->m_VCells + v];
            rows[size_t(v)][size_t(h)] = cell == GRID_CELL_FORBIDDEN ? '#' : cell == GRID_CELL_FREE ? '.' : '?';
        }
    return rows;
}

class MotionGrid : public InstanceTest {
protected:
    void SetUp() override
    {
        InstanceTest::SetUp();
        CGrid_DestroyAll();
        Path_Reset();
        path = Path_Add();
    }
    void TearDown() override
    {
        CGrid_DestroyAll();
        Path_Reset();
        InstanceTest::TearDown();
    }
    int32_t path = -1;
    TestSprites sprites;
};

} // namespace

TEST_F(MotionGrid, CreationRefusesCountsThatAreNotPositiveOrTooManyAndReusesSlots)
{
    struct Case {
        int32_t hcells, vcells;
        bool made;
    } cases[] = {{0, 5, false},          {5, 0, false},          {-3, 5, false},       {5, -1, false},
                 {4096, 4097, false},    {65536, 65536, false} /* 2^32 wraps to 0 in 32 bits */,
                 {INT_MAX, INT_MAX, false} /* wraps to 1 */,     {1, 1, true},         {4096, 4096, true}};
    for (const Case& c : cases) {
        int32_t grid = CGrid_Create(0, 0, c.hcells, c.vcells, 1, 1);
        EXPECT_EQ(c.made, grid >= 0) << c.hcells << " x " << c.vcells;
        CGrid_Destroy(grid);
    }
    EXPECT_EQ(0, CGrid_Create(0, 0, 1, 1, 1, 1)) << "the emptied slot is taken again";
    EXPECT_EQ(1, CGrid_Create(0, 0, 1, 1, 1, 1));
    EXPECT_EQ(2, CGrid_Create(0, 0, 1, 1, 1, 1));
    CGrid_Destroy(1);
    CGrid_Destroy(1);
    CGrid_Destroy(-1);
    CGrid_Destroy(99);
    EXPECT_EQ(nullptr, CGrid_Data(1));
    EXPECT_EQ(1, CGrid_Create(0, 0, 1, 1, 1, 1));
    EXPECT_EQ(3, CGrid_Create(0, 0, 1, 1, 1, 1));
}

TEST_F(MotionGrid, CellAndRectangleEditsAreClippedToTheGrid)
{
    // 4 columns and 3 rows of 8 x 8 from (10, 20): x 10..41, y 20..43.
    enum Op { ADD_CELL, CLEAR_CELL, ADD_RECT, CLEAR_RECT, CLEAR_ALL };
    struct Case {
        Op op;
        int32_t a, b, c, d;
        std::vector<std::string> rows; // after the edit, on a grid whose middle row is forbidden
    } cases[] = {
        {ADD_CELL, 3, 2, 0, 0, {"....", "####", "...#"}},
        {ADD_CELL, 4, 0, 0, 0, {"....", "####", "...."}},  // column out of range
        {ADD_CELL, 0, -1, 0, 0, {"....", "####", "...."}}, // row out of range
        {CLEAR_CELL, 1, 1, 0, 0, {"....", "#.##", "...."}},
        {ADD_RECT, 18, 20, 33, 27, {".##.", "####", "...."}},
        {ADD_RECT, 33, 27, 18, 20, {".##.", "####", "...."}}, // corners the other way round
        {ADD_RECT, 33, 20, 18, 27, {".##.", "####", "...."}},
        {ADD_RECT, -100, 40, 12, 1000, {"....", "####", "#..."}}, // partly outside
        {ADD_RECT, 42, 0, 1000, 1000, {"....", "####", "...."}},  // wholly to the right
        {ADD_RECT, INT_MIN, INT_MIN, INT_MAX, INT_MAX, {"####", "####", "####"}},
        {CLEAR_RECT, 26, 0, 1000, 30, {"....", "##..", "...."}},
        {CLEAR_ALL, 0, 0, 0, 0, {"....", "....", "...."}},
    };
    for (const Case& c : cases) {
        int32_t grid = CGrid_Create(10, 20, 4, 3, 8, 8);
        CGrid_AddRectangle(grid, 10, 28, 41, 35);
        switch (c.op) {
        case ADD_CELL: CGrid_AddCell(grid, c.a, c.b); break;
        case CLEAR_CELL: CGrid_ClearCell(grid, c.a, c.b); break;
        case ADD_RECT: CGrid_AddRectangle(grid, c.a, c.b, c.c, c.d); break;
        case CLEAR_RECT: CGrid_ClearRectangle(grid, c.a, c.b, c.c, c.d); break;
        case CLEAR_ALL: CGrid_ClearAll(grid); break;
        }
        EXPECT_EQ(c.rows, Rows(grid)) << c.op << " " << c.a << " " << c.b << " " << c.c << " " << c.d;
        CGrid_Destroy(grid);
    }
}

TEST_F(MotionGrid, CellSizesThatAreNotPositiveAreRefusedWhereTheyWouldDivide)
{
    sprites.Add(0, {0, 0, 15, 15}, 0, 0);
    CInstance* instance = Make(0, 0, 100001);
    instance->SetSpriteIndex(0);
    for (auto [width, height] : {std::pair{0, 10}, {10, 0}, {-10, 10}, {10, -10}}) {
        int32_t grid = CGrid_Create(0, 0, 3, 3, width, height);
        ASSERT_GE(grid, 0);
        CGrid_AddRectangle(grid, -100, -100, 100, 100);
        CGrid_AddInstances(grid, instance, false);
        CGrid_AddInstances(grid, instance, true);
        EXPECT_EQ(std::vector<std::string>(3, "..."), Rows(grid)) << width << " x " << height;
        CGrid_AddCell(grid, 1, 1);
        CGrid_ClearRectangle(grid, -100, -100, 100, 100);
        EXPECT_EQ('#', Rows(grid)[1][1]);
        EXPECT_FALSE(CGrid_Path(grid, path, 0, 0, 0, 0, true));
        CGrid_Destroy(grid);
    }
}

TEST_F(MotionGrid, InstancesForbidTheCellsUnderTheirBoxOrUnderTheirShape)
{
    sprites.Add(0, {0, 0, 15, 15}, 0, 0);
    TestSprite& holed = sprites.Add(1, {0, 0, 15, 15}, 0, 0, 1, 1); // solid only at pixels 6..9
    holed.width = 16;
    holed.mask.assign(256, 0);
    for (int32_t y = 6; y <= 9; ++y)
        for (int32_t x = 6; x <= 9; ++x) holed.mask[size_t(y * 16 + x)] = 1;
    struct Case {
        float x, y;
        int32_t sprite;
        bool precise;
        std::vector<std::string> rows; // on 5 x 5 cells of 8 whose cell (4, 0) is already forbidden
    } cases[] = {
        {12, 12, 0, false, {"....#", ".###.", ".###.", ".###.", "....."}},
        {12, 12, 1, true, {"....#", ".....", "..#..", ".....", "....."}}, // pixels 18..21
        {12, 12, 1, false, {"....#", ".###.", ".###.", ".###.", "....."}},
        {-8, 30, 0, false, {"....#", ".....", ".....", "#....", "#...."}},  // clipped at the left
        {35, -20, -1, false, {"....#", ".....", ".....", ".....", "....."}}, // no sprite: a point outside
        {35, 3, -1, false, {"....#", ".....", ".....", ".....", "....."}},
        {20, 20, -1, false, {"....#", ".....", "..#..", ".....", "....."}},
    };
    for (const Case& c : cases) {
        int32_t grid = CGrid_Create(0, 0, 5, 5, 8, 8);
        CGrid_AddCell(grid, 4, 0);
        CInstance* instance = Make(c.x, c.y, 100001);
        instance->SetSpriteIndex(c.sprite);
        CGrid_AddInstances(grid, instance, c.precise);
        EXPECT_EQ(c.rows, Rows(grid)) << c.x << "," << c.y << " sprite " << c.sprite;
        Instance_RemoveFromHash(instance);
        Forget(instance);
        delete instance;
        CGrid_Destroy(grid);
    }
}

TEST_F(MotionGrid, SearchFindsTheShortestWayPreferringLeftRightUpDownWithoutCuttingCorners)
{
    const std::vector<std::string> open = {"...", "...", "..."};
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        int32_t xs, ys, xg, yg;
        bool diagonal;
        const char* points; // empty: no path, and the path is left as it was
    } cases[] = {
        {"one cell", open, 3, 4, 7, 8, false, "(3,4)(7,8)"},
        {"ties: left first", open, 5, 5, 25, 25, false, "(5,5)(5,15)(5,25)(15,25)(25,25)"},
        {"ties: right, then down", open, 25, 25, 5, 5, false, "(25,25)(25,15)(25,5)(15,5)(5,5)"},
        {"diagonal", open, 5, 5, 25, 25, true, "(5,5)(15,15)(25,25)"},
        {"no corner cut", {".#.", "...", "..."}, 5, 5, 15, 15, true, "(5,5)(5,15)(15,15)"},
        {"round a wall", {".#.", ".#.", "..."}, 2, 2, 28, 1, false, "(2,2)(5,15)(5,25)(15,25)(25,25)(25,15)(28,1)"},
        {"walled in", {".#.", "##.", "..."}, 5, 5, 25, 25, true, ""},
        {"forbidden goal", {"...", "...", "..#"}, 5, 5, 25, 25, true, ""},
        {"forbidden start", {"#..", "...", "..."}, 5, 5, 25, 25, true, ""},
        {"start outside", open, -1, 5, 25, 25, true, ""},
        {"goal outside", open, 5, 5, 30, 25, true, ""},
        {"goal outside below", open, 5, 5, 5, 30, true, ""},
    };
    for (const Case& c : cases) {
        int32_t grid = GridOf(c.rows);
        Path_Data(path)->SetFromFile(1, true, 4, {{7, 7, 50}});
        bool found = CGrid_Path(grid, path, c.xs, c.ys, c.xg, c.yg, c.diagonal);
        EXPECT_EQ(*c.points != '\0', found) << c.what;
        EXPECT_EQ(found ? c.points : "(7,7)", Text(Points(path))) << c.what;
        const CPath* p = Path_Data(path);
        EXPECT_EQ(found ? 0 : 1, p->GetKind()) << c.what;
        EXPECT_EQ(!found, p->GetClosed()) << c.what;
        EXPECT_EQ(found ? 100.0f : 50.0f, p->GetPoint(0).speed) << c.what;
        EXPECT_EQ(c.rows, Rows(grid)) << c.what << ": no marks are left";
        CGrid_Destroy(grid);
    }
    EXPECT_FALSE(CGrid_Path(0, path, 5, 5, 5, 5, false)) << "no grid";
    int32_t grid = GridOf(open);
    EXPECT_FALSE(CGrid_Path(grid, path + 1, 5, 5, 5, 5, false)) << "no path";
}

// The walk back from the goal takes the first neighbour one step nearer the start; a diagonal one
// only when neither cell beside the step is forbidden. Here the first lower neighbour of (3, 3) is
// (2, 4), past the forbidden (3, 4), while the search reached (3, 3) from (2, 2).
TEST_F(MotionGrid, TheWalkBackNeverStepsDiagonallyPastAForbiddenCell)
{
    int32_t grid = GridOf({"#.##.", "##.#.", ".....", ".#...", "...#."});
    ASSERT_TRUE(CGrid_Path(grid, path, 5, 35, 45, 45, true));
    std::vector<Point> points = Points(path);
    EXPECT_EQ("(5,35)(5,25)(15,25)(25,25)(35,35)(45,35)(45,45)", Text(points));
    const std::vector<std::string> rows = Rows(grid);
    for (size_t i = 1; i < points.size(); ++i) {
        int32_t h0 = int32_t(points[i - 1].x) / 10, v0 = int32_t(points[i - 1].y) / 10;
        int32_t h1 = int32_t(points[i].x) / 10, v1 = int32_t(points[i].y) / 10;
        ASSERT_LE(std::abs(h1 - h0), 1);
        ASSERT_LE(std::abs(v1 - v0), 1);
        EXPECT_EQ('.', rows[size_t(v0)][size_t(h1)]) << "step " << i;
        EXPECT_EQ('.', rows[size_t(v1)][size_t(h0)]) << "step " << i;
    }
}

TEST_F(MotionGrid, TheSharedQueueWrapsAndDoublesKeepingItsOrder)
{
    // 10000 cells pass through the 4096-slot ring; the way is the straight diagonal.
    int32_t grid = CGrid_Create(0, 0, 100, 100, 2, 2);
    ASSERT_TRUE(CGrid_Path(grid, path, 0, 0, 199, 199, false));
    EXPECT_EQ(GRID_QUEUE_START, CGrid_SearchQueueCapacity());
    EXPECT_EQ(199, Path_Data(path)->GetNumber()); // start, 197 centres, goal
    EXPECT_EQ("(0,0)(1,3)", Text(Points(path)).substr(0, 10)) << "left first: down the first column";
    ASSERT_TRUE(CGrid_Path(grid, path, 0, 0, 199, 199, true));
    EXPECT_EQ(100, Path_Data(path)->GetNumber());
    CGrid_Destroy(grid);
    // From the middle of a wide open grid, with diagonals, the ring of cells at one distance
    // outgrows 4096.
    grid = CGrid_Create(0, 0, 1201, 1201, 1, 1);
    ASSERT_TRUE(CGrid_Path(grid, path, 600, 600, 0, 1200, true));
    EXPECT_EQ(2 * GRID_QUEUE_START, CGrid_SearchQueueCapacity());
    EXPECT_EQ(600 + 1, Path_Data(path)->GetNumber());
    const CGrid* g = CGrid_Data(grid);
    EXPECT_EQ(g->m_pCells + g->m_CellCount, std::find_if(g->m_pCells, g->m_pCells + g->m_CellCount,
                                                         [](int32_t cell) { return cell != GRID_CELL_FREE; }));
}

TEST_F(MotionGrid, CoordinatesNearThe32BitLimitsDoNotWrap)
{
    // Columns reach past INT_MAX: the last one starts at INT_MAX - 9.
    int32_t grid = CGrid_Create(INT_MAX - 99, INT_MIN, 10, 10, 10, 10);
    CGrid_AddRectangle(grid, INT_MAX, INT_MIN, INT_MAX, INT_MIN);
    CGrid_AddRectangle(grid, INT_MIN, INT_MAX, INT_MIN, INT_MAX); // wholly outside
    std::vector<std::string> rows(10, "..........");
    rows[0][9] = '#';
    EXPECT_EQ(rows, Rows(grid));
    EXPECT_TRUE(CGrid_Path(grid, path, INT_MAX - 99, INT_MIN, INT_MAX - 1, INT_MIN + 99, false));
    EXPECT_TRUE(CGrid_Path(grid, path, INT_MAX - 99, INT_MIN, INT_MAX, INT_MIN + 50, false)) << "the last column";
    EXPECT_FALSE(CGrid_Path(grid, path, INT_MAX - 99, INT_MIN, INT_MAX, INT_MIN + 9, false)) << "forbidden";
    EXPECT_FALSE(CGrid_Path(grid, path, INT_MAX - 100, INT_MIN, INT_MAX - 1, INT_MIN + 99, false)) << "outside";
    CGrid_ClearAll(grid);
    CGrid_AddRectangle(grid, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(std::vector<std::string>(10, "##########"), Rows(grid));
}

class MotionGridDraw : public capture::DrawTest {
protected:
    void TearDown() override
    {
        CGrid_DestroyAll();
        Path_Reset();
        capture::DrawTest::TearDown();
    }
};

TEST_F(MotionGridDraw, ARectanglePerCellRedWhenForbiddenGreenWhenFreeAndNoSearchMarks)
{
    Path_Reset();
    int32_t path = Path_Add();
    int32_t grid = CGrid_Create(4, 6, 3, 2, 10, 20);
    CGrid_AddCell(grid, 1, 0);
    ASSERT_TRUE(CGrid_Path(grid, path, 4, 6, 33, 6, true));
    GR_Draw_SetAlpha(0.5);
    CGrid_Draw(grid);
    CGrid_Draw(grid + 1);
    std::vector<capture::Drawn> drawn = capture::Draws();
    std::vector<TexturedVertex> corners;
    for (const capture::Drawn& d : drawn)
        for (const TexturedVertex& v : d.v) corners.push_back(v);
    ASSERT_EQ(6u * 5u, corners.size()) << "a fan of 5 vertices per cell";
    const uint32_t green = 0x7F008000u, red = 0x7FFF0000u; // alpha 0.5 as a byte
    // Column by column: (0,0) (0,1) (1,0) (1,1) (2,0) (2,1).
    const uint32_t colours[6] = {green, green, red, green, green, green};
    for (size_t cell = 0; cell < 6; ++cell) {
        float left = 4.0f + 10.0f * float(cell / 2), top = 6.0f + 20.0f * float(cell % 2);
        for (size_t i = 0; i < 5; ++i) EXPECT_EQ(colours[cell], corners[cell * 5 + i].colour) << cell;
        EXPECT_NEAR(left, corners[cell * 5].x, 0.6) << cell;
        EXPECT_NEAR(top, corners[cell * 5].y, 0.6) << cell;
        EXPECT_NEAR(left + 10.0f, corners[cell * 5 + 2].x, 0.6) << cell;
        EXPECT_NEAR(top + 20.0f, corners[cell * 5 + 2].y, 0.6) << cell;
    }
}
