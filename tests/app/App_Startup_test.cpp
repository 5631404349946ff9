#include "app/App_Startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <unistd.h>

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "base/Base_Random.h"
#include "run/Run_Globals.h"

namespace fs = std::filesystem;

TEST(StartupTest, DataWinBesideTheProgramIsTheGameAndTheCommandLineIsIgnored)
{
    fs::path folder = fs::temp_directory_path() / ("kelvaro-start-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string program = (folder / "kelvaro").string();
    App_ClearGameFileName();
    EXPECT_FALSE(App_ChooseGameFile(program.c_str(), "kelvaro -debug -game other.win"));
    EXPECT_STREQ("other.win", App_GetGameFileName());
    EXPECT_EQ(1, g_DebugMode);
    std::ofstream(folder / "data.win") << "FORM";
    App_ClearGameFileName();
    EXPECT_TRUE(App_ChooseGameFile(program.c_str(), "kelvaro -debug -game other.win -debugoutput x.log"));
    EXPECT_EQ((folder / "data.win").string(), App_GetGameFileName());
    EXPECT_EQ(0, g_DebugMode);
    EXPECT_FALSE(g_ConsoleLogOn[CONSOLE_MAIN]);
    fs::remove_all(folder);
    App_ClearGameFileName();
    ParseCommandLine(nullptr);
}

TEST(StartupTest, FamiliesAreLoggedRunTogetherAndEndedByFini)
{
    testing::internal::CaptureStdout();
    RegisterAllFunctionFamilies();
    std::string log = testing::internal::GetCapturedStdout();
    // The Gamepad family makes four pads as it registers, each logging a line of its own.
    std::regex pad("GAMEPAD: 4 axis values \\(last\\) at 0x[0-9a-fA-F]+\n");
    EXPECT_EQ(4, std::distance(std::sregex_iterator(log.begin(), log.end(), pad), std::sregex_iterator())) << log;
    EXPECT_EQ("HighScore..Game..Math..Graphic..Action..File..Resource..Interaction..3D..Particle..Misc..DS..Sound.."
              "DPlay..Physics..Gamepad..Buffers..Networking..Shaders..Wexo..Fini\n",
              std::regex_replace(log, pad, ""));
}

TEST(StartupTest, InitAllSetsTheRunGlobals)
{
    g_RunState = 1, g_Score = 12, g_Lives = 3, g_Health = 5.0, g_ShowScore = 0, g_CaptionHealth = "x";
    EXPECT_TRUE(InitAll());
    EXPECT_EQ(std::make_tuple(0, 0, -1, 100.0, 1, 0, 1),
              std::make_tuple(g_RunState, g_Score, g_Lives, g_Health, g_ShowScore, g_ShowLives, g_DrawEventEnabled));
    EXPECT_EQ("Health: ", g_CaptionHealth);
    EXPECT_EQ("", g_CaptionScore);
    // The generator starts from seed 0's sequence, never from the all-zero state that draws 0.
    uint32_t drawn = 0;
    for (int i = 0; i < 4; ++i) drawn |= Random_Next();
    EXPECT_NE(0u, drawn);
    EXPECT_EQ(0u, Random_GetSeed());
}

TEST(StartupTest, AGameThatCannotBeLoadedIsNotStarted)
{
    // No game file has been read: the main pass has nothing and start-up stops at "Do The Work".
    testing::internal::CaptureStdout();
    EXPECT_FALSE(LoadAndStartGame());
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, log.find("Failed to load the game\n")) << log;
    EXPECT_EQ(std::string::npos, log.find("PrepareGame()")) << log;
    EXPECT_EQ(0, g_RunState);
}
