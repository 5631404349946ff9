// Joins of texts and the texts of numbers in every code form: the bytecode grows the left text of a
// join in its own block where the block has room, so chains of joins, joins that outgrow the block,
// missing and empty texts and a variable joined with itself must all give what the tree executor's
// operators give. Loops make the translated form reach its joined sequences.
#include <gtest/gtest.h>

#include <string>

#include "Code_InterpreterSupport.h"
#include "code/Code_Function.h"
#include "function/Function_MathText.h"

using namespace vmtest;

namespace {

class TextJoin : public FormRunTest {
protected:
    void SetUp() override
    {
        FormRunTest::SetUp();
        int32_t id = 0;
        if (!Code_Function_Find("string", &id)) Function_AddRows(MATH_TEXT_ROWS);
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

} // namespace
