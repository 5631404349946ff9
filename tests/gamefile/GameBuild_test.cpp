// The builder: manifests read into descriptions, descriptions into files the loader reads back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "GameFileTestSupport.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Strings.h"

namespace {

const char* const MANIFEST = R"({
  "header": {
    "tag": "GEN8", "version": 12, "debug": 0, "name": "Crates", "config": "Default",
    "saveFolder": "CratesSave", "gameId": 77, "windowWidth": 320, "windowHeight": 240,
    "infoFlags": ["fullscreen", "roamingSave"], "displayName": "Crates!", "optionBits": "0x4",
    "roomOrder": [2, 0]
  },
  "options": {
    "freezeWhenInactive": true, "windowColour": "0x00FF00", "words": {"5": 42},
    "constants": [{"name": "VersionMajor", "value": "1"}, {"name": "VersionMinor", "value": null}]
  },
  "strings": ["extra"],
  "rawChunks": [{"tag": "HELP", "hex": "de ad be ef"}]
})";

} // namespace

TEST(GameBuild, AManifestBuildsAFileTheLoaderReadsBack)
{
    gamebuild::GameDesc game;
    std::string errors;
    ASSERT_TRUE(gamebuild::ReadManifest(MANIFEST, ".", game, errors)) << errors;
    std::vector<uint8_t> bytes = BuildBytes(game);
    size_t help = FindChunk(bytes, "HELP");
    ASSERT_NE(0u, help);
    EXPECT_EQ(4u, ReadWord(bytes, help + 4));
    EXPECT_EQ(0xEFBEADDEu, ReadWord(bytes, help + 8));

    CapturedLog log;
    GameHeader_Clear();
    g_GameOptions = GameOptions();
    GameFile file;
    LoadInto(file, bytes);
    LoadGameCode(file);
    ASSERT_TRUE(LoadGameChunks(file)) << log.Text();
    EXPECT_EQ(12, g_GameHeader.version);
    EXPECT_EQ(0, g_GameHeader.debugByte);
    EXPECT_STREQ("Crates", g_GameHeader.name);
    EXPECT_EQ("CratesSave", g_GameHeader.saveFolder);
    EXPECT_EQ(77u, g_GameHeader.gameId);
    EXPECT_EQ(320, g_GameHeader.windowWidth);
    EXPECT_EQ(HEADER_FLAG_FULLSCREEN | HEADER_FLAG_ROAMING_SAVE, g_GameHeader.infoFlags);
    EXPECT_STREQ("Crates!", g_GameHeader.displayName);
    EXPECT_EQ(HEADER_OPTION_GAMEPADS, GameHeader_OptionFlags());
    EXPECT_EQ((std::vector<int32_t>{2, 0}), g_GameHeader.roomOrder);
    EXPECT_TRUE(g_GameOptions.freezeWhenInactive);
    EXPECT_EQ(0x00FF00u, g_GameOptions.windowColour);
    EXPECT_EQ(42u, g_GameOptions.kept5);
    ASSERT_EQ(2, g_ConstantCount);
    EXPECT_EQ(nullptr, g_ConstantValues[1]);
    EXPECT_EQ(1, g_GameOptions.versionMajor);
    EXPECT_STREQ("extra", StringTable_Get(file, 0));
    Options_FreeConstants();
}

TEST(GameBuild, ManifestMistakesAreAllReportedWithTheirPlace)
{
    const char* text = R"({
      "header": {"versio": 3, "version": "twelve", "roomOrder": [1, "x"], "infoFlags": ["wide"]},
      "options": {"words": {"35": 1, "a": 2}, "showCursor": 1.5},
      "rawChunks": [{"tag": "TOOLONG", "hex": "abc"}],
      "extra": 1
    })";
    gamebuild::GameDesc game;
    std::string errors;
    EXPECT_FALSE(gamebuild::ReadManifest(text, ".", game, errors));
    for (const char* expected : {"header.versio: unknown key\n", "header.version: expected a whole number",
                                 "header.roomOrder[1]: expected a whole number", "header.infoFlags[0]: not an info flag name\n",
                                 "options.words.35: not a word number from 0 to 34\n", "options.words.a: not a word",
                                 "options.showCursor: expected a whole number", "rawChunks[0].hex: an odd number of hex digits\n",
                                 "rawChunks[0].tag: expected four characters\n", "extra: unknown key\n"})
        EXPECT_NE(std::string::npos, errors.find(expected)) << expected << "\nin:\n" << errors;

    EXPECT_FALSE(gamebuild::ReadManifest("{\"header\": ", ".", game, errors));
    EXPECT_NE(std::string::npos, errors.find("manifest: not JSON")) << errors;
    EXPECT_FALSE(gamebuild::ReadManifest(R"({"header": {"gameId": -1, "debug": 256}})", ".", game, errors));
    EXPECT_NE(std::string::npos, errors.find("header.gameId: out of range")) << errors;
    EXPECT_NE(std::string::npos, errors.find("header.debug: out of range")) << errors;
}

TEST(GameBuild, DescriptionsTheFormatCannotHoldAreRefused)
{
    std::vector<uint8_t> bytes;
    std::string errors;

    gamebuild::GameDesc old;
    old.header.version = 7;
    old.header.roomOrder = {0};
    EXPECT_FALSE(gamebuild::BuildGame(old, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("give no save folder")) << errors;

    gamebuild::GameDesc later;
    later.header.version = 14;
    EXPECT_FALSE(gamebuild::BuildGame(later, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("shares offset 100")) << errors;

    gamebuild::GameDesc lateStrings;
    lateStrings.options.constants = {{"K", "V"}};
    lateStrings.chunkOrder = {"GEN8", "STRG", "OPTN"};
    EXPECT_FALSE(gamebuild::BuildGame(lateStrings, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("the string \"K\" is not in the strings chunk")) << errors;

    gamebuild::GameDesc missing;
    missing.chunkOrder = {"GEN8", "SPRT", "STRG"};
    EXPECT_FALSE(gamebuild::BuildGame(missing, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("names SPRT")) << errors;

    gamebuild::GameDesc badTag;
    badTag.header.tag = "GEN9";
    EXPECT_FALSE(gamebuild::BuildGame(badTag, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("none of GEN8, GEN7, GENL")) << errors;
}

TEST(GameBuild, TheToolWritesWhatTheWritersBuild)
{
    std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "gamebuild_tool_game";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    {
        std::ofstream manifest(folder / "game.json");
        manifest << MANIFEST;
    }
    std::filesystem::path output = folder / "data.win";
    std::string command = std::string(GAMEBUILD_EXECUTABLE) + " " + folder.string() + " -o " + output.string();
    ASSERT_EQ(0, std::system(command.c_str()));
    std::ifstream in(output, std::ios::binary);
    std::vector<uint8_t> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    gamebuild::GameDesc game;
    std::string errors;
    ASSERT_TRUE(gamebuild::ReadManifest(MANIFEST, folder.string(), game, errors)) << errors;
    EXPECT_EQ(BuildBytes(game), written);

    // A broken manifest: exit code 1 and no file.
    {
        std::ofstream manifest(folder / "game.json");
        manifest << R"({"header": {"version": true, "nope": 1}})";
    }
    std::filesystem::remove(output);
    EXPECT_NE(0, std::system((command + " 2>/dev/null").c_str()));
    EXPECT_FALSE(std::filesystem::exists(output));
    std::filesystem::remove_all(folder);
}
