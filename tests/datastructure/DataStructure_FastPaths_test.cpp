// The quick ways against the plain ones on random data: list sorting against the insertion sort,
// and the grid's row sort against its comparison.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "DataStructureTestSupport.h"

using dstest::DataStructureTest;
using dstest::Show;
using dstest::Val;

namespace {

// Random values of one family: distinct reals, reals equal in single precision, reals within the
// precision, mixed reals and strings, and strings with and without text.
std::vector<Val> RandomValues(std::mt19937& random, int family, int count)
{
    std::vector<Val> values;
    std::uniform_int_distribution<int> small(0, 20);
    std::uniform_real_distribution<double> wide(-1e6, 1e6);
    for (int i = 0; i < count; ++i) {
        switch (family) {
        case 0: values.emplace_back(wide(random)); break;
        case 1: values.emplace_back(1.0 + small(random) * 1e-9); break;         // equal as floats
        case 2: values.emplace_back(small(random) * 4e-9); break;               // within 1e-8 of neighbours
        case 3: values.emplace_back(small(random) % 2 ? Val(small(random)) : Val(std::to_string(small(random)).c_str())); break;
        default: values.emplace_back(std::string(1, static_cast<char>('a' + small(random) % 5)).c_str()); break;
        }
    }
    return values;
}

std::string Contents(CDS_List* list)
{
    std::string text;
    for (int32_t i = 0; i < list->Size(); ++i) text += Show(list->GetValue(i)) + ",";
    return text;
}

TEST_F(DataStructureTest, ListSortGivesTheInsertionSortsOrder)
{
    std::mt19937 random(27);
    for (double precision : {1e-8, 0.0, 0.5}) {
        DS_SetPrecision(precision);
        for (int family = 0; family < 5; ++family) {
            for (bool ascending : {true, false}) {
                std::vector<Val> values = RandomValues(random, family, 200);
                CDS_List quick, plain;
                for (const Val& v : values) {
                    quick.Add(&v);
                    plain.Add(&v);
                }
                quick.Sort(ascending);
                plain.SortByInsertion(ascending);
                EXPECT_EQ(Contents(&plain), Contents(&quick))
                    << "precision " << precision << ", family " << family << ", ascending " << ascending;
            }
        }
    }
}

TEST_F(DataStructureTest, GridSortIsStableUnderItsComparison)
{
    std::mt19937 random(6145);
    for (int family = 0; family < 5; ++family) {
        std::vector<Val> keys = RandomValues(random, family, 300);
        CDS_Grid grid(2, 300);
        for (int y = 0; y < 300; ++y) {
            grid.CellOp(0, DS_GRID_SET, 0, y, &keys[static_cast<size_t>(y)]);
            grid.CellOp(0, DS_GRID_SET, 1, y, &Val(y)); // the row's original place
        }
        ScriptValue noText = {VALUE_STRING, 0, 0.0};
        grid.CellOp(0, DS_GRID_SET, 0, 7, &noText);
        for (bool ascending : {true, false}) {
            grid.Sort(0, ascending);
            for (int y = 1; y < 300; ++y) {
                int32_t c = DS_GridSortCompare(grid.Cell(0, y - 1), grid.Cell(0, y));
                if (!ascending) c = -c;
                EXPECT_LE(c, 0) << "family " << family << " row " << y;
                if (c == 0 && ascending) {
                    EXPECT_LT(grid.Cell(1, y - 1)->real, grid.Cell(1, y)->real) << "stable";
                }
            }
        }
    }
}

} // namespace
