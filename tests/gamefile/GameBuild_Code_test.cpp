// The builder's scripts, objects and events, in source form and as compiled code with its link
// chunks, from manifests and from the tool.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "GameFileTestSupport.h"
#include "code/Code_Object.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Strings.h"
#include "object/Object_Class.h"
#include "object/Object_Event.h"
#include "object/Object_Table.h"
#include "script/Script_Table.h"

namespace {

const char* const WORLD = R"({
  "codeForm": "compiled",
  "scripts": [
    {"name": "scr_double", "source": "return 2 * 21;"},
    null,
    {"name": "scr_file", "file": "scr_file.txt"},
    {"name": "scr_asm", "asm": "push.i 70000\nret.i\n"}
  ],
  "objects": [
    {"name": "obj_wall", "solid": true, "depth": 10, "sprite": 7, "spriteMarker": true,
     "physics": {"enabled": 1, "shape": 1, "density": 1.5, "points": [[1, 2], [3.5, 4]]}},
    {"name": "obj_ball", "parent": "obj_wall", "mask": 2, "visible": false, "events": [
      {"type": "collision", "subtype": "obj_wall", "source": "global.hits = scr_double();"},
      {"type": "keypress", "subtype": 65, "source": "global.hits += 1;"},
      {"type": 7, "subtype": 10, "asm": "push.e 1\npopz.i\n"}
    ]},
    null
  ]
})";

class BuildCodeTest : public testing::Test {
protected:
    void SetUp() override
    {
        GameHeader_Clear();
        g_GameOptions = GameOptions();
        m_Folder = std::filesystem::path(testing::TempDir()) /
                   ("gamebuild_code_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_Folder);
        std::filesystem::create_directories(m_Folder);
        std::ofstream(m_Folder / "scr_file.txt") << "var a; a = 5; return a;";
    }
    void TearDown() override
    {
        Object_ResetTable();
        Script_Reset();
        std::filesystem::remove_all(m_Folder);
    }

    bool Load(const std::vector<uint8_t>& bytes)
    {
        g_CompiledCode = false;
        LoadInto(m_File, bytes);
        LoadGameCode(m_File);
        return LoadGameChunks(m_File);
    }

    std::filesystem::path m_Folder;
    GameFile m_File;
    CapturedLog m_Log;
};

TEST_F(BuildCodeTest, AManifestDescribesScriptsObjectsAndEvents)
{
    gamebuild::GameDesc game;
    std::string errors;
    ASSERT_TRUE(gamebuild::ReadManifest(WORLD, m_Folder.string(), game, errors)) << errors;
    EXPECT_TRUE(game.compiledCode);
    ASSERT_EQ(4u, game.scripts.size());
    EXPECT_FALSE(game.scripts[1].present);
    EXPECT_EQ("var a; a = 5; return a;", game.scripts[2].code.source);
    EXPECT_TRUE(game.scripts[3].code.isAssembly);
    ASSERT_EQ(3u, game.objects.size());
    EXPECT_EQ(0, game.objects[1].parent);
    EXPECT_EQ(4, game.objects[1].events[0].type);
    EXPECT_EQ(0, game.objects[1].events[0].subtype);
    EXPECT_EQ(9, game.objects[1].events[1].type);
    EXPECT_FLOAT_EQ(3.5f, game.objects[0].physics.points[1].first);
    EXPECT_FALSE(game.objects[2].present);

    ASSERT_TRUE(Load(BuildBytes(game))) << m_Log.Text();
    EXPECT_TRUE(g_CompiledCode);
    EXPECT_EQ(4, Script_Count());
    EXPECT_EQ(3, Script_Find("scr_asm"));
    ASSERT_TRUE(Script_Prepare());
    EXPECT_STREQ("Script.scr_file", Script_GetCode(2)->GetName());
    const CObject* ball = Object_Data(1);
    ASSERT_NE(nullptr, ball);
    EXPECT_EQ(Object_Data(0), ball->m_pParentObject);
    EXPECT_FALSE(ball->IsVisible());
    EXPECT_EQ(2, ball->m_MaskIndex);
    EXPECT_EQ(7, Object_Data(0)->m_SpriteIndex);
    EXPECT_EQ(2, Object_Data(0)->m_Physics.pointCount);
    EXPECT_FALSE(Object_Exists(2));
    ASSERT_NE(nullptr, ball->GetEvent(9, 65));
    EXPECT_STREQ("Object.obj_ball.press_A-key.0", ball->GetEvent(9, 65)->m_pCode->GetName());
    EXPECT_STREQ("Object.obj_ball.obj_wall.0", ball->GetEvent(4, 0)->m_pCode->GetName());
}

TEST_F(BuildCodeTest, ChunksComeInTheOrderTheLoaderNeeds)
{
    gamebuild::GameDesc game;
    std::string errors;
    ASSERT_TRUE(gamebuild::ReadManifest(WORLD, m_Folder.string(), game, errors)) << errors;
    std::vector<uint8_t> bytes = BuildBytes(game);
    size_t scripts = FindChunk(bytes, "SCPT"), objects = FindChunk(bytes, "OBJT"), code = FindChunk(bytes, "CODE");
    size_t variables = FindChunk(bytes, "VARI"), functions = FindChunk(bytes, "FUNC"), strings = FindChunk(bytes, "STRG");
    EXPECT_LT(scripts, functions);
    EXPECT_LT(code, variables);
    EXPECT_LT(variables, functions);
    EXPECT_LT(objects, strings);
    EXPECT_LT(functions, strings);

    // In source form the records carry text and there is no code.
    game.compiledCode = false;
    game.scripts[3].code = gamebuild::CodeDesc();
    game.objects[1].events.pop_back();
    bytes = BuildBytes(game);
    EXPECT_EQ(0u, FindChunk(bytes, "CODE"));
    ASSERT_TRUE(Load(bytes)) << m_Log.Text();
    EXPECT_FALSE(g_CompiledCode);
    EXPECT_STREQ("return 2 * 21;", Script_Get(0)->GetText());
    EXPECT_STREQ("global.hits += 1;", Object_Data(1)->GetEvent(9, 65)->m_pText);
}

TEST_F(BuildCodeTest, ManifestAndCodeMistakesAreReportedWithTheirPlace)
{
    const char* text = R"({
      "codeForm": "bytes",
      "scripts": [{"name": "s", "sauce": "x"}],
      "objects": [{"name": "a", "parent": "nobody", "events": [{"type": "jump"}, {"type": 3, "subtype": "ghost"}],
                   "physics": {"points": [[1]]}, "colour": 3}]
    })";
    gamebuild::GameDesc game;
    std::string errors;
    EXPECT_FALSE(gamebuild::ReadManifest(text, ".", game, errors));
    for (const char* expected : {"codeForm: expected \"source\" or \"compiled\"", "scripts[0].sauce: unknown key",
                                 "objects[0].parent: no object is named nobody", "objects[0].events[0].type: not an event type: jump",
                                 "objects[0].events[1].subtype: no object is named ghost",
                                 "objects[0].physics.points[0]: expected [x, y]", "objects[0].colour: unknown key"})
        EXPECT_NE(std::string::npos, errors.find(expected)) << expected << "\nin:\n" << errors;

    std::vector<uint8_t> bytes;
    gamebuild::GameDesc source;
    source.scripts.resize(1);
    source.scripts[0].name = "s";
    source.scripts[0].code.isAssembly = true;
    EXPECT_FALSE(gamebuild::BuildGame(source, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("scripts[0]: assembly needs a game of compiled code")) << errors;

    gamebuild::GameDesc compiled;
    compiled.compiledCode = true;
    compiled.objects.resize(1);
    compiled.objects[0].name = "o";
    compiled.objects[0].events.resize(1);
    compiled.objects[0].events[0].code.source = "x = ;";
    EXPECT_FALSE(gamebuild::BuildGame(compiled, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("objects[0].events[0]: Error in code at line 1")) << errors;
    compiled.objects[0].events[0].code.source = "no_such_function();";
    EXPECT_FALSE(gamebuild::BuildGame(compiled, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("objects[0].events[0]: ")) << errors;
    compiled.objects[0].events[0].type = 12;
    compiled.objects[0].events[0].code.source = "";
    EXPECT_FALSE(gamebuild::BuildGame(compiled, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("event type 12 is not 0 to 11")) << errors;

    gamebuild::GameDesc early;
    early.compiledCode = true;
    early.chunkOrder = {"GEN8", "VARI", "CODE", "FUNC", "STRG"};
    EXPECT_FALSE(gamebuild::BuildGame(early, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("the VARI chunk must follow the CODE chunk")) << errors;
}

TEST_F(BuildCodeTest, TheToolCompilesAGameTheLoaderLinks)
{
    {
        std::ofstream manifest(m_Folder / "game.json");
        manifest << R"({"codeForm": "compiled", "scripts": [
            {"name": "scr_fact", "source": "if (argument0 <= 1) return 1; return argument0 * scr_fact(argument0 - 1);"},
            {"name": "scr_main", "file": "scr_file.txt"}]})";
    }
    std::filesystem::path output = m_Folder / "data.win";
    std::string command = std::string(GAMEBUILD_EXECUTABLE) + " " + m_Folder.string() + " -o " + output.string();
    ASSERT_EQ(0, std::system(command.c_str()));
    std::ifstream in(output, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(Load(bytes)) << m_Log.Text();
    EXPECT_EQ(2, Script_Count());
    EXPECT_NE(0u, FindChunk(bytes, "VARI"));
    EXPECT_NE(0u, FindChunk(bytes, "FUNC"));
}

} // namespace
