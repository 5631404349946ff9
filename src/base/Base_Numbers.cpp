#include "base/Base_Numbers.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

constexpr double TWO_POW_31 = 2147483648.0;
constexpr double TWO_POW_63 = 9223372036854775808.0;

// Significant digits the old run-time produced before padding with zeros.
constexpr int32_t CRT_SIGNIFICANT_DIGITS = 17;

// Longest width or precision taken from a format: keeps a script's string_format(x, 1e9, 0) from
// asking for a gigabyte.
constexpr int32_t MAX_FIELD = 65535;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// ---- text to number ----------------------------------------------------------------------------

// from_chars leaves the value alone when the result is out of range; the decimal magnitude of the
// text tells overflow (infinity) from underflow (zero).
double OutOfRangeValue(const char* first, const char* last)
{
    int64_t magnitude = 0;
    bool seenNonZero = false;
    bool afterPoint = false;
    const char* p = first;
    for (; p < last && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            afterPoint = true;
        } else if (!seenNonZero && *p == '0') {
            if (afterPoint) --magnitude;
        } else {
            seenNonZero = true;
            if (!afterPoint) ++magnitude;
        }
    }
    if (!seenNonZero) return 0.0;
    if (p < last) {
        ++p;
        bool negative = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        int64_t exponent = 0;
        for (; p < last; ++p) {
            if (exponent < 100000000) exponent = exponent * 10 + (*p - '0');
        }
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// ---- exact decimal expansion -------------------------------------------------------------------

// An unsigned integer in base 10^9, large enough for any double's mantissa times 5^1074.
class BigDecimal {
public:
    explicit BigDecimal(uint64_t value)
    {
        while (value != 0) {
            m_Limbs[m_Count++] = static_cast<uint32_t>(value % BASE);
            value /= BASE;
        }
    }

    void MulPow2(int32_t exponent)
    {
        for (; exponent >= 29; exponent -= 29) Mul(1u << 29);
        if (exponent > 0) Mul(1u << exponent);
    }

    void MulPow5(int32_t exponent)
    {
        for (; exponent >= 13; exponent -= 13) Mul(1220703125u);
        uint32_t rest = 1;
        for (; exponent > 0; --exponent) rest *= 5;
        if (rest != 1) Mul(rest);
    }

    // Writes the digits (no leading zeros) and returns their count.
    int32_t ToDigits(char* out) const
    {
        if (m_Count == 0) return 0;
        int32_t length = 0;
        char top[16];
        int32_t topLength = 0;
        for (uint32_t v = m_Limbs[m_Count - 1]; v != 0; v /= 10) top[topLength++] = static_cast<char>('0' + v % 10);
        while (topLength > 0) out[length++] = top[--topLength];
        for (int32_t i = m_Count - 2; i >= 0; --i) {
            uint32_t v = m_Limbs[i];
            for (int32_t k = 8; k >= 0; --k) {
                out[length + k] = static_cast<char>('0' + v % 10);
                v /= 10;
            }
            length += 9;
        }
        return length;
    }

    static constexpr int32_t MAX_DIGITS = 100 * 9;

private:
    static constexpr uint32_t BASE = 1000000000u;

    void Mul(uint32_t factor)
    {
        uint64_t carry = 0;
        for (int32_t i = 0; i < m_Count; ++i) {
            uint64_t product = static_cast<uint64_t>(m_Limbs[i]) * factor + carry;
            m_Limbs[i] = static_cast<uint32_t>(product % BASE);
            carry = product / BASE;
        }
        while (carry != 0) {
            m_Limbs[m_Count++] = static_cast<uint32_t>(carry % BASE);
            carry /= BASE;
        }
    }

    uint32_t m_Limbs[100] = {};
    int32_t m_Count = 0;
};

// A number as the run-time's printing saw it: at most 17 significant digits (rounded half up from
// the exact value) and the position of the decimal point, or the text of an infinity or NaN
// ("1#INF", "1#IND", "1#QNAN", "1#SNAN") with the point after its first character.
struct Mantissa {
    char digits[24];
    int32_t count;
    int32_t decpt;
    bool negative;

    char At(int32_t index) const { return index >= 0 && index < count ? digits[index] : '\0'; }
};

void SetSpecial(Mantissa& m, const char* text)
{
    m.count = static_cast<int32_t>(std::strlen(text));
    std::memcpy(m.digits, text, static_cast<size_t>(m.count));
    m.decpt = 1;
}

Mantissa ToMantissa(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Mantissa m{};
    m.negative = (bits >> 63) != 0;
    int32_t biased = static_cast<int32_t>((bits >> 52) & 0x7FF);
    uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);

    if (biased == 0x7FF) {
        if (fraction == 0) SetSpecial(m, "1#INF");
        else if (m.negative && fraction == (uint64_t{1} << 51)) SetSpecial(m, "1#IND");
        else if ((fraction & (uint64_t{1} << 51)) != 0) SetSpecial(m, "1#QNAN");
        else SetSpecial(m, "1#SNAN");
        return m;
    }
    if (biased == 0 && fraction == 0) return m; // zero: no digits, point at 0

    uint64_t significand = biased == 0 ? fraction : fraction | (uint64_t{1} << 52);
    int32_t exponent = (biased == 0 ? 1 : biased) - 1075;
    BigDecimal big(significand);
    int32_t scale = 0;
    if (exponent >= 0) {
        big.MulPow2(exponent);
    } else {
        big.MulPow5(-exponent);
        scale = -exponent;
    }
    char all[BigDecimal::MAX_DIGITS];
    int32_t length = big.ToDigits(all);
    m.decpt = length - scale;

    int32_t kept = length < CRT_SIGNIFICANT_DIGITS ? length : CRT_SIGNIFICANT_DIGITS;
    std::memcpy(m.digits, all, static_cast<size_t>(kept));
    if (length > kept && all[kept] >= '5') {
        int32_t i = kept - 1;
        while (i >= 0 && m.digits[i] == '9') m.digits[i--] = '0';
        if (i >= 0) {
            ++m.digits[i];
        } else {
            m.digits[0] = '1';
            kept = 1;
            ++m.decpt;
        }
    }
    while (kept > 0 && m.digits[kept - 1] == '0') --kept;
    m.count = kept;
    return m;
}

// ---- printing ----------------------------------------------------------------------------------

// Printed digits (zeros past the end) and the position of the decimal point.
struct Rounded {
    std::string digits;
    int32_t decpt;
    char At(int32_t index) const
    {
        return index >= 0 && index < static_cast<int32_t>(digits.size()) ? digits[static_cast<size_t>(index)] : '0';
    }
};

// The first `count` digits of the mantissa (zeros past its end), rounded half up on the next one.
// A carry out of the first digit moves the point one place right. Non-digit characters of the
// infinity and NaN texts take part as they are: '#' rounds up to '$', 'I' to 'J'.
Rounded RoundMantissa(const Mantissa& m, int32_t count)
{
    Rounded r{std::string(1, '0'), m.decpt};
    for (int32_t i = 0; i < count; ++i) r.digits += m.At(i) != '\0' ? m.At(i) : '0';
    if (count >= 0 && m.At(count) >= '5') {
        size_t i = r.digits.size() - 1;
        while (r.digits[i] == '9') r.digits[i--] = '0';
        ++r.digits[i];
    }
    if (r.digits[0] == '1') ++r.decpt;
    else r.digits.erase(0, 1);
    return r;
}

std::string FixedText(const Rounded& r, int32_t decimals, bool alternate)
{
    std::string text;
    if (r.decpt <= 0) text += '0';
    for (int32_t i = 0; i < r.decpt; ++i) text += r.At(i);
    if (decimals > 0 || alternate) text += '.';
    for (int32_t j = 0; j < decimals; ++j) text += r.decpt + j < 0 ? '0' : r.At(r.decpt + j);
    return text;
}

std::string ExponentText(const Rounded& r, int32_t decimals, bool alternate, bool upper, bool zero)
{
    std::string text(1, r.At(0));
    if (decimals > 0 || alternate) text += '.';
    for (int32_t j = 1; j <= decimals; ++j) text += r.At(j);
    int32_t exponent = zero ? 0 : r.decpt - 1;
    text += upper ? 'E' : 'e';
    text += exponent < 0 ? '-' : '+';
    if (exponent < 0) exponent = -exponent;
    text += static_cast<char>('0' + exponent / 100 % 10);
    text += static_cast<char>('0' + exponent / 10 % 10);
    text += static_cast<char>('0' + exponent % 10);
    return text;
}

// Trailing zeros of the fraction go, and the point with them when nothing is left after it.
void CropZeros(std::string& text)
{
    size_t point = text.find('.');
    if (point == std::string::npos) return;
    size_t stop = text.find_first_of("eE", point);
    if (stop == std::string::npos) stop = text.size();
    size_t last = stop;
    while (last > point + 1 && text[last - 1] == '0') --last;
    if (last == point + 1) last = point;
    text.erase(last, stop - last);
}

struct Directive {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zeroPad = false;
    bool alternate = false;
    int32_t width = 0;
    int32_t precision = -1;
    char conversion = 'f';
};

std::string Convert(double value, const Directive& directive)
{
    Mantissa m = ToMantissa(value);
    bool zero = m.count == 0;
    bool upper = directive.conversion == 'E' || directive.conversion == 'G';
    int32_t precision = directive.precision < 0 ? 6 : directive.precision;
    std::string body;
    switch (directive.conversion) {
    case 'f':
        body = FixedText(RoundMantissa(m, precision + m.decpt), precision, directive.alternate);
        break;
    case 'e':
    case 'E':
        body = ExponentText(RoundMantissa(m, precision + 1), precision, directive.alternate, upper, zero);
        break;
    default: { // g, G
        if (precision == 0) precision = 1;
        Rounded r = RoundMantissa(m, precision);
        int32_t magnitude = r.decpt - 1;
        if (magnitude < -4 || magnitude >= precision) {
            body = ExponentText(r, precision - 1, directive.alternate, upper, zero);
        } else {
            // The digits are rounded already; widening them with zeros keeps them.
            body = FixedText(r, precision - r.decpt, directive.alternate);
        }
        if (!directive.alternate) CropZeros(body);
        break;
    }
    }

    std::string prefix;
    if (m.negative) prefix = "-";
    else if (directive.plus) prefix = "+";
    else if (directive.space) prefix = " ";

    int32_t padding = directive.width - static_cast<int32_t>(prefix.size() + body.size());
    if (padding < 0) padding = 0;
    std::string out;
    if (!directive.left && !directive.zeroPad) out.append(static_cast<size_t>(padding), ' ');
    out += prefix;
    if (directive.zeroPad && !directive.left) out.append(static_cast<size_t>(padding), '0');
    out += body;
    if (directive.left) out.append(static_cast<size_t>(padding), ' ');
    return out;
}

int32_t ReadField(const char*& p)
{
    int32_t value = 0;
    for (; IsDigit(*p); ++p) {
        value = value * 10 + (*p - '0');
        if (value > MAX_FIELD) value = MAX_FIELD;
    }
    return value;
}

// Reads one conversion after its '%'; false when it is not one of ours.
bool ReadDirective(const char*& p, Directive& directive)
{
    for (;; ++p) {
        if (*p == '-') directive.left = true;
        else if (*p == '+') directive.plus = true;
        else if (*p == ' ') directive.space = true;
        else if (*p == '0') directive.zeroPad = true;
        else if (*p == '#') directive.alternate = true;
        else break;
    }
    directive.width = ReadField(p);
    if (*p == '.') {
        ++p;
        directive.precision = ReadField(p);
    }
    if (*p == 'l' || *p == 'L') ++p;
    if (*p == 'f' || *p == 'e' || *p == 'E' || *p == 'g' || *p == 'G') {
        directive.conversion = *p++;
        return true;
    }
    return false;
}

} // namespace

double Numbers_ParseReal(const char* text, const char** end)
{
    if (end) *end = text;
    if (!text) return 0.0;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;

    const char* first = p;
    bool anyDigit = IsDigit(*p);
    while (IsDigit(*p)) ++p;
    if (*p == '.') {
        anyDigit = anyDigit || IsDigit(p[1]);
        ++p;
        while (IsDigit(*p)) ++p;
    }
    if (!anyDigit) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (IsDigit(*q)) {
            while (IsDigit(*q)) ++q;
            p = q;
        }
    }

    double value = 0.0;
    std::from_chars_result result = std::from_chars(first, p, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) value = OutOfRangeValue(first, p);
    if (end) *end = p;
    return negative ? -value : value;
}

int32_t Numbers_ParseInt(const char* text, const char** end)
{
    if (end) *end = text;
    if (!text) return 0;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (!IsDigit(*p)) return 0;
    uint32_t total = 0;
    for (; IsDigit(*p); ++p) total = total * 10u + static_cast<uint32_t>(*p - '0');
    if (end) *end = p;
    return static_cast<int32_t>(negative ? 0u - total : total);
}

namespace {

// Nearest whole number, ties to even, without depending on the floating-point environment.
double RoundHalfEven(double v)
{
    double floor = std::floor(v);
    double fraction = v - floor; // exact for every double
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) return floor + 1.0;
    return floor;
}

int32_t ToInt32OrMin(double whole)
{
    if (!(whole >= -TWO_POW_31 && whole < TWO_POW_31)) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(whole);
}

int64_t ToInt64OrMin(double whole)
{
    if (!(whole >= -TWO_POW_63 && whole < TWO_POW_63)) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(whole);
}

} // namespace

int32_t Numbers_RoundFractionToInt32(double v)
{
    return ToInt32OrMin(RoundHalfEven(v));
}

int32_t Numbers_TruncToInt32(double v)
{
    // The conversion truncates as std::trunc does wherever the result is in range.
    if (v > -TWO_POW_31 - 1.0 && v < TWO_POW_31) return static_cast<int32_t>(v);
    return ToInt32OrMin(std::trunc(v));
}
int64_t Numbers_RoundToInt64(double v) { return ToInt64OrMin(RoundHalfEven(v)); }
int64_t Numbers_TruncToInt64(double v) { return ToInt64OrMin(std::trunc(v)); }

int32_t Numbers_DivInt32(int32_t a, int32_t b)
{
    if (b == 0) return 0;
    if (b == -1) return static_cast<int32_t>(0u - static_cast<uint32_t>(a));
    return a / b;
}

int32_t Numbers_RemInt32(int32_t a, int32_t b)
{
    if (b == 0 || b == -1) return 0;
    return a % b;
}

std::string Numbers_Format(const char* format, double value)
{
    std::string out;
    if (!format) return out;
    bool used = false;
    for (const char* p = format; *p != '\0';) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        const char* start = p++;
        Directive directive;
        bool ours = ReadDirective(p, directive);
        if (ours && !used) {
            out += Convert(value, directive);
            used = true;
            continue;
        }
        // Any other conversion, and a second real one, stay as they are written.
        if (!ours && *p != '\0') ++p;
        out.append(start, static_cast<size_t>(p - start));
    }
    return out;
}

std::string Numbers_FormatReal(double value, char conversion, int32_t precision, int32_t width, const char* flags)
{
    Directive directive;
    if (conversion != 'f' && conversion != 'e' && conversion != 'E' && conversion != 'g' && conversion != 'G') {
        conversion = 'f';
    }
    directive.conversion = conversion;
    directive.precision = precision < 0 ? -1 : (precision > MAX_FIELD ? MAX_FIELD : precision);
    if (width < 0) {
        directive.left = true;
        width = width == std::numeric_limits<int32_t>::min() ? MAX_FIELD : -width;
    }
    directive.width = width > MAX_FIELD ? MAX_FIELD : width;
    for (const char* f = flags ? flags : ""; *f != '\0'; ++f) {
        if (*f == '-') directive.left = true;
        else if (*f == '+') directive.plus = true;
        else if (*f == ' ') directive.space = true;
        else if (*f == '0') directive.zeroPad = true;
        else if (*f == '#') directive.alternate = true;
    }
    return Convert(value, directive);
}

size_t Numbers_WholeRealToText(double value, char* out)
{
    int32_t whole = Numbers_RoundToInt32(value);
    if (static_cast<double>(whole) != value) return 0;
    // Decimal digits and a leading '-' only, exactly printf's "%d", without its format parsing.
    return static_cast<size_t>(std::to_chars(out, out + NUMBERS_WHOLE_TEXT_MAX, whole).ptr - out);
}

namespace {

constexpr uint64_t POWERS_OF_TEN[20] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull,
                                        10000000ull, 100000000ull, 1000000000ull, 10000000000ull,
                                        100000000000ull, 1000000000000ull, 10000000000000ull,
                                        100000000000000ull, 1000000000000000ull, 10000000000000000ull,
                                        100000000000000000ull, 1000000000000000000ull,
                                        10000000000000000000ull};

int32_t DecimalDigits(uint64_t value)
{
    int32_t digits = 0;
    while (digits < 20 && value >= POWERS_OF_TEN[digits]) ++digits;
    return digits;
}

} // namespace

size_t Numbers_TwoDecimalsToText(double value, char* out)
{
    double magnitude = std::fabs(value);
    if (!(magnitude >= 0.001 && magnitude < TWO_POW_31)) return 0;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    // magnitude = significand * 2^-shift, the shift between 1 and 62 for a fraction in this range.
    int32_t shift = 1075 - static_cast<int32_t>((bits >> 52) & 0x7FF);
    uint64_t significand = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    if (shift <= 0) return 0; // a whole number
    uint64_t whole = significand >> shift;
    uint64_t fraction = significand & ((uint64_t{1} << shift) - 1);
    if (fraction == 0) return 0;
    // The 17 significant digits end `places` places after the point: past the whole part's digits,
    // or past the fraction's leading zeros (at most two from 0.001 up).
    int32_t places;
    if (whole > 0) {
        places = CRT_SIGNIFICANT_DIGITS - DecimalDigits(whole);
    } else {
        uint64_t thousandths = static_cast<uint64_t>((static_cast<unsigned __int128>(fraction) * 1000) >> shift);
        places = CRT_SIGNIFICANT_DIGITS + (thousandths >= 100 ? 0 : (thousandths >= 10 ? 1 : 2));
    }
    // The fraction to those places, rounded half up on the exact rest as the mantissa is.
    unsigned __int128 scaled = static_cast<unsigned __int128>(fraction) * POWERS_OF_TEN[places];
    uint64_t digits = static_cast<uint64_t>(scaled >> shift);
    uint64_t rest = static_cast<uint64_t>(scaled & ((static_cast<unsigned __int128>(1) << shift) - 1));
    if (rest >= (uint64_t{1} << (shift - 1))) ++digits;
    // Then half up again to two places, on the third of those digits.
    uint64_t cents = digits / POWERS_OF_TEN[places - 2];
    if (digits / POWERS_OF_TEN[places - 3] % 10 >= 5) ++cents;
    whole += cents / 100;
    cents %= 100;

    char* at = out;
    if (std::signbit(value)) *at++ = '-';
    at = std::to_chars(at, out + NUMBERS_QUICK_TEXT_MAX, whole).ptr;
    *at++ = '.';
    *at++ = static_cast<char>('0' + cents / 10);
    *at++ = static_cast<char>('0' + cents % 10);
    return static_cast<size_t>(at - out);
}

size_t Numbers_RealToTextQuick(double value, char* out)
{
    if (size_t length = Numbers_WholeRealToText(value, out)) return length;
    return Numbers_TwoDecimalsToText(value, out);
}

std::string Numbers_RealToText(double value)
{
    char digits[NUMBERS_QUICK_TEXT_MAX];
    if (size_t length = Numbers_RealToTextQuick(value, digits)) return std::string(digits, length);
    return Numbers_FormatReal(value, 'f', 2);
}
