// Reads arbitrary bytes as a text-mode file: the text ends before the first 0x1A, each CR LF pair
// loses its CR, and every other byte stays.
#include <algorithm>
#include <cstdint>
#include <string>

#include "support/Support_TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536) return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    std::string text = TextFile_FromBytes(bytes, size);
    size_t end = std::find(bytes, bytes + size, '\x1A') - bytes;
    size_t pairs = 0;
    for (size_t i = 0; i + 1 < end; ++i) pairs += bytes[i] == '\r' && bytes[i + 1] == '\n';
    if (text.size() != end - pairs || text.find('\x1A') != std::string::npos) __builtin_trap();
    if (std::count(text.begin(), text.end(), '\n') != std::count(bytes, bytes + end, '\n')) __builtin_trap();
    return 0;
}
