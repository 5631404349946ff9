// The loop's shortcuts for common sequences: a variable combined with an integer constant (and
// stored straight back), argumentN read without its getter, and array elements read and written in
// place. Each program runs twice, once as written and once with a branch to the next word after the
// push, which keeps the words from forming a sequence; both runs must leave the same bits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "Code_InterpreterSupport.h"
#include "variable/Variable_BuiltIn.h"

using namespace vmtest;

namespace {

// The same words with "b" to the next word after every line marked "; split": the general path.
std::string Separated(const std::string& source)
{
    std::string out;
    size_t start = 0;
    int32_t label = 0;
    while (start < source.size()) {
        size_t end = source.find('\n', start);
        if (end == std::string::npos) end = source.size();
        std::string line = source.substr(start, end - start);
        out += line + "\n";
        if (line.find("; split") != std::string::npos) {
            std::string name = "vmseq_next" + std::to_string(label++);
            out += "b " + name + "\n" + name + ":\n";
        }
        start = end + 1;
    }
    return out;
}

struct Bits {
    uint32_t kind;
    uint64_t real;
    std::string text;
    bool failed;
    std::string error;
    int32_t leftOnStack;
};

Bits BitsOf(const RunOutcome& outcome)
{
    Bits bits{Value_GetKind(&outcome.result), 0, outcome.Text(), outcome.failed, outcome.error, outcome.leftOnStack};
    std::memcpy(&bits.real, &outcome.result.real, sizeof bits.real);
    return bits;
}

// Runs the program as written and separated; both must agree in every bit. Answers the outcome.
Bits RunBoth(const std::string& source, FakeInstance* self = nullptr)
{
    std::string split = Separated(source);
    EXPECT_NE(split, source) << "nothing marked to split";
    Bits joined = BitsOf(RunProgram(source, self != nullptr ? AsInstance(self) : nullptr));
    Bits apart = BitsOf(RunProgram(split, self != nullptr ? AsInstance(self) : nullptr));
    SCOPED_TRACE(source);
    EXPECT_EQ(joined.failed, apart.failed);
    EXPECT_EQ(joined.error, apart.error);
    EXPECT_EQ(joined.kind, apart.kind);
    EXPECT_EQ(joined.real, apart.real);
    EXPECT_EQ(joined.text, apart.text);
    EXPECT_EQ(joined.leftOnStack, apart.leftOnStack);
    return joined;
}

double RealOfBits(const Bits& bits)
{
    double value;
    std::memcpy(&value, &bits.real, sizeof value);
    return value;
}

class SequenceTest : public InterpreterTest {};

// Several rounds of a loop, so that the sequence also runs where the stack has been deeper before
// (it runs whole only there).
std::string Looped(const std::string& body)
{
    return "push.e 0\npop.v.i local.vmseq_n\n"
           "loop:\n" +
           body +
           "push.v local.vmseq_n\npush.e 1\nadd.i.v\npop.v.v local.vmseq_n\n"
           "push.v local.vmseq_n\npush.e 3\nslt.i.v\nbt loop\n";
}

TEST_F(SequenceTest, AVariableAndAConstantGiveWhatTheSeparateWordsGive)
{
    const char* ops[] = {"add", "sub", "mul", "div", "mod", "slt", "sle", "seq", "sne", "sge", "sgt", "rem"};
    const char* values[] = {"push.d 7\nconv.d.v\n", "push.d -7.5\nconv.d.v\n", "push.d 0.5\nconv.d.v\n",
                            "push.d 2\nconv.d.v\n", "push.s \"t\"\nconv.s.v\n"};
    const char* constants[] = {"push.e 2", "push.e -3", "push.i 70000", "push.e 0", "push.d 2"};
    for (const char* op : ops) {
        for (const char* value : values) {
            for (const char* constant : constants) {
                bool compare = op[0] == 's';
                std::string type = std::string(constant).substr(5, 1) == "d" ? "d" : "i";
                std::string body = std::string(value) + "pop.v.v local.vmseq_x\n" +
                                   "push.v local.vmseq_x ; split\n" + constant + "\n" + op + "." + type +
                                   ".v\n" + (compare ? "conv.b.v\n" : "") + "pop.v.v global.vmseq_out\n";
                Bits bits = RunBoth(Looped(body) + "push.v global.vmseq_out\n");
                if (std::string(op) == "add" && std::string(value).find("push.d 7\n") == 0 &&
                    std::string(constant) == "push.e 2") {
                    EXPECT_EQ(RealOfBits(bits), 9);
                }
            }
        }
    }
}

TEST_F(SequenceTest, AnIncrementStoresIntoTheVariableThePopNames)
{
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 3);
    SetReal(self->variables, "vmseq_i", 10);
    SetReal(*Variable_GlobalList(), "vmseq_i", 100);
    // Into itself; into another variable; into the same name of another instance; a text variable.
    const char* cases[] = {
        "push.v local.vmseq_i ; split\npush.e 1\nadd.i.v\npop.v.v local.vmseq_i\n",
        "push.v local.vmseq_i ; split\npush.e 5\nsub.i.v\npop.v.v local.vmseq_j\n",
        "push.v local.vmseq_i ; split\npush.e 2\nmul.i.v\npop.v.v self.vmseq_i\n",
        "push.v self.vmseq_i ; split\npush.i 40000\nadd.i.v\npop.v.v self.vmseq_i\n",
        "push.v global.vmseq_i ; split\npush.e 1\nadd.i.v\npop.v.v global.vmseq_i\n",
        "push.v local.vmseq_i ; split\npush.e 1\nadd.i.v\npop.v.i local.vmseq_i\n",
    };
    for (const char* body : cases) {
        SetReal(self->variables, "vmseq_i", 10);
        SetReal(*Variable_GlobalList(), "vmseq_i", 100);
        std::string source = "push.e 3\npop.v.i local.vmseq_i\npush.e 0\npop.v.i local.vmseq_j\n" + Looped(body) +
                             "push.v local.vmseq_i\npush.v local.vmseq_j\nadd.v.v\n"
                             "push.v self.vmseq_i\nadd.v.v\npush.v global.vmseq_i\nadd.v.v\n";
        SetReal(self->variables, "vmseq_i", 10);
        SetReal(*Variable_GlobalList(), "vmseq_i", 100);
        Bits joined = BitsOf(RunProgram(source, AsInstance(self)));
        double selfAfter = RealOf(self->variables, "vmseq_i");
        double globalAfter = Global("vmseq_i");
        SetReal(self->variables, "vmseq_i", 10);
        SetReal(*Variable_GlobalList(), "vmseq_i", 100);
        Bits apart = BitsOf(RunProgram(Separated(source), AsInstance(self)));
        SCOPED_TRACE(body);
        EXPECT_FALSE(joined.failed) << joined.error;
        EXPECT_EQ(joined.real, apart.real);
        EXPECT_EQ(joined.leftOnStack, apart.leftOnStack);
        EXPECT_EQ(selfAfter, RealOf(self->variables, "vmseq_i"));
        EXPECT_EQ(globalAfter, Global("vmseq_i"));
    }
    // The plain increment: 3 + 1 per round, three rounds.
    SetReal(self->variables, "vmseq_i", 10);
    SetReal(*Variable_GlobalList(), "vmseq_i", 100);
    RunOutcome counted = RunProgram("push.e 3\npop.v.i local.vmseq_i\npush.e 0\npop.v.i local.vmseq_j\n" +
                                        Looped(cases[0]) + "push.v local.vmseq_i\n",
                                    AsInstance(self));
    EXPECT_EQ(counted.Real(), 6);
}

TEST_F(SequenceTest, AnIncrementOfAVariableHoldingAMarkedRealLeavesAPlainReal)
{
    // The kind's high bits are carried by copies but not by arithmetic results.
    std::string source = Looped("push.v local.vmseq_m ; split\npush.e 1\nadd.i.v\npop.v.v local.vmseq_m\n") +
                         "push.v local.vmseq_m\n";
    std::string prefix = "push.e 0\npop.v.i local.vmseq_m\n";
    Bits bits = RunBoth(prefix + source);
    EXPECT_EQ(RealOfBits(bits), 3);
    EXPECT_EQ(bits.kind, VALUE_REAL);
}

int32_t g_Pumps = 0;
void CountPump() { ++g_Pumps; }

TEST_F(SequenceTest, ABranchTakenWithItsComparisonCountsAndPumpsAsAnyBranch)
{
    // Both loop forms: the test at the top (bf out of the loop) and at the bottom (bt back).
    const char* loops[] = {
        "push.e 0\npop.v.i local.vmseq_n\n"
        "top:\npush.v local.vmseq_n\npush.i 10000\nslt.i.v\nbf out\n"
        "push.v local.vmseq_n\npush.e 1\nadd.i.v\npop.v.v local.vmseq_n\nb top\nout:\npush.v local.vmseq_n\n",
        "push.e 0\npop.v.i local.vmseq_n\n"
        "top:\npush.v local.vmseq_n\npush.e 1\nadd.i.v\npop.v.v local.vmseq_n\n"
        "push.v local.vmseq_n\npush.i 10000\nslt.i.v\nbt top\npush.v local.vmseq_n\n",
    };
    const uint32_t branches[] = {10001 + 10000, 10000};
    void (*saved)() = g_VMMessagePump;
    g_VMMessagePump = CountPump;
    for (int32_t form = 0; form < 2; ++form) {
        g_Pumps = 0;
        uint32_t before = VM_BranchCount();
        RunOutcome outcome = RunProgram(loops[form]);
        uint32_t after = VM_BranchCount();
        SCOPED_TRACE(loops[form]);
        EXPECT_FALSE(outcome.failed) << outcome.error;
        EXPECT_EQ(outcome.Real(), 10000);
        EXPECT_EQ(after - before, branches[form]);
        EXPECT_EQ(g_Pumps, static_cast<int32_t>(after / 4096 - before / 4096));
    }
    g_VMMessagePump = saved;
}

// An argument row whose getter the tests can swap.
bool CopyArgument0(CInstance*, int32_t index, ScriptValue* out) { return Value_GetArrayElement(out, &g_ScriptArguments[0], index); }
bool FortyTwo(CInstance*, int32_t, ScriptValue* out)
{
    Value_SetReal(out, 42);
    return true;
}

class ArgumentTest : public SequenceTest {
protected:
    void SetUp() override
    {
        SequenceTest::SetUp();
        if (Variable_BuiltIn_Find("argument0") < 0) Variable_BuiltIn_Add("argument0", CopyArgument0, nullptr, false);
        m_Row = Variable_BuiltIn_Find("argument0");
        m_Saved = g_BuiltinVariables[m_Row].getter;
    }
    void TearDown() override
    {
        g_BuiltinVariables[m_Row].getter = m_Saved;
        SequenceTest::TearDown();
    }
    int32_t m_Row = -1;
    BuiltinGetter m_Saved = nullptr;
};

TEST_F(ArgumentTest, Argument0ReadsTheSlotAsItsGetterWould)
{
    ScriptTable scripts;
    int32_t twice = scripts.Add("vmseq_twice", Looped("push.v self.argument0 ; split\npush.e 2\nmul.i.v\n"
                                                      "pop.v.v local.vmseq_r\n") +
                                                   "push.v local.vmseq_r\npush.v self.argument0\nadd.v.v\nret.v\n");
    std::string call = "call.i " + std::to_string(twice) + " 1\n";
    Bits real = RunBoth("push.d 2.5\nconv.d.v ; split\n" + call);
    EXPECT_EQ(RealOfBits(real), 7.5);
    // A text argument goes through the getter (the sequence falls back and the add joins texts).
    int32_t echo = scripts.Add("vmseq_echo", "push.v self.argument0 ; split\npush.v self.argument0\nadd.v.v\nret.v\n");
    Bits text = RunBoth("push.s \"ab\"\nconv.s.v ; split\ncall.i " + std::to_string(echo) + " 1\n");
    EXPECT_EQ(text.text, "abab");
    // A row that no longer has the getter it had is read through the one it has.
    g_BuiltinVariables[m_Row].getter = FortyTwo;
    Bits swapped = RunBoth("push.d 2.5\nconv.d.v ; split\n" + call);
    EXPECT_EQ(RealOfBits(swapped), 42 * 2 + 42);
}

TEST_F(SequenceTest, ArrayElementsWrittenInPlaceMatchTheGeneralWrite)
{
    // Fill 0..n-1 (appends into spare room and growth), overwrite, then sum; a second row; a copy
    // taken before the writes must keep its own elements.
    std::string fill = "push.e 0\npop.v.i local.vmseq_k\n"
                       "fill:\n"
                       "push.v local.vmseq_k\npush.e 3\nmul.i.v\n"
                       "push.e -7\npush.v local.vmseq_k ; split\nconv.v.i\npop.v.v stack.vmseq_a[]\n"
                       "push.v local.vmseq_k\npush.e 1\nadd.i.v\npop.v.v local.vmseq_k\n"
                       "push.v local.vmseq_k\npush.i 300\nslt.i.v\nbt fill\n";
    std::string copyThenWrite = "push.v local.vmseq_a\npop.v.v local.vmseq_b\n"
                                "push.d 0.25\npush.e -7\npush.i 5 ; split\npop.v.d stack.vmseq_a[]\n"
                                "push.d 9\npush.e -7\npush.i 32001 ; split\npop.v.d stack.vmseq_a[]\n"
                                "push.d 8\npush.e -7\npush.i 310 ; split\npop.v.d stack.vmseq_a[]\n";
    std::string sum = "push.e -7\npush.i 5\npush.v stack.vmseq_b[]\n"
                      "push.e -7\npush.i 5\npush.v stack.vmseq_a[]\nadd.v.v\n"
                      "push.e -7\npush.i 299\npush.v stack.vmseq_a[]\nadd.v.v\n"
                      "push.e -7\npush.i 305\npush.v stack.vmseq_a[]\nadd.v.v\n"
                      "push.e -7\npush.i 310\npush.v stack.vmseq_a[]\nadd.v.v\n"
                      "push.e -7\npush.i 32001\npush.v stack.vmseq_a[]\nadd.v.v\n";
    Bits bits = RunBoth(fill + copyThenWrite + sum);
    ASSERT_FALSE(bits.failed) << bits.error;
    EXPECT_EQ(RealOfBits(bits), 15 + 0.25 + 897 + 0 + 8 + 9);
    // A negative index reports; -1 stands for the whole variable.
    Bits negative = RunBoth(fill + "push.d 1\npush.e -7\npush.i -5 ; split\npop.v.d stack.vmseq_a[]\n");
    EXPECT_EQ(negative.error, "Pop :: Execution Error - Variable index out of range vmseq_a");
    Bits whole = RunBoth(fill + "push.d 1\npush.e -7\npush.i -1 ; split\npop.v.d stack.vmseq_a[]\n"
                                "push.v local.vmseq_a\n");
    EXPECT_EQ(whole.kind, VALUE_REAL);
    EXPECT_EQ(RealOfBits(whole), 1);
    Bits outside = RunBoth(fill + "push.e -7\npush.i 300 ; split\npush.v stack.vmseq_a[]\n");
    EXPECT_TRUE(outside.failed);
}

TEST_F(SequenceTest, AnArrayElementHoldingTextIsReplacedAndFreed)
{
    std::string source = "push.s \"x\"\nconv.s.v\npush.e -7\npush.i 2\npop.v.v stack.vmseq_s[]\n"
                         "push.d 4\npush.e -7\npush.i 2 ; split\npop.v.d stack.vmseq_s[]\n"
                         "push.s \"y\"\nconv.s.v\npush.e -7\npush.i 1 ; split\npop.v.v stack.vmseq_s[]\n"
                         "push.e -7\npush.i 1\npush.v stack.vmseq_s[]\n";
    Bits bits = RunBoth(source);
    ASSERT_FALSE(bits.failed) << bits.error;
    EXPECT_EQ(bits.text, "y");
}

} // namespace
