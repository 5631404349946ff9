// The compiler as a whole: CCode::Compile, and sources at the limits of nesting and size.
#include <gtest/gtest.h>

#include <string>

#include "Code_CompilerSupport.h"
#include "code/Code_Object.h"
#include "platform/Platform_MemoryManager.h"

namespace {

using compiler_test::CompilerTest;

class CompilerLimitsTest : public CompilerTest {
  protected:
    static std::string Repeat(const std::string& piece, int count)
    {
        std::string out;
        out.reserve(piece.size() * static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            out += piece;
        return out;
    }

    // The message of the last report, without the text that places it.
    static std::string Message()
    {
        size_t at = g_CodeErrorText.rfind(": ");
        return at == std::string::npos ? g_CodeErrorText : g_CodeErrorText.substr(at + 2);
    }
};

TEST_F(CompilerLimitsTest, ConstantExpressionBecomesAConstantCode)
{
    CCode code("2 * 3", true);
    ASSERT_TRUE(code.Compile("my expression"));
    EXPECT_EQ(CODE_KIND_CONSTANT, code.m_Kind);
    EXPECT_EQ(1u, code.m_Compiled);
    EXPECT_EQ(6.0, double(code.m_Constant.real));
    EXPECT_EQ(nullptr, code.m_pCode);
    EXPECT_STREQ("my_expression", code.GetName());
}

TEST_F(CompilerLimitsTest, ExpressionThatIsNotConstantStaysAnExpression)
{
    CCode code("a + 1", true);
    ASSERT_TRUE(code.Compile(nullptr));
    EXPECT_EQ(CODE_KIND_EXPRESSION, code.m_Kind);
    EXPECT_EQ(NODE_BINARY, code.m_Tree.kind);
    EXPECT_STREQ("", code.GetName());
}

TEST_F(CompilerLimitsTest, CompilingTwiceIsAnInternalError)
{
    CCode code("x = 1", false);
    ASSERT_TRUE(code.Compile("twice"));
    EXPECT_FALSE(code.Compile("twice"));
    EXPECT_EQ(ProgramError(1, "x = 1", 1, "Internal Error: Recompiling compiled code."), g_CodeErrorText);
}

TEST_F(CompilerLimitsTest, EmptyProgramCompilesToNoCode)
{
    CCode code("", false);
    ASSERT_TRUE(code.Compile("empty"));
    EXPECT_EQ(NODE_EMPTY_PROGRAM, code.m_Tree.kind);
    EXPECT_EQ(nullptr, code.m_pCode);
}

TEST_F(CompilerLimitsTest, FailedCompileLeavesNoTreeAndTheNewError)
{
    g_CodeErrorFlag = true; // a stale report of earlier code must not hide this one
    g_CodeErrorText = "old";
    CCode code("x = (1 +", false);
    EXPECT_FALSE(code.Compile("broken"));
    EXPECT_EQ(0u, code.m_Compiled);
    EXPECT_EQ(0, code.m_Tree.childCount);
    EXPECT_EQ("Unexpected symbol in expression.", Message());
}

TEST_F(CompilerLimitsTest, EveryPhaseGivesBackWhatItAllocated)
{
    // The first run of each text may add user variable names and grow the lexer's buffer; a second
    // run must end with exactly the blocks it started with, compiled or failed in any phase.
    const char* sources[] = {
        "s = 'a' + 'b'; t[1, 2] = 3 * 'xy'; if u { v = -w } else test_two(1, 'z')",
        "s = 'a' # 'b'",                 // lexer
        "s = 'a' + no_such_function(1)", // name resolution
        "s = ('a' + 'b'",                // parser
        "s = 'a' + 'b' - 1",             // checks
    };
    for (const char* source : sources) {
        for (int run = 0; run < 2; ++run) {
            uint32_t before = MemoryManager::BlockCount();
            Compile(source);
            Node_Free(&Root());
            Node_Init(&Root(), 0);
            if (run == 1) {
                EXPECT_EQ(before, MemoryManager::BlockCount()) << source;
            }
        }
    }
    for (bool expression : {false, true}) {
        for (int run = 0; run < 2; ++run) {
            uint32_t before = MemoryManager::BlockCount();
            {
                CCode code(expression ? "'a' + b" : "x = 'a' + 'b'", expression);
                EXPECT_TRUE(code.Compile("name"));
            }
            if (run == 1) {
                EXPECT_EQ(before, MemoryManager::BlockCount());
            }
        }
    }
}

TEST_F(CompilerLimitsTest, NestingWithinTheLimitCompiles)
{
    EXPECT_TRUE(Compile("x = " + Repeat("(", 900) + "y" + Repeat(")", 900)));
    EXPECT_TRUE(Compile(Repeat("{", 900) + Repeat("}", 900)));
    EXPECT_TRUE(Compile(Repeat("if a x = 1 else ", 900) + "x = 2"));
    EXPECT_TRUE(Compile("x = " + Repeat("y + ", 1500) + "y"));
    EXPECT_TRUE(Compile("x = " + Repeat("- ", 900) + "y"));
}

TEST_F(CompilerLimitsTest, DeeperNestingFailsWithAMessage)
{
    const std::string sources[] = {
        "x = " + Repeat("(", 100000) + "y" + Repeat(")", 100000),
        Repeat("{", 100000) + Repeat("}", 100000),
        Repeat("if a ", 100000) + "x = 1",
        Repeat("while a ", 100000) + "x = 1",
        "x = " + Repeat("- ", 100000) + "y",
        "x = " + Repeat("!", 100000) + "y",
        "x = " + Repeat("y + ", 100000) + "y",
        "x = " + Repeat("y.", 100000) + "y",
        "x = " + Repeat("test_one(", 100000) + "1" + Repeat(")", 100000),
        "x = " + Repeat("a[", 100000) + "1" + Repeat("]", 100000),
        Repeat("a.", 5000) + "b = 1",
    };
    for (const std::string& source : sources) {
        EXPECT_FALSE(Compile(source)) << source.substr(0, 40);
        EXPECT_EQ("Code is nested too deeply.", Message()) << source.substr(0, 40);
    }
    EXPECT_FALSE(Compile(Repeat("(", 100000) + "1" + Repeat(")", 100000), true));
    EXPECT_EQ("Code is nested too deeply.", Message());
}

TEST_F(CompilerLimitsTest, LongWordsAndLargeSourcesCompile)
{
    std::string word(1 << 20, 'v');
    EXPECT_TRUE(Compile(word + " = 1; x = " + word));
    EXPECT_EQ(Code_Variable_Lookup(word.c_str()), Root().children[0].children[0].id);

    EXPECT_TRUE(Compile(Repeat("x = x + 1;\n", 200000)));
    EXPECT_EQ(200000, Root().childCount);

    std::string text = "x = \"" + std::string(1 << 22, 's') + "\"";
    EXPECT_TRUE(Compile(text));
}

TEST_F(CompilerLimitsTest, ErrorLateInALargeSourceGivesItsLine)
{
    EXPECT_FALSE(Compile(Repeat("x = 1\n", 50000) + "x = )"));
    EXPECT_EQ(ProgramError(50001, "x = )", 5, "Unexpected symbol in expression."), g_CodeErrorText);
}

} // namespace
