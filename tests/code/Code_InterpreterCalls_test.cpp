// Script calls as the lean frames make them: local lists made only when a level first reaches a
// local, argument slots kept by a bound rather than looked at, and scripts' code found once per run.
#include <gtest/gtest.h>

#include <string>

#include "Code_InterpreterSupport.h"

using namespace vmtest;

namespace {

std::string Call(int32_t script, int32_t count)
{
    return "call.i " + std::to_string(script) + " " + std::to_string(count) + "\n";
}

// Arguments real 1 to count, argument 0 on top.
std::string Arguments(int32_t count)
{
    std::string source;
    for (int32_t i = count; i >= 1; --i) source += "push.i " + std::to_string(i) + "\nconv.i.v\n";
    return source;
}

TEST_F(InterpreterTest, EachLevelHasItsOwnLocalsWhenItFirstUsesThem)
{
    ScriptTable scripts;
    // sum(n): n + sum(n - 1), holding n in a local across the call; sum(0) is 0.
    int32_t sum = CALLABLE_SCRIPT_BASE;
    scripts.Add("sum", "push.e 0\nconv.i.v\ncall.i vmtest_arg 1\npop.v.v local.vmcall_n\n"
                       "push.v local.vmcall_n\npush.e 0\nsgt.i.v\nbf base\n"
                       "push.v local.vmcall_n\npush.e 1\nsub.i.v\n" + Call(sum, 1) +
                       "push.v local.vmcall_n\nadd.v.v\nret.v\nbase:\npush.e 0\nconv.i.v\nret.v\n");
    int32_t none = scripts.Add("none", "push.e 3\nconv.i.v\nret.v\n");
    int32_t reader = scripts.Add("reader", "push.v local.vmcall_unset\nret.v\n");
    const struct {
        const char* what;
        std::string source;
        double expected;
    } cases[] = {
        {"recursion keeps every level's local", "push.e 5\nconv.i.v\n" + Call(sum, 1), 15},
        {"a callee without locals leaves the caller's",
         "push.e 7\npop.v.i local.vmcall_t\n" + Call(none, 0) + "popz.v\npush.v local.vmcall_t\n", 7},
        {"the caller's local after a callee made its own list",
         "push.e 9\npop.v.i local.vmcall_t\npush.e 2\nconv.i.v\n" + Call(sum, 1) + "popz.v\npush.v local.vmcall_t\n", 9},
        {"a level's first local read finds an empty list", Call(reader, 0), 0},
    };
    for (const auto& c : cases) {
        RunOutcome outcome = RunProgram(c.source);
        ASSERT_FALSE(outcome.failed) << c.what << ": " << outcome.error;
        EXPECT_EQ(outcome.Real(), c.expected) << c.what;
        EXPECT_EQ(outcome.leftOnStack, 0) << c.what;
    }
}

// A caller holding three argument slots calls with so many arguments that the slots it keeps and
// the arguments share the frame's place; each side must see its own.
TEST_F(InterpreterTest, ArgumentsThatShareTheFramesPlaceWithTheSavedSlots)
{
    ScriptTable scripts;
    int32_t probe = scripts.Add("probe", "call.i vmtest_record 0\npopz.v\n");
    for (int32_t count : {13, 14, 15, 16}) {
        for (int32_t i = 0; i < 3; ++i) g_ScriptArguments[i] = ScriptValue{VALUE_REAL, 0, 40.0 + i};
        RunOutcome outcome = RunProgram(Arguments(count) + Call(probe, count) + "popz.v\n");
        ASSERT_FALSE(outcome.failed) << outcome.error;
        std::vector<double> inside(16, 0.0), back(16, 0.0);
        for (int32_t i = 0; i < count; ++i) inside[i] = i + 1;
        back[0] = 40, back[1] = 41, back[2] = 42;
        EXPECT_EQ(LastCall().slots, inside) << count << " arguments";
        for (int32_t i = 0; i < 16; ++i) EXPECT_EQ(g_ScriptArguments[i].real, back[i]) << count << " arguments, slot " << i;
    }
}

// Scripts' code as the table gives it now: a built-in that changes the table during a run, and a
// change between runs, reach the new code object.
CCode g_Versions[2] = {CCode("", false), CCode("", false)};
int32_t g_Version = 0;
void FlipRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) { g_Version = 1 - g_Version; }

TEST_F(InterpreterTest, ScriptCodeFollowsTheTableDuringAndBetweenRuns)
{
    Program one("push.e 1\nconv.i.v\nret.v\n"), ten("push.e 10\nconv.i.v\nret.v\n");
    g_Versions[0].m_pCode = const_cast<VMBuffer*>(one.Code());
    g_Versions[1].m_pCode = const_cast<VMBuffer*>(ten.Code());
    int32_t id = -1;
    if (!Code_Function_Find("vmcall_flip", &id)) Function_Add("vmcall_flip", FlipRoutine, 0);
    VMScriptAccess saved = g_VMScripts;
    g_VMScripts = VMScriptAccess{[](int32_t index) { return index == 0; },
                                 [](int32_t index) { return index == 0 ? &g_Versions[g_Version] : nullptr; },
                                 [](int32_t) { return "versioned"; }};
    const std::string call = Call(CALLABLE_SCRIPT_BASE, 0);
    g_Version = 0;
    RunOutcome during = RunProgram(call + "call.i vmcall_flip 0\npopz.v\n" + call + "add.v.v\n");
    g_Version = 0;
    RunOutcome between = RunProgram(call);
    for (CCode& version : g_Versions) version.m_pCode = nullptr;
    g_VMScripts = saved;
    ASSERT_FALSE(during.failed) << during.error;
    ASSERT_FALSE(between.failed) << between.error;
    EXPECT_EQ(during.Real(), 11);
    EXPECT_EQ(between.Real(), 1);
}

} // namespace
