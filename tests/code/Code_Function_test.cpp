#include "code/Code_Function.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void RoutineA(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}
void RoutineB(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

// Stand-ins for the script and extension tables.
int32_t FindScript(const char* name) { return std::strcmp(name, "shared_name") == 0 ? 4 : -1; }
int32_t FindExtension(const char* name)
{
    if (std::strcmp(name, "shared_name") == 0 || std::strcmp(name, "ext_name") == 0) return 2;
    return -1;
}
int32_t ExtensionArgs(int32_t id) { return id == 2 ? 3 : -100; }

// The table is global and only grows while the program runs, so each test works with rows of
// its own names and with indices relative to where the table stood.
class FunctionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Saved = g_CallableLookup;
        g_CallableLookup = {FindScript, FindExtension, ExtensionArgs};
        m_Base = g_FunctionCount;
    }
    void TearDown() override { g_CallableLookup = m_Saved; }
    CallableLookup m_Saved{};
    int32_t m_Base = 0;
};

} // namespace

TEST_F(FunctionTest, TableGrowsByFiveHundredRowsKeepingIndices)
{
    // Fill up to the capacity (at least 500 rows), then one more row.
    Function_Add("grow_first", RoutineA, 0);
    m_Base = g_FunctionCount;
    int32_t toFill = g_FunctionCapacity - g_FunctionCount;
    for (int32_t i = 0; i < toFill; ++i) Function_Add(("grow_" + std::to_string(i)).c_str(), RoutineA, i % 4);
    int32_t capacity = g_FunctionCapacity;
    EXPECT_EQ(0, capacity % FUNCTION_TABLE_STEP);
    EXPECT_EQ(capacity, g_FunctionCount);
    Function_Add(("grow_" + std::to_string(toFill)).c_str(), RoutineB, FUNCTION_ARGS_ANY);
    EXPECT_EQ(capacity + 1, g_FunctionCount);
    EXPECT_EQ(capacity + 500, g_FunctionCapacity);
    for (int32_t i = 0; i <= toFill; ++i) {
        int32_t id = -5;
        ASSERT_TRUE(Code_Function_Find(("grow_" + std::to_string(i)).c_str(), &id));
        ASSERT_EQ(m_Base + i, id);
    }
    FunctionEntry* last = Function_Get(m_Base + toFill);
    ASSERT_NE(nullptr, last);
    EXPECT_EQ(RoutineB, last->routine);
    EXPECT_EQ(0xFFFFFFFFu, last->usageCount);
    EXPECT_EQ(FUNCTION_ARGS_ANY, Function_GetArgCount(m_Base + toFill));
    if (toFill > 0) {
        EXPECT_EQ((toFill - 1) % 4, Function_GetArgCount(m_Base + toFill - 1));
    }
}

TEST_F(FunctionTest, NamesFitTheSixtyFourByteField)
{
    std::string longest(63, 'n');
    Function_Add(longest.c_str(), RoutineA, 1);
    std::string tooLong = std::string(63, 'm') + "overflow";
    Function_Add(tooLong.c_str(), RoutineA, 2);
    EXPECT_EQ(longest, Function_Get(m_Base)->name);
    EXPECT_EQ(std::string(63, 'm'), Function_Get(m_Base + 1)->name);
    int32_t id = -5;
    EXPECT_TRUE(Code_Function_Find(longest.c_str(), &id));
    EXPECT_EQ(m_Base, id);
    EXPECT_FALSE(Code_Function_Find(tooLong.c_str(), &id)) << "the cut name is what the row holds";
    EXPECT_TRUE(Code_Function_Find(std::string(63, 'm').c_str(), &id));
    EXPECT_EQ(m_Base + 1, id);
}

TEST_F(FunctionTest, LookupOrderIsScriptsExtensionsThenRows)
{
    Function_Add("plain_twice", RoutineA, 0);
    Function_Add("plain_twice", RoutineB, 5); // registered twice: the first row wins
    Function_Add("shared_name", RoutineA, 0);
    Function_Add("ext_name", RoutineA, 0);
    int32_t id = -5;
    ASSERT_TRUE(Code_Function_Find("plain_twice", &id));
    EXPECT_EQ(m_Base, id);
    EXPECT_EQ(RoutineB, Function_Get(m_Base + 1)->routine);
    ASSERT_TRUE(Code_Function_Find("shared_name", &id));
    EXPECT_EQ(CALLABLE_SCRIPT_BASE + 4, id);
    ASSERT_TRUE(Code_Function_Find("ext_name", &id));
    EXPECT_EQ(CALLABLE_EXTENSION_BASE + 2, id);
    EXPECT_FALSE(Code_Function_Find("Plain_twice", &id)) << "names compare case-sensitively";
    EXPECT_EQ(-1, id);
    id = -5;
    EXPECT_FALSE(Code_Function_Find("", &id));
    EXPECT_EQ(-1, id);
    EXPECT_FALSE(Code_Function_Find(nullptr, &id));
}

TEST_F(FunctionTest, ArgumentCountsByIdentifierRange)
{
    Function_Add("two_args", RoutineA, 2);
    EXPECT_EQ(2, Function_GetArgCount(m_Base));
    EXPECT_EQ(FUNCTION_ARGS_UNKNOWN, Function_GetArgCount(g_FunctionCount));
    EXPECT_EQ(FUNCTION_ARGS_UNKNOWN, Function_GetArgCount(-1));
    EXPECT_EQ(FUNCTION_ARGS_UNKNOWN, Function_GetArgCount(99999));
    EXPECT_EQ(FUNCTION_ARGS_ANY, Function_GetArgCount(CALLABLE_SCRIPT_BASE));
    EXPECT_EQ(FUNCTION_ARGS_ANY, Function_GetArgCount(CALLABLE_EXTENSION_BASE - 1));
    EXPECT_EQ(3, Function_GetArgCount(CALLABLE_EXTENSION_BASE + 2));
    EXPECT_EQ(FUNCTION_ARGS_UNKNOWN, Function_GetArgCount(CALLABLE_EXTENSION_BASE + 9));
    EXPECT_EQ(nullptr, Function_Get(g_FunctionCount));
    EXPECT_EQ(nullptr, Function_Get(-1));
}

TEST(FunctionDefaults, WithoutScriptsOrExtensionsOnlyRowsAreFound)
{
    int32_t base = g_FunctionCount;
    Function_Add("only_builtin", RoutineA, 1);
    int32_t id = -5;
    EXPECT_TRUE(Code_Function_Find("only_builtin", &id));
    EXPECT_EQ(base, id);
    EXPECT_FALSE(Code_Function_Find("missing_everywhere", &id));
    EXPECT_EQ(FUNCTION_ARGS_UNKNOWN, Function_GetArgCount(CALLABLE_EXTENSION_BASE));
}

// Freeing the table would take every other test's rows with it: it runs in a child process.
TEST(FunctionDefaultsDeathTest, FreeTableEmptiesTheTableAndItsNames)
{
    EXPECT_EXIT(
        {
            Function_Add("freed_name", RoutineA, 1);
            Function_FreeTable();
            int32_t id = -5;
            bool gone = g_FunctionCount == 0 && g_FunctionTable == nullptr && !Code_Function_Find("freed_name", &id);
            Function_Add("after_free", RoutineB, 0);
            bool fresh = Code_Function_Find("after_free", &id) && id == 0 && g_FunctionCapacity == 500;
            std::exit(gone && fresh ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
