#include "code/Code_Checks.h"

#include <gtest/gtest.h>

#include <string>

#include "Code_CompilerSupport.h"

namespace {

using compiler_test::CompilerTest;
using compiler_test::RES_OBJECT;
using compiler_test::Resources;

class ChecksTest : public CompilerTest {};

TEST_F(ChecksTest, VarMakesLaterUsesLocal)
{
    EXPECT_EQ("(block (var-decl i) (assign= i@-7 1))", Tree("var i; i = 1"));
    EXPECT_EQ("(block (assign= i@-6 1) (var-decl i))", Tree("i = 1; var i;"));
    // A declaration inside a nested block applies to every later use in the code.
    EXPECT_EQ("(block (if 1 (block (var-decl j))) (assign= j@-7 2))", Tree("if 1 { var j } j = 2"));
    // An indexed local keeps its owner as a child, now local.
    EXPECT_EQ("(block (var-decl k) (assign= (var k -7 0) 1))", Tree("var k; k[0] = 1"));
    // globalvar declares nothing local.
    EXPECT_EQ("(block (globalvar g) (assign= g@-6 1))", Tree("globalvar g; g = 1"));
}

TEST_F(ChecksTest, LocalNamesAreEmptiedForEachCode)
{
    ASSERT_TRUE(Compile("var only_here; only_here = 1"));
    EXPECT_TRUE(LocalNames_Contains(Code_Variable_Lookup("only_here")));
    EXPECT_EQ("(block (assign= only_here@-6 2))", Tree("only_here = 2"));
    EXPECT_FALSE(LocalNames_Contains(Code_Variable_Lookup("only_here")));
}

TEST_F(ChecksTest, ConstantOwnersFixTheVariable)
{
    Resources(RES_OBJECT)["obj_door"] = 12;
    EXPECT_EQ("(block (assign= x@-2 5))", Tree("other.x = 5"));
    EXPECT_EQ("(block (assign= x@12 (+ y@-5 1)))", Tree("obj_door.x = global.y + 1"));
    EXPECT_EQ("(block (assign= x@100004 0))", Tree("(100003.6).x = 0"));
    // A constant owner with an index stays a variable node.
    EXPECT_EQ("(block (assign= (var a -1 3) 0))", Tree("self.a[3] = 0"));
    EXPECT_EQ(ProgramError(1, "\"abc\".x = 1", 2, "Left hand side must be a real value."),
              Failure("\"abc\".x = 1"));
}

TEST_F(ChecksTest, OperatorsOnConstantsFold)
{
    EXPECT_EQ("(block (assign= x@-6 14))", Tree("x = 2 + 3 * 4"));
    EXPECT_EQ("(block (assign= x@-6 'ab'))", Tree("x = \"a\" + 'b'"));
    EXPECT_EQ("(block (assign= x@-6 -3))", Tree("x = 7 div -2"));
    EXPECT_EQ("(block (assign= x@-6 2))", Tree("x = 1 << 33"));
    EXPECT_EQ("(block (assign= x@-6 'ababab'))", Tree("x = 3 * 'ab'"));
    EXPECT_EQ("(block (assign= x@-6 1))", Tree("x = !(c_red == 254)"));
    EXPECT_EQ("(block (assign= x@-6 -6))", Tree("x = ~5"));
    // Only the constant part of a mixed expression folds.
    EXPECT_EQ("(block (assign= x@-6 (+ y@-6 5)))", Tree("x = y + (2 + 3)"));
    EXPECT_EQ("(block (assign= x@-6 (+ (+ y@-6 2) 3)))", Tree("x = y + 2 + 3"));
    EXPECT_EQ("12", Tree("2 * (3 + 3)", true));
}

TEST_F(ChecksTest, FoldingFailuresFailTheCompilation)
{
    EXPECT_EQ(ProgramError(1, "y = 1 / 0", 9, "Division by 0."), Failure("y = 1 / 0"));
    EXPECT_EQ(ProgramError(1, "y = 5 mod 0", 11, "Modulo by 0."), Failure("y = 5 mod 0"));
    EXPECT_EQ(ProgramError(1, "y = 'a' - 1", 11, "Wrong type of arguments to -."), Failure("y = 'a' - 1"));
    EXPECT_EQ(ProgramError(1, "y = -'a'", 7, "Wrong type of arguments to unary operator."),
              Failure("y = -'a'"));
    EXPECT_EQ(ProgramError(1, "y = 1 < 'a'", 10, "Cannot compare arguments."), Failure("y = 1 < 'a'"));
    // The failed tree is released, and the code can be compiled again afterwards.
    EXPECT_EQ(NODE_NONE, Root().kind);
    EXPECT_EQ(0, Root().childCount);
    EXPECT_EQ("(block (assign= y@-6 0.5))", Tree("y = 1 / 2"));
}

TEST_F(ChecksTest, ConstantCaseLabelsAreMarked)
{
    EXPECT_EQ("(block (switch n@-6 (case! 3) (case! 'x') (case n@-6) (case! 5) default))",
              Tree("switch n { case 3: case 'x': case n: case 2 + 3: default: }"));
}

} // namespace
