// Typed reads, peeks, writes, pokes, seeks and fills over arbitrary bytes, in every kind and
// alignment. The input: kind, alignment shift, operation count, then six bytes per operation
// (operation, type, a 32-bit offset), then the buffer's bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "buffer/Buffer_Fast.h"
#include "buffer/Buffer_Standard.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

constexpr size_t HEADER = 3;
constexpr size_t OPERATION = 6;
constexpr int32_t MAX_OPERATIONS = 32;

void Check(bool holds)
{
    if (!holds) __builtin_trap();
}

void Apply(IBuffer& buffer, IBuffer& other, const uint8_t* op)
{
    int32_t type = op[1] % 13;
    int32_t offset;
    std::memcpy(&offset, op + 2, 4);
    ScriptValue value{VALUE_REAL, 0, static_cast<double>(offset)};
    if (type == eBuffer_String) Value_SetText(&value, std::string(reinterpret_cast<const char*>(op + 2), 4).c_str());
    switch (op[0] % 9) {
    case 0: buffer.Read(type, &value); break;
    case 1: buffer.Peek(offset, type, &value); break;
    case 2: buffer.Seek(type % 4, offset); break;
    case 3: buffer.Write(type, &value); break;
    case 4: buffer.Poke(offset, type, &value); break;
    case 5: buffer.Fill(offset, offset & 0x3FF, type, &value, (op[1] >> 4) - 4, (op[1] & 1) != 0); break;
    case 6: buffer.Resize(offset & 0xFFF); break;
    case 7: buffer.CopyTo(offset, offset >> 16, &other, offset & 0xFF); break;
    default:
        buffer.Sha1(&value, offset, offset >> 20); // a wrap buffer's region is not cut to the block
        buffer.Base64Encode(&value, offset, offset >> 8);
        break;
    }
    Value_Free(&value);
    // A buffer that cannot grow never keeps a position past its end; a wrapped one stays inside.
    Check(buffer.m_Position >= 0);
    if (buffer.m_Kind != eBuffer_Grow) Check(buffer.m_Position <= buffer.m_Size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScriptHeap_Init();
    if (size < HEADER) return 0;
    int32_t kind = data[0] % 4;
    int32_t alignment = 1 << (data[1] % 11);
    int32_t count = data[2] % (MAX_OPERATIONS + 1);
    size_t contentAt = HEADER + size_t(count) * OPERATION;
    if (size < contentAt) return 0;
    auto length = static_cast<int32_t>(size - contentAt);
    IBuffer* buffer = kind == eBuffer_Fast ? static_cast<IBuffer*>(new Buffer_Fast(length, alignment))
                                           : new Buffer_Standard(length, kind, alignment);
    if (length > 0) std::memcpy(buffer->m_pData, data + contentAt, size_t(length));
    Buffer_Standard other(3, eBuffer_Wrap, 2);
    for (int32_t i = 0; i < count; ++i) Apply(*buffer, other, data + HEADER + size_t(i) * OPERATION);
    delete buffer;
    return 0;
}
