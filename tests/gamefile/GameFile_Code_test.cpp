// The code, variables and functions chunks: entries checked, identifiers linked along their chains
// (forwards and backwards) and never written outside the code.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "../TestSupport_Console.h"
#include "GameFileTestSupport.h"
#include "code/Code_Function.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_Code.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Strings.h"
#include "script/Script_Table.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Names.h"

namespace {

void Nothing(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}
bool ReadNothing(CInstance*, int32_t, ScriptValue*) { return true; }

class CodeChunkTest : public testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            Function_Add("link_fn", Nothing, FUNCTION_ARGS_ANY);
            Function_Add("link_other_fn", Nothing, FUNCTION_ARGS_ANY);
            Function_Add("link_color_fn", Nothing, 1);
            Variable_BuiltIn_Add("link_builtin", ReadNothing, nullptr, false);
            Variable_BuiltIn_Add("link_color_var", ReadNothing, nullptr, false);
            registered = true;
        }
        GameHeader_Clear();
        g_GameOptions = GameOptions();
        g_PrePassFailed = false;
    }
    void TearDown() override
    {
        Script_Reset();
        Code_ClearEntries();
        Code_ClearFileRanges();
    }

    bool Load(const std::vector<uint8_t>& bytes)
    {
        m_Log.Clear();
        g_CompiledCode = false;
        LoadInto(m_File, bytes);
        LoadGameCode(m_File);
        return LoadGameChunks(m_File);
    }

    // A compiled game whose scripts are the assembly texts, in order.
    static gamebuild::GameDesc Assembled(std::vector<std::string> texts)
    {
        gamebuild::GameDesc game;
        game.compiledCode = true;
        for (size_t i = 0; i < texts.size(); ++i) {
            gamebuild::ScriptDesc script;
            script.name = "scr_" + std::to_string(i);
            script.code.assembly = texts[i];
            script.code.isAssembly = true;
            game.scripts.push_back(script);
        }
        return game;
    }

    // The word at byte `at` of code entry `entry`, as loaded.
    uint32_t LoadedWord(int32_t entry, uint32_t at) const
    {
        const CodeEntry* code = Code_GetEntry(entry);
        uint32_t word = 0;
        std::memcpy(&word, code->words + at, 4);
        return word;
    }

    // File offset of entry `index`'s bytecode in the built bytes.
    static uint32_t EntryCode(const std::vector<uint8_t>& bytes, uint32_t index)
    {
        return ReadWord(bytes, FindChunk(bytes, "CODE") + 12 + 4 * index) + 8;
    }

    GameFile m_File;
    CapturedLog m_Log;
};

const char* const VARIABLES = "push.v self.x\n"          // operand: x with bits 29 and 31
                              "push.v stack.y[]\n"       // operand: y alone
                              "pop.v.v global.x\n"
                              "push.v self.link_builtin\n";

TEST_F(CodeChunkTest, ChainsAreLinkedForwardsAndBackwards)
{
    gamebuild::GameDesc variables = Assembled({VARIABLES, "push.v other.x\npopz.v\n"});
    gamebuild::GameDesc functions =
        Assembled({"call.i link_fn 0\npopz.v\ncall.i scr_1 2\npopz.v\n", "call.i link_fn 1\n"});
    for (bool backward : {false, true}) {
        // Variable references keep the operand's top bits.
        variables.backwardChains = backward;
        ASSERT_TRUE(Load(BuildBytes(variables))) << m_Log.Text();
        uint32_t x = 0xA0000000u | static_cast<uint32_t>(Code_Variable_Find("x"));
        uint32_t y = static_cast<uint32_t>(Code_Variable_Find("y"));
        uint32_t builtin = 0xA0000000u | static_cast<uint32_t>(Variable_BuiltIn_Find("link_builtin"));
        EXPECT_EQ((std::vector<uint32_t>{x, y, x, builtin, x}),
                  (std::vector<uint32_t>{LoadedWord(0, 4), LoadedWord(0, 12), LoadedWord(0, 20), LoadedWord(0, 28),
                                         LoadedWord(1, 4)}))
            << backward;
        // Function references overwrite the whole operand; scripts resolve first, 100000 + their index.
        functions.backwardChains = backward;
        ASSERT_TRUE(Load(BuildBytes(functions))) << m_Log.Text();
        int32_t id = -1;
        ASSERT_TRUE(Code_Function_Find("link_fn", &id));
        EXPECT_EQ((std::vector<uint32_t>{static_cast<uint32_t>(id), static_cast<uint32_t>(id), 100001u, 0xDA020002u}),
                  (std::vector<uint32_t>{LoadedWord(0, 4), LoadedWord(1, 4), LoadedWord(0, 16), LoadedWord(0, 12)}))
            << backward;
    }
}

TEST_F(CodeChunkTest, LinksAndEntriesThatWouldLeaveOrBreakTheCodeAreRefused)
{
    using Patch = std::function<void(std::vector<uint8_t>&)>;
    auto vari = [](uint32_t at, std::function<uint32_t(const std::vector<uint8_t>&)> value) {
        return Patch([=](std::vector<uint8_t>& b) { WriteWord(b, FindChunk(b, "VARI") + 8 + at, value(b)); });
    };
    const struct {
        const char* assembly;
        Patch patch;
        const char* message;
    } cases[] = {
        // The first record's first reference into the strings chunk: nothing is written there.
        {VARIABLES, vari(8, [](const auto& b) { return static_cast<uint32_t>(FindChunk(b, "STRG") + 8); }),
         "VARI: entry 0 at file offset *: its reference 0 at file offset * lies outside the code"},
        {VARIABLES, vari(4, [](const auto&) { return 1000u; }),
         "VARI: entry 0 at file offset *: its reference count 1000 is more than the code holds (* bytes of "
         "bytecode)"},
        // The reference moved onto the word before the last push.i, whose word then takes the
        // built-in's small identifier: a push of a double, whose operand would run past the code.
        {"push.v self.link_builtin\npopz.v\npush.i 7\n",
         vari(8, [](const auto& b) { return EntryCode(b, 0) + 8; }), "Refused code entry 0 (Script.scr_0)*"},
        {"push.e 1\npopz.i\n", [](auto& b) { WriteWord(b, EntryCode(b, 0) - 4, 4000); },
         "CODE: entry 0 at file offset *: its bytecode at file offset * (4000 bytes) runs past the end of "
         "its chunk (24 "
         "bytes at file offset *)"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = BuildBytes(Assembled({c.assembly}));
        c.patch(bytes);
        size_t strings = FindChunk(bytes, "STRG");
        EXPECT_FALSE(Load(bytes)) << c.message;
        EXPECT_TRUE(testsupport::HasLine(m_Log.Text(), c.message)) << c.message << "\n" << m_Log.Text();
        EXPECT_TRUE(m_Log.Has("The game file was refused while its code was read")) << c.message;
        uint32_t after = 0;
        m_File.U32(static_cast<uint32_t>(strings + 12), after);
        EXPECT_EQ(ReadWord(bytes, strings + 12), after) << c.message;
    }

    // Link records without a name, or past the last whole record.
    gamebuild::GameDesc game = Assembled({"push.e 1\npopz.i\n"});
    game.rawChunks = {{"VARI", Words({0, 0, 0, 0x11223344})}};
    game.chunkOrder = {"GEN8", "OPTN", "SCPT", "CODE", "VARI", "FUNC", "STRG"};
    EXPECT_TRUE(Load(BuildBytes(game))) << m_Log.Text();
    EXPECT_TRUE(m_Log.Has("VARI: the 4 bytes after the last whole record are left out\n"));
    game.rawChunks = {{"VARI", Words({0, 1, 0})}};
    EXPECT_FALSE(Load(BuildBytes(game)));
    EXPECT_TRUE(testsupport::HasLine(m_Log.Text(),
                                     "VARI: entry 0 at file offset *: its reference count 1 is not 0 but it "
                                     "has no name"))
        << m_Log.Text();
}

// Files name built-ins with "colour" for "color": linked to the "color" row and variable, nothing added.
TEST_F(CodeChunkTest, TheColourSpellingLinksToTheColorRow)
{
    gamebuild::GameDesc game = Assembled({"push.v self.link_color_var\ncall.i link_color_fn 1\n"});
    game.linkNames = {{"link_color_fn", "link_colour_fn"}, {"link_color_var", "link_colour_var"}};
    std::vector<uint8_t> bytes = BuildBytes(game);
    std::string text(bytes.begin(), bytes.end());
    ASSERT_NE(std::string::npos, text.find("link_colour_fn"));
    ASSERT_EQ(std::string::npos, text.find("link_color_fn"));
    ASSERT_TRUE(Load(bytes)) << m_Log.Text(); // the first load registers the families
    int32_t rows = g_FunctionCount, variables = g_BuiltinVariableCount;
    ASSERT_TRUE(Load(bytes)) << m_Log.Text();
    int32_t id = -1;
    ASSERT_TRUE(Code_Function_Find("link_color_fn", &id));
    uint32_t variable = 0xA0000000u | static_cast<uint32_t>(Variable_BuiltIn_Find("link_color_var"));
    EXPECT_EQ((std::vector<uint32_t>{variable, static_cast<uint32_t>(id)}),
              (std::vector<uint32_t>{LoadedWord(0, 4), LoadedWord(0, 12)}));
    EXPECT_EQ(std::make_pair(rows, variables), std::make_pair(g_FunctionCount, g_BuiltinVariableCount));
}

class UnknownFunctionName : public CodeChunkTest, public testing::WithParamInterface<const char*> {};

// A name that resolves neither as written nor with "colour" read as "color" stays fatal.
TEST_P(UnknownFunctionName, EndsTheLoadWithExitCode1)
{
    gamebuild::GameDesc game = Assembled({"call.i link_other_fn 0\n"});
    game.linkNames = {{"link_other_fn", GetParam()}};
    std::vector<uint8_t> bytes = BuildBytes(game);
    EXPECT_EXIT(
        {
            static testsupport::StderrConsole console;
            ScriptConsole = &console;
            g_GameOptions.showErrors = false;
            Load(bytes);
        },
        testing::ExitedWithCode(1), std::string("ERROR!!! :: Error on load\nUnable to find function ") + GetParam() + "\n");
}

INSTANTIATE_TEST_SUITE_P(Names, UnknownFunctionName, testing::Values("link_xther_fn", "link_colourx_fn"));

// A file refused for a chunk of an unknown kind (a later format's) leaves its links unread rather
// than end the run on a name it cannot resolve; an empty unknown chunk refuses nothing.
TEST_F(CodeChunkTest, AFileOfAnUnknownChunkLeavesItsLinksUnread)
{
    const struct {
        std::vector<uint8_t> chunk;
        const char* unknown;
    } cases[] = {{{1, 0, 0, 0}, "LANG"}, {{}, ""}};
    for (const auto& c : cases) {
        gamebuild::GameDesc game = Assembled({"call.i link_other_fn 0\n"});
        game.rawChunks = {{"LANG", c.chunk}};
        if (c.chunk.empty()) game.linkNames = {};
        else game.linkNames = {{"link_other_fn", "link_missing_fn"}};
        bool loaded = Load(BuildBytes(game));
        EXPECT_EQ(c.unknown, GameFile_UnknownChunk(m_File));
        EXPECT_EQ(c.chunk.empty(), loaded) << m_Log.Text();
        EXPECT_EQ(c.chunk.empty() ? 0u : 1u, m_Log.Count("Chunk FUNC is not read: the file holds a chunk LANG"))
            << m_Log.Text();
        EXPECT_EQ(c.chunk.empty() ? 0u : 1u, m_Log.Count("unknown Chunk LANG"));
    }
}

TEST_F(CodeChunkTest, EntriesMayBeEmpty)
{
    ASSERT_TRUE(Load(BuildBytes(Assembled({"", "push.s \"hello\"\npopz.s\n"})))) << m_Log.Text();
    ASSERT_EQ(2, Code_EntryCount());
    EXPECT_EQ(0, Code_GetEntry(0)->length);
    EXPECT_STREQ("Script.scr_0", Code_GetEntry(0)->name);
    // The strings chunk follows the code chunk; the operand is an index into its table.
    EXPECT_STREQ("hello", StringTable_Get(m_File, static_cast<int32_t>(LoadedWord(1, 4))));
}

} // namespace
