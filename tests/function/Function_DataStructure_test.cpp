// The ds_ family through the function table: its rows, index checks and reports, and the rules
// the routines add to their structures.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "Function_TestCases.h"
#include "../datastructure/DataStructureTestSupport.h"
#include "base/Base_Console.h"

using dstest::DataStructureTest;
using functiontest::Reals;
using testsupport::CallBuiltin;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

const char* const MISSING = "Data structure with index does not exist.";

TEST(DataStructureFamily, RegistersTheNamesInOrderWithTheirCounts)
{
    functiontest::ExpectRegisteredRun(
        "ds_set_precision:1 ds_stack_* create:0 destroy:1 clear:1 ~ ds_grid_* read:2 sort:3");
    // and no other ds_ name (counted once each: a game loaded earlier in this process may have entered
    // every family again behind the test's own rows)
    std::set<std::string> names;
    for (int32_t i = 0; i < g_FunctionCount; ++i)
        if (std::string(g_FunctionTable[i].name).rfind("ds_", 0) == 0) names.insert(g_FunctionTable[i].name);
    EXPECT_EQ(111u, names.size());
}

TEST_F(DataStructureTest, BadIndicesAreReportedExceptWhereTheFamilySaysSilent)
{
    // A structure of the first kind is made and destroyed first: index 0 names nothing then.
    struct Case {
        const char* kind;
        const char* call;
        std::vector<testsupport::TestArg> args;
        bool reported;
    } cases[] = {
        {"ds_list", "ds_list_destroy", {0}, false}, {"ds_list", "ds_list_destroy", {1}, true}, // outside the table
        {"ds_map", "ds_map_destroy", {-1}, true}, {"ds_queue", "ds_queue_size", {0}, true},
        {"ds_priority", "ds_priority_find_min", {0}, true},
        {"ds_map", "ds_map_add", {0, "k", 1}, true}, {"ds_list", "ds_list_copy", {0, 0}, true},
        {"ds_stack", "ds_stack_size", {NAN}, true}, {"ds_stack", "ds_stack_size", {1e10}, true},
    };
    for (const Case& c : cases) {
        std::string kind = c.kind;
        CallBuiltin((kind + "_destroy").c_str(), {CallReal((kind + "_create").c_str(), {})});
        ClearErrors();
        testsupport::BuiltinResult result = CallBuiltin(c.call, c.args);
        EXPECT_EQ(c.reported, TakeReport(MISSING)) << c.call;
        EXPECT_EQ("0", dstest::Show(result)) << c.call;
    }
}

TEST_F(DataStructureTest, IndicesRoundHalfToEvenTablesAreSeparateAndPrecisionDecidesEquality)
{
    for (int i = 0; i < 3; ++i) EXPECT_EQ(i, CallReal("ds_list_create", {}));
    CallBuiltin("ds_list_add", {2, "two"});
    CallBuiltin("ds_list_add", {0, "zero"});
    for (auto [index, holds] : {std::pair{1.5, "\"two\""}, {2.5, "\"two\""}, {-0.4, "\"zero\""}, {0.5, "\"zero\""}})
        EXPECT_EQ(holds, dstest::Show(CallBuiltin("ds_list_find_value", {index, 0}))) << index;
    CallBuiltin("ds_list_destroy", {1});
    EXPECT_EQ(0, CallReal("ds_map_create", {}));
    EXPECT_EQ(1, CallReal("ds_list_create", {}));
    EXPECT_EQ(3, CallReal("ds_list_create", {}));
    // Precision, stored, sought, the index found.
    const double cases[][4] = {{0, 3, 3, -1}, {-0.5, 1.2, 1.6, 0}, {-0.5, 1.0, 1.5, -1}, {1e-8, 16777216, 16777217, 0}};
    for (const auto& c : cases) {
        CallBuiltin("ds_list_clear", {3});
        CallBuiltin("ds_set_precision", {c[0]});
        CallBuiltin("ds_list_add", {3, c[1]});
        EXPECT_EQ(c[3], CallReal("ds_list_find_index", {3, c[2]})) << c[0] << " " << c[2];
    }
    CallBuiltin("ds_set_precision", {-0.25});
    EXPECT_DOUBLE_EQ(0.25, g_DSPrecision);
}

TEST_F(DataStructureTest, SortFlagsDifferBetweenListsAndGrids)
{
    int32_t list = static_cast<int32_t>(CallReal("ds_list_create", {}));
    for (double v : {2.0, 3.0, 1.0}) CallBuiltin("ds_list_add", {list, v});
    int32_t grid = static_cast<int32_t>(CallReal("ds_grid_create", {1, 3}));
    for (int y = 0; y < 3; ++y) CallBuiltin("ds_grid_set", {grid, 0, y, 2 - y});
    struct Case {
        const char* sort;
        std::vector<testsupport::TestArg> args;
        const char* get;
        std::vector<testsupport::TestArg> first;
        double expected;
    } cases[] = {
        {"ds_list_sort", {list, 0.4}, "ds_list_find_value", {list, 0}, 3},
        {"ds_grid_sort", {grid, 0, 0.5}, "ds_grid_get", {grid, 0, 0}, 2},
        {"ds_grid_sort", {grid + 0.9, 0.9, 1}, "ds_grid_get", {grid, 0, 0}, 0}, // truncated: grid, column 0
        {"ds_grid_sort", {grid, "0", 0}, "ds_grid_get", {grid, 0, 0}, 0},        // not all reals: nothing, silently
    };
    for (const Case& c : cases) {
        CallBuiltin(c.sort, c.args);
        EXPECT_EQ(c.expected, CallReal(c.get, c.first)) << c.sort << " " << c.args.back().real;
    }
    EXPECT_EQ(0, g_ErrorOccurred);
}

TEST_F(DataStructureTest, GridResizeRefusesZeroSizesFatallyAndCellsOutsideAreLogged)
{
    // Width, height asked; whether refused; width, height afterwards.
    const double cases[][5] = {{0, 5, 1, 3, 3}, {2, -1, 1, 3, 3}, {0.3, 5, 0, 0, 5}, {4.5, 2.5, 0, 4, 2}};
    for (const auto& c : cases) {
        int32_t grid = static_cast<int32_t>(CallReal("ds_grid_create", {3, 3}));
        CallBuiltin("ds_grid_resize", {grid, c[0], c[1]});
        EXPECT_EQ(c[2] != 0, g_ErrorQuitting) << c[0];
        EXPECT_EQ(c[2] != 0, TakeReport("Error: Can not resize a grid with a dimension of 0")) << c[0];
        EXPECT_EQ(Reals(c[3], c[4]), Reals(CallReal("ds_grid_width", {grid}), CallReal("ds_grid_height", {grid})));
        CallBuiltin("ds_grid_destroy", {grid});
    }
    testsupport::LogCapture script(ScriptConsole);
    CallReal("ds_grid_create", {3, 3});
    EXPECT_EQ("0", dstest::Show(CallBuiltin("ds_grid_get", {0, 3, 0})));
    CallBuiltin("ds_grid_set", {0, -1, 2, 7});
    EXPECT_EQ("Grid 0, index out of bounds reading [3,0] - size is [3,3]\n"
              "Grid 0, index out of bounds writing [-1,2] - size is [3,3]\n",
              script.Text());
}

TEST_F(DataStructureTest, ReadingAnArgumentWithoutTextChangesNothing)
{
    CallReal("ds_map_create", {});
    CallBuiltin("ds_map_add", {0, "hp", 100});
    CallBuiltin("ds_map_read", {0, 5});
    EXPECT_EQ("1:6870:4059", CallText("ds_map_write", {0}));
    CallReal("ds_list_create", {});
    CallBuiltin("ds_list_add", {0, "x"});
    CallBuiltin("ds_list_read", {0, 12});
    EXPECT_EQ(1, CallReal("ds_list_size", {0}));
}

} // namespace
