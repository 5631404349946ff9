#include <gtest/gtest.h>

#include <string>

#include "code/Code_Assembler.h"
#include "code/Code_Disassembler.h"
#include "code/Code_Function.h"
#include "Code_TestLog.h"
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

TEST(Disassembler, ShortPushShowsItsBytesInMemoryOrder)
{
    EXPECT_EQ(Disassembled("push.e -1"), Line("00000000 : ffff0fc0", "push.e", "-1"));
    EXPECT_EQ(Disassembled("push.e 32767"), Line("00000000 : ff7f0fc0", "push.e", "32767"));
}

TEST(Disassembler, ImmediateOperandsOfEachType)
{
    EXPECT_EQ(Disassembled("push.i -70000"), Line("00000000 : 000002c090eefeff", "push.i", "-70000"));
    EXPECT_EQ(Disassembled("push.d 0.5"), Line("00000000 : 000000c0000000000000e03f", "push.d", "0.500000"));
    EXPECT_EQ(Disassembled("push.f 0.25"), Line("00000000 : 000001c00000803e", "push.f", "0.250000"));
    EXPECT_EQ(Disassembled("push.l 5000000000"), Line("00000000 : 000003c000f2052a01000000", "push.l", "5000000000"));
    EXPECT_EQ(Disassembled("push.b true\npush.b false"),
              Line("00000000 : 000004c001000000", "push.b", "true") + Line("00000008 : 000004c000000000", "push.b", "false"));
    EXPECT_EQ(Disassembled("push.s \"hi there\""), Line("00000000 : 000006c000000000", "push.s", "\"hi there\""));
    EXPECT_EQ(Disassembled("push.s #4"), Line("00000000 : 000006c004000000", "push.s", "<no string 4>"));
}

TEST(Disassembler, VariablesPrintTheirNames)
{
    int32_t id = Code_Variable_Find("disasm_health");
    std::string text = Disassembled("push.v self.disasm_health");
    EXPECT_NE(text.find("push.v"), std::string::npos);
    EXPECT_NE(text.find("$disasm_health$\n"), std::string::npos) << text;
    // Bits 29 and 31 of the operand are not part of the identifier.
    uint32_t operand = static_cast<uint32_t>(id) | 0xA0000000u;
    char bytes[64];
    std::snprintf(bytes, sizeof bytes, "00000000 : ffff05c0%02x%02x%02x%02x", operand & 0xFF, (operand >> 8) & 0xFF,
                  (operand >> 16) & 0xFF, operand >> 24);
    EXPECT_EQ(text, Line(bytes, "push.v", "$disasm_health$"));
}

TEST(Disassembler, BranchTargetsAreAddresses)
{
    std::string text = Disassembled("push.e 1\npush.e 2\nb -1\nbf 1\npopenv break");
    EXPECT_NE(text.find(Line("00000008 : ffffffb7", "b", "0x00000004")), std::string::npos) << text;
    EXPECT_NE(text.find(Line("0000000c : 010000b9", "bf", "0x00000010")), std::string::npos) << text;
}

TEST(Disassembler, TypeSuffixesFollowTheOpcodeForm)
{
    // Two-type forms print the first type, then the second: conv reads source then target.
    EXPECT_EQ(Disassembled("conv.v.i"), Line("00000000 : 00002503", "conv.v.i", ""));
    EXPECT_EQ(Disassembled("add.i.v"), Line("00000000 : 00005208", "add.i.v", ""));
    EXPECT_EQ(Disassembled("pop.v.i self.x").substr(36, 10), "pop.v.i   ");
    // One-type forms print one; break prints none; unknown opcodes are named so.
    EXPECT_EQ(Disassembled("popz.v"), Line("00000000 : 0000059f", "popz.v", ""));
    EXPECT_EQ(Disassembled("break.e 0xFFFF"), Line("00000000 : ffff0fff", "break", "-1"));
    EXPECT_EQ(Disassembled(".word 0x01020000"), Line("00000000 : 00000201", "unknown.i.d", ""));
}

TEST(Disassembler, CallsNameBuiltInsAndNumberScripts)
{
    int32_t row = g_FunctionCount;
    Function_Add("disasm_test_builtin", TestRoutine, 2);
    char source[64];
    std::snprintf(source, sizeof source, "call.i %d 2\ncall.i 100003 0", row);
    std::string text = Disassembled(source);
    EXPECT_NE(text.find("call.i    disasm_test_builtin\n"), std::string::npos) << text;
    EXPECT_NE(text.find("call.i    100003\n"), std::string::npos) << text;
}

TEST(Disassembler, TruncatedInstructionStopsAtTheEnd)
{
    VMAssembly assembly;
    ASSERT_TRUE(VM_Assemble("push.d 1.5", assembly));
    assembly.code->m_Size = 6; // the word and two bytes of the operand
    TErrStreamConsole out;
    EXPECT_EQ(VM_DisassembleOne(assembly.code.get(), 0, &out), 6);
    EXPECT_EQ(std::string(out.Text()), Line("00000000 : 000000c00000", "push.d", ""));
    EXPECT_EQ(VM_DisassembleOne(assembly.code.get(), 6, &out), 6);
}

// A debug table as the generator and the debug file give it: pairs {code offset, source position}.
struct DebugTable {
    std::vector<int32_t> words;
    VMBuffer buffer;
    explicit DebugTable(std::vector<int32_t> pairs)
        : words(std::move(pairs)), buffer(reinterpret_cast<uint8_t*>(words.data()), static_cast<int32_t>(words.size() * 4))
    {
    }
};

TEST(SourceLines, LookupFindsTheLastEntryAtOrBeforeTheOffset)
{
    DebugTable table({4, 0, 12, 9, 20, 18});
    EXPECT_FALSE(VM_DebugInfo_FindLine(&table.buffer, 0).found);
    EXPECT_FALSE(VM_DebugInfo_FindLine(nullptr, 8).found);
    VMDebugEntry entry = VM_DebugInfo_FindLine(&table.buffer, 16);
    ASSERT_TRUE(entry.found);
    EXPECT_EQ(entry.codeOffset, 12);
    EXPECT_EQ(entry.sourcePosition, 9);
    EXPECT_EQ(VM_DebugInfo_FindLine(&table.buffer, 20).sourcePosition, 18);
    EXPECT_EQ(VM_DebugInfo_FindLine(&table.buffer, 1000).sourcePosition, 18);
    EXPECT_EQ(VM_DebugInfo_FindLine(&table.buffer, 4).sourcePosition, 0);
}

TEST(SourceLines, LineNumberAndTextOfAnEntry)
{
    const char* text = "a = 1;\r\nb = 2;\r\nc = 3;";
    VMDebugEntry none;
    EXPECT_EQ(VM_DebugInfo_FindName(none, text), -1);
    EXPECT_STREQ(VM_DebugInfo_SourceLine(none, text), "<unknown source line>");

    VMDebugEntry entry{true, 0, 10}; // inside "b = 2;"
    EXPECT_EQ(VM_DebugInfo_FindName(entry, text), 1);
    EXPECT_STREQ(VM_DebugInfo_SourceLine(entry, text), "b = 2;");
    entry.sourcePosition = 0;
    EXPECT_EQ(VM_DebugInfo_FindName(entry, text), 0);
    EXPECT_STREQ(VM_DebugInfo_SourceLine(entry, text), "a = 1;");
    entry.sourcePosition = 5000; // clamped to the last character
    EXPECT_EQ(VM_DebugInfo_FindName(entry, text), 2);
    EXPECT_STREQ(VM_DebugInfo_SourceLine(entry, text), "c = 3;");
}

TEST(SourceLines, ALineEndsAtALineFeedAsWellAsACarriageReturn)
{
    const struct {
        const char* text;
        int32_t position;
        const char* line;
    } cases[] = {
        {"a = 1;\nb = 2;\nc = 3;", 0, "a = 1;"},
        {"a = 1;\nb = 2;\nc = 3;", 8, "b = 2;"},
        {"a = 1;\nb = 2;\r\nc = 3;", 8, "b = 2;"},
        {"a = 1;\r\nb = 2;\nc = 3;", 16, "c = 3;"},
        {"only\n", 0, "only"},
    };
    for (const auto& c : cases) {
        VMDebugEntry entry{true, 0, c.position};
        EXPECT_STREQ(VM_DebugInfo_SourceLine(entry, c.text), c.line) << c.text << " @" << c.position;
    }
}

TEST(SourceLines, PositionsCountCharactersNotBytes)
{
    // "\xC3\xA9" is one character of two bytes: "t" is character 10 but byte 11.
    const char* text = "s = \"\xC3\xA9\";\r\nt = 1;";
    VMDebugEntry entry{true, 0, 10};
    EXPECT_STREQ(VM_DebugInfo_SourceLine(entry, text), "t = 1;");
    entry.sourcePosition = 9; // the line feed itself still belongs to the first line
    EXPECT_STREQ(VM_DebugInfo_SourceLine(entry, text), "s = \"\xC3\xA9\";");
}

TEST(SourceLines, LineTextIsCutToTheArea)
{
    std::string longLine(400, 'x');
    VMDebugEntry entry{true, 0, 3};
    EXPECT_EQ(std::string(VM_DebugInfo_SourceLine(entry, longLine.c_str())).size(), 255u);
}

} // namespace
