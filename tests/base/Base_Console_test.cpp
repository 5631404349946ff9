#include "base/Base_Console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ConsoleTest : public testing::Test {
protected:
    void SetUp() override
    {
        // ctest runs tests side by side: each one logs to files of its own.
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        m_Main = testing::TempDir() + "console_main_" + name + ".log";
        m_Script = testing::TempDir() + "console_script_" + name + ".log";
        std::remove(m_Main.c_str());
        std::remove(m_Script.c_str());
    }
    void TearDown() override
    {
        Console_SetLogFile(CONSOLE_MAIN, nullptr);
        Console_SetLogFile(CONSOLE_SCRIPT, nullptr);
    }
    std::string m_Main;
    std::string m_Script;
};

} // namespace

TEST_F(ConsoleTest, LongLineReachesStdoutWholeButTheLogFileCut)
{
    Console_SetLogFile(CONSOLE_MAIN, m_Main.c_str());
    std::string text(5000, 'x');
    text[4094] = 'y';
    text[4095] = 'z';
    testing::internal::CaptureStdout();
    MainConsole->Output("%s", text.c_str());
    EXPECT_EQ(text, testing::internal::GetCapturedStdout());
    std::string logged = ReadFile(m_Main);
    EXPECT_EQ(4095u, logged.size());
    EXPECT_EQ(text.substr(0, 4095), logged);
}

TEST_F(ConsoleTest, PercentFromAnArgumentIsWrittenUnchanged)
{
    Console_SetLogFile(CONSOLE_MAIN, m_Main.c_str());
    testing::internal::CaptureStdout();
    MainConsole->Output("rate %s\n", "100%d done");
    MainConsole->Output("second\n");
    EXPECT_EQ("rate 100%d done\nsecond\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ("rate 100%d done\nsecond\n", ReadFile(m_Main));
}

TEST_F(ConsoleTest, EachConsoleWritesOnlyItsOwnFile)
{
    // "-output" given, "-debugoutput" not.
    Console_SetLogFile(CONSOLE_SCRIPT, m_Script.c_str());
    testing::internal::CaptureStdout();
    MainConsole->Output("engine line\n");
    ScriptConsole->Output("script line %d\n", 7);
    EXPECT_EQ("engine line\nscript line 7\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ("script line 7\n", ReadFile(m_Script));
    EXPECT_FALSE(std::ifstream(m_Main).good());

    Console_SetLogFile(CONSOLE_MAIN, m_Main.c_str());
    testing::internal::CaptureStdout();
    MainConsole->Output("engine again\n");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ("engine again\n", ReadFile(m_Main));
    EXPECT_EQ("script line 7\n", ReadFile(m_Script));
}

TEST_F(ConsoleTest, NullFormatPrintsNothingAnywhere)
{
    Console_SetLogFile(CONSOLE_MAIN, m_Main.c_str());
    const char* none = nullptr;
    testing::internal::CaptureStdout();
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat"
    MainConsole->Output(none);
#pragma GCC diagnostic pop
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_FALSE(std::ifstream(m_Main).good());
}

TEST_F(ConsoleTest, ArgumentsAreFormattedTheSameBothTimes)
{
    // More arguments than fit in registers, of mixed kinds, so the second walk of the list would
    // read garbage if it reused the first.
    Console_SetLogFile(CONSOLE_MAIN, m_Main.c_str());
    testing::internal::CaptureStdout();
    MainConsole->Output("%d %s %.3f %d %d %lld %s %.1f %d %d %c\n", 1, "two", 3.0, 4, 5, 6LL, "seven", 8.5, 9,
                        10, 'k');
    std::string expected = "1 two 3.000 4 5 6 seven 8.5 9 10 k\n";
    EXPECT_EQ(expected, testing::internal::GetCapturedStdout());
    EXPECT_EQ(expected, ReadFile(m_Main));
}

TEST_F(ConsoleTest, UnwritableLogFileIsSkippedSilently)
{
    Console_SetLogFile(CONSOLE_MAIN, "/nonexistent-folder/x.log");
    testing::internal::CaptureStdout();
    MainConsole->Output("still printed\n");
    EXPECT_EQ("still printed\n", testing::internal::GetCapturedStdout());
}
