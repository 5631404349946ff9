// The execution entry points: constants, code without bytecode, compiled source run by the
// interpreter, the tree-walking executor's internal errors and what the two wrappers make of a
// failure.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Code_InterpreterSupport.h"
#include "app/App_CommandLine.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Tree.h"
#include "gamefile/GameFile_Options.h"

using namespace vmtest;

namespace {

class ExecuteTest : public InterpreterTest {
protected:
    void SetUp() override
    {
        InterpreterTest::SetUp();
        if (Constant_Count() == 0) Constant_Init(); // self, global and the other names of instances
        m_SavedExecutor = g_UseBytecode;
        m_SavedShowErrors = g_GameOptions.showErrors;
        g_GameOptions.showErrors = false;
        g_UseBytecode = 1;
        g_ErrorLast.clear();
    }
    void TearDown() override
    {
        g_UseBytecode = m_SavedExecutor;
        g_GameOptions.showErrors = m_SavedShowErrors;
        InterpreterTest::TearDown();
    }

    // A code object compiled from source; the text must outlive it, so the fixture keeps it.
    std::unique_ptr<CCode> Compiled(const std::string& source, bool expression)
    {
        m_Texts.push_back(std::make_unique<std::string>(source));
        auto code = std::make_unique<CCode>(m_Texts.back()->c_str(), expression);
        EXPECT_TRUE(code->Compile("test_code")) << g_CodeErrorText;
        return code;
    }

    uint8_t m_SavedExecutor = 1;
    bool m_SavedShowErrors = true;
    std::vector<std::unique_ptr<std::string>> m_Texts;
};

} // namespace

TEST_F(ExecuteTest, AConstantExpressionIsCopiedByEitherExecutor)
{
    for (uint8_t executor : {1, 0}) {
        g_UseBytecode = executor;
        std::unique_ptr<CCode> code = Compiled("42", true);
        EXPECT_EQ(code->m_Kind, CODE_KIND_CONSTANT);
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        EXPECT_TRUE(Code_Execute(nullptr, nullptr, code.get(), &result));
        EXPECT_EQ(result.real, 42);
        std::unique_ptr<CCode> text = Compiled("\"words\"", true);
        EXPECT_TRUE(Code_Execute(nullptr, nullptr, text.get(), &result));
        EXPECT_EQ(TextOf(result), "words");
        Value_Free(&result);
    }
}

TEST_F(ExecuteTest, CodeWithoutBytecodeSucceedsAndLeavesTheResult)
{
    std::unique_ptr<CCode> code = Compiled("", false);
    EXPECT_EQ(code->m_pCode, nullptr);
    ScriptValue result = {VALUE_REAL, 0, 5.0};
    EXPECT_TRUE(Code_Execute(nullptr, nullptr, code.get(), &result));
    EXPECT_EQ(result.real, 5);
}

TEST_F(ExecuteTest, CompiledSourceRunsInTheInterpreter)
{
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    std::unique_ptr<CCode> expression = Compiled("2 + 3 * global.vmtest_k", true);
    SetReal(*Variable_GlobalList(), "vmtest_k", 4);
    EXPECT_TRUE(Code_Execute(nullptr, nullptr, expression.get(), &result));
    EXPECT_EQ(result.real, 14);

    std::unique_ptr<CCode> program = Compiled("var i; global.vmtest_sum = 0;\n"
                                              "for (i = 0; i < 10; i += 1) global.vmtest_sum += i;\n"
                                              "repeat (3) { global.vmtest_sum += 100 }\n"
                                              "switch (global.vmtest_sum) { case 345: global.vmtest_word = \"matched\"; break;\n"
                                              "default: global.vmtest_word = \"missed\" }\n"
                                              "with (global.vmtest_sum) { global.vmtest_word = \"no instance runs this\" }\n"
                                              "return global.vmtest_word",
                                              false);
    EXPECT_TRUE(Code_Execute(nullptr, nullptr, program.get(), &result));
    EXPECT_EQ(Global("vmtest_sum"), 345);
    EXPECT_EQ(TextOf(result), "matched");
    EXPECT_EQ(VM_LastRunStackBytes(), 0);
    Value_Free(&result);
}

TEST_F(ExecuteTest, TheTreeWalkerRefusesUncompiledCodeAndAbsentInstances)
{
    g_UseBytecode = 0;
    std::string source = "global.vmtest_q = 1";
    CCode raw(source.c_str(), false);
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    EXPECT_FALSE(Code_Execute(nullptr, nullptr, &raw, &result));
    EXPECT_NE(g_CodeErrorText.find("Internal Error: Executing non-compiled code->"), std::string::npos);

    std::unique_ptr<CCode> program = Compiled(source, false);
    EXPECT_FALSE(Code_Execute(nullptr, nullptr, program.get(), &result));
    EXPECT_NE(g_CodeErrorText.find("Internal Error: Executing code for nil instance."), std::string::npos);

    // The reporting wrapper shows it as an action error and clears the flag.
    EXPECT_FALSE(Code_Execute_Report(nullptr, nullptr, program.get(), &result));
    EXPECT_NE(g_ErrorLast.find("Internal Error: Executing code for nil instance."), std::string::npos);
    EXPECT_FALSE(g_CodeErrorFlag);
    // The value wrapper makes the result the text "ERROR", never a real.
    EXPECT_FALSE(Code_Execute_Value(nullptr, nullptr, program.get(), &result));
    EXPECT_EQ(Value_GetKind(&result), VALUE_STRING);
    EXPECT_EQ(TextOf(result), "ERROR");
    Value_Free(&result);
}

TEST_F(ExecuteTest, BytecodeFailuresAreTheInterpretersOwn)
{
    // A run-time error ends the run; the entry point still answers success.
    std::unique_ptr<CCode> code = Compiled("global.vmtest_v = 1 div global.vmtest_zero", false);
    Debug_EvaluatingExpression = 1;
    g_VMEvaluationFailed = 0;
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    EXPECT_TRUE(Code_Execute_Value(nullptr, nullptr, code.get(), &result));
    Debug_EvaluatingExpression = 0;
    EXPECT_EQ(g_VMEvaluationFailed, 1);
    EXPECT_EQ(g_VMEvaluationError, "DoRem :: Divide by zero");
    EXPECT_EQ(Value_GetKind(&result), VALUE_REAL);
}

TEST_F(ExecuteTest, ProgramRoots)
{
    CodeNode empty;
    Node_Init(&empty, 0);
    empty.kind = NODE_EMPTY_PROGRAM;
    std::string source = "x";
    CCode code(source.c_str(), false);
    Code_Exec_Context context = {nullptr, nullptr, nullptr, &code};
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    EXPECT_EQ(Code_ExecuteProgram(&context, &empty, &result), EXEC_DONE);
    CodeNode constant;
    Node_Init(&constant, 0);
    Node_SetReal(&constant, 1);
    g_CodeErrorFlag = false;
    EXPECT_EQ(Code_ExecuteProgram(&context, &constant, &result), EXEC_ERROR);
    EXPECT_NE(g_CodeErrorText.find("This is not a program."), std::string::npos);
    Node_Free(&constant);
    Node_Free(&empty);
}
