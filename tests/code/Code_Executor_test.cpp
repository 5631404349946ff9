// The tree-walking executor: its truth thresholds, repeat counts, with targets, switch clauses,
// variable owners and indexes, calls and errors, and a table of programs whose results differ
// from the bytecode interpreter's by design.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Code_InterpreterSupport.h"
#include "app/App_CommandLine.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Executor.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "script/Script_Table.h"

using namespace vmtest;

namespace {

constexpr int32_t SELF_ID = 100100;
constexpr int32_t OTHER_ID = 100101;

// exectest_mark(id): marks the instance for deletion, as destroying it would.
void MarkRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CInstance* instance = Variable_Instances()->FindById(static_cast<int32_t>(args[0].real)))
        AsFake(instance)->marked = true;
}

void RegisterExecutorFunctions()
{
    int32_t id = -1;
    if (!Code_Function_Find("exectest_mark", &id)) Function_Add("exectest_mark", MarkRoutine, 1);
}

class ExecutorTest : public InterpreterTest {
  protected:
    void SetUp() override
    {
        InterpreterTest::SetUp();
        if (Constant_Count() == 0) Constant_Init();
        RegisterExecutorFunctions();
        RegisterArgumentVariables();
        m_SavedExecutor = g_UseBytecode;
        m_SavedCompiled = g_CompiledCode;
        m_SavedUnset = g_GameOptions.unsetVariableIsError;
        g_CompiledCode = false;
        g_GameOptions.unsetVariableIsError = false;
        g_UseBytecode = 0;
        Script_Reset();
        m_Self = m_World.Add(SELF_ID, 50);
        m_Other = m_World.Add(OTHER_ID, 51);
    }
    void TearDown() override
    {
        Script_Reset();
        g_UseBytecode = m_SavedExecutor;
        g_CompiledCode = m_SavedCompiled;
        g_GameOptions.unsetVariableIsError = m_SavedUnset;
        InterpreterTest::TearDown();
    }

    // Scripts are compiled as Compile() is called, with the executor switch as it stands then.
    void AddScript(const std::string& name, const std::string& source)
    {
        CScript* script = new CScript();
        script->SetText(source.c_str());
        Script_Append(script, name.c_str());
    }
    void CompileScripts()
    {
        for (int32_t i = 0; i < Script_Count(); ++i)
            ASSERT_TRUE(Script_Get(i)->Compile()) << g_CodeErrorText;
    }

    CCode* Compile(const std::string& source, bool expression = false)
    {
        m_Texts.push_back(std::make_unique<std::string>(source));
        m_Code.push_back(std::make_unique<CCode>(m_Texts.back()->c_str(), expression));
        EXPECT_TRUE(m_Code.back()->Compile("test")) << g_CodeErrorText;
        return m_Code.back().get();
    }

    RunOutcome RunTree(CCode* code)
    {
        g_UseBytecode = 0;
        RunOutcome outcome;
        outcome.failed = !Code_Execute(AsInstance(m_Self), AsInstance(m_Other), code, &outcome.result);
        outcome.error = g_CodeErrorText;
        return outcome;
    }
    RunOutcome Run(const std::string& source) { return RunTree(Compile(source)); }

    // The interpreter, quietly: an error stops the code instead of the process.
    RunOutcome RunBytecode(CCode* code)
    {
        g_UseBytecode = 1;
        uint8_t quiet = Debug_EvaluatingExpression;
        Debug_EvaluatingExpression = 1;
        g_VMEvaluationFailed = 0;
        g_VMEvaluationError.clear();
        RunOutcome outcome;
        Code_Execute(AsInstance(m_Self), AsInstance(m_Other), code, &outcome.result);
        Debug_EvaluatingExpression = quiet;
        outcome.failed = g_VMEvaluationFailed != 0;
        outcome.error = g_VMEvaluationError;
        return outcome;
    }

    void ExpectError(const std::string& source, const std::string& message)
    {
        RunOutcome outcome = Run(source);
        EXPECT_TRUE(outcome.failed) << source;
        EXPECT_NE(outcome.error.find("at position"), std::string::npos) << outcome.error;
        EXPECT_NE(outcome.error.find(message), std::string::npos) << source << "\n" << outcome.error;
    }
    double Real(const std::string& source)
    {
        RunOutcome outcome = Run(source);
        EXPECT_FALSE(outcome.failed) << source << "\n" << outcome.error;
        EXPECT_EQ(Value_GetKind(&outcome.result), VALUE_REAL) << source;
        return outcome.Real();
    }
    std::string Text(const std::string& source)
    {
        RunOutcome outcome = Run(source);
        EXPECT_FALSE(outcome.failed) << source << "\n" << outcome.error;
        EXPECT_EQ(Value_GetKind(&outcome.result), VALUE_STRING) << source;
        return outcome.Text();
    }

    FakeWorld m_World;
    FakeInstance* m_Self = nullptr;
    FakeInstance* m_Other = nullptr;
    std::vector<std::unique_ptr<std::string>> m_Texts;
    std::vector<std::unique_ptr<CCode>> m_Code;
    uint8_t m_SavedExecutor = 1;
    bool m_SavedCompiled = false;
    bool m_SavedUnset = false;
};

} // namespace

TEST_F(ExecutorTest, IfIsTrueAboveAHalfAndLoopsFromAHalfInSinglePrecision)
{
    EXPECT_EQ(Text("w = 0.5; if (w) return 'then' else return 'else'"), "else");
    EXPECT_EQ(Text("w = 0.5000001; if (w) return 'then' else return 'else'"), "then");
    EXPECT_EQ(Real("w = 0.5; n = 0; while (w) { n += 1; if (n == 3) break } return n"), 3);
    // 0.49999999999 rounds to 0.5 as a float, so the loop runs.
    EXPECT_EQ(Real("w = 0.49999999999; n = 0; while (w) { n += 1; w = 0 } return n"), 1);
    EXPECT_EQ(Real("w = 0.4999; n = 0; while (w) { n += 1; w = 0 } return n"), 0);
    EXPECT_EQ(Real("n = 0; do n += 1 until (n / 6) return n"), 3);
    EXPECT_EQ(Real("n = 0; for (w = 1; w; w -= 0.25) n += 1; return n"), 3);
    // Reals beyond a float's range round to an infinity of their sign.
    EXPECT_EQ(Real("w = 1; repeat (30) w *= 10000000000; n = 0; while (w) { n += 1; w = -w } return n"), 1);
}

TEST_F(ExecutorTest, ConditionsMustBeReals)
{
    ExpectError("if ('yes') xv = 1", "Expression expected");
    ExpectError("while ('yes') xv = 1", "bool expression expected");
    ExpectError("do xv = 1 until ('yes')", "bool expression expected");
    ExpectError("for (i = 0; 'yes'; i += 1) xv = 1", "Expression expected");
}

TEST_F(ExecutorTest, RepeatRoundsItsCountHalfToEven)
{
    EXPECT_EQ(Real("k = 2.5; n = 0; repeat (k) n += 1; return n"), 2);
    EXPECT_EQ(Real("k = 3.5; n = 0; repeat (k) n += 1; return n"), 4);
    EXPECT_EQ(Real("k = 0.5; n = 0; repeat (k) n += 1; return n"), 0);
    EXPECT_EQ(Real("k = -2; n = 0; repeat (k) n += 1; return n"), 0);
    EXPECT_EQ(Real("n = 0; c = 0; repeat (4) { c += 1; if (c mod 2) continue; n += 1 } return c * 10 + n"),
              42);
    ExpectError("k = '3'; repeat (k) xv = 1", "Repeat count must be a number");
}

TEST_F(ExecutorTest, WithRefusesLocalAndGlobalAndSkipsNoone)
{
    ExpectError("with (-5) {}", "Cannot use global in with statement.");
    ExpectError("with (global) {}", "Cannot use global in with statement.");
    ExpectError("with (local) {}", "Cannot use local in with statement.");
    ExpectError("k = 'a'; with (k) {}", "Object id expected");
    EXPECT_EQ(Real("r = 5; with (noone) other.r = 0; return r"), 5);
}

TEST_F(ExecutorTest, WithSetsSelfAndOtherAndRestoresThem)
{
    m_Self->variables.Clear();
    SetReal(m_Other->variables, "n", 7);
    // self and an unnamed owner run once for self, with other set to self.
    EXPECT_EQ(Real("with (self) other.m = 3; return m"), 3);
    EXPECT_EQ(Real("n = 2; with (other) other.got = n; return got * 10 + n"), 72);
    EXPECT_EQ(RealOf(m_Other->variables, "got"), 0);
    EXPECT_EQ(Real("with (100101) self.q = 1; return other.n * 10 + other.q + self.q"), 71);
}

TEST_F(ExecutorTest, WithVisitsInListOrderAndSkipsMarkedAndDeactivated)
{
    for (int32_t i = 1; i <= 4; ++i)
        SetReal(m_World.Add(100000 + i, 3)->variables, "n", i);
    AsFake(m_World.FindById(100003))->deactivated = true;
    EXPECT_EQ(Real("order = 0; with (3) other.order = other.order * 10 + n; return order"), 124);
    // An instance an earlier round marks is passed over.
    EXPECT_EQ(
        Real(
            "order = 0; with (3) { exectest_mark(100002); other.order = other.order * 10 + n } return order"),
        14);
    EXPECT_EQ(
        Real("r = 1; with (100002) other.r = 0; with (100003) other.r = 0; with (77) other.r = 0; return r"),
        1);
    EXPECT_EQ(Real("c = 0; with (all) other.c += 1; return c"), 4); // self, other, 100001 and 100004
    EXPECT_EQ(Real("c = 0; with (3) { other.c += 1; break } return c"), 1);
    EXPECT_EQ(Real("with (100004) exit; return 9"), 0);
}

TEST_F(ExecutorTest, SwitchRunsFromTheFirstMatchingClause)
{
    EXPECT_EQ(Text("xv = 1; r = ''; switch (xv) { default: r += 'a'; case 1: r += 'b' } return r"), "ab");
    EXPECT_EQ(
        Text("xv = 2; r = ''; switch (xv) { case 1: r += 'a'; case 2: r += 'b'; case 3: r += 'c'; break; "
             "default: r += 'd' } return r"),
        "bc");
    EXPECT_EQ(Text("xv = 9; r = '-'; switch (xv) { case 1: r = 'a' } return r"), "-");
    // Kinds must match: the text '1' is not the real 1.
    EXPECT_EQ(
        Text(
            "xv = '1'; r = 'none'; switch (xv) { case 1: r = 'real'; break; case '1': r = 'text' } return r"),
        "text");
    EXPECT_EQ(Real("s = ''; switch (s) { case '': return 1 } return 0"), 1);
    // Case labels run in order until one matches.
    AddScript("label", "global.labels = global.labels * 10 + argument0; return argument0");
    CompileScripts();
    EXPECT_EQ(Real("global.labels = 0; switch (2) { case label(1): case label(2): case label(3): } return "
                   "global.labels"),
              12);
    // A continue leaves the switch for the enclosing loop.
    EXPECT_EQ(Real("s = 0; for (i = 0; i < 4; i += 1) { switch (i) { case 1: continue } s += 1 } return s"),
              3);
}

TEST_F(ExecutorTest, StrayStatementsAreRunTimeErrors)
{
    EXPECT_EQ(Real("xv = 0; if (xv) ; return 4"), 4);
    ExpectError("xv = 1; if (xv) ;", "Statement expected.");
    ExpectError("case 1: xv = 1", "Case statement only allowed inside switch statement.");
    ExpectError("default: xv = 1", "Default statement only allowed inside switch statement.");
}

TEST_F(ExecutorTest, IndexesAreRoundedCheckedAndCombined)
{
    RunOutcome outcome = Run("a[3, 5] = 7; a[1.5] = 2");
    ASSERT_FALSE(outcome.failed) << outcome.error;
    ScriptValue array = {VALUE_REAL, 0, 0.0};
    ASSERT_TRUE(m_Self->variables.GetVar(Code_Variable_Find("a"), -1, &array));
    const ScriptValue* element = Value_GetElementPointer(&array, 3 * 32000 + 5);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->real, 7);
    ASSERT_NE(Value_GetElementPointer(&array, 2), nullptr);
    EXPECT_EQ(Value_GetElementPointer(&array, 2)->real, 2);
    Value_Free(&array);
    EXPECT_EQ(Real("a[3, 5] = 7; return a[3, 5]"), 7);

    ExpectError("a[0] = 1; i = -1; return a[i]", "Negative array index");
    ExpectError("a[32000] = 1", "Array index >= 32000");
    ExpectError("a[2, 32000] = 1", "Array index >= 32000");
    ExpectError("a['xv'] = 1", "Wrong type of array index");
    ExpectError("s = 'xv'; return s.y", "Wrong type of variable index");
}

// Each executor's own words for the same failed reads, exact: the tree executor adds the words on
// the index whenever the index is not 0, and a read without an index carries -1. The interpreter
// reads noone's variables as 0.
TEST_F(ExecutorTest, FailedReadsInBothExecutors)
{
    struct FailedRead {
        const char* source;
        const char* tree;
        const char* bytecode; // %d: the identifier of y; none: no error and the result 0
    };
    const FailedRead reads[] = {
        {"return noone.x", "Unknown variable x or array index out of bounds", nullptr},
        {"return (100099).y", "Unknown variable y or array index out of bounds",
         "Push :: Execution Error - Variable Get 100099.y(%d, -1)"},
        {"return (100099).y[0]", "Unknown variable y", "Push :: Execution Error - Variable Get 100099.y(%d, 0)"},
        {"return (100099).y[1]", "Unknown variable y or array index out of bounds",
         "Push :: Execution Error - Variable Get 100099.y(%d, 1)"},
    };
    for (const FailedRead& read : reads) {
        g_UseBytecode = 1;
        CCode* code = Compile(read.source);
        RunOutcome tree = RunTree(code);
        EXPECT_TRUE(tree.failed) << read.source;
        std::string last = tree.error.substr(tree.error.rfind('\n') + 1); // "at position N: message"
        EXPECT_EQ(last.substr(last.find(": ") + 2), read.tree) << read.source;
        RunOutcome bytecode = RunBytecode(code);
        char expected[256] = "";
        if (read.bytecode != nullptr) std::snprintf(expected, sizeof expected, read.bytecode, Code_Variable_Find("y"));
        EXPECT_EQ(bytecode.failed, read.bytecode != nullptr) << read.source;
        EXPECT_EQ(bytecode.error, expected) << read.source;
        if (read.bytecode == nullptr) {
            EXPECT_EQ(bytecode.Real(), 0) << read.source;
        }
    }
}

TEST_F(ExecutorTest, FailedReadsAreUnknownVariablesUnlessTheGameSaysZero)
{
    ExpectError("return noone.y", "Unknown variable y or array index out of bounds");
    ExpectError("a[0] = 1; return a[4]", "Unknown variable a or array index out of bounds");
    ExpectError("(100099).y += 1", "Unknown variable y");
    ExpectError("noone.y = 1", "Cannot assign to the variable");
    EXPECT_EQ(Real("(100099).y = 1; return 2"), 2); // nobody to write to

    g_GameOptions.unsetVariableIsError = true;
    EXPECT_EQ(Real("return noone.y + never_set + 1"), 1);
    // A compound assignment it cannot read stores nothing.
    EXPECT_EQ(Real("(100101).z += 1; return 5"), 5);
    EXPECT_FALSE(m_Other->variables.Has(Code_Variable_Find("z")));
}

TEST_F(ExecutorTest, LocalsAndGlobalVarNames)
{
    EXPECT_EQ(Real("var t; return t"), 0);
    EXPECT_EQ(Real("var i; i = 1; with (100101) i += 10; return i"), 11);
    EXPECT_FALSE(m_Self->variables.Has(Code_Variable_Find("i")));
    // globalvar takes effect when the statement runs.
    EXPECT_EQ(Real("g = 1; globalvar g; g = 2; return self.g * 10 + global.g"), 12);
    EXPECT_TRUE(Variable_IsGlobalVar(Code_Variable_Find("g")));
}

TEST_F(ExecutorTest, CallsRunArgumentsFirstToLastAndCountBuiltinUses)
{
    AddScript("note", "global.log = global.log * 10 + argument0; return argument0");
    AddScript("count", "return argument_count * 100 + argument1");
    AddScript("broken", "t = 'a'; return t - 1");
    CompileScripts();
    EXPECT_EQ(Real("global.log = 0; vmtest_record(note(1), note(2), note(3)); return global.log"), 123);
    EXPECT_EQ(LastCall().argc, 3);
    EXPECT_EQ(LastCall().self, AsInstance(m_Self));
    EXPECT_EQ(LastCall().other, AsInstance(m_Other));

    int32_t row = -1;
    ASSERT_TRUE(Code_Function_Find("vmtest_record", &row));
    uint32_t uses = Function_Get(row)->usageCount;
    EXPECT_EQ(Real("return vmtest_record(2, 3) + vmtest_record(4)"), 9);
    EXPECT_EQ(Function_Get(row)->usageCount, uses + 2);

    g_ScriptArgumentCount = 5;
    EXPECT_EQ(Real("return count(7, 8, 9)"), 308);
    EXPECT_EQ(g_ScriptArgumentCount, 5);

    RunOutcome failed = Run("xv = broken(); xv = 3");
    EXPECT_TRUE(failed.failed);
    EXPECT_EQ(failed.error.rfind("In script broken:\n", 0), 0u) << failed.error;
    EXPECT_NE(failed.error.find("Wrong type of arguments to -."), std::string::npos) << failed.error;
}

TEST_F(ExecutorTest, ARunawayRecursionUnwindsWithOnePrefixPerLevel)
{
    AddScript("runaway", "vmtest_record(1); return runaway()");
    CompileScripts();
    int32_t row = -1;
    ASSERT_TRUE(Code_Function_Find("vmtest_record", &row));
    uint32_t before = Function_Get(row)->usageCount;
    RunOutcome failed = Run("xv = runaway()");
    uint32_t levels = Function_Get(row)->usageCount - before;
    EXPECT_TRUE(failed.failed);
    EXPECT_GT(levels, 1000u); // the stack guard stops it, thousands of levels down

    const std::string prefix = "In script runaway:\n";
    size_t at = 0;
    uint32_t prefixes = 0;
    while (failed.error.compare(at, prefix.size(), prefix) == 0) {
        at += prefix.size();
        ++prefixes;
    }
    // One prefix per level entered: the guard may stop the deepest level before its record.
    EXPECT_TRUE(prefixes == levels || prefixes == levels + 1) << prefixes << " prefixes, " << levels << " levels";
    EXPECT_EQ(failed.error.find(prefix, at), std::string::npos); // none after the message begins
    EXPECT_NE(failed.error.find("Stack overflow...", at), std::string::npos) << failed.error.substr(at);
}

TEST_F(ExecutorTest, ResultsOfProgramsAndExpressions)
{
    EXPECT_EQ(Real("xv = 1; exit; return 5"), 0);
    RunOutcome empty = RunTree(Compile("s = ''; return s"));
    EXPECT_EQ(Value_GetKind(&empty.result), VALUE_STRING);
    EXPECT_EQ(Value_GetText(&empty.result), nullptr) << "an empty text constant holds no text";
    RunOutcome expression = RunTree(Compile("vmtest_record(2, 5) * 3", true));
    EXPECT_FALSE(expression.failed);
    EXPECT_EQ(expression.Real(), 21);
    // Only the first error of a run is kept.
    ExpectError("t = 'a'; xv = t - 1; y = 2 * t * t", "Wrong type of arguments to -.");
}

TEST_F(ExecutorTest, RunawayRecursionStopsWithAnError)
{
    AddScript("forever", "return forever() + 1");
    CompileScripts();
    RunOutcome outcome = Run("return forever()");
    EXPECT_TRUE(outcome.failed);
    EXPECT_NE(outcome.error.find("Stack overflow..."), std::string::npos) << outcome.error.substr(0, 200);
    // The next run starts from the bottom again.
    EXPECT_EQ(Real("return 1"), 1);
}

// Programs the two executors run differently by design; each result is asserted for both.
struct DifferentRun {
    const char* source;
    double bytecode;
    double tree;
};

TEST_F(ExecutorTest, DifferencesFromTheInterpreter)
{
    const DifferentRun runs[] = {
        // Numbers compare within 1e-05 in bytecode, exactly here.
        {"a = 1; return a == 1.000001", 1, 0},
        {"a = 1; r = 0; switch (a) { case 1.000001: r = 1 } return r", 1, 0},
        // Loops are true above 0.5 in bytecode, from 0.5 here.
        {"w = 0.5; n = 0; while (w) { n += 1; if (n == 3) break } return n", 0, 3},
        // repeat truncates its count in bytecode and rounds half to even here.
        {"k = 3.5; n = 0; repeat (k) n += 1; return n", 3, 4},
        {"k = 2.5; n = 0; repeat (k) n += 1; return n", 2, 2},
        // Both take `if` as true above 0.5.
        {"w = 0.5; if (w) return 1; return 2", 2, 2},
        {"return leftover()", 0, 5},
    };
    // A block frees the result before each statement, which leaves a real where it was: a script
    // without a return gives what its last call statement gave.
    AddScript("leftover", "vmtest_record(2, 3)");
    g_UseBytecode = 1; // with bytecode, the code keeps its tree as well
    CompileScripts();
    for (const DifferentRun& run : runs) {
        g_UseBytecode = 1;
        CCode* code = Compile(run.source);
        RunOutcome bytecode = RunBytecode(code);
        EXPECT_FALSE(bytecode.failed) << run.source << "\n" << bytecode.error;
        EXPECT_EQ(bytecode.Real(), run.bytecode) << run.source;
        RunOutcome tree = RunTree(code);
        EXPECT_FALSE(tree.failed) << run.source << "\n" << tree.error;
        EXPECT_EQ(tree.Real(), run.tree) << run.source;
    }
    // The empty statement a ';' gives is nothing in bytecode and an error here.
    g_UseBytecode = 1;
    CCode* stray = Compile("xv = 1; if (xv) ;");
    EXPECT_FALSE(RunBytecode(stray).failed);
    RunOutcome tree = RunTree(stray);
    EXPECT_TRUE(tree.failed);
    EXPECT_NE(tree.error.find("Statement expected."), std::string::npos);
}
