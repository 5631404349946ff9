// Addresses come from scripts and from the game file: whatever the split accepts has a host, a port
// in range and a path that starts with '/' and holds no byte a request line cannot carry.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "http/Http_Url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str();
    HttpUrl parts;
    if (!HttpUrl_Split(text.c_str(), parts)) return 0;
    if (parts.host.empty() || parts.port < 1 || parts.port > 65535 || parts.path.empty() || parts.path[0] != '/')
        __builtin_trap();
    for (char c : parts.path + parts.host) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || std::strchr("\"<>\\^`{|}#", byte) != nullptr) __builtin_trap();
    }
    std::string target = HttpUrl_Target(parts, size % 2 == 0);
    if (target.compare(0, 4, "http") != 0) __builtin_trap();
    return 0;
}
