#include <gtest/gtest.h>

#include "code/Code_Assembler.h"
#include "code/Code_Checker.h"
#include "Code_TestLog.h"

namespace {

VMCheckResult Check(const char* source, uint32_t stringCount = UINT32_MAX, int32_t sizeAdjust = 0)
{
    VMAssembly assembly;
    EXPECT_TRUE(VM_Assemble(source, assembly)) << assembly.error;
    uint32_t strings = stringCount == UINT32_MAX ? assembly.strings.count : stringCount;
    VMCheckResult result;
    VM_CheckCode(assembly.Bytes(), assembly.Size() + sizeAdjust, strings, &result);
    return result;
}

// Every form the assembler knows, in one program that also branches both ways.
const char* const EVERY_FORM = R"(
top:
    push.e -1
    push.i 70000
    push.l 5000000000
    push.d 0.5
    push.f 0.25
    push.b true
    push.s "hello"
    push.v self.x
    push.v 100005.hp
    push.v stack.arr[]
    pop.v.i self.x
    pop.i.v stack.arr[]
    pop.e.v 0x0104
    conv.v.i
    mul.i.i
    div.d.d
    rem.i.i
    mod.i.i
    add.i.v
    sub.l.l
    and.b.b
    or.b.b
    xor.i.i
    neg.d
    not.b
    shl.i.i
    shr.i.i
    slt.i.i
    sle.i.i
    seq.s.v
    sne.v.v
    sge.d.d
    sgt.d.d
    dup.i 1
    popz.v
    call.i 100000 2
    call.i 500001 0
    bt top
    bf end
    pushenv body_end
body:
    popenv body
body_end:
    popenv break
    break.e 0xFFFF
    ret.v
    exit.i
    b top
end:
)";

TEST(Checker, AcceptsEveryFormTheAssemblerWrites)
{
    VMCheckResult result = Check(EVERY_FORM);
    EXPECT_EQ(result.fault, VMCheckFault::None) << VM_CheckFaultText(result, 0, 0);
}

TEST(Checker, LeavesRunTimeBehaviourAlone)
{
    // Unknown opcodes, unused type codes, a malformed pop form, a call to a missing script, a
    // branch to itself and one to the end of the code: all the interpreter's business.
    EXPECT_EQ(Check(R"(
        .word 0x01000000 0x7F070000 0xC00E0000
        .word 0x50020000 0x12345678   ; unknown, with a 4-byte operand
        .word 0x41000000 1 2          ; pop with a double destination form and its 8-byte operand
        call.i 499999 0
        self: b 0
        b 1
    )").fault, VMCheckFault::None);
    EXPECT_EQ(Check("").fault, VMCheckFault::None);
}

TEST(Checker, RefusesBranchesOutsideTheCode)
{
    VMCheckResult before = Check("b -1");
    EXPECT_EQ(before.fault, VMCheckFault::BranchOutside);
    EXPECT_EQ(before.detail, -4);

    VMCheckResult after = Check("push.e 1\nbt 2");
    EXPECT_EQ(after.fault, VMCheckFault::BranchOutside);
    EXPECT_EQ(after.offset, 4u);
    EXPECT_EQ(after.detail, 12);

    // Every branch form is checked, pushenv and popenv included.
    EXPECT_EQ(Check("pushenv 5").fault, VMCheckFault::BranchOutside);
    EXPECT_EQ(Check("popenv -3").fault, VMCheckFault::BranchOutside);
    EXPECT_EQ(Check("bf -8388608").fault, VMCheckFault::BranchOutside);
}

TEST(Checker, FollowsBranchesIntoOperands)
{
    // The branch lands on the operand of push.i, which then runs as an instruction.
    VMCheckResult bad = Check(R"(
        b 2
        push.i 0xB7000100     ; read from offset 8 this is "b +256"
    )");
    EXPECT_EQ(bad.fault, VMCheckFault::BranchOutside);
    EXPECT_EQ(bad.offset, 8u);

    EXPECT_EQ(Check(R"(
        b 2
        push.i 0x9E020000     ; read from offset 8 this is "exit.i"
    )").fault, VMCheckFault::None);
}

TEST(Checker, RefusesOperandsAndWordsPastTheEnd)
{
    VMCheckResult cut = Check(".word 0xC0000000 0"); // push.d with half its operand
    EXPECT_EQ(cut.fault, VMCheckFault::OperandPastEnd);
    EXPECT_EQ(cut.offset, 0u);
    EXPECT_EQ(Check("push.v self.x", UINT32_MAX, -1).fault, VMCheckFault::OperandPastEnd);
    EXPECT_EQ(Check("push.e 1\npush.e 2", UINT32_MAX, -2).fault, VMCheckFault::WordPastEnd);

    VMCheckResult result;
    EXPECT_FALSE(VM_CheckCode(nullptr, -4, 0, &result));
    EXPECT_EQ(result.fault, VMCheckFault::NegativeSize);
}

TEST(Checker, RefusesStringOperandsOutsideTheTable)
{
    EXPECT_EQ(Check("push.s \"a\"\npush.s \"b\"", 2).fault, VMCheckFault::None);
    VMCheckResult result = Check("push.s \"a\"\npush.s \"b\"", 1);
    EXPECT_EQ(result.fault, VMCheckFault::StringOutside);
    EXPECT_EQ(result.offset, 8u);
    EXPECT_EQ(result.detail, 1);
    EXPECT_EQ(Check("push.s #0", 0).fault, VMCheckFault::StringOutside);
    // Only push reads its operand as a string; a string-typed call fails at run time instead.
    EXPECT_EQ(Check(".word 0xDA060000 77", 0).fault, VMCheckFault::None);
}

TEST(Checker, RefusedEntryIsLoggedByName)
{
    VMAssembly assembly;
    ASSERT_TRUE(VM_Assemble("push.e 0\nb -2", assembly)) << assembly.error;
    CapturedConsole log(MainConsole);
    EXPECT_FALSE(Code_CheckEntry(3, "Script_jump", assembly.Bytes(), assembly.Size(), 0));
    EXPECT_EQ(log.Text(), "Refused code entry 3 (Script_jump): branch at 0x00000004 leads to -4, "
                          "outside the code (0 to 8)\n");
    EXPECT_TRUE(Code_CheckEntry(4, "Script_fine", assembly.Bytes(), 4, 0));
}

} // namespace
