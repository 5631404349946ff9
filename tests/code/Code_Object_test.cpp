// Code objects made from text and from loaded entries with their debug tables, and the table of
// built-in functions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "../../tools/gamebuild/GameBuild_DebugInfo.h"
#include "Code_TestLog.h"
#include "code/Code_Assembler.h"
#include "code/Code_Disassembler.h"
#include "code/Code_Function.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"

namespace {

struct DebugFile {
    GameFile file;
    std::vector<GameFileChunk> chunks;

    explicit DebugFile(const std::vector<uint8_t>& bytes)
    {
        EXPECT_TRUE(file.CopyFrom(bytes.data(), bytes.size()));
        GameFileChunkWalk walk(file);
        EXPECT_TRUE(walk.Start());
        for (GameFileChunk chunk; walk.Next(chunk);) chunks.push_back(chunk);
    }
    const GameFileChunk& Chunk(const char* tag) const
    {
        for (const GameFileChunk& chunk : chunks)
            if (std::string(chunk.tag) == tag) return chunk;
        static GameFileChunk none;
        return none;
    }
    // Reads the tables as the loader hands them over.
    void Load()
    {
        EXPECT_TRUE(DebugInfo_LoadLines(file, Chunk("DBGI").body, Chunk("DBGI").length));
        EXPECT_TRUE(DebugInfo_LoadSources(file, Chunk("SCPT").body, Chunk("SCPT").length));
    }
};

std::vector<uint8_t> DebugBytes(const std::vector<gamebuild::DebugCodeDesc>& entries)
{
    std::vector<uint8_t> bytes;
    std::string errors;
    EXPECT_TRUE(gamebuild::BuildDebugInfoFile(entries, bytes, errors)) << errors;
    return bytes;
}

class CodeObjects : public ::testing::Test {
protected:
    void SetUp() override
    {
        Code_ClearEntries();
        Code_ClearDebugInfo();
        Code_SetGameStrings(m_Strings, 2);
    }
    void TearDown() override
    {
        Code_ClearEntries();
        Code_ClearDebugInfo();
        Code_SetGameStrings(nullptr, 0);
    }
    // The debug tables' sizes of entries "a" and "b" as loaded.
    std::pair<int32_t, int32_t> LoadedSizes()
    {
        Code_AddEntry("a", nullptr, 0);
        Code_AddEntry("b", nullptr, 0);
        std::unique_ptr<CCode> first(CCode::CCode_Compiled(0, false)), second(CCode::CCode_Compiled(1, false));
        EXPECT_EQ(VM_DebugInfo_FindLine(first->m_pDebugInfo, 100).sourcePosition, m_LastPosition);
        EXPECT_STREQ(second->GetText(), m_SecondText);
        return {first->m_pDebugInfo->m_Size, second->m_pDebugInfo->m_Size};
    }

    const char* m_Strings[2] = {"zero", "one"};
    int32_t m_LastPosition = 0;
    const char* m_SecondText = "";
};

TEST_F(CodeObjects, MadeFromTextIsNotCompiledAndNotListedAndNamesGiveWhiteSpaceAsUnderscores)
{
    int32_t before = g_LoadedCodeCount;
    CCode program("x = 1;", false);
    EXPECT_EQ(program.m_CodeIndex, -1);
    EXPECT_EQ(program.m_MadeFromText, 1u);
    EXPECT_EQ(g_LoadedCodeCount, before);
    program.SetName("Object.obj a.Step\t0");
    EXPECT_STREQ(program.GetName(), "Object.obj_a.Step_0");
    // Destroying releases the constant and the tree.
    uint32_t blocks = MemoryManager::BlockCount();
    CCode* code = new CCode("\"text\"", true);
    code->SetName("constant expression");
    Value_SetText(&code->m_Constant, "a folded string constant");
    Node_SetReal(Node_AddChild(&code->m_Tree, 0), 2.0);
    delete code;
    EXPECT_EQ(MemoryManager::BlockCount(), blocks);
}

TEST_F(CodeObjects, LoadedCodeTakesItsEntryAndDebugTables)
{
    VMAssembly assembly;
    ASSERT_TRUE(VM_Assemble("push.s #1\npopz.s\npush.e 3\npopz.i", assembly)) << assembly.error;
    ASSERT_TRUE(Code_AddEntry("Object_a_Create_0", assembly.Bytes(), assembly.Size()));
    ASSERT_TRUE(Code_AddEntry("Script_b", assembly.Bytes(), 8));
    DebugFile debug(DebugBytes({{true, "s = \"one\";\r\nn = 3;", true, {{0, 0}, {12, 12}}}, {false, "", false, {}}}));
    debug.Load();
    int32_t before = g_LoadedCodeCount;
    CCode* first = CCode::CCode_Compiled(0, false);
    CCode* second = CCode::CCode_Compiled(1, true);
    EXPECT_EQ(g_LoadedCodeCount, before + 2);
    EXPECT_EQ(g_pLoadedCodeHead, second);
    EXPECT_EQ(second->m_pNext, first);
    ASSERT_NE(first->m_pCode, nullptr);
    EXPECT_EQ(first->m_pCode->m_pWords, assembly.Bytes()); // the image's words, not a copy
    EXPECT_STREQ(first->m_pCode->m_pStrings->Get(1), "one");
    ASSERT_NE(first->m_pDebugInfo, nullptr);
    // Source-line lookup through the loaded line table and source text.
    VMDebugEntry entry = VM_DebugInfo_FindLine(first->m_pDebugInfo, 12);
    EXPECT_EQ(VM_DebugInfo_FindName(entry, first->GetText()), 1);
    EXPECT_STREQ(VM_DebugInfo_SourceLine(entry, first->GetText()), "n = 3;");
    // An entry without debug tables runs with the empty text and no line table.
    EXPECT_STREQ(second->GetText(), "");
    EXPECT_EQ(second->m_pDebugInfo, nullptr);
    delete first;
    delete second;
    EXPECT_EQ(g_LoadedCodeCount, before);
    // An index beyond the entries runs nothing; a code index of 0 or more is still listed.
    CCode* beyond = CCode::CCode_Compiled(7, false);
    EXPECT_EQ(beyond->m_pCode, nullptr);
    EXPECT_EQ(g_LoadedCodeCount, before + 1);
    delete beyond;
    delete CCode::CCode_Compiled(-1, false);
    EXPECT_EQ(g_LoadedCodeCount, before);
}

TEST_F(CodeObjects, RefusedEntriesAndMalformedDebugTables)
{
    VMAssembly assembly;
    ASSERT_TRUE(VM_Assemble("push.s #2", assembly)); // the table holds two strings
    {
        CapturedConsole log(MainConsole);
        EXPECT_FALSE(Code_AddEntry("Script_bad", assembly.Bytes(), assembly.Size()));
        EXPECT_EQ(Code_EntryCount(), 0);
        EXPECT_NE(log.Text().find("Refused code entry 0 (Script_bad): string operand at 0x00000000 names string 2 of 2"),
                  std::string::npos) << log.Text();
    }
    // A count far beyond the chunk.
    std::vector<uint8_t> body = {0xFF, 0xFF, 0xFF, 0x7F};
    GameFile file;
    ASSERT_TRUE(file.CopyFrom(body.data(), body.size()));
    CapturedConsole log(MainConsole);
    EXPECT_FALSE(DebugInfo_LoadLines(file, 0, 4));
    EXPECT_FALSE(DebugInfo_LoadSources(file, 0, 4));
    EXPECT_NE(log.Text().find("DBGI: malformed count table"), std::string::npos);
}

TEST_F(CodeObjects, LineTablesCountWordsAndNeverRunPastTheirEntryOrTheChunk)
{
    // Three pairs are written with the count 6; read as pairs, the first table would take the
    // second's words and run past the chunk.
    DebugFile pairs(DebugBytes({{true, "a\nb\nc", true, {{0, 0}, {4, 2}, {8, 4}}}, {true, "d", true, {{0, 0}}}}));
    pairs.Load();
    m_LastPosition = 4;
    m_SecondText = "d";
    EXPECT_EQ(LoadedSizes(), std::make_pair(24, 8));
    Code_ClearEntries();
    Code_ClearDebugInfo();

    // The first table claims 40 words, the second 1000: each is cut where its room ends.
    std::vector<uint8_t> bytes = DebugBytes({{true, "a", true, {{0, 0}, {4, 1}}}, {true, "b", true, {{0, 0}}}});
    DebugFile probe(bytes);
    uint32_t entries[2] = {0, 0};
    ASSERT_TRUE(probe.file.U32(probe.Chunk("DBGI").body + 4, entries[0]));
    ASSERT_TRUE(probe.file.U32(probe.Chunk("DBGI").body + 8, entries[1]));
    const uint32_t claims[2] = {40, 1000};
    for (int e = 0; e < 2; ++e)
        for (int i = 0; i < 4; ++i) bytes[entries[e] + static_cast<uint32_t>(i)] = static_cast<uint8_t>(claims[e] >> (8 * i));
    DebugFile debug(bytes);
    CapturedConsole log(MainConsole);
    debug.Load();
    EXPECT_NE(log.Text().find("DBGI: line table 0 holds 20 pairs but has room for 2"), std::string::npos) << log.Text();
    EXPECT_NE(log.Text().find("DBGI: line table 1 holds 500 pairs but has room for 1"), std::string::npos) << log.Text();
    m_LastPosition = 1;
    m_SecondText = "b";
    EXPECT_EQ(LoadedSizes(), std::make_pair(16, 8));
}

void RoutineA(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}
void RoutineB(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

// Stand-ins for the script and extension tables.
int32_t FindScript(const char* name) { return std::strcmp(name, "shared_name") == 0 ? 4 : -1; }
int32_t FindExtension(const char* name)
{
    return std::strcmp(name, "shared_name") == 0 || std::strcmp(name, "ext_name") == 0 ? 2 : -1;
}
int32_t ExtensionArgs(int32_t id) { return id == 2 ? 3 : -100; }

// The table is global and only grows while the program runs, so each test works with rows of its
// own names and with indices relative to where the table stood.
class FunctionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Saved = g_CallableLookup;
        g_CallableLookup = {FindScript, FindExtension, ExtensionArgs};
        m_Base = g_FunctionCount;
    }
    void TearDown() override { g_CallableLookup = m_Saved; }
    static int32_t Find(const std::string& name)
    {
        int32_t id = -5;
        return Code_Function_Find(name.c_str(), &id) ? id : -1000 + id;
    }
    CallableLookup m_Saved{};
    int32_t m_Base = 0;
};


TEST_F(FunctionTest, NamesLookupOrderAndArgumentCounts)
{
    // Names fit the 64-byte field: the cut name is what the row holds.
    std::string longest(63, 'n');
    Function_Add(longest.c_str(), RoutineA, 1);
    Function_Add((std::string(63, 'm') + "overflow").c_str(), RoutineA, 2);
    EXPECT_EQ(longest, Function_Get(m_Base)->name);
    EXPECT_EQ(std::string(63, 'm'), Function_Get(m_Base + 1)->name);
    EXPECT_EQ(m_Base, Find(longest));
    EXPECT_EQ(-1001, Find(std::string(63, 'm') + "overflow"));
    EXPECT_EQ(m_Base + 1, Find(std::string(63, 'm')));
    // Scripts, then extensions, then rows; a name registered twice: the first row wins.
    m_Base = g_FunctionCount;
    Function_Add("plain_twice", RoutineA, 0);
    Function_Add("plain_twice", RoutineB, 5);
    Function_Add("shared_name", RoutineA, 0);
    Function_Add("ext_name", RoutineA, 0);
    EXPECT_EQ(m_Base, Find("plain_twice"));
    EXPECT_EQ(RoutineB, Function_Get(m_Base + 1)->routine);
    EXPECT_EQ(CALLABLE_SCRIPT_BASE + 4, Find("shared_name"));
    EXPECT_EQ(CALLABLE_EXTENSION_BASE + 2, Find("ext_name"));
    EXPECT_EQ(-1001, Find("Plain_twice")) << "names compare case-sensitively";
    EXPECT_EQ(-1001, Find(""));
    // Argument counts by identifier range.
    EXPECT_EQ(0, Function_GetArgCount(m_Base));
    for (int32_t unknown : {g_FunctionCount, -1, 99999, CALLABLE_EXTENSION_BASE + 9})
        EXPECT_EQ(FUNCTION_ARGS_UNKNOWN, Function_GetArgCount(unknown)) << unknown;
    EXPECT_EQ(FUNCTION_ARGS_ANY, Function_GetArgCount(CALLABLE_SCRIPT_BASE));
    EXPECT_EQ(3, Function_GetArgCount(CALLABLE_EXTENSION_BASE + 2));
    EXPECT_EQ(nullptr, Function_Get(g_FunctionCount));
}

} // namespace
