// The grid table and the cell edits. Cell arithmetic is done in 64 bits: coordinates come from
// scripts as rounded reals and may lie near the 32-bit limits, where a difference would wrap.
#include "motion/Motion_Grid.h"

#include <algorithm>
#include <vector>

#include "graphics/Graphics_Draw.h"
#include "instance/Instance_Class.h"
#include "motion/Motion_GridCells.h"
#include "platform/Platform_MemoryManager.h"

namespace {

constexpr uint32_t FREE_COLOUR = 0x008000;      // green
constexpr uint32_t FORBIDDEN_COLOUR = 0x0000FF; // red

std::vector<CGrid*> g_Grids;

// Sets every cell of the columns and rows to `value`.
void Fill(CGrid* grid, const GridSpan& columns, const GridSpan& rows, int32_t value)
{
    for (int64_t h = columns.first; h <= columns.last; ++h) {
        for (int64_t v = rows.first; v <= rows.last; ++v)
            grid->m_pCells[GridCell_Index(grid, h, v)] = value;
    }
}

void SetCell(int32_t index, int32_t h, int32_t v, int32_t value)
{
    CGrid* grid = CGrid_Data(index);
    if (grid != nullptr && GridCell_Inside(grid, h, v)) grid->m_pCells[GridCell_Index(grid, h, v)] = value;
}

void SetRectangle(int32_t index, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t value)
{
    CGrid* grid = CGrid_Data(index);
    if (grid == nullptr || !GridCell_CanMap(grid)) return;
    Fill(grid, GridCell_Columns(grid, std::min(x1, x2), std::max(x1, x2)),
         GridCell_Rows(grid, std::min(y1, y2), std::max(y1, y2)), value);
}

} // namespace

CGrid::CGrid(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth, int32_t cellHeight)
    : m_Left(left), m_Top(top), m_CellWidth(cellWidth), m_CellHeight(cellHeight), m_HCells(hcells),
      m_VCells(vcells), m_CellCount(hcells * vcells)
{
    // Cleared memory: every cell starts free (0).
    m_pCells = static_cast<int32_t*>(MEM_ALLOC(size_t(m_CellCount) * sizeof(int32_t), true));
}

CGrid::~CGrid()
{
    MemoryManager::Free(m_pCells);
}

int32_t CGrid_Create(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth,
                     int32_t cellHeight)
{
    if (hcells <= 0 || vcells <= 0 || int64_t(hcells) * vcells > GRID_MAX_CELLS) return -1;
    CGrid* grid = new CGrid(left, top, hcells, vcells, cellWidth, cellHeight);
    auto empty = std::find(g_Grids.begin(), g_Grids.end(), nullptr);
    if (empty != g_Grids.end()) {
        *empty = grid;
        return int32_t(empty - g_Grids.begin());
    }
    g_Grids.push_back(grid);
    return int32_t(g_Grids.size()) - 1;
}

CGrid* CGrid_Data(int32_t grid)
{
    return grid >= 0 && size_t(grid) < g_Grids.size() ? g_Grids[size_t(grid)] : nullptr;
}

void CGrid_Destroy(int32_t grid)
{
    if (CGrid_Data(grid) == nullptr) return;
    delete g_Grids[size_t(grid)];
    g_Grids[size_t(grid)] = nullptr;
}

void CGrid_DestroyAll()
{
    for (CGrid* grid : g_Grids) delete grid;
    std::vector<CGrid*>().swap(g_Grids);
}

void CGrid_ClearAll(int32_t index)
{
    CGrid* grid = CGrid_Data(index);
    if (grid != nullptr) std::fill(grid->m_pCells, grid->m_pCells + grid->m_CellCount, GRID_CELL_FREE);
}

void CGrid_ClearCell(int32_t grid, int32_t h, int32_t v)
{
    SetCell(grid, h, v, GRID_CELL_FREE);
}

void CGrid_AddCell(int32_t grid, int32_t h, int32_t v)
{
    SetCell(grid, h, v, GRID_CELL_FORBIDDEN);
}

void CGrid_ClearRectangle(int32_t grid, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    SetRectangle(grid, x1, y1, x2, y2, GRID_CELL_FREE);
}

void CGrid_AddRectangle(int32_t grid, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    SetRectangle(grid, x1, y1, x2, y2, GRID_CELL_FORBIDDEN);
}

void CGrid_AddInstances(int32_t index, CInstance* instance, bool precise)
{
    CGrid* grid = CGrid_Data(index);
    if (grid == nullptr || instance == nullptr || !GridCell_CanMap(grid)) return;
    const InstanceBox& box = instance->GetBoundingBox();
    GridSpan columns = GridCell_Columns(grid, box.left, box.right);
    GridSpan rows = GridCell_Rows(grid, box.top, box.bottom);
    if (!precise) {
        Fill(grid, columns, rows, GRID_CELL_FORBIDDEN);
        return;
    }
    for (int64_t h = columns.first; h <= columns.last; ++h) {
        for (int64_t v = rows.first; v <= rows.last; ++v) {
            int32_t& cell = grid->m_pCells[GridCell_Index(grid, h, v)];
            if (cell == GRID_CELL_FORBIDDEN) continue;
            GridRect r = GridCell_Rect(grid, h, v);
            if (instance->CollisionRectangle(float(r.x1), float(r.y1), float(r.x2 - 1), float(r.y2 - 1), 1))
                cell = GRID_CELL_FORBIDDEN;
        }
    }
}

void CGrid_Draw(int32_t index)
{
    CGrid* grid = CGrid_Data(index);
    if (grid == nullptr) return;
    for (int64_t h = 0; h < grid->m_HCells; ++h) {
        for (int64_t v = 0; v < grid->m_VCells; ++v) {
            GridRect r = GridCell_Rect(grid, h, v);
            uint32_t colour = grid->m_pCells[GridCell_Index(grid, h, v)] == GRID_CELL_FORBIDDEN ? FORBIDDEN_COLOUR
                                                                                                : FREE_COLOUR;
            GR_Draw_RectangleColour(float(r.x1), float(r.y1), float(r.x2), float(r.y2), colour, colour, colour,
                                    colour, 0);
        }
    }
}
