// Motion grids: equal cells laid over part of the room, each free or forbidden, and a breadth-first
// search from one cell to another whose shortest way is written into a path resource.
//
// Scripts name a grid by its index in the grid table. Every operation ignores an index that is out
// of range or names an empty slot; those that map room coordinates to cells also ignore a grid whose
// cell width or height is not positive.
#pragma once

#include <cstdint>

class CInstance;

constexpr int32_t GRID_CELL_FREE = 0;
constexpr int32_t GRID_CELL_FORBIDDEN = -1;
// The most cells a grid may hold (4096 x 4096, 64 MiB of cells); a larger grid is refused.
constexpr int64_t GRID_MAX_CELLS = int64_t(1) << 24;
// The search queue's capacity at its first use; it doubles when full.
constexpr int32_t GRID_QUEUE_START = 4096;

class CGrid {
public:
    CGrid(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth, int32_t cellHeight);
    virtual ~CGrid();
    CGrid(const CGrid&) = delete;
    CGrid& operator=(const CGrid&) = delete;

    int32_t m_Left;
    int32_t m_Top;
    int32_t m_CellWidth;
    int32_t m_CellHeight;
    int32_t m_HCells;
    int32_t m_VCells;
    // Column by column: cell (h, v) is at h * vertical count + v. Positive values only during a
    // search, where they are the distance from the start plus one.
    int32_t* m_pCells;
    int32_t m_CellCount;
};

// A new grid with every cell free and its index; -1 (and no grid) for counts of 0 or less or more
// than GRID_MAX_CELLS cells.
int32_t CGrid_Create(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth,
                     int32_t cellHeight);
void CGrid_Destroy(int32_t grid);
// At exit: every grid, and the table.
void CGrid_DestroyAll();
// The grid of an index, or null.
CGrid* CGrid_Data(int32_t grid);
void CGrid_ClearAll(int32_t grid);
void CGrid_ClearCell(int32_t grid, int32_t h, int32_t v);
void CGrid_AddCell(int32_t grid, int32_t h, int32_t v);
// The cells under the rectangle (corners in either order), clipped to the grid.
void CGrid_ClearRectangle(int32_t grid, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void CGrid_AddRectangle(int32_t grid, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Forbids the cells under the instance's bounding box; when `precise`, only those whose rectangle
// the instance's shape meets.
void CGrid_AddInstances(int32_t grid, CInstance* instance, bool precise);
// Searches from the start's cell to the goal's; when found, the path (which must exist) becomes a
// straight open path from the start point through the cell centres to the goal point, at speed 100.
// False, with the path untouched, when there is no way or a point is outside or on a forbidden cell.
bool CGrid_Path(int32_t grid, int32_t path, int32_t xstart, int32_t ystart, int32_t xgoal, int32_t ygoal,
                bool allowDiagonal);
// A filled rectangle per cell at the drawing alpha: red forbidden, green free.
void CGrid_Draw(int32_t grid);

// The search queue's current capacity (0 before the first search).
int32_t CGrid_SearchQueueCapacity();
