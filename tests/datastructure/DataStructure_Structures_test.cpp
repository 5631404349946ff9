// The structures' own rules: growth, list edges, list sorts in the insertion sort's order, nested
// ownership, map keys, priorities, the grid's areas, cell operations and copies; then the text
// forms byte for byte, their round trips, and what the readers refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "DataStructureTestSupport.h"
#include "datastructure/DataStructure_Text.h"

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

TEST_F(DataStructureTest, ListPositionsOutsideAreIgnored)
{
    CDS_List list;
    list.Insert(0, &Val(1));
    list.Insert(1, &Val(2)); // at count: appends
    list.Insert(3, &Val(9));
    list.Insert(-1, &Val(9));
    list.Replace(2, &Val(9));
    list.Delete(-1);
    EXPECT_EQ("1,2", ListText(&list));
    list.Insert(0, list.GetValue(1)); // a value of the list itself
    EXPECT_EQ("2,1,2", ListText(&list));
}

TEST_F(DataStructureTest, ListSortsFollowTheInsertionSort)
{
    // Values (numbers unless quoted), ascending, the sorted list. Reals within the precision keep
    // their order; a real and a string compare as 1 both ways.
    const std::tuple<std::vector<const char*>, bool, const char*> cases[] = {
        {{"3", "1", "2"}, false, "3,2,1"}, {{"'b", "'B", "'a"}, true, "\"B\",\"a\",\"b\""},
        {{"1.000000001", "1", "0.5"}, true, "0.5,1.0000000010000001,1"}, {{"1", "'a", "2"}, true, "\"a\",1,2"}};
    for (const auto& [values, ascending, sorted] : cases) {
        CDS_List list;
        for (const char* v : values) {
            if (v[0] == '\'') list.Add(&Val(v + 1));
            else list.Add(&Val(std::stod(v)));
        }
        list.Sort(ascending);
        EXPECT_EQ(sorted, ListText(&list));
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

// At shut-down every structure of every kind goes, those owned by others included, each once (the
// sanitizer build sees a leak or a second delete), and the tables start again from index 0.
TEST_F(DataStructureTest, ShutDownDestroysEveryStructureOnce)
{
    auto owning = [](uint32_t kind, int32_t index) { return ScriptValue{kind, 0, double(index)}; };
    const std::tuple<const char*, bool, bool> cases[] = { // name, owner is a map, owned is a map
        {"list owning a map", false, true}, {"map owning a list", true, false},
        {"list owning a list", false, false}, {"map owning a map", true, true}};
    for (const auto& [name, ownerMap, ownedMap] : cases) {
        DS_NewStack();
        DS_NewQueue();
        DS_NewPriority();
        DS_NewGrid(3, 2);
        int32_t owned = ownedMap ? DS_NewMap() : DS_NewList();
        ScriptValue mark = owning(ownedMap ? DS_MARK_MAP : DS_MARK_LIST, owned);
        if (ownerMap) {
            CDS_Map* owner = g_DSMaps.Get(DS_NewMap());
            owner->Add(&Val("key"), &mark);
            owner->Add(&Val(2), &Val("text"));
        } else {
            g_DSLists.Get(DS_NewList())->Add(&mark);
        }
        DS_FreeAll();
        EXPECT_EQ((std::vector<int32_t>{0, 0, 0, 0, 0, 0, 0, 0}),
                  (std::vector<int32_t>{g_DSStacks.Count(), g_DSQueues.Count(), g_DSLists.Count(), g_DSMaps.Count(),
                                        g_DSPriorities.Count(), g_DSGrids.Count(), DS_NewMap(), DS_NewList()}))
            << name;
        DS_FreeAll();
    }
}

// A chain of 150,000 structures, each owning the next, is destroyed with its first without running
// out of stack: lists, maps (of one bucket, to keep the test small) or both in turn. A structure
// reached twice, or one whose slot is already empty, is destroyed once.
TEST_F(DataStructureTest, DeepNestingIsDestroyedWithoutRecursion)
{
    constexpr int32_t CHAIN = 150000;
    auto live = [](auto& table) {
        int32_t count = 0;
        for (int32_t i = 0; i < table.Count(); ++i) count += table.Get(i) != nullptr ? 1 : 0;
        return count;
    };
    // Which kind link i of the chain is: a map or a list.
    const std::pair<const char*, bool (*)(int32_t)> chains[] = {
        {"lists", [](int32_t) { return false; }},
        {"maps", [](int32_t) { return true; }},
        {"both", [](int32_t i) { return i % 2 == 1; }},
    };
    for (const auto& chain : chains) {
        const char* name = chain.first;
        bool (*isMap)(int32_t) = chain.second;
        int32_t bystander = g_DSLists.Add(new CDS_List());
        std::vector<ScriptValue> marks(CHAIN);
        for (int32_t i = 0; i < CHAIN; ++i) {
            int32_t index = isMap(i) ? g_DSMaps.Add(new CDS_Map(1)) : g_DSLists.Add(new CDS_List());
            marks[size_t(i)] = ScriptValue{isMap(i) ? DS_MARK_MAP : DS_MARK_LIST, 0, double(index)};
        }
        auto own = [&](int32_t owner, int32_t owned, int32_t key) {
            int32_t index = int32_t(marks[size_t(owner)].real);
            if (isMap(owner)) g_DSMaps.Get(index)->Add(&Val(key), &marks[size_t(owned)]);
            else g_DSLists.Get(index)->Add(&marks[size_t(owned)]);
        };
        for (int32_t i = 0; i + 1 < CHAIN; ++i) own(i, i + 1, 0);
        // The last link owns the second one again and the first, whose slots are empty by then.
        own(CHAIN - 1, 1, 1);
        own(CHAIN - 1, 0, 2);
        ASSERT_EQ(CHAIN + 1, live(g_DSLists) + live(g_DSMaps)) << name;
        DS_DestroyNested(&marks[0]);
        EXPECT_EQ(1, live(g_DSLists) + live(g_DSMaps)) << name;
        EXPECT_NE(nullptr, g_DSLists.Get(bystander)) << name;
        delete g_DSLists.Take(bystander);
    }
}

TEST_F(DataStructureTest, MapKeysAreExactAndACopyOntoItselfKeepsThem)
{
    CDS_Map map; // the walking order by bucket is played end to end
    for (double key : {0.0, 1.0, 2.0}) map.Add(&Val(key), &Val(key * 10));
    // Adding a present key, replacing or deleting a missing one; negative zero and "1" are other keys.
    EXPECT_EQ((std::vector<bool>{false, true, false, false, false, false}),
              (std::vector<bool>{map.Add(&Val(1.0), &Val(99)), map.Replace(&Val(1.0), &Val(11)),
                                 map.Replace(&Val(5.0), &Val(50)), map.Delete(&Val(7.0)), map.Exists(&Val(-0.0)),
                                 map.Exists(&Val("1"))}));
    EXPECT_EQ("2", Show(&map.FindNext(&Val(-0.0))->key)) << "but find-next matches it exactly";
    map.Copy(&map);
    EXPECT_EQ(4, map.Size()) << "a map copied onto itself keeps its entries";
}

// Ties go to the lowest position (played end to end); a value's priority is changed and found
// by its first entry; a string priority always wins the highest.
TEST_F(DataStructureTest, PriorityValuesAndStringPriorities)
{
    CDS_Priority queue;
    queue.Add(&Val(7), &Val(1));
    queue.Add(&Val(7), &Val(2));
    queue.ChangePriority(&Val(7), &Val(9));
    EXPECT_EQ("7", Show(queue.FindMax()));
    queue.DeleteValue(&Val(7));
    EXPECT_EQ("2", Show(queue.FindPriority(&Val(7))));
    queue.Add(&Val("s"), &Val("string priority"));
    EXPECT_EQ("\"s\"", Show(queue.FindMax()));
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
    // A disk (centre, radius) or a rectangle (corners in any order); the rows of a 5 x 5 grid with
    // "1" where the area set the cell.
    const std::tuple<bool, double, double, double, double, const char*> cases[] = {
        {true, 2, 2, 1, 0, "00000/00100/01110/00100/00000/"},     {true, 2, 2, 0, 0, "00000/00000/00100/00000/00000/"},
        {true, 2.5, 2.5, 0.5, 0, "00000/00000/00000/00000/00000/"}, {false, 5, 5, 3, 3, "00000/00000/00000/00011/00011/"},
        {false, -4, 1, 0, 1, "00000/10000/00000/00000/00000/"}};
    for (const auto& [disk, a, b, c, d, expected] : cases) {
        CDS_Grid grid(5, 5);
        grid.AreaOp(DS_GRID_SET, disk ? grid.Disk(a, b, c) : grid.Rectangle(int32_t(a), int32_t(b), int32_t(c), int32_t(d)), &Val(1));
        std::string marked = GridText(&grid);
        marked.erase(std::remove(marked.begin(), marked.end(), ' '), marked.end());
        EXPECT_EQ(expected, marked) << a << "," << b << "," << c;
    }
}

TEST_F(DataStructureTest, GridCellOperationsByKind)
{
    ValueArray* array = Array_Create();
    ScriptValue arrayValue = {VALUE_ARRAY, ScriptHeap_Ref(array), 0.0};
    // The cell, the operation and its value, the cell afterwards.
    Val a("a"), b("b"), two(2), three(3), four(4);
    const std::tuple<const ScriptValue*, int32_t, const ScriptValue*, const char*> cases[] = {
        {&a, DS_GRID_ADD, &b, "\"ab\""},  {&a, DS_GRID_ADD, &two, "2"},        {&a, DS_GRID_MULTIPLY, &two, "\"a\""},
        {&four, DS_GRID_MULTIPLY, &three, "12"}, {&four, DS_GRID_ADD, &three, "7"}, {&four, DS_GRID_MULTIPLY, &arrayValue, "4"}};
    for (const auto& [cell, op, value, after] : cases) {
        CDS_Grid grid(1, 1);
        grid.CellOp(0, DS_GRID_SET, 0, 0, cell);
        grid.CellOp(0, op, 0, 0, value);
        EXPECT_EQ(after, Show(grid.Cell(0, 0)));
    }
    CDS_Grid grid(1, 1);
    grid.CellOp(0, DS_GRID_ADD, 0, 0, &arrayValue); // shares the array, as set does
    EXPECT_EQ(array, Value_GetArray(grid.Cell(0, 0)));
    EXPECT_EQ(2, array->refCount);
    Value_Free(&arrayValue);
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
    grid.Resize(-3, 2);
    EXPECT_EQ(0, grid.Width());
}

// The services other areas fill their maps and queues with: a repeated key keeps its first value,
// a present key is not replaced, a missing structure takes nothing without a report (but a
// queue cleared that is not there is reported). Queues are filled by the network and request
// tests.
TEST_F(DataStructureTest, ServicesOfOtherAreasFillMapsAndQueues)
{
    int32_t map = DS_MapCreate(3, "id", 7.0, static_cast<const char*>(nullptr), "result", 0.0, "body", "id", 8.0,
                               static_cast<const char*>(nullptr));
    DS_MapReplaceEntry(map, "id", "text");
    DS_MapAddEntry(map, "status", 200);
    DS_MapAddEntry(map + 5, "status", 1);
    EXPECT_EQ("1:6964:401C,1:737461747573:4069,3:726573756C74:626F6479", g_DSMaps.Get(map)->WriteToString());
    EXPECT_EQ(0, g_ErrorOccurred);
    DS_QueueClear(0);
    EXPECT_TRUE(TakeReport("Data structure with index does not exist."));
}

// Little-endian hex of a 32-bit integer, as the envelope writes it.
std::string Int(uint32_t v)
{
    char text[9];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, v >> 24);
    return text;
}

TEST_F(DataStructureTest, EnvelopesAreWrittenByteForByte)
{
    CDS_Grid grid(2, 1);
    grid.CellOp(0, DS_GRID_SET, 1, 0, &Val(1));
    EXPECT_EQ(Int(601) + Int(2) + Int(1) + Int(0) + "0000000000000000" + Int(0) + "000000000000F03F",
              grid.WriteToString());
    CDS_Queue queue;
    queue.Enqueue(&Val(1));
    queue.Dequeue();
    std::string slots;
    for (int i = 0; i < 16; ++i) slots += Int(0) + (i == 0 ? "000000000000F03F" : "0000000000000000");
    EXPECT_EQ(Int(201) + Int(1) + Int(1) + Int(16) + slots, queue.WriteToString());
    CDS_List marked;
    ScriptValue owner = {DS_MARK_MAP, 0, 3};
    marked.Add(&owner);
    EXPECT_EQ(Int(301) + Int(1) + Int(DS_MARK_MAP), marked.WriteToString()) << "a mark is written bare";
}

TEST_F(DataStructureTest, MapTextsBothWaysIncludingOddForms)
{
    CDS_Map written;
    EXPECT_EQ("", written.WriteToString());
    written.Add(&Val(-2), &Val("x"));
    written.Add(&Val("a"), &Val(0.5));
    written.Add(&Val(""), &Val(""));
    EXPECT_EQ("1:61:3FE0,2:C0:78,3::", written.WriteToString()); // in walking order
    // The text, then key=value in walking order. A trailing separator starts no entry; digits past
    // the double's sixteen are ignored; a dangling digit is dropped; a repeated key is a second
    // entry; lower case does not decode as hex; missing parts read as empty.
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"1:6870:4059,", "\"hp\"=100;"}, {"0:3FF00000000000000001:40", "1=2;"}, {"0:3FF:4", "3.0517578125e-05=0;"},
        {"1:6162:3FF0,1:6162:40", "\"ab\"=1;\"ab\"=2;"}, {"3:6a:", "\"\x8A\"=\"\";"}, {"3", "\"\"=\"\";"}, {"1:41", "\"A\"=0;"}};
    for (const auto& [text, expected] : cases) {
        CDS_Map map;
        map.Add(&Val("old"), &Val(1));
        EXPECT_TRUE(map.ReadFromString(text));
        std::string entries;
        for (CDS_MapNode* node = map.FindFirst(); node != nullptr; node = node->next)
            entries += Show(&node->key) + "=" + Show(&node->value) + ";";
        EXPECT_EQ(expected, entries) << text;
    }
}

TEST_F(DataStructureTest, NestedArraysAndEmptyTextsReadBack)
{
    ValueArray* array = Array_Create();
    ScriptValue nested = {VALUE_ARRAY, ScriptHeap_Ref(array), 0.0};
    Value_SetArrayElement(&nested, &Val("deep"), 32000 + 2);
    ScriptValue outer = {VALUE_REAL, 0, 0.0};
    Value_SetArrayElement(&outer, &nested, 1);
    Value_SetArrayElement(&outer, &Val(2.5), 0);
    Val real(-1.25), text("text"), empty("");
    const ScriptValue* values[] = {&real, &text, &empty, &outer};

    // Through lower-case digits, which read alike (the other kinds share the element form).
    CDS_List list, list2;
    for (const ScriptValue* value : values) list.Add(value);
    std::string lower = list.WriteToString();
    for (char& c : lower) c = static_cast<char>(std::tolower(c));
    EXPECT_TRUE(list2.ReadFromString(lower.c_str()));
    EXPECT_EQ(list.WriteToString(), list2.WriteToString());
    const ScriptValue* deep = Value_GetElementPointer(Value_GetElementPointer(list2.GetValue(3), 1), 32002);
    EXPECT_EQ("\"deep\"", Show(deep));
    EXPECT_EQ("\"<none>\"", Show(list2.GetValue(2))) << "an empty text reads as a string without text";
    Value_Free(&nested);
    Value_Free(&outer);
}

TEST_F(DataStructureTest, ReadersRefuseWhatTheTextCannotBack)
{
    const std::string list = Int(301);
    const std::string element = Int(0) + "000000000000F03F";
    // Another kind's version; a negative count; a count the bytes cannot hold; a huge count; a
    // count held by short elements (accepted); a string longer than the text; a negative string
    // length; an array row longer than 32000; an array of too many rows; a queue whose head passes
    // its tail, or whose tail passes its capacity; a grid whose size overflows; a negative grid
    // width; a priority count for values alone.
    const std::pair<std::string, bool> cases[] = {
        {Int(101) + Int(0), false}, {list + Int(0xFFFFFFFF), false}, {list + Int(7) + element + element, false},
        {list + Int(0x7FFFFFFF) + element, false}, {list + Int(2) + Int(0) + Int(0), true},
        {list + Int(1) + Int(1) + Int(5) + "4142", false}, {list + Int(1) + Int(1) + Int(0xFFFFFFFE), false},
        {list + Int(1) + Int(2) + Int(1) + Int(32001) + std::string(8 * 32001, '0'), false},
        {list + Int(1) + Int(2) + Int(100000) + std::string(8 * 100000, '0'), false},
        {Int(201) + Int(1) + Int(2) + Int(2) + element + element, false},
        {Int(201) + Int(3) + Int(0) + Int(2) + element + element, false},
        {Int(601) + Int(0x10000) + Int(0x10000) + element, false}, {Int(601) + Int(0xFFFFFFFF) + Int(0), false},
        {Int(501) + Int(2) + element + element, false}};
    for (const auto& [text, accepted] : cases) {
        std::string what = text.substr(0, 32);
        CDS_List listTarget;
        listTarget.Add(&Val("kept"));
        CDS_Queue queueTarget;
        CDS_Grid gridTarget(1, 1);
        CDS_Priority priorityTarget;
        bool read = listTarget.ReadFromString(text.c_str()) || queueTarget.ReadFromString(text.c_str()) ||
                    gridTarget.ReadFromString(text.c_str()) || priorityTarget.ReadFromString(text.c_str());
        EXPECT_EQ(accepted, read) << what;
        if (!read) {
            EXPECT_EQ("\"kept\"", Show(listTarget.GetValue(0))) << what;
            EXPECT_EQ(1, gridTarget.Width()) << what;
        }
    }
}

TEST_F(DataStructureTest, ReadBackMarksAreOnlyPlainReals)
{
    DS_NewMap(); // map 0, which a read-back mark must never own
    CDS_List list;
    std::string text = Int(301) + Int(3) + Int(DS_MARK_MAP) + Int(DS_MARK_LIST | DS_MARK_MAP) + Int(0x00000007);
    ASSERT_TRUE(list.ReadFromString(text.c_str()));
    // Another kind word is kept.
    EXPECT_EQ((std::vector<uint32_t>{VALUE_REAL, VALUE_REAL, 7}),
              (std::vector<uint32_t>{list.GetValue(0)->kind, list.GetValue(1)->kind, list.GetValue(2)->kind}));
    list.Clear();
    EXPECT_NE(nullptr, g_DSMaps.Get(0));
    CDS_Stack stack;
    stack.Push(&Val(1));
    EXPECT_TRUE(stack.ReadFromString("650000000000000"));
    EXPECT_TRUE(stack.Empty()) << "an odd last digit does not count";
}

} // namespace
