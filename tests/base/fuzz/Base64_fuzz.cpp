// Decodes arbitrary text into destinations of every small size, and round-trips arbitrary bytes.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536) return 0;
    std::string text(reinterpret_cast<const char*>(data), size); // terminated copy

    // The first byte picks the destination size (0 included) and whether to terminate.
    uint32_t destinationSize = size > 0 ? data[0] % 64 : 0;
    bool terminate = size > 0 && (data[0] & 0x80) != 0;
    std::vector<unsigned char> destination(destinationSize + 16, 0xAA);
    uint32_t written = Base64_Decode(text.c_str(), destination.data(), destinationSize, terminate);
    if (destinationSize == 0 ? written != 0 : written > destinationSize - 1) __builtin_trap();
    for (size_t i = destinationSize; i < destination.size(); ++i) {
        if (destination[i] != 0xAA) __builtin_trap();
    }

    // Every byte string survives encoding and decoding.
    std::vector<char> encoded(Base64_EncodedSize(static_cast<uint32_t>(size)));
    uint32_t length = Base64_Encode(data, static_cast<uint32_t>(size), encoded.data());
    if (length + 1 != encoded.size() || encoded[length] != '\0') __builtin_trap();
    std::vector<unsigned char> back(size + 1);
    if (Base64_Decode(encoded.data(), back.data(), static_cast<uint32_t>(back.size()), true) != size) __builtin_trap();
    if (size > 0 && std::memcmp(back.data(), data, size) != 0) __builtin_trap();
    return 0;
}
