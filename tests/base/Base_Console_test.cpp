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
    // Prints through the console and gives what reached standard output.
    template <typename... Args> static std::string Printed(tagIConsole* console, Args... args)
    {
        testing::internal::CaptureStdout();
        console->Output(args...);
        return testing::internal::GetCapturedStdout();
    }
    std::string m_Main;
    std::string m_Script;
};

} // namespace

TEST_F(ConsoleTest, TextReachesStdoutAndTheLogFileAlikeButTheFileCutsLongLines)
{
    Console_SetLogFile(CONSOLE_MAIN, m_Main.c_str());
    // A percent sign from an argument is written unchanged.
    EXPECT_EQ("rate 100%d done\n", Printed(MainConsole, "rate %s\n", "100%d done"));
    // More arguments than fit in registers, of mixed kinds, so the second walk of the list would
    // read garbage if it reused the first.
    std::string expected = "1 two 3.000 4 5 6 seven 8.5 9 10 k\n";
    EXPECT_EQ(expected, Printed(MainConsole, "%d %s %.3f %d %d %lld %s %.1f %d %d %c\n", 1, "two", 3.0, 4, 5,
                                6LL, "seven", 8.5, 9, 10, 'k'));
    EXPECT_EQ("rate 100%d done\n" + expected, ReadFile(m_Main));
    // A long line reaches standard output whole, the log file cut.
    std::string text(5000, 'x');
    text[4094] = 'y';
    text[4095] = 'z';
    EXPECT_EQ(text, Printed(MainConsole, "%s", text.c_str()));
    EXPECT_EQ("rate 100%d done\n" + expected + text.substr(0, 4095), ReadFile(m_Main));
}

TEST_F(ConsoleTest, EachConsoleWritesOnlyItsOwnFileAndNothingForANullFormat)
{
    // "-output" given, "-debugoutput" not.
    Console_SetLogFile(CONSOLE_SCRIPT, m_Script.c_str());
    EXPECT_EQ("engine line\n", Printed(MainConsole, "%s", "engine line\n"));
    EXPECT_EQ("script line 7\n", Printed(ScriptConsole, "script line %d\n", 7));
    EXPECT_EQ("script line 7\n", ReadFile(m_Script));
    EXPECT_FALSE(std::ifstream(m_Main).good());

    // A null format prints nothing; an unwritable log is skipped.
    const char* none = nullptr;
    testing::internal::CaptureStdout();
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat"
    MainConsole->Output(none);
#pragma GCC diagnostic pop
    EXPECT_EQ("", testing::internal::GetCapturedStdout());

    Console_SetLogFile(CONSOLE_MAIN, "/nonexistent-folder/x.log");
    EXPECT_EQ("still printed\n", Printed(MainConsole, "%s", "still printed\n"));
}
