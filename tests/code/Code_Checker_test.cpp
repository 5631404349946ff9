#include <gtest/gtest.h>

#include <string>

#include "code/Code_Assembler.h"
#include "code/Code_Bytecode.h"
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

// Every form the assembler knows, in one program that branches both ways and keeps its stack
// consistent on every path.
const char* const EVERY_FORM = R"(
top:
    push.e -1
    push.i 70000
    mul.i.i
    push.i 3
    div.i.i
    push.i 2
    rem.i.i
    push.i 5
    mod.i.i
    push.i 1
    shl.i.i
    push.i 1
    shr.i.i
    push.i 6
    xor.i.i
    neg.i
    dup.i 0
    dup.i 0
    sle.i.i
    popz.b
    dup.i 0
    slt.i.i
    push.b true
    and.b.b
    push.b false
    or.b.b
    not.b
    bt top
    push.l 5000000000
    push.d 0.5
    add.d.l
    push.f 0.25
    conv.f.d
    sub.d.d
    dup.d 0
    push.d 1.0
    sgt.d.d
    popz.b
    push.d 2.0
    sge.d.d
    bf end
    push.v self.x
    push.s "hello"
    seq.s.v
    popz.b
    push.v 100005.hp
    push.v self.x
    sne.v.v
    popz.b
    push.e -1
    push.e 0
    push.v stack.arr[]
    push.i 1
    add.i.v
    conv.v.i
    pop.v.i self.x
    push.e -1
    push.e 0
    push.v self.x
    pop.i.v stack.arr[]
    push.v self.x
    push.s "a"
    conv.s.v
    pop.e.v 0x0004
    call.i 100000 2
    call.i 500001 1
    popz.v
    push.e -1
    pushenv body_end
body:
    push.i 1
    popz.i
body_end:
    popenv body
    push.e -3
    pushenv out
inner:
    popenv break
    b after
out:
    popenv inner
after:
    push.i 5
    break.e 0xFFFF
    break.e 0
    push.i 8
    dup.i 1
    popz.d
    popz.d
    push.v self.x
    dup.v 1
    popz.v
    popz.v
    push.b true
    bf quit
    ret.v
quit:
    exit.i
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

TEST(Checker, CodeAfterACertainRunTimeErrorIsNotFollowed)
{
    // Each of these stops the run before the next instruction, which would forge a variable (a
    // call measures its arguments against the stack before it reads them).
    for (const char* stops : {"push.l 1\npush.i 2\nadd.i.l", "push.i 1\nconv.i.i", "push.s \"a\"\nneg.s",
                              "push.i 1\npop.v.f self.x", ".word 0x41070000 0x80000000", "push.d 1\ncall.d 100000 0",
                              "push.i 1\npush.s \"a\"\nsub.s.i", "push.v self.x\ncall.i 100000 2"}) {
        std::string source = std::string(stops) + "\npush.i 1\npush.i 2\npop.v.v self.x\n";
        VMCheckResult result = Check(source.c_str());
        EXPECT_EQ(result.fault, VMCheckFault::None) << stops << ": " << VM_CheckFaultText(result, 0, 0);
    }
    // Unused type codes take and push nothing.
    EXPECT_EQ(Check("push.i 1\n.word 0x0D070000 0x9F080000\npopz.i").fault, VMCheckFault::None);
}

TEST(Checker, RefusesVariablesMadeOfOtherItems)
{
    struct Case {
        const char* source;
        uint32_t offset;
    };
    const Case cases[] = {
        {"push.v self.x\npush.i 1\npush.i 2\npop.v.v self.x", 0x18}, // two ints over a variable
        {"push.d 1\npush.d 2\nret.v", 0x18},
        {"push.v self.x\npopz.i\npush.i 7\npop.v.v self.x", 0x14},   // the rest of a variable and an int
        {"push.v self.x\ndup.i 3\npop.v.v self.x", 0x0c},            // a byte copy owns nothing
        {"push.v self.x\npush.v self.x\npop.e.i 0x0002\npopz.v", 0x14}, // rotated through a variable
        {"push.v self.x\nneg.l\npopz.v", 0x0c},                      // its kind changed in place
        {"push.i 1\npush.i 2\npush.i 3\npush.i 4\ncall.i 100000 1", 0x20},
        {"push.l 1\npush.l 2\nconv.v.i", 0x18},
        {"push.l 1\npush.l 2\ndup.v 0", 0x18},
    };
    for (const Case& item : cases) {
        VMCheckResult result = Check(item.source);
        EXPECT_EQ(result.fault, VMCheckFault::ForgedItem) << item.source;
        EXPECT_EQ(result.offset, item.offset) << item.source;
        EXPECT_EQ(result.detail, VM_TYPE_VARIABLE) << item.source;
    }
    // Running off the end hands the top 16 bytes over as the result.
    VMCheckResult end = Check("push.i 1\npush.i 2\npush.d 3");
    EXPECT_EQ(end.fault, VMCheckFault::ForgedItem);
    EXPECT_EQ(end.offset, 0x1cu);
    EXPECT_EQ(VM_CheckFaultText(end, 0x1c, 0),
              "the code ends at 0x0000001c with items on the stack that are no variable");
    EXPECT_EQ(Check("push.i 1\npush.d 3").fault, VMCheckFault::None); // fewer than 16 bytes: none taken
}

TEST(Checker, RefusesStringsMadeOfOtherItems)
{
    for (const char* source : {"push.i 5\npopz.s", "push.i 5\npush.s \"a\"\nadd.s.s", "push.i 1\nconv.s.i",
                               "push.v self.x\ndup.s 0", "push.i 3\nret.s", "push.i 1\npop.v.s self.x",
                               "push.v self.x\npush.s \"a\"\npop.e.i 0x0001\npopz.s"}) {
        VMCheckResult result = Check(source);
        EXPECT_EQ(result.fault, VMCheckFault::ForgedItem) << source;
        EXPECT_EQ(result.detail, VM_TYPE_STRING) << source;
    }
    // Reading a string's or a variable's bytes as a number only loses them.
    EXPECT_EQ(Check("push.s \"a\"\npopz.i\npush.v self.x\nbt 1\npopz.d\npopz.i").fault, VMCheckFault::None);
}

TEST(Checker, RefusesWithFramesMadeOfOtherItems)
{
    VMCheckResult result = Check("push.i 0x57495448\npush.i 0\npopenv break");
    EXPECT_EQ(result.fault, VMCheckFault::ForgedItem);
    EXPECT_EQ(result.detail, VM_CHECK_ITEM_WITH_FRAME);
    EXPECT_EQ(VM_CheckFaultText(result, 24, 0),
              "instruction at 0x00000010 takes a with frame from stack items that are none");
}

TEST(Checker, RefusesPathsThatMeetWithDifferentStacks)
{
    VMCheckResult kinds = Check(R"(
        push.b true
        bf other
        push.s "a"
        b join
    other:
        push.i 1
    join:
        popz.i
    )");
    EXPECT_EQ(kinds.fault, VMCheckFault::StacksDiffer);
    EXPECT_EQ(kinds.offset, 0x20u);
    EXPECT_EQ(VM_CheckFaultText(kinds, 0x24, 0),
              "instruction at 0x00000020 is reached with different stacks (the second time from 0x00000018)");

    // A loop that grows the stack meets its own start with one item more.
    EXPECT_EQ(Check("top: push.i 1\nb top").fault, VMCheckFault::StacksDiffer);
    // A double and two ints are the same bytes: numbers may differ.
    EXPECT_EQ(Check("push.b true\nbf other\npush.d 1\nb join\nother: push.i 1\npush.i 2\njoin: popz.d").fault,
              VMCheckFault::None);
}

TEST(Checker, RefusesTakingMoreThanTheEntryPushed)
{
    for (const char* source : {"popz.i", "push.i 1\nadd.i.i", "bt 1",
                               "push.i 1\ndup.i 1", "push.i 1\npop.e.i 0x0001", "push.i 1\npop.e.i 0x0200",
                               "popenv break", "push.i 1\npush.i 2\npop.v.v self.x", "break.e 0xFFFF",
                               "push.v stack.x[]", "push.i 70000\nret.v"}) {
        EXPECT_EQ(Check(source).fault, VMCheckFault::Underflow) << source;
    }
}

TEST(Checker, FollowsRotationsDupsConversionsAndWithBlocks)
{
    const char* const programs[] = {
        "push.v self.x\npush.s \"t\"\npop.e.s 0x0004\npopz.v\npopz.s",  // exchange
        "push.v self.x\npush.i 1\npop.e.i 0x0004\npopz.v\npopz.i",
        "push.i 1\npush.i 2\npop.e.i 0x0101\npopz.i",                   // then one cell dropped
        "push.i 1\npop.e.i 0xFF00\npopz.d",                             // then one uncovered
        "push.s \"a\"\ndup.s 2\npopz.s\npopz.s\npopz.s\npopz.s",
        "push.i 1\nconv.i.s\nconv.s.v\nret.v",
        "push.i 2\npush.v self.x\nconv.v.s\nmul.s.i\nconv.s.v\npush.s \"b\"\nadd.s.v\npop.v.v self.x",
        "push.e -3\npushenv done\nbody: push.v self.x\npop.v.v other.x\ndone: popenv body\npush.v self.x",
        "push.e -3\npushenv done\nbody: push.v self.x\npopz.v\npopenv break\nb out\ndone: popenv body\nout:",
    };
    for (const char* source : programs) {
        VMCheckResult result = Check(source);
        EXPECT_EQ(result.fault, VMCheckFault::None) << source << ": " << VM_CheckFaultText(result, 0, 0);
    }
    // A with frame left open over the next instance's run of the block is still there.
    EXPECT_EQ(Check("push.e -3\npushenv done\nbody: popz.d\ndone: popenv body").fault, VMCheckFault::StacksDiffer);
}

TEST(Checker, RefusesStacksBeyondWhatItFollows)
{
    VMCheckResult result = Check("push.v self.x\ndup.v 65535");
    EXPECT_EQ(result.fault, VMCheckFault::StackTooLarge);
    EXPECT_EQ(result.offset, 8u);
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

    VMAssembly forged;
    ASSERT_TRUE(VM_Assemble("push.v self.x\npush.i 1\npush.i 2\npop.v.v self.x", forged)) << forged.error;
    CapturedConsole again(MainConsole);
    EXPECT_FALSE(Code_CheckEntry(7, "Script_forge", forged.Bytes(), forged.Size(), 0));
    EXPECT_EQ(again.Text(), "Refused code entry 7 (Script_forge): instruction at 0x00000018 takes a variable "
                            "from stack items that are none\n");
}

} // namespace
