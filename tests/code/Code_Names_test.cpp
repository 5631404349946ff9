#include "code/Code_Names.h"

#include <gtest/gtest.h>

#include <string>

#include "Code_CompilerSupport.h"
#include "code/Code_Lexer.h"

namespace {

using compiler_test::CompilerTest;
using compiler_test::FunctionId;
using compiler_test::RES_OBJECT;
using compiler_test::RES_ROOM;
using compiler_test::RES_SCRIPT;
using compiler_test::RES_SPRITE;
using compiler_test::Resources;

class NamesTest : public CompilerTest {
  protected:
    void TearDown() override
    {
        ResolvedArray_Free(&m_Resolved);
        TokenArray_Free(&m_Tokens);
        CompilerTest::TearDown();
    }

    bool Resolve(const std::string& text)
    {
        ResolvedArray_Free(&m_Resolved);
        TokenArray_Free(&m_Tokens);
        m_Text = text;
        m_Code = std::make_unique<CCode>(m_Text.c_str(), false);
        return Lexer_Tokenise(m_Code.get(), &m_Tokens) &&
               Resolve_Tokens(m_Code.get(), &m_Tokens, &m_Resolved);
    }

    const ResolvedToken& At(int32_t index) { return m_Resolved.tokens[index]; }

    TokenArray m_Tokens;
    ResolvedArray m_Resolved;
};

TEST_F(NamesTest, NumbersCarryTheirValues)
{
    EXPECT_EQ(31.0, Resolve_NumberValue("$1F"));
    EXPECT_EQ(255.0, Resolve_NumberValue("$fF"));
    EXPECT_EQ(12.25, Resolve_NumberValue("12.25"));
    EXPECT_EQ(0.5, Resolve_NumberValue(".5"));
    EXPECT_EQ(1.0, Resolve_NumberValue("1."));
    EXPECT_EQ(0.0, Resolve_NumberValue("$"));
    EXPECT_EQ(0.0, Resolve_NumberValue(""));
    EXPECT_EQ(4294967295.0, Resolve_NumberValue("$FFFFFFFF"));
    EXPECT_EQ(1e20, Resolve_NumberValue("100000000000000000000"));
}

TEST_F(NamesTest, EveryTokenGetsAnEntryWithItsPosition)
{
    ASSERT_TRUE(Resolve("x = 'ab' + 2.5"));
    ASSERT_EQ(6, m_Resolved.count);
    EXPECT_EQ(TOKEN_VARIABLE, At(0).kind);
    EXPECT_EQ(Variable_BuiltIn_Find("x"), At(0).id);
    EXPECT_EQ(TOKEN_ASSIGN, At(1).kind);
    EXPECT_EQ(2, At(1).position);
    EXPECT_EQ(TOKEN_CONSTANT, At(2).kind);
    EXPECT_EQ(VALUE_STRING, Value_GetKind(&At(2).value));
    EXPECT_STREQ("ab", Value_GetText(&At(2).value));
    EXPECT_EQ(5, At(2).position);
    EXPECT_EQ(TOKEN_PLUS, At(3).kind);
    EXPECT_EQ(TOKEN_CONSTANT, At(4).kind);
    EXPECT_EQ(2.5, double(At(4).value.real));
    EXPECT_EQ(TOKEN_END, At(5).kind);
}

TEST_F(NamesTest, NewNamesBecomeUserVariablesEvenWhenOnlyRead)
{
    ASSERT_TRUE(Resolve("y = never_assigned_name_4711"));
    EXPECT_EQ(TOKEN_VARIABLE, At(2).kind);
    EXPECT_GE(At(2).id, 100000);
    EXPECT_EQ(At(2).id, Code_Variable_Lookup("never_assigned_name_4711"));
    // The same name later gets the same identifier.
    ASSERT_TRUE(Resolve("never_assigned_name_4711"));
    EXPECT_EQ(Code_Variable_Lookup("never_assigned_name_4711"), At(0).id);
}

TEST_F(NamesTest, NameFollowedByParenthesisIsACallable)
{
    ASSERT_TRUE(Resolve("test_two(a, b)"));
    EXPECT_EQ(TOKEN_FUNCTION, At(0).kind);
    EXPECT_EQ(FunctionId("test_two"), At(0).id);
    // Without the parenthesis the same word is a variable.
    ASSERT_TRUE(Resolve("test_two = 1"));
    EXPECT_EQ(TOKEN_VARIABLE, At(0).kind);

    Resources(RES_SCRIPT)["scr_jump"] = 7;
    ASSERT_TRUE(Resolve("scr_jump()"));
    EXPECT_EQ(TOKEN_FUNCTION, At(0).kind);
    EXPECT_EQ(100007, At(0).id);
}

TEST_F(NamesTest, UnknownCallableFailsWithItsName)
{
    EXPECT_FALSE(Resolve("a = 1;\nb = no_such_thing(2)"));
    EXPECT_EQ(ProgramError(2, "b = no_such_thing(2)", 5, "Unknown function or script: no_such_thing"),
              g_CodeErrorText);
    EXPECT_EQ(TOKEN_UNRESOLVED_FUNCTION, At(6).kind);
}

TEST_F(NamesTest, ResourceNamesWinOverConstantsAndVariables)
{
    Resources(RES_SPRITE)["spr_player"] = 3;
    Resources(RES_SPRITE)["c_red"] = 9;
    Resources(RES_ROOM)["spr_player"] = 5;
    Resources(RES_OBJECT)["obj_wall"] = 2;
    ASSERT_TRUE(Resolve("spr_player c_red obj_wall c_blue"));
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(TOKEN_CONSTANT, At(i).kind) << i;
    EXPECT_EQ(3.0, double(At(0).value.real)); // sprites are asked before rooms
    EXPECT_EQ(9.0, double(At(1).value.real));
    EXPECT_EQ(2.0, double(At(2).value.real));
    EXPECT_EQ(16711680.0, double(At(3).value.real));
}

} // namespace
