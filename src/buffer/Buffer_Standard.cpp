#include "buffer/Buffer_Standard.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "buffer/Buffer_Values.h"
#include "code/Code_Error.h"

Buffer_Standard::Buffer_Standard() = default;

Buffer_Standard::Buffer_Standard(int32_t size, int32_t kind, int32_t alignment)
{
    m_Kind = kind;
    AllocateBlock(size, alignment);
}

Buffer_Standard::Buffer_Standard(uint8_t* memory, int32_t size, int32_t kind, bool owns)
{
    m_pRawBlock = memory;
    m_pData = memory;
    m_Size = std::max(size, 0);
    m_AllocSize = m_Size;
    m_Kind = kind;
    m_OwnsMemory = owns ? 1 : 0;
}

int64_t Buffer_Standard::AlignStep()
{
    int64_t mask = int64_t(m_Alignment) - 1;
    int64_t at = ((std::max<int64_t>(m_Position, 0) + m_WrapPhase + mask) & ~mask) - m_WrapPhase;
    if (Wraps() && m_Size > 0 && at >= m_Size) {
        int64_t turns = at / m_Size;
        at -= turns * m_Size;
        m_WrapPhase = PhaseAfterTurns(turns);
    }
    int64_t limit = m_Kind == eBuffer_Grow ? BUFFER_MAX_SIZE : m_Size;
    m_Position = static_cast<int32_t>(std::min(at, limit));
    return at;
}

bool Buffer_Standard::GrowTo(int64_t needed)
{
    if (needed > BUFFER_MAX_SIZE) return false;
    int64_t size = m_Size > 0 ? m_Size : needed;
    while (size < needed)
        size *= 2;
    Resize(static_cast<int32_t>(std::min<int64_t>(size, BUFFER_MAX_SIZE)));
    return true;
}

void Buffer_Standard::Advance(int64_t at, int64_t length)
{
    int64_t end = at + length;
    if (Wraps() && end >= m_Size) {
        int64_t turns = end / m_Size;
        end -= turns * m_Size;
        m_WrapPhase = PhaseAfterTurns(turns);
    }
    m_Position = static_cast<int32_t>(end);
}

int32_t Buffer_Standard::Write(int32_t type, const ScriptValue* value)
{
    int64_t at = AlignStep();
    bool grow = m_Kind == eBuffer_Grow;
    if (at >= m_Size && !grow) return BUFFER_NO_ROOM;
    BufferBytes bytes;
    if (!Buffer_Encode(type, value, &bytes)) return BUFFER_BAD_TYPE;

    if (type == eBuffer_U8 || type == eBuffer_S8) {
        // Single bytes grow a grow buffer as soon as the position reaches its end.
        if (at >= m_Size && !GrowTo(at + 1)) return BUFFER_NO_ROOM;
        m_pData[at] = bytes.number[0];
        Advance(at, 1);
        if (grow && m_Position >= m_Size && m_Size < BUFFER_MAX_SIZE)
            Resize(static_cast<int32_t>(std::min<int64_t>(int64_t(m_Size) * 2, BUFFER_MAX_SIZE)));
        return 0;
    }

    int64_t length = bytes.length;
    if (at + length > m_Size) {
        if (grow) {
            if (!GrowTo(at + length)) return BUFFER_NO_ROOM;
        } else if (!Wraps()) {
            return BUFFER_NO_ROOM;
        }
    }
    if (Wraps())
        CopyInWrapping(at, bytes.Data(), length);
    else
        std::memcpy(m_pData + at, bytes.Data(), static_cast<size_t>(length));
    Advance(at, length);
    return 0;
}

void Buffer_Standard::ReadText(int64_t at, ScriptValue* value)
{
    const auto* text = reinterpret_cast<const char*>(m_pData + at);
    size_t left = static_cast<size_t>(m_Size - at);
    const void* zero = std::memchr(text, 0, left);
    if (Error_TextTooLong(zero != nullptr ? size_t(static_cast<const char*>(zero) - text) : left)) return;
    if (zero != nullptr) {
        Value_SetText(value, text);
        m_Position = static_cast<int32_t>(at + (static_cast<const char*>(zero) - text) + 1);
        return;
    }
    // No terminator before the end: the string stops there.
    Value_SetText(value, std::string(text, left).c_str());
    m_Position = m_Size;
}

int32_t Buffer_Standard::Read(int32_t type, ScriptValue* value)
{
    Buffer_ClearValue(value);
    int64_t at = AlignStep();
    if (at >= m_Size) {
        value->real = BUFFER_PAST_END;
        return 0;
    }
    if (type == eBuffer_String) {
        ReadText(at, value);
        return 0;
    }
    int64_t length = Buffer_TypeSize(type);
    if (at + length > m_Size && !Wraps()) {
        value->real = BUFFER_PAST_END;
        return 0;
    }
    uint8_t bytes[8];
    if (Wraps())
        CopyOutWrapping(at, bytes, length);
    else
        std::memcpy(bytes, m_pData + at, static_cast<size_t>(length));
    Advance(at, length);
    if (length == 0 || type == eBuffer_F16) return BUFFER_BAD_TYPE;
    Buffer_Decode(type, bytes, value);
    return 0;
}
