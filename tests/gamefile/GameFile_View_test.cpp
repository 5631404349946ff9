#include "gamefile/GameFile_View.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "GameFileTestSupport.h"

namespace {

GameFile& Holding(GameFile& file, const std::vector<uint8_t>& bytes)
{
    EXPECT_TRUE(file.CopyFrom(bytes.data(), bytes.size()));
    return file;
}

} // namespace

TEST(GameFileView, ReadsLittleEndianValuesOnlyWhollyInsideTheFile)
{
    GameFile file;
    Holding(file, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x00, 0x00, 0x80, 0x3f});
    uint32_t word = 0;
    uint64_t wide = 0;
    float real = 0;
    EXPECT_TRUE(file.U64(0, wide) && file.F32(8, real));
    EXPECT_EQ(std::pair(uint64_t{0x0807060504030201}, 1.0f), std::pair(wide, real));
    EXPECT_TRUE(file.U32(8, word));
    // One byte short, past the end, and offsets that wrap around 32 bits; a refused read leaves
    // its output alone.
    word = 7;
    EXPECT_FALSE(file.U32(9, word));
    EXPECT_EQ(7u, word);
    uint8_t byte;
    int32_t whole;
    double precise;
    const uint8_t* span;
    const std::pair<const char*, std::function<bool()>> reads[] = {
        {"u8 12", [&] { return file.U8(12, byte); }},
        {"i32 wrapping", [&] { return file.I32(0xFFFFFFFEu, whole); }},
        {"f64 8", [&] { return file.F64(8, precise); }},
        {"span wrapping", [&] { return file.Span(0xFFFFFFF0u, 0x20, span); }},
        {"contains 13+0", [&] { return file.Contains(13, 0); }},
        {"write 9", [&] { return file.WriteU32(9, 1); }},
    };
    for (const auto& [name, read] : reads) EXPECT_FALSE(read()) << name;
    EXPECT_TRUE(file.Span(12, 0, span));
    // Linking writes inside the file.
    EXPECT_TRUE(file.WriteU32(4, 0xA1B2C3D4u));
    file.U32(4, word);
    EXPECT_EQ(0xA1B2C3D4u, word);
}

TEST(GameFileView, StringsNeedATerminatorInsideTheFile)
{
    GameFile file;
    Holding(file, {'F', 'O', 'R', 'M', 'a', 'b', 0, 'c', 'd'});
    const char* text = nullptr;
    EXPECT_TRUE(file.String(4, text));
    EXPECT_STREQ("ab", text);
    EXPECT_TRUE(file.String(0, text));
    EXPECT_EQ(nullptr, text); // offset 0 names none
    EXPECT_FALSE(file.String(7, text)); // "cd" runs to the end of the file
    EXPECT_FALSE(file.String(0xFFFFFFFFu, text));

    // An unloaded view refuses everything; an empty file is loaded but holds nothing.
    GameFile unloaded;
    uint8_t byte;
    EXPECT_FALSE(unloaded.U8(0, byte) || unloaded.String(1, text) || unloaded.WriteU32(0, 1));
    Holding(unloaded, {});
    EXPECT_TRUE(unloaded.IsLoaded());
    EXPECT_FALSE(unloaded.U8(0, byte));
}

TEST(GameFileCountTable, MustFitItsChunkAndPointIntoTheFile)
{
    // A body at offset 8: count 2, entries 0 (none) and 20; 24 bytes of file.
    std::vector<uint8_t> bytes = Words({0x4D524F46, 16, 2, 0, 20, 0});
    GameFile file;
    Holding(file, bytes);
    GameFileCountTable table;
    ASSERT_TRUE(GameFile_ReadCountTable(file, 8, 12, table));
    EXPECT_EQ(std::tuple(2u, 20u, 0u), std::tuple(table.count, table.Entry(file, 1), table.Entry(file, 2)));

    EXPECT_FALSE(GameFile_ReadCountTable(file, 8, 11, table)); // the table runs past the body
    WriteWord(bytes, 8, 0xFFFFFFFFu);                           // a count no body can hold
    Holding(file, bytes);
    EXPECT_FALSE(GameFile_ReadCountTable(file, 8, 16, table));
    WriteWord(bytes, 8, 2);
    WriteWord(bytes, 16, 24); // an entry at the end of the file
    Holding(file, bytes);
    EXPECT_FALSE(GameFile_ReadCountTable(file, 8, 16, table));

    // Chunk ranges are tested without wrapping.
    for (auto [at, length, holds] : {std::tuple{110u, 0u, true}, {105u, 6u, false}, {0xFFFFFFFFu, 2u, false}})
        EXPECT_EQ(holds, GameFile_ChunkHolds(100, 10, at, length)) << at << "+" << length;
}
