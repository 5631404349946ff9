#include "base/Base_Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

double FromBits(uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

const double INF = std::numeric_limits<double>::infinity();
const double INDEFINITE = FromBits(0xFFF8000000000000ull); // what 0/0 gives on x86
const double QUIET_NAN = FromBits(0x7FF8000000000000ull);
const double NEGATIVE_QNAN = FromBits(0xFFF8000000000001ull);
const double SIGNALLING_NAN = FromBits(0x7FF0000000000001ull);
constexpr int32_t INT_MIN32 = std::numeric_limits<int32_t>::min();

struct FormatCase {
    const char* format;
    double value;
    const char* expected;
};

const FormatCase FORMATS[] = {
    // Fixed: exact ties round away from zero (0.125 is exact: a true tie); elsewhere the stored double
    // decides.
    {"%.2f", 0.125, "0.13"}, {"%.2f", 2.675, "2.67"}, {"%.2f", 9.996, "10.00"}, {"%.2f", -0.001, "-0.00"},
    // Only 17 significant digits were ever produced; the rest print as zeros, and the rounding to the
    // printed digits starts from those 17: ...0594|94 became ...0595, which then rounds up.
    {"%.0f", 1e23, "99999999999999992000000"}, {"%.6f", 5645311218.1660595, "5645311218.166060"},
    // The exponent has three digits; general picks the shorter form.
    {"%e", 9.9999999, "1.000000e+001"}, {"%e", 4.9406564584124654e-324, "4.940656e-324"},
    {"%g", 100000.0, "100000"}, {"%g", 1000000.0, "1e+006"}, {"%#g", 1.5, "1.50000"},
    // Widths, flags and the text around the conversion.
    {"%10.2f", 2.5, "      2.50"}, {"% .1f", 2.0, " 2.0"}, {"%08.2f", -1.5, "-0001.50"}, {"%-08.2f|", -1.5, "-1.50   |"},
    {"%%%.1f%%", 5.0, "%5.0%"}, {"%#.0f", 3.0, "3."},
    // Conversions this routine does not print stay as written.
    {"%d", 3.0, "%d"}, {"%f %f", 1.0, "1.000000 %f"}, {"100%", 1.0, "100%"},
    // Infinities and NaNs print the run-time's forms; "1.$" is '#' rounded up by the 'I' after it.
    {"%f", -INF, "-1.#INF00"}, {"%.0f", INF, "1"}, {"%.1f", INF, "1.$"}, {"%.3f", INF, "1.#IO"},
    {"%e", INF, "1.#INF00e+000"}, {"%g", INDEFINITE, "-1.#IND"}, {"%.2f", QUIET_NAN, "1.#R"},
    {"%f", NEGATIVE_QNAN, "-1.#QNAN0"}, {"%f", SIGNALLING_NAN, "1.#SNAN0"},
};

TEST(NumbersFormat, PrintedForms)
{
    for (const FormatCase& c : FORMATS)
        EXPECT_EQ(Numbers_Format(c.format, c.value), c.expected) << "format \"" << c.format << "\" of " << c.value;
}

TEST(NumbersFormat, FormatRealTakesNegativeWidthAsLeftAligned)
{
    EXPECT_EQ(Numbers_FormatReal(1.5, 'f', 2, -6), "1.50  ");
    EXPECT_EQ(Numbers_FormatReal(1.5, 'e', -1), "1.500000e+000");
    EXPECT_EQ(Numbers_FormatReal(1.5, 'g', 3, 0, "+"), "+1.5");
    // Widths beyond the cap are cut, not honoured with gigabytes of blanks.
    EXPECT_EQ(Numbers_FormatReal(1.0, 'f', 0, 2000000000).size(), 65535u);
}

TEST(NumbersRealToText, WholeNumbersAsIntegersOthersWithTwoDecimals)
{
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        {3.0, "3"}, {-0.5, "-0.50"}, {-0.0, "0"}, {-2147483648.0, "-2147483648"}, {2147483648.0, "2147483648.00"},
        {0.125, "0.13"}, {INF, "1.#J"},
    };
    for (const auto& c : cases) EXPECT_EQ(Numbers_RealToText(c.value), c.expected) << c.value;
}

// The digits written without printf must be printf's "%d" to the byte, and nothing is written for a
// real that is no whole int32 (the caller then prints it with two decimals).
TEST(NumbersRealToText, WholeDigitsMatchPrintfAndRefuseOtherReals)
{
    const double wholes[] = {0.0, -0.0, 1.0, -1.0, 9.0, 10.0, -10.0, 99.0, 100.0, 123456789.0, 1e9, -1e9,
                             2147483647.0, -2147483647.0, -2147483648.0, 4.0000000000000000001};
    for (double value : wholes) {
        char digits[NUMBERS_WHOLE_TEXT_MAX];
        size_t length = Numbers_WholeRealToText(value, digits);
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d", static_cast<int32_t>(value));
        EXPECT_EQ(std::string(digits, length), expected) << value;
    }
    const double others[] = {0.5, -0.5, 2.5, 1e-300, 2147483648.0, -2147483649.0, 1e10, INF, -INF, std::nan("")};
    for (double value : others) {
        char digits[NUMBERS_WHOLE_TEXT_MAX];
        EXPECT_EQ(Numbers_WholeRealToText(value, digits), 0u) << value;
    }
}

// The quick two-decimal texts must be the general formatter's to the byte: both roundings, the
// 17-digit one and the one to two places, with ties of the stored double (0.125 is exact; 9.995 and
// 2.675 are stored below their ties, 1.005 too, 0.005 above) and carries into the whole part.
TEST(NumbersRealToText, TwoDecimalsMatchTheGeneralFormatter)
{
    const struct {
        double value;
        const char* expected; // null: not the quick path's, Numbers_RealToText still checked
    } cases[] = {
        {0.5, "0.50"}, {-0.5, "-0.50"}, {2.5, "2.50"}, {0.125, "0.13"}, {0.005, "0.01"}, {1.005, "1.00"},
        {2.675, "2.67"}, {9.995, "9.99"}, {-9.995, "-9.99"}, {9.996, "10.00"}, {0.001, "0.00"}, {-0.004, "-0.00"},
        {0.004999999999999999, "0.00"}, {0.99999999999999989, "1.00"}, {99.99999999999999, "100.00"},
        {123456.785, "123456.79"}, {2147483647.5, "2147483647.50"}, {2147483647.995, "2147483647.99"},
        {-2147483647.999, "-2147483648.00"}, {5645311.2181660595, "5645311.22"},
        // Outside the quick range: the general formatter's texts.
        {0.00099999999999999, nullptr}, {1e-300, nullptr}, {-1e-5, nullptr}, {2147483648.5, nullptr},
        {1e15, nullptr}, {1e15 + 0.5, nullptr}, {1e17, nullptr}, {9007199254740991.0, nullptr},
        {9007199254740993.0, nullptr}, {-9007199254740992.0, nullptr}, {1e300, nullptr}, {INF, nullptr},
        {-INF, nullptr}, {QUIET_NAN, nullptr}, {INDEFINITE, nullptr}, {-0.0, nullptr}, {3.0, nullptr},
    };
    for (const auto& c : cases) {
        char quick[NUMBERS_QUICK_TEXT_MAX];
        size_t length = Numbers_TwoDecimalsToText(c.value, quick);
        std::string general = Numbers_FormatReal(c.value, 'f', 2);
        if (c.expected != nullptr) {
            EXPECT_EQ(std::string(quick, length), c.expected) << c.value;
            EXPECT_EQ(general, c.expected) << c.value;
        } else {
            EXPECT_EQ(length, 0u) << c.value;
        }
        bool whole = Numbers_WholeRealToText(c.value, quick) != 0;
        if (!whole) {
            EXPECT_EQ(Numbers_RealToText(c.value), general) << c.value;
        }
    }
}

// A sweep of random reals against the general formatter: spread over the magnitudes, packed around
// the ties of the second rounding (k/100 + 0.005 and its neighbouring doubles), and arbitrary bits.
TEST(NumbersRealToText, TwoDecimalsMatchTheGeneralFormatterOverARandomSweep)
{
    std::mt19937_64 random(87);
    std::uniform_real_distribution<double> exponent(-3.2, 9.4);
    std::uniform_int_distribution<int64_t> cents(0, 100000000);
    int32_t quick = 0;
    for (int32_t i = 0; i < 60000; ++i) {
        double value;
        switch (i % 3) {
        case 0: value = std::pow(10.0, exponent(random)); break;
        case 1: {
            double tie = (static_cast<double>(cents(random)) + 0.5) / 100.0;
            int32_t steps = static_cast<int32_t>(random() % 5) - 2;
            value = tie;
            for (; steps > 0; --steps) value = std::nextafter(value, INF);
            for (; steps < 0; ++steps) value = std::nextafter(value, -INF);
            break;
        }
        default: value = FromBits(random()); break;
        }
        if (random() & 1) value = -value;
        char text[NUMBERS_QUICK_TEXT_MAX];
        size_t length = Numbers_TwoDecimalsToText(value, text);
        if (length == 0) continue;
        ++quick;
        ASSERT_EQ(std::string(text, length), Numbers_FormatReal(value, 'f', 2)) << std::hexfloat << value;
    }
    EXPECT_GT(quick, 35000); // the sweep reaches the quick path, not only its refusals
}

TEST(NumbersParse, RealsReadTheLeadingDecimalNumber)
{
    const struct {
        const char* text;
        double expected;
        ptrdiff_t stop;
    } cases[] = {
        {"0x10", 0.0, 1}, {"  -12.5e2xyz", -1250.0, 9}, {"+.5", 0.5, 3}, {"1e+", 1.0, 1},
        {"4.9e-324", 4.9406564584124654e-324, 8}, {"-1e400", -INF, 6}, {"1e999999999999999999999", INF, 23},
        // Nothing read leaves the end at the start.
        {"", 0, 0}, {"-", 0, 0}, {"inf", 0, 0}, {".e5", 0, 0},
    };
    for (const auto& c : cases) {
        const char* end = nullptr;
        EXPECT_EQ(Numbers_ParseReal(c.text, &end), c.expected) << c.text;
        EXPECT_EQ(end - c.text, c.stop) << c.text;
    }
    EXPECT_TRUE(std::signbit(Numbers_ParseReal("-0")));
    // Many leading zeros must not be mistaken for an underflow.
    std::string longText = "0." + std::string(90, '0') + "1e91";
    const char* end = nullptr;
    EXPECT_EQ(Numbers_ParseReal(longText.c_str(), &end), 1.0);
    EXPECT_EQ(end, longText.c_str() + longText.size());
    EXPECT_EQ(Numbers_ParseReal(nullptr), 0.0);
}

TEST(NumbersParse, IntegersReadTheLeadingDigitsAndWrap)
{
    const struct {
        const char* text;
        int32_t expected;
        ptrdiff_t stop;
    } cases[] = {
        {"  -42", -42, 5}, {"0x10", 0, 1}, {"2147483648", INT_MIN32, 10}, {"4294967297", 1, 10}, {"- 5", 0, 0},
    };
    for (const auto& c : cases) {
        const char* end = nullptr;
        EXPECT_EQ(Numbers_ParseInt(c.text, &end), c.expected) << c.text;
        EXPECT_EQ(end - c.text, c.stop) << c.text;
    }
    EXPECT_EQ(Numbers_ParseInt(nullptr), 0);
}

TEST(NumbersConvert, RoundHalfToEvenTruncateAndOutOfRangeIsIntMin)
{
    const struct {
        double value;
        int32_t expected;
    } rounded[] = {
        {2.5, 2}, {3.5, 4}, {-0.5, 0}, {2.5000000000000004, 3}, {2147483647.4, 2147483647}, {2147483647.5, INT_MIN32},
        {-2147483648.5, INT_MIN32 /* even: -2147483648 itself */}, {QUIET_NAN, INT_MIN32}, {-2147483647.5, -2147483648},
        {2147483647.0, 2147483647}, {-2147483648.0, -2147483648}, {-0.0, 0}, {-7.0, -7}, {HUGE_VAL, INT_MIN32},
        {2147483648.0, INT_MIN32}, {-2147483649.0, INT_MIN32}, {0.49999999999999994, 0},
        {0.5, 0}, {1.5, 2}, {-1.5, -2}, {-2.5, -2}, {1e-300, 0}, {-1e300, INT_MIN32}, {2147483646.5, 2147483646},
    },
      truncated[] = {
          {-2.9, -2}, {2147483648.0, INT_MIN32}, {-2147483648.9, INT_MIN32 /* truncates to -2147483648, in range */},
          {-2147483649.0, INT_MIN32}, {2147483647.9, 2147483647}, {-0.7, 0}, {QUIET_NAN, INT_MIN32},
          {-HUGE_VAL, INT_MIN32}, {-2147483647.9, -2147483647},
      };
    for (const auto& c : rounded) EXPECT_EQ(Numbers_RoundToInt32(c.value), c.expected) << c.value;
    for (const auto& c : truncated) EXPECT_EQ(Numbers_TruncToInt32(c.value), c.expected) << c.value;

    constexpr int64_t MIN64 = std::numeric_limits<int64_t>::min();
    EXPECT_EQ(Numbers_TruncToInt64(9223372036854775808.0), MIN64);
    EXPECT_EQ(Numbers_TruncToInt64(9223372036854774784.0), 9223372036854774784LL);
    EXPECT_EQ(Numbers_RoundToInt64(-4503599627370495.5), -4503599627370496LL);
    EXPECT_EQ(Numbers_RoundToInt64(INF), MIN64);
}

// A double stored in a float field rounds to nearest and saturates to an infinity only past the
// float range's rounding edge; NaNs stay NaNs of their sign.
TEST(NumbersConvert, DoubleToFloatRoundsAndOverflowsToInfinity)
{
    const float FLT_MAX_ = std::numeric_limits<float>::max();
    const float FINF = std::numeric_limits<float>::infinity();
    const struct {
        double value;
        float expected;
    } cases[] = {
        {0.1, 0.1f}, {-2.5, -2.5f}, {16777217.0, 16777216.0f /* ties to even */}, {3.4028235e38, FLT_MAX_},
        {3.4028235677973362e38, FLT_MAX_ /* just under the edge */}, {3.4028235677973366e38, FINF},
        {-3.4028235677973366e38, -FINF}, {1e39, FINF}, {-1e300, -FINF}, {INF, FINF}, {-INF, -FINF},
        {1e-50, 0.0f}, {-0.0, -0.0f},
    };
    for (const auto& c : cases) {
        float got = Numbers_ToFloat(c.value);
        EXPECT_EQ(got, c.expected) << c.value;
        EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << c.value;
    }
    for (double nan : {QUIET_NAN, NEGATIVE_QNAN}) {
        float got = Numbers_ToFloat(nan);
        EXPECT_TRUE(std::isnan(got));
        EXPECT_EQ(std::signbit(got), std::signbit(nan));
    }
}

// Cutting a float answers what cutting the same value as a double does, at the edges of int32 too.
TEST(NumbersConvert, FloatTruncationAgreesWithTheDoubleOne)
{
    const float FINF = std::numeric_limits<float>::infinity();
    const float values[] = {0.0f, -0.0f, 0.99f, -0.99f, 1.0f, -2.9f, 2147483520.0f, 2147483648.0f,
                            -2147483648.0f, -2147483904.0f, 3e9f, -3e9f, FINF, -FINF,
                            std::numeric_limits<float>::quiet_NaN(), 1e-40f};
    for (float v : values) EXPECT_EQ(Numbers_TruncFloatToInt32(v), Numbers_TruncToInt32(v)) << v;
    EXPECT_EQ(Numbers_TruncFloatToInt32(-2147483648.0f), INT_MIN32);
    EXPECT_EQ(Numbers_TruncFloatToInt32(2147483520.0f), 2147483520);
}

TEST(NumbersConvert, DivisionNeverTraps)
{
    const struct {
        int32_t a, b, quotient, remainder;
    } cases[] = {
        {-7, 2, -3, -1}, {7, -2, -3, 1}, {INT_MIN32, -1, INT_MIN32, 0},
        {5, 0, 0, 0}, // the caller reports the division by zero
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Numbers_DivInt32(c.a, c.b), c.quotient) << c.a << " / " << c.b;
        EXPECT_EQ(Numbers_RemInt32(c.a, c.b), c.remainder) << c.a << " % " << c.b;
    }
}

} // namespace
