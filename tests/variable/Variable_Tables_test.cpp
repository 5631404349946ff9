#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>

#include "platform/Platform_TestSwitches.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Names.h"

namespace {

bool GetNothing(CInstance*, int32_t, ScriptValue*) { return true; }
bool SetNothing(CInstance*, int32_t, const ScriptValue*) { return true; }

} // namespace

TEST(BuiltinVariables, RowsAreFoundByExactNameInRegistrationOrder)
{
    Variable_BuiltIn_FreeNames(); // an empty table
    EXPECT_EQ(0, g_BuiltinVariableCount);
    Variable_BuiltIn_Add("x", GetNothing, SetNothing, true);
    Variable_BuiltIn_Add("object_index", GetNothing, nullptr, false);
    Variable_BuiltIn_Add("x", GetNothing, nullptr, false); // a second row of the same name
    // Case matters.
    for (auto [name, row] : {std::pair{"x", 0}, {"object_index", 1}, {"X", -1}, {"unknown", -1}})
        EXPECT_EQ(row, Variable_BuiltIn_Find(name)) << name;
    EXPECT_EQ(-1, Variable_BuiltIn_Find(nullptr));
    EXPECT_STREQ("object_index", Variable_BuiltIn_Name(1));
    EXPECT_STREQ("<unknown built-in variable>", Variable_BuiltIn_Name(3));
    EXPECT_STREQ("<unknown built-in variable>", Variable_BuiltIn_Name(-1));
    EXPECT_EQ(1, g_BuiltinVariables[0].canSet);
    EXPECT_EQ(0, g_BuiltinVariables[1].canSet);

    // Init starts over with the system's own rows: the rows added here are gone. Every row is
    // unique and readable, and read-only exactly when it has no setter.
    Variable_BuiltIn_Init();
    ASSERT_EQ(190, g_BuiltinVariableCount); // 78 per instance, 106 global, then 6 of the system
    int32_t readOnly = 0;
    for (int32_t row = 0; row < g_BuiltinVariableCount; ++row) {
        const BuiltinVariableEntry& entry = g_BuiltinVariables[row];
        EXPECT_EQ(row, Variable_BuiltIn_Find(entry.name)) << entry.name;
        EXPECT_NE(nullptr, entry.getter) << entry.name;
        EXPECT_EQ(entry.canSet == 0, entry.setter == nullptr) << entry.name;
        readOnly += entry.canSet == 0;
    }
    EXPECT_EQ(67, readOnly);
    // Compiled game code names variables by row: rows at the ends of both groups and between.
    for (auto [name, row, canSet] : {std::tuple{"x", 0, 1}, {"object_index", 13, 0}, {"alarm", 15, 1}, {"phy_speed_x", 58, 1},
                                     {"webgl_enabled", 77, 0}, {"argument_relative", 78, 0}, {"argument15", 95, 1},
                                     {"room", 98, 1}, {"mouse_x", 153, 0}, {"error_last", 183, 1}}) {
        EXPECT_EQ(row, Variable_BuiltIn_Find(name)) << name;
        EXPECT_EQ(canSet, g_BuiltinVariables[row].canSet) << name;
    }
    EXPECT_EQ(-1, Variable_BuiltIn_Find("argument16"));
    // A second start-up registers the same rows again.
    Variable_BuiltIn_Init();
    EXPECT_EQ(190, g_BuiltinVariableCount);
    Variable_BuiltIn_FreeNames();
    Variable_BuiltIn_Add("speed", GetNothing, SetNothing, true);
    EXPECT_EQ(0, Variable_BuiltIn_Find("speed"));
}

TEST(BuiltinVariables, AFullTableRefusesTheFiveHundredAndFirst)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    TestSwitches_Reload();
    Variable_BuiltIn_FreeNames();
    for (int32_t i = 0; i < BUILTIN_VARIABLE_ROWS; ++i)
        Variable_BuiltIn_Add(("row_" + std::to_string(i)).c_str(), GetNothing, nullptr, false);
    testing::internal::CaptureStdout();
    Variable_BuiltIn_Add("one_too_many", GetNothing, nullptr, false);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, log.find("INTERNAL ERROR: Adding too many variables"));
    EXPECT_EQ(BUILTIN_VARIABLE_ROWS, g_BuiltinVariableCount);
    EXPECT_EQ(-1, Variable_BuiltIn_Find("one_too_many"));
    EXPECT_EQ(499, Variable_BuiltIn_Find("row_499"));
    Variable_BuiltIn_FreeNames();
    EXPECT_EQ(0, g_BuiltinVariableCount);
    EXPECT_EQ(nullptr, g_BuiltinVariables[0].name);
}

TEST(VariableNames, UserIdentifiersFromOneHundredThousand)
{
    Variable_BuiltIn_Init();
    Variable_BuiltIn_Add("x", GetNothing, SetNothing, true);
    int32_t before = Code_Variable_UserCount();
    int32_t first = Code_Variable_Add("names_first");
    int32_t second = Code_Variable_Add("names_second");
    EXPECT_EQ(VARIABLE_USER_BASE + before, first);
    EXPECT_EQ(first + 1, second);
    EXPECT_EQ(first, Code_Variable_Add("names_first"));
    EXPECT_EQ(first, Code_Variable_Find("names_first"));
    EXPECT_EQ(-1, Code_Variable_Lookup("names_never_added"));
    EXPECT_EQ(before + 2, Code_Variable_UserCount()) << "a lookup never adds";
    EXPECT_EQ(-1, Code_Variable_Lookup("Names_first")) << "names compare exactly";

    // A built-in name keeps its row and adds nothing.
    EXPECT_EQ(0, Code_Variable_Find("x"));
    EXPECT_EQ(before + 2, Code_Variable_UserCount());

    for (auto [id, name] : {std::pair{second, "names_second"}, {0, "x"}, {99999, "<unknown built-in variable>"},
                            {second + 1000, "<unknown variable>"}})
        EXPECT_STREQ(name, Code_Variable_Find_Name(id)) << id;
    EXPECT_STREQ("names_second", Code_Variable_UserName(second));
    EXPECT_STREQ("<unknown variable>", Code_Variable_UserName(5));

    // A null name gets an entry of its own without text, and never equals anything.
    int32_t unnamed = Code_Variable_Add(nullptr);
    EXPECT_NE(unnamed, Code_Variable_Add(nullptr));
    EXPECT_STREQ("<unknown variable>", Code_Variable_Find_Name(unnamed));
    EXPECT_EQ(-1, Code_Variable_Lookup(nullptr));
    int32_t empty = Code_Variable_Add(""); // the empty text is a name like any other
    EXPECT_EQ(VARIABLE_USER_BASE + Code_Variable_UserCount() - 1, empty);
    EXPECT_EQ(empty, Code_Variable_Lookup(""));
    EXPECT_EQ(empty, Code_Variable_Add(""));
}
