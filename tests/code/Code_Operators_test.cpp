#include "code/Code_Operators.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "code/Code_Error.h"
#include "code/Code_Lexer.h"
#include "code/Code_Object.h"

namespace {

ScriptValue Real(double real) { return ScriptValue{VALUE_REAL, 0, real}; }
ScriptValue Text(const char* text)
{
    ScriptValue value{};
    Value_SetText(&value, text);
    return value;
}

std::string Show(const ScriptValue& value)
{
    if (Value_GetKind(&value) == VALUE_STRING) return "'" + std::string(Value_GetText(&value) ? Value_GetText(&value) : "") + "'";
    char number[64];
    std::snprintf(number, sizeof number, "%.17g", value.real);
    return number;
}

// Runs an operator on values as an expression's code object would: the result's text form ("3",
// "'ab'") or "error: " and the message reported, without the text that places it in the source.
// A failure must leave the left value as it was.
std::string Apply(ScriptValue left, int32_t op, const ScriptValue* right)
{
    CCode code("a op b", true);
    g_CodeErrorFlag = false;
    std::string before = Show(left);
    ScriptValue operand = right != nullptr ? *right : ScriptValue{};
    bool ok = right != nullptr ? Operator_Binary(&code, 0, op, &left, &operand) : Operator_Unary(&code, 0, op, &left);
    std::string result = Show(left);
    Value_Free(&left);
    Value_Free(&operand);
    if (ok) return result;
    EXPECT_EQ(result, before) << "a failure changed the left value";
    size_t at = g_CodeErrorText.find(": ", g_CodeErrorText.find("position"));
    return "error: " + (at == std::string::npos ? g_CodeErrorText : g_CodeErrorText.substr(at + 2));
}
std::string Binary(ScriptValue left, int32_t op, ScriptValue right) { return Apply(left, op, &right); }
std::string Unary(int32_t op, ScriptValue operand) { return Apply(operand, op, nullptr); }

TEST(OperatorTest, ResultsAndMessages)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        std::string got;
        const char* expected;
    } cases[] = {
        // String repetition needs the count on the left; the count is a whole number, ties to even.
        {Binary(Real(-2), TOKEN_TIMES, Text("ab")), "''"}, {Binary(Real(2.5), TOKEN_TIMES, Text("ab")), "'abab'"},
        {Binary(Real(5), TOKEN_TIMES, Text(nullptr)), "''"},
        {Binary(Text("ab"), TOKEN_TIMES, Real(3)), "error: Wrong type of arguments to *."},
        // Texts too long for memory are refused; beyond int32 the count is INT_MIN.
        {Binary(Real(2147483647), TOKEN_TIMES, Text("abcd")), "error: String result too long."},
        {Binary(Real(1e8), TOKEN_TIMES, Text("a")), "error: String result too long."},
        {Binary(Real(1e12), TOKEN_TIMES, Text("ab")), "''"},
        {Binary(Text(nullptr), TOKEN_PLUS, Text("b")), "'b'"},
        {Binary(Real(1), TOKEN_PLUS, Text("a")), "error: Wrong type of arguments to +."},
        {Binary(Real(7.9), TOKEN_DIV, Real(2.9)), "3"}, {Binary(Real(-2147483648.0), TOKEN_DIV, Real(-1)), "-2147483648"},
        {Binary(Real(-7), TOKEN_MOD, Real(3)), "-1"}, {Binary(Real(7.5), TOKEN_MOD, Real(2)), "1.5"},
        {Binary(Real(1e10), TOKEN_MOD, Real(3)), "1"}, // a quotient beyond 32 bits still gives the remainder
        {Binary(Real(5), TOKEN_MOD, Real(0)), "error: Modulo by 0."},
        {Binary(Real(5), TOKEN_DIVIDE, Real(0)), "error: Division by 0."},
        {Binary(Real(5), TOKEN_DIVIDE, Real(-0.0)), "error: Division by 0."},
        // A divisor that truncates to 0 would be an integer division by zero.
        {Binary(Real(5), TOKEN_DIV, Real(-0.99)), "error: Division by 0."},
        // Shifts take the count modulo 32.
        {Binary(Real(1), TOKEN_SHIFT_LEFT, Real(33)), "2"}, {Binary(Real(1), TOKEN_SHIFT_LEFT, Real(-1)), "-2147483648"},
        {Binary(Real(-8), TOKEN_SHIFT_RIGHT, Real(63)), "-1"},
        {Binary(Text("1"), TOKEN_SHIFT_LEFT, Real(1)), "error: Wrong type of arguments for <<."},
        {Binary(Real(1), TOKEN_SHIFT_RIGHT, Text("1")), "error: Wrong type of arguments for >>."},
        // Bitwise operators use whole numbers; out of range is INT_MIN.
        {Binary(Real(2.5), TOKEN_BIT_OR, Real(0)), "2"}, {Binary(Real(3.5), TOKEN_BIT_OR, Real(0)), "4"},
        {Unary(TOKEN_BIT_NOT, Real(5)), "-6"}, {Unary(TOKEN_BIT_NOT, Real(1e20)), "2147483647"},
        // Logic treats a half and above as true.
        {Binary(Real(0.49), TOKEN_AND, Real(1)), "0"}, {Binary(Real(1), TOKEN_XOR, Real(2)), "0"},
        {Binary(Real(0.2), TOKEN_OR, Real(7)), "1"}, {Unary(TOKEN_NOT, Real(0.5)), "0"}, {Unary(TOKEN_NOT, Real(nan)), "1"},
        {Unary(TOKEN_MINUS, Real(2.5)), "-2.5"},
        // Reals compare exactly, texts by unsigned bytes; a comparison of a text gives a real.
        {Binary(Real(0.1 + 0.2), TOKEN_EQUAL, Real(0.3)), "0"}, {Binary(Real(2), TOKEN_ASSIGN, Real(2)), "1"},
        {Binary(Text("\xC3\xA9"), TOKEN_GREATER, Text("z")), "1"}, {Binary(Text(nullptr), TOKEN_EQUAL, Text("")), "1"},
        {Binary(Text("ab"), TOKEN_NOT_EQUAL, Text("abc")), "1"},
        {Binary(Real(1), TOKEN_LESS, Text("1")), "error: Cannot compare arguments."},
        {Binary(Text("1"), TOKEN_EQUAL, Real(1)), "error: Cannot compare arguments."},
        {Unary(TOKEN_NOT, Text("x")), "error: Wrong type of arguments to unary operator."},
        {Binary(Real(1), TOKEN_COMMA, Real(2)), "error: Internal error: unknown binary operator."},
        {Unary(TOKEN_TIMES, Real(2)), "error: Internal error: unknown unary operator."},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
    // Every operator on reals names itself on wrong types, on either side.
    const std::pair<int32_t, const char*> table[] = {
        {TOKEN_AND, "Wrong type of arguments for &&."},    {TOKEN_OR, "Wrong type of arguments for ||."},
        {TOKEN_XOR, "Wrong type of arguments for ^^."},    {TOKEN_MINUS, "Wrong type of arguments to -."},
        {TOKEN_DIVIDE, "Wrong type of arguments to /."},   {TOKEN_DIV, "Wrong type of arguments to div."},
        {TOKEN_MOD, "Wrong type of arguments to mod."},    {TOKEN_BIT_OR, "Wrong type of arguments for |."},
        {TOKEN_BIT_AND, "Wrong type of arguments for &."}, {TOKEN_BIT_XOR, "Wrong type of arguments for ^."},
    };
    for (const auto& [op, message] : table) {
        EXPECT_EQ(std::string("error: ") + message, Binary(Real(1), op, Text("x"))) << op;
        EXPECT_EQ(std::string("error: ") + message, Binary(Text("x"), op, Real(1))) << op;
    }
    // Reports go to the given position.
    CCode code("x = 1\ny = 2 / 0", false);
    ScriptValue left = Real(2), right = Real(0);
    g_CodeErrorFlag = false;
    EXPECT_FALSE(Operator_Binary(&code, 14, TOKEN_DIVIDE, &left, &right));
    EXPECT_EQ("Error in code at line 2:\n   y = 2 / 0\n\nat position 9: Division by 0.", g_CodeErrorText);
}

} // namespace
