#include "app/App_Startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "base/Base_Random.h"
#include "run/Run_Globals.h"

namespace fs = std::filesystem;

namespace {

class StartupTest : public testing::Test {
  protected:
    void SetUp() override
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        m_Folder = fs::temp_directory_path() /
                   ("kelvaro-start-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::create_directories(m_Folder);
        App_ClearGameFileName();
    }
    void TearDown() override
    {
        fs::remove_all(m_Folder);
        App_ClearGameFileName();
        Console_SetLogFile(CONSOLE_MAIN, nullptr);
        ParseCommandLine(nullptr);
    }

    fs::path m_Folder;
};

} // namespace

TEST_F(StartupTest, DataWinBesideTheProgramIsTheGameAndTheCommandLineIsIgnored)
{
    std::ofstream(m_Folder / "data.win") << "FORM";
    std::string program = (m_Folder / "kelvaro").string();
    EXPECT_TRUE(App_ChooseGameFile(program.c_str(), "kelvaro -debug -game other.win -debugoutput x.log"));
    EXPECT_EQ((m_Folder / "data.win").string(), App_GetGameFileName());
    EXPECT_EQ(0, g_DebugMode);
    EXPECT_FALSE(g_ConsoleLogOn[CONSOLE_MAIN]);
}

TEST_F(StartupTest, WithoutDataWinTheCommandLineIsRead)
{
    std::string program = (m_Folder / "kelvaro").string();
    EXPECT_FALSE(App_ChooseGameFile(program.c_str(), "kelvaro -debug -game other.win"));
    EXPECT_STREQ("other.win", App_GetGameFileName());
    EXPECT_EQ(1, g_DebugMode);
}

TEST_F(StartupTest, FamiliesAreLoggedRunTogetherAndEndedByFini)
{
    testing::internal::CaptureStdout();
    RegisterAllFunctionFamilies();
    std::string log = testing::internal::GetCapturedStdout();
    // The Gamepad family makes four pads as it registers, each logging a line of its own.
    for (int pad = 0; pad < 4; ++pad) {
        size_t at = log.find("GAMEPAD: 4 axis values (last) at 0x");
        ASSERT_NE(std::string::npos, at) << log;
        log.erase(at, log.find('\n', at) + 1 - at);
    }
    EXPECT_EQ(
        "HighScore..Game..Math..Graphic..Action..File..Resource..Interaction..3D..Particle..Misc..DS..Sound.."
        "DPlay..Physics..Gamepad..Buffers..Networking..Shaders..Wexo..Fini\n",
        log);
}

TEST_F(StartupTest, InitAllSetsTheRunGlobals)
{
    g_RunState = 1;
    g_Score = 12;
    g_Lives = 3;
    g_Health = 5.0;
    g_ShowScore = 0;
    g_CaptionHealth = "x";
    EXPECT_TRUE(InitAll());
    EXPECT_EQ(0, g_RunState);
    EXPECT_EQ(0, g_Score);
    EXPECT_EQ(-1, g_Lives);
    EXPECT_EQ(100.0, g_Health);
    EXPECT_EQ(1, g_ShowScore);
    EXPECT_EQ(0, g_ShowLives);
    EXPECT_EQ(1, g_DrawEventEnabled);
    EXPECT_EQ("Health: ", g_CaptionHealth);
    EXPECT_EQ("", g_CaptionScore);
    // The generator starts from seed 0's sequence, never from the all-zero state that draws 0.
    uint32_t drawn = 0;
    for (int i = 0; i < 4; ++i) drawn |= Random_Next();
    EXPECT_NE(0u, drawn);
    EXPECT_EQ(0u, Random_GetSeed());
}

TEST_F(StartupTest, AGameThatCannotBeLoadedIsNotStarted)
{
    // No game file has been read: the main pass has nothing and start-up stops at "Do The Work".
    testing::internal::CaptureStdout();
    bool started = LoadAndStartGame();
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(started);
    EXPECT_NE(std::string::npos, log.find("Failed to load the game\n")) << log;
    EXPECT_EQ(std::string::npos, log.find("PrepareGame()")) << log;
    EXPECT_EQ(0, g_RunState);
}
