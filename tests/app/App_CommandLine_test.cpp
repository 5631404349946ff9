#include "app/App_CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/Base_Console.h"
#include "gamefile/GameFile_Options.h"

namespace {

using Texts = std::vector<std::string>;

// Every token of a text, as ParseCommandLine walks it.
Texts Tokens(const char* text)
{
    Texts tokens;
    for (size_t position = 0; text[position] != '\0';) {
        position = NextCommandLineToken(position, text);
        tokens.emplace_back(g_CommandToken);
    }
    return tokens;
}

// Every test starts and ends with no switches and no game.
class CommandLineTest : public testing::Test {
  protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        App_ClearGameFileName();
        g_TraceFlag = g_SteamSwitch = 0;
        g_GameOptions.showErrors = true;
        g_RecordFileName.clear();
        Console_SetLogFile(CONSOLE_MAIN, nullptr);
        Console_SetLogFile(CONSOLE_SCRIPT, nullptr);
        ParseCommandLine(nullptr);
    }
};

} // namespace

TEST_F(CommandLineTest, TokensAndTheCopiedLine)
{
    // Blanks and control characters split; quotes group blanks, are dropped and toggle inside a token
    // too, an unclosed one running to the end; bytes above ASCII are text; trailing blanks give an
    // empty last token.
    const std::pair<const char*, Texts> cases[] = {
        {"  kelvaro -debug\t-game\r\nx.win", {"kelvaro", "-debug", "-game", "x.win"}}, {"a   ", {"a", ""}},
        {"-game \"/my games/data.win\"", {"-game", "/my games/data.win"}}, {"a\"b c\"d \"e f g", {"ab cd", "e f g"}},
        {"\"\"", {""}}, {"-game /jeux/\xc3\xa9t\xc3\xa9.win", {"-game", "/jeux/\xc3\xa9t\xc3\xa9.win"}}};
    for (const auto& [text, tokens] : cases) EXPECT_EQ(tokens, Tokens(text)) << text;
    EXPECT_EQ(5u, NextCommandLineToken(5, "abcde"));
    EXPECT_STREQ("", g_CommandToken);
    EXPECT_EQ(0u, NextCommandLineToken(0, nullptr));
    // A long token keeps its first 4095 characters and skips the rest.
    std::string text = std::string(5000, 'x') + " next";
    EXPECT_EQ(5000u, NextCommandLineToken(0, text.c_str()));
    EXPECT_EQ(std::string(4095, 'x'), g_CommandToken);
    NextCommandLineToken(5000, text.c_str());
    EXPECT_STREQ("next", g_CommandToken);
    // Arguments join so that the tokenizer gives them back.
    const char* argv[] = {"/usr/bin/kelvaro", "-game", "/my games/a.win", "", "-debug"};
    EXPECT_EQ(Texts(argv, argv + 5), Tokens(CommandLine_FromArguments(5, argv).c_str()));
    // The copy keeps 8191 characters and cuts longer lines.
    for (const std::string& text : {std::string(8191, 'a'), std::string(8191, 'b') + "cdef"}) {
        CommandLine_Copy(text.c_str());
        EXPECT_EQ(text.substr(0, 8191), g_CommandLine);
    }
    CommandLine_Copy(nullptr);
    EXPECT_STREQ("", g_CommandLine);
}

TEST_F(CommandLineTest, FlagSwitchesAndWhichOfThemEveryParseResets)
{
    auto flags = [] {
        return std::vector<int>{g_DebugMode, g_DebugOverlayFlags, g_ExtCallFlag, g_UseBytecode, g_NoAudio,
                                g_OptionInAWindow, g_RecordInput, g_TraceFlag, g_SteamSwitch, g_GameOptions.showErrors};
    };
    // Switches are exact and case-sensitive.
    ParseCommandLine("-DEBUG -debugx debug --debug -Trace");
    EXPECT_EQ((std::vector<int>{0, 0, 0, 1, 0, 0, 0, 0, 0, 1}), flags());
    ParseCommandLine("kelvaro -debug -trace -ext -noerrors -oldexec -noaudio -inawindow -steam -record r.rec");
    EXPECT_EQ((std::vector<int>{1, 2, 1, 0, 1, 1, 1, 1, 1, 0}), flags());
    // The last three keep their values across parses.
    ParseCommandLine("");
    EXPECT_EQ((std::vector<int>{0, 0, 0, 1, 0, 0, 0, 1, 1, 0}), flags());
}

TEST_F(CommandLineTest, ValueSwitches)
{
    ParseCommandLine("kelvaro -game \"/a b/first.win\" -game second.win -output script.log -debugoutput main.log");
    EXPECT_STREQ("/a b/first.win", App_GetGameFileName()) << "the first name wins";
    EXPECT_EQ(std::make_tuple(true, std::string("script.log"), true, std::string("main.log")),
              std::tie(g_ConsoleLogOn[CONSOLE_SCRIPT], g_ConsoleLogFile[CONSOLE_SCRIPT], g_ConsoleLogOn[CONSOLE_MAIN],
                       g_ConsoleLogFile[CONSOLE_MAIN]));
    // Record then playback keeps both flags and the second name; a value is taken even when it looks like
    // a switch, and a value switch standing last takes an empty value.
    ParseCommandLine("-record one.rec -playback two.rec");
    EXPECT_EQ(std::make_tuple(1, 1, std::string("two.rec")),
              std::tie(g_RecordInput, g_PlaybackInput, g_RecordFileName));
    ParseCommandLine("-playback -debug");
    EXPECT_EQ(std::make_tuple(1, 0, std::string("-debug")), std::tie(g_PlaybackInput, g_DebugMode, g_RecordFileName));
    ParseCommandLine("-record");
    EXPECT_EQ(std::make_tuple(1, std::string("")), std::tie(g_RecordInput, g_RecordFileName));
    App_ClearGameFileName();
    ParseCommandLine("-debug -game");
    EXPECT_STREQ("", App_GetGameFileName());
}
