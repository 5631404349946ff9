// Buffers of each kind: typed values and their bytes, the ends of each kind, alignment, seeking,
// empty buffers and the fast buffer; whole regions copied across the ends of both buffers, filled,
// saved and loaded (digests and encodings go through the built-ins).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "../TestSupport_SaveArea.h"
#include "buffer/Buffer_Fast.h"
#include "buffer/Buffer_Standard.h"
#include "platform/Platform_MemoryManager.h"

namespace {

std::vector<uint8_t> Bytes(const IBuffer& b, int32_t from = 0, int32_t count = -1)
{
    return std::vector<uint8_t>(b.m_pData + from, b.m_pData + from + (count < 0 ? b.m_Size : count));
}

void Put(IBuffer& b, const std::string& bytes)
{
    std::memcpy(b.m_pData, bytes.data(), bytes.size());
}

TEST(Buffers, EveryTypeIsWrittenLittleEndianAndReadBack)
{
    // Type, value, bytes written, value read back: U32 takes the low word of a 64-bit
    // truncation (1e20 gives INT64_MIN's), S32 gives INT_MIN as x86 does.
    const std::tuple<int32_t, double, std::vector<uint8_t>, double> cases[] = {
        {eBuffer_U8, 300.7, {0x2C}, 44},          {eBuffer_S8, -129, {0x7F}, 127},    {eBuffer_U16, -1, {0xFF, 0xFF}, 65535},
        {eBuffer_U32, 5e9, {0x00, 0xF2, 0x05, 0x2A}, 705032704}, {eBuffer_U32, 1e20, {0, 0, 0, 0}, 0},
        {eBuffer_S32, 3e9, {0, 0, 0, 0x80}, -2147483648.0},      {eBuffer_F32, 1.5, {0, 0, 0xC0, 0x3F}, 1.5},
        {eBuffer_F64, 0.1, {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F}, 0.1},
        {eBuffer_Bool, 0.5, {0}, 0},              {eBuffer_Bool, 0.51, {1}, 1}};
    for (const auto& [type, value, bytes, readBack] : cases) {
        SCOPED_TRACE(testing::Message() << "type " << type << " value " << value);
        Buffer_Standard b(16, eBuffer_Fixed, 1);
        ScriptValue v{VALUE_REAL, 0, value};
        EXPECT_EQ(0, b.Write(type, &v));
        auto length = static_cast<int32_t>(bytes.size());
        EXPECT_EQ(length, b.m_Position);
        EXPECT_EQ(bytes, Bytes(b, 0, length));
        b.Seek(0, 0);
        b.Read(type, &v);
        EXPECT_EQ(readBack, v.real);
    }
}

// One operation on a buffer and what it must answer.
struct Step {
    char op; // w write, r read, s seek, p peek, o poke, t position, z size, h wrap phase, x resize
    int32_t type;  // or the seek base
    int32_t where; // seek or peek/poke offset
    double value;  // written or poked
    double expect; // the result code, value, position, size or phase
};

double Apply(IBuffer& b, const Step& s)
{
    ScriptValue v{VALUE_REAL, 0, s.value};
    switch (s.op) {
    case 'w': return b.Write(s.type, &v);
    case 'r': b.Read(s.type, &v); return v.real;
    case 's': return b.Seek(s.type, s.where);
    case 'p': b.Peek(s.where, s.type, &v); return v.real;
    case 'o': b.Poke(s.where, s.type, &v); return s.expect;
    case 'x': b.Resize(s.where); return s.expect;
    case 't': return b.m_Position;
    case 'z': return b.m_Size;
    default: return b.m_WrapPhase;
    }
}

TEST(Buffers, ScenariosOfEachKind)
{
    const int32_t F = eBuffer_Fixed, G = eBuffer_Grow, W = eBuffer_Wrap, S32 = eBuffer_S32, U8 = eBuffer_U8;
    // What, kind, size, alignment, steps.
    const std::tuple<const char*, int32_t, int32_t, int32_t, std::vector<Step>> scenarios[] = {
        {"fixed: full, then no room, then past the end", F, 4, 1,
         {{'w', S32, 0, 7, 0}, {'t', 0, 0, 0, 4}, {'w', U8, 0, 1, -2}, {'r', U8, 0, 0, -3}}},
        {"half floats are never written; reads skip them", F, 8, 1, {{'w', 7, 0, 1, -1}, {'r', 7, 0, 0, 0}, {'t', 0, 0, 0, 2}}},
        {"grow: a value past the end doubles first", G, 8, 1,
         {{'s', 0, 6, 0, 6}, {'w', S32, 0, -2, 0}, {'z', 0, 0, 0, 16}, {'t', 0, 0, 0, 10}}},
        {"wrap: a value straddles the end", W, 5, 1,
         {{'s', 0, 3, 0, 3}, {'w', S32, 0, 0x04030201, 0}, {'t', 0, 0, 0, 2}, {'p', U8, 0, 0, 3}, {'s', 0, 3, 0, 3},
          {'r', S32, 0, 0, 0x04030201}}},
        {"seeks of a fixed buffer are clamped", F, 10, 1,
         {{'s', 0, -5, 0, 0}, {'s', 0, 50, 0, 9}, {'s', 2, 100, 0, 1}, {'s', 2, -3, 0, 9}, {'s', 7, 1, 0, 9}}},
        {"wrap seeks in whole passes at once", W, 10, 4,
         {{'s', 1, -1, 0, 9}, {'h', 0, 0, 0, 2}, {'s', 0, 0, 0, 0}, {'s', 1, 25, 0, 5}, {'h', 0, 0, 0, 0},
          {'s', 0, 0, 0, 0}, {'s', 1, INT32_MIN, 0, 2}, {'h', 0, 0, 0, 2}}},
        {"peek and poke outside a fixed buffer do nothing", F, 4, 1,
         {{'o', S32, 1, 5, 0}, {'o', S32, -1, 5, 0}, {'p', U8, 1, 0, 0}, {'p', S32, 1, 0, 0}, {'p', U8, -1, 0, 0}}},
        {"fixed of size 0", F, 4, 4,
         {{'x', 0, 0, 0, 0}, {'w', U8, 0, 1, -2}, {'r', S32, 0, 0, -3}, {'s', 1, -7, 0, 0}, {'p', U8, 0, 0, 0}}},
        {"grow from 0 straight to the need; a negative size is refused", G, 4, 1,
         {{'x', 0, 0, 0, 0}, {'w', eBuffer_F64, 0, 1, 0}, {'z', 0, 0, 0, 8}, {'x', 0, -1, 0, 0}, {'z', 0, 0, 0, 8}}},
        {"fast: unsigned bytes only", eBuffer_Fast, 2, 4,
         {{'w', eBuffer_S8, 0, 1, -4}, {'w', U8, 0, 257.9, 0}, {'w', U8, 0, -1, 0}, {'w', U8, 0, 1, -2}, {'r', U8, 0, 0, 0},
          {'s', 0, 0, 0, 0}, {'r', eBuffer_S8, 0, 0, 0}, {'p', U8, 1, 0, 255}}},
    };
    for (const auto& [what, kind, size, alignment, steps] : scenarios) {
        IBuffer* b = kind == eBuffer_Fast ? static_cast<IBuffer*>(new Buffer_Fast(size, alignment))
                                          : new Buffer_Standard(size, kind, alignment);
        for (size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(steps[i].expect, Apply(*b, steps[i])) << what << ", step " << i;
        delete b;
    }
}

// Growth past the size limit fails without touching memory; a string without a terminator
// before the buffer's end ends there.
TEST(Buffers, TheEndsOfMemory)
{
    uint8_t memory[16] = {};
    Buffer_Standard b(memory, BUFFER_MAX_SIZE - 2, eBuffer_Grow, false);
    b.m_Position = BUFFER_MAX_SIZE - 2;
    ScriptValue v{VALUE_REAL, 0, 1.0};
    EXPECT_EQ(BUFFER_NO_ROOM, b.Write(eBuffer_F64, &v));
    EXPECT_EQ(memory, b.m_pData);
    Buffer_Standard full(3, eBuffer_Wrap, 1);
    Put(full, "abc");
    char* text = full.ReadString();
    EXPECT_STREQ("abc", text);
    MemoryManager::Free(text);
}

TEST(Buffers, WriteRegionClipsGrowsAndWrapsBothSides)
{
    const uint8_t source[] = {'A', 'B', 'C', 'D'};
    // Kind and size of the destination; source offset, length and destination offset; growing and
    // wrapping the destination, wrapping the source; the destination afterwards. Across both ends;
    // the whole source cut at the end; past the end, the last byte only; grown to exactly the
    // need; a wrapped negative offset.
    const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, bool, bool, bool, std::string> cases[] = {
        {eBuffer_Wrap, 5, 3, 6, 4, false, true, true, "ABCDA"}, {eBuffer_Fixed, 3, 0, -1, 1, false, false, false, ".AB"},
        {eBuffer_Fixed, 3, 2, -1, 10, false, false, false, "..C"}, {eBuffer_Grow, 2, 1, -1, -3, true, false, false, "BCD"},
        {eBuffer_Wrap, 3, 0, 2, -1, false, true, false, "B.A"}};
    for (const auto& [kind, size, from, length, to, grow, wrapTo, wrapFrom, expected] : cases) {
        Buffer_Standard b(size, kind, 1);
        std::memset(b.m_pData, '.', static_cast<size_t>(size));
        EXPECT_TRUE(IBuffer::WriteRegion(&b, source, 4, from, length, to, grow, wrapTo, wrapFrom)) << expected;
        EXPECT_EQ(expected, std::string(b.m_pData, b.m_pData + b.m_Size));
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

TEST(Buffers, FillsWithAStrideAndAligned)
{
    // Kind, size, alignment; offset, length, type, value, stride (below 0: aligned), gaps zeroed;
    // the bytes afterwards. The last starts outside a fixed buffer.
    const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, double, int32_t, bool, std::vector<uint8_t>> cases[] = {
        {eBuffer_Fixed, 8, 1, 1, 6, eBuffer_U16, 0x0102, 3, true, {0xEE, 2, 1, 0, 2, 1, 0, 0xEE}},
        {eBuffer_Fixed, 8, 4, 1, -1, eBuffer_U8, 7, -1, true, {0xEE, 0, 0, 0, 7, 0, 0, 0}},
        {eBuffer_Wrap, 10, 4, 18, 10, eBuffer_U8, 7, -1, true, {7, 0, 0, 0, 7, 0, 0, 0, 7, 0}},
        {eBuffer_Fixed, 2, 1, 2, -1, eBuffer_U8, 9, -1, true, {0xEE, 0xEE}}};
    for (const auto& [kind, size, alignment, offset, length, type, value, stride, zeroGaps, expected] : cases) {
        Buffer_Standard b(size, kind, alignment);
        std::memset(b.m_pData, 0xEE, static_cast<size_t>(size));
        ScriptValue v{VALUE_REAL, 0, value};
        b.Fill(offset, length, type, &v, stride, zeroGaps);
        EXPECT_EQ(expected, Bytes(b)) << kind << " " << offset;
    }
}

// Files go to a save area of the test's own; the round trip through a game is played end to end.
// A region loads into a wrap buffer across its end; a URL is refused before any file is looked
// for, even one that exists under that name.
TEST(Buffers, SavedRegionsLoadBackButNeverFromAUrl)
{
    testsupport::ScopedSaveArea area("buffer_regions");
    Buffer_Standard b(6, eBuffer_Fixed, 1), wrap(4, eBuffer_Wrap, 1);
    Put(b, "abcdef");
    Put(wrap, "....");
    ASSERT_TRUE(b.Save("part.bin", 1, 3));
    EXPECT_TRUE(wrap.Load("part.bin", 0, -1, 3));
    EXPECT_EQ("cd.b", std::string(wrap.m_pData, wrap.m_pData + wrap.m_Size));
    std::filesystem::create_directories(area.Path("http:"));
    std::ofstream(area.Path("http:/x")) << "bytes";
    EXPECT_FALSE(b.Load("http://x", 0, -1, 0));
}

} // namespace
