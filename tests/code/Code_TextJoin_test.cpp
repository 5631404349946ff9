// Joins of texts and the texts of numbers in every code form: the bytecode grows the left text of a
// join in its own block where the block has room, so chains of joins, joins that outgrow the block,
// missing and empty texts and a variable joined with itself must all give what the tree executor's
// operators give. Loops make the translated form reach its joined sequences.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "../TestSupport_Console.h"
#include "Code_InterpreterSupport.h"
#include "code/Code_Function.h"
#include "code/Code_Translate.h"
#include "function/Function_MathText.h"
#include "variable/Variable_BuiltIn.h"

using namespace vmtest;

namespace {

class TextJoin : public FormRunTest {
protected:
    void SetUp() override
    {
        // The programs' x, n, a, ... are variables of the instance: rows of those names that other
        // tests of the process registered (a read-only x) would take them, so the table starts empty
        // and holds the argument rows alone.
        Variable_BuiltIn_FreeNames();
        FormRunTest::SetUp();
        int32_t id = 0;
        if (!Code_Function_Find("string", &id)) Function_AddRows(MATH_TEXT_ROWS);
    }

    // The TextJoin entries the translation of the source's code makes.
    static int32_t JoinsIn(const char* source)
    {
        g_UseBytecode = 1;
        const bool translate = g_VMTranslate;
        g_VMTranslate = true;
        CCode code(source, false);
        int32_t joins = -1;
        if (code.Compile("form_run"))
            if (VMTranslation* translation = VM_Translation(code.m_pCode))
                joins = static_cast<int32_t>(std::count_if(translation->insns.begin(), translation->insns.end(),
                    [](const VMTranslatedInsn& insn) { return insn.kind == VMKind::TextJoin; }));
        g_VMTranslate = translate;
        return joins;
    }
};

TEST_F(TextJoin, JoinsAndNumberTextsAgreeInEveryForm)
{
    const struct Case {
        const char* source;
        const char* expected;
    } cases[] = {
        {"x = 12; n = -4; y = 3.5; return string(x) + \":\" + string(n) + \":\" + string(y);", "12:-4:3.50"},
        // The left text outgrows its block on the way; the variable it came from keeps its own text.
        {"a = \"abcdefghijklmno\"; b = a + a + \"-\" + a + a; return a + \"|\" + b;",
         "abcdefghijklmno|abcdefghijklmnoabcdefghijklmno-abcdefghijklmnoabcdefghijklmno"},
        {"a = \"\"; b = a + \"x\" + a + a; return string(string_length(b)) + b;", "1x"},
        {"var i, t; t = \"\"; for (i = 0; i < 25; i += 1) t = t + string(i mod 10); return t;",
         "0123456789012345678901234"},
        {"var i, t, s; for (i = 0; i < 30; i += 1) { s = string(i) + \":\" + string(i / 4) + \":\" + string(-i); "
         "t = string_length(s); } return s + \"=\" + string(t);",
         "29:7.25:-29=11"},
        // Number texts: whole numbers, two decimals with both roundings, and the general formatter's.
        {"return string(0.125) + \" \" + string(-0.001) + \" \" + string(2.675) + \" \" + string(9.996);",
         "0.13 -0.00 2.67 10.00"},
        {"return string(-0.0) + \" \" + string(2147483647.25) + \" \" + string(1000000000000000 + 0.5) + \" \" + string(0.00001);",
         "0 2147483647.25 1000000000000000.50 0.00"},
        {"var i, t; t = \"\"; for (i = 0; i < 4; i += 1) t += string(i * 0.335); return t;", "00.340.671.01"},
        // The join's own errors leave the loop as before.
        {"a = \"x\"; return a + 1;", "error: DoAdd"},
        {"a = 1; return a + \"x\";", "error: DoAdd"},
    };
    for (const Case& c : cases) {
        for (CodeForm form : {CodeForm::WordLoop, CodeForm::Translated, CodeForm::Tree}) {
            std::string what = std::string(c.source) + " (form " + std::to_string(static_cast<int>(form)) + ")";
            std::string expected = c.expected;
            // The tree executor words the refused pair as its operator does.
            if (form == CodeForm::Tree && expected == "error: DoAdd") expected = "error: ";
            ExpectOutcome(Run(c.source, form), expected, what);
        }
    }
}

// Whole statements of joined texts, which the translated form writes at once (the joins it makes
// counted): stored into self's, a local and a global variable, into the variable read as a piece, a
// first store that makes its variable, a text left for a return or a call; string() of a text and
// of an array; what it leaves to the words: a piece holding no text, a variable not set (read as 0), a text too
// long. And the measures of a text in a variable (string_length), of a real handed to the routine. Every form gives the same, traced and not, and the translated form makes the calls the word
// loop makes when calls are traced.
TEST_F(TextJoin, WholeJoinsAgreeInEveryFormTracedAndNot)
{
    const struct Case {
        const char* source;
        const char* expected;
        int32_t joins; // TextJoin entries of the translation
    } cases[] = {
        {"a = 12; b = -4.5; s = string(a) + \":\" + string(b) + \":\"; return s;", "12:-4.50:", 1},
        // The stored text shrinks into its block, then outgrows it.
        {"var i; s = \"\"; for (i = 0; i < 3; i += 1) { v = 1000 - i * 450; s = \"<\" + string(v) + \">\"; } return s;", "<100>", 1},
        {"var i; s = \"go\"; for (i = 98; i < 102; i += 1) s = string(i) + \"/\" + s; return s;", "101/100/99/98/go", 1},
        {"var t; t = \"x\"; k = 7; t = t + string(k) + t; return t;", "x7x", 1},
        {"global.g = \"q\"; k = 2; global.g = global.g + \"-\" + string(k); return global.g;", "q-2", 1},
        {"k = 1; fresh = \"a\" + string(k); return fresh + \"\";", "a1", 2},
        // string() of what the words compute first is left to them.
        {"k = 1; return \"a\" + string(k + 1);", "a2", 0},
        {"a = 5; return \"n=\" + string(a);", "n=5", 1},
        {"a = 3; return string_length(\"abc\" + string(a));", "4", 1},
        {"k = 10000000000.5; j = -0.25; return string(k) + \":\" + string(j);", "10000000000.50:-0.25", 1},
        {"t = \"in\"; e = \"\"; return string(t) + e + \"!\" + string(e);", "in!", 1},
        {"arr[1] = 2; return \"a\" + string(arr);", "a{ 0,2 }", 1},
        {"a = 1; return string(a) + a;", "error: DoAdd", 1},
        {"return \"a\" + string(nope);", "a0", 1},
        // A text's measures taken where it lies; anything else handed to the routine.
        {"var i; s = \"h\xc3\xa9llo\"; n = 1; for (i = 0; i < 2; i += 1) n += string_length(s) * 10 + string_byte_length(s); "
         "return n;", "113", 0},
        {"var i; s = 5; n = 1; for (i = 0; i < 2; i += 1) n += string_length(s) + 1; return n;", "3", 0},
        {"t = string_repeat(\"x\", 40000000); t = t + \":\" + t; return 0;", "error: String result too long", 1},
    };
    testsupport::ConsoleCapture capture;
    testsupport::RecordingConsole& console = capture.console;
    const uint8_t tracing = g_TraceFlag;
    for (const Case& c : cases) {
        EXPECT_EQ(JoinsIn(c.source), c.joins) << c.source;
        for (bool traced : {false, true}) {
            std::string calls[2];
            for (CodeForm form : {CodeForm::WordLoop, CodeForm::Translated, CodeForm::Tree}) {
                std::string what = std::string(c.source) + (traced ? " traced" : "") + " (form " +
                                   std::to_string(static_cast<int>(form)) + ")";
                std::string expected = c.expected;
                if (form == CodeForm::Tree && expected == "error: DoAdd") expected = "error: ";
                g_TraceFlag = traced ? 1 : 0;
                console.text.clear();
                std::string got = Run(c.source, form);
                g_TraceFlag = tracing;
                // The tree executor words its errors as its operators do.
                if (form == CodeForm::Tree && expected.rfind("error: ", 0) == 0) expected = "error: ";
                ExpectOutcome(got, expected, what);
                if (form != CodeForm::Tree) calls[form == CodeForm::Translated] = console.text;
            }
            EXPECT_EQ(calls[1], calls[0]) << c.source << (traced ? " traced" : "");
            if (traced && std::string(c.expected).rfind("error: ", 0) != 0) {
                EXPECT_NE(calls[0].find("func call = string"), std::string::npos) << c.source;
            }
        }
    }
}

} // namespace
