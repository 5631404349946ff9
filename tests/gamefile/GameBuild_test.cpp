// The builder: manifests read into descriptions, descriptions (scripts, objects and events in source
// form or as compiled code with its link chunks) into files the loader reads back.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "GameFileTestSupport.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Options.h"
#include "object/Object_Table.h"
#include "script/Script_Table.h"

namespace {

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
};

} // namespace

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
        {[](auto& g) { g.header.tag = "GEN9"; }, "none of GEN8, GEN7, GENL"},
        {[](auto& g) { g.scripts.resize(1); g.scripts[0].name = "s"; g.scripts[0].code.isAssembly = true; },
         "scripts[0]: assembly needs a game of compiled code"},
        {event(0, "x = ;"), "objects[0].events[0]: Error in code at line 1"},
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
    } cases[] = {{"spr_b", "{}"}, {"snd_b", "{}"}, {"tune_b", R"({"newAudio": 1})"}};
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
