// Motion grids: the table, cell and rectangle edits (also near the 32-bit limits), and the
// breadth-first search into a path of the path table. Zero and negative cell sizes are the fuzz
// corpus's.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "motion/Motion_Grid.h"
#include "path/Path_Table.h"

namespace {

using Rows = std::vector<std::string>; // one string per row, '#' forbidden, '.' free

// The path's points as "(x,y)" in whole numbers.
std::string Points(int32_t path)
{
    std::string text;
    const CPath* p = Path_Data(path);
    for (int32_t i = 0; i < p->GetNumber(); ++i)
        text += "(" + std::to_string(int64_t(p->GetPoint(i).x)) + "," + std::to_string(int64_t(p->GetPoint(i).y)) + ")";
    return text;
}

// A grid at (0, 0) with cells of 10 x 10.
int32_t GridOf(const Rows& rows)
{
    int32_t grid = CGrid_Create(0, 0, int32_t(rows[0].size()), int32_t(rows.size()), 10, 10);
    for (size_t v = 0; v < rows.size(); ++v)
        for (size_t h = 0; h < rows[v].size(); ++h)
            if (rows[v][h] == '#') CGrid_AddCell(grid, int32_t(h), int32_t(v));
    return grid;
}

// The cells back as rows; '?' for a value that is neither free nor forbidden (a search mark).
Rows CellsOf(int32_t index)
{
    const CGrid* grid = CGrid_Data(index);
    Rows rows(size_t(grid->m_VCells), std::string(size_t(grid->m_HCells), '?'));
    for (int32_t h = 0; h < grid->m_HCells; ++h)
        for (int32_t v = 0; v < grid->m_VCells; ++v) {
            int32_t cell = grid->m_pCells[h * grid->m_VCells + v];
            rows[size_t(v)][size_t(h)] = cell == GRID_CELL_FORBIDDEN ? '#' : cell == GRID_CELL_FREE ? '.' : '?';
        }
    return rows;
}

class MotionGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        CGrid_DestroyAll();
        Path_Reset();
        path = Path_Add();
    }
    void TearDown() override
    {
        CGrid_DestroyAll();
        Path_Reset();
    }
    int32_t path = -1;
};

} // namespace

TEST_F(MotionGrid, CreationRefusesCountsThatAreNotPositiveOrTooManyAndReusesSlots)
{
    // 65536 x 65536 wraps to 0 in 32 bits, INT_MAX x INT_MAX to 1.
    for (auto [h, v] : {std::pair{0, 5}, {5, -1}, {4096, 4097}, {65536, 65536}, {INT_MAX, INT_MAX}})
        EXPECT_EQ(-1, CGrid_Create(0, 0, h, v, 1, 1)) << h << " x " << v;
    EXPECT_EQ(0, CGrid_Create(0, 0, 4096, 4096, 1, 1));
    EXPECT_EQ(1, CGrid_Create(0, 0, 1, 1, 1, 1));
    CGrid_Destroy(0);
    CGrid_Destroy(99);
    EXPECT_EQ(0, CGrid_Create(0, 0, 1, 1, 1, 1)) << "the emptied slot is taken again";
}

TEST_F(MotionGrid, CellAndRectangleEditsAreClippedToTheGrid)
{
    // 4 x 3 cells of 8 from (10, 20), whose middle row is forbidden first. Rectangles with four
    // corners; cells with two; no corners clears all.
    using Edit = void (*)(int32_t, int32_t, int32_t, int32_t, int32_t);
    Edit addCell = [](int32_t g, int32_t a, int32_t b, int32_t, int32_t) { CGrid_AddCell(g, a, b); };
    struct { Edit edit; std::vector<int32_t> at; Rows rows; } cases[] = {
        {addCell, {3, 2, 0, 0}, {"....", "####", "...#"}},
        {addCell, {4, 0, 0, 0}, {"....", "####", "...."}},
        {[](int32_t g, int32_t a, int32_t b, int32_t, int32_t) { CGrid_ClearCell(g, a, b); }, {1, 1, 0, 0}, {"....", "#.##", "...."}},
        {CGrid_AddRectangle, {33, 27, 18, 20}, {".##.", "####", "...."}},     // corners the other way round
        {CGrid_AddRectangle, {-100, 40, 12, 1000}, {"....", "####", "#..."}}, // partly outside
        {CGrid_AddRectangle, {42, 0, 1000, 1000}, {"....", "####", "...."}},  // wholly outside
        {CGrid_AddRectangle, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {"####", "####", "####"}},
        {CGrid_ClearRectangle, {26, 0, 1000, 30}, {"....", "##..", "...."}},
        {[](int32_t g, int32_t, int32_t, int32_t, int32_t) { CGrid_ClearAll(g); }, {0, 0, 0, 0}, {"....", "....", "...."}},
    };
    for (const auto& c : cases) {
        int32_t grid = CGrid_Create(10, 20, 4, 3, 8, 8);
        CGrid_AddRectangle(grid, 10, 28, 41, 35);
        c.edit(grid, c.at[0], c.at[1], c.at[2], c.at[3]);
        EXPECT_EQ(c.rows, CellsOf(grid)) << &c - cases;
    }
}

TEST_F(MotionGrid, SearchFindsTheShortestWayPreferringLeftRightUpDownWithoutCuttingCorners)
{
    const Rows open = {"...", "...", "..."};
    // No points: not found, and the path is left as it was.
    struct { Rows rows; int32_t xs, ys, xg, yg; bool diagonal; const char* points; } cases[] = {
        {open, 3, 4, 7, 8, false, "(3,4)(7,8)"}, // one cell: the two points
        {open, 5, 5, 25, 25, false, "(5,5)(5,15)(5,25)(15,25)(25,25)"},
        {open, 25, 25, 5, 5, false, "(25,25)(25,15)(25,5)(15,5)(5,5)"},
        {open, 5, 5, 25, 25, true, "(5,5)(15,15)(25,25)"},
        {{".#.", "...", "..."}, 5, 5, 15, 15, true, "(5,5)(5,15)(15,15)"}, // no corner cut
        {{".#.", ".#.", "..."}, 2, 2, 28, 1, false, "(2,2)(5,15)(5,25)(15,25)(25,25)(25,15)(28,1)"},
        {{".#.", "##.", "..."}, 5, 5, 25, 25, true, ""},
        {{"...", "...", "..#"}, 5, 5, 25, 25, true, ""}, // forbidden goal
        {open, -1, 5, 25, 25, true, ""},
        // The first lower neighbour of (3, 3) walking back is (2, 4), diagonally past the forbidden
        // (3, 4); the walk must take (2, 2), whence the search came.
        {{"#.##.", "##.#.", ".....", ".#...", "...#."}, 5, 35, 45, 45, true,
         "(5,35)(5,25)(15,25)(25,25)(35,35)(45,35)(45,45)"},
    };
    for (const auto& c : cases) {
        int32_t grid = GridOf(c.rows);
        Path_Data(path)->SetFromFile(1, true, 4, {{7, 7, 50}});
        bool found = CGrid_Path(grid, path, c.xs, c.ys, c.xg, c.yg, c.diagonal);
        EXPECT_EQ(*c.points != '\0', found) << c.points;
        EXPECT_EQ(found ? c.points : "(7,7)", Points(path));
        const CPath* p = Path_Data(path);
        EXPECT_EQ(!found, p->GetKind() == 1 && p->GetClosed() && p->GetPoint(0).speed == 50.0f) << c.points;
        EXPECT_EQ(c.rows, CellsOf(grid)) << c.points << ": no marks are left";
    }
    EXPECT_FALSE(CGrid_Path(GridOf(open), path + 1, 5, 5, 5, 5, false)) << "no path";
}

TEST_F(MotionGrid, TheSharedQueueWrapsAndDoublesKeepingItsOrder)
{
    // 10000 cells pass through the 4096 slots.
    ASSERT_TRUE(CGrid_Path(CGrid_Create(0, 0, 100, 100, 2, 2), path, 0, 0, 199, 199, false));
    EXPECT_EQ(GRID_QUEUE_START, CGrid_SearchQueueCapacity());
    EXPECT_EQ("(0,0)(1,3)", Points(path).substr(0, 10)) << "left first, walking back: down the first column";
    // From the middle of a wide open grid, with diagonals, one distance's ring outgrows 4096.
    int32_t grid = CGrid_Create(0, 0, 1201, 1201, 1, 1);
    ASSERT_TRUE(CGrid_Path(grid, path, 600, 600, 0, 1200, true));
    EXPECT_EQ(2 * GRID_QUEUE_START, CGrid_SearchQueueCapacity());
    EXPECT_EQ(601, Path_Data(path)->GetNumber());
    EXPECT_EQ(Rows(1201, std::string(1201, '.')), CellsOf(grid));
}
