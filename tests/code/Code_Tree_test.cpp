#include "code/Code_Tree.h"

#include <gtest/gtest.h>

#include <string>

#include "Code_CompilerSupport.h"

namespace {

using compiler_test::CompilerTest;
using compiler_test::Dump;

class TreeTest : public CompilerTest {};

TEST_F(TreeTest, CopyIsDeepAndOutlivesTheOriginal)
{
    ASSERT_TRUE(Compile("if a { s = 'text' + b } else t[1, 2] = test_two(1, 'x')"));
    std::string expected = Dump(Root());
    CodeNode copy;
    Node_Copy(&copy, &Root());
    Node_Free(&Root());
    Node_Init(&Root(), 0);
    EXPECT_EQ(expected, Dump(copy));
    Node_Free(&copy);
}

TEST_F(TreeTest, FreeingAVeryDeepTreeNeedsNoRecursion)
{
    // Far deeper than the parser allows: only Node_Free walks such a tree.
    CodeNode root;
    Node_Init(&root, 0);
    CodeNode* at = &root;
    for (int i = 0; i < 100000; ++i) {
        at->kind = NODE_UNARY;
        at->id = TOKEN_MINUS;
        at = Node_AddChild(at, i);
    }
    Value_SetText(&at->value, "leaf");
    at->kind = NODE_CONSTANT;
    int32_t deepAt = -1;
    EXPECT_EQ(CODE_TREE_HEIGHT_LIMIT + 1, Node_Height(&root, CODE_TREE_HEIGHT_LIMIT, &deepAt));
    EXPECT_EQ(CODE_TREE_HEIGHT_LIMIT - 1, deepAt);
    Node_Free(&root);
    EXPECT_EQ(0, root.childCount);
    EXPECT_EQ(nullptr, root.children);
}

TEST_F(TreeTest, HeightCountsTheLongestPath)
{
    ASSERT_TRUE(Compile("a = b; if c { d = (e + f) * g }"));
    // block, if, block, assignment, *, +, the variable e: the checks gave it no owner child.
    EXPECT_EQ(7, Node_Height(&Root(), CODE_TREE_HEIGHT_LIMIT, nullptr));
    CodeNode leaf;
    Node_Init(&leaf, 0);
    EXPECT_EQ(1, Node_Height(&leaf, CODE_TREE_HEIGHT_LIMIT, nullptr));
}

} // namespace
