// Evaluating texts for the debugger and the form's watches, under both executors: a text of one
// call statement gives the call's value, assignments assign, and what does not compile is "Unable
// to evaluate".
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "app/App_CommandLine.h"
#include "code/Code_Value.h"
#include "debug/Debug_Form.h"
#include "debug/Debug_Remote.h"
#include "gamefile/GameFile_Options.h"
#include "platform/Platform_TestSwitches.h"
#include "script/Script_Table.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"

namespace {

const char* const TRIPLE_SCRIPT = "debugtest_triple";

std::string Shown(const ScriptValue& value)
{
    std::string text;
    Value_ToDisplayString(&text, &value);
    return text;
}

class DebugEvaluation : public testing::TestWithParam<uint8_t> {
  protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins();
        // The script reads argument0, a built-in variable.
        Variable_BuiltIn_Init();
        Variable_Init();
        m_Executor = g_UseBytecode;
        m_ShowErrors = g_GameOptions.showErrors;
        g_UseBytecode = GetParam();
        g_GameOptions.showErrors = true; // evaluations must stay quiet whatever the option says
        Script_Reset();
        CScript* script = new CScript();
        script->SetText("return argument0 * 3;");
        Script_Append(script, TRIPLE_SCRIPT);
        ASSERT_TRUE(script->Compile());
    }
    void TearDown() override
    {
        Script_Reset();
        Debugger_FreeEvaluationInstance();
        g_UseBytecode = m_Executor;
        g_GameOptions.showErrors = m_ShowErrors;
    }
    uint8_t m_Executor = 1;
    bool m_ShowErrors = false;
};

// Each row is evaluated in order, so an assignment is seen by the rows after it.
struct Row {
    const char* text;
    const char* shown;
};
const Row ROWS[] = {
    {"abs(-3)", "3"},
    {"(abs(-3))", "3"},
    {"abs(-3);", "3"},
    {"debugtest_triple(4)", "12"},
    {"debugtest_x = 5", "0"},
    {"debugtest_x", "5"},
    {"debugtest_x = abs(-7)", "0"},
    {"debugtest_x", "7"},
    {"string_length(\"abcd\")", "4"},
    {"1 +", "Unable to evaluate"},
    {"debugtest_nothing_by_this_name()", "Unable to evaluate"},
};

TEST_P(DebugEvaluation, RemoteEvaluationGivesCallValuesAndKeepsAssignments)
{
    for (const Row& row : ROWS) {
        ScriptValue result{};
        Debugger_ExecuteScript(row.text, &result);
        EXPECT_EQ(Shown(result), row.shown) << row.text;
        Value_Free(&result);
    }
}

TEST_P(DebugEvaluation, WatchesShowTheSameValues)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    TestSwitches_Reload();
    CDebugForm* form = DebugForm_Create();
    std::vector<std::string> expected;
    // Watches run in list order, so each assignment is seen by the rows below it.
    for (const Row& row : ROWS) {
        DebugForm_AddWatch(form, row.text);
        expected.push_back(row.shown);
    }
    DebugForm_EvaluateWatches(form);
    EXPECT_EQ(form->valueRows, expected);
    DebugForm_Delete(form);
    unsetenv("KELVARO_HEADLESS");
    TestSwitches_Reload();
}

INSTANTIATE_TEST_SUITE_P(Executors, DebugEvaluation, testing::Values(uint8_t{1}, uint8_t{0}),
                         [](const testing::TestParamInfo<uint8_t>& info) {
                             return info.param != 0 ? std::string("Bytecode") : std::string("Tree");
                         });

} // namespace
