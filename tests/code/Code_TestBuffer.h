// A byte buffer for the stream tests (values, variable lists, instances): the typed writes and reads
// of a fixed or growing buffer with alignment 1, as buffers behave at their end (a read past the end
// gives real -3 and leaves the position; a fixed buffer refuses a write that does not fit).
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "buffer/Buffer_IBuffer.h"

class TestBuffer : public IBuffer {
public:
    explicit TestBuffer(int32_t kind = eBuffer_Grow, std::vector<uint8_t> initial = {}) : m_Bytes(std::move(initial))
    {
        m_Kind = kind;
        m_OwnsMemory = 0;
        Sync();
    }

    int32_t Write(int32_t type, const ScriptValue* value) override
    {
        uint8_t bytes[8];
        const uint8_t* from = bytes;
        size_t length = 4;
        switch (type) {
        case eBuffer_S32: Store(bytes, static_cast<int32_t>(value->real)); break;
        case eBuffer_S16:
            Store(bytes, static_cast<int16_t>(value->real));
            length = 2;
            break;
        case eBuffer_U32: Store(bytes, static_cast<uint32_t>(value->real)); break;
        case eBuffer_F32: Store(bytes, static_cast<float>(value->real)); break;
        case eBuffer_F64:
            Store(bytes, value->real);
            length = 8;
            break;
        case eBuffer_String: {
            const char* text = Value_GetText(value);
            if (text == nullptr) text = "";
            from = reinterpret_cast<const uint8_t*>(text);
            length = std::strlen(text) + 1;
            break;
        }
        default: return -1;
        }
        size_t end = static_cast<size_t>(m_Position) + length;
        if (end > m_Bytes.size()) {
            if (m_Kind != eBuffer_Grow) return -2;
            m_Bytes.resize(end);
        }
        std::memcpy(m_Bytes.data() + m_Position, from, length);
        m_Position = static_cast<int32_t>(end);
        Sync();
        return 0;
    }

    int32_t Read(int32_t type, ScriptValue* value) override
    {
        Value_SetReal(value, -3.0);
        size_t size = m_Bytes.size();
        if (static_cast<size_t>(m_Position) >= size) return 0;
        const uint8_t* at = m_Bytes.data() + m_Position;
        size_t left = size - static_cast<size_t>(m_Position);
        if (type == eBuffer_String) {
            // A string without a terminator ends at the end of the buffer.
            size_t length = strnlen(reinterpret_cast<const char*>(at), left);
            std::vector<char> copy(at, at + length);
            copy.push_back('\0');
            Value_SetText(value, copy.data());
            m_Position += static_cast<int32_t>(length < left ? length + 1 : length);
            return 0;
        }
        size_t length = type == eBuffer_F64 ? 8 : type == eBuffer_S16 ? 2 : 4;
        if (left < length) return 0;
        switch (type) {
        case eBuffer_S32: value->real = Load<int32_t>(at); break;
        case eBuffer_S16: value->real = Load<int16_t>(at); break;
        case eBuffer_U32: value->real = Load<uint32_t>(at); break;
        case eBuffer_F32: value->real = Load<float>(at); break;
        case eBuffer_F64: value->real = Load<double>(at); break;
        default: return -1;
        }
        m_Position += static_cast<int32_t>(length);
        return 0;
    }

    const std::vector<uint8_t>& Bytes() const { return m_Bytes; }
    void Rewind() { m_Position = 0; }

private:
    template <typename T>
    static void Store(uint8_t* to, T number)
    {
        std::memcpy(to, &number, sizeof number);
    }
    template <typename T>
    static T Load(const uint8_t* from)
    {
        T number;
        std::memcpy(&number, from, sizeof number);
        return number;
    }
    void Sync()
    {
        m_pData = m_Bytes.data();
        m_Size = static_cast<int32_t>(m_Bytes.size());
    }

    std::vector<uint8_t> m_Bytes;
};

// Little-endian pieces for writing expected byte streams by hand.
inline void PutInt32(std::vector<uint8_t>& out, int32_t number)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(number) >> (8 * i)));
}

inline void PutReal(std::vector<uint8_t>& out, double number)
{
    uint64_t bits;
    std::memcpy(&bits, &number, 8);
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

inline void PutText(std::vector<uint8_t>& out, const char* text)
{
    out.insert(out.end(), text, text + std::strlen(text) + 1);
}

// The "no text" mark: 0x04 and the terminator.
inline void PutNoText(std::vector<uint8_t>& out)
{
    out.push_back(0x04);
    out.push_back(0x00);
}
