// Built-in variables with typed accessors, instance variables and arrays at computed indices, read
// and written by programs that every code form runs: the translated form (its typed built-in
// stores and reads, its register steps over elements) must answer as the word loop does, falling
// back to the words for texts, read-only variables and indices outside the array.
#include <gtest/gtest.h>

#include <string>

#include "Code_FieldRows.h"
#include "Code_InterpreterSupport.h"

using namespace vmtest;

namespace {

class InstanceAccess : public FormRunTest {
protected:
    void SetUp() override
    {
        FormRunTest::SetUp();
        RegisterFieldRows("vmtest_bx", "vmtest_bro");
    }
    void TearDown() override
    {
        g_Fields.clear();
        FormRunTest::TearDown();
    }
};

TEST_F(InstanceAccess, BuiltInAndInstanceVariablesAndComputedIndicesInEveryForm)
{
    const struct Case {
        const char* source;
        std::string bytecode; // the word loop and the translated form alike
        std::string tree;     // "=": as the bytecode
    } cases[] = {
        // Built-in variables stored and read through their typed accessors, alone and in loops.
        {"vmtest_bx = 3; vmtest_bx += 2.5; return vmtest_bx;", "5.5", "="},
        {"vx = 4; vmtest_bx = 0; repeat (12) { if (vmtest_bx < 0 || vmtest_bx > 20) vx = -vx; vmtest_bx += vx; }"
         " return vmtest_bx * 100 + vx;",
         "-4", "="},
        {"var i; vmtest_bx = 2; for (i = 0; i < 5; i += 1) t = vmtest_bx * 3 + i; return t;", "10", "="},
        {"vmtest_bx = 7; self.vmtest_bx -= 1; return other.vmtest_bx + vmtest_bro;", "12", "="},
        {"var i; vmtest_bx = 1; for (i = 0; i < 4; i += 1) vmtest_bx = -vmtest_bx; return !vmtest_bx;", "0", "="},
        {"vmtest_bx = 5; return (vmtest_bx > 1 && vmtest_bx < 9) + (vmtest_bx < 1 ^^ vmtest_bx > 9) * 10"
         " + (vmtest_bx < 1 || vmtest_bx > 4) * 100;",
         "101", "="},
        {"vmtest_bx = 5; vmtest_bx = vmtest_bx * 2 + 1; t = vmtest_bx - 1; return t;", "10", "="},
        // What the typed paths leave to the words: a text, a read-only variable.
        {"vx = \"a\"; vmtest_bx = 1; vmtest_bx += vx;", "error: DoAdd :: Execution Error", "error: "},
        {"vmtest_bx = 2; vmtest_bro = vmtest_bx * 3 + 1;", "error: Pop :: Execution Error - Variable set problem vmtest_bro",
         "error: "},
        {"vmtest_bx = \"t\";", "error: Pop :: Execution Error - Variable set problem vmtest_bx", "error: "},
        {"vmtest_bro = 2;", "error: Pop :: Execution Error - Variable set problem vmtest_bro", "error: "},
        // Truth values joined by || and && and negated values of instance variables.
        {"a = 2; b = 0; return (a > 1 || b > 1) + (a > 1 && b > 1) * 10 + (a > 1 ^^ b < 1) * 100 - -a;", "3", "="},
        // Arrays at a computed index: filled and summed, a row crossed, a text read, grown, outside.
        {"var a, i, t; a = 0; for (i = 0; i < 50; i += 1) a[i mod 7] = i; t = 0;"
         " for (i = 0; i < 50; i += 1) t += a[i mod 7]; return t;",
         "2303", "="},
        {"var a, i; for (i = 0; i < 40000; i += 1000) a[(i * 7) mod 40000] = i; return a[35000] + a[32000];", "21000",
         "error: "},
        {"var a, i; a[1] = \"z\"; i = 8; return a[i mod 7] + \"q\";", "zq", "="},
        {"b[2] = 5; i = 9; b[i mod 7] += 1; return b[2];", "6", "="},
        {"var a, i, t; a[3] = 1; t = 0; for (i = 0; i < 6; i += 1) { a[i * 2 + 1] = i; t += a[i * 2 + 1]; } return t;", "15",
         "="},
        // Loops whose body is one register sequence go round inside it: a text met on the way, the
        // counter changed by the body, an index that is no whole number, a negative dividend.
        {"var a, i, t; for (i = 0; i < 20; i += 1) a[i] = i; a[13] = \"x\"; t = 0;"
         " for (i = 0; i < 20; i += 1) t = t + a[i mod 20]; return t;",
         "error: DoAdd :: Execution Error", "error: "},
        {"var i, t; t = 0; for (i = 0; i < 100; i += 1) { t = t + i; i = i + 2; } return t * 1000 + i;", "1683102",
         "="},
        {"var a, i, t; for (i = 0; i < 5; i += 1) a[i] = i * 10; t = 0; for (i = 0; i < 4; i += 1) t = t + a[(i + 0.5) mod 5];"
         " return t;",
         "60", "80"}, // the tree executor rounds an index half to even; the words truncate it
        {"var a, i, t; for (i = 0; i < 5; i += 1) a[i] = i; t = 0; for (i = -4; i < 0; i += 1) a[-i mod 5] = i; return a[1] + a[4];",
         "-5", "="},
        {"var a, i; a[0] = 1; i = -3; a[i mod 7] = 1;", "error: Pop :: Execution Error - Variable index out of range a",
         "error: "},
        {"var a, i; a[0] = 1; i = 5; return a[i mod 7];", "error: Push :: Execution Error - Variable Index", "error: "},
    };
    for (const Case& c : cases) {
        for (CodeForm form : {CodeForm::WordLoop, CodeForm::Translated, CodeForm::Tree}) {
            std::string what = std::string(c.source) + " (form " + std::to_string(static_cast<int>(form)) + ")";
            std::string expected = form == CodeForm::Tree && c.tree != "=" ? c.tree : c.bytecode;
            g_Fields.clear();
            ExpectOutcome(Run(c.source, form), expected, what);
        }
    }
}

// A loop going round inside its body's register sequence counts the branches the words take, so
// that the messages are pumped at the same turns.
TEST_F(InstanceAccess, LoopsInRegistersCountTheirBranches)
{
    const std::string source = "var i, s; s = 0; for (i = 0; i < 10000; i += 1) s = s + (i * 3) mod 7; return s;";
    uint32_t counted[2] = {};
    for (CodeForm form : {CodeForm::WordLoop, CodeForm::Translated}) {
        uint32_t before = VM_BranchCount();
        EXPECT_EQ(Run(source, form), "29999");
        counted[form == CodeForm::Translated] = VM_BranchCount() - before;
    }
    EXPECT_EQ(counted[0], counted[1]);
    EXPECT_GT(counted[0], 2u * 4096);
}

TEST_F(InstanceAccess, TheTranslatedFormCallsTheTypedAccessors)
{
    const std::string source = "var i; vmtest_bx = 0; for (i = 0; i < 100; i += 1) vmtest_bx += 2; return vmtest_bx;";
    for (CodeForm form : {CodeForm::WordLoop, CodeForm::Translated}) {
        g_FieldTypedCalls = 0;
        EXPECT_EQ(Run(source, form), "200");
        // A store, a read and a store each round, a read at the end: none through the value-filling
        // getter and setter.
        EXPECT_EQ(g_FieldTypedCalls, 202) << "form " << static_cast<int>(form);
    }
}

} // namespace
