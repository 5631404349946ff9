// What the grid edits and the search share: a grid's cells by column and row, and the mapping of
// room coordinates to them, in 64 bits.
#pragma once

#include <algorithm>
#include <cstdint>

#include "motion/Motion_Grid.h"

// Columns or rows from first to last, both inclusive; empty when first > last.
struct GridSpan {
    int64_t first;
    int64_t last;
};

// A cell's rectangle in room coordinates: (x1, y1) inclusive, (x2, y2) the next cell's corner.
struct GridRect {
    int64_t x1;
    int64_t y1;
    int64_t x2;
    int64_t y2;
};

inline bool GridCell_Inside(const CGrid* grid, int64_t h, int64_t v)
{
    return h >= 0 && h < grid->m_HCells && v >= 0 && v < grid->m_VCells;
}

inline int64_t GridCell_Index(const CGrid* grid, int64_t h, int64_t v)
{
    return h * grid->m_VCells + v;
}

// Coordinates map to cells only with positive cell sizes.
inline bool GridCell_CanMap(const CGrid* grid)
{
    return grid->m_CellWidth > 0 && grid->m_CellHeight > 0;
}

// The cells from coordinate a to b (a <= b) of one axis, each divided toward zero, clipped to the
// grid.
inline GridSpan GridCell_Span(int64_t a, int64_t b, int32_t origin, int32_t size, int32_t count)
{
    return {std::max<int64_t>((a - origin) / size, 0), std::min<int64_t>((b - origin) / size, count - 1)};
}

inline GridSpan GridCell_Columns(const CGrid* grid, int64_t x1, int64_t x2)
{
    return GridCell_Span(x1, x2, grid->m_Left, grid->m_CellWidth, grid->m_HCells);
}

inline GridSpan GridCell_Rows(const CGrid* grid, int64_t y1, int64_t y2)
{
    return GridCell_Span(y1, y2, grid->m_Top, grid->m_CellHeight, grid->m_VCells);
}

inline GridRect GridCell_Rect(const CGrid* grid, int64_t h, int64_t v)
{
    int64_t x = grid->m_Left + h * grid->m_CellWidth;
    int64_t y = grid->m_Top + v * grid->m_CellHeight;
    return {x, y, x + grid->m_CellWidth, y + grid->m_CellHeight};
}
