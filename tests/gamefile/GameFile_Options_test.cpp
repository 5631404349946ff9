#include "gamefile/GameFile_Options.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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

TEST_F(OptionsTest, TheResetRestoresTheDefaultsButKeepsAudioOrderAndShowErrors)
{
    GameOptions& o = g_GameOptions;
    o.fullScreen = o.freezeWhenInactive = o.newAudio = o.createEventBeforeCode = true;
    o.CursorShown = 0;
    o.windowColour = 0;
    o.kept5 = 1;
    o.kept28 = 0;
    o.kept16 = o.kept23 = o.kept29 = o.altEnterSwitches = false;
    o.showErrors = false; // "-noerrors"
    Options_Reset();
    EXPECT_EQ(std::tuple(false, false, 1, 100u, 0xFFFFFFu, 255, true, true, true, false),
              std::tuple(o.fullScreen, o.freezeWhenInactive, int(o.CursorShown), o.kept5, o.windowColour,
                         int(o.kept28), o.kept16 && o.kept23 && o.kept29 && o.altEnterSwitches, o.newAudio,
                         o.createEventBeforeCode, o.showErrors));
    // And so through a whole load: "-noerrors" survives the main pass; "-inawindow" forces full
    // screen off.
    gamebuild::GameDesc game = Game();
    game.options.words[0] = 1;
    g_OptionInAWindow = true;
    ASSERT_TRUE(Load(game));
    EXPECT_FALSE(g_GameOptions.showErrors);
    EXPECT_FALSE(g_GameOptions.fullScreen);
}

TEST_F(OptionsTest, BeforeHeaderVersion5TheCreateEventOrderKeepsItsValue)
{
    for (auto [version, word, before, after] : {std::tuple{4, 1u, false, false}, {4, 0u, true, true},
                                                {5, 1u, false, true}}) {
        gamebuild::GameDesc game = Game(version);
        game.options.words[34] = word;
        g_GameOptions.createEventBeforeCode = before;
        ASSERT_TRUE(Load(game)) << m_Log.Text();
        EXPECT_EQ(after, g_GameOptions.createEventBeforeCode) << version << " " << word;
    }
}

// A later chunk reuses the blocks large enough for its texts and drops surplus entries.
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
    EXPECT_STREQ("none", g_ConstantValues[2]);
    EXPECT_EQ(std::tuple(nullptr, nullptr), std::tuple(g_ConstantNames[2], g_ConstantValues[4]));
    EXPECT_EQ(std::pair(3, 14), std::pair(g_GameOptions.versionMajor, g_GameOptions.versionMinor));

    char* longName = g_ConstantNames[0];
    game.options.constants = {{"Short", "v"}, {"MuchLongerThanVersionMinor", "2"}};
    ASSERT_TRUE(Load(game));
    ASSERT_EQ(2, g_ConstantCount);
    EXPECT_EQ(longName, g_ConstantNames[0]);
    EXPECT_STREQ("MuchLongerThanVersionMinor", g_ConstantNames[1]);
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

// Debug=0 turns debugging off but leaves the overlay; absent keys and other sections change nothing.
TEST_F(OptionsTest, OptionsIniOrientationDebugAndTrace)
{
    g_DebugMode = 0;
    g_DebugOverlayFlags = 0;
    g_TraceFlag = 0;
    const struct {
        const char* text;
        std::vector<int32_t> expected; // debug, overlay, trace, portrait, landscape flipped, landscape
    } cases[] = {
        {"[DEFAULT]\nOrientPortrait=0\nOrientLandscapeFlipped=-1\nDebug=7\nTrace=1\n", {1, 2, 1, 0, 1, 1}},
        {"[DEFAULT]\nDebug=0\n", {0, 2, 1, 1, 1, 1}},
        {"[OTHER]\nDebug=1\nTrace=0\nOrientPortrait=0\n", {0, 2, 1, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        IniFile ini;
        ini.Parse(c.text);
        Options_ReadIni(&ini);
        const IniOptions& o = g_IniOptions;
        EXPECT_EQ(c.expected, (std::vector<int32_t>{g_DebugMode, g_DebugOverlayFlags, g_TraceFlag, o.orientPortrait,
                                                    o.orientLandscapeFlipped, o.orientLandscape}))
            << c.text;
    }
    g_DebugOverlayFlags = 0;
    g_TraceFlag = 0;
}
