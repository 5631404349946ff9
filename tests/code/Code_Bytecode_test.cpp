#include <gtest/gtest.h>

#include <cstring>

#include "code/Code_Bytecode.h"
#include "code/Code_Emitter.h"

namespace {

TEST(BytecodeWord, ImmediateIsSignedSixteenBits)
{
    EXPECT_EQ(VM_WordShort(0xC00FFFFFu), -1);
    EXPECT_EQ(VM_WordShort(0xC00F7FFFu), 32767);
    EXPECT_EQ(VM_WordShort(0xC00F8000u), -32768);
}

TEST(BytecodeWord, BranchDistanceIsSignedTwentyFourBits)
{
    EXPECT_EQ(VM_WordBranchDistance(0xB7FFFFFFu), -1);
    EXPECT_EQ(VM_WordBranchDistance(0xB7000001u), 1);
    EXPECT_EQ(VM_WordBranchDistance(0xB7000000u), 0);
    EXPECT_EQ(VM_WordBranchDistance(0xB7800000u), -8388608);
    EXPECT_EQ(VM_MakeBranchWord(VM_OP_BF, -2), 0xB9FFFFFEu);
}

TEST(BytecodeWord, OperandSizeFollowsTheFirstTypeOnlyWhenBitThirtyIsSet)
{
    EXPECT_EQ(VM_InstructionSize(0xC0000000u), 12); // push.d
    EXPECT_EQ(VM_InstructionSize(0xC0030000u), 12); // push.l
    EXPECT_EQ(VM_InstructionSize(0xC0050000u), 8);  // push.v
    EXPECT_EQ(VM_InstructionSize(0xC00F0005u), 4);  // push.e
    EXPECT_EQ(VM_InstructionSize(0xC0070000u), 4);  // unused type codes carry nothing
    EXPECT_EQ(VM_InstructionSize(0xC00E0000u), 4);
    EXPECT_EQ(VM_InstructionSize(0x08000000u), 4);  // add.d.d: no operand bit
    EXPECT_EQ(VM_InstructionSize(0x41550000u), 8);  // pop.v.v
    EXPECT_EQ(VM_InstructionSize(0x415F0000u), 4);  // pop form 15
    EXPECT_EQ(VM_InstructionSize(0xFF0FFFFFu), 4);  // break
}

TEST(BytecodeWord, TwoTypeWordPutsTheFirstTypeLow)
{
    // x = y + 1: the add of an int on top of a variable.
    EXPECT_EQ(VM_MakeWord(VM_OP_ADD, VM_TYPE_INT, VM_TYPE_VARIABLE), 0x08520000u);
    EXPECT_EQ(VM_MakeWord(VM_OP_POP, VM_TYPE_VARIABLE, VM_TYPE_VARIABLE, 0xFFFA), 0x4155FFFAu);
    EXPECT_EQ(VM_WordFirstType(0x08520000u), VM_TYPE_INT);
    EXPECT_EQ(VM_WordSecondType(0x08520000u), VM_TYPE_VARIABLE);
}

TEST(BytecodeWord, OnlyTheF0FieldMakesAPopEnvLeaveTheBlock)
{
    EXPECT_TRUE(VM_IsPopEnvBreak(VM_WORD_POPENV_BREAK));
    EXPECT_TRUE(VM_IsPopEnvBreak(0xBCF00001u));
    EXPECT_FALSE(VM_IsPopEnvBreak(0xBCFFFFFEu)); // a normal popenv two words back
    EXPECT_FALSE(VM_IsPopEnvBreak(0xBBF00000u)); // pushenv has no such form
}

TEST(Emitter, SmallBufferTakesAHundredWordsInOrder)
{
    VMWriteBuffer buffer(16);
    for (uint32_t i = 0; i < 100; ++i) buffer.Write(i * 0x01010101u);
    buffer.Finish();
    ASSERT_EQ(buffer.m_Size, 400);
    EXPECT_GE(buffer.Capacity(), 400);
    EXPECT_EQ(buffer.Capacity() % 16, 0); // grown by doubling
    for (int32_t i = 0; i < 100; ++i) EXPECT_EQ(buffer.WordAt(i * 4), static_cast<uint32_t>(i) * 0x01010101u);
}

TEST(Emitter, ConvenienceWrites)
{
    VMWriteBuffer buffer(0);
    buffer.WriteBool(true);
    buffer.WriteBool(false);
    buffer.WriteFloat(0.5f);
    buffer.WriteInt64(-2);
    buffer.Finish();
    ASSERT_EQ(buffer.m_Size, 24);
    EXPECT_EQ(buffer.WordAt(0), 1u);
    EXPECT_EQ(buffer.WordAt(4), 0u);
    double half = 0.5;
    uint32_t expected[2];
    std::memcpy(expected, &half, sizeof half);
    EXPECT_EQ(buffer.WordAt(8), expected[0]); // low word first
    EXPECT_EQ(buffer.WordAt(12), expected[1]);
    EXPECT_EQ(buffer.WordAt(16), 0xFFFFFFFEu);
    EXPECT_EQ(buffer.WordAt(20), 0xFFFFFFFFu);
}

TEST(Emitter, PatchRewritesAWrittenWordOnly)
{
    VMWriteBuffer buffer(16);
    buffer.Write(VM_MakeBranchWord(VM_OP_B, 0));
    buffer.Write(0);
    buffer.PatchWord(0, VM_MakeBranchWord(VM_OP_B, 2));
    buffer.PatchWord(8, 0xFFFFFFFFu); // not written yet: ignored
    buffer.Finish();
    EXPECT_EQ(buffer.m_Size, 8);
    EXPECT_EQ(buffer.WordAt(0), 0xB7000002u);
    EXPECT_EQ(buffer.Position(), 8);
}

} // namespace
