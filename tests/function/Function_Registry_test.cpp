// Registration by header set, the argument helpers, the target decoder and the UTF-8 routines.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "base/Base_Utf8.h"
#include "code/Code_Function.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "function/Function_Target.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

void Nothing(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

const FunctionRow HEADER_ROWS[] = {
    {"t_same", Nothing, 2},
    {"t_counts", Nothing, 3, 5},
    {"t_any", Nothing, FUNCTION_ARGS_ANY, 1},
    {"t_current_only", Nothing, 1, FUNCTION_NOT_REGISTERED},
    {"t_older_only", Nothing, FUNCTION_NOT_REGISTERED, 4},
};

int32_t RegisteredCount(const char* name)
{
    for (int32_t i = 0; i < g_FunctionCount; ++i)
        if (std::string(g_FunctionTable[i].name) == name) return g_FunctionTable[i].argCount;
    return FUNCTION_NOT_REGISTERED;
}

TEST(FunctionRegistry, RowsFollowTheHeaderTag)
{
    struct Case {
        const char* tag;
        int32_t same, counts, any, currentOnly, olderOnly;
    };
    const Case cases[] = {
        {"GEN8", 2, 3, FUNCTION_ARGS_ANY, 1, FUNCTION_NOT_REGISTERED},
        {"GEN7", 2, 5, 1, FUNCTION_NOT_REGISTERED, 4},
        {"GENL", 2, 5, 1, FUNCTION_NOT_REGISTERED, 4},
        {"GEN9", 2, 3, FUNCTION_ARGS_ANY, 1, FUNCTION_NOT_REGISTERED},
    };
    ScriptHeap_Init();
    for (const Case& c : cases) {
        Function_FreeTable();
        Function_SetHeaderTag(c.tag);
        Function_AddRows(HEADER_ROWS);
        EXPECT_EQ(RegisteredCount("t_same"), c.same) << c.tag;
        EXPECT_EQ(RegisteredCount("t_counts"), c.counts) << c.tag;
        EXPECT_EQ(RegisteredCount("t_any"), c.any) << c.tag;
        EXPECT_EQ(RegisteredCount("t_current_only"), c.currentOnly) << c.tag;
        EXPECT_EQ(RegisteredCount("t_older_only"), c.olderOnly) << c.tag;
        int32_t id = -1;
        bool olderOnlyKnown = Code_Function_Find("t_older_only", &id);
        EXPECT_EQ(olderOnlyKnown, c.olderOnly != FUNCTION_NOT_REGISTERED) << c.tag;
    }
    Function_FreeTable();
    Function_SetHeaderTag("GEN8");
}

TEST(FunctionArgs, NumbersFlagsAndTexts)
{
    ScriptHeap_Init();
    struct Case {
        double real;
        int32_t rounded, truncated;
        bool flag, flagAbove;
    };
    const Case cases[] = {
        {2.5, 2, 2, true, true},      {3.5, 4, 3, true, true},   {-2.5, -2, -2, false, false},
        {0.5, 0, 0, true, false},     {0.49, 0, 0, false, false}, {-0.7, -1, 0, false, false},
        {NAN, INT_MIN, INT_MIN, false, false}, {1e12, INT_MIN, INT_MIN, true, true},
    };
    for (const Case& c : cases) {
        ScriptValue value = {VALUE_REAL, 0, c.real};
        EXPECT_EQ(Arg_Int(value), c.rounded) << c.real;
        EXPECT_EQ(Arg_Trunc(value), c.truncated) << c.real;
        EXPECT_EQ(Arg_Flag(value), c.flag) << c.real;
        EXPECT_EQ(Arg_FlagAbove(value), c.flagAbove) << c.real;
        EXPECT_EQ(Arg_Text(value), nullptr) << "a real has no text";
    }
    ScriptValue big = {VALUE_REAL, 0, 1e300};
    EXPECT_TRUE(std::isinf(Arg_Float(big)));
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

TEST(FunctionTarget, SelfAndOtherBecomeIdentifiersOrNoone)
{
    struct Case {
        int32_t target;
        bool withInstances;
        int32_t expected;
    };
    const Case cases[] = {
        {FUNCTION_TARGET_SELF, false, FUNCTION_TARGET_NOONE},
        {FUNCTION_TARGET_OTHER, false, FUNCTION_TARGET_NOONE},
        {FUNCTION_TARGET_ALL, false, FUNCTION_TARGET_ALL},
        {FUNCTION_TARGET_NOONE, true, FUNCTION_TARGET_NOONE},
        {100004, true, 100004},
        {3, true, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Function_SubstituteTarget(c.target, nullptr, nullptr), c.expected) << c.target;
    EXPECT_TRUE(Function_TargetInstances(FUNCTION_TARGET_NOONE).empty());
    EXPECT_TRUE(Function_TargetInstances(123456).empty()) << "no such instance";
}

TEST(Utf8, DecodeEncodeAndCount)
{
    struct Case {
        const char* text;
        int32_t length;
        uint16_t first;
        size_t firstBytes;
    };
    const Case cases[] = {
        {"a\xC3\xA9\xE2\x82\xAC", 3, 'a', 1}, // 'aé€'
        {"\xC3\xA9", 1, 233, 2},
        {"\xE2\x82\xAC", 1, 8364, 3},
        {"\xF0\x9F\x98\x80", 2, (0x1F << 6) | 0x18, 3}, // a four-byte lead reads as three
        {"\xE2\x82", 1, 0x2080, 2},                               // cut short: stops at the end
        {"\xE2", 1, 0x2000, 1},
        {"\xC3", 1, 0xC0, 1},
        {"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UTF8_Length(c.text), c.length) << c.text;
        const char* at = c.text;
        EXPECT_EQ(UTF8_ExtractChar(&at), c.first) << c.text;
        EXPECT_EQ(static_cast<size_t>(at - c.text), c.firstBytes) << c.text;
    }
    EXPECT_EQ(UTF8_Length(nullptr), 0);

    struct Encoding {
        uint16_t character;
        const char* bytes;
    };
    const Encoding encodings[] = {{'A', "A"}, {233, "\xC3\xA9"}, {8364, "\xE2\x82\xAC"}, {0x7FF, "\xDF\xBF"},
                                  {0x800, "\xE0\xA0\x80"}, {0xFFFF, "\xEF\xBF\xBF"}};
    for (const Encoding& e : encodings) {
        char buffer[4] = {};
        char* end = buffer;
        UTF8_AddChar(&end, e.character);
        EXPECT_EQ(std::string(buffer, end), e.bytes) << e.character;
        EXPECT_EQ(UTF8_CharSize(e.character), end - buffer);
        const char* back = buffer;
        EXPECT_EQ(UTF8_ExtractChar(&back), e.character);
    }
}

TEST(Utf8, CompareN)
{
    struct Case {
        const char* a;
        const char* b;
        int32_t n;
        int32_t expected;
    };
    const Case cases[] = {
        {"abc", "abd", 2, 0},   {"abc", "abd", 3, 'c' - 'd'}, {"ab", "abc", 5, -'c'},
        {"abc", "ab", 5, 'c'},  {"\xC3\xA9x", "\xC3\xA9y", 2, 'x' - 'y'}, {"a", "b", 0, 0},
        {"\xE2\x82\xAC", "a", 1, 8364 - 'a'},
    };
    for (const Case& c : cases) EXPECT_EQ(UTF8_CompareN(c.a, c.b, c.n), c.expected) << c.a << " / " << c.b;
}

} // namespace
