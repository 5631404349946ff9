// The run loop: what a run hands back, built-in and script calls with their frames and argument
// slots, deep recursion over a growing stack, the message pump, and the error routine in its quiet
// and fatal forms.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "Code_InterpreterSupport.h"
#include "code/Code_Error.h"
#include "code/Code_ErrorPlaceholders.h"
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

// argument0 of the running script as a variable on the stack.
const char* const ARGUMENT0 = "push.e 0\nconv.i.v\ncall.i vmtest_arg 1\n";

int32_t g_PumpCalls = 0;
void CountPump() { ++g_PumpCalls; }

} // namespace

TEST_F(InterpreterTest, WhatARunHandsBack)
{
    // No code at all, and code that ends with an empty stack: the result is left alone.
    EXPECT_TRUE(RunProgram("").Untouched());
    RunOutcome empty = RunProgram("push.e 1\npopz.i");
    EXPECT_TRUE(empty.Untouched());
    EXPECT_EQ(empty.leftOnStack, 0);

    // An expression's variable left on the stack becomes the result.
    RunOutcome expression = RunProgram("push.d 2.5\nconv.d.v");
    EXPECT_EQ(expression.Real(), 2.5);
    EXPECT_EQ(expression.leftOnStack, 0);

    // ret at the outermost level ends the run with the value on top; nothing after it runs.
    RunOutcome returned = RunProgram("push.e 7\nconv.i.v\nret.v\ncall.i vmtest_record 0");
    EXPECT_EQ(returned.Real(), 7);
    EXPECT_EQ(LastCall().calls, 0);
    // A returned int32 reaches the caller as the real it holds, not as 16 bytes of stack.
    EXPECT_EQ(RunProgram("push.i 41\nret.i").Real(), 41);
    EXPECT_EQ(RunProgram("push.s \"done\"\nret.s").Text(), "done");

    // exit inside a construct leaves its counter on the stack; the result is not made of it.
    RunOutcome exited = RunProgram("push.e 3\nexit.i\n");
    EXPECT_TRUE(exited.Untouched());
}

TEST_F(InterpreterTest, AResultThatHeldATextIsReleasedWhenReplaced)
{
    Program program("push.d 4\nconv.d.v");
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    Value_SetText(&result, "an old text");
    VM_Exec("test", nullptr, nullptr, program.Code(), &result, nullptr, "");
    EXPECT_EQ(Value_GetKind(&result), VALUE_REAL);
    EXPECT_EQ(result.real, 4);
}

TEST_F(InterpreterTest, BuiltInCallsFromNoneToSixteenArguments)
{
    for (int32_t count = 0; count <= 16; ++count) {
        RunOutcome outcome = RunProgram(CallWithArguments("vmtest_record", count));
        ASSERT_FALSE(outcome.failed) << outcome.error;
        EXPECT_EQ(LastCall().argc, count);
        ASSERT_EQ(LastCall().reals.size(), static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) EXPECT_EQ(LastCall().reals[i], i + 1) << "argument " << i;
        // The arguments were replaced by the one result.
        EXPECT_EQ(outcome.Real(), count * (count + 1) / 2.0);
        EXPECT_EQ(outcome.leftOnStack, 0) << count << " arguments";
    }
}

TEST_F(InterpreterTest, BuiltInsSeeSelfAndOtherAndMayAnswerTexts)
{
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 0);
    FakeInstance* other = world.Add(100002, 0);
    RunProgram("call.i vmtest_record 0\npopz.v", AsInstance(self), AsInstance(other));
    EXPECT_EQ(LastCall().self, AsInstance(self));
    EXPECT_EQ(LastCall().other, AsInstance(other));
    EXPECT_EQ(RunProgram("call.i vmtest_text 0").Text(), "made by a routine");
    // String arguments are released after the call (the leak checker of the sanitizer build sees it).
    RunProgram("push.s \"kept\"\nconv.s.v\ncall.i vmtest_record 1\npopz.v");
    EXPECT_EQ(LastCall().texts.at(0), "kept");
}

// Game bytecode is not held to the registered count by any compiler: the call itself refuses it, so
// the routine never reads past its arguments.
TEST_F(InterpreterTest, ABuiltInCalledWithAnotherCountThanItsOwnStopsWithTheCallError)
{
    RunOutcome noArgument = RunProgram("push.e 0\nconv.i.v\ncall.i vmtest_text 1");
    EXPECT_TRUE(noArgument.failed);
    EXPECT_EQ(noArgument.error, "Wrong number of arguments to function or script.");
    RunOutcome twoArguments = RunProgram("push.e 0\nconv.i.v\npush.e 0\nconv.i.v\ncall.i vmtest_arg 2");
    EXPECT_TRUE(twoArguments.failed);
    EXPECT_EQ(twoArguments.error, "Wrong number of arguments to function or script.");
    LastCall() = CallRecord();
    EXPECT_FALSE(RunProgram("push.e 1\nconv.i.v\npush.e 2\nconv.i.v\ncall.i vmtest_record 2").failed)
        << "any count stays any count";
    EXPECT_EQ(LastCall().argc, 2);
}

TEST_F(InterpreterTest, ScriptsSeeTheirArgumentsAndTheCallerGetsItsOwnBack)
{
    ScriptTable scripts;
    int32_t probe = scripts.Add("probe", "call.i vmtest_record 0\npopz.v\n");
    // The caller is itself running with arguments 42 and 43.
    g_ScriptArguments[0] = ScriptValue{VALUE_REAL, 0, 42.0};
    g_ScriptArguments[1] = ScriptValue{VALUE_REAL, 0, 43.0};
    g_ScriptArgumentCount = 2;

    Program program(CallWithArguments(std::to_string(probe), 3) + "popz.v\ncall.i vmtest_record 0\npopz.v\n");
    // The first recording is the script's: stop after it by running the call alone.
    Program callOnly(CallWithArguments(std::to_string(probe), 3));
    RunOutcome call = callOnly.Run();
    ASSERT_FALSE(call.failed) << call.error;
    EXPECT_EQ(LastCall().argumentCount, 3);
    ASSERT_EQ(LastCall().slots.size(), 16u);
    EXPECT_EQ(LastCall().slots[0], 1);
    EXPECT_EQ(LastCall().slots[1], 2);
    EXPECT_EQ(LastCall().slots[2], 3);
    for (int32_t i = 3; i < 16; ++i) EXPECT_EQ(LastCall().slots[i], 0) << "argument " << i;
    // A script that ends without ret gives real 0.
    EXPECT_EQ(call.Real(), 0);

    program.Run();
    EXPECT_EQ(LastCall().argumentCount, 2);
    EXPECT_EQ(LastCall().slots[0], 42);
    EXPECT_EQ(LastCall().slots[1], 43);
    EXPECT_EQ(LastCall().slots[2], 0);
    EXPECT_EQ(g_ScriptArgumentCount, 2);
}

TEST_F(InterpreterTest, ScriptReturnsExitsAndScriptsWithoutCode)
{
    ScriptTable scripts;
    int32_t twice = scripts.Add("twice", std::string(ARGUMENT0) + "push.e 2\nmul.i.v\nret.v\npush.e 9\nconv.i.v\n");
    int32_t asInt = scripts.Add("as_int", "push.i 17\nret.i\n");
    int32_t leaves = scripts.Add("leaves", "push.e 5\nexit.i\ncall.i vmtest_record 0\n");
    int32_t empty = scripts.Add("empty", "");

    EXPECT_EQ(RunProgram("push.e 21\nconv.i.v\ncall.i " + std::to_string(twice) + " 1").Real(), 42);
    EXPECT_EQ(RunProgram("call.i " + std::to_string(asInt) + " 0").Real(), 17);
    RunOutcome exited = RunProgram("call.i " + std::to_string(leaves) + " 0\ncall.i vmtest_record 0\npopz.v\n");
    EXPECT_EQ(LastCall().calls, 1); // the caller's, not the script's
    EXPECT_EQ(exited.leftOnStack, 0);
    // Without bytecode the arguments are dropped and real 0 stands in their place.
    RunOutcome none = RunProgram("push.s \"x\"\nconv.s.v\npush.e 1\nconv.i.v\ncall.i " + std::to_string(empty) + " 2");
    EXPECT_EQ(none.Real(), 0);
    EXPECT_EQ(none.leftOnStack, 0);
}

TEST_F(InterpreterTest, RecursionTenThousandDeepKeepsEveryValue)
{
    ScriptTable scripts;
    // sum(n) = n + sum(n - 1), sum(0) = 0: every level's argument survives the stack growing under it.
    int32_t id = CALLABLE_SCRIPT_BASE;
    scripts.Add("sum", std::string(ARGUMENT0) + "push.e 0\nsgt.i.v\nbf zero\n" + ARGUMENT0 + "push.e 1\nsub.i.v\n" +
                           "call.i " + std::to_string(id) + " 1\n" + ARGUMENT0 + "add.v.v\nret.v\n" +
                           "zero:\npush.e 0\nconv.i.v\nret.v\n");
    uint32_t before = VM_StackHighWater();
    RunOutcome outcome = RunProgram("push.i 10000\nconv.i.v\ncall.i " + std::to_string(id) + " 1");
    ASSERT_FALSE(outcome.failed) << outcome.error;
    EXPECT_EQ(outcome.Real(), 10000.0 * 10001.0 / 2.0);
    EXPECT_EQ(outcome.leftOnStack, 0);
    EXPECT_GT(VM_StackHighWater(), before);
    EXPECT_GT(VM_StackHighWater(), 10000u * 256u); // every frame holds the caller's 16 arguments
}

TEST_F(InterpreterTest, RunawayRecursionEndsInAStackOverflow)
{
    ScriptTable scripts;
    int32_t id = scripts.Add("forever", "push.s \"held\"\nconv.s.v\ncall.i 100000 1\npopz.v\n");
    g_ScriptArguments[0] = ScriptValue{VALUE_REAL, 0, 6.0};
    g_ScriptArgumentCount = 1;
    RunOutcome outcome = RunProgram("call.i " + std::to_string(id) + " 0\ncall.i vmtest_record 0");
    EXPECT_EQ(outcome.error, "Stack overflow...");
    EXPECT_EQ(LastCall().calls, 0);
    // Every frame was unwound: the caller's arguments are back (each level's text released).
    EXPECT_EQ(g_ScriptArguments[0].real, 6);
    EXPECT_EQ(g_ScriptArgumentCount, 1);
}

TEST_F(InterpreterTest, MoreThanSixteenScriptArgumentsInstallSixteen)
{
    ScriptTable scripts;
    int32_t probe = scripts.Add("probe", "call.i vmtest_record 0\npopz.v\n");
    // 17 arguments, the deepest a text that is released rather than written past the slots.
    Program seventeen("push.s \"dropped\"\nconv.s.v\n" + CallWithArguments(std::to_string(probe), 16));
    VMAssembly& assembly = seventeen.Assembly();
    int32_t callAt = assembly.Size() - 8;
    assembly.code->PatchWord(callAt, VM_MakeWord(VM_OP_CALL, VM_TYPE_INT, 0, 17));
    RunOutcome outcome = seventeen.Run();
    ASSERT_FALSE(outcome.failed) << outcome.error;
    EXPECT_EQ(LastCall().slots[0], 1);
    EXPECT_EQ(LastCall().slots[15], 16);
    EXPECT_EQ(outcome.leftOnStack, 0);
}

TEST_F(InterpreterTest, CallErrors)
{
    EXPECT_EQ(RunProgram("call.i 100999 0").error, "call to non-existent script\n");
    EXPECT_EQ(RunProgram("call.i 99999 0").error, "call to non-existent function\n");
    EXPECT_EQ(RunProgram("call.b 0 0").error, "DoCall :: Execution Engine type error");
    // More arguments than the stack holds.
    EXPECT_EQ(RunProgram("call.i vmtest_record 3").error, "Stack underflow...");
    EXPECT_EQ(LastCall().calls, 0);
}

TEST_F(InterpreterTest, AnErrorInAScriptStopsTheWholeRunAndUnwindsItsFrames)
{
    ScriptTable scripts;
    int32_t inner = scripts.Add("inner", "push.d 1\npush.d 0\ndiv.d.d\npopz.d\ncall.i vmtest_record 0\n");
    int32_t outer = scripts.Add("outer", "push.e 8\nconv.i.v\ncall.i " + std::to_string(inner) + " 1\npopz.v\n");
    g_ScriptArguments[0] = ScriptValue{VALUE_REAL, 0, 5.0};
    g_ScriptArgumentCount = 1;
    RunOutcome outcome = RunProgram("push.e 9\nconv.i.v\ncall.i " + std::to_string(outer) + " 1\ncall.i vmtest_record 0");
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.error, "DoDiv :: Divide by zero");
    EXPECT_EQ(LastCall().calls, 0);
    EXPECT_TRUE(outcome.Untouched());
    // The caller's arguments are back, as every frame's exit would have left them.
    EXPECT_EQ(g_ScriptArguments[0].real, 5);
    EXPECT_EQ(g_ScriptArguments[1].real, 0);
    EXPECT_EQ(g_ScriptArgumentCount, 1);
    // The next run starts from a clean state.
    EXPECT_EQ(RunProgram("push.e 3\nconv.i.v").Real(), 3);
}

TEST_F(InterpreterTest, StackUnderflowAndCodeThatEndsInsideAnInstruction)
{
    EXPECT_EQ(RunProgram("popz.v").error, "Stack underflow...");
    // A computation on an empty stack is caught before anything else runs.
    RunOutcome add = RunProgram("add.i.i\ncall.i vmtest_record 0");
    EXPECT_EQ(add.error, "Stack underflow...");
    EXPECT_EQ(LastCall().calls, 0);
    EXPECT_EQ(RunProgram(".word 0xC0000000").error, "Execution Error - Instruction runs past the end of the code");
    // Branches that leave the code end the run.
    EXPECT_FALSE(RunProgram("b 100\ncall.i vmtest_record 0").failed);
    EXPECT_FALSE(RunProgram("b -5").failed);
    EXPECT_EQ(LastCall().calls, 0);
}

TEST_F(InterpreterTest, MessagesArePumpedEvery4096Branches)
{
    void (*saved)() = g_VMMessagePump;
    g_VMMessagePump = CountPump;
    g_PumpCalls = 0;
    uint32_t before = VM_BranchCount();
    // A loop of a million rounds: a counter in a global, one bf and one b per round.
    RunOutcome outcome = RunProgram("push.e 0\nconv.i.v\npop.v.v global.vmtest_i\n"
                                    "top:\npush.v global.vmtest_i\npush.i 1000000\nslt.i.v\nbf end\n"
                                    "push.v global.vmtest_i\npush.e 1\nadd.i.v\npop.v.v global.vmtest_i\nb top\nend:\n");
    g_VMMessagePump = saved;
    ASSERT_FALSE(outcome.failed) << outcome.error;
    uint32_t after = VM_BranchCount();
    EXPECT_EQ(after - before, 2000001u);
    EXPECT_EQ(g_PumpCalls, static_cast<int32_t>(after / 4096 - before / 4096));
    EXPECT_GE(g_PumpCalls, 488);
    EXPECT_EQ(outcome.leftOnStack, 0);
}

namespace {

std::vector<std::string> g_FrameNames;
void FramesRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    std::vector<VMErrorFrame> frames;
    VM_GetErrorFrames(frames);
    g_FrameNames.clear();
    for (const VMErrorFrame& frame : frames) g_FrameNames.push_back(frame.name != nullptr ? frame.name : "");
}

} // namespace

TEST_F(InterpreterTest, ErrorFramesListTheRunningCodeThenItsCallers)
{
    int32_t id = -1;
    if (!Code_Function_Find("vmtest_frames", &id)) Function_Add("vmtest_frames", FramesRoutine, 0);
    ScriptTable scripts;
    int32_t deep = scripts.Add("deep", "call.i vmtest_frames 0\npopz.v\n");
    int32_t middle = scripts.Add("middle", "call.i " + std::to_string(deep) + " 0\npopz.v\n");
    RunProgram("call.i " + std::to_string(middle) + " 0\npopz.v");
    EXPECT_EQ(g_FrameNames, (std::vector<std::string>{"deep", "middle", "test"}));
    std::vector<VMErrorFrame> none;
    VM_GetErrorFrames(none);
    EXPECT_TRUE(none.empty());
}

namespace {

// Writes what reaches it to the standard error, where the death test looks.
class StderrConsole : public tagIConsole {
public:
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char* format, ...) override
    {
        va_list args;
        va_start(args, format);
        std::vfprintf(stderr, format, args);
        va_end(args);
    }
};

void RunFatally(const char* source)
{
    static StderrConsole console;
    ScriptConsole = &console;
    g_GameOptions.showErrors = false;
    Debug_EvaluatingExpression = 0;
    Program program(source);
    VM_Exec("fatal_code", nullptr, nullptr, program.Code(), nullptr, nullptr, "");
}

} // namespace

TEST_F(InterpreterTest, OutsideTheDebuggerAnErrorEndsTheProcessWithMinusOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunFatally("push.s \"a\"\nneg.s"), ::testing::ExitedWithCode(255),
                "ERROR!!! :: .*FATAL ERROR in.*DoNeg :: Execution Engine - Cannot operate on string type.*at fatal_code");
}
