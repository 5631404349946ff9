#include "buffer/Buffer_Fast.h"

#include "base/Base_Numbers.h"
#include "buffer/Buffer_Values.h"

namespace {

uint8_t LowByte(const ScriptValue* value)
{
    return static_cast<uint8_t>(Numbers_TruncToInt32(value->real));
}

} // namespace

Buffer_Fast::Buffer_Fast(int32_t size, int32_t alignment)
{
    m_Kind = eBuffer_Fast;
    AllocateBlock(size, alignment);
}

int32_t Buffer_Fast::Write(int32_t type, const ScriptValue* value)
{
    if (type != eBuffer_U8) return BUFFER_FAST_TYPE;
    if (m_Position < 0 || m_Position >= m_Size) return BUFFER_NO_ROOM;
    m_pData[m_Position++] = LowByte(value);
    return 0;
}

int32_t Buffer_Fast::Read(int32_t type, ScriptValue* value)
{
    Buffer_ClearValue(value);
    if (type != eBuffer_U8) return BUFFER_FAST_TYPE;
    if (m_Position < 0 || m_Position >= m_Size) return BUFFER_NO_ROOM;
    value->real = m_pData[m_Position++];
    return 0;
}

void Buffer_Fast::Peek(int32_t offset, int32_t type, ScriptValue* value)
{
    Buffer_ClearValue(value);
    if (type == eBuffer_U8 && offset >= 0 && offset < m_Size) value->real = m_pData[offset];
}

void Buffer_Fast::Poke(int32_t offset, int32_t type, const ScriptValue* value)
{
    if (type == eBuffer_U8 && offset >= 0 && offset < m_Size) m_pData[offset] = LowByte(value);
}
