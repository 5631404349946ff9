#include "datastructure/DataStructure_Grid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

#include "base/Base_Console.h"
#include "base/Base_Random.h"
#include "platform/Platform_MemoryManager.h"
#include "datastructure/DataStructure_Tables.h"
#include "datastructure/DataStructure_Text.h"

namespace {

// Adding two strings keeps at most this many bytes of the joined text.
constexpr size_t JOINED_TEXT_LIMIT = 1023;

void JoinTexts(ScriptValue* cell, const ScriptValue* value)
{
    const char* left = Value_GetText(cell);
    const char* right = Value_GetText(value);
    std::string joined = left != nullptr ? left : "";
    joined += right != nullptr ? right : "";
    if (joined.size() > JOINED_TEXT_LIMIT) joined.resize(JOINED_TEXT_LIMIT);
    Value_SetText(cell, joined.c_str());
}

// One cell operation. A value that is neither two reals nor two strings is stored as set stores it
// (an array shared, as DS_GridSetCell shares it); multiply leaves such a cell alone.
void ApplyOp(int32_t op, ScriptValue* cell, const ScriptValue* value)
{
    bool reals = cell->kind == VALUE_REAL && value->kind == VALUE_REAL;
    if (op == DS_GRID_ADD && reals) cell->real += value->real;
    else if (op == DS_GRID_ADD && cell->kind == VALUE_STRING && value->kind == VALUE_STRING) JoinTexts(cell, value);
    else if (op == DS_GRID_MULTIPLY) {
        if (reals) cell->real *= value->real;
    } else Value_Copy(cell, value);
}

int32_t SortRank(const ScriptValue* v)
{
    if (v->kind == VALUE_REAL) return 3;
    if (v->kind == VALUE_STRING) return Value_GetText(v) != nullptr ? 2 : 1;
    return 0;
}

int32_t CompareReals(double a, double b)
{
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) == std::isnan(b) ? 0 : (std::isnan(a) ? 1 : -1);
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

int32_t DS_GridSortCompare(const ScriptValue* a, const ScriptValue* b)
{
    int32_t ra = SortRank(a);
    int32_t rb = SortRank(b);
    if (ra != rb) return ra < rb ? -1 : 1;
    if (ra == 3) return CompareReals(a->real, b->real);
    if (ra == 2) {
        int order = std::strcmp(Value_GetText(a), Value_GetText(b));
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    return 0;
}

CDS_Grid::CDS_Grid(int32_t width, int32_t height)
{
    Resize(width, height);
}

CDS_Grid::~CDS_Grid()
{
    m_Cells.Release(static_cast<int64_t>(m_Width) * m_Height);
}

void CDS_Grid::LogOutside(const char* action, int32_t index, int32_t x, int32_t y) const
{
    ScriptConsole->Output("Grid %d, index out of bounds %s [%d,%d] - size is [%d,%d]\n", index, action, x, y, m_Width,
                          m_Height);
}

ScriptValue* CDS_Grid::Get(int32_t index, int32_t x, int32_t y)
{
    if (Contains(x, y)) return Cell(x, y);
    LogOutside("reading", index, x, y);
    return nullptr;
}

void CDS_Grid::CellOp(int32_t index, int32_t op, int32_t x, int32_t y, const ScriptValue* value)
{
    if (!Contains(x, y)) {
        LogOutside("writing", index, x, y);
        return;
    }
    ApplyOp(op, Cell(x, y), value);
}

void CDS_Grid::Clear(const ScriptValue* value)
{
    int64_t cells = static_cast<int64_t>(m_Width) * m_Height;
    for (int64_t i = 0; i < cells; ++i) Value_Copy(&m_Cells[i], value);
}

void CDS_Grid::Resize(int32_t width, int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    int64_t oldCells = static_cast<int64_t>(m_Width) * m_Height;
    int64_t newCells = static_cast<int64_t>(width) * height;
    if (width == m_Width && height == m_Height) return;
    if (newCells > DS_MAX_SLOTS) MemoryManager::OutOfMemory();
    // Kept cells move to their new places; the rest are released. New cells are real 0.
    std::vector<ScriptValue> kept(static_cast<size_t>(newCells), ScriptValue{VALUE_REAL, 0, 0.0});
    int32_t keepWidth = std::min(width, m_Width);
    int32_t keepHeight = std::min(height, m_Height);
    for (int32_t x = 0; x < keepWidth && keepHeight > 0; ++x) {
        for (int32_t y = 0; y < keepHeight; ++y) {
            kept[static_cast<size_t>(static_cast<int64_t>(x) * height + y)] = *Cell(x, y);
            *Cell(x, y) = ScriptValue{VALUE_REAL, 0, 0.0};
        }
    }
    m_Cells.Release(oldCells);
    m_Cells.Resize(oldCells, newCells);
    if (newCells > 0) std::memcpy(m_Cells.Data(), kept.data(), static_cast<size_t>(newCells) * sizeof(ScriptValue));
    m_Width = width;
    m_Height = height;
}

void CDS_Grid::Copy(const CDS_Grid* source)
{
    if (source == this) return;
    if (source == nullptr) {
        Resize(0, 0);
        return;
    }
    int64_t oldCells = static_cast<int64_t>(m_Width) * m_Height;
    int64_t newCells = static_cast<int64_t>(source->m_Width) * source->m_Height;
    m_Cells.Resize(oldCells, newCells);
    m_Width = source->m_Width;
    m_Height = source->m_Height;
    for (int64_t i = 0; i < newCells; ++i) Value_Copy(&m_Cells[i], &source->m_Cells[i]);
}

DS_GridArea CDS_Grid::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const
{
    DS_GridArea area;
    area.x1 = std::max(std::min(x1, x2), 0);
    area.x2 = std::min(std::max(x1, x2), m_Width - 1);
    area.y1 = std::max(std::min(y1, y2), 0);
    area.y2 = std::min(std::max(y1, y2), m_Height - 1);
    return area;
}

DS_GridArea CDS_Grid::Disk(double cx, double cy, double r) const
{
    DS_GridArea area;
    area.disk = true;
    area.cx = cx;
    area.cy = cy;
    area.r = r;
    double xlo = std::max(0.0, std::floor(cx - r));
    double xhi = std::min(std::ceil(cx + r), static_cast<double>(m_Width) - 1);
    double ylo = std::max(0.0, std::floor(cy - r));
    double yhi = std::min(std::ceil(cy + r), static_cast<double>(m_Height) - 1);
    // A range that is empty, or not a number, stays the empty default.
    if (xlo <= xhi && ylo <= yhi) {
        area.x1 = static_cast<int32_t>(xlo);
        area.x2 = static_cast<int32_t>(xhi);
        area.y1 = static_cast<int32_t>(ylo);
        area.y2 = static_cast<int32_t>(yhi);
    }
    return area;
}

template <typename Visit>
void CDS_Grid::ForEach(const DS_GridArea& area, Visit visit)
{
    if (area.x1 > area.x2 || area.y1 > area.y2) return;
    double r2 = area.r * area.r;
    for (int32_t x = area.x1; x <= area.x2; ++x) {
        for (int32_t y = area.y1; y <= area.y2; ++y) {
            if (area.disk) {
                double dx = x - area.cx;
                double dy = y - area.cy;
                if (!(dx * dx + dy * dy <= r2)) continue;
            }
            if (!visit(x, y, Cell(x, y))) return;
        }
    }
}

void CDS_Grid::AreaOp(int32_t op, const DS_GridArea& area, const ScriptValue* value)
{
    ForEach(area, [&](int32_t, int32_t, ScriptValue* cell) {
        ApplyOp(op, cell, value);
        return true;
    });
}

void CDS_Grid::GridRegionOp(int32_t op, CDS_Grid* source, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                            int32_t xpos, int32_t ypos)
{
    // 64-bit throughout: positions far outside either grid must not wrap.
    int64_t xlo = std::max(std::min(x1, x2), 0), xhi = std::min<int64_t>(std::max(x1, x2), source->m_Width - 1);
    int64_t ylo = std::max(std::min(y1, y2), 0), yhi = std::min<int64_t>(std::max(y1, y2), source->m_Height - 1);
    int64_t dx = xpos, dy = ypos;
    if (dx < 0) {
        xlo -= dx;
        dx = 0;
    }
    if (dy < 0) {
        ylo -= dy;
        dy = 0;
    }
    if (xhi - xlo + dx > m_Width - 1) xhi = m_Width - dx + xlo - 1;
    if (yhi - ylo + dy > m_Height - 1) yhi = m_Height - dy + ylo - 1;
    if (xlo > xhi || ylo > yhi) return;
    // Reading from the far side first keeps a grid copied onto itself from smearing.
    bool xDown = dx > xlo, yDown = dy > ylo;
    for (int64_t i = 0; i <= xhi - xlo; ++i) {
        int64_t x = xDown ? xhi - i : xlo + i;
        for (int64_t j = 0; j <= yhi - ylo; ++j) {
            int64_t y = yDown ? yhi - j : ylo + j;
            int64_t tx = dx + x - xlo, ty = dy + y - ylo;
            if (!source->Contains(x, y) || !Contains(tx, ty)) continue;
            ApplyOp(op, Cell(tx, ty), source->Cell(x, y));
        }
    }
}

DS_GridStats CDS_Grid::Statistics(const DS_GridArea& area)
{
    DS_GridStats stats;
    ForEach(area, [&](int32_t, int32_t, ScriptValue* cell) {
        if (cell->kind != VALUE_REAL) return true;
        stats.sum += cell->real;
        ++stats.count;
        if (cell->real >= stats.max) stats.max = cell->real;
        if (cell->real <= stats.min) stats.min = cell->real;
        return true;
    });
    return stats;
}

bool CDS_Grid::FindValue(const DS_GridArea& area, const ScriptValue* value, int32_t* x, int32_t* y)
{
    bool found = false;
    *x = 0;
    *y = 0;
    ForEach(area, [&](int32_t cx, int32_t cy, ScriptValue* cell) {
        if (DS_CompareValues(cell, value) != 0) return true;
        found = true;
        *x = cx;
        *y = cy;
        return false;
    });
    return found;
}

void CDS_Grid::Shuffle()
{
    int64_t rounds = 8 * static_cast<int64_t>(m_Width) * m_Height;
    for (int64_t i = 0; i < rounds; ++i) {
        uint32_t x1 = Random_Int(m_Width);
        uint32_t x2 = Random_Int(m_Width);
        uint32_t y1 = Random_Int(m_Height);
        uint32_t y2 = Random_Int(m_Height);
        std::swap(*Cell(x1, y1), *Cell(x2, y2));
    }
}

void CDS_Grid::Sort(int32_t column, bool ascending)
{
    if (column < 0 || column >= m_Width || m_Height == 0) return;
    std::vector<int32_t> order(static_cast<size_t>(m_Height));
    std::iota(order.begin(), order.end(), 0);
    ScriptValue* key = Cell(column, 0);
    std::stable_sort(order.begin(), order.end(), [key, ascending](int32_t a, int32_t b) {
        int32_t c = DS_GridSortCompare(&key[a], &key[b]);
        return ascending ? c < 0 : c > 0;
    });
    std::vector<ScriptValue> rows(static_cast<size_t>(m_Height));
    for (int32_t x = 0; x < m_Width; ++x) {
        ScriptValue* cells = Cell(x, 0);
        for (int32_t r = 0; r < m_Height; ++r) rows[static_cast<size_t>(r)] = cells[order[static_cast<size_t>(r)]];
        std::memcpy(cells, rows.data(), rows.size() * sizeof(ScriptValue));
    }
}

std::string CDS_Grid::WriteToString() const
{
    DS_TextWriter out(DS_VERSION_GRID);
    out.Int(m_Width);
    out.Int(m_Height);
    out.Values(m_Cells.Data(), static_cast<int64_t>(m_Width) * m_Height);
    return out.Finish();
}

bool CDS_Grid::ReadFromString(const char* text)
{
    DS_TextReader in(text, DS_VERSION_GRID);
    if (!in.VersionMatches()) return false;
    int32_t width = in.Int();
    int32_t height = in.Int();
    if (width < 0 || height < 0) return false;
    int64_t cells = static_cast<int64_t>(width) * height;
    DS_ValueBatch batch;
    if (cells > INT32_MAX || !in.Values(&batch, cells)) return false;
    int64_t oldCells = static_cast<int64_t>(m_Width) * m_Height;
    m_Cells.Release(oldCells);
    m_Cells.Resize(oldCells, cells);
    batch.MoveInto(m_Cells.Data());
    m_Width = width;
    m_Height = height;
    return true;
}

void DS_GridSetCell(int32_t index, int32_t x, int32_t y, const ScriptValue* value)
{
    CDS_Grid* grid = g_DSGrids.Get(index);
    if (grid == nullptr) {
        DS_ReportMissing();
        return;
    }
    grid->CellOp(index, DS_GRID_SET, x, y, value);
}
