#include "gamefile/GameFile_Options.h"

#include <gtest/gtest.h>

#include "GameFileTestSupport.h"
#include "app/App_CommandLine.h"
#include "base/Base_Ini.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"

namespace {

class OptionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        GameHeader_Clear();
        g_GameOptions = GameOptions();
        g_OptionInAWindow = false;
    }
    void TearDown() override
    {
        g_OptionInAWindow = false;
        Options_FreeConstants();
    }
    // Loads a game whose header has the version and whose options chunk the description gives.
    bool Load(const gamebuild::GameDesc& game)
    {
        LoadInto(m_File, BuildBytes(game));
        LoadGameCode(m_File);
        return LoadGameChunks(m_File);
    }
    static gamebuild::GameDesc Game(int32_t version = 13)
    {
        gamebuild::GameDesc game;
        game.header.version = version;
        if (version <= 7) game.header.hasSaveFolder = false;
        return game;
    }
    GameFile m_File;
    CapturedLog m_Log;
};

} // namespace

TEST_F(OptionsTest, TheWordsReachTheirOptions)
{
    gamebuild::GameDesc game = Game();
    uint32_t* w = game.options.words;
    w[0] = 1;          // full screen
    w[2] = 1;          // newer audio
    w[4] = 0;          // no cursor
    w[8] = 0x336699;   // window colour
    w[9] = 1;
    w[10] = 2;
    w[11] = 4;
    w[12] = 5;
    w[15] = 0;         // no Alt+Enter
    w[22] = 7;         // any non-zero word is on
    w[28] = 0;
    w[32] = 1;
    w[33] = 1;
    w[34] = 1;
    ASSERT_TRUE(Load(game)) << m_Log.Text();
    const GameOptions& o = g_GameOptions;
    EXPECT_TRUE(o.fullScreen);
    EXPECT_TRUE(o.newAudio);
    EXPECT_EQ(0, o.CursorShown);
    EXPECT_EQ(0x336699u, o.windowColour);
    EXPECT_TRUE(o.setDisplayMode);
    EXPECT_EQ(2, o.colourDepthCode);
    EXPECT_EQ(4, o.resolutionCode);
    EXPECT_EQ(5, o.frequencyCode);
    EXPECT_FALSE(o.altEnterSwitches);
    EXPECT_TRUE(o.freezeWhenInactive);
    EXPECT_EQ(0, o.kept28);
    EXPECT_TRUE(o.abortOnError);
    EXPECT_TRUE(o.unsetVariableIsError);
    EXPECT_TRUE(o.createEventBeforeCode);
}

TEST_F(OptionsTest, TheResetRestoresTheDefaultsButKeepsAudioOrderAndShowErrors)
{
    g_GameOptions.fullScreen = true;
    g_GameOptions.CursorShown = 0;
    g_GameOptions.windowColour = 0;
    g_GameOptions.kept5 = 1;
    g_GameOptions.kept28 = 0;
    g_GameOptions.freezeWhenInactive = true;
    g_GameOptions.newAudio = true;
    g_GameOptions.createEventBeforeCode = true;
    g_GameOptions.showErrors = false; // "-noerrors"
    Options_Reset();
    const GameOptions& o = g_GameOptions;
    EXPECT_FALSE(o.fullScreen);
    EXPECT_EQ(1, o.CursorShown);
    EXPECT_EQ(0xFFFFFFu, o.windowColour);
    EXPECT_EQ(100u, o.kept5);
    EXPECT_EQ(255, o.kept28);
    EXPECT_TRUE(o.altEnterSwitches);
    EXPECT_TRUE(o.kept16 && o.kept17 && o.kept18 && o.kept19 && o.kept20 && o.kept23 && o.kept29);
    EXPECT_FALSE(o.freezeWhenInactive);
    EXPECT_TRUE(o.newAudio);
    EXPECT_TRUE(o.createEventBeforeCode);
    EXPECT_FALSE(o.showErrors);

    // And so through a whole load: "-noerrors" survives the main pass.
    ASSERT_TRUE(Load(Game()));
    EXPECT_FALSE(g_GameOptions.showErrors);
}

TEST_F(OptionsTest, BeforeHeaderVersion5TheCreateEventOrderKeepsItsValue)
{
    gamebuild::GameDesc game = Game(4);
    game.options.words[34] = 1;
    g_GameOptions.createEventBeforeCode = false;
    ASSERT_TRUE(Load(game)) << m_Log.Text();
    EXPECT_FALSE(g_GameOptions.createEventBeforeCode);

    g_GameOptions.createEventBeforeCode = true;
    game.options.words[34] = 0;
    ASSERT_TRUE(Load(game));
    EXPECT_TRUE(g_GameOptions.createEventBeforeCode);

    game = Game(5);
    game.options.words[34] = 1;
    g_GameOptions.createEventBeforeCode = false;
    ASSERT_TRUE(Load(game));
    EXPECT_TRUE(g_GameOptions.createEventBeforeCode);
}

TEST_F(OptionsTest, InAWindowForcesFullScreenOff)
{
    gamebuild::GameDesc game = Game();
    game.options.words[0] = 1;
    g_OptionInAWindow = true;
    ASSERT_TRUE(Load(game));
    EXPECT_FALSE(g_GameOptions.fullScreen);
}

TEST_F(OptionsTest, ConstantsAreCopiedAndTheVersionIsTakenFromThem)
{
    gamebuild::GameDesc game = Game();
    game.options.constants = {{"VersionMajor", "3"},
                              {"VersionMinor", "14abc"},
                              {"", "none", false, true}, // no name
                              {"versionmajor", "99"},    // another case: not the version
                              {"Title", "", true, false}};
    ASSERT_TRUE(Load(game)) << m_Log.Text();
    ASSERT_EQ(5, g_ConstantCount);
    EXPECT_STREQ("VersionMajor", g_ConstantNames[0]);
    EXPECT_STREQ("3", g_ConstantValues[0]);
    EXPECT_EQ(nullptr, g_ConstantNames[2]);
    EXPECT_STREQ("none", g_ConstantValues[2]);
    EXPECT_STREQ("versionmajor", g_ConstantNames[3]);
    EXPECT_STREQ("Title", g_ConstantNames[4]);
    EXPECT_EQ(nullptr, g_ConstantValues[4]);
    EXPECT_EQ(3, g_GameOptions.versionMajor);
    EXPECT_EQ(14, g_GameOptions.versionMinor);
}

TEST_F(OptionsTest, ALaterChunkReusesBlocksLargeEnoughAndDropsSurplusEntries)
{
    gamebuild::GameDesc game = Game();
    game.options.constants = {{"ALongConstantName", "a long value text"}, {"B", "2"}, {"C", "3"}};
    ASSERT_TRUE(Load(game));
    char* longName = g_ConstantNames[0];
    char* shortName = g_ConstantNames[1];

    game.options.constants = {{"Short", "v"}, {"MuchLongerThanB", "2"}};
    ASSERT_TRUE(Load(game));
    ASSERT_EQ(2, g_ConstantCount);
    EXPECT_EQ(longName, g_ConstantNames[0]); // reused: large enough
    EXPECT_STREQ("Short", g_ConstantNames[0]);
    EXPECT_NE(shortName, g_ConstantNames[1]); // "B" was too small for the new name
    EXPECT_STREQ("MuchLongerThanB", g_ConstantNames[1]);
}

TEST_F(OptionsTest, AMalformedChunkIsRefusedAndChangesNothing)
{
    gamebuild::GameDesc game = Game();
    game.options.words[22] = 1;
    game.options.constants = {{"K", "V"}};
    std::vector<uint8_t> bytes = BuildBytes(game);
    size_t options = FindChunk(bytes, "OPTN") + 8;

    std::vector<uint8_t> broken = bytes;
    WriteWord(broken, options + 144, static_cast<uint32_t>(bytes.size())); // a name past the end
    LoadInto(m_File, broken);
    LoadGameCode(m_File);
    EXPECT_FALSE(LoadGameChunks(m_File));
    EXPECT_TRUE(m_Log.Has("Options: constant 0 has a name at file offset"));
    EXPECT_TRUE(m_Log.Has("Malformed Chunk OPTN"));
    EXPECT_FALSE(g_GameOptions.freezeWhenInactive);
    EXPECT_EQ(0, g_ConstantCount);

    broken = bytes;
    WriteWord(broken, options + 140, 2); // two pairs where the chunk holds one
    LoadInto(m_File, broken);
    EXPECT_FALSE(LoadGameChunks(m_File));
    EXPECT_TRUE(m_Log.Has("Options: 2 constants do not fit a body of 152 bytes\n"));

    // A body shorter than the option words.
    EXPECT_FALSE(Options_Load(m_File, static_cast<uint32_t>(options), 140));
    EXPECT_TRUE(m_Log.Has("Options: a body of 140 bytes is shorter than the 144 the option words take\n"));
}

TEST_F(OptionsTest, OptionsIniOrientationDebugAndTrace)
{
    g_DebugMode = 0;
    g_DebugOverlayFlags = 0;
    g_TraceFlag = 0;
    IniFile ini;
    ini.Parse("[DEFAULT]\nOrientPortrait=0\nOrientLandscapeFlipped=-1\nDebug=7\nTrace=1\n");
    Options_ReadIni(&ini);
    EXPECT_FALSE(g_IniOptions.orientPortrait);
    EXPECT_TRUE(g_IniOptions.orientLandscapeFlipped);
    EXPECT_TRUE(g_IniOptions.orientLandscape); // missing: allowed
    EXPECT_TRUE(g_IniOptions.orientPortraitFlipped);
    EXPECT_EQ(1, g_DebugMode);
    EXPECT_EQ(2, g_DebugOverlayFlags);
    EXPECT_EQ(1, g_TraceFlag);

    // Debug=0 turns debugging off but leaves the overlay; absent keys change nothing.
    IniFile off;
    off.Parse("[DEFAULT]\nDebug=0\n");
    Options_ReadIni(&off);
    EXPECT_EQ(0, g_DebugMode);
    EXPECT_EQ(2, g_DebugOverlayFlags);
    EXPECT_EQ(1, g_TraceFlag);
    IniFile other;
    other.Parse("[OTHER]\nDebug=1\nTrace=0\nOrientPortrait=0\n");
    Options_ReadIni(&other);
    EXPECT_EQ(0, g_DebugMode);
    EXPECT_EQ(1, g_TraceFlag);
    EXPECT_TRUE(g_IniOptions.orientPortrait);
    g_DebugOverlayFlags = 0;
    g_TraceFlag = 0;
}
