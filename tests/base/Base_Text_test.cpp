#include "base/Base_Text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/Platform_MemoryManager.h"

namespace {

// An owned text made through the memory manager, as the helpers expect.
char* Owned(const char* text)
{
    size_t length = std::strlen(text);
    char* block = static_cast<char*>(MEM_ALLOC(length + 1, false));
    std::memcpy(block, text, length + 1);
    return block;
}

TEST(StringConcat, SkipsNothingArgumentsTakesAllTenAndMayReadTheDestination)
{
    char* destination = nullptr;
    char* result = String_Concat(&destination, nullptr, "ab", "", "cd");
    EXPECT_EQ(result, destination);
    EXPECT_STREQ(destination, "abcd");
    EXPECT_EQ(String_Concat(&destination, "", nullptr, ""), nullptr);
    EXPECT_STREQ(destination, "abcd"); // left as it was

    String_Concat(&destination, "0", "1", "2", "3", "4", "5", "6", "7", "8", "9");
    EXPECT_STREQ(destination, "0123456789");

    // Written in place, "ab" would overwrite the text before it was appended ("abab").
    String_Concat(&destination, "ab", destination, destination + 2);
    EXPECT_STREQ(destination, "ab012345678923456789");
    MemoryManager::Free(destination);
}

TEST(StringWidenNarrow, ConvertByteForByte)
{
    char16_t* wide = String_Widen("A\xE9z");
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(String_Length16(wide), 3u);
    EXPECT_EQ(std::u16string(wide, 4), (std::u16string{u'A', char16_t(0xFFE9), u'z', 0})); // sign-extended
    char* narrow = String_Narrow(wide);
    EXPECT_STREQ(narrow, "A\xE9z");
    const char16_t high[] = {0x20AC, 0x0141, 0};
    char* cut = String_Narrow(high);
    EXPECT_STREQ(cut, "\xAC\x41"); // low bytes only
    for (void* block : {static_cast<void*>(wide), static_cast<void*>(narrow), static_cast<void*>(cut)})
        MemoryManager::Free(block);
    EXPECT_EQ(String_Widen(nullptr), nullptr);
}

TEST(Trim, RemovesBlanksFromBothEndsIntoTheOwnedBlock)
{
    const struct {
        const char* source;
        const char* expected;
    } cases[] = {
        {"  x y \t", "x y"}, {"   ", ""}, {"\x01\x1F" "a" "\r\n", "a"},
        // UTF-8 characters at either end are text, not blanks.
        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"}, {"\x7F!\x7F", "\x7F!\x7F"},
    };
    for (const auto& c : cases) {
        char* owned = nullptr;
        Trim(&owned, c.source);
        ASSERT_NE(owned, nullptr) << c.source;
        EXPECT_STREQ(owned, c.expected) << c.source;
        MemoryManager::Free(owned);
    }

    // A large enough block is reused, and the source may lie inside it.
    char* owned = Owned("a long text that leaves room");
    char* block = owned;
    Trim(&owned, "  short ");
    EXPECT_EQ(owned, block);
    EXPECT_STREQ(owned, "short");
    Trim(&owned, owned + 1); // the source lies inside the owned block
    EXPECT_STREQ(owned, "hort");
    Trim(&owned, nullptr);
    EXPECT_EQ(owned, nullptr);
}

// Names and paths as the engine's lines show them: what a terminal would act on, or what is no
// UTF-8, by its bytes, a run of them in one bracket; printable text, UTF-8 and tabs as they are.
TEST(TextPrintable, ShowsControlBytesAndBrokenUtf8ByTheirBytes)
{
    const struct {
        std::string text;
        const char* shown;
    } cases[] = {
        {"plain name.win", "plain name.win"},
        {"miss\x1B[2J.win", "miss[1B][2J.win"},
        {"two\nlines\r\n", "two[0A]lines[0D 0A]"},
        {"a\tb", "a\tb"},
        {"del\x7F", "del[7F]"},
        {std::string("nul\0byte", 8), "nul[00]byte"},
        // Well-formed UTF-8 of two, three and four bytes stays.
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        // The C1 controls are characters, but terminals act on them: U+009B is a control sequence.
        {"c1 \xC2\x9B" "2J \xC2\xA0", "c1 [C2 9B]2J \xC2\xA0"},
        // Stray and cut bytes, overlong forms, surrogates and values past U+10FFFF are no UTF-8.
        {"\xFF\x80x", "[FF 80]x"},
        {"\xC0\xAF", "[C0 AF]"},
        {"\xE0\x80\xAF", "[E0 80 AF]"},
        {"\xED\xA0\x80", "[ED A0 80]"},
        {"\xF4\x90\x80\x80", "[F4 90 80 80]"},
        {"cut \xE2\x82", "cut [E2 82]"},
        {"\xE2\x82\xC3\xA9", "[E2 82]\xC3\xA9"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Text_Printable(c.text), c.shown) << c.shown;
    EXPECT_EQ(Text_Printable(static_cast<const char*>(nullptr)), "");
    EXPECT_EQ(Text_Printable("\x1B"), "[1B]");

    // A compiler's log or a report keeps its lines: LF and CR LF end one, as LF.
    const struct {
        const char* text;
        const char* shown;
    } lines[] = {
        {"ERROR: 0:1: '\x1B' : unexpected token\nERROR: 1 compilation errors.\n",
         "ERROR: 0:1: '[1B]' : unexpected token\nERROR: 1 compilation errors.\n"},
        {"a\r\n\r\nb\rc\x07", "a\n\nb[0D]c[07]"},
        {"\n", "\n"},
        {"", ""},
    };
    for (const auto& c : lines) EXPECT_EQ(Text_PrintableLines(c.text), c.shown) << c.shown;
}

TEST(TextHelpers, FindAndTruncate)
{
    const struct {
        const char* needle;
        const char* text;
        int32_t at;
    } finds[] = {{"lo", "hello", 4}, {"x", "hello", 0}, {"", "hello", 1}, {nullptr, "hello", 0}};
    for (const auto& c : finds) EXPECT_EQ(String_Find(c.needle, c.text), c.at) << (c.needle ? c.needle : "null");
    EXPECT_EQ(Real_ToInt(-2.9), -2);
    EXPECT_EQ(Real_ToInt(3e9), static_cast<int32_t>(0x80000000u));
}

} // namespace
