// Typed values, the ends of each kind, alignment, seeking, empty buffers, strings and the fast buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "buffer/Buffer_Fast.h"
#include "buffer/Buffer_Standard.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

std::vector<uint8_t> Bytes(const IBuffer& b, int32_t from, int32_t count)
{
    return std::vector<uint8_t>(b.m_pData + from, b.m_pData + from + count);
}

TEST(Buffers, EveryTypeIsWrittenLittleEndianPokedPeekedAndReadBack)
{
    ScriptHeap_Init();
    const struct {
        int32_t type;
        double value;
        std::vector<uint8_t> bytes;
        double readBack;
    } cases[] = {
        {eBuffer_U8, 300.7, {0x2C}, 44},
        {eBuffer_S8, -129, {0x7F}, 127},
        {eBuffer_U16, -1, {0xFF, 0xFF}, 65535},
        {eBuffer_S16, -1.9, {0xFF, 0xFF}, -1},
        {eBuffer_U32, 5e9, {0x00, 0xF2, 0x05, 0x2A}, 705032704}, // the low word of a 64-bit truncation
        {eBuffer_U32, 1e20, {0, 0, 0, 0}, 0},                   // INT64_MIN's low word
        {eBuffer_S32, 3e9, {0, 0, 0, 0x80}, -2147483648.0},     // INT_MIN, as x86 gives
        {eBuffer_F32, 1.5, {0, 0, 0xC0, 0x3F}, 1.5},
        {eBuffer_F64, 0.1, {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F}, 0.1},
        {eBuffer_Bool, 0.5, {0}, 0},
        {eBuffer_Bool, 0.51, {1}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " value " << c.value);
        Buffer_Standard b(16, eBuffer_Fixed, 1);
        ScriptValue v{VALUE_REAL, 0, c.value};
        EXPECT_EQ(0, b.Write(c.type, &v));
        auto length = static_cast<int32_t>(c.bytes.size());
        EXPECT_EQ(length, b.m_Position);
        EXPECT_EQ(c.bytes, Bytes(b, 0, length));
        b.Poke(8, c.type, &v);
        EXPECT_EQ(c.bytes, Bytes(b, 8, length));
        b.Peek(8, c.type, &v);
        EXPECT_EQ(c.readBack, v.real);
        b.Seek(0, 0);
        b.Read(c.type, &v);
        EXPECT_EQ(c.readBack, v.real);
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

struct Scenario {
    const char* what;
    int32_t kind, size, alignment;
    std::vector<Step> steps;
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
    ScriptHeap_Init();
    const int32_t F = eBuffer_Fixed, G = eBuffer_Grow, W = eBuffer_Wrap, S32 = eBuffer_S32, U8 = eBuffer_U8;
    const Scenario scenarios[] = {
        {"fixed: full, then no room, then past the end", F, 4, 1,
         {{'w', S32, 0, 7, 0}, {'t', 0, 0, 0, 4}, {'w', U8, 0, 1, -2}, {'r', U8, 0, 0, -3}}},
        {"an unknown kind is fixed", 9, 2, 1, {{'w', S32, 0, 7, -2}, {'t', 0, 0, 0, 0}}},
        {"half floats are never written; reads skip them", F, 8, 1,
         {{'w', 7, 0, 1, -1}, {'w', 12, 0, 1, -1}, {'r', 7, 0, 0, 0}, {'t', 0, 0, 0, 2}, {'o', U8, 2, 200, 0},
          {'r', eBuffer_Bool, 0, 0, 200}}},
        {"grow: a value past the end doubles first", G, 8, 1,
         {{'s', 0, 6, 0, 6}, {'w', S32, 0, -2, 0}, {'z', 0, 0, 0, 16}, {'t', 0, 0, 0, 10}}},
        {"grow: a byte doubles as soon as it reaches the end", G, 4, 1, {{'s', 0, 3, 0, 3}, {'w', U8, 0, 9, 0}, {'z', 0, 0, 0, 8}}},
        {"wrap: a value straddles the end", W, 5, 1,
         {{'s', 0, 3, 0, 3}, {'w', S32, 0, 0x04030201, 0}, {'t', 0, 0, 0, 2}, {'p', U8, 0, 0, 3}, {'s', 0, 3, 0, 3},
          {'r', S32, 0, 0, 0x04030201}}},
        {"seeks of a fixed buffer are clamped", F, 10, 1,
         {{'s', 0, -5, 0, 0}, {'s', 0, 50, 0, 9}, {'s', 1, -50, 0, 0}, {'s', 2, 0, 0, 9}, {'s', 2, 100, 0, 1},
          {'s', 2, -3, 0, 9}, {'s', 7, 1, 0, 9}}},
        {"seek from the end of one byte", F, 1, 1, {{'s', 2, 0, 0, 1}}},
        {"wrap seeks in whole passes at once", W, 10, 4,
         {{'s', 1, -1, 0, 9}, {'h', 0, 0, 0, 2}, {'s', 0, 0, 0, 0}, {'s', 1, 25, 0, 5}, {'h', 0, 0, 0, 0},
          {'s', 0, 0, 0, 0}, {'s', 1, INT32_MIN, 0, 2}, {'h', 0, 0, 0, 2}}},
        {"peek and poke outside a fixed buffer do nothing", F, 4, 1,
         {{'o', S32, 1, 5, 0}, {'o', S32, -1, 5, 0}, {'p', U8, 1, 0, 0}, {'p', S32, 1, 0, 0}, {'p', U8, -1, 0, 0}}},
        {"peek and poke wrap", W, 3, 1, {{'o', eBuffer_U16, 5, 0x0201, 0}, {'p', U8, 0, 0, 2}, {'p', eBuffer_U16, 2, 0, 0x0201}}},
        {"fixed of size 0", F, 4, 4,
         {{'x', 0, 0, 0, 0}, {'w', U8, 0, 1, -2}, {'r', S32, 0, 0, -3}, {'s', 1, -7, 0, 0}, {'p', U8, 0, 0, 0}}},
        {"wrap of size 0", W, 4, 4,
         {{'x', 0, 0, 0, 0}, {'s', 1, -7, 0, 0}, {'o', U8, 3, 1, 0}, {'w', S32, 0, 1, -2}, {'r', S32, 0, 0, -3}}},
        {"grow from 0 straight to the need; a negative size is refused", G, 4, 1,
         {{'x', 0, 0, 0, 0}, {'w', eBuffer_F64, 0, 1, 0}, {'z', 0, 0, 0, 8}, {'x', 0, -1, 0, 0}, {'z', 0, 0, 0, 8}}},
        {"fast: unsigned bytes only", eBuffer_Fast, 2, 4,
         {{'w', eBuffer_S8, 0, 1, -4}, {'w', U8, 0, 257.9, 0}, {'w', U8, 0, -1, 0}, {'w', U8, 0, 1, -2},
          {'r', U8, 0, 0, 0}, {'s', 0, 0, 0, 0}, {'r', eBuffer_S8, 0, 0, 0}, {'r', U8, 0, 0, 1}, {'o', eBuffer_U16, 0, 7, 0},
          {'p', U8, 1, 0, 255}, {'p', eBuffer_U16, 0, 0, 0}}},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.what);
        IBuffer* b = s.kind == eBuffer_Fast ? static_cast<IBuffer*>(new Buffer_Fast(s.size, s.alignment))
                                            : new Buffer_Standard(s.size, s.kind, s.alignment);
        for (size_t i = 0; i < s.steps.size(); ++i) EXPECT_EQ(s.steps[i].expect, Apply(*b, s.steps[i])) << "step " << i;
        delete b;
    }
}

TEST(Buffers, GrowthPastTheSizeLimitFailsWithoutTouchingMemory)
{
    uint8_t memory[16] = {};
    Buffer_Standard b(memory, BUFFER_MAX_SIZE - 2, eBuffer_Grow, false);
    b.m_Position = BUFFER_MAX_SIZE - 2;
    ScriptValue v{VALUE_REAL, 0, 1.0};
    EXPECT_EQ(BUFFER_NO_ROOM, b.Write(eBuffer_F64, &v));
    EXPECT_EQ(memory, b.m_pData);
}

TEST(Buffers, StringsNullTextAndSizedStrings)
{
    ScriptHeap_Init();
    Buffer_Standard b(16, eBuffer_Grow, 1);
    EXPECT_EQ(0, b.WriteString(nullptr));
    EXPECT_EQ(0, b.WriteString("h\xC3\xA9"));
    EXPECT_EQ(0, b.WriteSizedString("ab"));
    EXPECT_EQ((std::vector<uint8_t>{4, 0, 'h', 0xC3, 0xA9, 0, 3, 0, 0, 0, 'a', 'b', 0}), Bytes(b, 0, 13));
    b.Seek(0, 0);
    EXPECT_EQ(nullptr, b.ReadString());
    char* text = b.ReadString();
    EXPECT_STREQ("h\xC3\xA9", text);
    MemoryManager::Free(text);

    // No terminator before the end: the string ends there.
    Buffer_Standard full(3, eBuffer_Wrap, 1);
    std::memcpy(full.m_pData, "abc", 3);
    text = full.ReadString();
    EXPECT_STREQ("abc", text);
    MemoryManager::Free(text);
    EXPECT_EQ(3, full.m_Position);
}

} // namespace
