// The translated form: which sequences a translation joins and what it leaves to the word loop,
// variable sites that find their variables again after lists change, the word loop taking over for
// written words and debugger requests, and errors inside a joined sequence placed at their own word.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "Code_FieldRows.h"
#include "Code_InterpreterSupport.h"
#include "app/App_CommandLine.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Error.h"
#include "code/Code_InterpreterState.h"
#include "code/Code_Translate.h"
#include "datastructure/DataStructure_List.h"
#include "function/Function_ListLeaves.h"
#include "platform/Platform_TestSwitches.h"

using namespace vmtest;

namespace {

// Translation on for the test, whatever the process was started with.
class TranslateTest : public InterpreterTest {
protected:
    void SetUp() override
    {
        InterpreterTest::SetUp();
        RegisterArgumentVariables();
        m_Saved = g_VMTranslate;
        g_VMTranslate = true;
    }
    void TearDown() override
    {
        g_VMTranslate = m_Saved;
        InterpreterTest::TearDown();
    }
    static std::vector<VMKind> KindsOf(const VMBuffer* code)
    {
        std::vector<VMKind> kinds;
        if (VMTranslation* translation = VM_Translation(code))
            for (const VMTranslatedInsn& insn : translation->insns) kinds.push_back(insn.kind);
        return kinds;
    }

private:
    bool m_Saved = true;
};

using K = VMKind;

TEST_F(TranslateTest, CommonSequencesAreJoinedOnceAndTheRestKeepsItsWords)
{
    const std::string ifElse = "push.v self.vmtest_jx\npush.e 2\nmul.i.v\npop.v.v self.vmtest_jx\nb end\nother:\n"
                               "push.v self.vmtest_jn\npush.e 1\nadd.i.v\npop.v.v self.vmtest_jn\nend:\n"
                               "push.v self.vmtest_js\npush.v self.vmtest_jx\nadd.v.v\npop.v.v self.vmtest_js";
    struct Case {
        std::string source;
        std::vector<VMKind> kinds; // End last
    };
    const Case cases[] = {
        // A loop's test and branch; the words after the first keep their entries.
        {"top:\npush.v self.i\npush.e 10\nslt.i.v\nbf done\nb top\ndone:",
         {K::VarConstBranch, K::PushImmediate, K::Fast, K::BranchFalse, K::Branch, K::End}},
        // The step stored back into the same variable, and into another; a step that is the whole
        // code is a register sequence, whose runs end in the steps.
        {"top:\npush.v self.i\npush.i 3\nadd.i.v\npop.v.v self.i\nb top",
         {K::VarConstStore, K::ConstOp, K::Fast, K::PopVariable, K::Branch, K::End}},
        {"push.v self.i\npush.i 3\nadd.i.v\npop.v.v self.i", {K::RealSequence, K::ConstOp, K::Fast, K::PopVariable, K::End}},
        {"push.v self.i\npush.e 3\nadd.i.v\npop.v.v self.j", {K::VarConst, K::ConstOp, K::Fast, K::PopVariable, K::End}},
        // argumentN joins, but nothing is stored back into it; its test and branch and two integers.
        {"push.v self.argument0\npush.e 1\nsub.i.v\npop.v.v self.argument0",
         {K::ArgConst, K::ConstOp, K::Fast, K::PopBuiltIn, K::End}},
        {"top:\npush.v unnamed.argument1\npush.e 2\nslt.i.v\nbt top",
         {K::ArgConstBranch, K::PushImmediate, K::Fast, K::BranchTrue, K::End}},
        {"push.v self.argument0\npush.e 3\nmul.i.v\npush.e 7\nmod.i.v\npopz.v",
         {K::VarConstOp, K::ConstOp, K::Fast, K::ConstOp, K::Fast, K::Popz, K::End}},
        // mod by an integer of a computed value; rem, doubles and a test without a branch.
        // (Computed in registers as a whole, the joined entries after the first kept for the words.)
        {"push.d 9\nconv.d.v\npush.e 7\nmod.i.v\npopz.v", {K::RealSequence, K::Conv, K::ConstOp, K::Fast, K::Popz, K::End}},
        {"push.v global.g\npush.e 2\nrem.i.v\nret.v", {K::PushVariable, K::PushImmediate, K::Fast, K::Ret, K::End}},
        {"push.v local.l\npush.d 2\nadd.d.v\nret.v", {K::PushVariable, K::PushEight, K::Fast, K::Ret, K::End}},
        // A value dropped by popz is dropped from the registers: the statement is a sequence.
        {"push.v local.l\npush.d 2\nadd.d.v\npopz.v", {K::RealSequence, K::PushEight, K::Fast, K::Popz, K::End}},
        {"push.v other.o\npush.e 2\nsge.i.v\npopz.b", {K::VarConstTest, K::PushImmediate, K::Fast, K::Popz, K::End}},
        // A return of an argument or of arithmetic on two variable items; not of a text's push.
        {"push.v self.argument0\nret.v", {K::ArgumentReturn, K::Ret, K::End}},
        {"push.v self.vmtest_js\npush.v self.vmtest_jx\nsub.v.v\nret.v",
         {K::PushVariable, K::PushVariable, K::ArithmeticReturn, K::Ret, K::End}},
        {"push.s \"t\"\nconv.s.v\nret.v", {K::PushGeneral, K::Conv, K::Ret, K::End}},
        // Two integers in a row on a variable, arithmetic stored, and elements at a variable's index.
        {"push.v self.i\npush.e 3\nmul.i.v\npush.e 7\nmod.i.v\npopz.v",
         {K::VarConstOp, K::ConstOp, K::Fast, K::ConstOp, K::Fast, K::Popz, K::End}},
        {"push.v self.vmtest_js\npush.v self.vmtest_jx\nadd.v.v\npop.v.v self.vmtest_js",
         {K::VariableCombine, K::PushVariable, K::ArithmeticStore, K::PopVariable, K::End}},
        {"push.d 1\nconv.d.v\npush.v self.vmtest_jx\nadd.v.v\npop.v.v self.vmtest_js",
         {K::RealSequence, K::Conv, K::PushVariable, K::ArithmeticStore, K::PopVariable, K::End}},
        {"push.v self.vmtest_js\npush.v self.vmtest_jx\npush.e 3\nmul.i.v\npush.e 7\nmod.i.v\nadd.v.v\npop.v.v self.vmtest_js",
         {K::VariableCombine, K::VarConstOp, K::ConstOp, K::Fast, K::ConstOp, K::Fast, K::ArithmeticStore, K::PopVariable,
          K::End}},
        {"push.v self.vmtest_js\npush.e -1\npush.v self.vmtest_jx\nconv.v.i\npush.v stack.a[]\nsub.v.v\npop.v.v self.vmtest_js",
         {K::VariableCombine, K::ElementRead, K::PushVariable, K::Conv, K::PushElement, K::ArithmeticStore, K::PopVariable,
          K::End}},
        {"push.e -1\npush.v self.i\nconv.v.i\npush.v stack.a[]\npopz.v",
         {K::ElementRead, K::PushVariable, K::Conv, K::PushElement, K::Popz, K::End}},
        // A joined statement that a sequence reaches is taken into it.
        {"push.d 1\nconv.d.v\npush.e -1\npush.v self.i\nconv.v.i\npop.v.v stack.a[]",
         {K::RealSequence, K::Conv, K::ElementStore, K::PushVariable, K::Conv, K::PopElement, K::End}},
        // A variable combined with an integer, stored into an element: `a[i] = i * 2`.
        {"push.v self.i\npush.e 2\nmul.i.v\npush.e -1\npush.v self.i\nconv.v.i\npop.v.v stack.a[]",
         {K::VarConstElementStore, K::ConstOp, K::Fast, K::ElementStore, K::PushVariable, K::Conv, K::PopElement, K::End}},
        // A loop's step, the jump back and its test of the same variable; not of another.
        {"top:\npush.v self.i\npush.e 10\nslt.i.v\nbf done\npush.v self.i\npush.e 1\nadd.i.v\npop.v.v self.i\nb top\ndone:",
         {K::VarConstBranch, K::PushImmediate, K::Fast, K::BranchFalse, K::CountingStep, K::ConstOp, K::Fast, K::PopVariable,
          K::Branch, K::End}},
        {"top:\npush.v self.j\npush.e 10\nslt.i.v\nbf done\npush.v self.i\npush.e 1\nadd.i.v\npop.v.v self.i\nb top\ndone:",
         {K::VarConstBranch, K::PushImmediate, K::Fast, K::BranchFalse, K::VarConstStore, K::ConstOp, K::Fast, K::PopVariable,
          K::Branch, K::End}},
        // Not those: a result left or popped as a double; a constant index and an argument as the
        // index are register sequences instead, their elements reached through registers.
        {"push.v self.vmtest_js\npush.v self.vmtest_jx\nadd.v.v\npop.v.d self.vmtest_js",
         {K::PushVariable, K::PushVariable, K::Fast, K::PopVariable, K::End}},
        {"push.d 1\nconv.d.v\npush.e -1\npush.i 3\npop.v.v stack.a[]",
         {K::RealSequence, K::Conv, K::PushImmediate, K::PushFour, K::PopElement, K::End}},
        {"push.e -1\npush.v self.argument0\nconv.v.i\npush.v stack.a[]\npopz.v",
         {K::RealSequence, K::PushArgument, K::Conv, K::PushElement, K::Popz, K::End}},
        // Where a sequence's branch or jump goes, a joined statement is a sequence of its own, which
        // the steps go on into (`if (s > 8) x *= 2; else n += 1; s += x`); not where only the words
        // go (the else arm of a test the words make).
        {"push.v self.vmtest_js\npush.d 8\nsgt.d.v\nbf other\n" + ifElse,
         {K::RealSequence, K::PushEight, K::Fast, K::BranchFalse, K::RealSequence, K::ConstOp, K::Fast, K::PopVariable,
          K::Branch, K::RealSequence, K::ConstOp, K::Fast, K::PopVariable, K::RealSequence, K::PushVariable,
          K::ArithmeticStore, K::PopVariable, K::End}},
        {"push.v self.vmtest_js\nconv.v.b\nbf other\n" + ifElse,
         {K::PushVariable, K::Conv, K::BranchFalse, K::RealSequence, K::ConstOp, K::Fast, K::PopVariable, K::Branch,
          K::VarConstStore, K::ConstOp, K::Fast, K::PopVariable, K::RealSequence, K::PushVariable, K::ArithmeticStore,
          K::PopVariable, K::End}},
        // Accesses the loop cannot reach directly stay general.
        {"push.v all.a\npush.e 1\nadd.i.v\npopz.v", {K::PushGeneral, K::ConstOp, K::Fast, K::Popz, K::End}},
        {"push.e -7\npush.i 0\npush.v stack.a[]\npopz.v", {K::RealSequence, K::PushFour, K::PushElement, K::Popz, K::End}},
        // A breakpoint word is the word loop's; a break check and other codes are not.
        {"break.e 0\nbreak.e 0xFFFF\nbreak.e 3", {K::Handover, K::BreakCheck, K::Nothing, K::End}},
    };
    for (const Case& c : cases) {
        Program program(c.source);
        EXPECT_EQ(KindsOf(program.Code()), c.kinds) << c.source;
    }

    Program loop(cases[0].source);
    const VMTranslatedInsn* insns = VM_Translation(loop.Code())->insns.data();
    EXPECT_EQ(insns[0].target, 5); // bf done: the End entry
    EXPECT_EQ(insns[0].next, 4);
    EXPECT_EQ(insns[0].constant, 10);
    EXPECT_EQ(insns[4].target, 0); // b top
    EXPECT_EQ(insns[3].at, 16);
    EXPECT_EQ(insns[3].nextPc, 20);
}

TEST_F(TranslateTest, ScriptCallsWithTheirArgumentsInTheFrameStayInTheLoop)
{
    ScriptTable scripts;
    // down(n, acc): acc at n < 1, else down(n - 1, acc + n) plus a local kept across the call. A
    // text as n stops the run at the compare.
    int32_t down = scripts.Add("down", "push.v self.argument0\npop.v.v local.vmtest_l\n"
                                       "push.v self.argument0\npush.e 1\nslt.i.v\nbf more\npush.v self.argument1\nret.v\n"
                                       "more:\npush.v self.argument1\npush.v self.argument0\nadd.v.v\n"
                                       "push.v self.argument0\npush.e 1\nsub.i.v\ncall.i 100000 2\n"
                                       "push.v local.vmtest_l\nadd.v.v\nret.v\n");
    int32_t quits = scripts.Add("quits", "push.e 4\nexit.i\n");
    int32_t falls = scripts.Add("falls", "push.e 4\npopz.i\n");
    const std::string call = "call.i " + std::to_string(down) + " 2\n";
    struct Case {
        std::string source;
        std::vector<VMKind> kinds; // End last
    };
    const Case kinds[] = {
        {call, {K::CallScript, K::End}},
        {"call.i " + std::to_string(down) + " 17\n", {K::Call, K::End}}, // more than the frame keeps
        {"call.i vmtest_record 2\n", {K::Call, K::End}},
    };
    for (const Case& c : kinds) {
        Program program(c.source);
        EXPECT_EQ(KindsOf(program.Code()), c.kinds) << c.source;
    }
    // The same answers, stack and argument slots in both forms: 4 + 3 + 2 + 1 from the walk and
    // 4 + 3 + 2 + 1 from the locals; exit and running off the end give real 0.
    struct Run {
        std::string source;
        double result;
        const char* error;
    };
    const Run runs[] = {
        {"push.e 0\nconv.i.v\npush.e 4\nconv.i.v\n" + call, 20, ""},
        {"push.e 0\nconv.i.v\npush.s \"x\"\nconv.s.v\n" + call, 0, "DoSet :: Invalid comparison type"},
        {"call.i " + std::to_string(quits) + " 0\ncall.i " + std::to_string(falls) + " 0\nadd.v.v\n", 0, ""},
    };
    for (bool translate : {false, true}) {
        g_VMTranslate = translate;
        for (const Run& r : runs) {
            RunOutcome outcome = RunProgram(r.source);
            EXPECT_EQ(outcome.failed, r.error[0] != '\0') << r.source << outcome.error;
            EXPECT_NE(outcome.error.find(r.error), std::string::npos) << outcome.error;
            if (!outcome.failed) {
                EXPECT_EQ(outcome.Real(), r.result) << r.source;
                EXPECT_EQ(outcome.leftOnStack, 0) << r.source;
            }
            EXPECT_EQ(g_ScriptArguments[0].real, 0) << r.source;
        }
    }
}

// What a run gives as one line: the error's text, or the result's.
std::string OutcomeLine(const RunOutcome& outcome)
{
    if (outcome.failed) return "error: " + outcome.error;
    if (Value_GetKind(&outcome.result) != VALUE_REAL) return outcome.Text();
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", outcome.Real());
    return text;
}

// What a run gives as the tables expect it: the error's text, or the real result.
std::string RealOrError(const RunOutcome& outcome)
{
    char real[64];
    std::snprintf(real, sizeof real, "%.17g", outcome.Real());
    return outcome.failed ? outcome.error : std::string(real);
}

// Each instance's variables, as the tables compare them after a run.
std::string DumpVariables(std::initializer_list<FakeInstance*> instances)
{
    testsupport::RecordingConsole out;
    for (FakeInstance* instance : instances) {
        out.Output("instance %d\n", instance->id);
        instance->variables.DebugDump(&out);
    }
    return out.text;
}

// A script whose code object is made again between runs, by a table made again.
double RunCallOf(const std::string& calleeSource, Program& program)
{
    ScriptTable scripts;
    scripts.Add("callee", calleeSource);
    RunOutcome outcome = program.Run();
    EXPECT_FALSE(outcome.failed) << outcome.error;
    return outcome.Real();
}

TEST_F(TranslateTest, CallsKeepArgumentCountsCalleesAndDeepFramesAsTheWordsDo)
{
    for (bool translate : {false, true}) {
        g_VMTranslate = translate;
        ScriptTable scripts;
        // inner reads argument_count, which moves its arguments into the global slots; outer reads
        // its own after inner returned, having never moved its arguments.
        int32_t inner = scripts.Add("inner", "push.v self.argument_count\nret.v\n");
        int32_t outer = scripts.Add("outer", "push.e 7\nconv.i.v\ncall.i " + std::to_string(inner) +
                                                 " 1\npush.e 10\nmul.i.v\npush.v self.argument_count\nadd.v.v\nret.v\n");
        // sum(n) = n + sum(n - 1) down to 0: deep enough that the stack region is made again while
        // every level's arguments stay in its frame.
        int32_t sum = scripts.Add("sum", "push.v self.argument0\npush.e 1\nslt.i.v\nbt zero\npush.v self.argument0\n"
                                         "push.v self.argument0\npush.e 1\nsub.i.v\ncall.i 100002 1\nadd.v.v\nret.v\n"
                                         "zero:\npush.e 0\nconv.i.v\nret.v\n");
        ASSERT_EQ(sum, CALLABLE_SCRIPT_BASE + 2);
        auto real = [](const char* n) { return std::string("push.d ") + n + "\nconv.d.v\n"; };
        const std::string three = real("1") + real("2") + real("3");
        struct Case {
            std::string source;
            const char* expected;
        };
        const Case cases[] = {
            // 1 * 10 + 3, then the run's own argument_count (5) as it was before the call.
            {three + "call.i " + std::to_string(outer) + " 3\npush.v self.argument_count\npush.e 100\nmul.i.v\nadd.v.v\nret.v",
             "513"},
            {real("3000") + "call.i " + std::to_string(sum) + " 1\nret.v", "4501500"},
            // The test `argumentN < 1` taken when true: a fraction below, missing (real 0), within
            // the tolerance of 1 (not below), and a text.
            {real("0.5") + "call.i " + std::to_string(sum) + " 1\nret.v", "0"},
            {"call.i " + std::to_string(sum) + " 0\nret.v", "0"},
            {real("0.99999904632568359375") + "call.i " + std::to_string(sum) + " 1\nret.v", "0.99999904632568359"},
            {"push.s \"t\"\nconv.s.v\ncall.i " + std::to_string(sum) + " 1\nret.v", "error: "},
        };
        for (const Case& c : cases) {
            g_ScriptArgumentCount = 5;
            EXPECT_EQ(OutcomeLine(RunProgram(c.source)).rfind(c.expected, 0), 0u) << c.source << " translated " << translate;
            EXPECT_EQ(g_ScriptArgumentCount, 5) << c.source;
            EXPECT_EQ(g_ScriptArguments[0].real, 0) << c.source;
        }
        g_ScriptArgumentCount = 0;
    }
    // A call site finds its script again when the script table was made again since its last run.
    g_VMTranslate = true;
    Program program("call.i 100000 0\nret.v");
    EXPECT_EQ(RunCallOf("push.e 1\nconv.i.v\nret.v\n", program), 1);
    EXPECT_EQ(RunCallOf("push.e 2\nconv.i.v\nret.v\n", program), 2);
}

TEST_F(TranslateTest, ArgumentSequencesAndReturnsGiveTheWordsResultsAndErrors)
{
    ScriptTable scripts;
    // fib(n) with the argument's test, its combinations and the returns joined; `k` adds argument1
    // at the bottom, so that a text or a missing argument reaches the joined returns.
    int32_t fib = scripts.Add("fib", "push.v self.argument0\npush.e 2\nslt.i.v\nbf more\npush.v self.argument0\nret.v\n"
                                     "more:\npush.v self.argument0\npush.e 1\nsub.i.v\ncall.i 100000 1\n"
                                     "push.v self.argument0\npush.e 2\nsub.i.v\ncall.i 100000 1\nadd.v.v\nret.v\n");
    int32_t k = scripts.Add("k", "push.v self.argument0\npush.e 3\nmul.i.v\npush.v unnamed.argument1\nadd.v.v\nret.v\n");
    int32_t low = scripts.Add("low", "push.v self.argument0\npush.e 0\nsle.i.v\nbt zero\npush.v self.argument1\nret.v\n"
                                     "zero:\npush.v self.argument0\npush.v self.argument1\ndiv.v.v\nret.v\n");
    // The arguments settle into the global slots at the built-in, then are read from there.
    int32_t settled = scripts.Add("settled", "call.i vmtest_record 0\npopz.v\npush.v self.argument1\npush.e 1\nsub.i.v\n"
                                             "push.v self.argument0\npush.e 4\nsgt.i.v\nbt big\nret.v\nbig:\n"
                                             "push.v self.argument0\nret.v\n");
    ASSERT_EQ(fib, CALLABLE_SCRIPT_BASE);
    auto call = [](int32_t script, const std::string& arguments, int count) {
        return arguments + "call.i " + std::to_string(script) + " " + std::to_string(count) + "\n";
    };
    const std::string text = "push.s \"ab\"\nconv.s.v\n";
    // Pushed in order: the last one pushed is argument0.
    auto real = [](int n) { return "push.e " + std::to_string(n) + "\nconv.i.v\n"; };
    struct Case {
        std::string source;
        const char* expected; // the result as text, or the start of the error's text
    };
    const Case cases[] = {
        {call(fib, real(10), 1), "55"},
        {call(fib, real(1), 1), "1"},
        {call(fib, text, 1), "error: "},            // the test of a text stops the run
        {call(k, real(2) + real(5), 2), "17"},      // argument0 * 3 + argument1
        {call(k, real(5), 1), "15"},                // argument1 missing: real 0
        {call(k, text + real(5), 2), "error: "},    // a real added to a text
        {call(k, real(1) + text, 2), "error: "},    // a text multiplied
        {call(low, text + real(1), 2), "ab"},       // a text returned as it is
        {call(low, real(4) + real(0), 2), "0"},     // 0 / 4
        {call(low, real(0) + real(0), 2), "error: DoDiv :: Divide by zero"},
        {call(low, real(-2) + real(0), 2), "-0"},
        {call(settled, real(7) + real(2), 2), "6"}, // argument1 - 1
        {call(settled, real(7) + real(9), 2), "9"}, // argument0
    };
    for (const Case& c : cases) {
        g_VMTranslate = false;
        std::string plain = OutcomeLine(RunProgram(c.source));
        g_VMTranslate = true;
        std::string translated = OutcomeLine(RunProgram(c.source));
        EXPECT_EQ(translated, plain) << c.source;
        EXPECT_EQ(plain.rfind(c.expected, 0), 0u) << c.source << " gave " << plain;
        EXPECT_EQ(g_ScriptArguments[0].real, 0) << c.source;
    }
    // Past several 4096th branches, whose turn to pump messages falls to the separate words: the
    // same branches counted in both forms.
    uint32_t counted[2] = {};
    for (bool translate : {false, true}) {
        g_VMTranslate = translate;
        uint32_t before = VM_BranchCount();
        EXPECT_EQ(OutcomeLine(RunProgram(call(fib, real(20), 1))), "6765");
        counted[translate] = VM_BranchCount() - before;
    }
    EXPECT_EQ(counted[0], counted[1]);
    EXPECT_GT(counted[0], 3u * 4096);
    // At the level of the run itself the joined returns hand the run its result as ret does.
    for (bool translate : {false, true}) {
        g_VMTranslate = translate;
        EXPECT_EQ(OutcomeLine(RunProgram("push.e 3\nconv.i.v\npush.e 4\nconv.i.v\nadd.v.v\nret.v")), "7");
    }
}

// Rows registered again in another order: the translated push of a row reads what the row is now.
void ReadRowAfterTheRowsMove()
{
    Variable_BuiltIn_FreeNames();
    RegisterArgumentVariables(); // argument0 at row 0, argument1 at row 1
    ScriptTable scripts;
    int32_t second = scripts.Add("second", "push.v self.argument1\npush.e 1\nsub.i.v\nret.v\n");
    const std::string source = "push.e 20\nconv.i.v\npush.e 10\nconv.i.v\ncall.i " + std::to_string(second) + " 2\n";
    double before = RunProgram(source).Real();
    Variable_BuiltIn_FreeNames();
    Variable_BuiltIn_Add("vmtest_pad", nullptr, nullptr, false);
    RegisterArgumentVariables(); // row 1 is argument0 now
    double after = RunProgram(source).Real();
    std::fprintf(stderr, "%g %g\n", before, after);
    std::_Exit(0);
}

TEST_F(TranslateTest, AnArgumentsSlotIsFoundAgainWhenTheRowsChange)
{
    for (bool translate : {false, true}) {
        g_VMTranslate = translate;
        EXPECT_EXIT(ReadRowAfterTheRowsMove(), ::testing::ExitedWithCode(0), "^19 9\n");
    }
}

TEST_F(TranslateTest, WordsTheTranslationCannotPlaceAreLeftToTheWordLoop)
{
    // A branch into the operand of push.i, and a push whose operand would lie past the end.
    uint32_t words[] = {VM_MakeWord(VM_OP_PUSH, VM_TYPE_INT) | VM_WORD_OPERAND_BIT, VM_MakeBranchWord(VM_OP_B, 2),
                        VM_MakeBranchWord(VM_OP_B, -1), VM_MakeWord(VM_OP_PUSH, VM_TYPE_DOUBLE) | VM_WORD_OPERAND_BIT, 0};
    VMBuffer code(reinterpret_cast<uint8_t*>(words), sizeof words);
    EXPECT_EQ(KindsOf(&code), (std::vector<VMKind>{K::PushFour, K::Handover, K::Handover, K::End}));
    // Both still run as the word loop runs them: the branch lands on the operand, a branch there
    // leads to the push, and the push stops the run.
    RunOutcome outcome = RunQuietly(&code, nullptr, nullptr);
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.error, "Execution Error - Instruction runs past the end of the code");
    // An address past either end is the end; inside an instruction it is none.
    VMTranslation* translation = VM_Translation(&code);
    EXPECT_EQ(VM_TranslatedIndex(*translation, 20), 3);
    EXPECT_EQ(VM_TranslatedIndex(*translation, -4), 3);
    EXPECT_EQ(VM_TranslatedIndex(*translation, 4), -1);
    EXPECT_EQ(VM_TranslatedIndex(*translation, 8), 1);
}

TEST_F(TranslateTest, VariableSitesFindTheirVariablesAgainAfterListsChange)
{
    FakeWorld world;
    FakeInstance* a = world.Add(100001, 1);
    FakeInstance* b = world.Add(100002, 1);
    Program read("push.v self.vmtest_tx\npop.v.v global.vmtest_tr\npush.v unnamed.vmtest_tu\npop.v.v global.vmtest_ts\n"
                 "push.v self.vmtest_tn\npush.e 1\nadd.i.v\npop.v.v self.vmtest_tn");
    SetReal(a->variables, "vmtest_tx", 1);
    SetReal(b->variables, "vmtest_tx", 2);
    SetReal(a->variables, "vmtest_tu", 5);
    SetReal(b->variables, "vmtest_tu", 6);
    struct Step {
        FakeInstance* self;
        double r, s, n;
    };
    auto check = [&](const Step& step, const char* when) {
        RunOutcome outcome = read.Run(AsInstance(step.self));
        EXPECT_FALSE(outcome.failed) << outcome.error << " " << when;
        EXPECT_EQ(Global("vmtest_tr"), step.r) << when;
        EXPECT_EQ(Global("vmtest_ts"), step.s) << when;
        EXPECT_EQ(RealOf(step.self->variables, "vmtest_tn"), step.n) << when;
    };
    check({a, 1, 5, 1}, "first run");
    check({b, 2, 6, 1}, "another self");
    check({a, 1, 5, 2}, "the first self again");
    // The list emptied and filled again: new nodes in the same list.
    a->variables.Clear();
    SetReal(a->variables, "vmtest_tn", 10);
    SetReal(a->variables, "vmtest_tx", 3);
    SetReal(a->variables, "vmtest_tu", 7);
    check({a, 3, 7, 11}, "after a clear");
    // u declared a globalvar: unnamed now means global.
    Variable_DeclareGlobalVar(Code_Variable_Find("vmtest_tu"));
    SetReal(*Variable_GlobalList(), "vmtest_tu", 8);
    check({a, 3, 8, 12}, "after globalvar");
    world.Clear();
}

// `body` run for vmtest_ei from 0 to count - 1, after `setup`, then `result` pushed: each joined
// sequence runs whole from the second round on, once the stack's low water lies below it.
std::string CountingLoop(const std::string& setup, const std::string& body, int count, const std::string& result)
{
    static int s_Loops = 0;
    std::string top = "top" + std::to_string(++s_Loops);
    return setup + "push.e 0\npop.v.i self.vmtest_ei\n" + top + ":\n" + body +
           "\npush.v self.vmtest_ei\npush.e 1\nadd.i.v\npop.v.v self.vmtest_ei\npush.v self.vmtest_ei\npush.e " +
           std::to_string(count) + "\nslt.i.v\nbt " + top + "\n" + result;
}

// The same as a `for` loop compiles: the test first, the step and the jump back at the end, which
// run as one entry. `test`: the comparison and the branch out.
std::string ForLoop(const std::string& setup, const std::string& body, int count, const std::string& result,
                    const std::string& test = "slt.i.v\nbf")
{
    static int s_Loops = 0;
    std::string top = "for" + std::to_string(++s_Loops), done = "done" + std::to_string(s_Loops);
    return setup + "push.e 0\npop.v.i self.vmtest_ei\n" + top + ":\npush.v self.vmtest_ei\npush.i " + std::to_string(count) +
           "\n" + test + " " + done + "\n" + body + "\npush.v self.vmtest_ei\npush.e 1\nadd.i.v\npop.v.v self.vmtest_ei\nb " +
           top + "\n" + done + ":\n" + result;
}

// The same program with the self variables and arrays (instance -1) made locals (instance -7):
// statements whose every variable is a local run through handlers of their own.
std::string WithLocals(std::string source)
{
    for (size_t at = 0; (at = source.find("self.vmtest_e", at)) != std::string::npos;) source.replace(at, 4, "local");
    for (size_t at = 0; (at = source.find("push.e -1\n", at)) != std::string::npos;) source.replace(at, 9, "push.e -7");
    return source;
}

TEST_F(TranslateTest, LongerJoinedSequencesGiveTheWordsResultsAndErrors)
{
    const std::string fill = "push.v self.vmtest_ei\npush.e 2\nmul.i.v\npush.e -1\npush.v self.vmtest_ei\nconv.v.i\n"
                             "pop.v.v stack.vmtest_ea[]\n";
    const std::string sum = "push.v self.vmtest_et\npush.e -1\npush.v self.vmtest_ei\nconv.v.i\n"
                            "push.v stack.vmtest_ea[]\nadd.v.v\npop.v.v self.vmtest_et\n";
    const std::string zero = "push.e 0\npop.v.i self.vmtest_et\npush.e 0\npop.v.i self.vmtest_ea\n";
    const std::string deep = "push.v self.vmtest_et\npush.v self.vmtest_et\npush.v self.vmtest_et\npopz.v\npopz.v\npopz.v\n";
    struct Case {
        const char* what;
        std::string source;
        std::string expected; // the result as text, or the error's
    };
    const Case cases[] = {
        // The array made and grown by the separate words, then written in place and read.
        {"fill and sum", CountingLoop(zero, fill, 40, "") + CountingLoop("", sum, 40, "push.v self.vmtest_et"), "1560"},
        // Long enough for the message pump's turn to fall on the step's branches.
        {"fill and sum in for loops", ForLoop(zero, fill, 2500, "") + ForLoop("", sum, 2500, "push.v self.vmtest_et"),
         "6247500"},
        {"for loops left when greater or equal", ForLoop(zero, fill, 2500, "", "sge.i.v\nbt") +
                                                     ForLoop("", sum, 2500, "push.v self.vmtest_et", "sge.i.v\nbt"),
         "6247500"},
        {"mod of a product, summed", CountingLoop(zero, "push.v self.vmtest_et\npush.v self.vmtest_ei\npush.e 3\nmul.i.v\n"
                                                        "push.e 7\nmod.i.v\nadd.v.v\npop.v.v self.vmtest_et",
                                                  10, "push.v self.vmtest_et"),
         "30"},
        // Combinations stored into another variable than the one pushed first, on a stack whose low
        // water lies deep enough for them to run whole from the first round.
        {"a square into another variable", CountingLoop(zero + deep, "push.v self.vmtest_ei\npush.v self.vmtest_ei\nmul.v.v\n"
                                                                     "pop.v.v self.vmtest_et", 4, "push.v self.vmtest_et"),
         "9"},
        {"a product into another variable", CountingLoop(zero + deep, "push.v self.vmtest_ei\npush.v self.vmtest_ei\npush.e 3\n"
                                                                      "mul.i.v\nmul.v.v\npop.v.v self.vmtest_et", 4,
                                                                      "push.v self.vmtest_et"),
         "27"},
        // Another variable's value (5) stored at the counter's index, into elements that exist:
        // a[2] * 100 + a[5].
        {"an element at another variable's index",
         CountingLoop(zero + "push.e 5\npop.v.i self.vmtest_et\npush.e 0\nconv.i.v\npush.e -1\npush.e 9\n"
                             "pop.v.v stack.vmtest_ea[]\n",
                      "push.v self.vmtest_et\npush.e 2\nmul.i.v\npush.e -1\npush.v self.vmtest_ei\nconv.v.i\n"
                      "pop.v.v stack.vmtest_ea[]",
                      3, "push.e -1\npush.e 2\npush.v stack.vmtest_ea[]\npush.e 100\nmul.i.v\npush.e -1\npush.e 5\n"
                         "push.v stack.vmtest_ea[]\nadd.v.v"),
         "1000"},
        // A write past the row's end inside its spare room: the skipped elements read as 0.
        {"a gap in the spare room", CountingLoop(zero, fill, 5, "push.e 7\nconv.i.v\npop.v.v self.vmtest_ei\n" + fill +
                                                              "push.e -1\npush.e 5\npush.v stack.vmtest_ea[]\npush.e -1\n"
                                                              "push.e 6\npush.v stack.vmtest_ea[]\nadd.v.v\npush.e -1\n"
                                                              "push.e 7\npush.v stack.vmtest_ea[]\nadd.v.v"),
         "14"},
        // A text stored into elements, then read back: no real, so the separate words read it.
        {"texts in elements", CountingLoop(zero, "push.s \"ab\"\nconv.s.v\npush.e -1\npush.v self.vmtest_ei\nconv.v.i\n"
                                                 "pop.v.v stack.vmtest_ea[]",
                                           3, "push.e -1\npush.e 2\npush.v stack.vmtest_ea[]"),
         "ab"},
        // A real stored over a text, and the index truncated toward zero.
        {"a real over a text", CountingLoop("push.s \"t\"\nconv.s.v\npop.v.v self.vmtest_et\n", "push.v self.vmtest_ei\n"
                                            "push.d 2.75\nconv.d.v\nadd.v.v\npop.v.v self.vmtest_et", 2,
                                            "push.v self.vmtest_et"),
         "3.75"},
        {"a square over a text", CountingLoop("push.s \"t\"\nconv.s.v\npop.v.v self.vmtest_et\n", "push.v self.vmtest_ei\n"
                                              "push.v self.vmtest_ei\nmul.v.v\npop.v.v self.vmtest_et", 4,
                                              "push.v self.vmtest_et"),
         "9"},
        {"a real index", CountingLoop(zero, fill, 4, "push.d 2.75\nconv.d.v\npop.v.v self.vmtest_ei\n" + sum +
                                                       "push.v self.vmtest_et"),
         "4"},
        // Errors of the words inside: a negative index, a text in arithmetic, a mod by 0.
        {"a negative index", CountingLoop(zero, fill, 2, "push.e -3\nconv.i.v\npop.v.v self.vmtest_ei\n" + fill),
         "Pop :: Execution Error - Variable index out of range vmtest_ea"},
        // Reads outside the array; the message names the array's instance ({instance}).
        {"a negative index read", CountingLoop(zero, fill, 2, "push.e -3\nconv.i.v\npop.v.v self.vmtest_ei\n" + sum),
         "Push :: Execution Error - Variable Index [0,-3] out of range [1,2] - {instance}.vmtest_ea({id},-3)"},
        {"an index past the rows read", CountingLoop(zero, fill, 2, "push.i 2147483647\nconv.i.v\npop.v.v self.vmtest_ei\n" + sum),
         "Push :: Execution Error - Variable Index [67108,27647] out of range [1,-1] - {instance}.vmtest_ea({id},2147483647)"},
        // The last row an index reaches made, then a read at the lowest index, which must not find it.
        {"the lowest index read", CountingLoop(zero, fill, 2, "push.i 2147483647\nconv.i.v\npop.v.v self.vmtest_ei\n" + fill +
                                                                "push.i -2147483648\nconv.i.v\npop.v.v self.vmtest_ei\n" + sum),
         "Push :: Execution Error - Variable Index [-67108,-27648] out of range [67109,-1] - {instance}.vmtest_ea({id},-2147483648)"},
        {"a text added", CountingLoop(zero, sum, 1, "push.s \"t\"\nconv.s.v\npop.v.v self.vmtest_et\n" + sum),
         "DoAdd :: Execution Error"},
        {"mod 0 into an element", CountingLoop(zero, fill, 3, "push.v self.vmtest_ei\npush.e 0\nmod.i.v\npush.e -1\n"
                                                             "push.v self.vmtest_ei\nconv.v.i\npop.v.v stack.vmtest_ea[]"),
         "DoMod :: Divide by zero"},
        {"mod 0", CountingLoop(zero, "push.v self.vmtest_ei\npush.e 3\nmul.i.v\npush.e 1\nmod.i.v\npopz.v", 2,
                               "push.v self.vmtest_ei\npush.e 3\nmul.i.v\npush.e 0\nmod.i.v\npopz.v"),
         "DoMod :: Divide by zero"},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    for (const Case& c : cases) {
        for (bool locals : {false, true}) {
            Program program(locals ? WithLocals(c.source) : c.source);
            RunOutcome outcome = program.Run(AsInstance(self));
            std::string got = outcome.failed ? outcome.error : TextOf(outcome.result);
            if (Value_GetKind(&outcome.result) == VALUE_REAL && !outcome.failed) {
                char text[64];
                std::snprintf(text, sizeof text, "%.17g", outcome.Real());
                got = text;
            }
            std::string expected = c.expected;
            if (size_t at = expected.find("{instance}"); at != std::string::npos) expected.replace(at, 10, locals ? "-7" : "-1");
            // The array's id depends on the names the tests before registered.
            if (size_t at = expected.find("{id}"); at != std::string::npos)
                expected.replace(at, 4, std::to_string(Code_Variable_Find("vmtest_ea")));
            EXPECT_EQ(got, expected) << c.what << (locals ? " (locals)" : "");
            self->variables.Clear();
        }
    }
    world.Clear();
}

// Statements computed in registers: values of every item type, items left for the words after a
// sequence, a test's branch through the message pump's turns, and operands that turn out texts or
// arrays midway or divide by zero, which the words then run (and report) from their own word.
TEST_F(TranslateTest, RegisterSequencesGiveTheWordsResultsAndErrors)
{
    const std::string zero = "push.e 0\npop.v.i self.vmtest_et\npush.e 1\npop.v.i self.vmtest_eu\n";
    const std::string sum = "push.v self.vmtest_et\nadd.v.v\npop.v.v self.vmtest_et";
    const std::string becomes = "push.v self.vmtest_ei\npush.e 2\nseq.i.v\nbf keep\n"; // at the third round, then
    struct Case {
        const char* what;
        std::string source;
        std::string expected; // the result as text, or the error's
    };
    const Case cases[] = {
        {"a product of sums", CountingLoop(zero, "push.v self.vmtest_ei\npush.e 2\nmul.i.v\npush.e 1\nadd.i.v\n"
                                                 "push.v self.vmtest_ei\npush.e 3\nsub.i.v\nmul.v.v\npush.e 4\ndiv.i.v\n" + sum,
                                           10, "push.v self.vmtest_et"),
         "78.75"},
        // Doubles, and int32 items whose sum wraps.
        {"doubles and wrapping integers",
         CountingLoop(zero, "push.d 2.5\npush.d 1.5\nmul.d.d\npush.v self.vmtest_ei\nconv.v.d\nadd.d.d\nconv.d.v\n" + sum +
                                "\npush.i 2000000000\npush.i 2000000000\nadd.i.i\nconv.i.v\npop.v.v self.vmtest_eu",
                      4, "push.v self.vmtest_et\npush.v self.vmtest_eu\nadd.v.v"),
         "-294967275"},
        // An int32 difference that wraps, and a real's truth, each branched on.
        {"tests branched on", CountingLoop(zero, "push.i 2000000000\npush.i -2000000000\nsgt.i.i\nbf never\n"
                                                 "push.e 100\npop.v.i self.vmtest_et\nnever:\npush.v self.vmtest_ei\n"
                                                 "push.d 0.25\nsub.d.v\nconv.v.b\nbf skip\npush.v self.vmtest_et\npush.e 10\n"
                                                 "add.i.v\npop.v.v self.vmtest_et\nskip:",
                                           4, "push.v self.vmtest_et"),
         "30"},
        // mod by a constant of negative, fractional and whole reals: the dividend's sign kept.
        {"remainders by a constant", CountingLoop(zero, "push.v self.vmtest_ei\npush.d 0.5\nsub.d.v\npush.e 3\nmul.i.v\n"
                                                        "push.e 4\nmod.i.v\n" + sum,
                                                  6, "push.v self.vmtest_et"),
         "8"},
        // Dividends past int32: whole ones below 2^53 by their 64-bit remainder, -0 kept; a fraction
        // and one past 2^53 by the library's.
        {"remainders past int32", CountingLoop(zero, "push.v self.vmtest_ei\npush.d 3000000001\nmul.d.v\npush.d 7000000000\n"
                                                     "sub.d.v\npush.e 1000\nmod.i.v\n" + sum,
                                               6, "push.v self.vmtest_et"),
         "-1985"},
        {"a remainder of -0 past int32", CountingLoop(zero, "push.v self.vmtest_ei\npush.e 3\nsub.i.v\npush.d 5000000000\n"
                                                            "mul.d.v\npush.e 1000\nmod.i.v\npop.v.v self.vmtest_et",
                                                      3, "push.v self.vmtest_et"),
         "-0"},
        {"remainders of a fraction and past 2^53",
         CountingLoop(zero, "push.v self.vmtest_ei\npush.d 4294967296.25\nmul.d.v\npush.e 7\nmod.i.v\npush.v self.vmtest_ei\n"
                            "push.d 100000000000000000\nmul.d.v\npush.e 7\nmod.i.v\nadd.v.v\n" + sum,
                      4, "push.v self.vmtest_et"),
         "20.5"},
        // A real stored over a text and over an array lets go of them; a local's first store sets its slot.
        {"reals stored over a text and an array",
         CountingLoop(zero, "push.d 3\nconv.d.v\npush.v self.vmtest_ei\nmul.v.v\npop.v.v self.vmtest_eu\n"
                            "push.v self.vmtest_ei\npush.e 1\nseq.i.v\nbf notText\npush.s \"t\"\nconv.s.v\n"
                            "pop.v.v self.vmtest_eu\nnotText:\npush.v self.vmtest_ei\npush.e 2\nseq.i.v\nbf notArray\n"
                            "push.e 9\nconv.i.v\npush.e -1\npush.e 0\npop.v.v stack.vmtest_eu[]\nnotArray:",
                      4, "push.v self.vmtest_eu"),
         "9"},
        {"truncations", CountingLoop(zero, "push.v self.vmtest_ei\npush.d 0.75\nadd.d.v\nconv.v.i\npush.e 3\nmul.i.i\nconv.i.v\n" + sum,
                                     5, "push.v self.vmtest_et"),
         "30"},
        // Items of each type left on the stack for a word the steps do not take (neg).
        {"items left for the words",
         CountingLoop(zero, "push.v self.vmtest_et\npush.v self.vmtest_ei\npush.v self.vmtest_ei\nmul.v.v\nneg.v\nadd.v.v\n"
                            "pop.v.v self.vmtest_et\npush.d 0.5\npush.i 7\npush.e 3\nmul.i.i\nneg.i\nconv.i.d\nadd.d.d\nconv.d.v\n"
                            "pop.v.v self.vmtest_eu",
                      6, "push.v self.vmtest_et\npush.v self.vmtest_eu\nadd.v.v"),
         "-75.5"},
        // The while loop's test is a sequence of its own; 4,500 rounds reach the pump's turn on it.
        {"a test through the pump's turns",
         zero + "push.e 0\npop.v.i self.vmtest_ei\ntop:\npush.v self.vmtest_ei\npush.e 2\nmul.i.v\npush.e 1\nadd.i.v\n"
                "push.i 9001\nslt.i.v\nbf done\npush.v self.vmtest_et\npush.v self.vmtest_ei\npush.e 7\nmod.i.v\nadd.v.v\n"
                "pop.v.v self.vmtest_et\npush.v self.vmtest_ei\npush.e 1\nadd.i.v\npop.v.v self.vmtest_ei\nb top\ndone:\n"
                "push.v self.vmtest_et",
         "13497"},
        // A loop's own step and its test of the counter branching back, fused steps each, through
        // the pump's turns.
        {"a counting loop through the pump's turns",
         CountingLoop(zero, "push.v self.vmtest_et\npush.v self.vmtest_ei\nadd.v.v\npop.v.v self.vmtest_et", 9000,
                      "push.v self.vmtest_et"),
         "40495500"},
        // Operands that stop being reals midway: texts are added by the words, an array is refused.
        {"a text midway", CountingLoop(zero, becomes + "push.s \"t\"\nconv.s.v\npop.v.v self.vmtest_eu\nkeep:\n"
                                                    "push.v self.vmtest_eu\npush.v self.vmtest_eu\nadd.v.v\n"
                                                    "push.v self.vmtest_eu\nadd.v.v\npop.v.v self.vmtest_et",
                                       4, "push.v self.vmtest_et"),
         "ttt"},
        {"an array midway", CountingLoop(zero, becomes + "push.e 9\nconv.i.v\npush.e -1\npush.e 0\npop.v.v stack.vmtest_eu[]\n"
                                                      "keep:\npush.v self.vmtest_eu\npush.e 2\nmul.i.v\npush.v self.vmtest_eu\n"
                                                      "add.v.v\npop.v.v self.vmtest_et",
                                         4, "push.v self.vmtest_et"),
         "Variable is malformed"},
        // A variable never set reads as the words read it.
        {"an undefined variable", CountingLoop(zero, "push.v self.vmtest_ei\npush.v self.vmtest_ew\nmul.v.v\npush.e 2\nadd.i.v\n"
                                                     "pop.v.v self.vmtest_et",
                                               3, "push.v self.vmtest_et"),
         "2"},
        {"a division by zero midway", CountingLoop(zero, "push.v self.vmtest_ei\npush.e 2\nmul.i.v\npush.v self.vmtest_ei\n"
                                                         "push.e 2\nsub.i.v\ndiv.v.v\n" + sum,
                                                   4, "push.v self.vmtest_et"),
         "DoDiv :: Divide by zero"},
        {"a mod by zero midway", CountingLoop(zero, "push.v self.vmtest_ei\npush.e 2\nmul.i.v\npush.v self.vmtest_ei\n"
                                                    "push.e 2\nsub.i.v\nmod.v.v\n" + sum,
                                              4, "push.v self.vmtest_et"),
         "DoMod :: Divide by zero"},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    for (const Case& c : cases) {
        for (bool locals : {false, true}) {
            std::string source = locals ? WithLocals(c.source) : c.source;
            std::string got[2];
            uint32_t branches[2];
            for (bool translate : {false, true}) {
                g_VMTranslate = translate;
                Program program(source);
                uint32_t before = VM_BranchCount();
                RunOutcome outcome = program.Run(AsInstance(self));
                branches[translate] = VM_BranchCount() - before;
                got[translate] = outcome.failed ? outcome.error : TextOf(outcome.result);
                if (Value_GetKind(&outcome.result) == VALUE_REAL && !outcome.failed) {
                    char text[64];
                    std::snprintf(text, sizeof text, "%.17g", outcome.Real());
                    got[translate] = text;
                }
                self->variables.Clear();
                if (translate) {
                    std::vector<VMKind> kinds = KindsOf(program.Code());
                    EXPECT_NE(std::find(kinds.begin(), kinds.end(), K::RealSequence), kinds.end()) << c.what;
                }
            }
            const char* form = locals ? " (locals)" : "";
            EXPECT_EQ(got[0], c.expected) << c.what << form << " (the words)";
            EXPECT_EQ(got[1], c.expected) << c.what << form << " (translated)";
            EXPECT_EQ(branches[0], branches[1]) << c.what << form;
        }
    }
    world.Clear();
}

// vmtest_request(): asks for a break, as the debugger's messages do while a run goes on.
void RequestRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) { VM_RequestBreak(); }

TEST_F(TranslateTest, TheWordLoopTakesOverForWrittenWordsAndDebuggerRequests)
{
    Code_ClearEntries();
    VM_Init();
    VMAssembly assembly;
    ASSERT_TRUE(VM_Assemble("push.e 1\nconv.i.v\npush.e 2\nconv.i.v\nadd.v.v\n", assembly));
    ASSERT_TRUE(Code_AddEntry("entry", assembly.Bytes(), assembly.Size()));
    const CodeEntry* entry = Code_GetEntry(0);
    VMBuffer view(const_cast<uint8_t*>(entry->words), entry->length);
    EXPECT_EQ(KindsOf(&view)[2], K::PushImmediate);
    // A breakpoint written into the words: the translation is made again and hands the word over.
    VM_AddBreakpoint(VM_CodeEntryAddress(0) + 8);
    VM_InsertBreakpoints();
    EXPECT_EQ(KindsOf(&view)[2], K::Handover);
    EXPECT_EQ(RunQuietly(&view, nullptr, nullptr).Real(), 3);
    VM_RestoreBreakpoints();
    EXPECT_EQ(KindsOf(&view)[2], K::PushImmediate);
    VM_ClearBreakpoints();

    // A break asked for during the run is taken before the run ends, as the word loop would.
    int32_t id = -1;
    if (!Code_Function_Find("vmtest_request", &id)) Function_Add("vmtest_request", RequestRoutine, 0);
    Program program("call.i vmtest_request 0\npopz.v\npush.e 4\nconv.i.v");
    EXPECT_EQ(program.Run().Real(), 4);
    EXPECT_FALSE(VM_BreakRequested());
    // Asked for five calls deep, inside scripts the loop called: the word loop returns through
    // every frame the translated calls made, to the words after each call.
    {
        ScriptTable scripts;
        scripts.Add("sumr", "push.v self.argument0\npush.e 1\nslt.i.v\nbf more\ncall.i vmtest_request 0\npopz.v\n"
                            "push.e 0\nconv.i.v\nret.v\nmore:\npush.v self.argument0\npush.v self.argument0\npush.e 1\n"
                            "sub.i.v\ncall.i 100000 1\nadd.v.v\nret.v\n");
        Program deep("push.e 5\nconv.i.v\ncall.i 100000 1\npush.e 100\nconv.i.v\nadd.v.v\nret.v");
        EXPECT_EQ(deep.Run().Real(), 115);
        EXPECT_FALSE(VM_BreakRequested());
    }
    VM_CancelRequests();
    Code_ClearEntries();
}

// Runs the program fatally in a child process, which prints where the error stopped the run.
void RunToErrorPosition(const char* source)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    TestSwitches_Reload();
    Error_SetExitHook([](int32_t) {
        std::vector<VMErrorFrame> frames;
        VM_GetErrorFrames(frames);
        std::fprintf(stderr, "stopped at %d\n", frames.empty() ? -1 : frames[0].offset);
        std::_Exit(3);
    });
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    SetReal(self->variables, "vmtest_tx", 5);
    Program program(source);
    Debug_EvaluatingExpression = 0;
    VM_Exec("test", AsInstance(self), nullptr, program.Code(), nullptr, nullptr, "");
    std::_Exit(0);
}

TEST_F(TranslateTest, AnErrorInsideAJoinedSequenceStopsAtItsOwnWord)
{
    // x mod 0 stored back, x div 0 left, and a computed value's mod 0: each stops at the mod or div
    // word, not at the push where its sequence starts, in both forms.
    for (bool translate : {false, true}) {
        g_VMTranslate = translate;
        EXPECT_EXIT(RunToErrorPosition("push.v self.vmtest_tx\npush.e 0\nmod.i.v\npop.v.v self.vmtest_tx"),
                    ::testing::ExitedWithCode(3), "stopped at 12\n");
        EXPECT_EXIT(RunToErrorPosition("push.v self.vmtest_tx\npush.i 0\ndiv.i.v\npopz.v"), ::testing::ExitedWithCode(3),
                    "stopped at 16\n");
        EXPECT_EXIT(RunToErrorPosition("push.d 2\nconv.d.v\npush.e 0\nmod.i.v\npopz.v"),
                    ::testing::ExitedWithCode(3), "stopped at 20\n");
        EXPECT_EXIT(RunToErrorPosition("push.v self.vmtest_tx\npush.v self.vmtest_tx\npush.e 3\nmul.i.v\npush.e 0\n"
                                       "mod.i.v\nadd.v.v\npop.v.v self.vmtest_tx"),
                    ::testing::ExitedWithCode(3), "stopped at 28\n");
    }
}

// The same for the words a register sequence computes, on a stack deep enough for it to run whole:
// a division and a mod by zero, an int32 remainder by zero, a division by a constant 0 and a text
// added to a real.
TEST_F(TranslateTest, AnErrorInsideARegisterSequenceStopsAtItsOwnWord)
{
    const std::string deep = "push.v self.vmtest_tx\npush.v self.vmtest_tx\npush.v self.vmtest_tx\npopz.v\npopz.v\npopz.v\n";
    const std::string text = deep + "push.s \"a\"\nconv.s.v\npop.v.v self.vmtest_tu\n";
    const std::string quotient = "push.v self.vmtest_tx\npush.e 2\nmul.i.v\npush.v self.vmtest_tx\npush.v self.vmtest_tx\n"
                                 "sub.v.v\n";
    struct Case {
        std::string source;
        size_t head;     // the sequence's entry
        const char* at;  // where the error stops the run
    };
    const Case cases[] = {
        // The deep pushes and their drops are taken into the sequence.
        {deep + quotient + "div.v.v\npop.v.v self.vmtest_tx", 0, "stopped at 72\n"},
        {deep + quotient + "mod.v.v\npop.v.v self.vmtest_tx", 0, "stopped at 72\n"},
        {deep + "push.i 7\npush.e 0\nrem.i.i\nconv.i.v\npop.v.v self.vmtest_tx", 0, "stopped at 48\n"},
        // A constant divisor taken into its step goes back onto the stack for the words' division.
        {deep + "push.v self.vmtest_tx\npush.v self.vmtest_tx\nmul.v.v\npush.e 0\ndiv.i.v\npop.v.v self.vmtest_tx", 0,
         "stopped at 60\n"},
        {text + "push.v self.vmtest_tx\npush.e 2\nmul.i.v\npush.v self.vmtest_tu\nadd.v.v\npop.v.v self.vmtest_tx", 9,
         "stopped at 80\n"},
    };
    for (const Case& c : cases) {
        Program program(c.source);
        std::vector<VMKind> kinds = KindsOf(program.Code());
        ASSERT_GT(kinds.size(), c.head);
        EXPECT_EQ(kinds[c.head], K::RealSequence) << c.source;
        for (bool translate : {false, true}) {
            g_VMTranslate = translate;
            EXPECT_EXIT(RunToErrorPosition(c.source.c_str()), ::testing::ExitedWithCode(3), c.at) << c.source;
        }
    }
}

// A breakpoint on a word inside a register sequence ends the sequence before that word, which the
// word loop runs on every round; a break asked for before a sequence is taken before it.
TEST_F(TranslateTest, ABreakpointInsideARegisterSequenceEndsItBeforeItsWord)
{
    Code_ClearEntries();
    VM_Init();
    // s += i * 3 + 1 for i from 0 to 9, the statement's words at 24 to 60.
    VMAssembly assembly;
    ASSERT_TRUE(VM_Assemble("push.e 0\npop.v.i global.vmtest_i\npush.e 0\npop.v.i global.vmtest_s\ntop:\n"
                            "push.v global.vmtest_s\npush.v global.vmtest_i\npush.e 3\nmul.i.v\nadd.v.v\npush.e 1\n"
                            "add.i.v\npop.v.v global.vmtest_s\npush.v global.vmtest_i\npush.e 1\nadd.i.v\n"
                            "pop.v.v global.vmtest_i\npush.v global.vmtest_i\npush.e 10\nslt.i.v\nbt top\n"
                            "push.v global.vmtest_s\n",
                            assembly));
    ASSERT_TRUE(Code_AddEntry("entry", assembly.Bytes(), assembly.Size()));
    const CodeEntry* entry = Code_GetEntry(0);
    VMBuffer view(const_cast<uint8_t*>(entry->words), entry->length);
    EXPECT_EQ(KindsOf(&view)[4], K::RealSequence);
    for (uint32_t offset : {48u, 60u}) { // the add of the product, the store
        VM_AddBreakpoint(VM_CodeEntryAddress(0) + offset);
        VM_InsertBreakpoints();
        std::vector<VMKind> kinds = KindsOf(&view);
        EXPECT_EQ(kinds[4], K::RealSequence) << offset;
        EXPECT_EQ(kinds[offset == 48 ? 8 : 11], K::Handover) << offset;
        for (bool translate : {false, true}) {
            g_VMTranslate = translate;
            EXPECT_EQ(RunQuietly(&view, nullptr, nullptr).Real(), 145) << offset;
        }
        EXPECT_EQ(VM_ReadWord(entry->words, offset), VM_BREAKPOINT_WORD);
        VM_RestoreBreakpoints();
        VM_ClearBreakpoints();
    }
    EXPECT_EQ(KindsOf(&view)[8], K::Fast);

    int32_t id = -1;
    if (!Code_Function_Find("vmtest_request", &id)) Function_Add("vmtest_request", RequestRoutine, 0);
    Program program("push.e 0\npop.v.i global.vmtest_i\ntop:\ncall.i vmtest_request 0\npopz.v\npush.v global.vmtest_i\n"
                    "push.e 2\nmul.i.v\npush.v global.vmtest_i\nadd.v.v\npop.v.v global.vmtest_s\npush.v global.vmtest_i\n"
                    "push.e 1\nadd.i.v\npop.v.v global.vmtest_i\npush.v global.vmtest_i\npush.e 3\nslt.i.v\nbt top\n"
                    "push.v global.vmtest_s");
    EXPECT_EQ(KindsOf(program.Code())[4], K::RealSequence);
    EXPECT_EQ(program.Run().Real(), 6);
    EXPECT_FALSE(VM_BreakRequested());
    VM_CancelRequests();
    Code_ClearEntries();
}

// The steps of the program's register sequences that run when every operand is taken, in order: a
// fused step without the parts it stands for; none without a translation.
std::vector<VMRegisterStep> StepsOf(const Program& program)
{
    std::vector<VMRegisterStep> steps;
    if (const VMTranslation* translation = VM_Translation(program.Code()))
        for (size_t k = 0; k < translation->registerSteps.size();
             k += std::max<size_t>(1, translation->registerSteps[k].pastParts / sizeof(VMRegisterStepInsn)))
            steps.push_back(translation->registerSteps[k].step);
    return steps;
}

} // namespace

// Number fields read and stored through their typed accessors, and truth values joined by and, or
// and xor, are steps of a register sequence: a mover's bounds test runs whole to its branch, and
// its move to the store. A read-only field's store ends the sequence there, for the words to report.
TEST_F(TranslateTest, NumberFieldsAndJoinedTruthValuesAreRegisterSteps)
{
    using S = VMRegisterStep;
    RegisterFieldRows("vmtest_bx", "vmtest_bro");
    const std::string bounds = "push.v self.vmtest_bx\npush.e 0\nslt.i.v\npush.v self.vmtest_bx\npush.e 9\nsgt.i.v\n";
    const std::string move = "push.v self.vmtest_bx\npush.v self.vmtest_tv\nadd.v.v\n";
    const std::string answer = "push.e 1\npop.v.i self.vmtest_tt\ndone:\npush.v self.vmtest_tt\npush.v self.vmtest_bx\nadd.v.v";
    // The test's steps to its branch, then the branch target's sum, a sequence the branch goes on into.
    const std::vector<S> tested = {S::LoadBuiltIn, S::ConstantLess, S::LoadBuiltIn,  S::ConstantGreater, S::LogicBranch,
                                   S::LoadVariable, S::LoadBuiltIn, S::Add, S::Leave};
    struct Case {
        std::string source;
        std::vector<S> steps;
        double field; // vmtest_bx before the run
        const char* expected;
    } cases[] = {
        {bounds + "or.b.b\nbf done\n" + answer, tested, 12, "13"},
        {bounds + "or.b.b\nbf done\n" + answer, tested, 4, "4"},
        {bounds + "and.b.b\nbt done\n" + answer, tested, -2, "-1"},
        {bounds + "xor.b.b\nbt done\n" + answer, tested, 4, "5"},
        {move + "pop.v.v self.vmtest_bx\npush.v self.vmtest_bx", {S::LoadBuiltIn, S::LoadVariable, S::Add, S::StoreBuiltIn, S::Leave}, 2.5, "5.5"},
        {move + "pop.v.v self.vmtest_bro\npush.v self.vmtest_bro", {S::LoadBuiltIn, S::LoadVariable, S::Add, S::Leave, S::Leave}, 2.5,
         "Pop :: Execution Error - Variable set problem vmtest_bro"},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    for (const Case& c : cases) {
        for (bool translate : {false, true}) {
            g_VMTranslate = translate;
            g_Fields.clear();
            g_Fields[AsInstance(self)] = c.field;
            SetReal(self->variables, "vmtest_tt", 0);
            SetReal(self->variables, "vmtest_tv", 3);
            Program program(c.source);
            RunOutcome outcome = program.Run(AsInstance(self));
            EXPECT_EQ(RealOrError(outcome), c.expected) << c.source << " " << c.field;
            self->variables.Clear();
            if (!translate) continue;
            EXPECT_EQ(StepsOf(program), c.steps) << c.source;
        }
    }
    g_Fields.clear();
    world.Clear();
}

// A store into an element of a built-in array (`alarm[0] = n`) is a step through the row's setter,
// for self and other; one the setter refuses, or of an instance the steps do not reach, is left to
// its word, which stores or reports it; a row no script may set ends the sequence there.
TEST_F(TranslateTest, BuiltInArrayElementsAreStoredThroughTheirSetter)
{
    using S = VMRegisterStep;
    RegisterElementFieldRow("vmtest_ba");
    if (Variable_BuiltIn_Find("vmtest_baro") < 0) Variable_BuiltIn_Add("vmtest_baro", GetElementField, SetElementField, false);
    const std::string sum = "push.v self.vmtest_tv\npush.e 2\nadd.i.v\n";
    auto store = [&](const char* instance, const char* index, const char* row) {
        return sum + instance + "\npush.e " + index + "\npop.v.v stack." + row + "[]\n" + instance + "\npush.e " + index +
               "\npush.v stack." + row + "[]";
    };
    // The read back goes on in the steps too, as a load of an element the steps do not reach.
    auto steps = [](S store) {
        return std::vector<S>{S::LoadVariable, S::ConstantAdd, S::LoadConstant, S::LoadConstant, store,
                              S::LoadConstant, S::LoadConstant, S::LoadElement, S::Leave};
    };
    struct Case {
        std::string source;
        std::vector<S> steps;
        const char* expected;
    } cases[] = {
        {store("push.e -1", "2", "vmtest_ba"), steps(S::StoreBuiltInElement), "5"},
        {store("push.i 100001", "0", "vmtest_ba"), steps(S::StoreBuiltInElement), "5"},
        // No other in this run: the words find none and report it.
        {store("push.e -2", "3", "vmtest_ba"), steps(S::StoreBuiltInElement), "Pop :: Execution Error - Variable set problem vmtest_ba"},
        {store("push.e -1", "4", "vmtest_ba"), steps(S::StoreBuiltInElement), "Pop :: Execution Error - Variable set problem vmtest_ba"},
        {store("push.e -1", "1", "vmtest_baro"), steps(S::Leave), "Pop :: Execution Error - Variable set problem vmtest_baro"},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    for (const Case& c : cases) {
        for (bool translate : {false, true}) {
            g_VMTranslate = translate;
            g_ElementFields.clear();
            SetReal(self->variables, "vmtest_tv", 3);
            Program program(c.source);
            RunOutcome outcome = program.Run(AsInstance(self));
            EXPECT_EQ(RealOrError(outcome), c.expected) << c.source;
            self->variables.Clear();
            if (!translate) continue;
            EXPECT_EQ(StepsOf(program), c.steps) << c.source;
        }
    }
    g_ElementFields.clear();
    world.Clear();
}

// An element at a variable's index, stored and read back (`a[i] = tv + 1; a[i] * 2`), runs as one
// fused step each, of self, of no named instance and of global, the index truncated as conv truncates
// it. An array not made yet, an index below 0, past the array or held as a text are the parts' and
// then the words', which make the array or report: every answer is the word loop's.
TEST_F(TranslateTest, ElementsAtAVariablesIndexAreOneStepEach)
{
    using S = VMRegisterStep;
    auto program = [](const char* instance, const char* array) {
        std::string at = std::string(instance) + "\npush.v self.vmtest_ti\nconv.v.i\n";
        return "push.v self.vmtest_tv\npush.v self.vmtest_tv\nadd.v.v\n" + at + "pop.v.v stack." + array + "[]\n" + at + "push.v stack." +
               array + "[]\npush.e 2\nmul.i.v";
    };
    const std::string text = "push.s \"t\"\nconv.s.v\npop.v.v self.vmtest_ti\n";
    const std::vector<S> fused = {S::LoadVariable, S::LoadVariable, S::Add, S::StoreAtVariable, S::ElementAtVariable, S::ConstantMultiply, S::Leave};
    // A read alone: past the array's end the words report it; of a variable not made, they answer 0.
    const std::string read = "push.v self.vmtest_tv\npush.e -1\npush.v self.vmtest_ti\nconv.v.i\npush.v stack.vmtest_ta[]\nadd.v.v";
    struct Case {
        std::string source;
        std::vector<S> steps;
        double index;
        bool made; // the array made before the run, two elements long
        const char* expected;
    } cases[] = {
        {program("push.e -1", "vmtest_ta"), fused, 1, true, "12"},
        {program("push.e -6", "vmtest_ta"), fused, 1.75, true, "12"},
        {program("push.e -5", "vmtest_tg"), fused, 0, true, "12"},
        {program("push.e -1", "vmtest_ta"), fused, 3, true, "12"},  // past the end: the array grows
        {program("push.e -1", "vmtest_ta"), fused, 2, false, "12"}, // no array yet: the words make it
        {program("push.e -1", "vmtest_ta"), fused, -1, true, "12"},
        {text + program("push.e -1", "vmtest_ta"), fused, 0, true, "12"},
        {read, {S::LoadVariable, S::ElementAtVariable, S::Add, S::Leave}, 1, true, "8"},
        {read, {S::LoadVariable, S::ElementAtVariable, S::Add, S::Leave}, 2, true, "Push :: Execution Error"},
        {read, {S::LoadVariable, S::ElementAtVariable, S::Add, S::Leave}, 0, false, "3"},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    for (const Case& c : cases) {
        std::string got[2];
        for (bool translate : {false, true}) {
            g_VMTranslate = translate;
            SetReal(self->variables, "vmtest_tv", 3);
            SetReal(self->variables, "vmtest_ti", c.index);
            if (c.made) {
                Program("push.e 5\nconv.i.v\npush.e -1\npush.e 1\npop.v.v stack.vmtest_ta[]\n"
                        "push.e 5\nconv.i.v\npush.e -5\npush.e 1\npop.v.v stack.vmtest_tg[]")
                    .Run(AsInstance(self));
            }
            Program run(c.source);
            RunOutcome outcome = run.Run(AsInstance(self));
            got[translate] = RealOrError(outcome);
            self->variables.Clear();
            Variable_GlobalList()->Clear();
            if (translate) {
                EXPECT_EQ(StepsOf(run), c.steps) << c.source;
            }
        }
        EXPECT_EQ(got[0].substr(0, std::strlen(c.expected)), c.expected) << c.source << " " << c.index;
        EXPECT_EQ(got[1], got[0]) << c.source << " " << c.index;
    }
    world.Clear();
}

// A number field whose getter returns just a float of the instance is read in place: the steps get
// the float widened, as the getter hands it, for self and for other; a run without the instance it
// names leaves the read to the words, which report it.
TEST_F(TranslateTest, FloatFieldsAreReadInPlaceAsTheirGetterReadsThem)
{
    using S = VMRegisterStep;
    RegisterFloatFieldRow("vmtest_bf");
    const std::string add = "push.v self.vmtest_tv\nadd.v.v\n";
    const std::string keep = "pop.v.v self.vmtest_tv\npush.v self.vmtest_tv";
    struct Case {
        std::string source;
        std::vector<S> steps;
        double field; // self's vmtest_bf before the run (other's is 7)
        double expected;
    } cases[] = {
        {"push.v self.vmtest_bf\n" + add + keep, {S::LoadField, S::LoadVariable, S::Add, S::Store, S::Leave}, 0.1, double(0.1f) + 3},
        {"push.v other.vmtest_bf\n" + add + keep, {S::LoadField, S::LoadVariable, S::Add, S::Store, S::Leave}, 0.1, 10},
        {"push.v self.vmtest_bf\n" + add + "pop.v.v self.vmtest_bf\npush.v self.vmtest_bf",
         {S::FieldAddStore, S::Leave}, 0.1, double(float(double(0.1f) + 3))},
        {"push.v self.vmtest_bf\npush.e 0\nslt.i.v\npush.v self.vmtest_bf\npush.e 9\nsgt.i.v\nor.b.b\nbf done\n"
         "push.e 1\npop.v.i self.vmtest_tv\ndone:\npush.v self.vmtest_tv",
         {S::FieldOutsideBranch}, 9.5f, 1},
        {"push.v self.vmtest_bf\npush.e 0\nslt.i.v\npush.v self.vmtest_bf\npush.e 9\nsgt.i.v\nor.b.b\nbf done\n"
         "push.e 1\npop.v.i self.vmtest_tv\ndone:\npush.v self.vmtest_tv",
         {S::FieldOutsideBranch}, 8.75f, 3},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    FakeInstance* other = world.Add(100002, 1);
    for (const Case& c : cases) {
        for (bool translate : {false, true}) {
            g_VMTranslate = translate;
            self->field = static_cast<float>(c.field);
            other->field = 7;
            SetReal(self->variables, "vmtest_tv", 3);
            Program program(c.source);
            RunOutcome outcome = program.Run(AsInstance(self), AsInstance(other));
            EXPECT_FALSE(outcome.failed) << outcome.error;
            EXPECT_EQ(outcome.Real(), c.expected) << c.source << " translated " << translate;
            world.Clear();
            if (!translate) continue;
            EXPECT_EQ(StepsOf(program), c.steps) << c.source;
        }
    }
    // Read for other where the run has none: the translated form ends as the word loop does.
    std::string ends[2];
    for (bool translate : {false, true}) {
        g_VMTranslate = translate;
        SetReal(self->variables, "vmtest_tv", 3);
        Program program("push.v other.vmtest_bf\n" + add + keep);
        RunOutcome outcome = program.Run(AsInstance(self), nullptr);
        ends[translate] = outcome.failed ? outcome.error : std::to_string(outcome.Real());
        world.Clear();
    }
    EXPECT_EQ(ends[1], ends[0]);
}

// The pushes of the constants 1 to `count`, each handed on as a variable.
std::string Constants(int32_t count)
{
    std::string words;
    for (int32_t k = 1; k <= count; ++k) words += "push.e " + std::to_string(k) + "\nconv.i.v\n";
    return words;
}

// `count` down to 1: the reals a routine sees for Constants(count), argument 0 the top item.
std::vector<double> Descending(int32_t count)
{
    std::vector<double> reals;
    for (int32_t k = count; k >= 1; --k) reals.push_back(k);
    return reals;
}

// `head`, `loads` constant loads, then `tail`.
std::vector<VMRegisterStep> Steps(std::vector<VMRegisterStep> head, int32_t loads, const std::vector<VMRegisterStep>& tail)
{
    head.insert(head.end(), static_cast<size_t>(loads), VMRegisterStep::LoadConstant);
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// A built-in called on the reals a register sequence computed ends it: the routine sees the
// arguments the words would hand (argument 0 the top item, a fixed count filled with real 0), the
// live items beneath stay on the stack under its result, and the words go on after the call, as
// they do after a routine that asks the debugger for a break. A branch into another sequence goes on
// in its steps; the answers are the word loop's in every case.
TEST_F(TranslateTest, RegisterSequencesCallBuiltInsOnTheirReals)
{
    using S = VMRegisterStep;
    RegisterFieldRows("vmtest_bx", "vmtest_bro");
    int32_t id = -1;
    if (!Code_Function_Find("vmtest_request", &id)) Function_Add("vmtest_request", RequestRoutine, 0);
    const std::string twice = "push.v self.vmtest_tv\npush.e 2\nmul.i.v\npush.v self.vmtest_tv\n";
    const std::string square = "push.v self.vmtest_tv\npush.v self.vmtest_tv\nmul.v.v\n";
    const std::string bounds = "push.v self.vmtest_bx\npush.e 0\nslt.i.v\npush.v self.vmtest_bx\n";
    const std::string moveThenCall = "bt far\npush.v self.vmtest_bx\npush.v self.vmtest_tv\nadd.v.v\npop.v.v self.vmtest_bx\n"
                                     "far:\npush.v self.vmtest_bx\n" + square + "mul.v.v\ncall.i vmtest_record 1";
    const std::vector<S> steps = {S::LoadBuiltIn, S::ConstantLess, S::LoadBuiltIn, S::ConstantGreater, S::LogicBranch,
                                  S::LoadBuiltIn, S::LoadVariable, S::Add, S::StoreBuiltIn, S::Continue,
                                  S::LoadBuiltIn, S::LoadVariable, S::LoadVariable, S::Multiply, S::Multiply, S::CallBuiltIn, S::Leave};
    struct Case {
        std::string source;
        std::vector<S> steps;
        double result;
        std::vector<double> seen; // the recording routine's reals, when it is called
    } cases[] = {
        {twice + "push.e 1\nadd.i.v\ncall.i vmtest_record 2\npush.e 1\nadd.i.v",
         {S::LoadVariable, S::ConstantMultiply, S::LoadVariable, S::ConstantAdd, S::CallBuiltIn, S::ConstantAdd, S::Leave}, 11, {4, 6}},
        // Three arguments, the most a mover's collision test hands.
        {square + twice + "push.e 1\nadd.i.v\ncall.i vmtest_record 3",
         {S::LoadVariable, S::LoadVariable, S::Multiply, S::LoadVariable, S::ConstantMultiply, S::LoadVariable, S::ConstantAdd,
          S::CallBuiltIn, S::Leave},
         19, {4, 6, 9}},
        // A variable handed as it was read is taken as a real (a text leaves the steps at its load).
        {twice + "call.i vmtest_record 2", {S::LoadVariable, S::ConstantMultiply, S::LoadVariable, S::CallBuiltIn, S::Leave}, 9, {3, 6}},
        {square + "call.i vmtest_pair 1", {S::LoadVariable, S::LoadVariable, S::Multiply, S::CallBuiltIn, S::Leave}, 9, {9, 0}},
        {"push.v self.vmtest_tv\n" + twice + "push.e 1\nadd.i.v\ncall.i vmtest_record 2\nadd.v.v",
         {S::LoadVariable, S::LoadVariable, S::ConstantMultiply, S::LoadVariable, S::ConstantAdd, S::CallBuiltIn, S::Add, S::Leave},
         13, {4, 6}},
        // A text result, and a routine asking for the debugger, leave the rest to the words.
        {square + "call.i vmtest_text 0\npopz.v", {S::LoadVariable, S::LoadVariable, S::Multiply, S::CallBuiltIn, S::Leave}, 9, {}},
        {square + "call.i vmtest_request 0\npopz.v", {S::LoadVariable, S::LoadVariable, S::Multiply, S::CallBuiltIn, S::Leave}, 9, {}},
        // A real result goes on to be tested and branched on.
        {square + "call.i vmtest_record 1\npush.e 5\nsgt.i.v\nbf low\npush.e 1\nconv.i.v\nret.v\nlow:\npush.e 2\nconv.i.v",
         {S::LoadVariable, S::LoadVariable, S::Multiply, S::CallBuiltIn, S::ConstantGreater, S::Branch}, 1, {9}},
        {square + "call.i vmtest_record 1\npush.e 9\nsge.i.v\nbf low\npush.e 1\nconv.i.v\nret.v\nlow:\npush.e 2\nconv.i.v",
         {S::LoadVariable, S::LoadVariable, S::Multiply, S::CallBuiltIn, S::ConstantCompare, S::Branch}, 1, {9}},
        {square + "call.i vmtest_record 1\npush.e 9\nslt.i.v\nbf low\npush.e 1\nconv.i.v\nret.v\nlow:\npush.e 2\nconv.i.v",
         {S::LoadVariable, S::LoadVariable, S::Multiply, S::CallBuiltIn, S::ConstantLess, S::Branch}, 2, {9}},
        // Nine arguments over an item beneath (a sprite drawn scaled and turned), the result dropped
        // and the statement after it in the same steps; fifteen, filling every register; sixteen,
        // one more than the registers hold with the item: the steps start after it.
        {"push.v self.vmtest_tv\n" + Constants(9) + "call.i vmtest_record 9\npopz.v\npush.e 2\nconv.i.v\nadd.v.v",
         Steps({S::LoadVariable}, 9, {S::CallBuiltIn, S::ConstantAdd, S::Leave}), 5, Descending(9)},
        {"push.v self.vmtest_tv\n" + Constants(15) + "call.i vmtest_record 15\nadd.v.v",
         Steps({S::LoadVariable}, 15, {S::CallBuiltIn, S::Add, S::Leave}), 123, Descending(15)},
        {"push.v self.vmtest_tv\n" + Constants(16) + "call.i vmtest_record 16\nadd.v.v",
         Steps({}, 16, {S::CallBuiltIn, S::Leave}), 139, Descending(16)},
        // The bounds test falls through into the move, or jumps over it, into the call.
        {bounds + "push.e 9\nsgt.i.v\nor.b.b\n" + moveThenCall, steps, 63, {63}},
        {bounds + "push.e 2\nsgt.i.v\nor.b.b\n" + moveThenCall, steps, 36, {36}},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    for (const Case& c : cases) {
        for (bool translate : {false, true}) {
            g_VMTranslate = translate;
            g_Fields.clear();
            g_Fields[AsInstance(self)] = 4;
            SetReal(self->variables, "vmtest_tv", 3);
            LastCall() = CallRecord();
            Program program(c.source);
            RunOutcome outcome = program.Run(AsInstance(self));
            EXPECT_FALSE(outcome.failed) << c.source << ": " << outcome.error;
            EXPECT_EQ(outcome.Real(), c.result) << c.source << (translate ? " translated" : " word loop");
            EXPECT_EQ(outcome.leftOnStack, 0) << c.source;
            if (!c.seen.empty()) {
                EXPECT_EQ(LastCall().reals, c.seen) << c.source;
            }
            EXPECT_FALSE(VM_BreakRequested());
            VM_CancelRequests();
            self->variables.Clear();
            if (!translate) continue;
            EXPECT_EQ(StepsOf(program), c.steps) << c.source;
        }
    }
    g_Fields.clear();
    world.Clear();
}

// Fused steps run a row of steps as one and give what the row gives: a float field or a plain
// variable tested against a constant (the epsilon, NaN), two tests of one field joined and branched
// on, two fields handed to a call, a field combined with a variable and stored through its setter,
// a truth branched on. Where a fused step meets a case it does not take (no instance for other, a
// variable that holds a text or is not set, the branch that pumps messages) the steps it stands for
// run instead and leave to the words as they do: the answers and the branch counts are the word
// loop's.
TEST_F(TranslateTest, FusedStepsGiveTheWordsResultsAndLeaveWhereTheirPartsDo)
{
    using S = VMRegisterStep;
    RegisterFloatFieldRow("vmtest_bf");
    RegisterFloatFieldRow<&FakeInstance::second>("vmtest_bg");
    RegisterFieldRows("vmtest_bx", "vmtest_bro");
    const double nan = std::nan("");
    const std::string text = "push.s \"t\"\nconv.s.v\npop.v.v self.vmtest_tv\n";
    const std::string tail = "push.e 1\npop.v.i self.vmtest_tt\ndone:\npush.v self.vmtest_tt";
    const std::string field = "push.v self.vmtest_bf\npush.e 0\nslt.i.v\npush.v self.vmtest_bf\npush.e 9\nsgt.i.v\n";
    const std::string others = "push.v other.vmtest_bf\npush.e 0\nslt.i.v\npush.v other.vmtest_bf\npush.e 9\nsgt.i.v\n";
    const std::string inside = "push.v self.vmtest_bf\npush.e 2\nsgt.i.v\npush.v self.vmtest_bf\npush.e 5\nslt.i.v\n";
    const std::string variable = "push.v self.vmtest_tv\npush.e 2\nslt.i.v\npush.v self.vmtest_tv\npush.e 5\nsgt.i.v\n";
    const std::string combine = "push.v self.vmtest_bf\npush.v self.vmtest_tv\n";
    const std::string stored = "pop.v.v self.vmtest_bf\npush.v self.vmtest_bf";
    const std::string pair = "push.e 1\nconv.i.v\npush.v self.vmtest_bf\npush.v self.vmtest_bg\ncall.i vmtest_record 3";
    const std::string truth = "push.v self.vmtest_tv\npush.d 0.25\nmul.d.v\nconv.v.b\nbf done\n" + tail;
    const std::string whole = "push.v self.vmtest_tv\nconv.v.i\npush.e 1\nadd.i.i\nconv.i.b\nbf done\n" + tail;
    const std::string negate = "push.v self.vmtest_tv\nneg.v\npop.v.v self.vmtest_tv\n";
    const std::string twice = "push.v self.vmtest_tv\npush.v self.vmtest_tv\nadd.v.v";
    const std::string kept = "pop.v.v self.vmtest_tt\npush.v self.vmtest_tt";
    const std::string negated = "push.v self.vmtest_tv\nneg.v\npop.v.v self.vmtest_tu\n";
    const std::vector<S> remainderSteps = {S::LoadVariable, S::Negate, S::Store, S::ModuloStore, S::Leave};
    const std::string stores = "push.v self.vmtest_tt\nneg.v\npop.v.v self.vmtest_tu\n"
                               "push.v self.vmtest_tv\npush.e 3\nadd.i.v\npush.e 4\nmod.i.v\npop.v.v self.vmtest_tt\n"
                               "push.v self.vmtest_tt\npush.e 2\nmod.i.v\npop.v.v self.vmtest_tw\n"
                               "push.v self.vmtest_tw\npush.e 5\nadd.i.v\npop.v.v self.vmtest_tw\n"
                               "push.v self.vmtest_tt\npush.e 1\nadd.i.v\npop.v.v self.vmtest_tu\n"
                               "push.v self.vmtest_tw\npush.v self.vmtest_tt\nadd.v.v";
    const std::vector<S> storeSteps = {S::LoadVariable, S::Negate,       S::Store,        S::AddModuloStore,
                                       S::ModuloStore,  S::AddInPlace,   S::AddStore,     S::LoadVariable,
                                       S::LoadVariable, S::Add,          S::Leave};
    const std::string addTo = field + "or.b.b\nbf done\npush.e 1\npop.v.i self.vmtest_tt\ndone:\npush.v self.vmtest_tt\n"
                              "push.v self.vmtest_tv\nadd.v.v\npop.v.v self.vmtest_tt\npush.v self.vmtest_tt";
    const std::string textInto = "push.s \"t\"\nconv.s.v\npop.v.v self.vmtest_tt\n";
    const std::string greater = "push.v self.vmtest_tv\npush.d 2.5\nsgt.d.v\nbf done\n" + tail;
    // Other's tt made by the words (the store's step leaves for them), then a statement of its own.
    const std::string madeOther = "push.v self.vmtest_tv\npop.v.v other.vmtest_tt\nb add\nadd:\n";
    const std::string addOther = "push.v other.vmtest_tt\npush.v self.vmtest_tv\nadd.v.v\npop.v.v other.vmtest_tt\n"
                                 "push.v other.vmtest_tt";
    const std::vector<S> tests = {S::FieldTestsBranch}, outsideTests = {S::FieldOutsideBranch}, variableTests = {S::VariableLess, S::VariableGreater, S::LogicBranch};
    struct Case {
        std::string source;
        std::vector<S> steps;
        double field; // self's vmtest_bf (other's is 7)
        double tv;    // vmtest_tv (vmtest_tt is 0)
        bool other;   // whether the run has an other
        const char* expected;
    } cases[] = {
        {field + "or.b.b\nbf done\n" + tail, outsideTests, 9.5, 3, true, "1"},
        {field + "or.b.b\nbf done\n" + tail, outsideTests, 4, 3, true, "0"},
        {field + "or.b.b\nbf done\n" + tail, outsideTests, -0.000004, 3, true, "0"}, // within the epsilon of 0
        {field + "or.b.b\nbf done\n" + tail, outsideTests, 9.00002, 3, true, "1"},
        {field + "or.b.b\nbf done\n" + tail, outsideTests, nan, 3, true, "0"},
        {field + "and.b.b\nbf done\n" + tail, tests, 9.5, 3, true, "0"},
        {field + "xor.b.b\nbt done\n" + tail, tests, -1, 3, true, "0"},
        {field + "xor.b.b\nbt done\n" + tail, tests, 1, 3, true, "1"},
        {inside + "and.b.b\nbt done\n" + tail, tests, 3, 3, true, "0"},
        {inside + "and.b.b\nbt done\n" + tail, tests, 5, 3, true, "1"},
        {others + "or.b.b\nbf done\n" + tail, outsideTests, 4, 3, true, "0"},
        {others + "or.b.b\nbf done\n" + tail, outsideTests, 4, 3, false, "Push :: Execution Error - Variable Get -2.vmtest_bf"},
        {variable + "or.b.b\nbf done\n" + tail, variableTests, 0, 1, true, "1"},
        {variable + "or.b.b\nbf done\n" + tail, variableTests, 0, 3, true, "0"},
        {variable + "or.b.b\nbf done\n" + tail, variableTests, 0, 1.999996, true, "0"},
        {variable + "or.b.b\nbf done\n" + tail, variableTests, 0, nan, true, "0"},
        {text + variable + "or.b.b\nbf done\n" + tail, variableTests, 0, 0, true, "DoSet :: Invalid comparison type"},
        {"push.v self.vmtest_bf\npush.e 2\nslt.i.v\npush.v self.vmtest_tv\npush.e 3\nsgt.i.v\nand.b.b\nbf done\n" + tail,
         {S::FieldLess, S::VariableGreater, S::LogicBranch}, 1, 5, true, "1"},
        {"push.v self.vmtest_bf\npush.e 2\nslt.i.v\npush.v self.vmtest_tv\npush.e 3\nsgt.i.v\nand.b.b\nbf done\n" + tail,
         {S::FieldLess, S::VariableGreater, S::LogicBranch}, 2, 5, true, "0"},
        {"push.v self.vmtest_tv\npush.e 2\nslt.i.v\npush.v self.vmtest_bf\npush.e 3\nsgt.i.v\nor.b.b\nbf done\n" + tail,
         {S::VariableLess, S::FieldGreater, S::LogicBranch}, 3.5, 5, true, "1"},
        {"push.v self.vmtest_tv\npush.e 2\nslt.i.v\npush.v self.vmtest_bf\npush.e 3\nsgt.i.v\nor.b.b\nbf done\n" + tail,
         {S::VariableLess, S::FieldGreater, S::LogicBranch}, 3, 5, true, "0"},
        {combine + "add.v.v\n" + stored, {S::FieldAddStore, S::Leave}, 0.1, 3, true, "3.0999999"},
        {combine + "sub.v.v\n" + stored, {S::FieldCombineStore, S::Leave}, 0.1, 3, true, "-2.9000001"},
        {combine + "mul.v.v\npop.v.v self.vmtest_bx\npush.v self.vmtest_bx", {S::FieldCombineStore, S::Leave}, 0.5, 3, true, "1.5"},
        {text + combine + "add.v.v\n" + stored, {S::FieldAddStore, S::Leave}, 0.5, 3, true, "DoAdd :: Execution Error"},
        {"push.v other.vmtest_bf\npush.v self.vmtest_tv\nadd.v.v\npop.v.v other.vmtest_bf\npush.v other.vmtest_bf",
         {S::FieldAddStore, S::Leave}, 0.5, 3, false, "Push :: Execution Error - Variable Get -2.vmtest_bf"},
        {combine + "add.v.v\npop.v.v self.vmtest_bro\npush.v self.vmtest_bro", {S::LoadField, S::LoadVariable, S::Add, S::Leave, S::Leave},
         0.5, 3, true, "Pop :: Execution Error - Variable set problem vmtest_bro"},
        {pair, {S::ConstantFields, S::CallBuiltIn, S::Leave}, 2.5, 3, true, "4.25"},
        {"push.e 1\nconv.i.v\npush.v other.vmtest_bf\npush.v other.vmtest_bg\ncall.i vmtest_record 3",
         {S::ConstantFields, S::CallBuiltIn, S::Leave}, 2.5, 3, false, "Push :: Execution Error - Variable Get -2.vmtest_bf"},
        {"push.v self.vmtest_tv\npush.e 2\nmul.i.v\npush.v self.vmtest_bg\npush.v self.vmtest_bf\ncall.i vmtest_record 3",
         {S::LoadVariable, S::ConstantMultiply, S::LoadFields, S::CallBuiltIn, S::Leave}, 2.5, 3, true, "9.25"},
        {"push.v self.vmtest_tv\npush.e 2\nmul.i.v\npush.v other.vmtest_bg\npush.v other.vmtest_bf\ncall.i vmtest_record 3",
         {S::LoadVariable, S::ConstantMultiply, S::LoadFields, S::CallBuiltIn, S::Leave}, 2.5, 3, false,
         "Push :: Execution Error - Variable Get -2.vmtest_bg"},
        {truth, {S::LoadVariable, S::ConstantMultiply, S::TruthBranch}, 0, 3, true, "1"},
        {truth, {S::LoadVariable, S::ConstantMultiply, S::TruthBranch}, 0, 2, true, "0"},
        {whole, {S::LoadVariable, S::Truncate, S::ConstantIntArithmetic, S::TruthBranch}, 0, -1, true, "0"},
        {whole, {S::LoadVariable, S::Truncate, S::ConstantIntArithmetic, S::TruthBranch}, 0, 0.5, true, "1"},
        // A variable tested against a constant and branched on (within the epsilon, a text).
        {greater, {S::VariableTestBranch}, 0, 3, true, "1"},
        {greater, {S::VariableTestBranch}, 0, 2.5000001, true, "0"},
        {text + greater, {S::VariableTestBranch}, 0, 0, true, "DoSet :: Invalid comparison type"},
        {"push.v self.vmtest_tv\npush.d 2.5\nslt.d.v\nbt done\n" + tail, {S::VariableTestBranch}, 0, 2, true, "0"},
        {"push.v self.vmtest_tv\npush.d 2.5\nslt.d.v\nbt done\n" + tail, {S::VariableTestBranch}, 0, nan, true, "1"},
        // `s += v` where the test's branch goes, whichever way it goes; a text in s is the parts'.
        {addTo, {S::FieldOutsideBranch, S::VariableAddStore, S::Leave}, 12, 3, true, "4"},
        {addTo, {S::FieldOutsideBranch, S::VariableAddStore, S::Leave}, 4, 2.5, true, "2.5"},
        {textInto + addTo, {S::FieldOutsideBranch, S::VariableAddStore, S::Leave}, 4, 3, true, "DoAdd :: Execution Error"},
        // `other.tt += tv`, as a with block's body adds to its caller's: other's tt set first, then
        // added to in place; other's tt not yet made is the parts', which leave for the words.
        {madeOther + addOther, {S::LoadVariable, S::StoreOther, S::Jump, S::OtherAddStore, S::Leave}, 0, 3, true, "6"},
        {madeOther + addOther, {S::LoadVariable, S::StoreOther, S::Jump, S::OtherAddStore, S::Leave}, 0, -2.5, true, "-5"},
        {"push.v self.vmtest_tv\npop.v.v self.vmtest_tt\n" + addOther, {S::LoadVariable, S::Store, S::OtherAddStore, S::Leave}, 0, 3, true, "3"},
        // `v = -v` (a real's sign kept as negation makes it).
        {negate + twice, {S::NegateVariable, S::LoadVariable, S::LoadVariable, S::Add, S::Leave}, 0, 3, true, "-6"},
        {negate + twice, {S::NegateVariable, S::LoadVariable, S::LoadVariable, S::Add, S::Leave}, 0, 0, true, "-0"},
        {text + negate + twice, {S::NegateVariable, S::LoadVariable, S::LoadVariable, S::Add, S::Leave}, 0, 3, true,
         "DoNeg :: Execution Engine - Cannot operate on string type"},
        {"push.v self.vmtest_tv\nneg.v\npop.v.v self.vmtest_tt\npush.v self.vmtest_tt", {S::LoadVariable, S::Negate, S::Store, S::Leave},
         0, 3, true, "-3"},
        {"push.v self.vmtest_tv\npush.d 0.5\nadd.d.v\nneg.v\npop.v.v self.vmtest_tt\npush.v self.vmtest_tt",
         {S::LoadVariable, S::ConstantAdd, S::Negate, S::Store, S::Leave}, 0, 3, true, "-3.5"},
        // neg of an int32 wraps: the words make it.
        {"push.v self.vmtest_tv\nconv.v.i\npush.e 1\nadd.i.i\nneg.i\nconv.i.v\npop.v.v self.vmtest_tt\npush.v self.vmtest_tt",
         {S::LoadVariable, S::Truncate, S::ConstantIntArithmetic, S::Leave}, 0, 2147483647, true, "-2.14748365e+09"},
        // `(a + b) mod k` and `(n + 1) mod k`: the sign of a zero remainder is the dividend's.
        {"push.v self.vmtest_tv\npush.v self.vmtest_tv\nadd.v.v\npush.e 4\nmod.i.v\n" + kept,
         {S::LoadVariable, S::LoadVariable, S::AddModulo, S::Store, S::Leave}, 0, -3, true, "-2"},
        {"push.v self.vmtest_tv\npush.v self.vmtest_tv\nadd.v.v\npush.e 4\nmod.i.v\n" + kept,
         {S::LoadVariable, S::LoadVariable, S::AddModulo, S::Store, S::Leave}, 0, -2, true, "-0"},
        {"push.v self.vmtest_tv\npush.e 1\nadd.i.v\npush.e 4\nmod.i.v\npush.v self.vmtest_tv\nadd.v.v\n" + kept,
         {S::LoadVariable, S::ConstantAddModulo, S::LoadVariable, S::Add, S::Store, S::Leave}, 0, 2.5, true, "6"},
        {"push.v self.vmtest_tv\npush.e 1\nadd.i.v\npush.e 4\nmod.i.v\npush.v self.vmtest_tv\nadd.v.v\n" + kept,
         {S::LoadVariable, S::ConstantAddModulo, S::LoadVariable, S::Add, S::Store, S::Leave}, 0, -3, true, "-5"},
        {text + "push.v self.vmtest_tv\npush.e 1\nadd.i.v\npush.e 4\nmod.i.v\npush.v self.vmtest_tv\nadd.v.v\n" + kept,
         {S::LoadVariable, S::ConstantAddModulo, S::LoadVariable, S::Add, S::Store, S::Leave}, 0, 3, true,
         "DoAdd :: Execution Error"},
        // A remainder by a constant of int32's least (by -1 too), and of whole numbers past int32.
        {negated + "push.v self.vmtest_tv\npush.e -1\nmod.i.v\n" + kept, remainderSteps, 0,
         -2147483648.0, true, "-0"},
        {negated + "push.v self.vmtest_tv\npush.e 7\nmod.i.v\n" + kept, remainderSteps, 0,
         -2147483648.0, true, "-2"},
        {negated + "push.v self.vmtest_tv\npush.e 7\nmod.i.v\n" + kept, remainderSteps, 0,
         2147483648.0, true, "2"},
        {negated + "push.v self.vmtest_tv\npush.e 4\nmod.i.v\n" + kept, remainderSteps, 0,
         -2147483649.0, true, "-1"},
        {negated + "push.v self.vmtest_tv\npush.e 4\nmod.i.v\n" + kept, remainderSteps, 0,
         -2147483647.5, true, "-3.5"},
        // `tt = (tv + 3) mod 4; tw = tt mod 2; tw += 5; tu = tt + 1`, each a load, its constant's step
        // and a store.
        {stores, storeSteps, 0, 3, true, "7"},
        {stores, storeSteps, 0, -5, true, "3"},
        {stores, storeSteps, 0, 2.5, true, "8"},
        {text + stores, storeSteps, 0, 3, true, "DoAdd :: Execution Error"},
        // A mover's turn and move: the test falls through into the turn, which goes on into the move.
        {field + "or.b.b\nbf done\n" + negate + "done:\n" + combine + "add.v.v\n" + stored,
         {S::FieldOutsideBranch, S::NegateVariable, S::Continue, S::FieldAddStore, S::Leave}, 9.5, 3, true, "6.5"},
        {field + "or.b.b\nbf done\n" + negate + "done:\n" + combine + "add.v.v\n" + stored,
         {S::FieldOutsideBranch, S::NegateVariable, S::Continue, S::FieldAddStore, S::Leave}, 4, 3, true, "7"},
    };
    FakeWorld world;
    for (const Case& c : cases) {
        std::string got[2];
        uint32_t branches[2];
        std::vector<double> handed[2]; // what a routine called was handed, in order
        for (bool translate : {false, true}) {
            g_VMTranslate = translate;
            FakeInstance* self = world.Add(100001, 1);
            FakeInstance* other = world.Add(100002, 1);
            self->field = static_cast<float>(c.field);
            self->second = 0.75f;
            other->field = 7;
            SetReal(self->variables, "vmtest_tv", c.tv);
            SetReal(self->variables, "vmtest_tt", 0);
            g_Fields.clear();
            LastCall() = CallRecord();
            Program program(c.source);
            uint32_t before = VM_BranchCount();
            RunOutcome outcome = program.Run(AsInstance(self), c.other ? AsInstance(other) : nullptr);
            branches[translate] = VM_BranchCount() - before;
            handed[translate] = LastCall().reals;
            char real[64];
            std::snprintf(real, sizeof real, "%.9g", outcome.Real());
            got[translate] = outcome.failed ? outcome.error : Value_GetKind(&outcome.result) == VALUE_REAL ? real : TextOf(outcome.result);
            world.Clear();
            if (translate) {
                EXPECT_EQ(StepsOf(program), c.steps) << c.source;
            }
        }
        // An error's text up to the variable's numbers, which depend on the rows registered before.
        EXPECT_EQ(got[0].substr(0, got[0].find('(')), c.expected) << c.source << " (the words)";
        EXPECT_EQ(got[1], got[0]) << c.source;
        EXPECT_EQ(branches[1], branches[0]) << c.source;
        EXPECT_EQ(handed[1], handed[0]) << c.source;
    }
    // A walk over instances whose variables lie at other places of their lists: each finds its own.
    std::vector<std::string> walked[2]; // each instance's field after each run
    for (bool translate : {false, true}) {
        g_VMTranslate = translate;
        FakeInstance* first = world.Add(100001, 1);
        FakeInstance* second = world.Add(100002, 1);
        SetReal(first->variables, "vmtest_tv", 3);
        SetReal(first->variables, "vmtest_tt", 10);
        SetReal(second->variables, "vmtest_tt", 20);
        SetReal(second->variables, "vmtest_tv", 5);
        Program program(field + "or.b.b\nbf done\n" + negate + "done:\n" + combine + "add.v.v\n" + stored);
        for (FakeInstance* self : {first, second, first, second}) {
            program.Run(AsInstance(self));
            walked[translate].push_back(std::to_string(self->field));
        }
        world.Clear();
    }
    EXPECT_EQ(walked[1], walked[0]);
    EXPECT_EQ(walked[0].back(), "10.000000"); // the second instance's own 5, added twice
    // Enough rounds of fused branches that the turns which pump messages fall on them.
    const std::string count = "push.v self.vmtest_tt\npush.e 1\nadd.i.v\npop.v.v self.vmtest_tt\n";
    const std::string body = field + "or.b.b\nbf near\n" + count + "near:\npush.v self.vmtest_ei\npush.d 0.25\nmul.d.v\n"
                             "conv.v.b\nbf far\n" + count + "far:";
    double answers[2];
    uint32_t branches[2];
    for (bool translate : {false, true}) {
        g_VMTranslate = translate;
        FakeInstance* self = world.Add(100001, 1);
        self->field = 12;
        SetReal(self->variables, "vmtest_tt", 0);
        Program program(CountingLoop("", body, 9000, "push.v self.vmtest_tt"));
        uint32_t before = VM_BranchCount();
        answers[translate] = program.Run(AsInstance(self)).Real();
        branches[translate] = VM_BranchCount() - before;
        world.Clear();
    }
    EXPECT_EQ(answers[0], 9000 + 8997); // every round outside, and every one from ei = 3 on
    EXPECT_EQ(answers[1], answers[0]);
    EXPECT_EQ(branches[1], branches[0]);
    g_Fields.clear();
}

namespace {

// vmtest_leaf3(a, b, c) answers a - 2b + 3c through its routine and through its leaf form, each
// counting its calls; the leaf declines a negative c. The routine also notes where the run stood,
// as an error report would place it.
struct LeafCounts {
    int32_t routine = 0, leaf = 0;
    int32_t at = -1; // the run's instruction at the routine's last call
};
LeafCounts& Counts()
{
    static LeafCounts counts;
    return counts;
}

double Leaf3Answer(double a, double b, double c) { return a - 2 * b + 3 * c; }

void Leaf3Routine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ++Counts().routine;
    Counts().at = g_pVMRun != nullptr ? g_pVMRun->insnStart : -1;
    result->real = Leaf3Answer(args[0].real, args[1].real, args[2].real);
}

bool Leaf3(CInstance*, CInstance*, const double* top, double* result)
{
    if (Leaf_Argument(top, 2) < 0) return false;
    ++Counts().leaf;
    *result = Leaf3Answer(Leaf_Argument(top, 0), Leaf_Argument(top, 1), Leaf_Argument(top, 2));
    return true;
}

} // namespace

// A row with a leaf form, called from a register sequence with the row's count, calls the leaf and
// goes on in its steps; a call of another count, a traced run and a call the leaf declines take the
// routine, which finds the run standing at the call as the words leave it. Every answer is the word
// loop's.
TEST_F(TranslateTest, RegisterSequencesCallLeafFormsWhereTheRowHasOne)
{
    using S = VMRegisterStep;
    int32_t id = -1;
    if (!Code_Function_Find("vmtest_leaf3", &id)) Function_Add("vmtest_leaf3", Leaf3Routine, 3, Leaf3);
    // tv * 2, tv + 1, tv * tv as arguments 2, 1 and 0; the answer plus one.
    const std::string args = "push.v self.vmtest_tv\npush.e 2\nmul.i.v\npush.v self.vmtest_tv\npush.e 1\nadd.i.v\n"
                             "push.v self.vmtest_tv\npush.v self.vmtest_tv\nmul.v.v\n";
    const std::vector<S> leafSteps = {S::LoadVariable, S::ConstantMultiply, S::LoadVariable, S::ConstantAdd, S::LoadVariable,
                                      S::LoadVariable, S::Multiply, S::CallLeaf, S::ConstantAdd, S::Leave};
    const std::string loaded = "push.v self.vmtest_tv\npush.e 2\nmul.i.v\npush.v self.vmtest_tv\npush.v self.vmtest_tv\n"
                               "call.i vmtest_leaf3 3\npush.e 1\nadd.i.v";
    const std::vector<S> loadedSteps = {S::LoadVariable, S::ConstantMultiply, S::LoadsCallLeaf, S::ConstantAdd, S::Leave};
    struct Case {
        const char* label;
        std::string source;
        double tv;
        bool traced;
        double result;
        int32_t leafCalls, routineCalls; // translated
        std::vector<S> steps;
    } cases[] = {
        {"leaf", args + "call.i vmtest_leaf3 3\npush.e 1\nadd.i.v", 3, false, 9 - 8 + 18 + 1, 1, 0, leafSteps},
        {"declined", args + "call.i vmtest_leaf3 3\npush.e 1\nadd.i.v", -3, false, 9 + 4 - 18 + 1, 0, 1, leafSteps},
        {"traced", args + "call.i vmtest_leaf3 3\npush.e 1\nadd.i.v", 3, true, 9 - 8 + 18 + 1, 0, 1, leafSteps},
        // Two variables handed as they are, on top of a computed one: loaded and called in one step,
        // whose parts make the call the leaf declines or a traced run makes (tv, tv and tv * 2).
        {"loaded", loaded, 3, false, 5 * 3 + 1, 1, 0, loadedSteps},
        {"loaded declined", loaded, -3, false, 5 * -3 + 1, 0, 1, loadedSteps},
        {"loaded traced", loaded, 3, true, 5 * 3 + 1, 0, 1, loadedSteps},
        // Two arguments to the row of three: the routine gets real 0 for the third.
        {"another count", "push.v self.vmtest_tv\npush.e 1\nadd.i.v\npush.v self.vmtest_tv\npush.v self.vmtest_tv\n"
                          "mul.v.v\ncall.i vmtest_leaf3 2\npush.e 1\nadd.i.v",
         3, false, 9 - 8 + 1, 0, 1,
         {S::LoadVariable, S::ConstantAdd, S::LoadVariable, S::LoadVariable, S::Multiply, S::CallBuiltIn, S::ConstantAdd, S::Leave}},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    const uint8_t tracing = g_TraceFlag;
    for (const Case& c : cases) {
        int32_t at[2] = {-2, -2};
        for (bool translate : {false, true}) {
            g_VMTranslate = translate;
            g_TraceFlag = c.traced ? 1 : 0;
            Counts() = LeafCounts();
            SetReal(self->variables, "vmtest_tv", c.tv);
            Program program(c.source);
            RunOutcome outcome = program.Run(AsInstance(self));
            g_TraceFlag = tracing;
            EXPECT_FALSE(outcome.failed) << c.label << ": " << outcome.error;
            EXPECT_EQ(outcome.Real(), c.result) << c.label << (translate ? " translated" : " word loop");
            at[translate] = Counts().at;
            self->variables.Clear();
            if (!translate) {
                EXPECT_EQ(Counts().routine, 1) << c.label;
                EXPECT_EQ(Counts().leaf, 0) << c.label;
                continue;
            }
            EXPECT_EQ(Counts().leaf, c.leafCalls) << c.label;
            EXPECT_EQ(Counts().routine, c.routineCalls) << c.label;
            EXPECT_EQ(StepsOf(program), c.steps) << c.label;
        }
        if (c.routineCalls > 0) {
            EXPECT_EQ(at[1], at[0]) << c.label << ": the routine sees the run at the call";
        }
    }
    world.Clear();
}

namespace {

// Rows of the list's read and replace with the real leaves, whose routines answer 99 where the leaf
// declines (a text element, no such list), so that a call the leaf made is told from the routine's.
int32_t g_ListRoutineCalls = 0;

void ListReadRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ++g_ListRoutineCalls;
    if (!DS_ListReadReal(args[0].real, args[1].real, &result->real)) result->real = 99;
}

void ListReplaceRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ++g_ListRoutineCalls;
    result->real = DS_ListReplaceReal(args[0].real, args[1].real, args[2].real) ? 0 : 99;
}

} // namespace

// ds_list_find_value and ds_list_replace on two plain variables are made in place by their fused
// steps; positions rounded half to even, outside the list (0, nothing replaced), a text element and
// a list that does not exist (the routine's), and a traced run (the routine's) answer as the word
// loop answers, and leave the list as it leaves it.
TEST_F(TranslateTest, ListReadsAndReplacesOfVariablesAreMadeInPlace)
{
    using S = VMRegisterStep;
    int32_t id = -1;
    if (!Code_Function_Find("vmtest_list_read", &id))
        Function_Add("vmtest_list_read", ListReadRoutine, 2, Leaf_DsListFindValue);
    if (!Code_Function_Find("vmtest_list_replace", &id))
        Function_Add("vmtest_list_replace", ListReplaceRoutine, 3, Leaf_DsListReplace);
    const int32_t list = DS_NewList();
    const double text = 1, missing = 1e6;
    // read(tw, tv) + 1, and replace(tw, tv, tx) + 1 with the first element after it added.
    const std::string read = "push.v self.vmtest_tv\npush.v self.vmtest_tw\ncall.i vmtest_list_read 2\npush.e 1\nadd.i.v";
    const std::string replace = "push.v self.vmtest_tx\npush.v self.vmtest_tv\npush.v self.vmtest_tw\n"
                                "call.i vmtest_list_replace 3\npush.e 1\nadd.i.v";
    const std::vector<S> readSteps = {S::LoadsListRead, S::ConstantAdd, S::Leave};
    const std::vector<S> replaceSteps = {S::LoadVariable, S::LoadsListReplace, S::ConstantAdd, S::Leave};
    struct Case {
        const char* label;
        bool replaces;
        double handle, pos;
        bool traced;
        double result, first; // the answer, and the list's first element after the run
        int32_t routineCalls; // translated
    } cases[] = {
        {"read", false, double(list), 2, false, 31, 10, 0},
        {"read at a handle and position rounded", false, list + 0.4, 1.5, false, 31, 10, 0},
        {"read half to even", false, double(list), 0.5, false, 11, 10, 0},
        {"read past the end", false, double(list), 3, false, 1, 10, 0},
        {"read before the start", false, double(list), -1, false, 1, 10, 0},
        {"read of a text", false, double(list), text, false, 100, 10, 1},
        {"read of no list", false, missing, 0, false, 100, 10, 1},
        {"read traced", false, double(list), 2, true, 31, 10, 1},
        {"replace", true, double(list), 0, false, 1, 5, 0},
        {"replace past the end", true, double(list), 3, false, 1, 10, 0},
        {"replace of a text", true, double(list), text, false, 100, 10, 1},
        {"replace in no list", true, missing, 0, false, 100, 10, 1},
        {"replace traced", true, double(list), 0, true, 1, 5, 1},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    const uint8_t tracing = g_TraceFlag;
    CDS_List* elements = g_DSLists.Get(list);
    ASSERT_NE(elements, nullptr);
    for (const Case& c : cases) {
        for (bool translate : {false, true}) {
            elements->Clear();
            ScriptValue value = {VALUE_REAL, 0, 10};
            elements->Add(&value);
            Value_SetText(&value, "t");
            elements->Add(&value);
            Value_Free(&value);
            value = ScriptValue{VALUE_REAL, 0, 30};
            elements->Add(&value);
            g_VMTranslate = translate;
            g_TraceFlag = c.traced ? 1 : 0;
            g_ListRoutineCalls = 0;
            SetReal(self->variables, "vmtest_tw", c.handle);
            SetReal(self->variables, "vmtest_tv", c.pos);
            SetReal(self->variables, "vmtest_tx", 5);
            Program program(c.replaces ? replace : read);
            RunOutcome outcome = program.Run(AsInstance(self));
            g_TraceFlag = tracing;
            const std::string way = translate ? " translated" : " word loop";
            EXPECT_FALSE(outcome.failed) << c.label << ": " << outcome.error;
            EXPECT_EQ(outcome.Real(), c.result) << c.label << way;
            EXPECT_EQ(elements->GetValue(0)->real, c.first) << c.label << way;
            EXPECT_EQ(g_ListRoutineCalls, translate ? c.routineCalls : 1) << c.label << way;
            if (translate) {
                EXPECT_EQ(StepsOf(program), c.replaces ? replaceSteps : readSteps) << c.label;
            }
            self->variables.Clear();
        }
    }
    delete g_DSLists.Take(list);
    world.Clear();
}

// Variables of the instance an item names (`target.x` through an id, self and other by their numbers)
// read in registers: list variables, number fields through their getters and in place; an instance
// marked for deletion, no instance, an object or a text are the words' to read (and report). And
// statements past a sequence's head: variables handed to a built-in, its answer dropped by popz, a
// joined store reached midway; a switch's chain of tests on the value duplicated, each case's
// branch taken with the value live beneath, past the message pump's turns in a loop. Every case
// gives the words' answer and branch count, traced and untraced.
TEST_F(TranslateTest, InstanceReadsAndStatementsPastTheHeadAreRegisterSteps)
{
    RegisterFloatFieldRow("vmtest_bf");
    RegisterFieldRows("vmtest_bx", "vmtest_bro");
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    FakeInstance* target = world.Add(100002, 2);
    world.Add(100003, 2)->marked = true;
    target->field = 2.5f;
    auto through = [](const char* instance, const char* variable) {
        return std::string(instance) + "push.v stack." + variable + "\npush.e 2\nmul.i.v\n";
    };
    const char* const byId = "push.v self.vmtest_tg\nconv.v.i\n";
    // tv + 5 stored into the instance's variable, then that variable read back through its id.
    auto storedInto = [byId](const char* instance, const char* variable) {
        return "push.v self.vmtest_tv\npush.e 5\nadd.i.v\n" + std::string(instance) + "pop.v.v stack." + variable + "\n" +
               byId + "push.v stack." + variable + "\npush.e 1\nadd.i.v\n";
    };
    // switch (value) { case 0: r = 10; case 1: r = 20; default: r = 30 } as the compiler chains it.
    auto switchOn = [](const std::string& value) {
        return value + "dup.v\npush.e 0\nseq.i.v\nbt c0\ndup.v\npush.e 1\nseq.i.v\nbt c1\nb other\nc0:\npush.e 10\n"
                       "pop.v.i self.vmtest_tr\nb end\nc1:\npush.e 20\npop.v.i self.vmtest_tr\nb end\nother:\npush.e 30\n"
                       "pop.v.i self.vmtest_tr\nend:\npopz.v\n";
    };
    const std::string summed = "push.v self.vmtest_ts\npush.v self.vmtest_tr\nadd.v.v\npop.v.v self.vmtest_ts";
    const std::string handed = "push.v self.vmtest_tv\npush.v self.vmtest_tg\ncall.i vmtest_pair 2\npopz.v\n"
                               "push.v self.vmtest_tv\npush.e 1\nadd.i.v\npop.v.v self.vmtest_tv\npush.v self.vmtest_tv";
    struct Case {
        std::string source;
        const char* expected; // the result as text, or the start of the error's
        VMRegisterStep made;  // a step the sequences hold
    } cases[] = {
        {through(byId, "vmtest_tv"), "14", VMRegisterStep::LoadInstance},
        {through(byId, "vmtest_bf"), "5", VMRegisterStep::LoadNamedField},
        {through("push.v self.vmtest_tt\nconv.v.i\n", "vmtest_bf"), "error: ", VMRegisterStep::LoadNamedField}, // a text
        {through("push.v self.vmtest_tv\nconv.v.i\n", "vmtest_bf"), "error: ", VMRegisterStep::LoadNamedField}, // no such
        {std::string(byId) + "push.v stack.vmtest_bf\n" + byId + "push.v stack.vmtest_bf\nadd.v.v", "5", VMRegisterStep::LoadNamedField},
        {through(byId, "vmtest_bx"), "8", VMRegisterStep::LoadInstance},
        {through("push.e -1\n", "vmtest_tv"), "6", VMRegisterStep::LoadInstance},
        {through("push.e -2\n", "vmtest_tv"), "14", VMRegisterStep::LoadInstance},
        {through("push.i 100003\n", "vmtest_tv"), "error: Push :: Execution Error - Variable Get 100003", VMRegisterStep::LoadInstance},
        {through("push.i 100009\n", "vmtest_tv"), "error: Push :: Execution Error - Variable Get 100009", VMRegisterStep::LoadInstance},
        {through("push.e 2\n", "vmtest_tv"), "14", VMRegisterStep::LoadInstance},
        {through(byId, "vmtest_tt"), "error: DoMul", VMRegisterStep::LoadInstance},
        {through(byId, "vmtest_tw"), "0", VMRegisterStep::LoadInstance}, // never set: read as 0
        // The same instance named twice, then another.
        {std::string(byId) + "push.v stack.vmtest_tv\n" + byId + "push.v stack.vmtest_bx\nadd.v.v\npush.e -1\n"
                             "push.v stack.vmtest_tv\nadd.v.v",
         "14", VMRegisterStep::LoadInstance},
        {handed, "4", VMRegisterStep::CallBuiltIn},
        {storedInto(byId, "vmtest_tv"), "9", VMRegisterStep::StoreInstance},
        {storedInto(byId, "vmtest_bx"), "9", VMRegisterStep::StoreInstance},
        {storedInto("push.e -2\n", "vmtest_tv"), "9", VMRegisterStep::StoreInstance},
        {storedInto("push.e -1\n", "vmtest_tv"), "8", VMRegisterStep::StoreInstance}, // self's; target's stays 7
        {storedInto(byId, "vmtest_tw"), "9", VMRegisterStep::StoreInstance},          // added by the words
        {storedInto("push.i 100003\n", "vmtest_tv"), "8", VMRegisterStep::StoreInstance}, // marked: stored nowhere
        {storedInto(byId, "vmtest_bro"), "error: Pop :: Execution Error - Variable set problem", VMRegisterStep::LoadInstance},
        // Other's variables through other's list found once.
        {"push.v self.vmtest_tv\npush.e 1\nadd.i.v\npop.v.v self.vmtest_tu\npush.v other.vmtest_tv\npush.e 2\nmul.i.v\n"
         "pop.v.v other.vmtest_tv\npush.v other.vmtest_tv\npush.v self.vmtest_tv\nadd.v.v",
         "17", VMRegisterStep::StoreOther},
        // A text found after a load: the head is given back to its first word, the next run the same.
        {"push.v self.vmtest_tv\npush.v self.vmtest_tt\npush.e 2\nmul.i.v\nadd.v.v\npush.v self.vmtest_tv\nadd.v.v",
         "error: DoMul", VMRegisterStep::LoadVariable},
        {"push.v self.vmtest_tt\npush.v self.vmtest_tg\ncall.i vmtest_pair 2\npopz.v\npush.v self.vmtest_tv\npush.e 3\n"
         "mul.i.v\npush.v self.vmtest_tt\nadd.v.v",
         "error: DoAdd", VMRegisterStep::CallBuiltIn},
        {switchOn("push.v self.vmtest_tv\npush.e 3\nsub.i.v\n") + "push.v self.vmtest_tr", "10", VMRegisterStep::SwitchCases},
        {switchOn("push.v self.vmtest_tv\npush.e 2\nsub.i.v\n") + "push.v self.vmtest_tr", "20", VMRegisterStep::SwitchCases},
        {switchOn("push.v self.vmtest_tv\n") + "push.v self.vmtest_tr", "30", VMRegisterStep::SwitchCases},
        {switchOn("push.v self.vmtest_tt\n") + "push.v self.vmtest_tr", "error: DoSet :: Invalid comparison type",
         VMRegisterStep::SwitchCases},
        {CountingLoop("push.e 0\npop.v.i self.vmtest_ts\n", switchOn("push.v self.vmtest_ei\npush.e 3\nmod.i.v\n") + summed,
                      3000, "push.v self.vmtest_ts"),
         "60000", VMRegisterStep::SwitchCases},
    };
    const uint8_t tracing = g_TraceFlag;
    for (const Case& c : cases) {
        for (uint8_t traced : {0, 1}) {
            std::string got[3];
            uint32_t branches[3];
            // The words, then the translated form twice: its first run may rebind what it learnt.
            std::unique_ptr<Program> program;
            for (int form : {0, 1, 2}) {
                bool translate = form > 0;
                g_VMTranslate = translate;
                g_Fields.clear();
                g_Fields[AsInstance(target)] = 4;
                SetReal(self->variables, "vmtest_tv", 3);
                SetReal(self->variables, "vmtest_tg", 100002);
                SetReal(target->variables, "vmtest_tv", 7);
                ScriptValue text = {VALUE_REAL, 0, 0.0};
                Value_SetText(&text, "t");
                target->variables.SetVar(Code_Variable_Find("vmtest_tt"), -1, &text);
                self->variables.SetVar(Code_Variable_Find("vmtest_tt"), -1, &text);
                Value_Free(&text);
                if (form < 2) program = std::make_unique<Program>(c.source);
                g_TraceFlag = traced;
                uint32_t before = VM_BranchCount();
                got[form] = OutcomeLine(program->Run(AsInstance(self), AsInstance(target)));
                branches[form] = VM_BranchCount() - before;
                g_TraceFlag = tracing;
                self->variables.Clear();
                target->variables.Clear();
                if (!translate) continue;
                std::vector<VMRegisterStep> steps = StepsOf(*program);
                EXPECT_FALSE(steps.empty()) << c.source;
                EXPECT_NE(std::find(steps.begin(), steps.end(), c.made), steps.end()) << c.source;
            }
            for (int form : {1, 2}) {
                EXPECT_EQ(got[form], got[0]) << c.source << (traced ? " traced" : "") << " run " << form;
                EXPECT_EQ(branches[form], branches[0]) << c.source << " run " << form;
            }
            EXPECT_EQ(got[0].rfind(c.expected, 0), 0u) << c.source << " gave " << got[0];
        }
    }
    g_Fields.clear();
    world.Clear();
}

// Breaks: a sequence ending in b goes on at its target in the steps, the items live before it (a
// switch's value) on the stack, and a switch's end drops a number the steps put there; a text, an
// int32 beneath or an empty stack are the words' to drop or report. A while loop's body jumps back
// into its test past the message pump's turns. Every case gives the words' answer and branch count,
// traced and untraced, and holds a Jump step.
TEST_F(TranslateTest, BreaksAndASwitchsEndStayInTheRegisterSteps)
{
    // switch (value) { case 0: r += 10; break; case 1: r -= 20; break; default: r = 30; break }, r
    // first 1, with `end` after the switch's own drop.
    auto breaking = [](const std::string& value, const std::string& end) {
        return "push.e 1\npop.v.i self.vmtest_tr\n" + value +
               "dup.v\npush.e 0\nseq.i.v\nbt c0\ndup.v\npush.e 1\nseq.i.v\nbt c1\nb other\nb end\n"
               "c0:\npush.v self.vmtest_tr\npush.e 10\nadd.i.v\npop.v.v self.vmtest_tr\nb end\n"
               "c1:\npush.v self.vmtest_tr\npush.e 20\nsub.i.v\npop.v.v self.vmtest_tr\nb end\n"
               "other:\npush.e 30\npop.v.i self.vmtest_tr\nb end\nend:\npopz.v\n" + end + "push.v self.vmtest_tr";
    };
    const std::string bumped = "push.v self.vmtest_tv\npush.e 1\nadd.i.v\npop.v.v self.vmtest_tv\nb end\nend:\n";
    struct Case {
        std::string source;
        const char* expected; // the result as text, or the start of the error's
    } cases[] = {
        {breaking("push.v self.vmtest_tv\npush.e 3\nsub.i.v\n", ""), "11"},
        {breaking("push.v self.vmtest_tv\npush.e 2\nsub.i.v\n", ""), "-19"},
        {breaking("push.v self.vmtest_tv\n", ""), "30"},
        {"push.v self.vmtest_tt\n" + breaking("push.v self.vmtest_tv\npush.e 3\nsub.i.v\n", "popz.v\n"), "11"},
        {"push.i 7\n" + breaking("push.v self.vmtest_tv\npush.e 2\nsub.i.v\n", "popz.i\n"), "-19"},
        {"push.v self.vmtest_tt\n" + bumped + "popz.v\npush.v self.vmtest_tv", "4"},
        {bumped + "popz.v\npush.v self.vmtest_tv", "error: Stack underflow"},
        {"push.e 0\npop.v.i self.vmtest_tv\ntop:\npush.v self.vmtest_tv\npush.i 5000\nslt.i.v\nbf done\n"
         "push.v self.vmtest_tv\npush.e 1\nmul.i.v\npush.e 1\nadd.i.v\npop.v.v self.vmtest_tv\nb top\ndone:\n"
         "push.v self.vmtest_tv",
         "5000"},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    const uint8_t tracing = g_TraceFlag;
    for (const Case& c : cases) {
        for (uint8_t traced : {0, 1}) {
            std::string got[3];
            uint32_t branches[3];
            std::unique_ptr<Program> program;
            // The words, then the translated form twice: its first run may rebind what it learnt.
            for (int form : {0, 1, 2}) {
                g_VMTranslate = form > 0;
                SetReal(self->variables, "vmtest_tv", 3);
                ScriptValue text = {VALUE_REAL, 0, 0.0};
                Value_SetText(&text, "t");
                self->variables.SetVar(Code_Variable_Find("vmtest_tt"), -1, &text);
                Value_Free(&text);
                if (form < 2) program = std::make_unique<Program>(c.source);
                g_TraceFlag = traced;
                uint32_t before = VM_BranchCount();
                got[form] = OutcomeLine(program->Run(AsInstance(self)));
                branches[form] = VM_BranchCount() - before;
                g_TraceFlag = tracing;
                self->variables.Clear();
                if (form == 0) continue;
                std::vector<VMRegisterStep> steps = StepsOf(*program);
                EXPECT_NE(std::find(steps.begin(), steps.end(), VMRegisterStep::Jump), steps.end()) << c.source;
            }
            for (int form : {1, 2}) {
                EXPECT_EQ(got[form], got[0]) << c.source << (traced ? " traced" : "") << " run " << form;
                EXPECT_EQ(branches[form], branches[0]) << c.source << " run " << form;
            }
            EXPECT_EQ(got[0].rfind(c.expected, 0), 0u) << c.source << " gave " << got[0];
        }
    }
    world.Clear();
}

constexpr uint32_t BRANCH_PUMP_TURN_MASK = 4095; // messages are pumped every 4096 branches
int32_t g_SwitchPumps = 0;
void CountSwitchPump() { ++g_SwitchPumps; }

// Moves the branch count on to `phase` below a turn of the message pump, in the words: a loop of
// vmtest_tn rounds counts one branch each.
void BranchUntilPhase(CInstance* self, CVariableList& variables, uint32_t phase)
{
    uint32_t rounds = (phase - VM_BranchCount()) & BRANCH_PUMP_TURN_MASK;
    if (rounds == 0) return;
    SetReal(variables, "vmtest_tn", rounds);
    const bool translating = g_VMTranslate;
    g_VMTranslate = false;
    RunProgram("top:\npush.v self.vmtest_tn\npush.e 1\nsub.i.v\npop.v.v self.vmtest_tn\npush.v self.vmtest_tn\n"
               "push.e 0\nsgt.i.v\nbt top",
               self);
    g_VMTranslate = translating;
}

// Whether the program's first SwitchCases step has its cases in a row (whole numbers, each one more).
bool FirstSwitchInRow(const Program& program)
{
    if (const VMTranslation* translation = VM_Translation(program.Code()))
        for (const VMRegisterStepInsn& step : translation->registerSteps)
            if (step.step == VMRegisterStep::SwitchCases) return step.casesInRow != 0;
    return false;
}

// A switch's case tests run as one SwitchCases step, which takes the first case that holds by the
// equality each test makes (within the epsilon; of two int32 items exactly), counting the branches
// its parts count. Cases of whole numbers in a row find a whole value's case without testing each,
// while the epsilon keeps neighbours apart. A turn of the message pump within its tests leaves them
// to the parts, which pump at the same branch; a value that is no number is the words'.
TEST_F(TranslateTest, SwitchCasesTakeTheFirstCaseThatHoldsAsTheirPartsDo)
{
    // switch (value) { case labels[k]: r = k; break; default: r = 99; }, then r.
    auto chain = [](const std::string& value, char type, const std::vector<std::string>& labels) {
        std::string t(1, type), tests, clauses;
        for (size_t k = 0; k < labels.size(); ++k) {
            const std::string label = "c" + std::to_string(k);
            char labelType = labels[k].rfind("push.d", 0) == 0 ? 'd' : 'i';
            tests += "dup." + t + "\n" + labels[k] + "\nseq." + labelType + "." + t + "\nbt " + label + "\n";
            clauses += label + ":\npush.e " + std::to_string(k) + "\npop.v.i self.vmtest_tr\nb end\n";
        }
        return value + tests + "b other\n" + clauses + "other:\npush.e 99\npop.v.i self.vmtest_tr\nend:\npopz." + t +
               "\npush.v self.vmtest_tr";
    };
    std::vector<std::string> many;
    for (int32_t k = 0; k < 70; ++k) many.push_back("push.e " + std::to_string(k));
    const std::vector<std::string> three = {"push.e 0", "push.e 1", "push.e 2"};
    const std::vector<std::string> topmost = {"push.i 2147483645", "push.i 2147483646", "push.i 2147483647"};
    struct Case {
        std::string source;
        const char* expected;
        bool inRow = false;     // the first SwitchCases step's cases are in a row
        double epsilon = 1e-05; // the comparisons' epsilon for the run
    } cases[] = {
        {chain("push.v self.vmtest_tv\n", 'v', three), "2", true},
        {chain("push.v self.vmtest_tv\npush.e 2\nsub.i.v\n", 'v', three), "0", true},
        {chain("push.v self.vmtest_tv\npush.e 1\nadd.i.v\n", 'v', three), "99", true},
        {chain("push.v self.vmtest_tv\n", 'v', {"push.e 2", "push.e 2"}), "0"},
        {chain("push.d 0.500001\n", 'd', {"push.e 0", "push.d 0.5", "push.e 1"}), "1"},
        {chain("push.d 0.50002\n", 'd', {"push.e 0", "push.d 0.5", "push.e 1"}), "99"},
        {chain("push.i 100000\n", 'i', {"push.e 0", "push.i 100000"}), "1"},
        {chain("push.i -7\n", 'i', {"push.e 7", "push.i -7"}), "1"},
        {chain("push.i 1\n", 'i', {"push.e 0", "push.d 0.5", "push.e 1"}), "2"},
        {chain("push.i 1\n", 'i', {"push.d 0.999995", "push.e 1"}), "0"},
        {chain("push.v self.vmtest_tv\npush.e 63\nadd.i.v\n", 'v', many), "65", true},
        {chain("push.v self.vmtest_tv\npush.e 66\nadd.i.v\n", 'v', many), "68", true},
        {chain("push.v self.vmtest_tt\n", 'v', three), "error: DoSet :: Invalid comparison type", true},
        // Cases in a row: whole values in and out of it, and values the epsilon matches or not.
        {chain("push.d 1.000001\n", 'd', three), "1", true},
        {chain("push.d 0.99\n", 'd', three), "99", true},
        {chain("push.d -0.5\n", 'd', three), "99", true},
        {chain("push.d -0.000001\n", 'd', three), "0", true},
        {chain("push.d -1\n", 'd', three), "99", true},
        {chain("push.d 10000000000\n", 'd', three), "99", true},
        {chain("push.d -0\n", 'd', {"push.i -1", "push.e 0", "push.e 1"}), "1", true},
        {chain("push.d 2\n", 'd', three), "2", true, 1.0},
        {chain("push.d 2\n", 'd', three), "1", true, 1.5},
        {chain("push.d 1\n", 'd', three), "1", true, 0},
        {chain("push.d 1.000001\n", 'd', three), "99", true, 0},
        {chain("push.d 2147483647\n", 'd', topmost), "2", true},
        {chain("push.d -2147483648\n", 'd', topmost), "99", true},
        {chain("push.d 2\n", 'd', {"push.e 0", "push.e 2", "push.e 1"}), "1"},
        {chain("push.v self.vmtest_tv\n", 'v', {"push.e 1", "push.d 2.5", "push.e 3"}), "99"},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    void (*pump)() = g_VMMessagePump;
    g_VMMessagePump = CountSwitchPump;
    const double epsilon = Code_CompareEpsilon;
    for (const Case& c : cases) {
        Code_CompareEpsilon = c.epsilon;
        // The turn comes after `ahead` branches more: within the tests, at their end, and past it.
        for (uint32_t ahead : {0u, 1u, 2u, 3u, 8u, 70u, 200u}) {
            std::string got[3];
            uint32_t branches[3];
            int32_t pumps[3];
            std::unique_ptr<Program> program;
            for (int form : {0, 1, 2}) {
                SetReal(self->variables, "vmtest_tv", 2);
                SetReal(self->variables, "vmtest_tr", -1);
                ScriptValue text = {VALUE_REAL, 0, 0.0};
                Value_SetText(&text, "2");
                self->variables.SetVar(Code_Variable_Find("vmtest_tt"), -1, &text);
                Value_Free(&text);
                if (form < 2) program = std::make_unique<Program>(c.source);
                BranchUntilPhase(AsInstance(self), self->variables, BRANCH_PUMP_TURN_MASK - ahead);
                g_VMTranslate = form > 0;
                g_SwitchPumps = 0;
                uint32_t before = VM_BranchCount();
                got[form] = OutcomeLine(program->Run(AsInstance(self)));
                branches[form] = VM_BranchCount() - before;
                pumps[form] = g_SwitchPumps;
                self->variables.Clear();
            }
            std::vector<VMRegisterStep> steps = StepsOf(*program);
            EXPECT_NE(std::find(steps.begin(), steps.end(), VMRegisterStep::SwitchCases), steps.end()) << c.source;
            EXPECT_EQ(FirstSwitchInRow(*program), c.inRow) << c.source;
            for (int form : {1, 2}) {
                EXPECT_EQ(got[form], got[0]) << c.source << " ahead " << ahead << " run " << form;
                EXPECT_EQ(branches[form], branches[0]) << c.source << " ahead " << ahead << " run " << form;
                EXPECT_EQ(pumps[form], pumps[0]) << c.source << " ahead " << ahead << " run " << form;
            }
            EXPECT_EQ(got[0].rfind(c.expected, 0), 0u) << c.source << " gave " << got[0];
        }
    }
    Code_CompareEpsilon = epsilon;
    g_VMMessagePump = pump;
    world.Clear();
}

// A sequence keeps the nodes it found only where it reads its variables again more often than it
// has variables to keep, a built-in's call between two sites of one variable making the second find
// it anew; every site of a kept variable has a place, and the sites of other variables none.
TEST_F(TranslateTest, SequencesKeepTheNodesTheyReadAgainOften)
{
    const std::string thrice = "push.v self.vmtest_tv\npush.v self.vmtest_tv\nadd.v.v\npush.v self.vmtest_tv\nadd.v.v\n";
    struct Case {
        std::string source;
        bool keeps;
        int32_t placed; // sites with a place
    } cases[] = {
        {thrice + "pop.v.v self.vmtest_tt", true, 3},
        // A variable's load and store in one fused step look it up once.
        {"push.v self.vmtest_tv\npush.e 1\nadd.i.v\npop.v.v self.vmtest_tv\npush.v self.vmtest_tt\npush.v self.vmtest_tu\n"
         "add.v.v\npop.v.v self.vmtest_tw", false, 0},
        // Read twice and stored: once again only, for the one variable kept.
        {"push.v self.vmtest_tv\npush.v self.vmtest_tv\nadd.v.v\npop.v.v self.vmtest_tt", false, 0},
        {"push.v self.vmtest_tv\npush.v self.vmtest_tv\nadd.v.v\ncall.i vmtest_record 1\npush.v self.vmtest_tv\nadd.v.v\n"
         "pop.v.v self.vmtest_tt", false, 0},
        {thrice + "call.i vmtest_record 1\npush.v self.vmtest_tv\nadd.v.v\npop.v.v self.vmtest_tt", true, 4},
        // Self's variable and the one of no named instance of the same name are kept apart.
        {thrice + "push.v unnamed.vmtest_tv\nadd.v.v\npop.v.v unnamed.vmtest_tt", true, 3},
        // A with block's body that is one sequence keeps other's variable, read once a turn, for
        // the whole block; the same statement outside a with keeps nothing, and so does a body of
        // two sequences, whose second does not turn back to the body's head.
        {"push.e 1\npushenv done\nbody: push.v self.vmtest_tv\npush.v other.vmtest_tt\nadd.v.v\npush.e 7\n"
         "mod.i.v\npop.v.v self.vmtest_tv\ndone: popenv body", true, 1},
        {"push.v self.vmtest_tv\npush.v other.vmtest_tt\nadd.v.v\npush.e 7\nmod.i.v\npop.v.v self.vmtest_tv", false, 0},
        {"push.e 1\npushenv done\nbody: push.v other.vmtest_tt\npush.e 1\nsgt.i.v\nbf skip\n"
         "push.v other.vmtest_tt\npop.v.v self.vmtest_tv\nskip:\ndone: popenv body", false, 0},
    };
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 1);
    for (const Case& c : cases) {
        SetReal(self->variables, "vmtest_tv", 3);
        Program program(c.source);
        RunOutcome outcome = program.Run(AsInstance(self));
        EXPECT_FALSE(outcome.failed) << c.source << ": " << outcome.error;
        const VMTranslation* translation = VM_Translation(program.Code());
        ASSERT_NE(translation, nullptr);
        bool keeps = false;
        int32_t placed = 0;
        for (const VMTranslatedInsn& insn : translation->insns) {
            keeps = keeps || (insn.kind == VMKind::RealSequence && insn.keepsSites);
            placed += insn.runBit != 0 ? 1 : 0;
        }
        EXPECT_EQ(keeps, c.keeps) << c.source;
        EXPECT_EQ(placed, c.placed) << c.source;
        self->variables.Clear();
    }
    world.Clear();
}

// A walk over instances whose variables lie at different places of their lists: a and b of one object
// (b's set in the opposite order), c of another, d's in the shared pool behind five others. Each
// row runs for a, b, c, d, a and d in every form (the word loop, the translated loop, one prepared run
// walking them), traced and untraced, from the same variables; every form must leave what the word
// loop leaves, and d its row's last answer in vmtest_out.
// vmtest_renew(): self's variables released and made again behind fillers that take the list's own
// nodes, its vmtest_sa 100 more: a site that kept a node of the list's own from before reads a filler.
void RenewRoutine(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    CVariableList& list = AsFake(self)->variables;
    CVariableList kept;
    kept.CopyFrom(list);
    list.Clear();
    for (const char* filler : {"vmtest_f6", "vmtest_f7", "vmtest_f8", "vmtest_f9"}) SetReal(list, filler, -5);
    for (int32_t bucket = 0; bucket < VARIABLE_BUCKETS; ++bucket)
        for (VariableNode* node = kept.Bucket(bucket); node != nullptr; node = node->next)
            list.SetVar(node->id, -1, &node->value);
    SetReal(list, "vmtest_sa", RealOf(list, "vmtest_sa") + 100);
}

struct SiteWalk {
    static constexpr size_t STEPS = 6;
    CInstance* order[STEPS];
    size_t next = 0;
    static CInstance* Next(void* walk)
    {
        SiteWalk& w = *static_cast<SiteWalk*>(walk);
        return w.next < STEPS ? w.order[w.next++] : nullptr;
    }
};

TEST_F(TranslateTest, SitesFindEachInstancesVariablesWhereverItsListHoldsThem)
{
    RegisterTestFunctions();
    struct Case {
        const char* label;
        std::string source;
        double last; // d's vmtest_out at the end
        std::vector<VMRegisterStep> made = {}; // steps the translation must make of it
    } cases[] = {
        // A call between the reads and the store: self's list is known again after it; sd is new
        // to each list on its first run.
        {"self and unnamed",
         "push.v self.vmtest_sa\npush.v unnamed.vmtest_sb\nadd.v.v\npop.v.v self.vmtest_sc\ncall.i vmtest_self 0\n"
         "pop.v.v self.vmtest_sd\npush.v self.vmtest_sc\npush.v self.vmtest_sd\nadd.v.v\npop.v.v self.vmtest_out",
         1000 + 2000 + 100004},
        {"elements",
         "push.v self.vmtest_sa\npush.e -6\npush.e 2\npop.v.v stack.vmtest_sr[]\ncall.i vmtest_self 0\npopz.v\n"
         "push.e -6\npush.e 2\npush.v stack.vmtest_sr[]\npush.e 1\nadd.i.v\npop.v.v self.vmtest_out",
         1000 + 1},
        // Each run sets its locals first, the second after a call.
        {"first stores of locals",
         "push.v self.vmtest_sa\npop.v.v local.vmtest_la\ncall.i vmtest_self 0\npop.v.v local.vmtest_lb\n"
         "push.v local.vmtest_la\npush.v local.vmtest_lb\nadd.v.v\npop.v.v self.vmtest_out",
         1000 + 100004},
        // A with block over object 1 (a, b and d) adding each one's sa into other's so: other's
        // list found once for the block's instances.
        {"other in a with block",
         "push.e 1\npushenv done\nbody: push.v self.vmtest_sa\npush.v other.vmtest_so\nadd.v.v\n"
         "pop.v.v other.vmtest_so\ndone: popenv body\npush.v self.vmtest_so\npop.v.v self.vmtest_out",
         2 * (1 + 10 + 1000)},
        // A variable stepped in place, then tested against a constant and branched on, each a fused
        // step, the branch taken by some instances and not others.
        {"stepped and tested",
         "push.v self.vmtest_sa\npush.e 1\nsub.i.v\npop.v.v self.vmtest_sa\npush.v self.vmtest_sa\npush.e 10\nsle.i.v\n"
         "bf above\npush.v self.vmtest_sa\npop.v.v self.vmtest_out\nb done\nabove:\npush.v self.vmtest_sa\nneg.v\n"
         "pop.v.v self.vmtest_out\ndone:",
         -998,
         {VMRegisterStep::StepVariable, VMRegisterStep::VariableTestBranch}},
        // A variable new to each list on its first run, stored by the steps where the words would add
        // it; a global one is left to the words, then found in its list until that is cleared.
        {"first stores of new variables",
         "push.v self.vmtest_sa\npush.e 2\nmul.i.v\npop.v.v self.vmtest_sn\npush.v global.vmtest_gn\npush.e 1\n"
         "add.i.v\npop.v.v global.vmtest_gn\npush.v self.vmtest_sn\npush.v global.vmtest_gn\nadd.v.v\n"
         "pop.v.v self.vmtest_out",
         2000 + 6,
         {VMRegisterStep::Store}},
        // One variable at several sites of a run, each found once: sa read by a site of self and one
        // of no named instance and stepped in place, an array made by the words on its first store,
        // then read and stored at locals' indices by its sites of self and of no named instance.
        {"one variable at several sites",
         "push.v self.vmtest_sa\npush.e 4\nmod.i.v\npop.v.v local.vmtest_la\npush.v unnamed.vmtest_sa\npush.e 1\n"
         "add.i.v\npush.e 4\nmod.i.v\npop.v.v local.vmtest_lb\npush.v self.vmtest_sa\npush.e -1\npush.v local.vmtest_la\n"
         "conv.v.i\npop.v.v stack.vmtest_sr[]\npush.e -6\npush.v local.vmtest_la\nconv.v.i\npush.v stack.vmtest_sr[]\n"
         "push.v self.vmtest_sa\nadd.v.v\npush.e -1\npush.v local.vmtest_lb\nconv.v.i\npop.v.v stack.vmtest_sr[]\n"
         "push.e -1\npush.v local.vmtest_lb\nconv.v.i\npush.v stack.vmtest_sr[]\npush.e -6\npush.v local.vmtest_la\n"
         "conv.v.i\npush.v stack.vmtest_sr[]\nadd.v.v\npop.v.v self.vmtest_out\npush.v self.vmtest_sa\npush.e 1\n"
         "add.i.v\npop.v.v self.vmtest_sa",
         1001 + 2002,
         {VMRegisterStep::ModuloStore, VMRegisterStep::ElementAtVariable, VMRegisterStep::StoreAtVariable}},
        // A call that makes self's variables again between sites of sa and of sc, in steps that keep
        // what they found (sa read three times first): those after it find theirs anew.
        {"a call between sites of one variable",
         "push.v self.vmtest_sa\npush.v self.vmtest_sa\nadd.v.v\npush.v self.vmtest_sa\nadd.v.v\n"
         "pop.v.v self.vmtest_sc\ncall.i vmtest_renew 0\npopz.v\npush.v self.vmtest_sa\npush.v self.vmtest_sc\n"
         "add.v.v\npop.v.v self.vmtest_out",
         1200 + 3300,
         {VMRegisterStep::CallBuiltIn}},
        // A with block's body reading sa at two sites for each instance in turn, the steps going
        // round it: each instance's own.
        {"one variable at two sites of a with block",
         "push.e 1\npushenv done\nbody: push.v self.vmtest_sa\npush.e 1\nadd.i.v\npush.i 100000\nmod.i.v\n"
         "pop.v.v self.vmtest_sa\npush.v other.vmtest_so\npush.v self.vmtest_sa\nadd.v.v\npop.v.v other.vmtest_so\n"
         "done: popenv body\npush.v self.vmtest_so\npop.v.v self.vmtest_out",
         (5 + 14 + 1004) + (7 + 16 + 1006),
         {VMRegisterStep::WithNext}},
        // Other's variables read, added to and stored by a with block's body, each found once for the
        // block: so (and at first sk) missing from other's list until the words add it, other one
        // of the block's instances (a, b and d) or not (c).
        {"other's variables through a with block",
         "push.e 1\npushenv done\nbody: push.v self.vmtest_sa\npush.v other.vmtest_sk\nadd.v.v\npush.i 100000\n"
         "mod.i.v\npop.v.v self.vmtest_sa\npush.v other.vmtest_so\npush.v self.vmtest_sa\nadd.v.v\npop.v.v other.vmtest_so\n"
         "push.v self.vmtest_sa\npush.e 7\nmod.i.v\npop.v.v other.vmtest_sk\ndone: popenv body\n"
         "push.v self.vmtest_so\npop.v.v self.vmtest_out",
         2108, // d's so after its two runs, each adding d's, b's and a's sa in that order
         {VMRegisterStep::WithNext, VMRegisterStep::LoadOther, VMRegisterStep::OtherAddStore, VMRegisterStep::StoreOther}},
        // A globalvar's sites of no named instance and self's own variable of the same name, apart.
        {"a globalvar and self's variable of its name",
         "push.v unnamed.vmtest_gv\npush.e 1\nadd.i.v\npush.i 100000\nmod.i.v\npop.v.v unnamed.vmtest_gv\n"
         "push.v self.vmtest_gv\npush.v unnamed.vmtest_gv\nadd.v.v\npush.v unnamed.vmtest_gv\nadd.v.v\n"
         "pop.v.v self.vmtest_out",
         50 + 13 + 13,
         {VMRegisterStep::AddModuloStore}},
        // Values that hold text: the sites' general ways.
        {"texts",
         "call.i vmtest_text 0\npop.v.v self.vmtest_st\npush.v self.vmtest_st\npop.v.v self.vmtest_sb\n"
         "push.v self.vmtest_sa\npop.v.v self.vmtest_out",
         1000},
    };
    int32_t renew = -1;
    if (!Code_Function_Find("vmtest_renew", &renew)) Function_Add("vmtest_renew", RenewRoutine, 0);
    Variable_DeclareGlobalVar(Code_Variable_Find("vmtest_gv"));
    FakeWorld world;
    FakeInstance* a = world.Add(100001, 1);
    FakeInstance* b = world.Add(100002, 1);
    FakeInstance* c = world.Add(100003, 2);
    FakeInstance* d = world.Add(100004, 1);
    auto lay = [&] {
        world.Clear();
        Variable_GlobalList()->Clear();
        SetReal(*Variable_GlobalList(), "vmtest_gv", 7);
        SetReal(d->variables, "vmtest_gv", 50);
        SetReal(a->variables, "vmtest_sa", 1);
        SetReal(a->variables, "vmtest_sb", 2);
        SetReal(b->variables, "vmtest_sb", 20);
        SetReal(b->variables, "vmtest_sa", 10);
        SetReal(c->variables, "vmtest_sz", 0);
        SetReal(c->variables, "vmtest_sa", 100);
        SetReal(c->variables, "vmtest_sb", 200);
        for (const char* filler : {"vmtest_f0", "vmtest_f1", "vmtest_f2", "vmtest_f3", "vmtest_f4"})
            SetReal(d->variables, filler, -1);
        SetReal(d->variables, "vmtest_sa", 1000);
        SetReal(d->variables, "vmtest_sb", 2000);
    };
    auto dump = [&] { return DumpVariables({a, b, c, d}); };
    const uint8_t tracing = g_TraceFlag;
    for (const Case& row : cases) {
        for (bool traced : {false, true}) {
            std::string reference;
            for (const char* form : {"word loop", "translated", "prepared"}) {
                lay();
                g_VMTranslate = form[0] != 'w';
                g_TraceFlag = traced ? 1 : 0;
                Program program(row.source);
                SiteWalk walk = {{AsInstance(a), AsInstance(b), AsInstance(c), AsInstance(d), AsInstance(a), AsInstance(d)}};
                std::string errors;
                if (form[0] == 'p') {
                    VMPreparedRun* run = VM_PrepareRun("test", program.Code(), nullptr, "");
                    VM_ExecPreparedEach(run, SiteWalk::Next, &walk);
                    VM_FreePrepared(run);
                } else {
                    for (CInstance* self : walk.order) errors += program.Run(self, self, false).error;
                }
                g_TraceFlag = tracing;
                std::string left = dump();
                std::string where = std::string(row.label) + ", " + form + (traced ? ", traced" : "");
                EXPECT_EQ(errors, "") << where;
                std::vector<VMRegisterStep> steps = StepsOf(program);
                for (VMRegisterStep made : row.made)
                    EXPECT_EQ(std::count(steps.begin(), steps.end(), made) > 0, g_VMTranslate) << where;
                EXPECT_EQ(RealOf(d->variables, "vmtest_out"), row.last) << where;
                if (reference.empty())
                    reference = left;
                else
                    EXPECT_EQ(left, reference) << where;
            }
        }
    }
    world.Clear();
}

namespace {

// A walk handing instances in its order that, before it hands the one at `nestAt`, runs a row of its
// own: the inner program's prepared run over `inner`. vmtest_row() runs the same row from code.
struct NestingWalk {
    std::vector<CInstance*> order;
    size_t nestAt = SIZE_MAX;
    std::vector<CInstance*> inner;
    size_t next = 0;
    size_t innerNext = 0;
    static inline VMPreparedRun* s_Inner = nullptr;
    static inline NestingWalk* s_Current = nullptr;

    static CInstance* NextInner(void* walk)
    {
        NestingWalk& w = *static_cast<NestingWalk*>(walk);
        return w.innerNext < w.inner.size() ? w.inner[w.innerNext++] : nullptr;
    }
    void RunInner()
    {
        innerNext = 0;
        VM_ExecPreparedEach(s_Inner, NextInner, this);
    }
    static CInstance* Next(void* walk)
    {
        NestingWalk& w = *static_cast<NestingWalk*>(walk);
        if (w.next == w.nestAt) w.RunInner();
        return w.next < w.order.size() ? w.order[w.next++] : nullptr;
    }
    static void RowRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
    {
        s_Current->RunInner();
        result->real = 0;
    }
};

} // namespace

// A row of kept runs goes on from instance to instance in the register steps; a row run inside it,
// from a built-in its steps call or from the walk between two of its instances, is a row of its own,
// after which the outer row goes on with its next instance. Every form leaves what the word loop
// leaves.
TEST_F(TranslateTest, RowsOfKeptRunsGoOnAroundTheRowsNestedInThem)
{
    int32_t id = -1;
    if (!Code_Function_Find("vmtest_row", &id)) Function_Add("vmtest_row", NestingWalk::RowRoutine, 0);
    // sa += 1; if (sa == 11) sd = vmtest_row(); sc = sa * 2 + sb   (b's sa becomes 11)
    const std::string outer = "push.v self.vmtest_sa\npush.e 1\nadd.i.v\npop.v.v self.vmtest_sa\n"
                              "push.v self.vmtest_sa\npush.e 11\nseq.i.v\nbf done\ncall.i vmtest_row 0\n"
                              "pop.v.v self.vmtest_sd\ndone:\npush.v self.vmtest_sa\npush.e 2\nmul.i.v\n"
                              "push.v self.vmtest_sb\nadd.v.v\npop.v.v self.vmtest_sc";
    // sb = sb * 3 + 1, with a local between
    const std::string inner = "push.v self.vmtest_sb\npush.e 3\nmul.i.v\npop.v.v local.vmtest_la\n"
                              "push.v local.vmtest_la\npush.e 1\nadd.i.v\npop.v.v self.vmtest_sb";
    struct Case {
        const char* label;
        bool fromCode; // the inner row runs from vmtest_row (b's sa is 10), else from the walk before its
                       // third instance (b's sa is 20), the outer row in the steps alone
    } cases[] = {{"nested by a built-in", true}, {"nested by the walk", false}};
    FakeWorld world;
    FakeInstance* a = world.Add(100001, 1);
    FakeInstance* b = world.Add(100002, 1);
    FakeInstance* c = world.Add(100003, 1);
    FakeInstance* d = world.Add(100004, 1);
    auto dump = [&] { return DumpVariables({a, b, c, d}); };
    for (const Case& row : cases) {
        std::string reference;
        for (const char* form : {"word loop", "translated", "prepared"}) {
            world.Clear();
            for (FakeInstance* instance : {a, b, c, d}) {
                double n = instance->id - 100000;
                SetReal(instance->variables, "vmtest_sa", n != 2 ? n * 1000 : row.fromCode ? 10 : 20);
                SetReal(instance->variables, "vmtest_sb", n);
                SetReal(instance->variables, "vmtest_sc", 0);
                SetReal(instance->variables, "vmtest_sd", -1);
            }
            g_VMTranslate = form[0] != 'w';
            Program outerProgram(outer);
            Program innerProgram(inner);
            NestingWalk walk;
            walk.order = {AsInstance(a), AsInstance(b), AsInstance(c), AsInstance(d), AsInstance(d)};
            walk.inner = {AsInstance(c), AsInstance(d)};
            // From the walk: before the third instance, the row of the first two left clean.
            if (!row.fromCode) walk.nestAt = 2;
            NestingWalk::s_Current = &walk;
            NestingWalk::s_Inner = VM_PrepareRun("inner", innerProgram.Code(), nullptr, "");
            std::string errors;
            if (form[0] == 'p') {
                VMPreparedRun* run = VM_PrepareRun("outer", outerProgram.Code(), nullptr, "");
                VM_ExecPreparedEach(run, NestingWalk::Next, &walk);
                VM_FreePrepared(run);
            } else {
                while (CInstance* self = NestingWalk::Next(&walk)) errors += outerProgram.Run(self, self, false).error;
            }
            VM_FreePrepared(NestingWalk::s_Inner);
            NestingWalk::s_Current = nullptr;
            std::string where = std::string(row.label) + ", " + form;
            EXPECT_EQ(errors, "") << where;
            // d's sa stepped twice, its sb once by the inner row: 4 * 3 + 1.
            EXPECT_EQ(RealOf(d->variables, "vmtest_sc"), 4002 * 2 + 13) << where;
            EXPECT_EQ(RealOf(c->variables, "vmtest_sc"), 3001 * 2 + 10) << where;
            if (reference.empty())
                reference = dump();
            else
                EXPECT_EQ(dump(), reference) << where;
        }
    }
    world.Clear();
}
