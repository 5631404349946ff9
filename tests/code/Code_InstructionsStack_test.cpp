// The instructions that move values: constants, variables of every instance kind, dup, popz, the
// stack rotation, branches, with blocks and the array-index check.
#include <gtest/gtest.h>

#include <string>

#include "Code_InterpreterSupport.h"

using namespace vmtest;

namespace {

class StackTest : public InterpreterTest {
protected:
    double Real(const std::string& source, CInstance* self = nullptr, CInstance* other = nullptr)
    {
        RunOutcome outcome = RunProgram(source, self, other);
        EXPECT_FALSE(outcome.failed) << source << "\n" << outcome.error;
        EXPECT_EQ(outcome.leftOnStack, 0) << source;
        return outcome.Real();
    }
    std::string Error(const std::string& source, CInstance* self = nullptr)
    {
        RunOutcome outcome = RunProgram(source, self);
        EXPECT_TRUE(outcome.failed) << source;
        return outcome.error;
    }
    std::string Id(const char* name) { return std::to_string(Code_Variable_Find(name)); }
    FakeWorld m_World;
};

bool ReadOnlyGetter(CInstance*, int32_t, ScriptValue* out) { return (out->real = 5), true; }

// The identifier of self appended to global.vmtest_order as a decimal digit (id - 100000).
const std::string RECORD_SELF = "push.v global.vmtest_order\npush.e 10\nmul.i.v\ncall.i vmtest_self 0\n"
                                "push.i 100000\nsub.i.v\nadd.v.v\npop.v.v global.vmtest_order\n";
const std::string SELF_MINUS_OTHER = "call.i vmtest_self 0\ncall.i vmtest_other 0\nsub.v.v\n";

TEST_F(StackTest, ConstantsDupPopzRotationBranchesAndTheIndexCheck)
{
    const std::pair<const char*, double> programs[] = {
        {".word 0xC00FFFFF\nconv.i.v", -1}, // the short push of 0xFFFF
        {"push.i -70000\nconv.i.v", -70000}, {"push.l -5000000000\nconv.l.v", -5000000000.0},
        {"push.e 1\npush.f 0.5\nconv.f.v\npopz.v\nconv.i.v", 1}, // a float constant is one 4-byte item
        {"push.d 1.5\ndup.d 0\nadd.d.d\nconv.d.v", 3},
        // dup k of plain items copies the top k+1 items as one block: 1 2 becomes 1 2 1 2.
        {"push.e 1\npush.e 2\ndup.i 1\nsub.i.i\nconv.i.v\npopz.v\nsub.i.i\nconv.i.v", -1},
        // A copied array is shared by reference and released once per copy.
        {"push.e 1\npush.e 0\npop.v.i global.vmtest_list[]\npush.v global.vmtest_list\ndup.v 0\n"
         "pop.v.v global.vmtest_copy\npopz.v\npush.e 0\npush.v global.vmtest_copy[]", 1},
        // With a block as long as the item, the two top items change places: 1 2 becomes 2 1. A
        // variable under an int32 comes to the top; the stack pointer then moves by bits 8-15.
        {"push.e 1\npush.e 2\npop.e.i 0x0001\nsub.i.i\nconv.i.v", 1},
        {"push.e 3\npush.d 6\nconv.d.v\npop.e.v 0x0001\nconv.i.v\nsub.v.v", 3},
        {"push.e 5\npush.e 1\npush.e 2\npop.e.i 0x0101\nsub.i.i\nconv.i.v", 3},
        {"push.b true\nbt yes\npush.e 0\nconv.i.v\nb end\nyes:\npush.e 1\nconv.i.v\nend:", 1},
        {"push.b false\nbf no\npush.e 0\nconv.i.v\nb end\nno:\npush.e 1\nconv.i.v\nend:", 1},
        {"push.i 256\nbt yes\npush.e 0\nconv.i.v\nb end\nyes:\npush.e 1\nconv.i.v\nend:", 0}, // the lowest byte counts
        // A distance of 1 goes to the next word; a negative one goes back.
        {"b 1\npush.e 5\nconv.i.v", 5}, {"b 3\npush.e 2\nb 2\nb -2\nconv.i.v", 2},
        // A good index stays on the stack; other sub-codes do nothing.
        {"push.i 31999\nbreak.e 0xFFFF\nbreak.e 7\nconv.i.v", 31999},
    };
    for (const auto& [source, real] : programs) EXPECT_EQ(Real(source), real) << source;
    // A string operand without text pushes an empty slot.
    RunOutcome missing = RunProgram("push.s #99\nconv.s.v");
    EXPECT_EQ(Value_GetKind(&missing.result), VALUE_STRING);
    EXPECT_EQ(Value_GetText(&missing.result), nullptr);
    // Texts and variables: the top value pushed k+1 times, each copy its own.
    EXPECT_EQ(RunProgram("push.s \"ab\"\ndup.s 0\npopz.s\nconv.s.v").Text(), "ab");
    EXPECT_EQ(RunProgram("push.s \"ab\"\nconv.s.v\ndup.v 2\nadd.v.v\nadd.v.v\nadd.v.v").Text(), "abababab");
    for (const char* item : {"push.d 1\npopz.d", "push.f 1\npopz.f", "push.s \"t\"\npopz.s", "push.s \"t\"\nconv.s.v\npopz.v"})
        EXPECT_EQ(RunProgram(item).leftOnStack, 0) << item;
    EXPECT_EQ(Error("push.e 1\ndup.i 1"), "Stack underflow...");
    EXPECT_EQ(Error("push.e 1\npop.e.i 0x0004"), "Pop :: Execution Error - Instruction malformed");
    EXPECT_EQ(Error("push.e -1\nbreak.e 0xFFFF"), "Array index must be +'ve");
    EXPECT_EQ(Error("push.i 32000\nbreak.e 0xFFFF"), "Array index must be < 32000");
}

TEST_F(StackTest, VariablesOfSelfOtherGlobalLocalAndNoone)
{
    FakeInstance* self = m_World.Add(100001, 3);
    FakeInstance* other = m_World.Add(100002, 4);
    CInstance* s = AsInstance(self);
    EXPECT_EQ(Real("push.d 1.5\npop.v.d self.vmtest_x\npush.i 7\npop.v.i other.vmtest_x\n"
                   "push.v self.vmtest_x\npush.v other.vmtest_x\nadd.v.v", s, AsInstance(other)), 8.5);
    EXPECT_EQ(RealOf(other->variables, "vmtest_x"), 7);
    // A name without an instance is self's, unless it was declared globalvar.
    EXPECT_EQ(Real("push.e 4\nconv.i.v\npop.v.v vmtest_y\npush.v self.vmtest_y", s), 4);
    Variable_DeclareGlobalVar(Code_Variable_Find("vmtest_g"));
    EXPECT_EQ(Real("push.e 9\npop.v.i vmtest_g\npush.v global.vmtest_g", s), 9);
    EXPECT_FALSE(self->variables.Has(Code_Variable_Find("vmtest_g")));
    EXPECT_EQ(Real("push.v vmtest_g", s), 9);
    // Texts are stored as copies and read back as copies.
    EXPECT_EQ(RunProgram("push.s \"name\"\npop.v.s self.vmtest_name\npush.v self.vmtest_name", s).Text(), "name");
    // Locals live for one run; noone reads as real 0 and stores nowhere, silently.
    EXPECT_EQ(Real("push.e 6\npop.v.i local.vmtest_l\npush.v local.vmtest_l"), 6);
    EXPECT_EQ(Real("push.v local.vmtest_l"), 0);
    EXPECT_EQ(Real("push.e 3\npop.v.i noone.vmtest_n\npush.v noone.vmtest_n"), 0);
    EXPECT_FALSE(Variable_GlobalList()->Has(Code_Variable_Find("vmtest_n")));
    // Each value type becomes a real, a text or the variable itself; some pop forms are refused.
    EXPECT_EQ(Real("push.l 5000000000\npop.v.l global.vmtest_p\npush.v global.vmtest_p"), 5000000000.0);
    if (Variable_BuiltIn_Find("vmtest_readonly") < 0) Variable_BuiltIn_Add("vmtest_readonly", ReadOnlyGetter, nullptr, false);
    EXPECT_EQ(Real("push.v self.vmtest_readonly", s), 5);
    EXPECT_EQ(Error("push.e 1\npop.v.i self.vmtest_readonly", s), "Pop :: Execution Error - Variable set problem vmtest_readonly");
    EXPECT_EQ(Error("push.f 1\npop.v.f global.vmtest_f"), "Pop :: Execution Engine");
    EXPECT_EQ(Error("push.e 1\npop.b.i global.vmtest_f"), "Pop :: Execution Error - Instruction malformed");
}

TEST_F(StackTest, AllObjectAndInstanceTargetsAndArrayElements)
{
    FakeInstance* first = m_World.Add(100001, 5);
    FakeInstance* marked = m_World.Add(100002, 5);
    FakeInstance* second = m_World.Add(100003, 6);
    FakeInstance* changed = m_World.AddChanged(100004, 5);
    FakeInstance* asleep = m_World.Add(100005, 5);
    marked->marked = true;
    asleep->deactivated = true;
    // all: every active instance; a read takes the first.
    Real("push.e 1\npop.v.i all.vmtest_hp\npush.e 0\nconv.i.v");
    EXPECT_EQ(RealOf(first->variables, "vmtest_hp"), 1);
    EXPECT_EQ(RealOf(second->variables, "vmtest_hp"), 1);
    EXPECT_FALSE(marked->variables.Has(Code_Variable_Find("vmtest_hp")));
    EXPECT_FALSE(asleep->variables.Has(Code_Variable_Find("vmtest_hp")));
    SetReal(first->variables, "vmtest_hp", 11);
    EXPECT_EQ(Real("push.v all.vmtest_hp"), 11);
    // An object: its instances and the ones that became it since its lists were made.
    Real("push.e 2\npop.v.i 5.vmtest_hp\npush.e 0\nconv.i.v");
    EXPECT_EQ(RealOf(first->variables, "vmtest_hp"), 2);
    EXPECT_EQ(RealOf(changed->variables, "vmtest_hp"), 2);
    EXPECT_EQ(Real("push.v 6.vmtest_hp"), 1);
    // An instance identifier, in the word (as its distance from 100000) or from the stack.
    Real("push.e 3\npop.v.i 100003.vmtest_hp\npush.e 0\nconv.i.v");
    EXPECT_EQ(RealOf(second->variables, "vmtest_hp"), 3);
    EXPECT_EQ(Real("push.i 100003\npush.v stack.vmtest_hp"), 3);
    // A missing instance takes a store silently; a read of it is an error.
    Real("push.e 4\npop.v.i 100099.vmtest_hp\npush.e 0\nconv.i.v");
    const std::string id = Id("vmtest_hp");
    EXPECT_EQ(Error("push.v 100099.vmtest_hp"), "Push :: Execution Error - Variable Get 100099.vmtest_hp(" + id + ", -1)");
    EXPECT_EQ(Error("push.v 9.vmtest_hp"), "Push :: Execution Error - Variable Get 9.vmtest_hp(" + id + ", -1)");

    // Index on top, instance beneath it, both from the stack; then the store's value-first form.
    EXPECT_EQ(Real("push.e 7\npush.e -5\npush.i 32001\npop.v.i stack.vmtest_arr[]\n"
                   "push.e -5\npush.i 32001\npush.v stack.vmtest_arr[]"), 7);
    EXPECT_EQ(Real("push.e -5\npush.e 2\npush.d 2.5\npop.i.d stack.vmtest_arr[]\npush.e 2\npush.v global.vmtest_arr[]"), 2.5);
    EXPECT_EQ(Error("push.e 40\npush.v global.vmtest_arr[]"),
              "Push :: Execution Error - Variable Index [0,40] out of range [2,3] - -5.vmtest_arr(" + Id("vmtest_arr") + ",40)");
    EXPECT_EQ(Error("push.e 1\npush.e -2\npop.v.i global.vmtest_arr[]"),
              "Pop :: Execution Error - Variable index out of range vmtest_arr");
}

TEST_F(StackTest, WithOverNooneMissingObjectsOtherAndSelf)
{
    CInstance* s = AsInstance(m_World.Add(100001, 1));
    CInstance* o = AsInstance(m_World.Add(100002, 2));
    std::string body = "pushenv done\nstart:\ncall.i vmtest_record 0\npopz.v\ndone:\npopenv start\n";
    for (const char* target : {"push.e -4\n", "push.e 300\n", "push.i 100099\n", "push.e -9\n"}) {
        EXPECT_EQ(Real(target + body + SELF_MINUS_OTHER, s, o), -1) << target; // self and other as they were
        EXPECT_EQ(LastCall().calls, 0) << target;
    }
    // with (other) runs once with the two exchanged, and gives them back; with (self) keeps self
    // and makes other self.
    EXPECT_EQ(Real("push.e -2\n" + body + SELF_MINUS_OTHER, s, o), -1);
    EXPECT_EQ(LastCall().calls, 1);
    EXPECT_EQ(LastCall().self, o);
    EXPECT_EQ(LastCall().other, s);
    EXPECT_EQ(Error("push.e -7\n" + body), "Cannot use local in with statement");
    EXPECT_EQ(Error("push.e -5\n" + body), "Cannot use global in with statement");
    EXPECT_EQ(Error("popenv 0"), "Execution Error - popenv without a matching pushenv");
}



} // namespace
