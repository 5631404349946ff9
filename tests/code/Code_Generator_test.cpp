// The bytecode generator: the words it writes for each construct, checked against hand-written
// assembly (and, for the forms everything else relies on, against literal words). Every generated
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

    // The generated code must be the assembled one, word for word.
    void ExpectCode(const std::string& source, const char* assembly, bool expression = false)
    {
        std::unique_ptr<VMGeneratedCode> code = Generate(source, expression);
        VMAssembly expected;
        ASSERT_TRUE(VM_Assemble(assembly, expected)) << expected.error;
        EXPECT_EQ(WordsOf(*code), WordsOf(*expected.code))
            << source << "\ngenerated:\n" << Listing(*code) << "expected:\n" << Listing(*expected.code);
    }
};

// Statements and the assembly they must generate.
const struct {
    const char* source;
    const char* assembly;
} PROGRAMS[] = {
    // Constants take the smallest push that holds them.
    {"v = -32768", "push.e -32768\npop.v.i v"}, {"v = -32769", "push.i -32769\npop.v.i v"},
    {"v = 2147483648", "push.l 2147483648\npop.v.l v"},
    // Owners the word cannot hold (16 signed bits, plus 100000 for an instance) go on the stack
    // rather than name another target.
    {"(132768).v = 1", "push.e 1\npush.i 132768\npop.v.i stack.v"},
    // A compound assignment reads, then stores with the target generated twice.
    {"a[i] += 2", "push.e -6\npush.v i\nconv.v.i\npush.v stack.a[]\npush.e 2\nadd.i.v\npush.e -6\npush.v i\n"
                  "conv.v.i\npop.v.v stack.a[]"},
    // Calls pass their arguments last first, as variables.
    {"test_two(p, 1)", "push.e 1\nconv.i.v\npush.v p\ncall.i test_two 2\npopz.v"},
    // repeat keeps its counter on the stack; continue counts the round.
    {"repeat (p) { if q continue; if r break; v += 1 }",
     "push.v p\nconv.v.i\ndup.i\npush.i 0\nsle.i.i\nbt end\nstart:\npush.v q\nconv.v.b\nbf no_continue\nb count\n"
     "no_continue:\npush.v r\nconv.v.b\nbf body\nb end\nbody:\npush.v v\npush.e 1\nadd.i.v\npop.v.v v\ncount:\n"
     "push.i 1\nsub.i.i\ndup.i\nconv.i.b\nbt start\nend:\npopz.i"},
    // switch tests cases until a default and keeps its value to the end; continue inside it drops
    // the value first.
    {"while p { switch (q) { case 1: continue; } v = 1 }",
     "repeat:\npush.v p\nconv.v.b\nbf end\npush.v q\ndup.v\npush.e 1\nseq.i.v\nbt one\nb switch_end\none:\n"
     "popz.v\nb repeat\nswitch_end:\npopz.v\npush.e 1\npop.v.i v\nb repeat\nend:"},
    // Statements that write little or nothing.
    {"break; continue; var a, b; v = 1", "push.e 1\npop.v.i v"}, {"{ ; { } }", ""},
};

TEST_F(GeneratorTest, StatementsGenerateTheirAssembly)
{
    for (const auto& program : PROGRAMS) ExpectCode(program.source, program.assembly);
    // A switch inside a with: continue leaves the switch for the next instance.
    Generate("with (p) switch (q) { case 1: continue; default: v = 1 }");
    // Two switches deep, inside repeat: both values go, the counter stays.
    std::string listing = Listing(*Generate("repeat (3) switch (p) { default: switch (p < q) { default: continue } }"));
    EXPECT_NE(listing.find("popz.b"), std::string::npos) << listing;
}

TEST_F(GeneratorTest, ExpressionsConvertTheirOperandsByKindAndLeaveOneVariable)
{
    const struct {
        const char* expression;
        const char* assembly;
    } cases[] = {
        {"p < 1", "push.v p\npush.e 1\nslt.i.v\nconv.b.v"},
        // Two ints divide as reals.
        {"(p & 7) / 2", "push.v p\nconv.v.i\npush.e 7\nand.i.i\npush.e 2\nconv.i.d\ndiv.d.i\nconv.d.v"},
        {"p && q", "push.v p\nconv.v.b\npush.v q\nconv.v.b\nand.b.b\nconv.b.v"},
        {"3000000000 < p", "push.l 3000000000\nconv.l.d\npush.v p\nslt.v.d\nconv.b.v"},
        {"-p", "push.v p\nneg.v"}, {"~p", "push.v p\nconv.v.i\nnot.i\nconv.i.v"}, {"+p", "push.v p"},
        // A bool is negated as an int: -true is -1, not true.
        {"-(p < q)", "push.v p\npush.v q\nslt.v.v\nconv.b.i\nneg.i\nconv.i.v"},
    };
    for (const auto& c : cases) ExpectCode(c.expression, c.assembly, true);
    // Constant expressions never reach the generator through CCode, but a constant root works.
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
