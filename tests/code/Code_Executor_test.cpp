// The execution entry points and the tree-walking executor: constants, code without bytecode, the
// executor's truth thresholds, repeat counts, with targets, switch clauses, variable owners and
// indexes, calls and errors, what the two wrappers make of a failure, and programs whose results
// differ from the bytecode interpreter's by design.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Code_InterpreterSupport.h"
#include "code/Code_Execute.h"
#include "code/Code_Executor.h"
#include "code/Code_Tree.h"

using namespace vmtest;

namespace {

// exectest_mark(id): marks the instance for deletion, as destroying it would.
void MarkRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CInstance* instance = Variable_Instances()->FindById(static_cast<int32_t>(args[0].real)))
        AsFake(instance)->marked = true;
}

// exectest_runaway(): runs the script "runaway" as script_execute does, leaving its failure unchecked.
void RunawayRoutine(ScriptValue* result, CInstance* self, CInstance* other, int32_t, ScriptValue*)
{
    Script_Run(Script_Find("runaway"), self, other, 0, result, nullptr);
}

class ExecutorTest : public SourceRunTest {
  protected:
    void SetUp() override
    {
        SourceRunTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("exectest_mark", &id)) Function_Add("exectest_mark", MarkRoutine, 1);
        if (!Code_Function_Find("exectest_runaway", &id)) Function_Add("exectest_runaway", RunawayRoutine, 0);
        g_UseBytecode = 0;
        g_ErrorLast.clear();
        m_Self = m_World.Add(100100, 50);
        m_Other = m_World.Add(100101, 51);
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

    // Runs each source in the tree executor: a real result, a text ("'...'") or an error message.
    void ExpectRuns(std::initializer_list<std::pair<const char*, std::string>> runs)
    {
        for (const auto& [source, expected] : runs) {
            RunOutcome outcome = Run(source);
            SCOPED_TRACE(source);
            if (expected.find_first_not_of("-0123456789.") == std::string::npos) {
                EXPECT_FALSE(outcome.failed) << outcome.error;
                EXPECT_EQ(Value_GetKind(&outcome.result), VALUE_REAL);
                EXPECT_EQ(outcome.Real(), std::stod(expected));
            } else if (expected[0] == '\'') {
                EXPECT_FALSE(outcome.failed) << outcome.error;
                EXPECT_EQ(Value_GetKind(&outcome.result), VALUE_STRING);
                EXPECT_EQ("'" + outcome.Text() + "'", expected);
            } else {
                EXPECT_TRUE(outcome.failed);
                EXPECT_NE(outcome.error.find("at position"), std::string::npos) << outcome.error;
                EXPECT_NE(outcome.error.find(expected), std::string::npos) << outcome.error;
            }
        }
    }

    FakeInstance* m_Self = nullptr;
    FakeInstance* m_Other = nullptr;
    std::vector<std::unique_ptr<std::string>> m_Texts;
    std::vector<std::unique_ptr<CCode>> m_Code;
};

} // namespace

TEST_F(ExecutorTest, ConditionsWithTargetsIndexesAndTheirMessages)
{
    AddScript("label", "global.labels = global.labels * 10 + argument0; return argument0");
    CompileScripts();
    SetReal(m_Other->variables, "n", 7);
    ExpectRuns({
        // Loops test their condition in single precision: 0.49999999999 rounds to 0.5 as a float,
        // and reals beyond a float's range round to an infinity of their sign.
        {"w = 0.49999999999; n = 0; while (w) { n += 1; w = 0 } return n", "1"},
        {"w = 0.4999; n = 0; while (w) { n += 1; w = 0 } return n", "0"},
        {"w = 1; repeat (30) w *= 10000000000; n = 0; while (w) { n += 1; w = -w } return n", "1"},
        {"if ('yes') xv = 1", "Expression expected"}, {"do xv = 1 until ('yes')", "bool expression expected"},
        // switch kinds must match (the text '1' is not 1); case labels run in order until one matches.
        {"xv = '1'; r = 'none'; switch (xv) { case 1: r = 'real'; break; case '1': r = 'text' } return r", "'text'"},
        {"global.labels = 0; switch (2) { case label(1): case label(2): case label(3): } return global.labels", "12"},
        {"case 1: xv = 1", "Case statement only allowed inside switch statement."},
        {"default: xv = 1", "Default statement only allowed inside switch statement."},
        // Only the first error of a run is kept.
        {"t = 'a'; xv = t - 1; y = 2 * t * t", "Wrong type of arguments to -."},
        {"with (-5) {}", "Cannot use global in with statement."}, {"with (local) {}", "Cannot use local in with statement."},
        {"k = 'a'; with (k) {}", "Object id expected"},
        // self and an unnamed owner run once for self, with other set to self.
        {"with (self) other.m = 3; return m", "3"}, {"n = 2; with (other) other.got = n; return got * 10 + n", "72"},
        {"a[0] = 1; k = -1; return a[k]", "Negative array index"},
        {"a['xv'] = 1", "Wrong type of array index"}, {"s = 'xv'; return s.y", "Wrong type of variable index"},
        {"(100099).y += 1", "Unknown variable y"}, {"noone.y = 1", "Cannot assign to the variable"},
        {"(100099).y = 1; return 2", "2"}, // nobody to write to
        // Locals live for the code; globalvar takes effect when the statement runs.
        {"var t; return t", "0"}, {"var i; i = 1; with (100101) i += 10; return i", "11"},
        {"with (100101) self.q = 1; return other.n * 10 + other.q + self.q", "71"},
        {"g = 1; globalvar g; g = 2; return self.g * 10 + global.g", "12"},
    });
    EXPECT_EQ(RealOf(m_Other->variables, "got"), 0);
    EXPECT_FALSE(m_Self->variables.Has(Code_Variable_Find("i")));
    // In list order, passing over marked and deactivated instances (also one an earlier round marks).
    for (int32_t i = 1; i <= 4; ++i) SetReal(m_World.Add(100000 + i, 3)->variables, "n", i);
    m_World.Find(100003)->deactivated = true;
    ExpectRuns({
        {"order = 0; with (3) { exectest_mark(100002); other.order = other.order * 10 + n } return order", "14"},
        {"c = 0; with (all) other.c += 1; return c", "4"}, // self, other, 100001 and 100004
    });
    // When the game says unset variables read as 0; a compound assignment it cannot read stores nothing.
    g_GameOptions.unsetVariableIsError = true;
    ExpectRuns({{"return noone.y + never_set + 1", "1"}, {"(100101).z += 1; return 5", "5"}});
    EXPECT_FALSE(m_Other->variables.Has(Code_Variable_Find("z")));
}

// Each executor's own words for the same failed reads, exact: the tree executor adds the words on
// the index whenever the index is not 0, and a read without an index carries -1. The interpreter
// reads noone's variables as 0.
TEST_F(ExecutorTest, FailedReadsInBothExecutors)
{
    const struct {
        const char* source;
        const char* tree;
        const char* bytecode; // %d: the identifier of y; none: no error and the result 0
    } reads[] = {
        {"return noone.x", "Unknown variable x or array index out of bounds", nullptr},
        {"return (100099).y", "Unknown variable y or array index out of bounds",
         "Push :: Execution Error - Variable Get 100099.y(%d, -1)"},
        {"return (100099).y[0]", "Unknown variable y", "Push :: Execution Error - Variable Get 100099.y(%d, 0)"},
        {"return (100099).y[1]", "Unknown variable y or array index out of bounds",
         "Push :: Execution Error - Variable Get 100099.y(%d, 1)"},
    };
    for (const auto& read : reads) {
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
        if (read.bytecode == nullptr) { EXPECT_EQ(bytecode.Real(), 0) << read.source; }
    }
}

// The debugger's quiet evaluation, where a runaway recursion fails instead of ending the game.
TEST_F(ExecutorTest, ARunawayRecursionUnwindsWithOnePrefixPerLevel)
{
    AddScript("runaway", "vmtest_record(1); return runaway()");
    CompileScripts();
    int32_t row = -1;
    ASSERT_TRUE(Code_Function_Find("vmtest_record", &row));
    uint32_t before = Function_Get(row)->usageCount;
    uint8_t quiet = Debug_EvaluatingExpression;
    Debug_EvaluatingExpression = 1;
    RunOutcome failed = Run("xv = runaway()");
    Debug_EvaluatingExpression = quiet;
    uint32_t levels = Function_Get(row)->usageCount - before;
    EXPECT_TRUE(failed.failed);
    EXPECT_GT(levels, 1000u); // the stack guard stops it, thousands of levels down
    // One prefix per level entered, the repeats collapsed: the guard may stop the deepest level
    // before its record.
    const std::string prefix = "In script runaway:\n... (";
    ASSERT_EQ(failed.error.compare(0, prefix.size(), prefix), 0) << failed.error.substr(0, 200);
    size_t at = failed.error.find(" more)\n");
    ASSERT_NE(at, std::string::npos);
    uint32_t prefixes = 1 + static_cast<uint32_t>(std::stoul(failed.error.substr(prefix.size(), at - prefix.size())));
    at += 7;
    EXPECT_TRUE(prefixes == levels || prefixes == levels + 1) << prefixes << " prefixes, " << levels << " levels";
    EXPECT_EQ(failed.error.find("In script", at), std::string::npos); // none after the message begins
    EXPECT_NE(failed.error.find("Stack overflow...", at), std::string::npos) << failed.error.substr(at);
    // The next run starts from the bottom again, and its own errors are no runaway's.
    ExpectRuns({{"return 1", "1"}, {"return (100099).y", "Unknown variable y"}});
}

// Outside it, the runaway ends the game where the nesting began: the event's code, or the run of a
// built-in that called the script (its levels below named all the same).
TEST_F(ExecutorTest, ARunawayRecursionEndsTheGame)
{
    AddScript("runaway", "return runaway()");
    AddScript("outer", "return exectest_runaway()");
    CompileScripts();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    static StderrConsole console;
    for (const char* source : {"xv = runaway()", "xv = outer()"})
        EXPECT_EXIT((ScriptConsole = &console, Run(source)), ::testing::ExitedWithCode(255),
                    "FATAL ERROR in.*In script runaway:.*more.*Stack overflow...")
            << source;
}

// Programs the two executors run differently by design; each result is asserted for both.
TEST_F(ExecutorTest, DifferencesFromTheInterpreter)
{
    const struct {
        const char* source;
        double bytecode, tree;
    } runs[] = {
        // Numbers compare within 1e-05 in bytecode, exactly here.
        {"a = 1; r = 0; switch (a) { case 1.000001: r = 1 } return r", 1, 0},
        // Loops are true above 0.5 in bytecode, from 0.5 here; both take `if` as true above 0.5.
        {"w = 0.5; n = 0; while (w) { n += 1; if (n == 3) break } return n", 0, 3},
        {"w = 0.5; if (w) return 1; return 2", 2, 2},
        // repeat truncates its count in bytecode and rounds half to even here.
        {"k = 3.5; n = 0; repeat (k) n += 1; return n", 3, 4}, {"return leftover()", 0, 5},
    };
    // A block frees the result before each statement, which leaves a real where it was: a script
    // without a return gives what its last call statement gave.
    AddScript("leftover", "vmtest_record(2, 3)");
    g_UseBytecode = 1; // with bytecode, the code keeps its tree as well
    CompileScripts();
    for (const auto& run : runs) {
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

// math_set_epsilon(0): both executors compare exactly, so a value equals itself and differs from
// nothing it equals (the constant compare with its branch is one fused step in bytecode).
TEST_F(ExecutorTest, AtToleranceZeroAValueEqualsItself)
{
    const std::pair<const char*, double> runs[] = {
        {"a = 0.1; return a == a", 1}, {"a = 0.1; return a != a", 0}, {"a = 1.0000001; return a == 1", 0},
        {"a = 7; return a == 7", 1},   {"a = 7; if (a == 7) return 1; return 2", 1},
        {"a = 0.1; b = a; return a <= b && a >= b && !(a < b) && !(a > b)", 1},
    };
    double saved = Code_CompareEpsilon;
    Code_CompareEpsilon = 0;
    for (const auto& [source, expected] : runs) {
        g_UseBytecode = 1;
        CCode* code = Compile(source);
        RunOutcome bytecode = RunBytecode(code);
        EXPECT_FALSE(bytecode.failed) << source << "\n" << bytecode.error;
        EXPECT_EQ(bytecode.Real(), expected) << "bytecode: " << source;
        RunOutcome tree = RunTree(code);
        EXPECT_FALSE(tree.failed) << source << "\n" << tree.error;
        EXPECT_EQ(tree.Real(), expected) << "tree: " << source;
    }
    Code_CompareEpsilon = saved;
}

TEST_F(ExecutorTest, EntryPointsConstantsEmptyCodeAndTheInterpreter)
{
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    // A constant expression is copied by either executor.
    for (uint8_t executor : {1, 0}) {
        g_UseBytecode = executor;
        CCode* constant = Compile("42", true);
        EXPECT_EQ(constant->m_Kind, CODE_KIND_CONSTANT);
        EXPECT_TRUE(Code_Execute(nullptr, nullptr, constant, &result));
        EXPECT_EQ(result.real, 42);
        EXPECT_TRUE(Code_Execute(nullptr, nullptr, Compile("\"words\"", true), &result));
        EXPECT_EQ(TextOf(result), "words");
    }
    // Code without bytecode succeeds and leaves the result.
    g_UseBytecode = 1;
    CCode* empty = Compile("", false);
    EXPECT_EQ(empty->m_pCode, nullptr);
    Value_SetReal(&result, 5);
    EXPECT_TRUE(Code_Execute(nullptr, nullptr, empty, &result));
    EXPECT_EQ(result.real, 5);
    // Compiled source runs in the interpreter.
    SetReal(*Variable_GlobalList(), "vmtest_k", 4);
    EXPECT_TRUE(Code_Execute(nullptr, nullptr, Compile("2 + 3 * global.vmtest_k", true), &result));
    EXPECT_EQ(result.real, 14);
    // A run-time error ends the run; the entry point still answers success.
    CCode* failing = Compile("global.vmtest_v = 1 div global.vmtest_zero");
    Debug_EvaluatingExpression = 1;
    g_VMEvaluationFailed = 0;
    Value_SetReal(&result, 0);
    EXPECT_TRUE(Code_Execute_Value(nullptr, nullptr, failing, &result));
    Debug_EvaluatingExpression = 0;
    EXPECT_EQ(g_VMEvaluationFailed, 1);
    EXPECT_EQ(g_VMEvaluationError, "DoRem :: Divide by zero");
    EXPECT_EQ(Value_GetKind(&result), VALUE_REAL);
    Value_Free(&result);
}

TEST_F(ExecutorTest, InternalErrorsAndWhatTheWrappersMakeOfThem)
{
    std::string source = "global.vmtest_q = 1";
    CCode raw(source.c_str(), false);
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    EXPECT_FALSE(Code_Execute(nullptr, nullptr, &raw, &result));
    EXPECT_NE(g_CodeErrorText.find("Internal Error: Executing non-compiled code->"), std::string::npos);
    CCode* program = Compile(source);
    EXPECT_FALSE(Code_Execute(nullptr, nullptr, program, &result));
    EXPECT_NE(g_CodeErrorText.find("Internal Error: Executing code for nil instance."), std::string::npos);
    // The reporting wrapper shows it as an action error and clears the flag.
    EXPECT_FALSE(Code_Execute_Report(nullptr, nullptr, program, &result));
    EXPECT_NE(g_ErrorLast.find("Internal Error: Executing code for nil instance."), std::string::npos);
    EXPECT_FALSE(g_CodeErrorFlag);
    // The value wrapper makes the result the text "ERROR", never a real.
    EXPECT_FALSE(Code_Execute_Value(nullptr, nullptr, program, &result));
    EXPECT_EQ(TextOf(result), "ERROR");
    EXPECT_EQ(Value_GetKind(&result), VALUE_STRING);
    Value_Free(&result);
    // Program roots: an empty program is done; a constant is not a program.
    CodeNode empty, constant;
    Node_Init(&empty, 0);
    empty.kind = NODE_EMPTY_PROGRAM;
    Node_Init(&constant, 0);
    Node_SetReal(&constant, 1);
    CCode code("x", false);
    Code_Exec_Context context = {nullptr, nullptr, nullptr, &code};
    EXPECT_EQ(Code_ExecuteProgram(&context, &empty, &result), EXEC_DONE);
    g_CodeErrorFlag = false;
    EXPECT_EQ(Code_ExecuteProgram(&context, &constant, &result), EXEC_ERROR);
    EXPECT_NE(g_CodeErrorText.find("This is not a program."), std::string::npos);
    Node_Free(&constant);
    Node_Free(&empty);
}
