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
    Variable_BuiltIn_FreeNames();
    Variable_BuiltIn_Add("x", GetNothing, SetNothing, true);
    Variable_BuiltIn_Add("object_index", GetNothing, nullptr, false);
    Variable_BuiltIn_Add("x", GetNothing, nullptr, false); // a second row of the same name
    for (auto [name, row] : {std::pair{"x", 0}, {"object_index", 1}, {"X", -1}, {"unknown", -1}})
        EXPECT_EQ(row, Variable_BuiltIn_Find(name)) << name;
    EXPECT_EQ(-1, Variable_BuiltIn_Find(nullptr));
    EXPECT_STREQ("<unknown built-in variable>", Variable_BuiltIn_Name(3));

    // Init starts over with the system's own rows; each is unique, readable, and read-only
    // exactly when it has no setter.
    Variable_BuiltIn_Init();
    ASSERT_EQ(190, g_BuiltinVariableCount); // 78 per instance, 106 global, then 6 of the system
    for (int32_t row = 0; row < g_BuiltinVariableCount; ++row) {
        const BuiltinVariableEntry& entry = g_BuiltinVariables[row];
        EXPECT_EQ(row, Variable_BuiltIn_Find(entry.name)) << entry.name;
        EXPECT_NE(nullptr, entry.getter) << entry.name;
        EXPECT_EQ(entry.canSet == 0, entry.setter == nullptr) << entry.name;
    }
    // Compiled game code names variables by row: the ends of both groups.
    for (auto [name, row] : {std::pair{"x", 0}, {"webgl_enabled", 77}, {"argument_relative", 78}, {"error_last", 183}})
        EXPECT_EQ(row, Variable_BuiltIn_Find(name)) << name;
    EXPECT_EQ(-1, Variable_BuiltIn_Find("argument16"));
    // Game files spell the "color" variables with "colour": the same rows, nothing added.
    for (auto [colour, color] : {std::pair{"background_colour", "background_color"}, {"background_showcolour", "background_showcolor"}}) {
        ASSERT_GE(Variable_BuiltIn_Find(color), 0) << color;
        EXPECT_EQ(Variable_BuiltIn_Find(color), Variable_BuiltIn_Find(colour)) << colour;
    }
    EXPECT_EQ(-1, Variable_BuiltIn_Find("background_colours"));
    EXPECT_EQ(190, g_BuiltinVariableCount);
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
    Variable_BuiltIn_FreeNames();
    EXPECT_EQ(0, g_BuiltinVariableCount);
}

TEST(VariableNames, UserIdentifiersFromOneHundredThousand)
{
    Variable_BuiltIn_Init();
    int32_t before = Code_Variable_UserCount();
    int32_t first = Code_Variable_Add("names_first");
    EXPECT_EQ(VARIABLE_USER_BASE + before, first);
    EXPECT_EQ(first, Code_Variable_Add("names_first"));
    EXPECT_EQ(-1, Code_Variable_Lookup("Names_first")) << "names compare exactly, and a lookup never adds";
    EXPECT_EQ(0, Code_Variable_Find("x")) << "a built-in name keeps its row";
    EXPECT_EQ(before + 1, Code_Variable_UserCount());

    for (auto [id, name] : {std::pair{first, "names_first"}, {0, "x"}, {99999, "<unknown built-in variable>"},
                            {first + 1000, "<unknown variable>"}})
        EXPECT_STREQ(name, Code_Variable_Find_Name(id)) << id;
    EXPECT_STREQ("<unknown variable>", Code_Variable_UserName(5));

    // A null name gets an entry of its own without text; the empty text is a name like any other.
    int32_t unnamed = Code_Variable_Add(nullptr);
    EXPECT_NE(unnamed, Code_Variable_Add(nullptr));
    EXPECT_EQ(-1, Code_Variable_Lookup(nullptr));
    int32_t empty = Code_Variable_Add("");
    EXPECT_EQ(empty, Code_Variable_Lookup(""));
}
