// The grid path search: breadth-first from the start cell, the cell values doubling as visit marks
// and distances, over one queue that the whole program shares and that only grows.
#include <vector>

#include "motion/Motion_Grid.h"
#include "motion/Motion_GridCells.h"
#include "path/Path_Table.h"

namespace {

constexpr float POINT_SPEED = 100.0f;

// A ring of 32-bit cell indices (a grid holds at most 2^24 cells) whose capacity is a power of two; a push into a full ring doubles it with
// the contents kept in order.
struct GridSearchQueue {
    std::vector<int32_t> ring;
    size_t head = 0;
    size_t tail = 0;
    size_t count = 0;

    void Reset()
    {
        if (ring.empty()) ring.resize(GRID_QUEUE_START);
        head = tail = count = 0;
    }
    void Push(int32_t cell)
    {
        if (count == ring.size()) Grow();
        ring[tail] = cell;
        tail = (tail + 1) & (ring.size() - 1);
        ++count;
    }
    int32_t Pop()
    {
        int32_t cell = ring[head];
        head = (head + 1) & (ring.size() - 1);
        --count;
        return cell;
    }
    void Grow()
    {
        std::vector<int32_t> bigger(ring.size() * 2);
        for (size_t i = 0; i < count; ++i) bigger[i] = ring[(head + i) & (ring.size() - 1)];
        ring.swap(bigger);
        head = 0;
        tail = count;
    }
};

GridSearchQueue g_Queue;

struct Step {
    int32_t dh;
    int32_t dv;
};

// Orthogonal neighbours in the order the search pushes them and the walk back tries them.
constexpr Step ORTHOGONAL[4] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
constexpr Step SEARCH_DIAGONAL[4] = {{-1, 1}, {-1, -1}, {1, 1}, {1, -1}};
constexpr Step WALK_DIAGONAL[4] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};

int32_t* CellAt(CGrid* grid, int64_t h, int64_t v)
{
    return GridCell_Inside(grid, h, v) ? &grid->m_pCells[GridCell_Index(grid, h, v)] : nullptr;
}

bool IsOpen(CGrid* grid, int64_t h, int64_t v)
{
    const int32_t* cell = CellAt(grid, h, v);
    return cell != nullptr && *cell == GRID_CELL_FREE;
}

bool IsForbidden(CGrid* grid, int64_t h, int64_t v)
{
    const int32_t* cell = CellAt(grid, h, v);
    return cell != nullptr && *cell == GRID_CELL_FORBIDDEN;
}

// A point's cell, when the point lies in the grid and the cell is not forbidden.
bool UsableCell(CGrid* grid, int64_t x, int64_t y, int64_t* h, int64_t* v)
{
    if (x < grid->m_Left || x >= grid->m_Left + int64_t(grid->m_HCells) * grid->m_CellWidth) return false;
    if (y < grid->m_Top || y >= grid->m_Top + int64_t(grid->m_VCells) * grid->m_CellHeight) return false;
    *h = (x - grid->m_Left) / grid->m_CellWidth;
    *v = (y - grid->m_Top) / grid->m_CellHeight;
    return !IsForbidden(grid, *h, *v);
}

// Marks and queues the cell with the distance value n.
void Visit(CGrid* grid, int64_t h, int64_t v, int32_t n)
{
    *CellAt(grid, h, v) = n;
    g_Queue.Push(int32_t(GridCell_Index(grid, h, v)));
}

// Expands one cell. A diagonal neighbour counts only when both orthogonal cells beside the move were
// open before this expansion, so that no corner is cut.
void Expand(CGrid* grid, int64_t h, int64_t v, bool allowDiagonal)
{
    int32_t n = *CellAt(grid, h, v) + 1;
    bool open[4];
    for (int32_t i = 0; i < 4; ++i) open[i] = IsOpen(grid, h + ORTHOGONAL[i].dh, v + ORTHOGONAL[i].dv);
    for (int32_t i = 0; i < 4; ++i)
        if (open[i]) Visit(grid, h + ORTHOGONAL[i].dh, v + ORTHOGONAL[i].dv, n);
    if (!allowDiagonal) return;
    for (const Step& d : SEARCH_DIAGONAL) {
        bool besideOpen = open[d.dh < 0 ? 0 : 1] && open[d.dv < 0 ? 2 : 3];
        if (besideOpen && IsOpen(grid, h + d.dh, v + d.dv)) Visit(grid, h + d.dh, v + d.dv, n);
    }
}

bool Search(CGrid* grid, int64_t hs, int64_t vs, int64_t hg, int64_t vg, bool allowDiagonal)
{
    Visit(grid, hs, vs, 1);
    while (g_Queue.count > 0) {
        int32_t index = g_Queue.Pop();
        int64_t h = index / grid->m_VCells;
        int64_t v = index % grid->m_VCells;
        if (h == hg && v == vg) return true;
        Expand(grid, h, v, allowDiagonal);
    }
    return false;
}

// The neighbour one step nearer the start. A diagonal step is taken only when neither orthogonal
// cell beside it is forbidden: the first lower neighbour need not be the one the search came from,
// and a diagonal past a forbidden cell would cut its corner. The cell the search came from always
// qualifies.
bool StepBack(CGrid* grid, int64_t* h, int64_t* v, bool allowDiagonal)
{
    int32_t wanted = *CellAt(grid, *h, *v) - 1;
    for (const Step& s : ORTHOGONAL) {
        const int32_t* cell = CellAt(grid, *h + s.dh, *v + s.dv);
        if (cell == nullptr || *cell != wanted) continue;
        *h += s.dh;
        *v += s.dv;
        return true;
    }
    if (!allowDiagonal) return false;
    for (const Step& d : WALK_DIAGONAL) {
        const int32_t* cell = CellAt(grid, *h + d.dh, *v + d.dv);
        if (cell == nullptr || *cell != wanted) continue;
        if (IsForbidden(grid, *h + d.dh, *v) || IsForbidden(grid, *h, *v + d.dv)) continue;
        *h += d.dh;
        *v += d.dv;
        return true;
    }
    return false;
}

PathPoint Centre(const CGrid* grid, int64_t h, int64_t v)
{
    int64_t x = grid->m_Left + int64_t(grid->m_CellWidth) * h + grid->m_CellWidth / 2;
    int64_t y = grid->m_Top + int64_t(grid->m_CellHeight) * v + grid->m_CellHeight / 2;
    return {float(x), float(y), POINT_SPEED};
}

// The goal point, the centres walking back to the start cell (without it), the start point; then
// reversed, so that the path runs from the start.
std::vector<PathPoint> WalkBack(CGrid* grid, int64_t hs, int64_t vs, int64_t hg, int64_t vg, PathPoint start,
                                PathPoint goal, bool allowDiagonal)
{
    std::vector<PathPoint> points = {goal};
    int64_t h = hg;
    int64_t v = vg;
    while ((h != hs || v != vs) && StepBack(grid, &h, &v, allowDiagonal)) {
        if (h != hs || v != vs) points.push_back(Centre(grid, h, v));
    }
    points.push_back(start);
    return std::vector<PathPoint>(points.rbegin(), points.rend());
}

// Every search mark back to free; forbidden cells stay.
void ClearMarks(CGrid* grid)
{
    for (int32_t i = 0; i < grid->m_CellCount; ++i)
        if (grid->m_pCells[i] > 0) grid->m_pCells[i] = GRID_CELL_FREE;
}

} // namespace

bool CGrid_Path(int32_t index, int32_t pathIndex, int32_t xstart, int32_t ystart, int32_t xgoal, int32_t ygoal,
                bool allowDiagonal)
{
    CGrid* grid = CGrid_Data(index);
    CPath* path = Path_Data(pathIndex);
    if (grid == nullptr || path == nullptr || !GridCell_CanMap(grid)) return false;
    g_Queue.Reset();
    int64_t hs, vs, hg, vg;
    if (!UsableCell(grid, xstart, ystart, &hs, &vs) || !UsableCell(grid, xgoal, ygoal, &hg, &vg)) return false;
    bool found = Search(grid, hs, vs, hg, vg, allowDiagonal);
    if (found) {
        // As clearing the path, making it straight and open, adding the points and reversing it.
        path->SetFromFile(PATH_KIND_STRAIGHT, false, path->GetPrecision(),
                          WalkBack(grid, hs, vs, hg, vg, {float(xstart), float(ystart), POINT_SPEED},
                                   {float(xgoal), float(ygoal), POINT_SPEED}, allowDiagonal));
    }
    ClearMarks(grid);
    return found;
}

int32_t CGrid_SearchQueueCapacity()
{
    return int32_t(g_Queue.ring.size());
}
