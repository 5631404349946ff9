// The computing instructions in every operand form: each instruction with the type pairs it takes
// (and the type of what it pushes, checked by converting the result and finding the stack balanced)
// and at least one pair it refuses, with the refusal's words.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "Code_InterpreterSupport.h"

using namespace vmtest;

namespace {

// One operand: the code that pushes it and its type letter in the instruction.
struct Item {
    std::string push;
    char type;
};

std::string Number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

Item D(double value) { return {"push.d " + Number(value) + "\n", 'd'}; }
Item F(float value) { return {"push.f " + Number(value) + "\n", 'f'}; }
Item I(int64_t value) { return {"push.i " + std::to_string(value) + "\n", 'i'}; }
Item L(int64_t value) { return {"push.l " + std::to_string(value) + "\n", 'l'}; }
Item B(bool value) { return {std::string("push.b ") + (value ? "true" : "false") + "\n", 'b'}; }
Item S(const std::string& text) { return {"push.s \"" + text + "\"\n", 's'}; }
Item Missing() { return {"push.s #99\n", 's'}; } // a string slot without text
Item VR(double value) { return {D(value).push + "conv.d.v\n", 'v'}; }
Item VS(const std::string& text) { return {S(text).push + "conv.s.v\n", 'v'}; }
// A variable holding an array.
Item VA() { return {"push.e 1\npush.e 0\npop.v.i global.vmtest_list[]\npush.v global.vmtest_list\n", 'v'}; }

constexpr double INT_MIN32 = std::numeric_limits<int32_t>::min();

// What a run must give: a real, a text ("'...'"), or an error ("!...").
void ExpectOutcome(const std::string& source, double real, const char* text)
{
    RunOutcome outcome = RunProgram(source);
    SCOPED_TRACE(source);
    if (text != nullptr && text[0] == '!') {
        EXPECT_TRUE(outcome.failed);
        EXPECT_EQ(outcome.error, text + 1);
        return;
    }
    EXPECT_FALSE(outcome.failed) << outcome.error;
    EXPECT_EQ(outcome.leftOnStack, 0) << "pushed something else than its type";
    if (text != nullptr) {
        EXPECT_EQ(Value_GetKind(&outcome.result), VALUE_STRING);
        EXPECT_EQ(outcome.Text(), text);
    } else {
        EXPECT_EQ(Value_GetKind(&outcome.result), VALUE_REAL);
        EXPECT_EQ(outcome.Real(), real);
        if (real == 0) { EXPECT_EQ(std::signbit(outcome.Real()), std::signbit(real)); }
    }
}

class MathTest : public InterpreterTest {};

TEST_F(MathTest, BinaryOperations)
{
    const struct {
        const char* op;
        Item left, right;
        char result;      // the type pushed, converted to a variable after
        double real;
        const char* text = nullptr; // a text result, or "!" and the error
    } rows[] = {
        {"add", D(0.5), L(5000000000), 'd', 5000000000.5}, {"add", I(2147483647), I(1), 'i', INT_MIN32}, // wraps
        {"add", VS("ab"), VS("cd"), 'v', 0, "abcd"}, {"add", Missing(), S("cd"), 's', 0, "cd"},
        {"add", VA(), VR(1), 'v', 0, "!illegal array use"},
        {"sub", D(5), D(1.5), 'd', 3.5}, {"sub", I(5), D(0.5), 'd', 4.5}, {"sub", VR(5), I(7), 'v', -2},
        {"sub", L(5), I(1), 'v', 0, "!DoSub:: Execution Error"},
        // mul repeats a text by a count that is truncated.
        {"mul", I(65536), I(65536), 'i', 0}, {"mul", D(2.9), S("ab"), 's', 0, "abab"}, {"mul", I(-2), S("ab"), 's', 0, ""},
        {"mul", S("ab"), I(3), 'v', 0, "!DoMul :: Execution Error"}, {"mul", VA(), VR(3), 'v', 0, "!Variable is malformed"},
        {"div", I(-7), I(2), 'i', -3}, {"div", I(INT_MIN32), I(-1), 'i', INT_MIN32}, // no trap
        {"div", D(1), D(1e-11), 'v', 0, "!DoDiv :: Divide by zero"},
        {"div", S("a"), I(1), 'v', 0, "!DoDiv :: Execution Engine - Cannot operate on string type"},
        {"div", L(1), D(1), 'v', 0, "!DoDiv :: Execution Error"},
        {"rem", D(-7.9), I(2), 'd', -3}, {"rem", D(-2147483648.0), D(-1), 'd', INT_MIN32},
        {"rem", I(5), D(0.5), 'v', 0, "!DoRem :: Divide by zero"},
        {"rem", VS("5"), VR(2), 'v', 0, "!DoRem :: Execution Engine - Cannot operate on string type"},
        {"rem", L(5), I(2), 'v', 0, "!DoRem :: Execution Error"},
        // Whole numbers of every size give fmod's answer, the sign of a zero included.
        {"mod", I(-7), I(3), 'i', -1}, {"mod", I(INT_MIN32), I(-1), 'i', 0}, {"mod", VR(1e20), VR(3), 'v', std::fmod(1e20, 3)},
        {"mod", VR(5000000000.0), VR(7), 'v', std::fmod(5000000000.0, 7)},
        {"mod", VR(-6), I(3), 'v', -0.0}, {"mod", D(7), D(1e-11), 'v', 0, "!DoMod :: Divide by zero"},
        // A whole int32 divisor: fractional, large and -0 dividends, and the int32 extremes.
        {"mod", D(-7.5), I(2), 'd', -1.5}, {"mod", VR(-0.0), I(5), 'v', -0.0}, {"mod", D(-2147483648.0), I(-1), 'd', -0.0},
        {"mod", VR(5000000000.0), I(-7), 'v', std::fmod(5000000000.0, -7)}, {"mod", D(7), I(INT_MIN32), 'd', 7},
        {"mod", VR(-2147483647.0), I(2), 'v', -1}, {"mod", D(1), I(0), 'v', 0, "!DoMod :: Divide by zero"},
        {"mod", S("7"), I(2), 'v', 0, "!DoMod :: Execution Engine - Cannot operate on string type"},
        {"mod", B(true), B(true), 'v', 0, "!DoMod :: Execution Error"},
        {"and", D(6.9), I(3), 'd', 2}, {"xor", D(-1), D(5000000000.0), 'd', -5000000001.0}, // 64-bit
        {"or", I(6), I(3), 'i', 7}, {"xor", B(true), B(true), 'b', 0}, {"or", I(1), B(true), 'v', 0, "!DoOr :: Execution Error"},
        {"and", D(1), L(1), 'v', 0, "!DoAnd :: Execution Error"},
        {"and", VS("a"), I(1), 'v', 0, "!DoAnd :: Execution Engine - Cannot operate on string type"},
        {"xor", S("a"), S("b"), 'v', 0, "!DoXor :: Execution Engine - Cannot operate on string type"},
        // A double shifts in 64 bits by the count's lowest byte (64 or more fills with the sign); an
        // int32 shifts modulo 32, pushed as a double when the count is one.
        {"shl", D(1), I(40), 'd', 1099511627776.0}, {"shl", D(1), I(259), 'd', 8}, {"shl", I(1), D(33), 'd', 2},
        {"shl", I(1), I(33), 'i', 2}, {"shr", D(-1), I(64), 'd', -1}, {"shr", I(64), D(70), 'd', 1},
        {"shl", I(1), L(2), 'v', 0, "!DoShl :: Execution Error"}, {"shr", I(1), F(2), 'v', 0, "!DoShr :: Execution Error"},
        {"shr", S("a"), I(2), 'v', 0, "!DoShr :: Execution Engine - Cannot operate on string type"},
        // Comparisons push a bool. The tolerance hides rounding but not a difference of 2e-5.
        {"seq", {D(0.1).push + D(0.2).push + "add.d.d\n", 'd'}, D(0.3), 'b', 1}, {"seq", D(1.0), D(1.00002), 'b', 0},
        {"seq", D(2), L(2), 'b', 1},
        // Against a bool the difference is truncated first: 0.5 counts as true.
        {"seq", D(0.5), B(true), 'b', 1}, {"slt", D(-0.5), B(true), 'b', 1},
        // int32 and bool differences wrap as 32-bit integers.
        {"slt", I(INT_MIN32), I(1), 'b', 0},
        // Texts compare by unsigned bytes; a missing text is greater than any other, on either side.
        {"sgt", S("\xC3\xA9"), S("z"), 'b', 1}, {"seq", S(""), Missing(), 'b', 1}, {"sgt", S("a"), Missing(), 'b', 1},
        {"seq", L(1), D(1), 'v', 0, "!DoSet :: Invalid comparison type"}, {"slt", VA(), VR(1), 'v', 0, "!illegal array use"},
    };
    for (const auto& row : rows) {
        std::string source = row.left.push + row.right.push + row.op + "." + row.right.type + "." + row.left.type + "\n";
        if (row.result != 'v') source += std::string("conv.") + row.result + ".v\n";
        ExpectOutcome(source, row.real, row.text);
    }
    // Every comparison on texts: less, equal, greater (numbers: every typed handler's own test).
    const struct {
        const char* op;
        double less, equal, greater;
    } comparisons[] = {{"slt", 1, 0, 0}, {"sle", 1, 1, 0}, {"seq", 0, 1, 0}, {"sne", 1, 0, 1}, {"sge", 0, 1, 1}, {"sgt", 0, 0, 1}};
    for (const auto& c : comparisons) {
        const std::string suffix = std::string(c.op) + ".";
        ExpectOutcome(S("a").push + S("b").push + suffix + "s.s\nconv.b.v", c.less, nullptr);
        ExpectOutcome(S("b").push + S("b").push + suffix + "s.s\nconv.b.v", c.equal, nullptr);
        ExpectOutcome(VS("c").push + VS("b").push + suffix + "v.v\nconv.b.v", c.greater, nullptr);
    }
    double saved = Code_CompareEpsilon;
    Code_CompareEpsilon = 0.001;
    ExpectOutcome(D(1.0).push + D(1.00002).push + "seq.d.d\nconv.b.v", 1, nullptr);
    // At tolerance 0 equality is a difference of exactly 0, in the typed handlers and the generic
    // routine (int64 and bool pairs) alike: a value still equals itself.
    Code_CompareEpsilon = 0;
    const struct {
        Item left, right;
        double equal;
    } exact[] = {{D(0.1), D(0.1), 1}, {VR(0.1), VR(0.1), 1}, {I(7), I(7), 1}, {I(7), D(7), 1}, {D(2), L(2), 1},
                 {D(0.5), B(true), 1}, {D(1.0), D(1.0000001), 0}, {VR(-3), I(-2), 0}};
    for (const auto& row : exact) {
        for (const char* op : {"seq", "sne"}) {
            std::string source = row.left.push + row.right.push + op + "." + row.right.type + "." + row.left.type + "\n";
            ExpectOutcome(source + "conv.b.v\n", std::string(op) == "seq" ? row.equal : 1 - row.equal, nullptr);
        }
    }
    Code_CompareEpsilon = saved;
}

TEST_F(MathTest, ConversionsNegationAndNot)
{
    const struct {
        Item source;
        char target;
        double real;
        const char* text = nullptr;
    } rows[] = {
        {D(0.1), 'f', static_cast<double>(0.1f)}, {D(-2.7), 'i', -2}, {D(3e10), 'i', INT_MIN32}, // out of range
        {D(-3e10), 'l', -3e10}, {D(0.5), 'b', 0}, {D(0.51), 'b', 1}, {D(2.5), 'v', 2.5}, {D(0.5), 's', 0, "0.5"},
        {D(1e20), 's', 0, "1e+020"}, {F(-1.5f), 'i', -1}, {F(0.75f), 'b', 1}, {F(0.25f), 's', 0, "0.25"},
        {I(16777217), 'f', 16777216}, {I(-5), 'b', 1}, {I(-5), 's', 0, "-5"},
        {L(4294967297), 'i', 1}, // the low 32 bits
        {L(4294967296), 'b', 1}, {L(5000000000), 's', 0, "5000000000"}, {B(true), 'f', 1}, {B(true), 's', 0, "true"},
        // Texts convert by their leading decimal number; "true" is the only true bool.
        {S("12abc"), 'i', 12}, {S("  -3.5e1x"), 'd', -35}, {S("0x10"), 'd', 0}, {S("true"), 'b', 1}, {S("True"), 'b', 0},
        {S("-12abc"), 'l', -12}, {F(7.9f), 'l', 7}, {Missing(), 'i', 0}, {S("kept"), 'v', 0, "kept"},
        {S("a"), 's', 0, "!DoConv :: Execution Error"},
        // A variable converts as the double or the text it holds.
        {VR(-2.7), 'i', -2}, {VR(0.6), 'b', 1}, {VR(0.25), 's', 0, "0.25"}, {VS("42"), 'i', 42}, {VS("true"), 'b', 1},
        {D(1), 'd', 0, "!DoConv :: Execution Error"}, {VR(1), 'v', 0, "!DoConv :: Execution Error"},
        {D(1), 'e', 0, "!DoConv :: Execution Error"}, {VA(), 'i', 0, "!illegal array use"},
    };
    for (const auto& row : rows) {
        std::string source = row.source.push + "conv." + row.source.type + "." + row.target + "\n";
        if (row.target != 'v' && row.target != 'e') source += std::string("conv.") + row.target + ".v\n";
        ExpectOutcome(source, row.real, row.text);
    }
    const struct {
        const char* source;
        double real;
        const char* error = nullptr;
    } unary[] = {
        {"push.d 5.7\nnot.d\nconv.d.v", -6}, {"push.f 1.5\nneg.f\nconv.f.v", -1.5},
        {"push.i -2147483648\nneg.i\nconv.i.v", INT_MIN32}, {"push.l 0\nnot.l\nconv.l.v", -1},
        {"push.b false\nnot.b\nconv.b.v", 1},
        {"push.b true\nneg.b\nconv.b.v", 1}, // the whole slot negated: still true
        {"push.d 3\nconv.d.v\nneg.v", -3}, {"push.d 3.9\nconv.d.v\nnot.v", -4},
        {"push.s \"a\"\nconv.s.v\nnot.v", 0, "!DoNot :: Execution Engine - Cannot operate on string type"},
        {"push.s \"a\"\nneg.s", 0, "!DoNeg :: Execution Engine - Cannot operate on string type"},
    };
    for (const auto& row : unary) ExpectOutcome(row.source, row.real, row.error);
    ExpectOutcome(VA().push + "neg.v", 0, "!illegal array use");
}

} // namespace
