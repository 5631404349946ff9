#include "code/Code_Lexer.h"

#include <gtest/gtest.h>

#include <string>

#include "code/Code_Error.h"
#include "code/Code_Object.h"

namespace {

// The tokens of a text as "kind:text@position" items; the end token as "end@position".
class LexerTest : public testing::Test {
  protected:
    void SetUp() override
    {
        g_CodeErrorFlag = false;
        g_CodeErrorText.clear();
    }

    std::string Tokens(const std::string& text, bool withPositions = false)
    {
        CCode code(text.c_str(), false);
        TokenArray tokens;
        m_Ok = Lexer_Tokenise(&code, &tokens);
        std::string out;
        for (int32_t i = 0; i < tokens.count; ++i) {
            const Token& token = tokens.tokens[i];
            if (!out.empty()) out += " ";
            if (token.kind == TOKEN_END) {
                out += "end";
            } else {
                out += std::to_string(token.kind) + ":" + (token.text != nullptr ? token.text : "<null>");
            }
            if (withPositions) out += "@" + std::to_string(token.position);
        }
        TokenArray_Free(&tokens);
        return out;
    }

    bool m_Ok = false;
};

TEST_F(LexerTest, OperatorsOfTwoCharactersWinOverOne)
{
    EXPECT_EQ("0:a 207:<> 0:b end", Tokens("a<>b"));
    EXPECT_EQ("0:a 221:<< 0:b end", Tokens("a<<b"));
    EXPECT_EQ("0:x 101:= 210:+ 1:1 end", Tokens("x=+1"));
    EXPECT_EQ("0:x 101::= 1:1 end", Tokens("x:=1"));
    EXPECT_EQ("0:a 202:|| 0:b 217:| 0:c 114:|= 0:d end", Tokens("a||b|c|=d"));
    EXPECT_EQ("0:a 216:^^ 0:b 219:^ 0:c 116:^= 0:d end", Tokens("a^^b^c^=d"));
    // There is no "%=": it reads as "%" then "=".
    EXPECT_EQ("0:a 215:% 101:= 1:2 end", Tokens("a%=2"));
    EXPECT_EQ("11:{ 110:[ 112:. 113:: 220:~ 111:] 12:} end", Tokens("{[.:~]}"));
    EXPECT_TRUE(m_Ok);
}

TEST_F(LexerTest, KeywordsAreCaseSensitiveWholeWords)
{
    EXPECT_EQ("30:globalvar 11:begin 12:end 201:and 202:or 203:not 214:div 215:mod 216:xor end",
              Tokens("globalvar begin end and or not div mod xor"));
    EXPECT_EQ("0:ifx end", Tokens("ifx"));
    EXPECT_EQ("0:IF end", Tokens("IF"));
    EXPECT_EQ("0:globalvars end", Tokens("globalvars"));
    EXPECT_EQ("0:_if2 end", Tokens("_if2"));
}

TEST_F(LexerTest, NumbersTakeOnePointAndHexKeepsTheDollar)
{
    EXPECT_EQ("1:1.2 1:.3 end", Tokens("1.2.3"));
    EXPECT_EQ("1:$FF end", Tokens("$FF"));
    EXPECT_EQ("1:$ 0:g end", Tokens("$g"));
    EXPECT_EQ("1:12 0:abc end", Tokens("12abc"));
    EXPECT_EQ("1:1. end", Tokens("1."));
    EXPECT_EQ("0:a 112:. 0:b end", Tokens("a.b"));
    EXPECT_EQ("1:.5 end", Tokens(".5"));
}

TEST_F(LexerTest, StringsTakeEitherQuoteWithoutEscapes)
{
    EXPECT_EQ("2:it\"s@1 end@9", Tokens("'it\"s'", true));
    EXPECT_EQ("2:it's@1 end@9", Tokens("\"it's\"", true));
    EXPECT_EQ("2:a\\ end", Tokens("'a\\'"));
    EXPECT_EQ("2:line\nbreak end", Tokens("\"line\nbreak\""));
    EXPECT_EQ("2: end", Tokens("''"));
    // Bytes of non-ASCII characters stay inside strings.
    EXPECT_EQ("2:\xC3\xA9 end", Tokens("\"\xC3\xA9\""));
}

TEST_F(LexerTest, UnclosedStringTakesTheRestOfTheSource)
{
    EXPECT_EQ("0:x 101:= 2:abc def end", Tokens("x = \"abc def"));
    EXPECT_TRUE(m_Ok);
}

TEST_F(LexerTest, CommentsAndBlanksAreSkipped)
{
    EXPECT_EQ("0:a 0:b end", Tokens("a // comment\nb"));
    EXPECT_EQ("0:a 0:b end", Tokens("a // comment\rb"));
    EXPECT_EQ("0:a 0:b end", Tokens("a/* c */b"));
    EXPECT_EQ("0:a end", Tokens("a /* never closed"));
    EXPECT_EQ("0:a end", Tokens("a // to the end"));
    EXPECT_EQ("0:a 0:b end", Tokens("a\t\x01\x1F b"));
    // Bytes of non-ASCII characters outside strings separate words.
    EXPECT_EQ("0:a 0:b end", Tokens("a\xC3\xA9"
                                    "b"));
}

TEST_F(LexerTest, PositionsAreByteOffsetsAndTheEndLiesPastThePadding)
{
    EXPECT_EQ("0:ab@0 101:=@3 1:12@5 end@10", Tokens("ab = 12", true));
    EXPECT_EQ("end@3", Tokens("", true));
}

TEST_F(LexerTest, UnknownCharacterIsReportedAtItsOffset)
{
    Tokens("x = 1;\n  y # 2");
    EXPECT_FALSE(m_Ok);
    EXPECT_EQ("Error in code at line 2:\n     y # 2\n\nat position 5: Unexpected symbol.", g_CodeErrorText);
    for (const char* bad : {"#", "@", "`", "\\", "?", "\x7F", "\"a\" #"}) {
        g_CodeErrorFlag = false;
        Tokens(bad);
        EXPECT_FALSE(m_Ok) << bad;
    }
}

TEST_F(LexerTest, CodeWithoutTextGivesNoTokens)
{
    CCode code(nullptr, false);
    TokenArray tokens;
    EXPECT_TRUE(Lexer_Tokenise(&code, &tokens));
    EXPECT_EQ(0, tokens.count);
    TokenArray_Free(&tokens);
}

TEST_F(LexerTest, VeryLongWordIsOneToken)
{
    std::string word(200000, 'w');
    word[100000] = '7';
    EXPECT_EQ("0:" + word + " end", Tokens(word));
}

TEST_F(LexerTest, TextsOfEveryLengthAreReadWithinTheBuffer)
{
    // The working buffer is kept between runs: a short text after a long one must not see the
    // long one's bytes.
    Tokens(std::string(5000, 'a'));
    EXPECT_EQ("0:b end", Tokens("b"));
    EXPECT_EQ("1:7 end", Tokens("7"));
    EXPECT_EQ("212:* end", Tokens("*"));
}

} // namespace
