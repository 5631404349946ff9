// The loop's handlers made for one opcode and pair of types, and script frames that keep only the
// argument slots in use: both must leave exactly what the general forms would.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "Code_InterpreterSupport.h"

using namespace vmtest;

namespace {

// One argument slot as it was seen: its bits, and its text when it held one.
struct SlotSeen {
    uint32_t kind = 0;
    uint32_t ref = 0;
    uint64_t realBits = 0;
    std::string text;

    bool Empty() const { return kind == 0 && ref == 0 && realBits == 0; }
};

std::vector<std::vector<SlotSeen>>& Snapshots()
{
    static std::vector<std::vector<SlotSeen>> snapshots;
    return snapshots;
}

// vmfast_snapshot(): records every argument slot.
void SnapshotRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    std::vector<SlotSeen> slots;
    for (const ScriptValue& slot : g_ScriptArguments) {
        SlotSeen seen;
        seen.kind = slot.kind;
        seen.ref = slot.ref;
        std::memcpy(&seen.realBits, &slot.real, sizeof seen.realBits);
        if (Value_GetKind(&slot) == VALUE_STRING) seen.text = TextOf(slot);
        slots.push_back(seen);
    }
    Snapshots().push_back(slots);
}

// vmfast_setslot(n, value): writes argument slot n, as a script assigning argument[n] does.
void SetSlotRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ScriptValue& slot = g_ScriptArguments[static_cast<int32_t>(args[0].real)];
    Value_Free(&slot);
    Value_Copy(&slot, &args[1]);
}

std::string SetSlot(int32_t slot, const std::string& valuePush)
{
    return valuePush + "push.i " + std::to_string(slot) + "\nconv.i.v\ncall.i vmfast_setslot 2\npopz.v\n";
}

const char* const SNAPSHOT = "call.i vmfast_snapshot 0\npopz.v\n";

class FastPathTest : public InterpreterTest {
protected:
    void SetUp() override
    {
        InterpreterTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("vmfast_snapshot", &id)) {
            Function_Add("vmfast_snapshot", SnapshotRoutine, 0);
            Function_Add("vmfast_setslot", SetSlotRoutine, 2);
        }
        Snapshots().clear();
    }
};

double Bits(uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

TEST_F(FastPathTest, ACallGivesTheCallerEverySlotBackBitForBit)
{
    ScriptTable scripts;
    // The callee sees its one argument and empty slots, then writes slots past what it was given.
    int32_t writer = scripts.Add("writer", std::string(SNAPSHOT) + SetSlot(12, "push.s \"callee text\"\nconv.s.v\n") +
                                               SetSlot(3, "push.d 7\nconv.d.v\n") + SNAPSHOT);
    g_ScriptArguments[0] = ScriptValue{VALUE_REAL, 0, 42.0};
    Value_SetText(&g_ScriptArguments[9], "kept");
    g_ScriptArguments[15] = ScriptValue{VALUE_REAL, 0, -0.0}; // all but one bit zero: still a value to keep
    g_ScriptArgumentCount = 3;

    RunOutcome outcome = RunProgram("push.i 1\nconv.i.v\ncall.i " + std::to_string(writer) + " 1\npopz.v\n" + SNAPSHOT);
    ASSERT_FALSE(outcome.failed) << outcome.error;
    ASSERT_EQ(Snapshots().size(), 3u);

    const std::vector<SlotSeen>& entered = Snapshots()[0];
    EXPECT_EQ(Bits(entered[0].realBits), 1);
    for (int32_t i = 1; i < 16; ++i) EXPECT_TRUE(entered[i].Empty()) << "slot " << i << " inside the callee";
    const std::vector<SlotSeen>& written = Snapshots()[1];
    EXPECT_EQ(written[12].text, "callee text");
    EXPECT_EQ(Bits(written[3].realBits), 7);

    const std::vector<SlotSeen>& back = Snapshots()[2];
    EXPECT_EQ(Bits(back[0].realBits), 42);
    EXPECT_EQ(back[9].text, "kept");
    EXPECT_EQ(back[15].kind, uint32_t{VALUE_REAL});
    EXPECT_TRUE(std::signbit(Bits(back[15].realBits)));
    for (int32_t i : {1, 2, 3, 4, 8, 10, 11, 12, 13, 14})
        EXPECT_TRUE(back[i].Empty()) << "slot " << i << " after the call";
    EXPECT_EQ(g_ScriptArgumentCount, 3);
}

TEST_F(FastPathTest, NestedCallsRestoreEachLevelsOwnSlots)
{
    ScriptTable scripts;
    int32_t inner = scripts.Add("inner", SetSlot(10, "push.d 100\nconv.d.v\n") + SNAPSHOT);
    int32_t outer = scripts.Add("outer", SetSlot(6, "push.d 66\nconv.d.v\n") +
                                             "push.i 22\nconv.i.v\npush.i 11\nconv.i.v\ncall.i " +
                                             std::to_string(inner) + " 2\npopz.v\n" + SNAPSHOT);
    RunOutcome outcome = RunProgram("push.i 5\nconv.i.v\ncall.i " + std::to_string(outer) + " 1\npopz.v\n" + SNAPSHOT);
    ASSERT_FALSE(outcome.failed) << outcome.error;
    ASSERT_EQ(Snapshots().size(), 3u);

    const std::vector<SlotSeen>& innermost = Snapshots()[0];
    EXPECT_EQ(Bits(innermost[0].realBits), 11);
    EXPECT_EQ(Bits(innermost[1].realBits), 22);
    EXPECT_TRUE(innermost[6].Empty()) << "the caller's slot is not the callee's";
    EXPECT_EQ(Bits(innermost[10].realBits), 100);

    const std::vector<SlotSeen>& outerBack = Snapshots()[1];
    EXPECT_EQ(Bits(outerBack[0].realBits), 5);
    EXPECT_TRUE(outerBack[1].Empty());
    EXPECT_EQ(Bits(outerBack[6].realBits), 66);
    EXPECT_TRUE(outerBack[10].Empty());

    for (const SlotSeen& slot : Snapshots()[2]) EXPECT_TRUE(slot.Empty());
}

// Every opcode with its own handlers, on every pair of int32, double and variable, with operands
// that tell left from right: a handler reached for the wrong pair reads the wrong sizes.
TEST_F(FastPathTest, EveryTypedHandlerTakesItsOperandsInOrder)
{
    struct Operand {
        char type;
        std::string (*push)(int32_t);
    };
    const Operand operands[] = {
        {'i', [](int32_t n) { return "push.i " + std::to_string(n) + "\n"; }},
        {'d', [](int32_t n) { return "push.d " + std::to_string(n) + "\n"; }},
        {'v', [](int32_t n) { return "push.d " + std::to_string(n) + "\nconv.d.v\n"; }},
    };
    struct Row {
        const char* op;
        double whole;   // 7 op 2 on two int32
        double real;    // 7 op 2 otherwise
        bool compare;
    };
    const Row rows[] = {{"add", 9, 9, false},  {"sub", 5, 5, false}, {"mul", 14, 14, false}, {"div", 3, 3.5, false},
                        {"rem", 3, 3, false},  {"mod", 1, 1, false}, {"slt", 0, 0, true},    {"sle", 0, 0, true},
                        {"seq", 0, 0, true},   {"sne", 1, 1, true},  {"sge", 1, 1, true},    {"sgt", 1, 1, true}};
    for (const Row& row : rows) {
        for (const Operand& left : operands) {
            for (const Operand& right : operands) {
                char result = row.compare                           ? 'b'
                              : left.type == 'v' || right.type == 'v' ? 'v'
                              : left.type == 'i' && right.type == 'i' ? 'i'
                                                                      : 'd';
                std::string source = left.push(7) + right.push(2) + row.op + "." + right.type + "." + left.type + "\n";
                if (result != 'v') source += std::string("conv.") + result + ".v\n";
                bool whole = left.type == 'i' && right.type == 'i';
                RunOutcome outcome = RunProgram(source);
                SCOPED_TRACE(source);
                ASSERT_FALSE(outcome.failed) << outcome.error;
                EXPECT_EQ(outcome.Real(), whole ? row.whole : row.real);
                EXPECT_EQ(outcome.leftOnStack, 0);
            }
        }
    }
}

TEST_F(FastPathTest, TypedHandlersHandTheUncommonCasesToTheGeneralRoutine)
{
    // A variable holding text, a zero divisor and an array reach the general routine's answers.
    RunOutcome joined = RunProgram("push.s \"a\"\nconv.s.v\npush.s \"b\"\nconv.s.v\nadd.v.v\n");
    ASSERT_FALSE(joined.failed) << joined.error;
    EXPECT_EQ(joined.Text(), "ab");
    EXPECT_EQ(RunProgram("push.d 1\nconv.d.v\npush.i 0\ndiv.i.v\n").error, "DoDiv :: Divide by zero");
    EXPECT_EQ(RunProgram("push.i 1\npush.i 0\nrem.i.i\nconv.i.v\n").error, "DoRem :: Divide by zero");
    EXPECT_EQ(RunProgram("push.s \"c\"\nconv.s.v\npush.s \"b\"\nconv.s.v\nsgt.v.v\nconv.b.v\n").Real(), 1);
    // A typed pop into a slot that held text frees it and takes the number.
    RunOutcome popped = RunProgram("push.s \"old\"\nconv.s.v\npop.v.v global.vmfast_g\n"
                                   "push.i 3\npop.v.i global.vmfast_g\n"
                                   "push.d 2.5\npop.v.d local.vmfast_l\n"
                                   "push.v local.vmfast_l\npush.v global.vmfast_g\nadd.v.v\n");
    ASSERT_FALSE(popped.failed) << popped.error;
    EXPECT_EQ(popped.Real(), 5.5);
}

TEST_F(FastPathTest, SelfVariablesFollowSelfIntoAndOutOfWithBlocks)
{
    FakeWorld world;
    FakeInstance* self = world.Add(100001, 3);
    FakeInstance* other = world.Add(100002, 4);
    SetReal(self->variables, "vmtest_x", 1);
    SetReal(other->variables, "vmtest_x", 20);
    // Read before, inside (self is the other instance there) and after the block.
    RunOutcome outcome = RunProgram("push.v self.vmtest_x\n"
                                    "push.e -2\npushenv done\nstart:\n"
                                    "push.v self.vmtest_x\npop.v.v global.vmfast_inside\n"
                                    "push.i 5\npop.v.i self.vmtest_x\n"
                                    "done:\npopenv start\n"
                                    "push.v self.vmtest_x\nadd.v.v\npush.v global.vmfast_inside\nadd.v.v\n",
                                    AsInstance(self), AsInstance(other));
    ASSERT_FALSE(outcome.failed) << outcome.error;
    EXPECT_EQ(outcome.Real(), 1 + 20 + 1);
    EXPECT_EQ(RealOf(other->variables, "vmtest_x"), 5);
    EXPECT_EQ(RealOf(self->variables, "vmtest_x"), 1);
}
