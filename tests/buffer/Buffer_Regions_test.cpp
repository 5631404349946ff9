// Whole regions: copies across the ends of both buffers, fills, digests, base64 and files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "buffer/Buffer_Standard.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"
#include "support/Support_SaveArea.h"

namespace {

std::vector<uint8_t> Bytes(const IBuffer& b)
{
    return std::vector<uint8_t>(b.m_pData, b.m_pData + b.m_Size);
}

void Put(IBuffer& b, const std::string& bytes)
{
    std::memcpy(b.m_pData, bytes.data(), bytes.size());
}

std::string Text(const ScriptValue& v)
{
    const char* text = Value_GetText(&v);
    return text != nullptr ? text : "<none>";
}

class Regions : public ::testing::Test {
protected:
    void SetUp() override { ScriptHeap_Init(); }
};

TEST_F(Regions, WriteRegionClipsGrowsAndWrapsBothSides)
{
    const uint8_t source[] = {'A', 'B', 'C', 'D'};
    struct Case {
        const char* what;
        int32_t kind, size, sourceOffset, length, destinationOffset;
        bool grow, wrapDestination, wrapSource, done;
        std::string expected;
    };
    const Case cases[] = {
        {"across both ends", eBuffer_Wrap, 5, 3, 6, 4, false, true, true, true, "ABCDA"},
        {"negative size: the whole source", eBuffer_Fixed, 6, 0, -1, 1, false, false, false, true, ".ABCD."},
        {"cut to the destination's end", eBuffer_Fixed, 3, 0, -1, 1, false, false, false, true, ".AB"},
        {"past the end: the last byte only", eBuffer_Fixed, 3, 2, -1, 10, false, false, false, true, "..C"},
        {"source offset clamped", eBuffer_Fixed, 3, -4, 2, 0, false, false, false, true, "AB."},
        {"grown to exactly the need", eBuffer_Grow, 2, 1, -1, -3, true, false, false, true, "BCD"},
        {"wrap destination offset", eBuffer_Wrap, 3, 0, 2, -1, false, true, false, true, "B.A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Buffer_Standard b(c.size, c.kind, 1);
        std::memset(b.m_pData, '.', static_cast<size_t>(c.size));
        EXPECT_EQ(c.done, IBuffer::WriteRegion(&b, source, 4, c.sourceOffset, c.length, c.destinationOffset, c.grow,
                                               c.wrapDestination, c.wrapSource));
        EXPECT_EQ(c.expected, std::string(b.m_pData, b.m_pData + b.m_Size));
    }
    Buffer_Standard empty(0, eBuffer_Fixed, 1);
    EXPECT_FALSE(IBuffer::WriteRegion(&empty, source, 4, 0, -1, 0, false, false, false));
    EXPECT_FALSE(IBuffer::WriteRegion(&empty, source, 0, 0, -1, 0, true, false, false));

    // A copy into itself would read freed bytes once the buffer grew: it is refused.
    Buffer_Standard grow(2, eBuffer_Grow, 1);
    Put(grow, "xy");
    grow.CopyTo(0, -1, &grow, 5);
    EXPECT_EQ(2, grow.m_Size);
}

TEST_F(Regions, FillsWithAStrideAndAligned)
{
    struct Case {
        const char* what;
        int32_t kind, size, alignment, offset, length, type;
        double value;
        int32_t stride;
        bool zeroGaps;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {"strided, gaps zeroed", eBuffer_Fixed, 8, 1, 1, 6, eBuffer_U16, 0x0102, 3, true,
         {0xEE, 2, 1, 0, 2, 1, 0, 0xEE}},
        {"strided, gaps kept", eBuffer_Fixed, 8, 1, 1, 6, eBuffer_U16, 0x0102, 3, false,
         {0xEE, 2, 1, 0xEE, 2, 1, 0xEE, 0xEE}},
        {"stride cuts the value", eBuffer_Fixed, 4, 1, 0, -1, eBuffer_S32, -1, 1, true, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"aligned from the next multiple", eBuffer_Fixed, 8, 4, 1, -1, eBuffer_U8, 7, -1, true,
         {0xEE, 0, 0, 0, 7, 0, 0, 0}},
        {"aligned, a value longer than the alignment", eBuffer_Fixed, 8, 2, 0, -1, eBuffer_S32, 0x01010101, 0, true,
         {1, 1, 1, 1, 1, 1, 1, 1}},
        {"aligned in a wrap buffer", eBuffer_Wrap, 10, 4, 18, 10, eBuffer_U8, 7, -1, true,
         {7, 0, 0, 0, 7, 0, 0, 0, 7, 0}},
        {"strided in a wrap buffer", eBuffer_Wrap, 5, 1, 3, 5, eBuffer_U8, 9, 2, false, {9, 0xEE, 9, 9, 0xEE}},
        {"offset outside a fixed buffer", eBuffer_Fixed, 2, 1, 2, -1, eBuffer_U8, 9, -1, true, {0xEE, 0xEE}},
        {"a type that cannot be written", eBuffer_Fixed, 2, 1, 0, -1, eBuffer_F16, 9, -1, true, {0xEE, 0xEE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Buffer_Standard b(c.size, c.kind, c.alignment);
        std::memset(b.m_pData, 0xEE, static_cast<size_t>(c.size));
        ScriptValue v{VALUE_REAL, 0, c.value};
        b.Fill(c.offset, c.length, c.type, &v, c.stride, c.zeroGaps);
        EXPECT_EQ(c.expected, Bytes(b));
    }
}

TEST_F(Regions, DigestsAndBase64OfRegionsFollowThePublishedVectors)
{
    struct Case {
        const char* content;
        int32_t kind, offset, size;
        const char* md5;
        const char* sha1;
        const char* base64;
    };
    const Case cases[] = {
        {"xabcx", eBuffer_Fixed, 1, 3, "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d",
         "YWJj"},
        {"xabcx", eBuffer_Fixed, 2, 0, "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709",
         ""},
        {"bcXa", eBuffer_Wrap, -1, 3, "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d",
         "YmNY"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", eBuffer_Fixed, 0, -1,
         "8215ef0796a20bcaaae116d3876c664a", "84983e441c3bd26ebaae4aa1f95129e5e54670f1", nullptr},
        {"xabc", eBuffer_Fixed, 10, -1, nullptr, nullptr, "Yw=="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        Buffer_Standard b(static_cast<int32_t>(std::strlen(c.content)), c.kind, 1);
        Put(b, c.content);
        ScriptValue v{VALUE_REAL, 0, 0.0};
        if (c.md5 != nullptr) {
            b.Md5(&v, c.offset, c.size);
            EXPECT_EQ(c.md5, Text(v));
            b.Sha1(&v, c.offset, c.size);
            EXPECT_EQ(c.sha1, Text(v));
        }
        if (c.base64 != nullptr) {
            b.Base64Encode(&v, c.offset, c.size);
            EXPECT_EQ(c.base64, Text(v));
        }
        Value_Free(&v);
    }
    // An empty buffer: SHA-1 of no bytes, no MD5 at all.
    Buffer_Standard empty;
    ScriptValue v{VALUE_REAL, 0, -1.0};
    empty.Md5(&v, 0, -1);
    EXPECT_EQ(-1.0, v.real);
    empty.Sha1(&v, 0, -1);
    EXPECT_EQ("da39a3ee5e6b4b0d3255bfef95601890afd80709", Text(v));
    Value_Free(&v);
}

TEST_F(Regions, Base64DecodingWritesTheWholeClearedBlock)
{
    Buffer_Standard empty;
    ASSERT_TRUE(empty.Base64Decode("YWJj", 0, -1));
    EXPECT_EQ((std::vector<uint8_t>{'a', 'b', 'c', 0, 0, 0, 0}), Bytes(empty));
    // Decoding stops at the first character outside the alphabet; a fixed buffer clips.
    Buffer_Standard fixed(5, eBuffer_Fixed, 1);
    std::memset(fixed.m_pData, 0xEE, 5);
    ASSERT_TRUE(fixed.Base64Decode("YW!j", 1, -1));
    EXPECT_EQ((std::vector<uint8_t>{0xEE, 'a', 0, 0, 0}), Bytes(fixed));
    EXPECT_FALSE(fixed.Base64Decode(nullptr, 0, -1));
}

// Files go to the save area of a folder of the test's own.
class RegionFiles : public Regions {
protected:
    void SetUp() override
    {
        Regions::SetUp();
        std::filesystem::create_directories(m_Folder);
        std::filesystem::current_path(m_Folder);
        setenv("XDG_DATA_HOME", m_Folder.c_str(), 1);
    }
    void TearDown() override
    {
        std::filesystem::current_path(m_Saved);
        std::filesystem::remove_all(m_Folder);
    }
    std::filesystem::path m_Saved = std::filesystem::current_path();
    std::filesystem::path m_Folder = std::filesystem::temp_directory_path() / ("kelvaro_buffer_" + std::to_string(getpid()));
};

TEST_F(RegionFiles, SavedRegionsLoadBackIntoEachKind)
{
    Buffer_Standard b(6, eBuffer_Fixed, 1);
    Put(b, "abcdef");
    ASSERT_TRUE(b.Save("part.bin", 1, 3));
    int32_t size = 0;
    uint8_t* stored = LoadSave_ReadSaveAreaFile("part.bin", &size);
    ASSERT_NE(nullptr, stored);
    EXPECT_EQ("bcd", std::string(stored, stored + size));
    MemoryManager::Free(stored);

    struct Case {
        int32_t kind, size, destination;
        std::string expected;
    };
    const Case cases[] = {{eBuffer_Fixed, 4, 2, "..bc"},
                          {eBuffer_Wrap, 4, 3, "cd.b"},
                          {eBuffer_Grow, 2, 1, ".bcd"},
                          {eBuffer_Fixed, 0, 1, std::string("\0bcd", 4)}}; // an empty buffer grows
    for (const Case& c : cases) {
        Buffer_Standard into(c.size, c.kind, 1);
        std::memset(into.m_pData, '.', static_cast<size_t>(c.size));
        EXPECT_TRUE(into.Load("part.bin", 0, -1, c.destination));
        EXPECT_EQ(c.expected, std::string(into.m_pData, into.m_pData + into.m_Size));
    }
    EXPECT_FALSE(b.Load("missing.bin", 0, -1, 0));
    // A URL is refused before any file is looked for, even one that exists under that name.
    std::filesystem::create_directories("http:");
    std::ofstream("http://x") << "bytes";
    EXPECT_FALSE(b.Load("http://x", 0, -1, 0));
    EXPECT_FALSE(b.Load("https://x", 0, -1, 0));
}

} // namespace
