// Shows arbitrary bytes as a name in a log line: what comes out holds no control byte, is well-formed
// UTF-8 and is shown again as it is; text that needed nothing shown by its bytes is unchanged.
#include <cstdint>
#include <string>

#include "base/Base_Text.h"

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string shown = Text_Printable(text);
    for (unsigned char byte : shown) Check((byte >= 0x20 || byte == '\t') && byte != 0x7F);
    Check(Text_Printable(shown) == shown);
    if (shown.find('[') == std::string::npos) Check(shown == text);
    return 0;
}
