#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "Code_TestLog.h"
#include "code/Code_Error.h"
#include "code/Code_ErrorPlaceholders.h"
#include "code/Code_Emitter.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_Options.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Globals.h"

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
    g_CurrentEventObject = 0;
    g_CurrentEventType = 0;
    g_CurrentEventNumber = 0;
    g_CurrentActionNumber = 0;
    g_CurrentShaderName = nullptr;
    g_CurrentShaderIsFragment = 0;
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
        m_Answers = std::string(KELVARO_BINARY_DIR) + "/code_error_answers_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                    std::to_string(getpid()) + ".txt";
        std::ofstream(m_Answers) << lines;
        setenv("KELVARO_ANSWERS", m_Answers.c_str(), 1);
        TestSwitches_Reload();
    }

    std::string m_Answers;
};

TEST_F(ErrorReporting, ProgramErrorNamesLineAndPosition)
{
    CCode code("a = 1;\nb = = 2;", false);
    Code_Report_Error(&code, 7, "unexpected symbol");
    EXPECT_TRUE(g_CodeErrorFlag);
    EXPECT_EQ(g_CodeErrorText, "Error in code at line 2:\n   b = = 2;\n\nat position 1: unexpected symbol");
}

TEST_F(ErrorReporting, ColumnsSkipCarriageReturnsButLinesKeepThem)
{
    CCode code("a;\r\nbc\rde;", false);
    Code_Report_Error(&code, 8, "here"); // the "e"
    EXPECT_EQ(g_CodeErrorText, "Error in code at line 2:\n   bc\rde;\n\nat position 4: here");
}

TEST_F(ErrorReporting, PositionsAreClampedToTheText)
{
    CCode code("ab\ncd", false);
    Code_Report_Error(&code, 100, "past");
    EXPECT_EQ(g_CodeErrorText, "Error in code at line 2:\n   cd\n\nat position 3: past");
    g_CodeErrorFlag = false;
    Code_Report_Error(&code, -5, nullptr);
    EXPECT_EQ(g_CodeErrorText, "Error in code at line 1:\n   ab\n\nat position 1: ");
}

TEST_F(ErrorReporting, ExpressionErrorShowsTheWholeSource)
{
    CCode code("1 +\n* 2", true);
    Code_Report_Error(&code, 4, "Unexpected symbol in expression.");
    EXPECT_EQ(g_CodeErrorText, "Error in expression: 1 +\n* 2\n position 1: Unexpected symbol in expression.");
}

TEST_F(ErrorReporting, OnlyTheFirstErrorCounts)
{
    CCode code("x", false);
    Code_Report_Error(&code, 0, "first");
    Code_Report_Error(&code, 1, "second");
    EXPECT_NE(g_CodeErrorText.find("first"), std::string::npos);
    EXPECT_EQ(g_CodeErrorText.find("second"), std::string::npos);
    g_CodeErrorFlag = false;
    Code_Report_Error(&code, 1, "third");
    EXPECT_NE(g_CodeErrorText.find("third"), std::string::npos);
    EXPECT_EQ(g_CodeErrorText.find("first"), std::string::npos);
}

TEST_F(ErrorReporting, FormTextEndsEveryLineWithCarriageReturnLineFeed)
{
    EXPECT_EQ(ErrorForm_PrepareText("a\r\nb\rc\nd\te"), "\r\n" + std::string(43, '_') + "\r\na\r\nb\r\nc\r\nd       e");
    EXPECT_EQ(ErrorForm_PrepareText(nullptr), "\r\n" + std::string(43, '_') + "\r\n");
}

TEST_F(ErrorReporting, NonFatalErrorIsShownLoggedAndRecorded)
{
    CapturedConsole log(MainConsole);
    CapturedConsole script(ScriptConsole);
    Error_Show("Variable x not set", false);
    EXPECT_EQ(script.Text(), "ERROR!!! :: Variable x not set\n");
    EXPECT_NE(log.Text().find("Code Error...\n" + std::string(43, '_') + "\nVariable x not set\n"), std::string::npos)
        << log.Text();
    EXPECT_NE(log.Text().find("Code Error... -> Ignore"), std::string::npos);
    EXPECT_TRUE(g_ErrorForm.ignoreAllowed);
    EXPECT_EQ(g_ErrorLast, "Variable x not set");
    EXPECT_EQ(g_ErrorOccurred, 1);
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_NONE);
    EXPECT_FALSE(g_ErrorQuitting);
}

TEST_F(ErrorReporting, WithoutShowErrorsNoFormButStillLoggedAndRecorded)
{
    g_GameOptions.showErrors = false;
    CapturedConsole log(MainConsole);
    CapturedConsole script(ScriptConsole);
    Error_Show("quiet", false);
    EXPECT_EQ(log.Text().find("Code Error"), std::string::npos);
    EXPECT_EQ(script.Text(), "ERROR!!! :: quiet\n");
    EXPECT_EQ(g_ErrorOccurred, 1);
    EXPECT_EQ(g_ErrorLast, "quiet");
}

TEST_F(ErrorReporting, FatalErrorEndsTheGameOnce)
{
    CapturedConsole log(MainConsole);
    CapturedConsole script(ScriptConsole);
    Error_Show("fatal one", true);
    EXPECT_FALSE(g_ErrorForm.ignoreAllowed);
    EXPECT_NE(log.Text().find("Code Error... -> Abort"), std::string::npos);
    EXPECT_TRUE(g_ErrorQuitting);
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_FATAL);
    // While the game ends nothing more is reported.
    Error_Show("fatal two", true);
    EXPECT_EQ(g_ErrorLast, "fatal one");
    EXPECT_EQ(script.Text(), "ERROR!!! :: fatal one\n");
}

TEST_F(ErrorReporting, AbortOnErrorOptionMakesEveryErrorFatal)
{
    g_GameOptions.abortOnError = true;
    CapturedConsole script(ScriptConsole);
    Error_Show_Action("not fatal by itself", false);
    EXPECT_TRUE(g_ErrorQuitting);
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_FATAL);
}

TEST_F(ErrorReporting, PlayerMayAbortOrIgnore)
{
    CapturedConsole log(MainConsole);
    CapturedConsole script(ScriptConsole);
    // Ignore is not offered for a fatal error; Copy changes nothing without a display.
    Answer("Ignore\nCopy\nabort\n");
    Error_Show("first", true);
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_FATAL);

    ResetErrorState();
    Answer("Clear\nIGNORE\n");
    Error_Show("second", false);
    EXPECT_TRUE(g_ErrorForm.message.empty());
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_NONE);

    ResetErrorState();
    Answer("Abort\n");
    Error_Show("third", false);
    EXPECT_TRUE(g_ErrorQuitting);
    EXPECT_EQ(g_RunRequest, RUN_REQUEST_FATAL);
}

TEST_F(ErrorReporting, DebuggerEvaluationWritesNoErrorLine)
{
    Debug_EvaluatingExpression = 1;
    CapturedConsole script(ScriptConsole);
    Error_Show("while evaluating", false);
    EXPECT_EQ(script.Text(), "");
    EXPECT_EQ(g_ErrorLast, "while evaluating");
    EXPECT_EQ(g_ErrorOccurred, 1);
}

TEST_F(ErrorReporting, AbsentTextClearsErrorLast)
{
    CapturedConsole script(ScriptConsole);
    g_ErrorLast = "old";
    Error_Show(nullptr, false);
    EXPECT_EQ(g_ErrorLast, "");
    EXPECT_EQ(script.Text(), "ERROR!!! :: \n");
}

TEST_F(ErrorReporting, ActionErrorNamesEventAndObject)
{
    CapturedConsole script(ScriptConsole);
    g_CurrentEventObject = 4;
    g_CurrentEventType = 3;
    g_CurrentEventNumber = 2;
    g_CurrentActionNumber = 1;
    Error_Show_Action("Unknown variable y", false);
    std::string expected = HASHES + "\nERROR in\naction number 2\nof " + Event_GetName(3, 2) + "\nfor object " +
                           Object_Name(4) + ":\n\n\nUnknown variable y\n" + HASHES + "\n";
    EXPECT_EQ(g_ErrorLast, expected);

    ResetErrorState();
    g_CurrentEventType = 3;
    Error_Show_Action(nullptr, true);
    EXPECT_EQ(g_ErrorLast.find(HASHES + "\nFATAL ERROR in\naction number 1\n"), 0u) << g_ErrorLast;
    EXPECT_NE(g_ErrorLast.find(":\n\n\n\n" + HASHES), std::string::npos);
}

TEST_F(ErrorReporting, ActionErrorOfTimeLinesAndShaders)
{
    CapturedConsole script(ScriptConsole);
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
    g_CurrentShaderIsFragment = 0;
    ResetErrorState();
    g_CurrentEventType = -1;
    Error_Show_Action("x", false);
    EXPECT_EQ(g_ErrorLast.find(HASHES + "\nFATAL ERROR in Vertex Shader compilation\n\nShaderName: \n"), 0u);
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
    std::string report = Error_BuildActionReport("Unknown variable c", true, frames);
    std::string expected = HASHES + "\nFATAL ERROR in\naction number 1\nof " + Event_GetName(0, 0) + "\nfor object " +
                           Object_Name(0) + ":\n\n\nUnknown variable c\n" +
                           " at Script_inner (line 1) - b = c;\n" + HASHES + "\n" + std::string(92, '-') +
                           "\nstack frame is\nScript_inner (line 1)\n"
                           "called from - Object_o_Step_0 (line 0) - inner();\n"
                           "called from - Script_outer (line -1) - <unknown source line>\n";
    EXPECT_EQ(report, expected);

    // One level only: the place, but no stack frame section.
    frames.resize(1);
    report = Error_BuildActionReport("x", false, frames);
    EXPECT_NE(report.find(" at Script_inner (line 1) - b = c;\n" + HASHES + "\n"), std::string::npos);
    EXPECT_EQ(report.find("stack frame is"), std::string::npos);
}

TEST(ErrStreamConsole, CollectsAndGrowsPastItsCapacity)
{
    TErrStreamConsole console;
    EXPECT_STREQ(console.Text(), "");
    EXPECT_TRUE(console.Setup(0, 0));
    std::string chunk(1000, 'x');
    for (int i = 0; i < 200; ++i) console.Output("%s%03d", chunk.c_str(), i);
    std::string text = console.Text();
    ASSERT_EQ(text.size(), 200u * 1003u);
    EXPECT_EQ(text.substr(1000, 3), "000");
    EXPECT_EQ(text.substr(text.size() - 3), "199");
    EXPECT_GT(console.Capacity(), 102400u);
}

TEST(ErrStreamConsole, OnePieceIsCutToTheScratchArea)
{
    TErrStreamConsole console;
    std::string huge(20000, 'y');
    console.Output("%s", huge.c_str());
    EXPECT_EQ(std::string(console.Text()).size(), 16383u);
}

} // namespace
