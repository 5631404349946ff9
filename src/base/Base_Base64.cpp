#include "base/Base_Base64.h"

namespace {

const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of an alphabet character (only called for those).
uint32_t SixBits(char c)
{
    if (c >= 'A' && c <= 'Z') return static_cast<uint32_t>(c - 'A');
    if (c >= 'a' && c <= 'z') return static_cast<uint32_t>(c - 'a') + 26;
    if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0') + 52;
    return c == '+' ? 62u : 63u;
}

} // namespace

bool Base64_IsChar(char c)
{
    // Ranges rather than isalnum: bytes above 127 are never letters, whatever the locale.
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

uint32_t Base64_EncodedSize(uint32_t length) { return (length + 2) / 3 * 4 + 1; }

uint32_t Base64_Encode(const void* source, uint32_t length, char* destination)
{
    const auto* bytes = static_cast<const unsigned char*>(source);
    uint32_t out = 0;
    for (uint32_t i = 0; i < length; i += 3) {
        uint32_t remaining = length - i;
        uint32_t group = static_cast<uint32_t>(bytes[i]) << 16;
        if (remaining > 1) group |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        if (remaining > 2) group |= bytes[i + 2];
        destination[out++] = ALPHABET[(group >> 18) & 63];
        destination[out++] = ALPHABET[(group >> 12) & 63];
        destination[out++] = remaining > 1 ? ALPHABET[(group >> 6) & 63] : '=';
        destination[out++] = remaining > 2 ? ALPHABET[group & 63] : '=';
    }
    destination[out] = '\0';
    return out;
}

uint32_t Base64_Decode(const char* text, void* destination, uint32_t destinationSize, bool terminate)
{
    auto* bytes = static_cast<unsigned char*>(destination);
    // Data never reaches the last byte; a destination of 0 bytes gets nothing at all.
    uint32_t limit = destinationSize == 0 ? 0 : destinationSize - 1;
    uint32_t written = 0;
    auto put = [&](uint32_t byte) {
        if (written < limit) bytes[written++] = static_cast<unsigned char>(byte);
    };

    uint32_t group = 0;
    uint32_t collected = 0;
    for (const char* p = text ? text : ""; Base64_IsChar(*p); ++p) {
        group = (group << 6) | SixBits(*p);
        if (++collected == 4) {
            put(group >> 16);
            put((group >> 8) & 0xFF);
            put(group & 0xFF);
            group = 0;
            collected = 0;
        }
    }
    if (collected > 0) {
        group <<= 6 * (4 - collected);
        if (collected > 1) put(group >> 16);
        if (collected > 2) put((group >> 8) & 0xFF);
    }
    // The reserved last byte is there for this terminator, so it is written even when the data
    // filled everything before it.
    if (terminate && destinationSize > 0) bytes[written] = 0;
    return written;
}
