// A number times a text repeats the text; a truth value times a text is a pair the bytecode's
// multiplication refuses, whichever loop runs it, while the tree executor repeats the text as its
// operators do for any real. Each program runs through the word loop, the translated form (a loop
// makes it reach the joined and register sequences) and the tree executor.
#include <gtest/gtest.h>

#include <string>

#include "Code_InterpreterSupport.h"
#include "code/Code_Execute.h"
#include "code/Code_Translate.h"

using namespace vmtest;

namespace {

enum class Form { WordLoop, Translated, Tree };

class TextProduct : public SourceRunTest {
protected:
    void SetUp() override
    {
        SourceRunTest::SetUp();
        m_SavedQuiet = Debug_EvaluatingExpression;
        m_SavedTranslate = g_VMTranslate;
        Debug_EvaluatingExpression = 1; // errors stop the run and are recorded
    }
    void TearDown() override
    {
        Debug_EvaluatingExpression = m_SavedQuiet;
        g_VMTranslate = m_SavedTranslate;
        g_VMEvaluationFailed = 0;
        SourceRunTest::TearDown();
    }

    // The text the program returns, or "error: " and the start of the error's message.
    std::string Run(const std::string& source, Form form)
    {
        g_UseBytecode = form == Form::Tree ? 0 : 1;
        g_VMTranslate = form == Form::Translated;
        g_VMEvaluationFailed = 0;
        g_VMEvaluationError.clear();
        g_CodeErrorText.clear();
        CCode code(source.c_str(), false);
        if (!code.Compile("text_product")) return "compile: " + g_CodeErrorText;
        FakeInstance* self = m_World.Add(100001, 1);
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        bool done = Code_Execute(AsInstance(self), AsInstance(self), &code, &result);
        std::string got;
        if (form != Form::Tree && g_VMEvaluationFailed != 0) {
            got = "error: " + g_VMEvaluationError;
        } else if (!done) {
            got = "error: " + g_CodeErrorText;
        } else if (Value_GetKind(&result) == VALUE_STRING) {
            got = TextOf(result);
        } else {
            got = "real " + std::to_string(result.real);
        }
        Value_Free(&result);
        m_World.Clear();
        return got;
    }

private:
    uint8_t m_SavedQuiet = 0;
    bool m_SavedTranslate = true;
};

TEST_F(TextProduct, TruthValuesTimesTextsInEveryForm)
{
    const std::string refused = "error: DoMul :: Execution Error";
    const struct Case {
        const char* source;
        std::string bytecode; // the word loop and the translated form alike
        std::string tree;     // found inside the tree executor's report when it is an error
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
        for (Form form : {Form::WordLoop, Form::Translated, Form::Tree}) {
            std::string got = Run(c.source, form);
            const std::string& expected = form == Form::Tree ? c.tree : c.bytecode;
            if (expected.rfind("error: ", 0) == 0) {
                EXPECT_EQ(got.rfind(expected, 0), 0u) << c.source << " (form " << static_cast<int>(form) << ") gave " << got;
            } else {
                EXPECT_EQ(got, expected) << c.source << " (form " << static_cast<int>(form) << ")";
            }
        }
    }
}

} // namespace
