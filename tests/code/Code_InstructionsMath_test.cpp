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

std::string Binary(const char* op, const Item& left, const Item& right, char result)
{
    std::string source = left.push + right.push + op + "." + right.type + "." + left.type + "\n";
    if (result != 'v') source += std::string("conv.") + result + ".v\n";
    return source;
}

class MathTest : public InterpreterTest {
protected:
    void Real(const char* op, const Item& left, const Item& right, char result, double expected)
    {
        RunOutcome outcome = RunProgram(Binary(op, left, right, result));
        EXPECT_FALSE(outcome.failed) << op << ": " << outcome.error;
        EXPECT_EQ(Value_GetKind(&outcome.result), VALUE_REAL) << op;
        EXPECT_EQ(outcome.Real(), expected) << op << " " << left.push << right.push;
        EXPECT_EQ(outcome.leftOnStack, 0) << op << " pushed something else than " << result;
    }
    void Text(const char* op, const Item& left, const Item& right, char result, const std::string& expected)
    {
        RunOutcome outcome = RunProgram(Binary(op, left, right, result));
        EXPECT_FALSE(outcome.failed) << op << ": " << outcome.error;
        EXPECT_EQ(Value_GetKind(&outcome.result), VALUE_STRING) << op;
        EXPECT_EQ(outcome.Text(), expected) << op;
        EXPECT_EQ(outcome.leftOnStack, 0) << op;
    }
    void Refused(const char* op, const Item& left, const Item& right, const std::string& message)
    {
        RunOutcome outcome = RunProgram(Binary(op, left, right, 'v'));
        EXPECT_TRUE(outcome.failed) << op << " " << left.push << right.push;
        EXPECT_EQ(outcome.error, message) << op << " " << left.push << right.push;
    }
    // A comparison: its bool, converted to a real.
    double Compare(const char* op, const Item& left, const Item& right)
    {
        RunOutcome outcome = RunProgram(Binary(op, left, right, 'b'));
        EXPECT_FALSE(outcome.failed) << op << ": " << outcome.error;
        EXPECT_EQ(outcome.leftOnStack, 0);
        return outcome.Real();
    }
    RunOutcome Convert(const Item& source, char target)
    {
        std::string code = source.push + "conv." + source.type + "." + target + "\n";
        if (target != 'v') code += std::string("conv.") + target + ".v\n";
        return RunProgram(code);
    }
};

constexpr int32_t INT_MIN32 = std::numeric_limits<int32_t>::min();

} // namespace

TEST_F(MathTest, Add)
{
    Real("add", D(1.5), D(2.25), 'd', 3.75);
    Real("add", D(1.5), I(2), 'd', 3.5);
    Real("add", I(2), D(1.5), 'd', 3.5);
    Real("add", D(0.5), L(5000000000), 'd', 5000000000.5);
    Real("add", L(5000000000), D(0.5), 'd', 5000000000.5);
    Real("add", I(2147483647), I(1), 'i', INT_MIN32); // wraps
    Real("add", VR(1), VR(2), 'v', 3);
    Real("add", VR(1), I(2), 'v', 3);
    Real("add", I(1), VR(2), 'v', 3);
    Text("add", S("ab"), S("cd"), 's', "abcd");
    Text("add", VS("ab"), VS("cd"), 'v', "abcd");
    Text("add", Missing(), S("cd"), 's', "cd");
    Refused("add", S("ab"), D(1), "DoAdd :: Execution Error");
    Refused("add", VS("ab"), VR(1), "DoAdd :: Execution Error");
    Refused("add", L(1), L(2), "DoAdd :: Execution Error");
    Refused("add", VA(), VR(1), "illegal array use");
}

TEST_F(MathTest, Subtract)
{
    Real("sub", D(5), D(1.5), 'd', 3.5);
    Real("sub", D(5), I(2), 'd', 3);
    Real("sub", I(5), D(0.5), 'd', 4.5);
    Real("sub", I(INT_MIN32), I(1), 'i', 2147483647);
    Real("sub", VR(5), I(7), 'v', -2);
    Refused("sub", L(5), I(1), "DoSub:: Execution Error");
    Refused("sub", S("a"), S("b"), "DoSub :: Execution Engine - Cannot operate on string type");
    Refused("sub", VS("a"), VR(1), "DoSub :: Execution Engine - Cannot operate on string type");
}

TEST_F(MathTest, MultiplyAndRepeat)
{
    Real("mul", D(1.5), D(4), 'd', 6);
    Real("mul", D(1.5), I(4), 'd', 6);
    Real("mul", I(4), D(1.5), 'd', 6);
    Real("mul", I(65536), I(65536), 'i', 0); // wraps
    Real("mul", VR(3), VR(-2), 'v', -6);
    Text("mul", I(3), S("ab"), 's', "ababab");
    Text("mul", D(2.9), S("ab"), 's', "abab"); // the count truncated
    Text("mul", I(0), S("ab"), 's', "");
    Text("mul", I(-2), S("ab"), 's', "");
    Text("mul", VR(3), VS("xy"), 'v', "xyxyxy");
    Refused("mul", S("ab"), I(3), "DoMul :: Execution Error");
    Refused("mul", VA(), VR(3), "Variable is malformed");
}

TEST_F(MathTest, DivideAndDivisionByZero)
{
    Real("div", D(1), D(4), 'd', 0.25);
    Real("div", D(1), D(1e-9), 'd', 1 / 1e-9);
    Real("div", D(7), I(2), 'd', 3.5);
    Real("div", I(7), D(2), 'd', 3.5);
    Real("div", I(7), I(2), 'i', 3);
    Real("div", I(-7), I(2), 'i', -3);
    Real("div", I(INT_MIN32), I(-1), 'i', INT_MIN32); // no trap
    Refused("div", D(1), D(1e-11), "DoDiv :: Divide by zero");
    Refused("div", I(1), I(0), "DoDiv :: Divide by zero");
    Refused("div", VR(1), VR(0), "DoDiv :: Divide by zero");
    Refused("div", S("a"), I(1), "DoDiv :: Execution Engine - Cannot operate on string type");
    Refused("div", L(1), D(1), "DoDiv :: Execution Error");
}

TEST_F(MathTest, IntegerDivision)
{
    Real("rem", D(7.9), D(2.9), 'd', 3); // 7 by 2
    Real("rem", D(-7.9), I(2), 'd', -3);
    Real("rem", I(7), D(2.5), 'd', 3);
    Real("rem", I(7), I(2), 'i', 3);
    Real("rem", I(INT_MIN32), I(-1), 'i', INT_MIN32);
    Real("rem", D(-2147483648.0), D(-1), 'd', INT_MIN32);
    Refused("rem", I(5), D(0.5), "DoRem :: Divide by zero");
    Refused("rem", I(5), I(0), "DoRem :: Divide by zero");
    Refused("rem", VS("5"), VR(2), "DoRem :: Execution Engine - Cannot operate on string type");
    Refused("rem", L(5), I(2), "DoRem :: Execution Error");
}

TEST_F(MathTest, Modulo)
{
    Real("mod", D(-7.5), D(2), 'd', -1.5);
    Real("mod", D(7.5), I(2), 'd', 1.5);
    Real("mod", I(-7), D(3), 'd', -1);
    Real("mod", I(-7), I(3), 'i', -1);
    Real("mod", I(INT_MIN32), I(-1), 'i', 0);
    // Whole numbers of every size give fmod's answer, the sign of a zero included.
    Real("mod", VR(-7), I(3), 'v', -1);
    Real("mod", VR(5000000000.0), VR(7), 'v', std::fmod(5000000000.0, 7));
    Real("mod", VR(1e20), VR(3), 'v', std::fmod(1e20, 3));
    Real("mod", VR(-2147483648.0), VR(-1), 'v', -0.0);
    RunOutcome negativeZero = RunProgram(Binary("mod", VR(-6), I(3), 'v'));
    EXPECT_TRUE(std::signbit(negativeZero.Real()));
    Refused("mod", I(7), I(0), "DoMod :: Divide by zero");
    Refused("mod", D(7), D(1e-11), "DoMod :: Divide by zero");
    Refused("mod", I(7), D(0), "DoMod :: Divide by zero");
    Refused("mod", S("7"), I(2), "DoMod :: Execution Engine - Cannot operate on string type");
    Refused("mod", B(true), B(true), "DoMod :: Execution Error");
}

TEST_F(MathTest, BitwiseAndLogical)
{
    Real("and", D(6.9), D(3.2), 'd', 2);
    Real("and", D(6.9), I(3), 'd', 2);
    Real("or", I(4), D(3.7), 'd', 7);
    Real("xor", D(-1), D(5000000000.0), 'd', -5000000001.0); // 64-bit
    Real("and", I(6), I(3), 'i', 2);
    Real("or", I(6), I(3), 'i', 7);
    Real("xor", I(6), I(3), 'i', 5);
    Real("and", B(true), B(false), 'b', 0);
    Real("or", B(true), B(false), 'b', 1);
    Real("xor", B(true), B(true), 'b', 0);
    Real("and", VR(12), VR(10), 'v', 8);
    Refused("and", D(1), L(1), "DoAnd :: Execution Error");
    Refused("or", I(1), B(true), "DoOr :: Execution Error");
    Refused("xor", S("a"), S("b"), "DoXor :: Execution Engine - Cannot operate on string type");
    Refused("and", VS("a"), I(1), "DoAnd :: Execution Engine - Cannot operate on string type");
}

TEST_F(MathTest, Shifts)
{
    Real("shl", D(1), D(3), 'd', 8);
    Real("shl", D(1), I(40), 'd', 1099511627776.0); // 64-bit
    Real("shl", D(1), I(64), 'd', 0);
    Real("shl", D(1), I(259), 'd', 8); // only the count's lowest byte
    Real("shl", I(1), D(33), 'd', 2);  // an int32 shifts modulo 32, pushed as a double
    Real("shl", I(1), I(33), 'i', 2);
    Real("shr", D(-16), D(2), 'd', -4);
    Real("shr", D(-1), I(64), 'd', -1); // 64 or more fills with the sign
    Real("shr", D(16), I(64), 'd', 0);
    Real("shr", I(-16), I(2), 'i', -4);
    Real("shr", I(64), D(70), 'd', 1); // 70 modulo 32 is 6
    Real("shl", VR(3), VR(2), 'v', 12);
    Refused("shl", I(1), L(2), "DoShl :: Execution Error");
    Refused("shr", I(1), F(2), "DoShr :: Execution Error");
    Refused("shr", S("a"), I(2), "DoShr :: Execution Engine - Cannot operate on string type");
}

TEST_F(MathTest, EveryComparisonOnNumbers)
{
    struct Row {
        const char* op;
        double less, equal, greater; // 1 against 2, 2 against 2, 3 against 2
    };
    const Row rows[] = {{"slt", 1, 0, 0}, {"sle", 1, 1, 0}, {"seq", 0, 1, 0},
                        {"sne", 1, 0, 1}, {"sge", 0, 1, 1}, {"sgt", 0, 0, 1}};
    for (const Row& row : rows) {
        EXPECT_EQ(Compare(row.op, D(1), D(2)), row.less) << row.op;
        EXPECT_EQ(Compare(row.op, I(2), I(2)), row.equal) << row.op;
        EXPECT_EQ(Compare(row.op, VR(3), I(2)), row.greater) << row.op;
        EXPECT_EQ(Compare(row.op, S("a"), S("b")), row.less) << row.op;
        EXPECT_EQ(Compare(row.op, S("b"), S("b")), row.equal) << row.op;
        EXPECT_EQ(Compare(row.op, VS("c"), VS("b")), row.greater) << row.op;
    }
}

TEST_F(MathTest, ComparisonPairsAndTolerance)
{
    // The tolerance hides rounding but not a difference of 2e-5.
    EXPECT_EQ(Compare("seq", {D(0.1).push + D(0.2).push + "add.d.d\n", 'd'}, D(0.3)), 1);
    EXPECT_EQ(Compare("seq", D(1.0), D(1.00002)), 0);
    double saved = Code_CompareEpsilon;
    Code_CompareEpsilon = 0.001;
    EXPECT_EQ(Compare("seq", D(1.0), D(1.00002)), 1);
    Code_CompareEpsilon = saved;

    EXPECT_EQ(Compare("seq", D(2), L(2)), 1);
    EXPECT_EQ(Compare("slt", I(1), D(1.5)), 1);
    // Against a bool the difference is truncated first: 0.5 counts as true.
    EXPECT_EQ(Compare("seq", D(0.5), B(true)), 1);
    EXPECT_EQ(Compare("seq", B(true), D(1.9)), 1);
    EXPECT_EQ(Compare("slt", D(-0.5), B(true)), 1);
    // int32 and bool differences wrap as 32-bit integers.
    EXPECT_EQ(Compare("slt", I(INT_MIN32), I(1)), 0);
    EXPECT_EQ(Compare("seq", I(1), B(true)), 1);
    EXPECT_EQ(Compare("sgt", B(true), I(0)), 1);
    EXPECT_EQ(Compare("seq", B(false), B(false)), 1);
}

TEST_F(MathTest, TextComparisons)
{
    EXPECT_EQ(Compare("slt", S("apple"), S("banana")), 1);
    EXPECT_EQ(Compare("slt", S("ab"), S("abc")), 1);
    EXPECT_EQ(Compare("sgt", S("\xC3\xA9"), S("z")), 1); // unsigned bytes
    EXPECT_EQ(Compare("seq", S(""), Missing()), 1);
    EXPECT_EQ(Compare("seq", Missing(), Missing()), 1);
    // Missing against any other text is greater, whichever side it is on.
    EXPECT_EQ(Compare("sgt", Missing(), S("a")), 1);
    EXPECT_EQ(Compare("sgt", S("a"), Missing()), 1);
}

TEST_F(MathTest, ComparisonsRefusePairsTheyDoNotKnow)
{
    const std::pair<Item, Item> pairs[] = {{L(1), D(1)}, {S("1"), D(1)}, {F(1), F(1)}, {L(1), L(1)}};
    for (const auto& pair : pairs) {
        RunOutcome outcome = RunProgram(Binary("seq", pair.first, pair.second, 'b'));
        EXPECT_EQ(outcome.error, "DoSet :: Invalid comparison type") << pair.first.push << pair.second.push;
    }
    EXPECT_EQ(RunProgram(Binary("slt", VA(), VR(1), 'b')).error, "illegal array use");
}

TEST_F(MathTest, ConversionsFromNumbers)
{
    auto real = [this](const Item& source, char target) {
        RunOutcome outcome = Convert(source, target);
        EXPECT_FALSE(outcome.failed) << source.push << target << ": " << outcome.error;
        EXPECT_EQ(outcome.leftOnStack, 0) << source.push << target;
        return outcome.Real();
    };
    auto text = [this](const Item& source) {
        RunOutcome outcome = Convert(source, 's');
        EXPECT_FALSE(outcome.failed) << outcome.error;
        return outcome.Text();
    };
    EXPECT_EQ(real(D(0.1), 'f'), static_cast<double>(0.1f));
    EXPECT_EQ(real(D(-2.7), 'i'), -2);
    EXPECT_EQ(real(D(3e10), 'i'), INT_MIN32); // out of range
    EXPECT_EQ(real(D(-3e10), 'l'), -3e10);
    EXPECT_EQ(real(D(0.5), 'b'), 0);
    EXPECT_EQ(real(D(0.51), 'b'), 1);
    EXPECT_EQ(real(D(2.5), 'v'), 2.5);
    EXPECT_EQ(text(D(0.5)), "0.5");
    EXPECT_EQ(text(D(1e20)), "1e+020");
    EXPECT_EQ(real(F(1.5f), 'd'), 1.5);
    EXPECT_EQ(real(F(-1.5f), 'i'), -1);
    EXPECT_EQ(real(F(7.9f), 'l'), 7);
    EXPECT_EQ(real(F(0.75f), 'b'), 1);
    EXPECT_EQ(real(F(0.25f), 'v'), 0.25);
    EXPECT_EQ(text(F(0.25f)), "0.25");
    EXPECT_EQ(real(I(-5), 'd'), -5);
    EXPECT_EQ(real(I(16777217), 'f'), 16777216);
    EXPECT_EQ(real(I(-5), 'l'), -5);
    EXPECT_EQ(real(I(-5), 'b'), 1);
    EXPECT_EQ(real(I(0), 'b'), 0);
    EXPECT_EQ(real(I(-5), 'v'), -5);
    EXPECT_EQ(text(I(-5)), "-5");
    EXPECT_EQ(real(L(4294967297), 'i'), 1); // the low 32 bits
    EXPECT_EQ(real(L(5000000000), 'd'), 5000000000.0);
    EXPECT_EQ(real(L(3), 'f'), 3);
    EXPECT_EQ(real(L(4294967296), 'b'), 1);
    EXPECT_EQ(real(L(-7), 'v'), -7);
    EXPECT_EQ(text(L(5000000000)), "5000000000");
    EXPECT_EQ(real(B(true), 'd'), 1);
    EXPECT_EQ(real(B(true), 'f'), 1);
    EXPECT_EQ(real(B(true), 'i'), 1);
    EXPECT_EQ(real(B(false), 'l'), 0);
    EXPECT_EQ(real(B(true), 'v'), 1);
    EXPECT_EQ(text(B(true)), "true");
    EXPECT_EQ(text(B(false)), "false");
}

TEST_F(MathTest, ConversionsFromTextsAndVariables)
{
    auto real = [this](const Item& source, char target) {
        RunOutcome outcome = Convert(source, target);
        EXPECT_FALSE(outcome.failed) << source.push << target << ": " << outcome.error;
        EXPECT_EQ(outcome.leftOnStack, 0) << source.push << target;
        return outcome.Real();
    };
    EXPECT_EQ(real(S("12abc"), 'i'), 12);
    EXPECT_EQ(real(S("  -3.5e1x"), 'd'), -35);
    EXPECT_EQ(real(S("abc"), 'd'), 0);
    EXPECT_EQ(real(S("0x10"), 'd'), 0); // decimal only
    EXPECT_EQ(real(S("2.5"), 'f'), 2.5);
    EXPECT_EQ(real(S("-12abc"), 'l'), -12);
    EXPECT_EQ(real(S("true"), 'b'), 1);
    EXPECT_EQ(real(S("True"), 'b'), 0);
    EXPECT_EQ(real(Missing(), 'i'), 0);
    EXPECT_EQ(Convert(S("kept"), 'v').Text(), "kept");
    // A variable converts as the double or the text it holds.
    EXPECT_EQ(real(VR(-2.7), 'i'), -2);
    EXPECT_EQ(real(VR(2.5), 'd'), 2.5);
    EXPECT_EQ(real(VR(0.6), 'b'), 1);
    EXPECT_EQ(real(VR(0.4), 'f'), static_cast<double>(0.4f));
    EXPECT_EQ(real(VR(-9), 'l'), -9);
    EXPECT_EQ(Convert(VR(0.25), 's').Text(), "0.25");
    EXPECT_EQ(real(VS("42"), 'i'), 42);
    EXPECT_EQ(real(VS("0.5"), 'd'), 0.5);
    EXPECT_EQ(real(VS("true"), 'b'), 1);
    EXPECT_EQ(Convert(VS("same"), 's').Text(), "same");
}

TEST_F(MathTest, ConversionsThatAreRefused)
{
    EXPECT_EQ(Convert(D(1), 'd').error, "DoConv :: Execution Error");
    EXPECT_EQ(Convert(I(1), 'i').error, "DoConv :: Execution Error");
    EXPECT_EQ(Convert(S("a"), 's').error, "DoConv :: Execution Error");
    EXPECT_EQ(Convert(VR(1), 'v').error, "DoConv :: Execution Error");
    EXPECT_EQ(RunProgram("push.d 1\nconv.d.e").error, "DoConv :: Execution Error");
    EXPECT_EQ(Convert(VA(), 'i').error, "illegal array use");
}

TEST_F(MathTest, NegateAndNot)
{
    auto run = [](const std::string& source) {
        RunOutcome outcome = RunProgram(source);
        EXPECT_FALSE(outcome.failed) << source << outcome.error;
        EXPECT_EQ(outcome.leftOnStack, 0) << source;
        return outcome.Real();
    };
    EXPECT_EQ(run("push.d 2.5\nneg.d\nconv.d.v"), -2.5);
    EXPECT_EQ(run("push.d 5.7\nnot.d\nconv.d.v"), -6);
    EXPECT_EQ(run("push.f 1.5\nneg.f\nconv.f.v"), -1.5);
    EXPECT_EQ(run("push.f 5.7\nnot.f\nconv.f.v"), -6);
    EXPECT_EQ(run("push.i -2147483648\nneg.i\nconv.i.v"), INT_MIN32);
    EXPECT_EQ(run("push.i 0\nnot.i\nconv.i.v"), -1);
    EXPECT_EQ(run("push.l 5000000000\nneg.l\nconv.l.v"), -5000000000.0);
    EXPECT_EQ(run("push.l 0\nnot.l\nconv.l.v"), -1);
    EXPECT_EQ(run("push.b true\nnot.b\nconv.b.v"), 0);
    EXPECT_EQ(run("push.b false\nnot.b\nconv.b.v"), 1);
    EXPECT_EQ(run("push.b true\nneg.b\nconv.b.v"), 1); // the whole slot negated: still true
    EXPECT_EQ(run("push.d 3\nconv.d.v\nneg.v"), -3);
    EXPECT_EQ(run("push.d 3.9\nconv.d.v\nnot.v"), -4);
    EXPECT_EQ(RunProgram(VS("a").push + "neg.v").error, "DoNeg :: Execution Engine - Cannot operate on string type");
    EXPECT_EQ(RunProgram(VS("a").push + "not.v").error, "DoNot :: Execution Engine - Cannot operate on string type");
    EXPECT_EQ(RunProgram("push.s \"a\"\nneg.s").error, "DoNeg :: Execution Engine - Cannot operate on string type");
    EXPECT_EQ(RunProgram("push.s \"a\"\nnot.s").error, "DoNot :: Execution Engine - Cannot operate on string type");
    EXPECT_EQ(RunProgram(VA().push + "neg.v").error, "illegal array use");
}
