// The structures' own rules: growth, list edges, nested ownership, map walking order, priority
// ties, the grid's areas, cell operations and copies; and the quick sorts against the plain ones.
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

std::string ListText(CDS_List* list)
{
    std::string text;
    for (int32_t i = 0; i < list->Size(); ++i) text += (i > 0 ? "," : "") + Show(list->GetValue(i));
    return text;
}

TEST_F(DataStructureTest, StacksAndQueuesGrowSixteenAtATime)
{
    CDS_Stack stack;
    for (int i = 0; i < 17; ++i) {
        stack.Push(&Val(i));
        EXPECT_EQ(i < 16 ? 16 : 32, stack.Capacity());
    }
    stack.Clear();
    stack.Push(&Val("again"));
    EXPECT_EQ(16, stack.Capacity());
    EXPECT_EQ("\"again\"", Show(stack.Pop()));
    EXPECT_EQ("null", Show(stack.Pop()));
    CDS_Queue full, copy;
    for (int i = 0; i < 16; ++i) full.Enqueue(&Val(i));
    copy.Copy(&full);
    EXPECT_EQ("15", Show(copy.Tail()));
    EXPECT_EQ(16, copy.Capacity());
}

TEST_F(DataStructureTest, ListPositionsOutsideTheListAreIgnored)
{
    CDS_List list;
    list.Insert(0, &Val(1));
    list.Insert(1, &Val(2)); // at count: appends
    list.Insert(3, &Val(9));
    list.Insert(-1, &Val(9));
    list.Replace(2, &Val(9));
    list.Delete(2);
    list.Delete(-1);
    EXPECT_EQ("1,2", ListText(&list));
    list.Insert(0, list.GetValue(1)); // a value of the list itself
    EXPECT_EQ("2,1,2", ListText(&list));
    EXPECT_EQ(-1, list.Find(&Val("2")));
    list.Delete(0);
    list.Delete(0);
    list.Delete(0);
    EXPECT_TRUE(list.Empty());
}

TEST_F(DataStructureTest, ListSortsFollowTheInsertionSort)
{
    struct Case {
        std::vector<const char*> values; // numbers unless quoted
        bool ascending;
        const char* sorted;
    };
    const Case cases[] = {
        {{"3", "1", "2"}, true, "1,2,3"},
        {{"3", "1", "2"}, false, "3,2,1"},
        {{"'b", "'B", "'a"}, true, "\"B\",\"a\",\"b\""},
        {{"1.000000001", "1", "0.5"}, true, "0.5,1.0000000010000001,1"},
        {{"1", "'a", "2"}, true, "\"a\",1,2"}, // a real and a string compare as 1 both ways
    };
    for (const Case& c : cases) {
        CDS_List list;
        for (const char* v : c.values) {
            if (v[0] == '\'') list.Add(&Val(v + 1));
            else list.Add(&Val(std::stod(v)));
        }
        list.Sort(c.ascending);
        EXPECT_EQ(c.sorted, ListText(&list));
    }
}

TEST_F(DataStructureTest, MarkedElementsOwnTheirNestedStructuresAndCopiesOwnNothing)
{
    int32_t list = DS_NewList();
    int32_t copy = DS_NewList();
    for (int i = 0; i < 3; ++i) DS_NewMap();
    ScriptValue marked = {DS_MARK_MAP, 0, 2.7}; // truncated: map 2
    g_DSLists.Get(list)->Add(&marked);
    g_DSLists.Get(copy)->Copy(g_DSLists.Get(list));
    g_DSLists.Get(copy)->Clear();
    EXPECT_NE(nullptr, g_DSMaps.Get(2)) << "the copy owns nothing";
    EXPECT_EQ(VALUE_REAL, g_DSLists.Get(list)->GetValue(0)->kind & VALUE_KIND_MASK);
    g_DSLists.Get(list)->Clear();
    EXPECT_EQ(nullptr, g_DSMaps.Get(2));
    EXPECT_NE(nullptr, g_DSMaps.Get(1));

    for (int i = 0; i < 5; ++i) DS_NewList();
    ScriptValue ownsList = {DS_MARK_LIST, 0, 4};
    g_DSMaps.Get(1)->Add(&Val("inner"), &ownsList);
    CDS_Map* mapCopy = g_DSMaps.Get(DS_NewMap());
    mapCopy->Copy(g_DSMaps.Get(1));
    mapCopy->Clear();
    EXPECT_NE(nullptr, g_DSLists.Get(4));
    CDS_Map_Destroy(1);
    EXPECT_EQ(nullptr, g_DSLists.Get(4));
    EXPECT_EQ(nullptr, g_DSMaps.Get(1));
}

TEST_F(DataStructureTest, MapsWalkByBucketAndIdentifyKeysByHash)
{
    CDS_Map map;
    EXPECT_EQ(nullptr, map.FindFirst());
    EXPECT_EQ(nullptr, map.FindLast());
    for (double key : {0.0, 1.0, 2.0}) map.Add(&Val(key), &Val(key * 10));
    std::string walk;
    for (CDS_MapNode* node = map.FindFirst(); node != nullptr; node = map.FindNext(&node->key)) walk += Show(&node->key);
    EXPECT_EQ("021", walk);
    EXPECT_EQ(0x174841BCu, CDS_Map::Hash(&Val("a")));
    // Adding a present key, replacing or deleting a missing one; negative zero and "1" are other keys.
    EXPECT_EQ((std::vector<bool>{false, true, false, false, false, false}),
              (std::vector<bool>{map.Add(&Val(1.0), &Val(99)), map.Replace(&Val(1.0), &Val(11)),
                                 map.Replace(&Val(5.0), &Val(50)), map.Delete(&Val(7.0)), map.Exists(&Val(-0.0)),
                                 map.Exists(&Val("1"))}));
    EXPECT_EQ("11", Show(&map.Find(&Val(1.0))->value));
    EXPECT_EQ("2", Show(&map.FindNext(&Val(-0.0))->key)) << "but find-next matches it exactly";
    map.Add(&Val(0.3), &Val(0));
    EXPECT_EQ(nullptr, map.FindNext(&Val(0.1 + 0.2)));
    EXPECT_EQ(nullptr, map.FindNext(&map.FindLast()->key));
    EXPECT_EQ(nullptr, map.FindPrevious(&map.FindFirst()->key));
    map.Copy(&map);
    EXPECT_EQ(5, map.Size()) << "a map copied onto itself keeps its entries";
    CDS_Map small(0); // a count below 1 gets 4096 buckets
    small.Add(&Val("a"), &Val(1));
    small.Add(&Val("b"), &Val(2));
    EXPECT_EQ("\"b\"", Show(&small.FindFirst()->key));
}

TEST_F(DataStructureTest, PriorityTiesGoToTheLowestPosition)
{
    CDS_Priority queue;
    queue.Add(&Val("a"), &Val(5));
    queue.Add(&Val("b"), &Val(3));
    queue.Add(&Val("c"), &Val(3));
    EXPECT_EQ("\"b\"", Show(queue.FindMin()));
    EXPECT_EQ("\"a\"", Show(queue.FindMax()));
    ScriptValue taken = {VALUE_REAL, 0, 0.0};
    queue.DeleteMin(&taken);
    EXPECT_EQ("\"b\"", Show(&taken));
    EXPECT_EQ("\"c\"", Show(queue.FindMin()));
    queue.Add(&Val(7), &Val(1));
    queue.Add(&Val(7), &Val(2));
    queue.ChangePriority(&Val(7), &Val(9));
    EXPECT_EQ("7", Show(queue.FindMax()));
    queue.DeleteValue(&Val(7));
    EXPECT_EQ("2", Show(queue.FindPriority(&Val(7))));
    EXPECT_EQ("null", Show(queue.FindPriority(&Val("zz"))));
    queue.Add(&Val("s"), &Val("string priority"));
    EXPECT_EQ("\"s\"", Show(queue.FindMax())) << "a string priority always wins the highest";
    queue.Clear();
    queue.DeleteMax(&taken);
    EXPECT_EQ("0", Show(&taken));
    Value_Free(&taken);
}

std::string GridText(CDS_Grid* grid)
{
    std::string text;
    for (int32_t y = 0; y < grid->Height(); ++y) {
        for (int32_t x = 0; x < grid->Width(); ++x) text += (x > 0 ? " " : "") + Show(grid->Cell(x, y));
        text += "/";
    }
    return text;
}

TEST_F(DataStructureTest, GridAreasCoverTheCellsTheirBoundsSay)
{
    struct Case {
        bool disk;
        double a, b, c, d;
        const char* marked; // rows of a 5 x 5 grid, "1" where the area set the cell
    };
    const Case cases[] = {
        {true, 2, 2, 1, 0, "00000/00100/01110/00100/00000/"},
        {true, 2, 2, 0, 0, "00000/00000/00100/00000/00000/"},
        {true, 2.5, 2.5, 0.5, 0, "00000/00000/00000/00000/00000/"},
        {false, 5, 5, 3, 3, "00000/00000/00000/00011/00011/"},
        {false, -4, 1, 0, 1, "00000/10000/00000/00000/00000/"},
    };
    for (const Case& c : cases) {
        CDS_Grid grid(5, 5);
        DS_GridArea area = c.disk ? grid.Disk(c.a, c.b, c.c)
                                  : grid.Rectangle(int32_t(c.a), int32_t(c.b), int32_t(c.c), int32_t(c.d));
        grid.AreaOp(DS_GRID_SET, area, &Val(1));
        std::string marked = GridText(&grid);
        marked.erase(std::remove(marked.begin(), marked.end(), ' '), marked.end());
        EXPECT_EQ(c.marked, marked) << c.a << "," << c.b << "," << c.c;
    }
    CDS_Grid empty(0, 5);
    EXPECT_EQ(0, empty.Statistics(empty.Rectangle(0, 0, 9, 9)).count);
}

TEST_F(DataStructureTest, GridCellOperationsByKind)
{
    ValueArray* array = Array_Create();
    ScriptValue arrayValue = {VALUE_ARRAY, ScriptHeap_Ref(array), 0.0};
    struct Case {
        Val cell;
        int32_t op;
        const ScriptValue* value;
        const char* after;
    };
    Val a("a"), b("b"), two(2), three(3);
    const Case cases[] = {
        {Val("a"), DS_GRID_ADD, &b, "\"ab\""},
        {Val("a"), DS_GRID_ADD, &two, "2"},
        {Val("a"), DS_GRID_MULTIPLY, &two, "\"a\""},
        {Val(4), DS_GRID_MULTIPLY, &three, "12"},
        {Val(4), DS_GRID_ADD, &three, "7"},
        {Val(4), DS_GRID_MULTIPLY, &arrayValue, "4"},
    };
    for (const Case& c : cases) {
        CDS_Grid grid(1, 1);
        grid.CellOp(0, DS_GRID_SET, 0, 0, &c.cell);
        grid.CellOp(0, c.op, 0, 0, c.value);
        EXPECT_EQ(c.after, Show(grid.Cell(0, 0)));
    }
    CDS_Grid grid(1, 1);
    grid.CellOp(0, DS_GRID_ADD, 0, 0, &arrayValue); // shares the array, as set does
    EXPECT_EQ(array, Value_GetArray(grid.Cell(0, 0)));
    EXPECT_EQ(2, array->refCount);
    grid.CellOp(0, DS_GRID_SET, 0, 0, &Val(std::string(1000, 'x').c_str()));
    grid.CellOp(0, DS_GRID_ADD, 0, 0, &Val(std::string(100, 'y').c_str()));
    EXPECT_EQ(1023u, std::string(Value_GetText(grid.Cell(0, 0))).size());
    Value_Free(&arrayValue);
}

TEST_F(DataStructureTest, GridStatisticsSeeOnlyReals)
{
    CDS_Grid grid(3, 1);
    grid.Clear(&Val("s"));
    DS_GridStats strings = grid.Statistics(grid.Rectangle(0, 0, 2, 0));
    EXPECT_EQ((std::vector<double>{-1e8, 1e8, 0}), (std::vector<double>{strings.max, strings.min, strings.Mean()}));
    grid.CellOp(0, DS_GRID_SET, 1, 0, &Val(-2e8));
    grid.CellOp(0, DS_GRID_SET, 2, 0, &Val(4));
    DS_GridStats mixed = grid.Statistics(grid.Rectangle(0, 0, 2, 0));
    EXPECT_EQ((std::vector<double>{4, -2e8, (-2e8 + 4) / 2}), (std::vector<double>{mixed.max, mixed.min, mixed.Mean()}));
    int32_t x = -1, y = -1;
    EXPECT_TRUE(grid.FindValue(grid.Disk(1, 0, 1), &Val(4), &x, &y));
    EXPECT_EQ(2, x);
    EXPECT_FALSE(grid.FindValue(grid.Rectangle(0, 0, 2, 0), &Val(5), &x, &y));
    EXPECT_EQ(0, x);
}

TEST_F(DataStructureTest, GridRegionCopiesReadBeforeTheyWrite)
{
    CDS_Grid grid(4, 3);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 3; ++y) grid.CellOp(0, DS_GRID_SET, x, y, &Val(10 * x + y));
    grid.GridRegionOp(DS_GRID_SET, &grid, 0, 0, 2, 2, 1, 0);
    EXPECT_EQ("0 0 10 20/1 1 11 21/2 2 12 22/", GridText(&grid));
    // Source column 1 would land left of the grid: columns 2 and 3 are added to row 2 from column 0.
    grid.GridRegionOp(DS_GRID_ADD, &grid, 1, 0, 3, 0, -1, 2);
    EXPECT_EQ("0 0 10 20/1 1 11 21/12 22 12 22/", GridText(&grid));
    grid.GridRegionOp(DS_GRID_SET, &grid, 0, 0, 3, 2, INT32_MIN, INT32_MAX); // far away: nothing
    EXPECT_EQ("0 0 10 20/1 1 11 21/12 22 12 22/", GridText(&grid));
    grid.Resize(2, 4);
    EXPECT_EQ("0 0/1 1/12 22/0 0/", GridText(&grid));
    grid.Resize(-3, 2);
    EXPECT_EQ(0, grid.Width());
}

TEST_F(DataStructureTest, ServicesOfOtherAreasFillMapsAndQueues)
{
    int32_t map = DS_MapCreate(3, "id", 7.0, static_cast<const char*>(nullptr), "result", 0.0, "body", "id", 8.0,
                               static_cast<const char*>(nullptr));
    CDS_Map* made = g_DSMaps.Get(map);
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(2, made->Size());
    EXPECT_EQ("7", Show(&made->Find(&Val("id"))->value)) << "a repeated key keeps its first value";
    DS_MapReplaceEntry(map, "id", "text"); // adds only: the present key is kept
    DS_MapAddEntry(map, "status", 200);
    DS_MapAddEntry(map + 5, "status", 1); // no map there: nothing, and no report
    EXPECT_EQ("1:6964:401C,1:737461747573:4069,3:726573756C74:626F6479", made->WriteToString());
    EXPECT_EQ(0, g_ErrorOccurred);

    int32_t queue = DS_QueueCreate();
    DS_QueueEnqueueArgs(queue, 2, 1.5, static_cast<const char*>(nullptr), 0.0, "two");
    DS_QueueEnqueueArgs(-1, 1, 9.0, static_cast<const char*>(nullptr));
    EXPECT_EQ(2, DS_QueueSize(queue));
    EXPECT_EQ(0, DS_QueueSize(-3));
    ScriptValue out = {VALUE_REAL, 0, 0.0};
    DS_QueueDequeue(queue, &out);
    EXPECT_EQ("1.5", Show(&out));
    DS_QueueDequeue(queue, &out);
    EXPECT_EQ("\"two\"", Show(&out));
    Value_Free(&out);
    DS_QueueClear(queue);
    EXPECT_EQ(0, g_ErrorOccurred);
    DS_QueueClear(queue + 1);
    EXPECT_TRUE(TakeReport("Data structure with index does not exist."));
}

// The quick ways against the plain ones on random data: list sorting against the insertion sort,
// and the grid's row sort against its comparison.

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
