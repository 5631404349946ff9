// The three ways an error ends the game, each in a subprocess: a fatal error asks the main loop for
// a normal end, an interpreter error ends the process with -1, a load error with 1.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Globals.h"
#include "run/Run_MainLoop.h"

namespace {

class ErrorEndings : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Log = std::string(KELVARO_BINARY_DIR) + "/code_error_endings_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + std::to_string(getpid()) +
                ".log";
        std::remove(m_Log.c_str());
    }
    void TearDown() override { std::remove(m_Log.c_str()); }

    // In the child: headless, script messages to the log file.
    void StartChild() const
    {
        setenv("KELVARO_HEADLESS", "1", 1);
        setenv("KELVARO_NO_WAIT", "1", 1);
        unsetenv("KELVARO_ANSWERS");
        TestSwitches_Reload();
        Console_SetLogFile(CONSOLE_SCRIPT, m_Log.c_str());
    }

    std::string Log() const
    {
        std::ifstream in(m_Log);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string m_Log;
};

TEST_F(ErrorEndings, FatalErrorEndsThroughTheMainLoop)
{
    EXPECT_EXIT(
        {
            StartChild();
            g_RunState = 1;
            g_RunRequest = RUN_REQUEST_NONE;
            Error_Show("Fatal thing", true);
            // The error itself ends nothing: the frame's end sees the request and stops the loop.
            bool requested = g_RunRequest == RUN_REQUEST_FATAL && g_ErrorQuitting && g_RunState == 1;
            Run_MainLoopTick();
            std::exit(requested && g_RunState == 0 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_NE(Log().find("ERROR!!! :: Fatal thing\n"), std::string::npos) << Log();
}

TEST_F(ErrorEndings, InterpreterErrorEndsTheProcessWithMinusOne)
{
    EXPECT_EXIT(
        {
            StartChild();
            Error_ShowAndExit("Stack overflow...", -1);
        },
        ::testing::ExitedWithCode(255), "");
    EXPECT_EQ(Log(), "ERROR!!! :: Stack overflow...\n");
}

TEST_F(ErrorEndings, LoadErrorEndsTheProcessWithOne)
{
    EXPECT_EXIT(
        {
            StartChild();
            Error_ShowAndExit("Error on load\nUnable to find variable speed_x\n", 1);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(Log(), "ERROR!!! :: Error on load\nUnable to find variable speed_x\n\n");
}

} // namespace
