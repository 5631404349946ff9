#include "support/Support_TextFile.h"

namespace {

constexpr char END_OF_TEXT = 0x1A;

} // namespace

std::string TextFile_FromBytes(const char* bytes, size_t length)
{
    std::string text;
    text.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        if (bytes[i] == END_OF_TEXT) break;
        // Only a CR right before an LF goes; a lone CR stays.
        if (bytes[i] == '\r' && i + 1 < length && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}
