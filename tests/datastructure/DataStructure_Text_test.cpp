// The text forms byte for byte, their round trips, and what the readers refuse.
#include <gtest/gtest.h>

#include <string>

#include "DataStructureTestSupport.h"
#include "datastructure/DataStructure_Text.h"

using dstest::DataStructureTest;
using dstest::Show;
using dstest::Val;

namespace {

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

TEST_F(DataStructureTest, MapTextsAreWrittenEntryByEntry)
{
    struct Case {
        Val key;
        Val value;
        const char* text;
    };
    const Case cases[] = {
        {Val(1), Val(0.5), "0:3FF0:3FE0"}, {Val(-2), Val("x"), "2:C0:78"}, {Val(0), Val(""), "2::"},
    };
    for (const Case& c : cases) {
        CDS_Map map;
        map.Add(&c.key, &c.value);
        EXPECT_EQ(c.text, map.WriteToString());
    }
    CDS_Map map;
    EXPECT_EQ("", map.WriteToString());
    for (const char* key : {"a", "b", "c"}) map.Add(&Val(key), &Val(1));
    EXPECT_EQ("1:62:3FF0,1:63:3FF0,1:61:3FF0", map.WriteToString());
}

TEST_F(DataStructureTest, MapTextsReadBackIncludingOddForms)
{
    struct Case {
        const char* text;
        const char* entries; // key=value in walking order
    };
    const Case cases[] = {
        {"0:4059:3FF0", "100=1;"},
        {"", ""},
        {"1:6870:4059,", "\"hp\"=100;"},             // a trailing separator starts no entry
        {"0:3FF00000000000000001:40", "1=2;"},       // digits past the double's sixteen are ignored
        {"0:3FF:4", "3.0517578125e-05=0;"},         // a dangling digit is dropped
        {"1:6162:3FF0,1:6162:40", "\"ab\"=1;\"ab\"=2;"}, // a repeated key is a second entry
        {"3:6a:", "\"\x8A\"=\"\";"},                 // lower case does not decode as hex
        {"3", "\"\"=\"\";"},
        {"1:41", "\"A\"=0;"},
    };
    for (const Case& c : cases) {
        CDS_Map map;
        map.Add(&Val("old"), &Val(1));
        EXPECT_TRUE(map.ReadFromString(c.text));
        std::string entries;
        for (CDS_MapNode* node = map.FindFirst(); node != nullptr; node = node->next)
            entries += Show(&node->key) + "=" + Show(&node->value) + ";";
        EXPECT_EQ(c.entries, entries) << c.text;
    }
}

TEST_F(DataStructureTest, EveryKindReadsBackWhatItWrote)
{
    ValueArray* array = Array_Create();
    ScriptValue nested = {VALUE_ARRAY, ScriptHeap_Ref(array), 0.0};
    Value_SetArrayElement(&nested, &Val("deep"), 32000 + 2);
    ScriptValue outer = {VALUE_REAL, 0, 0.0};
    Value_SetArrayElement(&outer, &nested, 1);
    Value_SetArrayElement(&outer, &Val(2.5), 0);
    Val real(-1.25), text("text"), empty("");
    const ScriptValue* values[] = {&real, &text, &empty, &outer};

    CDS_List list;
    CDS_Stack stack;
    CDS_Queue queue;
    CDS_Priority priority;
    CDS_Grid grid(2, 2);
    for (int i = 0; i < 4; ++i) {
        list.Add(values[i]);
        stack.Push(values[i]);
        queue.Enqueue(values[i]);
        priority.Add(values[i], values[3 - i]);
        grid.CellOp(0, DS_GRID_SET, i / 2, i % 2, values[i]);
    }
    queue.Dequeue();
    auto roundTrip = [](auto& structure, auto& fresh) {
        std::string text = structure.WriteToString();
        EXPECT_TRUE(fresh.ReadFromString(text.c_str()));
        EXPECT_EQ(text, fresh.WriteToString());
        std::string lower = text;
        for (char& c : lower) c = static_cast<char>(std::tolower(c));
        EXPECT_TRUE(fresh.ReadFromString(lower.c_str())) << "lower-case digits read alike";
        EXPECT_EQ(text, fresh.WriteToString());
    };
    CDS_List list2;
    CDS_Stack stack2;
    CDS_Queue queue2;
    CDS_Priority priority2;
    CDS_Grid grid2(0, 0);
    roundTrip(list, list2);
    roundTrip(stack, stack2);
    roundTrip(queue, queue2);
    roundTrip(priority, priority2);
    roundTrip(grid, grid2);
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
    struct Case {
        const char* what;
        std::string text;
        bool accepted;
    };
    const Case cases[] = {
        {"another kind's version", Int(101) + Int(0), false},
        {"a negative count", list + Int(0xFFFFFFFF), false},
        {"a count the bytes cannot hold", list + Int(7) + element + element, false},
        {"a huge count", list + Int(0x7FFFFFFF) + element, false},
        {"a count held by short elements", list + Int(2) + Int(0) + Int(0), true},
        {"a string longer than the text", list + Int(1) + Int(1) + Int(5) + "4142", false},
        {"a negative string length", list + Int(1) + Int(1) + Int(0xFFFFFFFE), false},
        {"an array row longer than 32000", list + Int(1) + Int(2) + Int(1) + Int(32001) + std::string(8 * 32001, '0'), false},
        {"an array of too many rows", list + Int(1) + Int(2) + Int(100000) + std::string(8 * 100000, '0'), false},
        {"a queue whose head passes its tail", Int(201) + Int(1) + Int(2) + Int(2) + element + element, false},
        {"a queue whose tail passes its capacity", Int(201) + Int(3) + Int(0) + Int(2) + element + element, false},
        {"a grid whose size overflows", Int(601) + Int(0x10000) + Int(0x10000) + element, false},
        {"a negative grid width", Int(601) + Int(0xFFFFFFFF) + Int(0) , false},
        {"a priority count for values alone", Int(501) + Int(2) + element + element, false},
    };
    for (const Case& c : cases) {
        CDS_List listTarget;
        listTarget.Add(&Val("kept"));
        CDS_Queue queueTarget;
        CDS_Grid gridTarget(1, 1);
        CDS_Priority priorityTarget;
        bool read = listTarget.ReadFromString(c.text.c_str()) || queueTarget.ReadFromString(c.text.c_str()) ||
                    gridTarget.ReadFromString(c.text.c_str()) || priorityTarget.ReadFromString(c.text.c_str());
        EXPECT_EQ(c.accepted, read) << c.what;
        if (!read) {
            EXPECT_EQ("\"kept\"", Show(listTarget.GetValue(0))) << c.what;
            EXPECT_EQ(1, gridTarget.Width()) << c.what;
        }
    }
}

TEST_F(DataStructureTest, ReadBackMarksAreOnlyPlainReals)
{
    DS_NewMap(); // map 0, which a read-back mark must never own
    CDS_List list;
    std::string text = Int(301) + Int(3) + Int(DS_MARK_MAP) + Int(DS_MARK_LIST | DS_MARK_MAP) + Int(0x00000007);
    ASSERT_TRUE(list.ReadFromString(text.c_str()));
    EXPECT_EQ(VALUE_REAL, list.GetValue(0)->kind);
    EXPECT_EQ(VALUE_REAL, list.GetValue(1)->kind);
    EXPECT_EQ(7u, list.GetValue(2)->kind) << "another kind word is kept";
    list.Clear();
    EXPECT_NE(nullptr, g_DSMaps.Get(0));
    CDS_Stack stack;
    stack.Push(&Val(1));
    EXPECT_TRUE(stack.ReadFromString("650000000000000"));
    EXPECT_TRUE(stack.Empty()) << "an odd last digit does not count";
}

} // namespace
