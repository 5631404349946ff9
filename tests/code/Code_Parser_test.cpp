#include "code/Code_Parser.h"

#include <gtest/gtest.h>

#include <string>

#include "Code_CompilerSupport.h"

namespace {

using compiler_test::CompilerTest;
using compiler_test::RES_SCRIPT;
using compiler_test::Resources;

// The trees as the parser leaves them, before the checks fix owners and fold constants.
class ParserTest : public CompilerTest {
  protected:
    void SetUp() override
    {
        CompilerTest::SetUp();
        m_RunChecks = false;
    }
};

TEST_F(ParserTest, AssignmentValueTakesTheSecondEqualsAsComparison)
{
    EXPECT_EQ("(block (assign= (var a -6) (= (var b -6) (var c -6))))", Tree("a = b = c"));
}

TEST_F(ParserTest, StatementsNeedNoSemicolonsAndSkipAnyNumber)
{
    EXPECT_EQ("(block (assign+= (var x -6) 1))", Tree("x += 1;;;"));
    EXPECT_EQ("(block (assign= (var a -6) 1) (assign= (var b -6) 2))", Tree("a = 1 b = 2"));
    EXPECT_EQ("(block nop (assign= (var a -6) 1))", Tree("; a = 1"));
    EXPECT_EQ("(block (assign= (var a -6) 1))", Tree("a := 1"));
}

TEST_F(ParserTest, IfTakesOptionalThenAndElse)
{
    EXPECT_EQ("(block (if (var a -6) (assign= (var b -6) 1) (assign= (var b -6) 2)))",
              Tree("if a then b = 1 else b = 2"));
    EXPECT_EQ("(block (if (var a -6) (block (assign= (var b -6) 1))))", Tree("if (a) {b = 1}"));
    EXPECT_EQ("(block (if (var a -6) (block (assign= (var b -6) 1))))", Tree("if a begin b = 1 end"));
}

TEST_F(ParserTest, LoopsParseWithAndWithoutTheirOptionalTokens)
{
    const std::string loop = "(block (for (assign= (var i -6) 0) (< (var i -6) 10) (assign+= (var i -6) 1) "
                             "(assign+= (var s -6) (var i -6))))";
    EXPECT_EQ(loop, Tree("for (i = 0; i < 10; i += 1) s += i"));
    EXPECT_EQ(loop, Tree("for (i = 0 i < 10 i += 1) s += i"));
    EXPECT_EQ("(block (while (var a -6) (assign= (var a -6) 0)))", Tree("while a do a = 0"));
    EXPECT_EQ("(block (while (var a -6) (assign= (var a -6) 0)))", Tree("while (a) a = 0"));
    EXPECT_EQ("(block (do (assign-= (var n -6) 1) (<= (var n -6) 0)))", Tree("do n -= 1 until n <= 0"));
    EXPECT_EQ("(block (repeat 3 (call test_none)))", Tree("repeat 3 test_none()"));
    EXPECT_EQ("(block (with (var o -6) (assign= (var x -6) 1)))", Tree("with o do x = 1"));
    EXPECT_EQ("(block (while 1 (block break continue exit)))", Tree("while 1 { break; continue; exit }"));
}

TEST_F(ParserTest, SwitchBodyHoldsCasesAsStatements)
{
    EXPECT_EQ("(block (switch (var a -6) (case 1) (assign= (var b -6) 1) break (case (var n -6)) default "
              "(return 'x')))",
              Tree("switch (a) { case 1: b = 1; break; case n: default: return 'x' }"));
}

TEST_F(ParserTest, PrecedenceLevelsFromLogicalToMultiplicative)
{
    EXPECT_EQ("(+ (var a -6) (* (var b -6) (var c -6)))", Tree("a + b * c", true));
    EXPECT_EQ("(- (- (var a -6) (var b -6)) (var c -6))", Tree("a - b - c", true));
    EXPECT_EQ("(< (var a -6) (| (var b -6) (var c -6)))", Tree("a < b | c", true));
    EXPECT_EQ("(&& (var a -6) (< (var b -6) (var c -6)))", Tree("a && b < c", true));
    EXPECT_EQ("(|| (&& (var a -6) (var b -6)) (var c -6))", Tree("a and b or c", true));
    EXPECT_EQ("(<< (var a -6) (+ (var b -6) (var c -6)))", Tree("a << b + c", true));
    EXPECT_EQ("(| (& (var a -6) (var b -6)) (var c -6))", Tree("a & b | c", true));
    EXPECT_EQ("(mod (div (var a -6) (var b -6)) (var c -6))", Tree("a div b mod c", true));
    EXPECT_EQ("(* (- (var a -6)) (var b -6))", Tree("-a*b", true));
    EXPECT_EQ("(== (! (var a -6)) (var b -6))", Tree("!a == b", true));
    EXPECT_EQ("(* (+ (var a -6) (var b -6)) (var c -6))", Tree("(a + b) * c", true));
    EXPECT_EQ("(! (~ (var a -6)))", Tree("not ~a", true));
}

TEST_F(ParserTest, DotsChainOwners)
{
    EXPECT_EQ("(var c (var b (var a -6)))", Tree("a.b.c", true));
    EXPECT_EQ("(var y (var a -6 1) 2 3)", Tree("a[1].y[2,3]", true));
    EXPECT_EQ("(var x (call test_one 3))", Tree("(test_one(3)).x", true));
    EXPECT_EQ("(block (assign= (var x -2) 5))", Tree("other.x = 5"));
}

TEST_F(ParserTest, DeclarationsTakeNamesWithOptionalCommas)
{
    EXPECT_EQ("(block (var-decl x1 y1 z1))", Tree("var x1, y1 z1;"));
    EXPECT_EQ("(block (globalvar g1 g2))", Tree("globalvar g1, g2"));
    // The list ends at the first token that is not a variable name.
    EXPECT_EQ("(block (var-decl a) (assign= (var b -6) 1))", Tree("var a; b = 1"));
}

TEST_F(ParserTest, CallsCheckTheirArgumentCount)
{
    EXPECT_EQ("(block (call test_two 1 (var a -6)))", Tree("test_two(1, a)"));
    EXPECT_EQ("(block (call test_none))", Tree("test_none()"));
    const std::string wrong = "Wrong number of arguments to function or script.";
    EXPECT_EQ(ProgramError(1, "test_two(1, 2, 3)", 1, wrong), Failure("test_two(1, 2, 3)"));
    EXPECT_EQ(ProgramError(1, "x = test_one()", 5, wrong), Failure("x = test_one()"));

    std::string sixteen = "test_any(0";
    for (int i = 1; i < 16; ++i)
        sixteen += ", " + std::to_string(i);
    EXPECT_TRUE(Compile(sixteen + ")"));
    EXPECT_EQ(16, Root().children[0].childCount);
    EXPECT_EQ(ProgramError(1, sixteen + ", 16)", 1, wrong), Failure(sixteen + ", 16)"));

    Resources(RES_SCRIPT)["scr_move"] = 4;
    EXPECT_EQ("(block (call scr_move 1 2 3))", Tree("scr_move(1, 2, 3)"));
    std::string script = "scr_move(" + sixteen.substr(9) + ", 16)";
    EXPECT_EQ(ProgramError(1, script, 1, wrong), Failure(script));
}

TEST_F(ParserTest, ArraysHaveOneOrTwoIndices)
{
    EXPECT_EQ("(block (assign= (var a -6 1 2) 0))", Tree("a[1,2] = 0"));
    EXPECT_EQ(ProgramError(1, "a[1,2,3] = 0", 7, "Only 1- and 2-dimensional arrays are supported."),
              Failure("a[1,2,3] = 0"));
}

TEST_F(ParserTest, ProgramsAndExpressionsAtTheirEdges)
{
    EXPECT_EQ("empty", Tree(""));
    EXPECT_EQ("empty", Tree("  // nothing but a comment"));
    EXPECT_EQ("0", Tree("", true));
    // The root block is a statement, and the ';' after any statement are skipped: only what follows
    // them ends the program early.
    EXPECT_EQ("(block (assign= (var a -6) 1))", Tree("{ a = 1 };;"));
    EXPECT_EQ(ProgramError(1, "{ a = 1 } b = 2", 11, "Program ends before end of the code."),
              Failure("{ a = 1 } b = 2"));
    EXPECT_EQ(ProgramError(1, "{ a = 1 }; b = 2", 12, "Program ends before end of the code."),
              Failure("{ a = 1 }; b = 2"));
    // An expression ends where it ends; what follows is not examined.
    EXPECT_EQ("(var a -6)", Tree("a b c", true));
}

struct ErrorCase {
    const char* source;
    int32_t column;
    const char* message;
};

TEST_F(ParserTest, EachMessageAtItsToken)
{
    const ErrorCase cases[] = {
        {"if a", 5, "Unexpected end of code reached."},
        {"{ a = 1", 8, "Symbol  } expected."},
        {"switch (a) { case 1: b = 1", 27, "Symbol  } expected."},
        {"do a = 1 b = 2", 10, "Keyword until expected."},
        {"for i = 0", 5, "Symbol ( expected."},
        {"for (i = 0; i < 3; i += 1 a = 1", 27, "Symbol ) expected."},
        {"switch a b = 1", 10, "Symbol {  expected."},
        {"case 1 a = 1", 8, "Symbol : expected."},
        {"default a = 1", 9, "Symbol : expected."},
        {"var z; var x", 12, "Cannot redeclare a builtin variable."},
        {"5 = 3", 1, "Variable name expected."},
        {"a.5 = 3", 2, "Assignment operator expected."},
        {"a = 1 + .", 9, "Unexpected symbol in expression."},
        {"a b", 3, "Assignment operator expected."},
        {"a = )", 5, "Unexpected symbol in expression."},
        {"a = c_red.", 11, "Variable name expected."},
        {"test_two(1 2)", 12, "Symbol , or ) expected."},
        {"test_two(1,", 12, "Symbol ) expected."},
        {"a = (1 + 2", 11, "Symbol ) expected."},
        {"a[1 2] = 0", 5, "Symbol , or ] expected."},
        {"a[1", 4, "Symbol ] expected."},
    };
    for (const ErrorCase& entry : cases) {
        EXPECT_EQ(ProgramError(1, entry.source, entry.column, entry.message), Failure(entry.source))
            << entry.source;
    }
}

TEST_F(ParserTest, CallNeedsItsParenthesis)
{
    // Name resolution makes a callable only of a name before "(": only hand-made tokens get here.
    ResolvedToken tokens[3] = {};
    tokens[0] = {TOKEN_FUNCTION, compiler_test::FunctionId("test_one"), {}, 0};
    tokens[1] = {TOKEN_CONSTANT, 0, {}, 9};
    Value_SetReal(&tokens[1].value, 1);
    tokens[2] = {TOKEN_END, 0, {}, 10};
    ResolvedArray array;
    array.count = 3;
    array.tokens = tokens;
    CCode code("test_one 1", false);
    CodeNode root;
    EXPECT_FALSE(Parse_Program(&code, &array, &root));
    EXPECT_EQ(ProgramError(1, "test_one 1", 10, "Symbol ( expected."), g_CodeErrorText);
    Node_Free(&root);
}

TEST_F(ParserTest, ErrorsOnLaterLinesGiveLineAndColumn)
{
    EXPECT_EQ(ProgramError(3, "\tb = ;", 6, "Unexpected symbol in expression."),
              Failure("x = 1\r\ny = 2\n\tb = ;\nz = 3"));
}

TEST_F(ParserTest, ExpressionErrorsQuoteTheWholeSource)
{
    EXPECT_EQ("Error in expression: 1 +\n position 4: Unexpected symbol in expression.",
              Failure("1 +", true));
}

TEST_F(ParserTest, OnlyTheFirstErrorIsKept)
{
    EXPECT_FALSE(Compile("a = ) b = )"));
    EXPECT_EQ(ProgramError(1, "a = ) b = )", 5, "Unexpected symbol in expression."), g_CodeErrorText);
}

} // namespace
