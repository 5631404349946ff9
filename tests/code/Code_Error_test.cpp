// Error reports: compile errors placed in their source, the error form and its answers, action
// reports, and the three ways an error ends the game (each in a
// subprocess: a fatal error asks the main loop for a normal end, an interpreter error ends the
// process with -1, a load error with 1).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "Code_TestLog.h"
#include "code/Code_Emitter.h"
#include "code/Code_Error.h"
#include "code/Code_ErrorSources.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_Options.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"

namespace {

const std::string HASHES(92, '#');

void ResetErrorState()
{
    g_CodeErrorFlag = false;
    g_CodeErrorText.clear();
    g_ErrorLast.clear();
    g_ErrorOccurred = 0;
    g_ErrorQuitting = false;
    g_ErrorForm = ErrorFormRecord();
    g_RunRequest = RUN_REQUEST_NONE;
    g_GameOptions.showErrors = true;
    g_GameOptions.abortOnError = false;
    Debug_EvaluatingExpression = 0;
    g_CurrentEventObject = g_CurrentEventType = g_CurrentEventNumber = g_CurrentActionNumber = 0;
    g_CurrentShaderName = nullptr;
    g_CurrentShaderIsFragment = 0;
}

// A file in the build folder named after the running test.
std::string TestFile(const char* kind)
{
    return std::string(KELVARO_BINARY_DIR) + "/code_error_" + kind + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + std::to_string(getpid()) + ".txt";
}

class ErrorReporting : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("KELVARO_HEADLESS", "1", 1);
        unsetenv("KELVARO_ANSWERS");
        TestSwitches_Reload();
        ResetErrorState();
    }
    void TearDown() override
    {
        ResetErrorState();
        if (!m_Answers.empty()) std::remove(m_Answers.c_str());
        unsetenv("KELVARO_ANSWERS");
        TestSwitches_Reload();
    }
    // The player's answers to the error form, one per line.
    void Answer(const std::string& lines)
    {
        ResetErrorState();
        m_Answers = TestFile("answers");
        std::ofstream(m_Answers) << lines;
        setenv("KELVARO_ANSWERS", m_Answers.c_str(), 1);
        TestSwitches_Reload();
    }
    std::string m_Answers;
};

TEST_F(ErrorReporting, CompileErrorsNameLineAndPosition)
{
    const struct {
        const char* text;
        bool expression;
        int32_t position;
        const char* message;
        const char* report;
    } cases[] = {
        {"a = 1;\nb = = 2;", false, 7, "unexpected symbol", "Error in code at line 2:\n   b = = 2;\n\nat position 1: unexpected symbol"},
        // Columns skip carriage returns; a line shows one of its own by its byte, and none of its end.
        {"a;\r\nbc\rde;", false, 8, "here", "Error in code at line 2:\n   bc[0D]de;\n\nat position 4: here"},
        {"a;\r\nb c;\r\nd;", false, 6, "here", "Error in code at line 2:\n   b c;\n\nat position 3: here"},
        // What the source holds that a terminal would act on is shown by its bytes.
        {"s = \"\x1B[2J\" + ;\n", false, 14, "x", "Error in code at line 1:\n   s = \"[1B][2J\" + ;\n\nat position 15: x"},
        {"\"\x1B[2J\" +", true, 7, "x", "Error in expression: \"[1B][2J\" +\n position 8: x"},
        {"1 +\r\n\x7F 2", true, 5, "x", "Error in expression: 1 +\n[7F] 2\n position 1: x"},
        // Positions are clamped to the text.
        {"ab\ncd", false, 100, "past", "Error in code at line 2:\n   cd\n\nat position 3: past"},
        // An expression's error shows the whole source.
        {"1 +\n* 2", true, 4, "Unexpected symbol in expression.",
         "Error in expression: 1 +\n* 2\n position 1: Unexpected symbol in expression."},
    };
    for (const auto& c : cases) {
        CCode code(c.text, c.expression);
        g_CodeErrorFlag = false;
        Code_Report_Error(&code, c.position, c.message);
        EXPECT_TRUE(g_CodeErrorFlag);
        EXPECT_EQ(g_CodeErrorText, c.report);
    }
    // Only the first error counts until the flag is cleared.
    CCode code("x", false);
    g_CodeErrorFlag = false;
    Code_Report_Error(&code, 0, "first");
    Code_Report_Error(&code, 1, "second");
    EXPECT_NE(g_CodeErrorText.find("first"), std::string::npos);
    EXPECT_EQ(g_CodeErrorText.find("second"), std::string::npos);
}

// A long line is echoed only around the error (at most 400 bytes of it, cut between characters and
// marked "..."), so that the cause always follows, also within the 1024-byte area of an event's
// compile report.
TEST_F(ErrorReporting, LongLinesAreCutAroundTheErrorAndTheCauseKept)
{
    // No piece of these lines repeats, so the echo shows where in the line it was taken from.
    std::string sums = "1", accents;
    for (int i = 2; i < 600; ++i) sums += " + " + std::to_string(i);
    for (int i = 0; i < 300; ++i) accents += "\xC3\xA9" + std::to_string(i); // a two-byte character first
    const std::string line = "x = " + sums + ";", words = "s = \"" + accents + "\";";
    const struct {
        const char* name;
        std::string line; // the program's second line, or the expression
        bool expression;
        size_t offset;    // of the error in the line
        bool cutBefore, cutAfter;
    } cases[] = {
        {"error at the end", line, false, line.size() - 1, true, false},
        {"error at the start", line, false, 2, false, true},
        {"error in the middle", line, false, line.size() / 2, true, true},
        {"exactly the limit", line.substr(0, 400), false, 399, false, false},
        {"one past the limit", line.substr(0, 401), false, 399, true, false},
        {"two-byte characters, cut at an odd byte", words, false, 605, true, true},
        {"two-byte characters, cut at an even byte", words, false, 606, true, true},
        {"expression", sums + " *", true, sums.size() + 1, true, false},
    };
    for (const auto& c : cases) {
        std::string text = c.expression ? c.line : "a = 1;\n" + c.line;
        CCode code(text.c_str(), c.expression);
        g_CodeErrorFlag = false;
        Code_Report_Error(&code, static_cast<int32_t>(text.size() - c.line.size() + c.offset), "Unexpected symbol.");
        std::string lead = c.expression ? "Error in expression: " : "Error in code at line 2:\n   ";
        std::string tail = (c.expression ? "\n position " : "\n\nat position ") + std::to_string(c.offset + 1) +
                           ": Unexpected symbol.";
        ASSERT_TRUE(g_CodeErrorText.starts_with(lead) && g_CodeErrorText.ends_with(tail)) << c.name << ": " << g_CodeErrorText;
        std::string echo = g_CodeErrorText.substr(lead.size(), g_CodeErrorText.size() - lead.size() - tail.size());
        EXPECT_EQ(echo.starts_with("..."), c.cutBefore) << c.name;
        EXPECT_EQ(echo.ends_with("..."), c.cutAfter) << c.name;
        std::string kept = echo.substr(c.cutBefore ? 3 : 0, echo.size() - (c.cutBefore ? 3 : 0) - (c.cutAfter ? 3 : 0));
        size_t at = c.line.find(kept);
        ASSERT_NE(at, std::string::npos) << c.name;
        EXPECT_TRUE(at <= c.offset && c.offset <= at + kept.size()) << c.name << ": the error is outside the echo";
        EXPECT_LE(kept.size(), 400u) << c.name;
        EXPECT_GE(kept.size(), c.line.size() < 400 ? c.line.size() : 398u) << c.name;
        for (size_t edge : {at, at + kept.size()})
            EXPECT_TRUE(edge >= c.line.size() || (c.line[edge] & 0xC0) != 0x80) << c.name << ": cut inside a character";
        EXPECT_LT(g_CodeErrorText.size() + std::strlen("COMPILATION ERROR in code action\n"), 1024u) << c.name;
    }
}

// Levels an error unwound through, and callers in the interpreter's call stack, repeated in a row
// (one line or a cycle of up to four) are shown once and then as "... (N more)".
TEST_F(ErrorReporting, RepeatedLevelsAndCallersAreCollapsed)
{
    const struct {
        const char* name;
        std::vector<const char*> levels; // outermost first
        std::string shown;
    } cases[] = {
        {"one script", std::vector<const char*>(200, "scr_rec"), "In script scr_rec:\n... (199 more)\n"},
        {"two in a row stay", {"a", "a"}, "In script a:\nIn script a:\n"},
        {"three collapse", {"a", "a", "a"}, "In script a:\n... (2 more)\n"},
        {"between others", {"top", "a", "a", "a", "a", "end"}, "In script top:\nIn script a:\n... (3 more)\nIn script end:\n"},
        {"two scripts calling each other", {"a", "b", "a", "b", "a", "b", "a"},
         "In script a:\nIn script b:\n... (4 more)\nIn script a:\n"},
        {"no repeats", {"a", "b", "c", "a"}, "In script a:\nIn script b:\nIn script c:\nIn script a:\n"},
    };
    for (const auto& c : cases) {
        CCode code("x", false);
        g_CodeErrorFlag = false;
        Code_Report_Error(&code, 0, "Stack overflow...");
        std::string cause = g_CodeErrorText;
        for (auto level = c.levels.rbegin(); level != c.levels.rend(); ++level) Code_Error_NoteFailedLevel("In script ", *level);
        Code_Error_FoldFailedLevels();
        EXPECT_EQ(g_CodeErrorText, c.shown + cause) << c.name;
    }
    std::vector<VMErrorFrame> frames(1, {"Script_rec", nullptr, "", 0});
    frames.insert(frames.end(), 5000, frames.front());
    frames.push_back({"Object_o_Create_0", nullptr, "", 0});
    std::string report = Error_BuildActionReport("Stack overflow...", true, frames);
    EXPECT_TRUE(report.ends_with("\nstack frame is\nScript_rec (line -1)\n"
                                 "called from - Script_rec (line -1) - <unknown source line>\n... (4999 more)\n"
                                 "called from - Object_o_Create_0 (line -1) - <unknown source line>\n"))
        << report;
}

TEST_F(ErrorReporting, ShownErrorsAreLoggedRecordedAndMayEndTheGame)
{
    // The form's text ends every line with carriage return and line feed.
    EXPECT_EQ(ErrorForm_PrepareText("a\r\nb\rc\nd\te"), "\r\n" + std::string(43, '_') + "\r\na\r\nb\r\nc\r\nd       e");
    EXPECT_EQ(ErrorForm_PrepareText(nullptr), "\r\n" + std::string(43, '_') + "\r\n");
    {
        CapturedConsole log(MainConsole), script(ScriptConsole);
        Error_Show("Variable x not set", false);
        EXPECT_EQ(script.Text(), "ERROR!!! :: Variable x not set\n");
        EXPECT_NE(log.Text().find("Code Error...\n" + std::string(43, '_') + "\nVariable x not set\n"), std::string::npos);
        EXPECT_NE(log.Text().find("Code Error... -> Ignore"), std::string::npos) << log.Text();
        EXPECT_TRUE(g_ErrorForm.ignoreAllowed);
        EXPECT_EQ(g_ErrorLast, "Variable x not set");
        EXPECT_EQ(g_RunRequest, RUN_REQUEST_NONE);
    }
    {
        // What a report quotes is logged printable, line by line.
        ResetErrorState();
        CapturedConsole log(MainConsole), script(ScriptConsole);
        Error_Show("title \x1B]0;pwned\x07 set\r\nnext\rline", false);
        EXPECT_NE(log.Text().find("Code Error...\n" + std::string(43, '_') +
                                  "\ntitle [1B]]0;pwned[07] set\nnext\nline\n"),
                  std::string::npos)
            << log.Text();
    }
    {
        // Without showErrors no form, but still logged and recorded.
        ResetErrorState();
        g_GameOptions.showErrors = false;
        CapturedConsole log(MainConsole), script(ScriptConsole);
        Error_Show("quiet", false);
        EXPECT_EQ(log.Text().find("Code Error"), std::string::npos);
        EXPECT_EQ(script.Text(), "ERROR!!! :: quiet\n");
        EXPECT_EQ(g_ErrorOccurred, 1);
    }
    {
        // A fatal error ends the game once: while it ends nothing more is reported.
        ResetErrorState();
        CapturedConsole log(MainConsole), script(ScriptConsole);
        Error_Show("fatal one", true);
        EXPECT_FALSE(g_ErrorForm.ignoreAllowed);
        EXPECT_NE(log.Text().find("Code Error... -> Abort"), std::string::npos);
        EXPECT_EQ(g_RunRequest, RUN_REQUEST_FATAL);
        Error_Show("fatal two", true);
        EXPECT_EQ(g_ErrorLast, "fatal one");
        EXPECT_EQ(script.Text(), "ERROR!!! :: fatal one\n");
    }
    {
        // The abort-on-error option makes every error fatal.
        ResetErrorState();
        CapturedConsole script(ScriptConsole);
        g_GameOptions.abortOnError = true;
        Error_Show_Action("not fatal by itself", false);
        EXPECT_TRUE(g_ErrorQuitting);
        EXPECT_EQ(g_RunRequest, RUN_REQUEST_FATAL);
    }
    CapturedConsole script(ScriptConsole);
    // A debugger evaluation writes no error line; an absent text clears the last error.
    ResetErrorState();
    Debug_EvaluatingExpression = 1;
    Error_Show("while evaluating", false);
    EXPECT_EQ(script.Text(), "");
    EXPECT_EQ(g_ErrorLast, "while evaluating");
    ResetErrorState();
    g_ErrorLast = "old";
    Error_Show(nullptr, false);
    EXPECT_EQ(g_ErrorLast, "");
    EXPECT_EQ(script.Text(), "ERROR!!! :: \n");
}

TEST_F(ErrorReporting, PlayerMayAbortOrIgnore)
{
    CapturedConsole log(MainConsole), script(ScriptConsole);
    // Ignore is not offered for a fatal error; Copy changes nothing without a display.
    Answer("Ignore\nCopy\nabort\n");
    Error_Show("first", true);
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_FATAL);
    Answer("Clear\nIGNORE\n");
    Error_Show("second", false);
    EXPECT_TRUE(g_ErrorForm.message.empty());
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_NONE);
}

TEST_F(ErrorReporting, ActionErrorsNameTheirEventObjectTimeLineOrShader)
{
    CapturedConsole script(ScriptConsole);
    g_CurrentEventObject = 4;
    g_CurrentEventType = 3;
    g_CurrentEventNumber = 2;
    g_CurrentActionNumber = 1;
    Error_Show_Action("Unknown variable y", false);
    EXPECT_EQ(g_ErrorLast, HASHES + "\nERROR in\naction number 2\nof " + Event_GetName(3, 2) + "\nfor object " +
                               Object_Name(4) + ":\n\n\nUnknown variable y\n" + HASHES + "\n");
    ResetErrorState();
    g_CurrentEventType = 100000;
    g_CurrentEventObject = 1;
    g_CurrentEventNumber = 30;
    Error_Show_Action("boom", false);
    EXPECT_EQ(g_ErrorLast, HASHES + "\nERROR in\naction number 1\nat time step30\nof time line " + TimeLine_Name(1) +
                               ":\n\n\nboom\n" + HASHES + "\n");
    ResetErrorState();
    g_CurrentEventType = -1;
    g_CurrentShaderName = "shd_wave";
    g_CurrentShaderIsFragment = 1;
    Error_Show_Action("syntax error", false);
    EXPECT_EQ(g_ErrorLast, HASHES + "\nFATAL ERROR in Fragment Shader compilation\n\nShaderName: shd_wave\n\n\n"
                                    "syntax error\n\n" + HASHES + "\n");
}

TEST_F(ErrorReporting, ActionReportShowsTheInterpreterPlaceAndItsCallers)
{
    int32_t innerPairs[] = {0, 0, 8, 9};
    int32_t outerPairs[] = {0, 0};
    VMBuffer innerTable(reinterpret_cast<uint8_t*>(innerPairs), sizeof innerPairs);
    VMBuffer outerTable(reinterpret_cast<uint8_t*>(outerPairs), sizeof outerPairs);
    std::vector<VMErrorFrame> frames = {
        {"Script_inner", &innerTable, "a = 1;\r\nb = c;", 12},
        {"Object_o_Step_0", &outerTable, "inner();", 4},
        {"Script_outer", nullptr, "", 0},
    };
    EXPECT_EQ(Error_BuildActionReport("Unknown variable c", true, frames),
              HASHES + "\nFATAL ERROR in\naction number 1\nof " + Event_GetName(0, 0) + "\nfor object " + Object_Name(0) +
                  ":\n\n\nUnknown variable c\n at Script_inner (line 1) - b = c;\n" + HASHES + "\n" + std::string(92, '-') +
                  "\nstack frame is\nScript_inner (line 1)\ncalled from - Object_o_Step_0 (line 0) - inner();\n"
                  "called from - Script_outer (line -1) - <unknown source line>\n");
    // One level only: the place, but no stack frame section.
    frames.resize(1);
    EXPECT_EQ(Error_BuildActionReport("x", false, frames).find("stack frame is"), std::string::npos);
}


// In the child: headless, script messages to the log file.
void StartChild(const std::string& log)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    setenv("KELVARO_NO_WAIT", "1", 1);
    unsetenv("KELVARO_ANSWERS");
    TestSwitches_Reload();
    Console_SetLogFile(CONSOLE_SCRIPT, log.c_str());
}

std::string ReadAndRemove(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(path.c_str());
    return text.str();
}

TEST(ErrorEndings, FatalErrorsEndThroughTheMainLoopInterpreterAndLoadErrorsEndTheProcess)
{
    const std::string log = TestFile("endings");
    std::remove(log.c_str());
    EXPECT_EXIT(
        {
            StartChild(log);
            g_RunState = 1;
            g_RunRequest = RUN_REQUEST_NONE;
            Error_Show("Fatal thing", true);
            // The error itself ends nothing: the frame's end sees the request and stops the loop.
            bool requested = g_RunRequest == RUN_REQUEST_FATAL && g_ErrorQuitting && g_RunState == 1;
            Run_MainLoopTick();
            std::exit(requested && g_RunState == 0 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_NE(ReadAndRemove(log).find("ERROR!!! :: Fatal thing\n"), std::string::npos);
    EXPECT_EXIT((StartChild(log), Error_ShowAndExit("Stack overflow...", -1)), ::testing::ExitedWithCode(255), "");
    EXPECT_EQ(ReadAndRemove(log), "ERROR!!! :: Stack overflow...\n");
    EXPECT_EXIT((StartChild(log), Error_ShowAndExit("Error on load\nUnable to find variable speed_x\n", 1)),
                ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(ReadAndRemove(log), "ERROR!!! :: Error on load\nUnable to find variable speed_x\n\n");
}

} // namespace
