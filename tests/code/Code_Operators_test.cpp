#include "code/Code_Operators.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

#include "code/Code_Error.h"
#include "code/Code_Lexer.h"
#include "code/Code_Object.h"

namespace {

ScriptValue Real(double real)
{
    ScriptValue value{};
    Value_SetReal(&value, real);
    return value;
}

ScriptValue Text(const char* text)
{
    ScriptValue value{};
    Value_SetText(&value, text);
    return value;
}

// Runs the operators on values as an expression's code object would, and reads back the result or
// the message reported.
class OperatorTest : public testing::Test {
  protected:
    void SetUp() override { g_CodeErrorFlag = false; }
    void TearDown() override { Value_Free(&m_Left); }

    // The result's text form ("3", "'ab'") or "error: <message>".
    std::string Binary(ScriptValue left, int32_t op, ScriptValue right)
    {
        Value_Free(&m_Left);
        m_Left = left;
        g_CodeErrorFlag = false;
        bool ok = Operator_Binary(&m_Code, 0, op, &m_Left, &right);
        Value_Free(&right);
        return ok ? Show(m_Left) : "error: " + Message();
    }

    std::string Unary(int32_t op, ScriptValue operand)
    {
        Value_Free(&m_Left);
        m_Left = operand;
        g_CodeErrorFlag = false;
        return Operator_Unary(&m_Code, 0, op, &m_Left) ? Show(m_Left) : "error: " + Message();
    }

    static std::string Show(const ScriptValue& value)
    {
        if (Value_GetKind(&value) == VALUE_STRING) {
            const char* text = Value_GetText(&value);
            return std::string("'") + (text != nullptr ? text : "") + "'";
        }
        char number[64];
        std::snprintf(number, sizeof number, "%.17g", value.real);
        return number;
    }

    // The message of the report, without the text that places it in the source.
    static std::string Message()
    {
        size_t at = g_CodeErrorText.find(": ", g_CodeErrorText.find("position"));
        return at == std::string::npos ? g_CodeErrorText : g_CodeErrorText.substr(at + 2);
    }

    CCode m_Code{"a op b", true};
    ScriptValue m_Left{};
};

TEST_F(OperatorTest, StringRepetitionNeedsTheCountOnTheLeft)
{
    EXPECT_EQ("'ababab'", Binary(Real(3), TOKEN_TIMES, Text("ab")));
    EXPECT_EQ("''", Binary(Real(0), TOKEN_TIMES, Text("ab")));
    EXPECT_EQ("''", Binary(Real(-2), TOKEN_TIMES, Text("ab")));
    EXPECT_EQ("'abab'", Binary(Real(2.5), TOKEN_TIMES, Text("ab"))); // whole number: ties to even
    EXPECT_EQ("''", Binary(Real(5), TOKEN_TIMES, Text(nullptr)));
    EXPECT_EQ("error: Wrong type of arguments to *.", Binary(Text("ab"), TOKEN_TIMES, Real(3)));
    EXPECT_EQ("error: Wrong type of arguments to *.", Binary(Text("a"), TOKEN_TIMES, Text("b")));
    EXPECT_EQ("6", Binary(Real(2), TOKEN_TIMES, Real(3)));
}

TEST_F(OperatorTest, TextsTooLongForMemoryAreRefused)
{
    EXPECT_EQ("error: String result too long.", Binary(Real(2147483647), TOKEN_TIMES, Text("abcd")));
    EXPECT_EQ("error: String result too long.", Binary(Real(1e8), TOKEN_TIMES, Text("a")));
    EXPECT_EQ("''", Binary(Real(1e12), TOKEN_TIMES, Text("ab"))); // beyond int32: INT_MIN rounds
}

TEST_F(OperatorTest, AdditionOfRealsOrTexts)
{
    EXPECT_EQ("'ab'", Binary(Text("a"), TOKEN_PLUS, Text("b")));
    EXPECT_EQ("'b'", Binary(Text(nullptr), TOKEN_PLUS, Text("b")));
    EXPECT_EQ("''", Binary(Text(nullptr), TOKEN_PLUS, Text(nullptr)));
    EXPECT_EQ("3.5", Binary(Real(1), TOKEN_PLUS, Real(2.5)));
    EXPECT_EQ("error: Wrong type of arguments to +.", Binary(Text("a"), TOKEN_PLUS, Real(1)));
    EXPECT_EQ("error: Wrong type of arguments to +.", Binary(Real(1), TOKEN_PLUS, Text("a")));
}

TEST_F(OperatorTest, IntegerDivisionAndModulo)
{
    EXPECT_EQ("-3", Binary(Real(7), TOKEN_DIV, Real(-2)));
    EXPECT_EQ("3", Binary(Real(7.9), TOKEN_DIV, Real(2.9)));
    EXPECT_EQ("-2147483648", Binary(Real(-2147483648.0), TOKEN_DIV, Real(-1)));
    EXPECT_EQ("-1", Binary(Real(-7), TOKEN_MOD, Real(3)));
    EXPECT_EQ("1.5", Binary(Real(7.5), TOKEN_MOD, Real(2)));
    EXPECT_EQ("1.5", Binary(Real(5.5), TOKEN_MOD, Real(2)));
    EXPECT_EQ("1", Binary(Real(7), TOKEN_MOD, Real(-3)));
    // A quotient beyond 32 bits still gives the remainder.
    EXPECT_EQ("1", Binary(Real(1e10), TOKEN_MOD, Real(3)));
    EXPECT_EQ("error: Modulo by 0.", Binary(Real(5), TOKEN_MOD, Real(0)));
}

TEST_F(OperatorTest, DivisionByZeroIsReported)
{
    EXPECT_EQ("error: Division by 0.", Binary(Real(5), TOKEN_DIVIDE, Real(0)));
    EXPECT_EQ("error: Division by 0.", Binary(Real(5), TOKEN_DIVIDE, Real(-0.0)));
    EXPECT_EQ("50000", Binary(Real(5), TOKEN_DIVIDE, Real(0.0001)));
    EXPECT_EQ("error: Division by 0.", Binary(Real(5), TOKEN_DIV, Real(0)));
    // A divisor that truncates to 0 would be an integer division by zero.
    EXPECT_EQ("error: Division by 0.", Binary(Real(5), TOKEN_DIV, Real(0.5)));
    EXPECT_EQ("error: Division by 0.", Binary(Real(5), TOKEN_DIV, Real(-0.99)));
}

TEST_F(OperatorTest, ShiftsTakeTheCountModulo32)
{
    EXPECT_EQ("2", Binary(Real(1), TOKEN_SHIFT_LEFT, Real(33)));
    EXPECT_EQ("-2147483648", Binary(Real(1), TOKEN_SHIFT_LEFT, Real(31)));
    EXPECT_EQ("-2147483648", Binary(Real(1), TOKEN_SHIFT_LEFT, Real(-1)));
    EXPECT_EQ("-4", Binary(Real(-8), TOKEN_SHIFT_RIGHT, Real(1)));
    EXPECT_EQ("-1", Binary(Real(-8), TOKEN_SHIFT_RIGHT, Real(63)));
    EXPECT_EQ("4", Binary(Real(8), TOKEN_SHIFT_RIGHT, Real(33)));
    EXPECT_EQ("error: Wrong type of arguments for <<.", Binary(Text("1"), TOKEN_SHIFT_LEFT, Real(1)));
    EXPECT_EQ("error: Wrong type of arguments for >>.", Binary(Real(1), TOKEN_SHIFT_RIGHT, Text("1")));
}

TEST_F(OperatorTest, BitwiseOperatorsUseWholeNumbers)
{
    EXPECT_EQ("2", Binary(Real(2.5), TOKEN_BIT_OR, Real(0)));
    EXPECT_EQ("4", Binary(Real(3.5), TOKEN_BIT_OR, Real(0)));
    EXPECT_EQ("4", Binary(Real(12), TOKEN_BIT_AND, Real(6)));
    EXPECT_EQ("10", Binary(Real(12), TOKEN_BIT_XOR, Real(6)));
    EXPECT_EQ("-6", Unary(TOKEN_BIT_NOT, Real(5)));
    EXPECT_EQ("2147483647", Unary(TOKEN_BIT_NOT, Real(1e20))); // out of range: INT_MIN, complemented
}

TEST_F(OperatorTest, LogicTreatsHalfAndAboveAsTrue)
{
    EXPECT_EQ("0", Binary(Real(0.49), TOKEN_AND, Real(1)));
    EXPECT_EQ("1", Binary(Real(0.5), TOKEN_AND, Real(1)));
    EXPECT_EQ("1", Binary(Real(0.5), TOKEN_XOR, Real(0)));
    EXPECT_EQ("0", Binary(Real(1), TOKEN_XOR, Real(2)));
    EXPECT_EQ("0", Binary(Real(0.2), TOKEN_OR, Real(-5)));
    EXPECT_EQ("1", Binary(Real(0.2), TOKEN_OR, Real(7)));
    EXPECT_EQ("1", Unary(TOKEN_NOT, Real(0.49)));
    EXPECT_EQ("0", Unary(TOKEN_NOT, Real(0.5)));
    EXPECT_EQ("1", Unary(TOKEN_NOT, Real(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ("-2.5", Unary(TOKEN_MINUS, Real(2.5)));
    EXPECT_EQ("2.5", Unary(TOKEN_PLUS, Real(2.5)));
}

TEST_F(OperatorTest, ComparisonsOfRealsAreExactAndOfTextsByUnsignedBytes)
{
    EXPECT_EQ("0", Binary(Real(0.1 + 0.2), TOKEN_EQUAL, Real(0.3)));
    EXPECT_EQ("1", Binary(Real(2), TOKEN_ASSIGN, Real(2)));
    EXPECT_EQ("1", Binary(Text("abc"), TOKEN_EQUAL, Text("abc")));
    EXPECT_EQ("1", Binary(Text("a"), TOKEN_LESS, Text("b")));
    EXPECT_EQ("1", Binary(Text("\xC3\xA9"), TOKEN_GREATER, Text("z")));
    EXPECT_EQ("1", Binary(Text(nullptr), TOKEN_EQUAL, Text("")));
    EXPECT_EQ("1", Binary(Text(nullptr), TOKEN_LESS_EQUAL, Text(nullptr)));
    EXPECT_EQ("1", Binary(Text("ab"), TOKEN_NOT_EQUAL, Text("abc")));
    EXPECT_EQ("0", Binary(Real(1), TOKEN_GREATER_EQUAL, Real(2)));
    EXPECT_EQ("error: Cannot compare arguments.", Binary(Real(1), TOKEN_LESS, Text("1")));
    EXPECT_EQ("error: Cannot compare arguments.", Binary(Text("1"), TOKEN_EQUAL, Real(1)));
}

TEST_F(OperatorTest, ComparisonResultReplacesATextWithAReal)
{
    Binary(Text("b"), TOKEN_GREATER, Text("a"));
    EXPECT_EQ(VALUE_REAL, Value_GetKind(&m_Left));
    EXPECT_EQ(nullptr, Value_GetText(&m_Left));
    EXPECT_EQ(1.0, double(m_Left.real));
}

TEST_F(OperatorTest, EveryOperatorOnRealsNamesItselfOnWrongTypes)
{
    const struct {
        int32_t op;
        const char* message;
    } table[] = {
        {TOKEN_AND, "Wrong type of arguments for &&."},    {TOKEN_OR, "Wrong type of arguments for ||."},
        {TOKEN_XOR, "Wrong type of arguments for ^^."},    {TOKEN_MINUS, "Wrong type of arguments to -."},
        {TOKEN_DIVIDE, "Wrong type of arguments to /."},   {TOKEN_DIV, "Wrong type of arguments to div."},
        {TOKEN_MOD, "Wrong type of arguments to mod."},    {TOKEN_BIT_OR, "Wrong type of arguments for |."},
        {TOKEN_BIT_AND, "Wrong type of arguments for &."}, {TOKEN_BIT_XOR, "Wrong type of arguments for ^."},
    };
    for (const auto& entry : table) {
        EXPECT_EQ(std::string("error: ") + entry.message, Binary(Real(1), entry.op, Text("x"))) << entry.op;
        EXPECT_EQ(std::string("error: ") + entry.message, Binary(Text("x"), entry.op, Real(1))) << entry.op;
    }
    EXPECT_EQ("error: Wrong type of arguments to unary operator.", Unary(TOKEN_NOT, Text("x")));
}

TEST_F(OperatorTest, UnknownOperatorsAreInternalErrors)
{
    EXPECT_EQ("error: Internal error: unknown binary operator.", Binary(Real(1), TOKEN_COMMA, Real(2)));
    EXPECT_EQ("error: Internal error: unknown unary operator.", Unary(TOKEN_TIMES, Real(2)));
}

TEST_F(OperatorTest, FailureLeavesTheLeftValueAsItWas)
{
    Binary(Text("keep"), TOKEN_MINUS, Real(1));
    EXPECT_EQ("'keep'", Show(m_Left));
    Binary(Real(4), TOKEN_DIVIDE, Real(0));
    EXPECT_EQ("4", Show(m_Left));
}

TEST_F(OperatorTest, ReportsGoToTheGivenPosition)
{
    CCode code("x = 1\ny = 2 / 0", false);
    ScriptValue left = Real(2);
    ScriptValue right = Real(0);
    EXPECT_FALSE(Operator_Binary(&code, 14, TOKEN_DIVIDE, &left, &right));
    EXPECT_EQ("Error in code at line 2:\n   y = 2 / 0\n\nat position 9: Division by 0.", g_CodeErrorText);
}

} // namespace
