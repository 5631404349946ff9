// Grid edits and searches with whatever numbers a script could pass: sizes of 0, negative cell sizes
// and coordinates near the 32-bit limits. No cell may be touched outside the grid, no division may
// be by zero, and a search must leave no marks behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "motion/Motion_Grid.h"
#include "path/Path_Table.h"

namespace {

// The input read as little-endian 32-bit words; 0 once it runs out.
struct Words {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    int32_t Next()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4 && at < size; ++i, ++at) value |= uint32_t(data[at]) << (8 * i);
        return int32_t(value);
    }
};

} // namespace

// Two words of cell counts (kept below 64 each, so that a run stays quick), four of corner and cell
// sizes, then operations of an opcode word and four argument words.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096) return 0;
    Words in{data, size};
    Path_Reset();
    Path_Add();
    int32_t hcells = in.Next() % 64, vcells = in.Next() % 64;
    int32_t left = in.Next(), top = in.Next(), width = in.Next(), height = in.Next();
    int32_t grid = CGrid_Create(left, top, hcells, vcells, width, height);
    while (grid >= 0 && in.at < size) {
        int32_t op = in.Next(), a = in.Next(), b = in.Next(), c = in.Next(), d = in.Next();
        switch (uint32_t(op) % 7) {
        case 0: CGrid_AddCell(grid, a, b); break;
        case 1: CGrid_ClearCell(grid, a, b); break;
        case 2: CGrid_AddRectangle(grid, a, b, c, d); break;
        case 3: CGrid_ClearRectangle(grid, a, b, c, d); break;
        case 4: CGrid_ClearAll(grid); break;
        default: CGrid_Path(grid, 0, a, b, c, d, op % 2 != 0); break;
        }
        const CGrid* g = CGrid_Data(grid);
        for (int32_t i = 0; i < g->m_CellCount; ++i)
            if (g->m_pCells[i] != GRID_CELL_FREE && g->m_pCells[i] != GRID_CELL_FORBIDDEN) std::abort();
    }
    CGrid_Destroy(grid);
    Path_Reset();
    return 0;
}
