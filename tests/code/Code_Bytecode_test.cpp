// The disassembler, source-line lookup and the load-time checker.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Code_TestLog.h"
#include "code/Code_Assembler.h"
#include "code/Code_Bytecode.h"
#include "code/Code_Checker.h"
#include "code/Code_Disassembler.h"
#include "code/Code_Emitter.h"
#include "code/Code_Function.h"
#include "variable/Variable_Names.h"

namespace {



std::string Line(const std::string& bytes, const std::string& name, const std::string& operand)
{
    std::string line = bytes;
    line.resize(36, ' ');
    line += name;
    if (line.size() < 46) line.resize(46, ' ');
    return line + operand + "\n";
}

std::string Disassembled(const char* source)
{
    VMAssembly assembly;
    EXPECT_TRUE(VM_Assemble(source, assembly)) << assembly.error;
    TErrStreamConsole out;
    VM_Disassemble(assembly.code.get(), &out);
    return out.Text();
}

void TestRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

TEST(Disassembler, LinesShowBytesInMemoryOrderNamesTypesAndOperands)
{
    const struct {
        const char* source;
        const char* bytes;
        const char* name;
        const char* operand;
    } lines[] = {
        {"push.e -1", "ffff0fc0", "push.e", "-1"}, {"push.i -70000", "000002c090eefeff", "push.i", "-70000"},
        {"push.d 0.5", "000000c0000000000000e03f", "push.d", "0.500000"},
        {"push.s #4", "000006c004000000", "push.s", "<no string 4>"},
        // Two-type forms print the first type, then the second: conv reads source then target.
        {"add.i.v", "00005208", "add.i.v", ""},
        // One-type forms print one; break prints none; unknown opcodes are named so.
        {"popz.v", "0000059f", "popz.v", ""}, {"break.e 0xFFFF", "ffff0fff", "break", "-1"},
        {".word 0x01020000", "00000201", "unknown.i.d", ""},
    };
    for (const auto& line : lines)
        EXPECT_EQ(Disassembled(line.source), Line(std::string("00000000 : ") + line.bytes, line.name, line.operand));

    // Variables print their names; bits 29 and 31 of the operand are not part of the identifier.
    uint32_t operand = static_cast<uint32_t>(Code_Variable_Find("disasm_health")) | 0xA0000000u;
    char bytes[64];
    std::snprintf(bytes, sizeof bytes, "00000000 : ffff05c0%02x%02x%02x%02x", operand & 0xFF, (operand >> 8) & 0xFF,
                  (operand >> 16) & 0xFF, operand >> 24);
    EXPECT_EQ(Disassembled("push.v self.disasm_health"), Line(bytes, "push.v", "$disasm_health$"));

    // Branch targets are addresses; calls name built-ins and number scripts.
    std::string text = Disassembled("push.e 1\npush.e 2\nb -1");
    EXPECT_NE(text.find(Line("00000008 : ffffffb7", "b", "0x00000004")), std::string::npos) << text;
    int32_t row = g_FunctionCount;
    Function_Add("disasm_test_builtin", TestRoutine, 2);
    std::string calls = Disassembled(("call.i " + std::to_string(row) + " 2\ncall.i 100003 0").c_str());
    EXPECT_NE(calls.find("call.i    disasm_test_builtin\n"), std::string::npos) << calls;
    EXPECT_NE(calls.find("call.i    100003\n"), std::string::npos) << calls;

    // A truncated instruction stops at the end.
    VMAssembly assembly;
    ASSERT_TRUE(VM_Assemble("push.d 1.5", assembly));
    assembly.code->m_Size = 6; // the word and two bytes of the operand
    TErrStreamConsole out;
    EXPECT_EQ(VM_DisassembleOne(assembly.code.get(), 0, &out), 6);
    EXPECT_EQ(std::string(out.Text()), Line("00000000 : 000000c00000", "push.d", ""));
    EXPECT_EQ(VM_DisassembleOne(assembly.code.get(), 6, &out), 6);
}

TEST(SourceLines, LookupFindsTheLastEntryAtOrBeforeTheOffset)
{
    int32_t pairs[] = {4, 0, 12, 9, 20, 18}; // {code offset, source position}
    VMBuffer table(reinterpret_cast<uint8_t*>(pairs), sizeof pairs);
    EXPECT_FALSE(VM_DebugInfo_FindLine(&table, 0).found);
    EXPECT_FALSE(VM_DebugInfo_FindLine(nullptr, 8).found);
    VMDebugEntry entry = VM_DebugInfo_FindLine(&table, 16);
    ASSERT_TRUE(entry.found);
    EXPECT_EQ(entry.codeOffset, 12);
    EXPECT_EQ(entry.sourcePosition, 9);
    EXPECT_EQ(VM_DebugInfo_FindLine(&table, 4).sourcePosition, 0);
}

TEST(SourceLines, LineNumberAndTextOfAnEntry)
{
    VMDebugEntry none;
    EXPECT_EQ(VM_DebugInfo_FindName(none, "a"), -1);
    EXPECT_STREQ(VM_DebugInfo_SourceLine(none, "a"), "<unknown source line>");
    const struct {
        const char* text;
        int32_t position;
        int32_t line;
        const char* lineText;
    } cases[] = {
        {"a = 1;\r\nb = 2;\r\nc = 3;", 10, 1, "b = 2;"}, {"a = 1;\r\nb = 2;\r\nc = 3;", 0, 0, "a = 1;"},
        {"a = 1;\r\nb = 2;\r\nc = 3;", 5000, 2, "c = 3;"}, // clamped to the last character
        // A line ends at a line feed as well as a carriage return.
        {"a = 1;\nb = 2;\nc = 3;", 0, -1, "a = 1;"}, {"a = 1;\nb = 2;\nc = 3;", 8, -1, "b = 2;"},
        // Positions count characters, not bytes: "t" is character 10 but byte 11; the line feed
        // itself still belongs to the first line.
        {"s = \"\xC3\xA9\";\r\nt = 1;", 10, -1, "t = 1;"}, {"s = \"\xC3\xA9\";\r\nt = 1;", 9, -1, "s = \"\xC3\xA9\";"},
    };
    for (const auto& c : cases) {
        VMDebugEntry entry{true, 0, c.position};
        if (c.line >= 0) { EXPECT_EQ(VM_DebugInfo_FindName(entry, c.text), c.line) << c.text << " @" << c.position; }
        EXPECT_STREQ(VM_DebugInfo_SourceLine(entry, c.text), c.lineText) << c.text << " @" << c.position;
    }
    // The line text is cut to the area.
    std::string longLine(400, 'x');
    EXPECT_EQ(std::string(VM_DebugInfo_SourceLine(VMDebugEntry{true, 0, 3}, longLine.c_str())).size(), 255u);
}

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
const char* const EVERY_FORM =
    "top:\npush.e -1\npush.i 70000\nmul.i.i\npush.i 3\ndiv.i.i\npush.i 2\nrem.i.i\npush.i 5\nmod.i.i\npush.i 1\n"
    "shl.i.i\npush.i 1\nshr.i.i\npush.i 6\nxor.i.i\nneg.i\ndup.i 0\ndup.i 0\nsle.i.i\npopz.b\ndup.i 0\nslt.i.i\n"
    "push.b true\nand.b.b\npush.b false\nor.b.b\nnot.b\nbt top\npush.l 5000000000\npush.d 0.5\nadd.d.l\n"
    "push.f 0.25\nconv.f.d\nsub.d.d\ndup.d 0\npush.d 1.0\nsgt.d.d\npopz.b\npush.d 2.0\nsge.d.d\nbf end\n"
    "push.v self.x\npush.s \"hello\"\nseq.s.v\npopz.b\npush.v 100005.hp\npush.v self.x\nsne.v.v\npopz.b\n"
    "push.e -1\npush.e 0\npush.v stack.arr[]\npush.i 1\nadd.i.v\nconv.v.i\npop.v.i self.x\npush.e -1\npush.e 0\n"
    "push.v self.x\npop.i.v stack.arr[]\npush.v self.x\npush.s \"a\"\nconv.s.v\npop.e.v 0x0004\ncall.i 100000 2\n"
    "call.i 500001 1\npopz.v\npush.e -1\npushenv body_end\nbody:\npush.i 1\npopz.i\nbody_end:\npopenv body\n"
    "push.e -3\npushenv out\ninner:\npopenv break\nb after\nout:\npopenv inner\nafter:\npush.i 5\n"
    "break.e 0xFFFF\nbreak.e 0\npush.i 8\ndup.i 1\npopz.d\npopz.d\npush.v self.x\ndup.v 1\npopz.v\npopz.v\n"
    "push.b true\nbf quit\nret.v\nquit:\nexit.i\nend:\n";

TEST(Checker, AcceptsWhatTheInterpreterCanRun)
{
    // The instruction after a certain run-time error would forge a variable, but it never runs (a
    // call measures its arguments against the stack before it reads them).
    const std::string forged = "\npush.i 1\npush.i 2\npop.v.v self.x";
    const std::string accepted[] = {
        EVERY_FORM, "",
        // Unknown opcodes, unused type codes, a malformed pop form, a call to a missing script, a
        // branch to itself and one to the end: all the interpreter's business.
        ".word 0x01000000 0x7F070000 0xC00E0000\n.word 0x50020000 0x12345678\n.word 0x41000000 1 2\n"
        "call.i 499999 0\nself: b 0\nb 1",
        "push.l 1\npush.i 2\nadd.i.l" + forged, ".word 0x41070000 0x80000000" + forged,
        "push.i 1\n.word 0x0D070000 0x9F080000\npopz.i", // unused type codes take and push nothing
        "push.i 1\npush.d 3", // fewer than 16 bytes at the end: none taken as the result
        // Reading a string's or a variable's bytes as a number only loses them.
        "push.s \"a\"\npopz.i\npush.v self.x\nbt 1\npopz.d\npopz.i",
        // A double and two ints are the same bytes: numbers may differ where paths meet.
        "push.b true\nbf other\npush.d 1\nb join\nother: push.i 1\npush.i 2\njoin: popz.d",
        // Rotations, dups, conversions and with blocks are followed.
        "push.v self.x\npush.s \"t\"\npop.e.s 0x0004\npopz.v\npopz.s", "push.i 1\nconv.i.s\nconv.s.v\nret.v",
        "push.e -3\npushenv done\nbody: push.v self.x\npop.v.v other.x\ndone: popenv body\npush.v self.x",
        "b 2\npush.i 0x9E020000", // the branch lands on the operand, which reads as exit.i
        ".word 0xDA060000 77",     // only push reads its operand as a string
    };
    for (const std::string& source : accepted) {
        VMCheckResult result = Check(source.c_str(), source.find("0xDA06") != std::string::npos ? 0 : UINT32_MAX);
        EXPECT_EQ(result.fault, VMCheckFault::None) << source << ": " << VM_CheckFaultText(result, 0, 0);
    }
}

TEST(Checker, RefusesEachFaultAtItsOffset)
{
    constexpr uint32_t ANY = UINT32_MAX;
    const struct {
        const char* source;
        VMCheckFault fault;
        uint32_t offset;
        int32_t detail; // INT32_MIN: not checked
    } cases[] = {
        // Variables made of other items.
        {"push.v self.x\npush.i 1\npush.i 2\npop.v.v self.x", VMCheckFault::ForgedItem, 0x18, VM_TYPE_VARIABLE},
        // Running off the end hands the top 16 bytes over as the result.
        {"push.i 1\npush.i 2\npush.d 3", VMCheckFault::ForgedItem, 0x1c, VM_TYPE_VARIABLE},
        // Strings made of other items.
        {"push.i 5\npopz.s", VMCheckFault::ForgedItem, ANY, VM_TYPE_STRING},
        {"push.i 0x57495448\npush.i 0\npopenv break", VMCheckFault::ForgedItem, 0x10, VM_CHECK_ITEM_WITH_FRAME},
        // Paths that meet with different stacks; a loop growing the stack meets its own start; a
        // with frame left open over the next instance's run of the block.
        {"push.b true\nbf other\npush.s \"a\"\nb join\nother:\npush.i 1\njoin:\npopz.i", VMCheckFault::StacksDiffer,
         0x20, INT32_MIN},
        {"top: push.i 1\nb top", VMCheckFault::StacksDiffer, ANY, INT32_MIN},
        {"push.e -3\npushenv done\nbody: popz.d\ndone: popenv body", VMCheckFault::StacksDiffer, ANY, INT32_MIN},
        {"push.v self.x\ndup.v 65535", VMCheckFault::StackTooLarge, 8, INT32_MIN},
        // Branches outside the code, every branch form, and a branch into an operand that reads as
        // "b +256".
        {"b -1", VMCheckFault::BranchOutside, 0, -4}, {"push.e 1\nbt 2", VMCheckFault::BranchOutside, 4, 12},
        {"pushenv 5", VMCheckFault::BranchOutside, ANY, INT32_MIN},
        {"b 2\npush.i 0xB7000100", VMCheckFault::BranchOutside, 8, INT32_MIN},
        {".word 0xC0000000 0", VMCheckFault::OperandPastEnd, 0, INT32_MIN}, // push.d with half its operand
    };
    for (const auto& c : cases) {
        VMCheckResult result = Check(c.source);
        EXPECT_EQ(result.fault, c.fault) << c.source;
        if (c.offset != ANY) { EXPECT_EQ(result.offset, c.offset) << c.source; }
        if (c.detail != INT32_MIN) { EXPECT_EQ(result.detail, c.detail) << c.source; }
    }
    // Taking more than the entry pushed.
    for (const char* source : {"popz.i", "push.i 1\ndup.i 1", "push.i 1\npop.e.i 0x0001", "push.v stack.x[]"})
        EXPECT_EQ(Check(source).fault, VMCheckFault::Underflow) << source;
    EXPECT_EQ(Check("push.v self.x", UINT32_MAX, -1).fault, VMCheckFault::OperandPastEnd);
    EXPECT_EQ(Check("push.e 1\npush.e 2", UINT32_MAX, -2).fault, VMCheckFault::WordPastEnd);
    VMCheckResult negative;
    EXPECT_FALSE(VM_CheckCode(nullptr, -4, 0, &negative));
    EXPECT_EQ(negative.fault, VMCheckFault::NegativeSize);
    // String operands outside the table.
    VMCheckResult strings = Check("push.s \"a\"\npush.s \"b\"", 1);
    EXPECT_EQ(strings.fault, VMCheckFault::StringOutside);
    EXPECT_EQ(strings.offset, 8u);
    EXPECT_EQ(strings.detail, 1);
    EXPECT_EQ(Check("push.s #0", 0).fault, VMCheckFault::StringOutside);
}

TEST(Checker, FaultTextsAndRefusedEntriesLoggedByName)
{
    EXPECT_EQ(VM_CheckFaultText(Check("push.i 1\npush.i 2\npush.d 3"), 0x1c, 0),
              "the code ends at 0x0000001c with items on the stack that are no variable");
    EXPECT_EQ(VM_CheckFaultText(Check("push.i 0x57495448\npush.i 0\npopenv break"), 24, 0),
              "instruction at 0x00000010 takes a with frame from stack items that are none");
    EXPECT_EQ(VM_CheckFaultText(Check("push.b true\nbf other\npush.s \"a\"\nb join\nother:\npush.i 1\njoin:\npopz.i"),
                                0x24, 0),
              "instruction at 0x00000020 is reached with different stacks (the second time from 0x00000018)");

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
    EXPECT_FALSE(Code_CheckEntry(7, "Script_\x1B[2Jforge\n", forged.Bytes(), forged.Size(), 0));
    EXPECT_EQ(again.Text(), "Refused code entry 7 (Script_[1B][2Jforge[0A]): instruction at 0x00000018 takes a "
                            "variable from stack items that are none\n");
}

} // namespace
