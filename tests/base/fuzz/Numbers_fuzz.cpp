// Parses arbitrary text as numbers and uses it as a format; prints doubles made of arbitrary bits.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/Base_Numbers.h"

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

void CheckValue(double value)
{
    // Seventeen significant digits name every double exactly.
    if (std::isfinite(value)) Check(Numbers_ParseReal(Numbers_Format("%.16e", value).c_str()) == value);
    int32_t rounded = Numbers_RoundToInt32(value);
    if (rounded != INT32_MIN) Check(std::fabs(rounded - value) <= 0.5);
    int32_t truncated = Numbers_TruncToInt32(value);
    if (truncated != INT32_MIN) Check(std::fabs(truncated - value) < 1.0);
    Check(!Numbers_RealToText(value).empty());
    for (char conversion : {'f', 'e', 'g', 'E', 'G'}) Numbers_FormatReal(value, conversion, 3, 8);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);

    const char* end = nullptr;
    double parsed = Numbers_ParseReal(text.c_str(), &end);
    Check(end >= text.c_str() && end <= text.c_str() + text.size());
    Check(!std::isnan(parsed));
    Numbers_ParseInt(text.c_str(), &end);
    Check(end >= text.c_str() && end <= text.c_str() + text.size());
    CheckValue(parsed);

    if (size >= 8) {
        double bits;
        std::memcpy(&bits, data, sizeof bits);
        CheckValue(bits);
        Numbers_Format(text.c_str() + 8, bits);
    }
    Numbers_Format(text.c_str(), parsed);
    return 0;
}
