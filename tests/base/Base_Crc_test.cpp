#include "base/Base_Crc.h"

#include <gtest/gtest.h>

namespace {

TEST(Crc32, CheckValueIsTheComplementOfTheUsualOneAndContinues)
{
    Crc32::BuildTable();
    EXPECT_EQ(Crc32::Buffer("123456789", 9), 0x340BC6D9u);
    // One byte 0xFF: table[0] is 0, so the register is just shifted.
    EXPECT_EQ(Crc32::String("\xFF"), 0x00FFFFFFu);
    // Nothing to hash gives the start value.
    EXPECT_EQ(Crc32::String(nullptr), 0xFFFFFFFFu);
    EXPECT_EQ(Crc32::Buffer("abc", -5), 0xFFFFFFFFu);

    // Continuing equals hashing the whole.
    EXPECT_EQ(Crc32::StringFrom("56789", Crc32::String("1234")), 0x340BC6D9u);
    const unsigned char bytes[] = {0x00, 0x80, 0xFF, 0x10, 0x00, 0x7F};
    uint32_t whole = Crc32::Buffer(bytes, sizeof bytes);
    EXPECT_EQ(Crc32::BufferFrom(bytes + 2, 4, Crc32::Buffer(bytes, 2)), whole);
    // Zero bytes count in a buffer, and end a string.
    EXPECT_NE(whole, Crc32::Buffer(bytes + 1, sizeof bytes - 1));
    EXPECT_EQ(Crc32::String("ab\0cd"), Crc32::String("ab"));
}

TEST(Crc32, CheckTableNoticesADamagedEntry)
{
    Crc32::BuildTable();
    EXPECT_TRUE(Crc32::CheckTable());
    g_Crc32Table[77] ^= 1u;
    EXPECT_FALSE(Crc32::CheckTable());
    Crc32::BuildTable();
}

} // namespace
