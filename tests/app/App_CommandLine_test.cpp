#include "app/App_CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Base_Console.h"
#include "gamefile/GameFile_Options.h"

namespace {

// Every token of a text, as ParseCommandLine walks it.
std::vector<std::string> Tokens(const char* text)
{
    std::vector<std::string> tokens;
    size_t position = 0;
    while (text[position] != '\0') {
        position = NextCommandLineToken(position, text);
        tokens.emplace_back(g_CommandToken);
    }
    return tokens;
}

class CommandLineTest : public testing::Test {
  protected:
    void SetUp() override { Restore(); }
    void TearDown() override { Restore(); }

    static void Restore()
    {
        App_ClearGameFileName();
        g_TraceFlag = 0;
        g_SteamSwitch = 0;
        g_GameOptions.showErrors = true;
        g_RecordFileName.clear();
        Console_SetLogFile(CONSOLE_MAIN, nullptr);
        Console_SetLogFile(CONSOLE_SCRIPT, nullptr);
        ParseCommandLine(nullptr);
    }
};

} // namespace

TEST_F(CommandLineTest, TokensSplitAtBlanksAndControlCharacters)
{
    EXPECT_EQ((std::vector<std::string>{"kelvaro", "-debug", "-game", "x.win"}),
              Tokens("  kelvaro -debug\t-game\r\nx.win"));
}

TEST_F(CommandLineTest, QuotesGroupBlanksAndAreDropped)
{
    EXPECT_EQ((std::vector<std::string>{"-game", "/my games/data.win"}),
              Tokens("-game \"/my games/data.win\""));
    // A quote inside a token toggles too, and an unclosed one runs to the end.
    EXPECT_EQ((std::vector<std::string>{"ab cd", "e f g"}), Tokens("a\"b c\"d \"e f g"));
    EXPECT_EQ((std::vector<std::string>{""}), Tokens("\"\""));
}

TEST_F(CommandLineTest, BytesAboveAsciiAreTextNotSeparators)
{
    EXPECT_EQ((std::vector<std::string>{"-game", "/jeux/\xc3\xa9t\xc3\xa9.win"}),
              Tokens("-game /jeux/\xc3\xa9t\xc3\xa9.win"));
}

TEST_F(CommandLineTest, TrailingBlanksGiveAnEmptyLastToken)
{
    EXPECT_EQ((std::vector<std::string>{"a", ""}), Tokens("a   "));
    EXPECT_EQ(5u, NextCommandLineToken(5, "abcde"));
    EXPECT_STREQ("", g_CommandToken);
    EXPECT_EQ(0u, NextCommandLineToken(0, nullptr));
}

TEST_F(CommandLineTest, LongTokenKeepsItsFirst4095CharactersAndSkipsTheRest)
{
    std::string text = std::string(5000, 'x') + " next";
    size_t position = NextCommandLineToken(0, text.c_str());
    EXPECT_EQ(4095u, std::string(g_CommandToken).size());
    EXPECT_EQ(5000u, position);
    NextCommandLineToken(position, text.c_str());
    EXPECT_STREQ("next", g_CommandToken);
}

TEST_F(CommandLineTest, CopyKeeps8191CharactersAndCutsLonger)
{
    std::string exact(8191, 'a');
    CommandLine_Copy(exact.c_str());
    EXPECT_EQ(exact, std::string(g_CommandLine));

    std::string longer = std::string(8191, 'b') + "cdef";
    CommandLine_Copy(longer.c_str());
    EXPECT_EQ(std::string(8191, 'b'), std::string(g_CommandLine));

    CommandLine_Copy(nullptr);
    EXPECT_STREQ("", g_CommandLine);
}

TEST_F(CommandLineTest, ArgumentsJoinSoThatTheTokenizerGivesThemBack)
{
    const char* argv[] = {"/usr/bin/kelvaro", "-game", "/my games/a.win", "", "-debug"};
    std::string line = CommandLine_FromArguments(5, argv);
    EXPECT_EQ((std::vector<std::string>{"/usr/bin/kelvaro", "-game", "/my games/a.win", "", "-debug"}),
              Tokens(line.c_str()));
}

TEST_F(CommandLineTest, FlagSwitches)
{
    ParseCommandLine("kelvaro -debug -trace -ext -noerrors -oldexec -noaudio -inawindow -steam");
    EXPECT_EQ(1, g_DebugMode);
    EXPECT_EQ(2, g_DebugOverlayFlags);
    EXPECT_EQ(1, g_TraceFlag);
    EXPECT_EQ(1, g_ExtCallFlag);
    EXPECT_FALSE(g_GameOptions.showErrors);
    EXPECT_EQ(0, g_UseBytecode);
    EXPECT_EQ(1, g_NoAudio);
    EXPECT_TRUE(g_OptionInAWindow);
    EXPECT_EQ(1, g_SteamSwitch);
}

TEST_F(CommandLineTest, SwitchesAreExactAndCaseSensitive)
{
    ParseCommandLine("-DEBUG -debugx debug --debug -Trace");
    EXPECT_EQ(0, g_DebugMode);
    EXPECT_EQ(0, g_TraceFlag);
}

TEST_F(CommandLineTest, EveryParseResetsTheResettableSwitchesOnly)
{
    ParseCommandLine("-debug -ext -oldexec -noaudio -inawindow -record r.rec -trace -steam -noerrors");
    ParseCommandLine("");
    EXPECT_EQ(0, g_DebugMode);
    EXPECT_EQ(0, g_DebugOverlayFlags);
    EXPECT_EQ(0, g_ExtCallFlag);
    EXPECT_EQ(1, g_UseBytecode);
    EXPECT_EQ(0, g_NoAudio);
    EXPECT_FALSE(g_OptionInAWindow);
    EXPECT_EQ(0, g_RecordInput);
    // These keep their values across parses.
    EXPECT_EQ(1, g_TraceFlag);
    EXPECT_EQ(1, g_SteamSwitch);
    EXPECT_FALSE(g_GameOptions.showErrors);
}

TEST_F(CommandLineTest, GameTakesTheFirstNameOnly)
{
    ParseCommandLine("kelvaro -game \"/a b/first.win\" -game second.win");
    ASSERT_NE(nullptr, App_GetGameFileName());
    EXPECT_STREQ("/a b/first.win", App_GetGameFileName());
}

TEST_F(CommandLineTest, RecordThenPlaybackKeepsBothFlagsAndTheSecondName)
{
    ParseCommandLine("-record one.rec -playback two.rec");
    EXPECT_EQ(1, g_RecordInput);
    EXPECT_EQ(1, g_PlaybackInput);
    EXPECT_EQ("two.rec", g_RecordFileName);
}

TEST_F(CommandLineTest, ValueSwitchStandingLastTakesAnEmptyValue)
{
    ParseCommandLine("-debug -game");
    ASSERT_NE(nullptr, App_GetGameFileName());
    EXPECT_STREQ("", App_GetGameFileName());
    ParseCommandLine("-record");
    EXPECT_EQ(1, g_RecordInput);
    EXPECT_EQ("", g_RecordFileName);
}

TEST_F(CommandLineTest, ValueIsTakenEvenWhenItLooksLikeASwitch)
{
    ParseCommandLine("-playback -debug");
    EXPECT_EQ(1, g_PlaybackInput);
    EXPECT_EQ("-debug", g_RecordFileName);
    EXPECT_EQ(0, g_DebugMode);
}

TEST_F(CommandLineTest, OutputSwitchesTurnTheConsoleLogsOn)
{
    ParseCommandLine("-output script.log -debugoutput main.log");
    EXPECT_TRUE(g_ConsoleLogOn[CONSOLE_SCRIPT]);
    EXPECT_EQ("script.log", g_ConsoleLogFile[CONSOLE_SCRIPT]);
    EXPECT_TRUE(g_ConsoleLogOn[CONSOLE_MAIN]);
    EXPECT_EQ("main.log", g_ConsoleLogFile[CONSOLE_MAIN]);
}
