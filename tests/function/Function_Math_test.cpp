// The Math family: its registration, single-precision results and their snapping, rounding to
// 32-bit integers, aggregates, points and vectors, the random members over the shared generator, the
// members that report errors; its text members (positions in characters, malformed UTF-8 at the end
// of a text, the size limits of repetition and formatting); and the Misc family's date members under
// a UTC zone and a zone with daylight saving (POSIX rules, no zone database), dates before 1970 and
// dates no calendar holds. (event_inherited is played by the end-to-end game of the built-ins.)
#include "Function_TestCases.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <set>

#include "code/Code_Constants.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "function/Function_MathText.h"

namespace {

using functiontest::BuiltinTest;
using functiontest::Case;
using functiontest::ExpectCases;
using testsupport::CallReal;

const double PI_F = 3.1415927410125732; // pi as a 32-bit float

TEST(MathFamily, RegistersItsMembersInOrder)
{
    functiontest::ExpectRegisteredRun(
        "is_real:1 is_string:1 is_array:1 array_length_1d:1 ~ string_* replace_all:3 count:2");
}

TEST_F(BuiltinTest, SinglePrecisionSnappingAndRounding)
{
    ExpectCases({
        {"sin", {PI_F}, 0}, {"cos", {0}, 1}, {"tan", {PI_F}, 0}, {"sin", {0.5}, 0.47942554950714111},
        {"arcsin", {1}, 1.5707963705062866}, {"arccos", {1}, 0}, {"arctan2", {1, 0}, 1.5707963705062866},
        {"sqr", {3}, 9}, {"exp", {0}, 1},
        {"arctan", {1}, 0.78539818525314331}, {"degtorad", {180}, PI_F}, {"radtodeg", {PI_F}, 180},
        {"abs", {16777217}, 16777216}, {"log2", {8}, 3}, {"log10", {1000}, 3}, {"round", {-2.5}, -2}, {"round", {3.5}, 4},
        {"round", {0.5}, 0}, {"round", {-0.5000000000000001}, -1}, {"round", {2147483646.5}, 2147483646},
        {"round", {2147483647.5}, INT_MIN}, {"round", {-2147483648.5}, -2147483648.0}, {"round", {NAN}, INT_MIN},
        {"floor", {-0.5}, -1}, {"ceil", {1e10}, INT_MIN}, {"floor", {NAN}, INT_MIN}, {"sign", {NAN}, -1},
        {"frac", {-1.25}, -0.25}, {"logn", {8, 2}, 3}, {"power", {2, 10}, 1024},
    });
    EXPECT_TRUE(std::isnan(CallReal("sqrt", {-1}))) << "no error for a negative";
    EXPECT_TRUE(std::isinf(CallReal("ln", {0})));
    EXPECT_TRUE(std::isnan(CallReal("sin", {INFINITY})));
}

TEST_F(BuiltinTest, AggregatesPointsAndVectors)
{
    ExpectCases({
        {"min", {}, 0}, {"max", {3, 1, 2}, 3}, {"min3", {2, 1, 1}, 1}, {"max3", {1, 5, 5}, 5}, {"dot_product", {1, 2, 3, 4}, 11}, {"mean", {1, 2, 3, 4}, 2.5}, {"median", {5, 1, 4, 2}, 4},
        {"median", {3e9, 1, 4e9}, 3e9}, {"clamp", {5, 10, 0}, 0}, {"random_range", {3, 3}, 3}, {"lerp", {2, 4, 0.5}, 3}, {"choose", {"only"}, "only"},
        {"point_distance_3d", {0, 0, 0, 1, 2, 2}, 3}, {"point_direction", {0, 0, 1, -1}, 45},
        {"point_direction", {5, 5, 5, 5}, 0}, {"point_direction", {0, 0, 0, 1}, 270}, {"lengthdir_y", {10, 90}, -10},
        {"dot_product_3d", {1, 2, 3, 4, 5, 6}, 32}, {"dot_product_3d_normalised", {0, 0, 2, 0, 0, -4}, -1},
        {"is_real", {"1"}, 0}, {"is_string", {"1"}, 1}, {"is_array", {1}, 0}, {"array_length_1d", {1}, 0},
        {"array_height_2d", {"a"}, 0}, {"array_length_2d", {1, 0}, 0},
    });
    EXPECT_TRUE(std::signbit(CallReal("lengthdir_x", {10, 90})) == false) << "a snapped 0 is +0";
    EXPECT_TRUE(std::isnan(CallReal("dot_product_normalised", {0, 0, 0, 0})));
    EXPECT_TRUE(std::isnan(CallReal("point_distance", {INFINITY, 0, INFINITY, 0})));
}

// lengthdir_x and lengthdir_y of one angle share its sine and cosine: each answers the same whether
// its partner just took that angle or another, and -0 and NaN are angles of their own.
TEST_F(BuiltinTest, LengthdirPartsAnswerAloneAsInPairs)
{
    const double angles[] = {0, -0.0, 30, 45, 60, 135.5, 180, 270, 359.9, -720.25, 1e6, NAN, INFINITY};
    for (double angle : angles) {
        for (bool x : {true, false}) {
            const char* part = x ? "lengthdir_x" : "lengthdir_y";
            const char* partner = x ? "lengthdir_y" : "lengthdir_x";
            double another = angle == 0 ? -angle : std::isfinite(angle) ? angle + 1 : 0;
            CallReal(partner, {1, another}); // another angle last
            double alone = CallReal(part, {7.5, angle});
            CallReal(partner, {2, angle});
            double paired = CallReal(part, {7.5, angle});
            EXPECT_EQ(std::memcmp(&alone, &paired, sizeof alone), 0) << part << " " << angle << ": " << alone << " " << paired;
        }
    }
    // The partner's angle taken, each still answers its own part.
    CallReal("lengthdir_y", {2, 60});
    EXPECT_NEAR(CallReal("lengthdir_x", {2, 60}), 1, 1e-6);
    CallReal("lengthdir_x", {2, 30});
    EXPECT_NEAR(CallReal("lengthdir_y", {2, 30}), -1, 1e-6);
}

// Seeds keep the low 32 bits of the truncated real; NaN and values beyond 64 bits convert through
// the numbers module (to INT64_MIN), never through undefined behaviour.
TEST_F(BuiltinTest, RandomSeedsAndRangesFromAnyReal)
{
    const double seeds[][2] = {{4294967296.0 + 7, 7}, {-1, 4294967295.0}, {NAN, 0}, {1e30, 0}};
    for (const auto& s : seeds) {
        CallReal("random_set_seed", {s[0]});
        EXPECT_EQ(CallReal("random_get_seed", {}), s[1]) << s[0];
    }
    for (double x : {static_cast<double>(NAN), static_cast<double>(INFINITY), -1e300})
        EXPECT_FALSE(std::isnan(CallReal("irandom", {x})) || std::isnan(CallReal("irandom_range", {x, 1}))) << x;
    int32_t seed = static_cast<int32_t>(CallReal("randomize", {}));
    EXPECT_EQ(static_cast<uint32_t>(seed), CallReal("random_get_seed", {}));
}

TEST_F(BuiltinTest, ErrorsOfTheInverseFunctionsAggregatesAndEpsilon)
{
    const char* const EPSILON = "math_set_epsilon :: value should be between 0 and 1";
    const char* const MAX = "Error max(): illegal argument; strings not permitted";
    const std::vector<std::pair<functiontest::Case, const char*>> reports = {
        {{"arccos", {-2}, 0}, "Error in function arccos()."}, {{"arcsin", {NAN}, 0}, "Error in function arcsin()."},
        {{"min", {3, "a"}, 0}, "Error min(): illegal argument; strings not permitted"},
        {{"max3", {1, 2, "c"}, 0}, MAX}, {{"math_set_epsilon", {1}, 0}, EPSILON},
    };
    double epsilon = Code_CompareEpsilon;
    for (const auto& [call, message] : reports) {
        ExpectCases({call});
        bool fatal = false;
        EXPECT_NE(TakeError(&fatal).find(message), std::string::npos) << message;
        EXPECT_EQ(fatal, message == EPSILON) << message;
        EXPECT_EQ(Code_CompareEpsilon, epsilon) << "a refused epsilon changes nothing";
    }
    for (double accepted : {0.0, 0.5}) {
        CallReal("math_set_epsilon", {accepted});
        EXPECT_EQ(Code_CompareEpsilon, accepted);
    }
    CallReal("math_set_epsilon", {"0.2"});
    EXPECT_EQ(Code_CompareEpsilon, 0.5) << "a string is ignored";
    EXPECT_EQ(TakeError(), "");
    Code_CompareEpsilon = epsilon;
}

const char* const A_E_EURO = "a\xC3\xA9\xE2\x82\xAC"; // 'aé€'

TEST_F(BuiltinTest, ConversionsBetweenRealsTextsAndCodes)
{
    ExpectCases({
        {"real", {"  12.5abc"}, 12.5}, {"real", {"0x10"}, 0}, {"real", {"\xC3\xA9-3"}, -3}, {"real", {"\x01 5\x02"}, 5},
        {"string", {2.5}, "2.50"}, {"string", {1e10}, "10000000000.00"}, {"string", {-3}, "-3"},
        {"string", {2147483647}, "2147483647"}, {"string", {-2147483648.0}, "-2147483648"},
        {"string", {2147483648.0}, "2147483648.00"}, {"string", {-0.0}, "0"}, {"string", {"as is"}, "as is"},
        {"string_format", {7, 8, 2}, "  7.00"}, {"string_format", {0.125, 0, 2}, "0.13"},
        {"string_format", {2.5, 4, -3}, "   3"}, {"string_format", {"as is", 9, 9}, "as is"},
        {"chr", {8364}, "\xE2\x82\xAC"}, {"chr", {-191}, "A"}, {"chr", {65536 + 64}, "\xE0\x81\x80"},
        {"ansi_char", {321}, "A"}, {"ansi_char", {65.5}, "B"}, {"ord", {"\xE2\x82\xAC"}, 8364}, {"ord", {5}, 0},
    });
}

TEST_F(BuiltinTest, LengthsSearchesAndPieces)
{
    ExpectCases({
        {"string_length", {A_E_EURO}, 3}, {"string_byte_length", {A_E_EURO}, 6}, {"string_length", {4}, 0},
        {"string_pos", {"", "hello"}, 0}, {"string_pos", {"\xE2\x82\xAC", A_E_EURO}, 3},
        {"string_copy", {"hello", 0, 2}, "he"}, {"string_copy", {"hello", 4, 10}, "lo"},
        {"string_copy", {A_E_EURO, 2, 1}, "\xC3\xA9"}, {"string_copy", {"hello", 2, -4}, ""},
        {"string_char_at", {"hello", 0}, "h"}, {"string_char_at", {A_E_EURO, 3}, "\xE2\x82\xAC"},
        {"string_byte_at", {"a\xC3\xA9", 2}, -61}, {"string_byte_at", {"abc", 99}, 'c'}, {"string_byte_at", {"", 1}, 0},
        {"string_set_byte_at", {"abc", 4, 100.9}, "abcd"}, {"string_delete", {"abcdef", 5, 10}, "abcd"},
        {"string_delete", {"abcdef", 0, 2}, "abcdef"}, {"string_delete", {A_E_EURO, 2, 1}, "a\xE2\x82\xAC"},
        {"string_insert", {"XY", "abc", 99}, "abcXY"}, {"string_insert", {"XY", "abc", -3}, "XYabc"},
        {"string_insert", {"-", A_E_EURO, 3}, "a\xC3\xA9-\xE2\x82\xAC"}, {"string_count", {"aa", "aaaa"}, 3},
        {"string_count", {"", "a"}, 0},
    });
}

// Positions and counts are taken by their real value: beyond 32 bits they stay far beyond the text
// (or far before it), never wrapping to its start.
TEST_F(BuiltinTest, PositionsAndCountsBeyondThirtyTwoBits)
{
    ExpectCases({
        {"string_char_at", {"abc", 1e12}, ""}, {"string_char_at", {"abc", -1e12}, "a"},
        {"string_char_at", {"abc", NAN}, "a"}, {"string_char_at", {"abc", 1e300}, ""},
        {"string_insert", {"x", "abc", 1e12}, "abcx"}, {"string_insert", {"x", "abc", -1e12}, "xabc"},
        {"string_copy", {"hello", 2, 1e12}, "ello"}, {"string_copy", {"hello", -1e12, 2}, "he"},
        {"string_delete", {"abcdef", 2, 1e12}, "a"}, {"string_delete", {"abcdef", 1e12, 1}, "abcdef"},
        {"string_byte_at", {"abc", 1e12}, 'c'}, {"string_byte_at", {"abc", -1e12}, 'a'},
        {"string_set_byte_at", {"abc", -1e12, 65}, "abc"},
    });
}

TEST_F(BuiltinTest, CaseFiltersRepetitionAndReplacement)
{
    ExpectCases({
        {"string_lower", {"AbC\xC3\x89-z"}, "abc\xC3\x89-z"}, {"string_upper", {"AbC\xC3\xA9-z"}, "ABC\xC3\xA9-Z"},
        {"string_upper", {3}, ""}, {"string_letters", {"a1-B2\xC3\xA9"}, "aB"}, {"string_digits", {"a1-B2\xC3\xA9"}, "12"},
        {"string_lettersdigits", {"a1-B2\xC3\xA9"}, "a1B2"}, {"string_repeat", {"ab", 2.5}, "abab"},
        {"string_replace_all", {"aaa", "a", "aa"}, "aaaaaa"}, {"string_replace", {"aaa", "a", "aa"}, "aaaa"},
        {"string_replace_all", {"abc", "", "x"}, "abc"},
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
        {{"string_copy", {"hello", 1e12, 1}, ""}, "string_copy(hello, 1000000000000, 1): Index is out of bounds"},
        {{"string_set_byte_at", {"abc", 1e12, 100}, "abc"}, BEYOND},
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

// Widths and decimals are honoured up to the longest text a string may hold; decimals past a real's
// exact expansion are zeros.
TEST_F(BuiltinTest, FormattingWidthsAndDecimalsReachTheTextLimit)
{
    const std::pair<std::vector<testsupport::TestArg>, std::string> cases[] = {
        {{1, 5000, 2000}, std::string(998, ' ') + "1." + std::string(2000, '0')}, // width 3000, 2000 decimals
        {{1, 100000, 0}, std::string(99999, ' ') + "1"},                         // far past the old cap of 1000
        {{0.5, 1, 70000}, "0.5" + std::string(69999, '0')},                      // past the formatter's own cap
        {{-2, -3000, 0}, "-2" + std::string(2998, ' ')},                         // a negative width left-aligns
    };
    for (const auto& [args, text] : cases) {
        EXPECT_EQ(text, testsupport::CallText("string_format", args)) << args[1].real << " " << args[2].real;
        EXPECT_TRUE(TakeError().empty());
    }
}

// Past the longest text a script string may hold, every built-in that builds one reports the fatal
// "String result too long." instead of answering an empty or shortened text; a text of exactly that
// length is built.
TEST_F(BuiltinTest, TextsPastTheLimitAreAFatalErrorNeverEmptyOrCut)
{
    const std::string half(VALUE_MAX_TEXT / 2, 'h'), full(VALUE_MAX_TEXT, 'f');
    const std::pair<const char*, std::vector<testsupport::TestArg>> past[] = {
        {"string_repeat", {"ab", 1e12}},          {"string_repeat", {"ab", 4294967299.0}},
        {"string_repeat", {"abcd", 20000000}},    {"string_repeat", {"a", double(VALUE_MAX_TEXT) + 1}},
        {"string_insert", {"x", full, 1}},        {"string_insert", {half, half + "h", 1}},
        {"string_replace_all", {std::string(1 << 20, 'a'), "a", std::string(65, 'b')}},
        {"string_replace", {full, "f", "gg"}},    {"string_format", {1, 1e12, 0}},
        {"string_format", {1, 4, 1e12}},          {"string_format", {1, NAN, NAN}},
        {"string_format", {1, -1e12, 0}},         {"string_upper", {full + "f"}}, // any other text member
    };
    for (const auto& [name, args] : past) {
        testsupport::BuiltinResult result = testsupport::CallBuiltin(name, args);
        bool fatal = false;
        std::string error = TakeError(&fatal);
        EXPECT_NE(std::string::npos, error.find("String result too long.")) << name << " " << args[1].real;
        EXPECT_TRUE(fatal) << name;
        EXPECT_TRUE(result.text.empty()) << name;
    }
    const std::pair<const char*, std::vector<testsupport::TestArg>> at[] = {
        {"string_repeat", {"a", double(VALUE_MAX_TEXT)}}, {"string_insert", {half, half, 1}},
        {"string_format", {1, double(VALUE_MAX_TEXT), 0}}, {"string_upper", {full}},
        {"string_replace_all", {std::string(1 << 20, 'a'), "a", std::string(64, 'b')}},
    };
    for (const auto& [name, args] : at) {
        EXPECT_EQ(VALUE_MAX_TEXT, testsupport::CallText(name, args).size()) << name;
        EXPECT_TRUE(TakeError().empty()) << name;
    }
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

// Game files spell built-ins with "colour": such a name is the "color" row itself (nothing is added),
// in the function chunk's linking and in source code alike; a name that fits neither way is unknown.
TEST_F(BuiltinTest, TheColourSpellingIsTheColorRow)
{
    testsupport::RegisterBuiltins();
    int32_t rows = g_FunctionCount;
    const std::pair<const char*, const char*> spellings[] = {
        {"make_colour_rgb", "make_color_rgb"}, {"draw_set_colour", "draw_set_color"},
        {"colour_get_red", "color_get_red"},   {"draw_text_ext_transformed_colour", "draw_text_ext_transformed_color"},
        {"part_type_colour_mix", "part_type_color_mix"},
    };
    for (const auto& [colour, color] : spellings) {
        int32_t found = -1, row = -1;
        ASSERT_TRUE(Code_Function_Find(color, &row)) << color;
        EXPECT_TRUE(Code_Function_Find(colour, &found)) << colour;
        EXPECT_EQ(found, row) << colour;
    }
    int32_t id = -1, own = -1;
    EXPECT_FALSE(Code_Function_Find("make_colourx_rgb", &id));
    EXPECT_EQ(id, -1);
    // A row named with "colour" is found as written.
    ASSERT_TRUE(Code_Function_Find("vertex_format_add_colour", &own));
    EXPECT_STREQ(Function_Get(own)->name, "vertex_format_add_colour");
    EXPECT_EQ(g_FunctionCount, rows) << "no row was added";

    EXPECT_EQ(testsupport::CallReal("execute_string", {"return make_colour_rgb(1, 2, 3)"}), 197121);
    if (Constant_Count() == 0) Constant_Init();
    EXPECT_EQ(testsupport::CallReal("execute_string", {"return bm_inv_dest_colour + bm_src_colour"}), 13);
    g_CodeErrorFlag = false;
    CCode unknown("x = make_colourx_rgb(1, 2, 3);", false);
    EXPECT_FALSE(unknown.Compile("test"));
    EXPECT_NE(g_CodeErrorText.find("make_colourx_rgb"), std::string::npos) << g_CodeErrorText;
    g_CodeErrorFlag = false;
}

const char* const CENTRAL_EUROPE = "CET-1CEST,M3.5.0,M10.5.0/3";

double Date(double y, double m, double d, double h = 0, double mi = 0, double s = 0)
{
    return CallReal("date_create_datetime", {y, m, d, h, mi, s});
}

TEST(MiscDates, RegistersItsMembersInOrder)
{
    functiontest::ExpectRegisteredRun(
        "date_* current_datetime:0 current_date:0 current_time:0 create_datetime:6 ~ is_today:1 * "
        "event_inherited:0");
}

TEST_F(BuiltinTest, DatesInUtcAreMadeTakenApartShiftedAndPrinted)
{
    Zone("UTC");
    double epoch = Date(1970, 1, 1);
    EXPECT_EQ(epoch, 25569 + 0.5 / 86400);
    double march = CallReal("date_create_date", {2013, 3, 5});
    double morning = Date(2013, 1, 1, 10, 0, 0);
    double clock = Date(1970, 1, 2, 1, 2, 3);
    ExpectCases({
        {"date_get_second", {epoch}, 0}, {"date_get_weekday", {epoch}, 4},
        {"date_time_string", {Date(2013, 3, 5, 7, 8, 9)}, "07:08:09"},
        {"date_datetime_string", {Date(2013, 3, 5, 7, 8, 9)}, "05/03/2013 07:08:09"},
        {"date_date_string", {CallReal("date_inc_month", {Date(2013, 1, 31), 1})}, "03/03/2013"},
        {"date_date_string", {CallReal("date_inc_year", {Date(2012, 2, 29), 1})}, "01/03/2013"},
        {"date_date_string", {CallReal("date_inc_week", {march, -1})}, "26/02/2013"},
        {"date_date_string", {Date(2013, 13, 1)}, "01/01/2014"},
        {"date_get_day", {CallReal("date_inc_day", {march, 1.9})}, 6},
        {"date_get_hour", {CallReal("date_inc_hour", {morning, 2.5})}, 12},
        {"date_get_minute", {CallReal("date_inc_minute", {morning, 61})}, 1},
        {"date_get_second", {CallReal("date_inc_second", {morning, -1})}, 59},
        {"date_get_week", {Date(2013, 1, 7)}, 0}, {"date_get_week", {Date(2013, 1, 8)}, 1},
        {"date_get_hour_of_year", {clock}, 25}, {"date_get_minute_of_year", {clock}, 1502},
        {"date_get_second_of_year", {clock}, 90123}, {"date_days_in_month", {Date(2012, 2, 10)}, 29},
        {"date_days_in_year", {Date(2012, 5, 1)}, 366}, {"date_leap_year", {Date(1900, 6, 1)}, 0},
        {"date_get_year", {Date(1800, 6, 1)}, 1900},
    });
}

TEST_F(BuiltinTest, ValidationSpansAndComparisons)
{
    ExpectCases({
        {"date_valid_date", {1900, 2, 29}, 0}, {"date_valid_date", {2000, 2, 29}, 1}, {"date_valid_date", {2012, 2.5, 1}, 0},
        {"date_valid_date", {NAN, 1, 1}, 0}, {"date_valid_date", {2012, 1, "1"}, 0}, {"date_valid_time", {24, 0, 0}, 0},
        {"date_valid_datetime", {2012, 2, 29, 23, 60, 0}, 0}, {"date_year_span", {0, 365.25}, 1},
        {"date_month_span", {365.25, 0}, 12}, {"date_week_span", {0, 14}, 2}, {"date_day_span", {3, 1}, 2},
        {"date_hour_span", {1, 0.5}, 12}, {"date_minute_span", {0, 0.5}, 720}, {"date_second_span", {0, 1}, 86400}, {"date_compare_datetime", {NAN, 1}, 0}, {"date_compare_date", {1.2, 1.9}, 0},
        {"date_compare_time", {1.5, 7.5}, 0},
        {"date_date_of", {25569.75}, 25569}, {"date_time_of", {25569.75}, 0.75}, {"date_date_of", {1e300}, INT_MIN},
    });
}

// Before 1970 a date still comes back to the second it was made from.
TEST_F(BuiltinTest, ANineteenFiftyDateTakenApart)
{
    for (const char* rule : {"UTC", CENTRAL_EUROPE}) {
        Zone(rule);
        double date = Date(1950, 6, 15, 13, 45, 30);
        if (std::string(rule) == "UTC") {
            EXPECT_NEAR(date, 18429 + 49530.5 / 86400, 1e-9);
        }
        ExpectCases({
            {"date_get_year", {date}, 1950}, {"date_get_month", {date}, 6}, {"date_get_day", {date}, 15},
            {"date_get_hour", {date}, 13}, {"date_get_minute", {date}, 45}, {"date_get_second", {date}, 30},
            {"date_get_weekday", {date}, 4}, {"date_get_day_of_year", {date}, 166}, {"date_get_week", {date}, 23},
            {"date_datetime_string", {date}, "15/06/1950 13:45:30"},
        });
    }
}

// Parts are read as local time; shifting keeps the UTC clock, so a day across the change to summer
// time moves the local hour.
TEST_F(BuiltinTest, LocalTimeWithDaylightSaving)
{
    Zone(CENTRAL_EUROPE);
    EXPECT_NEAR(std::fmod(Date(2013, 7, 1, 12), 1), 10 / 24.0, 1e-5) << "summer: two hours ahead of UTC";
    EXPECT_NEAR(std::fmod(Date(2013, 1, 15, 12), 1), 11 / 24.0, 1e-5) << "winter: one hour ahead";
    double dayAfter = CallReal("date_inc_day", {Date(2013, 3, 30, 12), 1});
    ExpectCases({{"date_get_hour", {dayAfter}, 13}, {"date_date_string", {dayAfter}, "31/03/2013"}});
}

// A time made on its own reads back as given in any zone, east or west of UTC.
TEST_F(BuiltinTest, ATimeOfDayReadsBackAsGivenInEveryZone)
{
    for (const char* rule : {"UTC", "XST5", "YST-9", CENTRAL_EUROPE}) {
        Zone(rule);
        for (const auto& [h, m, s] : {std::tuple{13, 14, 15}, {0, 30, 0}, {23, 59, 59}}) {
            double time = CallReal("date_create_time", {h, m, s});
            SCOPED_TRACE(std::string(rule) + " " + std::to_string(h));
            ExpectCases({{"date_get_hour", {time}, h},
                         {"date_get_minute", {time}, m},
                         {"date_get_second", {time}, s}});
            EXPECT_LT(std::fabs(time), 1.5) << "on day 0, give or take the zone's offset";
        }
    }
}

TEST_F(BuiltinTest, TimesNowAndDatesBeyondTheCalendar)
{
    Zone("UTC");
    double time = CallReal("date_create_time", {10, 30, 15});
    double now = CallReal("date_current_datetime", {});
    // Made by way of the seconds since 1970, as every date is: equal to the last few bits.
    EXPECT_NEAR(CallReal("date_time_of", {time}), 37815.5 / 86400, 1e-9);
    EXPECT_NEAR(now, (static_cast<double>(std::time(nullptr)) + 0.5) / 86400 + 25569, 3.0 / 86400);
    for (const char* name : {"date_current_date", "date_current_time"})
        EXPECT_NEAR(CallReal(name, {}), now, 3.0 / 86400) << name;
    ExpectCases({
        {"date_date_of", {time}, 0}, {"date_get_hour", {time}, 10},
        {"date_get_second", {time}, 15}, {"date_is_today", {now}, 1}, {"date_is_today", {now - 1}, 0},
        {"date_get_year", {1e300}, 0}, {"date_get_month", {NAN}, 0}, {"date_inc_day", {1e300, 1}, 0},
        {"date_inc_year", {25569, 2147483600}, 0}, {"date_date_string", {NAN}, ""}, {"date_is_today", {-1e300}, 0},
        {"date_create_datetime", {2013, 1e12, 1, 0, 0, 0}, 0}, {"date_days_in_month", {INFINITY}, 0},
    });
}

} // namespace
