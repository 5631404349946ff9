// The bytecode generator: the literal words of the forms everything else relies on (the program
// corpus runs every construct through both executors), deep code, and the stack walk. Every generated
// buffer is also handed to the load-time checker and to the stack walk, so no test here can pass
// with code the interpreter would refuse or with a stack left unbalanced.
#include <gtest/gtest.h>

#include "Code_CompilerSupport.h"
#include "app/App_CommandLine.h"
#include "code/Code_Assembler.h"
#include "code/Code_Checker.h"
#include "code/Code_Disassembler.h"
#include "code/Code_Generator.h"
#include "code/Code_GeneratorStack.h"
#include "platform/Platform_MemoryManager.h"
#include "variable/Variable_Global.h"

namespace {

using compiler_test::CompilerTest;
using compiler_test::Repeat;
using Words = std::vector<uint32_t>;

Words WordsOf(const VMBuffer& buffer)
{
    Words words;
    for (int32_t at = 0; at + 4 <= buffer.m_Size; at += 4) words.push_back(buffer.WordAt(at));
    return words;
}

std::string Listing(const VMBuffer& buffer)
{
    TErrStreamConsole out;
    VM_Disassemble(&buffer, &out);
    return out.Text();
}

uint32_t Operand(const char* name, uint32_t flags = VM_VAR_INSTANCE_IN_WORD | VM_VAR_NO_INDEX)
{
    return static_cast<uint32_t>(Code_Variable_Find(name)) | flags;
}

class GeneratorTest : public CompilerTest {
  protected:
    // Compiles and generates; the buffer must pass the checker and the stack walk, ending with an
    // empty stack (a program) or one variable (an expression).
    std::unique_ptr<VMGeneratedCode> Generate(const std::string& source, bool expression = false)
    {
        EXPECT_TRUE(Compile(source, expression)) << source << ": " << g_CodeErrorText;
        return GenerateRoot(expression, source);
    }

    std::unique_ptr<VMGeneratedCode> GenerateRoot(bool expression, const std::string& what)
    {
        VMWriteBuffer* words = nullptr;
        VMWriteBuffer* companion = nullptr;
        Code_Generate(Code(), &Root(), expression, &words, &companion);
        EXPECT_TRUE(companion != nullptr && companion->m_Size == 0) << "the companion buffer stays empty";
        delete companion;
        std::unique_ptr<VMGeneratedCode> code(static_cast<VMGeneratedCode*>(words));
        VMCheckResult check;
        EXPECT_TRUE(VM_CheckCode(code->m_pWords, code->m_Size, code->StringCount(), &check))
            << what << ": " << VM_CheckFaultText(check, code->m_Size, code->StringCount()) << "\n" << Listing(*code);
        VMStackTrace trace;
        EXPECT_TRUE(VM_TraceStack(code->m_pWords, code->m_Size, &trace)) << what << ": " << trace.problem;
        for (const auto& stack : trace.endStacks)
            EXPECT_EQ(VM_StackText(stack), expression ? "v" : "") << what << "\n" << Listing(*code);
        EXPECT_TRUE(trace.refusedPairs.empty()) << what << ": " << trace.refusedPairs.front();
        return code;
    }

    Words WordsFor(const std::string& source, bool expression = false) { return WordsOf(*Generate(source, expression)); }
};

// Constant expressions never reach the generator through CCode, but a constant root works.
TEST_F(GeneratorTest, AConstantRootPushesItsValue)
{
    ASSERT_TRUE(Compile("'folded' + 'text'", true));
    ASSERT_EQ(Root().kind, NODE_CONSTANT);
    std::unique_ptr<VMGeneratedCode> code = GenerateRoot(true, "constant");
    EXPECT_EQ(WordsOf(*code), (Words{0xC0060000, 0, 0x03560000})); // push.s, conv.s.v
    EXPECT_STREQ(code->m_pStrings->Get(0), "foldedtext");
}

// The literal words of the forms everything else relies on.
TEST_F(GeneratorTest, LiteralWords)
{
    const uint32_t v = Operand("v");
    EXPECT_EQ(WordsFor("gen_x = gen_y + 1;"),
              (Words{0xC005FFFA, Operand("gen_y"), 0xC00F0001, 0x08520000, 0x4155FFFA, Operand("gen_x")}));
    EXPECT_EQ(WordsFor("v = 32768"), (Words{0xC0020000, 32768, 0x4125FFFA, v}));
    Words wide = WordsFor("v = 2147483648");
    EXPECT_EQ(Words(wide.begin(), wide.begin() + 3), (Words{0xC0030000, 0x80000000, 0}));
    EXPECT_EQ(WordsFor("a[i, j]", true),
              (Words{0xC00FFFFA, 0xC005FFFA, Operand("i"), 0x03250000, 0xC0020000, 32000, 0x04220000, 0xC005FFFA,
                     Operand("j"), 0x03250000, 0x08220000, 0xC0050000, Operand("a", 0)}));
    // The largest instance id the word holds is 132767.
    Words largest = WordsFor("(132767).v = 1");
    EXPECT_EQ(largest[1], 0x41257FFFu);
    EXPECT_EQ(largest[2], v | VM_VAR_INSTANCE_OFFSET);
    Words call = WordsFor("test_one(p)");
    EXPECT_EQ(call[2], 0xDA020001u);
    EXPECT_EQ(static_cast<int32_t>(call[3]), compiler_test::FunctionId("test_one"));
    compiler_test::Resources(compiler_test::RES_SCRIPT)["gen_script"] = 7;
    Words script = WordsFor("gen_script(1, 2)");
    EXPECT_EQ(script[4], 0xDA020002u);
    EXPECT_EQ(script[5], 100007u);
    EXPECT_EQ(WordsFor("with (all) break").back(), 0xBCF00000u);
    EXPECT_EQ(WordsFor("return p"), (Words{0xC005FFFA, Operand("p"), 0x9D050000}));
}





TEST_F(GeneratorTest, DeepCodeWithinTheCompilerLimitsGeneratesAndTooLongCodeFails)
{
    Generate("v = " + Repeat("(", 900) + "p" + Repeat(")", 900));
    Generate(Repeat("while p ", 900) + "break");
    Generate(Repeat("switch (p) { default: ", 300) + "v = 1" + Repeat("}", 300));
    // Nested calls keep more values pending than the type stack's first 1024 entries. Arguments are
    // generated last first, so the nested call comes first to leave 14 pending.
    std::unique_ptr<VMGeneratedCode> code =
        Generate("v = " + Repeat("test_any(", 100) + "p" + Repeat(", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14)", 100));
    VMStackTrace trace;
    ASSERT_TRUE(VM_TraceStack(code->m_pWords, code->m_Size, &trace));
    EXPECT_GT(trace.greatestDepth, 1024);

    // Five words a statement: the branch over the block needs more than 2^23 words.
    std::string source = "if (a) {" + Repeat("a=1.5;", 1700000) + "}";
    CCode tooLong(source.c_str(), false);
    g_CodeErrorFlag = false;
    EXPECT_FALSE(tooLong.Compile("long"));
    EXPECT_NE(g_CodeErrorText.find("Code is too long."), std::string::npos) << g_CodeErrorText.substr(0, 200);
    CCode fits("if (a) { a = b; }", false);
    g_CodeErrorFlag = false;
    EXPECT_TRUE(fits.Compile("short"));
}

TEST(GeneratorStackWalk, FindsStacksThatDisagree)
{
    const struct {
        const char* source;
        bool passes;
        const char* problem; // or the stack left at the end
    } cases[] = {
        // A continue that leaves the switch value behind: the loop is entered with two stacks.
        {"repeat:\npush.v p\nconv.v.b\nbf end\npush.v q\nb repeat\nend:", false,
         "at 0x00000000: reached with [] and with [v]"},
        {"push.e 1\npush.v p", true, "iv"},
        {"push.e 1\npopz.v", false, "at 0x00000004: popz: expected v on top, found i"},
        {"b 5", false, "at 0x00000000: branch leaves the code"},
    };
    for (const auto& c : cases) {
        VMAssembly assembly;
        ASSERT_TRUE(VM_Assemble(c.source, assembly)) << assembly.error;
        VMStackTrace trace;
        ASSERT_EQ(VM_TraceStack(assembly.Bytes(), assembly.Size(), &trace), c.passes) << c.source;
        if (c.passes) {
            ASSERT_EQ(trace.endStacks.size(), 1u);
            EXPECT_EQ(VM_StackText(trace.endStacks[0]), c.problem);
        } else {
            EXPECT_EQ(trace.problem, c.problem);
        }
    }
    // A pair the interpreter refuses is noted; the walk goes on with the wider type.
    VMAssembly refused;
    ASSERT_TRUE(VM_Assemble("push.l 1\npush.e 2\nsub.i.l\npopz.l", refused)) << refused.error;
    VMStackTrace trace;
    EXPECT_TRUE(VM_TraceStack(refused.Bytes(), refused.Size(), &trace)) << trace.problem;
    EXPECT_EQ(trace.refusedPairs, std::vector<std::string>{"sub.i.l at 0x00000010"});
}

} // namespace
