// The grid group of the data-structure family: the last 37 names of its table.
#include "code/Code_Error.h"
#include "datastructure/DataStructure_Grid.h"
#include "function/Function_DataStructure.h"
#include "function/Function_DataStructureCommon.h"
#include "function/Function_Registry.h"

namespace {

struct GridArg {
    CDS_Grid* grid;
    int32_t index;
};

GridArg FindGrid(const ScriptValue& arg)
{
    return {DS_Find(g_DSGrids, arg), Arg_Int(arg)};
}

// args: id, x, y, value.
void CellOp(int32_t op, ScriptValue* args)
{
    GridArg g = FindGrid(args[0]);
    if (g.grid != nullptr) g.grid->CellOp(g.index, op, Arg_Int(args[1]), Arg_Int(args[2]), &args[3]);
}

DS_GridArea RectangleOf(CDS_Grid* grid, const ScriptValue* corners)
{
    return grid->Rectangle(Arg_Int(corners[0]), Arg_Int(corners[1]), Arg_Int(corners[2]), Arg_Int(corners[3]));
}

DS_GridArea DiskOf(CDS_Grid* grid, const ScriptValue* circle)
{
    return grid->Disk(Arg_Real(circle[0]), Arg_Real(circle[1]), Arg_Real(circle[2]));
}

// args: id, x1, y1, x2, y2, value.
void RegionOp(int32_t op, ScriptValue* args)
{
    if (CDS_Grid* grid = DS_Find(g_DSGrids, args[0])) grid->AreaOp(op, RectangleOf(grid, &args[1]), &args[5]);
}

// args: id, cx, cy, r, value.
void DiskOp(int32_t op, ScriptValue* args)
{
    if (CDS_Grid* grid = DS_Find(g_DSGrids, args[0])) grid->AreaOp(op, DiskOf(grid, &args[1]), &args[4]);
}

// args: id, source, x1, y1, x2, y2, xpos, ypos.
void GridRegionOp(int32_t op, ScriptValue* args)
{
    CDS_Grid* grid = DS_Find(g_DSGrids, args[0]);
    CDS_Grid* source = grid != nullptr ? DS_Find(g_DSGrids, args[1]) : nullptr;
    if (source == nullptr) return;
    grid->GridRegionOp(op, source, Arg_Int(args[2]), Arg_Int(args[3]), Arg_Int(args[4]), Arg_Int(args[5]),
                       Arg_Int(args[6]), Arg_Int(args[7]));
}

enum class Stat { Sum, Max, Min, Mean };

double Pick(const DS_GridStats& stats, Stat stat)
{
    switch (stat) {
    case Stat::Sum: return stats.sum;
    case Stat::Max: return stats.max;
    case Stat::Min: return stats.min;
    case Stat::Mean: return stats.Mean();
    }
    return 0;
}

void RegionStat(Stat stat, ScriptValue* result, ScriptValue* args)
{
    if (CDS_Grid* grid = DS_Find(g_DSGrids, args[0])) Result_Real(result, Pick(grid->Statistics(RectangleOf(grid, &args[1])), stat));
}

void DiskStat(Stat stat, ScriptValue* result, ScriptValue* args)
{
    if (CDS_Grid* grid = DS_Find(g_DSGrids, args[0])) Result_Real(result, Pick(grid->Statistics(DiskOf(grid, &args[1])), stat));
}

enum class Answer { Exists, X, Y };

void Search(Answer answer, ScriptValue* result, CDS_Grid* grid, const DS_GridArea& area, const ScriptValue* value)
{
    int32_t x = 0;
    int32_t y = 0;
    bool found = grid->FindValue(area, value, &x, &y);
    Result_Real(result, answer == Answer::Exists ? (found ? 1 : 0) : (answer == Answer::X ? x : y));
}

void RegionSearch(Answer answer, ScriptValue* result, ScriptValue* args)
{
    if (CDS_Grid* grid = DS_Find(g_DSGrids, args[0])) Search(answer, result, grid, RectangleOf(grid, &args[1]), &args[5]);
}

void DiskSearch(Answer answer, ScriptValue* result, ScriptValue* args)
{
    if (CDS_Grid* grid = DS_Find(g_DSGrids, args[0])) Search(answer, result, grid, DiskOf(grid, &args[1]), &args[4]);
}

DS_BUILTIN(Builtin_DsGridCreate)
{
    Result_Real(result, DS_NewGrid(Arg_Int(args[0]), Arg_Int(args[1])));
}

DS_BUILTIN(Builtin_DsGridDestroy)
{
    DS_Destroy(g_DSGrids, args[0], false);
}

DS_BUILTIN(Builtin_DsGridCopy)
{
    DS_CopyStructure(g_DSGrids, args);
}

DS_BUILTIN(Builtin_DsGridResize)
{
    CDS_Grid* grid = DS_Find(g_DSGrids, args[0]);
    if (grid == nullptr) return;
    // Tested on the sizes as given: 0.3 passes and becomes 0.
    if (Arg_Real(args[1]) <= 0 || Arg_Real(args[2]) <= 0) {
        Error_Show_Action("Error: Can not resize a grid with a dimension of 0\n", true);
        return;
    }
    grid->Resize(Arg_Int(args[1]), Arg_Int(args[2]));
}

DS_BUILTIN(Builtin_DsGridWidth)
{
    if (CDS_Grid* grid = DS_Find(g_DSGrids, args[0])) Result_Real(result, grid->Width());
}

DS_BUILTIN(Builtin_DsGridHeight)
{
    if (CDS_Grid* grid = DS_Find(g_DSGrids, args[0])) Result_Real(result, grid->Height());
}

DS_BUILTIN(Builtin_DsGridClear)
{
    if (CDS_Grid* grid = DS_Find(g_DSGrids, args[0])) grid->Clear(&args[1]);
}

DS_BUILTIN(Builtin_DsGridSet) { CellOp(DS_GRID_SET, args); }
DS_BUILTIN(Builtin_DsGridAdd) { CellOp(DS_GRID_ADD, args); }
DS_BUILTIN(Builtin_DsGridMultiply) { CellOp(DS_GRID_MULTIPLY, args); }
DS_BUILTIN(Builtin_DsGridSetRegion) { RegionOp(DS_GRID_SET, args); }
DS_BUILTIN(Builtin_DsGridAddRegion) { RegionOp(DS_GRID_ADD, args); }
DS_BUILTIN(Builtin_DsGridMultiplyRegion) { RegionOp(DS_GRID_MULTIPLY, args); }
DS_BUILTIN(Builtin_DsGridSetDisk) { DiskOp(DS_GRID_SET, args); }
DS_BUILTIN(Builtin_DsGridAddDisk) { DiskOp(DS_GRID_ADD, args); }
DS_BUILTIN(Builtin_DsGridMultiplyDisk) { DiskOp(DS_GRID_MULTIPLY, args); }
DS_BUILTIN(Builtin_DsGridSetGridRegion) { GridRegionOp(DS_GRID_SET, args); }
DS_BUILTIN(Builtin_DsGridAddGridRegion) { GridRegionOp(DS_GRID_ADD, args); }
DS_BUILTIN(Builtin_DsGridMultiplyGridRegion) { GridRegionOp(DS_GRID_MULTIPLY, args); }

DS_BUILTIN(Builtin_DsGridGet)
{
    GridArg g = FindGrid(args[0]);
    if (g.grid != nullptr) DS_CopyOut(result, g.grid->Get(g.index, Arg_Int(args[1]), Arg_Int(args[2])));
}

DS_BUILTIN(Builtin_DsGridGetSum) { RegionStat(Stat::Sum, result, args); }
DS_BUILTIN(Builtin_DsGridGetMax) { RegionStat(Stat::Max, result, args); }
DS_BUILTIN(Builtin_DsGridGetMin) { RegionStat(Stat::Min, result, args); }
DS_BUILTIN(Builtin_DsGridGetMean) { RegionStat(Stat::Mean, result, args); }
DS_BUILTIN(Builtin_DsGridGetDiskSum) { DiskStat(Stat::Sum, result, args); }
DS_BUILTIN(Builtin_DsGridGetDiskMax) { DiskStat(Stat::Max, result, args); }
DS_BUILTIN(Builtin_DsGridGetDiskMin) { DiskStat(Stat::Min, result, args); }
DS_BUILTIN(Builtin_DsGridGetDiskMean) { DiskStat(Stat::Mean, result, args); }
DS_BUILTIN(Builtin_DsGridValueExists) { RegionSearch(Answer::Exists, result, args); }
DS_BUILTIN(Builtin_DsGridValueX) { RegionSearch(Answer::X, result, args); }
DS_BUILTIN(Builtin_DsGridValueY) { RegionSearch(Answer::Y, result, args); }
DS_BUILTIN(Builtin_DsGridValueDiskExists) { DiskSearch(Answer::Exists, result, args); }
DS_BUILTIN(Builtin_DsGridValueDiskX) { DiskSearch(Answer::X, result, args); }
DS_BUILTIN(Builtin_DsGridValueDiskY) { DiskSearch(Answer::Y, result, args); }

DS_BUILTIN(Builtin_DsGridShuffle)
{
    if (CDS_Grid* grid = DS_Find(g_DSGrids, args[0])) grid->Shuffle();
}

DS_BUILTIN(Builtin_DsGridWrite)
{
    DS_WriteText(g_DSGrids, result, args);
}

DS_BUILTIN(Builtin_DsGridRead)
{
    DS_ReadText(g_DSGrids, args);
}

// Acts only on three real arguments; the index and the column are truncated, not rounded.
DS_BUILTIN(Builtin_DsGridSort)
{
    if (argc != 3 || !Arg_IsReal(args[0]) || !Arg_IsReal(args[1]) || !Arg_IsReal(args[2])) return;
    CDS_Grid* grid = g_DSGrids.Get(Arg_Trunc(args[0]));
    if (grid == nullptr) {
        DS_ReportMissing();
        return;
    }
    grid->Sort(Arg_Trunc(args[1]), Arg_FlagAbove(args[2]));
}

const FunctionRow GRID_ROWS[] = {
    {"ds_grid_create", Builtin_DsGridCreate, 2},
    {"ds_grid_destroy", Builtin_DsGridDestroy, 1},
    {"ds_grid_copy", Builtin_DsGridCopy, 2},
    {"ds_grid_resize", Builtin_DsGridResize, 3},
    {"ds_grid_width", Builtin_DsGridWidth, 1},
    {"ds_grid_height", Builtin_DsGridHeight, 1},
    {"ds_grid_clear", Builtin_DsGridClear, 2},
    {"ds_grid_set", Builtin_DsGridSet, 4},
    {"ds_grid_add", Builtin_DsGridAdd, 4},
    {"ds_grid_multiply", Builtin_DsGridMultiply, 4},
    {"ds_grid_set_region", Builtin_DsGridSetRegion, 6},
    {"ds_grid_add_region", Builtin_DsGridAddRegion, 6},
    {"ds_grid_multiply_region", Builtin_DsGridMultiplyRegion, 6},
    {"ds_grid_set_disk", Builtin_DsGridSetDisk, 5},
    {"ds_grid_add_disk", Builtin_DsGridAddDisk, 5},
    {"ds_grid_multiply_disk", Builtin_DsGridMultiplyDisk, 5},
    {"ds_grid_set_grid_region", Builtin_DsGridSetGridRegion, 8},
    {"ds_grid_add_grid_region", Builtin_DsGridAddGridRegion, 8},
    {"ds_grid_multiply_grid_region", Builtin_DsGridMultiplyGridRegion, 8},
    {"ds_grid_get", Builtin_DsGridGet, 3},
    {"ds_grid_get_sum", Builtin_DsGridGetSum, 5},
    {"ds_grid_get_max", Builtin_DsGridGetMax, 5},
    {"ds_grid_get_min", Builtin_DsGridGetMin, 5},
    {"ds_grid_get_mean", Builtin_DsGridGetMean, 5},
    {"ds_grid_get_disk_sum", Builtin_DsGridGetDiskSum, 4},
    {"ds_grid_get_disk_max", Builtin_DsGridGetDiskMax, 4},
    {"ds_grid_get_disk_min", Builtin_DsGridGetDiskMin, 4},
    {"ds_grid_get_disk_mean", Builtin_DsGridGetDiskMean, 4},
    {"ds_grid_value_exists", Builtin_DsGridValueExists, 6},
    {"ds_grid_value_x", Builtin_DsGridValueX, 6},
    {"ds_grid_value_y", Builtin_DsGridValueY, 6},
    {"ds_grid_value_disk_exists", Builtin_DsGridValueDiskExists, 5},
    {"ds_grid_value_disk_x", Builtin_DsGridValueDiskX, 5},
    {"ds_grid_value_disk_y", Builtin_DsGridValueDiskY, 5},
    {"ds_grid_shuffle", Builtin_DsGridShuffle, 1},
    {"ds_grid_write", Builtin_DsGridWrite, 1},
    {"ds_grid_read", Builtin_DsGridRead, 2},
    {"ds_grid_sort", Builtin_DsGridSort, 3},
};

} // namespace

void Function_DataStructureGrid_Register()
{
    Function_AddRows(GRID_ROWS);
}
