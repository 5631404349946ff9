// The run loop: what a run hands back, built-in and script calls with their frames and argument
// slots, deep recursion over a growing stack, the message pump, the error routine in its quiet and
// fatal forms, and the loop's handlers made for one opcode and pair of types.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>

#include "Code_InterpreterSupport.h"
#include "code/Code_Error.h"
#include "code/Code_ErrorSources.h"
#include "gamefile/GameFile_Options.h"

using namespace vmtest;

namespace {

// n arguments, argument i holding real i + 1 (pushed last first), then the call.
std::string CallWithArguments(const std::string& callable, int32_t count)
{
    std::string source;
    for (int32_t i = count - 1; i >= 0; --i) source += "push.i " + std::to_string(i + 1) + "\nconv.i.v\n";
    return source + "call.i " + callable + " " + std::to_string(count) + "\n";
}
std::string Call(int32_t script, int32_t count) { return "call.i " + std::to_string(script) + " " + std::to_string(count) + "\n"; }

// argument0 of the running script as a variable on the stack.
const std::string ARGUMENT0 = "push.e 0\nconv.i.v\ncall.i vmtest_arg 1\n";

int32_t g_PumpCalls = 0;
void CountPump() { ++g_PumpCalls; }

TEST_F(InterpreterTest, WhatARunHandsBack)
{
    // No code at all, and code that ends with an empty stack: the result is left alone.
    EXPECT_TRUE(RunProgram("").Untouched());
    EXPECT_TRUE(RunProgram("push.e 1\npopz.i").Untouched());
    // An expression's variable left on the stack becomes the result.
    EXPECT_EQ(RunProgram("push.d 2.5\nconv.d.v").Real(), 2.5);
    // ret at the outermost level ends the run with the value on top; nothing after it runs. A
    // returned int32 reaches the caller as the real it holds, not as 16 bytes of stack.
    EXPECT_EQ(RunProgram("push.e 7\nconv.i.v\nret.v\ncall.i vmtest_record 0").Real(), 7);
    EXPECT_EQ(LastCall().calls, 0);
    EXPECT_EQ(RunProgram("push.i 41\nret.i").Real(), 41);
    // exit inside a construct leaves its counter on the stack; the result is not made of it.
    EXPECT_TRUE(RunProgram("push.e 3\nexit.i\n").Untouched());
    // A result that held a text is released when replaced.
    Program program("push.d 4\nconv.d.v");
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    Value_SetText(&result, "an old text");
    VM_Exec("test", nullptr, nullptr, program.Code(), &result, nullptr, "");
    EXPECT_EQ(Value_GetKind(&result), VALUE_REAL);
    EXPECT_EQ(result.real, 4);
}

TEST_F(InterpreterTest, BuiltInCalls)
{
    for (int32_t count : {0, 1, 16}) {
        RunOutcome outcome = RunProgram(CallWithArguments("vmtest_record", count));
        ASSERT_FALSE(outcome.failed) << outcome.error;
        EXPECT_EQ(LastCall().argc, count);
        ASSERT_EQ(LastCall().reals.size(), static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) EXPECT_EQ(LastCall().reals[i], i + 1) << "argument " << i;
        // The arguments were replaced by the one result.
        EXPECT_EQ(outcome.Real(), count * (count + 1) / 2.0);
        EXPECT_EQ(outcome.leftOnStack, 0) << count << " arguments";
    }
    FakeWorld world;
    CInstance* self = AsInstance(world.Add(100001, 0));
    CInstance* other = AsInstance(world.Add(100002, 0));
    RunProgram("call.i vmtest_record 0\npopz.v", self, other);
    EXPECT_EQ(LastCall().self, self);
    EXPECT_EQ(LastCall().other, other);
    EXPECT_EQ(RunProgram("call.i vmtest_text 0").Text(), "made by a routine");
    // String arguments are released after the call (the leak checker of the sanitizer build sees it).
    RunProgram("push.s \"kept\"\nconv.s.v\ncall.i vmtest_record 1\npopz.v");
    EXPECT_EQ(LastCall().texts.at(0), "kept");
    // Game files call rows with other counts than the row's: a fixed-count routine is handed its
    // row's count, missing arguments as real 0 and extra ones (a text here, which the leak checker
    // watches) freed unseen; the stack keeps only the result. Any count stays the call's count.
    struct CountCase {
        const char* pushed; // argument 0 pushed last
        int32_t count;
        std::vector<double> seen;
    };
    const CountCase counts[] = {
        {"", 0, {0, 0}},
        {"push.e 5\nconv.i.v\n", 1, {5, 0}},
        {"push.e 6\nconv.i.v\npush.e 5\nconv.i.v\n", 2, {5, 6}},
        {"push.s \"extra\"\nconv.s.v\npush.e 6\nconv.i.v\npush.e 5\nconv.i.v\n", 3, {5, 6}},
    };
    for (const CountCase& c : counts) {
        RunOutcome outcome = RunProgram(std::string(c.pushed) + "call.i vmtest_pair " + std::to_string(c.count));
        ASSERT_FALSE(outcome.failed) << c.count << " arguments: " << outcome.error;
        EXPECT_EQ(LastCall().argc, 2) << c.count << " arguments";
        EXPECT_EQ(LastCall().reals, c.seen) << c.count << " arguments";
        EXPECT_EQ(outcome.Real(), c.seen[0] + c.seen[1]);
        EXPECT_EQ(outcome.leftOnStack, 0) << c.count << " arguments";
    }
    // Arguments above a 4-byte item lie unaligned and are copied: the same counts hold there.
    for (const CountCase& c : counts) {
        std::string program = "push.e 1\n" + std::string(c.pushed) + "call.i vmtest_pair " + std::to_string(c.count);
        ASSERT_FALSE(RunProgram(program + "\npopz.v\npopz.i").failed) << c.count << " arguments";
        EXPECT_EQ(LastCall().reals, c.seen) << c.count << " unaligned arguments";
    }
    EXPECT_FALSE(RunProgram("push.e 1\nconv.i.v\npush.e 2\nconv.i.v\ncall.i vmtest_record 2").failed);
    EXPECT_EQ(LastCall().argc, 2);
    EXPECT_EQ(RunProgram("call.i 100999 0").error, "call to non-existent script\n");
    EXPECT_EQ(RunProgram("call.i 99999 0").error, "call to non-existent function\n");
    EXPECT_EQ(RunProgram("call.b 0 0").error, "DoCall :: Execution Engine type error");
    LastCall() = CallRecord();
    EXPECT_EQ(RunProgram("call.i vmtest_record 3").error, "Stack underflow..."); // more arguments than the stack holds
    EXPECT_EQ(LastCall().calls, 0);
}

TEST_F(InterpreterTest, ScriptsSeeTheirArgumentsAndTheCallerGetsItsOwnBack)
{
    ScriptTable scripts;
    int32_t probe = scripts.Add("probe", "call.i vmtest_record 0\npopz.v\n");
    // The caller is itself running with arguments 42 and 43.
    g_ScriptArguments[0] = ScriptValue{VALUE_REAL, 0, 42.0};
    g_ScriptArguments[1] = ScriptValue{VALUE_REAL, 0, 43.0};
    g_ScriptArgumentCount = 2;
    RunOutcome call = RunProgram(CallWithArguments(std::to_string(probe), 3));
    ASSERT_FALSE(call.failed) << call.error;
    EXPECT_EQ(LastCall().argumentCount, 3);
    EXPECT_EQ(LastCall().slots, (std::vector<double>{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(call.Real(), 0); // a script that ends without ret gives real 0
    RunProgram(CallWithArguments(std::to_string(probe), 3) + "popz.v\ncall.i vmtest_record 0\npopz.v\n");
    EXPECT_EQ(LastCall().argumentCount, 2);
    EXPECT_EQ(LastCall().slots[0], 42);
    EXPECT_EQ(LastCall().slots[1], 43);
    EXPECT_EQ(g_ScriptArgumentCount, 2);
    // More than sixteen arguments install sixteen; the deepest, a text, is released rather than
    // written past the slots.
    Program seventeen("push.s \"dropped\"\nconv.s.v\n" + CallWithArguments(std::to_string(probe), 16));
    seventeen.Assembly().code->PatchWord(seventeen.Assembly().Size() - 8, VM_MakeWord(VM_OP_CALL, VM_TYPE_INT, 0, 17));
    RunOutcome outcome = seventeen.Run();
    ASSERT_FALSE(outcome.failed) << outcome.error;
    EXPECT_EQ(LastCall().slots[0], 1);
    EXPECT_EQ(LastCall().slots[15], 16);
    EXPECT_EQ(outcome.leftOnStack, 0);
}

TEST_F(InterpreterTest, ScriptReturnsExitsAndScriptsWithoutCode)
{
    ScriptTable scripts;
    int32_t twice = scripts.Add("twice", ARGUMENT0 + "push.e 2\nmul.i.v\nret.v\npush.e 9\nconv.i.v\n");
    int32_t asInt = scripts.Add("as_int", "push.i 17\nret.i\n");
    int32_t leaves = scripts.Add("leaves", "push.e 5\nexit.i\ncall.i vmtest_record 0\n");
    int32_t empty = scripts.Add("empty", "");
    EXPECT_EQ(RunProgram("push.e 21\nconv.i.v\n" + Call(twice, 1)).Real(), 42);
    EXPECT_EQ(RunProgram(Call(asInt, 0)).Real(), 17);
    RunOutcome exited = RunProgram(Call(leaves, 0) + "call.i vmtest_record 0\npopz.v\n");
    EXPECT_EQ(LastCall().calls, 1); // the caller's, not the script's
    EXPECT_EQ(exited.leftOnStack, 0);
    // Without bytecode the arguments are dropped and real 0 stands in their place.
    RunOutcome none = RunProgram("push.s \"x\"\nconv.s.v\npush.e 1\nconv.i.v\n" + Call(empty, 2));
    EXPECT_EQ(none.Real(), 0);
    EXPECT_EQ(none.leftOnStack, 0);
}

TEST_F(InterpreterTest, RecursionTenThousandDeepAndRunawayRecursion)
{
    ScriptTable scripts;
    // sum(n) = n + sum(n - 1), sum(0) = 0: every level's argument survives the stack growing under it.
    int32_t sum = scripts.Add("sum", ARGUMENT0 + "push.e 0\nsgt.i.v\nbf zero\n" + ARGUMENT0 + "push.e 1\nsub.i.v\n" +
                                         Call(CALLABLE_SCRIPT_BASE, 1) + ARGUMENT0 + "add.v.v\nret.v\nzero:\npush.e 0\nconv.i.v\nret.v\n");
    uint32_t before = VM_StackHighWater();
    RunOutcome outcome = RunProgram("push.i 10000\nconv.i.v\n" + Call(sum, 1));
    ASSERT_FALSE(outcome.failed) << outcome.error;
    EXPECT_EQ(outcome.Real(), 10000.0 * 10001.0 / 2.0);
    EXPECT_EQ(outcome.leftOnStack, 0);
    EXPECT_GT(VM_StackHighWater(), before);
    EXPECT_GT(VM_StackHighWater(), 10000u * 256u); // every frame holds the caller's 16 arguments
    // Runs start below the depth already counted: a second run as deep, in a region released to its
    // small size, must still grow it (and count nothing new).
    uint32_t counted = VM_StackHighWater();
    for (int32_t depth : {10, 10000, 20000}) {
        RunOutcome again = RunProgram("push.i " + std::to_string(depth) + "\nconv.i.v\n" + Call(sum, 1));
        ASSERT_FALSE(again.failed) << depth << ": " << again.error;
        EXPECT_EQ(again.Real(), depth * (depth + 1.0) / 2.0);
        EXPECT_EQ(again.leftOnStack, 0);
    }
    EXPECT_GT(VM_StackHighWater(), counted); // 20,000 levels reach further

    int32_t forever = scripts.Add("forever", "push.s \"held\"\nconv.s.v\n" + Call(CALLABLE_SCRIPT_BASE + 1, 1) + "popz.v\n");
    g_ScriptArguments[0] = ScriptValue{VALUE_REAL, 0, 6.0};
    g_ScriptArgumentCount = 1;
    RunOutcome runaway = RunProgram(Call(forever, 0) + "call.i vmtest_record 0");
    EXPECT_EQ(runaway.error, "Stack overflow...");
    EXPECT_EQ(LastCall().calls, 0);
    // Every frame was unwound: the caller's arguments are back (each level's text released).
    EXPECT_EQ(g_ScriptArguments[0].real, 6);
    EXPECT_EQ(g_ScriptArgumentCount, 1);
}

TEST_F(InterpreterTest, ErrorsStopTheWholeRunAndUnwindItsFrames)
{
    ScriptTable scripts;
    int32_t inner = scripts.Add("inner", "push.d 1\npush.d 0\ndiv.d.d\npopz.d\ncall.i vmtest_record 0\n");
    int32_t outer = scripts.Add("outer", "push.e 8\nconv.i.v\n" + Call(inner, 1) + "popz.v\n");
    g_ScriptArguments[0] = ScriptValue{VALUE_REAL, 0, 5.0};
    g_ScriptArgumentCount = 1;
    RunOutcome outcome = RunProgram("push.e 9\nconv.i.v\n" + Call(outer, 1) + "call.i vmtest_record 0");
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.error, "DoDiv :: Divide by zero");
    EXPECT_EQ(LastCall().calls, 0);
    EXPECT_TRUE(outcome.Untouched());
    // The caller's arguments are back, as every frame's exit would have left them.
    EXPECT_EQ(g_ScriptArguments[0].real, 5);
    EXPECT_EQ(g_ScriptArguments[1].real, 0);
    EXPECT_EQ(g_ScriptArgumentCount, 1);
    EXPECT_EQ(RunProgram("push.e 3\nconv.i.v").Real(), 3); // the next run starts from a clean state
    // A computation on an empty stack is caught before anything else runs.
    EXPECT_EQ(RunProgram("popz.v").error, "Stack underflow...");
    EXPECT_EQ(RunProgram("add.i.i\ncall.i vmtest_record 0").error, "Stack underflow...");
    EXPECT_EQ(RunProgram(".word 0xC0000000").error, "Execution Error - Instruction runs past the end of the code");
    // Branches that leave the code end the run.
    EXPECT_FALSE(RunProgram("b 100\ncall.i vmtest_record 0").failed);
    EXPECT_FALSE(RunProgram("b -5").failed);
    EXPECT_EQ(LastCall().calls, 0);
}

std::vector<std::string> g_FrameNames;
void FramesRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    std::vector<VMErrorFrame> frames;
    VM_GetErrorFrames(frames);
    g_FrameNames.clear();
    for (const VMErrorFrame& frame : frames) g_FrameNames.push_back(frame.name != nullptr ? frame.name : "");
}

TEST_F(InterpreterTest, ErrorFramesListTheRunningCodeThenItsCallers)
{
    int32_t id = -1;
    if (!Code_Function_Find("vmtest_frames", &id)) Function_Add("vmtest_frames", FramesRoutine, 0);
    ScriptTable scripts;
    int32_t deep = scripts.Add("deep", "call.i vmtest_frames 0\npopz.v\n");
    int32_t middle = scripts.Add("middle", Call(deep, 0) + "popz.v\n");
    RunProgram(Call(middle, 0) + "popz.v");
    EXPECT_EQ(g_FrameNames, (std::vector<std::string>{"deep", "middle", "test"}));
    std::vector<VMErrorFrame> none;
    VM_GetErrorFrames(none);
    EXPECT_TRUE(none.empty());
}

// A loop of rounds with a counter: the comparison at the top (bf out of the loop) or at the bottom
// (bt back), each branch counted and messages pumped every 4096 branches.
TEST_F(InterpreterTest, MessagesArePumpedEvery4096Branches)
{
    const std::pair<std::string, uint32_t> loops[] = {
        {"push.e 0\npop.v.i local.vmseq_n\ntop:\npush.v local.vmseq_n\npush.i 10000\nslt.i.v\nbf out\npush.v local.vmseq_n\n"
         "push.e 1\nadd.i.v\npop.v.v local.vmseq_n\nb top\nout:\npush.v local.vmseq_n\n", 20001},
        {"push.e 0\npop.v.i local.vmseq_n\ntop:\npush.v local.vmseq_n\npush.e 1\nadd.i.v\npop.v.v local.vmseq_n\n"
         "push.v local.vmseq_n\npush.i 10000\nslt.i.v\nbt top\npush.v local.vmseq_n\n", 10000},
    };
    void (*saved)() = g_VMMessagePump;
    g_VMMessagePump = CountPump;
    for (const auto& [source, branches] : loops) {
        g_PumpCalls = 0;
        uint32_t before = VM_BranchCount();
        RunOutcome outcome = RunProgram(source);
        uint32_t after = VM_BranchCount();
        ASSERT_FALSE(outcome.failed) << outcome.error;
        EXPECT_EQ(outcome.Real(), 10000);
        EXPECT_EQ(after - before, branches);
        EXPECT_EQ(g_PumpCalls, static_cast<int32_t>(after / 4096 - before / 4096));
        EXPECT_GE(g_PumpCalls, 2);
    }
    g_VMMessagePump = saved;
}

void RunFatally(const char* source)
{
    static StderrConsole console;
    ScriptConsole = &console;
    g_GameOptions.showErrors = false;
    Debug_EvaluatingExpression = 0;
    Program program(source);
    VM_Exec("fatal_code", nullptr, nullptr, program.Code(), nullptr, nullptr, "");
}

TEST_F(InterpreterTest, OutsideTheDebuggerAnErrorEndsTheProcessWithMinusOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunFatally("push.s \"a\"\nneg.s"), ::testing::ExitedWithCode(255),
                "ERROR!!! :: .*FATAL ERROR in.*DoNeg :: Execution Engine - Cannot operate on string type.*at fatal_code");
}

// Every opcode with its own handlers, on every pair of int32, double and variable, with operands
// that tell left from right: a handler reached for the wrong pair reads the wrong sizes.
TEST_F(InterpreterTest, EveryTypedHandlerTakesItsOperandsInOrder)
{
    const std::pair<char, std::string> operands[] = {{'i', "push.i %d\n"}, {'d', "push.d %d\n"}, {'v', "push.d %d\nconv.d.v\n"}};
    const struct {
        const char* op;
        double whole, real; // 7 op 2 on two int32, and otherwise
        bool compare;
    } rows[] = {{"add", 9, 9, false}, {"sub", 5, 5, false}, {"mul", 14, 14, false}, {"div", 3, 3.5, false},
                {"rem", 3, 3, false}, {"mod", 1, 1, false}, {"slt", 0, 0, true},    {"sle", 0, 0, true},
                {"seq", 0, 0, true},  {"sne", 1, 1, true},  {"sge", 1, 1, true},    {"sgt", 1, 1, true}};
    for (const auto& row : rows) {
        for (const auto& [left, leftPush] : operands) {
            for (const auto& [right, rightPush] : operands) {
                char source[160];
                std::snprintf(source, sizeof source, (leftPush + rightPush + "%s.%c.%c\n").c_str(), 7, 2, row.op, right, left);
                std::string code = source;
                char result = row.compare ? 'b' : left == 'v' || right == 'v' ? 'v' : left == 'i' && right == 'i' ? 'i' : 'd';
                if (result != 'v') code += std::string("conv.") + result + ".v\n";
                RunOutcome outcome = RunProgram(code);
                SCOPED_TRACE(code);
                ASSERT_FALSE(outcome.failed) << outcome.error;
                EXPECT_EQ(outcome.Real(), left == 'i' && right == 'i' ? row.whole : row.real);
                EXPECT_EQ(outcome.leftOnStack, 0);
            }
        }
    }
    // A variable holding text, a zero divisor and an array reach the general routine's answers.
    EXPECT_EQ(RunProgram("push.s \"a\"\nconv.s.v\npush.s \"b\"\nconv.s.v\nadd.v.v\n").Text(), "ab");
    EXPECT_EQ(RunProgram("push.d 1\nconv.d.v\npush.i 0\ndiv.i.v\n").error, "DoDiv :: Divide by zero");
    EXPECT_EQ(RunProgram("push.i 1\npush.i 0\nrem.i.i\nconv.i.v\n").error, "DoRem :: Divide by zero");
    EXPECT_EQ(RunProgram("push.s \"c\"\nconv.s.v\npush.s \"b\"\nconv.s.v\nsgt.v.v\nconv.b.v\n").Real(), 1);
    // A typed pop into a slot that held text frees it and takes the number.
    RunOutcome popped = RunProgram("push.s \"old\"\nconv.s.v\npop.v.v global.vmfast_g\npush.i 3\npop.v.i global.vmfast_g\n"
                                   "push.d 2.5\npop.v.d local.vmfast_l\npush.v local.vmfast_l\npush.v global.vmfast_g\nadd.v.v\n");
    ASSERT_FALSE(popped.failed) << popped.error;
    EXPECT_EQ(popped.Real(), 5.5);
}

} // namespace
