// The script grid: a two-dimensional array of values addressed by column x and row y, with set, add
// and multiply over cells, rectangles, disks and rectangles of another grid, statistics and searches
// over rectangles and disks, shuffling and sorting rows by a column.
#pragma once

#include <cstdint>
#include <string>

#include "datastructure/DataStructure_Values.h"

enum : int32_t {
    DS_GRID_SET = 1,
    DS_GRID_ADD = 2,
    DS_GRID_MULTIPLY = 3,
};

// The cells of a rectangle (corners in any order, clipped to the grid) or of a disk (cells whose
// whole-number coordinates lie within the radius), visited column by column, rows ascending.
struct DS_GridArea {
    int32_t x1 = 0, x2 = -1, y1 = 0, y2 = -1; // inclusive bounds, already clipped
    bool disk = false;
    double cx = 0, cy = 0, r = 0;
};

// Sum, count, largest and smallest of the reals of an area; the extremes start at -1e8 and 1e8.
struct DS_GridStats {
    double sum = 0;
    int64_t count = 0;
    double max = -100000000.0;
    double min = 100000000.0;
    double Mean() const { return count > 0 ? sum / static_cast<double>(count) : 0.0; }
};

class CDS_Grid : public DS_Object {
public:
    // Sizes below 0 are taken as 0.
    CDS_Grid(int32_t width, int32_t height);
    ~CDS_Grid();
    CDS_Grid(const CDS_Grid&) = delete;
    CDS_Grid& operator=(const CDS_Grid&) = delete;

    int32_t Width() const { return m_Width; }
    int32_t Height() const { return m_Height; }
    bool Contains(int64_t x, int64_t y) const { return x >= 0 && x < m_Width && y >= 0 && y < m_Height; }
    ScriptValue* Cell(int64_t x, int64_t y) { return &m_Cells[x * m_Height + y]; }

    // The cell, or null after logging the reading message (the grid's index names it).
    ScriptValue* Get(int32_t index, int32_t x, int32_t y);
    // Applies the operation to one cell; outside the grid it logs the writing message.
    void CellOp(int32_t index, int32_t op, int32_t x, int32_t y, const ScriptValue* value);
    void Clear(const ScriptValue* value);
    void Resize(int32_t width, int32_t height);
    // Null makes the grid 0 by 0.
    void Copy(const CDS_Grid* source);

    DS_GridArea Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
    DS_GridArea Disk(double cx, double cy, double r) const;
    void AreaOp(int32_t op, const DS_GridArea& area, const ScriptValue* value);
    // A rectangle of the source applied onto this grid with its first corner at (xpos, ypos); a grid
    // applied onto itself reads every cell before it is written.
    void GridRegionOp(int32_t op, CDS_Grid* source, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t xpos,
                      int32_t ypos);
    DS_GridStats Statistics(const DS_GridArea& area);
    // The first cell of the area comparing equal to the value; false (and 0, 0) when none does.
    bool FindValue(const DS_GridArea& area, const ScriptValue* value, int32_t* x, int32_t* y);

    void Shuffle();
    // Rows reordered by the cells of a column, stably; nothing for a column outside the grid.
    void Sort(int32_t column, bool ascending);

    std::string WriteToString() const;
    bool ReadFromString(const char* text);

private:
    // Calls visit(x, y, cell) for each cell of the area until it answers false.
    template <typename Visit>
    void ForEach(const DS_GridArea& area, Visit visit);
    void LogOutside(const char* action, int32_t index, int32_t x, int32_t y) const;

    int32_t m_Width = 0;
    int32_t m_Height = 0;
    DS_Slots m_Cells; // column by column: cell (x, y) at x * height + y
};

// Stores a copy of the value in a cell of the grid at that index; logs the writing message outside
// the grid and reports an unknown grid.
void DS_GridSetCell(int32_t index, int32_t x, int32_t y, const ScriptValue* value);
// The comparison of the row sort: two reals by value (NaN after every number), two strings by their
// bytes with a string without text first, strings before reals, anything else before strings.
int32_t DS_GridSortCompare(const ScriptValue* a, const ScriptValue* b);
