// The program corpus (tests/code/corpus/, format in Code_CorpusSupport.h): small scripts compiled
// from source and run once with fresh globals through Code_Execute, by the bytecode interpreter and
// by the tree executor (-oldexec). Each must give the result its file names, except where the two
// executors are meant to differ: those programs are listed below with what the tree executor gives
// instead, and the list itself is checked. Every program and script the generator writes must also
// pass the bytecode checker, and every path through its words must reach each instruction with one
// stack and run off the end with the stack it started with.
#include <gtest/gtest.h>

#include "Code_CorpusSupport.h"
#include "Code_InterpreterSupport.h"
#include "code/Code_Checker.h"
#include "code/Code_Execute.h"
#include "code/Code_GeneratorStack.h"

using namespace corpustest;
using namespace vmtest;

namespace {

using Outcome = CorpusProgram::Expect;

// Where the executors differ: the program, what the tree executor gives (a real, or an error whose
// message the report holds), and why.
const struct Difference {
    const char* program;
    Outcome outcome;
    double real;
    const char* text;
    const char* why;
} EXECUTOR_DIFFERENCES[] = {
    {"script_arguments_run_last_first", Outcome::Real, 1212, "",
     "arguments are evaluated first to last; the interpreter evaluates them last to first"},
    {"expr_compound_assignment_runs_the_index_twice", Outcome::Real, 1152030, "",
     "a compound assignment evaluates its target's index once; the generated code evaluates it twice"},
    {"with_all", Outcome::Real, 123, "", "with visits instances in list order; the interpreter visits three or more from the last"},
    {"with_object_three_instances_last_first", Outcome::Real, 123, "",
     "with visits instances in list order; the interpreter visits three or more from the last"},
    {"with_break_after_the_first_of_three", Outcome::Real, 11, "", "with visits instances in list order, so the first one breaks"},
    {"repeat_fraction_count_truncates", Outcome::Real, 3, "",
     "the repeat count is rounded half to even (2.7 gives 3); the interpreter truncates"},
    {"repeat_string_count", Outcome::Error, 0, "Repeat count must be a number",
     "a repeat count must be a real; the interpreter converts a text to its number"},
    {"continue_outside_a_loop_does_nothing", Outcome::Real, 0, "",
     "a continue outside a loop ends the program; the generator writes nothing for it"},
    {"expr_large_constant_compound", Outcome::Real, -5147483642.0, "",
     "bitwise operators take 32-bit whole numbers (4294967296 gives INT_MIN); the interpreter uses 64 bits"},
    {"array_row_is_32000_columns", Outcome::Error, 0, "Array index >= 32000",
     "each index must be below 32000, the only one too; the interpreter lets one index run into the next rows"},
    {"array_read_out_of_range", Outcome::Error, 0, "Unknown variable a or array index out of bounds",
     "the executor's own message for a read outside an array"},
    {"string_minus_is_an_error", Outcome::Error, 0, "Wrong type of arguments to -.",
     "the value operators' message for the same error"},
    {"string_plus_number_is_an_error", Outcome::Error, 0, "Wrong type of arguments to +.",
     "the value operators' message for the same error"},
};

std::string Describe(const ScriptValue& value)
{
    char number[64];
    std::snprintf(number, sizeof number, "real %.17g", value.real);
    if (Value_GetKind(&value) == VALUE_STRING) return "string \"" + TextOf(value) + "\"";
    return Value_GetKind(&value) == VALUE_REAL ? number : "an array";
}

// Each program once per executor: the parameter says whether it runs as bytecode.
using Param = std::tuple<std::string, bool>;

class Corpus : public SourceRunTest, public testing::WithParamInterface<Param> {
  protected:
    void SetUp() override
    {
        SourceRunTest::SetUp();
        g_UseBytecode = std::get<1>(GetParam()) ? 1 : 0;
        // Interpreter errors stop the program and are recorded, rather than ending the test process.
        m_SavedQuiet = Debug_EvaluatingExpression;
        Debug_EvaluatingExpression = 1;
        g_VMEvaluationFailed = 0;
        g_VMEvaluationError.clear();
        g_CodeErrorFlag = false;
        g_CodeErrorText.clear();
    }
    void TearDown() override
    {
        Debug_EvaluatingExpression = m_SavedQuiet;
        g_VMEvaluationFailed = 0;
        SourceRunTest::TearDown();
    }

    static void ExpectSoundWords(const std::string& name, const VMBuffer* words)
    {
        if (words == nullptr) return;
        uint32_t strings = words->m_pStrings != nullptr ? words->m_pStrings->count : 0;
        VMCheckResult check;
        EXPECT_TRUE(VM_CheckCode(words->m_pWords, words->m_Size, strings, &check))
            << name << ": " << VM_CheckFaultText(check, words->m_Size, strings);
        VMStackTrace trace;
        EXPECT_TRUE(VM_TraceStack(words->m_pWords, words->m_Size, &trace)) << name << ": " << trace.problem;
        for (const auto& stack : trace.endStacks)
            EXPECT_EQ(VM_StackText(stack), "") << name << " runs off its end with items left on the stack";
        for (const std::string& pair : trace.refusedPairs) ADD_FAILURE() << name << ": the interpreter refuses " << pair;
    }

    uint8_t m_SavedQuiet = 0;
};

TEST_P(Corpus, ProgramGivesItsResultOrItsListedDifference)
{
    const auto& [name, bytecode] = GetParam();
    CorpusProgram program = ReadCorpus(name);
    ASSERT_EQ(program.problem, "") << CorpusPath(name);
    for (const Difference& difference : EXECUTOR_DIFFERENCES) {
        if (!bytecode && name == difference.program) {
            program.expect = difference.outcome;
            program.real = difference.real;
            program.text = difference.text;
        }
    }
    // The scripts go into the script table, every name first, so that they can call each other.
    for (const auto& [scriptName, source] : program.scripts) AddScript(scriptName.c_str(), source.c_str());
    for (int32_t i = 0; i < Script_Count(); ++i) {
        ASSERT_TRUE(Script_Get(i)->Compile()) << Script_Name(i) << ": " << g_CodeErrorText;
        if (bytecode) ExpectSoundWords(Script_Name(i), Script_GetCode(i)->m_pCode);
    }
    std::string source = program.main;
    CCode main(source.c_str(), false);
    ASSERT_TRUE(main.Compile(name.c_str())) << g_CodeErrorText;
    if (bytecode) {
        ExpectSoundWords(name, main.m_pCode);
    } else {
        ASSERT_EQ(main.m_pCode, nullptr) << "the tree executor's code carries no bytecode";
    }
    if (HasFailure()) return;

    for (const CorpusInstance& placed : program.instances) {
        FakeInstance* instance = m_World.Add(placed.id, placed.object);
        for (const CorpusVariable& variable : placed.variables) SetReal(instance->variables, variable.name.c_str(), variable.real);
    }
    FakeInstance* self = m_World.Find(program.self);
    if (self == nullptr) {
        self = m_World.Add(program.self, -1);
        self->outside = true;
    }
    int32_t argumentCount = g_ScriptArgumentCount;
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    bool done = Code_Execute(AsInstance(self), AsInstance(self), &main, &result);
    EXPECT_EQ(g_ScriptArgumentCount, argumentCount) << "the argument count is not restored";
    // The interpreter's errors stop it quietly and leave success; the tree executor fails.
    bool failed = bytecode ? g_VMEvaluationFailed != 0 : !done;
    if (bytecode) { EXPECT_TRUE(done); }
    switch (program.expect) {
    case Outcome::Error:
        EXPECT_TRUE(failed) << "expected the error " << program.text << ", got " << Describe(result);
        if (bytecode) {
            EXPECT_EQ(g_VMEvaluationError.rfind(program.text, 0), 0u) << g_VMEvaluationError;
        } else {
            EXPECT_NE(g_CodeErrorText.find(program.text), std::string::npos) << g_CodeErrorText;
        }
        break;
    case Outcome::Real:
        EXPECT_FALSE(failed) << g_VMEvaluationError << g_CodeErrorText;
        EXPECT_EQ(Value_GetKind(&result), VALUE_REAL) << Describe(result);
        if (Value_GetKind(&result) == VALUE_REAL) { EXPECT_EQ(result.real, program.real) << Describe(result); }
        break;
    default:
        EXPECT_FALSE(failed) << g_VMEvaluationError << g_CodeErrorText;
        EXPECT_EQ(Value_GetKind(&result), VALUE_STRING) << Describe(result);
        EXPECT_EQ(TextOf(result), program.text) << Describe(result);
    }
    Value_Free(&result);
}

INSTANTIATE_TEST_SUITE_P(Programs, Corpus, testing::Combine(testing::ValuesIn(CorpusFiles()), testing::Bool()),
                         [](const testing::TestParamInfo<Param>& info) {
                             return CorpusTestName({std::get<0>(info.param), info.index}) +
                                    (std::get<1>(info.param) ? "_bytecode" : "_tree");
                         });

TEST(CorpusFormat, ProblemsAreReportedAndTheDifferencesAreReal)
{
    // A file the reader cannot take fails its program instead of passing unchecked.
    EXPECT_EQ(ParseCorpus("return 1\n").problem, "no @result or @error");
    EXPECT_EQ(ParseCorpus("@result 12abc\n").problem, "line 1: @result 12abc");
    EXPECT_EQ(ParseCorpus("@unknown\n@result 1\n").problem, "line 1: @unknown");
    EXPECT_GE(CorpusFiles().size(), 100u);

    // Every listed difference names a corpus program and really differs from the program's file.
    std::vector<std::string> files = CorpusFiles();
    for (const Difference& difference : EXECUTOR_DIFFERENCES) {
        SCOPED_TRACE(difference.program);
        ASSERT_TRUE(std::find(files.begin(), files.end(), difference.program) != files.end());
        CorpusProgram listed = ReadCorpus(difference.program);
        ASSERT_NE(listed.expect, Outcome::Nothing);
        EXPECT_FALSE(listed.expect == difference.outcome &&
                     (difference.outcome == Outcome::Real ? listed.real == difference.real : listed.text == difference.text))
            << "listed, but the file expects the same";
        EXPECT_NE(std::string(difference.why), "");
    }
}

} // namespace
