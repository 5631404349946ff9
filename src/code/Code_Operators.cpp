#include "code/Code_Operators.h"

#include <cmath>
#include <cstring>
#include <string>

#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "code/Code_Lexer.h"

namespace {

bool Fail(CCode* code, int32_t position, const char* message)
{
    Code_Report_Error(code, position, message);
    return false;
}

bool IsReal(const ScriptValue* value)
{
    return Value_GetKind(value) == VALUE_REAL;
}
bool IsString(const ScriptValue* value)
{
    return Value_GetKind(value) == VALUE_STRING;
}
bool IsTrue(double real)
{
    return real >= 0.5;
}

const char* TextOrEmpty(const ScriptValue* value)
{
    const char* text = Value_GetText(value);
    return text != nullptr ? text : "";
}

// The whole number of a real: nearest, ties to even (NaN and out of range give INT_MIN).
int32_t Whole(const ScriptValue* value)
{
    return Numbers_RoundToInt32(value->real);
}

struct Operands {
    double left;
    double right;
};

// The messages of the operators that take two reals.
const char* RealsMessage(int32_t op)
{
    switch (op) {
    case TOKEN_AND:
        return "Wrong type of arguments for &&.";
    case TOKEN_OR:
        return "Wrong type of arguments for ||.";
    case TOKEN_XOR:
        return "Wrong type of arguments for ^^.";
    case TOKEN_MINUS:
        return "Wrong type of arguments to -.";
    case TOKEN_DIVIDE:
        return "Wrong type of arguments to /.";
    case TOKEN_DIV:
        return "Wrong type of arguments to div.";
    case TOKEN_MOD:
        return "Wrong type of arguments to mod.";
    case TOKEN_BIT_OR:
        return "Wrong type of arguments for |.";
    case TOKEN_BIT_AND:
        return "Wrong type of arguments for &.";
    case TOKEN_BIT_XOR:
        return "Wrong type of arguments for ^.";
    case TOKEN_SHIFT_LEFT:
        return "Wrong type of arguments for <<.";
    case TOKEN_SHIFT_RIGHT:
        return "Wrong type of arguments for >>.";
    default:
        return nullptr;
    }
}

// `mod`: left - right * q with q the quotient truncated to 32 bits. Where the quotient does not fit
// 32 bits that truncation has no meaning, and the remainder is taken directly.
double Modulo(double left, double right)
{
    double quotient = left / right;
    if (std::fabs(quotient) < 2147483648.0) return left - right * Numbers_TruncToInt32(quotient);
    return std::fmod(left, right);
}

// Operators on two reals; false with the message for a zero divisor.
bool RealResult(int32_t op, Operands in, double* out, const char** failure)
{
    switch (op) {
    case TOKEN_AND:
        *out = IsTrue(in.left) && IsTrue(in.right) ? 1.0 : 0.0;
        return true;
    case TOKEN_OR:
        *out = IsTrue(in.left) || IsTrue(in.right) ? 1.0 : 0.0;
        return true;
    case TOKEN_XOR:
        *out = IsTrue(in.left) != IsTrue(in.right) ? 1.0 : 0.0;
        return true;
    case TOKEN_MINUS:
        *out = in.left - in.right;
        return true;
    case TOKEN_DIVIDE:
        if (in.right == 0.0) break;
        *out = in.left / in.right;
        return true;
    case TOKEN_DIV: {
        // A divisor between -1 and 1 truncates to 0: a division by 0 as well.
        int32_t divisor = Numbers_TruncToInt32(in.right);
        if (in.right == 0.0 || divisor == 0) break;
        *out = Numbers_DivInt32(Numbers_TruncToInt32(in.left), divisor);
        return true;
    }
    case TOKEN_MOD:
        if (in.right == 0.0) {
            *failure = "Modulo by 0.";
            return false;
        }
        *out = Modulo(in.left, in.right);
        return true;
    case TOKEN_BIT_OR:
        *out = Numbers_RoundToInt32(in.left) | Numbers_RoundToInt32(in.right);
        return true;
    case TOKEN_BIT_AND:
        *out = Numbers_RoundToInt32(in.left) & Numbers_RoundToInt32(in.right);
        return true;
    case TOKEN_BIT_XOR:
        *out = Numbers_RoundToInt32(in.left) ^ Numbers_RoundToInt32(in.right);
        return true;
    case TOKEN_SHIFT_LEFT: {
        uint32_t bits = static_cast<uint32_t>(Numbers_RoundToInt32(in.left));
        *out = static_cast<int32_t>(bits << (Numbers_RoundToInt32(in.right) & 31));
        return true;
    }
    case TOKEN_SHIFT_RIGHT:
        *out = Numbers_RoundToInt32(in.left) >> (Numbers_RoundToInt32(in.right) & 31);
        return true;
    default:
        return false;
    }
    *failure = "Division by 0.";
    return false;
}

bool SetTextResult(CCode* code, int32_t position, ScriptValue* left, const std::string& text)
{
    if (text.size() > VALUE_MAX_TEXT) return Fail(code, position, VALUE_TEXT_TOO_LONG);
    Value_SetText(left, text.c_str());
    return true;
}

bool Add(CCode* code, int32_t position, ScriptValue* left, const ScriptValue* right)
{
    if (IsReal(left) && IsReal(right)) {
        Value_SetReal(left, left->real + right->real);
        return true;
    }
    if (!IsString(left) || !IsString(right)) return Fail(code, position, "Wrong type of arguments to +.");
    const char* first = TextOrEmpty(left);
    const char* second = TextOrEmpty(right);
    size_t firstLength = std::strlen(first);
    size_t secondLength = std::strlen(second);
    if (firstLength + secondLength > VALUE_MAX_TEXT)
        return Fail(code, position, VALUE_TEXT_TOO_LONG);
    std::string joined;
    joined.reserve(firstLength + secondLength);
    joined.append(first, firstLength).append(second, secondLength);
    return SetTextResult(code, position, left, joined);
}

// A real times a string repeats the text as many times as the real's whole number.
bool Multiply(CCode* code, int32_t position, ScriptValue* left, const ScriptValue* right)
{
    if (IsReal(left) && IsReal(right)) {
        Value_SetReal(left, left->real * right->real);
        return true;
    }
    if (!IsReal(left) || !IsString(right)) return Fail(code, position, "Wrong type of arguments to *.");
    int32_t count = Whole(left);
    const char* text = TextOrEmpty(right);
    uint64_t length = std::strlen(text);
    uint64_t total = count > 0 ? length * static_cast<uint64_t>(count) : 0;
    if (total > VALUE_MAX_TEXT) return Fail(code, position, VALUE_TEXT_TOO_LONG);
    std::string repeated;
    repeated.reserve(static_cast<size_t>(total));
    for (int32_t i = 0; i < count && length > 0; ++i)
        repeated.append(text, static_cast<size_t>(length));
    return SetTextResult(code, position, left, repeated);
}

bool IsComparison(int32_t op)
{
    return op == TOKEN_LESS || op == TOKEN_LESS_EQUAL || op == TOKEN_ASSIGN || op == TOKEN_EQUAL ||
           op == TOKEN_NOT_EQUAL || op == TOKEN_GREATER_EQUAL || op == TOKEN_GREATER;
}

bool Compare(CCode* code, int32_t position, int32_t op, ScriptValue* left, const ScriptValue* right)
{
    if (left->kind != right->kind) return Fail(code, position, "Cannot compare arguments.");
    double order;
    if (IsReal(left)) {
        order = left->real - right->real;
    } else if (IsString(left)) {
        int result = std::strcmp(TextOrEmpty(left), TextOrEmpty(right)); // compares as unsigned bytes
        order = result < 0 ? -1.0 : (result > 0 ? 1.0 : 0.0);
    } else {
        return Fail(code, position, "Cannot compare arguments.");
    }
    bool holds = false;
    switch (op) {
    case TOKEN_LESS:
        holds = order < 0;
        break;
    case TOKEN_LESS_EQUAL:
        holds = order <= 0;
        break;
    case TOKEN_ASSIGN:
    case TOKEN_EQUAL:
        holds = order == 0;
        break;
    case TOKEN_NOT_EQUAL:
        holds = order != 0;
        break;
    case TOKEN_GREATER_EQUAL:
        holds = order >= 0;
        break;
    default:
        holds = order > 0;
        break;
    }
    Value_SetReal(left, holds ? 1.0 : 0.0);
    return true;
}

} // namespace

bool Operator_Unary(CCode* code, int32_t position, int32_t op, ScriptValue* value)
{
    if (op != TOKEN_NOT && op != TOKEN_PLUS && op != TOKEN_MINUS && op != TOKEN_BIT_NOT)
        return Fail(code, position, "Internal error: unknown unary operator.");
    if (!IsReal(value)) return Fail(code, position, "Wrong type of arguments to unary operator.");
    switch (op) {
    case TOKEN_NOT:
        Value_SetReal(value, IsTrue(value->real) ? 0.0 : 1.0);
        break;
    case TOKEN_MINUS:
        Value_SetReal(value, -value->real);
        break;
    case TOKEN_BIT_NOT:
        Value_SetReal(value, ~Whole(value));
        break;
    default:
        break; // unary plus
    }
    return true;
}

bool Operator_Binary(CCode* code, int32_t position, int32_t op, ScriptValue* left, const ScriptValue* right)
{
    if (op == TOKEN_PLUS) return Add(code, position, left, right);
    if (op == TOKEN_TIMES) return Multiply(code, position, left, right);
    if (IsComparison(op)) return Compare(code, position, op, left, right);
    const char* message = RealsMessage(op);
    if (message == nullptr) return Fail(code, position, "Internal error: unknown binary operator.");
    if (!IsReal(left) || !IsReal(right)) return Fail(code, position, message);
    double result = 0.0;
    const char* failure = nullptr;
    if (!RealResult(op, {left->real, right->real}, &result, &failure))
        return Fail(code, position, failure != nullptr ? failure : message);
    Value_SetReal(left, result);
    return true;
}
