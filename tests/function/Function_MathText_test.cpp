// The text built-ins and their helpers: positions in characters, malformed UTF-8 at the end of a
// text, the two reported misuses, and the size limits of repetition and formatting.
#include "Function_TestCases.h"

#include <cmath>

#include "code/Code_Object.h"
#include "function/Function_MathText.h"

namespace {

using functiontest::BuiltinTest;
using functiontest::Case;
using functiontest::ExpectCases;

const char* const A_E_EURO = "a\xC3\xA9\xE2\x82\xAC"; // 'aé€'

TEST_F(BuiltinTest, ConversionsBetweenRealsTextsAndCodes)
{
    ExpectCases({
        {"real", {"  12.5abc"}, 12.5}, {"real", {"abc"}, 0},     {"real", {"0x10"}, 0},
        {"real", {"\xC3\xA9-3"}, -3},  {"real", {"\x01 5\x02"}, 5}, {"real", {""}, 0}, {"real", {7.25}, 7.25},
        {"string", {2.5}, "2.50"},     {"string", {1e10}, "10000000000.00"}, {"string", {-3}, "-3"},
        {"string", {"x"}, "x"},
        {"string_format", {3.14159, 5, 2}, "3.14"}, {"string_format", {7, 8, 2}, "  7.00"},
        {"string_format", {1.5, 0, 2}, "1.50"},     {"string_format", {1.5, 1, 2}, "1.50"},
        {"string_format", {0.125, 0, 2}, "0.13"},   {"string_format", {2.5, 4, -3}, "   3"},
        {"string_format", {"as is", 9, 9}, "as is"},
        {"chr", {233}, "\xC3\xA9"}, {"chr", {8364}, "\xE2\x82\xAC"}, {"chr", {65.9}, "A"}, {"chr", {-191}, "A"},
        {"chr", {0}, ""},           {"chr", {65536 + 64}, "\xE0\x81\x80"},
        {"ansi_char", {233}, "\xE9"}, {"ansi_char", {321}, "A"}, {"ansi_char", {65.5}, "B"}, {"ansi_char", {0}, ""},
        {"ord", {"\xC3\xA9"}, 233}, {"ord", {"\xE2\x82\xAC"}, 8364}, {"ord", {""}, 0}, {"ord", {5}, 0},
    });
}

TEST_F(BuiltinTest, LengthsSearchesAndPieces)
{
    ExpectCases({
        {"string_length", {A_E_EURO}, 3}, {"string_byte_length", {A_E_EURO}, 6}, {"string_length", {4}, 0},
        {"string_pos", {"l", "hello"}, 3}, {"string_pos", {"", "hello"}, 0}, {"string_pos", {"z", "hello"}, 0},
        {"string_pos", {"\xE2\x82\xAC", A_E_EURO}, 3}, {"string_pos", {"lo!", "hello"}, 0},
        {"string_copy", {"hello", 2, 3}, "ell"}, {"string_copy", {"hello", 0, 2}, "he"},
        {"string_copy", {"hello", 4, 10}, "lo"}, {"string_copy", {"hello", 6, 1}, ""},
        {"string_copy", {A_E_EURO, 2, 1}, "\xC3\xA9"}, {"string_copy", {"hello", 2, -4}, ""},
        {"string_copy", {5, 1, 1}, ""},
        {"string_char_at", {"hello", 0}, "h"}, {"string_char_at", {"hello", 1}, "h"},
        {"string_char_at", {"hello", 6}, ""},  {"string_char_at", {A_E_EURO, 3}, "\xE2\x82\xAC"},
        {"string_byte_at", {"a\xC3\xA9", 2}, -61}, {"string_byte_at", {"abc", 99}, 'c'},
        {"string_byte_at", {"abc", -5}, 'a'},      {"string_byte_at", {"", 1}, 0},
        {"string_set_byte_at", {"abc", 2, 90}, "aZc"}, {"string_set_byte_at", {"abc", 4, 100.9}, "abcd"},
        {"string_delete", {"abcdef", 3, 0}, "abcdef"}, {"string_delete", {"abcdef", 3, 2}, "abef"},
        {"string_delete", {"abcdef", 5, 10}, "abcd"},  {"string_delete", {"abcdef", 7, 1}, "abcdef"},
        {"string_delete", {"abcdef", 0, 2}, "abcdef"}, {"string_delete", {A_E_EURO, 2, 1}, "a\xE2\x82\xAC"},
        {"string_insert", {"XY", "abc", 2}, "aXYbc"}, {"string_insert", {"XY", "abc", 99}, "abcXY"},
        {"string_insert", {"XY", "abc", -3}, "XYabc"}, {"string_insert", {"-", A_E_EURO, 3}, "a\xC3\xA9-\xE2\x82\xAC"},
        {"string_insert", {1, "abc", 1}, ""},
        {"string_count", {"aa", "aaaa"}, 3}, {"string_count", {"", "a"}, 0}, {"string_count", {"x", ""}, 0},
    });
}

TEST_F(BuiltinTest, CaseFiltersRepetitionAndReplacement)
{
    ExpectCases({
        {"string_lower", {"AbC\xC3\x89-z"}, "abc\xC3\x89-z"}, {"string_upper", {"AbC\xC3\xA9-z"}, "ABC\xC3\xA9-Z"},
        {"string_upper", {3}, ""},
        {"string_letters", {"a1-B2\xC3\xA9"}, "aB"}, {"string_digits", {"a1-B2\xC3\xA9"}, "12"},
        {"string_lettersdigits", {"a1-B2\xC3\xA9"}, "a1B2"},
        {"string_repeat", {"ab", 3}, "ababab"}, {"string_repeat", {"ab", 2.5}, "abab"},
        {"string_repeat", {"ab", 0}, ""},       {"string_repeat", {"", 5}, ""},
        {"string_repeat", {"abcd", 20000000}, ""}, // 80 MB: beyond what the value operators build
        {"string_replace_all", {"aaa", "a", "aa"}, "aaaaaa"}, {"string_replace", {"aaa", "a", "aa"}, "aaaa"},
        {"string_replace_all", {"a.b.c", ".", ""}, "abc"},    {"string_replace_all", {"abc", "", "x"}, "abc"},
        {"string_replace", {A_E_EURO, "\xC3\xA9", "e"}, "ae\xE2\x82\xAC"},
    });
}

// A lead byte promising more bytes than the text holds is read up to the terminator, never past it
// (the sanitizer build checks the reads).
TEST_F(BuiltinTest, ATextEndingInsideACharacterIsReadOnlyToItsEnd)
{
    const char* cut = "ab\xE2\x82";
    ExpectCases({
        {"string_length", {cut}, 3}, {"string_char_at", {cut, 3}, "\xE2\x82"}, {"string_upper", {cut}, "AB\xE2\x82"},
        {"string_copy", {cut, 2, 9}, "b\xE2\x82"}, {"string_pos", {"\xE2\x82", cut}, 3}, {"ord", {"\xC3"}, 0xC0},
        {"string_delete", {cut, 3, 1}, "ab"}, {"string_replace_all", {cut, "\xE2\x82", "-"}, "ab-"},
    });
    EXPECT_EQ(UTF8_SubString(cut, 2, 5), "\xE2\x82");
    EXPECT_EQ(UTF8_AsciiOnly("x\xE2y\xC3"), "x");
    EXPECT_EQ(UTF8_Find("b", nullptr), -1);
}

TEST_F(BuiltinTest, MisusedPositionsAreReportedAndLeaveTheText)
{
    const char* const BEYOND = "string_set_byte_at : index beyond end of string";
    const std::vector<std::pair<Case, const char*>> misuses = {
        {{"string_copy", {"hello", 7, 1}, ""}, "string_copy(hello, 7, 1): Index is out of bounds"},
        {{"string_set_byte_at", {"abc", 5, 100}, "abc"}, BEYOND}, {{"string_set_byte_at", {"abc", 0, 100}, "abc"}, BEYOND},
        {{"string_set_byte_at", {5, 1, 65}, ""}, ""}, // a wrong kind is silent
    };
    for (const auto& [call, message] : misuses) {
        ExpectCases({call});
        bool fatal = true;
        std::string error = TakeError(&fatal);
        EXPECT_TRUE(*message ? error.find(message) != std::string::npos && !fatal : error.empty()) << error;
    }
}

// Widths and decimals are capped at 1000 each, so the longest text is 1000 digits after the point.
TEST_F(BuiltinTest, FormattingWidthsAndDecimalsAreCapped)
{
    EXPECT_EQ(testsupport::CallText("string_format", {1, 5000, 2000}).size(), 1002u);
    EXPECT_EQ(testsupport::CallText("string_format", {1, 1e12, 0}).size(), 1000u);
    EXPECT_EQ(testsupport::CallText("string_format", {1, NAN, NAN}).size(), 1000u);
}

TEST_F(BuiltinTest, ACallInSourceWithTheWrongCountDoesNotCompile)
{
    testsupport::RegisterBuiltins();
    g_CodeErrorFlag = false;
    CCode code("x = string_copy(\"a\");", false);
    EXPECT_FALSE(code.Compile("test"));
    EXPECT_NE(g_CodeErrorText.find("Wrong number of arguments to function or script."), std::string::npos)
        << g_CodeErrorText;
    g_CodeErrorFlag = false;
}

} // namespace
