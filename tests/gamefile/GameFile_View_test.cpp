#include "gamefile/GameFile_View.h"

#include <gtest/gtest.h>

#include <cstring>

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
    uint16_t half = 0;
    uint64_t wide = 0;
    float real = 0;
    int32_t whole = 0;
    EXPECT_TRUE(file.U32(0, word));
    EXPECT_EQ(0x04030201u, word);
    EXPECT_TRUE(file.U16(6, half));
    EXPECT_EQ(0x0807, half);
    EXPECT_TRUE(file.U64(0, wide));
    EXPECT_EQ(0x0807060504030201ull, wide);
    EXPECT_TRUE(file.F32(8, real));
    EXPECT_EQ(1.0f, real);
    EXPECT_TRUE(file.U32(8, word));

    // One byte short, past the end, and offsets that wrap around 32 bits.
    word = 7;
    EXPECT_FALSE(file.U32(9, word));
    EXPECT_EQ(7u, word);
    uint8_t byte;
    EXPECT_FALSE(file.U8(12, byte));
    EXPECT_FALSE(file.I32(0xFFFFFFFEu, whole));
    EXPECT_FALSE(file.U64(5, wide));
    double precise;
    EXPECT_FALSE(file.F64(8, precise));
    const uint8_t* span;
    EXPECT_TRUE(file.Span(4, 8, span));
    EXPECT_FALSE(file.Span(4, 9, span));
    EXPECT_FALSE(file.Span(0xFFFFFFF0u, 0x20, span));
    EXPECT_TRUE(file.Span(12, 0, span));
    EXPECT_FALSE(file.Contains(13, 0));
}

TEST(GameFileView, StringsNeedATerminatorInsideTheFile)
{
    GameFile file;
    Holding(file, {'F', 'O', 'R', 'M', 'a', 'b', 0, 'c', 'd'});
    const char* text = nullptr;
    EXPECT_TRUE(file.String(4, text));
    EXPECT_STREQ("ab", text);
    EXPECT_TRUE(file.String(6, text));
    EXPECT_STREQ("", text);
    EXPECT_TRUE(file.String(0, text));
    EXPECT_EQ(nullptr, text); // offset 0 names none
    EXPECT_FALSE(file.String(7, text)); // "cd" runs to the end of the file
    EXPECT_FALSE(file.String(9, text));
    EXPECT_FALSE(file.String(0xFFFFFFFFu, text));
}

TEST(GameFileView, AnUnloadedViewRefusesEverything)
{
    GameFile file;
    uint8_t byte;
    const char* text;
    EXPECT_FALSE(file.IsLoaded());
    EXPECT_FALSE(file.U8(0, byte));
    EXPECT_FALSE(file.String(1, text));
    EXPECT_FALSE(file.WriteU32(0, 1));

    // An empty file is loaded but holds nothing.
    Holding(file, {});
    EXPECT_TRUE(file.IsLoaded());
    EXPECT_EQ(0u, file.Size());
    EXPECT_FALSE(file.U8(0, byte));
}

TEST(GameFileView, LinkingWritesOnlyInsideTheFile)
{
    GameFile file;
    Holding(file, std::vector<uint8_t>(8, 0));
    EXPECT_TRUE(file.WriteU32(4, 0xA1B2C3D4u));
    uint32_t word;
    file.U32(4, word);
    EXPECT_EQ(0xA1B2C3D4u, word);
    EXPECT_FALSE(file.WriteU32(5, 1));
}

TEST(GameFileChunkWalk, YieldsEveryChunkAndStopsAtOneThatRunsPastTheEnd)
{
    std::vector<uint8_t> bytes = {'F', 'O', 'R', 'M', 0, 0, 0, 0};
    auto chunk = [&](const char* tag, std::vector<uint8_t> body) {
        bytes.insert(bytes.end(), tag, tag + 4);
        std::vector<uint8_t> length = Words({static_cast<uint32_t>(body.size())});
        bytes.insert(bytes.end(), length.begin(), length.end());
        bytes.insert(bytes.end(), body.begin(), body.end());
    };
    chunk("AAAA", {1, 2, 3});
    chunk("BBBB", {});
    chunk("CCCC", {9});
    WriteWord(bytes, 4, static_cast<uint32_t>(bytes.size() - 8));

    GameFile file;
    Holding(file, bytes);
    GameFileChunkWalk walk(file);
    ASSERT_TRUE(walk.Start());
    GameFileChunk seen;
    ASSERT_TRUE(walk.Next(seen));
    EXPECT_STREQ("AAAA", seen.tag);
    EXPECT_EQ(16u, seen.body);
    EXPECT_EQ(3u, seen.length);
    ASSERT_TRUE(walk.Next(seen));
    EXPECT_STREQ("BBBB", seen.tag);
    EXPECT_EQ(0u, seen.length);
    ASSERT_TRUE(walk.Next(seen));
    EXPECT_STREQ("CCCC", seen.tag);
    EXPECT_EQ(0x43434343u, seen.tagWord);
    EXPECT_FALSE(walk.Next(seen));
    EXPECT_FALSE(walk.Broken());

    // The last chunk claims one byte more than the file holds.
    WriteWord(bytes, bytes.size() - 5, 2);
    Holding(file, bytes);
    GameFileChunkWalk cut(file);
    ASSERT_TRUE(cut.Start());
    ASSERT_TRUE(cut.Next(seen));
    ASSERT_TRUE(cut.Next(seen));
    EXPECT_FALSE(cut.Next(seen));
    EXPECT_TRUE(cut.Broken());
    EXPECT_STREQ("CCCC", cut.BrokenChunk().tag);
    EXPECT_EQ(2u, cut.BrokenChunk().length);

    // A chunk header cut short after its tag.
    bytes = {'F', 'O', 'R', 'M', 6, 0, 0, 0, 'D', 'D', 'D', 'D', 1, 0};
    Holding(file, bytes);
    GameFileChunkWalk shortHeader(file);
    ASSERT_TRUE(shortHeader.Start());
    EXPECT_FALSE(shortHeader.Next(seen));
    EXPECT_TRUE(shortHeader.Broken());
    EXPECT_STREQ("DDDD", shortHeader.BrokenChunk().tag);
}

TEST(GameFileChunkWalk, AContainerWhoseLengthWordIsWrongOrWhichIsTinyHasNothingToWalk)
{
    GameFile file;
    GameFileChunk seen;
    // Exactly 8 bytes with a length word of 0.
    Holding(file, {'F', 'O', 'R', 'M', 0, 0, 0, 0});
    GameFileChunkWalk empty(file);
    EXPECT_FALSE(empty.Start());
    EXPECT_FALSE(empty.Next(seen));
    EXPECT_FALSE(empty.Broken());
    // A length word one too large.
    Holding(file, {'F', 'O', 'R', 'M', 9, 0, 0, 0, 'A', 'A', 'A', 'A', 0, 0, 0, 0});
    GameFileChunkWalk wrong(file);
    EXPECT_FALSE(wrong.Start());
    EXPECT_FALSE(wrong.Next(seen));
    // Fewer than 8 bytes.
    Holding(file, {'F', 'O', 'R'});
    GameFileChunkWalk tiny(file);
    EXPECT_FALSE(tiny.Start());
}

TEST(GameFileCountTable, MustFitItsChunkAndPointIntoTheFile)
{
    // A body at offset 8: count 2, entries 0 (none) and 20; 24 bytes of file.
    std::vector<uint8_t> bytes = Words({0x4D524F46, 16, 2, 0, 20, 0});
    GameFile file;
    Holding(file, bytes);
    GameFileCountTable table;
    ASSERT_TRUE(GameFile_ReadCountTable(file, 8, 12, table));
    EXPECT_EQ(2u, table.count);
    EXPECT_EQ(0u, table.Entry(file, 0));
    EXPECT_EQ(20u, table.Entry(file, 1));
    EXPECT_EQ(0u, table.Entry(file, 2)); // past the count

    EXPECT_FALSE(GameFile_ReadCountTable(file, 8, 11, table)); // the table runs past the body
    EXPECT_FALSE(GameFile_ReadCountTable(file, 8, 3, table));  // not even a count
    WriteWord(bytes, 8, 0xFFFFFFFFu);                           // a count no body can hold
    Holding(file, bytes);
    EXPECT_FALSE(GameFile_ReadCountTable(file, 8, 16, table));
    WriteWord(bytes, 8, 2);
    WriteWord(bytes, 16, 24); // an entry at the end of the file
    Holding(file, bytes);
    EXPECT_FALSE(GameFile_ReadCountTable(file, 8, 16, table));
}

TEST(GameFileCountTable, ChunkHoldsTestsRangesWithoutWrapping)
{
    EXPECT_TRUE(GameFile_ChunkHolds(100, 10, 100, 10));
    EXPECT_TRUE(GameFile_ChunkHolds(100, 10, 110, 0));
    EXPECT_FALSE(GameFile_ChunkHolds(100, 10, 99, 1));
    EXPECT_FALSE(GameFile_ChunkHolds(100, 10, 105, 6));
    EXPECT_FALSE(GameFile_ChunkHolds(100, 10, 105, 0xFFFFFFFFu));
    EXPECT_FALSE(GameFile_ChunkHolds(100, 10, 0xFFFFFFFFu, 2));
}
