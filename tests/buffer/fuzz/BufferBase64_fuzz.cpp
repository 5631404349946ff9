// Base64 text of any bytes decoded into buffers of each kind. The input: kind, size, offset, then
// the text. What a grow buffer decodes encodes and decodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "buffer/Buffer_Standard.h"
#include "platform/Platform_ScriptHeap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScriptHeap_Init();
    if (size < 3) return 0;
    std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
    Buffer_Standard into(data[1] % 64, data[0] % 4, 1);
    into.Base64Decode(text.c_str(), static_cast<int8_t>(data[2]), -1);

    Buffer_Standard decoded;
    if (!decoded.Base64Decode(text.c_str(), 0, -1)) __builtin_trap();
    ScriptValue encoded{VALUE_REAL, 0, 0.0};
    decoded.Base64Encode(&encoded, 0, -1);
    Buffer_Standard again;
    again.Base64Decode(Value_GetText(&encoded), 0, -1);
    if (again.m_Size < decoded.m_Size || std::memcmp(again.m_pData, decoded.m_pData, size_t(decoded.m_Size)) != 0)
        __builtin_trap();
    Value_Free(&encoded);
    return 0;
}
