// The achievement cache over arbitrary bytes: only whole records load, no read passes the end, and
// the queue written back is exactly the part of the input those records came from.
#include <cstdint>
#include <cstring>
#include <vector>

#include "function/Function_Wexo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536) return 0;
    // A copy of exactly `size` bytes, so the sanitizer sees any read past them.
    std::vector<uint8_t> bytes(data, data + size);
    AchievementQueue_Clear();
    int32_t loaded = AchievementQueue_Parse(bytes.data(), bytes.size());
    if (loaded != AchievementQueue_Count()) __builtin_trap();
    std::vector<uint8_t> written = AchievementQueue_Bytes();
    if (written.size() > size || (!written.empty() && std::memcmp(written.data(), bytes.data(), written.size()) != 0))
        __builtin_trap();
    AchievementQueue_Clear();
    return 0;
}
