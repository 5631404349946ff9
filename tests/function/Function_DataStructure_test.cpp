// The ds_ family through the function table: its rows, index checks and reports, and the rules
// the routines add to their structures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "../datastructure/DataStructureTestSupport.h"
#include "base/Base_Console.h"

using dstest::DataStructureTest;
using testsupport::CallBuiltin;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

const char* const MISSING = "Data structure with index does not exist.";

TEST(DataStructureFamily, RegistersTheNamesInOrderWithTheirCounts)
{
    const char* const expected =
        "ds_set_precision 1,ds_stack_create 0,ds_stack_destroy 1,ds_stack_clear 1,ds_stack_copy 2,ds_stack_size 1,"
        "ds_stack_empty 1,ds_stack_push 2,ds_stack_pop 1,ds_stack_top 1,ds_stack_write 1,ds_stack_read 2,"
        "ds_queue_create 0,ds_queue_destroy 1,ds_queue_clear 1,ds_queue_copy 2,ds_queue_size 1,ds_queue_empty 1,"
        "ds_queue_enqueue 2,ds_queue_dequeue 1,ds_queue_head 1,ds_queue_tail 1,ds_queue_write 1,ds_queue_read 2,"
        "ds_list_create 0,ds_list_destroy 1,ds_list_clear 1,ds_list_copy 2,ds_list_size 1,ds_list_empty 1,"
        "ds_list_add 2,ds_list_insert 3,ds_list_replace 3,ds_list_delete 2,ds_list_find_index 2,"
        "ds_list_find_value 2,ds_list_sort 2,ds_list_shuffle 1,ds_list_write 1,ds_list_read 2,ds_map_create 0,"
        "ds_map_destroy 1,ds_map_clear 1,ds_map_copy 2,ds_map_size 1,ds_map_empty 1,ds_map_add 3,ds_map_replace 3,"
        "ds_map_delete 2,ds_map_exists 2,ds_map_find_value 2,ds_map_find_previous 2,ds_map_find_next 2,"
        "ds_map_find_first 1,ds_map_find_last 1,ds_map_write 1,ds_map_read 2,ds_priority_create 0,"
        "ds_priority_destroy 1,ds_priority_clear 1,ds_priority_copy 2,ds_priority_size 1,ds_priority_empty 1,"
        "ds_priority_add 3,ds_priority_change_priority 3,ds_priority_find_priority 2,ds_priority_delete_value 2,"
        "ds_priority_delete_min 1,ds_priority_find_min 1,ds_priority_delete_max 1,ds_priority_find_max 1,"
        "ds_priority_write 1,ds_priority_read 2,ds_grid_create 2,ds_grid_destroy 1,ds_grid_copy 2,ds_grid_resize 3,"
        "ds_grid_width 1,ds_grid_height 1,ds_grid_clear 2,ds_grid_set 4,ds_grid_add 4,ds_grid_multiply 4,"
        "ds_grid_set_region 6,ds_grid_add_region 6,ds_grid_multiply_region 6,ds_grid_set_disk 5,ds_grid_add_disk 5,"
        "ds_grid_multiply_disk 5,ds_grid_set_grid_region 8,ds_grid_add_grid_region 8,"
        "ds_grid_multiply_grid_region 8,ds_grid_get 3,ds_grid_get_sum 5,ds_grid_get_max 5,ds_grid_get_min 5,"
        "ds_grid_get_mean 5,ds_grid_get_disk_sum 4,ds_grid_get_disk_max 4,ds_grid_get_disk_min 4,"
        "ds_grid_get_disk_mean 4,ds_grid_value_exists 6,ds_grid_value_x 6,ds_grid_value_y 6,"
        "ds_grid_value_disk_exists 5,ds_grid_value_disk_x 5,ds_grid_value_disk_y 5,ds_grid_shuffle 1,"
        "ds_grid_write 1,ds_grid_read 2,ds_grid_sort 3,";
    testsupport::RegisterBuiltins();
    std::string registered;
    int32_t names = 0;
    for (int32_t i = 0; i < g_FunctionCount; ++i) {
        std::string name = g_FunctionTable[i].name;
        if (name.compare(0, 3, "ds_") != 0) continue;
        registered += name + " " + std::to_string(g_FunctionTable[i].argCount) + ",";
        ++names;
    }
    EXPECT_EQ(expected, registered);
    EXPECT_EQ(111, names);
}

TEST_F(DataStructureTest, BadIndicesAreReportedExceptWhereTheFamilySaysSilent)
{
    struct Case {
        const char* setup; // a structure of this kind is made and destroyed first (index 0 then empty)
        const char* call;
        std::vector<testsupport::TestArg> args;
        bool reported;
    };
    const Case cases[] = {
        {"ds_stack", "ds_stack_pop", {0}, true},
        {"ds_stack", "ds_stack_destroy", {0}, true},
        {"ds_list", "ds_list_destroy", {0}, false},
        {"ds_list", "ds_list_destroy", {1}, true}, // outside the table
        {"ds_map", "ds_map_destroy", {0}, false},
        {"ds_map", "ds_map_destroy", {-1}, true},
        {"ds_queue", "ds_queue_size", {0}, true},
        {"ds_priority", "ds_priority_find_min", {0}, true},
        {"ds_map", "ds_map_add", {0, "k", 1}, true},
        {"ds_list", "ds_list_copy", {0, 0}, true},
        {"ds_stack", "ds_stack_size", {NAN}, true},
        {"ds_stack", "ds_stack_size", {1e10}, true},
    };
    for (const Case& c : cases) {
        std::string kind = c.setup;
        int32_t index = static_cast<int32_t>(CallReal((kind + "_create").c_str(), {}));
        CallBuiltin((kind + "_destroy").c_str(), {index});
        ClearErrors();
        testsupport::BuiltinResult result = CallBuiltin(c.call, c.args);
        EXPECT_EQ(c.reported, TakeReport(MISSING)) << c.call;
        EXPECT_EQ("0", dstest::Show(result)) << c.call;
    }
}

TEST_F(DataStructureTest, EmptyStructuresAnswerRealZeroWithoutAnError)
{
    CallReal("ds_stack_create", {});
    CallReal("ds_queue_create", {});
    CallReal("ds_list_create", {});
    CallReal("ds_map_create", {});
    CallReal("ds_priority_create", {});
    for (const char* call : {"ds_stack_pop", "ds_stack_top", "ds_queue_dequeue", "ds_queue_head", "ds_queue_tail",
                             "ds_map_find_first", "ds_map_find_last", "ds_priority_delete_min",
                             "ds_priority_find_max"}) {
        EXPECT_EQ("0", dstest::Show(CallBuiltin(call, {0}))) << call;
        EXPECT_EQ(0, g_ErrorOccurred) << call;
    }
    EXPECT_EQ("0", dstest::Show(CallBuiltin("ds_list_find_value", {0, 3})));
    EXPECT_EQ(-1, CallReal("ds_list_find_index", {0, 3}));
}

TEST_F(DataStructureTest, IndicesRoundHalfToEvenAndTablesAreSeparate)
{
    for (int i = 0; i < 3; ++i) EXPECT_EQ(i, CallReal("ds_list_create", {}));
    CallBuiltin("ds_list_add", {2, "two"});
    CallBuiltin("ds_list_add", {0, "zero"});
    struct Case {
        double index;
        const char* holds;
    };
    const Case cases[] = {{1.5, "\"two\""}, {2.5, "\"two\""}, {-0.4, "\"zero\""}, {0.5, "\"zero\""}};
    for (const Case& c : cases) EXPECT_EQ(c.holds, dstest::Show(CallBuiltin("ds_list_find_value", {c.index, 0}))) << c.index;
    CallBuiltin("ds_list_destroy", {1});
    EXPECT_EQ(0, CallReal("ds_map_create", {}));
    EXPECT_EQ(1, CallReal("ds_list_create", {}));
    EXPECT_EQ(3, CallReal("ds_list_create", {}));
}

TEST_F(DataStructureTest, PrecisionDecidesWhatFindingCallsEqual)
{
    struct Case {
        double precision;
        double stored;
        double sought;
        double found;
    };
    const Case cases[] = {
        {1e-8, 3, 3, 0},     {0, 3, 3, -1},          {-0.5, 1.2, 1.6, 0}, {-0.5, 1.0, 1.5, -1},
        {1e-8, 0.3, 0.1 + 0.2, 0}, {1e-8, 16777216, 16777217, 0},
    };
    for (const Case& c : cases) {
        int32_t list = static_cast<int32_t>(CallReal("ds_list_create", {}));
        CallBuiltin("ds_set_precision", {c.precision});
        CallBuiltin("ds_list_add", {list, c.stored});
        EXPECT_EQ(c.found, CallReal("ds_list_find_index", {list, c.sought})) << c.precision << " " << c.sought;
        CallBuiltin("ds_list_destroy", {list});
    }
    CallBuiltin("ds_set_precision", {-0.25});
    EXPECT_DOUBLE_EQ(0.25, g_DSPrecision);
}

TEST_F(DataStructureTest, MapAddAndReplaceAnswerWhetherTheKeyWasThere)
{
    int32_t m = static_cast<int32_t>(CallReal("ds_map_create", {}));
    EXPECT_EQ(1, CallReal("ds_map_add", {m, "k", 1}));
    EXPECT_EQ(0, CallReal("ds_map_add", {m, "k", 2}));
    EXPECT_EQ(1, CallReal("ds_map_find_value", {m, "k"}));
    EXPECT_EQ(1, CallReal("ds_map_replace", {m, "k", 2}));
    EXPECT_EQ(0, CallReal("ds_map_replace", {m, "new", 3}));
    EXPECT_EQ(2, CallReal("ds_map_find_value", {m, "k"}));
    EXPECT_EQ(1, CallReal("ds_map_exists", {m, "new"}));
    CallBuiltin("ds_map_delete", {m, "new"});
    EXPECT_EQ(0, CallReal("ds_map_exists", {m, "new"}));
    EXPECT_EQ(1, CallReal("ds_map_size", {m}));
}

TEST_F(DataStructureTest, SortFlagsDifferBetweenListsAndGrids)
{
    int32_t list = static_cast<int32_t>(CallReal("ds_list_create", {}));
    for (double v : {2.0, 3.0, 1.0}) CallBuiltin("ds_list_add", {list, v});
    CallBuiltin("ds_list_sort", {list, 0.5});
    EXPECT_EQ(1, CallReal("ds_list_find_value", {list, 0}));
    CallBuiltin("ds_list_sort", {list, 0.4});
    EXPECT_EQ(3, CallReal("ds_list_find_value", {list, 0}));

    int32_t grid = static_cast<int32_t>(CallReal("ds_grid_create", {1, 3}));
    for (int y = 0; y < 3; ++y) CallBuiltin("ds_grid_set", {grid, 0, y, 2 - y});
    CallBuiltin("ds_grid_sort", {grid, 0, 1});
    EXPECT_EQ(0, CallReal("ds_grid_get", {grid, 0, 0}));
    CallBuiltin("ds_grid_sort", {grid, 0, 0.5});
    EXPECT_EQ(2, CallReal("ds_grid_get", {grid, 0, 0}));
    CallBuiltin("ds_grid_sort", {grid + 0.9, 0.9, 1}); // truncated: grid, column 0
    EXPECT_EQ(0, CallReal("ds_grid_get", {grid, 0, 0}));
    CallBuiltin("ds_grid_sort", {grid, "0", 0}); // not all reals: nothing, silently
    EXPECT_EQ(0, CallReal("ds_grid_get", {grid, 0, 0}));
    EXPECT_EQ(0, g_ErrorOccurred);
}

TEST_F(DataStructureTest, GridResizeRefusesZeroSizesFatallyAndRoundsTheRest)
{
    struct Case {
        double w, h;
        bool fatal;
        double width, height;
    };
    const Case cases[] = {{0, 5, true, 3, 3}, {2, -1, true, 3, 3}, {0.3, 5, false, 0, 5}, {4.5, 2.5, false, 4, 2}};
    for (const Case& c : cases) {
        int32_t grid = static_cast<int32_t>(CallReal("ds_grid_create", {3, 3}));
        CallBuiltin("ds_grid_resize", {grid, c.w, c.h});
        EXPECT_EQ(c.fatal, g_ErrorQuitting) << c.w;
        EXPECT_EQ(c.fatal, TakeReport("Error: Can not resize a grid with a dimension of 0")) << c.w;
        EXPECT_EQ(c.width, CallReal("ds_grid_width", {grid})) << c.w;
        EXPECT_EQ(c.height, CallReal("ds_grid_height", {grid})) << c.w;
        CallBuiltin("ds_grid_destroy", {grid});
    }
}

TEST_F(DataStructureTest, GridCellsOutsideTheGridLogOnTheScriptConsole)
{
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
