// A number times a text repeats the text; a truth value times a text is a pair the bytecode's
// multiplication refuses, whichever loop runs it, while the tree executor repeats the text as its
// operators do for any real. Each program runs through the word loop, the translated form (a loop
// makes it reach the joined and register sequences) and the tree executor.
#include <gtest/gtest.h>

#include <string>

#include "Code_InterpreterSupport.h"

using namespace vmtest;

namespace {

using TextProduct = FormRunTest;

TEST_F(TextProduct, TruthValuesTimesTextsInEveryForm)
{
    const std::string refused = "error: DoMul :: Execution Error";
    const struct Case {
        const char* source;
        std::string bytecode; // the word loop and the translated form alike
        std::string tree;
    } cases[] = {
        {"a = 1; return (a > 0) * \"b\";", refused, "b"},
        {"a = 0; return !!a * \"b\";", refused, ""},
        {"a = 0; return !a * \"b\";", refused, "b"},
        {"a = 2; return (a > 0) * (\"x\" + \"y\");", refused, "xy"},
        {"var i, t; t = \"\"; for (i = 0; i < 9; i += 1) t = (i >= 0) * \"b\"; return t;", refused, "b"},
        // Added to a text the truth value is refused by both executors already.
        {"a = 1; return (a > 0) + \"q\";", "error: DoAdd :: Execution Error", "error: "},
        // A whole number from a bitwise operation repeats the text and is stored as a text.
        {"a = 3; t = (a & 3) * \"ab\"; return t;", "ababab", "ababab"},
        {"var i, t; for (i = 0; i < 9; i += 1) t = (i & 1) * \"ab\"; return t;", "", ""},
        {"a = 2; return a * \"ab\";", "abab", "abab"},
    };
    for (const Case& c : cases) {
        for (CodeForm form : {CodeForm::WordLoop, CodeForm::Translated, CodeForm::Tree}) {
            std::string what = std::string(c.source) + " (form " + std::to_string(static_cast<int>(form)) + ")";
            ExpectOutcome(Run(c.source, form), form == CodeForm::Tree ? c.tree : c.bytecode, what);
        }
    }
}

} // namespace
