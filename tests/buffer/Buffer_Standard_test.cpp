// Typed values, the three ends of a standard buffer, alignment, seeking, empty buffers and the fast
// buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "buffer/Buffer_Fast.h"
#include "buffer/Buffer_Standard.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

ScriptValue Real(double v)
{
    return ScriptValue{VALUE_REAL, 0, v};
}

std::vector<uint8_t> Bytes(const IBuffer& b, int32_t from = 0, int32_t count = -1)
{
    if (count < 0) count = b.m_Size - from;
    return std::vector<uint8_t>(b.m_pData + from, b.m_pData + from + count);
}

double ReadReal(IBuffer& b, int32_t type, int32_t* code = nullptr)
{
    ScriptValue v = Real(0);
    int32_t result = b.Read(type, &v);
    if (code != nullptr) *code = result;
    double real = v.real;
    Value_Free(&v);
    return real;
}

int32_t WriteReal(IBuffer& b, int32_t type, double value)
{
    ScriptValue v = Real(value);
    return b.Write(type, &v);
}

class Buffers : public ::testing::Test {
protected:
    void SetUp() override { ScriptHeap_Init(); }
};

TEST_F(Buffers, EveryTypeIsWrittenLittleEndianPeekedPokedAndReadBack)
{
    struct Case {
        int32_t type;
        double value;
        std::vector<uint8_t> bytes;
        double readBack;
    };
    const Case cases[] = {
        {eBuffer_U8, 300.7, {0x2C}, 44},
        {eBuffer_S8, -129, {0x7F}, 127},
        {eBuffer_U16, -1, {0xFF, 0xFF}, 65535},
        {eBuffer_S16, -1.9, {0xFF, 0xFF}, -1},
        {eBuffer_U32, -1, {0xFF, 0xFF, 0xFF, 0xFF}, 4294967295.0},
        {eBuffer_U32, 5e9, {0x00, 0xF2, 0x05, 0x2A}, 705032704}, // the low word of a 64-bit truncation
        {eBuffer_U32, 1e20, {0, 0, 0, 0}, 0},                   // INT64_MIN's low word
        {eBuffer_S32, 3e9, {0, 0, 0, 0x80}, -2147483648.0},     // INT_MIN, as x86 gives
        {eBuffer_F32, 1.5, {0, 0, 0xC0, 0x3F}, 1.5},
        {eBuffer_F64, 0.1, {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F}, 0.1},
        {eBuffer_Bool, 0.5, {0}, 0},
        {eBuffer_Bool, 0.51, {1}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " value " << c.value);
        Buffer_Standard b(16, eBuffer_Fixed, 1);
        EXPECT_EQ(0, WriteReal(b, c.type, c.value));
        int32_t length = static_cast<int32_t>(c.bytes.size());
        EXPECT_EQ(length, b.m_Position);
        EXPECT_EQ(c.bytes, Bytes(b, 0, length));
        b.Seek(0, 0);
        EXPECT_EQ(c.readBack, ReadReal(b, c.type));
        ScriptValue v = Real(c.value);
        b.Poke(8, c.type, &v);
        EXPECT_EQ(c.bytes, Bytes(b, 8, length));
        b.Peek(8, c.type, &v);
        EXPECT_EQ(c.readBack, v.real);
    }
}

TEST_F(Buffers, HalfFloatsAreNeverWrittenAndReadsSkipThem)
{
    Buffer_Standard b(8, eBuffer_Fixed, 1);
    EXPECT_EQ(BUFFER_BAD_TYPE, WriteReal(b, eBuffer_F16, 1));
    EXPECT_EQ(BUFFER_BAD_TYPE, WriteReal(b, 12, 1));
    EXPECT_EQ(0, b.m_Position);
    int32_t code = 0;
    EXPECT_EQ(0, ReadReal(b, eBuffer_F16, &code));
    EXPECT_EQ(BUFFER_BAD_TYPE, code);
    EXPECT_EQ(2, b.m_Position);
    // A boolean reads the byte as it stands.
    ScriptValue v = Real(200);
    b.Poke(2, eBuffer_U8, &v);
    EXPECT_EQ(200, ReadReal(b, eBuffer_Bool));
}

TEST_F(Buffers, TheEndOfEachKind)
{
    // Fixed: a full write stops at the end, the next fails, a read there is past the end.
    Buffer_Standard fixed(4, eBuffer_Fixed, 1);
    EXPECT_EQ(0, WriteReal(fixed, eBuffer_S32, 7));
    EXPECT_EQ(4, fixed.m_Position);
    EXPECT_EQ(BUFFER_NO_ROOM, WriteReal(fixed, eBuffer_U8, 1));
    EXPECT_EQ(BUFFER_PAST_END, ReadReal(fixed, eBuffer_U8));
    Buffer_Standard unknown(2, 9, 1);
    EXPECT_EQ(BUFFER_NO_ROOM, WriteReal(unknown, eBuffer_S32, 7));
    EXPECT_EQ(0, unknown.m_Position);

    // Grow: a value past the end doubles first; single bytes double as soon as the end is reached.
    Buffer_Standard grow(8, eBuffer_Grow, 1);
    grow.Seek(0, 6);
    EXPECT_EQ(0, WriteReal(grow, eBuffer_S32, -2));
    EXPECT_EQ(16, grow.m_Size);
    EXPECT_EQ(10, grow.m_Position);
    grow.Seek(0, 15);
    EXPECT_EQ(0, WriteReal(grow, eBuffer_U8, 9));
    EXPECT_EQ(32, grow.m_Size);
    grow.Seek(0, 6);
    EXPECT_EQ(-2, ReadReal(grow, eBuffer_S32));

    // Wrap: values straddle the end.
    Buffer_Standard wrap(5, eBuffer_Wrap, 1);
    wrap.Seek(0, 3);
    EXPECT_EQ(0, WriteReal(wrap, eBuffer_S32, 0x04030201));
    EXPECT_EQ((std::vector<uint8_t>{3, 4, 0, 1, 2}), Bytes(wrap));
    EXPECT_EQ(2, wrap.m_Position);
    wrap.Seek(0, 3);
    EXPECT_EQ(0x04030201, ReadReal(wrap, eBuffer_S32));
}

TEST_F(Buffers, AlignmentFollowsTheStreamAcrossWraps)
{
    Buffer_Standard fixed(16, eBuffer_Fixed, 4);
    WriteReal(fixed, eBuffer_U8, 5);
    WriteReal(fixed, eBuffer_S32, -6);
    EXPECT_EQ(8, fixed.m_Position);
    EXPECT_EQ((std::vector<uint8_t>{5, 0, 0, 0, 0xFA, 0xFF, 0xFF, 0xFF}), Bytes(fixed, 0, 8));
    fixed.Seek(0, 0);
    EXPECT_EQ(5, ReadReal(fixed, eBuffer_U8));
    EXPECT_EQ(-6, ReadReal(fixed, eBuffer_S32));
    EXPECT_EQ(0, reinterpret_cast<uintptr_t>(fixed.m_pData) % 4);

    // 12 bytes into 10: the phase is 2, so stream offset 12 is position 2.
    Buffer_Standard wrap(10, eBuffer_Wrap, 4);
    for (int32_t i = 0; i < 3; ++i) WriteReal(wrap, eBuffer_S32, 0x11111111 * (i + 1));
    EXPECT_EQ(2, wrap.m_WrapPhase);
    EXPECT_EQ(2, wrap.m_Position);
    WriteReal(wrap, eBuffer_S32, 0x44444444);
    EXPECT_EQ((std::vector<uint8_t>{0x33, 0x33, 0x44, 0x44, 0x44, 0x44}), Bytes(wrap, 0, 6));
}

TEST_F(Buffers, SeekFromEachBase)
{
    struct Case {
        int32_t kind, size, alignment, start, base, offset, position, phase;
    };
    const Case cases[] = {
        {eBuffer_Fixed, 10, 1, 4, 0, -5, 0, 0},
        {eBuffer_Fixed, 10, 1, 4, 0, 50, 9, 0},
        {eBuffer_Fixed, 10, 1, 4, 1, 50, 9, 0},
        {eBuffer_Fixed, 10, 1, 4, 1, -50, 0, 0},
        {eBuffer_Fixed, 10, 1, 4, 2, 0, 9, 0},
        {eBuffer_Fixed, 10, 1, 4, 2, 100, 1, 0},
        {eBuffer_Fixed, 10, 1, 4, 2, -3, 9, 0},
        {eBuffer_Fixed, 1, 1, 0, 2, 0, 1, 0},
        {eBuffer_Fixed, 10, 1, 4, 7, 1, 4, 0},
        {eBuffer_Wrap, 10, 4, 0, 1, -1, 9, 2},
        {eBuffer_Wrap, 10, 4, 0, 1, 25, 5, 0},
        {eBuffer_Wrap, 10, 4, 0, 1, INT32_MIN, 2, 2}, // 214748365 passes back, at once
        {eBuffer_Wrap, 1, 4, 0, 1, INT32_MAX, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " base " << c.base << " offset " << c.offset);
        Buffer_Standard b(c.size, c.kind, c.alignment);
        b.m_Position = c.start;
        EXPECT_EQ(c.position, b.Seek(c.base, c.offset));
        EXPECT_EQ(c.phase, b.m_WrapPhase);
    }
}

TEST_F(Buffers, EmptyBuffersNeverDivideOrDoubleZero)
{
    for (int32_t kind : {eBuffer_Fixed, eBuffer_Grow, eBuffer_Wrap}) {
        SCOPED_TRACE(kind);
        Buffer_Standard b(4, kind, 4);
        b.Resize(0);
        ASSERT_EQ(0, b.m_Size);
        EXPECT_EQ(0, b.Seek(1, -7));
        EXPECT_EQ(BUFFER_PAST_END, ReadReal(b, eBuffer_S32));
        ScriptValue v = Real(1);
        b.Peek(0, eBuffer_U8, &v);
        EXPECT_EQ(0, v.real);
        b.Poke(0, eBuffer_U8, &v);
        b.Fill(0, -1, eBuffer_U8, &v, -1, true);
        if (kind == eBuffer_Grow) {
            // Straight to the need.
            EXPECT_EQ(0, WriteReal(b, eBuffer_F64, 1));
            EXPECT_EQ(8, b.m_Size);
        } else {
            EXPECT_EQ(BUFFER_NO_ROOM, WriteReal(b, eBuffer_U8, 1));
        }
    }
    Buffer_Standard grow(0, eBuffer_Grow, 1);
    EXPECT_EQ(0, WriteReal(grow, eBuffer_U8, 1));
    EXPECT_EQ(2, grow.m_Size);
    grow.Resize(-1);
    EXPECT_EQ(2, grow.m_Size);
}

TEST_F(Buffers, GrowthPastTheSizeLimitFails)
{
    uint8_t memory[16] = {};
    Buffer_Standard b(memory, BUFFER_MAX_SIZE - 2, eBuffer_Grow, false);
    b.m_Position = BUFFER_MAX_SIZE - 2;
    EXPECT_EQ(BUFFER_NO_ROOM, WriteReal(b, eBuffer_F64, 1));
    EXPECT_EQ(BUFFER_MAX_SIZE - 2, b.m_Size);
    EXPECT_EQ(memory, b.m_pData);
}

TEST_F(Buffers, StringsNullTextAndSizedStrings)
{
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

TEST_F(Buffers, FastBuffersHoldUnsignedBytesOnly)
{
    Buffer_Fast b(2, 4);
    EXPECT_EQ(BUFFER_FAST_TYPE, WriteReal(b, eBuffer_S8, 1));
    EXPECT_EQ(0, WriteReal(b, eBuffer_U8, 257.9));
    EXPECT_EQ(0, WriteReal(b, eBuffer_U8, -1));
    EXPECT_EQ(BUFFER_NO_ROOM, WriteReal(b, eBuffer_U8, 1));
    int32_t code = 0;
    EXPECT_EQ(0, ReadReal(b, eBuffer_U8, &code));
    EXPECT_EQ(BUFFER_NO_ROOM, code);
    b.Seek(0, 0);
    EXPECT_EQ(0, ReadReal(b, eBuffer_S8, &code));
    EXPECT_EQ(BUFFER_FAST_TYPE, code);
    EXPECT_EQ(1, ReadReal(b, eBuffer_U8));
    ScriptValue v = Real(7);
    b.Poke(1, eBuffer_U16, &v);
    b.Poke(2, eBuffer_U8, &v);
    EXPECT_EQ((std::vector<uint8_t>{1, 255}), Bytes(b));
    b.Peek(1, eBuffer_U8, &v);
    EXPECT_EQ(255, v.real);
    b.Peek(1, eBuffer_U16, &v);
    EXPECT_EQ(0, v.real);
}

} // namespace
