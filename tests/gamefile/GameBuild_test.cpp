// The builder: manifests read into descriptions, descriptions (scripts, objects and events in source
// form or as compiled code with its link chunks) into files the loader reads back.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "GameFileTestSupport.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Strings.h"
#include "object/Object_Table.h"
#include "script/Script_Table.h"

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

class GameBuild : public testing::Test {
protected:
    void SetUp() override
    {
        GameHeader_Clear();
        g_GameOptions = GameOptions();
    }
    void TearDown() override
    {
        Object_ResetTable();
        Script_Reset();
        Options_FreeConstants();
    }
    static gamebuild::GameDesc Read(const char* manifest)
    {
        gamebuild::GameDesc game;
        std::string errors;
        EXPECT_TRUE(gamebuild::ReadManifest(manifest, ".", game, errors)) << errors;
        return game;
    }

    GameFile m_File;
    CapturedLog m_Log;
};

} // namespace

// Flag names, hexadecimal texts, word numbers, null constants, extra strings and raw chunks become
// the description; the chunks' own layouts are pinned byte by byte elsewhere.
TEST_F(GameBuild, AManifestBuildsAFileTheLoaderReadsBack)
{
    gamebuild::GameDesc game = Read(MANIFEST);
    EXPECT_EQ(std::tuple(HEADER_FLAG_FULLSCREEN | HEADER_FLAG_ROAMING_SAVE, uint64_t{4}, 42u, false),
              std::tuple(game.header.infoFlags, game.header.optionBits, game.options.words[5],
                         game.options.constants[1].hasValue));
    std::vector<uint8_t> bytes = BuildBytes(game);
    size_t help = FindChunk(bytes, "HELP");
    ASSERT_NE(0u, help);
    EXPECT_EQ(0xEFBEADDEu, ReadWord(bytes, help + 8));
    ASSERT_TRUE(LoadBothPasses(m_File, bytes)) << m_Log.Text();
    EXPECT_EQ((std::vector<int32_t>{2, 0}), g_GameHeader.roomOrder);
    EXPECT_EQ(std::tuple(true, 0x00FF00u, 1), std::tuple(g_GameOptions.freezeWhenInactive, g_GameOptions.windowColour,
                                                        g_GameOptions.versionMajor));
    EXPECT_STREQ("extra", StringTable_Get(m_File, 0));
}

TEST_F(GameBuild, ManifestMistakesAreAllReportedWithTheirPlace)
{
    const struct {
        const char* text;
        std::vector<const char*> messages;
    } cases[] = {
        {R"({"header": {"versio": 3, "roomOrder": [1, "x"], "infoFlags": ["wide"]},
             "options": {"words": {"35": 1, "a": 2}}, "rawChunks": [{"tag": "TOOLONG", "hex": "abc"}]})",
         {"header.versio: unknown key\n", "header.roomOrder[1]: expected a whole number",
          "header.infoFlags[0]: not an info flag name\n", "options.words.35: not a word number from 0 to 34\n", "options.words.a: not a word",
          "rawChunks[0].hex: an odd number of hex digits\n", "rawChunks[0].tag: expected four characters\n"}},
        {"{\"header\": ", {"manifest: not JSON"}},
        {R"({"header": {"gameId": -1}})", {"header.gameId: out of range"}},
        {R"({"codeForm": "bytes", "objects": [{"name": "a", "parent": "nobody", "events": [{"type": "jump"}],
                                               "physics": {"points": [[1]]}}]})",
         {"codeForm: expected \"source\" or \"compiled\"", "objects[0].parent: no object is named nobody",
          "objects[0].events[0].type: not an event type: jump", "objects[0].physics.points[0]: expected [x, y]"}},
    };
    for (const auto& c : cases) {
        gamebuild::GameDesc game;
        std::string errors;
        EXPECT_FALSE(gamebuild::ReadManifest(c.text, ".", game, errors));
        for (const char* expected : c.messages)
            EXPECT_NE(std::string::npos, errors.find(expected)) << expected << "\nin:\n" << errors;
    }
}

TEST_F(GameBuild, DescriptionsTheFormatCannotHoldAreRefused)
{
    using Change = std::function<void(gamebuild::GameDesc&)>;
    auto event = [](int32_t type, const char* source) {
        return Change([=](gamebuild::GameDesc& g) {
            g.compiledCode = true;
            g.objects.resize(1);
            g.objects[0].name = "o";
            g.objects[0].events.resize(1);
            g.objects[0].events[0].type = type;
            g.objects[0].events[0].code.source = source;
        });
    };
    const struct {
        Change change;
        const char* message;
    } cases[] = {
        {[](auto& g) { g.header.version = 7; g.header.roomOrder = {0}; }, "give no save folder"},
        {[](auto& g) { g.options.constants = {{"K", "V"}}; g.chunkOrder = {"GEN8", "STRG", "OPTN"}; },
         "the string \"K\" is not in the strings chunk"},
        {[](auto& g) { g.header.version = 14; }, "shares offset 100"},
        {[](auto& g) { g.chunkOrder = {"GEN8", "SPRT", "STRG"}; }, "names SPRT"},
        {[](auto& g) { g.header.tag = "GEN9"; }, "none of GEN8, GEN7, GENL"},
        {[](auto& g) { g.scripts.resize(1); g.scripts[0].name = "s"; g.scripts[0].code.isAssembly = true; },
         "scripts[0]: assembly needs a game of compiled code"},
        {event(0, "x = ;"), "objects[0].events[0]: Error in code at line 1"},
        {event(12, ""), "event type 12 is not 0 to 11"},
        {[](auto& g) { g.compiledCode = true; g.chunkOrder = {"GEN8", "VARI", "CODE", "FUNC", "STRG"}; },
         "the VARI chunk must follow the CODE chunk"},
    };
    for (const auto& c : cases) {
        gamebuild::GameDesc game;
        c.change(game);
        std::vector<uint8_t> bytes;
        std::string errors;
        EXPECT_FALSE(gamebuild::BuildGame(game, bytes, errors)) << c.message;
        EXPECT_NE(std::string::npos, errors.find(c.message)) << c.message << "\nin:\n" << errors;
    }
}

// Compiled code names every kind of resource by its index: a name compiles as its index would. Sounds
// go by name, or with the newer audio system by their file name without the extension.
TEST_F(GameBuild, CompiledCodeNamesResourcesByIndex)
{
    const char* resources = R"("sprites": [{"name": "spr_a"}, {"name": "spr_b"}], "fonts": [null, {"name": "fnt_b"}],
      "backgrounds": [{"name": "bg_a"}, {"name": "bg_b"}],
      "sounds": [{"name": "snd_a", "fileName": "tune_a.wav"}, {"name": "snd_b", "fileName": "tune_b.mp3"}],
      "scripts": [{"name": "by_name", "source": "return NAME;"}, {"name": "by_index", "source": "return 1;"}]})";
    const struct {
        const char *name, *options;
    } cases[] = {{"spr_b", "{}"}, {"fnt_b", "{}"}, {"snd_b", "{}"}, {"tune_b", R"({"newAudio": 1})"}};
    for (const auto& c : cases) {
        std::string manifest = std::string(R"({"codeForm": "compiled", "options": )") + c.options + ", " + resources;
        manifest.replace(manifest.find("NAME"), 4, c.name);
        gamebuild::ImageWriter image;
        gamebuild::GameCode code;
        gamebuild::CompileGameCode(Read(manifest.c_str()), image, code);
        ASSERT_EQ(2u, code.entries.size()) << c.name;
        EXPECT_EQ(code.entries[1].bytes, code.entries[0].bytes) << c.name;
    }
}
