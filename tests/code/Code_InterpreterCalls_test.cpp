// Script calls as the lean frames make them: local lists made only when a level first reaches a
// local, argument slots kept by a bound rather than looked at, scripts' code found once per run, and
// arguments kept in the frame until something outside the loop reads them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Code_InterpreterSupport.h"
#include "code/Code_Execute.h"
#include "debug/Debug_Remote.h"

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


// Compiled scripts whose arguments are read where the interpreter keeps them (the frame) and where
// everything else looks for them (the global slots): built-ins, argument assignments, nested runs,
// the debugger's evaluation from the message pump, and errors that unwind every level.
CCode* g_NestedCode = nullptr;
void NestedRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Code_Execute(nullptr, nullptr, g_NestedCode, result);
}

ScriptValue g_Watched = {VALUE_REAL, 0, 0.0};
void WatchingPump()
{
    Debug_EvaluateText("argument0 * 10 + argument_count", "watch", nullptr, &g_Watched);
}

class FrameArgumentTest : public SourceRunTest {
protected:
    void SetUp() override
    {
        SourceRunTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("vmcall_nested", &id)) Function_Add("vmcall_nested", NestedRoutine, 0);
        g_UseBytecode = 1;
        for (const auto& [name, source] : SCRIPTS) AddScript(name, source);
        CompileScripts();
        m_Nested = Compile("argument0 * 10 + argument_count", true);
        g_NestedCode = m_Nested.get();
        g_Watched = ScriptValue{VALUE_REAL, 0, 0.0};
    }
    void TearDown() override
    {
        g_NestedCode = nullptr;
        m_Nested.reset();
        SourceRunTest::TearDown();
    }

    static std::unique_ptr<CCode> Compile(const char* source, bool expression)
    {
        auto code = std::make_unique<CCode>(source, expression);
        EXPECT_TRUE(code->Compile("test")) << source << ": " << g_CodeErrorText;
        return code;
    }

    // The caller's own arguments while the program runs: a text, a real, and the count 2.
    static void SetCallerArguments()
    {
        Value_SetText(&g_ScriptArguments[0], "caller");
        Value_SetReal(&g_ScriptArguments[1], 7);
        g_ScriptArgumentCount = 2;
    }
    static void ExpectCallerArguments(const char* what)
    {
        EXPECT_EQ(TextOf(g_ScriptArguments[0]), "caller") << what;
        EXPECT_EQ(g_ScriptArguments[1].real, 7) << what;
        for (int32_t i = 2; i < SCRIPT_ARGUMENT_COUNT; ++i)
            EXPECT_EQ(Value_GetKind(&g_ScriptArguments[i]) == VALUE_REAL ? g_ScriptArguments[i].real : -1, 0)
                << what << ", slot " << i;
        EXPECT_EQ(g_ScriptArgumentCount, 2) << what;
    }

    RunOutcome Run(const char* main)
    {
        std::unique_ptr<CCode> code = Compile(main, false);
        uint8_t quiet = Debug_EvaluatingExpression;
        Debug_EvaluatingExpression = 1;
        g_VMEvaluationFailed = 0;
        g_VMEvaluationError.clear();
        RunOutcome outcome;
        Code_Execute(nullptr, nullptr, code.get(), &outcome.result);
        Debug_EvaluatingExpression = quiet;
        outcome.failed = g_VMEvaluationFailed != 0;
        outcome.error = g_VMEvaluationError;
        return outcome;
    }

    static constexpr std::pair<const char*, const char*> SCRIPTS[] = {
        {"probe", "vmtest_record(); return argument0 * 100 + argument2;"},
        {"twice", "return vmtest_arg(0) + argument0;"},
        {"assign", "argument1 = argument0 * 2; argument[2] = 4; return argument1 + argument2 + argument0;"},
        // Odd levels call a built-in (their arguments move to the global slots), even ones do not;
        // each reads its own text again after the call beneath it.
        {"chain", "if (argument0 <= 0) return argument1; if (argument0 mod 2 == 1) vmtest_record();"
                  "return chain(argument0 - 1, argument1 + 'x') + argument1;"},
        {"nested", "return vmcall_nested() + argument1;"},
        {"spin", "var i; for (i = 0; i < 5000; i += 1) {} return argument0;"},
        {"down", "if (argument0 == 0) return 5 / argument0; if (argument0 mod 2 == 1) vmtest_record();"
                 "return down(argument0 - 1, argument1 + 'y');"},
        {"spinner", "return spin(argument0 + 1, 'unused') + argument0;"},
    };
    std::unique_ptr<CCode> m_Nested;
};

TEST_F(FrameArgumentTest, EveryReaderSeesTheLevelsOwnArguments)
{
    const struct {
        const char* what;
        const char* main;
        double real;
        const char* text; // the expected text, when not null
        const char* error;
    } cases[] = {
        {"a built-in between reads", "return probe(1, 2, 3);", 103, nullptr, ""},
        {"a built-in reading a text argument", "return twice('ab');", 0, "abab", ""},
        {"assignments to arguments", "return assign(5, 1);", 19, nullptr, ""},
        {"recursion alternating between frame and slots", "return chain(4, 'a');", 0, "axxxxaxxxaxxaxa", ""},
        {"a nested run at level 0", "return nested(4, 5);", 47, nullptr, ""},
        {"a script called by a script that calls nothing else", "return spinner(2);", 5, nullptr, ""},
        {"an error four levels down", "return down(4, 'a');", 0, nullptr, "DoDiv :: Divide by zero"},
    };
    for (const auto& c : cases) {
        SetCallerArguments();
        RunOutcome outcome = Run(c.main);
        EXPECT_EQ(outcome.error, c.error) << c.what;
        if (c.text != nullptr) {
            EXPECT_EQ(outcome.Text(), c.text) << c.what;
        } else if (!outcome.failed) {
            EXPECT_EQ(outcome.Real(), c.real) << c.what;
        }
        ExpectCallerArguments(c.what);
    }
}

TEST_F(FrameArgumentTest, BuiltInsNestedRunsAndTheDebuggerSeeTheCallersArguments)
{
    ASSERT_FALSE(Run("return probe(1, 2, 3);").failed);
    EXPECT_EQ(LastCall().argumentCount, 3);
    EXPECT_EQ(LastCall().slots, (std::vector<double>{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // The last built-in call of the chain is at level 1, below the levels that kept theirs.
    ASSERT_FALSE(Run("return chain(4, 'a');").failed);
    EXPECT_EQ(LastCall().argumentCount, 2);
    EXPECT_EQ(LastCall().slots[0], 1);
    // The message pump's watch evaluates while the innermost script spins: spin(3, 'unused').
    g_VMMessagePump = WatchingPump;
    RunOutcome spun = Run("return spinner(2);");
    ASSERT_FALSE(spun.failed) << spun.error;
    EXPECT_EQ(g_Watched.real, 32);
    Value_Free(&g_Watched);
}

} // namespace
