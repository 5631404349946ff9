// The bytecode generator: the words it writes for each construct, checked against hand-written
// assembly (and, for the forms everything else relies on, against literal words). Every generated
// buffer is also handed to the load-time checker and to the stack walk, so no test here can pass
// with code the interpreter would refuse or with a stack left unbalanced.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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

std::vector<uint32_t> WordsOf(const VMBuffer& buffer)
{
    std::vector<uint32_t> words;
    for (int32_t at = 0; at + 4 <= buffer.m_Size; at += 4)
        words.push_back(buffer.WordAt(at));
    return words;
}

std::string Listing(const VMBuffer& buffer)
{
    TErrStreamConsole out;
    VM_Disassemble(&buffer, &out);
    return out.Text();
}

uint32_t VariableOperand(const char* name, uint32_t flags)
{
    return static_cast<uint32_t>(Code_Variable_Find(name)) | flags;
}

constexpr uint32_t UNNAMED_FIXED = VM_VAR_INSTANCE_IN_WORD | VM_VAR_NO_INDEX; // 0xA0000000

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
        EXPECT_NE(companion, nullptr);
        if (companion != nullptr) {
            EXPECT_EQ(companion->m_Size, 0) << "the companion buffer stays empty";
        }
        delete companion;
        std::unique_ptr<VMGeneratedCode> code(static_cast<VMGeneratedCode*>(words));
        ExpectSound(*code, expression, what);
        return code;
    }

    static void ExpectSound(const VMGeneratedCode& code, bool expression, const std::string& what)
    {
        VMCheckResult check;
        EXPECT_TRUE(VM_CheckCode(code.m_pWords, code.m_Size, code.StringCount(), &check))
            << what << ": " << VM_CheckFaultText(check, code.m_Size, code.StringCount()) << "\n"
            << Listing(code);
        VMStackTrace trace;
        EXPECT_TRUE(VM_TraceStack(code.m_pWords, code.m_Size, &trace))
            << what << ": " << trace.problem << "\n"
            << Listing(code);
        for (const auto& stack : trace.endStacks)
            EXPECT_EQ(VM_StackText(stack), expression ? "v" : "") << what << "\n" << Listing(code);
        EXPECT_TRUE(trace.refusedPairs.empty()) << what << ": " << trace.refusedPairs.front();
    }

    std::vector<uint32_t> Words(const std::string& source, bool expression = false)
    {
        return WordsOf(*Generate(source, expression));
    }

    // The generated code must be the assembled one, word for word.
    void ExpectCode(const std::string& source, const char* assembly, bool expression = false)
    {
        std::unique_ptr<VMGeneratedCode> code = Generate(source, expression);
        VMAssembly expected;
        ASSERT_TRUE(VM_Assemble(assembly, expected)) << expected.error;
        EXPECT_EQ(WordsOf(*code), WordsOf(*expected.code)) << source << "\ngenerated:\n"
                                                           << Listing(*code) << "expected:\n"
                                                           << Listing(*expected.code);
    }
};

TEST_F(GeneratorTest, AssignmentOfASumIsSixWords)
{
    EXPECT_EQ(Words("gen_x = gen_y + 1;"),
              (std::vector<uint32_t>{0xC005FFFA, VariableOperand("gen_y", UNNAMED_FIXED), 0xC00F0001,
                                     0x08520000, 0x4155FFFA, VariableOperand("gen_x", UNNAMED_FIXED)}));
}

TEST_F(GeneratorTest, ConstantsTakeTheSmallestPushThatHoldsThem)
{
    struct Case {
        const char* constant;
        const char* assembly;
    } cases[] = {
        {"32767", "push.e 32767\npop.v.i v"},
        {"-32768", "push.e -32768\npop.v.i v"},
        {"$7FFF", "push.e 32767\npop.v.i v"},
        {"32768", "push.i 32768\npop.v.i v"},
        {"-32769", "push.i -32769\npop.v.i v"},
        {"2147483647", "push.i 2147483647\npop.v.i v"},
        {"-2147483648", "push.i -2147483648\npop.v.i v"},
        {"2147483648", "push.l 2147483648\npop.v.l v"},
        {"-2147483649", "push.l -2147483649\npop.v.l v"},
        {"0.5", "push.d 0.5\npop.v.d v"},
        {"-0.5", "push.d -0.5\npop.v.d v"},
        {"10000000000000000000", "push.d 10000000000000000000\npop.v.d v"}, // beyond int64
        {"'text'", "push.s \"text\"\npop.v.s v"},
    };
    for (const Case& c : cases)
        ExpectCode(std::string("v = ") + c.constant, c.assembly);

    // The literal words of the thresholds.
    EXPECT_EQ(Words("v = 32767")[0], 0xC00F7FFFu);
    EXPECT_EQ(Words("v = 32768"),
              (std::vector<uint32_t>{0xC0020000, 32768, 0x4125FFFA, VariableOperand("v", UNNAMED_FIXED)}));
    std::vector<uint32_t> wide = Words("v = 2147483648");
    EXPECT_EQ(std::vector<uint32_t>(wide.begin(), wide.begin() + 3),
              (std::vector<uint32_t>{0xC0030000, 0x80000000, 0}));
    std::vector<uint32_t> half = Words("v = 0.5");
    EXPECT_EQ(std::vector<uint32_t>(half.begin(), half.begin() + 3),
              (std::vector<uint32_t>{0xC0000000, 0, 0x3FE00000}));
}

TEST_F(GeneratorTest, TwoIndicesMakeOneAsRowTimes32000PlusColumn)
{
    EXPECT_EQ(Words("a[i, j]", true),
              (std::vector<uint32_t>{0xC00FFFFA, 0xC0050000 | 0xFFFA, VariableOperand("i", UNNAMED_FIXED),
                                     0x03250000, 0xC0020000, 32000, 0x04220000, 0xC005FFFA,
                                     VariableOperand("j", UNNAMED_FIXED), 0x03250000, 0x08220000, 0xC0050000,
                                     VariableOperand("a", 0)}));
    ExpectCode("a[i, j] = 1", R"(
        push.e 1
        push.e -6
        push.v i
        conv.v.i
        push.i 32000
        mul.i.i
        push.v j
        conv.v.i
        add.i.i
        pop.v.i stack.a[]
    )");
    ExpectCode("a[2] = s", "push.v s\npush.e -6\npush.e 2\npop.v.v stack.a[]");
    ExpectCode("other.a[k + 1] = 0", R"(
        push.e 0
        push.e -2
        push.v k
        push.e 1
        add.i.v
        conv.v.i
        pop.v.i stack.a[]
    )");
}

TEST_F(GeneratorTest, NamedOwnersGoInTheWordOrOnTheStack)
{
    ExpectCode("self.v = 1", "push.e 1\npop.v.i self.v");
    ExpectCode("global.v = other.w", "push.v other.w\npop.v.v global.v");
    ExpectCode("var v; v = 1", "push.e 1\npop.v.i local.v");
    ExpectCode("(100005).v = 1", "push.e 1\npop.v.i 100005.v");
    ExpectCode("(32767).v = 1", "push.e 1\npop.v.i 32767.v");
    ExpectCode("p.v = 1", "push.e 1\npush.v p\nconv.v.i\npop.v.i stack.v");
    ExpectCode("w = (p + 1).v", "push.v p\npush.e 1\nadd.i.v\nconv.v.i\npush.v stack.v\npop.v.v w");

    // The word's 16 bits are read back signed, plus 100000 for an instance id: the largest id
    // the word holds is 132767.
    std::vector<uint32_t> largest = Words("(132767).v = 1");
    EXPECT_EQ(largest[1], 0x41257FFFu);
    EXPECT_EQ(largest[2], VariableOperand("v", UNNAMED_FIXED | VM_VAR_INSTANCE_OFFSET));

    // Owners the word cannot hold go on the stack rather than name another target.
    ExpectCode("(132768).v = 1", "push.e 1\npush.i 132768\npop.v.i stack.v");
    ExpectCode("(165535).v = 1", "push.e 1\npush.i 165535\npop.v.i stack.v");
    ExpectCode("(32768).v = 1", "push.e 1\npush.i 32768\npop.v.i stack.v");
    ExpectCode("(-40000).v = 1", "push.e 1\npush.i -40000\npop.v.i stack.v");
    ExpectCode("w = (200000).v", "push.i 200000\npush.v stack.v\npop.v.v w");
}

TEST_F(GeneratorTest, CompoundAssignmentReadsThenStoresWithTheTargetGeneratedTwice)
{
    ExpectCode("a[i] += 2", R"(
        push.e -6
        push.v i
        conv.v.i
        push.v stack.a[]
        push.e 2
        add.i.v
        push.e -6
        push.v i
        conv.v.i
        pop.v.v stack.a[]
    )");
    // A bool value becomes an int before the operation.
    ExpectCode("v += (p < q)", "push.v v\npush.v p\npush.v q\nslt.v.v\nconv.b.i\nadd.i.v\npop.v.v v");
    ExpectCode("v -= 1.5", "push.v v\npush.d 1.5\nsub.d.v\npop.v.v v");
    ExpectCode("v *= p", "push.v v\npush.v p\nmul.v.v\npop.v.v v");
    ExpectCode("v /= 2", "push.v v\npush.e 2\ndiv.i.v\npop.v.v v");
    // The bitwise ones take ints.
    ExpectCode("v |= 2.5", "push.v v\npush.d 2.5\nconv.d.i\nor.i.v\npop.v.v v");
    ExpectCode("v &= p", "push.v v\npush.v p\nconv.v.i\nand.i.v\npop.v.v v");
    ExpectCode("v ^= 6", "push.v v\npush.e 6\nxor.i.v\npop.v.v v");
    // An int64 is widened: the interpreter subtracts or ors none from a variable.
    ExpectCode("v -= 3000000000", "push.v v\npush.l 3000000000\nconv.l.d\nsub.d.v\npop.v.v v");
    ExpectCode("v |= 3000000000", "push.v v\npush.l 3000000000\nconv.l.d\nor.d.v\npop.v.v v");
}

TEST_F(GeneratorTest, BinaryOperatorsConvertTheirOperandsByKind)
{
    struct Case {
        const char* expression;
        const char* assembly;
    } cases[] = {
        {"p + 1.5", "push.v p\npush.d 1.5\nadd.d.v"},
        {"(p < q) + 1", "push.v p\npush.v q\nslt.v.v\nconv.b.i\npush.e 1\nadd.i.i\nconv.i.v"},
        {"1.5 * (p < q)", "push.d 1.5\npush.v p\npush.v q\nslt.v.v\nconv.b.i\nmul.i.d\nconv.d.v"},
        {"p div q", "push.v p\npush.v q\nrem.v.v"},
        // Two ints divide as reals.
        {"(p & 7) / 2", "push.v p\nconv.v.i\npush.e 7\nand.i.i\npush.e 2\nconv.i.d\ndiv.d.i\nconv.d.v"},
        {"(p < q) / (p > q)", "push.v p\npush.v q\nslt.v.v\nconv.b.i\npush.v p\npush.v q\nsgt.v.v\nconv.b.i\n"
                              "conv.i.d\ndiv.d.i\nconv.d.v"},
        {"(p & 7) * 2", "push.v p\nconv.v.i\npush.e 7\nand.i.i\npush.e 2\nmul.i.i\nconv.i.v"},
        {"p mod 2", "push.v p\npush.e 2\nmod.i.v"},
        {"p && q", "push.v p\nconv.v.b\npush.v q\nconv.v.b\nand.b.b\nconv.b.v"},
        {"p || (q > 1)", "push.v p\nconv.v.b\npush.v q\npush.e 1\nsgt.i.v\nor.b.b\nconv.b.v"},
        {"(p >= q) ^^ 1", "push.v p\npush.v q\nsge.v.v\npush.e 1\nconv.i.b\nxor.b.b\nconv.b.v"},
        {"p & 3", "push.v p\nconv.v.i\npush.e 3\nand.i.i\nconv.i.v"},
        {"p | 2.5", "push.v p\nconv.v.i\npush.d 2.5\nconv.d.i\nor.i.i\nconv.i.v"},
        {"p ^ (q == 1)", "push.v p\nconv.v.i\npush.v q\npush.e 1\nseq.i.v\nconv.b.i\nxor.i.i\nconv.i.v"},
        {"p << 2", "push.v p\nconv.v.i\npush.e 2\nshl.i.i\nconv.i.v"},
        {"p >> q", "push.v p\nconv.v.i\npush.v q\nconv.v.i\nshr.i.i\nconv.i.v"},
        {"p = q", "push.v p\npush.v q\nseq.v.v\nconv.b.v"},
        {"p <> 'a'", "push.v p\npush.s \"a\"\nsne.s.v\nconv.b.v"},
        {"p <= 2", "push.v p\npush.e 2\nsle.i.v\nconv.b.v"},
        {"'ab' + p", "push.s \"ab\"\npush.v p\nadd.v.s"},
        {"p * 3000000000", "push.v p\npush.l 3000000000\nconv.l.d\nmul.d.v"},
        {"3000000000 < p", "push.l 3000000000\nconv.l.d\npush.v p\nslt.v.d\nconv.b.v"},
        // Both sides always run: && and || do not skip their right operand.
        {"p || test_any()", "push.v p\nconv.v.b\ncall.i test_any 0\nconv.v.b\nor.b.b\nconv.b.v"},
    };
    for (const Case& c : cases)
        ExpectCode(c.expression, c.assembly, true);
}

TEST_F(GeneratorTest, UnaryOperators)
{
    ExpectCode("!p", "push.v p\nconv.v.b\nnot.b\nconv.b.v", true);
    ExpectCode("!(p < q)", "push.v p\npush.v q\nslt.v.v\nnot.b\nconv.b.v", true);
    ExpectCode("-p", "push.v p\nneg.v", true);
    // A bool is negated and inverted as an int: -true is -1 and ~true is -2, not true and false.
    ExpectCode("-(p < q)", "push.v p\npush.v q\nslt.v.v\nconv.b.i\nneg.i\nconv.i.v", true);
    ExpectCode("~(p < q)", "push.v p\npush.v q\nslt.v.v\nconv.b.i\nnot.i\nconv.i.v", true);
    ExpectCode("~p", "push.v p\nconv.v.i\nnot.i\nconv.i.v", true);
    ExpectCode("~(p & 1)", "push.v p\nconv.v.i\npush.e 1\nand.i.i\nnot.i\nconv.i.v", true);
    ExpectCode("+p", "push.v p", true);
    ExpectCode("-p * q", "push.v p\nneg.v\npush.v q\nmul.v.v", true);
}

TEST_F(GeneratorTest, CallsPassTheirArgumentsLastFirstAsVariables)
{
    ExpectCode("test_two(p, 1)", "push.e 1\nconv.i.v\npush.v p\ncall.i test_two 2\npopz.v");
    ExpectCode("v = test_none()", "call.i test_none 0\npop.v.v v");
    ExpectCode("test_any('a', p < q, 2.5)", R"(
        push.d 2.5
        conv.d.v
        push.v p
        push.v q
        slt.v.v
        conv.b.v
        push.s "a"
        conv.s.v
        call.i test_any 3
        popz.v
    )");
    std::vector<uint32_t> words = Words("test_one(p)");
    EXPECT_EQ(words[2], 0xDA020001u);
    EXPECT_EQ(static_cast<int32_t>(words[3]), compiler_test::FunctionId("test_one"));

    compiler_test::Resources(compiler_test::RES_SCRIPT)["gen_script"] = 7;
    std::vector<uint32_t> script = Words("gen_script(1, 2)");
    EXPECT_EQ(script[4], 0xDA020002u);
    EXPECT_EQ(script[5], 100007u);
}

TEST_F(GeneratorTest, IfWithAndWithoutElse)
{
    ExpectCode("if p v = 1 else v = 2", R"(
        push.v p
        conv.v.b
        bf else
        push.e 1
        pop.v.i v
        b end
    else:
        push.e 2
        pop.v.i v
    end:
    )");
    ExpectCode("if (p < 3) { v = 1 }", R"(
        push.v p
        push.e 3
        slt.i.v
        bf end
        push.e 1
        pop.v.i v
    end:
    )");
}

TEST_F(GeneratorTest, LoopsPlaceTheirBreakAndContinueTargets)
{
    ExpectCode("while p { if q break; if r continue; v += 1 }", R"(
    repeat:
        push.v p
        conv.v.b
        bf end
        push.v q
        conv.v.b
        bf no_break
        b end
    no_break:
        push.v r
        conv.v.b
        bf no_continue
        b repeat
    no_continue:
        push.v v
        push.e 1
        add.i.v
        pop.v.v v
        b repeat
    end:
    )");
    // continue in do ... until tests the condition.
    ExpectCode("do { if q continue; v = 1 } until p", R"(
    start:
        push.v q
        conv.v.b
        bf body
        b test
    body:
        push.e 1
        pop.v.i v
    test:
        push.v p
        conv.v.b
        bf start
    )");
    // continue in for runs the step.
    ExpectCode("for (i = 0; i < 3; i += 1) { if q continue; if r break }", R"(
        push.e 0
        pop.v.i i
    start:
        push.v i
        push.e 3
        slt.i.v
        bf end
        push.v q
        conv.v.b
        bf no_continue
        b step
    no_continue:
        push.v r
        conv.v.b
        bf step
        b end
    step:
        push.v i
        push.e 1
        add.i.v
        pop.v.v i
        b start
    end:
    )");
}

TEST_F(GeneratorTest, RepeatKeepsItsCounterOnTheStack)
{
    ExpectCode("repeat (p) { if q continue; if r break; v += 1 }", R"(
        push.v p
        conv.v.i
        dup.i
        push.i 0
        sle.i.i
        bt end
    start:
        push.v q
        conv.v.b
        bf no_continue
        b count
    no_continue:
        push.v r
        conv.v.b
        bf body
        b end
    body:
        push.v v
        push.e 1
        add.i.v
        pop.v.v v
    count:
        push.i 1
        sub.i.i
        dup.i
        conv.i.b
        bt start
    end:
        popz.i
    )");
}

TEST_F(GeneratorTest, WithEndsAtItsPopenvOrLeavesThroughTheBreakForm)
{
    ExpectCode("with (p) v = 1", R"(
        push.v p
        conv.v.i
        pushenv next
    start:
        push.e 1
        pop.v.i v
    next:
        popenv start
    )");
    ExpectCode("with (all) { if q break; if r continue; v = 1 }", R"(
        push.e -3
        pushenv next
    start:
        push.v q
        conv.v.b
        bf no_break
        b leave
    no_break:
        push.v r
        conv.v.b
        bf body
        b next
    body:
        push.e 1
        pop.v.i v
    next:
        popenv start
        b done
    leave:
        popenv break
    done:
    )");
    std::vector<uint32_t> words = Words("with (all) break");
    EXPECT_EQ(words.back(), 0xBCF00000u);
}

TEST_F(GeneratorTest, SwitchTestsCasesUntilADefaultAndKeepsItsValueToTheEnd)
{
    ExpectCode("switch (p) { case 1: v = 1; break; default: v = 0; case 2: case q: v = 2 }", R"(
        push.v p
        dup.v
        push.e 1
        seq.i.v
        bt one
        b other
        dup.v
        push.e 2
        seq.i.v
        bt two
        dup.v
        push.v q
        seq.v.v
        bt q_case
        b end
    one:
        push.e 1
        pop.v.i v
        b end
    other:
        push.e 0
        pop.v.i v
    two:
    q_case:
        push.e 2
        pop.v.i v
    end:
        popz.v
    )");
    // Clauses that no statement follows lead to the end; the value's own type is kept.
    ExpectCode("switch (p < 1) { case 0: v = 1; case 1: }", R"(
        push.v p
        push.e 1
        slt.i.v
        dup.b
        push.e 0
        seq.i.b
        bt zero
        dup.b
        push.e 1
        seq.i.b
        bt end
        b end
    zero:
        push.e 1
        pop.v.i v
    end:
        popz.b
    )");
}

TEST_F(GeneratorTest, ContinueInsideASwitchDropsTheSwitchValuesFirst)
{
    ExpectCode("while p { switch (q) { case 1: continue; } v = 1 }", R"(
    repeat:
        push.v p
        conv.v.b
        bf end
        push.v q
        dup.v
        push.e 1
        seq.i.v
        bt one
        b switch_end
    one:
        popz.v
        b repeat
    switch_end:
        popz.v
        push.e 1
        pop.v.i v
        b repeat
    end:
    )");
    // Two switches deep, inside repeat: both values go, the counter stays.
    std::unique_ptr<VMGeneratedCode> nested =
        Generate("repeat (3) switch (p) { default: switch (p < q) { default: continue } }");
    std::string listing = Listing(*nested);
    EXPECT_NE(listing.find("popz.b"), std::string::npos) << listing;
    // A with block between the switch and the continue has a target of its own: nothing is dropped.
    ExpectCode("while p switch (q) { default: with (r) continue }", R"(
    repeat:
        push.v p
        conv.v.b
        bf end
        push.v q
        b other
        b switch_end
    other:
        push.v r
        conv.v.i
        pushenv next
    start:
        b next
    next:
        popenv start
    switch_end:
        popz.v
        b repeat
    end:
    )");
    // A switch inside a with: continue leaves the switch for the next instance.
    Generate("with (p) switch (q) { case 1: continue; default: v = 1 }");
}

TEST_F(GeneratorTest, StatementsThatWriteLittleOrNothing)
{
    ExpectCode("break; continue; var a, b; v = 1", "push.e 1\npop.v.i v");
    EXPECT_EQ(Words("exit"), std::vector<uint32_t>{0x9E020000});
    EXPECT_EQ(Words("return p"),
              (std::vector<uint32_t>{0xC005FFFA, VariableOperand("p", UNNAMED_FIXED), 0x9D050000}));
    ExpectCode("return 1 + 1", "push.e 2\nconv.i.v\nret.v");
    ExpectCode("{ ; { } }", "");
    ExpectCode("switch (p) { } ", "push.v p\nb end\nend:\npopz.v");
}

TEST_F(GeneratorTest, GlobalvarMarksItsNamesAtCompileTime)
{
    int32_t first = Code_Variable_Find("gen_declared_first");
    int32_t second = Code_Variable_Find("gen_declared_second");
    ASSERT_FALSE(Variable_IsGlobalVar(first));
    EXPECT_TRUE(Words("globalvar gen_declared_first, gen_declared_second;").empty());
    EXPECT_TRUE(Variable_IsGlobalVar(first));
    EXPECT_TRUE(Variable_IsGlobalVar(second));
    // Uses keep the unnamed instance; the interpreter resolves it through the flag.
    ExpectCode("gen_declared_first = 1", "push.e 1\npop.v.i gen_declared_first");
}

TEST_F(GeneratorTest, ExpressionsLeaveOneVariable)
{
    ExpectCode("p", "push.v p", true);
    ExpectCode("p < 1", "push.v p\npush.e 1\nslt.i.v\nconv.b.v", true);
    ExpectCode("test_one(2)", "push.e 2\nconv.i.v\ncall.i test_one 1", true);
    // Constant expressions never reach the generator through CCode, but a constant root works.
    ASSERT_TRUE(Compile("'folded' + 'text'", true));
    ASSERT_EQ(Root().kind, NODE_CONSTANT);
    std::unique_ptr<VMGeneratedCode> code = GenerateRoot(true, "constant");
    EXPECT_EQ(WordsOf(*code), (std::vector<uint32_t>{0xC0060000, 0, 0x03560000})); // push.s, conv.s.v
    EXPECT_STREQ(code->m_pStrings->Get(0), "foldedtext");
}

TEST_F(GeneratorTest, StringsAreOwnedByTheCodeOnceEach)
{
    std::unique_ptr<VMGeneratedCode> code = Generate("s = 'hello'; t = 'hello'; u = ''; w = 'other'");
    ASSERT_EQ(code->StringCount(), 3u);
    EXPECT_STREQ(code->m_pStrings->Get(0), "hello");
    EXPECT_STREQ(code->m_pStrings->Get(1), "");
    EXPECT_STREQ(code->m_pStrings->Get(2), "other");
    std::vector<uint32_t> words = WordsOf(*code);
    EXPECT_EQ(words[1], 0u);
    EXPECT_EQ(words[5], 0u);
    EXPECT_EQ(words[9], 1u);

    // The texts outlive the tree they came from.
    std::string text = "s = 'kept'";
    CCode object(text.c_str(), false);
    ASSERT_TRUE(object.Compile("strings"));
    Node_Free(&object.m_Tree);
    ASSERT_NE(object.m_pCode, nullptr);
    EXPECT_STREQ(object.m_pCode->m_pStrings->Get(0), "kept");
}

TEST_F(GeneratorTest, CompileHandsTheWordsToTheCodeObject)
{
    std::string program = "v = 1";
    CCode code(program.c_str(), false);
    ASSERT_TRUE(code.Compile("program"));
    ASSERT_NE(code.m_pCode, nullptr);
    EXPECT_EQ(code.m_pCode->m_Size, 12);
    EXPECT_TRUE(code.m_pCode->m_OwnsWords);
    ASSERT_NE(code.m_pDebugInfo, nullptr);
    EXPECT_EQ(code.m_pDebugInfo->m_Size, 0);
    EXPECT_STREQ(code.m_pTextCopy, "v = 1");

    std::string expression = "p + 1";
    CCode value(expression.c_str(), true);
    ASSERT_TRUE(value.Compile("expression"));
    ASSERT_NE(value.m_pCode, nullptr);
    EXPECT_EQ(value.m_pCode->m_Size, 16);

    // Without the bytecode interpreter nothing is generated.
    g_UseBytecode = 0;
    CCode walked(program.c_str(), false);
    bool compiled = walked.Compile("walked");
    g_UseBytecode = 1;
    ASSERT_TRUE(compiled);
    EXPECT_EQ(walked.m_pCode, nullptr);

    // Code that generates nothing keeps no buffer.
    std::string nothing = "var a; globalvar gen_nothing;";
    CCode empty(nothing.c_str(), false);
    ASSERT_TRUE(empty.Compile("empty"));
    EXPECT_EQ(empty.m_pCode, nullptr);
}

TEST_F(GeneratorTest, GeneratingGivesBackEveryBlock)
{
    const char* sources[] = {
        "s = 'a' + t; repeat (3) switch (s) { case 'x': continue; default: u[1, 2] = 'y' } with (p) break",
        "return 'text' + p",
    };
    for (const char* source : sources) {
        for (int run = 0; run < 2; ++run) {
            uint32_t before = MemoryManager::BlockCount();
            {
                CCode code(source, false);
                EXPECT_TRUE(code.Compile("blocks"));
            }
            if (run == 1) {
                EXPECT_EQ(before, MemoryManager::BlockCount()) << source;
            }
        }
    }
}

TEST_F(GeneratorTest, DeepCodeWithinTheCompilerLimitsGenerates)
{
    auto repeat = [](const std::string& piece, int count) {
        std::string out;
        for (int i = 0; i < count; ++i)
            out += piece;
        return out;
    };
    Generate("v = " + repeat("(", 900) + "p" + repeat(")", 900));
    Generate(repeat("if p v = 1 else ", 900) + "v = 2");
    Generate("v = " + repeat("p + ", 1500) + "p");
    Generate(repeat("while p ", 900) + "break");
    Generate(repeat("switch (p) { default: ", 300) + "v = 1" + repeat("}", 300));

    // Nested calls keep more values pending than the type stack's first 1024 entries.
    // Arguments are generated last first, so the nested call comes first to leave 14 pending.
    std::string nested = "v = " + repeat("test_any(", 100) + "p" +
                         repeat(", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14)", 100);
    std::unique_ptr<VMGeneratedCode> code = Generate(nested);
    VMStackTrace trace;
    ASSERT_TRUE(VM_TraceStack(code->m_pWords, code->m_Size, &trace));
    EXPECT_GT(trace.greatestDepth, 1024);
}

TEST(GeneratorStackWalk, FindsStacksThatDisagree)
{
    // A continue that leaves the switch value behind: the loop is entered with two stacks.
    const char* continueInSwitch = R"(
    repeat:
        push.v p
        conv.v.b
        bf end
        push.v q
        b repeat
    end:
    )";
    VMAssembly unbalanced;
    ASSERT_TRUE(VM_Assemble(continueInSwitch, unbalanced)) << unbalanced.error;
    VMStackTrace trace;
    EXPECT_FALSE(VM_TraceStack(unbalanced.Bytes(), unbalanced.Size(), &trace));
    EXPECT_EQ(trace.problem, "at 0x00000000: reached with [] and with [v]");

    VMAssembly left;
    ASSERT_TRUE(VM_Assemble("push.e 1\npush.v p", left)) << left.error;
    ASSERT_TRUE(VM_TraceStack(left.Bytes(), left.Size(), &trace));
    ASSERT_EQ(trace.endStacks.size(), 1u);
    EXPECT_EQ(VM_StackText(trace.endStacks[0]), "iv");

    VMAssembly wrong;
    ASSERT_TRUE(VM_Assemble("push.e 1\npopz.v", wrong)) << wrong.error;
    EXPECT_FALSE(VM_TraceStack(wrong.Bytes(), wrong.Size(), &trace));
    EXPECT_EQ(trace.problem, "at 0x00000004: popz: expected v on top, found i");

    // A pair the interpreter refuses is noted; the walk goes on with the wider type.
    VMAssembly refused;
    ASSERT_TRUE(VM_Assemble("push.l 1\npush.e 2\nsub.i.l\npopz.l", refused)) << refused.error;
    EXPECT_TRUE(VM_TraceStack(refused.Bytes(), refused.Size(), &trace)) << trace.problem;
    EXPECT_EQ(trace.refusedPairs, std::vector<std::string>{"sub.i.l at 0x00000010"});

    VMAssembly empty;
    ASSERT_TRUE(VM_Assemble("popz.i", empty)) << empty.error;
    EXPECT_FALSE(VM_TraceStack(empty.Bytes(), empty.Size(), &trace));
    EXPECT_EQ(trace.problem, "at 0x00000000: popz: the stack is empty");

    VMAssembly outside;
    ASSERT_TRUE(VM_Assemble("b 5", outside)) << outside.error;
    EXPECT_FALSE(VM_TraceStack(outside.Bytes(), outside.Size(), &trace));
    EXPECT_EQ(trace.problem, "at 0x00000000: branch leaves the code");
}

} // namespace

TEST_F(GeneratorTest, CodeWhoseBranchCannotReachFailsToCompile)
{
    // Five words a statement (a real pushed, a variable popped): the branch over the block needs
    // more than 2^23 words.
    std::string source = "if (a) {";
    for (int32_t i = 0; i < 1700000; ++i) source += "a=1.5;";
    source += "}";
    uint8_t saved = g_UseBytecode;
    g_UseBytecode = 1;
    CCode tooLong(source.c_str(), false);
    g_CodeErrorFlag = false;
    EXPECT_FALSE(tooLong.Compile("long"));
    EXPECT_NE(g_CodeErrorText.find("Code is too long."), std::string::npos) << g_CodeErrorText.substr(0, 200);
    CCode fits("if (a) { a = b; }", false);
    g_CodeErrorFlag = false;
    EXPECT_TRUE(fits.Compile("short"));
    g_UseBytecode = saved;
}
