#include <gtest/gtest.h>

#include <vector>

#include "../../tools/gamebuild/GameBuild_DebugInfo.h"
#include "code/Code_Assembler.h"
#include "code/Code_Disassembler.h"
#include "code/Code_Object.h"
#include "Code_TestLog.h"
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
        GameFileChunk chunk;
        while (walk.Next(chunk)) chunks.push_back(chunk);
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

    const char* m_Strings[2] = {"zero", "one"};
};

TEST_F(CodeObjects, MadeFromTextIsNotCompiledAndNotListed)
{
    int32_t before = g_LoadedCodeCount;
    CCode program("x = 1;", false);
    CCode expression("x + 1", true);
    EXPECT_EQ(program.m_Kind, CODE_KIND_PROGRAM);
    EXPECT_EQ(expression.m_Kind, CODE_KIND_EXPRESSION);
    EXPECT_STREQ(program.GetText(), "x = 1;");
    EXPECT_EQ(program.m_Compiled, 0u);
    EXPECT_EQ(program.m_CodeIndex, -1);
    EXPECT_EQ(program.m_MadeFromText, 1u);
    EXPECT_EQ(program.m_pCode, nullptr);
    EXPECT_EQ(g_LoadedCodeCount, before);
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

    EXPECT_EQ(first->m_Compiled, 1u);
    EXPECT_EQ(first->m_MadeFromText, 0u);
    EXPECT_STREQ(first->GetName(), "Object_a_Create_0");
    ASSERT_NE(first->m_pCode, nullptr);
    EXPECT_EQ(first->m_pCode->m_Size, assembly.Size());
    EXPECT_EQ(first->m_pCode->m_pWords, assembly.Bytes()); // the image's words, not a copy
    EXPECT_FALSE(first->m_pCode->m_OwnsWords);
    EXPECT_STREQ(first->m_pCode->m_pStrings->Get(1), "one");
    ASSERT_NE(first->m_pDebugInfo, nullptr);
    EXPECT_EQ(first->m_pDebugInfo->m_Size, 16);

    // Source-line lookup through the loaded line table and source text.
    VMDebugEntry entry = VM_DebugInfo_FindLine(first->m_pDebugInfo, 12);
    EXPECT_EQ(VM_DebugInfo_FindName(entry, first->GetText()), 1);
    EXPECT_STREQ(VM_DebugInfo_SourceLine(entry, first->GetText()), "n = 3;");
    EXPECT_STREQ(VM_DebugInfo_SourceLine(VM_DebugInfo_FindLine(first->m_pDebugInfo, 8), first->GetText()),
                 "s = \"one\";");

    // An entry without debug tables runs with the empty text and no line table.
    EXPECT_EQ(second->m_Kind, CODE_KIND_EXPRESSION);
    EXPECT_STREQ(second->GetText(), "");
    EXPECT_EQ(second->m_pDebugInfo, nullptr);
    EXPECT_EQ(second->m_pCode->m_Size, 8);

    delete first;
    EXPECT_EQ(g_LoadedCodeCount, before + 1);
    EXPECT_EQ(g_pLoadedCodeHead, second);
    EXPECT_EQ(second->m_pNext, nullptr);
    delete second;
    EXPECT_EQ(g_LoadedCodeCount, before);
}

TEST_F(CodeObjects, IndexBeyondTheEntriesRunsNothing)
{
    int32_t before = g_LoadedCodeCount;
    CCode* beyond = CCode::CCode_Compiled(7, false);
    EXPECT_EQ(beyond->m_pCode, nullptr);
    EXPECT_EQ(beyond->m_pDebugInfo, nullptr);
    EXPECT_STREQ(beyond->GetName(), "");
    EXPECT_STREQ(beyond->GetText(), "");
    EXPECT_EQ(g_LoadedCodeCount, before + 1); // a code index of 0 or more is still listed
    delete beyond;
    CCode* negative = CCode::CCode_Compiled(-1, false);
    EXPECT_EQ(g_LoadedCodeCount, before);
    delete negative;
    EXPECT_EQ(g_LoadedCodeCount, before);
}

TEST_F(CodeObjects, EntryFailingTheCheckIsRefusedByName)
{
    VMAssembly assembly;
    ASSERT_TRUE(VM_Assemble("push.s #2", assembly)); // the table holds two strings
    CapturedConsole log(MainConsole);
    EXPECT_FALSE(Code_AddEntry("Script_bad", assembly.Bytes(), assembly.Size()));
    EXPECT_EQ(Code_EntryCount(), 0);
    EXPECT_NE(log.Text().find("Refused code entry 0 (Script_bad): string operand at 0x00000000 names string 2 of 2"),
              std::string::npos)
        << log.Text();
}

TEST_F(CodeObjects, LineTableCountIsTheNumberOfWords)
{
    // Three pairs are written with the count 6; read as pairs, the first table would take the
    // second's words and run past the chunk.
    DebugFile debug(DebugBytes({{true, "a\nb\nc", true, {{0, 0}, {4, 2}, {8, 4}}},
                                {true, "d", true, {{0, 0}}}}));
    debug.Load();
    Code_AddEntry("a", nullptr, 0);
    Code_AddEntry("b", nullptr, 0);
    CCode* first = CCode::CCode_Compiled(0, false);
    CCode* second = CCode::CCode_Compiled(1, false);
    ASSERT_NE(first->m_pDebugInfo, nullptr);
    EXPECT_EQ(first->m_pDebugInfo->m_Size, 24);
    EXPECT_EQ(VM_DebugInfo_FindLine(first->m_pDebugInfo, 100).sourcePosition, 4);
    EXPECT_EQ(second->m_pDebugInfo->m_Size, 8);
    delete first;
    delete second;
}

TEST_F(CodeObjects, LineTablesNeverRunPastTheirEntryOrTheChunk)
{
    std::vector<uint8_t> bytes = DebugBytes({{true, "a", true, {{0, 0}, {4, 1}}}, {true, "b", true, {{0, 0}}}});
    DebugFile probe(bytes);
    const GameFileChunk& lines = probe.Chunk("DBGI");
    uint32_t firstEntry = 0;
    uint32_t secondEntry = 0;
    ASSERT_TRUE(probe.file.U32(lines.body + 4, firstEntry));
    ASSERT_TRUE(probe.file.U32(lines.body + 8, secondEntry));

    // The first table claims 40 words, the second 1000: each is cut where its room ends.
    auto patch = [&bytes](uint32_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + static_cast<uint32_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    };
    patch(firstEntry, 40);
    patch(secondEntry, 1000);
    DebugFile debug(bytes);
    CapturedConsole log(MainConsole);
    debug.Load();
    EXPECT_NE(log.Text().find("DBGI: line table 0 holds 20 pairs but has room for 2"), std::string::npos) << log.Text();
    EXPECT_NE(log.Text().find("DBGI: line table 1 holds 500 pairs but has room for 1"), std::string::npos) << log.Text();

    Code_AddEntry("a", nullptr, 0);
    Code_AddEntry("b", nullptr, 0);
    CCode* first = CCode::CCode_Compiled(0, false);
    CCode* second = CCode::CCode_Compiled(1, false);
    EXPECT_EQ(first->m_pDebugInfo->m_Size, 16);
    EXPECT_EQ(second->m_pDebugInfo->m_Size, 8);
    EXPECT_STREQ(second->GetText(), "b");
    delete first;
    delete second;
}

TEST_F(CodeObjects, MalformedDebugChunksAreRefused)
{
    std::vector<uint8_t> body = {0xFF, 0xFF, 0xFF, 0x7F}; // a count far beyond the chunk
    GameFile file;
    ASSERT_TRUE(file.CopyFrom(body.data(), body.size()));
    CapturedConsole log(MainConsole);
    EXPECT_FALSE(DebugInfo_LoadLines(file, 0, 4));
    EXPECT_FALSE(DebugInfo_LoadSources(file, 0, 4));
    EXPECT_NE(log.Text().find("DBGI: malformed count table"), std::string::npos);
}

TEST_F(CodeObjects, DestroyingReleasesTheConstantAndTheTree)
{
    uint32_t before = MemoryManager::BlockCount();
    CCode* code = new CCode("\"text\"", true);
    code->SetName("constant expression");
    Value_SetText(&code->m_Constant, "a folded string constant");
    Node_SetReal(Node_AddChild(&code->m_Tree, 0), 2.0);
    delete code;
    EXPECT_EQ(MemoryManager::BlockCount(), before);
}

TEST_F(CodeObjects, NamesGiveWhiteSpaceAsUnderscores)
{
    CCode code("", false);
    code.SetName("Object.obj a.Step\t0");
    EXPECT_STREQ(code.GetName(), "Object.obj_a.Step_0");
    code.SetName(nullptr);
    EXPECT_STREQ(code.GetName(), "");
}

} // namespace
