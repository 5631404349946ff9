// The numeric rules of the run-time: conversions to int32, the one text-to-number parser and number
// printing. Games were written against the 32-bit Windows run-time, so every rounding, conversion
// and printed digit follows it, not the host's C library. Nothing else in the engine may call
// atof/strtod/printf("%f") for a value a game can see.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Decimal text to a number, locale-free: leading blanks, a sign, digits, a point, digits, an
// exponent. No hex, no "inf", no "nan". Stops at the first character that does not fit; `end`
// receives where it stopped (the text itself when no digit was read, and then the result is 0).
double Numbers_ParseReal(const char* text, const char** end = nullptr);

// The same for whole numbers (atoi): blanks, a sign, decimal digits. Overflow wraps modulo 2^32,
// as the digit-by-digit accumulation of the Windows run-time did.
int32_t Numbers_ParseInt(const char* text, const char** end = nullptr);

// Rounds half to even (the FPU's default mode). NaN and values outside int32 give INT_MIN. Whole
// numbers in range, most of what scripts pass and positions hold, need no rounding and are answered
// inline; the rest goes out of line.
int32_t Numbers_RoundFractionToInt32(double v);
inline int32_t Numbers_RoundToInt32(double v)
{
    constexpr double TWO_POW_31 = 2147483648.0;
    if (v >= -TWO_POW_31 && v < TWO_POW_31) {
        auto whole = static_cast<int32_t>(v);
        if (static_cast<double>(whole) == v) return whole;
    }
    return Numbers_RoundFractionToInt32(v);
}

// Truncates toward zero. NaN and values outside int32 give INT_MIN.
int32_t Numbers_TruncToInt32(double v);

// Rounds half to even to a 64-bit integer; NaN and out-of-range give INT64_MIN.
int64_t Numbers_RoundToInt64(double v);

// Truncates toward zero to a 64-bit integer; NaN and out-of-range give INT64_MIN.
int64_t Numbers_TruncToInt64(double v);

// A double stored in a 32-bit float field. Beyond the float range it becomes an infinity, as the x87
// store did (a plain cast of such a value is undefined). Inline: every position and argument stored
// as a float passes here.
inline float Numbers_ToFloat(double v)
{
    if constexpr (std::numeric_limits<float>::is_iec559) {
        // With IEEE floats every double lies between two adjacent floats or infinities, so the
        // plain conversion is defined: it rounds, and beyond the range gives the infinity.
        return static_cast<float>(v);
    } else {
        constexpr double FLOAT_ROUNDS_TO_INFINITY = 3.4028235677973366e38;
        if (std::fabs(v) < FLOAT_ROUNDS_TO_INFINITY) return static_cast<float>(v);
        if (std::isnan(v)) return static_cast<float>(v);
        return std::signbit(v) ? -HUGE_VALF : HUGE_VALF;
    }
}

// A float truncated toward zero; NaN and values outside int32 give INT_MIN, as Numbers_TruncToInt32
// does for the same value. Inline: the animation pass cuts every instance's image index.
inline int32_t Numbers_TruncFloatToInt32(float v)
{
#if defined(__SSE2__)
    // The processor answers INT_MIN for what does not fit, which is the rule.
    return _mm_cvttss_si32(_mm_set_ss(v));
#else
    if (v >= -2147483648.0f && v < 2147483648.0f) return static_cast<int32_t>(v);
    return INT32_MIN;
#endif
}

// Quotient and remainder truncated toward zero. INT_MIN / -1 gives INT_MIN (remainder 0) without a
// trap. A zero divisor is the caller's error to report ("DoDiv :: Divide by zero" and the like);
// called anyway, both return 0.
int32_t Numbers_DivInt32(int32_t a, int32_t b);
int32_t Numbers_RemInt32(int32_t a, int32_t b);

// Prints one double as the Windows C run-time did, for a printf format whose first conversion
// among f, e, E, g, G (flags - + space 0 #, a width, a precision, an ignored l or L; no "*") takes
// the value. Text around it is copied, "%%" prints '%', and any other conversion is copied as it
// stands. Digits: the exact value rounded half up to 17 significant digits, then half up again to
// the digits asked for, zeros beyond the 17th; exponents have three digits; infinities and NaNs
// print as "1.#INF", "-1.#IND", "1.#QNAN", "1.#SNAN" rounded like digits ("%.2f" gives "1.#J").
// Widths and precisions above 65535 are taken as 65535.
std::string Numbers_Format(const char* format, double value);

// The same, for a conversion given in parts: `conversion` is one of f e E g G (others print as
// f), precision < 0 means the default of 6, a negative width is left-aligned like printf's "*".
std::string Numbers_FormatReal(double value, char conversion, int32_t precision, int32_t width = 0,
                               const char* flags = "");

// The text of a real script value: a real equal to its nearest int32 (ties to even) prints as that
// integer ("%d"), any other with "%.2f" (so 2.5 gives "2.50" and 1e10 "10000000000.00").
std::string Numbers_RealToText(double value);

// Room for the "%d" text of any int32 (sign and ten digits); no terminator is written.
constexpr size_t NUMBERS_WHOLE_TEXT_MAX = 11;

// The first half of that rule, without building a string: a real equal to its nearest int32 is
// written into `out` as "%d" would; the length, or 0 when the real is no such whole number.
size_t Numbers_WholeRealToText(double value, char* out);

// Room for the texts the quick ways below write ("-2147483647.99"); no terminator is written.
constexpr size_t NUMBERS_QUICK_TEXT_MAX = 16;

// The second half for the reals scripts mostly print, a fraction between 0.001 and 2^31 in
// magnitude: written into `out` exactly as Numbers_FormatReal(value, 'f', 2) writes it, 17
// significant digits and both roundings included, from one 128-bit product instead of the exact
// expansion. The length, or 0 for a real outside that range or a whole one.
size_t Numbers_TwoDecimalsToText(double value, char* out);

// Numbers_RealToText into `out` where one of the quick ways knows the text: the length, or 0 when
// only the general formatter does (the real is then no whole int32 and outside the range above).
size_t Numbers_RealToTextQuick(double value, char* out);
