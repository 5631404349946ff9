// Registration by header set, the argument helpers, the target decoder and the UTF-8 routines.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "base/Base_Utf8.h"
#include "code/Code_Function.h"
#include "code/Code_Translate.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "function/Function_Target.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

void Nothing(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

TEST(FunctionRegistry, RowsFollowTheHeaderTag)
{
    const FunctionRow rows[] = {{"t_same", Nothing, 2},
                                {"t_counts", Nothing, 3, 5},
                                {"t_any", Nothing, FUNCTION_ARGS_ANY, 1},
                                {"t_current_only", Nothing, 1, FUNCTION_NOT_REGISTERED},
                                {"t_older_only", Nothing, FUNCTION_NOT_REGISTERED, 4}};
    const int32_t current[] = {2, 3, FUNCTION_ARGS_ANY, 1, FUNCTION_NOT_REGISTERED};
    const int32_t older[] = {2, 5, 1, FUNCTION_NOT_REGISTERED, 4};
    ScriptHeap_Init();
    for (const char* tag : {"GEN8", "GEN7", "GENL", "GEN9"}) {
        Function_FreeTable();
        Function_SetHeaderTag(tag);
        Function_AddRows(rows);
        bool isOlder = std::string(tag) == "GEN7" || std::string(tag) == "GENL";
        for (size_t i = 0; i < std::size(rows); ++i) {
            int32_t id = -1;
            bool found = Code_Function_Find(rows[i].name, &id);
            EXPECT_EQ(found ? g_FunctionTable[id].argCount : FUNCTION_NOT_REGISTERED, (isOlder ? older : current)[i])
                << tag << " " << rows[i].name;
        }
    }
    Function_FreeTable();
    Function_SetHeaderTag("GEN8");
}

bool SomeLeaf(CInstance*, CInstance*, const double*, double*) { return false; }

// A row's leaf form reads the current header's count: under a header whose count differs the row
// has none. Rows added or freed drop every translation, which keeps the leaves it found.
TEST(FunctionRegistry, LeavesFollowTheCountTheyRead)
{
    const FunctionRow rows[] = {{"t_leaf_same", Nothing, 2, FUNCTION_SAME_COUNT, SomeLeaf},
                                {"t_leaf_other", Nothing, 2, 3, SomeLeaf},
                                {"t_routine", Nothing, 1}};
    const bool current[] = {true, true, false}, older[] = {true, false, false};
    ScriptHeap_Init();
    for (const char* tag : {"GEN8", "GEN7"}) {
        Function_FreeTable();
        Function_SetHeaderTag(tag);
        uint64_t epoch = g_VMCodeEpoch;
        Function_AddRows(rows);
        EXPECT_NE(g_VMCodeEpoch, epoch) << tag;
        for (size_t i = 0; i < std::size(rows); ++i) {
            int32_t id = -1;
            ASSERT_TRUE(Code_Function_Find(rows[i].name, &id));
            EXPECT_EQ(g_FunctionTable[id].leaf != nullptr, (std::string(tag) == "GEN7" ? older : current)[i])
                << tag << " " << rows[i].name;
        }
    }
    uint64_t epoch = g_VMCodeEpoch;
    Function_FreeTable();
    EXPECT_NE(g_VMCodeEpoch, epoch);
    Function_SetHeaderTag("GEN8");
}

TEST(FunctionArgs, NumbersFlagsAndTexts)
{
    ScriptHeap_Init();
    // Real; rounded, truncated; flag at 0.5, flag above 0.5.
    const double cases[][5] = {{3.5, 4, 3, 1, 1}, {-2.5, -2, -2, 0, 0}, {0.5, 0, 0, 1, 0}, {-0.7, -1, 0, 0, 0},
                               {NAN, INT_MIN, INT_MIN, 0, 0}, {1e12, INT_MIN, INT_MIN, 1, 1}};
    for (const auto& c : cases) {
        ScriptValue value = {VALUE_REAL, 0, c[0]};
        EXPECT_EQ((std::vector<double>{c[1], c[2], c[3], c[4]}),
                  (std::vector<double>{double(Arg_Int(value)), double(Arg_Trunc(value)), double(Arg_Flag(value)),
                                       double(Arg_FlagAbove(value))}))
            << c[0];
        EXPECT_EQ(Arg_Text(value), nullptr) << "a real has no text";
    }
    EXPECT_TRUE(std::isinf(Arg_Float(ScriptValue{VALUE_REAL, 0, 1e300})));
    // The leaf forms' narrowing gives what Numbers_ToFloat gives, bit for bit, at and around the
    // float range's ends (the rounding boundary, just below it, FLT_MAX), in the tiny numbers, at
    // the infinities and for NaNs of either sign.
    const double boundary = 3.4028235677973366e38;
    const double reals[] = {0.0, -0.0, 1.1, -2.5e-8, 1e-46, -1e-46, 1.4e-45, 3.4028234663852886e38, boundary,
                            std::nextafter(boundary, 0.0), -boundary, -std::nextafter(boundary, 0.0), 1e300, -1e300,
                            INFINITY, -INFINITY, NAN, -NAN, 16777217.0, 0.1};
    for (double real : reals) {
        float narrowed = Real_Float(real), reference = Numbers_ToFloat(real);
        EXPECT_EQ(std::signbit(narrowed), std::signbit(reference)) << real;
        if (std::isnan(reference)) {
            EXPECT_TRUE(std::isnan(narrowed)) << real;
        } else {
            EXPECT_EQ(narrowed, reference) << real;
        }
    }
    // The leaf forms' rounding to int32 gives what Arg_Int gives: halves to even, around both ends of
    // the range (a half that rounds out of it, one that rounds onto its lowest value), NaN.
    const double rounded[] = {0.5, 1.5, 2.5, -0.5, -1.5, 3.49, -7.51, 2147483647.0, 2147483647.4, 2147483647.5,
                              -2147483648.0, -2147483648.5, -2147483648.6, 3e9, -3e9, INFINITY, -INFINITY, NAN, -0.0};
    for (double real : rounded)
        EXPECT_EQ(Real_Int(real), Arg_Int(ScriptValue{VALUE_REAL, 0, real})) << real;
    EXPECT_EQ(Arg_Int64(ScriptValue{VALUE_REAL, 0, 5e9 + 0.5}), 5000000000);
    ScriptValue text = {VALUE_REAL, 0, 0.0};
    Value_SetText(&text, "7");
    text.kind |= 0x80000000u; // a marker bit above the kind
    EXPECT_TRUE(Arg_IsString(text));
    EXPECT_STREQ(Arg_Text(text), "7");
    EXPECT_EQ(Arg_Real(text), 0.0) << "a string has no number";
    Value_Free(&text);
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    Result_Text(&result, nullptr);
    EXPECT_STREQ(Value_GetText(&result), "");
    Result_Real(&result, 4);
    EXPECT_EQ(Value_GetKind(&result), VALUE_REAL);
    EXPECT_EQ(result.real, 4);
}

TEST(Utf8, DecodeEncodeCountAndCompare)
{
    struct Case {
        const char* text;
        int32_t length;
        uint16_t first;
        size_t firstBytes;
    } cases[] = {
        {"a\xC3\xA9\xE2\x82\xAC", 3, 'a', 1}, // 'aé€'
        {"\xF0\x9F\x98\x80", 2, (0x1F << 6) | 0x18, 3}, // a four-byte lead reads as three
        {"\xE2\x82", 1, 0x2080, 2},                      // cut short: stops at the end
        {"\xC3", 1, 0xC0, 1}, {"", 0, 0, 0},
        {"ab\xC3\xA9" "cd\xE2\x82\xAC" "e", 7, 'a', 1}, // plain bytes between the decoded ones
        {"\x80xy", 2, 0x38, 2},                         // a stray continuation byte leads one character
    };
    for (const Case& c : cases) {
        const char* at = c.text;
        EXPECT_EQ(UTF8_Length(c.text), c.length) << c.text;
        EXPECT_EQ(UTF8_ExtractChar(&at), c.first) << c.text;
        EXPECT_EQ(static_cast<size_t>(at - c.text), c.firstBytes) << c.text;
    }
    EXPECT_EQ(UTF8_Length(nullptr), 0);
    for (auto [character, bytes] : {std::pair<uint16_t, const char*>{'A', "A"}, {0x7FF, "\xDF\xBF"}, {0x800, "\xE0\xA0\x80"},
                                    {0xFFFF, "\xEF\xBF\xBF"}}) {
        char buffer[4] = {};
        char* end = buffer;
        UTF8_AddChar(&end, character);
        EXPECT_EQ(std::string(buffer, end), bytes) << character;
        EXPECT_EQ(UTF8_CharSize(character), end - buffer);
        const char* back = buffer;
        EXPECT_EQ(UTF8_ExtractChar(&back), character);
    }
    struct Compare {
        const char *a, *b;
        int32_t n, expected;
    } compares[] = {{"abc", "abd", 2, 0}, {"ab", "abc", 5, -'c'}, {"\xC3\xA9x", "\xC3\xA9y", 2, 'x' - 'y'},
                    {"\xE2\x82\xAC", "a", 1, 8364 - 'a'}};
    for (const Compare& c : compares) EXPECT_EQ(UTF8_CompareN(c.a, c.b, c.n), c.expected) << c.a << " / " << c.b;
}

} // namespace
